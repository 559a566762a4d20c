#pragma once

#include "items/MetaRect.h"

#include <array>

// One line of additional information: a caption followed by a value (a
// telephone number with its caption, say), or a fixed text of the user's
// own (kind 0, the only text stored with the item). Written on one line,
// horizontally or vertically, shrinking to fit its box.
class TAdditionRect : public TMetaRect
{
public:
    TAdditionRect();

    TDrawRectKind GetKind() const override { return TDrawRectKind::Addition; }
    void Assign(const TDrawRect &Source) override;
    void BuildContent(TRecordingCanvas &Canvas, QSize Size) override;
    // A kind-0 item keeps its own text; merged kinds lose caption and value.
    void ClearContent() override;
    void RescaleFont(TTenthMm PaperLongSide) override;
    // After the text item's fields: before version 201 the visibility byte;
    // the kind byte from 103 on (older items are kind 19); the own text for
    // kind 0; the size level from 500 on. Kinds of streams before 201 are
    // renumbered onto the present codes.
    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

    const QString &GetCaption() const { return m_caption; }
    void SetCaption(const QString &Text);
    const QString &GetContent() const { return m_content; }
    void SetContent(const QString &Text);
    // The line as it prints: the caption, two blanks and the content (the
    // content alone without a caption); empty without content.
    [[nodiscard]] QString PrintedText() const;
    quint8 GetAddKind() const { return m_addKind; }
    void SetAddKind(quint8 Value) { m_addKind = Value; }
    qint32 GetSizeLevel() const { return m_sizeLevel; }
    void SetSizeLevel(qint32 Value) { m_sizeLevel = qBound(1, Value, 5); }

    static constexpr std::array<qint32, 5> Heights{-14, -17, -21, -25, -28};

private:
    QString m_content;
    QString m_caption;
    quint8 m_addKind = 0;
    qint32 m_sizeLevel = 3;
};
