#pragma once

#include "items/MetaRect.h"

// The postcode of the recipient or the sender: seven digits set into the
// seven printed boxes of a Japanese postcard or envelope, the row of boxes
// stretched to the item's width; or a plain centred text when the postcode
// is written with the postal mark ("〒") or as three digits, a hyphen and
// four digits. Always written horizontally.
class TPosRect : public TMetaRect
{
public:
    TPosRect();

    TDrawRectKind GetKind() const override;
    void BuildContent(TRecordingCanvas &Canvas, QSize Size) override;
    void ClearContent() override;
    void RescaleFont(TTenthMm PaperLongSide) override;

    const QString &GetPostcode() const { return m_postcode; }
    void SetPostcode(const QString &Text);
    bool IsSender() const { return m_sender; }
    void SetSender(bool Value) { m_sender = Value; }
    bool IsInBlock() const { return m_inBlock; }
    void SetInBlock(bool Value) { m_inBlock = Value; }

    // Distances in 0.1 mm from each box's left edge to the next one's, then
    // the last box's width; they add up to the row's 47.7 mm.
    static constexpr std::array<qint32, 7> BoxPitches{70, 70, 76, 68, 68, 68, 57};
    static constexpr qint32 BoxWidth = 57;
    // The digit is sized to the box width less this (0.1 mm).
    static constexpr qint32 DigitMargin = 18;

private:
    void buildPlain(TRecordingCanvas &Canvas, QSize Size);
    void buildBoxes(TRecordingCanvas &Canvas, QSize Size);
    void turn(TRecordingCanvas &Canvas, QSize Size, int &X, int &Y) const;

    QString m_postcode;
    bool m_sender = false;
    bool m_inBlock = false;
};
