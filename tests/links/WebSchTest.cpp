#include "links/WebSch.h"

#include "LinkFakes.h"
#include "core/PDFHelp.h"
#include "links/QRMap.h"
#include "links/LinkUrl.h"
#include "support/ManualF1.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include "platform/IniFile.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class WebSearchTest : public ::testing::Test
{
protected:
    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    TFakeLinkWorld world;
    ScriptedMessageBoxes boxes;

    void SetUp() override { QDir().mkpath(DataRoot); }
    static void click(TWebSearch &dialog)
    {
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("bbtnSearch")), Qt::LeftButton);
    }
    static QComboBox *engine(TWebSearch &dialog) { return dialog.findChild<QComboBox *>(QStringLiteral("cbxEngine")); }
    static int storedEngine()
    {
        const TMemIniFile ini(SettingsFileName());
        return ini.ReadInteger(QStringLiteral("WEB SEARCH"), QStringLiteral("Engine"), -1);
    }
};

TEST_F(WebSearchTest, emptyWordIsRefused)
{
    TWebSearch dialog;
    dialog.show();
    click(dialog);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("検索名称を入力してください  "));
    EXPECT_TRUE(world.urls.opened.isEmpty());
}

TEST_F(WebSearchTest, blankOnlyWordIsRefusedLikeAnEmptyOne)
{
    TWebSearch dialog;
    dialog.SetSearchText(QStringLiteral(" 　 "));
    dialog.show();
    click(dialog);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("検索名称を入力してください  "));
    EXPECT_TRUE(world.urls.opened.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(WebSearchTest, searchOpensTheChosenEnginesUrlAndKeepsTheEngine)
{
    TWebSearch dialog;
    dialog.SetSearchText(QStringLiteral("株式会社 東"));
    dialog.show();
    engine(dialog)->setCurrentIndex(3);
    click(dialog);
    ASSERT_EQ(world.urls.opened.size(), 1);
    EXPECT_EQ(world.urls.opened.constFirst(), WebSearchUrl(3, QStringLiteral("株式会社 東")));
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(storedEngine(), 3);
}

// A Shift-JIS search site cannot be asked for a character Shift-JIS lacks:
// the word would reach it with "?" in its place, a search for another name.
// Refused and named; the site that takes UTF-8 searches the word as it is.
TEST_F(WebSearchTest, aWordShiftJisCannotCarryIsRefusedForAShiftJisSite)
{
    const QString word = QStringLiteral("𠮷野家");
    TWebSearch dialog;
    dialog.SetSearchText(word);
    dialog.show();
    engine(dialog)->setCurrentIndex(0);
    click(dialog);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("𠮷"))) << boxes.last().text.toStdString();
    EXPECT_TRUE(world.urls.opened.isEmpty());
    EXPECT_TRUE(dialog.isVisible());

    engine(dialog)->setCurrentIndex(3);
    click(dialog);
    ASSERT_EQ(world.urls.opened.size(), 1);
    EXPECT_EQ(world.urls.opened.constFirst(), WebSearchUrl(3, word));
    EXPECT_TRUE(world.urls.opened.constFirst().endsWith("%E9%87%8E%E5%AE%B6"));
}

TEST_F(WebSearchTest, storedEngineOutOfRangeOpensWithTheFirst)
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(QStringLiteral("WEB SEARCH"), QStringLiteral("Engine"), 7);
    ASSERT_TRUE(ini.UpdateFile());
    TWebSearch dialog;
    EXPECT_EQ(engine(dialog)->currentIndex(), 0);
}

TEST_F(WebSearchTest, enterWalksFromWordToEngineToSearch)
{
    TWebSearch dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto *word = dialog.findChild<QLineEdit *>(QStringLiteral("edtWord"));
    word->setFocus();
    QTest::keyClick(word, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), engine(dialog));
    QTest::keyClick(engine(dialog), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("bbtnSearch"));
    EXPECT_TRUE(boxes.shown().isEmpty());
}

// Where Enter has led, Return searches: the word with the engine shown.
TEST_F(WebSearchTest, returnOnTheSearchButtonSearches)
{
    TWebSearch dialog;
    dialog.SetSearchText(QStringLiteral("株式会社 東"));
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    engine(dialog)->setCurrentIndex(3);
    engine(dialog)->setFocus();
    QTest::keyClick(engine(dialog), Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("bbtnSearch"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(world.urls.opened.size(), 1);
    EXPECT_EQ(world.urls.opened.constFirst(), WebSearchUrl(3, QStringLiteral("株式会社 東")));
    EXPECT_EQ(dialog.result(), 1);
}

// F1 in the link windows of the record form opens their manual pages.
TEST_F(WebSearchTest, f1InTheWebSearchAndTheMapCodeOpensTheirPages)
{
    ManualF1 manual;
    TWebSearch search;
    EXPECT_EQ(manual.HeadingOpenedByF1In(&search), ManualF1::AsRead(u"Web検索"));
    EXPECT_EQ(manual.HeadingOpenedByF1(engine(search)), ManualF1::AsRead(u"Web検索"));
    TQRCodeMap code;
    EXPECT_EQ(manual.HeadingOpenedByF1In(&code), ManualF1::AsRead(u"iMapFan/ケータイ地図MapFan"));
}

} // namespace
