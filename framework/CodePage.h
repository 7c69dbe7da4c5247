// The code pages text comes in, and how the text helpers read them. The
// program's ANSI code page is UTF-8 where the system honours the manifest's
// declaration (Windows 10 1903 and later), else the system's own one.
#pragma once
#include <windows.h>
#include <string>
#include "regex/MbText.h"

// The lead-byte test that reads text of the code page (CP_ACP: the
// process's): UTF-8's, a double-byte code page's, or null for a single-byte
// one.
mbtext::LeadByteFn LeadByteTestOf(UINT codePage);
mbtext::LeadByteFn AnsiLeadByteTest();

// The system's own ANSI code page, the one a program gets that does not
// declare UTF-8 (1252, 932, ...).
UINT LegacyCodePage();

// Text of the code page in UTF-16; a byte sequence that names no character
// becomes U+FFFD or the code page's default character.
std::wstring ToWide(const std::string& text, UINT codePage);
// UTF-16 text in the code page. Where it cannot hold a character, the
// system's closest look-alike stands for it ("e" for "ě" in 1252), or "_"
// when it knows none; UTF-8 holds every character.
std::string FromWide(const std::wstring& text, UINT codePage);

// The longest start of ANSI text, in whole characters, of at most `units`
// UTF-16 units: what fits where Windows counts characters (MAX_PATH).
std::string CutToUnits(const std::string& text, size_t units);
