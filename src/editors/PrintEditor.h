#pragma once

#include "dialogs/PaperFmt.h"
#include "editors/LayoutDoc.h"
#include "editors/PrintLoop.h"
#include "items/UndoList.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QDialog;
class QPrinter;
class QScrollArea;
class TEditorHost;
class TPageView;

// One print run as the print wizard answers it: the records in list order
// (the sender's card and the design print record 0, which merges the sender
// or nothing) and how they are laid out.
struct TPrintRequest {
    QList<qint32> RecNos;
    TPrintOptions Options;
    bool Preview = false; // the wizard was closed through a preview button
    // Set by the editor before it asks: the wizard is reopened from the
    // preview and restores the page and the copies it saved.
    bool RestorePageAndCopies = false;
    // Set by the editor: the run is asked for its preview.
    bool ForPreview = false;
};

// The base of the three print editors (address side, labels and cards,
// design): a main window with the page view and its zoom, the paper chosen
// through the paper dialogs, the host's current record merged into the
// items, moving and resizing items with undo, and printing the host's
// selected records through the print loop to a printer, a PDF file or the
// preview. The thin windows choose their paper dialog, their caption and
// which record their items take.
//
// Printing and its preview go through PrintWizard (the print wizard, or the
// design print dialog): it answers the records and options of the run on
// the editor's printer, and a false answer cancels the run.
class TPrintEditor : public QMainWindow
{
    Q_OBJECT

public:
    TPrintEditor(TLayoutKind Kind, TEditorHost &Host, QWidget *Owner);
    ~TPrintEditor() override;

    [[nodiscard]] TLayoutDocument &Document() { return m_document; }
    [[nodiscard]] TPageView *PageView() const { return pbxPage; }
    [[nodiscard]] TUndoList &UndoList() { return m_undo; }

    // A new layout on a paper of the catalogue or the user's formats (the
    // design editor: of the design catalogue). False, after a message, when
    // the paper cannot be read; the layout shown stays.
    // Quiet: no message (the default paper a new window tries).
    [[nodiscard]] bool NewLayout(int FormatIndex, bool Quiet = false);
    // A new layout on a paper already read (the paper dialogs' answer).
    void SetLayout(int FormatIndex, const TLayoutFormat &Format, const TLabelGrid &Grid);
    // Another paper for the open layout: the frames of the new paper (each
    // shown or hidden as before), the user's items kept on the piece, the
    // data format and the file kept; one change to save.
    void ChangePaper(int FormatIndex, const TLayoutFormat &Format, const TLabelGrid &Grid);
    // Merges the record of the data side into the items again and repaints.
    void MergeCurrentRecord();
    // True when the items take the sender record rather than the host's
    // current record: the layout's data side.
    [[nodiscard]] bool MergesSender() const { return m_document.SenderAsAddressee; }
    // Sets the data side of the open layout (kept in its file, so a change
    // to save) and merges its record.
    void SetMergesSender(bool Sender);

    // Opens a print-data file; a refused file is named to the user with its
    // reason and the layout shown stays.
    [[nodiscard]] bool OpenFile(const QString &Path);
    // Saves to Path (temporary file, then renamed over the old one).
    [[nodiscard]] bool SaveFile(const QString &Path);
    [[nodiscard]] const QString &FileName() const { return m_fileName; }
    // Saves through the save command: to the file opened or saved last,
    // else to the file the save dialog names. False when the dialog is
    // cancelled or the file cannot be written (after a message).
    [[nodiscard]] bool SaveLayout();
    // True when the layout changed since it was opened, saved or created;
    // merging another record into its items is no change.
    [[nodiscard]] bool IsChanged() const { return m_changed; }
    // Asks whether to save a changed layout before it is closed: true when
    // it was saved or the user chose to drop it, false to keep it open.
    [[nodiscard]] bool AskToSaveChanges();
    // The start menu an editor shows when it opens: a new layout, a saved
    // one, or the file edited last; with the menu switched off the last
    // file when it still exists, else a new layout. Modal steps go through
    // ExecDialog.
    void RunStartMenu();
    // The file of this editor's kind titled Title, in the kind's folder.
    [[nodiscard]] QString PrintDataPath(const QString &Title) const;
    // Copies the selected item to the editors' shared copy store; pastes it
    // back slightly moved, as a new selected item.
    void CopySelected();
    [[nodiscard]] bool Paste();

