#include "controls/AboutDialog.h"
#include "app/FramehaulApp.h"
#include "framework/Strings.h"
#include "resources/resource.h"

AboutDialog::AboutDialog() : Dialog(IDD_ABOUT, nullptr) {}

BOOL AboutDialog::OnInitDialog() {
    websiteLink.AttachDlgItem(hwnd, IDC_WEBSITE_LINK);
    emailLink.AttachDlgItem(hwnd, IDC_EMAIL_LINK);
    Dialog::OnInitDialog();

    const FontSet& fonts = FramehaulApp::Get().fonts;
    SendMessageA(Item(IDC_VERSION_TEXT), WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldFont), TRUE);
    SendMessageA(Item(IDC_DESCRIPTION), WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldFont), TRUE);
    websiteLink.backColor = GetSysColor(COLOR_BTNFACE);
    emailLink.backColor = GetSysColor(COLOR_BTNFACE);
    SendMessageA(websiteLink, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldUnderlineFont), TRUE);
    SendMessageA(emailLink, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldUnderlineFont), TRUE);

    websiteLink.SetLink(FH_WEBSITE_URL, FH_WEBSITE_URL, nullptr);
    emailLink.SetLink(FormatResString(IDS_MAILTO_FORMAT, FH_SUPPORT_EMAIL), FH_SUPPORT_EMAIL, nullptr);
    return TRUE;
}
