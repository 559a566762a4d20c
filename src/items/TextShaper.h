#pragma once

#include "items/MetafileEx.h"
#include "items/TextMetrics.h"

#include <QStringView>
#include <QTransform>

#include <vector>

// Turns a laid-out text (its advances fixed by the metrics) into glyph runs
// for the display list. Horizontal text uses the face's plain glyphs. Text in
// a vertical face ("@") is set as Japanese vertical writing: full-width
// characters stand upright, centred across the column, in the face's vertical
// forms (OpenType vert/vrt2, applied with HarfBuzz on the face's own tables,
// so "ー", "、" and "（" turn into their vertical shapes); half-width
// characters lie on their side along the column.
class TTextShaper
{
public:
    virtual ~TTextShaper() = default;
    // TextFrame maps the text's own frame (x along the base line from the
    // first cell's start, y down from the cell's top) to the recording.
    // Runs is refilled: the runs it holds are reused, their lists keeping
    // their room, and those left over removed.
    virtual void shapeInto(const TCanvasFont &Font, QStringView Text, const QList<int> &Advances, int CellHeight,
                           double EmSize, const QTransform &TextFrame, std::vector<TGlyphRun> &Runs) const = 0;
    [[nodiscard]] std::vector<TGlyphRun> shape(const TCanvasFont &Font, QStringView Text, const QList<int> &Advances,
                                               int CellHeight, double EmSize, const QTransform &TextFrame) const
    {
        std::vector<TGlyphRun> runs;
        shapeInto(Font, Text, Advances, CellHeight, EmSize, TextFrame, runs);
        return runs;
    }
};

class THarfBuzzShaper final : public TTextShaper
{
public:
    void shapeInto(const TCanvasFont &Font, QStringView Text, const QList<int> &Advances, int CellHeight,
                   double EmSize, const QTransform &TextFrame, std::vector<TGlyphRun> &Runs) const override;
};

// The glyph of each code point of Text in the face, with its vertical form
// where the face has one (Vertical) or its plain form.
QList<quint32> GlyphsForText(const QString &Face, int StyleBits, QStringView Text, bool Vertical);
