#include "items/ImgUtils.h"

#include "items/ItemStream.h"

#include "util/SubUnit.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>
#include <vector>

int GetImageFileType(const QString &FileName)
{
    const QString upper = FileName.toUpper();
    if (upper.endsWith(QLatin1String(".BMP")))
        return 1;
    if (upper.endsWith(QLatin1String(".JPG")) || upper.endsWith(QLatin1String(".JPEG")))
        return 2;
    return -1;
}

namespace {

quint16 be16(const QByteArray &B, qsizetype At)
{
    return quint16((quint8(B[At]) << 8) | quint8(B[At + 1]));
}

quint32 le32(const QByteArray &B, qsizetype At)
{
    return qFromLittleEndian<quint32>(B.constData() + At);
}

} // namespace

int ImageFileDpi(const QByteArray &Bytes)
{
    if (Bytes.size() < 2)
        return 72;
    const quint16 magic = be16(Bytes, 0);
    if (magic == 0x424D) {
        if (Bytes.size() < 42 || le32(Bytes, 14) != 40)
            return 72;
        const auto dpi = qint64(RoundHalfAway(le32(Bytes, 38) / 1000.0L * 25.4L));
        return dpi > 0 && dpi <= 100000 ? int(dpi) : 72;
    }
    if (magic != 0xFFD8)
        return 72;
    qsizetype at = 2;
    while (at + 4 <= Bytes.size()) {
        const quint16 marker = be16(Bytes, at);
        const quint16 length = be16(Bytes, at + 2);
        if (marker == 0xFFE0) {
            // Length, "JFIF\0", version (2), unit, densities.
            if (at + 14 > Bytes.size())
                return 72;
            const quint8 unit = quint8(Bytes[at + 11]);
            const quint16 density = be16(Bytes, at + 12);
            // Unit 0 states only an aspect ratio, not a resolution.
            if (density == 0 || (unit != 1 && unit != 2))
                return 72;
            return unit == 1 ? density : int(RoundHalfAway(density * 2.54L));
        }
        if (marker == 0xFFDA || length < 2) // image data: no APP0 before it
            return 72;
        at += 2 + length;
    }
    return 72;
}

std::optional<TLoadedImage> LoadImageBytes(const QByteArray &Bytes, int Type)
{
    if (Type < 0 || Bytes.size() < 2)
        return std::nullopt;
    const quint16 magic = be16(Bytes, 0);
    const bool bmp = magic == 0x424D, jpeg = magic == 0xFFD8;
    if (!bmp && !jpeg)
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(Bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, bmp ? "bmp" : "jpeg");
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxImageSide || size.height() > MaxImageSide))
        throw EImageFileError(QStringLiteral("画像が大きすぎます（%1×%2）。").arg(size.width()).arg(size.height()));
    TLoadedImage loaded;
    loaded.Image = reader.read();
    if (loaded.Image.isNull()) {
        if (reader.error() == QImageReader::InvalidDataError || reader.error() == QImageReader::UnsupportedFormatError)
            throw EImageFileError(QStringLiteral("画像を読み取れません: %1").arg(reader.errorString()));
        return std::nullopt;
    }
    // The picture decoded keeps the limits, whatever its header stated (a
    // top-down BMP, a header cut short): a picture taken beyond them would be
    // written into a layout that no longer opens. Kept as a 24-bit BMP, its
    // rows padded to four bytes, it must fit the largest picture file.
    const QSize decoded = loaded.Image.size();
    const qint64 stored = 54 + ((qint64(decoded.width()) * 3 + 3) & ~qint64(3)) * decoded.height();
    if (decoded.width() > MaxImageSide || decoded.height() > MaxImageSide || stored > MaxImageFileBytes)
        throw EImageFileError(
            QStringLiteral("画像が大きすぎます（%1×%2）。").arg(decoded.width()).arg(decoded.height()));
    if (bmp)
        loaded.Image = loaded.Image.convertToFormat(QImage::Format_RGB888);
    else
        loaded.JpegBytes = Bytes;
    loaded.Dpi = ImageFileDpi(Bytes);
    return loaded;
}

std::optional<TLoadedImage> LoadImageFile(const QString &FileName)
{
    const int type = GetImageFileType(FileName);
    if (type < 0)
        return std::nullopt;
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EImageFileError(QStringLiteral("画像ファイル %1 を開けません: %2").arg(FileName, file.errorString()));
    if (file.size() > MaxImageFileBytes)
        throw EImageFileError(QStringLiteral("画像ファイル %1 は大きすぎます。").arg(FileName));
    return LoadImageBytes(file.readAll(), type);
}

