#include "items/WordRect.h"

#include "items/TextMetrics.h"
#include "util/SubUnit.h"

#include <cmath>

TWordRect::TWordRect()
{
    m_frame.OnChange = [this](TRectFrame &) { invalidate(); };
    m_frame.OnBackChange = [this](TRectFrame &) { invalidate(); };
}

void TWordRect::Assign(const TDrawRect &Source)
{
    TMetaRect::Assign(Source);
    if (const auto *w = dynamic_cast<const TWordRect *>(&Source)) {
        m_lines = w->m_lines;
        SetFontSizeIndex(w->GetFontSizeIndex());
        m_vhRatio = w->m_vhRatio;
        m_alignment = w->m_alignment;
        m_lineSpace = w->m_lineSpace;
        m_wordWrap = w->m_wordWrap;
        m_frame.Assign(w->m_frame);
    }
    invalidate();
}

void TWordRect::SetLineCount(int Count)
{
    Count = qBound(0, Count, MaxLines);
    if (Count == m_lines.size())
        return;
    m_lines.resize(Count);
    invalidate();
}

void TWordRect::SetLine(int Index, const QString &Text)
{
    if (Index < 0 || Index >= m_lines.size())
        return;
    m_lines[Index] = Text;
    invalidate();
}

void TWordRect::SetAlignment(qint32 Value)
{
    Value = qBound(0, Value, 8);
    if (Value != m_alignment) {
        m_alignment = Value;
        invalidate();
    }
}

void TWordRect::SetWordWrap(bool Value)
{
    if (Value != m_wordWrap) {
        m_wordWrap = Value;
        invalidate();
    }
}

void TWordRect::SetVHRatio(qint32 Value)
{
    if (Value > 0 && Value != m_vhRatio) {
        m_vhRatio = Value;
        invalidate();
    }
}

void TWordRect::SetLineSpace(quint8 Value)
{
    Value = quint8(qMin<int>(Value, 5));
    if (Value != m_lineSpace) {
        m_lineSpace = Value;
        invalidate();
    }
}

void TWordRect::ClearContent()
{
    TMetaRect::ClearContent();
    m_lines.clear();
    invalidate();
}

double TWordRect::widthFactor() const
{
    if (m_vhRatio == 100 || m_vhRatio <= 0)
        return 1.0;
    // Across a vertical column the characters narrow as they widen in a row.
    return m_horizontal ? m_vhRatio / 100.0 : 100.0 / m_vhRatio;
}

void TWordRect::applyWidthRatio(TRecordingCanvas &Canvas) const
{
    if (m_vhRatio != 100)
        SetFontWidthRatio(Canvas, widthFactor());
}

