#include "items/ImgUtils.h"
#include "items/ItemStream.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

QImage row(std::initializer_list<int> Grays, int Rows = 1)
{
    QImage img(int(Grays.size()), Rows, QImage::Format_RGB888);
    for (int y = 0; y < Rows; ++y) {
        int x = 0;
        for (int g : Grays)
            img.setPixel(x++, y, qRgb(g, g, g));
    }
    return img;
}

QList<int> grays(const QImage &Image, int Y = 0)
{
    QList<int> out;
    for (int x = 0; x < Image.width(); ++x)
        out.append(qRed(Image.pixel(x, Y)));
    return out;
}

TEST(ImageFileTest, typeFollowsTheExtensionInAnyCase)
{
    EXPECT_EQ(GetImageFileType(QStringLiteral("a.bmp")), 1);
    EXPECT_EQ(GetImageFileType(QStringLiteral("a.Jpeg")), 2);
    EXPECT_EQ(GetImageFileType(QStringLiteral("a.JPG")), 2);
    EXPECT_EQ(GetImageFileType(QStringLiteral("a.png")), -1);
}

QByteArray bmpBytes(quint32 HeaderSize, quint32 PixelsPerMetre)
{
    QImage img(2, 2, QImage::Format_RGB888);
    img.fill(Qt::red);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "BMP");
    qToLittleEndian<quint32>(HeaderSize, bytes.data() + 14);
    qToLittleEndian<quint32>(PixelsPerMetre, bytes.data() + 38);
    return bytes;
}

QByteArray jpegBytes(int Unit, int Density, bool App0 = true)
{
    QImage img(4, 4, QImage::Format_RGB888);
    img.fill(Qt::blue);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "JPEG");
    // Qt writes JFIF APP0 right after the start marker.
    EXPECT_EQ(quint8(bytes[3]), 0xE0);
    if (!App0) {
        const int length = (quint8(bytes[4]) << 8) | quint8(bytes[5]);
        bytes.remove(2, 2 + length);
        return bytes;
    }
    bytes[13] = char(Unit);
    bytes[14] = char(Density >> 8);
    bytes[15] = char(Density & 255);
    return bytes;
}

TEST(ImageFileTest, resolutionOfBitmapsAndJpegs)
{
    EXPECT_EQ(ImageFileDpi(bmpBytes(40, 11811)), 300);
    EXPECT_EQ(ImageFileDpi(bmpBytes(40, 0)), 72);
    EXPECT_EQ(ImageFileDpi(jpegBytes(1, 300)), 300);
    EXPECT_EQ(ImageFileDpi(jpegBytes(2, 118)), 300); // dots per centimetre
    EXPECT_EQ(ImageFileDpi(jpegBytes(0, 300)), 72);  // only an aspect ratio
    EXPECT_EQ(ImageFileDpi(jpegBytes(1, 0)), 72);
    EXPECT_EQ(ImageFileDpi(jpegBytes(1, 0, false)), 72);
}

TEST(ImageFileTest, anOldBitmapHeaderGives72Dpi)
{
    QByteArray bytes = bmpBytes(40, 11811);
    bytes[14] = 12; // an OS/2 core header size
    EXPECT_EQ(ImageFileDpi(bytes), 72);
}

TEST(ImageFileTest, jpegKeepsItsBytesAndBitmapsBecome24Bit)
{
    QTemporaryDir dir;
    const QString jpg = dir.filePath(QStringLiteral("a.jpg"));
    const QByteArray bytes = jpegBytes(1, 200);
    QFile f(jpg);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const auto loaded = LoadImageFile(jpg);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->JpegBytes, bytes);
    EXPECT_EQ(loaded->Dpi, 200);
    EXPECT_EQ(loaded->Image.size(), QSize(4, 4));
    const auto bmp = LoadImageBytes(bmpBytes(40, 3937), 1);
    ASSERT_TRUE(bmp);
    EXPECT_FALSE(bmp->isJpeg());
    EXPECT_EQ(bmp->Image.format(), QImage::Format_RGB888);
    EXPECT_EQ(bmp->Dpi, 100);
}

