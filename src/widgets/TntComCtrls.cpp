#include "widgets/TntComCtrls.h"

#include "platform/Cp932.h"
#include "widgets/TntSystem.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QStyleOptionHeader>

#include <algorithm>

namespace {

const QString kListIndexError = QStringLiteral("List index out of bounds (%1)");
const QString kOwnerDataAddError = QStringLiteral("Items cannot be added to an owner-data list");
const QString kItemClassError =
    QStringLiteral("Internal Error: OnCreateItemClass.ItemClass must inherit from TTntListItem.");

// Counts a nesting level for the lifetime of a scope, exceptions included.
class TLevel
{
public:
    explicit TLevel(int &level) : m_level(level) { ++m_level; }
    ~TLevel() { --m_level; }
    TLevel(const TLevel &) = delete;
    TLevel &operator=(const TLevel &) = delete;

private:
    int &m_level;
};

QStringList toStringList(const TTntStrings &strings)
{
    QStringList list;
    list.reserve(strings.Count());
    for (int i = 0; i < strings.Count(); ++i)
        list.append(strings.Get(i));
    return list;
}

// The column header of the list views. Qt draws an ascending indicator as
// a downward arrow; the program's users know the Windows form, where
// ascending points up (as does the glyph of the main window's direction
// button), so the arrow is drawn the other way round. sortIndicatorOrder()
// keeps its meaning.
class TListHeader final : public QHeaderView
{
public:
    explicit TListHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override
    {
        QHeaderView::initStyleOptionForIndex(option, logicalIndex);
        if (option->sortIndicator == QStyleOptionHeader::SortDown)
            option->sortIndicator = QStyleOptionHeader::SortUp;
        else if (option->sortIndicator == QStyleOptionHeader::SortUp)
            option->sortIndicator = QStyleOptionHeader::SortDown;
    }
};

} // namespace

// The table the view shows: one row per item (or per owner-data row), one
// column per list column, and always at least one column so that items stay
// selectable while the owner rebuilds its columns. Column 0 is the caption,
// column n the sub-item n - 1.
class TTntListViewModel final : public QAbstractTableModel
{
public:
    explicit TTntListViewModel(TTntCustomListView &view) : QAbstractTableModel(&view), m_view(view) {}

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_view.RowCount();
    }

    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : std::max(1, m_view.m_columns->Count());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return m_view.CellText(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return alignment(index.column());
        case Qt::CheckStateRole:
            if (index.column() == 0 && m_view.m_checkboxes && !m_view.m_ownerData)
                return m_view.m_items->m_items[index.row()]->Checked() ? Qt::Checked : Qt::Unchecked;
            break;
        default:
            break;
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal)
            return QAbstractTableModel::headerData(section, orientation, role);
        const TTntListColumn *column = m_view.ColumnAt(section);
        if (role == Qt::DisplayRole)
            return column ? column->Caption() : QString();
        if (role == Qt::TextAlignmentRole)
            return alignment(section);
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
        if (index.column() == 0 && !m_view.m_readOnly)
            result |= Qt::ItemIsEditable;
        if (index.column() == 0 && m_view.m_checkboxes && !m_view.m_ownerData)
            result |= Qt::ItemIsUserCheckable;
        return result;
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
            index.column() != 0)
            return false;
        if (role == Qt::EditRole) {
            m_view.CaptionEdited(index.row(), value.toString());
            return true;
        }
        if (role == Qt::CheckStateRole && m_view.m_checkboxes && !m_view.m_ownerData) {
            m_view.m_items->m_items[index.row()]->SetChecked(value.toInt() == Qt::Checked);
            return true;
        }
        return false;
    }

    // The structural notifications, for the view and its collections.
    void BeginInsertRows(int first, int last) { beginInsertRows(QModelIndex(), first, last); }
    void EndInsertRows() { endInsertRows(); }
    void BeginRemoveRows(int first, int last) { beginRemoveRows(QModelIndex(), first, last); }
    void EndRemoveRows() { endRemoveRows(); }
    void BeginInsertColumns(int first, int last) { beginInsertColumns(QModelIndex(), first, last); }
    void EndInsertColumns() { endInsertColumns(); }
    void BeginRemoveColumns(int first, int last) { beginRemoveColumns(QModelIndex(), first, last); }
    void EndRemoveColumns() { endRemoveColumns(); }
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }

    // Reorders the items by a stable sort; selection and focus (persistent
    // indexes) move with their items.
    void SortItems(const std::function<bool(TTntListItem *, TTntListItem *)> &less)
    {
        auto &items = m_view.m_items->m_items;
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        std::vector<const TTntListItem *> owners;
        owners.reserve(before.size());
        for (const QModelIndex &index : before)
            owners.push_back(index.isValid() ? items[index.row()].get() : nullptr);
        std::stable_sort(items.begin(), items.end(),
                         [&less](const auto &a, const auto &b) { return less(a.get(), b.get()); });
        m_view.m_items->Renumber(0);
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i)
            after.append(owners[i] ? index(owners[i]->Index(), before[i].column()) : QModelIndex());
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

