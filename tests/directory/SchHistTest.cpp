#include "core/Env.h"
#include "directory/SchHist.h"
#include "platform/UnreadableFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The search conditions the directory search window keeps in NmAd.shc.

namespace {

TSearchHistoryEntry entry(const char *name, QStringList keys = {QStringLiteral("13101")}, int region = 3)
{
    TSearchHistoryEntry e;
    e.Name = name;
    e.MatchKind = 3;
    e.Category = 1;
    e.PhoneKinds = 9;
    e.CorporateForm = 2;
    e.MonthFrom = "199504";
    e.MonthTo = "201312";
    e.BlockSize = 50;
    e.Keys = keys;
    e.KeyLevel = keys.isEmpty() ? 0 : static_cast<int>(keys.front().size());
    e.Region = keys.isEmpty() ? 0 : region;
    return e;
}

bool allRegions(int)
{
    return true;
}

QByteArray le(int v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((static_cast<unsigned>(v) >> (8 * i)) & 0xFF));
    return b;
}

QByteArray shortString(const QByteArray &text, int capacity)
{
    return char(text.size()) + text + QByteArray(capacity - text.size(), '\0');
}

TEST(SearchHistoryFile, anEntryIsLaidOutAsTheFileFormatSays)
{
    const TSearchHistoryEntry e = entry("ABC", {QStringLiteral("13101"), QStringLiteral("13102")});
    const QByteArray expected = le(1) + shortString("ABC", 34) + le(3) + le(1) + le(9) + le(2)
                                + shortString("199504", 8) + shortString("201312", 8) + le(50) + le(3) + le(2) + le(5)
                                + shortString("13101", 5) + shortString("13102", 5);
    EXPECT_EQ(SearchHistoryBytes(e, {e}), expected);
    bool damaged = true;
    const std::vector<TSearchHistoryEntry> read = ParseSearchHistory(expected, 10, allRegions, &damaged);
    EXPECT_FALSE(damaged);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_TRUE(SameSearchConditions(read.front(), e));
}

TEST(SearchHistoryFile, anEntryWithoutKeysIsKeptAndSoAreTheEntriesAfterIt)
{
    const TSearchHistoryEntry current = entry("A");
    const std::vector<TSearchHistoryEntry> history{current, entry("B", {}), entry("C")};
    bool damaged = true;
    const std::vector<TSearchHistoryEntry> read =
        ParseSearchHistory(SearchHistoryBytes(current, history), 10, allRegions, &damaged);
    EXPECT_FALSE(damaged);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[1].Name, "B");
    EXPECT_TRUE(read[1].Keys.isEmpty());
    EXPECT_EQ(read[2].Name, "C");
}

TEST(SearchHistoryFile, anEntryOfARegionNotInUseKeepsItsConditionsWithoutItsAddress)
{
    const TSearchHistoryEntry e = entry("A", {QStringLiteral("01")}, 1);
    const std::vector<TSearchHistoryEntry> read =
        ParseSearchHistory(SearchHistoryBytes(e, {}), 10, [](int region) { return region != 1; }, nullptr);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].Name, "A");
    EXPECT_EQ(read[0].Region, 0);
    EXPECT_EQ(read[0].KeyLevel, 0);
    EXPECT_TRUE(read[0].Keys.isEmpty());
    EXPECT_EQ(read[0].BlockSize, 50);
}

struct DamageCase { const char *label; int cut; void (*spoil)(QByteArray &); std::size_t kept; };
void PrintTo(const DamageCase &c, std::ostream *os) { *os << c.label; }
class SearchHistoryDamageTest : public ::testing::TestWithParam<DamageCase> {};

