#include "editors/AdditionPlace.h"

#include "dialogs/DataFormat.h"
#include "editors/FormatDialogs.h"
#include "editors/ItemPlace.h"
#include "editors/LayoutDoc.h"
#include "editors/MergeFormat.h"
#include "editors/PrintedSizes.h"
#include "items/AdditionRect.h"
#include "items/MetaRect.h"
#include "items/SenderRect.h"

#include <QRect>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// The least character height a line is given: 6 points, the smallest print
// in which kanji and digits stay legible (2.1 mm, in page pixels).
constexpr double kReadablePx = 6.0 / 72.0 * 96.0;
// Blank kept between a line and the piece's edge (the line's own text
// margin comes on top); round the bars of the customer barcode it is an
// inserted item's, kItemGap.
constexpr int kEdgePx = 4;
// The room (page pixels, 3 mm) an additional line keeps along its line from
// a text it stands level with, so that the two read apart.
constexpr double kLevelGapPx = 3.0 / 25.4 * 96.0;
// A line moved into free room is placed for this share of the least height
// of every text or more: a screen and a printer measure a text's length a
// few hundredths apart, and a line fitted to just the least height on one
// would fall below it on the other.
constexpr double kMovedLeastShare = 1.04;
// A line's box is given this much more length than its text needs at its
// own size, for values longer than the one it was sized for.
constexpr double kLengthSlack = 1.3;
// The same for a line placed after the name, where every millimetre the line
// is given is taken from the name.
constexpr double kRowLengthSlack = 1.1;
// How far past its cell a text's face reaches across its line, over the
// cell's breadth.
constexpr double kFaceOverCell = 0.1;
// The same for a line whose length its face has measured: only the rounding
// of the size it is fitted to.
constexpr double kMeasuredSlack = 1.02;
// The length of a name of four characters with the blank between family and
// given name, in character heights.
constexpr double kNameEms = 4.5;
// The height of a line's text cell over its characters' height.
constexpr double kCellShare = 1.05;

// A character's length in character heights: a full-width one is as long
// as it is high, a digit or sign half of it; the faces' Latin letters are
// proportional, most of them wider than a digit.
double emsOf(QChar C)
{
    if (C.unicode() < 0x80)
        return C.isLetter() ? 0.65 : 0.5;
    return C.unicode() >= 0xFF61 && C.unicode() <= 0xFF9F ? 0.5 : 1.0;
}

double emsOf(const QString &Text)
{
    double ems = 0;
    for (const QChar c : Text)
        ems += emsOf(c);
    return ems;
}

// The length a line takes, in character heights: its own text, or the
// caption of its field with a value as long as that field's usual one.
double lineEms(const TAdditionLine &Line)
{
    if (Line.Id == 0)
        return std::max(1.0, emsOf(Line.Text));
    QString value;
    switch (Line.Id) {
    case 1: value = QStringLiteral("0312345678"); break;   // a number reversed
    case 2: value = QStringLiteral("20260101"); break;     // yyyymmdd
    case 7:                                                 // URL
    case 9:                                                 // mail
    case 10: value = QStringLiteral("name@example.co.jp"); break;
    default:
        if (Line.Id >= 11 && Line.Id <= 18)
            value = QStringLiteral("キーワード例"); // a keyword's text
        else
            value = QStringLiteral("03-1234-5678"); // telephone numbers, sender contacts
        break;
    }
    // A sender's contact line brings its own caption.
    const QString caption = Line.Id >= 19 && Line.Id <= 22 ? QStringLiteral("TEL") : AdditionCaption(Line.Id);
    return emsOf(caption.isEmpty() ? value : caption + QStringLiteral("  ") + value);
}

// A box for a line found in the free room: the box and the character
// height its text gets there.
struct TCandidate {
    QRect Box;
    double Em = 0;
    qint64 Room = 0; // the free rectangle it was cut from, for ties
};

// Whether A reads before B: rows top down, each left to right, or columns
// right to left, each top down.
bool ReadsBefore(const QRect &A, const QRect &B, bool Rows)
{
    const QPointF a = QRectF(A).center();
    if (Rows) {
        const bool sameRow = a.y() > B.top() && a.y() < B.bottom() + 1;
        return sameRow ? A.left() < B.left() : a.y() < QRectF(B).center().y();
    }
    const bool sameColumn = a.x() > B.left() && a.x() < B.right() + 1;
    return sameColumn ? A.top() < B.top() : a.x() > QRectF(B).center().x();
}

// Strictly: the relation is not an order where boxes overlap.
bool ReadsFirst(const QRect &A, const QRect &B, bool Rows) { return ReadsBefore(A, B, Rows) && !ReadsBefore(B, A, Rows); }

// A search for a line's box in the free room of Area, among Obstacles: the
// line written across (Horizontal) or down, its text inset by Margin, at
// Target character height where the room allows.
struct TFreeRoom {
    QRect Area;
    const std::vector<QRect> &Obstacles;
    bool Horizontal = true;
    int Margin = 4;
    double Target = 0;
    // The share more length a box is given than its text needs.
    double Slack = kLengthSlack;
    // The height of the line's text cell over its characters' height.
    double Cell = kCellShare;
    // What the fitting of a size to a box may lose by rounding down (page
    // pixels).
    double Round = 0.5;
    // Where set, only a box read after this one (rows top down, each left
    // to right, or columns right to left, each top down), and of boxes
    // giving the same size the one read first.
    std::optional<QRect> After = std::nullopt;

    int along(const QRect &R) const { return Horizontal ? R.width() : R.height(); }
    int across(const QRect &R) const { return Horizontal ? R.height() : R.width(); }

    // The character height a line of Ems gets in a box Across thick and
    // Along long: the text's cell is a little higher than its characters,
    // and the fitting rounds down.
    double emIn(int Across, int Along, double Ems) const
    {
        return std::min({Target, double(Across - 2 * Margin) / Cell - Round,
                         double(Along - 2 * Margin) / Ems - Round});
    }

    // The best box for a line of Ems: the largest character height, then
    // the largest free rectangle it is cut from.
    std::optional<TCandidate> best(double Ems) const
    {
        std::optional<TCandidate> out;
        forEachRoom([&](const QRect &Room, int Thick) { consider(Room, Ems, Thick, out); });
        return out;
    }

