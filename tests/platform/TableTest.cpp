#include "platform/Cp932.h"
#include "platform/SqlCipher.h"
#include "platform/Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <functional>

namespace {

const QByteArray kKey = "kestru42";

QList<TFieldDef> sampleFields()
{
    return {{QStringLiteral("RecNo"), TFieldType::ftAutoInc, 0},   {QStringLiteral("Group"), TFieldType::ftInteger, 0},
            {QStringLiteral("Name"), TFieldType::ftString, 5},    {QStringLiteral("Kana"), TFieldType::ftString, 20},
            {QStringLiteral("Flag"), TFieldType::ftBoolean, 0},   {QStringLiteral("Note"), TFieldType::ftMemo, 10},
            {QStringLiteral("When"), TFieldType::ftDateTime, 0}};
}

QList<TIndexDef> sampleIndexes()
{
    return {{QString(), QStringLiteral("RecNo"), ixPrimary | ixUnique},
            {QStringLiteral("Group"), QStringLiteral("Group"), 0},
            {QStringLiteral("Kana"), QStringLiteral("Kana"), ixCaseInsensitive},
            {QStringLiteral("GroupKana"), QStringLiteral("Group;Kana"), ixCaseInsensitive},
            {QStringLiteral("NameDesc"), QStringLiteral("Name"), ixDescending}};
}

struct Row
{
    int group;
    QByteArray name;
    QByteArray kana;
};

class TableTest : public ::testing::Test
{
protected:
    QString path(const QString &name = QStringLiteral("Adrs.DB")) const { return m_dir.filePath(name); }

    void create(TTable &t, const QString &file = QStringLiteral("Adrs.DB"))
    {
        t.SetTableName(path(file));
        t.SetPassword(kKey);
        t.SetFieldDefs(sampleFields());
        t.SetIndexDefs(sampleIndexes());
        QString error;
        ASSERT_TRUE(t.CreateTable(&error)) << error.toStdString();
    }

    void openNew(TTable &t, const QList<Row> &rows = {})
    {
        create(t);
        t.Open();
        append(t, rows);
    }

    static void append(TTable &t, const QList<Row> &rows)
    {
        for (const Row &r : rows) {
            t.Append();
            t.FieldByName(QStringLiteral("Group")).SetAsInteger(r.group);
            t.FieldByName(QStringLiteral("Name")).SetAsBytes(r.name);
            t.FieldByName(QStringLiteral("Kana")).SetAsBytes(r.kana);
            t.Post();
        }
    }

    static QList<int> walk(TTable &t)
    {
        QList<int> out;
        for (t.First(); !t.Eof(); t.Next())
            out << t.FieldByName(QStringLiteral("RecNo")).AsInteger();
        return out;
    }

    static int recNo(TTable &t) { return t.FieldByName(QStringLiteral("RecNo")).AsInteger(); }