TEST(ImageFileTest, wrongMagicOrExtensionGivesNothingAndAMissingFileRaises)
{
    EXPECT_FALSE(LoadImageBytes(QByteArray("GIF89a"), 2));
    EXPECT_FALSE(LoadImageFile(QStringLiteral("/nonexistent/a.png")));
    EXPECT_THROW((void)LoadImageFile(QStringLiteral("/nonexistent/a.bmp")), EImageFileError);
    QByteArray damaged = jpegBytes(1, 72).left(40);
    EXPECT_ANY_THROW((void)LoadImageBytes(damaged, 2));
}

// A 24-bit BMP with the 40-byte info header; a negative height is stored
// top-down. The pixels are all zero.
QByteArray sizedBmp(int Width, int Height)
{
    const int stride = (Width * 3 + 3) & ~3;
    const int data = stride * std::abs(Height);
    QByteArray b(54 + data, '\0');
    auto put32 = [&b](int At, qint32 V) { qToLittleEndian<qint32>(V, b.data() + At); };
    auto put16 = [&b](int At, qint16 V) { qToLittleEndian<qint16>(V, b.data() + At); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, qint32(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, Width);
    put32(22, Height);
    put16(26, 1);
    put16(28, 24);
    put32(34, data);
    return b;
}

struct PictureSideCase {
    const char *name;
    int width, height;
    bool taken;
};

class PictureSideTest : public ::testing::TestWithParam<PictureSideCase> {};

// What is taken is a picture a saved layout reads again: the sides of the
// decoded picture count, not the header's word for them.
TEST_P(PictureSideTest, decodedPictureKeepsTheSideLimit)
{
    const PictureSideCase &c = GetParam();
    const QByteArray bytes = sizedBmp(c.width, c.height);
    if (!c.taken) {
        EXPECT_THROW((void)LoadImageBytes(bytes, 1), EImageFileError);
        return;
    }
    const auto loaded = LoadImageBytes(bytes, 1);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Image.size(), QSize(c.width, std::abs(c.height)));
    TItemWriter w;
    WriteStoredPicture(w, QStringLiteral("bmp"), loaded->Image, {}, 0, 0, 3);
    TItemReader r(w.bytes(), {});
    (void)r.readXorString();
    EXPECT_EQ(ReadStoredPicture(r, false).Image.size(), loaded->Image.size());
}