private:
    QVariant alignment(int column) const
    {
        const TTntListColumn *listColumn = m_view.ColumnAt(column);
        return static_cast<int>(ToQtAlignment(listColumn ? listColumn->Alignment() : TAlignment::taLeftJustify));
    }

    TTntCustomListView &m_view;
};

// ---- TTntListColumn ------------------------------------------------------------

TTntListColumn::TTntListColumn(TTntListColumns &collection) : m_collection(collection) {}

void TTntListColumn::SetCaption(const QString &value)
{
    if (value == m_caption)
        return;
    m_caption = value;
    m_collection.Owner().ColumnHeaderChanged(*this, false);
}

QByteArray TTntListColumn::AnsiCaption() const
{
    return Cp932::encode(m_caption);
}

void TTntListColumn::SetAnsiCaption(const QByteArray &value)
{
    if (Cp932::encode(m_caption) != value)
        SetCaption(Cp932::decode(value));
}

void TTntListColumn::SetWidth(int value)
{
    value = std::max(0, value);
    if (value != m_width)
        m_collection.Owner().ResizeColumn(*this, value);
}

void TTntListColumn::SetAlignment(TAlignment value)
{
    if (value == m_alignment)
        return;
    m_alignment = value;
    m_collection.Owner().ColumnHeaderChanged(*this, true);
}

void TTntListColumn::Assign(const TTntListColumn &source)
{
    if (&source == this)
        return;
    SetAlignment(source.m_alignment);
    SetWidth(source.m_width);
    SetCaption(source.m_caption);
}

// ---- TTntListColumns -----------------------------------------------------------

TTntListColumns::TTntListColumns(TTntCustomListView &owner) : m_owner(owner) {}

TTntListColumns::~TTntListColumns() = default;

TTntListColumn *TTntListColumns::Add()
{
    return m_owner.InsertColumn(std::make_unique<TTntListColumn>(*this));
}

TTntListColumn *TTntListColumns::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(kListIndexError.arg(index));
    return m_items[static_cast<std::size_t>(index)].get();
}

void TTntListColumns::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw EListError(kListIndexError.arg(index));
    m_owner.RemoveColumn(index);
}

void TTntListColumns::Clear()
{
    for (int i = Count() - 1; i >= 0; --i)
        m_owner.RemoveColumn(i);
}

// ---- TWideSubItems -------------------------------------------------------------

TWideSubItems::TWideSubItems(TTntListItem &owner) : m_owner(owner) {}

void TWideSubItems::Changed()
{
    TTntStringList::Changed();
    if (!m_updating)
        m_owner.Changed();
}

void TWideSubItems::SetUpdateState(bool updating)
{
    m_updating = updating;
    TTntStringList::SetUpdateState(updating);
}

// ---- TTntListItem --------------------------------------------------------------

TTntListItem::TTntListItem(TTntListItems &owner)
    : m_owner(owner), m_subItems(std::make_unique<TWideSubItems>(*this))
{
}

TTntListItem::~TTntListItem() = default;

