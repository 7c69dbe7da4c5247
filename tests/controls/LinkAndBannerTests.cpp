// The link control, the banner and the About box, checked by their pixels
// and by what their parents receive.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include "app/FramehaulApp.h"
#include "framework/Dpi.h"
#include "resources/resource.h"
#include "tests/common/ShownAbout.h"
#include "tests/common/ControlsTestSupport.h"

using namespace controls_test;

namespace {

SIZE WindowSize(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int Count(HWND link, const std::function<bool(COLORREF)>& colour) {
    SIZE size = WindowSize(link);
    return CountPixels(PrintClient(link, size.cx, size.cy), colour);
}

// Pixels of about that colour: text is drawn with its edges smoothed.
std::function<bool(COLORREF)> Near(COLORREF target) {
    return [target](COLORREF c) {
        return abs(GetRValue(c) - GetRValue(target)) < 40 && abs(GetGValue(c) - GetGValue(target)) < 40 &&
               abs(GetBValue(c) - GetBValue(target)) < 40;
    };
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create());
        SendMessageA(host.optionsLink, WM_SETFONT,
                     reinterpret_cast<WPARAM>(FramehaulApp::Get().fonts.boldUnderlineFont), TRUE);
    }
    HostDialog host;
};

TEST_F(LinkTest, HoverTurnsRedUntilThePointerLeavesAndAClickWithoutTargetOnlyNotifiesTheParent) {
    HWND link = host.optionsLink;
    EXPECT_GT(Count(link, Near(host.optionsLink.NormalColor())), 0);
    EXPECT_EQ(0, Count(link, IsReddish));

    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(link, GetCapture());
    EXPECT_GT(Count(link, IsReddish), 0);
    EXPECT_EQ(0, Count(link, Near(host.optionsLink.NormalColor())));

    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));  // still inside
    EXPECT_EQ(link, GetCapture());
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(WindowSize(link).cx + 20, 2));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(0, Count(link, IsReddish));

    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    host.commands.clear();
    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(0, Count(link, IsReddish));
    ASSERT_EQ(1u, host.commands.size());
    EXPECT_EQ(IDC_OPTIONS_LINK, host.commands[0].first);
    EXPECT_EQ(STN_CLICKED, host.commands[0].second);
    EXPECT_TRUE(host.optionsLink.Target().empty());
}

TEST_F(LinkTest, WidthFollowsTheTextInTheNewFontAndSetLinkStoresTargetAndTip) {
    HWND link = host.supportLink;
    SIZE before = WindowSize(link);
    HFONT bold = FramehaulApp::Get().fonts.boldUnderlineFont;
    SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(bold), TRUE);
    SIZE after = WindowSize(link);
    EXPECT_EQ(TextSize(bold, "Questions?").cx, after.cx);
    EXPECT_EQ(before.cy, after.cy);

    host.supportLink.SetLink("mailto:someone@example.invalid", "someone@example.invalid", "Feature Requests?");
    EXPECT_EQ(TextSize(bold, "Feature Requests?").cx, WindowSize(link).cx);
    EXPECT_EQ("mailto:someone@example.invalid", host.supportLink.Target());

    char tip[256] = "";
    TOOLINFOA tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = host.Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(link);
    tool.lpszText = tip;
    SendMessageA(host.supportLink.ToolTip(), TTM_GETTEXTA, sizeof(tip), reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ("someone@example.invalid", tip);
}

TEST_F(LinkTest, TextTooWideForTheLinkEndsInAnEllipsisOnOneLine) {
    HWND link = host.supportLink;
    SetWindowTextA(link, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    SetWindowPos(link, nullptr, 0, 0, 120, 40, SWP_NOMOVE | SWP_NOZORDER);
    Image image = PrintClient(link, 120, 40);
    // Rows and the last column that hold text.
    int top = image.height, bottom = -1, right = -1;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (Near(host.supportLink.NormalColor())(image.At(x, y))) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                right = std::max(right, x);
            }
    ASSERT_GE(right, 0);
    EXPECT_LT(bottom - top, 20) << "one line";
    // The last few columns hold the dots: low, and far shorter than a W.
    int dotTop = image.height;
    for (int y = 0; y < image.height; ++y)
        for (int x = right - 4; x <= right; ++x)
            if (Near(host.supportLink.NormalColor())(image.At(x, y))) dotTop = std::min(dotTop, y);
    EXPECT_GT(dotTop, top + (bottom - top) / 2);
}

