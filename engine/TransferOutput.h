// Where a transfer puts the bytes it reads: the watch page into memory,
// the stream into a file.
#pragma once
#include <windows.h>
#include <string>
#include "framework/Handles.h"

class TransferOutput {
public:
    // Stores all count bytes, or fails; after a failure ErrorText says why.
    virtual bool Write(const char* data, size_t count) = 0;
    virtual std::string ErrorText() const = 0;
    // The answer's Content-Type header (empty when it has none), told
    // before its first bytes.
    virtual void SetContentType(const std::string&) {}

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

    void SetContentType(const std::string& type) override { contentType = type; }

    const std::string& Text() const { return text; }
    std::string TakeText() { return std::move(text); }
    const std::string& ContentType() const { return contentType; }

private:
    size_t limit;
    std::string text;
    std::string contentType;
};

// A file, with the path that names it in error texts.
class FileOutput : public TransferOutput {
public:
    // An open file handle, not owned.
    FileOutput(HANDLE file, const std::string& path) : file(file), path(path) {}
    // The file at path, created (an existing one emptied) only when the
    // first bytes arrive or Create is called, so that a transfer which
    // brings nothing leaves an existing file as it was; or, when given, the
    // file the job made new for itself at path. Closed with this object.
    explicit FileOutput(const std::string& path, FileHandle claimed = FileHandle());
    ~FileOutput();
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    bool Write(const char* data, size_t count) override;
    std::string ErrorText() const override;
    // Creates the file unless it is open already; false when it cannot be.
    bool Create();
    bool CreateFailed() const { return createFailed; }
    // Removes the file the job made for itself when nothing was written to it.
    void GiveUpClaim();

private:
    // Cuts an existing file that this object opened to what it wrote.
    void DropOldContent();

    HANDLE file = INVALID_HANDLE_VALUE;  // the one written to
    FileHandle createdFile;              // the file this object made
    std::string path;
    bool owned = false;
    bool createFailed = false;
    bool oldContent = false;  // the opened file holds bytes past those written
    bool claimed = false;     // made new by the job, which may give it up
    bool wroteAny = false;
    DWORD lastError = ERROR_SUCCESS;
};
