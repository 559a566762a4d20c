#include "support/ReturnKey.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

QString nameOf(const QWidget *w)
{
    if (!w)
        return QStringLiteral("(nothing)");
    // A combo's or spin box's edit stands for its box.
    for (const QWidget *p = w; p; p = p->parentWidget())
        if (!p->objectName().isEmpty() && !p->objectName().startsWith(QStringLiteral("qt_")))
            return p->objectName();
    return QString::fromLatin1(w->metaObject()->className());
}

} // namespace

::testing::AssertionResult ShowActive(QWidget *Window)
{
    Window->show();
    QApplication::setActiveWindow(Window);
    Window->activateWindow();
    if (!QTest::qWaitForWindowActive(Window))
        return ::testing::AssertionFailure() << nameOf(Window).toStdString() << " never became active";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult FocusControl(QWidget *Control)
{
    if (!Control)
        return ::testing::AssertionFailure() << "no such control";
    for (QWidget *p = Control; p; p = p->parentWidget()) {
        if (auto *pages = qobject_cast<QTabWidget *>(p->parentWidget() ? p->parentWidget()->parentWidget() : nullptr))
            if (pages->indexOf(p) >= 0)
                pages->setCurrentWidget(p);
    }
    Control->setFocus(Qt::TabFocusReason);
    QWidget *focused = QApplication::focusWidget();
    if (focused != Control && !(focused && Control->isAncestorOf(focused)))
        return ::testing::AssertionFailure() << nameOf(Control).toStdString() << " cannot take the focus (it is on "
                                             << nameOf(focused).toStdString() << ")";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ReturnAlong(QWidget *Start, const QStringList &Stops)
{
    QWidget *at = QApplication::focusWidget() ? QApplication::focusWidget() : Start;
    QTest::keyClick(at, Qt::Key_Return);
    for (const QString &stop : Stops) {
        QWidget *focused = QApplication::focusWidget();
        if (nameOf(focused) != stop)
            return ::testing::AssertionFailure() << "Return left the focus on " << nameOf(focused).toStdString()
                                                 << ", not on " << stop.toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    return ::testing::AssertionSuccess();
}

QList<std::pair<QString, QStringList>> ButtonsPressedByReturn(const TWindowMaker &Make)
{
    QStringList names;
    {
        const std::shared_ptr<QWidget> window = Make();
        if (!ShowActive(window.get()))
            return {};
        for (QAbstractButton *b : window->findChildren<QAbstractButton *>())
            if ((qobject_cast<QPushButton *>(b) || qobject_cast<QToolButton *>(b)) && b->isVisible() &&
                b->isEnabled() && (b->focusPolicy() & Qt::TabFocus) && !b->objectName().isEmpty() &&
                !b->objectName().startsWith(QStringLiteral("qt_")) && !qobject_cast<QTabBar *>(b->parentWidget()))
                names << b->objectName();
        window->hide();
    }
    names.removeDuplicates();
    QList<std::pair<QString, QStringList>> pressed;
    for (const QString &name : std::as_const(names)) {
        const std::shared_ptr<QWidget> window = Make();
        if (!ShowActive(window.get()))
            return pressed;
        auto *button = window->findChild<QAbstractButton *>(name);
        QList<std::pair<QString, std::shared_ptr<QSignalSpy>>> spies;
        for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
            if (!(qobject_cast<QPushButton *>(b) || qobject_cast<QToolButton *>(b)))
                continue;
            QObject::disconnect(b, &QAbstractButton::clicked, nullptr, nullptr);
            spies.append({b->objectName(), std::make_shared<QSignalSpy>(b, &QAbstractButton::clicked)});
        }
        QStringList clicked;
        if (button && button->isVisible() && FocusControl(button)) {
            QTest::keyClick(button, Qt::Key_Return);
            for (const auto &[spied, spy] : spies)
                for (int i = 0; i < spy->count(); ++i)
                    clicked << spied;
        } else {
            clicked << QStringLiteral("(could not be focused)");
        }
        pressed.append({name, clicked});
        window->hide();
    }
    return pressed;
}
