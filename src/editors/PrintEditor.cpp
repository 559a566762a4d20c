#include "editors/PrintEditor.h"

#include "dialogs/DsnFmt.h"
#include "dialogs/LblFmt.h"
#include "dialogs/LytFmt.h"
#include "dialogs/PrtSub.h"
#include "editors/AdditionPlace.h"
#include "editors/EditorHost.h"
#include "editors/ItemPlace.h"
#include "editors/MergeFormat.h"
#include "editors/PageView.h"
#include "editors/PrintData.h"
#include "editors/PrintLoop.h"
#include "editors/PrintWizard.h"
#include "editors/PrintedSizes.h"
#include "editors/TownNames.h"
#include "items/BackImage.h"
#include "items/ItemStream.h"
#include "items/MaskShapes.h"
#include "items/MetaRect.h"
#include "items/SenderRect.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "widgets/InputHoldBack.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

namespace {

// Keeps a widget from painting while it lives, and has it painted afresh
// after. The preview's page view shows pages its printer frees when a new
// drawing of them begins; the progress shown during that drawing lets the
// view's paint events through, and painting a freed page crashes.
class TPaintHoldBack final : public QObject
{
public:
    explicit TPaintHoldBack(QWidget *Widget) : m_widget(Widget) { m_widget->installEventFilter(this); }
    ~TPaintHoldBack() override
    {
        if (m_widget) {
            m_widget->removeEventFilter(this);
            m_widget->update();
        }
    }
    TPaintHoldBack(const TPaintHoldBack &) = delete;
    TPaintHoldBack &operator=(const TPaintHoldBack &) = delete;

protected:
    bool eventFilter(QObject *, QEvent *Event) override { return Event->type() == QEvent::Paint; }

private:
    QPointer<QWidget> m_widget;
};

constexpr double kZoomSteps[] = {0.5, 0.75, 1.0, 1.5, 2.0, 3.0};

// A zoom as the toolbar's box shows it: whole percent.
QString zoomText(double Zoom)
{
    return QStringLiteral("%1%").arg(qRound(Zoom * 100));
}

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

// An item the user added, not a frame of the paper.
bool isUserItem(const TLayoutDocument &D, int Index)
{
    return Index >= 0 && Index < int(D.Items.size()) &&
           (Index >= int(D.ItemRoles.size()) || D.ItemRoles[size_t(Index)] < 0);
}

} // namespace

