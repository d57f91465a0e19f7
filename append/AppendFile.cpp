#include "AppendFile.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>

#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/ClipRecord.h"
#include "clips/Clipboard.h"
#include "clips/DataFiles.h"
#include "framework/Handles.h"
#include "framework/TextConversion.h"

int AppendMode = 1;

namespace {
const char kAppendFileName[] = "ClipAppends.txt";
const char kOpenFailure[] = "Error open Appends file!";
const char kUtf16Mark[] = "\xFF\xFE";
const char kUtf8Mark[] = "\xEF\xBB\xBF";

// The file as this run last left it, UTF-8 throughout. It only grows: while the same file is found, unchanged or
// longer, only what was added since (by another program, or by hand) is looked at, never the whole file again.
struct CheckedFile {
    DWORD volume = 0, indexHigh = 0, indexLow = 0;
    FILETIME written{};
    ULONGLONG size = 0;
};
std::optional<CheckedFile> s_checked;

ULONGLONG SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

bool ReadPart(HANDLE file, ULONGLONG from, ULONGLONG to, std::string& bytes) {
    bytes.resize(static_cast<std::size_t>(to - from));
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(from);
    DWORD read = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
}

// The file's text, a line at a time: a line that is UTF-8 is read so, any other in the ANSI code page (an earlier
// release's file, a line added by hand or by an earlier release), so that no line is ever read in the other's way.
std::wstring FileText(const char* bytes, std::size_t count) {
    // Saved by an editor as "Unicode", the file is UTF-16 after its byte order mark; a UTF-8 one's mark is no text.
    if (count >= 2 && std::memcmp(bytes, kUtf16Mark, 2) == 0) {
        std::wstring text((count - 2) / sizeof(wchar_t), L'\0');
        std::memcpy(&text[0], bytes + 2, text.size() * sizeof(wchar_t));
        return text;
    }
    if (count >= 3 && std::memcmp(bytes, kUtf8Mark, 3) == 0) {
        bytes += 3;
        count -= 3;
    }
    std::wstring text;
    for (std::size_t start = 0; start < count;) {
        const void* lineEnd = std::memchr(bytes + start, '\n', count - start);
        const std::size_t end = lineEnd ? static_cast<const char*>(lineEnd) - bytes + 1 : count;
        text += WideText(bytes + start, end - start, IsUtf8(bytes + start, end - start) ? CP_UTF8 : CP_ACP);
        start = end;
    }
    return text;
}

// How many of the bytes a read cut at its bound end on a whole character, as the file or its last line is encoded.
std::size_t WholeCharacters(const char* bytes, std::size_t count) {
    if (count >= 2 && std::memcmp(bytes, kUtf16Mark, 2) == 0) {
        std::size_t whole = count & ~std::size_t{1};
        const auto last = static_cast<unsigned char>(bytes[whole - 1]);
        return last >= 0xD8 && last <= 0xDB ? whole - 2 : whole;  // the first half of a surrogate pair
    }
    std::size_t lineStart = count;
    while (lineStart > 0 && bytes[lineStart - 1] != '\n') --lineStart;
    const std::size_t utf8 = WholeUtf8Length(bytes, count);
    if (IsUtf8(bytes + lineStart, utf8 - lineStart)) return utf8;
    return lineStart + AnsiPrefix(std::string(bytes + lineStart, count - lineStart), count - lineStart).size();
}

// True, with the whole file in `bytes`, when a line of it is not UTF-8.
bool HoldsAnsiLines(HANDLE file, std::string& bytes) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return false;
    const ULONGLONG size = SizeOf(info);
    const bool same = s_checked && s_checked->volume == info.dwVolumeSerialNumber &&
                      s_checked->indexHigh == info.nFileIndexHigh && s_checked->indexLow == info.nFileIndexLow;
    ULONGLONG from = 0;
    if (same && size == s_checked->size && CompareFileTime(&s_checked->written, &info.ftLastWriteTime) == 0)
        from = size;
    else if (same && size > s_checked->size)
        from = s_checked->size;
    std::string added;
    if (from == size || !ReadPart(file, from, size, added) || IsUtf8(added.data(), added.size())) return false;
    if (from > 0) return ReadPart(file, 0, size, bytes);
    bytes = std::move(added);
    return true;
}

// The whole file in UTF-8, written beside it and moved over it as a data file is: a failure leaves it as it was.
bool MakeUtf8(const std::string& bytes) {
    const std::string utf8 = Utf8Text(FileText(bytes.data(), bytes.size()));
    return WriteClipFile(kAppendFileName, utf8.data(), utf8.size(), kOpenFailure);
}

void RememberChecked(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info))
        s_checked = CheckedFile{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow,
                                info.ftLastWriteTime, SizeOf(info)};
    else
        s_checked.reset();
}

// An append-only handle and one write per entry keep every entry whole, whoever else writes the file meanwhile.
HANDLE OpenAppendFile() {
    wchar_t path[MAX_PATH];
    return ProgramPathW(path, kAppendFileName)
               ? CreateFileW(path, FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr)
               : INVALID_HANDLE_VALUE;
}
}  // namespace

void SaveAppendClip(const std::wstring& text) {
    const std::size_t length = wcsnlen(text.c_str(), text.size());
    // Every line end becomes CR LF exactly once, so a pasted file holds the text as it was copied.
    std::wstring entry;
    entry.reserve(length + length / 8 + 2);
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) entry += L'\r';
        entry += text[i];
    }
    entry += L"\r\n";
    const std::string bytes = Utf8Text(entry);

    for (bool madeUtf8 = false;;) {
        FileHandle file(OpenAppendFile());
        if (!file.IsValid()) {
            WriteLog(kOpenFailure, 0);
            return;
        }
        std::string held;
        if (!madeUtf8 && HoldsAnsiLines(file.Get(), held)) {
            file.Close();
            if (!MakeUtf8(held)) return;
            madeUtf8 = true;
            continue;
        }
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size()) {
            WriteLog("Error close Appends file!", 0);
            s_checked.reset();
            return;
        }
        RememberChecked(file.Get());
        return;
    }
}

void AppendClipboardText(const ClipboardClip& read) {
    if (AppendMode != 1) return;
    // A text clip is its own plain text; any other clip brings the text the clipboard offered with it.
    const bool textClip = read.format == CF_TEXT || read.format == CF_UNICODETEXT;
    if (!textClip && !read.hasText) return;
    WriteLogFormat(0, "Rich text GlobalSize = %d",
                   static_cast<int>(read.format == CF_TEXT ? read.blockSize : read.textBlockSize));
    SaveAppendClip(ClipboardPlainText(read));
}

int PutAppendClip() {
    WriteLog("PutAppendClip started", 0);
    auto bytes = std::make_unique<char[]>(kClipBufferSize);
    long count = ReadClipFile(kAppendFileName, bytes.get(), OpenMode::CreateIfMissing);
    if (count <= 0) {
        WriteLog("Clipboard CLIP_APPEND_FILE clip empty", 0);
        return 1;
    }
    const std::size_t read = static_cast<std::size_t>(count);
    const std::wstring text = FileText(bytes.get(), read == kMaxClipFileRead ? WholeCharacters(bytes.get(), read) : read);
    return PutClipAndLog(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t)) ? 0 : 1;
}

BOOL DeleteAppendFile() {
    wchar_t path[MAX_PATH];
    return ProgramPathW(path, kAppendFileName) && DeleteFileW(path);
}
