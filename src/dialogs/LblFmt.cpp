#include "dialogs/LblFmt.h"

#include "dialogs/CstmLbl.h"
#include "dialogs/PaperDlgCommon.h"
#include "dialogs/PaperDlgSub.h"
#include "dialogs/PaperPreview.h"
#include "items/BarRect.h"
#include "util/SubUnit.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// "カスタム" in a category combo carries a value below 1: catalogue sheet
// categories never start at record 0, which belongs to the postcards.
constexpr int kCustomEntry = -1;

} // namespace

TNewLabelDialog::TNewLabelDialog(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("NewLabelDialog"));
    setWindowTitle(QStringLiteral("新規作成"));
    ExecCustomSheet = [](TCustomLabelDialog &d) { return d.exec(); };

    pgcSheets = new QStackedWidget(this);
    pgcSheets->setObjectName(QStringLiteral("pgcSheets"));

    auto *labelPage = new QWidget(pgcSheets);
    labelPage->setObjectName(QStringLiteral("tbsLabel"));
    cbxLblCategory = PaperDlg::control<QComboBox>(labelPage, "cbxLblCategory");
    lbLabel = PaperDlg::control<QListWidget>(labelPage, "lbLabel");
    rbLblV = PaperDlg::radio(labelPage, "rbLblV", QStringLiteral("縦"));
    rbLblH = PaperDlg::radio(labelPage, "rbLblH", QStringLiteral("横"));
    rbLblAdrs = PaperDlg::radio(labelPage, "rbLblAdrs", QStringLiteral("宛先"));
    rbLblSender = PaperDlg::radio(labelPage, "rbLblSender", QStringLiteral("差出人"));
    bbtnLblAdd = PaperDlg::button(labelPage, "bbtnLblAdd", QStringLiteral("登録"));
    bbtnLblDelete = PaperDlg::button(labelPage, "bbtnLblDelete", QStringLiteral("削除"));
    auto *labelForm = new QFormLayout(labelPage);
    labelForm->addRow(QStringLiteral("種類："), cbxLblCategory);
    labelForm->addRow(QStringLiteral("用紙："), lbLabel);
    labelForm->addRow(QStringLiteral("用紙方向："), PaperDlg::radioPair(labelPage, rbLblV, rbLblH));
    labelForm->addRow(QStringLiteral("表示："), PaperDlg::radioPair(labelPage, rbLblAdrs, rbLblSender));
    auto *labelButtons = new QHBoxLayout;
    labelButtons->addWidget(bbtnLblAdd);
    labelButtons->addWidget(bbtnLblDelete);
    labelForm->addRow(labelButtons);
    pgcSheets->addWidget(labelPage);

    auto *cardPage = new QWidget(pgcSheets);
    cardPage->setObjectName(QStringLiteral("tbsCard"));
    cbxCrdCategory = PaperDlg::control<QComboBox>(cardPage, "cbxCrdCategory");
    lbCard = PaperDlg::control<QListWidget>(cardPage, "lbCard");
    rbCrdV = PaperDlg::radio(cardPage, "rbCrdV", QStringLiteral("縦"));
    rbCrdH = PaperDlg::radio(cardPage, "rbCrdH", QStringLiteral("横"));
    rbCrdWordV = PaperDlg::radio(cardPage, "rbCrdWordV", QStringLiteral("縦書き"));
    rbCrdWordH = PaperDlg::radio(cardPage, "rbCrdWordH", QStringLiteral("横書き"));
    rbCrdWordV->setEnabled(false);
    rbCrdAdrs = PaperDlg::radio(cardPage, "rbCrdAdrs", QStringLiteral("宛先"));
    rbCrdSender = PaperDlg::radio(cardPage, "rbCrdSender", QStringLiteral("差出人"));
    bbtnCrdAdd = PaperDlg::button(cardPage, "bbtnCrdAdd", QStringLiteral("登録"));
    bbtnCrdDelete = PaperDlg::button(cardPage, "bbtnCrdDelete", QStringLiteral("削除"));
    auto *cardForm = new QFormLayout(cardPage);
    cardForm->addRow(QStringLiteral("種類："), cbxCrdCategory);
    cardForm->addRow(QStringLiteral("用紙："), lbCard);
    cardForm->addRow(QStringLiteral("用紙方向："), PaperDlg::radioPair(cardPage, rbCrdV, rbCrdH));
    cardForm->addRow(QStringLiteral("方向："), PaperDlg::radioPair(cardPage, rbCrdWordV, rbCrdWordH));
    cardForm->addRow(QStringLiteral("表示："), PaperDlg::radioPair(cardPage, rbCrdAdrs, rbCrdSender));
    auto *cardButtons = new QHBoxLayout;
    cardButtons->addWidget(bbtnCrdAdd);
    cardButtons->addWidget(bbtnCrdDelete);
    cardForm->addRow(cardButtons);
    pgcSheets->addWidget(cardPage);

    pnlImage = PaperDlg::previewFrame(this, "pnlImage", 260, 300);
    pnlCard = PaperDlg::previewCard(pnlImage, [this](QPainter &p) { paintCard(p); });
    pnlNoBarcode = PaperDlg::noBarcodeNote(pnlImage);

    lblSheetSize = PaperDlg::control<QLabel>(this, "lblSheetSize");
    lblLabelSize = PaperDlg::control<QLabel>(this, "lblLabelSize");
    lblCount = new QLabel(QStringLiteral("ラベル数："), this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    lblNum = PaperDlg::control<QLabel>(this, "lblNum");
    auto *info = new QGridLayout;
    info->addWidget(new QLabel(QStringLiteral("用紙サイズ："), this), 0, 0);
    info->addWidget(lblSheetSize, 0, 1);
    info->addWidget(new QLabel(QStringLiteral("一枚のサイズ："), this), 1, 0);
    info->addWidget(lblLabelSize, 1, 1);
    info->addWidget(lblCount, 2, 0);
    info->addWidget(lblNum, 2, 1);

    PaperDlg::okCancel(this, btnOK, btnCancel);

    auto *left = new QVBoxLayout;
    left->addWidget(pgcSheets);
    left->addLayout(info);
    PaperDlg::arrange(this, left, pnlImage, btnOK, btnCancel);

    connect(cbxLblCategory, &QComboBox::activated, this, [this] { categoryClick(); });
    connect(cbxCrdCategory, &QComboBox::activated, this, [this] { categoryClick(); });
    connect(lbLabel, &QListWidget::currentRowChanged, this, [this] { SelectFormat(); });
    connect(lbCard, &QListWidget::currentRowChanged, this, [this] { SelectFormat(); });
    connect(rbLblV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbLblV, rbLblH);
        SelectFormat();
    });
    connect(rbCrdV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbCrdV, rbCrdH);
        if (m_updating)
            return;
        PaperDlg::writeAcrossOnlyWhen(rbCrdV, rbCrdH, rbCrdWordV, rbCrdWordH);
        SelectFormat();
    });
    connect(rbCrdWordV, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbCrdWordV, rbCrdWordH);
        SelectFormat();
    });
    connect(rbLblAdrs, &QRadioButton::toggled, this, [this] { PaperDlg::paintPair(rbLblAdrs, rbLblSender); });
    connect(rbCrdAdrs, &QRadioButton::toggled, this, [this] { PaperDlg::paintPair(rbCrdAdrs, rbCrdSender); });
    connect(bbtnLblAdd, &QPushButton::clicked, this, [this] { addClick(); });
    connect(bbtnCrdAdd, &QPushButton::clicked, this, [this] { addClick(); });
    connect(bbtnLblDelete, &QPushButton::clicked, this, [this] { deleteClick(); });
    connect(bbtnCrdDelete, &QPushButton::clicked, this, [this] { deleteClick(); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    pnlImage->installEventFilter(this);

    m_updating = true;
    rbLblV->setChecked(true);
    rbCrdV->setChecked(true);
    rbCrdWordH->setChecked(true);
    rbLblAdrs->setChecked(true);
    rbCrdAdrs->setChecked(true);
    m_updating = false;
    bbtnLblDelete->setEnabled(false);
    bbtnCrdDelete->setEnabled(false);

    PaperDlg::loadCatalogue(this, m_catalogue, LayoutCataloguePath());
    for (int i = 0; i < m_catalogue.Records.size(); ++i) {
        const TPaperKind k = m_catalogue.Records.at(i).PaperKind();
        if (k == TPaperKind::Label && m_firstLabel < 0)
            m_firstLabel = i;
        if (k == TPaperKind::Card && m_firstCard < 0)
            m_firstCard = i;
    }
}

TNewLabelDialog::~TNewLabelDialog() = default;

QComboBox *TNewLabelDialog::category() const { return cardPage() ? cbxCrdCategory : cbxLblCategory; }
QListWidget *TNewLabelDialog::list() const { return cardPage() ? lbCard : lbLabel; }

int TNewLabelDialog::firstRecordOfPage() const { return cardPage() ? m_firstCard : m_firstLabel; }

TLayoutFormat TNewLabelDialog::GetFormat(int i) const
{
    return i >= 0 && i < m_catalogue.Records.size() ? m_catalogue.Records.at(i) : TLayoutFormat{};
}

TLabelGrid TNewLabelDialog::GetGrid(int i) const
{
    return i >= 0 && i < m_catalogue.Grids.size() ? m_catalogue.Grids.at(i) : TLabelGrid{};
}

bool TNewLabelDialog::IsCustomNameUsed(const QByteArray &name, TPaperKind kind) const
{
    return m_user.isNameUsed(name, kind);
}

void TNewLabelDialog::FillCategories(QComboBox *combo, TPaperKind kind)
{
    combo->clear();
    for (const TListEntry &e : ListCategories(m_catalogue.Records, kind))
        combo->addItem(e.Text, e.First);
}

void TNewLabelDialog::appendCustomCategory(QComboBox *combo)
{
    combo->addItem(CustomCategory(), kCustomEntry);
    (combo == cbxCrdCategory ? m_hasCustomCards : m_hasCustomLabels) = true;
}

void TNewLabelDialog::FillList(QListWidget *target, QComboBox *combo, TPaperKind kind)
{
    const bool was = m_updating;
    m_updating = true;
    target->clear();
    const int first = combo->currentData().isValid() ? combo->currentData().toInt() : 0;
    if (combo->currentIndex() >= 0 && first < 1) {
        for (const TCustomFormat &c : m_user.Records)
            if (c.Format.PaperKind() == kind)
                (new QListWidgetItem(c.Format.NameText(), target))->setData(Qt::UserRole, c.Id);
    } else if (combo->currentIndex() >= 0) {
        for (const TListEntry &e : ListNames(m_catalogue.Records, first))
            (new QListWidgetItem(e.Text, target))->setData(Qt::UserRole, e.First);
    }
    m_updating = was;
}

void TNewLabelDialog::SetLabelKind(int kind)
{
    m_kind = kind == 3 ? TPaperKind::Card : TPaperKind::Label;
    pgcSheets->setCurrentIndex(cardPage() ? 1 : 0);
    setProperty("HelpContext", cardPage() ? 87 : 79);
    if (cardPage())
        lblCount->setText(QStringLiteral("カード数："));
    FillCategories(category(), m_kind);
    m_saveAllowed = PaperDlg::loadUserFormats(this, m_user, CustomFormatsPath());
    m_userBase = m_user;
    bool labels = false, cards = false;
    for (const TCustomFormat &c : m_user.Records) {
        labels |= c.Format.PaperKind() == TPaperKind::Label;
        cards |= c.Format.PaperKind() == TPaperKind::Card;
    }
    if (labels)
        appendCustomCategory(cbxLblCategory);
    if (cards)
        appendCustomCategory(cbxCrdCategory);
    m_updating = true;
    for (auto [combo, target, k] : {std::tuple{cbxLblCategory, lbLabel, TPaperKind::Label},
                                    std::tuple{cbxCrdCategory, lbCard, TPaperKind::Card}}) {
        if (combo->count() == 0)
            continue;
        combo->setCurrentIndex(0);
        FillList(target, combo, k);
        if (target->count() > 0)
            target->setCurrentRow(0);
    }
    m_updating = false;
}

void TNewLabelDialog::SetChangeMode(bool on)
{
    setWindowTitle(on ? QStringLiteral("用紙の変更") : QStringLiteral("新規作成"));
}

void TNewLabelDialog::SetDataSide(int side)
{
    const bool card = m_format.PaperKind() != TPaperKind::Label;
    ((card ? rbCrdSender : rbLblSender))->setChecked(side == 1);
    ((card ? rbCrdAdrs : rbLblAdrs))->setChecked(side != 1);
}

int TNewLabelDialog::GetDataSide() const
{
    const bool card = m_format.PaperKind() != TPaperKind::Label;
    return (card ? rbCrdSender : rbLblSender)->isChecked() ? 1 : 0;
}

bool TNewLabelDialog::IsHorizontalFormat() const
{
    TLayoutFormat base = m_format;
    if (m_selectedIndex < 0) {
        const int at = m_user.indexOfId(-m_selectedIndex);
        if (at >= 0)
            base = GetFormat(m_user.Records.at(at).BaseIndex);
    }
    if (base.Height < base.Width)
        return true;
    if (base.PaperKind() == TPaperKind::Label)
        return false;
    return base.Direction == 1;
}

void TNewLabelDialog::categoryClick()
{
    QComboBox *combo = category();
    FillList(list(), combo, m_kind);
    const bool custom = combo->currentData().toInt() < 1;
    (cardPage() ? bbtnCrdDelete : bbtnLblDelete)->setEnabled(custom);
    const bool was = m_updating;
    m_updating = true;
    if (list()->count() > 0)
        list()->setCurrentRow(0);
    m_updating = was;
    SelectFormat();
}

void TNewLabelDialog::CheckRadiosFor(int direction, bool userFormat)
{
    const bool was = m_updating;
    m_updating = true;
    if (!cardPage()) {
        (direction == 0 ? rbLblV : rbLblH)->setChecked(true);
        PaperDlg::lockToChecked({rbLblV, rbLblH}, userFormat);
    } else {
        (direction == 0 ? rbCrdV : rbCrdH)->setChecked(true);
        (direction == 2 ? rbCrdWordV : rbCrdWordH)->setChecked(true);
        PaperDlg::lockToChecked({rbCrdV, rbCrdH, rbCrdWordV, rbCrdWordH}, userFormat);
        if (!userFormat)
            rbCrdWordV->setEnabled(rbCrdH->isChecked());
    }
    PaperDlg::paintPair(rbLblV, rbLblH);
    PaperDlg::paintPair(rbCrdV, rbCrdH);
    PaperDlg::paintPair(rbCrdWordV, rbCrdWordH);
    m_updating = was;
}

void TNewLabelDialog::BarcodeCheck(bool)
{
    // One axis for every paper dialog: the piece's longer side.
    int size = m_barcodeSize;
    m_noBarcode = !BarcodeSizeForLength(PaperFmt::barcodeAxisLength(m_format), size);
    m_barcodeSize = size;
}

void TNewLabelDialog::SelectFormat()
{
    if (m_updating || !list()->currentItem())
        return;
    const int value = list()->currentItem()->data(Qt::UserRole).toInt();
    int index;
    if (category()->currentData().toInt() < 1) {
        index = -value;
    } else if (!cardPage()) {
        index = value + (rbLblH->isChecked() ? 1 : 0);
    } else {
        index = value + (rbCrdH->isChecked() ? 1 : 0) + (rbCrdWordV->isChecked() ? 1 : 0);
    }
    m_selectedIndex = index;
    if (index < 0) {
        const int at = m_user.indexOfId(-index);
        if (at < 0)
            return;
        const TCustomFormat &c = m_user.Records.at(at);
        m_format = c.Format;
        m_grid = m_user.gridOf(c);
        CheckRadiosFor(m_format.Direction, true);
        BarcodeCheck(true);
    } else {
        if (index >= m_catalogue.Records.size())
            return;
        m_format = m_catalogue.Records.at(index);
        m_grid = m_catalogue.gridOf(m_format);
        CheckRadiosFor(m_format.Direction, false);
        BarcodeCheck(false);
    }
    UpdatePreview();
}

void TNewLabelDialog::selectCategoryFor(const TLayoutFormat &f, bool userFormat)
{
    QComboBox *combo = category();
    for (int i = 0; i < combo->count(); ++i) {
        const bool custom = combo->itemData(i).toInt() < 1;
        if (userFormat ? custom : (!custom && combo->itemText(i) == f.CategoryText())) {
            combo->setCurrentIndex(i);
            break;
        }
    }
    (cardPage() ? bbtnCrdDelete : bbtnLblDelete)->setEnabled(userFormat);
    FillList(list(), combo, m_kind);
}

void TNewLabelDialog::selectListEntry(const QVariant &value)
{
    for (int i = 0; i < list()->count(); ++i)
        if (list()->item(i)->data(Qt::UserRole) == value) {
            list()->setCurrentRow(i);
            return;
        }
}

void TNewLabelDialog::ShowFormat(int index)
{
    m_updating = true;
    const int first = firstRecordOfPage();
    int selection = (index < 0 || index >= first) ? index : first;
    m_formatInUse = index;
    int at = -1;
    if (selection < 0) {
        at = m_user.indexOfId(-selection);
        if (at < 0 || m_user.Records.at(at).Format.PaperKind() != m_kind) {
            at = -1;
            selection = first;
        }
    }
    if (at < 0 && (selection < 0 || selection >= m_catalogue.Records.size())) {
        m_updating = false;
        return; // no catalogue: nothing to show
    }
    m_selectedIndex = selection;
    if (at >= 0) {
        const TCustomFormat &c = m_user.Records.at(at);
        m_format = c.Format;
        m_grid = m_user.gridOf(c);
        selectCategoryFor(m_format, true);
        selectListEntry(c.Id);
    } else {
        m_format = m_catalogue.Records.at(selection);
        m_grid = m_catalogue.gridOf(m_format);
        selectCategoryFor(m_format, false);
        selectListEntry(selection - m_format.Direction);
    }
    CheckRadiosFor(m_format.Direction, at >= 0);
    BarcodeCheck(at >= 0);
    UpdatePreview();
    m_updating = false;
}

void TNewLabelDialog::addClick()
{
    TCustomLabelDialog dialog(this, this);
    CenterFormOnOwner(&dialog, this);
    if (m_selectedIndex < 0) {
        const int at = list()->currentItem() ? m_user.indexOfId(list()->currentItem()->data(Qt::UserRole).toInt()) : -1;
        if (at < 0)
            return;
        const TCustomFormat &c = m_user.Records.at(at);
        dialog.SetCustomSheet(c);
        if (c.Format.GridIndex > 0)
            dialog.SetWorkingGrid(m_user.gridOf(c));
    } else {
        dialog.SetBaseSheet(m_selectedIndex);
    }
    if (ExecCustomSheet(dialog) != QDialog::Accepted)
        return;
    const TCustomFormat sheet = dialog.GetCustomSheet();
    const TLabelGrid grid = dialog.WorkingGrid();
    const std::int32_t id = m_user.add(sheet, &grid);
    if (id == 0) {
        PaperDlg::inform(this, {QStringLiteral("これ以上用紙を登録できません")});
        return;
    }

    QComboBox *combo = category();
    if (!(cardPage() ? m_hasCustomCards : m_hasCustomLabels))
        appendCustomCategory(combo);
    combo->setCurrentIndex(combo->count() - 1);
    FillList(list(), combo, m_kind);
    const bool was = m_updating;
    m_updating = true;
    selectListEntry(id);
    m_updating = was;
    SelectFormat();
    (cardPage() ? bbtnCrdDelete : bbtnLblDelete)->setEnabled(true);
}

void TNewLabelDialog::deleteClick()
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
    QComboBox *combo = category();
    if (list()->count() > 0) {
        m_updating = true;
        list()->setCurrentRow(std::min(row, list()->count() - 1));
        m_updating = was;
        SelectFormat();
    } else {
        combo->removeItem(combo->count() - 1);
        combo->setCurrentIndex(0);
        (cardPage() ? m_hasCustomCards : m_hasCustomLabels) = false;
        categoryClick();
    }
    (cardPage() ? bbtnCrdDelete : bbtnLblDelete)->setEnabled(cardPage() ? m_hasCustomCards && combo->currentData().toInt() < 1
                                                                         : m_hasCustomLabels && combo->currentData().toInt() < 1);
}

