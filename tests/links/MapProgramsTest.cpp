#include "links/MapPrograms.h"

#include "LinkFakes.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include "core/Env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <clocale>

#include <gtest/gtest.h>

namespace {

constexpr qint32 kLat = 128000000; // 35°33'20"
constexpr qint32 kLon = 503123456;

TMapSearchParams params(qint32 Mode, qint32 Lat, qint32 Lon, const QString &Address)
{
    TMapSearchParams p;
    p.Mode = Mode;
    p.Latitude = Lat;
    p.Longitude = Lon;
    p.Address = Address;
    return p;
}

void touch(const QString &File)
{
    QDir().mkpath(QFileInfo(File).path());
    QFile f(File);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

class MapLauncherTest : public ::testing::Test
{
protected:
    TFakeLinkWorld world;
    QTemporaryDir dir;
    const QString address = QStringLiteral("東京都 港区\"芝\"");

    void SetUp() override { std::setlocale(LC_ALL, "C"); }
};

// ---- Electronic atlas Z ----

TEST_F(MapLauncherTest, atlasZIsFoundOnlyUnderTheCurrentUser)
{
    world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Qor\\AtlasZ\\InstallInfo"),
                            QStringLiteral("Directory"), QStringLiteral("C:\\AtlasZ\\AtlasZ.exe"));
    EXPECT_FALSE(ShowAtlasZMap(params(0, kLat, kLon, {})));
    EXPECT_TRUE(world.runner.started.isEmpty());
}

TEST_F(MapLauncherTest, atlasZGetsPositionDividedByHundredLongitudeFirst)
{
    world.registry.setValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Qor\\AtlasZ\\InstallInfo"),
                            QStringLiteral("Directory"), QStringLiteral(" C:\\AtlasZ\\AtlasZ.exe "));
    ASSERT_TRUE(ShowAtlasZMap(params(0, kLat, kLon, address)));
    ASSERT_EQ(world.runner.started.size(), 1);
    const TCommand &c = world.runner.started.constFirst();
    EXPECT_EQ(c.CommandLine, QStringLiteral("C:\\AtlasZ\\AtlasZ.exe 5031234 1280000 0 0 0 0 2 0 ") + address);
    EXPECT_EQ(c.Program, QStringLiteral("C:\\AtlasZ\\AtlasZ.exe"));
    EXPECT_EQ(c.Arguments.constLast(), address);
}

TEST_F(MapLauncherTest, atlasZWithoutPositionSearchesTheAddress)
{
    world.registry.setValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Qor\\AtlasZ\\InstallInfo"),
                            QStringLiteral("Directory"), QStringLiteral("\"C:\\Atlas Z\\AtlasZ.exe\""));
    const std::optional<TCommand> c = AtlasZCommand(params(0, 0, kLon, address));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->CommandLine, QStringLiteral("\"C:\\Atlas Z\\AtlasZ.exe\" 5031234 0 0 0 0 0 2 1 ") + address);
    EXPECT_EQ(c->Program, QStringLiteral("C:\\Atlas Z\\AtlasZ.exe"));
    EXPECT_EQ(c->Arguments.size(), 9);
}

// ---- QorNavi ----

class QorNaviTest : public MapLauncherTest
{
protected:
    QString program;
    void SetUp() override
    {
        MapLauncherTest::SetUp();
        program = dir.path() + QStringLiteral("/bin/QorNavi.exe");
        touch(program);
        world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Qor\\QmapNet\\PC"),
                                QStringLiteral("InstallPath"), dir.path() + QStringLiteral(" "));
    }
};

TEST_F(QorNaviTest, positionGoesAsSecondsWithTwoDecimalsLongitudeFirst)
{
    ASSERT_TRUE(ShowQorNaviMap(params(0, kLat, kLon, address)));
    ASSERT_EQ(world.runner.started.size(), 1);
    EXPECT_EQ(world.runner.started.constFirst().CommandLine,
              QLatin1Char('"') + program + QStringLiteral("\" 1 tokyo second 503123.46/128000.00 g 1 0"));
}

TEST_F(QorNaviTest, addressGoesAsOneArgumentWithoutQuotes)
{
    const std::optional<TCommand> c = QorNaviCommand(params(1, kLat, kLon, address));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->CommandLine,
              QLatin1Char('"') + program + QStringLiteral("\" 3 ") + address + QStringLiteral(" g 1 0"));
    EXPECT_EQ(c->Arguments, (QStringList{"3", address, "g", "1", "0"}));
}

