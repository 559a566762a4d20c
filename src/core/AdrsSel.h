#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class TTntAction;
class TTntEdit;
class TTntListItem;
class TTntListView;

// One address book: a folder under AdrsPath holding "Adrs.DB" and its family
// and "Group.dat".
struct TAdrsFolderInfo {
    QString Name;   // shown to the user; empty for a book deleted in this run
    QString Folder; // folder name under AdrsPath holding the book's files now
    std::uint8_t State = 0;
};

// States of TAdrsFolderInfo.
constexpr std::uint8_t AdrsStateUnchanged = 0;
constexpr std::uint8_t AdrsStateDeleted = 1; // deletion pending until the next start
constexpr std::uint8_t AdrsStateRenamed = 2; // renaming pending, or created in a temporary folder

// The books in display order, and the index of the open book (-1 for none).
extern QList<TAdrsFolderInfo> AdrsFolderList;
extern int AdrsFolderIndex;

// AdrsPath + "AdrsMng.ini" (section SORT: "1", "2", ... = folders in display
// order) and AdrsPath + "AdrsOp.ini" (sections DELETE and RENAME: Count and
// "1".."Count"; a deletion names the folder as it was at the start of the
// run; a renaming is "old name/new name", the name the book had when it was
// made, and is carried out after those before it).
[[nodiscard]] QString AdrsMngFileName();
[[nodiscard]] QString AdrsOpFileName();

// Append one pending operation to AdrsOp.ini and save it at once; false when
// the file could not be written (error: the reason).
[[nodiscard]] bool AppendPendingDelete(const QString &folder, QString *error = nullptr);
[[nodiscard]] bool AppendPendingRename(const QString &oldName, const QString &newName,
                                       QString *error = nullptr);

// Writes the folders of AdrsFolderList, deleted ones included, to AdrsMng.ini
// in display order; false when the file could not be written (error: the
// reason). An empty list leaves the file alone.
[[nodiscard]] bool SaveBookOrder(QString *error = nullptr);

// Keeps AdrsName in the settings file for the next start; false when the file
// could not be written (error: the reason).
[[nodiscard]] bool SaveAdrsName(QString *error = nullptr);

// Rebuilds AdrsFolderList from the book folders under AdrsPath in the order
// of AdrsMng.ini. With applyPending (start-up, before any table is open) the
// pending deletions and renamings are carried out first, in the order they
// were made, each taken out of AdrsOp.ini as soon as it is done, so that a
// start interrupted at any moment repeats nothing. A deletion first renames
// the folder to a hidden name of its own; a renaming moves a whole folder and
// never into one that is there (it stays pending, and so do the renamings
// after it, until it can be done). Names compare exactly (the file system
// tells "Abc" from "abc"); the table file is found whatever its letter case.
// False when AdrsOp.ini could not be brought up to date (error: the reason):
// the caller must tell the user. The list is built either way.
[[nodiscard]] bool ScanAddressBooks(bool applyPending, QString *error = nullptr);

// Test seam: asked before the start-up renames a book folder (a deletion
// moving it out of the way, or a renaming); returning true makes that rename
// fail as the file system would. An empty function removes the hook.
void SetBookFolderRenameFailure(std::function<bool(const QString &from, const QString &to)> hook);

// The list "lvAdrs" that shows book names to choose one from: a single
// column of `columnWidth` pixels without header, one row chosen at a time,
// names not edited in place.
[[nodiscard]] TTntListView *CreateBookListView(QWidget *parent, int columnWidth);

// Why a book name is refused (creating and renaming). Names are checked after
// TrimBookName.
enum class TBookNameError : std::uint8_t {
    None,
    Empty,
    LeadingDot,
    ForbiddenChar, // one of \ / : ; * ? " < > |
    ControlChar,   // a control character anywhere
    Reserved,      // AdrsOp.ini, AdrsMng.ini: files beside the books
    TooLong,       // more than 100 CP932 bytes
    FolderTooLong, // the folder name, with room for "（99）", over the file system's limit in UTF-8 bytes
};
[[nodiscard]] TBookNameError CheckBookName(const QString &name);
constexpr int MaxBookNameBytes = 100;
constexpr int MaxBookFolderBytes = 255;

// A typed name without the blanks and line breaks at its ends, which a
// folder name would keep but the user never sees.
[[nodiscard]] QString TrimBookName(const QString &name);
// The longest start of the name within both length limits.
[[nodiscard]] QString FitBookName(const QString &name);

// The book dialog: create a book, or open, rename, delete and reorder the
// existing ones. Renamings and deletions only record pending operations (in
// AdrsFolderList and AdrsOp.ini); the folders change at the next start.
// Usage: set BookName to the open book, SetMode(0, 1 or 9), exec(), and on
// Accepted read BookName and Changed.
class TAddressSelect : public QDialog
{
    Q_OBJECT

public:
    explicit TAddressSelect(QWidget *parent = nullptr);
    ~TAddressSelect() override;

    // 0 create, 1 switch (create when no book exists), 9 start-up choice
    // (switch when a book exists, else create; Mode stays 9).
    void SetMode(int mode);

    int Mode = 0;
    QString BookName;
    bool Changed = false;
    int HelpContext = 31;

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The name the create mode offers: BookName, or when a book has that
    // name already, BookName with the first free number appended.
    [[nodiscard]] QString ProposedNewName() const;
    void FillList(int selectEntry = -1);
    void UpdateRadioCaptions();
    void UpdateActions();
    void FocusEdit();
    void StartEditing(int row, const QString &editorText = QString());
    void ListEdited(TTntListItem *item, QString &text);
    void DeleteSelected();
    void MoveSelected(int step);
    [[nodiscard]] int SelectedRow() const;
    [[nodiscard]] int EntryOfRow(int row) const;
    [[nodiscard]] int RowOfCaption(const QString &caption) const;
    int Inform(const QString &text, unsigned flags = 0x40);
    [[nodiscard]] bool AcceptCreate();
    [[nodiscard]] bool AcceptOpen();

    QRadioButton *rbNew = nullptr;
    QRadioButton *rbOpen = nullptr;
    TTntEdit *edtNew = nullptr;
    TTntListView *lvAdrs = nullptr;
    QPushButton *bbtnDelete = nullptr;
    QPushButton *bbtnRename = nullptr;
    QPushButton *bbtnUp = nullptr;
    QPushButton *bbtnDown = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    TTntAction *actDelete = nullptr;
    TTntAction *actRename = nullptr;
    TTntAction *actUp = nullptr;
    TTntAction *actDown = nullptr;
    QMenu *pmAdrs = nullptr;
    std::vector<int> m_rowEntries; // AdrsFolderList index of each list row
    bool m_accepting = false;
};
