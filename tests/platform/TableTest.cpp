#include "platform/Cp932.h"
#include "platform/SqlCipher.h"
#include "platform/Table.h"
#include "support/FailingDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <stdexcept>
#include <utility>
#include <vector>

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

struct Row { int group; QByteArray name; QByteArray kana; };

TField &fld(TTable &t, const char *name) { return t.FieldByName(QString::fromLatin1(name)); }
int recNo(TTable &t) { return fld(t, "RecNo").AsInteger(); }

// Names along a walk of the current order (the walk's own text cache).
QList<QByteArray> walkNames(TTable &t)
{
    QList<QByteArray> out;
    for (t.First(); !t.Eof(); t.Next())
        out << fld(t, "Name").AsBytesView().toByteArray();
    return out;
}

// The values of one field along a walk of the current order.
QList<int> walk(TTable &t, const char *field = "RecNo")
{
    QList<int> out;
    for (t.First(); !t.Eof(); t.Next())
        out << fld(t, field).AsInteger();
    return out;
}

void append(TTable &t, const QList<Row> &rows)
{
    for (const Row &r : rows) {
        t.Append();
        fld(t, "Group").SetAsInteger(r.group);
        fld(t, "Name").SetAsBytes(r.name);
        fld(t, "Kana").SetAsBytes(r.kana);
        t.Post();
    }
}

class TableTest : public ::testing::Test
{
protected:
    QString path(const QString &name = QStringLiteral("Adrs.DB")) const { return m_dir.filePath(name); }

    void attach(TTable &t, const QString &file = QStringLiteral("Adrs.DB"), const QByteArray &key = kKey)
    {
        t.SetTableName(path(file));
        t.SetPassword(key);
    }

