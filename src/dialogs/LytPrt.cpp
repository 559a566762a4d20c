#include "dialogs/LytPrt.h"
#include "widgets/Named.h"

#include "core/Env.h"
#include "dialogs/PrtSub.h"
#include "dialogs/UpDown.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"
#include "widgets/CheckedCaption.h"
#include "widgets/EnterKey.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString kNoData = QStringLiteral("印刷するデータがありません  ");

// Keeps the hourglass up while the list is built, also when a look-up throws.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TLayoutPrintDialog::TLayoutPrintDialog(QWidget *Owner, const TPrintRowSource &Rows, TPrintMarkSource &Marks,
                                       QPrinter &Printer)
    : QDialog(Owner), m_rows(Rows), m_marks(Marks), m_printer(Printer)
{
    setObjectName(QStringLiteral("LayoutPrintDialog"));
    setWindowTitle(QStringLiteral("宛名印刷"));
    setProperty("HelpContext", 69);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    RunPrinterSetup = RunPrinterSetupDialog;
    pgcWizard = Named(new QStackedWidget(this), "pgcWizard");

    // ---- Data page ----
    auto *data = new QWidget;
    auto *gbxRange = new QGroupBox(QStringLiteral("データの選択"), data);
    auto *rangeGroup = new QButtonGroup(this);
    const char *rangeNames[] = {"rbViewData", "rbSelect", "rbRange", "rbAll"};
    const QString rangeTexts[] = {QStringLiteral("表示しているデータ"), QStringLiteral("一覧で選択したデータ"),
                                  QStringLiteral("数値で範囲を指定"),
                                  QStringLiteral("一覧に表示されているすべてのデータ")};
    auto *rangeLayout = new QGridLayout(gbxRange);
    for (int i = 0; i < 4; ++i) {
        rbRange[i] = Named(new QRadioButton(rangeTexts[i], gbxRange), rangeNames[i]);
        rangeGroup->addButton(rbRange[i], i);
        rangeLayout->addWidget(rbRange[i], i < 3 ? i : 4, 0, 1, 6);
    }
    edStartRange = Named(new QLineEdit(gbxRange), "edStartRange");
    edEndRange = Named(new QLineEdit(gbxRange), "edEndRange");
    udStartRange = Named(new TUpDown(gbxRange), "udStartRange");
    udEndRange = Named(new TUpDown(gbxRange), "udEndRange");
    for (QLineEdit *e : {edStartRange, edEndRange}) {
        e->setMaxLength(6);
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        e->setFixedWidth(70);
        e->installEventFilter(this);
    }
    rangeLayout->addWidget(edStartRange, 3, 1);
    rangeLayout->addWidget(udStartRange, 3, 2);
    rangeLayout->addWidget(new QLabel(QStringLiteral("件目 ～"), gbxRange), 3, 3);
    rangeLayout->addWidget(edEndRange, 3, 4);
    rangeLayout->addWidget(udEndRange, 3, 5);
    rangeLayout->addWidget(new QLabel(QStringLiteral("件目"), gbxRange), 3, 6);
    udStartRange->OnClick = [this] { RangeArrow(false); };
    udEndRange->OnClick = [this] { RangeArrow(true); };

    auto *gbxLimit = new QGroupBox(data);
    auto *limitGroup = new QButtonGroup(this);
    const char *limitNames[] = {"rbNone", "rbPrint", "rbExcept"};
    const QString limitTexts[] = {QStringLiteral("すべて印刷する"), QStringLiteral("「印刷」 データだけを印刷する"),
                                  QStringLiteral("「除外」 データは印刷しない")};
    auto *limitLayout = new QVBoxLayout(gbxLimit);
    for (int i = 0; i < 3; ++i) {
        rbLimit[i] = Named(new QRadioButton(limitTexts[i], gbxLimit), limitNames[i]);
        limitGroup->addButton(rbLimit[i], i);
        limitLayout->addWidget(rbLimit[i]);
    }
    connect(rangeGroup, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        PaintCheckedCaption(rbRange[id]);
        if (!on)
            return;
        m_rangeKind = id;
        edStartRange->setEnabled(id == 2);
        edEndRange->setEnabled(id == 2);
        udStartRange->setEnabled(id == 2);
        udEndRange->setEnabled(id == 2);
        if (m_prepared)
            UpdateRecordCount();
    });
    connect(limitGroup, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        PaintCheckedCaption(rbLimit[id]);
        if (!on)
            return;
        m_limitKind = id;
        if (m_prepared)
            UpdateRecordCount();
    });
    lblDataNum = Named(new QLabel(data), "lblDataNum");
    auto *count = new QHBoxLayout;
    count->addWidget(new QLabel(QStringLiteral("印刷データ件数："), data));
    count->addWidget(lblDataNum);
    count->addStretch();
    btnPreview1 = Named(new QPushButton(QStringLiteral("プレビュー(&V)"), data), "btnPreview1");
    btnNext = Named(new QPushButton(QStringLiteral("次へ(&N)"), data), "btnNext");
    btnCancel1 = Named(new QPushButton(QStringLiteral("キャンセル"), data), "btnCancel1");
    auto *buttons1 = new QHBoxLayout;
    buttons1->addWidget(btnPreview1);
    buttons1->addStretch();
    buttons1->addWidget(btnNext);
    buttons1->addWidget(btnCancel1);
    auto *dataLayout = new QVBoxLayout(data);
    dataLayout->addWidget(gbxRange);
    dataLayout->addWidget(gbxLimit);
    dataLayout->addLayout(count);
    dataLayout->addStretch();
    dataLayout->addLayout(buttons1);
    pgcWizard->addWidget(data);

    // ---- Print page ----
    auto *print = new QWidget;
    auto *gbxOffset = Named(new QGroupBox(QStringLiteral("印刷位置の微調整"), print), "gbxOffset");
    m_shift = AddShiftControls(gbxOffset);
    for (QScrollBar *bar : {m_shift.Vert, m_shift.Horz})
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            m_shift.ShowShift();
            UpdateOffsetPreview();
        });

    auto *gbxCopy = new QGroupBox(QStringLiteral("部数"), print);
    edCopy = new TCountField(gbxCopy, QStringLiteral("edCopy"), QStringLiteral("udCopy"), 4);
    edCopy->SetRange(1, 1000);
    edCopy->OnChange = [this] { CopiesChanged(); };
    lblCopy = Named(new QLabel(gbxCopy), "lblCopy");
    auto *copy = new QHBoxLayout(gbxCopy);
    copy->addWidget(new QLabel(QStringLiteral("印刷部数："), gbxCopy));
    copy->addWidget(edCopy);
    copy->addWidget(new QLabel(QStringLiteral("部"), gbxCopy));
    copy->addSpacing(20);
    copy->addWidget(new QLabel(QStringLiteral("用紙枚数："), gbxCopy));
    copy->addWidget(lblCopy);
    copy->addStretch();

    gbxEnvelope = Named(new QGroupBox(QStringLiteral("封筒"), print), "gbxEnvelope");
    edFlap = Named(new QLineEdit(gbxEnvelope), "edFlap");
    edFlap->setMaxLength(4);
    edFlap->setFixedWidth(60);
    edFlap->installEventFilter(this);
    udFlap = Named(new TUpDown(gbxEnvelope), "udFlap");
    udFlap->SetMin(0);
    udFlap->SetMax(FlapMax);
    udFlap->OnClick = [this] {
        edFlap->setText(FlapText(udFlap->Position()));
        UpdateOffsetPreview();
    };
    edFlap->setText(FlapText(0));
    ckbReverse = Named(new QCheckBox(QStringLiteral("上下逆方向から印刷する(&R)"), gbxEnvelope), "ckbReverse");
    connect(ckbReverse, &QCheckBox::toggled, this, [this] { PaintCheckedCaption(ckbReverse); });
    auto *env = new QGridLayout(gbxEnvelope);
    env->addWidget(new QLabel(QStringLiteral("封筒のフラップ長："), gbxEnvelope), 0, 0);
    env->addWidget(new QLabel(QStringLiteral("上に"), gbxEnvelope), 0, 1);
    env->addWidget(edFlap, 0, 2);
    env->addWidget(udFlap, 0, 3);
    env->addWidget(new QLabel(QStringLiteral("mm"), gbxEnvelope), 0, 4);
    env->addWidget(ckbReverse, 1, 0, 1, 5);
    gbxEnvelope->setVisible(false);

    gbxLabel = Named(new QGroupBox(QStringLiteral("ラベル用紙"), print), "gbxLabel");
    edLabelStart = new TCountField(gbxLabel, QStringLiteral("edLabelStart"), QStringLiteral("udLabelStart"), 4);
    edLabelCount = new TCountField(gbxLabel, QStringLiteral("edLabelCount"), QStringLiteral("udLabelCount"), 6);
    edLabelStart->SetRange(1, 1);
    edLabelCount->SetRange(1, 100);
    edLabelStart->OnChange = [this] { UpdateSheetCount(); };
    edLabelCount->OnChange = [this] { UpdateSheetCount(); };
    // Each further copy starts on a sheet of its own at the first cell
    // chosen: the user hears it where the copies and the cell are set.
    lblCopyStart = Named(new QLabel(QStringLiteral("※2部目以降も、新しい用紙の印刷開始位置から印刷します"), gbxLabel),
                         "lblCopyStart");
    lblCopyStart->setVisible(false);
    auto *lbl = new QGridLayout(gbxLabel);
    lbl->addWidget(new QLabel(QStringLiteral("印刷開始位置："), gbxLabel), 0, 0);
    lbl->addWidget(edLabelStart, 0, 1);
    lbl->addWidget(new QLabel(QStringLiteral("1件の印刷回数："), gbxLabel), 1, 0);
    lbl->addWidget(edLabelCount, 1, 1);
    lbl->addWidget(lblCopyStart, 2, 0, 1, 2);
    gbxLabel->setVisible(false);

    auto *gbxPrinter = new QGroupBox(print);
    pnlPrinter = Named(new QLabel(gbxPrinter), "pnlPrinter");
    pnlPaperSize = Named(new QLabel(gbxPrinter), "pnlPaperSize");
    pnlOrientation = Named(new QLabel(gbxPrinter), "pnlOrientation");
    bbtnPrinters = Named(new QPushButton(QStringLiteral("設定"), gbxPrinter), "bbtnPrinters");
    auto *prn = new QGridLayout(gbxPrinter);
    prn->addWidget(new QLabel(QStringLiteral("プリンター："), gbxPrinter), 0, 0);
    prn->addWidget(pnlPrinter, 0, 1);
    prn->addWidget(bbtnPrinters, 0, 2);
    prn->addWidget(new QLabel(QStringLiteral("用紙サイズ："), gbxPrinter), 1, 0);
    prn->addWidget(pnlPaperSize, 1, 1);
    prn->addWidget(new QLabel(QStringLiteral("印刷方向："), gbxPrinter), 2, 0);
    prn->addWidget(pnlOrientation, 2, 1);

    lblRangeInfo = Named(new QLabel(QStringLiteral("※※ 印刷内容が、印刷可能領域に入りきらない可能性があります ※※"),
                                    print),
                         "lblRangeInfo");
    lblRangeInfo->setStyleSheet(QStringLiteral("color: red"));
    lblRangeInfo->setVisible(false);
    lblBarcodeInfo = Named(
        new QLabel(QStringLiteral("※※ カスタマバーコードが郵便物の端から10mm以内にあります ※※"), print),
        "lblBarcodeInfo");
    lblBarcodeInfo->setStyleSheet(QStringLiteral("color: red"));
    lblBarcodeInfo->setVisible(false);
    ckbLimitedPrinter = Named(
        new QCheckBox(QStringLiteral("イラストの型抜き・透明化が正しく印刷できないプリンターを使う"), print),
        "ckbLimitedPrinter");
    auto *note = new QLabel(QStringLiteral("※この設定を有効にすると、印刷に時間がかかる場合があります"), print);
    note->setStyleSheet(QStringLiteral("color: red"));
    btnPreview2 = Named(new QPushButton(QStringLiteral("プレビュー(&V)"), print), "btnPreview2");
    btnBack = Named(new QPushButton(QStringLiteral("戻る(&B)"), print), "btnBack");
    btnPrint = Named(new QPushButton(QStringLiteral("印刷(&P)"), print), "btnPrint");
    btnCancel2 = Named(new QPushButton(QStringLiteral("キャンセル"), print), "btnCancel2");
    auto *buttons2 = new QHBoxLayout;
    buttons2->addWidget(btnPreview2);
    buttons2->addStretch();
    buttons2->addWidget(btnBack);
    buttons2->addWidget(btnPrint);
    buttons2->addWidget(btnCancel2);
    auto *printLayout = new QVBoxLayout(print);
    printLayout->addWidget(gbxOffset);
    printLayout->addWidget(gbxCopy);
    printLayout->addWidget(gbxEnvelope);
    printLayout->addWidget(gbxLabel);
    printLayout->addWidget(gbxPrinter);
    printLayout->addWidget(lblRangeInfo);
    printLayout->addWidget(lblBarcodeInfo);
    printLayout->addWidget(ckbLimitedPrinter);
    printLayout->addWidget(note);
    printLayout->addLayout(buttons2);
    pgcWizard->addWidget(print);

    auto *main = new QVBoxLayout(this);
    main->addWidget(pgcWizard);
    main->setSizeConstraint(QLayout::SetFixedSize);

    btnPreview1->setVisible(false);
    btnPreview2->setVisible(false);
    connect(btnNext, &QPushButton::clicked, this, &TLayoutPrintDialog::NextClick);
    connect(btnBack, &QPushButton::clicked, this, [this] { pgcWizard->setCurrentIndex(0); });
    connect(btnPreview1, &QPushButton::clicked, this, &TLayoutPrintDialog::PreviewClick);
    connect(btnPreview2, &QPushButton::clicked, this, &TLayoutPrintDialog::PreviewClick);
    connect(btnPrint, &QPushButton::clicked, this, &TLayoutPrintDialog::PrintClick);
    connect(btnCancel1, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnCancel2, &QPushButton::clicked, this, &QDialog::reject);
    connect(bbtnPrinters, &QPushButton::clicked, this, &TLayoutPrintDialog::PrintersClick);
    for (QWidget *w : findChildren<QWidget *>())
        if (qobject_cast<QRadioButton *>(w) || qobject_cast<QScrollBar *>(w) || w == ckbReverse
            || w == ckbLimitedPrinter || w == edCopy->Edit() || w == edLabelStart->Edit()
            || w == edLabelCount->Edit())
            w->installEventFilter(this);

    ShowPrinter();
    m_printer.setCopyCount(1);
    m_shift.ShowShift();
}

