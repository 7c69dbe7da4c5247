// Helpers shared by the tests that run under Wine.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

class FramehaulApp;

namespace testing_support {

// The application object of the test program (registry key
// HKCU\Software\Quorvane\<test program name>).
FramehaulApp& App();

// The application's install folder, filled in as the program does.
std::string AppInstallDir();

// Removes the test program's whole registry key.
void ClearAppKey();

// Registry access for checks, relative to HKEY_CURRENT_USER.
bool KeyExists(const std::string& path);
bool ReadDword(const std::string& path, const char* name, DWORD* value);
bool ReadString(const std::string& path, const char* name, std::string* value, DWORD* type = nullptr);
void WriteDword(const std::string& path, const char* name, DWORD value);
void WriteString(const std::string& path, const char* name, const std::string& value);
void WriteRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size);
// Number of values directly in the key (-1 when it does not exist).
int ValueCount(const std::string& path);

// A new empty folder below the temporary folder; removed by RemoveTree.
std::string MakeTempFolder(const char* prefix);
void RemoveTree(const std::string& path);
// The folder of the running test program.
std::string ProgramFolder();

// A WM_DROPFILES block holding the names, as the shell makes it.
HGLOBAL MakeDropFiles(const std::vector<std::string>& names);

// The stand-in site's port on 127.0.0.1 (FH_SITE_PORT), or 0 when the
// test runner did not start it.
int SitePort();

// While it lives, WinINet sessions opened by this user go through the
// stand-in site as their proxy, so "http://www.youtube.com/..." reaches it;
// the previous values come back afterwards.
class SiteProxy {
public:
    SiteProxy();
    ~SiteProxy();
    SiteProxy(const SiteProxy&) = delete;
    SiteProxy& operator=(const SiteProxy&) = delete;

private:
    DWORD enable = 0;
    std::string server;
    bool hadEnable = false, hadServer = false;
};

// The proxy of a WinINet session opened now ("" when it goes direct).
std::string ProxyOfNewSession();
// Checked before a test names any host but 127.0.0.1, so that nothing
// leaves the machine if the proxy setting were not taken.
bool SiteProxyInEffect();

// The whole file as bytes ("" when it cannot be read).
std::string ReadFileBytes(const std::string& path);
// The names in the folder as the disk holds them, "." and ".." left out.
std::vector<std::wstring> NamesOnDisk(const std::string& folder);

// A window's text, asked with a time-out: a hung window cannot stop the caller.
std::string WindowText(HWND window);

// What this process holds now, to see that work that ended left none behind.
int ThreadCount();
DWORD KernelHandleCount();

// Polls condition every 10 ms until it holds or timeoutMs passes.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);
// The first visible dialog (#32770) of a process (0: this one), on any thread, for
// which match holds; null when there is none.
HWND FindDialog(const std::function<bool(HWND)>& match, DWORD processId = 0);
// A visible dialog of this process for which match holds, or with this
// caption, once it is shown (null on time-out).
HWND WaitForDialog(const std::function<bool(HWND)>& match, DWORD timeoutMs);
HWND WaitForDialog(const std::string& caption, DWORD timeoutMs = 10000);

// Runs the thread's messages until done() holds or timeoutMs passes.
template <class Pred>
bool PumpUntil(Pred done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

}  // namespace testing_support
