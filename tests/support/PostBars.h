#pragma once

// Reads a customer barcode back, as a sorting machine would: from its bars,
// or from the bars as they stand in a rendered image. Independent of the
// encoder: the bar table here is Japan Post's own, written out again.

#include "items/BarRect.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QTransform>
#include <QString>

#include <algorithm>
#include <array>

struct TReadPostBars {
    bool Valid = false; // start and stop codes, every character and the check character right
    QString Text;       // the twenty code characters: digits, "-", "<CC1>".."<CC8>"; trailing CC4 left out
    int Check = -1;     // the check character's value
    QString Error;
};

inline TReadPostBars readPostBars(const QList<TPostBar> &Bars)
{
    TReadPostBars r;
    // Japan Post's table: 1 long, 2 ascender, 3 descender, 4 tracker.
    static const std::array<const char *, 19> table{"144", "114", "132", "312", "123", "141", "321",
                                                    "213", "231", "411", "414", "324", "342", "234",
                                                    "432", "243", "423", "441", "111"};
    auto digit = [](TPostBar b) {
        switch (b) {
        case TPostBar::Long: return '1';
        case TPostBar::Ascender: return '2';
        case TPostBar::Descender: return '3';
        case TPostBar::Tracker: return '4';
        }
        return '?';
    };
    if (Bars.size() != 67) {
        r.Error = QStringLiteral("%1 bars").arg(Bars.size());
        return r;
    }
    const QString start = QString(QChar(digit(Bars[0]))) + QChar(digit(Bars[1]));
    const QString stop = QString(QChar(digit(Bars[65]))) + QChar(digit(Bars[66]));
    if (start != QLatin1String("13") || stop != QLatin1String("31")) {
        r.Error = QStringLiteral("start %1 stop %2").arg(start, stop);
        return r;
    }
    QList<int> values;
    for (int c = 0; c < 21; ++c) {
        QByteArray pattern;
        for (int b = 0; b < 3; ++b)
            pattern += digit(Bars[2 + 3 * c + b]);
        int value = -1;
        for (int v = 0; v < 19; ++v)
            if (pattern == table[size_t(v)])
                value = v;
        if (value < 0) {
            r.Error = QStringLiteral("character %1 reads %2").arg(c).arg(QString::fromLatin1(pattern));
            return r;
        }
        values.append(value);
    }
    r.Check = values.takeLast();
    int sum = r.Check;
    for (int v : values)
        sum += v;
    while (!values.isEmpty() && values.last() == 14)
        values.removeLast();
    for (int v : values)
        r.Text += v < 10 ? QString::number(v) : v == 10 ? QStringLiteral("-") : QStringLiteral("<CC%1>").arg(v - 10);
    if (sum % 19 != 0) {
        r.Error = QStringLiteral("check sum %1").arg(sum);
        return r;
    }
    r.Valid = true;
    return r;
}

// The bars of a barcode drawn dark on light inside Area of Image: along the
// middle of the ink each dark run is a bar; a bar is classed by whether its
// ink reaches the top and the bottom of the code's ink. An Area taller than
// wide holds a vertical code, the horizontal one turned clockwise: it is
// turned back first.
inline QList<TPostBar> barsInImage(const QImage &Page, const QRect &Area)
{
    QImage Image = Page;
    QRect a = Area.intersected(Page.rect());
    if (a.height() > a.width()) {
        Image = Page.copy(a).transformed(QTransform().rotate(-90));
        a = Image.rect();
    }
    auto dark = [&Image](int x, int y) { return qGray(Image.pixel(x, y)) < 128; };
    int top = a.bottom() + 1, bottom = a.top() - 1;
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x)
            if (dark(x, y)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    QList<TPostBar> bars;
    if (bottom - top < 6)
        return bars;
    const int middle = (top + bottom) / 2;
    const int reach = (bottom - top) / 6; // a third of a half bar
    for (int x = a.left(); x <= a.right();) {
        if (!dark(x, middle)) {
            ++x;
            continue;
        }
        int end = x;
        while (end + 1 <= a.right() && dark(end + 1, middle))
            ++end;
        const int cx = (x + end) / 2;
        int up = middle, down = middle;
        while (up - 1 >= a.top() && dark(cx, up - 1))
            --up;
        while (down + 1 <= a.bottom() && dark(cx, down + 1))
            ++down;
        const bool high = up <= top + reach;
        const bool low = down >= bottom - reach;
        bars.append(high && low ? TPostBar::Long : high ? TPostBar::Ascender : low ? TPostBar::Descender : TPostBar::Tracker);
        x = end + 1;
    }
    return bars;
}
