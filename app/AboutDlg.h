#pragma once
#include <memory>
#include <type_traits>

#include "framework/Dialog.h"

// How many about boxes are open; a second one closes itself at once.
extern int g_nAboutBoxes;

// The about box: name, version and banner, with the manual, the maker's site and the order page.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    const char* GetRuntimeClassName() const override { return "CAboutDlg"; }
    BOOL OnInitDialog() override;

    static const MessageTable<CAboutDlg>& Messages();

protected:
    MessageResult OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnWeb(UINT);
    void OnHelp(UINT);
    MessageResult OnDestroy(WPARAM, LPARAM);
    void OnBanner(UINT);
    void ShowBanner();
    void CentreOnCursorScreen();

    struct BitmapDeleter {
        void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
    };
    // The banner loaded at the display's scale while the box is open; the picture control shows it.
    std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter> m_banner;
};