TPrintEditor::TPrintEditor(TLayoutKind Kind, TEditorHost &Host, QWidget *Owner)
    : QMainWindow(Owner, Qt::Window), m_kind(Kind), m_host(Host)
{
    m_document.Kind = Kind;
    m_document.PrintedSender = [this] { return m_host.PrintedSender(); };
    m_document.TownNames = ProgramTownNames();
    // The picture items' mask shapes, before any layout is read: its
    // pictures take their shapes from the library as they are read.
    LoadProgramMaskFiles();
    ExecDialog = [](QDialog &Dialog) { return Dialog.exec(); };
    ExecPrintDialog = [this](QPrinter &Printer) {
        QPrintDialog dialog(&Printer, this);
        // The wizard chose the records; the pieces are not pages to pick.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        return dialog.exec() == QDialog::Accepted;
    };
    ExecPreview = [](QDialog &Dialog) { Dialog.exec(); };
    PrintWizard = [this](QPrinter &Printer, TPrintRequest &Request) { return RunWizard(Printer, Request); };
    ExecFileDialog = [this](bool Save) { return RunFileDialog(Save); };

    sbxPage = new QScrollArea(this);
    sbxPage->setObjectName(QStringLiteral("sbxPage"));
    pbxPage = new TPageView(m_document, sbxPage);
    // The page decides which additional lines print at the resolution this
    // editor's printer lays them out at, once it has one.
    pbxPage->PrintedResolution = [this] {
        return m_printer ? PrintedDpi(*m_printer) : TPageView::UntoldPrinterDpi;
    };
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
    make(actChangePaper, "actChangePaper", QStringLiteral("用紙の変更(&C)..."), {});
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
    make(actDelete, "actDelete", QStringLiteral("削除(&D)"), QKeySequence(Qt::Key_Delete));
    make(actBringToFront, "actBringToFront", QStringLiteral("最前面へ移動(&F)"), {});
    make(actBringForward, "actBringForward", QStringLiteral("前面へ移動(&W)"), {});
    make(actSendBackward, "actSendBackward", QStringLiteral("背面へ移動(&K)"), {});
    make(actSendToBack, "actSendToBack", QStringLiteral("最背面へ移動(&B)"), {});
    make(actZoomIn, "actZoomIn", QStringLiteral("拡大(&I)"), QKeySequence(Qt::CTRL | Qt::Key_Plus));
    make(actZoomOut, "actZoomOut", QStringLiteral("縮小(&O)"), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(actNew, &QAction::triggered, this, &TPrintEditor::actNewExecute);
    connect(actPrint, &QAction::triggered, this, &TPrintEditor::actPrintExecute);
    connect(actChangePaper, &QAction::triggered, this, [this] { (void)RunPaperDialog(true); });
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
    connect(actUndo, &QAction::triggered, this, &TPrintEditor::Undo);
    connect(actRedo, &QAction::triggered, this, &TPrintEditor::Redo);
    connect(actDelete, &QAction::triggered, this, [this] { (void)DeleteItem(pbxPage->Selected()); });
    auto orderStep = [this](QAction *Action, int Step) {
        connect(Action, &QAction::triggered, this, [this, Step] {
            const int from = pbxPage->Selected();
            const int last = int(m_document.Items.size()) - 1;
            // Steps of one, or all the way to the top or the bottom.
            const int to = Step == 2 ? last : Step == -2 ? 0 : from + Step;
            (void)MoveInDrawingOrder(from, std::clamp(to, 0, std::max(0, last)));
        });
    };
    orderStep(actBringToFront, 2);
    orderStep(actBringForward, 1);
    orderStep(actSendBackward, -1);
    orderStep(actSendToBack, -2);
    connect(pbxPage, &TPageView::SelectionChanged, this, &TPrintEditor::UpdateActions);
    connect(actZoomIn, &QAction::triggered, this, [this] { SetZoom(pbxPage->Zoom() * 1.25); });
    connect(actZoomOut, &QAction::triggered, this, [this] { SetZoom(pbxPage->Zoom() / 1.25); });

    QMenuBar *menus = menuBar();
    menus->setObjectName(QStringLiteral("mnuMain"));
    QMenu *file = menus->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addActions({actNew, actChangePaper, actOpen, actSave, actSaveAs});
    file->addSeparator();
    file->addActions({actPreview, actPrint});
    file->addSeparator();
    file->addAction(actClose);
    QMenu *edit = menus->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    edit->addActions({actUndo, actRedo});
    edit->addSeparator();
    edit->addActions({actCopy, actPaste, actDelete});
    edit->addSeparator();
    QMenu *order = edit->addMenu(QStringLiteral("重なり順(&O)"));
    order->setObjectName(QStringLiteral("mnuOrder"));
    order->addActions({actBringToFront, actBringForward, actSendBackward, actSendToBack});
    QMenu *view = menus->addMenu(QStringLiteral("表示(&V)"));
    view->setObjectName(QStringLiteral("mnuView"));
    view->addActions({actZoomIn, actZoomOut});

    QToolBar *tools = addToolBar(QStringLiteral("tbMain"));
    tools->setObjectName(QStringLiteral("tbMain"));
    tools->addActions({actNew, actPreview, actPrint, actUndo, actRedo});
    cbxZoom = new QComboBox(tools);
    cbxZoom->setObjectName(QStringLiteral("cbxZoom"));
    // The box shows the zoom in force, also one between its steps (拡大 and
    // 縮小 go by a quarter), so its text is its own; the user picks a step
    // from the list or types a percentage and Return.
    cbxZoom->setEditable(true);
    cbxZoom->setInsertPolicy(QComboBox::NoInsert);
    for (const double zoom : kZoomSteps)
        cbxZoom->addItem(zoomText(zoom), zoom);
    cbxZoom->setCurrentIndex(2);
    tools->addWidget(cbxZoom);
    connect(cbxZoom, &QComboBox::activated, this, [this](int Index) { SetZoom(cbxZoom->itemData(Index).toDouble()); });
    // A typed zoom ("50", "50%", in either width) is taken as it is left or
    // Return pressed; a text that is no percentage shows the zoom in force
    // again. The page keeps its zoom within its limits.
    connect(cbxZoom->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        // The zoom in force, shown rounded, is not taken again.
        if (cbxZoom->lineEdit()->text() == zoomText(pbxPage->Zoom()))
            return;
        QString typed = ToHalfWidthW(cbxZoom->lineEdit()->text()).trimmed();
        if (typed.endsWith(u'%'))
            typed.chop(1);
        bool number = false;
        const double percent = typed.trimmed().toDouble(&number);
        SetZoom(number && percent > 0 ? percent / 100.0 : pbxPage->Zoom());
    });
}

void TPrintEditor::SetZoom(double Zoom)
{
    pbxPage->SetZoom(Zoom);
    // The step the page shows, compared as the percentages shown: zooming in
    // and out by a quarter comes back to 100% only within rounding.
    const QString shown = zoomText(pbxPage->Zoom());
    const int index = cbxZoom->findText(shown);
    cbxZoom->setCurrentIndex(index);
    if (index < 0)
        cbxZoom->setEditText(shown);
}

