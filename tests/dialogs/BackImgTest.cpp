#include "dialogs/BackImg.h"
#include "items/BackImage.h"
#include "support/RowName.h"
#include "support/Screenshot.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QFile>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr TColor kOrange = 0x5BA0FF;

template <typename T> T *child(QWidget &W, const char *Name)
{
    return W.findChild<T *>(QLatin1String(Name));
}

class BackImageDialog : public ::testing::Test
{
protected:
    void open(const TBackImage &Background = {}, qint32 Width = 1000, qint32 Height = 1480)
    {
        dialog.SetBackImage(Background, Width, Height);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    void click(const char *Name) { child<QRadioButton>(dialog, Name)->click(); }
    QColor cardCentre()
    {
        QWidget *card = child<QWidget>(dialog, "pnlCard");
        const QImage shot = card->grab().toImage();
        return shot.pixelColor(shot.width() / 2, shot.height() / 2);
    }
    QString pictureFile()
    {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(QColor(0, 128, 0));
        const QString file = dir.filePath(QStringLiteral("leaf.bmp"));
        EXPECT_TRUE(image.save(file));
        return file;
    }

    QTemporaryDir dir;
    ScriptedMessageBoxes boxes;
    TBackImageDialog dialog{nullptr};
};

TEST_F(BackImageDialog, pageWithoutBackgroundOpensOnNoneWithOrangeAndWhite)
{
    open();
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbNone")->isChecked());
    EXPECT_EQ(dialog.WorkItem().GetColor1(), kOrange);
    EXPECT_EQ(dialog.WorkItem().GetColor2(), clWhite);
}

struct KindCase {
    const char *name;
    std::vector<const char *> clicks;
    quint8 kind;
};

class BackImageKinds : public BackImageDialog, public ::testing::WithParamInterface<KindCase>
{
};

TEST_P(BackImageKinds, buttonsChooseTheKind)
{
    open();
    for (const char *name : GetParam().clicks)
        click(name);
    EXPECT_EQ(dialog.WorkItem().GetKind(), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, BackImageKinds,
    ::testing::Values(KindCase{"colour", {"rbColor"}, TBackImage::Colour},
                      KindCase{"gradient", {"rbColor", "rbGradation"}, TBackImage::Gradient},
                      KindCase{"pictureFitted", {"rbImage"}, TBackImage::Fitted},
                      KindCase{"pictureCentred", {"rbImage", "rbCenter"}, TBackImage::Centred},
                      KindCase{"pictureTiled", {"rbImage", "rbTiled"}, TBackImage::Tiled},
                      KindCase{"backToNone", {"rbColor", "rbNone"}, TBackImage::None}),
    rowName);

TEST_F(BackImageDialog, choosingColourGivesAnOrangePageAtOnce)
{
    open();
    click("rbColor");
    EXPECT_EQ(cardCentre(), QColor(255, 160, 91));
    saveScreenshot(&dialog, QStringLiteral("BackImageDialog_colour"));
}

TEST_F(BackImageDialog, pictureKindWithoutAPictureEndsAsNone)
{
    open();
    click("rbImage");
    dialog.accept();
    EXPECT_EQ(dialog.WorkItem().GetKind(), TBackImage::None);
}

TEST_F(BackImageDialog, aDroppedPictureSwitchesFromColourToThePicturePlacement)
{
    open();
    click("rbColor");
    ASSERT_TRUE(dialog.LoadPicture(pictureFile()));
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbImage")->isChecked());
    EXPECT_EQ(dialog.WorkItem().GetKind(), TBackImage::Fitted);
    EXPECT_EQ(cardCentre(), QColor(0, 128, 0));
    dialog.accept();
    EXPECT_EQ(dialog.WorkItem().GetKind(), TBackImage::Fitted);
}

TEST_F(BackImageDialog, aFileThatIsNoPictureLeavesTheBackground)
{
    open();
    click("rbColor");
    QFile text(dir.filePath(QStringLiteral("note.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    EXPECT_FALSE(dialog.LoadPicture(text.fileName()));
    EXPECT_TRUE(dialog.WorkItem().Picture().isNull());
}

// The chosen file is gone by the time it is read: the user hears which file
// could not be read and the colour background set before stays.
TEST_F(BackImageDialog, aVanishedPictureFileIsNamedAndTheColourBackgroundStays)
{
    TBackImage background;
    background.SetKind(TBackImage::Colour);
    background.SetColor1(clBlue);
    open(background);
    const QString gone = dir.filePath(QStringLiteral("gone.bmp"));
    dialog.ChooseImageFile = [&gone] { return gone; };
    child<QPushButton>(dialog, "bbtnImage")->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(gone)) << qPrintable(boxes.last().text);
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbColor")->isChecked());
    dialog.accept();
    EXPECT_EQ(dialog.WorkItem().GetKind(), TBackImage::Colour);
    EXPECT_EQ(dialog.WorkItem().GetColor1(), clBlue);
}

TEST_F(BackImageDialog, returnInTheAngleAppliesItAndTheNextReturnConfirms)
{
    open();
    click("rbColor");
    click("rbGradation");
    auto *angle = child<QLineEdit>(dialog, "edAngle");
    angle->setFocus();
    angle->selectAll();
    QTest::keyClicks(angle, QStringLiteral("45"));
    QTest::keyClick(angle, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.WorkItem().GetGradientAngle(), 45);
    QTest::keyClick(angle, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(BackImageDialog, landscapePaperGivesAWideCentredMiniature)
{
    open({}, 1480, 1000);
    QWidget *card = child<QWidget>(dialog, "pnlCard");
    QWidget *frame = child<QWidget>(dialog, "pnlPreview");
    EXPECT_GT(card->width(), card->height());
    EXPECT_LE(card->width(), qRound(frame->height() * 0.9) + 1);
    EXPECT_NEAR(card->x() * 2 + card->width(), frame->width(), 1);
    EXPECT_NEAR(card->y() * 2 + card->height(), frame->height(), 1);
}

TEST_F(BackImageDialog, gradientKeepsItsSecondColourAndAngle)
{
    TBackImage background;
    background.SetKind(TBackImage::Gradient);
    background.SetColor1(clBlue);
    background.SetColor2(clYellow);
    background.SetGradientAngle(30);
    open(background);
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbGradation")->isChecked());
    EXPECT_EQ(dialog.WorkItem().GetColor2(), clYellow);
    EXPECT_EQ(child<QLineEdit>(dialog, "edAngle")->text(), QStringLiteral("30"));
}

} // namespace

namespace {

TEST_F(BackImageDialog, aFileDroppedOnTheMiniatureBecomesThePicture)
{
    open();
    QWidget *card = child<QWidget>(dialog, "pnlCard");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(pictureFile())});
    const QPointF at(card->width() / 2.0, card->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(card, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(card, &drop);
    EXPECT_FALSE(dialog.WorkItem().Picture().isNull());
    EXPECT_EQ(dialog.WorkItem().GetKind(), TBackImage::Fitted);
}

} // namespace
