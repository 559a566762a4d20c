#pragma once

#include "widgets/RangeControls.h"
#include "widgets/RecordRun.h"

#include <QList>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class TTable;
class TTntListView;

// The copy window "他のアドレス帳にコピー": copies records shown in the main
// list (the selected rows, a numbered range of rows, or every shown row) into
// another address book, opened through the data module's exclusive second
// handle. Records whose telephone numbers or customer code are already in the
// target are appended, skipped or overwritten as the user chooses.
//
// Non-modal and single: ShowAddressCopy creates it once (a top-level window
// owned by the main list) and the program-wide AddressCopy points to it until
// it closes and frees itself. The main list calls UpdateDataRange whenever
// its rows are rebuilt or its selection changes.
//
// Every record is written by one post of its own: a post that fails is
// cancelled, the walk goes on, and the result message names the rows that
// were not copied; what was posted before stays in the target.
class TAddressCopy : public QWidget
{
    Q_OBJECT

public:
    // {Min, Max, Position} of a range end; all 0 while the list has no rows.
    using TRange = TRangeEnd;

    // Result of copying one record.
    enum class TCopyResult { Added = 0, Overwritten = 1, Skipped = 2, Failed = -1, Stop = 9 };

    // A source row that was not copied: its 1-based row and the record as
    // the list shows it (empty past the rows the closing box names).
    struct TNotCopied {
        int Row = 0;
        QString Name;
    };

    explicit TAddressCopy(QWidget *Owner = nullptr);
    ~TAddressCopy() override;

    // Takes the main list's rows again: a changed row count resets both
    // ranges to the whole list; the count and the copy button always follow.
    void RefreshSelection();
    // The name under which the main list tells its data-range windows.
    void UpdateDataRange() { RefreshSelection(); }

    [[nodiscard]] int CopyCount() const { return m_copyCount; }
    [[nodiscard]] int AddedCount() const { return m_addedCount; }
    [[nodiscard]] int OverwrittenCount() const { return m_overwrittenCount; }
    [[nodiscard]] int SkippedCount() const { return m_skippedCount; }
    [[nodiscard]] const QList<TNotCopied> &NotCopied() const { return m_notCopied; }
    [[nodiscard]] int DataSelect() const { return m_dataSelect; }
    [[nodiscard]] const TRange &BeginRange() const { return m_range.BeginEnd(); }
    [[nodiscard]] const TRange &EndRange() const { return m_range.EndEnd(); }
    [[nodiscard]] int NumTargetCount() const { return m_numTargetCount; }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    // The one write of a record; a seam for tests that need a failing device.
    virtual void PostTarget(TTable &Target);

private:
    void CreateControls();
    void LoadSettings();
    void SaveSettings() const;
    void SavePosition() const;
    void FillBookList();

    void DataSelectClick(int Tag);
    void NumberBoxClick(bool Checked);
    void UpdateNumberOptions();
    void UpdateCaptionColours();
    void CalcCopyCount();

    void FocusNext(QWidget *From);

    void btnCopyClick();
    void CopyRows(TTable &Source, TTable &Target, const TRunRecords &Records, bool &Stopped, int &Remaining);
    void NameNotCopied(const TRunRecords &Records);
    [[nodiscard]] TCopyResult CopyRecord(TTable &Source, TTable &Target);
    [[nodiscard]] bool SameNumberFound(TTable &Source, TTable &Target, bool AnyItem) const;
    [[nodiscard]] QString ResultMessage(bool Stopped, int Remaining) const;
    int Inform(const QString &Text, unsigned Flags);

    TTntListView *lvAdrs = nullptr;
    QRadioButton *rbList = nullptr;
    QRadioButton *rbRange = nullptr;
    QRadioButton *rbAll = nullptr;
    QLabel *lblDataCount = nullptr;
    QCheckBox *chkTel = nullptr;
    QCheckBox *chkFax = nullptr;
    QCheckBox *chkPortable1 = nullptr;
    QCheckBox *chkPortable2 = nullptr;
    QRadioButton *rbAnd = nullptr;
    QRadioButton *rbOr = nullptr;
    QRadioButton *rbNewAdd = nullptr;
    QRadioButton *rbNotAdd = nullptr;
    QRadioButton *rbDestUpdate = nullptr;
    QRadioButton *rbNotUpdate = nullptr;
    QCheckBox *chkSameAddDateTime = nullptr;
    QCheckBox *chkSameUpdDateTime = nullptr;
    QProgressBar *pgbarAdrsCopy = nullptr;
    QPushButton *btnCopy = nullptr;
    QPushButton *btnCancel = nullptr;
    QList<QAbstractButton *> m_options; // every check box and radio button, for the caption colours

    int m_copyCount = 0;
    int m_runTotal = 0; // records the last copy took
    int m_addedCount = 0;
    int m_overwrittenCount = 0;
    int m_skippedCount = 0;
    int m_targetCount = 0;
    TRowRange m_range;
    int m_numTargetCount = 0;
    int m_dataSelect = -1; // -1 until the stored choice is first applied
    QList<TNotCopied> m_notCopied;
    QString m_failReason; // why the run could not start or be committed
};

// The copy window while it exists, else nullptr.
extern TAddressCopy *AddressCopy;

// The copy command of the main list: creates the window once (Owner: the main
// list) and shows it, or brings it back to the normal state when minimised.
TAddressCopy *ShowAddressCopy(QWidget *Owner);
