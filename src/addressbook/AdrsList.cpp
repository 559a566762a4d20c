#include "addressbook/AdrsList.h"

#include "addressbook/AdrsCopy.h"
#include "addressbook/BatchChg.h"
#include "addressbook/DtInqiry.h"
#include "addressbook/DtInqiryTel.h"

#include "addressbook/AdrsListDelegate.h"
#include "addressbook/AdrsListModel.h"
#include "addressbook/AdrsListView.h"
#include "core/AdrsSel.h"
#include "directory/HDDInst.h"
#include "directory/NmAdSch.h"
#include "core/DBInfo.h"
#include "core/Environment.h"
#include "core/Main.h"
#include "core/PDFHelp.h"
#include "core/UpdateDlg.h"
#include "core/InfoDlg.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "core/Inquiry.h"
#include "platform/Colors.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "util/WindowFit.h"
#include "util/WriteFailure.h"
#include "widgets/TntActnList.h"
#include "widgets/TntControls.h"
#include "widgets/TntForms.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

TAddressList *AddressList = nullptr;

namespace {

const QString kListSection = QStringLiteral("ADRS LIST");
const QString kDupliSection = QStringLiteral("DUPLI SEARCH");
const QString kBaseSection = QStringLiteral("BASE");

// Fills of status panel 1 (TColor, 0xBBGGRR).
// Columns a record is named by in the closing boxes of the runs.
constexpr int kNoColumnId = 0;
constexpr int kTelColumnId = 3;
constexpr int kCorpColumnId = 13;
constexpr int kNameColumnId = 17;
constexpr int kFillFilterDisabled = 0x8FBF8F;
constexpr int kFillDuplicateDisabled = 0xBFBF8F;
constexpr int kFillFilter = 0xAFFFAF;
constexpr int kFillDuplicate = 0xFFFFAF;
// Design width of the two count panels at 96 dpi.
constexpr int kCountPanelWidth = 108;

QString adrsListIni() { return DataPath + QStringLiteral("AdrsList.ini"); }
QString searchListFile() { return DataPath + QStringLiteral("Search.lst"); }

// The folder of the book named AdrsName becomes the current one; a name not
// in the list leaves the index as it was.
void selectBookFolder()
{
    for (int i = 0; i < AdrsFolderList.size(); ++i) {
        if (AdrsFolderList[i].Name == AdrsName) {
            AdrsFolderIndex = i;
            break;
        }
    }
}

// Names the menu and adds the commands in order; a null entry is a separator.
QMenu *fillMenu(QMenu *menu, const QString &name, const QList<QAction *> &actions)
{
    menu->setObjectName(name);
    for (QAction *action : actions) {
        if (action)
            menu->addAction(action);
        else
            menu->addSeparator();
    }
    return menu;
}

} // namespace

// ---------------------------------------------------------------------------
// Creation and destruction

TAddressList::TAddressList(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("AddressList"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(ProductCaption());
    setProperty("HelpContext", 10); // the manual page of the main window
    setSizeGripEnabled(false);
    // Run modally (the program lives as long as this window) without blocking
    // the program's other windows: the record form and the copy window are
    // top-level windows of their own that must take input beside it. With no
    // parent, window modality blocks nothing.
    setWindowModality(Qt::WindowModal);
    AddressList = this;
    // Windows opened without an owner on screen open over the list.
    SetPlacementAnchor(this);
    // A batch change of the record the form shows reaches the form too.
    BatchChangeFormHook = [](int Row, const TAddressData &Data, const TBatchChangeFlags &Flags) {
        if (DataInquiry && DataInquiry->isVisible() && DataInquiry->NavigationSource() == 1 && AddressList &&
            AddressList->InquiryRow() == Row)
            DataInquiry->ApplyBatchChange(Data, Flags);
    };

    m_model = new TAddressListModel(this);
    lvAddress = new TAddressListView(this);
    lvAddress->setModel(m_model);
    lvAddress->setItemDelegate(new TAddressListDelegate(lvAddress));

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(mnuMain);
    layout->addWidget(tbMain);
    layout->addWidget(lvAddress, 1);
    layout->addWidget(stbarInfo);

    connect(lvAddress->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { SelectionChanged(); });
    connect(lvAddress, &TAddressListView::PopupRequested, this, [this](const QPoint &pos) { pmAdrs->popup(pos); });
    connect(lvAddress, &TAddressListView::RowDoubleClicked, this, [this] {
        if (actInquiry->isEnabled())
            actInquiry->trigger();
    });
    QHeaderView *header = lvAddress->horizontalHeader();
    // A divider double click sets the column to its measured minimum, not
    // to the width of its contents.
    disconnect(header, &QHeaderView::sectionHandleDoubleClicked, lvAddress, nullptr);
    connect(header, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (m_applyingWidths)
            return;
        m_model->SetShownColumnWidth(column, width);
        lvAddress->viewport()->update();
    });
    connect(header, &QHeaderView::sectionHandleDoubleClicked, this, [this](int column) {
        if (column >= 0 && column < m_model->MinWidths().size())
            lvAddress->horizontalHeader()->resizeSection(column, m_model->MinWidths()[column]);
    });
    connect(header, &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint &pos) { pmColumn->popup(lvAddress->horizontalHeader()->mapToGlobal(pos)); });

    // The smallest frame the window may be dragged to.
    setMinimumSize(520, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 260);

    ReadWindowPosition();
    m_model->LoadListSettings(adrsListIni());
    {
        const TMemIniFile ini(SettingsFileName());
        m_showInfo = ini.ReadBool(kBaseSection, QStringLiteral("Info"), true);
        int item1 = ini.ReadInteger(kDupliSection, QStringLiteral("Item1"), 0);
        int item2 = ini.ReadInteger(kDupliSection, QStringLiteral("Item2"), 0);
        if (item1 < 0 || item1 > 4)
            item1 = 0;
        if (item2 < 0 || item2 > 4 || item1 == 0)
            item2 = 0;
        LoadSearchList();
        m_model->DupItem1 = item1;
        m_model->DupItem2 = item2;
        if (item1 > 0) {
            actDisableSearch->setEnabled(true);
            actCancelSearch->setEnabled(true);
        }
    }
    FillSortCombo();
    actWordNext->setEnabled(false);
    UpdateSortDirButton();
    UpdateSortControls();
    UpdateFilterPanel();
    UpdateCountPanels();
    for (QAction *action : std::as_const(m_rowCommands))
        action->setEnabled(false);
    UpdateListColor();
}

TAddressList::~TAddressList()
{
    // The directory search window has no parent; it goes with the main list
    // (its destructor stops a running search and waits for the worker).
    delete NameAdrsSearchWindow;
    if (m_hintTaken) {
        TntApplication()->OnHint = {};
        m_hintTaken = false;
    }
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteInteger(kDupliSection, QStringLiteral("Item1"), m_model->DupItem1);
        ini.WriteInteger(kDupliSection, QStringLiteral("Item2"), m_model->DupItem2);
        WriteWindowPosition(ini);
        QString error;
        if (!ini.UpdateFile(&error))
            ShowWriteFailure(this, QStringLiteral("一覧の位置と重複表示の設定"), ini.FileName(), error);
    }
    SaveSearchList();
    QString error;
    if (!m_model->SaveListSettings(adrsListIni(), &error))
        ShowWriteFailure(this, QStringLiteral("一覧の表示項目と表示順の設定"), adrsListIni(), error);
    SaveBookOrder();
    m_model->SetTable(nullptr);
    if (m_adrsOpened && DMMurven19)
        DMMurven19->CloseAdrs();
    if (AddressList == this)
        AddressList = nullptr;
}

