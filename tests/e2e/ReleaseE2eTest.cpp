// The release as a user gets it: the setup program installs, upgrades over the running copy and
// uninstalls, keeping the clips; the portable zip runs wherever it is unpacked.
#include <shlobj.h>

#include <cwchar>
#include <functional>
#include <set>
#include <utility>

#include "E2eFixture.h"

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Clipboard Quorvex";
const std::string kClip = "kept through the upgrade";

// Every file and folder under a folder by its path there; a folder's ends with a backslash.
std::set<std::wstring> Entries(const std::wstring& folder) {
    std::set<std::wstring> entries;
    std::function<void(const std::wstring&)> walk = [&](const std::wstring& relative) {
        ForEachEntry(folder + relative, [&](const std::wstring& name, bool isFolder) {
            entries.insert((relative + L"\\" + name).substr(1) + (isFolder ? L"\\" : L""));
            if (isFolder) walk(relative + L"\\" + name);
        });
    };
    walk(L"");
    return entries;
}

// What the build's installation folder holds.
const std::set<std::wstring> kProgramEntries = {L"Quorvex.exe", L"Manual.doc", L"RECENT\\", L"FAVORITE\\", L"EXPORT\\"};

// The fixed file version of a file's version resource ("1.0.0.0").
std::string Version(const std::wstring& file) {
    DWORD unused = 0;
    std::string info(GetFileVersionInfoSizeW(file.c_str(), &unused), '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (info.empty() || !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size))
        return "<none>";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

// Ctrl+1 in a fresh editor pastes recent clip 1.
testing::AssertionResult CtrlOnePastes(const std::string& text) {
    TypingTarget editor;
    if (!editor.TakeFocus()) return testing::AssertionFailure() << "the editor could not get the keyboard focus";
    PressKeys({VK_CONTROL, '1'});
    return EditorShows(editor, ToWide(text));
}

// A value of the uninstall entry as text, a number in decimal; "<missing>" when absent.
std::wstring UninstallValue(const wchar_t* name) {
    union {
        wchar_t text[1024];
        DWORD number;
    } data{};
    DWORD type = 0, size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, &data, &size) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return type == REG_DWORD ? std::to_wstring(data.number) : data.text;
}

bool KeyExists(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring StartMenuShortcut(const std::wstring& name) {
    wchar_t programs[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
    return programs + (L"\\" + name + L".lnk");
}

// The setup program installs into the test's folder, which starts empty and has a space in its name.
struct ReleaseE2e : E2eTest {
    ReleaseE2e() : E2eTest(L" Clipboard Quorvex", "") {}
};

TEST_F(ReleaseE2e, InstallsUpgradesOverTheRunningCopyAndUninstallsLeavingOnlyTheClips) {
    ASSERT_FALSE(Built().setup.empty()) << "no --setup= given";
    const std::wstring folder = m_install.Path(), exe = m_install.Exe();
    auto runSetup = [&] { return RunToEnd(ToWide(Built().setup), "/S /D=" + ToAnsi(folder)); };
    // The user's files, as the program and the user made them, are all there.
    auto keepsTheClips = [&] {
        EXPECT_EQ(m_install.Read(RecentFile(1)), TextBlock(kClip));
        EXPECT_EQ(m_install.Ini("RECENTS", RecentKey(1).c_str()), "0x1");
        EXPECT_NE(m_install.Read("ClipAppends.txt").find(kClip), std::string::npos);
        EXPECT_EQ(m_install.Read("FAVORITE\\ACLIPB1.DAT"), "favourite");
        EXPECT_EQ(m_install.Read("EXPORT\\Work\\Export.ini"), "export");
    };
    ASSERT_TRUE(runSetup());
    std::set<std::wstring> installed = kProgramEntries;
    installed.insert(L"uninstall.exe");
    EXPECT_EQ(Entries(folder), installed);
    for (const wchar_t* shortcut : {L"Clipboard Quorvex", L"Clipboard Quorvex Manual"})
        EXPECT_TRUE(Exists(StartMenuShortcut(shortcut))) << ToAnsi(StartMenuShortcut(shortcut));

    // The version in the setup's name is the one its own resources, the program's and the entry show.
    const std::string& setup = Built().setup;
    const std::string::size_type start = setup.rfind("Quorvex-") + 8;
    const std::string version = setup.substr(start, setup.rfind("-setup.exe") - start);
    EXPECT_EQ(Version(ToWide(setup)), version + ".0");
    EXPECT_EQ(Version(exe), version + ".0");
    const std::wstring uninstaller = L"\"" + folder + L"\\uninstall.exe\"";
    const std::pair<const wchar_t*, std::wstring> entry[] = {
        {L"DisplayName", L"Clipboard Quorvex"}, {L"DisplayVersion", ToWide(version)},
        {L"Publisher", L"Corvellan Software"},  {L"DisplayIcon", exe},
        {L"InstallLocation", folder},           {L"UninstallString", uninstaller},
        {L"QuietUninstallString", uninstaller + L" /S"}, {L"NoModify", L"1"}, {L"NoRepair", L"1"}};
    for (const auto& [name, value] : entry) EXPECT_EQ(UninstallValue(name), value) << ToAnsi(name);
    EXPECT_GE(std::wcstoul(UninstallValue(L"EstimatedSize").c_str(), nullptr, 10),
              m_install.Read("Quorvex.exe").size() / 1024);

    // The installed program captures and pastes, and registers itself to start with Windows.
    Program program(m_install);
    ASSERT_TRUE(program.Ready());
    ASSERT_TRUE(CopyAndWaitForCapture(kClip, 1));
    EXPECT_TRUE(CtrlOnePastes(kClip));
    const std::wstring runCommand = L"\"" + exe + L"\"";
    EXPECT_TRUE(RunValue(HKEY_LOCAL_MACHINE) == runCommand || RunValue(HKEY_CURRENT_USER) == runCommand);
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\EXPORT\\Work").c_str(), nullptr));
    m_install.Write("FAVORITE\\ACLIPB1.DAT", "favourite");
    m_install.Write("EXPORT\\Work\\Export.ini", "export");

    // The same setup again over the running copy: it ends that copy before it replaces the program
    // (a spoilt manual shows the replacement) and keeps what the user made.
    m_install.Write("Manual.doc", "spoilt");
    ASSERT_TRUE(runSetup());
    EXPECT_FALSE(program.Running()) << "the setup program returned while the old copy still ran";
    EXPECT_EQ(m_install.Read("Manual.doc").substr(0, 6), "{\\rtf1");
    keepsTheClips();
    Program upgraded(m_install);
    ASSERT_TRUE(upgraded.Ready());
    EXPECT_TRUE(CtrlOnePastes(kClip));

    // Uninstalled as Windows does it: a copy of the uninstaller outside the folder, told where the
    // installation is, while the program runs.
    const std::wstring elsewhere = FreshTemporaryFolder(L"quorvex-uninstall", L"");
    ASSERT_TRUE(CopyFileW((folder + L"\\uninstall.exe").c_str(), (elsewhere + L"\\uninstall.exe").c_str(), FALSE));
    EXPECT_TRUE(RunToEnd(elsewhere + L"\\uninstall.exe", "/S _?=" + ToAnsi(folder)));
    RemoveTree(elsewhere);
    EXPECT_FALSE(upgraded.Running()) << "the uninstaller returned while the program still ran";
    const std::set<std::wstring> clips = {
        L"Save.ini", L"ClipAppends.txt", L"RECENT\\", L"RECENT\\RECCLIP1.DAT", L"FAVORITE\\",
        L"FAVORITE\\ACLIPB1.DAT", L"EXPORT\\", L"EXPORT\\Work\\", L"EXPORT\\Work\\Export.ini"};
    EXPECT_EQ(Entries(folder), clips);
    keepsTheClips();
    for (const wchar_t* shortcut : {L"Clipboard Quorvex", L"Clipboard Quorvex Manual"})
        EXPECT_FALSE(Exists(StartMenuShortcut(shortcut))) << ToAnsi(StartMenuShortcut(shortcut));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        EXPECT_EQ(RunValue(root), L"<missing>");
        EXPECT_FALSE(KeyExists(root, L"Software\\CORVELLAN"));
    }
}

// The portable zip, unpacked into a folder named in Cyrillic.
struct ReleaseZipE2e : E2eTest {
    ReleaseZipE2e() : E2eTest(L" Переносная", Built().portable) {}
};

TEST_F(ReleaseZipE2e, TheUnpackedZipRunsWhereItIsAndKeepsItsClipsThere) {
    EXPECT_EQ(Entries(m_install.Path()), kProgramEntries);
    Program program(m_install);
    ASSERT_TRUE(program.Ready());
    EXPECT_TRUE(CopyAndWaitForCapture("portable copy", 1));
}

}  // namespace
