#include "util/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QString kName = QStringLiteral("MurvenTestInstance");

// Runs in a child process started by the tests below: reports through its
// exit code whether it found a previous instance (0) or took the name (1).
TEST(SingleInstanceChild, probe)
{
    if (qEnvironmentVariableIsEmpty("MURVEN_INSTANCE_PROBE"))
        GTEST_SKIP() << "runs only as the second process of the handshake tests";
    TInstanceLock lock;
    const bool other = CheckPreviousInstance(lock, qEnvironmentVariable("MURVEN_INSTANCE_PROBE"), true);
    std::exit(other ? 0 : 1);
}

int runSecondInstance()
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MURVEN_INSTANCE_PROBE"), kName);
    env.insert(QStringLiteral("MURVEN_TEST_INHERIT_HOME"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=SingleInstanceChild.probe")});
    // Keep serving the event loop: the first instance answers on its socket.
    QElapsedTimer t;
    t.start();
    while (child.state() != QProcess::NotRunning && t.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        child.waitForFinished(20);
    }
    QCoreApplication::processEvents();
    return child.exitCode();
}

TEST(SingleInstance, secondStartBringsTheFirstForwardAndEnds)
{
    TInstanceLock lock;
    ASSERT_FALSE(CheckPreviousInstance(lock, kName, true));
    ASSERT_TRUE(lock.isHeld());

    QWidget window;
    window.showMinimized();
    ASSERT_TRUE(SetWindowMarker(&window, kName));
    ASSERT_EQ(FindWindowByMarker(kName), &window);

    EXPECT_EQ(runSecondInstance(), 0); // found the first instance
    QTRY_VERIFY_WITH_TIMEOUT(!window.isMinimized(), 5000);
    EXPECT_TRUE(window.isVisible());

    RemoveWindowMarker(&window, kName);
    EXPECT_EQ(FindWindowByMarker(kName), nullptr);

    lock.reset();
    EXPECT_EQ(runSecondInstance(), 1); // the name is free again
}

TEST(SingleInstance, aLockLeftByACrashedRunIsTakenOver)
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString path = dir + QStringLiteral("/CrashedRun-%1.lock").arg(getuid());
    QDir().mkpath(dir);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // A process id no live process has, on this host.
    f.write("2147483000\nmurven19\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    f.close();
    TInstanceLock lock;
    EXPECT_FALSE(CheckPreviousInstance(lock, QStringLiteral("CrashedRun"), false));
    EXPECT_TRUE(lock.isHeld());
}

TEST(SingleInstance, namesAreIndependent)
{
    TInstanceLock a, b;
    ASSERT_FALSE(CheckPreviousInstance(a, QStringLiteral("One"), false));
    EXPECT_FALSE(CheckPreviousInstance(b, QStringLiteral("Two"), false));
    TInstanceLock c;
    EXPECT_TRUE(CheckPreviousInstance(c, QStringLiteral("One"), false));
    EXPECT_FALSE(c.isHeld());
}

} // namespace
