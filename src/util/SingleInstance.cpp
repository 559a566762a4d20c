#include "util/SingleInstance.h"

#include "platform/Folders.h"
#include "util/MsgBoxPos.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSysInfo>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <utility>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kRaiseRequest[] = "raise\n";

// A folder fit for the lock: a real folder of this user that nobody else can
// enter. Empty when it is, else the reason, in words for the message.
QString unfitFolderReason(const struct stat &st)
{
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("フォルダーではありません（ファイルまたはリンクです）");
    if (st.st_uid != ::geteuid())
        return QStringLiteral("所有者がこのユーザーではありません");
    if ((st.st_mode & 077) != 0)
        return QStringLiteral("ほかのユーザーにもアクセス権があります");
    return QString();
}

// The session's runtime folder, when the session has one that is the user's
// alone (a variable carried over by "su" or "sudo" names another user's).
QString runtimeFolder()
{
    const QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir::isAbsolutePath(dir))
        return QString();
    struct stat st {};
    if (::stat(QFile::encodeName(dir).constData(), &st) != 0 || !unfitFolderReason(st).isEmpty())
        return QString();
    return Folders::includeTrailingPathDelimiter(dir);
}

// The folder "Instance/" of the settings root, made for the lock and the
// socket and checked before use. Empty with the reason in *error.
QString settingsRootLockFolder(QString *error)
{
    const QString root = Folders::settingsRoot();
    if (root.isEmpty()) {
        *error = QStringLiteral("ユーザーのフォルダーが見つかりません");
        return QString();
    }
    const QString folder = root + QStringLiteral("Instance");
    const QByteArray native = QFile::encodeName(folder);
    if (!Folders::makePrivatePath(root) || (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)) {
        *error = QDir::toNativeSeparators(folder) + QStringLiteral("  \r\n") + qt_error_string(errno);
        return QString();
    }
    // Never trusted for having been made here: someone may have made it first.
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) {
        *error = QDir::toNativeSeparators(folder) + QStringLiteral("  \r\n") + qt_error_string(errno);
        return QString();
    }
    if (const QString why = unfitFolderReason(st); !why.isEmpty()) {
        *error = QDir::toNativeSeparators(folder) + QStringLiteral("  \r\n") + why;
        return QString();
    }
    return folder + QLatin1Char('/');
}

// The folder of the lock and the socket: the runtime folder, else a folder
// of the settings root made for them. Empty with the reason in *error.
QString lockFolder(QString *error)
{
    const QString runtime = runtimeFolder();
    if (!runtime.isEmpty())
        return runtime;
    return settingsRootLockFolder(error);
}

// The folder as the file system knows it, however it was spelt (links, "..",
// a trailing '/'); a part not made yet is taken as spelt, so the answer does
// not change once it is made.
QString canonicalFolder(const QString &path)
{
    QString existing = QDir::cleanPath(QDir(path).absolutePath());
    QString rest;
    while (!existing.isEmpty() && existing != QLatin1String("/") && !QFileInfo(existing).exists()) {
        rest = QLatin1Char('/') + QFileInfo(existing).fileName() + rest;
        existing = QFileInfo(existing).path();
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return (canonical.isEmpty() ? existing : canonical) + rest;
}

// The name of the files: the instance name and a key of the settings root,
// so that a run with another settings root (another home, a portable set-up)
// is another instance.
QString fileBase(const QString &name)
{
    QString s = name;
    for (QChar &c : s)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    const QString root = canonicalFolder(Folders::settingsRoot());
    const QByteArray key = QCryptographicHash::hash(QFile::encodeName(root), QCryptographicHash::Sha256).toHex();
    return s + QLatin1Char('-') + QString::fromLatin1(key.left(16));
}

void refuseStart(const QString &headline, const QString &detail)
{
    ShowMessageBoxAt(nullptr,
                     headline + QStringLiteral("  \r\n") + detail + QStringLiteral("  \r\n\r\n") + ProductCaption()
                         + QStringLiteral(" を起動できませんでした  "),
                     ProductCaption(), MB_ICONERROR, mbpSystem, 0, 0);
}

bool isProcessAlive(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// Clears whatever stands under the lock's name and is no lock this user's
// instance could hold: a link, a pipe, a socket, an empty folder, a file of
// another owner. A file of the user's own that cannot be read gets its access
// back. False when nothing could be done about it.
bool clearWayFor(const QByteArray &path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode))
        return ::rmdir(path.constData()) == 0;
    if (S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
        return ::chmod(path.constData(), 0600) == 0;
    return ::unlink(path.constData()) == 0;
}

enum class TLockResult { Held, HeldElsewhere, Failed };

// Opens and locks the lock file; on Held, *fd is the open, locked file.
TLockResult lockFile(const QByteArray &path, int *fd, int *code)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Never through a link, never blocking on a pipe someone put there.
        const int f = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (f < 0) {
            *code = errno;
            if (!clearWayFor(path))
                return TLockResult::Failed;
            continue;
        }
        struct stat st {};
        if (::fstat(f, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
            *code = errno;
            ::close(f);
            if (!clearWayFor(path))
                return TLockResult::Failed;
            continue;
        }
        if (::flock(f, LOCK_EX | LOCK_NB) != 0) {
            *code = errno;
            if (errno == EWOULDBLOCK) {
                ::close(f);
                return TLockResult::HeldElsewhere;
            }
            // A file system without these locks: the process the file names decides.
            char text[64] = {};
            const ssize_t n = ::pread(f, text, sizeof text - 1, 0);
            const pid_t pid = n > 0 ? pid_t(std::strtol(text, nullptr, 10)) : 0;
            if (pid != ::getpid() && isProcessAlive(pid)) {
                ::close(f);
                return TLockResult::HeldElsewhere;
            }
        } else {
            // The name may have been cleared and made anew between the open and the lock.
            struct stat now {};
            if (::stat(path.constData(), &now) != 0 || now.st_ino != st.st_ino || now.st_dev != st.st_dev) {
                ::close(f);
                continue;
            }
        }
        (void)::fchmod(f, 0600);
        // Who holds it, for a person looking at the folder.
        const QByteArray who = QByteArray::number(qint64(::getpid())) + "\nmurven19\n"
                               + QSysInfo::machineHostName().toUtf8() + '\n';
        if (::ftruncate(f, 0) == 0) {
            const ssize_t written = ::pwrite(f, who.constData(), size_t(who.size()), 0);
            Q_UNUSED(written);
        }
        *fd = f;
        return TLockResult::Held;
    }
    if (*code == 0)
        *code = EAGAIN;
    return TLockResult::Failed;
}

