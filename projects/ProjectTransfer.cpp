#include "ProjectTransfer.h"

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "base/IniFile.h"
#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "clips/ClipRecord.h"
#include "clips/Clipboard.h"
#include "clips/DataFiles.h"
#include "clips/TypeIndex.h"
#include "framework/Handles.h"
#include "framework/Prompts.h"

namespace {

const std::size_t kImportedNameLength = 25;  // what the New Project dialog accepts
const std::size_t kImportedCaptionLength = 20;

std::string Key(const char* prefix, int slot) { return prefix + std::to_string(slot); }

void ReportIniFailure() {
    WriteLog("Error write to Export.ini", 0);
    AfxMessageBox("Error export project INI file!", MB_OK | MB_ICONHAND);
}

// The format under which this run stores an imported favourite whose Export.ini value is `text`,
// or 0 for an empty slot or one it never stores. Registered formats are rich text of the exporting
// run and become this run's rich-text id. A bitmap handle (0x2) lives only in the session that made
// it, so no release stored one: bytes under that type are no picture this program could put.
UINT ImportedFormat(const std::string& text) {
    const UINT format = ParseClipType(text.c_str());
    if (format == CF_TEXT || format == CF_UNICODETEXT || format == CF_DIB || format == CF_ENHMETAFILE) return format;
    if (format > 0xC000 || (g_nRichTextFormat != 0 && format == g_nRichTextFormat)) return g_nRichTextFormat;
    return 0;
}

// Copies an exported data file to the favourite data file `target`, only when a clip could hold it:
// a file of 250,000 bytes or more is not read at all. False (no target left) when it was not copied.
bool ImportClipFile(const std::wstring& source, const std::string& target) {
    FileHandle file(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart >= static_cast<LONGLONG>(kClipBufferSize))
        return false;
    std::vector<char> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        return false;
    if (WriteFreshFile(target, bytes.data(), bytes.size())) return true;
    DeleteClipFile(target);
    return false;
}

}  // namespace

bool IsPlainFolderName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    if (name.back() == L'.' || name.back() == L' ') return false;
    for (wchar_t c : name)
        if (c < 32 || std::wcschr(L"\\/:*?\"<>|", c)) return false;
    std::wstring stem = name.substr(0, name.find(L'.'));
    for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (stem == device) return false;
    return !(stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
             stem[3] >= L'1' && stem[3] <= L'9');
}

void ExportProject(const PRJ_STR& project) {
    const std::string folderName = std::string("EXPORT\\") + project.name;
    wchar_t folder[MAX_PATH], exportIni[MAX_PATH], saveIni[MAX_PATH];
    if (!IsPlainFolderName(WideText(project.name)) || !ProgramPathW(folder, folderName.c_str()) ||
        !ProgramPathFormatW(exportIni, "%s\\Export.ini", folderName.c_str()) || !ProgramPathW(saveIni, "Save.ini")) {
        ReportIniFailure();
        return;
    }
    if (!CreateDirectoryW(folder, nullptr))
        WriteLogFormat(0, "Error create directory - \n%s !", AnsiText(folder).c_str());
    // The folder may hold an earlier export of this name: the export replaces its Export.ini and
    // data files (below), so that slots emptied since do not travel along.
    DeleteFileW(exportIni);

    const std::string section(1, project.letter);
    bool written = WriteIni(exportIni, "EXP", "NAME", ReadIni(saveIni, section.c_str(), "NAME", "").c_str());
    bool named[kFavoriteSlots + 1] = {};
    for (int slot = 1; written && slot <= kFavoriteSlots; ++slot) {
        const std::string clip = ReadIni(saveIni, section.c_str(), Key("CLIP", slot).c_str(), "");
        named[slot] = !clip.empty();
        if (!named[slot]) continue;
        const std::string caption = ReadIni(saveIni, section.c_str(), Key("CAPTION", slot).c_str(), "");
        written = WriteIni(exportIni, "EXP", Key("CLIP", slot).c_str(), clip.c_str()) &&
                  WriteIni(exportIni, "EXP", Key("CAPTION", slot).c_str(), caption.c_str());
    }
    if (!written) {
        ReportIniFailure();
        return;
    }
    // Only the slots Save.ini names travel: a data file without a key may be a deleted project's.
    for (int slot = 1; slot <= kFavoriteSlots; ++slot) {
        wchar_t source[MAX_PATH], target[MAX_PATH];
        const bool paths = ProgramPathFormatW(source, "FAVORITE\\%cCLIPB%d.DAT", project.letter, slot) &&
                           ProgramPathFormatW(target, "%s\\CLIPB%d.DAT", folderName.c_str(), slot);
        if (!paths || !named[slot] || !CopyFileW(source, target, FALSE)) {
            WriteLogFormat(0, "Error copy to file - \n%s !", paths ? AnsiText(target).c_str() : folderName.c_str());
            if (paths) DeleteFileW(target);
        }
    }
    char message[128];
    std::snprintf(message, sizeof message, "Export completed successfully!\nProject <%s> stored in EXPORT directory.",
                  project.name);
    AfxMessageBox(message, MB_OK | MB_ICONINFORMATION);
    wchar_t exportFolder[MAX_PATH];
    if (ProgramPathW(exportFolder, "EXPORT\\")) AfxShellOpen(exportFolder, "explore");
}

bool ImportProject(const std::wstring& exportIni) {
    const std::string name = AnsiPrefix(ReadIni(exportIni.c_str(), "EXP", "NAME", ""), kImportedNameLength);
    // A name of "-" would hide the project while its favourite keys stay behind.
    if (name.empty() || name == "-") {
        WriteLog("Error read Export.ini", 0);
        return false;
    }
    const char letter = GetFreePrjLetter();
    if (letter == 0 || letter > 'Z') {
        AfxMessageBox("Can not create another project!", MB_OK);
        return false;
    }
    wchar_t saveIni[MAX_PATH];
    const std::string section(1, letter);
    bool written = ProgramPathW(saveIni, "Save.ini") && StartProject(letter, name.c_str());
    // A slot's keys are written only once its data file is in place; a slot that is empty, of a type
    // this program does not store, or whose file cannot be copied stays empty and is logged.
    const std::wstring folder = exportIni.substr(0, exportIni.find_last_of(L'\\'));
    for (int slot = 1; written && slot <= kFavoriteSlots; ++slot) {
        const UINT format = ImportedFormat(ReadIni(exportIni.c_str(), "EXP", Key("CLIP", slot).c_str(), ""));
        const std::wstring source = folder + L"\\CLIPB" + std::to_wstring(slot) + L".DAT";
        if (format == 0 || !ImportClipFile(source, FavoriteClipFileName(letter, slot))) {
            WriteLogFormat(0, "Error import file - \n%s !", AnsiText(source.c_str()).c_str());
            continue;
        }
        char clip[16];
        std::snprintf(clip, sizeof clip, "0x%X", format);
        const std::string caption =
            AnsiPrefix(ReadIni(exportIni.c_str(), "EXP", Key("CAPTION", slot).c_str(), ""), kImportedCaptionLength);
        written = WriteIni(saveIni, section.c_str(), Key("CLIP", slot).c_str(), clip) &&
                  WriteIni(saveIni, section.c_str(), Key("CAPTION", slot).c_str(), caption.c_str());
    }
    if (!written) ReportIniFailure();
    return true;  // a name already written lists the project, even after a failed write
}
