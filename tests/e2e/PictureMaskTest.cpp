// A picture cut out by a mask shape, the way a user goes: 文面印刷 from the
// main list, 挿入 -> イラスト, a double click on the picture, then
// イラストの表示設定 -> 型抜き・透明化 -> 型抜き with a shape picked from the
// thumbnails by the mouse and the arrows. The shapes are the file the build
// puts into the program folder, loaded by the editor as it opens. The
// dialog's preview, the editor's page and the printed PDF's ink are read
// back inside and outside the shape; a shape file missing or damaged is
// named to the user and the picture prints whole.
#include "PrintedInk.h"
#include "UserRoad.h"
#include "dialogs/DsnPrt.h"
#include "editors/ItemCommands.h"
#include "editors/PageView.h"
#include "items/IllustRect.h"
#include "platform/Folders.h"
#include "support/RowName.h"
#include "support/Screenshot.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>

namespace {

constexpr int kDpi = 150;
// The picture's one colour, dark enough to count as ink.
const QColor kPicture(0, 0, 160);
// The diamond, the fifth shape: the thumbnail of the heart (third) is
// clicked and the arrow to the right moves two thumbnails on.
constexpr int kHeart = 2, kDiamond = 4;

bool isPictureColour(QRgb P)
{
    return std::abs(qRed(P) - kPicture.red()) < 48 && std::abs(qGreen(P) - kPicture.green()) < 48 &&
           std::abs(qBlue(P) - kPicture.blue()) < 48;
}

// The share (0..1) of the pixels of the part (U0, V0)-(U1, V1) of Box (its
// fractions) that show the picture's colour.
double pictureShare(const QImage &Image, const QRect &Box, double U0, double V0, double U1, double V1)
{
    const QRect part(QPoint(Box.left() + int(Box.width() * U0), Box.top() + int(Box.height() * V0)),
                     QPoint(Box.left() + int(Box.width() * U1), Box.top() + int(Box.height() * V1)));
    int shown = 0, all = 0;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x) {
            ++all;
            shown += Image.rect().contains(x, y) && isPictureColour(Image.pixel(x, y)) ? 1 : 0;
        }
    return all ? double(shown) / all : 0.0;
}

// The four corners of a box, away from its edges (where an editor draws
// its frame and handles): outside a diamond drawn into the box.
constexpr double kCorners[4][4] = {
    {0.06, 0.06, 0.18, 0.18}, {0.82, 0.06, 0.94, 0.18}, {0.06, 0.82, 0.18, 0.94}, {0.82, 0.82, 0.94, 0.94}};

// Box shows the picture in its middle and, when Cut, nothing of it in its
// corners; uncut, the corners show it as well.
void expectDiamond(const QImage &Image, const QRect &Box, bool Cut, const char *Where)
{
    ASSERT_FALSE(Box.isEmpty()) << Where;
    EXPECT_GT(pictureShare(Image, Box, 0.4, 0.4, 0.6, 0.6), 0.95) << Where << ": the middle of the picture";
    for (const auto &c : kCorners) {
        const double share = pictureShare(Image, Box, c[0], c[1], c[2], c[3]);
        if (Cut) {
            EXPECT_EQ(share, 0.0) << Where << ": the corner at " << c[0] << ", " << c[1];
        } else {
            EXPECT_GT(share, 0.95) << Where << ": the corner at " << c[0] << ", " << c[1];
        }
    }
}

