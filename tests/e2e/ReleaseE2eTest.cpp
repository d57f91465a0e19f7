// The release as a user gets it: the setup program installs, upgrades over the running copy (which
// runs again afterwards) and uninstalls, keeping the clips, and touches only what is the program's;
// the portable zip runs wherever it is unpacked.
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <functional>
#include <initializer_list>
#include <set>
#include <utility>

#include "E2eFixture.h"
#include "support/TrayIconShell.h"
#include "support/WindowText.h"

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Clipboard Quorvex";
const std::string kClip = "kept through the upgrade";
constexpr int kHelpButton = 1056;  // the about box's "&Help"

// Every file and folder under a folder by its path there; a folder's ends with a backslash.
std::set<std::wstring> Entries(const std::wstring& folder, const std::wstring& path = L"") {
    std::set<std::wstring> entries;
    ForEachEntry(folder, [&](const std::wstring& name, bool isFolder) {
        entries.insert(path + name + (isFolder ? L"\\" : L""));
        if (isFolder) entries.merge(Entries(folder + L"\\" + name, path + name + L"\\"));
    });
    return entries;
}

// What the build's installation folder holds.
const std::set<std::wstring> kProgramEntries = {L"Quorvex.exe", L"Manual.doc", L"Manual.html",
                                                L"RECENT\\",    L"FAVORITE\\", L"EXPORT\\"};
// What the setup program puts into a folder: the same, its uninstaller and its log.
const std::set<std::wstring> kInstalled = {L"Quorvex.exe", L"Manual.doc", L"Manual.html",   L"RECENT\\",
                                           L"FAVORITE\\",  L"EXPORT\\",   L"uninstall.exe", L"Quorvex-Setup.log"};

