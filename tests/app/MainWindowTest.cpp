#include "app/TamblinDlg.h"

#include <psapi.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "app/AboutDlg.h"
#include "app/KeysDlg.h"
#include "app/TamblinApp.h"
#include "append/AppendFile.h"
#include "framework/Prompts.h"
#include "hotkeys/Hotkeys.h"
#include "hotkeys/KeyEmulation.h"
#include "projects/Projects.h"
#include "projects/Settings.h"
#include "res/resource.h"
#include "support/ClipStoreFixture.h"
#include "support/KeyboardRecorder.h"
#include "support/OtherProgram.h"
#include "support/ProgramSettings.h"
#include "support/Pump.h"
#include "support/TrayIconShell.h"
#include "support/WindowText.h"

namespace {

// The hidden main window, created and joined to the clipboard chain as at start-up.
class MainWindowTest : public ClipStoreTest {
protected:
    void TearDown() override {
        if (dialog && dialog->m_hWnd) dialog->DestroyWindow();
        dialog.reset();
        ProjectList.clear();
        PumpFor(50);
        SetSettingsRootForTests(nullptr);
        ClipStoreTest::TearDown();
    }
    void Start() {
        dialog = std::make_unique<CTamblinDlg>();
        ASSERT_TRUE(dialog->Create(nullptr));
        dialog->JoinClipboardChain();
        PumpFor(100);
    }
    void CopyText(const std::string& text) {
        ASSERT_TRUE(FillClipboard({{CF_TEXT, text + '\0'}}));
        ASSERT_TRUE(PumpUntil([&] { return Item(ID_RECENT_FIRST) == "Ctl-1 '" + text + " ...'"; }, 3000));
    }
    std::string Item(UINT id) { return dialog->TrayMenu().GetMenuString(id); }
    bool Checked(UINT id) { return GetMenuState(dialog->TrayMenu().GetSafeHmenu(), id, MF_BYCOMMAND) & MF_CHECKED; }
    void Send(UINT message, WPARAM wParam) { SendMessageA(dialog->m_hWnd, message, wParam, 0); }

    CleanProgramSettings cleanSettings;
    std::unique_ptr<CTamblinDlg> dialog;
};

// Watches the windows with a title while modal loops run, shown or not yet (Wine shows a modal dialog nested in
// another one late): counts the most open at once and, after a few ticks that saw one, closes each with OK, a list's
// second entry highlighted.
struct {
    const char* title;
    int most, ticks;
} g_watch;

WPARAM g_chainChangeSeen;  // what another clipboard viewer, next in the chain after the program, was told

}  // namespace

