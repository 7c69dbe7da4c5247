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
H NullHandle() {
    return nullptr;
}
inline HANDLE InvalidFileHandle() {
    return INVALID_HANDLE_VALUE;
}

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
// A thread or an event: null when there is none.
using KernelHandle = UniqueHandle<HANDLE, CloseHandle>;
using InternetHandle = UniqueHandle<HINTERNET, InternetCloseHandle>;
template <typename T>
using GdiObject = UniqueHandle<T, DeleteObject>;
// A DC from CreateCompatibleDC.
using MemoryDc = UniqueHandle<HDC, DeleteDC>;

// Something taken for a while (a window's DC, a DC's selection or state),
// given back by Undo(context, value) when this goes; a value of zero means
// nothing was taken.
template <typename Context, typename Value, auto Undo>
class ScopedUndo {
public:
    ScopedUndo(Context context, Value value) : context(context), value(value) {}
    ~ScopedUndo() {
        if (value) Undo(context, value);
    }
    ScopedUndo(const ScopedUndo&) = delete;
    ScopedUndo& operator=(const ScopedUndo&) = delete;

    Value Get() const { return value; }
    explicit operator bool() const { return value != Value(); }

private:
    Context context;
    Value value;
};

inline void Reselect(HDC dc, HGDIOBJ previous) {
    SelectObject(dc, previous);
}

// A window's DC from GetDC, released again.
class WindowDc : public ScopedUndo<HWND, HDC, ReleaseDC> {
public:
    explicit WindowDc(HWND window) : ScopedUndo(window, GetDC(window)) {}
};

// An object selected into a DC for as long as this lives; a null object
// selects nothing.
class GdiSelection : public ScopedUndo<HDC, HGDIOBJ, Reselect> {
public:
    GdiSelection(HDC dc, HGDIOBJ object) : ScopedUndo(dc, object ? SelectObject(dc, object) : nullptr) {}
};

// Everything a drawing routine may change in a DC (selected objects,
// colours, modes, brush origin), put back as it was when this goes.
class SavedDcState : public ScopedUndo<HDC, int, RestoreDC> {
public:
    explicit SavedDcState(HDC dc) : ScopedUndo(dc, SaveDC(dc)) {}
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