// Asks the instance on the socket to come forward; false when none answers.
bool askToComeForward(const QString &socketPath)
{
    QElapsedTimer waited;
    waited.start();
    // The instance may have its lock but not yet its socket.
    do {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(1000)) {
            socket.write(kRaiseRequest);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(100);
    } while (waited.elapsed() < 1500);
    return false;
}

QByteArray markerProperty(const QString &name)
{
    return "murvenMarker:" + name.toUtf8();
}

// The windows of this instance the user worked in, most recent first, kept
// across the moments when another program has the focus.
struct TLastActive {
    static constexpr int Kept = 16;
    QList<QPointer<QWidget>> windows;

    void activated(QWidget *w)
    {
        windows.removeIf([w](const QPointer<QWidget> &p) { return p.isNull() || p == w; });
        windows.prepend(w);
        if (windows.size() > Kept)
            windows.resize(Kept);
    }
};

bool isOrdinaryWindow(const QWidget *w)
{
    const Qt::WindowType type = w->windowType();
    return w->isVisible() && type != Qt::Popup && type != Qt::ToolTip;
}

// The window on top at this moment: a window every other one waits for (the
// password prompt, the book choice at the first start, a message) comes
// first; then the shown window the user last worked in; then the marked main
// list window; then whatever is shown at all (the splash).
QWidget *topWindow(const QString &name, const TLastActive &last)
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal->windowModality() == Qt::ApplicationModal)
        return modal;
    for (const QPointer<QWidget> &w : last.windows)
        if (w && isOrdinaryWindow(w))
            return w;
    if (modal)
        return modal;
    if (QWidget *marked = FindWindowByMarker(name); marked && marked->isVisible())
        return marked;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (isOrdinaryWindow(w))
            return w;
    return nullptr;
}

void bringForward(const QString &name, const TLastActive &last)
{
    QWidget *target = topWindow(name, last);
    if (!target)
        return;
    // A dialog comes back together with the windows it was opened over.
    for (QWidget *w = target->parentWidget(); w; w = w->parentWidget())
        if (w->window()->isMinimized())
            w->window()->showNormal();
    ForceForegroundWindow(target);
}

} // namespace

TInstanceLock::TInstanceLock() = default;

TInstanceLock::~TInstanceLock()
{
    reset();
}

bool TInstanceLock::isHeld() const
{
    return m_fd >= 0;
}

void TInstanceLock::reset()
{
    if (m_server)
        m_server->close();
    m_server.reset();
    // Removed while still held, so no other start can lock the old file and
    // then find its name taken by a new one.
    for (auto [fd, path] : {std::pair{&m_fd, &m_lockPath}, std::pair{&m_rootFd, &m_rootLockPath}}) {
        if (*fd >= 0) {
            ::unlink(QFile::encodeName(*path).constData());
            ::close(*fd);
            *fd = -1;
        }
        path->clear();
    }
}

QString InstanceLockPath(const QString &Name, QString *Error)
{
    QString error;
    const QString folder = lockFolder(&error);
    if (Error)
        *Error = error;
    return folder.isEmpty() ? QString() : folder + fileBase(Name) + QStringLiteral(".lock");
}

