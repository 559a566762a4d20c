#pragma once

#include "platform/Exception.h"
#include "widgets/Alignment.h"
#include "widgets/TntClasses.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTreeView>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QItemSelection;
class TTntCustomListView;
class TTntListColumns;
class TTntListItem;
class TTntListItems;
class TTntListViewModel;

// A bad index into the columns or items of a list view, or an operation the
// list's mode does not allow (adding items to an owner-data list).
MURVEN_DECLARE_EXCEPTION(EListError, Exception);

// What an owner-data find request looks for (type-ahead asks for a
// partial string).
enum class TItemFind : std::uint8_t { ifData = 0, ifPartialString = 1, ifExactString = 2, ifNearest = 3 };
enum class TSearchDirection : std::uint8_t { sdLeft = 0, sdRight = 1, sdAbove = 2, sdBelow = 3, sdAll = 4 };

// One column of a report list: wide caption, width in pixels and alignment,
// shown as the header section of the same index. The CP932 caption is
// derived from the wide one.
class TTntListColumn
{
public:
    explicit TTntListColumn(TTntListColumns &collection);
    virtual ~TTntListColumn() = default;
    TTntListColumn(const TTntListColumn &) = delete;
    TTntListColumn &operator=(const TTntListColumn &) = delete;

    [[nodiscard]] QString Caption() const { return m_caption; }
    void SetCaption(const QString &value);
    // The caption in CP932. Setting it replaces the wide caption only when the
    // bytes differ from the wide caption's own CP932 form, so a caption with
    // characters outside the code page survives being written back through
    // its byte form.
    [[nodiscard]] QByteArray AnsiCaption() const;
    void SetAnsiCaption(const QByteArray &value);
    [[nodiscard]] int Width() const { return m_width; }
    // Resizes the header section; the list view reports the change like one
    // made by the user (see TCustomSortListView).
    void SetWidth(int value);
    [[nodiscard]] TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value);
    [[nodiscard]] int Index() const { return m_index; }
    [[nodiscard]] TTntListColumns &Collection() const { return m_collection; }

    // Caption, width and alignment of source.
    virtual void Assign(const TTntListColumn &source);

private:
    friend class TTntListColumns;
    friend class TTntCustomListView;

    TTntListColumns &m_collection;
    QString m_caption;
    int m_width = 50;
    TAlignment m_alignment = TAlignment::taLeftJustify;
    int m_index = 0;
};

// The columns of a list view, in display order.
class TTntListColumns
{
public:
    explicit TTntListColumns(TTntCustomListView &owner);
    ~TTntListColumns();
    TTntListColumns(const TTntListColumns &) = delete;
    TTntListColumns &operator=(const TTntListColumns &) = delete;

    // Appends a column (empty caption, 50 pixels, left-aligned).
    TTntListColumn *Add();
    // Raises EListError for an index outside 0..Count-1.
    [[nodiscard]] TTntListColumn *GetItem(int index) const;
    [[nodiscard]] int Count() const { return static_cast<int>(m_items.size()); }
    void Delete(int index);
    void Clear();
    [[nodiscard]] TTntCustomListView &Owner() const { return m_owner; }

private:
    friend class TTntCustomListView;

    TTntCustomListView &m_owner;
    std::vector<std::unique_ptr<TTntListColumn>> m_items;
};

// The item type a create-item factory hands back. The list view works only
// with the wide family (TTntListItem and its subclasses) and refuses any
// other TListItem.
class TListItem
{
public:
    TListItem() = default;
    virtual ~TListItem() = default;
    TListItem(const TListItem &) = delete;
    TListItem &operator=(const TListItem &) = delete;
};

// The wide sub-items of one list item (the texts of columns 1, 2, ...).
// Every change repaints the item's row.
class TWideSubItems : public TTntStringList
{
public:
    explicit TWideSubItems(TTntListItem &owner);
    [[nodiscard]] TTntListItem &Owner() const { return m_owner; }

protected:
    void Changed() override;
    void SetUpdateState(bool updating) override;

private:
    TTntListItem &m_owner;
    bool m_updating = false;
};

