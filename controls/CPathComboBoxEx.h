// A box for a file-system path: shell autocompletion in its edit field,
// letter-case-blind matching of paths, and files or folders dropped on it
// from the shell (its owner calls DragAcceptFiles).
#pragma once
#include <string>
#include "controls/CItemComboBoxEx.h"
#include "controls/CPathEditCtrl.h"
#include "regex/MbText.h"

class CPathComboBoxEx : public CItemComboBoxEx {
public:
    enum PathFilter { kAcceptFiles = 1, kAcceptFolders = 2 };

    // pathFilter as it stands when the edit field is attached also picks
    // the autocompletion source: files only (kAcceptFiles), folders only
    // (kAcceptFolders), else both.
    explicit CPathComboBoxEx(int pathFilter) : pathFilter(pathFilter) {}

    // Same path: equal but for letter case; where double-byte text is
    // possible, also the same length with every double-byte character equal.
    int FindExact(int start, const std::string& text) const override;
    // Inserts the path with its small system icon; returns its index.
    virtual int AddPath(int index, const std::string& path);
    // Shows the path: a listed one moves to the top and is selected, an
    // unlisted one is added at the top when add is set and only shown in
    // the edit field otherwise. Returns the selected index, or -1.
    virtual int SelectPath(const std::string& path, bool add);

    // Shows the first of the dropped paths that this box accepts, ends the
    // drop and brings the box's window to the front. For files dropped on
    // the box itself and on a window that passes its drops on to it.
    void AcceptDrop(HDROP drop);

    bool Attach(HWND window) override;
    bool OnReflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Whether every double-byte character of a matches the one of b at the
    // same place, byte for byte (the rest may differ in letter case).
    static bool SameDoubleByteChars(const std::string& a, const std::string& b, mbtext::LeadByteFn isLeadByte);

    CPathEditCtrl edit;
    int pathFilter;

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void AttachEdit();
    // Gives the edit field the small system icon of the path it holds.
    void ShowTextIcon();
    bool Qualifies(const char* name) const;
};
