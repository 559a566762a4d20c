#include "items/AddressRect.h"

#include "util/StrFunc.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <tuple>

namespace {

const QString kOne = QStringLiteral("一");

bool isFullWidthDigit(QChar c)
{
    return c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19;
}

// A digit of either width: an address typed or imported with half-width
// digits is set in a column as one with full-width digits is.
bool isDigit(QChar c)
{
    return isFullWidthDigit(c) || (c >= u'0' && c <= u'9');
}

QString digitsToHalfWidth(const QString &Digits)
{
    QString out;
    out.reserve(Digits.size());
    for (QChar c : Digits)
        out.append(isFullWidthDigit(c) ? QChar(char16_t(c.unicode() - 0xFF10 + u'0')) : c);
    return out;
}

// The marks people type between the numbers of an address: the dashes of
// either width, and the prolonged sound mark.
bool isDash(QChar c)
{
    return IsAddressDash(c) || c == u'ｰ' || c == u'ー';
}

// The hyphen of vertical writing: the prolonged sound mark, which the
// vertical faces draw as an upright stroke a full character long with blank
// above and below it. A half-width hyphen would lie on its side as a short
// tick against the next number; the other dashes would lie or stand each
// its own way.
const QChar kVerticalHyphen(u'ー');

using TRun = TAddressRect::TRun;

const QString kLineBlank = QStringLiteral("\u3000");

struct TColumn {
    QList<TRun> runs;
    int length = 0;
    int breadth = 0;
    qsizetype chars() const
    {
        qsizetype n = 0;
        for (const TRun &r : runs)
            n += CellCount(r.Text);
        return n;
    }
};

// The font a run is measured and drawn in: the vertical form for upright
// runs, the horizontal one for digits set across. A column squeezed along
// narrows its upright characters only: digits set across take a line's
// height along it whatever their width, and narrowing them would only thin
// them across.
TCanvasFont runFont(const TCanvasFont &Font, bool Across)
{
    TCanvasFont f = Font;
    if (Across) {
        SetCanvasFontHorizontal(f);
        f.WidthRatio = 1.0;
    } else {
        SetCanvasFontVertical(f);
    }
    return f;
}

void measureRun(const TTextMetrics &Metrics, const TCanvasFont &Font, TRun &Run)
{
    const TCanvasFont f = runFont(Font, Run.Across);
    const int width = Metrics.width(f, Run.Text);
    const int height = Metrics.lineHeight(f);
    Run.Advance = Run.Across ? height : width;
    Run.Breadth = Run.Across ? width : height;
}

void measureColumn(const TTextMetrics &Metrics, const TCanvasFont &Font, TColumn &Column)
{
    Column.length = 0;
    Column.breadth = 0;
    for (TRun &r : Column.runs) {
        measureRun(Metrics, Font, r);
        Column.length += r.Advance;
        Column.breadth = qMax(Column.breadth, r.Breadth);
    }
}

// Digits standing upright take their full-width form: a half-width one
// would lie on its side in the column. Anything else is kept as it is.
QString digitsToFullWidth(const QString &Digits)
{
    QString out;
    out.reserve(Digits.size());
    for (QChar c : Digits)
        out.append(c.isDigit() && c.unicode() < 0x80 ? QChar(char16_t(c.unicode() - u'0' + 0xFF10)) : c);
    return out;
}

// At a fixed size a number set across that is wider than the box stands
// upright in its column instead, as a longer number does: it keeps inside
// the box without the font shrinking.
void uprightWiderThan(const TTextMetrics &Metrics, const TCanvasFont &Font, TColumn &Column, int Width)
{
    bool changed = false;
    for (TRun &r : Column.runs)
        if (r.Across && r.Breadth > Width) {
            r.Across = false;
            r.Text = digitsToFullWidth(r.Text);
            changed = true;
        }
    if (changed)
        measureColumn(Metrics, Font, Column);
}

QString columnText(const TColumn &Column)
{
    QString text;
    for (const TRun &r : Column.runs)
        text += r.Text;
    return text;
}

void append(TColumn &To, const TColumn &From, bool Apart)
{
    // Numbers that would meet keep a whole blank between them; a building
    // set after its block number a half one, which keeps it apart without
    // making the column much longer.
    if (AddressNumbersMeet(columnText(To), columnText(From)))
        To.runs.append({false, kLineBlank, 0, 0});
    else if (Apart && !To.runs.isEmpty() && !From.runs.isEmpty())
        To.runs.append({false, QStringLiteral(" "), 0, 0});
    To.runs += From.runs;
}

// Shortens a column to Limit along it: runs wholly beyond it are dropped,
// an upright run that crosses it keeps the characters that fit.
void shortenColumn(const TTextMetrics &Metrics, const TCanvasFont &Font, TColumn &Column, int Limit)
{
    int used = 0;
    QList<TRun> kept;
    for (TRun r : Column.runs) {
        if (used + r.Advance <= Limit) {
            used += r.Advance;
            kept.append(r);
            continue;
        }
        if (!r.Across && used < Limit) {
            QString rest;
            SplitAtWidth(Metrics, runFont(Font, false), r.Text, Limit - used, rest);
            if (!r.Text.isEmpty()) {
                measureRun(Metrics, Font, r);
                kept.append(r);
            }
        }
        break;
    }
    Column.runs = kept;
    measureColumn(Metrics, Font, Column);
}

// Where a line too long for one line goes on to a second: at the blank
// nearest its middle, else after the address unit (丁目, 番地, 区, ...) that
// ends nearest it, else at its middle. The index the second line starts at.
qsizetype WrapPoint(const QString &Line)
{
    const qsizetype middle = Line.size() / 2;
    auto nearest = [&](auto &&Takes) -> qsizetype {
        qsizetype best = -1;
        for (qsizetype i = 1; i < Line.size(); ++i)
            if (Takes(i) && (best < 0 || std::abs(i - middle) < std::abs(best - middle)))
                best = i;
        return best;
    };
    const auto blank = [&](qsizetype i) { return Line[i] == QChar(0x3000) || Line[i] == QLatin1Char(' '); };
    if (const qsizetype at = nearest(blank); at > 0)
        return at;
    static const QString ends = QStringLiteral("目番地号区市町村郡-－");
    if (const qsizetype at = nearest([&](qsizetype i) { return ends.contains(Line[i - 1]) && !blank(i); }); at > 0)
        return at;
    return middle;
}

} // namespace

