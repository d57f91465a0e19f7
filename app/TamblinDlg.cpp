#include "TamblinDlg.h"

#include <wtsapi32.h>
#include <algorithm>

#include "app/AboutDlg.h"
#include "app/KeysDlg.h"
#include "append/AppendFile.h"
#include "base/Log.h"
#include "clips/Clipboard.h"
#include "clips/DataFiles.h"
#include "clips/Favorites.h"
#include "clips/RecentClips.h"
#include "framework/TextConversion.h"
#include "hotkeys/Hotkeys.h"
#include "hotkeys/KeyEmulation.h"
#include "projects/ProjectDialogs.h"
#include "projects/Projects.h"
#include "projects/Settings.h"
#include "res/resource.h"

const char kMainWindowTitle[] = "Clipboard Quorvex";

namespace {
// The taskbar may not be up yet at logon, or be restarting: the icon is tried again once a
// second for 100 s, while the program already captures and answers hotkeys. The timer runs
// only while the icon is missing.
const UINT_PTR kTrayRetryTimer = 1;
const UINT kTrayIconRetryMs = 1000;
const int kTrayIconRetries = 99;

const wchar_t kPasteRefusedText[] =
    L"The window in front runs as administrator, and Windows keeps Clipboard Quorvex from pasting into it. "
    L"The clip is on the clipboard: press Ctrl+V.";
const wchar_t kFavoriteTooLargeText[] =
    L"The selection is too large for a favourite (250,000 bytes or more). No favourite was stored.";
const wchar_t kFavoriteNotWrittenText[] =
    L"The favourite could not be written to disk, so its slot keeps what it held. Clip.log says why.";
const wchar_t kFavoriteTooLateText[] =
    L"The program the selection was copied from did not hand it over within 2 seconds. No favourite was stored.";
const wchar_t kSaveRefusedText[] =
    L"The window in front runs as administrator, and Windows keeps Clipboard Quorvex from copying its "
    L"selection. No favourite was stored.";
// A balloon holds 255 characters: a longer folder is shown by its end.
const std::size_t kBalloonLength = 255;
const std::size_t kFolderShown = 150;

const UINT WM_CLIPBOARD_CHANGE_PENDING = WM_APP + 1;

const UINT_PTR kSessionRetryTimer = 2;
const UINT kSessionRetryMs = 1000;
const int kSessionRetries = 600;
int s_sessionRetries = 0;

// The service's event, when it can be opened, tells whether registering can succeed yet; without it, it is tried.
bool SessionServiceMayBeReady() {
    HANDLE ready = OpenEventW(SYNCHRONIZE, FALSE, L"Global\\TermSrvReadyEvent");
    if (!ready) return true;
    const bool set = WaitForSingleObject(ready, 0) == WAIT_OBJECT_0;
    CloseHandle(ready);
    return set;
}

// At logon the session service may not be ready yet and registering fails: it is tried again once the
// service says it is, or whenever its event cannot be opened, once a second for ten minutes. Unregistered, an unlock would not
// install the keyboard hook anew.
void CALLBACK RetrySessionNotifications(HWND window, UINT, UINT_PTR timer, DWORD) {
    const bool registered =
        SessionServiceMayBeReady() && WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
    if (registered) WriteLog("Registered for session notifications", 0);
    if (registered || ++s_sessionRetries >= kSessionRetries) KillTimer(window, timer);
}

// "Ctrl+1 \u2026 Ctrl+0": a digit group's ten keys as its set in force names them.
std::wstring DigitKeys(HotkeyGroup group) {
    const KeySet set = KeysInForce(group);
    return WideText(PressedKeys(set, '1').c_str()) + L" \u2026 " + WideText(PressedKeys(set, '0').c_str());
}

// What a first start says, with the keys in force (a group that is off goes unnamed), and the combinations that the
// keyboard hook took from another program, if any (`them` names them): one balloon, which holds 255 characters.
std::wstring FirstStartText(const std::wstring& taken, const std::wstring& them) {
    std::wstring keys;
    if (KeysInForce(HotkeyGroup::RecentPaste) != kKeysOff)
        keys = DigitKeys(HotkeyGroup::RecentPaste) + L" paste the recent clips";
    if (KeysInForce(HotkeyGroup::FavoriteStore) != kKeysOff)
        keys += (keys.empty() ? L"" : L", ") + DigitKeys(HotkeyGroup::FavoriteStore) +
                L" store the selection as a favourite";
    const std::wstring running = L"Clipboard Quorvex is running.", said = keys.empty() ? L"" : L" " + keys + L".";
    if (taken.empty()) return running + said + L" Right-click its icon in the notification area for the menu.";
    const std::wstring took =
        L" It took " + taken + L" from another program: right-click its icon, and \"Keys...\" gives " + them + L" back.";
    return (running + said + took).size() <= kBalloonLength ? running + said + took : running + took;
}

// The combinations the keyboard hook serves, a group's ten as "Win+1 \u2026 Win+0", others one by one.
std::wstring ServedKeysText(const std::vector<HookedHotkey>& served) {
    std::wstring text;
    for (HotkeyGroup group : AllHotkeyGroups()) {
        std::vector<HookedHotkey> ofGroup;
        for (const HookedHotkey& hotkey : served)
            if (GroupOfId(hotkey.id) == group) ofGroup.push_back(hotkey);
        if (ofGroup.empty()) continue;
        if (!text.empty()) text += L", ";
        if (ofGroup.size() == kHotkeySlots) {
            text += DigitKeys(group);
            continue;
        }
        for (std::size_t i = 0; i < ofGroup.size(); ++i)
            text += (i ? L", " : L"") + WideText(PressedKeys(ofGroup[i].modifiers, ofGroup[i].key).c_str());
    }
    return text;
}

// Every combination the hook serves, each named whole, as Save.ini keeps those the user was told of: "Ctrl+Win+7,
// Win+3".
std::string ServedKeysList(const std::vector<HookedHotkey>& served) {
    std::string list;
    for (const HookedHotkey& hotkey : served)
        list += (list.empty() ? "" : ", ") + PressedKeys(hotkey.modifiers, hotkey.key);
    return list;
}

bool AllTold(const std::vector<HookedHotkey>& served, const std::string& told) {
    const std::string list = ", " + told + ", ";
    return std::all_of(served.begin(), served.end(), [&](const HookedHotkey& hotkey) {
        return list.find(", " + PressedKeys(hotkey.modifiers, hotkey.key) + ", ") != std::string::npos;
    });
}

HICON LoadAppIcon(int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric),
                                         LR_DEFAULTCOLOR));
}
}  // namespace

