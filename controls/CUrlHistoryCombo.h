// The address box: lists a RecentList of video addresses and rebuilds its
// items from the list whenever its drop-down opens.
#pragma once
#include "controls/CItemComboBoxEx.h"

class RecentList;

class CUrlHistoryCombo : public CItemComboBoxEx {
public:
    // Binds the list (not owned; it must outlive the box) and refills.
    void SetList(RecentList* recent);
    // As CPathComboBoxEx::SelectPath, for addresses and without icons.
    virtual int SelectText(const std::string& text, bool add);
    // Rebuilds the items from the list, most recent first, up to its first
    // empty entry. What the edit field shows is kept.
    virtual void Refill();

    RecentList* list = nullptr;

protected:
    void OnDropDown() override;
};
