#include "dialogs/BackImg.h"

#include "dialogs/UpDown.h"
#include "items/BackImage.h"
#include "items/ImgUtils.h"
#include "items/OleDD.h"
#include "util/MsgBoxPos.h"
#include "util/WaitCursor.h"
#include "widgets/EnterKey.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr TColor kOrange = 0x5BA0FF; // RGB 255, 160, 91

QRadioButton *radio(QWidget *Parent, const char *Name, const QString &Caption, QLayout *Layout)
{
    auto *r = new QRadioButton(Caption, Parent);
    r->setObjectName(QLatin1String(Name));
    Layout->addWidget(r);
    return r;
}

} // namespace

TBackImageDialog::TBackImageDialog(QWidget *Owner) : QDialog(Owner), m_work(std::make_unique<TBackImage>())
{
    StartItemDialog(this, QStringLiteral("BackImageDialog"), QStringLiteral("背景の選択"));
    setProperty("HelpContext", 111);
    RunColorDialog = DefaultColorDialogRunner(this);
    ChooseImageFile = [this] { return ChooseImageFileName(this); };

    pnlPreview = Named(new QWidget(this), "pnlPreview");
    pnlPreview->setFixedSize(315, 315);
    pnlCard = Named(new TItemPreview(pnlPreview), "pnlCard");
    pnlCard->OnPaint = [this](QPainter &P) { pnlCardPaint(P); };

    auto *gbxType = new QGroupBox(QStringLiteral("種類"), this);
    auto *typeLayout = new QVBoxLayout(gbxType);
    rbNone = radio(gbxType, "rbNone", QStringLiteral("なし"), typeLayout);
    rbImage = radio(gbxType, "rbImage", QStringLiteral("画像を使用"), typeLayout);
    rbColor = radio(gbxType, "rbColor", QStringLiteral("色を指定"), typeLayout);

    pgcBkType = Named(new QStackedWidget(this), "pgcBkType");
    tbsEmpty = new QWidget;
    tbsImage = Named(new QWidget, "tbsImage");
    tbsColor = Named(new QWidget, "tbsColor");
    pgcBkType->addWidget(tbsEmpty);
    pgcBkType->addWidget(tbsImage);
    pgcBkType->addWidget(tbsColor);

    bbtnImage = Named(new QPushButton(QStringLiteral("画像を選択(&S)"), tbsImage), "bbtnImage");
    pgcImage = Named(new QTabWidget(tbsImage), "pgcImage");
    auto *tbsView = new QWidget;
    tbsView->setObjectName(QStringLiteral("tbsView"));
    auto *tbsDirection = new QWidget;
    tbsDirection->setObjectName(QStringLiteral("tbsDirection"));
    pgcImage->addTab(tbsView, QStringLiteral("画像の配置"));
    pgcImage->addTab(tbsDirection, QStringLiteral("画像の向き"));
    auto *viewLayout = new QVBoxLayout(tbsView);
    rbStretch = radio(tbsView, "rbStretch", QStringLiteral("用紙サイズにあわせて表示"), viewLayout);
    rbCenter = radio(tbsView, "rbCenter", QStringLiteral("中央に表示"), viewLayout);
    rbTiled = radio(tbsView, "rbTiled", QStringLiteral("並べて表示"), viewLayout);
    auto *directionLayout = new QHBoxLayout(tbsDirection);
    auto *gbxReverse = new QGroupBox(QStringLiteral("反転"), tbsDirection);
    auto *reverseLayout = new QVBoxLayout(gbxReverse);
    rbVert = radio(gbxReverse, "rbVert", QStringLiteral("上下に反転"), reverseLayout);
    rbHorz = radio(gbxReverse, "rbHorz", QStringLiteral("左右に反転"), reverseLayout);
    bbtnReverse = Named(new QPushButton(QStringLiteral("実行(&R)"), gbxReverse), "bbtnReverse");
    reverseLayout->addWidget(bbtnReverse);
    auto *gbxRotate = new QGroupBox(QStringLiteral("回転"), tbsDirection);
    auto *rotateLayout = new QVBoxLayout(gbxRotate);
    rbL90 = radio(gbxRotate, "rbL90", QStringLiteral("左90°"), rotateLayout);
    rbR90 = radio(gbxRotate, "rbR90", QStringLiteral("右90°"), rotateLayout);
    rb180 = radio(gbxRotate, "rb180", QStringLiteral("180°"), rotateLayout);
    bbtnRotate = Named(new QPushButton(QStringLiteral("実行(&T)"), gbxRotate), "bbtnRotate");
    rotateLayout->addWidget(bbtnRotate);
    directionLayout->addWidget(gbxReverse);
    directionLayout->addWidget(gbxRotate);
    auto *imagePage = new QVBoxLayout(tbsImage);
    imagePage->addWidget(bbtnImage);
    imagePage->addWidget(pgcImage);

    auto *colorPage = new QGridLayout(tbsColor);
    auto *kinds = new QHBoxLayout;
    rbFilled = radio(tbsColor, "rbFilled", QStringLiteral("単色"), kinds);
    rbGradation = radio(tbsColor, "rbGradation", QStringLiteral("グラデーション"), kinds);
    colorPage->addLayout(kinds, 0, 0, 1, 3);
    auto swatchRow = [this, colorPage](int Row, QLabel *&Label, const char *LabelName, const QString &Caption,
                                       TColorSwatch *&Swatch, const char *SwatchName, QPushButton *&Button,
                                       const char *ButtonName) {
        Label = new QLabel(Caption, tbsColor);
        Label->setObjectName(QLatin1String(LabelName));
        Swatch = new TColorSwatch(tbsColor);
        Swatch->setObjectName(QLatin1String(SwatchName));
        Button = new QPushButton(QStringLiteral("..."), tbsColor);
        Button->setObjectName(QLatin1String(ButtonName));
        colorPage->addWidget(Label, Row, 0);
        colorPage->addWidget(Swatch, Row, 1);
        colorPage->addWidget(Button, Row, 2);
    };
    swatchRow(1, lblItem1, "lblItem1", QStringLiteral("色１"), pnlColor1, "pnlColor1", bbtnColorDlg1, "bbtnColorDlg1");
    swatchRow(2, lblItem2, "lblItem2", QStringLiteral("色２"), pnlColor2, "pnlColor2", bbtnColorDlg2, "bbtnColorDlg2");
    lblItem3 = Named(new QLabel(QStringLiteral("角度"), tbsColor), "lblItem3");
    NewAngleEdit(tbsColor, edAngle, udAngle);
    colorPage->addWidget(lblItem3, 3, 0);
    colorPage->addWidget(edAngle, 3, 1);
    colorPage->addWidget(udAngle, 3, 2);
    colorPage->setRowStretch(4, 1);

    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnOK->setDefault(true);
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    for (QPushButton *b : {bbtnImage, bbtnReverse, bbtnRotate, bbtnColorDlg1, bbtnColorDlg2, btnCancel})
        b->setAutoDefault(false);

    auto *right = new QVBoxLayout;
    right->addWidget(gbxType);
    right->addWidget(pgcBkType, 1);
    auto *top = new QHBoxLayout;
    top->addWidget(pnlPreview);
    top->addLayout(right);
    LayOutAboveButtons(this, top, btnOK, btnCancel);

    m_angleLink = new TNumberEditLink(edAngle, udAngle);
    m_angleLink->OnChange = [this](int V) {
        m_work->SetGradientAngle(V);
        Repaint();
    };
    connect(edAngle, &QLineEdit::textEdited, this, [this] { m_angleEdited = true; });
    edAngle->installEventFilter(this);

    const std::array types{rbNone, rbImage, rbColor};
    for (int i = 0; i < 3; ++i)
        connect(types[size_t(i)], &QRadioButton::clicked, this, [this, i] { BackImageTypeClick(i); });
    const std::array views{rbStretch, rbCenter, rbTiled};
    for (int i = 0; i < 3; ++i)
        connect(views[size_t(i)], &QRadioButton::clicked, this, [this, i] { ImageViewClick(i); });
    for (QRadioButton *r : {rbVert, rbHorz})
        connect(r, &QRadioButton::clicked, this, [this] {
            SetBlueCaption(rbVert, rbVert->isChecked());
            SetBlueCaption(rbHorz, rbHorz->isChecked());
        });
    for (QRadioButton *r : {rbL90, rbR90, rb180})
        connect(r, &QRadioButton::clicked, this, [this] {
            for (QRadioButton *b : {rbL90, rbR90, rb180})
                SetBlueCaption(b, b->isChecked());
        });
    connect(rbFilled, &QRadioButton::clicked, this, [this] { ColorKindClick(0); });
    connect(rbGradation, &QRadioButton::clicked, this, [this] { ColorKindClick(1); });
    connect(bbtnReverse, &QPushButton::clicked, this, &TBackImageDialog::bbtnReverseClick);
    connect(bbtnRotate, &QPushButton::clicked, this, &TBackImageDialog::bbtnRotateClick);
    connect(bbtnColorDlg1, &QPushButton::clicked, this, [this] { bbtnColorDlgClick(0); });
    connect(bbtnColorDlg2, &QPushButton::clicked, this, [this] { bbtnColorDlgClick(1); });
    connect(bbtnImage, &QPushButton::clicked, this, [this] {
        const QString file = ChooseImageFile ? ChooseImageFile() : QString();
        if (!file.isEmpty())
            (void)LoadPicture(file);
    });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    for (QRadioButton *r : {rbNone, rbStretch, rbVert, rbL90, rbFilled})
        r->setChecked(true);
    BackImageTypeClick(0);
    ColorKindClick(0);
    SetBlueCaption(rbVert, true);
    SetBlueCaption(rbL90, true);
    m_angleLink->Show(0);

    m_drop = new TFileDD(this);
    m_drop->OnDropFiles = [this](const QStringList &Files, int, Qt::DropAction &, QPoint) {
        if (!Files.isEmpty())
            (void)LoadPicture(Files.first());
    };
    m_drop->RegisterWindow(pnlCard);
    // Return on キャンセル or a picture button presses it, never OK behind it.
    PressFocusedButtonOnEnter(this);
}

