#include "items/MetafileEx.h"

#include "util/PdfText.h"

#include <QGlyphRun>
#include <QPainter>

#include <algorithm>

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
    playOps(Canvas, QTransform(), false);
    Canvas.restore();
}

void TMetafileEx::Play(QPainter &Canvas, QPointF Origin, TDeviceDpi Target) const
{
    // An empty recording leaves no trace, not even a saved state on a PDF page.
    if (m_ops.empty())
        return;
    QTransform frame;
    if (Target != m_dpi && m_dpi.x > 0 && m_dpi.y > 0 && Target.x > 0 && Target.y > 0)
        frame.scale(double(Target.x) / m_dpi.x, double(Target.y) / m_dpi.y);
    frame *= QTransform::fromTranslate(Origin.x(), Origin.y());
    // Text alone (most items) takes its frame into its runs and gives back
    // the transform and pen it changed: saving and restoring the painter
    // would write the whole state out on a PDF page, twice an item.
    const bool textOnly =
        std::all_of(m_ops.cbegin(), m_ops.cend(), [](const TDisplayOp &op) { return std::holds_alternative<TTextOp>(op); });
    if (textOnly) {
        playOps(Canvas, frame, true);
        return;
    }
    Canvas.save();
    Canvas.setTransform(frame, true);
    playOps(Canvas, QTransform(), false);
    Canvas.restore();
}

void TMetafileEx::playOps(QPainter &Canvas, const QTransform &Frame, bool Restore) const
{
    int pushed = 0;
    // Text runs only change the transform and the pen, and set both for
    // every run: they are drawn without saving the whole painter state
    // around each, which on a PDF page would write the state out again
    // for every run. Consecutive runs of one font and colour whose
    // transforms differ only by a shift (the digits of a postcode, the
    // lines of a column) are drawn as one run, their positions moved into
    // the first one's frame. A run whose transform is a mere shift (upright
    // and horizontal text) is drawn in the caller's frame, its positions
    // shifted: on a PDF page every change of the transform writes the whole
    // graphics state out again. The caller restores its state after playing.
    bool inText = false;
    QTransform base;
    QPen pen;
    // The run being gathered.
    bool pending = false;
    QRawFont pendingFont;
    QColor pendingColor;
    QTransform pendingTransform;
    QList<quint32> pendingGlyphs;
    QList<QPointF> pendingPositions;
    QStringList pendingTexts;
    QString pendingFace;
    // The colour the text last set the pen to, while nothing else changed it.
    bool penSet = false;
    QColor penColor;
    // Into a PDF: the text each glyph stands for goes with it.
    TPdfGlyphTexts *const notes = TPdfGlyphTexts::Current();
    // One glyph run carries each gathered run to the painter in turn.
    QGlyphRun glyphRun;
    auto flush = [&] {
        if (!pending)
            return;
        if (notes)
            notes->Note(pendingFont, pendingFace, pendingGlyphs, pendingTexts);
        QGlyphRun &run = glyphRun;
        run.setRawFont(pendingFont);
        run.setGlyphIndexes(pendingGlyphs);
        run.setPositions(pendingPositions);
        const QTransform wanted = pendingTransform * base;
        if (Canvas.transform() != wanted)
            Canvas.setTransform(wanted);
        // The pen is made anew only for another colour: most texts of a
        // piece share one.
        if (!penSet || penColor != pendingColor) {
            Canvas.setPen(pendingColor);
            penColor = pendingColor;
            penSet = true;
        }
        Canvas.drawGlyphRun(QPointF(0, 0), run);
        pending = false;
        pendingGlyphs.clear();
        pendingPositions.clear();
        pendingTexts.clear();
    };
    // Restore: the ops after the text are drawn in the caller's frame; the
    // last text needs no restoring, the callers restore the whole state.
    auto endText = [&](bool Restore) {
        flush();
        if (!inText || !Restore)
            return;
        if (Canvas.transform() != base)
            Canvas.setTransform(base);
        Canvas.setPen(pen);
        penSet = false;
        inText = false;
    };
    auto sameLinear = [](const QTransform &A, const QTransform &B) {
        return A.type() <= QTransform::TxRotate && B.type() <= QTransform::TxRotate && A.m11() == B.m11()
            && A.m12() == B.m12() && A.m21() == B.m21() && A.m22() == B.m22();
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
                const QTransform transform = r.Transform * Frame;
                if (pending && pendingFont == r.Font && pendingColor == t->Font.Color
                    && sameLinear(pendingTransform, transform)) {
                    // p * L + d2 == (p + s) * L + d1 with s = (d2 - d1) * L^-1.
                    const QTransform linear(transform.m11(), transform.m12(), transform.m21(), transform.m22(), 0, 0);
                    const QPointF shift = linear.inverted().map(
                        QPointF(transform.dx() - pendingTransform.dx(), transform.dy() - pendingTransform.dy()));
                    if (notes) {
                        pendingTexts.resize(pendingGlyphs.size());
                        pendingTexts += r.Texts;
                    }
                    pendingGlyphs += r.Glyphs;
                    for (const QPointF &p : r.Positions)
                        pendingPositions.append(p + shift);
                    continue;
                }
                flush();
                pending = true;
                pendingFont = r.Font;
                pendingColor = t->Font.Color;
                pendingGlyphs = r.Glyphs;
                if (transform.type() <= QTransform::TxTranslate) {
                    pendingTransform = QTransform();
                    pendingPositions.clear();
                    pendingPositions.reserve(r.Positions.size());
                    const QPointF shift(transform.dx(), transform.dy());
                    for (const QPointF &p : r.Positions)
                        pendingPositions.append(p + shift);
                } else {
                    pendingTransform = transform;
                    pendingPositions = r.Positions;
                }
                pendingTexts = r.Texts;
                pendingFace = r.Face;
            }
            continue;
        }
        endText(true);
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
    endText(Restore);
    // A recording cut short leaves no clip behind on the caller's canvas.
    while (pushed-- > 0)
        Canvas.restore();
}
