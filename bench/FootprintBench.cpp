// Prints what Clipboard Quorvex holds while it stays resident, each start figure as a ratio against
// a minimal resident program (minimal_resident.exe, built beside this one) measured in the same run:
//   working set and private bytes after start, and start-up to idle (WaitForInputIdle);
//   context switches and processor time over an idle period;
//   working set and private bytes after 100 and after 10,000 captures of distinct texts, every
//   twentieth step also putting a recent clip back through the Recents menu;
//   the first and the second opening of the about box and of the open-file dialog, whose
//   libraries are loaded at first use.
// Usage: footprint_bench.exe [installation folder]   (default: the dist folder beside this program)
#include <cstdio>
#include <string>
#include <tuple>

#include "BenchSupport.h"
#include "res/resource.h"

namespace {

const char kMinimalResident[] = "minimal_resident.exe";  // built beside this program
const char kMainWindowTitle[] = "Clipboard Quorvex";
const int kStarts = 15;
const int kFirstUseStarts = 5;
const DWORD kSettleMs = 1000;  // after idle, for what a start leaves to its last messages
const DWORD kIdleMs = 10000;
const int kCaptures = 10000;
const int kPutEvery = 20;
const int kFirstLook = 100;
const int kLookEvery = 1000;
const DWORD kCaptureTimeoutMs = 5000;

// A top-level window of the given process with that title (the hidden main window, or a dialog
// once it shows), or null.
HWND WindowOf(const Child& child, const char* title, bool visible) {
    for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, title); window;
         window = FindWindowExA(nullptr, window, nullptr, title)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == child.Id() && (IsWindowVisible(window) != FALSE) == visible) return window;
    }
    return nullptr;
}

HWND WaitForWindow(const Child& child, const char* title, bool visible = true) {
    const double deadline = Now() + 30000;
    HWND window;
    while (!(window = WindowOf(child, title, visible)) && Now() < deadline) Sleep(1);
    return window;
}

void WaitUntilGone(HWND window) {
    const double deadline = Now() + 10000;
    while (IsWindow(window) && Now() < deadline) Sleep(1);
}

// Returns once the window's thread has dealt with everything sent to it before.
bool Answers(HWND window) {
    DWORD_PTR result;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result) != 0;
}

std::string Figures(const Child::Memory& memory) {
    char text[64];
    std::snprintf(text, sizeof text, "%7.1f %9.1f", memory.workingSetMiB, memory.privateMiB);
    return text;
}

void MeasureStarts(const std::string& program, const std::string& minimal) {
    EmptyTheClipboard();  // a start then has nothing to capture
    std::vector<double> ms[2], workingSet[2], privateBytes[2], startRatios, workingSetRatios, privateRatios;
    // A first start of each warms what Wine loads from disk; it is not counted.
    for (const std::string& commandLine : {program, minimal}) Child(commandLine).UntilIdle();
    for (int i = 0; i < kStarts; ++i) {
        int side = 0;
        for (const std::string& commandLine : {program, minimal}) {
            Child child(commandLine);
            ms[side].push_back(child.UntilIdle());
            Sleep(kSettleMs);
            const Child::Memory memory = child.Footprint();
            workingSet[side].push_back(memory.workingSetMiB);
            privateBytes[side].push_back(memory.privateMiB);
            ++side;
        }
        startRatios.push_back(ms[0].back() / ms[1].back());
        workingSetRatios.push_back(workingSet[0].back() / workingSet[1].back());
        privateRatios.push_back(privateBytes[0].back() / privateBytes[1].back());
    }
    std::printf("after start (medians of %d starts, each paired with a start of the minimal resident program)\n",
                kStarts);
    std::printf("%28s %10s %18s %7s\n", "", "Quorvex", "minimal resident", "ratio");
    std::printf("%28s %10.0f %18.0f %7.2f\n", "start-up to idle, ms", Median(ms[0]), Median(ms[1]),
                Median(startRatios));
    std::printf("%28s %10.1f %18.1f %7.2f\n", "working set, MiB", Median(workingSet[0]), Median(workingSet[1]),
                Median(workingSetRatios));
    std::printf("%28s %10.1f %18.1f %7.2f\n", "private bytes, MiB", Median(privateBytes[0]),
                Median(privateBytes[1]), Median(privateRatios));
}

void MeasureIdle(const std::string& program, const std::string& minimal) {
    std::printf("\nidle for %lu s after start-up (context switches of all the process's threads, from /proc;"
                " processor time from GetProcessTimes)\n", kIdleMs / 1000);
    for (const auto& [name, commandLine] : {std::make_tuple("Quorvex", program),
                                            std::make_tuple("minimal resident", minimal)}) {
        Child child(commandLine);
        child.UntilIdle();
        Sleep(kSettleMs);
        const long switches = child.ContextSwitches();
        const double cpu = child.CpuMs();
        Sleep(kIdleMs);
        const long after = child.ContextSwitches();
        std::printf("%18s: %ld context switches, %.1f ms processor time\n", name,
                    switches < 0 || after < 0 ? -1 : after - switches, child.CpuMs() - cpu);
    }
}

// True when the file starts with the text (and its NUL): the program has stored that clip.
bool FileHolds(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes(text.size() + 1, '\x7f');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return read == bytes.size() && bytes.compare(0, text.size(), text) == 0 && bytes.back() == '\0';
}

