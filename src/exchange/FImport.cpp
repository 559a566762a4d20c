#include "exchange/FImport.h"
#include "widgets/EnterKey.h"
#include "widgets/Named.h"

#include "addressbook/AdrsList.h"
#include "addressbook/KeywdEdt.h"
#include "core/AdrsSel.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "exchange/ConstIn.h"
#include "exchange/ExportItems.h"
#include "exchange/ImportRun.h"
#include "exchange/SetOrdVw.h"
#include "core/AppSub.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/TextLines.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "util/WindowFit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

TImportAddressLookup *TFileImport::LookupOverride = nullptr;

namespace {

const QString kSection = QStringLiteral("FILE IMPORT");

QPushButton *makeButton(const QString &caption, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

// Captions of checked options are blue, as the user's choice stands out.
void colourCaption(QAbstractButton *button)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::WindowText, button->isChecked() ? Qt::blue : Qt::black);
    palette.setColor(QPalette::ButtonText, button->isChecked() ? Qt::blue : Qt::black);
    button->setPalette(palette);
}

} // namespace

TFileImport::TFileImport(QWidget *Owner) : QDialog(Owner), m_fields(ImportFieldList())
{
    setObjectName(QStringLiteral("FileImport"));
    setWindowTitle(QStringLiteral("テキストファイルの取り込み"));
    setProperty("HelpContext", 29);
    CreateControls();
    ReadSettings();
    ModeChanged();
    UpdateButtons();
    // Return on a focused button presses it; none of them is the default, so
    // Return in a field never imports.
    PressFocusedButtonOnEnter(this);
}

TFileImport::~TFileImport()
{
    WritePosition();
}

