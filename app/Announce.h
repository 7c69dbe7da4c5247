// What a screen reader hears of a control whose text changes by itself
// (the main window's status line): told at the moments that matter, not
// on every progress text, and politely, without interrupting the user.
#pragma once
#include <windows.h>

// Marks the control as a polite live region, where the system knows them
// (Windows 8 and later); elsewhere the name-change event alone is raised.
void MarkPoliteLiveRegion(HWND control);
// The control's text changed in a way worth telling: its name changed, and
// its live region too. Any thread.
void AnnounceTextChange(HWND control);
