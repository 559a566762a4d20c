#include "dialogs/IlstSet.h"

#include "items/IllustRect.h"
#include "items/MaskShapes.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "widgets/EnterKey.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kLightRed = 0xBFBFFF; // RGB 255, 191, 191
constexpr int kThumb = 62;

QIcon maskIcon(const QPainterPath &Shape)
{
    QPixmap pixmap(kThumb, kThumb);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kThumb - 4, kThumb - 4);
    p.translate(2.0 / (kThumb - 4), 2.0 / (kThumb - 4));
    p.fillPath(Shape, Qt::black);
    return QIcon(pixmap);
}

} // namespace

TIllustSettingDialog::TIllustSettingDialog(QWidget *Owner) : QDialog(Owner), m_work(std::make_unique<TIllustRect>())
{
    StartItemDialog(this, QStringLiteral("IllustSettingDialog"), QStringLiteral("イラストの表示設定"));
    setProperty("HelpContext", 113);
    RunColorDialog = DefaultColorDialogRunner(this);

    pgcSetting = Named(new QTabWidget(this), "pgcSetting");
    TabSheet1 = AddTabPage(pgcSetting, "TabSheet1", QStringLiteral("画像の向き"));
    tbsMask = AddTabPage(pgcSetting, "tbsMask", QStringLiteral("型抜き・透明化"));
    tbsFrameRect = AddTabPage(pgcSetting, "tbsFrameRect", QStringLiteral("飾り枠"));

    auto ratioRow = [this](QWidget *Page, int Group) {
        auto *row = new QHBoxLayout;
        const std::array captions{QStringLiteral("全体"), QStringLiteral("ｘ１"), QStringLiteral("ｘ２")};
        const std::array names{"sbtnJust", "sbtnFullScale", "sbtnDouble"};
        for (int t = 0; t < 3; ++t) {
            auto *b = new QToolButton(Page);
            b->setObjectName(QLatin1String(names[size_t(t)]) + QString::number(Group + 1));
            b->setText(captions[size_t(t)]);
            b->setCheckable(true);
            m_ratio[size_t(Group)][size_t(t)] = b;
            row->addWidget(b);
            connect(b, &QToolButton::clicked, this, [this, t] { sbtnRatioClick(t); });
        }
        row->addStretch();
        return row;
    };

    // Page "画像の向き".
    auto *gbxReverse = new QGroupBox(QStringLiteral("反転"), TabSheet1);
    rbHorz = Named(new QRadioButton(QStringLiteral("左右に反転"), gbxReverse), "rbHorz");
    rbVert = Named(new QRadioButton(QStringLiteral("上下に反転"), gbxReverse), "rbVert");
    bbtnReverse = Named(new QPushButton(QStringLiteral("実行(&R)"), gbxReverse), "bbtnReverse");
    auto *reverse = new QVBoxLayout(gbxReverse);
    reverse->addWidget(rbVert);
    reverse->addWidget(rbHorz);
    reverse->addWidget(bbtnReverse);
    auto *gbxRotate = new QGroupBox(QStringLiteral("回転"), TabSheet1);
    rbL90 = Named(new QRadioButton(QStringLiteral("左90°"), gbxRotate), "rbL90");
    rbR90 = Named(new QRadioButton(QStringLiteral("右90°"), gbxRotate), "rbR90");
    rb180 = Named(new QRadioButton(QStringLiteral("180°"), gbxRotate), "rb180");
    bbtnRotate = Named(new QPushButton(QStringLiteral("実行(&T)"), gbxRotate), "bbtnRotate");
    auto *rotate = new QVBoxLayout(gbxRotate);
    for (QWidget *w : std::initializer_list<QWidget *>{rbL90, rbR90, rb180, bbtnRotate})
        rotate->addWidget(w);
    auto *page1 = new QVBoxLayout(TabSheet1);
    auto *groups = new QHBoxLayout;
    groups->addWidget(gbxReverse);
    groups->addWidget(gbxRotate);
    page1->addLayout(groups);
    page1->addStretch();
    page1->addLayout(ratioRow(TabSheet1, 0));

    // Page "型抜き・透明化".
    auto *gbxMask = new QGroupBox(QStringLiteral("表示"), tbsMask);
    gbxMask->setObjectName(QStringLiteral("gbxMask"));
    rbNone = Named(new QRadioButton(QStringLiteral("そのまま"), gbxMask), "rbNone");
    rbMask = Named(new QRadioButton(QStringLiteral("型抜き"), gbxMask), "rbMask");
    rbTransparent = Named(new QRadioButton(QStringLiteral("透明色の指定"), gbxMask), "rbTransparent");
    auto *modes = new QHBoxLayout(gbxMask);
    for (QRadioButton *r : {rbNone, rbMask, rbTransparent})
        modes->addWidget(r);
    sbxMask = Named(new QScrollArea(tbsMask), "sbxMask");
    sbxMask->setFixedSize(285, 169);
    auto *thumbs = new QWidget;
    auto *thumbGrid = new QGridLayout(thumbs);
    thumbGrid->setSpacing(ScaleForDpi(8, true));
    sbxMask->setWidget(thumbs);
    sbxMask->setWidgetResizable(true);
    lblItem1 = Named(new QLabel(QStringLiteral("透明色："), tbsMask), "lblItem1");
    pnlTransparentColor = Named(new TColorSwatch(tbsMask), "pnlTransparentColor");
    lblInfo = Named(new QLabel(QStringLiteral("(画像をクリックしてください)"), tbsMask), "lblInfo");
    lblMaskInfo = Named(new QLabel(QStringLiteral("※切り抜き位置はドラッグで調整できます"), tbsMask), "lblMaskInfo");
    auto *page2 = new QVBoxLayout(tbsMask);
    page2->addWidget(gbxMask);
    page2->addWidget(sbxMask);
    auto *transparent = new QHBoxLayout;
    transparent->addWidget(lblItem1);
    transparent->addWidget(pnlTransparentColor);
    transparent->addWidget(lblInfo);
    transparent->addStretch();
    page2->addLayout(transparent);
    page2->addWidget(lblMaskInfo);
    page2->addStretch();
    page2->addLayout(ratioRow(tbsMask, 1));

    // Page "飾り枠".
    ckbFrame = Named(new QCheckBox(QStringLiteral("枠線"), tbsFrameRect), "ckbFrame");
    ckbFrame->setChecked(true);
    ckbBack = Named(new QCheckBox(QStringLiteral("背景"), tbsFrameRect), "ckbBack");
    ckbBack->setChecked(true);
    auto *gbxFrame = new QGroupBox(tbsFrameRect);
    auto *frameGrid = new QGridLayout(gbxFrame);
    auto addRow = [gbxFrame, frameGrid](int Row, QLabel *&Label, const char *Name, const QString &Caption,
                                        QWidget *Field) {
        Label = new QLabel(Caption, gbxFrame);
        Label->setObjectName(QLatin1String(Name));
        frameGrid->addWidget(Label, Row, 0);
        frameGrid->addWidget(Field, Row, 1);
    };
    NewFrameLists(gbxFrame, cbxLineCount, cbxCorner, cbxLineWidth);
    auto *frameColor = new QWidget(gbxFrame);
    auto *frameColorRow = new QHBoxLayout(frameColor);
    frameColorRow->setContentsMargins(0, 0, 0, 0);
    pnlFrameColor = Named(new TColorSwatch(frameColor), "pnlFrameColor");
    bbtnFrameColor = Named(new QPushButton(QStringLiteral("..."), frameColor), "bbtnFrameColor");
    frameColorRow->addWidget(pnlFrameColor);
    frameColorRow->addWidget(bbtnFrameColor);
    addRow(0, lblItem2, "lblItem2", QStringLiteral("線の種類："), cbxLineCount);
    addRow(1, lblItem3, "lblItem3", QStringLiteral("角の形："), cbxCorner);
    addRow(2, lblItem4, "lblItem4", QStringLiteral("線の太さ："), cbxLineWidth);
    addRow(3, lblItem5, "lblItem5", QStringLiteral("色："), frameColor);
    auto *gbxBack = new QGroupBox(tbsFrameRect);
    auto *backRow = new QHBoxLayout(gbxBack);
    lblItem6 = Named(new QLabel(QStringLiteral("色："), gbxBack), "lblItem6");
    pnlBackColor = Named(new TColorSwatch(gbxBack), "pnlBackColor");
    bbtnBackColor = Named(new QPushButton(QStringLiteral("..."), gbxBack), "bbtnBackColor");
    backRow->addWidget(lblItem6);
    backRow->addWidget(pnlBackColor);
    backRow->addWidget(bbtnBackColor);
    auto *page3 = new QVBoxLayout(tbsFrameRect);
    page3->addWidget(ckbFrame);
    page3->addWidget(gbxFrame);
    page3->addWidget(ckbBack);
    page3->addWidget(gbxBack);
    page3->addStretch();
    page3->addLayout(ratioRow(tbsFrameRect, 2));

    sbxPreview = Named(new QScrollArea(this), "sbxPreview");
    sbxPreview->setFixedSize(229, 229);
    pbxPreview = Named(new TItemPreview(sbxPreview), "pbxPreview");
    pbxPreview->OnPaint = [this](QPainter &P) { pbxPreviewPaint(P); };
    pbxPreview->OnMousePress = [this](QMouseEvent *E) { pbxPreviewMouseDown(E); };
    pbxPreview->OnMouseMove = [this](QMouseEvent *E) { pbxPreviewMouseMove(E); };
    pbxPreview->OnMouseRelease = [this](QMouseEvent *) { pbxPreviewEndDrag(); };
    sbxPreview->setWidget(pbxPreview);

    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    // Return takes the picture settings shown from wherever they were made;
    // a focused button takes it itself.
    btnOK->setDefault(true);
    auto *top = new QHBoxLayout;
    top->addWidget(sbxPreview, 0, Qt::AlignTop);
    top->addWidget(pgcSetting, 1);
    LayOutAboveButtons(this, top, btnOK, btnCancel);

    BuildMaskThumbnails();

    connect(rbVert, &QRadioButton::clicked, this, [this] {
        SetBlueCaption(rbVert, true);
        SetBlueCaption(rbHorz, false);
    });
    connect(rbHorz, &QRadioButton::clicked, this, [this] {
        SetBlueCaption(rbHorz, true);
        SetBlueCaption(rbVert, false);
    });
    for (QRadioButton *r : {rbL90, rbR90, rb180})
        connect(r, &QRadioButton::clicked, this, [this] {
            for (QRadioButton *b : {rbL90, rbR90, rb180})
                SetBlueCaption(b, b->isChecked());
        });
    connect(bbtnReverse, &QPushButton::clicked, this, &TIllustSettingDialog::bbtnReverseClick);
    connect(bbtnRotate, &QPushButton::clicked, this, &TIllustSettingDialog::bbtnRotateClick);
    connect(rbNone, &QRadioButton::clicked, this, [this] { rbImageViewClick(0); });
    connect(rbMask, &QRadioButton::clicked, this, [this] { rbImageViewClick(1); });
    connect(rbTransparent, &QRadioButton::clicked, this, [this] { rbImageViewClick(2); });
    connect(ckbFrame, &QCheckBox::toggled, this, &TIllustSettingDialog::ckbFrameClick);
    connect(ckbBack, &QCheckBox::toggled, this, &TIllustSettingDialog::ckbBackClick);
    for (QComboBox *c : {cbxLineCount, cbxCorner, cbxLineWidth})
        connect(c, &QComboBox::activated, this, &TIllustSettingDialog::FrameViewClick);
    connect(bbtnFrameColor, &QPushButton::clicked, this, [this] { FrameColorClick(0); });
    connect(bbtnBackColor, &QPushButton::clicked, this, [this] { FrameColorClick(1); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    const int page = ReadDesignSetting(QStringLiteral("IllustSet"), 0);
    pgcSetting->setCurrentIndex(page < 0 || page >= pgcSetting->count() ? 0 : page);
    const int ratio = ReadDesignSetting(QStringLiteral("IllustSetRatio"), 0);
    m_ratioTag = ratio == 0 ? 0 : ratio == 1 ? 1 : 2;
    for (auto &group : m_ratio)
        for (int t = 0; t < 3; ++t)
            group[size_t(t)]->setChecked(t == m_ratioTag);
    rbVert->setChecked(true);
    rbL90->setChecked(true);
    SetBlueCaption(rbVert, true);
    SetBlueCaption(rbL90, true);
    // Return on a size button presses it, never OK behind it.
    PressFocusedButtonOnEnter(this);
}

TIllustSettingDialog::~TIllustSettingDialog()
{
    WriteDesignSetting(QStringLiteral("IllustSet"), pgcSetting->currentIndex());
    WriteDesignSetting(QStringLiteral("IllustSetRatio"), m_ratioTag);
}

void TIllustSettingDialog::BuildMaskThumbnails()
{
    auto *grid = static_cast<QGridLayout *>(sbxMask->widget()->layout());
    for (int i = 0; i < MaskFileCount(); ++i) {
        const QPainterPath *shape = MaskShapeAt(i);
        if (!shape)
            continue;
        auto *b = new QToolButton(sbxMask->widget());
        b->setObjectName(QStringLiteral("pbxMask%1").arg(i));
        b->setIcon(maskIcon(*shape));
        b->setIconSize(QSize(kThumb, kThumb));
        b->setCheckable(true);
        // Grey outline, the chosen shape in a thick red one.
        b->setStyleSheet(QStringLiteral("QToolButton { border: 1px solid rgb(128,128,128); background: white; }"
                                        "QToolButton:checked { border: 3px solid rgb(255,0,0); }"));
        // Two rows filled column by column.
        grid->addWidget(b, i % 2, i / 2);
        // The box takes the focus, so the arrows go on from the shape clicked.
        connect(b, &QToolButton::clicked, this, [this, i] {
            sbxMask->setFocus();
            SelectMask(i);
        });
        m_thumbnails.append(b);
    }
    grid->setColumnStretch(grid->columnCount(), 1);
    sbxMask->setFocusPolicy(Qt::StrongFocus);
    sbxMask->installEventFilter(this);
}

void TIllustSettingDialog::SetItem(const TIllustRect &Item)
{
    m_updating = true;
    m_work->Assign(Item);
    const TPageRect r = m_work->GetRect();
    m_work->SetRect({0, 0, r.Right - r.Left, r.Bottom - r.Top});
    m_selectedMask = 0;
    const QImage &picture = m_work->GetBitmap();
    if (!picture.isNull())
        pnlTransparentColor->SetColor(QColorToColor(picture.pixelColor(0, picture.height() - 1)));
    if (m_work->GetMaskIndex() < 0) {
        if (m_work->GetTransparentColor() == TIllustRect::NoColor) {
            rbNone->setChecked(true);
        } else {
            pnlTransparentColor->SetColor(m_work->GetTransparentColor());
            rbTransparent->setChecked(true);
        }
    } else {
        // A stored index beyond the shapes installed selects the first
        // thumbnail; the item keeps its own until the user picks one.
        const int stored = m_work->GetMaskIndex();
        m_selectedMask = stored < m_thumbnails.size() ? stored : 0;
        rbMask->setChecked(true);
    }
    for (int i = 0; i < m_thumbnails.size(); ++i)
        m_thumbnails[i]->setChecked(i == m_selectedMask);
    TRectFrame &frame = m_work->Frame();
    ckbFrame->setChecked(frame.HasFrame());
    ckbBack->setChecked(frame.HasBack());
    if (!frame.HasFrame())
        frame.SetFrameColor(kRed);
    if (!frame.HasBack())
        frame.SetBackColor(kLightRed);
    cbxLineCount->setCurrentIndex(frame.GetLineCount());
    cbxCorner->setCurrentIndex(frame.GetCorner());
    cbxLineWidth->setCurrentIndex(frame.GetLineWidth());
    pnlFrameColor->SetColor(frame.GetFrameColor());
    pnlBackColor->SetColor(frame.GetBackColor());
    m_updating = false;
    ckbFrameClick();
    ckbBackClick();
    const bool mask = rbMask->isChecked(), transparent = rbTransparent->isChecked();
    sbxMask->setVisible(mask);
    lblMaskInfo->setVisible(mask);
    pnlTransparentColor->setVisible(transparent);
    lblItem1->setVisible(transparent);
    lblInfo->setVisible(transparent);
    for (QRadioButton *b : {rbNone, rbMask, rbTransparent})
        SetBlueCaption(b, b->isChecked());
    sbtnRatioClick(m_ratioTag);
}

void TIllustSettingDialog::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    switch (pgcSetting->currentIndex()) {
    case 0: rbVert->setFocus(); break;
    case 1: (rbMask->isChecked() ? rbMask : rbTransparent->isChecked() ? rbTransparent : rbNone)->setFocus(); break;
    default: ckbFrame->setFocus(); break;
    }
    sbtnRatioClick(m_ratioTag);
}

void TIllustSettingDialog::sbtnRatioClick(int Tag)
{
    m_ratioTag = Tag;
    for (auto &group : m_ratio)
        for (int t = 0; t < 3; ++t) {
            group[size_t(t)]->setChecked(t == Tag);
            SetBlueCaption(group[size_t(t)], t == Tag);
        }
    const TPageRect r = m_work->GetRect();
    const int side = std::max({1, r.Right - r.Left, r.Bottom - r.Top});
    const double zoom = Tag == 0 ? sbxPreview->height() * 0.9 / side : Tag == 1 ? 1.0 : 2.0;
    m_work->SetZoom(zoom);
    PlacePreview();
}

void TIllustSettingDialog::PlacePreview()
{
    const TScreenRect d = m_work->GetDispRect();
    const int w = d.Right - d.Left, h = d.Bottom - d.Top;
    const int boxW = sbxPreview->width() - 4, boxH = sbxPreview->height() - 4;
    m_origin = QPoint(std::max(0, (boxW - w) / 2), std::max(0, (boxH - h) / 2));
    pbxPreview->resize(std::max(boxW, w), std::max(boxH, h));
    pbxPreview->update();
}

void TIllustSettingDialog::bbtnReverseClick()
{
    m_work->Mirror(rbVert->isChecked());
    pbxPreview->update();
}

void TIllustSettingDialog::bbtnRotateClick()
{
    const int code = rbL90->isChecked() ? 0 : rbR90->isChecked() ? 1 : 2;
    m_work->Rotate(code);
    if (code != 2) {
        // A quarter turn keeps the top-left corner and exchanges the sides.
        const TPageRect r = m_work->GetRect();
        m_work->SetRect({r.Left, r.Top, r.Left + (r.Bottom - r.Top), r.Top + (r.Right - r.Left)});
        m_work->SetZoom(m_work->GetZoom());
        sbxPreview->horizontalScrollBar()->setValue(0);
        sbxPreview->verticalScrollBar()->setValue(0);
        PlacePreview();
    }
    pbxPreview->update();
}

void TIllustSettingDialog::rbImageViewClick(int Tag)
{
    for (QRadioButton *b : {rbNone, rbMask, rbTransparent})
        SetBlueCaption(b, b->isChecked());
    sbxMask->setVisible(Tag == 1);
    lblMaskInfo->setVisible(Tag == 1);
    pnlTransparentColor->setVisible(Tag == 2);
    lblItem1->setVisible(Tag == 2);
    lblInfo->setVisible(Tag == 2);
    if (Tag == 1) {
        m_work->SetMask(m_selectedMask);
        // No shape to cut with: the picture stays whole, and the user hears
        // which file could not be used and why.
        if (m_thumbnails.isEmpty())
            ShowMessageBoxAt(this,
                             QStringLiteral("型抜きの図形を読み込めませんでした  \r\n") +
                                 (MaskFilesError().isEmpty() ? DefaultMaskFilePath() : MaskFilesError()),
                             ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    } else if (Tag == 2) {
        m_work->SetMask(-1);
        m_work->SetTransparentColor(pnlTransparentColor->Color());
    } else {
        m_work->SetMask(-1);
        m_work->SetTransparentColor(TIllustRect::NoColor);
    }
    pbxPreview->update();
}

void TIllustSettingDialog::SelectMask(int Index)
{
    if (Index < 0 || Index >= m_thumbnails.size())
        return;
    m_selectedMask = Index;
    for (int i = 0; i < m_thumbnails.size(); ++i)
        m_thumbnails[i]->setChecked(i == Index);
    sbxMask->ensureWidgetVisible(m_thumbnails[Index], 8, 8);
    if (rbMask->isChecked())
        m_work->SetMask(Index);
    pbxPreview->update();
}

void TIllustSettingDialog::pbxPreviewPaint(QPainter &Canvas)
{
    Canvas.save();
    Canvas.translate(m_origin);
    m_work->Draw(Canvas, 0, 0);
    const TRectFrame &frame = m_work->Frame();
    Canvas.setBrush(Qt::NoBrush);
    if (!frame.HasFrame() && !frame.HasBack()) {
        Canvas.setPen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
        Canvas.drawRect(ToQRect(m_work->GetDispRect()));
    }
    if (rbMask->isChecked()) {
        const QRect m = ToQRect(m_work->GetMaskDispRect());
        Canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        Canvas.setPen(QPen(QColor(255, 255, 0), 1, Qt::DotLine));
        Canvas.drawRect(m);
        Canvas.setPen(QPen(QColor(255, 255, 0), 1));
        const int cx = (m.left() + m.right()) / 2, cy = (m.top() + m.bottom()) / 2;
        for (const QPoint p : {QPoint(m.left(), m.top()), QPoint(cx, m.top()), QPoint(m.right(), m.top()),
                               QPoint(m.left(), cy), QPoint(m.right(), cy), QPoint(m.left(), m.bottom()),
                               QPoint(cx, m.bottom()), QPoint(m.right(), m.bottom())})
            Canvas.drawRect(p.x() - 3, p.y() - 3, 6, 6);
        Canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    Canvas.restore();
}

void TIllustSettingDialog::pbxPreviewMouseDown(QMouseEvent *Event)
{
    sbxPreview->setFocus();
    const QPoint p = Event->position().toPoint() - m_origin;
    if (Event->button() != Qt::LeftButton)
        return;
    if (rbMask->isChecked() && m_work->GetMaskCursor(p.x(), p.y()) != TItemCursor::Default) {
        m_dragStart = p;
        m_dragZone = m_work->MaskHitZone(p.x(), p.y());
        m_dragging = true;
        return;
    }
    if (pgcSetting->currentWidget() == tbsMask && rbTransparent->isChecked() &&
        ToQRect(m_work->GetDispRect()).contains(p)) {
        const QImage shot = pbxPreview->grab(QRect(Event->position().toPoint(), QSize(1, 1))).toImage();
        const TColor colour = QColorToColor(shot.pixelColor(0, 0));
        pnlTransparentColor->SetColor(colour);
        m_work->SetTransparentColor(colour);
        pbxPreview->update();
    }
}

void TIllustSettingDialog::pbxPreviewMouseMove(QMouseEvent *Event)
{
    const QPoint p = Event->position().toPoint() - m_origin;
    if (!m_dragging) {
        if (rbMask->isChecked())
            pbxPreview->setCursor(toCursorShape(m_work->GetMaskCursor(p.x(), p.y())));
        return;
    }
    TScreenRect r = m_work->GetMaskDispRect();
    const int dx = p.x() - m_dragStart.x(), dy = p.y() - m_dragStart.y();
    const bool moveAll = m_dragZone.x == THitZoneX::Middle && m_dragZone.y == THitZoneY::Middle;
    if (moveAll) {
        r.Left += dx;
        r.Right += dx;
        r.Top += dy;
        r.Bottom += dy;
    } else {
        int ex = m_dragZone.x == THitZoneX::Left || m_dragZone.x == THitZoneX::Right ? dx : 0;
        int ey = m_dragZone.y == THitZoneY::Top || m_dragZone.y == THitZoneY::Bottom ? dy : 0;
        if ((Event->modifiers() & Qt::ShiftModifier) && r.Bottom != r.Top) {
            // Shift keeps the proportions of the frame.
            const double aspect = double(r.Right - r.Left) / (r.Bottom - r.Top);
            const bool byWidth = std::abs(ex) >= std::abs(ey);
            const bool sameSign = (m_dragZone.x == THitZoneX::Left) == (m_dragZone.y == THitZoneY::Top);
            if (byWidth)
                ey = int(std::lround(ex / aspect)) * (sameSign ? 1 : -1);
            else
                ex = int(std::lround(ey * aspect)) * (sameSign ? 1 : -1);
        }
        auto apply = [](int &Low, int &High, int Change, bool DragLow, bool DragHigh) {
            if (DragLow)
                Low += Change;
            else if (DragHigh)
                High += Change;
            else {
                Low -= Change / 2;
                High += Change / 2;
            }
        };
        if (ex != 0)
            apply(r.Left, r.Right, ex, m_dragZone.x == THitZoneX::Left, m_dragZone.x == THitZoneX::Right);
        if (ey != 0)
            apply(r.Top, r.Bottom, ey, m_dragZone.y == THitZoneY::Top, m_dragZone.y == THitZoneY::Bottom);
        // An edge dragged past its opposite edge becomes that edge.
        if (r.Right < r.Left) {
            std::swap(r.Left, r.Right);
            m_dragZone.x = m_dragZone.x == THitZoneX::Left ? THitZoneX::Right : THitZoneX::Left;
        }
        if (r.Bottom < r.Top) {
            std::swap(r.Top, r.Bottom);
            m_dragZone.y = m_dragZone.y == THitZoneY::Top ? THitZoneY::Bottom : THitZoneY::Top;
        }
    }
    m_work->SetMaskRect(r);
    m_dragStart = p;
    pbxPreview->update();
}

void TIllustSettingDialog::pbxPreviewEndDrag()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    // A frame dropped wholly beside the picture comes back to touch it.
    TScreenRect r = m_work->GetMaskDispRect();
    const TScreenRect d = m_work->GetDispRect();
    const int w = r.Right - r.Left, h = r.Bottom - r.Top;
    if (r.Right <= d.Left)
        r.Left = d.Left;
    else if (r.Left >= d.Right)
        r.Left = w <= d.Right - d.Left ? d.Right - w : d.Left;
    if (r.Bottom <= d.Top)
        r.Top = d.Top;
    else if (r.Top >= d.Bottom)
        r.Top = h <= d.Bottom - d.Top ? d.Bottom - h : d.Top;
    r.Right = r.Left + w;
    r.Bottom = r.Top + h;
    m_work->SetMaskRect(r);
    pbxPreview->update();
}

void TIllustSettingDialog::ckbFrameClick()
{
    const bool on = ckbFrame->isChecked();
    SetBlueCaption(ckbFrame, on);
    if (!m_updating)
        m_work->Frame().SetFrame(on);
    for (QWidget *w : std::initializer_list<QWidget *>{cbxLineCount, cbxCorner, cbxLineWidth, bbtnFrameColor, lblItem2,
                                                       lblItem3, lblItem4, lblItem5})
        w->setEnabled(on);
    pbxPreview->update();
}

void TIllustSettingDialog::ckbBackClick()
{
    const bool on = ckbBack->isChecked();
    SetBlueCaption(ckbBack, on);
    if (!m_updating)
        m_work->Frame().SetBack(on);
    bbtnBackColor->setEnabled(on);
    lblItem6->setEnabled(on);
    pbxPreview->update();
}

void TIllustSettingDialog::FrameViewClick()
{
    ApplyFrameLists(m_work->Frame(), cbxLineCount, cbxCorner, cbxLineWidth);
    pbxPreview->update();
}

void TIllustSettingDialog::FrameColorClick(int Tag)
{
    (void)ChooseFrameColor(RunColorDialog, m_work->Frame(), Tag, pnlFrameColor, pnlBackColor);
    pbxPreview->update();
}

bool TIllustSettingDialog::eventFilter(QObject *Watched, QEvent *Event)
{
    // The arrows move through the thumbnails: two rows filled column by
    // column, so left and right skip a row's worth.
    if (Watched == sbxMask && Event->type() == QEvent::KeyPress) {
        int step = 0;
        switch (static_cast<QKeyEvent *>(Event)->key()) {
        case Qt::Key_Left: step = m_selectedMask > 1 ? -2 : 0; break;
        case Qt::Key_Right: step = m_selectedMask + 2 < m_thumbnails.size() ? 2 : 0; break;
        case Qt::Key_Up: step = m_selectedMask > 0 ? -1 : 0; break;
        case Qt::Key_Down: step = m_selectedMask + 1 < m_thumbnails.size() ? 1 : 0; break;
        default: return QDialog::eventFilter(Watched, Event);
        }
        if (step != 0)
            SelectMask(m_selectedMask + step);
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}
