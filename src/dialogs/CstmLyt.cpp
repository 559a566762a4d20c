#include "dialogs/CstmLyt.h"

#include "dialogs/LytFmt.h"
#include "dialogs/PaperDlgCommon.h"
#include "dialogs/PaperDlgSub.h"
#include "dialogs/PaperPreview.h"
#include "dialogs/UpDown.h"
#include "items/BarRect.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/SubUnit.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/EnterKey.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
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

constexpr int kMinFramePixels = 10;

int rounded(double v) { return static_cast<int>(RoundHalfAway(static_cast<long double>(v))); }

} // namespace

TCustomLayoutFormatDialog::TCustomLayoutFormatDialog(TNewLayoutDialog *papers, QWidget *owner)
    : QDialog(owner), m_papers(papers)
{
    setObjectName(QStringLiteral("CustomLayoutFormatDialog"));
    setWindowTitle(QStringLiteral("カスタム用紙の作成"));
    edName = PaperDlg::nameEdit(this);

    pgcBase = new QStackedWidget(this);
    auto *pst = new QWidget(pgcBase);
    lbPostCard = PaperDlg::control<QListWidget>(pst, "lbPostCard");
    rbPostCardV = PaperDlg::radio(pst, "rbPostCardV", QStringLiteral("縦書き"));
    rbPostCardH = PaperDlg::radio(pst, "rbPostCardH", QStringLiteral("横書き"));
    auto *pstForm = new QFormLayout(pst);
    pstForm->addRow(QStringLiteral("用紙："), lbPostCard);
    pstForm->addRow(QStringLiteral("方向："), PaperDlg::radioPair(pst, rbPostCardV, rbPostCardH));
    pgcBase->addWidget(pst);
    auto *env = new QWidget(pgcBase);
    cbxEnvCategory = PaperDlg::control<QComboBox>(env, "cbxEnvCategory");
    lbEnvelope = PaperDlg::control<QListWidget>(env, "lbEnvelope");
    rbEnvCardV = PaperDlg::radio(env, "rbEnvCardV", QStringLiteral("縦"));
    rbEnvCardH = PaperDlg::radio(env, "rbEnvCardH", QStringLiteral("横"));
    rbEnvWordV = PaperDlg::radio(env, "rbEnvWordV", QStringLiteral("縦書き"));
    rbEnvWordH = PaperDlg::radio(env, "rbEnvWordH", QStringLiteral("横書き"));
    auto *envForm = new QFormLayout(env);
    envForm->addRow(QStringLiteral("分類："), cbxEnvCategory);
    envForm->addRow(QStringLiteral("用紙："), lbEnvelope);
    envForm->addRow(QStringLiteral("用紙方向："), PaperDlg::radioPair(env, rbEnvCardV, rbEnvCardH));
    envForm->addRow(QStringLiteral("方向："), PaperDlg::radioPair(env, rbEnvWordV, rbEnvWordH));
    pgcBase->addWidget(env);
    auto *baseBox = new QGroupBox(QStringLiteral("元にする用紙："), this);
    (new QVBoxLayout(baseBox))->addWidget(pgcBase);

    auto makeLength = [this](const char *editName, const char *upDownName, QLineEdit *&edit, TUpDown *&ud) {
        edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setAlignment(Qt::AlignRight);
        edit->setMaximumWidth(ScaleForDpi(64, true));
        edit->installEventFilter(this);
        ud = new TUpDown(this);
        ud->setObjectName(QString::fromLatin1(upDownName));
        ud->SetMax(5940);
        ud->SetMin(500);
        TUpDown *u = ud;
        QLineEdit *e = edit;
        ud->OnClick = [this, u, e] {
            e->setText(QString::asprintf("%.1f", u->Position() / 10.0));
            FitFramesToPaper();
        };
        connect(edit, &QLineEdit::editingFinished, this, [this, e, u] { EditLeft(e, u); });
    };
    makeLength("edPaperWidth", "udPaperWidth", edPaperWidth, udPaperWidth);
    makeLength("edPaperHeight", "udPaperHeight", edPaperHeight, udPaperHeight);
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(new QLabel(QStringLiteral("用紙サイズ："), this));
    sizeRow->addWidget(new QLabel(QStringLiteral("幅"), this));
    sizeRow->addWidget(edPaperWidth);
    sizeRow->addWidget(udPaperWidth);
    sizeRow->addWidget(new QLabel(QStringLiteral("高さ"), this));
    sizeRow->addWidget(edPaperHeight);
    sizeRow->addWidget(udPaperHeight);
    sizeRow->addStretch();

    pnlPreview = PaperDlg::previewFrame(this, "pnlPreview", 220, 300);
    pnlPreview->installEventFilter(this);
    pnlCard = PaperDlg::previewCard(pnlPreview, [this](QPainter &p) { paintCard(p); });
    btnOK = PaperDlg::button(this, "btnOK", QStringLiteral("OK"));
    btnOK->setDefault(true);
    btnCancel = PaperDlg::button(this, "btnCancel", QStringLiteral("キャンセル"));

    QHBoxLayout *nameRow = PaperDlg::nameRow(this, edName);
    auto *left = new QVBoxLayout;
    left->addLayout(nameRow);
    left->addWidget(baseBox);
    left->addLayout(sizeRow);
    PaperDlg::arrange(this, left, pnlPreview, btnOK, btnCancel);

    connect(cbxEnvCategory, &QComboBox::activated, this, [this] {
        fillEnvelopeNames();
        SelectFormat();
    });
    connect(lbPostCard, &QListWidget::currentRowChanged, this, [this] { SelectFormat(); });
    connect(lbEnvelope, &QListWidget::currentRowChanged, this, [this] { SelectFormat(); });
    connect(rbPostCardV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbPostCardV, rbPostCardH);
        SelectFormat();
    });
    connect(rbEnvCardV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbEnvCardV, rbEnvCardH);
        if (m_updating)
            return;
        PaperDlg::writeAcrossOnlyWhen(rbEnvCardH, rbEnvCardV, rbEnvWordV, rbEnvWordH);
        SelectFormat();
    });
    connect(rbEnvWordV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbEnvWordV, rbEnvWordH);
        SelectFormat();
    });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QWidget *w : findChildren<QWidget *>())
        if (qobject_cast<QComboBox *>(w) || qobject_cast<QRadioButton *>(w) || qobject_cast<QListWidget *>(w) || w == edName)
            w->installEventFilter(this);
}