TTntCustomListView &TTntListItem::ListView() const
{
    return m_owner.Owner();
}

void TTntListItem::SetCaption(const QString &value)
{
    if (value == m_caption)
        return;
    m_caption = value;
    Changed();
}

void TTntListItem::SetSubItems(const TTntStrings &value)
{
    m_subItems->Assign(value);
}

void TTntListItem::SetChecked(bool value)
{
    if (value == m_checked)
        return;
    m_checked = value;
    Changed();
}

bool TTntListItem::Selected() const
{
    const TTntCustomListView &view = ListView();
    const QModelIndex index = view.RowIndex(m_index);
    return index.isValid() && view.selectionModel()->isSelected(index);
}

void TTntListItem::SetSelected(bool value)
{
    TTntCustomListView &view = ListView();
    const QModelIndex index = view.RowIndex(m_index);
    if (index.isValid())
        view.selectionModel()->select(index, (value ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                                 QItemSelectionModel::Rows);
}

bool TTntListItem::Focused() const
{
    const QModelIndex current = ListView().selectionModel()->currentIndex();
    return current.isValid() && current.row() == m_index;
}

void TTntListItem::SetFocused(bool value)
{
    TTntCustomListView &view = ListView();
    if (value)
        view.SetItemFocused(this);
    else if (Focused())
        view.SetItemFocused(nullptr);
}

void TTntListItem::MakeVisible(bool partialOk)
{
    TTntCustomListView &view = ListView();
    const QModelIndex index = view.RowIndex(m_index);
    if (!index.isValid())
        return;
    if (partialOk && view.visualRect(index).intersects(view.viewport()->rect()))
        return;
    view.scrollTo(index, QAbstractItemView::EnsureVisible);
}

void TTntListItem::Delete()
{
    m_owner.Delete(m_index);
}

void TTntListItem::Assign(const TTntListItem &source)
{
    if (&source == this)
        return;
    m_caption = source.m_caption;
    m_data = source.m_data;
    m_imageIndex = source.m_imageIndex;
    m_checked = source.m_checked;
    if (source.SubItems().Count() > 0)
        m_subItems->Assign(source.SubItems());
    Changed();
}

void TTntListItem::Changed()
{
    if (!m_temporary && m_index >= 0)
        ListView().ItemChanged(*this);
}

// ---- TTntListItems -------------------------------------------------------------

TTntListItems::TTntListItems(TTntCustomListView &owner) : m_owner(owner) {}

TTntListItems::~TTntListItems() = default;

TTntListItem *TTntListItems::Add()
{
    return Insert(Count());
}

TTntListItem *TTntListItems::Insert(int index)
{
    if (m_owner.m_ownerData)
        throw EListError(kOwnerDataAddError);
    if (index < 0 || index > Count())
        throw EListError(kListIndexError.arg(index));
    std::unique_ptr<TTntListItem> item = m_owner.CreateListItem();
    TTntListItem *result = item.get();
    TLevel structure(m_owner.m_structureChanging);
    m_owner.m_model->BeginInsertRows(index, index);
    m_items.insert(m_items.begin() + index, std::move(item));
    Renumber(index);
    m_owner.m_model->EndInsertRows();
    return result;
}

TTntListItem *TTntListItems::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(kListIndexError.arg(index));
    return m_owner.ItemAt(index);
}

int TTntListItems::Count() const
{
    return m_owner.RowCount();
}

void TTntListItems::SetCount(int value)
{
    value = std::max(0, value);
    if (!m_owner.m_ownerData || value == m_count)
        return;
    {
        TLevel structure(m_owner.m_structureChanging);
        if (value > m_count) {
            m_owner.m_model->BeginInsertRows(m_count, value - 1);
            m_count = value;
            m_owner.m_rowCache.clear();
            m_owner.m_model->EndInsertRows();
        } else {
            m_owner.m_model->BeginRemoveRows(value, m_count - 1);
            m_count = value;
            m_owner.m_rowCache.clear();
            m_owner.m_model->EndRemoveRows();
        }
    }
    // The rows that stay show other texts now.
    m_owner.RowsChanged(0, m_count - 1);
}

