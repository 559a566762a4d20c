#pragma once

#include <QStyledItemDelegate>

class TAddressListView;

// Paints the cells of the main list from the model's cached texts: the row
// background (highlight for selected rows and rows inside a running drag,
// else the list's base colour, which UpdateListColor sets), the text in one
// elided line with the column's alignment, the search word's cells in blue
// (yellow on selected rows), the symbol mark in its own colour. Hands a
// QPainter only, so a grab or a print paints the same.
class TAddressListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TAddressListDelegate(TAddressListView *View);
    ~TAddressListDelegate() override;

    void paint(QPainter *Painter, const QStyleOptionViewItem &Option, const QModelIndex &Index) const override;

private:
    TAddressListView *m_view;
};
