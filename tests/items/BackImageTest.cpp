#include "StreamBytes.h"
#include "items/BackImage.h"
#include "items/ImgUtils.h"

#include <QBuffer>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A postcard page at zoom 1: 378 x 559 pixels.
void postcard(TBackImage &Back)
{
    Back.SetPaperSize(1000, 1480);
    Back.SetPageRect(QRect(0, 0, 378, 559));
    Back.SetZoom(1);
}

QImage picture(int W, int H, QColor Corner = Qt::red)
{
    QImage img(W, H, QImage::Format_RGB888);
    img.fill(Qt::blue);
    img.setPixelColor(0, 0, Corner);
    return img;
}

QByteArray jpeg(const QImage &Image)
{
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    Image.save(&b, "JPEG");
    return bytes;
}

TEST(BackImageTest, whiteColourAndWhiteGradientDrawAndPrintNothing)
{
    TBackImage back;
    postcard(back);
    back.SetKind(TBackImage::Colour);
    back.SetColor1(0xFFFFFF);
    back.Rebuild(false);
    EXPECT_TRUE(back.IsEmpty());
    back.SetKind(TBackImage::Gradient);
    back.SetColor2(0xFFFFFF);
    back.Rebuild(false);
    EXPECT_TRUE(back.IsEmpty());
    back.SetColor2(0x000000);
    back.Rebuild(false);
    EXPECT_EQ(back.Bitmap().size(), QSize(378, 559));
}

TEST(BackImageTest, settingAPictureOnAColourBackgroundFitsItAt72Dpi)
{
    TBackImage back;
    back.SetKind(TBackImage::Colour);
    back.SetResolution(300);
    back.SetPicture(picture(100, 50));
    EXPECT_EQ(back.GetKind(), TBackImage::Fitted);
    EXPECT_EQ(back.GetResolution(), 72);
    postcard(back);
    back.Rebuild(false);
    // 378 wide, the picture keeps 2:1: 189 high, centred ((559 - 189) / 2 = 185).
    EXPECT_EQ(back.Bitmap().pixelColor(0, 185), QColor(Qt::red));
    EXPECT_EQ(back.Bitmap().pixelColor(5, 100), QColor(Qt::white));
}

TEST(BackImageTest, centredPictureIsPixelsOverDpiTimes96TimesZoom)
{
    TBackImage back;
    back.SetPicture(picture(150, 150));
    back.SetKind(TBackImage::Centred);
    back.SetResolution(300); // 48 pixels at zoom 1, 96 at zoom 2
    postcard(back);
    back.SetZoom(2);
    back.Rebuild(false);
    const QImage &b = back.Bitmap();
    const int left = (b.width() - 96) / 2, top = (b.height() - 96) / 2;
    EXPECT_EQ(b.pixelColor(left, top), QColor(Qt::red));
    EXPECT_EQ(b.pixelColor(left + 95, top + 95), QColor(Qt::blue));
    EXPECT_EQ(b.pixelColor(left + 97, top + 50), QColor(Qt::white));
}

TEST(BackImageTest, printedTilesCoverThePageAndStartBottomRightUpsideDown)
{
    TBackImage back;
    back.SetPicture(picture(300, 300));
    back.SetKind(TBackImage::Tiled);
    back.SetResolution(600);
    back.SetPaperSize(424, 254); // 1002 x 600 dots at 600 dpi, the page 1000 of them
    back.PreparePrint({}, false, 0, TPrinterGeometry{{600, 600}, 0, 0}, QSize(1000, 600));
    EXPECT_EQ(back.PrintPageRect(), QRect(0, 0, 1000, 600));
    EXPECT_EQ(back.TileCount(), QSize(4, 2));
    QImage page(1100, 700, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        back.Print(p, 0, 0);
    }
    EXPECT_EQ(page.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(page.pixelColor(900, 0), QColor(Qt::red)); // the fourth column, clipped at 1000
    EXPECT_EQ(page.pixelColor(1010, 10), QColor(Qt::white));
    back.SetRotate180(true);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        back.Print(p, 0, 0);
    }
    // The turned tile's red corner is its lower right, at the page's corner.
    EXPECT_EQ(page.pixelColor(999, 599), QColor(Qt::red));
    EXPECT_EQ(page.pixelColor(0, 0), QColor(Qt::blue));
}

TEST(BackImageTest, jpegBytesRoundTripWithTheirTransforms)
{
    const QByteArray bytes = jpeg(picture(8, 4));
    const auto decoded = LoadImageBytes(bytes, 2);
    ASSERT_TRUE(decoded);
    TBackImage back;
    back.SetPicture(decoded->Image, bytes);
    back.Rotate(1);
    back.Mirror(false);
    back.Rotate(1);
    back.SetRotate180(true);
    TItemWriter w;
    back.SaveToStream(w);
    TBackImage read;
    TItemReader r(w.bytes(), {});
    read.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(read.Jpeg(), bytes);
    EXPECT_EQ(read.Picture().size(), back.Picture().size());
    EXPECT_EQ(read.Picture(), back.Picture());
    EXPECT_TRUE(read.IsRotate180());
    TItemWriter again;
    read.SaveToStream(again);
    EXPECT_TRUE(sameBytes(again.bytes(), w.bytes()));
}

TEST(BackImageTest, anUpsideDownBitmapStaysTheSameThroughSaveAndLoad)
{
    TBackImage back;
    back.SetPicture(picture(6, 3));
    back.SetRotate180(true);
    TBackImage current;
    current.Assign(back);
    for (int round = 0; round < 3; ++round) {
        TItemWriter w;
        current.SaveToStream(w);
        TItemReader r(w.bytes(), {});
        TBackImage next;
        next.LoadFromStream(r);
        EXPECT_EQ(next.Picture(), back.Picture()) << round;
        current.Assign(next);
    }
}

TEST(BackImageTest, aMissingPictureDoesNotDesyncTheReader)
{
    TBackImage back;
    back.SetKind(TBackImage::Tiled);
    back.SetExtension(QStringLiteral("BMP"));
    TItemWriter w;
    back.SaveToStream(w);
    w.writeInt32(12345); // whatever follows in the file
    TBackImage read;
    TItemReader r(w.bytes(), {});
    read.LoadFromStream(r);
    EXPECT_EQ(read.GetKind(), TBackImage::None);
    EXPECT_EQ(r.readInt32(), 12345);
}

TEST(BackImageTest, version300HasNoUpsideDownByteAndBadPicturesRaise)
{
    const QByteArray v300Bytes = hexBytes("05 FF000000 00FF0000 5A000000");
    TItemReader v300(v300Bytes, {300});
    TBackImage back;
    back.LoadFromStream(v300);
    EXPECT_TRUE(v300.atEnd());
    EXPECT_EQ(back.GetKind(), TBackImage::Gradient);
    EXPECT_EQ(back.GetGradientAngle(), 90);
    TItemWriter w;
    w.writeByte(1);
    w.writeXorString(u"jpg");
    w.writeInt32(4);
    w.writeBytes(hexBytes("FFD8FFD9 00 00 03"));
    w.writeInt32(72);
    TItemReader bad(w.bytes(), {});
    try {
        back.LoadFromStream(bad);
        FAIL();
    } catch (const EItemFormatError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("画像が読み込めませんでした  "));
    }
}

} // namespace
