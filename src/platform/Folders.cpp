#include "platform/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace {

// A variable that is set but empty counts as not set, so an exported empty
// value never turns a location into a relative path.
QString fromEnvironment(const char *name)
{
    return qEnvironmentVariable(name);
}

QString folderFromEnvironment(const char *name)
{
    return Folders::includeTrailingPathDelimiter(fromEnvironment(name));
}

QString executableFolder()
{
    if (QCoreApplication::instance() == nullptr)
        return QStringLiteral("./");
    return Folders::includeTrailingPathDelimiter(QCoreApplication::applicationDirPath());
}

} // namespace

namespace Folders {

QString programFolder()
{
    const QString fromEnv = folderFromEnvironment("MURVEN_PROGRAM_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString exeFolder = executableFolder();
    // Installed layout: <prefix>/bin/murven19 with the data in <prefix>/share/murven19.
    const QString shared = QDir::cleanPath(exeFolder + QStringLiteral("../share/murven19"));
    if (QFileInfo(shared).isDir())
        return includeTrailingPathDelimiter(shared);
    return exeFolder;
}

QString appDataFolder()
{
    const QString fromEnv = folderFromEnvironment("MURVEN_APPDATA");
    if (!fromEnv.isEmpty())
        return fromEnv;
    // Empty only without any home folder; the caller then falls back to the program folder.
    return includeTrailingPathDelimiter(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString settingsRoot()
{
    const QString fromEnv = folderFromEnvironment("MURVEN_SETTINGS_ROOT");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString appData = appDataFolder();
    // Never a relative "Pyx/Murven19/" that would land in the working folder.
    if (appData.isEmpty())
        return QString();
    return appData + QStringLiteral("Pyx/Murven19/");
}

QString machineRegistryFile()
{
    const QString fromEnv = fromEnvironment("MURVEN_MACHINE_REGISTRY");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return programFolder() + QStringLiteral("Murven19.reg");
}

QString userRegistryFile()
{
    const QString fromEnv = fromEnvironment("MURVEN_USER_REGISTRY");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return QString();
    return includeTrailingPathDelimiter(config) + QStringLiteral("Pyx/Murven19.reg");
}

bool makePrivatePath(const QString &path)
{
    if (path.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    struct stat st {};
    // Each missing level from the top down, so that none of them is ever
    // open to others, not even for a moment.
    qsizetype from = 1;
    while (from <= clean.size()) {
        qsizetype end = clean.indexOf(QLatin1Char('/'), from);
        if (end < 0)
            end = clean.size();
        const QByteArray level = QFile::encodeName(clean.left(end));
        from = end + 1;
        if (::stat(level.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                errno = ENOTDIR; // a file in the folder's place
                return false;
            }
            continue;
        }
        if (::mkdir(level.constData(), 0700) != 0) {
            if (errno != EEXIST)
                return false;
            continue;
        }
        // The mask could only take bits away; the owner needs all three.
        ::chmod(level.constData(), 0700);
    }
    if (::stat(QFile::encodeName(clean).constData(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

void restrictNewFilesToUser()
{
    ::umask(077);
}

// An empty path stays empty: a lone '/' would name the file-system root.
QString includeTrailingPathDelimiter(const QString &path)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

// The root folder "/" keeps its delimiter; removing it would leave an empty path.
QString excludeTrailingPathDelimiter(const QString &path)
{
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        return path.chopped(1);
    return path;
}

} // namespace Folders
