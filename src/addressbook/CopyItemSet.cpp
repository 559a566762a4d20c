#include "addressbook/CopyItemSet.h"

#include "core/Inquiry.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/CheckList.h"
#include "widgets/CheckedCaption.h"
#include "widgets/EnterKey.h"

#include <QCheckBox>
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
    button->setAutoDefault(false);
    return button;
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
    setProperty("HelpContext", 19);

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

    ConnectCheckRowMoves(this, lvCopyItem, m_items, bbtnTop, bbtnUp, bbtnDown, bbtnBottom);
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
    // Return on a move button moves the row, never OK behind it.
    PressFocusedButtonOnEnter(this);
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
    TakeCheckMarks(lvCopyItem, Items, &TCopyItemEntry::Copy);
    LastReturn = chkLastReturn->isChecked();
}

void TCopyItemSet::FillList()
{
    lvCopyItem->clear();
    for (const TCopyItemEntry &entry : m_items)
        AddCheckRow(lvCopyItem, itemCaption(entry.Position), entry.Copy);
    lvCopyItem->setCurrentRow(0);
    lvCopyItem->item(0)->setSelected(true);
    lvCopyItem->scrollToTop();
}

void TCopyItemSet::bbtnReSortClick()
{
    TWaitCursor wait;
    TakeCheckMarks(lvCopyItem, m_items, &TCopyItemEntry::Copy);
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
    if (watched == lvCopyItem && IsEnterKeyPress(event)) {
        chkLastReturn->setFocus();
        return true;
    }
    if (watched == chkLastReturn && IsEnterKeyPress(event)) {
        btnOk->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TCopyItemSet::accept()
{
    if (!AnyRowChecked(lvCopyItem)) {
        ShowMessageBoxAt(this, QStringLiteral("コピーする項目は１つ以上選択してください  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        lvCopyItem->setFocus();
        return;
    }
    QDialog::accept();
}
