// The item operations the program's extended combo boxes share. The drop-down
// list is made wide enough for the widest item whenever it opens.
#pragma once
#include <string>
#include "framework/ComboBoxEx.h"

class CItemComboBoxEx : public ComboBoxEx {
public:
    // The text of the edit field, or the box's own text without one.
    virtual std::string GetText() const;
    // Empty when there is no such item.
    virtual std::string GetItemText(int index) const;
    // False, outputs untouched, when the item cannot be read.
    virtual bool GetItemImage(int index, int& image, int& selectedImage) const;
    // selectedImage -1 means the same as image. The new index, or -1.
    virtual int InsertItem(int index, const std::string& text, int image, int selectedImage = -1);
    virtual int InsertIndentedItem(int index, const std::string& text, int indent, int image, int selectedImage = -1);
    // The first item from start on whose text matches, or -1. Here: equal
    // but for letter case, by the collation of the ANSI code page's locale.
    virtual int FindExact(int start, const std::string& text) const;
    virtual void SetItemImage(int index, int image, int selectedImage = -1);
    // Sizes the drop-down list to its widest item.
    virtual void FitDropWidth();

    bool OnReflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // The drop-down list is about to open.
    virtual void OnDropDown() { FitDropWidth(); }
    // Replaces item `found` by text at the top, with the item's images or
    // -1, and selects it. Returns the new index, or -1.
    int MoveToTop(int found, const std::string& text, bool keepImages);
    // Removes every item but keeps what the edit field shows: a text typed
    // there must survive a look at the drop-down.
    void ClearItemsKeepingText();
};
