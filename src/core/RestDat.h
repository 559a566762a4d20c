#pragma once

#include "core/BkupDat.h"

#include <QDialog>
#include <QString>
#include <QStringList>

// Restoring a backup (or any folder laid out like the data folder) into a
// data folder.
//
// A book is restored whole or not at all: its files are first put together
// in a hidden folder beside the book's folder (the book's own files the
// backup does not hold are carried over), and only when every file is there
// the two folders change places in one atomic step (the old one is then
// removed). Whatever moment the program stops at, the book's folder holds
// either the old book or the restored one. The hidden folders carry the
// prefix the book list takes for deletions in progress, so a start after an
// interruption removes them and never lists them as books.

// Why a folder cannot be restored from; checked before anything is written.
struct TRestoreSourceCheck
{
    QStringList Books;     // folders under Adrs/ holding a readable address table, sorted
    QString Problem;       // the message when the folder is refused; empty when it may be restored
    QStringList Unusable;  // damaged table files (named in Problem)
};
// Refused: no book and none of the other files of the data folder; a table
// file (a book's or the sender's) that does not open as a table of this
// program or fails the engine's check of every page (the message
// names the book). A book folder without its table is no book (not listed).
[[nodiscard]] TRestoreSourceCheck CheckRestoreSource(const QString &src);

// Needed bytes of a restore of `src` (its books, their Group.dat, the
// files of the fixed sets including Sender.ini).
[[nodiscard]] qint64 RestoreNeedSize(const QString &src, const QStringList &books, qint64 cluster);

// Replaces the files `names` of destFolder by those of srcFolder as one step
// (see above): 1 when srcFolder holds none of them, 9 when the folder beside
// it cannot be made, 8 when a copy failed or a copied table fails its
// check (destFolder untouched), else 0. Everything else destFolder
// held stays in it (its folders and links moved over, never followed). With
// replaced, the old folder is kept under its hidden name and named there for
// the caller to remove (RemoveRestoreLeftovers' rule) once the restore is
// reported; without, it goes at once. Files a killed save left under their
// aside names (see SafeFile) are put back in both folders before anything
// is copied, so that they are carried over as the files they are.
[[nodiscard]] int RestoreFolder(const QString &srcFolder, const QString &destFolder, const QStringList &names,
                                QString *error = nullptr, QString *replaced = nullptr);

// Restores the custom paper list (CstmL.fmt) from `from` over `to`: the list
// becomes the backup's, but the last id given stays the destination's when
// that is the higher. A saved layout names its custom paper by id, and the
// layouts saved since the backup (which the restore leaves in place) name
// ids given since: a paper added after the restore never takes one of them.
// A source that is no custom paper list is not restored (false, `to` stays).
[[nodiscard]] bool RestoreCustomPapers(const QString &from, const QString &to, QString *error = nullptr);

// Removes the hidden folders an interrupted restore left in the folder: only
// their files and links; a folder that still holds a folder stays.
void RemoveRestoreLeftovers(const QString &folder);

// One restore run. Set the fields, then Run().
//
// Matching of the source books to the destination's folders: with Reopen
// (restoring into the live data folder a backup that holds the open book) by
// the book list in memory (AdrsFolderList: a book of the same name gets its
// folder; a folder taken by another book gives a new numbered folder);
// otherwise by the destination's pending operations in Adrs/AdrsOp.ini. Books
// whose deletion is pending never take part: a restored book is not put into
// a folder about to be removed. A book that lands in a new folder
// "name（n）" gets a pending renaming to its own name, written to AdrsOp.ini
// after the copies.
class TRestoreRun
{
public:
    QString SrcFolder;  // with '/'
    QString DestFolder; // with '/'
    QStringList SourceBooks;
    bool Reopen = false;
    TCopyProgress Progress;

    // Refuses (false, Problem set, nothing written) while a table file under
    // the destination is open in this process, or when a table of the source
    // is damaged: every table is copied beside its folder and checked there
    // (once) before any book takes its folder's place.
    [[nodiscard]] bool Run();
    // Removes the folders the restored books replaced, kept by Run() until
    // its outcome is reported. Returns those that still hold something not
    // put there by the restore (they stay).
    QStringList RemoveReplacedFolders();

    QString Problem;
    TCopyRows BookResults;
    TCopyRows LayoutResults;
    TCopyRows OtherResults;
    [[nodiscard]] TCopyRows AllRows() const { return BookResults + LayoutResults + OtherResults; }

    // The pending renamings after the run, oldest first ("folder/new name").
    QStringList RenameFrom;
    QStringList RenameTo;

private:
    void ReadPendingOperations();
    QString MatchFolder(const QString &book);
    QString TargetFolder(const QString &book);
    QString NewFreeFolder(const QString &book);
    [[nodiscard]] bool RestoreBooks();
    void RestoreOthers();
    [[nodiscard]] bool WritePendingRenamings(QString *error = nullptr);

    QStringList m_deleteList;
    QStringList m_replaced;
    QStringList m_targets; // the book folders chosen so far in this run
    qsizetype m_keptRenamings = 0; // RenameFrom/To hold these from the file, then the added ones
};

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;

// The restore wizard "復元": folders (page 0), confirmation with the sizes
// (page 1), result list (page 2). Before it writes it lets the main list
// close its other windows (CloseChildWindows) and close every table of the
// data module when the destination holds them (CloseTables; TablesClosed
// tells the caller to open the book again). Accepted by btnClose after a
// run; then GetChangeDataPath tells whether DataPath moved to DestFolder.
class TRestoreData : public QDialog
{
    Q_OBJECT

public:
    explicit TRestoreData(QWidget *parent = nullptr);

    std::function<bool()> CloseChildWindows;
    std::function<void()> CloseTables;
    bool TablesClosed = false;

    void btnNextClick();
    void btnPriorClick();
    void btnRestoreClick();
    void btnCloseClick();
    [[nodiscard]] bool GetChangeDataPath() const;
    [[nodiscard]] int Page() const;

    QString SrcFolder;
    QString DestFolder;
    TBackupSpace Space;
    QStringList SourceBooks;
    TCopyRows Results;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int Inform(const QString &text, unsigned flags = 0x40);
    void UpdateDestChoice();

    QStackedWidget *pages = nullptr;
    QLineEdit *edtSrc = nullptr;
    QLineEdit *edtDest = nullptr;
    QPushButton *bbtnBrowseSrc = nullptr;
    QPushButton *bbtnBrowseDest = nullptr;
    QRadioButton *rbNowDataPath = nullptr;
    QRadioButton *rbSelectDataPath = nullptr;
    QLabel *pnlConfirmationSrc = nullptr;
    QLabel *pnlConfirmationDest = nullptr;
    QLabel *pnlNeedSize = nullptr;
    QLabel *pnlFreeSize = nullptr;
    QProgressBar *pgbCopy = nullptr;
    QTreeWidget *lvResult = nullptr;
    QCheckBox *chkChangeDataPath = nullptr;
    QPushButton *btnPrior = nullptr;
    QPushButton *btnNext = nullptr;
    QPushButton *btnRestore = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnClose = nullptr;
};

// Closes every table the data module holds (the book's and the sender's,
// shared and exclusive), whatever their open counts.
void CloseDataModuleTables();
