#include "dialogs/WordSet.h"

#include "core/Env.h"
#include "dialogs/ItemDlgSub.h"
#include "dialogs/LytFont.h"
#include "dialogs/UpDown.h"
#include "items/WordRect.h"
#include "platform/IniFile.h"
#include "widgets/CheckedCaption.h"
#include "widgets/ChosenEntry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("DESIGN");
const QString kPage = QStringLiteral("WordSet");

// The colours a frame and a background start with when the item has none.
constexpr TColor kFramePreset = 0x0000FF;    // red
constexpr TColor kBackPreset = 0xBFBFFF;     // RGB 255, 191, 191
constexpr int kPreviewInset = 4;

void paintSwatch(QLabel *Swatch, TColor Color)
{
    Swatch->setStyleSheet(
        QStringLiteral("background-color: %1; border: 1px solid gray").arg(ColorToQColor(Color).name()));
}

} // namespace

TWordPreview::TWordPreview(TWordRect &Item, QWidget *Parent) : QWidget(Parent), m_item(Item)
{
    setObjectName(QStringLiteral("pnlPreview"));
    setMinimumSize(180, 180);
    setAutoFillBackground(false);
}

void TWordPreview::Fit()
{
    const TPageRect r = m_item.GetRect();
    const int w = std::max(1, r.Right - r.Left), h = std::max(1, r.Bottom - r.Top);
    // A small inset keeps a frame's outer line inside the panel.
    const QSize client = size() - QSize(2 * kPreviewInset, 2 * kPreviewInset);
    const double zoom = std::min(double(client.width()) / w, double(client.height()) / h);
    m_item.SetZoom(zoom > 0 ? zoom : 1.0);
    const TScreenRect d = m_item.GetDispRect();
    m_offset = QPoint(kPreviewInset + (client.width() - d.width()) / 2 - d.Left,
                      kPreviewInset + (client.height() - d.height()) / 2 - d.Top);
}

void TWordPreview::resizeEvent(QResizeEvent *Event)
{
    QWidget::resizeEvent(Event);
    Fit();
}

void TWordPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    Fit();
    painter.setRenderHint(QPainter::Antialiasing);
    m_item.Draw(painter, m_offset.x(), m_offset.y());
    if (!m_item.Frame().HasFrame() && !m_item.Frame().HasBack()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(128, 128, 128), 0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        const TScreenRect d = m_item.GetDispRect();
        painter.drawRect(QRect(d.Left + m_offset.x(), d.Top + m_offset.y(), d.width() - 1, d.height() - 1));
    }
}

TWordSettingDialog::TWordSettingDialog(QWidget *Owner) : QDialog(Owner), m_work(std::make_unique<TWordRect>())
{
    StartItemDialog(this, QStringLiteral("WordSettingDialog"), QStringLiteral("文章の表示設定"));
    setProperty("HelpContext", 116);
    m_work->SetReferenceDevice(TReferenceDevice::screen());

    pgcSetting = Named(new QTabWidget(this), "pgcSetting");
    BuildFontPage();
    BuildAlignPage();
    BuildFramePage();

    rbVertical = Named(new QRadioButton(QStringLiteral("縦書き"), this), "rbVertical");
    rbHorizontal = Named(new QRadioButton(QStringLiteral("横書き"), this), "rbHorizontal");
    auto *direction = new QButtonGroup(this);
    direction->addButton(rbVertical, 0);
    direction->addButton(rbHorizontal, 1);
    connect(direction, &QButtonGroup::idClicked, this, &TWordSettingDialog::DirectionChanged);
    pnlPreview = new TWordPreview(*m_work, this);
    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    // Return takes the text settings shown from wherever they were made; a
    // focused button takes it itself.
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *side = new QVBoxLayout;
    auto *dirRow = new QHBoxLayout;
    dirRow->addWidget(new QLabel(QStringLiteral("方向"), this));
    dirRow->addWidget(rbVertical);
    dirRow->addWidget(rbHorizontal);
    dirRow->addStretch();
    side->addLayout(dirRow);
    side->addWidget(pnlPreview, 1);
    auto *top = new QHBoxLayout;
    top->addWidget(pgcSetting, 1);
    top->addLayout(side);
    QVBoxLayout *main = LayOutAboveButtons(this, top, btnOK, btnCancel);
    main->setSizeConstraint(QLayout::SetFixedSize);

    for (QAbstractButton *b : findChildren<QAbstractButton *>())
        if (qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b))
            connect(b, &QAbstractButton::toggled, this, [b] { PaintCheckedCaption(b); });
    // The ratio steps with the keys; Return, wherever the text was set up,
    // takes it (a focused button takes Return itself).
    edVHRatio->installEventFilter(this);

    RunColorDialog = [this](const QColor &Current, QList<QColor> &Custom) -> std::optional<QColor> {
        for (int i = 0; i < Custom.size(); ++i)
            QColorDialog::setCustomColor(i, Custom[i]);
        const QColor chosen = QColorDialog::getColor(Current, this);
        for (int i = 0; i < Custom.size(); ++i)
            Custom[i] = QColorDialog::customColor(i);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };

    const TMemIniFile ini(SettingsFileName());
    const int page = ini.ReadInteger(kSection, kPage, 0);
    pgcSetting->setCurrentIndex(page >= 0 && page < pgcSetting->count() ? page : 0);
}

