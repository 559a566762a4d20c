#include "dialogs/CstmLbl.h"

#include "dialogs/LblFmt.h"
#include "dialogs/PaperDlgCommon.h"
#include "dialogs/PaperDlgSub.h"
#include "dialogs/PaperPreview.h"
#include "dialogs/UpDown.h"
#include "items/BarRect.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/StrFunc.h"
#include "util/SubUnit.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/EnterKey.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
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
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kMaxPosition = 32767;
constexpr int kMinFramePixels = 10;

int rounded(double v) { return static_cast<int>(RoundHalfAway(static_cast<long double>(v))); }

bool isLengthField(int tag) { return tag != TCustomLabelDialog::fCol && tag != TCustomLabelDialog::fRow; }

} // namespace

TCustomLabelDialog::TCustomLabelDialog(TNewLabelDialog *sheets, QWidget *owner) : QDialog(owner), m_sheets(sheets)
{
    setObjectName(QStringLiteral("CustomLabelDialog"));
    setWindowTitle(QStringLiteral("カスタム用紙の作成"));

    edName = PaperDlg::nameEdit(this);

    pgcBase = new QStackedWidget(this);
    auto *labelPage = new QWidget(pgcBase);
    cbxLblCategory = PaperDlg::control<QComboBox>(labelPage, "cbxLblCategory");
    lbLabel = PaperDlg::control<QListWidget>(labelPage, "lbLabel");
    rbLblV = PaperDlg::radio(labelPage, "rbLblV", QStringLiteral("縦"));
    rbLblH = PaperDlg::radio(labelPage, "rbLblH", QStringLiteral("横"));
    auto *labelForm = new QFormLayout(labelPage);
    labelForm->addRow(QStringLiteral("種類："), cbxLblCategory);
    labelForm->addRow(QStringLiteral("用紙："), lbLabel);
    labelForm->addRow(QStringLiteral("用紙方向："), PaperDlg::radioPair(labelPage, rbLblV, rbLblH));
    pgcBase->addWidget(labelPage);
    auto *cardPage = new QWidget(pgcBase);
    cbxCrdCategory = PaperDlg::control<QComboBox>(cardPage, "cbxCrdCategory");
    lbCard = PaperDlg::control<QListWidget>(cardPage, "lbCard");
    rbCrdV = PaperDlg::radio(cardPage, "rbCrdV", QStringLiteral("縦"));
    rbCrdH = PaperDlg::radio(cardPage, "rbCrdH", QStringLiteral("横"));
    rbCrdWordV = PaperDlg::radio(cardPage, "rbCrdWordV", QStringLiteral("縦書き"));
    rbCrdWordH = PaperDlg::radio(cardPage, "rbCrdWordH", QStringLiteral("横書き"));
    auto *cardForm = new QFormLayout(cardPage);
    cardForm->addRow(QStringLiteral("種類："), cbxCrdCategory);
    cardForm->addRow(QStringLiteral("用紙："), lbCard);
    cardForm->addRow(QStringLiteral("用紙方向："), PaperDlg::radioPair(cardPage, rbCrdV, rbCrdH));
    cardForm->addRow(QStringLiteral("方向："), PaperDlg::radioPair(cardPage, rbCrdWordV, rbCrdWordH));
    pgcBase->addWidget(cardPage);
    auto *baseBox = new QGroupBox(QStringLiteral("元にする用紙"), this);
    (new QVBoxLayout(baseBox))->addWidget(pgcBase);

    static const char *const editNames[10] = {"edPaperWidth", "edPaperHeight", "edWidth",   "edHeight",  "edCol",
                                              "edRow",        "edOffsetX",     "edOffsetY", "edSpaceX", "edSpaceY"};
    static const char *const upDownNames[10] = {"udPaperWidth", "udPaperHeight", "udWidth",   "udHeight",  "udCol",
                                                "udRow",        "udOffsetX",     "udOffsetY", "udSpaceX", "udSpaceY"};
    static const int minima[10] = {500, 500, 50, 50, 1, 1, 0, 0, 0, 0};
    auto *valuesBox = new QGroupBox(QStringLiteral("用紙情報"), this);
    auto *grid = new QGridLayout(valuesBox);
    for (int tag = 0; tag < 10; ++tag) {
        auto *edit = new QLineEdit(valuesBox);
        edit->setObjectName(QString::fromLatin1(editNames[tag]));
        edit->setProperty("tag", tag);
        edit->setAlignment(Qt::AlignRight);
        edit->setMaximumWidth(ScaleForDpi(64, true));
        edit->installEventFilter(this);
        auto *ud = new TUpDown(valuesBox);
        ud->setObjectName(QString::fromLatin1(upDownNames[tag]));
        ud->SetMin(minima[tag]);
        ud->SetMax(tag < 2 ? 5940 : kMaxPosition);
        ud->OnClick = [this, tag] {
            m_edits[tag]->setText(isLengthField(tag) ? QString::asprintf("%.1f", m_upDowns[tag]->Position() / 10.0)
                                                     : QString::number(m_upDowns[tag]->Position()));
            ApplyValues();
        };
        connect(edit, &QLineEdit::editingFinished, this, [this, tag] { EditLeft(tag); });
        m_edits[tag] = edit;
        m_upDowns[tag] = ud;
    }
    static const char *const rowCaptions[5][3] = {{"用紙：", "幅", "高さ"},
                                                  {"ラベル：", "幅", "高さ"},
                                                  {"枚数：", "横", "縦"},
                                                  {"余白：", "左", "上"},
                                                  {"間隔：", "横", "縦"}};
    for (int row = 0; row < 5; ++row) {
        grid->addWidget(new QLabel(QString::fromUtf8(rowCaptions[row][0]), valuesBox), row, 0);
        for (int k = 0; k < 2; ++k) {
            grid->addWidget(new QLabel(QString::fromUtf8(rowCaptions[row][1 + k]), valuesBox), row, 1 + k * 3);
            grid->addWidget(m_edits[row * 2 + k], row, 2 + k * 3);
            grid->addWidget(m_upDowns[row * 2 + k], row, 3 + k * 3);
        }
    }

    pnlImage = PaperDlg::previewFrame(this, "pnlImage", 240, 300);
    pnlImage->installEventFilter(this);
    pnlCard = PaperDlg::previewCard(pnlImage, [this](QPainter &p) { paintCard(p); });

    btnOK = PaperDlg::button(this, "btnOK", QStringLiteral("OK"));
    btnOK->setDefault(true);
    btnCancel = PaperDlg::button(this, "btnCancel", QStringLiteral("キャンセル"));

    QHBoxLayout *nameRow = PaperDlg::nameRow(this, edName);
    auto *left = new QVBoxLayout;
    left->addLayout(nameRow);
    left->addWidget(baseBox);
    left->addWidget(valuesBox);
    PaperDlg::arrange(this, left, pnlImage, btnOK, btnCancel);

    for (QWidget *w : {static_cast<QWidget *>(edName), static_cast<QWidget *>(cbxLblCategory),
                       static_cast<QWidget *>(cbxCrdCategory), static_cast<QWidget *>(lbLabel),
                       static_cast<QWidget *>(lbCard), static_cast<QWidget *>(rbLblV), static_cast<QWidget *>(rbLblH),
                       static_cast<QWidget *>(rbCrdV), static_cast<QWidget *>(rbCrdH),
                       static_cast<QWidget *>(rbCrdWordV), static_cast<QWidget *>(rbCrdWordH)})
        w->installEventFilter(this);
    connect(cbxLblCategory, &QComboBox::activated, this, [this] {
        fillNames(cbxLblCategory, lbLabel);
        SelectFormat(true);
    });
    connect(cbxCrdCategory, &QComboBox::activated, this, [this] {
        fillNames(cbxCrdCategory, lbCard);
        SelectFormat(true);
    });
    connect(lbLabel, &QListWidget::currentRowChanged, this, [this] { SelectFormat(true); });
    connect(lbCard, &QListWidget::currentRowChanged, this, [this] { SelectFormat(true); });
    connect(rbLblV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbLblV, rbLblH);
        SelectFormat(true);
    });
    connect(rbCrdV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbCrdV, rbCrdH);
        if (m_updating)
            return;
        PaperDlg::writeAcrossOnlyWhen(rbCrdV, rbCrdH, rbCrdWordV, rbCrdWordH);
        SelectFormat(true);
    });
    connect(rbCrdWordV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbCrdWordV, rbCrdWordH);
        SelectFormat(true);
    });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TCustomLabelDialog::~TCustomLabelDialog() = default;