TLayoutPrintDialog::~TLayoutPrintDialog() = default;

QString TLayoutPrintDialog::Section() const
{
    switch (m_kind) {
    case TLayoutKind::lkPostcard:
    case TLayoutKind::lkEnvelope:
        return QStringLiteral("LAYOUT PRINT");
    case TLayoutKind::lkLabel:
        return QStringLiteral("LABEL PRINT");
    case TLayoutKind::lkCard:
        break;
    }
    return QStringLiteral("CARD PRINT");
}

void TLayoutPrintDialog::SetUseAddressData(bool Use)
{
    m_useAddressData = Use;
    pgcWizard->setCurrentIndex(Use ? 0 : 1);
    btnBack->setVisible(Use);
}

void TLayoutPrintDialog::SetLayoutKind(TLayoutKind Kind)
{
    m_kind = Kind;
    gbxEnvelope->setVisible(Kind == TLayoutKind::lkEnvelope);
    static constexpr int kHelpContexts[] = {69, 75, 82, 90}; // postcard, envelope, label, card
    setProperty("HelpContext", kHelpContexts[static_cast<int>(Kind)]);
    gbxLabel->setVisible(false);
    btnPreview1->setVisible(false);
    btnPreview2->setVisible(false);
    if (Kind == TLayoutKind::lkLabel)
        setWindowTitle(QStringLiteral("ラベル印刷"));
    else if (Kind == TLayoutKind::lkCard)
        setWindowTitle(QStringLiteral("名刺印刷"));
}