TWordSettingDialog::~TWordSettingDialog()
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, kPage, pgcSetting->currentIndex());
    // The page shown is a convenience; the file layer reports a failed write.
    ini.UpdateFileOrTellOnce();
}

void TWordSettingDialog::BuildFontPage()
{
    auto *page = new QWidget(pgcSetting);
    lbFonts = Named(new QListWidget(page), "lbFonts");
    for (const auto &[name, charset] : ListFontNames()) {
        auto *item = new QListWidgetItem(name, lbFonts);
        item->setData(Qt::UserRole, charset);
    }
    lblCharset = Named(new QLabel(page), "lblCharset");
    ckbBold = Named(new QCheckBox(QStringLiteral("太字"), page), "ckbBold");
    ckbItalic = Named(new QCheckBox(QStringLiteral("斜体"), page), "ckbItalic");
    pnlFontColor = Named(new QLabel(page), "pnlFontColor");
    pnlFontColor->setFixedSize(40, 20);
    bbtnFontColor = Named(new QPushButton(QStringLiteral("..."), page), "bbtnFontColor");
    bbtnFontColor->setProperty("Tag", 2);
    cbxFSize = Named(new QComboBox(page), "cbxFSize");
    cbxFSize->addItem(QStringLiteral("自動"));
    for (size_t i = 1; i < FontSizeTable.size(); ++i)
        cbxFSize->addItem(QString::number(FontSizeTable[i]));
    edVHRatio = Named(new QLineEdit(page), "edVHRatio");
    edVHRatio->setMaxLength(3);
    edVHRatio->setFixedWidth(48);
    edVHRatio->setAttribute(Qt::WA_InputMethodEnabled, false);
    udVHRatio = Named(new TUpDown(page), "udVHRatio");
    udVHRatio->SetMin(20);
    udVHRatio->SetMax(300);
    udVHRatio->SetPosition(100);

    OnEntryChosen(lbFonts, this, [this](int Row) { FaceChosen(Row); });
    connect(ckbBold, &QCheckBox::toggled, this, &TWordSettingDialog::StyleChanged);
    connect(ckbItalic, &QCheckBox::toggled, this, &TWordSettingDialog::StyleChanged);
    connect(bbtnFontColor, &QPushButton::clicked, this, [this] { ChooseColor(2); });
    connect(cbxFSize, &QComboBox::currentIndexChanged, this, &TWordSettingDialog::SizeChosen);
    connect(edVHRatio, &QLineEdit::editingFinished, this, &TWordSettingDialog::RatioEdited);
    udVHRatio->OnClick = [this] {
        edVHRatio->setText(QString::number(udVHRatio->Position()));
        if (m_loading)
            return;
        m_work->SetVHRatio(udVHRatio->Position());
        Changed();
    };

    auto *grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("フォント名："), page), 0, 0);
    grid->addWidget(lbFonts, 1, 0, 6, 1);
    grid->addWidget(new QLabel(QStringLiteral("書体："), page), 0, 1);
    grid->addWidget(lblCharset, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("書式："), page), 1, 1);
    auto *style = new QHBoxLayout;
    style->addWidget(ckbBold);
    style->addWidget(ckbItalic);
    grid->addLayout(style, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("色："), page), 2, 1);
    auto *color = new QHBoxLayout;
    color->addWidget(pnlFontColor);
    color->addWidget(bbtnFontColor);
    color->addStretch();
    grid->addLayout(color, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("サイズ："), page), 3, 1);
    grid->addWidget(cbxFSize, 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("縦横比："), page), 4, 1);
    auto *ratio = new QHBoxLayout;
    ratio->addWidget(edVHRatio);
    ratio->addWidget(udVHRatio);
    ratio->addStretch();
    grid->addLayout(ratio, 4, 2);
    grid->setRowStretch(5, 1);
    pgcSetting->addTab(page, QStringLiteral("フォント"));
}

