// A watch page's character set: which code page its bytes are in, and the
// text of its title in the program's own code page.
#pragma once
#include <windows.h>
#include <string>

// The code page of a charset name as pages and servers write it
// ("utf-8", "Shift_JIS", "iso-8859-1", ...), in any letter case; 0 when the
// name is unknown or the system lacks the code page.
UINT CodePageOfCharset(const std::string& label);

// The code page the page's bytes are in: the charset of its Content-Type
// header, else of its first <meta charset> or <meta http-equiv=
// "Content-Type"> before its title, else the system's own ANSI code page.
UINT PageCodePage(const std::string& page, const std::string& contentType);

// Text of the page read in the page's code page, with its character
// references decoded, in the code page `to` (CP_ACP: the process's).
std::string DecodePageText(const std::string& bytes, UINT pageCodePage, UINT to = CP_ACP);