void TLayoutPrintDialog::SetItemsPerSheet(int Count)
{
    m_itemsPerSheet = std::max(1, Count);
    m_sheetMode = Count > 1;
    if (!m_sheetMode)
        return;
    gbxLabel->setVisible(true);
    btnPreview1->setVisible(true);
    btnPreview2->setVisible(true);
    edLabelStart->SetRange(1, Count);
    if (m_kind == TLayoutKind::lkPostcard || m_kind == TLayoutKind::lkEnvelope)
        gbxLabel->setTitle(QStringLiteral("面付用紙"));
    else if (m_kind == TLayoutKind::lkCard)
        gbxLabel->setTitle(QStringLiteral("名刺用紙"));
}

void TLayoutPrintDialog::SetContentRect(const TContentRect &Rect)
{
    m_content = Rect;
    UpdateOffsetPreview();
}

QPoint TLayoutPrintDialog::GetOffset() const
{
    return m_shift.Offset();
}

int TLayoutPrintDialog::GetFlap() const
{
    return udFlap->Position();
}

bool TLayoutPrintDialog::GetReverse() const
{
    return ckbReverse->isChecked();
}

int TLayoutPrintDialog::GetLabelStart() const
{
    return edLabelStart->Value();
}

int TLayoutPrintDialog::GetLabelCount() const
{
    return edLabelCount->Value();
}

