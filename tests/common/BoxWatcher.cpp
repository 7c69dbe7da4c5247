#include "tests/common/BoxWatcher.h"
#include "framework/WinApp.h"
#include "tests/common/ScreenPixels.h"
#include "tests/common/TestSupport.h"

BoxWatcher::BoxWatcher(const std::string& boxCaption)
    : caption(boxCaption.empty() && WinApp::Get() ? WinApp::Get()->AppName() : boxCaption), worker([this] { Run(); }) {}

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
        HWND box = testing_support::FindDialog([this](HWND window) { return IsNewBox(window); });
        if (box)
            Answer(box);
        else
            Sleep(15);
    }
}

bool BoxWatcher::IsNewBox(HWND window) const {
    // A message box: its text is static 0xFFFF, and it has no edit field
    // (the program's own dialogs with that caption have one).
    if (caption != testing_support::WindowText(window) || !GetDlgItem(window, 0xFFFF) ||
        FindWindowExA(window, nullptr, "Edit", nullptr))
        return false;
    std::lock_guard<std::mutex> guard(lock);
    return !answered.count(window);
}

void BoxWatcher::SaveShots(const std::string& prefix) {
    std::lock_guard<std::mutex> guard(lock);
    shotPrefix = prefix;
}

void BoxWatcher::Answer(HWND box) {
    std::string body = testing_support::WindowText(GetDlgItem(box, 0xFFFF));
    std::string shot;
    {
        std::lock_guard<std::mutex> guard(lock);
        answered.insert(box);
        texts.push_back(body);
        if (!shotPrefix.empty()) shot = shotPrefix + "-" + std::to_string(texts.size());
    }
    if (!shot.empty()) {
        Sleep(300);  // painted
        screen::SaveWindowShot(box, shot);
    }
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}
