#include "dialogs/DataFrm.h"

#include "platform/Cp932.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/CheckedCaption.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtEndian>

#include <algorithm>

namespace {

void putI32(QByteArray &out, qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putHonor(QByteArray &out, const QByteArray &honor)
{
    const QByteArray cut = Cp932::truncated(honor, TDataFormat::HonorificBytes);
    out.append(static_cast<char>(cut.size()));
    out.append(cut);
    out.append(QByteArray(TDataFormat::HonorificBytes - cut.size(), '\0'));
}

struct Reader
{
    QByteArrayView bytes;
    qsizetype pos = 0;
    quint8 u8() { return static_cast<quint8>(bytes[pos++]); }
    bool flag() { return u8() != 0; }
    qint32 i32()
    {
        const qint32 v = qFromLittleEndian<qint32>(bytes.data() + pos);
        pos += 4;
        return v;
    }
    QByteArray honor()
    {
        const int len = std::min<int>(u8(), TDataFormat::HonorificBytes);
        // Cut within the whole field, so a length ending inside a character
        // drops that character rather than keep half of it.
        const QByteArrayView field = bytes.sliced(pos, TDataFormat::HonorificBytes);
        pos += TDataFormat::HonorificBytes;
        return Cp932::truncated(field, len);
    }
};

} // namespace

QString TDataFormat::HonorText(const QByteArray &Honor)
{
    return Cp932::decode(Honor);
}

QByteArray TDataFormat::HonorBytes(const QString &Text)
{
    return Cp932::truncated(Cp932::encode(Text), HonorificBytes);
}

QByteArray WriteDataFormat(const TDataFormat &F)
{
    QByteArray out;
    out.reserve(DataFormatSize);
    out.append(char(F.HidePrefecture ? 1 : 0));
    out.append(char(F.VerticalDigits ? 1 : 0));
    out.append(char(F.KanjiNumerals ? 1 : 0));
    out.append(char(F.HyphenToNo ? 1 : 0));
    putI32(out, F.CorpForm);
    putI32(out, F.PostalMark);
    putI32(out, F.SendPostalMark);
    putHonor(out, F.DefHonor);
    putHonor(out, F.CorpHonor);
    putHonor(out, F.PostHonor);
    putHonor(out, F.SenderHonor);
    for (const qint32 v : {F.AddressSize, F.NameSize, F.AdditionSize, F.SendAddressSize, F.SendNameSize,
                           F.SendAdditionSize, F.CorpRatio, F.DptmntRatio, F.PostRatio})
        putI32(out, v);
    out.append(char(F.CharSpace ? 1 : 0));
    out.append(static_cast<char>(F.NameAlign));
    out.append(static_cast<char>(F.SendNameAlign));
    out.append(static_cast<char>(F.SendSeries));
    out.append(char(F.CorpBreak ? 1 : 0));
    out.append(static_cast<char>(F.HiddenParts & 0xFF));
    out.append(static_cast<char>(F.HiddenParts >> 8));
    for (const quint8 b : F.Reserved)
        out.append(static_cast<char>(b));
    Q_ASSERT(out.size() == DataFormatSize);
    return out;
}

std::optional<TDataFormat> ReadDataFormat(QByteArrayView Bytes)
{
    if (Bytes.size() < DataFormatSize)
        return std::nullopt;
    Reader r{Bytes.first(DataFormatSize)};
    TDataFormat F;
    F.HidePrefecture = r.flag();
    F.VerticalDigits = r.flag();
    F.KanjiNumerals = r.flag();
    F.HyphenToNo = r.flag();
    F.CorpForm = r.i32();
    F.PostalMark = r.i32();
    F.SendPostalMark = r.i32();
    F.DefHonor = r.honor();
    F.CorpHonor = r.honor();
    F.PostHonor = r.honor();
    F.SenderHonor = r.honor();
    for (qint32 *v : {&F.AddressSize, &F.NameSize, &F.AdditionSize, &F.SendAddressSize, &F.SendNameSize,
                      &F.SendAdditionSize, &F.CorpRatio, &F.DptmntRatio, &F.PostRatio})
        *v = r.i32();
    F.CharSpace = r.flag();
    F.NameAlign = r.u8();
    F.SendNameAlign = r.u8();
    F.SendSeries = r.u8();
    F.CorpBreak = r.flag();
    F.HiddenParts = r.u8();
    F.HiddenParts = quint16(F.HiddenParts | (r.u8() << 8));
    for (quint8 &b : F.Reserved)
        b = r.u8();
    return F;
}

void ApplyNewLayoutDefaults(TDataFormat &F, TDataFormatEditor Editor, bool WithoutPicture)
{
    F.AddressSize = 3;
    F.NameSize = 3;
    if (Editor != TDataFormatEditor::dfeDesign)
        F.AdditionSize = 3;
    F.SendAddressSize = 3;
    F.SendNameSize = 3;
    F.SendAdditionSize = 3;
    F.CorpRatio = 3;
    F.DptmntRatio = 4;
    // The title at the department's share of the name: at half of it the
    // title would be the smallest text of the address, beside the largest.
    F.PostRatio = 4;
    F.CharSpace = true;
    const auto honors = [&F](const char *def, const char *corp, const char *post, const char *sender) {
        F.DefHonor = TDataFormat::HonorBytes(QString::fromUtf8(def));
        F.CorpHonor = TDataFormat::HonorBytes(QString::fromUtf8(corp));
        F.PostHonor = TDataFormat::HonorBytes(QString::fromUtf8(post));
        F.SenderHonor = TDataFormat::HonorBytes(QString::fromUtf8(sender));
    };
    switch (Editor) {
    case TDataFormatEditor::dfeAddressSide:
        honors("様", "御中", "様", "行");
        if (WithoutPicture) {
            F.PostalMark = 2;
            F.SendPostalMark = 1;
        }
        break;
    case TDataFormatEditor::dfeLabel:
        honors("様", "御中", "様", "行");
        F.PostalMark = 2;
        break;
    case TDataFormatEditor::dfeCard:
        honors("", "", "", "");
        F.PostalMark = 1;
        break;
    case TDataFormatEditor::dfeDesign:
        F.SendPostalMark = 1;
        break;
    }
}

void TakeDataFormatPart(TDataFormat &Target, const TDataFormat &Source)
{
    QByteArray target = WriteDataFormat(Target);
    const QByteArray source = WriteDataFormat(Source);
    target.replace(0, DataFormatDialogBytes, source.first(DataFormatDialogBytes));
    Target = *ReadDataFormat(target);
}

// ---- Dialog ---------------------------------------------------------------

namespace {

QCheckBox *check(QWidget *parent, const char *name, const QString &text)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    QObject::connect(box, &QCheckBox::toggled, box, [box] { PaintCheckedCaption(box); });
    return box;
}

std::array<QRadioButton *, 3> radios(QWidget *parent, const std::array<const char *, 3> &names,
                                     const std::array<QString, 3> &texts)
{
    std::array<QRadioButton *, 3> r{};
    auto *group = new QButtonGroup(parent);
    for (int i = 0; i < 3; ++i) {
        r[i] = new QRadioButton(texts[i], parent);
        r[i]->setObjectName(QLatin1String(names[i]));
        group->addButton(r[i], i);
        QObject::connect(r[i], &QRadioButton::toggled, r[i], [b = r[i]] { PaintCheckedCaption(b); });
    }
    return r;
}

void checkChoice(const std::array<QRadioButton *, 3> &r, qint32 value)
{
    r[value == 0 ? 0 : value == 1 ? 1 : 2]->setChecked(true);
}

qint32 choiceOf(const std::array<QRadioButton *, 3> &r)
{
    return r[0]->isChecked() ? 0 : r[1]->isChecked() ? 1 : 2;
}

QLineEdit *honorEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setValidator(new TByteLimitValidator(TDataFormat::HonorificBytes, edit));
    return edit;
}

} // namespace

