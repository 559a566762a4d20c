#pragma once

#include "platform/Registry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// The outside world the map, route and web links talk to, each behind a small
// interface so that tests put fakes in its place:
//   - registry look-ups (the install folders the map programs leave behind),
//   - starting programs (always with an argument list, never through a shell),
//   - handing URLs to the desktop,
//   - volume labels of the mounted drives.
// LinkServices() is the one set in use; TScopedLinkServices swaps one in for
// a test. A new outside service is one more interface here with its real and
// fake implementation.

class ILinkRegistry
{
public:
    virtual ~ILinkRegistry() = default;
    // The value of an existing key; nullopt when the key or the value is missing.
    [[nodiscard]] virtual std::optional<QString> ReadString(TRootKey Root, const QString &Key,
                                                            const QString &Name) const = 0;
    [[nodiscard]] virtual bool KeyExists(TRootKey Root, const QString &Key) const = 0;
    [[nodiscard]] virtual QStringList SubKeys(TRootKey Root, const QString &Key) const = 0;
};

// A program and its arguments, each argument passed on whole (an address with
// blanks or quotes stays one argument), and the command line a Windows program
// would have been given for it, which is what the tests compare.
struct TCommand
{
    QString Program;
    QStringList Arguments;
    QString CommandLine;
    QString WorkDir;
};

class IProcessRunner
{
public:
    virtual ~IProcessRunner() = default;
    // Starts without waiting; false when the program could not be started.
    virtual bool Start(const TCommand &Command) = 0;
    // Runs to its end; the exit code, or nullopt when it could not be started.
    [[nodiscard]] virtual std::optional<int> Run(const TCommand &Command) = 0;
};

class IUrlOpener
{
public:
    virtual ~IUrlOpener() = default;
    // Url is already percent-encoded and is handed on byte for byte.
    virtual bool Open(const QByteArray &Url) = 0;
};

class IVolumeLabels
{
public:
    virtual ~IVolumeLabels() = default;
    // (root path, label) of every mounted drive, in mount order.
    [[nodiscard]] virtual std::vector<std::pair<QString, QString>> Volumes() const = 0;
};

struct TLinkServicesSet
{
    ILinkRegistry *Registry = nullptr;
    IProcessRunner *Processes = nullptr;
    IUrlOpener *Urls = nullptr;
    IVolumeLabels *Volumes = nullptr;
};

[[nodiscard]] const TLinkServicesSet &LinkServices();

// Puts the given services in place for its lifetime (null members keep the
// ones in use) and restores the previous set afterwards.
class TScopedLinkServices
{
public:
    explicit TScopedLinkServices(const TLinkServicesSet &Services);
    ~TScopedLinkServices();
    TScopedLinkServices(const TScopedLinkServices &) = delete;
    TScopedLinkServices &operator=(const TScopedLinkServices &) = delete;

private:
    TLinkServicesSet m_previous;
};

// The command line of a program and its arguments as Windows would read it:
// the program between double quotes when Quoted, every argument as it is,
// one blank between them (an empty last argument still leaves its blank).
[[nodiscard]] QString JoinCommandLine(const QString &Program, bool Quoted, const QStringList &Arguments);

// The platform's own implementations (the defaults of LinkServices()).
class TPlatformLinkRegistry : public ILinkRegistry
{
public:
    [[nodiscard]] std::optional<QString> ReadString(TRootKey Root, const QString &Key,
                                                    const QString &Name) const override;
    [[nodiscard]] bool KeyExists(TRootKey Root, const QString &Key) const override;
    [[nodiscard]] QStringList SubKeys(TRootKey Root, const QString &Key) const override;
};

class TQProcessRunner : public IProcessRunner
{
public:
    bool Start(const TCommand &Command) override;
    [[nodiscard]] std::optional<int> Run(const TCommand &Command) override;
};

class TDesktopUrlOpener : public IUrlOpener
{
public:
    bool Open(const QByteArray &Url) override;
};

class TStorageVolumeLabels : public IVolumeLabels
{
public:
    [[nodiscard]] std::vector<std::pair<QString, QString>> Volumes() const override;
};
