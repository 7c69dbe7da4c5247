// Between a resolved video and its transfer: the folder, the file name, an
// existing file, and the transfer into the created file.
#pragma once
#include <windows.h>
#include <string>
#include "engine/HttpDownloader.h"
#include "engine/VideoInfo.h"
#include "framework/Handles.h"

// True when the folder exists afterwards; creates every missing level
// ("\" separates levels; a double-byte character's trail byte does not).
bool EnsureFolder(const std::string& folder);

// The text as a file name stem that Windows stores as a plain file once
// ".flv" follows: the nine reserved characters and control characters
// become spaces, and a stem that would name a device (CON, NUL, COM1, ...)
// gets an underscore after the device name.
std::string MakeFileName(const std::string& text);

// folder + "\" + stem + ".flv", the stem cut on a character boundary so
// that the path stays within MAX_PATH and the name within 255 characters
// (both counted in UTF-16 units, when the folder leaves room), and under Wine
// the name within the 255 bytes of UTF-8 the host's file system takes.
std::string OutputPathFor(const std::string& folder, const std::string& stem);

// Where a job's stream goes: the path, and the file itself when the job
// made it new the moment its name was settled, so that another window
// settling on the same name finds it there (and asks) instead of replacing
// it unasked. No claimed file where an existing one is to be replaced: it
// keeps its content until the stream answers.
struct OutputTarget {
    OutputTarget(std::string path = std::string(), FileHandle claimed = FileHandle())
        : path(std::move(path)), claimed(std::move(claimed)) {}
    std::string path;
    FileHandle claimed;
};

// The output for the video: its title (or "untitled<ticks>") made a file
// name in folder. A file of that name is made new there at once; an existing
// one is replaced when alwaysOverwrite is set; otherwise FileExistsDialog
// (owned by owner) decides, and its "always overwrite" tick goes to
// *ticked when it was left with OK or "Overwrite It". False when the user
// cancelled the dialog.
bool PrepareOutputPath(const std::string& folder, const VideoInfo& info, HWND owner, int alwaysOverwrite,
                       OutputTarget* target, int* ticked = nullptr);

// Transfers the stream into the target's file, which is created (or emptied)
// when the first bytes arrive unless the job made it already; an HTTP error
// answer counts as a failed transfer, and a connection lost mid-stream is
// resumed where the server allows it. Shows 2118 when the file cannot be
// created. The file is closed, never deleted, whatever the outcome; only a
// file the job made itself and that got nothing is removed again.
bool DownloadToFile(HttpDownloader& downloader, const std::string& streamUrl, OutputTarget target, HWND owner);
