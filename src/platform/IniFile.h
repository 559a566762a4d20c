#pragma once

#include "platform/UnreadableFile.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

// The in-memory INI file: every routine that reads or writes settings opens one
// on its settings file, reads and writes keys, calls UpdateFile() when it
// changed something, and frees it at once.
//
// Section and key names compare without regard to letter case; sections and
// keys keep their order (a new key goes to the end of its section, a new
// section to the end of the file). Values are plain text: no escapes, no
// splitting at commas.
//
// Stored form: UTF-8 without a byte-order mark, CR LF after every line, the
// comment line "; encoding=UTF-8; crc32=XXXXXXXX" first, which carries the
// CRC-32 of every byte after the line's text (an empty content writes an
// empty file), then "[Section]" and "key=value" lines, an empty line between
// sections. Read form (a UTF-8 byte-order mark is skipped):
// - A file whose sum holds is as the program wrote it and is read whole.
// - A file whose content, read as UTF-8 or as code page 932 and written as
//   the program writes it, has the sum was saved by hand with nothing but
//   its form changed (line ends, a byte-order mark, comments, blank lines):
//   read whole, no damage.
// - Where the sum tells the one byte changed, dropped or put in, the text as
//   written is read, and the entry that byte lies in is named as read with
//   the value the program wrote (RestoredEntries()).
// - Any other file with the sum line is not as written (damage, or an edit
//   by hand): the user is always told, and its lines read as below.
// - Line by line (those files, the previous version's with the encoding
//   line alone, older ones without it): a file with the encoding line is
//   UTF-8 while any of its lines beyond ASCII reads as UTF-8, one without
//   it UTF-8 unless the lines only code page 932 reads outnumber those
//   UTF-8 reads, so no damaged line decides the others; a line not of that encoding
//   or holding a zero byte is a damaged entry, and among CR LF line ends so
//   is the line after a lone CR (a lone LF is a line end). In a file with
//   the encoding line, a line of a kind the program never writes (no
//   section nor key, a key name a bracket or ';' begins unquoted, a section
//   name with a bracket in it, a section or key met twice) is damaged too;
//   a damaged section line ends its section.
// A damaged entry is left out while the other entries keep their values.
// Whenever an entry is damaged or restored, or the file is not as written, a
// copy of the file is kept beside it and the user told before anything can
// be written over it (KeepDamagedFileCopy(), see platform/UnreadableFile.h);
// when no copy can be kept, UpdateFile() refuses to write over the file.

// Blanks around names and values are not part of them when read, as in every
// INI file. A section name, key or value that begins or ends with a blank or
// control character, or is itself wrapped in double quotes, is therefore
// written inside a pair of double quotes, which reading takes off again: every
// value reads back exactly as it was written (book names with a blank at an
// end included).
//
// A file that exists but cannot be taken as settings (see below) is
// never overwritten: it is renamed beside itself with the date and time
// ("Murven19.ini.unreadable-20240501-093000") by KeepUnreadableFileAside(),
// which tells the user once (platform/UnreadableFile.h), and the object starts
// empty, so its reader uses its defaults. When the file cannot be moved,
// UpdateFile() refuses to write over it.

// What a settings file must hold to count as readable. Any existing file is
// unreadable when it cannot be opened, is larger than a settings file ever
// is (16 MiB), or holds not one "[Section]" line (empty or only blanks too:
// the program always writes its files with content, so such a file was cut
// short); one without the encoding line also when it holds a zero byte or
// when its lines beyond ASCII are none of them UTF-8 nor code page 932.

class TMemIniFile
{
public:
    // Loads the file when it exists, after putting right an interrupted safe replace.
    explicit TMemIniFile(const QString &fileName);

    [[nodiscard]] const QString &FileName() const { return m_fileName; }

    // The file on disk could not be read as settings: the object started
    // empty. KeptAsidePath() is where the file was moved to, empty when it
    // could not be moved (UpdateFile then fails).
    [[nodiscard]] bool Unreadable() const { return m_unreadable; }
    [[nodiscard]] const QString &KeptAsidePath() const { return m_keptAside; }

    // The entries of a file in UTF-8 that could not be read ("[GROUP] Group3",
    // or a damaged section's "[...]"), left out of the content; where the
    // copy of the file as read was kept (empty when none could be made).
    [[nodiscard]] const QStringList &DamagedEntries() const { return m_damaged; }
    [[nodiscard]] const QString &DamagedCopyPath() const { return m_damagedCopy; }
    // The entry in which the sum located the one byte changed, dropped or
    // put in: read with the value the program wrote.
    [[nodiscard]] const QStringList &RestoredEntries() const { return m_restored; }
    // The file is not as the program wrote it (damage, or an edit by hand
    // beyond its form): the user was told, and a copy kept, even when every
    // entry reads.
    [[nodiscard]] bool NotAsWritten() const { return m_notAsWritten; }

