#pragma once

#include "items/MetaRect.h"
#include "items/RectFrame.h"

#include <QStringList>

#include <array>

// The free text of postcards, envelopes, labels, cards and designs: any
// number of lines written vertically or horizontally, fitted to the box or
// in a fixed size, aligned, optionally broken at the box's length, with a
// line spacing, a character width ratio and a frame.
class TWordRect : public TMetaRect
{
public:
    // Gap between lines as a share of the line height, by LineSpace:
    // 0 spreads the lines over the box, then none, narrow, normal, somewhat wide, wide.
    static constexpr std::array<double, 6> LineSpaceFactors{0.0, 0.0, 0.25, 1.0 / 3.0, 0.5, 1.0};
    static constexpr qint32 MaxLines = 10000;

    TWordRect();

    TDrawRectKind GetKind() const override { return TDrawRectKind::Word; }
    void Assign(const TDrawRect &Source) override;
    void BuildContent(TRecordingCanvas &Canvas, QSize Size) override;
    void ClearContent() override;
    // After the text item's fields: the lines (UTF-16 from 501 on, Shift-JIS
    // before), the size index of versions 200 to 599, the width ratio from
    // 400 on, alignment, wrap, the line spacing from 200 on, the frame.
    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

    int GetLineCount() const { return int(m_lines.size()); }
    void SetLineCount(int Count);
    QString GetLine(int Index) const { return m_lines.value(Index); }
    void SetLine(int Index, const QString &Text);
    const QStringList &Lines() const { return m_lines; }

    // Vertical alignment x 3 + horizontal alignment (0 right, 1 centre, 2 left).
    qint32 GetAlignment() const { return m_alignment; }
    void SetAlignment(qint32 Value);
    bool GetWordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool Value);
    qint32 GetVHRatio() const { return m_vhRatio; }
    void SetVHRatio(qint32 Value);
    quint8 GetLineSpace() const { return m_lineSpace; }
    void SetLineSpace(quint8 Value);
    TRectFrame &Frame() { return m_frame; }
    const TRectFrame &Frame() const { return m_frame; }

private:
    void applyWidthRatio(TRecordingCanvas &Canvas) const;
    double widthFactor() const;

    QStringList m_lines;
    qint32 m_alignment = 0;
    bool m_wordWrap = false;
    TRectFrame m_frame;
    quint8 m_lineSpace = 0;
    qint32 m_vhRatio = 100;
};
