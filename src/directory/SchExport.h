#pragma once

#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

class TSafeReplacement;

#include <array>
#include <memory>
#include <optional>
#include <vector>

// Export of directory hits: the column array (the 15 rows of
// HitColumnCatalogue in the user's order, each exported or not) and the
// comma-separated Shift-JIS lines. A value holding a comma, a quote or a line
// break is quoted (quotes doubled), so a name with a comma stays one field.

struct TExportColumn {
    int Item = 0;          // row of HitColumnCatalogue
    bool Exported = true;
    bool operator==(const TExportColumn &) const = default;
};
using TExportColumns = std::array<TExportColumn, 15>;

// Catalogue order, every column exported.
[[nodiscard]] TExportColumns DefaultExportColumns();
// From the settings' two comma lists; a list of other than 15 items (or not
// a permutation of the rows) falls back as the window's settings describe:
// order to catalogue order, flags to all exported.
[[nodiscard]] TExportColumns ParseExportColumns(const QString &Items, const QString &Flags);
[[nodiscard]] QString ExportItemsText(const TExportColumns &Columns);
[[nodiscard]] QString ExportFlagsText(const TExportColumns &Columns);

// Whether an exported column needs the hit's full record.
[[nodiscard]] bool ExportNeedsRecord(const TExportColumns &Columns);
[[nodiscard]] QByteArray BuildHeaderLine(const TExportColumns &Columns);
// The line of one hit; the values come from Record when it is given, else
// from the hit alone. Empty when every exported value is empty.
[[nodiscard]] QByteArray BuildHitLine(const TAreaSearchHit &Hit, const std::optional<TTelRecord> &Record,
                                      const TExportColumns &Columns);

// The file an export writes, created anew or appended to; Open, then
// WriteLine for each line, then Finish to keep them (also the lines of a
// stopped export) or Abandon. Lines for a new file go to a temporary beside
// it that takes its place at Finish; lines appended are cut off again when
// they cannot all be kept. So an export that fails to write leaves the file
// as it was before it.
// A file appended to must be Shift-JIS text like the lines that go into it:
// one marked as Unicode text, or holding bytes no text has (NUL, or no
// Shift-JIS character), is refused and left as it is. One whose last line
// has no line break gets one first, so that the first line written is not
// glued onto that line.
// Every failure to write names its cause as every writer of the program does
// (platform/WriteError.h): a full disk, a file set read-only, a folder that
// may not be written.
class TExportFile {
public:
    TExportFile();
    ~TExportFile(); // abandons what was not finished
    TExportFile(const TExportFile &) = delete;
    TExportFile &operator=(const TExportFile &) = delete;

    // False with Error for a file that cannot be opened, a file set
    // read-only, and a file the program keeps for itself (a book's table,
    // the settings).
    [[nodiscard]] bool Open(const QString &FileName, bool Append, QString *Error);
    // Line followed by a line break; false when it could not be written.
    [[nodiscard]] bool WriteLine(const QByteArray &Line, QString *Error);
    // Keeps the lines written; false with Error (and the file as it was)
    // when they could not all be put in place.
    [[nodiscard]] bool Finish(QString *Error);
    // Leaves the file as it was before Open.
    void Abandon();

private:
    [[nodiscard]] bool writePending(QString *Error);

    // A new file: the temporary that takes the file's place at Finish.
    std::unique_ptr<TSafeReplacement> m_new;
    // The descriptor written: the temporary's, or the file appended to (or
    // the device written where it is); -1 when nothing is open.
    int m_fd = -1;
    qint64 m_appendFrom = 0; // the end the file is cut back to; -1 for no regular file
    // Lines not yet handed to the system, written in large pieces by the
    // system's own calls, whose error number names the cause.
    QByteArray m_pending;
};

// Why an export stops at a hit whose full record could not be read: the hit
// named by its number and name. A line made from the hit alone would pass off
// its missing columns as empty, so no such line is written.
[[nodiscard]] QString UnreadableHitMessage(const TAreaSearchHit &Hit);

// The full record of a hit, by its number and key, with its number
// hyphenated; nullopt when the library does not give it. Folders from the
// search's first condition.
[[nodiscard]] std::optional<TTelRecord> FetchHitRecord(const TAreaSearchHit &Hit, const TAreaSearchCondition &First);
