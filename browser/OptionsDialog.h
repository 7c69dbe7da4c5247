// The Options dialog: overwrite, default folder, player program, start
// from the browser, and Internet Explorer's entries. Edits a working copy;
// only OK moves it into the settings (and writes changed browser entries).
#pragma once
#include <string>
#include "controls/CFolderHistoryCombo.h"
#include "framework/Dialog.h"

class OptionsDialog : public Dialog {
public:
    explicit OptionsDialog(HWND parent);

    CFolderHistoryCombo folderBox{CPathComboBoxEx::kAcceptFiles};
    std::string defaultFolder;
    int autoStart;
    int contextMenu = 0;
    int enable = 0;
    int toolbarButton = 0;
    int toolsMenu = 0;
    std::string program;
    int alwaysOverwrite;
    // The integration as found when the dialog opened.
    int initialEnable = 0;
    int initialContextMenu = 0;
    int initialToolbarButton = 0;
    int initialToolsMenu = 0;

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
};