QImage MirrorBitmap(const QImage &Image, bool Horizontal)
{
    if (Image.isNull())
        return {};
    return Horizontal ? Image.mirrored(true, false) : Image.mirrored(false, true);
}

QImage RotateBitmap(const QImage &Image, int Code)
{
    if (Image.isNull())
        return {};
    QTransform t;
    switch (Code) {
    case 0: // (x, y) -> (y, W-1-x)
        t.rotate(-90);
        break;
    case 1:
        t.rotate(90);
        break;
    case 2:
        return Image.mirrored(true, true);
    default:
        return {};
    }
    return Image.transformed(t);
}

namespace {

QSize pictureSize(const QImage &Source, int Dpi, double Scale)
{
    // A resolution of 0 from a damaged file counts as the default 72.
    const long double dpi = Dpi > 0 ? Dpi : 72;
    return {int(RoundHalfAway(Source.width() / dpi * 96.0L * Scale)),
            int(RoundHalfAway(Source.height() / dpi * 96.0L * Scale))};
}

} // namespace

void DrawPictureCentred(QPainter &Canvas, const QImage &Source, int Dpi, QSize Dest, double Scale)
{
    const QSize s = pictureSize(Source, Dpi, Scale);
    Canvas.drawImage(QRect((Dest.width() - s.width()) / 2, (Dest.height() - s.height()) / 2, s.width(), s.height()),
                     Source);
}

void TilePicture(QPainter &Canvas, const QImage &Source, int Dpi, QSize Dest, bool FromBottomRight, double Scale)
{
    const QSize s = pictureSize(Source, Dpi, Scale);
    if (s.width() < 1 || s.height() < 1)
        return;
    const int columns = (Dest.width() + s.width() - 1) / s.width();
    const int rows = (Dest.height() + s.height() - 1) / s.height();
    // A tile larger than the canvas (a tiny resolution read from a file) is
    // drawn scaled as it goes: a buffer of its size could take gigabytes.
    const bool buffered = qint64(s.width()) * s.height() <= qint64(std::max(1, Dest.width())) * std::max(1, Dest.height());
    const QImage tile = buffered ? Source.scaled(s, Qt::IgnoreAspectRatio, Qt::FastTransformation) : QImage();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int x = FromBottomRight ? Dest.width() - (c + 1) * s.width() : c * s.width();
            const int y = FromBottomRight ? Dest.height() - (r + 1) * s.height() : r * s.height();
            if (buffered)
                Canvas.drawImage(QPoint(x, y), tile);
            else
                Canvas.drawImage(QRect(QPoint(x, y), s), Source);
        }
}

void GradientFill(QImage &Image, int Angle, QColor Color1, QColor Color2)
{
    if (Image.isNull())
        return;
    Image = Image.convertToFormat(QImage::Format_RGB888);
    const int W = Image.width(), H = Image.height();
    if (Color1 == Color2) {
        Image.fill(Color1);
        return;
    }
    Angle = ((Angle % 360) + 360) % 360;
    const std::array<int, 3> c1{Color1.red(), Color1.green(), Color1.blue()};
    const std::array<int, 3> c2{Color2.red(), Color2.green(), Color2.blue()};
    auto put = [&Image](int x, int y, const std::array<int, 3> &v) {
        uchar *p = Image.scanLine(y) + 3 * x;
        for (int k = 0; k < 3; ++k)
            p[k] = uchar(std::clamp(v[size_t(k)], 0, 255));
    };
    if (Angle % 90 == 0) {
        const bool rowsRamp = Angle == 0 || Angle == 180;
        const int n = rowsRamp ? H : W;
        for (int i = 0; i < n; ++i) {
            std::array<int, 3> v;
            for (int k = 0; k < 3; ++k)
                v[size_t(k)] = n < 2 ? c1[size_t(k)]
                                     : int(std::trunc(c1[size_t(k)] - double(i) * (c1[size_t(k)] - c2[size_t(k)]) / (n - 1)));
            const int at = (Angle == 180 || Angle == 270) ? n - 1 - i : i;
            if (rowsRamp)
                for (int x = 0; x < W; ++x)
                    put(x, at, v);
            else
                for (int y = 0; y < H; ++y)
                    put(at, y, v);
        }
        return;
    }
    const double a = (Angle % 90) * 0.0174532925199433;
    const double t = std::tan(a);
    const int q = Angle / 90;
    double lx, ly;
    if (q == 0 || q == 2) {
        lx = std::trunc(std::fabs(H / t)) + W - 1;
        ly = std::trunc(std::fabs(W * t)) + H - 1;
    } else {
        lx = std::trunc(std::fabs(H * t)) + W - 1;
        ly = std::trunc(std::fabs(W / t)) + H - 1;
    }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int xs = Angle < 180 ? x : W - 1 - x;
            const int ys = (Angle < 90 || Angle > 270) ? y : H - 1 - y;
            std::array<int, 3> v;
            for (int k = 0; k < 3; ++k) {
                const double d = c1[size_t(k)] - c2[size_t(k)];
                const double sx = lx < 1 ? 0 : d / lx, sy = ly < 1 ? 0 : d / ly;
                v[size_t(k)] = int(std::trunc(c1[size_t(k)] - ys * sy - xs * sx));
            }
            put(x, y, v);
        }
}

