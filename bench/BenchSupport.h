#pragma once

#include <QElapsedTimer>

#include <cstdio>
#include <functional>

// Best of several runs, in milliseconds: the least disturbed measurement.
inline double bestOfMs(int runs, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (ms < best)
            best = ms;
    }
    return best;
}

inline void report(const char *name, double value, const char *unit, double bar)
{
    std::printf("BENCH %s %.3f %s bar %g\n", name, value, unit, bar);
    std::fflush(stdout);
}