    void create(TTable &t)
    {
        attach(t);
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

    // A second table on the same file, opened shared.
    void openOther(TTable &t)
    {
        attach(t);
        t.Open();
    }

    QTemporaryDir m_dir;
};

TEST_F(TableTest, createsFileWithFieldsAndIndexesOnceWhateverTheCaseOfItsName)
{
    TTable t;
    create(t);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Adrs.DB")});
    TTable again;
    attach(again, QStringLiteral("ADRS.db"));
    again.SetFieldDefs(sampleFields());
    QString error;
    EXPECT_FALSE(again.CreateTable(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(TTable::TableExists(path(QStringLiteral("adrs.db"))));
    EXPECT_FALSE(TTable::TableExists(path(QStringLiteral("Sender.DB"))));
    TTable u;
    openOther(u);
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
    EXPECT_TRUE(u.IsEmpty() && u.Eof() && u.Bof());
}

TEST_F(TableTest, openRemovesWhatAKilledCreationLeftAndNothingElse)
{
    {
        TTable t;
        openNew(t, {{1, "a", "a"}, {2, "b", "b"}});
    }
    const QStringList leftovers = {QStringLiteral(".Adrs.DB.creating-0badf00d"),
                                   QStringLiteral(".Adrs.DB.creating-0badf00d-journal"),
                                   QStringLiteral(".adrs.db.creating-12345678")};
    // Not of this table's creation: another table's, or no name it makes.
    const QStringList kept = {QStringLiteral(".Adrs.DB.creating-notmine"),
                              QStringLiteral(".Sender.DB.creating-0badf00d")};
    for (const QString &name : leftovers + kept) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TTable t;
    openOther(t);
    EXPECT_EQ(walk(t, "Group"), (QList<int>{1, 2}));
    QStringList found = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    found.sort();
    EXPECT_EQ(found, (QStringList{kept[0], kept[1], QStringLiteral("Adrs.DB")}));
}

TEST_F(TableTest, opensOnlyAnExistingFileWithItsKeyAndAFailedOpenLeavesItFree)
{
    TTable missing;
    attach(missing, QStringLiteral("Sender.DB"));
    EXPECT_THROW(missing.Open(), ETableError);
    EXPECT_FALSE(missing.Active());
    TTable t;
    create(t);
    TTable wrong;
    attach(wrong, QStringLiteral("Adrs.DB"), "wrong");
    EXPECT_THROW(wrong.Open(), ETableError);
    EXPECT_FALSE(wrong.Active());
    TTable sub;
    attach(sub);
    sub.SetExclusive(true);
    EXPECT_NO_THROW(sub.Open());
    // The file is really encrypted: no SQLite header, no index name in clear.
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_FALSE(bytes.startsWith("SQLite format 3"));
    EXPECT_FALSE(bytes.contains("NameDesc"));
}

// Open order: first table exclusive?, second table exclusive?, may the second open.
struct SharingCase { bool firstExclusive; bool secondExclusive; bool secondOpens; };
class TableSharingTest : public TableTest, public ::testing::WithParamInterface<SharingCase> {};

TEST_P(TableSharingTest, exclusiveOpenIsAloneEvenAgainstForeignConnections)
{
    TTable first;
    create(first);
    first.SetExclusive(GetParam().firstExclusive);
    first.Open();
    // A connection that bypasses this process's bookkeeping stands in for
    // another program opening the file.
    QString error;
    sqlite3 *foreign = SqlCipher::open(path(), kKey, false, &error);
    EXPECT_EQ(foreign == nullptr, GetParam().firstExclusive) << error.toStdString();
    SqlCipher::close(foreign);
    TTable second;
    attach(second, QStringLiteral("adrs.db"));
    second.SetExclusive(GetParam().secondExclusive);
    if (GetParam().secondOpens) {
        EXPECT_NO_THROW(second.Open());
        return;
    }
    EXPECT_THROW(second.Open(), ETableError);
    first.Close();
    foreign = SqlCipher::open(path(), kKey, false, &error);
    EXPECT_NE(foreign, nullptr) << "the file stays locked after the holder closed: " << error.toStdString();
    SqlCipher::close(foreign);
    EXPECT_NO_THROW(second.Open()) << "the file stays blocked after the holder closed";
}

INSTANTIATE_TEST_SUITE_P(Sharing, TableSharingTest,
                         ::testing::Values(SharingCase{false, false, true}, SharingCase{false, true, false},
                                           SharingCase{true, false, false}, SharingCase{true, true, false}));

// Index, descending walk, expected record numbers.
struct OrderCase { const char *index; bool descending; QList<int> expected; };
class TableOrderTest : public TableTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(TableOrderTest, walksIndexWithTiesInRecordOrder)
{
    // Kana "B" and "b" tie under folding; "\x83\x41" (ア) and "\x83\x61" must not:
    // their trail bytes look like 'A' and 'a' but are no letters.
    TTable t;
    openNew(t, {{2, "e", "b"}, {1, "c", "\x83\x61"}, {2, "c", "B"}, {1, "a", "\x83\x41"}, {2, "d", "a"}, {1, "", ""}});
    t.SetIndexName(QString::fromLatin1(GetParam().index));
    t.SetDescending(GetParam().descending);
    EXPECT_EQ(walk(t), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, TableOrderTest,
    ::testing::Values(OrderCase{"Group", true, {5, 3, 1, 6, 4, 2}}, OrderCase{"Kana", false, {6, 5, 1, 3, 4, 2}},
                      OrderCase{"Kana", true, {2, 4, 3, 1, 5, 6}}, OrderCase{"GroupKana", false, {6, 4, 2, 5, 1, 3}},
                      OrderCase{"NameDesc", false, {1, 5, 2, 3, 4, 6}}, OrderCase{"NameDesc", true, {6, 4, 3, 2, 5, 1}}));

// Records 1..count in Group order (ascending or descending); the one at
// position is deleted; the record the cursor is on afterwards (0 = none).
struct DeleteCase { int position; int count; bool descending; int expectedRecNo; };
class TableDeleteTest : public TableTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(TableDeleteTest, cursorMovesToNextOrNewLastRecord)
{
    TTable t;
    openNew(t);
    for (int i = 1; i <= GetParam().count; ++i)
        append(t, {{i, "n" + QByteArray::number(i), "k"}});
    // The walk fields read with the order follow the cursor like whole records.
    t.SetWalkFields({QStringLiteral("Name"), QStringLiteral("Group")});
    t.SetIndexName(QStringLiteral("Group"));
    t.SetDescending(GetParam().descending);
    t.First();
    for (int i = 0; i < GetParam().position; ++i)
        t.Next();
    t.Delete();
    EXPECT_EQ(t.RecordCount(), GetParam().count - 1);
    if (GetParam().expectedRecNo != 0) {
        EXPECT_FALSE(t.Eof());
        EXPECT_EQ(recNo(t), GetParam().expectedRecNo);
        EXPECT_EQ(fld(t, "Name").AsBytesView(), "n" + QByteArray::number(GetParam().expectedRecNo));
        EXPECT_EQ(fld(t, "Name").AsString(), "n" + QString::number(GetParam().expectedRecNo));
        EXPECT_EQ(fld(t, "Group").AsInteger(), GetParam().expectedRecNo);
        return;
    }
    EXPECT_TRUE(t.IsEmpty() && t.Eof() && t.Bof());
    // A cancelled append leaves the empty table empty.
    t.Append();
    fld(t, "Group").SetAsInteger(1);
    t.Cancel();
    EXPECT_TRUE(t.IsEmpty() && t.Eof() && t.Bof());
    EXPECT_TRUE(fld(t, "Group").IsNull());
}

INSTANTIATE_TEST_SUITE_P(Deletes, TableDeleteTest,
                         ::testing::Values(DeleteCase{0, 4, false, 2}, DeleteCase{1, 4, false, 3},
                                           DeleteCase{3, 4, false, 3}, DeleteCase{0, 1, false, 0},
                                           DeleteCase{1, 4, true, 2}));

TEST_F(TableTest, postedRecordIsCurrentInItsPlaceAndCancelKeepsTheRecord)
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
    t.Edit();
    fld(t, "Group").SetAsInteger(9);
    t.Post();
    EXPECT_EQ(recNo(t), 3);
    t.Prior();
    EXPECT_EQ(recNo(t), 1);
    t.Edit();
    fld(t, "Name").SetAsString(QStringLiteral("zz"));
    t.Cancel();
    EXPECT_EQ(fld(t, "Name").AsString(), QStringLiteral("a"));
}

TEST_F(TableTest, fieldsRefuseWritesOutsideEditingAndTextThatIsNoInteger)
{
    TTable t;
    openNew(t, {{1, "a", "a"}});
    EXPECT_THROW(fld(t, "Group").SetAsInteger(2), ETableError);
    t.Edit();
    EXPECT_THROW(fld(t, "RecNo").SetAsInteger(2), ETableError);
    EXPECT_THROW(fld(t, "Nope"), ETableError);
    for (const char *text : {"abc", "1.5", "９", "99999999999"})
        EXPECT_THROW(fld(t, "Group").SetAsString(QString::fromUtf8(text)), ETableError) << text;
}

TEST_F(TableTest, failedPostInBatchKeepsTheOthers)
{
    TTable t;
    attach(t, QStringLiteral("Sender.DB"));
    t.SetFieldDefs({{QStringLiteral("RecNo"), TFieldType::ftInteger, 0}, {QStringLiteral("Title"), TFieldType::ftString, 30}});
    t.SetIndexDefs({{QString(), QStringLiteral("RecNo"), ixPrimary | ixUnique}});
    ASSERT_TRUE(t.CreateTable());
    t.Open();
    t.BeginBatch();
    for (int n : {3, 1, 3, 2}) {
        t.Append();
        fld(t, "RecNo").SetAsInteger(n);
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

class TableMaintenanceTest : public TableTest, public ::testing::WithParamInterface<void (TTable::*)()> {};

TEST_P(TableMaintenanceTest, dataOrderAndUnusedRecordNumbersSurvive)
{
    TTable t;
    openNew(t, {{2, "a", "b"}, {1, "b", "a"}, {2, "c", "A"}, {3, "d", "c"}});
    t.Last();
    t.Delete();
    t.FlushBuffers();
    (t.*GetParam())();
    t.SetIndexName(QStringLiteral("GroupKana"));
    EXPECT_EQ(walk(t), (QList<int>{2, 3, 1}));
    t.Close();
    t.Open();
    t.SetIndexName(QStringLiteral("Kana"));
    EXPECT_EQ(walk(t), (QList<int>{2, 3, 1}));
    t.First();
    EXPECT_EQ(fld(t, "Name").AsBytes(), QByteArray("b"));
    append(t, {{1, "e", "e"}});
    EXPECT_EQ(recNo(t), 5) << "a record number was reused";
}

INSTANTIATE_TEST_SUITE_P(Maintenance, TableMaintenanceTest, ::testing::Values(&TTable::Pack, &TTable::RegenerateIndexes));

// Index set first ("-" before it: descending), the search, the record found
// (0: none; negative: not found, the cursor left on that record).
struct SearchCase { const char *name; const char *index; std::function<bool(TTable &)> search; int expectedRecNo; };
class TableSearchTest : public TableTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(TableSearchTest, findsTheFirstMatchingRecord)
{
    TTable t;
    openNew(t, {{2, "xx", "b"}, {1, "yy", "a"}, {2, "zz", "B"}, {3, "", ""}, {3, "vwxyz", ""}});
    const QString index = QString::fromLatin1(GetParam().index);
    t.SetIndexName(index.startsWith(QLatin1Char('-')) ? index.mid(1) : index);
    t.SetDescending(index.startsWith(QLatin1Char('-')));
    const int expected = GetParam().expectedRecNo;
    EXPECT_EQ(GetParam().search(t), expected > 0);
    if (expected != 0) {
        EXPECT_EQ(recNo(t), std::abs(expected));
    }
}

using Search = std::function<bool(TTable &)>;
Search findKey(const QList<QVariant> &k) { return [k](TTable &t) { return t.FindKey(k); }; }
// Found: not Eof; past the last key the cursor is on the last record with Eof set.
Search findNearest(const QList<QVariant> &k) { return [k](TTable &t) { t.FindNearest(k); return !t.Eof(); }; }
Search locate(const char *fields, const QList<QVariant> &v, bool caseInsensitive = false)
{
    return [=](TTable &t) { return t.Locate(QString::fromLatin1(fields), v, caseInsensitive); };
}

INSTANTIATE_TEST_SUITE_P(
    Searches, TableSearchTest,
    ::testing::Values(SearchCase{"FindKeyFoldsCase", "Kana", findKey({QByteArray("B")}), 1},
                      SearchCase{"FindKeyTwoFields", "GroupKana", findKey({2, QStringLiteral("b")}), 1},
                      SearchCase{"FindKeyMissing", "Group", findKey({7}), 0},
                      SearchCase{"FindKeyEmptyText", "Kana", findKey({QString()}), 4},
                      SearchCase{"FindNearestAfterLast", "Kana", findNearest({QByteArray("c")}), -3},
                      SearchCase{"FindNearestDescending", "-Group", findNearest({2}), 3},
                      SearchCase{"LocateExact", "", locate("Group;Name", {2, QByteArray("zz")}), 3},
                      SearchCase{"LocateCaseSensitiveMisses", "", locate("Kana", {QByteArray("A")}), 0},
                      SearchCase{"LocateCaseInsensitive", "", locate("Kana", {QByteArray("A")}, true), 2},
                      // A key longer than the field (Name: 5 bytes) finds what writing it stored.
                      SearchCase{"FindKeyCutsALongKey", "NameDesc", findKey({QByteArray("vwxyz+")}), 5},
                      SearchCase{"FindKeyCutsALongText", "NameDesc", findKey({QStringLiteral("vwxyzあ")}), 5},
                      SearchCase{"FindNearestCutsALongKey", "-NameDesc", findNearest({QByteArray("vwxyz+")}), 5},
                      SearchCase{"LocateCutsALongText", "", locate("Name", {QStringLiteral("vwxyz0123")}), 5},
                      SearchCase{"LocateCaseInsensitiveCutsALongText", "", locate("Name", {QByteArray("VWXYZ+")}, true),
                                 5}),
    [](const auto &info) { return std::string(info.param.name); });

// A run that finds record after record by its key reuses the search: every
// search answers for its own key, in any order, across the statement's
// different texts (an empty key is another query), and after a close and a
// reopen, and after an edit that changed the key found before.
TEST_F(TableTest, searchesRepeatedWithOtherKeysEachFindTheirOwnRecord)
{
    TTable t;
    openNew(t, {{2, "xx", "b"}, {1, "yy", "a"}, {2, "zz", "B"}, {3, "", ""}, {3, "vwxyz", ""}});
    for (int pass = 0; pass < 2; ++pass) {
        for (int n : {1, 2, 3, 4, 5, 3, 1, 5}) {
            ASSERT_TRUE(t.FindKey({n}));
            EXPECT_EQ(recNo(t), n);
            EXPECT_FALSE(t.Eof());
        }
        EXPECT_FALSE(t.FindKey({9}));
        EXPECT_EQ(recNo(t), 5);
        EXPECT_TRUE(t.Locate(QStringLiteral("Name"), {QByteArray("zz")}));
        EXPECT_EQ(recNo(t), 3);
        EXPECT_TRUE(t.Locate(QStringLiteral("Name"), {QByteArray()}));
        EXPECT_EQ(recNo(t), 4);
        EXPECT_TRUE(t.Locate(QStringLiteral("Name"), {QByteArray("xx")}));
        EXPECT_EQ(recNo(t), 1);
        t.Close();
        t.Open();
    }
    ASSERT_TRUE(t.Locate(QStringLiteral("Name"), {QByteArray("yy")}));
    t.Edit();
    fld(t, "Name").SetAsBytes("ww");
    t.Post();
    EXPECT_FALSE(t.Locate(QStringLiteral("Name"), {QByteArray("yy")}));
    ASSERT_TRUE(t.Locate(QStringLiteral("Name"), {QByteArray("ww")}));
    EXPECT_EQ(recNo(t), 2);
}

// A read scope holds the file's shared lock only while it lasts: another
// table can write once it ends; inside a batch it leaves the batch's
// transaction alone, and a close inside it ends it safely.
TEST_F(TableTest, readScopeGivesTheLockBackAndLeavesAnOpenBatchAlone)
{
    TTable t;
    openNew(t, {{1, "xx", "a"}, {2, "yy", "b"}});
    TTable other;
    openOther(other);
    {
        const TTableRead read(t);
        ASSERT_TRUE(t.FindKey({2}));
        EXPECT_EQ(fld(t, "Name").AsBytes(), QByteArray("yy"));
    }
    append(other, {{3, "zz", "c"}});
    ASSERT_TRUE(t.FindKey({3}));
    EXPECT_EQ(fld(t, "Name").AsBytes(), QByteArray("zz"));

    t.BeginBatch();
    {
        const TTableRead read(t);
        ASSERT_TRUE(t.FindKey({1}));
        EXPECT_EQ(fld(t, "Group").AsInteger(), 1);
    }
    append(t, {{4, "ww", "d"}});
    t.EndBatch();
    ASSERT_TRUE(other.FindKey({4}));
    EXPECT_EQ(fld(other, "Name").AsBytes(), QByteArray("ww"));

    {
        const TTableRead read(t);
        ASSERT_TRUE(t.FindKey({1}));
        t.Close();
    }
    t.Open();
    EXPECT_EQ(walk(t), (QList<int>{1, 2, 3, 4}));
}

// Fields are found by a Latin-1 name as by a string: exactly, in any order,
// then whatever the letter case; an unknown name raises.
TEST_F(TableTest, fieldsAreFoundByLatinNamesInAnyOrderAndCase)
{
    TTable t;
    openNew(t, {{7, "xx", "b"}});
    ASSERT_TRUE(t.FindKey({1}));
    for (const char *name : {"When", "RecNo", "Group", "Group", "Name", "group", "KANA", "Flag", "Name"}) {
        const QLatin1StringView latin(name);
        TField *byLatin = t.FindField(latin);
        ASSERT_NE(byLatin, nullptr) << name;
        EXPECT_EQ(byLatin, t.FindField(QString(latin))) << name;
        EXPECT_EQ(&t.FieldByName(latin), byLatin) << name;
        EXPECT_EQ(byLatin->FieldName().compare(QString(latin), Qt::CaseInsensitive), 0) << name;
    }
    EXPECT_EQ(t.FieldByName(QLatin1StringView("group")).AsInteger(), 7);
    EXPECT_EQ(t.FindField(QLatin1StringView("Missing")), nullptr);
    EXPECT_THROW(t.FieldByName(QLatin1StringView("Missing")), ETableError);
}

struct WidthCase { QByteArray input; QByteArray stored; };
class TableWidthTest : public TableTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(TableWidthTest, textIsCutAtCharacterBoundaryAndAMemoKeepsAll)
{
    TTable t;
    openNew(t);
    t.Append();
    fld(t, "Name").SetAsBytes(GetParam().input);
    fld(t, "Note").SetAsBytes(GetParam().input + GetParam().input);
    t.Post();
    t.Close();
    t.Open();
    EXPECT_EQ(fld(t, "Name").AsBytes(), GetParam().stored);
    EXPECT_EQ(fld(t, "Note").AsBytes(), GetParam().input + GetParam().input);
}

INSTANTIATE_TEST_SUITE_P(Widths, TableWidthTest,
                         ::testing::Values(WidthCase{"abc\x83\x41", "abc\x83\x41"}, WidthCase{"abcd\x83\x41", "abcd"},
                                           WidthCase{"\xb1\xb2\xb3\xb4\xb5\xb6", "\xb1\xb2\xb3\xb4\xb5"}));

TEST_F(TableTest, valuesRoundTripThroughTheFile)
{
    TTable t;
    openNew(t);
    const QDateTime when(QDate(2014, 3, 31), QTime(23, 59, 58, 123));
    t.Append();
    fld(t, "Kana").SetAsString(QStringLiteral("ヤマダ①～"));
    fld(t, "Flag").SetAsBoolean(true);
    fld(t, "When").SetAsDateTime(when);
    fld(t, "Group").SetAsString(QStringLiteral("-7"));
    t.Post();
    t.Close();
    t.Open();
    EXPECT_EQ(fld(t, "Kana").AsString(), QStringLiteral("ヤマダ①～"));
    EXPECT_EQ(fld(t, "Kana").AsBytes(), Cp932::encode(u"ヤマダ①～"));
    EXPECT_TRUE(fld(t, "Flag").AsBoolean());
    EXPECT_EQ(fld(t, "When").AsDateTime(), when);
    EXPECT_EQ(fld(t, "Group").AsInteger(), -7);
    EXPECT_TRUE(fld(t, "Name").IsNull());
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

TEST_F(TableTest, otherTablesSeePostsFlushedBatchesAndWhatCloseKeeps)
{
    TTable a;
    openNew(a, {{1, "a", "a"}});
    TTable b;
    openOther(b);
    EXPECT_EQ(b.RecordCount(), 1);
    append(a, {{2, "b", "b"}});
    EXPECT_EQ(walk(b), (QList<int>{1, 2}));
    a.BeginBatch();
    append(a, {{3, "c", "c"}});
    a.FlushBuffers();
    EXPECT_EQ(b.RecordCount(), 3);
    append(a, {{4, "d", "d"}});
    a.Close();
    EXPECT_EQ(walk(b), (QList<int>{1, 2, 3, 4}));
}

TEST_F(TableTest, walksRereadFieldsTheyKeepAfterOwnAndOtherTablesEdits)
{
    // A walk read twice keeps Group with its order; an edit in between,
    // ours or another table's, must show in the next walk.
    TTable a;
    openNew(a, {{3, "a", "a"}, {1, "b", "b"}});
    a.SetIndexName(QStringLiteral("Group"));
    EXPECT_EQ(walk(a, "Group"), (QList<int>{1, 3}));
    EXPECT_EQ(walk(a, "Group"), (QList<int>{1, 3}));
    a.First();
    a.Edit();
    fld(a, "Group").SetAsInteger(5);
    a.Post();
    EXPECT_EQ(walk(a, "Group"), (QList<int>{3, 5}));
    a.SetIndexName(QString());
    EXPECT_EQ(walk(a, "Group"), (QList<int>{3, 5}));
    EXPECT_EQ(walk(a, "Group"), (QList<int>{3, 5}));
    TTable b;
    openOther(b);
    b.Edit();
    fld(b, "Group").SetAsInteger(8);
    b.Post();
    EXPECT_EQ(walk(a, "Group"), (QList<int>{8, 5}));
}

TEST_F(TableTest, postOfARecordDeletedByAnotherTableRaises)
{
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}});
    TTable b;
    openOther(b);
    a.First();
    a.Edit();
    fld(a, "Group").SetAsInteger(7);
    b.Delete(); // record 1
    EXPECT_THROW(a.Post(), ETableError);
    a.Cancel();
    EXPECT_EQ(walk(a), QList<int>{2});
    EXPECT_EQ(walk(a, "Group"), QList<int>{2});
}

// Another table object deletes the record a cursor stands on (record 3 of
// 1..5, or the last one); what the cursor's next step does.
struct DeletedElsewhereCase {
    const char *name;
    int current;
    std::function<void(TTable &)> step;
    bool raises;
    int recNoAfter; // 0: on no record the step moved to (Eof)
    QList<int> left;
};
void PrintTo(const DeletedElsewhereCase &c, std::ostream *os) { *os << c.name; }
class TableDeletedElsewhereTest : public TableTest, public ::testing::WithParamInterface<DeletedElsewhereCase> {};

TEST_P(TableDeletedElsewhereTest, cursorKeepsItsPlaceAndRefusesTheGoneRecord)
{
    const DeletedElsewhereCase &c = GetParam();
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}, {3, "c", "c"}, {4, "d", "d"}, {5, "e", "e"}});
    ASSERT_TRUE(a.FindKey({QVariant(c.current)}));
    TTable b;
    openOther(b);
    ASSERT_TRUE(b.FindKey({QVariant(c.current)}));
    b.Delete();
    if (c.raises) {
        EXPECT_THROW(c.step(a), ETableError);
    } else {
        c.step(a);
        if (c.recNoAfter == 0)
            EXPECT_TRUE(a.Eof());
        else
            EXPECT_EQ(recNo(a), c.recNoAfter);
    }
    if (a.State() != TTable::TState::dsBrowse)
        a.Cancel();
    EXPECT_EQ(walk(b), c.left);
    EXPECT_EQ(walk(a), c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Cursors, TableDeletedElsewhereTest,
    ::testing::Values(
        DeletedElsewhereCase{"NextGoesToTheFollowingRecord", 3, [](TTable &t) { t.Next(); }, false, 4, {1, 2, 4, 5}},
        DeletedElsewhereCase{"PriorGoesToThePreviousRecord", 3, [](TTable &t) { t.Prior(); }, false, 2, {1, 2, 4, 5}},
        DeletedElsewhereCase{"NextAfterTheLastIsEof", 5, [](TTable &t) { t.Next(); }, false, 0, {1, 2, 3, 4}},
        DeletedElsewhereCase{"NextAfterARecountStillFollows", 3,
                             [](TTable &t) { (void)t.RecordCount(); t.Next(); }, false, 4, {1, 2, 4, 5}},
        DeletedElsewhereCase{"DeleteRaisesAndKeepsTheNeighbour", 3, [](TTable &t) { t.Delete(); }, true, 0,
                             {1, 2, 4, 5}},
        DeletedElsewhereCase{"DeleteAfterARecountRaises", 3, [](TTable &t) { (void)t.RecordCount(); t.Delete(); },
                             true, 0, {1, 2, 4, 5}},
        DeletedElsewhereCase{"EditAfterARecountRaises", 3,
                             [](TTable &t) {
                                 (void)t.RecordCount();
                                 t.Edit();
                                 fld(t, "Group").SetAsInteger(9);
                                 t.Post();
                             },
                             true, 0, {1, 2, 4, 5}}),
    [](const auto &info) { return std::string(info.param.name); });

// A walk while another table object deletes the record it stands on visits
// every other record once.
TEST_F(TableTest, walkWhileAnotherTableDeletesTheCurrentRecordSkipsNothing)
{
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}, {3, "c", "c"}, {4, "d", "d"}, {5, "e", "e"}});
    a.SetIndexName(QStringLiteral("Kana"));
    TTable b;
    openOther(b);
    QList<int> visited;
    for (a.First(); !a.Eof(); a.Next()) {
        visited << recNo(a);
        if (recNo(a) == 3) {
            ASSERT_TRUE(b.FindKey({QVariant(3)}));
            b.Delete();
        }
    }
    EXPECT_EQ(visited, (QList<int>{1, 2, 3, 4, 5}));
}