void TWordSettingDialog::BuildAlignPage()
{
    auto *page = new QWidget(pgcSetting);
    auto *horz = new QGroupBox(QStringLiteral("横方向"), page);
    rbRight = Named(new QRadioButton(QStringLiteral("右に寄せる"), horz), "rbRight");
    rbHorzCenter = Named(new QRadioButton(QStringLiteral("中央に表示"), horz), "rbHorzCenter");
    rbLeft = Named(new QRadioButton(QStringLiteral("左に寄せる"), horz), "rbLeft");
    auto *vert = new QGroupBox(QStringLiteral("縦方向"), page);
    rbTop = Named(new QRadioButton(QStringLiteral("上に寄せる"), vert), "rbTop");
    rbVertCenter = Named(new QRadioButton(QStringLiteral("中央に表示"), vert), "rbVertCenter");
    rbBottom = Named(new QRadioButton(QStringLiteral("下に寄せる"), vert), "rbBottom");
    auto *horzGroup = new QButtonGroup(page);
    auto *vertGroup = new QButtonGroup(page);
    int tag = 0;
    auto *hl = new QVBoxLayout(horz);
    for (QRadioButton *b : {rbRight, rbHorzCenter, rbLeft}) {
        horzGroup->addButton(b, tag++);
        hl->addWidget(b);
    }
    tag = 0;
    auto *vl = new QVBoxLayout(vert);
    for (QRadioButton *b : {rbTop, rbVertCenter, rbBottom}) {
        vertGroup->addButton(b, tag++);
        vl->addWidget(b);
    }
    connect(horzGroup, &QButtonGroup::idClicked, this, &TWordSettingDialog::AlignmentChanged);
    connect(vertGroup, &QButtonGroup::idClicked, this, &TWordSettingDialog::AlignmentChanged);
    ckbWrap = Named(new QCheckBox(QStringLiteral("枠に合わせて自動改行する"), page), "ckbWrap");
    connect(ckbWrap, &QCheckBox::toggled, this, [this](bool On) {
        if (m_loading)
            return;
        m_work->SetWordWrap(On);
        Changed();
    });
    ckbLineSpace = Named(new QCheckBox(QStringLiteral("行間の幅を指定する："), page), "ckbLineSpace");
    cbxLineSpace = Named(new QComboBox(page), "cbxLineSpace");
    cbxLineSpace->addItems({QStringLiteral("なし"), QStringLiteral("狭い"), QStringLiteral("普通"),
                            QStringLiteral("やや広い"), QStringLiteral("広い")});
    connect(ckbLineSpace, &QCheckBox::toggled, this, &TWordSettingDialog::LineSpaceChanged);
    connect(cbxLineSpace, &QComboBox::currentIndexChanged, this, &TWordSettingDialog::LineSpaceChanged);

    auto *grid = new QGridLayout(page);
    grid->addWidget(horz, 0, 0);
    grid->addWidget(vert, 0, 1);
    grid->addWidget(ckbWrap, 1, 0, 1, 2);
    grid->addWidget(ckbLineSpace, 2, 0);
    grid->addWidget(cbxLineSpace, 2, 1);
    grid->setRowStretch(3, 1);
    pgcSetting->addTab(page, QStringLiteral("文字の配置"));
}

