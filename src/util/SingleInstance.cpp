#include "util/SingleInstance.h"

#include "util/MsgBoxPos.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>
#include <QWidget>
#include <QWindow>

#include <memory>

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
        if (lock->error() != QLockFile::LockFailedError) {
            // Without the lock a second instance could not be told apart from
            // the first; the program does not start, and says why.
            ShowMessageBoxAt(nullptr,
                             QStringLiteral("起動中かどうかを確かめるためのファイルを作成できません  \r\n")
                                 + QDir::toNativeSeparators(base + QStringLiteral(".lock"))
                                 + QStringLiteral("  \r\n\r\n") + ProductCaption()
                                 + QStringLiteral(" を起動できませんでした  "),
                             ProductCaption(), MB_ICONERROR, mbpSystem, 0, 0);
            return true;
        }
        if (BringToFront) {
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
