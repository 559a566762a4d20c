#include "dialogs/Sender.h"

#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/HisInfo.h"
#include "core/WqhypWrapper.h"
#include "directory/DicSch.h"
#include "directory/TntNMDic.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/IniFile.h"
#include "platform/SharedIni.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "util/SubUnit.h"
#include "util/WindowFit.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/EnterKey.h"
#include "widgets/PrintToggle.h"
#include "widgets/TntNMDEdit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <tuple>

namespace {

const QString kSection = QStringLiteral("SENDER");
const QStringList kHeads{QString(),         QStringLiteral("TEL"), QStringLiteral("FAX"),   QStringLiteral("TEL/FAX"),
                         QStringLiteral("携帯"), QStringLiteral("URL"), QStringLiteral("E-Mail")};

QString digitsOf(const QString &Text, int Kinds = nckDigits)
{
    return QString::fromLatin1(FilterNumberChars(Cp932::encode(Text), Kinds));
}

QString hyphenated(const QString &Digits)
{
    return Cp932::decode(HyphenatePhoneNumber(Cp932::encode(Digits)));
}

QString postcodeShown(const QString &Pos)
{
    const QString p = Pos.trimmed();
    return p.size() == 5 || p.size() == 7 ? p.left(3) + u'-' + p.mid(3) : p;
}

void setCaptionColour(QWidget *W, bool Blue)
{
    W->setStyleSheet(Blue ? QStringLiteral("color: rgb(0,0,255)") : QString());
}

QLineEdit *limitedEdit(QWidget *Parent, const char *Name, int Bytes)
{
    auto *e = new QLineEdit(Parent);
    e->setObjectName(QLatin1String(Name));
    e->setValidator(new TByteLimitValidator(Bytes, e));
    return e;
}

TTntNMDEdit *nameEdit(QWidget *Parent, const QString &Name, int Units)
{
    auto *e = new TTntNMDEdit(Parent);
    e->setObjectName(Name);
    auto *v = new TByteLimitValidator(Units, e);
    v->SetLimitUnit(TLimitUnit::Utf16Units);
    e->setValidator(v);
    return e;
}

QToolButton *toggle(QWidget *Parent, const QString &Name, const QString &Caption)
{
    auto *b = new QToolButton(Parent);
    b->setObjectName(Name);
    b->setText(Caption);
    MakePrintToggle(b);
    return b;
}

} // namespace

TSenderForm::TSenderForm(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("SenderForm"));
    setWindowTitle(QStringLiteral("差出人の編集"));
    setProperty("HelpContext", 107);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    CreateControls();

    const TMemIniFile settings(SettingsFileName());
    if (settings.ValueExists(kSection, QStringLiteral("Left")) && settings.ValueExists(kSection, QStringLiteral("Top")))
        PlaceWindowFrameAt(this, QPoint(ScaleForDpi(settings.ReadInteger(kSection, QStringLiteral("Left"), 0), true),
                                        ScaleForDpi(settings.ReadInteger(kSection, QStringLiteral("Top"), 0), true)));
    const TSenderIni senderIni = ReadSenderIni();
    m_senderIniBlocked = senderIni.Blocked;
    m_lastNo = senderIni.LastNo;
    m_storedDefault = senderIni.Default;
    // Without a file the default the editors hold stands.
    if (senderIni.Read)
        DefaultSenderNo = senderIni.Default;

    pgcSelInfo->setCurrentWidget(tbsHomeInfo);
    TTable *table = Table();
    if (!table) {
        m_broken = true;
        return;
    }
    try {
        table->First();
        if (table->Eof()) {
            table->Append();
            table->FieldByName(QStringLiteral("RecNo")).SetAsInteger(1);
            TSenderData first;
            first.Title = QStringLiteral("差出人1");
            WriteSenderFields(*table, first);
            PostAndFlush(*table);
            m_lastNo = std::max(m_lastNo, 1);
        } else {
            table->Last();
            m_lastNo = std::max(m_lastNo, table->FieldByName(QStringLiteral("RecNo")).AsInteger());
        }
    } catch (const ETableError &error) {
        if (table->State() != TTable::TState::dsBrowse)
            table->Cancel();
        ShowError(QStringLiteral("差出人情報の作成に失敗しました  \r\n\r\n") + error.Message());
        m_broken = true;
        return;
    }
    RefreshOrder();
    // A default naming no record (left by a kill after its deletion) is as
    // good as none.
    if (!m_order.isEmpty() && !m_order.contains(DefaultSenderNo))
        DefaultSenderNo = m_order.first();
    if (DefaultSenderNo != senderIni.Default || m_lastNo != senderIni.LastNo)
        StoreSenderIni();
    FillHistoryCombo(cbxDptmnt, 0);
    FillHistoryCombo(cbxPost, 1);
    sbtnNamePrint->setEnabled(false);
    for (QToolButton *b : sbtnJointPrint)
        b->setEnabled(false);
}

TSenderForm::~TSenderForm() = default;

TTable *TSenderForm::Table() const
{
    return DMMurven19 ? DMMurven19->SenderTable() : nullptr;
}