// Three entries of 85 + 6 bytes each after the count.
TEST_P(SearchHistoryDamageTest, keepsTheEntriesBeforeTheDamage)
{
    const std::vector<TSearchHistoryEntry> history{entry("A"), entry("B"), entry("C")};
    QByteArray bytes = SearchHistoryBytes(history[0], history);
    ASSERT_EQ(bytes.size(), 4 + 3 * 91);
    if (GetParam().cut > 0)
        bytes.chop(GetParam().cut);
    if (GetParam().spoil)
        GetParam().spoil(bytes);
    bool damaged = false;
    const std::vector<TSearchHistoryEntry> read = ParseSearchHistory(bytes, 10, allRegions, &damaged);
    EXPECT_TRUE(damaged);
    EXPECT_EQ(read.size(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, SearchHistoryDamageTest,
    ::testing::Values(DamageCase{"lastEntryCutShort", 3, nullptr, 2},
                      DamageCase{"countMissing", 4 + 3 * 91 - 2, nullptr, 0},
                      DamageCase{"nameLongerThanItsField", 0, [](QByteArray &b) { b[4 + 91] = 35; }, 1},
                      DamageCase{"keyLevelUnknown", 0, [](QByteArray &b) { b[4 + 91 + 81] = 3; }, 1},
                      DamageCase{"keyNotACode", 0, [](QByteArray &b) { b[4 + 2 * 91 + 86] = '?'; }, 2},
                      DamageCase{"countZero", 0, [](QByteArray &b) { b[0] = 0; }, 0}));

TEST(SearchHistoryFile, readsNoMoreThanTheHistoryHoldsButAlwaysTheCurrentConditions)
{
    const std::vector<TSearchHistoryEntry> history{entry("A"), entry("B"), entry("C")};
    const QByteArray bytes = SearchHistoryBytes(history[0], history);
    EXPECT_EQ(ParseSearchHistory(bytes, 2, allRegions, nullptr).size(), 2u);
    EXPECT_EQ(ParseSearchHistory(bytes, 0, allRegions, nullptr).size(), 1u);
}

TEST(SearchHistory, rememberingMovesAnEqualEntryToTheFrontAndDropsTheOldest)
{
    std::vector<TSearchHistoryEntry> history;
    RememberSearch(history, entry("A"), 2);
    RememberSearch(history, entry("B"), 2);
    TSearchHistoryEntry a = entry("a"); // letter case does not make it another entry
    RememberSearch(history, a, 2);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].Name, "A");
    RememberSearch(history, entry("C"), 2);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].Name, "C");
    EXPECT_EQ(history[1].Name, "A");
    TSearchHistoryEntry otherKey = entry("C", {QStringLiteral("13102")});
    RememberSearch(history, otherKey, 2);
    EXPECT_EQ(history[1].Name, "C"); // another key: another entry
    RememberSearch(history, entry("D"), 0);
    EXPECT_TRUE(history.empty());
}

TEST(SearchHistory, theFileDoesNotRepeatTheCurrentConditionsAtTheFrontOfTheHistory)
{
    const std::vector<TSearchHistoryEntry> history{entry("A"), entry("B")};
    EXPECT_EQ(ParseSearchHistory(SearchHistoryBytes(entry("A"), history), 10, allRegions, nullptr).size(), 2u);
    // The history's front deleted: the current conditions stand before the rest, nothing is lost.
    const std::vector<TSearchHistoryEntry> rest{entry("B")};
    bool apart = false;
    const std::vector<TSearchHistoryEntry> read =
        ParseSearchHistory(SearchHistoryBytes(entry("A"), rest), 10, allRegions, nullptr, &apart);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1].Name, "B");
    EXPECT_TRUE(apart);
}

struct TApartCase {
    const char *label;
    std::vector<const char *> history; // after the deletion; the current conditions are "A"
    bool historyKept;
    int hisCount;
    std::vector<const char *> readHistory; // what the next window's history holds
};
void PrintTo(const TApartCase &c, std::ostream *os) { *os << c.label; }
class SearchHistoryApartTest : public ::testing::TestWithParam<TApartCase> {};

TEST_P(SearchHistoryApartTest, theCurrentConditionsComeBackIntoTheHistoryOnlyWhenTheyWereInIt)
{
    std::vector<TSearchHistoryEntry> history;
    for (const char *name : GetParam().history)
        history.push_back(entry(name));
    bool damaged = true;
    bool apart = false;
    const std::vector<TSearchHistoryEntry> read =
        ParseSearchHistory(SearchHistoryBytes(entry("A"), history, GetParam().historyKept), GetParam().hisCount,
                           allRegions, &damaged, &apart);
    EXPECT_FALSE(damaged);
    ASSERT_FALSE(read.empty());
    EXPECT_EQ(read.front().Name, "A") << "the current conditions are always read";
    std::vector<QByteArray> names;
    for (std::size_t i = apart ? 1 : 0; i < read.size(); ++i)
        names.push_back(read[i].Name);
    std::vector<QByteArray> expected(GetParam().readHistory.begin(), GetParam().readHistory.end());
    EXPECT_EQ(names, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Deletion, SearchHistoryApartTest,
    ::testing::Values(TApartCase{"frontKept", {"A", "B", "C"}, true, 10, {"A", "B", "C"}},
                      TApartCase{"frontDeleted", {"B", "C"}, true, 10, {"B", "C"}},
                      TApartCase{"onlyEntryDeleted", {}, true, 10, {}},
                      TApartCase{"frontDeletedReadUpToTheHistorysSize", {"B", "C", "D"}, true, 2, {"B", "C"}},
                      TApartCase{"withoutHistoryOnlyTheCurrentConditions", {}, false, 10, {"A"}},
                      TApartCase{"currentFurtherBackStaysWhereItWas", {"B", "A"}, true, 10, {"B", "A"}}));

TEST(SearchHistoryFile, theCurrentConditionsKeptApartAreWrittenTwiceAndCountedSo)
{
    const QByteArray bytes = SearchHistoryBytes(entry("A"), {entry("B")});
    ASSERT_EQ(bytes.size(), 4 + 3 * 91);
    EXPECT_EQ(bytes.left(4), le(3));
    EXPECT_EQ(bytes.mid(4, 91), bytes.mid(4 + 91, 91));
}

TEST(SearchHistoryFile, aDamagedFileIsKeptAsideWithTheEntriesAfterTheDamage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("NmAd.shc"));
    const std::vector<TSearchHistoryEntry> history{entry("A"), entry("B")};
    QByteArray bytes = SearchHistoryBytes(history[0], history);
    bytes.chop(1);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QString told;
    const TUnreadableFileNotice kept = SetUnreadableFileNotice([&](const QString &, const QString &as, const QString &) { told = as; });
    bool blocked = true;
    const std::vector<TSearchHistoryEntry> read = ReadSearchHistoryFile(path, 10, allRegions, &blocked);
    SetUnreadableFileNotice(kept);
    EXPECT_FALSE(blocked);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_FALSE(told.isEmpty());
    QFile aside(told);
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), bytes);
    QString error;
    EXPECT_TRUE(WriteSearchHistoryFile(path, read[0], read, &error)) << error.toStdString();
    EXPECT_EQ(ReadSearchHistoryFile(path, 10, allRegions, nullptr).size(), 1u);
}