// Two table objects edit different fields of one record: each keeps the
// other's change, however stale its own buffer was.
TEST_F(TableTest, postWritesOnlyTheFieldsItsEditSet)
{
    TTable a;
    openNew(a, {{1, "a", "a"}});
    TTable b;
    openOther(b);
    a.Edit();
    fld(a, "Name").SetAsBytes("mine");
    b.Edit();
    fld(b, "Group").SetAsInteger(7);
    fld(b, "Name").SetAsBytes("a"); // set to what it holds: no change
    b.Post();
    a.Post();
    TTable c;
    openOther(c);
    EXPECT_EQ(fld(c, "Group").AsInteger(), 7);
    EXPECT_EQ(fld(c, "Name").AsBytes(), QByteArray("mine"));
    EXPECT_EQ(walk(a, "Group"), QList<int>{7});
}

// An append left by Cancel after the order was read again (another table's
// write meanwhile) puts the cursor back on one record: the one a Delete then
// removes from the file and from the walk alike.
TEST_F(TableTest, cancelledAppendAfterARecountLeavesTheCursorOnOneRecord)
{
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}, {3, "c", "c"}});
    ASSERT_TRUE(a.FindKey({QVariant(2)}));
    TTable b;
    openOther(b);
    a.Append();
    b.Delete(); // record 1: record 2 moves up in the order
    EXPECT_EQ(a.RecordCount(), 2);
    a.Cancel();
    EXPECT_EQ(recNo(a), 2);
    a.Delete();
    EXPECT_EQ(walk(a), QList<int>{3});
    EXPECT_EQ(walk(b), QList<int>{3});
}