bool TLayoutPrintDialog::GetLimitedPrinter() const
{
    return ckbLimitedPrinter->isChecked();
}

int TLayoutPrintDialog::GetCopies() const
{
    return edCopy->Value();
}

int TLayoutPrintDialog::CurrentPage() const
{
    return pgcWizard->currentIndex();
}

bool TLayoutPrintDialog::RangeWarningShown() const
{
    return !lblRangeInfo->isHidden();
}

void TLayoutPrintDialog::SetBarsFromEdge(int TenthMm)
{
    m_barsFromEdge = TenthMm;
    lblBarcodeInfo->setVisible(BarsNearEdge());
}

bool TLayoutPrintDialog::BarsNearEdge() const
{
    return m_barsFromEdge >= 0 && m_barsFromEdge < BarsEdgeMin;
}

bool TLayoutPrintDialog::BarsWarningShown() const
{
    return !lblBarcodeInfo->isHidden();
}

void TLayoutPrintDialog::showEvent(QShowEvent *Event)
{
    Prepare();
    QDialog::showEvent(Event);
}

void TLayoutPrintDialog::Prepare()
{
    if (m_prepared)
        return;
    for (TUpDown *ud : {udStartRange, udEndRange}) {
        ud->SetMin(0);
        ud->SetMax(2);
        ud->SetPosition(1);
    }
    LoadSettings();
    if (RestorePageAndCopies)
        LoadPageAndCopies();
    m_prepared = true;
    if (!m_useAddressData)
        UpdateSheetCount();
    else
        UpdateRecordCount();
}