void TTntListItems::Clear()
{
    if (m_owner.m_ownerData) {
        SetCount(0);
        return;
    }
    if (m_items.empty())
        return;
    TLevel structure(m_owner.m_structureChanging);
    m_owner.m_model->BeginRemoveRows(0, Count() - 1);
    m_items.clear();
    m_owner.m_model->EndRemoveRows();
}

void TTntListItems::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw EListError(kListIndexError.arg(index));
    {
        TLevel structure(m_owner.m_structureChanging);
        m_owner.m_model->BeginRemoveRows(index, index);
        if (m_owner.m_ownerData) {
            --m_count;
            // The rows behind move up, and their texts with them.
            QHash<int, TTntCustomListView::TCachedRow> shifted;
            for (auto it = m_owner.m_rowCache.cbegin(); it != m_owner.m_rowCache.cend(); ++it)
                if (it.key() != index)
                    shifted.insert(it.key() > index ? it.key() - 1 : it.key(), it.value());
            m_owner.m_rowCache.swap(shifted);
        } else {
            m_items.erase(m_items.begin() + index);
            Renumber(index);
        }
        m_owner.m_model->EndRemoveRows();
    }
}

int TTntListItems::IndexOf(const TTntListItem *item) const
{
    if (!item || m_owner.m_ownerData)
        return -1;
    const int index = item->m_index;
    return index >= 0 && index < Count() && m_items[static_cast<std::size_t>(index)].get() == item ? index : -1;
}

void TTntListItems::BeginUpdate()
{
    ++m_updateCount;
}

void TTntListItems::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0)
        m_owner.RowsChanged(0, Count() - 1);
}

void TTntListItems::Renumber(int from)
{
    for (std::size_t i = static_cast<std::size_t>(std::max(0, from)); i < m_items.size(); ++i)
        m_items[i]->m_index = static_cast<int>(i);
}

// ---- TTntCustomListView --------------------------------------------------------

TTntCustomListView::TTntCustomListView(QWidget *parent)
    : QTreeView(parent),
      m_columns(std::make_unique<TTntListColumns>(*this)),
      m_items(std::make_unique<TTntListItems>(*this))
{
    m_model = new TTntListViewModel(*this);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    // One row height for all rows: the view never asks every row for its size.
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setHeader(new TListHeader(this));
    QHeaderView *headerView = header();
    headerView->setStretchLastSection(false);
    headerView->setSectionsMovable(false);
    headerView->setSectionsClickable(true);
    headerView->setSortIndicatorShown(false);
    headerView->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setModel(m_model);
    connect(headerView, &QHeaderView::sectionResized, this, &TTntCustomListView::OnSectionResized);
    connect(headerView, &QHeaderView::sectionClicked, this, &TTntCustomListView::OnSectionClicked);
}

TTntCustomListView::~TTntCustomListView()
{
    // The model reads the items and columns, which go before the base class
    // lets go of the model.
    ++m_structureChanging;
    ++m_silentResize;
    setModel(nullptr);
    delete m_model;
}

TTntListColumn *TTntCustomListView::GetColumnFromIndex(int index) const
{
    return m_columns->GetItem(index);
}

TTntListColumn *TTntCustomListView::ColumnAt(int index) const
{
    return index >= 0 && index < m_columns->Count() ? m_columns->m_items[static_cast<std::size_t>(index)].get()
                                                    : nullptr;
}

TTntListItem *TTntCustomListView::GetItemFocused() const
{
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? ItemAt(current.row()) : nullptr;
}

void TTntCustomListView::SetItemFocused(TTntListItem *value)
{
    // Moving the focus does not scroll; MakeVisible does.
    const bool autoScroll = hasAutoScroll();
    setAutoScroll(false);
    const QModelIndex index = value ? RowIndex(value->Index()) : QModelIndex();
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    else
        selectionModel()->clearCurrentIndex();
    setAutoScroll(autoScroll);
}

TTntListItem *TTntCustomListView::GetSelected() const
{
    const auto ranges = SelectedRowRanges(selectionModel()->selection());
    return ranges.empty() ? nullptr : ItemAt(ranges.front().first);
}

