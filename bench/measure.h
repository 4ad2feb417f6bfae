#pragma once

// What the benchmarks measure with: the process's CPU time, medians, and its
// memory as the kernel counts it.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <algorithm>
#include <ctime>

namespace kvrbench {

inline double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

inline double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

// A line of /proc/self/status in MiB: "VmHWM:" the peak, "VmRSS:" now.
inline double statusMiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

inline double peakMiB() { return statusMiB("VmHWM:"); }
inline double rssMiB() { return statusMiB("VmRSS:"); }

} // namespace kvrbench
