// The main window's taskbar button: the job's progress on it, and a flash
// when a job ends behind other windows. An interface, so that the window's
// tests can see what it asks for: the system's own (ITaskbarList3 and
// FlashWindowEx) shows nothing a test could read, and Wine only stubs it.
#pragma once
#include <windows.h>
#include <memory>

class TaskbarButton {
public:
    enum class State { None, Normal, Paused, Error };

    virtual ~TaskbarButton() = default;
    // The progress drawn on the button: value of total in state (None clears it).
    virtual void Show(HWND window, State state, int value, int total) = 0;
    // Asks for attention until the window comes to the front.
    virtual void Flash(HWND window) = 0;
    // The taskbar made the button anew (Explorer restarted): what was shown
    // is shown again.
    virtual void Recreate(HWND window) = 0;

    // The system's taskbar.
    static std::unique_ptr<TaskbarButton> System();
};
