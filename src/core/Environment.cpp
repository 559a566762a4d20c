#include "core/Environment.h"

#include "core/Env.h"
#include "core/Main.h"
#include "core/UpdateDlg.h"
#include "platform/Colors.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "util/WriteFailure.h"
#include "widgets/CheckedCaption.h"
#include "widgets/EnterKey.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kEnvironment = QStringLiteral("ENVIRONMENT");
const QString kBase = QStringLiteral("BASE");
const QString kOperation = QStringLiteral("OPERATION");
const QString kAddress = QStringLiteral("ADDRESS");
const QString kView = QStringLiteral("VIEW");
const QString kCooperate = QStringLiteral("COOPERATE");
const QString kUpdate = QStringLiteral("UPDATE");
const QString kCommon = QStringLiteral("COMMON");

constexpr int kPageCount = 6;
constexpr int kMaxHisCount = 30;
constexpr int kResetColor = 0xDFFFEF;
const int kHelpContexts[kPageCount] = {2, 5, 6, 7, 8, 9};

TVolumeProbe &volumeProbe()
{
    static TVolumeProbe probe;
    return probe;
}

QString withoutDelimiter(const QString &path)
{
    return path.size() > 1 && path.endsWith(QLatin1Char('/')) ? path.chopped(1) : path;
}

} // namespace

TVolumeState SystemVolumeState(const QString &Path)
{
    // The nearest existing folder tells the volume a missing one would be made on.
    QString existing = QDir::cleanPath(Path);
    while (!QFileInfo(existing).isDir()) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return {};
        existing = parent;
    }
    const QStorageInfo storage(existing);
    TVolumeState state;
    state.Found = storage.isValid() && storage.isReady();
    state.Remote = IsRemoteFileSystemType(QString::fromLatin1(storage.fileSystemType()));
    state.ReadOnly = storage.isReadOnly();
    return state;
}

TVolumeProbe SetVolumeProbe(TVolumeProbe Probe)
{
    TVolumeProbe previous = volumeProbe();
    volumeProbe() = std::move(Probe);
    return previous;
}

TDataFolderCheck CheckDataFolder(const QString &Text, const TVolumeProbe &Probe)
{
    const QString text = Text.trimmed();
    if (text.isEmpty())
        return {TDataFolderError::Empty, {}};
    // An absolute path without control characters; "." and ".." are resolved
    // so the folder kept is the one the user means.
    if (!text.startsWith(QLatin1Char('/'))
        || std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }))
        return {TDataFolderError::Invalid, {}};
    const QString folder = Folders::includeTrailingPathDelimiter(QDir::cleanPath(text));
    if (folder.size() > MaxDataPathLength)
        return {TDataFolderError::Invalid, {}};
    const TVolumeState volume = (Probe ? Probe : SystemVolumeState)(folder);
    if (!volume.Found)
        return {TDataFolderError::Invalid, {}};
    if (volume.Remote)
        return {TDataFolderError::NotLocal, {}};
    if (volume.ReadOnly)
        return {TDataFolderError::ReadOnly, {}};
    return {TDataFolderError::None, folder};
}

QStringList PushRecentFolder(QStringList List, const QString &Folder)
{
    List.removeAll(Folder);
    List.prepend(Folder);
    return List;
}

QString CustomColorFileName()
{
    return DataRoot + QStringLiteral("CstmClr.ini");
}

