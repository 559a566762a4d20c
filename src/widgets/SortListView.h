#pragma once

#include "widgets/TntComCtrls.h"

#include <cstdint>
#include <functional>
#include <initializer_list>

// Direction of the sort column; sdNone is the owner's natural order.
enum class TSortDir : std::uint8_t {
    sdAsc = 0,
    sdDesc = 1,
    sdNone = 2,
};

// A set of sort directions: those a header click may step through.
class TSortDirs
{
public:
    constexpr TSortDirs() = default;
    constexpr TSortDirs(std::initializer_list<TSortDir> dirs)
    {
        for (TSortDir dir : dirs)
            m_bits = static_cast<std::uint8_t>(m_bits | bit(dir));
    }

    [[nodiscard]] constexpr bool Contains(TSortDir dir) const { return (m_bits & bit(dir)) != 0; }
    [[nodiscard]] constexpr bool IsEmpty() const { return m_bits == 0; }
    // sdAsc when it is in the set, else sdDesc when it is, else sdNone.
    [[nodiscard]] constexpr TSortDir First() const
    {
        if (Contains(TSortDir::sdAsc))
            return TSortDir::sdAsc;
        return Contains(TSortDir::sdDesc) ? TSortDir::sdDesc : TSortDir::sdNone;
    }
    constexpr bool operator==(const TSortDirs &) const = default;

private:
    static constexpr std::uint8_t bit(TSortDir dir) { return static_cast<std::uint8_t>(1u << static_cast<unsigned>(dir)); }

    std::uint8_t m_bits = 0;
};

class QHeaderView;

using TSortChangeEvent = std::function<void(QObject *Sender, int OldIndex, int NewIndex)>;
using TColumnWidthChangeEvent = std::function<void(QObject *Sender, TTntListColumn *Column, int NewWidth)>;
using TColumnWidthChangingEvent =
    std::function<void(QObject *Sender, TTntListColumn *Column, int NewWidth, bool &AllowChange)>;
using TDividerDblClickEvent = std::function<void(QObject *Sender, TTntListColumn *Column)>;
using TDividerMouseDown = std::function<void(QObject *Sender, TTntListColumn *Column)>;
using TDividerMouseUp = std::function<void(QObject *Sender, TTntListColumn *Column)>;

// A report list whose column header carries the sort state: a click on a
// header selects the sort column or steps its direction through SortDirs,
// the header shows an ascending or descending arrow on the sort column (none
// for sdNone), and OnSortChange tells the owner, who sorts its rows itself.
// It also reports column widths changed by dragging a divider or by code
// (OnColumnWidthChanging may refuse a change made by code), and divider
// double clicks (which do not auto-size the column).
class TCustomSortListView : public TTntListView
{
    Q_OBJECT

public:
    explicit TCustomSortListView(QWidget *parent = nullptr);
    ~TCustomSortListView() override;

    // Stored for the owner; the control never drags items.
    [[nodiscard]] bool ShowDragImage() const { return m_showDragImage; }
    virtual void SetShowDragImage(bool value);
    [[nodiscard]] int SortIndex() const { return m_sortIndex; }
    // An index outside the columns becomes 0. A new index takes the first
    // allowed direction and fires OnSortChange(old, new).
    virtual void SetSortIndex(int value);
    [[nodiscard]] TSortDir SortDir() const { return m_sortDir; }
    // Ignored when equal or not in SortDirs; otherwise OnSortChange(i, i).
    virtual void SetSortDir(TSortDir value);
    [[nodiscard]] TSortDirs SortDirs() const { return m_sortDirs; }
    // Ignored when equal or empty; a direction no longer allowed is replaced
    // by the first allowed one (through SetSortDir).
    virtual void SetSortDirs(TSortDirs value);

    TSortChangeEvent OnSortChange;
    TColumnWidthChangeEvent OnColumnWidthChange;
    TColumnWidthChangingEvent OnColumnWidthChanging;
    TDividerDblClickEvent OnDividerDblClick;
    // Each step of a divider drag.
    TDividerMouseDown OnDividerMouseDown;
    // The end of a divider drag (also when the width did not change).
    TDividerMouseUp OnDividerMouseUp;

protected:
    void ColClick(TTntListColumn *column) override;
    void HeaderSectionResized(TTntListColumn &column, int oldWidth, int newWidth) override;
    void ColumnsChanged() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Puts the arrow on the sort column, or takes it away.
    void ApplyColumns();
    void DoSortChange(int oldIndex, int newIndex);
    // The column whose right divider is at x (header viewport coordinates),
    // -1 when x is on no divider.
    [[nodiscard]] int DividerAt(int x) const;
    void EndTrack();

    bool m_showDragImage = false;
    int m_sortIndex = 0;
    TSortDir m_sortDir = TSortDir::sdAsc;
    TSortDirs m_sortDirs{TSortDir::sdAsc, TSortDir::sdDesc};
    // Width of the dragged column when the drag began; -1 while no divider
    // is being dragged.
    int m_trackStartWidth = -1;
    int m_trackColumn = -1;
    // The header whose viewport the control watches for divider drags.
    QHeaderView *m_header = nullptr;
};

// The sortable list as the forms place it.
class TSortListView : public TCustomSortListView
{
    Q_OBJECT

public:
    explicit TSortListView(QWidget *parent = nullptr);
};
