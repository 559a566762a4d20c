#pragma once

#include <QString>

#include <memory>

class QWidget;
class QLockFile;
class QLocalServer;

// The hold a running instance keeps on its name for the whole run: a lock
// file in the user's runtime folder, plus a local socket on which a second
// start asks this instance to come forward. Releasing it (reset) frees both.
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
    friend bool CheckPreviousInstance(TInstanceLock &, const QString &, bool);
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    QString m_name;
};

// True when another instance under Name runs, or when the lock cannot be
// made at all (that is said in an error box); with BringToFront the running
// instance is asked to restore and raise the window on top at that moment:
// the one every other window waits for (the password prompt, the book choice,
// a message), else the window last worked in, else the marked window, else
// any shown one (the splash). False when this process now holds the name in
// MutexHandle. The lock belongs to the user: other users' instances do not
// count.
[[nodiscard]] bool CheckPreviousInstance(TInstanceLock &MutexHandle, const QString &Name, bool BringToFront);

// A marker on a top-level window, by which the instance finds the window to
// bring forward.
bool SetWindowMarker(QWidget *Wnd, const QString &Name);
void RemoveWindowMarker(QWidget *Wnd, const QString &Name);
QWidget *FindWindowByMarker(const QString &Name);
