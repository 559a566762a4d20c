#include "items/NameRect.h"

#include "items/CorpRect.h"
#include "util/SubUnit.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kOne = QStringLiteral("一");
const QChar kWideSpace(u'　');

int roundHalfAway(double v)
{
    return static_cast<int>(RoundHalfAway(v));
}

struct TLine {
    QString Name;
    QString Honor;
    QString Note;
    bool HonorShown = false;
};

// One company line: its text, broken in two where it is too long.
struct TCorpLine {
    QString First;
    QString Second;
    double Ratio = 1.0;
    // The line's characters narrowed to keep it at the least height.
    double Narrow = 1.0;
    bool broken() const { return !Second.isEmpty(); }
};

// The share of its width a honorific of more than two characters (ちゃん)
// is set at after a name whose characters stand at NameRatio of theirs:
// three quarters, but not below half of its width where the name is not
// (a name narrowed to fit its line took ちゃん to 0.46), nor narrower than
// the name.
double honorShare(double NameRatio)
{
    return NameRatio > 0 ? std::max(0.75, std::min(1.0, 0.5 / NameRatio)) : 0.75;
}

qint32 scaledHeight(qint32 Height, double Ratio)
{
    return static_cast<qint32>(std::trunc(Height * Ratio));
}

} // namespace

TNameParts SplitNameParts(const QString &Name)
{
    const qsizetype p = Name.indexOf(QLatin1Char(' '));
    if (p < 0)
        return {QString(), Name, false};
    return {Name.left(p), Name.mid(p + 1), true};
}

TNameRect::TNameRect()
{
    m_baseHeight = RecipientHeights[2];
}

TDrawRectKind TNameRect::GetKind() const
{
    return m_sender ? TDrawRectKind::SenderName : TDrawRectKind::RecipientName;
}

void TNameRect::Assign(const TDrawRect &Source)
{
    TMetaRect::Assign(Source);
    if (const auto *n = dynamic_cast<const TNameRect *>(&Source)) {
        m_showHonor = n->m_showHonor;
        m_sizeLevel = n->m_sizeLevel;
    }
}

#define MURVEN_NAME_SETTER(Name, Field, Type)                                                                          \
    void TNameRect::Name(Type Value)                                                                                   \
    {                                                                                                                  \
        if (Field == Value)                                                                                            \
            return;                                                                                                    \
        Field = Value;                                                                                                 \
        invalidate();                                                                                                  \
    }

MURVEN_NAME_SETTER(SetNameKind, m_nameKind, quint8)
MURVEN_NAME_SETTER(SetNote, m_note, const QString &)
MURVEN_NAME_SETTER(SetNameAlign, m_nameAlign, quint8)
MURVEN_NAME_SETTER(SetNameAsIs, m_nameAsIs, bool)
MURVEN_NAME_SETTER(SetCorp, m_corp, const QString &)
MURVEN_NAME_SETTER(SetPost, m_post, const QString &)
MURVEN_NAME_SETTER(SetCorpRatio, m_corpRatio, double)
MURVEN_NAME_SETTER(SetDptmntRatio, m_dptmntRatio, double)
MURVEN_NAME_SETTER(SetPostRatio, m_postRatio, double)
MURVEN_NAME_SETTER(SetCharSpace, m_charSpace, bool)
MURVEN_NAME_SETTER(SetCorpBreak, m_corpBreak, bool)
#undef MURVEN_NAME_SETTER

void TNameRect::SetName(const QString &Text)
{
    QString name = !m_nameAsIs && !Text.contains(QLatin1Char(' ')) ? NormalizeNameSpace(Text) : Text;
    // The same name again (the sender's, record after record) keeps the layout.
    if (name == m_name)
        return;
    m_name = std::move(name);
    invalidate();
}

void TNameRect::SetHonor(const QString &Text)
{
    if (m_honor == Text)
        return;
    m_honor = Text;
    if (m_showHonor)
        invalidate();
}

void TNameRect::SetJointCount(int Count)
{
    const int count = qBound(0, Count, MaxJointNames);
    if (count == m_joints.size())
        return;
    m_joints.resize(count);
    invalidate();
}

QString TNameRect::GetJointName(int Index) const
{
    return Index >= 0 && Index < m_joints.size() ? m_joints[Index].Name : QString();
}

QString TNameRect::GetJointHonor(int Index) const
{
    return Index >= 0 && Index < m_joints.size() ? m_joints[Index].Honor : QString();
}

QString TNameRect::GetJointNote(int Index) const
{
    return Index >= 0 && Index < m_joints.size() ? m_joints[Index].Note : QString();
}

void TNameRect::SetJointName(int Index, const QString &Text)
{
    if (Index < 0 || Index >= m_joints.size())
        return;
    QString name = Text.contains(QLatin1Char(' ')) ? Text : NormalizeNameSpace(Text);
    if (name == m_joints[Index].Name)
        return;
    m_joints[Index].Name = std::move(name);
    invalidate();
}