TAddressRect::TAddressRect()
{
    m_baseHeight = RecipientHeights[2];
}

TDrawRectKind TAddressRect::GetKind() const
{
    return m_sender ? TDrawRectKind::SenderAddress : TDrawRectKind::RecipientAddress;
}

void TAddressRect::Assign(const TDrawRect &Source)
{
    TMetaRect::Assign(Source);
    if (const auto *a = dynamic_cast<const TAddressRect *>(&Source))
        m_sizeLevel = a->m_sizeLevel;
}

QString TAddressRect::GetAddressLine(int Index) const
{
    return Index >= 0 && Index < 3 ? m_lines[size_t(Index)] : QString();
}

void TAddressRect::SetAddressLine(int Index, const QString &Text)
{
    if (Index < 0 || Index >= 3 || m_lines[size_t(Index)] == Text)
        return;
    m_lines[size_t(Index)] = Text;
    invalidate();
}

void TAddressRect::SetVertNumeral(bool Value)
{
    if (m_vertNumeral == Value)
        return;
    m_vertNumeral = Value;
    invalidate();
}

void TAddressRect::SetLinesApart(bool Value)
{
    if (m_linesApart == Value)
        return;
    m_linesApart = Value;
    invalidate();
}

void TAddressRect::SetSizeLevel(qint32 Value)
{
    m_sizeLevel = qBound(1, Value, 5);
}

void TAddressRect::ClearContent()
{
    TMetaRect::ClearContent();
    m_lines = {};
}

