#include "util/SingleInstance.h"

#include "support/FileHelpers.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSysInfo>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// What stands at the lock's place before a start, as another user, a crash
// or a carried-over session variable leaves it, and what the start must do.
struct SquatCase {
    const char *name;
    // Prepares the home; gets the lock's path in the runtime folder and the
    // folder the settings root would give the lock.
    std::function<void(const QString &lock, const QString &instanceFolder)> prepare;
    TInstanceCheck expected;
    bool underSettingsRoot = false; // where the taken lock must lie
    bool needsSuperUser = false;    // giving a file to another user
    std::function<void(const QString &lock)> verify = {};
};

constexpr uid_t kOtherUser = 65534;

void giveToOtherUser(const QString &path)
{
    ASSERT_EQ(::lchown(QFile::encodeName(path).constData(), kOtherUser, kOtherUser), 0) << path.toStdString();
}

void noRuntimeFolder()
{
    qunsetenv("XDG_RUNTIME_DIR");
}

class SingleInstanceSquat : public ::testing::TestWithParam<SquatCase>
{
protected:
    ScopedHome home;
    ScriptedMessageBoxes boxes;
};

TEST_P(SingleInstanceSquat, startsOnlyWithAPrivateLockAndSaysWhyOtherwise)
{
    const SquatCase &c = GetParam();
    if (c.needsSuperUser && ::geteuid() != 0)
        GTEST_SKIP() << "only the super-user can give a file to another user";
    const QString lock = InstanceLockPath(kName);
    ASSERT_FALSE(lock.isEmpty());
    const QString instanceFolder = home.settingsRoot() + QStringLiteral("/Instance");
    c.prepare(lock, instanceFolder);

    TInstanceLock held;
    QElapsedTimer took;
    took.start();
    const TInstanceCheck result = AcquireInstance(held, kName, false);
    EXPECT_LT(took.elapsed(), 5000); // never hangs on what it found
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(held.isHeld(), c.expected == TInstanceCheck::Acquired);
    // Every refusal is said; a start that goes on or finds its instance says nothing.
    EXPECT_EQ(boxes.count(), c.expected == TInstanceCheck::Refused ? 1 : 0);
    if (c.expected == TInstanceCheck::Refused) {
        EXPECT_EQ(boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONERROR));
        EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("起動できませんでした")));
    }
    if (c.expected != TInstanceCheck::Acquired)
        return;
    const QString taken = InstanceLockPath(kName);
    EXPECT_EQ(taken.startsWith(home.settingsRoot()), c.underSettingsRoot) << taken.toStdString();
    EXPECT_EQ(fileMode(taken), 0600);
    EXPECT_EQ(fileMode(QFileInfo(taken).absolutePath()), 0700);
    EXPECT_TRUE(QFileInfo(taken).isFile() && !QFileInfo(taken).isSymLink());
    if (c.verify)
        c.verify(lock);
}

