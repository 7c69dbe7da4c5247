// Small owners of the system's handles: each gives back what it holds when it
// goes out of scope, so that no early return leaks a key, a file or a GDI
// object, and no DC is left with another window's font selected.
// Header-only and free of the rest of the framework: Snagbar.dll uses it too.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <wininet.h>

// What an empty owner holds: null, or for a file INVALID_HANDLE_VALUE, which
// is what CreateFile fails with.
template <typename H>
H NullHandle() { return nullptr; }
inline HANDLE InvalidFileHandle() { return INVALID_HANDLE_VALUE; }

// A handle given back by Close when the owner goes.
template <typename H, auto Close, H (*Empty)() = NullHandle<H>>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : handle(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    H Get() const { return handle; }
    explicit operator bool() const { return handle != Empty(); }
    // For a call that hands its handle back through a pointer; whatever was
    // held is closed first.
    H* Put() {
        Reset();
        return &handle;
    }
    // Closes what is held and takes h.
    void Reset(H h = Empty()) {
        if (handle != Empty()) Close(handle);
        handle = h;
    }
    // Gives up ownership without closing.
    H Detach() {
        H h = handle;
        handle = Empty();
        return h;
    }

private:
    H handle = Empty();
};

using RegKey = UniqueHandle<HKEY, RegCloseKey>;
using FileHandle = UniqueHandle<HANDLE, CloseHandle, InvalidFileHandle>;
using InternetHandle = UniqueHandle<HINTERNET, InternetCloseHandle>;
template <typename T>
using GdiObject = UniqueHandle<T, DeleteObject>;
// A DC from CreateCompatibleDC.
using MemoryDc = UniqueHandle<HDC, DeleteDC>;

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