// Moves from a fresh open of three records, and the flags and record after them.
struct MoveCase { const char *name; std::function<void(TTable &)> move; bool eof; bool bof; int recNo; };
class TableMoveTest : public TableTest, public ::testing::WithParamInterface<MoveCase> {};

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
    ::testing::Values(MoveCase{"Last", [](TTable &t) { t.Last(); }, true, false, 3},
                      MoveCase{"NextPastEnd", [](TTable &t) { t.Last(); t.Next(); }, true, false, 3},
                      MoveCase{"PriorBeforeStart", [](TTable &t) { t.First(); t.Prior(); }, false, true, 1},
                      MoveCase{"DescendingFirst", [](TTable &t) { t.SetDescending(true); t.First(); }, false, true, 3},
                      MoveCase{"NextPosts", [](TTable &t) { t.First(); t.Edit(); fld(t, "Name").SetAsBytes("q"); t.Next(); },
                               false, false, 2}),
    [](const auto &info) { return std::string(info.param.name); });

// Index walked, and the field every step of the walk edits.
struct EditWalkCase { const char *index; const char *field; };
void PrintTo(const EditWalkCase &c, std::ostream *os) { *os << "index '" << c.index << "' editing " << c.field; }
class TableEditWalkTest : public TableTest, public ::testing::WithParamInterface<EditWalkCase> {};

