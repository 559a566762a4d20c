#include "dialogs/LytDtl.h"
#include "widgets/Named.h"

#include "core/Env.h"
#include "platform/IniFile.h"
#include "util/SubUnit.h"
#include "widgets/CheckedCaption.h"
#include "widgets/ExTrackBar.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("PRINTFORM");
const QString kDetail = QStringLiteral("Detail");

QCheckBox *check(QWidget *parent, const char *name, const QString &text)
{
    auto *box = Named(new QCheckBox(text, parent), name);
    QObject::connect(box, &QCheckBox::toggled, box, [box] { PaintCheckedCaption(box); });
    return box;
}

QRadioButton *radio(QWidget *parent, QButtonGroup *group, const char *name, const QString &text)
{
    auto *r = Named(new QRadioButton(text, parent), name);
    group->addButton(r);
    QObject::connect(r, &QRadioButton::toggled, r, [r] { PaintCheckedCaption(r); });
    return r;
}

QComboBox *ratioList(QWidget *parent, const char *name)
{
    auto *c = Named(new QComboBox(parent), name);
    c->addItems({QStringLiteral("10"), QStringLiteral("9"), QStringLiteral("8"), QStringLiteral("7"),
                 QStringLiteral("6"), QStringLiteral("5")});
    return c;
}

int clampIndex(qint32 v)
{
    return v < 0 ? 0 : v > 5 ? 5 : v;
}

} // namespace

int TrackStepAt(int X, int Left, int Right, int Max)
{
    if (X <= Left || Max <= 1)
        return 1;
    if (X >= Right)
        return Max;
    const long double per = static_cast<long double>(Right - Left) / (Max - 1);
    return static_cast<int>(RoundHalfAway((X - Left) / per)) + 1;
}