void TCustomLabelDialog::fillCategory(QComboBox *combo, TPaperKind kind)
{
    combo->clear();
    for (const TListEntry &e : ListCategories(m_sheets->Catalogue().Records, kind))
        combo->addItem(e.Text, e.First);
}

void TCustomLabelDialog::fillNames(QComboBox *combo, QListWidget *list)
{
    const bool was = m_updating;
    m_updating = true;
    list->clear();
    for (const TListEntry &e : ListNames(m_sheets->Catalogue().Records, combo->currentData().toInt()))
        (new QListWidgetItem(e.Text, list))->setData(Qt::UserRole, e.First);
    if (list->count() > 0)
        list->setCurrentRow(0);
    m_updating = was;
}

void TCustomLabelDialog::SetBaseSheet(int index)
{
    m_updating = true;
    m_baseIndex = index;
    m_base = m_sheets->GetFormat(index);
    m_format = m_base;
    m_grid = m_base.GridIndex > 0 ? m_sheets->GetGrid(m_base.GridIndex - 1) : TLabelGrid{};
    const bool card = m_base.PaperKind() == TPaperKind::Card;
    pgcBase->setCurrentIndex(card ? 1 : 0);
    setProperty("HelpContext", card ? 88 : 80);
    QComboBox *combo = card ? cbxCrdCategory : cbxLblCategory;
    QListWidget *list = card ? lbCard : lbLabel;
    fillCategory(combo, card ? TPaperKind::Card : TPaperKind::Label);
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == m_base.CategoryText())
            combo->setCurrentIndex(i);
    fillNames(combo, list);
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == m_base.NameText())
            list->setCurrentRow(i);
    if (!card) {
        (m_base.Direction != 0 ? rbLblH : rbLblV)->setChecked(true);
    } else {
        (m_base.Direction == 0 ? rbCrdV : rbCrdH)->setChecked(true);
        (m_base.Direction == 2 ? rbCrdWordV : rbCrdWordH)->setChecked(true);
        rbCrdWordV->setEnabled(m_base.Direction != 0);
    }
    PaperDlg::paintPair(rbLblV, rbLblH);
    PaperDlg::paintPair(rbCrdV, rbCrdH);
    PaperDlg::paintPair(rbCrdWordV, rbCrdWordH);
    m_updating = false;
}