void TAddressRect::RescaleFont(TTenthMm PaperLongSide)
{
    // An address inside a sender block takes the recipient's sizes.
    const auto &row = m_sender && !m_inBlock ? SenderHeights : RecipientHeights;
    m_baseHeight = row[size_t(qBound(1, m_sizeLevel, 5) - 1)];
    TMetaRect::RescaleFont(PaperLongSide);
}

void TAddressRect::LoadFromStream(TItemReader &Stream)
{
    TMetaRect::LoadFromStream(Stream);
    // A level outside the table is damage; it is kept inside the table.
    m_sizeLevel = Stream.hasVersion(500) ? qBound(1, Stream.readInt32(), 5) : 3;
    // The documents set the size index from their data format.
    m_fontSizeIndex = 0;
}

void TAddressRect::SaveToStream(TItemWriter &Stream) const
{
    TMetaRect::SaveToStream(Stream);
    Stream.writeInt32(m_sizeLevel);
}

QList<TAddressRect::TRun> TAddressRect::SplitVerticalRuns(const QString &Line, bool VertNumeral)
{
    QList<TRun> runs;
    if (Line.isEmpty())
        return runs;
    QString upright;
    for (qsizetype i = 0; i < Line.size();) {
        if (!isDigit(Line[i])) {
            // A dash between two numbers is the hyphen of the address, and
            // so is one after a block number's 丁目 ("３丁目-２０-５").
            const bool afterNumber =
                i > 0 && (IsAddressNumeral(Line[i - 1]) || QStringView(Line).first(i).endsWith(u"丁目"));
            const bool hyphen = isDash(Line[i]) && afterNumber && i + 1 < Line.size() && IsAddressNumeral(Line[i + 1]);
            upright.append(hyphen ? kVerticalHyphen : Line[i]);
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < Line.size() && isDigit(Line[j]))
            ++j;
        const QString digits = Line.mid(i, j - i);
        // Up to four digits fit across a column; longer numbers stand upright.
        if (VertNumeral || digits.size() >= 5) {
            upright += digitsToFullWidth(digits);
        } else {
            if (!upright.isEmpty())
                runs.append({false, std::exchange(upright, {}), 0, 0});
            runs.append({true, digitsToHalfWidth(digits), 0, 0});
        }
        i = j;
    }
    if (!upright.isEmpty())
        runs.append({false, upright, 0, 0});
    return runs;
}

void TAddressRect::BuildContent(TRecordingCanvas &Canvas, QSize Size)
{
    if (m_horizontal)
        buildHorizontal(Canvas, Size);
    else
        buildVertical(Canvas, Size);
}

