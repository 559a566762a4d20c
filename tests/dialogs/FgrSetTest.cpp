#include "SenderFixture.h"
#include "dialogs/FgrSet.h"
#include "items/FigureRect.h"
#include "platform/IniFile.h"
#include "support/Screenshot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

template <typename T> T *child(QWidget &W, const char *Name)
{
    return W.findChild<T *>(QLatin1String(Name));
}

void fillSample(TFigureRect &f)
{
    f.SetRect({10, 10, 110, 70});
    f.SetFigureKind(TFigureRect::Ellipse);
    f.SetFrame(true);
    f.SetLineWidth(7);
    f.SetLineStyle(2);
    f.SetFrameColor(clNavy);
    f.SetBack(true);
    f.SetGradation(true);
    f.SetColor1(clRed);
    f.SetColor2(clYellow);
    f.SetGradientAngle(355);
}

class FigureDialog : public ::testing::Test
{
protected:
    void SetUp() override { QDir().mkpath(DataRoot); }
    void open(const TFigureRect &Figure)
    {
        dialog.SetItem(Figure);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    void leave(const char *Name, const QString &Text)
    {
        auto *edit = child<QLineEdit>(dialog, Name);
        edit->setText(Text);
        emit edit->editingFinished();
    }
    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    TFigureSettingDialog dialog{nullptr};
};

TEST_F(FigureDialog, itemRoundTripsThroughTheDialog)
{
    TFigureRect figure;
    fillSample(figure);
    open(figure);
    const TFigureRect &w = dialog.WorkItem();
    EXPECT_EQ(w.GetFigureKind(), TFigureRect::Ellipse);
    EXPECT_EQ(w.GetLineWidth(), 7);
    EXPECT_EQ(w.GetLineStyle(), 2);
    EXPECT_EQ(w.GetFrameColor(), clNavy);
    EXPECT_TRUE(w.HasGradation());
    EXPECT_EQ(w.GetColor1(), clRed);
    EXPECT_EQ(w.GetColor2(), clYellow);
    EXPECT_EQ(w.GetGradientAngle(), 355);
    EXPECT_EQ(child<QLineEdit>(dialog, "edLineWidth")->text(), QStringLiteral("7"));
    saveScreenshot(&dialog, QStringLiteral("FigureSettingDialog"));
}

TEST_F(FigureDialog, lineTicksAndDisablesTheOutlineAndShowsOnlyTheDirections)
{
    TFigureRect figure;
    fillSample(figure);
    figure.SetFrame(false);
    open(figure);
    auto *kind = child<QComboBox>(dialog, "cbxFigureKind");
    kind->setCurrentIndex(0);
    emit kind->activated(0);
    auto *frame = child<QCheckBox>(dialog, "ckbFrame");
    EXPECT_TRUE(frame->isChecked());
    EXPECT_FALSE(frame->isEnabled());
    EXPECT_TRUE(dialog.WorkItem().HasFrame());
    EXPECT_TRUE(child<QWidget>(dialog, "pnlLine")->isVisibleTo(&dialog));
    EXPECT_FALSE(child<QWidget>(dialog, "pnlSector")->isVisibleTo(&dialog));
    kind->setCurrentIndex(1);
    emit kind->activated(1);
    EXPECT_TRUE(frame->isEnabled());
    EXPECT_EQ(dialog.WorkItem().GetFigureKind(), TFigureRect::Rectangle);
}

TEST_F(FigureDialog, widthAboveTheRangeIsBoundedAndTextRestoresTheLastValue)
{
    TFigureRect figure;
    fillSample(figure);
    open(figure);
    leave("edLineWidth", QStringLiteral("80"));
    EXPECT_EQ(dialog.WorkItem().GetLineWidth(), 50);
    EXPECT_EQ(child<QLineEdit>(dialog, "edLineWidth")->text(), QStringLiteral("50"));
    leave("edLineWidth", QStringLiteral("abc"));
    EXPECT_EQ(dialog.WorkItem().GetLineWidth(), 50);
    EXPECT_EQ(child<QLineEdit>(dialog, "edLineWidth")->text(), QStringLiteral("50"));
}

TEST_F(FigureDialog, pageUpInTheAngleStopsAtTheTop)
{
    TFigureRect figure;
    fillSample(figure);
    open(figure);
    auto *angle = child<QLineEdit>(dialog, "edAngle");
    QTest::keyClick(angle, Qt::Key_PageUp);
    EXPECT_EQ(dialog.WorkItem().GetGradientAngle(), 359);
    EXPECT_EQ(angle->text(), QStringLiteral("359"));
}

TEST_F(FigureDialog, figureWithoutFillOpensWithLightRedAndWhite)
{
    TFigureRect figure;
    fillSample(figure);
    figure.SetBack(false);
    figure.SetGradation(false);
    figure.SetColor1(clBlack);
    figure.SetColor2(clBlack);
    open(figure);
    EXPECT_EQ(dialog.WorkItem().GetColor1(), TColor(0xBFBFFF));
    EXPECT_EQ(dialog.WorkItem().GetColor2(), clWhite);
    EXPECT_FALSE(child<QPushButton>(dialog, "bbtnColorDlg1")->isEnabled());
}

TEST_F(FigureDialog, outlineColourComesFromTheDialogAndCustomColoursAreKeptEvenWhenCancelled)
{
    TFigureRect figure;
    fillSample(figure);
    open(figure);
    dialog.RunColorDialog = [](const QColor &, QList<QColor> &Custom) -> std::optional<QColor> {
        Custom[3] = QColor(1, 2, 3);
        return std::nullopt;
    };
    child<QPushButton>(dialog, "bbtnFrameColor")->click();
    EXPECT_EQ(dialog.WorkItem().GetFrameColor(), clNavy);
    const TMemIniFile ini(DataRoot + QStringLiteral("CstmClr.ini"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("COMMON"), QStringLiteral("3"), {}).toUpper(), QStringLiteral("030201"));
    dialog.RunColorDialog = [](const QColor &, QList<QColor> &) -> std::optional<QColor> { return QColor(0, 0, 255); };
    child<QPushButton>(dialog, "bbtnFrameColor")->click();
    EXPECT_EQ(dialog.WorkItem().GetFrameColor(), clBlue);
}

TEST_F(FigureDialog, rememberedPageOutsideThePagesOpensTheFirst)
{
    TMemIniFile ini(DataRoot + QStringLiteral("Murven19.ini"));
    ini.WriteInteger(QStringLiteral("DESIGN"), QStringLiteral("FigureSet"), 5);
    QDir().mkpath(DataRoot);
    ASSERT_TRUE(ini.UpdateFile());
    TFigureSettingDialog other(nullptr);
    EXPECT_EQ(child<QTabWidget>(other, "pgcSetting")->currentIndex(), 0);
}

} // namespace

namespace {

TEST_F(FigureDialog, figureWithoutSizeOpensSafely)
{
    TFigureRect figure;
    fillSample(figure);
    figure.SetRect({5, 5, 5, 5});
    open(figure);
    EXPECT_GT(dialog.WorkItem().GetZoom(), 0.0);
    EXPECT_FALSE(child<QWidget>(dialog, "pnlPreview")->grab().isNull());
}

} // namespace
