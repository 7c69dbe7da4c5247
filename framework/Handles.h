// Small owners of the system's handles: each gives back what it holds when it
// goes out of scope, so that no early return leaks a key, a file or a GDI
// object, and no DC is left with another window's font selected.
// Header-only and free of the rest of the framework: Snagbar.dll uses it too.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <wininet.h>

// A handle closed by Traits::Close; Traits::Empty() is the value that holds
// nothing (null, or INVALID_HANDLE_VALUE for files).
template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const { return handle; }
    explicit operator bool() const { return handle != Traits::Empty(); }
    // For a call that hands its handle back through a pointer; whatever was
    // held is closed first.
    Handle* Put() {
        Reset();
        return &handle;
    }
    // Closes what is held and takes h.
    void Reset(Handle h = Traits::Empty()) {
        if (handle != Traits::Empty()) Traits::Close(handle);
        handle = h;
    }
    // Gives up ownership without closing.
    Handle Detach() {
        Handle h = handle;
        handle = Traits::Empty();
        return h;
    }

private:
    Handle handle = Traits::Empty();
};

struct RegKeyTraits {
    using Handle = HKEY;
    static HKEY Empty() { return nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
struct FileTraits {
    using Handle = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE file) { CloseHandle(file); }
};
struct InternetTraits {
    using Handle = HINTERNET;
    static HINTERNET Empty() { return nullptr; }
    static void Close(HINTERNET handle) { InternetCloseHandle(handle); }
};
template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static T Empty() { return nullptr; }
    static void Close(T object) { DeleteObject(object); }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static HDC Empty() { return nullptr; }
    static void Close(HDC dc) { DeleteDC(dc); }
};

using RegKey = UniqueHandle<RegKeyTraits>;
// A file from CreateFile, which fails with INVALID_HANDLE_VALUE, not null.
using FileHandle = UniqueHandle<FileTraits>;
using InternetHandle = UniqueHandle<InternetTraits>;
template <typename T>
using GdiObject = UniqueHandle<GdiObjectTraits<T>>;
// A DC from CreateCompatibleDC.
using MemoryDc = UniqueHandle<MemoryDcTraits>;

// A window's DC from GetDC, released again.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window(window), dc(GetDC(window)) {}
    ~WindowDc() {
        if (dc) ReleaseDC(window, dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return dc; }
    explicit operator bool() const { return dc != nullptr; }

private:
    HWND window;
    HDC dc;
};

// An object selected into a DC for as long as this lives; a null object
// selects nothing.
class GdiSelection {
public:
    GdiSelection(HDC dc, HGDIOBJ object) : dc(dc), previous(object ? SelectObject(dc, object) : nullptr) {}
    ~GdiSelection() {
        if (previous) SelectObject(dc, previous);
    }
    GdiSelection(const GdiSelection&) = delete;
    GdiSelection& operator=(const GdiSelection&) = delete;

private:
    HDC dc;
    HGDIOBJ previous;
};

// Everything a drawing routine may change in a DC (selected objects,
// colours, modes, brush origin), put back as it was when this goes.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) : dc(dc), saved(SaveDC(dc)) {}
    ~SavedDcState() {
        if (saved) RestoreDC(dc, saved);
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;

private:
    HDC dc;
    int saved;
};

// One reference to a COM object, released when this goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return pointer; }
    T* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }
    // For a call that hands out a reference through a pointer; a reference
    // already held is released first.
    T** Put() {
        Reset();
        return &pointer;
    }
    void Reset() {
        if (pointer) pointer->Release();
        pointer = nullptr;
    }

private:
    T* pointer = nullptr;
};
