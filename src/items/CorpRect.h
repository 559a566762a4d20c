#pragma once

#include "items/MetaRect.h"

#include <array>

// The parts of a text broken at the separator nearest its middle.
struct TBreakResult {
    QString First;
    QString Second;
    bool Broken = false;
};

// Breaks a text in two at a full-width space: at the only one, or at the
// one nearest the middle (the left one on a tie). A break that would leave
// a part of fewer than 3 characters is undone: the parts are joined again
// with one full-width space and the second part is empty.
TBreakResult BreakAtSpace(const QString &Text);

// Where a company line too long for the least height goes on to a second
// line: at the blank nearest its middle, else where kanji turn to kana or
// back nearest it (株式会社日本総合物産 | ホールディングス), else in its
// middle; each part keeps two characters at least. Not broken below four.
TBreakResult WrapCorpLine(const QString &Text);

// One line of company information (company name, department or title) with
// an optional honorific after it, written horizontally or vertically. With
// CorpBreak a line too long for the box breaks into two at a full-width
// space near its middle, the second part ending before the honorific, which
// ends at the far end of the box.
class TCorpRect : public TMetaRect
{
public:
    TCorpRect();

    TDrawRectKind GetKind() const override;
    void Assign(const TDrawRect &Source) override;
    void BuildContent(TRecordingCanvas &Canvas, QSize Size) override;
    void ClearContent() override;
    void RescaleFont(TTenthMm PaperLongSide) override;
    // After the text item's fields: the size level from version 500 on.
    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

    const QString &GetText() const { return m_text; }
    void SetText(const QString &Text);
    const QString &GetHonor() const { return m_honor; }
    // A hidden honorific does not change what is printed.
    void SetHonor(const QString &Text);
    bool IsCorpBreak() const { return m_corpBreak; }
    void SetCorpBreak(bool Value);
    bool IsShowHonor() const { return m_showHonor; }
    void SetShowHonor(bool Value) { m_showHonor = Value; }
    bool IsSender() const { return m_sender; }
    void SetSender(bool Value) { m_sender = Value; }
    bool IsInBlock() const { return m_inBlock; }
    void SetInBlock(bool Value) { m_inBlock = Value; }
    qint32 GetSizeLevel() const { return m_sizeLevel; }
    void SetSizeLevel(qint32 Value) { m_sizeLevel = qBound(1, Value, 5); }

    // Base heights of the size levels 1 to 5, shared with the name item.
    static constexpr std::array<qint32, 5> RecipientHeights{-20, -30, -40, -47, -55};
    static constexpr std::array<qint32, 5> SenderHeights{-18, -23, -29, -35, -40};

private:
    bool m_corpBreak = false;
    QString m_honor;
    QString m_text;
    bool m_showHonor = true;
    bool m_sender = false;
    qint32 m_sizeLevel = 3;
    bool m_inBlock = false;
};
