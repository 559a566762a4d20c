#include "TestItems.h"
#include "items/UndoList.h"

#include <gtest/gtest.h>

namespace {

// An action that records one item rectangle, so the actions can be told apart.
std::unique_ptr<TUndoDatas> actionMarked(qint32 mark)
{
    auto a = std::make_unique<TUndoDatas>(TUndoKind::Geometry);
    a->AddRect({mark, 0, mark + 1, 1}, 0, -1, TUndoState::Before);
    return a;
}

qint32 markOf(const TUndoDatas *a)
{
    return static_cast<TRectUndoData *>(a->GetItem(0))->GetRect(TUndoState::Before).Left;
}

TEST(UndoListTest, sixthActionDropsTheOldest)
{
    TUndoList list;
    for (int i = 1; i <= 6; ++i)
        list.Add(actionMarked(i));
    ASSERT_EQ(list.GetCount(), 5);
    EXPECT_EQ(markOf(list.GetItem(0)), 6);
    EXPECT_EQ(markOf(list.GetItem(4)), 2);
    EXPECT_EQ(list.Current(), -1);
}

TEST(UndoListTest, addAfterUndoDropsTheUndoneActions)
{
    TUndoList list;
    list.OnUndoRedo = [](TUndoList &, TUndoKind, TUndoData &, bool) {};
    for (int i = 1; i <= 3; ++i)
        list.Add(actionMarked(i));
    list.Undo();
    list.Undo();
    list.Add(actionMarked(9));
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(markOf(list.GetItem(0)), 9);
    EXPECT_EQ(markOf(list.GetItem(1)), 1);
    EXPECT_FALSE(list.CanRedo());
}

TEST(UndoListTest, undoOnEmptyHistoryDoesNothing)
{
    TUndoList list;
    int calls = 0;
    list.OnUndoRedo = [&](TUndoList &, TUndoKind, TUndoData &, bool) { ++calls; };
    list.Undo();
    list.Redo();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(list.Current(), -1);
}

TEST(UndoListTest, undoStopsWhenEveryActionIsUndone)
{
    TUndoList list;
    int calls = 0;
    list.OnUndoRedo = [&](TUndoList &, TUndoKind, TUndoData &, bool) { ++calls; };
    for (int i = 1; i <= 5; ++i)
        list.Add(actionMarked(i));
    for (int i = 0; i < 7; ++i)
        list.Undo();
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(list.Current(), 4);
    EXPECT_FALSE(list.CanUndo());
}

TEST(UndoListTest, undoHandsPiecesLastToFirstAndRedoFirstToLast)
{
    TUndoList list;
    auto a = std::make_unique<TUndoDatas>(TUndoKind::DrawingOrder);
    a->AddZOrder(1, 2);
    a->AddZOrder(3, 4);
    list.Add(std::move(a));
    QList<std::pair<qint32, bool>> seen;
    list.OnUndoRedo = [&](TUndoList &, TUndoKind kind, TUndoData &d, bool redo) {
        EXPECT_EQ(kind, TUndoKind::DrawingOrder);
        seen.append({static_cast<TZOrderUndoData &>(d).FromIndex, redo});
    };
    list.Undo();
    list.Redo();
    const QList<std::pair<qint32, bool>> expected{{3, false}, {1, false}, {1, true}, {3, true}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(list.Current(), -1);
}

TEST(UndoListTest, snapshotsAreAtPositionZeroEachTimeTheyAreHandedOver)
{
    TPlainItem item(TDrawRectKind::Word);
    item.SetRect({1, 2, 30, 40});
    auto a = std::make_unique<TUndoDatas>(TUndoKind::Delete);
    a->AddDrawRect(item, 3, 0, TUndoState::Before);
    TUndoList list;
    list.Add(std::move(a));
    QList<TPageRect> restored;
    list.OnUndoRedo = [&](TUndoList &, TUndoKind, TUndoData &d, bool redo) {
        auto &piece = static_cast<TDrawRectUndoData &>(d);
        TSnapshotStream &s = piece.GetStream(redo ? TUndoState::After : TUndoState::Before);
        if (redo)
            return;
        EXPECT_EQ(s.Position, 0);
        TItemReader r = s.reader();
        TPlainItem back;
        back.LoadFromStream(r);
        s.Position = r.position(); // the reader moved on; the history moves it back
        restored.append(back.GetRect());
    };
    list.Undo();
    list.Redo();
    list.Undo();
    ASSERT_EQ(restored.size(), 2);
    EXPECT_EQ(restored[1], (TPageRect{1, 2, 30, 40}));
}

TEST(UndoListTest, drawRectPieceKeepsKindAndPlaces)
{
    TPlainItem item(TDrawRectKind::SenderName);
    TUndoDatas a(TUndoKind::Insert);
    const int i = a.AddDrawRect(item, 7, 2, TUndoState::After);
    auto *piece = dynamic_cast<TDrawRectUndoData *>(a.GetItem(i));
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(piece->Target(), TUndoTarget::Item);
    EXPECT_EQ(piece->GetKind(TUndoState::Before), quint8(6));
    EXPECT_EQ(piece->ZIndex, 7);
    EXPECT_EQ(piece->ListIndex, 2);
    EXPECT_TRUE(piece->GetStream(TUndoState::Before).Bytes.isEmpty());
    EXPECT_EQ(piece->GetStream(TUndoState::After).Bytes.size(), 17);
}

TEST(UndoListTest, setObjectCompletesTheOtherStateAndItsKind)
{
    TPlainItem before(TDrawRectKind::RecipientName);
    TPlainItem after(TDrawRectKind::SenderName);
    after.SetRect({5, 5, 9, 9});
    TUndoDatas a(TUndoKind::Property);
    a.AddDrawRect(before, 0, 0, TUndoState::Before);
    a.SetObject(0, after, TUndoState::After);
    a.SetObject(5, after, TUndoState::After); // no such piece: nothing
    auto *piece = static_cast<TDrawRectUndoData *>(a.GetItem(0));
    EXPECT_EQ(piece->GetKind(TUndoState::After), quint8(6));
    EXPECT_EQ(piece->GetKind(TUndoState::Before), quint8(2));
    EXPECT_EQ(piece->GetStream(TUndoState::After).Bytes.left(4), QByteArray::fromHex("05000000"));
}

TEST(UndoListTest, objectPieceTargetsTheObject)
{
    TPlainItem item;
    TUndoDatas a(TUndoKind::Property);
    a.AddObject(item, TUndoState::Before);
    EXPECT_EQ(a.GetItem(0)->Target(), TUndoTarget::Object);
    EXPECT_EQ(a.GetItem(1), nullptr);
}

TEST(UndoListTest, setRectFillsOnlyRectPieces)
{
    TUndoDatas a(TUndoKind::Geometry);
    a.AddZOrder(0, 1);
    a.AddRect({0, 0, 1, 1}, 0, -1, TUndoState::Before);
    a.SetRect(0, {9, 9, 9, 9}, TUndoState::After); // a drawing-order piece: ignored
    a.SetRect(1, {2, 2, 4, 4}, TUndoState::After);
    EXPECT_EQ(static_cast<TRectUndoData *>(a.GetItem(1))->GetRect(TUndoState::After), (TPageRect{2, 2, 4, 4}));
}

TEST(UndoListTest, selectionBeyondSavedCountAnswersMinusOneAndIgnoresWrites)
{
    TUndoDatas a(TUndoKind::Property);
    a.SetSelectionCount(TUndoState::Before, 2);
    a.SetSelection(TUndoState::Before, 1, 8);
    a.SetSelection(TUndoState::Before, 2, 9);
    EXPECT_EQ(a.GetSelection(TUndoState::Before, 1), 8);
    EXPECT_EQ(a.GetSelection(TUndoState::Before, 2), -1);
    EXPECT_EQ(a.GetSelectionCount(TUndoState::Before), 2);
    EXPECT_EQ(a.GetMainSelection(TUndoState::After), -1);
}

} // namespace