void TAddressRect::buildHorizontal(TRecordingCanvas &Canvas, QSize Size)
{
    SetFontHorizontal(m_font);
    QStringList lines;
    for (const QString &l : m_lines)
        if (!l.isEmpty())
            lines.append(l);
    int n = int(lines.size());
    if (n == 0)
        return;
    const QPoint m = TextItemMargins(Canvas);
    const int mx = m.x(), my = m.y();
    const int aw = Size.width() - 2 * mx;
    const int ah = Size.height() - 2 * my;
    if (aw < 1 || ah < 1)
        return;
    auto W = [&](const QString &s) { return Canvas.TextWidth(s); };
    auto TH = [&] { return Canvas.TextHeight(); };
    auto draw = [&](int x, int y, const QString &s) { drawTurned(Canvas, Size, x, y, s); };
    auto joinLines = [&](const QString &First, const QString &Second) {
        return JoinAddressLines(First, Second, m_linesApart);
    };
    QString L0 = lines.value(0), L1 = lines.value(1), L2 = lines.value(2);

    // Each line of two or three is drawn at the height the lines share
    // across the box, shrunk further only when that line itself is too long:
    // a short line keeps its size beside a long one. Each line stands in a
    // slot of the shared height, its foot on the slot's foot. Width is the
    // room the line needs along: its own width, and for the middle one of
    // three the "一" it ends before the margin.
    struct TPlaced {
        QString Text;
        int Width = 0;
        bool FlushRight = false;
        bool Indented = false;
    };
    auto drawLines = [&](const QList<TPlaced> &Lines, const QList<int> &Slots) {
        const TCanvasFont shared = Canvas.Font;
        const int th = TH();
        QList<TCanvasFont> fonts;
        for (const TPlaced &l : Lines) {
            Canvas.Font = shared;
            if (!fitAlong(Canvas, aw, [&] { return W(l.Indented ? l.Text + kOne : l.Text); }))
                return;
            fonts.append(Canvas.Font);
        }
        for (qsizetype i = 0; i < Lines.size(); ++i) {
            Canvas.Font = fonts[i];
            const QString &text = Lines[i].Text;
            int x = mx;
            if (Lines[i].FlushRight)
                x = mx + aw - W(Lines[i].Indented ? text + kOne : text);
            draw(x, Slots[i] + th - TH(), text);
        }
        Canvas.Font = shared;
    };

    // Whether two lines from the height they share across the box print
    // no smaller than the two joined on one line would: a block number and
    // its building then keep a line each. The canvas font is left as it was.
    auto apartAsLarge = [&](const TCanvasFont &Shared, const QString &First, const QString &Second) {
        const TCanvasFont keep = Canvas.Font;
        int apart = std::numeric_limits<int>::max();
        for (const QString &line : {First, Second}) {
            Canvas.Font = Shared;
            apart = FitFont(Canvas, aw, W(line)) ? std::min(apart, std::abs(int(Canvas.Font.Height))) : 0;
        }
        Canvas.Font = contentFont();
        int joined = 0;
        if (FitFont(Canvas, ah, TH() + TH() / 10) && FitFont(Canvas, aw, W(joinLines(First, Second))))
            joined = std::abs(int(Canvas.Font.Height));
        Canvas.Font = keep;
        return apart >= joined;
    };

    bool wrapped = false;
    for (int round = 0; round < MaxFitRounds; ++round) {
        Canvas.Font = contentFont();
        if (n == 1) {
            if (!FitFont(Canvas, ah, TH() + TH() / 10))
                return;
            // A line that would have to shrink below the least height goes
            // on to a second line where the box is high enough for two.
            if (!wrapped && W(L0) > aw) {
                const TCanvasFont one = Canvas.Font;
                const bool unreadable = FitFont(Canvas, aw, W(L0)) && std::abs(Canvas.Font.Height) < leastHeight(Canvas);
                Canvas.Font = contentFont();
                wrapped = true;
                if (unreadable && L0.size() >= 10 && FitFont(Canvas, ah, (TH() + TH() / 10) * 2) &&
                    std::abs(Canvas.Font.Height) >= leastHeight(Canvas)) {
                    const qsizetype at = WrapPoint(L0);
                    L1 = L0.mid(at).trimmed();
                    L0 = L0.left(at).trimmed();
                    n = 2;
                    continue;
                }
                Canvas.Font = one;
            }
            if (!fitAlong(Canvas, aw, [&] { return W(L0); }))
                return;
            draw(mx, (ah - TH()) / 2 + my, L0);
            return;
        }
        if (n == 2) {
            if (CellCount(L0) < 5 || !FitFont(Canvas, ah, (TH() + TH() / 10) * 2)) {
                L0 = joinLines(L0, L1);
                n = 1;
                continue;
            }
            const TCanvasFont shared = Canvas.Font;
            // Whether the lines join is judged at the height the wider line
            // with a character to spare takes.
            const QString &wider = W(L1) > W(L0) ? L1 : L0;
            if (!FitFont(Canvas, aw, W(wider + kOne)))
                return;
            if (W(joinLines(L0, L1)) - W(kOne) < aw && !(m_linesApart && apartAsLarge(shared, L0, L1))) {
                L0 = joinLines(L0, L1);
                n = 1;
                continue;
            }
            Canvas.Font = shared;
            const int th = TH(), gap = th / 10;
            drawLines({{L0, W(L0)}, {L1, W(L1), true}}, {ah / 2 + my - gap - th, ah / 2 + my});
            return;
        }
        // Three lines.
        if (CellCount(L0) < 5) {
            L0 = joinLines(L0, L1);
            L1 = L2;
            n = 2;
            continue;
        }
        int k;
        if (W(L1) < W(L2))
            k = W(L2) >= W(L0) ? 2 : 0;
        else
            k = W(L1) >= W(L0) ? 1 : 0;
        auto joinTwo = [&] {
            if (k != 0 && W(L0) <= W(L2)) {
                L0 = joinLines(L0, L1);
                L1 = L2;
            } else {
                L1 = joinLines(L1, L2);
            }
            n = 2;
        };
        if (!FitFont(Canvas, ah, (TH() + TH() / 10) * 3)) {
            joinTwo();
            continue;
        }
        const TCanvasFont shared = Canvas.Font;
        const QString &widest = k == 0 ? L0 : k == 1 ? L1 : L2;
        if (!FitFont(Canvas, aw, W(widest + kOne + kOne)))
            return;
        if (W(joinLines(L0, L1)) - W(kOne) < aw) {
            joinTwo();
            continue;
        }
        if (W(joinLines(L1, L2) + kOne) < aw) {
            L1 = joinLines(L1, L2);
            n = 2;
            continue;
        }
        Canvas.Font = shared;
        const int th = TH(), gap = th / 10;
        const int y1 = (ah - th) / 2 + my;
        drawLines({{L0, W(L0)}, {L1, W(L1 + kOne), true, true}, {L2, W(L2), true}},
                  {y1 - gap - th, y1, y1 + gap + th});
        return;
    }
}

