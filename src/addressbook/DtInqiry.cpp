// The record form: its controls, settings, modes, pending-edit guard,
// navigation over the main list and window behaviour.
#include "addressbook/DtInqiry.h"
#include "addressbook/DtInqiryTel.h"
#include "directory/NmAdSch.h"

#include "addressbook/AdrsList.h"
#include "core/DBInfo.h"
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
#include "widgets/ByteLimitValidator.h"
#include "widgets/EnterKey.h"
#include "widgets/NMDEdit.h"
#include "widgets/PaintPanel.h"
#include "widgets/PrintToggle.h"
#include "widgets/TntNMDEdit.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <array>
#include <initializer_list>

TDataInquiry *DataInquiry = nullptr;
int TDataInquiry::RecordLimit = 100000;

namespace {

const QString kSection = QStringLiteral("DATA INQUIRY");
const QString kRegisterCaption = QStringLiteral("アドレス帳情報登録");
const QString kInquiryCaption = QStringLiteral("アドレス帳情報照会");

QToolButton *toolButton(QWidget *parent, const char *name, const QString &text, const QString &hint = {})
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}

QPushButton *pushButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

// An edit limited to the CP932 bytes of the field it is stored in.
TTntEdit *byteEdit(QWidget *parent, const char *name, int bytes)
{
    auto *edit = new TTntEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->SetMaxLengthBytes(bytes);
    return edit;
}

// A field the user reads but does not type in: read-only, and painted on
// the button face as the disabled company fields are, so it does not look
// like a place to type.
void readOnlyLook(QLineEdit *edit)
{
    edit->setReadOnly(true);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, ColorToQColor(clBtnFace));
    edit->setPalette(palette);
}

TTntComboBox *pickCombo(QWidget *parent, const char *name, int bytes)
{
    auto *combo = new TTntComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->SetStyle(TComboBoxStyle::csDropDown);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->lineEdit()->setValidator(new TByteLimitValidator(bytes, combo->lineEdit()));
    return combo;
}

QLabel *label(QWidget *parent, const QString &text)
{
    return new QLabel(text, parent);
}

// The stored form of a copy-item list: the ids, then the flags, comma-separated.
QString joinIds(const TCopyItemEntries &items)
{
    QStringList parts;
    for (const TCopyItemEntry &item : items)
        parts << QString::number(item.Id);
    return parts.join(QLatin1Char(','));
}

QString joinFlags(const TCopyItemEntries &items)
{
    QStringList parts;
    for (const TCopyItemEntry &item : items)
        parts << (item.Copy ? QStringLiteral("1") : QStringLiteral("0"));
    return parts.join(QLatin1Char(','));
}

TCopyItemEntries defaultCopyItems()
{
    TCopyItemEntries items{};
    for (int i = 0; i < int(items.size()); ++i)
        items[size_t(i)] = {CopyItems[size_t(i)].Index, i, CopyItems[size_t(i)].Chosen};
    return items;
}

} // namespace

// A short, long or damaged id list must never lose an item or list one twice.
TCopyItemEntries ParseCopyItems(const QString &indexText, const QString &copyText)
{
    TCopyItemEntries items = defaultCopyItems();
    const QStringList ids = indexText.split(QLatin1Char(','));
    if (ids.size() != int(items.size()))
        return items;
    std::array<bool, 54> seen{};
    TCopyItemEntries parsed{};
    for (int i = 0; i < ids.size(); ++i) {
        bool ok = false;
        const int id = ids[i].trimmed().toInt(&ok);
        if (!ok || id < 0 || id >= int(items.size()) || seen[size_t(id)])
            return items;
        seen[size_t(id)] = true;
        parsed[size_t(i)] = {id, id, true};
    }
    const QStringList flags = copyText.split(QLatin1Char(','));
    if (flags.size() == int(items.size())) {
        for (int i = 0; i < flags.size(); ++i)
            parsed[size_t(i)].Copy = flags[i].trimmed() == QLatin1String("1");
    }
    return parsed;
}

TDataInquiry *GetDataInquiry()
{
    if (!DataInquiry)
        new TDataInquiry; // sets DataInquiry; frees itself when closed
    if (DataInquiry->isMinimized())
        DataInquiry->showNormal();
    return DataInquiry;
}

bool DataInquiryTintsAddressList()
{
    return DataInquiry && DataInquiry->NavigationSource() == 1 && DataInquiry->InquiryMode() == 1;
}

namespace {

// The list the record form walks takes the tint; the other one loses it.
void updateTintedLists()
{
    if (AddressList)
        AddressList->UpdateListColor();
    if (NameAdrsSearchWindow)
        NameAdrsSearchWindow->UpdateListColor(DataInquiry && DataInquiry->NavigationSource() == 0
                                              && DataInquiry->InquiryMode() == 1);
}

} // namespace

// ---------------------------------------------------------------------------
// Creation

