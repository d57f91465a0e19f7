#include "TrayNotifyIcon.h"

#include <cstring>
#include <optional>

namespace {
// Registered before any window exists, so every hook compares against the same number.
const UINT g_nTaskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");

const UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

std::optional<RECT> g_iconRectForTests;
}  // namespace

void SetTrayIconRectForTests(const RECT* rect) {
    g_iconRectForTests = rect ? std::optional<RECT>(*rect) : std::nullopt;
}

UINT TaskbarCreatedMessage() { return g_nTaskbarCreatedMsg; }

LRESULT CTrayWindowHook::HandleMessage(UINT message, WPARAM, LPARAM) {
    if (message == g_nTaskbarCreatedMsg && g_nTaskbarCreatedMsg != 0) {
        if (m_pTrayIcon) m_pTrayIcon->AddAgain();
        return 0;
    }
    return PassOn();
}

CTrayNotifyIcon::CTrayNotifyIcon() { std::memset(&m_nid, 0, sizeof m_nid); }

CTrayNotifyIcon::~CTrayNotifyIcon() {
    if (m_bCreated) {
        Shell_NotifyIconA(NIM_DELETE, &m_nid);
        m_bCreated = FALSE;
    }
    m_menu.DestroyMenu();
}

BOOL CTrayNotifyIcon::Create(CWnd* notifyWnd, UINT iconId, LPCSTR tooltip, HICON icon, UINT callbackMessage,
                             UINT menuId, BOOL longForm) {
    if (!notifyWnd || !notifyWnd->m_hWnd) return FALSE;

    // A repeated attempt starts from a fresh copy of the menu, not a second one beside the first.
    m_menu.DestroyMenu();
    if (!m_menu.LoadMenu(menuId ? menuId : iconId)) return FALSE;
    HMENU popup = m_menu.GetSubMenu(0);
    if (!popup) return FALSE;
    ::SetMenuDefaultItem(popup, 0, TRUE);

    // The framework has no frame windows, so the hook sits on the notification window itself.
    // It goes on before the add, so an icon the shell refuses now is added at the next
    // "TaskbarCreated"; a repeated Create finds it in place and leaves it there.
    if (m_hook.HookedHandle() != notifyWnd->m_hWnd) {
        if (m_hook.HookedHandle()) m_hook.UnhookWindow();
        m_hook.HookWindow(notifyWnd);
    }
    m_hook.m_pTrayIcon = this;
    m_pNotifyWnd = notifyWnd;

    std::memset(&m_nid, 0, sizeof m_nid);
    m_nid.cbSize = longForm ? sizeof(NOTIFYICONDATAA) : NOTIFYICONDATAA_V1_SIZE;
    m_nid.hWnd = notifyWnd->m_hWnd;
    m_nid.uID = iconId;
    m_nid.uFlags = kIconFlags;
    m_nid.uCallbackMessage = callbackMessage;
    m_nid.hIcon = icon;
    // Cut to what the shell reads of the tooltip: 64 bytes in the short form, the whole field in the long.
    const int tipLimit = longForm ? static_cast<int>(sizeof m_nid.szTip) : 64;
    lstrcpynA(m_nid.szTip, tooltip ? tooltip : "", tipLimit);

    m_bCreated = Shell_NotifyIconA(NIM_ADD, &m_nid);
    if (m_bCreated) SendWaitingBalloons();
    return m_bCreated;
}

