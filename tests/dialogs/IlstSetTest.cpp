#include "dialogs/IlstSet.h"
#include "items/IllustRect.h"
#include "items/MaskShapes.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/RowName.h"
#include "support/Screenshot.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

template <typename T> T *child(QWidget &W, const char *Name)
{
    return W.findChild<T *>(QLatin1String(Name));
}

// A picture whose left half is red and right half blue.
QImage halves(int W, int H)
{
    QImage image(W, H, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W / 2; ++x)
            image.setPixelColor(x, y, Qt::red);
    return image;
}

class IllustDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        SetMaskFiles(ParseMaskShapes("shape 1 circle\nM 0 0.5\nL 0.5 0\nL 1 0.5\nL 0.5 1\nZ\nend\n"
                                     "shape 2 square\nM 0 0\nL 1 0\nL 1 1\nL 0 1\nZ\nend\n"));
        item.SetPicture(halves(120, 60));
        item.SetRect({40, 40, 160, 100});
    }
    void TearDown() override { FreeMaskFiles(); }
    TIllustSettingDialog &open()
    {
        dialog = std::make_unique<TIllustSettingDialog>(nullptr);
        dialog->SetItem(item);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    TPageRect workSize() const
    {
        const TPageRect r = dialog->WorkItem().GetRect();
        return {0, 0, r.Right - r.Left, r.Bottom - r.Top};
    }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    TIllustRect item;
    std::unique_ptr<TIllustSettingDialog> dialog;
};

struct TurnCase {
    const char *name;
    const char *button;
    int width, height;
};

class IllustTurns : public IllustDialog, public ::testing::WithParamInterface<TurnCase>
{
};

