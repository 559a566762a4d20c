#include "exchange/ListPrtDisplay.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>
#include <QTransform>

class TListDisplayEngine : public QPaintEngine
{
public:
    TListDisplayEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    std::vector<TListDrawCall> Calls;

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
        if (state.state() & DirtyFont)
            m_font = state.font();
    }
    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            TListDrawCall call = make(TListDrawCall::TKind::Rect);
            call.Rect = m_transform.mapRect(rects[i]);
            Calls.push_back(std::move(call));
        }
    }
    void drawRects(const QRect *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QRectF rect(rects[i]);
            drawRects(&rect, 1);
        }
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            TListDrawCall call = make(TListDrawCall::TKind::Line);
            call.Line = m_transform.map(lines[i]);
            Calls.push_back(std::move(call));
        }
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
        TListDrawCall call = make(TListDrawCall::TKind::Path);
        call.Path = m_transform.map(path);
        Calls.push_back(std::move(call));
    }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode) override
    {
        QPolygonF polygon;
        for (int i = 0; i < count; ++i)
            polygon << points[i];
        QPainterPath path;
        path.addPolygon(polygon);
        drawPath(path);
    }
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        TListDrawCall call = make(TListDrawCall::TKind::Text);
        call.Rect = QRectF(m_transform.map(p), QSizeF());
        call.Text = item.text();
        call.Font = item.font();
        Calls.push_back(std::move(call));
    }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}

private:
    TListDrawCall make(TListDrawCall::TKind kind) const
    {
        TListDrawCall call;
        call.Kind = kind;
        call.Pen = m_pen;
        call.Brush = m_brush;
        call.Font = m_font;
        return call;
    }
    QTransform m_transform;
    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
};

TListDisplayList::TListDisplayList(QSize size, int dpiX, int dpiY)
    : m_size(size), m_dpiX(std::max(1, dpiX)), m_dpiY(std::max(1, dpiY)), m_engine(std::make_unique<TListDisplayEngine>())
{
}

TListDisplayList::~TListDisplayList() = default;

QPaintEngine *TListDisplayList::paintEngine() const
{
    return m_engine.get();
}

const std::vector<TListDrawCall> &TListDisplayList::Calls() const
{
    return m_engine->Calls;
}

void TListDisplayList::Clear()
{
    m_engine->Calls.clear();
}

void TListDisplayList::Play(QPainter &painter) const
{
    painter.save();
    for (const TListDrawCall &call : m_engine->Calls) {
        painter.setPen(call.Pen);
        painter.setBrush(call.Brush);
        switch (call.Kind) {
        case TListDrawCall::TKind::Rect:
            painter.drawRect(call.Rect);
            break;
        case TListDrawCall::TKind::Line:
            painter.drawLine(call.Line);
            break;
        case TListDrawCall::TKind::Path:
            painter.drawPath(call.Path);
            break;
        case TListDrawCall::TKind::Text:
            painter.setFont(call.Font);
            painter.drawText(call.Rect.topLeft(), call.Text);
            break;
        }
    }
    painter.restore();
}

int TListDisplayList::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return static_cast<int>(m_size.width() * 25.4 / m_dpiX);
    case PdmHeightMM:
        return static_cast<int>(m_size.height() * 25.4 / m_dpiY);
    case PdmDpiX:
    case PdmPhysicalDpiX:
        return m_dpiX;
    case PdmDpiY:
    case PdmPhysicalDpiY:
        return m_dpiY;
    case PdmDepth:
        return 32;
    case PdmNumColors:
        return 0xFFFFFF;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    default:
        return 0;
    }
}