TCustomLayoutFormatDialog::~TCustomLayoutFormatDialog() = default;

bool TCustomLayoutFormatDialog::envelopePage() const { return pgcBase->currentIndex() == 1; }

void TCustomLayoutFormatDialog::fillEnvelopeNames()
{
    const bool was = m_updating;
    m_updating = true;
    lbEnvelope->clear();
    for (const TListEntry &e : ListNames(m_papers->Catalogue().Records, cbxEnvCategory->currentData().toInt()))
        (new QListWidgetItem(e.Text, lbEnvelope))->setData(Qt::UserRole, e.First);
    if (lbEnvelope->count() > 0)
        lbEnvelope->setCurrentRow(0);
    m_updating = was;
}

void TCustomLayoutFormatDialog::SetBaseFormat(int index)
{
    m_updating = true;
    m_baseIndex = index;
    m_base = m_papers->GetFormat(index);
    m_format = m_base;
    const auto &records = m_papers->Catalogue().Records;
    if (m_base.PaperKind() == TPaperKind::Postcard) {
        pgcBase->setCurrentIndex(0);
        setProperty("HelpContext", 67);
        lbPostCard->clear();
        // Sheets of several postcards cannot be a base.
        QByteArray last;
        for (int i = 0; i < records.size(); ++i) {
            const TLayoutFormat &f = records.at(i);
            if (f.PaperKind() != TPaperKind::Postcard || f.GridIndex > 0)
                continue;
            if (lbPostCard->count() == 0 || f.Name != last) {
                (new QListWidgetItem(f.NameText(), lbPostCard))->setData(Qt::UserRole, i);
                last = f.Name;
            }
        }
        for (int i = 0; i < lbPostCard->count(); ++i)
            if (lbPostCard->item(i)->text() == m_base.NameText())
                lbPostCard->setCurrentRow(i);
        (m_base.Direction != 0 ? rbPostCardH : rbPostCardV)->setChecked(true);
    } else {
        pgcBase->setCurrentIndex(1);
        setProperty("HelpContext", 73);
        cbxEnvCategory->clear();
        for (const TListEntry &e : ListCategories(records, TPaperKind::Envelope))
            cbxEnvCategory->addItem(e.Text, e.First);
        cbxEnvCategory->setCurrentIndex(std::max(0, cbxEnvCategory->findText(m_base.CategoryText())));
        fillEnvelopeNames();
        m_updating = true;
        for (int i = 0; i < lbEnvelope->count(); ++i)
            if (lbEnvelope->item(i)->text() == m_base.NameText())
                lbEnvelope->setCurrentRow(i);
        (m_base.Direction == 2 ? rbEnvCardH : rbEnvCardV)->setChecked(true);
        (m_base.Direction == 0 ? rbEnvWordV : rbEnvWordH)->setChecked(true);
        rbEnvWordV->setEnabled(m_base.Direction != 2);
    }
    PaperDlg::paintPair(rbPostCardV, rbPostCardH);
    PaperDlg::paintPair(rbEnvCardV, rbEnvCardH);
    PaperDlg::paintPair(rbEnvWordV, rbEnvWordH);
    m_updating = false;
}

