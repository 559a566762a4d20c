#include "core/Env.h"
#include "core/Environment.h"
#include "dialogs/LytFont.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/Screenshot.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

class LayoutFont : public ::testing::Test
{
protected:
    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    void SetUp() override { QDir().mkpath(DataRoot); }
    static QString anyJapaneseFace()
    {
        for (const auto &[name, charset] : ListFontNames())
            if (charset == 128)
                return name;
        return {};
    }
};

TEST_F(LayoutFont, VerticalFaceOpensUprightWithItsEntrySelected)
{
    const QString face = anyJapaneseFace();
    if (face.isEmpty())
        GTEST_SKIP() << "no Japanese face installed";
    TLayoutFontDialog d(nullptr);
    d.SetFont({QLatin1Char('@') + face, 128, true, false, Qt::blue});
    EXPECT_EQ(d.GetFont().Face, face);
    auto *list = d.findChild<QListWidget *>(QStringLiteral("lbFonts"));
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(), face);
    auto *sample = d.findChild<QLabel *>(QStringLiteral("pnlSample"));
    EXPECT_EQ(sample->font().pointSize(), 15);
    EXPECT_EQ(sample->text(), QStringLiteral("ピルカノス2014"));
    EXPECT_TRUE(d.findChild<QCheckBox *>(QStringLiteral("ckbBold"))->isChecked());
    saveScreenshot(&d, QStringLiteral("LayoutFontDialog"));
}

TEST_F(LayoutFont, MissingFaceSelectsNothingAndKeepsTheSample)
{
    TLayoutFontDialog d(nullptr);
    d.SetFont({QStringLiteral("存在しない書体"), 128, false, false, Qt::black});
    EXPECT_EQ(d.findChild<QListWidget *>(QStringLiteral("lbFonts"))->currentItem(), nullptr);
    EXPECT_EQ(d.findChild<QLabel *>(QStringLiteral("pnlSample"))->text(), QStringLiteral("ピルカノス2014"));
    EXPECT_TRUE(d.GetApplyToAll());
}

TEST_F(LayoutFont, ShownDialogKeepsAFaceTheListDoesNotHold)
{
    TLayoutFontDialog d(nullptr);
    d.SetFont({QStringLiteral("存在しない書体"), 128, false, false, Qt::black});
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    d.findChild<QListWidget *>(QStringLiteral("lbFonts"))->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(d.GetFont().Face, QStringLiteral("存在しない書体"));
    d.reject();
}

TEST_F(LayoutFont, StyleBoxesRebuildTheFont)
{
    TLayoutFontDialog d(nullptr);
    d.SetFont({QStringLiteral("x"), 0, false, false, Qt::black});
    d.findChild<QCheckBox *>(QStringLiteral("ckbItalic"))->setChecked(true);
    EXPECT_TRUE(d.GetFont().Italic);
    EXPECT_FALSE(d.GetFont().Bold);
}

// A face is chosen by a click on its entry as by the arrow keys: the click
// makes the entry current before it selects it.
TEST_F(LayoutFont, AFaceIsChosenByAClickAndByTheKeys)
{
    TLayoutFontDialog d(nullptr);
    d.SetFont({QStringLiteral("存在しない書体"), 128, false, false, Qt::black});
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto *list = d.findChild<QListWidget *>(QStringLiteral("lbFonts"));
    ASSERT_GE(list->count(), 3);
    const QListWidgetItem *clicked = list->item(2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(clicked).center());
    EXPECT_EQ(d.GetFont().Face, clicked->text());
    EXPECT_EQ(d.findChild<QLabel *>(QStringLiteral("pnlSample"))->font().family(), clicked->text());
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(d.GetFont().Face, list->item(3)->text());
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(d.GetFont().Face, clicked->text());
    d.reject();
}

TEST_F(LayoutFont, CancelledColourDialogStillStoresCustomColours)
{
    TLayoutFontDialog d(nullptr);
    d.RunColorDialog = [](const QColor &, QList<QColor> &custom) -> std::optional<QColor> {
        custom[3] = QColor(0x12, 0x34, 0x56);
        return std::nullopt;
    };
    d.ChooseColor();
    EXPECT_EQ(d.GetFont().Color, QColor(Qt::black));
    EXPECT_EQ(TMemIniFile(CustomColorFileName()).ReadString(QStringLiteral("COMMON"), QStringLiteral("3"), {}),
              QStringLiteral("563412"));
    EXPECT_EQ(LoadCustomColors().at(3), QColor(0x12, 0x34, 0x56));
    d.RunColorDialog = [](const QColor &, QList<QColor> &) -> std::optional<QColor> { return QColor(Qt::red); };
    d.ChooseColor();
    EXPECT_EQ(d.GetFont().Color, QColor(Qt::red));
}

} // namespace