void TTntCustomListView::SetSelected(TTntListItem *value)
{
    if (value)
        value->SetSelected(true);
    else
        selectionModel()->clearSelection();
}

TTntListItem *TTntCustomListView::GetTopItem() const
{
    const QModelIndex top = IndexAtY(0);
    return top.isValid() ? ItemAt(top.row()) : nullptr;
}

int TTntCustomListView::SelCount() const
{
    int count = 0;
    for (const auto &[first, last] : SelectedRowRanges(selectionModel()->selection()))
        count += last - first + 1;
    return count;
}

void TTntCustomListView::SetOwnerData(bool value)
{
    if (value == m_ownerData)
        return;
    {
        TLevel structure(m_structureChanging);
        m_model->BeginReset();
        m_items->m_items.clear();
        m_items->m_count = 0;
        m_rowCache.clear();
        m_ownerData = value;
        m_model->EndReset();
    }
    // A reset gives the header fresh sections.
    ApplyColumnWidths();
    ColumnsChanged();
}

void TTntCustomListView::SetItemCount(int value)
{
    m_items->SetCount(value);
}

void TTntCustomListView::SetReadOnly(bool value)
{
    m_readOnly = value;
    setEditTriggers(value ? QAbstractItemView::NoEditTriggers
                          : QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
}

void TTntCustomListView::SetColumnClick(bool value)
{
    m_columnClick = value;
    header()->setSectionsClickable(value);
}

void TTntCustomListView::SetCheckboxes(bool value)
{
    if (value == m_checkboxes)
        return;
    m_checkboxes = value;
    RowsChanged(0, RowCount() - 1);
}

bool TTntCustomListView::AlphaSort()
{
    return CustomSort(TLVCompare(), 0);
}

bool TTntCustomListView::CustomSort(const TLVCompare &sortProc, qintptr paramSort)
{
    if (m_ownerData)
        return false;
    if (m_items->m_items.size() < 2)
        return true;
    TLVCompare compare = sortProc;
    if (!compare && OnCompare) {
        compare = [this](TTntListItem *item1, TTntListItem *item2, qintptr data) {
            int result = 0;
            OnCompare(this, item1, item2, data, result);
            return result;
        };
    }
    if (!compare) {
        // The platform's comparison of two wide texts: Japanese collation,
        // case counts; ties that collation leaves go by UTF-16 order.
        auto collator = std::make_shared<QCollator>(QLocale(QLocale::Japanese, QLocale::Japan));
        collator->setCaseSensitivity(Qt::CaseSensitive);
        compare = [collator](TTntListItem *item1, TTntListItem *item2, qintptr) {
            const int result = collator->compare(item1->Caption(), item2->Caption());
            return result != 0 ? result : QString::compare(item1->Caption(), item2->Caption());
        };
    }
    m_model->SortItems([&compare, paramSort](TTntListItem *item1, TTntListItem *item2) {
        return compare(item1, item2, paramSort) < 0;
    });
    return true;
}

void TTntCustomListView::Refresh()
{
    m_rowCache.clear();
    RowsChanged(0, RowCount() - 1);
}

void TTntCustomListView::AddItem(const QString &item, void *aObject)
{
    TTntListItem *added = m_items->Add();
    added->SetCaption(item);
    added->SetData(aObject);
}

void TTntCustomListView::CopySelection(TTntCustomListView &destination) const
{
    for (const auto &[first, last] : SelectedRowRanges(selectionModel()->selection())) {
        for (int row = first; row <= last; ++row) {
            const TTntListItem *item = ItemAt(row);
            destination.AddItem(item->Caption(), item->Data());
        }
    }
}

void TTntCustomListView::OwnerDataFetch(TTntListItem &item)
{
    if (OnData)
        OnData(this, &item);
}

int TTntCustomListView::OwnerDataFind(TItemFind find, const QString &findString, const QPoint &findPosition,
                                      void *findData, int startIndex, TSearchDirection direction, bool wrap)
{
    int index = -1;
    if (OnDataFind)
        OnDataFind(this, find, findString, findPosition, findData, startIndex, direction, wrap, index);
    return index;
}

void TTntCustomListView::ColClick(TTntListColumn *column)
{
    if (OnColumnClick)
        OnColumnClick(this, column);
}

void TTntCustomListView::HeaderSectionResized(TTntListColumn &column, int, int newWidth)
{
    column.m_width = newWidth;
}

void TTntCustomListView::ColumnsChanged() {}

bool TTntCustomListView::CanEdit(TTntListItem *item)
{
    bool allowEdit = true;
    if (OnEditing)
        OnEditing(this, item, allowEdit);
    return allowEdit;
}

void TTntCustomListView::SetColumnWidthSilently(TTntListColumn &column, int width)
{
    TLevel silent(m_silentResize);
    if (column.m_index < header()->count())
        header()->resizeSection(column.m_index, width);
    column.m_width = width;
}

bool TTntCustomListView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool opensEditor = index.isValid() && index.column() == 0 && !m_readOnly &&
                             (trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger));
    if (opensEditor && !CanEdit(ItemAt(index.row())))
        return false;
    return QTreeView::edit(index, trigger, event);
}

