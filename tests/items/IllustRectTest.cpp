#include "StreamBytes.h"
#include "items/IllustRect.h"
#include "items/ImgUtils.h"
#include "items/MaskShapes.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QImage picture(int W, int H)
{
    QImage img(W, H, QImage::Format_RGB888);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            img.setPixelColor(x, y, QColor(x * 255 / std::max(1, W - 1), y * 255 / std::max(1, H - 1), 64));
    return img;
}

QByteArray jpeg(const QImage &Image)
{
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    Image.save(&b, "JPG", 95);
    return bytes;
}

QByteArray saved(const TIllustRect &Item)
{
    TItemWriter w;
    Item.SaveToStream(w);
    return w.takeBytes();
}

void load(TIllustRect &Item, const QByteArray &Bytes, qint32 Version = DrawRectVersion)
{
    TItemReader r(Bytes, TItemReadContext{Version});
    Item.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
}

std::vector<TMaskShape> squareLibrary(int Count)
{
    std::vector<TMaskShape> shapes;
    for (int i = 1; i <= Count; ++i) {
        QPainterPath p;
        p.addRect(0, 0, 1, 1);
        shapes.push_back({i, QStringLiteral("square"), p});
    }
    return shapes;
}

class IllustRect : public ::testing::Test
{
protected:
    void SetUp() override { SetMaskFiles(squareLibrary(13)); }
    void TearDown() override { FreeMaskFiles(); }
};

} // namespace

TEST_F(IllustRect, JpegMirroredBothWaysIsAHalfTurnAndRoundTripsItsBytes)
{
    TIllustRect item;
    item.SetRect({0, 0, 40, 30});
    const QByteArray bytes = jpeg(picture(16, 12));
    item.SetPicture(QImage::fromData(bytes), bytes);
    item.Mirror(false);
    item.Mirror(true);
    EXPECT_EQ(item.FlipH(), 0);
    EXPECT_EQ(item.FlipV(), 0);
    EXPECT_EQ(item.RotateCode(), 2);
    const QByteArray first = saved(item);
    TIllustRect back;
    load(back, first);
    EXPECT_EQ(back.Jpeg(), bytes);
    EXPECT_EQ(back.RotateCode(), 2);
    EXPECT_EQ(back.GetBitmap(), item.GetBitmap());
    EXPECT_TRUE(sameBytes(saved(back), first));
}

TEST_F(IllustRect, TrackedTurnsFollowTheTableAndFourQuarterTurnsReturn)
{
    TIllustRect item;
    const QByteArray bytes = jpeg(picture(8, 6));
    item.SetPicture(QImage::fromData(bytes), bytes);
    const int expected[4] = {0, 2, 1, 3};
    for (int i = 0; i < 4; ++i) {
        item.Rotate(0);
        EXPECT_EQ(item.RotateCode(), expected[i]) << i;
    }
    item.Rotate(1);
    item.Rotate(2);
    EXPECT_EQ(item.RotateCode(), 0);
}

TEST_F(IllustRect, StoredTransformRestoresTheSamePicture)
{
    // Every mix of mirrorings and turns must come back as the same pixels.
    const QByteArray bytes = jpeg(picture(10, 7));
    for (int h = 0; h < 2; ++h)
        for (int v = 0; v < 2; ++v)
            for (int t = 0; t < 4; ++t) {
                TIllustRect item;
                item.SetPicture(QImage::fromData(bytes), bytes);
                if (h)
                    item.Mirror(false);
                if (t < 3)
                    item.Rotate(t);
                if (v)
                    item.Mirror(true);
                TIllustRect back;
                load(back, saved(item));
                EXPECT_EQ(back.GetBitmap(), item.GetBitmap()) << h << v << t;
            }
}