void TSenderForm::CreateControls()
{
    edTitle = limitedEdit(this, "edTitle", 30);
    auto nav = [this](QToolButton *&B, const char *Name, const QString &Text, const QString &Tip) {
        B = new QToolButton(this);
        B->setObjectName(QLatin1String(Name));
        B->setText(Text);
        B->setToolTip(Tip);
    };
    nav(sbtnFirst, "sbtnFirst", QStringLiteral("|◀"), QStringLiteral("最初のデータ"));
    nav(sbtnPrior, "sbtnPrior", QStringLiteral("◀"), QStringLiteral("前のデータ"));
    nav(sbtnNext, "sbtnNext", QStringLiteral("▶"), QStringLiteral("次のデータ"));
    nav(sbtnLast, "sbtnLast", QStringLiteral("▶|"), QStringLiteral("最後のデータ"));
    lblNo = new QLabel(this);
    lblNo->setObjectName(QStringLiteral("lblNo"));
    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    edName = nameEdit(this, QStringLiteral("edName"), 15);
    edTel = limitedEdit(this, "edTel", 13);
    edFax = limitedEdit(this, "edFax", 13);
    for (QLineEdit *e : {edTel, edFax}) {
        auto *v = static_cast<TByteLimitValidator *>(const_cast<QValidator *>(e->validator()));
        v->SetPhoneNumber(true);
        v->SetHalfWidthNumbers(true);
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    edPos = limitedEdit(this, "edPos", 8);
    static_cast<TByteLimitValidator *>(const_cast<QValidator *>(edPos->validator()))->SetHalfWidthNumbers(true);
    edTdfkn = limitedEdit(this, "edTdfkn", 8);
    edAdrs1 = limitedEdit(this, "edAdrs1", 32);
    edAdrs2 = limitedEdit(this, "edAdrs2", 100);
    edAdrs3 = limitedEdit(this, "edAdrs3", 100);
    auto button = [this](QPushButton *&B, const char *Name, const QString &Text) {
        B = new QPushButton(Text, this);
        B->setObjectName(QLatin1String(Name));
        B->setAutoDefault(false);
    };
    button(bbtnTelSearch, "bbtnTelSearch", QStringLiteral("検索"));
    button(bbtnPosSearch, "bbtnPosSearch", QStringLiteral("検索"));
    button(bbtnAddressSearch, "bbtnAddressSearch", QStringLiteral("検索"));

    pgcSelInfo = new QTabWidget(this);
    pgcSelInfo->setObjectName(QStringLiteral("pgcSelInfo"));
    tbsHomeInfo = new QWidget;
    tbsHomeInfo->setObjectName(QStringLiteral("tbsHomeInfo"));
    tbsCorpInfo = new QWidget;
    tbsCorpInfo->setObjectName(QStringLiteral("tbsCorpInfo"));
    tbsAddition = new QWidget;
    tbsAddition->setObjectName(QStringLiteral("tbsAddition"));
    pgcSelInfo->addTab(tbsHomeInfo, QStringLiteral("連名"));
    pgcSelInfo->addTab(tbsCorpInfo, QStringLiteral("会社"));
    pgcSelInfo->addTab(tbsAddition, QStringLiteral("連絡先"));

    auto *home = new QGridLayout(tbsHomeInfo);
    home->addWidget(new QLabel(QStringLiteral("連名"), tbsHomeInfo), 0, 1);
    home->addWidget(new QLabel(QStringLiteral("備考"), tbsHomeInfo), 0, 2);
    home->addWidget(new QLabel(QStringLiteral("印刷対象"), tbsHomeInfo), 0, 3);
    sbtnNamePrint = toggle(tbsHomeInfo, QStringLiteral("sbtnNamePrint"), QStringLiteral("本"));
    home->addWidget(sbtnNamePrint, 1, 3);
    for (int i = 0; i < 5; ++i) {
        edJoint[size_t(i)] = nameEdit(tbsHomeInfo, QStringLiteral("edJoint%1").arg(i + 1), 11);
        edNote[size_t(i)] = limitedEdit(tbsHomeInfo, qPrintable(QStringLiteral("edNote%1").arg(i + 1)), 20);
        sbtnJointPrint[size_t(i)] =
            toggle(tbsHomeInfo, QStringLiteral("sbtnJointPrint%1").arg(i + 1), QString::number(i + 1));
        home->addWidget(edJoint[size_t(i)], i + 2, 1);
        home->addWidget(edNote[size_t(i)], i + 2, 2);
        home->addWidget(sbtnJointPrint[size_t(i)], i + 2, 3);
    }
    ckbHome = new QCheckBox(QStringLiteral("連名を印刷する"), tbsHomeInfo);
    ckbHome->setObjectName(QStringLiteral("ckbHome"));
    home->addWidget(ckbHome, 7, 1, 1, 3);

    auto *corp = new QGridLayout(tbsCorpInfo);
    edCorp = limitedEdit(tbsCorpInfo, "edCorp", 100);
    cbxDptmnt = new QComboBox(tbsCorpInfo);
    cbxDptmnt->setObjectName(QStringLiteral("cbxDptmnt"));
    cbxPost = new QComboBox(tbsCorpInfo);
    cbxPost->setObjectName(QStringLiteral("cbxPost"));
    for (auto [combo, bytes] : {std::pair{cbxDptmnt, 100}, std::pair{cbxPost, 50}}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->lineEdit()->setValidator(new TByteLimitValidator(bytes, combo->lineEdit()));
    }
    button(bbtnDptmnt, "bbtnDptmnt", QStringLiteral("..."));
    button(bbtnPost, "bbtnPost", QStringLiteral("..."));
    bbtnDptmnt->setParent(tbsCorpInfo);
    bbtnPost->setParent(tbsCorpInfo);
    corp->addWidget(new QLabel(QStringLiteral("会社名"), tbsCorpInfo), 0, 0);
    corp->addWidget(edCorp, 0, 1, 1, 2);
    corp->addWidget(new QLabel(QStringLiteral("部署"), tbsCorpInfo), 1, 0);
    corp->addWidget(cbxDptmnt, 1, 1);
    corp->addWidget(bbtnDptmnt, 1, 2);
    corp->addWidget(new QLabel(QStringLiteral("役職"), tbsCorpInfo), 2, 0);
    corp->addWidget(cbxPost, 2, 1);
    corp->addWidget(bbtnPost, 2, 2);
    ckbCorp = new QCheckBox(QStringLiteral("会社情報を印刷する"), tbsCorpInfo);
    ckbCorp->setObjectName(QStringLiteral("ckbCorp"));
    corp->addWidget(ckbCorp, 3, 1, 1, 2);

    auto *add = new QGridLayout(tbsAddition);
    for (int i = 0; i < 4; ++i) {
        auto *head = new QComboBox(tbsAddition);
        head->setObjectName(QStringLiteral("cbxHead%1").arg(i + 1));
        head->setEditable(true);
        head->setInsertPolicy(QComboBox::NoInsert);
        head->lineEdit()->setValidator(new TByteLimitValidator(10, head->lineEdit()));
        head->addItems(kHeads);
        head->setCurrentIndex(0);
        cbxHead[size_t(i)] = head;
        edAddition[size_t(i)] = limitedEdit(tbsAddition, qPrintable(QStringLiteral("edAddition%1").arg(i + 1)), 128);
        sbtnAdditionPrint[size_t(i)] =
            toggle(tbsAddition, QStringLiteral("sbtnAdditionPrint%1").arg(i + 1), QString::number(i + 1));
        add->addWidget(head, i, 0);
        add->addWidget(edAddition[size_t(i)], i, 1);
        add->addWidget(sbtnAdditionPrint[size_t(i)], i, 2);
    }

    ckbDefault = new QCheckBox(QStringLiteral("この差出人を標準にする"), this);
    ckbDefault->setObjectName(QStringLiteral("ckbDefault"));
    button(btnChoice, "btnChoice", QStringLiteral("選択"));
    button(btnClose, "btnClose", QStringLiteral("閉じる"));
    button(bbtnNew, "bbtnNew", QStringLiteral("新規"));
    button(bbtnDelete, "bbtnDelete", QStringLiteral("削除"));

    auto *top = new QGridLayout;
    top->addWidget(new QLabel(QStringLiteral("登録名"), this), 0, 0);
    top->addWidget(edTitle, 0, 1, 1, 3);
    auto *navRow = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{sbtnFirst, sbtnPrior, lblNo, lblCount, sbtnNext, sbtnLast})
        navRow->addWidget(w);
    top->addLayout(navRow, 0, 4, 1, 2);
    top->addWidget(new QLabel(QStringLiteral("名前"), this), 1, 0);
    top->addWidget(edName, 1, 1, 1, 3);
    top->addWidget(new QLabel(QStringLiteral("電話"), this), 2, 0);
    top->addWidget(edTel, 2, 1);
    top->addWidget(bbtnTelSearch, 2, 2);
    top->addWidget(new QLabel(QStringLiteral("FAX"), this), 2, 3);
    top->addWidget(edFax, 2, 4);
    top->addWidget(new QLabel(QStringLiteral("〒"), this), 3, 0);
    top->addWidget(edPos, 3, 1);
    top->addWidget(bbtnPosSearch, 3, 2);
    top->addWidget(new QLabel(QStringLiteral("住所"), this), 4, 0);
    top->addWidget(edTdfkn, 4, 1);
    top->addWidget(edAdrs1, 4, 2, 1, 3);
    top->addWidget(bbtnAddressSearch, 4, 5);
    top->addWidget(edAdrs2, 5, 1, 1, 4);
    top->addWidget(edAdrs3, 6, 1, 1, 4);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(bbtnNew);
    buttons->addWidget(bbtnDelete);
    buttons->addWidget(ckbDefault);
    buttons->addStretch();
    buttons->addWidget(btnChoice);
    buttons->addWidget(btnClose);
    auto *main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(pgcSelInfo);
    main->addLayout(buttons);

    m_nameDic = new TNameDicLink(this);
    m_nameDic->Attach(edName, 0, false);
    for (int i = 0; i < 5; ++i)
        m_nameDic->Attach(edJoint[size_t(i)], i + 1, true);

    connect(edTitle, &QLineEdit::textEdited, this, &TSenderForm::TitleEdited);
    connect(edTitle, &QLineEdit::editingFinished, this, &TSenderForm::edTitleExit);
    for (QLineEdit *e : {static_cast<QLineEdit *>(edName), edTel, edFax, edPos, edTdfkn, edAdrs1, edAdrs2, edAdrs3,
                         edCorp})
        connect(e, &QLineEdit::textChanged, this, &TSenderForm::FieldEdited);
    for (int i = 0; i < 5; ++i) {
        connect(edJoint[size_t(i)], &QLineEdit::textChanged, this, &TSenderForm::FieldEdited);
        connect(edNote[size_t(i)], &QLineEdit::textChanged, this, &TSenderForm::FieldEdited);
        QToolButton *b = sbtnJointPrint[size_t(i)];
        connect(b, &QToolButton::clicked, this, [this, b] { PrintToggled(b); });
    }
    connect(sbtnNamePrint, &QToolButton::clicked, this, [this] { PrintToggled(sbtnNamePrint); });
    connect(edTel, &QLineEdit::textChanged, this, &TSenderForm::TelChanged);
    connect(edFax, &QLineEdit::textChanged, this, &TSenderForm::FaxChanged);
    for (QComboBox *c : {cbxDptmnt, cbxPost})
        connect(c, &QComboBox::editTextChanged, this, &TSenderForm::FieldEdited);
    for (int i = 0; i < 4; ++i) {
        connect(cbxHead[size_t(i)], &QComboBox::activated, this, [this, i] { HeadChosen(i); });
        connect(cbxHead[size_t(i)], &QComboBox::editTextChanged, this, &TSenderForm::FieldEdited);
        connect(edAddition[size_t(i)], &QLineEdit::textChanged, this, &TSenderForm::FieldEdited);
        connect(sbtnAdditionPrint[size_t(i)], &QToolButton::clicked, this, [this, i] { AdditionToggled(i); });
    }
    connect(ckbHome, &QCheckBox::clicked, this, [this] { SelectInfoClick(ckbHome); });
    connect(ckbCorp, &QCheckBox::clicked, this, [this] { SelectInfoClick(ckbCorp); });
    connect(ckbDefault, &QCheckBox::clicked, this, &TSenderForm::ckbDefaultClick);
    connect(sbtnFirst, &QToolButton::clicked, this, [this] { MoveTo(0); });
    connect(sbtnPrior, &QToolButton::clicked, this, [this] { MoveTo(int(m_order.indexOf(SenderNo)) - 1); });
    connect(sbtnNext, &QToolButton::clicked, this, [this] { MoveTo(int(m_order.indexOf(SenderNo)) + 1); });
    connect(sbtnLast, &QToolButton::clicked, this, [this] { MoveTo(int(m_order.size()) - 1); });
    connect(bbtnNew, &QPushButton::clicked, this, &TSenderForm::bbtnNewClick);
    connect(bbtnDelete, &QPushButton::clicked, this, &TSenderForm::bbtnDeleteClick);
    connect(bbtnTelSearch, &QPushButton::clicked, this, [this] { SearchClick(0); });
    connect(bbtnPosSearch, &QPushButton::clicked, this, [this] { SearchClick(1); });
    connect(bbtnAddressSearch, &QPushButton::clicked, this, [this] { SearchClick(2); });
    connect(bbtnDptmnt, &QPushButton::clicked, this, [this] { PickListClick(0); });
    connect(bbtnPost, &QPushButton::clicked, this, [this] { PickListClick(1); });
    connect(btnChoice, &QPushButton::clicked, this, &TSenderForm::btnChoiceClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    // Enter moves on to the next field rather than closing the window; a
    // focused button takes Return as a click.
    for (QWidget *w : findChildren<QWidget *>())
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QCheckBox *>(w))
            w->installEventFilter(this);
    PressFocusedButtonOnEnter(this);
}