INSTANTIATE_TEST_SUITE_P(Sides, PictureSideTest,
                         ::testing::Values(PictureSideCase{"topDownAtTheLimit", 10, -MaxImageSide, true},
                                           PictureSideCase{"topDownBeyond", 10, -(MaxImageSide + 1000), false},
                                           PictureSideCase{"bottomUpBeyond", 10, MaxImageSide + 1, false}),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(BitmapTransformTest, quarterTurnsAndHalfTurnsAreInverses)
{
    QImage img(3, 2, QImage::Format_RGB888);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            img.setPixel(x, y, qRgb(x * 80, y * 100, 7));
    const QImage anti = RotateBitmap(img, 0);
    ASSERT_EQ(anti.size(), QSize(2, 3));
    EXPECT_EQ(anti.pixel(0, 2), img.pixel(0, 0)); // (x, y) -> (y, W-1-x)
    EXPECT_EQ(RotateBitmap(anti, 1), img);
    EXPECT_EQ(RotateBitmap(RotateBitmap(img, 2), 2), img);
    EXPECT_EQ(RotateBitmap(img, 2).pixel(2, 1), img.pixel(0, 0));
    EXPECT_TRUE(RotateBitmap(img, 3).isNull());
    EXPECT_EQ(MirrorBitmap(img, true).pixel(2, 0), img.pixel(0, 0));
    EXPECT_EQ(MirrorBitmap(img, false).pixel(0, 1), img.pixel(0, 0));
    EXPECT_EQ(MirrorBitmap(MirrorBitmap(img, true), true), img);
}

TEST(GradientTest, verticalAndHorizontalRampsEndOnTheTwoColours)
{
    QImage img(3, 5, QImage::Format_RGB888);
    GradientFill(img, 0, QColor(200, 0, 0), QColor(0, 0, 100));
    EXPECT_EQ(img.pixel(1, 0), qRgb(200, 0, 0));
    EXPECT_EQ(img.pixel(1, 2), qRgb(100, 0, 50));
    EXPECT_EQ(img.pixel(1, 4), qRgb(0, 0, 100));
    GradientFill(img, 270, QColor(200, 0, 0), QColor(0, 0, 100));
    EXPECT_EQ(img.pixel(2, 3), qRgb(200, 0, 0)); // Color1 in the right column
    EXPECT_EQ(img.pixel(0, 3), qRgb(0, 0, 100));
    GradientFill(img, 45, Qt::white, Qt::white);
    EXPECT_EQ(img.pixel(2, 4), qRgb(255, 255, 255));
    GradientFill(img, 45, QColor(255, 255, 255), QColor(0, 0, 0));
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_LT(qRed(img.pixel(2, 4)), qRed(img.pixel(1, 2)));
}

TEST(BackgroundPlacementTest, tilesAnchorAtTheLowerRightWhenAsked)
{
    QImage tile(2, 2, QImage::Format_RGB888);
    tile.fill(Qt::black);
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    QImage page(5, 5, QImage::Format_RGB888);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        TilePicture(p, tile, 96, page.size(), true, 1.0);
    }
    EXPECT_EQ(page.pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(0, 0), qRgb(0, 0, 0));
    page.fill(Qt::white);
    {
        QPainter p(&page);
        DrawPictureCentred(p, tile, 0, page.size(), 1.0); // resolution 0 counts as 72: 3 x 3
    }
    EXPECT_EQ(page.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(4, 4), qRgb(255, 255, 255));
}

TEST(StretchTest, bilinearEnlargementGoldenValues)
{
    EXPECT_EQ(grays(StretchBitmapAll(row({0, 255}), 4, 1, TStretchMode::Bilinear)), (QList<int>{0, 64, 191, 255}));
}

TEST(StretchTest, bicubicEnlargementGoldenValuesClampOvershoot)
{
    EXPECT_EQ(grays(StretchBitmapAll(row({0, 0, 255, 255}), 8, 1, TStretchMode::Bicubic)),
              (QList<int>{0, 0, 0, 64, 191, 255, 255, 255}));
}

TEST(StretchTest, areaAverageShrinkGoldenValues)
{
    QImage src(4, 2, QImage::Format_RGB888);
    const int values[2][4] = {{10, 20, 30, 40}, {50, 60, 70, 80}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            src.setPixel(x, y, qRgb(values[y][x], values[y][x], values[y][x]));
    EXPECT_EQ(grays(StretchBitmapAll(src, 2, 1, TStretchMode::AreaAverage)), (QList<int>{35, 55}));
}

TEST(StretchTest, ownSizeCopiesAndAreaModeEnlargesAsBicubic)
{
    const QImage src = row({3, 90, 200, 17, 255}, 3);
    EXPECT_EQ(StretchBitmapAll(src, 5, 3, TStretchMode::Bicubic), src);
    EXPECT_EQ(StretchBitmapAll(src, 9, 7, TStretchMode::AreaAverage),
              StretchBitmapAll(src, 9, 7, TStretchMode::Bicubic));
    QImage flat(7, 5, QImage::Format_RGB888);
    flat.fill(QColor(120, 40, 220));
    for (auto mode : {TStretchMode::Bilinear, TStretchMode::Bicubic, TStretchMode::AreaAverage})
        for (QSize s : {QSize(3, 2), QSize(20, 11)}) {
            const QImage out = StretchBitmapAll(flat, s.width(), s.height(), mode);
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x)
                    ASSERT_EQ(out.pixel(x, y), qRgb(120, 40, 220)) << int(mode) << " " << x << "," << y;
        }
}