    // Every box a line of Ems may take at Least character height or more
    // (read after After where it is set): one at the start of each free
    // rectangle.
    std::vector<TCandidate> all(double Ems, double Least) const
    {
        std::vector<TCandidate> out;
        forEachRoom([&](const QRect &Room, int Thick) {
            std::optional<TCandidate> one;
            consider(Room, Ems, Thick, one);
            if (one && one->Em >= Least - 1e-9 &&
                std::none_of(out.begin(), out.end(), [&](const TCandidate &c) { return c.Box == one->Box; }))
                out.push_back(*one);
        });
        return out;
    }

    // Visits every free rectangle bounded by edges of the area or of the
    // obstacles, with the thickness a line is given at Target.
    template <typename Visit>
    void forEachRoom(Visit visit) const
    {
        // Every free rectangle bounded by edges of the area or of the
        // obstacles: for each pair of x edges the free runs down the page.
        std::vector<int> xs{Area.left(), Area.right() + 1};
        for (const QRect &o : Obstacles)
            for (const int x : {o.left(), o.right() + 1})
                if (x > Area.left() && x <= Area.right())
                    xs.push_back(x);
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        const int thick = int(std::ceil((Target + Round) * Cell)) + 2 * Margin;
        for (size_t a = 0; a < xs.size(); ++a)
            for (size_t b = a + 1; b < xs.size(); ++b) {
                const int x1 = xs[a], x2 = xs[b];
                std::vector<std::pair<int, int>> blocked;
                for (const QRect &o : Obstacles)
                    if (o.left() < x2 && o.right() + 1 > x1)
                        blocked.push_back({o.top(), o.bottom() + 1});
                std::sort(blocked.begin(), blocked.end());
                int y = Area.top();
                blocked.push_back({Area.bottom() + 1, Area.bottom() + 1});
                for (const auto &[from, to] : blocked) {
                    if (from > y) {
                        const QRect room(QPoint(x1, y), QPoint(x2 - 1, std::min(from, Area.bottom() + 1) - 1));
                        visit(room, thick);
                    }
                    y = std::max(y, to);
                    if (y > Area.bottom())
                        break;
                }
            }
    }

    void consider(const QRect &Room, double Ems, int Thick, std::optional<TCandidate> &Best) const
    {
        if (Room.isEmpty())
            return;
        const int t = std::min(across(Room), Thick);
        const int length = std::min(along(Room), int(std::ceil(Ems * (Target + Round) * Slack)) + 2 * Margin);
        const double em = emIn(t, length, Ems);
        if (em <= 0)
            return;
        // Rows start at the room's top left; columns, read from the right,
        // at its top right.
        const QRect box = Horizontal ? QRect(Room.left(), Room.top(), length, t)
                                     : QRect(Room.right() + 1 - t, Room.top(), t, length);
        const qint64 size = qint64(Room.width()) * Room.height();
        const auto first = [this](const QRect &A, const QRect &B) { return ReadsFirst(A, B, Horizontal); };
        if (After && !first(*After, box))
            return;
        const bool tie = Best && std::abs(em - Best->Em) <= 1e-9;
        const bool sooner = tie && After && first(box, Best->Box);
        const bool later = tie && After && first(Best->Box, box);
        if (!Best || em > Best->Em + 1e-9 || sooner || (tie && !later && size > Best->Room))
            Best = TCandidate{box, em, size};
    }
};

// What both plans know of the piece: the area the lines may take, the sizes
// their text is given, and what stands in the way (every item the piece
// prints but those left to the plan, the bars with their blank round them),
// the default text frames of the record's address, name and company among
// them, which may give up room.
class TPieceRoom
{
protected:
    struct TTextFrame {
        int Item;
        int Obstacle;
        TMergeClass Merge;
        const TMetaRect *Text;
    };

    TPieceRoom(const TLayoutDocument &D, const std::vector<int> &Leave)
    {
        // The piece's whole pixels (its size rounded down).
        const QSize piece(int(D.Format.Width * 96 / 254), int(D.Format.Height * 96 / 254));
        m_area = QRect(kEdgePx, kEdgePx, piece.width() - 2 * kEdgePx, piece.height() - 2 * kEdgePx);
        m_margin = TextItemMargin.value;
        m_target = AdditionLineHeight(D);
        m_least = ReadableAdditionHeight(D);
        for (size_t i = 0; i < D.Items.size(); ++i) {
            const TDrawRect &item = *D.Items[i];
            if (!item.IsVisible() || !D.OnPrintedSide(i) ||
                std::find(Leave.begin(), Leave.end(), int(i)) != Leave.end())
                continue;
            const auto *block = dynamic_cast<const TSenderRect *>(&item);
            const TPageRect r = block ? block->GetBlockRect() : item.GetRect();
            if (r.isEmpty())
                continue;
            QRect area = ToQRect(r);
            if (item.GetKind() == TDrawRectKind::Barcode)
                area.adjust(-kItemGap, -kItemGap, kItemGap, kItemGap);
            m_obstacles.push_back(area);
            const int role = i < D.ItemRoles.size() ? D.ItemRoles[i] : -1;
            const auto *text = dynamic_cast<const TMetaRect *>(&item);
            const TMergeClass merge = MergeClassOf(item);
            if (role >= 0 && text &&
                (merge == TMergeClass::Address || merge == TMergeClass::Name || merge == TMergeClass::Corp))
                m_textFrames.push_back({int(i), int(m_obstacles.size()) - 1, merge, text});
        }
    }

    QRect m_area;
    int m_margin = 4;
    double m_target = 0;
    double m_least = 0;
    std::vector<QRect> m_obstacles;
    std::vector<TTextFrame> m_textFrames;
};

class TPlanner : TPieceRoom
{
public:
    TPlanner(const TLayoutDocument &D, const std::vector<int> &Leave) :
        TPieceRoom(D, Leave), m_horizontal(D.HorizontalWriting())
    {
        // A default text frame written the way the lines are may give up
        // the far end of its length.
        for (const TTextFrame &f : m_textFrames)
            if (f.Text->IsHorizontal() == m_horizontal)
                m_frames.push_back({f.Item, f.Obstacle, f.Merge == TMergeClass::Name});
    }

