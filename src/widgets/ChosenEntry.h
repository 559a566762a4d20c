#pragma once

#include <QListWidget>
#include <QObject>

#include <utility>

// Calls Chosen(row) when the user chooses an entry of List, by a click or by
// the keys: once the current entry is also the selected one. A list makes an
// entry current without choosing it when it takes the focus, and a click makes
// the entry current before it selects it, so neither signal alone will do.
// Entries set by the program are chosen too: block the list's signals, or
// guard the handler, while the dialog fills it.
template <typename Handler> void OnEntryChosen(QListWidget *List, QObject *Context, Handler Chosen)
{
    const auto report = [List, Chosen = std::move(Chosen)] {
        const int row = List->currentRow();
        if (row >= 0 && List->item(row)->isSelected())
            Chosen(row);
    };
    QObject::connect(List, &QListWidget::currentRowChanged, Context, report);
    QObject::connect(List, &QListWidget::itemSelectionChanged, Context, report);
}