void TSenderForm::RefreshOrder()
{
    m_order.clear();
    try {
        if (TTable *t = Table())
            for (const TSenderData &s : ReadAllSenders(*t))
                m_order.append(s.RecNo);
    } catch (const ETableError &error) {
        ShowReadError(error);
    }
    lblCount->setText(QStringLiteral("/ %1").arg(m_order.size()));
}

void TSenderForm::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    if (m_shown || m_broken)
        return;
    m_shown = true;
    bbtnDptmnt->setEnabled(bool(EditPickList));
    bbtnPost->setEnabled(bool(EditPickList));
    ShowCurrent();
    edName->setCursorPosition(int(edName->text().size()));
    edName->setFocus();
}

void TSenderForm::ShowCurrent()
{
    TTable *t = Table();
    if (!t || m_order.isEmpty())
        return;
    std::optional<TSenderData> shown;
    try {
        shown = FindSenderByRecNo(*t, SenderNo);
        if (!shown)
            shown = FindSenderByRecNo(*t, DefaultSenderNo);
        if (!shown) {
            shown = FindSenderByRecNo(*t, m_order.first());
            if (shown)
                DefaultSenderNo = shown->RecNo;
        }
    } catch (const ETableError &error) {
        ShowReadError(error);
        return;
    }
    if (!shown)
        return;
    SenderNo = shown->RecNo;
    ShowRecord(*shown);
}