void TNameRect::SetJointHonor(int Index, const QString &Text)
{
    if (Index < 0 || Index >= m_joints.size() || m_joints[Index].Honor == Text)
        return;
    m_joints[Index].Honor = Text;
    invalidate();
}

void TNameRect::SetJointNote(int Index, const QString &Text)
{
    if (Index < 0 || Index >= m_joints.size() || m_joints[Index].Note == Text)
        return;
    m_joints[Index].Note = Text;
    invalidate();
}

void TNameRect::SetJointCells(int Family, int Given)
{
    if (m_jointFamilyCells == Family && m_jointGivenCells == Given)
        return;
    m_jointFamilyCells = Family;
    m_jointGivenCells = Given;
    invalidate();
}

void TNameRect::SetLineUpWith(const TNameGuide &Guide)
{
    if (m_lineUpWith == Guide)
        return;
    m_lineUpWith = Guide;
    invalidate();
}

QString TNameRect::GetDptmnt(int Index) const
{
    return Index >= 0 && Index < 2 ? m_dptmnt[size_t(Index)] : QString();
}

void TNameRect::SetDptmnt(int Index, const QString &Text)
{
    if (Index < 0 || Index >= 2 || m_dptmnt[size_t(Index)] == Text)
        return;
    m_dptmnt[size_t(Index)] = Text;
    invalidate();
}

void TNameRect::ClearContent()
{
    TMetaRect::ClearContent();
    m_name.clear();
    m_honor.clear();
    m_note.clear();
    m_corp.clear();
    m_dptmnt = {};
    m_post.clear();
    m_joints.clear();
    m_nameAsIs = false;
}

void TNameRect::RescaleFont(TTenthMm PaperLongSide)
{
    const auto &row = m_sender && !m_inBlock ? SenderHeights : RecipientHeights;
    m_baseHeight = row[size_t(qBound(1, m_sizeLevel, 5) - 1)];
    TMetaRect::RescaleFont(PaperLongSide);
}

void TNameRect::LoadFromStream(TItemReader &Stream)
{
    TMetaRect::LoadFromStream(Stream);
    m_showHonor = Stream.hasVersion(200) ? Stream.readFlag() : true;
    m_sizeLevel = Stream.hasVersion(500) ? qBound(1, Stream.readInt32(), 5) : 3;
}

void TNameRect::SaveToStream(TItemWriter &Stream) const
{
    TMetaRect::SaveToStream(Stream);
    Stream.writeFlag(m_showHonor);
    Stream.writeInt32(m_sizeLevel);
}

void TNameRect::BuildContent(TRecordingCanvas &Canvas, QSize Size)
{
    if (m_horizontal)
        SetFontHorizontal(m_font);
    else
        SetFontVertical(m_font);
    m_drawnGuide = {};
    if (m_nameKind == 2)
        buildCompany(Canvas, Size);
    else
        buildPrivate(Canvas, Size);
}