// Pumps the thread's messages for a while: posted activations arrive.
void PumpFor(DWORD ms) {
    testing_support::PumpUntil([] { return false; }, ms);
}

// The keyboard reaches the links through the dialog manager: Tab stops on
// them, and Enter and Space follow them as a click does; the focused link
// draws its focus rectangle.
TEST_F(LinkTest, TabEnterAndSpaceReachAndFollowALink) {
    HWND link = host.optionsLink;
    EXPECT_EQ(link, GetNextDlgTabItem(host.Handle(), nullptr, FALSE)) << "the first tab stop";
    EXPECT_EQ(host.supportLink.Handle(), GetNextDlgTabItem(host.Handle(), link, FALSE));
    SetFocus(host.urlBox.Handle());
    SIZE size = WindowSize(link);
    auto edgePixels = [&] {
        Image image = PrintClient(link, size.cx, size.cy);
        int dark = 0;
        for (int x = 0; x < image.width; ++x) dark += image.At(x, 0) != host.optionsLink.BackColor();
        return dark;
    };
    EXPECT_EQ(0, edgePixels()) << "no focus, no rectangle";
    SetFocus(link);
    EXPECT_GT(edgePixels(), size.cx / 4) << "the focus rectangle's dots";

    host.commands.clear();
    for (UINT key : {VK_RETURN, VK_SPACE}) {
        MSG down = {link, WM_KEYDOWN, key, 0};
        MSG up = {link, WM_KEYUP, key, 0};
        for (MSG* msg : {&down, &up})
            if (!IsDialogMessageA(host.Handle(), msg)) DispatchMessageA(msg);
    }
    ASSERT_EQ(2u, host.commands.size()) << "one click each, and not the default button's";
    for (const auto& command : host.commands) EXPECT_EQ(std::make_pair(IDC_OPTIONS_LINK, STN_CLICKED), command);
}

// A screen reader is told it is a link, named by its text, focusable, and
// its default action follows it; the object outlives the link harmlessly.
TEST_F(LinkTest, AScreenReaderSeesALinkWhoseDefaultActionFollowsIt) {
    IAccessible* accessible = nullptr;
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(host.optionsLink, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                               reinterpret_cast<void**>(&accessible)));
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role, state;
    ASSERT_EQ(S_OK, accessible->get_accRole(self, &role));
    EXPECT_EQ(VT_I4, role.vt);
    EXPECT_EQ(ROLE_SYSTEM_LINK, role.lVal);
    BSTR name = nullptr, action = nullptr;
    ASSERT_EQ(S_OK, accessible->get_accName(self, &name));
    EXPECT_STREQ(L"Options", name);
    SysFreeString(name);
    ASSERT_EQ(S_OK, accessible->get_accDefaultAction(self, &action));
    EXPECT_STREQ(L"Jump", action);
    SysFreeString(action);
    SetFocus(host.optionsLink);
    ASSERT_EQ(S_OK, accessible->get_accState(self, &state));
    EXPECT_EQ(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSED,
              state.lVal & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSED));

    host.commands.clear();
    EXPECT_EQ(S_OK, accessible->accDoDefaultAction(self));
    PumpFor(200);
    ASSERT_EQ(1u, host.commands.size());
    EXPECT_EQ(std::make_pair(IDC_OPTIONS_LINK, STN_CLICKED), host.commands[0]);

    DestroyWindow(host.Handle());
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, accessible->get_accRole(self, &role));
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, accessible->accDoDefaultAction(self));
    accessible->Release();
}

