#pragma once
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

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

// How a balloon is marked: news, or something that did not happen.
enum class BalloonKind { Info, Warning };

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
    // Shows a balloon from the icon (Windows 10 and 11 show it as a notification). While the shell
    // does not hold the icon (not added yet, or the taskbar restarting) the balloon waits, and goes
    // out once the icon is added. Nothing after HideFromTray.
    void ShowBalloon(const std::wstring& title, const std::wstring& text, BalloonKind kind);

    // What the shell is given for this icon.
    const NOTIFYICONDATAA& NotifyData() const { return m_nid; }

private:
    struct Balloon {
        std::wstring title, text;
        BalloonKind kind;
    };
    // The record that names this icon to the shell, in the form that carries a balloon.
    NOTIFYICONDATAW Identity() const;
    // Sends the waiting balloons in order, up to one the shell refuses: it does not hold the icon.
    void SendWaitingBalloons();
    // Where the shell shows the icon; false when it does not say.
    bool IconRect(RECT& rect) const;

    NOTIFYICONDATAA m_nid;
    BOOL m_bCreated = FALSE;
    BOOL m_bHidden = FALSE;
    CWnd* m_pNotifyWnd = nullptr;
    CTrayWindowHook m_hook;
    CMenu m_menu;
    std::vector<Balloon> m_waitingBalloons;
};

// Tests say where the icon is, as a shell would (null: ask the shell again).
void SetTrayIconRectForTests(const RECT* rect);
