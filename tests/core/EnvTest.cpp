#include "core/Env.h"

#include <gtest/gtest.h>

TEST(Env, settingsFileLivesInTheSettingsRoot)
{
    const QString saved = DataRoot;
    DataRoot = QStringLiteral("/tmp/root/");
    EXPECT_EQ(SettingsFileName(), QStringLiteral("/tmp/root/Murven19.ini"));
    DataRoot = saved;
}
