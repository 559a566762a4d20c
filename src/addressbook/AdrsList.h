#pragma once

#include "addressbook/AdrsSch.h"
#include "addressbook/PrintEditors.h"
#include "widgets/RecordRun.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QToolBar;
class QToolButton;
class TAddressListModel;
class TAddressListView;
class TMemIniFile;
class TTntAction;
struct TAddressData;

// The main list window: the open address book as a list (TAddressListModel
// shown by TAddressListView), its menu, toolbar, pop-ups and status bar,
// and the commands on the shown and selected records. It runs modally for
// the whole session (exec()); closing it ends the program.
//
// It is also the one place that knows which records are shown and which are
// selected: other windows reach it through the program-wide AddressList and
// use the row interface below (rows from 0 in display order; indexes
// outside the rows give -1, false or empty, never an error). The selection
// lives only in the view's selection model.
//
// Commands whose windows do not exist yet stay in the menus, disabled. The
// print editors are opened through PrintEditorOpener (PrintEditors.h).
class TAddressList : public QDialog
{
    Q_OBJECT

public:
    explicit TAddressList(QWidget *Owner = nullptr);
    ~TAddressList() override;

    // グループ名の設定 over Owner (this window, or the record form that asks
    // for it); the windows showing group names take the new ones.
    void EditGroupNames(QWidget *Owner);

    // ---- Rows and selection ----
    [[nodiscard]] int GetRowCount() const;
    [[nodiscard]] int GetSelCount() const;
    [[nodiscard]] bool IsRowSelected(int Index) const;
    // True: the row becomes the focused row and selected; false: only
    // deselected.
    void SetRowSelected(int Index, bool Selected);
    [[nodiscard]] qint32 GetRowRecNo(int Index) const;
    [[nodiscard]] int GetFocusedIndex() const;
    [[nodiscard]] int GetFirstSelected() const;
    [[nodiscard]] int GetLastSelected() const;
    // Index is clamped to the rows; ClearOthers deselects the rest first;
    // MakeVisible scrolls the row into view.
    void SelectRow(int Index, bool ClearOthers, bool MakeVisible);
    [[nodiscard]] int IndexOfRecNo(qint32 RecNo) const;
    // The records of the selected rows, or of rows First..Last, as a run
    // takes them before it starts (record number and row, in row order).
    [[nodiscard]] TRunRecords SelectedRunRecords() const;
    [[nodiscard]] TRunRecords RowRunRecords(int First, int Last) const;
    // A record as the user knows it, for a closing box: the list's No. of
    // its row when the list shows that column, the name (or the company)
    // and the telephone as the list shows them; "（削除されたデータ）" for a
    // record the book no longer holds. Moves the book's cursor.
    [[nodiscard]] QString RecordCaption(const TRunRecord &Record) const;
    // The first ten records' captions, one a line, then "ほかn件" for the rest.
    [[nodiscard]] QString RecordListText(const TRunRecords &Records) const;
    // Rebuilds the columns (or only measures them again), walks the table
    // again (or only drops the cached texts) and keeps the top row.
    void RefreshList(bool RebuildColumns, bool ReloadRows, bool KeepTop);
    // The list's background colour (the window colour while no record form
    // paints it).
    void UpdateListColor();

    // ---- Records ----
    // Reads the record RecNo (error box when it is gone).
    [[nodiscard]] bool ReadAddressData(qint32 RecNo, TAddressData &Data);
    // Reads the record of row Index, makes it the inquiry row and selects it.
    [[nodiscard]] bool GetRecordAt(int Index, TAddressData &Data);
    [[nodiscard]] bool GetFirstRecord(TAddressData &Data);
    [[nodiscard]] bool GetPriorRecord(TAddressData &Data);
    [[nodiscard]] bool GetNextRecord(TAddressData &Data);
    [[nodiscard]] bool GetLastRecord(TAddressData &Data);
    [[nodiscard]] bool IsFirstRow() const;
    [[nodiscard]] bool IsLastRow() const;
    // The row whose record the record form shows (-1 none).
    [[nodiscard]] int InquiryRow() const;
    void SetInquiryIndex(int Index);
    // Tell the open address-side and label editors; emit RecordsChanged /
    // RecordsDeleted.
    void NotifyRecordsChanged(const QList<qint32> &RecNos);
    void NotifyRecordsDeleted(const QList<qint32> &RecNos);

    // ---- Senders ----
    void LoadSenderList();
    [[nodiscard]] int GetSenderCount() const;
    [[nodiscard]] QString GetSenderName(int Index) const;
    [[nodiscard]] qint32 GetSenderRecNo(int Index) const;
    // Sets the record's sender and writes it at once; false when the record
    // is missing (nothing changes) or the table refused the write (reported,
    // the record keeps its sender).
    [[nodiscard]] bool SetRecordSender(qint32 RecNo, qint32 SenderRecNo);

