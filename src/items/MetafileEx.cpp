#include "items/MetafileEx.h"

#include <QGlyphRun>
#include <QPainter>

void TMetafileEx::Clear()
{
    m_ops.clear();
    m_size = {};
}

QList<const TTextOp *> TMetafileEx::TextOps() const
{
    QList<const TTextOp *> out;
    for (const TDisplayOp &op : m_ops)
        if (const auto *t = std::get_if<TTextOp>(&op))
            out.append(t);
    return out;
}

void TMetafileEx::Draw(QPainter &Canvas, const TScreenRect &Rect) const
{
    if (m_size.isEmpty())
        return;
    Canvas.save();
    Canvas.translate(Rect.Left, Rect.Top);
    Canvas.scale(double(Rect.width() + 1) / m_size.width(), double(Rect.height() + 1) / m_size.height());
    playOps(Canvas);
    Canvas.restore();
}

void TMetafileEx::Play(QPainter &Canvas, QPointF Origin) const
{
    Canvas.save();
    Canvas.translate(Origin);
    playOps(Canvas);
    Canvas.restore();
}

void TMetafileEx::playOps(QPainter &Canvas) const
{
    int pushed = 0;
    // Text runs only change the transform and the pen, and set both for
    // every run: they are drawn without saving the whole painter state
    // around each, which on a PDF page would write the state out again
    // for every run. The caller's transform and pen come back after them.
    bool inText = false;
    QTransform base;
    QPen pen;
    auto endText = [&] {
        if (!inText)
            return;
        Canvas.setTransform(base);
        Canvas.setPen(pen);
        inText = false;
    };
    for (const TDisplayOp &op : m_ops) {
        if (const auto *t = std::get_if<TTextOp>(&op)) {
            for (const TGlyphRun &r : t->Runs) {
                if (r.Glyphs.isEmpty() || !r.Font.isValid())
                    continue;
                if (!inText) {
                    base = Canvas.transform();
                    pen = Canvas.pen();
                    inText = true;
                }
                QGlyphRun run;
                run.setRawFont(r.Font);
                run.setGlyphIndexes(r.Glyphs);
                run.setPositions(r.Positions);
                Canvas.setTransform(r.Transform * base);
                Canvas.setPen(t->Font.Color);
                Canvas.drawGlyphRun(QPointF(0, 0), run);
            }
            continue;
        }
        endText();
        if (const auto *p = std::get_if<TPathOp>(&op)) {
            Canvas.save();
            Canvas.setPen(p->Pen);
            Canvas.setBrush(p->Brush);
            Canvas.drawPath(p->Path);
            Canvas.restore();
        } else if (const auto *i = std::get_if<TImageOp>(&op)) {
            Canvas.drawImage(i->Target, i->Image);
        } else if (const auto *c = std::get_if<TClipPushOp>(&op)) {
            Canvas.save();
            Canvas.setClipRect(c->Rect, Canvas.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
            ++pushed;
        } else if (std::holds_alternative<TClipPopOp>(op) && pushed > 0) {
            Canvas.restore();
            --pushed;
        }
    }
    endText();
    // A recording cut short leaves no clip behind on the caller's canvas.
    while (pushed-- > 0)
        Canvas.restore();
}
