#include "Wnd.h"

MSG& AfxGetCurrentMessage() {
    thread_local MSG current{};
    return current;
}

CurrentMessageScope::CurrentMessageScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    : m_saved(AfxGetCurrentMessage()) {
    MSG& current = AfxGetCurrentMessage();
    current.hwnd = hWnd;
    current.message = message;
    current.wParam = wParam;
    current.lParam = lParam;
}

CurrentMessageScope::~CurrentMessageScope() { AfxGetCurrentMessage() = m_saved; }

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}
