#pragma once
#include <windows.h>

#include <bitset>
#include <optional>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Menu.h"
#include "hotkeys/Hotkeys.h"
#include "hotkeys/KeyboardHook.h"
#include "shell/TrayNotifyIcon.h"

constexpr UINT WM_TRAYNOTIFY = WM_USER + 100;
extern const char kMainWindowTitle[];  // "Clipboard Quorvex": what a "-exit" run looks for

// The clips' captions name each slot by the keys in force that paste it.
void NameClipSlotsByTheirKeys();

// The hidden main window: it owns the tray icon and receives clipboard changes, hotkeys and
// menu commands. Destroying it ends the program.
class CTamblinDlg : public CDialog {
public:
    CTamblinDlg();
    ~CTamblinDlg() override;
    const char* GetRuntimeClassName() const override { return "CTamblinDlg"; }

    BOOL DestroyWindow() override;
    BOOL OnInitDialog() override;

    // Starts receiving clipboard-change notifications (the first one arrives at once).
    void JoinClipboardChain();
    CMenu& TrayMenu() { return m_TrayIcon.TrayMenu(); }
    // Shows the start-with-Windows and append-mode settings on their tray menu items.
    void UpdateMenuState();
    // Shows the current project on its tray item; no project current leaves the item as it is.
    void RedrawMenuProject();
    // Names the append file's keys on the Appends items.
    void RedrawMenuAppend();
    // Registers the fixed hotkeys as a start does. A group that another program keeps from its keys is
    // told in a balloon and returned; else a first start is told, and the combinations the keyboard hook takes
    // from other programs, once per installation.
    std::optional<HeldElsewhere> TakeFixedHotKeys();
    // Moves the hotkeys to the chosen sets, keeps them in the registry and names them in the menus; or
    // returns what another program holds, and nothing changes.
    std::optional<HeldElsewhere> ChangeKeys(const KeySets& chosen);
    // The Keys dialog; for a start that another program's keys stopped, that group marked. True once the
    // chosen keys are registered, false when the person cancels.
    bool ChooseKeys(const std::optional<HeldElsewhere>& held);

    static const MessageTable<CTamblinDlg>& Messages();

    HICON m_hIcon;       // at the system's large icon size
    HICON m_hSmallIcon;  // at the small icon size: the tray and the title bar
    CTrayNotifyIcon m_TrayIcon;
    int m_bRunAtStartup = 0;
    HWND m_hNextViewer = nullptr;
    HotkeyKeyboardHook m_KeyboardHook;  // favourite hotkeys another program holds; held hotkeys act once

protected:
    MessageResult OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // What the program tells the user through its icon's balloon: what the user would otherwise not
    // notice and can act on. Each at most once a run, and in the log.
    enum class Notice {
        FirstStart,
        ClipsNotWritten,
        PasteRefused,
        SaveRefused,
        FavoriteTooLarge,
        FavoriteNotWritten,
        FavoriteTooLate,
        HotkeysTaken,
        HotkeysTakenOver,
        Count
    };
    // False when the cause was told already this run.
    bool Tell(Notice notice, const std::wstring& text, BalloonKind kind);
    void OnRecentClipsNotStored(std::wstring folder);
    // Pastes the clip just put on the clipboard into the window in front, where Windows lets it.
    void Paste();

    // The window itself, a null handle or a window that no longer exists never serves as the next viewer.
    HWND UsableNextViewer(HWND window) const;
    void ForwardToNextViewer(UINT message, WPARAM wParam, LPARAM lParam);

    MessageResult OnSysCommand(WPARAM, LPARAM);
    MessageResult OnPaint(WPARAM, LPARAM);
    MessageResult OnQueryDragIcon(WPARAM, LPARAM);
    MessageResult OnTrayNotify(WPARAM, LPARAM);
    MessageResult OnDrawClipboard(WPARAM, LPARAM);
    MessageResult OnClipboardChangePending(WPARAM, LPARAM);
    void TakeClipboardChange();
    MessageResult OnChangeCbChain(WPARAM, LPARAM);
    MessageResult OnHotKey(WPARAM, LPARAM);
    void OnExit(UINT);
    MessageResult OnClose(WPARAM, LPARAM);
    MessageResult OnQueryEndSession(WPARAM, LPARAM);
    MessageResult OnEndSession(WPARAM, LPARAM);
    MessageResult OnTimer(WPARAM, LPARAM);
    MessageResult OnSessionChange(WPARAM, LPARAM);
    MessageResult OnPowerBroadcast(WPARAM, LPARAM);
    void ReinstallKeyboardHook();
    MessageResult OnDestroy(WPARAM, LPARAM);
    void OnAbout(UINT);
    void OnPasteRecent(UINT command);
    void OnRecentClear(UINT);
    void OnAppendDelete(UINT);
    void OnAppendMode(UINT);
    void OnRunAtStartup(UINT);

    bool m_bChangePending = false;          // a change notified during a wait on the clipboard is yet to be taken up
    std::optional<DWORD> m_joinSequence;  // the clipboard's number when the window joined the viewer chain
    void OnPasteFavorite(UINT command);
    void OnProjects(UINT);
    void OnKeys(UINT);
    void TellKeysInForce();
    void RedrawKeyNames();

    int m_trayRetries = 0;  // icon attempts made by the retry timer
    bool m_firstStart = false;  // no start before this one stored the settings, and it has not been told yet
    std::bitset<static_cast<std::size_t>(Notice::Count)> m_told;
};
