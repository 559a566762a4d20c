#include "dialogs/PrtMenu.h"
#include "support/Screenshot.h"

#include <QCheckBox>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

TEST(PrintMenu, WithoutRecentFileOpensOnNewAndCannotReopen)
{
    TPrintMenuDialog d(nullptr);
    d.SetDocKind(0);
    d.SetChoice(0);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("宛名印刷　メニュー"));
    EXPECT_EQ(d.findChild<QRadioButton *>(QStringLiteral("rbNew"))->text(), QStringLiteral("新規に宛名面を作成する"));
    EXPECT_FALSE(d.findChild<QRadioButton *>(QStringLiteral("rbContinue"))->isEnabled());
    EXPECT_EQ(d.GetChoice(), 0);
    EXPECT_TRUE(d.GetShowMenu());
    saveScreenshot(&d, QStringLiteral("PrintMenuDialog"));
}

TEST(PrintMenu, OpenWithOptionClearedReturnsOneAndNoMenu)
{
    TPrintMenuDialog d(nullptr);
    d.SetDocKind(3);
    d.SetChoice(2);
    EXPECT_TRUE(d.findChild<QRadioButton *>(QStringLiteral("rbContinue"))->isEnabled());
    d.findChild<QRadioButton *>(QStringLiteral("rbOpen"))->setChecked(true);
    d.findChild<QCheckBox *>(QStringLiteral("ckbShowMenu"))->setChecked(false);
    EXPECT_EQ(d.GetChoice(), 1);
    EXPECT_FALSE(d.GetShowMenu());
    EXPECT_EQ(d.findChild<QRadioButton *>(QStringLiteral("rbNew"))->text(), QStringLiteral("新規に文面を作成する"));
}

} // namespace