void TNameRect::buildPrivate(TRecordingCanvas &Canvas, QSize Size)
{
    if (m_name.isEmpty())
        return;
    const QPoint m = TextItemMargins(Canvas);
    const int mx = m.x(), my = m.y();
    const int along = m_horizontal ? Size.width() - 2 * mx : Size.height() - 2 * my;
    const int across = m_horizontal ? Size.height() - 2 * my : Size.width() - 2 * mx;
    if (along < 1 || across < 1)
        return;
    const bool jointsLaidOut = m_nameKind == 1;
    QList<TLine> lines{{m_name, m_honor, m_note, m_showHonor && !m_honor.isEmpty()}};
    if (jointsLaidOut)
        for (const TJointName &j : m_joints)
            lines.append({j.Name, j.Honor, j.Note, m_showHonor && !j.Honor.isEmpty()});
    const int n = int(lines.size());
    int F = 0, G = 0;
    // The grid's family and given cells: as many as the longest of the lines'.
    auto cellsOfLines = [&] {
        F = 0;
        G = 0;
        for (const TLine &l : lines) {
            const TNameParts p = SplitNameParts(l.Name);
            F = qMax(F, CellCount(p.Family));
            G = qMax(G, CellCount(p.Given));
        }
    };
    cellsOfLines();
    // Lined up with a name beside it, the lines stand on that name's grid
    // where every one of them has a cell there.
    const TNameGuide &guide = m_lineUpWith;
    bool lineUp = jointsLaidOut && guide.isValid() && guide.Horizontal == m_horizontal &&
                  guide.Turned == m_rotate180 && F <= guide.FamilyCells && G <= guide.GivenCells;
    // A name whose joint names print in a frame of their own keeps their
    // cells in its grid, as it does with them beside it.
    if (!lineUp) {
        F = qMax(F, m_jointFamilyCells);
        G = qMax(G, m_jointGivenCells);
    }
    auto W = [&](const QString &s) { return Canvas.TextWidth(s); };
    auto TH = [&] { return Canvas.TextHeight(); };
    auto widest = [&](auto pick) {
        QString best;
        for (const TLine &l : lines)
            if (W(pick(l)) > W(best))
                best = pick(l);
        return best;
    };

    Canvas.Font = contentFont();
    auto acrossNeed = [&](int Rows) { return Rows * TH() + (TH() / 8) * (Rows - 1); };
    if (!FitFont(Canvas, across, acrossNeed(n)))
        return;
    // Names that would stand below the least height one under the other go
    // two to a line, or three where two still would, where the box has room
    // across for those lines at that height: the main name and the next
    // joint names on the first line, then the others in their order.
    int perRow = 1;
    if (n > 1) {
        const qint32 h0 = contentFont().Height;
        const int least = std::min(leastHeight(Canvas), std::abs(int(h0)));
        if (std::abs(Canvas.Font.Height) < least) {
            const TCanvasFont single = Canvas.Font;
            for (int per = 2; per <= std::min(n, 3) && perRow == 1; ++per) {
                Canvas.Font.Height = h0;
                if (FitFont(Canvas, across, acrossNeed((n + per - 1) / per)) &&
                    std::abs(Canvas.Font.Height) >= least)
                    perRow = per;
            }
            if (perRow == 1)
                Canvas.Font = single;
        }
    }
    const int rows = (n + perRow - 1) / perRow;
    // Notes stand at two thirds of the name's height, but never below the
    // least height (nor above the name's own): where the names stand at the
    // least height, their notes (an age, a relation) stand as high, measured
    // on the line at that height, so that a line too long for it narrows
    // its characters rather than shrinking a note out of reading.
    auto noteHeight = [&] {
        const qint32 h = Canvas.Font.Height;
        const qint32 third = static_cast<qint32>(std::trunc(h / 3.0 * 2));
        const int least = std::min(leastHeight(Canvas), std::abs(int(h)));
        if (std::abs(int(third)) >= least)
            return third;
        return h < 0 ? qint32(-least) : qint32(least);
    };
    auto noteWidth = [&](const QString &Note) {
        const qint32 keep = Canvas.Font.Height;
        Canvas.Font.Height = noteHeight();
        const int w = W(Note);
        Canvas.Font.Height = keep;
        return w;
    };
    // A long honorific measured as it is drawn, narrower than its name.
    auto honorWidth = [&](const QString &Honor) {
        if (CellCount(Honor) <= 2)
            return W(Honor);
        const double ratio = Canvas.Font.WidthRatio;
        SetFontWidthRatio(Canvas, ratio * honorShare(ratio));
        const int w = W(Honor);
        SetFontWidthRatio(Canvas, ratio);
        return w;
    };
    QString honor, note;
    int K = 0, s = 0, length = 0;
    auto measure = [&] {
        honor = m_showHonor ? widest([](const TLine &l) { return l.HonorShown ? l.Honor : QString(); }) : QString();
        note = jointsLaidOut ? widest([](const TLine &l) { return l.Note; }) : QString();
        K = W(kOne);
        s = roundHalfAway(K / 6.0);
        length = K * (F + G) + (F + G - 1) * s + (F > 0 ? W(QStringLiteral(" ")) : 0);
        if (!honor.isEmpty())
            length += honorWidth(honor) + roundHalfAway(K / 3.0);
        if (!note.isEmpty())
            length += noteWidth(note) + s;
    };
    // Names sharing a line stand a character apart, each in its share.
    auto lineLength = [&] { return perRow * length + (perRow - 1) * K; };
    measure();
    const int margin = m_horizontal ? mx : my;
    const int sizeAlong = m_horizontal ? Size.width() : Size.height();
    const double dotsPerPx = (m_horizontal ? Canvas.Dpi().x : Canvas.Dpi().y) / 96.0;
    const int rectStart = m_horizontal ? m_rect.Left : m_rect.Top;
    // Along the line, from the page's edge (in page pixels) and back, as
    // drawn: a turned frame draws from its far end.
    auto toPage = [&](double Dots) { return rectStart + (m_rotate180 ? sizeAlong - Dots : Dots) / dotsPerPx; };
    auto fromPage = [&](double Px) {
        const double d = (Px - rectStart) * dotsPerPx;
        return roundHalfAway(m_rotate180 ? sizeAlong - d : d);
    };
    // Where each line starts along, from the item's edge, and where its
    // given name and honorific stand from there.
    int lineStart = margin, familyEnd = 0, column = 0, hp = 0;
    // Each name's share of its line, where names share one.
    int entry = along;
    if (lineUp && perRow == 1) {
        const TCanvasFont own = Canvas.Font;
        // A character no wider than the name's cell, so that neighbours
        // never touch.
        const int pitch = roundHalfAway(guide.Pitch * dotsPerPx);
        lineUp = pitch > 0 && FitFont(Canvas, pitch, W(kOne));
        if (lineUp) {
            measure();
            // Lines without a family name start at the given-name column;
            // family names take the name's family cells before it.
            F = F > 0 ? guide.FamilyCells : 0;
            G = guide.GivenCells;
            s = pitch - K;
            // Each character's middle on the middle of the name's.
            const int givenAt = fromPage(guide.GivenMiddle) - K / 2;
            familyEnd = F > 0 ? pitch * F + roundHalfAway(guide.Blank * dotsPerPx) : 0;
            column = K * G + (G - 1) * s;
            lineStart = givenAt - familyEnd;
            hp = fromPage(guide.HonorMiddle) - K / 2 - lineStart;
            // Every line, honorific and all, inside the frame.
            int end = familyEnd + column;
            for (const TLine &l : lines)
                if (l.HonorShown)
                    end = qMax(end, hp + honorWidth(l.Honor));
            lineUp = lineStart >= 0 && lineStart + end <= sizeAlong;
        }
        if (!lineUp) {
            Canvas.Font = own;
            lineStart = margin;
            cellsOfLines();
            measure();
        }
    } else {
        lineUp = false;
    }
    if (!lineUp) {
        // A name (with its joint names) too long for its line keeps the least
        // height with its characters narrowed (down a column: squeezed along
        // it) rather than shrinking below it. A note kept at the least height
        // does not shrink with its name: the line is measured again after
        // each fitting, until it fits.
        for (int round = 0; round < MaxFitRounds && lineLength() > along; ++round) {
            if (!fitAlong(Canvas, along, [&] {
                    measure();
                    return lineLength();
                }))
                return;
            measure();
        }
        entry = (along - (perRow - 1) * K) / perRow;
        if (m_charSpace && entry > length) {
            const int spare = entry - length;
            if (!honor.isEmpty()) {
                if (F + G > 1)
                    s += spare / (F + G);
            } else if (F + G > 1) {
                s += spare / (F + G - 1);
            } else {
                s += spare;
            }
        }
        familyEnd = (K + s) * F + (F > 0 ? W(QStringLiteral(" ")) : 0);
        column = K * G + (G - 1) * s;
        hp = familyEnd + (K + s) * G - roundHalfAway(K / 6.0) + roundHalfAway(K / 3.0);
    }

    // Per-character advances of one name on the grid (a character outside
    // the BMP is one cell: its second unit advances nothing).
    auto advancesOf = [&](const QString &Name) {
        QList<int> adv = CellAdvances(Name, K + s);
        const qsizetype sep = Name.indexOf(QLatin1Char(' '));
        if (sep < 0)
            return adv;
        const int given = CellCount(QStringView(Name).mid(sep + 1));
        int offset = 0;
        if (given < G && given > 0) {
            const int own = K * given + (given - 1) * s;
            switch (m_nameAlign) {
            case 1:
                break;
            case 2:
                offset = column - own;
                break;
            case 3:
                offset = (column - own) / 2;
                break;
            default:
                if (given == 1) {
                    offset = (column - K) / 2;
                } else {
                    const int step = K + (column - K * given) / (given - 1);
                    for (qsizetype i = sep + 1; i < Name.size(); ++i)
                        if (adv[i] != 0)
                            adv[i] = step;
                }
                break;
            }
        }
        adv[sep] = familyEnd + offset - CellCount(QStringView(Name).left(sep)) * (K + s);
        return adv;
    };

    const int th = TH();
    const int g = th / 8;
    const int P = th + g;
    const int c = (rows - 1) / 2;
    QList<QPoint> at;
    for (int i = 0; i < n; ++i) {
        const int row = i / perRow;
        const int start = lineStart + (i % perRow) * (entry + K);
        if (m_horizontal) {
            const int A = rows % 2 ? (across - th) / 2 : (across - g) / 2 - th;
            at.append(QPoint(start, my + A + (row - c) * P));
        } else {
            const int B = rows % 2 ? (across - th) / 2 : (across + g) / 2;
            at.append(QPoint(mx + B + th - (row - c) * P, start));
        }
    }
    auto along_ = [&](QPoint p, int by, int acrossBy = 0) {
        return m_horizontal ? QPoint(p.x() + by, p.y() + acrossBy) : QPoint(p.x() - acrossBy, p.y() + by);
    };

    // The grid a frame of joint names beside this name lines up with.
    if (!lineUp && perRow == 1) {
        const int first = m_horizontal ? at[0].x() : at[0].y();
        m_drawnGuide = {toPage(first + familyEnd + K / 2.0),
                        toPage(first + hp + K / 2.0),
                        (K + s) / dotsPerPx,
                        W(QStringLiteral(" ")) / dotsPerPx,
                        F,
                        G,
                        m_horizontal,
                        m_rotate180};
    }
    QList<int> honorEnd(n, 0);
    for (int i = 0; i < n; ++i) {
        const TLine &l = lines[i];
        const QList<int> adv = advancesOf(l.Name);
        drawTurned(Canvas, Size, at[i].x(), at[i].y(), l.Name, &adv);
        if (!l.HonorShown)
            continue;
        const bool narrow = CellCount(l.Honor) > 2;
        const double widthRatio = Canvas.Font.WidthRatio;
        if (narrow) {
            const double ratio = widthRatio * honorShare(widthRatio);
            SetFontWidthRatio(Canvas, ratio);
            // A long honorific is set narrower than its name; after a
            // narrowed name that may leave it narrower than readable.
            if (ratio < LeastWidthRatio)
                noteNarrowed(ratio);
        }
        const QPoint p = along_(at[i], hp);
        drawTurned(Canvas, Size, p.x(), p.y(), l.Honor);
        honorEnd[i] = hp + W(l.Honor);
        SetFontWidthRatio(Canvas, widthRatio);
    }

    // Notes: at their height (above), centred across their line, after the
    // given-name column, or after the honorific where the line shows one (so
    // that a note never covers it).
    if (!jointsLaidOut || note.isEmpty())
        return;
    const qint32 noteAt = noteHeight();
    if (noteAt >= 0)
        return;
    const TCanvasFont nameFont = Canvas.Font;
    Canvas.Font.Height = noteAt;
    if (!m_horizontal)
        SetCanvasFontVertical(Canvas.Font);
    const int d = (th - TH()) / 2;
    const int gapAfter = roundHalfAway(K / 6.0);
    for (int i = 0; i < n; ++i) {
        const TLine &l = lines[i];
        if (l.Note.isEmpty())
            continue;
        const int np = l.HonorShown ? honorEnd[i] + gapAfter : familyEnd + K * G + (G - 1) * s + gapAfter;
        const QPoint p = along_(at[i], np, d);
        drawTurned(Canvas, Size, p.x(), p.y(), l.Note);
    }
    Canvas.Font = nameFont;
}

