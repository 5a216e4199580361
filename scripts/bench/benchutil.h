#pragma once

// Small helpers shared by the in-process benchmark programs.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

// Milliseconds since `clock` started, with sub-millisecond resolution.
inline double elapsedMs(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e6;
}

// Prints "<label> <median> <worst>" in milliseconds, the form
// scripts/bench.sh reads.
inline void printSummary(const char *label, std::vector<double> values)
{
    if (values.empty()) {
        std::printf("%s - -\n", label);
        return;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    std::printf("%s %.3f %.3f\n", label, median, values.back());
    std::fflush(stdout);
}

// This process's resident memory in MB, from /proc.
inline double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

} // namespace bench
