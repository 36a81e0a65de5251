#pragma once

// Small figures every benchmark here takes of its samples and of the process.
#include <sys/resource.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace benchfigures {

// The median of the samples; 0 for none.
inline double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// CPU time of the whole process so far, user and system, in seconds.
inline double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace benchfigures