void TLayoutPrintDialog::LoadSettings()
{
    const TMemIniFile ini(SettingsFileName());
    const QString s = Section();
    int range = ini.ReadInteger(s, QStringLiteral("Range"), 0);
    if (range < 0 || range > 3)
        range = 0;
    int limit = ini.ReadInteger(s, QStringLiteral("Limit"), 0);
    if (range == 0 || limit < 0 || limit > 2)
        limit = 0;
    const int rows = m_rows.RowCount();
    int start = ini.ReadInteger(s, QStringLiteral("StartRange"), 1);
    int end = ini.ReadInteger(s, QStringLiteral("EndRange"), rows);
    // A range chosen over a list of another length numbers other rows: the
    // list grown or shrunk since, the range is the whole list again.
    const int rangeRows = ini.ReadInteger(s, QStringLiteral("RangeRows"), -1);
    if (rangeRows >= 0 && rangeRows != rows) {
        start = 1;
        end = rows;
    }
    m_bounds = LoadedRangeBounds(start, end, rows);
    ShowBounds();
    rbRange[range]->setChecked(true);
    rbLimit[limit]->setChecked(true);
    m_rangeKind = range;
    m_limitKind = limit;
    const bool boundsOn = range == 2;
    for (QWidget *w : {static_cast<QWidget *>(edStartRange), static_cast<QWidget *>(edEndRange),
                       static_cast<QWidget *>(udStartRange), static_cast<QWidget *>(udEndRange)})
        w->setEnabled(boundsOn);

    m_shift.Horz->setValue(ini.ReadInteger(s, QStringLiteral("OffsetX"), ShiftCentre));
    m_shift.Vert->setValue(ini.ReadInteger(s, QStringLiteral("OffsetY"), ShiftCentre));
    if (m_kind == TLayoutKind::lkEnvelope) {
        udFlap->SetPosition(ini.ReadInteger(s, QStringLiteral("Flap"), 0));
        edFlap->setText(FlapText(udFlap->Position()));
        ckbReverse->setChecked(ini.ReadBool(s, QStringLiteral("Reverse"), false));
    }
    if (m_sheetMode) {
        edLabelStart->SetValue(ini.ReadInteger(s, QStringLiteral("LabelStart"), 1));
        edLabelCount->SetValue(ini.ReadInteger(s, QStringLiteral("LabelCount"), 1));
    }
    m_shift.ShowShift();
    UpdateOffsetPreview();
}

