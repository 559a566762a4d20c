#include "addressbook/AdrsListView.h"

#include "util/SubUnit.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

TAddressListView::TAddressListView(QWidget *Parent) : QTableView(Parent)
{
    setObjectName(QStringLiteral("lvAddress"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setAlternatingRowColors(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + ScaleForDpi(4, true));
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

TAddressListView::~TAddressListView() = default;

int TAddressListView::CellMargin()
{
    return ScaleForDpi(6, true);
}

bool TAddressListView::InDragRange(int Row) const
{
    if (m_dragStart < 0 || m_dragEnd < 0)
        return false;
    return Row >= qMin(m_dragStart, m_dragEnd) && Row <= qMax(m_dragStart, m_dragEnd);
}

int TAddressListView::TopRow() const
{
    if (!model() || model()->rowCount() == 0)
        return -1;
    const int row = rowAt(0);
    return row < 0 ? 0 : row;
}

int TAddressListView::VisibleRowCount() const
{
    const int height = verticalHeader()->defaultSectionSize();
    return height > 0 ? qMax(1, viewport()->height() / height) : 1;
}

void TAddressListView::mousePressEvent(QMouseEvent *Event)
{
    const int rows = model() ? model()->rowCount() : 0;
    // A press makes the focused row selected when nothing is.
    if (rows > 0 && selectionModel() && !selectionModel()->hasSelection() && currentIndex().isValid())
        selectionModel()->select(currentIndex(), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    QTableView::mousePressEvent(Event);
    if (Event->button() == Qt::RightButton) {
        emit PopupRequested(Event->globalPosition().toPoint());
        return;
    }
    if (Event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(Event->position().toPoint());
    if (!index.isValid())
        return;
    m_dragStart = m_dragEnd = index.row();
}

void TAddressListView::trackDragEnd(int y, bool scroll)
{
    const int last = model()->rowCount() - 1;
    const int bottom = viewport()->height();
    if (y < 0) {
        if (scroll)
            verticalScrollBar()->setValue(verticalScrollBar()->value() + y);
        m_dragEnd = TopRow();
    } else if (y > bottom) {
        if (scroll)
            verticalScrollBar()->setValue(verticalScrollBar()->value() + (y - bottom));
        m_dragEnd = qMin(TopRow() + VisibleRowCount() - 1, last);
    } else {
        const int row = rowAt(y);
        if (row >= 0)
            m_dragEnd = row;
    }
}

void TAddressListView::finishDrag(int y, bool buttonUp)
{
    trackDragEnd(y, !buttonUp);
    const QModelIndex end = model()->index(m_dragEnd, 0);
    selectionModel()->setCurrentIndex(end, QItemSelectionModel::NoUpdate);
    if (!buttonUp || m_dragStart != m_dragEnd) {
        const int top = qMin(m_dragStart, m_dragEnd);
        const int bottomRow = qMax(m_dragStart, m_dragEnd);
        const QItemSelection range(model()->index(top, 0), model()->index(bottomRow, 0));
        selectionModel()->select(range, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    m_dragStart = m_dragEnd = -1;
    viewport()->update();
}

void TAddressListView::mouseMoveEvent(QMouseEvent *Event)
{
    if (m_dragStart < 0) {
        QTableView::mouseMoveEvent(Event);
        return;
    }
    const int y = Event->position().toPoint().y();
    if (!(Event->buttons() & Qt::LeftButton)) {
        finishDrag(y, false);
        return;
    }
    trackDragEnd(y, true);
    selectionModel()->setCurrentIndex(model()->index(m_dragEnd, 0), QItemSelectionModel::NoUpdate);
    viewport()->update();
}

void TAddressListView::mouseReleaseEvent(QMouseEvent *Event)
{
    if (m_dragStart >= 0 && Event->button() == Qt::LeftButton)
        finishDrag(Event->position().toPoint().y(), true);
    QTableView::mouseReleaseEvent(Event);
}

void TAddressListView::mouseDoubleClickEvent(QMouseEvent *Event)
{
    const QModelIndex index = indexAt(Event->position().toPoint());
    QTableView::mouseDoubleClickEvent(Event);
    if (index.isValid() && Event->button() == Qt::LeftButton)
        emit RowDoubleClicked(index.row());
}

void TAddressListView::paintEvent(QPaintEvent *Event)
{
    QTableView::paintEvent(Event);
    // The focus frame goes round the whole focused row, not one cell.
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !model() || model()->columnCount() == 0)
        return;
    const QRect first = visualRect(model()->index(current.row(), 0));
    const QRect last = visualRect(model()->index(current.row(), model()->columnCount() - 1));
    const QRect row = first.united(last);
    if (!row.intersects(viewport()->rect()))
        return;
    QPainter painter(viewport());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = row.adjusted(0, 0, -1, -1);
    option.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
