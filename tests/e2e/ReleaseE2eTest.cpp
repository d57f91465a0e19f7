// The release as a user gets it: the setup program installs, upgrades over the running copy and
// uninstalls, keeping the clips; the portable zip runs wherever it is unpacked.
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <functional>
#include <set>
#include <utility>

#include "E2eFixture.h"

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Clipboard Quorvex";
const std::string kClip = "kept through the upgrade";
constexpr int kHelpButton = 1056;  // the about box's "&Help"

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
const std::set<std::wstring> kProgramEntries = {L"Quorvex.exe", L"Manual.doc", L"Manual.html",
                                                L"RECENT\\",    L"FAVORITE\\", L"EXPORT\\"};

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

// What a shortcut opens.
std::wstring ShortcutTarget(const std::wstring& shortcut) {
    wchar_t target[MAX_PATH] = L"";
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ))) link->GetPath(target, MAX_PATH, nullptr, 0);
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return target;
}

bool ProgramOpens(const wchar_t* extension) {
    wchar_t program[MAX_PATH];
    DWORD length = MAX_PATH;
    return SUCCEEDED(
        AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_EXECUTABLE, extension, L"open", program, &length));
}

// While it lives, the program that the shell opens a kind of document with is a stand-in that
// records what it was asked to open (OpenRecorder.cpp, beside the tests). Under Wine the
// registration is the prefix's own: the extension's earlier one comes back afterwards.
class StandInOpener : ProgramFiles {
public:
    explicit StandInOpener(const std::wstring& extension)
        : m_extension(extension), m_progId(L"QuorvexTest" + extension) {
        m_path = FreshTemporaryFolder(L"quorvex-opened", L"");
        HKEY key = nullptr;
        m_hadExtension = RegOpenKeyExW(HKEY_CLASSES_ROOT, extension.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
        RegCloseKey(key);
        DWORD size = sizeof m_previous;
        m_hadProgram = RegGetValueW(HKEY_CLASSES_ROOT, extension.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, m_previous,
                                    &size) == ERROR_SUCCESS;
        wchar_t recorder[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, recorder, MAX_PATH);
        lstrcpyW(std::wcsrchr(recorder, L'\\') + 1, L"open_recorder.exe");  // beside the tests
        SetDefault(m_progId + L"\\shell\\open\\command",
                   L"\"" + std::wstring(recorder) + L"\" \"" + File(kRecord) + L"\" \"%1\"");
        SetDefault(m_extension, m_progId);
    }
    ~StandInOpener() {
        if (m_hadProgram)
            SetDefault(m_extension, m_previous);
        else if (m_hadExtension)
            RegDeleteKeyValueW(HKEY_CLASSES_ROOT, m_extension.c_str(), nullptr);
        else
            RegDeleteTreeW(HKEY_CLASSES_ROOT, m_extension.c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, m_progId.c_str());
        RemoveTree(m_path);
    }

    // Waits until the stand-in was asked to open the file, that one alone; a failure says what it was asked.
    testing::AssertionResult OpenedOnly(const std::wstring& file) const {
        if (PumpUntil([&] { return Read(kRecord) == ToAnsi(file) + "\r\n"; }, kStepTimeoutMs))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "the program for " << ToAnsi(m_extension) << " was asked to open \""
                                           << Read(kRecord) << "\"";
    }

private:
    static constexpr char kRecord[] = "opened.txt";
    static void SetDefault(const std::wstring& key, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    const std::wstring m_extension, m_progId;
    bool m_hadExtension = false, m_hadProgram = false;
    wchar_t m_previous[MAX_PATH] = L"";
};

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

    // Help opens the manual as a web page where no program opens Word documents (Windows 11 from 24H2
    // has none), and Manual.doc where one does; the Start menu's manual is the web page.
    EXPECT_EQ(ShortcutTarget(StartMenuShortcut(L"Clipboard Quorvex Manual")), folder + L"\\Manual.html");
    ASSERT_FALSE(ProgramOpens(L".doc")) << "this Wine prefix has a program for .doc documents";
    {
        StandInOpener browser(L".html");
        ASSERT_TRUE(PostMessageA(program.MainWindow(), kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK));
        HWND about = WaitForDialog(program, kAboutTitle);
        ASSERT_NE(about, nullptr);
        ClickButton(about, kHelpButton);
        EXPECT_TRUE(browser.OpenedOnly(folder + L"\\Manual.html"));
        {
            StandInOpener reader(L".doc");
            ClickButton(about, kHelpButton);
            EXPECT_TRUE(reader.OpenedOnly(folder + L"\\Manual.doc"));
        }
        EXPECT_TRUE(browser.OpenedOnly(folder + L"\\Manual.html"));
        EXPECT_TRUE(CloseAboutBox(about));
    }
    EXPECT_FALSE(ProgramOpens(L".doc")) << "the stand-in for .doc documents stayed registered";

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
