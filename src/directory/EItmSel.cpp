#include "directory/EItmSel.h"

#include "core/Main.h"
#include "directory/SchArea.h"
#include "util/MsgBoxPos.h"
#include "widgets/EnterKey.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

TExportItemSelect::TExportItemSelect(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("ExportItemSelect"));
    setWindowTitle(QStringLiteral("出力項目の設定"));
    setProperty("HelpContext", 21);
    auto *root = new QVBoxLayout(this);
    root->addWidget(new QLabel(QStringLiteral("出力する項目を設定してください：")));
    auto *middle = new QHBoxLayout;
    root->addLayout(middle, 1);
    lvItem = new QListWidget;
    lvItem->setObjectName(QStringLiteral("lvItem"));
    lvItem->installEventFilter(this);
    middle->addWidget(lvItem, 1);
    auto *moves = new QVBoxLayout;
    middle->addLayout(moves);
    auto button = [&](const char *name, const QString &caption, QBoxLayout *layout) {
        auto *b = new QPushButton(caption);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        layout->addWidget(b);
        return b;
    };
    QPushButton *bbtnTop = button("bbtnTop", QStringLiteral("最上段"), moves);
    QPushButton *bbtnUp = button("bbtnUp", QStringLiteral("上"), moves);
    QPushButton *bbtnDown = button("bbtnDown", QStringLiteral("下"), moves);
    QPushButton *bbtnBottom = button("bbtnBottom", QStringLiteral("最下段"), moves);
    moves->addStretch();
    QPushButton *bbtnAll = button("bbtnAll", QStringLiteral("すべて出力"), moves);
    QPushButton *bbtnReSort = button("bbtnReSort", QStringLiteral("並びを戻す"), moves);
    auto *bottom = new QHBoxLayout;
    root->addLayout(bottom);
    bottom->addStretch();
    btnOk = button("btnOk", QStringLiteral("OK"), bottom);
    btnOk->setDefault(true);
    QPushButton *btnCancel = button("btnCancel", QStringLiteral("キャンセル"), bottom);
    // Return on キャンセル or a move button presses it, never OK behind it.
    PressFocusedButtonOnEnter(this);

    connect(bbtnTop, &QPushButton::clicked, this, [this] { moveTo(0); });
    connect(bbtnUp, &QPushButton::clicked, this, [this] { moveTo(lvItem->currentRow() - 1); });
    connect(bbtnDown, &QPushButton::clicked, this, [this] { moveTo(lvItem->currentRow() + 1); });
    connect(bbtnBottom, &QPushButton::clicked, this, [this] { moveTo(lvItem->count() - 1); });
    connect(bbtnAll, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < lvItem->count(); ++i)
            lvItem->item(i)->setCheckState(Qt::Checked);
    });
    connect(bbtnReSort, &QPushButton::clicked, this, [this] {
        TExportColumns columns = GetItems();
        std::stable_sort(columns.begin(), columns.end(),
                         [](const TExportColumn &a, const TExportColumn &b) { return a.Item < b.Item; });
        SetItems(columns);
    });
    connect(lvItem, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *Item) {
        Item->setCheckState(Item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    connect(btnOk, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < lvItem->count(); ++i)
            if (lvItem->item(i)->checkState() == Qt::Checked) {
                accept();
                return;
            }
        ShowMessageBoxAt(this, QStringLiteral("出力する項目は１つ以上選択してください  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        lvItem->setFocus();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TExportItemSelect::addRow(const TExportColumn &Column)
{
    const int item = std::clamp(Column.Item, 0, HitColumnCount - 1);
    auto *row = new QListWidgetItem(QString::fromUtf16(HitColumnCatalogue[static_cast<std::size_t>(item)].Caption), lvItem);
    row->setFlags((row->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
    row->setCheckState(Column.Exported ? Qt::Checked : Qt::Unchecked);
    row->setData(Qt::UserRole, item);
}

void TExportItemSelect::SetItems(const TExportColumns &Columns)
{
    lvItem->clear();
    for (const TExportColumn &c : Columns)
        addRow(c);
    lvItem->setCurrentRow(0);
    lvItem->setFocus();
    // Every column in view at once.
    if (lvItem->count() > 0)
        lvItem->setMinimumHeight(lvItem->sizeHintForRow(0) * lvItem->count() + 2 * lvItem->frameWidth() + 4);
}

TExportColumns TExportItemSelect::GetItems() const
{
    TExportColumns columns = DefaultExportColumns();
    for (int i = 0; i < lvItem->count() && i < static_cast<int>(columns.size()); ++i) {
        columns[static_cast<std::size_t>(i)].Item = lvItem->item(i)->data(Qt::UserRole).toInt();
        columns[static_cast<std::size_t>(i)].Exported = lvItem->item(i)->checkState() == Qt::Checked;
    }
    return columns;
}

void TExportItemSelect::moveTo(int Row)
{
    const int from = lvItem->currentRow();
    if (from < 0 || lvItem->count() == 0)
        return;
    const int to = std::clamp(Row, 0, lvItem->count() - 1);
    if (to != from) {
        QListWidgetItem *item = lvItem->takeItem(from);
        lvItem->insertItem(to, item);
    }
    lvItem->setCurrentRow(to);
    lvItem->setFocus();
}

bool TExportItemSelect::eventFilter(QObject *Watched, QEvent *Event)
{
    // Enter in the list presses OK; the space bar ticks as in any list.
    if (Watched == lvItem && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnOk->click();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}
