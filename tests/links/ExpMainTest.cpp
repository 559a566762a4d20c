#include "links/ExpMain.h"

#include "StationFixture.h"
#include "links/MapSearch.h"
#include "platform/IniFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace fixture;

namespace {

const QString kSearch = QStringLiteral("EXPERT STATION SEARCH");
const QString kStart = QStringLiteral("EXPERT START STATION");
const QDateTime kNow(QDate(2014, 3, 25), QTime(10, 30));

class ExpertSettingsTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    TMemIniFile ini{dir.filePath(QStringLiteral("Murven19.ini"))};
};

struct TConditionCase
{
    const char *name;
    int key;
    int stored;
    int read;
};

class ExpertConditionRangeTest : public ExpertSettingsTest, public ::testing::WithParamInterface<TConditionCase>
{
};

TEST_P(ExpertConditionRangeTest, valueOutsideItsRangeReadsAsZero)
{
    const TConditionCase &c = GetParam();
    ini.WriteInteger(kSearch, ExpertConditionKeys[size_t(c.key)], c.stored);
    EXPECT_EQ(ReadExpertSearchCondition(ini, kNow).Values[size_t(c.key)], c.read);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExpertConditionRangeTest,
    ::testing::Values(TConditionCase{"firstTrainOneKept", 0, 1, 1}, TConditionCase{"firstTrainTwoIsZero", 0, 2, 0},
                      TConditionCase{"leavingTwoIsZero", 1, 2, 0}, TConditionCase{"transfersTwoKept", 2, 2, 2},
                      TConditionCase{"transfersThreeIsZero", 2, 3, 0}, TConditionCase{"airwayNegativeIsZero", 6, -1, 0},
                      TConditionCase{"jrHugeIsZero", 4, 1000000, 0}),
    [](const auto &info) { return std::string(info.param.name); });

struct TDateCase
{
    const char *name;
    const char *stored;
    const char *read;
};

class ExpertRideDateTest : public ExpertSettingsTest, public ::testing::WithParamInterface<TDateCase>
{
};

TEST_P(ExpertRideDateTest, rideDateIsKeptOnlyWhenInTheFuture)
{
    ini.WriteString(kSearch, QStringLiteral("RideDate"), QString::fromUtf8(GetParam().stored));
    EXPECT_EQ(ReadExpertSearchCondition(ini, kNow).RideDate, QString::fromUtf8(GetParam().read));
}