void TTntCustomListView::keyboardSearch(const QString &search)
{
    // The base searches by reading every row's text; an owner-data list asks
    // its owner instead.
    if (!m_ownerData) {
        QTreeView::keyboardSearch(search);
        return;
    }
    const int count = RowCount();
    if (search.isEmpty() || count == 0) {
        m_keyboardInput.clear();
        return;
    }
    const bool continuing =
        m_keyboardTimer.isValid() && m_keyboardTimer.elapsed() <= QApplication::keyboardInputInterval();
    m_keyboardInput = continuing ? m_keyboardInput + search : search;
    m_keyboardTimer.start();
    const QModelIndex current = selectionModel()->currentIndex();
    int start = current.isValid() ? current.row() : 0;
    if (!continuing && current.isValid())
        start = (start + 1) % count;
    const int found = OwnerDataFind(TItemFind::ifPartialString, m_keyboardInput, QPoint(), nullptr, start,
                                    TSearchDirection::sdAll, true);
    if (found < 0 || found >= count)
        return;
    const QModelIndex index = RowIndex(found);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void TTntCustomListView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    ReportSelection(selected, deselected);
}

void TTntCustomListView::ReportSelection(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (m_structureChanging > 0 || (!OnSelectItem && !OnDataStateChange))
        return;
    auto on = SelectedRowRanges(selected);
    const auto off = SelectedRowRanges(deselected);
    if (!m_ownerData) {
        for (const auto &[first, last] : off)
            for (int row = first; row <= last && OnSelectItem; ++row)
                OnSelectItem(this, ItemAt(row), false);
        for (const auto &[first, last] : on)
            for (int row = first; row <= last && OnSelectItem; ++row)
                OnSelectItem(this, ItemAt(row), true);
        return;
    }
    // Owner-data: one deselected row is reported as that item; more at once
    // as "all" (no item), followed by every row still selected, so an owner
    // that mirrors the selection never loses a row.
    qint64 offCount = 0;
    for (const auto &[first, last] : off)
        offCount += last - first + 1;
    if (offCount == 1 && OnSelectItem)
        OnSelectItem(this, ItemAt(off.front().first), false);
    else if (offCount > 1) {
        if (OnSelectItem)
            OnSelectItem(this, nullptr, false);
        on = SelectedRowRanges(selectionModel()->selection());
    }
    for (const auto &[first, last] : on) {
        if (first == last) {
            if (OnSelectItem)
                OnSelectItem(this, ItemAt(first), true);
        } else if (OnDataStateChange) {
            OnDataStateChange(this, first, last, false, true);
        }
    }
}

