#pragma once

#include <QList>
#include <QtGlobal>
#include <QString>
#include <QStringList>

class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QTreeWidget;
class QWidget;

// The pieces the windows of the two route programs (駅すぱあと and 乗換案内)
// build and read alike: their station lists, buttons, start-station box and
// the OK/キャンセル row of their dialogs.

// A flat single-selection station list named Name with fixed columns of
// Widths under the Columns captions.
[[nodiscard]] QTreeWidget *MakeStationList(QWidget *Parent, const char *Name, const QStringList &Columns,
                                           const QList<int> &Widths);
// A push button that is never the default button.
[[nodiscard]] QPushButton *MakeRouteButton(QWidget *Parent, const char *Name, const QString &Caption);

// The box "出発駅": the station list lvStart (Columns, Widths) and its picker
// button bbtnStart beside it.
struct TStartBox {
    QGroupBox *Box = nullptr;
    QTreeWidget *List = nullptr;
    QPushButton *Button = nullptr;
};
[[nodiscard]] TStartBox MakeStartBox(QWidget *Parent, const QStringList &Columns, const QList<int> &Widths);

// Shows the one start station of List; nothing changes while Texts names
// no station (its first text blank).
void ShowStartRow(QTreeWidget *List, const QStringList &Texts);

// The row of List's current item while it is selected, else -1.
[[nodiscard]] int SelectedStationRow(const QTreeWidget *List);

// A dialog's buttons btnOK "OK" and btnCancel "キャンセル", right-aligned
// in the row returned.
[[nodiscard]] QHBoxLayout *MakeOkCancelRow(QWidget *Dialog, QPushButton *&Ok, QPushButton *&Cancel);

// The map button of both front ends: the station at Latitude/Longitude
// (thousandths of an arc-second) in the map program the user cooperates
// with; nothing while none is chosen.
void ShowStationOnChosenMap(QWidget *Owner, qint32 Latitude, qint32 Longitude, const QString &ProgramFolder);