TDataInquiry::TDataInquiry(QWidget *Owner)
    : QWidget(nullptr, Qt::Window)
{
    // No parent window: the form has its own taskbar entry and stays when
    // the list window is minimised.
    Q_UNUSED(Owner);
    setObjectName(QStringLiteral("DataInquiry"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kRegisterCaption);
    DataInquiry = this;

    CreateControls();
    ConnectControls();
    // Enter walks the fields to 登録 or 変更: Return there saves.
    PressFocusedButtonOnEnter(this);
    m_copyItems = defaultCopyItems();
    ReadSettings();

    FillGroupCombo();
    FillSenderCombo();
    cbxSymbolMark->addItem(QStringLiteral("指定しない"));
    for (const QString &mark : SymbolMarks)
        cbxSymbolMark->addItem(mark);
    FillPickLists(0x3F);
    RefreshKeywordCaptions();
    RefreshLinkHints();
    sbtnPriv->setChecked(true);
    SetPrivCorp(true, false);
    ClearInputs();
    btnUpdate->setEnabled(false);
    btnDelete->setEnabled(false);
    m_navigationSource = -1;
    DisableNavigation();
    pgcInquiry->setCurrentIndex(0);
}

TDataInquiry::~TDataInquiry()
{
    WriteSettings();
    if (DataInquiry == this)
        DataInquiry = nullptr;
}

void TDataInquiry::CreateControls()
{
    pgcInquiry = new QTabWidget(this);
    pgcInquiry->setObjectName(QStringLiteral("pgcInquiry"));
    pgcInquiry->addTab(CreateMainPage(), QStringLiteral("メイン"));
    pgcInquiry->addTab(CreateSubPage(), QStringLiteral("サブ"));
    pgcInquiry->addTab(CreateMemoPage(), QStringLiteral("メモ"));
    pgcInquiry->addTab(CreateOtherPage(), QStringLiteral("その他"));
    pgcInquiry->tabBar()->installEventFilter(this);
    // F1 opens the manual's page on the part of the form that has the focus:
    // each tab has its page, the address and its dictionary and link
    // buttons one of their own, the form's buttons the overview.
    setProperty("HelpContext", 12);
    for (int tab = 0; tab < 4; ++tab)
        pgcInquiry->widget(tab)->setProperty("HelpContext", std::array{13, 15, 16, 17}[size_t(tab)]);
    for (QWidget *address : std::initializer_list<QWidget *>{
             bbtnTelSch, edtPos, bbtnPosSch, edtTdfkn, edtAdrs1, bbtnAdrsSearch, edtAdrs2, edtAdrs3, edtAdrsKana,
             edtJisCode, bbtnGetJisCode, bbtnMap, bbtnQRMap, bbtnRoot, bbtnWebSearch})
        address->setProperty("HelpContext", 14);

    const QStringList moveTexts = {QStringLiteral("|◀"), QStringLiteral("◀"), QStringLiteral("▶"),
                                   QStringLiteral("▶|")};
    const char *moveNames[] = {"sbtnFirst", "sbtnPrior", "sbtnNext", "sbtnLast"};
    const QStringList moveHints = {QStringLiteral("先頭"), QStringLiteral("前"), QStringLiteral("次"),
                                   QStringLiteral("最後")};
    for (int tag = 0; tag < 4; ++tag)
        sbtnMove[size_t(tag)] = toolButton(this, moveNames[tag], moveTexts[tag], moveHints[tag]);
    lblPosition = label(this, QStringLiteral("---"));
    lblPosition->setObjectName(QStringLiteral("lblPosition"));
    lblCount = label(this, QStringLiteral("---"));
    lblCount->setObjectName(QStringLiteral("lblCount"));
    bbtnNew = pushButton(this, "bbtnNew", QStringLiteral("新規登録"));
    btnAdd = pushButton(this, "btnAdd", QStringLiteral("登録"));
    btnUpdate = pushButton(this, "btnUpdate", QStringLiteral("変更"));
    btnDelete = pushButton(this, "btnDelete", QStringLiteral("削除"));
    btnClose = pushButton(this, "btnClose", QStringLiteral("閉じる"));
    chkContinualAdd = new QCheckBox(QStringLiteral("連続して登録"), this);
    chkContinualAdd->setObjectName(QStringLiteral("chkContinualAdd"));
    btnCopy = pushButton(this, "btnCopy", QStringLiteral("項目コピー"));
    bbtnCopySetting = toolButton(this, "bbtnCopySetting", QStringLiteral("…"),
                                 QStringLiteral("コピーする項目の設定"));

    auto *navigation = new QHBoxLayout;
    for (QToolButton *button : sbtnMove)
        navigation->addWidget(button);
    navigation->addSpacing(8);
    navigation->addWidget(lblPosition);
    navigation->addWidget(label(this, QStringLiteral("/")));
    navigation->addWidget(lblCount);
    navigation->addStretch(1);
    navigation->addWidget(btnCopy);
    navigation->addWidget(bbtnCopySetting);

    auto *commands = new QHBoxLayout;
    commands->addWidget(bbtnNew);
    commands->addWidget(chkContinualAdd);
    commands->addStretch(1);
    commands->addWidget(btnAdd);
    commands->addWidget(btnUpdate);
    commands->addWidget(btnDelete);
    commands->addWidget(btnClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(navigation);
    layout->addWidget(pgcInquiry, 1);
    layout->addLayout(commands);
}

QWidget *TDataInquiry::CreateMainPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsMain"));
    auto *grid = new QGridLayout(page);

    cbxGroup = new QComboBox(page);
    cbxGroup->setObjectName(QStringLiteral("cbxGroup"));
    bbtnEditGroup = toolButton(page, "bbtnEditGroup", QStringLiteral("…"), QStringLiteral("グループ名の設定"));
    edtCustomCode = byteEdit(page, "edtCustomCode", 20);
    edtTel = byteEdit(page, "edtTel", 13);
    chkMainNumber = new QCheckBox(QStringLiteral("代表電話"), page);
    chkMainNumber->setObjectName(QStringLiteral("chkMainNumber"));
    bbtnTelSch = toolButton(page, "bbtnTelSch", QStringLiteral("検索"));
    edtFax = byteEdit(page, "edtFax", 13);
    edtPortable1 = byteEdit(page, "edtPortable1", 13);
    edtPortable2 = byteEdit(page, "edtPortable2", 13);
    edtPubDate = byteEdit(page, "edtPubDate", 0);
    readOnlyLook(edtPubDate);
    edtPos = byteEdit(page, "edtPos", 8);
    bbtnPosSch = toolButton(page, "bbtnPosSch", QStringLiteral("検索"));
    edtTdfkn = byteEdit(page, "edtTdfkn", 8);
    edtAdrs1 = byteEdit(page, "edtAdrs1", 32);
    edtAdrs2 = byteEdit(page, "edtAdrs2", 100);
    edtAdrs3 = byteEdit(page, "edtAdrs3", 116);
    bbtnAdrsSearch = toolButton(page, "bbtnAdrsSearch", QStringLiteral("検索"));
    edtAdrsKana = byteEdit(page, "edtAdrsKana", 100);
    edtJisCode = byteEdit(page, "edtJisCode", 5);
    readOnlyLook(edtJisCode);
    bbtnGetJisCode = toolButton(page, "bbtnGetJisCode", QStringLiteral("市町村コード取得"));
    lblKajoCode = new QLabel(page);
    lblKajoCode->setObjectName(QStringLiteral("lblKajoCode"));
    lblKajoCode->hide();
    bbtnMap = toolButton(page, "bbtnMap", QStringLiteral("地図"));
    bbtnQRMap = toolButton(page, "bbtnQRMap", QStringLiteral("QR"));
    bbtnRoot = toolButton(page, "bbtnRoot", QStringLiteral("路線"));
    bbtnWebSearch = toolButton(page, "bbtnWebSearch", QStringLiteral("Web検索"));
    for (TTntEdit *number : {edtTel, edtFax, edtPortable1, edtPortable2, edtPos})
        number->SetHalfWidthNumbers(true);
    for (TTntEdit *number : {edtTel, edtFax, edtPortable1, edtPortable2})
        number->SetPhoneNumber(true);
    // This platform cannot put an input method into half-width katakana for
    // a field: the readings are converted as they are entered instead.
    edtAdrsKana->SetHalfWidthKana(true);

    sbtnPriv = toolButton(page, "sbtnPriv", QStringLiteral("個人"));
    sbtnCorp = toolButton(page, "sbtnCorp", QStringLiteral("会社"));
    sbtnPriv->setCheckable(true);
    sbtnCorp->setCheckable(true);
    grpPrivCorp = new QButtonGroup(page);
    grpPrivCorp->setExclusive(true);
    grpPrivCorp->addButton(sbtnPriv);
    grpPrivCorp->addButton(sbtnCorp);
    nmedtCorpKanji = new TNMDEdit(page);
    nmedtCorpKanji->setObjectName(QStringLiteral("nmedtCorpKanji"));
    nmedtCorpKanji->setValidator(new TByteLimitValidator(112, nmedtCorpKanji));
    edtCorpKana = byteEdit(page, "edtCorpKana", 80);
    edtCorpKana->SetHalfWidthKana(true);
    nmedtCorpKanji->SetAssociate(edtCorpKana);
    nmedtCorpKanji->SetInputType(TInputKind::itKanji);
    cbxDptmnt = pickCombo(page, "cbxDptmnt", 100);
    cbxPost = pickCombo(page, "cbxPost", 50);
    bbtnDptmnt = toolButton(page, "bbtnDptmnt", QStringLiteral("…"), QStringLiteral("部署の編集"));
    bbtnPost = toolButton(page, "bbtnPost", QStringLiteral("…"), QStringLiteral("役職の編集"));
    nmedtNameKanji = new TTntNMDEdit(page);
    nmedtNameKanji->setObjectName(QStringLiteral("nmedtNameKanji"));
    nmedtNameKanji->SetMaxLengthUnits(15); // 15 UTF-16 units fill the 75-byte "@" form
    nmedtNameKana = new TTntNMDEdit(page);
    nmedtNameKana->setObjectName(QStringLiteral("nmedtNameKana"));
    nmedtNameKana->SetMaxLengthBytes(25);
    nmedtNameKana->SetHalfWidthKana(true);
    nmedtNameKana->SetInputType(TInputKind::itKana);
    nmedtNameKanji->SetAssociate(nmedtNameKana);
    nmedtNameKana->SetAssociate(nmedtNameKanji);
    cbxHonor = pickCombo(page, "cbxHonor", 10);
    bbtnHonor = toolButton(page, "bbtnHonor", QStringLiteral("…"), QStringLiteral("敬称の編集"));
    chkIgnoreName = new QCheckBox(QStringLiteral("宛名の印刷に名前を使用しない"), page);
    chkIgnoreName->setObjectName(QStringLiteral("chkIgnoreName"));

    auto *lblCorpKanji = label(page, QStringLiteral("会社名"));
    auto *lblCorpKana = label(page, QStringLiteral("会社名カナ"));
    auto *lblDptmnt = label(page, QStringLiteral("部署"));
    auto *lblPost = label(page, QStringLiteral("役職"));
    m_corpControls = {lblCorpKanji, nmedtCorpKanji, lblCorpKana, edtCorpKana, lblDptmnt,
                      cbxDptmnt,    bbtnDptmnt,     lblPost,     cbxPost,     bbtnPost};

    auto *groupRow = new QHBoxLayout;
    groupRow->addWidget(cbxGroup, 1);
    groupRow->addWidget(bbtnEditGroup);
    groupRow->addSpacing(12);
    groupRow->addWidget(label(page, QStringLiteral("顧客コード")));
    groupRow->addWidget(edtCustomCode, 1);
    int row = 0;
    grid->addWidget(label(page, QStringLiteral("グループ")), row, 0);
    grid->addLayout(groupRow, row++, 1, 1, 5);
    grid->addWidget(label(page, QStringLiteral("電話番号")), row, 0);
    grid->addWidget(edtTel, row, 1);
    grid->addWidget(bbtnTelSch, row, 2);
    grid->addWidget(chkMainNumber, row, 3);
    grid->addWidget(label(page, QStringLiteral("FAX番号")), row, 4);
    grid->addWidget(edtFax, row++, 5);
    grid->addWidget(label(page, QStringLiteral("携帯番号１")), row, 0);
    grid->addWidget(edtPortable1, row, 1);
    grid->addWidget(label(page, QStringLiteral("携帯番号２")), row, 3);
    grid->addWidget(edtPortable2, row++, 4, 1, 2);
    grid->addWidget(label(page, QStringLiteral("初期掲載年月")), row, 0);
    grid->addWidget(edtPubDate, row, 1);
    grid->addWidget(label(page, QStringLiteral("市町村コード")), row, 3);
    grid->addWidget(edtJisCode, row, 4);
    grid->addWidget(bbtnGetJisCode, row++, 5);
    grid->addWidget(label(page, QStringLiteral("〒")), row, 0);
    grid->addWidget(edtPos, row, 1);
    grid->addWidget(bbtnPosSch, row, 2);
    grid->addWidget(label(page, QStringLiteral("都道府県")), row, 3);
    grid->addWidget(edtTdfkn, row++, 4, 1, 2);
    grid->addWidget(label(page, QStringLiteral("住所１")), row, 0);
    grid->addWidget(edtAdrs1, row, 1, 1, 4);
    grid->addWidget(bbtnAdrsSearch, row++, 5);
    grid->addWidget(label(page, QStringLiteral("住所２")), row, 0);
    grid->addWidget(edtAdrs2, row++, 1, 1, 5);
    grid->addWidget(label(page, QStringLiteral("住所３")), row, 0);
    grid->addWidget(edtAdrs3, row++, 1, 1, 5);
    grid->addWidget(label(page, QStringLiteral("住所カナ")), row, 0);
    grid->addWidget(edtAdrsKana, row++, 1, 1, 5);
    auto *links = new QHBoxLayout;
    links->addWidget(sbtnPriv);
    links->addWidget(sbtnCorp);
    links->addStretch(1);
    for (QToolButton *button : {bbtnMap, bbtnQRMap, bbtnRoot, bbtnWebSearch})
        links->addWidget(button);
    grid->addLayout(links, row++, 0, 1, 6);
    grid->addWidget(lblCorpKanji, row, 0);
    grid->addWidget(nmedtCorpKanji, row++, 1, 1, 5);
    grid->addWidget(lblCorpKana, row, 0);
    grid->addWidget(edtCorpKana, row++, 1, 1, 5);
    grid->addWidget(lblDptmnt, row, 0);
    grid->addWidget(cbxDptmnt, row, 1, 1, 2);
    grid->addWidget(bbtnDptmnt, row, 3);
    grid->addWidget(lblPost, row, 4);
    auto *postRow = new QHBoxLayout;
    postRow->addWidget(cbxPost, 1);
    postRow->addWidget(bbtnPost);
    grid->addLayout(postRow, row++, 5);
    grid->addWidget(label(page, QStringLiteral("名前")), row, 0);
    grid->addWidget(nmedtNameKanji, row, 1, 1, 2);
    grid->addWidget(label(page, QStringLiteral("名前カナ")), row, 3);
    grid->addWidget(nmedtNameKana, row++, 4, 1, 2);
    grid->addWidget(label(page, QStringLiteral("敬称")), row, 0);
    auto *honorRow = new QHBoxLayout;
    honorRow->addWidget(cbxHonor, 1);
    honorRow->addWidget(bbtnHonor);
    grid->addLayout(honorRow, row, 1);
    grid->addWidget(chkIgnoreName, row++, 3, 1, 3);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(5, 1);
    return page;
}

QWidget *TDataInquiry::CreateSubPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsSub"));
    auto *grid = new QGridLayout(page);
    edtURL = byteEdit(page, "edtURL", 128);
    bbtnOpenURL = toolButton(page, "bbtnOpenURL", QStringLiteral("開く"));
    edtEMail1 = byteEdit(page, "edtEMail1", 64);
    edtEMail2 = byteEdit(page, "edtEMail2", 64);
    bbtnEMail1 = toolButton(page, "bbtnEMail1", QStringLiteral("メール"));
    bbtnEMail2 = toolButton(page, "bbtnEMail2", QStringLiteral("メール"));
    int row = 0;
    grid->addWidget(label(page, QStringLiteral("URL")), row, 0);
    grid->addWidget(edtURL, row, 1, 1, 3);
    grid->addWidget(bbtnOpenURL, row++, 4);
    grid->addWidget(label(page, QStringLiteral("メール１")), row, 0);
    grid->addWidget(edtEMail1, row, 1, 1, 3);
    grid->addWidget(bbtnEMail1, row++, 4);
    grid->addWidget(label(page, QStringLiteral("メール２")), row, 0);
    grid->addWidget(edtEMail2, row, 1, 1, 3);
    grid->addWidget(bbtnEMail2, row++, 4);

    const QString fullDigits = QStringLiteral("１２３４５");
    bbtnJointHonor = toolButton(page, "bbtnJointHonor", QStringLiteral("…"), QStringLiteral("敬称の編集"));
    for (int i = 0; i < 5; ++i) {
        auto *joint = new TTntNMDEdit(page);
        joint->setObjectName(QStringLiteral("nmedtJoint%1").arg(i + 1));
        joint->SetMaxLengthUnits(11); // 11 UTF-16 units fill the 55-byte "@" form
        nmedtJoint[size_t(i)] = joint;
        cbxJointHonor[size_t(i)] = pickCombo(page, QStringLiteral("cbxJointHonor%1").arg(i + 1).toLatin1().constData(), 10);
        grid->addWidget(label(page, QStringLiteral("連名") + fullDigits[i]), row, 0);
        grid->addWidget(joint, row, 1);
        grid->addWidget(cbxJointHonor[size_t(i)], row, 2);
        if (i == 0)
            grid->addWidget(bbtnJointHonor, row, 3);
        ++row;
    }
    cbxJointOwner = new TTntComboBox(page);
    cbxJointOwner->setObjectName(QStringLiteral("cbxJointOwner"));
    cbxJointOwner->SetStyle(TComboBoxStyle::csDropDownList);
    grid->addWidget(label(page, QStringLiteral("連名主の変更")), row, 0);
    grid->addWidget(cbxJointOwner, row++, 1);

    auto *prints = new QHBoxLayout;
    prints->addWidget(label(page, QStringLiteral("印刷する名前")));
    const QStringList printTexts = {QStringLiteral("本"), QStringLiteral("1"), QStringLiteral("2"),
                                    QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")};
    for (int i = 0; i < 6; ++i) {
        const QByteArray name = i == 0 ? QByteArray("sbtnJointPrintM") : "sbtnJointPrint" + QByteArray::number(i);
        auto *button = toolButton(page, name.constData(), printTexts[i]);
        MakePrintToggle(button);
        sbtnJointPrint[size_t(i)] = button;
        prints->addWidget(button);
    }
    prints->addStretch(1);
    grid->addLayout(prints, row++, 0, 1, 5);

    cbxSender = new QComboBox(page);
    cbxSender->setObjectName(QStringLiteral("cbxSender"));
    grid->addWidget(label(page, QStringLiteral("差出人")), row, 0);
    grid->addWidget(cbxSender, row++, 1, 1, 2);
    sbtnPrintTarget = toolButton(page, "sbtnPrintTarget", QStringLiteral("印刷"));
    sbtnPrintException = toolButton(page, "sbtnPrintException", QStringLiteral("除外"));
    sbtnPrintTarget->setCheckable(true);
    sbtnPrintException->setCheckable(true);
    auto *marks = new QHBoxLayout;
    marks->addWidget(sbtnPrintTarget);
    marks->addWidget(sbtnPrintException);
    marks->addStretch(1);
    grid->addWidget(label(page, QStringLiteral("印刷指定")), row, 0);
    grid->addLayout(marks, row++, 1);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);
    return page;
}

