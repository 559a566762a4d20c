#include "exchange/ListPrt.h"

#include "addressbook/AdrsList.h"
#include "addressbook/AdrsListModel.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "exchange/ListPrtText.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "widgets/RecordRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QPointer<TListPrint> OpenListPrint;

const QStringList kAlignNames{QStringLiteral("左"), QStringLiteral("中央"), QStringLiteral("右")};

void tell(QWidget *owner, const QString &text, unsigned icon)
{
    ShowMessageBoxAt(owner, text, ProductCaption(), MB_OK | icon, mbpCenterOnOwner, 0, 0);
}

} // namespace

TListPrint::TListPrint(TAddressList *list)
    : QWidget(list, Qt::Window), m_list(list)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ListPrint"));
    setWindowTitle(QStringLiteral("一覧表の印刷"));
    m_items = MakeListPrintItems(KeywordNames);
    {
        const TMemIniFile ini(SettingsFileName());
        m_settings = LoadListPrintLayout(ini);
    }
    m_printer = std::make_unique<TListPrinterInfo>(DataRoot + QStringLiteral("LstPrint.pi"));
    buildControls();
    showSettings();
    UpdateDataRange();
    UpdatePageCapacity();
}

TListPrint::~TListPrint() = default;

void TListPrint::buildControls()
{
    auto *top = new QVBoxLayout(this);
    auto *info = new QGroupBox(QStringLiteral("付加情報"), this);
    auto *infoGrid = new QGridLayout(info);
    edtTitle = new QLineEdit(info);
    edtTitle->setObjectName(QStringLiteral("edtTitle"));
    edtTitle->setMaxLength(200);
    chkViewDate = new QCheckBox(QStringLiteral("日付を表示する"), info);
    chkViewDate->setObjectName(QStringLiteral("chkViewDate"));
    chkViewPage = new QCheckBox(QStringLiteral("ページ数を表示する"), info);
    chkViewPage->setObjectName(QStringLiteral("chkViewPage"));
    cbxPageType = new QComboBox(info);
    cbxPageType->setObjectName(QStringLiteral("cbxPageType"));
    cbxPageType->addItems({QStringLiteral("Page. ***"), QStringLiteral("- *** -"), QStringLiteral("*** ページ"),
                           QStringLiteral("Page. *** / [total]"), QStringLiteral("- *** / [total] -"),
                           QStringLiteral("*** / [total] ページ")});
    infoGrid->addWidget(new QLabel(QStringLiteral("タイトル："), info), 0, 0);
    infoGrid->addWidget(edtTitle, 0, 1, 1, 2);
    infoGrid->addWidget(chkViewDate, 1, 0);
    infoGrid->addWidget(chkViewPage, 2, 0);
    infoGrid->addWidget(cbxPageType, 2, 1);
    top->addWidget(info);

    auto *content = new QGroupBox(QStringLiteral("印刷項目"), this);
    auto *contentRow = new QHBoxLayout(content);
    lbxItems = new QListWidget(content);
    lbxItems->setObjectName(QStringLiteral("lbxItems"));
    for (const TListPrintItem &item : m_items)
        lbxItems->addItem(item.Caption);
    auto *buttons = new QVBoxLayout;
    auto button = [&](QPushButton *&b, const char *name, const QString &caption) {
        b = new QPushButton(caption, content);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
    };
    button(btnItemAdd, "btnItemAdd", QStringLiteral("追加 →"));
    button(btnItemDelete, "btnItemDelete", QStringLiteral("削除"));
    button(btnItemAllClear, "btnItemAllClear", QStringLiteral("全削除"));
    button(btnUp, "btnUp", QStringLiteral("↑"));
    button(btnDown, "btnDown", QStringLiteral("↓"));
    buttons->addStretch();
    lvColumns = new QTreeWidget(content);
    lvColumns->setObjectName(QStringLiteral("lvColumns"));
    lvColumns->setRootIsDecorated(false);
    lvColumns->setHeaderLabels({QStringLiteral("項目"), QStringLiteral("幅"), QStringLiteral("位置")});
    contentRow->addWidget(lbxItems);
    contentRow->addLayout(buttons);
    contentRow->addWidget(lvColumns, 1);
    top->addWidget(content, 1);

    auto *format = new QGroupBox(QStringLiteral("書式"), this);
    auto *formatRow = new QHBoxLayout(format);
    cbxFontSize = new QComboBox(format);
    cbxFontSize->setObjectName(QStringLiteral("cbxFontSize"));
    for (int size = ListPrintMinFontSize; size <= ListPrintMaxFontSize; ++size)
        cbxFontSize->addItem(QString::number(size));
    cbxRows = new QComboBox(format);
    cbxRows->setObjectName(QStringLiteral("cbxRows"));
    cbxRows->addItems({QStringLiteral("1行"), QStringLiteral("2行"), QStringLiteral("3行")});
    edtOffsetX = new QLineEdit(format);
    edtOffsetX->setObjectName(QStringLiteral("edtOffsetX"));
    edtOffsetX->setMaxLength(4);
    edtOffsetY = new QLineEdit(format);
    edtOffsetY->setObjectName(QStringLiteral("edtOffsetY"));
    edtOffsetY->setMaxLength(4);
    formatRow->addWidget(new QLabel(QStringLiteral("サイズ："), format));
    formatRow->addWidget(cbxFontSize);
    formatRow->addWidget(new QLabel(QStringLiteral("１件の行数："), format));
    formatRow->addWidget(cbxRows);
    formatRow->addWidget(new QLabel(QStringLiteral("余白：  左"), format));
    formatRow->addWidget(edtOffsetX);
    formatRow->addWidget(new QLabel(QStringLiteral("上"), format));
    formatRow->addWidget(edtOffsetY);
    formatRow->addWidget(new QLabel(QStringLiteral("mm"), format));
    top->addWidget(format);

    auto *range = new QGroupBox(QStringLiteral("印刷データの選択"), this);
    auto *rangeGrid = new QGridLayout(range);
    rbList = new QRadioButton(QStringLiteral("一覧で選択したデータ"), range);
    rbList->setObjectName(QStringLiteral("rbList"));
    rbRange = new QRadioButton(QStringLiteral("数値で範囲を指定"), range);
    rbRange->setObjectName(QStringLiteral("rbRange"));
    rbAll = new QRadioButton(QStringLiteral("一覧に表示されているすべてのデータ"), range);
    rbAll->setObjectName(QStringLiteral("rbAll"));
    edtRangeBegin = new QSpinBox(range);
    edtRangeBegin->setObjectName(QStringLiteral("edtRangeBegin"));
    edtRangeEnd = new QSpinBox(range);
    edtRangeEnd->setObjectName(QStringLiteral("edtRangeEnd"));
    rangeGrid->addWidget(rbList, 0, 0, 1, 4);
    rangeGrid->addWidget(rbRange, 1, 0);
    rangeGrid->addWidget(edtRangeBegin, 1, 1);
    rangeGrid->addWidget(new QLabel(QStringLiteral("件目 ～"), range), 1, 2);
    rangeGrid->addWidget(edtRangeEnd, 1, 3);
    rangeGrid->addWidget(new QLabel(QStringLiteral("件目"), range), 1, 4);
    rangeGrid->addWidget(rbAll, 2, 0, 1, 4);
    lblPrinter = new QLabel(range);
    lblPrinter->setObjectName(QStringLiteral("lblPrinter"));
    btnPrinter = new QPushButton(QStringLiteral("プリンターの設定..."), range);
    btnPrinter->setObjectName(QStringLiteral("btnPrinter"));
    edtCopies = new QSpinBox(range);
    edtCopies->setObjectName(QStringLiteral("edtCopies"));
    edtCopies->setRange(1, 100);
    rangeGrid->addWidget(lblPrinter, 3, 0, 1, 3);
    rangeGrid->addWidget(btnPrinter, 3, 3, 1, 2);
    rangeGrid->addWidget(new QLabel(QStringLiteral("部数："), range), 4, 0);
    rangeGrid->addWidget(edtCopies, 4, 1);
    top->addWidget(range);

    auto *counts = new QHBoxLayout;
    lblDataCount = new QLabel(this);
    lblDataCount->setObjectName(QStringLiteral("lblDataCount"));
    lblLineCount = new QLabel(this);
    lblLineCount->setObjectName(QStringLiteral("lblLineCount"));
    lblPaperCount = new QLabel(this);
    lblPaperCount->setObjectName(QStringLiteral("lblPaperCount"));
    counts->addWidget(new QLabel(QStringLiteral("印刷データ件数："), this));
    counts->addWidget(lblDataCount);
    counts->addWidget(new QLabel(QStringLiteral("１ページあたりの件数："), this));
    counts->addWidget(lblLineCount);
    counts->addWidget(new QLabel(QStringLiteral("用紙枚数："), this));
    counts->addWidget(lblPaperCount);
    top->addLayout(counts);

    auto *commands = new QHBoxLayout;
    btnSaveSetting = new QPushButton(QStringLiteral("設定保存"), this);
    btnSaveSetting->setObjectName(QStringLiteral("btnSaveSetting"));
    btnPrint = new QPushButton(QStringLiteral("印刷"), this);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    commands->addStretch();
    commands->addWidget(btnSaveSetting);
    commands->addWidget(btnPrint);
    commands->addWidget(btnClose);
    top->addLayout(commands);

    connect(edtTitle, &QLineEdit::editingFinished, this, [this] { UpdatePageCapacity(); });
    connect(chkViewDate, &QCheckBox::toggled, this, [this] { UpdatePageCapacity(); });
    connect(chkViewPage, &QCheckBox::toggled, this, [this](bool on) {
        cbxPageType->setEnabled(on);
        UpdatePageCapacity();
    });
    connect(cbxFontSize, &QComboBox::activated, this, [this] { UpdatePageCapacity(); });
    connect(cbxRows, &QComboBox::activated, this, [this] { UpdatePageCapacity(); });
    connect(edtOffsetX, &QLineEdit::editingFinished, this, [this] { marginLeft(edtOffsetX, m_offsetX); });
    connect(edtOffsetY, &QLineEdit::editingFinished, this, [this] {
        marginLeft(edtOffsetY, m_offsetY);
        UpdatePageCapacity();
    });
    for (QRadioButton *choice : {rbList, rbRange, rbAll})
        connect(choice, &QRadioButton::toggled, this, [this](bool on) {
            if (!on)
                return;
            edtRangeBegin->setEnabled(rbRange->isChecked());
            edtRangeEnd->setEnabled(rbRange->isChecked());
            RecountData();
        });
    connect(edtRangeBegin, &QSpinBox::valueChanged, this, [this](int value) {
        if (value > edtRangeEnd->value())
            edtRangeEnd->setValue(value);
        RecountData();
    });
    connect(edtRangeEnd, &QSpinBox::valueChanged, this, [this](int value) {
        if (value < edtRangeBegin->value())
            edtRangeBegin->setValue(value);
        RecountData();
    });
    connect(edtCopies, &QSpinBox::valueChanged, this, [this] { RecountData(); });
    connect(btnItemAdd, &QPushButton::clicked, this, [this] { addItem(); });
    connect(lbxItems, &QListWidget::itemDoubleClicked, this, [this] { addItem(); });
    connect(btnItemDelete, &QPushButton::clicked, this, [this] {
        delete lvColumns->currentItem();
        updateButtons();
    });
    connect(btnItemAllClear, &QPushButton::clicked, this, [this] {
        lvColumns->clear();
        updateButtons();
    });
    connect(btnUp, &QPushButton::clicked, this, [this] { moveColumn(-1); });
    connect(btnDown, &QPushButton::clicked, this, [this] { moveColumn(1); });
    connect(lvColumns, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });
    connect(btnPrinter, &QPushButton::clicked, this, [this] { choosePrinter(); });
    connect(btnSaveSetting, &QPushButton::clicked, this, [this] { (void)SaveSettings(); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { PrintList(); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
}

void TListPrint::showSettings()
{
    const TListPrintLayout &l = m_settings.Layout;
    edtTitle->setText(l.Title);
    chkViewDate->setChecked(l.ViewDate);
    chkViewPage->setChecked(l.ViewPage);
    cbxPageType->setCurrentIndex(l.PageType);
    cbxPageType->setEnabled(l.ViewPage);
    cbxFontSize->setCurrentIndex(l.FontSize - ListPrintMinFontSize);
    cbxRows->setCurrentIndex(l.iRowCount - 1);
    m_offsetX = l.OffsetX;
    m_offsetY = l.OffsetY;
    edtOffsetX->setText(ListPrintMarginText(m_offsetX));
    edtOffsetY->setText(ListPrintMarginText(m_offsetY));
    (l.DataSelect == 1 ? rbRange : l.DataSelect == 2 ? rbAll : rbList)->setChecked(true);
    edtRangeBegin->setEnabled(l.DataSelect == 1);
    edtRangeEnd->setEnabled(l.DataSelect == 1);
    edtCopies->setValue(l.Copies);
    lblPrinter->setText(m_printer->DeviceName() + QStringLiteral("  ") + m_printer->GetPaperName());
    fillColumns(m_settings.Columns);
}

void TListPrint::fillColumns(const TListPrintColumns &columns)
{
    lvColumns->clear();
    for (const TListPrintColumn &c : columns) {
        auto *row = new QTreeWidgetItem(lvColumns);
        row->setText(0, m_items[static_cast<std::size_t>(c.ItemNo)].Caption);
        row->setText(1, QString::number(c.ItemSize));
        row->setText(2, kAlignNames.value(c.ItemAlign));
        row->setData(0, Qt::UserRole, c.ItemNo);
        row->setData(1, Qt::UserRole, c.ItemSize);
        row->setData(2, Qt::UserRole, c.ItemAlign);
    }
    updateButtons();
}

TListPrintColumns TListPrint::columns() const
{
    TListPrintColumns result;
    for (int i = 0; i < lvColumns->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = lvColumns->topLevelItem(i);
        result.push_back({row->data(0, Qt::UserRole).toInt(), row->data(1, Qt::UserRole).toInt(),
                          row->data(2, Qt::UserRole).toInt()});
    }
    return result;
}

void TListPrint::addItem()
{
    const int item = lbxItems->currentRow();
    if (item < 0 || lvColumns->topLevelItemCount() >= ListPrintMaxColumns)
        return;
    TListPrintColumns current = columns();
    // Every item but the blank stands once.
    if (item != 0 && std::any_of(current.begin(), current.end(), [&](const auto &c) { return c.ItemNo == item; }))
        return;
    const int at = lvColumns->currentItem() ? lvColumns->indexOfTopLevelItem(lvColumns->currentItem()) + 1
                                            : static_cast<int>(current.size());
    current.insert(current.begin() + at, DefaultListPrintColumn(item));
    fillColumns(current);
    lvColumns->setCurrentItem(lvColumns->topLevelItem(at));
}

void TListPrint::moveColumn(int step)
{
    const int at = lvColumns->indexOfTopLevelItem(lvColumns->currentItem());
    const int to = at + step;
    if (at < 0 || to < 0 || to >= lvColumns->topLevelItemCount())
        return;
    TListPrintColumns current = columns();
    std::swap(current[static_cast<std::size_t>(at)], current[static_cast<std::size_t>(to)]);
    fillColumns(current);
    lvColumns->setCurrentItem(lvColumns->topLevelItem(to));
}

void TListPrint::updateButtons()
{
    const bool any = lvColumns->topLevelItemCount() > 0;
    const int at = lvColumns->indexOfTopLevelItem(lvColumns->currentItem());
    btnItemDelete->setEnabled(any && at >= 0);
    btnItemAllClear->setEnabled(any);
    btnSaveSetting->setEnabled(any);
    btnUp->setEnabled(at > 0);
    btnDown->setEnabled(at >= 0 && at < lvColumns->topLevelItemCount() - 1);
    btnPrint->setEnabled(any && m_dataCount > 0);
}

void TListPrint::marginLeft(QLineEdit *edit, int &remembered)
{
    // A value the field cannot take gives the one it held before.
    if (const auto tenths = ParseListPrintMargin(edit->text()))
        remembered = *tenths;
    edit->setText(ListPrintMarginText(remembered));
}

int TListPrint::dataSelect() const
{
    return rbRange->isChecked() ? 1 : rbAll->isChecked() ? 2 : 0;
}

TListPrintJob TListPrint::CollectLayout() const
{
    TListPrintJob job;
    job.Items = m_items;
    job.Columns = columns();
    job.Layout = m_settings.Layout;
    TListPrintLayout &l = job.Layout;
    l.Title = edtTitle->text().trimmed();
    l.ViewDate = chkViewDate->isChecked();
    l.ViewPage = chkViewPage->isChecked();
    l.PageType = cbxPageType->currentIndex();
    l.FontSize = ListPrintMinFontSize + cbxFontSize->currentIndex();
    l.iRowCount = cbxRows->currentIndex() + 1;
    l.OffsetX = m_offsetX;
    l.OffsetY = m_offsetY;
    l.DataSelect = dataSelect();
    l.Copies = edtCopies->value();
    return job;
}

void TListPrint::UpdatePageCapacity()
{
    const TListPrintJob job = CollectLayout();
    m_recordsPerPage = ListPageCapacity(job, MeasureListPage(job.Layout, *m_printer));
    lblLineCount->setText(QString::asprintf("%d", std::max(0, m_recordsPerPage)) + QStringLiteral(" 件"));
    RecountData();
}

void TListPrint::RecountData()
{
    switch (dataSelect()) {
    case 0:
        m_dataCount = m_list->GetSelCount();
        break;
    case 1:
        m_dataCount = edtRangeBegin->value() == 0 ? 0 : edtRangeEnd->value() - edtRangeBegin->value() + 1;
        break;
    default:
        m_dataCount = m_list->GetRowCount();
    }
    m_pageCount = ListPageCount(m_dataCount, m_recordsPerPage);
    lblDataCount->setText(QString::number(m_dataCount) + QStringLiteral(" 件"));
    lblPaperCount->setText(QString::number(edtCopies->value() * m_pageCount) + QStringLiteral(" 枚"));
    updateButtons();
}

void TListPrint::UpdateDataRange()
{
    const int rows = m_list->GetRowCount();
    const int low = rows == 0 ? 0 : 1;
    if (edtRangeEnd->maximum() != rows || edtRangeBegin->minimum() != low) {
        const QSignalBlocker blockBegin(edtRangeBegin);
        const QSignalBlocker blockEnd(edtRangeEnd);
        edtRangeBegin->setRange(low, rows);
        edtRangeEnd->setRange(low, rows);
        const bool keep = m_settings.BeginPos >= low && m_settings.EndPos <= rows &&
                          m_settings.BeginPos <= m_settings.EndPos && m_settings.BeginPos > 0;
        edtRangeBegin->setValue(keep ? m_settings.BeginPos : low);
        edtRangeEnd->setValue(keep ? m_settings.EndPos : rows);
        m_settings.BeginPos = 0;
        m_settings.EndPos = 0;
    }
    RecountData();
}

bool TListPrint::SaveSettings()
{
    TListPrintSettings settings{CollectLayout().Layout, columns(), edtRangeBegin->value(), edtRangeEnd->value()};
    TMemIniFile ini(SettingsFileName());
    SaveListPrintLayout(ini, settings);
    QString error;
    if (!ini.UpdateFile(&error)) {
        tell(this, QStringLiteral("設定を保存できませんでした。\r\n") + error, MB_ICONERROR);
        return false;
    }
    m_printer->SetCopies(settings.Layout.Copies);
    if (!m_printer->Save(&error)) {
        tell(this, QStringLiteral("プリンターの設定を保存できませんでした。\r\n") + error, MB_ICONERROR);
        return false;
    }
    return true;
}

void TListPrint::choosePrinter()
{
    QPrinter chosen(QPrinter::HighResolution);
    chosen.setPageLayout(m_printer->Printer().pageLayout());
    if (!m_printer->IsPdf())
        chosen.setPrinterName(m_printer->DeviceName());
    QPrintDialog dialog(&chosen, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_printer->AssignCurrentPrinter(chosen);
    lblPrinter->setText(m_printer->DeviceName() + QStringLiteral("  ") + m_printer->GetPaperName());
    UpdatePageCapacity();
}

bool TListPrint::PrintList()
{
    UpdatePageCapacity();
    if (m_recordsPerPage < 1) {
        tell(this, ListPrintNoRoomMessage, MB_ICONERROR);
        return false;
    }
    const TListPrintJob job = CollectLayout();
    if (job.Columns.empty() || TRecordRun::Running())
        return false;
    // The records are taken now, in the list's order: nothing that happens
    // while the pages are painted can put another record under a row.
    const std::vector<qint32> records =
        TakeListPrintRecords(*m_list, job.Layout.DataSelect, edtRangeBegin->value(), edtRangeEnd->value());
    TTable *table = m_list->Model()->Table();
    if (records.empty() || table == nullptr)
        return false;
    QProgressDialog progress(QStringLiteral("印刷しています..."), QStringLiteral("キャンセル"), 0,
                             static_cast<int>(records.size()), this);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    const TListPrintResult result = ::PrintList(
        *m_printer, job, records,
        [&](qint32 recNo) -> std::optional<QStringList> {
            if (!FindRunRecord(*table, recNo))
                return std::nullopt;
            return ListPrintRowTexts(*table, job, GroupNames, DataPath);
        },
        [&](int done, int) {
            progress.setValue(done);
            return !progress.wasCanceled();
        });
    progress.reset();
    if (!result.Error.isEmpty()) {
        tell(this, result.Error, MB_ICONERROR);
        return false;
    }
    if (result.Cancelled)
        return false;
    (void)SaveSettings();
    return result.Pages > 0;
}

TListPrint *ShowListPrint(TAddressList *list)
{
    if (OpenListPrint.isNull())
        OpenListPrint = new TListPrint(list);
    OpenListPrint->show();
    OpenListPrint->setWindowState(OpenListPrint->windowState() & ~Qt::WindowMinimized);
    OpenListPrint->raise();
    OpenListPrint->activateWindow();
    return OpenListPrint;
}

void RegisterListPrint()
{
    ListPrintOpener = [](TAddressList *list) { ShowListPrint(list); };
}
