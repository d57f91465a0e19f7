// Prints what a capture, a start and an idle period cost, each as a ratio against a minimal program
// measured in the same run on the same machine:
//   capture of a clip with a full list of ten against writing just that clip (temporary file,
//   flush, move with write-through) and one Save.ini key;
//   bytes written per capture against the clip's size plus Save.ini's;
//   start-up to idle (WaitForInputIdle) of the installation's Quorvex.exe against a minimal hidden
//   dialog started from this program;
//   context switches and processor time over an idle period, against the same minimal dialog;
//   the put of a rich-text clip of one unbroken line (10 KB, 60 KB, 249,999 B) against a text put.
// Usage: capture_bench.exe [installation folder]   (default: the dist folder beside this program)
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/IniFile.h"
#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/Clipboard.h"
#include "clips/RecentClips.h"
#include "framework/Menu.h"

namespace {

const char kMinimalDialog[] = "minimal_dialog.exe";  // built beside this program
const int kCapturesPerSize = 40;
const int kStarts = 9;
const DWORD kIdleMs = 10000;

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

std::string ThisProgram() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

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

// A file as the file system sees it: the same identity after a rename, a new one after a rewrite.
struct FileState {
    ULONGLONG id = 0;
    ULONGLONG size = 0;
    FILETIME written{};
};

std::map<std::string, FileState> FilesIn(const std::string& folder) {
    std::map<std::string, FileState> files;
    for (const char* sub : {"", "\\RECENT"}) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + sub + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::string path = folder + sub + "\\" + found.cFileName;
            HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            BY_HANDLE_FILE_INFORMATION info{};
            GetFileInformationByHandle(file, &info);
            CloseHandle(file);
            FileState state;
            state.id = (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
            state.size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
            state.written = info.ftLastWriteTime;
            files[path] = state;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return files;
}

// Bytes the files received between two looks: a new file (or one replaced by a new file) counts
// whole, a rewritten one whole, an appended log its growth, a renamed file nothing.
ULONGLONG BytesWritten(const std::map<std::string, FileState>& before, const std::map<std::string, FileState>& after) {
    ULONGLONG bytes = 0;
    for (const auto& [path, now] : after) {
        bool renamed = false;
        for (const auto& [oldPath, old] : before) renamed = renamed || (old.id == now.id && oldPath != path);
        auto was = before.find(path);
        if (renamed && (was == before.end() || was->second.id != now.id)) continue;
        if (was == before.end() || was->second.id != now.id) {
            bytes += now.size;
        } else if (CompareFileTime(&was->second.written, &now.written) != 0) {
            bool log = path.size() >= 8 && path.compare(path.size() - 8, 8, "Clip.log") == 0;
            bytes += log ? now.size - was->second.size : now.size;
        }
    }
    return bytes;
}

// What a program must do at the least to keep a clip: its bytes in a file that replaces the old
// one safely, and one Save.ini key.
void MinimalStore(const std::string& folder, const std::string& bytes) {
    std::string file = folder + "\\RECENT\\RECCLIP10.DAT", temporary = folder + "\\RECENT\\RECCLIP10.TMP";
    HANDLE handle = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(handle);
    CloseHandle(handle);
    MoveFileExA(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    WritePrivateProfileStringA("RECENTS", "RECCLIP10", "0x1", (folder + "\\Save.ini").c_str());
}

void MeasureCaptures(const std::string& folder) {
    CMenu menu;
    menu.CreatePopupMenu();
    std::printf("capture with a full list of ten text clips of the same size (median of %d); the store is the\n"
                "capture without reading the clipboard; ratios are medians of paired runs; written bytes\n"
                "include the log\n", kCapturesPerSize);
    std::printf("%8s %11s %9s %11s %9s %9s %10s %11s %7s\n", "clip B", "capture ms", "store ms", "minimal ms",
                "capture/", "store/", "written B", "clip+ini B", "ratio");
    for (std::size_t size : {std::size_t{20}, std::size_t{10000}, std::size_t{249999}}) {
        DeleteLog();
        LoadRecentClips();
        ClearRecentClips(menu);
        std::vector<double> captures, stores, minimal, written;
        double allowance = 0;
        for (int i = 0; i < 10 + kCapturesPerSize; ++i) {
            std::string bytes(size - 1, static_cast<char>('a' + i % 26));
            bytes.push_back('\0');
            if (!PutText(bytes)) return;
            auto before = FilesIn(folder);
            double start = Now();
            GetRecentClip(menu);
            double end = Now();
            auto after = FilesIn(folder);
            if (i < 10) continue;  // the list is full from here on
            captures.push_back(end - start);
            written.push_back(static_cast<double>(BytesWritten(before, after)));
            allowance = static_cast<double>(size + after[folder + "\\Save.ini"].size);

            bytes[0] = 'Z';
            RecentClip.push_back(std::make_unique<CLIP_STR>(CF_TEXT, bytes.data(), "", bytes.size()));
            start = Now();
            SaveRecentClips();
            stores.push_back(Now() - start);

            start = Now();
            MinimalStore(folder + "\\minimal", bytes);
            minimal.push_back(Now() - start);
        }
        // Each capture is paired with the minimal store measured right after it, so that a machine
        // whose speed drifts (other work on it) moves both sides of a ratio alike.
        std::vector<double> captureRatios, storeRatios;
        for (std::size_t k = 0; k < minimal.size(); ++k) {
            captureRatios.push_back(captures[k] / minimal[k]);
            storeRatios.push_back(stores[k] / minimal[k]);
        }
        std::printf("%8zu %11.2f %9.2f %11.2f %9.2f %9.2f %10.0f %11.0f %7.2f\n", size, Median(captures),
                    Median(stores), Median(minimal), Median(captureRatios), Median(storeRatios), Median(written),
                    allowance, Median(written) / allowance);
    }
}

// Rich text in one unbroken line of the given size (a pasted log line, a base64 block), with its NUL.
std::string RichTextLine(std::size_t size) {
    std::string rtf = "{\\rtf1\\ansi ";
    while (rtf.size() < size - 2) rtf += "aGVsbG8gd29ybGQ=";
    rtf.resize(size - 2);
    return rtf + "}" + std::string(1, '\0');
}

void MeasureRichTextPuts() {
    const int puts = 9;
    std::printf("\nput of a rich-text clip of one unbroken line, with the plain text made for it (median of %d),\n"
                "against a put of the same bytes as text\n", puts);
    std::printf("%8s %9s %9s %7s\n", "clip B", "rich ms", "text ms", "ratio");
    for (std::size_t size : {std::size_t{10000}, std::size_t{60000}, std::size_t{249999}}) {
        const std::string rtf = RichTextLine(size);
        std::vector<double> rich, text;
        for (int i = 0; i < puts; ++i) {
            double start = Now();
            SetClipboardClip(g_nRichTextFormat, rtf.data(), rtf.size());
            rich.push_back(Now() - start);
            start = Now();
            SetClipboardClip(CF_TEXT, rtf.data(), rtf.size());
            text.push_back(Now() - start);
        }
        std::printf("%8zu %9.2f %9.2f %7.2f\n", size, Median(rich), Median(text), Median(rich) / Median(text));
    }
}

// A process started from a command line; ended (killed) with the object.
struct Child {
    explicit Child(const std::string& commandLine) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string line = commandLine;
        started = Now();
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            info.hProcess = nullptr;
    }
    ~Child() {
        if (!info.hProcess) return;
        TerminateProcess(info.hProcess, 0);
        WaitForSingleObject(info.hProcess, 5000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    // Milliseconds from the start until the program waits for input with nothing left to do.
    double UntilIdle() const { return info.hProcess && WaitForInputIdle(info.hProcess, 60000) == 0 ? Now() - started : -1; }
    double CpuMs() const {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(info.hProcess, &created, &exited, &kernel, &user);
        auto ms = [](FILETIME t) { return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
        return ms(kernel) + ms(user);
    }
    PROCESS_INFORMATION info{};
    double started = 0;
};

// Under Wine a Windows process is a Linux process: its threads' context switches are in /proc,
// found by its program name and this Wine prefix (other prefixes may run programs of the same
// name). -1 where there is no /proc to read.

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

long ContextSwitches(const std::string& programName) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    char prefix[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH)) return -1;
    const std::string mark = std::string("WINEPREFIX=") + prefix;
    long total = -1;
    do {
        std::string pid = found.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        if (ReadProcFile("Z:\\proc\\" + pid + "\\cmdline").find(programName) == std::string::npos) continue;
        std::string environment = ReadProcFile("Z:\\proc\\" + pid + "\\environ");
        if (environment.find(mark + '\0') == std::string::npos) continue;
        total = 0;
        WIN32_FIND_DATAA task;
        HANDLE tasks = FindFirstFileA(("Z:\\proc\\" + pid + "\\task\\*").c_str(), &task);
        if (tasks == INVALID_HANDLE_VALUE) continue;
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
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return total;
}

void MeasureStartAndIdle(const std::string& install) {
    // An empty clipboard: a start then has nothing to capture, only its ten clips to load.
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    const std::string program = install + "\\Quorvex.exe";
    const std::string minimal = "\"" + FolderOf(ThisProgram()) + "\\" + kMinimalDialog + "\"";
    std::vector<double> programMs, minimalMs, ratios;
    for (int i = 0; i < kStarts; ++i) {
        { Child child("\"" + program + "\""); programMs.push_back(child.UntilIdle()); }
        { Child child(minimal); minimalMs.push_back(child.UntilIdle()); }
        ratios.push_back(programMs.back() / minimalMs.back());
    }
    std::printf("\nstart-up to idle (median of %d): Quorvex %.0f ms, minimal hidden dialog %.0f ms, ratio %.2f\n",
                kStarts, Median(programMs), Median(minimalMs), Median(ratios));

    std::printf("\nidle for %lu s after start-up (context switches of all the process's threads, from /proc;"
                " processor time from GetProcessTimes)\n", kIdleMs / 1000);
    for (const auto& [name, commandLine, mark] :
         {std::make_tuple("Quorvex", "\"" + program + "\"", std::string("Quorvex.exe")),
          std::make_tuple("minimal dialog", minimal, std::string(kMinimalDialog))}) {
        Child child(commandLine);
        child.UntilIdle();
        Sleep(1000);  // let the start settle
        long switches = ContextSwitches(mark);
        double cpu = child.CpuMs();
        Sleep(kIdleMs);
        long after = ContextSwitches(mark);
        std::printf("%16s: %ld context switches, %.1f ms processor time\n", name,
                    switches < 0 || after < 0 ? -1 : after - switches, child.CpuMs() - cpu);
    }
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

}  // namespace

int main(int argc, char** argv) {
    const std::string dist = argc > 1 ? argv[1] : FolderOf(ThisProgram()) + "\\dist";

    // One installation in a temporary folder: the captures fill its list, then the program starts
    // there with ten clips of the largest size to load.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "quorvex-bench-" + std::to_string(GetCurrentProcessId());
    for (const char* sub : {"", "\\RECENT", "\\FAVORITE", "\\EXPORT", "\\minimal", "\\minimal\\RECENT"})
        CreateDirectoryA((folder + sub).c_str(), nullptr);

    OleInitialize(nullptr);
    SetProgramFolderForTests(WideText(folder.c_str()).c_str());
    g_nRichTextFormat = RegisterClipboardFormatA("Rich Text Format");
    MeasureCaptures(folder);
    MeasureRichTextPuts();
    CloseLog();
    SetProgramFolderForTests(nullptr);
    OleUninitialize();

    if (CopyFileA((dist + "\\Quorvex.exe").c_str(), (folder + "\\Quorvex.exe").c_str(), FALSE))
        MeasureStartAndIdle(folder);
    else
        std::printf("\nno %s\\Quorvex.exe to start\n", dist.c_str());
    RemoveFolder(folder);
    return 0;
}