TEST_F(IllustRect, BitmapPictureRoundTripsByteExact)
{
    TIllustRect item;
    item.SetRect({10, 20, 110, 90});
    item.SetPicture(picture(5, 3));
    item.SetResolution(300);
    item.SetMask(4);
    item.Frame().SetFrame(true);
    item.Frame().SetLineWidth(2);
    const QByteArray first = saved(item);
    TIllustRect back;
    load(back, first);
    EXPECT_EQ(back.Extension(), QStringLiteral("bmp"));
    EXPECT_EQ(back.GetBitmap(), item.GetBitmap());
    EXPECT_EQ(back.GetMaskIndex(), 4);
    EXPECT_EQ(back.GetResolution(), 300);
    EXPECT_TRUE(sameBytes(saved(back), first));
}

TEST_F(IllustRect, EmptyPictureWritesNoExtensionSoTheReaderStaysInStep)
{
    TIllustRect item;
    item.SetRect({0, 0, 10, 10});
    item.SetPicture(picture(2, 2));
    item.SetPicture(QImage());
    TIllustRect back;
    load(back, saved(item));
    EXPECT_TRUE(back.Extension().isEmpty());
    EXPECT_TRUE(back.GetBitmap().isNull());
}

TEST_F(IllustRect, DamagedStreamsAreRefused)
{
    TIllustRect item;
    item.SetRect({0, 0, 10, 10});
    const QByteArray bytes = jpeg(picture(8, 8));
    item.SetPicture(QImage::fromData(bytes), bytes);
    const QByteArray good = saved(item);
    const qsizetype countAt = 16 + 1 + 4 + 3; // base record, visibility, extension "jpg"
    QByteArray huge = good;
    huge[countAt + 3] = char(0x7F);
    QByteArray garbage = good;
    for (qsizetype i = countAt + 4; i < countAt + 40; ++i)
        garbage[i] = char(0x11);
    QByteArray bmp;
    {
        TIllustRect b;
        b.SetPicture(picture(4, 4));
        bmp = saved(b);
        bmp[16 + 1 + 4 + 3 + 2] = char(0xFF); // the BMP's own length, far beyond the stream
        bmp[16 + 1 + 4 + 3 + 5] = char(0x7F);
    }
    for (const QByteArray &bad : {good.left(good.size() - 3), huge, garbage, bmp}) {
        TIllustRect back;
        TItemReader r(bad, TItemReadContext{});
        EXPECT_THROW(back.LoadFromStream(r), EItemFormatError);
    }
}

TEST_F(IllustRect, OldVersionsShiftMaskIndexesAndTakeTheItemRectangle)
{
    TIllustRect item;
    item.SetRect({5, 6, 55, 46});
    item.SetMask(1);
    const QByteArray now = saved(item);
    // Version 200 lacks the visibility byte, the mask rectangle and the half-turn byte.
    QByteArray v200 = now;
    const qsizetype maskRectAt = 16 + 1 + 4 + 4 + 4;
    v200.remove(maskRectAt, 16);
    v200.remove(16, 1);
    v200.chop(1);
    TIllustRect old;
    load(old, v200, 200);
    EXPECT_EQ(old.GetMaskIndex(), 2);
    EXPECT_EQ(old.GetMaskRect(), (TPageRect{5, 6, 55, 46}));
    QByteArray v299 = now;
    v299.chop(1);
    TIllustRect shifted;
    load(shifted, v299, 299);
    EXPECT_EQ(shifted.GetMaskIndex(), 2);
    item.SetMask(0);
    QByteArray zero = saved(item);
    zero.chop(1);
    TIllustRect kept;
    load(kept, zero, 299);
    EXPECT_EQ(kept.GetMaskIndex(), 0);
}

TEST_F(IllustRect, MaskAndTransparentColourExcludeEachOther)
{
    TIllustRect item;
    item.SetPicture(picture(4, 4));
    item.SetMask(3);
    item.SetTransparentColor(0x0000FF);
    EXPECT_EQ(item.GetMaskIndex(), -1);
    EXPECT_FALSE(item.HasMaskShape());
    item.SetMask(2);
    EXPECT_EQ(item.GetTransparentColor(), TIllustRect::NoColor);
    EXPECT_TRUE(item.HasMaskShape());
    item.SetMask(20); // not in the library: no shape, the picture left whole
    EXPECT_FALSE(item.HasMaskShape());
    EXPECT_EQ(item.GetMaskIndex(), 20);
}