// A start in an installation with recent clips and projects: the window and the tray menu show them, and the
// project hotkeys and the one list of projects switch the favourites; the about box and the list open one at a time.
TEST_F(MainWindowTest, StartsHiddenShowingSavedClipsAndProjectsWhichItsHotkeysAndListSwitchAndOpensEachDialogOnce) {
    folder.Write("RECENT\\RECCLIP1.DAT", std::string("older\0", 6));
    folder.Write("RECENT\\RECCLIP2.DAT", std::string("newer\0", 6));
    folder.Write("FAVORITE\\BCLIPB1.DAT", std::string("beta fav\0", 9));
    for (auto [section, key, value] : {std::tuple{"RECENTS", "RECCLIP1", "0x1"}, {"RECENTS", "RECCLIP2", "0x1"},
                                       {"A", "NAME", "Alpha"}, {"B", "NAME", "R&D"}, {"CURRENT_PRJ", "PRJ", "B"},
                                       {"B", "CLIP1", "0x1"}})
        folder.SetIni(section, key, value);
    // The copy of a Save.ini change that a kill interrupted is not what Save.ini holds.
    folder.Write("Save.TMP", "[RECENTS]\r\nRECCLIP1=0x0\r\n");
    HWND viewer = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(viewer, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(+[](HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
                          if (message == WM_CHANGECBCHAIN) g_chainChangeSeen = wParam;
                          return DefWindowProcA(hWnd, message, wParam, lParam);
                      }));
    SetClipboardViewer(viewer);
    // The clipboard holds a favourite the last run put there: joining the chain announces no copy.
    ASSERT_TRUE(PutTextOnClipboard("beta fav"));
    g_nRichTextFormat = 0;
    Start();
    // A change in the viewer chain that is not about the viewer after the program goes on to it.
    SendMessageA(dialog->m_hWnd, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(GetDesktopWindow()), 0);
    EXPECT_EQ(g_chainChangeSeen, reinterpret_cast<WPARAM>(GetDesktopWindow()));
    ChangeClipboardChain(viewer, nullptr);
    DestroyWindow(viewer);
    EXPECT_FALSE(folder.Exists("Save.TMP"));
    EXPECT_EQ(Item(ID_RECENT_FIRST) + " " + Item(ID_RECENT_FIRST + 2), "Ctl-1 'newer ...' Ctl-3 <EMPTY>");
    EXPECT_FALSE(folder.Exists("ClipAppends.txt"));
    EXPECT_EQ(Item(ID_CURRENT_PROJECT), "Ctl-Win-B <R&&D>");
    EXPECT_EQ(Item(ID_FAVORITE_FIRST), "Win-1 'beta fav' ...");
    EXPECT_EQ(g_nRichTextFormat, RichTextId());
    // The rich-text format is found among the registered ones, each named one met before it logged.
    std::vector<std::string> lookup;
    char name[256], line[300];
    for (UINT id = 0xC000; id <= g_nRichTextFormat; ++id) {
        if (GetClipboardFormatNameA(id, name, sizeof name) == 0) continue;
        const char* format = id < g_nRichTextFormat ? "Enum Format: '%s' = 0x%X" : "Found format '%s' = 0x%X";
        lookup.push_back((std::snprintf(line, sizeof line, format, name, id), line));
    }
    EXPECT_TRUE(LoggedInOrder(lookup));
    EXPECT_EQ(FindWindowA(nullptr, "Clipboard Quorvex"), dialog->m_hWnd);  // its title
    EXPECT_FALSE(IsWindowVisible(dialog->m_hWnd));
    char aboutItem[256] = "";  // as the item holds it, '&' included
    GetMenuStringA(GetSystemMenu(dialog->m_hWnd, FALSE), IDM_ABOUTBOX, aboutItem, sizeof aboutItem, MF_BYCOMMAND);
    EXPECT_STREQ(aboutItem, "&About Ostrane");

    Send(WM_COMMAND, ID_FAVORITE_FIRST);
    EXPECT_EQ(ClipboardText(), "beta fav");
    Send(WM_HOTKEY, HOTKEY_PROJECT + 'A');  // the project item follows: checked with the about box below
    Send(WM_HOTKEY, HOTKEY_PROJECT + 'a');  // no letter of a project's combination
    EXPECT_EQ(Item(ID_FAVORITE_FIRST), "Win-1 <EMPTY>");
    EXPECT_EQ(folder.Ini("CURRENT_PRJ", "PRJ"), "A");
    // Empty slots, by menu and by hotkey: nothing is put or pasted.
    Send(WM_COMMAND, ID_FAVORITE_FIRST + 2);
    Send(WM_HOTKEY, HOTKEY_PASTE_FAV + 3);
    EXPECT_TRUE(LoggedInOrder({"Menu HOT_PASTE_FAV3", "Error returned from PutFavClip()", "Called hotkey PasteFav-3"}));
    EXPECT_FALSE(LoggedInOrder({"EmulCTRL_V1 started"}));
    EXPECT_EQ(ClipboardText(), "beta fav");

    // Each way to the about box, and "Projects...", asked twice at once: the second request, handled while the first
    // dialog is open (the tray answers meanwhile), opens none, and once that is closed it opens again. The tray icon's
    // double click runs the menu's first item, About. Select in the list makes B current, and the tray menu shows B
    // and its favourites.
    const char* about = "About Clipboard Quorvex v.1.00";
    const std::tuple<const char*, UINT, WPARAM, LPARAM> requests[] = {
        {about, WM_TRAYNOTIFY, IDR_TRAY_MENU, WM_LBUTTONDBLCLK}, {about, WM_SYSCOMMAND, 0x10, 0},
        {about, WM_SYSCOMMAND, 0x1F, 0}, {"List of Projects", WM_COMMAND, ID_PROJECTS, 0},
        {"List of Projects", WM_COMMAND, ID_PROJECTS, 0}};
    for (const auto& [title, message, wParam, lParam] : requests) {
        Send(WM_HOTKEY, HOTKEY_PROJECT + 'A');
        const std::string project = message == WM_COMMAND ? "Ctl-Win-B <R&&D>" : "Ctl-Win-A <Alpha>";
        g_watch = {title, 0, 0};
        const UINT_PTR watch = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
            int open = 0;
            for (HWND at = nullptr; (at = FindWindowExA(nullptr, at, nullptr, g_watch.title)) != nullptr; ++open) {
                if (g_watch.ticks < 4) continue;
                SendDlgItemMessageA(at, IDC_PROJECT_LIST, LB_SETCURSEL, 1, 0);
                PostMessageA(at, WM_COMMAND, IDOK, 0);
            }
            g_watch.most = std::max(g_watch.most, open);
            if (open > 0) ++g_watch.ticks;
        });
        for (int times = 0; times < 2; ++times) PostMessageA(dialog->m_hWnd, message, wParam, lParam);
        EXPECT_TRUE(PumpUntil(
            [&] { return g_watch.ticks >= 4 && g_nAboutBoxes == 0 && Item(ID_CURRENT_PROJECT) == project; }, 5000))
            << message;
        KillTimer(nullptr, watch);
        EXPECT_EQ(g_watch.most, 1) << message;
    }
    EXPECT_EQ(Item(ID_FAVORITE_FIRST), "Win-1 'beta fav' ...");
}

