#include "Desktop.h"

#include <map>

#include "support/Pump.h"

namespace {

const char kWindowClass[] = "QuorvexE2eWindow";

struct WindowSearch {
    DWORD processId;
    const char* title;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId && owner != search->processId) return TRUE;
    if (search->title && WindowText(window) != search->title) return TRUE;
    if (search->className && WindowClass(window) != search->className) return TRUE;
    search->found.push_back(window);
    return TRUE;
}

// WM_COMMAND and WM_HOTKEY messages received, per window; the windows live on the test's one thread.
std::map<HWND, int>& ReceivedCounts() {
    static std::map<HWND, int> counts;
    return counts;
}

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COMMAND && message != WM_HOTKEY) return DefWindowProcA(window, message, wParam, lParam);
    ++ReceivedCounts()[window];
    return 0;
}

void RegisterWindowClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    registered = RegisterClassA(&windowClass) != 0;
}

}  // namespace

std::string WindowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string WindowClass(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<HWND> TopLevelWindows(DWORD processId, const char* title, const char* className) {
    WindowSearch search{processId, title, className, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindTopLevel(DWORD processId, const char* title, const char* className) {
    std::vector<HWND> found = TopLevelWindows(processId, title, className);
    return found.empty() ? nullptr : found.front();
}

HWND FindChildWithText(HWND parent, const std::string& text) {
    std::pair<const std::string*, HWND> search{&text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM param) -> BOOL {
            auto* search = reinterpret_cast<std::pair<const std::string*, HWND>*>(param);
            if (WindowText(window) != *search->first) return TRUE;
            search->second = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

bool ClickButton(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    if (!button) return false;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
    return true;
}

bool PressKeys(std::initializer_list<WORD> virtualKeys) {
    std::vector<INPUT> inputs;
    auto add = [&inputs](WORD key, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD key : virtualKeys) add(key, 0);
    for (auto it = virtualKeys.end(); it != virtualKeys.begin();) add(*--it, KEYEVENTF_KEYUP);
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size();
}

TypingTarget::TypingTarget() {
    RegisterWindowClass();
    m_frame = CreateWindowExA(0, kWindowClass, "Quorvex e2e editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400,
                              120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    // Multi-line and scrolling, so a pasted text keeps its line ends whatever its length; a wide
    // window, so it holds text in any language as a modern editor does.
    const DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    m_edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, 10, 10, 360, 24, m_frame, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    PumpFor(0);
}

TypingTarget::~TypingTarget() {
    if (m_frame) DestroyWindow(m_frame);
    PumpFor(0);
}

bool TypingTarget::TakeFocus() {
    if (!m_edit) return false;
    return PumpUntil(
        [this] {
            if (GetForegroundWindow() != m_frame) SetForegroundWindow(m_frame);
            if (GetFocus() != m_edit) SetFocus(m_edit);
            return GetForegroundWindow() == m_frame && GetFocus() == m_edit;
        },
        5000);
}

std::string TypingTarget::Text() const { return WindowText(m_edit); }

std::wstring TypingTarget::TextW() const {
    wchar_t text[512] = L"";
    GetWindowTextW(m_edit, text, 512);
    return text;
}

CountingWindow::CountingWindow(const char* title) {
    RegisterWindowClass();
    m_window = CreateWindowExA(0, kWindowClass, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
}

CountingWindow::~CountingWindow() {
    if (!m_window) return;
    DestroyWindow(m_window);
    ReceivedCounts().erase(m_window);
}

int CountingWindow::Received() const {
    auto count = ReceivedCounts().find(m_window);
    return count == ReceivedCounts().end() ? 0 : count->second;
}

HeldHotkey::HeldHotkey(UINT modifiers, UINT key) : m_owner("Quorvex e2e hotkey holder") {
    m_held = RegisterHotKey(m_owner.Handle(), 1, modifiers, key) != FALSE;
}

HeldHotkey::~HeldHotkey() {
    if (m_held) UnregisterHotKey(m_owner.Handle(), 1);
}
