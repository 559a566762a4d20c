#include "editors/PrintEditor.h"

#include "dialogs/DsnFmt.h"
#include "dialogs/LblFmt.h"
#include "dialogs/LytFmt.h"
#include "editors/EditorHost.h"
#include "editors/MergeFormat.h"
#include "editors/PageView.h"
#include "editors/PrintData.h"
#include "editors/PrintWizard.h"
#include "editors/TownNames.h"
#include "items/MetaRect.h"
#include "util/MsgBoxPos.h"
#include "widgets/InputHoldBack.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>

namespace {

constexpr double kZoomSteps[] = {0.5, 0.75, 1.0, 1.5, 2.0, 3.0};

TPaperEditor paperEditor(TLayoutKind Kind)
{
    switch (Kind) {
    case TLayoutKind::Label: return TPaperEditor::Label;
    case TLayoutKind::Card: return TPaperEditor::Card;
    default: return TPaperEditor::AddressSide;
    }
}

// Keeps the user's input away from one editor window while its print run
// serves the event loop: the run's progress is modal only once it shows,
// and until then a click, a drag or a shortcut would change the layout the
// run is drawing. Windows of their own (the progress, other windows) take
// input as usual.
bool belongsToEditor(const QObject *Object, const QWidget *Editor)
{
    if (auto *widget = qobject_cast<const QWidget *>(Object))
        return widget->window() == Editor;
    // A shortcut goes to its action, a child of the window.
    for (const QObject *o = Object; o; o = o->parent())
        if (o == Editor)
            return true;
    return false;
}

} // namespace

