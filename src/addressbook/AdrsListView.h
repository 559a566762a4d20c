#pragma once

#include <QTableView>

// The list control of the main list window: a read-only, row-selecting,
// multi-selecting table over TAddressListModel whose selection model is the
// only record of the selected rows. Beyond the table's own clicks it runs
// the list's drag selection: a left press on a row starts a drag, moving
// above or below the rows scrolls (in pixels) and moves the drag end, and
// releasing adds every row between start and end to the selection. While a
// drag runs the rows between its ends paint as selected
// (TAddressListDelegate asks InDragRange). A right press asks for the
// row pop-up (PopupRequested); a double click on a row emits RowDoubleClicked.
class TAddressListView : public QTableView
{
    Q_OBJECT

public:
    explicit TAddressListView(QWidget *Parent = nullptr);
    ~TAddressListView() override;

    [[nodiscard]] int DragStart() const { return m_dragStart; }
    [[nodiscard]] int DragEnd() const { return m_dragEnd; }
    // True while a drag runs and Row lies between its ends.
    [[nodiscard]] bool InDragRange(int Row) const;

    // The first row shown at the top of the viewport; -1 without rows.
    [[nodiscard]] int TopRow() const;
    // Rows that fit the viewport (at least 1).
    [[nodiscard]] int VisibleRowCount() const;

    // Width of the text margin on each side of a cell, in screen pixels.
    [[nodiscard]] static int CellMargin();

signals:
    void PopupRequested(const QPoint &GlobalPos);
    void RowDoubleClicked(int Row);

protected:
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    void paintEvent(QPaintEvent *Event) override;

private:
    // The drag end for a cursor at viewport y: above the rows the top row
    // (scrolling up first when Scroll), below them the last visible row
    // (scrolling down first when Scroll), else the row under the cursor.
    void trackDragEnd(int y, bool scroll);
    void finishDrag(int y, bool buttonUp);

    int m_dragStart = -1;
    int m_dragEnd = -1;
};
