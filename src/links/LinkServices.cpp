#include "links/LinkServices.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStorageInfo>
#include <QUrl>

namespace {

TLinkServicesSet &current()
{
    static TPlatformLinkRegistry registry;
    static TQProcessRunner processes;
    static TDesktopUrlOpener urls;
    static TStorageVolumeLabels volumes;
    static TLinkServicesSet set{&registry, &processes, &urls, &volumes};
    return set;
}

QString existingFolder(const TCommand &Command)
{
    QString dir = Command.WorkDir.trimmed();
    if (dir.isEmpty())
        dir = QFileInfo(Command.Program).path();
    return QFileInfo(dir).isDir() ? dir : QString();
}

} // namespace

const TLinkServicesSet &LinkServices()
{
    return current();
}

TScopedLinkServices::TScopedLinkServices(const TLinkServicesSet &Services)
    : m_previous(current())
{
    TLinkServicesSet &set = current();
    if (Services.Registry)
        set.Registry = Services.Registry;
    if (Services.Processes)
        set.Processes = Services.Processes;
    if (Services.Urls)
        set.Urls = Services.Urls;
    if (Services.Volumes)
        set.Volumes = Services.Volumes;
}

TScopedLinkServices::~TScopedLinkServices()
{
    current() = m_previous;
}

QString JoinCommandLine(const QString &Program, bool Quoted, const QStringList &Arguments)
{
    QString line = Quoted ? QLatin1Char('"') + Program + QLatin1Char('"') : Program;
    for (const QString &argument : Arguments)
        line += QLatin1Char(' ') + argument;
    return line;
}

std::optional<QString> TPlatformLinkRegistry::ReadString(TRootKey Root, const QString &Key, const QString &Name) const
{
    TRegistry reg(Root);
    if (!reg.OpenKeyReadOnly(Key) || !reg.ValueExists(Name))
        return std::nullopt;
    try {
        return reg.ReadString(Name);
    } catch (const ERegistryException &) {
        return std::nullopt; // a value of another type counts as missing
    }
}

bool TPlatformLinkRegistry::KeyExists(TRootKey Root, const QString &Key) const
{
    TRegistry reg(Root);
    return reg.KeyExists(Key);
}

QStringList TPlatformLinkRegistry::SubKeys(TRootKey Root, const QString &Key) const
{
    TRegistry reg(Root);
    if (!reg.OpenKeyReadOnly(Key))
        return {};
    return reg.GetKeyNames();
}

bool TQProcessRunner::Start(const TCommand &Command)
{
    return QProcess::startDetached(Command.Program, Command.Arguments, existingFolder(Command));
}

std::optional<int> TQProcessRunner::Run(const TCommand &Command)
{
    QProcess process;
    process.setProgram(Command.Program);
    process.setArguments(Command.Arguments);
    process.setWorkingDirectory(existingFolder(Command));
    process.start();
    if (!process.waitForStarted())
        return std::nullopt;
    // The user interface keeps answering while the program runs.
    while (!process.waitForFinished(100))
        QCoreApplication::processEvents();
    if (process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return process.exitCode();
}

bool TDesktopUrlOpener::Open(const QByteArray &Url)
{
    // Strict mode keeps the escapes as they are: a Shift-JIS byte group must
    // not be decoded and encoded again as UTF-8.
    const QUrl url = QUrl::fromEncoded(Url, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

std::vector<std::pair<QString, QString>> TStorageVolumeLabels::Volumes() const
{
    std::vector<std::pair<QString, QString>> volumes;
    for (const QStorageInfo &info : QStorageInfo::mountedVolumes())
        if (info.isValid() && info.isReady())
            volumes.emplace_back(info.rootPath(), info.displayName() == info.rootPath() ? QString() : info.name());
    return volumes;
}