TEST(StretchTest, aPartIsThePartOfTheWholeAndBadPartsAreRefused)
{
    const QImage src = row({0, 50, 100, 150, 200, 250}, 4);
    const QImage whole = StretchBitmapAll(src, 13, 9, TStretchMode::Bicubic);
    QImage part;
    ASSERT_TRUE(StretchBitmap(src, part, 13, 9, QRect(4, 2, 5, 3), QPoint(0, 0), TStretchMode::Bicubic));
    EXPECT_EQ(part, whole.copy(4, 2, 5, 3));
    QImage none;
    EXPECT_FALSE(StretchBitmap(src, none, 13, 9, QRect(10, 0, 5, 3), QPoint(0, 0), TStretchMode::Bicubic));
    EXPECT_FALSE(StretchBitmap(src, none, 13, 9, QRect(0, 0, 5, 3), QPoint(-1, 0), TStretchMode::Bicubic));
    QImage small(2, 2, QImage::Format_RGB888);
    EXPECT_FALSE(StretchBitmap(src, small, 13, 9, QRect(0, 0, 5, 3), QPoint(0, 0), TStretchMode::Bicubic));
}

TEST(StretchTest, aLargePictureResampledInBandsEqualsItsPartsResampledAlone)
{
    QImage src(50, 40, QImage::Format_RGB888);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            src.setPixel(x, y, qRgb((x * 37) & 255, (y * 53) & 255, (x * y) & 255));
    for (auto mode : {TStretchMode::Bilinear, TStretchMode::Bicubic}) {
        const QImage whole = StretchBitmapAll(src, 600, 500, mode);
        for (QRect part : {QRect(0, 0, 40, 30), QRect(300, 240, 37, 29), QRect(560, 470, 40, 30)}) {
            QImage piece;
            ASSERT_TRUE(StretchBitmap(src, piece, 600, 500, part, QPoint(0, 0), mode));
            EXPECT_EQ(piece, whole.copy(part)) << int(mode);
        }
    }
}

} // namespace

namespace {

TEST(MaskTest, maskedPartIsTransparentAndTheRestIsThePicture)
{
    QImage picture(4, 4, QImage::Format_RGB888);
    picture.fill(QColor(10, 20, 30));
    QImage mask(2, 2, QImage::Format_Mono);
    mask.setColor(0, qRgb(0, 0, 0));
    mask.setColor(1, qRgb(255, 255, 255));
    mask.fill(1);
    mask.setPixel(0, 0, 0); // only the top-left quarter is kept
    const QImage out = ComposeMasked(picture, mask, QRect(0, 0, 8, 8), QSize(8, 8));
    ASSERT_EQ(out.size(), QSize(8, 8));
    EXPECT_EQ(out.pixel(1, 1), qRgba(10, 20, 30, 255));
    EXPECT_EQ(qAlpha(out.pixel(6, 1)), 0);
    EXPECT_EQ(qAlpha(out.pixel(1, 6)), 0);
    // Drawn over a red canvas the masked part keeps the canvas.
    QImage canvas(8, 8, QImage::Format_RGB32);
    canvas.fill(Qt::red);
    {
        QPainter p(&canvas);
        p.drawImage(0, 0, out);
    }
    EXPECT_EQ(canvas.pixel(6, 6), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(2, 2), qRgb(10, 20, 30));
}

TEST(MaskTest, transparentColourLeavesTheCanvas)
{
    QImage picture(2, 1, QImage::Format_RGB888);
    picture.setPixel(0, 0, qRgb(255, 255, 255));
    picture.setPixel(1, 0, qRgb(1, 2, 3));
    const QImage out = ComposeTransparent(picture, qRgb(255, 255, 255), QSize(4, 2));
    EXPECT_EQ(qAlpha(out.pixel(0, 1)), 0);
    EXPECT_EQ(out.pixel(3, 1), qRgba(1, 2, 3, 255));
}

TEST(MaskTest, regionIsTheUnionOfTheBlackRuns)
{
    QImage mask(300, 40, QImage::Format_Grayscale8);
    mask.fill(255);
    int black = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = y % 2; x < 300; x += 2) { // 6000 single-pixel runs
            mask.setPixel(x, y, qRgb(0, 0, 0));
            ++black;
        }
    const QRegion region = RegionFromBitmap(mask);
    int covered = 0;
    for (const QRect &r : region)
        covered += r.width() * r.height();
    EXPECT_EQ(covered, black);
    EXPECT_TRUE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(1, 0)));
    EXPECT_TRUE(region.contains(QPoint(1, 1)));
}

} // namespace

