// How near a layout's customer barcode comes to an edge of the postcard or
// envelope, which the print wizard warns of below 10 mm: the default frames
// of every postal paper keep it farther, an enlarged or moved barcode does
// not, and pieces that are not posted themselves (labels) are not measured.
#include "EditorsFixture.h"
#include "editors/PrintLoop.h"
#include "items/BarRect.h"
#include "support/RowName.h"

#include <functional>
#include <string>
#include <vector>

namespace {

TBarcodeRect *barcodeOf(TLayoutDocument &Document)
{
    for (auto &item : Document.Items)
        if (auto *bar = dynamic_cast<TBarcodeRect *>(item.get()))
            return bar;
    return nullptr;
}

// Every postcard and envelope of the catalogue in both frame sets: the bars
// stand 10 mm and more inside (Japan Post's limit), so no print warns.
std::vector<int> postalPapers()
{
    std::vector<int> papers;
    for (int i = 0; i < 40; ++i) {
        const TPaperKind kind = catalogueFormat(i).PaperKind();
        if (catalogueFormat(i).Width > 0 && (kind == TPaperKind::Postcard || kind == TPaperKind::Envelope))
            papers.push_back(i);
    }
    return papers;
}

class DefaultFramesBars : public ::testing::TestWithParam<int>
{
};

TEST_P(DefaultFramesBars, standTenMillimetresInside)
{
    for (bool detail : {false, true}) {
        TLayoutDocument d;
        d.Detail = detail;
        loadLayout(d, GetParam(), TLayoutKind::AddressSide);
        ASSERT_NE(barcodeOf(d), nullptr);
        EXPECT_GE(BarsFromPieceEdge(d), 100) << (detail ? "detailed set" : "simple set");
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, DefaultFramesBars, ::testing::ValuesIn(postalPapers()),
                         [](const auto &Info) { return "paper" + std::to_string(Info.param); });

// One change of a layout and the distance it leaves, in 0.1 mm (rounded
// down), or -1 when nothing is measured.
struct EdgeCase {
    const char *name;
    int paper;
    std::function<void(TLayoutDocument &)> change;
    int expected;
};

class BarsFromEdge : public ::testing::TestWithParam<EdgeCase>
{
};

TEST_P(BarsFromEdge, measuresTheNearestEdge)
{
    TLayoutDocument d;
    loadLayout(d, GetParam().paper, GetParam().paper >= 14 ? TLayoutKind::Label : TLayoutKind::AddressSide);
    ASSERT_NE(barcodeOf(d), nullptr);
    GetParam().change(d);
    EXPECT_EQ(BarsFromPieceEdge(d), GetParam().expected);
}

// The bars moved so that their left end stands Px page pixels (96 per inch)
// from the left edge.
std::function<void(TLayoutDocument &)> leftAt(int Px)
{
    return [Px](TLayoutDocument &D) {
        TBarcodeRect *bar = barcodeOf(D);
        const TPageRect r = bar->GetRect();
        bar->SetRect({Px, r.Top, Px + r.width(), r.Bottom});
    };
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BarsFromEdge,
    ::testing::Values(
        // The horizontal postcard's bars at 10 points: 304 px (80.4 mm)
        // centred where the 8-point bars stood (53 px from the left), so
        // 23 px further left: 30 px, 7.9 mm from the left edge.
        EdgeCase{"enlargedToTenPoints", 1, [](TLayoutDocument &D) { barcodeOf(D)->SetBarSize(2); }, 79},
        // 38 px is 10.05 mm, 37 px 9.79 mm: the limit on both sides.
        EdgeCase{"movedJustOutsideTheLimit", 1, leftAt(38), 100},
        EdgeCase{"movedJustInsideTheLimit", 1, leftAt(37), 97},
        EdgeCase{"movedOverTheEdge", 1, leftAt(-5), 0},
        // The vertical envelope's upright bars, moved to the top edge.
        EdgeCase{"uprightBarsAtTheTop", 2,
                 [](TLayoutDocument &D) {
                     TBarcodeRect *bar = barcodeOf(D);
                     const TPageRect r = bar->GetRect();
                     bar->SetRect({r.Left, 20, r.Right, 20 + r.height()});
                 },
                 52},
        EdgeCase{"hiddenBars", 0, [](TLayoutDocument &D) { barcodeOf(D)->SetVisible(false); }, -1},
        // A label is stuck onto the piece posted: its own edges are not the piece's.
        EdgeCase{"labelSheet", 14, leftAt(2), -1}),
    rowName);

} // namespace