void TLayoutPrintDialog::LoadPageAndCopies()
{
    const TMemIniFile ini(SettingsFileName());
    const QString s = Section();
    const int page = ini.ReadInteger(s, QStringLiteral("Page"), pgcWizard->currentIndex());
    if (page >= 0 && page < pgcWizard->count() && (page == 1 || m_useAddressData))
        pgcWizard->setCurrentIndex(page);
    edCopy->SetValue(ini.ReadInteger(s, QStringLiteral("Copy"), 1));
    if (!m_sheetMode)
        m_printer.setCopyCount(edCopy->Value());
}

void TLayoutPrintDialog::SaveSettings()
{
    TMemIniFile ini(SettingsFileName());
    const QString s = Section();
    if (m_useAddressData) {
        ini.WriteInteger(s, QStringLiteral("Range"), m_rangeKind);
        ini.WriteInteger(s, QStringLiteral("Limit"), m_limitKind);
        ini.WriteInteger(s, QStringLiteral("StartRange"), m_bounds.Start);
        ini.WriteInteger(s, QStringLiteral("EndRange"), m_bounds.End);
        ini.WriteInteger(s, QStringLiteral("RangeRows"), m_rows.RowCount());
    }
    ini.WriteInteger(s, QStringLiteral("OffsetX"), m_shift.Horz->value());
    ini.WriteInteger(s, QStringLiteral("OffsetY"), m_shift.Vert->value());
    if (m_kind == TLayoutKind::lkEnvelope) {
        ini.WriteInteger(s, QStringLiteral("Flap"), udFlap->Position());
        ini.WriteBool(s, QStringLiteral("Reverse"), ckbReverse->isChecked());
    }
    if (m_sheetMode) {
        ini.WriteInteger(s, QStringLiteral("LabelStart"), edLabelStart->Value());
        ini.WriteInteger(s, QStringLiteral("LabelCount"), edLabelCount->Value());
    }
    ini.WriteInteger(s, QStringLiteral("Page"), pgcWizard->currentIndex());
    ini.WriteInteger(s, QStringLiteral("Copy"), edCopy->Value());
    QString error;
    if (!ini.UpdateFile(&error))
        ShowMessageBoxAt(this, QStringLiteral("印刷の設定を保存できませんでした  \n") + error, ProductCaption(),
                         MB_OK | MB_ICONWARNING, mbpCenterOnOwner, 0, 0);
}

void TLayoutPrintDialog::UpdateRecordCount()
{
    {
        WaitCursor wait;
        PrintRecNos = BuildPrintList(
            m_rows, m_marks,
            {static_cast<TPrintRangeKind>(std::max(0, m_rangeKind)), static_cast<TPrintLimitKind>(m_limitKind),
             m_bounds.Start, m_bounds.End});
    }
    lblDataNum->setText(QString::asprintf("%d 件", static_cast<int>(PrintRecNos.size())));
    UpdateSheetCount();
}

