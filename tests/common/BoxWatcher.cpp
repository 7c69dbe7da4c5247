#include "tests/common/BoxWatcher.h"
#include "framework/WinApp.h"
#include "tests/common/TestSupport.h"

BoxWatcher::BoxWatcher(const std::string& boxCaption)
    : caption(boxCaption.empty() && WinApp::Get() ? WinApp::Get()->AppName() : boxCaption),
      worker([this] { Run(); }) {}

BoxWatcher::~BoxWatcher() {
    stop = true;
    worker.join();
}

std::vector<std::string> BoxWatcher::Texts() const {
    std::lock_guard<std::mutex> guard(lock);
    return texts;
}

bool BoxWatcher::WaitForCount(size_t count, DWORD timeoutMs) const {
    return testing_support::PumpUntil([&] { return Texts().size() >= count; }, timeoutMs);
}

void BoxWatcher::Run() {
    while (!stop) {
        EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
        Sleep(15);
    }
}

BOOL CALLBACK BoxWatcher::Visit(HWND window, LPARAM param) {
    BoxWatcher* self = reinterpret_cast<BoxWatcher*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    char cls[16] = "", title[256] = "";
    GetClassNameA(window, cls, sizeof(cls));
    GetWindowTextA(window, title, sizeof(title));
    if (lstrcmpA(cls, "#32770") != 0 || self->caption != title) return TRUE;
    // A message box: its text is static 0xFFFF, and it has no edit field
    // (the program's own dialogs with that caption have one).
    HWND text = GetDlgItem(window, 0xFFFF);
    if (!text || FindWindowExA(window, nullptr, "Edit", nullptr)) return TRUE;
    {
        std::lock_guard<std::mutex> guard(self->lock);
        if (self->answered.count(window)) return TRUE;
        self->answered.insert(window);
        char body[2048] = "";
        SendMessageTimeoutA(text, WM_GETTEXT, sizeof(body), reinterpret_cast<LPARAM>(body),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
        self->texts.push_back(body);
    }
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}
