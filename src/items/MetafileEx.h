#pragma once

#include "items/TextMetrics.h"
#include "items/Units.h"

#include <QBrush>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTransform>

#include <cstddef>
#include <variant>
#include <vector>

class QPainter;

// The recorded content of a text item: a display list in the dots of the
// reference device (the printer, or the screen without one), built once and
// played back scaled onto the screen at any zoom and 1:1 onto the printer.
// It keeps shaped glyphs with their positions, so playing it never looks a
// font up again and the fitting done while recording holds on every device.
// Tests read the operations directly instead of rasterising.

// Glyphs of one face drawn through one transform from their local
// coordinates (the positions are glyph origins on the base line). Texts
// holds what each glyph stands for (its character, with the marks it
// composed) and Face the face's PostScript name: a PDF gives those back
// when its text is copied (see util/PdfText.h).
struct TGlyphRun {
    QRawFont Font;
    QList<quint32> Glyphs;
    QList<QPointF> Positions;
    QTransform Transform;
    QStringList Texts;
    QString Face;
};

// A text as it was laid out: what was written, where, in which font, with
// which advances; and the glyph runs that draw it (none when the metrics
// only measure, as the fixed test metrics do).
struct TTextOp {
    QString Text;
    QPoint Origin;          // top-left of the first cell, before turning
    TCanvasFont Font;
    QList<int> Advances;    // per UTF-16 unit along the base line
    int CellHeight = 0;     // the line height across the base line
    std::vector<TGlyphRun> Runs;
};

struct TPathOp {
    QPainterPath Path;
    QPen Pen;
    QBrush Brush;
};

struct TImageOp {
    QImage Image;
    QRectF Target;
};

struct TClipPushOp {
    QRectF Rect;
};

struct TClipPopOp {};

using TDisplayOp = std::variant<TTextOp, TPathOp, TImageOp, TClipPushOp, TClipPopOp>;

class TMetafileEx
{
public:
    void Clear();
    bool IsEmpty() const { return m_ops.empty(); }

    // The recording's size in reference-device dots and the device's resolution.
    QSize Size() const { return m_size; }
    void SetSize(QSize Size) { m_size = Size; }
    TDeviceDpi Dpi() const { return m_dpi; }
    void SetDpi(TDeviceDpi Dpi) { m_dpi = Dpi; }

    void Append(TDisplayOp Op) { m_ops.push_back(std::move(Op)); }
    // Appends a text operation for the recording to fill. It holds the
    // lists of a text operation recorded before the last Clear where there
    // is one (stale content: every field is to be set), so that recording
    // the same layout record after record refills those lists instead of
    // freeing them and building new ones.
    TTextOp &AppendText();
    const std::vector<TDisplayOp> &Ops() const { return m_ops; }
    // The text operations in recording order.
    QList<const TTextOp *> TextOps() const;

    // Plays the recording stretched onto Rect, one unit larger at the right
    // and bottom, as the editing canvas draws it: (0, 0, 99, 49) fills
    // 100 x 50 pixels.
    void Draw(QPainter &Canvas, const TScreenRect &Rect) const;
    // Plays the recording with its top-left corner at Origin onto a device
    // of resolution Target: 1:1 when the recording was made for it, else
    // scaled from the recording's resolution, so that a recording made for
    // another device (the screen's, before a printer was known) still
    // prints at its size.
    void Play(QPainter &Canvas, QPointF Origin, TDeviceDpi Target) const;

private:
    // Frame maps the recording onto the painter's current transform;
    // Restore gives back the transform and pen the text changed.
    void playOps(QPainter &Canvas, const QTransform &Frame, bool Restore) const;

    // The text operations of the recording before the last Clear, for
    // AppendText to take in order. Not part of the recording: a copy of the
    // metafile starts without them.
    struct TSpareTexts {
        std::vector<TTextOp> Ops;
        std::size_t Next = 0;

        TSpareTexts() = default;
        TSpareTexts(const TSpareTexts &) {}
        TSpareTexts(TSpareTexts &&) = default;
        TSpareTexts &operator=(const TSpareTexts &) { return *this; }
        TSpareTexts &operator=(TSpareTexts &&) = default;
    };

    std::vector<TDisplayOp> m_ops;
    TSpareTexts m_spareTexts;
    QSize m_size;
    TDeviceDpi m_dpi;
};
