// Start-up as a user meets it: the real program in its own process.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include "tests/common/ScreenPixels.h"
#include "tests/common/TestSupport.h"

using namespace testing_support;

namespace {

struct Process {
    PROCESS_INFORMATION info = {};
    bool Start(const std::string& program, const std::string& arguments) {
        std::string commandLine = "\"" + program + "\" " + arguments;
        STARTUPINFOA startup = {sizeof(startup)};
        return CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info) != FALSE;
    }
    bool WaitEnded(DWORD ms) { return WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0; }
    ~Process() {
        if (info.hProcess) {
            if (!WaitEnded(0)) TerminateProcess(info.hProcess, 1);
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
};

HWND WaitForBox(DWORD processId, const char* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    PumpUntil(
        [&] {
            found = FindDialog(
                [&](HWND window) {
                    char title[128] = "";
                    GetWindowTextA(window, title, sizeof(title));
                    return lstrcmpA(title, caption) == 0;
                },
                processId);
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::string BoxText(HWND box) {
    // The message text is the box's static control, id 0xFFFF.
    char text[512] = "";
    SendDlgItemMessageA(box, 0xFFFF, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

// The box's push buttons that a person can see, by their texts.
std::vector<std::string> VisibleButtons(HWND box) {
    std::vector<std::string> texts;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = "", text[64] = "";
        GetClassNameA(child, cls, sizeof(cls));
        SendMessageA(child, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
        if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(child)) texts.push_back(text);
    }
    return texts;
}

// Pixels of the box's icon on screen that differ from a system icon drawn
// on the same background; -1 when the box shows no icon.
int IconDifference(HWND box, LPCSTR systemIcon) {
    HWND icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child && !icon; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) icon = child;
    if (!icon) return -1;
    screen::Shot shown = screen::CaptureClient(icon);
    if (shown.pixels.empty()) return -1;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(info.bmiHeader), shown.width, -shown.height, 1, 32};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, dib);
    RECT all = {0, 0, shown.width, shown.height};
    HBRUSH back = CreateSolidBrush(shown.At(0, 0));
    FillRect(dc, &all, back);
    DeleteObject(back);
    DrawIconEx(dc, 0, 0, LoadIconA(nullptr, systemIcon), shown.width, shown.height, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<uint32_t> drawn(static_cast<const uint32_t*>(bits),
                                static_cast<const uint32_t*>(bits) + shown.pixels.size());
    SelectObject(dc, previous);
    DeleteObject(dib);
    DeleteDC(dc);
    int differ = 0;
    for (size_t i = 0; i < shown.pixels.size(); ++i) differ += (shown.pixels[i] & 0xFFFFFF) != (drawn[i] & 0xFFFFFF);
    return differ;
}

std::string KeyOf(const std::string& appName) {
    return "Software\\Quorvane\\" + appName;
}

TEST(Startup, HelpSwitchShowsUsageAndKeepsStoredSettings) {
    const std::string key = KeyOf("Framehaul");
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    WriteDword(key + "\\Settings", "AutoStart", 0);
    WriteString(key + "\\Settings", "DefaultFolder", "C:\\Kept");
    WriteString(key + "\\Recent\\URLs", "1", "http://www.youtube.com/watch?v=kept");

    Process program;
    ASSERT_TRUE(program.Start(ProgramFolder() + "\\Framehaul.exe", "/?"));
    HWND box = WaitForBox(program.info.dwProcessId, "Framehaul", 20000);
    ASSERT_NE(nullptr, box) << "no usage box";
    EXPECT_EQ("Usage: Framehaul <URL> [<output folder>]", BoxText(box));
    EXPECT_EQ(std::vector<std::string>{"OK"}, VisibleButtons(box));
    Sleep(300);  // painted
    EXPECT_EQ(0, IconDifference(box, IDI_EXCLAMATION)) << "the exclamation icon";
    EXPECT_GT(IconDifference(box, IDI_HAND), 0) << "tells icons apart";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(program.WaitEnded(20000)) << "the program did not end after OK";

    DWORD autoStart = 1;
    ASSERT_TRUE(ReadDword(key + "\\Settings", "AutoStart", &autoStart));
    EXPECT_EQ(0u, autoStart);
    std::string text;
    ASSERT_TRUE(ReadString(key + "\\Settings", "DefaultFolder", &text));
    EXPECT_EQ("C:\\Kept", text);
    ASSERT_TRUE(ReadString(key + "\\Recent\\URLs", "1", &text));
    EXPECT_EQ("http://www.youtube.com/watch?v=kept", text);
    // A help request changes nothing, so it writes nothing.
    EXPECT_EQ(2, ValueCount(key + "\\Settings"));
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

TEST(Startup, ACopyUnderAnotherNameKeepsItsOwnKey) {
    std::string folder = MakeTempFolder("fh_copy");
    std::string copy = folder + "\\Fhcopy.exe";
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\Framehaul.exe").c_str(), copy.c_str(), FALSE));
    SHDeleteKeyA(HKEY_CURRENT_USER, KeyOf("Fhcopy").c_str());
    WriteDword(KeyOf("Framehaul") + "\\Settings", "AlwaysOnTop", 1);

    Process program;
    ASSERT_TRUE(program.Start(copy, "-h"));
    HWND box = WaitForBox(program.info.dwProcessId, "Fhcopy", 20000);
    ASSERT_NE(nullptr, box) << "no usage box captioned with the copy's name";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(program.WaitEnded(20000));

    // Its own key, read with defaults: made, and nothing written to it.
    EXPECT_EQ(0, ValueCount(KeyOf("Fhcopy") + "\\Settings"));
    DWORD onTop = 7;
    EXPECT_TRUE(ReadDword(KeyOf("Framehaul") + "\\Settings", "AlwaysOnTop", &onTop));
    EXPECT_EQ(1u, onTop);
    SHDeleteKeyA(HKEY_CURRENT_USER, KeyOf("Fhcopy").c_str());
    SHDeleteKeyA(HKEY_CURRENT_USER, KeyOf("Framehaul").c_str());
    RemoveTree(folder);
}

}  // namespace
