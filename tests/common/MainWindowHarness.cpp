#include "tests/common/MainWindowHarness.h"
#include <commctrl.h>
#include <thread>
#include "app/FramehaulApp.h"
#include "framework/Wnd.h"
#include "resources/resource.h"
#include "tests/common/TestSupport.h"

// Stands in for the system's taskbar, which shows a test nothing.
class RecordingMainDialog::RecordingTaskbar final : public TaskbarButton {
public:
    explicit RecordingTaskbar(RecordingMainDialog& window) : window(window) {}
    void Show(HWND, State state, int value, int total) override {
        static const char* const names[] = {"none", "normal", "paused", "error"};
        std::string call = names[static_cast<int>(state)];
        if (state != State::None) call += " " + std::to_string(value * 110 / total);
        window.AddTaskbarCall(call);
    }
    void Flash(HWND) override { window.AddTaskbarCall("flash"); }
    void Recreate(HWND) override { window.AddTaskbarCall("recreate"); }

private:
    RecordingMainDialog& window;
};

namespace {
// The window whose status line events are recorded (one at a time).
RecordingMainDialog* eventWindow = nullptr;
}  // namespace

RecordingMainDialog::~RecordingMainDialog() {
    if (eventHook) UnhookWinEvent(eventHook);
    if (eventWindow == this) eventWindow = nullptr;
}

BOOL RecordingMainDialog::OnInitDialog() {
    SetWindowSubclass(Item(IDC_STATUS), Record, 1, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(Item(IDC_PROGRESS), Record, 2, reinterpret_cast<DWORD_PTR>(this));
    UseTaskbarButton(std::make_unique<RecordingTaskbar>(*this));
    // Out of context: delivered through this thread's messages, as a
    // screen reader in another process would get them.
    eventWindow = this;
    eventHook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, 0x8019 /* EVENT_OBJECT_LIVEREGIONCHANGED */, nullptr,
                                OnWinEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    return MainDialog::OnInitDialog();
}

void CALLBACK RecordingMainDialog::OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                                              DWORD) {
    RecordingMainDialog* self = eventWindow;
    if (!self || !self->Handle() || window != self->Item(IDC_STATUS) || object != OBJID_CLIENT || child != CHILDID_SELF)
        return;
    const char* kind = event == EVENT_OBJECT_NAMECHANGE ? "name" : event == 0x8019 ? "live" : nullptr;
    if (!kind) return;
    std::string line = std::string(kind) + " " + GetControlText(window);
    std::lock_guard<std::mutex> guard(self->lock);
    self->statusEvents.push_back(line);
}

void RecordingMainDialog::AddTaskbarCall(const std::string& call) {
    std::lock_guard<std::mutex> guard(lock);
    taskbarCalls.push_back(call);
}

std::vector<std::string> RecordingMainDialog::TaskbarCalls() {
    std::lock_guard<std::mutex> guard(lock);
    return taskbarCalls;
}

std::vector<std::string> RecordingMainDialog::StatusEvents() {
    std::lock_guard<std::mutex> guard(lock);
    return statusEvents;
}

HANDLE RecordingMainDialog::CreateWorker() {
    ++jobsStarted;
    if (failThreadCreation) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return MainDialog::CreateWorker();
}

DWORD RecordingMainDialog::DragOver(IDataObject* data, DWORD keyState) {
    OleDataObject wrapped(data);
    CDropDialog& target = *this;  // as the registered drop target sees the window
    return target.OnDragOver(wrapped, keyState, POINT{10, 10});
}

DWORD RecordingMainDialog::Drop(IDataObject* data, DWORD keyState) {
    OleDataObject wrapped(data);
    CDropDialog& target = *this;
    DWORD effect = target.OnDragOver(wrapped, keyState, POINT{10, 10});
    return target.OnDropEx(wrapped, effect, DROPEFFECT_COPY | DROPEFFECT_MOVE, POINT{10, 10});
}