void TAddressList::CreateActions()
{
    struct TCommand {
        TTntAction **Action;
        const char *Name;
        QString Caption;
        QKeySequence Shortcut;
        QString LongHint;
        bool Available; // its window exists
        bool Rows;      // enabled only with rows
    };
    const QKeySequence none;
    const TCommand commands[] = {
        {&actCreate, "actCreate", QStringLiteral("アドレス帳の新規作成(&C)..."), none,
         QStringLiteral("新しくアドレス帳を作成します"), true, false},
        {&actOpen, "actOpen", QStringLiteral("開く(&O)..."), none, QStringLiteral("別のアドレス帳を開きます"), true,
         false},
        {&actEditGroup, "actEditGroup", QStringLiteral("グループ名の設定(&G)..."), none,
         QStringLiteral("アドレス帳のグループ項目の名称を設定します"), true, false},
        {&actAdrsCopy, "actAdrsCopy", QStringLiteral("他のアドレス帳にコピー(&A)..."), none,
         QStringLiteral("アドレス帳データを別のアドレス帳にコピーします"), true, true},
        {&actImportFile, "actImportFile", QStringLiteral("テキストファイルの取り込み(&I)..."), none,
         QStringLiteral("テキストファイルの内容をアドレス帳に取り込みます"), true, false},
        {&actExportFile, "actExportFile", QStringLiteral("テキストファイルの出力(&E)..."), none,
         QStringLiteral("アドレス帳データをテキストファイル出力します"), true, true},
        {&actMarkExport, "actMarkExport", QStringLiteral("マークファイルの出力(&M)"), none,
         QStringLiteral("緯度経度情報の保存されているアドレス帳データをマークファイルとして出力します"), true, true},
        {&actExit, "actExit", QStringLiteral("ピルカノス2014の終了(&X)"), none,
         QStringLiteral("ピルカノス2014 を終了します"), true, false},
        {&actInquiry, "actInquiry", QStringLiteral("照会(&I)..."), QKeySequence(Qt::CTRL | Qt::Key_I),
         QStringLiteral("選択しているアドレス帳データを照会します"), true, true},
        {&actDelete, "actDelete", QStringLiteral("削除(&D)"), QKeySequence(Qt::Key_Delete),
         QStringLiteral("選択しているアドレス帳データを削除します"), true, true},
        {&actBatchChange, "actBatchChange", QStringLiteral("一括編集(&B)..."), none,
         QStringLiteral("選択しているアドレス帳データの内容を一括で編集します"), true, true},
        {&actNameAdrsSearch, "actNameAdrsSearch", QStringLiteral("名称住所検索(&A)..."),
         QKeySequence(Qt::CTRL | Qt::Key_S), QStringLiteral("名称と住所から検索します"), true, false},
        {&actNumerSearch, "actNumerSearch", QStringLiteral("番号検索(&N)..."), QKeySequence(Qt::CTRL | Qt::Key_N),
         QStringLiteral("電話番号や郵便番号などから検索します"), true, false},
        {&actWordSearch, "actWordSearch", QStringLiteral("一覧内のワード検索(&W)..."),
         QKeySequence(Qt::CTRL | Qt::Key_W),
         QStringLiteral("アドレス帳一覧に表示されている内容を対象に、指定した文字列を検索します"), true, false},
        {&actWordNext, "actWordNext", QStringLiteral("次の候補を検索(&S)"), QKeySequence(Qt::Key_F3),
         QStringLiteral("ワード検索の次の候補を検索します"), true, false},
        {&actAdrsSearch, "actAdrsSearch", QStringLiteral("アドレス帳の絞り込み(&S)..."),
         QKeySequence(Qt::CTRL | Qt::Key_F), QStringLiteral("一覧表示するアドレス帳データを絞り込みます"), true,
         false},
        {&actDuplicateSearch, "actDuplicateSearch", QStringLiteral("重複データの表示(&D)..."),
         QKeySequence(Qt::CTRL | Qt::Key_D),
         QStringLiteral("指定した項目内容が重複しているデータのみを一覧表示します"), true, false},
        {&actDisableSearch, "actDisableSearch", QStringLiteral("絞り込みと重複表示の無効化(&I)"), none,
         QStringLiteral("アドレス帳の絞り込みや重複データの表示を一時的に解除します"), true, false},
        {&actCancelSearch, "actCancelSearch", QStringLiteral("絞り込みと重複表示の解除(&C)"), none,
         QStringLiteral("アドレス帳の絞り込みや重複データの表示を解除します"), true, false},
        {&actKeywordEdit, "actKeywordEdit", QStringLiteral("キーワード項目の設定(&K)..."), none,
         QStringLiteral("キーワード項目の設定します"), true, false},
        {&actViewColumn, "actViewColumn", QStringLiteral("表示項目の設定(&V)..."), none,
         QStringLiteral("一覧に表示する項目を設定します"), true, false},
        {&actInitColumn, "actInitColumn", QStringLiteral("項目幅の初期化(&I)"), none,
         QStringLiteral("一覧に表示できる項目の表示幅を初期の状態に戻します"), true, false},
        {&actReload, "actReload", QStringLiteral("一覧の再表示(&R)"), QKeySequence(Qt::Key_F5),
         QStringLiteral("アドレス帳の一覧を表示し直します"), true, false},
        {&actLayoutPrint, "actLayoutPrint", QStringLiteral("宛名印刷(&A)..."), none, QStringLiteral("宛名印刷をします"),
         true, false},
        {&actLabelPrint, "actLabelPrint", QStringLiteral("ラベル印刷(&B)..."), none,
         QStringLiteral("ラベル印刷をします"), true, false},
        {&actCardPrint, "actCardPrint", QStringLiteral("名刺印刷(&C)..."), none, QStringLiteral("名刺印刷をします"),
         true, false},
        {&actDesignPrint, "actDesignPrint", QStringLiteral("文面印刷(&D)..."), none, QStringLiteral("文面印刷をします"),
         true, false},
        {&actListPrint, "actListPrint", QStringLiteral("一覧表印刷(&L)..."), none,
         QStringLiteral("アドレス帳データの一覧を印刷します"), true, true},
        {&actEnvironment, "actEnvironment", QStringLiteral("環境設定(&E)..."), QKeySequence(Qt::CTRL | Qt::Key_E),
         QStringLiteral("実行環境を設定します"), true, false},
        {&actBackup, "actBackup", QStringLiteral("バックアップ(&B)..."), none,
         QStringLiteral("データのバックアップを取ります"), true, false},
        {&actRestore, "actRestore", QStringLiteral("復元(&R)..."), none,
         QStringLiteral("バックアップしたデータを復元します"), true, false},
        {&actOptimize, "actOptimize", QStringLiteral("データの最適化(&O)..."), none,
         QStringLiteral("データベースを最適化します"), true, true},
        {&actConvertKykbn, "actConvertKykbn", QStringLiteral("局番変換(&K)..."), none,
         QStringLiteral("アドレス帳データの局番を変換します"), true, true},
        {&actConvertAdrsPos, "actConvertAdrsPos", QStringLiteral("住所・郵便番号変換(&A)..."), none,
         QStringLiteral("アドレス帳データの住所と郵便番号を変換します"), true, true},
        {&actRepairIndex, "actRepairIndex", QStringLiteral("インデックス修復(&I)..."), none,
         QStringLiteral("インデックスが破損したり古くなったりしたアドレス帳データを修復します"), true, true},
        {&actTopic, "actTopic", QStringLiteral("ピルカノス2014 操作ガイド(&H)"), none,
         QStringLiteral("ピルカノス2014 の操作ガイドを表示します"), true, false},
        {&actVersion, "actVersion", QStringLiteral("バージョン情報(&A)"), none,
         QStringLiteral("バージョン情報を表示します"), true, false},
    };
    for (const TCommand &command : commands) {
        auto *action = new TTntAction(command.Caption, this);
        action->setObjectName(QString::fromLatin1(command.Name));
        // The short hint is the caption without its accelerator and dots.
        QString shortHint = command.Caption;
        shortHint.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
        shortHint.remove(QStringLiteral("..."));
        action->SetHint(shortHint + QLatin1Char('|') + command.LongHint);
        if (!command.Shortcut.isEmpty()) {
            action->setShortcut(command.Shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        action->setShortcutVisibleInContextMenu(true);
        if (!command.Available) {
            action->setEnabled(false);
            m_unavailable.insert(action);
        }
        if (command.Rows)
            m_rowCommands << action;
        addAction(action); // shortcuts work wherever the focus is in the window
        *command.Action = action;
    }
    actExit->SetHint(QStringLiteral("ピルカノス2014 の終了|ピルカノス2014 を終了します"));
    actTopic->SetHint(QStringLiteral("ピルカノス2014 操作ガイド|ピルカノス2014 の操作ガイドを表示します"));
    actDisableSearch->setCheckable(true);
    actDisableSearch->setEnabled(false);
    actCancelSearch->setEnabled(false);
    actCreate->setData(0);
    actOpen->setData(1);

    connect(actCreate, &QAction::triggered, this, [this] { SwitchBook(0); });
    connect(actOpen, &QAction::triggered, this, [this] { SwitchBook(1); });
    connect(actEditGroup, &QAction::triggered, this, [this] { actEditGroupExecute(); });
    connect(actAdrsCopy, &QAction::triggered, this, [this] { ShowAddressCopy(this); });
    connect(actNumerSearch, &QAction::triggered, this, [this] { actNumerSearchExecute(); });
    connect(actNameAdrsSearch, &QAction::triggered, this, [] {
        const bool fresh = NameAdrsSearchWindow == nullptr;
        TNameAdrsSearch *search = ShowNameAdrsSearch();
        if (!fresh)
            return;
        // A record form walking the hits follows the page, and stops walking when the window goes.
        QObject::connect(search, &TNameAdrsSearch::ResultChanged, search, [] {
            if (DataInquiry && DataInquiry->NavigationSource() == 0)
                DataInquiry->UpdateNavigation();
        });
        QObject::connect(search, &QObject::destroyed, [] {
            if (DataInquiry && DataInquiry->NavigationSource() == 0)
                DataInquiry->DisableNavigation();
        });
        // A hit taken from the directory opens the record form with a new record filled from it.
        // The form's pending edit is settled before the hit is fetched, so a
        // cancel leaves the page's walk on the hit the form shows.
        search->OnConfirmTake = [] {
            TDataInquiry *form = DataInquiry;
            return form == nullptr || !form->isVisible() || form->ConfirmPendingEdit(false, true) != 9;
        };
        search->OnTakeHit = [](const TTelRecord &record) {
            TDataInquiry *form = GetDataInquiry();
            form->SetNavigationSource(0);
            form->StartRegister(AddressFromTelRecord(record), CorpKanjiFromTelRecord(record));
            form->show();
            form->raise();
            form->activateWindow();
        };
    });
    connect(actBatchChange, &QAction::triggered, this, [this] { actBatchChangeExecute(); });
    connect(actImportFile, &QAction::triggered, this, [this] { actImportFileExecute(); });
    connect(actListPrint, &QAction::triggered, this, [this] { actListPrintExecute(); });
    connect(actLayoutPrint, &QAction::triggered, this, [this] { OpenPrintEditor(TPrintEditorKind::AddressSide); });
    connect(actLabelPrint, &QAction::triggered, this, [this] { OpenPrintEditor(TPrintEditorKind::Label); });
    connect(actCardPrint, &QAction::triggered, this, [this] { OpenPrintEditor(TPrintEditorKind::Card); });
    connect(actDesignPrint, &QAction::triggered, this, [this] { OpenPrintEditor(TPrintEditorKind::Design); });
    connect(actBackup, &QAction::triggered, this, [this] { actBackupExecute(); });
    connect(actRestore, &QAction::triggered, this, [this] { actRestoreExecute(); });
    connect(actOptimize, &QAction::triggered, this, [this] { actOptimizeExecute(); });
    connect(actRepairIndex, &QAction::triggered, this, [this] { actRepairIndexExecute(); });
    connect(actConvertKykbn, &QAction::triggered, this, [this] { actConvertKykbnExecute(); });
    connect(actConvertAdrsPos, &QAction::triggered, this, [this] { actConvertAdrsPosExecute(); });
    connect(actExportFile, &QAction::triggered, this, [this] {
        if (FileExportOpener && !TRecordRun::Running())
            FileExportOpener(this);
    });
    connect(actMarkExport, &QAction::triggered, this, [this] {
        if (MarkExportOpener && !TRecordRun::Running())
            MarkExportOpener(this);
    });
    connect(actExit, &QAction::triggered, this, [this] { reject(); });
    connect(actInquiry, &QAction::triggered, this, [this] { actInquiryExecute(); });
    connect(actDelete, &QAction::triggered, this, [this] { actDeleteExecute(); });
    connect(actWordSearch, &QAction::triggered, this, [this] { actWordSearchExecute(); });
    connect(actWordNext, &QAction::triggered, this, [this] { actWordNextExecute(); });
    connect(actAdrsSearch, &QAction::triggered, this, [this] { actAdrsSearchExecute(); });
    connect(actDuplicateSearch, &QAction::triggered, this, [this] { actDuplicateSearchExecute(); });
    connect(actDisableSearch, &QAction::triggered, this, [this] { actDisableSearchExecute(); });
    connect(actCancelSearch, &QAction::triggered, this, [this] { actCancelSearchExecute(); });
    connect(actKeywordEdit, &QAction::triggered, this, [this] { actKeywordEditExecute(); });
    connect(actViewColumn, &QAction::triggered, this, [this] { actViewColumnExecute(); });
    connect(actInitColumn, &QAction::triggered, this, [this] { actInitColumnExecute(); });
    connect(actReload, &QAction::triggered, this, [this] { actReloadExecute(); });
    connect(actVersion, &QAction::triggered, this, [this] { actVersionExecute(); });
    connect(actEnvironment, &QAction::triggered, this, [this] { actEnvironmentExecute(); });
    // The manual from its first page, whatever window asks.
    connect(actTopic, &QAction::triggered, this, [] { ShowHelp(0); });
}

void TAddressList::CreateMenus()
{
    mnuMain = new QMenuBar(this);
    mnuMain->setObjectName(QStringLiteral("mnuMain"));
    auto addMenu = [this](const QString &name, const QString &caption, const QList<QAction *> &actions) {
        fillMenu(mnuMain->addMenu(caption), name, actions);
    };
    addMenu(QStringLiteral("mnuFile"), QStringLiteral("ファイル(&F)"),
            {actCreate, actOpen, actEditGroup, nullptr, actAdrsCopy, actImportFile, actExportFile, nullptr,
             actMarkExport, nullptr, actExit});
    addMenu(QStringLiteral("mnuEdit"), QStringLiteral("編集(&E)"), {actInquiry, actDelete, nullptr, actBatchChange});
    addMenu(QStringLiteral("mnuSearch"), QStringLiteral("検索(&S)"),
            {actNameAdrsSearch, actNumerSearch, nullptr, actWordSearch, actWordNext});
    addMenu(QStringLiteral("mnuView"), QStringLiteral("表示(&V)"),
            {actAdrsSearch, actDuplicateSearch, actDisableSearch, actCancelSearch, nullptr, actKeywordEdit,
             actViewColumn, actInitColumn, nullptr, actReload});
    addMenu(QStringLiteral("mnuPrint"), QStringLiteral("印刷(&P)"),
            {actLayoutPrint, actLabelPrint, actCardPrint, actDesignPrint, nullptr, actListPrint});
    addMenu(QStringLiteral("mnuOption"), QStringLiteral("オプション(&O)"),
            {actEnvironment, nullptr, actBackup, actRestore, nullptr, actOptimize, actConvertKykbn,
             actConvertAdrsPos, actRepairIndex});
    addMenu(QStringLiteral("mnuHelp"), QStringLiteral("ヘルプ(&H)"), {actTopic, nullptr, actVersion});

    auto popup = [this](const QString &name, const QList<QAction *> &actions) {
        return fillMenu(new QMenu(this), name, actions);
    };
    pmAdrs = popup(QStringLiteral("pmAdrs"), {actInquiry, actDelete, nullptr, actBatchChange});
    // The list's pop-up shows its first two commands without their keys.
    actInquiry->setShortcutVisibleInContextMenu(false);
    actDelete->setShortcutVisibleInContextMenu(false);
    pmSearch = popup(QStringLiteral("pmSearch"), {actAdrsSearch, actDuplicateSearch, actDisableSearch, actCancelSearch});
    pmPrint = popup(QStringLiteral("pmPrint"),
                    {actLayoutPrint, actLabelPrint, actCardPrint, actDesignPrint, nullptr, actListPrint});
    pmColumn = popup(QStringLiteral("pmColumn"), {actViewColumn, nullptr, actInitColumn});
}

void TAddressList::CreateToolBar()
{
    tbMain = new QToolBar(this);
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setMovable(false);
    tbMain->setFloatable(false);
    tbMain->setIconSize(QSize(ScaleForDpi(32, true), ScaleForDpi(32, true)));
    tbMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);

    auto button = [this](const QString &name, const QString &caption, QStyle::StandardPixmap icon,
                         TTntAction *action) {
        auto *tool = new QToolButton(tbMain);
        tool->setObjectName(name);
        tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        tool->setAutoRaise(true);
        if (action)
            TTntControlActionLink::Link(tool, action);
        // The button's own caption, shorter than the command's.
        tool->setText(caption);
        tool->setIcon(style()->standardIcon(icon));
        tool->setIconSize(tbMain->iconSize());
        tbMain->addWidget(tool);
        return tool;
    };
    button(QStringLiteral("tbtnNameAdrsSearch"), QStringLiteral("名称検索"), QStyle::SP_FileDialogContentsView,
           actNameAdrsSearch);
    button(QStringLiteral("tbtnNumerSearch"), QStringLiteral("番号検索"), QStyle::SP_FileDialogDetailedView,
           actNumerSearch);
    tbMain->addSeparator();
    QToolButton *inquiry =
        button(QStringLiteral("tbtnInquiry"), QStringLiteral("照会"), QStyle::SP_FileDialogInfoView, actInquiry);
    button(QStringLiteral("tbtnDelete"), QStringLiteral("削除"), QStyle::SP_TrashIcon, actDelete);
    tbMain->addSeparator();
    QToolButton *search =
        button(QStringLiteral("tbtnAdrsSearch"), QStringLiteral("絞り込み"), QStyle::SP_FileDialogListView,
               actAdrsSearch);
    search->setMenu(pmSearch);
    search->setPopupMode(QToolButton::MenuButtonPopup);
    QToolButton *print =
        button(QStringLiteral("tbtnPrint"), QStringLiteral("印刷"), QStyle::SP_DialogSaveButton, nullptr);
    print->setMenu(pmPrint);
    print->setPopupMode(QToolButton::InstantPopup);
    SetWideHint(print, QStringLiteral("印刷|アドレス帳データを元に印刷処理をします"));
    tbMain->addSeparator();

    // The panel with the group and order choices takes the width left over.
    auto *panel = new QWidget(tbMain);
    panel->setObjectName(QStringLiteral("pnlToolBar"));
    panel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(ScaleForDpi(4, true), 0, ScaleForDpi(4, true), 0);
    grid->setHorizontalSpacing(ScaleForDpi(4, true));
    grid->setVerticalSpacing(ScaleForDpi(2, true));
    auto *lblGroup = new QLabel(QStringLiteral("グループ："), panel);
    lblGroup->setObjectName(QStringLiteral("lblGroup"));
    cbxGroup = new QComboBox(panel);
    cbxGroup->setObjectName(QStringLiteral("cbxGroup"));
    cbxGroup->setMinimumWidth(ScaleForDpi(200, true));
    SetWideHint(cbxGroup, QStringLiteral("表示グループ|表示するアドレス帳グループを指定します"));
    sbtnEditGroup = new QToolButton(panel);
    sbtnEditGroup->setObjectName(QStringLiteral("sbtnEditGroup"));
    TTntControlActionLink::Link(sbtnEditGroup, actEditGroup);
    sbtnEditGroup->setToolButtonStyle(Qt::ToolButtonIconOnly);
    sbtnEditGroup->setIcon(style()->standardIcon(QStyle::SP_FileDialogNewFolder));
    auto *lblSort = new QLabel(QStringLiteral("表示順："), panel);
    lblSort->setObjectName(QStringLiteral("lblSort"));
    cbxSort = new QComboBox(panel);
    cbxSort->setObjectName(QStringLiteral("cbxSort"));
    cbxSort->setMinimumWidth(ScaleForDpi(200, true));
    SetWideHint(cbxSort, QStringLiteral("表示順|アドレス帳データの表示順を指定します"));
    sbtnSortDirection = new QToolButton(panel);
    sbtnSortDirection->setObjectName(QStringLiteral("sbtnSortDirection"));
    sbtnSortDirection->setToolButtonStyle(Qt::ToolButtonIconOnly);
    grid->addWidget(lblGroup, 0, 0);
    grid->addWidget(cbxGroup, 0, 1);
    grid->addWidget(sbtnEditGroup, 0, 2);
    grid->addWidget(lblSort, 1, 0);
    grid->addWidget(cbxSort, 1, 1);
    grid->addWidget(sbtnSortDirection, 1, 2);
    grid->setColumnStretch(3, 1);
    tbMain->addWidget(panel);
    tbMain->addSeparator();
    button(QStringLiteral("tbtnExit"), QStringLiteral("終了"), QStyle::SP_DialogCloseButton, actExit);
    tbMain->setMinimumHeight(inquiry->sizeHint().height() + 4);

    connect(cbxGroup, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_fillingCombos || index < 0 || index == m_model->ViewGroup)
            return;
        m_model->ViewGroup = index;
        ViewChanged();
    });
    connect(cbxSort, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_fillingCombos || index < 0 || index == m_model->SortType)
            return;
        m_model->SortType = index;
        m_model->SortDir = true;
        UpdateSortDirButton();
        ViewChanged();
    });
    connect(sbtnSortDirection, &QToolButton::clicked, this, [this] {
        m_model->SortDir = !m_model->SortDir;
        UpdateSortDirButton();
        ViewChanged();
    });
}

