#include "support/ReturnWalk.h"

#include "support/KeyInput.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>

QWidget *ControlNamed(QWidget &Window, const char *Name)
{
    return Window.findChild<QWidget *>(QLatin1String(Name));
}

void TypeOver(QWidget *Control, const QString &Text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(Control))
        edit->selectAll();
    TypeCharacters(QApplication::focusWidget(), Text);
}

::testing::AssertionResult DialogAccepted(QWidget &Window)
{
    auto &dialog = static_cast<QDialog &>(Window);
    if (dialog.result() != QDialog::Accepted || dialog.isVisible())
        return ::testing::AssertionFailure() << "the dialog is " << (dialog.isVisible() ? "still open" : "cancelled");
    return ::testing::AssertionSuccess();
}

std::function<::testing::AssertionResult(QWidget &)> FocusMovedTo(const char *Name)
{
    return [Name](QWidget &window) {
        QWidget *focused = QApplication::focusWidget();
        while (focused && focused->objectName().isEmpty())
            focused = focused->parentWidget();
        if (!window.isVisible())
            return ::testing::AssertionFailure() << "the window closed";
        if (!focused || focused->objectName() != QLatin1String(Name))
            return ::testing::AssertionFailure()
                   << "the focus is on " << (focused ? focused->objectName().toStdString() : "nothing");
        return ::testing::AssertionSuccess();
    };
}

::testing::AssertionResult BoxShown(const ScriptedMessageBoxes &Boxes, const QString &Start)
{
    for (const TMessageBoxRequest &box : Boxes.shown())
        if (box.text.startsWith(Start))
            return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Boxes.count() << " boxes, none saying " << Start.toStdString();
}