std::unique_ptr<TTntListItem> TTntCustomListView::CreateListItem()
{
    TListItemClass itemClass = [](TTntListItems &owner) -> TListItem * { return new TTntListItem(owner); };
    if (OnCreateItemClass)
        OnCreateItemClass(this, itemClass);
    std::unique_ptr<TListItem> created(itemClass ? itemClass(*m_items) : nullptr);
    auto *item = dynamic_cast<TTntListItem *>(created.get());
    if (!item || &item->m_owner != m_items.get())
        throw ETntInternalError(kItemClassError);
    created.release();
    return std::unique_ptr<TTntListItem>(item);
}

int TTntCustomListView::RowCount() const
{
    return m_ownerData ? m_items->m_count : static_cast<int>(m_items->m_items.size());
}

TTntListItem *TTntCustomListView::ItemAt(int row) const
{
    return m_ownerData ? TemporaryItem(row) : m_items->m_items[static_cast<std::size_t>(row)].get();
}

TTntListItem *TTntCustomListView::TemporaryItem(int row) const
{
    const TCachedRow cached = CachedRow(row);
    TTntListItem &item = *m_tempItem; // made by CachedRow
    item.m_index = row;
    item.m_caption = cached.Caption;
    item.m_subItems->Clear();
    for (const QString &text : cached.SubItems)
        item.m_subItems->Add(text);
    item.m_data = cached.Data;
    item.m_imageIndex = cached.ImageIndex;
    return &item;
}

const TTntCustomListView::TCachedRow &TTntCustomListView::CachedRow(int row) const
{
    if (!m_tempItem) {
        m_tempItem = const_cast<TTntCustomListView *>(this)->CreateListItem();
        m_tempItem->m_temporary = true;
    }
    const auto found = m_rowCache.constFind(row);
    if (found != m_rowCache.constEnd())
        return *found;
    TTntListItem &item = *m_tempItem;
    item.m_index = row;
    item.m_caption.clear();
    item.m_subItems->Clear();
    item.m_data = nullptr;
    item.m_imageIndex = -1;
    item.m_checked = false;
    // Filling the row is a read of the owner's data; only the cache changes.
    const_cast<TTntCustomListView *>(this)->OwnerDataFetch(item);
    return *m_rowCache.insert(row, TCachedRow{item.m_caption, toStringList(*item.m_subItems), item.m_data,
                                              item.m_imageIndex});
}

QModelIndex TTntCustomListView::RowIndex(int row) const
{
    return row >= 0 && row < RowCount() ? m_model->index(row, 0) : QModelIndex();
}

QString TTntCustomListView::CellText(int row, int column) const
{
    if (m_ownerData) {
        const TCachedRow &cached = CachedRow(row);
        return column == 0 ? cached.Caption : cached.SubItems.value(column - 1);
    }
    const TTntListItem &item = *m_items->m_items[static_cast<std::size_t>(row)];
    if (column == 0)
        return item.m_caption;
    return column - 1 < item.m_subItems->Count() ? item.m_subItems->Get(column - 1) : QString();
}

QModelIndex TTntCustomListView::IndexAtY(int y) const
{
    QModelIndex index = indexAt(QPoint(0, y));
    for (int column = 0; !index.isValid() && column < header()->count(); ++column)
        if (header()->sectionSize(column) > 0)
            index = indexAt(QPoint(columnViewportPosition(column), y));
    return index;
}

std::pair<int, int> TTntCustomListView::VisibleRows() const
{
    const QModelIndex top = IndexAtY(0);
    if (!top.isValid())
        return {-1, -1};
    const QModelIndex bottom = IndexAtY(viewport()->height() - 1);
    return {top.row(), bottom.isValid() ? bottom.row() : RowCount() - 1};
}

std::vector<std::pair<int, int>> TTntCustomListView::SelectedRowRanges(const QItemSelection &selection) const
{
    // Rows count by their column 0: the parts of a row selection that reach
    // columns added later are not rows of their own.
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange &range : selection)
        if (range.isValid() && range.left() == 0)
            ranges.emplace_back(range.top(), range.bottom());
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto &range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}

void TTntCustomListView::ItemChanged(const TTntListItem &item)
{
    if (m_items->m_updateCount == 0)
        RowsChanged(item.m_index, item.m_index);
}

