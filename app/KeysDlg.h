#pragma once
#include <windows.h>

#include <functional>
#include <optional>

#include "framework/Dialog.h"
#include "hotkeys/Hotkeys.h"

// "Another program holds Ctrl+5.": what keeps a group from its keys, as the dialog and the balloon of a start say it.
std::wstring AnotherProgramHolds(const HeldElsewhere& held);

// "Keys": one row per hotkey group, each a list of the sets the group may take ("Ctrl", "Ctrl+Alt", ...
// "Win", "Off"), showing the sets in force, with OK, Cancel and Defaults. OK hands the chosen sets to
// `change`, which moves the hotkeys or names a combination another program holds: the dialog then says
// so, marks the group and stays open; so it does for two digit rows with one set, and for projects with Ctrl
// alone. Cancel changes nothing.
class CKeysDlg : public CDialog {
public:
    using Change = std::function<std::optional<HeldElsewhere>(const KeySets& chosen)>;
    // `held`: what kept a group from its keys before the dialog opened (a start), shown and marked at once.
    explicit CKeysDlg(Change change, std::optional<HeldElsewhere> held = std::nullopt);
    ~CKeysDlg() override;
    const char* GetRuntimeClassName() const override { return "CKeysDlg"; }
    BOOL OnInitDialog() override;

    // The dialog's window while one is open, else null: there is one at a time.
    static HWND OpenDialog();

    static const MessageTable<CKeysDlg>& Messages();

protected:
    MessageResult OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnOK(UINT);
    void OnDefaults(UINT);
    MessageResult OnListChanged(WPARAM, LPARAM);
    MessageResult OnCtlColorStatic(WPARAM, LPARAM);

    KeySets Chosen() const;
    void Show(const KeySets& sets);
    // Says what keeps the group from the chosen keys, marks its row and puts the focus on its list.
    void Mark(HotkeyGroup group, const std::wstring& why);
    void Unmark();
    void SayWhatCtrlAltIs();

    Change m_change;
    std::optional<HeldElsewhere> m_held;
    std::optional<HotkeyGroup> m_marked;
    static inline CKeysDlg* s_open = nullptr;
};