QWidget *TDataInquiry::CreateMemoPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsMemo"));
    auto *grid = new QGridLayout(page);
    int row = 0;
    for (int i = 0; i < 8; ++i) {
        lblKeyword[size_t(i)] = label(page, QString());
        lblKeyword[size_t(i)]->setObjectName(QStringLiteral("lblKeyword%1").arg(i + 1));
        grid->addWidget(lblKeyword[size_t(i)], row, 0);
        if (i < 5) {
            edtKeyword[size_t(i)] = byteEdit(page, QStringLiteral("edtKeyword%1").arg(i + 1).toLatin1().constData(), 100);
            grid->addWidget(edtKeyword[size_t(i)], row, 1, 1, 2);
        } else {
            const int k = i - 5;
            cbxKeyword[size_t(k)] =
                pickCombo(page, QStringLiteral("cbxKeyword%1").arg(i + 1).toLatin1().constData(), 100);
            bbtnKeyword[size_t(k)] =
                toolButton(page, QStringLiteral("bbtnKeyword%1").arg(i + 1).toLatin1().constData(), QStringLiteral("…"));
            grid->addWidget(cbxKeyword[size_t(k)], row, 1);
            grid->addWidget(bbtnKeyword[size_t(k)], row, 2);
        }
        ++row;
    }
    mmoNote = new TTntMemo(page);
    mmoNote->setObjectName(QStringLiteral("mmoNote"));
    mmoNote->setTabChangesFocus(true);
    grid->addWidget(label(page, QStringLiteral("備考")), row, 0, Qt::AlignTop);
    grid->addWidget(mmoNote, row, 1, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

QWidget *TDataInquiry::CreateOtherPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsOther"));
    auto *grid = new QGridLayout(page);
    edtAddDateTime = byteEdit(page, "edtAddDateTime", 0);
    edtUpdDateTime = byteEdit(page, "edtUpdDateTime", 0);
    readOnlyLook(edtAddDateTime);
    readOnlyLook(edtUpdDateTime);
    lvExtLink = new QTreeWidget(page);
    lvExtLink->setObjectName(QStringLiteral("lvExtLink"));
    lvExtLink->setHeaderLabels({QStringLiteral("No"), QStringLiteral("リンク先")});
    lvExtLink->setRootIsDecorated(false);
    lvExtLink->header()->resizeSection(0, 40);
    bbtnAddLink = pushButton(page, "bbtnAddLink", QStringLiteral("登録"));
    bbtnDelLink = pushButton(page, "bbtnDelLink", QStringLiteral("解除"));
    bbtnOpenLink = pushButton(page, "bbtnOpenLink", QStringLiteral("開く"));
    pmExtLink = new QMenu(this);
    pmExtLink->setObjectName(QStringLiteral("pmExtLink"));
    pmExtLink->addAction(QStringLiteral("キャンセル"));
    pmExtLink->addSeparator();
    QAction *file = pmExtLink->addAction(QStringLiteral("ファイルを登録"));
    file->setObjectName(QStringLiteral("miRegisterFile"));
    QAction *url = pmExtLink->addAction(QStringLiteral("URLを登録"));
    url->setObjectName(QStringLiteral("miRegisterURL"));
    connect(file, &QAction::triggered, this, [this] { RegisterFile(); });
    connect(url, &QAction::triggered, this, [this] { RegisterUrl(); });
    cbxSymbolMark = new QComboBox(page);
    cbxSymbolMark->setObjectName(QStringLiteral("cbxSymbolMark"));
    pnlSymbolColor = new TPaintPanel(page);
    pnlSymbolColor->setObjectName(QStringLiteral("pnlSymbolColor"));
    pnlSymbolColor->setMinimumSize(40, 22);
    pnlSymbolColor->SetBevelOuter(TPaintPanel::bvLowered);
    btnSymbolColor = pushButton(page, "btnSymbolColor", QStringLiteral("色の変更"));

    int row = 0;
    grid->addWidget(label(page, QStringLiteral("登録日時")), row, 0);
    grid->addWidget(edtAddDateTime, row++, 1, 1, 3);
    grid->addWidget(label(page, QStringLiteral("更新日時")), row, 0);
    grid->addWidget(edtUpdDateTime, row++, 1, 1, 3);
    grid->addWidget(label(page, QStringLiteral("外部リンク")), row, 0, Qt::AlignTop);
    grid->addWidget(lvExtLink, row, 1, 3, 2);
    grid->addWidget(bbtnAddLink, row++, 3);
    grid->addWidget(bbtnDelLink, row++, 3);
    grid->addWidget(bbtnOpenLink, row++, 3, Qt::AlignTop);
    grid->addWidget(label(page, QStringLiteral("マーク")), row, 0);
    grid->addWidget(cbxSymbolMark, row++, 1);
    grid->addWidget(label(page, QStringLiteral("色")), row, 0);
    grid->addWidget(pnlSymbolColor, row, 1);
    grid->addWidget(btnSymbolColor, row++, 2);
    grid->setRowStretch(row - 3, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

void TDataInquiry::ConnectControls()
{
    ConnectDictionaries();
    ConnectLinks();

    for (int tag = 0; tag < 4; ++tag)
        connect(sbtnMove[size_t(tag)], &QToolButton::clicked, this, [this, tag] { MoveRecord(tag); });
    connect(bbtnNew, &QPushButton::clicked, this, [this] { bbtnNewClick(); });
    connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    connect(btnUpdate, &QPushButton::clicked, this, [this] { btnUpdateClick(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
    connect(btnCopy, &QPushButton::clicked, this, [this] { CopyToClipboard(); });
    connect(bbtnCopySetting, &QToolButton::clicked, this, [this] { CopySetting(); });
    connect(pgcInquiry, &QTabWidget::currentChanged, this, [this](int index) { PageChanged(index); });

    connect(cbxGroup, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling)
            m_group = qMax(0, index);
    });
    connect(bbtnEditGroup, &QToolButton::clicked, this, [this] { EditGroup(); });
    connect(sbtnPriv, &QToolButton::clicked, this, [this] { SetPrivCorp(true, true); });
    connect(sbtnCorp, &QToolButton::clicked, this, [this] { SetPrivCorp(false, true); });
    auto blueWhenChecked = [](QCheckBox *box) {
        connect(box, &QCheckBox::toggled, box, [box](bool on) {
            box->setStyleSheet(on ? QStringLiteral("QCheckBox { color: blue; }") : QString());
        });
    };
    blueWhenChecked(chkMainNumber);
    blueWhenChecked(chkIgnoreName);
    blueWhenChecked(chkContinualAdd);

    connect(bbtnDptmnt, &QToolButton::clicked, this, [this] { OpenInputList(0); });
    connect(bbtnPost, &QToolButton::clicked, this, [this] { OpenInputList(1); });
    connect(bbtnHonor, &QToolButton::clicked, this, [this] { OpenInputList(2); });
    connect(bbtnJointHonor, &QToolButton::clicked, this, [this] { OpenInputList(2); });
    for (int k = 0; k < 3; ++k)
        connect(bbtnKeyword[size_t(k)], &QToolButton::clicked, this, [this, k] { OpenInputList(3 + k); });

    for (int i = 0; i < 5; ++i) {
        connect(nmedtJoint[size_t(i)], &QLineEdit::textChanged, this, [this, i] { JointNameChanged(i + 1); });
        connect(nmedtJoint[size_t(i)], &QLineEdit::editingFinished, this, [this, i] { JointNameLeft(i + 1); });
    }
    connect(cbxJointOwner, &QComboBox::activated, this, [this](int index) { OwnerChosen(index); });
    for (int i = 0; i < 6; ++i)
        connect(sbtnJointPrint[size_t(i)], &QToolButton::toggled, this,
                [this, i](bool down) { PrintButtonToggled(i, down); });
    connect(sbtnPrintTarget, &QToolButton::clicked, this, [this] { PrintMarkClicked(1); });
    connect(sbtnPrintException, &QToolButton::clicked, this, [this] { PrintMarkClicked(2); });
    connect(cbxSender, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling && index >= 0)
            m_sender = cbxSender->itemData(index).toInt();
    });

    connect(bbtnAddLink, &QPushButton::clicked, this,
            [this] { pmExtLink->popup(bbtnAddLink->mapToGlobal(QPoint(0, bbtnAddLink->height()))); });
    connect(bbtnDelLink, &QPushButton::clicked, this, [this] { DeleteLink(); });
    connect(bbtnOpenLink, &QPushButton::clicked, this, [this] { OpenLink(); });
    connect(lvExtLink, &QTreeWidget::itemDoubleClicked, this, [this] { OpenLink(); });
    connect(btnSymbolColor, &QPushButton::clicked, this, [this] { ChangeSymbolColor(); });

    // Enter walks the form.
    const QList<QWidget *> inputs = findChildren<QWidget *>();
    for (QWidget *w : inputs) {
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractButton *>(w) ||
            qobject_cast<QTreeWidget *>(w))
            w->installEventFilter(this);
    }
}

