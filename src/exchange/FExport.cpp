#include "exchange/FExport.h"

#include "exchange/ExportWindow.h"
#include "exchange/FExpPw.h"
#include "exchange/Zvkcrtpup.h"

#include "addressbook/AdrsList.h"
#include "addressbook/ListRowChoice.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/CheckedCaption.h"
#include "widgets/EnterKey.h"
#include "widgets/RangeControls.h"
#include "widgets/RecordRun.h"

#include <QBuffer>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

TFileExport *FileExport = nullptr;
std::function<QString(const QString &, int &)> TFileExport::SaveDialogOverride;
bool TFileExport::EncryptedOutputAvailable = true;
std::function<QString(QWidget *)> TFileExport::PasswordOverride;

namespace {

const QString kSection = QStringLiteral("FILE EXPORT");

QTableWidget *makeGrid(QWidget *parent, const char *name, int columns)
{
    auto *grid = new QTableWidget(0, columns, parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAttribute(Qt::WA_InputMethodEnabled, false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    return grid;
}

} // namespace

TFileExport::TFileExport(QWidget *Owner) : QWidget(Owner, Qt::Window)
{
    FileExport = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FileExport"));
    setWindowTitle(QStringLiteral("テキストファイルの出力"));
    setProperty("HelpContext", 59);
    CreateControls();
    LoadSettings();
    RegisterRowWindow(this);
    // Enter leads to 出力: Return there (and on any focused button) presses it.
    PressFocusedButtonOnEnter(this);
}

TFileExport::~TFileExport()
{
    SavePosition();
    if (FileExport == this)
        FileExport = nullptr;
}

void TFileExport::CreateControls()
{
    auto makeButton = [this](const char *name, const QString &caption) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        return button;
    };
    auto makeRadio = [this](const char *name, const QString &caption, int tag) {
        auto *button = new QRadioButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setProperty("Tag", tag);
        button->installEventFilter(this);
        m_options << button;
        return button;
    };
    auto makeCheck = [this](const char *name, const QString &caption) {
        auto *box = new QCheckBox(caption, this);
        box->setObjectName(QString::fromLatin1(name));
        box->installEventFilter(this);
        m_options << box;
        return box;
    };

    // Column layout and catalogue.
    auto *boxItems = new QGroupBox(QStringLiteral("出力項目"), this);
    sgDest = makeGrid(this, "sgDest", 2);
    // Two-digit numbers fit whatever the face: the form's 22 pixels were
    // measured for a narrower one.
    sgDest->setColumnWidth(0, std::max(ScaleForDpi(22, true), sgDest->fontMetrics().horizontalAdvance(QStringLiteral("99")) + 12));
    sgDest->setColumnWidth(1, ScaleForDpi(121, true));
    sgDest->installEventFilter(this);
    sgSrc = makeGrid(this, "sgSrc", 1);
    sgSrc->setColumnWidth(0, ScaleForDpi(121, true));
    sgSrc->installEventFilter(this);
    const QStringList captions = ExportItemCatalogue();
    sgSrc->setRowCount(ExportItemCount);
    for (int i = 0; i < ExportItemCount; ++i)
        sgSrc->setItem(i, 0, new QTableWidgetItem(captions[i]));
    sgSrc->selectRow(0);
    for (QTableWidget *grid : {sgDest, sgSrc})
        grid->setMinimumHeight(ScaleForDpi(260, true));
    sgDest->setFixedWidth(ScaleForDpi(22 + 121 + 24, true));
    sgSrc->setFixedWidth(ScaleForDpi(121 + 24, true));
    bbtnSet = makeButton("bbtnSet", QStringLiteral("セット"));
    bbtnAdd = makeButton("bbtnAdd", QStringLiteral("連結"));
    bbtnAllSet = makeButton("bbtnAllSet", QStringLiteral("全セット"));
    bbtnDelete = makeButton("bbtnDelete", QStringLiteral("削除"));
    bbtnAllDelete = makeButton("bbtnAllDelete", QStringLiteral("全削除"));
    bbtnUp = makeButton("bbtnUp", QStringLiteral("↑"));
    bbtnDown = makeButton("bbtnDown", QStringLiteral("↓"));
    auto *commandColumn = new QVBoxLayout;
    for (QPushButton *button : {bbtnSet, bbtnAdd, bbtnAllSet, bbtnDelete, bbtnAllDelete, bbtnUp, bbtnDown})
        commandColumn->addWidget(button);
    commandColumn->addStretch();
    auto *itemsRow = new QHBoxLayout(boxItems);
    itemsRow->addWidget(sgDest);
    itemsRow->addLayout(commandColumn);
    itemsRow->addWidget(sgSrc);

    // Rows to export.
    const TExportDataBox data = MakeExportDataBox(this, m_range, makeRadio);
    QGroupBox *boxData = data.Box;
    rbList = data.List;
    rbRange = data.Range;
    rbAll = data.All;
    lblDataCount = data.Count;
    edtRangeBegin = m_range.BeginEdit;
    edtRangeEnd = m_range.EndEdit;
    m_range.Changed = [this] {
        if (m_dataSelect == 1)
            CalcOutputCount();
    };

    // Options.
    auto *boxOptions = new QGroupBox(QStringLiteral("オプション"), this);
    chkOutHeader = makeCheck("chkOutHeader", QStringLiteral("１レコード目に項目名を出力する"));
    chkBindDblQuote = makeCheck("chkBindDblQuote", QStringLiteral("項目を 「”」 でくくる"));
    chkEditHyphen = makeCheck("chkEditHyphen", QStringLiteral("ハイフン編集をする"));
    chkEditTel = makeCheck("chkEditTel", QStringLiteral("電話番号"));
    chkEditFax = makeCheck("chkEditFax", QStringLiteral("FAX番号"));
    chkEditPos = makeCheck("chkEditPos", QStringLiteral("郵便番号"));
    chkEditPortable1 = makeCheck("chkEditPortable1", QStringLiteral("携帯番号１"));
    chkEditPortable2 = makeCheck("chkEditPortable2", QStringLiteral("携帯番号２"));
    auto *optionGrid = new QGridLayout(boxOptions);
    optionGrid->addWidget(chkOutHeader, 0, 0, 1, 3);
    optionGrid->addWidget(chkBindDblQuote, 1, 0, 1, 3);
    optionGrid->addWidget(chkEditHyphen, 2, 0, 1, 3);
    optionGrid->addWidget(chkEditTel, 3, 1);
    optionGrid->addWidget(chkEditFax, 3, 2);
    optionGrid->addWidget(chkEditPos, 4, 1);
    optionGrid->addWidget(chkEditPortable1, 5, 1);
    optionGrid->addWidget(chkEditPortable2, 5, 2);
    optionGrid->setColumnMinimumWidth(0, ScaleForDpi(16, true));

    // Output type.
    auto *boxType = new QGroupBox(QStringLiteral("出力形式"), this);
    rbEncrypt = makeRadio("rbEncrypt", QStringLiteral("暗号化出力"), 0);
    rbNormal = makeRadio("rbNormal", QStringLiteral("通常出力"), 1);
    auto *typeGroup = new QButtonGroup(this);
    typeGroup->addButton(rbEncrypt);
    typeGroup->addButton(rbNormal);
    auto *typeRow = new QHBoxLayout(boxType);
    typeRow->addWidget(rbEncrypt);
    typeRow->addWidget(rbNormal);
    rbEncrypt->setEnabled(EncryptedOutputAvailable);

    pgbarExport = new QProgressBar(this);
    pgbarExport->setObjectName(QStringLiteral("pgbarExport"));
    pgbarExport->setTextVisible(false);
    btnSave = makeButton("btnSave", QStringLiteral("設定保存"));
    btnExport = makeButton("btnExport", QStringLiteral("出力"));
    btnClose = makeButton("btnClose", QStringLiteral("閉じる"));
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(pgbarExport, 1);
    buttonRow->addWidget(btnSave);
    buttonRow->addWidget(btnExport);
    buttonRow->addWidget(btnClose);

    auto *side = new QVBoxLayout;
    side->addWidget(boxData);
    side->addWidget(boxOptions);
    side->addWidget(boxType);
    side->addStretch();
    auto *body = new QHBoxLayout;
    body->addWidget(boxItems);
    body->addLayout(side);
    auto *main = new QVBoxLayout(this);
    main->addLayout(body);
    main->addLayout(buttonRow);

    connect(bbtnSet, &QPushButton::clicked, this, &TFileExport::SetItem);
    connect(bbtnAdd, &QPushButton::clicked, this, &TFileExport::JoinItem);
    connect(bbtnAllSet, &QPushButton::clicked, this, &TFileExport::SetAllItems);
    connect(bbtnDelete, &QPushButton::clicked, this, &TFileExport::DeleteItem);
    connect(bbtnAllDelete, &QPushButton::clicked, this, &TFileExport::DeleteAllItems);
    connect(bbtnUp, &QPushButton::clicked, this, &TFileExport::MoveUp);
    connect(bbtnDown, &QPushButton::clicked, this, &TFileExport::MoveDown);
    connect(sgDest, &QTableWidget::itemSelectionChanged, this, &TFileExport::UpdateMoveButtons);
    connect(sgDest, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (bbtnDelete->isEnabled() && row < m_layout.Count()) {
            sgDest->selectRow(row);
            DeleteItem();
        }
    });
    connect(sgSrc, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        SetItem();
        sgSrc->selectRow(row);
    });
    for (QRadioButton *button : {rbList, rbRange, rbAll}) {
        connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
            if (checked)
                DataSelectClick(button->property("Tag").toInt());
        });
    }
    connect(rbEncrypt, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            m_type = 0;
    });
    connect(rbNormal, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            m_type = 1;
    });
    connect(chkEditHyphen, &QCheckBox::toggled, this, [this](bool checked) {
        for (QCheckBox *box : {chkEditTel, chkEditFax, chkEditPos, chkEditPortable1, chkEditPortable2})
            box->setEnabled(checked);
    });
    for (QAbstractButton *button : std::as_const(m_options))
        connect(button, &QAbstractButton::toggled, this, [this] { UpdateCaptionColours(); });
    connect(btnSave, &QPushButton::clicked, this, [this] {
        TWaitCursor hourglass;
        SaveExportSettings();
    });
    connect(btnExport, &QPushButton::clicked, this, &TFileExport::btnExportClick);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
}

