#include "links/RoutePrograms.h"

#include "LinkFakes.h"
#include "RouteFakes.h"
#include "links/MapSearch.h"
#include "support/ScriptedMessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TFakeRoutePrograms : public IRoutePrograms
{
public:
    TExpertStationLibrary OpenExpertStations(const QString &DllFolder, const QString &DicFolder) override
    {
        folders = {DllFolder, DicFolder};
        TExpertStationLibrary library;
        library.Code = code;
        if (code == LibraryLoaded)
            library.Index = std::make_unique<TMemoryStationIndex>(fixture::Stations());
        return library;
    }
    std::unique_ptr<IRailServ> CreateRailServ() override
    {
        return railServ ? std::make_unique<TFakeRailServ>() : nullptr;
    }
    std::unique_ptr<INorikaeAnnai> CreateNorikaeAnnai() override { return nullptr; }

    int code = LibraryLoaded;
    bool railServ = true;
    QStringList folders;
};

class RouteLinkTest : public ::testing::Test
{
protected:
    ScriptedMessageBoxes boxes;
    QTemporaryDir program;
    TPlatformRoutePrograms platform;
};

TEST_F(RouteLinkTest, ekispertWithoutItsStationLibraryIsReportedAsNotInstalled)
{
    EXPECT_EQ(RunRouteLink(TRouteProgramKind::Ekispert, nullptr, platform, program.path()), TRouteLinkResult::Missing);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("駅すぱあとがインストールされていません  "));
    EXPECT_EQ(boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONINFORMATION));
}

TEST_F(RouteLinkTest, stationLibraryThatCannotLoadNamesItself)
{
    QFile dll(QDir(program.path()).filePath(QStringLiteral("Wqstinf.dll")));
    ASSERT_TRUE(dll.open(QIODevice::WriteOnly));
    dll.close();
    EXPECT_EQ(RunRouteLink(TRouteProgramKind::Ekispert, nullptr, platform, program.path()), TRouteLinkResult::Failed);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Wqstinf.dll\r\nDLLのロードに失敗しました"));
    EXPECT_EQ(boxes.last().caption, QStringLiteral("Wqstinf.dll LoadLibrary Error"));
    EXPECT_EQ(boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONERROR));
}

TEST_F(RouteLinkTest, norikaeWithoutItsServerIsReportedAsNotInstalled)
{
    EXPECT_EQ(RunRouteLink(TRouteProgramKind::Norikae, nullptr, platform, program.path()), TRouteLinkResult::Missing);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("乗換案内がインストールされていません  "));
}

TEST_F(RouteLinkTest, loadedLibraryIsReadyWithoutAMessageAndGetsItsFolders)
{
    TFakeRoutePrograms programs;
    EXPECT_EQ(RunRouteLink(TRouteProgramKind::Ekispert, nullptr, programs, QStringLiteral("/opt/murven")),
              TRouteLinkResult::Ready);
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(programs.folders, (QStringList{QStringLiteral("/opt/murven/"), QStringLiteral("/opt/murven/Dic/")}));
}

TEST_F(RouteLinkTest, railServerWithADataPathIsReady)
{
    TFakeRoutePrograms programs;
    EXPECT_EQ(RunRouteLink(TRouteProgramKind::Norikae, nullptr, programs, program.path()), TRouteLinkResult::Ready);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(RouteLinkTest, unregisteredRailServerIsMissing)
{
    TFakeRoutePrograms programs;
    programs.railServ = false;
    EXPECT_EQ(RunRouteLink(TRouteProgramKind::Norikae, nullptr, programs, program.path()), TRouteLinkResult::Missing);
}

struct TPointCase
{
    const char *name;
    qint32 latitude;
    qint32 longitude;
    bool converted;
};

class ExpertPointTest : public ::testing::TestWithParam<TPointCase>
{
};

TEST_P(ExpertPointTest, positionIsConvertedOnlyWhenPresent)
{
    const TPointCase &c = GetParam();
    const auto point = ExpertPointOf(c.latitude, c.longitude);
    if (c.converted)
        EXPECT_EQ(point, std::make_pair(ToMapFanUnits(c.latitude), ToMapFanUnits(c.longitude)));
    else
        EXPECT_EQ(point, std::make_pair(0, 0));
}

INSTANTIATE_TEST_SUITE_P(Points, ExpertPointTest,
                         ::testing::Values(TPointCase{"bothPresent", 126000000, 502200000, true},
                                           TPointCase{"latitudeZero", 0, 502200000, false},
                                           TPointCase{"longitudeZero", 126000000, 0, false},
                                           TPointCase{"longitudeNegative", 126000000, -5, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ExpertPoint, conversionRoundsHalfAwayFromZero)
{
    // 126,000,002 × 0.256 = 32,256,000.512.
    EXPECT_EQ(ExpertPointOf(126000002, 1000).first, 32256001);
}

class TRecordingMapPrograms : public IMapPrograms
{
public:
    bool IsInstalled(TMapProgramKind) override { return installed; }
    std::unique_ptr<IMapView> CreateView(TMapProgramKind, QWidget *) override
    {
        return std::make_unique<TRecordingMapView>(given, std::pair<qint32, qint32>{1, 1});
    }
    bool Launch(TMapProgramKind, const TMapSearchParams &) override { return false; }
    bool installed = true;
    TMapSearchParams given;
};

TEST(StationOnMap, stationIsShownByItsPosition)
{
    ScriptedMessageBoxes boxes;
    TRecordingMapPrograms programs;
    const qint32 latitude = FromMapFanUnits(32256000);
    EXPECT_EQ(ShowStationOnMap(TMapProgramKind::MapFan, latitude, 502200000, nullptr, programs, QString()),
              TMapLinkResult::Shown);
    EXPECT_EQ(programs.given.Mode, 0);
    EXPECT_EQ(programs.given.Latitude, 126000000);
    EXPECT_EQ(programs.given.Longitude, 502200000);
    EXPECT_TRUE(programs.given.Address.isEmpty());
    EXPECT_EQ(boxes.count(), 0);
}

TEST(StationOnMap, missingMapProgramShowsItsMessage)
{
    ScriptedMessageBoxes boxes;
    TRecordingMapPrograms programs;
    programs.installed = false;
    EXPECT_EQ(ShowStationOnMap(TMapProgramKind::ProAtlas2002, 126000000, 502200000, nullptr, programs, QString()),
              TMapLinkResult::Missing);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, MapMissingMessages[1]);
}

} // namespace
