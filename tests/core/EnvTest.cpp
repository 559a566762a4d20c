#include "core/Env.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <utility>

TEST(Env, settingsFileLivesInTheSettingsRoot)
{
    const QString saved = DataRoot;
    DataRoot = QStringLiteral("/tmp/root/");
    EXPECT_EQ(SettingsFileName(), QStringLiteral("/tmp/root/Murven19.ini"));
    DataRoot = saved;
}

TEST(Env, dataPathPointsEveryDataFolderUnderIt)
{
    const std::array<QString, 8> saved{DataPath, AdrsPath, OtherPath, HistoryPath, LayoutPath, LabelPath, CardPath, DesignPath};
    SetDataPath(QStringLiteral("/tmp/data/"));
    const std::pair<const QString *, const char *> cases[] = {
        {&DataPath, "/tmp/data/"},           {&AdrsPath, "/tmp/data/Adrs/"},     {&OtherPath, "/tmp/data/Other/"},
        {&HistoryPath, "/tmp/data/History/"}, {&LayoutPath, "/tmp/data/Layout/"}, {&LabelPath, "/tmp/data/Label/"},
        {&CardPath, "/tmp/data/Card/"},       {&DesignPath, "/tmp/data/Design/"},
    };
    for (const auto &[folder, expected] : cases)
        EXPECT_EQ(*folder, QString::fromLatin1(expected));
    std::tie(DataPath, AdrsPath, OtherPath, HistoryPath) = std::tie(saved[0], saved[1], saved[2], saved[3]);
    std::tie(LayoutPath, LabelPath, CardPath, DesignPath) = std::tie(saved[4], saved[5], saved[6], saved[7]);
}
