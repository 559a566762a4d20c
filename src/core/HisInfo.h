#pragma once

#include "platform/Exception.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

class QFile;

// Errors of a history file (short read or write) and of a bad entry index.
MURVEN_DECLARE_EXCEPTION(EHistoryDataError, Exception);
// A history file that must exist is missing.
MURVEN_DECLARE_EXCEPTION(EInOutError, Exception);
// A value outside its allowed range (the history's MaxLength).
MURVEN_DECLARE_EXCEPTION(ERangeError, Exception);

// One remembered input: when it was last used and its CP932 text.
struct THistoryEntry {
    double When = 0.0; // days since 1899-12-30 00:00 local time, fraction = time of day
    QByteArray Text;   // CP932 bytes
};

// An input history: the texts a user typed before into one kind of field,
// most recent first, kept in an ".mtd" file of its own.
//
// File layout (little-endian): int32 N, then N records of
//   uint8 R = 8 + L, float64 When, L bytes of text each XOR 0xFF.
// The length byte bounds a stored text to 247 bytes, so texts are cut to
// min(MaxLength, 247) bytes at a character boundary when they are inserted.
// Files are written through the safe replace: a crash mid-write leaves the
// previous file whole.
class THistoryData
{
public:
    // The longest text the record's length byte can describe.
    static constexpr int StoredTextLimit = 255 - 8;

    // Raises EInOutError when the file is missing and createIfMissing is false
    // (with true a missing file is created holding an empty list), ERangeError
    // when maxLength is outside 0..255. The list is not loaded yet.
    THistoryData(const QString &fileName, bool createIfMissing, int maxLength);

    [[nodiscard]] const QString &FileName() const { return m_fileName; }
    [[nodiscard]] int MaxLength() const { return m_maxLength; }

    // Reads the file into a fresh list (a missing or empty file gives an empty
    // list) and returns true. A file that cannot be read (not openable, cut
    // short, a negative count, an entry whose date is no day of the years 1
    // to 9999, bytes after the last entry) is kept aside whole and named to
    // the user (platform/UnreadableFile.h): the list starts empty, false.
    bool Load();
    // The last Load found the file unreadable; KeptAsidePath() is where it
    // went, empty when it could not be moved (Save then refuses).
    [[nodiscard]] bool Unreadable() const { return m_unreadable; }
    [[nodiscard]] const QString &KeptAsidePath() const { return m_keptAside; }
    // Writes the list under the file's shared lock; texts another program on
    // the data folder put into the file since this one read it are kept,
    // after this list's own. A failed write (or a lock not had in time)
    // raises EHistoryDataError and leaves the old file, as does an
    // unreadable file that could not be moved aside.
    // Returns false when the list is not loaded (nothing written).
    bool Save();
    void Unload();
    [[nodiscard]] bool IsLoaded() const { return m_items.has_value(); }

    // `when` 0 means now. Index range errors raise EHistoryDataError
    // ("Indexが範囲外です"); Insert accepts 0..count.
    int Add(const QByteArray &text, double when = 0.0);
    void Insert(int index, const QByteArray &text, double when = 0.0);
    void Delete(int index);
    void Clear();

    // First index whose text equals `text` byte for byte, -1 when none.
    [[nodiscard]] int IndexOf(QByteArrayView text) const;
    [[nodiscard]] QByteArray GetText(int index) const;
    [[nodiscard]] double GetWhen(int index) const;
    [[nodiscard]] int GetCount() const;

    // The text as Insert would store it: cut to min(MaxLength, 247) bytes
    // without splitting a double-byte character.
    [[nodiscard]] QByteArray CutText(QByteArrayView text) const;

    // The bytes Save writes for the current list.
    [[nodiscard]] QByteArray Serialize() const;

private:
    void checkIndex(int index, int count) const;
    // The entries of a non-empty file; false when it is damaged.
    [[nodiscard]] static bool readEntries(QFile &file, std::vector<THistoryEntry> &items);

    QString m_fileName;
    int m_maxLength = 0;
    std::optional<std::vector<THistoryEntry>> m_items;
    // The list as the file held it when last read or written: what another
    // program on the data folder added since is told from what this one
    // deleted by it.
    std::vector<THistoryEntry> m_base;
    bool m_unreadable = false;
    QString m_keptAside;
};

// Records a used text: moves (or inserts) it to the front of a loaded history
// and saves the history. An empty text, or one already first, changes nothing
// and saves nothing. The text is cut and trimmed as the file would give it
// back, so a text is never listed twice. Returns true when the history was
// changed and saved; the caller then reloads the field's pick list.
bool PutHistoryFirst(THistoryData &history, const QByteArray &text);

// Date-time <-> the history's day number (days since 1899-12-30, local time).
// A day number outside the years 1 to 9999 gives an invalid date-time.
[[nodiscard]] double DateTimeToHistoryWhen(const QDateTime &dateTime);
[[nodiscard]] QDateTime HistoryWhenToDateTime(double when);