void TFileExport::LoadSettings()
{
    const TMemIniFile ini(SettingsFileName());
    MoveToStoredPosition(this, ini, kSection);

    QStringList keys;
    for (int n = 1; n <= TExportLayout::MaxItems; ++n) {
        const QString value = ini.ReadString(kSection, QStringLiteral("Layout%1").arg(n), QString());
        if (value.isEmpty())
            break;
        keys << value;
    }
    m_layout.FromKeys(keys);

    auto choice = [&ini](const char *key, int max) {
        const int value = ini.ReadInteger(kSection, QString::fromLatin1(key), 0);
        return value < 0 || value > max ? 0 : value;
    };
    const int dataSelect = choice("DataSelect", 2);
    const int type = choice("Type", 1);
    chkOutHeader->setChecked(ini.ReadBool(kSection, QStringLiteral("OutHeader"), true));
    chkBindDblQuote->setChecked(ini.ReadBool(kSection, QStringLiteral("BindDblQuote"), false));
    chkEditHyphen->setChecked(ini.ReadBool(kSection, QStringLiteral("EditHyphen"), true));
    chkEditTel->setChecked(ini.ReadBool(kSection, QStringLiteral("EditTel"), true));
    chkEditFax->setChecked(ini.ReadBool(kSection, QStringLiteral("EditFax"), true));
    chkEditPos->setChecked(ini.ReadBool(kSection, QStringLiteral("EditPos"), true));
    chkEditPortable1->setChecked(ini.ReadBool(kSection, QStringLiteral("EditPortable1"), true));
    chkEditPortable2->setChecked(ini.ReadBool(kSection, QStringLiteral("EditPortable2"), true));
    for (QCheckBox *box : {chkEditTel, chkEditFax, chkEditPos, chkEditPortable1, chkEditPortable2})
        box->setEnabled(chkEditHyphen->isChecked());
    m_fileEncrypt = ini.ReadString(kSection, QStringLiteral("FileEncrypt"), QString());
    m_fileNormal = ini.ReadString(kSection, QStringLiteral("FileNormal"), QString());

    m_range.Init(AddressList ? AddressList->GetRowCount() : 0, ini.ReadInteger(kSection, QStringLiteral("BeginPos"), 0),
               ini.ReadInteger(kSection, QStringLiteral("EndPos"), 0));
    m_dataSelect = -1;
    m_range.SetEnabled(m_dataSelect == 1);
    (dataSelect == 1 ? rbRange : dataSelect == 2 ? rbAll : rbList)->setChecked(true);
    // Without the archive writer only the plain output can be chosen.
    (type == 0 && EncryptedOutputAvailable ? rbEncrypt : rbNormal)->setChecked(true);
    FillLayoutGrid(0);
    UpdateCaptionColours();
}