void TCustomLabelDialog::SetCustomSheet(const TCustomFormat &format)
{
    SetBaseSheet(format.BaseIndex);
    m_format = format.Format;
}

void TCustomLabelDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    SelectFormat(false);
}

void TCustomLabelDialog::SelectFormat(bool fromControl)
{
    if (m_updating)
        return;
    if (fromControl) {
        const bool card = pgcBase->currentIndex() == 1;
        QListWidget *list = card ? lbCard : lbLabel;
        if (!list->currentItem())
            return;
        int index = list->currentItem()->data(Qt::UserRole).toInt();
        if (!card)
            index += rbLblH->isChecked() ? 1 : 0;
        else
            index += (rbCrdH->isChecked() ? 1 : 0) + (rbCrdWordV->isChecked() ? 1 : 0);
        if (index == m_baseIndex)
            return;
        m_baseIndex = index;
        m_base = m_sheets->GetFormat(index);
        m_format = m_base;
        m_grid = m_base.GridIndex > 0 ? m_sheets->GetGrid(m_base.GridIndex - 1) : TLabelGrid{};
    }
    SetLimitsFromGrid();
    EnableFields();
    ShowCurrentSheet();
}

void TCustomLabelDialog::SetLimitsFromGrid()
{
    const int W = m_grid.SheetWidth, H = m_grid.SheetHeight;
    const int w = std::max(1, m_format.Width), h = std::max(1, m_format.Height);
    const int c = m_grid.Columns, r = m_grid.Rows, L = m_grid.LeftMargin, T = m_grid.TopMargin;
    auto &ud = m_upDowns;
    if (!turned()) {
        ud[fWidth]->SetMax(W);
        ud[fHeight]->SetMax(H);
        ud[fCol]->SetMax(W / w);
        ud[fRow]->SetMax(H / h);
        ud[fOffsetX]->SetMax(W - w * c);
        ud[fOffsetY]->SetMax(H - h * r);
        ud[fSpaceX]->SetMax(c != 1 && c != 0 ? (W - (w * c + L)) / (c - 1) : 0);
        ud[fSpaceY]->SetMax(r != 1 && r != 0 ? (H - (h * r + T)) / (r - 1) : 0);
    } else {
        ud[fWidth]->SetMax(H);
        ud[fHeight]->SetMax(W);
        ud[fCol]->SetMax(H / w);
        ud[fRow]->SetMax(W / h);
        ud[fOffsetX]->SetMax(H - w * r);
        ud[fOffsetY]->SetMax(W - h * c);
        ud[fSpaceX]->SetMax(r != 1 && r != 0 ? (H - (w * r + T)) / (r - 1) : 0);
        ud[fSpaceY]->SetMax(c != 1 && c != 0 ? (W - (h * c + L)) / (c - 1) : 0);
    }
}

