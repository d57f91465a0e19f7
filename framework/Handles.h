#pragma once
#include <windows.h>

// Owners for the raw handles the program opens; each releases its handle exactly once.

class FileHandle {
public:
    explicit FileHandle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsValid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    HANDLE Get() const { return m_h; }
    void Close() { Reset(INVALID_HANDLE_VALUE); }
    void Reset(HANDLE h) {
        if (IsValid()) CloseHandle(m_h);
        m_h = h;
    }

private:
    HANDLE m_h;
};

// A global memory block this program owns (freed unless handed on with Release).
class GlobalBlock {
public:
    explicit GlobalBlock(HGLOBAL h = nullptr) : m_h(h) {}
    ~GlobalBlock() {
        if (m_h) GlobalFree(m_h);
    }
    GlobalBlock(GlobalBlock&& other) noexcept : m_h(other.Release()) {}
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    GlobalBlock& operator=(GlobalBlock&&) = delete;

    explicit operator bool() const { return m_h != nullptr; }
    HGLOBAL Get() const { return m_h; }
    HGLOBAL Release() {
        HGLOBAL h = m_h;
        m_h = nullptr;
        return h;
    }

private:
    HGLOBAL m_h;
};

// Locks a global block for the lifetime of a scope; Data() is null when the lock failed.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL h) : m_h(h), m_data(h ? GlobalLock(h) : nullptr) {}
    ~GlobalLockGuard() {
        if (m_data) GlobalUnlock(m_h);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

    void* Data() const { return m_data; }
    SIZE_T Size() const { return m_data ? GlobalSize(m_h) : 0; }

private:
    HGLOBAL m_h;
    void* m_data;
};

// An open clipboard, closed again at the end of the scope.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner = nullptr) : m_open(OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession() {
        if (m_open) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;

    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

// Releases a COM interface pointer at the end of its scope.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    T** Put() {
        Reset();
        return &m_p;
    }
    explicit operator bool() const { return m_p != nullptr; }
    void Reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};