TLayoutDetailDialog::TLayoutDetailDialog(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("LayoutDetailDialog"));
    setWindowTitle(QStringLiteral("フォント・配置の詳細設定"));
    setProperty("HelpContext", 102);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    pgcDetail = Named(new QTabWidget(this), "pgcDetail");

    // Page 0: automatic layout and the frames shown.
    auto *page0 = new QWidget;
    ckbAuto = check(page0, "ckbAuto", QStringLiteral("表示情報のレイアウトを自動でおこなう"));
    auto *gbxVisible = Named(new QGroupBox(QStringLiteral("表示情報："), page0), "gbxVisible");
    auto *vis = new QGridLayout(gbxVisible);
    vis->addWidget(new QLabel(QStringLiteral("宛先："), gbxVisible), 0, 0);
    vis->addWidget(new QLabel(QStringLiteral("差出人："), gbxVisible), 0, 1);
    ckbPos = check(gbxVisible, "ckbPos", QStringLiteral("郵便番号"));
    ckbS_Pos = check(gbxVisible, "ckbS_Pos", QStringLiteral("郵便番号"));
    const char *addrNames[] = {"ckbAddress1", "ckbAddress2", "ckbAddress3"};
    const char *sAddrNames[] = {"ckbS_Address1", "ckbS_Address2", "ckbS_Address3"};
    const QString addrTexts[] = {QStringLiteral("住所１"), QStringLiteral("住所２"), QStringLiteral("住所３")};
    for (int i = 0; i < 3; ++i) {
        ckbAddress[i] = check(gbxVisible, addrNames[i], addrTexts[i]);
        ckbS_Address[i] = check(gbxVisible, sAddrNames[i], addrTexts[i]);
    }
    ckbName = check(gbxVisible, "ckbName", QStringLiteral("名前"));
    ckbCorp = check(gbxVisible, "ckbCorp", QStringLiteral("会社名"));
    ckbDptmnt = check(gbxVisible, "ckbDptmnt", QStringLiteral("部署"));
    ckbPost = check(gbxVisible, "ckbPost", QStringLiteral("役職"));
    ckbS_Name = check(gbxVisible, "ckbS_Name", QStringLiteral("名前"));
    ckbS_Corp = check(gbxVisible, "ckbS_Corp", QStringLiteral("会社名"));
    ckbS_Dptmnt = check(gbxVisible, "ckbS_Dptmnt", QStringLiteral("部署"));
    ckbS_Post = check(gbxVisible, "ckbS_Post", QStringLiteral("役職"));
    const char *addNames[] = {"ckbAddition1", "ckbAddition2", "ckbAddition3", "ckbAddition4"};
    const QString addTexts[] = {QStringLiteral("連絡先１"), QStringLiteral("連絡先２"), QStringLiteral("連絡先３"),
                                QStringLiteral("連絡先４")};
    for (int i = 0; i < 4; ++i)
        ckbAddition[i] = check(gbxVisible, addNames[i], addTexts[i]);
    const QList<QCheckBox *> left{ckbPos, ckbAddress[0], ckbAddress[1], ckbAddress[2], ckbName, ckbCorp,
                                  ckbDptmnt, ckbPost};
    const QList<QCheckBox *> right{ckbS_Pos, ckbS_Address[0], ckbS_Address[1], ckbS_Address[2], ckbS_Name,
                                   ckbS_Corp, ckbS_Dptmnt, ckbS_Post, ckbAddition[0], ckbAddition[1],
                                   ckbAddition[2], ckbAddition[3]};
    for (int i = 0; i < left.size(); ++i)
        vis->addWidget(left[i], i + 1, 0);
    for (int i = 0; i < right.size(); ++i)
        vis->addWidget(right[i], i + 1, 1);
    auto *l0 = new QVBoxLayout(page0);
    l0->addWidget(ckbAuto);
    l0->addWidget(gbxVisible);
    pgcDetail->addTab(page0, QStringLiteral("自動レイアウト"));

    // Page 1: fonts.
    auto *page1 = new QWidget;
    auto *gbxSize = new QGroupBox(QStringLiteral("文字の最大サイズ："), page1);
    auto *sizes = new QGridLayout(gbxSize);
    const auto bar = [this, gbxSize](const char *name) {
        auto *b = Named(new TExTrackBar(Qt::Horizontal, gbxSize), name);
        b->setRange(1, 5);
        b->setPageStep(1);
        b->setTickPosition(QSlider::TicksBelow);
        b->OnMouseDown = [this, b](QObject *, Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int) {
            if (Button == Qt::LeftButton)
                JumpTrack(b, X);
        };
        return b;
    };
    auto *lblTo = new QLabel(QStringLiteral("宛先："), gbxSize);
    auto *lblFrom = new QLabel(QStringLiteral("差出人："), gbxSize);
    tbrName = bar("tbrName");
    tbrAddress = bar("tbrAddress");
    tbrAddition = bar("tbrAddition");
    tbrSendName = bar("tbrSendName");
    tbrSendAddress = bar("tbrSendAddress");
    tbrSendAddition = bar("tbrSendAddition");
    auto *lblName = new QLabel(QStringLiteral("名前："), gbxSize);
    auto *lblAddress = new QLabel(QStringLiteral("住所："), gbxSize);
    lblAddition = new QLabel(QStringLiteral("追加情報："), gbxSize);
    auto *lblSName = new QLabel(QStringLiteral("名前："), gbxSize);
    auto *lblSAddress = new QLabel(QStringLiteral("住所："), gbxSize);
    auto *lblSAddition = new QLabel(QStringLiteral("連絡先："), gbxSize);
    auto *lblSmall = new QLabel(QStringLiteral("小"), gbxSize);
    auto *lblLarge = new QLabel(QStringLiteral("大"), gbxSize);
    sizes->addWidget(lblSmall, 0, 2);
    sizes->addWidget(lblLarge, 0, 3, Qt::AlignRight);
    sizes->addWidget(lblTo, 1, 0);
    sizes->addWidget(lblName, 1, 1);
    sizes->addWidget(tbrName, 1, 2, 1, 2);
    sizes->addWidget(lblAddress, 2, 1);
    sizes->addWidget(tbrAddress, 2, 2, 1, 2);
    sizes->addWidget(lblAddition, 3, 1);
    sizes->addWidget(tbrAddition, 3, 2, 1, 2);
    sizes->addWidget(lblFrom, 4, 0);
    sizes->addWidget(lblSName, 4, 1);
    sizes->addWidget(tbrSendName, 4, 2, 1, 2);
    sizes->addWidget(lblSAddress, 5, 1);
    sizes->addWidget(tbrSendAddress, 5, 2, 1, 2);
    sizes->addWidget(lblSAddition, 6, 1);
    sizes->addWidget(tbrSendAddition, 6, 2, 1, 2);
    m_senderFont = {lblFrom, lblSName, tbrSendName, lblSAddress, tbrSendAddress, lblSAddition, tbrSendAddition};
    m_addresseeFont = {lblTo, lblName, tbrName, lblAddress, tbrAddress, lblSmall, lblLarge};

    auto *gbxRatio = new QGroupBox(QStringLiteral("会社情報の文字サイズの比率："), page1);
    auto *ratio = new QGridLayout(gbxRatio);
    edNameRatio = Named(new QLineEdit(QStringLiteral("10"), gbxRatio), "edNameRatio");
    edNameRatio->setReadOnly(true);
    cbxDptmntRatio = ratioList(gbxRatio, "cbxDptmntRatio");
    cbxPostRatio = ratioList(gbxRatio, "cbxPostRatio");
    cbxCorpRatio = ratioList(gbxRatio, "cbxCorpRatio");
    auto *lblNameRatio = new QLabel(QStringLiteral("名前"), gbxRatio);
    auto *lblD = new QLabel(QStringLiteral("： 部署"), gbxRatio);
    auto *lblP = new QLabel(QStringLiteral("： 役職"), gbxRatio);
    auto *lblC = new QLabel(QStringLiteral("： 会社"), gbxRatio);
    ratio->addWidget(edNameRatio, 0, 0);
    ratio->addWidget(lblNameRatio, 0, 1);
    ratio->addWidget(cbxDptmntRatio, 0, 2);
    ratio->addWidget(lblD, 0, 3);
    ratio->addWidget(cbxPostRatio, 0, 4);
    ratio->addWidget(lblP, 0, 5);
    ratio->addWidget(cbxCorpRatio, 0, 6);
    ratio->addWidget(lblC, 0, 7);
    m_ratioLabels = {lblNameRatio, lblD, lblP, lblC};
    auto *l1 = new QVBoxLayout(page1);
    l1->addWidget(gbxSize);
    l1->addWidget(gbxRatio);
    pgcDetail->addTab(page1, QStringLiteral("フォント"));

    // Page 2: arrangement.
    auto *page2 = new QWidget;
    auto *gbxAlign = new QGroupBox(QStringLiteral("名前の文字揃え："), page2);
    auto *align = new QGridLayout(gbxAlign);
    lblAlign = new QLabel(QStringLiteral("宛先："), gbxAlign);
    lblS_Align = new QLabel(QStringLiteral("差出人："), gbxAlign);
    auto *g1 = new QButtonGroup(this);
    auto *g2 = new QButtonGroup(this);
    const QString alignTexts[] = {QStringLiteral("均等"), QStringLiteral("左・上寄せ"), QStringLiteral("右・下寄せ"),
                                  QStringLiteral("中央寄せ")};
    const char *alignNames[] = {"rbEqual", "rbLeft", "rbRight", "rbCenter"};
    const char *sAlignNames[] = {"rbS_Equal", "rbS_Left", "rbS_Right", "rbS_Center"};
    align->addWidget(lblAlign, 0, 0);
    align->addWidget(lblS_Align, 1, 0);
    for (int i = 0; i < 4; ++i) {
        rbAlign[i] = radio(gbxAlign, g1, alignNames[i], alignTexts[i]);
        rbS_Align[i] = radio(gbxAlign, g2, sAlignNames[i], alignTexts[i]);
        align->addWidget(rbAlign[i], 0, i + 1);
        align->addWidget(rbS_Align[i], 1, i + 1);
    }
    auto *gbxSeries = new QGroupBox(QStringLiteral("差出人の連名："), page2);
    auto *g3 = new QButtonGroup(this);
    rbParallel = radio(gbxSeries, g3, "rbParallel", QStringLiteral("横に並べる"));
    rbSeries = radio(gbxSeries, g3, "rbSeries", QStringLiteral("まとめて表示する"));
    auto *series = new QHBoxLayout(gbxSeries);
    series->addWidget(rbParallel);
    series->addWidget(rbSeries);
    auto *gbxCorp = new QGroupBox(QStringLiteral("会社情報："), page2);
    ckbCorpBreak = check(gbxCorp, "ckbCorpBreak", QStringLiteral("長い会社情報を空白で改行する"));
    (new QVBoxLayout(gbxCorp))->addWidget(ckbCorpBreak);
    auto *gbxSpace = new QGroupBox(QStringLiteral("名前の文字間："), page2);
    ckbCharSpace = check(gbxSpace, "ckbCharSpace", QStringLiteral("枠にあわせて文字間を広げる"));
    (new QVBoxLayout(gbxSpace))->addWidget(ckbCharSpace);
    auto *l2 = new QVBoxLayout(page2);
    l2->addWidget(gbxAlign);
    l2->addWidget(gbxSeries);
    l2->addWidget(gbxCorp);
    l2->addWidget(gbxSpace);
    pgcDetail->addTab(page2, QStringLiteral("配置"));

    auto *btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    auto *btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    // Return takes the settings shown from wherever they were made; a
    // focused キャンセル takes it itself.
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addWidget(pgcDetail);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(ckbAuto, &QCheckBox::toggled, this, &TLayoutDetailDialog::AutoChanged);
    rbAlign[0]->setChecked(true);
    rbS_Align[0]->setChecked(true);
    rbParallel->setChecked(true);
    ckbAuto->setChecked(true);
    AutoChanged();

    const TMemIniFile ini(SettingsFileName());
    const int page = ini.ReadInteger(kSection, kDetail, 0);
    pgcDetail->setCurrentIndex(page >= 0 && page < pgcDetail->count() ? page : 0);
}