TDataFormDialog::TDataFormDialog(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("DataFormDialog"));
    setWindowTitle(QStringLiteral("書式の設定"));
    setProperty("HelpContext", 104);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto *convert = new QGroupBox(QStringLiteral("文字の変換"), this);
    ckbConnect = check(convert, "ckbConnect", QStringLiteral("「－」 を 「の」 に変換する"));
    ckbTdfkn = check(convert, "ckbTdfkn", QStringLiteral("都道府県を表示しない"));
    ckbChineseNumeral = check(convert, "ckbChineseNumeral", QStringLiteral("数字を漢数字に変換する"));
    ckbVertNumeral = check(convert, "ckbVertNumeral", QStringLiteral("縦書き時に住所の数字も縦に並べる"));
    auto *convertLayout = new QVBoxLayout(convert);
    for (QWidget *w : {static_cast<QWidget *>(ckbConnect), static_cast<QWidget *>(ckbTdfkn),
                       static_cast<QWidget *>(ckbChineseNumeral), static_cast<QWidget *>(ckbVertNumeral)})
        convertLayout->addWidget(w);

    tbsCorpOmit = new QGroupBox(QStringLiteral("法人格の表記"), this);
    tbsCorpOmit->setObjectName(QStringLiteral("tbsCorpOmit"));
    rbCorp = radios(tbsCorpOmit, {"rbNone", "rbOmittion", "rbFull"},
                    {QStringLiteral("そのまま"), QStringLiteral("省略（株式会社→（株））"),
                     QStringLiteral("展開（（株）→株式会社）")});
    auto *corpLayout = new QVBoxLayout(tbsCorpOmit);
    for (QRadioButton *r : rbCorp)
        corpLayout->addWidget(r);

    gbxPosMark = new QGroupBox(QStringLiteral("郵便記号"), this);
    gbxPosMark->setObjectName(QStringLiteral("gbxPosMark"));
    const std::array<QString, 3> marks{QStringLiteral("数字のみ"), QStringLiteral("〒を付加"),
                                       QStringLiteral("ハイフンを付加")};
    auto *posBox = new QWidget(gbxPosMark);
    auto *sendBox = new QWidget(gbxPosMark);
    rbPos = radios(posBox, {"rbPosNone", "rbPosMark", "rbPosHyphen"}, marks);
    rbSendPos = radios(sendBox, {"rbSendPosNone", "rbSendPosMark", "rbSendPosHyphen"}, marks);
    lblPos = new QLabel(QStringLiteral("宛先："), gbxPosMark);
    lblSendPos = new QLabel(QStringLiteral("差出人："), gbxPosMark);
    auto *posRow = new QHBoxLayout(posBox);
    auto *sendRow = new QHBoxLayout(sendBox);
    posRow->setContentsMargins(0, 0, 0, 0);
    sendRow->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        posRow->addWidget(rbPos[i]);
        sendRow->addWidget(rbSendPos[i]);
    }
    auto *posLayout = new QGridLayout(gbxPosMark);
    posLayout->addWidget(lblPos, 0, 0);
    posLayout->addWidget(posBox, 0, 1);
    posLayout->addWidget(lblSendPos, 1, 0);
    posLayout->addWidget(sendBox, 1, 1);

    gbxHonorific = new QGroupBox(QStringLiteral("敬称"), this);
    gbxHonorific->setObjectName(QStringLiteral("gbxHonorific"));
    edDefHonor = honorEdit(gbxHonorific, "edDefHonor");
    edCorpHonor = honorEdit(gbxHonorific, "edCorpHonor");
    edPostHonor = honorEdit(gbxHonorific, "edPostHonor");
    edSenderHonor = honorEdit(gbxHonorific, "edSenderHonor");
    lblinfo = new QLabel(QStringLiteral("※連名のない場合のみ"), gbxHonorific);
    lblinfo->setObjectName(QStringLiteral("lblinfo"));
    lblinfo->setVisible(false);
    auto *honorLayout = new QGridLayout(gbxHonorific);
    const std::array<QString, 4> honorLabels{QStringLiteral("標準の敬称："), QStringLiteral("会社："),
                                             QStringLiteral("役職："), QStringLiteral("差出人宛：")};
    const std::array<QLineEdit *, 4> honorEdits{edDefHonor, edCorpHonor, edPostHonor, edSenderHonor};
    for (int i = 0; i < 4; ++i) {
        honorLayout->addWidget(new QLabel(honorLabels[i], gbxHonorific), i, 0);
        honorLayout->addWidget(honorEdits[i], i, 1);
    }
    honorLayout->addWidget(lblinfo, 4, 0, 1, 2);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    // Return takes the format shown from wherever it was set; a focused
    // キャンセル takes it itself.
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto *grid = new QGridLayout(this);
    grid->addWidget(convert, 0, 0);
    grid->addWidget(tbsCorpOmit, 0, 1);
    grid->addWidget(gbxPosMark, 1, 0, 1, 2);
    grid->addWidget(gbxHonorific, 2, 0, 1, 2);
    grid->addLayout(buttons, 3, 0, 1, 2);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    rbCorp[0]->setChecked(true);
    rbPos[0]->setChecked(true);
    rbSendPos[0]->setChecked(true);
}