INSTANTIATE_TEST_SUITE_P(
    Dates, ExpertRideDateTest,
    ::testing::Values(TDateCase{"tomorrowKept", "20140326", "20140326"}, TDateCase{"blanksAroundTrimmed", " 20140401 ", "20140401"},
                      TDateCase{"todayDropped", "20140325", ""}, TDateCase{"yesterdayDropped", "20140324", ""},
                      TDateCase{"sevenCharactersDropped", "2014040", ""}, TDateCase{"noDateDropped", "20141340", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ExpertSettingsTest, conditionsRoundTrip)
{
    TExpertConditions c;
    c.Values = {1, 0, 2, 1, 2, 0, 1};
    c.RideDate = QStringLiteral("20150101");
    WriteExpertSearchCondition(ini, c);
    EXPECT_EQ(ReadExpertSearchCondition(ini, kNow), c);
}

TEST_F(ExpertSettingsTest, missingStartStationHasTheDefaults)
{
    const TExpertSelectStInfo s = ReadExpertStartStation(ini);
    EXPECT_EQ(s, TExpertSelectStInfo());
    EXPECT_EQ(s.KanaIndex, -1);
}

TEST_F(ExpertSettingsTest, startStationRoundTripsWithoutDistanceAndDirection)
{
    TExpertSelectStInfo s = ExpertStationOf(Stations()[1], 2000, 3);
    s.KanaIndex = 2;
    s.ListIndex = 4;
    s.Kana = QStringLiteral("ｻｸﾗ");
    WriteExpertStartStation(ini, s);
    TExpertSelectStInfo expected = s;
    expected.Distance = 0;
    expected.Direction = 0;
    EXPECT_EQ(ReadExpertStartStation(ini), expected);
}

TEST_F(ExpertSettingsTest, overlongStoredNameIsCutToTheFieldWithoutSplittingACharacter)
{
    ini.WriteString(kStart, QStringLiteral("StNameKj"), QStringLiteral("とてもとても長い長い駅の名前です"));
    ini.WriteString(kStart, QStringLiteral("KickCode"), QStringLiteral("12345678"));
    const TExpertSelectStInfo s = ReadExpertStartStation(ini);
    EXPECT_EQ(s.StNameKj, QStringLiteral("とてもとても長い長い駅"));
    EXPECT_EQ(s.KickCode, QStringLiteral("123456"));
}

TEST(ExpertKick, commandLineHasDateConditionsAndBothCodes)
{
    TExpertConditions c;
    c.Values = {0, 1, 2, 0, 0, 0, 0};
    TExpertSelectStInfo start;
    start.KickCode = QStringLiteral(" 200001 ");
    TExpertSelectStInfo destination;
    destination.KickCode = QStringLiteral("100002");
    const QString parameters = ExpertKickParameters(c, start, destination, QDate(2014, 3, 25));
    EXPECT_EQ(parameters, QStringLiteral("-d20140325 -c0120000 200001 100002"));
    const TCommand command =
        ExpertKickCommand(QStringLiteral("/opt/murven"), ExpertKickArguments(c, start, destination, QDate(2014, 3, 25)));
    EXPECT_EQ(command.Program, QStringLiteral("/opt/murven/Exp_kick.exe"));
    EXPECT_EQ(command.Arguments, (QStringList{QStringLiteral("-d20140325"), QStringLiteral("-c0120000"),
                                              QStringLiteral("200001"), QStringLiteral("100002")}));
    EXPECT_EQ(command.CommandLine, QStringLiteral("\"/opt/murven/Exp_kick.exe\" -d20140325 -c0120000 200001 100002"));
}

TEST(ExpertKick, rideDateOfTheConditionReplacesToday)
{
    TExpertConditions c;
    c.RideDate = QStringLiteral("20140401");
    TExpertSelectStInfo start;
    start.KickCode = QStringLiteral("1");
    TExpertSelectStInfo destination;
    destination.KickCode = QStringLiteral("2");
    EXPECT_EQ(ExpertKickParameters(c, start, destination, QDate(2014, 3, 25)), QStringLiteral("-d20140401 -c0000000 1 2"));
}

TEST(ExpertKick, aStationCodeIsHalfWidthLettersAndDigitsOnly)
{
    EXPECT_TRUE(ExpertIsKickCode(QStringLiteral("100001")));
    EXPECT_TRUE(ExpertIsKickCode(QStringLiteral(" A12 ")));
    for (const QString &code : {QString(), QStringLiteral("  "), QStringLiteral("-q"), QStringLiteral("1 -q"),
                                QStringLiteral("1\t2"), QStringLiteral("１２"), QStringLiteral("\"1\"")})
        EXPECT_FALSE(ExpertIsKickCode(code)) << qPrintable(code);
}

TEST(ExpertKick, quitCommandAsksTheStarterToQuit)
{
    EXPECT_EQ(ExpertQuitCommand(QStringLiteral("/opt/murven/")).CommandLine,
              QStringLiteral("\"/opt/murven/Exp_kick.exe\" -q"));
}

TEST(ExpertKick, startNeedsStationsLinesAndADepartureCode)
{
    TExpertSelectStInfo start;
    EXPECT_FALSE(ExpertCanStart(true, true, start));
    start.KickCode = QStringLiteral("100001");
    EXPECT_TRUE(ExpertCanStart(true, true, start));
    EXPECT_FALSE(ExpertCanStart(false, true, start));
    EXPECT_FALSE(ExpertCanStart(true, false, start));
}

class ExpertStationsTest : public ::testing::Test
{
protected:
    TMemoryStationIndex index{Stations()};
};

TEST_F(ExpertStationsTest, nearestThreeComeInTheRouteProgramsUnit)
{
    const TExpertNearResult near = ExpertNearStations(index, ToMapFanUnits(kCentreLat), ToMapFanUnits(kCentreLon));
    EXPECT_EQ(near.Code, ExpertFound);
    ASSERT_EQ(near.Stations.size(), 3u);
    EXPECT_EQ(near.Stations[0].StNameKj, QStringLiteral("みどり台"));
    EXPECT_EQ(near.Stations[0].Latitude, ToMapFanUnits(kCentreLat + kKmNorth));
    EXPECT_EQ(near.Stations[0].KickCode, QStringLiteral("100001"));
    EXPECT_EQ(near.Stations[2].Direction, 5);
}

TEST_F(ExpertStationsTest, nothingWithinTenKilometresIsCodeEight)
{
    const TExpertNearResult near
        = ExpertNearStations(index, ToMapFanUnits(kCentreLat - 50 * kKmNorth), ToMapFanUnits(kCentreLon));
    EXPECT_EQ(near.Code, ExpertNothingFound);
    EXPECT_TRUE(near.Stations.empty());
}

TEST_F(ExpertStationsTest, linesOfAStationAndCodeEightForAnUnknownOne)
{
    EXPECT_EQ(ExpertLineList(index, 12).Lines, (QStringList{QStringLiteral("架空本線"), QStringLiteral("空想線")}));
    EXPECT_EQ(ExpertLineList(index, 99).Code, ExpertNothingFound);
}

TEST_F(ExpertStationsTest, nearRowShowsDistanceLeftAlignedAndTheDirectionName)
{
    TExpertSelectStInfo s = ExpertStationOf(Stations()[2], 3000, 5);
    EXPECT_EQ(ExpertNearRowTexts(s), (std::array<QString, 4>{QStringLiteral("あおば"), QStringLiteral("ｱｵﾊﾞ"),
                                                             QStringLiteral("3000    "), QStringLiteral("南")}));
}

TEST_F(ExpertStationsTest, chosenRowHasNoDistanceOrDirection)
{
    TExpertSelectStInfo s = ExpertStationOf(Stations()[2], 3000, ExpertChosenStation);
    const auto texts = ExpertNearRowTexts(s);
    EXPECT_TRUE(texts[2].isEmpty());
    EXPECT_TRUE(texts[3].isEmpty());
}

TEST_F(ExpertStationsTest, secondChoiceReplacesTheFirstAndFoundRowsStay)
{
    std::vector<TExpertSelectStInfo> rows
        = ExpertNearStations(index, ToMapFanUnits(kCentreLat), ToMapFanUnits(kCentreLon)).Stations;
    ExpertAppendChoice(rows, ExpertStationOf(Stations()[4]));
    ExpertAppendChoice(rows, ExpertStationOf(Stations()[6]));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2].StNameKj, QStringLiteral("あおば"));
    EXPECT_EQ(rows[3].StNameKj, QStringLiteral("いずみ野"));
    EXPECT_EQ(rows[3].Direction, ExpertChosenStation);
}