// A first run: copies are captured and appended; the program's own puts are not, and nothing it puts from the menu
// is pasted. The first favourite stored creates the default project. The end of the session, Exit, "End task" and
// an installer all save before it ends.
TEST_F(MainWindowTest, CopiesAreKeptAndAppendedTheProgramsPutsAreNotAndItSavesWhenItEnds) {
    Start();
    EXPECT_EQ(folder.Read("Clip.log").find("registering for session notifications"), std::string::npos);
    EXPECT_TRUE(SendMessageA(dialog->m_hWnd, WM_QUERYENDSESSION, 0, 0));  // it lets the session end
    // Pasting on an installation without clips or projects pastes and writes nothing.
    for (UINT id : {HOTKEY_PASTE_FAV + 1, HOTKEY_PASTE_RECENT + 1}) Send(WM_HOTKEY, id);
    EXPECT_FALSE(folder.Exists("Save.ini"));
    for (const char* text : {"first", "second"}) CopyText(text);
    Send(WM_COMMAND, ID_RECENT_FIRST + 1);  // Recents item 2
    EXPECT_EQ(ClipboardText(), "first");
    CopyText("third");  // the put is neither captured nor appended
    EXPECT_EQ(folder.Read("ClipAppends.txt"), "first\r\nsecond\r\nthird\r\n");

    // The selection is copied with an injected Ctrl+C (the generic Ctrl, which may be reported as the left one). It
    // reaches no selection here, so the clipboard is stored as it is.
    KeyboardRecorder recorder;
    Send(WM_HOTKEY, HOTKEY_SAVE_FAV + 1);
    std::vector<std::pair<DWORD, bool>> keys;
    for (const KBDLLHOOKSTRUCT& key : recorder.Events())
        keys.push_back({key.vkCode == VK_LCONTROL ? VK_CONTROL : key.vkCode, (key.flags & LLKHF_UP) != 0});
    EXPECT_EQ(keys, decltype(keys)({{VK_CONTROL, false}, {'C', false}, {'C', true}, {VK_CONTROL, true}}));
    EXPECT_EQ(folder.Ini("A", "NAME"), "Default");
    EXPECT_EQ(folder.Ini("CURRENT_PRJ", "PRJ"), "A");
    EXPECT_EQ(folder.Read("FAVORITE\\ACLIPB1.DAT"), std::string("third\0", 6));
    EXPECT_EQ(Item(ID_CURRENT_PROJECT), "Ctl-Win-A <Default>");
    EXPECT_EQ(Item(ID_FAVORITE_FIRST), "Win-1 'third ...'");
    CopyText("fourth");

    folder.Remove("RECENT\\RECCLIP4.DAT");
    Send(WM_ENDSESSION, FALSE);  // the session goes on
    EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP4.DAT"));
    EXPECT_TRUE(NotifyShell(NIM_MODIFY, dialog->m_hWnd));
    // The session ends (an installer's end ends the program too) while a capture waits on a program that renders its
    // copy 1.5 s late: the read is given up, and the clips are saved and the icon gone before WM_ENDSESSION returns,
    // after which the process may be ended without another message.
    OtherProgram late;
    for (const LPARAM how : {LPARAM{0}, LPARAM{ENDSESSION_CLOSEAPP}}) {
        folder.Remove("RECENT\\RECCLIP4.DAT");
        std::string atReturn;
        late.onRender = [&, window = dialog->m_hWnd](UINT) {
            SendMessageA(window, WM_ENDSESSION, TRUE, how);
            atReturn = folder.Read("RECENT\\RECCLIP4.DAT") + (NotifyShell(NIM_MODIFY, window) ? "|shown" : "") +
                       (IsWindow(window) ? "" : "|ended");
        };
        late.CopyPromising({{CF_TEXT, std::string("late\0", 5)}}, 1500);
        ASSERT_TRUE(PumpUntil([&] { return !atReturn.empty(); }, 3000)) << how;
        EXPECT_EQ(atReturn, std::string("fourth\0", 7) + (how ? "|ended" : "")) << how;
        if (how) continue;
        Send(TaskbarCreatedMessage(), 0);  // nor does a restarted taskbar bring the icon back
        EXPECT_FALSE(NotifyShell(NIM_MODIFY, dialog->m_hWnd));
    }
    EXPECT_FALSE(folder.Exists("RECENT\\RECCLIP5.DAT"));
    // Rendered at last, the late copy is one no run captured, which the next start would: it goes first.
    ASSERT_TRUE(PumpUntil([&] { return late.Renders() == 2; }, 5000));
    ASSERT_TRUE(ClearClipboard());
    const std::tuple<UINT, WPARAM, LPARAM> requests[] = {{WM_COMMAND, ID_APP_EXIT, 0}, {WM_CLOSE, 0, 0}};
    for (const auto& [message, wParam, lParam] : requests) {
        if (!dialog->m_hWnd) Start();
        folder.Remove("RECENT\\RECCLIP4.DAT");
        // Exit as a "-exit" run asks for it, the window known by its title and its process's image.
        if (message == WM_COMMAND)
            EXPECT_FALSE(ExitEnumWindowsProc(dialog->m_hWnd, 0));
        else
            PostMessageA(dialog->m_hWnd, message, wParam, lParam);
        EXPECT_TRUE(PumpUntil([&] { return dialog->m_hWnd == nullptr; }, 2000)) << message;
        EXPECT_EQ(folder.Read("RECENT\\RECCLIP4.DAT"), std::string("fourth\0", 7)) << message;
    }

    // The clips come back at the next start, which finds an older one put back on the clipboard and adds nothing.
    // Win+Ins pastes the appended texts; Win+Del deletes the append file, and Win+Ins then finds it empty and puts
    // nothing.
    ASSERT_TRUE(PutTextOnClipboard("first"));
    Start();
    EXPECT_EQ(Item(ID_RECENT_FIRST), "Ctl-1 'fourth ...'");
    Send(WM_HOTKEY, HOTKEY_WIN_INS);
    EXPECT_EQ(ClipboardText(), "first\r\nsecond\r\nthird\r\nfourth\r\n");
    Send(WM_HOTKEY, HOTKEY_WIN_DEL);
    EXPECT_FALSE(folder.Exists("ClipAppends.txt"));
    // A restart finds the clipboard as Win+Ins left it: the program's own put, which adds nothing (nor brings the file
    // back).
    dialog->DestroyWindow();
    Start();
    EXPECT_FALSE(folder.Exists("ClipAppends.txt"));
    EXPECT_EQ(Item(ID_RECENT_FIRST), "Ctl-1 'fourth ...'");
    Send(WM_HOTKEY, HOTKEY_WIN_INS);
    EXPECT_TRUE(folder.Exists("ClipAppends.txt"));
    Send(WM_COMMAND, ID_APPEND_DELETE);
    EXPECT_FALSE(folder.Exists("ClipAppends.txt"));
    EXPECT_EQ(folder.LogCount("EmulCTRL_V1 started"), 1);
    Send(WM_COMMAND, ID_RECENT_CLEAR);
    EXPECT_EQ(Item(ID_RECENT_FIRST), "Ctl-1 <EMPTY>");

    // The tray menu shows both settings, which the first run turned on, and its commands switch them.
    for (const char* expected : {"Append On", "Append Off", "Append On"}) {
        EXPECT_EQ(Item(ID_APPEND_MODE), expected);
        EXPECT_EQ(Checked(ID_APPEND_MODE), AppendMode == 1);
        EXPECT_EQ(SettingValue(HKEY_LOCAL_MACHINE, "AppendMode"), AppendMode);
        Send(WM_COMMAND, ID_APPEND_MODE);
    }
    // Each switch shows the Run value as it left it: one that cannot be removed keeps the item checked, a
    // registration that fails leaves it unchecked.
    const std::tuple<bool, bool, bool> switches[] = {
        {true, true, true}, {false, false, false}, {true, false, false}, {false, false, true}};
    for (const auto& [unwritableRoot, holdRunValue, checkedAfter] : switches) {
        UnwritableRegistryRoot unwritable;
        if (holdRunValue) unwritable.HoldRunValue("C:\\Quorvex\\Quorvex.exe");
        SetSettingsRootForTests(unwritableRoot ? unwritable.Get() : HKEY_LOCAL_MACHINE);
        Send(WM_COMMAND, ID_RUN_AT_STARTUP);
        EXPECT_EQ(Checked(ID_RUN_AT_STARTUP), checkedAfter);
    }
}

