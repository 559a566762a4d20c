#include "links/RouteWindowsCommon.h"

#include "core/Env.h"
#include "links/MapPrograms.h"
#include "links/MapSearch.h"
#include "links/RoutePrograms.h"
#include "util/WaitCursor.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

QTreeWidget *MakeStationList(QWidget *Parent, const char *Name, const QStringList &Columns, const QList<int> &Widths)
{
    auto *list = new QTreeWidget(Parent);
    list->setObjectName(QString::fromLatin1(Name));
    list->setHeaderLabels(Columns);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    // The columns keep the widths they are made with.
    list->header()->setSectionResizeMode(QHeaderView::Fixed);
    list->header()->setSectionsMovable(false);
    for (int i = 0; i < Widths.size(); ++i)
        list->setColumnWidth(i, Widths[i]);
    return list;
}

QPushButton *MakeRouteButton(QWidget *Parent, const char *Name, const QString &Caption)
{
    auto *button = new QPushButton(Caption, Parent);
    button->setObjectName(QString::fromLatin1(Name));
    button->setAutoDefault(false);
    return button;
}

TStartBox MakeStartBox(QWidget *Parent, const QStringList &Columns, const QList<int> &Widths)
{
    TStartBox start;
    start.Box = new QGroupBox(QStringLiteral("出発駅"), Parent);
    start.List = MakeStationList(start.Box, "lvStart", Columns, Widths);
    start.List->setFixedHeight(50);
    start.Button = MakeRouteButton(start.Box, "bbtnStart", QStringLiteral("駅選択..."));
    auto *row = new QHBoxLayout(start.Box);
    row->addWidget(start.List, 1);
    row->addWidget(start.Button, 0, Qt::AlignTop);
    return start;
}

void ShowStartRow(QTreeWidget *List, const QStringList &Texts)
{
    if (Texts.isEmpty() || Texts.first().isEmpty())
        return;
    List->clear();
    List->addTopLevelItem(new QTreeWidgetItem(Texts));
    List->setCurrentItem(List->topLevelItem(0));
}

int SelectedStationRow(const QTreeWidget *List)
{
    QTreeWidgetItem *item = List->currentItem();
    return item && item->isSelected() ? List->indexOfTopLevelItem(item) : -1;
}

QHBoxLayout *MakeOkCancelRow(QWidget *Dialog, QPushButton *&Ok, QPushButton *&Cancel)
{
    Ok = new QPushButton(QStringLiteral("OK"), Dialog);
    Ok->setObjectName(QStringLiteral("btnOK"));
    Cancel = new QPushButton(QStringLiteral("キャンセル"), Dialog);
    Cancel->setObjectName(QStringLiteral("btnCancel"));
    // Enter in the fields leads to OK; Return there (or on Cancel) presses it.
    Ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Ok);
    buttons->addWidget(Cancel);
    return buttons;
}

void ShowStationOnChosenMap(QWidget *Owner, qint32 Latitude, qint32 Longitude, const QString &ProgramFolder)
{
    if (CooperateMap < 0 || CooperateMap >= MapProgramCount)
        return;
    TWaitCursor hourglass;
    (void)ShowStationOnMap(TMapProgramKind(CooperateMap), Latitude, Longitude, Owner, MapPrograms(), ProgramFolder);
}
