#pragma once

#include "platform/dic/wqarea17/WqareaReader.h"

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// Writes one region's directory data file (WqareaSchema.h) in one
// transaction: the sample data generator writes it, and tests write small
// made-up regions with it. Rows are added in key order; Finish builds the
// indexes and the format mark. A file left by a failed run is deleted.
class TWqareaWriter {
public:
    TWqareaWriter() = default;
    ~TWqareaWriter();
    TWqareaWriter(const TWqareaWriter &) = delete;
    TWqareaWriter &operator=(const TWqareaWriter &) = delete;

    // Creates FileName anew (an existing file is replaced).
    [[nodiscard]] bool Open(const QString &FileName);
    [[nodiscard]] bool Add(const TWqareaListing &Listing);
    [[nodiscard]] bool Finish();
    [[nodiscard]] QString Error() const { return m_error; }

private:
    bool fail(const char *What);

    QString m_fileName;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_insert = nullptr;
    QString m_error;
};
