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
// sections. Read form: a UTF-8 byte-order mark is skipped. A file whose sum
// holds is as the program wrote it and is read whole. Any other file is read
// line by line in the encoding most of its lines are (see decodeFile()): a
// line that is not of that encoding (one damaged byte, a character cut by a
// line end) is a damaged entry. Where the sum tells the one byte that
// changed, the text as written is read and the line that byte lies in is the
// damaged entry (a changed line end damages none). Where it cannot, so are
// the lines on both sides of a lone CR or LF among CR LF line ends, and in a
// file with the encoding line (the previous versions wrote it without the
// sum) the lines of a kind the program never writes (a line that is no section
// nor key, a key name a section's bracket or a comment's ';' begins
// unquoted, a section name with a bracket in it, a section or a key met
// twice); a damaged section line ends its section. A damaged entry is left out while the other entries keep their
// values; a copy of the file is kept beside it and the user told before
// anything can be written over it (KeepDamagedFileCopy(), see
// platform/UnreadableFile.h); when no copy can be kept, UpdateFile() refuses
// to write over the file. A comment a user added by hand, or the file saved
// by hand in code page 932 or with other line ends, is no damage.

// Blanks around names and values are not part of them when read, as in every
// INI file. A section name, key or value that begins or ends with a blank or
// control character, or is itself wrapped in double quotes, is therefore
// written inside a pair of double quotes, which reading takes off again: every
// value reads back exactly as it was written (book names with a blank at an
// end included).
//
// A file that exists but cannot be taken as settings (see TIniContent) is
// never overwritten: it is renamed beside itself with the date and time
// ("Murven19.ini.unreadable-20240501-093000") by KeepUnreadableFileAside(),
// which tells the user once (platform/UnreadableFile.h), and the object starts
// empty, so its reader uses its defaults. When the file cannot be moved,
// UpdateFile() refuses to write over it.

// What a settings file must hold to count as readable. Any existing file is
// unreadable when it cannot be opened, is larger than a settings file ever
// is (16 MiB), or holds text but not one "[Section]" line; one without the
// encoding line also when it holds a zero byte or when its lines beyond
// ASCII are none of them UTF-8 nor code page 932. Required: a file without any
// section (empty, only blanks) is unreadable too, for files the program
// always writes with content.
enum class TIniContent : std::uint8_t {
    Optional,
    Required,
};

class TMemIniFile
{
public:
    // Loads the file when it exists, after putting right an interrupted safe replace.
    explicit TMemIniFile(const QString &fileName, TIniContent content = TIniContent::Optional);

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
    void parseLines(const QStringList &lines, const QList<bool> &damaged, bool strict);

    QString m_fileName;
    std::vector<Section> m_sections;
    bool m_unreadable = false;
    QString m_keptAside;
    QStringList m_damaged;
    QString m_damagedCopy;
    // The file on disk must not be written over: it could neither be moved
    // aside nor copied.
    bool m_writeRefused = false;
};

// Told once per file and run that a settings write the program goes on
// without failed: the file (left as it was) and the cause in the user's words.
using TSettingsNotSavedNotice = std::function<void(const QString &fileName, const QString &reason)>;
// Installs the notice (an empty function: a warning in the log only) and
// returns the one it replaces; the files told about are forgotten.
TSettingsNotSavedNotice SetSettingsNotSavedNotice(TSettingsNotSavedNotice notice);
