// Prints what a capture costs, as a ratio against a minimal program measured in the same run on
// the same machine: a capture of a clip with a full list of ten against writing just that clip
// (temporary file, flush, move with write-through) and one Save.ini key; and the bytes written per
// capture against the clip's size plus Save.ini's; and the put of a rich-text clip of one unbroken
// line (10 KB, 60 KB, 249,999 B) against a text put. What the program costs to start and to keep
// resident, footprint_bench prints.
// Usage: capture_bench.exe
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "base/IniFile.h"
#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/Clipboard.h"
#include "clips/RecentClips.h"
#include "framework/Menu.h"

namespace {

const int kCapturesPerSize = 40;

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

}  // namespace

int main() {
    // One installation in a temporary folder, which the captures fill.
    const std::string folder =
        MakeTemporaryFolder("quorvex-bench", {"RECENT", "FAVORITE", "EXPORT", "minimal", "minimal\\RECENT"});
    OleInitialize(nullptr);
    SetProgramFolderForTests(WideText(folder.c_str()).c_str());
    g_nRichTextFormat = RegisterClipboardFormatA("Rich Text Format");
    MeasureCaptures(folder);
    MeasureRichTextPuts();
    SetProgramFolderForTests(nullptr);
    OleUninitialize();
    RemoveFolder(folder);
    return 0;
}
