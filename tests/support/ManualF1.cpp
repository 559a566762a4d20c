#include "support/ManualF1.h"

#include "core/PDFHelp.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QString builtManual()
{
    return QStringLiteral(MURVEN_MANUAL_DIR "Murven19.pdf");
}

// The text of every page of the built manual, read once.
const QStringList &manualPages()
{
    static const QStringList pages = [] {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (tool.isEmpty())
            return QStringList();
        QProcess pdftotext;
        pdftotext.start(tool, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), builtManual(), QStringLiteral("-")});
        if (!pdftotext.waitForFinished(60000))
            return QStringList();
        // pdftotext ends each page with a form feed.
        QStringList split = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\f'));
        if (!split.isEmpty() && split.last().trimmed().isEmpty())
            split.removeLast();
        return split;
    }();
    return pages;
}

// Makes Window the active window. A window owned by another counts as
// active for Qt while its owner is, so the wait is for the application's
// active window itself.
void activate(QWidget *Window)
{
    Window->activateWindow();
    if (!QTest::qWaitFor([Window] { return QApplication::activeWindow() == Window; }, 5000))
        ADD_FAILURE() << Window->metaObject()->className() << " did not become the active window; "
                      << (QApplication::activeWindow() ? QApplication::activeWindow()->metaObject()->className() : "none")
                      << " is";
}

} // namespace

ManualF1::ManualF1()
{
    // Read before the PATH is changed: pdftotext is found on the real one.
    (void)manualPages();
    m_hadPath = qEnvironmentVariableIsSet("PATH");
    m_savedPath = qgetenv("PATH");
    QFile viewer(m_bin.filePath(QStringLiteral("evince")));
    if (viewer.open(QIODevice::WriteOnly)) {
        // Notes the command line it was started with, one line a start.
        viewer.write("#!/bin/sh\necho \"$@\" >> \"" + log().toLocal8Bit() + "\"\n");
        viewer.close();
        viewer.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    qputenv("PATH", m_bin.path().toLocal8Bit());
    CreateManual();
    PDFHelp->SetDocument(builtManual());
}

ManualF1::~ManualF1()
{
    FreeManual();
    if (m_hadPath)
        qputenv("PATH", m_savedPath);
    else
        qunsetenv("PATH");
}

int ManualF1::PageOpenedByF1(QWidget *Widget)
{
    QWidget *window = Widget->window();
    window->show();
    window->raise();
    activate(window);
    Widget->setFocus(Qt::OtherFocusReason);
    if (QApplication::focusWidget() != Widget)
        ADD_FAILURE() << Widget->metaObject()->className() << " " << Widget->objectName().toStdString()
                      << " did not take the focus; it is in "
                      << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none")
;
    return PageOpenedBy([Widget] { QTest::keyClick(Widget, Qt::Key_F1); });
}

int ManualF1::PageOpenedBy(const std::function<void()> &Act)
{
    const qsizetype seen = started().size();
    Act();
    if (!QTest::qWaitFor([&] { return started().size() > seen; }, 3000))
        return 0;
    // evince -i <page> <document>
    const QStringList arguments = started().at(seen).split(QLatin1Char(' '));
    return arguments.value(0) == QStringLiteral("-i") ? arguments.value(1).toInt() : 0;
}

QString ManualF1::log() const
{
    return m_bin.filePath(QStringLiteral("started.log"));
}

QStringList ManualF1::started() const
{
    QFile file(log());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::string ManualF1::Heading(int Page)
{
    const QStringList &pages = manualPages();
    if (Page < 1 || Page > pages.size())
        return {};
    for (const QString &line : pages.at(Page - 1).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            return line.simplified().toStdString();
    }
    return {};
}

std::string ManualF1::AsRead(const char16_t *Text)
{
    return QString::fromUtf16(Text).simplified().toStdString();
}

std::string ManualF1::HeadingOpenedByF1(QWidget *Control)
{
    return Heading(PageOpenedByF1(Control));
}

std::string ManualF1::HeadingOpenedByF1In(QWidget *Window)
{
    Window->show();
    Window->raise();
    activate(Window);
    QWidget *focus = QApplication::focusWidget();
    if (!focus || (focus != Window && !Window->isAncestorOf(focus))) {
        focus = Window;
        for (QWidget *child : Window->findChildren<QWidget *>()) {
            if (child->isVisible() && child->isEnabled() && (child->focusPolicy() & Qt::TabFocus)) {
                focus = child;
                break;
            }
        }
    }
    return HeadingOpenedByF1(focus);
}
