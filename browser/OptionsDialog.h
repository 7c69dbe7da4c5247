// The Options dialog: overwrite, default folder, player program, start
// from the browser, and Internet Explorer's entries. Edits a working copy;
// only OK moves it into the settings (and writes changed browser entries).
#pragma once
#include <functional>
#include <string>
#include "controls/CFolderHistoryCombo.h"
#include "framework/Dialog.h"
#include "settings/AppSettings.h"

class OptionsDialog : public Dialog {
public:
    // OK moves the choices into settings; installDir is the browser entries'
    // install folder (see BrowserIntegration).
    OptionsDialog(HWND parent, AppSettings& settings, std::function<std::string()> installDir);

    // The default folder chosen, once the dialog ended with OK.
    const std::string& DefaultFolder() const { return defaultFolder; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override;

private:
    void EnableIntegrationBoxes();
    void OnEnableClicked();
    void OnBrowseFolder();
    void OnBrowseProgram();

    AppSettings& settings;
    std::function<std::string()> installDir;

    CFolderHistoryCombo folderBox{CPathComboBoxEx::kAcceptFiles};
    std::string defaultFolder;
    int autoStart;
    int contextMenu = 0;
    int enable = 0;
    int toolbarButton = 0;
    int toolsMenu = 0;
    std::string program;
    int alwaysOverwrite;
    // The preferences as they were when the dialog opened: only what the
    // user changed is given to the settings.
    const int openedAlwaysOverwrite;
    const std::string openedDefaultFolder;
    const int openedAutoStart;
    const std::string openedProgram;
    // The integration as found when the dialog opened.
    int initialEnable = 0;
    int initialContextMenu = 0;
    int initialToolbarButton = 0;
    int initialToolsMenu = 0;
};
