#include "WinApp.h"

#include <ole2.h>

#include "Dialog.h"
#include "framework/TextConversion.h"

namespace {
CWinApp* g_app = nullptr;
bool g_oleInitialised = false;
}  // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

int CWinApp::ExitInstance() {
    if (g_oleInitialised) {
        OleUninitialize();
        g_oleInitialised = false;
    }
    return m_exitCode;
}

int CWinApp::Run() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        AfxGetCurrentMessage() = msg;
        if (!AfxPreTranslateDialogMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // The main window may go inside a loop of its own (a menu's, a dialog's) that takes the quit message
        // for itself: without it the process would stay, with no window and no icon.
        if (!m_pMainWnd) return m_exitCode = 0;
    }
    m_exitCode = got == 0 ? static_cast<int>(msg.wParam) : -1;
    return m_exitCode;
}

int AfxWinMain(const char* commandLine) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_lpCmdLine = commandLine ? commandLine : "";
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd) app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    app->Run();
    return app->ExitInstance();
}

BOOL AfxOleInit() {
    if (g_oleInitialised) return TRUE;
    g_oleInitialised = SUCCEEDED(OleInitialize(nullptr));
    return g_oleInitialised;
}

std::string AfxGetAppName() {
    // Read wide: only the executable's own name is kept, so the folder may have any name.
    wchar_t path[MAX_PATH] = L"";
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "Quorvex";
    std::wstring name(path, length);
    std::wstring::size_type slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    std::wstring::size_type dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return AnsiText(name.c_str());
}
