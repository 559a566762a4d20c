#include "items/PosRect.h"

#include "util/SubUnit.h"


TPosRect::TPosRect()
{
    m_baseHeight = -24;
}

TDrawRectKind TPosRect::GetKind() const
{
    return m_sender ? TDrawRectKind::SenderPostcode : TDrawRectKind::RecipientPostcode;
}

void TPosRect::SetPostcode(const QString &Text)
{
    if (m_postcode == Text)
        return;
    m_postcode = Text;
    invalidate();
}

void TPosRect::ClearContent()
{
    TMetaRect::ClearContent();
    m_postcode.clear();
}

void TPosRect::RescaleFont(TTenthMm PaperLongSide)
{
    // A postcode inside a sender block takes the recipient's size.
    m_baseHeight = m_sender && !m_inBlock ? -19 : -24;
    TMetaRect::RescaleFont(PaperLongSide);
}

void TPosRect::BuildContent(TRecordingCanvas &Canvas, QSize Size)
{
    if (m_postcode.isEmpty())
        return;
    SetFontHorizontal(m_font);
    const bool plain = m_postcode.startsWith(QChar(u'〒')) || m_postcode.indexOf(QLatin1Char('-')) == 3;
    if (plain)
        buildPlain(Canvas, Size);
    else
        buildBoxes(Canvas, Size);
}

void TPosRect::turn(TRecordingCanvas &Canvas, QSize Size, int &X, int &Y) const
{
    if (!m_rotate180)
        return;
    RotateCanvasFont180(Canvas.Font);
    X = Size.width() - X;
    Y = Size.height() - Y;
}

void TPosRect::buildPlain(TRecordingCanvas &Canvas, QSize Size)
{
    Canvas.Font = contentFont();
    if (!FitFont(Canvas, Size.width(), Canvas.TextWidth(m_postcode), false))
        return;
    if (!FitFont(Canvas, Size.height(), Canvas.Metrics().lineHeight(Canvas.Font), false))
        return;
    int x = (Size.width() - Canvas.TextWidth(m_postcode)) / 2;
    int y = (Size.height() - Canvas.TextHeight()) / 2;
    turn(Canvas, Size, x, y);
    Canvas.TextOut(x, y, m_postcode);
    if (m_rotate180)
        RotateCanvasFont180(Canvas.Font);
}

void TPosRect::buildBoxes(TRecordingCanvas &Canvas, QSize Size)
{
    const int dx = Canvas.Dpi().x;
    QList<int> advances(m_postcode.size(), 0);
    qint64 total = 0;
    for (size_t i = 0; i < BoxPitches.size(); ++i) {
        const int pitch = TenthMmToDots(TTenthMm(BoxPitches[i]), dx);
        total += pitch;
        if (qsizetype(i) < advances.size())
            advances[qsizetype(i)] = pitch;
    }
    if (total <= 0)
        return;
    // The row of boxes is stretched to the item's width.
    const double ratio = double(Size.width()) / double(total);
    for (int &a : advances)
        a = int(RoundHalfAway(a * ratio));

    Canvas.Font = contentFont();
    const QString first = m_postcode.left(m_postcode.at(0).isHighSurrogate() ? 2 : 1);
    const int digitWidth = int(RoundHalfAway(double(BoxWidth - DigitMargin) / 254.0 * dx * ratio));
    if (!FitFont(Canvas, digitWidth, Canvas.TextWidth(first), true))
        return;
    if (!FitFont(Canvas, Size.height(), Canvas.Metrics().lineHeight(Canvas.Font), false))
        return;
    const int rowWidth = int(RoundHalfAway(total * ratio));
    const int boxWidth = int(RoundHalfAway(double(BoxWidth) / 254.0 * dx * ratio));
    int x = (Size.width() - rowWidth) / 2 + (boxWidth - Canvas.TextWidth(first)) / 2;
    int y = (Size.height() - Canvas.TextHeight()) / 2;
    turn(Canvas, Size, x, y);
    (void)WideExtTextOut(Canvas, x, y, m_postcode, advances);
    if (m_rotate180)
        RotateCanvasFont180(Canvas.Font);
}