void TWordSettingDialog::BuildFramePage()
{
    auto *page = new QWidget(pgcSetting);
    ckbFrame = Named(new QCheckBox(QStringLiteral("枠線"), page), "ckbFrame");
    NewFrameLists(page, cbxLineCount, cbxCorner, cbxLineWidth);
    pnlFrameColor = Named(new QLabel(page), "pnlFrameColor");
    pnlFrameColor->setFixedSize(40, 20);
    bbtnFrameColor = Named(new QPushButton(QStringLiteral("..."), page), "bbtnFrameColor");
    bbtnFrameColor->setProperty("Tag", 0);
    ckbBack = Named(new QCheckBox(QStringLiteral("背景"), page), "ckbBack");
    pnlBackColor = Named(new QLabel(page), "pnlBackColor");
    pnlBackColor->setFixedSize(40, 20);
    bbtnBackColor = Named(new QPushButton(QStringLiteral("..."), page), "bbtnBackColor");
    bbtnBackColor->setProperty("Tag", 1);
    lblBackColor = new QLabel(QStringLiteral("色："), page);

    connect(ckbFrame, &QCheckBox::toggled, this, &TWordSettingDialog::FrameChanged);
    connect(ckbBack, &QCheckBox::toggled, this, &TWordSettingDialog::BackChanged);
    connect(cbxLineCount, &QComboBox::currentIndexChanged, this, [this](int I) {
        if (m_loading || I < 0)
            return;
        m_work->Frame().SetLineCount(quint8(I));
        Changed();
    });
    connect(cbxCorner, &QComboBox::currentIndexChanged, this, [this](int I) {
        if (m_loading || I < 0)
            return;
        m_work->Frame().SetCorner(quint8(I));
        Changed();
    });
    connect(cbxLineWidth, &QComboBox::currentIndexChanged, this, [this](int I) {
        if (m_loading || I < 0)
            return;
        m_work->Frame().SetLineWidth(quint8(I));
        Changed();
    });
    connect(bbtnFrameColor, &QPushButton::clicked, this, [this] { ChooseColor(0); });
    connect(bbtnBackColor, &QPushButton::clicked, this, [this] { ChooseColor(1); });

    auto *grid = new QGridLayout(page);
    grid->addWidget(ckbFrame, 0, 0, 1, 3);
    const QList<QPair<QString, QWidget *>> rows{{QStringLiteral("線の種類："), cbxLineCount},
                                                {QStringLiteral("角："), cbxCorner},
                                                {QStringLiteral("線の太さ："), cbxLineWidth}};
    int row = 1;
    for (const auto &[caption, box] : rows) {
        auto *label = new QLabel(caption, page);
        m_frameLabels.append(label);
        grid->addWidget(label, row, 1);
        grid->addWidget(box, row++, 2);
    }
    auto *frameColorLabel = new QLabel(QStringLiteral("色："), page);
    m_frameLabels.append(frameColorLabel);
    grid->addWidget(frameColorLabel, row, 1);
    auto *frameColor = new QHBoxLayout;
    frameColor->addWidget(pnlFrameColor);
    frameColor->addWidget(bbtnFrameColor);
    frameColor->addStretch();
    grid->addLayout(frameColor, row++, 2);
    grid->addWidget(ckbBack, row++, 0, 1, 3);
    grid->addWidget(lblBackColor, row, 1);
    auto *backColor = new QHBoxLayout;
    backColor->addWidget(pnlBackColor);
    backColor->addWidget(bbtnBackColor);
    backColor->addStretch();
    grid->addLayout(backColor, row++, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnMinimumWidth(0, 16);
    pgcSetting->addTab(page, QStringLiteral("飾り枠"));
}

void TWordSettingDialog::SetItem(const TWordRect &Item)
{
    m_work->Assign(Item);
    m_work->SetReferenceDevice(TReferenceDevice::screen());
    pnlPreview->Fit();

    m_loading = true;
    cbxFSize->setCurrentIndex(std::clamp(m_work->GetFontSizeIndex(), 0, cbxFSize->count() - 1));
    udVHRatio->SetPosition(m_work->GetVHRatio());
    edVHRatio->setText(QString::number(m_work->GetVHRatio()));
    (m_work->IsHorizontal() ? rbHorizontal : rbVertical)->setChecked(true);
    const int alignment = m_work->GetAlignment();
    const std::array vertical{rbTop, rbVertCenter, rbBottom};
    const std::array horizontal{rbRight, rbHorzCenter, rbLeft};
    vertical[size_t(std::clamp(alignment / 3, 0, 2))]->setChecked(true);
    horizontal[size_t(std::clamp(alignment % 3, 0, 2))]->setChecked(true);
    const int space = m_work->GetLineSpace();
    ckbLineSpace->setChecked(space != 0);
    cbxLineSpace->setCurrentIndex(space == 0 ? 0 : std::clamp(space - 1, 0, cbxLineSpace->count() - 1));
    cbxLineSpace->setEnabled(space != 0);
    ckbWrap->setChecked(m_work->GetWordWrap());
    m_loading = false;

    // The frame's controls write through their handlers: the presets of an
    // absent frame or background become the item's colours, so switching
    // one on shows it in a colour that can be seen.
    TRectFrame &frame = m_work->Frame();
    const bool hasFrame = frame.HasFrame(), hasBack = frame.HasBack();
    ckbFrame->setChecked(hasFrame);
    FrameChanged();
    if (!hasFrame)
        frame.SetFrameColor(kFramePreset);
    ckbBack->setChecked(hasBack);
    BackChanged();
    if (!hasBack)
        frame.SetBackColor(kBackPreset);
    m_loading = true;
    cbxLineCount->setCurrentIndex(std::clamp<int>(frame.GetLineCount(), 0, cbxLineCount->count() - 1));
    cbxCorner->setCurrentIndex(std::clamp<int>(frame.GetCorner(), 0, cbxCorner->count() - 1));
    cbxLineWidth->setCurrentIndex(std::clamp<int>(frame.GetLineWidth(), 0, cbxLineWidth->count() - 1));
    m_loading = false;
    paintSwatch(pnlFrameColor, frame.GetFrameColor());
    paintSwatch(pnlBackColor, frame.GetBackColor());
    UpdateCharset();
    PaintCaptions();
    pnlPreview->update();
}

void TWordSettingDialog::UpdateCharset()
{
    // The list holds the upright faces; a vertical face stands for its
    // upright one.
    TFont font = m_work->GetFont();
    if (font.Name.startsWith(QLatin1Char('@'))) {
        font.Name.remove(0, 1);
        m_work->SetFont(font);
    }
    m_loading = true;
    const QList<QListWidgetItem *> found = lbFonts->findItems(font.Name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty()) {
        lbFonts->setCurrentRow(-1);
        lbFonts->clearSelection();
    } else {
        lbFonts->setCurrentItem(found.first());
    }
    if (font.Charset == ANSI_CHARSET)
        lblCharset->setText(QStringLiteral("欧文"));
    else if (font.Charset == SHIFTJIS_CHARSET)
        lblCharset->setText(QStringLiteral("日本語"));
    ckbBold->setChecked(font.Style & fsBold);
    ckbItalic->setChecked(font.Style & fsItalic);
    paintSwatch(pnlFontColor, m_work->GetFontColor());
    m_loading = false;
}

void TWordSettingDialog::PaintCaptions()
{
    for (QAbstractButton *b : findChildren<QAbstractButton *>())
        if (qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b))
            PaintCheckedCaption(b);
}

