// The message for a failed file operation, naming the file.
#pragma once
#include <windows.h>
#include <string>

// The text for the system error code of a file operation, with the file's
// full path where the message names it. A write that stored fewer bytes
// than asked counts as ERROR_DISK_FULL.
std::string FileErrorText(DWORD error, const std::string& path);