TEST_P(TableEditWalkTest, editingEveryRecordOfAWalkVisitsEachOnce)
{
    TTable t;
    openNew(t);
    t.BeginBatch();
    for (int i = 0; i < 50; ++i)
        append(t, {{i % 7, QByteArray::number(i), "k" + QByteArray::number(i % 5)}});
    t.EndBatch();
    t.SetIndexName(QString::fromLatin1(GetParam().index));
    (void)walk(t, "Group"); // so that Group is kept with the order
    QList<int> visited;
    for (t.First(); !t.Eof(); t.Next()) {
        visited << recNo(t);
        t.Edit();
        TField &f = fld(t, GetParam().field);
        f.SetAsInteger(f.AsInteger() + 100);
        t.Post();
    }
    std::sort(visited.begin(), visited.end());
    EXPECT_EQ(visited.size(), 50);
    EXPECT_EQ(std::adjacent_find(visited.begin(), visited.end()), visited.end());
    const QList<int> groups = walk(t, "Group");
    EXPECT_EQ(std::accumulate(groups.begin(), groups.end(), 0), GetParam().field == std::string("Group") ? 5147 : 147);
}

INSTANTIATE_TEST_SUITE_P(EditWalks, TableEditWalkTest,
                         ::testing::Values(EditWalkCase{"", "Group"}, EditWalkCase{"Kana", "Group"},
                                           EditWalkCase{"Group", "Name"}));


// Each record of a run: a write kept, a posted edit undone, a delete undone,
// a delete kept, an append undone. Only the kept ones stay, in the file and
// in the walk the run itself reads, and other tables see them only after the
// commit.
TEST_F(TableTest, batchUndoesARefusedRecordAloneAndItsWalkFollows)
{
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}, {3, "c", "c"}, {4, "d", "d"}});
    a.SetWalkFields({QStringLiteral("Name"), QStringLiteral("Group")});
    ASSERT_EQ(walkNames(a), (QList<QByteArray>{"a", "b", "c", "d"}));
    TTable b;
    openOther(b);
    {
        TTableBatch batch(a);
        const auto record = [&](int recNo, bool keep, const std::function<void()> &write) {
            batch.BeginRecord();
            ASSERT_TRUE(a.FindKey({QVariant(recNo)}));
            write();
            EXPECT_TRUE(batch.EndRecord(keep));
        };
        const auto rename = [&](const char *name) {
            a.Edit();
            fld(a, "Name").SetAsBytes(name);
            a.Post();
        };
        record(1, true, [&] { rename("A"); });
        record(2, false, [&] { rename("B"); });
        record(3, false, [&] { a.Delete(); });
        record(4, true, [&] { a.Delete(); });
        record(1, false, [&] {
            a.Append();
            fld(a, "Name").SetAsBytes("new");
        });
        EXPECT_EQ(walkNames(a), (QList<QByteArray>{"A", "b", "c"}));
        EXPECT_EQ(walkNames(b), (QList<QByteArray>{"a", "b", "c", "d"})) << "nothing before the commit";
        QString error;
        ASSERT_TRUE(batch.Commit(&error)) << error.toStdString();
    }
    EXPECT_EQ(walkNames(b), (QList<QByteArray>{"A", "b", "c"}));
    a.Close();
    a.Open();
    EXPECT_EQ(walk(a), (QList<int>{1, 2, 3}));
}

TEST_F(TableTest, batchWithoutCommitLeavesTheFileAsItWas)
{
    TTable a;
    openNew(a, {{1, "a", "a"}});
    {
        TTableBatch batch(a);
        batch.BeginRecord();
        append(a, {{2, "b", "b"}});
        EXPECT_TRUE(batch.EndRecord(true));
    }
    EXPECT_EQ(walk(a), QList<int>{1});
    // The table can take the next run.
    TTableBatch again(a);
    append(a, {{3, "c", "c"}});
    EXPECT_TRUE(again.Commit());
    EXPECT_EQ(walk(a, "Group"), (QList<int>{1, 3}));
}

// Another writer holds the lock: the run cannot start, after one wait.
TEST_F(TableTest, batchRefusedWhileAnotherTableWrites)
{
    TTable a;
    openNew(a, {{1, "a", "a"}});
    TTable b;
    openOther(b);
    b.BeginBatch();
    EXPECT_THROW(TTableBatch batch(a), ETableError);
    b.EndBatch();
    TTableBatch batch(a);
    EXPECT_TRUE(batch.Commit());
}

// A shorter busy wait for the tests that hold a file busy on purpose.
class ShortBusyWait
{
public:
    explicit ShortBusyWait(int ms) { TTable::BusyWaitMs = ms; }
    ~ShortBusyWait() { TTable::BusyWaitMs = m_saved; }
    ShortBusyWait(const ShortBusyWait &) = delete;
    ShortBusyWait &operator=(const ShortBusyWait &) = delete;

private:
    const int m_saved = TTable::BusyWaitMs;
};

// A reader keeps the commit from taking the file: the commit fails and says
// why, but the run stays whole, so it can be tried again; given up, nothing
// of it is in the file or in the table's walk.
TEST_F(TableTest, busyCommitKeepsTheRunWholeAndGivingUpWritesNothing)
{
    ShortBusyWait wait(50);
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}});
    QString error;
    sqlite3 *reader = SqlCipher::open(path(), kKey, false, &error);
    ASSERT_NE(reader, nullptr) << error.toStdString();
    {
        TTableBatch batch(a);
        batch.BeginRecord();
        a.First();
        a.Delete();
        EXPECT_TRUE(batch.EndRecord(true));
        append(a, {{3, "c", "c"}});
        ASSERT_TRUE(SqlCipher::exec(reader, "BEGIN; SELECT count(*) FROM Data;"));
        EXPECT_FALSE(batch.Commit(&error));
        EXPECT_TRUE(error.contains(QStringLiteral("Adrs.DB"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("使用中"))) << error.toStdString();
        EXPECT_TRUE(batch.Busy());
        EXPECT_FALSE(batch.Lost());
        EXPECT_FALSE(batch.Commit(&error)) << "still read";
    }
    ASSERT_TRUE(SqlCipher::exec(reader, "COMMIT;"));
    SqlCipher::close(reader);
    EXPECT_EQ(walk(a), (QList<int>{1, 2}));
    TTable b;
    openOther(b);
    EXPECT_EQ(walk(b), (QList<int>{1, 2}));
}

TEST_F(TableTest, busyCommitTriedAgainAfterTheReaderLetGoWritesTheRun)
{
    ShortBusyWait wait(50);
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}});
    QString error;
    sqlite3 *reader = SqlCipher::open(path(), kKey, false, &error);
    TTableBatch batch(a);
    append(a, {{3, "c", "c"}});
    ASSERT_TRUE(SqlCipher::exec(reader, "BEGIN; SELECT count(*) FROM Data;"));
    ASSERT_FALSE(batch.Commit(&error));
    ASSERT_TRUE(batch.Busy());
    ASSERT_TRUE(SqlCipher::exec(reader, "COMMIT;"));
    SqlCipher::close(reader);
    EXPECT_TRUE(batch.Commit(&error)) << error.toStdString();
    TTable b;
    openOther(b);
    EXPECT_EQ(walk(b), (QList<int>{1, 2, 3}));
}

// A trigger that makes the engine roll back the whole transaction when the
// record is deleted, as a full disk or an I/O error would.
void rollBackAllOnDeleteOf(const QString &file, int recNo)
{
    QString error;
    sqlite3 *db = SqlCipher::open(file, kKey, false, &error);
    ASSERT_NE(db, nullptr) << error.toStdString();
    const QByteArray sql = "CREATE TRIGGER lose BEFORE DELETE ON Data WHEN old.RecNo = " + QByteArray::number(recNo) +
                           " BEGIN SELECT RAISE(ROLLBACK, 'disk I/O error'); END;";
    ASSERT_TRUE(SqlCipher::exec(db, sql.constData(), &error)) << error.toStdString();
    SqlCipher::close(db);
}