// The links follow the user's colours: the system's link colour, read
// again when it changes, and in high contrast the banner gives up its
// picture for the theme's window colours.
TEST_F(LinkTest, LinksAndTheBannerFollowTheSystemsColours) {
    const COLORREF green = RGB(0, 160, 0);
    const COLORREF before = GetSysColor(COLOR_HOTLIGHT);
    const int element = COLOR_HOTLIGHT;
    ASSERT_TRUE(SetSysColors(1, &element, &green));
    SendMessageA(host.Handle(), WM_SYSCOLORCHANGE, 0, 0);  // what the system sends top-level windows
    COLORREF taken = host.optionsLink.NormalColor();
    int greenPixels = Count(host.optionsLink, Near(green));
    SetFocus(host.optionsLink);
    RedrawWindow(host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    screen::SaveWindowShot(host.Handle(), "links-green-focused");
    SetSysColors(1, &element, &before);
    SendMessageA(host.Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(green, taken);
    EXPECT_GT(greenPixels, 20);

    // High Contrast Black's colours. Wine keeps high contrast off whatever
    // is asked (SPI_SETHIGHCONTRAST fails), so the dialog and its links are
    // told it is on.
    const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HOTLIGHT, COLOR_BTNFACE, COLOR_BTNTEXT};
    const COLORREF black[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 0), RGB(0, 0, 0), RGB(255, 255, 255)};
    COLORREF saved[5];
    for (int i = 0; i < 5; ++i) saved[i] = GetSysColor(elements[i]);
    ASSERT_TRUE(SetSysColors(5, elements, black));
    host.SimulateHighContrast(true);
    RECT client;
    GetClientRect(host.Handle(), &client);
    Image banner = PrintClient(host.Handle(), client.right, 60);
    RedrawWindow(host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    screen::SaveWindowShot(host.Handle(), "links-high-contrast");
    COLORREF hover = host.optionsLink.HoverColor(), normal = host.optionsLink.NormalColor();
    int yellow = Count(host.optionsLink, Near(RGB(255, 255, 0)));
    SetSysColors(5, elements, saved);
    host.SimulateHighContrast(false);
    int notBlack = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < client.right; ++x) notBlack += banner.At(x, y) != RGB(0, 0, 0);
    EXPECT_EQ(0, notBlack) << "the band above the text is the theme's window colour, not the picture";
    EXPECT_EQ(RGB(255, 255, 0), normal);
    EXPECT_EQ(normal, hover) << "no fixed red in high contrast";
    EXPECT_GT(yellow, 20);
    EXPECT_EQ(RGB(255, 0, 0), host.optionsLink.HoverColor()) << "back to normal";
}

TEST(BannerTest, BitmapRepeatsEvery480PixelsUnderAGreyLineAndTheTextKeepsClearOfTheLogo) {
    HostDialog host;
    ASSERT_TRUE(host.Create());
    host.SetClientWidth(1000);
    Image banner = PrintClient(host.Handle(), 1000, 60);
    Image tile = LoadBitmapImage(IDB_BANNER, 480, 60);
    int wrong = 0;
    for (int y = 0; y < 59; ++y) {
        if (y >= 12 && y < 53) continue;  // the text band
        for (int x = 0; x < 1000; ++x) wrong += banner.At(x, y) != tile.At(x % 480, y);
    }
    EXPECT_EQ(0, wrong);
    for (int x = 0; x < 1000; ++x) ASSERT_EQ(RGB(208, 208, 208), banner.At(x, 59)) << x;

    // A narrow window: the text wraps inside 16 .. width - 112.
    host.SetClientWidth(300);
    banner = PrintClient(host.Handle(), 300, 60);
    int textLeft = 300, textRight = -1, textBottom = -1;
    for (int y = 12; y < 53; ++y)
        for (int x = 0; x < 300; ++x)
            if (banner.At(x, y) != tile.At(x, y)) {
                textLeft = std::min(textLeft, x);
                textRight = std::max(textRight, x);
                textBottom = std::max(textBottom, y);
            }
    EXPECT_GE(textLeft, 16);
    EXPECT_LT(textRight, 300 - 112);
    EXPECT_GT(textBottom, 12 + TextSize(FramehaulApp::Get().fonts.boldFont, "").cy) << "wrapped onto a second line";
}

TEST(AboutDialogTest, LinksPointAtTheWebSiteAndTheSupportMailOnTheDialogColour) {
    ShownAbout about;
    ASSERT_TRUE(about.Create());
    const FontSet& fonts = FramehaulApp::Get().fonts;
    EXPECT_EQ(FH_WEBSITE_URL, about.WebsiteLink().Target());
    EXPECT_EQ(FH_WEBSITE_URL, about.WebsiteLink().TipText());
    EXPECT_EQ("mailto:" FH_SUPPORT_EMAIL "?subject=About Framehaul", about.EmailLink().Target());
    EXPECT_EQ(FH_SUPPORT_EMAIL, about.EmailLink().TipText());
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), about.EmailLink().BackColor());
    HWND version = about.Item(IDC_VERSION_TEXT);
    EXPECT_EQ(fonts.boldFont, reinterpret_cast<HFONT>(SendMessageA(version, WM_GETFONT, 0, 0)));
    EXPECT_EQ("Framehaul Version 1.1.3.0", GetControlText(version));
    EXPECT_EQ(TextSize(fonts.boldUnderlineFont, FH_SUPPORT_EMAIL).cx, WindowSize(about.EmailLink()).cx);
}

