#include "app/TaskbarButton.h"
#include <shobjidl.h>
#include "framework/Handles.h"

namespace {

class SystemTaskbarButton final : public TaskbarButton {
public:
    void Show(HWND window, State state, int value, int total) override {
        shownState = state;
        shownValue = value;
        shownTotal = total;
        Apply(window);
    }
    void Flash(HWND window) override {
        FLASHWINFO flash = {sizeof(flash), window, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
        FlashWindowEx(&flash);
    }
    void Recreate(HWND window) override {
        list.Reset();
        Apply(window);
    }

private:
    // The list is made on first use, on the window's thread; a system
    // without one (before Windows 7) shows nothing.
    void Apply(HWND window) {
        if (!list &&
            SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                       reinterpret_cast<void**>(list.Put()))) &&
            FAILED(list->HrInit()))
            list.Reset();
        if (!list) return;
        static const TBPFLAG flags[] = {TBPF_NOPROGRESS, TBPF_NORMAL, TBPF_PAUSED, TBPF_ERROR};
        list->SetProgressState(window, flags[static_cast<int>(shownState)]);
        if (shownState != State::None) list->SetProgressValue(window, shownValue, shownTotal);
    }

    ComPtr<ITaskbarList3> list;
    State shownState = State::None;
    int shownValue = 0;
    int shownTotal = 0;
};

}  // namespace

std::unique_ptr<TaskbarButton> TaskbarButton::System() {
    return std::make_unique<SystemTaskbarButton>();
}
