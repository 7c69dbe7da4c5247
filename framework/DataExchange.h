// Moves values between a dialog's controls and its members in one step.
#pragma once
#include <windows.h>
#include <string>

struct DataExchange {
    HWND dialog;
    bool save;  // true: controls to members; false: members to controls
};

void DdxText(DataExchange& dx, int id, std::string& value);
// A check box's state: 0 unchecked, 1 checked, 2 indeterminate.
void DdxCheck(DataExchange& dx, int id, int& value);
