#pragma once
#include <windows.h>

#include <shellapi.h>

#include "framework/Menu.h"
#include "framework/Object.h"
#include "framework/Wnd.h"
#include "shell/HookWnd.h"

class CTrayNotifyIcon;

// The number of the shell's "TaskbarCreated" broadcast, registered once per process.
UINT TaskbarCreatedMessage();

// Watches the notification window for a re-created taskbar and has the icon add itself again.
class CTrayWindowHook : public CHookWnd {
public:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    CTrayNotifyIcon* m_pTrayIcon = nullptr;
};

// One icon in the notification area on behalf of an owner window, with the popup menu shown
// from it. The loaded menu is the one the rest of the program changes in place.
class CTrayNotifyIcon : public CObject {
public:
    CTrayNotifyIcon();
    ~CTrayNotifyIcon() override;
    CTrayNotifyIcon(const CTrayNotifyIcon&) = delete;
    CTrayNotifyIcon& operator=(const CTrayNotifyIcon&) = delete;
    const char* GetRuntimeClassName() const override { return "CTrayNotifyIcon"; }

    // Loads the menu (menuId 0: the icon id), hooks the window and adds the icon.
    // TRUE when the shell accepted the icon; may be called again after a refused add.
    BOOL Create(CWnd* notifyWnd, UINT iconId, LPCSTR tooltip, HICON icon, UINT callbackMessage,
                UINT menuId = 0, BOOL longForm = FALSE);
    // The owner's handler of the callback message passes its parameters here.
    // 0 when wParam names another icon, else 1.
    virtual LRESULT OnCallbackMessage(WPARAM wParam, LPARAM lParam);
    // Removes the icon for good; a re-created taskbar does not bring it back.
    BOOL HideFromTray();
    // Adds the icon again as Create last described it (a re-created taskbar, or a retry after a
    // refused add), keeping the menu as it is now. TRUE when the shell took it; nothing after HideFromTray.
    BOOL AddAgain();
    // The whole loaded menu resource, not only its popup.
    CMenu& TrayMenu() { return m_menu; }

    // What the shell is given for this icon.
    const NOTIFYICONDATAA& NotifyData() const { return m_nid; }

private:
    NOTIFYICONDATAA m_nid;
    BOOL m_bCreated = FALSE;
    BOOL m_bHidden = FALSE;
    CWnd* m_pNotifyWnd = nullptr;
    CTrayWindowHook m_hook;
    CMenu m_menu;
};