// One row of a list view: the wide caption (column 0), the wide sub-items
// and an untyped data pointer the list does not own. Selected and Focused
// are the view's selection state of the item's row. In owner-data mode the
// list hands out one temporary item, refilled for whichever row is asked for.
class TTntListItem : public TListItem
{
public:
    explicit TTntListItem(TTntListItems &owner);
    ~TTntListItem() override;

    [[nodiscard]] QString Caption() const { return m_caption; }
    void SetCaption(const QString &value);
    [[nodiscard]] TWideSubItems &SubItems() const { return *m_subItems; }
    void SetSubItems(const TTntStrings &value);
    [[nodiscard]] void *Data() const { return m_data; }
    void SetData(void *value) { m_data = value; }
    // Stored for the owner; the list shows no images.
    [[nodiscard]] int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int value) { m_imageIndex = value; }
    // Shown as a check box in column 0 while the view's Checkboxes is on.
    [[nodiscard]] bool Checked() const { return m_checked; }
    void SetChecked(bool value);
    [[nodiscard]] bool Selected() const;
    void SetSelected(bool value);
    [[nodiscard]] bool Focused() const;
    void SetFocused(bool value);
    [[nodiscard]] int Index() const { return m_index; }
    [[nodiscard]] TTntListItems &Owner() const { return m_owner; }
    [[nodiscard]] TTntCustomListView &ListView() const;
    // Scrolls the row into view; with partialOk a partly visible row stays.
    void MakeVisible(bool partialOk);
    // Removes the item from its list (and destroys it).
    void Delete();

    // Caption, data, image index, sub-items (when source has any) and check
    // state of source.
    virtual void Assign(const TTntListItem &source);

private:
    friend class TTntListItems;
    friend class TTntCustomListView;
    friend class TWideSubItems;

    void Changed();

    TTntListItems &m_owner;
    QString m_caption;
    std::unique_ptr<TWideSubItems> m_subItems;
    void *m_data = nullptr;
    int m_imageIndex = -1;
    bool m_checked = false;
    int m_index = -1;
    // The owner-data item: its changes are not shown anywhere.
    bool m_temporary = false;
};

// The items of a list view. In owner-data mode the list holds no items, only
// a count; GetItem returns the temporary item filled for that row.
class TTntListItems
{
public:
    explicit TTntListItems(TTntCustomListView &owner);
    ~TTntListItems();
    TTntListItems(const TTntListItems &) = delete;
    TTntListItems &operator=(const TTntListItems &) = delete;

    // Both raise EListError in owner-data mode.
    TTntListItem *Add();
    TTntListItem *Insert(int index);
    // Raises EListError for an index outside 0..Count-1.
    [[nodiscard]] TTntListItem *GetItem(int index) const;
    [[nodiscard]] int Count() const;
    // Owner-data mode: the number of rows (the cached texts are dropped when
    // it changes). Ignored otherwise.
    void SetCount(int value);
    void Clear();
    // In owner-data mode the rows behind move up with their fetched texts.
    void Delete(int index);
    [[nodiscard]] int IndexOf(const TTntListItem *item) const;
    // Item changes between these repaint once, at the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    [[nodiscard]] TTntCustomListView &Owner() const { return m_owner; }

private:
    friend class TTntCustomListView;
    friend class TTntListItem;
    friend class TTntListViewModel;

    void Renumber(int from);

    TTntCustomListView &m_owner;
    std::vector<std::unique_ptr<TTntListItem>> m_items;
    int m_count = 0; // owner-data rows
    int m_updateCount = 0;
};

// Makes an item for a list; may return any TListItem, the list checks it.
using TListItemClass = std::function<TListItem *(TTntListItems &Owner)>;
// Compares two items for CustomSort: < 0, 0, > 0.
using TLVCompare = std::function<int(TTntListItem *Item1, TTntListItem *Item2, qintptr ParamSort)>;

// The report-style list view of the windows: a QTreeView (no tree
// decoration, uniform rows, whole-row extended selection) over a model of
// its own. In normal mode it owns its TTntListItems; in owner-data mode it
// holds only a row count and asks OnData for a row's texts the first time the
// row is painted, keeping them until Refresh or a change of the count, so a
// list of 100,000 rows costs only the rows on the screen. A subclass hooks
// header clicks (ColClick) and column resizes (HeaderSectionResized).
class TTntCustomListView : public QTreeView
{
    Q_OBJECT

public:
    explicit TTntCustomListView(QWidget *parent = nullptr);
    ~TTntCustomListView() override;

