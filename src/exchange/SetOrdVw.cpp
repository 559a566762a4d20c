#include "exchange/SetOrdVw.h"

#include "util/SubUnit.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TSetOrderView::TSetOrderView(QWidget *Owner, const QStringList &Slots) : QDialog(Owner)
{
    setObjectName(QStringLiteral("SetOrderView"));
    setWindowTitle(QStringLiteral("セットした内容"));
    setProperty("HelpContext", 30); // dialogs of the import's assignment
    auto *layout = new QVBoxLayout(this);
    sgView = new QTableWidget(9, 2, this);
    sgView->setObjectName(QStringLiteral("sgView"));
    sgView->horizontalHeader()->hide();
    sgView->verticalHeader()->hide();
    sgView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgView->setAttribute(Qt::WA_InputMethodEnabled, false);
    sgView->setColumnWidth(1, ScaleForDpi(315, true));
    for (int i = 0; i < 9; ++i) {
        sgView->setItem(i, 0, new QTableWidgetItem(QStringLiteral(" %1").arg(i + 1)));
        sgView->setItem(i, 1, new QTableWidgetItem(Slots.value(i)));
        sgView->setRowHeight(i, fontMetrics().height() + 4);
    }
    layout->addWidget(sgView);
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
    CenterFormOnOwner(this, Owner);
}