TLayoutDetailDialog::~TLayoutDetailDialog() = default;

void TLayoutDetailDialog::done(int Result)
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, kDetail, pgcDetail->currentIndex());
    // The page shown is a convenience only: a settings file that cannot be
    // written is named once a run and costs nothing here.
    ini.UpdateFileOrTellOnce();
    QDialog::done(Result);
}

void TLayoutDetailDialog::AutoChanged()
{
    const bool autoLayout = ckbAuto->isChecked();
    DetailedFrames = !autoLayout;
    const bool addressee = !autoLayout && m_dataSide != 2;
    const bool sender = !autoLayout && m_dataSide != 1;
    for (QCheckBox *b : {ckbPos, ckbAddress[0], ckbAddress[1], ckbAddress[2], ckbName, ckbCorp, ckbDptmnt, ckbPost})
        b->setEnabled(addressee);
    for (QCheckBox *b : {ckbS_Pos, ckbS_Address[0], ckbS_Address[1], ckbS_Address[2], ckbS_Name, ckbS_Corp,
                         ckbS_Dptmnt, ckbS_Post, ckbAddition[0], ckbAddition[1], ckbAddition[2], ckbAddition[3]})
        b->setEnabled(sender);
    edNameRatio->setEnabled(autoLayout);
    for (QComboBox *c : {cbxCorpRatio, cbxDptmntRatio, cbxPostRatio})
        c->setEnabled(autoLayout);
    for (QWidget *w : m_ratioLabels)
        w->setEnabled(autoLayout);
}

