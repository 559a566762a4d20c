#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QPushButton;
class TTable;
class TTntListView;

// Keeps an open table exclusive for the length of a scope and makes it
// shared again however the scope is left (return or exception): closed,
// opened exclusively, and at the end closed and opened shared. When the
// exclusive open fails the table is opened shared again at once and the
// error passes on. A shared open that fails at the end is kept in
// ReopenError for the caller to report (a destructor cannot throw).
class TExclusiveUse
{
public:
    explicit TExclusiveUse(TTable &table);
    ~TExclusiveUse();
    TExclusiveUse(const TExclusiveUse &) = delete;
    TExclusiveUse &operator=(const TExclusiveUse &) = delete;

    static QString ReopenError;

private:
    TTable &m_table;
};

// Rebuilds the indexes of a table (REINDEX of every index from the stored
// definitions) and runs the engine's full check after it. False with the
// reason when the rebuild failed or the check found damage.
[[nodiscard]] bool RegenerateAndCheck(TTable &table, QString *error);

// What the repair takes: the book (an index of AdrsFolderList, -1 for
// none) and the sender table. Both are first copied into "backup.rep/"; a
// failed copy stops before anything changes. The open book is repaired on
// the data module's own table (made exclusive for the run and shared again
// after it, whatever happens); another book through the exclusive sub table.
struct TRepairRequest
{
    int Book = -1;
    bool Sender = false;
};
[[nodiscard]] bool RepairIndexes(const TRepairRequest &request, bool *openBookRepaired, QString *error);

// The dialog "インデックス修復": the book list (lvAdrs), chkAdrs, chkSender,
// btnRepair, btnClose. Accepted after a repair that succeeded; Repaired tells
// whether the open book was among it.
class TRepairIndex : public QDialog
{
    Q_OBJECT

public:
    explicit TRepairIndex(QWidget *parent = nullptr);
    std::function<bool()> CloseChildWindows;
    bool Repaired = false;

    void btnRepairClick();

private:
    void UpdateControls();

    TTntListView *lvAdrs = nullptr;
    QCheckBox *chkAdrs = nullptr;
    QCheckBox *chkSender = nullptr;
    QPushButton *btnRepair = nullptr;
    QPushButton *btnClose = nullptr;
    QList<int> m_rowBooks; // AdrsFolderList index of each row
};