TPrintEditor::TPrintEditor(TLayoutKind Kind, TEditorHost &Host, QWidget *Owner)
    : QMainWindow(Owner, Qt::Window), m_kind(Kind), m_host(Host)
{
    m_document.Kind = Kind;
    m_document.PrintedSender = [this] { return m_host.PrintedSender(); };
    m_document.TownNames = ProgramTownNames();
    ExecDialog = [](QDialog &Dialog) { return Dialog.exec(); };
    ExecPrintDialog = [this](QPrinter &Printer) {
        QPrintDialog dialog(&Printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    ExecPreview = [](QDialog &Dialog) { Dialog.exec(); };
    PrintWizard = [this](QPrinter &Printer, TPrintRequest &Request) { return RunWizard(Printer, Request); };
    ExecFileDialog = [this](bool Save) { return RunFileDialog(Save); };

    sbxPage = new QScrollArea(this);
    sbxPage->setObjectName(QStringLiteral("sbxPage"));
    pbxPage = new TPageView(m_document, sbxPage);
    sbxPage->setWidget(pbxPage);
    sbxPage->setWidgetResizable(false);
    setCentralWidget(sbxPage);
    connect(pbxPage, &TPageView::ItemGeometryChanged, this, &TPrintEditor::ItemGeometryChanged);
    m_undo.OnUndoRedo = [this](TUndoList &, TUndoKind Kind, TUndoData &Data, bool Redo) { UndoRedo(Kind, Data, Redo); };
    // Every change of the layout passes the undo list: recorded, undone,
    // redone, or (when it cannot be recorded) clearing the list.
    m_undo.OnChange = [this](TUndoList &) { m_changed = true; };
    CreateActions();
    CreateFileActions();
    statusBar()->setObjectName(QStringLiteral("stbarInfo"));
    resize(640, 760);
    UpdateActions();
}

TPrintEditor::~TPrintEditor() = default;

void TPrintEditor::CreateActions()
{
    auto make = [this](QAction *&Action, const char *Name, const QString &Caption, const QKeySequence &Key) {
        Action = new QAction(Caption, this);
        Action->setObjectName(QLatin1String(Name));
        if (!Key.isEmpty())
            Action->setShortcut(Key);
        addAction(Action);
    };
    make(actNew, "actNew", QStringLiteral("新規作成(&N)..."), QKeySequence(Qt::CTRL | Qt::Key_N));
    make(actOpen, "actOpen", QStringLiteral("開く(&O)..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    make(actSave, "actSave", QStringLiteral("上書き保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
    make(actSaveAs, "actSaveAs", QStringLiteral("名前を付けて保存(&A)..."), {});
    make(actCopy, "actCopy", QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
    make(actPaste, "actPaste", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
    make(actPrint, "actPrint", QStringLiteral("印刷(&P)..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    make(actPreview, "actPreview", QStringLiteral("印刷プレビュー(&V)..."), {});
    make(actClose, "actClose", QStringLiteral("閉じる(&X)"), {});
    make(actUndo, "actUndo", QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    make(actRedo, "actRedo", QStringLiteral("やり直し(&R)"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    make(actZoomIn, "actZoomIn", QStringLiteral("拡大(&I)"), QKeySequence(Qt::CTRL | Qt::Key_Plus));
    make(actZoomOut, "actZoomOut", QStringLiteral("縮小(&O)"), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(actNew, &QAction::triggered, this, &TPrintEditor::actNewExecute);
    connect(actPrint, &QAction::triggered, this, &TPrintEditor::actPrintExecute);
    connect(actOpen, &QAction::triggered, this, [this] {
        // Another layout replaces this one: its changes are asked about first.
        if (!AskToSaveChanges())
            return;
        const QString path = ExecFileDialog(false);
        if (!path.isEmpty())
            (void)OpenFile(path);
    });
    auto saveAs = [this] {
        const QString path = ExecFileDialog(true);
        if (!path.isEmpty())
            (void)SaveFile(path);
    };
    connect(actSave, &QAction::triggered, this, [this] { (void)SaveLayout(); });
    connect(actSaveAs, &QAction::triggered, this, saveAs);
    connect(actCopy, &QAction::triggered, this, &TPrintEditor::CopySelected);
    connect(actPaste, &QAction::triggered, this, [this] { (void)Paste(); });
    connect(actPreview, &QAction::triggered, this, &TPrintEditor::actPreviewExecute);
    connect(actClose, &QAction::triggered, this, &QWidget::close);
    connect(actUndo, &QAction::triggered, this, [this] {
        m_undo.Undo();
        UpdateActions();
    });
    connect(actRedo, &QAction::triggered, this, [this] {
        m_undo.Redo();
        UpdateActions();
    });
    connect(actZoomIn, &QAction::triggered, this, [this] { SetZoom(pbxPage->Zoom() * 1.25); });
    connect(actZoomOut, &QAction::triggered, this, [this] { SetZoom(pbxPage->Zoom() / 1.25); });

    QMenuBar *menus = menuBar();
    menus->setObjectName(QStringLiteral("mnuMain"));
    QMenu *file = menus->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addActions({actNew, actOpen, actSave, actSaveAs});
    file->addSeparator();
    file->addActions({actPreview, actPrint});
    file->addSeparator();
    file->addAction(actClose);
    QMenu *edit = menus->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    edit->addActions({actUndo, actRedo});
    edit->addSeparator();
    edit->addActions({actCopy, actPaste});
    QMenu *view = menus->addMenu(QStringLiteral("表示(&V)"));
    view->setObjectName(QStringLiteral("mnuView"));
    view->addActions({actZoomIn, actZoomOut});

    QToolBar *tools = addToolBar(QStringLiteral("tbMain"));
    tools->setObjectName(QStringLiteral("tbMain"));
    tools->addActions({actNew, actPreview, actPrint, actUndo, actRedo});
    cbxZoom = new QComboBox(tools);
    cbxZoom->setObjectName(QStringLiteral("cbxZoom"));
    for (const double zoom : kZoomSteps)
        cbxZoom->addItem(QStringLiteral("%1%").arg(qRound(zoom * 100)), zoom);
    cbxZoom->setCurrentIndex(2);
    tools->addWidget(cbxZoom);
    connect(cbxZoom, &QComboBox::activated, this, [this](int Index) { SetZoom(cbxZoom->itemData(Index).toDouble()); });
}

void TPrintEditor::SetZoom(double Zoom)
{
    pbxPage->SetZoom(Zoom);
    const int index = cbxZoom->findData(pbxPage->Zoom());
    if (index >= 0)
        cbxZoom->setCurrentIndex(index);
    else
        cbxZoom->setEditText(QStringLiteral("%1%").arg(qRound(pbxPage->Zoom() * 100)));
}

bool TPrintEditor::NewLayout(int FormatIndex, bool Quiet)
{
    TLayoutFormat format;
    TLabelGrid grid;
    QString error;
    bool read = false;
    if (m_kind == TLayoutKind::Design) {
        TDesignFormat design;
        read = ReadDesignFormat(FormatIndex, design, &error);
        format.Kind = quint8(TPaperKind::Postcard);
        format.Width = design.Landscape ? design.Height : design.Width;
        format.Height = design.Landscape ? design.Width : design.Height;
    } else {
        read = ReadPaperFormat(FormatIndex, paperEditor(m_kind), format, grid, &error);
    }
    if (!read) {
        if (!Quiet)
            ShowMessageBoxAt(this, error.isEmpty() ? QStringLiteral("用紙情報が読み込めませんでした  ") : error,
                             ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return false;
    }
    SetLayout(FormatIndex, format, grid);
    return true;
}

void TPrintEditor::SetLayout(int FormatIndex, const TLayoutFormat &Format, const TLabelGrid &Grid)
{
    m_document.FormatIndex = FormatIndex;
    m_document.Format = Format;
    m_document.Grid = Grid;
    m_document.BuildDefaultItems();
    ApplyNewLayoutFormat(m_document);
    // A new layout is no longer the file opened before: saving it asks for
    // a title rather than writing over that file.
    m_fileName.clear();
    m_undo.Clear();
    m_changed = false;
    pbxPage->SetSelected(-1);
    MergeCurrentRecord();
    UpdateActions();
}

void TPrintEditor::MergeCurrentRecord()
{
    // The run merges its own records into the items; the current record is
    // merged again when it ends.
    if (m_printing)
        return;
    m_document.SetReferenceDevice(TReferenceDevice::screen());
    const std::optional<TAddressData> sender = m_host.SenderRecord();
    std::optional<TAddressData> record;
    if (MergesSender())
        record = sender;
    else if (const qint32 recNo = m_host.CurrentRecNo(); recNo > 0)
        record = m_host.ReadRecord(recNo);
    MergeRecord(m_document, record ? &*record : nullptr, sender ? &*sender : nullptr);
    pbxPage->DocumentChanged();
    emit LayoutChanged();
}

bool TPrintEditor::RunPaperDialog()
{
    switch (m_kind) {
    case TLayoutKind::AddressSide: {
        TNewLayoutDialog dialog(this);
        dialog.ShowFormat(m_document.FormatIndex);
        if (ExecDialog(dialog) != QDialog::Accepted)
            return false;
        SetLayout(dialog.SelectedIndex(), dialog.WorkingFormat(), dialog.WorkingGrid());
        return true;
    }
    case TLayoutKind::Label:
    case TLayoutKind::Card: {
        TNewLabelDialog dialog(this);
        dialog.SetLabelKind(m_kind == TLayoutKind::Card ? 3 : 2);
        dialog.ShowFormat(m_document.FormatIndex);
        if (ExecDialog(dialog) != QDialog::Accepted)
            return false;
        SetLayout(dialog.SelectedIndex(), dialog.WorkingFormat(), dialog.WorkingGrid());
        return true;
    }
    case TLayoutKind::Design: {
        TNewDesignDialog dialog(this);
        dialog.ShowFormat(m_document.FormatIndex);
        if (ExecDialog(dialog) != QDialog::Accepted)
            return false;
        return NewLayout(dialog.SelectedIndex());
    }
    }
    return false;
}

bool TPrintEditor::OpenFile(const QString &Path)
{
    TLayoutDocument read;
    QString error;
    if (!LoadPrintData(Path, read, &error)) {
        ShowMessageBoxAt(this, error + QStringLiteral("\r\n") + Path, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner,
                         0, 0);
        return false;
    }
    if (read.Kind != m_document.Kind) {
        ShowMessageBoxAt(this, QStringLiteral("この印刷データはこの画面では開けません\r\n") + Path, ProductCaption(),
                         MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return false;
    }
    m_document.FormatIndex = read.FormatIndex;
    m_document.Format = read.Format;
    m_document.Grid = read.Grid;
    m_document.Detail = read.Detail;
    m_document.Items = std::move(read.Items);
    m_document.Background.Assign(read.Background);
    m_document.ItemRoles = std::move(read.ItemRoles);
    // A file without its own data format opens with its kind's defaults,
    // never with the format of the layout shown before.
    m_document.DataFormat = read.DataFormat;
    m_fileName = Path;
    m_lastFileName = Path;
    RememberFile(Path);
    m_undo.Clear();
    m_changed = false;
    pbxPage->SetSelected(-1);
    MergeCurrentRecord();
    UpdateActions();
    return true;
}

bool TPrintEditor::SaveFile(const QString &Path)
{
    QString error;
    if (!SavePrintData(Path, m_document, &error, MakeThumbnail())) {
        ShowMessageBoxAt(this, QStringLiteral("印刷データを保存できませんでした\r\n") + error, ProductCaption(),
                         MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return false;
    }
    m_fileName = Path;
    m_lastFileName = Path;
    RememberFile(Path);
    m_changed = false;
    return true;
}

bool TPrintEditor::SaveLayout()
{
    const QString path = m_fileName.isEmpty() ? ExecFileDialog(true) : m_fileName;
    return !path.isEmpty() && SaveFile(path);
}

bool TPrintEditor::AskToSaveChanges()
{
    if (!m_changed)
        return true;
    const QString text = QStringLiteral("レイアウトが変更されています  \r\n\r\n") +
                         QStringLiteral("保存する場合は「はい」  \r\n") +
                         QStringLiteral("破棄する場合は「いいえ」  \r\n") +
                         QStringLiteral("中止する場合は「キャンセル」  \r\n\r\n") + QStringLiteral("を押してください  ");
    switch (ShowMessageBoxAt(this, text, ProductCaption(), MB_YESNOCANCEL | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0)) {
    case IDYES: return SaveLayout();
    case IDNO: return true;
    default: return false;
    }
}

void TPrintEditor::CopySelected()
{
    if (pbxPage->Selected() >= 0)
        CopyPrintItems(m_document, {pbxPage->Selected()});
}

bool TPrintEditor::Paste()
{
    // Pasted items stand a little below and right of the copied ones.
    constexpr int shift = 8;
    const int added = PastePrintItems(m_document, shift);
    if (added == 0)
        return false;
    m_undo.Clear();
    MergeCurrentRecord();
    pbxPage->SetSelected(int(m_document.Items.size()) - 1);
    UpdateActions();
    return true;
}

void TPrintEditor::actNewExecute()
{
    if (!AskToSaveChanges())
        return;
    (void)RunPaperDialog();
}

TRecordSource TPrintEditor::RecordSource() const
{
    if (MergesSender())
        return [this](qint32) { return m_host.SenderRecord(); };
    return m_host.PrintRecordSource();
}

QPrinter &TPrintEditor::Printer()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setFullPage(true);
        LoadPrinter(*m_printer);
    }
    return *m_printer;
}

bool TPrintEditor::RunWizard(QPrinter &Printer, TPrintRequest &Request)
{
    TWizardSetup setup;
    setup.Design = m_kind == TLayoutKind::Design;
    setup.RestorePageAndCopies = Request.RestorePageAndCopies;
    switch (m_kind) {
    case TLayoutKind::AddressSide:
        setup.LayoutKind = m_document.Format.Kind == quint8(TPaperKind::Envelope) ? 1 : 0;
        break;
    case TLayoutKind::Label: setup.LayoutKind = 2; break;
    case TLayoutKind::Card: setup.LayoutKind = 3; break;
    case TLayoutKind::Design: break;
    }
    setup.UseAddressData = !setup.Design && !MergesSender();
    setup.ItemsPerSheet = m_document.CellsPerSheet();
    setup.Content = PrintedContent(m_document);
    const std::unique_ptr<TPrintMarkSource> marks = m_host.PrintMarks();
    TWizardAnswer answer;
    const TWizardSeams seams{ExecDialog, [this](QPrinter &Target) { return RunPrintDialog(Target); }};
    const bool accepted = RunPrintWizard(this, setup, m_host.PrintRows(), *marks, Printer, seams, answer);
    // A printer chosen in the set-up stays this kind's printer, printed or not.
    if (answer.PrinterChanged)
        SavePrinter(Printer);
    if (!accepted)
        return false;
    // Without address records the run is the sender's card (or the design)
    // once, repeated by the prints per record and the copies.
    Request.RecNos = setup.UseAddressData ? answer.RecNos : QList<qint32>{0};
    Request.Preview = answer.Preview;
    TPrintOptions &o = Request.Options;
    o = TPrintOptions{};
    o.Copies = answer.Copies;
    if (setup.ItemsPerSheet > 1) {
        o.FirstCell = answer.LabelStart;
        o.PrintsPerRecord = answer.LabelCount;
    }
    o.Offset = TTenthMmPoint{TTenthMm(answer.Offset.x()), TTenthMm(answer.Offset.y())};
    o.UpsideDown = answer.Reverse;
    o.Flap = answer.Flap;
    return true;
}

bool TPrintEditor::PrintRecords(QPrinter &Printer, const QList<qint32> &RecNos, const TPrintOptions &Options,
                                QString *Error)
{
    if (RecNos.isEmpty()) {
        if (Error)
            *Error = QStringLiteral("印刷するデータが選択されていません");
        return false;
    }
    SetupPrinterPage(Printer, m_document, Options.Flap);
    TPrintLoop loop(m_document, RecordSource());
    if (!MergesSender())
        loop.Sender = m_host.SenderRecord();
    // A long run shows its progress after a moment and can be stopped; the
    // dialog is modal to the editor once shown, and the input guard keeps
    // the editor's input away before that.
    QProgressDialog progress(QStringLiteral("印刷しています..."), QStringLiteral("中止"), 0, 0, this);
    progress.setObjectName(QStringLiteral("PrintProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(1000);
    loop.Progress = [&progress](int Done, int Total) {
        progress.setMaximum(Total);
        progress.setValue(Done);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    m_printing = true;
    bool done = false;
    {
        const auto running = qScopeGuard([this] { m_printing = false; });
        const TInputHoldBack guard([this](const QObject *Watched) { return belongsToEditor(Watched, this); });
        done = loop.Run(Printer, RecNos, Options, Error);
    }
    progress.reset();
    // The loop laid the items out for the printer; the page view gets its
    // own layout and the current record back.
    MergeCurrentRecord();
    return done;
}

bool TPrintEditor::PrintSelected(QPrinter &Printer, QString *Error)
{
    // The sender's card is one record however many rows are selected.
    const QList<qint32> recNos = MergesSender() ? QList<qint32>{0} : m_host.SelectedRecNos();
    return PrintRecords(Printer, recNos, TPrintOptions{}, Error);
}

bool TPrintEditor::ShowPreview(const TPrintRequest &Request)
{
    QPrinter &printer = Printer();
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    QString error;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, &error, &Request](QPrinter *Target) {
        QString reason;
        if (!PrintRecords(*Target, Request.RecNos, Request.Options, &reason) && error.isEmpty())
            error = reason.isEmpty() ? QStringLiteral("印刷プレビューを表示できませんでした") : reason;
    });
    // From the preview the user goes back to the wizard to print the run.
    bool back = false;
    auto *toWizard = new QAction(QStringLiteral("印刷(&P)..."), &dialog);
    toWizard->setObjectName(QStringLiteral("actPreviewPrint"));
    connect(toWizard, &QAction::triggered, &dialog, [&back, &dialog] {
        back = true;
        dialog.accept();
    });
    if (auto *bar = dialog.findChild<QToolBar *>())
        bar->addAction(toWizard);
    else
        dialog.addAction(toWizard);
    ExecPreview(dialog);
    // The preview draws while it is shown; its failure is told once it closed.
    if (!error.isEmpty())
        ShowMessageBoxAt(this, error, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    return back;
}

void TPrintEditor::RunPrint(bool Restore, bool ForcePreview)
{
    QPrinter &printer = Printer();
    TPrintRequest request;
    for (;;) {
        SetupPrinterPage(printer, m_document);
        request = TPrintRequest{};
        request.RestorePageAndCopies = Restore;
        if (!PrintWizard || !PrintWizard(printer, request))
            return;
        if (!request.Preview && !ForcePreview)
            break;
        if (!ShowPreview(request))
            return;
        // Back from the preview: the wizard again, on the page and with the
        // copies it was left with, and what it answers now is printed.
        Restore = true;
        ForcePreview = false;
    }
    // With no printer chosen the run goes to a PDF file; the user names it,
    // and the kind offers it the next time.
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
        if (!RunPrintDialog(printer))
            return;
        SavePrinter(printer);
    }
    QString error;
    if (!PrintRecords(printer, request.RecNos, request.Options, &error))
        ShowMessageBoxAt(this, error, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

void TPrintEditor::actPrintExecute()
{
    RunPrint(false, false);
}

void TPrintEditor::actPreviewExecute()
{
    RunPrint(false, true);
}

void TPrintEditor::UpdateActions()
{
    const bool hasPaper = m_document.Format.Width > 0 && m_document.Format.Height > 0;
    actPrint->setEnabled(hasPaper);
    actPreview->setEnabled(hasPaper);
    actUndo->setEnabled(m_undo.CanUndo());
    actRedo->setEnabled(m_undo.CanRedo());
}

void TPrintEditor::ItemGeometryChanged(int Index, TPageRect Before, TPageRect After)
{
    auto action = std::make_unique<TUndoDatas>(TUndoKind::Geometry);
    const int piece = action->AddRect(Before, Index, -1, TUndoState::Before);
    action->SetRect(piece, After, TUndoState::After);
    for (const TUndoState state : {TUndoState::Before, TUndoState::After}) {
        action->SetSelectionCount(state, 1);
        action->SetSelection(state, 0, Index);
        action->SetMainSelection(state, Index);
    }
    m_undo.Add(std::move(action));
    UpdateActions();
    emit LayoutChanged();
}

void TPrintEditor::UndoRedo(TUndoKind Kind, TUndoData &Data, bool Redo)
{
    if (Kind != TUndoKind::Geometry)
        return;
    auto *rect = dynamic_cast<TRectUndoData *>(&Data);
    if (!rect || rect->ZIndex < 0 || rect->ZIndex >= int(m_document.Items.size()))
        return;
    TDrawRect &item = *m_document.Items[size_t(rect->ZIndex)];
    item.SetRect(rect->GetRect(Redo ? TUndoState::After : TUndoState::Before));
    item.Rebuild(true);
    pbxPage->SetSelected(rect->ZIndex);
    pbxPage->update();
    emit LayoutChanged();
}

void TPrintEditor::closeEvent(QCloseEvent *Event)
{
    // A window closed under its run would free the layout the run draws;
    // the run can be stopped from its progress dialog instead.
    if (m_printing) {
        Event->ignore();
        return;
    }
    // Unsaved edits are the user's to keep or drop; a cancelled or failed
    // save keeps the window open with them.
    if (!AskToSaveChanges()) {
        Event->ignore();
        return;
    }
    Event->accept();
}
