#include "SenderFixture.h"
#include "dialogs/SndSet.h"
#include "items/SenderRect.h"
#include "platform/IniFile.h"
#include "support/Screenshot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

template <typename T> T *child(QWidget &W, const char *Name)
{
    return W.findChild<T *>(QLatin1String(Name));
}

class SenderSettingDialog : public SenderFixture
{
protected:
    void SetUp() override
    {
        SenderFixture::SetUp();
        TSenderData d = titled(QStringLiteral("自宅"));
        d.Name = QStringLiteral("山田 太郎");
        d.SelectInfo = 1;
        d.Pos = QStringLiteral("1000014");
        addSender(3, d);
        block.SetRect({0, 0, 120, 200});
        block.SetHorizontal(false);
        block.ResetChildRect(-1);
        block.SetSenderTitle(QStringLiteral("自宅"));
    }
    void TearDown() override
    {
        dialog.reset();
        SenderFixture::TearDown();
    }
    TSenderSettingDialog &open()
    {
        dialog = std::make_unique<TSenderSettingDialog>(nullptr);
        dialog->SetItem(block);
        dialog->SetFontScale(1480);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    TSenderRect block;
    std::unique_ptr<TSenderSettingDialog> dialog;
};

TEST_F(SenderSettingDialog, previewIsFilledFromTheSenderTheBlockNames)
{
    open();
    EXPECT_EQ(child<QComboBox>(*dialog, "cbxSender")->currentText(), QStringLiteral("自宅"));
    EXPECT_EQ(dialog->WorkItem().NameRect().GetName(), QStringLiteral("山田 太郎"));
    // The name's characters are drawn in the preview.
    const QImage preview = child<QWidget>(*dialog, "pnlPreview")->grab().toImage();
    int ink = 0;
    for (int y = 0; y < preview.height(); ++y)
        for (int x = 0; x < preview.width(); ++x)
            ink += qGray(preview.pixel(x, y)) < 80 ? 1 : 0;
    EXPECT_GT(ink, 50);
    saveScreenshot(dialog.get(), QStringLiteral("SenderSettingDialog"));
}

TEST_F(SenderSettingDialog, blockNamingNoSenderPreviewsEmptyWithoutAChoice)
{
    block.SetSenderTitle(QStringLiteral("消えた差出人"));
    open();
    EXPECT_EQ(child<QComboBox>(*dialog, "cbxSender")->currentIndex(), -1);
    EXPECT_TRUE(dialog->WorkItem().NameRect().GetName().isEmpty());
    EXPECT_EQ(dialog->WorkItem().GetSenderTitle(), QStringLiteral("消えた差出人"));
}

TEST_F(SenderSettingDialog, verticalBlockOpensVerticalAndTurnsWhenSwitched)
{
    open();
    EXPECT_TRUE(child<QRadioButton>(*dialog, "rbVertical")->isChecked());
    const TPageRect before = dialog->WorkItem().GetRect();
    child<QRadioButton>(*dialog, "rbHorizontal")->click();
    const TPageRect after = dialog->WorkItem().GetRect();
    EXPECT_TRUE(dialog->WorkItem().GetHorizontal());
    EXPECT_EQ(after.Right - after.Left, before.Bottom - before.Top);
    EXPECT_EQ(after.Bottom - after.Top, before.Right - before.Left);
    EXPECT_EQ(after.Left, before.Top);
    EXPECT_EQ(after.Top, before.Left);
}

TEST_F(SenderSettingDialog, blockWithoutFrameOpensUncheckedWithRedReady)
{
    open();
    auto *frame = child<QCheckBox>(*dialog, "ckbFrame");
    EXPECT_FALSE(frame->isChecked());
    EXPECT_FALSE(child<QWidget>(*dialog, "cbxLineCount")->isEnabled());
    EXPECT_EQ(dialog->WorkItem().Frame().GetFrameColor(), TColor(0x0000FF));
    EXPECT_EQ(dialog->WorkItem().Frame().GetBackColor(), TColor(0xBFBFFF));
    frame->click();
    EXPECT_TRUE(dialog->WorkItem().Frame().HasFrame());
}

TEST_F(SenderSettingDialog, verticalFaceIsListedWithoutItsMark)
{
    TFont font = block.GetFont();
    dialog = std::make_unique<TSenderSettingDialog>(nullptr);
    auto *fonts = child<QListWidget>(*dialog, "lbFonts");
    ASSERT_GT(fonts->count(), 1);
    const QString face = fonts->item(1)->text();
    font.Name = QStringLiteral("@") + face;
    block.SetFont(font);
    dialog->SetItem(block);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    EXPECT_EQ(fonts->currentItem()->text(), face);
    EXPECT_EQ(dialog->WorkItem().GetFont().Name, face);
}

// The block takes a face chosen by a click or by the arrow keys; showing the
// dialog on a face the list lacks chooses nothing.
TEST_F(SenderSettingDialog, aFaceIsChosenByAClickAndByTheKeysNotByShowingTheList)
{
    TFont font = block.GetFont();
    font.Name = QStringLiteral("存在しない書体");
    block.SetFont(font);
    open();
    auto *fonts = child<QListWidget>(*dialog, "lbFonts");
    ASSERT_GE(fonts->count(), 3);
    EXPECT_EQ(dialog->WorkItem().GetFont().Name, font.Name);
    const QListWidgetItem *clicked = fonts->item(1);
    QTest::mouseClick(fonts->viewport(), Qt::LeftButton, {}, fonts->visualItemRect(clicked).center());
    EXPECT_EQ(dialog->WorkItem().GetFont().Name, clicked->text());
    fonts->setFocus();
    QTest::keyClick(fonts, Qt::Key_Down);
    EXPECT_EQ(dialog->WorkItem().GetFont().Name, fonts->item(2)->text());
}

// On a face the list lacks (told apart by case too) no entry shows as
// chosen, so a click on any entry, the first one included, chooses it.
TEST_F(SenderSettingDialog, onAFaceTheListLacksAClickOnTheFirstEntryChoosesIt)
{
    const QString first = TSenderSettingDialog(nullptr).findChild<QListWidget *>(QStringLiteral("lbFonts"))->item(0)->text();
    ASSERT_NE(first.toLower(), first);
    for (const QString &face : {QStringLiteral("存在しない書体"), first.toLower()}) {
        SCOPED_TRACE(face.toStdString());
        TFont font = block.GetFont();
        font.Name = face;
        block.SetFont(font);
        open();
        auto *fonts = child<QListWidget>(*dialog, "lbFonts");
        EXPECT_TRUE(fonts->selectedItems().isEmpty());
        const QListWidgetItem *entry = fonts->item(0);
        QTest::mouseClick(fonts->viewport(), Qt::LeftButton, {}, fonts->visualItemRect(entry).center());
        EXPECT_EQ(dialog->WorkItem().GetFont().Name, entry->text());
        EXPECT_EQ(int(dialog->WorkItem().GetFont().Charset), entry->data(Qt::UserRole).toInt());
    }
}

TEST_F(SenderSettingDialog, boldStyleReachesTheBlock)
{
    open();
    child<QCheckBox>(*dialog, "ckbBold")->click();
    EXPECT_TRUE(dialog->WorkItem().GetFont().Style & fsBold);
}

TEST_F(SenderSettingDialog, storedPageOutsideThePagesOpensTheFontPage)
{
    TMemIniFile ini(DataRoot + QStringLiteral("Murven19.ini"));
    ini.WriteInteger(QStringLiteral("DESIGN"), QStringLiteral("SenderSet"), 5);
    ASSERT_TRUE(ini.UpdateFile());
    open();
    EXPECT_EQ(child<QTabWidget>(*dialog, "pgcSetting")->currentIndex(), 0);
}

} // namespace

namespace {

TEST_F(SenderSettingDialog, blockWithoutSizeOpensSafely)
{
    block.SetRect({0, 0, 0, 0});
    open();
    EXPECT_GT(dialog->WorkItem().GetZoom(), 0.0);
    EXPECT_FALSE(child<QWidget>(*dialog, "pnlPreview")->grab().isNull());
}

} // namespace
