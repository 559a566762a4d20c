// Where the default frame sets of every postcard and envelope put the
// customer barcode, measured on the bars as they print: Japan Post reads
// them only on the face less 10 mm from every edge and less the postmark
// area (70 x 35 mm in the stamp's corner), with 2 mm clear all round,
// beside or under a vertical address and under a horizontal name. A
// vertical postcard printed through the print wizard is measured on the PDF.
#include "PrintedInk.h"
#include "editors/LayoutForm.h"
#include "items/AddressRect.h"
#include "items/NameRect.h"
#include "support/PostBars.h"

#include <QAction>
#include <QRectF>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kEdge = 10.0;    // mm of the face Japan Post keeps free
constexpr double kClear = 2.0;    // mm of blank around the bars
constexpr double kStampLong = 70; // the postmark area, mm
constexpr double kStampShort = 35;
constexpr int kDpi = 600;

struct PlaceCase {
    int paper;
    bool detail;
    std::string name;
};

std::vector<PlaceCase> postalCases()
{
    QFile file(QStringLiteral(MURVEN_PAPER_SOURCE));
    TPaperSource source;
    if (!file.open(QIODevice::ReadOnly) || !PaperCatalogue::parse(QString::fromUtf8(file.readAll()), source, nullptr))
        return {{-1, false, "catalogueUnreadable"}};
    std::vector<PlaceCase> cases;
    for (int i = 0; i < source.Layouts.Records.size(); ++i) {
        const TPaperKind kind = source.Layouts.Records.at(i).PaperKind();
        if (kind != TPaperKind::Postcard && kind != TPaperKind::Envelope)
            continue;
        for (bool detail : {false, true})
            cases.push_back({i, detail, "paper" + std::to_string(i) + (detail ? "Detail" : "Simple")});
    }
    return cases;
}

QRectF mmOf(const TPageRect &R)
{
    auto mm = [](qint32 Px) { return Px * 25.4 / 96.0; };
    return QRectF(QPointF(mm(R.Left), mm(R.Top)), QPointF(mm(R.Right), mm(R.Bottom)));
}