TBackImageDialog::~TBackImageDialog() = default;

void TBackImageDialog::SetBackImage(const TBackImage &Background, qint32 PaperWidth, qint32 PaperHeight)
{
    m_work->Assign(Background);
    m_work->SetPaperSize(PaperWidth, PaperHeight);
    const int W = qRound(PaperWidth / 254.0 * 96), H = qRound(PaperHeight / 254.0 * 96);
    const double zoom = pnlPreview->height() * 0.9 / std::max(1, std::max(W, H));
    m_work->SetZoom(zoom);
    m_work->SetPageRect(QRect(0, 0, W, H));
    const int w = int(std::nearbyint(W * zoom)), h = int(std::nearbyint(H * zoom));
    pnlCard->setGeometry((pnlPreview->width() - w) / 2, (pnlPreview->height() - h) / 2, w, h);

    const quint8 kind = m_work->GetKind();
    if (kind <= TBackImage::Tiled) {
        m_work->SetColor1(kOrange);
        m_work->SetColor2(clWhite);
        if (kind != TBackImage::None) {
            (kind == TBackImage::Fitted ? rbStretch : kind == TBackImage::Centred ? rbCenter : rbTiled)
                ->setChecked(true);
            rbImage->setChecked(true);
            BackImageTypeClick(1);
        } else {
            rbNone->setChecked(true);
            BackImageTypeClick(0);
        }
    } else if (kind == TBackImage::Colour) {
        rbColor->setChecked(true);
        rbFilled->setChecked(true);
        m_work->SetColor2(clWhite);
        BackImageTypeClick(2);
        ColorKindClick(0);
    } else {
        rbColor->setChecked(true);
        rbGradation->setChecked(true);
        BackImageTypeClick(2);
        ColorKindClick(1);
        m_angleLink->Show(m_work->GetGradientAngle());
    }
    pnlColor1->SetColor(m_work->GetColor1());
    pnlColor2->SetColor(m_work->GetColor2());
    Repaint();
}

