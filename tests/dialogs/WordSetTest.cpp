#include "core/Env.h"
#include "core/Environment.h"
#include "dialogs/LytFont.h"
#include "dialogs/WordSet.h"
#include "items/WordRect.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/KeyInput.h"
#include "support/RowName.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class WordSetting : public ::testing::Test
{
protected:
    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    void SetUp() override { QDir().mkpath(DataRoot); }

    static std::unique_ptr<TWordRect> item(int W = 300, int H = 100)
    {
        auto w = std::make_unique<TWordRect>();
        w->SetRect({40, 50, 40 + W, 50 + H});
        w->SetHorizontal(true);
        w->SetLineCount(2);
        w->SetLine(0, QStringLiteral("謹賀新年"));
        w->SetLine(1, QStringLiteral("本年もよろしくお願いいたします"));
        return w;
    }
    template <typename T> static T *child(QWidget &D, const char *Name)
    {
        T *w = D.findChild<T *>(QLatin1String(Name));
        EXPECT_NE(w, nullptr) << Name;
        return w;
    }
    static void storePage(int Page)
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteInteger(QStringLiteral("DESIGN"), QStringLiteral("WordSet"), Page);
        ASSERT_TRUE(ini.UpdateFile());
    }
    static QString anyFace(int Charset)
    {
        for (const auto &[name, charset] : ListFontNames())
            if (charset == Charset)
                return name;
        return {};
    }
};

TEST_F(WordSetting, LineSpaceThreeOpensCheckedAtNormalAndUncheckingClearsIt)
{
    auto source = item();
    source->SetLineSpace(3);
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    auto *check = child<QCheckBox>(d, "ckbLineSpace");
    auto *list = child<QComboBox>(d, "cbxLineSpace");
    EXPECT_TRUE(check->isChecked());
    EXPECT_TRUE(list->isEnabled());
    EXPECT_EQ(list->currentText(), QStringLiteral("普通"));
    check->click();
    EXPECT_EQ(d.WorkItem().GetLineSpace(), 0);
    EXPECT_FALSE(list->isEnabled());
    // The working copy is the dialog's own: the editor's item is untouched.
    EXPECT_EQ(source->GetLineSpace(), 3);
}

TEST_F(WordSetting, NoLineSpaceOpensTheListDisabledAtItsFirstEntry)
{
    auto source = item();
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    EXPECT_FALSE(child<QCheckBox>(d, "ckbLineSpace")->isChecked());
    EXPECT_FALSE(child<QComboBox>(d, "cbxLineSpace")->isEnabled());
    EXPECT_EQ(child<QComboBox>(d, "cbxLineSpace")->currentIndex(), 0);
    child<QCheckBox>(d, "ckbLineSpace")->click();
    child<QComboBox>(d, "cbxLineSpace")->setCurrentIndex(4);
    EXPECT_EQ(d.WorkItem().GetLineSpace(), 5);
}

TEST_F(WordSetting, TurningToVerticalSwapsTheBoxAboutItsTopLeftCorner)
{
    auto source = item(300, 100);
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    child<QRadioButton>(d, "rbVertical")->click();
    const TPageRect r = d.WorkItem().GetRect();
    EXPECT_FALSE(d.WorkItem().IsHorizontal());
    EXPECT_EQ(r.Left, 40);
    EXPECT_EQ(r.Top, 50);
    EXPECT_EQ(r.Right - r.Left, 100);
    EXPECT_EQ(r.Bottom - r.Top, 300);
    // Clicking the checked button again changes nothing.
    child<QRadioButton>(d, "rbVertical")->click();
    EXPECT_EQ(d.WorkItem().GetRect().Bottom - d.WorkItem().GetRect().Top, 300);
}

struct PageCase
{
    int stored;
    int shown;
};

TEST_F(WordSetting, StoredPageOutsideThePagesOpensTheFirst)
{
    for (const PageCase c : {PageCase{5, 0}, PageCase{-1, 0}, PageCase{2, 2}, PageCase{1, 1}}) {
        storePage(c.stored);
        TWordSettingDialog d(nullptr);
        EXPECT_EQ(child<QTabWidget>(d, "pgcSetting")->currentIndex(), c.shown) << c.stored;
    }
}

