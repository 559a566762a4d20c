#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TTntEdit;

// The start-up password prompt. OK compares the entry with the password
// derived from StartupPassword at that moment (a damaged stored value refuses
// every entry); any other way of leaving the dialog asks whether start-up is
// to be abandoned.
class TInputPassword : public QDialog
{
    Q_OBJECT

public:
    explicit TInputPassword(QWidget *Owner = nullptr);

    static constexpr int MaxPasswordLength = 16;

    void btnOkClick();
    void btnCancelClick();
    // True when the dialog may close now (it always may when ending with OK).
    [[nodiscard]] bool FormCloseQuery(int Result);

    void done(int Result) override;

private:
    QLabel *m_lblMsg1 = nullptr;
    QLabel *m_lblMsg2 = nullptr;
    TTntEdit *m_medtPassword = nullptr;
    QPushButton *m_btnOk = nullptr;
    QPushButton *m_btnCancel = nullptr;
};
