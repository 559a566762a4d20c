#include "items/AdditionRect.h"

TAdditionRect::TAdditionRect()
{
    m_baseHeight = Heights[2];
}

void TAdditionRect::Assign(const TDrawRect &Source)
{
    TMetaRect::Assign(Source);
    if (const auto *a = dynamic_cast<const TAdditionRect *>(&Source)) {
        m_addKind = a->m_addKind;
        if (m_addKind == 0)
            m_content = a->m_content;
        m_sizeLevel = a->m_sizeLevel;
    }
}

void TAdditionRect::SetCaption(const QString &Text)
{
    if (m_caption == Text)
        return;
    m_caption = Text;
    invalidate();
}

void TAdditionRect::SetContent(const QString &Text)
{
    if (m_content == Text)
        return;
    m_content = Text;
    invalidate();
}

void TAdditionRect::ClearContent()
{
    TMetaRect::ClearContent();
    if (m_addKind != 0) {
        m_caption.clear();
        m_content.clear();
    }
}

void TAdditionRect::RescaleFont(TTenthMm PaperLongSide)
{
    m_baseHeight = Heights[size_t(qBound(1, m_sizeLevel, 5) - 1)];
    TMetaRect::RescaleFont(PaperLongSide);
    // A small paper scales the size step below what reads: the line keeps
    // the least height then.
    if (m_height < 0 && m_height > -LeastTextPixels)
        m_height = -LeastTextPixels;
}

void TAdditionRect::LoadFromStream(TItemReader &Stream)
{
    TMetaRect::LoadFromStream(Stream);
    if (!Stream.hasVersion(201))
        m_visible = Stream.readFlag();
    quint8 kind = Stream.hasVersion(103) ? Stream.readByte() : 19;
    if (!Stream.hasVersion(201) && Stream.hasVersion(103)) {
        // Codes of the first releases: 3 and above moved up by 8, and the
        // sender block's lines (then 8 on) by a further 3.
        if (kind >= 3)
            kind = quint8(kind + 8);
        if (kind > 15)
            kind = quint8(kind + 3);
    }
    m_addKind = kind;
    m_content = m_addKind == 0 ? Stream.readXorString() : QString();
    m_caption.clear();
    m_sizeLevel = Stream.hasVersion(500) ? qBound(1, Stream.readInt32(), 5) : 3;
}

void TAdditionRect::SaveToStream(TItemWriter &Stream) const
{
    TMetaRect::SaveToStream(Stream);
    Stream.writeByte(m_addKind);
    if (m_addKind == 0)
        Stream.writeXorString(m_content);
    Stream.writeInt32(m_sizeLevel);
}

QString TAdditionRect::PrintedText() const
{
    if (m_content.isEmpty())
        return {};
    return m_caption.isEmpty() ? m_content : m_caption + QStringLiteral("  ") + m_content;
}

void TAdditionRect::BuildContent(TRecordingCanvas &Canvas, QSize Size)
{
    const QString text = PrintedText();
    if (text.isEmpty())
        return;
    const QPoint m = TextItemMargins(Canvas);
    const int mx = m.x(), my = m.y();
    if (m_horizontal)
        SetFontHorizontal(m_font);
    else
        SetFontVertical(m_font);
    const int along = m_horizontal ? Size.width() - 2 * mx : Size.height() - 2 * my;
    const int across = m_horizontal ? Size.height() - 2 * my : Size.width() - 2 * mx;
    if (along < 1 || across < 1)
        return;
    Canvas.Font = contentFont();
    if (!FitFont(Canvas, across, Canvas.TextHeight()) || !FitFont(Canvas, along, Canvas.TextWidth(text)))
        return;
    const int th = Canvas.TextHeight();
    if (m_horizontal)
        drawTurned(Canvas, Size, mx, (across - th) / 2 + my, text);
    else
        drawTurned(Canvas, Size, (across - th) / 2 + mx + th, my, text);
}
