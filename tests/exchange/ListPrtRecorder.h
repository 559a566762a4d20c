#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QTextItem>
#include <QTransform>

#include <vector>

// A paint device that keeps the draw calls made on it, in device pixels,
// instead of pixels: what a page sends to a printer, comparable call by call.
// It reports the resolution it is given, so that it stands in for a printer.
struct TRecordedCall {
    char Kind = 0;  // 't' text, 'r' rectangle, 'l' line, 'p' path or polygon
    QRect Box;      // device pixels (a text's box is its origin)
    QString Text;
    QRgb Color = 0; // brush colour of rectangles, pen colour otherwise
    int Pen = 0;    // pen style
    friend bool operator==(const TRecordedCall &, const TRecordedCall &) = default;
};

class TRecordingEngine : public QPaintEngine
{
public:
    TRecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    std::vector<TRecordedCall> Calls;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
        if (state.state() & DirtyPen)
            m_pen = state.pen();
        if (state.state() & DirtyBrush)
            m_brush = state.brush();
    }
    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            add('r', m_transform.mapRect(rects[i]).toRect(), {}, m_brush.color().rgb());
    }
    void drawRects(const QRect *rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            drawRects(std::vector<QRectF>{QRectF(rects[i])}.data(), 1);
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            add('l', QRectF(m_transform.map(lines[i].p1()), m_transform.map(lines[i].p2())).normalized().toRect(),
                {}, m_pen.color().rgb());
    }
    void drawLines(const QLine *lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QLineF line(lines[i]);
            drawLines(&line, 1);
        }
    }
    void drawPath(const QPainterPath &path) override
    {
        add('p', m_transform.map(path).boundingRect().toRect(), {}, m_pen.color().rgb());
    }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode) override
    {
        QPolygonF polygon;
        for (int i = 0; i < count; ++i)
            polygon << points[i];
        add('p', m_transform.map(polygon).boundingRect().toRect(), {}, m_pen.color().rgb());
    }
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        add('t', QRect(m_transform.map(p).toPoint(), QSize()), item.text(), m_pen.color().rgb());
    }
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override
    {
        add('p', m_transform.mapRect(r).toRect(), {}, 0);
    }

private:
    void add(char kind, QRect box, const QString &text, QRgb color)
    {
        Calls.push_back({kind, box, text, color, static_cast<int>(m_pen.style())});
    }
    QTransform m_transform;
    QPen m_pen;
    QBrush m_brush;
};

class TRecordingDevice : public QPaintDevice
{
public:
    TRecordingDevice(QSize size, int dpi) : m_size(size), m_dpi(dpi) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    [[nodiscard]] std::vector<TRecordedCall> &Calls() { return m_engine.Calls; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return m_size.width() * 254 / (10 * m_dpi);
        case PdmHeightMM:
            return m_size.height() * 254 / (10 * m_dpi);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_dpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 1 << 24;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    QSize m_size;
    int m_dpi;
    mutable TRecordingEngine m_engine;
};