void TFileExport::SaveExportSettings() const
{
    TMemIniFile ini(SettingsFileName());
    for (int n = 1; n <= TExportLayout::MaxItems; ++n)
        ini.DeleteKey(kSection, QStringLiteral("Layout%1").arg(n));
    const QStringList keys = m_layout.ToKeys();
    for (int n = 0; n < keys.size(); ++n)
        ini.WriteString(kSection, QStringLiteral("Layout%1").arg(n + 1), keys[n]);
    ini.WriteInteger(kSection, QStringLiteral("DataSelect"), m_dataSelect);
    ini.WriteInteger(kSection, QStringLiteral("BeginPos"), m_range.BeginPos());
    ini.WriteInteger(kSection, QStringLiteral("EndPos"), m_range.EndPos());
    ini.WriteInteger(kSection, QStringLiteral("Type"), m_type);
    ini.WriteBool(kSection, QStringLiteral("OutHeader"), chkOutHeader->isChecked());
    ini.WriteBool(kSection, QStringLiteral("BindDblQuote"), chkBindDblQuote->isChecked());
    ini.WriteBool(kSection, QStringLiteral("EditHyphen"), chkEditHyphen->isChecked());
    ini.WriteBool(kSection, QStringLiteral("EditTel"), chkEditTel->isChecked());
    ini.WriteBool(kSection, QStringLiteral("EditFax"), chkEditFax->isChecked());
    ini.WriteBool(kSection, QStringLiteral("EditPos"), chkEditPos->isChecked());
    ini.WriteBool(kSection, QStringLiteral("EditPortable1"), chkEditPortable1->isChecked());
    ini.WriteBool(kSection, QStringLiteral("EditPortable2"), chkEditPortable2->isChecked());
    ini.WriteString(kSection, QStringLiteral("FileEncrypt"), m_fileEncrypt);
    ini.WriteString(kSection, QStringLiteral("FileNormal"), m_fileNormal);
    QString error;
    if (!ini.UpdateFile(&error))
        ShowMessageBoxAt(const_cast<TFileExport *>(this), error, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner,
                         0, 0);
}

