#pragma once
// What several benchmarks measure of their own process: CPU time and percentiles of a series.
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace kelvor::bench {

// User and system time of this process so far, in seconds.
inline double cpu_seconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The value below which the fraction p of the series lies (NaN for an empty series).
inline double percentile(std::vector<double> v, double p) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * double(v.size())))];
}

} // namespace kelvor::bench
