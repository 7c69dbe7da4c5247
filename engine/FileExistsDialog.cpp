#include "engine/FileExistsDialog.h"
#include "framework/Strings.h"
#include "resources/resource.h"

FileExistsDialog::FileExistsDialog(HWND owner) : Dialog(IDD_FILE_EXISTS, owner) {}

BOOL FileExistsDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    // The question's template text holds "%s" for the name.
    HWND question = Item(IDC_EXISTS_TEXT);
    SetControlText(question, FormatWithValue(GetControlText(question), fileName));
    return TRUE;  // the focus goes to the first tab stop, the name field
}

void FileExistsDialog::DoDataExchange(DataExchange& dx) {
    DdxText(dx, IDC_FILE_NAME, fileName);
    DdxCheck(dx, IDC_ALWAYS_OVERWRITE, alwaysOverwrite);
}

bool FileExistsDialog::OnCommand(WORD id, WORD code, HWND control) {
    if (id == IDC_OVERWRITE_IT && code == BN_CLICKED) {
        UpdateData(true);
        EndDialog(ResultOverwrite);
        return true;
    }
    return Dialog::OnCommand(id, code, control);
}
