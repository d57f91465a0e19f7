#include "app/TamblinDlg.h"

#include <functional>
#include <memory>
#include <set>

#include "app/AboutDlg.h"
#include "append/AppendFile.h"
#include "app/TamblinApp.h"
#include "clips/Clipboard.h"
#include "framework/Prompts.h"
#include "framework/WinApp.h"
#include "clips/RecentClips.h"
#include "hotkeys/Hotkeys.h"
#include "projects/Settings.h"
#include "projects/Projects.h"
#include "res/resource.h"
#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"
#include "support/ProgramSettings.h"
#include "support/Pump.h"
#include "support/TrayIconShell.h"

namespace {

const char kAboutTitle[] = "About Clipboard Quorvex v.1.00";

// The hidden main window, created and joined to the clipboard chain as at start-up.
class MainWindowTest : public ClipStoreTest {
protected:
    void SetUp() override {
        ClipStoreTest::SetUp();
        g_nRichTextFormat = 0;
        g_nAboutBoxes = 0;
        SetSettingsRootForTests(nullptr);
    }
    void TearDown() override {
        Stop();
        SetSettingsRootForTests(nullptr);
        ClipStoreTest::TearDown();
    }
    void Stop() {
        if (dialog && dialog->m_hWnd) dialog->DestroyWindow();
        dialog.reset();
        ProjectList.clear();
        PumpFor(50);
    }
    void Start() {
        dialog = std::make_unique<CTamblinDlg>();
        ASSERT_TRUE(dialog->Create(nullptr));
        g_bSkipClipChange = 0;
        dialog->JoinClipboardChain();
        PumpFor(100);
    }
    void CopyText(const std::string& text) {
        size_t before = RecentClip.size();
        ASSERT_TRUE(FillClipboard({{CF_TEXT, text + '\0'}}));
        ASSERT_TRUE(PumpUntil([&] { return RecentClip.size() != before || RecentClip.size() == 10; }, 3000));
    }
    std::string RecentItem(int slot) { return dialog->TrayMenu().GetMenuString(ID_RECENT_FIRST + slot - 1); }
    std::string FavoriteItem(int slot) { return dialog->TrayMenu().GetMenuString(ID_FAVORITE_FIRST + slot - 1); }
    std::string ProjectItem() { return dialog->TrayMenu().GetMenuString(ID_CURRENT_PROJECT); }
    void HotKey(UINT id) { SendMessageA(dialog->m_hWnd, WM_HOTKEY, id, 0); }
    void Command(UINT id) { SendMessageA(dialog->m_hWnd, WM_COMMAND, id, 0); }
    bool Checked(UINT id) { return GetMenuState(dialog->TrayMenu().GetSafeHmenu(), id, MF_BYCOMMAND) & MF_CHECKED; }
    bool TrayHoldsIcon() const { return Shell(NIM_MODIFY, dialog->m_hWnd); }

    CleanProgramSettings cleanSettings;
    std::unique_ptr<CTamblinDlg> dialog;
};

// Counts this thread's dialogs with a title while a modal loop runs, shown or not yet (Wine shows a
// modal dialog nested in another one late); after a few ticks it closes each one with `close`.
class DialogWatcher {
public:
    explicit DialogWatcher(const char* title, std::function<void(HWND)> close = [](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }) : m_title(title), m_close(std::move(close)) {
        s_watcher = this;
        m_timer = SetTimer(nullptr, 0, 50, Tick);
    }
    ~DialogWatcher() {
        KillTimer(nullptr, m_timer);
        s_watcher = nullptr;
    }
    int MostOpenAtOnce() const { return m_most; }
    int Seen() const { return m_seen; }

private:
    static BOOL CALLBACK Count(HWND window, LPARAM found) {
        char title[128] = "";
        GetWindowTextA(window, title, sizeof title);
        if (lstrcmpA(title, s_watcher->m_title) == 0)
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        std::vector<HWND> open;
        EnumThreadWindows(GetCurrentThreadId(), Count, reinterpret_cast<LPARAM>(&open));
        DialogWatcher& self = *s_watcher;
        self.m_most = std::max(self.m_most, static_cast<int>(open.size()));
        if (!open.empty() && ++self.m_seen >= 4) {
            for (HWND dialog : open) self.m_close(dialog);
        }
    }