// ---------------------------------------------------------------------------
// Settings

void TDataInquiry::ReadSettings()
{
    const TMemIniFile ini(SettingsFileName());
    adjustSize();
    const QSize size = frameGeometry().size();
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                           : QRect(0, 0, 1024, 768);
    const int left = ini.ReadInteger(kSection, QStringLiteral("Left"),
                                     ScaleForDpi((screen.width() - size.width()) / 2, false));
    const int top = ini.ReadInteger(kSection, QStringLiteral("Top"),
                                    ScaleForDpi((screen.height() - size.height()) / 2, false));
    PlaceWindowFrameAt(this, QPoint(ScaleForDpi(left, true), ScaleForDpi(top, true)));
    chkContinualAdd->setChecked(ini.ReadBool(kSection, QStringLiteral("ContinualAdd"), false));
    m_copyItems = ParseCopyItems(ini.ReadString(kSection, QStringLiteral("CopyItemIndex"), QString()),
                                 ini.ReadString(kSection, QStringLiteral("CopyItemCopy"), QString()));
    m_lastReturn = ini.ReadBool(kSection, QStringLiteral("LastReturn"), true);
}

void TDataInquiry::WriteSettings() const
{
    TMemIniFile ini(SettingsFileName());
    WriteWindowCorner(ini, kSection, this);
    ini.WriteBool(kSection, QStringLiteral("ContinualAdd"), chkContinualAdd->isChecked());
    ini.WriteString(kSection, QStringLiteral("CopyItemIndex"), joinIds(m_copyItems));
    ini.WriteString(kSection, QStringLiteral("CopyItemCopy"), joinFlags(m_copyItems));
    ini.WriteBool(kSection, QStringLiteral("LastReturn"), m_lastReturn);
    ini.UpdateFileOrTellOnce(); // the settings are a convenience: a write failure loses only them
}

