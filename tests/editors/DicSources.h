#pragma once

// The whole postcode dictionary, for the tests that check a rule over all
// of it: the data file the build makes from the fetched source packages
// (MURVEN_DIC_FULL_DIR) and the rows of those packages
// (MURVEN_DIC_SOURCE_DIR). A build without the packages has no such data:
// the tests say so and are skipped. A build with them has made the data
// file before the tests (the test target depends on it), so a missing file
// or package there fails the test instead of letting it pass unseen.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <gtest/gtest.h>

// One postcode row of the jquery-jpostal-ja package: a town's, or a large
// office's (Office set, its name in Street).
struct TDicSourceRow {
    QString Postcode; // seven digits
    QString Prefecture;
    QString City;
    QString Town;
    QString Street;
    bool Office = false;
};

inline QString dicSourceJsonDir()
{
    return QStringLiteral(MURVEN_DIC_SOURCE_DIR) + QStringLiteral("/jquery-jpostal-ja/json");
}

// Every postcode row of the package, read once a test program; the reason
// when a file cannot be read is put into Error.
inline const QList<TDicSourceRow> &dicSourceRows(QString *Error)
{
    static QList<TDicSourceRow> rows;
    static QString error;
    static bool read = false;
    if (!read) {
        read = true;
        const QDir dir(dicSourceJsonDir());
        const QStringList names = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
        if (names.isEmpty())
            error = QStringLiteral("no files in ") + dir.path();
        for (const QString &name : names) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly)) {
                error = QStringLiteral("cannot read ") + name;
                break;
            }
            const QByteArray text = file.readAll();
            // JSON inside a callback call.
            const qsizetype from = text.indexOf('('), to = text.lastIndexOf(')');
            if (from < 0 || to <= from) {
                error = QStringLiteral("no callback in ") + name;
                break;
            }
            for (const QJsonValue &value : QJsonDocument::fromJson(text.mid(from + 1, to - from - 1)).array()) {
                const QJsonArray row = value.toArray();
                const QString key = row.at(0).toString();
                // The package's version and prefix rows are no postcodes.
                if (key.size() != 8 || !key.startsWith(u'_'))
                    continue;
                rows.append({key.mid(1), row.at(1).toString(), row.at(2).toString(), row.at(3).toString(),
                             row.at(4).toString(), !row.at(5).toString().isEmpty()});
            }
        }
    }
    if (Error)
        *Error = error;
    return rows;
}

// Skips the test when the build has no dictionary sources; fails it when it
// has them and the data file or the package rows are missing.
#define REQUIRE_FULL_DICTIONARY()                                                                                  \
    do {                                                                                                           \
        if (!MURVEN_DIC_FULL_BUILT)                                                                                \
            GTEST_SKIP() << "the build has no dictionary sources (" << MURVEN_DIC_SOURCE_DIR                       \
                         << "): scripts/fetch-dic-sources.sh, then build again";                                   \
        ASSERT_TRUE(QFile::exists(QStringLiteral(MURVEN_DIC_FULL_DIR) + QStringLiteral("wqdic.db")))               \
            << "the build has the dictionary sources but no " << MURVEN_DIC_FULL_DIR << "wqdic.db";                \
        QString readError;                                                                                         \
        ASSERT_FALSE(dicSourceRows(&readError).isEmpty()) << qPrintable(readError);                                \
        ASSERT_TRUE(readError.isEmpty()) << qPrintable(readError);                                                 \
    } while (false)
