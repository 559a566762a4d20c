#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QPushButton;

// Packs the open address book's table and the sender table (the engine's
// VACUUM) after copying both into the data folder's "backup.opt/". False
// with the reason when the safety copy or a pack failed: a failed safety
// copy stops before anything is changed, and a pack that failed is reported,
// never taken for done. Needs the data module with the open book.
[[nodiscard]] bool OptimizeTables(QString *error);

// The dialog "データの最適化": asks, lets the main list close its other
// windows (CloseChildWindows; false stops), runs OptimizeTables under the
// hourglass and tells the result. Accepted after a run that succeeded.
class TOptimizeData : public QDialog
{
    Q_OBJECT

public:
    explicit TOptimizeData(QWidget *parent = nullptr);
    std::function<bool()> CloseChildWindows;

    void btnOptimizeClick();

private:
    QPushButton *btnOptimize = nullptr;
    QPushButton *btnClose = nullptr;
};
