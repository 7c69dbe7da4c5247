// The main window's own behaviour around a job: drops, menus, Play and Open
// Folder, the settings it writes back, and what every state shows on screen.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <commctrl.h>
#include <algorithm>
#include <fstream>
#include <cctype>
#include <map>
#include "app/FramehaulApp.h"
#include "browser/OptionsDialog.h"
#include "controls/AboutDialog.h"
#include "engine/FileExistsDialog.h"
#include "resources/resource.h"
#include "tests/common/MainWindowHarness.h"
#include "tests/common/BoxWatcher.h"
#include "tests/common/ScreenPixels.h"
#include "tests/common/TestSupport.h"
#include "tests/common/TextDataObject.h"

using namespace testing_support;
using namespace harness;

namespace {

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// The access key a control's text gives it ('&' before a letter), or 0.
char AccessKey(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

// What a person using the keyboard or a screen reader meets amiss in a
// dialog, a line each: an input control without an access key of its own
// (OK and Cancel answer Enter and Esc), a box without a label with one just
// before it, two controls with one key, a default button that is hidden or
// disabled, a tab stop that goes back up the dialog.
std::vector<std::string> KeyboardProblems(HWND dialog) {
    std::vector<std::string> problems;
    std::map<char, std::string> keys;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        std::string cls = ClassOf(child), text = WindowText(child);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        int id = GetDlgCtrlID(child);
        bool label = cls == "Static" && !(style & SS_NOPREFIX);
        bool button = cls == "Button" && (style & BS_TYPEMASK) != BS_GROUPBOX;
        char key = (label || cls == "Button") ? AccessKey(text) : 0;
        if (key && !keys.emplace(key, text).second) problems.push_back("&" + std::string(1, key) + " twice: " + text);
        if (button && !key && id != IDOK && id != IDCANCEL) problems.push_back("no access key: " + text);
        bool box = (cls == "Edit" && !(style & ES_READONLY)) || cls == "ComboBoxEx32";
        if (box) {
            HWND before = GetWindow(child, GW_HWNDPREV);
            if (!before || ClassOf(before) != "Static" || !AccessKey(WindowText(before)))
                problems.push_back("no label with a key before box " + std::to_string(id));
        }
    }
    HWND byDefault = GetDlgItem(dialog, LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0)));
    if (!byDefault || !IsWindowVisible(byDefault) || !IsWindowEnabled(byDefault))
        problems.push_back("the default button cannot be pressed");
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    HWND at = first;
    for (int step = 0; at && step < 50; ++step) {
        HWND next = GetNextDlgTabItem(dialog, at, FALSE);
        if (!next || next == first) break;
        RECT a, b;
        GetWindowRect(at, &a);
        GetWindowRect(next, &b);
        if (b.bottom <= a.top) problems.push_back("tab goes back up: " + WindowText(at) + " -> " + WindowText(next));
        at = next;
    }
    return problems;
}

// The windows' and dialogs' keyboard rules, each as it opens (the main
// window with both boxes filled, so that Download can be pressed). The main
// window's first focus is the address, whatever comes first in tab order.
TEST_F(MainWindowTest, EveryDialogCanBeUsedFromTheKeyboard) {
    RecordingMainDialog window;
    bool urlFocused = false;
    std::vector<std::string> mainProblems;
    RunWindow(window, [&](HWND w) {
        GUITHREADINFO gui = {sizeof(gui)};
        GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gui);
        HWND url = GetDlgItem(w, IDC_URL);
        urlFocused = gui.hwndFocus && (gui.hwndFocus == url || IsChild(url, gui.hwndFocus));
        SetText(w, IDC_URL, "http://www.youtube.com/watch?v=sample");
        SetText(w, IDC_FOLDER, folder);
        WaitFor([&] { return Enabled(w, IDC_DOWNLOAD); }, 5000);
        mainProblems = KeyboardProblems(w);
        PostMessageA(w, WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(urlFocused);
    EXPECT_EQ(std::vector<std::string>{}, mainProblems);

    OptionsDialog options(nullptr, App().settings, [] { return AppInstallDir(); });
    FileExistsDialog exists(nullptr);
    exists.fileName = "Sample clip.flv";
    AboutDialog about(FramehaulApp::Get().fonts);
    for (Dialog* dialog : std::vector<Dialog*>{&options, &exists, &about}) {
        std::vector<std::string> problems;
        RunWindow(*dialog, [&](HWND d) {
            problems = KeyboardProblems(d);
            PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(std::vector<std::string>{}, problems) << WindowText(dialog->Handle());
    }
}

// Dragged text replaces the address without starting a job (with Ctrl it
// is copied, else moved); empty text is refused. Of shell items dropped,
// the first folder goes into the folder box; files alone change nothing.
TEST_F(MainWindowTest, DropsFillTheBoxesWithoutStartingAJob) {
    std::string file = folder + "\\a.txt";
    std::ofstream{file};
    std::string sub = folder + "\\sub";
    CreateDirectoryA(sub.c_str(), nullptr);
    BoxWatcher boxes;
    RecordingMainDialog window;
    const std::string dropped = "http://www.youtube.com/watch?v=dropped";
    TextData text(dropped), empty("");
    RunWindow(window, [&](HWND w) {
        SetText(w, IDC_FOLDER, folder);
        EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), window.DragOver(&text, 0));
        EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), window.DragOver(&text, MK_CONTROL));
        EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), window.Drop(&text, 0));
        EXPECT_EQ(dropped, Text(w, IDC_URL));
        EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), window.Drop(&empty, 0));
        EXPECT_EQ(dropped, Text(w, IDC_URL));

        SetText(w, IDC_FOLDER, "C:\\before");
        SendMessageA(w, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropFiles({file})), 0);
        EXPECT_EQ("C:\\before", Text(w, IDC_FOLDER));
        SendMessageA(w, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropFiles({file, sub, folder})), 0);
        EXPECT_EQ(sub, Text(w, IDC_FOLDER));
        Sleep(200);
    });
    EXPECT_EQ(0, window.JobsStarted());
    EXPECT_TRUE(window.StatusTexts().empty()) << "no job reported anything";
}