    // Each line placed for itself may find the place read first after a
    // line set before it has taken a later one. So the lines are placed
    // first each read after the one set before it: that plan stands where
    // every line gets room clear of everything at no smaller a size than
    // placed for itself.
    // Where that costs a line its size, the lines are placed again in the
    // room the lines placed each for itself left, each read after the one
    // set before it, of all such plans the one whose line losing the most
    // of its own size loses least: every line keeps a readable size, or
    // the size it had for itself where that was smaller. Only where no
    // plan does are the lines left each where it is largest, out of order.
    TAdditionPlan Plan(const std::vector<TAdditionLine> &Lines)
    {
        const std::vector<QRect> obstacles = m_obstacles;
        std::vector<double> alone;
        const TAdditionPlan each = plan(Lines, false, alone);
        const std::vector<QRect> afterEach = m_obstacles;
        m_obstacles = obstacles;
        std::vector<double> sizes;
        const TAdditionPlan inOrder = plan(Lines, true, sizes);
        bool kept = true;
        for (size_t k = 0; k < Lines.size(); ++k)
            if (alone[k] < 0 || sizes[k] < alone[k] - 1e-9)
                kept = false;
        if (kept)
            return inOrder;
        // The piece as the lines placed each for itself left it (the frames
        // giving up what they gave them), without the lines' own boxes.
        m_obstacles.assign(afterEach.begin(), afterEach.end() - std::ptrdiff_t(Lines.size()));
        TOrderedSearch search{Lines, alone, {}, {}, -1, 0};
        search.Boxes.resize(Lines.size());
        ordered(search, 0, std::nullopt, 1.0, 0.0);
        m_obstacles = obstacles;
        if (search.Best.empty())
            return each;
        TAdditionPlan out;
        for (const QRect &box : search.Best)
            out.Lines.push_back(PageRectOf(box));
        return out;
    }

private:
    struct TOrderedSearch {
        const std::vector<TAdditionLine> &Lines;
        const std::vector<double> &Alone;
        std::vector<QRect> Boxes;
        std::vector<QRect> Best;
        double BestWorst;
        double BestSum;
    };

    // The lines from K on, each read after After: of the boxes a line may
    // take, the few largest and the few read first are tried.
    void ordered(TOrderedSearch &S, size_t K, const std::optional<QRect> &After, double Worst, double Sum)
    {
        if (K == S.Lines.size()) {
            if (Worst > S.BestWorst + 1e-9 || (Worst > S.BestWorst - 1e-9 && Sum > S.BestSum + 1e-9)) {
                S.Best = S.Boxes;
                S.BestWorst = Worst;
                S.BestSum = Sum;
            }
            return;
        }
        const double own = S.Alone[K];
        const double need = own < 0 ? m_least : std::min(own, m_least);
        const std::vector<QRect> before = m_obstacles;
        // The room reads the obstacles as they stand when asked.
        TFreeRoom room = freeRoom();
        room.After = After;
        std::vector<TCandidate> found = room.all(lineEms(S.Lines[K]), need);
        // No room after the line before: a frame gives up the far half of
        // its length, and where that does not do, two thirds of it, as for
        // a line placed for itself.
        for (const double keep : {0.5, 1.0 / 3.0}) {
            if (!found.empty())
                break;
            std::vector<double> rest;
            for (size_t j = K; j < S.Lines.size(); ++j)
                rest.push_back(lineEms(S.Lines[j]));
            if (!shortenAFrame(rest, keep))
                continue;
            found = room.all(lineEms(S.Lines[K]), need);
        }
        constexpr size_t kTried = 6;
        std::vector<TCandidate> tried;
        const auto take = [&](const auto &Before) {
            std::sort(found.begin(), found.end(), Before);
            for (size_t i = 0; i < found.size() && i < kTried; ++i)
                if (std::none_of(tried.begin(), tried.end(), [&](const TCandidate &c) { return c.Box == found[i].Box; }))
                    tried.push_back(found[i]);
        };
        take([](const TCandidate &A, const TCandidate &B) { return A.Em > B.Em; });
        take([&room](const TCandidate &A, const TCandidate &B) {
            return ReadsFirst(A.Box, B.Box, room.Horizontal);
        });
        for (const TCandidate &c : tried) {
            const double worst = std::min(Worst, own > 0 ? std::min(1.0, c.Em / own) : 1.0);
            if (worst < S.BestWorst - 1e-9)
                continue;
            S.Boxes[K] = c.Box;
            m_obstacles.push_back(c.Box);
            ordered(S, K + 1, c.Box, worst, Sum + c.Em);
            m_obstacles.pop_back();
        }
        m_obstacles = before;
    }

    // The lines placed one after another, each where it gets the largest
    // size, InOrder besides read after the one set before it. Sizes gets
    // the character height of each line, -1 for a line finding no room
    // clear of everything.
    TAdditionPlan plan(const std::vector<TAdditionLine> &Lines, bool InOrder, std::vector<double> &Sizes)
    {
        const size_t n = Lines.size();
        TAdditionPlan plan;
        plan.Lines.resize(n);
        Sizes.assign(n, -1.0);
        std::optional<QRect> last;
        for (size_t k = 0; k < n; ++k) {
            const double ems = lineEms(Lines[k]);
            const std::optional<QRect> after = InOrder ? last : std::nullopt;
            std::optional<TCandidate> best = bestFree(ems, after);
            // Not readable in the free room: a frame gives up the far half of
            // its length, and where that does not do, two thirds of it.
            for (const double keep : {0.5, 1.0 / 3.0}) {
                if (best && best->Em >= m_least - 1e-9)
                    break;
                std::vector<double> rest;
                for (size_t j = k; j < n; ++j)
                    rest.push_back(lineEms(Lines[j]));
                if (shortenAFrame(rest, keep))
                    best = bestFree(ems, after);
            }
            QRect box;
            if (best) {
                // The largest place there is, clear of everything, though
                // smaller than readable.
                box = best->Box;
                Sizes[k] = best->Em;
            } else {
                // No room at all: a box of the readable size at the foot of
                // the piece, over whatever stands there.
                const int thick = int(std::ceil((m_least + 0.5) * kCellShare)) + 2 * m_margin;
                const int length = int(std::ceil((m_least + 0.5) * ems)) + 2 * m_margin;
                box = m_horizontal ? QRect(m_area.left(), m_area.bottom() + 1 - thick, length, thick)
                                   : QRect(m_area.left(), m_area.top(), thick, length);
                box = box.intersected(m_area);
            }
            m_obstacles.push_back(box);
            plan.Lines[k] = PageRectOf(box);
            last = box;
        }
        return plan;
    }