void NameClipSlotsByTheirKeys() {
    g_pRecentSlotName = [](int slot) { return KeyCaption(HotkeyGroup::RecentPaste, std::to_string(slot)); };
    g_pFavoriteSlotName = [](int slot) { return KeyCaption(HotkeyGroup::FavoritePaste, std::to_string(slot)); };
}

CTamblinDlg::CTamblinDlg()
    : CDialog(IDD_MAIN_WINDOW),
      m_hIcon(LoadAppIcon(SM_CXICON, SM_CYICON)),
      m_hSmallIcon(LoadAppIcon(SM_CXSMICON, SM_CYSMICON)) {}

CTamblinDlg::~CTamblinDlg() {
    g_RecentClipNotStoredHook = nullptr;
    g_FavoriteNotStoredHook = nullptr;
    g_CaptureBeforePutHook = nullptr;
    if (m_hSmallIcon) DestroyIcon(m_hSmallIcon);
    if (m_hIcon) DestroyIcon(m_hIcon);
}

const MessageTable<CTamblinDlg>& CTamblinDlg::Messages() {
    static const MessageTable<CTamblinDlg> table = {
        OnMessage(WM_SYSCOMMAND, &CTamblinDlg::OnSysCommand),
        OnMessage(WM_PAINT, &CTamblinDlg::OnPaint),
        OnMessage(WM_QUERYDRAGICON, &CTamblinDlg::OnQueryDragIcon),
        OnMessage(WM_TRAYNOTIFY, &CTamblinDlg::OnTrayNotify),
        OnMessage(WM_DRAWCLIPBOARD, &CTamblinDlg::OnDrawClipboard),
        OnMessage(WM_CLIPBOARD_CHANGE_PENDING, &CTamblinDlg::OnClipboardChangePending),
        OnMessage(WM_CHANGECBCHAIN, &CTamblinDlg::OnChangeCbChain),
        OnMessage(WM_HOTKEY, &CTamblinDlg::OnHotKey),
        OnCommand(ID_APP_EXIT, &CTamblinDlg::OnExit),
        OnMessage(WM_CLOSE, &CTamblinDlg::OnClose),
        OnMessage(WM_QUERYENDSESSION, &CTamblinDlg::OnQueryEndSession),
        OnMessage(WM_ENDSESSION, &CTamblinDlg::OnEndSession),
        OnMessage(WM_TIMER, &CTamblinDlg::OnTimer),
        OnMessage(WM_WTSSESSION_CHANGE, &CTamblinDlg::OnSessionChange),
        OnMessage(WM_POWERBROADCAST, &CTamblinDlg::OnPowerBroadcast),
        OnMessage(WM_DESTROY, &CTamblinDlg::OnDestroy),
        OnCommand(ID_APP_ABOUT, &CTamblinDlg::OnAbout),
        OnCommandRange(ID_RECENT_FIRST, ID_RECENT_LAST, &CTamblinDlg::OnPasteRecent),
        OnCommand(ID_RECENT_CLEAR, &CTamblinDlg::OnRecentClear),
        OnCommand(ID_APPEND_DELETE, &CTamblinDlg::OnAppendDelete),
        OnCommand(ID_APPEND_MODE, &CTamblinDlg::OnAppendMode),
        OnCommand(ID_RUN_AT_STARTUP, &CTamblinDlg::OnRunAtStartup),
        OnCommandRange(ID_FAVORITE_FIRST, ID_FAVORITE_LAST, &CTamblinDlg::OnPasteFavorite),
        OnCommand(ID_PROJECTS, &CTamblinDlg::OnProjects),
        OnCommand(ID_KEYS, &CTamblinDlg::OnKeys),
    };
    return table;
}

