#include "DicFixture.h"
#include "DicKana.h"
#include "NameConvert.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const std::string kExcerpt = MURVEN_DIC_EXCERPT_DIR;
const std::string kFull = MURVEN_DIC_FULL_DIR;

struct TFound {
    std::string reading;
    std::string kanji;
};

class WqnameTest : public ::testing::Test
{
protected:
    TDicLibrary lib{"wqname99a"};
    TWQNMCount seiCount = lib.fn<TWQNMCount>("WQNMSeiCount");
    TWQNMCount meiCount = lib.fn<TWQNMCount>("WQNMMeiCount");
    TWQNMList seiList = lib.fn<TWQNMList>("WQNMSeiList");
    TWQNMList meiList = lib.fn<TWQNMList>("WQNMMeiList");

    int count(bool givenName, const QString &reading, const std::string &folder = kExcerpt)
    {
        std::int32_t n = -1;
        const int rc = (givenName ? meiCount : seiCount)(sj(reading).c_str(), 0, &n, folder.c_str());
        return rc == DicOk ? n : -rc;
    }
    std::vector<TFound> list(bool givenName, const QString &reading, const std::string &folder = kExcerpt)
    {
        const int n = count(givenName, reading, folder);
        std::vector<TFound> found;
        if (n <= 0)
            return found;
        TGuarded<TWqnameEntry> entries(static_cast<std::size_t>(n));
        EXPECT_EQ((givenName ? meiList : seiList)(sj(reading).c_str(), 0, entries.data(), n, folder.c_str()), DicOk);
        EXPECT_TRUE(entries.sentinelIntact());
        for (int i = 0; i < n; ++i) {
            const TWqnameEntry &e = entries[static_cast<std::size_t>(i)];
            found.push_back({std::string(e.Reading, strnlen(e.Reading, 12)), std::string(e.Kanji, strnlen(e.Kanji, 12))});
        }
        return found;
    }
};

struct TReadingCase {
    const char *typed; // UTF-8
    const char *half;
};

class NameReadingTest : public ::testing::TestWithParam<TReadingCase>
{
};

TEST_P(NameReadingTest, typedKanaOfAnyWidthMatchesAsHalfWidthKatakana)
{
    const std::string typed = sj(QString::fromUtf8(GetParam().typed));
    EXPECT_EQ(DicNameReading(typed), sj(QString::fromUtf8(GetParam().half)));
}

INSTANTIATE_TEST_SUITE_P(Kana, NameReadingTest,
                         ::testing::Values(TReadingCase{"よしこ", "ﾖｼｺ"}, TReadingCase{"ヨシコ", "ﾖｼｺ"},
                                           TReadingCase{"ﾖｼｺ", "ﾖｼｺ"}, TReadingCase{"がっこう", "ｶﾞｯｺｳ"},
                                           TReadingCase{"ぽんず", "ﾎﾟﾝｽﾞ"}, TReadingCase{"ミョー", "ﾐｮｰ"},
                                           TReadingCase{"ヴぃ", "ｳﾞｨ"}, TReadingCase{"むをん", "ﾑｦﾝ"},
                                           TReadingCase{"ゐヶ", "ヰヶ"}, TReadingCase{"か゛", "ｶﾞ"},
                                           TReadingCase{"吉a", "吉a"}));

TEST_F(WqnameTest, readingsOfEveryKanaWidthGiveOneList)
{
    const std::vector<TFound> half = list(true, QStringLiteral("ﾖｼ"));
    ASSERT_FALSE(half.empty());
    for (const QString &typed : {QStringLiteral("よし"), QStringLiteral("ヨシ")}) {
        const std::vector<TFound> other = list(true, typed);
        ASSERT_EQ(other.size(), half.size()) << typed.toStdString();
        for (std::size_t i = 0; i < half.size(); ++i)
            EXPECT_EQ(other[i].kanji, half[i].kanji);
    }
}

TEST_F(WqnameTest, theTypedReadingComesFirstThenLongerReadingsInSyllabaryOrder)
{
    const std::vector<TFound> found = list(true, QStringLiteral("よし"));
    ASSERT_EQ(found.size(), 20U); // given names of the excerpt read ヨシ, ヨシイ, ヨシエ and ヨシコ
    std::vector<std::string> groups;
    for (const TFound &f : found) {
        if (groups.empty() || groups.back() != f.reading)
            groups.push_back(f.reading);
    }
    EXPECT_EQ(groups, (std::vector<std::string>{sj(QStringLiteral("ﾖｼ")), sj(QStringLiteral("ﾖｼｲ")),
                                                sj(QStringLiteral("ﾖｼｴ")), sj(QStringLiteral("ﾖｼｺ"))}));
}

TEST_F(WqnameTest, theMostCommonSpellingOfAReadingComesFirst)
{
    // 義 has the lowest cost of the ヨシ given names, よし the highest.
    const std::vector<TFound> found = list(true, QStringLiteral("ヨシ"));
    ASSERT_GE(found.size(), 10U);
    EXPECT_EQ(found.front().kanji, sj(QStringLiteral("義")));
    EXPECT_EQ(found[9].kanji, sj(QStringLiteral("よし")));
}

TEST_F(WqnameTest, surnamesAndGivenNamesAreSeparateLists)
{
    EXPECT_EQ(count(false, QStringLiteral("ヨシダ")), 4);
    EXPECT_EQ(count(true, QStringLiteral("ヨシダ")), -DicNotFound);
    EXPECT_EQ(count(false, QStringLiteral("ヨシコ")), -DicNotFound);
    EXPECT_EQ(count(true, QStringLiteral("ヨシコ")), 7);
}