std::optional<QColor> ChooseCustomColor(QWidget *Parent, const QColor &Initial, TMemIniFile &Ini)
{
    for (int i = 0; i < 16; ++i) {
        const QString value = Ini.ReadString(kCommon, QString::number(i), QStringLiteral("000000"));
        QColorDialog::setCustomColor(i, ColorToQColor(HexToColor(value, clBlack)));
    }
    QColorDialog dialog(Initial, Parent);
    dialog.setObjectName(QStringLiteral("ColorDialog"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.adjustSize();
    const QRect area = Parent->screen() ? Parent->screen()->availableGeometry() : QRect();
    QPoint pos = Parent->frameGeometry().topLeft() + QPoint(15, 15);
    if (area.isValid()) {
        const QSize size = dialog.frameGeometry().size();
        pos.setX(std::max(area.left(), std::min(pos.x(), area.right() + 1 - size.width())));
        pos.setY(std::max(area.top(), std::min(pos.y(), area.bottom() + 1 - size.height())));
    }
    dialog.move(pos);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    for (int i = 0; i < 16; ++i)
        Ini.WriteString(kCommon, QString::number(i), ColorToHex(QColorToColor(QColorDialog::customColor(i))));
    return dialog.selectedColor();
}

// ---------------------------------------------------------------------------

TEnvironment::TEnvironment(QWidget *Owner)
    : QDialog(Owner)
{
    setObjectName(QStringLiteral("Environment"));
    UpdateRun = [](QWidget *owner) { return RunUpdateCheck(owner, true); };
    setWindowTitle(QStringLiteral("環境設定"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    {
        const TMemIniFile ini(SettingsFileName());
        m_page = ini.ReadInteger(kEnvironment, QStringLiteral("InitTab"), 0);
        if (m_page < 0 || m_page >= kPageCount)
            m_page = 0;
        for (int i = 1; i <= RecentFolderCount; ++i) {
            const QString folder = ini.ReadString(kEnvironment, QStringLiteral("DataPath%1").arg(i), QString());
            if (!folder.isEmpty() && !m_recent.contains(folder))
                m_recent << folder;
        }
    }

    tvEnv = new QTreeWidget(this);
    tvEnv->setObjectName(QStringLiteral("tvEnv"));
    tvEnv->setHeaderHidden(true);
    tvEnv->setRootIsDecorated(false);
    tvEnv->setItemsExpandable(false);
    tvEnv->setFixedWidth(140);
    pgctlEnv = new QStackedWidget(this);
    pgctlEnv->setObjectName(QStringLiteral("pgctlEnv"));
    const QStringList pages = {QStringLiteral("基本設定"), QStringLiteral("動作"),       QStringLiteral("アドレス帳"),
                               QStringLiteral("表示"),     QStringLiteral("連携ソフト"), QStringLiteral("アップデート")};
    for (const QString &page : pages)
        new QTreeWidgetItem(tvEnv, QStringList{page});
    pgctlEnv->addWidget(CreateBasePage());
    pgctlEnv->addWidget(CreateOperationPage());
    pgctlEnv->addWidget(CreateAddressPage());
    pgctlEnv->addWidget(CreateViewPage());
    pgctlEnv->addWidget(CreateCooperatePage());
    pgctlEnv->addWidget(CreateUpdatePage());
    connect(tvEnv, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            ShowPage(tvEnv->indexOfTopLevelItem(item));
    });
    tvEnv->installEventFilter(this);

    btnSet = new QPushButton(QStringLiteral("設定"), this);
    btnSet->setObjectName(QStringLiteral("btnSet"));
    btnSet->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnSet, &QPushButton::clicked, this, &TEnvironment::btnSetClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *body = new QHBoxLayout;
    body->addWidget(tvEnv);
    body->addWidget(pgctlEnv, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSet);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    for (QCheckBox *box : findChildren<QCheckBox *>()) {
        PaintCheckedCaption(box);
        connect(box, &QCheckBox::toggled, this, [box] { PaintCheckedCaption(box); });
        box->installEventFilter(this);
    }
    for (QComboBox *combo : {cbxDrive, cbxMapSoft, cbxMapSearchKind, cbxRootSoft})
        combo->installEventFilter(this);
    ShowPage(m_page);
    adjustSize();
}

QWidget *TEnvironment::CreateBasePage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    auto *areas = new QGroupBox(QStringLiteral("検索対象地域"), page);
    auto *grid = new QGridLayout(areas);
    for (int i = 1; i <= AreaCount; ++i) {
        chkArea[size_t(i)] = new QCheckBox(AreaCaptions[size_t(i)], areas);
        chkArea[size_t(i)]->setObjectName(QStringLiteral("chkArea%1").arg(i));
        const bool installed = SearchAreaList.contains(AreaKeyNames[size_t(i)]);
        chkArea[size_t(i)]->setEnabled(installed);
        chkArea[size_t(i)]->setChecked(installed && UseArea[size_t(i)]);
        grid->addWidget(chkArea[size_t(i)], (i - 1) / 4, (i - 1) % 4);
    }
    layout->addWidget(areas);

    auto *drive = new QGroupBox(QStringLiteral("DVD-ROMドライブ"), page);
    auto *driveRow = new QHBoxLayout(drive);
    cbxDrive = new QComboBox(drive);
    cbxDrive->setObjectName(QStringLiteral("cbxDrive"));
    auto *bbtnDriveUpdate = new QPushButton(QStringLiteral("更新"), drive);
    bbtnDriveUpdate->setObjectName(QStringLiteral("bbtnDriveUpdate"));
    auto *bbtnHDDInstall = new QPushButton(QStringLiteral("電話帳データのインストール"), drive);
    bbtnHDDInstall->setObjectName(QStringLiteral("bbtnHDDInstall"));
    driveRow->addWidget(cbxDrive, 1);
    driveRow->addWidget(bbtnDriveUpdate);
    driveRow->addWidget(bbtnHDDInstall);
    layout->addWidget(drive);
    connect(bbtnDriveUpdate, &QPushButton::clicked, this, [this] { FillDrives(true); });
    connect(bbtnHDDInstall, &QPushButton::clicked, this, [this] {
        if (HddInstall) {
            TWaitCursor wait;
            HddInstall(this);
        }
    });
    // Enabled on show, once the caller has handed in the installation window.
    bbtnHDDInstall->setEnabled(false);
    FillDrives(false);

    auto *data = new QGroupBox(QStringLiteral("データの保存先"), page);
    auto *dataRow = new QHBoxLayout(data);
    cbxDataPath = new QComboBox(data);
    cbxDataPath->setObjectName(QStringLiteral("cbxDataPath"));
    cbxDataPath->setEditable(true);
    cbxDataPath->setInsertPolicy(QComboBox::NoInsert);
    cbxDataPath->lineEdit()->setMaxLength(MaxDataPathLength);
    cbxDataPath->addItems(m_recent);
    m_initialDataPath = withoutDelimiter(DataPath);
    cbxDataPath->setCurrentIndex(-1);
    cbxDataPath->setEditText(m_initialDataPath);
    cbxDataPath->installEventFilter(this);
    auto *bbtnBrowseDataPath = new QPushButton(QStringLiteral("参照"), data);
    bbtnBrowseDataPath->setObjectName(QStringLiteral("bbtnBrowseDataPath"));
    connect(bbtnBrowseDataPath, &QPushButton::clicked, this, &TEnvironment::BrowseDataPath);
    dataRow->addWidget(cbxDataPath, 1);
    dataRow->addWidget(bbtnBrowseDataPath);
    layout->addWidget(data);
    layout->addStretch();
    return page;
}

QWidget *TEnvironment::CreateOperationPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    chkViewSplash = new QCheckBox(QStringLiteral("アプリケーション起動時にスプラッシュ画面を表示する"), page);
    chkViewSplash->setObjectName(QStringLiteral("chkViewSplash"));
    chkViewSplash->setChecked(ReadViewSplash());
    layout->addWidget(chkViewSplash);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("入力履歴の表示件数"), page));
    edtHisCount = new QLineEdit(page);
    edtHisCount->setObjectName(QStringLiteral("edtHisCount"));
    edtHisCount->setMaxLength(2);
    edtHisCount->setFixedWidth(48);
    edtHisCount->setToolTip(QStringLiteral("0～30（↑↓で1、PageUp/PageDownで10ずつ変わります）"));
    m_hisCount = std::clamp(HisCount, 0, kMaxHisCount);
    edtHisCount->setText(QString::number(m_hisCount));
    edtHisCount->installEventFilter(this);
    row->addWidget(edtHisCount);
    row->addWidget(new QLabel(QStringLiteral("件（0～30）"), page));
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
    return page;
}

