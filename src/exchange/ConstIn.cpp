#include "exchange/ConstIn.h"

#include "platform/TextLines.h"
#include "util/SubUnit.h"
#include "widgets/ByteLimitValidator.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TConstantInput::TConstantInput(QWidget *Owner, int Limit) : QDialog(Owner)
{
    setObjectName(QStringLiteral("ConstantInput"));
    setWindowTitle(QStringLiteral("固定値の入力"));
    setProperty("HelpContext", 30); // dialogs of the import's assignment
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("固定値を入力してください。"), this));
    edtConst = new QLineEdit(this);
    edtConst->setObjectName(QStringLiteral("edtConst"));
    edtConst->setAttribute(Qt::WA_InputMethodEnabled, false);
    if (Limit > 0)
        edtConst->setValidator(new TByteLimitValidator(Limit, edtConst));
    edtConst->installEventFilter(this);
    layout->addWidget(edtConst);
    layout->addWidget(new QLabel(QStringLiteral("入力された値は、取り込むすべてのデータにセットされます。"), this));
    btnDate = new QPushButton(QStringLiteral("現在の日付をセット（年月日）"), this);
    btnDate->setObjectName(QStringLiteral("btnDate"));
    btnTime = new QPushButton(QStringLiteral("現在の時刻をセット（時分秒）"), this);
    btnTime->setObjectName(QStringLiteral("btnTime"));
    auto *stamps = new QHBoxLayout;
    stamps->addWidget(btnDate);
    stamps->addWidget(btnTime);
    layout->addLayout(stamps);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    // Enter in the edit moves to OK (or Cancel); Return there presses it.
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(btnDate, &QPushButton::clicked, this, [this] {
        edtConst->setText(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
        edtConst->setFocus();
    });
    connect(btnTime, &QPushButton::clicked, this, [this] {
        edtConst->setText(QTime::currentTime().toString(QStringLiteral("HHmmss")));
        edtConst->setFocus();
    });
    connect(btnOk, &QPushButton::clicked, this, [this] { done(Text().isEmpty() ? Rejected : Accepted); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    CenterFormOnOwner(this, Owner);
}

QString TConstantInput::Text() const
{
    return TrimBlanks(edtConst->text());
}

bool TConstantInput::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == edtConst && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            (Text().isEmpty() ? btnCancel : btnOk)->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}