void TDataInquiry::WriteCopySettings() const
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteString(kSection, QStringLiteral("CopyItemIndex"), joinIds(m_copyItems));
    ini.WriteString(kSection, QStringLiteral("CopyItemCopy"), joinFlags(m_copyItems));
    ini.WriteBool(kSection, QStringLiteral("LastReturn"), m_lastReturn);
    ini.UpdateFileOrTellOnce();
}

void TDataInquiry::SetCopyItems(const TCopyItemEntries &Items, bool LastReturn)
{
    m_copyItems = Items;
    m_lastReturn = LastReturn;
    WriteCopySettings();
}

// ---------------------------------------------------------------------------
// Modes

void TDataInquiry::SetNavigationSource(int Source)
{
    if (m_navigationSource == Source)
        return;
    m_navigationSource = Source;
    updateTintedLists();
}

void TDataInquiry::SetInquiryMode(int Flag)
{
    if (m_inquiryMode == Flag)
        return;
    m_inquiryMode = Flag;
    updateTintedLists();
}

void TDataInquiry::StartNewRecord()
{
    if (isVisible())
        bbtnNewClick();
    else
        SetInquiryMode(0);
}

void TDataInquiry::StartRegister(const TAddressData &Filled, const QString &WholeCorpKanji)
{
    SetInquiryMode(1);
    setWindowTitle(kRegisterCaption);
    if (m_bookRecord) {
        m_bookRecord.reset();
        if (AddressList)
            AddressList->SetInquiryIndex(-1);
    }
    chkContinualAdd->setEnabled(false);
    chkContinualAdd->setChecked(false);
    ClearInputs();
    ShowAddressData(Filled);
    if (!Filled.PrivCorp && Cp932::byteLength(WholeCorpKanji) > Filled.CorpKanji.Length()) {
        m_filling = true;
        nmedtCorpKanji->setText(WholeCorpKanji);
        m_filling = false;
    }
    m_latitude = Filled.Latitude;
    m_longitude = Filled.Longitude;
    if (AddressOutOfTarget)
        TakeSnapshot();
    else
        m_searchRecord.reset();
    UpdateNavigation();
    btnUpdate->setEnabled(false);
    btnDelete->setEnabled(false);
    FocusGroupIfMain();
}