QWidget *TEnvironment::CreateAddressPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    auto *save = new QGroupBox(QStringLiteral("データ照会画面で入力内容を自動的に保存する"), page);
    auto *saveLayout = new QVBoxLayout(save);
    auto check = [](QWidget *parent, QBoxLayout *into, const char *name, const QString &caption, bool on) {
        auto *box = new QCheckBox(caption, parent);
        box->setObjectName(QLatin1String(name));
        box->setChecked(on);
        into->addWidget(box);
        return box;
    };
    chkChangeData = check(save, saveLayout, "chkChangeData", QStringLiteral("別のデータを照会する時"), AddressChangeData);
    chkFormClose = check(save, saveLayout, "chkFormClose", QStringLiteral("画面を閉じる時"), AddressFormClose);
    chkConfirmation = check(save, saveLayout, "chkConfirmation", QStringLiteral("保存前に確認メッセージを表示する"),
                            AddressConfirmation);
    chkOutOfTarget = check(save, saveLayout, "chkOutOfTarget",
                           QStringLiteral("検索した直後のデータは登録保存の対象にしない"), AddressOutOfTarget);
    layout->addWidget(save);
    chkSameNum = check(page, layout, "chkSameNum", QStringLiteral("登録時に同じ電話番号のデータが存在するかチェックする"),
                       AddressSameNum);
    layout->addStretch();
    connect(chkChangeData, &QCheckBox::toggled, this, &TEnvironment::UpdateAddressChecks);
    connect(chkFormClose, &QCheckBox::toggled, this, &TEnvironment::UpdateAddressChecks);
    UpdateAddressChecks();
    return page;
}