// The box of the picture's colour in Image.
QRect pictureBox(const QImage &Image)
{
    QRect box;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            if (isPictureColour(Image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

class PictureMaskRoad : public UserRoadFixture
{
protected:
    void SetUp() override
    {
        UserRoadFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        QDir().mkpath(maskFolder());
    }
    void TearDown() override
    {
        QFile::remove(maskFile());
        UserRoadFixture::TearDown();
    }

    static QString maskFolder() { return Folders::programFolder() + QStringLiteral("Common/Mask/"); }
    static QString maskFile() { return maskFolder() + QStringLiteral("masks.txt"); }
    // The shape file as the build lays it into the program folder.
    static QByteArray builtShapes()
    {
        QFile built(QStringLiteral(MURVEN_MASK_BUILT));
        EXPECT_TRUE(built.open(QIODevice::ReadOnly)) << MURVEN_MASK_BUILT;
        return built.readAll();
    }
    static void installShapes(const QByteArray &Text)
    {
        QFile::remove(maskFile());
        QFile file(maskFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(Text), Text.size());
    }

    // The design editor opened from the main list, a picture of one colour
    // (400 x 300 unless told, its file stating Dpi when given) inserted
    // through 挿入 -> イラスト.
    // A picture inserted with the installed shapes and cut to the diamond in
    // its settings dialog.
    TIllustRect *openWithDiamondCut()
    {
        installShapes(builtShapes());
        TIllustRect *picture = openWithPicture();
        if (picture)
            editPicture(*picture, [this](QDialog &D) { chooseDiamond(D); });
        return picture;
    }

    TIllustRect *openWithPicture(QSize Size = {400, 300}, int Dpi = 0)
    {
        if (!editor)
            editor = openEditor("actDesignPrint", TPrintEditorKind::Design, 0);
        if (!editor)
            return nullptr;
        editor->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(editor));
        QImage image(Size, QImage::Format_RGB32);
        image.fill(kPicture);
        if (Dpi > 0) {
            image.setDotsPerMeterX(int(std::lround(Dpi / 0.0254)));
            image.setDotsPerMeterY(int(std::lround(Dpi / 0.0254)));
        }
        const QString picture = out.filePath(QStringLiteral("photo.bmp"));
        EXPECT_TRUE(image.save(picture));
        editor->findChild<TItemCommands *>()->ChooseImageFile = [picture] { return picture; };
        const size_t before = editor->Document().Items.size();
        editor->findChild<QAction *>(QStringLiteral("actInsertIllust"))->trigger();
        EXPECT_EQ(editor->Document().Items.size(), before + 1);
        return editor->Document().Items.size() == before + 1
                   ? dynamic_cast<TIllustRect *>(editor->Document().Items.back().get())
                   : nullptr;
    }

    // Where Item stands on the editor's page view.
    QRect onScreen(const TDrawRect &Item) const
    {
        const TScreenRect r = Item.GetDispRect();
        return QRect(TPageView::Margin + r.Left, TPageView::Margin + r.Top, r.width(), r.height());
    }

    // A double click on the picture opens its settings; Choose works the
    // dialog, then OK is pressed.
    void editPicture(const TIllustRect &Item, const std::function<void(QDialog &)> &Choose)
    {
        editor->ExecDialog = [Choose](QDialog &Dialog) {
            Dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
            Choose(Dialog);
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        QTest::mouseDClick(editor->PageView(), Qt::LeftButton, {}, onScreen(Item).center());
    }

    // 型抜き, the heart's thumbnail clicked and the arrow to the right
    // pressed: the diamond chosen. The dialog's preview is kept.
    void chooseDiamond(QDialog &Dialog)
    {
        press(&Dialog, "rbMask");
        auto *heart = Dialog.findChild<QToolButton *>(QStringLiteral("pbxMask%1").arg(kHeart));
        ASSERT_NE(heart, nullptr) << "no thumbnail of the installed shapes";
        QTest::mouseClick(heart, Qt::LeftButton, {}, heart->rect().center());
        auto *masks = Dialog.findChild<QScrollArea *>(QStringLiteral("sbxMask"));
        ASSERT_EQ(QApplication::focusWidget(), masks);
        QTest::keyClick(masks, Qt::Key_Right);
        EXPECT_TRUE(Dialog.findChild<QToolButton *>(QStringLiteral("pbxMask%1").arg(kDiamond))->isChecked());
        preview = Dialog.findChild<QWidget *>(QStringLiteral("pbxPreview"))->grab().toImage();
    }

    // 印刷 through the design print dialog (its 印刷 pressed, the question
    // answered yes; Limited ticks 一部のプリンタ向け), the PDF rendered.
    QImage print(bool Limited)
    {
        editor->ExecDialog = [Limited](QDialog &Dialog) {
            EXPECT_NE(dynamic_cast<TDesignPrintDialog *>(&Dialog), nullptr);
            Dialog.show();
            auto *limited = Dialog.findChild<QCheckBox *>(QStringLiteral("ckbLimitedPrinter"));
            if (limited->isChecked() != Limited)
                press(&Dialog, "ckbLimitedPrinter");
            press(&Dialog, "btnPrint");
            return Dialog.result();
        };
        editor->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
        return renderPdf(pdfFile(), kDpi).value(0);
    }

    // Item's rectangle on the printed page, in dots.
    static QRect onPaper(const TDrawRect &Item) { return MmToDots(ItemMm(Item), kDpi); }

    TPrintEditor *editor = nullptr;
    QImage preview;
    QTemporaryDir out;
};

class PictureMaskPrinters : public PictureMaskRoad, public ::testing::WithParamInterface<bool>
{
};

// The shape chosen cuts the picture in the dialog, on the page and on paper
// (through the blending path and the clipping path for printers that
// cannot blend): inside it the picture, outside it no ink.
TEST_P(PictureMaskPrinters, chosenShapeCutsThePictureOnScreenAndOnPaper)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    TIllustRect *picture = openWithDiamondCut();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetMaskIndex(), kDiamond);
    expectDiamond(preview, pictureBox(preview), true, "the dialog's preview");

    const QImage page = editor->PageView()->grab().toImage();
    saveScreenshot(page, QStringLiteral("picture_mask_editor"));
    expectDiamond(page, onScreen(*picture), true, "the editor's page");

    const QImage printed = print(GetParam());
    ASSERT_FALSE(printed.isNull());
    saveScreenshot(printed, QStringLiteral("picture_mask_printed_") +
                                QLatin1String(GetParam() ? "clipped" : "blended"));
    const QRect box = onPaper(*picture);
    expectDiamond(printed, box, true, "the printed page");
    for (const auto &c : kCorners) {
        const QRect corner(QPoint(box.left() + int(box.width() * c[0]), box.top() + int(box.height() * c[1])),
                           QPoint(box.left() + int(box.width() * c[2]), box.top() + int(box.height() * c[3])));
        EXPECT_EQ(inkIn(printed, corner), 0) << "ink outside the shape";
    }
}

INSTANTIATE_TEST_SUITE_P(Printers, PictureMaskPrinters, ::testing::Bool(),
                         [](const auto &Info) { return std::string(Info.param ? "clipping" : "blending"); });

// A picture inserted from a file prints as large as the file's resolution
// says, also where it takes more than half the piece's width: 700 x 90
// pixels at 300 dpi are 59.3 x 7.6 mm on paper. The page keeps the address
// items, which cannot be deleted; the picture fits above them.
TEST_F(PictureMaskRoad, pictureOfAKnownResolutionPrintsAtItsOwnSize)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    editor = openEditor("actDesignPrint", TPrintEditorKind::Design, 0);
    ASSERT_NE(editor, nullptr);
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    // Whatever the user may delete goes first, item by item.
    for (int i = 0; i < 20 && !editor->Document().Items.empty(); ++i) {
        editor->PageView()->SetSelected(-1);
        editor->PageView()->SetSelected(0);
        editor->findChild<QAction *>(QStringLiteral("actDelete"))->trigger();
    }
    TIllustRect *picture = openWithPicture({700, 90}, 300);
    ASSERT_NE(picture, nullptr);
    ASSERT_GT(224, editor->Document().PiecePixels().width() / 2);
    EXPECT_EQ(ToQRect(picture->GetRect()).size(), QSize(224, 29));
    constexpr int dpi = 300;
    editor->ExecDialog = [](QDialog &Dialog) {
        Dialog.show();
        press(&Dialog, "btnPrint");
        return Dialog.result();
    };
    editor->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    const QImage printed = renderPdf(pdfFile(), dpi).value(0);
    ASSERT_FALSE(printed.isNull());
    const QRectF ink = InkBox(printed, dpi, MmToDots(ItemMm(*picture), dpi).adjusted(-60, -60, 60, 60));
    EXPECT_NEAR(ink.width(), 700 / 300.0 * 25.4, 0.2) << "printed " << ink.width() << " x " << ink.height() << " mm";
    EXPECT_NEAR(ink.height(), 90 / 300.0 * 25.4, 0.2) << "printed " << ink.width() << " x " << ink.height() << " mm";
}