    struct TFrame {
        int Item;
        int Obstacle;
        bool Name;
    };

    int along(const QRect &R) const { return m_horizontal ? R.width() : R.height(); }
    int across(const QRect &R) const { return m_horizontal ? R.height() : R.width(); }

    TFreeRoom freeRoom() const { return {m_area, m_obstacles, m_horizontal, m_margin, m_target, kLengthSlack}; }
    double emIn(int Across, int Along, double Ems) const { return freeRoom().emIn(Across, Along, Ems); }
    std::optional<TCandidate> bestFree(double Ems, const std::optional<QRect> &After) const
    {
        TFreeRoom room = freeRoom();
        room.After = After;
        return room.best(Ems);
    }

    // Shortens a frame so that its far end becomes free room for the next
    // line to place (the lengths of the lines still to place in Rest, the
    // next first): as long as that line needs or, where the frame is broad
    // enough for more lines, the longest of those, the frame keeping Keep
    // of its length. Of the frames that give the next line a readable size,
    // the name's is taken unless another gives it a size a tenth larger;
    // then the one giving the largest size, then the broadest. False when
    // none gives a readable size.
    bool shortenAFrame(const std::vector<double> &Rest, double Keep)
    {
        struct TCut {
            size_t frame;
            double em;
            int length;
            int across;
        };
        std::vector<TCut> cuts;
        auto lengthFor = [this](double Ems) {
            return int(std::ceil(Ems * (m_target + 0.5) * kLengthSlack)) + 2 * m_margin;
        };
        for (size_t f = 0; f < m_frames.size(); ++f) {
            // Only the part of the frame inside the area can give room.
            const QRect r = m_obstacles[size_t(m_frames[f].Obstacle)].intersected(m_area);
            if (r.isEmpty())
                continue;
            const int a = across(r);
            const int most = int(along(r) * (1.0 - Keep));
            const double em = emIn(a, std::min(most, lengthFor(Rest.front())), Rest.front());
            if (em < m_least - 1e-9)
                continue;
            const int fit =
                std::max(1, std::min(int(Rest.size()), int(a / ((m_least + 0.5) * kCellShare + 2 * m_margin))));
            int length = 0;
            for (int k = 0; k < fit; ++k)
                length = std::max(length, lengthFor(Rest[size_t(k)]));
            cuts.push_back({f, em, std::min(length, most), a});
        }
        if (cuts.empty())
            return false;
        double largest = 0;
        for (const TCut &c : cuts)
            largest = std::max(largest, c.em);
        const TCut *chosen = nullptr;
        for (const TCut &c : cuts) {
            if (c.em < largest / 1.1 - 1e-9)
                continue;
            const bool name = m_frames[c.frame].Name;
            if (!chosen || (name && !m_frames[chosen->frame].Name) ||
                (name == m_frames[chosen->frame].Name &&
                 (c.em > chosen->em + 1e-9 || (std::abs(c.em - chosen->em) <= 1e-9 && c.across > chosen->across))))
                chosen = &c;
        }
        QRect &r = m_obstacles[size_t(m_frames[chosen->frame].Obstacle)];
        const QRect inside = r.intersected(m_area);
        if (m_horizontal)
            r.setRight(inside.right() - chosen->length);
        else
            r.setBottom(inside.bottom() - chosen->length);
        return true;
    }

    bool m_horizontal = true;
    std::vector<TFrame> m_frames;
};

// A label written across: the lines read last, after the name, by a person
// and by whatever reads the piece's text back (a PDF reader goes by rows,
// and by the columns of text it finds in them). They stand at the far end of
// the frame that reads last (the lowest: the name's), on its foot row, side
// by side; where that row cannot hold them, one under another in a column at
// that end, going on below the frame where the piece has room there and else
// up from its foot row, the first line no higher than a name of the frame's
// own size. The frame gives up the length they take, keeping half of it, or
// a third where half does not do, and room for a name of four characters.
class TRowPlanner : TPieceRoom
{
public:
    TRowPlanner(const TLayoutDocument &D, const std::vector<int> &Leave) : TPieceRoom(D, Leave)
    {
        qint64 bestBottom = std::numeric_limits<qint64>::min();
        // The frame read last: a default text frame of the record's texts,
        // written across, the lowest (then the one further on).
        for (const TTextFrame &f : m_textFrames) {
            const QRect area = m_obstacles[size_t(f.Obstacle)];
            const TMetaRect *text = f.Text;
            const TMergeClass merge = f.Merge;
            if (!text->IsHorizontal())
                continue;
            const qint64 key = qint64(area.bottom()) * 100000 + area.right();
            if (key > bestBottom) {
                bestBottom = key;
                m_last = f.Item;
                m_lastObstacle = f.Obstacle;
                // Where a name of the frame's own size begins, centred
                // across the frame: the first line stands no higher, so
                // that it reads on the name's row or after it.
                m_firstTop = area.top();
                m_keepLength = 0;
                if (merge == TMergeClass::Name) {
                    const int em = std::min(std::abs(text->GetHeight()), area.height() - 2 * m_margin);
                    m_firstTop = area.top() + (area.height() - em) / 2 - m_margin;
                    // A name frame keeps room for a name of four characters
                    // at its own size: a name made smaller than that is
                    // worse than lines that read early (the free room
                    // elsewhere takes them then).
                    m_keepLength = int(std::ceil(kNameEms * em)) + 2 * m_margin;
                }
            }
        }
    }

    std::optional<TAdditionPlan> Plan(const std::vector<TAdditionLine> &Lines) const
    {
        if (m_last < 0 || Lines.empty())
            return std::nullopt;
        // A text of the user's own is as long as it is; a field's value
        // may be a little longer than the one its length is told by (a
        // mobile number has a digit more than a telephone number).
        std::vector<TLength> ems;
        for (const TAdditionLine &line : Lines)
            ems.push_back({lineEms(line), line.Id == 0 ? 1.0 : kRowLengthSlack});
        // The largest size first; the lines side by side before a column
        // that stays at and below the frame's foot, before one going up it.
        // A first line higher than the name's row is the last resort: it
        // would read before the name.
        for (const bool high : {false, true})
            for (const bool upward : {false, true})
                for (const double keep : {0.5, 1.0 / 3.0})
                    for (double em = m_target; em >= m_least - 1e-9; em -= 0.5) {
                        std::optional<TAdditionPlan> plan;
                        if (!upward)
                            plan = sideBySide(ems, std::max(em, m_least), keep);
                        if (!plan)
                            plan = column(ems, std::max(em, m_least), keep, upward);
                        if (plan && (high || plan->Lines.front().Top >= m_firstTop))
                            return plan;
                    }
        return std::nullopt;
    }

private:
    // A line's length in character heights, and the share more it is given.
    struct TLength {
        double Ems;
        double Slack;
    };

