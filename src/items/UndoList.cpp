#include "items/UndoList.h"

#include "items/DrawRect.h"

namespace {

void snapshot(TSnapshotStream &Stream, const TStreamObject &Object)
{
    TItemWriter w;
    Object.SaveToStream(w);
    Stream.Bytes = w.takeBytes();
    Stream.Position = 0;
}

} // namespace

int TUndoDatas::AddObject(const TStreamObject &Object, TUndoState State)
{
    auto piece = std::make_unique<TObjectUndoData>(TUndoTarget::Object);
    snapshot(piece->GetStream(State), Object);
    m_items.push_back(std::move(piece));
    return GetCount() - 1;
}

int TUndoDatas::AddDrawRect(const TDrawRect &Item, qint32 ZIndex, qint32 ListIndex, TUndoState State)
{
    auto piece = std::make_unique<TDrawRectUndoData>();
    const quint8 kind = quint8(Item.GetKind());
    piece->ItemKind = {kind, kind};
    piece->ZIndex = ZIndex;
    piece->ListIndex = ListIndex;
    snapshot(piece->GetStream(State), Item);
    m_items.push_back(std::move(piece));
    return GetCount() - 1;
}

int TUndoDatas::AddRect(const TPageRect &Rect, qint32 ZIndex, qint32 Extra, TUndoState State)
{
    auto piece = std::make_unique<TRectUndoData>();
    piece->Rect[size_t(State)] = Rect;
    piece->ZIndex = ZIndex;
    piece->Extra = Extra;
    m_items.push_back(std::move(piece));
    return GetCount() - 1;
}

int TUndoDatas::AddZOrder(qint32 FromIndex, qint32 ToIndex)
{
    auto piece = std::make_unique<TZOrderUndoData>();
    piece->FromIndex = FromIndex;
    piece->ToIndex = ToIndex;
    m_items.push_back(std::move(piece));
    return GetCount() - 1;
}

void TUndoDatas::SetObject(int Index, const TStreamObject &Object, TUndoState State)
{
    auto *piece = dynamic_cast<TObjectUndoData *>(GetItem(Index));
    if (!piece)
        return;
    snapshot(piece->GetStream(State), Object);
    if (auto *item = dynamic_cast<TDrawRectUndoData *>(piece))
        if (const auto *drawRect = dynamic_cast<const TDrawRect *>(&Object))
            item->ItemKind[size_t(State)] = quint8(drawRect->GetKind());
}

void TUndoDatas::SetRect(int Index, const TPageRect &Rect, TUndoState State)
{
    if (auto *piece = dynamic_cast<TRectUndoData *>(GetItem(Index)))
        piece->Rect[size_t(State)] = Rect;
}

TUndoData *TUndoDatas::GetItem(int Index) const
{
    if (Index < 0 || Index >= GetCount())
        return nullptr;
    return m_items[size_t(Index)].get();
}

void TUndoDatas::SetSelectionCount(TUndoState State, int Count)
{
    m_selection[size_t(State)].resize(qMax(0, Count), -1);
}

qint32 TUndoDatas::GetSelection(TUndoState State, int I) const
{
    const QList<qint32> &s = m_selection[size_t(State)];
    return I >= 0 && I < s.size() ? s[I] : -1;
}

void TUndoDatas::SetSelection(TUndoState State, int I, qint32 ZIndex)
{
    QList<qint32> &s = m_selection[size_t(State)];
    if (I >= 0 && I < s.size())
        s[I] = ZIndex;
}

void TUndoList::Add(std::unique_ptr<TUndoDatas> Action)
{
    if (!Action)
        return;
    if (m_current >= 0)
        m_actions.erase(m_actions.begin(), m_actions.begin() + (m_current + 1));
    m_actions.insert(m_actions.begin(), std::move(Action));
    if (GetCount() > MaxCount)
        m_actions.pop_back();
    m_current = -1;
    if (OnChange)
        OnChange(*this);
}

void TUndoList::Undo()
{
    if (!CanUndo())
        return;
    ++m_current;
    TUndoDatas &action = *m_actions[size_t(m_current)];
    for (int i = action.GetCount() - 1; i >= 0; --i) {
        TUndoData &piece = *action.GetItem(i);
        if (OnUndoRedo)
            OnUndoRedo(*this, action.Kind(), piece, false);
        if (auto *object = dynamic_cast<TObjectUndoData *>(&piece))
            object->GetStream(TUndoState::Before).Position = 0;
    }
    if (OnChange)
        OnChange(*this);
}

void TUndoList::Redo()
{
    if (!CanRedo())
        return;
    TUndoDatas &action = *m_actions[size_t(m_current)];
    for (int i = 0; i < action.GetCount(); ++i) {
        TUndoData &piece = *action.GetItem(i);
        if (OnUndoRedo)
            OnUndoRedo(*this, action.Kind(), piece, true);
        if (auto *object = dynamic_cast<TObjectUndoData *>(&piece))
            object->GetStream(TUndoState::After).Position = 0;
    }
    --m_current;
    if (OnChange)
        OnChange(*this);
}

void TUndoList::Clear()
{
    m_actions.clear();
    m_current = -1;
    if (OnChange)
        OnChange(*this);
}

TUndoDatas *TUndoList::GetItem(int Index) const
{
    if (Index < 0 || Index >= GetCount())
        return nullptr;
    return m_actions[size_t(Index)].get();
}
