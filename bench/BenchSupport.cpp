#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

std::string ThisProgram() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

bool PutText(const std::string& bytes) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    return true;
}

void EmptyTheClipboard() {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

std::string MakeTemporaryFolder(const std::string& name, const std::vector<std::string>& subfolders) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
    RemoveFolder(folder);  // left by an earlier run that was stopped
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& sub : subfolders) CreateDirectoryA((folder + "\\" + sub).c_str(), nullptr);
    return folder;
}

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName, path = folder + "\\" + name;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

Child::Child(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string line = commandLine;
    m_started = Now();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_info))
        m_info.hProcess = nullptr;
}

Child::~Child() {
    if (!m_info.hProcess) return;
    TerminateProcess(m_info.hProcess, 0);
    WaitForSingleObject(m_info.hProcess, 5000);
    CloseHandle(m_info.hProcess);
    CloseHandle(m_info.hThread);
}

double Child::UntilIdle() const {
    return m_info.hProcess && WaitForInputIdle(m_info.hProcess, 60000) == 0 ? Now() - m_started : -1;
}

double Child::CpuMs() const {
    FILETIME created, exited, kernel, user;
    if (!m_info.hProcess || !GetProcessTimes(m_info.hProcess, &created, &exited, &kernel, &user)) return -1;
    auto ms = [](FILETIME t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

Child::Memory Child::Footprint() const {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    Memory memory;
    if (m_info.hProcess && GetProcessMemoryInfo(m_info.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                                sizeof counters)) {
        memory.workingSetMiB = static_cast<double>(counters.WorkingSetSize) / 1048576.0;
        memory.privateMiB = static_cast<double>(counters.PagefileUsage) / 1048576.0;
    }
    return memory;
}

namespace {

std::string ReadProcFile(const std::string& path) {
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return text;
    char chunk[4096];
    std::size_t length;
    while ((length = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, length);
    std::fclose(file);
    return text;
}

// The Linux process of a Windows one: the one of this Wine prefix (others may run a program of
// the same name) whose command line names the program. Empty when there is none.
std::string LinuxProcessOf(const std::string& programName) {
    char prefix[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH)) return "";
    const std::string mark = std::string("WINEPREFIX=") + prefix + '\0';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return "";
    std::string process;
    do {
        std::string pid = found.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        if (ReadProcFile("Z:\\proc\\" + pid + "\\cmdline").find(programName) == std::string::npos) continue;
        if (ReadProcFile("Z:\\proc\\" + pid + "\\environ").find(mark) != std::string::npos) process = pid;
    } while (process.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return process;
}

}  // namespace

long Child::ContextSwitches() const {
    char image[MAX_PATH] = "";
    DWORD length = MAX_PATH;
    if (!m_info.hProcess || !QueryFullProcessImageNameA(m_info.hProcess, 0, image, &length)) return -1;
    const std::string path = image;
    const std::string pid = LinuxProcessOf(path.substr(path.find_last_of('\\') + 1));
    if (pid.empty()) return -1;
    long total = 0;
    WIN32_FIND_DATAA task;
    HANDLE tasks = FindFirstFileA(("Z:\\proc\\" + pid + "\\task\\*").c_str(), &task);
    if (tasks == INVALID_HANDLE_VALUE) return -1;
    do {
        if (task.cFileName[0] == '.') continue;
        FILE* status = std::fopen(("Z:\\proc\\" + pid + "\\task\\" + task.cFileName + "\\status").c_str(), "r");
        if (!status) continue;
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            long count = 0;
            if (std::sscanf(line, "voluntary_ctxt_switches: %ld", &count) == 1 ||
                std::sscanf(line, "nonvoluntary_ctxt_switches: %ld", &count) == 1)
                total += count;
        }
        std::fclose(status);
    } while (FindNextFileA(tasks, &task));
    FindClose(tasks);
    return total;
}