TEST_P(IllustTurns, quarterTurnsExchangeTheSidesAndAHalfTurnKeepsThem)
{
    open();
    child<QRadioButton>(*dialog, GetParam().button)->click();
    child<QPushButton>(*dialog, "bbtnRotate")->click();
    const TPageRect r = workSize();
    EXPECT_EQ(r.Right, GetParam().width);
    EXPECT_EQ(r.Bottom, GetParam().height);
    EXPECT_EQ(dialog->WorkItem().GetBitmap().width(), GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(Buttons, IllustTurns,
                         ::testing::Values(TurnCase{"left", "rbL90", 60, 120}, TurnCase{"right", "rbR90", 60, 120},
                                           TurnCase{"half", "rb180", 120, 60}),
                         rowName);

TEST_F(IllustDialog, mirroringLeftToRightSwapsTheHalves)
{
    open();
    child<QRadioButton>(*dialog, "rbHorz")->click();
    child<QPushButton>(*dialog, "bbtnReverse")->click();
    EXPECT_EQ(dialog->WorkItem().GetBitmap().pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(item.GetBitmap().pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(IllustDialog, pictureWithAMaskOpensOnTheMaskWithItsShapeChosen)
{
    item.SetMask(1);
    open();
    EXPECT_TRUE(child<QRadioButton>(*dialog, "rbMask")->isChecked());
    EXPECT_EQ(dialog->SelectedMask(), 1);
    EXPECT_TRUE(child<QToolButton>(*dialog, "pbxMask1")->isChecked());
    EXPECT_FALSE(child<QToolButton>(*dialog, "pbxMask0")->isChecked());
    child<QTabWidget>(*dialog, "pgcSetting")->setCurrentIndex(1);
    saveScreenshot(dialog.get(), QStringLiteral("IllustSettingDialog_mask"));
}

TEST_F(IllustDialog, choosingAThumbnailSetsTheMask)
{
    open();
    child<QRadioButton>(*dialog, "rbMask")->click();
    EXPECT_EQ(dialog->WorkItem().GetMaskIndex(), 0);
    child<QToolButton>(*dialog, "pbxMask1")->click();
    EXPECT_EQ(dialog->WorkItem().GetMaskIndex(), 1);
    child<QRadioButton>(*dialog, "rbNone")->click();
    EXPECT_EQ(dialog->WorkItem().GetMaskIndex(), -1);
    EXPECT_EQ(dialog->WorkItem().GetTransparentColor(), TIllustRect::NoColor);
}

TEST_F(IllustDialog, clickOnThePictureTakesTheTransparentColourUnderThePointer)
{
    open();
    child<QTabWidget>(*dialog, "pgcSetting")->setCurrentIndex(1);
    child<QRadioButton>(*dialog, "rbTransparent")->click();
    QWidget *preview = child<QWidget>(*dialog, "pbxPreview");
    const TScreenRect d = dialog->WorkItem().GetDispRect();
    const QPoint origin = dialog->PreviewOrigin();
    // The swatch starts with the bottom-left (red) pixel; a click on the
    // blue half takes blue.
    EXPECT_EQ(dialog->WorkItem().GetTransparentColor(), QColorToColor(Qt::red));
    QTest::mouseClick(preview, Qt::LeftButton, {}, origin + QPoint(d.Right - 5, d.Top + 5));
    EXPECT_EQ(dialog->WorkItem().GetTransparentColor(), QColorToColor(Qt::blue));
    const TColor before = dialog->WorkItem().GetTransparentColor();
    QTest::mouseClick(preview, Qt::LeftButton, {}, origin + QPoint(d.Right + 5, d.Bottom + 5));
    EXPECT_EQ(dialog->WorkItem().GetTransparentColor(), before);
}

TEST_F(IllustDialog, cutOutDroppedLeftOfThePictureSnapsBackToItsLeftEdge)
{
    item.SetMask(0);
    open();
    child<QToolButton>(*dialog, "sbtnFullScale1")->click();
    QWidget *preview = child<QWidget>(*dialog, "pbxPreview");
    const QPoint origin = dialog->PreviewOrigin();
    const TScreenRect m = dialog->WorkItem().GetMaskDispRect();
    const QPoint middle = origin + QPoint((m.Left + m.Right) / 2, (m.Top + m.Bottom) / 2);
    QTest::mousePress(preview, Qt::LeftButton, {}, middle);
    QMouseEvent move(QEvent::MouseMove, QPointF(middle - QPoint(400, 0)), QPointF(), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(preview, &move);
    QTest::mouseRelease(preview, Qt::LeftButton, {}, middle - QPoint(400, 0));
    const TScreenRect after = dialog->WorkItem().GetMaskDispRect();
    EXPECT_EQ(after.Left, dialog->WorkItem().GetDispRect().Left);
    EXPECT_EQ(after.Right - after.Left, m.Right - m.Left);
}

TEST_F(IllustDialog, itemWithoutFrameOpensUncheckedWithTheFrameColourRed)
{
    open();
    EXPECT_FALSE(child<QCheckBox>(*dialog, "ckbFrame")->isChecked());
    EXPECT_FALSE(child<QWidget>(*dialog, "cbxLineCount")->isEnabled());
    EXPECT_EQ(dialog->WorkItem().Frame().GetFrameColor(), TColor(0x0000FF));
    child<QCheckBox>(*dialog, "ckbFrame")->click();
    EXPECT_TRUE(dialog->WorkItem().Frame().HasFrame());
    EXPECT_TRUE(child<QWidget>(*dialog, "cbxLineCount")->isEnabled());
}

TEST_F(IllustDialog, rememberedPageOutsideThePagesOpensTheFirstAndIsWrittenBack)
{
    TMemIniFile ini(DataRoot + QStringLiteral("Murven19.ini"));
    ini.WriteInteger(QStringLiteral("DESIGN"), QStringLiteral("IllustSet"), -1);
    ASSERT_TRUE(ini.UpdateFile());
    open();
    auto *pages = child<QTabWidget>(*dialog, "pgcSetting");
    EXPECT_EQ(pages->currentIndex(), 0);
    pages->setCurrentIndex(2);
    dialog.reset();
    const TMemIniFile after(DataRoot + QStringLiteral("Murven19.ini"));
    EXPECT_EQ(after.ReadInteger(QStringLiteral("DESIGN"), QStringLiteral("IllustSet"), 0), 2);
}

} // namespace

namespace {

TEST_F(IllustDialog, storedMaskIndexBeyondTheShapesOpensOnTheFirstThumbnail)
{
    item.SetMask(99);
    open();
    EXPECT_TRUE(child<QRadioButton>(*dialog, "rbMask")->isChecked());
    EXPECT_EQ(dialog->SelectedMask(), 0);
    EXPECT_EQ(dialog->WorkItem().GetMaskIndex(), 99);
    child<QToolButton>(*dialog, "pbxMask1")->click();
    EXPECT_EQ(dialog->WorkItem().GetMaskIndex(), 1);
}

TEST_F(IllustDialog, pictureWithoutSizeOpensSafely)
{
    item.SetRect({40, 40, 40, 40});
    open();
    EXPECT_FALSE(child<QWidget>(*dialog, "pbxPreview")->grab().isNull());
}

} // namespace

namespace {

struct ArrowCase {
    const char *name;
    int from;
    Qt::Key key;
    int to;
};

class IllustMaskArrows : public IllustDialog, public ::testing::WithParamInterface<ArrowCase>
{
protected:
    void SetUp() override
    {
        IllustDialog::SetUp();
        std::string text;
        for (int i = 1; i <= 5; ++i)
            text += "shape " + std::to_string(i) + " s\nM 0 0\nL 1 0\nL 1 1\nZ\nend\n";
        SetMaskFiles(ParseMaskShapes(QByteArray::fromStdString(text)));
    }
};

TEST_P(IllustMaskArrows, arrowsMoveThroughTheTwoRowsOfThumbnails)
{
    item.SetMask(GetParam().from);
    open();
    QWidget *masks = child<QWidget>(*dialog, "sbxMask");
    QTest::keyClick(masks, GetParam().key);
    EXPECT_EQ(dialog->SelectedMask(), GetParam().to);
    EXPECT_EQ(dialog->WorkItem().GetMaskIndex(), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(Keys, IllustMaskArrows,
                         ::testing::Values(ArrowCase{"rightSkipsARow", 1, Qt::Key_Right, 3},
                                           ArrowCase{"rightStopsAtTheEnd", 3, Qt::Key_Right, 3},
                                           ArrowCase{"leftSkipsARow", 2, Qt::Key_Left, 0},
                                           ArrowCase{"leftStopsInTheFirstColumn", 1, Qt::Key_Left, 1},
                                           ArrowCase{"downTakesTheNext", 2, Qt::Key_Down, 3},
                                           ArrowCase{"upStopsAtTheFirst", 0, Qt::Key_Up, 0}),
                         rowName);

} // namespace