    static inline DialogWatcher* s_watcher = nullptr;
    const char* m_title;
    std::function<void(HWND)> m_close;
    UINT_PTR m_timer;
    int m_most = 0;
    int m_seen = 0;
};

}  // namespace

TEST_F(MainWindowTest, StartsHiddenWithItsTitleAboutItemRichTextIdAndTheSavedRecentClips) {
    folder.Write("RECENT\\RECCLIP1.DAT", std::string("older\0", 6));
    folder.Write("RECENT\\RECCLIP2.DAT", std::string("newer\0", 6));
    folder.SetIni("RECENTS", "RECCLIP1", "0x1");
    folder.SetIni("RECENTS", "RECCLIP2", "0x1");
    // The copy of a Save.ini change that a kill interrupted is not what Save.ini holds.
    folder.Write("Save.TMP", "[RECENTS]\r\nRECCLIP1=0x0\r\n");
    Start();
    EXPECT_FALSE(folder.Exists("Save.TMP"));

    char title[64] = "";
    GetWindowTextA(dialog->m_hWnd, title, sizeof title);
    EXPECT_STREQ(title, "Clipboard Quorvex");
    EXPECT_FALSE(IsWindowVisible(dialog->m_hWnd));
    EXPECT_EQ(g_nRichTextFormat, RichTextId());
    EXPECT_EQ(MenuText(GetSystemMenu(dialog->m_hWnd, FALSE), IDM_ABOUTBOX), "&About Ostrane");
    // The tray's and the window's icons come at the system's sizes, not the large one scaled down.
    auto width = [](HICON icon) {
        ICONINFO info{};
        BITMAP image{};
        if (GetIconInfo(icon, &info)) GetObjectA(info.hbmColor, sizeof image, &image);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return image.bmWidth;
    };
    EXPECT_EQ(width(dialog->m_TrayIcon.NotifyData().hIcon), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(width(reinterpret_cast<HICON>(SendMessageA(dialog->m_hWnd, WM_GETICON, ICON_BIG, 0))),
              GetSystemMetrics(SM_CXICON));

    EXPECT_EQ(RecentItem(1), "Ctl-1 'newer ...'");
    EXPECT_EQ(RecentItem(2), "Ctl-2 'older ...'");
    EXPECT_EQ(RecentItem(3), "Ctl-3 <EMPTY>");
    // Nothing in the hidden window takes the focus and blinks a caret, even once it is activated
    // (as the tray menu does).
    SendMessageA(dialog->m_hWnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetWindow(dialog->m_hWnd, GW_CHILD), nullptr);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &thread));
    EXPECT_EQ(thread.hwndCaret, nullptr);
    // Entry lines of level 1 stay out of the log.
    EXPECT_FALSE(Logged("CTamblinDlg::OnInitDialog() started"));
    EXPECT_TRUE(LoggedInOrder({"LoadRecentClips started", "RedrawMenuRecent started"}));
}

TEST_F(MainWindowTest, CopiesAreCapturedButThePutOfARecentClipIsNot) {
    Start();
    CopyText("first");
    CopyText("second");
    EXPECT_EQ(RecentItem(1), "Ctl-1 'second ...'");
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP2.DAT"), std::string("second\0", 7));

    Command(ID_RECENT_FIRST + 1);  // Recents item 2
    PumpFor(200);
    EXPECT_EQ(ClipboardText(), "first");
    EXPECT_EQ(RecentClip.size(), 2u);
    EXPECT_EQ(RecentItem(1), "Ctl-1 'second ...'");  // the list keeps its order
    EXPECT_EQ(g_bSkipClipChange, 0);
    EXPECT_TRUE(Logged("Menu HOT_PASTE_R2"));
    EXPECT_FALSE(Logged("EmulCTRL_V1 started"));  // the menu never pastes

    CopyText("third");  // the flag swallowed exactly one notification
    EXPECT_EQ(RecentItem(1), "Ctl-1 'third ...'");

}

