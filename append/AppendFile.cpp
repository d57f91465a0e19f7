#include "AppendFile.h"

#include <cstring>
#include <memory>
#include <string>

#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/ClipRecord.h"
#include "clips/Clipboard.h"
#include "clips/DataFiles.h"
#include "framework/Handles.h"

int AppendMode = 1;

namespace {
const char kAppendFileName[] = "ClipAppends.txt";
}

void SaveAppendClip(const char* text, std::size_t size) {
    const void* nul = std::memchr(text, '\0', size);
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : size;
    // Every line end becomes CR LF exactly once, so a pasted file holds the text as it was copied.
    std::string entry;
    entry.reserve(length + length / 8 + 2);
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) entry += '\r';
        entry += text[i];
    }
    entry += "\r\n";

    // Another instance may append at the same moment: an append-only handle and one write per
    // entry keep every entry whole.
    wchar_t path[MAX_PATH];
    FileHandle file(ProgramPathW(path, kAppendFileName)
                        ? CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                        : INVALID_HANDLE_VALUE);
    if (!file.IsValid()) {
        WriteLog("Error open Appends file!", 0);
        return;
    }
    DWORD written = 0;
    if (!WriteFile(file.Get(), entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr) ||
        written != entry.size())
        WriteLog("Error close Appends file!", 0);
}

void AppendClipboardText(const ClipboardClip& read) {
    if (AppendMode != 1) return;
    // A text clip is its own plain text; any other clip brings the clipboard's CF_TEXT with it (a
    // Unicode text its ANSI form), so the file stays ANSI.
    if (read.format == CF_TEXT) {
        WriteLogFormat(0, "Rich text GlobalSize = %d", static_cast<int>(read.blockSize));
        SaveAppendClip(read.bytes.data(), read.bytes.size());
    } else if (read.hasText) {
        WriteLogFormat(0, "Rich text GlobalSize = %d", static_cast<int>(read.textBlockSize));
        SaveAppendClip(read.text.data(), read.text.size());
    }
}

int PutAppendClip() {
    WriteLog("PutAppendClip started", 0);
    // Zero-filled and one byte longer than the most that is read, so the text always ends in a NUL.
    auto bytes = std::make_unique<char[]>(kClipBufferSize);
    long count = ReadClipFile(kAppendFileName, bytes.get(), OpenMode::CreateIfMissing);
    if (count <= 0) {
        WriteLog("Clipboard CLIP_APPEND_FILE clip empty", 0);
        return 1;
    }
    if (!PutClipAndLog(CF_TEXT, bytes.get(), static_cast<std::size_t>(count) + 1)) return 1;
    return 0;
}

BOOL DeleteAppendFile() {
    wchar_t path[MAX_PATH];
    return ProgramPathW(path, kAppendFileName) && DeleteFileW(path);
}
