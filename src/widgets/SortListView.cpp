#include "widgets/SortListView.h"

#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>

#include <utility>

namespace {

TSortDir nextDir(TSortDir dir)
{
    switch (dir) {
    case TSortDir::sdAsc:
        return TSortDir::sdDesc;
    case TSortDir::sdDesc:
        return TSortDir::sdNone;
    case TSortDir::sdNone:
        break;
    }
    return TSortDir::sdAsc;
}

} // namespace

TCustomSortListView::TCustomSortListView(QWidget *parent) : TTntListView(parent), m_header(header())
{
    // A double click on a divider is the owner's to handle: the tree view's
    // own auto-size would read every visible row's text.
    disconnect(m_header, &QHeaderView::sectionHandleDoubleClicked, this, nullptr);
    connect(m_header, &QHeaderView::sectionHandleDoubleClicked, this, [this](int logicalIndex) {
        if (TTntListColumn *column = ColumnAt(logicalIndex); column && OnDividerDblClick)
            OnDividerDblClick(this, column);
    });
    m_header->viewport()->installEventFilter(this);
    ApplyColumns();
}

TCustomSortListView::~TCustomSortListView()
{
    m_header->viewport()->removeEventFilter(this);
}

void TCustomSortListView::SetShowDragImage(bool value)
{
    m_showDragImage = value;
}

void TCustomSortListView::SetSortIndex(int value)
{
    if (value < 0 || value >= Columns().Count())
        value = 0;
    if (value == m_sortIndex)
        return;
    const int oldIndex = m_sortIndex;
    m_sortIndex = value;
    m_sortDir = m_sortDirs.First();
    DoSortChange(oldIndex, m_sortIndex);
    ApplyColumns();
}

void TCustomSortListView::SetSortDir(TSortDir value)
{
    if (value == m_sortDir || !m_sortDirs.Contains(value))
        return;
    m_sortDir = value;
    DoSortChange(m_sortIndex, m_sortIndex);
    ApplyColumns();
}

void TCustomSortListView::SetSortDirs(TSortDirs value)
{
    if (value == m_sortDirs || value.IsEmpty())
        return;
    m_sortDirs = value;
    if (!m_sortDirs.Contains(m_sortDir))
        SetSortDir(m_sortDirs.First());
}

void TCustomSortListView::ColClick(TTntListColumn *column)
{
    if (column->Index() == m_sortIndex) {
        TSortDir dir = m_sortDir;
        do
            dir = nextDir(dir);
        while (!m_sortDirs.Contains(dir)); // never empty, so this ends
        if (dir != m_sortDir) {
            m_sortDir = dir;
            DoSortChange(m_sortIndex, m_sortIndex);
        }
    } else {
        const int oldIndex = m_sortIndex;
        m_sortIndex = column->Index();
        m_sortDir = m_sortDirs.First();
        DoSortChange(oldIndex, m_sortIndex);
    }
    // Always: the header has already flipped its own indicator for the click.
    ApplyColumns();
    TTntListView::ColClick(column);
}

void TCustomSortListView::HeaderSectionResized(TTntListColumn &column, int oldWidth, int newWidth)
{
    if (m_trackStartWidth >= 0) {
        TTntListView::HeaderSectionResized(column, oldWidth, newWidth);
        if (OnDividerMouseDown)
            OnDividerMouseDown(this, &column);
        return;
    }
    bool allowChange = true;
    if (OnColumnWidthChanging)
        OnColumnWidthChanging(this, &column, newWidth, allowChange);
    if (!allowChange) {
        // Refused: the section goes back to the width the column keeps.
        SetColumnWidthSilently(column, oldWidth);
        return;
    }
    TTntListView::HeaderSectionResized(column, oldWidth, newWidth);
    if (OnColumnWidthChange)
        OnColumnWidthChange(this, &column, column.Width());
}

void TCustomSortListView::ColumnsChanged()
{
    TTntListView::ColumnsChanged();
    ApplyColumns();
}

bool TCustomSortListView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_header->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const int column = mouse->button() == Qt::LeftButton ? DividerAt(mouse->position().toPoint().x()) : -1;
            if (const TTntListColumn *listColumn = ColumnAt(column)) {
                m_trackColumn = column;
                m_trackStartWidth = listColumn->Width();
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && m_trackStartWidth >= 0)
                EndTrack();
        }
    }
    return TTntListView::eventFilter(watched, event);
}

void TCustomSortListView::ApplyColumns()
{
    const bool arrow = (m_sortDir == TSortDir::sdAsc || m_sortDir == TSortDir::sdDesc) && m_sortIndex >= 0 &&
                       m_sortIndex < Columns().Count();
    if (arrow) {
        m_header->setSortIndicator(m_sortIndex,
                                   m_sortDir == TSortDir::sdAsc ? Qt::AscendingOrder : Qt::DescendingOrder);
        m_header->setSortIndicatorShown(true);
    } else {
        m_header->setSortIndicatorShown(false);
        m_header->setSortIndicator(-1, Qt::AscendingOrder);
    }
}

void TCustomSortListView::DoSortChange(int oldIndex, int newIndex)
{
    if (OnSortChange)
        OnSortChange(this, oldIndex, newIndex);
}

int TCustomSortListView::DividerAt(int x) const
{
    // The same test the header uses to start a resize: within the grip
    // margin of a section's right edge, or of its left edge (then the
    // divider belongs to the previous visible section).
    int visual = m_header->visualIndexAt(x);
    if (visual < 0)
        return -1;
    const int logical = m_header->logicalIndex(visual);
    const int left = m_header->sectionViewportPosition(logical);
    const int grip = m_header->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, m_header);
    bool atLeft = x < left + grip;
    bool atRight = x > left + m_header->sectionSize(logical) - grip;
    if (m_header->layoutDirection() == Qt::RightToLeft)
        std::swap(atLeft, atRight);
    int column = -1;
    if (atRight) {
        column = logical;
    } else if (atLeft) {
        while (visual > 0 && column < 0) {
            const int previous = m_header->logicalIndex(--visual);
            if (!m_header->isSectionHidden(previous))
                column = previous;
        }
    }
    if (column >= 0 && m_header->sectionResizeMode(column) != QHeaderView::Interactive)
        return -1;
    return column;
}

void TCustomSortListView::EndTrack()
{
    const int startWidth = m_trackStartWidth;
    TTntListColumn *column = ColumnAt(m_trackColumn);
    // Reset in every case: a drag released at its starting width must not
    // leave the control believing a drag is still running (later width
    // changes by code would go unreported).
    m_trackStartWidth = -1;
    m_trackColumn = -1;
    if (!column)
        return;
    if (column->Width() != startWidth && OnColumnWidthChange)
        OnColumnWidthChange(this, column, column->Width());
    if (OnDividerMouseUp)
        OnDividerMouseUp(this, column);
}

TSortListView::TSortListView(QWidget *parent) : TCustomSortListView(parent) {}