void TDataInquiry::StartInquiry(const TAddressData &AddressData)
{
    SetInquiryMode(1);
    setWindowTitle(kInquiryCaption);
    m_searchRecord.reset();
    chkContinualAdd->setEnabled(false);
    ShowAddressData(AddressData);
    // The record's copy holds 112 bytes of a company name the table may
    // hold 120 of: the name is shown whole.
    if (const QString whole = WholeStoredCorpKanji(AddressData); !whole.isEmpty()) {
        m_filling = true;
        nmedtCorpKanji->setText(whole);
        m_filling = false;
    }
    m_bookRecord = AddressData;
    // A sender that is gone was shown as 標準: the record takes that too.
    m_bookRecord->Sender = m_sender;
    m_shownRecord = GetFormData();
    m_shownCorpKanji = nmedtCorpKanji->text();
    UpdateNavigation();
    btnUpdate->setEnabled(true);
    btnDelete->setEnabled(true);
    FocusGroupIfMain();
}

void TDataInquiry::FocusGroupIfMain()
{
    if (isVisible() && pgcInquiry->currentIndex() == 0)
        cbxGroup->setFocus();
}

void TDataInquiry::bbtnNewClick()
{
    TWaitCursor hourglass;
    if (ConfirmPendingEdit(false, true) == 9)
        return;
    SetInquiryMode(0);
    setWindowTitle(kRegisterCaption);
    m_searchRecord.reset();
    m_bookRecord.reset();
    if (AddressList)
        AddressList->SetInquiryIndex(-1);
    chkContinualAdd->setEnabled(true);
    UpdateNavigation();
    btnUpdate->setEnabled(false);
    btnDelete->setEnabled(false);
    ClearInputs();
    OpenNewRecordSearch();
}

