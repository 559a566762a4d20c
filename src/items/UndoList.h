#pragma once

#include "items/ItemStream.h"
#include "items/Units.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class TDrawRect;

// The undo history of a layout editor: the last five user actions, each with
// the state before it and after it. The history does not apply states; Undo
// and Redo hand every recorded piece, in order, to the owner's OnUndoRedo,
// and the owner rebuilds its items from it. Item snapshots are the items'
// own streams, so any kind of item (and the design background) can be put
// back. A new kind of recorded state is one more TUndoData subclass that the
// editors' handlers recognise.

// Which state of an action: before it (undo establishes it) or after it.
enum class TUndoState : quint8 { Before = 0, After = 1 };

// What one action did.
enum class TUndoKind : quint8 {
    Insert = 0,      // paste or insert
    Delete = 1,
    Property = 2,    // a property change
    Geometry = 3,    // move, resize, align or default layout
    DrawingOrder = 4,
};

// Who the recorded state belongs to.
enum class TUndoTarget : quint8 { Object = 0, Item = 2 };

// An in-memory snapshot with a read position, handed to the owner to read
// the state back; the history puts the position back to 0 after each use.
struct TSnapshotStream {
    QByteArray Bytes;
    qsizetype Position = 0;
    // A reader over the snapshot as this program wrote it, at Position.
    TItemReader reader() const
    {
        TItemReader r(Bytes, {DrawRectVersion});
        r.seek(Position);
        return r;
    }
};

class TUndoData
{
public:
    explicit TUndoData(TUndoTarget Target) : m_target(Target) {}
    virtual ~TUndoData() = default;
    TUndoTarget Target() const { return m_target; }

private:
    TUndoTarget m_target;
};

// Snapshots of an object made with AddObject: the design background, or a
// whole item put back in place.
class TObjectUndoData : public TUndoData
{
public:
    using TUndoData::TUndoData;
    TSnapshotStream &GetStream(TUndoState State) { return m_streams[size_t(State)]; }
    const TSnapshotStream &GetStream(TUndoState State) const { return m_streams[size_t(State)]; }

private:
    std::array<TSnapshotStream, 2> m_streams;
};

// An item that the action inserted or deleted, with where it stood.
class TDrawRectUndoData : public TObjectUndoData
{
public:
    TDrawRectUndoData() : TObjectUndoData(TUndoTarget::Item) {}
    quint8 GetKind(TUndoState State) const { return ItemKind[size_t(State)]; }

    std::array<quint8, 2> ItemKind{0, 0};
    qint32 ListIndex = 0;
    qint32 ZIndex = 0;
    // The owner's own value, kept with the item (the editors: its frame
    // role, so that a deleted default item comes back in its part).
    qint32 Extra = -1;
};

// A change of an item's rectangle.
class TRectUndoData : public TUndoData
{
public:
    TRectUndoData() : TUndoData(TUndoTarget::Item) {}
    TPageRect GetRect(TUndoState State) const { return Rect[size_t(State)]; }

    std::array<TPageRect, 2> Rect{};
    qint32 ZIndex = 0;
    qint32 Extra = -1;
};

// A move in the drawing order.
class TZOrderUndoData : public TUndoData
{
public:
    TZOrderUndoData() : TUndoData(TUndoTarget::Item) {}
    qint32 FromIndex = 0;
    qint32 ToIndex = 0;
};

// One user action: its pieces of state and the selection before and after.
class TUndoDatas
{
public:
    explicit TUndoDatas(TUndoKind Kind) : m_kind(Kind) {}

    TUndoKind Kind() const { return m_kind; }

    int AddObject(const TStreamObject &Object, TUndoState State);
    int AddDrawRect(const TDrawRect &Item, qint32 ZIndex, qint32 ListIndex, TUndoState State);
    int AddRect(const TPageRect &Rect, qint32 ZIndex, qint32 Extra, TUndoState State);
    int AddZOrder(qint32 FromIndex, qint32 ToIndex);
    // Completes the other state of an object piece; nothing when Index names
    // no such piece.
    void SetObject(int Index, const TStreamObject &Object, TUndoState State);
    void SetRect(int Index, const TPageRect &Rect, TUndoState State);

    int GetCount() const { return int(m_items.size()); }
    // Nothing outside 0 .. count - 1.
    TUndoData *GetItem(int Index) const;

    int GetSelectionCount(TUndoState State) const { return int(m_selection[size_t(State)].size()); }
    void SetSelectionCount(TUndoState State, int Count);
    // The z-order index of the I-th selected item; -1 beyond the saved count.
    qint32 GetSelection(TUndoState State, int I) const;
    // Ignored beyond the saved count.
    void SetSelection(TUndoState State, int I, qint32 ZIndex);
    qint32 GetMainSelection(TUndoState State) const { return m_mainSelection[size_t(State)]; }
    void SetMainSelection(TUndoState State, qint32 Index) { m_mainSelection[size_t(State)] = Index; }

private:
    TUndoKind m_kind;
    std::vector<std::unique_ptr<TUndoData>> m_items;
    std::array<QList<qint32>, 2> m_selection;
    std::array<qint32, 2> m_mainSelection{-1, -1};
};

class TUndoList
{
public:
    // Called once per recorded piece: Redo false asks for the state before the
    // action, true for the state after it.
    using TUndoRedoEvent = std::function<void(TUndoList &Sender, TUndoKind Kind, TUndoData &Data, bool Redo)>;

    static constexpr int MaxCount = 5;

    // Records a new action as the newest; undone actions are dropped, and
    // beyond five actions the oldest goes.
    void Add(std::unique_ptr<TUndoDatas> Action);
    void Undo();
    void Redo();
    void Clear();

    bool CanUndo() const { return m_current < GetCount() - 1; }
    bool CanRedo() const { return m_current >= 0; }
    int GetCount() const { return int(m_actions.size()); }
    // Index 0 is the newest; nothing outside 0 .. count - 1.
    TUndoDatas *GetItem(int Index) const;
    // The most recently undone action, -1 when nothing is undone.
    int Current() const { return m_current; }

    TUndoRedoEvent OnUndoRedo;
    // Called after every step that changes what the history's owner holds:
    // an action recorded, undone or redone, and the history cleared (which
    // the editors do when an action cannot be recorded, and when a layout
    // is opened or created).
    std::function<void(TUndoList &Sender)> OnChange;

private:
    std::vector<std::unique_ptr<TUndoDatas>> m_actions; // newest first
    int m_current = -1;
};
