#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>
#include <utility>
#include <vector>

#include <sys/types.h>

// The children of the kill trials: the test program started again to run one
// case while the parent kills it at some moment.

// The environment of such a child: the parent's, without the sharding
// variables, so the child runs the one case it is given whatever shard the
// parent runs.
inline QProcessEnvironment ChildTestEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"GTEST_SHARD_INDEX", "GTEST_TOTAL_SHARDS", "GTEST_SHARD_STATUS_FILE"})
        env.remove(QString::fromLatin1(name));
    return env;
}

// Starts the test program again in Child to run the cases Filter names (a
// --gtest_filter pattern), in ChildTestEnvironment() with Variables set; the
// child's error output goes to the parent's.
inline void StartTestChild(QProcess &Child, const QString &Filter,
                           const std::vector<std::pair<const char *, QString>> &Variables)
{
    QProcessEnvironment environment = ChildTestEnvironment();
    for (const auto &[name, value] : Variables)
        environment.insert(QString::fromLatin1(name), value);
    Child.setProcessEnvironment(environment);
    Child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + Filter});
}

// Sends the signal to the child only while it runs with an id of its own.
// A child that has ended has the id 0, and a signal to 0 would reach every
// process of the test run's group. True when the signal was sent.
inline bool KillRunningChild(QProcess &child, int signal = SIGKILL)
{
    const qint64 pid = child.processId();
    if (child.state() != QProcess::Running || pid <= 0)
        return false;
    return ::kill(pid_t(pid), signal) == 0;
}
