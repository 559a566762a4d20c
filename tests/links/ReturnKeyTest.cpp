// Return in the windows of the map, route and web links, pressed where a
// person presses it: from a field, as each window lays down, to the button
// that acts (検索, OK, 検索開始), which Return then presses; and on any
// focused button, that button alone.

#include "LinkFakes.h"
#include "RouteFakes.h"
#include "links/ExpMain.h"
#include "links/ExpSch.h"
#include "links/ExpSel.h"
#include "links/NoriMain.h"
#include "links/NoriSel.h"
#include "links/QRMap.h"
#include "links/RoutePrograms.h"
#include "links/WebSch.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/ReturnWalk.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include <gtest/gtest.h>

namespace {

using namespace fixture;

// The link windows over the station fixture, a recording world of outside
// programs and URLs, and a departure each route program remembers.
class LinkWindows : public ::testing::Test
{
public:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        TMemIniFile ini(SettingsFileName());
        ini.WriteString(QStringLiteral("EXPERT START STATION"), QStringLiteral("KickCode"), QStringLiteral("100007"));
        ini.WriteString(QStringLiteral("EXPERT START STATION"), QStringLiteral("StNameKj"), QStringLiteral("いずみ野"));
        ini.WriteString(QStringLiteral("NORIKAE START STATION"), QStringLiteral("Name"), QStringLiteral("いず"));
        ini.WriteString(QStringLiteral("NORIKAE START STATION"), QStringLiteral("Station"), QStringLiteral("いずみ野"));
        ASSERT_TRUE(ini.UpdateFile());
    }

    std::shared_ptr<QWidget> expertRoute()
    {
        auto front = std::make_shared<TExpertMain>();
        front->SetFolders(programFolder, programFolder + QStringLiteral("Dic/"));
        EXPECT_TRUE(front->LoadStationLibrary());
        const auto [lat, lon] = ExpertPointOf(kCentreLat, kCentreLon);
        front->SetPoint(lat, lon);
        return front;
    }
    std::shared_ptr<QWidget> norikaeRoute()
    {
        auto front = std::make_shared<TNorikaeMain>();
        EXPECT_TRUE(front->InitRailServ());
        front->SetProgramDir(programFolder);
        front->SetPoint(kCentreLat, kCentreLon);
        return front;
    }
    std::shared_ptr<QWidget> norikaePicker()
    {
        auto picker = std::make_shared<TNorikaeSelectStation>();
        EXPECT_TRUE(picker->Init());
        return picker;
    }

    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    TFakeLinkWorld world;
    TFixturePrograms programs;
    TScopedRoutePrograms useRoutes{programs};
    ScriptedMessageBoxes boxes;
    TMemoryStationIndex index{Stations()};
    QString programFolder = home.path() + QStringLiteral("/program/");
};

using WalkCase = TReturnWalk<LinkWindows>;

class ReturnWalks : public TReturnWalks<LinkWindows>
{
};

// A station list the walk starts in has its second station picked first.
TEST_P(ReturnWalks, toTheActionAndDoesIt)
{
    walk([](QWidget *control) {
        if (auto *list = qobject_cast<QTreeWidget *>(control); list && list->topLevelItemCount() > 1)
            list->setCurrentItem(list->topLevelItem(1));
    });
}

using L = LinkWindows;

INSTANTIATE_TEST_SUITE_P(
    Links, ReturnWalks,
    ::testing::Values(
        WalkCase{"webSearch", [](L &) { return std::shared_ptr<QWidget>(std::make_shared<TWebSearch>()); }, "edtWord",
                 u"東京駅", {"cbxEngine", "bbtnSearch"},
                 [](L &f, QWidget &) {
                     if (f.world.urls.opened.size() != 1)
                         return ::testing::AssertionFailure() << f.world.urls.opened.size() << " pages opened";
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"qrCodeSize", [](L &) { return std::shared_ptr<QWidget>(std::make_shared<TQRCodeMap>()); }, "udSize",
                 nullptr, {"btnClose"},
                 [](L &, QWidget &w) {
                     if (w.isVisible())
                         return ::testing::AssertionFailure() << "the dialog stays open";
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"expertPicker",
                 [](L &f) { return std::shared_ptr<QWidget>(std::make_shared<TExpertSelectStation>(f.index)); },
                 "edName", u"さくら", {"lvStation", "btnOK"},
                 DialogAcceptedAnd([](QWidget &w) {
                     if (static_cast<TExpertSelectStation &>(w).Record().StNameKj.isEmpty())
                         return ::testing::AssertionFailure() << "no station taken";
                     return ::testing::AssertionSuccess();
                 })},
        WalkCase{"norikaePicker", [](L &f) { return f.norikaePicker(); }, "edName", u"さくら", {"lvStation", "btnOK"},
                 DialogAcceptedAnd([](QWidget &w) {
                     if (static_cast<TNorikaeSelectStation &>(w).Record().Station.isEmpty())
                         return ::testing::AssertionFailure() << "no station taken";
                     return ::testing::AssertionSuccess();
                 })},
        WalkCase{"expertConditions",
                 [](L &) { return std::shared_ptr<QWidget>(std::make_shared<TExpertSearchCondition>()); },
                 "dtpRideDate", nullptr, {"btnOK"}, DialogAccepted},
        // The route windows: the lines lead to 検索開始, which starts the
        // route program.
        WalkCase{"expertRoute", [](L &f) { return f.expertRoute(); }, "lvRailway", nullptr, {"btnStartUp"},
                 [](L &f, QWidget &) {
                     if (f.world.runner.started.size() != 1)
                         return ::testing::AssertionFailure() << f.world.runner.started.size() << " programs started";
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"norikaeRoute", [](L &f) { return f.norikaeRoute(); }, "lvStart", nullptr, {"btnStartUp"},
                 [](L &f, QWidget &) {
                     if (!f.programs.railServ || f.programs.railServ->searches != 1)
                         return ::testing::AssertionFailure() << "the route program searched nothing";
                     return ::testing::AssertionSuccess();
                 }}),
    rowName);

// ---- A focused button takes Return itself ------------------------------------

using ButtonsCase = TButtonsRow<LinkWindows>;

class ReturnOnAButton : public TReturnOnAButton<LinkWindows>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    pressEachButton();
}

INSTANTIATE_TEST_SUITE_P(
    Links, ReturnOnAButton,
    ::testing::Values(
        ButtonsCase{"webSearch", [](L &) { return std::shared_ptr<QWidget>(std::make_shared<TWebSearch>()); }},
        ButtonsCase{"qrCode", [](L &) { return std::shared_ptr<QWidget>(std::make_shared<TQRCodeMap>()); }},
        ButtonsCase{"expertPicker",
                    [](L &f) { return std::shared_ptr<QWidget>(std::make_shared<TExpertSelectStation>(f.index)); }},
        ButtonsCase{"norikaePicker", [](L &f) { return f.norikaePicker(); }},
        ButtonsCase{"expertConditions",
                    [](L &) { return std::shared_ptr<QWidget>(std::make_shared<TExpertSearchCondition>()); }},
        ButtonsCase{"expertRoute", [](L &f) { return f.expertRoute(); }},
        ButtonsCase{"norikaeRoute", [](L &f) { return f.norikaeRoute(); }}),
    rowName);

} // namespace
