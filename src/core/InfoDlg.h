#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// The greeting shown when the main list first appears: where the manual is,
// and two switches the caller stores afterwards ([BASE] Info from
// GetShowInfo, [UPDATE] UpdateCheck from GetUpdateCheck).
class TInfoDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TInfoDialog(QWidget *Owner = nullptr);

    [[nodiscard]] bool GetShowInfo() const;
    [[nodiscard]] bool GetUpdateCheck() const;

private:
    QCheckBox *ckbInfo = nullptr;
    QCheckBox *ckbUpdate = nullptr;
    QPushButton *btnOK = nullptr;
};

// Shows the greeting modally over Owner and stores the two switches in the
// settings file (and UpdateCheck); a failed write is reported.
void ShowInfoDialog(QWidget *Owner);