void TFileImport::CreateControls()
{
    auto *layout = new QVBoxLayout(this);

    grpFile = Named(new QGroupBox(QStringLiteral("方法とファイルの設定"), this), "grpFile");
    auto *fileLayout = new QGridLayout(grpFile);
    rbImportAdd = Named(new QRadioButton(QStringLiteral("追加"), grpFile), "rbImportAdd");
    rbImportUpdate = Named(new QRadioButton(QStringLiteral("更新"), grpFile), "rbImportUpdate");
    edtFile = Named(new QLineEdit(grpFile), "edtFile");
    edtFile->setMaxLength(200);
    edtFile->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtFile->installEventFilter(this);
    bbtnBrowseFile = makeButton(QStringLiteral("参照"), "bbtnBrowseFile", grpFile);
    fileLayout->addWidget(rbImportAdd, 0, 0);
    fileLayout->addWidget(rbImportUpdate, 0, 1);
    fileLayout->addWidget(edtFile, 1, 0, 1, 3);
    fileLayout->addWidget(bbtnBrowseFile, 1, 3);
    layout->addWidget(grpFile);

    grpItem = Named(new QGroupBox(QStringLiteral("項目の設定"), this), "grpItem");
    grpItem->setProperty("HelpContext", 30); // the assignment has a manual page of its own
    auto *itemLayout = new QGridLayout(grpItem);
    rbRecNo = Named(new QRadioButton(QStringLiteral("レコード番号"), grpItem), "rbRecNo");
    rbCustomCode = Named(new QRadioButton(QStringLiteral("顧客コード"), grpItem), "rbCustomCode");
    rbRecNo->setChecked(true);
    cbxMatchingFileItem = Named(new QComboBox(grpItem), "cbxMatchingFileItem");
    cbxMatchingFileItem->setAttribute(Qt::WA_InputMethodEnabled, false);
    itemLayout->addWidget(rbRecNo, 0, 0);
    itemLayout->addWidget(rbCustomCode, 0, 1);
    itemLayout->addWidget(cbxMatchingFileItem, 0, 2);

    sgDest = Named(new QTableWidget(ImportFieldCount, 1 + TImportAssignment::SlotCount, grpItem), "sgDest");
    QStringList headers{QStringLiteral("項目名")};
    for (int k = 1; k <= TImportAssignment::SlotCount; ++k)
        headers << QStringLiteral("第%1項目").arg(k);
    sgDest->setHorizontalHeaderLabels(headers);
    sgDest->verticalHeader()->hide();
    sgDest->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgDest->setSelectionMode(QAbstractItemView::SingleSelection);
    sgDest->setAttribute(Qt::WA_InputMethodEnabled, false);
    sgDest->setColumnWidth(0, ScaleForDpi(114, true));
    for (int c = 1; c <= TImportAssignment::SlotCount; ++c)
        sgDest->setColumnWidth(c, ScaleForDpi(136, true));
    for (int row = 1; row <= ImportFieldCount; ++row) {
        sgDest->setItem(row - 1, 0, new QTableWidgetItem(m_fields[row - 1].Caption));
        sgDest->setRowHeight(row - 1, fontMetrics().height() + 4);
        for (int c = 1; c <= TImportAssignment::SlotCount; ++c)
            sgDest->setItem(row - 1, c, new QTableWidgetItem);
    }
    sgDest->installEventFilter(this);
    sgDest->setContextMenuPolicy(Qt::CustomContextMenu);

    sgSrc = Named(new QTableWidget(20, 2, grpItem), "sgSrc");
    sgSrc->horizontalHeader()->hide();
    sgSrc->verticalHeader()->hide();
    sgSrc->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgSrc->setSelectionMode(QAbstractItemView::SingleSelection);
    sgSrc->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgSrc->setAttribute(Qt::WA_InputMethodEnabled, false);
    // Two-digit numbers fit whatever the face: the form's 22 pixels were
    // measured for a narrower one.
    sgSrc->setColumnWidth(0, std::max(ScaleForDpi(22, true), sgSrc->fontMetrics().horizontalAdvance(QStringLiteral("99")) + 12));
    sgSrc->setColumnWidth(1, ScaleForDpi(131, true));
    for (int i = 0; i < 20; ++i) {
        sgSrc->setItem(i, 0, new QTableWidgetItem(QString::asprintf("%3d", i + 1)));
        sgSrc->setItem(i, 1, new QTableWidgetItem);
        sgSrc->setRowHeight(i, fontMetrics().height() + 4);
    }
    sgSrc->installEventFilter(this);
    // A sample row dragged onto a destination row is set there (or added).
    sgSrc->setDragEnabled(true);
    sgSrc->setDragDropMode(QAbstractItemView::DragOnly);
    sgDest->setAcceptDrops(true);
    sgDest->viewport()->setAcceptDrops(true);
    sgDest->viewport()->installEventFilter(this);

    auto *buttons = new QVBoxLayout;
    bbtnSet = makeButton(QStringLiteral("セット"), "bbtnSet", grpItem);
    bbtnAdd = makeButton(QStringLiteral("追加"), "bbtnAdd", grpItem);
    bbtnConst = makeButton(QStringLiteral("固定値"), "bbtnConst", grpItem);
    bbtnDelete = makeButton(QStringLiteral("削除"), "bbtnDelete", grpItem);
    bbtnRowClear = makeButton(QStringLiteral("行クリア"), "bbtnRowClear", grpItem);
    bbtnAllClear = makeButton(QStringLiteral("全クリア"), "bbtnAllClear", grpItem);
    bbtnUp = makeButton(QStringLiteral("↑"), "bbtnUp", grpItem);
    bbtnDown = makeButton(QStringLiteral("↓"), "bbtnDown", grpItem);
    bbtnAllSet = makeButton(QStringLiteral("一括セット"), "bbtnAllSet", grpItem);
    for (QPushButton *b : {bbtnSet, bbtnAdd, bbtnConst, bbtnDelete, bbtnRowClear, bbtnAllClear, bbtnUp, bbtnDown,
                           bbtnAllSet})
        buttons->addWidget(b);
    buttons->addStretch();
    // The sample is narrow (number and text); the assignment shows its
    // captions and the first slots.
    sgSrc->setFixedWidth(ScaleForDpi(22 + 131 + 24, true));
    sgDest->setMinimumWidth(ScaleForDpi(114 + 136 * 3 + 24, true));
    sgDest->setMinimumHeight(ScaleForDpi(260, true));
    itemLayout->addWidget(sgSrc, 1, 0, 1, 2);
    itemLayout->addLayout(buttons, 1, 2);
    itemLayout->addWidget(sgDest, 1, 3);
    itemLayout->setColumnStretch(3, 1);
    layout->addWidget(grpItem, 1);

    pmDest = new QMenu(this);
    pmiSetView = Named(pmDest->addAction(QStringLiteral("セットした内容を確認")), "pmiSetView");
    pmiRowClear = Named(pmDest->addAction(QStringLiteral("行クリア")), "pmiRowClear");
    pmiAllClear = Named(pmDest->addAction(QStringLiteral("全クリア")), "pmiAllClear");

    grpOption = Named(new QGroupBox(QStringLiteral("オプション"), this), "grpOption");
    auto *optionLayout = new QVBoxLayout(grpOption);
    chkSkipRecord = Named(new QCheckBox(QStringLiteral("取り込むテキストファイルの１件目は取り込まない"), grpOption),
                          "chkSkipRecord");
    chkNotAutoSupplement = Named(new QCheckBox(QStringLiteral("取り込み項目の自動補完をおこなわない"), grpOption),
                                 "chkNotAutoSupplement");
    chkSetCorp = Named(new QCheckBox(QStringLiteral("会社名が入力された場合に以下の処理をおこなう"), grpOption),
                       "chkSetCorp");
    rbAll = Named(new QRadioButton(QStringLiteral("すべて会社扱いにする"), grpOption), "rbAll");
    rbNoName = Named(new QRadioButton(QStringLiteral("名前の無いデータは会社扱いにする"), grpOption), "rbNoName");
    chkPriorityClass = Named(new QCheckBox(QStringLiteral("個人会社区分を優先する"), grpOption), "chkPriorityClass");
    for (QWidget *w : std::initializer_list<QWidget *>{chkSkipRecord, chkNotAutoSupplement, chkSetCorp, rbAll,
                                                       rbNoName, chkPriorityClass})
        optionLayout->addWidget(w);
    layout->addWidget(grpOption);

    layout->addWidget(new QLabel(QStringLiteral("取り込み先のアドレス帳は 「backup.imp」 という"), this));
    layout->addWidget(new QLabel(QStringLiteral("フォルダーの下にバックアップが作成されます"), this));
    pgbarImport = Named(new QProgressBar(this), "pgbarImport");
    pgbarImport->setValue(0);
    layout->addWidget(pgbarImport);
    auto *bottom = new QHBoxLayout;
    btnImport = makeButton(QStringLiteral("取り込み"), "btnImport", this);
    btnCancel = makeButton(QStringLiteral("キャンセル"), "btnCancel", this);
    bottom->addStretch();
    bottom->addWidget(btnImport);
    bottom->addWidget(btnCancel);
    layout->addLayout(bottom);

    connect(rbImportAdd, &QRadioButton::toggled, this, [this] { ModeChanged(); });
    connect(rbRecNo, &QRadioButton::toggled, this, [this] { SelectMatchingItem(); });
    connect(chkSetCorp, &QCheckBox::toggled, this, [this] { SetCorpChanged(); });
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{chkSkipRecord, chkNotAutoSupplement,
                                                                       chkPriorityClass, rbAll, rbNoName})
        connect(b, &QAbstractButton::toggled, this, [b] { colourCaption(b); });
    connect(bbtnBrowseFile, &QPushButton::clicked, this, [this] { BrowseFile(); });
    connect(bbtnSet, &QPushButton::clicked, this, [this] { SetOrAdd(); });
    connect(bbtnAdd, &QPushButton::clicked, this, [this] { SetOrAdd(); });
    connect(bbtnConst, &QPushButton::clicked, this, [this] { AddConstant(); });
    connect(bbtnDelete, &QPushButton::clicked, this, [this] { DeleteSlot(); });
    connect(bbtnRowClear, &QPushButton::clicked, this, [this] { ClearRow(); });
    connect(bbtnAllClear, &QPushButton::clicked, this, [this] { ClearAll(); });
    connect(bbtnUp, &QPushButton::clicked, this, [this] { MoveRow(-1); });
    connect(bbtnDown, &QPushButton::clicked, this, [this] { MoveRow(1); });
    connect(bbtnAllSet, &QPushButton::clicked, this, [this] { AutoAssign(); });
    connect(btnImport, &QPushButton::clicked, this, [this] { btnImportClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(sgSrc, &QTableWidget::cellDoubleClicked, this, [this] {
        if (m_fileLoaded)
            SetOrAdd();
    });
    connect(sgDest, &QTableWidget::currentCellChanged, this, [this] { UpdateButtons(); });
    connect(sgDest, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        if (m_assignment.IsAssigned(row + 1))
            ShowSetView();
    });
    connect(sgDest, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const int row = sgDest->rowAt(pos.y());
        if (row < 0)
            return;
        SetCurrentRow(row + 1);
        const bool assigned = m_assignment.IsAssigned(row + 1);
        pmiSetView->setEnabled(assigned);
        pmiRowClear->setEnabled(assigned);
        pmiAllClear->setEnabled(bbtnAllClear->isEnabled());
        pmDest->popup(sgDest->viewport()->mapToGlobal(pos));
    });
    connect(pmiSetView, &QAction::triggered, this, [this] { ShowSetView(); });
    connect(pmiRowClear, &QAction::triggered, this, [this] { ClearRow(); });
    connect(pmiAllClear, &QAction::triggered, this, [this] { ClearAll(); });

    // Enter moves on to the next control in these, as in the rest of the
    // program's windows.
    for (QWidget *w : std::initializer_list<QWidget *>{rbImportAdd, rbImportUpdate, rbRecNo, rbCustomCode,
                                                       cbxMatchingFileItem, chkSkipRecord, chkNotAutoSupplement,
                                                       chkSetCorp, rbAll, rbNoName, chkPriorityClass})
        w->installEventFilter(this);

    sgDest->setCurrentCell(0, 1);
    sgSrc->setCurrentCell(0, 1);
}

