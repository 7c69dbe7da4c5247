// The download job of the main window: started and finished on the window
// thread, run on a worker thread that drives the download engine.
#include <shlwapi.h>
#include <commctrl.h>
#include "app/Announce.h"
#include "app/FramehaulApp.h"
#include "app/MainDialog.h"
#include "engine/HttpDownloader.h"
#include "engine/OutputFile.h"
#include "engine/PageResolver.h"
#include "framework/Strings.h"
#include "resources/resource.h"

namespace {
// How often the window looks for held-back progress.
const UINT kFlushInterval = 50;
}  // namespace

void MainDialog::OnDownload() {
    if (running) return;
    SetDlgItemTextA(hwnd, IDC_FILE_NAME, "");
    UpdateData(true);
    if (url.empty()) {
        ShowMessage(hwnd, IDS_NO_URL);
        return;
    }
    if (folder.empty()) {
        ShowMessage(hwnd, IDS_NO_FOLDER);
        return;
    }
    SetRunning(true);
    SetDlgItemTextA(hwnd, IDC_FILE_NAME, "");
    stopRequest = StopNone;
    failed = false;

    // Created suspended so that the window owns the handle before the
    // worker can post its end.
    HANDLE thread = CreateWorker();
    if (!thread) {
        SetRunning(false);
        SetStatus(IDS_ERROR);
        ShowMessage(hwnd, IDS_CANNOT_START_JOB);
        return;
    }
    worker = thread;
    waitingToRetry = false;
    ShowOnTaskbar(TaskbarButton::State::Normal, 0);
    SetTimer(hwnd, kProgressTimer, kFlushInterval, nullptr);
    ResumeThread(worker);
}

HANDLE MainDialog::CreateWorker() {
    return CreateThread(nullptr, 0, JobThreadProc, this, CREATE_SUSPENDED, nullptr);
}

// A stop never undoes a close asked for earlier.
void MainDialog::RequestStop(StopRequest request) {
    if (request == StopAndClose) {
        stopRequest = StopAndClose;
        return;
    }
    int none = StopNone;
    stopRequest.compare_exchange_strong(none, request);
}

void MainDialog::OnStop() {
    RequestStop(StopAbort);
}

void MainDialog::OnCancel() {
    if (!worker) {
        EndDialog(IDCANCEL);
        return;
    }
    RequestStop(StopAndClose);
}

DWORD WINAPI MainDialog::JobThreadProc(void* param) {
    MainDialog* window = static_cast<MainDialog*>(param);
    int result = window->RunJob();
    PostMessageA(window->hwnd, WM_DOWNLOAD_FINISHED, 0, 0);
    return static_cast<DWORD>(result);
}

void MainDialog::SetStatus(UINT stringId) {
    SetDlgItemTextA(hwnd, IDC_STATUS, LoadResString(stringId).c_str());
    AnnounceTextChange(Item(IDC_STATUS));
}

int MainDialog::RunJob() {
    HWND bar = Item(IDC_PROGRESS);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 110));
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    ShowWindow(bar, SW_SHOW);
    offeredBarPosition = 0;
    lastStatusText.clear();
    {
        CriticalSectionLock hold(progressLock);
        progressText.Reset();
        barPosition.Reset();
    }

    if (!EnsureFolder(folder)) {
        ShowMessage(hwnd, IDS_CANNOT_CREATE_FOLDER, folder);
        failed = true;
        return -1;
    }
    phase = PhasePage;
    SetStatus(IDS_PREPARING);

    HttpDownloader downloader;
    downloader.CreateSession(this, nullptr);
    if (!ResolveVideo(downloader, url, video, hwnd)) {
        failed = true;
        return -1;
    }
    OutputTarget target;
    AppSettings& settings = FramehaulApp::Get().settings;
    int ticked = -1;
    bool settled = PrepareOutputPath(folder, video, hwnd, settings.AlwaysOverwrite, &target, &ticked);
    if (ticked >= 0) settings.SetAlwaysOverwrite(ticked);
    if (!settled) {
        RequestStop(StopAbort);
        return -1;
    }
    const std::string path = target.path;
    phase = PhaseVideo;
    SetStatus(IDS_BEGIN_DOWNLOADING);
    if (!DownloadToFile(downloader, video.streamUrl, std::move(target), hwnd)) {
        failed = true;
        return -1;
    }
    if (stopRequest == StopNone && !failed) SetDlgItemTextA(hwnd, IDC_FILE_NAME, PathFindFileNameA(path.c_str()));
    return 0;
}

