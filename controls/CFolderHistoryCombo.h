// The folder box: a path box that lists a RecentList of folders and rebuilds
// its items from the list whenever its drop-down opens.
#pragma once
#include "controls/CPathComboBoxEx.h"

class RecentList;

class CFolderHistoryCombo : public CPathComboBoxEx {
public:
    explicit CFolderHistoryCombo(int pathFilter) : CPathComboBoxEx(pathFilter) {}

    // Binds the list (not owned; it must outlive the box) and refills.
    void SetList(RecentList* recent);
    // As the path box, after a refill: a folder moved to the top stays there
    // only until the next refill; the list itself is not changed.
    int SelectPath(const std::string& path, bool add) override;
    // Rebuilds the items from the list, most recent first, up to its first
    // empty entry. What the edit field shows is kept.
    virtual void Refill();

    RecentList* list = nullptr;

protected:
    void OnDropDown() override;
};
