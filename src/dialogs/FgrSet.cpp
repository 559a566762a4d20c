#include "dialogs/FgrSet.h"

#include "dialogs/UpDown.h"
#include "items/FigureRect.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr TColor kLightRed = 0xBFBFFF; // RGB 255, 191, 191

// The rows of the line-type list: a sample line in each dash style.
class TLineTypeDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *P, const QStyleOptionViewItem &Option, const QModelIndex &Index) const override
    {
        const QRect r = Option.rect;
        const bool selected = Option.state & QStyle::State_Selected;
        P->fillRect(r, selected ? QColor(191, 223, 255) : Option.palette.base().color());
        if (selected) {
            P->setPen(QPen(Qt::black, 1, Qt::DotLine));
            P->drawRect(r.adjusted(0, 0, -1, -1));
        }
        QPen pen(Qt::black, 2);
        const QList<qreal> dashes = TFigureRect::DashPattern(quint8(Index.row()));
        if (!dashes.isEmpty())
            pen.setDashPattern(dashes);
        P->setPen(pen);
        const int y = r.center().y();
        P->drawLine(r.left() + 4, y, r.right() - 4, y);
    }
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override { return {76, 16}; }
};

} // namespace

TFigureSettingDialog::TFigureSettingDialog(QWidget *Owner) : QDialog(Owner), m_work(std::make_unique<TFigureRect>())
{
    StartItemDialog(this, QStringLiteral("FigureSettingDialog"), QStringLiteral("図形の設定"));
    setProperty("HelpContext", 118);
    RunColorDialog = DefaultColorDialogRunner(this);

    pgcSetting = Named(new QTabWidget(this), "pgcSetting");
    tbsFont = AddTabPage(pgcSetting, "tbsFont", QStringLiteral("図形"));
    tbsFrame = AddTabPage(pgcSetting, "tbsFrame", QStringLiteral("色・設定"));

    // Page "図形": the kind and the panel of the kind's options.
    cbxFigureKind = Named(new QComboBox(tbsFont), "cbxFigureKind");
    cbxFigureKind->addItems({QStringLiteral("直線"), QStringLiteral("四角"), QStringLiteral("四角（角丸）"),
                             QStringLiteral("円"), QStringLiteral("扇形"), QStringLiteral("ひし形")});
    pnlLine = Named(new QGroupBox(QStringLiteral("線の方向"), tbsFont), "pnlLine");
    auto *lineLayout = new QVBoxLayout(pnlLine);
    const std::array<std::pair<const char *, QString>, 4> directions{
        std::pair{"ckbHorizontal", QStringLiteral("水平線")}, std::pair{"ckbVertical", QStringLiteral("垂直線")},
        std::pair{"ckbDiagonal_L", QStringLiteral("対角線： 左上から右下")},
        std::pair{"ckbDiagonal_R", QStringLiteral("対角線： 右上から左下")}};
    for (size_t i = 0; i < 4; ++i) {
        auto *b = new QCheckBox(directions[i].second, pnlLine);
        b->setObjectName(QLatin1String(directions[i].first));
        b->setProperty("tag", int(i));
        ckbDirection[i] = b;
        lineLayout->addWidget(b);
        connect(b, &QCheckBox::clicked, this, [this, b] { ckbLineClick(b); });
    }
    pnlRoundRect = Named(new QGroupBox(QStringLiteral("角の半径"), tbsFont), "pnlRoundRect");
    auto *roundLayout = new QGridLayout(pnlRoundRect);
    cbxDiameterV = Named(new QComboBox(pnlRoundRect), "cbxDiameterV");
    cbxDiameterV->setProperty("tag", 1);
    cbxDiameterH = Named(new QComboBox(pnlRoundRect), "cbxDiameterH");
    cbxDiameterH->setProperty("tag", 0);
    for (QComboBox *c : {cbxDiameterV, cbxDiameterH}) {
        c->addItems({QStringLiteral("小さい"), QStringLiteral("普通"), QStringLiteral("大きい")});
        connect(c, &QComboBox::activated, this, [this, c] { cbxDiameterClick(c); });
    }
    roundLayout->addWidget(NewLabel(pnlRoundRect, "Label1", QStringLiteral("縦方向：")), 0, 0);
    roundLayout->addWidget(cbxDiameterV, 0, 1);
    roundLayout->addWidget(NewLabel(pnlRoundRect, "Label2", QStringLiteral("横方向：")), 1, 0);
    roundLayout->addWidget(cbxDiameterH, 1, 1);
    pnlSector = Named(new QGroupBox(QStringLiteral("頂点の方向"), tbsFont), "pnlSector");
    auto *sectorLayout = new QGridLayout(pnlSector);
    const std::array<std::pair<const char *, QString>, 4> sectors{
        std::pair{"rbBottomRight", QStringLiteral("右下")}, std::pair{"rbBottomLeft", QStringLiteral("左下")},
        std::pair{"rbTopRight", QStringLiteral("右上")}, std::pair{"rbTopLeft", QStringLiteral("左上")}};
    for (int i = 0; i < 4; ++i) {
        auto *r = new QRadioButton(sectors[size_t(i)].second, pnlSector);
        r->setObjectName(QLatin1String(sectors[size_t(i)].first));
        rbSector[size_t(i)] = r;
        sectorLayout->addWidget(r, i < 2 ? 1 : 0, i % 2 == 0 ? 1 : 0);
        connect(r, &QRadioButton::clicked, this, [this, i] { rbSectorDirClick(i); });
    }
    auto *kindPage = new QVBoxLayout(tbsFont);
    auto *kindRow = new QHBoxLayout;
    kindRow->addWidget(NewLabel(tbsFont, "lblItem8", QStringLiteral("種類：")));
    kindRow->addWidget(cbxFigureKind, 1);
    kindPage->addLayout(kindRow);
    kindPage->addWidget(pnlLine);
    kindPage->addWidget(pnlRoundRect);
    kindPage->addWidget(pnlSector);
    kindPage->addStretch();

    // Page "色・設定": outline and fill.
    auto *gbxFrame = new QGroupBox(tbsFrame);
    gbxFrame->setObjectName(QStringLiteral("gbxFrame"));
    ckbFrame = Named(new QCheckBox(QStringLiteral("枠線"), gbxFrame), "ckbFrame");
    ckbFrame->setChecked(true);
    dgLineType = Named(new QListWidget(gbxFrame), "dgLineType");
    dgLineType->setItemDelegate(new TLineTypeDelegate(dgLineType));
    for (int i = 0; i < 5; ++i)
        dgLineType->addItem(QString());
    dgLineType->setFixedSize(80, 5 * 16 + 4);
    dgLineType->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edLineWidth = Named(new QLineEdit(gbxFrame), "edLineWidth");
    edLineWidth->setMaxLength(4);
    udLineWidth = Named(new TUpDown(gbxFrame), "udLineWidth");
    udLineWidth->SetMin(1);
    udLineWidth->SetMax(50);
    udLineWidth->SetPosition(1);
    pnlFrameColor = Named(new TColorSwatch(gbxFrame), "pnlFrameColor");
    bbtnFrameColor = Named(new QPushButton(QStringLiteral("..."), gbxFrame), "bbtnFrameColor");
    lblItem7 = NewLabel(gbxFrame, "lblItem7", QStringLiteral("種類："));
    lblItem9 = NewLabel(gbxFrame, "lblItem9", QStringLiteral("太さ："));
    lblItem10 = NewLabel(gbxFrame, "lblItem10", QStringLiteral("色："));
    auto *frameLayout = new QGridLayout(gbxFrame);
    frameLayout->addWidget(ckbFrame, 0, 0, 1, 3);
    frameLayout->addWidget(lblItem7, 1, 0);
    frameLayout->addWidget(dgLineType, 1, 1, 1, 2);
    frameLayout->addWidget(lblItem9, 2, 0);
    frameLayout->addWidget(edLineWidth, 2, 1);
    frameLayout->addWidget(udLineWidth, 2, 2);
    frameLayout->addWidget(NewLabel(gbxFrame, "lblItem18", QStringLiteral("(ピクセル)")), 2, 3);
    frameLayout->addWidget(lblItem10, 3, 0);
    frameLayout->addWidget(pnlFrameColor, 3, 1);
    frameLayout->addWidget(bbtnFrameColor, 3, 2);

    auto *gbxBack = new QGroupBox(tbsFrame);
    gbxBack->setObjectName(QStringLiteral("gbxBack"));
    ckbBack = Named(new QCheckBox(QStringLiteral("背景"), gbxBack), "ckbBack");
    ckbBack->setChecked(true);
    rbFilled = Named(new QRadioButton(QStringLiteral("単色"), gbxBack), "rbFilled");
    rbGradation = Named(new QRadioButton(QStringLiteral("グラデーション"), gbxBack), "rbGradation");
    pnlColor1 = Named(new TColorSwatch(gbxBack), "pnlColor1");
    pnlColor2 = Named(new TColorSwatch(gbxBack), "pnlColor2");
    bbtnColorDlg1 = Named(new QPushButton(QStringLiteral("..."), gbxBack), "bbtnColorDlg1");
    bbtnColorDlg2 = Named(new QPushButton(QStringLiteral("..."), gbxBack), "bbtnColorDlg2");
    lblItem1 = NewLabel(gbxBack, "lblItem1", QStringLiteral("色１："));
    lblItem2 = NewLabel(gbxBack, "lblItem2", QStringLiteral("色２："));
    lblItem3 = NewLabel(gbxBack, "lblItem3", QStringLiteral("角度："));
    NewAngleEdit(gbxBack, edAngle, udAngle);
    auto *backLayout = new QGridLayout(gbxBack);
    backLayout->addWidget(ckbBack, 0, 0, 1, 3);
    backLayout->addWidget(rbFilled, 1, 0);
    backLayout->addWidget(rbGradation, 1, 1, 1, 2);
    backLayout->addWidget(lblItem1, 2, 0);
    backLayout->addWidget(pnlColor1, 2, 1);
    backLayout->addWidget(bbtnColorDlg1, 2, 2);
    backLayout->addWidget(lblItem2, 3, 0);
    backLayout->addWidget(pnlColor2, 3, 1);
    backLayout->addWidget(bbtnColorDlg2, 3, 2);
    backLayout->addWidget(lblItem3, 4, 0);
    backLayout->addWidget(edAngle, 4, 1);
    backLayout->addWidget(udAngle, 4, 2);
    auto *framePage = new QHBoxLayout(tbsFrame);
    framePage->addWidget(gbxFrame);
    framePage->addWidget(gbxBack);

    pnlPreview = Named(new TItemPreview(this), "pnlPreview");
    pnlPreview->setFixedSize(239, 239);
    pnlPreview->OnPaint = [this](QPainter &P) { pnlPreviewPaint(P); };
    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    // Return takes the figure shown from wherever it was set (OK applies a
    // width or angle being typed); a focused button takes it itself.
    btnOK->setDefault(true);
    auto *top = new QHBoxLayout;
    top->addWidget(pgcSetting, 1);
    top->addWidget(pnlPreview);
    LayOutAboveButtons(this, top, btnOK, btnCancel);

    m_widthLink = new TNumberEditLink(edLineWidth, udLineWidth);
    m_widthLink->OnChange = [this](int V) {
        m_work->SetLineWidth(V);
        Repaint();
    };
    m_angleLink = new TNumberEditLink(edAngle, udAngle);
    m_angleLink->OnChange = [this](int V) {
        m_work->SetGradientAngle(V);
        Repaint();
    };
    connect(cbxFigureKind, &QComboBox::activated, this, &TFigureSettingDialog::cbxFigureKindClick);
    connect(ckbFrame, &QCheckBox::clicked, this, &TFigureSettingDialog::ckbFrameClick);
    connect(ckbBack, &QCheckBox::clicked, this, &TFigureSettingDialog::ckbBackClick);
    connect(dgLineType, &QListWidget::currentRowChanged, this, &TFigureSettingDialog::dgLineTypeClick);
    connect(bbtnFrameColor, &QPushButton::clicked, this, &TFigureSettingDialog::bbtnFrameColorClick);
    connect(rbFilled, &QRadioButton::clicked, this, &TFigureSettingDialog::rbColorKindClick);
    connect(rbGradation, &QRadioButton::clicked, this, &TFigureSettingDialog::rbColorKindClick);
    connect(bbtnColorDlg1, &QPushButton::clicked, this, [this] { bbtnColorDlgClick(0); });
    connect(bbtnColorDlg2, &QPushButton::clicked, this, [this] { bbtnColorDlgClick(1); });
    connect(btnOK, &QPushButton::clicked, this, [this] {
        m_widthLink->Exit();
        m_angleLink->Exit();
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    const int page = ReadDesignSetting(QStringLiteral("FigureSet"), 0);
    pgcSetting->setCurrentIndex(page < 0 || page >= pgcSetting->count() ? 0 : page);
}

TFigureSettingDialog::~TFigureSettingDialog()
{
    WriteDesignSetting(QStringLiteral("FigureSet"), pgcSetting->currentIndex());
}

void TFigureSettingDialog::SetItem(const TFigureRect &Item)
{
    m_updating = true;
    m_work->Assign(Item);
    const TPageRect r = Item.GetRect();
    const int w = std::max(1, r.Right - r.Left), h = std::max(1, r.Bottom - r.Top);
    const double zoom = std::min(pnlPreview->width() * 0.9 / w, pnlPreview->height() * 0.9 / h);
    m_work->SetZoom(zoom);
    const int dx = (qRound(pnlPreview->width() / zoom) - w) / 2;
    const int dy = (qRound(pnlPreview->height() / zoom) - h) / 2;
    m_work->SetRect({dx, dy, dx + w, dy + h});

    cbxFigureKind->setCurrentIndex(std::clamp(int(m_work->GetFigureKind()), 0, 5));
    const quint8 directions = m_work->GetLineDirections();
    for (size_t i = 0; i < 4; ++i) {
        ckbDirection[i]->setChecked(directions & (1u << i));
        SetBlueCaption(ckbDirection[i], ckbDirection[i]->isChecked());
    }
    cbxDiameterH->setCurrentIndex(std::clamp(int(m_work->GetCornerRadius(0)), 0, 2));
    cbxDiameterV->setCurrentIndex(std::clamp(int(m_work->GetCornerRadius(1)), 0, 2));
    const int sector = std::clamp(int(m_work->GetSectorDirection()), 0, 3);
    rbSector[size_t(sector)]->setChecked(true);
    for (int i = 0; i < 4; ++i)
        SetBlueCaption(rbSector[size_t(i)], i == sector);
    ckbFrame->setChecked(m_work->HasFrame());
    dgLineType->setCurrentRow(std::clamp(int(m_work->GetLineStyle()), 0, 4));
    m_widthLink->Show(m_work->GetLineWidth());
    pnlFrameColor->SetColor(m_work->GetFrameColor());
    ckbBack->setChecked(m_work->HasBack());
    if (!m_work->HasBack() && m_work->GetColor1() == clBlack)
        m_work->SetColor1(kLightRed);
    if (!m_work->HasGradation()) {
        rbFilled->setChecked(true);
        if (m_work->GetColor2() == clBlack)
            m_work->SetColor2(clWhite);
    } else {
        rbGradation->setChecked(true);
    }
    m_angleLink->Show(m_work->GetGradientAngle());
    pnlColor1->SetColor(m_work->GetColor1());
    pnlColor2->SetColor(m_work->GetColor2());
    m_updating = false;
    cbxFigureKindClick();
    ckbFrameClick();
    ckbBackClick();
}

void TFigureSettingDialog::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    if (pgcSetting->currentIndex() == 0)
        cbxFigureKind->setFocus();
    else if (ckbFrame->isEnabled())
        ckbFrame->setFocus();
    else
        dgLineType->setFocus();
}

void TFigureSettingDialog::Repaint()
{
    pnlPreview->update();
}

void TFigureSettingDialog::pnlPreviewPaint(QPainter &Canvas)
{
    m_work->Draw(Canvas, 0, 0);
    const bool shownRect =
        m_work->GetFigureKind() == TFigureRect::Rectangle && (m_work->HasFrame() || m_work->HasBack());
    if (!shownRect) {
        const TScreenRect d = m_work->GetDispRect();
        Canvas.setPen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
        Canvas.setBrush(Qt::NoBrush);
        Canvas.drawRect(QRect(d.Left, d.Top, d.Right - d.Left - 1, d.Bottom - d.Top - 1));
    }
}

void TFigureSettingDialog::cbxFigureKindClick()
{
    const int kind = cbxFigureKind->currentIndex();
    if (!m_updating)
        m_work->SetFigureKind(quint8(kind));
    pnlLine->setVisible(kind == TFigureRect::Line);
    pnlRoundRect->setVisible(kind == TFigureRect::RoundRect);
    pnlSector->setVisible(kind == TFigureRect::Sector);
    if (kind == TFigureRect::Line) {
        // A line always has its outline.
        ckbFrame->setChecked(true);
        ckbFrameClick();
        ckbFrame->setEnabled(false);
    } else {
        ckbFrame->setEnabled(true);
    }
    Repaint();
}

void TFigureSettingDialog::ckbLineClick(QCheckBox *Box)
{
    SetBlueCaption(Box, Box->isChecked());
    const quint8 bit = quint8(1u << Box->property("tag").toInt());
    quint8 set = m_work->GetLineDirections();
    set = Box->isChecked() ? quint8(set | bit) : quint8(set & ~bit);
    m_work->SetLineDirections(set);
    Repaint();
}

void TFigureSettingDialog::cbxDiameterClick(QComboBox *List)
{
    m_work->SetCornerRadius(List->property("tag").toInt(), quint8(List->currentIndex()));
    Repaint();
}

void TFigureSettingDialog::rbSectorDirClick(int Tag)
{
    if (Tag == m_work->GetSectorDirection())
        return;
    for (int i = 0; i < 4; ++i)
        SetBlueCaption(rbSector[size_t(i)], i == Tag);
    m_work->SetSectorDirection(quint8(Tag));
    Repaint();
}

void TFigureSettingDialog::ckbFrameClick()
{
    const bool on = ckbFrame->isChecked();
    SetBlueCaption(ckbFrame, on);
    if (!m_updating)
        m_work->SetFrame(on);
    for (QWidget *w : std::initializer_list<QWidget *>{dgLineType, udLineWidth, edLineWidth, bbtnFrameColor, lblItem7,
                                                       lblItem9, lblItem10})
        w->setEnabled(on);
    Repaint();
}

void TFigureSettingDialog::ckbBackClick()
{
    const bool on = ckbBack->isChecked();
    SetBlueCaption(ckbBack, on);
    if (!m_updating)
        m_work->SetBack(on);
    const bool gradient = on && rbGradation->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{rbFilled, rbGradation, bbtnColorDlg1, lblItem1})
        w->setEnabled(on);
    for (QWidget *w : std::initializer_list<QWidget *>{bbtnColorDlg2, udAngle, edAngle, lblItem2, lblItem3})
        w->setEnabled(gradient);
    Repaint();
}