void TFileExport::SavePosition() const
{
    StoreWindowPosition(this, kSection);
}

void TFileExport::UpdateDataRange()
{
    m_range.Reset(AddressList ? AddressList->GetRowCount() : 0);
    CalcOutputCount();
}

void TFileExport::UpdateKeywordNames()
{
    const QStringList captions = ExportItemCatalogue();
    for (int i = eiKeyword1; i <= eiKeyword8; ++i)
        sgSrc->item(i, 0)->setText(captions[i]);
    for (int row = 0; row < m_layout.Count(); ++row) {
        const int item = m_layout.Items()[row].Item;
        if (item >= eiKeyword1 && item <= eiKeyword8)
            sgDest->item(row, 1)->setText(captions[item]);
    }
}

void TFileExport::FillLayoutGrid(int SelectRow)
{
    const QSignalBlocker blocker(sgDest);
    sgDest->setRowCount(m_layout.Count() + 1);
    for (int row = 0; row <= m_layout.Count(); ++row) {
        QString number, caption;
        if (row < m_layout.Count()) {
            const TExportLayoutItem &item = m_layout.Items()[row];
            if (item.Column != 0)
                number = QString::asprintf("%3d", item.Column);
            caption = sgSrc->item(item.Item, 0)->text();
        }
        sgDest->setItem(row, 0, new QTableWidgetItem(number));
        sgDest->setItem(row, 1, new QTableWidgetItem(caption));
    }
    sgDest->selectRow(qBound(0, SelectRow, m_layout.Count()));
    UpdateButtons();
}

void TFileExport::UpdateButtons()
{
    const bool any = !m_layout.IsEmpty();
    bbtnAdd->setEnabled(any);
    bbtnDelete->setEnabled(any);
    bbtnAllDelete->setEnabled(any);
    btnExport->setEnabled(any && m_outputCount != 0);
    UpdateMoveButtons();
}

void TFileExport::UpdateMoveButtons()
{
    const int row = DestRow();
    bbtnUp->setEnabled(m_layout.CanMoveUp(row));
    bbtnDown->setEnabled(m_layout.CanMoveDown(row));
}

