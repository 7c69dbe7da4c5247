// The message for a WinINet (or system) error code.
#pragma once
#include <windows.h>
#include <string>

// WinINet's own message for the code, else the system's; for
// ERROR_INTERNET_EXTENDED_ERROR the server's last response text. At most
// 254 characters, cut on a character boundary; empty when there is none.
std::string InternetErrorText(DWORD error);
