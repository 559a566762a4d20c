#include "addressbook/DupliSch.h"

#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "widgets/EnterKey.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace {

const QStringList DuplicateItems{QStringLiteral("電話番号"), QStringLiteral("住所"), QStringLiteral("会社名"),
                                 QStringLiteral("名前")};

} // namespace

TDuplicateSearch::TDuplicateSearch(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DuplicateSearch"));
    setWindowTitle(QStringLiteral("重複データの表示"));
    setProperty("HelpContext", 28);

    cbxItem1 = new QComboBox(this);
    cbxItem1->setObjectName(QStringLiteral("cbxItem1"));
    cbxItem1->addItems(DuplicateItems);
    cbxItem2 = new QComboBox(this);
    cbxItem2->setObjectName(QStringLiteral("cbxItem2"));
    cbxItem2->addItem(QStringLiteral("（指定しない）"));
    cbxItem2->addItems(DuplicateItems);
    for (QComboBox *combo : {cbxItem1, cbxItem2}) {
        combo->setCurrentIndex(0);
        combo->installEventFilter(this);
    }

    lblItem1 = new QLabel(QStringLiteral("項目１："), this);
    lblItem1->setObjectName(QStringLiteral("lblItem1"));
    lblItem1->setBuddy(cbxItem1);
    lblItem2 = new QLabel(QStringLiteral("項目２："), this);
    lblItem2->setObjectName(QStringLiteral("lblItem2"));
    lblItem2->setBuddy(cbxItem2);
    lblNote = new QLabel(QStringLiteral("※重複データを表示している間、アドレス帳一覧画面の並び順の指定は無効になります"), this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);

    btnView = new QPushButton(QStringLiteral("表示"), this);
    btnView->setObjectName(QStringLiteral("btnView"));
    btnView->setDefault(true);
    btnClear = new QPushButton(QStringLiteral("重複データ表示の解除"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnView, &QPushButton::clicked, this, &TDuplicateSearch::btnViewClick);
    connect(btnClear, &QPushButton::clicked, this, &TDuplicateSearch::btnClearClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout;
    grid->addWidget(lblItem1, 0, 0);
    grid->addWidget(cbxItem1, 0, 1);
    grid->addWidget(lblItem2, 1, 0);
    grid->addWidget(cbxItem2, 1, 1);
    grid->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnView);
    buttons->addWidget(btnClear);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(lblNote);
    layout->addLayout(buttons);

    setTabOrder(cbxItem1, cbxItem2);
    setTabOrder(cbxItem2, btnView);
    setTabOrder(btnView, btnClear);
    setTabOrder(btnClear, btnCancel);
    adjustSize();
}

TDuplicateSearch::~TDuplicateSearch() = default;

void TDuplicateSearch::SetItems(int Item1, int Item2)
{
    m_item1 = Item1;
    m_item2 = Item2;
    const bool set = Item1 >= 1 && Item1 <= DuplicateItems.size();
    cbxItem1->setCurrentIndex(set ? Item1 - 1 : 0);
    cbxItem2->setCurrentIndex(set && Item2 >= 0 && Item2 <= DuplicateItems.size() ? Item2 : 0);
    btnClear->setEnabled(set);
}

void TDuplicateSearch::GetItems(int &Item1, int &Item2) const
{
    if (m_cleared) {
        Item1 = 0;
        Item2 = 0;
        return;
    }
    Item1 = cbxItem1->currentIndex() + 1;
    Item2 = cbxItem2->currentIndex();
}

void TDuplicateSearch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterFormOnOwner(this, parentWidget());
    cbxItem1->setFocus();
}

bool TDuplicateSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (IsEnterKeyPress(event)) {
        if (watched == cbxItem1) {
            cbxItem2->setFocus();
            return true;
        }
        if (watched == cbxItem2) {
            btnView->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TDuplicateSearch::btnViewClick()
{
    const int item1 = cbxItem1->currentIndex() + 1;
    const int item2 = cbxItem2->currentIndex();
    if (item1 == item2) {
        ShowMessageBoxAt(this, QStringLiteral("同じ項目を指定できません  "), ProductCaption(), MB_ICONINFORMATION,
                         mbpCenterOnOwner, 0, 0);
        cbxItem2->setFocus();
        return;
    }
    m_cleared = false;
    if (item1 == m_item1 && item2 == m_item2) {
        reject();
        return;
    }
    accept();
}

void TDuplicateSearch::btnClearClick()
{
    m_cleared = true;
    accept();
}