// Other programs at work on the clipboard while the program writes or reads it. A put that waits for another program
// to let the clipboard go, by menu or hotkey, of a recent clip or a favourite, lets that program's copy be captured
// first, and is then done and not captured. The copy Ctrl+Win+digit asks for is stored when it comes (within a
// second) and only as the favourite. What arrives while a read waits for an owner that renders slowly (a notification
// a viewer before the program hands on late, a command) is taken up once the favourite is stored.
TEST_F(MainWindowTest, WhatOtherProgramsDoMeanwhileNeitherMakesThePutsCopiesNorRunsInsideARead) {
    Start();
    for (const char* text : {"first", "second"}) CopyText(text);
    OtherProgram other;
    Send(WM_HOTKEY, HOTKEY_SAVE_FAV + 1);  // the clipboard as it is: "second"
    struct Put {
        UINT message;
        WPARAM id;
        const char* text;
    };
    const Put puts[] = {{.message = WM_COMMAND, .id = ID_RECENT_FIRST + 1, .text = "first"},
                        {.message = WM_HOTKEY, .id = HOTKEY_PASTE_RECENT + 2, .text = "second"},
                        {.message = WM_COMMAND, .id = ID_FAVORITE_FIRST, .text = "second"},
                        {.message = WM_HOTKEY, .id = HOTKEY_PASTE_FAV + 1, .text = "second"}};
    UINT captured = 0;
    for (const Put& put : puts) {
        other.Hold(true);
        Send(put.message, put.id);
        EXPECT_EQ(ClipboardText(), put.text) << put.id;
        PumpFor(300);
        ++captured;
        EXPECT_EQ(Item(ID_RECENT_FIRST) + " " + Item(ID_RECENT_FIRST + captured),
                  "Ctl-1 'held ...' Ctl-" + std::to_string(captured + 1) + " 'second ...'") << put.id;
    }
    // The copy comes at once (its notification may come while the keys are injected, as the hooks see them), late,
    // or from a program that keeps the clipboard open a while after emptying it.
    ShowWindow(other.Window(), SW_SHOW);
    SetForegroundWindow(other.Window());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == other.Window(); }, 3000));
    for (const auto& [selection, holdMs] : {std::pair<std::string, int>{"late selection", 150}, {"selection", 0},
                                            {"late selection", 0}}) {
        KeyboardRecorder hook;
        other.copies = {{CF_TEXT, selection + '\0'}};
        other.copyDelayMs = selection == "selection" ? 0 : 600;
        other.copyHoldMs = holdMs;
        Send(WM_HOTKEY, HOTKEY_SAVE_FAV + 2);
        EXPECT_EQ(folder.Read("FAVORITE\\ACLIPB2.DAT"), selection + '\0');
        ASSERT_TRUE(PumpUntil([&] { return ClipboardText() == selection; }, 3000));
        PumpFor(300);
        EXPECT_EQ(Item(ID_RECENT_FIRST) + " " + Item(ID_RECENT_FIRST + 6), "Ctl-1 'held ...' Ctl-7 <EMPTY>");
    }
    other.copyDelayMs = -1;
    const HWND window = dialog->m_hWnd;
    other.onRender = [&](UINT) {
        for (int times = 0; times < 2; ++times) SendNotifyMessageA(window, WM_DRAWCLIPBOARD, 0, 0);
        Sleep(300);
        SendMessageA(window, WM_COMMAND, ID_RECENT_FIRST + 5, 0);
    };
    // Its notification is not answered yet: it comes while the favourite waits.
    other.CopyPromising({{CF_TEXT, std::string("rendered\0", 9)}}, 0);
    Send(WM_HOTKEY, HOTKEY_SAVE_FAV + 3);
    EXPECT_EQ(folder.Read("FAVORITE\\ACLIPB3.DAT"), std::string("rendered\0", 9));
    EXPECT_TRUE(PumpUntil([] { return ClipboardText() == "first"; }, 3000));
    PumpFor(300);
    EXPECT_EQ(Item(ID_RECENT_FIRST + 6), "Ctl-7 <EMPTY>");

    // A copier that renders each text form 1.2 s late, asked for one: its copy is stored once, as a recent clip, and
    // the selection copied from it for Ctrl+Win+digit once, as the favourite.
    other.onRender = nullptr;
    other.CopyPromising({{CF_TEXT, std::string("slow\0", 5)}, {CF_UNICODETEXT, Utf16Bytes(L"slow")}}, 1200);
    EXPECT_TRUE(PumpUntil([&] { return Item(ID_RECENT_FIRST) == "Ctl-1 'slow ...'"; }, 3000));
    other.copies = {{CF_TEXT, std::string("slow selection\0", 15)}, {CF_UNICODETEXT, Utf16Bytes(L"slow selection")}};
    other.copyDelayMs = 0;
    Send(WM_HOTKEY, HOTKEY_SAVE_FAV + 4);
    EXPECT_EQ(folder.Read("FAVORITE\\ACLIPB4.DAT"), std::string("slow selection\0", 15));
    // Another program that only looks at the clipboard a moment before a put leaves nothing to capture.
    CopyText("looked at");
    const int captures = folder.LogCount("GetRecentClip started");
    other.Hold(false);
    Send(WM_COMMAND, ID_RECENT_FIRST + 2);
    PumpFor(300);
    EXPECT_EQ(folder.LogCount("GetRecentClip started"), captures);
    EXPECT_EQ(Item(ID_RECENT_FIRST) + " " + Item(ID_RECENT_FIRST + 1) + " " + Item(ID_RECENT_FIRST + 2),
              "Ctl-1 'looked at ...' Ctl-2 'slow ...' Ctl-3 'held ...'");
}