void TLayoutPrintDialog::UpdateSheetCount()
{
    TSheetCountInput in;
    in.Records = static_cast<int>(PrintRecNos.size());
    in.UseAddressData = m_useAddressData;
    in.Copies = edCopy->Value();
    in.SheetMode = m_sheetMode;
    in.ItemsPerSheet = m_itemsPerSheet;
    in.FirstCell = edLabelStart->Value();
    in.PrintsPerRecord = edLabelCount->Value();
    lblCopy->setText(QString::asprintf("%d 枚", SheetCount(in)));
    lblCopyStart->setVisible(m_sheetMode && in.Copies > 1);
}

void TLayoutPrintDialog::UpdateOffsetPreview()
{
    const TPrinterPage page = PrinterPageOf(m_printer);
    const int flap = m_kind == TLayoutKind::lkEnvelope ? udFlap->Position() : 0;
    lblRangeInfo->setVisible(!m_content.IsEmpty()
                             && ContentLeavesPrintableArea(page, m_content, m_shift.Horz->value(),
                                                           m_shift.Vert->value(), flap));
}

void TLayoutPrintDialog::ShowBounds()
{
    edStartRange->setText(QString::number(m_bounds.Start));
    edEndRange->setText(QString::number(m_bounds.End));
}

void TLayoutPrintDialog::RangeArrow(bool IsEnd)
{
    TUpDown *ud = IsEnd ? udEndRange : udStartRange;
    const bool up = ud->Position() > 1;
    ud->SetPosition(1);
    m_bounds = StepRangeBound(m_bounds, IsEnd, up, m_rows.RowCount());
    ShowBounds();
    UpdateRecordCount();
}

void TLayoutPrintDialog::LeaveBound(bool IsEnd)
{
    QLineEdit *edit = IsEnd ? edEndRange : edStartRange;
    const std::optional<qint64> v = ParseCountText(edit->text());
    if (!v) {
        ShowBounds();
        return;
    }
    m_bounds = SetRangeBound(m_bounds, IsEnd, *v, m_rows.RowCount());
    ShowBounds();
    UpdateRecordCount();
}

void TLayoutPrintDialog::LeaveFlap()
{
    const std::optional<int> v = ParseFlapText(edFlap->text());
    if (v)
        udFlap->SetPosition(*v);
    edFlap->setText(FlapText(udFlap->Position()));
    UpdateOffsetPreview();
}

void TLayoutPrintDialog::ShowPrinter()
{
    const TPrinterPaperInfo info = PrinterPaperInfo(m_printer);
    pnlPrinter->setText(info.DeviceName);
    pnlPaperSize->setText(info.PaperName);
    pnlOrientation->setText(info.Orientation);
}

void TLayoutPrintDialog::CopiesChanged()
{
    m_printer.setCopyCount(edCopy->Value());
    UpdateSheetCount();
}

