#pragma once

#include "core/AdrsSel.h"
#include "core/Env.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

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

// The best of Runs trials of each piece of work, the pieces taken in turns:
// a machine that slows down for a while slows them all, not the one that
// happened to run then, so their ratios hold. A trial returns the time of
// its work, in milliseconds, so that it can prepare untimed.
inline std::vector<double> bestOfEachMs(int runs, const std::vector<std::function<double()>> &trials)
{
    std::vector<double> best(trials.size(), 1e300);
    for (int i = 0; i < runs; ++i)
        for (std::size_t t = 0; t < trials.size(); ++t)
            best[t] = std::min(best[t], trials[t]());
    return best;
}

// The same for pieces of work timed whole.
inline std::vector<double> bestOfEachMs(int runs, const std::vector<std::function<void()>> &work)
{
    std::vector<std::function<double()>> trials;
    for (const std::function<void()> &w : work)
        trials.push_back([&w] { return bestOfMs(1, w); });
    return bestOfEachMs(runs, trials);
}

inline void report(const char *name, double value, const char *unit, double bar)
{
    std::printf("BENCH %s %.3f %s bar %g\n", name, value, unit, bar);
    std::fflush(stdout);
}

// Settings, registry files and books of a benchmark run live in a temporary
// home, so a run never reads or writes a user's own: the folders the system
// names come from the environment (set before the application object is
// made), the program's folders point into <home>/root/ and <home>/data/.
// The books are the data folder's, their folders made, the first one open.
inline void redirectToTemporaryHome(const QTemporaryDir &home, const QList<TAdrsFolderInfo> &books)
{
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "MURVEN_PROGRAM_DIR",
                             "MURVEN_APPDATA", "MURVEN_SETTINGS_ROOT"}) {
        const QString dir = home.filePath(QString::fromLatin1(name));
        QDir().mkpath(dir);
        qputenv(name, dir.toLocal8Bit());
    }
    qputenv("MURVEN_MACHINE_REGISTRY", home.filePath(QStringLiteral("machine.reg")).toLocal8Bit());
    qputenv("MURVEN_USER_REGISTRY", home.filePath(QStringLiteral("user.reg")).toLocal8Bit());
    const QString data = home.filePath(QStringLiteral("data/"));
    DataRoot = home.filePath(QStringLiteral("root/"));
    DataPath = data;
    AdrsPath = data + QStringLiteral("Adrs/");
    OtherPath = data + QStringLiteral("Other/");
    HistoryPath = data + QStringLiteral("History/");
    for (const QString &folder : {DataRoot, HistoryPath, OtherPath, AdrsPath})
        QDir().mkpath(folder);
    for (const TAdrsFolderInfo &book : books)
        QDir().mkpath(AdrsPath + book.Folder);
    AdrsFolderList = books;
    AdrsFolderIndex = books.isEmpty() ? -1 : 0;
    AdrsName = books.isEmpty() ? QString() : books.first().Name;
    FirstRun = DataPathChanged = MustSelectAdrs = false;
    // The greeting and the automatic update check are off, as after a user's
    // first start: a benchmark answers no dialog.
    TMemIniFile settings(SettingsFileName());
    settings.WriteBool(QStringLiteral("BASE"), QStringLiteral("Info"), false);
    if (!settings.UpdateFile())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(SettingsFileName()));
    UpdateCheck = false;
}
