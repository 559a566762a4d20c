#pragma once

#include <QStringList>

#include <sys/types.h>

// A part of a test run as an ordinary user, whom the access rights of files
// and folders bind: the tests run as root in CI, and root writes a file set
// read-only or a folder without write rights as if they were not.
//
// While it lives, the whole process (every thread) acts as the user
// "nobody". The temporary home the test environment made (the parent of
// $HOME) and the folders given, with everything below them, are that user's
// own for the while, as a user's home is; they go back to their owner at the
// end. Give the topmost temporary folder of the test: a folder below another
// that only root may enter cannot be reached.
//
// Run by an ordinary user already, it changes nothing: the rights bind the
// test as they are.
class ScopedOrdinaryUser
{
public:
    explicit ScopedOrdinaryUser(const QStringList &Folders = {});
    ~ScopedOrdinaryUser();
    ScopedOrdinaryUser(const ScopedOrdinaryUser &) = delete;
    ScopedOrdinaryUser &operator=(const ScopedOrdinaryUser &) = delete;

    // Whether the rights bind the process now (dropped, or never root); a
    // test whose point is a refusal asserts it first.
    [[nodiscard]] bool Bound() const { return m_bound; }

private:
    QStringList m_folders;
    bool m_dropped = false;
    bool m_bound = false;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    QList<gid_t> m_groups;
};
