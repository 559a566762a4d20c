#include "addressbook/WordSch.h"

#include "platform/TextLines.h"
#include "util/SubUnit.h"
#include "widgets/EnterKey.h"
#include "widgets/TntStdCtrls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TWordSearch::TWordSearch(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("WordSearch"));
    setWindowTitle(QStringLiteral("一覧内のワード検索"));

    lblMsg1 = new QLabel(QStringLiteral("表示しているアドレス帳一覧の内容を、指定した文字列で検索します"), this);
    lblMsg1->setObjectName(QStringLiteral("lblMsg1"));
    lblMsg2 = new QLabel(QStringLiteral("該当する文字列のある行が見つかれば、その行に移動します"), this);
    lblMsg2->setObjectName(QStringLiteral("lblMsg2"));
    lblMsg3 = new QLabel(QStringLiteral("※アドレス帳の件数が多い場合、検索に時間がかかる場合があります"), this);
    lblMsg3->setObjectName(QStringLiteral("lblMsg3"));

    edtWord = new TTntEdit(this);
    edtWord->setObjectName(QStringLiteral("edtWord"));
    edtWord->installEventFilter(this);

    btnSearch = new QPushButton(QStringLiteral("検索"), this);
    btnSearch->setObjectName(QStringLiteral("btnSearch"));
    btnSearch->setDefault(true);
    btnClear = new QPushButton(QStringLiteral("検索の解除"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnSearch, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnClear, &QPushButton::clicked, this, &TWordSearch::btnClearClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSearch);
    buttons->addWidget(btnClear);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblMsg1);
    layout->addWidget(lblMsg2);
    layout->addWidget(edtWord);
    layout->addWidget(lblMsg3);
    layout->addLayout(buttons);

    setTabOrder(edtWord, btnSearch);
    setTabOrder(btnSearch, btnClear);
    setTabOrder(btnClear, btnCancel);
    adjustSize();
}

TWordSearch::~TWordSearch() = default;

void TWordSearch::SetWord(const QString &Word)
{
    edtWord->SetText(Word);
    SelectWord();
}

QString TWordSearch::GetWord() const { return TrimBlanks(edtWord->GetText()); }

void TWordSearch::SelectWord()
{
    // Selected from the start forward, so the caret stands at the end.
    edtWord->setCursorPosition(0);
    edtWord->cursorForward(true, static_cast<int>(edtWord->text().size()));
}

void TWordSearch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterFormOnOwner(this, parentWidget());
    edtWord->setFocus();
    SelectWord();
}

bool TWordSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edtWord && IsEnterKeyPress(event)) {
        btnSearch->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TWordSearch::btnClearClick()
{
    edtWord->SetText(QString());
    accept();
}