TEST_F(WordSetting, ThePageShownIsWrittenBackWhenTheDialogGoes)
{
    {
        TWordSettingDialog d(nullptr);
        child<QTabWidget>(d, "pgcSetting")->setCurrentIndex(1);
    }
    EXPECT_EQ(TMemIniFile(SettingsFileName()).ReadInteger(QStringLiteral("DESIGN"), QStringLiteral("WordSet"), -9), 1);
}

struct RatioCase
{
    const char *typed;
    int expected;
};

TEST_F(WordSetting, TypedWidthRatioIsClampedAndNonNumbersRestoreIt)
{
    const RatioCase cases[] = {{"500", 300}, {"x", 140}, {"-5", 140}, {"10", 20}, {"150", 150}};
    for (const RatioCase &c : cases) {
        auto source = item();
        source->SetVHRatio(140);
        TWordSettingDialog d(nullptr);
        d.SetItem(*source);
        auto *edit = child<QLineEdit>(d, "edVHRatio");
        edit->setText(QString::fromLatin1(c.typed));
        emit edit->editingFinished();
        EXPECT_EQ(edit->text(), QString::number(c.expected)) << c.typed;
        EXPECT_EQ(d.WorkItem().GetVHRatio(), c.expected) << c.typed;
    }
}

TEST_F(WordSetting, ArrowAndPageKeysStepTheWidthRatio)
{
    auto source = item();
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    auto *edit = child<QLineEdit>(d, "edVHRatio");
    QTest::keyClick(edit, Qt::Key_PageUp);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(d.WorkItem().GetVHRatio(), 111);
    QTest::keyClick(edit, Qt::Key_PageDown);
    QTest::keyClick(edit, Qt::Key_PageDown);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(d.WorkItem().GetVHRatio(), 90);
    EXPECT_EQ(edit->text(), QStringLiteral("90"));
}

TEST_F(WordSetting, AlignmentOpensOnBothAxesAndAButtonKeepsTheOtherAxis)
{
    const char *vertical[] = {"rbTop", "rbVertCenter", "rbBottom"};
    const char *horizontal[] = {"rbRight", "rbHorzCenter", "rbLeft"};
    for (int alignment = 0; alignment < 9; ++alignment) {
        auto source = item();
        source->SetAlignment(alignment);
        TWordSettingDialog d(nullptr);
        d.SetItem(*source);
        EXPECT_TRUE(child<QRadioButton>(d, vertical[alignment / 3])->isChecked()) << alignment;
        EXPECT_TRUE(child<QRadioButton>(d, horizontal[alignment % 3])->isChecked()) << alignment;
    }
    auto source = item();
    source->SetAlignment(1 * 3 + 2); // centre, left
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    child<QRadioButton>(d, "rbBottom")->click();
    EXPECT_EQ(d.WorkItem().GetAlignment(), 2 * 3 + 2);
    child<QRadioButton>(d, "rbRight")->click();
    EXPECT_EQ(d.WorkItem().GetAlignment(), 2 * 3 + 0);
}

TEST_F(WordSetting, SizeListAndWrapWriteTheItem)
{
    auto source = item();
    source->SetFontSizeIndex(4);
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    auto *sizes = child<QComboBox>(d, "cbxFSize");
    EXPECT_EQ(sizes->itemText(0), QStringLiteral("自動"));
    EXPECT_EQ(sizes->itemText(4), QString::number(FontSizeTable[4]));
    EXPECT_EQ(sizes->currentIndex(), 4);
    sizes->setCurrentIndex(0);
    EXPECT_EQ(d.WorkItem().GetFontSizeIndex(), 0);
    child<QCheckBox>(d, "ckbWrap")->click();
    EXPECT_TRUE(d.WorkItem().GetWordWrap());
}

