#pragma once

#include <QImage>
#include <QList>
#include <QRect>

#include <algorithm>

// One run of inked rows down a column of print: its first and last row and
// the columns its ink spans, in dots. The marks printed one below another
// (numbers, hyphens) stand as runs with blank rows between them.
struct TInkRun {
    int top = 0, bottom = 0;
    int left = 0, right = 0;
};

// The runs of rows of Area (dots of Page) that hold ink, from the top; Ink
// tells an inked pixel (the threshold of the page's rendering).
template <typename InkTest>
QList<TInkRun> InkRunsDown(const QImage &Page, const QRect &Area, InkTest Ink)
{
    QList<TInkRun> runs;
    bool open = false;
    for (int y = Area.top(); y <= Area.bottom(); ++y) {
        int left = -1, right = -1;
        for (int x = Area.left(); x <= Area.right(); ++x)
            if (Ink(Page.pixel(x, y))) {
                if (left < 0)
                    left = x;
                right = x;
            }
        if (left < 0) {
            open = false;
            continue;
        }
        if (!open)
            runs.append({y, y, left, right});
        TInkRun &r = runs.last();
        r.bottom = y;
        r.left = std::min(r.left, left);
        r.right = std::max(r.right, right);
        open = true;
    }
    return runs;
}
