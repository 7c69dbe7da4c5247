// Timing for the benchmark's helper programs.
#pragma once
#include <windows.h>

// CPU seconds this process has spent so far, in user mode and in the
// kernel: unlike the wall clock, user time hardly depends on how the
// machine's other processes or the network path happen to be scheduled.
inline void ProcessCpuSeconds(double* user, double* kernel) {
    FILETIME created, exited, kernelTime, userTime;
    *user = *kernel = 0;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelTime, &userTime)) return;
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    *user = seconds(userTime);
    *kernel = seconds(kernelTime);
}

// Seconds between two QueryPerformanceCounter readings.
inline double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}
