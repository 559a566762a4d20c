#pragma once

#include <QDialog>
#include <QStringList>

class QTableWidget;

// Shows the nine slots of one destination row of the import's assignment,
// read only.
class TSetOrderView : public QDialog
{
    Q_OBJECT

public:
    TSetOrderView(QWidget *Owner, const QStringList &Slots);
    QTableWidget *sgView = nullptr;
};