void MainDialog::OnJobFinished() {
    KillTimer(hwnd, kProgressTimer);
    ShowWindow(Item(IDC_PROGRESS), SW_HIDE);
    if (worker) {
        WaitForSingleObject(worker, INFINITE);
        CloseHandle(worker);
        worker = nullptr;
    }
    SetRunning(false);
    int stop = stopRequest;
    SetStatus(stop != StopNone ? IDS_ABORTED : failed ? IDS_ERROR : IDS_DOWNLOADED);
    FocusIdleControl();
    if (stop == StopNone && failed)
        ShowOnTaskbar(TaskbarButton::State::Error, taskbarValue);
    else
        ShowOnTaskbar(TaskbarButton::State::None, 0);
    if (GetForegroundWindow() != hwnd) taskbar->Flash(hwnd);
    if (!failed) {
        AppSettings& settings = FramehaulApp::Get().settings;
        if (!url.empty() && settings.RecentUrls) settings.RecentUrls->Add(url);
        if (!folder.empty() && settings.RecentFolders) settings.RecentFolders->Add(folder);
    }
    // Saved now: another window may exit first, and this one may never
    // exit normally.
    FramehaulApp::Get().SaveSettings();
    if (stop == StopNone && !failed && autoClose) PostMessageA(hwnd, WM_CLOSE, 0, 0);
    if (stop == StopAndClose) EndDialog(IDCANCEL);
}

int MainDialog::OnBegin() {
    return 0;
}

int MainDialog::OnEnd() {
    // The last progress of a transfer is always shown.
    ShowHeldBackProgress(true);
    return 0;
}

void MainDialog::ShowJobText(const char* text) {
    SetDlgItemTextA(hwnd, IDC_STATUS, FormatWithValue("Downloading: %s", text).c_str());
}

void MainDialog::ShowHeldBackProgress(bool now) {
    std::string text;
    int position = 0;
    bool showText, showPosition;
    {
        CriticalSectionLock hold(progressLock);
        showText = progressText.Take(&text, now);
        showPosition = barPosition.Take(&position, now);
    }
    if (showText) ShowJobText(text.c_str());
    if (showPosition) SendDlgItemMessageA(hwnd, IDC_PROGRESS, PBM_SETPOS, position, 0);
    // The taskbar button follows the bar, from the window's thread, which
    // owns it.
    if (!now && running) {
        int shown = static_cast<int>(SendDlgItemMessageA(hwnd, IDC_PROGRESS, PBM_GETPOS, 0, 0));
        ShowOnTaskbar(waitingToRetry ? TaskbarButton::State::Paused : TaskbarButton::State::Normal, shown);
    }
}

int MainDialog::OnText(int kind, const char* text) {
    if (phase != PhaseVideo) return 0;
    if (!text) text = "";
    if (kind == TextProgress) {
        bool showNow;
        {
            CriticalSectionLock hold(progressLock);
            showNow = progressText.Offer(text);
        }
        if (showNow) ShowJobText(text);
        return 0;
    }
    // The network library repeats some status for every read ("Response
    // received"); the repetition tells nothing new and would hide the progress.
    if (lastStatusText == text) return 0;
    lastStatusText = text;
    {
        CriticalSectionLock hold(progressLock);
        progressText.Drop();
    }
    ShowJobText(text);
    // A lost connection and each new try are milestones of the job.
    if (kind == TextWaiting || kind == TextRetrying) {
        waitingToRetry = kind == TextWaiting;
        AnnounceTextChange(Item(IDC_STATUS));
    }
    return 0;
}

int MainDialog::OnProgress(int kind, unsigned value) {
    if (kind == ProgressTotal) {
        progressTotalKb = value ? static_cast<int>(value) : 100;
        return 0;
    }
    double ratio = static_cast<double>(value) / progressTotalKb;
    int position = static_cast<int>(phase == PhasePage ? ratio * 10 : ratio * 100 + 10);
    if (position == offeredBarPosition) return 0;
    offeredBarPosition = position;
    bool showNow;
    {
        CriticalSectionLock hold(progressLock);
        showNow = barPosition.Offer(position);
    }
    if (showNow) SendDlgItemMessageA(hwnd, IDC_PROGRESS, PBM_SETPOS, position, 0);
    return 0;
}