// A layout saved with a masked picture opens with the shape and prints cut.
TEST_F(PictureMaskRoad, savedLayoutOpensWithItsMask)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    TIllustRect *picture = openWithDiamondCut();
    ASSERT_NE(picture, nullptr);
    const QString file = out.filePath(QStringLiteral("masked.gpd"));
    editor->ExecFileDialog = [file](bool) { return file; };
    editor->findChild<QAction *>(QStringLiteral("actSaveAs"))->trigger();
    ASSERT_TRUE(QFileInfo::exists(file));
    // Taken off in memory alone: only the file can give it back.
    picture->SetMask(-1);
    // The items opened are read from the file.
    editor->findChild<QAction *>(QStringLiteral("actOpen"))->trigger();
    ASSERT_EQ(editor->FileName(), file);

    const TIllustRect *opened = nullptr;
    for (const auto &item : editor->Document().Items)
        if (const auto *p = dynamic_cast<const TIllustRect *>(item.get()))
            opened = p;
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->GetMaskIndex(), kDiamond);
    const QImage printed = print(false);
    ASSERT_FALSE(printed.isNull());
    expectDiamond(printed, onPaper(*opened), true, "the printed page of the layout opened");
}

struct BrokenCase {
    const char *name;
    // Whether the file is there at all; when it is, its fifth shape has a
    // point outside the unit square.
    bool present;
};

