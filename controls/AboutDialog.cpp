#include "controls/AboutDialog.h"
#include "framework/Dpi.h"
#include "framework/Strings.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

AboutDialog::AboutDialog(const FontSet& fonts) : Dialog(IDD_ABOUT, nullptr), fonts(fonts) {}

AboutDialog::~AboutDialog() {
    if (hwnd) DestroyWindow(hwnd);  // before the icon it shows
    if (icon) DestroyIcon(icon);
}

BOOL AboutDialog::OnInitDialog() {
    websiteLink.AttachDlgItem(hwnd, IDC_WEBSITE_LINK);
    emailLink.AttachDlgItem(hwnd, IDC_EMAIL_LINK);
    Dialog::OnInitDialog();

    SendMessageA(Item(IDC_VERSION_TEXT), WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldFont), TRUE);
    SendMessageA(Item(IDC_DESCRIPTION), WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldFont), TRUE);
    websiteLink.SetBackColorIndex(COLOR_BTNFACE);
    emailLink.SetBackColorIndex(COLOR_BTNFACE);
    SendMessageA(websiteLink, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldUnderlineFont), TRUE);
    SendMessageA(emailLink, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldUnderlineFont), TRUE);

    websiteLink.SetLink(FH_WEBSITE_URL, FH_WEBSITE_URL, nullptr);
    emailLink.SetLink(FormatResString(IDS_MAILTO_FORMAT, FH_SUPPORT_EMAIL), FH_SUPPORT_EMAIL, nullptr);
    SizeIcon();
    // The links come first in the tab order; Enter still closes the box.
    SetFocus(Item(IDOK));
    return FALSE;
}

void AboutDialog::SizeIcon() {
    // The dialog manager loads the icon at the system's icon size, which
    // outgrows its place beside the texts when the dialog units grow in
    // other steps than the display's scale.
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        int size = ScaleToDpi(32, DialogDpi(hwnd));
        icon =
            static_cast<HICON>(LoadImageA(AppInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        if (icon) SendMessageA(child, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        return;
    }
}
