#include "items/MetafileEx.h"

#include "util/PdfText.h"

#include <QColor>
#include <QGlyphRun>
#include <QPainter>
#include <QVarLengthArray>

#include <algorithm>

void TMetafileEx::Clear()
{
    // Those not taken since the last Clear go: one recording's worth is kept.
    m_spareTexts.Ops.clear();
    m_spareTexts.Next = 0;
    for (TDisplayOp &op : m_ops)
        if (auto *text = std::get_if<TTextOp>(&op))
            m_spareTexts.Ops.push_back(std::move(*text));
    m_ops.clear();
    m_size = {};
}

TTextOp &TMetafileEx::AppendText()
{
    if (m_spareTexts.Next < m_spareTexts.Ops.size())
        return std::get<TTextOp>(m_ops.emplace_back(std::move(m_spareTexts.Ops[m_spareTexts.Next++])));
    return std::get<TTextOp>(m_ops.emplace_back(std::in_place_type<TTextOp>));
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

namespace {

// The pen text of Color is drawn with, as the painter makes it from a colour.
// It is made anew only for another colour: most texts share one, and a pen
// made for every item would be allocated and compared field by field.
const QPen &textPen(const QColor &Color)
{
    thread_local QColor color = Qt::black;
    thread_local QPen pen{QColor(Qt::black)};
    const QColor wanted = Color.isValid() ? Color : QColor(Qt::black);
    if (wanted != color) {
        pen = QPen(wanted);
        color = wanted;
    }
    return pen;
}

// How many glyphs of Run are drawn: those that have a position.
qsizetype drawnCount(const TGlyphRun &Run)
{
    return std::min(Run.Glyphs.size(), Run.Positions.size());
}

} // namespace

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
    // The run being gathered: its first recorded run, the transform it is
    // drawn with and, for a run drawn in the caller's frame, the shift of
    // its positions. A run drawn alone in its own transform goes to the
    // painter as recorded; glyphs and positions are copied only to be
    // shifted or joined.
    const TGlyphRun *first = nullptr;
    QColor pendingColor;
    QTransform pendingTransform;
    bool firstShifted = false;
    QPointF firstShift;
    bool copied = false;
    QVarLengthArray<quint32, 128> glyphs;
    QVarLengthArray<QPointF, 128> positions;
    auto copy = [&glyphs, &positions](const TGlyphRun &Run, const QPointF *Shift) {
        const qsizetype count = drawnCount(Run);
        glyphs.append(Run.Glyphs.constData(), count);
        if (!Shift) {
            positions.append(Run.Positions.constData(), count);
            return;
        }
        const qsizetype at = positions.size();
        positions.resize(at + count);
        QPointF *out = positions.data() + at;
        const QPointF *in = Run.Positions.constData();
        for (qsizetype i = 0; i < count; ++i)
            out[i] = in[i] + *Shift;
    };
    // The colour the text last set the pen to, while nothing else changed it.
    bool penSet = false;
    QColor penColor;
    // Into a PDF: the text each glyph stands for goes with it.
    TPdfGlyphTexts *const notes = TPdfGlyphTexts::Current(Canvas);
    // One glyph run carries each gathered run to the painter in turn,
    // pointing at the recording's glyphs or at the copies above.
    QGlyphRun glyphRun;
    const QRawFont *runFont = nullptr;
    auto flush = [&] {
        if (!first)
            return;
        if (!copied && firstShifted) {
            copy(*first, &firstShift);
            copied = true;
        }
        if (!runFont || *runFont != first->Font) {
            glyphRun.setRawFont(first->Font);
            runFont = &first->Font;
        }
        if (copied)
            glyphRun.setRawData(glyphs.constData(), positions.constData(), int(glyphs.size()));
        else
            glyphRun.setRawData(first->Glyphs.constData(), first->Positions.constData(), int(drawnCount(*first)));
        const QTransform wanted = pendingTransform * base;
        if (Canvas.transform() != wanted)
            Canvas.setTransform(wanted);
        // The pen is changed only for another colour: most texts of a
        // piece share one.
        if (!penSet || penColor != pendingColor) {
            Canvas.setPen(textPen(pendingColor));
            penColor = pendingColor;
            penSet = true;
        }
        Canvas.drawGlyphRun(QPointF(0, 0), glyphRun);
        first = nullptr;
        copied = false;
        glyphs.clear();
        positions.clear();
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
                if (notes)
                    notes->Note(r.Font, r.Face, r.Glyphs, r.Texts);
                const QTransform transform = r.Transform * Frame;
                if (first && first->Font == r.Font && pendingColor == t->Font.Color
                    && sameLinear(pendingTransform, transform)) {
                    // p * L + d2 == (p + s) * L + d1 with s = (d2 - d1) * L^-1.
                    const QTransform linear(transform.m11(), transform.m12(), transform.m21(), transform.m22(), 0, 0);
                    const QPointF shift = linear.inverted().map(
                        QPointF(transform.dx() - pendingTransform.dx(), transform.dy() - pendingTransform.dy()));
                    if (!copied) {
                        copy(*first, firstShifted ? &firstShift : nullptr);
                        copied = true;
                    }
                    copy(r, &shift);
                    continue;
                }
                flush();
                first = &r;
                pendingColor = t->Font.Color;
                firstShifted = transform.type() <= QTransform::TxTranslate;
                if (firstShifted) {
                    pendingTransform = QTransform();
                    firstShift = QPointF(transform.dx(), transform.dy());
                } else {
                    pendingTransform = transform;
                }
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