// A run joined to a batch someone else began: the engine drops the whole
// transaction; the run is lost, the outer batch writes nothing more and its
// EndBatch says so, and the file holds none of it.
TEST_F(TableTest, joinedRunWhoseTransactionTheEngineDropsIsReportedByTheOuterEndBatch)
{
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}, {3, "c", "c"}});
    rollBackAllOnDeleteOf(path(), 2);
    a.BeginBatch();
    append(a, {{4, "d", "d"}});
    {
        TTableBatch run(a);
        for (const int recNo : {1, 2}) {
            run.BeginRecord(TTableBatch::TRecordWrites::One);
            ASSERT_TRUE(a.FindKey({QVariant(recNo)}));
            bool deleted = true;
            try {
                a.Delete();
            } catch (const ETableError &) {
                deleted = false;
            }
            EXPECT_EQ(run.EndRecord(deleted), recNo == 1);
        }
        EXPECT_TRUE(run.Lost());
        QString error;
        EXPECT_FALSE(run.Commit(&error));
        EXPECT_TRUE(error.contains(QStringLiteral("1件も保存されていません"))) << error.toStdString();
    }
    EXPECT_THROW(append(a, {{5, "e", "e"}}), ETableError) << "no write of its own after the loss";
    a.Cancel();
    EXPECT_THROW(a.EndBatch(), ETableError);
    EXPECT_EQ(walk(a), (QList<int>{1, 2, 3}));
    TTable b;
    openOther(b);
    EXPECT_EQ(walk(b), (QList<int>{1, 2, 3}));
    // The next batch starts clean.
    a.BeginBatch();
    append(a, {{6, "f", "f"}});
    EXPECT_NO_THROW(a.EndBatch());
    EXPECT_EQ(walk(b, "Group"), (QList<int>{1, 2, 3, 6}));
}

// Closing the table under a run undoes the run's writes; the run is lost and
// its commit says how many records were undone.
TEST_F(TableTest, closeDuringARunRollsItBackAndTheRunSaysWhatWasUndone)
{
    TTable a;
    openNew(a, {{1, "a", "a"}});
    TTableBatch run(a);
    for (int i = 0; i < 2; ++i) {
        run.BeginRecord();
        append(a, {{2, "b", "b"}});
        ASSERT_TRUE(run.EndRecord(true));
    }
    a.Close();
    EXPECT_TRUE(run.Lost());
    QString error;
    EXPECT_FALSE(run.Commit(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("2件"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("取り消されました"))) << error.toStdString();
    a.Open();
    EXPECT_EQ(walk(a), QList<int>{1});
}

// Records of one statement take no savepoint: the engine undoes a refused
// statement alone. A second write in such a record is refused, and refusing
// a record whose write went through drops the whole run.
TEST_F(TableTest, oneWriteRecordsAreUndoneAloneWithoutASavepoint)
{
    TTable a;
    openNew(a, {{1, "a", "a"}, {2, "b", "b"}, {3, "c", "c"}});
    QString error;
    sqlite3 *db = SqlCipher::open(path(), kKey, false, &error);
    ASSERT_TRUE(SqlCipher::exec(db, "CREATE TRIGGER keep2 BEFORE DELETE ON Data WHEN old.RecNo = 2 "
                                    "BEGIN SELECT RAISE(ABORT, 'read-only'); END;"));
    SqlCipher::close(db);
    using W = TTableBatch::TRecordWrites;
    {
        TTableBatch batch(a);
        for (const int recNo : {1, 2, 3}) {
            batch.BeginRecord(W::One);
            ASSERT_TRUE(a.FindKey({QVariant(recNo)}));
            bool deleted = true;
            try {
                a.Delete();
            } catch (const ETableError &) {
                deleted = false;
            }
            EXPECT_EQ(deleted, recNo != 2);
            EXPECT_TRUE(batch.EndRecord(deleted));
        }
        EXPECT_TRUE(batch.Commit());
    }
    EXPECT_EQ(walk(a), QList<int>{2});

    TTableBatch batch(a);
    batch.BeginRecord(W::One);
    append(a, {{4, "d", "d"}});
    EXPECT_THROW(append(a, {{5, "e", "e"}}), ETableError);
    EXPECT_FALSE(batch.EndRecord(false));
    EXPECT_TRUE(batch.Lost());
    EXPECT_FALSE(batch.Commit(&error));
    EXPECT_EQ(walk(a), QList<int>{2});
}

// The case-blind comparison of the stored Shift-JIS bytes, letter by letter
// over the whole alphabet: a letter equals its other case and keeps its
// place among the other letters whatever the case of either; the signs next
// to the letters in the code table ("@[`{") and full-width letters, which
// the comparison does not fold, stay apart.
class FoldedComparisonTest : public ::testing::TestWithParam<int> {};

TEST_P(FoldedComparisonTest, letterEqualsItsOtherCaseAndKeepsItsPlaceInTheAlphabet)
{
    const char lower = char('a' + GetParam());
    const char upper = char('A' + GetParam());
    const QByteArray l(1, lower), u(1, upper);
    EXPECT_EQ(SqlCipher::compareFolded(l, u), 0);
    EXPECT_EQ(SqlCipher::compareFolded(u, l), 0);
    EXPECT_EQ(SqlCipher::compareFolded("x" + l + "y", "X" + u + "Y"), 0);
    for (int other = 0; other < 26; ++other) {
        if (other == GetParam())
            continue;
        const int expected = other < GetParam() ? 1 : -1;
        for (const char otherCase : {char('a' + other), char('A' + other)}) {
            const QByteArray o(1, otherCase);
            EXPECT_EQ(SqlCipher::compareFolded(l, o), expected) << lower << " against " << otherCase;
            EXPECT_EQ(SqlCipher::compareFolded(u, o), expected) << upper << " against " << otherCase;
        }
    }
    // A double-byte character whose trail byte is this letter is no letter.
    const QByteArray trailLower = QByteArray("\x83") + l;
    const QByteArray trailUpper = QByteArray("\x83") + u;
    EXPECT_NE(SqlCipher::compareFolded(trailLower, trailUpper), 0);
    // Full-width: Ａ is 82 60 + n, ａ is 82 81 + n.
    const QByteArray wideUpper{"\x82", 1};
    EXPECT_NE(SqlCipher::compareFolded(wideUpper + char(0x60 + GetParam()), wideUpper + char(0x81 + GetParam())), 0);
}

INSTANTIATE_TEST_SUITE_P(Alphabet, FoldedComparisonTest, ::testing::Range(0, 26),
                         [](const auto &info) { return std::string(1, char('A' + info.param)); });

TEST(FoldedComparison, signsBesideTheLettersAreNotFolded)
{
    for (const auto &[a, b] : {std::pair{"@", "`"}, std::pair{"[", "{"}, std::pair{"\\", "|"}, std::pair{"]", "}"},
                               std::pair{"^", "~"}}) {
        EXPECT_NE(SqlCipher::compareFolded(QByteArray(a), QByteArray(b)), 0) << a << " " << b;
    }
}

// Through the table: a case-insensitive index finds every letter by either
// case, and only that letter.
TEST_F(TableTest, caseInsensitiveIndexFindsEveryLetterByEitherCase)
{
    TTable t;
    openNew(t);
    QList<Row> rows;
    for (int i = 0; i < 26; ++i)
        rows << Row{i, QByteArray(1, char('a' + i)), QByteArray(1, char((i % 2 ? 'a' : 'A') + i)) + "z"};
    t.BeginBatch();
    append(t, rows);
    t.EndBatch();
    t.SetIndexName(QStringLiteral("Kana"));
    for (int i = 0; i < 26; ++i) {
        for (const char c : {char('a' + i), char('A' + i)}) {
            ASSERT_TRUE(t.FindKey({QByteArray(1, c) + "Z"})) << c;
            EXPECT_EQ(fld(t, "Group").AsInteger(), i) << c;
        }
    }
    QList<int> groups = walk(t, "Group");
    QList<int> alphabet(26);
    std::iota(alphabet.begin(), alphabet.end(), 0);
    EXPECT_EQ(groups, alphabet) << "the walk in alphabetical order, whatever the case";
}

// What the user reads for each refusal of the engine: a reason to act on,
// told apart by the result code and, behind "cannot open" and I/O errors,
// by the system's error number.
struct ReasonCase {
    const char *name;
    int code;
    int systemErrno;
    const char *says;
};
void PrintTo(const ReasonCase &c, std::ostream *os) { *os << c.name; }
class ErrorReasonTest : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(ErrorReasonTest, namesTheCauseInJapanese)
{
    const QString reason = SqlCipher::errorReason(GetParam().code, GetParam().systemErrno);
    EXPECT_TRUE(reason.contains(QString::fromUtf8(GetParam().says))) << qPrintable(reason);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ErrorReasonTest,
    ::testing::Values(ReasonCase{"readOnlyFile", SQLITE_READONLY, 0, "読み取り専用"},
                      ReasonCase{"journalInAReadOnlyFolder", SQLITE_CANTOPEN, EACCES, "書き込む権限がありません"},
                      ReasonCase{"readOnlyMedium", SQLITE_IOERR_WRITE, EROFS, "読み取り専用"},
                      ReasonCase{"folderGone", SQLITE_CANTOPEN, ENOENT, "見つかりません"},
                      ReasonCase{"lockedByAnotherProgram", SQLITE_BUSY, 0, "使用中"},
                      ReasonCase{"lockedSnapshot", SQLITE_BUSY_SNAPSHOT, 0, "使用中"},
                      ReasonCase{"diskFull", SQLITE_FULL, 0, "空き容量"},
                      ReasonCase{"diskFullBehindAnIoError", SQLITE_IOERR_WRITE, ENOSPC, "空き容量"},
                      ReasonCase{"quotaBehindAnIoError", SQLITE_IOERR_FSYNC, EDQUOT, "空き容量"},
                      ReasonCase{"ioError", SQLITE_IOERR_READ, EIO, "ディスク"},
                      ReasonCase{"damagedFile", SQLITE_CORRUPT, 0, "壊れています"},
                      ReasonCase{"notADatabase", SQLITE_NOTADB, 0, "壊れています"},
                      ReasonCase{"sameKey", SQLITE_CONSTRAINT_UNIQUE, 0, "同じキー"},
                      ReasonCase{"refusedByTheFile", SQLITE_CONSTRAINT_TRIGGER, 0, "拒否"},
                      ReasonCase{"outOfMemory", SQLITE_NOMEM, 0, "メモリ"}),
    [](const auto &info) { return std::string(info.param.name); });

// Through the layer, on a disk that refuses: the cause is asked of the disk,
// not read from the engine's error number, which names the journal it could
// not make (or nothing at all, for a file it opened read-only).
struct DiskFaultCase {
    const char *name;
    TDiskFault fault;
    bool fromTheOpen; // the table is opened on the faulty disk
    bool onTheFile;   // the fault is the file's own, not its folder's
    const char16_t *says;
};
void PrintTo(const DiskFaultCase &c, std::ostream *os) { *os << c.name; }
class TableDiskFault : public TableTest, public ::testing::WithParamInterface<DiskFaultCase> {};

TEST_P(TableDiskFault, refusedAppendNamesTheCauseAndStoresNothing)
{
    TTable t;
    openNew(t, {{1, "a", "a"}});
    const QString faulty = GetParam().onTheFile ? path() : QFileInfo(path()).absolutePath();
    if (GetParam().fromTheOpen)
        t.Close();
    {
        ScopedFailingDisk disk(faulty, GetParam().fault);
        if (GetParam().fromTheOpen)
            t.Open();
        try {
            append(t, {{2, "b", "b"}});
            ADD_FAILURE() << "the append went through";
        } catch (const ETableError &e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("データを書き込めません（Adrs.DB）。"))) << qPrintable(e.Message());
            EXPECT_TRUE(e.Message().contains(QString::fromUtf16(GetParam().says))) << qPrintable(e.Message());
            EXPECT_FALSE(e.Message().contains(QStringLiteral("見つかりません"))) << qPrintable(e.Message());
        }
        if (t.State() != TTable::TState::dsBrowse)
            t.Cancel();
    }
    EXPECT_EQ(walk(t), QList<int>{1});
}

