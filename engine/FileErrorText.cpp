#include "engine/FileErrorText.h"
#include <vector>

namespace {

enum class FileCause {
    Generic,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    RemoveCurrentDir,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile
};

FileCause CauseOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return FileCause::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BAD_NETPATH:
    case ERROR_DIRECTORY: return FileCause::BadPath;
    case ERROR_TOO_MANY_OPEN_FILES: return FileCause::TooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED: return FileCause::AccessDenied;
    case ERROR_INVALID_HANDLE:
    case ERROR_INVALID_TARGET_HANDLE: return FileCause::InvalidFile;
    case ERROR_CURRENT_DIRECTORY: return FileCause::RemoveCurrentDir;
    case ERROR_CANNOT_MAKE: return FileCause::DirectoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK_ON_DEVICE: return FileCause::BadSeek;
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_IO_DEVICE:
    case ERROR_BAD_UNIT:
    case ERROR_NOT_DOS_DISK:
    case ERROR_WRONG_DISK: return FileCause::HardIO;
    case ERROR_SHARING_VIOLATION:
    case ERROR_SHARING_BUFFER_EXCEEDED: return FileCause::SharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_LOCK_FAILED:
    case ERROR_DRIVE_LOCKED: return FileCause::LockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileCause::DiskFull;
    case ERROR_HANDLE_EOF: return FileCause::EndOfFile;
    default: return FileCause::Generic;
    }
}

const char* MessageOf(FileCause cause) {
    switch (cause) {
    case FileCause::FileNotFound: return "%1 was not found.";
    case FileCause::BadPath: return "%1 contains an invalid path.";
    case FileCause::TooManyOpenFiles: return "%1 could not be opened because there are too many open files.";
    case FileCause::AccessDenied: return "Access to %1 was denied.";
    case FileCause::InvalidFile: return "An invalid file handle was associated with %1.";
    case FileCause::RemoveCurrentDir: return "%1 could not be removed because it is the current directory.";
    case FileCause::DirectoryFull: return "%1 could not be created because the directory is full.";
    case FileCause::BadSeek: return "Seek failed on %1";
    case FileCause::HardIO: return "A hardware I/O error was reported while accessing %1.";
    case FileCause::SharingViolation: return "A sharing violation occurred while accessing %1.";
    case FileCause::LockViolation: return "A locking violation occurred while accessing %1.";
    case FileCause::DiskFull: return "Disk full while accessing %1.";
    case FileCause::EndOfFile: return "An attempt was made to access %1 past its end.";
    case FileCause::Generic: break;
    }
    return "An unknown error occurred while accessing %1.";
}

std::string FullPath(const std::string& path) {
    DWORD length = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::vector<char> full(length + 1, '\0');
    length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return length == 0 || length >= full.size() ? path : std::string(full.data(), length);
}

}  // namespace

std::string FileErrorText(DWORD error, const std::string& path) {
    std::string text = MessageOf(CauseOf(error));
    // A plain replacement: the path is never read as a format.
    size_t at = text.find("%1");
    return text.replace(at, 2, FullPath(path));
}