void TFileImport::ReadSettings()
{
    TMemIniFile ini(SettingsFileName());
    const QSize size = sizeHint();
    const QRect screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->availableGeometry() : QRect();
    const int left = ini.ReadInteger(kSection, QStringLiteral("Left"),
                                     (ScaleForDpi(screen.width(), false) - ScaleForDpi(size.width(), false)) / 2);
    const int top = ini.ReadInteger(kSection, QStringLiteral("Top"),
                                    (ScaleForDpi(screen.height(), false) - ScaleForDpi(size.height(), false)) / 2);
    PlaceWindowFrameAt(this, QPoint(ScaleForDpi(left, true), ScaleForDpi(top, true)));
    const QString file = ini.ReadString(kSection, QStringLiteral("File"), QString());
    if (!file.isEmpty() && QFileInfo::exists(file)) {
        edtFile->setText(file);
        edtFile->setCursorPosition(int(file.size()));
    }
    (ini.ReadInteger(kSection, QStringLiteral("ImportType"), 0) == 1 ? rbImportUpdate : rbImportAdd)->setChecked(true);
    (ini.ReadInteger(kSection, QStringLiteral("MatchingItem"), 0) == 1 ? rbCustomCode : rbRecNo)->setChecked(true);
    chkSkipRecord->setChecked(ini.ReadBool(kSection, QStringLiteral("SkipRecord"), false));
    chkNotAutoSupplement->setChecked(ini.ReadBool(kSection, QStringLiteral("NotAutoSupplement"), false));
    chkSetCorp->setChecked(ini.ReadBool(kSection, QStringLiteral("SetCorp"), false));
    (ini.ReadInteger(kSection, QStringLiteral("SetCorpType"), 0) == 1 ? rbNoName : rbAll)->setChecked(true);
    chkPriorityClass->setChecked(ini.ReadBool(kSection, QStringLiteral("PriorityClass"), true));
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{
             rbImportAdd, rbImportUpdate, rbRecNo, rbCustomCode, chkSkipRecord, chkNotAutoSupplement, chkSetCorp,
             rbAll, rbNoName, chkPriorityClass})
        colourCaption(b);
    SetCorpChanged();
}

