#include "IniFile.h"

#include <cwchar>
#include <vector>

#include "framework/Handles.h"
#include "framework/Sync.h"

namespace {

const DWORD kHeldFileWaitMs = 100;
// Far beyond any Save.ini or Export.ini the program writes; a larger file is not read into memory.
const LONGLONG kLargestIniFile = 64 * 1024 * 1024;

// The name without its last four characters (".ini").
std::wstring Stem(const wchar_t* file) {
    std::wstring name = file;
    return name.substr(0, name.size() >= 4 ? name.size() - 4 : name.size());
}

// Each process changes the file through a copy of its own name.
std::wstring CopyName(const wchar_t* file) {
    wchar_t suffix[32];
    std::swprintf(suffix, 32, L"~%lX.TMP", GetCurrentProcessId());
    return Stem(file) + suffix;
}

// One instance runs per folder (it claims the folder at start): only threads of this process change its
// INI files, and they take turns.
CCriticalSection& ChangeTurns() {
    static CCriticalSection turns;
    return turns;
}

// The copy starts as the file's bytes; with no file there is no copy, and the first write makes one.
// Written afresh rather than copied, so it never carries the file's time (the private-profile calls
// tell a changed file by its time).
bool StartCopy(const wchar_t* file, const wchar_t* copy) {
    DeleteFileW(copy);
    HANDLE opened = INVALID_HANDLE_VALUE;
    const bool found = RetryWhileFileHeld([&] {
        opened = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        return opened != INVALID_HANDLE_VALUE;
    });
    FileHandle source(opened);
    if (!found) return GetLastError() == ERROR_FILE_NOT_FOUND;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(source.Get(), &size) || size.QuadPart > kLargestIniFile) return false;
    std::vector<char> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(source.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return false;
    FileHandle target(CreateFileW(copy, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return target.IsValid() &&
           (bytes.empty() || (WriteFile(target.Get(), bytes.data(), read, &written, nullptr) && written == read));
}

// Flushed before the move, so the file is never replaced by bytes that are not yet on the disk.
bool FlushCopy(const wchar_t* copy) {
    FileHandle file(CreateFileW(copy, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return file.IsValid() && FlushFileBuffers(file.Get());
}

}  // namespace

bool RetryWhileFileHeld(const std::function<bool()>& attempt) {
    const ULONGLONG deadline = GetTickCount64() + kHeldFileWaitMs;
    for (;;) {
        if (attempt()) return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || GetTickCount64() >= deadline) {
            SetLastError(error);
            return false;
        }
        Sleep(10);
    }
}

std::string ReadIni(const wchar_t* file, const char* section, const char* key, const char* fallback) {
    wchar_t value[260];
    GetPrivateProfileStringW(WideText(section).c_str(), WideText(key).c_str(), WideText(fallback).c_str(), value,
                             260, file);
    return AnsiText(value);
}

bool WriteIni(const wchar_t* file, const char* section, const char* key, const char* value) {
    const std::wstring wideSection = WideText(section);
    const std::wstring wideKey = key ? WideText(key) : std::wstring();
    const std::wstring wideValue = value ? WideText(value) : std::wstring();
    return ChangeIni(file, [&](const wchar_t* copy) {
        return WritePrivateProfileStringW(wideSection.c_str(), key ? wideKey.c_str() : nullptr,
                                          value ? wideValue.c_str() : nullptr, copy) != FALSE;
    });
}

bool ChangeIni(const wchar_t* file, const std::function<bool(const wchar_t* copy)>& change) {
    CSingleLock turn(ChangeTurns());
    const std::wstring copy = CopyName(file);
    if (!StartCopy(file, copy.c_str()) || !change(copy.c_str())) {
        DeleteFileW(copy.c_str());
        return false;
    }
    // The private-profile calls may keep what they wrote in a cache of their own until told to write it.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, copy.c_str());
    // A change that wrote nothing to a file that does not exist leaves nothing to move.
    if (GetFileAttributesW(copy.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    if (!FlushCopy(copy.c_str()) || !RetryWhileFileHeld([&] {
            return MoveFileExW(copy.c_str(), file, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        })) {
        DeleteFileW(copy.c_str());
        return false;
    }
    return true;
}

void DiscardUnfinishedIniChange(const wchar_t* file) {
    // Taken in turn with the changes, so no copy that a running change still needs goes.
    CSingleLock turn(ChangeTurns());
    const std::wstring stem = Stem(file);
    DeleteFileW((stem + L".TMP").c_str());  // the one name an earlier release used
    const std::wstring folder = stem.substr(0, stem.find_last_of(L'\\') + 1);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((stem + L"~*.TMP").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do DeleteFileW((folder + found.cFileName).c_str());
    while (FindNextFileW(search, &found));
    FindClose(search);
}