    // The value of an existing key, even when empty; else the default.
    [[nodiscard]] QString ReadString(const QString &section, const QString &ident, const QString &defaultValue) const;
    void WriteString(const QString &section, const QString &ident, const QString &value);

    // Decimal, or hexadecimal written "$1F" or "0x1F" (8 hex digits at most,
    // taken as a 32-bit pattern, so "$FFFFFFFF" is -1), with an optional sign.
    // Anything else, or a number outside the 32-bit range, gives the default.
    [[nodiscard]] int ReadInteger(const QString &section, const QString &ident, int defaultValue) const;
    void WriteInteger(const QString &section, const QString &ident, int value);

    // An integer key: any value but 0 is true; a value that is no integer gives the default.
    [[nodiscard]] bool ReadBool(const QString &section, const QString &ident, bool defaultValue) const;
    void WriteBool(const QString &section, const QString &ident, bool value); // "1" or "0"

    // C notation with '.', whatever the user's locale.
    [[nodiscard]] double ReadFloat(const QString &section, const QString &ident, double defaultValue) const;
    void WriteFloat(const QString &section, const QString &ident, double value);

    [[nodiscard]] QStringList ReadSection(const QString &section) const; // key names
    [[nodiscard]] QStringList ReadSections() const;
    [[nodiscard]] QStringList ReadSectionValues(const QString &section) const; // "key=value"
    [[nodiscard]] bool SectionExists(const QString &section) const;
    [[nodiscard]] bool ValueExists(const QString &section, const QString &ident) const;

    void DeleteKey(const QString &section, const QString &ident);
    void EraseSection(const QString &section);
    void Clear();

    // The whole content as the lines of its stored form, and back.
    [[nodiscard]] QStringList GetStrings() const;
    void SetStrings(const QStringList &lines);

    // Writes the content to FileName() through the safe replace; on failure
    // the file on disk is left as it was. Refused while an unreadable file
    // that could not be moved aside is in the way, and for a name or value
    // holding a line break (CR or LF), which no line of the file can keep.
    [[nodiscard]] bool UpdateFile(QString *error = nullptr) const;

    // Writes settings the program can do without (a window's place, a
    // dialog's last choices), for a caller that goes on whatever happens.
    // A failure leaves the file as it was and is told through the notice set
    // with SetSettingsNotSavedNotice(), once per file and run: a settings
    // file the user set read-only is named once, not at every window that
    // closes. An unreadable file that could not be moved aside is not told
    // again (its reader told the user already).
    void UpdateFileOrTellOnce() const;

private:
    struct Key {
        QString name;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Key> keys;
    };

    [[nodiscard]] const Section *findSection(const QString &name) const;
    [[nodiscard]] Section *findSection(const QString &name);
    [[nodiscard]] const Key *findKey(const QString &section, const QString &ident) const;
    Section &sectionForWriting(const QString &name);
    // Takes the lines as the content; the lines flagged damaged, and in a
    // file marked as the program's own every line of a kind it never
    // writes, are left out and named in m_damaged.
    // The line restoredLine is named in m_restored.
    void parseLines(const QStringList &lines, const QList<bool> &damaged, bool strict, qsizetype restoredLine);

    QString m_fileName;
    std::vector<Section> m_sections;
    bool m_unreadable = false;
    QString m_keptAside;
    QStringList m_damaged;
    QStringList m_restored;
    bool m_notAsWritten = false;
    QString m_damagedCopy;
    // The file on disk must not be written over: it could neither be moved
    // aside nor copied.
    bool m_writeRefused = false;
};

// Told once per file and run that a settings write the program goes on
// without failed: the file (left as it was) and the cause in the user's words.
// What follows an entry the damage notice names that was read with the value
// the program wrote (the sum put the changed byte back).
[[nodiscard]] QString RestoredEntrySuffix();

using TSettingsNotSavedNotice = std::function<void(const QString &fileName, const QString &reason)>;
// Installs the notice (an empty function: a warning in the log only) and
// returns the one it replaces; the files told about are forgotten.
TSettingsNotSavedNotice SetSettingsNotSavedNotice(TSettingsNotSavedNotice notice);