void TFileImport::WriteOptions()
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteString(kSection, QStringLiteral("File"), TrimBlanks(edtFile->text()));
    ini.WriteInteger(kSection, QStringLiteral("ImportType"), rbImportUpdate->isChecked() ? 1 : 0);
    ini.WriteInteger(kSection, QStringLiteral("MatchingItem"), rbCustomCode->isChecked() ? 1 : 0);
    ini.WriteBool(kSection, QStringLiteral("SkipRecord"), chkSkipRecord->isChecked());
    ini.WriteBool(kSection, QStringLiteral("NotAutoSupplement"), chkNotAutoSupplement->isChecked());
    ini.WriteBool(kSection, QStringLiteral("SetCorp"), chkSetCorp->isChecked());
    ini.WriteInteger(kSection, QStringLiteral("SetCorpType"), rbNoName->isChecked() ? 1 : 0);
    ini.WriteBool(kSection, QStringLiteral("PriorityClass"), chkPriorityClass->isChecked());
    QString error;
    if (!ini.UpdateFile(&error))
        Inform(error, MB_ICONERROR);
}

void TFileImport::WritePosition()
{
    TMemIniFile ini(SettingsFileName());
    WriteWindowCorner(ini, kSection, this);
    ini.UpdateFileOrTellOnce();
}

void TFileImport::Inform(const QString &Text, unsigned Flags)
{
    ShowMessageBoxAt(this, Text, ProductCaption(), Flags, mbpCenterOnOwner, 0, 0);
}

void TFileImport::ModeChanged()
{
    const bool update = rbImportUpdate->isChecked();
    colourCaption(rbImportAdd);
    colourCaption(rbImportUpdate);
    rbRecNo->setEnabled(update && m_fileLoaded);
    rbCustomCode->setEnabled(update && m_fileLoaded);
    cbxMatchingFileItem->setEnabled(update && m_fileLoaded);
    chkNotAutoSupplement->setEnabled(!update);
    chkSetCorp->setEnabled(!update);
    SetCorpChanged();
}

void TFileImport::SetCorpChanged()
{
    colourCaption(chkSetCorp);
    const bool on = !rbImportUpdate->isChecked() && chkSetCorp->isChecked();
    rbAll->setEnabled(on);
    rbNoName->setEnabled(on);
    chkPriorityClass->setEnabled(on);
}

void TFileImport::SelectMatchingItem()
{
    colourCaption(rbRecNo);
    colourCaption(rbCustomCode);
    if (cbxMatchingFileItem->count() == 0)
        return;
    cbxMatchingFileItem->setCurrentIndex(0);
    const QString wanted = rbRecNo->isChecked() ? QStringLiteral("レコード番号") : QStringLiteral("顧客コード");
    const int index = cbxMatchingFileItem->findText(wanted, Qt::MatchExactly);
    if (index >= 0)
        cbxMatchingFileItem->setCurrentIndex(index);
}

void TFileImport::RestoreFileBox()
{
    if (m_fileLoaded) {
        edtFile->setText(m_loadedFileName);
        edtFile->setCursorPosition(int(m_loadedFileName.size()));
    }
}