// Holds at any display scale; the test run also runs it at 150 and 200 %.
TEST(DisplayScaleTest, LinksFitTheirTextAndTheBannerFontsAndCursorGrowWithTheScale) {
    const FontSet& fonts = FramehaulApp::Get().fonts;
    HostDialog host;
    ASSERT_TRUE(host.Create());
    for (HWND link : {host.optionsLink.Handle(), host.supportLink.Handle()})
        SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldUnderlineFont), TRUE);
    host.supportLink.SetLink("", "", "Feature Requests?");  // the longest caption
    ShownAbout about;
    ASSERT_TRUE(about.Create());
    int dpi = DialogDpi(host.Handle());
    int bannerHeight = ScaleToDpi(CBannerDialog::kBannerHeight, dpi);
    for (HWND link : {host.optionsLink.Handle(), host.supportLink.Handle(), about.WebsiteLink().Handle(),
                      about.EmailLink().Handle()}) {
        std::string text = GetControlText(link);
        RECT frame, parent;
        GetWindowRect(link, &frame);
        MapWindowPoints(nullptr, GetParent(link), reinterpret_cast<POINT*>(&frame), 2);
        GetClientRect(GetParent(link), &parent);
        EXPECT_GE(frame.right - frame.left, TextSize(fonts.boldUnderlineFont, text).cx) << text;
        EXPECT_LE(frame.right, parent.right) << text;
        EXPECT_GE(frame.bottom - frame.top, TextSize(fonts.boldUnderlineFont, "").cy) << text;
        if (GetParent(link) == host.Handle()) {
            EXPECT_LT(frame.bottom, bannerHeight) << text << " off the banner";
        }
    }
    // The About box's icon grows with its dialog's units, not beyond.
    HWND icon = nullptr;
    for (HWND child = GetWindow(about.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) icon = child;
    ASSERT_NE(nullptr, icon);
    RECT iconFrame, versionFrame;
    GetWindowRect(icon, &iconFrame);
    GetWindowRect(about.Item(IDC_VERSION_TEXT), &versionFrame);
    EXPECT_LT(iconFrame.right, versionFrame.left);
    EXPECT_LE(iconFrame.right - iconFrame.left, ScaleToDpi(32, DialogDpi(about.Handle())));
    // The bold fonts are as tall as the windows' own 8-point font.
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(host.Handle(), WM_GETFONT, 0, 0));
    EXPECT_NEAR(TextSize(dialogFont, "").cy, TextSize(fonts.boldFont, "").cy, 2);
    // The grey line closes the banner at its scaled height.
    RECT client;
    GetClientRect(host.Handle(), &client);
    Image banner = PrintClient(host.Handle(), client.right, bannerHeight + 2);
    EXPECT_EQ(RGB(208, 208, 208), banner.At(client.right / 2, bannerHeight - 1));
    EXPECT_NE(RGB(208, 208, 208), banner.At(client.right / 2, bannerHeight + 1));
    // The pointer is the user's own hand where the system has one (as the
    // user's other pointers, at the size the system gives them); the
    // program's hand is drawn for the scale, not stretched from the smallest.
    SendMessageA(host.optionsLink, WM_SETCURSOR, reinterpret_cast<WPARAM>(host.optionsLink.Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    if (HCURSOR systemHand = LoadCursor(nullptr, IDC_HAND)) {
        EXPECT_EQ(systemHand, GetCursor());
        return;
    }
    ICONINFO cursor = {};
    ASSERT_TRUE(GetIconInfo(GetCursor(), &cursor));
    BITMAP mask = {};
    GetObjectA(cursor.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(ScaleToDpi(32, dpi), mask.bmWidth);
    DeleteObject(cursor.hbmMask);
    if (cursor.hbmColor) DeleteObject(cursor.hbmColor);
}

}  // namespace