// As on today's Windows. Without a taskbar yet the program captures and answers at once, and adds its icon when it
// can; then the first start says where the program is. Where the shell holds Win+digit, as on Windows 10 and 11, the
// program's keyboard hook serves the combination, and the first start says so in the same balloon. Windows removes a
// low-level hook that answers late without a word; the hook is installed anew, so first in the chain again, when the
// session is unlocked or the machine resumes.
TEST_F(MainWindowTest, WithoutATaskbarItAddsTheIconWhenItCanAndTheHookServesTheKeysTheShellHoldsAfterUnlockOrResume) {
    StandInTaskbar taskbar;
    taskbar.RefuseAdds(true);
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN, '2'));  // as the shell holds it
    Start();
    EXPECT_FALSE(dialog->TakeFixedHotKeys());
    CopyText("captured");
    // A hotkey or menu item beyond the list is answered, and puts and pastes nothing.
    Send(WM_HOTKEY, HOTKEY_PASTE_RECENT + 4);
    Send(WM_COMMAND, ID_RECENT_LAST);
    EXPECT_TRUE(LoggedInOrder({"Error returned from PutRecentClip()"}));  // the menu's only sign of it
    EXPECT_FALSE(LoggedInOrder({"EmulCTRL_V1 started"}));
    EXPECT_TRUE(taskbar.Balloons().empty());
    // The retry, once a second, adds the icon, which then tells of the first start; then it stops.
    taskbar.RefuseAdds(false);
    EXPECT_TRUE(PumpUntil([&] { return NotifyShell(NIM_MODIFY, dialog->m_hWnd); }, 3000));
    ASSERT_EQ(taskbar.Balloons().size(), 1u);
    EXPECT_EQ(taskbar.Balloons()[0].text,
              L"Clipboard Quorvex is running. Ctrl+1 \u2026 Ctrl+0 paste the recent clips, Ctrl+Win+1 \u2026 "
              L"Ctrl+Win+0 store the selection as a favourite. It took Win+2 from another program: right-click its "
              L"icon, and \"Keys...\" gives it back.");
    // A copy made while the taskbar takes the balloon of a capture whose shift failed is captured after that
    // capture, never inside its shift: until the disk takes the clips, every stored file stays in its place.
    for (int n = 2; n <= 10; ++n) CopyText("clip " + std::to_string(n));
    EXPECT_EQ(Item(ID_RECENT_LAST), "Ctl-10 'captured ...'");
    taskbar.OnBalloon([] { PutTextOnClipboard("during") && SleepEx(100, FALSE) == 0; });  // a taskbar slow to answer
    FileHandle held = Hold("RECENT\\RECCLIP6.DAT");
    ASSERT_TRUE(PutTextOnClipboard("failed"));
    ASSERT_TRUE(PumpUntil([&] { return Item(ID_RECENT_FIRST) == "Ctl-1 'during ...'"; }, 3000));
    taskbar.OnBalloon(nullptr);
    EXPECT_EQ(Item(ID_RECENT_FIRST + 1), "Ctl-2 'failed ...'");
    held.Close();
    for (int p = 1; p <= 10; ++p)
        EXPECT_EQ(folder.Read("RECENT\\RECCLIP" + std::to_string(p) + ".DAT"),
                  (p == 1 ? std::string("captured") : "clip " + std::to_string(p)) + '\0') << p;
    ASSERT_TRUE(NotifyShell(NIM_DELETE, dialog->m_hWnd));
    PumpFor(1500);
    EXPECT_FALSE(NotifyShell(NIM_MODIFY, dialog->m_hWnd));

    int served = 0;
    for (const auto& [message, event] : {std::pair<UINT, WPARAM>{WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK},
                                         {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC}}) {
        KeyboardRecorder recorder;  // a hook newer than the program's, until that is installed anew
        Send(message, event);
        EXPECT_TRUE(HoldKey(VK_LWIN));
        for (int press = 0; press < 4; ++press) SendKey('2', press % 2 == 1);  // twice while Win is held
        SendKey(VK_LWIN, true);
        served += 2;
        EXPECT_TRUE(PumpUntil([&] { return folder.LogCount("Called hotkey PasteFav-2") == served; }, 2000)) << message;
        // The key reached neither the later hook nor the shell's hotkey; the mask key that keeps Start closed went
        // between Win down and up.
        PumpFor(100);  // the mask key goes once the hook has returned
        const std::vector<KBDLLHOOKSTRUCT> keys = recorder.Events();
        for (const KBDLLHOOKSTRUCT& key : keys) EXPECT_NE(key.vkCode, static_cast<DWORD>('2')) << message;
        EXPECT_EQ(std::count_if(keys.begin(), keys.end(), [](const auto& key) { return key.vkCode == 0xE8; }), 4);
    }
    UnregisterHotKey(nullptr, 1);
}