    using QTreeView::edit;

    [[nodiscard]] TTntListColumns &GetColumns() const { return *m_columns; }
    [[nodiscard]] TTntListColumns &Columns() const { return *m_columns; }
    // Raises EListError for an index outside the columns.
    [[nodiscard]] TTntListColumn *GetColumnFromIndex(int index) const;
    [[nodiscard]] TTntListItems &GetItems() const { return *m_items; }
    [[nodiscard]] TTntListItems &Items() const { return *m_items; }
    [[nodiscard]] TTntListItem *GetItemFocused() const;
    // Moves the focus without changing the selection; null removes it.
    void SetItemFocused(TTntListItem *value);
    // The first selected item, null when none.
    [[nodiscard]] TTntListItem *GetSelected() const;
    // Selects value in addition to the others; null deselects every item.
    void SetSelected(TTntListItem *value);
    // The item in the top row of the visible area, null for an empty list.
    [[nodiscard]] TTntListItem *GetTopItem() const;
    [[nodiscard]] int SelCount() const;

    [[nodiscard]] bool OwnerData() const { return m_ownerData; }
    // Switching drops every item (and the owner-data count).
    void SetOwnerData(bool value);
    void SetItemCount(int value);
    // Read-only (the default): captions cannot be edited. Otherwise a click
    // on the selected item or F2 edits its caption.
    [[nodiscard]] bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    // Whether header clicks reach ColClick (default true).
    [[nodiscard]] bool ColumnClick() const { return m_columnClick; }
    void SetColumnClick(bool value);
    [[nodiscard]] bool Checkboxes() const { return m_checkboxes; }
    void SetCheckboxes(bool value);

    // Sorts the items with OnCompare, or by their wide captions in Japanese
    // collation when there is none. False in owner-data mode.
    bool AlphaSort();
    // Sorts with sortProc (null: as AlphaSort, OnCompare receiving paramSort).
    // Stable; the selection and focus stay with their items.
    bool CustomSort(const TLVCompare &sortProc, qintptr paramSort);
    // Owner-data mode: forgets every row text fetched so far and repaints, so
    // the rows on the screen are asked for again.
    void Refresh();

    // Adds an item with caption item and data aObject.
    virtual void AddItem(const QString &item, void *aObject);
    // Adds the caption and data of every selected item to destination.
    void CopySelection(TTntCustomListView &destination) const;
    // Type-ahead. In owner-data mode the text typed so far goes to OnDataFind
    // (a partial-string find from the focused row, wrapping) and the row it
    // names becomes the focused, only selected row.
    void keyboardSearch(const QString &search) override;