struct TLeftOutCase {
    bool givenName;
    const char *reading; // UTF-8
    const char *why;
};

class WqnameLeftOutTest : public WqnameTest, public ::testing::WithParamInterface<TLeftOutCase>
{
};

TEST_P(WqnameLeftOutTest, rowsThatDoNotFitOrNameNoFamilyOrGivenNameAreLeftOut)
{
    EXPECT_EQ(count(GetParam().givenName, QString::fromUtf8(GetParam().reading)), -DicNotFound) << GetParam().why;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WqnameLeftOutTest,
    ::testing::Values(TLeftOutCase{false, "プレオブ", "a reading of more than 12 half-width bytes"},
                      TLeftOutCase{false, "ウォルム", "a spelling of more than 12 bytes"},
                      TLeftOutCase{false, "ロステン", "a spelling of more than 12 bytes"},
                      TLeftOutCase{false, "アルワン", "a person name of the general kind"},
                      TLeftOutCase{true, "キンジュン", "a person name of the general kind"}));

TEST_F(WqnameTest, aSpellingListedTwiceIsOfferedOnce)
{
    EXPECT_EQ(count(true, QStringLiteral("カホリ")), 1);
}

TEST_F(WqnameTest, aListLongerThanTheCandidatesIsZeroFilledBehindThem)
{
    TGuarded<TWqnameEntry> entries(3);
    std::memset(&entries[2], 'x', sizeof(TWqnameEntry));
    ASSERT_EQ(seiList(sj(QStringLiteral("ヨシ")).c_str(), 0, entries.data(), 2, kExcerpt.c_str()), DicOk);
    EXPECT_EQ(bytesOf(entries[0].Kanji), padded(sj(QStringLiteral("吉")), 12));
    EXPECT_EQ(bytesOf(entries[1].Reading), padded(sj(QStringLiteral("ﾖｼｲ")), 12));

    TGuarded<TWqnameEntry> more(10);
    ASSERT_EQ(seiList(sj(QStringLiteral("ヨシ")).c_str(), 0, more.data(), 10, kExcerpt.c_str()), DicOk);
    EXPECT_EQ(bytesOf(more[7].Kanji), std::string(12, '\0'));
    EXPECT_EQ(bytesOf(more[9].Reading), std::string(12, '\0'));
}

TEST_F(WqnameTest, badArgumentsAreRefusedAndMissingDataFindsNothing)
{
    std::int32_t n = -1;
    TGuarded<TWqnameEntry> entries(1);
    const std::string longReading(WqnameMaxReading + 1, '\xB1');
    EXPECT_EQ(seiCount(nullptr, 0, &n, kExcerpt.c_str()), DicWrongInput);
    EXPECT_EQ(seiCount("", 0, &n, kExcerpt.c_str()), DicWrongInput);
    EXPECT_EQ(seiCount(longReading.c_str(), 0, &n, kExcerpt.c_str()), DicWrongInput);
    EXPECT_EQ(seiCount("\xB1", 0, nullptr, kExcerpt.c_str()), DicWrongInput);
    EXPECT_EQ(seiCount("\xB1", 0, &n, nullptr), DicWrongInput);
    EXPECT_EQ(meiList("\xB1", 0, entries.data(), 0, kExcerpt.c_str()), DicWrongInput);
    EXPECT_EQ(meiList("\xB1", 0, nullptr, 1, kExcerpt.c_str()), DicWrongInput);
    EXPECT_TRUE(entries.untouched());

    QTemporaryDir empty;
    const std::string folder = empty.path().toStdString() + "/";
    EXPECT_EQ(meiCount("\xD6\xBC", 0, &n, folder.c_str()), DicNotFound);
    EXPECT_EQ(n, 0);
}

TEST_F(WqnameTest, theFullDataStopsCountAndListAtTheSameCap)
{
    if (!QFileInfo::exists(QString::fromStdString(kFull + DicNameFileName)))
        GTEST_SKIP() << "no name data built from mecab-ipadic";
    const std::vector<TFound> found = list(true, QStringLiteral("ヨシ"), kFull);
    EXPECT_EQ(found.size(), static_cast<std::size_t>(WqnameMaxCandidates));
    EXPECT_EQ(found.front().reading, sj(QStringLiteral("ﾖｼ")));
}

TEST(NameConvertTest, theExcerptKeepsItsFamilyAndGivenNamesAndCountsWhatItLeftOut)
{
    QTemporaryDir dir;
    TNameConvertStats stats;
    QString error;
    ASSERT_TRUE(BuildNameDictionary(QStringLiteral(MURVEN_NAME_EXCERPT_CSV), dir.filePath(QStringLiteral("n.db")),
                                    &error, &stats))
        << error.toStdString();
    EXPECT_EQ(stats.Surnames, 10);
    EXPECT_EQ(stats.GivenNames, 21);
    EXPECT_EQ(stats.TooLong, 3);
    EXPECT_EQ(stats.Duplicates, 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("n.db.tmp"))));
}

TEST(NameConvertTest, aFileWithoutNamesFailsAndLeavesTheOlderDataFile)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("Noun.csv"));
    const QString out = dir.filePath(QStringLiteral("n.db"));
    QFile older(out);
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older");
    older.close();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("abc,1285,1285,5000,noun\n");
    file.close();
    QString error;
    EXPECT_FALSE(BuildNameDictionary(csv, out, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(BuildNameDictionary(dir.filePath(QStringLiteral("missing.csv")), out, &error));
    QFile kept(out);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("older"));
}

} // namespace