bool TPrintEditor::ReadLayoutPaper(int FormatIndex, TLayoutFormat &Format, TLabelGrid *Grid, bool Quiet)
{
    QString error;
    bool read = false;
    if (m_kind == TLayoutKind::Design) {
        TDesignFormat design;
        read = ReadDesignFormat(FormatIndex, design, &error);
        // A landscape design paper is kept turned in the catalogue: its
        // width is already the long side.
        Format = TLayoutFormat{};
        Format.Kind = quint8(TPaperKind::Postcard);
        Format.Width = design.Width;
        Format.Height = design.Height;
    } else {
        TLabelGrid grid;
        read = ReadPaperFormat(FormatIndex, paperEditor(m_kind), Format, grid, &error);
        if (Grid)
            *Grid = grid;
    }
    if (!read && !Quiet)
        ShowMessageBoxAt(this, error.isEmpty() ? QStringLiteral("用紙情報が読み込めませんでした  ") : error,
                         ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    return read;
}

bool TPrintEditor::NewLayout(int FormatIndex, bool Quiet)
{
    TLayoutFormat format;
    TLabelGrid grid;
    if (!ReadLayoutPaper(FormatIndex, format, &grid, Quiet))
        return false;
    SetLayout(FormatIndex, format, grid);
    return true;
}

void TPrintEditor::SetLayout(int FormatIndex, const TLayoutFormat &Format, const TLabelGrid &Grid)
{
    m_document.FormatIndex = FormatIndex;
    m_document.Format = Format;
    m_document.Grid = Grid;
    m_document.BuildDefaultItems();
    // A new layout has its bars, where its paper takes them.
    m_barcodeHiddenByPaper = !m_document.BarcodeFitsPaper();
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

void TPrintEditor::SetMergesSender(bool Sender)
{
    if (m_document.SenderAsAddressee != Sender) {
        m_document.SenderAsAddressee = Sender;
        m_changed = true;
    }
    MergeCurrentRecord();
}

void TPrintEditor::MergeCurrentRecord()
{
    // The run merges its own records into the items; the current record is
    // merged again when it ends.
    if (m_printing)
        return;
    m_document.SetReferenceDevice(TReferenceDevice::screen());
    const std::optional<TAddressText> sender = m_host.SenderRecord();
    std::optional<TAddressText> record;
    if (MergesSender())
        record = sender;
    else if (const qint32 recNo = m_host.CurrentRecNo(); recNo > 0) {
        // The page shows a record that cannot be read as empty; a print run
        // stops on it instead.
        try {
            record = m_host.ReadRecord(recNo);
        } catch (const ETableError &) {
            record.reset();
        }
    }
    MergeRecord(m_document, record ? &*record : nullptr, sender ? &*sender : nullptr);
    pbxPage->DocumentChanged();
    emit LayoutChanged();
}

bool TPrintEditor::RunPaperDialog(bool Change)
{
    // The paper chosen, and for a change the layout's items carried over.
    auto take = [this, Change](int Index, const TLayoutFormat &Format, const TLabelGrid &Grid) {
        if (Change)
            ChangePaper(Index, Format, Grid);
        else
            SetLayout(Index, Format, Grid);
    };
    switch (m_kind) {
    case TLayoutKind::AddressSide: {
        TNewLayoutDialog dialog(this);
        dialog.SetChangeMode(Change);
        dialog.ShowFormat(m_document.FormatIndex);
        dialog.SetEnvelopeSide(MergesSender() ? 1 : 0);
        if (ExecDialog(dialog) != QDialog::Accepted)
            return false;
        // The envelope's sender side is the layout filled from the sender;
        // a postcard keeps the mode it had when its paper is changed and
        // starts addressed to the list's records when it is new.
        m_document.SenderAsAddressee = dialog.WorkingFormat().PaperKind() == TPaperKind::Envelope
                                           ? dialog.GetEnvelopeSide() == 1
                                           : Change && MergesSender();
        take(dialog.SelectedIndex(), dialog.WorkingFormat(), dialog.WorkingGrid());
        return true;
    }
    case TLayoutKind::Label:
    case TLayoutKind::Card: {
        TNewLabelDialog dialog(this);
        dialog.SetLabelKind(m_kind == TLayoutKind::Card ? 3 : 2);
        dialog.SetChangeMode(Change);
        dialog.ShowFormat(m_document.FormatIndex);
        dialog.SetDataSide(MergesSender() ? 1 : 0);
        if (ExecDialog(dialog) != QDialog::Accepted)
            return false;
        m_document.SenderAsAddressee = dialog.GetDataSide() == 1;
        take(dialog.SelectedIndex(), dialog.WorkingFormat(), dialog.WorkingGrid());
        return true;
    }
    case TLayoutKind::Design: {
        TNewDesignDialog dialog(this);
        dialog.SetChangeMode(Change);
        dialog.ShowFormat(m_document.FormatIndex);
        if (ExecDialog(dialog) != QDialog::Accepted)
            return false;
        TLayoutFormat format;
        if (!ReadLayoutPaper(dialog.SelectedIndex(), format, nullptr, false))
            return false;
        take(dialog.SelectedIndex(), format, TLabelGrid{});
        return true;
    }
    }
    return false;
}

void TPrintEditor::ChangePaper(int FormatIndex, const TLayoutFormat &Format, const TLabelGrid &Grid)
{
    // The frames of the new paper replace the old ones, each keeping
    // whether it was shown; the user's own items stay where they stood,
    // moved onto the new piece when it is smaller.
    std::vector<std::unique_ptr<TDrawRect>> own;
    std::vector<int> hidden;
    // What the user inserted clear of the old paper's frames stays clear of
    // the new one's.
    const QList<const TDrawRect *> clear = ClearInsertedItems(m_document);
    m_document.ItemRoles.resize(m_document.Items.size(), -1);
    // Bars a paper hid are not bars the user hid.
    const bool barsHiddenByPaper = m_barcodeHiddenByPaper && !m_document.BarcodeFitsPaper();
    bool barsShown = false;
    for (size_t i = 0; i < m_document.Items.size(); ++i) {
        const int role = m_document.ItemRoles[i];
        const bool bars = m_document.Items[i]->GetKind() == TDrawRectKind::Barcode;
        if (role < 0)
            own.push_back(std::move(m_document.Items[i]));
        else if (m_document.Items[i]->IsVisible())
            barsShown = barsShown || bars;
        else if (bars && barsHiddenByPaper)
            barsShown = true;
        else
            hidden.push_back(role);
    }
    m_document.FormatIndex = FormatIndex;
    m_document.Format = Format;
    m_barcodeHiddenByPaper = barsShown && !m_document.BarcodeFitsPaper();
    m_document.Grid = Grid;
    m_document.BuildDefaultItems();
    for (size_t i = 0; i < m_document.Items.size(); ++i)
        if (std::find(hidden.begin(), hidden.end(), m_document.ItemRoles[i]) != hidden.end())
            m_document.Items[i]->SetVisible(false);
    // An item moved onto the new piece stops at the edge a printer cannot
    // print, where it fits inside it, not at the paper's edge.
    const QSize piece = m_document.PiecePixels();
    const TPageRect area = PlaceableArea(m_document);
    auto within = [](int From, int Length, int Low, int High, int Whole) {
        return Length <= High - Low ? std::clamp(From, Low, High - Length)
                                    : std::clamp(From, 0, std::max(0, Whole - Length));
    };
    for (auto &item : own) {
        const TPageRect r = item->GetRect();
        const int left = within(r.Left, r.width(), area.Left, area.Right, piece.width());
        const int top = within(r.Top, r.height(), area.Top, area.Bottom, piece.height());
        item->SetRect({left, top, left + r.width(), top + r.height()});
        m_document.Items.push_back(std::move(item));
        m_document.ItemRoles.push_back(-1);
    }
    // The additional lines find their room among the new paper's frames.
    ReplaceAdditionLines(m_document);
    (void)KeepClear(m_document, clear);
    // The steps recorded name item places the new frames invalidate.
    m_undo.Clear();
    pbxPage->SetSelected(-1);
    MergeCurrentRecord();
    UpdateActions();
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
    m_document.SenderAsAddressee = read.SenderAsAddressee;
    m_document.Items = std::move(read.Items);
    m_document.Background.Assign(read.Background);
    m_document.ItemRoles = std::move(read.ItemRoles);
    // A file without its own data format opens with its kind's defaults,
    // never with the format of the layout shown before.
    m_document.DataFormat = read.DataFormat;
    // A layout saved with a barcode its paper has no room for.
    m_barcodeHiddenByPaper = false;
    for (const auto &item : m_document.Items)
        if (item->GetKind() == TDrawRectKind::Barcode && item->IsVisible() && !m_document.BarcodeFitsPaper())
            m_barcodeHiddenByPaper = true;
    m_document.HideUnprintableBarcode();
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
    const int first = int(m_document.Items.size());
    const int added = PastePrintItems(m_document, shift);
    if (added == 0)
        return false;
    RecordInserted(first);
    return true;
}

void TPrintEditor::actNewExecute()
{
    if (!AskToSaveChanges())
        return;
    (void)RunPaperDialog(false);
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
    setup.ForPreview = Request.ForPreview;
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
    setup.BarsFromEdge = BarsFromPieceEdge(m_document);
    if (setup.UseAddressData)
        setup.SizeReport = [this, &Printer](const QList<qint32> &RecNos, int PrintsPerRecord) {
            // The records merge as the run merges them, their texts laid out
            // at the printer's resolution as the run lays them out (a text's
            // length differs a little from the screen's, and with it whether
            // an additional line finds room); the page view gets its record
            // back afterwards.
            m_document.SetReferenceDevice(TReferenceDevice::printer(PrintedDpi(Printer)));
            const std::optional<TAddressText> sender = m_host.SenderRecord();
            QString report;
            try {
                report = SizeShortfallReport(m_document, RecordSource(), RecNos, sender ? &*sender : nullptr,
                                             PrintsPerRecord);
            } catch (const ETableError &) {
                // The run itself tells the reader's failure.
            } catch (...) {
                // Whatever else stops the measuring, the page is laid out
                // for the screen again before the failure is told.
                MergeCurrentRecord();
                throw;
            }
            MergeCurrentRecord();
            return report;
        };
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
    o.LimitedPrinter = answer.LimitedPrinter;
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
    // One run at a time draws from the layout: a second one asked for from
    // inside the first (the event loop it serves) would draw into its pages.
    if (m_printing) {
        if (Error)
            *Error = QStringLiteral("印刷中のため実行できません");
        return false;
    }
    SetupPrinterPage(Printer, m_document, Options.Flap);
    TPrintLoop loop(m_document, RecordSource());
    // An envelope's sender side prints the sender in the sender's frames.
    if (!MergesSender() || m_document.Format.PaperKind() == TPaperKind::Envelope)
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
    try {
        const auto running = qScopeGuard([this] { m_printing = false; });
        const TInputHoldBack guard([this](const QObject *Watched) {
            return belongsToEditor(Watched, this) || (m_preview && belongsToEditor(Watched, m_preview));
        });
        done = loop.Run(Printer, RecNos, Options, Error);
    } catch (...) {
        // A run stopped by anything else than the reasons it reports leaves
        // the page laid out for the screen with its record before the
        // failure is told, as a run that ends does.
        progress.reset();
        MergeCurrentRecord();
        throw;
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
    // Every record of the run deleted since the wizard took them: no empty
    // preview is shown, the user is told as the print tells it.
    try {
        if (!Request.RecNos.isEmpty() && !AnyRecordLeft(RecordSource(), Request.RecNos)) {
            ShowMessageBoxAt(this, QStringLiteral("印刷するデータがありません"), ProductCaption(), MB_ICONERROR,
                             mbpCenterOnOwner, 0, 0);
            return false;
        }
    } catch (const ETableError &) {
        // The book cannot be read: the drawing stops with the reason.
    }
    QPrinter &printer = Printer();
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    // The manual's page on the preview, not the editor's.
    dialog.setProperty("HelpContext", 99);
    QString error;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, &dialog, &error, &Request](QPrinter *Target) {
        std::vector<std::unique_ptr<TPaintHoldBack>> still;
        for (QGraphicsView *view : dialog.findChildren<QGraphicsView *>())
            still.push_back(std::make_unique<TPaintHoldBack>(view->viewport()));
        QString reason;
        if (!PrintRecords(*Target, Request.RecNos, Request.Options, &reason) && error.isEmpty()) {
            error = reason.isEmpty() ? QStringLiteral("印刷プレビューを表示できませんでした") : reason;
            // Pages that could not be drawn whole (the records deleted
            // meanwhile, a book that cannot be read) do not stay on screen:
            // the preview closes and the reason is told.
            QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
        }
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
    // The preview's own printer button would print through a print dialog
    // of its own, past the wizard's questions (bars near an edge, items over
    // the bars) and the editor's choice of a PDF file: it goes back to the
    // wizard too.
    const QString ownPrint = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QAction *action : dialog.findChildren<QAction *>()) {
        if (action == toWizard || action->text() != ownPrint)
            continue;
        disconnect(action, &QAction::triggered, &dialog, nullptr);
        connect(action, &QAction::triggered, toWizard, &QAction::trigger);
    }
    m_preview = &dialog;
    const auto shown = qScopeGuard([this] { m_preview = nullptr; });
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
    // A PDF file named in the print dialog serves the run it was named for,
    // printed or not: the next run asks again, offering it.
    const auto oneRun = qScopeGuard([this] { m_pdfFileSpent = true; });
    for (;;) {
        SetupPrinterPage(printer, m_document);
        request = TPrintRequest{};
        request.RestorePageAndCopies = Restore;
        request.ForPreview = ForcePreview;
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
    if (!ConfirmItemsClearOfBars() || !ConfirmTextClearOfItems() || !ConfirmItemsInsideEdge() ||
        !ConfirmSendersFound() || !ConfirmTextsReadable(printer, request.Options))
        return;
    // A run to a PDF file names its file in its own print dialog (which asks
    // before it replaces a file there); the file an earlier run wrote is only
    // offered, never written over unasked. The kind offers it the next time.
    if (printer.outputFormat() == QPrinter::PdfFormat && (printer.outputFileName().isEmpty() || m_pdfFileSpent)) {
        // The dialog refuses the program's own files and asks again.
        if (!RunPrintDialog(printer))
            return;
        SavePrinter(printer);
    }
    // Copies asked for in the print dialog print the whole run again, as
    // the wizard's copies do.
    if (printer.copyCount() > 1) {
        request.Options.Copies = std::max(1, request.Options.Copies) * printer.copyCount();
        printer.setCopyCount(1);
    }
    QString error;
    if (!PrintRecords(printer, request.RecNos, request.Options, &error))
        ShowMessageBoxAt(this, error, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

bool TPrintEditor::AskBeforePrinting(const QString &text)
{
    // いいえ is the default: a question before printing guards paper.
    return ShowMessageBoxAt(this, text, ProductCaption(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, mbpCenterOnOwner,
                            0, 0) == IDYES;
}

QStringList TPrintEditor::ItemNames(const QList<int> &items) const
{
    QStringList names;
    for (const int i : items) {
        const QString name = ItemName(*m_document.Items[size_t(i)]);
        if (!names.contains(name))
            names << name;
    }
    return names;
}

bool TPrintEditor::ConfirmItemsClearOfBars()
{
    const QList<int> over = ItemsOverBars(m_document);
    if (over.isEmpty())
        return true;
    const QStringList names = ItemNames(over);
    const QString text = QStringLiteral("バーコードか、その周り2mmの余白に項目が重なっています（") +
                         names.join(QStringLiteral("、")) +
                         QStringLiteral("）  \r\nこのまま印刷すると、バーコードが読み取れないことがあります  \r\n"
                                        "印刷してよろしいですか？");
    return AskBeforePrinting(text);
}

bool TPrintEditor::ConfirmTextClearOfItems()
{
    const QList<std::pair<int, int>> over = TextOverItems(m_document);
    if (over.isEmpty())
        return true;
    QStringList pairs;
    for (const auto &[text, item] : over) {
        const QString pair = ItemName(*m_document.Items[size_t(text)]) + QStringLiteral("と") +
                             ItemName(*m_document.Items[size_t(item)]);
        if (!pairs.contains(pair))
            pairs << pair;
    }
    const QString text = QStringLiteral("文字の枠に挿入した項目が重なっています（") + pairs.join(QStringLiteral("、")) +
                         QStringLiteral("）  \r\nこのまま印刷すると、文字と項目が重なって印刷されます  \r\n"
                                        "印刷してよろしいですか？");
    return AskBeforePrinting(text);
}

bool TPrintEditor::ConfirmItemsInsideEdge()
{
    const QList<int> atEdge = InsertedItemsAtEdge(m_document);
    if (atEdge.isEmpty())
        return true;
    const QStringList names = ItemNames(atEdge);
    // A piece fed whole keeps the sheet's unprintable edge, a label or card
    // a blank from its cut.
    const QString edge = m_document.CellsPerSheet() > 1 ? QStringLiteral("ラベルや名刺の切り口から 2mm")
                                                        : QStringLiteral("用紙の端から 5mm");
    const QString text = QStringLiteral("挿入した項目が、印刷できない端の余白（") + edge +
                         QStringLiteral("）にかかっています（") + names.join(QStringLiteral("、")) +
                         QStringLiteral("）  \r\nこのまま印刷すると、項目の端が欠けて印刷されることがあります  \r\n"
                                        "印刷してよろしいですか？");
    return AskBeforePrinting(text);
}

bool TPrintEditor::ConfirmSendersFound()
{
    QStringList gone;
    for (size_t i = 0; i < m_document.Items.size(); ++i) {
        const auto *block = dynamic_cast<const TSenderRect *>(m_document.Items[i].get());
        if (!block || !block->IsVisible() || !m_document.OnPrintedSide(i))
            continue;
        const QString title = block->GetSenderTitle().trimmed();
        if (gone.contains(title) || (m_document.FindSender && m_document.FindSender(title)))
            continue;
        gone << title;
    }
    if (gone.isEmpty())
        return true;
    const QString text = QStringLiteral("差出人情報の差出人「") + gone.join(QStringLiteral("」「")) +
                         QStringLiteral("」が、差出人の編集に見つかりません  \r\n"
                                        "削除されたか、名称が変更されています  \r\n"
                                        "このまま印刷すると、差出人情報は何も印刷されません  \r\n"
                                        "印刷してよろしいですか？");
    return AskBeforePrinting(text);
}

bool TPrintEditor::ConfirmTextsReadable(QPrinter &Printer, const TPrintOptions &Options)
{
    // A run of the address records heard of its small texts in the wizard;
    // a design, or a layout filled from the sender, has no records to go
    // through there, and its texts are measured here, laid out as the run
    // lays them out.
    if (m_kind != TLayoutKind::Design && !MergesSender())
        return true;
    TSizeShortfalls shortfalls;
    {
        m_document.SetReferenceDevice(TReferenceDevice::printer(PrintedDpi(Printer)));
        const auto screenAgain = qScopeGuard([this] { MergeCurrentRecord(); });
        const std::optional<TAddressText> sender = m_host.SenderRecord();
        // The record and the sender as PrintRecords gives them to its loop.
        const TAddressText *filled = sender ? &*sender : nullptr;
        const bool senderFrames = !MergesSender() || m_document.Format.PaperKind() == TPaperKind::Envelope;
        MergeRecord(m_document, MergesSender() ? filled : nullptr, senderFrames ? filled : nullptr);
        shortfalls = SizeShortfalls(m_document);
    }
    TShortfallTally tally;
    tally.Add(shortfalls, std::max(1, Options.Copies) * std::max(1, Options.PrintsPerRecord));
    return AskToPrintShortfalls(this, tally.Report(m_document.Kind == TLayoutKind::Label));
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
    actChangePaper->setEnabled(hasPaper);
    actPreview->setEnabled(hasPaper);
    actUndo->setEnabled(m_undo.CanUndo());
    actRedo->setEnabled(m_undo.CanRedo());
    const int selected = pbxPage->Selected();
    const int count = int(m_document.Items.size());
    const bool valid = selected >= 0 && selected < count;
    actDelete->setEnabled(valid && isUserItem(m_document, selected));
    actBringToFront->setEnabled(valid && selected < count - 1);
    actBringForward->setEnabled(valid && selected < count - 1);
    actSendBackward->setEnabled(valid && selected > 0);
    actSendToBack->setEnabled(valid && selected > 0);
}

void TPrintEditor::SetSelectionOf(TUndoDatas &Action, TUndoState State, int Selected)
{
    Action.SetSelectionCount(State, Selected >= 0 ? 1 : 0);
    if (Selected >= 0)
        Action.SetSelection(State, 0, Selected);
    // The main selection is a position in the selection list.
    Action.SetMainSelection(State, Selected >= 0 ? 0 : -1);
}

void TPrintEditor::AddStep(std::unique_ptr<TUndoDatas> Action)
{
    m_undo.Add(std::move(Action));
    UpdateActions();
}

void TPrintEditor::ItemsChanged(int Select)
{
    MergeCurrentRecord();
    pbxPage->SetSelected(Select);
    UpdateActions();
}

int TPrintEditor::InsertItem(std::unique_ptr<TDrawRect> Item)
{
    const int first = int(m_document.Items.size());
    m_document.ItemRoles.resize(m_document.Items.size(), -1);
    m_document.Items.push_back(std::move(Item));
    m_document.ItemRoles.push_back(-1);
    RecordInserted(first);
    return first;
}

void TPrintEditor::RecordInserted(int First)
{
    const int count = int(m_document.Items.size());
    if (First < 0 || First >= count)
        return;
    m_document.ItemRoles.resize(m_document.Items.size(), -1);
    auto action = std::make_unique<TUndoDatas>(TUndoKind::Insert);
    for (int i = First; i < count; ++i) {
        const TDrawRect &item = *m_document.Items[size_t(i)];
        const int piece = action->AddDrawRect(item, i, PrintItemClass(item), TUndoState::After);
        static_cast<TDrawRectUndoData *>(action->GetItem(piece))->Extra = m_document.ItemRoles[size_t(i)];
    }
    SetSelectionOf(*action, TUndoState::Before, pbxPage->Selected());
    SetSelectionOf(*action, TUndoState::After, count - 1);
    AddStep(std::move(action));
    ItemsChanged(count - 1);
}

bool TPrintEditor::DeleteItem(int Index)
{
    if (!isUserItem(m_document, Index))
        return false;
    m_document.ItemRoles.resize(m_document.Items.size(), -1);
    auto action = std::make_unique<TUndoDatas>(TUndoKind::Delete);
    const TDrawRect &item = *m_document.Items[size_t(Index)];
    const int piece = action->AddDrawRect(item, Index, PrintItemClass(item), TUndoState::Before);
    static_cast<TDrawRectUndoData *>(action->GetItem(piece))->Extra = m_document.ItemRoles[size_t(Index)];
    SetSelectionOf(*action, TUndoState::Before, Index);
    SetSelectionOf(*action, TUndoState::After, -1);
    m_document.Items.erase(m_document.Items.begin() + Index);
    m_document.ItemRoles.erase(m_document.ItemRoles.begin() + Index);
    pbxPage->SetSelected(-1);
    AddStep(std::move(action));
    ItemsChanged(-1);
    return true;
}

namespace {

// Moves the item at From to To, its frame role with it.
void moveItem(TLayoutDocument &D, int From, int To)
{
    D.ItemRoles.resize(D.Items.size(), -1);
    auto item = std::move(D.Items[size_t(From)]);
    D.Items.erase(D.Items.begin() + From);
    D.Items.insert(D.Items.begin() + To, std::move(item));
    const int role = D.ItemRoles[size_t(From)];
    D.ItemRoles.erase(D.ItemRoles.begin() + From);
    D.ItemRoles.insert(D.ItemRoles.begin() + To, role);
}

} // namespace

bool TPrintEditor::MoveInDrawingOrder(int From, int To)
{
    const int count = int(m_document.Items.size());
    if (From < 0 || From >= count || To < 0 || To >= count || From == To)
        return false;
    auto action = std::make_unique<TUndoDatas>(TUndoKind::DrawingOrder);
    action->AddZOrder(From, To);
    SetSelectionOf(*action, TUndoState::Before, From);
    SetSelectionOf(*action, TUndoState::After, To);
    moveItem(m_document, From, To);
    AddStep(std::move(action));
    ItemsChanged(To);
    pbxPage->update();
    return true;
}

std::unique_ptr<TUndoDatas> TPrintEditor::BeginChange(const std::vector<int> &Indexes)
{
    auto action = std::make_unique<TUndoDatas>(TUndoKind::Property);
    for (const int index : Indexes) {
        const TDrawRect &item = *m_document.Items[size_t(index)];
        (void)action->AddDrawRect(item, index, PrintItemClass(item), TUndoState::Before);
    }
    SetSelectionOf(*action, TUndoState::Before, pbxPage->Selected());
    return action;
}

void TPrintEditor::CommitChange(std::unique_ptr<TUndoDatas> Action, const std::vector<int> &Indexes)
{
    for (size_t k = 0; k < Indexes.size(); ++k)
        Action->SetObject(int(k), *m_document.Items[size_t(Indexes[k])], TUndoState::After);
    SetSelectionOf(*Action, TUndoState::After, pbxPage->Selected());
    AddStep(std::move(Action));
    ItemsChanged(pbxPage->Selected());
}

void TPrintEditor::ChangeBackground(const TBackImage &Background)
{
    auto action = std::make_unique<TUndoDatas>(TUndoKind::Property);
    const int piece = action->AddObject(m_document.Background, TUndoState::Before);
    m_document.Background.Assign(Background);
    action->SetObject(piece, m_document.Background, TUndoState::After);
    SetSelectionOf(*action, TUndoState::Before, pbxPage->Selected());
    SetSelectionOf(*action, TUndoState::After, pbxPage->Selected());
    AddStep(std::move(action));
    ItemsChanged(pbxPage->Selected());
}

void TPrintEditor::Undo()
{
    if (!m_undo.CanUndo())
        return;
    m_undo.Undo();
    const TUndoDatas *action = m_undo.GetItem(m_undo.Current());
    ItemsChanged(action ? action->GetSelection(TUndoState::Before, std::max(0, action->GetMainSelection(TUndoState::Before)))
                        : -1);
}

void TPrintEditor::Redo()
{
    if (!m_undo.CanRedo())
        return;
    const TUndoDatas *action = m_undo.GetItem(m_undo.Current());
    const int select =
        action ? action->GetSelection(TUndoState::After, std::max(0, action->GetMainSelection(TUndoState::After))) : -1;
    m_undo.Redo();
    ItemsChanged(select);
}

void TPrintEditor::ItemGeometryChanged(int Index, TPageRect Before, TPageRect After)
{
    auto action = std::make_unique<TUndoDatas>(TUndoKind::Geometry);
    const int piece = action->AddRect(Before, Index, -1, TUndoState::Before);
    action->SetRect(piece, After, TUndoState::After);
    for (const TUndoState state : {TUndoState::Before, TUndoState::After})
        SetSelectionOf(*action, state, Index);
    m_undo.Add(std::move(action));
    UpdateActions();
    emit LayoutChanged();
}

void TPrintEditor::UndoRedo(TUndoKind, TUndoData &Data, bool Redo)
{
    // Every piece is put back whatever the action's kind: an item piece
    // without a snapshot of the state reached is an item that state lacks
    // (undone insertion, redone deletion), one without the other state's
    // snapshot an item that comes back, one with both an item changed.
    const TUndoState state = Redo ? TUndoState::After : TUndoState::Before;
    const TUndoState other = Redo ? TUndoState::Before : TUndoState::After;
    auto &items = m_document.Items;
    auto &roles = m_document.ItemRoles;
    roles.resize(items.size(), -1);
    if (auto *piece = dynamic_cast<TDrawRectUndoData *>(&Data)) {
        const int index = piece->ZIndex;
        const TSnapshotStream &stream = piece->GetStream(state);
        if (stream.Bytes.isEmpty()) {
            if (index >= 0 && index < int(items.size())) {
                items.erase(items.begin() + index);
                roles.erase(roles.begin() + index);
            }
            return;
        }
        const bool back = piece->GetStream(other).Bytes.isEmpty();
        if (index < 0 || index > int(items.size()) - (back ? 0 : 1))
            return;
        std::unique_ptr<TDrawRect> item =
            CreatePrintItem(quint8(piece->ListIndex), IsSenderFrameKind(TDrawRectKind(piece->GetKind(state))));
        if (!item)
            return;
        TItemReader reader = stream.reader();
        try {
            item->LoadFromStream(reader);
        } catch (const EItemFormatError &) {
            // A snapshot the reader now refuses (an item pushed past the
            // largest paper) leaves the layout as it is rather than ending
            // the program.
            return;
        }
        if (back) {
            items.insert(items.begin() + index, std::move(item));
            roles.insert(roles.begin() + index, piece->Extra);
        } else {
            items[size_t(index)] = std::move(item);
        }
    } else if (auto *rect = dynamic_cast<TRectUndoData *>(&Data)) {
        if (rect->ZIndex < 0 || rect->ZIndex >= int(items.size()))
            return;
        TDrawRect &item = *items[size_t(rect->ZIndex)];
        item.SetRect(rect->GetRect(state));
        item.Rebuild(true);
    } else if (auto *order = dynamic_cast<TZOrderUndoData *>(&Data)) {
        const int from = Redo ? order->FromIndex : order->ToIndex;
        const int to = Redo ? order->ToIndex : order->FromIndex;
        if (from >= 0 && from < int(items.size()) && to >= 0 && to < int(items.size()))
            moveItem(m_document, from, to);
    } else if (auto *object = dynamic_cast<TObjectUndoData *>(&Data); object && object->Target() == TUndoTarget::Object) {
        // The design's page background.
        TBackImage background;
        TItemReader reader = object->GetStream(state).reader();
        background.LoadFromStream(reader);
        m_document.Background.Assign(background);
    }
}

void TPrintEditor::closeEvent(QCloseEvent *Event)
{
    // A window closed under its run would free the layout the run draws;
    // the run can be stopped from its progress dialog instead. The close may
    // come from the main list (another editor's command, the program's end):
    // the user is told why nothing happens.
    if (m_printing) {
        Event->ignore();
        ShowMessageBoxAt(this, QStringLiteral("印刷中のため実行できません"), ProductCaption(), MB_ICONWARNING,
                         mbpCenterOnOwner, 0, 0);
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