// The clipboard's previous owner closes it while the program empties it: the put is refused.
static LRESULT CALLBACK ClosesTheClipboardWhenDispossessed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROYCLIPBOARD) CloseClipboard();
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(MainWindowTest, ARefusedPutIsReportedAndNotPasted) {
    Start();
    CopyText("never pasted");
    HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ClosesTheClipboardWhenDispossessed));
    ASSERT_TRUE(OpenWithRetry(owner));
    EmptyClipboard();
    CloseClipboard();
    PumpFor(100);

    SendMessageA(dialog->m_hWnd, WM_HOTKEY, 0x301, 0);
    EXPECT_TRUE(LoggedInOrder({"Called hotkey RecentPaste-1", "PutRecentClip start", "SetClipboardData error"}));
    EXPECT_FALSE(Logged("EmulCTRL_V1 started"));
    DestroyWindow(owner);
}

TEST_F(MainWindowTest, TheEndOfTheSessionSavesAndLeavesTheTrayAndExitOrCloseEndTheWindowAfterSaving) {
    Start();
    CopyText("keep me");
    ASSERT_TRUE(TrayHoldsIcon());
    folder.Remove("RECENT\\RECCLIP1.DAT");
    EXPECT_EQ(SendMessageA(dialog->m_hWnd, WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(dialog->m_hWnd, WM_ENDSESSION, FALSE, 0);  // the session goes on
    EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP1.DAT"));
    EXPECT_TRUE(TrayHoldsIcon());
    // The process may be ended after this without another message.
    SendMessageA(dialog->m_hWnd, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(folder.Read("RECENT\\RECCLIP1.DAT"), std::string("keep me\0", 8));
    EXPECT_FALSE(TrayHoldsIcon());

    // Exit from the menu, and WM_CLOSE from "End task" or an installer, both end after saving.
    for (const auto& [message, wParam] : {std::pair<UINT, WPARAM>{WM_COMMAND, ID_APP_EXIT}, {WM_CLOSE, 0}}) {
        if (!dialog->m_hWnd) Start();
        folder.Remove("RECENT\\RECCLIP1.DAT");
        PostMessageA(dialog->m_hWnd, message, wParam, 0);
        EXPECT_TRUE(PumpUntil([&] { return dialog->m_hWnd == nullptr; }, 2000)) << message;
        EXPECT_EQ(folder.Read("RECENT\\RECCLIP1.DAT"), std::string("keep me\0", 8)) << message;
    }
    EXPECT_TRUE(Logged("SaveRecentClips started"));
    EXPECT_FALSE(Logged("DestroyWindow started"));
}

namespace {
// Plays a shell that already shows an icon under the main window's handle and id, so the
// window's own add is refused at start-up as it is while there is no taskbar yet.
HWND g_refusedWindow;
LRESULT CALLBACK TakeTheIconPlace(int code, WPARAM wParam, LPARAM lParam) {
    const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
    if (code == HCBT_CREATEWND && !g_refusedWindow && !create->lpcs->hwndParent) {
        g_refusedWindow = reinterpret_cast<HWND>(wParam);
        Shell(NIM_ADD, g_refusedWindow);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

TEST_F(MainWindowTest, WithoutATaskbarItCapturesAndAnswersHotkeysAtOnceAndAddsTheIconWhenItCan) {
    g_refusedWindow = nullptr;
    HHOOK hook = SetWindowsHookExA(WH_CBT, TakeTheIconPlace, nullptr, GetCurrentThreadId());
    Start();
    UnhookWindowsHookEx(hook);
    ASSERT_EQ(g_refusedWindow, dialog->m_hWnd);
    ASSERT_TRUE(Shell(NIM_DELETE, dialog->m_hWnd));  // what the shell showed was not the program's icon
    CopyText("captured");
    // A hotkey or menu item beyond the list is answered, and pastes nothing.
    SendMessageA(dialog->m_hWnd, WM_HOTKEY, HOTKEY_PASTE_RECENT + 4, 0);
    EXPECT_TRUE(LoggedInOrder({"Called hotkey RecentPaste-4", "PutRecentClip start", "Try to get unavailable clipboard"}));
    EXPECT_FALSE(Logged("EmulCTRL_V1 started"));
    EXPECT_EQ(ClipboardText(), "captured");
    EXPECT_EQ(g_bSkipClipChange, 0);  // the next copy is captured
    Command(ID_RECENT_LAST);
    EXPECT_TRUE(LoggedInOrder({"Menu HOT_PASTE_R10", "Try to get unavailable clipboard",
                               "Error returned from PutRecentClip()"}));

    // The retry, once a second, adds the icon with its menu as it now stands; then it stops.
    EXPECT_TRUE(PumpUntil([&] { return TrayHoldsIcon(); }, 3000));
    EXPECT_EQ(RecentItem(1), "Ctl-1 'captured ...'");
    ASSERT_TRUE(Shell(NIM_DELETE, dialog->m_hWnd));
    PumpFor(1500);
    EXPECT_FALSE(TrayHoldsIcon());
}

TEST_F(MainWindowTest, AMainWindowThatCannotBeMadeEndsStartUpAndOneDeletedWhileItLivesEndsTheLoop) {
    std::vector<std::string> shown;
    AfxSetPromptResponder([&](const Prompt& prompt) {
        shown.push_back(prompt.text);
        return IDOK;
    });
    auto refuseWindows = [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
    };
    HHOOK veto = SetWindowsHookExA(WH_CBT, refuseWindows, nullptr, GetCurrentThreadId());
    CTamblinApp app;
    EXPECT_FALSE(app.InitInstance());
    UnhookWindowsHookEx(veto);
    AfxSetPromptResponder(nullptr);

    EXPECT_EQ(shown, std::vector<std::string>{"Error creating the main window!"});
    const std::vector<std::string> log = folder.LogLines();
    EXPECT_NE(std::find_if(log.begin(), log.end(),
                           [](const std::string& line) { return line.find("creating the main window") != line.npos; }),
              log.end());
    EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL, '1')) << "a hotkey was registered without a window";
    UnregisterHotKey(nullptr, 1);

    // A main window object deleted while its window lives still ends the message loop.
    auto window = std::make_unique<CDialog>(IDD_NEW_PROJECT);
    ASSERT_TRUE(window->Create(nullptr));
    const HWND hWnd = window->m_hWnd;
    app.m_pMainWnd = window.get();
    window.reset();
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowTest, ADoubleClickOnTheAboutBannerOpensTheOrderPageOnceAndTheOtherLinksOpenTheirTargets) {
    std::vector<std::wstring> opened;
    AfxSetPromptResponder([&](const Prompt& prompt) {
        opened.push_back(prompt.path);
        return 0;
    });
    CAboutDlg about;
    ASSERT_TRUE(about.Create(nullptr));
    // The mouse as the notifying static sees a double click: it reports a click and a double click.
    HWND banner = GetDlgItem(about.m_hWnd, IDC_BANNER);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageA(banner, message, 0, MAKELPARAM(5, 5));
    SendMessageA(about.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_WEB, 1), 0);  // as an accelerator sends it
    SendMessageA(about.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_HELP_MANUAL, BN_CLICKED), 0);
    about.DestroyWindow();
    AfxSetPromptResponder(nullptr);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"https://shop.corvellan.example/clipboard-quorvex",
                                                   L"https://www.corvellan.example/", folder.File("Manual.doc")}));
}