namespace {
// What opens a window or a menu loop, or ends the program. The end of the session is not among them: Windows may end
// the process as soon as it has been answered.
bool OpensALoopOrEnds(UINT message) {
    switch (message) {
    case WM_TRAYNOTIFY:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_HOTKEY:
    case WM_CLOSE:
        return true;
    default:
        return false;
    }
}
}  // namespace

MessageResult CTamblinDlg::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // A clipboard read answers the messages sent meanwhile; one that would run a loop inside it (the
    // about box, the tray menu, a put whose change the capture would swallow) waits until it is over.
    if (IsClipboardBusy() && OpensALoopOrEnds(message)) {
        PostMessageA(m_hWnd, message, wParam, lParam);
        return 0;
    }
    return DispatchMessageTable(*this, Messages(), message, wParam, lParam);
}

BOOL CTamblinDlg::OnInitDialog() {
    WriteLog("CTamblinDlg::OnInitDialog() started", 1);
    CDialog::OnInitDialog();
    SetWindowTextA(m_hWnd, kMainWindowTitle);
    FindRichTextFormat();
    SetClipboardOwnerWindow(m_hWnd);
    StartClipboardReader();

    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    char aboutText[128] = "";
    if (systemMenu && LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, aboutText, sizeof aboutText) > 0) {
        AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
    }
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

    // Without a taskbar yet the icon comes from the timer or at "TaskbarCreated" (its hook).
    if (!m_TrayIcon.Create(this, IDR_TRAY_MENU, kMainWindowTitle, m_hSmallIcon, WM_TRAYNOTIFY, 0, FALSE))
        SetTimer(m_hWnd, kTrayRetryTimer, kTrayIconRetryMs, nullptr);
    if (!WTSRegisterSessionNotification(m_hWnd, NOTIFY_FOR_THIS_SESSION)) {
        WriteLogFormat(0, "Error 0x%X registering for session notifications", static_cast<unsigned>(GetLastError()));
        SetTimer(m_hWnd, kSessionRetryTimer, kSessionRetryMs, RetrySessionNotifications);
    }
    SetKeySetsInForce(ReadKeySets());
    // No start before this one has stored the settings: the user has not seen the program yet. It is told once the
    // keys are in force.
    m_firstStart = !SettingsStored();
    m_bRunAtStartup = 0;
    RegisterAppStartup(&m_bRunAtStartup, 0, AppendMode);
    g_pAcceptedClipHook = AppendClipboardText;
    NameClipSlotsByTheirKeys();
    g_RecentClipNotStoredHook = [this](const std::wstring& folder) { OnRecentClipsNotStored(folder); };
    g_FavoriteNotStoredHook = [this](FavoriteNotStored why) {
        switch (why) {
        case FavoriteNotStored::TooLarge:
            Tell(Notice::FavoriteTooLarge, kFavoriteTooLargeText, BalloonKind::Warning);
            break;
        case FavoriteNotStored::NotWritten:
            Tell(Notice::FavoriteNotWritten, kFavoriteNotWrittenText, BalloonKind::Warning);
            break;
        case FavoriteNotStored::TooLate:
            Tell(Notice::FavoriteTooLate, kFavoriteTooLateText, BalloonKind::Warning);
            break;
        }
    };
    g_CaptureBeforePutHook = [this] { TakeClipboardChange(); };
    DiscardUnfinishedSaveIniChange();
    LoadProjects(m_hWnd);
    RedrawMenuProject();
    UpdateMenuState();
    RedrawMenuAppend();
    LoadFavorite(TrayMenu());
    LoadRecentClips();
    RedrawMenuRecent(TrayMenu());
    return FALSE;  // no control to give the focus to
}

