#include "AboutDlg.h"

#include "base/ProgramFolder.h"
#include "framework/Prompts.h"
#include "res/resource.h"

int g_nAboutBoxes = 0;

namespace {
const char kMakerSite[] = "https://www.corvellan.example/";
const char kOrderPage[] = "https://shop.corvellan.example/clipboard-quorvex";
}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

const MessageTable<CAboutDlg>& CAboutDlg::Messages() {
    static const MessageTable<CAboutDlg> table = {
        OnCommand(IDC_WEB, &CAboutDlg::OnWeb),
        OnCommand(IDC_HELP_MANUAL, &CAboutDlg::OnHelp),
        OnMessage(WM_DESTROY, &CAboutDlg::OnDestroy),
        OnCommand(IDC_BANNER, &CAboutDlg::OnBanner),
    };
    return table;
}

MessageResult CAboutDlg::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (MessageResult result = DispatchMessageTable(*this, Messages(), message, wParam, lParam)) return result;
    return CDialog::OnDialogMessage(message, wParam, lParam);
}

BOOL CAboutDlg::OnInitDialog() {
    if (++g_nAboutBoxes > 1) {
        EndDialog(0);  // one about box at a time: the open one stays
        return TRUE;
    }
    return CDialog::OnInitDialog();
}

void CAboutDlg::OnWeb(UINT) { AfxShellOpen(kMakerSite); }

void CAboutDlg::OnHelp(UINT) {
    char manual[MAX_PATH];
    if (ProgramPath(manual, "Manual.doc")) AfxShellOpen(manual);
}

MessageResult CAboutDlg::OnDestroy(WPARAM, LPARAM) {
    --g_nAboutBoxes;
    return std::nullopt;
}

void CAboutDlg::OnBanner(UINT) { AfxShellOpen(kOrderPage); }