TEST_F(MainWindowTest, TheAboutBoxOpensFromMenuAndSystemMenuButNeverTwiceAtOnce) {
    Start();
    // Each way asked twice at once: the second request, handled while the first box is open, opens none.
    for (const auto& [message, command] :
         {std::pair<UINT, WPARAM>{WM_COMMAND, ID_APP_ABOUT}, {WM_SYSCOMMAND, 0x0010}, {WM_SYSCOMMAND, 0x001F}}) {
        DialogWatcher watcher(kAboutTitle);
        PostMessageA(dialog->m_hWnd, message, command, 0);
        PostMessageA(dialog->m_hWnd, message, command, 0);
        EXPECT_TRUE(PumpUntil([&] { return watcher.Seen() >= 4 && g_nAboutBoxes == 0; }, 5000)) << command;
        EXPECT_EQ(watcher.MostOpenAtOnce(), 1) << command;
    }
    EXPECT_EQ(g_nAboutBoxes, 0);
}

namespace {

// Every command id of a menu and its submenus.
void CollectCommands(HMENU menu, std::vector<UINT>& ids) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i))
            CollectCommands(sub, ids);
        else if (UINT id = GetMenuItemID(menu, i); id != 0 && id != static_cast<UINT>(-1))
            ids.push_back(id);
    }
}

}  // namespace

