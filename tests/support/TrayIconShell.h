#pragma once
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "res/resource.h"

// NIM_ADD puts an icon of the test's own under the window and the program's icon id; NIM_MODIFY with
// nothing to change succeeds only for an icon the shell holds.
inline bool NotifyShell(DWORD action, HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = IDR_TRAY_MENU;
    return Shell_NotifyIconA(action, &data) != FALSE;
}

// What a program asked of the notification area.
struct TrayRequest {
    DWORD action;  // NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETFOCUS
    HWND window;
    UINT id;
    UINT flags;
    std::wstring title, text;  // a balloon's (NIF_INFO)
    DWORD infoFlags;
    bool granted;
};

// Plays the taskbar: a window of its class above Wine's own, which shell32 then finds first and hands every
// program's icon requests to. It holds icons as a taskbar does (it refuses to add an icon it holds, or to change
// one it does not), refuses every add while told to (a taskbar not running yet), and records each request. It runs
// on a thread of its own, so a program waiting for its answer never waits for the test.
class StandInTaskbar {
public:
    StandInTaskbar() {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, ready] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = Proc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"Shell_TrayWnd";
            RegisterClassW(&windowClass);  // fails harmlessly for a second stand-in
            m_window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0,
                                       nullptr, nullptr, nullptr, nullptr);
            SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            SetEvent(ready);
            for (MSG msg; GetMessageW(&msg, nullptr, 0, 0) > 0;) DispatchMessageW(&msg);
            DestroyWindow(m_window);
        });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }
    ~StandInTaskbar() {
        PostMessageW(m_window, WM_QUIT, 0, 0);
        m_thread.join();
    }
    void RefuseAdds(bool refuse) { m_refuseAdds = refuse; }
    // Runs `answer` on the taskbar's thread as it takes each balloon, before it replies.
    void OnBalloon(std::function<void()> answer) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_onBalloon = std::move(answer);
    }
    std::vector<TrayRequest> Requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    // The balloons shown, in order, from the icons of the window (null: of any window).
    std::vector<TrayRequest> Balloons(HWND window = nullptr) const {
        std::vector<TrayRequest> balloons;
        for (const TrayRequest& request : Requests())
            if (request.action == NIM_MODIFY && (request.flags & NIF_INFO) && request.granted &&
                (!window || request.window == window))
                balloons.push_back(request);
        return balloons;
    }
    // Times the action was asked (granted or not) for an icon of the window.
    int Count(DWORD action, HWND window) const {
        int count = 0;
        for (const TrayRequest& request : Requests()) count += request.action == action && request.window == window;
        return count;
    }

private:
    // Wine's shell32 hands each request to the taskbar's window as WM_COPYDATA, the action as its dwData, the icon's
    // data in this layout, the bits of its picture after it.
    struct WineNotifyData {
        LONG window;
        UINT id, flags, callbackMessage;
        WCHAR tip[128];
        DWORD state, stateMask;
        WCHAR info[256];
        UINT timeout;
        WCHAR infoTitle[64];
        DWORD infoFlags;
        GUID guid;
        UINT iconWidth, iconHeight, iconPlanes, iconBitsPerPixel;
    };
    static_assert(sizeof(WineNotifyData) == 960, "the layout of Wine 8's shell32");

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<StandInTaskbar*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto* copied = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (message != WM_COPYDATA || !self || copied->cbData < sizeof(WineNotifyData))
            return DefWindowProcW(window, message, wParam, lParam);
        const auto* data = static_cast<const WineNotifyData*>(copied->lpData);
        if (data->flags & NIF_INFO) self->OnBalloonAnswer()();
        TrayRequest request{static_cast<DWORD>(copied->dwData), reinterpret_cast<HWND>(LONG_PTR{data->window}),
                            data->id, data->flags, data->infoTitle, data->info, data->infoFlags, false};
        std::lock_guard<std::mutex> lock(self->m_mutex);
        const auto icon = std::make_pair(request.window, request.id);
        const bool held = std::find(self->m_icons.begin(), self->m_icons.end(), icon) != self->m_icons.end();
        request.granted = request.action == NIM_ADD ? !held && !self->m_refuseAdds : held;
        if (request.granted && request.action == NIM_ADD) self->m_icons.push_back(icon);
        if (request.granted && request.action == NIM_DELETE)
            self->m_icons.erase(std::find(self->m_icons.begin(), self->m_icons.end(), icon));
        self->m_requests.push_back(request);
        return request.granted;
    }

    std::function<void()> OnBalloonAnswer() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_onBalloon ? m_onBalloon : [] {};
    }

    std::thread m_thread;
    std::function<void()> m_onBalloon;
    HWND m_window = nullptr;
    std::atomic<bool> m_refuseAdds{false};
    mutable std::mutex m_mutex;
    std::vector<std::pair<HWND, UINT>> m_icons;
    std::vector<TrayRequest> m_requests;
};
