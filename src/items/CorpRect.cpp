#include "items/CorpRect.h"

#include "util/SubUnit.h"

#include <algorithm>
#include <cstdlib>

namespace {
const QChar kSpace(u'　');
const QString kOne = QStringLiteral("一");
} // namespace

TBreakResult BreakAtSpace(const QString &Text)
{
    // Positions below count characters from 1, as the rule is usually told.
    const qsizetype first = Text.indexOf(kSpace);
    if (first < 0)
        return {Text, QString(), false};
    const qsizetype len = Text.size();
    qsizetype p = first + 1;
    if (Text.indexOf(kSpace, p) >= 0) {
        const qsizetype m = len / 2;
        if (m + 1 <= len && Text[m] == kSpace) {
            p = m + 1;
        } else {
            qsizetype a = 0;
            for (qsizetype i = qMin(m, len); i >= 1; --i)
                if (Text[i - 1] == kSpace) {
                    a = i;
                    break;
                }
            qsizetype b = len;
            for (qsizetype i = m + 2; i <= len; ++i)
                if (Text[i - 1] == kSpace) {
                    b = i;
                    break;
                }
            p = (m + 1 - a) > (b - (m + 1)) ? b : a;
        }
    }
    TBreakResult r;
    r.First = Text.left(qMax<qsizetype>(p - 1, 0));
    r.Second = Text.mid(p);
    if (CellCount(r.First) >= 3 && CellCount(r.Second) >= 3) {
        r.Broken = true;
        return r;
    }
    return {r.First + kSpace + r.Second, QString(), false};
}

TBreakResult WrapCorpLine(const QString &Text)
{
    const qsizetype middle = Text.size() / 2;
    auto nearest = [&](auto &&Takes) -> qsizetype {
        qsizetype best = -1;
        for (qsizetype i = 2; i + 2 <= Text.size(); ++i)
            if (!Text[i].isLowSurrogate() && Takes(i) && (best < 0 || std::abs(i - middle) < std::abs(best - middle)))
                best = i;
        return best;
    };
    const auto blank = [&](qsizetype i) { return Text[i] == kSpace || Text[i] == QLatin1Char(' '); };
    if (const qsizetype at = nearest(blank); at > 0)
        return {Text.left(at).trimmed(), Text.mid(at + 1).trimmed(), true};
    // Kanji, katakana (with its long vowel mark), hiragana, the rest.
    const auto script = [&](qsizetype i) {
        const QChar c = Text[i];
        if (c == QChar(0x30FC))
            return 2;
        switch (c.script()) {
        case QChar::Script_Han: return 1;
        case QChar::Script_Katakana: return 2;
        case QChar::Script_Hiragana: return 3;
        default: return 4;
        }
    };
    if (const qsizetype at = nearest([&](qsizetype i) { return script(i - 1) != script(i); }); at > 0)
        return {Text.left(at), Text.mid(at), true};
    if (Text.size() < 4)
        return {Text, QString(), false};
    const qsizetype at = Text[middle].isLowSurrogate() ? middle + 1 : middle;
    return {Text.left(at), Text.mid(at), true};
}

TCorpRect::TCorpRect()
{
    m_baseHeight = RecipientHeights[2];
}

TDrawRectKind TCorpRect::GetKind() const
{
    return m_sender ? TDrawRectKind::SenderName : TDrawRectKind::RecipientName;
}

void TCorpRect::Assign(const TDrawRect &Source)
{
    TMetaRect::Assign(Source);
    if (const auto *c = dynamic_cast<const TCorpRect *>(&Source))
        m_sizeLevel = c->m_sizeLevel;
}

void TCorpRect::SetText(const QString &Text)
{
    if (m_text == Text)
        return;
    m_text = Text;
    invalidate();
}

void TCorpRect::SetHonor(const QString &Text)
{
    if (m_honor == Text)
        return;
    m_honor = Text;
    if (m_showHonor)
        invalidate();
}

void TCorpRect::SetCorpBreak(bool Value)
{
    if (m_corpBreak == Value)
        return;
    m_corpBreak = Value;
    invalidate();
}

void TCorpRect::ClearContent()
{
    TMetaRect::ClearContent();
    m_text.clear();
    m_honor.clear();
}

void TCorpRect::RescaleFont(TTenthMm PaperLongSide)
{
    const auto &row = m_sender && !m_inBlock ? SenderHeights : RecipientHeights;
    m_baseHeight = row[size_t(qBound(1, m_sizeLevel, 5) - 1)];
    TMetaRect::RescaleFont(PaperLongSide);
}

