#pragma once

#include <QAbstractButton>
#include <QListWidget>

#include <algorithm>
#include <cstddef>

// The choosers of columns and of copy items show a check-box list beside an
// array of records, one record per row in the same order. These helpers add
// rows and keep the records in step when rows move or check marks are read.

// Appends a check-box row that the user can tick but not edit.
inline QListWidgetItem *AddCheckRow(QListWidget *list, const QString &caption, bool checked)
{
    auto *item = new QListWidgetItem(caption);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    list->addItem(item);
    return item;
}

// Moves the current row and its record to `target`; the rows between shift
// by one and the moved row stays current, selected, visible and focused.
// Nothing moves without a current row or for a target outside the list.
template <typename Records>
void MoveCurrentCheckRow(QListWidget *list, Records &records, int target)
{
    const int row = list->currentRow();
    if (row < 0 || target < 0 || target >= list->count() || target == row)
        return;
    QListWidgetItem *item = list->takeItem(row);
    list->insertItem(target, item);
    auto first = records.begin();
    if (target < row)
        std::rotate(first + target, first + row, first + row + 1);
    else
        std::rotate(first + row, first + row + 1, first + target + 1);
    list->setCurrentItem(item);
    item->setSelected(true);
    list->scrollToItem(item);
    list->setFocus();
}

// Wires the four move buttons (to the top, one up, one down, to the bottom)
// of a check-box list to MoveCurrentCheckRow; `owner` keeps the connections.
template <typename Records>
void ConnectCheckRowMoves(QObject *owner, QListWidget *list, Records &records, QAbstractButton *top,
                          QAbstractButton *up, QAbstractButton *down, QAbstractButton *bottom)
{
    QObject::connect(top, &QAbstractButton::clicked, owner, [list, &records] { MoveCurrentCheckRow(list, records, 0); });
    QObject::connect(up, &QAbstractButton::clicked, owner,
                     [list, &records] { MoveCurrentCheckRow(list, records, list->currentRow() - 1); });
    QObject::connect(down, &QAbstractButton::clicked, owner,
                     [list, &records] { MoveCurrentCheckRow(list, records, list->currentRow() + 1); });
    QObject::connect(bottom, &QAbstractButton::clicked, owner,
                     [list, &records] { MoveCurrentCheckRow(list, records, list->count() - 1); });
}

// Writes each row's check mark into the `flag` of the record in that row.
template <typename Records, typename Record>
void TakeCheckMarks(const QListWidget *list, Records &records, bool Record::*flag)
{
    for (int row = 0; row < list->count() && row < static_cast<int>(records.size()); ++row)
        records[static_cast<std::size_t>(row)].*flag = list->item(row)->checkState() == Qt::Checked;
}

[[nodiscard]] inline bool AnyRowChecked(const QListWidget *list)
{
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->checkState() == Qt::Checked)
            return true;
    return false;
}