// The fixed file version of a file's version resource ("1.0.0.0").
std::string Version(const std::wstring& file) {
    std::string info(GetFileVersionInfoSizeW(file.c_str(), nullptr), '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (info.empty() || !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size))
        return "<none>";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
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
    return RegOpenKeyExW(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS && RegCloseKey(key) == ERROR_SUCCESS;
}

const wchar_t kMakerPage[] = L"https://www.corvellan.example/";

// Today as the uninstall entry's InstallDate gives it: yyyymmdd.
std::wstring Today() {
    wchar_t date[16] = L"";
    GetDateFormatW(LOCALE_INVARIANT, 0, nullptr, L"yyyyMMdd", date, 16);
    return date;
}

// The log of the setup program, UTF-16 as Notepad shows it.
std::wstring SetupLog(const ProgramFiles& installation) {
    const std::string bytes = installation.Read("Quorvex-Setup.log");
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

// A folder the test fills by hand: the user's own files, or files as the program makes them.
struct Folder : ProgramFiles {
    explicit Folder(const std::wstring& path) { m_path = path; }
    void Holds(std::initializer_list<const char*> names) const {
        for (const std::string entry : names) {
            if (entry.back() == '\\')
                CreateDirectoryW(File(entry).c_str(), nullptr);
            else
                Write(entry, "made by " + entry);
        }
    }
};

// The Start menu's programs, where the setup puts its shortcuts.
Folder StartMenu() {
    wchar_t programs[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
    return Folder(programs);
}
const char* const kShortcuts[] = {"Clipboard Quorvex.lnk", "Clipboard Quorvex Manual.lnk"};

// The first visible control under the window that the test picks, as a person finds it on a page;
// nullptr when none shows in time.
HWND WaitForControl(HWND top, const std::function<bool(HWND)>& picks) {
    std::pair<const std::function<bool(HWND)>*, HWND> search{&picks, nullptr};
    auto visit = [](HWND child, LPARAM data) -> BOOL {
        auto& [picks, found] = *reinterpret_cast<decltype(search)*>(data);
        if (IsWindowVisible(child) && (*picks)(child)) found = child;
        return found == nullptr;
    };
    PumpUntil(
        [&] {
            EnumChildWindows(top, visit, reinterpret_cast<LPARAM>(&search));
            return search.second != nullptr;
        },
        kStepTimeoutMs);
    return search.second;
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
        m_hadExtension = KeyExists(HKEY_CLASSES_ROOT, extension.c_str());
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
// An installation a failed test left would lend its folder to the next setup: each test starts
// without one and leaves none.
struct ReleaseE2e : E2eTest {
    ReleaseE2e() : E2eTest(L" Clipboard Quorvex", "") { ForgetInstallation(); }
    ~ReleaseE2e() override { ForgetInstallation(); }
    static void ForgetInstallation() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
        for (const char* shortcut : kShortcuts) StartMenu().Remove(shortcut);
    }
};

TEST_F(ReleaseE2e, InstallsUpgradesOverTheRunningCopyAndUninstallsLeavingOnlyTheClips) {
    ASSERT_FALSE(Built().setup.empty()) << "no --setup= given";
    const std::wstring folder = m_install.Path(), exe = m_install.Exe();
    const std::wstring dayBefore = Today();
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
    EXPECT_EQ(Entries(folder), kInstalled);
    for (const char* shortcut : kShortcuts) EXPECT_TRUE(StartMenu().Exists(shortcut)) << shortcut;

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
        {L"QuietUninstallString", uninstaller + L" /S"}, {L"NoModify", L"1"}, {L"NoRepair", L"1"},
        {L"URLInfoAbout", kMakerPage},          {L"HelpLink", kMakerPage}};
    for (const auto& [name, value] : entry) EXPECT_EQ(UninstallValue(name), value) << ToAnsi(name);
    const std::wstring installDate = UninstallValue(L"InstallDate");
    EXPECT_TRUE(installDate == dayBefore || installDate == Today()) << ToAnsi(installDate);
    std::size_t installedBytes = 0;
    for (const char* file : {"Quorvex.exe", "Manual.doc", "Manual.html", "uninstall.exe"})
        installedBytes += m_install.Read(file).size();
    EXPECT_GE(std::wcstoul(UninstallValue(L"EstimatedSize").c_str(), nullptr, 10), installedBytes / 1024);

    // The installed program captures and pastes, and registers itself to start with Windows.
    Program program(m_install);
    ASSERT_TRUE(program.Ready());
    ASSERT_TRUE(CopyAndWaitForCapture(kClip, 1));
    EXPECT_TRUE(KeysPasteIntoAnEditor({VK_CONTROL, '1'}, ToWide(kClip)));
    const std::wstring runCommand = L"\"" + exe + L"\"";
    EXPECT_TRUE(RunValue(HKEY_LOCAL_MACHINE) == runCommand || RunValue(HKEY_CURRENT_USER) == runCommand);

    // Help opens the manual as a web page where no program opens Word documents (Windows 11 from 24H2
    // has none), and Manual.doc where one does; the Start menu's manual is the web page.
    EXPECT_EQ(ShortcutTarget(StartMenu().File(kShortcuts[1])), folder + L"\\Manual.html");
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
        EXPECT_TRUE(CloseWith(about, IDOK));
    }
    EXPECT_FALSE(ProgramOpens(L".doc")) << "the stand-in for .doc documents stayed registered";

    ASSERT_TRUE(CreateDirectoryW((folder + L"\\EXPORT\\Work").c_str(), nullptr));
    m_install.Write("FAVORITE\\ACLIPB1.DAT", "favourite");
    m_install.Write("EXPORT\\Work\\Export.ini", "export");

    // The same setup again, silently, over the running copy: it ends that copy before it replaces the
    // program (a spoilt manual shows the replacement), keeps what the user made and starts the
    // program again.
    m_install.Write("Manual.doc", "spoilt");
    SetSettingText(HKEY_CURRENT_USER, "RecentKeys", "Ctrl+Alt");  // keys chosen are settings like the others
    ASSERT_TRUE(runSetup());
    EXPECT_FALSE(program.Running()) << "the setup program returned while the old copy still ran";
    EXPECT_EQ(m_install.Read("Manual.doc").substr(0, 6), "{\\rtf1");
    keepsTheClips();
    Program upgraded(m_install, Program::StartedBy::Elsewhere);
    ASSERT_TRUE(upgraded.Ready()) << "the upgrade left the program ended; its log:\n" << ToAnsi(SetupLog(m_install));
    EXPECT_TRUE(KeysPasteIntoAnEditor({VK_CONTROL, VK_MENU, '1'}, ToWide(kClip)));

    // Uninstalled as Windows does it: a copy of the uninstaller outside the folder, told where the
    // installation is, while the program runs.
    {
        const Installation outside(L"", "");
        ASSERT_TRUE(CopyFileW(m_install.File("uninstall.exe").c_str(), outside.File("uninstall.exe").c_str(), FALSE));
        EXPECT_TRUE(RunToEnd(outside.File("uninstall.exe"), "/S _?=" + ToAnsi(folder)));
    }
    EXPECT_FALSE(upgraded.Running()) << "the uninstaller returned while the program still ran";
    const std::set<std::wstring> clips = {
        L"Save.ini", L"ClipAppends.txt", L"RECENT\\", L"RECENT\\RECCLIP1.DAT", L"FAVORITE\\",
        L"FAVORITE\\ACLIPB1.DAT", L"EXPORT\\", L"EXPORT\\Work\\", L"EXPORT\\Work\\Export.ini"};
    EXPECT_EQ(Entries(folder), clips);
    keepsTheClips();
    for (const char* shortcut : kShortcuts) EXPECT_FALSE(StartMenu().Exists(shortcut)) << shortcut;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        EXPECT_EQ(RunValue(root), L"<missing>");
        EXPECT_FALSE(KeyExists(root, L"Software\\CORVELLAN"));
    }

    // Installed again, silently, into the folder that kept the clips: the folder is the program's, the
    // installed program pastes the kept clip, and a Setup.log the user put there since stays theirs.
    m_install.Write("Setup.log", "the user's own");
    ASSERT_TRUE(runSetup());
    std::set<std::wstring> reinstalled = kInstalled;
    reinstalled.insert(clips.begin(), clips.end());
    reinstalled.insert(L"Setup.log");
    EXPECT_EQ(Entries(folder), reinstalled);
    EXPECT_EQ(m_install.Read("Setup.log"), "the user's own");
    keepsTheClips();
    Program reinstalledProgram(m_install);
    ASSERT_TRUE(reinstalledProgram.Ready());
    EXPECT_TRUE(KeysPasteIntoAnEditor({VK_CONTROL, '1'}, ToWide(kClip)));
}

// "C:\Tools" with the user's own files, given quoted as a silent setup's folder: the setup installs
// into a folder of its own inside it. Whatever the user then keeps in the installation folder stays
// when the uninstall is told to delete the clips too, and so do the settings another copy uses.
TEST_F(ReleaseE2e, TouchesOnlyWhatIsTheProgramsInAFolderThatHoldsOtherFiles) {
    const Folder tools(m_install.Path());
    tools.Holds({"a.txt", "EXPORT\\", "EXPORT\\report.csv"});
    ASSERT_TRUE(RunToEnd(ToWide(Built().setup), "/S /D=\"" + ToAnsi(tools.Path()) + "\""));
    const Folder installation(tools.File("Clipboard Quorvex"));
    EXPECT_EQ(UninstallValue(L"InstallLocation"), installation.Path());
    EXPECT_EQ(Entries(installation.Path()), kInstalled);
    EXPECT_NE(SetupLog(installation).find(tools.Path() + L" holds files that are not"), std::wstring::npos)
        << ToAnsi(SetupLog(installation));

    // The clips as the program makes them, and the user's own files among them.
    installation.Holds({"Save.ini", "Save.TMP", "Save~1F4.TMP", "ClipAppends.txt", "ClipAppends.TMP", "Clip.log",
                        "Quorvex.lock", "RECENT\\RECCLIP1.DAT", "RECENT\\RECCLIP10.DAT", "RECENT\\RECCLIP2.TMP",
                        "RECENT\\RECCLIP.OLD", "FAVORITE\\ACLIPB1.DAT", "FAVORITE\\ZCLIPB10.TMP", "EXPORT\\Work\\",
                        "EXPORT\\Work\\Export.ini", "EXPORT\\Work\\Export~2A.TMP", "EXPORT\\Work\\CLIPB1.DAT", "EXPORT\\Done\\",
                        "EXPORT\\Done\\Export.ini"});
    const std::set<std::wstring> usersOwn = {
        L"notes.txt", L"Setup.log", L"RECENT\\", L"RECENT\\RECCLIP-notes.txt", L"FAVORITE\\", L"FAVORITE\\keep.DAT",
        L"EXPORT\\", L"EXPORT\\report.csv", L"EXPORT\\Mine\\", L"EXPORT\\Mine\\CLIPB1.DAT", L"EXPORT\\Work\\",
        L"EXPORT\\Work\\plan.txt"};
    for (const std::wstring& entry : usersOwn) installation.Holds({ToAnsi(entry).c_str()});
    // A portable copy elsewhere starts with Windows and keeps its settings.
    const std::string portable = "\"C:\\Portable\\Quorvex.exe\"";
    SetRunValue(HKEY_CURRENT_USER, portable);
    SetSettingValue(HKEY_CURRENT_USER, "AppendMode", 0);

    // Uninstalled as Windows does it (a copy of the uninstaller outside the folder), through its
    // pages: Uninstall, Yes to "Delete your clips too?", Close.
    {
        const Installation outside(L"", "");
        ASSERT_TRUE(CopyFileW(installation.File("uninstall.exe").c_str(), outside.File("uninstall.exe").c_str(), FALSE));
        Program uninstall(outside.File("uninstall.exe"), "_?=" + ToAnsi(installation.Path()));
        const char title[] = "Clipboard Quorvex Uninstall";
        HWND wizard = WaitForDialog(uninstall, title, IDOK);
        ASSERT_TRUE(wizard) << "no uninstall wizard came up";
        ClickButton(wizard, IDOK);
        HWND question = WaitForDialog(uninstall, title, IDYES);
        ASSERT_TRUE(question) << "the uninstall did not ask whether to delete the clips";
        ClickButton(question, IDYES);
        ASSERT_TRUE(WaitForDialog(uninstall, title, IDOK) == wizard) << "the uninstall did not finish";
        ClickButton(wizard, IDOK);
        EXPECT_TRUE(uninstall.WaitForEnd());
    }
    EXPECT_EQ(Entries(installation.Path()), usersOwn);
    EXPECT_EQ(tools.Read("a.txt"), "made by a.txt");
    EXPECT_EQ(tools.Read("EXPORT\\report.csv"), "made by EXPORT\\report.csv");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), ToWide(portable));
    EXPECT_EQ(SettingValue(HKEY_CURRENT_USER, "AppendMode"), 0);
}