void TDataInquiry::OpenNewRecordSearch()
{
    // A new record starts from a telephone number: the telephone page opens
    // empty, with the box that keeps the area code for the next time.
    FillFromDictionary(0, QString(), true);
    cbxGroup->setFocus();
}

qint32 TDataInquiry::GetCurrentRecNo() const
{
    return m_bookRecord ? m_bookRecord->RecNo : -1;
}

// ---------------------------------------------------------------------------
// Pending edit

int TDataInquiry::ConfirmPendingEdit(bool Closing, bool SelectAfterSave)
{
    if (m_skipConfirm) {
        m_skipConfirm = false;
        return 1;
    }
    const bool guarded = Closing ? AddressFormClose : AddressChangeData;
    if (!guarded || !IsChanged())
        return 1;
    if (AddressConfirmation) {
        const QString text =
            (m_bookRecord ? QStringLiteral("照会中のデータが変更されています  ")
                          : QStringLiteral("入力途中のデータがあります  ")) +
            QStringLiteral("\r\n\r\n") + QStringLiteral("アドレス帳に保存する場合は「はい」  ") +
            QStringLiteral("\r\n") + QStringLiteral("破棄する場合は「いいえ」  ") + QStringLiteral("\r\n") +
            QStringLiteral("中止する場合は「キャンセル」  ") + QStringLiteral("\r\n\r\n") +
            QStringLiteral("を押してください  ");
        const int answer = ShowMessageBoxAt(this, text, ProductCaption(), MB_YESNOCANCEL | MB_ICONQUESTION,
                                            mbpCenterOnOwner, 0, 0);
        if (answer == IDCANCEL)
            return 9;
        if (answer == IDNO)
            return 1;
    }
    if (!CheckInputData(!m_bookRecord))
        return 9;
    const bool update = m_bookRecord.has_value();
    qint32 newRecNo = 0;
    const int result = SaveAddressData(update, update ? nullptr : &newRecNo);
    if (result == 9) {
        ShowWriteFailed(update ? QStringLiteral("update error")
                               : QStringLiteral("add error"));
        return 9;
    }
    // A save that stored nothing (limit, same number declined, record gone)
    // keeps the form and its input: the caller must not go on as if saved.
    if (result != 0)
        return 9;
    const qint32 recNo = update ? m_bookRecord->RecNo : newRecNo;
    if (SelectAfterSave && AddressList) {
        AddressList->RefreshList(false, true, true);
        AddressList->SelectRow(AddressList->IndexOfRecNo(recNo), false, true);
    }
    if (update && AddressList)
        AddressList->NotifyRecordsChanged({recNo});
    return 0;
}

