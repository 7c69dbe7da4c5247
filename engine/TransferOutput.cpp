#include "engine/TransferOutput.h"
#include "engine/FileErrorText.h"

bool PageBuffer::Write(const char* data, size_t count) {
    if (count > limit - text.size()) return false;
    // std::string grows its capacity geometrically, so the page is copied
    // a logarithmic number of times whatever the chunk size.
    text.append(data, count);
    return true;
}

std::string PageBuffer::ErrorText() const {
    return "The page is larger than " + std::to_string(limit / (1024 * 1024)) + " MB.";
}

bool FileOutput::Create() {
    if (file != INVALID_HANDLE_VALUE) return true;
    if (!owned || createFailed) return false;
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    createdFile.Reset(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    file = createdFile.Get();
    if (file != INVALID_HANDLE_VALUE) return true;
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
    }
    return true;
}

std::string FileOutput::ErrorText() const {
    return FileErrorText(lastError, path);
}