void TDataFormDialog::SetDataFormat(const TDataFormat &F)
{
    ckbTdfkn->setChecked(F.HidePrefecture);
    ckbVertNumeral->setChecked(F.VerticalDigits);
    ckbChineseNumeral->setChecked(F.KanjiNumerals);
    ckbConnect->setChecked(F.HyphenToNo);
    checkChoice(rbCorp, F.CorpForm);
    checkChoice(rbPos, F.PostalMark);
    checkChoice(rbSendPos, F.SendPostalMark);
    edDefHonor->setText(TDataFormat::HonorText(F.DefHonor));
    edCorpHonor->setText(TDataFormat::HonorText(F.CorpHonor));
    edPostHonor->setText(TDataFormat::HonorText(F.PostHonor));
    edSenderHonor->setText(TDataFormat::HonorText(F.SenderHonor));
}

void TDataFormDialog::GetDataFormat(TDataFormat &F) const
{
    F.HidePrefecture = ckbTdfkn->isChecked();
    F.VerticalDigits = ckbVertNumeral->isChecked();
    F.KanjiNumerals = ckbChineseNumeral->isChecked();
    F.HyphenToNo = ckbConnect->isChecked();
    F.CorpForm = choiceOf(rbCorp);
    F.PostalMark = choiceOf(rbPos);
    F.SendPostalMark = choiceOf(rbSendPos);
    F.DefHonor = TDataFormat::HonorBytes(edDefHonor->text());
    F.CorpHonor = TDataFormat::HonorBytes(edCorpHonor->text());
    F.PostHonor = TDataFormat::HonorBytes(edPostHonor->text());
    F.SenderHonor = TDataFormat::HonorBytes(edSenderHonor->text());
}

void TDataFormDialog::SetLayoutKind(TLayoutKind Kind)
{
    const bool label = Kind == TLayoutKind::lkLabel;
    const bool card = Kind == TLayoutKind::lkCard;
    if (label || card) {
        lblSendPos->setEnabled(false);
        for (QRadioButton *r : rbSendPos)
            r->setEnabled(false);
    }
    lblinfo->setVisible(label);
    if (card)
        gbxHonorific->setEnabled(false);
}

void TDataFormDialog::SetDesignMode(bool On)
{
    if (!On)
        return;
    lblPos->setEnabled(false);
    for (QRadioButton *r : rbPos)
        r->setEnabled(false);
    gbxHonorific->setEnabled(false);
}