INSTANTIATE_TEST_SUITE_P(
    Squatters, SingleInstanceSquat,
    ::testing::Values(
        SquatCase{"nothingThere", [](const QString &, const QString &) {}, TInstanceCheck::Acquired},
        SquatCase{"noRuntimeFolderUsesTheSettingsRoot", [](const QString &, const QString &) { noRuntimeFolder(); },
                  TInstanceCheck::Acquired, true},
        SquatCase{"runtimeFolderOpenToOthersIsPassedOver",
                  [](const QString &lock, const QString &) {
                      ::chmod(QFile::encodeName(QFileInfo(lock).absolutePath()).constData(), 0755);
                  },
                  TInstanceCheck::Acquired, true},
        SquatCase{"runtimeFolderOfAnotherUserIsPassedOver",
                  [](const QString &lock, const QString &) { giveToOtherUser(QFileInfo(lock).absolutePath()); },
                  TInstanceCheck::Acquired, true, true},
        SquatCase{"instanceFolderOpenToOthersIsRefused",
                  [](const QString &, const QString &folder) {
                      noRuntimeFolder();
                      ASSERT_TRUE(QDir().mkpath(folder));
                      ::chmod(QFile::encodeName(folder).constData(), 0777);
                  },
                  TInstanceCheck::Refused},
        SquatCase{"instanceFolderOfAnotherUserIsRefused",
                  [](const QString &, const QString &folder) {
                      noRuntimeFolder();
                      ASSERT_TRUE(QDir().mkpath(folder));
                      ::chmod(QFile::encodeName(folder).constData(), 0700);
                      giveToOtherUser(folder);
                  },
                  TInstanceCheck::Refused, false, true},
        SquatCase{"instanceFolderThatIsALinkIsRefused",
                  [](const QString &lock, const QString &folder) {
                      noRuntimeFolder();
                      QDir().mkpath(QFileInfo(folder).absolutePath());
                      ASSERT_TRUE(QFile::link(QFileInfo(lock).absolutePath(), folder));
                  },
                  TInstanceCheck::Refused},
        SquatCase{"namedPipeIsClearedWithoutHanging",
                  [](const QString &lock, const QString &) {
                      ASSERT_EQ(::mkfifo(QFile::encodeName(lock).constData(), 0666), 0);
                  },
                  TInstanceCheck::Acquired},
        SquatCase{"linkIsClearedAndItsTargetLeftAlone",
                  [](const QString &lock, const QString &) {
                      const QString precious = QFileInfo(lock).absolutePath() + QStringLiteral("/../precious");
                      writeBytes(precious, "keep me");
                      ASSERT_TRUE(QFile::link(precious, lock));
                  },
                  TInstanceCheck::Acquired, false, false,
                  [](const QString &lock) {
                      EXPECT_EQ(fileBytes(QFileInfo(lock).absolutePath() + QStringLiteral("/../precious")), "keep me");
                  }},
        SquatCase{"lockOfACrashedRunIsTakenOver",
                  [](const QString &lock, const QString &) {
                      writeBytes(lock, "2147483000\nmurven19\n" + QSysInfo::machineHostName().toUtf8() + "\n");
                  },
                  TInstanceCheck::Acquired},
        SquatCase{"emptyLockIsTakenOver", [](const QString &lock, const QString &) { writeBytes(lock, {}); },
                  TInstanceCheck::Acquired},
        SquatCase{"lockOfAnotherHostNobodyHoldsIsTakenOver",
                  [](const QString &lock, const QString &) {
                      writeBytes(lock, QByteArray::number(qint64(::getppid())) + "\nmurven19\nelsewhere\n");
                  },
                  TInstanceCheck::Acquired},
        SquatCase{"unreadableLockIsTakenOver",
                  [](const QString &lock, const QString &) {
                      writeBytes(lock, "garbage");
                      ::chmod(QFile::encodeName(lock).constData(), 0);
                  },
                  TInstanceCheck::Acquired},
        SquatCase{"lockOfAnotherOwnerIsTakenOver",
                  [](const QString &lock, const QString &) {
                      writeBytes(lock, "1\n");
                      giveToOtherUser(lock);
                  },
                  TInstanceCheck::Acquired, false, true},
        SquatCase{"folderWithFilesInTheLocksPlaceIsRefused",
                  [](const QString &lock, const QString &) {
                      ASSERT_TRUE(QDir().mkpath(lock));
                      writeBytes(lock + QStringLiteral("/inside"), "x");
                  },
                  TInstanceCheck::Refused}),
    rowName);

// An empty or unreadable lock still counts while a live process holds it.
TEST(SingleInstance, aLockHeldByALiveProcessCountsWhateverItHolds)
{
    ScopedHome home;
    const QString lock = InstanceLockPath(kName);
    writeBytes(lock, {});
    const int fd = ::open(QFile::encodeName(lock).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    TInstanceLock second;
    EXPECT_EQ(AcquireInstance(second, kName, false), TInstanceCheck::RunsAlready);
    ::close(fd);
    EXPECT_EQ(AcquireInstance(second, kName, false), TInstanceCheck::Acquired);
}

TEST(SingleInstance, eachSettingsRootHasAnInstanceOfItsOwn)
{
    ScopedHome home;
    const QString first = home.root() + QStringLiteral("/first");
    const QString other = home.root() + QStringLiteral("/other");
    qputenv("MURVEN_SETTINGS_ROOT", QFile::encodeName(first));
    TInstanceLock a;
    ASSERT_EQ(AcquireInstance(a, kName, false), TInstanceCheck::Acquired);
    qputenv("MURVEN_SETTINGS_ROOT", QFile::encodeName(other));
    TInstanceLock b;
    EXPECT_EQ(AcquireInstance(b, kName, false), TInstanceCheck::Acquired);
    qputenv("MURVEN_SETTINGS_ROOT", QFile::encodeName(first + QLatin1Char('/')));
    TInstanceLock c;
    EXPECT_EQ(AcquireInstance(c, kName, false), TInstanceCheck::RunsAlready);
}

// One settings root is one instance whatever the session tells a start: a
// start from a desktop session (runtime folder set) and one from "su -" or a
// cron job (none) would otherwise both open the same books.
struct SessionCase {
    const char *name;
    bool firstHasRuntimeFolder;
    bool secondHasRuntimeFolder;
};

class SingleInstanceSessions : public ::testing::TestWithParam<SessionCase>
{
protected:
    ScopedHome home;
    ScriptedMessageBoxes boxes;
};

TEST_P(SingleInstanceSessions, aSecondStartOnTheSameSettingsRootNeverTakesTheName)
{
    const SessionCase &c = GetParam();
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!c.firstHasRuntimeFolder)
        qunsetenv("XDG_RUNTIME_DIR");
    TInstanceLock first;
    ASSERT_EQ(AcquireInstance(first, kName, false), TInstanceCheck::Acquired);

    if (c.secondHasRuntimeFolder)
        qputenv("XDG_RUNTIME_DIR", runtime);
    else
        qunsetenv("XDG_RUNTIME_DIR");
    TInstanceLock second;
    EXPECT_EQ(AcquireInstance(second, kName, false), TInstanceCheck::RunsAlready);
    EXPECT_FALSE(second.isHeld());

    first.reset();
    EXPECT_EQ(AcquireInstance(second, kName, false), TInstanceCheck::Acquired);
}

