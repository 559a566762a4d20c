#pragma once

#include "widgets/RecordRun.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class TTable;

// The mark export: the records of the chosen rows that carry a map position
// become marks (name, latitude, longitude) in a map program's mark file. The
// mark file belongs to the map program and is written through its own
// library, reached here only through TMarkWriter; where no map program is
// installed the writer says so and nothing is written.

// One mark: the name as the map program takes it (Shift-JIS) and the
// position in thousandths of an arc-second (Tokyo datum), as stored.
struct TMarkEntry {
    QByteArray Name;
    qint32 Latitude = 0;
    qint32 Longitude = 0;
    bool operator==(const TMarkEntry &) const = default;
};

// The marks of Records in their order: only records still in Table whose
// latitude and longitude are both above 0. A private record is named by its
// decoded name, a company by its company name as stored; neither trimmed.
[[nodiscard]] QList<TMarkEntry> CollectMarkRows(TTable &Table, const TRunRecords &Records);

// The map program's mark-file writer.
class TMarkWriter
{
public:
    virtual ~TMarkWriter() = default;
    // False, with the reason for the user, when marks cannot be written at
    // all (the map program is missing).
    [[nodiscard]] virtual bool Available(QString *Reason) const = 0;
    // One mark appended to the file; false when refused.
    [[nodiscard]] virtual bool AddMarkToFile(const QString &File, const TMarkEntry &Mark) = 0;
};

// The writer of this system: no map program is installed.
[[nodiscard]] std::unique_ptr<TMarkWriter> CreateMarkWriter();

// The messages of a run.
[[nodiscard]] QString MarkNothingMessage(int DataSelect);
[[nodiscard]] QString MarkQuestion(int Count);
[[nodiscard]] QString MarkDoneMessage(int OutputCount, int Written);

struct TMarkRunResult {
    int Written = 0;
    QString Failure; // the run stopped before writing (nothing appended)
};

// Writes Marks into File: with Overwrite the old file is deleted first, and
// a delete that fails stops the run (the marks are never appended to the old
// file by mistake). Refused marks are skipped. Progress is called after each.
[[nodiscard]] TMarkRunResult WriteMarks(TMarkWriter &Writer, const QString &File, bool Overwrite,
                                        const QList<TMarkEntry> &Marks, const std::function<void()> &Progress = {});
