#include "links/NoriMain.h"

#include "RouteFakes.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace fixture;

namespace {

TEST(NorikaeRailServ, dataPathMakesTheProgramPresent)
{
    TFakeRailServ server;
    EXPECT_TRUE(InitRailServ(server));
}

TEST(NorikaeRailServ, blankDataPathCountsAsMissing)
{
    TFakeRailServ server;
    server.path = QStringLiteral("   ");
    EXPECT_FALSE(InitRailServ(server));
}

TEST(NorikaeRailServ, failingServerCountsAsMissing)
{
    TFakeRailServ server;
    server.failPath = true;
    EXPECT_FALSE(InitRailServ(server));
}

TEST(NorikaeNear, detectorIsAskedForThreeWithinTenKilometres)
{
    TFakeRailServ server;
    const auto nodes = NorikaeNearNodes(server, kCentreLat, kCentreLon);
    EXPECT_EQ(server.detected, qMakePair(3, 10000));
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0].Name, QStringLiteral("みどり台"));
    EXPECT_EQ(nodes[0].Latitude, kCentreLat + kKmNorth);
}

TEST(NorikaeNear, distanceAndDirectionAreComputedFromThePoint)
{
    TFakeRailServ server;
    const auto nodes = NorikaeNearNodes(server, kCentreLat, kCentreLon);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(NorikaeNearRowTexts(nodes[0]),
              (std::array<QString, 3>{QStringLiteral("みどり台"), QStringLiteral("1000    "), QStringLiteral("北")}));
    EXPECT_EQ(nodes[1].Direction, 3);
    EXPECT_NEAR(nodes[1].Distance, 2000, 1);
    EXPECT_EQ(nodes[2].Direction, 5);
}

// A detector that hands back more stations than it was asked for.
class TGenerousRailServ : public TFakeRailServ
{
public:
    void DetectNearNodes(int, qint32 Latitude, qint32 Longitude, int RadiusMetres) override
    {
        nodes = index.Nearest(Latitude, Longitude, RadiusMetres, 10);
    }
};

// The list holds the found stations and then one chosen row; more found rows
// would make a chosen row look like a found one, and the route program be
// given another station than the one selected.
TEST(NorikaeNear, neverMoreThanThreeStationsWhateverTheDetectorGives)
{
    TGenerousRailServ server;
    ASSERT_GT(server.index.Nearest(kCentreLat, kCentreLon, 10000, 10).size(), 3u);
    const auto nodes = NorikaeNearNodes(server, kCentreLat, kCentreLon);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0].Name, QStringLiteral("みどり台"));
}

TEST(NorikaeNear, nothingNearGivesNoNodes)
{
    TFakeRailServ server;
    EXPECT_TRUE(NorikaeNearNodes(server, kCentreLat - 50 * kKmNorth, kCentreLon).empty());
}

TEST(NorikaeDestination, foundRowGivesItsNameAndTheExtraRowThePickedStation)
{
    TFakeRailServ server;
    const auto nodes = NorikaeNearNodes(server, kCentreLat, kCentreLon);
    TNorikaeSelectStInfo choice{QStringLiteral("いず"), 0, QStringLiteral(" いずみ野 ")};
    EXPECT_EQ(NorikaeDestination(nodes, 1, choice), QStringLiteral("さくら町"));
    EXPECT_EQ(NorikaeDestination(nodes, 3, choice), QStringLiteral("いずみ野"));
}

// The route program finds a station by its whole name: a long one is handed
// on whole, never cut to the width of a fixed field.
TEST(NorikaeDestination, aLongStationNameReachesTheRouteProgramWhole)
{
    const QString name = QStringLiteral("ふれあいの丘公園前南口バスターミナル駅");
    ASSERT_GT(Cp932::byteLength(name), 33);
    TFakeRailServ server;
    server.index = TMemoryStationIndex({{kCentreLat + kKmNorth, kCentreLon, QStringLiteral("900001"), name,
                                         QStringLiteral("ﾌﾚｱｲ"), 91, {}}});
    const auto nodes = NorikaeNearNodes(server, kCentreLat, kCentreLon);
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(NorikaeNearRowTexts(nodes[0])[0], name);
    ASSERT_TRUE(StartNorikaeSearch(server, {QString(), 0, QStringLiteral("いずみ野")}, NorikaeDestination(nodes, 0, {})));
    EXPECT_TRUE(server.eki.contains(qMakePair(1, name)));
}