    // The item edits of the history, each one undoable step. The items
    // hold their place in the drawing order (the index into the layout's
    // items); the step records it with the item's own stream.
    // Appends Item on top of the drawing order, selected; its index.
    int InsertItem(std::unique_ptr<TDrawRect> Item);
    // Records the items appended from First on as one insertion (a paste).
    void RecordInserted(int First);
    // Deletes the item at Index: the items the user added, never a frame
    // of the paper (those are hidden through the layout detail). False
    // when there is no such item.
    bool DeleteItem(int Index);
    // Moves the item at From to To in the drawing order (0 the bottom).
    bool MoveInDrawingOrder(int From, int To);
    // A change of the items at Indexes: BeginChange takes them as they
    // stand, CommitChange as they stand after the change, as one step.
    [[nodiscard]] std::unique_ptr<TUndoDatas> BeginChange(const std::vector<int> &Indexes);
    void CommitChange(std::unique_ptr<TUndoDatas> Action, const std::vector<int> &Indexes);
    // Replaces the design's page background as one step.
    void ChangeBackground(const TBackImage &Background);
    // The history's commands; the selection of the state reached comes
    // back with it.
    void Undo();
    void Redo();

    // Prints the host's selected records (taken now, before the run) onto
    // Printer with the options the wizard gives. False with a reason.
    [[nodiscard]] bool PrintSelected(QPrinter &Printer, QString *Error);
    // Prints RecNos (taken before the run) onto Printer. False with a reason.
    [[nodiscard]] bool PrintRecords(QPrinter &Printer, const QList<qint32> &RecNos, const TPrintOptions &Options,
                                    QString *Error);
    // The printer the editor's runs go to; the wizard's set-up changes it
    // for the editor's later runs.
    [[nodiscard]] QPrinter &Printer();

    // Seams for the modal steps; tests answer them. ExecDialog runs a paper
    // dialog (exec by default); ExecPrintDialog the printer choice
    // (QPrintDialog); ExecPreview the preview (QPrintPreviewDialog).
    std::function<int(QDialog &)> ExecDialog;
    std::function<bool(QPrinter &)> ExecPrintDialog;
    std::function<void(QDialog &)> ExecPreview;
    // The print wizard over the host's rows on the editor's printer (by
    // default the dialogs, run through ExecDialog, their printer set-up
    // through ExecPrintDialog); false cancels.
    std::function<bool(QPrinter &, TPrintRequest &)> PrintWizard;
    // The file to open (Save false) or save to (Save true); empty: cancelled.
    // By default the print-data open and save dialogs of the editor's kind.
    std::function<QString(bool Save)> ExecFileDialog;

signals:
    // The layout, the merged record or the items changed.
    void LayoutChanged();

protected:
    // Runs the editor's own paper dialog for a new layout, or (Change) for
    // another paper of the open one; false on cancel.
    [[nodiscard]] bool RunPaperDialog(bool Change);
    void closeEvent(QCloseEvent *Event) override;
    [[nodiscard]] TEditorHost &Host() const { return m_host; }
    // Turns the window into an editor of another kind (the label window
    // into the card window): its paper dialog, print wizard, files, printer
    // and start-menu setting are from then on the new kind's.
    void ChangeKind(TLayoutKind Kind);