TEST_F(MainWindowTest, TheMessageTableHandlesEachMessageOnceAndEveryMenuCommandOfThisRelease) {
    std::set<UINT> messages;
    std::set<UINT> commands;
    for (const auto& entry : CTamblinDlg::Messages()) {
        if (entry.kind == MessageEntry<CTamblinDlg>::Kind::Message) {
            EXPECT_TRUE(messages.insert(entry.first).second) << entry.first;
        } else {
            for (UINT id = entry.first; id <= entry.last; ++id) EXPECT_TRUE(commands.insert(id).second) << id;
        }
    }
    // Grayed labels have no handler.
    std::set<UINT> notHandled = {ID_CURRENT_PROJECT, ID_APPEND_PASTE};

    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TRAY_MENU));
    std::vector<UINT> menuCommands;
    CollectCommands(menu.GetSafeHmenu(), menuCommands);
    EXPECT_EQ(menuCommands.size(), 29u);
    for (UINT id : menuCommands) EXPECT_NE(commands.count(id) + notHandled.count(id), 0u) << id;
    for (UINT id : commands) EXPECT_EQ(notHandled.count(id), 0u) << id;
}

TEST_F(MainWindowTest, TheTrayMenuShowsBothSettingsAndItsCommandsSwitchThemForTheNextStartToo) {
    Start();  // the first run turns both on
    EXPECT_TRUE(Checked(ID_RUN_AT_STARTUP));
    EXPECT_EQ(dialog->TrayMenu().GetMenuString(ID_APPEND_MODE), "Append On");
    EXPECT_TRUE(Checked(ID_APPEND_MODE));

    for (const char* expected : {"Append Off", "Append On", "Append Off"}) {
        Command(ID_APPEND_MODE);
        EXPECT_EQ(dialog->TrayMenu().GetMenuString(ID_APPEND_MODE), expected);
        EXPECT_EQ(Checked(ID_APPEND_MODE), AppendMode == 1);
        EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "AppendMode"), AppendMode);
    }
    EXPECT_EQ(folder.LogCount("Error 0x0 set Append Mode"), 3);

    // Each switch shows the Run value as it left it: one that cannot be removed keeps the item
    // checked, a registration that fails leaves it unchecked.
    {
        UnwritableRegistryRoot unwritable;
        unwritable.HoldRunValue("C:\\Quorvex\\Quorvex.exe");
        SetSettingsRootForTests(unwritable.Get());
        Command(ID_RUN_AT_STARTUP);
        EXPECT_TRUE(Checked(ID_RUN_AT_STARTUP));
        SetSettingsRootForTests(HKEY_LOCAL_MACHINE);
    }
    Command(ID_RUN_AT_STARTUP);
    EXPECT_FALSE(Checked(ID_RUN_AT_STARTUP));
    {
        UnwritableRegistryRoot unwritable;
        SetSettingsRootForTests(unwritable.Get());
        Command(ID_RUN_AT_STARTUP);
        EXPECT_FALSE(Checked(ID_RUN_AT_STARTUP));
        EXPECT_EQ(dialog->m_bRunAtStartup, 0);
        SetSettingsRootForTests(HKEY_LOCAL_MACHINE);
    }

    Stop();
    Start();
    EXPECT_FALSE(Checked(ID_RUN_AT_STARTUP));
    EXPECT_EQ(dialog->TrayMenu().GetMenuString(ID_APPEND_MODE), "Append Off");
    EXPECT_FALSE(Checked(ID_APPEND_MODE));
    Command(ID_RUN_AT_STARTUP);
    EXPECT_TRUE(Checked(ID_RUN_AT_STARTUP));
}