LRESULT CALLBACK RecordingMainDialog::Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                             DWORD_PTR data) {
    RecordingMainDialog* self = reinterpret_cast<RecordingMainDialog*>(data);
    if (id == 1 && message == WM_SETTEXT) {
        // The control's procedure may take its text as UTF-16.
        char converted[2048] = "";
        const bool wide = IsWindowUnicode(window);
        if (wide)
            WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(lParam), -1, converted, sizeof(converted),
                                nullptr, nullptr);
        std::string text = wide ? converted : reinterpret_cast<const char*>(lParam);
        std::lock_guard<std::mutex> guard(self->lock);
        self->statusTexts.push_back(text);
    } else if (id == 2 && message == PBM_SETPOS) {
        std::lock_guard<std::mutex> guard(self->lock);
        self->barPositions.push_back(static_cast<int>(wParam));
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

std::vector<std::string> RecordingMainDialog::StatusTexts() {
    std::lock_guard<std::mutex> guard(lock);
    return statusTexts;
}

std::vector<int> RecordingMainDialog::BarPositions() {
    std::lock_guard<std::mutex> guard(lock);
    return barPositions;
}

void MainWindowTest::SetUp() {
    ASSERT_NE(0, testing_support::SitePort()) << "the stand-in site is not running (FH_SITE_PORT)";
    testing_support::ClearAppKey();
    testing_support::App().settings.Load(testing_support::App().GetProfile());
    folder = testing_support::MakeTempFolder("fh_main");
}

void MainWindowTest::TearDown() {
    testing_support::RemoveTree(folder);
    testing_support::ClearAppKey();
}

namespace harness {

using testing_support::WaitFor;

INT_PTR RunWindow(Dialog& window, const std::function<void(HWND)>& driver) {
    std::thread player([&] {
        HWND shown = nullptr;
        WaitFor(
            [&] {
                shown = window.Handle();
                return shown && IsWindowVisible(shown);
            },
            20000);
        if (shown) driver(shown);
        // Whatever the driver did, the window must go in the end.
        for (int i = 0; i < 600 && IsWindow(shown); ++i) {
            PostMessageA(shown, WM_CLOSE, 0, 0);
            Sleep(100);
        }
    });
    INT_PTR result = window.DoModal();
    player.join();
    return result;
}

void SetText(HWND window, int id, const std::string& text) {
    SetControlText(GetDlgItem(window, id), text);
    // Typing would post messages; the window's enable rules run when its
    // queue runs empty after one.
    PostMessageA(window, WM_NULL, 0, 0);
}

std::string Text(HWND window, int id) {
    return GetControlText(GetDlgItem(window, id));
}

void Click(HWND window, int id) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

void StartJob(HWND window, const std::string& url, const std::string& folder) {
    SetText(window, IDC_URL, url);
    SetText(window, IDC_FOLDER, folder);
    Click(window, IDC_DOWNLOAD);
}

bool Visible(HWND window, int id) {
    return IsWindowVisible(GetDlgItem(window, id)) != FALSE;
}

bool Enabled(HWND window, int id) {
    return IsWindowEnabled(GetDlgItem(window, id)) != FALSE;
}

std::string WaitForResult(HWND window, DWORD timeoutMs) {
    std::string text;
    WaitFor(
        [&] {
            text = Text(window, IDC_STATUS);
            return text == "Downloaded successfully!" || text == "Error!" || text == "Aborted!";
        },
        timeoutMs);
    return text;
}

std::string JobResult(HWND window, const std::string& url, const std::string& folder, DWORD timeoutMs) {
    SetText(window, IDC_STATUS, "");
    StartJob(window, url, folder);
    return WaitForResult(window, timeoutMs);
}

HWND WaitForFileExistsDialog(DWORD timeoutMs) {
    return testing_support::WaitForDialog(
        [](HWND window) { return GetDlgItem(window, IDC_OVERWRITE_IT) && GetDlgItem(window, IDC_ALWAYS_OVERWRITE); },
        timeoutMs);
}

}  // namespace harness
