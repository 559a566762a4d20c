#include "LinkFakes.h"
#include "RouteFakes.h"
#include "core/PDFHelp.h"
#include "links/ExpMain.h"
#include "links/ExpSch.h"
#include "links/ExpSel.h"
#include "links/MapSearch.h"
#include "links/NoriMain.h"
#include "links/NoriSel.h"
#include "links/RoutePrograms.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace fixture;

// Map programs whose view records the position it was asked to show.
class TRecordingMaps : public IMapPrograms
{
public:
    bool IsInstalled(TMapProgramKind) override { return true; }
    std::unique_ptr<IMapView> CreateView(TMapProgramKind, QWidget *) override
    {
        ++views;
        return std::make_unique<TRecordingMapView>(given);
    }
    bool Launch(TMapProgramKind, const TMapSearchParams &) override { return true; }
    TMapSearchParams given;
    int views = 0;
};

class RouteWindowTest : public ::testing::Test
{
protected:
    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    TFakeLinkWorld world;
    TFixturePrograms programs;
    TScopedRoutePrograms useRoutes{programs};
    ScriptedMessageBoxes boxes;
    QString programFolder = home.path() + QStringLiteral("/program/");
    int keptMap = CooperateMap;

    void SetUp() override { QDir().mkpath(DataRoot); }
    void TearDown() override { CooperateMap = keptMap; }

    static void writeSettings(const QString &Section, const QList<QPair<QString, QString>> &Values)
    {
        TMemIniFile ini(SettingsFileName());
        for (const auto &[key, value] : Values)
            ini.WriteString(Section, key, value);
        ASSERT_TRUE(ini.UpdateFile());
    }
    static QString setting(const QString &Section, const QString &Key)
    {
        return TMemIniFile(SettingsFileName()).ReadString(Section, Key, QStringLiteral("<none>"));
    }
    static QStringList texts(QTreeWidget *List, int Column)
    {
        QStringList column;
        for (int i = 0; i < List->topLevelItemCount(); ++i)
            column << List->topLevelItem(i)->text(Column);
        return column;
    }
    static void selectRow(QTreeWidget *List, int Row) { List->setCurrentItem(List->topLevelItem(Row)); }