TEST_F(QorNaviTest, otherModeStartsNothing)
{
    EXPECT_FALSE(ShowQorNaviMap(params(2, kLat, kLon, address)));
    EXPECT_TRUE(world.runner.started.isEmpty());
}

TEST_F(QorNaviTest, missingProgramFileIsNotInstalled)
{
    QFile::remove(program);
    EXPECT_FALSE(ShowQorNaviMap(params(0, kLat, kLon, address)));
}

TEST_F(QorNaviTest, foundOnlyUnderTheMachineKey)
{
    TFakeLinkWorld other;
    other.registry.setValue(HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\Qor\\QmapNet\\PC"),
                            QStringLiteral("InstallPath"), dir.path());
    EXPECT_FALSE(QorNaviCommand(params(0, kLat, kLon, address)));
}

// ---- GrandMap ----

TEST_F(MapLauncherTest, grandMapGetsDegreesWithSixDecimalsLatitudeFirst)
{
    world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\MapNet\\GrandMap"),
                            QStringLiteral("Install Directory"), QStringLiteral("C:\\GrandMap"));
    ASSERT_TRUE(ShowGrandMap(params(0, kLat, kLon, address)));
    ASSERT_EQ(world.runner.started.size(), 1);
    const TCommand &c = world.runner.started.constFirst();
    EXPECT_EQ(c.CommandLine, QStringLiteral("\"C:\\GrandMap/GrandMap.exe\" /M 35.555556 139.756516 2500"));
    EXPECT_EQ(c.WorkDir, QStringLiteral("C:\\GrandMap/"));
}

TEST_F(MapLauncherTest, grandMapWithoutPositionSearchesTheAddress)
{
    world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\MapNet\\GrandMap"),
                            QStringLiteral("Install Directory"), QStringLiteral("C:\\GrandMap\\"));
    const std::optional<TCommand> c = GrandMapCommand(params(0, kLat, 0, address));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->CommandLine, QStringLiteral("\"C:\\GrandMap\\GrandMap.exe\" /A ") + address + QStringLiteral(" 2500"));
    EXPECT_EQ(c->Arguments, (QStringList{"/A", address, "2500"}));
}

TEST_F(MapLauncherTest, grandMapMissingKeyIsNotInstalled)
{
    EXPECT_FALSE(ShowGrandMap(params(0, kLat, kLon, address)));
}

// ---- Super Mapple starter ----

TEST_F(MapLauncherTest, mappleStarterTakesTheAddressAsOneArgument)
{
    const TCommand c = MappleKickCommand(QStringLiteral("/opt/m"), 1, kLat, kLon, address);
    EXPECT_EQ(c.CommandLine, QStringLiteral("/opt/m/MappleKick.exe /ADDRESS=") + address);
    EXPECT_EQ(c.Arguments, QStringList{QStringLiteral("/ADDRESS=") + address});
}

TEST_F(MapLauncherTest, mappleStarterWritesCoordinatesUnsigned)
{
    const TCommand c = MappleKickCommand(QStringLiteral("/opt/m/"), 0, kLat, -5, address);
    EXPECT_EQ(c.CommandLine, QStringLiteral("/opt/m/MappleKick.exe /LAT=128000000 /LON=4294967291"));
}

TEST_F(MapLauncherTest, mappleStarterWithNothingHasNoTail)
{
    EXPECT_EQ(MappleKickCommand(QStringLiteral("/opt/m/"), 1, 0, 0, {}).CommandLine,
              QStringLiteral("/opt/m/MappleKick.exe"));
}

// ---- Detection ----

class MapDetectTest : public MapLauncherTest
{
};

TEST_F(MapDetectTest, atlasMateFivePreferredAndEmptyExeIgnored)
{
    world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\SSY\\AtlasMate95\\5.0\\program"),
                            QStringLiteral("exe"), QStringLiteral("  "));
    world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\SSY\\AtlasMate95\\4.0\\program"),
                            QStringLiteral("exe"), QStringLiteral("C:\\Atlas4\\Atlas.exe"));
    QString work;
    ASSERT_TRUE(IsAtlasMateInstalled(&work));
    EXPECT_EQ(work, QStringLiteral("C:\\Atlas4\\dtmp\\"));
    world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\SSY\\AtlasMate95\\5.0\\program"),
                            QStringLiteral("exe"), QStringLiteral("D:\\Atlas5\\Atlas.exe"));
    ASSERT_TRUE(IsAtlasMateInstalled(&work));
    EXPECT_EQ(work, QStringLiteral("D:\\Atlas5\\dtmp\\"));
}

