#include "Dialog.h"

#include <algorithm>
#include <vector>

#include "WinApp.h"

namespace {

std::vector<HWND>& ModelessDialogs() {
    thread_local std::vector<HWND> dialogs;
    return dialogs;
}

// Messages whose dialog-procedure result is the message's own result rather than DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    default:
        return false;
    }
}

}  // namespace

CDialog::~CDialog() {
    // The window must not outlive its object. It is destroyed while still bound, so its
    // WM_NCDESTROY clean-up runs (and unbinds it); by now only CDialog's own handling is left.
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    // A window that could not be destroyed (another thread's) must at least let go of the object.
    if (m_hWnd) SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
}

BOOL CDialog::Create(HWND parent) {
    m_modal = false;
    HWND hWnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), parent, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (hWnd) ModelessDialogs().push_back(hWnd);
    return hWnd != nullptr;
}

INT_PTR CDialog::DoModal(HWND parent) {
    m_modal = true;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

CDialog* CDialog::FromHandle(HWND hWnd) {
    return reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

MessageResult CDialog::OnDialogMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && m_modal && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(LOWORD(wParam));
        return 0;
    }
    return std::nullopt;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    MessageResult result = OnDialogMessage(message, wParam, lParam);
    if (!result) return FALSE;
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(*result);
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, *result);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = hWnd;
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, lParam);
    } else {
        dialog = FromHandle(hWnd);
    }
    if (!dialog) return FALSE;  // before the binding, or after it was cleared

    CurrentMessageScope scope(hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        dialog->m_hWnd = nullptr;
        auto& modeless = ModelessDialogs();
        modeless.erase(std::remove(modeless.begin(), modeless.end(), hWnd), modeless.end());
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd == dialog) {
            app->m_pMainWnd = nullptr;
            PostQuitMessage(0);
        }
        return FALSE;
    }
    try {
        return dialog->Dispatch(message, wParam, lParam);
    } catch (...) {
        // An exception must not unwind through the system's dispatcher.
        OutputDebugStringA("Exception in a dialog's message handler");
        return FALSE;
    }
}

bool AfxPreTranslateDialogMessage(MSG& msg) {
    if (!msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    const auto& modeless = ModelessDialogs();
    if (std::find(modeless.begin(), modeless.end(), root) == modeless.end()) return false;
    return IsDialogMessageA(root, &msg) != FALSE;
}
