#include "addressbook/HdrSel.h"

#include "core/Inquiry.h"
#include "platform/Colors.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/CheckList.h"
#include "widgets/EnterKey.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QPushButton *makeButton(const QString &caption, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

THeaderSelect::THeaderSelect(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("HeaderSelect"));
    // The manual page F1 opens.
    setProperty("HelpContext", HelpContext);
    setWindowTitle(QStringLiteral("表示項目の設定"));

    lvHeader = new QListWidget(this);
    lvHeader->setObjectName(QStringLiteral("lvHeader"));
    lvHeader->setSelectionMode(QAbstractItemView::SingleSelection);
    lvHeader->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvHeader->installEventFilter(this);
    connect(lvHeader, &QListWidget::itemChanged, this, &THeaderSelect::ItemChanged);
    connect(lvHeader, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *) {
        if (QListWidgetItem *item = lvHeader->currentItem())
            item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    connect(lvHeader, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *current, QListWidgetItem *) {
        if (current)
            lvHeader->scrollToItem(current);
    });

    bbtnTop = makeButton(QStringLiteral("最上段"), QStringLiteral("bbtnTop"), this);
    bbtnUp = makeButton(QStringLiteral("上"), QStringLiteral("bbtnUp"), this);
    bbtnDown = makeButton(QStringLiteral("下"), QStringLiteral("bbtnDown"), this);
    bbtnBottom = makeButton(QStringLiteral("最下段"), QStringLiteral("bbtnBottom"), this);
    bbtnAll = makeButton(QStringLiteral("すべて表示"), QStringLiteral("bbtnAll"), this);
    bbtnReView = makeButton(QStringLiteral("表示を戻す"), QStringLiteral("bbtnReView"), this);
    bbtnReSort = makeButton(QStringLiteral("並びを戻す"), QStringLiteral("bbtnReSort"), this);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    // OK is the default button, not the first of the moving buttons.
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    ConnectCheckRowMoves(this, lvHeader, m_records, bbtnTop, bbtnUp, bbtnDown, bbtnBottom);
    connect(bbtnAll, &QPushButton::clicked, this, [this] { SetCheckMarks([](const TColumnRecord &) { return true; }); });
    connect(bbtnReView, &QPushButton::clicked, this, [this] {
        SetCheckMarks([](const TColumnRecord &r) {
            return r.DefIndex >= 0 && r.DefIndex < AddressListColumnCount
                   && AddressListColumns[static_cast<std::size_t>(r.DefIndex)].Shown;
        });
    });
    connect(bbtnReSort, &QPushButton::clicked, this, &THeaderSelect::bbtnReSortClick);
    connect(btnOk, &QPushButton::clicked, this, &THeaderSelect::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *side = new QVBoxLayout;
    for (QPushButton *b : {bbtnTop, bbtnUp, bbtnDown, bbtnBottom})
        side->addWidget(b);
    side->addSpacing(12);
    for (QPushButton *b : {bbtnAll, bbtnReView, bbtnReSort})
        side->addWidget(b);
    side->addStretch();
    auto *body = new QHBoxLayout;
    body->addWidget(lvHeader, 1);
    body->addLayout(side);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    resize(ScaleForDpi(360, true), ScaleForDpi(420, true));

    m_records = DefaultColumnRecords();
}

THeaderSelect::~THeaderSelect() = default;

void THeaderSelect::SetColumns(const TColumnRecords &Records)
{
    m_records = Records;
    FillList();
}

void THeaderSelect::GetColumns(TColumnRecords &Records) const
{
    Records = m_records;
    TakeCheckMarks(lvHeader, Records, &TColumnRecord::Shown);
}

void THeaderSelect::FillList()
{
    lvHeader->clear();
    for (const TColumnRecord &record : m_records)
        ItemChanged(AddCheckRow(lvHeader, ColumnCaption(record.DefIndex), record.Shown));
    if (lvHeader->count() > 0) {
        lvHeader->setCurrentRow(0);
        lvHeader->item(0)->setSelected(true);
    }
}

void THeaderSelect::ItemChanged(QListWidgetItem *item)
{
    // A checked column's caption is drawn blue, as checked options are
    // everywhere in the dialogs. Setting the same brush again emits nothing.
    const QBrush brush = item->checkState() == Qt::Checked ? QBrush(ColorToQColor(clBlue)) : QBrush();
    if (item->foreground() != brush)
        item->setForeground(brush);
}

void THeaderSelect::SetCheckMarks(bool (*shown)(const TColumnRecord &))
{
    for (int row = 0; row < lvHeader->count() && row < ListColumnCount; ++row)
        lvHeader->item(row)->setCheckState(shown(m_records[static_cast<std::size_t>(row)]) ? Qt::Checked
                                                                                            : Qt::Unchecked);
}

void THeaderSelect::bbtnReSortClick()
{
    TWaitCursor wait;
    TakeCheckMarks(lvHeader, m_records, &TColumnRecord::Shown);
    std::stable_sort(m_records.begin(), m_records.end(),
                     [](const TColumnRecord &a, const TColumnRecord &b) { return a.DefIndex < b.DefIndex; });
    FillList();
    lvHeader->setFocus();
}

void THeaderSelect::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterFormOnOwner(this, parentWidget());
    lvHeader->setFocus();
}

bool THeaderSelect::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lvHeader && IsEnterKeyPress(event)) {
        btnOk->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void THeaderSelect::accept()
{
    if (!AnyRowChecked(lvHeader)) {
        ShowMessageBoxAt(this, QStringLiteral("表示する項目は１つ以上選択してください  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        lvHeader->setFocus();
        return;
    }
    QDialog::accept();
}