void TLayoutDetailDialog::JumpTrack(TExTrackBar *Bar, int X)
{
    QStyleOptionSlider option;
    option.initFrom(Bar);
    option.orientation = Bar->orientation();
    option.minimum = Bar->minimum();
    option.maximum = Bar->maximum();
    option.sliderPosition = Bar->sliderPosition();
    const QRect groove = Bar->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, Bar);
    const int half = Bar->ThumbRect().width() / 2;
    Bar->setValue(TrackStepAt(X, groove.left() + half, groove.right() - half, Bar->maximum()));
}

void TLayoutDetailDialog::SetLayoutKind(TLayoutKind Kind)
{
    m_kind = Kind;
    const bool sheet = Kind == TLayoutKind::lkLabel || Kind == TLayoutKind::lkCard;
    if (sheet) {
        for (QWidget *w : m_senderFont)
            w->setEnabled(false);
        lblS_Align->setEnabled(false);
        for (QRadioButton *r : rbS_Align)
            r->setEnabled(false);
    } else {
        tbrAddition->setEnabled(false);
        lblAddition->setEnabled(false);
    }
}

void TLayoutDetailDialog::SetDetailedFrames(bool Detailed)
{
    DetailedFrames = Detailed;
    ckbAuto->setChecked(!Detailed);
    AutoChanged();
}

void TLayoutDetailDialog::SetDataSide(int Side)
{
    m_dataSide = Side;
    AutoChanged();
}

void TLayoutDetailDialog::SetDesignMode(bool On)
{
    if (!On)
        return;
    for (QWidget *w : m_addresseeFont)
        w->setEnabled(false);
    lblAlign->setEnabled(false);
    for (QRadioButton *r : rbAlign)
        r->setEnabled(false);
}

void TLayoutDetailDialog::SetDetail(const TDataFormat &F)
{
    tbrAddress->setValue(F.AddressSize);
    tbrName->setValue(F.NameSize);
    tbrAddition->setValue(F.AdditionSize);
    tbrSendAddress->setValue(F.SendAddressSize);
    tbrSendName->setValue(F.SendNameSize);
    tbrSendAddition->setValue(F.SendAdditionSize);
    cbxCorpRatio->setCurrentIndex(clampIndex(F.CorpRatio));
    cbxDptmntRatio->setCurrentIndex(clampIndex(F.DptmntRatio));
    cbxPostRatio->setCurrentIndex(clampIndex(F.PostRatio));
    ckbCharSpace->setChecked(F.CharSpace);
    rbAlign[F.NameAlign <= 2 ? F.NameAlign : 3]->setChecked(true);
    rbS_Align[F.SendNameAlign <= 2 ? F.SendNameAlign : 3]->setChecked(true);
    (F.SendSeries == 1 ? rbSeries : rbParallel)->setChecked(true);
    ckbCorpBreak->setChecked(F.CorpBreak);
}