// ---- Resampling --------------------------------------------------------------

namespace {

struct TAxis {
    qint64 start = 0;
    qint64 step = 0;
};

TAxis axisFor(int SourceSize, int DestSize)
{
    const long double ratio = static_cast<long double>(SourceSize) / DestSize;
    return {qint64(std::trunc((0.5L * ratio - 0.5L) * 65536.0L + 0.5L)),
            qint64(std::trunc(static_cast<long double>(SourceSize) / DestSize * 65536.0L + 0.5L))};
}

// For one destination index: the source index of the first tap and the
// weights of the taps; an edge position takes its pixel unchanged.
struct TTaps {
    std::array<int, 4> index{};
    std::array<qint64, 4> weight{};
    int count = 0;
};

TTaps bilinearTaps(qint64 Pos, int Size)
{
    TTaps t;
    if (Pos <= 0 || Size < 2) {
        t.index[0] = 0;
        t.weight[0] = 65536;
        t.count = 1;
    } else if ((Pos >> 16) >= Size - 1) {
        t.index[0] = Size - 1;
        t.weight[0] = 65536;
        t.count = 1;
    } else {
        const int x0 = int(Pos >> 16);
        const qint64 f = Pos & 0xFFFF;
        t.index = {x0, x0 + 1, 0, 0};
        t.weight = {65536 - f, f, 0, 0};
        t.count = 2;
    }
    return t;
}

using TCubicTable = std::array<std::array<qint64, 4>, 256>;

const TCubicTable &cubicTable()
{
    static const TCubicTable table = [] {
        auto k = [](long double d) {
            d = std::fabs(d);
            if (d < 1)
                return 1 - 2 * d * d + d * d * d;
            if (d < 2)
                return 4 - 8 * d + 5 * d * d - d * d * d;
            return 0.0L;
        };
        auto w = [&k](long double d) { return qint64(std::trunc(k(d) * 65536.0L + 0.5L)); };
        TCubicTable t{};
        for (int i = 0; i < 256; ++i) {
            const long double f = i / 256.0L;
            t[size_t(i)] = {w(1 + f), w(f), w(1 - f), w(2 - f)};
        }
        return t;
    }();
    return table;
}

TTaps bicubicTaps(qint64 Pos, int Size)
{
    if (Pos <= 0 || (Pos >> 16) >= Size - 1 || Size < 2)
        return bilinearTaps(Pos, Size);
    TTaps t;
    const int x0 = int(Pos >> 16);
    t.weight = cubicTable()[size_t((Pos >> 8) & 255)];
    for (int i = 0; i < 4; ++i)
        // Neighbours beyond either edge repeat the edge pixel.
        t.index[size_t(i)] = std::clamp(x0 - 1 + i, 0, Size - 1);
    t.count = 4;
    return t;
}

// Taps of area averaging, weights in 1/256.
struct TAreaSpan {
    int first = 0;
    int last = 0; // inclusive
    QList<qint64> weight;
};

TAreaSpan areaSpan(int Index, qint64 Step, int Size)
{
    const qint64 from = Index * Step, to = (Index + 1) * Step;
    TAreaSpan s;
    s.first = int(from >> 16);
    const int end = int(to >> 16);
    s.last = std::min(end, Size - 1);
    for (int i = s.first; i <= s.last; ++i) {
        qint64 w = 256;
        if (i == s.first)
            w = 256 - ((from >> 8) & 255);
        else if (i == end)
            w = (to >> 8) & 255;
        s.weight.append(w);
    }
    return s;
}

uchar clampByte(qint64 v)
{
    return uchar(std::clamp<qint64>(v, 0, 255));
}

} // namespace

