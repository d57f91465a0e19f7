#include "AboutDlg.h"

#include <shlwapi.h>

#include "base/Log.h"
#include "base/ProgramFolder.h"
#include "framework/Prompts.h"
#include "res/resource.h"

int g_nAboutBoxes = 0;

namespace {
// Where the banner sits in the template, in dialog units.
const RECT kBannerPlace{33, 40, 33 + 173, 40 + 83};
const wchar_t kMakerSite[] = L"https://www.corvellan.example/";
const wchar_t kOrderPage[] = L"https://shop.corvellan.example/clipboard-quorvex";
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
    ShowBanner();
    CentreOnCursorScreen();
    return CDialog::OnInitDialog();
}

// The program has no visible window to open beside, and the box would open in the screen's corner:
// it opens in the middle of the screen the person works on, the one with the mouse pointer.
void CAboutDlg::CentreOnCursorScreen() {
    POINT cursor{};
    GetCursorPos(&cursor);
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    if (!GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &screen)) return;
    const RECT& work = screen.rcWork;
    // Moved onto a screen of another scale, the box takes that scale's size: then it is centred again.
    for (int pass = 0; pass < 2; ++pass) {
        RECT box{};
        GetWindowRect(m_hWnd, &box);
        SetWindowPos(m_hWnd, nullptr, work.left + (work.right - work.left - (box.right - box.left)) / 2,
                     work.top + (work.bottom - work.top - (box.bottom - box.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The banner is drawn for its place at 96 dpi. On a scaled display the dialog grows with its
// font but a bitmap keeps its pixels, so it is loaded at the size of its place there. The box
// loads it, not its template: a picture control may not free an image it loaded itself (Wine's
// does not), and each box would leave one behind.
void CAboutDlg::ShowBanner() {
    HDC screen = GetDC(m_hWnd);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(m_hWnd, screen);
    RECT place{kBannerPlace.left, kBannerPlace.top, kBannerPlace.right, kBannerPlace.bottom};
    if (dpi == USER_DEFAULT_SCREEN_DPI)
        place = {};  // its natural size
    else
        MapDialogRect(m_hWnd, &place);
    m_banner.reset(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BANNER),
                                                   IMAGE_BITMAP, place.right - place.left,
                                                   place.bottom - place.top, LR_DEFAULTCOLOR)));
    if (m_banner) {
        SendDlgItemMessageA(m_hWnd, IDC_BANNER, STM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(m_banner.get()));
    }
}

void CAboutDlg::OnWeb(UINT) { AfxShellOpen(kMakerSite); }

// Manual.doc is rich text, and Windows 11 from 24H2 comes with no program that opens it: where no
// program is registered for .doc, the same manual opens as a web page in the browser.
void CAboutDlg::OnHelp(UINT) {
    wchar_t program[MAX_PATH];
    DWORD length = MAX_PATH;
    const bool docOpens = SUCCEEDED(AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_EXECUTABLE, L".doc", L"open",
                                                      program, &length));
    const char* name = docOpens ? "Manual.doc" : "Manual.html";
    if (!docOpens) WriteLog("Help opens Manual.html: no program opens .doc files", 0);
    wchar_t manual[MAX_PATH];
    if (!ProgramPathW(manual, name)) {
        WriteLogFormat(0, "Error: the path of %s is too long", name);
    } else if (!AfxShellOpen(manual)) {
        WriteLogFormat(0, "Error %lu opening %s", GetLastError(), name);
    }
}

MessageResult CAboutDlg::OnDestroy(WPARAM, LPARAM) {
    --g_nAboutBoxes;
    // The control may have shown a copy of the banner (one with alpha, say), which it hands back here.
    auto shown = reinterpret_cast<HBITMAP>(SendDlgItemMessageA(m_hWnd, IDC_BANNER, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (shown && shown != m_banner.get()) DeleteObject(shown);
    m_banner.reset();
    return std::nullopt;
}

void CAboutDlg::OnBanner(UINT) { AfxShellOpen(kOrderPage); }
