#include "controls/CUrlHistoryCombo.h"
#include "settings/RecentList.h"

void CUrlHistoryCombo::SetList(RecentList* recent) {
    list = recent;
    Refill();
}

int CUrlHistoryCombo::SelectText(const std::string& text, bool add) {
    if (text.empty()) return -1;
    int found = FindExact(0, text);
    if (found >= 0) return MoveToTop(found, text, false);
    if (add) {
        int index = InsertItem(0, text, -1, -1);
        SetCurSel(index);
        return index;
    }
    SetWindowTextA(hwnd, text.c_str());
    return -1;
}

void CUrlHistoryCombo::Refill() {
    if (!list) return;
    ClearItemsKeepingText();
    for (int i = 0; i < list->Capacity(); ++i) {
        const std::string& entry = (*list)[i];
        if (entry.empty()) break;
        InsertItem(i, entry, -1, -1);
    }
}

void CUrlHistoryCombo::OnDropDown() {
    Refill();
    FitDropWidth();
}