void TSenderForm::ShowRecord(const TSenderData &D)
{
    m_loading = true;
    ckbDefault->setChecked(D.RecNo == DefaultSenderNo);
    setCaptionColour(ckbDefault, ckbDefault->isChecked());
    edTitle->setText(D.Title);
    edName->setText(D.Name);
    edTel->setText(hyphenated(D.Tel));
    edFax->setText(hyphenated(D.Fax));
    edPos->setText(postcodeShown(D.Pos));
    edTdfkn->setText(D.Tdfkn);
    edAdrs1->setText(D.Adrs1);
    edAdrs2->setText(D.Adrs2);
    edAdrs3->setText(D.Adrs3);
    ckbHome->setChecked(D.SelectInfo == 1);
    ckbCorp->setChecked(D.SelectInfo == 2);
    setCaptionColour(ckbHome, ckbHome->isChecked());
    setCaptionColour(ckbCorp, ckbCorp->isChecked());
    sbtnNamePrint->setEnabled(ckbHome->isChecked());
    sbtnNamePrint->setChecked(D.NamePrint);
    for (int i = 0; i < 5; ++i) {
        edJoint[size_t(i)]->setText(D.Joint[size_t(i)]);
        edNote[size_t(i)]->setText(D.Note[size_t(i)]);
        sbtnJointPrint[size_t(i)]->setChecked(D.JointPrint[size_t(i)]);
        sbtnJointPrint[size_t(i)]->setEnabled(ckbHome->isChecked());
    }
    edCorp->setText(D.Corp);
    for (auto [combo, text] : {std::pair{cbxDptmnt, D.Dptmnt}, std::pair{cbxPost, D.Post}}) {
        const int at = combo->findText(text);
        if (at >= 0)
            combo->setCurrentIndex(at);
        else
            combo->setEditText(text);
    }
    if (pgcSelInfo->currentWidget() != tbsAddition)
        pgcSelInfo->setCurrentWidget(D.SelectInfo == 2 ? tbsCorpInfo : tbsHomeInfo);
    m_additionPrintCount = 0;
    for (int i = 0; i < 4; ++i) {
        QComboBox *head = cbxHead[size_t(i)];
        head->setCurrentIndex(-1);
        head->setEditText(D.Head[size_t(i)]);
        const int index = kHeads.indexOf(D.Head[size_t(i)]);
        if (index >= 0)
            head->setCurrentIndex(index);
        QString text = D.Addition[size_t(i)];
        if ((index == 1 || index == 3) && !text.isEmpty() && text == digitsOf(edTel->text()))
            text = edTel->text();
        else if (index == 2 && !text.isEmpty() && text == digitsOf(edFax->text()))
            text = edFax->text();
        edAddition[size_t(i)]->setText(text);
        // At most two contact lines print; a third stored as pressed shows released.
        const bool pressed = D.AdditionPrint[size_t(i)] && m_additionPrintCount < 2;
        if (pressed)
            ++m_additionPrintCount;
        sbtnAdditionPrint[size_t(i)]->setChecked(pressed);
    }
    const int position = int(m_order.indexOf(D.RecNo));
    lblNo->setText(QString::number(position + 1));
    sbtnFirst->setEnabled(position > 0);
    sbtnPrior->setEnabled(position > 0);
    sbtnNext->setEnabled(position < m_order.size() - 1);
    sbtnLast->setEnabled(position < m_order.size() - 1);
    m_modified = false;
    m_titleChanged = false;
    m_loading = false;
}