void TWordRect::BuildContent(TRecordingCanvas &Canvas, QSize Size)
{
    const int w = Size.width(), h = Size.height();
    const TDeviceDpi dpi = Canvas.Dpi();
    const QPoint minMargin = TextItemMargins(Canvas);
    QRect inner;
    m_frame.Draw(Canvas, QRect(0, 0, w, h), inner, dpi.y / 96.0);
    const int marginX = qMax(inner.left(), minMargin.x());
    const int marginY = qMax(inner.top(), minMargin.y());
    if (m_lines.isEmpty())
        return;

    if (m_horizontal)
        SetFontHorizontal(m_font);
    else
        SetFontVertical(m_font);
    const int L = m_horizontal ? w - 2 * marginX : h - 2 * marginY;
    const int S = m_horizontal ? h - 2 * marginY : w - 2 * marginX;
    if (L <= 0 || S <= 0)
        return;

    Canvas.Font = canvasFont(m_font, m_fontColor, -4096);
    const double factor = LineSpaceFactors[qMin<size_t>(m_lineSpace, 5)];
    const bool fitted = m_fontSizeIndex <= 0 || m_fontSizeIndex >= int(FontSizeTable.size());
    auto gapOf = [factor](int H) { return int(std::trunc(H * factor)); };

    if (!fitted) {
        Canvas.Font.Height = pointsToHeight(FontSizeTable[size_t(m_fontSizeIndex)], Canvas);
    } else {
        const int n = int(m_lines.size());
        const int H = Canvas.TextHeight();
        if (!FitFont(Canvas, S, H * n + gapOf(H) * (n - 1), true))
            return;
    }

    QStringList lines;
    const TTextMetrics &metrics = Canvas.Metrics();
    if (fitted && m_wordWrap) {
        QList<int> breaks(m_lines.size(), 0);
        bool done = false;
        for (int round = 0; round < MaxFitRounds * 8 && !done; ++round) {
            lines.clear();
            int overflow = 0, worst = 0;
            const TCanvasFont plain = Canvas.Font;
            applyWidthRatio(Canvas);
            for (int i = 0; i < m_lines.size(); ++i) {
                lines.append(m_lines.at(i));
                for (int b = 0; b < breaks.at(i); ++b) {
                    QString part = lines.last(), rest;
                    SplitAtWidth(metrics, Canvas.Font, part, L, rest);
                    if (rest.isEmpty())
                        break;
                    lines.last() = part;
                    lines.append(rest);
                }
                const int x = Canvas.TextWidth(lines.last());
                if (x - L > overflow) {
                    overflow = x - L;
                    worst = i;
                }
            }
            if (overflow == 0) {
                done = true;
                break;
            }
            Canvas.Font = plain;
            const int H = Canvas.TextHeight();
            const int gap = gapOf(H);
            const int m = int(lines.size());
            const double r1 = double(L) / double(L + overflow);
            const double r2 = double(S) / double(H * (m + 1) + gap * m);
            if (r1 >= r2) {
                if (!FitFont(Canvas, L, L + overflow))
                    return;
            } else {
                if (!FitFont(Canvas, S, H * (m + 1) + gap * m))
                    return;
                ++breaks[worst];
            }
        }
        if (!done)
            return;
    } else if (fitted) {
        lines = m_lines;
        int widest = 0;
        for (const QString &l : lines)
            widest = qMax(widest, Canvas.TextWidth(l));
        if (widest > 0 && !FitFont(Canvas, L, int(std::ceil(widest * widthFactor()))))
            return;
        applyWidthRatio(Canvas);
    } else {
        const int H = Canvas.TextHeight();
        const int gap = gapOf(H);
        int capacity = 0;
        while (H * (capacity + 1) + gap * capacity < S)
            ++capacity;
        if (capacity <= 0)
            return;
        applyWidthRatio(Canvas);
        for (const QString &source : m_lines) {
            if (lines.size() >= capacity)
                break;
            QString part = source, rest;
            SplitAtWidth(metrics, Canvas.Font, part, L, rest);
            lines.append(part);
            while (m_wordWrap && !rest.isEmpty() && lines.size() < capacity) {
                part = rest;
                SplitAtWidth(metrics, Canvas.Font, part, L, rest);
                if (part.isEmpty()) // a character wider than the line: nothing more fits
                    break;
                lines.append(part);
            }
        }
    }
    if (lines.isEmpty())
        return;

    const int m = int(lines.size());
    const int vA = m_alignment / 3, hA = m_alignment % 3;
    const int H = Canvas.TextHeight();
    int gap = 0;
    if (m_lineSpace != 0)
        gap = gapOf(H);
    else if (m > 1)
        gap = (S - H * m) / (m - 1);
    const int T = H * m + gap * (m - 1);

    for (int i = 0; i < m; ++i) {
        const QString &text = lines.at(i);
        const int width = Canvas.TextWidth(text);
        int x = 0, y = 0;
        if (m_horizontal) {
            // The points name the anchor of the alignment; the canvas draws
            // from the top-left of the first cell.
            switch (hA) {
            case 0: x = marginX + L - width; break;
            case 1: x = marginX + L / 2 - width / 2; break;
            default: x = marginX; break;
            }
            switch (vA) {
            case 0: y = marginY + i * (H + gap); break;
            case 1: y = (marginY + S / 2) - T / 2 + i * (H + gap); break;
            default: y = marginY + S - (m - 1 - i) * (H + gap) - H; break;
            }
        } else {
            // Columns run right to left; the cells' tops face the right.
            switch (hA) {
            case 0: x = marginX + S - i * (H + gap); break;
            case 1: x = T / 2 + (S / 2 + marginX) - i * (H + gap); break;
            default: x = marginX + (m - 1 - i) * (H + gap) + H; break;
            }
            switch (vA) {
            case 0: y = marginY; break;
            case 1: y = marginY + L / 2 - width / 2; break;
            default: y = marginY + L - width; break;
            }
        }
        drawTurned(Canvas, Size, x, y, text);
    }
}

void TWordRect::LoadFromStream(TItemReader &Stream)
{
    TMetaRect::LoadFromStream(Stream);
    const qint32 count = Stream.readCount(MaxLines, "行数");
    QStringList lines;
    lines.reserve(count);
    for (qint32 i = 0; i < count; ++i)
        lines.append(Stream.hasVersion(501) ? Stream.readXorWideString() : Stream.readXorString());
    if (Stream.hasVersion(200) && !Stream.hasVersion(600))
        SetFontSizeIndex(qBound(0, Stream.readInt32(), int(FontSizeTable.size()) - 1));
    else if (!Stream.hasVersion(200))
        SetFontSizeIndex(0);
    const qint32 ratio = Stream.hasVersion(400) ? Stream.readInt32() : 100;
    // Ratios outside what the settings offer are damage; keep them usable.
    m_vhRatio = qBound(20, ratio, 300);
    m_alignment = qBound(0, Stream.readInt32(), 8);
    m_wordWrap = Stream.readFlag();
    m_lineSpace = Stream.hasVersion(200) ? quint8(qMin<int>(Stream.readByte(), 5)) : 3;
    m_frame.LoadFromStream(Stream);
    m_lines = lines;
    invalidate();
}

void TWordRect::SaveToStream(TItemWriter &Stream) const
{
    TMetaRect::SaveToStream(Stream);
    Stream.writeInt32(qint32(m_lines.size()));
    for (const QString &l : m_lines)
        Stream.writeXorWideString(l);
    Stream.writeInt32(m_vhRatio);
    Stream.writeInt32(m_alignment);
    Stream.writeFlag(m_wordWrap);
    Stream.writeByte(m_lineSpace);
    m_frame.SaveToStream(Stream);
}
