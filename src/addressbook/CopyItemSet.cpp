#include "addressbook/CopyItemSet.h"

#include "core/Inquiry.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "widgets/CheckedCaption.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Restores the cursor however the handler leaves.
class TWaitCursor
{
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;
};

QPushButton *makeButton(const QString &caption, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

bool isEnter(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// An item number outside the table names no item and shows no caption.
QString itemCaption(int position)
{
    if (position < 0 || position >= static_cast<int>(CopyItems.size()))
        return {};
    return CopyItems[static_cast<std::size_t>(position)].Caption;
}

} // namespace

TCopyItemSet::TCopyItemSet(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("CopyItemSet"));
    setWindowTitle(QStringLiteral("コピーする項目の設定"));

    lvCopyItem = new QListWidget(this);
    lvCopyItem->setObjectName(QStringLiteral("lvCopyItem"));
    lvCopyItem->setSelectionMode(QAbstractItemView::SingleSelection);
    lvCopyItem->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvCopyItem->installEventFilter(this);
    connect(lvCopyItem, &QListWidget::itemDoubleClicked, this, [](QListWidgetItem *item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });

    bbtnTop = makeButton(QStringLiteral("最上段"), QStringLiteral("bbtnTop"), this);
    bbtnUp = makeButton(QStringLiteral("上"), QStringLiteral("bbtnUp"), this);
    bbtnDown = makeButton(QStringLiteral("下"), QStringLiteral("bbtnDown"), this);
    bbtnBottom = makeButton(QStringLiteral("最下段"), QStringLiteral("bbtnBottom"), this);
    bbtnAll = makeButton(QStringLiteral("すべてコピー"), QStringLiteral("bbtnAll"), this);
    bbtnReSort = makeButton(QStringLiteral("並びを戻す"), QStringLiteral("bbtnReSort"), this);
    chkLastReturn = new QCheckBox(QStringLiteral("末尾に改行を入れる"), this);
    chkLastReturn->setObjectName(QStringLiteral("chkLastReturn"));
    chkLastReturn->installEventFilter(this);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    connect(bbtnTop, &QPushButton::clicked, this, [this] { MoveFocusedRow(0); });
    connect(bbtnUp, &QPushButton::clicked, this, [this] { MoveFocusedRow(lvCopyItem->currentRow() - 1); });
    connect(bbtnDown, &QPushButton::clicked, this, [this] { MoveFocusedRow(lvCopyItem->currentRow() + 1); });
    connect(bbtnBottom, &QPushButton::clicked, this, [this] { MoveFocusedRow(lvCopyItem->count() - 1); });
    connect(bbtnAll, &QPushButton::clicked, this, [this] {
        for (int row = 0; row < lvCopyItem->count(); ++row)
            lvCopyItem->item(row)->setCheckState(Qt::Checked);
    });
    connect(bbtnReSort, &QPushButton::clicked, this, &TCopyItemSet::bbtnReSortClick);
    connect(chkLastReturn, &QCheckBox::toggled, this, &TCopyItemSet::UpdateLastReturnColor);
    connect(btnOk, &QPushButton::clicked, this, &TCopyItemSet::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *side = new QVBoxLayout;
    for (QPushButton *b : {bbtnTop, bbtnUp, bbtnDown, bbtnBottom})
        side->addWidget(b);
    side->addSpacing(12);
    side->addWidget(bbtnAll);
    side->addWidget(bbtnReSort);
    side->addStretch();
    auto *body = new QHBoxLayout;
    body->addWidget(lvCopyItem, 1);
    body->addLayout(side);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(chkLastReturn);
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    resize(ScaleForDpi(360, true), ScaleForDpi(420, true));

    for (std::size_t i = 0; i < m_items.size(); ++i)
        m_items[i] = {CopyItems[i].Index, CopyItems[i].Index, CopyItems[i].Chosen};
    FillList();
    UpdateLastReturnColor();
}

TCopyItemSet::~TCopyItemSet() = default;

void TCopyItemSet::SetItems(const TCopyItemEntries &Items, bool LastReturn)
{
    m_items = Items;
    FillList();
    lvCopyItem->setFocus();
    chkLastReturn->setChecked(LastReturn);
}

void TCopyItemSet::GetItems(TCopyItemEntries &Items, bool &LastReturn) const
{
    Items = m_items;
    for (int row = 0; row < lvCopyItem->count() && row < static_cast<int>(Items.size()); ++row)
        Items[static_cast<std::size_t>(row)].Copy = lvCopyItem->item(row)->checkState() == Qt::Checked;
    LastReturn = chkLastReturn->isChecked();
}

void TCopyItemSet::FillList()
{
    lvCopyItem->clear();
    for (const TCopyItemEntry &entry : m_items) {
        auto *item = new QListWidgetItem(itemCaption(entry.Position));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.Copy ? Qt::Checked : Qt::Unchecked);
        lvCopyItem->addItem(item);
    }
    lvCopyItem->setCurrentRow(0);
    lvCopyItem->item(0)->setSelected(true);
    lvCopyItem->scrollToTop();
}

void TCopyItemSet::TakeCheckMarks()
{
    for (int row = 0; row < lvCopyItem->count() && row < static_cast<int>(m_items.size()); ++row)
        m_items[static_cast<std::size_t>(row)].Copy = lvCopyItem->item(row)->checkState() == Qt::Checked;
}

// The row and its item go to `target`; the rows between shift by one.
void TCopyItemSet::MoveFocusedRow(int target)
{
    const int row = lvCopyItem->currentRow();
    if (row < 0 || target < 0 || target >= lvCopyItem->count() || target == row)
        return;
    QListWidgetItem *item = lvCopyItem->takeItem(row);
    lvCopyItem->insertItem(target, item);
    auto first = m_items.begin();
    if (target < row)
        std::rotate(first + target, first + row, first + row + 1);
    else
        std::rotate(first + row, first + row + 1, first + target + 1);
    lvCopyItem->setCurrentItem(item);
    item->setSelected(true);
    lvCopyItem->scrollToItem(item);
    lvCopyItem->setFocus();
}

void TCopyItemSet::bbtnReSortClick()
{
    TWaitCursor wait;
    TakeCheckMarks();
    std::stable_sort(m_items.begin(), m_items.end(),
                     [](const TCopyItemEntry &a, const TCopyItemEntry &b) { return a.Position < b.Position; });
    FillList();
    lvCopyItem->setFocus();
}

void TCopyItemSet::UpdateLastReturnColor() { PaintCheckedCaption(chkLastReturn); }

void TCopyItemSet::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterFormOnOwner(this, parentWidget());
    lvCopyItem->setFocus();
}

bool TCopyItemSet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lvCopyItem && isEnter(event)) {
        chkLastReturn->setFocus();
        return true;
    }
    if (watched == chkLastReturn && isEnter(event)) {
        btnOk->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TCopyItemSet::accept()
{
    bool any = false;
    for (int row = 0; row < lvCopyItem->count() && !any; ++row)
        any = lvCopyItem->item(row)->checkState() == Qt::Checked;
    if (!any) {
        ShowMessageBoxAt(this, QStringLiteral("コピーする項目は１つ以上選択してください  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        lvCopyItem->setFocus();
        return;
    }
    QDialog::accept();
}
