#pragma once
#include <windows.h>

#include "MessageTable.h"
#include "Wnd.h"

// A dialog built from a dialog template, modal (DoModal) or modeless (Create).
// The object is bound to its window through GWLP_USERDATA from WM_INITDIALOG until WM_NCDESTROY.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}
    ~CDialog() override;
    const char* GetRuntimeClassName() const override { return "CDialog"; }

    // Modeless: creates the window from the template; it is shown only if the template says so.
    BOOL Create(HWND parent = nullptr);
    INT_PTR DoModal(HWND parent = nullptr);
    void EndDialog(INT_PTR result);
    BOOL DestroyWindow() override;

    virtual BOOL OnInitDialog() { return TRUE; }

    static CDialog* FromHandle(HWND hWnd);

protected:
    // Derived dialogs dispatch their message tables here; std::nullopt means default processing.
    virtual MessageResult OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    bool m_modal = false;
};

// True when the message belongs to a modeless dialog and was handled as dialog input.
bool AfxPreTranslateDialogMessage(MSG& msg);