    // Runs Work on the modal dialog of type T once it is up; a dialog Work
    // leaves open is cancelled.
    template <class T>
    void whenModal(std::function<void(T *)> Work)
    {
        QTimer::singleShot(0, [Work] {
            auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            Work(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
    }
    // The picker's answer: type Text, search with Enter, take row Row.
    void pickExpert(const QString &Text, int Row = 0)
    {
        whenModal<TExpertSelectStation>([Text, Row](TExpertSelectStation *picker) {
            picker->edName->setText(Text);
            QTest::keyClick(picker->edName, Qt::Key_Return);
            picker->lvStation->setCurrentItem(picker->lvStation->topLevelItem(Row));
            QTest::mouseClick(picker->btnOK, Qt::LeftButton);
        });
    }

    // The Ekispert front end searching from the centre of the fixture.
    std::unique_ptr<TExpertMain> openExpert(qint32 Latitude = kCentreLat, qint32 Longitude = kCentreLon)
    {
        auto front = std::make_unique<TExpertMain>();
        front->SetFolders(programFolder, programFolder + QStringLiteral("Dic/"));
        EXPECT_TRUE(front->LoadStationLibrary());
        const auto [lat, lon] = ExpertPointOf(Latitude, Longitude);
        front->SetPoint(lat, lon);
        front->show();
        return front;
    }
    std::unique_ptr<TNorikaeMain> openNorikae(qint32 Latitude = kCentreLat, qint32 Longitude = kCentreLon)
    {
        auto front = std::make_unique<TNorikaeMain>();
        EXPECT_TRUE(front->InitRailServ());
        front->SetProgramDir(programFolder);
        front->SetPoint(Latitude, Longitude);
        front->show();
        return front;
    }
    void saveExpertStart()
    {
        writeSettings(QStringLiteral("EXPERT START STATION"),
                      {{QStringLiteral("KickCode"), QStringLiteral("100007")},
                       {QStringLiteral("StNameKj"), QStringLiteral("いずみ野")},
                       {QStringLiteral("StNameKn"), QStringLiteral("ｲｽﾞﾐﾉ")},
                       {QStringLiteral("Through"), QStringLiteral("17")}});
    }
    void saveConditions(const QString &RideDate)
    {
        writeSettings(QStringLiteral("EXPERT STATION SEARCH"),
                      {{QStringLiteral("LeavingStRide"), QStringLiteral("1")},
                       {QStringLiteral("Transfers"), QStringLiteral("2")},
                       {QStringLiteral("RideDate"), RideDate}});
    }
};

// ---- Ekispert

TEST_F(RouteWindowTest, expertListsTheThreeNearestStationsNearestFirst)
{
    auto front = openExpert();
    EXPECT_EQ(texts(front->lvNear, 0), (QStringList{QStringLiteral("みどり台"), QStringLiteral("さくら町"),
                                                   QStringLiteral("あおば")}));
    EXPECT_EQ(texts(front->lvNear, 3), (QStringList{QStringLiteral("北"), QStringLiteral("東"), QStringLiteral("南")}));
    ASSERT_EQ(front->NearRows().size(), 3u);
    EXPECT_EQ(front->lvNear->topLevelItem(1)->text(2), QString::asprintf("%-8d", int(front->NearRows()[1].Distance)));
    EXPECT_EQ(front->lvNear->currentItem(), front->lvNear->topLevelItem(0));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(RouteWindowTest, expertSelectingAStationListsItsLines)
{
    auto front = openExpert();
    selectRow(front->lvNear, 1);
    EXPECT_EQ(texts(front->lvRailway, 0), (QStringList{QStringLiteral("架空本線"), QStringLiteral("空想線")}));
}

TEST_F(RouteWindowTest, expertFarFromAnyStationSaysSoAndCannotStart)
{
    saveExpertStart();
    auto front = openExpert(kCentreLat + 200 * kKmNorth);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("半径 10km 以内に駅は見つかりませんでした  "));
    EXPECT_EQ(front->lvNear->topLevelItemCount(), 0);
    EXPECT_FALSE(front->btnStartUp->isEnabled());
}

TEST_F(RouteWindowTest, expertStartNeedsADepartureStation)
{
    auto front = openExpert();
    EXPECT_FALSE(front->btnStartUp->isEnabled());
    pickExpert(QStringLiteral("いず"));
    QTest::mouseClick(front->bbtnStart, Qt::LeftButton);
    EXPECT_EQ(texts(front->lvStart, 0), QStringList{QStringLiteral("いずみ野")});
    EXPECT_EQ(front->StartStation().KickCode, QStringLiteral("100007"));
    EXPECT_TRUE(front->btnStartUp->isEnabled());
}

TEST_F(RouteWindowTest, expertStartHandsTheStarterItsExactCommandLine)
{
    saveExpertStart();
    saveConditions(QStringLiteral("20991231"));
    auto front = openExpert();
    selectRow(front->lvNear, 1);
    QTest::mouseClick(front->btnStartUp, Qt::LeftButton);
    ASSERT_EQ(world.runner.started.size(), 1);
    const TCommand &command = world.runner.started.first();
    const QString program = programFolder + QStringLiteral("Exp_kick.exe");
    EXPECT_EQ(command.Program, program);
    EXPECT_EQ(command.Arguments, (QStringList{QStringLiteral("-d20991231"), QStringLiteral("-c0120000"),
                                             QStringLiteral("100007"), QStringLiteral("100002")}));
    EXPECT_EQ(command.CommandLine, QLatin1Char('"') + program + QStringLiteral("\" -d20991231 -c0120000 100007 100002"));
    EXPECT_EQ(boxes.count(), 0);
}

// A departure code read back from the settings file is data, never an option
// of the starter: neither a blank nor a leading "-" may add an argument.
TEST_F(RouteWindowTest, expertADepartureCodeCannotAddArgumentsToTheStarter)
{
    for (const QString &code : {QStringLiteral("1 -q"), QStringLiteral("-q"), QStringLiteral("1\t-q")}) {
        world.runner.started.clear();
        writeSettings(QStringLiteral("EXPERT START STATION"),
                      {{QStringLiteral("KickCode"), code}, {QStringLiteral("StNameKj"), QStringLiteral("いずみ野")}});
        auto front = openExpert();
        selectRow(front->lvNear, 1);
        QTest::mouseClick(front->btnStartUp, Qt::LeftButton);
        for (const TCommand &command : std::as_const(world.runner.started)) {
            EXPECT_EQ(command.Arguments.size(), 4) << qPrintable(code);
            for (const QString &argument : command.Arguments)
                EXPECT_FALSE(argument.startsWith(QStringLiteral("-q"))) << qPrintable(code);
        }
        front.reset();
    }
}

TEST_F(RouteWindowTest, expertWithoutARideDateStartsWithToday)
{
    saveExpertStart();
    saveConditions(QString());
    auto front = openExpert();
    QTest::mouseClick(front->btnStartUp, Qt::LeftButton);
    ASSERT_EQ(world.runner.started.size(), 1);
    EXPECT_EQ(world.runner.started.first().Arguments.first(),
              QStringLiteral("-d") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
}

TEST_F(RouteWindowTest, expertAStartedSearchKeepsTheDepartureStationChosen)
{
    auto front = openExpert();
    pickExpert(QStringLiteral("ｲｽﾞ"));
    QTest::mouseClick(front->bbtnStart, Qt::LeftButton);
    QTest::mouseClick(front->btnStartUp, Qt::LeftButton);
    EXPECT_EQ(setting(QStringLiteral("EXPERT START STATION"), QStringLiteral("KickCode")), QStringLiteral("100007"));
    EXPECT_EQ(setting(QStringLiteral("EXPERT START STATION"), QStringLiteral("Kana")), QStringLiteral("ｲｽﾞ"));
}

TEST_F(RouteWindowTest, expertMissingStarterIsReportedAndNothingSaved)
{
    TQProcessRunner real;
    TScopedLinkServices realProcesses(TLinkServicesSet{nullptr, &real, nullptr, nullptr});
    auto front = openExpert();
    pickExpert(QStringLiteral("ｲｽﾞ"));
    QTest::mouseClick(front->bbtnStart, Qt::LeftButton);
    QTest::mouseClick(front->btnStartUp, Qt::LeftButton);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("駅すぱあとが起動できませんでした  "));
    EXPECT_EQ(boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONWARNING));
    EXPECT_FALSE(front->Started());
    EXPECT_EQ(setting(QStringLiteral("EXPERT START STATION"), QStringLiteral("KickCode")), QStringLiteral("<none>"));
}

TEST_F(RouteWindowTest, expertClosingAfterAStartAsksTheRouteProgramToQuit)
{
    saveExpertStart();
    auto front = openExpert();
    QTest::mouseClick(front->btnStartUp, Qt::LeftButton);
    front.reset();
    ASSERT_EQ(world.runner.started.size(), 2);
    EXPECT_EQ(world.runner.started.last().Arguments, QStringList{QStringLiteral("-q")});
}

TEST_F(RouteWindowTest, expertClosingWithoutAStartLeavesTheRouteProgramAlone)
{
    auto front = openExpert();
    front.reset();
    EXPECT_TRUE(world.runner.started.isEmpty());
}

TEST_F(RouteWindowTest, expertAChosenDestinationReplacesTheEarlierChoice)
{
    auto front = openExpert();
    pickExpert(QStringLiteral("ｶｴ"));
    QTest::mouseClick(front->bbtnNear, Qt::LeftButton);
    pickExpert(QStringLiteral("ｻｸﾗﾀﾞ"));
    QTest::mouseClick(front->bbtnNear, Qt::LeftButton);
    EXPECT_EQ(texts(front->lvNear, 0), (QStringList{QStringLiteral("みどり台"), QStringLiteral("さくら町"),
                                                   QStringLiteral("あおば"), QStringLiteral("さくら台")}));
    EXPECT_EQ(front->lvNear->topLevelItem(3)->text(2), QString());
    EXPECT_EQ(front->lvNear->currentItem(), front->lvNear->topLevelItem(3));
    EXPECT_EQ(texts(front->lvRailway, 0), QStringList{QStringLiteral("夢見電鉄")});
}

TEST_F(RouteWindowTest, expertWithoutPositionStillTakesAChosenDestination)
{
    auto front = openExpert(0, 0);
    EXPECT_EQ(boxes.count(), 0);
    pickExpert(QStringLiteral("ｱｵ"));
    QTest::mouseClick(front->bbtnNear, Qt::LeftButton);
    EXPECT_EQ(texts(front->lvNear, 0), QStringList{QStringLiteral("あおば")});
}

TEST_F(RouteWindowTest, expertMapButtonShowsTheFoundStationByItsPosition)
{
    TRecordingMaps maps;
    TScopedMapPrograms useMaps(maps);
    CooperateMap = int(TMapProgramKind::MapFan);
    auto front = openExpert();
    selectRow(front->lvNear, 2);
    QTest::mouseClick(front->bbtnMap, Qt::LeftButton);
    ASSERT_EQ(maps.views, 1);
    EXPECT_EQ(maps.given.Mode, 0);
    EXPECT_EQ(maps.given.Latitude, FromMapFanUnits(ToMapFanUnits(kCentreLat - 3 * kKmNorth)));
    EXPECT_EQ(maps.given.Longitude, FromMapFanUnits(ToMapFanUnits(kCentreLon)));
}

TEST_F(RouteWindowTest, expertMapButtonIgnoresAChosenStation)
{
    TRecordingMaps maps;
    TScopedMapPrograms useMaps(maps);
    CooperateMap = int(TMapProgramKind::MapFan);
    auto front = openExpert();
    pickExpert(QStringLiteral("ｶｴ"));
    QTest::mouseClick(front->bbtnNear, Qt::LeftButton);
    QTest::mouseClick(front->bbtnMap, Qt::LeftButton);
    EXPECT_EQ(maps.views, 0);
}

TEST_F(RouteWindowTest, expertConditionsAreEditedAndStored)
{
    writeSettings(QStringLiteral("EXPERT STATION SEARCH"), {{QStringLiteral("JRRailway"), QStringLiteral("3")}});
    auto front = openExpert();
    whenModal<TExpertSearchCondition>([](TExpertSearchCondition *dialog) {
        // Out of range in the settings: the first choice.
        EXPECT_TRUE(dialog->rbConditions[size_t(TExpertCondition::JRRailway)][0]->isChecked());
        QTest::mouseClick(dialog->rbConditions[size_t(TExpertCondition::Airway)][2], Qt::LeftButton);
        dialog->dtpRideDate->setDate(QDate(2099, 5, 6));
        (void)saveScreenshot(dialog, QStringLiteral("ExpertSearchCondition"));
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(front->btnCondition, Qt::LeftButton);
    EXPECT_EQ(front->SearchCondition().Values[size_t(TExpertCondition::Airway)], 2);
    EXPECT_EQ(front->SearchCondition().RideDate, QStringLiteral("20990506"));
    EXPECT_EQ(setting(QStringLiteral("EXPERT STATION SEARCH"), QStringLiteral("Airway")), QStringLiteral("2"));
    EXPECT_EQ(setting(QStringLiteral("EXPERT STATION SEARCH"), QStringLiteral("RideDate")), QStringLiteral("20990506"));
    EXPECT_TRUE(front->btnCondition->isEnabled());
}

TEST_F(RouteWindowTest, expertConditionsChosenInTheDialogGoIntoTheCommandLine)
{
    saveExpertStart();
    auto front = openExpert();
    whenModal<TExpertSearchCondition>([](TExpertSearchCondition *dialog) {
        QTest::mouseClick(dialog->rbConditions[size_t(TExpertCondition::FirstTrainSt)][1], Qt::LeftButton);
        QTest::mouseClick(dialog->rbConditions[size_t(TExpertCondition::Airway)][2], Qt::LeftButton);
        dialog->dtpRideDate->setDate(QDate(2099, 5, 6));
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(front->btnCondition, Qt::LeftButton);
    pickExpert(QStringLiteral("ﾜｶ"));
    QTest::mouseClick(front->bbtnNear, Qt::LeftButton);
    // わかば has no lines, so the route cannot start from it.
    EXPECT_FALSE(front->btnStartUp->isEnabled());
    selectRow(front->lvNear, 0);
    QTest::mouseClick(front->btnStartUp, Qt::LeftButton);
    ASSERT_EQ(world.runner.started.size(), 1);
    EXPECT_EQ(world.runner.started.first().Arguments, (QStringList{QStringLiteral("-d20990506"),
                                                                   QStringLiteral("-c1000002"),
                                                                   QStringLiteral("100007"), QStringLiteral("100001")}));
}

TEST_F(RouteWindowTest, expertCancelledConditionsChangeNothing)
{
    auto front = openExpert();
    whenModal<TExpertSearchCondition>([](TExpertSearchCondition *dialog) {
        QTest::mouseClick(dialog->rbConditions[size_t(TExpertCondition::Airway)][2], Qt::LeftButton);
    });
    QTest::mouseClick(front->btnCondition, Qt::LeftButton);
    EXPECT_EQ(front->SearchCondition(), TExpertConditions{});
    EXPECT_EQ(setting(QStringLiteral("EXPERT STATION SEARCH"), QStringLiteral("Airway")), QStringLiteral("<none>"));
}

TEST_F(RouteWindowTest, expertWindowScreenshot)
{
    saveExpertStart();
    auto front = openExpert();
    (void)saveScreenshot(front.get(), QStringLiteral("ExpertMain"));
    EXPECT_TRUE(front->btnStartUp->isEnabled());
}

// ---- Ekispert picker

class ExpertPickerTest : public RouteWindowTest
{
protected:
    TMemoryStationIndex index{Stations()};
};

TEST_F(ExpertPickerTest, aKanaRowListsItsStations)
{
    TExpertSelectStation picker(index);
    picker.show();
    picker.cbxKana->setCurrentIndex(9); // わ行
    EXPECT_TRUE(picker.rbKana->isChecked());
    EXPECT_EQ(texts(picker.lvStation, 0), QStringList{QStringLiteral("わかば")});
    picker.cbxKana->setCurrentIndex(2); // さ行
    EXPECT_EQ(texts(picker.lvStation, 0), (QStringList{QStringLiteral("さくら台"), QStringLiteral("さくら町")}));
}

TEST_F(ExpertPickerTest, aRememberedNameSearchesAgainAndSelectsTheRememberedRow)
{
    TExpertSelectStInfo record;
    record.Kana = QStringLiteral("ｻｸﾗ");
    record.KanaIndex = 4;
    record.ListIndex = 1;
    TExpertSelectStation picker(index);
    picker.SetRecord(record);
    picker.show();
    EXPECT_TRUE(picker.rbName->isChecked());
    EXPECT_EQ(picker.edName->text(), QStringLiteral("ｻｸﾗ"));
    EXPECT_EQ(picker.cbxKana->currentIndex(), 4);
    EXPECT_EQ(picker.lvStation->topLevelItemCount(), 2);
    EXPECT_EQ(picker.lvStation->currentItem(), picker.lvStation->topLevelItem(1));
    (void)saveScreenshot(&picker, QStringLiteral("ExpertSelectStation"));
}

TEST_F(ExpertPickerTest, okTakesTheStationWithThePickerState)
{
    TExpertSelectStation picker(index);
    picker.show();
    picker.edName->setText(QStringLiteral("さくら"));
    QTest::keyClick(picker.edName, Qt::Key_Return);
    selectRow(picker.lvStation, 1);
    QTest::mouseClick(picker.btnOK, Qt::LeftButton);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.Record().StNameKj, QStringLiteral("さくら町"));
    EXPECT_EQ(picker.Record().ListIndex, 1);
    EXPECT_EQ(picker.Record().Kana, QStringLiteral("さくら"));
}

TEST_F(ExpertPickerTest, okWithoutASelectedRowIsACancel)
{
    TExpertSelectStation picker(index);
    picker.show();
    picker.edName->setText(QStringLiteral("ﾝﾝ"));
    QTest::keyClick(picker.edName, Qt::Key_Return);
    ASSERT_EQ(picker.lvStation->topLevelItemCount(), 0);
    QTest::mouseClick(picker.btnOK, Qt::LeftButton);
    EXPECT_EQ(picker.result(), QDialog::Rejected);
}

struct KanaKeyCase {
    const char *name;
    const char16_t *typed;
    const char16_t *key;
};

class ExpertKanaKeyTest : public ::testing::TestWithParam<KanaKeyCase>
{
};

TEST_P(ExpertKanaKeyTest, typedKanaBecomesTheIndexKey)
{
    EXPECT_EQ(ExpertKanaKey(QString::fromUtf16(GetParam().typed)), QString::fromUtf16(GetParam().key));
}

INSTANTIATE_TEST_SUITE_P(Picker, ExpertKanaKeyTest,
                         ::testing::Values(KanaKeyCase{"hiragana", u"さくら", u"ｻｸﾗ"},
                                           KanaKeyCase{"voicedHiragana", u"だい", u"ﾀﾞｲ"},
                                           KanaKeyCase{"fullWidthKatakana", u"ミドリ", u"ﾐﾄﾞﾘ"},
                                           KanaKeyCase{"halfWidthStays", u"ｱｵﾊﾞ", u"ｱｵﾊﾞ"},
                                           KanaKeyCase{"blanksTrimmed", u" あお ", u"ｱｵ"}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Norikae Annai

TEST_F(RouteWindowTest, norikaeListsTheNearestStationsWithDistanceAndDirection)
{
    auto front = openNorikae();
    EXPECT_EQ(texts(front->lvNear, 0), (QStringList{QStringLiteral("みどり台"), QStringLiteral("さくら町"),
                                                   QStringLiteral("あおば")}));
    EXPECT_EQ(texts(front->lvNear, 2), (QStringList{QStringLiteral("北"), QStringLiteral("東"), QStringLiteral("南")}));
    EXPECT_EQ(front->lvNear->topLevelItem(0)->text(1), QString::asprintf("%-8d", int(front->Nodes()[0].Distance)));
    ASSERT_NE(programs.railServ, nullptr);
    EXPECT_EQ(programs.railServ->detected, qMakePair(3, 10000));
}

TEST_F(RouteWindowTest, norikaeFarFromAnyStationSaysSo)
{
    auto front = openNorikae(kCentreLat + 200 * kKmNorth);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("半径10km以内に駅は見つかりませんでした  "));
    EXPECT_FALSE(front->btnStartUp->isEnabled());
}

TEST_F(RouteWindowTest, norikaeMissingProgramIsReportedAndNotShown)
{
    TNorikaeMain front;
    programs.railServ = nullptr;
    struct TNone : TFixturePrograms {
        std::unique_ptr<IRailServ> CreateRailServ() override { return nullptr; }
    } none;
    TScopedRoutePrograms useNone(none);
    EXPECT_FALSE(front.InitRailServ());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("乗換案内がインストールされていません  "));
}

TEST_F(RouteWindowTest, norikaeStartHandsBothStationsToTheRouteProgramAndKeepsTheDeparture)
{
    writeSettings(QStringLiteral("NORIKAE START STATION"),
                  {{QStringLiteral("Name"), QStringLiteral("いず")}, {QStringLiteral("Station"), QStringLiteral("いずみ野")}});
    auto front = openNorikae();
    selectRow(front->lvNear, 1);
    ASSERT_TRUE(front->btnStartUp->isEnabled());
    QTest::mouseClick(front->btnStartUp, Qt::LeftButton);
    ASSERT_NE(programs.railServ, nullptr);
    EXPECT_EQ(programs.railServ->searches, 1);
    EXPECT_EQ(programs.railServ->eki.mid(6), (QList<QPair<int, QString>>{{0, QStringLiteral("いずみ野")},
                                                                         {1, QStringLiteral("さくら町")}}));
    EXPECT_EQ(setting(QStringLiteral("NORIKAE START STATION"), QStringLiteral("Station")), QStringLiteral("いずみ野"));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(RouteWindowTest, norikaeAFailedSearchIsReportedAndTheDepartureNotSaved)
{
    programs.failSearch = true;
    auto front = openNorikae();
    whenModal<TNorikaeSelectStation>([](TNorikaeSelectStation *picker) {
        picker->edName->setText(QStringLiteral("いず"));
        QTest::keyClick(picker->edName, Qt::Key_Return);
        QTest::mouseClick(picker->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(front->bbtnStart, Qt::LeftButton);
    QTest::mouseClick(front->btnStartUp, Qt::LeftButton);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("乗換案内が起動できませんでした  "));
    EXPECT_EQ(setting(QStringLiteral("NORIKAE START STATION"), QStringLiteral("Station")), QStringLiteral("<none>"));
}

TEST_F(RouteWindowTest, norikaeAChosenDestinationReplacesTheEarlierChoice)
{
    auto front = openNorikae();
    for (const QString &typed : {QStringLiteral("かえ"), QStringLiteral("わか")}) {
        whenModal<TNorikaeSelectStation>([typed](TNorikaeSelectStation *picker) {
            picker->edName->setText(typed);
            QTest::keyClick(picker->edName, Qt::Key_Return);
            QTest::mouseClick(picker->btnOK, Qt::LeftButton);
        });
        QTest::mouseClick(front->bbtnNear, Qt::LeftButton);
    }
    EXPECT_EQ(texts(front->lvNear, 0), (QStringList{QStringLiteral("みどり台"), QStringLiteral("さくら町"),
                                                   QStringLiteral("あおば"), QStringLiteral("わかば")}));
    EXPECT_EQ(front->NearChoice().Station, QStringLiteral("わかば"));
    EXPECT_FALSE(front->bbtnMap->isEnabled());
    (void)saveScreenshot(front.get(), QStringLiteral("NorikaeMain"));
}

TEST_F(RouteWindowTest, norikaePickerThatCannotStartIsReportedAndNotShown)
{
    programs.annaiInit = -1;
    auto front = openNorikae();
    QTest::mouseClick(front->bbtnStart, Qt::LeftButton);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("乗換案内が起動できませんでした  "));
    EXPECT_EQ(boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONERROR));
}

TEST_F(RouteWindowTest, norikaePickerSelectsTheFirstRowWhenTheRememberedOneIsGone)
{
    TNorikaeSelectStation picker;
    ASSERT_TRUE(picker.Init());
    picker.SetRecord({QStringLiteral("さくら"), 5, QStringLiteral("さくら台")});
    picker.show();
    EXPECT_EQ(picker.lvStation->topLevelItemCount(), 2);
    EXPECT_EQ(picker.lvStation->currentItem(), picker.lvStation->topLevelItem(0));
    (void)saveScreenshot(&picker, QStringLiteral("NorikaeSelectStation"));
}

TEST_F(RouteWindowTest, norikaePickerWithoutARememberedNameOpensEmpty)
{
    TNorikaeSelectStation picker;
    ASSERT_TRUE(picker.Init());
    picker.show();
    EXPECT_EQ(picker.lvStation->topLevelItemCount(), 0);
    EXPECT_TRUE(picker.edName->text().isEmpty());
}

TEST_F(RouteWindowTest, norikaeMapButtonShowsTheStationUnconverted)
{
    TRecordingMaps maps;
    TScopedMapPrograms useMaps(maps);
    CooperateMap = int(TMapProgramKind::MapFan);
    auto front = openNorikae();
    selectRow(front->lvNear, 1);
    QTest::mouseClick(front->bbtnMap, Qt::LeftButton);
    ASSERT_EQ(maps.views, 1);
    EXPECT_EQ(maps.given.Latitude, kCentreLat);
    EXPECT_EQ(maps.given.Longitude, kCentreLon + 2 * kKmEast);
}

TEST_F(RouteWindowTest, thePickersAndTheConditionsAnswerF1WithTheContextsTheFormGave)
{
    // Contexts of their own here, to tell which one each window took.
    auto expert = openExpert();
    expert->SetHelpContexts(50, 51, 49, 49);
    int picker = -1;
    int condition = -1;
    whenModal<TExpertSelectStation>([&picker](TExpertSelectStation *dialog) { picker = HelpContextOf(dialog); });
    QTest::mouseClick(expert->bbtnNear, Qt::LeftButton);
    whenModal<TExpertSearchCondition>(
        [&condition](TExpertSearchCondition *dialog) { condition = HelpContextOf(dialog); });
    QTest::mouseClick(expert->btnCondition, Qt::LeftButton);
    EXPECT_EQ(picker, 50);
    EXPECT_EQ(condition, 51);

    auto norikae = openNorikae();
    norikae->SetHelpContexts(52, 49, 49);
    int norikaePicker = -1;
    whenModal<TNorikaeSelectStation>(
        [&norikaePicker](TNorikaeSelectStation *dialog) { norikaePicker = HelpContextOf(dialog); });
    QTest::mouseClick(norikae->bbtnNear, Qt::LeftButton);
    EXPECT_EQ(norikaePicker, 52);
}

} // namespace
