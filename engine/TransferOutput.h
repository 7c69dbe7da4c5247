// Where a transfer puts the bytes it reads: the watch page into memory,
// the stream into a file.
#pragma once
#include <windows.h>
#include <string>

class TransferOutput {
public:
    // Stores all count bytes, or fails; after a failure ErrorText says why.
    virtual bool Write(const char* data, size_t count) = 0;
    virtual std::string ErrorText() const = 0;

protected:
    ~TransferOutput() = default;
};

// The watch page in memory. It grows geometrically (a page is read in small
// chunks, and growing by a fixed step would copy it over and over) and
// refuses to grow past its limit, so that an endless or huge answer cannot
// exhaust the address space of a 32-bit process.
class PageBuffer : public TransferOutput {
public:
    static constexpr size_t kDefaultLimit = 32u * 1024 * 1024;

    explicit PageBuffer(size_t limit = kDefaultLimit) : limit(limit) {}

    bool Write(const char* data, size_t count) override;
    std::string ErrorText() const override;

    const std::string& Text() const { return text; }
    std::string TakeText() { return std::move(text); }

private:
    size_t limit;
    std::string text;
};

// An open file handle, not owned, with the path that names it in error
// texts.
class FileOutput : public TransferOutput {
public:
    FileOutput(HANDLE file, const std::string& path) : file(file), path(path) {}

    bool Write(const char* data, size_t count) override;
    std::string ErrorText() const override;

private:
    HANDLE file;
    std::string path;
    DWORD lastError = ERROR_SUCCESS;
};