void CTamblinDlg::UpdateMenuState() {
    CMenu& menu = TrayMenu();
    menu.CheckMenuItem(ID_RUN_AT_STARTUP, MF_BYCOMMAND | (m_bRunAtStartup == 1 ? MF_CHECKED : MF_UNCHECKED));
    const bool appendOn = AppendMode == 1;
    menu.ModifyMenu(ID_APPEND_MODE, MF_BYCOMMAND | MF_STRING, ID_APPEND_MODE, appendOn ? "Append On" : "Append Off");
    menu.CheckMenuItem(ID_APPEND_MODE, MF_BYCOMMAND | (appendOn ? MF_CHECKED : MF_UNCHECKED));
}

void CTamblinDlg::JoinClipboardChain() {
    m_joinSequence = GetClipboardSequenceNumber();
    m_hNextViewer = UsableNextViewer(SetClipboardViewer(m_hWnd));
}

HWND CTamblinDlg::UsableNextViewer(HWND window) const {
    return window && window != m_hWnd && IsWindow(window) ? window : nullptr;
}

void CTamblinDlg::ForwardToNextViewer(UINT message, WPARAM wParam, LPARAM lParam) {
    m_hNextViewer = UsableNextViewer(m_hNextViewer);
    // Posted to the viewer's thread: a viewer that stopped answering never holds us up.
    if (m_hNextViewer) SendNotifyMessageA(m_hNextViewer, message, wParam, lParam);
}

BOOL CTamblinDlg::DestroyWindow() {
    WriteLog("DestroyWindow started", 1);
    // Clips that cannot be written now are not kept: the program ends, and the log says so.
    g_RecentClipNotStoredHook = nullptr;
    SaveRecentClips();
    // The tray menu, open when an installer ends the program, would outlive its window and keep the process.
    EndMenu();
    return CDialog::DestroyWindow();
}

MessageResult CTamblinDlg::OnSysCommand(WPARAM wParam, LPARAM) {
    if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return std::nullopt;
    CAboutDlg about;
    about.DoModal(m_hWnd);
    return 0;
}

MessageResult CTamblinDlg::OnPaint(WPARAM, LPARAM) {
    if (!IsIconic(m_hWnd)) return std::nullopt;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return 0;
}

MessageResult CTamblinDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

MessageResult CTamblinDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    m_TrayIcon.OnCallbackMessage(wParam, lParam);
    return 0;
}

MessageResult CTamblinDlg::OnDrawClipboard(WPARAM wParam, LPARAM lParam) {
    ForwardToNextViewer(WM_DRAWCLIPBOARD, wParam, lParam);
    TakeClipboardChange();
    return 0;
}

MessageResult CTamblinDlg::OnClipboardChangePending(WPARAM, LPARAM) {
    m_bChangePending = false;
    TakeClipboardChange();
    return 0;
}

// Captures the clipboard unless it holds the program's own put or favourite. A change notified while
// the program waits on the clipboard is taken up once that wait is over: no read runs inside another.
void CTamblinDlg::TakeClipboardChange() {
    if (IsClipboardBusy()) {
        if (!m_bChangePending) m_bChangePending = PostMessageA(m_hWnd, WM_CLIPBOARD_CHANGE_PENDING, 0, 0) != FALSE;
        return;
    }
    const bool joining = m_joinSequence == GetClipboardSequenceNumber();
    m_joinSequence.reset();
    if (!IsOwnClipboardContent()) GetRecentClip(TrayMenu(), joining);
}

