#pragma once
#include <windows.h>

#include <string>

#include "Object.h"

// A menu handle, owned: destroyed with the object.
// Items are addressed by command id, which also reaches items inside submenus.
class CMenu : public CObject {
public:
    CMenu() = default;
    ~CMenu() override { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    const char* GetRuntimeClassName() const override { return "CMenu"; }

    BOOL LoadMenu(UINT resourceId);
    BOOL CreatePopupMenu();
    BOOL DestroyMenu();
    HMENU GetSafeHmenu() const { return m_hMenu; }

    HMENU GetSubMenu(int position) const;
    // A string item shows its text as it is: every '&' is doubled so that none marks a mnemonic
    // (a clip "Tom & Jerry" reads so in the menu). Captions kept elsewhere stay unchanged.
    BOOL ModifyMenu(UINT id, UINT flags, UINT_PTR newId, LPCSTR text);
    // The same for a string item of any language (set with the wide-character call).
    BOOL ModifyMenu(UINT id, UINT flags, UINT_PTR newId, const std::wstring& text);
    // The item's previous state (MF_CHECKED or MF_UNCHECKED), or -1 when there is no such item.
    DWORD CheckMenuItem(UINT id, UINT flags);
    std::string GetMenuString(UINT id) const;

private:
    HMENU m_hMenu = nullptr;
};
