// A frame of a postcard or an envelope is picked in the editor by a click on
// what it shows: the characters of the name, the address, the postcode, the
// bars of the barcode. The layout is built as 新規作成 builds it, a record
// with a joint name merged, and every frame clicked at a point of its own
// ink where its handles do not lie.
#include "PrintedInk.h"
#include "editors/LayoutForm.h"
#include "editors/PageView.h"
#include "items/BarRect.h"
#include "items/IllustRect.h"
#include "items/SenderRect.h"
#include "items/WordRect.h"
#include "support/RowName.h"
#include "support/Screenshot.h"

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

namespace {

struct PickCase {
    const char *name;
    int paper;
    // 書式 → 詳細: the frames laid out one by one (company lines, joint names).
    bool detail;
    // An envelope's back: the sender's frames.
    bool back;
    // The addressee a company person: the company lines show.
    bool company = false;
};

// An address-side editor and where on its page an item can be clicked.
class PagePick : public PrintedInkFixture
{
protected:
    TPageView *view() { return editor.PageView(); }
    TLayoutDocument &document() { return editor.Document(); }

    // The item's frame on the page view.
    QRect onScreen(size_t Index)
    {
        const TScreenRect r = document().Items[Index]->GetDispRect();
        return QRect(TPageView::Margin + r.Left, TPageView::Margin + r.Top, r.width(), r.height());
    }

    // The ink the item Index draws by itself, where the view shows it, at the
    // view's coordinates.
    QImage inkOf(size_t Index)
    {
        QImage alone(view()->size(), QImage::Format_RGB32);
        alone.fill(Qt::white);
        QPainter painter(&alone);
        painter.setRenderHint(QPainter::Antialiasing);
        document().Items[Index]->Draw(painter, TPageView::Margin, TPageView::Margin);
        return alone;
    }

    // Pixels of the item's own ink inside its frame that the page shows.
    int visibleInk(size_t Index, const QImage &Shown)
    {
        const QImage ink = inkOf(Index);
        const QRect frame = onScreen(Index).intersected(Shown.rect());
        int count = 0;
        for (int y = frame.top(); y <= frame.bottom(); ++y)
            for (int x = frame.left(); x <= frame.right(); ++x)
                count += isInk(ink.pixel(x, y)) && isInk(Shown.pixel(x, y)) ? 1 : 0;
        return count;
    }

    // A point of the item's own ink, visible on the page, inside its frame,
    // off the lines its handles lie on (3 pixels about each edge and the
    // middle, across or down) and under no item drawn above it: the ink
    // point nearest the middle of its ink. None when it shows no such ink.
    std::optional<QPoint> clickPoint(size_t Index, const QImage &Shown)
    {
        const QImage ink = inkOf(Index);
        const QRect frame = onScreen(Index);
        const auto offHandles = [](int V, int From, int To) {
            const auto near = [V](int At) { return std::abs(V - At) <= 3; };
            return !near(From) && !near(From + (To - From) / 2) && !near(To - 1);
        };
        QList<QPoint> points;
        const QRect area = frame.intersected(Shown.rect());
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                if (!isInk(ink.pixel(x, y)) || !isInk(Shown.pixel(x, y)))
                    continue;
                if (!offHandles(x, frame.left(), frame.left() + frame.width()) &&
                    !offHandles(y, frame.top(), frame.top() + frame.height()))
                    continue;
                bool covered = false;
                for (size_t j = Index + 1; j < document().Items.size(); ++j)
                    covered = covered || (document().OnPrintedSide(j) && onScreen(j).contains(x, y));
                if (!covered)
                    points.append(QPoint(x, y));
            }
        if (points.isEmpty())
            return std::nullopt;
        QPointF middle;
        for (const QPoint p : points)
            middle += QPointF(p);
        middle /= double(points.size());
        QPoint best = points.first();
        double distance = std::numeric_limits<double>::max();
        for (const QPoint p : points) {
            const double d = std::hypot(p.x() - middle.x(), p.y() - middle.y());
            if (d < distance)
                distance = d, best = p;
        }
        return best;
    }