TEST(ExpertKanaRows, lettersAreTheHalfWidthKatakanaOfEachRow)
{
    EXPECT_EQ(ExpertKanaLetter(177), QStringLiteral("ｱ"));
    EXPECT_EQ(ExpertKanaLetter(182), QStringLiteral("ｶ"));
    EXPECT_EQ(ExpertKanaLetter(220), QStringLiteral("ﾜ"));
    EXPECT_EQ(ExpertKanaRows[9].First, 220);
    EXPECT_EQ(ExpertKanaRows[9].Last, 220);
    EXPECT_EQ(ExpertKanaRows[7].Caption, QStringLiteral("や行"));
    EXPECT_EQ(ExpertKanaRows[7].Last, 214);
}

TEST_F(ExpertStationsTest, rowSearchListsTheStationsLetterByLetter)
{
    // あ行: ｱ (あおば) before ｲ (いずみ野).
    const auto found = ExpertRowSearch(index, 0);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].StNameKj, QStringLiteral("あおば"));
    EXPECT_EQ(found[1].StNameKj, QStringLiteral("いずみ野"));
}

TEST_F(ExpertStationsTest, rowWaSearchesItsSingleLetter)
{
    const auto found = ExpertRowSearch(index, 9);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].StNameKj, QStringLiteral("わかば"));
}

TEST_F(ExpertStationsTest, nameSearchTakesTheTrimmedPrefix)
{
    const auto found = ExpertNameSearch(index, QStringLiteral(" ｻｸﾗﾁ "));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].StNameKj, QStringLiteral("さくら町"));
    EXPECT_TRUE(ExpertNameSearch(index, QStringLiteral("  ")).empty());
}

TEST(ExpertPicker, unknownKanaRowOpensWithTheFirst)
{
    EXPECT_EQ(ExpertPickerKanaRow(-1), 0);
    EXPECT_EQ(ExpertPickerKanaRow(10), 0);
    EXPECT_EQ(ExpertPickerKanaRow(9), 9);
}

TEST(ExpertPicker, choiceKeepsThePickerState)
{
    TExpertSelectStInfo record;
    const TExpertSelectStInfo entry = ExpertStationOf(Stations()[3]);
    ExpertTakePickerChoice(record, entry, 1, 0, QStringLiteral(" ｶｴ "));
    EXPECT_EQ(record.StNameKj, QStringLiteral("かえで橋"));
    EXPECT_EQ(record.KickCode, QStringLiteral("100004"));
    EXPECT_EQ(record.KanaIndex, 1);
    EXPECT_EQ(record.ListIndex, 0);
    EXPECT_EQ(record.Kana, QStringLiteral("ｶｴ"));
}

} // namespace
