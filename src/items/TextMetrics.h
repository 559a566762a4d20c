#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringView>

// The font of a recording canvas: a layout face (a leading "@" is the
// vertical form), its height in device pixels of the reference device
// (negative: the character height, as the layouts size their text; positive:
// the cell height), the rotation of the base line in tenths of a degree
// counter-clockwise (2700: the text runs downwards), style bits, colour and a
// width ratio (1: natural width).
struct TCanvasFont {
    QString Face = QStringLiteral("ＭＳ 明朝");
    qint32 Height = -12;
    qint32 Escapement = 0;
    quint8 Style = 0;
    QColor Color = Qt::black;
    double WidthRatio = 1.0;

    bool isVertical() const { return Face.startsWith(QLatin1Char('@')); }
    bool operator==(const TCanvasFont &) const = default;
};

// Whether a character takes a full cell (double-byte in Shift-JIS: kanji,
// kana, full-width forms) or half of one (single-byte: ASCII, half-width
// katakana). Characters Shift-JIS lacks are judged by their East Asian width.
bool IsFullWidthChar(char32_t C);

// A variation selector (U+FE00..FE0F, U+E0100..E01EF) or a combining
// (semi-)voiced mark of decomposed kana (U+3099, U+309A): it belongs to the
// character before it, picking its form or composing with it, and takes no
// cell of its own. Inline: every character of every text laid out asks.
inline bool IsJoiningMark(char32_t C)
{
    return (C >= 0xFE00 && C <= 0xFE0F) || (C >= 0xE0100 && C <= 0xE01EF) || C == 0x3099 || C == 0x309A;
}

// The cells a text takes on a layout's grid: one per character, a
// surrogate pair (𠮷) being one character, none for a joining mark. Layouts
// count and step through characters by these, never by UTF-16 units.
[[nodiscard]] int CellCount(QStringView Text);
// Per UTF-16 unit of Text: Step for each unit that starts a cell, 0 for the
// second unit of a pair and for a joining mark (they share the cell before).
[[nodiscard]] QList<int> CellAdvances(QStringView Text, int Step);

// How vertical writing sets a character: upright in the column (full-width
// characters, with their vertical forms) or lying on its side (half-width
// ones). Characters outside Shift-JIS follow their Unicode vertical
// orientation.
bool IsUprightInVertical(char32_t C);

// Measures text as the layouts need it: per-character advances in whole
// device pixels (so that a sum is what a sequence of cells occupies), the
// height of a line (the height of "一"), and how many characters fit a
// width. The real metrics read the faces' design metrics at the reference
// resolution; tests use TFixedTextMetrics, whose exact numbers make the
// layouts' arithmetic checkable.
class TTextMetrics
{
public:
    virtual ~TTextMetrics() = default;

    // The advance of each UTF-16 unit of Text (the second unit of a pair: 0).
    [[nodiscard]] virtual QList<int> advances(const TCanvasFont &Font, QStringView Text) const = 0;
    // The height of a line of text: the height of "一".
    [[nodiscard]] virtual int lineHeight(const TCanvasFont &Font) const = 0;
    // The em of the font in pixels (the character height).
    [[nodiscard]] virtual double emSize(const TCanvasFont &Font) const = 0;

    // The sum of the advances of Text.
    [[nodiscard]] virtual int width(const TCanvasFont &Font, QStringView Text) const;
    // The number of UTF-16 units from the start that fit within MaxWidth
    // (never cutting a surrogate pair); 0 when not even the first does.
    [[nodiscard]] int fitCount(const TCanvasFont &Font, QStringView Text, int MaxWidth) const;
};

// Fixed metrics: a full-width character is one em wide, a half-width one
// half an em (truncated); a line is one em high. The em is the absolute
// height for negative heights and the height itself for positive ones.
class TFixedTextMetrics final : public TTextMetrics
{
public:
    QList<int> advances(const TCanvasFont &Font, QStringView Text) const override;
    int lineHeight(const TCanvasFont &Font) const override;
    double emSize(const TCanvasFont &Font) const override;
};

// The faces' own metrics, unhinted, at the pixel size the height gives:
// each advance is the glyph's design advance scaled to that size and
// rounded, and a line is one em (the ideographic em box "一" fills).
class TDesignTextMetrics final : public TTextMetrics
{
public:
    QList<int> advances(const TCanvasFont &Font, QStringView Text) const override;
    // Summed as the advances are found, without a list of them: layouts
    // measure every text of a record several times while they fit it.
    int width(const TCanvasFont &Font, QStringView Text) const override;
    int lineHeight(const TCanvasFont &Font) const override;
    double emSize(const TCanvasFont &Font) const override;
};

// Cuts Text at MaxWidth: Text keeps what fits, Rest receives the others.
void SplitAtWidth(const TTextMetrics &Metrics, const TCanvasFont &Font, QString &Text, int MaxWidth, QString &Rest);