TEST(NorikaeStart, clearsSixStationsAndLinesThenSetsBothAndSearches)
{
    TFakeRailServ server;
    TNorikaeSelectStInfo start{QStringLiteral("かえ"), 0, QStringLiteral(" かえで橋 ")};
    ASSERT_TRUE(StartNorikaeSearch(server, start, QStringLiteral("さくら町")));
    ASSERT_EQ(server.eki.size(), 8);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(server.eki[i], qMakePair(i, QString()));
        EXPECT_EQ(server.rosen[i], qMakePair(i, QString()));
    }
    EXPECT_EQ(server.eki[6], qMakePair(0, QStringLiteral("かえで橋")));
    EXPECT_EQ(server.eki[7], qMakePair(1, QStringLiteral("さくら町")));
    EXPECT_EQ(server.searches, 1);
}

TEST(NorikaeStart, failingSearchIsReported)
{
    TFakeRailServ server;
    server.failSearch = true;
    EXPECT_FALSE(StartNorikaeSearch(server, {}, QStringLiteral("さくら町")));
}

TEST(NorikaeSettings, startStationRoundTripsTrimmed)
{
    QTemporaryDir dir;
    TMemIniFile ini(dir.filePath(QStringLiteral("Murven19.ini")));
    EXPECT_EQ(ReadNorikaeStartStation(ini), TNorikaeSelectStInfo());
    WriteNorikaeStartStation(ini, {QStringLiteral(" かえ "), 2, QStringLiteral(" かえで橋 ")});
    EXPECT_EQ(ReadNorikaeStartStation(ini), (TNorikaeSelectStInfo{QStringLiteral("かえ"), 2, QStringLiteral("かえで橋")}));
}

TEST(NorikaePicker, initPassesTheVersionAndRefusesANegativeAnswer)
{
    TFakeNorikaeAnnai server;
    EXPECT_TRUE(InitNorikaeAnnai(server));
    EXPECT_EQ(server.initArguments, (QStringList{QString(), QStringLiteral("9.99"), QString()}));
    server.initResult = -1;
    EXPECT_FALSE(InitNorikaeAnnai(server));
}

TEST(NorikaePicker, candidatesAreTrimmed)
{
    TFakeNorikaeAnnai server;
    EXPECT_EQ(NorikaeCandidates(server, QStringLiteral("さくら")),
              (QStringList{QStringLiteral("さくら町"), QStringLiteral("さくら台")}));
}

struct TRowCase
{
    const char *name;
    int index;
    int count;
    int row;
};

class NorikaePickerRowTest : public ::testing::TestWithParam<TRowCase>
{
};

TEST_P(NorikaePickerRowTest, selectsTheRememberedRowWhenItExists)
{
    EXPECT_EQ(NorikaePickerRow(GetParam().index, GetParam().count), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(Rows, NorikaePickerRowTest,
                         ::testing::Values(TRowCase{"rememberedRow", 1, 2, 1}, TRowCase{"beyondTheCount", 2, 2, 0},
                                           TRowCase{"negative", -1, 2, 0}, TRowCase{"emptyList", 0, 0, -1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(NorikaePicker, choiceKeepsTextRowAndStation)
{
    EXPECT_EQ(NorikaePickerChoice(QStringLiteral(" さく "), 1, QStringLiteral(" さくら台 ")),
              (TNorikaeSelectStInfo{QStringLiteral("さく"), 1, QStringLiteral("さくら台")}));
}

} // namespace