QWidget *TEnvironment::CreateViewPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    chkBGPaint = new QCheckBox(QStringLiteral("データ照会画面の参照先となる一覧の背景に色をつける"), page);
    chkBGPaint->setObjectName(QStringLiteral("chkBGPaint"));
    chkBGPaint->setChecked(ViewBGPaint);
    layout->addWidget(chkBGPaint);
    auto *row = new QHBoxLayout;
    pnlBGColor = new QFrame(page);
    pnlBGColor->setObjectName(QStringLiteral("pnlBGColor"));
    pnlBGColor->setFrameShape(QFrame::Box);
    pnlBGColor->setAutoFillBackground(true);
    pnlBGColor->setFixedSize(80, 24);
    bbtnBGColor = new QPushButton(QStringLiteral("色の変更"), page);
    bbtnBGColor->setObjectName(QStringLiteral("bbtnBGColor"));
    bbtnBGColor->setToolTip(QStringLiteral("色の変更"));
    bbtnResetColor = new QPushButton(QStringLiteral("色の初期化"), page);
    bbtnResetColor->setObjectName(QStringLiteral("bbtnResetColor"));
    bbtnResetColor->setToolTip(QStringLiteral("色の初期化"));
    row->addSpacing(20);
    row->addWidget(pnlBGColor);
    row->addWidget(bbtnBGColor);
    row->addWidget(bbtnResetColor);
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
    m_color = ViewBGColor & 0xFFFFFF;
    UpdateColorButtons();
    connect(chkBGPaint, &QCheckBox::toggled, this, &TEnvironment::UpdateColorButtons);
    connect(bbtnBGColor, &QPushButton::clicked, this, &TEnvironment::ChooseColor);
    connect(bbtnResetColor, &QPushButton::clicked, this, [this] {
        m_color = kResetColor;
        UpdateColorButtons();
    });
    return page;
}

QWidget *TEnvironment::CreateCooperatePage()
{
    auto *page = new QWidget(this);
    auto *layout = new QGridLayout(page);
    cbxMapSoft = new QComboBox(page);
    cbxMapSoft->setObjectName(QStringLiteral("cbxMapSoft"));
    cbxMapSoft->addItems({QStringLiteral("AtlasMate4/5"), QStringLiteral("プロアトラス2002"),
                          QStringLiteral("プロアトラスＷ～Ｗ３/SV～SV7"), QStringLiteral("電子アトラスＺⅡ～５"),
                          QStringLiteral("QorNAVI"), QStringLiteral("MapFanⅣ/Ⅴ"), QStringLiteral("MapFan.net"),
                          QStringLiteral("MapFan PLANNER1/2"), QStringLiteral("スーパーマップル・デジタル Ver.1～14"),
                          QStringLiteral("グランマップ東京都全域版")});
    cbxMapSoft->setMaxVisibleItems(10);
    cbxMapSoft->setCurrentIndex(std::clamp(CooperateMap, 0, 9));
    cbxMapSearchKind = new QComboBox(page);
    cbxMapSearchKind->setObjectName(QStringLiteral("cbxMapSearchKind"));
    FillMapSearchKind();
    cbxMapSearchKind->setCurrentIndex(std::clamp(CooperateMapSearchKind, 0, 1));
    connect(cbxMapSoft, &QComboBox::currentIndexChanged, this, [this] {
        const int kind = cbxMapSearchKind->currentIndex();
        FillMapSearchKind();
        cbxMapSearchKind->setCurrentIndex(std::max(kind, 0));
    });
    cbxRootSoft = new QComboBox(page);
    cbxRootSoft->setObjectName(QStringLiteral("cbxRootSoft"));
    cbxRootSoft->addItems({QStringLiteral("駅すぱあと"), QStringLiteral("乗換案内")});
    cbxRootSoft->setCurrentIndex(std::clamp(CooperateRoot, 0, 1));
    layout->addWidget(new QLabel(QStringLiteral("地図ソフト"), page), 0, 0);
    layout->addWidget(cbxMapSoft, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("検索方法"), page), 1, 0);
    layout->addWidget(cbxMapSearchKind, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("路線検索ソフト"), page), 2, 0);
    layout->addWidget(cbxRootSoft, 2, 1);
    layout->setRowStretch(3, 1);
    return page;
}