// A shape the library does not hold (its file missing or damaged) never
// makes the picture vanish: it shows and prints whole, on both printer paths.
TEST_F(IllustRect, MaskTheLibraryLacksLeavesThePictureWhole)
{
    FreeMaskFiles();
    for (bool limited : {false, true}) {
        TIllustRect item;
        item.SetZoom(1);
        item.SetRect({0, 0, 16, 16}); // 100 x 100 dots at 600 dpi
        QImage blue(10, 10, QImage::Format_RGB888);
        blue.fill(Qt::blue);
        item.SetPicture(blue);
        item.SetMask(0);
        item.SetLimitedPrinter(limited);
        QImage screen(16, 16, QImage::Format_RGB32);
        screen.fill(Qt::white);
        {
            QPainter p(&screen);
            item.Draw(p, 0, 0);
        }
        EXPECT_EQ(screen.pixelColor(1, 1), QColor(Qt::blue)) << limited;
        EXPECT_EQ(screen.pixelColor(14, 14), QColor(Qt::blue)) << limited;
        item.CalcPrintRect({}, TPrinterGeometry{}, true);
        QImage page(100, 100, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter p(&page);
            item.Print(p, 0, 0);
        }
        EXPECT_EQ(page.pixelColor(5, 5), QColor(Qt::blue)) << limited;
        EXPECT_EQ(page.pixelColor(94, 94), QColor(Qt::blue)) << limited;
    }
}

TEST_F(IllustRect, ResizingScalesTheMaskRectangle)
{
    TIllustRect item;
    item.SetRect({0, 0, 100, 50});
    EXPECT_EQ(item.GetMaskRect(), (TPageRect{0, 0, 100, 50}));
    item.SetZoom(2);
    item.SetMaskRect({20, 10, 120, 60});
    EXPECT_EQ(item.GetMaskRect(), (TPageRect{10, 5, 60, 30}));
    item.SetRect({100, 100, 300, 200});
    EXPECT_EQ(item.GetMaskRect(), (TPageRect{120, 110, 220, 160}));
    EXPECT_EQ(item.GetMaskDispRect(), (TScreenRect{240, 220, 440, 320}));
}

TEST_F(IllustRect, MaskedDrawShowsThePictureOnlyInsideTheShape)
{
    QPainterPath half;
    half.addRect(0, 0, 0.5, 1);
    SetMaskFiles({{1, QStringLiteral("left"), half}});
    TIllustRect item;
    item.SetZoom(1);
    item.SetRect({0, 0, 40, 20});
    QImage red(4, 2, QImage::Format_RGB888);
    red.fill(Qt::red);
    item.SetPicture(red);
    item.SetMask(0);
    QImage canvas(40, 20, QImage::Format_RGB32);
    canvas.fill(Qt::green);
    {
        QPainter p(&canvas);
        item.Draw(p, 0, 0);
    }
    EXPECT_EQ(canvas.pixelColor(5, 10), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(35, 10), QColor(Qt::green));
    EXPECT_FALSE(item.DisplayCache().isNull());
    item.SetMask(-1);
    EXPECT_TRUE(item.DisplayCache().isNull());
}

TEST_F(IllustRect, PrintCacheOnlyForALargerPictureWithoutTransparentColour)
{
    TIllustRect item;
    item.SetRect({0, 0, 96, 48}); // 600 x 300 dots at 600 dpi
    item.SetPicture(picture(800, 400));
    TPrinterGeometry printer;
    item.CalcPrintRect({}, printer, true);
    EXPECT_EQ(item.PrintCache().size(), QSize(600, 300));
    item.ReleasePrint();
    EXPECT_TRUE(item.PrintCache().isNull());
    item.SetPicture(picture(800, 200));
    item.CalcPrintRect({}, printer, true);
    EXPECT_TRUE(item.PrintCache().isNull());
    item.SetPicture(picture(800, 400));
    item.SetTransparentColor(0x123456);
    item.CalcPrintRect({}, printer, true);
    EXPECT_TRUE(item.PrintCache().isNull());
}