TEST_F(WordSetting, AnItemWithoutFrameOpensWithTheColourPresetsAndTheControlsOff)
{
    auto source = item();
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    EXPECT_FALSE(child<QCheckBox>(d, "ckbFrame")->isChecked());
    EXPECT_FALSE(child<QComboBox>(d, "cbxLineWidth")->isEnabled());
    EXPECT_FALSE(child<QWidget>(d, "bbtnBackColor")->isEnabled());
    EXPECT_EQ(d.WorkItem().Frame().GetFrameColor(), QColorToColor(QColor(255, 0, 0)));
    EXPECT_EQ(d.WorkItem().Frame().GetBackColor(), QColorToColor(QColor(255, 191, 191)));
    child<QCheckBox>(d, "ckbFrame")->click();
    child<QComboBox>(d, "cbxLineCount")->setCurrentIndex(1);
    child<QComboBox>(d, "cbxCorner")->setCurrentIndex(1);
    child<QComboBox>(d, "cbxLineWidth")->setCurrentIndex(2);
    child<QCheckBox>(d, "ckbBack")->click();
    const TRectFrame &f = d.WorkItem().Frame();
    EXPECT_TRUE(f.HasFrame());
    EXPECT_TRUE(f.HasBack());
    EXPECT_EQ(f.GetLineCount(), 1);
    EXPECT_EQ(f.GetCorner(), 1);
    EXPECT_EQ(f.GetLineWidth(), 2);
    EXPECT_TRUE(child<QComboBox>(d, "cbxLineWidth")->isEnabled());
}

TEST_F(WordSetting, AnItemWithAFrameKeepsItsColoursAndLines)
{
    auto source = item();
    source->Frame().SetFrame(true);
    source->Frame().SetFrameColor(0x00FF00);
    source->Frame().SetLineWidth(1);
    source->Frame().SetLineCount(1);
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    EXPECT_TRUE(child<QCheckBox>(d, "ckbFrame")->isChecked());
    EXPECT_EQ(child<QComboBox>(d, "cbxLineWidth")->currentIndex(), 1);
    EXPECT_EQ(child<QComboBox>(d, "cbxLineCount")->currentIndex(), 1);
    EXPECT_EQ(d.WorkItem().Frame().GetFrameColor(), 0x00FF00);
}

TEST_F(WordSetting, ColourButtonsSetFrameBackgroundAndFontAndKeepCustomColours)
{
    auto source = item();
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    QColor answer;
    d.RunColorDialog = [&answer](const QColor &, QList<QColor> &Custom) -> std::optional<QColor> {
        Custom[0] = QColor(1, 2, 3);
        if (!answer.isValid())
            return std::nullopt;
        return answer;
    };
    d.ChooseColor(0); // cancelled: nothing changes but the custom colours
    EXPECT_EQ(d.WorkItem().Frame().GetFrameColor(), QColorToColor(QColor(255, 0, 0)));
    EXPECT_EQ(LoadCustomColors().at(0), QColor(1, 2, 3));
    answer = QColor(0, 0, 255);
    d.ChooseColor(0);
    EXPECT_EQ(d.WorkItem().Frame().GetFrameColor(), QColorToColor(answer));
    answer = QColor(0, 128, 0);
    d.ChooseColor(1);
    EXPECT_EQ(d.WorkItem().Frame().GetBackColor(), QColorToColor(answer));
    answer = QColor(128, 0, 0);
    d.ChooseColor(2);
    EXPECT_EQ(d.WorkItem().GetFontColor(), QColorToColor(answer));
    EXPECT_EQ(d.WorkItem().GetFont().Color, answer);
}

TEST_F(WordSetting, VerticalFaceOpensWithItsUprightEntryAndAChosenFaceTakesItsCharset)
{
    const QString japanese = anyFace(128);
    const QString latin = anyFace(0);
    if (japanese.isEmpty() || latin.isEmpty())
        GTEST_SKIP() << "needs a Japanese and a Latin face";
    auto source = item();
    TFont font = source->GetFont();
    font.Name = QLatin1Char('@') + japanese;
    font.Charset = SHIFTJIS_CHARSET;
    font.Style = fsBold;
    source->SetFont(font);
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    auto *list = child<QListWidget>(d, "lbFonts");
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(), japanese);
    EXPECT_EQ(child<QLabel>(d, "lblCharset")->text(), QStringLiteral("日本語"));
    EXPECT_TRUE(child<QCheckBox>(d, "ckbBold")->isChecked());
    list->setCurrentItem(list->findItems(latin, Qt::MatchExactly).first());
    EXPECT_EQ(d.WorkItem().GetFont().Name, latin);
    EXPECT_EQ(d.WorkItem().GetFont().Charset, ANSI_CHARSET);
    EXPECT_EQ(child<QLabel>(d, "lblCharset")->text(), QStringLiteral("欧文"));
    child<QCheckBox>(d, "ckbItalic")->click();
    EXPECT_EQ(d.WorkItem().GetFont().Style, fsBold | fsItalic);
}

