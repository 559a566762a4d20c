#include "addressbook/AdrsSch.h"
#include "NarrowDownItems.h"
#include "TableBook.h"

#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "platform/Cp932.h"
#include "platform/Table.h"
#include "support/FileHelpers.h"
#include "support/OrdinaryUser.h"
#include "support/UnreadableNotices.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <utility>



namespace {

QByteArray sj(const char *utf8) { return Cp932::encode(QString::fromUtf8(utf8)); }
QByteArray at(const char *utf8) { return EncodeUnicodeField(QString::fromUtf8(utf8)); }

struct MatchCase {
    const char *behaviour;
    TRecordValues record;
    QList<TNarrowDownItem> items;
    bool matchAll;
    bool expected;
};

void PrintTo(const MatchCase &c, std::ostream *os) { *os << c.behaviour; }

class MatcherTest : public ::testing::TestWithParam<MatchCase>
{
};

TEST_P(MatcherTest, testsTheCurrentRecord)
{
    const MatchCase &c = GetParam();
    Book book;
    book.add(c.record);
    book.table.First();
    TNarrowDownCondition condition;
    condition.Items = c.items;
    condition.MatchAll = c.matchAll;
    const TNarrowDownMatcher matcher(condition, book.table);
    EXPECT_EQ(matcher.Matches(), c.expected) << c.behaviour;
}

const QByteArray so = sj("ソ"); // 83 5C: its trail byte is "\"

INSTANTIATE_TEST_SUITE_P(
    Conditions, MatcherTest,
    ::testing::Values(
        MatchCase{"emptyContentMatchesBlankField", {{"CustomCode", QByteArray("   ")}}, {textItem(0, "", -1)}, true, true},
        MatchCase{"prefixMatchesStart", {{"CustomCode", QByteArray(" AB12 ")}}, {textItem(0, "AB", 0)}, true, true},
        MatchCase{"containsNeverStartsOnTrailByte", {{"CorpKanji", so}}, {textItem(10, "\\", 1)}, true, false},
        MatchCase{"suffixLongerThanFieldFails", {{"CustomCode", QByteArray("BCD")}}, {textItem(0, "ABCD", 2)}, true, false},
        MatchCase{"suffixNeverStartsOnTrailByte", {{"CorpKanji", so}}, {textItem(10, "\\", 2)}, true, false},
        MatchCase{"addressJoinsTrimmedParts",
                  {{"Tdfkn", sj(" 東京都 ")}, {"Adrs1", sj("千代田区")}, {"Adrs2", sj("丸の内1")}},
                  {textItem(8, sj("東京都千代田区丸の内"), 0)}, true, true},
        MatchCase{"atNameConditionMatchesPlainName", {{"NameKanji", sj("山田　太郎")}}, {textItem(13, at("山田"), 0)}, true,
                  true},
        MatchCase{"representativePhoneNegatedFailsRepresentative", {{"TelDiv", 3}}, {choiceItem(2, 0, true)}, true, false},
        MatchCase{"privateCompanyChoice", {{"PrivCorp", false}}, {choiceItem(9, 1)}, true, true},
        MatchCase{"symbolMarkEqualsChosenMark", {{"SymbolMark", sj("★")}}, {choiceItem(31, 5)}, true, true},
        MatchCase{"firstMonthOfRange", {{"PubDate", QByteArray("200001")}}, {monthItem(200001, 201012)}, true, true},
        MatchCase{"lastMonthOfRange", {{"PubDate", QByteArray("201012")}}, {monthItem(200001, 201012)}, true, true},
        MatchCase{"monthAfterRange", {{"PubDate", QByteArray("201101")}}, {monthItem(200001, 201012)}, true, false},
        MatchCase{"januaryOfARangeAcrossTheYearEnd", {{"PubDate", QByteArray("201001")}}, {monthItem(200912, 201001)},
                  true, true},
        MatchCase{"monthIgnoresNegate", {{"PubDate", QByteArray("200512")}},
                  {[] { auto i = monthItem(200001, 201012); i.Negate = true; return i; }()}, true, true},
        MatchCase{"allMustHoldOneFails",
                  {{"CustomCode", QByteArray("A1")}, {"TelDiv", 1}},
                  {textItem(0, "A", 0), choiceItem(2, 0)}, true, false},
        MatchCase{"anyHoldsOne",
                  {{"CustomCode", QByteArray("B1")}, {"TelDiv", 3}},
                  {textItem(0, "A", 0), choiceItem(2, 0)}, false, true},
        MatchCase{"anyNoneHolds",
                  {{"CustomCode", QByteArray("B1")}, {"TelDiv", 1}},
                  {textItem(0, "A", 0), choiceItem(2, 0)}, false, false}),
    [](const ::testing::TestParamInfo<MatchCase> &info) { return std::string(info.param.behaviour); });

TEST(NarrowDownMatcher, noItemsPassesEveryRecord)
{
    Book book;
    book.add({});
    book.table.First();
    const TNarrowDownMatcher matcher(TNarrowDownCondition{}, book.table);
    EXPECT_TRUE(matcher.Matches());
}

// ---------------------------------------------------------------------------
// Search.lst and Search.ptn

TNarrowDownCondition sampleCondition()
{
    TNarrowDownCondition c;
    c.Items = {textItem(1, "0312", 0), choiceItem(2, 0, true), monthItem(201312, 199501), textItem(17, "", -1)};
    c.MatchAll = false;
    return c;
}

// The bytes of sampleCondition, written out by hand.
const QByteArray sampleBytes = QByteArray::fromHex("04"
                                                   "0100" "04000000" "30333132" "00" "00"
                                                   "0201" "00000000" "ff" "01"
                                                   "040b" "60120300" "4d0b0300" "ff" "00"
                                                   "1100" "00000000" "ff" "00"
                                                   "00");

class SearchFiles : public ::testing::Test
{
protected:
    QString path(const char *name) const { return dir.path() + QLatin1Char('/') + QLatin1String(name); }
    QTemporaryDir dir;
    RecordedUnreadableNotices notices;
};

TEST_F(SearchFiles, searchListRoundTripsByteForByte)
{
    ASSERT_TRUE(WriteSearchList(path("Search.lst"), sampleCondition()));
    EXPECT_TRUE(sameBytes(sampleBytes, fileBytes(path("Search.lst"))));
    TNarrowDownCondition read;
    ASSERT_TRUE(ReadSearchList(path("Search.lst"), read));
    EXPECT_EQ(read, sampleCondition());
}

TEST_F(SearchFiles, emptyFilterDeletesSearchList)
{
    ASSERT_TRUE(WriteSearchList(path("Search.lst"), sampleCondition()));
    ASSERT_TRUE(WriteSearchList(path("Search.lst"), TNarrowDownCondition{}));
    EXPECT_FALSE(QFile::exists(path("Search.lst")));
    ASSERT_TRUE(WriteSearchList(path("Search.lst"), TNarrowDownCondition{}));
}

// A filter file its user set read-only is kept whatever the filter became:
// neither replaced nor deleted, and the cause is given.
struct KeptFilterCase {
    const char *name;
    bool cleared; // the filter was cleared (the file would go)
};

class SearchListSetReadOnly : public SearchFiles, public ::testing::WithParamInterface<KeptFilterCase> {};

TEST_P(SearchListSetReadOnly, staysAsItWasAndTheCauseIsGiven)
{
    ASSERT_TRUE(WriteSearchList(path("Search.lst"), sampleCondition()));
    ASSERT_TRUE(QFile::setPermissions(path("Search.lst"), QFile::ReadOwner | QFile::ReadGroup));
    TNarrowDownCondition next = sampleCondition();
    if (GetParam().cleared)
        next = TNarrowDownCondition{};
    else
        next.MatchAll = true;
    QString error;
    bool written = true;
    {
        const ScopedOrdinaryUser user({dir.path()});
        ASSERT_TRUE(user.Bound());
        written = WriteSearchList(path("Search.lst"), next, &error);
    }
    EXPECT_FALSE(written);
    EXPECT_TRUE(error.startsWith(QStringLiteral("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(error);
    EXPECT_TRUE(sameBytes(sampleBytes, fileBytes(path("Search.lst"))));
}

INSTANTIATE_TEST_SUITE_P(Filters, SearchListSetReadOnly,
                         ::testing::Values(KeptFilterCase{"changed", false}, KeptFilterCase{"cleared", true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SearchFiles, everyShortSearchListGivesTheClearedFilterAndIsKeptAsideWhole)
{
    for (qsizetype n = 0; n < sampleBytes.size(); ++n) {
        writeBytes(path("Search.lst"), sampleBytes.left(n));
        TNarrowDownCondition read = sampleCondition();
        EXPECT_FALSE(ReadSearchList(path("Search.lst"), read)) << n;
        EXPECT_EQ(read, TNarrowDownCondition{}) << n;
        const QStringList copies = keptAsideCopies(path("Search.lst"));
        ASSERT_EQ(copies.size(), 1) << n;
        EXPECT_TRUE(sameBytes(sampleBytes.left(n), fileBytes(copies[0]))) << n;
        ASSERT_TRUE(QFile::remove(copies[0]));
    }
    EXPECT_EQ(notices.told().size(), 1) << "told once per file and run";
    notices.clear();
    TNarrowDownCondition read = sampleCondition();
    EXPECT_FALSE(ReadSearchList(path("missing.lst"), read));
    EXPECT_EQ(read, TNarrowDownCondition{});
    EXPECT_TRUE(notices.told().isEmpty()) << "a missing file is no damaged one";
}

QList<TSearchPattern> samplePatterns()
{
    TNarrowDownCondition second;
    second.Items = {choiceItem(31, 5)};
    return {{sj("東京"), sampleCondition()}, {QByteArray("B"), second}};
}

const QByteArray samplePatternBytes = QByteArray::fromHex("02") + "\x04" + sj("東京") + sampleBytes +
                                      QByteArray::fromHex("0142" "01" "1f01" "05000000" "ff" "00" "01");

TEST_F(SearchFiles, patternsRoundTripByteForByte)
{
    ASSERT_TRUE(WriteSearchPatterns(path("Search.ptn"), samplePatterns()));
    EXPECT_TRUE(sameBytes(samplePatternBytes, fileBytes(path("Search.ptn"))));
    const QList<TSearchPattern> read = ReadSearchPatterns(path("Search.ptn"));
    ASSERT_EQ(read.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(read[i].Name, samplePatterns()[i].Name);
        EXPECT_EQ(read[i].Condition, samplePatterns()[i].Condition);
    }
}

// The two filter files as the program reads them: whether the read counted,
// whether it gave the defaults (the cleared filter, no patterns), and a write
// of the sample.
struct FilterFileKind {
    const char *file;
    QByteArray valid;
    std::function<std::pair<bool, bool>(const QString &)> read;
    std::function<bool(const QString &)> writeSample;
};

FilterFileKind filterFileKind(const char *file)
{
    if (QByteArrayView(file) == "Search.lst")
        return {file, sampleBytes,
                [](const QString &path) {
                    TNarrowDownCondition read = sampleCondition();
                    const bool ok = ReadSearchList(path, read);
                    return std::pair{ok, read == TNarrowDownCondition{}};
                },
                [](const QString &path) { return WriteSearchList(path, sampleCondition()); }};
    return {file, samplePatternBytes,
            [](const QString &path) {
                const QList<TSearchPattern> read = ReadSearchPatterns(path);
                return std::pair{!read.isEmpty(), read.isEmpty()};
            },
            [](const QString &path) { return WriteSearchPatterns(path, samplePatterns()); }};
}

struct DamagedFilterFile {
    const char *behaviour;
    const char *file;
    QByteArray bytes;
};

class DamagedFilterFiles : public SearchFiles, public ::testing::WithParamInterface<DamagedFilterFile>
{
};

// Never the patterns before the damage written over the rest: the whole file
// is kept aside and named once, the reader gives its defaults, and the next
// write makes a new file beside the untouched copy.
TEST_P(DamagedFilterFiles, areKeptAsideWholeAndGiveTheDefaults)
{
    const FilterFileKind kind = filterFileKind(GetParam().file);
    const QString file = path(GetParam().file);
    writeBytes(file, GetParam().bytes);
    const auto [read, defaults] = kind.read(file);
    EXPECT_FALSE(read);
    EXPECT_TRUE(defaults);
    const QStringList copies = keptAsideCopies(file);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(copies[0])));
    ASSERT_EQ(notices.told().size(), 1);
    EXPECT_EQ(notices.told()[0].file, file);
    EXPECT_EQ(notices.told()[0].keptAs, copies[0]);

    ASSERT_TRUE(kind.writeSample(file));
    EXPECT_TRUE(sameBytes(kind.valid, fileBytes(file)));
    EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(copies[0]))) << "the copy is never written";
    EXPECT_EQ(notices.told().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedFilterFiles,
    ::testing::Values(
        DamagedFilterFile{"emptyList", "Search.lst", QByteArray()},
        DamagedFilterFile{"listValueLengthBeyondTheFile", "Search.lst",
                          QByteArray::fromHex("01" "0000" "ffffff7f" "41" "00" "00" "01")},
        DamagedFilterFile{"listBytesAfterTheCondition", "Search.lst", sampleBytes + '\0'},
        DamagedFilterFile{"emptyPatterns", "Search.ptn", QByteArray()},
        DamagedFilterFile{"patternsCutInsideSecondCondition", "Search.ptn", samplePatternBytes.chopped(3)},
        DamagedFilterFile{"patternsCutAtSecondNameLength", "Search.ptn", samplePatternBytes.chopped(12)},
        DamagedFilterFile{"patternsCutInsideFirstCondition", "Search.ptn", samplePatternBytes.chopped(20)},
        DamagedFilterFile{"patternCountBeyondThePatterns", "Search.ptn", "\x03" + samplePatternBytes.sliced(1)},
        DamagedFilterFile{"patternsBytesAfterTheLast", "Search.ptn", samplePatternBytes + 'x'}),
    [](const auto &info) { return std::string(info.param.behaviour); });

class FilterFileGarbage : public SearchFiles, public ::testing::WithParamInterface<const char *>
{
};

// Random bytes and damaged copies of a real file: reading never fails hard,
// what is not read is kept byte for byte, and what reads stays as it was.
TEST_P(FilterFileGarbage, neverCrashesTheReaderAndIsKeptWhole)
{
    const FilterFileKind kind = filterFileKind(GetParam());
    const QString file = path(GetParam());
    EXPECT_TRUE(garbageIsReadOrKeptWhole(file, kind.valid, 20240503, [&] {
        const auto [read, defaults] = kind.read(file);
        return !read && defaults;
    }));
}

INSTANTIATE_TEST_SUITE_P(Files, FilterFileGarbage, ::testing::Values("Search.lst", "Search.ptn"),
                         [](const auto &info) { return std::string(info.param).replace(6, 1, "_"); });

// Where the damaged file cannot be moved, it stays and no write puts the
// defaults over it (nor deletes it, as a write of no filter would).
TEST_F(SearchFiles, aDamagedFilterFileThatCannotBeMovedIsNeverWrittenOver)
{
    const QByteArray damaged("\x01", 1); // one item or pattern, and nothing of it
    for (const char *name : {"Search.lst", "Search.ptn"})
        writeBytes(path(name), damaged);
    RefusedMovesAside refused;
    TNarrowDownCondition condition;
    EXPECT_FALSE(ReadSearchList(path("Search.lst"), condition));
    EXPECT_TRUE(ReadSearchPatterns(path("Search.ptn")).isEmpty());
    EXPECT_FALSE(WriteSearchList(path("Search.lst"), TNarrowDownCondition{}));
    EXPECT_FALSE(WriteSearchList(path("Search.lst"), sampleCondition()));
    EXPECT_FALSE(WriteSearchPatterns(path("Search.ptn"), {}));
    EXPECT_FALSE(WriteSearchPatterns(path("Search.ptn"), samplePatterns()));
    for (const char *name : {"Search.lst", "Search.ptn"})
        EXPECT_TRUE(sameBytes(damaged, fileBytes(path(name)))) << name;
    ASSERT_EQ(notices.told().size(), 2);
    EXPECT_TRUE(notices.told()[0].keptAs.isEmpty());
}

// A filter file damaged since the window read it (another hand, a bad
// sector) is kept aside whole and named, as at reading, and the filter the
// user set is saved: never refused without a reason at every save.
TEST_F(SearchFiles, aFilterFileDamagedSinceItWasReadIsKeptAsideAndTheSaveGoesOn)
{
    const QByteArray damaged("\x01", 1);
    for (const char *name : {"Search.lst", "Search.ptn"})
        writeBytes(path(name), damaged);
    QString error;
    EXPECT_TRUE(WriteSearchList(path("Search.lst"), sampleCondition(), &error)) << qPrintable(error);
    EXPECT_TRUE(WriteSearchPatterns(path("Search.ptn"), samplePatterns(), &error)) << qPrintable(error);
    for (const char *name : {"Search.lst", "Search.ptn"}) {
        const QStringList copies = keptAsideCopies(path(name));
        ASSERT_EQ(copies.size(), 1) << name;
        EXPECT_TRUE(sameBytes(damaged, fileBytes(copies[0]))) << name;
    }
    EXPECT_TRUE(sameBytes(sampleBytes, fileBytes(path("Search.lst"))));
    EXPECT_TRUE(sameBytes(samplePatternBytes, fileBytes(path("Search.ptn"))));
    EXPECT_EQ(notices.told().size(), 2);
}

// A pattern saved over a pattern file damaged since the dialog read it,
// where the file cannot be moved aside: the file stays and the refusal
// names it, as the user has already been told of it at reading.
TEST_F(SearchFiles, aPatternSaveOverADamagedFileThatCannotBeMovedNamesTheFile)
{
    const QByteArray damaged("\x01", 1);
    writeBytes(path("Search.ptn"), damaged);
    RefusedMovesAside refused;
    QList<TSearchPattern> saved;
    QString error;
    EXPECT_FALSE(SaveSearchPatternChanges(path("Search.ptn"), {}, samplePatterns(), saved, &error));
    EXPECT_TRUE(sameBytes(damaged, fileBytes(path("Search.ptn"))));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path("Search.ptn")))) << qPrintable(error);
}

TEST_F(SearchFiles, noPatternsDeletesTheFileAndTooManyAreRefused)
{
    ASSERT_TRUE(WriteSearchPatterns(path("Search.ptn"), samplePatterns()));
    QList<TSearchPattern> many(MaxSearchPatterns + 1, samplePatterns()[1]);
    EXPECT_FALSE(WriteSearchPatterns(path("Search.ptn"), many));
    EXPECT_TRUE(sameBytes(samplePatternBytes, fileBytes(path("Search.ptn")))) << "old file kept";
    many.removeLast();
    ASSERT_TRUE(WriteSearchPatterns(path("Search.ptn"), many));
    EXPECT_EQ(ReadSearchPatterns(path("Search.ptn")).size(), MaxSearchPatterns);
    ASSERT_TRUE(WriteSearchPatterns(path("Search.ptn"), {}));
    EXPECT_FALSE(QFile::exists(path("Search.ptn")));
}

} // namespace