// True when the two rectangles share more than an edge.
bool overlaps(const QRectF &A, const QRectF &B)
{
    return A.left() < B.right() && B.left() < A.right() && A.top() < B.bottom() && B.top() < A.bottom();
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

// One set as the editor lays it out, and the bars as they fill a 600-dpi page.
struct LaidBars {
    TLayoutDocument doc;
    QSizeF face;
    TBarcodeRect *bar = nullptr;
    size_t barIndex = 0;
    QRectF bars;
};

void layOut(const PlaceCase &Case, LaidBars &Out)
{
    TLayoutDocument &doc = Out.doc;
    doc.Detail = Case.detail;
    loadLayout(doc, Case.paper, TLayoutKind::AddressSide);
    Out.face = QSizeF(doc.Format.Width / 10.0, doc.Format.Height / 10.0);
    for (size_t i = 0; i < doc.Items.size(); ++i)
        if (doc.Items[i]->GetKind() == TDrawRectKind::Barcode)
            Out.bar = static_cast<TBarcodeRect *>(doc.Items[i].get()), Out.barIndex = i;
    if (!Out.bar)
        return;
    Out.bar->CalcPrintRect({}, TPrinterGeometry{{kDpi, kDpi}, 0, 0}, true);
    const TDotRect d = Out.bar->GetPrintRect();
    auto mm = [](qint32 Dots) { return Dots * 25.4 / kDpi; };
    Out.bars = QRectF(QPointF(mm(d.Left), mm(d.Top)), QPointF(mm(d.Right), mm(d.Bottom)));
}

class BarcodePlace : public ::testing::TestWithParam<PlaceCase>
{
protected:
    // Each set is laid out once; every rule below reads that one layout.
    void SetUp() override
    {
        ASSERT_GE(GetParam().paper, 0) << "the catalogue did not parse";
        static std::map<std::string, std::unique_ptr<LaidBars>> sets;
        std::unique_ptr<LaidBars> &set = sets[GetParam().name];
        if (!set) {
            set = std::make_unique<LaidBars>();
            layOut(GetParam(), *set);
        }
        laid = set.get();
        ASSERT_NE(laid->bar, nullptr);
        ASSERT_TRUE(laid->bar->IsVisible());
        ASSERT_TRUE(doc().OnPrintedSide(laid->barIndex));
        face = laid->face;
        bars = laid->bars;
    }

    const TLayoutDocument &doc() const { return laid->doc; }

    // The other items the printed side shows.
    std::vector<std::pair<size_t, QRectF>> others() const
    {
        std::vector<std::pair<size_t, QRectF>> out;
        for (size_t i = 0; i < doc().Items.size(); ++i)
            if (i != laid->barIndex && doc().Items[i]->IsVisible() && doc().OnPrintedSide(i))
                out.push_back({i, mmOf(doc().Items[i]->GetRect())});
        return out;
    }

    const LaidBars *laid = nullptr;
    QSizeF face;
    QRectF bars;
};

TEST_P(BarcodePlace, barsStayTenMillimetresInsideTheFaceWithTwoClear)
{
    const double inside = kEdge + kClear;
    EXPECT_GE(bars.left(), inside) << text(bars);
    EXPECT_GE(bars.top(), inside) << text(bars);
    EXPECT_GE(face.width() - bars.right(), inside) << text(bars);
    EXPECT_GE(face.height() - bars.bottom(), inside) << text(bars);
}

TEST_P(BarcodePlace, barsKeepTwoMillimetresOffThePostmarkArea)
{
    // The stamp's corner: top left of upright mail, top right of mail used
    // lying. The area is kept free both ways round.
    const bool upright = face.height() >= face.width();
    const QRectF clear = bars.adjusted(-kClear, -kClear, kClear, kClear);
    for (const QSizeF area : {QSizeF(kStampLong, kStampShort), QSizeF(kStampShort, kStampLong)}) {
        const QRectF stamp(QPointF(upright ? 0 : face.width() - area.width(), 0), area);
        EXPECT_FALSE(overlaps(clear, stamp)) << text(bars) << " postmark " << text(stamp);
    }
}

TEST_P(BarcodePlace, barsKeepTwoMillimetresFromEveryOtherPrintedFrame)
{
    const QRectF clear = bars.adjusted(-kClear, -kClear, kClear, kClear);
    for (const auto &[index, rect] : others())
        EXPECT_FALSE(overlaps(clear, rect)) << text(bars) << " item " << index << " " << text(rect);
}

TEST_P(BarcodePlace, barsHaveASizeOfTheTable)
{
    // 8 to 11 points: the length and the height of the bars in mm.
    const double along = std::max(bars.width(), bars.height());
    const double across = std::min(bars.width(), bars.height());
    const QList<QPair<double, double>> sizes{{68.26, 2.91}, {74.35, 3.18}, {80.44, 3.44}, {92.87, 3.97}};
    bool found = false;
    for (const auto &[length, height] : sizes)
        found = found || (std::abs(along - length) < 0.1 && std::abs(across - height) < 0.1);
    EXPECT_TRUE(found) << text(bars);
}

TEST_P(BarcodePlace, barsStandBesideAVerticalAddressOrUnderAHorizontalName)
{
    QRectF address, name;
    for (const auto &[index, rect] : others()) {
        const TDrawRect *item = doc().Items[index].get();
        if (const auto *a = dynamic_cast<const TAddressRect *>(item); a && !a->IsSender())
            address |= rect;
        else if (const auto *n = dynamic_cast<const TNameRect *>(item); n && !n->IsSender())
            name |= rect;
    }
    ASSERT_FALSE(address.isEmpty());
    ASSERT_FALSE(name.isEmpty());
    if (doc().HorizontalWriting()) {
        EXPECT_GE(bars.top(), name.bottom()) << text(bars) << " name " << text(name);
    } else {
        EXPECT_TRUE(bars.right() <= address.left() || bars.left() >= address.right() ||
                    bars.top() >= address.bottom())
            << text(bars) << " address " << text(address);
    }
}

INSTANTIATE_TEST_SUITE_P(DefaultFrames, BarcodePlace, ::testing::ValuesIn(postalCases()),
                         [](const auto &info) { return info.param.name; });

// The vertical postcard printed through the print wizard: the bars found on
// the PDF's page image stand inside Japan Post's limits with nothing else
// printed within 2 mm of them, and read back as a customer barcode.
class PostcardBarcodePrint : public PrintedInkFixture, public ::testing::Test
{
protected:
    QImage printFirstRecord(TPrintEditor &Editor) { return PrintThroughWizard(Editor, 1, 600, kPageDpi); }

    static constexpr int kPageDpi = 300;
};

TEST_F(PostcardBarcodePrint, verticalPostcardPrintsItsBarsWhereJapanPostReadsThem)
{
    TLayoutForm editor(nullptr, host);
    TLabelGrid grid;
    editor.SetLayout(0, catalogueFormat(0, &grid), grid);
    const QImage page = printFirstRecord(editor);
    ASSERT_FALSE(page.isNull()) << "nothing printed";
    auto dots = [](double Mm) { return int(std::lround(Mm / 25.4 * kPageDpi)); };
    auto mm = [](int Dots) { return Dots * 25.4 / kPageDpi; };
    ASSERT_NEAR(page.width(), dots(100), 4); // the PDF page is whole points
    const TDrawRect *bar = nullptr;
    for (const auto &item : editor.Document().Items)
        if (item->GetKind() == TDrawRectKind::Barcode)
            bar = item.get();
    ASSERT_NE(bar, nullptr);
    // The ink where the layout puts the bars, a little around them.
    const QRect ink = InkAround(page, mmOf(bar->GetRect()), kPageDpi);
    ASSERT_FALSE(ink.isEmpty()) << "no bars printed";
    const TReadPostBars read = readPostBars(barsInImage(page, ink));
    EXPECT_TRUE(read.Valid) << read.Error.toStdString();
    const double left = mm(ink.left()), top = mm(ink.top());
    const double right = 100 - mm(ink.right() + 1), bottom = 148 - mm(ink.bottom() + 1);
    RecordProperty("bars_mm_from_left_top_right_bottom",
                   QStringLiteral("%1 %2 %3 %4").arg(left, 0, 'f', 1).arg(top, 0, 'f', 1).arg(right, 0, 'f', 1)
                       .arg(bottom, 0, 'f', 1)
                       .toStdString());
    for (double edge : {left, top, right, bottom})
        EXPECT_GE(edge, kEdge + kClear) << left << " " << top << " " << right << " " << bottom;
    // Nothing else within 2 mm of the bars (a dot of rasterising allowed).
    const int ring = dots(kClear) - 1;
    const QRect around = ink.adjusted(-ring, -ring, ring, ring);
    EXPECT_EQ(inkIn(page, around) - inkIn(page, ink), 0);
}

} // namespace
