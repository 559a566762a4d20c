#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// Asks for a constant that the import puts into every record's field: a
// text of at most Limit bytes of Shift-JIS (0: no limit), or today's date
// (yyyymmdd) or the time (hhnnss) with a button. OK with a blank text acts
// as Cancel.
class TConstantInput : public QDialog
{
    Q_OBJECT

public:
    explicit TConstantInput(QWidget *Owner, int Limit);
    // The text, trimmed.
    [[nodiscard]] QString Text() const;
    QLineEdit *edtConst = nullptr;
    QPushButton *btnDate = nullptr;
    QPushButton *btnTime = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
};
