#include "app/MainDialog.h"
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windowsx.h>
#include <cstring>
#include <ctime>
#include "app/Announce.h"
#include "app/FramehaulApp.h"
#include "browser/OptionsDialog.h"
#include "controls/AboutDialog.h"
#include "controls/CFolderPicker.h"
#include "controls/ShellFunctions.h"
#include "framework/Strings.h"
#include "resources/resource.h"

MainDialog::MainDialog(HWND parent)
    : CBannerDialog(IDD_MAIN, parent, FramehaulApp::Get().fonts),
      taskbarButtonCreated(RegisterWindowMessageA("TaskbarButtonCreated")) {
    const AppSettings& settings = FramehaulApp::Get().settings;
    autoClose = savedAutoClose = settings.AutoClose;
    folder = settings.DefaultFolder;
    keepOnTop = savedKeepOnTop = settings.AlwaysOnTop;
    abortFlag = &stopRequest;
    HINSTANCE instance = AppInstance();
    bigIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    // The caption's size at the display's scale, not the 16 pixels of 100 %.
    smallIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

MainDialog::~MainDialog() {
    // A worker still running here would call into a dead window.
    if (worker) {
        stopRequest = StopAndClose;
        WaitForSingleObject(worker, INFINITE);
        CloseHandle(worker);
    }
    if (smallIcon) DestroyIcon(smallIcon);
}

void MainDialog::DoDataExchange(DataExchange& dx) {
    CBannerDialog::DoDataExchange(dx);
    DdxCheck(dx, IDC_AUTO_CLOSE, autoClose);
    DdxText(dx, IDC_FOLDER, folder);
    DdxCheck(dx, IDC_KEEP_ON_TOP, keepOnTop);
    DdxText(dx, IDC_URL, url);
}

BOOL MainDialog::OnInitDialog() {
    FramehaulApp& app = FramehaulApp::Get();
    app.SetMainWindow(hwnd);
    optionsLink.AttachDlgItem(hwnd, IDC_OPTIONS_LINK);
    supportLink.AttachDlgItem(hwnd, IDC_SUPPORT_LINK);
    urlBox.AttachDlgItem(hwnd, IDC_URL);
    folderBox.AttachDlgItem(hwnd, IDC_FOLDER);
    CBannerDialog::OnInitDialog();

    InitSystemMenu();
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));

    dropTarget.reset(new CDropDialogTarget());
    if (!dropTarget->Register(hwnd)) dropTarget.reset();

    EnableAutoComplete(urlBox.GetEditControl(),
                       SHACF_URLHISTORY | SHACF_USETAB | SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_ON);
    DragAcceptFiles(folderBox, TRUE);
    // The completion source was picked when the box was attached; drops on
    // it take folders only.
    folderBox.pathFilter = CPathComboBoxEx::kAcceptFolders;

    SendDlgItemMessageA(hwnd, IDC_DOWNLOAD, WM_SETFONT, reinterpret_cast<WPARAM>(app.fonts.boldFont), TRUE);
    SendMessageA(supportLink, WM_SETFONT, reinterpret_cast<WPARAM>(app.fonts.boldUnderlineFont), TRUE);
    SendMessageA(optionsLink, WM_SETFONT, reinterpret_cast<WPARAM>(app.fonts.boldUnderlineFont), TRUE);

    urlBox.SetList(app.settings.RecentUrls.get());
    folderBox.SetList(app.settings.RecentFolders.get());
    if (!folder.empty()) {
        folderBox.SelectPath(folder, false);
    } else if (SendMessageA(folderBox, CB_GETCOUNT, 0, 0) > 0) {
        SendMessageA(folderBox, CB_SETCURSEL, 0, 0);
        folder = folderBox.GetItemText(0);
    }

    if (!taskbar) taskbar = TaskbarButton::System();
    MarkPoliteLiveRegion(Item(IDC_STATUS));

    UpdateSupportLink();
    SetRunning(false);
    ApplyKeepOnTop();
    if (startAtOnce && !url.empty() && !folder.empty()) OnDownload();
    // The links come first in the tab order, but the address is what the
    // window is for.
    if (!running) SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(urlBox.Handle()), TRUE);
    return FALSE;
}

void MainDialog::InitSystemMenu() {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu) return;
    DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    const struct {
        UINT text;
        UINT command;
        bool separator;
    } items[] = {
        {IDS_MENU_OPTIONS, IDM_SYS_OPTIONS, true},
        {IDS_MENU_HELP, IDM_SYS_HELP, true},
        {IDS_MENU_ABOUT, IDM_SYS_ABOUT, false},
    };
    for (const auto& item : items) {
        std::string text = LoadResString(item.text);
        if (text.empty()) continue;
        if (item.separator) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, item.command, text.c_str());
    }
}

