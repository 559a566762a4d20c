#pragma once

#include "items/MetaRect.h"

#include <array>

// The address of the recipient or the sender in up to three lines, written
// horizontally or in vertical Japanese columns right to left. The font
// shrinks until the address fits its box, and lines are joined where they
// fit together (a short first line always joins the next). In vertical
// writing short runs of digits of either width (one to four) are set across
// the column in half-width digits, longer numbers stand upright in
// full-width ones, and a dash between two numbers stands as the vertical
// hyphen "ー", an upright stroke clear of the numbers on either side.
// Down columns the characters keep the least height (LeastTextMm) across
// them where the box has room for it: a column too long for it is squeezed
// along, and columns too narrow give way to fewer, wider ones, or numbers
// set across too wide stand upright, whichever keeps the characters
// largest.
//
// The lines are not stored: the editors merge them at print time.
class TAddressRect : public TMetaRect
{
public:
    TAddressRect();

    TDrawRectKind GetKind() const override;
    void Assign(const TDrawRect &Source) override;
    void BuildContent(TRecordingCanvas &Canvas, QSize Size) override;
    void ClearContent() override;
    void RescaleFont(TTenthMm PaperLongSide) override;
    // After the text item's fields: the size level from version 500 on.
    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

    // Line 0, 1 or 2; any other index is ignored (empty).
    QString GetAddressLine(int Index) const;
    void SetAddressLine(int Index, const QString &Text);
    bool IsVertNumeral() const { return m_vertNumeral; }
    void SetVertNumeral(bool Value);
    // The lines are a block number and the building after it (the detailed
    // set's second address frame): they keep a line (a column) each where
    // two print no smaller than one joined line would, and joined they keep
    // a blank between them (a half one down a column), so that the building
    // still reads as a line of its own.
    bool IsLinesApart() const { return m_linesApart; }
    void SetLinesApart(bool Value);
    bool IsSender() const { return m_sender; }
    void SetSender(bool Value) { m_sender = Value; }
    bool IsInBlock() const { return m_inBlock; }
    void SetInBlock(bool Value) { m_inBlock = Value; }
    qint32 GetSizeLevel() const { return m_sizeLevel; }
    // 1 to 5; other values are taken as the nearest level.
    void SetSizeLevel(qint32 Value);

    // Base heights of the size levels 1 to 5 (96-dpi pixels on a postcard).
    static constexpr std::array<qint32, 5> RecipientHeights{-18, -23, -28, -34, -40};
    static constexpr std::array<qint32, 5> SenderHeights{-15, -18, -21, -25, -30};

    // One piece of a vertical column: upright characters, or a short digit
    // run set across the column; Advance along the column, Breadth across it.
    struct TRun {
        bool Across = false;
        QString Text;
        int Advance = 0;
        int Breadth = 0;
    };
    // Cuts a line into the runs of vertical writing; with VertNumeral every
    // digit stands upright.
    static QList<TRun> SplitVerticalRuns(const QString &Line, bool VertNumeral);

private:
    void buildHorizontal(TRecordingCanvas &Canvas, QSize Size);
    void buildVertical(TRecordingCanvas &Canvas, QSize Size);

    std::array<QString, 3> m_lines;
    bool m_sender = false;
    qint32 m_sizeLevel = 3;
    bool m_inBlock = false;
    bool m_vertNumeral = false;
    bool m_linesApart = false;
};
