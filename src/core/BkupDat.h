#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <functional>

// Copying the data folder: the backup (data folder -> backup folder), the
// safety copies the table maintenance makes before it changes anything, and
// the pieces the restore (RestDat) shares.
//
// Table files are never copied byte by byte from the disk while a write may
// be open: they are read as one consistent state under the engine's lock
// (SqlCipher::readConsistent), so every copy is a whole book. Every file is
// written under a temporary name beside its target, synced and renamed over
// it: a copy that fails leaves the earlier file as it was, and a copy that
// fails counts as failed (code 8), never as done.

// Result codes of a copy, shown per item of the result list.
namespace CopyResult {
constexpr int Done = 0;
constexpr int Nothing = 1; // nothing to copy: no row is shown
constexpr int Partly = 2;
constexpr int Kept = 3; // left out on purpose: the destination keeps its own file
constexpr int Failed = 8;
constexpr int NoFolder = 9; // the destination folder cannot be made
} // namespace CopyResult

// One row of the result list: what was copied, and how it went.
struct TCopyRow
{
    QString Label;
    int Code = CopyResult::Done;
    // Why the row is not done, in the user's words: each file or folder that
    // failed and its cause (a file set read-only, a folder that may not be
    // written, a full disk). The result list keeps the row's mark and reason
    // and shows this as the row's tip. Empty for a row done.
    QString Cause = {};
};
using TCopyRows = QList<TCopyRow>;

// The mark and the reason a result row shows: "○"/"△"/"－"/"×" and
// "一部失敗", "復元対象外", "コピー失敗", "フォルダーの作成に失敗" or nothing.
[[nodiscard]] QString CopyResultMark(int code);
[[nodiscard]] QString CopyResultReason(int code);

// The fixed file sets of the data folder.
[[nodiscard]] const QStringList &AdrsTableFiles();   // the Adrs.DB family, 41 names
[[nodiscard]] const QStringList &SenderTableFiles(); // Sender.DB, Sender.PX
[[nodiscard]] const QStringList &HistoryFiles();     // the six .mtd files
// Files directly in the data folder; the restore takes all but Sender.ini.
[[nodiscard]] const QStringList &DataFolderFiles();
struct TLayoutKind
{
    QString Folder; // under the data folder, with '/'
    QString Mask;
    QString Label;
};
[[nodiscard]] const QList<TLayoutKind> &LayoutKinds();
// The row label of a history or data-folder file.
[[nodiscard]] QString DataFileLabel(const QString &fileName);
inline const QString GroupDataFile = QStringLiteral("Group.dat");

// What a copy does with a table file besides reading it consistently.
enum class TTableCopy {
    AsRead,    // the copy is the table as read, whole or not (a safety copy before a repair)
    WholeOnly, // the copy is checked (TableIsWhole) before it replaces anything: a damaged
               // table never takes the place of a copy that may still be good
};

// Copies one file, replacing `to` only once the whole copy is on disk. A
// table file (".DB") is read consistently with the table key; it fails when
// the file is no table of this program. False with the reason. With
// WholeOnly, a table that is no table of this key or fails the check fails
// the copy with the findings in error and sets *damaged.
[[nodiscard]] bool CopyDataFile(const QString &from, const QString &to, QString *error = nullptr,
                                TTableCopy mode = TTableCopy::AsRead, bool *damaged = nullptr);

// Whether a file name is one of CopyDataFile's temporaries ("." + target
// name + ".copying-" + eight hex digits). The temporaries a killed copy left
// in a folder are removed by the first copy into that folder.
[[nodiscard]] bool IsCopyTemporary(const QString &name);

// Reads every page of a table file through the engine's quick check (not
// only the first pages that opening it reads): true when the engine finds
// nothing wrong; else false with its findings (or why the file does not open)
// in findings. Every page of a table is encrypted and authenticated, so a
// torn, cut, zeroed or overwritten page fails as it is read, and the b-tree
// walk finds pages a cut file lacks; what the full integrity check adds (each
// index entry looked up in its table) finds no damage of the file that this
// check misses and costs five times as much. A writer's commit in progress
// is waited for.
[[nodiscard]] bool TableIsWhole(const QString &path, QString *findings = nullptr);

// Test seam: asked before each file copy; returning true makes that copy
// fail as the system would with the error number systemErrno (a full disk
// unless told; a folder's refusal, EACCES, EPERM or EROFS, already as the
// copy's file is made). An empty function removes the hook.
void SetDataFileCopyFailure(std::function<bool(const QString &from)> hook, int systemErrno = ENOSPC);

