#include "core/InputPW.h"

#include "core/Env.h"
#include "core/StartupPassword.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "widgets/TntStdCtrls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TInputPassword::TInputPassword(QWidget *Owner)
    : QDialog(Owner)
{
    setObjectName(QStringLiteral("InputPassword"));
    setProperty("HelpContext", 1); // the manual page F1 opens
    setWindowTitle(QStringLiteral("起動時パスワードの入力"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_lblMsg1 = new QLabel(ProductCaption(), this);
    m_lblMsg1->setObjectName(QStringLiteral("lblMsg1"));
    m_lblMsg2 = new QLabel(QStringLiteral("を起動するためのパスワードを入力してください"), this);
    m_lblMsg2->setObjectName(QStringLiteral("lblMsg2"));

    m_medtPassword = new TTntEdit(this);
    m_medtPassword->setObjectName(QStringLiteral("medtPassword"));
    m_medtPassword->SetMaxLength(MaxPasswordLength);
    m_medtPassword->SetPasswordChar(QLatin1Char('*'));
    m_medtPassword->setAttribute(Qt::WA_InputMethodEnabled, false);

    m_btnOk = new QPushButton(QStringLiteral("OK"), this);
    m_btnOk->setObjectName(QStringLiteral("btnOk"));
    m_btnOk->setDefault(true);
    m_btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(m_btnOk, &QPushButton::clicked, this, &TInputPassword::btnOkClick);
    connect(m_btnCancel, &QPushButton::clicked, this, &TInputPassword::btnCancelClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOk);
    buttons->addWidget(m_btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_lblMsg1);
    layout->addWidget(m_lblMsg2);
    layout->addWidget(m_medtPassword);
    layout->addLayout(buttons);
    adjustSize();
    CenterFormOnOwner(this, nullptr);
}

void TInputPassword::btnOkClick()
{
    const QString entry = m_medtPassword->text();
    if (entry.isEmpty()) {
        ShowMessageBoxAt(this, QStringLiteral("パスワードを入力してください  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        m_medtPassword->setFocus();
        return;
    }
    if (StoredPasswordState(StartupPassword) == TStoredPassword::Damaged) {
        // Nothing can match a damaged value; the user learns why, not merely "wrong".
        ShowMessageBoxAt(this,
                         QStringLiteral("登録されているパスワードが壊れているため確認できません  \r\n"
                                        "パスワードを設定し直してください  "),
                         ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        m_medtPassword->clear();
        m_medtPassword->setFocus();
        return;
    }
    if (!PasswordMatches(StartupPassword, entry)) {
        ShowMessageBoxAt(this,
                         QStringLiteral("パスワードが違います  \r\n正しいパスワードを入力してください  "),
                         ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        m_medtPassword->clear();
        m_medtPassword->setFocus();
        return;
    }
    done(QDialog::Accepted);
}

void TInputPassword::btnCancelClick()
{
    done(QDialog::Rejected);
}

bool TInputPassword::FormCloseQuery(int Result)
{
    if (Result == QDialog::Accepted)
        return true;
    return ShowMessageBoxAt(this, QStringLiteral("ピルカノス2014 の起動を中止します  \r\nよろしいですか？  "),
                            ProductCaption(), MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0)
           == IDYES;
}

void TInputPassword::done(int Result)
{
    // Escape, the window's close button and Cancel all end here.
    if (!FormCloseQuery(Result))
        return;
    QDialog::done(Result);
}