void TCustomLayoutFormatDialog::SetCustomFormat(const TCustomFormat &format)
{
    SetBaseFormat(format.BaseIndex);
    m_format = format.Format;
}

void TCustomLayoutFormatDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ShowCurrentFormat();
}

void TCustomLayoutFormatDialog::SelectFormat()
{
    if (m_updating)
        return;
    QListWidget *list = envelopePage() ? lbEnvelope : lbPostCard;
    if (!list->currentItem())
        return;
    int index = list->currentItem()->data(Qt::UserRole).toInt();
    if (envelopePage())
        index += (rbEnvCardH->isChecked() ? 1 : 0) + (rbEnvWordH->isChecked() ? 1 : 0);
    else
        index += rbPostCardH->isChecked() ? 1 : 0;
    if (index == m_baseIndex)
        return;
    m_baseIndex = index;
    m_base = m_papers->GetFormat(index);
    m_format = m_base;
    ShowCurrentFormat();
}

void TCustomLayoutFormatDialog::ShowCurrentFormat()
{
    const bool was = m_updating;
    m_updating = true;
    udPaperWidth->SetPosition(m_format.Width);
    udPaperHeight->SetPosition(m_format.Height);
    int size = 0;
    // One axis for every paper dialog: the piece's longer side.
    m_noBarcode = !BarcodeSizeForLength(PaperFmt::barcodeAxisLength(m_format), size);
    edPaperWidth->setText(QString::asprintf("%.1f", udPaperWidth->Position() / 10.0));
    edPaperHeight->setText(QString::asprintf("%.1f", udPaperHeight->Position() / 10.0));
    if (m_base.Background != m_pictureName) {
        m_picture = m_base.Background.isEmpty() ? QImage() : QImage(BackgroundFolder() + m_base.BackgroundText());
        m_pictureName = m_base.Background;
    }
    m_updating = was;
    UpdatePreview();
}