void TLayoutDetailDialog::GetDetail(TDataFormat &F) const
{
    F.AddressSize = tbrAddress->value();
    F.NameSize = tbrName->value();
    F.AdditionSize = tbrAddition->value();
    F.SendAddressSize = tbrSendAddress->value();
    F.SendNameSize = tbrSendName->value();
    F.SendAdditionSize = tbrSendAddition->value();
    F.CorpRatio = cbxCorpRatio->currentIndex();
    F.DptmntRatio = cbxDptmntRatio->currentIndex();
    F.PostRatio = cbxPostRatio->currentIndex();
    F.CharSpace = ckbCharSpace->isChecked();
    const auto alignOf = [](const std::array<QRadioButton *, 4> &r) -> quint8 {
        return r[0]->isChecked() ? 0 : r[1]->isChecked() ? 1 : r[2]->isChecked() ? 2 : 3;
    };
    F.NameAlign = alignOf(rbAlign);
    F.SendNameAlign = alignOf(rbS_Align);
    F.SendSeries = rbSeries->isChecked() ? 1 : 0;
    F.CorpBreak = ckbCorpBreak->isChecked();
}

void TLayoutDetailDialog::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    QWidget *first = pgcDetail->currentIndex() == 0   ? static_cast<QWidget *>(ckbAuto)
                     : pgcDetail->currentIndex() == 1 ? static_cast<QWidget *>(tbrName)
                                                      : static_cast<QWidget *>(ckbCharSpace);
    if (first->isEnabled())
        first->setFocus();
}

#define VISIBLE_PAIR(Get, Set, Box)                                                                         \
    bool TLayoutDetailDialog::Get() const { return Box->isChecked(); }                                     \
    void TLayoutDetailDialog::Set(bool V) { Box->setChecked(V); }
VISIBLE_PAIR(GetPosVisible, SetPosVisible, ckbPos)
VISIBLE_PAIR(GetNameVisible, SetNameVisible, ckbName)
VISIBLE_PAIR(GetCorpVisible, SetCorpVisible, ckbCorp)
VISIBLE_PAIR(GetDptmntVisible, SetDptmntVisible, ckbDptmnt)
VISIBLE_PAIR(GetPostVisible, SetPostVisible, ckbPost)
VISIBLE_PAIR(GetSenderPosVisible, SetSenderPosVisible, ckbS_Pos)
VISIBLE_PAIR(GetSenderNameVisible, SetSenderNameVisible, ckbS_Name)
VISIBLE_PAIR(GetSenderCorpVisible, SetSenderCorpVisible, ckbS_Corp)
VISIBLE_PAIR(GetSenderDptmntVisible, SetSenderDptmntVisible, ckbS_Dptmnt)
VISIBLE_PAIR(GetSenderPostVisible, SetSenderPostVisible, ckbS_Post)
#undef VISIBLE_PAIR

bool TLayoutDetailDialog::GetAddressVisible(int Line) const
{
    return ckbAddress[Line == 0 ? 0 : Line == 1 ? 1 : 2]->isChecked();
}
void TLayoutDetailDialog::SetAddressVisible(int Line, bool V)
{
    ckbAddress[Line == 0 ? 0 : Line == 1 ? 1 : 2]->setChecked(V);
}
bool TLayoutDetailDialog::GetSenderAddressVisible(int Line) const
{
    return ckbS_Address[Line == 0 ? 0 : Line == 1 ? 1 : 2]->isChecked();
}
void TLayoutDetailDialog::SetSenderAddressVisible(int Line, bool V)
{
    ckbS_Address[Line == 0 ? 0 : Line == 1 ? 1 : 2]->setChecked(V);
}
bool TLayoutDetailDialog::GetAdditionVisible(int Line) const
{
    return ckbAddition[Line >= 0 && Line <= 2 ? Line : 3]->isChecked();
}
void TLayoutDetailDialog::SetAdditionVisible(int Line, bool V)
{
    ckbAddition[Line >= 0 && Line <= 2 ? Line : 3]->setChecked(V);
}