void TCustomLabelDialog::EnableFields()
{
    for (int tag = fCol; tag <= fSpaceY; ++tag) {
        const bool off = tag <= fRow ? m_upDowns[tag]->Max() <= 1 : m_upDowns[tag]->Max() <= 0;
        m_upDowns[tag]->setEnabled(!off);
        m_edits[tag]->setReadOnly(off);
        QPalette pal = m_edits[tag]->palette();
        pal.setColor(QPalette::Base, palette().color(off ? QPalette::Button : QPalette::Base));
        m_edits[tag]->setPalette(pal);
    }
}

void TCustomLabelDialog::ShowCurrentSheet()
{
    const bool was = m_updating;
    m_updating = true;
    auto &ud = m_upDowns;
    ud[fWidth]->SetPosition(m_format.Width);
    ud[fHeight]->SetPosition(m_format.Height);
    if (m_format.PaperKind() == TPaperKind::Label) {
        int size = 0;
        m_noBarcode = !BarcodeSizeForLength(PaperFmt::barcodeAxisLength(m_format), size);
    } else {
        m_noBarcode = false;
    }
    const TLabelGrid &g = m_grid;
    if (!turned()) {
        ud[fPaperWidth]->SetPosition(g.SheetWidth);
        ud[fPaperHeight]->SetPosition(g.SheetHeight);
        ud[fCol]->SetPosition(g.Columns);
        ud[fRow]->SetPosition(g.Rows);
        ud[fOffsetX]->SetPosition(g.LeftMargin);
        ud[fOffsetY]->SetPosition(g.TopMargin);
        ud[fSpaceX]->SetPosition(g.GapX);
        ud[fSpaceY]->SetPosition(g.GapY);
    } else {
        ud[fPaperWidth]->SetPosition(g.SheetHeight);
        ud[fPaperHeight]->SetPosition(g.SheetWidth);
        ud[fCol]->SetPosition(g.Rows);
        ud[fRow]->SetPosition(g.Columns);
        ud[fOffsetX]->SetPosition(g.TopMargin);
        ud[fOffsetY]->SetPosition(g.SheetWidth - m_format.Height * g.Columns - (g.Columns - 1) * g.GapX - g.LeftMargin);
        ud[fSpaceX]->SetPosition(g.GapY);
        ud[fSpaceY]->SetPosition(g.GapX);
    }
    for (int tag = 0; tag < 10; ++tag)
        m_edits[tag]->setText(isLengthField(tag) ? QString::asprintf("%.1f", ud[tag]->Position() / 10.0)
                                                 : QString::asprintf("%d", ud[tag]->Position()));
    m_updating = was;
    UpdatePreview();
}