    int thickness(double Em) const { return int(std::ceil((Em + 0.5) * kCellShare)) + 2 * m_margin; }
    int lengthOf(const TLength &L, double Em) const
    {
        return int(std::ceil(L.Ems * (Em + 0.5) * L.Slack)) + 2 * m_margin;
    }

    // Whether Box stands on the piece clear of everything but the frame
    // read last (which gives the room up).
    bool clear(const QRect &Box) const
    {
        if (!m_area.contains(Box))
            return false;
        for (size_t i = 0; i < m_obstacles.size(); ++i)
            if (int(i) != m_lastObstacle && m_obstacles[i].intersects(Box))
                return false;
        return true;
    }

    // The lowest row the lines may reach in the columns Left to the frame's
    // end: the frame's foot, or further down the free room below it.
    int footOf(int Left) const
    {
        const QRect frame = m_obstacles[size_t(m_lastObstacle)];
        int foot = m_area.bottom();
        for (size_t i = 0; i < m_obstacles.size(); ++i) {
            const QRect &o = m_obstacles[i];
            if (int(i) != m_lastObstacle && o.right() >= Left && o.left() <= frame.right() && o.top() > frame.bottom())
                foot = std::min(foot, o.top() - 1);
        }
        return std::max(foot, frame.bottom());
    }

    // Every line on one row at the frame's far end, one after another to
    // its end, as low as the room there goes.
    std::optional<TAdditionPlan> sideBySide(const std::vector<TLength> &Ems, double Em, double Keep) const
    {
        const QRect frame = m_obstacles[size_t(m_lastObstacle)];
        const int thick = thickness(Em);
        int total = 0;
        for (const TLength &ems : Ems)
            total += lengthOf(ems, Em);
        if (thick > frame.height() || total > int(frame.width() * (1.0 - Keep)) ||
            frame.width() - total < m_keepLength)
            return std::nullopt;
        const int left = frame.right() + 1 - total;
        const int top = footOf(left) + 1 - thick;
        TAdditionPlan plan;
        int x = left;
        for (const TLength &ems : Ems) {
            const QRect box(x, top, lengthOf(ems, Em), thick);
            if (!clear(box))
                return std::nullopt;
            plan.Lines.push_back(PageRectOf(box));
            x += box.width();
        }
        return plan;
    }

    // One line a row in a column at the frame's far end, as low as the
    // room there goes: from the frame's foot row down, and, when Upward,
    // up the frame from its foot. The lines read top down.
    std::optional<TAdditionPlan> column(const std::vector<TLength> &Ems, double Em, double Keep, bool Upward) const
    {
        const QRect frame = m_obstacles[size_t(m_lastObstacle)];
        const int thick = thickness(Em);
        int width = 0;
        for (const TLength &ems : Ems)
            width = std::max(width, lengthOf(ems, Em));
        if (thick > frame.height() || width > int(frame.width() * (1.0 - Keep)) ||
            frame.width() - width < m_keepLength)
            return std::nullopt;
        const int left = frame.right() + 1 - width;
        const int count = int(Ems.size());
        const int top = footOf(left) + 1 - count * thick;
        if (top < frame.top() || (!Upward && top < frame.bottom() + 1 - thick))
            return std::nullopt;
        TAdditionPlan plan;
        for (int k = 0; k < count; ++k) {
            const QRect box(left, top + k * thick, lengthOf(Ems[size_t(k)], Em), thick);
            if (!clear(box))
                return std::nullopt;
            plan.Lines.push_back(PageRectOf(box));
        }
        return plan;
    }

    int m_last = -1;
    int m_lastObstacle = -1;
    int m_firstTop = 0;
    int m_keepLength = 0;
};

} // namespace

double AdditionLineHeight(const TLayoutDocument &Document)
{
    const TDataFormat format = EffectiveDataFormat(Document);
    const qint32 level = Document.Kind == TLayoutKind::Card ? format.SendAdditionSize : format.AdditionSize;
    const qint32 base = TAdditionRect::Heights[size_t(std::clamp(level >= 1 && level <= 5 ? level : 3, 1, 5) - 1)];
    // As the item scales its font: truncated to whole pixels.
    const qint64 longSide = std::max(Document.Format.Width, Document.Format.Height);
    return double(std::max<qint64>(LeastTextPixels, std::abs(qint64(base) * longSide / BasePaperLongSide)));
}

double ReadableAdditionHeight(const TLayoutDocument &Document)
{
    return std::min(kReadablePx, AdditionLineHeight(Document));
}

TAdditionPlan PlanAdditionLines(const TLayoutDocument &Document, const std::vector<TAdditionLine> &Lines,
                                const std::vector<int> &Leave)
{
    // A label is read as an address, the name last; a business card reads
    // otherwise (its name first) and keeps its lines in the free room.
    if (Document.Kind == TLayoutKind::Label && Document.HorizontalWriting())
        if (std::optional<TAdditionPlan> plan = TRowPlanner(Document, Leave).Plan(Lines))
            return *plan;
    return TPlanner(Document, Leave).Plan(Lines);
}

void ReplaceAdditionLines(TLayoutDocument &Document)
{
    std::vector<int> shown;
    std::vector<TAdditionLine> lines;
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        auto *add = dynamic_cast<TAdditionRect *>(Document.Items[i].get());
        if (!add)
            continue;
        // The boxes are rows or columns as the paper is written: a line
        // still written the way of the paper before (a label turned, a card
        // written down) finds no room for its text in its column, nor rows
        // of its length free on the turned piece, and is left out. A hidden
        // line turns too, for the box it is given when it is shown.
        add->SetHorizontal(Document.HorizontalWriting());
        if (!add->IsVisible())
            continue;
        shown.push_back(int(i));
        lines.push_back({add->GetAddKind(), add->GetAddKind() == 0 ? add->GetContent() : QString()});
    }
    if (shown.empty())
        return;
    const TAdditionPlan plan = PlanAdditionLines(Document, lines, shown);
    for (size_t k = 0; k < shown.size(); ++k)
        Document.Items[size_t(shown[k])]->SetRect(plan.Lines[k]);
}