// Windows removes a low-level hook that answers late without a word; the hook is installed anew,
// so first in the chain again, when the session is unlocked or the machine resumes.
TEST_F(MainWindowTest, AnUnlockOrAResumeInstallsTheKeyboardHookAgainAndItServesARefusedFavourite) {
    Start();
    HWND shell = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(shell, 1, MOD_WIN, '2'));
    EXPECT_EQ(RegisterFixedHotKeys(dialog->m_hWnd, dialog->m_KeyboardHook), 0);
    const std::pair<UINT, WPARAM> events[] = {{WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK},
                                              {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC}};
    int served = 0;
    for (const auto& [message, event] : events) {
        KeyboardRecorder recorder;  // a hook newer than the program's, until that is installed anew
        SendMessageA(dialog->m_hWnd, message, event, 0);
        EXPECT_TRUE(HoldKey(VK_LWIN));
        SendKey('2', false);
        SendKey('2', true);
        SendKey(VK_LWIN, true);
        ++served;
        EXPECT_TRUE(PumpUntil([&] { return folder.LogCount("Called hotkey PasteFav-2") == served; }, 2000)) << message;
        for (const KeyEvent& key : recorder.Events()) EXPECT_NE(key.vk, static_cast<DWORD>('2')) << message;
    }
    DestroyWindow(shell);
}

TEST_F(MainWindowTest, CopiesAreAppendedAndTheHotkeysAndMenuCommandsEmptyTheFileOrTheList) {
    Start();
    CopyText("abc");
    CopyText("xyz");
    EXPECT_EQ(folder.Read("ClipAppends.txt"), "abc\r\nxyz\r\n");

    HotKey(HOTKEY_WIN_DEL);
    EXPECT_FALSE(folder.Exists("ClipAppends.txt"));
    HotKey(HOTKEY_WIN_INS);
    EXPECT_TRUE(folder.Exists("ClipAppends.txt"));
    EXPECT_EQ(folder.Read("ClipAppends.txt"), "");
    EXPECT_TRUE(LoggedInOrder({"Called hotkey select Win-Del", "Called hotkey select Win-Ins", "PutAppendClip started",
                               "Clipboard CLIP_APPEND_FILE clip empty", "Error returned from PutAppendClip()"}));
    EXPECT_FALSE(Logged("EmulCTRL_V1 started"));
    EXPECT_EQ(ClipboardText(), "xyz");
    Command(ID_APPEND_DELETE);
    EXPECT_FALSE(folder.Exists("ClipAppends.txt"));
    Command(ID_RECENT_CLEAR);
    EXPECT_TRUE(RecentClip.empty());
    EXPECT_EQ(RecentItem(1), "Ctl-1 <EMPTY>");
}