// ---------------------------------------------------------------------------
// Navigation

void TDataInquiry::MoveRecord(int Tag)
{
    TWaitCursor hourglass;
    const int confirmed = ConfirmPendingEdit(false, false);
    if (confirmed == 9)
        return;
    if (m_navigationSource == 0 && NameAdrsSearchWindow) {
        TTelRecord record{};
        bool ok = false;
        switch (Tag) {
        case 0: ok = NameAdrsSearchWindow->ShowFirstHit(record); break;
        case 1: ok = NameAdrsSearchWindow->ShowPriorHit(record); break;
        case 2: ok = NameAdrsSearchWindow->ShowNextHit(record); break;
        default: ok = NameAdrsSearchWindow->ShowLastHit(record); break;
        }
        if (ok)
            StartRegister(AddressFromTelRecord(record), CorpKanjiFromTelRecord(record));
        UpdateNavigation();
    }
    if (m_navigationSource == 1 && AddressList) {
        TAddressData data;
        bool ok = false;
        switch (Tag) {
        case 0: ok = AddressList->GetFirstRecord(data); break;
        case 1: ok = AddressList->GetPriorRecord(data); break;
        case 2: ok = AddressList->GetNextRecord(data); break;
        default: ok = AddressList->GetLastRecord(data); break;
        }
        if (ok)
            StartInquiry(data);
    }
    if (confirmed == 0 && AddressList) {
        AddressList->RefreshList(false, true, true);
        AddressList->SelectRow(AddressList->InquiryRow(), false, false);
        UpdateNavigation();
    }
}

void TDataInquiry::UpdateNavigation()
{
    if (m_navigationSource == 0 && NameAdrsSearchWindow) {
        const TNameAdrsSearch *search = NameAdrsSearchWindow;
        const bool first = search->IsFirstHit();
        const bool last = search->IsLastHit();
        sbtnMove[0]->setEnabled(!first);
        sbtnMove[1]->setEnabled(!first);
        sbtnMove[2]->setEnabled(!last);
        sbtnMove[3]->setEnabled(!last);
        const int total = search->GetHitCount();
        lblPosition->setText(search->InquiryIndex() < 0 || total == 0 ? QStringLiteral("---")
                                                                        : QString::number(search->InquiryIndex() + 1));
        lblCount->setText(total == 0 ? QStringLiteral("---") : QString::number(total));
        return;
    }
    if (m_navigationSource != 1 || !AddressList) {
        DisableNavigation();
        return;
    }
    const bool first = AddressList->IsFirstRow();
    const bool last = AddressList->IsLastRow();
    sbtnMove[0]->setEnabled(!first);
    sbtnMove[1]->setEnabled(!first);
    sbtnMove[2]->setEnabled(!last);
    sbtnMove[3]->setEnabled(!last);
    const int row = AddressList->InquiryRow();
    const int total = AddressList->GetRowCount();
    lblPosition->setText(row < 0 || total == 0 ? QStringLiteral("---") : QString::number(row + 1));
    lblCount->setText(total == 0 ? QStringLiteral("---") : QString::number(total));
}

void TDataInquiry::DisableNavigation()
{
    for (QToolButton *button : sbtnMove)
        button->setEnabled(false);
    lblPosition->setText(QStringLiteral("---"));
    lblCount->setText(QStringLiteral("---"));
}

// ---------------------------------------------------------------------------
// Window

void TDataInquiry::showEvent(QShowEvent *Event)
{
    QWidget::showEvent(Event);
    if (m_inquiryMode != 0) {
        cbxGroup->setFocus();
        return;
    }
    setWindowTitle(kRegisterCaption);
    // A form brought back from the task bar is not a new start.
    if (Event->spontaneous())
        return;
    // Queued, so the form is on screen before the search dialog opens.
    QTimer::singleShot(0, this, [this] { OpenNewRecordSearch(); });
}

void TDataInquiry::closeEvent(QCloseEvent *Event)
{
    if (ConfirmPendingEdit(true, true) == 9) {
        Event->ignore();
        return;
    }
    Event->accept();
    FormClose();
}

void TDataInquiry::FormClose()
{
    m_bookRecord.reset();
    m_searchRecord.reset();
    m_navigationSource = -1;
    if (DataInquiry == this)
        DataInquiry = nullptr;
    if (AddressList)
        AddressList->SetInquiryIndex(-1);
    updateTintedLists();
}

void TDataInquiry::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(Event);
}

void TDataInquiry::PageChanged(int Index)
{
    switch (Index) {
    case 0: cbxGroup->setFocus(); break;
    case 1: FocusAtEnd(edtURL); break;
    case 2: edtKeyword[0]->setFocus(); break;
    default: lvExtLink->setFocus(); break;
    }
}

bool TDataInquiry::WheelOverTabs(QWheelEvent *Event)
{
    QTabBar *bar = pgcInquiry->tabBar();
    const QPoint pos = Event->position().toPoint();
    bool inside = false;
    for (int i = 0; i < bar->count(); ++i)
        inside = inside || bar->tabRect(i).contains(pos);
    if (!inside)
        return false;
    const int count = pgcInquiry->count();
    const int step = Event->angleDelta().y() < 0 ? 1 : -1;
    pgcInquiry->setCurrentIndex((pgcInquiry->currentIndex() + step + count) % count);
    return true;
}

bool TDataInquiry::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::Wheel && Watched == pgcInquiry->tabBar()) {
        if (WheelOverTabs(static_cast<QWheelEvent *>(Event)))
            return true;
        return false;
    }
    if (Event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(Event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && Watched != mmoNote)
            return EnterPressed(Watched);
    }
    return QWidget::eventFilter(Watched, Event);
}
