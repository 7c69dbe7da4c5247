#include "controls/CFolderHistoryCombo.h"
#include "settings/RecentList.h"

void CFolderHistoryCombo::SetList(RecentList* recent) {
    list = recent;
    Refill();
}

int CFolderHistoryCombo::SelectPath(const std::string& path, bool add) {
    // An empty path changes nothing, not even the items.
    if (path.empty()) return -1;
    Refill();
    return CPathComboBoxEx::SelectPath(path, add);
}

void CFolderHistoryCombo::Refill() {
    if (!list) return;
    ClearItemsKeepingText();
    for (int i = 0; i < list->Capacity(); ++i) {
        const std::string& entry = (*list)[i];
        if (entry.empty()) break;
        AddPath(i, entry);
    }
}

void CFolderHistoryCombo::OnDropDown() {
    Refill();
    FitDropWidth();
}
