#pragma once
#include <windows.h>

#include <optional>
#include <vector>

// What a message handler returns: a result, or std::nullopt to ask for default processing.
using MessageResult = std::optional<LRESULT>;

// One row of a window's message table: a message, or a command id or id range, and its handler.
template <class T>
struct MessageEntry {
    enum class Kind { Message, Command };
    Kind kind;
    UINT first;
    UINT last;
    MessageResult (T::*onMessage)(WPARAM, LPARAM);
    void (T::*onCommand)(UINT id);

    bool IsCommand(UINT id) const { return kind == Kind::Command && id >= first && id <= last; }
};

template <class T>
MessageEntry<T> OnMessage(UINT message, MessageResult (T::*handler)(WPARAM, LPARAM)) {
    return {MessageEntry<T>::Kind::Message, message, message, handler, nullptr};
}

template <class T>
MessageEntry<T> OnCommand(UINT id, void (T::*handler)(UINT)) {
    return {MessageEntry<T>::Kind::Command, id, id, nullptr, handler};
}

template <class T>
MessageEntry<T> OnCommandRange(UINT first, UINT last, void (T::*handler)(UINT)) {
    return {MessageEntry<T>::Kind::Command, first, last, nullptr, handler};
}

template <class T>
using MessageTable = std::vector<MessageEntry<T>>;

// A command is WM_COMMAND from a menu or a button's click (notification 0), or from an
// accelerator (notification 1, no control). A control's other notifications are not commands:
// a notifying static reports a double click as 1 too, after the click it already reported as 0.
inline bool IsCommandMessage(WPARAM wParam, LPARAM lParam) {
    return HIWORD(wParam) == 0 || (HIWORD(wParam) == 1 && lParam == 0);
}

// Walks the table in order; the first row that matches handles the message.
template <class T>
MessageResult DispatchMessageTable(T& target, const MessageTable<T>& table, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    for (const MessageEntry<T>& entry : table) {
        if (entry.kind == MessageEntry<T>::Kind::Message && entry.first == message) {
            return (target.*entry.onMessage)(wParam, lParam);
        }
        if (message == WM_COMMAND && IsCommandMessage(wParam, lParam) && entry.IsCommand(LOWORD(wParam))) {
            (target.*entry.onCommand)(LOWORD(wParam));
            return 0;
        }
    }
    return std::nullopt;
}
