#pragma once
#include <windows.h>

#include "framework/Dialog.h"

// "List of Projects": select, create and delete projects. The project hotkeys live on the
// program's main window, which the dialog is given.
class CProject : public CDialog {
public:
    explicit CProject(HWND hotkeyWindow);
    ~CProject() override;
    const char* GetRuntimeClassName() const override { return "CProject"; }
    BOOL OnInitDialog() override;

    // Reloads the projects from Save.ini and lists them, the current one selected.
    void RedrawProjectList();

    // The list's window while one is open, else null. There is one list at a time: each reloads
    // ProjectList, which would change under another list's Select, Delete or Export.
    static HWND OpenList();

    static const MessageTable<CProject>& Messages();

protected:
    MessageResult OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnBnClickedSelect(UINT);
    void OnBnClickedNew(UINT);
    void OnBnClickedDelete(UINT);
    void OnBnClickedExport(UINT);
    void OnBnClickedImport(UINT);
    // The letter of the highlighted entry, or 0.
    char SelectedLetter() const;

    HWND m_hotkeyWindow;
    static inline CProject* s_open = nullptr;
};

// "New Project": shows the next free letter's hotkey and asks for the name.
class CNewPrj : public CDialog {
public:
    CNewPrj();
    const char* GetRuntimeClassName() const override { return "CNewPrj"; }
    BOOL OnInitDialog() override;

    static const MessageTable<CNewPrj>& Messages();

    char m_letter = 0;

protected:
    MessageResult OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnOK(UINT);
};
