#include "core/Env.h"
#include "dialogs/AddInfo.h"
#include "support/KeyInput.h"
#include "support/Screenshot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

QList<int> idsOf(TAdditionInfoDialog &dialog, int line)
{
    auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cbxAddition%1").arg(line + 1));
    QList<int> ids;
    for (int i = 0; i < combo->count(); ++i)
        ids.append(combo->itemData(i).toInt());
    return ids;
}

TEST(AdditionInfoDialog, LabelWithSenderDataOffersTheSendersLines)
{
    TAdditionInfoDialog dialog(nullptr);
    dialog.SetLayoutKind(TLayoutKind::lkLabel);
    dialog.SetDataSource(2);
    for (int line = 0; line < 4; ++line)
        EXPECT_EQ(idsOf(dialog, line), (QList<int>{1, 2, 19, 20, 21, 22}));
}

TEST(AdditionInfoDialog, AddresseeDataOffersFieldsAndKeywordsWithoutEight)
{
    const auto saved = KeywordNames;
    KeywordNames[1] = QStringLiteral("趣味");
    TAdditionInfoDialog dialog(nullptr);
    dialog.SetLayoutKind(TLayoutKind::lkCard);
    dialog.SetDataSource(1);
    const QList<int> ids = idsOf(dialog, 3);
    EXPECT_EQ(ids.first(), 3);
    EXPECT_FALSE(ids.contains(8));
    EXPECT_FALSE(ids.contains(1)); // the label-only entries
    EXPECT_EQ(ids.last(), 18);
    dialog.SetAdditionItem(0, 11);
    EXPECT_EQ(dialog.findChild<QComboBox *>(QStringLiteral("cbxAddition1"))->currentText(), QStringLiteral("趣味"));
    KeywordNames = saved;
    saveScreenshot(&dialog, QStringLiteral("AdditionInfoDialog"));
}

TEST(AdditionInfoDialog, FreeTextAnswersIdZeroAndTrimmedText)
{
    TAdditionInfoDialog dialog(nullptr);
    dialog.SetLayoutKind(TLayoutKind::lkLabel);
    dialog.SetDataSource(1);
    dialog.SetAdditionText(1, QStringLiteral("  お世話になっております "));
    EXPECT_EQ(dialog.GetAdditionItem(1), 0);
    EXPECT_EQ(dialog.GetAdditionText(1), QStringLiteral("お世話になっております"));
    dialog.SetAdditionItem(2, 4);
    EXPECT_EQ(dialog.GetAdditionItem(2), 4);
    EXPECT_TRUE(dialog.GetAdditionText(2).isEmpty());
    dialog.SetAdditionItem(3, 8);
    EXPECT_EQ(dialog.GetAdditionItem(3), 0);
    EXPECT_EQ(dialog.GetAdditionItem(9), 0);
}

// The line keeps the ideographic space the user indented it with; only
// ASCII blanks around it go.
TEST(AdditionInfoDialog, FreeTextKeepsItsIdeographicSpace)
{
    TAdditionInfoDialog dialog(nullptr);
    dialog.SetLayoutKind(TLayoutKind::lkLabel);
    dialog.SetDataSource(1);
    dialog.SetAdditionText(0, QStringLiteral(" \u3000会員番号\u3000１２ "));
    EXPECT_EQ(dialog.GetAdditionText(0), QStringLiteral("\u3000会員番号\u3000１２"));
}

TEST(AdditionInfoDialog, FreeTextRefusesACharacterShiftJisLacks)
{
    TAdditionInfoDialog dialog(nullptr);
    dialog.SetLayoutKind(TLayoutKind::lkLabel);
    dialog.SetDataSource(1);
    dialog.show();
    auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cbxAddition1"));
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
    combo->lineEdit()->setFocus();
    TypeCharacters(combo->lineEdit(), QStringLiteral("𠮷田様"));
    EXPECT_EQ(dialog.GetAdditionText(0), QStringLiteral("田様"));
}

TEST(AdditionInfoDialog, PostcardShowsOnlyTheBarcodeAndKeepsTheLines)
{
    TAdditionInfoDialog dialog(nullptr);
    dialog.SetLayoutKind(TLayoutKind::lkPostcard);
    dialog.SetAdditionChecked(2, false);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("バーコードの設定"));
    EXPECT_TRUE(dialog.findChild<QGroupBox *>(QStringLiteral("gbxAddition"))->isHidden());
    EXPECT_TRUE(dialog.GetAdditionChecked(0));
    EXPECT_FALSE(dialog.GetAdditionChecked(2));
    saveScreenshot(&dialog, QStringLiteral("BarcodeDialog"));
}

TEST(AdditionInfoDialog, MaximumSizeRemovesLargerEntriesAndLowersTheChoice)
{
    TAdditionInfoDialog dialog(nullptr);
    dialog.SetBarSize(3);
    dialog.SetMaxBarSize(1);
    auto *sizes = dialog.findChild<QComboBox *>(QStringLiteral("cbxBarSize"));
    EXPECT_EQ(sizes->count(), 2);
    EXPECT_EQ(dialog.GetBarSize(), 1);
    dialog.SetBarSize(3);
    EXPECT_EQ(sizes->currentText(), QStringLiteral("9"));
}

TEST(AdditionInfoDialog, DisabledBarcodeIsOffWithNoSizes)
{
    TAdditionInfoDialog dialog(nullptr);
    dialog.DisableBarcode(true);
    EXPECT_FALSE(dialog.GetBarcode());
    EXPECT_FALSE(dialog.findChild<QCheckBox *>(QStringLiteral("ckbBarcode"))->isEnabled());
    EXPECT_EQ(dialog.GetBarSize(), 0);
}

TEST(AdditionInfoDialog, UncheckedLineDisablesItsList)
{
    TAdditionInfoDialog dialog(nullptr);
    dialog.SetAdditionChecked(0, false);
    EXPECT_FALSE(dialog.findChild<QComboBox *>(QStringLiteral("cbxAddition1"))->isEnabled());
    dialog.SetBarcode(false);
    EXPECT_FALSE(dialog.findChild<QComboBox *>(QStringLiteral("cbxBarSize"))->isEnabled());
}

} // namespace