namespace {

// Reads back what WriteStoredPicture wrote, the extension first.
TStoredPicture storedRoundTrip(const QString &Extension, const QImage &Picture, const QByteArray &Jpeg, quint8 H,
                               quint8 V, quint8 Turn)
{
    TItemWriter w;
    WriteStoredPicture(w, Extension, Picture, Jpeg, H, V, Turn);
    TItemReader r(w.bytes(), {});
    EXPECT_EQ(r.readXorString(), Extension);
    TStoredPicture stored = ReadStoredPicture(r, Extension == u"jpg");
    EXPECT_EQ(r.remaining(), 0);
    return stored;
}

} // namespace

TEST(StoredPicture, bmpComesBackWithItsPixelsAndNoTurn)
{
    const QImage picture = row({0, 128, 255}, 2);
    const TStoredPicture stored = storedRoundTrip(QStringLiteral("bmp"), picture, {}, 1, 1, 0);
    EXPECT_EQ(stored.Image, picture);
    EXPECT_TRUE(stored.Jpeg.isEmpty());
    EXPECT_EQ(stored.Turn, 3);
}

TEST(StoredPicture, jpegKeepsItsBytesAndStoredCodes)
{
    QByteArray jpeg;
    QBuffer b(&jpeg);
    b.open(QIODevice::WriteOnly);
    ASSERT_TRUE(row({10, 200}, 2).save(&b, "JPG"));
    const TStoredPicture stored = storedRoundTrip(QStringLiteral("jpg"), row({10, 200}, 2), jpeg, 1, 0, 2);
    EXPECT_EQ(stored.Jpeg, jpeg);
    EXPECT_EQ(stored.FlipH, 1);
    EXPECT_EQ(stored.FlipV, 0);
    EXPECT_EQ(stored.Turn, 2);
    EXPECT_EQ(stored.Image.size(), QSize(2, 2));
}

TEST(StoredPicture, missingPictureWritesOnlyAnEmptyExtension)
{
    for (const QString &ext : {QStringLiteral("bmp"), QStringLiteral("jpg")}) {
        TItemWriter w;
        WriteStoredPicture(w, ext, ext == u"bmp" ? QImage() : row({1}), {}, 0, 0, 3);
        TItemReader r(w.bytes(), {});
        EXPECT_TRUE(r.readXorString().isEmpty()) << ext.toStdString();
        EXPECT_EQ(r.remaining(), 0) << ext.toStdString();
    }
}

TEST(StoredPicture, bytesThatAreNoBitmapAreRefused)
{
    TItemWriter w;
    w.writeBytes(QByteArray("XX\x10\0\0\0abcdefghij", 16));
    TItemReader r(w.bytes(), {});
    EXPECT_THROW((void)ReadStoredPicture(r, false), EItemFormatError);
}
