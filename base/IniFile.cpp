#include "IniFile.h"

#include <vector>

#include "framework/Handles.h"

namespace {

std::wstring CopyName(const wchar_t* file) {
    std::wstring name = file;
    return name.substr(0, name.size() >= 4 ? name.size() - 4 : name.size()) + L".TMP";
}

// The copy starts as the file's bytes; with no file there is no copy, and the first write makes one.
// Written afresh rather than copied, so it never carries the file's time (the private-profile calls
// tell a changed file by its time).
bool StartCopy(const wchar_t* file, const wchar_t* copy) {
    DeleteFileW(copy);
    FileHandle source(CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!source.IsValid()) return GetLastError() == ERROR_FILE_NOT_FOUND;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(source.Get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
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

// Another program reading the file for a moment keeps it from being replaced (under Wine, any open
// handle does): about 100 ms of retries.
bool ReplaceByCopy(const wchar_t* copy, const wchar_t* file) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(copy, file, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if (attempt == 10 || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) return false;
        Sleep(10);
    }
}

}  // namespace

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
    const std::wstring copy = CopyName(file);
    if (!StartCopy(file, copy.c_str()) || !change(copy.c_str())) {
        DeleteFileW(copy.c_str());
        return false;
    }
    // A change that wrote nothing to a file that does not exist leaves nothing to move.
    if (GetFileAttributesW(copy.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    if (!FlushCopy(copy.c_str()) || !ReplaceByCopy(copy.c_str(), file)) {
        DeleteFileW(copy.c_str());
        return false;
    }
    return true;
}

void DiscardUnfinishedIniChange(const wchar_t* file) { DeleteFileW(CopyName(file).c_str()); }