void TCorpRect::LoadFromStream(TItemReader &Stream)
{
    TMetaRect::LoadFromStream(Stream);
    m_sizeLevel = Stream.hasVersion(500) ? qBound(1, Stream.readInt32(), 5) : 3;
}

void TCorpRect::SaveToStream(TItemWriter &Stream) const
{
    TMetaRect::SaveToStream(Stream);
    Stream.writeInt32(m_sizeLevel);
}

void TCorpRect::BuildContent(TRecordingCanvas &Canvas, QSize Size)
{
    if (m_text.isEmpty())
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
    const qint32 h0 = Canvas.Font.Height;
    auto W = [&](const QString &s) { return Canvas.TextWidth(s); };
    auto TH = [&] { return Canvas.TextHeight(); };
    const bool honorShown = m_showHonor && !m_honor.isEmpty();
    auto hon = [&] { return honorShown ? int(RoundHalfAway(W(kOne) / 3.0)) + W(m_honor) : 0; };

    QString L0 = m_text, L1;
    if (m_corpBreak) {
        if (W(L0) + hon() - 2 * W(kOne) <= along) {
            if (!FitFont(Canvas, across, TH()))
                return;
        } else {
            const TBreakResult b = BreakAtSpace(L0);
            L0 = b.First;
            L1 = b.Second;
            if (!L1.isEmpty()) {
                if (FitFont(Canvas, across, 2 * TH())) {
                    if (W(L0) + W(L1) - W(kOne) + hon() < along) {
                        // Both parts fit on one line after all: whole, at the unshrunk height.
                        L0 = L0 + kSpace + L1;
                        L1.clear();
                        Canvas.Font.Height = h0;
                        if (!FitFont(Canvas, across, TH()))
                            return;
                    }
                } else {
                    L0 = L0 + kSpace + L1;
                    L1.clear();
                    if (!FitFont(Canvas, across, TH()))
                        return;
                }
            } else if (!FitFont(Canvas, across, TH())) {
                return;
            }
        }
    } else if (!FitFont(Canvas, across, TH())) {
        return;
    }
    auto measure = [&] { return (L1.isEmpty() ? W(L0) : qMax(W(L0), W(L1)) + W(kOne)) + hon(); };
    // A line that would shrink below the least height along goes on to a
    // second line where the box has room across for two at that height.
    if (L1.isEmpty() && measure() > along) {
        const TCanvasFont one = Canvas.Font;
        const int least = std::min(leastHeight(Canvas), std::abs(int(h0)));
        const bool unreadable = FitFont(Canvas, along, measure()) && std::abs(Canvas.Font.Height) < least;
        Canvas.Font = one;
        const TBreakResult b = WrapCorpLine(L0);
        if (unreadable && b.Broken) {
            Canvas.Font.Height = h0;
            if (FitFont(Canvas, across, 2 * TH()) && std::abs(Canvas.Font.Height) >= least) {
                L0 = b.First;
                L1 = b.Second;
            } else {
                Canvas.Font = one;
            }
        }
    }
    // Then the characters are narrowed along the line (down a column they
    // are squeezed along it) rather than the line shrunk below the least
    // height.
    if (measure() > along && !fitAlong(Canvas, along, measure))
        return;

    const int th = TH();
    int x0, y0;
    if (m_horizontal) {
        x0 = mx;
        y0 = L1.isEmpty() ? (across - th) / 2 + my : across / 2 + my - th;
    } else {
        y0 = my;
        x0 = L1.isEmpty() ? mx + across - (across - th) / 2 : across / 2 + mx + th;
    }
    drawTurned(Canvas, Size, x0, y0, L0);
    if (!L1.isEmpty()) {
        const int x1 = m_horizontal ? mx + along - W(L1) - hon() : x0 - th;
        const int y1 = m_horizontal ? y0 + th : my + along - W(L1) - hon();
        drawTurned(Canvas, Size, x1, y1, L1);
        if (honorShown) {
            // The honorific ends at the far end of the box.
            if (m_horizontal)
                drawTurned(Canvas, Size, mx + along - W(m_honor), y1, m_honor);
            else
                drawTurned(Canvas, Size, x1, my + along - W(m_honor), m_honor);
        }
    } else if (honorShown) {
        const int after = W(L0) + int(RoundHalfAway(W(kOne) / 3.0));
        if (m_horizontal)
            drawTurned(Canvas, Size, x0 + after, y0, m_honor);
        else
            drawTurned(Canvas, Size, x0, y0 + after, m_honor);
    }
}
