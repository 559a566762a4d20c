#include "support/WindowManagerRun.h"

#include "support/ChildProcess.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace {

constexpr char kChildVariable[] = "MURVEN_TEST_WINDOW_MANAGER";

// Ends a process started here, by its own handle: asked first, then killed.
void stop(QProcess &Process)
{
    if (Process.state() == QProcess::NotRunning)
        return;
    Process.terminate();
    if (!Process.waitForFinished(3000)) {
        Process.kill();
        Process.waitForFinished(3000);
    }
}

} // namespace

TWindowManagerRun RunUnderWindowManager(const QString &Filter)
{
    TWindowManagerRun run;
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (xvfb.isEmpty() || openbox.isEmpty()) {
        run.SkipReason = QStringLiteral("Xvfb and openbox (Debian's xvfb and openbox) are not installed");
        return run;
    }
    // The server picks a free display and writes its number (-displayfd).
    QProcess server;
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
    QByteArray number;
    if (server.waitForStarted(5000))
        while (!number.contains('\n') && server.waitForReadyRead(10000))
            number += server.readAllStandardOutput();
    number = number.trimmed();
    if (number.isEmpty()) {
        run.SkipReason = QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(server.readAllStandardError());
        stop(server);
        return run;
    }
    QProcessEnvironment env = ChildTestEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(number));
    QProcess manager;
    manager.setProcessEnvironment(env);
    manager.start(openbox, {QStringLiteral("--sm-disable")});
    if (!manager.waitForStarted(5000)) {
        run.SkipReason = QStringLiteral("openbox did not start");
        stop(server);
        return run;
    }
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + Filter});
    run.Ran = true;
    if (child.waitForStarted(5000) && child.waitForFinished(120000) && child.exitStatus() == QProcess::NormalExit)
        run.ExitCode = child.exitCode();
    run.Output = QString::fromLocal8Bit(child.readAll());
    stop(child);
    stop(manager);
    stop(server);
    return run;
}

bool UnderWindowManager()
{
    return qEnvironmentVariableIsSet(kChildVariable);
}

bool WaitForWindowManager()
{
    QWidget probe;
    probe.resize(60, 40);
    probe.show();
    // Generous: a window manager started on a machine busy with other tests
    // may take seconds before it frames its first window; the wait ends as
    // soon as it does.
    return QTest::qWaitFor(
        [&probe] { return probe.windowHandle() && !probe.windowHandle()->frameMargins().isNull(); }, 30000);
}
