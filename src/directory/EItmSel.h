#pragma once

#include "directory/SchExport.h"

#include <QDialog>

class QListWidget;
class QPushButton;

// "出力項目の設定": the user ticks and orders the columns an export of
// directory hits writes. Edits a copy of the window's column array.
class TExportItemSelect : public QDialog
{
    Q_OBJECT
public:
    explicit TExportItemSelect(QWidget *Parent = nullptr);

    // Lists the columns in array order, each ticked when exported; the first
    // row is selected and focused.
    void SetItems(const TExportColumns &Columns);
    // The columns in the list's order, exported as ticked.
    [[nodiscard]] TExportColumns GetItems() const;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    // Moves the focused row to Row (clamped), keeping it selected and focused.
    void moveTo(int Row);
    void addRow(const TExportColumn &Column);

    QListWidget *lvItem = nullptr;
    QPushButton *btnOk = nullptr;
};