// Windows drops the keys a program sends to a window run as administrator: the program sends none there, leaves a
// pasted clip on the clipboard and stores no favourite, and says so once for each, also when such a window comes to
// the front while the keys wait. A window whose process it may open but whose token it may not read counts as one
// run as administrator; one whose process it may not open at all (another account's), or at its own level or lower,
// gets the keys.
TEST_F(MainWindowTest, TheUserIsToldOnceOfKeysWindowsDropsAndOfClipsAndFavouritesThatCannotBeStored) {
    StandInTaskbar taskbar;
    Start();
    CopyText("for admin");
    // The window in front, whose process the test plays.
    HWND front = CreateWindowA("EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                               nullptr);
    ASSERT_TRUE(PumpUntil([&] { return SetForegroundWindow(front) && GetForegroundWindow() == front; }, 3000));
    struct Hotkey {
        std::optional<DWORD> foreground;  // its integrity level; none: as its process has it, which no one may open
        std::optional<DWORD> later = {};  // the level of the window in front by the time the keys would go
        UINT id;
        bool keysSent;
        const wchar_t* told;  // the balloon it brings, if any
    };
    const wchar_t* pasteTold =
        L"The window in front runs as administrator, and Windows keeps Clipboard Quorvex from pasting into it. "
        L"The clip is on the clipboard: press Ctrl+V.";
    const wchar_t* saveTold =
        L"The window in front runs as administrator, and Windows keeps Clipboard Quorvex from copying its selection. "
        L"No favourite was stored.";
    const DWORD system = SECURITY_MANDATORY_SYSTEM_RID, low = SECURITY_MANDATORY_LOW_RID;
    const UINT paste = HOTKEY_PASTE_RECENT + 1, save = HOTKEY_SAVE_FAV + 1;
    const Hotkey hotkeys[] = {
        {.foreground = low, .later = system, .id = paste, .keysSent = false, .told = pasteTold},
        {.foreground = low, .later = system, .id = save, .keysSent = false, .told = saveTold},
        {.foreground = kUnreadableIntegrity, .id = save, .keysSent = false, .told = nullptr},
        {.foreground = std::nullopt, .id = paste, .keysSent = true, .told = nullptr},
        {.foreground = low, .id = save, .keysSent = true, .told = nullptr}};
    std::vector<std::wstring> told;
    for (const Hotkey& hotkey : hotkeys) {
        SetForegroundIntegrityForTests(hotkey.foreground);
        const std::unique_ptr<ClosedToAll> otherAccount(hotkey.foreground ? nullptr : new ClosedToAll);
        const char* keysWait = hotkey.id == paste ? "EmulCTRL_V1 started" : "EmulCTRL_C started";
        std::thread comesToTheFront([&, before = folder.LogCount(keysWait)] {
            if (hotkey.later && PumpUntil([&] { return folder.LogCount(keysWait) > before; }, 3000))
                SetForegroundIntegrityForTests(hotkey.later);
        });
        KeyboardRecorder recorder;
        Send(WM_HOTKEY, hotkey.id);
        comesToTheFront.join();
        SetForegroundIntegrityForTests(std::nullopt);
        EXPECT_EQ(!recorder.Events().empty(), hotkey.keysSent) << hotkey.id;
        EXPECT_EQ(ClipboardText(), "for admin") << hotkey.id;
        EXPECT_EQ(folder.Exists("FAVORITE\\ACLIPB1.DAT"), hotkey.keysSent && hotkey.id == save);
        if (hotkey.told) told.push_back(hotkey.told);
        std::vector<std::wstring> balloons;
        for (const TrayRequest& balloon : taskbar.Balloons()) balloons.push_back(balloon.text);
        EXPECT_EQ(balloons, told) << hotkey.id;
    }
    EXPECT_EQ(folder.LogCount("No keys sent: the window in front runs at a higher integrity level"), 3);
    // A clipboard too large for a favourite (the empty window in front copies nothing), a copy its program renders too
    // late (2.5 s for each form it promised, when asked) and a favourite the disk does not take are told too. The read
    // given up asks for nothing more.
    OtherProgram late;
    for (const auto& [content, balloon] : {
             std::pair<std::string, std::wstring>{std::string(250000, 'L'), L"The selection is too large for a favourite "
                                                                            L"(250,000 bytes or more). No favourite was "
                                                                            L"stored."},
             {"late", L"The program the selection was copied from did not hand it over within 2 seconds. No favourite "
                      L"was stored."},
             {"unwritable", L"The favourite could not be written to disk, so its slot keeps what it held. Clip.log "
                            L"says why."}}) {
        if (content == "unwritable") RemoveTree(folder.File("FAVORITE"));
        if (content == "late")
            late.CopyPromising({{RichTextId(), "{\\rtf1 late}"}, {CF_TEXT, std::string("late\0", 5)}}, 2500);
        else
            ASSERT_TRUE(PutTextOnClipboard(content));
        Send(WM_HOTKEY, HOTKEY_SAVE_FAV + 2);
        EXPECT_EQ(taskbar.Balloons().back().text, balloon);
    }
    EXPECT_EQ(late.Renders(), 1);
    DestroyWindow(front);
    // Clips that cannot be written are told too, a long folder by its end, as much as the balloon holds.
    const std::string deep(120, 'd');
    ASSERT_TRUE(CreateDirectoryW(folder.File(deep).c_str(), nullptr));
    SetProgramFolderForTests(folder.File(deep).c_str());
    CopyText("unwritable");
    SetProgramFolderForTests(folder.Path().c_str());
    const std::wstring recent = folder.File(deep + "\\RECENT");
    EXPECT_EQ(taskbar.Balloons().back().text, L"Clips cannot be written to the folder \u2026" +
                                                  recent.substr(recent.size() - 149) +
                                                  L". Clipboard Quorvex keeps them until it ends.");
}

// A start while another program holds a fixed combination says which, and so under the executable's name, then
// offers the Keys dialog with that group marked; cancelled, the start ends.
TEST_F(MainWindowTest, AStartRefusedAFixedCombinationSaysSoAndEndsUnlessOtherKeysAreChosen) {
    StandInTaskbar taskbar;
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL, '5'));
    std::string said;
    AfxSetPromptResponder([&said](const Prompt& prompt) {
        said += prompt.caption + ": " + prompt.text;
        return IDOK;
    });
    EXPECT_TRUE(ActOnDialogs({{"Keys", [](HWND keys) {
                                   EXPECT_EQ(TextOf(GetDlgItem(keys, IDC_KEYS_HELD)), L"Another program holds Ctrl+5.");
                                   EXPECT_EQ(GetFocus(), GetDlgItem(keys, IDC_KEYS_LIST_FIRST));
                                   // The marked row's label is red, the others as usual.
                                   HDC dc = GetDC(keys);
                                   for (int row : {0, 1}) {
                                       SendMessageA(keys, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(GetDlgItem(keys, 1080 + row)));
                                       EXPECT_EQ(GetTextColor(dc), row ? GetSysColor(COLOR_WINDOWTEXT) : 0xC0u);
                                   }
                                   ReleaseDC(keys, dc);
                                   SendDlgItemMessageA(keys, IDCANCEL, BM_CLICK, 0, 0);
                               }}},
                             [] { EXPECT_FALSE(CTamblinApp().InitInstance()); }));
    AfxSetPromptResponder(nullptr);
    UnregisterHotKey(nullptr, 1);
    EXPECT_EQ(said, "component_tests: Error initialize HOT Keys!");
    ASSERT_FALSE(taskbar.Balloons().empty());
    EXPECT_EQ(taskbar.Balloons().back().text,
              L"Another program holds Ctrl+5. Choose other keys for Clipboard Quorvex in its Keys dialog, or close "
              L"that program and start Clipboard Quorvex again.");
}