void TAddressRect::buildVertical(TRecordingCanvas &Canvas, QSize Size)
{
    SetFontVertical(m_font);
    QList<TColumn> cols;
    for (const QString &l : m_lines)
        if (!l.isEmpty())
            cols.append(TColumn{SplitVerticalRuns(l, m_vertNumeral)});
    if (cols.isEmpty())
        return;
    const QPoint m = TextItemMargins(Canvas);
    const int mx = m.x(), my = m.y();
    const int aw = Size.width() - 2 * mx;
    const int ah = Size.height() - 2 * my;
    if (aw < 1 || ah < 1)
        return;
    // A short first line (up to four characters, such as a prefecture
    // alone) never stands in a column of its own.
    if (cols.size() >= 2 && cols[0].chars() < 5) {
        append(cols[0], cols[1], m_linesApart);
        cols.removeAt(1);
    }
    const TTextMetrics &metrics = Canvas.Metrics();
    const bool fixed = m_fontSizeIndex > 0 && m_fontSizeIndex < qint32(FontSizeTable.size());
    // The font the columns were last measured in: a fit that left the font
    // as it was leaves their measures as they were.
    TCanvasFont measuredIn;
    auto measureAll = [&] {
        for (TColumn &c : cols)
            measureColumn(metrics, Canvas.Font, c);
        measuredIn = Canvas.Font;
    };
    auto remeasure = [&] {
        if (!(Canvas.Font == measuredIn))
            measureAll();
    };
    auto TH = [&] { return Canvas.TextHeight(); };
    auto advanceOfOne = [&] { return metrics.width(runFont(Canvas.Font, false), kOne); };
    int fitting = 3; // columns that fit across at the fixed size

    // The columns as the lines give them, for a layout in fewer columns.
    const QList<TColumn> given = cols;
    bool dropped = false; // columns left out at a fixed size too large for all
    bool keepApart = false; // two columns that would fit as one stay two
    // The height two or three fitted columns share across the box, before
    // the longest is fitted along it (with characters to spare) to judge
    // the joins.
    std::optional<TCanvasFont> shared;
    // Each column's font and length along the box as it is drawn.
    QList<TCanvasFont> fonts;
    QList<int> lengths;
    // A fit across that rounds the columns just below the least height
    // takes that height where the columns and their gaps fit across at it.
    auto raiseAcross = [&] {
        const int least = leastHeight(Canvas);
        const TCanvasFont fitted = Canvas.Font;
        if (std::abs(int(fitted.Height)) >= least || std::abs(int(contentFont().Height)) < least)
            return;
        Canvas.Font.Height = fitted.Height < 0 ? -least : least;
        int need = 0;
        for (const TColumn &c : cols) {
            TColumn at = c;
            measureColumn(metrics, Canvas.Font, at);
            need += at.breadth + TH() / 10;
        }
        if (need <= aw)
            remeasure();
        else
            Canvas.Font = fitted;
    };
    // Fits the columns in at most Most of them (fewer where they join),
    // with Upright the numbers set across that are wider than a character
    // at the least height standing upright; false when nothing can be
    // drawn.
    auto layOut = [&](int Most, bool Upright) -> bool {
        cols = given;
        dropped = false;
        bool placed = false;
        for (int round = 0; round < MaxFitRounds && !placed; ++round) {
            shared.reset();
            Canvas.Font = contentFont();
            SetCanvasFontVertical(Canvas.Font);
            if (fixed) {
                Canvas.Font.Height = pointsToHeight(FontSizeTable[size_t(m_fontSizeIndex)], Canvas);
                const int th = TH();
                if (th >= aw)
                    return false;
                fitting = 1;
                for (int c = 3; c >= 1; --c)
                    if (th * c + (th / 10) * (c - 1) < aw) {
                        fitting = c;
                        break;
                    }
            }
            measureAll();
            if (fixed)
                for (TColumn &c : cols)
                    uprightWiderThan(metrics, Canvas.Font, c, aw);
            if (Upright) {
                TCanvasFont least = Canvas.Font;
                least.Height = Canvas.Font.Height < 0 ? -leastHeight(Canvas) : leastHeight(Canvas);
                const int one = metrics.lineHeight(runFont(least, false));
                for (TColumn &c : cols)
                    uprightWiderThan(metrics, least, c, one);
                measureAll();
            }
            const int gap = TH() / 10;
            if (cols.size() == 1) {
                if (!fixed) {
                    if (!FitFont(Canvas, aw, cols[0].breadth + gap))
                        return false;
                    remeasure();
                    raiseAcross();
                    // Too long for the least height, the column keeps it, its
                    // characters squeezed along it.
                    if (!fitAlong(Canvas, ah, [&] {
                            measureColumn(metrics, Canvas.Font, cols[0]);
                            return cols[0].length;
                        }))
                        return false;
                    measureAll();
                } else {
                    shortenColumn(metrics, Canvas.Font, cols[0], ah);
                }
                placed = true;
                break;
            }
            if (cols.size() == 2) {
                if (!fixed) {
                    if (Most < 2 || !FitFont(Canvas, aw, cols[0].breadth + cols[1].breadth + gap * 2)) {
                        append(cols[0], cols[1], m_linesApart);
                        cols.removeAt(1);
                        continue;
                    }
                    remeasure();
                    raiseAcross();
                    shared = Canvas.Font;
                    if (!FitFont(Canvas, ah, qMax(cols[0].length, cols[1].length) + advanceOfOne()))
                        return false;
                    remeasure();
                }
                const int a = fixed ? 0 : advanceOfOne();
                if (!keepApart && cols[0].length + cols[1].length - a < ah) {
                    append(cols[0], cols[1], m_linesApart);
                    cols.removeAt(1);
                    continue;
                }
                if (fixed) {
                    if (fitting < 2) {
                        cols.removeAt(1);
                        dropped = true;
                    }
                    const int one = advanceOfOne();
                    for (qsizetype i = 0; i < cols.size(); ++i)
                        shortenColumn(metrics, Canvas.Font, cols[i], ah - (i > 0 ? one : 0));
                }
                placed = true;
                break;
            }
            // Three columns.
            int k = 0;
            for (int i = 1; i < 3; ++i)
                if (cols[i].length > cols[k].length)
                    k = i;
            auto joinTwo = [&] {
                if (k != 0 && cols[0].length <= cols[2].length) {
                    append(cols[0], cols[1], m_linesApart);
                    cols.removeAt(1);
                } else {
                    append(cols[1], cols[2], m_linesApart);
                    cols.removeAt(2);
                }
            };
            if (!fixed) {
                if (Most < 3 || !FitFont(Canvas, aw, cols[0].breadth + cols[1].breadth + cols[2].breadth + gap * 3)) {
                    joinTwo();
                    continue;
                }
                remeasure();
                raiseAcross();
                shared = Canvas.Font;
                if (!FitFont(Canvas, ah, cols[k].length + 2 * advanceOfOne()))
                    return false;
                remeasure();
            }
            const int a = fixed ? 0 : advanceOfOne();
            if (cols[0].length + cols[1].length - a < ah) {
                joinTwo();
                continue;
            }
            if (cols[1].length + cols[2].length + a < ah) {
                append(cols[1], cols[2], m_linesApart);
                cols.removeAt(2);
                continue;
            }
            if (fixed) {
                while (cols.size() > fitting) {
                    cols.removeLast();
                    dropped = true;
                }
                const int one = advanceOfOne();
                for (qsizetype i = 0; i < cols.size(); ++i)
                    shortenColumn(metrics, Canvas.Font, cols[i], ah - (i > 0 ? one : 0));
            }
            placed = true;
        }
        if (!placed)
            return false;

        // Each of two or three fitted columns is drawn at the shared height,
        // shrunk further only when that column itself is too long: a short
        // column keeps its size beside a long one, and a long one keeps the
        // least height, its characters squeezed along it. The second and third
        // of three stand a character's advance off one end of the box.
        const qsizetype count = cols.size();
        fonts = QList<TCanvasFont>(count, Canvas.Font);
        lengths = QList<int>(count);
        if (shared && count > 1) {
            Canvas.Font = *shared;
            measureAll();
            const int one = advanceOfOne();
            for (qsizetype i = 0; i < count; ++i) {
                TColumn own = cols[i];
                Canvas.Font = *shared;
                // The second and third of three stand a character's advance
                // off one end of the box. In a box shorter than that advance
                // the room left would be none (and a fit to it no fit at all):
                // the column and the advance then shrink together.
                const int off = count == 3 && i > 0 ? one : 0;
                const bool fits = ah - off >= 1 ? fitAlong(Canvas, ah - off,
                                                           [&] {
                                                               measureColumn(metrics, Canvas.Font, own);
                                                               return own.length;
                                                           })
                                                : FitFont(Canvas, ah, own.length + off);
                if (!fits)
                    return false;
                measureColumn(metrics, Canvas.Font, own);
                fonts[i] = Canvas.Font;
                lengths[i] = own.length;
            }
            Canvas.Font = *shared;
        } else {
            for (qsizetype i = 0; i < count; ++i)
                lengths[i] = cols[i].length;
        }
        return true;
    };
    if (!layOut(3, false))
        return;
    auto smallest = [&] {
        int s = std::numeric_limits<int>::max();
        for (const TCanvasFont &f : fonts)
            s = qMin(s, std::abs(int(f.Height)));
        return s;
    };
    // A layout tried and found worse goes back to the one laid out before it.
    auto current = [&] { return std::tuple(cols, fonts, lengths, shared, Canvas.Font, m_narrowest); };
    auto goBackTo = [&](const auto &Kept) { std::tie(cols, fonts, lengths, shared, Canvas.Font, m_narrowest) = Kept; };
    // A block number and its building joined into one column stand in two
    // instead where those print no smaller.
    if (m_linesApart && !fixed && given.size() == 2 && cols.size() == 1) {
        const auto kept = current();
        const int joined = smallest();
        keepApart = true;
        if (!layOut(3, false) || cols.size() != 2 || smallest() < joined)
            goBackTo(kept);
        keepApart = false;
    }
    // Where the columns stand below the least height across, fewer, wider
    // columns, and numbers standing upright rather than set across two
    // characters wide, are tried, each squeezed along where it is then too
    // long: the layout whose smallest characters are largest is drawn (of
    // equals, the one tried first).
    if (!fixed) {
        const int least = leastHeight(Canvas);
        int best = smallest();
        for (int step = 1; step < 6 && best < least; ++step) {
            const int most = 3 - step / 2;
            const bool upright = step % 2 == 1;
            const auto kept = current();
            if (layOut(most, upright) && smallest() > best) {
                best = smallest();
                continue;
            }
            goBackTo(kept);
        }
    }
    const qsizetype count = cols.size();
    auto heightOf = [&](qsizetype i) { return metrics.lineHeight(runFont(fonts[i], false)); };

    // Placing, right to left.
    const int th = TH();
    const int gap = th / 10;
    const int A = advanceOfOne();
    QList<QPoint> at(count);
    // A column is drawn at the right edge of its upright characters, x; its
    // numbers set across are centred on them, so a column whose breadth is
    // a number wider than a character stands with its centre, not its
    // right edge, where its breadth was measured to fit.
    if (fixed && !dropped) {
        // Numbers set across may make the columns wider than the characters
        // they were counted by.
        int total = gap * int(count - 1);
        for (qsizetype i = 0; i < count; ++i)
            total += qMax(cols[i].breadth, heightOf(i));
        dropped = total > aw;
    }
    if (dropped) {
        // What fits stands from the right margin on, a gap apart, each from
        // the top; a column that would reach past the left margin is left out.
        int right = mx + aw;
        qsizetype kept = 0;
        for (qsizetype i = 0; i < count; ++i) {
            const int b = qMax(cols[i].breadth, heightOf(i));
            if (i > 0 && right - b < mx)
                break;
            at[i] = QPoint(right - (b - heightOf(i)) / 2, my);
            right -= b + gap;
            kept = i + 1;
        }
        cols.resize(kept);
        at.resize(kept);
        fonts.resize(kept);
        lengths.resize(kept);
    } else if (count == 1) {
        at[0] = QPoint((aw - cols[0].breadth) / 2 + mx + (cols[0].breadth + th) / 2, my);
    } else if (count == 2) {
        const int x1 = (aw - cols[0].breadth - cols[1].breadth - gap) / 2 + mx;
        const int x0 = x1 + cols[1].breadth + gap;
        at[0] = QPoint(x0 + (cols[0].breadth + heightOf(0)) / 2, my);
        // The second column ends at the bottom.
        at[1] = QPoint(x1 + (cols[1].breadth + heightOf(1)) / 2, my + ah - lengths[1]);
    } else {
        const int x2 = (aw - cols[0].breadth - cols[1].breadth - cols[2].breadth - 2 * gap) / 2 + mx;
        const int x1 = x2 + cols[2].breadth + gap;
        const int x0 = x1 + cols[1].breadth + gap;
        int y1 = my + ah - lengths[1] - A;
        if (y1 < my + A)
            y1 = my + A;
        else if (y1 > lengths[0] - 2 * A)
            y1 = lengths[0] - 2 * A;
        int y2 = my + ah - lengths[2];
        if (y2 < my + A)
            y2 = my + A;
        else if (y2 > y1 + lengths[1] - A)
            y2 = y1 + lengths[1] - A;
        at[0] = QPoint(x0 + (cols[0].breadth + heightOf(0)) / 2, my);
        at[1] = QPoint(x1 + (cols[1].breadth + heightOf(1)) / 2, y1);
        at[2] = QPoint(x2 + (cols[2].breadth + heightOf(2)) / 2, y2);
    }

    // However the columns were stepped off the ends, each stays inside the
    // box along (each was fitted to it).
    for (qsizetype i = 0; i < at.size(); ++i)
        at[i].setY(qMax(my, qMin(at[i].y(), my + ah - lengths[i])));

    const TCanvasFont base = Canvas.Font;
    for (qsizetype i = 0; i < at.size(); ++i) {
        int y = at[i].y();
        const int x = at[i].x();
        TColumn column = cols[i];
        if (!(fonts[i] == base))
            measureColumn(metrics, fonts[i], column);
        for (const TRun &r : column.runs) {
            Canvas.Font = runFont(fonts[i], r.Across);
            if (r.Across) {
                const int one = Canvas.TextWidth(kOne);
                drawTurned(Canvas, Size, x - r.Breadth / 2 - one / 2, y, r.Text);
            } else {
                drawTurned(Canvas, Size, x, y, r.Text);
            }
            y += r.Advance;
        }
    }
    Canvas.Font = base;
}