INSTANTIATE_TEST_SUITE_P(Sessions, SingleInstanceSessions,
                         ::testing::Values(SessionCase{"desktopThenWithout", true, false},
                                           SessionCase{"withoutThenDesktop", false, true},
                                           SessionCase{"desktopTwice", true, true},
                                           SessionCase{"withoutTwice", false, false}),
                         rowName);

// The same settings root reached through a link (a home folder reached by
// two spellings) is the same instance, with a runtime folder or without.
TEST(SingleInstance, aSettingsRootReachedThroughALinkIsTheSameInstance)
{
    for (const bool runtime : {true, false}) {
        ScopedHome home;
        ScriptedMessageBoxes boxes;
        if (!runtime)
            qunsetenv("XDG_RUNTIME_DIR");
        const QString real = home.root() + QStringLiteral("/real");
        const QString link = home.root() + QStringLiteral("/link");
        ASSERT_TRUE(QDir().mkpath(real));
        ASSERT_TRUE(QFile::link(real, link));
        qputenv("MURVEN_SETTINGS_ROOT", QFile::encodeName(real));
        TInstanceLock first;
        ASSERT_EQ(AcquireInstance(first, kName, false), TInstanceCheck::Acquired);
        qputenv("MURVEN_SETTINGS_ROOT", QFile::encodeName(link));
        TInstanceLock second;
        EXPECT_EQ(AcquireInstance(second, kName, false), TInstanceCheck::RunsAlready) << (runtime ? "runtime" : "none");
    }
}

// A settings root that cannot be made (the program folder then keeps the
// settings) does not stop a start that has the session's runtime folder.
TEST(SingleInstance, aSettingsRootThatCannotBeMadeLeavesTheRuntimeLockInCharge)
{
    ScopedHome home;
    ScriptedMessageBoxes boxes;
    const QString blocker = home.root() + QStringLiteral("/not-a-folder");
    writeBytes(blocker, QByteArray());
    qputenv("MURVEN_SETTINGS_ROOT", QFile::encodeName(blocker + QStringLiteral("/Murven19")));
    TInstanceLock first;
    EXPECT_EQ(AcquireInstance(first, kName, false), TInstanceCheck::Acquired);
    EXPECT_EQ(boxes.count(), 0);
    TInstanceLock second;
    EXPECT_EQ(AcquireInstance(second, kName, false), TInstanceCheck::RunsAlready);
}

TEST(SingleInstance, aReleasedLockLeavesNoFilesBehind)
{
    ScopedHome home;
    TInstanceLock lock;
    ASSERT_EQ(AcquireInstance(lock, kName, false), TInstanceCheck::Acquired);
    const QString path = InstanceLockPath(kName);
    EXPECT_TRUE(QFileInfo::exists(path));
    lock.reset();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).isEmpty());
}

TEST(SingleInstance, aRunningInstanceThatCannotBeReachedIsSaid)
{
    ScopedHome home;
    const QString lock = InstanceLockPath(kName);
    writeBytes(lock, {});
    const int fd = ::open(QFile::encodeName(lock).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0); // held, but no socket answers
    ScriptedMessageBoxes boxes;
    TInstanceLock second;
    EXPECT_EQ(AcquireInstance(second, kName, true), TInstanceCheck::Refused);
    ::close(fd);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("すでに起動しています"))) << boxes.last().text.toStdString();
}

TEST(SingleInstance, aLockThatCannotBeMadeIsSaidAndTheStartEnds)
{
    ScopedHome home;
    // A file where the settings root should be, and no runtime folder.
    const QString blocker = home.root() + QStringLiteral("/not-a-folder");
    writeBytes(blocker, QByteArray());
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("MURVEN_SETTINGS_ROOT", QFile::encodeName(blocker + QStringLiteral("/Murven19")));
    ScriptedMessageBoxes boxes;
    TInstanceLock lock;
    const bool ends = CheckPreviousInstance(lock, kName, true);

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
