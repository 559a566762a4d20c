#pragma once

#include "core/Env.h"

#include <QString>

#include <array>

// The program's folder variables pointed into a temporary home for one test
// and restored when it ends: <home>/root/ is the settings root, <home>/data/
// the data folder with Adrs/, Other/ and History/ below it. The folders are
// not created. For tests that link the core library (the variables live
// there).
class ScopedDataFolders
{
public:
    explicit ScopedDataFolders(const QString &home)
    {
        const QString data = home + QStringLiteral("/data/");
        DataRoot = home + QStringLiteral("/root/");
        DataPath = data;
        AdrsPath = data + QStringLiteral("Adrs/");
        OtherPath = data + QStringLiteral("Other/");
        HistoryPath = data + QStringLiteral("History/");
    }
    ~ScopedDataFolders()
    {
        for (std::size_t i = 0; i < m_vars.size(); ++i)
            *m_vars[i] = m_saved[i];
    }
    ScopedDataFolders(const ScopedDataFolders &) = delete;
    ScopedDataFolders &operator=(const ScopedDataFolders &) = delete;

private:
    const std::array<QString *, 5> m_vars{&DataRoot, &DataPath, &AdrsPath, &OtherPath, &HistoryPath};
    const std::array<QString, 5> m_saved{DataRoot, DataPath, AdrsPath, OtherPath, HistoryPath};
};