void TTntCustomListView::RowsChanged(int first, int last)
{
    if (m_ownerData) {
        // Only the rows on the screen show anything; the rest are read again
        // when they appear. A hidden list shows none (and laying it out to
        // find out would read row 0).
        if (!isVisible())
            return;
        const auto [top, bottom] = VisibleRows();
        first = std::max(first, top);
        last = std::min(last, bottom);
        viewport()->update();
    }
    if (first < 0 || first > last || last >= RowCount())
        return;
    emit m_model->dataChanged(m_model->index(first, 0), m_model->index(last, m_model->columnCount() - 1));
}

TTntListColumn *TTntCustomListView::InsertColumn(std::unique_ptr<TTntListColumn> column)
{
    TTntListColumn *result = column.get();
    auto &columns = m_columns->m_items;
    const int index = static_cast<int>(columns.size());
    column->m_index = index;
    {
        TLevel structure(m_structureChanging);
        if (index == 0) {
            // The model always has a column 0; it now belongs to a column.
            columns.push_back(std::move(column));
            emit m_model->headerDataChanged(Qt::Horizontal, 0, 0);
            RowsChanged(0, RowCount() - 1);
        } else {
            m_model->BeginInsertColumns(index, index);
            columns.push_back(std::move(column));
            m_model->EndInsertColumns();
            // Selected rows reach into the new column too.
            const QItemSelection selection = selectionModel()->selection();
            if (!selection.isEmpty())
                selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        SetColumnWidthSilently(*result, result->m_width);
    }
    ColumnsChanged();
    return result;
}

void TTntCustomListView::RemoveColumn(int index)
{
    auto &columns = m_columns->m_items;
    {
        TLevel structure(m_structureChanging);
        if (columns.size() == 1) {
            columns.clear();
            emit m_model->headerDataChanged(Qt::Horizontal, 0, 0);
            RowsChanged(0, RowCount() - 1);
        } else {
            m_model->BeginRemoveColumns(index, index);
            columns.erase(columns.begin() + index);
            for (std::size_t i = static_cast<std::size_t>(index); i < columns.size(); ++i)
                columns[i]->m_index = static_cast<int>(i);
            m_model->EndRemoveColumns();
        }
    }
    ColumnsChanged();
}

void TTntCustomListView::ResizeColumn(TTntListColumn &column, int width)
{
    // The header reports the new size back through OnSectionResized.
    if (column.m_index < header()->count())
        header()->resizeSection(column.m_index, width);
    else
        column.m_width = width;
}

void TTntCustomListView::ColumnHeaderChanged(const TTntListColumn &column, bool cellsToo)
{
    emit m_model->headerDataChanged(Qt::Horizontal, column.m_index, column.m_index);
    if (cellsToo)
        RowsChanged(0, RowCount() - 1);
}

void TTntCustomListView::ApplyColumnWidths()
{
    for (const auto &column : m_columns->m_items)
        SetColumnWidthSilently(*column, column->m_width);
}

void TTntCustomListView::OnSectionResized(int logicalIndex, int, int newSize)
{
    TTntListColumn *column = ColumnAt(logicalIndex);
    if (!column)
        return;
    if (m_silentResize > 0) {
        column->m_width = newSize;
        return;
    }
    if (newSize != column->m_width)
        HeaderSectionResized(*column, column->m_width, newSize);
}

void TTntCustomListView::OnSectionClicked(int logicalIndex)
{
    if (TTntListColumn *column = ColumnAt(logicalIndex))
        ColClick(column);
}

void TTntCustomListView::CaptionEdited(int row, const QString &text)
{
    TTntListItem *item = ItemAt(row);
    QString caption = text;
    if (OnEdited)
        OnEdited(this, item, caption);
    if (!m_ownerData) {
        item->SetCaption(caption);
        return;
    }
    item->m_caption = caption;
    auto cached = m_rowCache.find(row);
    if (cached != m_rowCache.end())
        cached->Caption = caption;
    RowsChanged(row, row);
}

// ---- TTntListView --------------------------------------------------------------

TTntListView::TTntListView(QWidget *parent) : TTntCustomListView(parent) {}
