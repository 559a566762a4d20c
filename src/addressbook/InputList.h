#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>

#include <array>
#include <optional>

class QListWidget;
class QPushButton;
class QTabBar;
class THistoryData;
class TTntEdit;

// Editor of the six pick lists of the record and sender forms: department,
// post, honorific and keywords 6 to 8, each one input history of the data
// module and one tab here. Entries are added, changed, deleted and moved on a
// working copy per list; OK writes every changed list back to its history
// file in the order shown (first entry first), Cancel drops the changes after
// asking. Texts are CP932 bytes as the histories hold them.
//
// Use: create with the asking form as owner, SetListKind(kind), exec(); on
// Accepted reload the drop-down list of every kind whose bit is set in
// GetChangedLists().
class TInputList : public QDialog
{
    Q_OBJECT

public:
    // List kinds = tab indexes.
    enum TListKind : int {
        lkDepartment = 0,
        lkPost = 1,
        lkHonorific = 2,
        lkKeyword6 = 3,
        lkKeyword7 = 4,
        lkKeyword8 = 5,
    };
    static constexpr int KindCount = 6;
    // Longest entry of each kind in CP932 bytes (the stored field widths).
    static constexpr std::array<int, KindCount> MaxLengths{100, 50, 10, 100, 100, 100};

    explicit TInputList(QWidget *Owner);
    ~TInputList() override;

    // Selects the tab of Kind (0..5, TListKind); other values are ignored.
    void SetListKind(int Kind);
    void SetKind(int Kind) { SetListKind(Kind); }
    // Bit n set when list kind n was changed in this dialog (n = 0..5).
    [[nodiscard]] quint8 GetChangedLists() const;
    [[nodiscard]] int ChangedMask() const { return GetChangedLists(); }

    // Writes every changed list to its history file, then closes with
    // Accepted. A history that cannot be written is reported (error box)
    // and the dialog stays open with that list still marked unsaved.
    void accept() override;
    // Asks before dropping changes not yet written; No keeps the dialog open.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct TKindState {
        QString NameText;                       // the name edit's text when the tab was left
        std::optional<QList<QByteArray>> Items; // working copy, absent until the tab is first left
        QList<int> Selected;                    // selected rows when the tab was left
        bool Changed = false;                   // edited in this dialog
        bool Saved = false;                     // written by an OK that failed on another kind
    };

    [[nodiscard]] THistoryData *History(int kind) const;
    [[nodiscard]] QList<QByteArray> ListEntries() const;
    [[nodiscard]] QList<int> SelectedRows() const;
    [[nodiscard]] QByteArray NameBytes() const;
    [[nodiscard]] bool AnyChanged() const;
    void SetEntries(const QList<QByteArray> &entries, const QList<int> &selected);
    void LoadList(int kind);
    void StoreKind(int kind);
    void TabChanged(int index);
    void MarkChanged();
    void UpdateButtons();
    void FocusName();
    void bbtnAddClick();
    void bbtnUpdateClick();
    void bbtnDeleteClick();
    void MoveSelected(int step);
    void ShowInfo(const QString &text);

    QTabBar *tabctlInputList = nullptr;
    TTntEdit *edtName = nullptr;
    QListWidget *lbxList = nullptr;
    QPushButton *bbtnAdd = nullptr;
    QPushButton *bbtnUpdate = nullptr;
    QPushButton *bbtnDelete = nullptr;
    QPushButton *bbtnUp = nullptr;
    QPushButton *bbtnDown = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    std::array<TKindState, KindCount> m_kinds;
    int m_kind = 0; // the tab whose list is in lbxList
};