TEST_F(IllustRect, PrintedMaskMatchesOnBothPrinterPaths)
{
    QPainterPath top;
    top.addRect(0, 0, 1, 0.5);
    SetMaskFiles({{1, QStringLiteral("top"), top}});
    for (bool limited : {false, true}) {
        TIllustRect item;
        item.SetRect({0, 0, 16, 16}); // 100 x 100 dots at 600 dpi
        QImage blue(10, 10, QImage::Format_RGB888);
        blue.fill(Qt::blue);
        item.SetPicture(blue);
        item.SetMask(0);
        item.SetLimitedPrinter(limited);
        item.CalcPrintRect({}, TPrinterGeometry{}, true);
        QImage page(120, 120, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter p(&page);
            item.Print(p, 0, 0);
        }
        EXPECT_EQ(page.pixelColor(50, 20), QColor(Qt::blue)) << limited;
        EXPECT_EQ(page.pixelColor(50, 80), QColor(Qt::white)) << limited;
        item.ReleasePrint();
    }
}

TEST(MaskShapes, InstalledShapesAreClosedInsideTheUnitSquareAndInOrder)
{
    QFile file(QStringLiteral(MURVEN_MASKS_SOURCE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::vector<TMaskShape> shapes = ParseMaskShapes(file.readAll());
    ASSERT_EQ(shapes.size(), 13u);
    const QStringList names{"circle", "oval",   "heart",         "star",  "diamond", "rounded-square", "cloud",
                            "hexagon", "triangle", "octagon", "speech-bubble", "cross", "arch"};
    for (size_t i = 0; i < shapes.size(); ++i) {
        EXPECT_EQ(shapes[i].Number, int(i) + 1);
        EXPECT_EQ(shapes[i].Name, names[int(i)]);
        const QRectF bounds = shapes[i].Path.controlPointRect();
        EXPECT_TRUE(QRectF(0, 0, 1, 1).contains(bounds)) << i;
        EXPECT_GT(bounds.width() * bounds.height(), 0.25) << i;
        const QPainterPath::Element first = shapes[i].Path.elementAt(0);
        const QPainterPath::Element last = shapes[i].Path.elementAt(shapes[i].Path.elementCount() - 1);
        EXPECT_EQ(QPointF(first), QPointF(last)) << i;
        EXPECT_TRUE(shapes[i].Path.contains(bounds.center())) << i;
    }
}

TEST(MaskShapes, BrokenFilesNameTheFault)
{
    const char *bad[] = {
        "shape 1 a\nM 0 0\nL 1 0\nL 1 1\nend\n",     // not closed
        "shape 1 a\nM 0 0\nL 1.5 0\nL 1 1\nZ\nend\n", // outside the square
        "shape 2 a\nM 0 0\nL 1 0\nL 1 1\nZ\nend\n",   // numbers must start at 1
        "shape 1 a\nM 0 0\nL 1 0\nL 1 1\nZ\n",        // no end
        "shape 1 a\nM 0 0\nQ 1 0\nZ\nend\n",          // unknown command
    };
    for (const char *text : bad)
        EXPECT_THROW((void)ParseMaskShapes(text), EMaskShapeError) << text;
    EXPECT_THROW(LoadMaskFiles(QStringLiteral("/nonexistent/masks.txt")), EMaskShapeError);
    EXPECT_EQ(MaskFileCount(), 0);
    // A file of comments alone would leave every mask index without its shape.
    QTemporaryDir dir;
    QFile empty(dir.filePath(QStringLiteral("masks.txt")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.write("# no shapes\n");
    empty.close();
    EXPECT_THROW(LoadMaskFiles(empty.fileName()), EMaskShapeError);
}

TEST_F(IllustRect, MaskFrameHasItsOwnEdgeZonesAndCursors)
{
    TIllustRect item;
    item.SetZoom(1);
    item.SetRect({0, 0, 200, 100});
    item.SetMaskRect({50, 20, 150, 80});
    struct Case {
        int x, y;
        TItemCursor cursor;
    } cases[] = {
        {50, 20, TItemCursor::SizeNWSE}, {149, 79, TItemCursor::SizeNWSE}, {100, 20, TItemCursor::SizeNS},
        {50, 50, TItemCursor::SizeWE},   {90, 60, TItemCursor::Move},       {10, 10, TItemCursor::Default},
    };
    for (const Case &c : cases)
        EXPECT_EQ(item.GetMaskCursor(c.x, c.y), c.cursor) << c.x << "," << c.y;
    EXPECT_EQ(item.MaskHitZone(0, 0).x, THitZoneX::None);
}

TEST_F(IllustRect, TurnedMaskShowsTheSameOnPaperAsOnScreen)
{
    QPainterPath top;
    top.addRect(0, 0, 1, 0.5);
    SetMaskFiles({{1, QStringLiteral("top"), top}});
    TIllustRect source;
    source.SetRect({0, 0, 16, 16});
    QImage blue(10, 10, QImage::Format_RGB888);
    blue.fill(Qt::blue);
    source.SetPicture(blue);
    source.SetMask(0);
    QByteArray bytes = saved(source);
    bytes[bytes.size() - 1] = 1; // the mask's half turn, only ever read from files
    TIllustRect item;
    load(item, bytes);
    ASSERT_TRUE(item.IsMaskRotate180());
    item.SetZoom(1);
    QImage screen(16, 16, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        item.Draw(p, 0, 0);
    }
    EXPECT_EQ(screen.pixelColor(8, 2), QColor(Qt::white));
    EXPECT_EQ(screen.pixelColor(8, 13), QColor(Qt::blue));
    item.CalcPrintRect({}, TPrinterGeometry{}, true);
    QImage page(100, 100, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        item.Print(p, 0, 0);
    }
    EXPECT_EQ(page.pixelColor(50, 10), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(50, 90), QColor(Qt::blue));
}

TEST_F(IllustRect, TransparentColourLeavesTheBackgroundShowing)
{
    TIllustRect item;
    item.SetZoom(1);
    item.SetRect({0, 0, 20, 10});
    QImage img(2, 1, QImage::Format_RGB888);
    img.setPixelColor(0, 0, Qt::red);
    img.setPixelColor(1, 0, Qt::white);
    item.SetPicture(img);
    item.SetTransparentColor(0xFFFFFF);
    QImage canvas(20, 10, QImage::Format_RGB32);
    canvas.fill(Qt::green);
    {
        QPainter p(&canvas);
        item.Draw(p, 0, 0);
    }
    EXPECT_EQ(canvas.pixelColor(3, 5), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(16, 5), QColor(Qt::green));
    // A new picture drops the colour: it belonged to the old one.
    item.SetPicture(img);
    EXPECT_EQ(item.GetTransparentColor(), TIllustRect::NoColor);
}

TEST_F(IllustRect, AssignCopiesAllButSmoothing)
{
    TIllustRect source;
    source.SetRect({1, 2, 41, 32});
    const QByteArray bytes = jpeg(picture(8, 8));
    source.SetPicture(QImage::fromData(bytes), bytes);
    source.Rotate(1);
    source.SetMask(5);
    source.SetResolution(144);
    source.SetLimitedPrinter(true);
    source.SetSmoothStretch(true);
    TIllustRect copy;
    copy.Assign(source);
    EXPECT_TRUE(sameBytes(saved(copy), saved(source)));
    EXPECT_TRUE(copy.HasMaskShape());
    EXPECT_TRUE(copy.IsLimitedPrinter());
    EXPECT_FALSE(copy.IsSmoothStretch());
}