TEST_F(MapDetectTest, atlasMateDiscLabelInAnyCaseCounts)
{
    world.volumes.volumes = {{QStringLiteral("/"), QStringLiteral("root")},
                             {QStringLiteral("/media/cd"), QStringLiteral(" AtlasMATE ")}};
    QString work;
    ASSERT_TRUE(IsAtlasMateInstalled(&work));
    EXPECT_EQ(work, QStringLiteral("/media/cd/dtmp/"));
}

TEST_F(MapDetectTest, proAtlasNeedsAKeyWithASubKey)
{
    world.registry.addKey(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\ALPS\\Rdw70"));
    EXPECT_FALSE(IsProAtlasInstalled());
    world.registry.addKey(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\ALPS\\Rdw40\\Map"));
    EXPECT_TRUE(IsProAtlasInstalled());
}

TEST_F(MapDetectTest, proAtlasWTakesTheNewestVersionWhoseFilesExist)
{
    const QString app = dir.path() + QStringLiteral("/W3/PA.exe");
    touch(app);
    world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\ALPS\\PROATLASSV"),
                            QStringLiteral("installpath"), dir.path() + QStringLiteral("/missing"));
    world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\ALPS\\PROATLASSV"), QStringLiteral("AppPath"),
                            app);
    world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\ALPS\\PROATLASW3"),
                            QStringLiteral("installpath"), dir.path() + QStringLiteral("/W3"));
    world.registry.setValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\ALPS\\PROATLASW3"), QStringLiteral("AppPath"),
                            app);
    TProAtlasWInstall install;
    ASSERT_TRUE(IsProAtlasWInstalled(&install));
    EXPECT_EQ(install.Version, 3);
    EXPECT_EQ(install.InstallPath, dir.path() + QStringLiteral("/W3/"));
}