QString AdditionLineName(const TAdditionRect &Line)
{
    const int id = Line.GetAddKind();
    switch (id) {
    case 0: {
        // A long text is known by its beginning.
        constexpr qsizetype kShown = 16;
        const QString text = Line.GetContent().trimmed();
        return QStringLiteral("「%1」").arg(text.size() > kShown ? text.left(kShown) + QChar(0x2026) : text);
    }
    case 1: return QStringLiteral("逆順電話番号");
    case 2: return QStringLiteral("日付");
    default: break;
    }
    if (id >= 19 && id <= 22)
        return QStringLiteral("連絡先") + QChar(0xFF11 + (id - 19)); // 連絡先１ to 連絡先４
    const QString caption = AdditionCaption(id);
    return caption.isEmpty() ? QStringLiteral("項目%1").arg(id) : caption;
}

namespace {

// Whether Box meets any of Taken over more than an edge.
bool meets(const QRectF &Box, const std::vector<QRectF> &Taken)
{
    return std::any_of(Taken.begin(), Taken.end(), [&Box](const QRectF &T) {
        const QRectF common = Box.intersected(T);
        return common.width() > 1e-6 && common.height() > 1e-6;
    });
}

// Whether Line lays its text out, every text at the least height (a box
// too small for any text prints none).
bool readable(const TAdditionRect &Line)
{
    const int least = int(std::ceil(LeastTextMm / 25.4 * Line.GetMetafile().Dpi().y));
    const auto ops = Line.GetMetafile().TextOps();
    return !ops.isEmpty() && std::all_of(ops.begin(), ops.end(), [least](const TTextOp *Op) {
               return std::abs(Op->Font.Height) >= least;
           });
}

// Whether Line, laid out in a box found for it, prints readably on any
// device: at its own size, or shrunk to its box no closer than a hundredth
// to the least height (kMovedLeastShare): the wizard would otherwise
// promise a line the print leaves out.
bool readableAnywhere(const TAdditionRect &Line, double OwnPx)
{
    const double dpi = Line.GetMetafile().Dpi().y;
    const double least = LeastTextMm / 25.4 * dpi * 1.01;
    const double own = OwnPx * dpi / 96.0 * 0.98;
    const auto ops = Line.GetMetafile().TextOps();
    return readable(Line) && std::all_of(ops.begin(), ops.end(), [least, own](const TTextOp *Op) {
               return std::abs(Op->Font.Height) >= std::min(least, own);
           });
}

// The length of Line's text and the height of its cell, in character
// heights, as its face sets them where it is laid out, or as reckoned where
// it lays out nothing.
struct TPrintedShape {
    double Ems = 1;
    double Cell = kCellShare;
};

TPrintedShape printedShape(const TAdditionRect &Line)
{
    double along = 0, height = 0, cell = 0;
    for (const TTextOp *op : Line.GetMetafile().TextOps()) {
        for (const int a : op->Advances)
            along += a;
        height = std::max(height, double(std::abs(op->Font.Height)));
        cell = std::max(cell, double(op->CellHeight));
    }
    if (height <= 0 || along <= 0)
        return {std::max(1.0, emsOf(Line.PrintedText())), kCellShare};
    return {along / height, std::max(1.0, cell / height)};
}

} // namespace