// "Keys...", after "Projects..." in the menu, opens the Keys dialog on the sets in force. OK with keys another program
// holds names them and changes nothing, and so do two rows of digits with one set and the projects with Ctrl alone;
// Defaults shows the defaults; Cancel changes nothing. OK with free keys moves the hotkeys, keeps them in the registry
// and names them in the menus: a group that is off shows its slot or letter without keys. Win keys that the keyboard
// hook takes from another program are told once per installation; a takeover not shown (a second in a run) is told at
// the next start.
TEST_F(MainWindowTest, TheKeysDialogMovesTheHotkeysOrSaysWhatKeepsThemAndTheMenusNameTheKeysInForce) {
    StandInTaskbar taskbar;
    folder.SetIni("A", "NAME", "Alpha");
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN, '2'));                // as the taskbar holds it
    ASSERT_TRUE(RegisterHotKey(nullptr, 2, MOD_CONTROL | MOD_ALT, '5'));  // other programs
    ASSERT_TRUE(RegisterHotKey(nullptr, 3, MOD_ALT | MOD_WIN, '3'));
    Start();
    EXPECT_FALSE(dialog->TakeFixedHotKeys());
    auto took = [](const std::wstring& keys, const std::wstring& it = L"it") {
        return L"Clipboard Quorvex took " + keys + L" from the program that held " + it +
               L" (on Windows 10 and 11, the taskbar). \"Keys...\" in its menu gives " + it + L" back.";
    };
    EXPECT_EQ(Item(ID_APPEND_PASTE) + "|" + Item(ID_APPEND_DELETE), "Win - Ins <Insert>|Win - Del <Delete>");
    const HMENU popup = dialog->TrayMenu().GetSubMenu(0);
    int projects = 0;
    while (projects < GetMenuItemCount(popup) && GetMenuItemID(popup, projects) != ID_PROJECTS) ++projects;
    EXPECT_EQ(GetMenuItemID(popup, projects + 1), static_cast<UINT>(ID_KEYS));
    auto choose = [](HWND keys, HotkeyGroup group, const char* set) {
        HWND list = GetDlgItem(keys, IDC_KEYS_LIST_FIRST + static_cast<int>(group));
        SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(set));
        SendMessageA(keys, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    };
    auto says = [](HWND keys, int note) { return TextOf(GetDlgItem(keys, note)); };
    auto press = [](HWND keys, int button) { SendDlgItemMessageA(keys, button, BM_CLICK, 0, 0); };
    auto keysDialog = [this](std::function<void(HWND)> act) {
        return ActOnDialogs({{"Keys", std::move(act)}}, [this] { Send(WM_COMMAND, ID_KEYS); });
    };
    EXPECT_TRUE(keysDialog([&](HWND keys) {
        std::vector<int> order;  // the tab order: the rows, then the buttons from left to right
        for (HWND at = GetDlgItem(keys, IDC_KEYS_LIST_FIRST); order.size() < 8; at = GetNextDlgTabItem(keys, at, FALSE))
            order.push_back(GetDlgCtrlID(at));
        EXPECT_EQ(order, (std::vector<int>{1070, 1071, 1072, 1073, 1074, IDC_KEYS_DEFAULTS, IDOK, IDCANCEL}));
        choose(keys, HotkeyGroup::RecentPaste, "Ctrl+Alt");
        EXPECT_EQ(says(keys, IDC_KEYS_ALTGR).rfind(L"Ctrl+Alt is AltGr on many keyboards", 0), 0u);
        press(keys, IDOK);
        EXPECT_EQ(says(keys, IDC_KEYS_HELD), L"Another program holds Ctrl+Alt+5.");
        choose(keys, HotkeyGroup::RecentPaste, "Win");
        EXPECT_EQ(says(keys, IDC_KEYS_HELD), L"");  // another set for the marked row: the note no longer holds
        press(keys, IDOK);
        EXPECT_EQ(says(keys, IDC_KEYS_HELD), L"Two rows would take the digits with Win: give each its own keys.");
        choose(keys, HotkeyGroup::RecentPaste, "Ctrl+Alt+Shift");
        choose(keys, HotkeyGroup::Project, "Ctrl");
        press(keys, IDOK);
        EXPECT_EQ(says(keys, IDC_KEYS_HELD),
                  L"Ctrl+C and Ctrl+V are the keys Clipboard Quorvex presses to copy and paste: the projects can't take "
                  L"Ctrl alone.");
        EXPECT_TRUE(ShowsAllItsText(GetDlgItem(keys, IDC_KEYS_HELD)));
        press(keys, IDC_KEYS_DEFAULTS);
        EXPECT_EQ(says(keys, IDC_KEYS_HELD) + says(keys, IDC_KEYS_ALTGR), L"");
        EXPECT_EQ(TextOf(GetDlgItem(keys, IDC_KEYS_LIST_FIRST)), L"Ctrl");
        choose(keys, HotkeyGroup::Project, "Off");
        press(keys, IDCANCEL);
    }));
    EXPECT_TRUE(HotkeyTaken(MOD_CONTROL, '1'));
    EXPECT_EQ(Item(ID_RECENT_FIRST) + "|" + Item(ID_CURRENT_PROJECT), "Ctl-1 <EMPTY>|Ctl-Win-A <Alpha>");
    EXPECT_TRUE(keysDialog([&](HWND keys) {
        for (auto [group, set] : {std::pair{HotkeyGroup::RecentPaste, "Ctrl+Shift"},
                                  {HotkeyGroup::FavoritePaste, "Off"}, {HotkeyGroup::Project, "Alt+Shift+Win"},
                                  {HotkeyGroup::AppendFile, "Off"}})
            choose(keys, group, set);
        press(keys, IDOK);
    }));
    EXPECT_EQ(Item(ID_RECENT_FIRST) + "|" + Item(ID_FAVORITE_FIRST) + "|" + Item(ID_CURRENT_PROJECT) + "|" +
                  Item(ID_APPEND_PASTE) + "|" + Item(ID_APPEND_DELETE),
              "Ctl-Shf-1 <EMPTY>|1 <EMPTY>|Alt-Shf-Win-A <Alpha>|<Insert>|<Delete>");
    for (auto [modifiers, key, taken] : {std::tuple{UINT{MOD_CONTROL}, UINT{'1'}, false},
                                         {MOD_CONTROL | MOD_SHIFT, '1', true}, {MOD_WIN, '1', false},
                                         {MOD_ALT | MOD_SHIFT | MOD_WIN, 'A', true}, {MOD_WIN, VK_INSERT, false}})
        EXPECT_EQ(HotkeyTaken(modifiers, key), taken) << modifiers << " " << key;
    EXPECT_EQ(SettingText(SettingsRoot(), "RecentKeys") + SettingText(SettingsRoot(), "FavoriteStoreKeys"),
              "Ctrl+Shift<missing>");
    // Favourites pasted with Alt+Win, then with Win again: the hook takes Alt+Win+3, then Win+2, a second takeover in
    // the run, which goes untold until the next start.
    for (const char* set : {"Alt+Win", "Win"})
        EXPECT_TRUE(keysDialog([&](HWND keys) { choose(keys, HotkeyGroup::FavoritePaste, set), press(keys, IDOK); }));
    EXPECT_EQ(taskbar.Balloons().back().text, took(L"Alt+Win+3"));
    // At the next start; then, with one of the two given back by its program, nothing new is taken and nothing told.
    auto restart = [&](bool winFiveHeld) {
        dialog->DestroyWindow();
        EXPECT_EQ(winFiveHeld ? RegisterHotKey(nullptr, 4, MOD_WIN, '5') : UnregisterHotKey(nullptr, 4), TRUE);
        Start();
        EXPECT_FALSE(dialog->TakeFixedHotKeys());
        return taskbar.Balloons().size();
    };
    const std::size_t balloons = restart(true);
    EXPECT_EQ(taskbar.Balloons().back().text, took(L"Win+2, Win+5", L"them"));
    EXPECT_EQ(restart(false), balloons);
    for (int id : {1, 2, 3}) UnregisterHotKey(nullptr, id);
}

