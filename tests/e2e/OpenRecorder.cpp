// A stand-in for the program Windows opens a kind of document with: run as
// "open_recorder.exe <record file> <document>", it adds the document's path as a line (ANSI) to the
// record file and ends, so that a test can see what the shell was asked to open.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    char line[4 * MAX_PATH] = "";
    if (!arguments || count != 3 ||
        !WideCharToMultiByte(CP_ACP, 0, arguments[2], -1, line, sizeof line, nullptr, nullptr))
        return 1;
    FILE* record = _wfopen(arguments[1], L"ab");
    const bool written = record && std::fprintf(record, "%s\r\n", line) > 0;
    return record && std::fclose(record) == 0 && written ? 0 : 1;
}
