#include "dialogs/SndSet.h"

#include "dialogs/DataFrm.h"
#include "dialogs/LytFont.h"
#include "dialogs/SenderData.h"
#include "dialogs/SndCmp.h"
#include "items/SenderRect.h"
#include "widgets/ChosenEntry.h"
#include "widgets/EnterKey.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kLightRed = 0xBFBFFF; // RGB 255, 191, 191

} // namespace

TSenderSettingDialog::TSenderSettingDialog(QWidget *Owner) : QDialog(Owner), m_work(std::make_unique<TSenderRect>()), m_dataFormat(std::make_unique<TDataFormat>())
{
    StartItemDialog(this, QStringLiteral("SenderSettingDialog"), QStringLiteral("差出人情報の表示設定"));
    setProperty("HelpContext", 110);
    RunColorDialog = DefaultColorDialogRunner(this);

    cbxSender = Named(new QComboBox(this), "cbxSender");
    for (const TSenderData &s : LoadSenders())
        cbxSender->addItem(s.Title.trimmed(), s.RecNo);
    cbxSender->setCurrentIndex(-1);

    pgcSetting = Named(new QTabWidget(this), "pgcSetting");
    tbsFont = AddTabPage(pgcSetting, "tbsFont", QStringLiteral("フォント"));
    tbsFrame = AddTabPage(pgcSetting, "tbsFrame", QStringLiteral("飾り枠"));

    lbFonts = Named(new QListWidget(tbsFont), "lbFonts");
    for (const auto &[name, charset] : ListFontNames()) {
        auto *item = new QListWidgetItem(name, lbFonts);
        item->setData(Qt::UserRole, charset);
    }
    lbFonts->sortItems();
    lbFonts->setMinimumWidth(200);
    lblCharset = NewLabel(tbsFont, "lblCharset", QStringLiteral("日本語"));
    ckbBold = Named(new QCheckBox(QStringLiteral("太字"), tbsFont), "ckbBold");
    ckbItalic = Named(new QCheckBox(QStringLiteral("斜体"), tbsFont), "ckbItalic");
    pnlFontColor = Named(new TColorSwatch(tbsFont), "pnlFontColor");
    bbtnFontColor = Named(new QPushButton(QStringLiteral("..."), tbsFont), "bbtnFontColor");
    auto *fontPage = new QGridLayout(tbsFont);
    fontPage->addWidget(NewLabel(tbsFont, "lblItem3", QStringLiteral("フォント名")), 0, 0);
    fontPage->addWidget(lbFonts, 1, 0, 4, 1);
    fontPage->addWidget(NewLabel(tbsFont, "lblItem4", QStringLiteral("書体：")), 0, 1);
    fontPage->addWidget(lblCharset, 0, 2);
    fontPage->addWidget(NewLabel(tbsFont, "lblItem5", QStringLiteral("スタイル")), 1, 1);
    fontPage->addWidget(ckbBold, 2, 1);
    fontPage->addWidget(ckbItalic, 2, 2);
    fontPage->addWidget(NewLabel(tbsFont, "lblItem6", QStringLiteral("色")), 3, 1);
    auto *fontColor = new QHBoxLayout;
    fontColor->addWidget(pnlFontColor);
    fontColor->addWidget(bbtnFontColor);
    fontPage->addLayout(fontColor, 3, 2);

    ckbFrame = Named(new QCheckBox(QStringLiteral("枠線"), tbsFrame), "ckbFrame");
    ckbFrame->setChecked(true);
    ckbBack = Named(new QCheckBox(QStringLiteral("背景"), tbsFrame), "ckbBack");
    ckbBack->setChecked(true);
    auto *gbxFrame = new QGroupBox(tbsFrame);
    gbxFrame->setObjectName(QStringLiteral("gbxFrame"));
    NewFrameLists(gbxFrame, cbxLineCount, cbxCorner, cbxLineWidth);
    pnlFrameColor = Named(new TColorSwatch(gbxFrame), "pnlFrameColor");
    bbtnFrameColor = Named(new QPushButton(QStringLiteral("..."), gbxFrame), "bbtnFrameColor");
    lblItem7 = NewLabel(gbxFrame, "lblItem7", QStringLiteral("線の種類"));
    lblItem8 = NewLabel(gbxFrame, "lblItem8", QStringLiteral("角の形"));
    lblItem9 = NewLabel(gbxFrame, "lblItem9", QStringLiteral("線の太さ"));
    lblItem10 = NewLabel(gbxFrame, "lblItem10", QStringLiteral("色"));
    auto *frameGrid = new QGridLayout(gbxFrame);
    frameGrid->addWidget(lblItem7, 0, 0);
    frameGrid->addWidget(cbxLineCount, 0, 1, 1, 2);
    frameGrid->addWidget(lblItem8, 1, 0);
    frameGrid->addWidget(cbxCorner, 1, 1, 1, 2);
    frameGrid->addWidget(lblItem9, 2, 0);
    frameGrid->addWidget(cbxLineWidth, 2, 1, 1, 2);
    frameGrid->addWidget(lblItem10, 3, 0);
    frameGrid->addWidget(pnlFrameColor, 3, 1);
    frameGrid->addWidget(bbtnFrameColor, 3, 2);
    auto *gbxBack = new QGroupBox(tbsFrame);
    gbxBack->setObjectName(QStringLiteral("gbxBack"));
    lblItem11 = NewLabel(gbxBack, "lblItem11", QStringLiteral("色"));
    pnlBackColor = Named(new TColorSwatch(gbxBack), "pnlBackColor");
    bbtnBackColor = Named(new QPushButton(QStringLiteral("..."), gbxBack), "bbtnBackColor");
    auto *backRow = new QHBoxLayout(gbxBack);
    backRow->addWidget(lblItem11);
    backRow->addWidget(pnlBackColor);
    backRow->addWidget(bbtnBackColor);
    auto *framePage = new QVBoxLayout(tbsFrame);
    framePage->addWidget(ckbFrame);
    framePage->addWidget(gbxFrame);
    framePage->addWidget(ckbBack);
    framePage->addWidget(gbxBack);
    framePage->addStretch();

    pnlPreview = Named(new TItemPreview(this), "pnlPreview");
    pnlPreview->setFixedSize(239, 239);
    pnlPreview->OnPaint = [this](QPainter &P) { pnlPreviewPaint(P); };
    rbVertical = Named(new QRadioButton(QStringLiteral("縦書き"), this), "rbVertical");
    rbHorizontal = Named(new QRadioButton(QStringLiteral("横書き"), this), "rbHorizontal");
    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnOK->setDefault(true);
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    for (QPushButton *b : {bbtnFontColor, bbtnFrameColor, bbtnBackColor, btnCancel})
        b->setAutoDefault(false);

    auto *senderRow = new QHBoxLayout;
    senderRow->addWidget(NewLabel(this, "lblItem1", QStringLiteral("表示差出人")));
    senderRow->addWidget(cbxSender, 1);
    auto *left = new QVBoxLayout;
    left->addLayout(senderRow);
    left->addWidget(pgcSetting, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(pnlPreview);
    auto *direction = new QHBoxLayout;
    direction->addWidget(NewLabel(this, "lblItem2", QStringLiteral("方向")));
    direction->addWidget(rbVertical);
    direction->addWidget(rbHorizontal);
    right->addLayout(direction);
    right->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right);
    LayOutAboveButtons(this, top, btnOK, btnCancel);

    connect(cbxSender, &QComboBox::activated, this, &TSenderSettingDialog::cbxSenderClick);
    connect(rbVertical, &QRadioButton::clicked, this, [this] { rbDirectionClick(0); });
    connect(rbHorizontal, &QRadioButton::clicked, this, [this] { rbDirectionClick(1); });
    OnEntryChosen(lbFonts, this, [this](int) { lbFontsClick(); });
    connect(ckbBold, &QCheckBox::clicked, this, &TSenderSettingDialog::ckbStyleClick);
    connect(ckbItalic, &QCheckBox::clicked, this, &TSenderSettingDialog::ckbStyleClick);
    connect(bbtnFontColor, &QPushButton::clicked, this, &TSenderSettingDialog::bbtnFontColorClick);
    connect(ckbFrame, &QCheckBox::toggled, this, &TSenderSettingDialog::ckbFrameClick);
    connect(ckbBack, &QCheckBox::toggled, this, &TSenderSettingDialog::ckbBackClick);
    for (QComboBox *c : {cbxLineCount, cbxCorner, cbxLineWidth})
        connect(c, &QComboBox::activated, this, &TSenderSettingDialog::FrameViewClick);
    connect(bbtnFrameColor, &QPushButton::clicked, this, [this] { FrameColorClick(0); });
    connect(bbtnBackColor, &QPushButton::clicked, this, [this] { FrameColorClick(1); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    const int page = ReadDesignSetting(QStringLiteral("SenderSet"), 0);
    pgcSetting->setCurrentIndex(page < 0 || page >= pgcSetting->count() ? 0 : page);
    // Return on キャンセル or a colour button presses it, never OK behind it.
    PressFocusedButtonOnEnter(this);
}

TSenderSettingDialog::~TSenderSettingDialog()
{
    WriteDesignSetting(QStringLiteral("SenderSet"), pgcSetting->currentIndex());
}

void TSenderSettingDialog::SetItem(const TSenderRect &Item)
{
    m_work->Assign(Item);
    // The preview lays its texts out for the screen, as the editor's page does.
    m_work->SetReferenceDevice(TReferenceDevice::screen());
    const TPageRect r = m_work->GetRect();
    const int w = std::max(1, r.Right - r.Left), h = std::max(1, r.Bottom - r.Top);
    const double zoom = std::min(pnlPreview->width() * 0.9 / w, pnlPreview->height() * 0.9 / h);
    m_work->SetZoom(zoom);
    const int dx = (qRound(pnlPreview->width() / zoom) - w) / 2, dy = (qRound(pnlPreview->height() / zoom) - h) / 2;
    m_work->SetRect({dx, dy, dx + w, dy + h});
    const int at = cbxSender->findText(m_work->GetSenderTitle().trimmed());
    if (at >= 0)
        cbxSender->setCurrentIndex(at);
    m_updating = true;
    (m_work->GetHorizontal() ? rbHorizontal : rbVertical)->setChecked(true);
    SetBlueCaption(rbVertical, rbVertical->isChecked());
    SetBlueCaption(rbHorizontal, rbHorizontal->isChecked());
    m_updating = false;
    TRectFrame &frame = m_work->Frame();
    const bool hasFrame = frame.HasFrame(), hasBack = frame.HasBack();
    if (!hasFrame)
        frame.SetFrameColor(kRed);
    if (!hasBack)
        frame.SetBackColor(kLightRed);
    ckbFrame->setChecked(hasFrame);
    ckbBack->setChecked(hasBack);
    ckbFrameClick();
    ckbBackClick();
    cbxLineCount->setCurrentIndex(frame.GetLineCount());
    cbxCorner->setCurrentIndex(frame.GetCorner());
    cbxLineWidth->setCurrentIndex(frame.GetLineWidth());
    pnlFrameColor->SetColor(frame.GetFrameColor());
    pnlBackColor->SetColor(frame.GetBackColor());
}

void TSenderSettingDialog::SetDataFormat(const TDataFormat *Format)
{
    *m_dataFormat = Format ? *Format : TDataFormat{};
}

void TSenderSettingDialog::SetFontScale(int LongSide)
{
    m_work->SetFontSize(TTenthMm(LongSide));
}

void TSenderSettingDialog::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    FillFontList();
    cbxSenderClick();
}

void TSenderSettingDialog::FillFontList()
{
    TFont font = m_work->GetFont();
    if (font.Name.startsWith(u'@')) {
        font.Name = font.Name.mid(1);
        m_work->SetFont(font);
    }
    const QList<QListWidgetItem *> found = lbFonts->findItems(font.Name, Qt::MatchExactly);
    {
        // Showing the block's face is not choosing one: a face the list
        // lacks stays the block's, and no entry shows as chosen, so that a
        // click on any entry, the first one too, chooses it.
        const QSignalBlocker quiet(lbFonts);
        if (found.isEmpty()) {
            lbFonts->setCurrentRow(-1);
            lbFonts->clearSelection();
        } else {
            lbFonts->setCurrentItem(found.first());
        }
    }
    UpdateCharsetLabel();
    m_updating = true;
    ckbBold->setChecked(font.Style & fsBold);
    ckbItalic->setChecked(font.Style & fsItalic);
    SetBlueCaption(ckbBold, ckbBold->isChecked());
    SetBlueCaption(ckbItalic, ckbItalic->isChecked());
    pnlFontColor->SetColor(QColorToColor(font.Color));
    m_updating = false;
}

void TSenderSettingDialog::UpdateCharsetLabel()
{
    const QListWidgetItem *item = lbFonts->currentItem();
    if (!item)
        return;
    const int charset = item->data(Qt::UserRole).toInt();
    if (charset == ANSI_CHARSET)
        lblCharset->setText(QStringLiteral("欧文"));
    else if (charset == SHIFTJIS_CHARSET)
        lblCharset->setText(QStringLiteral("日本語"));
}

void TSenderSettingDialog::UpdatePreview()
{
    std::optional<TSenderData> sender;
    if (cbxSender->currentIndex() >= 0)
        sender = LoadSenderByRecNo(cbxSender->currentData().toInt());
    ComposeSenderBlock(*m_work, sender ? &*sender : nullptr, m_dataFormat.get());
    m_work->Rebuild(true);
}

void TSenderSettingDialog::cbxSenderClick()
{
    UpdatePreview();
    if (cbxSender->currentIndex() >= 0)
        m_work->SetSenderTitle(cbxSender->currentText());
    pnlPreview->update();
}

void TSenderSettingDialog::pnlPreviewPaint(QPainter &Canvas)
{
    m_work->Draw(Canvas, 0, 0);
    Canvas.setBrush(Qt::NoBrush);
    Canvas.setPen(QPen(QColor(255, 0, 0), 1, Qt::DotLine));
    for (TMetaRect *child : m_work->ShownItems())
        if (child->IsVisible())
            Canvas.drawRect(ToQRect(child->GetDispRect()));
    if (!m_work->Frame().HasFrame() && !m_work->Frame().HasBack()) {
        Canvas.setPen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
        Canvas.drawRect(ToQRect(m_work->GetBlockDispRect()));
    }
}

void TSenderSettingDialog::rbDirectionClick(int Tag)
{
    SetBlueCaption(rbVertical, Tag == 0);
    SetBlueCaption(rbHorizontal, Tag == 1);
    if (m_updating)
        return;
    m_work->SetHorizontal(Tag == 1);
    // A quarter turn of the block about the preview's diagonal keeps it
    // centred in the square preview.
    const TPageRect r = m_work->GetRect();
    m_work->SetRect({r.Top, r.Left, r.Top + (r.Bottom - r.Top), r.Left + (r.Right - r.Left)});
    m_work->ResetChildRect(-1);
    UpdatePreview();
    pnlPreview->update();
}

void TSenderSettingDialog::lbFontsClick()
{
    const QListWidgetItem *item = lbFonts->currentItem();
    if (!item)
        return;
    TFont font = m_work->GetFont();
    font.Charset = item->data(Qt::UserRole).toInt();
    font.Name = item->text();
    UpdateCharsetLabel();
    m_work->SetFont(font);
    m_work->Rebuild(true);
    pnlPreview->update();
}

void TSenderSettingDialog::ckbStyleClick()
{
    SetBlueCaption(ckbBold, ckbBold->isChecked());
    SetBlueCaption(ckbItalic, ckbItalic->isChecked());
    if (m_updating)
        return;
    TFont font = m_work->GetFont();
    font.Style = (ckbBold->isChecked() ? fsBold : 0) | (ckbItalic->isChecked() ? fsItalic : 0);
    m_work->SetFont(font);
    m_work->Rebuild(true);
    pnlPreview->update();
}

void TSenderSettingDialog::bbtnFontColorClick()
{
    if (const std::optional<TColor> c = ChooseSwatchColor(RunColorDialog, pnlFontColor)) {
        TFont font = m_work->GetFont();
        font.Color = ColorToQColor(*c);
        m_work->SetFont(font);
        m_work->Rebuild(true);
    }
    pnlPreview->update();
}

void TSenderSettingDialog::ckbFrameClick()
{
    const bool on = ckbFrame->isChecked();
    SetBlueCaption(ckbFrame, on);
    m_work->Frame().SetFrame(on);
    for (QWidget *w : std::initializer_list<QWidget *>{cbxLineCount, cbxCorner, cbxLineWidth, bbtnFrameColor, lblItem7,
                                                       lblItem8, lblItem9, lblItem10})
        w->setEnabled(on);
    m_work->Rebuild(true);
    pnlPreview->update();
}

void TSenderSettingDialog::ckbBackClick()
{
    const bool on = ckbBack->isChecked();
    SetBlueCaption(ckbBack, on);
    m_work->Frame().SetBack(on);
    bbtnBackColor->setEnabled(on);
    lblItem11->setEnabled(on);
    m_work->Rebuild(true);
    pnlPreview->update();
}

void TSenderSettingDialog::FrameViewClick()
{
    ApplyFrameLists(m_work->Frame(), cbxLineCount, cbxCorner, cbxLineWidth);
    m_work->Rebuild(true);
    pnlPreview->update();
}

void TSenderSettingDialog::FrameColorClick(int Tag)
{
    if (ChooseFrameColor(RunColorDialog, m_work->Frame(), Tag, pnlFrameColor, pnlBackColor))
        m_work->Rebuild(true);
    pnlPreview->update();
}
