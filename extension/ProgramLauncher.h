// Starts the program with a web address, on behalf of DownloadVideo. The
// address comes from whatever page the browser shows, so it is treated as
// hostile: it must reach the program as exactly one argument. It stays in
// UTF-16 on its way: the browser's ANSI code page may lack its characters,
// and the program reads its command line in its own code page.
#pragma once

#include <windows.h>

#include <string>

class ProgramLauncher {
public:
    // CreateProcess takes at most 32,767 characters of command line; stay
    // well clear of it rather than let the start fail halfway.
    static const size_t MaxCommandLine = 32000;

    // Starts "<InstallDir>\Framehaul.exe" with the quoted link (up to its
    // first null character) as its only argument. False when nothing was
    // started because the install folder is unknown, the program path
    // reaches MAX_PATH or the command line would be too long; whether the
    // start itself succeeded is not known.
    static bool Start(const wchar_t* link);

    // "InstallDir" below HKCU's application key; false when it is missing,
    // empty, not a string or too long to be part of a command line.
    static bool ReadInstallDir(std::wstring& folder);

    // The link as one command-line argument in double quotes: quotes inside
    // become %22, as in any URL, and backslashes before the closing quote
    // are doubled so that it stays a closing quote.
    static std::wstring QuoteArgument(const std::wstring& link);
};
