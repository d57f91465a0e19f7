#include "KeysDlg.h"

#include <string>

#include "framework/TextConversion.h"
#include "res/resource.h"

namespace {

const wchar_t kCtrlAltIsAltGr[] =
    L"Ctrl+Alt is AltGr on many keyboards: on a German layout AltGr+7 \u2026 0 type { [ ] }, and Polish and "
    L"Czech type letters with it.";
const wchar_t kProjectsNotCtrl[] =
    L"Ctrl+C and Ctrl+V are the keys Clipboard Quorvex presses to copy and paste: the projects can't take Ctrl alone.";
const COLORREF kMarkColour = RGB(192, 0, 0);

int ListOf(HotkeyGroup group) { return IDC_KEYS_LIST_FIRST + static_cast<int>(Index(group)); }
int LabelOf(HotkeyGroup group) { return IDC_KEYS_LABEL_FIRST + static_cast<int>(Index(group)); }

}  // namespace

std::wstring AnotherProgramHolds(const HeldElsewhere& held) {
    return L"Another program holds " + WideText(held.keys.c_str()) + L".";
}

CKeysDlg::CKeysDlg(Change change, std::optional<HeldElsewhere> held)
    : CDialog(IDD_KEYS), m_change(std::move(change)), m_held(std::move(held)) {}

CKeysDlg::~CKeysDlg() {
    if (s_open == this) s_open = nullptr;
}

HWND CKeysDlg::OpenDialog() { return s_open ? s_open->m_hWnd : nullptr; }

const MessageTable<CKeysDlg>& CKeysDlg::Messages() {
    static const MessageTable<CKeysDlg> table = {
        OnCommand(IDOK, &CKeysDlg::OnOK),
        OnCommand(IDC_KEYS_DEFAULTS, &CKeysDlg::OnDefaults),
        OnMessage(WM_COMMAND, &CKeysDlg::OnListChanged),
        OnMessage(WM_CTLCOLORSTATIC, &CKeysDlg::OnCtlColorStatic),
    };
    return table;
}

MessageResult CKeysDlg::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (MessageResult result = DispatchMessageTable(*this, Messages(), message, wParam, lParam)) return result;
    return CDialog::OnDialogMessage(message, wParam, lParam);
}

BOOL CKeysDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    s_open = this;
    for (HotkeyGroup group : AllHotkeyGroups()) {
        HWND list = GetDlgItem(m_hWnd, ListOf(group));
        for (KeySet set : OfferedKeySets()) {
            const LRESULT item = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(KeySetText(set).c_str()));
            SendMessageA(list, CB_SETITEMDATA, item, static_cast<LPARAM>(set));
        }
    }
    Show(KeySetsInForce());
    if (!m_held) return TRUE;
    Mark(m_held->group, AnotherProgramHolds(*m_held));
    return FALSE;  // the focus is on the marked row's list
}

KeySets CKeysDlg::Chosen() const {
    KeySets sets = KeySetsInForce();
    for (HotkeyGroup group : AllHotkeyGroups()) {
        HWND list = GetDlgItem(m_hWnd, ListOf(group));
        const LRESULT item = SendMessageA(list, CB_GETCURSEL, 0, 0);
        if (item != CB_ERR) sets[Index(group)] = static_cast<KeySet>(SendMessageA(list, CB_GETITEMDATA, item, 0));
    }
    return sets;
}

void CKeysDlg::Show(const KeySets& sets) {
    for (HotkeyGroup group : AllHotkeyGroups()) {
        HWND list = GetDlgItem(m_hWnd, ListOf(group));
        const std::string text = KeySetText(sets[Index(group)]);
        const LRESULT item =
            SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(list, CB_SETCURSEL, item, 0);
    }
    SayWhatCtrlAltIs();
}

void CKeysDlg::Mark(HotkeyGroup group, const std::wstring& why) {
    Unmark();
    m_marked = group;
    SetDlgItemTextW(m_hWnd, IDC_KEYS_HELD, why.c_str());
    InvalidateRect(GetDlgItem(m_hWnd, LabelOf(group)), nullptr, TRUE);
    SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hWnd, ListOf(group))), TRUE);
}

void CKeysDlg::Unmark() {
    if (!m_marked) return;
    HWND label = GetDlgItem(m_hWnd, LabelOf(*m_marked));
    m_marked.reset();
    SetDlgItemTextW(m_hWnd, IDC_KEYS_HELD, L"");
    InvalidateRect(label, nullptr, TRUE);
}

void CKeysDlg::SayWhatCtrlAltIs() {
    bool ctrlAlt = false;
    for (KeySet set : Chosen()) ctrlAlt = ctrlAlt || (set & (MOD_CONTROL | MOD_ALT)) == (MOD_CONTROL | MOD_ALT);
    SetDlgItemTextW(m_hWnd, IDC_KEYS_ALTGR, ctrlAlt ? kCtrlAltIsAltGr : L"");
}

void CKeysDlg::OnOK(UINT) {
    const KeySets chosen = Chosen();
    const std::vector<HotkeyGroup> clashing = ClashingDigitGroups(chosen);
    if (!clashing.empty()) {
        const std::string keys = KeySetText(chosen[Index(clashing.front())]);
        Mark(clashing.back(),
             L"Two rows would take the digits with " + WideText(keys.c_str()) + L": give each its own keys.");
        return;
    }
    if (TakesInjectedKeys(HotkeyGroup::Project, chosen[Index(HotkeyGroup::Project)])) {
        Mark(HotkeyGroup::Project, kProjectsNotCtrl);
        return;
    }
    if (const std::optional<HeldElsewhere> held = m_change(chosen)) {
        Mark(held->group, AnotherProgramHolds(*held));
        return;
    }
    EndDialog(IDOK);
}

void CKeysDlg::OnDefaults(UINT) {
    Unmark();
    Show(DefaultKeySets());
}

MessageResult CKeysDlg::OnListChanged(WPARAM wParam, LPARAM) {
    if (HIWORD(wParam) != CBN_SELCHANGE) return std::nullopt;
    // Another set for the marked row: what kept it from its keys no longer holds.
    if (m_marked && static_cast<int>(LOWORD(wParam)) == ListOf(*m_marked)) Unmark();
    SayWhatCtrlAltIs();
    return 0;
}

// The marked row's label and what keeps it from its keys stand out in red.
MessageResult CKeysDlg::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
    if (!m_marked || (id != LabelOf(*m_marked) && id != IDC_KEYS_HELD)) return std::nullopt;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, kMarkColour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}
