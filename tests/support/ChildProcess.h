#pragma once

#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>

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
