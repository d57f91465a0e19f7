// Prints what one clipboard capture costs when the recent list is full of the largest clips:
// every capture reads the clipboard and rewrites all ten data files and their Save.ini entries.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/ProgramFolder.h"
#include "clips/Clipboard.h"
#include "clips/RecentClips.h"
#include "framework/Menu.h"

namespace {

bool PutText(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    return true;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    OleInitialize(nullptr);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "quorvex-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\RECENT").c_str(), nullptr);
    SetProgramFolderForTests(folder.c_str());
    g_nRichTextFormat = RegisterClipboardFormatA("Rich Text Format");
    CMenu menu;
    menu.CreatePopupMenu();

    const int kCaptures = 30;
    for (std::size_t size : {std::size_t{100}, std::size_t{10000}, std::size_t{249998}}) {
        RecentClip.clear();
        double total = 0;
        for (int i = 0; i < kCaptures; ++i) {
            std::string text(size, static_cast<char>('a' + i % 26));
            if (!PutText(text)) return 1;
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            GetRecentClip(menu);
            QueryPerformanceCounter(&end);
            if (i >= 10) total += Milliseconds(start, end);  // the list is full from here on
        }
        std::printf("capture of a %zu-byte text with ten clips of that size: %.2f ms\n", size + 1,
                    total / (kCaptures - 10));
    }
    for (int position = 1; position <= 10; ++position)
        DeleteFileA((folder + "\\RECENT\\RECCLIP" + std::to_string(position) + ".DAT").c_str());
    for (const char* name : {"Save.ini", "Clip.log"}) DeleteFileA((folder + "\\" + name).c_str());
    RemoveDirectoryA((folder + "\\RECENT").c_str());
    RemoveDirectoryA(folder.c_str());
    OleUninitialize();
    return 0;
}