void TBackImageDialog::done(int Result)
{
    // A picture kind without a picture ends as no background.
    const quint8 kind = m_work->GetKind();
    if (kind >= TBackImage::Fitted && kind <= TBackImage::Tiled && m_work->Picture().isNull())
        m_work->SetKind(TBackImage::None);
    if (m_drop)
        m_drop->Revoke();
    QDialog::done(Result);
}

void TBackImageDialog::Repaint()
{
    pnlCard->update();
}

void TBackImageDialog::pnlCardPaint(QPainter &Canvas)
{
    m_work->Draw(Canvas, 0, 0);
    Canvas.setPen(QPen(QColor(128, 128, 128), 1));
    Canvas.setBrush(Qt::NoBrush);
    Canvas.drawRect(pnlCard->rect().adjusted(0, 0, -1, -1));
}

void TBackImageDialog::BackImageTypeClick(int Tag)
{
    pgcBkType->setCurrentIndex(Tag);
    const std::array types{rbNone, rbImage, rbColor};
    for (int i = 0; i < 3; ++i)
        SetBlueCaption(types[size_t(i)], i == Tag);
    if (Tag == 0)
        m_work->SetKind(TBackImage::None);
    else if (Tag == 1)
        m_work->SetKind(rbStretch->isChecked() ? TBackImage::Fitted
                        : rbCenter->isChecked() ? TBackImage::Centred
                                                : TBackImage::Tiled);
    else
        m_work->SetKind(rbFilled->isChecked() ? TBackImage::Colour : TBackImage::Gradient);
    Repaint();
}