LRESULT CTrayNotifyIcon::OnCallbackMessage(WPARAM wParam, LPARAM lParam) {
    if (wParam != m_nid.uID) return 0;
    HMENU popup = m_menu.GetSubMenu(0);
    if (!popup || !m_pNotifyWnd) return 1;
    HWND owner = m_pNotifyWnd->m_hWnd;

    switch (static_cast<UINT>(lParam)) {
    case WM_RBUTTONUP: {
        POINT cursor{};
        GetCursorPos(&cursor);
        // Chosen from the keyboard (Win+B, then Enter, Space or Shift+F10) the icon sends the same
        // message with the pointer anywhere, perhaps on another screen: the menu then opens at the
        // icon, above or beside it rather than over it.
        TPMPARAMS beside{sizeof beside, {}};
        const bool atIcon = IconRect(beside.rcExclude) && !PtInRect(&beside.rcExclude, cursor);
        const POINT at = atIcon ? POINT{beside.rcExclude.left, beside.rcExclude.top} : cursor;
        // Without the foreground the menu would not close when the user clicks elsewhere.
        SetForegroundWindow(owner);
        // Either button chooses an item: the menu came up on a right click.
        const UINT chosen = TrackPopupMenuEx(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD | (atIcon ? TPM_BOTTOMALIGN : 0),
                                             at.x, at.y, owner, atIcon ? &beside : nullptr);
        if (chosen) {
            PostMessageA(owner, WM_COMMAND, chosen, 0);
        } else if (GetForegroundWindow() == owner) {
            // Closed with Escape, not by a click into another window: the keyboard goes on in the
            // notification area, where it was.
            NOTIFYICONDATAW identity = Identity();
            Shell_NotifyIconW(NIM_SETFOCUS, &identity);
        }
        // Lets the menu close properly on a second right click over the icon.
        PostMessageA(owner, WM_NULL, 0, 0);
        break;
    }
    case WM_LBUTTONDBLCLK: {
        SetForegroundWindow(owner);
        const UINT id = GetMenuItemID(popup, 0);
        SendMessageA(owner, WM_COMMAND, id, 0);
        break;
    }
    default:
        break;
    }
    return 1;
}

BOOL CTrayNotifyIcon::HideFromTray() {
    m_waitingBalloons.clear();
    if (m_bHidden) return TRUE;
    const BOOL deleted = Shell_NotifyIconA(NIM_DELETE, &m_nid);
    m_bHidden = TRUE;
    return deleted;
}

BOOL CTrayNotifyIcon::AddAgain() {
    if (m_bHidden || !m_nid.hWnd) return FALSE;
    // The taskbar may or may not know the icon already; start clean either way.
    Shell_NotifyIconA(NIM_DELETE, &m_nid);
    m_nid.uFlags = kIconFlags;
    if (!Shell_NotifyIconA(NIM_ADD, &m_nid)) return FALSE;
    SendWaitingBalloons();
    return TRUE;
}

void CTrayNotifyIcon::ShowBalloon(const std::wstring& title, const std::wstring& text, BalloonKind kind) {
    if (m_bHidden) return;
    m_waitingBalloons.push_back({title, text, kind});
    SendWaitingBalloons();
}

NOTIFYICONDATAW CTrayNotifyIcon::Identity() const {
    NOTIFYICONDATAW identity{};
    identity.cbSize = sizeof identity;
    identity.hWnd = m_nid.hWnd;
    identity.uID = m_nid.uID;
    return identity;
}

void CTrayNotifyIcon::SendWaitingBalloons() {
    while (!m_waitingBalloons.empty()) {
        const Balloon& balloon = m_waitingBalloons.front();
        NOTIFYICONDATAW data = Identity();
        data.uFlags = NIF_INFO;
        lstrcpynW(data.szInfoTitle, balloon.title.c_str(), ARRAYSIZE(data.szInfoTitle));
        lstrcpynW(data.szInfo, balloon.text.c_str(), ARRAYSIZE(data.szInfo));
        data.dwInfoFlags = balloon.kind == BalloonKind::Warning ? NIIF_WARNING : NIIF_INFO;
        if (!Shell_NotifyIconW(NIM_MODIFY, &data)) return;
        m_waitingBalloons.erase(m_waitingBalloons.begin());
    }
}

bool CTrayNotifyIcon::IconRect(RECT& rect) const {
    if (g_iconRectForTests) {
        rect = *g_iconRectForTests;
        return true;
    }
    NOTIFYICONIDENTIFIER icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = m_nid.hWnd;
    icon.uID = m_nid.uID;
    return SUCCEEDED(Shell_NotifyIconGetRect(&icon, &rect));
}