QWidget *TEnvironment::CreateUpdatePage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    chkUpdate = new QCheckBox(QStringLiteral("起動時に最新アップデートの確認をする"), page);
    chkUpdate->setObjectName(QStringLiteral("chkUpdate"));
    chkUpdate->setChecked(UpdateCheck);
    layout->addWidget(chkUpdate);
    auto *bbtnUpdate = new QPushButton(QStringLiteral("アップデートの確認"), page);
    bbtnUpdate->setObjectName(QStringLiteral("bbtnUpdate"));
    connect(bbtnUpdate, &QPushButton::clicked, this, &TEnvironment::UpdateCheckClick);
    auto *row = new QHBoxLayout;
    row->addWidget(bbtnUpdate);
    row->addStretch();
    layout->addLayout(row);
    // Without an update server no check can run: none is offered, and the
    // page says why (the stored choice is kept for when one is set).
    if (!UpdateConfigured()) {
        chkUpdate->setChecked(false);
        chkUpdate->setEnabled(false);
        bbtnUpdate->setEnabled(false);
        auto *none = new QLabel(UpdateNotConfiguredText().replace(QStringLiteral("  \r\n"), QStringLiteral("、")).trimmed(), page);
        none->setObjectName(QStringLiteral("lblUpdateNone"));
        layout->addWidget(none);
    }
    layout->addStretch();
    return page;
}

void TEnvironment::FillMapSearchKind()
{
    const QSignalBlocker block(cbxMapSearchKind);
    cbxMapSearchKind->clear();
    cbxMapSearchKind->addItem(QStringLiteral("緯度・経度を優先"));
    cbxMapSearchKind->addItem(cbxMapSoft->currentIndex() == 0 ? QStringLiteral("電話番号を優先")
                                                               : QStringLiteral("住所を優先"));
}

void TEnvironment::FillDrives(bool Rescan)
{
    if (Rescan) {
        ListDrives(SearchDriveExtend ? (dkCdRom | dkRemote) : dkCdRom);
        if (DriveCount == 0)
            ShowMessageBoxAt(this,
                             QStringLiteral("使用可能なDVD-ROMドライブが検出できませんでした  \r\n"
                                            "DVD-ROMを使用した検索を利用できません  "),
                             ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    }
    cbxDrive->clear();
    for (int i = 0; i < DriveCount; ++i) {
        const QString drive = withoutDelimiter(DriveList[size_t(i)]);
        const QString label = QStorageInfo(drive).name().trimmed();
        // The mount point rides with the item: the shown text cannot be
        // taken apart again when the label is part of the mount point.
        cbxDrive->addItem(label.isEmpty() ? drive : drive + QStringLiteral(" [") + label + QLatin1Char(']'), drive);
    }
    if (cbxDrive->count() == 0)
        return;
    cbxDrive->setCurrentIndex(0);
    const QString dvd = withoutDelimiter(SearchDataPath);
    for (int i = 0; i < cbxDrive->count(); ++i) {
        if (cbxDrive->itemData(i).toString() == dvd)
            cbxDrive->setCurrentIndex(i);
    }
}

void TEnvironment::UpdateAddressChecks()
{
    // Disabled boxes keep their states; they are saved as they stand.
    const bool on = chkChangeData->isChecked() || chkFormClose->isChecked();
    chkConfirmation->setEnabled(on);
    chkOutOfTarget->setEnabled(on);
}

void TEnvironment::UpdateColorButtons()
{
    QPalette palette = pnlBGColor->palette();
    palette.setColor(QPalette::Window, ColorToQColor(m_color));
    pnlBGColor->setPalette(palette);
    bbtnBGColor->setEnabled(chkBGPaint->isChecked());
    bbtnResetColor->setEnabled(chkBGPaint->isChecked());
}

void TEnvironment::ChooseColor()
{
    TMemIniFile ini(CustomColorFileName());
    const std::optional<QColor> chosen = ChooseCustomColor(this, ColorToQColor(m_color), ini);
    if (!chosen)
        return;
    m_color = QColorToColor(*chosen) & 0xFFFFFF;
    UpdateColorButtons();
    QString error;
    if (!ini.UpdateFile(&error))
        ShowWriteFailure(this, QStringLiteral("作成した色"), CustomColorFileName(), error);
}

void TEnvironment::BrowseDataPath()
{
    const QString typed = cbxDataPath->currentText().trimmed();
    const QString start = QFileInfo(typed).isDir() ? typed : DataRoot;
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("データの保存先を指定してください"),
                                                             start, QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty())
        cbxDataPath->setEditText(withoutDelimiter(chosen));
}

