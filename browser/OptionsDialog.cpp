#include "browser/OptionsDialog.h"
#include <shlobj.h>
#include "browser/BrowserIntegration.h"
#include "controls/CFileDialogEx.h"
#include "controls/CFolderPicker.h"
#include "framework/Strings.h"
#include "resources/resource.h"

OptionsDialog::OptionsDialog(HWND parent, AppSettings& settings, std::function<std::string()> installDir)
    : Dialog(IDD_OPTIONS, parent),
      settings(settings),
      installDir(std::move(installDir)),
      openedAlwaysOverwrite(settings.AlwaysOverwrite != 0),
      openedDefaultFolder(settings.DefaultFolder),
      openedAutoStart(settings.AutoStart != 0),
      openedProgram(settings.Program) {
    alwaysOverwrite = openedAlwaysOverwrite;
    defaultFolder = openedDefaultFolder;
    autoStart = openedAutoStart;
    program = openedProgram;
}

void OptionsDialog::DoDataExchange(DataExchange& dx) {
    DdxText(dx, IDC_FOLDER, defaultFolder);
    DdxCheck(dx, IDC_AUTO_START, autoStart);
    DdxCheck(dx, IDC_IE_CONTEXT_MENU, contextMenu);
    DdxCheck(dx, IDC_IE_ENABLE, enable);
    DdxCheck(dx, IDC_IE_TOOLBAR_BUTTON, toolbarButton);
    DdxCheck(dx, IDC_IE_TOOLS_MENU, toolsMenu);
    DdxText(dx, IDC_PROGRAM, program);
    DdxCheck(dx, IDC_ALWAYS_OVERWRITE, alwaysOverwrite);
}

BOOL OptionsDialog::OnInitDialog() {
    folderBox.AttachDlgItem(hwnd, IDC_FOLDER);
    BrowserIntegration integration(installDir);
    enable = integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu) != BrowserIntegration::None;
    initialEnable = enable;
    initialContextMenu = contextMenu;
    initialToolbarButton = toolbarButton;
    initialToolsMenu = toolsMenu;
    UpdateData(false);
    folderBox.SetList(settings.RecentFolders.get());
    if (!defaultFolder.empty()) folderBox.SelectPath(defaultFolder, false);
    EnableIntegrationBoxes();
    return TRUE;
}

void OptionsDialog::EnableIntegrationBoxes() {
    for (int id : {IDC_IE_CONTEXT_MENU, IDC_IE_TOOLBAR_BUTTON, IDC_IE_TOOLS_MENU}) EnableWindow(Item(id), enable != 0);
}

bool OptionsDialog::OnCommand(WORD id, WORD code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_IE_ENABLE: OnEnableClicked(); return true;
        case IDC_BROWSE_FOLDER: OnBrowseFolder(); return true;
        case IDC_BROWSE_PROGRAM: OnBrowseProgram(); return true;
        }
    }
    return Dialog::OnCommand(id, code, control);
}

void OptionsDialog::OnEnableClicked() {
    enable = IsDlgButtonChecked(hwnd, IDC_IE_ENABLE) == BST_CHECKED;
    EnableIntegrationBoxes();
    if (enable)
        for (int id : {IDC_IE_CONTEXT_MENU, IDC_IE_TOOLBAR_BUTTON, IDC_IE_TOOLS_MENU})
            CheckDlgButton(hwnd, id, BST_CHECKED);
}

void OptionsDialog::OnBrowseFolder() {
    CFolderPicker picker(LoadResString(IDS_SELECT_DEFAULT_FOLDER), BIF_STATUSTEXT | BIF_NONEWFOLDERBUTTON, hwnd);
    picker.SetSelectionOrVideos(GetControlText(Item(IDC_FOLDER)));
    if (picker.DoModal() == IDOK) SetControlText(Item(IDC_FOLDER), picker.GetPath());
}

void OptionsDialog::OnBrowseProgram() {
    program = GetControlText(Item(IDC_PROGRAM));
    CFileDialogEx dialog(true, nullptr, program.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ALLOWMULTISELECT,
                         "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*||", nullptr);
    if (dialog.DoModal() == IDOK) SetControlText(Item(IDC_PROGRAM), dialog.GetPathName());
}

void OptionsDialog::OnOK() {
    UpdateData(true);
    if ((alwaysOverwrite != 0) != (openedAlwaysOverwrite != 0)) settings.SetAlwaysOverwrite(alwaysOverwrite);
    if (defaultFolder != openedDefaultFolder) settings.SetDefaultFolder(defaultFolder);
    if ((autoStart != 0) != (openedAutoStart != 0)) settings.SetAutoStart(autoStart);
    if (program != openedProgram) settings.SetProgram(program);
    if (enable != initialEnable || contextMenu != initialContextMenu || toolbarButton != initialToolbarButton ||
        toolsMenu != initialToolsMenu) {
        BrowserIntegration integration(installDir);
        integration.Apply(enable, contextMenu, toolbarButton, toolsMenu);
    }
    Dialog::OnOK();
}