void TNameRect::buildCompany(TRecordingCanvas &Canvas, QSize Size)
{
    const QPoint m = TextItemMargins(Canvas);
    const int mx = m.x(), my = m.y();
    const int along = m_horizontal ? Size.width() - 2 * mx : Size.height() - 2 * my;
    const int across = m_horizontal ? Size.height() - 2 * my : Size.width() - 2 * mx;
    if (along < 1 || across < 1)
        return;
    // A title of up to six characters stands before the name on its line;
    // a longer one is the last company line.
    const bool longTitle = CellCount(m_post) > 6;
    const QString shortTitle = longTitle ? QString() : m_post;
    std::array<TCorpLine, 4> lines{TCorpLine{m_corp, {}, m_corpRatio}, TCorpLine{m_dptmnt[0], {}, m_dptmntRatio},
                                   TCorpLine{m_dptmnt[1], {}, m_dptmntRatio},
                                   TCorpLine{longTitle ? m_post : QString(), {}, m_postRatio}};
    int n = int(!m_corp.isEmpty()) + int(!m_dptmnt[0].isEmpty()) + int(!m_dptmnt[1].isEmpty()) +
            int(!m_post.isEmpty());
    if (m_name.isEmpty() && n == 0)
        return;

    auto W = [&](const QString &s) { return Canvas.TextWidth(s); };
    auto TH = [&] { return Canvas.TextHeight(); };
    auto setHeight = [&](qint32 h) { Canvas.Font.Height = h; };
    const bool honorShown = m_showHonor && !m_honor.isEmpty();
    auto hon = [&] { return honorShown ? roundHalfAway(W(kOne) / 3.0) + W(m_honor) : 0; };

    Canvas.Font = contentFont();
    qint32 h0 = Canvas.Font.Height;

    // The height of the company lines above the name at the name height Hb.
    auto block = [&](qint32 Hb) {
        setHeight(Hb);
        const int th = TH();
        int total = 0;
        bool first = true;
        for (const TCorpLine &l : lines) {
            if (l.First.isEmpty())
                continue;
            const qint32 hi = scaledHeight(Hb, l.Ratio);
            if (hi == 0) {
                n = 0;
                total = 0;
                break;
            }
            setHeight(hi);
            const int thi = TH();
            total += thi + (first ? th / 4 : th / 16);
            if (l.broken())
                total += thi;
            first = false;
            setHeight(Hb);
        }
        setHeight(Hb);
        return total;
    };

    // Across.
    {
        const int b = n > 0 ? block(h0) : 0;
        const int need = TH() + b;
        if (need > across) {
            if (!FitFont(Canvas, across, need))
                return;
            h0 = Canvas.Font.Height;
        }
    }
    const TNameParts parts = SplitNameParts(m_name);
    const int F = parts.HasSeparator ? CellCount(parts.Family) : 0;
    const int G = CellCount(parts.Given);
    // A short title before the name keeps the least height (or the
    // name's, when that is smaller).
    auto titleHeight = [&](qint32 AtHeight) {
        const qint32 ht = scaledHeight(AtHeight, m_postRatio);
        const int least = std::min(leastHeight(Canvas), std::abs(int(AtHeight)));
        if (ht == 0 || std::abs(int(ht)) >= least)
            return ht;
        return AtHeight < 0 ? qint32(-least) : qint32(least);
    };
    auto titleWidth = [&](qint32 AtHeight) {
        if (shortTitle.isEmpty())
            return 0;
        const qint32 ht = titleHeight(AtHeight);
        if (ht == 0)
            return 0;
        const qint32 keep = Canvas.Font.Height;
        setHeight(ht);
        const int w = W(shortTitle);
        setHeight(keep);
        return w;
    };
    auto nameLength = [&](int s) {
        const int K = W(kOne);
        int len = K * (F + G) + (F + G - 1) * s + (F > 0 ? W(QStringLiteral(" ")) : 0) + hon();
        if (n > 0)
            len += K / 2 + titleWidth(Canvas.Font.Height);
        return len;
    };
    // Along. A name kept as typed with a full-width space may break there.
    QString L0, L1;
    const bool pieces = m_nameAsIs && m_name.contains(kWideSpace);
    if (pieces) {
        L0 = m_name;
    } else {
        const int need = nameLength(m_nameAsIs ? 0 : roundHalfAway(W(kOne) / 6.0));
        if (need > along) {
            if (!FitFont(Canvas, along, need))
                return;
            h0 = Canvas.Font.Height;
        }
    }

    if (m_corpBreak) {
        setHeight(h0);
        const int K = W(kOne);
        if (pieces && W(L0) + (n > 0 ? K / 2 : 0) + hon() - 2 * K > along) {
            const TBreakResult b = BreakAtSpace(L0);
            L0 = b.First;
            L1 = b.Second;
        }
        int indent = 0;
        for (size_t i = 0; i < lines.size() && n > 0; ++i) {
            TCorpLine &l = lines[i];
            if (l.First.isEmpty())
                continue;
            const qint32 hi = scaledHeight(h0, l.Ratio);
            if (hi == 0) {
                n = 0;
                break;
            }
            setHeight(hi);
            const int Ki = W(kOne);
            const bool tooLong = i < 3 ? W(l.First) - Ki + indent > along : W(l.First) - Ki > along;
            if (tooLong) {
                const TBreakResult b = BreakAtSpace(l.First);
                l.First = b.First;
                l.Second = b.Second;
            }
            if (i < 3)
                indent += Ki / 4;
            setHeight(h0);
        }
        setHeight(h0);
    }

    // Fitting passes: a broken piece whose parts fit together again after
    // the shrinking is joined, and the fitting starts over.
    bool settled = false;
    for (int pass = 0; pass < MaxFitRounds; ++pass) {
        setHeight(h0);
        const int K0 = W(kOne);
        if (!L0.isEmpty() && pieces) {
            const int need = qMax(W(L0), W(L1)) + K0 + hon() + (n > 0 ? K0 / 2 : 0);
            if (!FitFont(Canvas, along, need))
                return;
        }
        qint32 h1 = Canvas.Font.Height;
        const int b = n > 0 ? block(h1) : 0;
        if (!FitFont(Canvas, across, TH() + (L1.isEmpty() ? 0 : TH()) + b))
            return;
        h1 = Canvas.Font.Height;
        // Candidates for joining, measured at h1: the name first, then the
        // broken company lines.
        const int K1 = W(kOne);
        int best = -1;
        int bestWidth = 0;
        if (!L1.isEmpty()) {
            const int w = W(L0) + W(L1) - K1 + hon();
            if (w < along) {
                best = 4;
                bestWidth = w;
            }
        }
        int indent = 0;
        for (size_t i = 0; i < lines.size() && n > 0; ++i) {
            const TCorpLine &l = lines[i];
            if (l.First.isEmpty() || !l.broken())
                continue;
            const qint32 hi = scaledHeight(h1, l.Ratio);
            if (hi == 0) {
                n = 0;
                break;
            }
            setHeight(hi);
            const int Ki = W(kOne);
            const int w = W(l.First) + W(l.Second) - Ki + (i < 3 ? indent : 0);
            if (i < 3)
                indent += Ki / 4;
            setHeight(h1);
            if (w < along && (best < 0 || w < bestWidth)) {
                best = int(i);
                bestWidth = w;
            }
        }
        setHeight(h1);
        if (best < 0) {
            h0 = h1;
            settled = true;
            break;
        }
        if (best == 4) {
            L0 = L0 + kWideSpace + L1;
            L1.clear();
        } else {
            TCorpLine &l = lines[size_t(best)];
            l.First = l.First + kWideSpace + l.Second;
            l.Second.clear();
        }
    }
    if (!settled)
        return;

    // The name line as it is drawn must fit along as well: a name kept as
    // typed is fitted above by its pieces alone, without the title before
    // it. Whole, it runs from its start (after the title) to its
    // honorific's end; broken, its first piece runs from its start and its
    // second ends where the honorific begins, at the far end.
    for (int round = 0; round < MaxFitRounds; ++round) {
        setHeight(h0);
        int extent = 0;
        if (L1.isEmpty()) {
            extent = nameLength(m_nameAsIs ? 0 : roundHalfAway(W(kOne) / 6.0));
        } else {
            const int lead = n > 0 ? W(kOne) / 2 + titleWidth(h0) : 0;
            extent = qMax(lead + W(L0), W(L1) + hon());
        }
        if (extent <= along)
            break;
        if (!FitFont(Canvas, along, extent))
            return;
        h0 = Canvas.Font.Height;
    }

    // Lowering the ratios of company lines wider than the box at the name height.
    setHeight(h0);
    int K = W(kOne);
    if (n > 0) {
        bool firstOfThree = true;
        for (size_t i = 0; i < lines.size(); ++i) {
            TCorpLine &l = lines[i];
            if (l.First.isEmpty())
                continue;
            int wl = l.broken() ? W((W(l.First) > W(l.Second) ? l.First : l.Second) + kOne) : W(l.First);
            if (i < 3) {
                wl += firstOfThree ? 0 : K / 4;
                firstOfThree = false;
            }
            wl += K;
            if (wl > 0 && l.Ratio > double(along) / wl) {
                l.Ratio = double(along) / wl;
                if (i == 0) {
                    lines[1].Ratio = qMin(lines[1].Ratio, l.Ratio);
                    lines[2].Ratio = qMin(lines[2].Ratio, l.Ratio);
                } else if (i == 1) {
                    lines[2].Ratio = qMin(lines[2].Ratio, l.Ratio);
                } else if (i == 2) {
                    lines[1].Ratio = qMin(lines[1].Ratio, l.Ratio);
                }
            }
        }
    }

    // The share of its length a company line at Height, Indent into the
    // box, must give up to fit along (1 when it fits); the font is left at
    // the name's height.
    auto alongShare = [&](const TCorpLine &L, qint32 Height, int Indent) {
        setHeight(Height);
        const int first = W(L.First);
        const int second = L.broken() ? W(L.Second) + W(kOne) : 0;
        setHeight(h0);
        double r = 1.0;
        if (Indent + first > along)
            r = along > Indent ? double(along - Indent) / first : 0.0;
        if (second > along)
            r = qMin(r, double(along) / second);
        return r;
    };

    // A line lowered that far is drawn no longer than the box either: its
    // indent (a quarter of the name's character per line above it) does not
    // shrink with it, nor does a second part's end one character before the
    // far end.
    if (n > 0) {
        const int K4 = K / 4;
        int indent = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            TCorpLine &l = lines[i];
            if (l.First.isEmpty())
                continue;
            if (i == 3)
                indent = 0;
            for (int round = 0; round < MaxFitRounds; ++round) {
                const qint32 hi = scaledHeight(h0, l.Ratio);
                if (hi == 0)
                    break;
                const double r = alongShare(l, hi, indent);
                if (r >= 1.0)
                    break;
                l.Ratio *= r;
            }
            if (i == 1)
                lines[2].Ratio = qMin(lines[2].Ratio, l.Ratio);
            else if (i == 2)
                lines[1].Ratio = qMin(lines[1].Ratio, l.Ratio);
            indent += K4;
        }
    }

    // A company line lowered below the least height keeps that height, its
    // characters narrowed where it is then too long for the box, where the
    // box has room across for the block at those heights. Where it has not,
    // the name gives up size, down to the least height itself, so that the
    // company lines keep theirs; where even that is not enough, the lines
    // stay as lowered (and the run is told).
    if (n > 0) {
        const std::array<TCorpLine, 4> lowered = lines;
        const qint32 fitted = h0;
        bool raisedFit = false;
        for (int round = 0; round < MaxFitRounds && h0 != 0; ++round) {
            const int least = std::min(leastHeight(Canvas), std::abs(int(h0)));
            std::array<TCorpLine, 4> raised = lowered;
            bool any = false, narrowed = false;
            setHeight(h0);
            const int K4 = W(kOne) / 4;
            int indent = 0;
            for (size_t i = 0; i < raised.size(); ++i) {
                TCorpLine &l = raised[i];
                if (l.First.isEmpty())
                    continue;
                if (i == 3)
                    indent = 0;
                if (std::abs(scaledHeight(h0, l.Ratio)) < least) {
                    l.Ratio = (least + 0.5) / std::abs(double(h0));
                    const double r = alongShare(l, scaledHeight(h0, l.Ratio), indent);
                    if (r < 1.0) {
                        l.Narrow = r * 0.98;
                        narrowed = true;
                    }
                    any = true;
                }
                indent += K4;
            }
            if (!any) {
                lines = raised;
                raisedFit = true;
                break;
            }
            lines = raised;
            setHeight(h0);
            const int need = TH() + (L1.isEmpty() ? 0 : TH()) + block(h0);
            if (need <= across) {
                if (narrowed)
                    for (const TCorpLine &l : lines)
                        if (!l.First.isEmpty())
                            noteNarrowed(l.Narrow);
                raisedFit = true;
                break;
            }
            if (std::abs(int(h0)) <= leastHeight(Canvas))
                break;
            // One step nearer the least height, by the room the block lacks.
            qint32 next = scaledHeight(h0, double(across) / need);
            if (std::abs(int(next)) >= std::abs(int(h0)))
                next = h0 < 0 ? h0 + 1 : h0 - 1;
            if (std::abs(int(next)) < leastHeight(Canvas))
                next = h0 < 0 ? -leastHeight(Canvas) : leastHeight(Canvas);
            h0 = next;
        }
        if (!raisedFit) {
            lines = lowered;
            h0 = fitted;
        }
        setHeight(h0);
        K = W(kOne);
    }

    // Placing.
    const int b = n > 0 ? block(h0) : 0;
    setHeight(h0);
    const int th = TH();
    const int need = th + (L1.isEmpty() ? 0 : th) + b;
    const int K4 = K / 4, K16 = K / 16;
    const int lead = (across - need) / 2;
    const TCanvasFont nameFont = Canvas.Font;
    auto place = [&](int Along, int Across) {
        return m_horizontal ? QPoint(Along, Across) : QPoint(Across, Along);
    };
    const int margin = m_horizontal ? mx : my;
    if (n > 0) {
        int cursor = m_horizontal ? my + lead : mx + across - lead;
        const int dir = m_horizontal ? 1 : -1;
        int indent = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            const TCorpLine &l = lines[i];
            if (l.First.isEmpty())
                continue;
            setHeight(scaledHeight(h0, l.Ratio));
            SetFontWidthRatio(Canvas, nameFont.WidthRatio * l.Narrow);
            const int thi = TH();
            const int Ki = W(kOne);
            if (i == 3) {
                if (n > 1)
                    cursor += dir * (K4 - K16);
                indent = 0;
            }
            QPoint p = place(margin + indent, cursor);
            drawTurned(Canvas, Size, p.x(), p.y(), l.First);
            const int firstAt = cursor;
            cursor += dir * (thi + K16);
            if (l.broken()) {
                p = place(margin + along - W(l.Second) - Ki, firstAt + dir * thi);
                drawTurned(Canvas, Size, p.x(), p.y(), l.Second);
                cursor += dir * thi;
            }
            indent += K4;
        }
        Canvas.Font = nameFont;
    }

    int start = margin;
    if (n > 0) {
        if (shortTitle.isEmpty() || titleHeight(h0) == 0) {
            start = margin + K / 2;
        } else {
            setHeight(titleHeight(h0));
            const int tht = TH();
            int edge;
            if (m_horizontal) {
                const int mid = my + across - lead - th + roundHalfAway(th / 2.0);
                edge = mid - roundHalfAway(tht / 2.0);
            } else {
                const int mid = mx + lead + th - roundHalfAway(th / 2.0);
                edge = mid + roundHalfAway(tht / 2.0);
            }
            const QPoint p = place(margin, edge);
            drawTurned(Canvas, Size, p.x(), p.y(), shortTitle);
            start = margin + W(shortTitle) + K / 2;
            Canvas.Font = nameFont;
        }
    }

    if (L1.isEmpty()) {
        const QString &name = pieces ? L0 : m_name;
        const TNameParts np = SplitNameParts(name);
        const int f = np.HasSeparator ? CellCount(np.Family) : 0;
        const int gg = CellCount(np.Given);
        int s = m_nameAsIs ? 0 : roundHalfAway(K / 6.0);
        const int length = nameLength(s);
        // Under company lines in a column the name takes the size the block
        // leaves it, often far less than the column is long: spread down the
        // column it would fall apart into characters far from each other, so
        // there it is spread only where it stands alone.
        if (m_charSpace && (n == 0 || m_horizontal) && along > length) {
            const int spare = along - length;
            if (honorShown) {
                if (f + gg > 1)
                    s += spare / (f + gg);
            } else if (f + gg > 1) {
                s += spare / (f + gg - 1);
            } else {
                s += spare;
            }
        }
        // As measured: the separator takes room only after a family name (a
        // name without one is all given name, its separator no blank).
        const int familyEnd = f > 0 ? (K + s) * f + W(QStringLiteral(" ")) : 0;
        QList<int> adv = CellAdvances(name, K + s);
        const qsizetype sep = name.indexOf(QLatin1Char(' '));
        if (sep >= 0)
            adv[sep] = familyEnd - CellCount(QStringView(name).left(sep)) * (K + s);
        const int acrossAt = m_horizontal ? my + across - lead - th : mx + lead + th;
        const QPoint p = place(start, acrossAt);
        drawTurned(Canvas, Size, p.x(), p.y(), name, &adv);
        if (m_showHonor && !m_honor.isEmpty()) {
            const int hp =
                familyEnd + (K + s) * gg + roundHalfAway(K / 3.0) - (m_nameAsIs ? 0 : roundHalfAway(K / 6.0));
            const QPoint q = place(start + hp, acrossAt);
            drawTurned(Canvas, Size, q.x(), q.y(), m_honor);
        }
        return;
    }
    // A name broken in two: its second piece ends before the honorific,
    // which ends at the far end of the box.
    const int acrossAt = m_horizontal ? my + across - lead - 2 * th : mx + lead + 2 * th;
    QPoint p = place(start, acrossAt);
    drawTurned(Canvas, Size, p.x(), p.y(), L0);
    const int next = acrossAt + (m_horizontal ? th : -th);
    p = place(margin + along - W(L1) - hon(), next);
    drawTurned(Canvas, Size, p.x(), p.y(), L1);
    if (honorShown) {
        p = place(margin + along - W(m_honor), next);
        drawTurned(Canvas, Size, p.x(), p.y(), m_honor);
    }
}
