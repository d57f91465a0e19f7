#include "HookWnd.h"

#include "framework/Sync.h"

namespace {
const char kChainProperty[] = "HookWnd_P";
// The window's own procedure, kept when the last hook left a window that was subclassed again
// after it: HookWindowProc stays in that subclass's path and passes every message through.
const char kOwnProcProperty[] = "HookWnd_O";

// Chains of every window and thread are changed one at a time. Built during static
// initialisation, before any window exists.
CCriticalSection g_hookLock;

CHookWnd* ChainHead(HWND hWnd) { return static_cast<CHookWnd*>(GetPropA(hWnd, kChainProperty)); }
WNDPROC KeptOwnProc(HWND hWnd) { return reinterpret_cast<WNDPROC>(GetPropA(hWnd, kOwnProcProperty)); }
bool IsHookWindowProc(LONG_PTR procedure) {
    return procedure == reinterpret_cast<LONG_PTR>(&CHookWnd::HookWindowProc);
}
}  // namespace

CHookWnd::~CHookWnd() {
    if (m_hWnd) UnhookWindow();
}

void CHookWnd::HookWindow(CWnd* window) {
    if (!window || !window->m_hWnd) return;
    CSingleLock lock(g_hookLock);
    // A hook sits in one chain once; moving it to another window takes it out of the first.
    if (m_hWnd == window->m_hWnd) return;
    if (m_hWnd) UnhookWindow();

    m_pWnd = window;
    m_hWnd = window->m_hWnd;
    CHookWnd* head = ChainHead(m_hWnd);
    m_pNext = head;
    SetPropA(m_hWnd, kChainProperty, this);
    if (head) {
        m_pOldWndProc = head->m_pOldWndProc;
    } else if (WNDPROC kept = KeptOwnProc(m_hWnd)) {
        // Still in the path of a later subclass: take up the kept procedure again.
        RemovePropA(m_hWnd, kOwnProcProperty);
        m_pOldWndProc = kept;
    } else {
        m_pOldWndProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CHookWnd::HookWindowProc)));
    }
}

void CHookWnd::UnhookWindow() {
    CSingleLock lock(g_hookLock);
    if (m_hWnd) {
        CHookWnd* head = ChainHead(m_hWnd);
        if (head == this) {
            if (m_pNext) {
                SetPropA(m_hWnd, kChainProperty, m_pNext);
            } else {
                RemovePropA(m_hWnd, kChainProperty);
                // Putting the own procedure back over a later subclass would cut that subclass out.
                if (IsHookWindowProc(GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)))
                    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pOldWndProc));
                else
                    SetPropA(m_hWnd, kOwnProcProperty, reinterpret_cast<HANDLE>(m_pOldWndProc));
            }
        } else {
            for (CHookWnd* hook = head; hook; hook = hook->m_pNext) {
                if (hook->m_pNext == this) {
                    hook->m_pNext = m_pNext;
                    break;
                }
            }
        }
    }
    m_pWnd = nullptr;
    m_hWnd = nullptr;
    m_pOldWndProc = nullptr;
    m_pNext = nullptr;
}

LRESULT CHookWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pNext) return m_pNext->HandleMessage(message, wParam, lParam);
    // A hook that has left its chain has no window procedure to hand the message to.
    if (!m_pOldWndProc) return 0;
    return CallWindowProcA(m_pOldWndProc, m_hWnd, message, wParam, lParam);
}

LRESULT CHookWnd::PassOn() {
    const MSG& current = AfxGetCurrentMessage();
    return CHookWnd::HandleMessage(current.message, current.wParam, current.lParam);
}

LRESULT CALLBACK CHookWnd::HookWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Saved and restored around every message, so a message sent while a hook handles another
    // leaves the outer one in place for that hook's PassOn.
    CurrentMessageScope scope(hWnd, message, wParam, lParam);
    try {
        CHookWnd* head = ChainHead(hWnd);
        if (!head) {
            WNDPROC ownProc = KeptOwnProc(hWnd);
            if (!ownProc) return DefWindowProcA(hWnd, message, wParam, lParam);
            if (message == WM_NCDESTROY) RemovePropA(hWnd, kOwnProcProperty);
            return CallWindowProcA(ownProc, hWnd, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) {
            // The window's own procedure gets its last message as if it had never been hooked.
            WNDPROC ownProc = head->m_pOldWndProc;
            UnhookAll(hWnd);
            RemovePropA(hWnd, kOwnProcProperty);
            return CallWindowProcA(ownProc, hWnd, message, wParam, lParam);
        }
        return head->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void CHookWnd::UnhookAll(HWND hWnd) {
    while (CHookWnd* head = ChainHead(hWnd)) {
        head->UnhookWindow();
        // A head registered for another handle cannot leave this chain; stop rather than spin.
        if (ChainHead(hWnd) == head) {
            RemovePropA(hWnd, kChainProperty);
            break;
        }
    }
}
