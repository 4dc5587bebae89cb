#pragma once
// The benchmarks' clock: seconds from the performance counter.
#include <windows.h>

namespace vigilor {

inline double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace vigilor
