#include "engine/TransferOutput.h"
#include "engine/FileErrorText.h"
#include "framework/Strings.h"
#include "resources/resource.h"

bool PageBuffer::Write(const char* data, size_t count) {
    if (count > limit - text.size()) return false;
    // std::string grows its capacity geometrically, so the page is copied
    // a logarithmic number of times whatever the chunk size.
    text.append(data, count);
    return true;
}

std::string PageBuffer::ErrorText() const {
    return FormatResString(IDS_PAGE_TOO_LARGE, std::to_string(limit / (1024 * 1024)));
}

FileOutput::FileOutput(const std::string& path, FileHandle claimedFile)
    : createdFile(std::move(claimedFile)), path(path), owned(true), claimed(static_cast<bool>(createdFile)) {
    file = createdFile.Get();
}

bool FileOutput::Create() {
    if (file != INVALID_HANDLE_VALUE) return true;
    if (!owned || createFailed) return false;
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    // Not CREATE_ALWAYS: a file emptied to nothing and then written is
    // flushed to disk when it is closed on some file systems (ext4, under
    // Wine), which for a big stream delays the job's end by a large part of
    // a second. An existing file is cut to the first bytes written instead.
    createdFile.Reset(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    file = createdFile.Get();
    if (file != INVALID_HANDLE_VALUE) {
        oldContent = GetLastError() == ERROR_ALREADY_EXISTS;
        return true;
    }
    lastError = GetLastError();
    createFailed = true;
    return false;
}

bool FileOutput::Write(const char* data, size_t count) {
    if (!Create()) return false;
    while (count > 0) {
        DWORD part = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!WriteFile(file, data, part, &written, nullptr)) {
            lastError = GetLastError();
            return false;
        }
        if (written < part) {
            lastError = ERROR_DISK_FULL;
            return false;
        }
        data += written;
        count -= written;
        wroteAny = true;
        DropOldContent();
    }
    return true;
}

void FileOutput::DropOldContent() {
    if (oldContent && SetEndOfFile(file)) oldContent = false;
}

void FileOutput::GiveUpClaim() {
    if (!claimed || wroteAny) return;
    claimed = false;
    // Through its own handle: once closed, the name could be another
    // window's file.
    FILE_DISPOSITION_INFO dispose = {TRUE};
    if (!SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof(dispose))) return;
    createdFile.Reset();
    file = INVALID_HANDLE_VALUE;
}

FileOutput::~FileOutput() {
    // Nothing written over it: the file is emptied, as made anew.
    if (createdFile) DropOldContent();
}

std::string FileOutput::ErrorText() const {
    return FileErrorText(lastError, path);
}