    // ---- Shown columns ----
    [[nodiscard]] int GetColumnCount() const;
    [[nodiscard]] int GetColumnDefIndex(int Position) const;

    // ---- Book and child windows ----
    // Optionally lets the user choose or create a book (cancel ends the
    // program), then opens AdrsName.
    void OpenAddressBook(bool Ask);
    // Asks the open non-modal windows to close; false when one stays.
    [[nodiscard]] bool CloseChildWindows();
    // Closes the print editors except the one Keep names (1 address side,
    // 2 label, 3 card, 4 design); false when one stays.
    [[nodiscard]] bool ClosePrintEditors(int Keep);
    // The open editor of that kind (the label window only in its mode), or null.
    [[nodiscard]] QWidget *PrintEditor(TPrintEditorKind Kind) const;

    // ---- What the filter, duplicate and word commands do after OK ----
    void ApplyCondition(const TNarrowDownCondition &Condition);
    void ApplyDuplicateItems(int Item1, int Item2);
    void ApplySearchWord(const QString &Word);
    // The next row (from SearchPos, or the focused row) whose shown cells
    // hold SearchWord, wrapping once round the rows; it becomes the only
    // selected row.
    [[nodiscard]] bool FindWord();

    // ---- State other windows and tests read ----
    [[nodiscard]] TAddressListModel *Model() const { return m_model; }
    [[nodiscard]] TAddressListView *View() const { return lvAddress; }
    [[nodiscard]] const QString &SearchWord() const { return m_searchWord; }
    [[nodiscard]] int SearchPos() const { return m_searchPos; }
    // Text of status panel 0..4; the fill colour of panel 1 (invalid: none).
    [[nodiscard]] QString PanelText(int Panel) const;
    [[nodiscard]] QColor FilterPanelColor() const;

