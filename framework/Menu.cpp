#include "Menu.h"

BOOL CMenu::LoadMenu(UINT resourceId) {
    DestroyMenu();
    m_hMenu = ::LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId));
    return m_hMenu != nullptr;
}

BOOL CMenu::CreatePopupMenu() {
    DestroyMenu();
    m_hMenu = ::CreatePopupMenu();
    return m_hMenu != nullptr;
}

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu) return FALSE;
    BOOL ok = ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    return ok;
}

HMENU CMenu::GetSubMenu(int position) const { return m_hMenu ? ::GetSubMenu(m_hMenu, position) : nullptr; }

namespace {
template <class Char>
std::basic_string<Char> ShownAsItIs(const Char* text) {
    std::basic_string<Char> shown;
    for (const Char* c = text; *c; ++c) {
        if (*c == Char('&')) shown += Char('&');
        shown += *c;
    }
    return shown;
}
}  // namespace

BOOL CMenu::ModifyMenu(UINT id, UINT flags, UINT_PTR newId, LPCSTR text) {
    if (!m_hMenu) return FALSE;
    const bool stringItem = (flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR)) == 0 && text != nullptr;
    if (!stringItem) return ::ModifyMenuA(m_hMenu, id, flags, newId, text);
    return ::ModifyMenuA(m_hMenu, id, flags, newId, ShownAsItIs(text).c_str());
}

BOOL CMenu::ModifyMenu(UINT id, UINT flags, UINT_PTR newId, const std::wstring& text) {
    if (!m_hMenu) return FALSE;
    return ::ModifyMenuW(m_hMenu, id, flags | MF_STRING, newId, ShownAsItIs(text.c_str()).c_str());
}

DWORD CMenu::CheckMenuItem(UINT id, UINT flags) {
    return m_hMenu ? ::CheckMenuItem(m_hMenu, id, flags) : static_cast<DWORD>(-1);
}

std::string CMenu::GetMenuString(UINT id) const {
    char text[256] = "";
    if (m_hMenu) ::GetMenuStringA(m_hMenu, id, text, sizeof text, MF_BYCOMMAND);
    return text;
}