MessageResult CTamblinDlg::OnChangeCbChain(WPARAM wParam, LPARAM lParam) {
    HWND leaving = reinterpret_cast<HWND>(wParam);
    HWND successor = reinterpret_cast<HWND>(lParam);
    if (leaving != m_hNextViewer) {
        ForwardToNextViewer(WM_CHANGECBCHAIN, wParam, lParam);
    } else if (successor == m_hWnd) {
        // Nothing after us can lead back to us: taking it would make every change loop through us.
        WriteLog("Clipboard chain change naming this window ignored", 0);
    } else {
        m_hNextViewer = UsableNextViewer(successor);
    }
    return 0;
}

MessageResult CTamblinDlg::OnHotKey(WPARAM wParam, LPARAM) {
    const UINT id = static_cast<UINT>(wParam);
    const std::optional<HotkeyGroup> group = GroupOfId(id);
    if (!group) return 0;
    const UINT n = id - RowOf(*group).idBase;  // the slot, or the project's letter
    switch (*group) {
    case HotkeyGroup::FavoriteStore: {
        WriteLogFormat(0, "Called hotkey SaveFav-%d", static_cast<int>(n));
        if (!ForegroundTakesKeys()) {
            Tell(Notice::SaveRefused, kSaveRefusedText, BalloonKind::Warning);
            return 0;
        }
        if (ProjectList.empty()) {
            CreateDefaultProject(m_hWnd);
            RedrawMenuProject();
            LoadFavorite(TrayMenu());
        }
        bool copied = true;
        const SelectionCopy copy = [&copied](const auto& keysGo) { return copied = EmulCTRL_C(keysGo); };
        if (GetFavClip(id, copy, TrayMenu()) != 0) WriteLog("Error returned from GetFavClip()", 0);
        if (!copied) Tell(Notice::SaveRefused, kSaveRefusedText, BalloonKind::Warning);
        break;
    }
    case HotkeyGroup::FavoritePaste:
        WriteLogFormat(0, "Called hotkey PasteFav-%d", static_cast<int>(n));
        if (PutFavClip(id) == 0)
            Paste();
        else
            WriteLog("Error returned from PutFavClip()", 0);
        break;
    case HotkeyGroup::RecentPaste:
        WriteLogFormat(0, "Called hotkey RecentPaste-%d", static_cast<int>(n));
        if (PutRecentClip(id) == 0) Paste();
        break;
    case HotkeyGroup::AppendFile:
        if (id == HOTKEY_WIN_DEL) {
            WriteLog("Called hotkey select Win-Del", 0);
            DeleteAppendFile();
            break;
        }
        WriteLog("Called hotkey select Win-Ins", 0);
        if (PutAppendClip() == 0)
            Paste();
        else
            WriteLog("Error returned from PutAppendClip()", 0);
        break;
    case HotkeyGroup::Project:
        SelectProject(static_cast<char>(n));
        LoadFavorite(TrayMenu());
        RedrawMenuProject();
        WriteLogFormat(0, "Called hotkey select Project Ctl-Win-%c", static_cast<char>(n));
        break;
    }
    return 0;
}

void CTamblinDlg::Paste() {
    if (!ForegroundTakesKeys() || !EmulCTRL_V1()) Tell(Notice::PasteRefused, kPasteRefusedText, BalloonKind::Warning);
}

bool CTamblinDlg::Tell(Notice notice, const std::wstring& text, BalloonKind kind) {
    const auto cause = static_cast<std::size_t>(notice);
    if (m_told[cause]) return false;
    m_told[cause] = true;
    WriteLog(("Balloon: " + AnsiText(text.c_str())).c_str(), 0);
    m_TrayIcon.ShowBalloon(WideText(kMainWindowTitle), text, kind);
    return true;
}

void CTamblinDlg::OnRecentClipsNotStored(std::wstring folder) {
    if (folder.size() > kFolderShown) folder = L"\u2026" + folder.substr(folder.size() - kFolderShown + 1);
    Tell(Notice::ClipsNotWritten,
         L"Clips cannot be written to the folder " + folder + L". Clipboard Quorvex keeps them until it ends.",
         BalloonKind::Warning);
}

std::optional<HeldElsewhere> CTamblinDlg::TakeFixedHotKeys() {
    const std::optional<HeldElsewhere> held = RegisterFixedHotKeys(m_hWnd, m_KeyboardHook);
    if (!held) {
        TellKeysInForce();
        return held;
    }
    Tell(Notice::HotkeysTaken,
         AnotherProgramHolds(*held) +
             L" Choose other keys for Clipboard Quorvex in its Keys dialog, or close that program and start "
             L"Clipboard Quorvex again.",
         BalloonKind::Warning);
    return held;
}