INSTANTIATE_TEST_SUITE_P(
    Causes, TableDiskFault,
    ::testing::Values(DiskFaultCase{"folderNotWritable", TDiskFault::FolderNotWritable, false, false,
                                    u"ファイルのあるフォルダーに書き込む権限がありません。"},
                      DiskFaultCase{"openedFromAReadOnlyDisk", TDiskFault::ReadOnlyDisk, true, false,
                                    u"ディスクが読み取り専用のため、書き込めません。"},
                      DiskFaultCase{"diskTurnedReadOnly", TDiskFault::ReadOnlyDisk, false, false,
                                    u"ディスクが読み取り専用のため、書き込めません。"},
                      DiskFaultCase{"fileSetReadOnly", TDiskFault::FileReadOnly, true, true,
                                    u"ファイルが読み取り専用のため、書き込めません。"},
                      DiskFaultCase{"diskFull", TDiskFault::DiskFull, false, false,
                                    u"ディスクの空き容量が足りません。"}),
    [](const auto &info) { return std::string(info.param.name); });

// A book its user set read-only for everybody (mode 0444) is refused to
// every writer, also to the administrator, whom the system would let write
// it: the cause is named as for any read-only file, and nothing is stored.
TEST_F(TableTest, aFileNobodyMayWriteRefusesEveryWriterAndNamesWhy)
{
    TTable t;
    openNew(t, {{1, "a", "a"}});
    t.Close();
    ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    t.Open();
    try {
        append(t, {{2, "b", "b"}});
        ADD_FAILURE() << "the append went through";
    } catch (const ETableError &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(e.Message());
    }
    if (t.State() != TTable::TState::dsBrowse)
        t.Cancel();
    EXPECT_EQ(walk(t), QList<int>{1});
    t.Close();
    EXPECT_EQ(QFileInfo(path()).permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());
}

// A new table (a new book, the first sender) in a folder that cannot be
// written names the folder's rights, not a missing file.
TEST_F(TableTest, aTableCreatedInAFolderThatCannotBeWrittenNamesTheFolder)
{
    ScopedFailingDisk disk(QFileInfo(path()).absolutePath(), TDiskFault::FolderNotWritable);
    TTable t;
    attach(t);
    t.SetFieldDefs(sampleFields());
    t.SetIndexDefs(sampleIndexes());
    QString error;
    EXPECT_FALSE(t.CreateTable(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("ファイルのあるフォルダーに書き込む権限がありません。"))) << qPrintable(error);
    EXPECT_FALSE(error.contains(QStringLiteral("見つかりません"))) << qPrintable(error);
}

namespace {

// Another program's book that appears under the name a new table is being
// made for, while the engine is still writing the new one: copied in at
// the engine's first close of a file.
struct TBookAppearing {
    static inline QString From;
    static inline QString To;
    static inline bool Done = false;
    static int close(int fd)
    {
        if (!Done) {
            Done = true;
            QFile::copy(From, To);
        }
        return ::close(fd);
    }
};

} // namespace