int TFileExport::DestRow() const
{
    const QList<QTableWidgetSelectionRange> ranges = sgDest->selectedRanges();
    return ranges.isEmpty() ? sgDest->currentRow() : ranges.first().topRow();
}

int TFileExport::SrcRow() const
{
    const QList<QTableWidgetSelectionRange> ranges = sgSrc->selectedRanges();
    return qMax(ranges.isEmpty() ? sgSrc->currentRow() : ranges.first().topRow(), 0);
}

int TFileExport::Inform(const QString &Text, unsigned Flags)
{
    return ShowMessageBoxAt(this, Text, ProductCaption(), Flags, mbpCenterOnOwner, 0, 0);
}

bool TFileExport::RefuseFull()
{
    if (!m_layout.IsFull())
        return false;
    Inform(QStringLiteral("セットできる最大項目数は") + QString::number(TExportLayout::MaxItems) +
               QStringLiteral("項目です  "),
           MB_ICONINFORMATION);
    return true;
}

void TFileExport::SetItem()
{
    if (RefuseFull())
        return;
    const int row = qMax(DestRow(), 0);
    const int src = SrcRow();
    (void)m_layout.Set(row, src);
    FillLayoutGrid(row + 1);
    if (src < ExportItemCount - 1)
        sgSrc->selectRow(src + 1);
}

void TFileExport::JoinItem()
{
    if (RefuseFull())
        return;
    const int row = qMax(DestRow(), 0);
    (void)m_layout.Join(row, SrcRow());
    FillLayoutGrid(qMin(row, m_layout.Count() - 1) + 1);
}

void TFileExport::SetAllItems()
{
    m_layout.SetAll();
    FillLayoutGrid(DestRow());
}

void TFileExport::DeleteItem()
{
    if (m_layout.IsEmpty())
        return;
    const int row = DestRow();
    m_layout.Delete(row);
    FillLayoutGrid(qMin(row, m_layout.Count()));
}

void TFileExport::DeleteAllItems()
{
    m_layout.Clear();
    FillLayoutGrid(0);
}

void TFileExport::MoveUp()
{
    FillLayoutGrid(m_layout.MoveUp(DestRow()));
}

void TFileExport::MoveDown()
{
    FillLayoutGrid(m_layout.MoveDown(DestRow()));
}

void TFileExport::UpdateCaptionColours()
{
    for (QAbstractButton *button : std::as_const(m_options))
        PaintCheckedCaption(button);
}

void TFileExport::DataSelectClick(int Tag)
{
    if (Tag == m_dataSelect)
        return;
    m_dataSelect = Tag;
    m_range.SetEnabled(m_dataSelect == 1);
    UpdateCaptionColours();
    CalcOutputCount();
}

void TFileExport::CalcOutputCount()
{
    m_outputCount = ChosenListRowCount(m_dataSelect, m_range);
    lblDataCount->setText(QString::number(m_outputCount) + QStringLiteral(" 件"));
    btnExport->setEnabled(m_outputCount != 0 && !m_layout.IsEmpty());
}