// The names of `names` present in the folder (whatever their letter case,
// as a table file is found), as (listed name, name on disk).
[[nodiscard]] QList<std::pair<QString, QString>> PresentFiles(const QString &folder, const QStringList &names);

// Folder copy of a fixed file set: makes dest (and the folders above it)
// when missing (failure: 9), copies each named file of src that exists,
// overwriting; else 0 (also when src held none of the names). When a copy
// fails the result is 8: a failure at the first file leaves dest as it was
// (an earlier copy stays whole), a failure at a later one removes every
// listed file from dest, as a family of new and old files is no copy. With
// WholeOnly the tables are checked as CopyDataFile does; *damaged is then
// set when the copy failed because a table is damaged.
[[nodiscard]] int CopyFolder(const QString &src, const QString &dest, const QStringList &names,
                             QString *error = nullptr, TTableCopy mode = TTableCopy::AsRead, bool *damaged = nullptr);

// Copies the files of src matching the masks: 1 when none matched, 9 when
// dest cannot be made, 0 all copied, 2 some, 8 none. *cause gets a line for
// each file that failed (or the folder), with its reason.
[[nodiscard]] int CopyMatchingFiles(const QString &src, const QString &dest, const QStringList &masks,
                                    QString *cause = nullptr);

// Why a folder of a copy could not be made (errno as the attempt left it):
// the folder and the cause, in the words every writer uses.
[[nodiscard]] QString FolderNotMadeReason(const QString &folder, int systemErrno);
// Why a file (or, for a rename, the name in its folder) could not be written.
[[nodiscard]] QString FileNotWrittenReason(const QString &path, int systemErrno, bool inFolder = false);

// Sizes of a backup or restore, in bytes, 64-bit throughout.
struct TBackupSpace
{
    qint64 ClusterSize = 0; // 0: unknown, sizes then count as they are
    qint64 NeedSize = 0;
    qint64 FreeSize = 0;
    bool FreeKnown = false; // false: the free space could not be read; any non-empty copy is refused
    [[nodiscard]] bool Enough() const { return NeedSize == 0 || (FreeKnown && NeedSize <= FreeSize); }
};
// Free space and block size of the file system that holds `dest` (or the
// nearest folder above it that exists).
void ReadFreeSpace(const QString &dest, TBackupSpace &space);
// Size of one file rounded up to whole clusters.
[[nodiscard]] qint64 ClusterRounded(qint64 size, qint64 cluster);
// Sizes of the files a backup of `src` takes: the books' table files and
// Group.dat (folders of `bookFolders`), AdrsMng.ini, the sender table, the
// layouts, the histories and the data-folder files.
[[nodiscard]] qint64 BackupNeedSize(const QString &src, const QStringList &bookFolders, qint64 cluster);
// "1,234 " (KB, rounded up, with separators) or "--- ".
[[nodiscard]] QString FormatKiloBytes(qint64 bytes, bool known = true);

// Why a backup destination is refused.
enum class TBackupDestError {
    None,
    SameAsSource,  // the data folder itself
    InsideCopied,  // inside a folder the backup copies from (Adrs/, Other/, History/, ...)
};
// Paths compare as the file system names them (canonical where they exist).
[[nodiscard]] TBackupDestError CheckBackupDestination(const QString &src, const QString &dest);
// "yyyymmdd hhnnss" of now: the default backup folder's name.
[[nodiscard]] QString BackupFolderName();

// The folder the backup wizard proposes: a new folder named by date and time
// ("yyyymmdd hhnnss/"), never inside the data folder it backs up: beside the
// last backup (lastBackup) when that lies outside the data folder, else in
// the settings root's "Backup/" folder (settingsRoot), else beside the data
// folder.
[[nodiscard]] QString ProposedBackupFolder(const QString &dataPath, const QString &lastBackup,
                                           const QString &settingsRoot);
// The folder the restore wizard proposes to restore from: the last backup
// while it exists and is not the data folder itself; else nothing.
[[nodiscard]] QString ProposedRestoreFolder(const QString &dataPath, const QString &lastBackup);
// The last backup folder the wizard wrote to, kept in the settings file
// (section "BACKUP", key "LastFolder"); empty when none.
[[nodiscard]] QString LastBackupFolder();
// False with the reason when the settings file cannot be written.
[[nodiscard]] bool RememberBackupFolder(const QString &folder, QString *error = nullptr);

