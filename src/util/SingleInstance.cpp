#include "util/SingleInstance.h"

#include "util/MsgBoxPos.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QWidget>

#include <unistd.h>

namespace {

constexpr char kRaiseRequest[] = "raise\n";

// The runtime folder is private to the user and emptied at log-out, which is
// what a lock of a running program needs; the temporary folder is the
// fallback on systems without one.
QString lockFolder()
{
    QString dir;
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        dir = QDir::tempPath();
    return dir;
}

QString safeName(const QString &name)
{
    QString s = name;
    for (QChar &c : s)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    return s + QLatin1Char('-') + QString::number(getuid());
}

QByteArray markerProperty(const QString &name)
{
    return "murvenMarker:" + name.toUtf8();
}

void bringForward(const QString &name)
{
    if (QWidget *w = FindWindowByMarker(name)) {
        if (w->isMinimized())
            w->showNormal();
        ForceForegroundWindow(w);
    }
}

} // namespace

TInstanceLock::TInstanceLock() = default;
TInstanceLock::~TInstanceLock() = default;

bool TInstanceLock::isHeld() const
{
    return m_lock && m_lock->isLocked();
}

void TInstanceLock::reset()
{
    if (m_server)
        m_server->close();
    m_server.reset();
    m_lock.reset();
}

bool CheckPreviousInstance(TInstanceLock &MutexHandle, const QString &Name, bool BringToFront)
{
    const QString base = lockFolder() + QLatin1Char('/') + safeName(Name);
    auto lock = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
    // Never stale by age: a long-running instance keeps its lock. A lock left
    // by a crashed process is still taken over (its process is gone).
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError && BringToFront) {
            QLocalSocket socket;
            socket.connectToServer(base + QStringLiteral(".sock"));
            if (socket.waitForConnected(1000)) {
                socket.write(kRaiseRequest);
                socket.waitForBytesWritten(1000);
                socket.disconnectFromServer();
            }
        }
        return true;
    }

    auto server = std::make_unique<QLocalServer>();
    const QString socketPath = base + QStringLiteral(".sock");
    QLocalServer::removeServer(socketPath); // a socket file left by a crashed run
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (server->listen(socketPath)) {
        QLocalServer *s = server.get();
        QObject::connect(s, &QLocalServer::newConnection, s, [s, Name] {
            while (QLocalSocket *client = s->nextPendingConnection()) {
                QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
                QObject::connect(client, &QLocalSocket::readyRead, client, [client, Name] {
                    if (client->readAll().contains("raise"))
                        bringForward(Name);
                });
            }
        });
    }
    MutexHandle.reset();
    MutexHandle.m_lock = std::move(lock);
    MutexHandle.m_server = std::move(server);
    MutexHandle.m_name = Name;
    return false;
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