    QTemporaryDir m_dir;
};

TEST_F(TableTest, createsFileWithFieldsAndIndexesAndLeavesNoTemporaryFile)
{
    TTable t;
    create(t);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Adrs.DB")});
    TTable u;
    u.SetTableName(path());
    u.SetPassword(kKey);
    u.Open();
    ASSERT_EQ(u.FieldCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(u.Fields(i).FieldName(), sampleFields()[i].Name);
        EXPECT_EQ(u.Fields(i).DataType(), sampleFields()[i].DataType);
        EXPECT_EQ(u.Fields(i).Size(), sampleFields()[i].Size);
    }
    ASSERT_EQ(u.IndexDefs().size(), 5);
    for (const TIndexDef &ix : sampleIndexes())
        EXPECT_NO_THROW(u.SetIndexName(ix.Name));
    EXPECT_THROW(u.SetIndexName(QStringLiteral("Nope")), ETableError);
    EXPECT_TRUE(u.IsEmpty());
    EXPECT_TRUE(u.Eof() && u.Bof());
}

TEST_F(TableTest, createRefusesAnExistingTableWhateverItsCase)
{
    TTable t;
    create(t);
    TTable u;
    u.SetTableName(path(QStringLiteral("ADRS.db")));
    u.SetFieldDefs(sampleFields());
    QString error;
    EXPECT_FALSE(u.CreateTable(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(TTable::TableExists(path(QStringLiteral("adrs.db"))));
    EXPECT_FALSE(TTable::TableExists(path(QStringLiteral("Sender.DB"))));
    u.SetPassword(kKey);
    EXPECT_NO_THROW(u.Open());
}

TEST_F(TableTest, opensOnlyWithItsKey)
{
    TTable t;
    create(t);
    TTable u;
    u.SetTableName(path());
    u.SetPassword("wrong");
    try {
        u.Open();
        FAIL() << "opened with a wrong key";
    } catch (const ETableError &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("password"))) << e.what();
    }
    EXPECT_FALSE(u.Active());
    // The file is really encrypted: no SQLite header, no field name in clear.
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_FALSE(bytes.startsWith("SQLite format 3"));
    EXPECT_FALSE(bytes.contains("NameDesc"));
}

TEST_F(TableTest, openOfMissingFileRaises)
{
    TTable t;
    t.SetTableName(path());
    t.SetPassword(kKey);
    EXPECT_THROW(t.Open(), ETableError);
    EXPECT_FALSE(t.Active());
}

TEST_F(TableTest, sharedOpensSeeEachOthersPosts)
{
    TTable a;
    openNew(a, {{1, "a", "a"}});
    TTable b;
    b.SetTableName(path());
    b.SetPassword(kKey);
    b.Open();
    EXPECT_EQ(b.RecordCount(), 1);
    append(a, {{2, "b", "b"}});
    EXPECT_EQ(walk(b), (QList<int>{1, 2}));
}

// Open order: first table exclusive?, second table exclusive?, may the second open.
struct SharingCase
{
    bool firstExclusive;
    bool secondExclusive;
    bool secondOpens;
};

class TableSharingTest : public TableTest, public ::testing::WithParamInterface<SharingCase>
{};

TEST_P(TableSharingTest, exclusiveOpenIsAlone)
{
    TTable first;
    create(first);
    first.SetExclusive(GetParam().firstExclusive);
    first.Open();
    TTable second;
    second.SetTableName(path(QStringLiteral("adrs.db")));
    second.SetPassword(kKey);
    second.SetExclusive(GetParam().secondExclusive);
    if (GetParam().secondOpens) {
        EXPECT_NO_THROW(second.Open());
    } else {
        EXPECT_THROW(second.Open(), ETableError);
        first.Close();
        EXPECT_NO_THROW(second.Open()) << "the file stays blocked after the holder closed";
    }
}

INSTANTIATE_TEST_SUITE_P(Sharing, TableSharingTest,
                         ::testing::Values(SharingCase{false, false, true}, SharingCase{false, true, false},
                                           SharingCase{true, false, false}, SharingCase{true, true, false}));

// Index, descending walk, expected record numbers.
struct OrderCase
{
    const char *index;
    bool descending;
    QList<int> expected;
};

class TableOrderTest : public TableTest, public ::testing::WithParamInterface<OrderCase>
{};

TEST_P(TableOrderTest, walksIndexWithTiesInRecordOrder)
{
    // Kana "B" and "b" tie under folding; "\x83\x41" (ア) and "\x83\x61" must not:
    // their trail bytes look like 'A' and 'a' but are no letters.
    TTable t;
    openNew(t, {{2, "e", "b"},            // 1
                {1, "c", "\x83\x61"},     // 2
                {2, "c", "B"},            // 3
                {1, "a", "\x83\x41"},     // 4
                {2, "d", "a"},            // 5
                {1, "", ""}});            // 6
    t.SetIndexName(QString::fromLatin1(GetParam().index));
    t.SetDescending(GetParam().descending);
    EXPECT_EQ(walk(t), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, TableOrderTest,
    ::testing::Values(OrderCase{"", false, {1, 2, 3, 4, 5, 6}}, OrderCase{"", true, {6, 5, 4, 3, 2, 1}},
                      OrderCase{"Group", false, {2, 4, 6, 1, 3, 5}}, OrderCase{"Group", true, {5, 3, 1, 6, 4, 2}},
                      OrderCase{"Kana", false, {6, 5, 1, 3, 4, 2}}, OrderCase{"Kana", true, {2, 4, 3, 1, 5, 6}},
                      OrderCase{"GroupKana", false, {6, 4, 2, 5, 1, 3}},
                      OrderCase{"GroupKana", true, {3, 1, 5, 2, 4, 6}},
                      OrderCase{"NameDesc", false, {1, 5, 2, 3, 4, 6}},
                      OrderCase{"NameDesc", true, {6, 4, 3, 2, 5, 1}}));

struct FoldCase
{
    QByteArray a;
    QByteArray b;
    int expected;
};

class FoldedCompareTest : public ::testing::TestWithParam<FoldCase>
{};

TEST_P(FoldedCompareTest, foldsOnlySingleByteLetters)
{
    EXPECT_EQ(SqlCipher::compareFolded(GetParam().a, GetParam().b), GetParam().expected);
    EXPECT_EQ(SqlCipher::compareFolded(GetParam().b, GetParam().a), -GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Fold, FoldedCompareTest,
                         ::testing::Values(FoldCase{"abc", "ABC", 0}, FoldCase{"abc", "ABD", -1},
                                           FoldCase{"\x83\x41", "\x83\x61", -1},       // ア vs ャ-range byte
                                           FoldCase{"\x83\x41x", "\x83\x41X", 0},      // letter after a pair
                                           FoldCase{"ab", "abc", -1}, FoldCase{"", "", 0},
                                           FoldCase{"\xb1" "a", "\xb1" "A", 0},        // half-width kana is single byte
                                           FoldCase{"a\x83\x41", "A\x83\x61", -1}));

// Record deleted (position in primary order), record the cursor is on
// afterwards (0 = none).
struct DeleteCase
{
    int position;
    int count;
    int expectedRecNo;
};

class TableDeleteTest : public TableTest, public ::testing::WithParamInterface<DeleteCase>
{};

TEST_P(TableDeleteTest, cursorMovesToNextOrNewLastRecord)
{
    TTable t;
    openNew(t);
    for (int i = 0; i < GetParam().count; ++i)
        append(t, {{i, "n", "k"}});
    t.First();
    for (int i = 0; i < GetParam().position; ++i)
        t.Next();
    t.Delete();
    if (GetParam().expectedRecNo == 0) {
        EXPECT_TRUE(t.Eof());
        EXPECT_TRUE(t.Bof());
        EXPECT_TRUE(t.IsEmpty());
    } else {
        EXPECT_FALSE(t.Eof());
        EXPECT_EQ(recNo(t), GetParam().expectedRecNo);
        EXPECT_EQ(t.RecordCount(), GetParam().count - 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Deletes, TableDeleteTest,
                         ::testing::Values(DeleteCase{0, 4, 2}, DeleteCase{1, 4, 3}, DeleteCase{3, 4, 3},
                                           DeleteCase{0, 1, 0}));

TEST_F(TableTest, deleteInDescendingOrderMovesOnInThatOrder)
{
    TTable t;
    openNew(t, {{1, "a", "a"}, {2, "b", "b"}, {3, "c", "c"}});
    t.SetIndexName(QStringLiteral("Group"));
    t.SetDescending(true);
    t.First(); // 3
    t.Next();  // 2
    t.Delete();
    EXPECT_EQ(recNo(t), 1);
}

TEST_F(TableTest, recordNumbersAreNeverReused)
{
    TTable t;
    openNew(t, {{1, "a", "a"}, {1, "b", "b"}, {1, "c", "c"}});
    t.Last();
    t.Delete();
    t.Pack();
    t.Close();
    t.Open();
    append(t, {{1, "d", "d"}});
    EXPECT_EQ(recNo(t), 4);
    EXPECT_EQ(walk(t), (QList<int>{1, 2, 4}));
}

TEST_F(TableTest, postedAppendIsCurrentAndCancelReturnsToPreviousRecord)
{
    TTable t;
    openNew(t, {{5, "a", "a"}, {1, "b", "b"}, {3, "c", "c"}});
    t.SetIndexName(QStringLiteral("Group"));
    t.First();
    t.Next(); // RecNo 3 (group 3)
    t.Append();
    EXPECT_EQ(t.State(), TTable::TState::dsInsert);
    t.Cancel();
    EXPECT_EQ(recNo(t), 3);
    append(t, {{2, "d", "d"}});
    EXPECT_EQ(recNo(t), 4);
    t.Next(); // the new record sits between groups 2 and 3
    EXPECT_EQ(recNo(t), 3);
}

TEST_F(TableTest, editedRecordStaysCurrentInItsNewPlace)
{
    TTable t;
    openNew(t, {{1, "a", "a"}, {2, "b", "b"}, {3, "c", "c"}});
    t.SetIndexName(QStringLiteral("Group"));
    t.First();
    t.Edit();
    t.FieldByName(QStringLiteral("Group")).SetAsInteger(9);
    t.Post();
    EXPECT_EQ(recNo(t), 1);
    t.Prior();
    EXPECT_EQ(recNo(t), 3);
    t.Edit();
    t.FieldByName(QStringLiteral("Name")).SetAsString(QStringLiteral("zz"));
    t.Cancel();
    EXPECT_EQ(t.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("c"));
}

TEST_F(TableTest, fieldsRefuseWritesOutsideEditing)
{
    TTable t;
    openNew(t, {{1, "a", "a"}});
    EXPECT_THROW(t.FieldByName(QStringLiteral("Group")).SetAsInteger(2), ETableError);
    t.Edit();
    EXPECT_THROW(t.FieldByName(QStringLiteral("RecNo")).SetAsInteger(2), ETableError);
    EXPECT_THROW(t.FieldByName(QStringLiteral("Nope")), ETableError);
}

TEST_F(TableTest, failedPostInBatchKeepsTheOthers)
{
    TTable t;
    t.SetTableName(path(QStringLiteral("Sender.DB")));
    t.SetPassword(kKey);
    t.SetFieldDefs({{QStringLiteral("RecNo"), TFieldType::ftInteger, 0}, {QStringLiteral("Title"), TFieldType::ftString, 30}});
    t.SetIndexDefs({{QString(), QStringLiteral("RecNo"), ixPrimary | ixUnique}});
    ASSERT_TRUE(t.CreateTable());
    t.Open();
    t.BeginBatch();
    for (int n : {3, 1, 3, 2}) {
        t.Append();
        t.FieldByName(QStringLiteral("RecNo")).SetAsInteger(n);
        try {
            t.Post();
        } catch (const ETableError &) {
            EXPECT_EQ(t.State(), TTable::TState::dsInsert);
            t.Cancel();
        }
    }
    t.EndBatch();
    t.Close();
    t.Open();
    EXPECT_EQ(walk(t), (QList<int>{1, 2, 3}));
}

class TableMaintenanceTest : public TableTest, public ::testing::WithParamInterface<void (TTable::*)()>
{};

TEST_P(TableMaintenanceTest, dataAndOrderSurvive)
{
    TTable t;
    openNew(t, {{2, "a", "b"}, {1, "b", "a"}, {2, "c", "A"}});
    t.FlushBuffers();
    (t.*GetParam())();
    t.SetIndexName(QStringLiteral("GroupKana"));
    EXPECT_EQ(walk(t), (QList<int>{2, 3, 1}));
    t.Close();
    t.Open();
    t.SetIndexName(QStringLiteral("Kana"));
    EXPECT_EQ(walk(t), (QList<int>{2, 3, 1}));
    t.First();
    EXPECT_EQ(t.FieldByName(QStringLiteral("Name")).AsBytes(), QByteArray("b"));
}

INSTANTIATE_TEST_SUITE_P(Maintenance, TableMaintenanceTest, ::testing::Values(&TTable::Pack, &TTable::RegenerateIndexes));

// Search kind, index, keys, expected record (0 = not found).
struct SearchCase
{
    const char *name;
    std::function<bool(TTable &)> search;
    int expectedRecNo;
};

class TableSearchTest : public TableTest, public ::testing::WithParamInterface<SearchCase>
{};

TEST_P(TableSearchTest, findsTheFirstMatchingRecord)
{
    TTable t;
    openNew(t, {{2, "xx", "b"}, {1, "yy", "a"}, {2, "zz", "B"}, {3, "", ""}});
    const bool found = GetParam().search(t);
    EXPECT_EQ(found, GetParam().expectedRecNo != 0);
    if (found) {
        EXPECT_EQ(recNo(t), GetParam().expectedRecNo);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Searches, TableSearchTest,
    ::testing::Values(
        SearchCase{"FindKeyGroup",
                   [](TTable &t) { t.SetIndexName(QStringLiteral("Group")); return t.FindKey({2}); }, 1},
        SearchCase{"FindKeyFoldsCase",
                   [](TTable &t) { t.SetIndexName(QStringLiteral("Kana")); return t.FindKey({QByteArray("B")}); }, 1},
        SearchCase{"FindKeyTwoFields",
                   [](TTable &t) {
                       t.SetIndexName(QStringLiteral("GroupKana"));
                       return t.FindKey({2, QStringLiteral("b")});
                   },
                   1},
        SearchCase{"FindKeyPrimary", [](TTable &t) { return t.FindKey({3}); }, 3},
        SearchCase{"FindKeyMissing",
                   [](TTable &t) { t.SetIndexName(QStringLiteral("Group")); return t.FindKey({7}); }, 0},
        SearchCase{"FindKeyEmptyText",
                   [](TTable &t) { t.SetIndexName(QStringLiteral("Kana")); return t.FindKey({QString()}); }, 4},
        SearchCase{"FindNearestBetween",
                   [](TTable &t) { t.SetIndexName(QStringLiteral("Group")); t.FindNearest({2}); return true; }, 1},
        SearchCase{"FindNearestAfterLast",
                   [](TTable &t) { t.SetIndexName(QStringLiteral("Kana")); t.FindNearest({QByteArray("c")}); return t.Eof(); },
                   3},
        SearchCase{"FindNearestDescending",
                   [](TTable &t) {
                       t.SetIndexName(QStringLiteral("Group"));
                       t.SetDescending(true);
                       t.FindNearest({2});
                       return true;
                   },
                   3},
        SearchCase{"LocateExact",
                   [](TTable &t) { return t.Locate(QStringLiteral("Group;Name"), {2, QByteArray("zz")}); }, 3},
        SearchCase{"LocateCaseSensitiveMisses",
                   [](TTable &t) { return t.Locate(QStringLiteral("Kana"), {QByteArray("A")}); }, 0},
        SearchCase{"LocateCaseInsensitive",
                   [](TTable &t) { return t.Locate(QStringLiteral("Kana"), {QByteArray("A")}, true); }, 2}),
    [](const auto &info) { return std::string(info.param.name); });

struct WidthCase
{
    QByteArray input;
    QByteArray stored;
};

class TableWidthTest : public TableTest, public ::testing::WithParamInterface<WidthCase>
{};

TEST_P(TableWidthTest, textIsCutAtCharacterBoundary)
{
    TTable t;
    openNew(t);
    t.Append();
    t.FieldByName(QStringLiteral("Name")).SetAsBytes(GetParam().input);
    t.FieldByName(QStringLiteral("Note")).SetAsBytes(GetParam().input + GetParam().input);
    t.Post();
    t.Close();
    t.Open();
    EXPECT_EQ(t.FieldByName(QStringLiteral("Name")).AsBytes(), GetParam().stored);
    // A memo keeps everything, whatever is kept in the row.
    EXPECT_EQ(t.FieldByName(QStringLiteral("Note")).AsBytes(), GetParam().input + GetParam().input);
}

INSTANTIATE_TEST_SUITE_P(Widths, TableWidthTest,
                         ::testing::Values(WidthCase{"abcdefg", "abcde"}, WidthCase{"ab\x83\x41\x83\x43", "ab\x83\x41"},
                                           WidthCase{"abc\x83\x41", "abc\x83\x41"},
                                           WidthCase{"abcd\x83\x41", "abcd"},
                                           WidthCase{"\xb1\xb2\xb3\xb4\xb5\xb6", "\xb1\xb2\xb3\xb4\xb5"}));

TEST_F(TableTest, valuesRoundTripThroughTheFile)
{
    TTable t;
    openNew(t);
    const QDateTime when(QDate(2014, 3, 31), QTime(23, 59, 58, 123));
    t.Append();
    t.FieldByName(QStringLiteral("Kana")).SetAsString(QStringLiteral("ヤマダ①～"));
    t.FieldByName(QStringLiteral("Flag")).SetAsBoolean(true);
    t.FieldByName(QStringLiteral("When")).SetAsDateTime(when);
    t.FieldByName(QStringLiteral("Group")).SetAsString(QStringLiteral("-7"));
    t.Post();
    t.Close();
    t.Open();
    EXPECT_EQ(t.FieldByName(QStringLiteral("Kana")).AsString(), QStringLiteral("ヤマダ①～"));
    EXPECT_EQ(t.FieldByName(QStringLiteral("Kana")).AsBytes(), Cp932::encode(u"ヤマダ①～"));
    EXPECT_TRUE(t.FieldByName(QStringLiteral("Flag")).AsBoolean());
    EXPECT_EQ(t.FieldByName(QStringLiteral("When")).AsDateTime(), when);
    EXPECT_EQ(t.FieldByName(QStringLiteral("Group")).AsInteger(), -7);
    EXPECT_TRUE(t.FieldByName(QStringLiteral("Name")).IsNull());
}

TEST_F(TableTest, walkReadsIntegerFieldsAfterOrderChanges)
{
    // The second walk reads Group from the walk's own query; a post in
    // between must show in it.
    TTable t;
    openNew(t, {{3, "a", "a"}, {1, "b", "b"}});
    auto groups = [&] {
        QList<int> out;
        for (t.First(); !t.Eof(); t.Next())
            out << t.FieldByName(QStringLiteral("Group")).AsInteger();
        return out;
    };
    t.SetIndexName(QStringLiteral("Group"));
    EXPECT_EQ(groups(), (QList<int>{1, 3}));
    EXPECT_EQ(groups(), (QList<int>{1, 3}));
    t.First();
    t.Edit();
    t.FieldByName(QStringLiteral("Group")).SetAsInteger(5);
    t.Post();
    EXPECT_EQ(groups(), (QList<int>{3, 5}));
}

TEST_F(TableTest, indexChosenBeforeOpenIsKeptAndAnUnknownOneRefusesTheOpen)
{
    TTable t;
    openNew(t, {{2, "a", "a"}, {1, "b", "b"}});
    t.Close();
    t.SetIndexName(QStringLiteral("Group"));
    t.Open();
    EXPECT_EQ(recNo(t), 2);
    t.Close();
    t.SetIndexName(QStringLiteral("Nope"));
    EXPECT_THROW(t.Open(), ETableError);
    EXPECT_FALSE(t.Active());
}

TEST_F(TableTest, failedOpenLeavesTheFileFreeForAnExclusiveOpen)
{
    TTable t;
    create(t);
    TTable wrong;
    wrong.SetTableName(path());
    wrong.SetPassword("nope");
    EXPECT_THROW(wrong.Open(), ETableError);
    TTable sub;
    sub.SetTableName(path());
    sub.SetPassword(kKey);
    sub.SetExclusive(true);
    EXPECT_NO_THROW(sub.Open());
}

TEST_F(TableTest, postOfARecordDeletedByAnotherTableRaises)
{
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}});
    TTable b;
    b.SetTableName(path());
    b.SetPassword(kKey);
    b.Open();
    a.First();
    a.Edit();
    a.FieldByName(QStringLiteral("Group")).SetAsInteger(7);
    b.Delete(); // record 1
    EXPECT_THROW(a.Post(), ETableError);
    a.Cancel();
    EXPECT_EQ(walk(a), QList<int>{2});
    a.First();
    EXPECT_EQ(a.FieldByName(QStringLiteral("Group")).AsInteger(), 2);
}

TEST_F(TableTest, flushedBatchIsVisibleToOtherTablesAndCloseKeepsTheRest)
{
    TTable a;
    openNew(a);
    TTable b;
    b.SetTableName(path());
    b.SetPassword(kKey);
    b.Open();
    a.BeginBatch();
    append(a, {{1, "a", "a"}});
    a.FlushBuffers();
    EXPECT_EQ(b.RecordCount(), 1);
    append(a, {{2, "b", "b"}});
    a.Close();
    EXPECT_EQ(walk(b), (QList<int>{1, 2}));
}

// Moves from a fresh open of three records, and the flags and record after them.
struct MoveCase
{
    const char *name;
    std::function<void(TTable &)> move;
    bool eof;
    bool bof;
    int recNo;
};

class TableMoveTest : public TableTest, public ::testing::WithParamInterface<MoveCase>
{};

TEST_P(TableMoveTest, setsEofAndBofAsADatasetDoes)
{
    TTable t;
    openNew(t, {{1, "a", "a"}, {2, "b", "b"}, {3, "c", "c"}});
    GetParam().move(t);
    EXPECT_EQ(t.Eof(), GetParam().eof);
    EXPECT_EQ(t.Bof(), GetParam().bof);
    EXPECT_EQ(recNo(t), GetParam().recNo);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, TableMoveTest,
    ::testing::Values(MoveCase{"First", [](TTable &t) { t.First(); }, false, true, 1},
                      MoveCase{"Last", [](TTable &t) { t.Last(); }, true, false, 3},
                      MoveCase{"NextPastEnd", [](TTable &t) { t.Last(); t.Next(); }, true, false, 3},
                      MoveCase{"PriorBeforeStart", [](TTable &t) { t.First(); t.Prior(); }, false, true, 1},
                      MoveCase{"NextFromFirst", [](TTable &t) { t.First(); t.Next(); }, false, false, 2},
                      MoveCase{"PriorFromLast", [](TTable &t) { t.Last(); t.Prior(); }, false, false, 2},
                      MoveCase{"DescendingFirst", [](TTable &t) { t.SetDescending(true); t.First(); }, false, true, 3},
                      MoveCase{"NextPosts", [](TTable &t) {
                                   t.First();
                                   t.Edit();
                                   t.FieldByName(QStringLiteral("Name")).SetAsBytes("q");
                                   t.Next();
                               }, false, false, 2}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TableTest, cancelledAppendToEmptyTableLeavesItEmpty)
{
    TTable t;
    openNew(t);
    t.Append();
    t.FieldByName(QStringLiteral("Group")).SetAsInteger(1);
    t.Cancel();
    EXPECT_TRUE(t.Eof());
    EXPECT_TRUE(t.Bof());
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_TRUE(t.FieldByName(QStringLiteral("Group")).IsNull());
}

struct BadValueCase
{
    const char *field;
    const char *text;
};

class TableBadValueTest : public TableTest, public ::testing::WithParamInterface<BadValueCase>
{};

TEST_P(TableBadValueTest, nonNumericTextInIntegerFieldRaises)
{
    TTable t;
    openNew(t);
    t.Append();
    EXPECT_THROW(t.FieldByName(QString::fromLatin1(GetParam().field)).SetAsString(QString::fromUtf8(GetParam().text)),
                 ETableError);
}

INSTANTIATE_TEST_SUITE_P(BadValues, TableBadValueTest,
                         ::testing::Values(BadValueCase{"Group", "abc"}, BadValueCase{"Group", "1.5"},
                                           BadValueCase{"Group", "９"}, BadValueCase{"Group", "99999999999"}));

TEST_F(TableTest, exclusiveHolderKeepsOtherConnectionsOutOfTheFile)
{
    // A connection that bypasses this process's bookkeeping stands in for
    // another program opening the file.
    TTable t;
    create(t);
    t.SetExclusive(true);
    t.Open();
    QString error;
    sqlite3 *other = SqlCipher::open(path(), kKey, false, &error);
    EXPECT_EQ(other, nullptr);
    EXPECT_FALSE(error.isEmpty());
    SqlCipher::close(other);
    t.Close();
    other = SqlCipher::open(path(), kKey, false, &error);
    EXPECT_NE(other, nullptr) << error.toStdString();
    SqlCipher::close(other);
}

TEST_F(TableTest, walkSeesAnotherTablesEditOfAFieldItReadsOnEveryRecord)
{
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}});
    auto groups = [&] {
        QList<int> out;
        for (a.First(); !a.Eof(); a.Next())
            out << a.FieldByName(QStringLiteral("Group")).AsInteger();
        return out;
    };
    EXPECT_EQ(groups(), (QList<int>{1, 2}));
    EXPECT_EQ(groups(), (QList<int>{1, 2}));
    TTable b;
    b.SetTableName(path());
    b.SetPassword(kKey);
    b.Open();
    b.Edit();
    b.FieldByName(QStringLiteral("Group")).SetAsInteger(8);
    b.Post();
    EXPECT_EQ(groups(), (QList<int>{8, 2}));
}

// Index walked, and whether the edit changes that index's key.
struct EditWalkCase
{
    const char *index;
    const char *field;
};

class TableEditWalkTest : public TableTest, public ::testing::WithParamInterface<EditWalkCase>
{};

TEST_P(TableEditWalkTest, editingEveryRecordOfAWalkVisitsEachOnce)
{
    TTable t;
    openNew(t);
    t.BeginBatch();
    for (int i = 0; i < 50; ++i)
        append(t, {{i % 7, QByteArray::number(i), "k" + QByteArray::number(i % 5)}});
    t.EndBatch();
    t.SetIndexName(QString::fromLatin1(GetParam().index));
    // Read Group along the walk, so that it is kept with the order.
    for (t.First(); !t.Eof(); t.Next())
        (void)t.FieldByName(QStringLiteral("Group")).AsInteger();
    QList<int> visited;
    for (t.First(); !t.Eof(); t.Next()) {
        visited << recNo(t);
        t.Edit();
        TField &f = t.FieldByName(QString::fromLatin1(GetParam().field));
        f.SetAsInteger(f.AsInteger() + 100);
        t.Post();
    }
    std::sort(visited.begin(), visited.end());
    QList<int> all;
    for (int i = 1; i <= 50; ++i)
        all << i;
    EXPECT_EQ(visited, all);
    int sum = 0;
    for (t.First(); !t.Eof(); t.Next())
        sum += t.FieldByName(QStringLiteral("Group")).AsInteger();
    EXPECT_EQ(sum, GetParam().field == std::string("Group") ? 50 * 100 + 147 : 147);
}

INSTANTIATE_TEST_SUITE_P(EditWalks, TableEditWalkTest,
                         ::testing::Values(EditWalkCase{"", "Group"}, EditWalkCase{"Kana", "Group"},
                                           EditWalkCase{"Group", "Name"}));

} // namespace
