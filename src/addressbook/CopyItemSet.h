#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QListWidget;
class QPushButton;

// One item of the record form's clipboard copy: an identifier, the item
// number (0..53, the row of CopyItems whose caption names it) and whether
// it is copied.
struct TCopyItemEntry {
    int Id = 0;
    int Position = 0;
    bool Copy = true;
    friend bool operator==(const TCopyItemEntry &, const TCopyItemEntry &) = default;
};
using TCopyItemEntries = std::array<TCopyItemEntry, 54>;

// Chooser of the record items the record form copies to the clipboard, their
// order, and whether a line break ends the copied text. One check-box row
// per item in copy order; moving rows reorders the items, 並びを戻す sorts
// them back by item number with their check marks. OK needs one checked row.
//
// Use: SetItems(items, lastReturn), exec(); on Accepted GetItems gives the
// items in the order shown.
class TCopyItemSet : public QDialog
{
    Q_OBJECT

public:
    explicit TCopyItemSet(QWidget *Owner);
    ~TCopyItemSet() override;

    void SetItems(const TCopyItemEntries &Items, bool LastReturn);
    void GetItems(TCopyItemEntries &Items, bool &LastReturn) const;

    // Refuses to close while no row is checked.
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FillList();
    void bbtnReSortClick();
    void UpdateLastReturnColor();

    QListWidget *lvCopyItem = nullptr;
    QPushButton *bbtnTop = nullptr;
    QPushButton *bbtnUp = nullptr;
    QPushButton *bbtnDown = nullptr;
    QPushButton *bbtnBottom = nullptr;
    QPushButton *bbtnAll = nullptr;
    QPushButton *bbtnReSort = nullptr;
    QCheckBox *chkLastReturn = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    TCopyItemEntries m_items{}; // in the list's order; Copy is taken from the list on demand
};