// Once the keys are in force, a first start says so. Where the hook serves combinations that another program holds
// (the taskbar of Windows 10 and 11, as a rule), that program no longer gets them: the user is told once per
// installation which, and how to give them back, at a first start in the same balloon. Only what was shown counts
// as told; fewer of the combinations told before tell nothing new.
void CTamblinDlg::TellKeysInForce() {
    const std::vector<HookedHotkey> served = HotkeysServedByTheHook();
    const std::wstring taken = AllTold(served, ReadKeysTakenOver()) ? L"" : ServedKeysText(served);
    const std::wstring them = served.size() == 1 ? L"it" : L"them";
    bool told = false;
    if (m_firstStart) {
        m_firstStart = false;
        told = Tell(Notice::FirstStart, FirstStartText(taken, them), BalloonKind::Info);
    } else if (!taken.empty()) {
        told = Tell(Notice::HotkeysTakenOver,
                    L"Clipboard Quorvex took " + taken + L" from the program that held " + them +
                        L" (on Windows 10 and 11, the taskbar). \"Keys...\" in its menu gives " + them + L" back.",
                    BalloonKind::Info);
    }
    if (told && !taken.empty()) WriteKeysTakenOver(ServedKeysList(served));
}

std::optional<HeldElsewhere> CTamblinDlg::ChangeKeys(const KeySets& chosen) {
    std::string letters;
    for (const PRJ_STR& project : ProjectList) letters += project.letter;
    const KeySets before = KeySetsInForce();
    if (std::optional<HeldElsewhere> held = ChangeHotKeys(m_hWnd, m_KeyboardHook, chosen, letters)) return held;
    StoreKeySets(chosen, before);
    RedrawKeyNames();
    TellKeysInForce();
    return std::nullopt;
}

bool CTamblinDlg::ChooseKeys(const std::optional<HeldElsewhere>& held) {
    CKeysDlg keys([this](const KeySets& chosen) { return ChangeKeys(chosen); }, held);
    return keys.DoModal(m_hWnd) == IDOK;
}

void CTamblinDlg::OnKeys(UINT) {
    // Asked again while it is open (the tray still answers), the open dialog comes forward.
    if (HWND open = CKeysDlg::OpenDialog())
        SetForegroundWindow(open);
    else
        ChooseKeys(std::nullopt);
}

void CTamblinDlg::RedrawKeyNames() {
    RedrawMenuRecent(TrayMenu());
    LoadFavorite(TrayMenu());
    RedrawMenuProject();
    RedrawMenuAppend();
}

void CTamblinDlg::OnExit(UINT) { DestroyWindow(); }

// "End task", taskkill and installers ask with WM_CLOSE: the same as Exit.
MessageResult CTamblinDlg::OnClose(WPARAM, LPARAM) {
    DestroyWindow();
    return 0;
}

MessageResult CTamblinDlg::OnQueryEndSession(WPARAM, LPARAM) { return TRUE; }

// The session ends and the process may be ended without another message: save and leave the tray now, whatever
// clipboard work this message came inside (a read still waiting is given up: its program ends too). An installer or
// an update closing this program alone leaves the session running: that is Exit.
MessageResult CTamblinDlg::OnEndSession(WPARAM wParam, LPARAM lParam) {
    if (!wParam) return 0;
    GiveUpClipboardWaits();
    if (lParam & ENDSESSION_CLOSEAPP) {
        DestroyWindow();
        return 0;
    }
    SaveRecentClips();
    m_TrayIcon.HideFromTray();
    return 0;
}

MessageResult CTamblinDlg::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam != kTrayRetryTimer) return std::nullopt;
    if (m_TrayIcon.AddAgain() || ++m_trayRetries >= kTrayIconRetries) KillTimer(m_hWnd, kTrayRetryTimer);
    return 0;
}

// While the session is locked or the machine sleeps, Windows may remove the keyboard hook for an
// answer it found late; it would stay gone for the rest of the session.
MessageResult CTamblinDlg::OnSessionChange(WPARAM wParam, LPARAM) {
    switch (wParam) {
    case WTS_SESSION_UNLOCK:
    case WTS_SESSION_LOGON:
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
        ReinstallKeyboardHook();
    }
    return 0;
}

