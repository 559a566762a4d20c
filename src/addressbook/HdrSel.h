#pragma once

#include "addressbook/ListColumns.h"

#include <QDialog>

class QListWidget;
class QListWidgetItem;
class QPushButton;

// The column choice of the main list: one check-box row per column record
// in display order; the user checks the columns to show and moves rows to
// reorder them. SetColumns takes the window's 43 records, GetColumns gives
// them back in the dialog's order with the check marks as shown flags.
// Widths travel with their records and are never changed here.
class THeaderSelect : public QDialog
{
    Q_OBJECT

public:
    explicit THeaderSelect(QWidget *parent = nullptr);
    ~THeaderSelect() override;

    int HelpContext = 33;

    void SetColumns(const TColumnRecords &Records);
    void GetColumns(TColumnRecords &Records) const;

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FillList();
    void SetCheckMarks(bool (*shown)(const TColumnRecord &));
    void ItemChanged(QListWidgetItem *item);
    void bbtnReSortClick();

    QListWidget *lvHeader = nullptr;
    QPushButton *bbtnTop = nullptr;
    QPushButton *bbtnUp = nullptr;
    QPushButton *bbtnDown = nullptr;
    QPushButton *bbtnBottom = nullptr;
    QPushButton *bbtnAll = nullptr;
    QPushButton *bbtnReView = nullptr;
    QPushButton *bbtnReSort = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    TColumnRecords m_records; // in the list's order; Shown is taken from the list on demand
};