class PictureMaskBroken : public PictureMaskRoad, public ::testing::WithParamInterface<BrokenCase>
{
};

// A shape file missing or damaged leaves no thumbnail; choosing 型抜き names
// the file, and the picture prints whole.
TEST_P(PictureMaskBroken, isNamedAndThePicturePrintsWhole)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    if (GetParam().present) {
        QByteArray text = builtShapes();
        const QByteArray sound = "shape 5 diamond\nM 0.5 0\nL 1 0.5\n";
        ASSERT_TRUE(text.contains(sound));
        text.replace(sound, "shape 5 diamond\nM 0.5 0\nL 1.5 0.5\n");
        ASSERT_NO_FATAL_FAILURE(installShapes(text));
    }
    TIllustRect *picture = openWithPicture();
    ASSERT_NE(picture, nullptr);
    boxes.clear();
    bool thumbnails = true;
    editPicture(*picture, [&thumbnails](QDialog &D) {
        thumbnails = D.findChild<QToolButton *>(QStringLiteral("pbxMask0")) != nullptr;
        press(&D, "rbMask");
    });
    EXPECT_FALSE(thumbnails);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("型抜きの図形を読み込めませんでした")));
    EXPECT_TRUE(boxes.last().text.contains(maskFile())) << boxes.last().text.toStdString();

    const QImage printed = print(false);
    ASSERT_FALSE(printed.isNull());
    expectDiamond(printed, onPaper(*picture), false, "the printed page");
}

INSTANTIATE_TEST_SUITE_P(Files, PictureMaskBroken,
                         ::testing::Values(BrokenCase{"missing", false}, BrokenCase{"damaged", true}), rowName);

} // namespace