TSenderData TSenderForm::CollectRecord() const
{
    TSenderData d;
    d.RecNo = SenderNo;
    d.Title = edTitle->text().trimmed();
    d.Name = edName->text().trimmed();
    d.Tel = digitsOf(edTel->text());
    d.Fax = digitsOf(edFax->text());
    d.Pos = digitsOf(edPos->text());
    d.Tdfkn = edTdfkn->text().trimmed();
    d.Adrs1 = edAdrs1->text().trimmed();
    d.Adrs2 = edAdrs2->text().trimmed();
    d.Adrs3 = edAdrs3->text().trimmed();
    d.SelectInfo = ckbHome->isChecked() ? 1 : ckbCorp->isChecked() ? 2 : 0;
    d.NamePrint = sbtnNamePrint->isChecked();
    for (int i = 0; i < 5; ++i) {
        d.Joint[size_t(i)] = edJoint[size_t(i)]->text().trimmed();
        d.Note[size_t(i)] = edNote[size_t(i)]->text().trimmed();
        d.JointPrint[size_t(i)] = sbtnJointPrint[size_t(i)]->isChecked();
    }
    d.Corp = edCorp->text().trimmed();
    d.Dptmnt = cbxDptmnt->currentText().trimmed();
    d.Post = cbxPost->currentText().trimmed();
    for (int i = 0; i < 4; ++i) {
        const QString head = cbxHead[size_t(i)]->currentText().trimmed();
        const int index = kHeads.indexOf(head);
        const QString text = edAddition[size_t(i)]->text();
        d.Head[size_t(i)] = head;
        if ((index == 1 || index == 3) && text == edTel->text())
            d.Addition[size_t(i)] = digitsOf(text);
        else if (index == 2 && text == edFax->text())
            d.Addition[size_t(i)] = digitsOf(text);
        else
            d.Addition[size_t(i)] = text.trimmed();
        d.AdditionPrint[size_t(i)] = sbtnAdditionPrint[size_t(i)]->isChecked();
    }
    return d;
}

bool TSenderForm::SaveRecord()
{
    if (edTitle->text().trimmed().isEmpty()) {
        ShowInfo(QStringLiteral("登録名を入力してください  "));
        edTitle->setCursorPosition(int(edTitle->text().size()));
        edTitle->setFocus();
        return false;
    }
    // The edits leave room for hyphens; the record keeps the digits only,
    // eleven of a number and seven of a postcode. More would be cut off.
    for (auto [edit, digits, what] : {std::tuple{edTel, 11, QStringLiteral("電話番号")},
                                      std::tuple{edFax, 11, QStringLiteral("FAX番号")},
                                      std::tuple{edPos, 7, QStringLiteral("郵便番号")}}) {
        if (digitsOf(edit->text()).size() > digits) {
            ShowInfo(what + QStringLiteral("は%1桁までしか保存できません  ").arg(digits));
            edit->setCursorPosition(int(edit->text().size()));
            edit->setFocus();
            return false;
        }
    }
    TTable *t = Table();
    if (!t)
        return false;
    const TSenderData d = CollectRecord();
    try {
        if (!t->Locate(QStringLiteral("RecNo"), {SenderNo}))
            throw ETableError(QStringLiteral("差出人が見つかりません"));
        t->Edit();
        WriteSenderFields(*t, d);
        PostAndFlush(*t);
    } catch (const ETableError &error) {
        if (t->State() != TTable::TState::dsBrowse)
            t->Cancel();
        m_tableRefused = true;
        ShowError(QStringLiteral("保存できませんでした  \r\n\r\n") + error.Message());
        return false;
    }
    PushHistory(cbxDptmnt, 0);
    PushHistory(cbxPost, 1);
    m_modified = false;
    m_titleChanged = false;
    return true;
}