bool TFileImport::LoadFile(const QString &Path)
{
    if (IsSameFile(Path, DataPath + QStringLiteral("InError.txt"))) {
        Inform(QStringLiteral("指定したテキストファイルは  \r\nエラー時に出力するファイルと同じため  \r\n"
                              "入力ファイルとして指定できません  "),
               MB_ICONINFORMATION);
        RestoreFileBox();
        return false;
    }
    TImportFile file;
    QString error;
    {
        TWaitCursor wait;
        if (!file.Load(Path, &error)) {
            Inform(QStringLiteral("テキストファイルが読み込めませんでした  \r\n%1  ").arg(error), MB_ICONERROR);
            RestoreFileBox();
            return false;
        }
    }
    // An archive read as text would show its bytes as the first line's
    // fields ("PK□□…"): the encrypted export's archive is named as such.
    if (file.IsZip()) {
        Inform(QStringLiteral("指定したファイルは ZIP ファイルのため取り込めません  \r\n"
                              "テキストファイルの出力で暗号化出力したファイルは、  \r\n"
                              "AES 暗号化に対応した ZIP ツール（7-Zip など）で出力時のパスワードを入れて展開し、  \r\n"
                              "中のテキストファイルを指定してください  "),
               MB_ICONINFORMATION);
        RestoreFileBox();
        return false;
    }
    if (file.IsEmpty()) {
        Inform(QStringLiteral("指定したテキストファイルには内容がありませんでした  "), MB_ICONINFORMATION);
        RestoreFileBox();
        return false;
    }
    if (file.LooksLikeUtf8()) {
        Inform(QStringLiteral("指定したテキストファイルは UTF-8 で書かれているようです  \r\n"
                              "取り込みは Shift-JIS として読みます  \r\n"
                              "Shift-JIS でない行は取り込まれず、InError.txt に記録されます  "),
               MB_ICONWARNING);
    }
    m_file = std::move(file);
    const QByteArray first = m_file.Lines().first().Bytes;
    const QList<QByteArray> parts = SplitCsvLine(first, CountCsvFields(first) + 1, false);
    m_assignment.SetSamples(parts);
    cbxMatchingFileItem->clear();
    sgSrc->setRowCount(int(parts.size()));
    for (int i = 0; i < parts.size(); ++i) {
        const QString text = Cp932::decode(parts[i]);
        cbxMatchingFileItem->addItem(text);
        sgSrc->setItem(i, 0, new QTableWidgetItem(QString::asprintf("%3d", i + 1)));
        sgSrc->setItem(i, 1, new QTableWidgetItem(text));
        sgSrc->setRowHeight(i, fontMetrics().height() + 4);
    }
    sgSrc->setCurrentCell(0, 1);
    m_loadedFileName = Path;
    m_fileLoaded = true;
    ModeChanged();
    SelectMatchingItem();
    ClearAll();
    // A file the export wrote with its header line names its columns with
    // the import's own header names: it is assigned at once, as 一括セット
    // would (without asking: nothing the user set is lost on a fresh load).
    if (m_assignment.IsHeaderLine(m_fields, ExportItemCatalogue()))
        ApplyAutoAssign();
    return true;
}

void TFileImport::EditFileEnter()
{
    const QString path = TrimBlanks(edtFile->text());
    if (path.isEmpty()) {
        bbtnBrowseFile->setFocus();
        return;
    }
    if (!QFileInfo(path).isFile()) {
        Inform(QStringLiteral("指定したテキストファイルが見つかりません  "), MB_ICONINFORMATION);
        edtFile->setFocus();
        RestoreFileBox();
        return;
    }
    if (path != m_loadedFileName && !LoadFile(path))
        return;
    if (sgSrc->isEnabled())
        sgSrc->setFocus();
}

void TFileImport::BrowseFile()
{
    const QFileInfo current(TrimBlanks(edtFile->text()));
    QString start = DataRoot;
    if (!current.filePath().isEmpty() && current.dir().exists())
        start = current.exists() ? current.absoluteFilePath() : current.absolutePath();
    const QString path = QFileDialog::getOpenFileName(
        this, QString(), start,
        QStringLiteral("テキストファイル (*.txt);;ＣＳＶファイル (*.csv);;すべてのファイル (*)"));
    if (!path.isEmpty()) {
        edtFile->setText(path);
        (void)LoadFile(path);
    }
    edtFile->setCursorPosition(int(edtFile->text().size()));
    edtFile->setFocus();
}

int TFileImport::CurrentRow() const
{
    return std::max(sgDest->currentRow(), 0) + 1;
}

void TFileImport::SetCurrentRow(int Row)
{
    sgDest->setCurrentCell(std::clamp(Row, 1, ImportFieldCount) - 1, std::max(sgDest->currentColumn(), 1));
}

void TFileImport::SetCurrentSample(int Index)
{
    sgSrc->setCurrentCell(Index, 1);
}