void TCustomLayoutFormatDialog::FitFramesToPaper()
{
    m_format.Width = udPaperWidth->Position();
    m_format.Height = udPaperHeight->Position();
    if (m_base.Width > 0 && m_base.Height > 0) {
        const double fx = static_cast<double>(m_format.Width) / m_base.Width;
        const double fy = static_cast<double>(m_format.Height) / m_base.Height;
        const int paperW = PaperFmt::tenthsToPixels(m_format.Width), paperH = PaperFmt::tenthsToPixels(m_format.Height);
        for (auto [from, to, barcode] : {std::tuple{&m_base.Simple, &m_format.Simple, 3},
                                         std::tuple{&m_base.Detail, &m_format.Detail, 8}}) {
            to->Count = from->Count;
            for (int i = 0; i < std::clamp(from->Count, 0, kMaxFrames); ++i) {
                const TFrameRect &b = from->Rects[static_cast<size_t>(i)];
                TFrameRect &r = to->Rects[static_cast<size_t>(i)];
                if (i == barcode) {
                    // The bars keep their size; the frame only moves to stay on the paper.
                    // A barcode longer than the paper cannot print (the dialog says so);
                    // its frame is cut to the paper so it never lies outside it.
                    const int bw = std::min(b.Right - b.Left, paperW), bh = std::min(b.Bottom - b.Top, paperH);
                    r.Left = std::clamp(rounded(b.Left * fx), 0, std::max(0, paperW - bw));
                    r.Top = std::clamp(rounded(b.Top * fy), 0, std::max(0, paperH - bh));
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
    ShowCurrentFormat();
}

void TCustomLayoutFormatDialog::EditLeft(QLineEdit *edit, TUpDown *upDown)
{
    if (m_updating)
        return;
    const std::optional<int> tenths = PaperDlg::parseTenths(edit->text());
    if (!tenths) {
        edit->setText(QString::asprintf("%.1f", upDown->Position() / 10.0));
        return;
    }
    upDown->SetPosition(*tenths);
    FitFramesToPaper();
}

bool TCustomLayoutFormatDialog::DrawsPicture() const
{
    return !m_picture.isNull() && m_format.Width == m_base.Width && m_format.Height == m_base.Height;
}

void TCustomLayoutFormatDialog::UpdatePreview()
{
    const QSize paper(PaperFmt::tenthsToPixels(m_format.Width), PaperFmt::tenthsToPixels(m_format.Height));
    if (paper.isEmpty())
        return;
    const double scale = std::min(0.9 * pnlPreview->height() / paper.height(), 0.9 * pnlPreview->width() / paper.width());
    CenterPreviewCard(pnlCard, pnlPreview->size(), QSize(rounded(paper.width() * scale), rounded(paper.height() * scale)));
    pnlCard->update();
}

void TCustomLayoutFormatDialog::paintCard(QPainter &painter)
{
    const QSize paper(PaperFmt::tenthsToPixels(m_format.Width), PaperFmt::tenthsToPixels(m_format.Height));
    if (paper.isEmpty())
        return;
    const double scale = std::min(0.9 * pnlPreview->height() / paper.height(), 0.9 * pnlPreview->width() / paper.width());
    if (DrawsPicture())
        painter.drawImage(QRect(QPoint(0, 0), pnlCard->size()),
                          m_picture.scaled(pnlCard->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    TSheetPreview p;
    p.Size = pnlCard->size();
    for (int i = 0; i < std::clamp(m_format.Simple.Count, 0, kMaxFrames); ++i) {
        const TFrameRect &r = m_format.Simple.Rects[static_cast<size_t>(i)];
        p.Frames.append(QRect(QPoint(rounded(r.Left * scale), rounded(r.Top * scale)),
                              QPoint(rounded(r.Right * scale) - 1, rounded(r.Bottom * scale) - 1)));
    }
    p.HiddenFrame = m_noBarcode ? 3 : -1;
    PaperPreview::paint(painter, p, PaperPreview::Outline::Black, true);
}

TCustomFormat TCustomLayoutFormatDialog::GetCustomFormat() const
{
    TCustomFormat c;
    c.Format = m_format;
    c.Format.Category = Cp932::encode(CustomCategory());
    c.Format.Name = Cp932::truncated(Cp932::encode(TrimBlanks(edName->text())), TLayoutFormat::NameCapacity);
    if (m_format.Width != m_base.Width || m_format.Height != m_base.Height)
        c.Format.Background.clear();
    c.BaseIndex = m_baseIndex;
    return c;
}

void TCustomLayoutFormatDialog::done(int result)
{
    if (result == QDialog::Accepted &&
        !PaperDlg::nameAccepted(this, edName, [this](const QByteArray &name) {
            return m_papers->IsCustomNameUsed(name, m_format.PaperKind());
        }))
        return;
    QDialog::done(result);
}

bool TCustomLayoutFormatDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pnlPreview) {
        if (event->type() == QEvent::Resize)
            UpdatePreview();
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        TUpDown *ud = watched == edPaperWidth ? udPaperWidth : watched == edPaperHeight ? udPaperHeight : nullptr;
        if (ud) {
            const int delta = PaperDlg::stepForKey(key);
            if (delta != 0) {
                ud->SetPosition(ud->Position() + delta);
                FitFramesToPaper();
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
