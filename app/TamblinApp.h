#pragma once
#include <windows.h>

#include <memory>
#include <optional>

#include "app/TamblinDlg.h"
#include "framework/Handles.h"
#include "framework/WinApp.h"

// The application: one running instance with its hidden main window, until Exit.
class CTamblinApp : public CWinApp {
public:
    const char* GetRuntimeClassName() const override { return "CTamblinApp"; }
    BOOL InitInstance() override;
    int ExitInstance() override;

    // Registers the fixed hotkeys on the main window: 0, or 1 when one is taken.
    int RegisterHotKeys();

    std::unique_ptr<CTamblinDlg> m_pMainDlg;
    std::optional<HeldElsewhere> m_keysHeldElsewhere;  // what kept the last registration from a group's keys

private:
    // Claimed: this process holds the folder; Held: another instance does; Unclaimable: no one can
    // make the claim's file here (an unwritable folder, a path too long).
    enum class FolderClaim { Claimed, Held, Unclaimable };
    FolderClaim ClaimFolder();

    std::unique_ptr<FileHandle> m_folderClaim;  // locked for the life of the process
    wchar_t m_claimPath[MAX_PATH] = L"";
    DWORD m_claimError = ERROR_SUCCESS;
};

// For each top-level window: posts Exit to the first "Clipboard Quorvex" window of this same
// executable, then stops the enumeration.
BOOL CALLBACK ExitEnumWindowsProc(HWND window, LPARAM);
