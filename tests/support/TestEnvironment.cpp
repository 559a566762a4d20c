#include "support/TestEnvironment.h"

#include <QDir>
#include <QHash>

#include <cstdlib>

namespace {

std::unique_ptr<QTemporaryDir> &processHome()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

const char *const kVariables[] = {
    "HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR",
    "MURVEN_PROGRAM_DIR", "MURVEN_APPDATA", "MURVEN_SETTINGS_ROOT", "MURVEN_MACHINE_REGISTRY",
    "MURVEN_USER_REGISTRY",
};

void pointAt(const QString &root)
{
    const QDir d(root);
    for (const char *sub : {"home", "home/.local/share", "home/.config", "home/.cache", "run", "program",
                            "appdata"})
        d.mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(d.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", d.filePath(QStringLiteral("home")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", d.filePath(QStringLiteral("home/.local/share")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", d.filePath(QStringLiteral("home/.config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", d.filePath(QStringLiteral("home/.cache")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", d.filePath(QStringLiteral("run")).toLocal8Bit());
    qputenv("MURVEN_PROGRAM_DIR", d.filePath(QStringLiteral("program")).toLocal8Bit());
    qputenv("MURVEN_APPDATA", d.filePath(QStringLiteral("appdata")).toLocal8Bit());
    qputenv("MURVEN_SETTINGS_ROOT", d.filePath(QStringLiteral("appdata/Pyx/Murven19")).toLocal8Bit());
    qputenv("MURVEN_MACHINE_REGISTRY", d.filePath(QStringLiteral("program/machine.reg")).toLocal8Bit());
    qputenv("MURVEN_USER_REGISTRY", d.filePath(QStringLiteral("home/.config/user.reg")).toLocal8Bit());
}

} // namespace

void TestEnvironment::installProcessHome()
{
    // A test that starts this program again as a second process hands its
    // own temporary home down, so both see the same folders.
    if (!qEnvironmentVariableIsEmpty("MURVEN_TEST_INHERIT_HOME"))
        return;
    processHome() = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/murven-test-XXXXXX"));
    pointAt(processHome()->path());
}

void TestEnvironment::removeProcessHome()
{
    processHome().reset();
}

QString TestEnvironment::dataFolder()
{
    const QByteArray env = qgetenv("MURVEN_TEST_DATA");
    return env.isEmpty() ? QStringLiteral(MURVEN_TEST_DATA_DEFAULT) : QString::fromLocal8Bit(env);
}

ScopedHome::ScopedHome()
{
    for (const char *name : kVariables)
        m_saved.insert(name, qgetenv(name));
    pointAt(m_dir.path());
}

ScopedHome::~ScopedHome()
{
    for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it)
        qputenv(it.key().constData(), it.value());
}

QString ScopedHome::programFolder() const { return qEnvironmentVariable("MURVEN_PROGRAM_DIR"); }
QString ScopedHome::appDataFolder() const { return qEnvironmentVariable("MURVEN_APPDATA"); }
QString ScopedHome::settingsRoot() const { return qEnvironmentVariable("MURVEN_SETTINGS_ROOT"); }
QString ScopedHome::machineRegistry() const { return qEnvironmentVariable("MURVEN_MACHINE_REGISTRY"); }
QString ScopedHome::userRegistry() const { return qEnvironmentVariable("MURVEN_USER_REGISTRY"); }