    // Events. Item pointers in owner-data mode refer to the temporary item.
    std::function<void(QObject *Sender, TListItemClass &ItemClass)> OnCreateItemClass;
    std::function<void(QObject *Sender, TTntListItem *Item)> OnData;
    std::function<void(QObject *Sender, TItemFind Find, const QString &FindString, const QPoint &FindPosition,
                       void *FindData, int StartIndex, TSearchDirection Direction, bool Wrap, int &Index)>
        OnDataFind;
    std::function<void(QObject *Sender, TTntListItem *Item1, TTntListItem *Item2, qintptr Data, int &Compare)>
        OnCompare;
    std::function<void(QObject *Sender, TTntListColumn *Column)> OnColumnClick;
    std::function<void(QObject *Sender, TTntListItem *Item, bool &AllowEdit)> OnEditing;
    std::function<void(QObject *Sender, TTntListItem *Item, QString &S)> OnEdited;
    // One item changed its selected state. Item null with Selected false:
    // several items were deselected at once (owner-data mode), after which
    // the rows still selected are reported again.
    std::function<void(QObject *Sender, TTntListItem *Item, bool Selected)> OnSelectItem;
    // Owner-data mode: the rows StartIndex..EndIndex went from OldSelected to
    // NewSelected in one step (a range selected with Shift, select-all).
    std::function<void(QObject *Sender, int StartIndex, int EndIndex, bool OldSelected, bool NewSelected)>
        OnDataStateChange;

protected:
    // Owner-data: fill item (already cleared, Index set) for its row.
    virtual void OwnerDataFetch(TTntListItem &item);
    // Owner-data: the row that matches, -1 when none.
    virtual int OwnerDataFind(TItemFind find, const QString &findString, const QPoint &findPosition,
                              void *findData, int startIndex, TSearchDirection direction, bool wrap);
    // A header section was clicked; fires OnColumnClick.
    virtual void ColClick(TTntListColumn *column);
    // A header section of a column changed width, by the user or by
    // SetWidth, except while the control lays out its own columns.
    // column.Width() still holds oldWidth; the default takes over newWidth.
    virtual void HeaderSectionResized(TTntListColumn &column, int oldWidth, int newWidth);
    // Columns were added or removed.
    virtual void ColumnsChanged();
    // Whether the item's caption may be edited now; fires OnEditing.
    virtual bool CanEdit(TTntListItem *item);
    // The header section of column gets width without any report.
    void SetColumnWidthSilently(TTntListColumn &column, int width);
    // The column at an index, null outside the columns.
    [[nodiscard]] TTntListColumn *ColumnAt(int index) const;

    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    friend class TTntListColumn;
    friend class TTntListColumns;
    friend class TTntListItem;
    friend class TTntListItems;
    friend class TTntListViewModel;

    // Texts of an owner-data row as OnData filled them.
    struct TCachedRow {
        QString Caption;
        QStringList SubItems;
        void *Data = nullptr;
        int ImageIndex = -1;
    };

    [[nodiscard]] std::unique_ptr<TTntListItem> CreateListItem();
    [[nodiscard]] int RowCount() const;
    [[nodiscard]] TTntListItem *ItemAt(int row) const;
    [[nodiscard]] TTntListItem *TemporaryItem(int row) const;
    [[nodiscard]] const TCachedRow &CachedRow(int row) const;
    [[nodiscard]] QModelIndex RowIndex(int row) const;
    [[nodiscard]] QString CellText(int row, int column) const;
    [[nodiscard]] std::pair<int, int> VisibleRows() const;
    [[nodiscard]] std::vector<std::pair<int, int>> SelectedRowRanges(const QItemSelection &selection) const;
    [[nodiscard]] QModelIndex IndexAtY(int y) const;
    void ItemChanged(const TTntListItem &item);
    void RowsChanged(int first, int last);
    TTntListColumn *InsertColumn(std::unique_ptr<TTntListColumn> column);
    void RemoveColumn(int index);
    void ResizeColumn(TTntListColumn &column, int width);
    void ColumnHeaderChanged(const TTntListColumn &column, bool cellsToo);
    void ApplyColumnWidths();
    void OnSectionResized(int logicalIndex, int oldSize, int newSize);
    void OnSectionClicked(int logicalIndex);
    void CaptionEdited(int row, const QString &text);
    void ReportSelection(const QItemSelection &selected, const QItemSelection &deselected);

    TTntListViewModel *m_model = nullptr;
    std::unique_ptr<TTntListColumns> m_columns;
    std::unique_ptr<TTntListItems> m_items;
    bool m_ownerData = false;
    bool m_readOnly = true;
    bool m_columnClick = true;
    bool m_checkboxes = false;
    // > 0 while rows or columns are inserted or removed: the selection model
    // reports removed rows as deselected, which is no user's selection.
    int m_structureChanging = 0;
    // > 0 while the control sizes header sections itself.
    int m_silentResize = 0;
    mutable std::unique_ptr<TTntListItem> m_tempItem;
    mutable QHash<int, TCachedRow> m_rowCache;
    // Type-ahead in owner-data mode: the text typed so far and when.
    QString m_keyboardInput;
    QElapsedTimer m_keyboardTimer;
};

// The list view as the forms place it.
class TTntListView : public TTntCustomListView
{
    Q_OBJECT

public:
    explicit TTntListView(QWidget *parent = nullptr);
};