void TFigureSettingDialog::rbColorKindClick()
{
    SetBlueCaption(rbFilled, rbFilled->isChecked());
    SetBlueCaption(rbGradation, rbGradation->isChecked());
    const bool gradient = rbGradation->isChecked();
    m_work->SetGradation(gradient);
    for (QWidget *w : std::initializer_list<QWidget *>{bbtnColorDlg2, udAngle, edAngle, lblItem2, lblItem3})
        w->setEnabled(gradient);
    Repaint();
}

void TFigureSettingDialog::dgLineTypeClick()
{
    if (m_updating || dgLineType->currentRow() < 0)
        return;
    m_work->SetLineStyle(quint8(dgLineType->currentRow()));
    Repaint();
}

void TFigureSettingDialog::bbtnFrameColorClick()
{
    if (const std::optional<TColor> c = ChooseSwatchColor(RunColorDialog, pnlFrameColor))
        m_work->SetFrameColor(*c);
    Repaint();
}

void TFigureSettingDialog::bbtnColorDlgClick(int Tag)
{
    if (const std::optional<TColor> c = ChooseSwatchColor(RunColorDialog, Tag == 0 ? pnlColor1 : pnlColor2, false)) {
        if (Tag == 0)
            m_work->SetColor1(*c);
        else
            m_work->SetColor2(*c);
    }
    Repaint();
}