// The about box opens in the middle of the screen with the mouse pointer, not in its corner, and shows each of its
// texts whole: no control covers another, and every text fits its control in the dialog's font. So does the Keys
// dialog, with all its notes.
TEST(AboutBoxTest, OpensInTheMiddleOfThePointersScreenWithEveryTextWhole) {
    struct : CWinApp {
        BOOL InitInstance() override { return TRUE; }
    } app;  // closing the box must not end its message loop
    const POINT pointer{40, 30};
    SetCursorPos(pointer.x, pointer.y);
    g_nAboutBoxes = 0;
    CAboutDlg about;
    ASSERT_TRUE(about.Create());
    RECT box{};
    GetWindowRect(about.m_hWnd, &box);
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &screen));
    EXPECT_NEAR(box.left + box.right, screen.rcWork.left + screen.rcWork.right, 1);
    EXPECT_NEAR(box.top + box.bottom, screen.rcWork.top + screen.rcWork.bottom, 1);

    auto everyTextWhole = [](HWND dialog) {
        std::vector<std::pair<std::string, RECT>> placed;
        for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            char kind[16] = "", text[256] = "";
            GetClassNameA(control, kind, sizeof kind);
            const bool staticText =
                lstrcmpiA(kind, "Static") == 0 && (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) <= SS_RIGHT;
            if (staticText || lstrcmpiA(kind, "Button") == 0) GetWindowTextA(control, text, sizeof text);
            const std::string name = std::to_string(GetDlgCtrlID(control)) + " " + kind + " \"" + text + "\"";
            RECT place{}, common{};
            GetWindowRect(control, &place);
            for (const auto& [other, otherPlace] : placed)
                EXPECT_FALSE(IntersectRect(&common, &place, &otherPlace)) << name << " covers " << other;
            placed.emplace_back(name, place);
            // A static text, wrapped as the control wraps it, must fit the control.
            if (!staticText) continue;
            EXPECT_TRUE(ShowsAllItsText(control)) << name;
        }
    };
    everyTextWhole(about.m_hWnd);
    // The message loop hands the box's keys (Tab, Enter, Escape) to it, and nothing else.
    MSG forTheBox{GetWindow(about.m_hWnd, GW_CHILD), WM_KEYDOWN, VK_TAB, 0, 0, {}}, forAnother = forTheBox;
    forAnother.hwnd = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(AfxPreTranslateDialogMessage(forTheBox));
    EXPECT_FALSE(AfxPreTranslateDialogMessage(forAnother));
    DestroyWindow(forAnother.hwnd);
    about.DestroyWindow();
    EXPECT_EQ(g_nAboutBoxes, 0);
    // The Keys dialog with both its notes: the longest set in force holds Ctrl+Alt, and another program holds it.
    KeySets sets = DefaultKeySets();
    sets[Index(HotkeyGroup::RecentPaste)] = MOD_CONTROL | MOD_ALT | MOD_SHIFT | MOD_WIN;
    SetKeySetsInForce(sets);
    CKeysDlg keys([](const KeySets&) -> std::optional<HeldElsewhere> { return std::nullopt; },
                  HeldElsewhere{HotkeyGroup::RecentPaste, "Ctrl+Alt+Shift+Win+5"});
    ASSERT_TRUE(keys.Create());
    everyTextWhole(keys.m_hWnd);
    keys.DestroyWindow();
    SetKeySetsInForce(DefaultKeySets());
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    // Fifty more openings, each showing the banner, leave the working set where it was (a banner is some 125 KB).
    PROCESS_MEMORY_COUNTERS before{}, after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    for (int opening = 0; opening < 50; ++opening) {
        ASSERT_TRUE(about.Create());
        EXPECT_TRUE(SendDlgItemMessageW(about.m_hWnd, IDC_BANNER, STM_GETIMAGE, IMAGE_BITMAP, 0));
        about.DestroyWindow();
    }
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    EXPECT_LT(after.WorkingSetSize, before.WorkingSetSize + (2 << 20));
}