void TAddressList::CreateStatusBar()
{
    stbarInfo = new QStatusBar(this);
    stbarInfo->setObjectName(QStringLiteral("stbarInfo"));
    stbarInfo->setSizeGripEnabled(true);
    const int widths[5] = {0, ScaleForDpi(84, true), ScaleForDpi(kCountPanelWidth, true),
                           ScaleForDpi(kCountPanelWidth, true), 50};
    for (int i = 0; i < 5; ++i) {
        auto *panel = new QLabel(stbarInfo);
        panel->setObjectName(QStringLiteral("pnlInfo%1").arg(i));
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        if (i == 0) {
            stbarInfo->addWidget(panel, 1);
        } else {
            panel->setFixedWidth(widths[i]);
            stbarInfo->addPermanentWidget(panel);
        }
        m_panels[i] = panel;
    }
    m_panels[1]->setAlignment(Qt::AlignCenter);
}

// ---------------------------------------------------------------------------
// Settings

void TAddressList::ReadWindowPosition()
{
    const TMemIniFile ini(SettingsFileName());
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
    const int width = ini.ReadInteger(kListSection, QStringLiteral("Width"), 960);
    const int height = ini.ReadInteger(kListSection, QStringLiteral("Height"), 572);
    const int left =
        ini.ReadInteger(kListSection, QStringLiteral("Left"), (ScaleForDpi(screenSize.width(), false) - width) / 2);
    const int top =
        ini.ReadInteger(kListSection, QStringLiteral("Top"), (ScaleForDpi(screenSize.height(), false) - height) / 2);
    setGeometry(ScaleForDpi(left, true), ScaleForDpi(top, true), ScaleForDpi(width, true),
                ScaleForDpi(height, true));
}