MessageResult CTamblinDlg::OnPowerBroadcast(WPARAM wParam, LPARAM) {
    if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) ReinstallKeyboardHook();
    return TRUE;
}

void CTamblinDlg::ReinstallKeyboardHook() {
    if (!m_KeyboardHook.Reinstall()) WriteLog("Can't install the keyboard hook!", 0);
}

MessageResult CTamblinDlg::OnDestroy(WPARAM, LPARAM) {
    WTSUnRegisterSessionNotification(m_hWnd);
    // Leave the viewer chain so the viewers after us keep getting notifications.
    ChangeClipboardChain(m_hWnd, m_hNextViewer);
    m_hNextViewer = nullptr;
    m_KeyboardHook.Stop();
    SetClipboardOwnerWindow(nullptr);
    m_TrayIcon.HideFromTray();
    return std::nullopt;
}

void CTamblinDlg::OnAbout(UINT) {
    CAboutDlg about;
    about.DoModal(m_hWnd);
}

void CTamblinDlg::OnPasteRecent(UINT command) {
    int slot = static_cast<int>(command - ID_RECENT_FIRST + 1);
    WriteLogFormat(0, "Menu HOT_PASTE_R%d", slot);
    if (PutRecentClip(HOTKEY_PASTE_RECENT + slot) != 0) WriteLog("Error returned from PutRecentClip()", 0);
}

void CTamblinDlg::OnRecentClear(UINT) { ClearRecentClips(TrayMenu()); }

void CTamblinDlg::OnAppendDelete(UINT) { DeleteAppendFile(); }

void CTamblinDlg::OnAppendMode(UINT) {
    LONG status = SetAppendMode(AppendMode, AppendMode == 1 ? 0 : 1);
    WriteLogFormat(0, "Error 0x%X set Append Mode", static_cast<unsigned>(status));
    UpdateMenuState();
}

// The item shows the setting as the registry operation left it: a registration that failed is not
// shown as done, nor a Run value that could not be removed as gone.
void CTamblinDlg::OnRunAtStartup(UINT) {
    if (m_bRunAtStartup == 1)
        UnregisterAppStartup(&m_bRunAtStartup);
    else
        RegisterAppStartup(&m_bRunAtStartup, 1, AppendMode);
    UpdateMenuState();
}

void CTamblinDlg::OnPasteFavorite(UINT command) {
    int slot = static_cast<int>(command - ID_FAVORITE_FIRST + 1);
    WriteLogFormat(0, "Menu HOT_PASTE_FAV%d", slot);
    if (PutFavClip(HOTKEY_PASTE_FAV + slot) != 0) WriteLog("Error returned from PutFavClip()", 0);
}

void CTamblinDlg::OnProjects(UINT) {
    // The tray still answers while the list shows a message box: asked again, the open list comes forward.
    if (HWND open = CProject::OpenList()) {
        SetForegroundWindow(open);
        return;
    }
    CProject projects(m_hWnd);
    projects.DoModal(m_hWnd);
    LoadFavorite(TrayMenu());
    RedrawMenuProject();
}

void CTamblinDlg::RedrawMenuProject() {
    const int current = GetCurrentPrjIndex();
    if (current < 0) return;
    const PRJ_STR& project = ProjectList[current];
    const std::string text =
        KeyCaption(HotkeyGroup::Project, std::string(1, project.letter)) + " <" + project.name + ">";
    TrayMenu().ModifyMenu(ID_CURRENT_PROJECT, MF_BYCOMMAND | MF_STRING | MF_GRAYED, ID_CURRENT_PROJECT, text.c_str());
}

void CTamblinDlg::RedrawMenuAppend() {
    // Without keys an item says only what it does.
    const bool off = KeysInForce(HotkeyGroup::AppendFile) == kKeysOff;
    const std::string paste = off ? "<Insert>" : KeyCaption(HotkeyGroup::AppendFile, "Ins", " - ") + " <Insert>";
    const std::string remove = off ? "<Delete>" : KeyCaption(HotkeyGroup::AppendFile, "Del", " - ") + " <Delete>";
    TrayMenu().ModifyMenu(ID_APPEND_PASTE, MF_BYCOMMAND | MF_STRING | MF_GRAYED, ID_APPEND_PASTE, paste.c_str());
    TrayMenu().ModifyMenu(ID_APPEND_DELETE, MF_BYCOMMAND | MF_STRING, ID_APPEND_DELETE, remove.c_str());
}