void TCustomLabelDialog::ApplyValues()
{
    auto &ud = m_upDowns;
    // Each maximum follows from the values before it, read after they were clamped.
    const int W = ud[fPaperWidth]->Position(), H = ud[fPaperHeight]->Position();
    ud[fWidth]->SetMax(W);
    ud[fHeight]->SetMax(H);
    const int w = std::max(1, ud[fWidth]->Position()), h = std::max(1, ud[fHeight]->Position());
    ud[fCol]->SetMax(W / w);
    ud[fRow]->SetMax(H / h);
    const int c = ud[fCol]->Position(), r = ud[fRow]->Position();
    ud[fOffsetX]->SetMax(W - w * c);
    ud[fOffsetY]->SetMax(H - h * r);
    const int L = ud[fOffsetX]->Position(), T = ud[fOffsetY]->Position();
    ud[fSpaceX]->SetMax(c != 1 ? (W - (w * c + L)) / (c - 1) : 0);
    ud[fSpaceY]->SetMax(r != 1 ? (H - (h * r + T)) / (r - 1) : 0);
    EnableFields();

    m_format.Width = ud[fWidth]->Position();
    m_format.Height = ud[fHeight]->Position();
    ScaleFrames();

    const int gx = ud[fSpaceX]->Position(), gy = ud[fSpaceY]->Position();
    if (!turned()) {
        m_grid = {W, H, c, r, L, T, gx, gy};
    } else {
        m_grid.SheetWidth = H;
        m_grid.SheetHeight = W;
        m_grid.Columns = r;
        m_grid.Rows = c;
        m_grid.LeftMargin = H - r * m_format.Height - gy * (r - 1) - T;
        m_grid.TopMargin = L;
        m_grid.GapX = gy;
        m_grid.GapY = gx;
    }
    ShowCurrentSheet();
}

void TCustomLabelDialog::ScaleFrames()
{
    if (m_base.Width <= 0 || m_base.Height <= 0)
        return;
    const double fx = static_cast<double>(m_format.Width) / m_base.Width;
    const double fy = static_cast<double>(m_format.Height) / m_base.Height;
    const int pieceW = PaperFmt::tenthsToPixels(m_format.Width), pieceH = PaperFmt::tenthsToPixels(m_format.Height);
    const bool label = m_format.PaperKind() == TPaperKind::Label;
    for (auto [from, to] : {std::pair{&m_base.Simple, &m_format.Simple}, std::pair{&m_base.Detail, &m_format.Detail}}) {
        to->Count = from->Count;
        for (int i = 0; i < std::clamp(from->Count, 0, kMaxFrames); ++i) {
            const TFrameRect &b = from->Rects[static_cast<size_t>(i)];
            TFrameRect &r = to->Rects[static_cast<size_t>(i)];
            if (label && i == from->Count - 1) {
                // The barcode keeps its size and stays on the label.
                // A barcode longer than the label cannot print (the notice says so);
                // its frame is cut to the label so it never lies outside it.
                const int bw = std::min(b.Right - b.Left, pieceW), bh = std::min(b.Bottom - b.Top, pieceH);
                r.Left = std::clamp(rounded(b.Left * fx), 0, std::max(0, pieceW - bw));
                r.Top = std::clamp(rounded(b.Top * fy), 0, std::max(0, pieceH - bh));
                r.Right = r.Left + bw;
                r.Bottom = r.Top + bh;
                continue;
            }
            r.Left = rounded(b.Left * fx);
            r.Top = rounded(b.Top * fy);
            r.Right = std::max(rounded(b.Right * fx), r.Left + kMinFramePixels);
            r.Bottom = std::max(rounded(b.Bottom * fy), r.Top + kMinFramePixels);
        }
    }
}

