#include "support/KeyInput.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

void TypeCharacters(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, len), Qt::NoModifier);
        i += len;
    }
}

void CommitThroughInputMethod(QWidget *widget, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

void PasteText(QWidget *widget, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->paste();
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(widget))
        memo->paste();
}

void DropText(QWidget *widget, const QString &text)
{
    QMimeData data;
    data.setText(text);
    const QPointF at = QRectF(widget->rect()).center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
}
