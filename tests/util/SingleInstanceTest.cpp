#include "util/SingleInstance.h"

#include "support/FileHelpers.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

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

    QWidget window;
    window.showMinimized();
    ASSERT_TRUE(SetWindowMarker(&window, kName));
    ASSERT_EQ(FindWindowByMarker(kName), &window);

    EXPECT_EQ(runSecondInstance(), 0); // found the first instance
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isMinimized(); }, 5000));

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
    // A process id no live process has, on this host.
    writeBytes(path, "2147483000\nmurven19\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    TInstanceLock lock;
    EXPECT_FALSE(CheckPreviousInstance(lock, QStringLiteral("CrashedRun"), false));
    EXPECT_TRUE(lock.isHeld());
}

TEST(SingleInstance, aLockThatCannotBeMadeIsSaidAndTheStartEnds)
{
    ScopedHome home;
    // A file where the lock's folder and every fallback should be.
    const QString blocker = home.root() + QStringLiteral("/not-a-folder");
    writeBytes(blocker, QByteArray());
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(blocker));
    qputenv("TMPDIR", QFile::encodeName(blocker));
    ScriptedMessageBoxes boxes;
    TInstanceLock lock;
    const bool ends = CheckPreviousInstance(lock, kName, true);
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);

    EXPECT_TRUE(ends);
    EXPECT_FALSE(lock.isHeld());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QDir::toNativeSeparators(blocker))) << boxes.last().text.toStdString();
    EXPECT_EQ(boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONERROR));
}

// The windows of a start in progress, made as a scenario needs them.
struct StartWindows { std::unique_ptr<QWidget> splash, list, bookDialog; };

// setUp shows the scenario's windows and returns the one that must come forward.
struct RaiseCase { const char *name; std::function<QWidget *(StartWindows &, const QString &marker)> setUp; };

class SingleInstanceRaise : public ::testing::TestWithParam<RaiseCase> {};

TEST_P(SingleInstanceRaise, aSecondStartBringsTheWindowOnTopForward)
{
    const QString name = QStringLiteral("MurvenRaiseTest");
    TInstanceLock lock;
    ASSERT_FALSE(CheckPreviousInstance(lock, name, true));
    StartWindows windows;
    QWidget *expected = GetParam().setUp(windows, name);
    ASSERT_TRUE(expected);
    // Another program takes the focus.
    {
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &other; }, 5000));
    }
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }, 5000));

    // A second start sends its request through the same channel.
    TInstanceLock second;
    EXPECT_TRUE(CheckPreviousInstance(second, name, true));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == expected; }, 5000));
    EXPECT_FALSE(expected->isMinimized());
    EXPECT_FALSE(windows.list && windows.list->isMinimized());
}

QWidget *showSplash(StartWindows &w)
{
    w.splash = std::make_unique<QWidget>(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
    w.splash->show();
    return w.splash.get();
}

QWidget *showList(StartWindows &w, const QString &marker)
{
    auto *dialog = new QDialog;
    w.list.reset(dialog);
    dialog->setWindowModality(Qt::WindowModal); // as the main list runs
    SetWindowMarker(dialog, marker);
    dialog->show();
    return dialog;
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, SingleInstanceRaise,
    ::testing::Values(
        RaiseCase{"Splash", [](StartWindows &w, const QString &) { return showSplash(w); }},
        RaiseCase{"FirstBookDialogOverTheMinimisedList",
                  [](StartWindows &w, const QString &marker) {
                      QWidget *list = showList(w, marker);
                      list->showMinimized();
                      auto *dialog = new QDialog(list);
                      w.bookDialog.reset(dialog);
                      dialog->setWindowModality(Qt::ApplicationModal);
                      dialog->show();
                      return w.bookDialog.get();
                  }}),
    rowName);

} // namespace