void TWordSettingDialog::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    UpdateCharset();
    pnlPreview->Fit();
    QWidget *first = ckbFrame;
    if (pgcSetting->currentIndex() == 0)
        first = lbFonts;
    else if (pgcSetting->currentIndex() == 1)
        first = rbLeft->isChecked() ? rbLeft : rbHorzCenter->isChecked() ? rbHorzCenter : rbRight;
    first->setFocus();
}

void TWordSettingDialog::Changed()
{
    pnlPreview->update();
}

void TWordSettingDialog::FaceChosen(int Row)
{
    if (m_loading)
        return;
    const QListWidgetItem *entry = lbFonts->item(Row);
    TFont font = m_work->GetFont();
    font.Charset = entry->data(Qt::UserRole).toInt();
    font.Name = entry->text();
    m_work->SetFont(font);
    if (font.Charset == ANSI_CHARSET)
        lblCharset->setText(QStringLiteral("欧文"));
    else if (font.Charset == SHIFTJIS_CHARSET)
        lblCharset->setText(QStringLiteral("日本語"));
    Changed();
}

void TWordSettingDialog::StyleChanged()
{
    if (m_loading)
        return;
    TFont font = m_work->GetFont();
    font.Style = static_cast<unsigned char>((ckbBold->isChecked() ? fsBold : 0) | (ckbItalic->isChecked() ? fsItalic : 0));
    m_work->SetFont(font);
    Changed();
}