void TNewLabelDialog::UpdatePreview()
{
    lblLabelSize->setText(PaperDlg::sizeText(m_format.Width, m_format.Height));
    if (m_format.GridIndex < 1) {
        lblSheetSize->setText(PaperDlg::sizeText(m_format.Width, m_format.Height));
        lblNum->setText(QStringLiteral("1 x 1 枚"));
    } else {
        lblSheetSize->setText(PaperDlg::sizeText(m_grid.SheetWidth, m_grid.SheetHeight));
        lblNum->setText(m_format.Direction == 0 ? QStringLiteral("%1 x %2 枚").arg(m_grid.Columns).arg(m_grid.Rows)
                                                : QStringLiteral("%1 x %2 枚").arg(m_grid.Rows).arg(m_grid.Columns));
    }
    const TSheetPreview p = PaperPreview::sheet(m_format, m_grid, pnlImage->size());
    CenterPreviewCard(pnlCard, pnlImage->size(), p.Size);
    pnlCard->update();
    PaperDlg::placeNoBarcode(pnlNoBarcode, m_noBarcode, pnlImage);
}

void TNewLabelDialog::paintCard(QPainter &painter)
{
    TSheetPreview p = PaperPreview::sheet(m_format, m_grid, pnlImage->size());
    // The last frame of a label or card is its barcode frame.
    p.HiddenFrame = m_noBarcode ? static_cast<int>(p.Frames.size()) - 1 : -1;
    PaperPreview::paint(painter, p, PaperPreview::Outline::Grey, false);
}

void TNewLabelDialog::done(int result)
{
    if (result != QDialog::Accepted && m_formatInUse < 0 && m_user.indexOfId(-m_formatInUse) < 0) {
        PaperDlg::inform(this, {QStringLiteral("選択した用紙は削除されています"), QStringLiteral("新しい用紙を設定してください")});
        return;
    }
    PaperDlg::saveUserFormats(this, m_userBase, m_user, CustomFormatsPath(), m_saveAllowed, &m_selectedIndex);
    QDialog::done(result);
}

bool TNewLabelDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pnlImage && event->type() == QEvent::Resize)
        UpdatePreview();
    return QDialog::eventFilter(watched, event);
}
