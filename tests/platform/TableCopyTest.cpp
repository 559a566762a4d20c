// What the backup and the table maintenance ask of the table layer: open
// files under a folder, a consistent read of a table file, the full check.
#include "platform/SqlCipher.h"
#include "platform/Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray kKey = QByteArrayLiteral("copy test key");

class TableCopyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(m_dir.filePath(QStringLiteral("book")));
        m_table.SetTableName(tablePath());
        m_table.SetPassword(kKey);
        m_table.SetFieldDefs({{QStringLiteral("RecNo"), TFieldType::ftAutoInc, 0},
                              {QStringLiteral("Name"), TFieldType::ftString, 20}});
        m_table.SetIndexDefs({{QString(), QStringLiteral("RecNo"), ixPrimary},
                              {QStringLiteral("ByName"), QStringLiteral("Name"), 0}});
        ASSERT_TRUE(m_table.CreateTable());
        m_table.Open();
        m_table.BeginBatch();
        for (int i = 0; i < 20; ++i) {
            m_table.Append();
            m_table.FieldByName(QStringLiteral("Name")).SetAsString(QStringLiteral("n%1").arg(i));
            m_table.Post();
        }
        m_table.EndBatch();
    }
    QString tablePath() const { return m_dir.filePath(QStringLiteral("book/Adrs.DB")); }
    QByteArray readAll(const QString &path, const QByteArray &key, bool *ok, QString *error = nullptr)
    {
        QByteArray bytes;
        *ok = SqlCipher::readConsistent(path, key, [&bytes](const char *d, qint64 n) {
            bytes.append(d, n);
            return true;
        }, error);
        return bytes;
    }

    QTemporaryDir m_dir;
    TTable m_table;
};

TEST_F(TableCopyTest, openTablesUnderAFolderAreListedUntilClosed)
{
    EXPECT_EQ(TTable::OpenFilesUnder(m_dir.path()).size(), 1);
    EXPECT_EQ(TTable::OpenFilesUnder(m_dir.filePath(QStringLiteral("book"))).size(), 1);
    QDir().mkpath(m_dir.filePath(QStringLiteral("bookkeeping")));
    EXPECT_TRUE(TTable::OpenFilesUnder(m_dir.filePath(QStringLiteral("bookkeeping"))).isEmpty());
    m_table.Close();
    EXPECT_TRUE(TTable::OpenFilesUnder(m_dir.path()).isEmpty());
}

TEST_F(TableCopyTest, consistentReadGivesTheFileAsCommittedAndTheCopyOpens)
{
    m_table.FlushBuffers();
    bool ok = false;
    const QByteArray bytes = readAll(tablePath(), kKey, &ok);
    ASSERT_TRUE(ok);
    QFile file(tablePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(bytes, file.readAll());

    const QString copy = m_dir.filePath(QStringLiteral("copy.DB"));
    QFile out(copy);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    TTable t;
    t.SetTableName(copy);
    t.SetPassword(kKey);
    t.Open();
    EXPECT_EQ(t.RecordCount(), 20);
    EXPECT_EQ(t.IntegrityCheck(), QStringLiteral("ok"));
}

TEST_F(TableCopyTest, consistentReadSeesNothingOfAnUncommittedBatch)
{
    m_table.FlushBuffers();
    bool ok = false;
    const QByteArray before = readAll(tablePath(), kKey, &ok);
    ASSERT_TRUE(ok);
    {
        TTableBatch batch(m_table);
        batch.BeginRecord();
        m_table.Append();
        m_table.FieldByName(QStringLiteral("Name")).SetAsString(QStringLiteral("pending"));
        m_table.Post();
        ASSERT_TRUE(batch.EndRecord(true));
        EXPECT_EQ(readAll(tablePath(), kKey, &ok), before);
        EXPECT_TRUE(ok);
    }
}

struct RefusedCase
{
    const char *what;
    QByteArray bytes;
    QByteArray key;
};
class ConsistentReadRefuses : public TableCopyTest, public ::testing::WithParamInterface<RefusedCase>
{
};
TEST_P(ConsistentReadRefuses, fileThatIsNoTableOfTheKey)
{
    QString path = tablePath();
    if (!GetParam().bytes.isEmpty()) {
        path = m_dir.filePath(QStringLiteral("other.DB"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(GetParam().bytes);
    }
    bool ok = true;
    QString error;
    (void)readAll(path, GetParam().key, &ok, &error);
    EXPECT_FALSE(ok) << GetParam().what;
    EXPECT_FALSE(error.isEmpty());
}
INSTANTIATE_TEST_SUITE_P(Files, ConsistentReadRefuses,
                         ::testing::Values(RefusedCase{"wrong key", {}, QByteArrayLiteral("another key")},
                                           RefusedCase{"random bytes", QByteArray(4096, 'x'), kKey}));

TEST_F(TableCopyTest, integrityCheckNamesWhatIsWrong)
{
    EXPECT_EQ(m_table.IntegrityCheck(), QStringLiteral("ok"));
    // An index entry the rows do not have.
    sqlite3 *db = SqlCipher::open(tablePath(), kKey, false, nullptr);
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(SqlCipher::exec(db, "PRAGMA writable_schema = ON;"));
    ASSERT_TRUE(SqlCipher::exec(db, "UPDATE sqlite_master SET sql = replace(sql, '\"Name\"', '\"RecNo\"') WHERE name = 'ix1';"));
    SqlCipher::close(db);
    m_table.Close();
    m_table.Open();
    const QString findings = m_table.IntegrityCheck();
    EXPECT_NE(findings, QStringLiteral("ok"));
    m_table.RegenerateIndexes();
    EXPECT_EQ(m_table.IntegrityCheck(), QStringLiteral("ok"));
}

} // namespace
