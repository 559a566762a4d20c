// A 3000 x 2000 photo stretched into a postcard picture area at 600 dpi
// (100 x 148 mm: 2362 x 3496 dots) with the items' bicubic resampler,
// against QImage::scaled with smooth transformation on the same image. The
// resampler works in integers with a weight table and must stay within a
// small factor of Qt's own smooth scaling.
#include "BenchSupport.h"
#include "items/ImgUtils.h"

#include <QGuiApplication>
#include <QImage>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QImage photo(3000, 2000, QImage::Format_RGB888);
    for (int y = 0; y < photo.height(); ++y) {
        uchar *line = photo.scanLine(y);
        for (int x = 0; x < photo.width(); ++x) {
            line[3 * x] = uchar((x * 7 + y * 3) & 255);
            line[3 * x + 1] = uchar((x ^ y) & 255);
            line[3 * x + 2] = uchar((x * y) >> 5);
        }
    }
    const int w = 2362, h = 3496;
    qint64 sink = 0;
    const double ours = bestOfMs(3, [&] {
        const QImage out = StretchBitmapAll(photo, w, h, TStretchMode::Bicubic);
        sink += out.pixel(w / 2, h / 2);
    });
    const double qt = bestOfMs(3, [&] {
        const QImage out = photo.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        sink += out.pixel(w / 2, h / 2);
    });
    std::printf("3000x2000 photo to %dx%d: bicubic %.1f ms, QImage::scaled smooth %.1f ms (%lld)\n", w, h, ours, qt,
                static_cast<long long>(sink));
    report("picture_stretch_ratio", ours / qt, "ratio", 3);
    return 0;
}