TEST_F(MainWindowTest, ProjectHotkeysAndTheOneProjectListSwitchTheFavouritesAndTheProjectItem) {
    folder.SetIni("A", "NAME", "Alpha");
    folder.SetIni("B", "NAME", "Beta");
    folder.SetIni("CURRENT_PRJ", "PRJ", "B");
    folder.SetIni("B", "CLIP1", "0x1");
    folder.Write("FAVORITE\\BCLIPB1.DAT", std::string("beta fav\0", 9));
    Start();
    EXPECT_EQ(ProjectItem(), "Ctl-Win-B <Beta>");
    EXPECT_EQ(FavoriteItem(1), "Win-1 'beta fav' ...");
    EXPECT_TRUE(LoggedInOrder({"LoadFavorite started", "LoadRecentClips started"}));

    Command(ID_FAVORITE_FIRST);
    EXPECT_EQ(ClipboardText(), "beta fav");
    PumpFor(100);
    EXPECT_TRUE(RecentClip.empty()) << "the program's own put is no recent clip";

    HotKey(0x541);
    EXPECT_EQ(ProjectItem(), "Ctl-Win-A <Alpha>");
    EXPECT_EQ(FavoriteItem(1), "Win-1 <EMPTY>");
    EXPECT_EQ(folder.Ini("CURRENT_PRJ", "PRJ"), "A");
    EXPECT_TRUE(LoggedInOrder({"LoadFavorite started", "Called hotkey select Project Ctl-Win-A"}));

    // Empty slots, by menu and by hotkey: nothing is put or pasted, and the next copy counts.
    Command(ID_FAVORITE_FIRST + 2);
    HotKey(0x203);
    Command(ID_RECENT_LAST);
    EXPECT_TRUE(LoggedInOrder({"Menu HOT_PASTE_FAV3", "Clipboard favorite clip empty", "Error returned from PutFavClip()",
                               "Called hotkey PasteFav-3", "Error returned from PutFavClip()", "Menu HOT_PASTE_R10",
                               "RecentClip.size =0", "Error returned from PutRecentClip()"}));
    EXPECT_FALSE(Logged("EmulCTRL_V1 started"));
    CopyText("still captured");
    EXPECT_EQ(RecentItem(1), "Ctl-1 'still captured ...'");

    // "Projects..." asked for again while its list is open (the tray answers meanwhile) opens no
    // second list. Select there makes B current, and the tray menu shows B and its favourites.
    DialogWatcher lists("List of Projects", [](HWND list) {
        SendDlgItemMessageA(list, IDC_PROJECT_LIST, LB_SETCURSEL, 1, 0);
        PostMessageA(list, WM_COMMAND, IDOK, 0);
    });
    PostMessageA(dialog->m_hWnd, WM_COMMAND, ID_PROJECTS, 0);
    PostMessageA(dialog->m_hWnd, WM_COMMAND, ID_PROJECTS, 0);
    EXPECT_TRUE(PumpUntil([&] { return lists.Seen() >= 4 && ProjectItem() == "Ctl-Win-B <Beta>"; }, 5000));
    EXPECT_EQ(lists.MostOpenAtOnce(), 1);
    EXPECT_EQ(FavoriteItem(1), "Win-1 'beta fav' ...");
}

TEST_F(MainWindowTest, TheFirstStoredFavouriteCreatesTheDefaultProject) {
    Start();
    EXPECT_EQ(ProjectItem(), "Ctl - A [Roses] ");
    // Pasting on an installation without projects creates nothing.
    HotKey(0x201);
    EXPECT_FALSE(folder.Exists("Save.ini"));
    EXPECT_TRUE(ProjectList.empty());

    CopyText("selected");
    // The injected Ctrl+C reaches no selection here, so the clipboard is stored as it is.
    HotKey(0x101);
    EXPECT_EQ(folder.Ini("A", "NAME"), "Default");
    EXPECT_EQ(folder.Ini("CURRENT_PRJ", "PRJ"), "A");
    EXPECT_EQ(folder.Ini("A", "CLIP1"), "0x1");
    EXPECT_EQ(folder.Read("FAVORITE\\ACLIPB1.DAT"), std::string("selected\0", 9));
    EXPECT_EQ(ProjectItem(), "Ctl-Win-A <Default>");
    EXPECT_EQ(FavoriteItem(1), "Win-1 'selected ...'");
    EXPECT_TRUE(LoggedInOrder({"Called hotkey SaveFav-1", "EmulCTRL_C started", "GetFavClip started"}));
    // The clipboard did not change, so no notification was due: the next copy is captured.
    EXPECT_EQ(g_bSkipClipChange, 0);
    CopyText("next copy");
    EXPECT_EQ(RecentItem(1), "Ctl-1 'next copy ...'");
}
