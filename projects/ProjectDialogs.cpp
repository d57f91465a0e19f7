#include "ProjectDialogs.h"

#include <cstdio>

#include "base/CurrentProject.h"
#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "framework/Prompts.h"
#include "hotkeys/HotkeyGroups.h"
#include "projects/ProjectTransfer.h"
#include "projects/Projects.h"
#include "res/resource.h"

namespace {
const int kNewNameLength = 25;  // what the name box accepts
}

CProject::CProject(HWND hotkeyWindow) : CDialog(IDD_PROJECTS), m_hotkeyWindow(hotkeyWindow) {}

CProject::~CProject() {
    if (s_open == this) s_open = nullptr;
}

HWND CProject::OpenList() { return s_open ? s_open->m_hWnd : nullptr; }

const MessageTable<CProject>& CProject::Messages() {
    static const MessageTable<CProject> table = {
        OnCommand(IDOK, &CProject::OnBnClickedSelect),
        OnCommand(IDC_PROJECT_NEW, &CProject::OnBnClickedNew),
        OnCommand(IDC_PROJECT_DELETE, &CProject::OnBnClickedDelete),
        OnCommand(IDC_PROJECT_EXPORT, &CProject::OnBnClickedExport),
        OnCommand(IDC_PROJECT_IMPORT, &CProject::OnBnClickedImport),
    };
    return table;
}

MessageResult CProject::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (MessageResult result = DispatchMessageTable(*this, Messages(), message, wParam, lParam)) return result;
    return CDialog::OnDialogMessage(message, wParam, lParam);
}

BOOL CProject::OnInitDialog() {
    CDialog::OnInitDialog();
    s_open = this;
    RedrawProjectList();
    return TRUE;
}

void CProject::RedrawProjectList() {
    LoadProjects(m_hotkeyWindow);
    HWND list = GetDlgItem(m_hWnd, IDC_PROJECT_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < ProjectList.size(); ++i) {
        const PRJ_STR& project = ProjectList[i];
        const std::string entry =
            "  " + KeyCaption(HotkeyGroup::Project, std::string(1, project.letter)) + "\t<" + project.name + ">";
        LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        SendMessageA(list, LB_SETITEMDATA, index, static_cast<LPARAM>(project.letter));
        // Entries sort in letter order, so a list position is a position in ProjectList.
        if (project.selected) SendMessageA(list, LB_SETCURSEL, i, 0);
    }
}

char CProject::SelectedLetter() const {
    HWND list = GetDlgItem(m_hWnd, IDC_PROJECT_LIST);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return 0;
    return static_cast<char>(SendMessageA(list, LB_GETITEMDATA, index, 0));
}

void CProject::OnBnClickedSelect(UINT) {
    const char letter = SelectedLetter();
    EndDialog(IDOK);
    if (letter) SelectProject(letter);
}

void CProject::OnBnClickedNew(UINT) {
    CNewPrj newProject;
    if (newProject.DoModal(m_hWnd) == IDOK) RedrawProjectList();
}

void CProject::OnBnClickedDelete(UINT) {
    WriteLog("CProject::OnBnClickedDelete() start", 0);
    const char letter = SelectedLetter();
    if (!letter) return;
    if (letter == 'A') {
        AfxMessageBox("Can't remove default project 'A'!", MB_OK | MB_ICONHAND);
        return;
    }
    const PRJ_STR* project = FindProject(letter);
    char question[96];
    std::snprintf(question, sizeof question, "Are you sure to delete project %c <%s>?", letter,
                  project ? project->name : "");
    if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) return;

    if (!DeleteProjectSection(letter)) WriteLog("Error save INI!", 0);
    UnregisterProjectHotKey(m_hotkeyWindow, letter);
    RemoveProject(letter);
    // The first project (A, which is never deleted) becomes current. Should a hand-edited Save.ini
    // have left no project at all, none is current, so no favourite lands under a deleted letter.
    if (ProjectList.empty())
        CurrentPrj = 0;
    else
        SelectProject(ProjectList.front().letter);
    RedrawProjectList();
}

void CProject::OnBnClickedExport(UINT) {
    const PRJ_STR* listed = FindProject(SelectedLetter());
    if (!listed) return;
    const PRJ_STR chosen = *listed;  // the export's message boxes let messages run, which may reload ProjectList
    ExportProject(chosen);
}

void CProject::OnBnClickedImport(UINT) {
    wchar_t exportFolder[MAX_PATH];
    if (!ProgramPathW(exportFolder, "EXPORT\\")) return;
    const std::optional<std::wstring> chosen = AfxGetOpenFileName(
        m_hWnd, "Import Project", "Project Export (*.INI)", "*.INI", "Export.ini", exportFolder);
    if (!chosen) {
        WriteLogFormat(0, "Error 0x%X loading comdlg32.dll: the open-file dialog cannot be shown",
                       static_cast<unsigned>(GetLastError()));
        AfxMessageBox("The open-file dialog could not be loaded (comdlg32.dll), so no project can be imported.",
                      MB_OK | MB_ICONERROR);
        return;
    }
    if (!chosen->empty() && ImportProject(*chosen)) RedrawProjectList();
}

CNewPrj::CNewPrj() : CDialog(IDD_NEW_PROJECT) {}

const MessageTable<CNewPrj>& CNewPrj::Messages() {
    static const MessageTable<CNewPrj> table = {
        OnCommand(IDOK, &CNewPrj::OnOK),
    };
    return table;
}

MessageResult CNewPrj::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (MessageResult result = DispatchMessageTable(*this, Messages(), message, wParam, lParam)) return result;
    return CDialog::OnDialogMessage(message, wParam, lParam);
}

BOOL CNewPrj::OnInitDialog() {
    CDialog::OnInitDialog();
    m_letter = GetFreePrjLetter();
    if (m_letter == 0 || m_letter > 'Z') {
        AfxMessageBox("Can not create another project!", MB_OK);
        EndDialog(0);
        return TRUE;
    }
    SetDlgItemTextA(m_hWnd, IDC_NEW_PROJECT_HOTKEY,
                    KeyCaption(HotkeyGroup::Project, std::string(1, m_letter), " - ").c_str());
    SendDlgItemMessageA(m_hWnd, IDC_NEW_PROJECT_NAME, EM_LIMITTEXT, kNewNameLength, 0);
    return TRUE;
}

void CNewPrj::OnOK(UINT) {
    char name[kNewNameLength + 1] = "";
    GetDlgItemTextA(m_hWnd, IDC_NEW_PROJECT_NAME, name, sizeof name);
    EndDialog(IDOK);
    // Hotkeys work while the dialog is open: a favourite stored meanwhile may have made the letter
    // it offered a project, whose clips a new project must not wipe.
    if (FindProject(m_letter)) m_letter = GetFreePrjLetter();
    if (m_letter == 0) {
        AfxMessageBox("Can not create another project!", MB_OK);
        return;
    }
    if (!StartProject(m_letter, name)) WriteLog("Error save INI!", 0);
}