void MainDialog::SetRunning(bool isRunning) {
    EnableWindow(Item(IDC_URL), !isRunning);
    EnableWindow(Item(IDC_FOLDER), !isRunning);
    ShowWindow(Item(IDC_DOWNLOAD), isRunning ? SW_HIDE : SW_SHOW);
    ShowWindow(Item(IDC_STOP), isRunning ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_PROGRESS), isRunning ? SW_SHOW : SW_HIDE);
    bool showFile = !isRunning && GetWindowTextLengthA(Item(IDC_FILE_NAME)) > 0;
    ShowWindow(Item(IDC_FILE_NAME), showFile ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_PLAY), showFile ? SW_SHOW : SW_HIDE);
    if (!isRunning) UpdateSupportLink();
    running = isRunning;
    if (isRunning)
        SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_STOP)), TRUE);
    else
        FocusIdleControl();
}

void MainDialog::FocusIdleControl() {
    OnIdle();  // Download's rule, for the boxes as they are now
    for (int id : {IDC_FILE_NAME, IDC_DOWNLOAD, IDC_URL}) {
        HWND control = Item(id);
        if (IsWindowVisible(control) && IsWindowEnabled(control)) {
            SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
            return;
        }
    }
}

void MainDialog::ShowOnTaskbar(TaskbarButton::State state, int value) {
    if (state == taskbarState && (value == taskbarValue || state == TaskbarButton::State::None)) return;
    taskbarState = state;
    taskbarValue = value;
    taskbar->Show(hwnd, state, value, 110);
}

void MainDialog::OnIdle() {
    auto rule = [this](int id, bool enable) {
        HWND control = Item(id);
        if (control && (IsWindowEnabled(control) != FALSE) != enable) EnableWindow(control, enable);
    };
    bool haveFolder = !GetControlText(Item(IDC_FOLDER)).empty();
    rule(IDC_DOWNLOAD, haveFolder && !GetControlText(Item(IDC_URL)).empty());
    rule(IDC_BROWSE, !running);
    rule(IDC_OPEN_FOLDER, haveFolder);
    for (int id : {IDC_STOP, IDC_PLAY, IDCANCEL}) rule(id, true);
}

void MainDialog::UpdateSupportLink() {
    srand(static_cast<unsigned>(time(nullptr)));
    UINT caption = IDS_FEATURE_REQUESTS + rand() % 3;
    supportLink.SetLink(FormatResString(IDS_MAILTO_FORMAT, FH_SUPPORT_EMAIL), FH_SUPPORT_EMAIL,
                        LoadResString(caption).c_str());
}

void MainDialog::ApplyKeepOnTop() {
    keepOnTop = IsDlgButtonChecked(hwnd, IDC_KEEP_ON_TOP) == BST_CHECKED;
    SetWindowPos(hwnd, keepOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool MainDialog::OnCommand(WORD id, WORD code, HWND control) {
    switch (id) {
    case IDC_DOWNLOAD: OnDownload(); return true;
    case IDC_STOP: OnStop(); return true;
    case IDC_BROWSE: OnBrowse(); return true;
    case IDC_OPEN_FOLDER: OnOpenFolder(); return true;
    case IDC_PLAY: OnPlay(); return true;
    case IDC_KEEP_ON_TOP:
        if (code == BN_CLICKED) ApplyKeepOnTop();
        return true;
    case IDC_AUTO_CLOSE:
        if (code == BN_CLICKED) autoClose = IsDlgButtonChecked(hwnd, IDC_AUTO_CLOSE) == BST_CHECKED;
        return true;
    case IDC_OPTIONS_LINK:
        if (code == STN_CLICKED) OnOptions();
        return true;
    case ID_OPTIONS: OnOptions(); return true;
    case ID_APP_ABOUT: OnAbout(); return true;
    case ID_HELP: OnHelp(); return true;
    default: return CBannerDialog::OnCommand(id, code, control);
    }
}

bool MainDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == taskbarButtonCreated && message != 0) {
        taskbar->Recreate(hwnd);
        return true;
    }
    switch (message) {
    case WM_DOWNLOAD_FINISHED: OnJobFinished(); return true;
    case WM_TIMER:
        if (wParam != kProgressTimer) break;
        ShowHeldBackProgress(false);
        return true;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case IDM_SYS_ABOUT: OnAbout(); return true;
        case IDM_SYS_OPTIONS: OnOptions(); return true;
        case IDM_SYS_HELP: OnHelp(); return true;
        default: return false;
        }
    case WM_CONTEXTMENU: ShowContextMenu(lParam); return true;
    // A failed job's mark on the taskbar button stays until the user
    // comes back to the window.
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !running) ShowOnTaskbar(TaskbarButton::State::None, 0);
        return false;
    // Files dropped anywhere on the window: the first folder goes to the
    // folder box. The default handling follows.
    case WM_DROPFILES: folderBox.AcceptDrop(reinterpret_cast<HDROP>(wParam)); return false;
    case WM_PAINT:
        if (!IsIconic(hwnd)) break;
        PaintIcon();
        return true;
    case WM_QUERYDRAGICON: *result = reinterpret_cast<LRESULT>(bigIcon); return true;
    case WM_DESTROY: OnDestroy(); return false;
    case WM_QUERYENDSESSION:
        OnEndSession();
        *result = TRUE;
        return true;
    case WM_ENDSESSION:
        if (wParam) OnEndSession();
        *result = 0;
        return true;
    }
    return CBannerDialog::HandleMessage(message, wParam, lParam, result);
}