void TFileImport::ShowRow(int Row)
{
    for (int k = 1; k <= TImportAssignment::SlotCount; ++k) {
        const TImportAssignment::TSlot &slot = m_assignment.Slot(Row, k);
        QTableWidgetItem *item = sgDest->item(Row - 1, k);
        item->setText(slot.Text);
        // Constants in blue, columns with a blank header in red.
        switch (slot.Kind) {
        case TImportAssignment::TSlotKind::Constant: item->setForeground(Qt::blue); break;
        case TImportAssignment::TSlotKind::BlankColumn: item->setForeground(Qt::red); break;
        default: item->setForeground(palette().color(QPalette::Text));
        }
    }
}

void TFileImport::UpdateButtons()
{
    const bool loaded = m_fileLoaded;
    const int row = CurrentRow();
    const bool assigned = loaded && m_assignment.IsAssigned(row);
    const bool full = m_assignment.IsFull(row);
    sgDest->setEnabled(loaded);
    sgSrc->setEnabled(loaded);
    bbtnSet->setVisible(!assigned);
    bbtnAdd->setVisible(assigned);
    bbtnSet->setEnabled(loaded);
    bbtnAdd->setEnabled(loaded && !full);
    bbtnConst->setEnabled(loaded && !full);
    bbtnDelete->setEnabled(assigned);
    bbtnRowClear->setEnabled(assigned);
    bbtnAllClear->setEnabled(loaded && m_assignment.AnyAssigned());
    bbtnUp->setEnabled(assigned && row >= 2);
    bbtnDown->setEnabled(assigned && row < ImportFieldCount);
    bbtnAllSet->setEnabled(loaded);
    btnImport->setEnabled(loaded);
}

void TFileImport::SetOrAdd()
{
    if (!m_fileLoaded || sgSrc->currentRow() < 0)
        return;
    const int row = CurrentRow();
    if (m_assignment.PutSample(row, sgSrc->currentRow()) > 0)
        ShowRow(row);
    UpdateButtons();
    sgDest->setFocus();
}

void TFileImport::AddConstant()
{
    if (!m_fileLoaded)
        return;
    const int row = CurrentRow();
    TConstantInput dialog(this, m_fields[row - 1].Limit);
    if (dialog.exec() == QDialog::Accepted && m_assignment.PutConstant(row, dialog.Text()) > 0)
        ShowRow(row);
    UpdateButtons();
    sgDest->setFocus();
}

void TFileImport::DeleteSlot()
{
    const int row = CurrentRow();
    if (m_assignment.DeleteLast(row) > 0)
        ShowRow(row);
    UpdateButtons();
}

void TFileImport::ClearRow()
{
    const int row = CurrentRow();
    m_assignment.ClearRow(row);
    ShowRow(row);
    UpdateButtons();
}

void TFileImport::ClearAll()
{
    m_assignment.ClearAll();
    for (int row = 1; row <= ImportFieldCount; ++row)
        ShowRow(row);
    SetCurrentRow(1);
    UpdateButtons();
}

void TFileImport::MoveRow(int Delta)
{
    const int row = CurrentRow();
    const int other = row + Delta;
    if (!m_assignment.IsAssigned(row) || other < 1 || other > ImportFieldCount)
        return;
    m_assignment.SwapRows(row, other);
    ShowRow(row);
    ShowRow(other);
    SetCurrentRow(other);
    UpdateButtons();
}

void TFileImport::AutoAssign()
{
    if (!m_fileLoaded)
        return;
    if (ShowMessageBoxAt(this,
                         QStringLiteral("ファイルの項目にある情報を元に  \r\n入力する項目へまとめてセットします  \r\n"
                                        "よろしいですか？  \r\n\r\n※認識する項目名については  \r\n"
                                        "  操作ガイドを参照してください  "),
                         ProductCaption(), MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0) != IDYES)
        return;
    ApplyAutoAssign();
}

void TFileImport::ApplyAutoAssign()
{
    m_assignment.AutoAssign(m_fields);
    chkSkipRecord->setChecked(true);
    for (int row = 1; row <= ImportFieldCount; ++row)
        ShowRow(row);
    UpdateButtons();
}

void TFileImport::ShowSetView()
{
    const int row = CurrentRow();
    QStringList cells;
    for (int k = 1; k <= TImportAssignment::SlotCount; ++k)
        cells << m_assignment.Slot(row, k).Text;
    TSetOrderView view(this, cells);
    view.exec();
}