bool TLayoutPrintDialog::RefuseEmptyList()
{
    // A mark filter over marks that could not be read chose nothing for
    // certain: the user hears why rather than that there is no data.
    const QString marks = m_limitKind != 0 && m_rangeKind != 0 ? m_marks.Error() : QString();
    if (!marks.isEmpty()) {
        ShowMessageBoxAt(this, QStringLiteral("印刷マークを読み込めませんでした  \n") + marks, ProductCaption(),
                         MB_OK | MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return true;
    }
    if (!PrintRecNos.isEmpty())
        return false;
    ShowMessageBoxAt(this, kNoData, ProductCaption(), MB_OK | MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    return true;
}

void TLayoutPrintDialog::NextClick()
{
    if (RefuseEmptyList())
        return;
    pgcWizard->setCurrentIndex(1);
}

void TLayoutPrintDialog::PreviewClick()
{
    if (pgcWizard->currentIndex() == 0 && m_useAddressData && RefuseEmptyList())
        return;
    SaveSettings();
    PreviewRequested = true;
    accept();
}

void TLayoutPrintDialog::SetForPreview(bool Preview)
{
    m_forPreview = Preview;
    btnPrint->setText(Preview ? QStringLiteral("プレビュー(&V)") : QStringLiteral("印刷(&P)"));
    // The print page's own preview button would stand beside it, saying the same.
    btnPreview2->setVisible(m_sheetMode && !Preview);
}

void TLayoutPrintDialog::PrintClick()
{
    if (m_forPreview) {
        PreviewClick();
        return;
    }
    const QString name = m_kind == TLayoutKind::lkLabel  ? QStringLiteral("ラベルレイアウト")
                         : m_kind == TLayoutKind::lkCard ? QStringLiteral("名刺レイアウト")
                                                         : QStringLiteral("宛名レイアウト");
    // Japan Post reads the bars only 10 mm and more inside the edges of the
    // piece: the user hears it before the run, and may still print.
    if (BarsNearEdge()) {
        const QString text = QStringLiteral("カスタマバーコードが郵便物の端から %1 mm の所に印刷されます  \n"
                                            "端から10mm以内のバーコードは日本郵便で読み取られない場合があります  \n\n"
                                            "このまま印刷しますか？  ")
                                 .arg(m_barsFromEdge / 10.0, 0, 'f', 1);
        if (ShowMessageBoxAt(this, text, ProductCaption(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2,
                             mbpCenterOnOwner, 0, 0)
            != IDYES)
            return;
    }
    // Texts that cannot keep a readable size on their piece (and the
    // additional lines left out for want of room) are told before the run.
    if (SizeReport && m_useAddressData && !PrintRecNos.isEmpty()) {
        QString report;
        {
            const WaitCursor hourglass;
            // Every copy prints each record's pieces again.
            report = SizeReport(PrintRecNos, (m_sheetMode ? GetLabelCount() : 1) * GetCopies());
        }
        if (!AskToPrintShortfalls(this, report))
            return;
    }
    if (ShowMessageBoxAt(this, name + QStringLiteral("を印刷します  \nよろしいですか？"), ProductCaption(),
                         MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0)
        != IDYES)
        return;
    SaveSettings();
    accept();
}

void TLayoutPrintDialog::PrintersClick()
{
    if (!RunPrinterSetup || !RunPrinterSetup(m_printer, this))
        return;
    ShowPrinter();
    if (m_printer.copyCount() != edCopy->Value()) {
        edCopy->SetValue(m_printer.copyCount());
        UpdateSheetCount();
    }
    PrinterChanged = true;
    UpdateOffsetPreview();
}

bool TLayoutPrintDialog::eventFilter(QObject *Watched, QEvent *Event)
{
    const bool boundEdit = Watched == edStartRange || Watched == edEndRange;
    if (Event->type() == QEvent::FocusOut) {
        if (boundEdit)
            LeaveBound(Watched == edEndRange);
        else if (Watched == edFlap)
            LeaveFlap();
    } else if (Event->type() == QEvent::KeyPress && !IsEnterKeyPress(Event)) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        const int step = key == Qt::Key_PageUp ? 10 : key == Qt::Key_PageDown ? -10 : key == Qt::Key_Up ? 1
                         : key == Qt::Key_Down                                 ? -1
                                                                               : 0;
        if (step != 0 && boundEdit) {
            const bool isEnd = Watched == edEndRange;
            m_bounds = SetRangeBound(m_bounds, isEnd, qint64(isEnd ? m_bounds.End : m_bounds.Start) + step,
                                     m_rows.RowCount());
            ShowBounds();
            UpdateRecordCount();
            return true;
        }
        if (step != 0 && Watched == edFlap) {
            udFlap->SetPosition(udFlap->Position() + step);
            edFlap->setText(FlapText(udFlap->Position()));
            UpdateOffsetPreview();
            return true;
        }
    } else if (IsEnterKeyPress(Event) && qobject_cast<QWidget *>(Watched)) {
        if (Watched == ckbLimitedPrinter) {
            btnPrint->setFocus();
            return true;
        }
        focusNextChild();
        QWidget *next = focusWidget();
        if (next == btnPreview1)
            btnNext->setFocus();
        else if (next == btnPreview2)
            btnPrint->setFocus();
        else if (next == bbtnPrinters)
            ckbLimitedPrinter->setFocus();
        if (auto *edit = qobject_cast<QLineEdit *>(focusWidget()))
            edit->end(false);
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}