TEST_F(WordSetting, AFaceIsChosenByAClickOnItsEntry)
{
    storePage(0);
    auto source = item();
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto *list = child<QListWidget>(d, "lbFonts");
    ASSERT_GE(list->count(), 2);
    const QListWidgetItem *clicked = list->item(list->currentRow() == 1 ? 0 : 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(clicked).center());
    EXPECT_EQ(d.WorkItem().GetFont().Name, clicked->text());
    EXPECT_EQ(d.WorkItem().GetFont().Charset, clicked->data(Qt::UserRole).toInt());
    d.reject();
}

// A ratio typed and Return: the dialog closes with the ratio typed, held to
// 20..300 as leaving the field holds it.
struct ReturnRatioCase {
    const char *name;
    const char16_t *typed;
    int expected;
};

class RatioTyped : public WordSetting, public ::testing::WithParamInterface<ReturnRatioCase>
{
};

TEST_P(RatioTyped, returnClosesWithIt)
{
    storePage(0);
    auto source = item();
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto *ratio = child<QLineEdit>(d, "edVHRatio");
    ratio->setFocus(Qt::TabFocusReason);
    ratio->selectAll();
    TypeCharacters(ratio, QString::fromUtf16(GetParam().typed));
    QTest::keyClick(ratio, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.WorkItem().GetVHRatio(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Ratios, RatioTyped,
                         ::testing::Values(ReturnRatioCase{"narrow", u"80", 80},
                                           ReturnRatioCase{"narrowest", u"20", 20},
                                           ReturnRatioCase{"belowTheNarrowest", u"19", 20},
                                           ReturnRatioCase{"widest", u"300", 300},
                                           ReturnRatioCase{"aboveTheWidest", u"301", 300}),
                         rowName);

TEST_F(WordSetting, ShowingTheFontPageKeepsAFaceTheListDoesNotHold)
{
    storePage(0);
    auto source = item();
    TFont font = source->GetFont();
    font.Name = QStringLiteral("存在しない書体");
    source->SetFont(font);
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    EXPECT_EQ(QApplication::focusWidget(), child<QListWidget>(d, "lbFonts"));
    EXPECT_EQ(d.WorkItem().GetFont().Name, font.Name);
    d.reject();
}

TEST_F(WordSetting, ChosenOptionsShowBlueCaptions)
{
    auto source = item();
    source->SetWordWrap(true);
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    const QColor blue(0, 0, 255);
    EXPECT_EQ(child<QCheckBox>(d, "ckbWrap")->palette().color(QPalette::WindowText), blue);
    EXPECT_NE(child<QCheckBox>(d, "ckbFrame")->palette().color(QPalette::WindowText), blue);
    EXPECT_EQ(child<QRadioButton>(d, "rbHorizontal")->palette().color(QPalette::WindowText), blue);
}

TEST_F(WordSetting, ScreenshotsOfEachPage)
{
    auto source = item();
    source->Frame().SetFrame(true);
    source->Frame().SetFrameColor(0x0000FF);
    source->SetAlignment(4);
    TWordSettingDialog d(nullptr);
    d.SetItem(*source);
    d.show();
    auto *pages = child<QTabWidget>(d, "pgcSetting");
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        EXPECT_FALSE(saveScreenshot(&d, QStringLiteral("WordSettingDialog-%1").arg(page)).isEmpty());
    }
    // The preview draws the text: some pixel of it is neither white nor grey.
    const QImage preview = child<QWidget>(d, "pnlPreview")->grab().toImage();
    bool inked = false;
    for (int y = 0; y < preview.height() && !inked; ++y)
        for (int x = 0; x < preview.width() && !inked; ++x) {
            const QColor c = preview.pixelColor(x, y);
            inked = c.red() < 100 && c.green() < 100 && c.blue() < 100;
        }
    EXPECT_TRUE(inked);
    d.reject();
}

} // namespace