// Two programs making a book of the same name at once: the one that finishes
// second is refused, and the book the first made stays as it was.
TEST_F(TableTest, aTableCreatedUnderANameAnotherProgramTookMeanwhileLeavesThatFileAlone)
{
    {
        TTable other;
        attach(other, QStringLiteral("Other.DB"));
        other.SetFieldDefs(sampleFields());
        other.SetIndexDefs(sampleIndexes());
        ASSERT_TRUE(other.CreateTable());
        other.Open();
        append(other, {{7, "kept", "kept"}});
        other.Close();
    }
    sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    ASSERT_TRUE(vfs && vfs->iVersion >= 3 && vfs->xSetSystemCall);
    TBookAppearing::From = path(QStringLiteral("Other.DB"));
    TBookAppearing::To = path();
    TBookAppearing::Done = false;
    ASSERT_EQ(vfs->xSetSystemCall(vfs, "close", reinterpret_cast<sqlite3_syscall_ptr>(&TBookAppearing::close)),
              SQLITE_OK);
    TTable t;
    attach(t);
    t.SetFieldDefs(sampleFields());
    t.SetIndexDefs(sampleIndexes());
    QString error;
    const bool created = t.CreateTable(&error);
    (void)vfs->xSetSystemCall(vfs, nullptr, nullptr);
    ASSERT_TRUE(TBookAppearing::Done);
    EXPECT_FALSE(created);
    EXPECT_FALSE(error.isEmpty());
    TTable kept;
    attach(kept);
    kept.Open();
    EXPECT_EQ(walkNames(kept), QList<QByteArray>{"kept"});
    // Nothing of the refused table is left beside it.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("Adrs.DB"), QStringLiteral("Other.DB")}));
}

// Through the layer: a delete the file refuses says what could not be done,
// in which file, and why, with the engine's words only as the detail.
TEST_F(TableTest, refusedDeleteSaysWhyInWordsAndTheEngineTextOnlyAsADetail)
{
    TTable a;
    openNew(a, {{1, "a", "a"}});
    QString error;
    sqlite3 *db = SqlCipher::open(path(), kKey, false, &error);
    ASSERT_TRUE(SqlCipher::exec(db, "CREATE TRIGGER keep BEFORE DELETE ON Data "
                                    "BEGIN SELECT RAISE(ABORT, 'kept'); END;"));
    SqlCipher::close(db);
    try {
        a.Delete();
        FAIL() << "the delete went through";
    } catch (const ETableError &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("データを削除できません（Adrs.DB）。"))) << qPrintable(e.Message());
        EXPECT_TRUE(e.Message().contains(SqlCipher::errorReason(SQLITE_CONSTRAINT_TRIGGER))) << qPrintable(e.Message());
        EXPECT_TRUE(e.Message().endsWith(QStringLiteral("（詳細：kept）"))) << qPrintable(e.Message());
    }
    EXPECT_EQ(walk(a), QList<int>{1});
}

// ---- One look at every record -------------------------------------------------------

// What ForEachRecord handed over: per record, its number and the bytes.
using TVisited = std::vector<std::pair<qint64, QList<QByteArray>>>;
TVisited visitAll(TTable &t, const QStringList &names)
{
    TVisited out;
    t.ForEachRecord(names, [&](qint64 recNo, const QByteArrayView *bytes) {
        QList<QByteArray> values;
        for (qsizetype i = 0; i < names.size(); ++i)
            values << bytes[i].toByteArray();
        out.emplace_back(recNo, values);
    });
    return out;
}

TEST_F(TableTest, visitsEveryRecordInRecordOrderWhateverTheIndexAndLeavesTheCursor)
{
    TTable t;
    openNew(t, {{1, "b", "x"}, {2, "c", "y"}, {3, "a", "z"}, {4, "d", "w"}});
    ASSERT_TRUE(t.FindKey({QVariant(2)}));
    t.Delete();
    t.SetIndexName(QStringLiteral("NameDesc"));
    t.First();
    const int before = recNo(t);
    const TVisited expected{{1, {"x", "b"}}, {3, {"z", "a"}}, {4, {"w", "d"}}};
    EXPECT_EQ(visitAll(t, {QStringLiteral("Kana"), QStringLiteral("name")}), expected);
    EXPECT_EQ(recNo(t), before);
    EXPECT_EQ(walk(t), (QList<int>{4, 1, 3})) << "names d, b, a";
}

TEST_F(TableTest, visitGivesANullTextEmptyAndANumberAsItsDigits)
{
    TTable t;
    openNew(t, {{-12, "a", ""}});
    const TVisited expected{{1, {"", "-12", ""}}};
    EXPECT_EQ(visitAll(t, {QStringLiteral("Note"), QStringLiteral("Group"), QStringLiteral("Kana")}), expected);
}

TEST_F(TableTest, visitSeesAnEditNotYetPosted)
{
    TTable t;
    openNew(t, {{1, "a", "a"}});
    t.First();
    t.Edit();
    fld(t, "Name").SetAsBytes("e");
    const TVisited expected{{1, {"e"}}};
    EXPECT_EQ(visitAll(t, {QStringLiteral("Name")}), expected);
    EXPECT_EQ(t.State(), TTable::TState::dsBrowse);
}

TEST_F(TableTest, visitOfAnUnknownFieldRaisesAndVisitsNothing)
{
    TTable t;
    openNew(t, {{1, "a", "a"}});
    int visits = 0;
    EXPECT_THROW(t.ForEachRecord({QStringLiteral("Name"), QStringLiteral("Nothing")},
                                 [&](qint64, const QByteArrayView *) { ++visits; }),
                 ETableError);
    EXPECT_EQ(visits, 0);
}

TEST_F(TableTest, whatAVisitRaisesEndsItAndTheTableVisitsAgainAfterAReopen)
{
    TTable t;
    openNew(t, {{1, "a", "a"}, {2, "b", "b"}, {3, "c", "c"}});
    int visits = 0;
    EXPECT_THROW(t.ForEachRecord({QStringLiteral("Name")},
                                 [&](qint64 recNo, const QByteArrayView *) {
                                     ++visits;
                                     if (recNo == 2)
                                         throw std::runtime_error("stop");
                                 }),
                 std::runtime_error);
    EXPECT_EQ(visits, 2);
    EXPECT_EQ(visitAll(t, {QStringLiteral("Name")}).size(), 3U);
    t.Close();
    t.Open();
    EXPECT_EQ(visitAll(t, {QStringLiteral("Name")}).size(), 3U);
    EXPECT_EQ(walk(t), (QList<int>{1, 2, 3}));
}

} // namespace

// A walk reads its fields with the order: a NULL, a zero, an empty text and
// a text come out of it as they come out of the whole record.
TEST_F(TableTest, walkedFieldsKeepNullZeroAndEmptyApart)
{
    TTable t;
    openNew(t);
    t.Append();
    t.Post(); // Group and Name NULL
    t.Append();
    fld(t, "Group").SetAsInteger(0);
    fld(t, "Name").SetAsBytes(QByteArray(""));
    t.Post();
    t.Append();
    fld(t, "Group").SetAsInteger(-1);
    fld(t, "Name").SetAsBytes("a");
    t.Post();
    auto values = [&t] {
        QStringList out;
        for (t.First(); !t.Eof(); t.Next())
            out << QStringLiteral("%1:%2 %3:%4")
                       .arg(fld(t, "Group").IsNull())
                       .arg(fld(t, "Group").AsInteger())
                       .arg(fld(t, "Name").IsNull())
                       .arg(QString::fromLatin1(fld(t, "Name").AsBytesView().toByteArray()));
        return out;
    };
    t.SetWalkFields({});
    const QStringList whole = values();
    t.SetWalkFields({QStringLiteral("Name"), QStringLiteral("Group")});
    EXPECT_EQ(values(), whole);
    ASSERT_EQ(whole.size(), 3);
    EXPECT_EQ(whole[0], QStringLiteral("1:0 1:"));
    EXPECT_TRUE(whole[1].startsWith(QStringLiteral("0:0 "))) << qPrintable(whole[1]);
    EXPECT_EQ(whole[2], QStringLiteral("0:-1 0:a"));
}
