#include "dialogs/QRCode.h"

#include "directory/TntNMDic.h"
#include "items/BarRect.h"
#include "platform/Cp932.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "util/SubUnit.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/EnterKey.h"
#include "widgets/TntNMDEdit.h"
#include "widgets/TntStdCtrls.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QString digitsOnly(const QString &Text)
{
    return QString::fromLatin1(FilterNumberChars(Cp932::encode(Text), nckDigits));
}

// The non-empty values in order: the first filled field goes to slot 0,
// so a lone second field moves up; slots left over are emptied.
std::array<QString, 2> packed(const QString &First, const QString &Second)
{
    std::array<QString, 2> out;
    int at = 0;
    for (const QString &v : {First, Second})
        if (!v.isEmpty())
            out[size_t(at++)] = v;
    return out;
}

QLineEdit *edit(QWidget *Parent, const char *Name, int Bytes)
{
    auto *e = new QLineEdit(Parent);
    e->setObjectName(QLatin1String(Name));
    e->setValidator(new TByteLimitValidator(Bytes, e));
    return e;
}

} // namespace

TQRCodeSettingDialog::TQRCodeSettingDialog(QWidget *Owner) : QDialog(Owner), m_item(std::make_unique<TQRCodeRect>())
{
    StartItemDialog(this, QStringLiteral("QRCodeSettingDialog"), QStringLiteral("QRコードの設定"));
    setProperty("HelpContext", 119);
    RunColorDialog = DefaultColorDialogRunner(this);

    auto radio = [this](QRadioButton *&R, const char *Name, const QString &Caption) {
        R = new QRadioButton(Caption, this);
        R->setObjectName(QLatin1String(Name));
    };
    auto *gbxKind = new QGroupBox(QStringLiteral("種類"), this);
    radio(rbText, "rbText", QStringLiteral("文章"));
    radio(rbAddress, "rbAddress", QStringLiteral("電話帳登録"));
    radio(rbMail, "rbMail", QStringLiteral("メール作成"));
    auto *kindLayout = new QVBoxLayout(gbxKind);
    for (QRadioButton *r : {rbText, rbAddress, rbMail}) {
        r->setParent(gbxKind);
        kindLayout->addWidget(r);
    }
    auto *gbxCarrier = new QGroupBox(QStringLiteral("キャリア"), this);
    radio(rbDocomo, "rbDocomo", QStringLiteral("docomo"));
    radio(rbSoftBank, "rbSoftBank", QStringLiteral("SoftBank"));
    lblInfo = Named(new QLabel(QStringLiteral("※auはどちらの仕様にも対応しています"), gbxCarrier), "lblInfo");
    auto *carrierLayout = new QVBoxLayout(gbxCarrier);
    for (QRadioButton *r : {rbDocomo, rbSoftBank}) {
        r->setParent(gbxCarrier);
        carrierLayout->addWidget(r);
    }
    carrierLayout->addWidget(lblInfo);

    auto *gbxContent = new QGroupBox(QStringLiteral("内容"), this);
    pgcKind = Named(new QStackedWidget(gbxContent), "pgcKind");
    tbsText = Named(new QWidget, "tbsText");
    tbsAddress = Named(new QWidget, "tbsAddress");
    tbsMail = Named(new QWidget, "tbsMail");
    pgcKind->addWidget(tbsText);
    pgcKind->addWidget(tbsAddress);
    pgcKind->addWidget(tbsMail);
    (new QVBoxLayout(gbxContent))->addWidget(pgcKind);

    // A character Shift-JIS lacks would go into the code as "?".
    memText = Named(new TTntMemo(tbsText), "memText");
    bbtnTelHeader = Named(new QPushButton(QStringLiteral("「TEL:」を付加"), tbsText), "bbtnTelHeader");
    bbtnURLHeader = Named(new QPushButton(QStringLiteral("「http://」を付加"), tbsText), "bbtnURLHeader");
    auto *textLayout = new QGridLayout(tbsText);
    textLayout->addWidget(new QLabel(QStringLiteral("文章："), tbsText), 0, 0);
    textLayout->addWidget(memText, 1, 0, 1, 2);
    textLayout->addWidget(bbtnTelHeader, 2, 0);
    textLayout->addWidget(bbtnURLHeader, 2, 1);

    edName = Named(new TTntNMDEdit(tbsAddress), "edName");
    edName->setMaxLength(15);
    // No byte limit, but the name goes into the code in Shift-JIS.
    edName->setValidator(new TByteLimitValidator(0, edName));
    edKana = edit(tbsAddress, "edKana", 30);
    static_cast<TByteLimitValidator *>(const_cast<QValidator *>(edKana->validator()))->SetHalfWidthKana(true);
    edTel1 = edit(tbsAddress, "edTel1", 13);
    edTel2 = edit(tbsAddress, "edTel2", 13);
    for (QLineEdit *e : {edTel1, edTel2}) {
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        // Full-width digits (pasted) would count double and be dropped from
        // the code's number.
        auto *v = static_cast<TByteLimitValidator *>(const_cast<QValidator *>(e->validator()));
        v->SetPhoneNumber(true);
        v->SetHalfWidthNumbers(true);
    }
    edMail1 = edit(tbsAddress, "edMail1", 128);
    edMail2 = edit(tbsAddress, "edMail2", 128);
    edMemo = edit(tbsAddress, "edMemo", 200);
    cbxSender = Named(new QComboBox(tbsAddress), "cbxSender");
    btnSender = Named(new QPushButton(QStringLiteral("差出人から取得"), tbsAddress), "btnSender");
    auto *address = new QFormLayout(tbsAddress);
    address->addRow(QStringLiteral("名前："), edName);
    address->addRow(QStringLiteral("カナ："), edKana);
    address->addRow(QStringLiteral("TEL："), edTel1);
    address->addRow(QString(), edTel2);
    address->addRow(QStringLiteral("E-Mail："), edMail1);
    address->addRow(QString(), edMail2);
    address->addRow(QStringLiteral("メモ："), edMemo);
    auto *senderRow = new QHBoxLayout;
    senderRow->addWidget(cbxSender, 1);
    senderRow->addWidget(btnSender);
    address->addRow(senderRow);

    edMailTo = edit(tbsMail, "edMailTo", 128);
    edSubject = edit(tbsMail, "edSubject", 100);
    edBody = edit(tbsMail, "edBody", 200);
    auto *mail = new QFormLayout(tbsMail);
    mail->addRow(QStringLiteral("宛先："), edMailTo);
    mail->addRow(QStringLiteral("件名："), edSubject);
    mail->addRow(QStringLiteral("本文："), edBody);

    auto *gbxView = new QGroupBox(QStringLiteral("表示"), this);
    pnlColor = Named(new TColorSwatch(gbxView), "pnlColor");
    bbtnColor = Named(new QPushButton(QStringLiteral("..."), gbxView), "bbtnColor");
    udSize = Named(new QSpinBox(gbxView), "udSize");
    udSize->setRange(TQRCodeRect::MinCellPitch, TQRCodeRect::MaxCellPitch);
    udSize->setValue(2);
    auto *view = new QHBoxLayout(gbxView);
    view->addWidget(new QLabel(QStringLiteral("色："), gbxView));
    view->addWidget(pnlColor);
    view->addWidget(bbtnColor);
    view->addWidget(new QLabel(QStringLiteral("サイズ："), gbxView));
    view->addWidget(udSize);

    sbxPreview = Named(new QScrollArea(this), "sbxPreview");
    sbxPreview->setAlignment(Qt::AlignCenter);
    sbxPreview->setBackgroundRole(QPalette::Base);
    pbxPreview = Named(new TItemPreview(sbxPreview), "pbxPreview");
    pbxPreview->OnPaint = [this](QPainter &P) { m_item->Draw(P, 0, 0); };
    sbxPreview->setWidget(pbxPreview);
    sbxPreview->setMinimumSize(220, 220);

    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    btnRefresh = Named(new QPushButton(QStringLiteral("更新"), this), "btnRefresh");
    // Enter walks the fields to OK, and Return on a focused button presses it.
    btnOK->setDefault(true);

    auto *left = new QVBoxLayout;
    auto *kinds = new QHBoxLayout;
    kinds->addWidget(gbxKind);
    kinds->addWidget(gbxCarrier);
    left->addLayout(kinds);
    left->addWidget(gbxContent);
    left->addWidget(gbxView);
    auto *right = new QVBoxLayout;
    right->addWidget(sbxPreview, 1);
    right->addWidget(btnRefresh);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    right->addLayout(buttons);
    auto *main = new QHBoxLayout(this);
    main->addLayout(left, 3);
    main->addLayout(right, 2);

    setSizeGripEnabled(true);
    setMinimumSize(ScaleForDpi(580, true), ScaleForDpi(460, true));
    // The size is kept in 96-dpi units.
    const int width = ReadDesignSetting(QStringLiteral("QRWidth"), 32767);
    const int height = ReadDesignSetting(QStringLiteral("QRHeight"), 32767);
    if (width != 32767 && height != 32767)
        resize(ScaleForDpi(width, true), ScaleForDpi(height, true));

    m_senders = LoadSenders();
    for (const TSenderData &s : m_senders)
        cbxSender->addItem(s.Title.trimmed());
    if (m_senders.isEmpty()) {
        cbxSender->addItem(QStringLiteral("なし"));
        btnSender->setEnabled(false);
    }
    cbxSender->setCurrentIndex(0);

    m_nameDic = new TNameDicLink(this);
    m_nameDic->Attach(edName, 0, false);

    for (QRadioButton *r : {rbText, rbAddress, rbMail})
        connect(r, &QRadioButton::clicked, this, &TQRCodeSettingDialog::rbKindClick);
    for (QRadioButton *r : {rbDocomo, rbSoftBank})
        connect(r, &QRadioButton::clicked, this, &TQRCodeSettingDialog::rbCarrierClick);
    connect(bbtnTelHeader, &QPushButton::clicked, this, [this] { bbtnAddHeaderClick(QStringLiteral("TEL:")); });
    connect(bbtnURLHeader, &QPushButton::clicked, this, [this] { bbtnAddHeaderClick(QStringLiteral("http://")); });
    connect(btnSender, &QPushButton::clicked, this, &TQRCodeSettingDialog::btnSenderClick);
    connect(bbtnColor, &QPushButton::clicked, this, &TQRCodeSettingDialog::bbtnColorClick);
    connect(btnRefresh, &QPushButton::clicked, this, [this] {
        if (!TellUnencodable())
            btnRefreshClick();
    });
    connect(btnOK, &QPushButton::clicked, this, [this] {
        if (TellUnencodable())
            return;
        btnRefreshClick();
        // A payload no QR code holds leaves the code empty: it would print
        // as a blank square.
        if (!m_item->BuildQRPayload().isEmpty() && m_item->Modules().isEmpty()) {
            ShowMessageBoxAt(this, QStringLiteral("内容が長すぎてQRコードにできません。内容を短くしてください  "),
                             ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
            return;
        }
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QWidget *w : std::initializer_list<QWidget *>{rbText, rbAddress, rbMail, rbDocomo, rbSoftBank, edName, edKana,
                                                       edTel1, edTel2, edMail1, edMail2, edMemo, edMailTo, edSubject,
                                                       edBody, udSize})
        w->installEventFilter(this);
}

TQRCodeSettingDialog::~TQRCodeSettingDialog()
{
    const QSize normal = isMaximized() ? normalGeometry().size() : size();
    WriteDesignSetting(QStringLiteral("QRWidth"), ScaleForDpi(normal.width(), false));
    WriteDesignSetting(QStringLiteral("QRHeight"), ScaleForDpi(normal.height(), false));
}

void TQRCodeSettingDialog::SetQRCode(const TQRCodeRect &Item)
{
    m_item->Assign(Item);
    m_item->SetZoom(1.0);
    const TPageRect r = m_item->GetRect();
    m_item->SetRect({0, 0, r.Right - r.Left, r.Bottom - r.Top});
    m_item->Rebuild(true);
    FillControls();
}

bool TQRCodeSettingDialog::TellUnencodable()
{
    // Text set by the program (a sender's name holds any character) is not
    // checked as it is typed; the code and the file keep Shift-JIS.
    QString all = memText->toPlainText();
    for (const QLineEdit *e : {static_cast<QLineEdit *>(edName), edKana, edTel1, edTel2, edMail1, edMail2, edMemo,
                               edMailTo, edSubject, edBody})
        all += e->text();
    const QString refused = UnstorableChars(all);
    if (refused.isEmpty())
        return false;
    ShowMessageBoxAt(this, QStringLiteral("QRコードにできない文字があります  \r\n") + UnstorableCharsMessage(refused),
                     ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    return true;
}

void TQRCodeSettingDialog::FillControls()
{
    const TQRKind kind = m_item->GetQRKind();
    rbText->setChecked(kind == TQRKind::Text);
    rbAddress->setChecked(kind == TQRKind::PhoneDocomo || kind == TQRKind::PhoneSoftBank);
    rbMail->setChecked(kind == TQRKind::MailDocomo || kind == TQRKind::MailSoftBank);
    rbSoftBank->setChecked(kind == TQRKind::PhoneSoftBank || kind == TQRKind::MailSoftBank);
    rbDocomo->setChecked(!rbSoftBank->isChecked());
    memText->setPlainText(m_item->GetText());
    edName->setText(m_item->GetName());
    edKana->setText(m_item->GetKana());
    edTel1->setText(m_item->GetTel(0));
    edTel2->setText(m_item->GetTel(1));
    edMail1->setText(m_item->GetMail(0));
    edMail2->setText(m_item->GetMail(1));
    edMemo->setText(m_item->GetMemo());
    edMailTo->setText(m_item->GetMailTo());
    edSubject->setText(m_item->GetSubject());
    edBody->setText(m_item->GetBody());
    udSize->setValue(m_item->GetCellPitch());
    pnlColor->SetColor(m_item->GetDarkColor());
    rbKindClick();
    rbCarrierClick();
    UpdatePreviewSize();
}

void TQRCodeSettingDialog::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    UpdatePreviewSize();
}

void TQRCodeSettingDialog::rbKindClick()
{
    for (QRadioButton *r : {rbText, rbAddress, rbMail})
        SetBlueCaption(r, r->isChecked());
    const bool carrier = !rbText->isChecked();
    rbDocomo->setEnabled(carrier);
    rbSoftBank->setEnabled(carrier);
    lblInfo->setEnabled(carrier);
    pgcKind->setCurrentWidget(rbAddress->isChecked() ? tbsAddress : rbMail->isChecked() ? tbsMail : tbsText);
}

void TQRCodeSettingDialog::rbCarrierClick()
{
    for (QRadioButton *r : {rbDocomo, rbSoftBank})
        SetBlueCaption(r, r->isChecked());
}

void TQRCodeSettingDialog::btnRefreshClick()
{
    const bool docomo = rbDocomo->isChecked();
    TQRKind kind = TQRKind::Text;
    if (rbAddress->isChecked())
        kind = docomo ? TQRKind::PhoneDocomo : TQRKind::PhoneSoftBank;
    else if (rbMail->isChecked())
        kind = docomo ? TQRKind::MailDocomo : TQRKind::MailSoftBank;
    m_item->SetQRKind(kind);
    m_item->SetCellPitch(udSize->value());
    m_item->SetDarkColor(pnlColor->Color());
    m_item->SetText(memText->toPlainText());
    m_item->SetName(edName->text());
    m_item->SetKana(edKana->text());
    const auto tels = packed(digitsOnly(edTel1->text()), digitsOnly(edTel2->text()));
    const auto mails = packed(edMail1->text().trimmed(), edMail2->text().trimmed());
    for (int i = 0; i < 2; ++i) {
        m_item->SetTel(i, tels[size_t(i)]);
        m_item->SetMail(i, mails[size_t(i)]);
    }
    m_item->SetMemo(edMemo->text());
    m_item->SetMailTo(edMailTo->text());
    m_item->SetSubject(edSubject->text());
    m_item->SetBody(edBody->text());
    m_item->Rebuild(true);
    const TPageRect r = m_item->GetRect();
    m_item->SetRect({0, 0, r.Right - r.Left, r.Bottom - r.Top});
    UpdatePreviewSize();
}

void TQRCodeSettingDialog::UpdatePreviewSize()
{
    const TScreenRect d = m_item->GetDispRect();
    pbxPreview->resize(std::max(1, d.Right - d.Left), std::max(1, d.Bottom - d.Top));
    pbxPreview->update();
}

void TQRCodeSettingDialog::btnSenderClick()
{
    const int at = cbxSender->currentIndex();
    if (at < 0 || at >= m_senders.size())
        return;
    const TSenderData &s = m_senders[at];
    edName->setText(s.Name);
    edKana->clear();
    edTel1->setText(s.Tel.trimmed());
    QStringList mobiles, mails;
    for (int i = 0; i < 4; ++i) {
        const QString head = s.Head[size_t(i)].trimmed();
        if (head.compare(QStringLiteral("携帯"), Qt::CaseInsensitive) == 0)
            mobiles << digitsOnly(s.Addition[size_t(i)]);
        else if (head.compare(QStringLiteral("E-Mail"), Qt::CaseInsensitive) == 0)
            mails << s.Addition[size_t(i)].trimmed();
    }
    if (!edTel1->text().isEmpty()) {
        edTel2->setText(mobiles.value(0));
    } else {
        edTel1->setText(mobiles.value(0));
        edTel2->setText(mobiles.value(1));
    }
    edMail1->setText(mails.value(0));
    edMail2->setText(mails.value(1));
}

void TQRCodeSettingDialog::bbtnAddHeaderClick(const QString &Header)
{
    memText->insertPlainText(Header);
    memText->setFocus();
}

void TQRCodeSettingDialog::bbtnColorClick()
{
    (void)ChooseSwatchColor(RunColorDialog, pnlColor);
}

bool TQRCodeSettingDialog::eventFilter(QObject *Watched, QEvent *Event)
{
    if (IsEnterKeyPress(Event)) {
        if (Watched == udSize) {
            btnOK->click();
        } else if (auto *w = qobject_cast<QWidget *>(Watched)) {
            QWidget *next = w->nextInFocusChain();
            while (next && next != w && (!next->isEnabled() || !next->isVisible() || next->focusPolicy() == Qt::NoFocus))
                next = next->nextInFocusChain();
            if (next)
                next->setFocus(Qt::TabFocusReason);
        }
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}