TEST(SearchHistoryFile, aDamagedFileThatCannotBeMovedBlocksWritingOverIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("NmAd.shc"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("xx");
    }
    const TUnreadableFileNotice kept = SetUnreadableFileNotice([](const QString &, const QString &, const QString &) {});
    UnreadableFile::setMoveRefused(true);
    bool blocked = false;
    EXPECT_TRUE(ReadSearchHistoryFile(path, 10, allRegions, &blocked).empty());
    UnreadableFile::setMoveRefused(false);
    SetUnreadableFileNotice(kept);
    EXPECT_TRUE(blocked);
    EXPECT_TRUE(QFile::exists(path));
}

} // namespace

// Shift-JIS trail bytes run through the ASCII letters ("ア" is 83 41 and "ヂ"
// 83 61): only a letter that is a character of its own may be folded, or two
// different names count as one search and one of them leaves the history.
struct TDistinctNames {
    QByteArray A;
    QByteArray B;
};

class SearchHistoryDistinctNamesTest : public ::testing::TestWithParam<TDistinctNames> {};

TEST_P(SearchHistoryDistinctNamesTest, namesDifferingOnlyInATrailByteAreDifferentSearches)
{
    const TSearchHistoryEntry a = entry(GetParam().A.constData());
    const TSearchHistoryEntry b = entry(GetParam().B.constData());
    EXPECT_FALSE(SameSearchConditions(a, b));

    std::vector<TSearchHistoryEntry> history{a};
    RememberSearch(history, b, 10);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].Name, b.Name);
    EXPECT_EQ(history[1].Name, a.Name);

    bool damaged = true;
    const std::vector<TSearchHistoryEntry> read =
        ParseSearchHistory(SearchHistoryBytes(b, history), 10, allRegions, &damaged);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].Name, b.Name);
    EXPECT_EQ(read[1].Name, a.Name);
}

INSTANTIATE_TEST_SUITE_P(
    TrailBytes, SearchHistoryDistinctNamesTest,
    ::testing::Values(TDistinctNames{"\x83\x41", "\x83\x61"},             // ア / ヂ
                      TDistinctNames{"\x8E\x52\x93\x63", "\x8E\x52\x93\x43"}, // 山田 / 山 + another kanji
                      TDistinctNames{"A\x83\x5A", "a\x83\x7A"}));           // the letter folds, the trail byte not

TEST(SearchHistory, lettersOfTheirOwnStillCompareWithoutRegardToCase)
{
    EXPECT_TRUE(SameSearchConditions(entry("Abc\x83\x41"), entry("aBC\x83\x41")));
    EXPECT_TRUE(SameSearchConditions(entry("\x83\x41x"), entry("\x83\x41X")));
}

TEST(SearchHistoryFile, aNameLongerThanItsFieldIsCutBetweenCharacters)
{
    // 33 bytes of letters, then a double-byte character over the 34th byte.
    const QByteArray name = QByteArray(33, 'A') + "\x83\x41";
    bool damaged = true;
    const std::vector<TSearchHistoryEntry> read =
        ParseSearchHistory(SearchHistoryBytes(entry(name.constData()), {}), 10, allRegions, &damaged);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].Name, QByteArray(33, 'A'));
}
