// The program's only top-level window: the address and folder boxes, the
// download job's progress and result, Play and Open Folder, and the way to
// the Options and About dialogs. The job runs on a worker thread of its own
// and reports through the TransferObserver side of this class.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include "app/HeldBackValue.h"
#include "app/TaskbarButton.h"
#include "controls/CBannerDialog.h"
#include "controls/CDropDialogTarget.h"
#include "controls/CFolderHistoryCombo.h"
#include "controls/CLinkStatic.h"
#include "controls/CUrlHistoryCombo.h"
#include "engine/TransferObserver.h"
#include "engine/VideoInfo.h"
#include "framework/CriticalSection.h"
#include "framework/OleDropTarget.h"

// Posted once by the job's worker as its last act.
const UINT WM_DOWNLOAD_FINISHED = WM_USER + 401;
// While a job runs: shows progress that a paused transfer held back.
const UINT_PTR kProgressTimer = 1;

class MainDialog : public CBannerDialog, public TransferObserver {
public:
    explicit MainDialog(HWND parent = nullptr);
    ~MainDialog() override;

    // What the command line asks for: the address to show, and whether its
    // download starts as soon as the window opens.
    std::string url;
    bool startAtOnce = false;
    // A folder given on the command line: shown instead of the default
    // folder, for this window only.
    void PresetFolder(const std::string& path) { folder = path; }

protected:
    // What tests/common/MainWindowHarness's RecordingMainDialog builds on:
    // it binds its recorders to the controls before this class does, and
    // makes or refuses the job's worker.
    BOOL OnInitDialog() override;
    // The job's thread, created suspended; null when none can be made.
    virtual HANDLE CreateWorker();
    // The taskbar button the window shows its jobs on (the system's unless
    // one is given before the window opens).
    void UseTaskbarButton(std::unique_ptr<TaskbarButton> button) { taskbar = std::move(button); }

private:
    enum StopRequest { StopNone = 0, StopAbort = 1, StopAndClose = 2 };
    enum Phase { PhasePage = 0, PhaseVideo = 1 };

    void DoDataExchange(DataExchange& dx) override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // The window's enable rules, run whenever the message queue is empty.
    void OnIdle() override;

    DWORD OnDragEnter(OleDataObject& data, DWORD keyState, POINT point) override;
    DWORD OnDragOver(OleDataObject& data, DWORD keyState, POINT point) override;
    DWORD OnDropEx(OleDataObject& data, DWORD dropDefault, DWORD dropList, POINT point) override;

    // The job (window thread unless noted).
    void OnDownload();
    void OnStop();
    // Sets the stop request; a close stays a close (thread-safe).
    void RequestStop(StopRequest request);
    static DWORD WINAPI JobThreadProc(void* window);
    int RunJob();  // worker thread
    void OnJobFinished();

    // TransferObserver, called on the worker thread.
    int OnBegin() override;
    int OnEnd() override;
    int OnText(int kind, const char* text) override;
    int OnProgress(int kind, unsigned value) override;

    void SetRunning(bool isRunning);
    // The keyboard focus in the idle layout: the saved name where it shows,
    // else Download where it can be used, else the URL box; never a hidden
    // or disabled control.
    void FocusIdleControl();
    // The job's state on the taskbar button, when it changed.
    void ShowOnTaskbar(TaskbarButton::State state, int value);
    void UpdateSupportLink();
    void ApplyKeepOnTop();

    void InitSystemMenu();
    void ShowContextMenu(LPARAM position);
    void OnOptions();
    void OnAbout();
    void OnHelp();
    void OnBrowse();
    void OnOpenFolder();
    void OnPlay();
    void PaintIcon();
    void OnDestroy();
    // The two check boxes go to the settings when they differ from what
    // the settings last had of this window.
    void RememberCheckBoxes();
    // Windows is ending the session: a process ended at logoff runs no
    // static destructor, so what this window changed is saved now.
    void OnEndSession();
    // One of the job's fixed texts on the status line, told to assistive
    // technology: the job's milestones.
    void SetStatus(UINT stringId);
    // A text of the transfer on the status line, as "Downloading: %s".
    void ShowJobText(const char* text);
    // Shows progress held back for its turn (the window's timer while a job
    // runs: a transfer that pauses sends nothing that would show it), or at
    // once (the transfer's end).
    void ShowHeldBackProgress(bool now);
    static DWORD TextDropEffect(OleDataObject& data, DWORD keyState);

    std::unique_ptr<TaskbarButton> taskbar;
    const UINT taskbarButtonCreated;
    TaskbarButton::State taskbarState = TaskbarButton::State::None;
    int taskbarValue = 0;
    // Set by the worker while it waits before a new try.
    std::atomic<bool> waitingToRetry{false};

    HICON bigIcon;
    HICON smallIcon;
    OleDropTargetPtr<CDropDialogTarget> dropTarget;

    CLinkStatic optionsLink;
    CLinkStatic supportLink;
    CUrlHistoryCombo urlBox;
    CFolderHistoryCombo folderBox{CPathComboBoxEx::kAcceptFiles};

    // Window state, exchanged with the controls.
    int autoClose;
    std::string folder;
    int keepOnTop;
    // What the settings have of the two check boxes from this window.
    int savedAutoClose;
    int savedKeepOnTop;

    // Job state shared with the worker.
    VideoInfo video;
    bool running = false;
    HANDLE worker = nullptr;
    std::atomic<int> stopRequest{StopNone};
    std::atomic<bool> failed{false};
    std::atomic<int> phase{PhasePage};
    int progressTotalKb = 100;

    // What the observer last put on screen, so that calls which would
    // change nothing are skipped (worker thread only).
    int offeredBarPosition = -1;
    std::string lastStatusText;
    // Shared with the window thread's timer, under progressLock.
    CriticalSection progressLock;
    // Texts faster than ten a second change nothing a person can read, and
    // each costs the worker a synchronous call into the window thread. A
    // themed bar costs Wine milliseconds to draw; a quarter of a second
    // still shows it moving.
    HeldBackValue<std::string> progressText{100};
    HeldBackValue<int> barPosition{250};
};