void TEnvironment::UpdateCheckClick()
{
    if (!UpdateRun)
        return;
    if (UpdateRun(this)) {
        m_restart = true;
        reject();
    }
}

void TEnvironment::ShowPage(int Index)
{
    if (Index < 0 || Index >= kPageCount)
        return;
    m_page = Index;
    pgctlEnv->setCurrentIndex(Index);
    setProperty("HelpContext", kHelpContexts[Index]);
    if (tvEnv->currentItem() != tvEnv->topLevelItem(Index)) {
        const QSignalBlocker block(tvEnv);
        tvEnv->setCurrentItem(tvEnv->topLevelItem(Index));
    }
}

int TEnvironment::HelpContext() const
{
    return kHelpContexts[m_page];
}

void TEnvironment::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    // The installation window belongs to the directory search, which the caller hands in.
    if (auto *install = findChild<QPushButton *>(QStringLiteral("bbtnHDDInstall")))
        install->setEnabled(static_cast<bool>(HddInstall));
    ShowPage(m_page);
    tvEnv->setFocus();
}

void TEnvironment::ApplyHisCountText()
{
    const QString text = edtHisCount->text();
    bool digits = !text.isEmpty();
    for (const QChar c : text)
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int value = digits ? text.toInt() : -1;
    if (value >= 0 && value <= kMaxHisCount)
        m_hisCount = value;
    edtHisCount->setText(QString::number(m_hisCount));
}

void TEnvironment::StepHisCount(int Delta)
{
    ApplyHisCountText();
    m_hisCount = std::clamp(m_hisCount + Delta, 0, kMaxHisCount);
    edtHisCount->setText(QString::number(m_hisCount));
    edtHisCount->selectAll();
}

