#pragma once

#include "links/LinkServices.h"
#include "links/MapPrograms.h"

#include <QHash>
#include <QList>
#include <QMap>

#include <deque>

// Registry keys and values held in memory; keys compare without letter case.
class TFakeRegistry : public ILinkRegistry
{
public:
    void setValue(TRootKey Root, const QString &Key, const QString &Name, const QString &Value)
    {
        addKey(Root, Key);
        m_values[id(Root, Key)][Name.toLower()] = Value;
    }
    void addKey(TRootKey Root, const QString &Key)
    {
        m_values[id(Root, Key)];
        const qsizetype cut = Key.lastIndexOf(QLatin1Char('\\'));
        if (cut > 0) {
            addKey(Root, Key.left(cut));
            m_subKeys[id(Root, Key.left(cut))].insert(Key.mid(cut + 1), true);
        }
    }

    std::optional<QString> ReadString(TRootKey Root, const QString &Key, const QString &Name) const override
    {
        const auto key = m_values.constFind(id(Root, Key));
        if (key == m_values.cend() || !key->contains(Name.toLower()))
            return std::nullopt;
        return key->value(Name.toLower());
    }
    bool KeyExists(TRootKey Root, const QString &Key) const override { return m_values.contains(id(Root, Key)); }
    QStringList SubKeys(TRootKey Root, const QString &Key) const override
    {
        return m_subKeys.value(id(Root, Key)).keys();
    }

private:
    static QString id(TRootKey Root, const QString &Key)
    {
        return (Root == HKEY_LOCAL_MACHINE ? QStringLiteral("HKLM\\") : QStringLiteral("HKCU\\")) + Key.toLower();
    }
    QHash<QString, QHash<QString, QString>> m_values;
    QHash<QString, QMap<QString, bool>> m_subKeys;
};

// Records every command; Run answers the scripted exit codes in turn
// (nullopt: the program could not be started), then nullopt.
class TFakeRunner : public IProcessRunner
{
public:
    bool Start(const TCommand &Command) override
    {
        started << Command;
        return true;
    }
    std::optional<int> Run(const TCommand &Command) override
    {
        ran << Command;
        if (exitCodes.empty())
            return std::nullopt;
        const std::optional<int> code = exitCodes.front();
        exitCodes.pop_front();
        return code;
    }
    QList<TCommand> started;
    QList<TCommand> ran;
    std::deque<std::optional<int>> exitCodes;
};

class TFakeUrls : public IUrlOpener
{
public:
    bool Open(const QByteArray &Url) override
    {
        opened << Url;
        return result;
    }
    QList<QByteArray> opened;
    bool result = true;
};

class TFakeVolumes : public IVolumeLabels
{
public:
    std::vector<std::pair<QString, QString>> Volumes() const override { return volumes; }
    std::vector<std::pair<QString, QString>> volumes;
};

// All four fakes in place for one test.
struct TFakeLinkWorld
{
    TFakeRegistry registry;
    TFakeRunner runner;
    TFakeUrls urls;
    TFakeVolumes volumes;
    TScopedLinkServices scope{TLinkServicesSet{&registry, &runner, &urls, &volumes}};
};