bool StretchBitmap(const QImage &Source, QImage &Dest, int Width, int Height, const QRect &SrcPart, QPoint DestPos,
                   TStretchMode Mode)
{
    if (Source.isNull() || Width < 1 || Height < 1 || SrcPart.left() < 0 || SrcPart.top() < 0
        || SrcPart.left() + SrcPart.width() > Width || SrcPart.top() + SrcPart.height() > Height || DestPos.x() < 0
        || DestPos.y() < 0 || SrcPart.isEmpty())
        return false;
    if (!Dest.isNull()
        && (Dest.width() < DestPos.x() + SrcPart.width() || Dest.height() < DestPos.y() + SrcPart.height()))
        return false;
    const QImage src = Source.convertToFormat(QImage::Format_RGB888);
    if (Dest.isNull())
        Dest = QImage(SrcPart.size(), QImage::Format_RGB888);
    else if (Dest.format() != QImage::Format_RGB888)
        Dest = Dest.convertToFormat(QImage::Format_RGB888);
    const int sw = src.width(), sh = src.height();
    if (Width == sw && Height == sh) {
        for (int y = 0; y < SrcPart.height(); ++y)
            memcpy(Dest.scanLine(DestPos.y() + y) + 3 * DestPos.x(),
                   src.constScanLine(SrcPart.top() + y) + 3 * SrcPart.left(), size_t(3 * SrcPart.width()));
        return true;
    }
    const bool area = Mode == TStretchMode::AreaAverage && Width < sw && Height < sh;
    if (area) {
        const qint64 stepX = qint64(std::trunc(static_cast<long double>(sw) / Width * 65536.0L + 0.5L));
        const qint64 stepY = qint64(std::trunc(static_cast<long double>(sh) / Height * 65536.0L + 0.5L));
        const qint64 recX = qint64(std::trunc(static_cast<long double>(Width) / sw * 65536.0L + 0.5L));
        const qint64 recY = qint64(std::trunc(static_cast<long double>(Height) / sh * 65536.0L + 0.5L));
        QList<TAreaSpan> columns;
        for (int i = 0; i < SrcPart.width(); ++i)
            columns.append(areaSpan(SrcPart.left() + i, stepX, sw));
        for (int j = 0; j < SrcPart.height(); ++j) {
            const TAreaSpan rows = areaSpan(SrcPart.top() + j, stepY, sh);
            uchar *out = Dest.scanLine(DestPos.y() + j) + 3 * DestPos.x();
            for (int i = 0; i < SrcPart.width(); ++i) {
                const TAreaSpan &c = columns.at(i);
                for (int k = 0; k < 3; ++k) {
                    qint64 sum = 0;
                    for (int r = rows.first; r <= rows.last; ++r) {
                        const uchar *line = src.constScanLine(r);
                        qint64 rowSum = 0;
                        for (int x = c.first; x <= c.last; ++x)
                            rowSum += (line[3 * x + k] * c.weight.at(x - c.first) + 128) >> 8;
                        sum += (rowSum * rows.weight.at(r - rows.first) + 128) >> 8;
                    }
                    out[3 * i + k] = clampByte((((sum * recX + 32768) >> 16) * recY + 32768) >> 16);
                }
            }
        }
        return true;
    }
    const bool cubic = Mode != TStretchMode::Bilinear;
    const TAxis ax = axisFor(sw, Width), ay = axisFor(sh, Height);
    const int dw = SrcPart.width(), dh = SrcPart.height();
    // Four taps per column, padded with weight 0, in flat arrays.
    std::vector<int> colIndex(size_t(4 * dw));
    std::vector<qint32> colWeight(size_t(4 * dw));
    for (int i = 0; i < dw; ++i) {
        const qint64 pos = ax.start + qint64(SrcPart.left() + i) * ax.step;
        const TTaps t = cubic ? bicubicTaps(pos, sw) : bilinearTaps(pos, sw);
        for (int k = 0; k < 4; ++k) {
            colIndex[size_t(4 * i + k)] = 3 * (k < t.count ? t.index[size_t(k)] : t.index[0]);
            colWeight[size_t(4 * i + k)] = k < t.count ? qint32(t.weight[size_t(k)]) : 0;
        }
    }
    // One source row resampled along the row, in 1/65536.
    auto horizontal = [&](int SourceRow, qint64 *Out) {
        const uchar *line = src.constScanLine(SourceRow);
        for (int i = 0; i < dw; ++i) {
            const int *idx = &colIndex[size_t(4 * i)];
            const qint32 *w = &colWeight[size_t(4 * i)];
            for (int k = 0; k < 3; ++k) {
                qint64 h = qint64(line[idx[0] + k]) * w[0] + qint64(line[idx[1] + k]) * w[1]
                           + qint64(line[idx[2] + k]) * w[2] + qint64(line[idx[3] + k]) * w[3];
                // Bilinear rounds along the row before it blends the rows.
                if (!cubic)
                    h = ((h + 32768) >> 16) << 16;
                Out[3 * i + k] = h;
            }
        }
    };
    // Destination rows in bands, one per worker; each keeps the resampled
    // source rows it used last, as consecutive rows share most of them.
    auto band = [&](int From, int To) {
        constexpr int Cache = 8;
        std::vector<qint64> rows(size_t(Cache) * size_t(3 * dw));
        std::array<int, Cache> rowOf;
        rowOf.fill(-1);
        for (int j = From; j < To; ++j) {
            const qint64 pos = ay.start + qint64(SrcPart.top() + j) * ay.step;
            const TTaps t = cubic ? bicubicTaps(pos, sh) : bilinearTaps(pos, sh);
            std::array<const qint64 *, 4> taps{};
            for (int r = 0; r < t.count; ++r) {
                const int sr = t.index[size_t(r)];
                const int slot = sr % Cache;
                if (rowOf[size_t(slot)] != sr) {
                    horizontal(sr, &rows[size_t(slot) * size_t(3 * dw)]);
                    rowOf[size_t(slot)] = sr;
                }
                taps[size_t(r)] = &rows[size_t(slot) * size_t(3 * dw)];
            }
            uchar *out = Dest.scanLine(DestPos.y() + j) + 3 * DestPos.x();
            for (int i = 0; i < 3 * dw; ++i) {
                qint64 v = 0;
                for (int r = 0; r < t.count; ++r)
                    v += taps[size_t(r)][i] * t.weight[size_t(r)];
                out[i] = clampByte((v + (qint64(1) << 31)) >> 32);
            }
        }
    };
    const qint64 work = qint64(dw) * dh;
    const int workers = work < 250000 ? 1 : int(std::clamp<unsigned>(std::thread::hardware_concurrency(), 1u, 8u));
    if (workers == 1) {
        band(0, dh);
    } else {
        std::vector<std::thread> threads;
        const int per = (dh + workers - 1) / workers;
        for (int w = 0; w < workers; ++w) {
            const int from = w * per, to = std::min(dh, from + per);
            if (from < to)
                threads.emplace_back(band, from, to);
        }
        for (auto &t : threads)
            t.join();
    }
    return true;
}