void MainDialog::PaintIcon() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(hwnd, &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, bigIcon);
    EndPaint(hwnd, &paint);
}

void MainDialog::ShowContextMenu(LPARAM position) {
    POINT point = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    if (point.x == -1 && point.y == -1) {
        // From the keyboard (Shift+F10, the Menu key): at the focused control.
        HWND focus = GetFocus();
        RECT frame = {0, 0, 0, 0};
        if (focus && IsChild(hwnd, focus)) {
            GetWindowRect(focus, &frame);
            MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&frame), 2);
        }
        point = {frame.left + 5, frame.top + 5};
        ClientToScreen(hwnd, &point);
    }
    HMENU menu = LoadMenuA(AppInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    if (!menu) return;
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, hwnd, nullptr);
    DestroyMenu(menu);
}

void MainDialog::OnOptions() {
    FramehaulApp& app = FramehaulApp::Get();
    OptionsDialog options(hwnd, app.settings, [&app] { return app.GetInstallDir(); });
    if (options.DoModal() != IDOK) return;
    folderBox.SelectPath(options.DefaultFolder(), false);
    app.SaveSettings();
}

void MainDialog::OnAbout() {
    AboutDialog about(FramehaulApp::Get().fonts);
    about.DoModal();
}

void MainDialog::OnHelp() {
    ShellExecuteA(hwnd, "Open", FH_WEBSITE_URL, nullptr, nullptr, SW_SHOWNORMAL);
}

void MainDialog::OnBrowse() {
    CFolderPicker picker(LoadResString(IDS_SELECT_FOLDER), BIF_STATUSTEXT, hwnd);
    picker.SetSelectionOrVideos(GetControlText(folderBox));
    if (picker.DoModal() == IDOK) SetControlText(folderBox, picker.GetPath());
}

void MainDialog::OnOpenFolder() {
    std::string path = GetControlText(folderBox);
    if (PathFileExistsA(path.c_str()))
        ShellExecuteA(hwnd, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    else
        ShowMessage(hwnd, IDS_FOLDER_NOT_EXISTS);
}

void MainDialog::OnPlay() {
    std::string name = GetControlText(Item(IDC_FILE_NAME));
    if (name.empty()) return;
    std::string path = GetControlText(folderBox) + "\\" + name;
    if (!PathFileExistsA(path.c_str())) {
        ShowMessage(hwnd, IDS_FILE_NOT_EXISTS);
        return;
    }
    const std::string& program = FramehaulApp::Get().settings.Program;
    if (!program.empty() && PathFileExistsA(program.c_str()) && !PathIsDirectoryA(program.c_str())) {
        std::string quoted = "\"" + path + "\"";
        ShellExecuteA(hwnd, nullptr, program.c_str(), quoted.c_str(), nullptr, SW_SHOW);
    } else {
        ShellExecuteA(hwnd, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

DWORD MainDialog::TextDropEffect(OleDataObject& data, DWORD keyState) {
    if (!data.IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

DWORD MainDialog::OnDragEnter(OleDataObject& data, DWORD keyState, POINT) {
    return TextDropEffect(data, keyState);
}

DWORD MainDialog::OnDragOver(OleDataObject& data, DWORD keyState, POINT) {
    return TextDropEffect(data, keyState);
}

DWORD MainDialog::OnDropEx(OleDataObject& data, DWORD dropDefault, DWORD, POINT) {
    if (!data.IsDataAvailable(CF_TEXT) || dropDefault == DROPEFFECT_NONE) return DROPEFFECT_NONE;
    HGLOBAL block = data.GetGlobalData(CF_TEXT);
    if (!block) return DROPEFFECT_NONE;
    std::string text;
    const char* bytes = static_cast<const char*>(GlobalLock(block));
    if (bytes) {
        // The block need not end in a zero: read no further than its size.
        text.assign(bytes, strnlen(bytes, GlobalSize(block)));
        GlobalUnlock(block);
    }
    GlobalFree(block);
    if (!bytes || text.empty()) return DROPEFFECT_NONE;
    SetControlText(urlBox, text);
    SetForegroundWindow(hwnd);
    return dropDefault;
}

void MainDialog::RememberCheckBoxes() {
    AppSettings& settings = FramehaulApp::Get().settings;
    if (keepOnTop != savedKeepOnTop) settings.SetAlwaysOnTop(savedKeepOnTop = keepOnTop);
    if (autoClose != savedAutoClose) settings.SetAutoClose(savedAutoClose = autoClose);
}

void MainDialog::OnEndSession() {
    RememberCheckBoxes();
    FramehaulApp::Get().SaveSettings();
}

void MainDialog::OnDestroy() {
    dropTarget.reset();
    RememberCheckBoxes();
    if (FramehaulApp::Get().MainWindow() == hwnd) FramehaulApp::Get().SetMainWindow(nullptr);
}
