#pragma once
#include <windows.h>

#include "framework/Object.h"
#include "framework/Wnd.h"

// Sees the messages of a window that belongs to someone else before the window's own procedure.
// Hooks on one window form a chain, newest first, found through the window property "HookWnd_P";
// the first hook subclasses the window and the last one out puts its own procedure back, unless
// someone subclassed the window after it: then messages keep passing through to that procedure.
// A hook is attached to one window at most; destroying the window detaches every hook.
class CHookWnd : public CObject {
public:
    CHookWnd() = default;
    // Leaves the chain, so the window property never points at a destroyed hook.
    ~CHookWnd() override;
    CHookWnd(const CHookWnd&) = delete;
    CHookWnd& operator=(const CHookWnd&) = delete;
    const char* GetRuntimeClassName() const override { return "CHookWnd"; }

    // Puts this hook at the head of the window's chain; a hook already on that window stays where it is.
    void HookWindow(CWnd* window);
    // Takes this hook out of its window's chain; a detached hook is left as it is.
    void UnhookWindow();

    // Base behaviour: hand the message to the next hook, or at the end of the chain to the
    // window's own procedure. Subclasses override it and call PassOn for what they leave alone.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The base behaviour applied to the message now being dispatched on this thread.
    LRESULT PassOn();

    CWnd* HookedWindow() const { return m_pWnd; }
    HWND HookedHandle() const { return m_hWnd; }
    CHookWnd* NextHook() const { return m_pNext; }

    static LRESULT CALLBACK HookWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Detaches every hook of the window, head first.
    static void UnhookAll(HWND hWnd);

private:
    CWnd* m_pWnd = nullptr;
    WNDPROC m_pOldWndProc = nullptr;
    CHookWnd* m_pNext = nullptr;
    // The handle the chain lives on, kept apart from m_pWnd so the hook can still leave the chain
    // after the window object has let go of its handle.
    HWND m_hWnd = nullptr;
};