void TFileImport::btnImportClick()
{
    if (!m_fileLoaded) {
        Inform(QStringLiteral("テキストファイルが読み込まれていません  "), MB_ICONINFORMATION);
        edtFile->setFocus();
        return;
    }
    if (!m_assignment.AnyAssigned()) {
        Inform(QStringLiteral("入力する項目がセットされていません  "), MB_ICONINFORMATION);
        return;
    }
    const bool update = rbImportUpdate->isChecked();
    if (chkSkipRecord->isChecked() && m_file.LineCount() - 1 < 1) {
        Inform(QStringLiteral("指定したテキストファイルには  \r\n内容が１件しかありませんでした  "), MB_ICONINFORMATION);
        return;
    }
    if (update && rbCustomCode->isChecked() && m_assignment.IsAssigned(irCustomCode)) {
        Inform(QStringLiteral("顧客コードで突き合わすため  \r\n顧客コード欄にセットした内容は反映されません  "),
               MB_ICONWARNING);
        SetCurrentRow(irCustomCode);
        ClearRow();
        if (!m_assignment.AnyAssigned()) {
            Inform(QStringLiteral("入力する項目がセットされていません  "), MB_ICONINFORMATION);
            return;
        }
    }
    if (ShowMessageBoxAt(this, QStringLiteral("テキストファイルの取り込みを開始します  \r\nよろしいですか？  "),
                         ProductCaption(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, mbpCenterOnOwner, 0,
                         0) != IDYES)
        return;

    TTable *table = DMMurven19 ? DMMurven19->AdrsTable() : nullptr;
    if (!table || !table->Active() || AdrsFolderIndex < 0 || AdrsFolderIndex >= AdrsFolderList.size()) {
        Inform(QStringLiteral("アドレス帳が開かれていません  "), MB_ICONERROR);
        return;
    }
    repaint();
    // Without the safety copy nothing is written: the user could not go
    // back to the book as it was.
    const TAdrsFolderInfo &book = AdrsFolderList[AdrsFolderIndex];
    QString error;
    {
        TWaitCursor wait;
        if (!BackupBookForImport(AdrsPath + book.Folder,
                                 DataPath + QStringLiteral("backup.imp/Adrs/") + book.Name, &error)) {
            Inform(QStringLiteral("取り込み前のバックアップが作成できなかったため  \r\n"
                                  "取り込みを中止しました  \r\n\r\n%1  ")
                       .arg(error),
                   MB_ICONERROR);
            return;
        }
    }

    std::unique_ptr<TContinualAdrsSearch> search;
    std::unique_ptr<TDicImportAddressLookup> dicLookup;
    TImportContext context;
    context.Options = {chkNotAutoSupplement->isChecked(), chkSetCorp->isChecked(), rbNoName->isChecked() ? 1 : 0,
                       chkPriorityClass->isChecked()};
    // The names as the book holds them now: another window or program may
    // have added groups since this one read them.
    GroupNames = ReadGroupNames(book.Folder);
    for (const QString &name : GroupNames)
        context.GroupNames << name;
    if (AddressList) {
        for (int i = 0; i < AddressList->GetSenderCount(); ++i)
            context.Senders.append({AddressList->GetSenderName(i), AddressList->GetSenderRecNo(i)});
    }
    context.Now = CurrentTimeStamp();
    if (!update && !chkNotAutoSupplement->isChecked()) {
        if (LookupOverride) {
            context.Lookup = LookupOverride;
        } else {
            try {
                search = std::make_unique<TContinualAdrsSearch>(AppPath, AppPath + QStringLiteral("Dic/"));
                dicLookup = std::make_unique<TDicImportAddressLookup>(*search);
                context.Lookup = dicLookup.get();
            } catch (const Exception &e) {
                Inform(e.Message(), MB_ICONERROR);
                return;
            }
        }
    }

    TImportRunOptions options;
    options.Update = update;
    options.MatchByCustomCode = rbCustomCode->isChecked();
    options.MatchColumn = std::max(cbxMatchingFileItem->currentIndex(), 0);
    options.SkipFirst = chkSkipRecord->isChecked();
    TImportRun run(*table, m_file, m_assignment, options, context, DataPath + QStringLiteral("InError.txt"));
    if (DMMurven19)
        run.OnStored = [](const TImportValues &values) { AddWordsToHistories(*DMMurven19, values); };
    // The groups the file brings in are added to the book's group names, as
    // the group-name editor stores them.
    // Each save writes only what the run changed since its last one (its
    // additions, or taking them back) over the names the file holds then:
    // names another window or program gave meanwhile stay.
    auto written = std::make_shared<QStringList>(context.GroupNames);
    run.SaveGroupNames = [folder = book.Folder, written](const QStringList &names, QString *error) {
        TGroupNameList base = GroupNames;
        TGroupNameList changed = GroupNames;
        for (int i = 1; i <= GroupCount; ++i) {
            base[size_t(i)] = written->value(i, base[size_t(i)]);
            changed[size_t(i)] = names.value(i, base[size_t(i)]);
        }
        QString reason;
        int conflict = 0;
        if (!SaveGroupNameChanges(folder, base, changed, &conflict, &reason)) {
            if (error)
                *error = conflict != 0 ? reason
                                       : QStringLiteral("%1 に書き込めませんでした（%2）")
                                             .arg(QDir::toNativeSeparators(GroupFileName(folder)), reason);
            return false;
        }
        *written = names;
        GroupNames = changed;
        return true;
    };
    pgbarImport->setRange(0, int(m_file.LineCount()) - (options.SkipFirst ? 1 : 0));
    pgbarImport->setValue(0);
    run.OnLine = [this](int read) { pgbarImport->setValue(read); };
    grpFile->setEnabled(false);
    grpItem->setEnabled(false);
    grpOption->setEnabled(false);
    const TImportRunReport report = run.Run(this);
    grpFile->setEnabled(true);
    grpItem->setEnabled(true);
    grpOption->setEnabled(true);
    QStringList historyFailures;
    if (DMMurven19 && report.Committed)
        historyFailures = SaveImportHistories(*DMMurven19);

    if (report.LimitReached)
        Inform(QStringLiteral("最大登録件数10万件に達しました  \r\nこれ以上登録できません  "), MB_ICONINFORMATION);
    if (!report.Committed) {
        Inform(QStringLiteral("テキストファイルの取り込みができませんでした  \r\n"
                              "アドレス帳は取り込み前のままです  \r\n\r\n%1  ")
                   .arg(report.Failure),
               MB_ICONERROR);
        return;
    }
    QString text = update ? QStringLiteral("テキストファイルの更新取り込みが完了しました  \r\n\r\n")
                          : QStringLiteral("テキストファイルの追加取り込みが完了しました  \r\n\r\n");
    text += QStringLiteral("読込件数 : %1 件  \r\n").arg(report.ReadCount);
    text += (update ? QStringLiteral("更新件数 : %1 件  ") : QStringLiteral("登録件数 : %1 件  ")).arg(report.StoredCount);
    if (report.GroupLost > 0)
        text += QStringLiteral("\r\nグループ登録不可件数 : %1 件  ").arg(report.GroupLost);
    if (!report.AddedGroups.isEmpty())
        text += QStringLiteral("\r\n\r\n追加したグループ名 : %1  ").arg(report.AddedGroups.join(QStringLiteral("、")));
    if (report.Cancelled)
        text += QStringLiteral("\r\n\r\n途中で中止しました  ");
    // A failure after the commit is the log that could not be written.
    if (report.Rejected > 0 && report.Failure.isEmpty())
        text += QStringLiteral("\r\n\r\n取り込めなかった %1 件は InError.txt に記録しました  ").arg(report.Rejected);
    if (report.GroupLost > 0 && report.Failure.isEmpty())
        text += (update ? QStringLiteral("\r\n\r\nグループ名を追加できなかった %1 件はグループを変更せず、"
                                         "InError.txt に記録しました  ")
                        : QStringLiteral("\r\n\r\nグループ名を追加できなかった %1 件は「指定なし」で登録し、"
                                         "InError.txt に記録しました  "))
                    .arg(report.GroupLost);
    if (!report.Failure.isEmpty())
        text += QStringLiteral("\r\n\r\n%1  ").arg(report.Failure);
    for (const QString &failure : historyFailures)
        text += QStringLiteral("\r\n\r\n%1  ").arg(failure);
    // The records are in either way; a log or an input history that could
    // not be written is a warning the user must not read as plain news.
    Inform(text, report.Failure.isEmpty() && historyFailures.isEmpty() ? MB_ICONINFORMATION : MB_ICONWARNING);
    WriteOptions();
    accept();
}

bool TFileImport::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == sgDest->viewport() &&
        (Event->type() == QEvent::DragEnter || Event->type() == QEvent::DragMove || Event->type() == QEvent::Drop)) {
        auto *drop = static_cast<QDropEvent *>(Event);
        const int row = sgDest->rowAt(drop->position().toPoint().y());
        if (drop->source() != sgSrc || row < 0) {
            drop->ignore();
            return true;
        }
        SetCurrentRow(row + 1);
        drop->acceptProposedAction();
        if (Event->type() == QEvent::Drop)
            SetOrAdd();
        return true;
    }
    if (Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (Watched == edtFile && enter) {
            EditFileEnter();
            return true;
        }
        if (Watched == sgSrc && key == Qt::Key_Insert) {
            SetOrAdd();
            return true;
        }
        if (Watched == sgDest && key == Qt::Key_Delete) {
            DeleteSlot();
            return true;
        }
        if (Watched == sgDest && enter) {
            sgSrc->setFocus();
            return true;
        }
        if (Watched == rbAll || Watched == rbNoName) {
            if (enter) {
                chkPriorityClass->setFocus();
                return true;
            }
        } else if (enter && (Watched == sgSrc || qobject_cast<QAbstractButton *>(Watched) ||
                             Watched == cbxMatchingFileItem)) {
            focusNextChild();
            if (auto *edit = qobject_cast<QLineEdit *>(focusWidget()))
                edit->setCursorPosition(int(edit->text().size()));
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

bool ShowFileImport(QWidget *Owner)
{
    TFileImport window(Owner);
    return window.exec() == QDialog::Accepted;
}

void RegisterFileImport()
{
    FileImportOpener = [](QWidget *Owner) { return ShowFileImport(Owner); };
    TKeywordEdit::OtherItemNames = NamesOfOtherItems;
}
