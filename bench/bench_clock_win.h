#pragma once
// The benchmarks' clock (seconds from the performance counter), their
// figures, and their main.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace vigilor {

inline double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double MedianMs(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2] * 1000.0;
}

// "<what> <median> ms  [<each sample>]", what padded to the width.
inline void PrintFigure(const std::string& what, const std::vector<double>& samples, int width) {
    std::printf("%-*s %8.1f ms  [", width, what.c_str(), MedianMs(samples));
    for (size_t i = 0; i < samples.size(); ++i) std::printf(i ? " %.0f" : "%.0f", samples[i] * 1000.0);
    std::printf("]\n");
}

// A benchmark's run, its failure said on stderr with exit code 2.
template <class Run>
int RunBenchmark(Run run, int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
}

}  // namespace vigilor
