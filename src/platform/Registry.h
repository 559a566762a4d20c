#pragma once

#include "platform/Exception.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Reading a missing value or one of another type, or writing where writing is
// refused, raises this; callers test ValueExists() first.
MURVEN_DECLARE_EXCEPTION(ERegistryException, Exception);

enum class TRootKey {
    CurrentUser,
    LocalMachine,
};
inline constexpr TRootKey HKEY_CURRENT_USER = TRootKey::CurrentUser;
inline constexpr TRootKey HKEY_LOCAL_MACHINE = TRootKey::LocalMachine;

// Registry keys kept in two files in the Windows .reg text format (UTF-8):
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Qor\Murven\19.0]
//   "Type"="text with \\ and \" escaped"
//   "Count"=dword:0000002a
//   @="the key's default value"
//   "Note"=hex(1):41,00,0d,00,0a,00,42,00,00,00
//
// A string holding a line break is written in that "hex(1):" form (UTF-16LE
// with the closing zero, lines continued by a trailing backslash), as the
// registry editor writes it, so it reads back exactly; every other string is
// written between quotes.
//
// HKEY_LOCAL_MACHINE is the installation's file (Folders::machineRegistryFile())
// and is never written: opening a missing key with canCreate, writing and
// deleting all fail. HKEY_CURRENT_USER is Folders::userRegistryFile(), saved
// through the safe replace at every change. Lines this layer does not
// understand (other value types, damaged lines, comments) are ignored on read
// and written back unchanged. A user's file that cannot be read as a whole
// (not openable, not UTF-8, a zero byte, text without the header line) is
// never written over: it is kept aside and named to the user
// (platform/UnreadableFile.h) and its keys start empty.
//
// Key paths are separated by backslashes, ignore letter case, and are relative
// to the open key unless they begin with a backslash. The default value has
// the empty name.
class TRegistry
{
public:
    explicit TRegistry(TRootKey root = HKEY_CURRENT_USER);
    ~TRegistry();
    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    [[nodiscard]] TRootKey RootKey() const { return m_root; }

    // Makes the key the open key; creates it when missing and canCreate is set
    // (never on HKEY_LOCAL_MACHINE). False leaves the open key as it was.
    bool OpenKey(const QString &key, bool canCreate);
    // Opens an existing key for reading only: writes through it are refused.
    bool OpenKeyReadOnly(const QString &key);
    void CloseKey();
    // The open key's path from the root, without a leading backslash; empty when none is open.
    [[nodiscard]] QString CurrentPath() const;

    [[nodiscard]] bool KeyExists(const QString &key) const;
    // Names of the open key's direct sub-keys.
    [[nodiscard]] QStringList GetKeyNames() const;
    // Names of the open key's values.
    [[nodiscard]] QStringList GetValueNames() const;
    [[nodiscard]] bool ValueExists(const QString &name) const;
    // A line of the open key names the value but its data cannot be read (a
    // quote missing, digits that are no number); such a value does not
    // exist for ValueExists and the readers. True only when that line is the
    // value's last setting in the file.
    [[nodiscard]] bool ValueDamaged(const QString &name) const;

    // These raise ERegistryException for a missing value or one of another type.
    [[nodiscard]] QString ReadString(const QString &name) const;
    [[nodiscard]] int ReadInteger(const QString &name) const;
    [[nodiscard]] bool ReadBool(const QString &name) const;

    // These raise ERegistryException when no key is open, the key is
    // read-only, or the file cannot be saved.
    void WriteString(const QString &name, const QString &value);
    void WriteInteger(const QString &name, int value);

    // Deletes the key with all its sub-keys; false when it is missing or the root is read-only.
    bool DeleteKey(const QString &key);
    bool DeleteValue(const QString &name);

private:
    class Document; // the parsed file

    [[nodiscard]] Document load() const;
    // Why the existing file cannot be read; empty when it can.
    [[nodiscard]] QString unreadableFileReason() const;
    // Saves and, on success, makes the document the current content.
    [[nodiscard]] bool save(const Document &document, QString *error);
    void writeValue(const QString &name, const std::function<void(Document &)> &change);
    [[nodiscard]] QStringList resolve(const QString &key) const;
    [[nodiscard]] bool writable() const;
    bool openKey(const QString &key, bool canCreate, bool readOnly);

    TRootKey m_root;
    QString m_fileName;
    std::unique_ptr<Document> m_document;
    bool m_open = false;
    bool m_openReadOnly = false;
    QStringList m_currentPath;
};