TEST_F(MapDetectTest, mapFanNeedsVersionFourOrLater)
{
    world.registry.addKey(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Increment P Corporation\\MapFan\\3.0"));
    world.registry.addKey(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Increment P Corporation\\MapFan\\Settings"));
    EXPECT_FALSE(IsMapFanInstalled());
    world.registry.addKey(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Increment P Corporation\\MapFan\\4.0"));
    EXPECT_TRUE(IsMapFanInstalled());
}

TEST_F(MapDetectTest, mappleStarterAnswersTheVersion)
{
    ScopedHome home;
    const QString kept = AppPath;
    AppPath = dir.path() + QLatin1Char('/');
    touch(AppPath + QStringLiteral("MappleKick.exe"));
    world.runner.exitCodes = {0, 1405};
    int version = 0;
    EXPECT_TRUE(IsMappleInstalled(&version));
    EXPECT_EQ(version, 14);
    ASSERT_EQ(world.runner.ran.size(), 2);
    EXPECT_EQ(world.runner.ran[0].CommandLine, AppPath + QStringLiteral("MappleKick.exe -I"));
    EXPECT_EQ(world.runner.ran[1].CommandLine, AppPath + QStringLiteral("MappleKick.exe -V"));
    AppPath = kept;
}

TEST_F(MapDetectTest, mappleVersionOneFromTheUsersRegistry)
{
    touch(dir.path() + QStringLiteral("/Mapple.exe"));
    world.registry.setValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Super Mapple\\Version 1.0.1R\\Mapple\\App"),
                            QStringLiteral("Path"), dir.path());
    int version = 0;
    EXPECT_TRUE(IsMappleInstalled(&version));
    EXPECT_EQ(version, 1);
}

// ---- What a view keeps ----

struct ViewCase
{
    const char *name;
    TMapProgramKind kind;
    int version;
    qint32 mode;
    qint32 lat;
    qint32 lon;
    const char *address;
    const char *phone;
    TMapFixUp answer;
    qint32 modeAfter;
};

class ViewFixUpTest : public ::testing::TestWithParam<ViewCase>
{
};

TEST_P(ViewFixUpTest, answersPerKind)
{
    const ViewCase &c = GetParam();
    TMapSearchParams p = params(c.mode, c.lat, c.lon, QString::fromUtf8(c.address));
    p.Phone = QString::fromUtf8(c.phone);
    TMapViewRequest request;
    EXPECT_EQ(MapViewSetSearchParams(c.kind, p, c.version, request), c.answer);
    EXPECT_EQ(request.Mode, c.modeAfter);
    EXPECT_EQ(request.ResultLatitude, c.lat);
    EXPECT_EQ(request.ResultLongitude, c.lon);
}

using K = TMapProgramKind;
using F = TMapFixUp;
INSTANTIATE_TEST_SUITE_P(
    Kinds, ViewFixUpTest,
    ::testing::Values(
        ViewCase{"atlasMateTestsThePhoneNotTheAddress", K::AtlasMate, 0, 1, 0, 0, "東京都", "", F::NothingForAddress,
                 1},
        ViewCase{"atlasMateSearchesByPhone", K::AtlasMate, 0, 0, 0, 0, "", "0312345678", F::ByAddress, 1},
        ViewCase{"negativePositionIsNone", K::MapFan, 0, 0, -5, kLon, "", "", F::NothingForPosition, 0},
        ViewCase{"proAtlasWOneCannotSearchByAddress", K::ProAtlasW, 1, 1, 0, 0, "東京都", "", F::AddressUnsupported, 1},
        ViewCase{"proAtlasWTwoSearchesByAddress", K::ProAtlasW, 2, 1, 0, 0, "東京都", "", F::ByAddress, 1},
        ViewCase{"mappleThreeDropsTheAddress", K::Mapple, 3, 1, 0, 0, "東京都", "", F::NothingForAddress, 1},
        ViewCase{"mappleOneDropsTheAddressAndAnswersFour", K::Mapple, 1, 1, 0, 0, "東京都", "", F::AddressUnsupported,
                 1},
        ViewCase{"mappleFourTurnsToAddress", K::Mapple, 4, 0, 0, 0, "東京都", "", F::ByAddress, 1},
        ViewCase{"mappleCountsNegativeCoordinates", K::Mapple, 4, 0, -5, kLon, "", "", F::ByPosition, 0}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- The launch protocol ----

class TFakeView : public IMapView
{
public:
    explicit TFakeView(QStringList &Log, TMapFixUp Answer, std::pair<qint32, qint32> Result)
        : m_log(Log)
        , m_answer(Answer)
        , m_result(Result)
    {
    }
    ~TFakeView() override { m_log << QStringLiteral("release"); }
    void SetProgramDir(const QString &) override { m_log << QStringLiteral("programDir"); }
    void SetParentWnd(QWidget *) override { m_log << QStringLiteral("parent"); }
    void CenterOnOwner(QWidget *, int HelpContext) override { m_log << QStringLiteral("centre %1").arg(HelpContext); }
    TMapFixUp SetSearchParams(const TMapSearchParams &Params) override
    {
        m_log << QStringLiteral("params hook=%1 class=%2 zoom=%3")
                     .arg(Params.HookExit)
                     .arg(Params.MapClass)
                     .arg(Params.Zoom);
        return m_answer;
    }
    int ShowModal() override
    {
        m_log << QStringLiteral("show");
        return 1;
    }
    std::pair<qint32, qint32> GetResult() const override
    {
        m_log << QStringLiteral("result");
        return m_result;
    }

private:
    QStringList &m_log;
    TMapFixUp m_answer;
    std::pair<qint32, qint32> m_result;
};

class TFakePrograms : public IMapPrograms
{
public:
    bool IsInstalled(TMapProgramKind) override
    {
        log << QStringLiteral("test");
        return installed;
    }
    std::unique_ptr<IMapView> CreateView(TMapProgramKind, QWidget *) override
    {
        log << QStringLiteral("create");
        return std::make_unique<TFakeView>(log, answer, result);
    }
    bool Launch(TMapProgramKind, const TMapSearchParams &) override
    {
        log << QStringLiteral("launch");
        return installed;
    }
    QStringList log;
    bool installed = true;
    TMapFixUp answer = TMapFixUp::ByPosition;
    std::pair<qint32, qint32> result{11, 22};
};

struct DispatchCase
{
    const char *name;
    TMapProgramKind kind;
    const char *order;
    bool positionBack;
};

class DispatchTest : public ::testing::TestWithParam<DispatchCase>
{
protected:
    ScriptedMessageBoxes boxes;
    QWidget caller;
};

TEST_P(DispatchTest, runsTheKindsStepsInOrder)
{
    TFakePrograms programs;
    TMapSearchParams p = params(0, kLat, kLon, QStringLiteral("東京都"));
    RunMapLink(GetParam().kind, p, &caller, programs, QStringLiteral("/opt/p/"), true);
    EXPECT_EQ(programs.log.join(QLatin1Char(',')), QString::fromUtf8(GetParam().order));
    EXPECT_EQ(p.Latitude == 11 && p.Longitude == 22, GetParam().positionBack);
    EXPECT_EQ(boxes.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DispatchTest,
    ::testing::Values(DispatchCase{"atlasMate", K::AtlasMate,
                                   "test,create,programDir,parent,params hook=0 class=0 "
                                   "zoom=0,show,result,release",
                                   true},
                      DispatchCase{"proAtlas2002", K::ProAtlas2002,
                                   "test,create,centre 49,params hook=0 class=0 "
                                   "zoom=0,show,result,release",
                                   true},
                      DispatchCase{"proAtlasW", K::ProAtlasW,
                                   "test,create,programDir,parent,params hook=1 class=0 "
                                   "zoom=0,show,result,release",
                                   true},
                      DispatchCase{"atlasZ", K::AtlasZ, "launch", false},
                      DispatchCase{"qorNavi", K::QorNavi, "launch", false},
                      DispatchCase{"mapFan", K::MapFan,
                                   "test,create,centre 49,params hook=0 class=0 "
                                   "zoom=0,show,result,release",
                                   true},
                      DispatchCase{"mapFanNet", K::MapFanNet,
                                   "test,create,parent,params hook=0 class=0 zoom=0,show,release", false},
                      DispatchCase{"mapFanPlanner", K::MapFanPlanner,
                                   "test,create,parent,params hook=0 class=0 zoom=0,show,release", false},
                      DispatchCase{"mapple", K::Mapple,
                                   "test,create,parent,params hook=0 class=-1 "
                                   "zoom=300,show,result,release",
                                   true},
                      DispatchCase{"grandMap", K::GrandMap, "launch", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MapDispatch, atlasMateWithNothingToShowAsksForThePhoneAndShowsNoView)
{
    ScriptedMessageBoxes boxes;
    TFakePrograms programs;
    programs.answer = TMapFixUp::NothingForPosition;
    TMapSearchParams p = params(0, 0, 0, {});
    EXPECT_EQ(RunMapLink(K::AtlasMate, p, nullptr, programs, {}, true), TMapLinkResult::NothingToShow);
    EXPECT_FALSE(programs.log.contains(QStringLiteral("show")));
    EXPECT_TRUE(programs.log.contains(QStringLiteral("release")));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("電話番号を入力してください  "));
}

TEST(MapDispatch, otherViewsWithNothingToShowStillOpen)
{
    ScriptedMessageBoxes boxes;
    TFakePrograms programs;
    programs.answer = TMapFixUp::NothingForPosition;
    TMapSearchParams p = params(0, 0, 0, {});
    EXPECT_EQ(RunMapLink(K::MapFan, p, nullptr, programs, {}, true), TMapLinkResult::Shown);
    EXPECT_EQ(boxes.count(), 0);
}

// On this machine none of the ten programs exists: each kind reports its
// own message with the information icon and starts nothing.
class NotInstalledTest : public ::testing::TestWithParam<int>
{
};

TEST_P(NotInstalledTest, reportsTheKindsMessage)
{
    ScopedHome home;
    const QString kept = AppPath;
    AppPath = home.programFolder() + QLatin1Char('/');
    TFakeRunner runner;
    TFakeVolumes volumes;
    TScopedLinkServices scope({nullptr, &runner, nullptr, &volumes}); // the real, empty registry
    ScriptedMessageBoxes boxes;
    TPlatformMapPrograms programs;
    const int kind = GetParam();
    TMapSearchParams p = params(0, kLat, kLon, QStringLiteral("東京都港区"));
    EXPECT_EQ(RunMapLink(TMapProgramKind(kind), p, nullptr, programs, AppPath, true), TMapLinkResult::Missing);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, MapMissingMessages[size_t(kind)]);
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONINFORMATION));
    EXPECT_TRUE(runner.started.isEmpty());
    EXPECT_EQ(p.Latitude, kLat);
    AppPath = kept;
}

INSTANTIATE_TEST_SUITE_P(AllKinds, NotInstalledTest, ::testing::Range(0, MapProgramCount));

} // namespace