bool TFileExport::eventFilter(QObject *Watched, QEvent *Event)
{
    if (m_range.FilterEvent(Watched, Event))
        return true;
    if (Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (Watched == sgDest && key == Qt::Key_Delete) {
            if (bbtnDelete->isEnabled())
                DeleteItem();
            return true;
        }
        if (Watched == sgSrc && key == Qt::Key_Insert) {
            SetItem();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Watched == sgDest) {
                sgSrc->setFocus();
                return true;
            }
            QWidget *from = static_cast<QWidget *>(Watched);
            QWidget *target = nullptr;
            if (from == rbList)
                target = rbEncrypt->isEnabled() ? static_cast<QWidget *>(rbEncrypt) : rbNormal;
            else if (from == chkEditHyphen && !chkEditHyphen->isChecked())
                target = btnExport->isEnabled() ? btnExport : btnClose;
            else if (from == chkEditPortable2)
                target = btnExport->isEnabled() ? btnExport : btnClose;
            if (target)
                target->setFocus(Qt::TabFocusReason);
            else
                focusNextChild();
            return true;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

int TFileExport::ChooseTextTarget()
{
    TExportTargetAsk ask;
    ask.Inform = [this](const QString &Text, unsigned Flags) { return Inform(Text, Flags); };
    ask.DefaultName = QStringLiteral("アドレス帳");
    ask.AskName = [this](const QString &Start) {
        int filter = 1;
        QString chosen = AskSaveName(Start,
                                     {QStringLiteral("テキストファイル (*.txt)"), QStringLiteral("ＣＳＶファイル (*.csv)"),
                                      QStringLiteral("すべてのファイル (*)")},
                                     filter);
        chosen = chosen.trimmed();
        if (!chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
            chosen += filter == 2 ? QStringLiteral(".csv") : QStringLiteral(".txt");
        return chosen;
    };
    const std::optional<QString> target = AskExportTarget(m_fileNormal, ask);
    if (!target)
        return 9;
    const QString path = *target;
    int result = 0;
    if (QFileInfo::exists(path)) {
        result = AskOverwriteOrAppend([this](const QString &Text, unsigned Flags) { return Inform(Text, Flags); });
        if (result == 9)
            return 9;
    }
    m_fileNormal = path;
    return result;
}

QString TFileExport::AskSaveName(const QString &Path, const QStringList &Filters, int &FilterIndex)
{
    if (SaveDialogOverride)
        return SaveDialogOverride(Path, FilterIndex);
    return AskExportSaveName(this, Path, Filters, FilterIndex);
}

int TFileExport::ChooseEncryptedTarget()
{
    TExportTargetAsk ask;
    ask.Inform = [this](const QString &Text, unsigned Flags) { return Inform(Text, Flags); };
    ask.DefaultName = QStringLiteral("アドレス帳");
    ask.AskName = [this](const QString &Start) {
        int filter = 1;
        const QString chosen = AskSaveName(Start, {QStringLiteral("暗号化ZIPファイル (*.zip)")}, filter).trimmed();
        return chosen.isEmpty() ? QString() : EncryptedTargetName(chosen);
    };
    // Targets of older settings named a self-extracting ".exe".
    const std::optional<QString> target =
        AskExportTarget(m_fileEncrypt.isEmpty() ? QString() : EncryptedTargetName(m_fileEncrypt), ask);
    if (!target)
        return 9;
    const QString path = *target;
    if (QFileInfo::exists(path) &&
        Inform(QStringLiteral("既にあるファイルを指定しました  \r\n上書きしてもよろしいですか？  "),
               MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 9;
    m_fileEncrypt = path;
    return 0;
}

TExportContext TFileExport::Context() const
{
    TExportContext context;
    context.Format.EditHyphen = chkEditHyphen->isChecked();
    context.Format.EditTel = chkEditTel->isChecked();
    context.Format.EditFax = chkEditFax->isChecked();
    context.Format.EditPos = chkEditPos->isChecked();
    context.Format.EditPortable1 = chkEditPortable1->isChecked();
    context.Format.EditPortable2 = chkEditPortable2->isChecked();
    for (const QString &name : GroupNames)
        context.GroupNames << name;
    if (AddressList) {
        for (int i = 0; i < AddressList->GetSenderCount(); ++i)
            context.Senders << qMakePair(AddressList->GetSenderName(i), AddressList->GetSenderRecNo(i));
    }
    return context;
}

void TFileExport::btnExportClick()
{
    if (m_layout.IsEmpty()) {
        Inform(QStringLiteral("出力する項目をセットしてください  "), MB_ICONINFORMATION);
        sgSrc->setFocus();
        return;
    }
    if (Inform(QStringLiteral("アドレス帳のデータをファイルに出力します  \r\nよろしいですか？  "),
               MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const bool encrypted = m_type == 0 && EncryptedOutputAvailable;
    const int target = encrypted ? ChooseEncryptedTarget() : ChooseTextTarget();
    if (target == 9)
        return;
    QString password;
    if (encrypted) {
        if (PasswordOverride) {
            password = PasswordOverride(this);
        } else {
            TFileExportPassword dialog(this);
            CenterFormOnOwner(&dialog, this);
            if (dialog.exec() == QDialog::Accepted)
                password = dialog.Password();
        }
        if (password.isEmpty())
            return;
    }
    TTable *table = DMMurven19 ? DMMurven19->AdrsTable() : nullptr;
    if (!table)
        return;

    // The records are taken now: nothing that happens during the run can
    // put another record under a row.
    const TRunRecords records = ChosenListRunRecords(m_dataSelect, m_range);
    const TExportContext context = Context();
    const QStringList captions = [this] {
        QStringList list;
        for (int i = 0; i < ExportItemCount; ++i)
            list << sgSrc->item(i, 0)->text();
        return list;
    }();
    TExportOptions options;
    options.OutHeader = chkOutHeader->isChecked();
    options.BindDblQuote = chkBindDblQuote->isChecked();

    TWaitCursor hourglass;
    pgbarExport->setRange(0, qMax(int(records.size()), 1));
    pgbarExport->setValue(0);
    repaint();

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString failure;
    TExportRunResult result;
    {
        // One read transaction: the file shows the book as it was at one moment.
        TRecordRun run(this, *table, QStringLiteral("テキストファイルの出力"), int(records.size()));
        if (!run.Begin(&failure)) {
            Inform(QStringLiteral("出力できませんでした  \r\n") + failure, MB_ICONERROR);
            return;
        }
        table->SetWalkFields(m_layout.Fields());
        result = WriteExportRows(buffer, *table, records, m_layout, context, options, captions, [&] {
            pgbarExport->setValue(pgbarExport->value() + 1);
            return run.Next();
        });
        (void)run.Commit(&failure);
    }
    pgbarExport->setValue(0);
    m_lastWritten = 0;
    if (!result.Failure.isEmpty()) {
        Inform(result.Failure, MB_ICONERROR);
        return;
    }
    if (result.Cancelled) {
        Inform(QStringLiteral("出力を中止しました  \r\nファイルには何も書き込んでいません  "), MB_ICONINFORMATION);
        return;
    }
    // Every record taken was deleted since (by another program): a file of
    // a header alone neither replaces the target nor joins it, and the user
    // is told so rather than that the export is done.
    if (result.Written == 0) {
        Inform(QStringLiteral("出力するデータがありません  \r\nファイルには何も書き込んでいません  "),
               MB_ICONINFORMATION);
        return;
    }
    int recordsBefore = 0;
    if (encrypted) {
        // The text goes into the archive from memory: no plain copy on disk.
        const QString entry = QFileInfo(m_fileEncrypt).completeBaseName() + QStringLiteral(".txt");
        if (!CreateEncryptedExport(m_fileEncrypt, entry, buffer.data(), password, &failure)) {
            Inform(failure + QStringLiteral("  \r\n") + m_fileEncrypt, MB_ICONERROR);
            return;
        }
    } else if (!SaveExportFile(m_fileNormal, target == 1, buffer.data(), &failure,
                               BuildExportHeader(m_layout, captions), &recordsBefore)) {
        Inform(QStringLiteral("ファイルに出力できませんでした  \r\n") + m_fileNormal + QStringLiteral("  \r\n") + failure,
               MB_ICONERROR);
        return;
    }
    m_lastWritten = result.Written;
    SaveExportSettings();
    QString done = QStringLiteral("テキストファイルの出力が完了しました  \r\n\r\n対象件数 : ") + QString::number(m_outputCount) +
                   QStringLiteral(" 件  \r\n出力件数 : ") + QString::number(result.Written) + QStringLiteral(" 件  ");
    // Appended, the file holds more than this run wrote: the user is told
    // where the records went and what the file held before.
    if (!encrypted && target == 1)
        done += QStringLiteral("\r\n\r\n") + m_fileNormal + QStringLiteral("  \r\nに追加しました（追加前のデータ : ") +
                QString::number(recordsBefore) + QStringLiteral(" 件）  ");
    // The file is Shift-JIS: a name with a character it lacks went out as
    // "?", and an import would store the "?".
    if (result.LossyLines > 0)
        done += QStringLiteral("\r\n\r\n名前に出力できない文字があり「?」で出力したデータ : ") +
                QString::number(result.LossyLines) + QStringLiteral(" 件  ");
    Inform(done, result.LossyLines > 0 ? MB_ICONWARNING : MB_ICONINFORMATION);
    btnClose->setFocus();
}

TFileExport *ShowFileExport(QWidget *Owner)
{
    if (!FileExport) {
        TWaitCursor hourglass;
        new TFileExport(Owner);
        FileExport->show();
    } else if (FileExport->isMinimized()) {
        FileExport->showNormal();
    } else {
        FileExport->show();
    }
    FileExport->raise();
    FileExport->activateWindow();
    return FileExport;
}

void RegisterFileExport()
{
    FileExportOpener = [](QWidget *Owner) { ShowFileExport(Owner); };
}
