// A value that the job's worker reports faster than a person can read (a
// progress text, the bar's position): passed on at most once per interval.
// A value offered too soon after the last one passed on is held back; the
// window's timer, or the transfer's end, takes the latest held-back one.
// Not locked: its owner holds one lock around every call.
#pragma once
#include <windows.h>
#include <utility>

template <typename T>
class HeldBackValue {
public:
    // At most one value per `interval` milliseconds.
    explicit HeldBackValue(DWORD interval) : kInterval(interval) {}

    // A new transfer: the next value offered is passed on.
    void Reset() {
        held = false;
        lastPassed = GetTickCount() - kInterval;
    }
    // True when `value` is to be shown now; otherwise it is held back.
    // (Taken as it comes: a text held back for every chunk is copied into
    // the buffer already there, not into a new string.)
    template <typename U>
    bool Offer(U&& value) {
        DWORD now = GetTickCount();
        if (now - lastPassed < kInterval) {
            pending = std::forward<U>(value);
            held = true;
            return false;
        }
        lastPassed = now;
        held = false;
        return true;
    }
    // The held-back value, once its turn has come (at once with `now`).
    bool Take(T* value, bool now) {
        DWORD tick = GetTickCount();
        if (!held || (!now && tick - lastPassed < kInterval)) return false;
        *value = std::move(pending);
        held = false;
        lastPassed = tick;
        return true;
    }
    // Something newer than the held-back value is on screen.
    void Drop() { held = false; }

private:
    const DWORD kInterval;
    T pending{};
    bool held = false;
    DWORD lastPassed = 0;
};