// One backup run: books (every entry of `books`: (name, folder)), then
// layouts, then histories and data-folder files, from src into dest (both
// with '/'). dest must exist or be makeable. The progress function gets the
// item done and the count of items; it runs between copies.
struct TBackupBook
{
    QString Name;
    QString Folder;
};
struct TBackupOutcome
{
    TCopyRows BookResults;
    TCopyRows LayoutResults;
    TCopyRows OtherResults;
    // Row labels of the tables left out because their check failed:
    // a damaged table is never copied over an older backup that may still be
    // good, and the user is warned.
    QStringList Damaged;
    [[nodiscard]] TCopyRows AllRows() const { return BookResults + LayoutResults + OtherResults; }
    [[nodiscard]] bool AllDone() const;
};
using TCopyProgress = std::function<void(int done, int total)>;
// A listed book whose folder holds no table is reported as failed, never as
// copied; a table that fails its check is not copied (see Damaged).
[[nodiscard]] TBackupOutcome RunBackup(const QString &src, const QString &dest, const QList<TBackupBook> &books,
                                       const TCopyProgress &progress = {});

// Whether the file system holding `dest` (an existing folder) folds letter
// case, as FAT and exFAT do: "Abc" and "abc" are then one name there.
[[nodiscard]] bool FoldsLetterCase(const QString &dest);
// Test seam: replaces FoldsLetterCase's probe; an empty function removes it.
void SetLetterCaseProbe(std::function<bool(const QString &dest)> probe);
// The names a backup of src would write into dest that differ only in letter
// case (book folders, layout files), each clash as "name / other name"; empty
// when dest keeps case apart. Checked before anything is copied: on a folding
// file system the second book would land in the first one's folder.
[[nodiscard]] QStringList BackupCaseClashes(const QString &src, const QString &dest, const QList<TBackupBook> &books);

// Safety copy of the maintenance commands: the book's table files into
// DataPath + safetyFolder + "Adrs/" + name, and with withSender the sender
// table into its "Other/". False with the reason when any copy failed: the
// command must not go on.
[[nodiscard]] bool MakeSafetyCopy(const QString &safetyFolder, const TBackupBook &book, bool withBook,
                                  bool withSender, QString *error);

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

// The backup wizard "バックアップ": destination (page 0), confirmation with
// the sizes (page 1), result list (page 2). Copies DataPath as it stands,
// the open book included (its table is read consistently). Accepted by
// btnClose after a run, rejected by btnCancel before one.
class TBackupData : public QDialog
{
    Q_OBJECT

public:
    explicit TBackupData(QWidget *parent = nullptr);

    void btnNextClick();
    void btnPriorClick();
    void btnBackupClick();
    void CheckBackupSpace();

    QString SrcFolder;
    QString DestFolder;
    TBackupSpace Space;
    TBackupOutcome Outcome;
    [[nodiscard]] int Page() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int Inform(const QString &text, unsigned flags = 0x40);

    QStackedWidget *pages = nullptr;
    QLineEdit *edtDest = nullptr;
    QPushButton *bbtnBrowseDest = nullptr;
    QLabel *pnlConfirmationDest = nullptr;
    QLabel *pnlNeedSize = nullptr;
    QLabel *pnlFreeSize = nullptr;
    QProgressBar *pgbCopy = nullptr;
    QTreeWidget *lvResult = nullptr;
    QPushButton *btnPrior = nullptr;
    QPushButton *btnNext = nullptr;
    QPushButton *btnBackup = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnClose = nullptr;
};

// Fills a result list (columns "ファイル", "成否", "要因") from rows; a row
// that carries a cause shows it as its tip, over every column.
void FillResultList(QTreeWidget *list, const TCopyRows &rows);
// Builds the result list of the backup and restore wizards.
[[nodiscard]] QTreeWidget *CreateResultList(QWidget *parent);
// A named push button and a framed read-only panel of the backup and restore wizards.
[[nodiscard]] QPushButton *MakeWizardButton(QWidget *parent, const char *name, const QString &text);
[[nodiscard]] QLabel *MakeWizardPanel(QWidget *parent, const char *name);
// A message of the backup and restore wizards under their caption; returns the answer.
int WizardInform(QWidget *parent, const QString &text, unsigned flags);
// Makes sure the wizard's target folder exists: when missing, asks to create it
// (place names it in the messages, "保存先" or "復元先") and reports a failed
// creation. False when the folder is still missing.
[[nodiscard]] bool EnsureWizardFolder(QWidget *parent, const QString &folder, const QString &place);
// The button row closing a data maintenance dialog: the action button (name,
// text) and "閉じる" (btnClose, rejecting the dialog) at the right, added to
// layout. Returns the action button; close receives the other.
class QBoxLayout;
[[nodiscard]] QPushButton *AddMaintenanceButtons(QDialog *dialog, QBoxLayout *layout, const char *name,
                                                 const QString &text, QPushButton *&close);
