#include "dialogs/PaperDlgCommon.h"

#include "dialogs/PaperDlgSub.h"
#include "dialogs/PaperFmt.h"
#include "dialogs/PaperPreview.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/SubUnit.h"
#include "widgets/ByteLimitValidator.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace PaperDlg {

QFrame *previewFrame(QWidget *parent, const char *name, int minWidth, int minHeight)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setMinimumSize(ScaleForDpi(minWidth, true), ScaleForDpi(minHeight, true));
    return frame;
}

TPreviewPanel *previewCard(QWidget *frame, std::function<void(QPainter &)> paint)
{
    auto *card = new TPreviewPanel(frame);
    card->setObjectName(QStringLiteral("pnlCard"));
    card->OnPaint = std::move(paint);
    return card;
}

QLabel *noBarcodeNote(QWidget *frame)
{
    auto *note = new QLabel(QStringLiteral("※バーコードは印刷できません"), frame);
    note->setObjectName(QStringLiteral("pnlNoBarcode"));
    note->setStyleSheet(QStringLiteral("color: red;"));
    note->hide();
    return note;
}

void placeNoBarcode(QLabel *note, bool shown, const QWidget *frame)
{
    note->setVisible(shown);
    note->adjustSize();
    note->move(4, frame->height() - note->height() - 4);
}

void okCancel(QWidget *parent, QPushButton *&ok, QPushButton *&cancel)
{
    ok = new QPushButton(QStringLiteral("OK"), parent);
    ok->setObjectName(QStringLiteral("btnOK"));
    // Return anywhere in a paper dialog takes the paper shown.
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("キャンセル"), parent);
    cancel->setObjectName(QStringLiteral("btnCancel"));
}

QLineEdit *nameEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("edName"));
    edit->setMaxLength(20);
    edit->setValidator(new TByteLimitValidator(TLayoutFormat::NameCapacity, edit));
    return edit;
}

bool nameAccepted(QWidget *owner, QLineEdit *name, const std::function<bool(const QByteArray &)> &used)
{
    const QString text = TrimBlanks(name->text());
    QString message;
    if (text.isEmpty())
        message = QStringLiteral("用紙名を入力してください");
    else if (used(Cp932::encode(text)))
        message = QStringLiteral("指定された用紙名はすでに使われています");
    if (message.isEmpty())
        return true;
    inform(owner, {message});
    name->setFocus();
    return false;
}

QHBoxLayout *nameRow(QWidget *parent, QLineEdit *name)
{
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("用紙名："), parent));
    row->addWidget(name, 1);
    return row;
}

void arrange(QDialog *dialog, QLayout *left, QWidget *preview, QPushButton *ok, QPushButton *cancel)
{
    auto *top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(preview, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

void lockToChecked(std::initializer_list<QAbstractButton *> radios, bool locked)
{
    for (QAbstractButton *b : radios)
        b->setEnabled(!locked || b->isChecked());
}

void writeAcrossOnlyWhen(QAbstractButton *acrossOnly, QAbstractButton *other, QAbstractButton *wordV,
                         QAbstractButton *wordH)
{
    if (acrossOnly->isChecked())
        wordH->setChecked(true);
    wordV->setEnabled(other->isChecked());
}

int stepForKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
        return 10;
    case Qt::Key_PageDown:
        return -10;
    case Qt::Key_Up:
        return 1;
    case Qt::Key_Down:
        return -1;
    default:
        return 0;
    }
}

} // namespace PaperDlg