    // The page as the view shows it.
    QImage shownPage() { return view()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    TLayoutForm editor{nullptr, host};
};

class ItemPick : public PagePick, public ::testing::TestWithParam<PickCase>
{
protected:
    void SetUp() override
    {
        host.Current = GetParam().company
                           ? AddRecord(QStringLiteral("高橋 健一"), QStringLiteral("渋谷区神宮前1-2-3"),
                                       QStringLiteral("株式会社ピルカ"), {}, QStringLiteral("営業部"),
                                       QStringLiteral("部長"))
                           : AddRecord(QStringLiteral("高橋 健一"), QStringLiteral("渋谷区神宮前1-2-3"), {},
                                       {QStringLiteral("花子")});
        // The sender is a person entered the same way.
        host.Sender = host.ReadRecord(host.Current);
        TLabelGrid grid;
        editor.SetLayout(GetParam().paper, catalogueFormat(GetParam().paper, &grid), grid);
        if (GetParam().detail) {
            editor.ExecDialog = [](QDialog &Dialog) {
                Dialog.findChild<QCheckBox *>(QStringLiteral("ckbAuto"))->click();
                Dialog.accept();
                return Dialog.result();
            };
            editor.findChild<QAction *>(QStringLiteral("actLayoutDetail"))->trigger();
            ASSERT_TRUE(editor.Document().Detail);
        }
        if (GetParam().back)
            editor.SetDataMode(TLayoutForm::SenderDataMode);
        editor.MergeCurrentRecord();
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }
};

TEST_P(ItemPick, clickOnAFramesContentSelectsItAndShowsItsHandles)
{
    const QImage shown = shownPage();
    saveScreenshot(shown, QStringLiteral("editors_item_pick_%1").arg(QLatin1String(GetParam().name)));
    int clicked = 0;
    for (size_t i = 0; i < document().Items.size(); ++i) {
        const TDrawRect &item = *document().Items[i];
        if (!item.IsVisible() || !document().OnPrintedSide(i))
            continue;
        SCOPED_TRACE(testing::Message() << "item " << i << " of kind " << int(item.GetKind()) << ", role "
                                        << (i < document().ItemRoles.size() ? document().ItemRoles[i] : -1));
        const std::optional<QPoint> at = clickPoint(i, shown);
        if (!at) {
            // A frame the record leaves empty has nothing to click on but
            // its dotted frame; one that shows ink must be reachable by it.
            EXPECT_EQ(visibleInk(i, shown), 0) << "its ink lies under other frames or on its handles only";
            continue;
        }
        view()->SetSelected(-1);
        QTest::mouseClick(view(), Qt::LeftButton, {}, *at);
        EXPECT_EQ(view()->Selected(), int(i)) << "clicked at " << at->x() << "," << at->y();
        // The handles are painted at the frame's corners.
        const QImage after = shownPage();
        const QRect frame = onScreen(i);
        EXPECT_EQ(after.pixel(frame.topLeft()), qRgb(0, 0, 255));
        EXPECT_EQ(after.pixel(frame.bottomRight() - QPoint(1, 1)), qRgb(0, 0, 255));
        ++clicked;
    }
    // The name, the address and the postcode (the addressee's or the
    // sender's) at least show ink.
    EXPECT_GE(clicked, 3);
}

INSTANTIATE_TEST_SUITE_P(
    DefaultFrames, ItemPick,
    ::testing::Values(PickCase{"verticalPostcard", 0, false, false}, PickCase{"verticalPostcardDetail", 0, true, false},
                      PickCase{"horizontalPostcard", 1, false, false},
                      PickCase{"horizontalPostcardDetail", 1, true, false},
                      PickCase{"long3VerticalEnvelope", 2, false, false},
                      PickCase{"long3VerticalEnvelopeDetail", 2, true, false},
                      PickCase{"long3VerticalEnvelopeBack", 2, false, true},
                      PickCase{"long3HorizontalEnvelope", 3, false, false},
                      PickCase{"long3LandscapeEnvelope", 4, false, false},
                      PickCase{"long3LandscapeEnvelopeBack", 4, false, true},
                      PickCase{"verticalPostcardDetailCompany", 0, true, false, true},
                      PickCase{"horizontalPostcardDetailCompany", 1, true, false, true},
                      PickCase{"long3VerticalEnvelopeDetailCompany", 2, true, false, true}),
    rowName);

// An item the user added (a free text, a picture, a QR code) is picked by a
// click on what it shows, and then 編集 → 削除 can delete it.
struct AddedCase {
    const char *name;
    std::unique_ptr<TDrawRect> (*make)(const TPageRect &Where);
};

class AddedItemPick : public PagePick, public ::testing::TestWithParam<AddedCase>
{
};

class SenderBlockHover : public PagePick, public ::testing::Test
{
};

TEST_P(AddedItemPick, clickOnAnAddedItemsContentSelectsItForDeleting)
{
    TLabelGrid grid;
    editor.SetLayout(0, catalogueFormat(0, &grid), grid);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    // The card's top left corner, clear of its frames.
    const int index = editor.InsertItem(GetParam().make({20, 20, 140, 140}));
    ASSERT_GE(index, 0);
    const auto added = size_t(index);
    QAction *remove = editor.findChild<QAction *>(QStringLiteral("actDelete"));
    ASSERT_NE(remove, nullptr);
    view()->SetSelected(-1);
    ASSERT_FALSE(remove->isEnabled());
    const std::optional<QPoint> at = clickPoint(added, shownPage());
    ASSERT_TRUE(at.has_value()) << "the added item shows no ink off its handles";
    QTest::mouseClick(view(), Qt::LeftButton, {}, *at);
    EXPECT_EQ(view()->Selected(), int(added));
    EXPECT_TRUE(remove->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    AddedItems, AddedItemPick,
    ::testing::Values(AddedCase{"freeText",
                                [](const TPageRect &Where) -> std::unique_ptr<TDrawRect> {
                                    auto word = std::make_unique<TWordRect>();
                                    word->SetRect(Where);
                                    word->SetHorizontal(true);
                                    word->SetLineCount(1);
                                    word->SetLine(0, QStringLiteral("謹賀新年"));
                                    return word;
                                }},
                      AddedCase{"picture",
                                [](const TPageRect &Where) -> std::unique_ptr<TDrawRect> {
                                    QImage image(60, 40, QImage::Format_RGB32);
                                    image.fill(qRgb(0, 0, 96));
                                    auto picture = std::make_unique<TIllustRect>();
                                    picture->SetPicture(image);
                                    picture->SetRect(Where);
                                    return picture;
                                }},
                      AddedCase{"qrCode",
                                [](const TPageRect &Where) -> std::unique_ptr<TDrawRect> {
                                    auto qr = std::make_unique<TQRCodeRect>();
                                    qr->SetText(QStringLiteral("https://example.jp/"));
                                    qr->SetRect(Where);
                                    return qr;
                                }}),
    rowName);

// The pointer passing over a sender block edited line by line, nothing
// selected, leaves the block as it was: which line is selected and the
// order its lines are drawn in are the block's own, saved with the layout.
TEST_F(SenderBlockHover, pointerPassingOverALineByLineSenderBlockChangesNothing)
{
    TLabelGrid grid;
    editor.SetLayout(0, catalogueFormat(0, &grid), grid);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    auto made = std::make_unique<TSenderRect>();
    made->SetRect({20, 20, 200, 300});
    made->ResetChildRect(-1);
    const int index = editor.InsertItem(std::move(made));
    ASSERT_GE(index, 0);
    auto &block = static_cast<TSenderRect &>(*document().Items[size_t(index)]);
    block.SetWholeBlock(false);
    view()->SetSelected(-1);
    const QList<TMetaRect *> order = block.ShownItems();
    ASSERT_FALSE(order.isEmpty());
    // Over the middle of each line, last first.
    for (qsizetype i = order.size() - 1; i >= 0; --i) {
        const TScreenRect r = order[i]->GetDispRect();
        QTest::mouseMove(view(), QPoint(TPageView::Margin + (r.Left + r.Right) / 2,
                                        TPageView::Margin + (r.Top + r.Bottom) / 2));
    }
    EXPECT_EQ(block.Selected(), nullptr);
    EXPECT_EQ(block.ShownItems(), order);
    EXPECT_EQ(view()->Selected(), -1);
}

// A drag that starts off the name's handles moves the name whole, however
// near an edge it starts; its handles alone resize it.
struct DragCase {
    const char *name;
    // The press point as parts of the name frame's width and height.
    double across;
    double down;
};

class NameDrag : public PrintedInkFixture, public ::testing::TestWithParam<DragCase>
{
protected:
    static constexpr int kNameRole = 7;
};

TEST_P(NameDrag, dragOffTheHandlesMovesTheNameWhole)
{
    TLayoutForm editor(nullptr, host);
    TLabelGrid grid;
    editor.SetLayout(0, catalogueFormat(0, &grid), grid);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    const TLayoutDocument &d = editor.Document();
    const auto role = std::find(d.ItemRoles.begin(), d.ItemRoles.end(), kNameRole);
    ASSERT_NE(role, d.ItemRoles.end());
    const int name = int(role - d.ItemRoles.begin());
    const TPageRect before = d.Items[size_t(name)]->GetRect();
    const TScreenRect r = d.Items[size_t(name)]->GetDispRect();
    const QPoint start(TPageView::Margin + r.Left + int(GetParam().across * r.width()),
                       TPageView::Margin + r.Top + int(GetParam().down * r.height()));
    TPageView *view = editor.PageView();
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    QTest::mouseMove(view, start + QPoint(20, 10));
    QTest::mouseRelease(view, Qt::LeftButton, {}, start + QPoint(20, 10));
    EXPECT_EQ(view->Selected(), name);
    const TPageRect after = d.Items[size_t(name)]->GetRect();
    EXPECT_EQ(after.Left - before.Left, 20);
    EXPECT_EQ(after.Top - before.Top, 10);
    EXPECT_EQ(after.width(), before.width());
    EXPECT_EQ(after.height(), before.height());
}

INSTANTIATE_TEST_SUITE_P(PressPoints, NameDrag,
                         ::testing::Values(DragCase{"aQuarterAcrossAQuarterDown", 0.25, 0.25},
                                           DragCase{"threeQuartersAcrossNearTheBottom", 0.75, 0.9},
                                           DragCase{"onTheLeftEdgeAQuarterDown", 0.0, 0.25},
                                           DragCase{"theMiddleAcrossAQuarterDown", 0.5, 0.25}),
                         rowName);

} // namespace
