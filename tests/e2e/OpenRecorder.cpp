// A stand-in for the program Windows opens a kind of document with: run as
// "open_recorder.exe <record file> <document>", it adds the document's path as a line (ANSI) to the
// record file and ends, so that a test can see what the shell was asked to open.
#include <windows.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 3) return 1;
    char line[4 * MAX_PATH];
    const int length = WideCharToMultiByte(CP_ACP, 0, arguments[2], -1, line, sizeof line - 2, nullptr, nullptr);
    bool recorded = false;
    if (length > 0) {
        lstrcpyA(line + length - 1, "\r\n");
        HANDLE record = CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        recorded = record != INVALID_HANDLE_VALUE &&
                   WriteFile(record, line, static_cast<DWORD>(length + 1), &written, nullptr) &&
                   written == static_cast<DWORD>(length + 1);
        if (record != INVALID_HANDLE_VALUE) CloseHandle(record);
    }
    LocalFree(arguments);
    return recorded ? 0 : 1;
}