// The system menu loses Restore, Size and Maximize and ends with Options,
// Help and About. The About box, from the system menu, the context menu's
// command and during a job, belongs to the main window, which takes no
// input meanwhile.
TEST_F(MainWindowTest, TheAboutBoxIsModalAndTheSystemMenuEndsWithIt) {
    RecordingMainDialog window;
    std::vector<UINT> ids;
    std::vector<std::string> texts, wrong;
    auto about = [&](HWND w, const char* how, UINT message, WPARAM command) {
        PostMessageA(w, message, command, 0);
        HWND box = WaitForDialog("About Framehaul");
        if (!box) return wrong.push_back(std::string(how) + ": no About box");
        if (GetWindow(box, GW_OWNER) != w) wrong.push_back(std::string(how) + ": not owned");
        if (IsWindowEnabled(w)) wrong.push_back(std::string(how) + ": main window enabled");
        Sleep(300);  // painted
        for (int id : {IDC_VERSION_TEXT, IDC_WEBSITE_LINK, IDC_EMAIL_LINK})
            if (!screen::ShowsText(GetDlgItem(box, id)))
                wrong.push_back(std::string(how) + ": blank " + std::to_string(id));
        screen::SaveWindowShot(box, "about");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        if (!WaitFor([&] { return !IsWindow(box) && IsWindowEnabled(w); }, 5000))
            wrong.push_back(std::string(how) + ": not closed, or the main window stayed disabled");
    };
    RunWindow(window, [&](HWND w) {
        HMENU menu = GetSystemMenu(w, FALSE);
        for (UINT removed : {SC_RESTORE, SC_SIZE, SC_MAXIMIZE})
            EXPECT_EQ(static_cast<UINT>(-1), GetMenuState(menu, removed, MF_BYCOMMAND)) << removed;
        int count = GetMenuItemCount(menu);
        for (int i = count - 5; i < count; ++i) {
            ids.push_back(GetMenuItemID(menu, i));
            char text[64] = "";
            GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
            texts.push_back(text);
        }
        about(w, "system menu", WM_SYSCOMMAND, IDM_SYS_ABOUT);
        about(w, "context menu", WM_COMMAND, ID_APP_ABOUT);
        StartJob(w, "http://www.youtube.com/watch?v=slow", folder);
        WaitFor([&] { return Text(w, IDC_STATUS).rfind("Downloading: ", 0) == 0; }, 20000);
        about(w, "during a job", WM_SYSCOMMAND, IDM_SYS_ABOUT);
        Click(w, IDC_STOP);
        WaitForResult(w);
    });
    EXPECT_EQ((std::vector<UINT>{0u, IDM_SYS_OPTIONS, 0u, IDM_SYS_HELP, IDM_SYS_ABOUT}), ids);
    EXPECT_EQ((std::vector<std::string>{"", "&Options...", "", "&Help", "&About Framehaul..."}), texts);
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

// (Wine without a window manager does not reflect HWND_TOPMOST in the
// window's style, so only the remembered state can be checked here.) When
// Windows ends the session they are stored at once, with nothing else: a
// process ended at logoff runs no destructor.
TEST_F(MainWindowTest, BothCheckBoxesAreWrittenBackWhenTheWindowCloses) {
    App().settings.AutoClose = 1;
    const std::string settingsKey = App().GetProfile().AppKey() + "\\Settings";
    RecordingMainDialog window;
    bool initiallyTicked = false;
    DWORD storedOnTop = 9, storedClose = 9;
    int storedValues = -1;
    RunWindow(window, [&](HWND w) {
        initiallyTicked = IsDlgButtonChecked(w, IDC_AUTO_CLOSE) == BST_CHECKED;
        SendDlgItemMessageA(w, IDC_KEEP_ON_TOP, BM_SETCHECK, BST_CHECKED, 0);
        Click(w, IDC_KEEP_ON_TOP);
        SendDlgItemMessageA(w, IDC_AUTO_CLOSE, BM_SETCHECK, BST_UNCHECKED, 0);
        Click(w, IDC_AUTO_CLOSE);
        Sleep(100);
        EXPECT_EQ(TRUE, SendMessageA(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
        SendMessageA(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        ReadDword(settingsKey, "AlwaysOnTop", &storedOnTop);
        ReadDword(settingsKey, "AutoClose", &storedClose);
        storedValues = ValueCount(settingsKey);
        PostMessageA(w, WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(initiallyTicked);
    EXPECT_EQ(1, App().settings.AlwaysOnTop);
    EXPECT_EQ(0, App().settings.AutoClose);
    EXPECT_EQ(1u, storedOnTop);
    EXPECT_EQ(0u, storedClose);
    EXPECT_EQ(2, storedValues);
}

// Open Folder and Play name what is missing, and Play without a file name
// does nothing; with a program set, Play starts it with the quoted path.
// The folder and the video have names beyond ASCII, held in UTF-8.
TEST_F(MainWindowTest, OpenFolderAndPlayReportWhatIsMissingOrStartTheProgram) {
    // A batch file as the player copies what it was given beside itself.
    std::string player = folder + "\\player.bat";
    std::string played = folder + "\\played.flv";
    std::ofstream(player) << "@copy /y %1 \"" << played << "\" >nul\r\n";
    std::string videos = folder + u8"\\Vid\u00E9os \u65E5\u672C";
    ASSERT_TRUE(CreateDirectoryA(videos.c_str(), nullptr));
    const std::string name = u8"Caf\u00E9 \u65E5\u672C.flv";
    std::ofstream(videos + "\\" + name) << "video bytes";
    ASSERT_EQ(std::vector<std::wstring>{L"Caf\u00E9 \u65E5\u672C.flv"}, NamesOnDisk(videos));
    App().settings.Program = player;
    BoxWatcher boxes;
    RecordingMainDialog window;
    bool copied = false;
    RunWindow(window, [&](HWND w) {
        SetText(w, IDC_FOLDER, folder + "\\missing");
        Click(w, IDC_OPEN_FOLDER);
        boxes.WaitForCount(1, 5000);
        SetText(w, IDC_FOLDER, videos);
        SetText(w, IDC_FILE_NAME, "gone.flv");
        Click(w, IDC_PLAY);
        boxes.WaitForCount(2, 5000);
        SetText(w, IDC_FILE_NAME, "");
        Click(w, IDC_PLAY);  // nothing to play: nothing happens
        Sleep(200);
        SetText(w, IDC_FILE_NAME, name);
        Click(w, IDC_PLAY);
        copied = WaitFor([&] { return ReadFileBytes(played) == "video bytes"; }, 15000);
        Sleep(300);
    });
    EXPECT_EQ((std::vector<std::string>{"Folder not Exists!", "File not Exists!"}), boxes.Texts());
    EXPECT_TRUE(copied) << "the player was not given the video's path";
}

// The boxes, the status line and the file name must be on the screen, not
// only held by the controls, in every state of the window.
TEST_F(MainWindowTest, EveryStateShowsItsTextsOnScreen) {
    App().settings.DefaultFolder = folder;  // for the Options dialog's two boxes
    App().settings.Program = "C:\\Players\\player.exe";
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::vector<std::string> blank;
    // Names the controls of a state that show no text; saves the screenshot.
    auto look = [&](HWND w, const char* state, std::vector<int> ids) {
        Sleep(300);  // the window thread paints what it was told
        for (int id : ids)
            if (!WaitFor([&] { return screen::ShowsText(GetDlgItem(w, id)); }, 3000))
                blank.push_back(std::string(state) + " " + std::to_string(id));
        // A folder box shows the icon of the folder it holds, listed or not.
        bool folderBox = std::count(ids.begin(), ids.end(), IDC_FOLDER) > 0;
        if (folderBox && !WaitFor([&] { return screen::ShowsIcon(GetDlgItem(w, IDC_FOLDER)); }, 3000))
            blank.push_back(std::string(state) + " folder icon");
        screen::SaveWindowShot(w, std::string("main-") + state);
    };
    // A title with accents, Japanese and references.
    const std::string mixed = "http://www.youtube.com/watch?v=mixed";
    const std::string name = u8"Caf\u00E9 & \u65E5\u672C\u8A9E 'clip'.flv";
    bool iconWhenEmpty = true;
    RunWindow(window, [&](HWND w) {
        SetText(w, IDC_URL, mixed);
        SetText(w, IDC_FOLDER, "");
        Sleep(300);
        iconWhenEmpty = screen::ShowsIcon(GetDlgItem(w, IDC_FOLDER));
        SetText(w, IDC_FOLDER, folder);
        look(w, "idle", {IDC_URL, IDC_FOLDER, IDC_STATUS});
        PostMessageA(w, WM_COMMAND, ID_OPTIONS, 0);
        HWND options = WaitForDialog("Options");
        ASSERT_NE(nullptr, options);
        look(options, "options", {IDC_FOLDER, IDC_PROGRAM});
        PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
        WaitFor([&] { return !IsWindow(options); }, 5000);
        // Enter in the address box presses Download.
        HWND edit = reinterpret_cast<HWND>(SendDlgItemMessageA(w, IDC_URL, CBEM_GETEDITCONTROL, 0, 0));
        // The main window gets its activation back from the closed dialog
        // asynchronously; the key goes in once the address box has the focus.
        auto editHasFocus = [&] {
            GUITHREADINFO gui{sizeof(gui)};
            return GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gui) && gui.hwndFocus == edit;
        };
        PostMessageA(w, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
        WaitFor([&] { return IsWindowEnabled(w) && editHasFocus(); }, 5000);
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
        EXPECT_EQ("Downloaded successfully!", WaitForResult(w));
        look(w, "success", {IDC_URL, IDC_FOLDER, IDC_STATUS, IDC_FILE_NAME});
        EXPECT_EQ(name, Text(w, IDC_FILE_NAME));

        // The same file again: the question, then Cancel.
        SetText(w, IDC_STATUS, "");
        Click(w, IDC_DOWNLOAD);
        HWND question = WaitForFileExistsDialog();
        ASSERT_NE(nullptr, question);
        look(question, "file-exists", {IDC_EXISTS_TEXT, IDC_FILE_NAME});
        EXPECT_EQ("The file '" + name + "' already exists.", Text(question, IDC_EXISTS_TEXT));
        EXPECT_EQ(name, Text(question, IDC_FILE_NAME));
        PostMessageA(question, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ("Aborted!", WaitForResult(w));
        look(w, "aborted", {IDC_URL, IDC_FOLDER, IDC_STATUS});

        EXPECT_EQ("Error!", JobResult(w, "http://www.youtube.com/watch?v=noargs", folder));
        look(w, "error", {IDC_URL, IDC_FOLDER, IDC_STATUS});

        SetText(w, IDC_STATUS, "");
        StartJob(w, "http://www.youtube.com/watch?v=slow", folder);
        WaitFor([&] { return Text(w, IDC_STATUS).rfind("Downloading: ", 0) == 0; }, 20000);
        look(w, "running", {IDC_URL, IDC_FOLDER, IDC_STATUS});
        // While it runs, nothing can change its address or folder or start another.
        int jobs = window.JobsStarted();
        Click(w, IDC_DOWNLOAD);
        Sleep(300);
        EXPECT_FALSE(Enabled(w, IDC_URL) || Enabled(w, IDC_FOLDER) || Enabled(w, IDC_BROWSE));
        EXPECT_TRUE(Visible(w, IDC_STOP) && Visible(w, IDC_PROGRESS) && !Visible(w, IDC_DOWNLOAD));
        EXPECT_EQ(jobs, window.JobsStarted());
        Click(w, IDC_STOP);
        EXPECT_EQ("Aborted!", WaitForResult(w));
    });
    EXPECT_TRUE(blank.empty()) << ::testing::PrintToString(blank);
    EXPECT_FALSE(iconWhenEmpty) << "an empty folder box drew an icon";
}

}  // namespace
