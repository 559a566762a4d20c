#pragma once

#include "platform/Colors.h"
#include "widgets/RecordRun.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;
class TContinualAdrsSearch;
class TTable;
class TTntComboBox;
class TTntEdit;
struct TAddressData;

// The sixteen fields a batch change can set, in the order they are written;
// the index of a TBatchChangeFlags entry.
enum TBatchItem : int {
    biGroup,
    biGetJisCode,
    biPrivCorp,
    biIgnoreName,
    biPrintTarget,
    biSender,
    biKeyword1, // .. biKeyword1 + 7 for keyword 8
    biSymbolMark = biKeyword1 + 8,
    biSymbolColor,
    BatchItemCount
};
// Which fields take part (the check boxes' states).
using TBatchChangeFlags = std::array<bool, BatchItemCount>;

// Called for every record written while the main list's row Row is the
// record form's: Data holds the record's new values for the fields Flags
// names (city and town code as written to that record) and its new
// UpdDateTime. The program connects it to the record form when that exists;
// empty, nobody is told.
using TBatchChangeFormHook = std::function<void(int Row, const TAddressData &Data, const TBatchChangeFlags &Flags)>;
extern TBatchChangeFormHook BatchChangeFormHook;

// The batch change of the main list window: sets chosen fields (group, city
// and town codes looked up from the address, private or company, the name
// flag, print target, sender, keywords 1 to 8, symbol mark and colour) to
// one value in every record selected in the main list (AddressList), in the
// open address table. Each field takes part only while its check box is
// checked; a record is written (one Post, UpdDateTime stamped) only when one
// of its values really changes.
//
// A record that cannot be written is left as it was (its edit cancelled),
// a record deleted since the selection is passed over, and the run goes on.
// The main list and the record form are told only of the records really
// written, and a closing box counts what was changed and names what was not
// and what was gone. The dialog closes with Accepted once the run has gone
// through the selection (so the caller rebuilds its rows).
class TBatchChange : public QDialog
{
    Q_OBJECT

public:
    // Makes the address search of "市町村コードを取得"; may raise.
    using TAdrsSearchFactory = std::function<std::unique_ptr<TContinualAdrsSearch>()>;

    // The symbol colour held before the user picks one (R 63, G 223, B 127).
    static constexpr TColor InitialSymbolColor = 8380223;
    static constexpr int HelpContext = 54;

    explicit TBatchChange(QWidget *Owner = nullptr);
    ~TBatchChange() override;

    // The default factory loads the address conversion library from the
    // program folder with its "Dic/" data folder.
    void SetAdrsSearchFactory(TAdrsSearchFactory Factory);

    // The colour the symbol-colour panel holds.
    [[nodiscard]] TColor SymbolColor() const { return m_symbolColor; }
    [[nodiscard]] TBatchChangeFlags Flags() const;

    // What the last run did (record numbers of the main list's rows).
    struct TRunResult {
        int Selected = 0;
        QList<qint32> Changed;
        QList<qint32> Failed;   // could not be written: left as they were
        QList<qint32> Vanished; // deleted since the selection
        int Handled = 0;        // records the run came to (written or not)
        bool Completed = false; // every selected row was handled (not cancelled)
        QString Reason;         // why the run could not start or be committed
    };
    [[nodiscard]] const TRunResult &LastRun() const { return m_run; }

protected:
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void BuildLists();
    void CheckClick();
    void UpdateColours();
    void bbtnSymbolColorClick();
    void btnStartClick();
    void GatherValues(TAddressData &Data) const;
    enum class TWrite { Unchanged, Written, Failed };
    [[nodiscard]] TWrite ChangeRecord(TTable &Table, TContinualAdrsSearch *Search, TAddressData &Data);
    void ReportFailures();
    // The row a record of the run was taken from (-1: not among them).
    [[nodiscard]] int RowOf(qint32 RecNo) const;
    [[nodiscard]] TRunRecords RunRecordsOf(const QList<qint32> &RecNos) const;

    QLabel *lblMessage1 = nullptr;
    QLabel *lblMessage2 = nullptr;
    QLabel *lblJisNote = nullptr;
    QGroupBox *gbMain = nullptr;
    QGroupBox *gbSub = nullptr;
    QGroupBox *gbMemo = nullptr;
    QGroupBox *gbOther = nullptr;
    std::array<QCheckBox *, BatchItemCount> m_checks{};
    QCheckBox *chkGroup = nullptr;
    QCheckBox *chkGetJisCode = nullptr;
    QCheckBox *chkPrivCorp = nullptr;
    QCheckBox *chkIgnoreName = nullptr;
    QCheckBox *chkPrintTarget = nullptr;
    QCheckBox *chkSender = nullptr;
    QCheckBox *chkSymbolMark = nullptr;
    QCheckBox *chkSymbolColor = nullptr;
    TTntComboBox *cbxGroup = nullptr;
    QRadioButton *rbPriv = nullptr;
    QRadioButton *rbCorp = nullptr;
    QRadioButton *rbIgnoreNameTrue = nullptr;
    QRadioButton *rbIgnoreNameFalse = nullptr;
    QRadioButton *rbPrintTarget = nullptr;
    QRadioButton *rbPrintException = nullptr;
    QRadioButton *rbPrintUnspec = nullptr;
    TTntComboBox *cbxSender = nullptr;
    std::array<TTntEdit *, 5> edtKeyword{};      // keywords 1..5
    std::array<TTntComboBox *, 3> cbxKeyword{};  // keywords 6..8
    TTntComboBox *cbxSymbolMark = nullptr;
    QFrame *pnlSymbolColor = nullptr;
    QPushButton *bbtnSymbolColor = nullptr;
    QPushButton *btnStart = nullptr;
    QPushButton *btnCancel = nullptr;

    QList<qint32> m_senderRecNos; // of cbxSender's entries
    TColor m_symbolColor = InitialSymbolColor;
    TAdrsSearchFactory m_searchFactory;
    TRunResult m_run;
    TRunRecords m_records; // of the last run, taken before it began
};