// Two setups at once would both install into one folder: the second ends at once, and the first,
// cancelled, leaves nothing. So does a setup run with administrator rights (on a taskbar whose process it may not
// open: another account's), which would install for whoever gave them, and one another such setup keeps out of its
// mutex. With one copy installed, a setup into another folder installs a second
// copy beside it and says that the first stays: in its log when silent, on the folder page and in a
// question otherwise. The finish page then shows the whole of its longer text about the copy that
// runs elsewhere.
TEST_F(ReleaseE2e, ASecondSetupEndsAtOnceAndASecondFolderLeavesTheInstalledCopyAndSaysSo) {
    const std::wstring first = m_install.Path();
    const Installation second(L" Second", "");
    const char title[] = "Clipboard Quorvex Setup";
    const Folder refusals(_wgetenv(L"TEMP"));  // where such a setup logs
    refusals.Remove("Quorvex-Setup.log");
    {
        ClosedToAll otherAccount;
        HANDLE elevatedSetup = CreateMutexW(&otherAccount.attributes, FALSE, L"Corvellan Clipboard Quorvex Setup");
        EXPECT_TRUE(RunToEnd(ToWide(Built().setup), "/S /D=" + ToAnsi(first), 2));
        CloseHandle(elevatedSetup);
        const StandInTaskbar taskbar;
        EXPECT_TRUE(RunToEnd(ToWide(Built().setup), "/S /D=" + ToAnsi(first), 2));
    }
    EXPECT_NE(SetupLog(refusals).find(L"Run this setup without administrator rights.\r\n"), std::wstring::npos);
    {
        Program wizardOnly(ToWide(Built().setup), "/D=" + ToAnsi(first));
        HWND wizard = WaitForDialog(wizardOnly, title, IDCANCEL);
        ASSERT_TRUE(wizard) << "no setup wizard came up";
        EXPECT_TRUE(RunToEnd(ToWide(Built().setup), "/S /D=" + ToAnsi(first), 2));
        EXPECT_TRUE(Entries(first).empty());
        HWND question = PressAndWaitFor(wizardOnly, wizard, IDCANCEL, title, IDYES);
        ASSERT_TRUE(question) << "the setup did not ask whether to quit";
        ClickButton(question, IDYES);
        EXPECT_TRUE(wizardOnly.WaitForEnd());
        EXPECT_TRUE(Entries(first).empty());
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    }
    ASSERT_TRUE(RunToEnd(ToWide(Built().setup), "/S /D=" + ToAnsi(first)));
    Program firstCopy(m_install);
    ASSERT_TRUE(firstCopy.Ready());

    ASSERT_TRUE(RunToEnd(ToWide(Built().setup), "/S /D=" + ToAnsi(second.Path())));
    EXPECT_EQ(Entries(second.Path()), kInstalled);
    EXPECT_EQ(UninstallValue(L"InstallLocation"), second.Path());
    EXPECT_NE(SetupLog(second).find(L"stays installed in " + first + L" with its clips"), std::wstring::npos)
        << ToAnsi(SetupLog(second));
    EXPECT_TRUE(firstCopy.Running());
    EXPECT_TRUE(m_install.Exists("uninstall.exe"));

    // The wizard offers the folder of the installation, as typed by hand, and says it is replaced
    // while that folder is chosen, and only then.
    Program setup(ToWide(Built().setup), "");
    HWND wizard = WaitForDialog(setup, title, IDOK);
    ASSERT_TRUE(wizard) << "no setup wizard came up";
    ClickButton(wizard, IDOK);
    constexpr int kFolderField = 1019, kFolderText = 1006;
    HWND field = WaitForControl(wizard, [](HWND control) { return GetDlgCtrlID(control) == kFolderField; });
    ASSERT_TRUE(field) << "no folder page came up";
    HWND text = WaitForControl(wizard, [](HWND control) { return GetDlgCtrlID(control) == kFolderText; });
    EXPECT_EQ(TextOf(field), second.Path());
    auto replaces = [&] { return TextOf(text).find(L"will be replaced") != std::wstring::npos; };
    EXPECT_TRUE(replaces()) << ToAnsi(TextOf(text));
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(first.c_str()));
    EXPECT_TRUE(PumpUntil([&] { return !replaces(); }, kStepTimeoutMs)) << ToAnsi(TextOf(text));
    EXPECT_NE(TextOf(text).find(L"installed in " + second.Path() + L". That copy stays"), std::wstring::npos)
        << ToAnsi(TextOf(text));
    EXPECT_TRUE(ShowsAllItsText(text));

    // Install asks first; No keeps the page, and the copy there runs on untouched.
    HWND question = PressAndWaitFor(setup, wizard, IDOK, title, IDNO);
    ASSERT_TRUE(question) << "the setup did not ask before installing a second copy";
    ClickButton(question, IDNO);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(question) && IsWindowVisible(field); }, kStepTimeoutMs));
    EXPECT_TRUE(firstCopy.Running());

    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(second.Path().c_str()));
    EXPECT_TRUE(PumpUntil(replaces, kStepTimeoutMs)) << ToAnsi(TextOf(text));
    ClickButton(wizard, IDOK);
    HWND startBox = WaitForControl(wizard, [](HWND control) {
        wchar_t kind[16] = L"";
        GetClassNameW(control, kind, 16);
        return lstrcmpiW(kind, L"Button") == 0 && (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    });
    ASSERT_TRUE(startBox) << "no finish page came up";
    HWND finishText = WaitForControl(
        wizard, [](HWND control) { return TextOf(control).rfind(L"Clipboard Quorvex has been installed", 0) == 0; });
    ASSERT_TRUE(finishText);
    EXPECT_NE(TextOf(finishText).find(L"running from " + first), std::wstring::npos) << ToAnsi(TextOf(finishText));
    // The page is ready once the setup has ticked its checkbox and laid out its text.
    RECT textPlace{}, boxPlace{}, overlap{};
    auto laidOut = [&] {
        GetWindowRect(finishText, &textPlace);
        GetWindowRect(startBox, &boxPlace);
        return SendMessageW(startBox, BM_GETCHECK, 0, 0) == BST_CHECKED && ShowsAllItsText(finishText) &&
               !IntersectRect(&overlap, &textPlace, &boxPlace);
    };
    EXPECT_TRUE(PumpUntil(laidOut, kStepTimeoutMs))
        << ShowsAllItsText(finishText).message() << "; the text from " << textPlace.top << " to "
        << textPlace.bottom << ", the checkbox from " << boxPlace.top;
    SendMessageW(startBox, BM_SETCHECK, BST_UNCHECKED, 0);
    ClickButton(wizard, IDOK);
    ASSERT_TRUE(setup.WaitForEnd());
    EXPECT_EQ(setup.ExitCode(), 0u);
    EXPECT_TRUE(firstCopy.Running());
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
