#pragma once

#include <QBrush>
#include <QFont>
#include <QLineF>
#include <QPaintDevice>
#include <QPainterPath>
#include <QPen>
#include <QRectF>

#include <memory>
#include <vector>

class QPainter;
class TListDisplayEngine;

// One call a page made, in device pixels of the device it was made on.
struct TListDrawCall {
    enum class TKind : std::uint8_t { Text, Rect, Line, Path };
    TKind Kind = TKind::Rect;
    QRectF Rect;       // Rect: the rectangle; Text: the baseline origin at its top left
    QLineF Line;       // Line
    QPainterPath Path; // Path and polygons
    QString Text;
    QFont Font;
    QPen Pen;
    QBrush Brush;
};

// A display list: a paint device that keeps the calls painted on it with the
// text already laid out, and reports the resolution it is given. A page
// painted on one at the printer's resolution is laid out exactly as on the
// printer, and can then be played onto the screen through any scale.
class TListDisplayList : public QPaintDevice
{
public:
    TListDisplayList(QSize size, int dpiX, int dpiY);
    ~TListDisplayList() override;
    TListDisplayList(const TListDisplayList &) = delete;
    TListDisplayList &operator=(const TListDisplayList &) = delete;

    [[nodiscard]] QPaintEngine *paintEngine() const override;
    [[nodiscard]] const std::vector<TListDrawCall> &Calls() const;
    [[nodiscard]] QSize Size() const { return m_size; }
    void Clear();
    // Draws the calls on painter, in this list's device pixels.
    void Play(QPainter &painter) const;

protected:
    [[nodiscard]] int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    int m_dpiX;
    int m_dpiY;
    std::unique_ptr<TListDisplayEngine> m_engine;
};