    void reject() override;

signals:
    // The record the print editors merge (the first selected row) changed.
    void CurrentRecordChanged();
    void RecordsChanged(const QList<qint32> &RecNos);
    void RecordsDeleted(const QList<qint32> &RecNos);

protected:
    bool event(QEvent *Event) override;
    void showEvent(QShowEvent *Event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void ReadWindowPosition();
    void WriteWindowPosition(TMemIniFile &Ini) const;
    void LoadSearchList();
    void SaveSearchList();
    void SaveBookName();
    void SaveBookOrder();

    void AfterShow();
    void SwitchBook(int Mode);
    void OpenBookTable(bool FocusList);

    void FillGroupCombo();
    void FillSortCombo();
    void UpdateSortDirButton();
    void UpdateSortControls();
    void UpdateFilterPanel();
    void UpdateCountPanels();
    // Sets the text of count panel 2 or 3, widened to show it whole.
    void SetCountPanel(int Panel, const QString &Text);
    void ApplyColumnWidths();
    void ViewChanged(); // group, sort or direction changed
    void SearchChanged(); // filter, duplicate display or switch changed
    void SelectionChanged();
    void ShowHint();

    // Sorted, merged [first, last] row intervals of the selection.
    [[nodiscard]] std::vector<std::pair<int, int>> SelectedIntervals() const;
    [[nodiscard]] bool PositionOn(qint32 RecNo) const;
    enum class TFindResult { Found, NotFound, ReadFailed };
    [[nodiscard]] TFindResult FindNext();

    // Command handlers.
    void actDeleteExecute();
    void actInquiryExecute();
    void actNumerSearchExecute();
    void actBatchChangeExecute();
    void actBackupExecute();
    void actRestoreExecute();
    void actOptimizeExecute();
    void actRepairIndexExecute();
    void actConvertKykbnExecute();
    void actConvertAdrsPosExecute();
    // Lets go of the open book's table (the list shows no rows meanwhile)
    // and opens it again, reading the book list anew; for the commands that
    // replace or rewrite the book's file.
    void ReleaseBook();
    void ReopenBook(bool NewDataFolder);
    void actAdrsSearchExecute();
    void actDuplicateSearchExecute();
    void actDisableSearchExecute();
    void actCancelSearchExecute();
    void actWordSearchExecute();
    void actWordNextExecute();
    void actKeywordEditExecute();
    void actViewColumnExecute();
    void actInitColumnExecute();
    void actReloadExecute();
    void actEditGroupExecute();
    void actImportFileExecute();
    // The print commands: close the other editors (asking them), then
    // create the editor or bring the open one back.
    void OpenPrintEditor(TPrintEditorKind Kind);
    void NotifyPrintEditors(const std::function<void(TPrintEditorNotice &)> &Notice) const;
    void actVersionExecute();
    void actEnvironmentExecute();
    void SaveFolderSettings();
    void ChangeDataFolder();
    void actListPrintExecute();

    TAddressListModel *m_model = nullptr;
    TAddressListView *lvAddress = nullptr;
    QMenuBar *mnuMain = nullptr;
    QToolBar *tbMain = nullptr;
    QStatusBar *stbarInfo = nullptr;
    QLabel *m_panels[5] = {};
    QComboBox *cbxGroup = nullptr;
    QComboBox *cbxSort = nullptr;
    QToolButton *sbtnEditGroup = nullptr;
    QToolButton *sbtnSortDirection = nullptr;
    QMenu *pmAdrs = nullptr;
    QMenu *pmSearch = nullptr;
    QMenu *pmPrint = nullptr;
    QMenu *pmColumn = nullptr;

    TTntAction *actCreate = nullptr;
    TTntAction *actOpen = nullptr;
    TTntAction *actEditGroup = nullptr;
    TTntAction *actAdrsCopy = nullptr;
    TTntAction *actImportFile = nullptr;
    TTntAction *actExportFile = nullptr;
    TTntAction *actMarkExport = nullptr;
    TTntAction *actExit = nullptr;
    TTntAction *actInquiry = nullptr;
    TTntAction *actDelete = nullptr;
    TTntAction *actBatchChange = nullptr;
    TTntAction *actNameAdrsSearch = nullptr;
    TTntAction *actNumerSearch = nullptr;
    TTntAction *actWordSearch = nullptr;
    TTntAction *actWordNext = nullptr;
    TTntAction *actAdrsSearch = nullptr;
    TTntAction *actDuplicateSearch = nullptr;
    TTntAction *actDisableSearch = nullptr;
    TTntAction *actCancelSearch = nullptr;
    TTntAction *actKeywordEdit = nullptr;
    TTntAction *actViewColumn = nullptr;
    TTntAction *actInitColumn = nullptr;
    TTntAction *actReload = nullptr;
    TTntAction *actLayoutPrint = nullptr;
    TTntAction *actLabelPrint = nullptr;
    TTntAction *actCardPrint = nullptr;
    TTntAction *actDesignPrint = nullptr;
    TTntAction *actListPrint = nullptr;
    TTntAction *actEnvironment = nullptr;
    TTntAction *actBackup = nullptr;
    TTntAction *actRestore = nullptr;
    TTntAction *actOptimize = nullptr;
    TTntAction *actConvertKykbn = nullptr;
    TTntAction *actConvertAdrsPos = nullptr;
    TTntAction *actRepairIndex = nullptr;
    TTntAction *actTopic = nullptr;
    TTntAction *actVersion = nullptr;
    // Commands whose windows do not exist yet: never enabled.
    QSet<QAction *> m_unavailable;
    // Enabled only while the list has rows.
    QList<QAction *> m_rowCommands;

    QPointer<QWidget> m_layoutForm;
    QPointer<QWidget> m_labelForm; // label or card mode
    QPointer<QWidget> m_designForm;

    QList<QPair<QString, qint32>> m_senders; // title, RecNo
    QString m_searchWord;
    int m_searchPos = -1;
    int m_currentRow = -1;
    bool m_showInfo = true;
    bool m_firstShown = false;
    bool m_adrsOpened = false;
    bool m_hintTaken = false;
    bool m_applyingWidths = false;
    bool m_fillingCombos = false;
};

// The main list window while it exists, else nullptr.
extern TAddressList *AddressList;

// Opens the text import window over the main list, modally; true after a
// completed import. Set by the import's library at start-up (the list
// knows the import only through it); empty: the command does nothing.
using TFileImportOpener = std::function<bool(QWidget *Owner)>;
extern TFileImportOpener FileImportOpener;

// Opens the list-print window over the main list (or brings it forward). Set
// by the list print's library at start-up; empty: the command does nothing.
using TListPrintOpener = std::function<void(TAddressList *List)>;
extern TListPrintOpener ListPrintOpener;

// Opens (or brings back) the text export window over the main list. Set by
// the export's library at start-up; empty: the command stays disabled.
using TRowWindowOpener = std::function<void(QWidget *Owner)>;
extern TRowWindowOpener FileExportOpener;
// The same for the mark export window.
extern TRowWindowOpener MarkExportOpener;

// Non-modal windows of other libraries that work on the list's rows (the
// text and mark exports). The list closes them with its own child windows and, while
// they exist, calls their invokable UpdateDataRange after each rebuild of its
// rows and UpdateKeywordNames after the keyword captions changed (the list
// print also UpdateListLayoutTemplate after the shown columns changed and
// RefreshOpenListPreview after the group names changed; a window takes only
// the notices it has an invokable method for). A window
// registers itself when it is created; a destroyed one drops out.
void RegisterRowWindow(QWidget *Window);
// The registered windows that still exist, and a call of the invokable
// Method on each of them.
QList<QPointer<QWidget>> &RowWindows();
void NotifyRowWindows(const char *Method);

