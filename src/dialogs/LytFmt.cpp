#include "dialogs/LytFmt.h"

#include "dialogs/CstmLyt.h"
#include "dialogs/PaperDlgCommon.h"
#include "dialogs/PaperDlgSub.h"
#include "dialogs/PaperPreview.h"
#include "items/BarRect.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int kCustomEntry = -1;
constexpr int kBarcodeFrame = 3;
constexpr int kFirstSenderFrame = 4;

} // namespace

TNewLayoutDialog::TNewLayoutDialog(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("NewLayoutDialog"));
    setWindowTitle(QStringLiteral("新規作成"));
    setProperty("HelpContext", 66);
    ExecCustomFormat = [](TCustomLayoutFormatDialog &d) { return d.exec(); };

    cbxPaperKind = PaperDlg::control<QComboBox>(this, "cbxPaperKind");
    cbxPaperKind->addItems({QStringLiteral("はがき"), QStringLiteral("封筒")});
    pgcPapers = new QStackedWidget(this);
    pgcPapers->setObjectName(QStringLiteral("pgcPapers"));

    auto *pst = new QWidget(pgcPapers);
    pst->setObjectName(QStringLiteral("tbsPostCard"));
    cbxPstCategory = PaperDlg::control<QComboBox>(pst, "cbxPstCategory");
    lbPostcard = PaperDlg::control<QListWidget>(pst, "lbPostcard");
    rbPostCardV = PaperDlg::radio(pst, "rbPostCardV", QStringLiteral("縦書き"));
    rbPostCardH = PaperDlg::radio(pst, "rbPostCardH", QStringLiteral("横書き"));
    bbtnPstAdd = PaperDlg::button(pst, "bbtnPstAdd", QStringLiteral("登録"));
    bbtnPstDelete = PaperDlg::button(pst, "bbtnPstDelete", QStringLiteral("削除"));
    lblPostCardSheetSize = PaperDlg::control<QLabel>(pst, "lblPostCardSheetSize");
    lblPostCardSize = PaperDlg::control<QLabel>(pst, "lblPostCardSize");
    lblPostCardNum = PaperDlg::control<QLabel>(pst, "lblPostCardNum");
    auto *pstForm = new QFormLayout(pst);
    pstForm->addRow(QStringLiteral("分類："), cbxPstCategory);
    pstForm->addRow(QStringLiteral("用紙："), lbPostcard);
    pstForm->addRow(QStringLiteral("方向："), PaperDlg::radioPair(pst, rbPostCardV, rbPostCardH));
    auto *pstButtons = new QHBoxLayout;
    pstButtons->addWidget(bbtnPstAdd);
    pstButtons->addWidget(bbtnPstDelete);
    pstForm->addRow(pstButtons);
    pstForm->addRow(QStringLiteral("用紙サイズ："), lblPostCardSheetSize);
    pstForm->addRow(QStringLiteral("一枚のサイズ："), lblPostCardSize);
    pstForm->addRow(QStringLiteral("枚数："), lblPostCardNum);
    pgcPapers->addWidget(pst);

    auto *env = new QWidget(pgcPapers);
    env->setObjectName(QStringLiteral("tbsEnvelope"));
    cbxEnvCategory = PaperDlg::control<QComboBox>(env, "cbxEnvCategory");
    lbEnvelope = PaperDlg::control<QListWidget>(env, "lbEnvelope");
    rbEnvCardV = PaperDlg::radio(env, "rbEnvCardV", QStringLiteral("縦"));
    rbEnvCardH = PaperDlg::radio(env, "rbEnvCardH", QStringLiteral("横"));
    rbEnvWordV = PaperDlg::radio(env, "rbEnvWordV", QStringLiteral("縦書き"));
    rbEnvWordH = PaperDlg::radio(env, "rbEnvWordH", QStringLiteral("横書き"));
    rbEnvAdrs = PaperDlg::radio(env, "rbEnvAdrs", QStringLiteral("宛先"));
    rbEnvSender = PaperDlg::radio(env, "rbEnvSender", QStringLiteral("差出人"));
    bbtnEnvAdd = PaperDlg::button(env, "bbtnEnvAdd", QStringLiteral("登録"));
    bbtnEnvDelete = PaperDlg::button(env, "bbtnEnvDelete", QStringLiteral("削除"));
    lblEnvlopeSize = PaperDlg::control<QLabel>(env, "lblEnvlopeSize");
    auto *envForm = new QFormLayout(env);
    envForm->addRow(QStringLiteral("分類："), cbxEnvCategory);
    envForm->addRow(QStringLiteral("用紙："), lbEnvelope);
    envForm->addRow(QStringLiteral("用紙方向："), PaperDlg::radioPair(env, rbEnvCardV, rbEnvCardH));
    envForm->addRow(QStringLiteral("方向："), PaperDlg::radioPair(env, rbEnvWordV, rbEnvWordH));
    envForm->addRow(QStringLiteral("表示："), PaperDlg::radioPair(env, rbEnvAdrs, rbEnvSender));
    auto *envButtons = new QHBoxLayout;
    envButtons->addWidget(bbtnEnvAdd);
    envButtons->addWidget(bbtnEnvDelete);
    envForm->addRow(envButtons);
    envForm->addRow(QStringLiteral("用紙サイズ："), lblEnvlopeSize);
    pgcPapers->addWidget(env);

    pnlPreview = PaperDlg::previewFrame(this, "pnlPreview", 260, 320);
    pnlPreview->installEventFilter(this);
    pnlCard = PaperDlg::previewCard(pnlPreview, [this](QPainter &p) { paintCard(p); });
    pnlNoBarcode = PaperDlg::noBarcodeNote(pnlPreview);
    PaperDlg::okCancel(this, btnOK, btnCancel);

    auto *kindRow = new QFormLayout;
    kindRow->addRow(QStringLiteral("種類："), cbxPaperKind);
    auto *left = new QVBoxLayout;
    left->addLayout(kindRow);
    left->addWidget(pgcPapers);
    PaperDlg::arrange(this, left, pnlPreview, btnOK, btnCancel);

    connect(cbxPaperKind, &QComboBox::activated, this, [this](int index) {
        pgcPapers->setCurrentIndex(index);
        setProperty("HelpContext", index ? 72 : 66);
        SelectFormat();
    });
    connect(cbxPstCategory, &QComboBox::activated, this, [this] { categoryClick(); });
    connect(cbxEnvCategory, &QComboBox::activated, this, [this] { categoryClick(); });
    connect(lbPostcard, &QListWidget::currentRowChanged, this, [this] { SelectFormat(); });
    connect(lbEnvelope, &QListWidget::currentRowChanged, this, [this] { SelectFormat(); });
    connect(rbPostCardV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbPostCardV, rbPostCardH);
        SelectFormat();
    });
    connect(rbEnvCardV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbEnvCardV, rbEnvCardH);
        if (m_updating)
            return;
        // A turned envelope is written across only.
        PaperDlg::writeAcrossOnlyWhen(rbEnvCardH, rbEnvCardV, rbEnvWordV, rbEnvWordH);
        SelectFormat();
    });
    connect(rbEnvWordV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbEnvWordV, rbEnvWordH);
        SelectFormat();
    });
    connect(rbEnvAdrs, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbEnvAdrs, rbEnvSender);
        pnlCard->update();
    });
    connect(bbtnPstAdd, &QPushButton::clicked, this, [this] { addClick(); });
    connect(bbtnEnvAdd, &QPushButton::clicked, this, [this] { addClick(); });
    connect(bbtnPstDelete, &QPushButton::clicked, this, [this] { deleteClick(); });
    connect(bbtnEnvDelete, &QPushButton::clicked, this, [this] { deleteClick(); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    PaperDlg::loadCatalogue(this, m_catalogue, LayoutCataloguePath());
    QByteArray last;
    bool any = false;
    for (int i = 0; i < m_catalogue.Records.size(); ++i) {
        const TLayoutFormat &f = m_catalogue.Records.at(i);
        if (f.PaperKind() != TPaperKind::Postcard && f.PaperKind() != TPaperKind::Envelope)
            continue;
        if (!any || f.Category != last) {
            (f.PaperKind() == TPaperKind::Postcard ? cbxPstCategory : cbxEnvCategory)->addItem(f.CategoryText(), i);
            last = f.Category;
            any = true;
        }
    }
    m_saveAllowed = PaperDlg::loadUserFormats(this, m_user, CustomFormatsPath());
    m_userBase = m_user;
    for (const TCustomFormat &c : m_user.Records) {
        if (c.Format.PaperKind() == TPaperKind::Postcard && !m_hasCustomPostcards)
            appendCustomCategory(cbxPstCategory);
        if (c.Format.PaperKind() == TPaperKind::Envelope && !m_hasCustomEnvelopes)
            appendCustomCategory(cbxEnvCategory);
    }
    m_updating = true;
    for (auto [combo, target, kind] : {std::tuple{cbxPstCategory, lbPostcard, TPaperKind::Postcard},
                                       std::tuple{cbxEnvCategory, lbEnvelope, TPaperKind::Envelope}}) {
        if (combo->count() == 0)
            continue;
        combo->setCurrentIndex(0);
        FillList(target, combo, kind);
        if (target->count() > 0)
            target->setCurrentRow(0);
    }
    rbPostCardV->setChecked(true);
    rbEnvCardV->setChecked(true);
    rbEnvWordV->setChecked(true);
    rbEnvAdrs->setChecked(true);
    for (auto [a, b] : {std::pair{rbPostCardV, rbPostCardH}, std::pair{rbEnvCardV, rbEnvCardH},
                        std::pair{rbEnvWordV, rbEnvWordH}, std::pair{rbEnvAdrs, rbEnvSender}})
        PaperDlg::paintPair(a, b);
    m_updating = false;
    bbtnPstDelete->setEnabled(false);
    bbtnEnvDelete->setEnabled(false);
}

TNewLayoutDialog::~TNewLayoutDialog() = default;

bool TNewLayoutDialog::envelopePage() const { return cbxPaperKind->currentIndex() != 0; }
QComboBox *TNewLayoutDialog::category() const { return envelopePage() ? cbxEnvCategory : cbxPstCategory; }
QListWidget *TNewLayoutDialog::list() const { return envelopePage() ? lbEnvelope : lbPostcard; }

TLayoutFormat TNewLayoutDialog::GetFormat(int i) const
{
    return i >= 0 && i < m_catalogue.Records.size() ? m_catalogue.Records.at(i) : TLayoutFormat{};
}

bool TNewLayoutDialog::IsCustomNameUsed(const QByteArray &name, TPaperKind kind) const
{
    return m_user.isNameUsed(name, kind);
}

void TNewLayoutDialog::appendCustomCategory(QComboBox *combo)
{
    combo->addItem(CustomCategory(), kCustomEntry);
    (combo == cbxPstCategory ? m_hasCustomPostcards : m_hasCustomEnvelopes) = true;
}

void TNewLayoutDialog::FillList(QListWidget *target, QComboBox *combo, TPaperKind kind)
{
    const bool was = m_updating;
    m_updating = true;
    target->clear();
    // The postcard catalogue always starts at record 0: its entry is the first.
    const bool custom = combo == cbxPstCategory ? combo->currentIndex() > 0 : combo->currentData().toInt() < 1;
    if (combo->currentIndex() >= 0 && custom) {
        for (const TCustomFormat &c : m_user.Records)
            if (c.Format.PaperKind() == kind)
                (new QListWidgetItem(c.Format.NameText(), target))->setData(Qt::UserRole, c.Id);
    } else if (combo->currentIndex() >= 0) {
        for (const TListEntry &e : ListNames(m_catalogue.Records, combo->currentData().toInt()))
            (new QListWidgetItem(e.Text, target))->setData(Qt::UserRole, e.First);
    }
    m_updating = was;
}

void TNewLayoutDialog::SetChangeMode(bool on)
{
    setWindowTitle(on ? QStringLiteral("用紙の変更") : QStringLiteral("新規作成"));
}

void TNewLayoutDialog::SetEnvelopeSide(int side)
{
    (side == 1 ? rbEnvSender : rbEnvAdrs)->setChecked(true);
}

int TNewLayoutDialog::GetEnvelopeSide() const { return rbEnvSender->isChecked() ? 1 : 0; }

void TNewLayoutDialog::categoryClick()
{
    QComboBox *combo = category();
    const TPaperKind kind = envelopePage() ? TPaperKind::Envelope : TPaperKind::Postcard;
    FillList(list(), combo, kind);
    const bool custom = combo == cbxPstCategory ? combo->currentIndex() > 0 : combo->currentData().toInt() < 1;
    (envelopePage() ? bbtnEnvDelete : bbtnPstDelete)->setEnabled(custom);
    const bool was = m_updating;
    m_updating = true;
    if (list()->count() > 0)
        list()->setCurrentRow(0);
    m_updating = was;
    SelectFormat();
}

void TNewLayoutDialog::CheckRadiosFor(int direction, bool userFormat)
{
    const bool was = m_updating;
    m_updating = true;
    if (!envelopePage()) {
        (direction == 0 ? rbPostCardV : rbPostCardH)->setChecked(true);
        PaperDlg::lockToChecked({rbPostCardV, rbPostCardH}, userFormat);
    } else {
        (direction == 2 ? rbEnvCardH : rbEnvCardV)->setChecked(true);
        (direction == 0 ? rbEnvWordV : rbEnvWordH)->setChecked(true);
        PaperDlg::lockToChecked({rbEnvCardV, rbEnvCardH, rbEnvWordV, rbEnvWordH}, userFormat);
        if (!userFormat)
            rbEnvWordV->setEnabled(rbEnvCardV->isChecked());
    }
    PaperDlg::paintPair(rbPostCardV, rbPostCardH);
    PaperDlg::paintPair(rbEnvCardV, rbEnvCardH);
    PaperDlg::paintPair(rbEnvWordV, rbEnvWordH);
    m_updating = was;
}

void TNewLayoutDialog::BarcodeCheck()
{
    // One axis for every paper dialog: the piece's longer side.
    int size = m_barcodeSize;
    m_noBarcode = !BarcodeSizeForLength(PaperFmt::barcodeAxisLength(m_format), size);
    m_barcodeSize = size;
}

void TNewLayoutDialog::SelectFormat()
{
    if (m_updating || !list()->currentItem())
        return;
    const int value = list()->currentItem()->data(Qt::UserRole).toInt();
    QComboBox *combo = category();
    int index;
    if (envelopePage()) {
        index = combo->currentData().toInt() > 0
                    ? value + (rbEnvCardH->isChecked() ? 1 : 0) + (rbEnvWordH->isChecked() ? 1 : 0)
                    : -value;
    } else {
        index = combo->currentIndex() == 0 ? value + (rbPostCardH->isChecked() ? 1 : 0) : -value;
    }
    bool user = false;
    if (index < 0) {
        const int at = m_user.indexOfId(-index);
        if (at < 0)
            return;
        m_format = m_user.Records.at(at).Format;
        user = true;
    } else {
        if (index >= m_catalogue.Records.size())
            return;
        m_format = m_catalogue.Records.at(index);
    }
    m_selectedIndex = index;
    CheckRadiosFor(m_format.Direction, user);
    // A user format's grid index counts in the catalogue's grid table.
    m_grid = m_catalogue.gridOf(m_format);
    BarcodeCheck();
    UpdatePreview();
}

void TNewLayoutDialog::ShowFormat(int index)
{
    m_updating = true;
    m_selectedIndex = m_formatInUse = index;
    int at = index < 0 ? m_user.indexOfId(-index) : -1;
    // A label or card sheet of the user is no paper of this dialog.
    if (at >= 0 && m_user.Records.at(at).Format.PaperKind() != TPaperKind::Postcard &&
        m_user.Records.at(at).Format.PaperKind() != TPaperKind::Envelope)
        at = -1;
    if (index < 0 && at < 0)
        m_selectedIndex = 0;
    if (at < 0 && (m_selectedIndex >= m_catalogue.Records.size())) {
        m_updating = false;
        return;
    }
    m_format = at >= 0 ? m_user.Records.at(at).Format : m_catalogue.Records.at(m_selectedIndex);
    const bool envelope = m_format.PaperKind() == TPaperKind::Envelope;
    cbxPaperKind->setCurrentIndex(envelope ? 1 : 0);
    pgcPapers->setCurrentIndex(envelope ? 1 : 0);
    setProperty("HelpContext", envelope ? 72 : 66);
    QComboBox *combo = category();
    if (at >= 0) {
        combo->setCurrentIndex(combo->findData(kCustomEntry));
        (envelope ? bbtnEnvDelete : bbtnPstDelete)->setEnabled(true);
    } else {
        for (int i = 0; i < combo->count(); ++i)
            if (combo->itemData(i).toInt() >= 0 && combo->itemText(i) == m_format.CategoryText())
                combo->setCurrentIndex(i);
    }
    FillList(list(), combo, envelope ? TPaperKind::Envelope : TPaperKind::Postcard);
    const QVariant wanted = at >= 0 ? QVariant(m_user.Records.at(at).Id) : QVariant(m_selectedIndex - m_format.Direction);
    for (int i = 0; i < list()->count(); ++i)
        if (list()->item(i)->data(Qt::UserRole) == wanted)
            list()->setCurrentRow(i);
    CheckRadiosFor(m_format.Direction, at >= 0);
    m_grid = m_catalogue.gridOf(m_format);
    BarcodeCheck();
    UpdatePreview();
    m_updating = false;
}

void TNewLayoutDialog::addClick()
{
    TCustomLayoutFormatDialog dialog(this, this);
    CenterFormOnOwner(&dialog, this);
    const bool envelope = envelopePage();
    if (m_selectedIndex < 0) {
        const int at = m_user.indexOfId(-m_selectedIndex);
        if (at < 0)
            return;
        dialog.SetCustomFormat(m_user.Records.at(at));
    } else if (m_format.GridIndex <= 0) {
        dialog.SetBaseFormat(m_selectedIndex);
    } else {
        // A sheet of several postcards cannot be a base.
        dialog.SetBaseFormat(envelope && cbxEnvCategory->count() > 0 ? cbxEnvCategory->itemData(0).toInt() : 0);
    }
    if (ExecCustomFormat(dialog) != QDialog::Accepted)
        return;
    const std::int32_t id = m_user.add(dialog.GetCustomFormat());
    if (id == 0) {
        PaperDlg::inform(this, {QStringLiteral("これ以上用紙を登録できません")});
        return;
    }
    QComboBox *combo = category();
    if (!(envelope ? m_hasCustomEnvelopes : m_hasCustomPostcards))
        appendCustomCategory(combo);
    combo->setCurrentIndex(combo->findData(kCustomEntry));
    FillList(list(), combo, envelope ? TPaperKind::Envelope : TPaperKind::Postcard);
    const bool was = m_updating;
    m_updating = true;
    for (int i = 0; i < list()->count(); ++i)
        if (list()->item(i)->data(Qt::UserRole).toInt() == id)
            list()->setCurrentRow(i);
    m_updating = was;
    SelectFormat();
    (envelope ? bbtnEnvDelete : bbtnPstDelete)->setEnabled(true);
}

void TNewLayoutDialog::deleteClick()
{
    QListWidgetItem *item = list()->currentItem();
    if (!item)
        return;
    const int id = item->data(Qt::UserRole).toInt();
    if (m_formatInUse < 0 && m_formatInUse == -id) {
        PaperDlg::inform(this, {QStringLiteral("使用中の用紙は削除できません")});
        return;
    }
    if (!m_user.remove(id))
        return;
    const int row = list()->currentRow();
    const bool was = m_updating;
    m_updating = true;
    delete list()->takeItem(row);
    m_updating = was;
    if (list()->count() > 0) {
        m_updating = true;
        list()->setCurrentRow(std::min(row, list()->count() - 1));
        m_updating = was;
        SelectFormat();
        return;
    }
    QComboBox *combo = category();
    combo->removeItem(combo->findData(kCustomEntry));
    (envelopePage() ? m_hasCustomEnvelopes : m_hasCustomPostcards) = false;
    combo->setCurrentIndex(0);
    categoryClick();
}

void TNewLayoutDialog::UpdatePreview()
{
    TWaitCursor wait;
    const bool grid = m_format.GridIndex > 0 && m_grid.SheetWidth > 0;
    if (!envelopePage()) {
        lblPostCardSize->setText(PaperDlg::sizeText(m_format.Width, m_format.Height));
        lblPostCardSheetSize->setText(grid ? PaperDlg::sizeText(m_grid.SheetWidth, m_grid.SheetHeight)
                                           : PaperDlg::sizeText(m_format.Width, m_format.Height));
        lblPostCardNum->setText(grid ? QStringLiteral("%1 x %2 枚").arg(m_grid.Columns).arg(m_grid.Rows)
                                     : QStringLiteral("1 x 1 枚"));
    } else {
        lblEnvlopeSize->setText(PaperDlg::sizeText(m_format.Width, m_format.Height));
    }
    if (m_format.Background.isEmpty()) {
        m_picture = QImage();
        m_pictureName.clear();
    } else if (m_format.Background != m_pictureName) {
        m_picture = QImage(BackgroundFolder() + m_format.BackgroundText());
        m_pictureName = m_format.Background;
    }
    const TSheetPreview p = PaperPreview::paper(m_format, m_grid, pnlPreview->size());
    CenterPreviewCard(pnlCard, pnlPreview->size(), p.Size);
    pnlCard->update();
    PaperDlg::placeNoBarcode(pnlNoBarcode, m_noBarcode, pnlPreview);
}

void TNewLayoutDialog::paintCard(QPainter &painter)
{
    TSheetPreview p = PaperPreview::paper(m_format, m_grid, pnlPreview->size());
    const bool senderSide = envelopePage() && rbEnvSender->isChecked();
    // The picture scaled once per paint: area averaging keeps thin box lines.
    const QSize pictureSize = p.HasGrid ? p.Cell : p.Size;
    const QImage picture = m_picture.isNull() || senderSide || pictureSize.isEmpty()
                               ? QImage()
                               : m_picture.scaled(pictureSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!picture.isNull() && !p.HasGrid) {
        painter.drawImage(0, 0, picture);
    } else if (!picture.isNull() && picture.pixel(0, 0) != qRgb(0xFF, 0xFF, 0xFF)) {
        painter.fillRect(QRect(QPoint(0, 0), p.Size), picture.pixelColor(picture.width() / 2, picture.height() / 2));
    }
    if (p.HasGrid && !picture.isNull())
        for (int r = 0; r < p.Rows; ++r)
            for (int c = 0; c < p.Columns; ++c)
                painter.drawImage(PaperPreview::cellAt(p, c, r), picture);
    p.HiddenFrame = m_noBarcode ? kBarcodeFrame : -1;
    QList<int> shown;
    if (envelopePage()) {
        for (int i = 0; i < p.Frames.size(); ++i)
            if ((i >= kFirstSenderFrame) == senderSide)
                shown.append(i);
        if (shown.isEmpty())
            shown.append(-1); // nothing of this side
    }
    PaperPreview::paint(painter, p, PaperPreview::Outline::Grey, true, shown);
}

void TNewLayoutDialog::done(int result)
{
    if (result != QDialog::Accepted && m_formatInUse < 0 && m_user.indexOfId(-m_formatInUse) < 0) {
        PaperDlg::inform(this, {QStringLiteral("選択した用紙は削除されています"), QStringLiteral("新しい用紙を設定してください")});
        return;
    }
    PaperDlg::saveUserFormats(this, m_userBase, m_user, CustomFormatsPath(), m_saveAllowed, &m_selectedIndex);
    QDialog::done(result);
}

bool TNewLayoutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pnlPreview && event->type() == QEvent::Resize)
        UpdatePreview();
    return QDialog::eventFilter(watched, event);
}
