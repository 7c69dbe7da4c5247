// The real program, started with an address as the browser extension
// starts it, downloading through the proxy setting and closing by itself.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <commctrl.h>
#include <oleacc.h>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>
#include "framework/CodePage.h"
#include "resources/resource.h"
#include "samplesite/StreamBytes.h"
#include "tests/common/TestSupport.h"

using namespace testing_support;

namespace {

const char* const kAppKey = "Software\\Quorvane\\Framehaul";

// Fresh settings that start a download at once, into a new folder which this
// returns, and close the window when it is done.
std::string SettingsForAutoDownload(const char* folderPrefix) {
    const std::string key = kAppKey;
    SHDeleteKeyA(HKEY_CURRENT_USER, kAppKey);
    std::string folder = MakeTempFolder(folderPrefix);
    WriteString(key + "\\Settings", "DefaultFolder", folder);
    WriteDword(key + "\\Settings", "AutoStart", 1);
    WriteDword(key + "\\Settings", "AutoClose", 1);
    return folder;
}

TEST(EndToEnd, AnAddressOnTheCommandLineIsDownloadedAndRemembered) {
    ASSERT_NE(0, SitePort()) << "the stand-in site is not running (FH_SITE_PORT)";
    const std::string key = kAppKey;
    std::string folder = SettingsForAutoDownload("fh_e2e");
    SiteProxy proxy;

    const std::string url = "http://www.youtube.com/watch?v=sample";
    std::string program = ProgramFolder() + "\\Framehaul.exe";
    std::string commandLine = "\"" + program + "\" \"" + url + "\"";
    STARTUPINFOA startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    ASSERT_TRUE(ended) << "the window did not close by itself after the download";

    std::ifstream in(folder + "\\Sample clip.flv", std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    ASSERT_EQ(2000000u, data.size());
    EXPECT_EQ(data.size(),
              samplesite::FirstStreamMismatch(reinterpret_cast<const unsigned char*>(data.data()), data.size(), 0));
    std::string text;
    ASSERT_TRUE(ReadString(key + "\\Recent\\URLs", "1", &text));
    EXPECT_EQ(url, text);
    ASSERT_TRUE(ReadString(key + "\\Recent\\Folders", "1", &text));
    EXPECT_EQ(0, lstrcmpiA(folder.c_str(), text.c_str()));

    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    RemoveTree(folder);
}

struct Program {
    PROCESS_INFORMATION info = {};
    bool Start(const std::string& url) {
        std::string program = ProgramFolder() + "\\Framehaul.exe";
        std::string commandLine = "\"" + program + "\" \"" + url + "\"";
        STARTUPINFOA startup = {sizeof(startup)};
        return CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info) != FALSE;
    }
    bool WaitEnded(DWORD ms) { return WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0; }
    // The program's visible dialogs: its main window, and any box it shows.
    std::vector<HWND> Dialogs() const {
        std::pair<DWORD, std::vector<HWND>> found{info.dwProcessId, {}};
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
        return found.second;
    }
    static BOOL CALLBACK CollectDialog(HWND w, LPARAM param) {
        auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
        DWORD pid = 0;
        char cls[16] = "";
        GetWindowThreadProcessId(w, &pid);
        GetClassNameA(w, cls, sizeof(cls));
        if (pid == found->first && IsWindowVisible(w) && lstrcmpA(cls, "#32770") == 0) found->second.push_back(w);
        return TRUE;
    }
    HWND MainWindow(DWORD timeoutMs) const {
        HWND main = nullptr;
        PumpUntil(
            [&] {
                for (HWND w : Dialogs())
                    if (GetDlgItem(w, IDC_URL)) main = w;
                return main != nullptr;
            },
            timeoutMs);
        return main;
    }
    ~Program() {
        if (!info.hProcess) return;
        if (!WaitEnded(0)) TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
};

std::string TextOf(HWND control) {
    HWND edit = reinterpret_cast<HWND>(SendMessageA(control, CBEM_GETEDITCONTROL, 0, 0));
    char text[512] = "";
    SendMessageA(edit ? edit : control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

// Started with an address, the window only shows it when AutoStart is off
// or no folder is known; a click on Download then does the job, and the
// "close when done" box ticked meanwhile is remembered.
TEST(EndToEnd, AnAddressWaitsWhenAutoStartIsOffOrNoFolderIsKnown) {
    ASSERT_NE(0, SitePort()) << "the stand-in site is not running (FH_SITE_PORT)";
    const std::string key = "Software\\Quorvane\\Framehaul";
    const std::string url = "http://www.youtube.com/watch?v=sample";
    std::string folder = MakeTempFolder("fh_e2e");
    SiteProxy proxy;
    const char* firstStatus = "Copy and Paste or Drag and Drop video URL to Begin!";
    for (bool autoStart : {false, true}) {
        SCOPED_TRACE(autoStart ? "AutoStart on, no folder" : "AutoStart off");
        SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        WriteDword(key + "\\Settings", "AutoStart", autoStart);
        WriteDword(key + "\\Settings", "AutoClose", 0);
        if (!autoStart) WriteString(key + "\\Settings", "DefaultFolder", folder);
        Program program;
        ASSERT_TRUE(program.Start(url));
        HWND w = program.MainWindow(20000);
        ASSERT_NE(nullptr, w);
        PumpUntil([] { return false; }, 1000);  // time for a job to begin, were one started
        EXPECT_EQ(url, TextOf(GetDlgItem(w, IDC_URL)));
        EXPECT_EQ(firstStatus, TextOf(GetDlgItem(w, IDC_STATUS)));
        EXPECT_EQ(1u, program.Dialogs().size()) << "no message";
        if (autoStart) {
            EXPECT_EQ("", TextOf(GetDlgItem(w, IDC_FOLDER)));
            PostMessageA(w, WM_CLOSE, 0, 0);
            EXPECT_TRUE(program.WaitEnded(20000));
            continue;
        }
        EXPECT_FALSE(PathFileExistsA((folder + "\\Sample clip.flv").c_str()));
        SendMessageTimeoutA(GetDlgItem(w, IDC_AUTO_CLOSE), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        HWND download = GetDlgItem(w, IDC_DOWNLOAD);
        PumpUntil(
            [&] {
                PostMessageA(w, WM_NULL, 0, 0);  // as input would, so the enable rules run
                return IsWindowEnabled(download) != FALSE;
            },
            10000);
        SendMessageTimeoutA(download, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        ASSERT_TRUE(program.WaitEnded(60000)) << "the window did not close by itself after the download";
        std::ifstream in(folder + "\\Sample clip.flv", std::ios::binary);
        in.seekg(0, std::ios::end);
        EXPECT_EQ(2000000, static_cast<long>(in.tellg()));
        DWORD autoClose = 0;
        ASSERT_TRUE(ReadDword(key + "\\Settings", "AutoClose", &autoClose));
        EXPECT_EQ(1u, autoClose);
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    RemoveTree(folder);
}

HWND WaitForDialogOf(const Program& program, const char* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    PumpUntil(
        [&] {
            for (HWND w : program.Dialogs())
                if (TextOf(w) == caption) found = w;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

void ClickIn(HWND dialog, int id) {
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
}

// Every link sent from the browser is a window of its own. Three downloads
// started together, each into its own folder, a preference saved by another
// window meanwhile, a help request, and an idle window closed last: every
// address and folder stays remembered, and so does the preference.
TEST(EndToEnd, WindowsAtOnceLoseNoneOfEachOthersSettings) {
    ASSERT_NE(0, SitePort()) << "the stand-in site is not running (FH_SITE_PORT)";
    const std::string key = kAppKey;
    RemoveTree(SettingsForAutoDownload("fh_many_unused"));
    SiteProxy proxy;
    Program idle;
    ASSERT_TRUE(idle.Start(""));
    HWND idleWindow = idle.MainWindow(20000);
    ASSERT_NE(nullptr, idleWindow);

    std::vector<std::string> urls, folders;
    Program downloads[3];
    for (int i = 0; i < 3; ++i) {
        // Silent for three seconds halfway: the three jobs overlap.
        urls.push_back("http://www.youtube.com/watch?v=pause&window=" + std::to_string(i));
        folders.push_back(MakeTempFolder("fh_many"));
        WriteString(key + "\\Settings", "DefaultFolder", folders.back());
        ASSERT_TRUE(downloads[i].Start(urls.back()));
        ASSERT_NE(nullptr, downloads[i].MainWindow(20000));  // it has read the settings
    }

    const std::string player = "C:\\Players\\player.exe";
    Program options;
    ASSERT_TRUE(options.Start(""));
    HWND optionsOwner = options.MainWindow(20000);
    ASSERT_NE(nullptr, optionsOwner);
    PostMessageA(optionsOwner, WM_COMMAND, ID_OPTIONS, 0);
    HWND dialog = WaitForDialogOf(options, "Options", 20000);
    ASSERT_NE(nullptr, dialog);
    SendMessageTimeoutA(GetDlgItem(dialog, IDC_PROGRAM), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(player.c_str()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    ClickIn(dialog, IDOK);
    PostMessageA(optionsOwner, WM_CLOSE, 0, 0);
    EXPECT_TRUE(options.WaitEnded(20000));

    Program help;
    ASSERT_TRUE(help.Start("/?"));
    HWND usage = WaitForDialogOf(help, "Framehaul", 20000);
    ASSERT_NE(nullptr, usage);
    ClickIn(usage, IDOK);
    EXPECT_TRUE(help.WaitEnded(20000));

    for (Program& download : downloads) EXPECT_TRUE(download.WaitEnded(60000)) << "a download did not close by itself";
    PostMessageA(idleWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(idle.WaitEnded(20000));

    std::vector<std::string> storedUrls, storedFolders;
    for (int k = 1; k <= 20; ++k) {
        std::string text;
        if (ReadString(key + "\\Recent\\URLs", std::to_string(k).c_str(), &text)) storedUrls.push_back(text);
        if (ReadString(key + "\\Recent\\Folders", std::to_string(k).c_str(), &text)) storedFolders.push_back(text);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::find(storedUrls.begin(), storedUrls.end(), urls[i]) != storedUrls.end()) << urls[i];
        EXPECT_TRUE(std::any_of(storedFolders.begin(), storedFolders.end(), [&](const std::string& f) {
            return lstrcmpiA(f.c_str(), folders[i].c_str()) == 0;
        })) << folders[i];
        EXPECT_EQ(500000u, ReadFileBytes(folders[i] + "\\Pause clip.flv").size());
        RemoveTree(folders[i]);
    }
    std::string program;
    EXPECT_TRUE(ReadString(key + "\\Settings", "Program", &program));
    EXPECT_EQ(player, program);
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

// A folder after the address, as the usage text names it, is where that
// window saves; the default folder stays as it was.
TEST(EndToEnd, AFolderOnTheCommandLineTakesThePlaceOfTheDefault) {
    ASSERT_NE(0, SitePort()) << "the stand-in site is not running (FH_SITE_PORT)";
    const std::string key = kAppKey;
    std::string byDefault = SettingsForAutoDownload("fh_default");
    std::string given = MakeTempFolder("fh_given");
    SiteProxy proxy;
    Program program;
    ASSERT_TRUE(program.Start("http://www.youtube.com/watch?v=tiny\" \"" + given));
    ASSERT_TRUE(program.WaitEnded(60000)) << "the window did not close by itself after the download";
    EXPECT_FALSE(NamesOnDisk(given).empty());
    EXPECT_TRUE(NamesOnDisk(byDefault).empty());
    std::string text;
    EXPECT_TRUE(ReadString(key + "\\Recent\\Folders", "1", &text));
    EXPECT_EQ(0, lstrcmpiA(given.c_str(), text.c_str())) << text;
    EXPECT_TRUE(ReadString(key + "\\Settings", "DefaultFolder", &text));
    EXPECT_EQ(byDefault, text);
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    RemoveTree(byDefault);
    RemoveTree(given);
}

// A screen reader in another process finds the real window's links in its
// tab order, is told each is a link, and its default action follows it.
TEST(EndToEnd, AScreenReaderInAnotherProcessFollowsTheLinks) {
    const std::string key = kAppKey;
    SHDeleteKeyA(HKEY_CURRENT_USER, kAppKey);
    Program program;
    ASSERT_TRUE(program.Start(""));
    HWND w = program.MainWindow(20000);
    ASSERT_NE(nullptr, w);
    std::vector<int> tabOrder;
    HWND first = GetNextDlgTabItem(w, nullptr, FALSE);
    for (HWND at = first; at && tabOrder.size() < 30; at = GetNextDlgTabItem(w, at, FALSE)) {
        tabOrder.push_back(GetDlgCtrlID(at));
        if (GetNextDlgTabItem(w, at, FALSE) == first) break;
    }
    for (int link : {IDC_OPTIONS_LINK, IDC_SUPPORT_LINK})
        EXPECT_NE(tabOrder.end(), std::find(tabOrder.begin(), tabOrder.end(), link)) << link;

    for (int link : {IDC_SUPPORT_LINK, IDC_OPTIONS_LINK}) {
        IAccessible* accessible = nullptr;
        ASSERT_EQ(S_OK, AccessibleObjectFromWindow(GetDlgItem(w, link), static_cast<DWORD>(OBJID_CLIENT),
                                                   IID_IAccessible, reinterpret_cast<void**>(&accessible)));
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        VARIANT role;
        VariantInit(&role);
        EXPECT_EQ(S_OK, accessible->get_accRole(self, &role));
        EXPECT_EQ(ROLE_SYSTEM_LINK, role.lVal);
        BSTR name = nullptr, action = nullptr;
        EXPECT_EQ(S_OK, accessible->get_accName(self, &name));
        EXPECT_EQ(TextOf(GetDlgItem(w, link)), name ? FromWide(name, CP_UTF8) : "");
        SysFreeString(name);
        EXPECT_EQ(S_OK, accessible->get_accDefaultAction(self, &action));
        EXPECT_STREQ(L"Jump", action);
        SysFreeString(action);
        if (link == IDC_OPTIONS_LINK) {
            EXPECT_EQ(S_OK, accessible->accDoDefaultAction(self));
            HWND options = WaitForDialogOf(program, "Options", 20000);
            EXPECT_NE(nullptr, options) << "the link's action opens Options";
            if (options) ClickIn(options, IDCANCEL);
        }
        accessible->Release();
    }
    PostMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitEnded(20000));
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

// Titles beyond ASCII, in UTF-8 as the site sends them or in Shift_JIS, name
// their files as a browser shows the title; a name too long for the disk
// is cut until the disk takes it.
TEST(EndToEnd, FilesAreNamedAsABrowserShowsTheTitle) {
    ASSERT_NE(0, SitePort()) << "the stand-in site is not running (FH_SITE_PORT)";
    const std::string key = kAppKey;
    std::string folder = SettingsForAutoDownload("fh_names");
    SiteProxy proxy;
    const struct {
        const char* id;
        std::wstring name;
        DWORD size;
    } pages[] = {
        {"cafe&charset=utf-8", L"Caf\u00E9 \u00DCn\u00EFcode Stra\u00DFe.flv", 40000},
        {"nihongo", L"\u65E5\u672C\u8A9E\u306E\u30BF\u30A4\u30C8\u30EB.flv", 40000},
        {"refs", L"Tom & Jerry 'Classic'.flv", 40000},
        {"long", std::wstring(125, L'\u00E9') + L".flv", 40000},  // 255 bytes of UTF-8 at most under Wine
        {"sjis", L"\u8868\u679D sample \u30BD\u30D5\u30C8.flv", 65536},
    };
    for (const auto& page : pages) {
        Program program;
        ASSERT_TRUE(program.Start(std::string("http://www.youtube.com/watch?v=") + page.id));
        ASSERT_TRUE(program.WaitEnded(60000)) << page.id << ": the window did not close by itself";
        std::vector<std::wstring> names = NamesOnDisk(folder);
        EXPECT_NE(names.end(), std::find(names.begin(), names.end(), page.name)) << page.id;
        WIN32_FILE_ATTRIBUTE_DATA file = {};
        std::wstring path = std::wstring(folder.begin(), folder.end()) + L"\\" + page.name;
        EXPECT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file)) << page.id;
        EXPECT_EQ(page.size, file.nFileSizeLow) << page.id;
    }
    EXPECT_EQ(std::size(pages), NamesOnDisk(folder).size());
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    RemoveTree(folder);
}

}  // namespace