bool TSenderForm::IsTitleUnique()
{
    TTable *t = Table();
    if (!t)
        return true;
    const QString title = edTitle->text().trimmed();
    bool unique = true;
    try {
        for (const TSenderData &s : ReadAllSenders(*t))
            if (s.RecNo != SenderNo && s.Title.trimmed() == title)
                unique = false;
        (void)t->Locate(QStringLiteral("RecNo"), {SenderNo});
    } catch (const ETableError &error) {
        // Not known to be unique; saving, which would follow, fails on the
        // same table and keeps the user's edit.
        m_tableRefused = true;
        ShowReadError(error);
        return false;
    }
    if (!unique)
        ShowInfo(QStringLiteral("おなじ登録名が存在します．別の登録名を入力してください  "));
    return unique;
}

// A changed title that another record has, or a record that cannot be
// saved, keeps the user on the record.
bool TSenderForm::LeaveRecord()
{
    if (m_titleChanged && !IsTitleUnique()) {
        edTitle->selectAll();
        edTitle->setFocus();
        return false;
    }
    return !m_modified || SaveRecord();
}

void TSenderForm::MoveTo(int Position)
{
    if (Position < 0 || Position >= m_order.size() || !LeaveRecord())
        return;
    SenderNo = m_order[Position];
    ShowCurrent();
}

void TSenderForm::bbtnNewClick()
{
    if (!LeaveRecord())
        return;
    TTable *t = Table();
    if (!t)
        return;
    try {
        const QList<TSenderData> all = ReadAllSenders(*t);
        QString title = QStringLiteral("差出人1");
        if (!all.isEmpty()) {
            auto used = [&all](const QString &T) {
                return std::any_of(all.begin(), all.end(),
                                   [&T](const TSenderData &S) { return S.Title.trimmed() == T; });
            };
            for (qsizetype k = 0;; ++k) {
                title = QStringLiteral("差出人%1").arg(all.size() + k);
                if (!used(title))
                    break;
            }
        }
        t->Append();
        t->FieldByName(QStringLiteral("RecNo")).SetAsInteger(m_lastNo + 1);
        TSenderData fresh;
        fresh.Title = title;
        WriteSenderFields(*t, fresh);
        PostAndFlush(*t);
    } catch (const ETableError &error) {
        if (t->State() != TTable::TState::dsBrowse)
            t->Cancel();
        ShowError(QStringLiteral("差出人情報の作成に失敗しました  \r\n\r\n") + error.Message());
        return;
    }
    SenderNo = ++m_lastNo;
    StoreSenderIni();
    RefreshOrder();
    ShowCurrent();
    edName->setFocus();
}

