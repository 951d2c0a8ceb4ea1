// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small helpers the benchmarks share: timing and order statistics.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using BenchClock = std::chrono::steady_clock;

inline double millisecondsSince(BenchClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

// The value below which the given share of the samples lie (nearest rank).
inline double percentile(std::vector<double> samples, double share)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const size_t rank = std::min(samples.size() - 1, size_t(share * samples.size()));
    return samples[rank];
}

inline void printRow(const char *what, const std::vector<double> &ms)
{
    std::printf("  %-44s median %8.3f ms   p95 %8.3f ms   (n=%zu)\n", what, percentile(ms, 0.5),
                percentile(ms, 0.95), ms.size());
}

// Runs the event loop for `ms` and returns the longest time, in ms, between
// two turns of a 1 ms timer: how long the GUI thread was held meanwhile.
inline double LongestEventLoopPause(int ms)
{
    QEventLoop loop;
    QElapsedTimer since;
    double longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, double(since.nsecsElapsed()) / 1e6);
        since.restart();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    since.start();
    tick.start();
    loop.exec();
    return longest;
}
