#pragma once

#include <QString>
#include <QHash>
#include <QTemporaryDir>

#include <memory>

// Temporary folders standing in for the user's home and the program's
// installation. The process-wide home is made before QApplication starts;
// a ScopedHome gives one test fresh, empty folders of its own.
class TestEnvironment
{
public:
    static void installProcessHome();
    static void removeProcessHome();
    // The folder holding the shipped test fixtures (tests/data).
    static QString dataFolder();
};

class ScopedHome
{
public:
    ScopedHome();
    ~ScopedHome();
    ScopedHome(const ScopedHome &) = delete;
    ScopedHome &operator=(const ScopedHome &) = delete;

    QString root() const { return m_dir.path(); }
    QString programFolder() const;   // MURVEN_PROGRAM_DIR
    QString appDataFolder() const;   // MURVEN_APPDATA
    QString settingsRoot() const;    // MURVEN_SETTINGS_ROOT
    QString machineRegistry() const; // MURVEN_MACHINE_REGISTRY
    QString userRegistry() const;    // MURVEN_USER_REGISTRY

private:
    QTemporaryDir m_dir;
    QHash<QByteArray, QByteArray> m_saved;
};
