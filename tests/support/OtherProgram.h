#pragma once
#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/Pump.h"

// Another program: a window on a thread of its own, so that it can copy, look at the clipboard, render what it promised,
// watch the viewer chain or stop answering while the test goes on. A copy puts `copies` on the clipboard, or, with
// `promises` set, only promises them: each is then rendered when asked for, `renderMs` late (or at Release(), if that
// comes first), once `onRender` has run. Ctrl+C typed into its window copies at once, or `copyDelayMs` later (-1: not
// at all), keeping the clipboard open `copyHoldMs` after emptying it.
class OtherProgram {
public:
    struct Format {
        UINT id;
        std::string bytes;
    };

    OtherProgram() {
        m_thread = std::thread([this] {
            HWND made = CreateWindowA("STATIC", "Other program", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                      nullptr, nullptr);
            SetWindowLongPtrA(made, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            SetWindowLongPtrA(made, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
            m_window = made;
            for (MSG msg; GetMessageA(&msg, nullptr, 0, 0) > 0;) DispatchMessageA(&msg);
        });
        PumpUntil([this] { return m_window != nullptr; }, 3000);
    }
    ~OtherProgram() {
        Release();
        PostMessageA(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
        CloseHandle(m_release);
    }

    HWND Window() const { return m_window; }
    // Copies, and returns once it has closed the clipboard. This thread answers the messages sent to it while the
    // clipboard is emptied (its owner is told), none after: a program on it hears of the copy when the test next does.
    void Copy() {
        SendMessageA(m_window, kOpenAndEmpty, 0, 0);
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        PostMessageA(m_window, kFillAndClose, 0, reinterpret_cast<LPARAM>(done));
        WaitForSingleObject(done, 5000);
        CloseHandle(done);
    }
    // Copies, promising the formats: each is rendered when asked for, `lateMs` late.
    void CopyPromising(std::vector<Format> formats, DWORD lateMs) {
        copies = std::move(formats);
        promises = true;
        renderMs = lateMs;
        Copy();
    }
    // Holds the clipboard for 40 ms, having put "held" on it (`writes`) or only looked; returns once it holds it,
    // having answered this thread's messages meanwhile (its EmptyClipboard tells the owner that its content goes).
    void Hold(bool writes) { SendMessageA(m_window, kHold, writes, 0); }
    // Joins the clipboard viewer chain, passing each notification on.
    void JoinViewerChain() { SendMessageA(m_window, kJoin, 0, 0); }
    // Stops answering until Release().
    void Hang() const { PostMessageA(m_window, kHang, 0, 0); }
    void Release() const { SetEvent(m_release); }
    int Notifications() const { return m_notifications; }
    int Renders() const { return m_renders; }

    std::vector<Format> copies;
    bool promises = false;
    DWORD renderMs = 0;
    std::function<void(UINT format)> onRender;
    std::atomic<int> copyDelayMs{-1}, copyHoldMs{0};

private:
    static constexpr UINT kOpenAndEmpty = WM_APP, kFillAndClose = WM_APP + 1, kHold = WM_APP + 2, kJoin = WM_APP + 3,
                          kHang = WM_APP + 4;

    static HGLOBAL Block(const std::string& bytes) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        return block;
    }
    // A reader that was given up on may still hold the clipboard a moment.
    static void Open(HWND window) {
        for (int attempt = 0; attempt < 300 && !OpenClipboard(window); ++attempt) Sleep(10);
    }
    void Fill() {
        for (const Format& format : copies) SetClipboardData(format.id, promises ? nullptr : Block(format.bytes));
    }
    void PutCopies(HWND window) {
        Open(window);
        EmptyClipboard();
        Sleep(copyHoldMs);
        Fill();
        CloseClipboard();
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto& self = *reinterpret_cast<OtherProgram*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        switch (message) {
        case WM_KEYDOWN:
            if (wParam != 'C' || GetKeyState(VK_CONTROL) >= 0 || self.copyDelayMs < 0) break;
            if (self.copyDelayMs == 0)
                self.PutCopies(window);
            else
                SetTimer(window, 1, self.copyDelayMs, nullptr);
            return 0;
        case WM_TIMER:
            KillTimer(window, 1);
            self.PutCopies(window);
            return 0;
        case kOpenAndEmpty:
            Open(window);
            EmptyClipboard();
            return 0;
        case kFillAndClose:
            self.Fill();
            CloseClipboard();
            SetEvent(reinterpret_cast<HANDLE>(lParam));
            return 0;
        case kHold:
            Open(window);
            if (wParam) {
                EmptyClipboard();
                SetClipboardData(CF_TEXT, Block(std::string("held\0", 5)));
            }
            ReplyMessage(0);
            Sleep(40);
            CloseClipboard();
            return 0;
        case WM_RENDERFORMAT:
            if (self.onRender) self.onRender(static_cast<UINT>(wParam));
            WaitForSingleObject(self.m_release, self.renderMs);
            for (const Format& format : self.copies)
                if (format.id == wParam) SetClipboardData(format.id, Block(format.bytes));
            ++self.m_renders;
            return 0;
        case kJoin:
            self.m_next = SetClipboardViewer(window);
            self.m_joined = true;
            return 0;
        case kHang:
            WaitForSingleObject(self.m_release, INFINITE);
            return 0;
        case WM_DRAWCLIPBOARD:
            ++self.m_notifications;
            if (self.m_next) SendMessageA(self.m_next, message, wParam, lParam);
            return 0;
        case WM_CHANGECBCHAIN:
            if (reinterpret_cast<HWND>(wParam) == self.m_next)
                self.m_next = reinterpret_cast<HWND>(lParam);
            else if (self.m_next)
                SendMessageA(self.m_next, message, wParam, lParam);
            return 0;
        case WM_DESTROY:
            if (self.m_joined) ChangeClipboardChain(window, self.m_next);
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    const HANDLE m_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> m_window{nullptr};
    HWND m_next = nullptr;
    bool m_joined = false;
    std::atomic<int> m_notifications{0}, m_renders{0};
    std::thread m_thread;
};
