#pragma once

#include <QString>

#include <memory>

class QWidget;
class QLocalServer;

// What a start finds when it asks for the name.
enum class TInstanceCheck {
    Acquired,    // this process now holds the name
    RunsAlready, // another instance holds it (and was asked to come forward)
    Refused,     // the start cannot go on; the reason has been shown
};

// The hold a running instance keeps on its name for the whole run: a lock
// file and a local socket on which a second start asks this instance to come
// forward, both in a folder only the user can enter (the session's runtime
// folder, else "Instance/" in the settings root) and keyed on the settings
// root, so that runs with other settings roots do not meet. The lock is an
// advisory lock the system drops when its process ends, so a file left by a
// crash, an empty or unreadable one, or one written on another host never
// blocks a start. Releasing it (reset) frees both and removes the files.
class TInstanceLock
{
public:
    TInstanceLock();
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock &) = delete;
    TInstanceLock &operator=(const TInstanceLock &) = delete;

    bool isHeld() const;
    void reset();

private:
    friend TInstanceCheck AcquireInstance(TInstanceLock &, const QString &, bool);
    int m_fd = -1;
    QString m_lockPath;
    // The settings root's own lock, held beside the one in the runtime
    // folder: a start that sees no runtime folder (su -, cron) looks there.
    int m_rootFd = -1;
    QString m_rootLockPath;
    std::unique_ptr<QLocalServer> m_server;
    QString m_name;
};

// Takes the name for this process, or finds the instance that holds it. With
// BringToFront the running instance is asked to restore and raise the window
// on top at that moment: the one every other window waits for (the password
// prompt, the book choice, a message), else the window last worked in, else
// the marked window, else any shown one (the splash). Every refusal is said
// in an error box: a folder for the lock that others could enter, a lock that
// cannot be made, a running instance that cannot be reached. The lock belongs
// to the user and the settings root: other users' instances do not count.
[[nodiscard]] TInstanceCheck AcquireInstance(TInstanceLock &MutexHandle, const QString &Name, bool BringToFront);

// True unless this process now holds the name (AcquireInstance != Acquired).
[[nodiscard]] bool CheckPreviousInstance(TInstanceLock &MutexHandle, const QString &Name, bool BringToFront);

// The lock file of Name for the current settings root; its folder is made
// when missing. Empty, with the reason in *Error, when no folder only the user
// can enter can be had. A run that keeps its lock in the session's runtime
// folder holds the lock of the settings root's "Instance/" folder as well, so
// that every start on the same settings root finds it, with a runtime folder
// or without.
[[nodiscard]] QString InstanceLockPath(const QString &Name, QString *Error = nullptr);

// A marker on a top-level window, by which the instance finds the window to
// bring forward.
bool SetWindowMarker(QWidget *Wnd, const QString &Name);
void RemoveWindowMarker(QWidget *Wnd, const QString &Name);
QWidget *FindWindowByMarker(const QString &Name);