bool TEnvironment::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == edtHisCount) {
        if (Event->type() == QEvent::FocusOut)
            ApplyHisCountText();
        if (Event->type() == QEvent::KeyPress) {
            switch (static_cast<QKeyEvent *>(Event)->key()) {
            case Qt::Key_Up:
                StepHisCount(1);
                return true;
            case Qt::Key_Down:
                StepHisCount(-1);
                return true;
            case Qt::Key_PageUp:
                StepHisCount(10);
                return true;
            case Qt::Key_PageDown:
                StepHisCount(-10);
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter: {
                const int before = m_hisCount;
                ApplyHisCountText();
                if (m_hisCount == before)
                    focusNextChild();
                return true;
            }
            default:
                break;
            }
        }
    } else if (Watched == tvEnv && IsEnterKeyPress(Event)) {
        QWidget *first[kPageCount] = {nullptr, edtHisCount, chkChangeData, chkBGPaint, cbxMapSoft, chkUpdate};
        for (int i = 1; i <= AreaCount && !first[0]; ++i) {
            if (chkArea[size_t(i)]->isEnabled())
                first[0] = chkArea[size_t(i)];
        }
        if (QWidget *target = first[m_page] ? first[m_page] : cbxDataPath)
            target->setFocus();
        return true;
    } else if (Watched == cbxDrive && IsEnterKeyPress(Event)) {
        // Enter moves on through the fields; only btnSet itself saves.
        cbxDataPath->setFocus();
        cbxDataPath->lineEdit()->end(false);
        return true;
    } else if ((Watched == chkBGPaint || Watched == chkUpdate) && IsEnterKeyPress(Event)) {
        btnSet->setFocus();
        return true;
    } else if ((qobject_cast<QCheckBox *>(Watched) || Watched == cbxMapSoft || Watched == cbxMapSearchKind ||
                Watched == cbxRootSoft) &&
               IsEnterKeyPress(Event)) {
        focusNextChild();
        if (auto *edit = qobject_cast<QLineEdit *>(QApplication::focusWidget()))
            edit->end(false);
        return true;
    } else if (Watched == cbxDataPath && IsEnterKeyPress(Event)) {
        if (cbxDataPath->currentText().isEmpty())
            findChild<QPushButton *>(QStringLiteral("bbtnBrowseDataPath"))->setFocus();
        else
            btnSet->setFocus();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TEnvironment::Fail(const QString &Text, QWidget *Focus, unsigned Flags)
{
    ShowMessageBoxAt(this, Text, ProductCaption(), Flags, mbpCenterOnOwner, 0, 0);
    if (Focus) {
        for (int page = 0; page < kPageCount; ++page) {
            if (pgctlEnv->widget(page)->isAncestorOf(Focus))
                ShowPage(page);
        }
        Focus->setFocus();
    }
}

void TEnvironment::btnSetClick()
{
    TWaitCursor wait;
    ApplyHisCountText();

    // 1. At least one installed region searched.
    QCheckBox *firstArea = nullptr;
    bool anyArea = false;
    bool areasChanged = false;
    for (int i = 1; i <= AreaCount; ++i) {
        QCheckBox *box = chkArea[size_t(i)];
        if (box->isEnabled() && !firstArea)
            firstArea = box;
        anyArea = anyArea || box->isChecked();
        areasChanged = areasChanged || box->isChecked() != UseArea[size_t(i)];
    }
    if (firstArea && !anyArea) {
        Fail(QStringLiteral("検索対象地域を１つ以上指定してください  "), firstArea, MB_ICONINFORMATION);
        return;
    }

    // 2. The data folder.
    const TDataFolderCheck check = CheckDataFolder(cbxDataPath->currentText(), volumeProbe());
    switch (check.Error) {
    case TDataFolderError::None:
        break;
    case TDataFolderError::Empty:
        Fail(QStringLiteral("フォルダーを指定してください  "), cbxDataPath, MB_ICONINFORMATION);
        return;
    case TDataFolderError::Invalid:
        Fail(QStringLiteral("指定したフォルダーは無効です  "), cbxDataPath, MB_ICONINFORMATION);
        return;
    case TDataFolderError::NotLocal:
        Fail(QStringLiteral("ハードディスクドライブか  \r\nリムーバブルドライブを指定してください  "), cbxDataPath,
             MB_ICONINFORMATION);
        return;
    case TDataFolderError::ReadOnly:
        Fail(QStringLiteral("書き込みのできないドライブです  \r\n書き込みのできるドライブを指定してください  "),
             cbxDataPath, MB_ICONINFORMATION);
        return;
    }
    const QString folder = check.Folder;
    if (!QFileInfo(folder).isDir()) {
        if (QFileInfo::exists(withoutDelimiter(folder))) {
            Fail(QStringLiteral("指定したフォルダーは無効です  "), cbxDataPath, MB_ICONINFORMATION);
            return;
        }
        if (ShowMessageBoxAt(this,
                             QStringLiteral("指定したフォルダーが見つかりません  \r\n作成してもよろしいですか？  "),
                             ProductCaption(), MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0) != IDYES) {
            cbxDataPath->setFocus();
            return;
        }
        if (!Folders::makePrivatePath(folder)) {
            Fail(QStringLiteral("フォルダーが作成できませんでした  "), cbxDataPath, MB_ICONERROR);
            return;
        }
    }
    if (!QFileInfo(folder).isWritable()) {
        Fail(QStringLiteral("指定したフォルダーに書き込めません  \r\n別のフォルダーを指定してください  "), cbxDataPath,
             MB_ICONINFORMATION);
        return;
    }

    // 3. The change flags. Letter case counts: another case is another folder.
    TEnvironmentChanges changes;
    changes.Areas = areasChanged;
    changes.DataPath = folder != Folders::includeTrailingPathDelimiter(m_initialDataPath);
    changes.HisCount = m_hisCount != HisCount;
    const int color = m_color;
    changes.ListColor = chkBGPaint->isChecked() != ViewBGPaint || color != ViewBGColor;
    changes.Cooperate = cbxMapSoft->currentIndex() != CooperateMap || cbxRootSoft->currentIndex() != CooperateRoot;

    // 4. A new data folder: the other windows close and the list keeps its
    // settings in the old folder before anything is written.
    if (changes.DataPath) {
        if (CloseChildWindows && !CloseChildWindows())
            return;
        if (SaveListSettings)
            SaveListSettings();
    }

    // 5. Write the settings file; the program's variables change only when
    // it was written, so a failure leaves the run as it was.
    TMemIniFile ini(SettingsFileName());
    // With no disc drive found the drive setting stays as it was.
    const QString drive = cbxDrive->count() > 0 ? cbxDrive->currentData().toString() : QString();
    if (!drive.isEmpty())
        ini.WriteString(kBase, QStringLiteral("DVD"), drive);
    for (int i = 1; i <= AreaCount; ++i)
        ini.WriteBool(kBase, QStringLiteral("Use%1").arg(i), chkArea[size_t(i)]->isChecked());
    // A run on the stand-in folder (the configured one was not there at the
    // start) keeps the configured folder and book unless the user chose a
    // folder here.
    const bool keepConfigured = !UnavailableDataPath.isEmpty() && !changes.DataPath;
    const QString adrsName = changes.DataPath ? QStringLiteral("アドレス") : AdrsName;
    if (!keepConfigured) {
        ini.WriteString(kBase, QStringLiteral("DataPath"), folder);
        ini.WriteString(kBase, QStringLiteral("AdrsName"), adrsName);
    }
    ini.WriteBool(kOperation, QStringLiteral("ViewSplash"), chkViewSplash->isChecked());
    ini.WriteInteger(kOperation, QStringLiteral("HisCount"), m_hisCount);
    ini.WriteBool(kAddress, QStringLiteral("ChangeData"), chkChangeData->isChecked());
    ini.WriteBool(kAddress, QStringLiteral("FormClose"), chkFormClose->isChecked());
    ini.WriteBool(kAddress, QStringLiteral("Confirmation"), chkConfirmation->isChecked());
    ini.WriteBool(kAddress, QStringLiteral("OutOfTarget"), chkOutOfTarget->isChecked());
    ini.WriteBool(kAddress, QStringLiteral("SameNum"), chkSameNum->isChecked());
    ini.WriteBool(kView, QStringLiteral("BGPaint"), chkBGPaint->isChecked());
    ini.WriteInteger(kView, QStringLiteral("BGColor"), color);
    ini.WriteInteger(kCooperate, QStringLiteral("Map"), cbxMapSoft->currentIndex());
    ini.WriteInteger(kCooperate, QStringLiteral("MapSearchKind"), cbxMapSearchKind->currentIndex());
    ini.WriteInteger(kCooperate, QStringLiteral("Root"), cbxRootSoft->currentIndex());
    const bool updateCheck = UpdateConfigured() ? chkUpdate->isChecked() : UpdateCheck;
    ini.WriteBool(kUpdate, QStringLiteral("UpdateCheck"), updateCheck);
    QString error;
    if (!ini.UpdateFile(&error)) {
        ShowWriteFailure(this, QStringLiteral("環境設定"), SettingsFileName(), error);
        return;
    }

    if (!drive.isEmpty())
        SearchDataPath = drive;
    for (int i = 1; i <= AreaCount; ++i)
        UseArea[size_t(i)] = chkArea[size_t(i)]->isChecked();
    if (changes.DataPath) {
        SetDataPath(folder);
        AdrsName = adrsName;
        UnavailableDataPath.clear();
    }
    HisCount = m_hisCount;
    AddressChangeData = chkChangeData->isChecked();
    AddressFormClose = chkFormClose->isChecked();
    AddressConfirmation = chkConfirmation->isChecked();
    AddressOutOfTarget = chkOutOfTarget->isChecked();
    AddressSameNum = chkSameNum->isChecked();
    ViewBGPaint = chkBGPaint->isChecked();
    ViewBGColor = color;
    CooperateMap = cbxMapSoft->currentIndex();
    CooperateMapSearchKind = cbxMapSearchKind->currentIndex();
    CooperateRoot = cbxRootSoft->currentIndex();
    UpdateCheck = updateCheck;

    m_changes = changes;
    m_recent = PushRecentFolder(m_recent, folder);
    accept();
}

bool TEnvironment::WriteRecentFolders()
{
    if (!QFileInfo::exists(SettingsFileName()))
        return true;
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(kEnvironment, QStringLiteral("InitTab"), m_page);
    for (int i = 1; i <= RecentFolderCount; ++i)
        ini.DeleteKey(kEnvironment, QStringLiteral("DataPath%1").arg(i));
    for (int i = 0; i < std::min<qsizetype>(RecentFolderCount, m_recent.size()); ++i)
        ini.WriteString(kEnvironment, QStringLiteral("DataPath%1").arg(i + 1), m_recent[i]);
    QString error;
    if (ini.UpdateFile(&error))
        return true;
    ShowWriteFailure(this, QStringLiteral("環境設定の画面の状態"), SettingsFileName(), error);
    return false;
}

void TEnvironment::done(int Result)
{
    (void)WriteRecentFolders();
    QDialog::done(Result);
}
