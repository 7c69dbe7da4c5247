// The message for a WinINet (or system) error code.
#pragma once
#include <windows.h>
#include <string>

// WinINet's own message for the code, else the system's; for
// ERROR_INTERNET_EXTENDED_ERROR the server's last response text. Where
// there is none, the program's own text for the code, or one that names
// it. At most 254 characters, cut on a character boundary.
std::string InternetErrorText(DWORD error);
