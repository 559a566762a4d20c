// The default frames of every paper of the catalogue, both sets, each side
// of an envelope: every frame that prints has a place of its own (no two
// overlap, so no text prints over another), the bars keep 2 mm of blank
// round them (Japan Post reads them only so), and the name block reads in
// its order: company, department, title, name (a short title stands in the
// name's frame before the name), with nothing on a later line standing
// wholly before a frame that shares its line with another. Measured on the
// items the editors build from the frames, the bars as they are laid.
#include "EditorsFixture.h"
#include "items/BarRect.h"

#include <QRectF>

#include <algorithm>
#include <cmath>
#include <map>

#include <string>
#include <vector>

namespace {

constexpr double kClearMm = 2.0;
// Frames whose middles lie this close across the writing stand on one line.
constexpr double kSameLineMm = 0.25;

// The frame roles in the order the layout document numbers them.
enum Role : int {
    rPostcode,
    rAddress,
    rAddress1,
    rAddress2,
    rCompany,
    rDepartment,
    rPost,
    rName,
    rJoint,
    rBarcode,
    rSenderPostcode,
    rSenderAddress,
    rSenderName
};

const char *roleName(int Role)
{
    static const char *names[] = {"postcode", "address",    "address1",   "address2",        "company",
                                  "department", "post",     "name",       "joint",           "barcode",
                                  "sender-postcode", "sender-address", "sender-name"};
    return Role >= 0 && Role < int(std::size(names)) ? names[Role] : "own item";
}

struct SetCase {
    int paper;
    bool detail;
    bool senderSide; // an envelope's back
    std::string name;
};

TLayoutKind kindOf(TPaperKind Kind)
{
    return Kind == TPaperKind::Label ? TLayoutKind::Label
           : Kind == TPaperKind::Card ? TLayoutKind::Card
                                      : TLayoutKind::AddressSide;
}

std::vector<SetCase> everySet()
{
    QFile file(QStringLiteral(MURVEN_PAPER_SOURCE));
    TPaperSource source;
    if (!file.open(QIODevice::ReadOnly) || !PaperCatalogue::parse(QString::fromUtf8(file.readAll()), source, nullptr))
        return {{-1, false, false, "catalogueUnreadable"}};
    std::vector<SetCase> cases;
    for (int i = 0; i < source.Layouts.Records.size(); ++i) {
        const bool envelope = source.Layouts.Records.at(i).PaperKind() == TPaperKind::Envelope;
        for (const bool detail : {false, true})
            for (const bool back : {false, true})
                if (!back || envelope)
                    cases.push_back({i, detail, back,
                                     "paper" + std::to_string(i) + (detail ? "Detail" : "Simple") +
                                         (back ? "Back" : "")});
    }
    return cases;
}

QRectF mmOf(const TPageRect &R)
{
    auto mm = [](qint32 Px) { return Px * 25.4 / 96.0; };
    return QRectF(QPointF(mm(R.Left), mm(R.Top)), QPointF(mm(R.Right), mm(R.Bottom)));
}

QRectF mmOf(const TFrameRect &R)
{
    return mmOf(TPageRect{R.Left, R.Top, R.Right, R.Bottom});
}

// The distance between two rectangles, 0 when they touch or overlap.
double distance(const QRectF &A, const QRectF &B)
{
    const double dx = std::max({0.0, B.left() - A.right(), A.left() - B.right()});
    const double dy = std::max({0.0, B.top() - A.bottom(), A.top() - B.bottom()});
    return std::hypot(dx, dy);
}

std::string text(const QRectF &R)
{
    return QStringLiteral("(%1, %2)-(%3, %4) mm")
        .arg(R.left(), 0, 'f', 2)
        .arg(R.top(), 0, 'f', 2)
        .arg(R.right(), 0, 'f', 2)
        .arg(R.bottom(), 0, 'f', 2)
        .toStdString();
}

// What the editor lays out for one set: its frames that print, the bars.
struct LaidSet {
    struct Frame {
        int role;
        QRectF mm;
    };
    bool horizontal = false;
    TLayoutKind kind = TLayoutKind::AddressSide;
    std::vector<Frame> frames;
    QRectF bars, barFrame; // empty when the paper prints no bars
    TPaperKind paperKind = TPaperKind::Postcard;
    QRectF piece; // the piece in mm, its top left corner at 0, 0
};

LaidSet laidOut(const SetCase &Case)
{
    LaidSet out;
    TLayoutDocument doc;
    const TLayoutFormat format = catalogueFormat(Case.paper);
    doc.Detail = Case.detail;
    doc.SenderAsAddressee = Case.senderSide;
    loadLayout(doc, Case.paper, kindOf(format.PaperKind()));
    const TFrameSet &set = doc.Detail ? doc.Format.Detail : doc.Format.Simple;
    for (size_t i = 0; i < doc.Items.size() && i < doc.ItemRoles.size(); ++i) {
        if (!doc.Items[i]->IsVisible() || !doc.OnPrintedSide(i))
            continue;
        if (doc.ItemRoles[i] == rBarcode) {
            out.bars = mmOf(doc.Items[i]->GetRect());
            out.barFrame = mmOf(set.Rects[i]);
        } else {
            out.frames.push_back({doc.ItemRoles[i], mmOf(doc.Items[i]->GetRect())});
        }
    }
    out.horizontal = doc.HorizontalWriting();
    out.kind = doc.Kind;
    out.paperKind = doc.Format.PaperKind();
    out.piece = QRectF(0, 0, doc.Format.Width / 10.0, doc.Format.Height / 10.0);
    return out;
}

class FramePlaces : public ::testing::TestWithParam<SetCase>
{
public:
    using Frame = LaidSet::Frame;

protected:
    // Each set is laid out once; every rule below reads that one layout.
    void SetUp() override
    {
        ASSERT_GE(GetParam().paper, 0) << "the catalogue did not parse";
        static std::map<std::string, LaidSet> sets;
        auto found = sets.find(GetParam().name);
        if (found == sets.end())
            found = sets.emplace(GetParam().name, laidOut(GetParam())).first;
        const LaidSet &set = found->second;
        frames = set.frames;
        bars = set.bars;
        barFrame = set.barFrame;
        horizontal = set.horizontal;
        kind = set.kind;
        paperKind = set.paperKind;
        piece = set.piece;
        ASSERT_FALSE(frames.empty());
    }

