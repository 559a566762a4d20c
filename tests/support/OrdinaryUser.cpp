#include "support/OrdinaryUser.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <ftw.h>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// The owner nftw's callback hands each entry to (it takes no context).
uid_t g_owner = 0;
gid_t g_group = 0;

int handEntryOver(const char *path, const struct stat *, int, struct FTW *)
{
    // The entry itself, not where a link points: nothing outside the tree
    // changes hands.
    (void)::lchown(path, g_owner, g_group);
    return 0;
}

void handTreeOver(const QString &folder, uid_t owner, gid_t group)
{
    g_owner = owner;
    g_group = group;
    (void)::nftw(QFile::encodeName(folder).constData(), handEntryOver, 32, FTW_PHYS);
}

// Changing the effective user makes the process undumpable, and /proc then
// shows its own entries as root's: the program reaches a temporary without a
// name through /proc/self/fd, as the PDF engine does.
void keepProcEntriesOwn()
{
    (void)::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
}

} // namespace

ScopedOrdinaryUser::ScopedOrdinaryUser(const QStringList &Folders)
{
    if (::geteuid() != 0) {
        m_bound = true;
        return;
    }
    m_folders = Folders;
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        m_folders << QFileInfo(home).absolutePath();
    const struct passwd *nobody = ::getpwnam("nobody");
    m_uid = nobody ? nobody->pw_uid : 65534;
    m_gid = nobody ? nobody->pw_gid : 65534;
    const int count = ::getgroups(0, nullptr);
    m_groups.resize(count > 0 ? count : 0);
    if (count > 0 && ::getgroups(count, m_groups.data()) != count)
        m_groups.clear();
    for (const QString &folder : std::as_const(m_folders))
        handTreeOver(folder, m_uid, m_gid);
    // The saved user stays root, so that the end of the scope can take the
    // rights back; the real and effective ones are the user's, so access()
    // and the file system's checks both see the user.
    if (::setgroups(1, &m_gid) != 0 || ::setresgid(m_gid, m_gid, 0) != 0 || ::setresuid(m_uid, m_uid, 0) != 0) {
        ADD_FAILURE() << "the rights could not be dropped";
        (void)::setresuid(0, 0, 0);
        (void)::setresgid(0, 0, 0);
        (void)::setgroups(size_t(m_groups.size()), m_groups.constData());
        for (const QString &folder : std::as_const(m_folders))
            handTreeOver(folder, 0, 0);
        return;
    }
    keepProcEntriesOwn();
    m_dropped = true;
    m_bound = true;
}

ScopedOrdinaryUser::~ScopedOrdinaryUser()
{
    if (!m_dropped)
        return;
    const bool back = ::setresuid(0, 0, 0) == 0 && ::setresgid(0, 0, 0) == 0 &&
                      ::setgroups(size_t(m_groups.size()), m_groups.constData()) == 0;
    EXPECT_TRUE(back) << "the rights could not be taken back";
    keepProcEntriesOwn();
    for (const QString &folder : std::as_const(m_folders))
        handTreeOver(folder, 0, 0);
}