void TSenderForm::bbtnDeleteClick()
{
    TTable *t = Table();
    if (!t)
        return;
    const QString text = QStringLiteral("差出人'") + edTitle->text().trimmed() +
                         QStringLiteral("'を削除します  \r\nよろしいですか？");
    if (ShowMessageBoxAt(this, text, ProductCaption(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, mbpCenterOnOwner,
                         0, 0) != IDYES)
        return;
    m_modified = false;
    m_titleChanged = false;
    if (m_order.size() <= 1) {
        try {
            if (!t->Locate(QStringLiteral("RecNo"), {SenderNo}))
                t->First();
            t->Edit();
            t->FieldByName(QStringLiteral("RecNo")).SetAsInteger(1);
            TSenderData cleared;
            cleared.Title = QStringLiteral("差出人1");
            WriteSenderFields(*t, cleared);
            PostAndFlush(*t);
        } catch (const ETableError &error) {
            if (t->State() != TTable::TState::dsBrowse)
                t->Cancel();
            ShowError(QStringLiteral("クリアできませんでした  \r\n\r\n") + error.Message());
            return;
        }
        SenderNo = 1;
        DefaultSenderNo = 1;
        m_additionPrintCount = 0;
    } else {
        const int position = int(m_order.indexOf(SenderNo));
        const qint32 deleted = SenderNo;
        try {
            if (!t->Locate(QStringLiteral("RecNo"), {SenderNo}))
                throw ETableError(QStringLiteral("差出人が見つかりません"));
            t->Delete();
            t->FlushBuffers();
        } catch (const ETableError &error) {
            if (t->State() != TTable::TState::dsBrowse)
                t->Cancel();
            ShowError(QStringLiteral("削除できませんでした  \r\n\r\n") + error.Message());
            return;
        }
        // The record after the deleted one becomes current, the one before
        // it when the last was deleted.
        const int next = position + 1 < m_order.size() ? position + 1 : position - 1;
        SenderNo = m_order.value(next, m_order.first());
        if (deleted == DefaultSenderNo)
            DefaultSenderNo = SenderNo;
    }
    // Stored at once: a kill before the window closes must not leave the
    // default on a deleted record nor let its number be given again.
    StoreSenderIni();
    RefreshOrder();
    ShowCurrent();
}

void TSenderForm::SearchClick(int Tag)
{
    QString text;
    if (Tag == 0)
        text = edTel->text();
    else if (Tag == 1)
        text = edPos->text();
    else
        text = edTdfkn->text() + edAdrs1->text() + edAdrs2->text() + edAdrs3->text();
    TDicSearchResult r;
    {
        TDicSearch dialog(this);
        CenterFormOnOwner(&dialog, this);
        dialog.SetOwnerHandle(this);
        dialog.SetSearchOptions(13, false, false);
        dialog.ListHelpContext = 24;
        const int started = dialog.StartSearch(Tag, text);
        if (started == 9)
            return;
        if (started == 0 && dialog.ShowModal() != 1)
            return;
        dialog.GetResult(r);
    }
    // A directory listing's name may come in the "@" form.
    const QString name = DecodeUnicodeField(r.Name);
    if (r.Private && !name.isEmpty())
        edName->setText(name);
    if (!r.Phone.isEmpty()) {
        const QString phone = Cp932::decode(r.Phone);
        edTel->setText(r.PhoneKind == 1 ? QString() : phone);
        edFax->setText(r.PhoneKind == 2 || r.PhoneKind == 1 ? phone : QString());
    }
    edPos->setText(Cp932::decode(r.Postcode));
    const QString town = Cp932::decode(r.Town);
    const QString address3 = Cp932::decode(r.Address3);
    if (!r.Prefecture.isEmpty() || !r.City.isEmpty() || !town.isEmpty() || !address3.isEmpty()) {
        edTdfkn->setText(Cp932::decode(r.Prefecture));
        edAdrs1->setText(Cp932::decode(r.City));
        if (town.isEmpty() || !edAdrs2->text().startsWith(town)) {
            edAdrs2->setText(town);
            edAdrs3->setText(address3);
        } else if (!address3.isEmpty()) {
            edAdrs3->setText(address3);
        }
    }
    if (!r.Private && !name.isEmpty()) {
        edCorp->setText(name);
        pgcSelInfo->setCurrentWidget(tbsCorpInfo);
    }
    QLineEdit *target = Tag == 0 ? edTel : Tag == 1 ? edPos : edAdrs2;
    target->setCursorPosition(int(target->text().size()));
    target->setFocus();
}

void TSenderForm::PickListClick(int Tag)
{
    if (!EditPickList)
        return;
    const int changed = EditPickList(Tag);
    if (changed & 1)
        FillHistoryCombo(cbxDptmnt, 0);
    if (changed & 2)
        FillHistoryCombo(cbxPost, 1);
}

void TSenderForm::FillHistoryCombo(QComboBox *Combo, int Kind)
{
    const QString text = Combo->currentText();
    const bool loading = m_loading;
    m_loading = true;
    Combo->clear();
    THistoryData *history = DMMurven19 ? (Kind == 0 ? DMMurven19->DptmntHistory() : DMMurven19->PostHistory()) : nullptr;
    if (history && history->IsLoaded())
        for (int i = 0; i < history->GetCount(); ++i)
            Combo->addItem(Cp932::decode(history->GetText(i)));
    const int at = Combo->findText(text);
    if (at >= 1)
        Combo->setCurrentIndex(at);
    else
        Combo->setEditText(text);
    m_loading = loading;
}

void TSenderForm::PushHistory(QComboBox *Combo, int Kind)
{
    const QString text = Combo->currentText().trimmed();
    if (text.isEmpty())
        return;
    const bool loading = m_loading;
    m_loading = true;
    THistoryData *history = DMMurven19 ? (Kind == 0 ? DMMurven19->DptmntHistory() : DMMurven19->PostHistory()) : nullptr;
    if (history && history->IsLoaded()) {
        // The record is saved already; a history that cannot be written is
        // named, never let through the button that saved.
        try {
            const QByteArray bytes = history->CutText(Cp932::encode(text));
            const int at = history->IndexOf(bytes);
            if (at >= 0)
                history->Delete(at);
            history->Insert(0, bytes);
            (void)history->Save();
        } catch (const Exception &error) {
            ShowError(QStringLiteral("入力履歴を保存できませんでした  \r\n\r\n") + error.Message());
        }
    }
    const int at = Combo->findText(text);
    if (at >= 0)
        Combo->removeItem(at);
    Combo->insertItem(0, text);
    Combo->setCurrentIndex(0);
    m_loading = loading;
}

void TSenderForm::FieldEdited()
{
    if (!m_loading)
        m_modified = true;
}

void TSenderForm::TitleEdited()
{
    if (m_loading)
        return;
    m_modified = true;
    m_titleChanged = true;
}

void TSenderForm::edTitleExit()
{
    if (m_loading || m_checkingTitle || !m_titleChanged)
        return;
    m_checkingTitle = true;
    m_titleChanged = !IsTitleUnique();
    if (m_titleChanged) {
        edTitle->selectAll();
        edTitle->setFocus();
    }
    m_checkingTitle = false;
}

void TSenderForm::TelChanged()
{
    if (m_loading)
        return;
    for (int i = 0; i < 4; ++i) {
        const int head = cbxHead[size_t(i)]->currentIndex();
        if (head == 1 || head == 3)
            edAddition[size_t(i)]->setText(edTel->text());
    }
}

void TSenderForm::FaxChanged()
{
    if (m_loading)
        return;
    for (int i = 0; i < 4; ++i)
        if (cbxHead[size_t(i)]->currentIndex() == 2)
            edAddition[size_t(i)]->setText(edFax->text());
}

void TSenderForm::HeadChosen(int Line)
{
    m_modified = true;
    const QString tel = digitsOf(edTel->text(), nckDigits | nckHyphen);
    const QString fax = digitsOf(edFax->text(), nckDigits | nckHyphen);
    if (tel.isEmpty() && fax.isEmpty())
        return;
    const int head = cbxHead[size_t(Line)]->currentIndex();
    QLineEdit *line = edAddition[size_t(Line)];
    if (head == 1 || head == 3)
        line->setText(tel);
    else if (head == 2)
        line->setText(fax);
    else if ((!tel.isEmpty() && line->text() == tel) || (!fax.isEmpty() && line->text() == fax))
        line->clear();
}

void TSenderForm::AdditionToggled(int Line)
{
    m_modified = true;
    if (!sbtnAdditionPrint[size_t(Line)]->isChecked()) {
        --m_additionPrintCount;
        return;
    }
    if (m_additionPrintCount >= 2) {
        // The pressed line with the highest number among the others gives way.
        for (int i = 3; i >= 0; --i) {
            if (i != Line && sbtnAdditionPrint[size_t(i)]->isChecked()) {
                sbtnAdditionPrint[size_t(i)]->setChecked(false);
                --m_additionPrintCount;
                break;
            }
        }
    }
    ++m_additionPrintCount;
}

void TSenderForm::PrintToggled(QToolButton *)
{
    m_modified = true;
}

void TSenderForm::SelectInfoClick(QCheckBox *Box)
{
    QCheckBox *other = Box == ckbHome ? ckbCorp : ckbHome;
    if (Box->isChecked())
        other->setChecked(false);
    setCaptionColour(ckbHome, ckbHome->isChecked());
    setCaptionColour(ckbCorp, ckbCorp->isChecked());
    sbtnNamePrint->setEnabled(ckbHome->isChecked());
    for (QToolButton *b : sbtnJointPrint)
        b->setEnabled(ckbHome->isChecked());
    m_modified = true;
}

void TSenderForm::ckbDefaultClick()
{
    setCaptionColour(ckbDefault, ckbDefault->isChecked());
    if (!m_loading && ckbDefault->isChecked()) {
        DefaultSenderNo = SenderNo;
        StoreSenderIni();
    }
}

void TSenderForm::btnChoiceClick()
{
    if (!LeaveRecord())
        return;
    done(1);
}

bool TSenderForm::CanClose()
{
    if (m_broken)
        return true;
    m_tableRefused = false;
    if (LeaveRecord())
        return true;
    // A title or a number to correct keeps the window open; a table that
    // refuses the record would keep it open for ever, so the user may drop
    // the edit and close.
    if (!m_tableRefused)
        return false;
    const QString text = QStringLiteral("差出人の変更を保存できません  \r\n\r\n") +
                         QStringLiteral("変更を破棄して閉じますか？  ");
    if (ShowMessageBoxAt(this, text, ProductCaption(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, mbpCenterOnOwner, 0,
                         0) != IDYES)
        return false;
    m_modified = false;
    m_titleChanged = false;
    return true;
}

void TSenderForm::done(int Result)
{
    if (Result != 1 && !CanClose())
        return;
    SaveSettings();
    QDialog::done(Result);
}

void TSenderForm::SaveSettings()
{
    if (m_settingsSaved)
        return;
    m_settingsSaved = true;
    TMemIniFile settings(SettingsFileName());
    WriteWindowCorner(settings, kSection, this);
    settings.UpdateFileOrTellOnce();
    StoreSenderIni();
}

void TSenderForm::StoreSenderIni()
{
    if (m_senderIniBlocked) {
        ShowError(QStringLiteral("差出人の設定を保存できませんでした  \r\n") +
                  QStringLiteral("読み込めなかった差出人情報ファイルを上書きしないため  \r\n") +
                  QDir::toNativeSeparators(SenderIniFileName()));
        return;
    }
    // Another program on the data folder may have saved its own choice since
    // this window read the file: the default is written only when it was
    // changed here, and the last number given out never goes back.
    const bool defaultChanged = DefaultSenderNo != m_storedDefault;
    QString error;
    const bool saved = EditSharedIni(
        SenderIniFileName(),
        [this, defaultChanged](TMemIniFile &senderIni) {
            if (defaultChanged || !senderIni.ValueExists(kSection, QStringLiteral("Default")))
                senderIni.WriteInteger(kSection, QStringLiteral("Default"), DefaultSenderNo);
            const int stored = senderIni.ReadInteger(kSection, QStringLiteral("LastNo"), 0);
            senderIni.WriteInteger(kSection, QStringLiteral("LastNo"), std::max(stored, m_lastNo));
        },
        &error);
    if (!saved) {
        ShowError(QStringLiteral("差出人の設定を保存できませんでした  \r\n") + error);
        return;
    }
    m_storedDefault = DefaultSenderNo;
}

bool TSenderForm::eventFilter(QObject *Watched, QEvent *Event)
{
    if (IsEnterKeyPress(Event)) {
        QWidget *w = qobject_cast<QWidget *>(Watched);
        // A combo's own edit stands for the combo.
        if (auto *combo = w ? qobject_cast<QComboBox *>(w->parentWidget()) : nullptr; combo && combo->lineEdit() == w)
            w = combo;
        // Skip the bitmap buttons on the way, and the parts of the control
        // left (an editable combo's own edit, which would give the focus
        // straight back to it).
        QWidget *next = w ? w->nextInFocusChain() : nullptr;
        while (next && next != w &&
               (qobject_cast<QPushButton *>(next) || qobject_cast<QToolButton *>(next) || !next->isEnabled() ||
                !next->isVisible() || next->focusPolicy() == Qt::NoFocus || w->isAncestorOf(next) ||
                next->focusProxy()))
            next = next->nextInFocusChain();
        if (next) {
            next->setFocus(Qt::TabFocusReason);
            if (auto *e = qobject_cast<QLineEdit *>(next))
                e->setCursorPosition(int(e->text().size()));
        }
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TSenderForm::ShowError(const QString &Text)
{
    ShowMessageBoxAt(this, Text, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

void TSenderForm::ShowReadError(const ETableError &Error)
{
    ShowError(QStringLiteral("差出人を読み込めませんでした  \r\n\r\n") + Error.Message());
}

void TSenderForm::ShowInfo(const QString &Text)
{
    ShowMessageBoxAt(this, Text, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
}
