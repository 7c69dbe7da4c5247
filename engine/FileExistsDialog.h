// Asks what to do about an output file that already exists: overwrite it,
// save under the typed name, or give up.
#pragma once
#include <string>
#include "framework/Dialog.h"

class FileExistsDialog : public Dialog {
public:
    // Results of DoModal besides IDOK (use fileName) and IDCANCEL.
    enum { ResultOverwrite = 1051 };

    explicit FileExistsDialog(HWND owner);

    std::string fileName;     // on entry the proposed name, on exit the typed one
    int alwaysOverwrite = 0;  // the check box

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
};