void TWordSettingDialog::SizeChosen(int Index)
{
    if (m_loading || Index < 0)
        return;
    m_work->SetFontSizeIndex(Index);
    Changed();
}

void TWordSettingDialog::RatioEdited()
{
    bool ok = false;
    const int typed = edVHRatio->text().trimmed().toInt(&ok);
    if (!ok || typed < 0) {
        edVHRatio->setText(QString::number(udVHRatio->Position()));
        return;
    }
    udVHRatio->SetPosition(typed);
    edVHRatio->setText(QString::number(udVHRatio->Position()));
    if (m_loading)
        return;
    m_work->SetVHRatio(udVHRatio->Position());
    Changed();
}

void TWordSettingDialog::DirectionChanged(int Direction)
{
    if (m_loading)
        return;
    const bool horizontal = Direction == 1;
    if (m_work->IsHorizontal() == horizontal)
        return;
    m_work->SetHorizontal(horizontal);
    // The box turns a quarter about its top-left corner.
    const TPageRect r = m_work->GetRect();
    m_work->SetRect({r.Left, r.Top, r.Left + (r.Bottom - r.Top), r.Top + (r.Right - r.Left)});
    pnlPreview->Fit();
    Changed();
}

void TWordSettingDialog::AlignmentChanged()
{
    if (m_loading)
        return;
    const int vertical = rbBottom->isChecked() ? 2 : rbVertCenter->isChecked() ? 1 : 0;
    const int horizontal = rbLeft->isChecked() ? 2 : rbHorzCenter->isChecked() ? 1 : 0;
    m_work->SetAlignment(vertical * 3 + horizontal);
    Changed();
}

void TWordSettingDialog::LineSpaceChanged()
{
    cbxLineSpace->setEnabled(ckbLineSpace->isChecked());
    if (m_loading)
        return;
    m_work->SetLineSpace(ckbLineSpace->isChecked() ? quint8(cbxLineSpace->currentIndex() + 1) : quint8(0));
    Changed();
}

void TWordSettingDialog::FrameChanged()
{
    const bool on = ckbFrame->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(cbxLineCount), static_cast<QWidget *>(cbxCorner),
                       static_cast<QWidget *>(cbxLineWidth), static_cast<QWidget *>(pnlFrameColor),
                       static_cast<QWidget *>(bbtnFrameColor)})
        w->setEnabled(on);
    for (QWidget *w : m_frameLabels)
        w->setEnabled(on);
    if (m_loading)
        return;
    m_work->Frame().SetFrame(on);
    Changed();
}

void TWordSettingDialog::BackChanged()
{
    const bool on = ckbBack->isChecked();
    lblBackColor->setEnabled(on);
    bbtnBackColor->setEnabled(on);
    if (m_loading)
        return;
    m_work->Frame().SetBack(on);
    Changed();
}

void TWordSettingDialog::ChooseColor(int Which)
{
    TRectFrame &frame = m_work->Frame();
    const TColor current = Which == 0 ? frame.GetFrameColor() : Which == 1 ? frame.GetBackColor()
                                                                           : m_work->GetFontColor();
    QList<QColor> custom = LoadCustomColors();
    const std::optional<QColor> chosen = RunColorDialog ? RunColorDialog(ColorToQColor(current), custom) : std::nullopt;
    SaveCustomColors(custom);
    if (!chosen)
        return;
    const TColor color = QColorToColor(*chosen);
    if (Which == 0) {
        frame.SetFrameColor(color);
        paintSwatch(pnlFrameColor, color);
    } else if (Which == 1) {
        frame.SetBackColor(color);
        paintSwatch(pnlBackColor, color);
    } else {
        m_work->SetFontColor(color);
        paintSwatch(pnlFontColor, color);
    }
    Changed();
}

bool TWordSettingDialog::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == edVHRatio && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        const int step = key == Qt::Key_PageUp ? 10 : key == Qt::Key_PageDown ? -10 : key == Qt::Key_Up ? 1
                         : key == Qt::Key_Down ? -1 : 0;
        if (step != 0) {
            udVHRatio->SetPosition(udVHRatio->Position() + step);
            if (udVHRatio->OnClick)
                udVHRatio->OnClick();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}