TRecordAdditionLines::TRecordAdditionLines(TLayoutDocument &Document) : m_document(Document)
{
    std::vector<int> lines;
    for (size_t i = 0; i < Document.Items.size(); ++i)
        if (Document.Items[i]->IsVisible() && Document.OnPrintedSide(i) &&
            dynamic_cast<const TAdditionRect *>(Document.Items[i].get()))
            lines.push_back(int(i));
    if (lines.empty())
        return;
    // What a line's box may not meet: the text the other items print for
    // the record and the frames of the items printing no text. Where a line
    // looks for room of its own, only the addressee's frames are measured
    // by their text: the rest of the piece (a postcode's boxes, a text of
    // the user's own, the sender) keeps its whole frame.
    std::vector<QRectF> taken;
    std::vector<QRect> solid;
    // The printed texts, and the foot of the addressee's lowest one.
    std::vector<QRect> texts;
    int addresseeFoot = 0;
    // A line standing level with another text, close to it along the line,
    // reads on from it, by a person and by a PDF reader alike (「…２０１号室
    // TEL 045…」 as one line of the address, 「…4567 231-0023」 as a
    // telephone number running into the postcode): the texts keep that room
    // clear before and after them along the lines' direction.
    // A line's own box keeps its margin round its text: the texts keep the
    // rest of that room.
    const int margin = TextItemMargin.value;
    const bool rows = Document.HorizontalWriting();
    const auto apart = [rows](const QRectF &Box, double Gap) {
        return rows ? Box.adjusted(-Gap, 0, Gap, 0) : Box.adjusted(0, -Gap, 0, Gap);
    };
    const auto spaced = [&apart, margin](const QRectF &Box) { return apart(Box, kLevelGapPx - margin + 1); };
    // A text's face (its ascent, as a reader of the PDF measures it)
    // reaches past the cell it is set in, above a row and left of a column:
    // a moved line keeps its margin from that.
    const auto clearOf = [&spaced, rows](const QRectF &Box) {
        const QRectF r = spaced(Box);
        return (rows ? r.adjusted(0, -Box.height() * kFaceOverCell, 0, 0)
                     : r.adjusted(-Box.width() * kFaceOverCell, 0, 0, 0))
            .toAlignedRect();
    };
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        TDrawRect &item = *Document.Items[i];
        if (!item.IsVisible() || !Document.OnPrintedSide(i))
            continue;
        if (auto *text = dynamic_cast<TMetaRect *>(&item)) {
            text->Rebuild(false);
            if (dynamic_cast<const TAdditionRect *>(&item))
                continue;
            const std::vector<QRectF> boxes = PrintedTextBoxes(*text);
            for (const QRectF &b : boxes) {
                taken.push_back(spaced(b));
                texts.push_back(b.toAlignedRect());
            }
            if (AddresseePartOf(Document, i).isEmpty()) {
                if (!text->GetRect().isEmpty())
                    solid.push_back(ToQRect(text->GetRect()));
                for (const QRectF &b : boxes)
                    solid.push_back(clearOf(b));
            } else {
                for (const QRectF &b : boxes) {
                    solid.push_back(clearOf(b));
                    addresseeFoot = std::max(addresseeFoot, int(std::ceil(b.bottom())));
                }
            }
            continue;
        }
        const auto *block = dynamic_cast<const TSenderRect *>(&item);
        QRect area = ToQRect(block ? block->GetBlockRect() : item.GetRect());
        if (area.isEmpty())
            continue;
        // The bars keep their blank from a line's text: the line's box
        // keeps its margin blank round the text, which counts in it.
        if (item.GetKind() == TDrawRectKind::Barcode)
            area.adjust(-(kItemGap - margin), -(kItemGap - margin), kItemGap - margin, kItemGap - margin);
        taken.push_back(area);
        solid.push_back(area);
    }
    // A line printing takes, for the record, only the length its text
    // needs (with a margin's blank after it) from the lines after it: its
    // box is longer than most values. Its text keeps its place and size,
    // or the line keeps its whole box.
    auto keep = [this, &taken, &solid, &texts, &apart, &spaced, &clearOf, margin](int Index, TAdditionRect &Line, const TPageRect &Home) {
        const TPageRect r = Line.GetRect();
        QRectF text;
        for (const QRectF &t : PrintedTextBoxes(Line))
            text = text.united(t);
        TPageRect tight = r;
        if (Line.IsHorizontal())
            tight.Right = std::min(r.Right, int(std::ceil(text.right())) + margin + 1);
        else
            tight.Bottom = std::min(r.Bottom, int(std::ceil(text.bottom())) + margin + 1);
        if (!text.isEmpty() && (tight.Right != r.Right || tight.Bottom != r.Bottom)) {
            auto heights = [&Line] {
                std::vector<int> out;
                for (const TTextOp *op : Line.GetMetafile().TextOps())
                    out.push_back(op->Font.Height);
                return out;
            };
            const std::vector<int> before = heights();
            Line.SetRect(tight);
            Line.Rebuild(false);
            if (heights() != before) {
                Line.SetRect(r);
                Line.Rebuild(false);
            }
        }
        if (Line.GetRect() != Home)
            m_moved.push_back({Index, Home});
        // The lines after it keep from its printed text what they keep from
        // every other text, 3 mm along its line and their margin across;
        // the blank its own box keeps round the text is room for them.
        const std::vector<QRectF> printedText = PrintedTextBoxes(Line);
        for (const QRectF &t : printedText) {
            taken.push_back(spaced(t));
            solid.push_back(clearOf(t));
            texts.push_back(t.toAlignedRect());
        }
        if (printedText.empty()) {
            const QRect box = ToQRect(Line.GetRect());
            taken.push_back(box);
            solid.push_back(apart(box, kLevelGapPx - 2 * margin + 1).toAlignedRect());
            texts.push_back(box);
        }
    };
    // The lines are placed in the order asked, the first first: a line
    // without room in its own box takes free room before the lines after it
    // keep theirs, so that where the label cannot hold them all, the last
    // ones are left out. A moved line keeps off the own boxes of the lines
    // still to come where the label has other room for it.
    const double own = AdditionLineHeight(Document);
    std::vector<int> ahead; // lines to come whose own boxes are clear
    for (const int i : lines) {
        const auto &line = static_cast<const TAdditionRect &>(*Document.Items[size_t(i)]);
        if (!line.GetContent().isEmpty() && readable(line) && !meets(ToQRect(line.GetRect()), taken))
            ahead.push_back(i);
    }
    const QSize piece(int(Document.Format.Width * 96 / 254), int(Document.Format.Height * 96 / 254));
    const QRect area(kEdgePx, kEdgePx, piece.width() - 2 * kEdgePx, piece.height() - 2 * kEdgePx);
    // A moved line prints at the least height of every text or larger, a
    // little above it, since a screen and a printer measure a text's length
    // a few hundredths apart.
    const double least = std::min(LeastTextMm / 25.4 * 96.0 * kMovedLeastShare, own);
    // A label written across reads as an address, the name last and the
    // lines after it, as a person and a PDF reader read it. A PDF reader
    // takes a text standing beside another, level with it, for part of the
    // other's line, and reads anything on a later line that stands wholly
    // before it first. So a line there moves first into the room below
    // every addressee text, onto a band of the label no other text shares,
    // after the lines before it there; only where that has no room does it
    // take the room the addressee's texts leave elsewhere (a blank company
    // frame, beside the postcode or a short address line, above the
    // addressee), where it is read where it stands.
    const bool afterTheName = Document.Kind == TLayoutKind::Label && Document.HorizontalWriting();
    // The foot of the lowest line kept below the addressee: the next one
    // there stands lower, so that they read in their order.
    int linesFoot = -1;
    const auto belowTheName = [afterTheName, addresseeFoot](const QRect &Box) {
        return afterTheName && Box.top() >= addresseeFoot;
    };
    // The boxes of the lines placed so far.
    std::vector<QRect> placedBoxes;
    const auto place = [&](int Index, TAdditionRect &Line, const TPageRect &Home) {
        keep(Index, Line, Home);
        placedBoxes.push_back(ToQRect(Line.GetRect()));
        // The next line below the addressee keeps its margin from this
        // one's printed text, not from its box.
        const QRect box = ToQRect(Line.GetRect());
        if (belowTheName(box)) {
            int foot = -1;
            for (const QRectF &t : PrintedTextBoxes(Line))
                foot = std::max(foot, int(std::ceil(t.bottom())));
            linesFoot = std::max(linesFoot, foot >= 0 ? foot : box.bottom());
        }
    };
    // Line found a box in Within among Obstacles: laid out there and kept.
    const auto moveInto = [&](int Index, TAdditionRect &Line, const TPageRect &Home, const QRect &Within,
                              const std::vector<QRect> &Obstacles, const std::optional<QRect> &After) {
        if (Within.isEmpty())
            return false;
        const TPrintedShape shape = printedShape(Line);
        TFreeRoom room{Within, Obstacles, Line.IsHorizontal(), margin, own, kMeasuredSlack, shape.Cell, 0.0};
        room.After = After;
        for (const double longer : {1.0, 1.1, 1.25, 1.5}) {
            const std::optional<TCandidate> found = room.best(shape.Ems * longer);
            if (!found || found->Em < least - 1e-9)
                break;
            Line.SetRect(PageRectOf(found->Box));
            Line.Rebuild(false);
            if (readableAnywhere(Line, own) && !meets(found->Box, taken)) {
                place(Index, Line, Home);
                return true;
            }
        }
        Line.SetRect(Home);
        Line.Rebuild(false);
        return false;
    };
    // The room below the addressee, then the rest of the free room, each
    // first clear of the own boxes of the lines to come. Where After is
    // set, only room read after it, and only clear of those boxes: a line
    // does not keep its order at the cost of a line after it.
    const auto moveAnywhere = [&](int Index, TAdditionRect &Line, const TPageRect &Home,
                                  const std::optional<QRect> &After) {
        for (const bool spare : {true, false}) {
            if (!spare && After)
                break;
            std::vector<QRect> obstacles = solid;
            // A line moved to read after the others keeps clear of their
            // whole boxes, the blank round their text too.
            if (After)
                obstacles.insert(obstacles.end(), placedBoxes.begin(), placedBoxes.end());
            if (spare)
                for (const int j : ahead)
                    obstacles.push_back(ToQRect(Document.Items[size_t(j)]->GetRect()));
            if (afterTheName) {
                int top = std::max(addresseeFoot + margin, linesFoot + 1);
                int bottom = area.bottom();
                if (spare)
                    for (const int j : ahead)
                        if (const QRect other = ToQRect(Document.Items[size_t(j)]->GetRect()); belowTheName(other))
                            bottom = std::min(bottom, other.top() - 1);
                std::vector<QRect> band = obstacles;
                for (const QRect &t : texts)
                    band.push_back(QRect(area.left(), t.top(), area.width(), t.height()));
                const QRect within(QPoint(area.left(), std::max(area.top(), top)), QPoint(area.right(), bottom));
                if (moveInto(Index, Line, Home, within, band, After))
                    return true;
                // Elsewhere, never above a line kept below the addressee.
                if (linesFoot >= 0)
                    obstacles.push_back(QRect(QPoint(area.left(), addresseeFoot), QPoint(area.right(), linesFoot)));
            }
            if (moveInto(Index, Line, Home, area, obstacles, After))
                return true;
        }
        return false;
    };
    // The lines placed, each read after the one placed before it where the
    // piece has room for that (Ordered), else where it stands or finds room.
    const auto placeAll = [&](bool Ordered) {
        // The box of the line placed last.
        std::optional<QRect> last;
        for (const int i : lines) {
            auto &line = static_cast<TAdditionRect &>(*Document.Items[size_t(i)]);
            if (line.GetContent().isEmpty())
                continue; // nothing to print for the record
            ahead.erase(std::remove(ahead.begin(), ahead.end(), i), ahead.end());
            const TPageRect home = line.GetRect();
            const QRect box = ToQRect(home);
            const bool homeFree =
                readable(line) && !meets(box, taken) && (!belowTheName(box) || box.top() > linesFoot);
            if (homeFree && (!Ordered || !last || ReadsFirst(*last, box, rows))) {
                place(i, line, home);
                last = ToQRect(line.GetRect());
                continue;
            }
            // A line read out of its order where it stands, or with no room
            // there, looks for room read after the line before it; one that
            // has none is better printed out of its order than left out: in
            // its own box where that is free, else wherever there is room.
            bool placed = Ordered && last && moveAnywhere(i, line, home, last);
            if (!placed && homeFree) {
                place(i, line, home);
                placed = true;
            }
            if (!placed)
                placed = moveAnywhere(i, line, home, std::nullopt);
            if (placed)
                last = ToQRect(line.GetRect());
            else
                m_leftOut.push_back(i);
        }
    };
    // A line moved to keep the order may take the room a line after it
    // needed: where the lines in their order leave more out than the lines
    // each where it has room, the lines print out of their order.
    const std::vector<QRectF> takenBefore = taken;
    const std::vector<QRect> solidBefore = solid, textsBefore = texts;
    const std::vector<int> aheadBefore = ahead;
    std::vector<TPageRect> homes;
    for (const int i : lines)
        homes.push_back(Document.Items[size_t(i)]->GetRect());
    const auto reset = [&] {
        taken = takenBefore;
        solid = solidBefore;
        texts = textsBefore;
        ahead = aheadBefore;
        linesFoot = -1;
        placedBoxes.clear();
        m_moved.clear();
        m_leftOut.clear();
        for (size_t k = 0; k < lines.size(); ++k) {
            auto &line = static_cast<TAdditionRect &>(*Document.Items[size_t(lines[k])]);
            if (line.GetRect() != homes[k]) {
                line.SetRect(homes[k]);
                line.Rebuild(false);
            }
        }
    };
    // How a placing did: the lines it left out, then the lines printed out
    // of their order (each read before the one printed before it).
    const auto outcome = [&] {
        int late = 0;
        std::optional<QRect> before;
        for (const int i : lines) {
            if (Document.Items[size_t(i)]->GetRect().isEmpty() ||
                std::find(m_leftOut.begin(), m_leftOut.end(), i) != m_leftOut.end() ||
                static_cast<const TAdditionRect &>(*Document.Items[size_t(i)]).GetContent().isEmpty())
                continue;
            const QRect box = ToQRect(Document.Items[size_t(i)]->GetRect());
            if (before && !ReadsFirst(*before, box, rows))
                ++late;
            before = box;
        }
        return std::pair<size_t, int>{m_leftOut.size(), late};
    };
    placeAll(true);
    const std::pair<size_t, int> inOrder = outcome();
    if (inOrder.first > 0 || inOrder.second > 0) {
        reset();
        placeAll(false);
        if (outcome() >= inOrder) {
            reset();
            placeAll(true);
        }
    }
}

TRecordAdditionLines::~TRecordAdditionLines()
{
    for (const auto &[index, own] : m_moved)
        m_document.Items[size_t(index)]->SetRect(own);
}

std::vector<int> TRecordAdditionLines::Moved() const
{
    std::vector<int> out;
    for (const auto &moved : m_moved)
        out.push_back(moved.first);
    return out;
}

std::vector<int> LeftOutAdditionLines(TLayoutDocument &Document)
{
    return TRecordAdditionLines(Document).LeftOut();
}