void TBackImageDialog::ImageViewClick(int Tag)
{
    const std::array views{rbStretch, rbCenter, rbTiled};
    for (int i = 0; i < 3; ++i)
        SetBlueCaption(views[size_t(i)], i == Tag);
    m_work->SetKind(quint8(TBackImage::Fitted + Tag));
    Repaint();
}

void TBackImageDialog::ColorKindClick(int Tag)
{
    SetBlueCaption(rbFilled, Tag == 0);
    SetBlueCaption(rbGradation, Tag == 1);
    if (rbColor->isChecked())
        m_work->SetKind(Tag == 1 ? TBackImage::Gradient : TBackImage::Colour);
    const bool gradient = Tag == 1;
    for (QWidget *w : std::initializer_list<QWidget *>{pnlColor2, bbtnColorDlg2, edAngle, udAngle, lblItem2, lblItem3})
        w->setVisible(gradient);
    Repaint();
}

void TBackImageDialog::bbtnReverseClick()
{
    if (m_work->Picture().isNull())
        return;
    m_work->Mirror(rbVert->isChecked());
    Repaint();
}

void TBackImageDialog::bbtnRotateClick()
{
    if (m_work->Picture().isNull())
        return;
    m_work->Rotate(rbL90->isChecked() ? 0 : rbR90->isChecked() ? 1 : 2);
    Repaint();
}

void TBackImageDialog::bbtnColorDlgClick(int Tag)
{
    if (const std::optional<TColor> c = ChooseSwatchColor(RunColorDialog, Tag == 0 ? pnlColor1 : pnlColor2)) {
        if (Tag == 0)
            m_work->SetColor1(*c);
        else
            m_work->SetColor2(*c);
    }
    Repaint();
}

bool TBackImageDialog::LoadPicture(const QString &FileName)
{
    std::optional<TLoadedImage> loaded;
    QString reason;
    {
        TWaitCursor hourglass;
        try {
            loaded = LoadImageFile(FileName);
        } catch (const EImageFileError &error) {
            reason = error.Message();
        }
    }
    // A file gone or unreadable is named, and the background chosen before
    // stays: switching to the picture page first would end it as none.
    if (!loaded) {
        ShowMessageBoxAt(this,
                         QStringLiteral("画像ファイルを読み込めませんでした  \r\n") + FileName +
                             (reason.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + reason),
                         ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return false;
    }
    if (!rbImage->isChecked()) {
        rbImage->setChecked(true);
        BackImageTypeClick(1);
        rbImage->setFocus();
    }
    m_work->SetPicture(loaded->Image, loaded->JpegBytes);
    m_work->SetResolution(loaded->Dpi);
    Repaint();
    return true;
}

bool TBackImageDialog::eventFilter(QObject *Watched, QEvent *Event)
{
    // Return in an edited angle applies it and keeps the dialog open; the
    // next Return is OK's.
    if (Watched == edAngle && IsEnterKeyPress(Event) && m_angleEdited) {
        m_angleEdited = false;
        m_angleLink->Exit();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}
