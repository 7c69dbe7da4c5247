// The program's own texts: string resources and the message-box convention.
#pragma once
#include <windows.h>
#include <string>

// The string resource, or an empty string when there is none.
std::string LoadResString(UINT id);
// The string resource with its "%s" replaced by value. The value is never
// read as a format.
std::string FormatResString(UINT id, const std::string& value);
// Replaces the first "%s" of format by value.
std::string FormatWithValue(const std::string& format, const std::string& value);

// A modal box with one OK button, the exclamation icon and the application
// name as caption, owned by owner (or the main window when owner is null).
int ShowMessage(HWND owner, UINT id);
int ShowMessage(HWND owner, UINT id, const std::string& value);
int ShowMessageText(HWND owner, const std::string& text);