    QAction *actNew = nullptr;
    QAction *actChangePaper = nullptr;
    QAction *actOpen = nullptr;
    QAction *actSave = nullptr;
    QAction *actSaveAs = nullptr;
    QAction *actCopy = nullptr;
    QAction *actPaste = nullptr;
    QAction *actPrint = nullptr;
    QAction *actPreview = nullptr;
    QAction *actUndo = nullptr;
    QAction *actRedo = nullptr;
    QAction *actDelete = nullptr;
    QAction *actBringToFront = nullptr;
    QAction *actBringForward = nullptr;
    QAction *actSendBackward = nullptr;
    QAction *actSendToBack = nullptr;
    QAction *actZoomIn = nullptr;
    QAction *actZoomOut = nullptr;
    QAction *actClose = nullptr;
    QAction *actShowMenu = nullptr;

private:
    void CreateActions();
    [[nodiscard]] bool ReadLayoutPaper(int FormatIndex, TLayoutFormat &Format, TLabelGrid *Grid, bool Quiet);
    void actNewExecute();
    void actPrintExecute();
    void actPreviewExecute();
    void UpdateActions();
    void SetZoom(double Zoom);
    void ItemGeometryChanged(int Index, TPageRect Before, TPageRect After);
    void UndoRedo(TUndoKind Kind, TUndoData &Data, bool Redo);
    // Records the selection (the item at Selected, -1 none) of a state.
    static void SetSelectionOf(TUndoDatas &Action, TUndoState State, int Selected);
    void AddStep(std::unique_ptr<TUndoDatas> Action);
    void ItemsChanged(int Select);
    [[nodiscard]] bool RunWizard(QPrinter &Printer, TPrintRequest &Request);
    // The printer this kind of layout keeps from run to run, in its ".pi"
    // file of the settings root (EditorPrinter.cpp).
    [[nodiscard]] QString PrinterFile() const;
    void LoadPrinter(QPrinter &Printer) const;
    void SavePrinter(const QPrinter &Printer);
    // The printer choice (ExecPrintDialog); a PDF target without a file is
    // offered the file this kind printed to last. Cancelled, the printer
    // names no file again.
    [[nodiscard]] bool RunPrintDialog(QPrinter &Printer);
    // The PDF file the printer names was chosen (and its replacement agreed
    // to in the print dialog) for an earlier run: the next run asks again.
    bool m_pdfFileSpent = false;
    // The print-data files (EditorFiles.cpp).
    [[nodiscard]] QString RunFileDialog(bool Save);
    [[nodiscard]] QByteArray MakeThumbnail();
    [[nodiscard]] QString FilesSection() const;
    void RememberFile(const QString &Path);
    void CreateFileActions();
    // Shows the run's preview; true when the user chose to go back to the
    // wizard from it to print. A preview that cannot be drawn is reported.
    [[nodiscard]] bool ShowPreview(const TPrintRequest &Request);
    // Asks the wizard (Restore: reopened from the preview) and prints or
    // previews what it answers; ForcePreview previews whatever it answers.
    void RunPrint(bool Restore, bool ForcePreview);
    // Before a run prints: items over the customer barcode's bars or the
    // blank round them (ItemsOverBars) are named and the user asked whether
    // to print all the same; true prints.
    // Asks the user whether to print all the same (いいえ by default).
    [[nodiscard]] bool AskBeforePrinting(const QString &text);
    // The names of the given items, each once, in their order.
    [[nodiscard]] QStringList ItemNames(const QList<int> &items) const;
    [[nodiscard]] bool ConfirmItemsClearOfBars();
    // Then the layout's text frames over an item the user inserted
    // (TextOverItems) are named, and the user asked the same.
    [[nodiscard]] bool ConfirmTextClearOfItems();
    // Then the items the user inserted that reach into the edge a printer
    // may cut off (InsertedItemsAtEdge).
    [[nodiscard]] bool ConfirmItemsInsideEdge();
    // Then the sender blocks whose sender the sender records no longer hold
    // (deleted, or renamed while the layout was not open): they would print
    // empty on every piece.
    [[nodiscard]] bool ConfirmSendersFound();
    // Then, for a run without address records (a design, or a layout filled
    // from the sender), the texts printed under 1.8 mm, narrowed or left
    // out (SizeShortfalls), as the wizard names them for a run of records.
    [[nodiscard]] bool ConfirmTextsReadable(QPrinter &Printer, const TPrintOptions &Options);
    [[nodiscard]] TRecordSource RecordSource() const;

    TLayoutKind m_kind;
    TEditorHost &m_host;
    TLayoutDocument m_document;
    TUndoList m_undo;
    // The bars were shown until a paper too small for them hid them: a paper
    // that takes them again shows them again, as the user left them.
    bool m_barcodeHiddenByPaper = false;
    std::unique_ptr<QPrinter> m_printer;
    QString m_fileName;
    // The file opened or saved last, kept across a new layout: the file
    // dialogs offer it.
    QString m_lastFileName;
    // True while a print run draws from m_document: the run serves the
    // event loop between pieces, and what arrives meanwhile (the list's
    // record changes, a close) must wait for its end.
    bool m_printing = false;
    // The preview dialog while it is shown: it asks for its pages while the
    // user can still click it, and its input waits for each drawing's end
    // like the editor's (a change of orientation would draw inside a drawing).
    QWidget *m_preview = nullptr;
    // The layout differs from the one opened, saved or created.
    bool m_changed = false;
    QScrollArea *sbxPage = nullptr;
    TPageView *pbxPage = nullptr;
    QComboBox *cbxZoom = nullptr;
};