QImage StretchBitmapAll(const QImage &Source, int Width, int Height, TStretchMode Mode)
{
    QImage dest;
    if (!StretchBitmap(Source, dest, Width, Height, QRect(0, 0, Width, Height), QPoint(0, 0), Mode))
        return {};
    return dest;
}

namespace {

// Black (kept) as 255, anything else as 0, at the mask's own size.
QImage maskAlpha(const QImage &Mask)
{
    QImage gray = Mask.convertToFormat(QImage::Format_Grayscale8);
    QImage alpha(gray.size(), QImage::Format_Alpha8);
    for (int y = 0; y < gray.height(); ++y) {
        const uchar *in = gray.constScanLine(y);
        uchar *out = alpha.scanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            out[x] = in[x] < 128 ? 255 : 0;
    }
    return alpha;
}

} // namespace

QImage ComposeMasked(const QImage &Picture, const QImage &Mask, const QRect &MaskRect, QSize Dest)
{
    if (Picture.isNull() || Dest.isEmpty())
        return {};
    QImage out = Picture.scaled(Dest, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                     .convertToFormat(QImage::Format_ARGB32);
    // Outside the mask's rectangle nothing of the picture shows.
    QImage coverage(Dest, QImage::Format_Alpha8);
    coverage.fill(0);
    if (!Mask.isNull() && !MaskRect.isEmpty()) {
        QPainter p(&coverage);
        p.drawImage(MaskRect, maskAlpha(Mask));
    }
    for (int y = 0; y < out.height(); ++y) {
        auto *px = reinterpret_cast<QRgb *>(out.scanLine(y));
        const uchar *a = coverage.constScanLine(y);
        for (int x = 0; x < out.width(); ++x)
            px[x] = a[x] >= 128 ? (px[x] | 0xFF000000u) : 0u;
    }
    return out;
}

QImage ComposeTransparent(const QImage &Picture, QRgb TransparentColor, QSize Dest)
{
    if (Picture.isNull() || Dest.isEmpty())
        return {};
    QImage src = Picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = TransparentColor & 0xFFFFFFu;
    for (int y = 0; y < src.height(); ++y) {
        auto *px = reinterpret_cast<QRgb *>(src.scanLine(y));
        for (int x = 0; x < src.width(); ++x)
            px[x] = (px[x] & 0xFFFFFFu) == key ? 0u : (px[x] | 0xFF000000u);
    }
    return src.scaled(Dest, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QRegion RegionFromBitmap(const QImage &Mask)
{
    const QImage gray = Mask.convertToFormat(QImage::Format_Grayscale8);
    QList<QRect> runs;
    for (int y = 0; y < gray.height(); ++y) {
        const uchar *line = gray.constScanLine(y);
        int x = 0;
        while (x < gray.width()) {
            if (line[x] >= 128) {
                ++x;
                continue;
            }
            const int x0 = x;
            while (x < gray.width() && line[x] < 128)
                ++x;
            runs.append(QRect(x0, y, x - x0, 1));
        }
    }
    QRegion region;
    region.setRects(runs.constData(), int(runs.size()));
    return region;
}

namespace {

[[noreturn]] void unreadablePicture()
{
    throw EItemFormatError(QStringLiteral("画像が読み込めませんでした  "));
}

bool isJpegName(const QString &Extension)
{
    return Extension == u"jpg" || Extension == u"jpeg";
}

} // namespace

TStoredPicture ReadStoredPicture(TItemReader &Stream, bool Jpeg)
{
    TStoredPicture stored;
    QByteArray bytes;
    if (Jpeg) {
        const qint32 count =
            Stream.readCount(qint32(std::min<qsizetype>(Stream.remaining(), MaxImageFileBytes)), "JPEG のバイト数");
        bytes = Stream.readBytes(count);
        stored.FlipH = Stream.readByte();
        stored.FlipV = Stream.readByte();
        stored.Turn = Stream.readByte();
    } else {
        // A BMP image states its own length in its file header.
        const QByteArray head = Stream.readBytes(6);
        if (head.left(2) != "BM")
            unreadablePicture();
        const quint32 size = qFromLittleEndian<quint32>(head.constData() + 2);
        if (size < 6 || size - 6 > quint64(Stream.remaining()))
            unreadablePicture();
        bytes = head + Stream.readBytes(qsizetype(size - 6));
    }
    std::optional<TLoadedImage> loaded;
    try {
        loaded = LoadImageBytes(bytes, Jpeg ? 2 : 1);
    } catch (const EImageFileError &) {
    }
    if (!loaded)
        unreadablePicture();
    stored.Image = loaded->Image.convertToFormat(QImage::Format_RGB888);
    if (Jpeg)
        stored.Jpeg = bytes;
    return stored;
}

void WriteStoredPicture(TItemWriter &Stream, const QString &Extension, const QImage &Picture, const QByteArray &JpegBytes,
                        quint8 FlipH, quint8 FlipV, quint8 Turn)
{
    const bool jpeg = isJpegName(Extension);
    const bool hasPicture = !Picture.isNull() && (!jpeg || !JpegBytes.isEmpty());
    Stream.writeXorString(hasPicture ? Extension : QString());
    if (!hasPicture)
        return;
    if (jpeg) {
        Stream.writeInt32(qint32(JpegBytes.size()));
        Stream.writeBytes(JpegBytes);
        Stream.writeByte(FlipH);
        Stream.writeByte(FlipV);
        Stream.writeByte(Turn);
    } else {
        QByteArray bmp;
        QBuffer b(&bmp);
        b.open(QIODevice::WriteOnly);
        Picture.save(&b, "BMP");
        Stream.writeBytes(bmp);
    }
}