    std::vector<Frame> frames;
    QRectF bars, barFrame; // empty when the paper prints no bars
    bool horizontal = false;
    TLayoutKind kind = TLayoutKind::AddressSide;
    TPaperKind paperKind = TPaperKind::Postcard;
    QRectF piece;
};

TEST_P(FramePlaces, noTwoPrintedFramesOverlap)
{
    for (size_t a = 0; a < frames.size(); ++a)
        for (size_t b = a + 1; b < frames.size(); ++b) {
            const QRectF common = frames[a].mm.intersected(frames[b].mm);
            EXPECT_TRUE(common.width() <= 1e-9 || common.height() <= 1e-9)
                << roleName(frames[a].role) << " " << text(frames[a].mm) << " and " << roleName(frames[b].role)
                << " " << text(frames[b].mm) << " share " << text(common);
        }
}

TEST_P(FramePlaces, everyFrameKeepsTwoMillimetresFromTheBars)
{
    if (bars.isEmpty())
        GTEST_SKIP() << "the paper prints no bars";
    for (const Frame &f : frames) {
        EXPECT_GE(distance(f.mm, bars), kClearMm)
            << roleName(f.role) << " " << text(f.mm) << ", bars " << text(bars);
        EXPECT_GE(distance(f.mm, barFrame), kClearMm)
            << roleName(f.role) << " " << text(f.mm) << ", barcode frame " << text(barFrame);
    }
}

// A label or card is cut from its sheet: its bars keep 2 mm inside the cut,
// as every other item placed on it does.
TEST_P(FramePlaces, barsOfALabelOrCardKeepTwoMillimetresInsideTheCut)
{
    if (bars.isEmpty())
        GTEST_SKIP() << "the paper prints no bars";
    if (paperKind != TPaperKind::Label && paperKind != TPaperKind::Card)
        GTEST_SKIP() << "postcards and envelopes keep 10 mm (BarsFromEdgeTest)";
    const double inside = std::min({bars.left() - piece.left(), bars.top() - piece.top(),
                                    piece.right() - bars.right(), piece.bottom() - bars.bottom()});
    EXPECT_GE(inside, kClearMm) << "bars " << text(bars) << " on a piece " << text(piece);
}

// Horizontal writing reads rows top down, each from the left; vertical
// writing reads columns from the right, each top down. A frame's text stands
// across the middle of the frame: B follows A when its middle lies on a later
// row (column) than A's, or on the same one (within a quarter of a
// millimetre) further on. A frame set lower than the one beside it at the
// far end of its line (a label's department) reads after it.
bool follows(const QRectF &A, const QRectF &B, bool Horizontal)
{
    const double later = Horizontal ? B.center().y() - A.center().y() : A.center().x() - B.center().x();
    const bool furtherOn = Horizontal ? B.left() >= A.right() - 1e-9 : B.top() >= A.bottom() - 1e-9;
    return later > kSameLineMm || (std::abs(later) <= kSameLineMm && furtherOn);
}

// Checks that the frames of Roles that print stand in that reading order.
void expectReadingOrder(const std::vector<FramePlaces::Frame> &Frames, const std::vector<int> &Roles, bool Horizontal)
{
    const FramePlaces::Frame *previous = nullptr;
    for (const int role : Roles) {
        const auto f = std::find_if(Frames.begin(), Frames.end(), [role](const auto &F) { return F.role == role; });
        if (f == Frames.end())
            continue;
        if (previous) {
            EXPECT_TRUE(follows(previous->mm, f->mm, Horizontal))
                << roleName(role) << " " << text(f->mm) << " does not follow " << roleName(previous->role) << " "
                << text(previous->mm);
        }
        previous = &*f;
    }
}

TEST_P(FramePlaces, nameBlockReadsCompanyDepartmentTitleName)
{
    expectReadingOrder(frames, {rCompany, rDepartment, rPost, rName, rJoint}, horizontal);
}

// A reader that takes a piece's text as blocks (a PDF reader, as people copy
// it) reads a text that stands on a later line but wholly before the start
// of a text at the far end of an earlier line before that one: a frame
// that shares its line with one before it is followed by no frame wholly
// before it. (The title's frame under the company, left of a department
// beside the company, read company, title, department.)
TEST_P(FramePlaces, noLaterFrameStandsWhollyBeforeOneBesideAnother)
{
    if (!horizontal)
        GTEST_SKIP() << "vertical writing";
    // The card editor keeps the automatic frames: its detailed set never prints.
    if (kind == TLayoutKind::Card && GetParam().detail)
        GTEST_SKIP() << "a card's detailed set";
    for (const Frame &first : frames)
        for (const Frame &beside : frames) {
            const bool sameLine = &first != &beside &&
                                  std::abs(beside.mm.center().y() - first.mm.center().y()) <= kSameLineMm &&
                                  beside.mm.left() >= first.mm.right() - 1e-9;
            if (!sameLine)
                continue;
            for (const Frame &later : frames) {
                if (later.mm.center().y() - beside.mm.center().y() <= kSameLineMm)
                    continue;
                EXPECT_GT(later.mm.right(), beside.mm.left() + 1e-9)
                    << roleName(later.role) << " " << text(later.mm) << " stands before " << roleName(beside.role)
                    << " " << text(beside.mm) << ", beside " << roleName(first.role) << " " << text(first.mm);
            }
        }
}

TEST_P(FramePlaces, addressReadsLineByLine)
{
    expectReadingOrder(frames, {rAddress1, rAddress2}, horizontal);
}

INSTANTIATE_TEST_SUITE_P(EveryPaper, FramePlaces, ::testing::ValuesIn(everySet()),
                         [](const auto &Info) { return Info.param.name; });

} // namespace