TInstanceCheck AcquireInstance(TInstanceLock &MutexHandle, const QString &Name, bool BringToFront)
{
    QString why;
    const QString lockPath = InstanceLockPath(Name, &why);
    if (lockPath.isEmpty()) {
        // Others could squat or read a lock there: the program does not start, and says why.
        refuseStart(QStringLiteral("起動中かどうかを確かめるためのフォルダーを使えません"), why);
        return TInstanceCheck::Refused;
    }
    const QString socketPath = lockPath.chopped(5) + QStringLiteral(".sock");
    const auto refuseLock = [](const QString &path, int code) {
        // Without the lock a second instance could not be told apart from the first.
        refuseStart(QStringLiteral("起動中かどうかを確かめるためのファイルを作成できません"),
                    QDir::toNativeSeparators(path) + QStringLiteral("  \r\n") + qt_error_string(code));
        return TInstanceCheck::Refused;
    };
    const auto runsAlready = [&](const QStringList &sockets, const QString &path) {
        if (BringToFront && std::none_of(sockets.cbegin(), sockets.cend(), askToComeForward)) {
            refuseStart(ProductCaption() + QStringLiteral(" はすでに起動していますが、その画面を前に出せませんでした"),
                        QDir::toNativeSeparators(path));
            return TInstanceCheck::Refused;
        }
        return TInstanceCheck::RunsAlready;
    };

    // The lock in the runtime folder is seen only by starts that have that
    // folder; the settings root's lock by every start on the same books.
    int rootFd = -1;
    QString rootLockPath;
    if (!Folders::settingsRoot().isEmpty()
        && QFileInfo(lockPath).path() + QLatin1Char('/') != Folders::settingsRoot() + QStringLiteral("Instance/")) {
        // A settings root that cannot be made (a read-only home: the program
        // folder then holds the settings) leaves the runtime folder's lock
        // alone in charge, as before.
        QString unused;
        const QString rootFolder = settingsRootLockFolder(&unused);
        if (!rootFolder.isEmpty()) {
            rootLockPath = rootFolder + fileBase(Name) + QStringLiteral(".lock");
            int code = 0;
            switch (lockFile(QFile::encodeName(rootLockPath), &rootFd, &code)) {
            case TLockResult::Failed:
                return refuseLock(rootLockPath, code);
            case TLockResult::HeldElsewhere:
                return runsAlready({socketPath, rootLockPath.chopped(5) + QStringLiteral(".sock")}, rootLockPath);
            case TLockResult::Held:
                break;
            }
        }
    }
    const auto releaseRoot = [&] {
        if (rootFd >= 0) {
            ::unlink(QFile::encodeName(rootLockPath).constData());
            ::close(rootFd);
        }
    };

    int fd = -1;
    int code = 0;
    switch (lockFile(QFile::encodeName(lockPath), &fd, &code)) {
    case TLockResult::Failed:
        releaseRoot();
        return refuseLock(lockPath, code);
    case TLockResult::HeldElsewhere:
        releaseRoot();
        return runsAlready({socketPath}, lockPath);
    case TLockResult::Held:
        break;
    }

    MutexHandle.reset();
    MutexHandle.m_fd = fd;
    MutexHandle.m_lockPath = lockPath;
    MutexHandle.m_rootFd = rootFd;
    MutexHandle.m_rootLockPath = rootLockPath;
    MutexHandle.m_name = Name;

    auto server = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(socketPath); // a socket file left by a crashed run
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (server->listen(socketPath)) {
        ::chmod(QFile::encodeName(socketPath).constData(), 0600);
        QLocalServer *s = server.get();
        auto last = std::make_shared<TLastActive>();
        if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            QObject::connect(gui, &QGuiApplication::focusWindowChanged, s, [last](QWindow *focus) {
                if (!focus)
                    return; // another program has the focus; remember ours
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (w->windowHandle() == focus)
                        last->activated(w);
            });
        }
        QObject::connect(s, &QLocalServer::newConnection, s, [s, Name, last] {
            while (QLocalSocket *client = s->nextPendingConnection()) {
                QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
                QObject::connect(client, &QLocalSocket::readyRead, client, [client, Name, last] {
                    if (client->readAll().contains("raise"))
                        bringForward(Name, *last);
                });
            }
        });
    } else {
        qWarning("murven19: a second start cannot reach this instance: %s", qPrintable(server->errorString()));
    }
    MutexHandle.m_server = std::move(server);
    return TInstanceCheck::Acquired;
}

bool CheckPreviousInstance(TInstanceLock &MutexHandle, const QString &Name, bool BringToFront)
{
    return AcquireInstance(MutexHandle, Name, BringToFront) != TInstanceCheck::Acquired;
}

bool SetWindowMarker(QWidget *Wnd, const QString &Name)
{
    if (!Wnd)
        return false;
    Wnd->setProperty(markerProperty(Name).constData(), 1);
    return true;
}

void RemoveWindowMarker(QWidget *Wnd, const QString &Name)
{
    if (Wnd)
        Wnd->setProperty(markerProperty(Name).constData(), QVariant());
}

QWidget *FindWindowByMarker(const QString &Name)
{
    const QByteArray prop = markerProperty(Name);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->property(prop.constData()).toInt() == 1)
            return w;
    return nullptr;
}