void TCustomLabelDialog::EditLeft(int tag)
{
    if (m_updating || m_edits[tag]->isReadOnly())
        return;
    const QString text = m_edits[tag]->text();
    bool ok = false;
    if (!isLengthField(tag)) {
        const int v = text.trimmed().toInt(&ok);
        if (ok && v >= 0) {
            m_upDowns[tag]->SetPosition(std::min(v, kMaxPosition));
            ApplyValues();
        } else {
            m_edits[tag]->setText(QString::asprintf("%d", m_upDowns[tag]->Position()));
        }
        return;
    }
    const std::optional<int> tenths = PaperDlg::parseTenths(text);
    if (!tenths) {
        m_edits[tag]->setText(QString::asprintf("%.1f", m_upDowns[tag]->Position() / 10.0));
        return;
    }
    m_upDowns[tag]->SetPosition(*tenths);
    ApplyValues();
}

void TCustomLabelDialog::UpdatePreview()
{
    if (m_grid.SheetWidth == 0 || m_grid.SheetHeight == 0) {
        pnlCard->setGeometry(0, 0, 0, 0);
        return;
    }
    const TSheetPreview p = PaperPreview::sheet(m_format, m_grid, pnlImage->size());
    CenterPreviewCard(pnlCard, pnlImage->size(), p.Size);
    pnlCard->update();
}

void TCustomLabelDialog::paintCard(QPainter &painter)
{
    TSheetPreview p = PaperPreview::sheet(m_format, m_grid, pnlImage->size());
    p.HiddenFrame = m_noBarcode ? static_cast<int>(p.Frames.size()) - 1 : -1;
    PaperPreview::paint(painter, p, PaperPreview::Outline::Black, true);
}

TCustomFormat TCustomLabelDialog::GetCustomSheet() const
{
    TCustomFormat c;
    c.Format = m_format;
    c.Format.Category = Cp932::encode(CustomCategory());
    c.Format.Name = Cp932::truncated(Cp932::encode(TrimBlanks(edName->text())), TLayoutFormat::NameCapacity);
    c.BaseIndex = m_baseIndex;
    if (m_base.Height <= m_base.Width)
        c.Landscape = 1;
    else
        c.Landscape = (m_base.PaperKind() == TPaperKind::Card && m_base.Direction == 1) ? 1 : 0;
    return c;
}

void TCustomLabelDialog::done(int result)
{
    if (result == QDialog::Accepted &&
        !PaperDlg::nameAccepted(this, edName, [this](const QByteArray &name) {
            return m_sheets->IsCustomNameUsed(name, m_format.PaperKind());
        }))
        return;
    QDialog::done(result);
}

bool TCustomLabelDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pnlImage) {
        if (event->type() == QEvent::Resize)
            UpdatePreview();
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        auto *edit = qobject_cast<QLineEdit *>(watched);
        const int key = static_cast<QKeyEvent *>(event)->key();
        const QVariant tag = watched->property("tag");
        if (edit && tag.isValid() && !edit->isReadOnly()) {
            const int delta = PaperDlg::stepForKey(key);
            if (delta != 0) {
                TUpDown *ud = m_upDowns[tag.toInt()];
                ud->SetPosition(ud->Position() + delta);
                ApplyValues();
                return true;
            }
        }
        if (IsEnterKeyPress(event)) {
            focusNextChild();
            if (auto *next = qobject_cast<QLineEdit *>(focusWidget()))
                next->end(false);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