void TAddressList::WriteWindowPosition(TMemIniFile &ini) const
{
    QRect bounds = geometry();
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        const QRect normal = normalGeometry();
        if (normal.isValid())
            bounds = normal;
    }
    ini.WriteInteger(kListSection, QStringLiteral("Left"), ScaleForDpi(bounds.left(), false));
    ini.WriteInteger(kListSection, QStringLiteral("Top"), ScaleForDpi(bounds.top(), false));
    ini.WriteInteger(kListSection, QStringLiteral("Width"), ScaleForDpi(bounds.width(), false));
    ini.WriteInteger(kListSection, QStringLiteral("Height"), ScaleForDpi(bounds.height(), false));
}

void TAddressList::LoadSearchList()
{
    actDisableSearch->setEnabled(false);
    actCancelSearch->setEnabled(false);
    TNarrowDownCondition condition;
    if (ReadSearchList(searchListFile(), condition) && !condition.IsEmpty()) {
        m_model->Condition = condition;
        actDisableSearch->setEnabled(true);
        actCancelSearch->setEnabled(true);
    } else {
        m_model->Condition.Clear();
    }
}

void TAddressList::SaveSearchList()
{
    QString error;
    if (!WriteSearchList(searchListFile(), m_model->Condition, &error))
        ShowMessageBoxAt(this,
                         QStringLiteral("絞り込み条件が保存できませんでした  ") +
                             (error.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + error),
                         ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

// The book shown is kept for the next start.
void TAddressList::SaveBookName()
{
    QString error;
    if (!SaveAdrsName(&error))
        ShowWriteFailure(this, QStringLiteral("開いているアドレス帳の名前"), SettingsFileName(), error);
}

void TAddressList::SaveBookOrder()
{
    QString error;
    if (!::SaveBookOrder(&error))
        ShowWriteFailure(this, QStringLiteral("アドレス帳の並び順"), AdrsMngFileName(), error);
}

// ---------------------------------------------------------------------------
// Showing, activation, closing

void TAddressList::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    if (m_firstShown)
        return;
    m_firstShown = true;
    QMetaObject::invokeMethod(this, [this] { AfterShow(); }, Qt::QueuedConnection);
}

void TAddressList::AfterShow()
{
    if (isVisible())
        repaint();
    if (m_showInfo)
        ShowInfoDialog(this);
    if (UpdateCheck && RunUpdateCheck(this, false)) {
        // The update program replaces the files once this run has ended.
        reject();
        return;
    }
    QString notice;
    if (FirstRun)
        notice = QStringLiteral("使用するアドレス帳を指定するためにアドレス帳の作成画面に入ります  ");
    else if (!UnavailableDataPath.isEmpty())
        notice = QStringLiteral("データ保存フォルダーが見つかりません  \r\n") + QDir::toNativeSeparators(UnavailableDataPath) +
                 QStringLiteral("  \r\n\r\n今回は次の既定のフォルダーを使います  \r\n") + QDir::toNativeSeparators(DataPath) +
                 QStringLiteral("  \r\n次回の起動時に元のフォルダーをもう一度探します  \r\n\r\n開くアドレス帳を指定してください  ");
    else if (DataPathChanged)
        notice = QStringLiteral("データ保存フォルダーが切り替わりました  \r\n新しく開くアドレス帳を指定してください  ");
    else if (MustSelectAdrs)
        notice = QStringLiteral("開くアドレス帳を指定してください  ");
    if (!notice.isEmpty())
        ShowMessageBoxAt(this, notice, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    OpenAddressBook(DataPathChanged || MustSelectAdrs);
}

bool TAddressList::event(QEvent *Event)
{
    switch (Event->type()) {
    case QEvent::WindowActivate:
        TntApplication()->OnHint = [this] { ShowHint(); };
        m_hintTaken = true;
        break;
    case QEvent::WindowDeactivate:
        if (m_hintTaken) {
            TntApplication()->OnHint = {};
            m_hintTaken = false;
        }
        break;
    default:
        break;
    }
    return QDialog::event(Event);
}

void TAddressList::ShowHint()
{
    // Only hints of what the mouse points at inside this window.
    if (!frameGeometry().contains(QCursor::pos()))
        return;
    const QString hint = TntApplication()->Hint();
    m_panels[0]->setText(hint.trimmed().isEmpty() ? QString() : hint);
}

void TAddressList::reject()
{
    if (!CloseChildWindows())
        return;
    QDialog::reject();
}

bool TAddressList::CloseChildWindows()
{
    // In this order; the first that refuses keeps the rest open (a running
    // directory search refuses until its run has ended).
    if (NameAdrsSearchWindow && NameAdrsSearchWindow->isVisible() && !NameAdrsSearchWindow->close())
        return false;
    if (DataInquiry && !DataInquiry->close())
        return false;
    if (AddressCopy && !AddressCopy->close())
        return false;
    for (const QPointer<QWidget> &window : RowWindows()) {
        if (window && !window->close())
            return false;
    }
    return ClosePrintEditors(0);
}

bool TAddressList::ClosePrintEditors(int Keep)
{
    // A closed editor frees itself later; it is forgotten at once so that
    // a print command opening another one never finds it.
    auto closeEditor = [](QPointer<QWidget> &Editor) {
        if (!Editor)
            return true;
        if (!Editor->close())
            return false;
        Editor = nullptr;
        return true;
    };
    auto *label = dynamic_cast<TPrintEditorNotice *>(m_labelForm.data());
    const bool cardMode = label && label->IsCardMode();
    if (Keep != 1 && !closeEditor(m_layoutForm))
        return false;
    if (!cardMode && Keep != 2 && !closeEditor(m_labelForm))
        return false;
    if (cardMode && Keep != 3 && !closeEditor(m_labelForm))
        return false;
    if (Keep != 4 && !closeEditor(m_designForm))
        return false;
    return true;
}

QWidget *TAddressList::PrintEditor(TPrintEditorKind Kind) const
{
    switch (Kind) {
    case TPrintEditorKind::AddressSide: return m_layoutForm;
    case TPrintEditorKind::Label:
    case TPrintEditorKind::Card: {
        auto *label = dynamic_cast<TPrintEditorNotice *>(m_labelForm.data());
        const bool wanted = Kind == TPrintEditorKind::Card;
        return label && label->IsCardMode() == wanted ? m_labelForm.data() : nullptr;
    }
    case TPrintEditorKind::Design: return m_designForm;
    }
    return nullptr;
}

void TAddressList::OpenPrintEditor(TPrintEditorKind Kind)
{
    if (!PrintEditorOpener || TRecordRun::Running())
        return;
    if (!ClosePrintEditors(int(Kind)))
        return;
    QPointer<QWidget> &slot = Kind == TPrintEditorKind::AddressSide ? m_layoutForm
                              : Kind == TPrintEditorKind::Design     ? m_designForm
                                                                     : m_labelForm;
    if (!slot) {
        QWidget *editor = PrintEditorOpener(Kind, this);
        if (!editor)
            return;
        // The editor frees itself when closed; the pointer then clears.
        editor->setAttribute(Qt::WA_DeleteOnClose);
        slot = editor;
    }
    if (slot->isMinimized())
        slot->showNormal();
    else
        slot->show();
    slot->raise();
    slot->activateWindow();
}

void TAddressList::NotifyPrintEditors(const std::function<void(TPrintEditorNotice &)> &Notice) const
{
    // The design editor is never told.
    for (QWidget *editor : {m_layoutForm.data(), m_labelForm.data()}) {
        if (auto *notice = dynamic_cast<TPrintEditorNotice *>(editor))
            Notice(*notice);
    }
}

// ---------------------------------------------------------------------------
// Books

void TAddressList::OpenAddressBook(bool Ask)
{
    if (Ask) {
        TAddressSelect dialog(this);
        CenterFormOnOwner(&dialog, this);
        dialog.BookName = AdrsName;
        dialog.SetMode(9);
        const int result = dialog.exec();
        if (result == QDialog::Rejected) {
            actExit->trigger();
            return;
        }
        if (result == QDialog::Accepted)
            AdrsName = dialog.BookName;
        SaveBookName();
    }
    selectBookFolder();
    setWindowTitle(ProductCaption() + QStringLiteral(" - ") + AdrsName);
    if (!DMMurven19)
        return;
    try {
        if (!DMMurven19->DatabaseExists())
            DMMurven19->CreateDatabase();
        if (!DMMurven19->Connected())
            DMMurven19->Connect();
    } catch (const Exception &error) {
        ShowMessageBoxAt(this, error.Message(), ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return;
    }
    if (!DMMurven19->Connected())
        return;
    OpenBookTable(false);
}

void TAddressList::OpenBookTable(bool FocusList)
{
    if (AdrsFolderIndex < 0 || AdrsFolderIndex >= AdrsFolderList.size())
        return;
    // A word searched in one book is no search of the next: its marks and
    // F3 go with the book.
    ApplySearchWord(QString());
    const QString folder = AdrsFolderList[AdrsFolderIndex].Folder;
    DMMurven19->CreateAdrsTable(folder);
    if (!DMMurven19->OpenAdrs())
        return;
    m_adrsOpened = true;
    DMMurven19->CreateSenderTable();
    LoadGroupNames(folder);
    FillGroupCombo();
    m_model->SetTable(DMMurven19->AdrsTable());
    RefreshList(true, true, false);
    SelectRow(0, false, false);
    LoadSenderList();
    if (FocusList)
        lvAddress->setFocus();
}

void TAddressList::SwitchBook(int Mode)
{
    bool changed = false;
    QString bookName;
    {
        TAddressSelect dialog(this);
        CenterFormOnOwner(&dialog, this);
        dialog.BookName = AdrsName;
        dialog.SetMode(Mode);
        if (dialog.exec() == QDialog::Accepted) {
            changed = dialog.Changed;
            bookName = dialog.BookName;
        }
    }
    if (!changed || !CloseChildWindows())
        return;
    TWaitCursor hourglass;
    m_model->SetTable(nullptr);
    m_model->ClearRows();
    if (m_adrsOpened) {
        DMMurven19->CloseAdrs();
        m_adrsOpened = false;
    }
    DMMurven19->FreeAdrsTable();
    AdrsName = bookName;
    SaveBookName();
    selectBookFolder();
    setWindowTitle(ProductCaption() + QStringLiteral(" - ") + AdrsName);
    OpenBookTable(true);
    if (!m_adrsOpened) {
        // The open failed (reported by the data module): an empty list.
        for (QAction *action : std::as_const(m_rowCommands))
            action->setEnabled(false);
        UpdateCountPanels();
    }
}

void TAddressList::actEnvironmentExecute()
{
    TEnvironment dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.CloseChildWindows = [this] { return CloseChildWindows(); };
    dialog.SaveListSettings = [this] { SaveFolderSettings(); };
    dialog.HddInstall = [](QWidget *Owner) {
        THDDInstall install(Owner);
        CenterFormOnOwner(&install, Owner);
        install.exec();
    };
    const int result = dialog.exec();
    if (dialog.Restart()) {
        // The update program replaces the files once this run has ended. The
        // run ends as every close does: the other windows are asked first,
        // so an edit pending in one of them is saved or kept, never dropped.
        reject();
        return;
    }
    if (result != QDialog::Accepted)
        return;
    const TEnvironmentChanges &changes = dialog.Changes();
    if (changes.DataPath) {
        ChangeDataFolder();
        return;
    }
    if (changes.ListColor)
        UpdateListColor();
    if (changes.Cooperate && DataInquiry)
        DataInquiry->RefreshLinkHints();
    if (NameAdrsSearchWindow) {
        if (changes.HisCount)
            NameAdrsSearchWindow->ApplyHistoryCount();
        if (changes.Areas)
            NameAdrsSearchWindow->RefreshAreaSettings();
    }
}

void TAddressList::SaveFolderSettings()
{
    SaveSearchList();
    QString error;
    if (!m_model->SaveListSettings(adrsListIni(), &error))
        ShowWriteFailure(this, QStringLiteral("一覧の表示項目と表示順の設定"), adrsListIni(), error);
    SaveBookOrder();
}

void TAddressList::ChangeDataFolder()
{
    // Everything of the old folder goes: its filter, rows, tables, histories.
    TWaitCursor hourglass;
    m_model->Condition.Clear();
    m_model->FilterDisabled = false;
    actDisableSearch->setChecked(false);
    ApplySearchWord(QString());
    m_model->SetTable(nullptr);
    m_model->ClearRows();
    if (m_adrsOpened && DMMurven19) {
        DMMurven19->CloseAdrs();
        m_adrsOpened = false;
    }
    if (DMMurven19) {
        DMMurven19->FreeSenderTable();
        DMMurven19->FreeAdrsTable();
        DMMurven19->FreeDatabase();
    }
    for (QAction *action : std::as_const(m_rowCommands))
        action->setEnabled(false);
    UpdateFilterPanel();
    UpdateCountPanels();

    EnsureWordFiles();
    QString error;
    if (!ScanAddressBooks(false, &error))
        ShowWriteFailure(this, QStringLiteral("アドレス帳の削除・名前の変更の予定"), AdrsOpFileName(), error);
    m_model->LoadListSettings(adrsListIni());
    LoadSearchList();
    FillSortCombo();
    UpdateSortDirButton();
    UpdateSortControls();
    OpenAddressBook(true);
    if (!m_adrsOpened)
        UpdateCountPanels();
}

// ---------------------------------------------------------------------------
// Refresh

void TAddressList::RefreshList(bool RebuildColumns, bool ReloadRows, bool KeepTop)
{
    const int top = KeepTop && GetRowCount() > 0 ? lvAddress->TopRow() : -1;
    TWaitCursor hourglass;
    const QFontMetrics metrics(lvAddress->font());
    if (RebuildColumns)
        m_model->BuildColumns(metrics);
    else
        m_model->MeasureColumns(metrics);

    // The record the record form shows becomes the inquiry row again when
    // it is among the new rows, also when the last refresh had hidden it.
    qint32 keep = m_model->InquiryRow() >= 0 ? m_model->RecNoAt(m_model->InquiryRow()) : -1;
    if (keep == -1 && DataInquiry)
        keep = DataInquiry->GetCurrentRecNo();
    // The reset below drops the selection without a selection signal.
    m_searchPos = -1;
    if (ReloadRows) {
        try {
            m_model->ReloadRows(keep);
        } catch (const Exception &error) {
            // The model is left without rows; the next refresh walks again.
            ShowMessageBoxAt(this, QStringLiteral("アドレス帳が読み出せませんでした  \r\n") + error.Message(),
                             ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        }
    } else {
        m_model->DropCache();
    }
    ApplyColumnWidths();
    lvAddress->viewport()->update();

    UpdateCountPanels();
    const int rows = GetRowCount();
    if (KeepTop && rows > 0 && top >= 0)
        lvAddress->scrollTo(m_model->index(qMin(top, rows - 1), 0), QAbstractItemView::PositionAtTop);
    for (QAction *action : std::as_const(m_rowCommands))
        action->setEnabled(rows > 0 && !m_unavailable.contains(action));
    // In an empty book 照会 opens the form on a new record: the way to the
    // first record.
    actInquiry->setEnabled(m_adrsOpened && !m_unavailable.contains(actInquiry));
    // The form's position and its buttons follow the new rows.
    if (DataInquiry && DataInquiry->NavigationSource() == 1)
        DataInquiry->UpdateNavigation();
    // The rows changed under the windows that work on a range of them.
    if (AddressCopy)
        AddressCopy->UpdateDataRange();
    NotifyRowWindows("UpdateDataRange");
}

void TAddressList::ApplyColumnWidths()
{
    m_applyingWidths = true;
    QHeaderView *header = lvAddress->horizontalHeader();
    const QList<int> &shown = m_model->ShownColumns();
    for (int c = 0; c < shown.size(); ++c)
        header->resizeSection(c, m_model->ColumnRecords()[size_t(shown[c])].Width);
    m_applyingWidths = false;
}

void TAddressList::UpdateListColor()
{
    // The record form's background colour applies only while the form
    // shows a record of this list.
    QPalette palette = lvAddress->palette();
    palette.setColor(QPalette::Base, ViewBGPaint && DataInquiryTintsAddressList()
                                         ? ColorToQColor(ViewBGColor)
                                         : QApplication::palette().color(QPalette::Base));
    lvAddress->setPalette(palette);
    lvAddress->viewport()->update();
}

void TAddressList::UpdateCountPanels()
{
    SetCountPanel(2, QStringLiteral("選択件数： ") + QString::number(GetSelCount()));
    SetCountPanel(3, QStringLiteral("表示件数： ") + QString::number(GetRowCount()));
}

void TAddressList::SetCountPanel(int Panel, const QString &Text)
{
    QLabel *panel = m_panels[Panel];
    panel->setText(Text);
    // The panel keeps its design width and grows to show a large count
    // whole; a label clips its text without a sign.
    panel->setFixedWidth(std::max(ScaleForDpi(kCountPanelWidth, true), panel->sizeHint().width()));
}

void TAddressList::UpdateFilterPanel()
{
    const bool disabled = actDisableSearch->isChecked();
    const bool filter = !m_model->Condition.IsEmpty();
    QString text;
    int fill = -1;
    if (disabled) {
        text = filter ? QStringLiteral("絞り込み無効") : QStringLiteral("重複表示無効");
        fill = filter ? kFillFilterDisabled : kFillDuplicateDisabled;
    } else if (filter) {
        text = QStringLiteral("絞り込み中");
        fill = kFillFilter;
    } else if (m_model->DupItem1 > 0) {
        text = QStringLiteral("重複表示中");
        fill = kFillDuplicate;
    }
    QLabel *panel = m_panels[1];
    panel->setText(text);
    panel->setAutoFillBackground(fill >= 0);
    QPalette palette = stbarInfo->palette();
    if (fill >= 0) {
        palette.setColor(QPalette::Window, ColorToQColor(fill));
        palette.setColor(QPalette::WindowText, Qt::black);
    }
    panel->setPalette(palette);
    panel->update();
}

QString TAddressList::PanelText(int Panel) const
{
    return Panel >= 0 && Panel < 5 ? m_panels[Panel]->text() : QString();
}

QColor TAddressList::FilterPanelColor() const
{
    return m_panels[1]->autoFillBackground() ? m_panels[1]->palette().color(QPalette::Window) : QColor();
}

// ---------------------------------------------------------------------------
// Group and sort controls

void TAddressList::FillGroupCombo()
{
    m_fillingCombos = true;
    cbxGroup->clear();
    cbxGroup->addItem(QStringLiteral("すべて"));
    cbxGroup->addItem(QStringLiteral("未指定のみ"));
    for (int n = 1; n <= GroupCount; ++n)
        cbxGroup->addItem(QStringLiteral("%1： %2").arg(n, 2).arg(GroupNames[size_t(n)]));
    cbxGroup->setMaxVisibleItems(12);
    cbxGroup->setCurrentIndex(m_model->ViewGroup);
    m_fillingCombos = false;
}

void TAddressList::FillSortCombo()
{
    m_fillingCombos = true;
    cbxSort->clear();
    for (int i = 0; i < SortTypeCount; ++i)
        cbxSort->addItem(SortTypeCaption(i));
    cbxSort->setMaxVisibleItems(SortTypeCount);
    cbxSort->setCurrentIndex(m_model->SortType);
    m_fillingCombos = false;
}

void TAddressList::UpdateSortDirButton()
{
    if (m_model->SortDir) {
        sbtnSortDirection->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
        SetWideHint(sbtnSortDirection, QStringLiteral("表示方向： 昇順|指定中の表示順の昇順と降順を切り替えます"));
    } else {
        sbtnSortDirection->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
        SetWideHint(sbtnSortDirection, QStringLiteral("表示方向： 降順|指定中の表示順の昇順と降順を切り替えます"));
    }
}

void TAddressList::UpdateSortControls()
{
    // The duplicate display has its own order.
    const bool duplicates = m_model->DupItem1 > 0 && !actDisableSearch->isChecked();
    cbxSort->setEnabled(!duplicates);
    sbtnSortDirection->setEnabled(!duplicates);
    QPalette palette = cbxSort->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(duplicates ? QPalette::Button : QPalette::Base));
    cbxSort->setPalette(palette);
}

void TAddressList::ViewChanged()
{
    if (isVisible())
        repaint();
    RefreshList(false, true, false);
    SelectRow(m_model->InquiryRow(), false, true);
    NotifyPrintEditors([](TPrintEditorNotice &Editor) { Editor.NotifyCurrentRecordChanged(); });
    emit CurrentRecordChanged();
    lvAddress->setFocus();
}

// ---------------------------------------------------------------------------
// Rows and selection

std::vector<std::pair<int, int>> TAddressList::SelectedIntervals() const
{
    std::vector<std::pair<int, int>> intervals;
    const QItemSelection selection = lvAddress->selectionModel()->selection();
    intervals.reserve(size_t(selection.size()));
    for (const QItemSelectionRange &range : selection) {
        if (range.isValid())
            intervals.emplace_back(range.top(), range.bottom());
    }
    std::sort(intervals.begin(), intervals.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto &interval : intervals) {
        if (!merged.empty() && interval.first <= merged.back().second + 1)
            merged.back().second = qMax(merged.back().second, interval.second);
        else
            merged.push_back(interval);
    }
    return merged;
}

TRunRecords TAddressList::SelectedRunRecords() const
{
    TRunRecords records;
    records.reserve(GetSelCount());
    for (const auto &[first, last] : SelectedIntervals()) {
        for (int row = first; row <= last; ++row)
            records << TRunRecord{m_model->RecNoAt(row), row};
    }
    return records;
}

TRunRecords TAddressList::RowRunRecords(int First, int Last) const
{
    TRunRecords records;
    First = qMax(First, 0);
    Last = qMin(Last, GetRowCount() - 1);
    records.reserve(qMax(Last - First + 1, 0));
    for (int row = First; row <= Last; ++row)
        records << TRunRecord{m_model->RecNoAt(row), row};
    return records;
}

QString TAddressList::RecordCaption(const TRunRecord &Record) const
{
    QStringList parts;
    const QList<int> &shown = m_model->ShownColumns();
    if (Record.Row >= 0 && std::any_of(shown.cbegin(), shown.cend(), [this](int position) {
            return m_model->ColumnRecords()[size_t(position)].Index == kNoColumnId;
        }))
        parts << QStringLiteral("No.%1").arg(Record.Row + 1);
    bool found = false;
    try {
        found = PositionOn(Record.RecNo);
    } catch (const ETableError &) {
        found = false;
    }
    if (!found)
        return (parts << QStringLiteral("（削除されたデータ）")).join(QStringLiteral("  "));
    QString name = m_model->FormatCell(kNameColumnId, Record.Row).trimmed();
    if (name.isEmpty())
        name = m_model->FormatCell(kCorpColumnId, Record.Row).trimmed();
    const QString tel = m_model->FormatCell(kTelColumnId, Record.Row).trimmed();
    if (name.isEmpty() && tel.isEmpty())
        name = QStringLiteral("（名前なし）");
    for (const QString &part : {name, tel}) {
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(QStringLiteral("  "));
}

QString TAddressList::RecordListText(const TRunRecords &Records) const
{
    constexpr int listed = 10;
    QStringList lines;
    for (int i = 0; i < Records.size() && i < listed; ++i)
        lines << RecordCaption(Records[i]);
    if (Records.size() > listed)
        lines << QStringLiteral("ほか%1件").arg(Records.size() - listed);
    return lines.join(QStringLiteral("  \r\n"));
}

int TAddressList::GetRowCount() const
{
    return m_model->RowCount();
}

int TAddressList::GetSelCount() const
{
    int count = 0;
    for (const auto &interval : SelectedIntervals())
        count += interval.second - interval.first + 1;
    return count;
}

bool TAddressList::IsRowSelected(int Index) const
{
    if (Index < 0 || Index >= GetRowCount())
        return false;
    return lvAddress->selectionModel()->isSelected(m_model->index(Index, 0));
}

void TAddressList::SetRowSelected(int Index, bool Selected)
{
    if (Index < 0 || Index >= GetRowCount())
        return;
    const QModelIndex index = m_model->index(Index, 0);
    QItemSelectionModel *selection = lvAddress->selectionModel();
    if (Selected) {
        selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    } else {
        selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
}

qint32 TAddressList::GetRowRecNo(int Index) const
{
    return m_model->RecNoAt(Index);
}

int TAddressList::GetFocusedIndex() const
{
    const QModelIndex current = lvAddress->currentIndex();
    return current.isValid() ? current.row() : -1;
}

int TAddressList::GetFirstSelected() const
{
    const auto intervals = SelectedIntervals();
    return intervals.empty() ? -1 : intervals.front().first;
}

int TAddressList::GetLastSelected() const
{
    const auto intervals = SelectedIntervals();
    return intervals.empty() ? -1 : intervals.back().second;
}

void TAddressList::SelectRow(int Index, bool ClearOthers, bool MakeVisible)
{
    const int rows = GetRowCount();
    if (rows == 0) {
        m_currentRow = -1;
        return;
    }
    const int row = qBound(0, Index, rows - 1);
    QItemSelectionModel *selection = lvAddress->selectionModel();
    if (ClearOthers && selection->hasSelection())
        selection->clearSelection();
    const QModelIndex index = m_model->index(row, 0);
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (MakeVisible)
        lvAddress->scrollTo(index, QAbstractItemView::EnsureVisible);
}

int TAddressList::IndexOfRecNo(qint32 RecNo) const
{
    return m_model->IndexOfRecNo(RecNo);
}

void TAddressList::SelectionChanged()
{
    SetCountPanel(2, QStringLiteral("選択件数： ") + QString::number(GetSelCount()));
    const int first = GetFirstSelected();
    if (first >= 0 && AddressCopy)
        AddressCopy->UpdateDataRange();
    if (first >= 0 && first != m_currentRow) {
        // The exports, the copy window and the list printing would take the
        // new data range here; the print editors the new current record.
        m_currentRow = first;
        NotifyPrintEditors([](TPrintEditorNotice &Editor) { Editor.NotifyCurrentRecordChanged(); });
    emit CurrentRecordChanged();
    }
    m_searchPos = -1;
}

// ---------------------------------------------------------------------------
// Records

bool TAddressList::PositionOn(qint32 RecNo) const
{
    TTable *table = m_model->Table();
    if (!table || !table->Active())
        return false;
    if (!table->IndexName().isEmpty())
        table->SetIndexName(QString());
    return table->FindKey({QVariant(RecNo)});
}

bool TAddressList::ReadAddressData(qint32 RecNo, TAddressData &Data)
{
    TTable *table = m_model->Table();
    if (!table || !table->Active()) {
        ShowMessageBoxAt(this, QStringLiteral("アドレス帳が読み出せませんでした  "), ProductCaption(), MB_ICONERROR,
                         mbpCenterOnOwner, 0, 0);
        return false;
    }
    return ::ReadAddressData(*table, RecNo, Data, this);
}

bool TAddressList::GetRecordAt(int Index, TAddressData &Data)
{
    const int rows = GetRowCount();
    if (rows == 0 || Index < 0 || Index >= rows)
        return false;
    const qint32 recNo = m_model->RecNoAt(Index);
    if (recNo == -1) {
        ShowMessageBoxAt(this, QStringLiteral("指定したIndexは範囲外です  "), ProductCaption(), MB_ICONERROR,
                         mbpCenterOnOwner, 0, 0);
        return false;
    }
    if (!ReadAddressData(recNo, Data))
        return false;
    m_model->SetInquiryRow(Index);
    SelectRow(Index, true, true);
    return true;
}

bool TAddressList::GetFirstRecord(TAddressData &Data)
{
    return GetRecordAt(0, Data);
}

bool TAddressList::GetPriorRecord(TAddressData &Data)
{
    return !IsFirstRow() && GetRecordAt(m_model->InquiryRow() - 1, Data);
}

bool TAddressList::GetNextRecord(TAddressData &Data)
{
    return !IsLastRow() && GetRecordAt(m_model->InquiryRow() + 1, Data);
}

bool TAddressList::GetLastRecord(TAddressData &Data)
{
    return GetRecordAt(GetRowCount() - 1, Data);
}

bool TAddressList::IsFirstRow() const
{
    return GetRowCount() == 0 || m_model->InquiryRow() < 1;
}

bool TAddressList::IsLastRow() const
{
    return GetRowCount() == 0 || m_model->InquiryRow() >= GetRowCount() - 1;
}

int TAddressList::InquiryRow() const
{
    return m_model->InquiryRow();
}

void TAddressList::SetInquiryIndex(int Index)
{
    if (Index >= -1 && Index <= GetRowCount() - 1)
        m_model->SetInquiryRow(Index);
}

void TAddressList::NotifyRecordsChanged(const QList<qint32> &RecNos)
{
    NotifyPrintEditors([&RecNos](TPrintEditorNotice &Editor) { Editor.NotifyRecordUpdated(RecNos); });
    emit RecordsChanged(RecNos);
}

void TAddressList::NotifyRecordsDeleted(const QList<qint32> &RecNos)
{
    NotifyPrintEditors([&RecNos](TPrintEditorNotice &Editor) { Editor.NotifyRecordDeleted(RecNos); });
    emit RecordsDeleted(RecNos);
}

// ---------------------------------------------------------------------------
// Senders

void TAddressList::LoadSenderList()
{
    m_senders.clear();
    if (!DMMurven19 || !DMMurven19->SenderTable() || !DMMurven19->OpenSender())
        return;
    TTable *table = DMMurven19->SenderTable();
    table->SetIndexName(QString());
    TField &title = table->FieldByName(QStringLiteral("Title"));
    TField &recNo = table->FieldByName(QStringLiteral("RecNo"));
    for (table->First(); !table->Eof(); table->Next())
        m_senders.append({title.AsString().trimmed(), recNo.AsInteger()});
    DMMurven19->CloseSender();
    if (DataInquiry)
        DataInquiry->RefreshSenders();
}

int TAddressList::GetSenderCount() const
{
    return int(m_senders.size());
}

QString TAddressList::GetSenderName(int Index) const
{
    return Index >= 0 && Index < m_senders.size() ? m_senders[Index].first : QString();
}

qint32 TAddressList::GetSenderRecNo(int Index) const
{
    return Index >= 0 && Index < m_senders.size() ? m_senders[Index].second : -1;
}

bool TAddressList::SetRecordSender(qint32 RecNo, qint32 SenderRecNo)
{
    TTable *table = m_model->Table();
    try {
        if (!PositionOn(RecNo))
            return false;
        table->Edit();
        table->FieldByName(QStringLiteral("Sender")).SetAsInteger(SenderRecNo);
        PostAndFlush(*table);
    } catch (const ETableError &error) {
        if (table->State() != TTable::TState::dsBrowse)
            table->Cancel();
        ShowMessageBoxAt(this, QStringLiteral("差出人を変更できませんでした  \r\n\r\n") + error.Message(),
                         ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return false;
    }
    if (DataInquiry && DataInquiry->NavigationSource() == 1 && DataInquiry->GetCurrentRecNo() == RecNo)
        DataInquiry->SetShownSender(SenderRecNo);
    return true;
}

// ---------------------------------------------------------------------------
// Columns

int TAddressList::GetColumnCount() const
{
    return int(m_model->ShownColumns().size());
}

int TAddressList::GetColumnDefIndex(int Position) const
{
    const QList<int> &shown = m_model->ShownColumns();
    if (Position < 0 || Position >= shown.size())
        return -1;
    return m_model->ColumnRecords()[size_t(shown[Position])].DefIndex;
}
