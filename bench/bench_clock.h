// The benchmarks' clock: the performance counter in microseconds or milliseconds.
#pragma once

#include <windows.h>

inline double BenchMicroseconds()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

inline double BenchMilliseconds() { return BenchMicroseconds() / 1000.0; }

// Microseconds between two counter readings.
inline double Microseconds(LARGE_INTEGER t0, LARGE_INTEGER t1)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t1.QuadPart - t0.QuadPart) * 1e6 / static_cast<double>(f.QuadPart);
}
