#include "TrayNotifyIcon.h"

#include <cstring>

namespace {
// Registered before any window exists, so every hook compares against the same number.
const UINT g_nTaskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");

const UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}  // namespace

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
        // Without the foreground the menu would not close when the user clicks elsewhere.
        SetForegroundWindow(owner);
        // Either button chooses an item: the menu came up on a right click.
        TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
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
    return Shell_NotifyIconA(NIM_ADD, &m_nid);
}
