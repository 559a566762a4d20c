#pragma once

#include <QString>

// Tells whether a file may have been written since it was last asked, by the
// system's notice of every write to it (its content, its length, its
// attributes, its name), without opening or locking the file: a question
// that costs one look at the notices, where asking the file itself costs its
// lock. The notices come for the writes of every program of this machine;
// a network file system tells nothing of another machine's, so a file on
// anything but a local disk is never watched. An unwatched file (no notices
// to be had, or the file moved, deleted or replaced since) answers
// "written" to every question. Not for two threads at once.
class TFileWrites
{
public:
    explicit TFileWrites(const QString &FileName);
    ~TFileWrites();
    TFileWrites(const TFileWrites &) = delete;
    TFileWrites &operator=(const TFileWrites &) = delete;

    [[nodiscard]] bool Watched() const { return m_notices >= 0; }
    // True when the file may have been written since the last call, and
    // always while it is not watched.
    [[nodiscard]] bool WrittenSince();

private:
    void stopWatching();

    int m_notices = -1;
};