// Copies distinct texts one after the other, each once the program has stored the one before
// (the newest clip's data file holds it), the way a person copying fast would.
void MeasureCaptures(const std::string& folder, const std::string& program) {
    EmptyTheClipboard();
    Child child(program);
    child.UntilIdle();
    HWND window = WaitForWindow(child, kMainWindowTitle, false);
    if (!window) {
        std::printf("\nQuorvex's main window did not appear\n");
        return;
    }
    std::printf("\n%d captures of distinct texts of about 100 bytes, a recent clip put back every %d\n", kCaptures,
                kPutEvery);
    std::printf("%9s %7s %9s %10s\n", "captures", "WS MiB", "priv MiB", "copies/s");
    const Child::Memory started = child.Footprint();
    std::printf("%9d %s\n", 0, Figures(started).c_str());
    Child::Memory first;
    int missed = 0, looked = 0;
    double lookedAt = Now();
    for (int i = 1; i <= kCaptures; ++i) {
        char text[128];
        std::snprintf(text, sizeof text, "Copy %05d of the footprint benchmark: a line of text as a person copies it, "
                      "from a mail or a page.", i);
        const std::string newest = folder + "\\RECENT\\RECCLIP" + std::to_string(i < 10 ? i : 10) + ".DAT";
        const double deadline = Now() + kCaptureTimeoutMs;
        // A copy made before the start has joined the clipboard viewer chain is never announced
        // to the program, and idle may come before that: the first copy is repeated until stored.
        for (double again = 0; !FileHolds(newest, text) && Now() < deadline; Sleep(1)) {
            if (Now() < again) continue;
            PutText(std::string(text) + '\0');
            again = i == 1 ? Now() + 250 : deadline;
        }
        if (!FileHolds(newest, text)) ++missed;
        if (i % kPutEvery == 0) {
            DWORD_PTR result;
            SendMessageTimeoutA(window, WM_COMMAND, ID_RECENT_FIRST + (i / kPutEvery) % 10, 0, SMTO_NORMAL,
                                kCaptureTimeoutMs, &result);
        }
        if (i == kFirstLook || i % kLookEvery == 0) {
            Answers(window);
            Sleep(kSettleMs);
            const Child::Memory now = child.Footprint();
            if (i == kFirstLook) first = now;
            const double copying = Now() - kSettleMs - lookedAt;
            std::printf("%9d %s %10.0f\n", i, Figures(now).c_str(), (i - looked) / (copying / 1000));
            looked = i;
            lookedAt = Now();
        }
    }
    const Child::Memory last = child.Footprint();
    std::printf("growth from %d to %d captures: working set %+.2f MiB, private bytes %+.2f MiB; %d captures not "
                "stored within %lu s\n", kFirstLook, kCaptures, last.workingSetMiB - first.workingSetMiB,
                last.privateMiB - first.privateMiB, missed, kCaptureTimeoutMs / 1000);
}

// Milliseconds from the command until the dialog shows and its thread is free again, or -1.
double OpenDialog(const Child& child, HWND target, UINT command, const char* title, HWND& dialog) {
    const double start = Now();
    PostMessageA(target, WM_COMMAND, command, 0);
    dialog = WaitForWindow(child, title);
    return dialog && Answers(dialog) ? Now() - start : -1;
}

void CloseDialog(HWND dialog) {
    if (!dialog) return;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    WaitUntilGone(dialog);
}

// The about box and the import's open-file dialog, each opened twice in each of a few starts: the
// first opening loads what the dialog needs, the second finds it loaded.
void MeasureFirstUse(const std::string& program) {
    std::vector<double> about[2], openFile[2];
    for (int start = 0; start < kFirstUseStarts; ++start) {
        Child child(program);
        child.UntilIdle();
        HWND window = WaitForWindow(child, kMainWindowTitle, false);
        if (!window) continue;
        for (auto& times : about) {
            HWND box = nullptr;
            times.push_back(OpenDialog(child, window, ID_APP_ABOUT, "About Clipboard Quorvex v.1.00", box));
            CloseDialog(box);
        }
        HWND projects = nullptr;
        OpenDialog(child, window, ID_PROJECTS, "List of Projects", projects);
        for (auto& times : openFile) {
            HWND dialog = nullptr;
            times.push_back(projects ? OpenDialog(child, projects, IDC_PROJECT_IMPORT, "Import Project", dialog) : -1);
            CloseDialog(dialog);
        }
        CloseDialog(projects);
    }
    std::printf("\nopening a dialog until it shows and answers, ms (medians of %d starts)\n", kFirstUseStarts);
    std::printf("%28s %8s %8s\n", "", "first", "second");
    std::printf("%28s %8.0f %8.0f\n", "about box", Median(about[0]), Median(about[1]));
    std::printf("%28s %8.0f %8.0f\n", "open-file dialog (import)", Median(openFile[0]), Median(openFile[1]));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dist = argc > 1 ? argv[1] : FolderOf(ThisProgram()) + "\\dist";
    const std::string folder = MakeTemporaryFolder("quorvex-footprint", {"RECENT", "FAVORITE", "EXPORT"});
    if (!CopyFileA((dist + "\\Quorvex.exe").c_str(), (folder + "\\Quorvex.exe").c_str(), FALSE)) {
        std::printf("no %s\\Quorvex.exe to start\n", dist.c_str());
        RemoveFolder(folder);
        return 1;
    }
    const std::string program = "\"" + folder + "\\Quorvex.exe\"";
    const std::string minimal = "\"" + FolderOf(ThisProgram()) + "\\" + kMinimalResident + "\"";
    MeasureStarts(program, minimal);
    MeasureIdle(program, minimal);
    MeasureFirstUse(program);
    MeasureCaptures(folder, program);
    RemoveFolder(folder);
    return 0;
}
