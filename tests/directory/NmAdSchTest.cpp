#include "core/Env.h"
#include "directory/NmAdSch.h"
#include "directory/WqareaWriter.h"
#include "platform/Cp932.h"
#include "platform/dic/wqarea17/WqareaSchema.h"

#include "support/DicProgramFolder.h"
#include "support/FailingDisk.h"
#include "support/KeyInput.h"
#include "support/Screenshot.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/UnreadableNotices.h"
#include "support/TestEnvironment.h"

#include "directory/EItmSel.h"
#include "directory/SchArea.h"
#include "directory/TntNMDic.h"
#include "platform/Colors.h"
#include "platform/IniFile.h"
#include "widgets/NMDEdit.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QSplitter>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTextCharFormat>
#include <QTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

// The directory search window over the real directory library, the address
// dictionary excerpt and a made-up 東京都 region on a "disc": 5 listings in
// 13101 and 45 in 13206, all named 見本.

namespace {

class NmAdSchTest : public ::testing::Test {
protected:
    NmAdSchTest()
        : m_keptUse(UseArea), m_keptOnDisk(AreaOnDisk), m_keptPath(SearchDataPath), m_keptData(DataPath),
          m_keptHisCount(HisCount)
    {
        UseArea.fill(false);
        UseArea[3] = true;
        AreaOnDisk.fill(false);
        DataRoot = home.settingsRoot() + QLatin1Char('/');
        QDir().mkpath(DataRoot);
        DataPath = DataRoot + QStringLiteral("Data/");
        QDir().mkpath(DataPath);
        HisCount = 10;
        SearchDataPath = disc.path();
        writeRegion();
        window = new TNameAdrsSearch;
        window->show();
    }
    ~NmAdSchTest() override
    {
        delete window;
        UseArea = m_keptUse;
        AreaOnDisk = m_keptOnDisk;
        SearchDataPath = m_keptPath;
        DataPath = m_keptData;
        HisCount = m_keptHisCount;
    }
    void writeRegion()
    {
        const QString folder = disc.filePath(QStringLiteral("Murven19/Dt03/"));
        ASSERT_TRUE(QDir().mkpath(folder));
        TWqareaWriter writer;
        ASSERT_TRUE(writer.Open(folder + QString::fromLatin1(WqareaDataFileName)));
        std::int64_t key = 0;
        auto add = [&](const char *city, const QString &name, int kind) {
            TWqareaListing l;
            l.Key = ++key;
            l.Phone = "03" + std::to_string(30000000 + key);
            l.PhoneKind = kind;
            l.Name = Cp932::encode(name).toStdString();
            l.Pref = Cp932::encode(QStringLiteral("東京都")).toStdString();
            l.City = Cp932::encode(QStringLiteral("架空市")).toStdString();
            l.CityCode = city;
            l.TownCode = "001001";
            l.ListingKind = 99;
            l.FirstMonth = "200304";
            ASSERT_TRUE(writer.Add(l));
        };
        for (int i = 1; i <= 5; ++i)
            add("13101", QStringLiteral("見本試験%1").arg(i), i == 2 ? 1 : 0);
        for (int i = 1; i <= 45; ++i)
            add("13206", QStringLiteral("見本花子%1").arg(i), 0);
        ASSERT_TRUE(writer.Finish());
    }
    template <class T>
    T *find(const char *name)
    {
        T *w = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Clicks a button and waits for the run it starts.
    bool run(const char *button)
    {
        QSignalSpy finished(window, &TNameAdrsSearch::RunFinished);
        find<QPushButton>(button)->click();
        return finished.wait(5000);
    }
    // Types into the name entry in use (the history combo, or the plain edit).
    void setName(const QString &name) { window->NameEdit()->setText(name); }
    bool search(const QString &name)
    {
        setName(name);
        return run("bbtnSearch");
    }
    QString cell(int row, int column)
    {
        return window->ResultModel()->index(row, column).data().toString();
    }

    ScopedHome home;
    TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
    ScriptedMessageBoxes boxes;
    QTemporaryDir disc;
    TNameAdrsSearch *window = nullptr;

private:
    std::array<bool, AreaCount + 1> m_keptUse;
    std::array<bool, AreaCount + 1> m_keptOnDisk;
    QString m_keptPath;
    QString m_keptData;
    int m_keptHisCount;
};

TEST_F(NmAdSchTest, opensAsTheOneTopLevelWindowWithTheRegionsInUse)
{
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(NameAdrsSearchWindow, window);
    EXPECT_EQ(ShowNameAdrsSearch(), window);
    EXPECT_EQ(find<QListWidget>("lbxTdfkn")->count(), 1); // 東京都 alone
    EXPECT_EQ(window->StatusText(0), QStringLiteral("検索条件："));
}

TEST_F(NmAdSchTest, aSearchShowsTheFirstPageWithItsStatusPanels)
{
    ASSERT_TRUE(search(QStringLiteral("見本")));
    EXPECT_EQ(window->GetHitCount(), 20);
    const std::vector<std::pair<int, QString>> panels{{1, QStringLiteral("前方一致")},
                                                      {2, QStringLiteral("両方")},
                                                      {3, QStringLiteral("通Ｆ兼代")},
                                                      {4, QStringLiteral("指定しない")},
                                                      {6, QStringLiteral("検索")},
                                                      {7, QStringLiteral(" 件数： 20")},
                                                      {8, QStringLiteral("検索完了")},
                                                      {10, QStringLiteral(" 表示ページ： 1")},
                                                      {11, QStringLiteral(" 検索総件数： 20")}};
    for (const auto &[panel, text] : panels)
        EXPECT_EQ(window->StatusText(panel), text) << panel;
    EXPECT_EQ(cell(0, 0), QStringLiteral("1"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("Fax"));
    EXPECT_EQ(cell(0, 3), QStringLiteral("見本試験1"));
    EXPECT_EQ(cell(0, 5), QStringLiteral("2003年04月"));
    EXPECT_FALSE(find<QPushButton>("bbtnPrior")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("bbtnNext")->isEnabled());
    QAbstractItemModelTester tester(window->ResultModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
    saveScreenshot(window, QStringLiteral("NameAdrsSearch-hits"));
}

TEST_F(NmAdSchTest, nextPagesCountOnUntilTheLastAndPriorGoesBack)
{
    ASSERT_TRUE(search(QStringLiteral("見本")));
    ASSERT_TRUE(run("bbtnNext"));
    ASSERT_TRUE(run("bbtnNext"));
    EXPECT_EQ(window->GetHitCount(), 10);
    EXPECT_EQ(cell(0, 0), QStringLiteral("41"));
    EXPECT_EQ(window->StatusText(11), QStringLiteral(" 検索総件数： 50"));
    EXPECT_FALSE(find<QPushButton>("bbtnNext")->isEnabled());
    ASSERT_TRUE(run("bbtnPrior"));
    EXPECT_EQ(window->StatusText(10), QStringLiteral(" 表示ページ： 2"));
    EXPECT_TRUE(find<QPushButton>("bbtnNext")->isEnabled());
}

TEST_F(NmAdSchTest, aChosenCityNarrowsTheSearchToIt)
{
    QListWidget *cities = find<QListWidget>("lbxCity");
    ASSERT_GE(cities->count(), 2);
    for (int i = 1; i < cities->count(); ++i)
        if (cities->item(i)->data(Qt::UserRole).toString() == QStringLiteral("13206"))
            cities->item(i)->setSelected(true);
    ASSERT_TRUE(search(QStringLiteral("見本")));
    EXPECT_EQ(cell(0, 3), QStringLiteral("見本花子1"));
}

// The result bar's buttons keep their width whether the narrowed address
// shows beside them or not.
TEST_F(NmAdSchTest, theResultButtonsKeepTheirWidthWithoutAnAddressCaption)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(search(QStringLiteral("見本")));
    QApplication::processEvents();
    ASSERT_TRUE(find<QLabel>("pnlAdrs")->isVisible());
    std::vector<int> widths;
    for (const char *name : {"sbtnInquiry", "sbtnFileExport", "sbtnExportItemSelect"})
        widths.push_back(find<QPushButton>(name)->width());
    ASSERT_TRUE(search(QStringLiteral("該当者無")));
    QApplication::processEvents();
    EXPECT_FALSE(find<QLabel>("pnlAdrs")->isVisible());
    int i = 0;
    for (const char *name : {"sbtnInquiry", "sbtnFileExport", "sbtnExportItemSelect"})
        EXPECT_EQ(find<QPushButton>(name)->width(), widths[size_t(i++)]) << name;
}

TEST_F(NmAdSchTest, aSearchWithoutHitsSaysSoAndLeavesPagingOff)
{
    ASSERT_TRUE(search(QStringLiteral("該当者無")));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("該当するデータが見つかりませんでした  "));
    EXPECT_EQ(window->StatusText(8), QStringLiteral("該当無し"));
    EXPECT_EQ(window->StatusText(1), QString());
    EXPECT_FALSE(find<QPushButton>("bbtnNext")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("bbtnPrior")->isEnabled());
}

TEST_F(NmAdSchTest, anEmptyNameIsRefusedBeforeAnyRun)
{
    setName(QStringLiteral("  "));
    find<QPushButton>("bbtnSearch")->click();
    EXPECT_FALSE(window->Running());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("この条件で検索を行うために  \r\n名称が入力されている必要があります  "));
}

TEST_F(NmAdSchTest, aMissingDiscIsAskedForAndACancelRunsNothing)
{
    QTemporaryDir empty;
    SearchDataPath = empty.path();
    QString asked;
    window->AskForDisc = [&](const QString &text) { asked = text; return QString(); };
    setName(QStringLiteral("見本"));
    find<QPushButton>("bbtnSearch")->click();
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(asked, QStringLiteral("ピルカノス2014のDVD-ROMを入れてください  "));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(NmAdSchTest, theDiscChosenInThePromptIsSearched)
{
    const QString disc = SearchDataPath;
    QTemporaryDir empty;
    SearchDataPath = empty.path();
    window->AskForDisc = [&](const QString &) { return disc; };
    ASSERT_TRUE(search(QStringLiteral("見本")));
    EXPECT_EQ(window->GetHitCount(), 20);
    EXPECT_EQ(SearchDataPath, QDir::cleanPath(disc));
}

TEST_F(NmAdSchTest, aFolderThatIsNoDataDiscIsToldAndNothingRuns)
{
    QTemporaryDir empty;
    SearchDataPath = empty.path();
    window->AskForDisc = [&](const QString &) { return empty.path(); };
    setName(QStringLiteral("見本"));
    find<QPushButton>("bbtnSearch")->click();
    EXPECT_FALSE(window->Running());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("ピルカノス2014のDVD-ROMを入れてください  "));
}

TEST_F(NmAdSchTest, aCountAsksFirstAndReportsTheTotal)
{
    boxes.enqueue(IDYES);
    setName(QStringLiteral("見本"));
    ASSERT_TRUE(run("bbtnCount"));
    EXPECT_EQ(window->StatusText(8), QStringLiteral("確認完了"));
    EXPECT_EQ(window->StatusText(7), QStringLiteral(" 件数： 50"));
    EXPECT_EQ(boxes.last().text, QStringLiteral("50 件のデータが見つかりました  "));
}

TEST_F(NmAdSchTest, theLastPhoneKindCannotBeUnticked)
{
    for (const char *name : {"chkNormal", "chkFax", "chkFaxCombi", "chkMainNumber"})
        find<QCheckBox>(name)->setChecked(false);
    EXPECT_TRUE(find<QCheckBox>("chkMainNumber")->isChecked());
}

} // namespace

namespace {

TEST_F(NmAdSchTest, takingAHitHandsOverItsFullRecord)
{
    ASSERT_TRUE(search(QStringLiteral("見本")));
    std::optional<TTelRecord> taken;
    window->OnTakeHit = [&](const TTelRecord &r) { taken = r; };
    QTableView *list = find<QTableView>("lvResult");
    list->setCurrentIndex(window->ResultModel()->index(1, 0));
    find<QPushButton>("sbtnInquiry")->click();
    ASSERT_TRUE(taken);
    EXPECT_EQ(Cp932::decode(QByteArray(taken->Name)), QStringLiteral("見本試験2"));
    EXPECT_EQ(taken->PhoneKind, 1);
    EXPECT_EQ(QByteArray(taken->FirstMonth, 6), QByteArray("200304"));
    EXPECT_TRUE(list->selectionModel()->isRowSelected(1, {}));
}

} // namespace

namespace {

TEST_F(NmAdSchTest, anExportWritesEveryHitOfTheConditionsToTheChosenFile)
{
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("hits.csv"));
    window->ExportFileChooser = [&](const QString &) { return file; };
    boxes.enqueue(IDYES);
    setName(QStringLiteral("見本"));
    ASSERT_TRUE(run("bbtnFileExport"));
    EXPECT_EQ(boxes.last().text, QStringLiteral("50 件のデータを出力しました  "));
    EXPECT_EQ(window->StatusText(8), QStringLiteral("出力完了"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count('\n'), 51); // the header and 50 hits
}

TEST_F(NmAdSchTest, anExportToAnExistingFileAppendsWhenTheUserSaysNo)
{
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("hits.csv"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kept\r\n");
    }
    window->ExportFileChooser = [&](const QString &) { return file; };
    boxes.enqueue(IDYES);
    boxes.enqueue(IDNO); // append
    setName(QStringLiteral("見本"));
    ASSERT_TRUE(run("bbtnFileExport"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    EXPECT_TRUE(all.startsWith("kept\r\n"));
    EXPECT_EQ(all.count('\n'), 51); // the kept line and 50 hits, no header
}

} // namespace

namespace {

TEST_F(NmAdSchTest, theExportFileAndColumnWidthsSurviveACloseAndReopen)
{
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("hits.csv"));
    window->ExportFileChooser = [&](const QString &) { return file; };
    boxes.enqueue(IDYES);
    setName(QStringLiteral("見本"));
    ASSERT_TRUE(run("bbtnFileExport"));
    find<QTableView>("lvResult")->setColumnWidth(3, 222);
    const int shown = boxes.count();
    delete window;
    EXPECT_EQ(boxes.count(), shown); // the settings were written
    window = new TNameAdrsSearch;
    QString proposed;
    window->ExportFileChooser = [&](const QString &proposal) { proposed = proposal; return QString(); };
    boxes.enqueue(IDYES);
    boxes.enqueue(IDYES); // another file than the one kept
    setName(QStringLiteral("見本"));
    find<QPushButton>("bbtnFileExport")->click();
    EXPECT_EQ(proposed, file);
    EXPECT_EQ(find<QTableView>("lvResult")->columnWidth(3), 222 * window->logicalDpiX() / 96);
}

TEST_F(NmAdSchTest, theNarrowedAddressIsShownAboveTheHitsAndLeftOutOfThemWhenAsked)
{
    auto *omit = find<QCheckBox>("chkOmissionAdrs");
    EXPECT_TRUE(omit->isChecked()); // the first start leaves it out
    ASSERT_TRUE(search(QStringLiteral("見本")));
    EXPECT_EQ(window->AddressCaption(), QStringLiteral("東京都"));
    EXPECT_EQ(find<QLabel>("pnlAdrs")->text(), QStringLiteral("東京都"));
    EXPECT_TRUE(cell(0, 4).startsWith(QStringLiteral("架空市"))) << cell(0, 4).toStdString();
    omit->click();
    EXPECT_TRUE(cell(0, 4).startsWith(QStringLiteral("東京都架空市"))) << cell(0, 4).toStdString();
}

TEST_F(NmAdSchTest, pageKeysAtTheListsEndsTurnThePage)
{
    ASSERT_TRUE(search(QStringLiteral("見本")));
    auto *list = find<QTableView>("lvResult");
    list->setFocus();
    list->setCurrentIndex(window->ResultModel()->index(19, 0));
    QSignalSpy finished(window, &TNameAdrsSearch::RunFinished);
    QTest::keyClick(list, Qt::Key_PageDown);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(window->PageNumber(), 2);
    // Within the page, and with Shift held, the keys only move in the list.
    list->setCurrentIndex(window->ResultModel()->index(5, 0));
    QTest::keyClick(list, Qt::Key_PageUp);
    list->setCurrentIndex(window->ResultModel()->index(0, 0));
    QTest::keyClick(list, Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_EQ(finished.count(), 1);
    QTest::keyClick(list, Qt::Key_PageUp);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(window->PageNumber(), 1);
}

// Return in a search field searches, as 検索 does: the name typed into
// 名称, then Return wherever the user last set a condition.
struct ReturnFieldCase {
    const char *name;
    const char *field; // nullptr: the name entry in use
};

class ReturnSearches : public NmAdSchTest, public ::testing::WithParamInterface<ReturnFieldCase>
{
};

TEST_P(ReturnSearches, fromTheField)
{
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QWidget *name = window->NameEdit();
    name->setFocus(Qt::TabFocusReason);
    TypeCharacters(name, QStringLiteral("見本"));
    QWidget *field = GetParam().field ? find<QWidget>(GetParam().field) : QApplication::focusWidget();
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(field->isEnabled()) << GetParam().name;
    field->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), field);
    QSignalSpy finished(window, &TNameAdrsSearch::RunFinished);
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(finished.count() > 0 || finished.wait(5000)) << GetParam().name;
    EXPECT_EQ(window->PageNumber(), 1);
    EXPECT_EQ(window->ResultModel()->rowCount(), 20);
    EXPECT_TRUE(cell(0, 3).startsWith(QStringLiteral("見本"))) << cell(0, 3).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ReturnSearches,
    ::testing::Values(ReturnFieldCase{"name", nullptr}, ReturnFieldCase{"matchFront", "rbFront"},
                      ReturnFieldCase{"bothCategories", "rbBoth"},
                      ReturnFieldCase{"kind", "chkNormal"}, ReturnFieldCase{"firstYear", "cbxPubFromYear"},
                      ReturnFieldCase{"hitsShown", "cbxGetCount"},
                      ReturnFieldCase{"region", "cbxArea"}, ReturnFieldCase{"prefectures", "lbxTdfkn"},
                      ReturnFieldCase{"cities", "lbxCity"}, ReturnFieldCase{"towns", "lbxOhaza"}),
    [](const ::testing::TestParamInfo<ReturnFieldCase> &info) { return std::string(info.param.name); });

// Without a name Return asks for one, as 検索 does, and nothing runs.
TEST_F(NmAdSchTest, returnWithoutANameAsksForOne)
{
    QApplication::setActiveWindow(window);
    setName(QString());
    window->NameEdit()->setFocus(Qt::TabFocusReason);
    boxes.enqueue(IDOK);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("名称が入力されている必要があります")))
        << boxes.last().text.toStdString();
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(window->PageNumber(), -1);
}

TEST_F(NmAdSchTest, placeSplittersAndOmissionComeBackWithTheWindow)
{
    EXPECT_GE(window->minimumWidth(), 640);
    auto *top = find<QSplitter>("splTop");
    auto *cities = find<QSplitter>("splCity");
    window->move(40, 30);
    top->setSizes({300, window->height() - 300});
    cities->setSizes({150, 260});
    const int topKept = top->sizes().front();
    const int cityKept = cities->sizes().front();
    find<QCheckBox>("chkOmissionAdrs")->setChecked(false);
    delete window;
    const TMemIniFile ini(SettingsFileName());
    const QString section = QStringLiteral("NAMEADRS SEARCH");
    EXPECT_FALSE(ini.ReadBool(section, QStringLiteral("OmissionAdrs"), true));
    window = new TNameAdrsSearch;
    window->show();
    EXPECT_FALSE(find<QCheckBox>("chkOmissionAdrs")->isChecked());
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("TopHeight"), 0) * window->logicalDpiX() / 96, topKept);
    EXPECT_EQ(find<QSplitter>("splTop")->sizes().front(), topKept);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("CityWidth"), 0) * window->logicalDpiX() / 96, cityKept);
}

TEST_F(NmAdSchTest, theHitListTakesTheTintOnlyWhileTheRecordFormWalksIt)
{
    const bool keptPaint = ViewBGPaint;
    ViewBGPaint = true;
    auto *list = find<QTableView>("lvResult");
    const QColor plain = list->palette().color(QPalette::Base);
    window->UpdateListColor(true);
    EXPECT_EQ(list->palette().color(QPalette::Base), ColorToQColor(ViewBGColor));
    window->UpdateListColor(false);
    EXPECT_EQ(list->palette().color(QPalette::Base), plain);
    ViewBGPaint = false;
    window->UpdateListColor(true);
    EXPECT_EQ(list->palette().color(QPalette::Base), plain);
    ViewBGPaint = keptPaint;
}

} // namespace

// ---- the oaza list ------------------------------------------------------------

namespace {

// Selects the items of list whose codes are given (a click on the first,
// Ctrl-clicks on the others), as a user does.
void choose(QListWidget *list, const QStringList &codes)
{
    bool first = true;
    for (int i = 0; i < list->count(); ++i) {
        if (!codes.contains(list->item(i)->data(Qt::UserRole).toString()))
            continue;
        list->scrollToItem(list->item(i));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, first ? Qt::NoModifier : Qt::ControlModifier,
                          list->visualItemRect(list->item(i)).center());
        first = false;
    }
}

QStringList chosenTexts(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            texts << list->item(i)->text();
    return texts;
}

TEST_F(NmAdSchTest, theOazaListOffersTheTownsOfTheOneChosenCityAndNarrowsTheSearchToThem)
{
    QListWidget *oazas = find<QListWidget>("lbxOhaza");
    EXPECT_EQ(oazas->count(), 0); // no city chosen
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13101")});
    ASSERT_GE(oazas->count(), 3);
    EXPECT_EQ(oazas->item(0)->text(), QStringLiteral("指定しない"));
    EXPECT_EQ(chosenTexts(oazas), QStringList{QStringLiteral("指定しない")});
    for (int i = 1; i < oazas->count(); ++i)
        EXPECT_EQ(oazas->item(i)->data(Qt::UserRole).toString().size(), 8) << i;

    // The listings of 13101 lie in its oaza 001.
    choose(oazas, {QStringLiteral("13101001")});
    ASSERT_TRUE(search(QStringLiteral("見本")));
    EXPECT_EQ(window->GetHitCount(), 5);
    saveScreenshot(window, QStringLiteral("NameAdrsSearch-oaza"));
    QString other;
    for (int i = 1; i < oazas->count() && other.isEmpty(); ++i)
        if (!oazas->item(i)->data(Qt::UserRole).toString().endsWith(QStringLiteral("001")))
            other = oazas->item(i)->data(Qt::UserRole).toString();
    choose(oazas, {other});
    ASSERT_TRUE(search(QStringLiteral("見本")));
    EXPECT_EQ(window->StatusText(8), QStringLiteral("該当無し"));

    // Two cities: no oaza list.
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13101"), QStringLiteral("13206")});
    EXPECT_EQ(oazas->count(), 0);
}

TEST_F(NmAdSchTest, notSpecifiedStandsAloneInItsList)
{
    QListWidget *cities = find<QListWidget>("lbxCity");
    choose(cities, {QStringLiteral("13101"), QStringLiteral("13206")});
    EXPECT_EQ(chosenTexts(cities).size(), 2);
    EXPECT_FALSE(cities->item(0)->isSelected());
    // A Ctrl-click on "指定しない" clears the cities.
    QTest::mouseClick(cities->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      cities->visualItemRect(cities->item(0)).center());
    EXPECT_EQ(chosenTexts(cities), QStringList{QStringLiteral("指定しない")});
    // Ctrl-clicking it again would leave nothing chosen: it stays.
    QTest::mouseClick(cities->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      cities->visualItemRect(cities->item(0)).center());
    EXPECT_EQ(chosenTexts(cities), QStringList{QStringLiteral("指定しない")});
}

} // namespace

// ---- the name history -----------------------------------------------------------

namespace {

QStringList comboItems(QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// Picks item Row of the dropped-down history with the mouse.
void pickHistory(QComboBox *combo, int Row)
{
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    ASSERT_TRUE(view->isVisible());
    const QRect rect = view->visualRect(view->model()->index(Row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

TEST_F(NmAdSchTest, eachSearchGoesToTheFrontOfTheHistoryAndComesBackWithTheWindow)
{
    QComboBox *combo = find<QComboBox>("nmcbxName");
    EXPECT_TRUE(combo->isVisible());
    EXPECT_FALSE(find<QLineEdit>("nmedtName")->isVisible());
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13206")});
    find<QRadioButton>("rbCorp")->setChecked(true);
    ASSERT_TRUE(search(QStringLiteral("見本花子")));
    find<QRadioButton>("rbBoth")->setChecked(true);
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13101")});
    ASSERT_TRUE(search(QStringLiteral("見本")));
    ASSERT_TRUE(search(QStringLiteral("見本花子"))); // not the same conditions: 両方 in 13101
    EXPECT_EQ(comboItems(combo), (QStringList{QStringLiteral("見本花子"), QStringLiteral("見本"), QStringLiteral("見本花子")}));
    ASSERT_TRUE(search(QStringLiteral("見本"))); // the same as the second: moved to the front
    EXPECT_EQ(comboItems(combo), (QStringList{QStringLiteral("見本"), QStringLiteral("見本花子"), QStringLiteral("見本花子")}));
    EXPECT_EQ(window->HistoryIndex(), 0);
    saveScreenshot(window, QStringLiteral("NameAdrsSearch-history"));

    delete window;
    window = new TNameAdrsSearch;
    window->show();
    combo = find<QComboBox>("nmcbxName");
    EXPECT_EQ(comboItems(combo), (QStringList{QStringLiteral("見本"), QStringLiteral("見本花子"), QStringLiteral("見本花子")}));
    EXPECT_EQ(window->NameText(), QStringLiteral("見本"));
    EXPECT_EQ(chosenTexts(find<QListWidget>("lbxCity")).size(), 1);
    EXPECT_TRUE(find<QListWidget>("lbxCity")->selectedItems().front()->data(Qt::UserRole) == QStringLiteral("13101"));
}

TEST_F(NmAdSchTest, pickingAHistoryItemBringsBackAllItsConditions)
{
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13206")});
    find<QRadioButton>("rbCorp")->setChecked(true);
    find<QRadioButton>("rbRear")->setChecked(true);
    find<QComboBox>("cbxGetCount")->setCurrentIndex(2);
    find<QComboBox>("cbxPubFromYear")->setCurrentIndex(3);
    ASSERT_TRUE(search(QStringLiteral("花子1")));
    find<QRadioButton>("rbBoth")->setChecked(true);
    find<QComboBox>("cbxGetCount")->setCurrentIndex(0);
    find<QComboBox>("cbxPubFromYear")->setCurrentIndex(0);
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13101")});
    ASSERT_TRUE(search(QStringLiteral("見本")));

    pickHistory(find<QComboBox>("nmcbxName"), 1);
    EXPECT_EQ(window->NameText(), QStringLiteral("花子1"));
    EXPECT_TRUE(find<QRadioButton>("rbCorp")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("rbRear")->isChecked());
    EXPECT_EQ(find<QComboBox>("cbxGetCount")->currentData().toInt(), 100);
    EXPECT_EQ(find<QComboBox>("cbxPubFromYear")->currentIndex(), 3);
    EXPECT_EQ(find<QListWidget>("lbxCity")->selectedItems().front()->data(Qt::UserRole).toString(), QStringLiteral("13206"));
    EXPECT_EQ(window->HistoryIndex(), 1);
}

TEST_F(NmAdSchTest, deleteOnTheDroppedHistoryRemovesTheEntryFromTheFileToo)
{
    ASSERT_TRUE(search(QStringLiteral("見本試験")));
    ASSERT_TRUE(search(QStringLiteral("見本")));
    QComboBox *combo = find<QComboBox>("nmcbxName");
    pickHistory(combo, 1); // the last entry is the one shown
    EXPECT_EQ(window->HistoryIndex(), 1);
    combo->showPopup();
    combo->view()->setCurrentIndex(combo->model()->index(1, 0));
    QTest::keyClick(combo->view(), Qt::Key_Delete);
    EXPECT_EQ(comboItems(combo), QStringList{QStringLiteral("見本")});
    EXPECT_EQ(window->HistoryIndex(), -1);
    combo->hidePopup();

    delete window;
    window = new TNameAdrsSearch;
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")), QStringList{QStringLiteral("見本")});
}

TEST_F(NmAdSchTest, deletingTheEntryOfTheCurrentConditionsKeepsItDeletedAfterReopening)
{
    ASSERT_TRUE(search(QStringLiteral("見本試験")));
    ASSERT_TRUE(search(QStringLiteral("見本")));
    QComboBox *combo = find<QComboBox>("nmcbxName");
    combo->showPopup();
    combo->view()->setCurrentIndex(combo->model()->index(0, 0));
    QTest::keyClick(combo->view(), Qt::Key_Delete);
    EXPECT_EQ(comboItems(combo), QStringList{QStringLiteral("見本試験")});
    combo->hidePopup();

    delete window;
    window = new TNameAdrsSearch;
    window->show();
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")), QStringList{QStringLiteral("見本試験")});
    EXPECT_EQ(window->NameText(), QStringLiteral("見本")) << "the last search's conditions still come back";

    // Deleting the last entry too leaves an empty history for the next window.
    combo = find<QComboBox>("nmcbxName");
    combo->showPopup();
    combo->view()->setCurrentIndex(combo->model()->index(0, 0));
    QTest::keyClick(combo->view(), Qt::Key_Delete);
    combo->hidePopup();
    delete window;
    window = new TNameAdrsSearch;
    EXPECT_TRUE(window->History().empty());
    // A new search of the same conditions is remembered again.
    window->show();
    ASSERT_TRUE(search(QStringLiteral("見本")));
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")), QStringList{QStringLiteral("見本")});
}

TEST_F(NmAdSchTest, withoutAHistoryThePlainEditServesAndOnlyTheCurrentConditionsAreKept)
{
    ASSERT_TRUE(search(QStringLiteral("見本試験")));
    ASSERT_TRUE(search(QStringLiteral("見本")));
    HisCount = 0;
    window->ApplyHistoryCount();
    EXPECT_TRUE(find<QLineEdit>("nmedtName")->isVisible());
    EXPECT_FALSE(find<QComboBox>("nmcbxName")->isVisible());
    EXPECT_EQ(window->NameText(), QStringLiteral("見本")); // carried over
    EXPECT_TRUE(window->History().empty());
    ASSERT_TRUE(search(QStringLiteral("見本花子")));
    delete window;
    HisCount = 10;
    window = new TNameAdrsSearch;
    EXPECT_EQ(window->History().size(), 1u);
    EXPECT_EQ(window->NameText(), QStringLiteral("見本花子"));
}

TEST_F(NmAdSchTest, aSearchWithoutHitsIsRememberedToo)
{
    ASSERT_TRUE(search(QStringLiteral("該当者無")));
    EXPECT_EQ(window->StatusText(8), QStringLiteral("該当無し"));
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")), QStringList{QStringLiteral("該当者無")});
    EXPECT_EQ(Cp932::decode(window->CurrentConditions().Name), QStringLiteral("該当者無"));
}

TEST_F(NmAdSchTest, aCountAndAnExportAreRememberedLikeASearch)
{
    boxes.enqueue(IDYES);
    setName(QStringLiteral("見本試験"));
    ASSERT_TRUE(run("bbtnCount"));
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")), QStringList{QStringLiteral("見本試験")});
    QTemporaryDir out;
    window->ExportFileChooser = [&](const QString &) { return out.filePath(QStringLiteral("a.csv")); };
    boxes.enqueue(IDYES);
    setName(QStringLiteral("見本"));
    ASSERT_TRUE(run("bbtnFileExport"));
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")), (QStringList{QStringLiteral("見本"), QStringLiteral("見本試験")}));
}

TEST_F(NmAdSchTest, theNameEntryTakesAtMost34BytesAndCutsALongerTextWhenLeft)
{
    QLineEdit *edit = window->NameEdit();
    TypeCharacters(edit, QStringLiteral("あいうえおかきくけこさしすせそたちつ")); // 18 characters, 36 bytes
    EXPECT_EQ(window->NameText(), QStringLiteral("あいうえおかきくけこさしすせそたち"));
    window->SetNameText(QStringLiteral("Aあいうえおかきくけこさしすせそたち")); // 35 bytes set by the program
    edit->setFocus();
    find<QPushButton>("bbtnClose")->setFocus();
    QApplication::processEvents();
    emit edit->editingFinished();
    EXPECT_EQ(window->NameText(), QStringLiteral("Aあいうえおかきくけこさしすせそた"));
}

// ---- the name entry as it takes the focus ---------------------------------------

// The name of the last search stays in the entry; whenever the entry takes
// the focus from the keyboard or as the window comes up, its text is
// selected, so what the user types is the new name and not the old one
// with the new one behind it.
struct NameFocusCase {
    const char *name;
    int hisCount; // 0: the plain edit, else the history combo
    // Brings the focus into the name entry after a search for 見本.
    std::function<void(TNameAdrsSearch *&window)> focus;
};

class NameEntryFocusTest : public NmAdSchTest, public ::testing::WithParamInterface<NameFocusCase>
{
};

void activate(QWidget *window)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

TEST_P(NameEntryFocusTest, typingReplacesTheNameOfTheLastSearch)
{
    HisCount = GetParam().hisCount;
    delete window;
    window = new TNameAdrsSearch;
    window->show();
    ASSERT_NO_FATAL_FAILURE(activate(window));
    ASSERT_TRUE(search(QStringLiteral("見本")));
    ASSERT_NO_FATAL_FAILURE(GetParam().focus(window));
    QWidget *entry = QApplication::focusWidget();
    ASSERT_TRUE(entry == window->NameEdit() || entry == window->NameEdit()->parentWidget())
        << (entry ? entry->objectName().toStdString() : "none");
    TypeCharacters(entry, QStringLiteral("佐藤"));
    EXPECT_EQ(window->NameText(), QStringLiteral("佐藤"));
}

// The window opened anew after a search: the entry shows the kept name.
void reopened(TNameAdrsSearch *&window)
{
    delete window;
    window = new TNameAdrsSearch;
    window->show();
    ASSERT_NO_FATAL_FAILURE(activate(window));
    ASSERT_EQ(window->NameText(), QStringLiteral("見本"));
}

// The user clicked at the end of the name, went to another window and came back.
void returned(TNameAdrsSearch *&window)
{
    QLineEdit *edit = window->NameEdit();
    QWidget *entry = edit->parentWidget() == window->findChild<QComboBox *>(QStringLiteral("nmcbxName"))
                         ? edit->parentWidget()
                         : static_cast<QWidget *>(edit);
    entry->setFocus(Qt::MouseFocusReason);
    edit->end(false);
    QWidget other;
    other.show();
    ASSERT_NO_FATAL_FAILURE(activate(&other));
    ASSERT_NO_FATAL_FAILURE(activate(window));
}

// Shift+Tab from the first match-kind button back into the entry.
void tabbedBack(TNameAdrsSearch *&window)
{
    auto *front = window->findChild<QRadioButton *>(QStringLiteral("rbFront"));
    front->setFocus(Qt::TabFocusReason);
    QTest::keyClick(front, Qt::Key_Backtab, Qt::ShiftModifier);
}

INSTANTIATE_TEST_SUITE_P(Entries, NameEntryFocusTest,
                         ::testing::Values(NameFocusCase{"reopenedCombo", 10, reopened},
                                           NameFocusCase{"reopenedEdit", 0, reopened},
                                           NameFocusCase{"returnedCombo", 10, returned},
                                           NameFocusCase{"returnedEdit", 0, returned},
                                           NameFocusCase{"tabbedBackCombo", 10, tabbedBack},
                                           NameFocusCase{"tabbedBackEdit", 0, tabbedBack}),
                         [](const auto &info) { return std::string(info.param.name); });

// A click places the caret where the user clicked: the text stays unselected.
TEST_F(NmAdSchTest, aClickIntoTheNameEntryLeavesItsTextUnselected)
{
    ASSERT_NO_FATAL_FAILURE(activate(window));
    setName(QStringLiteral("見本"));
    find<QPushButton>("bbtnClose")->setFocus();
    QLineEdit *edit = window->NameEdit();
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
    EXPECT_TRUE(edit->hasFocus() || edit->parentWidget()->hasFocus());
    EXPECT_FALSE(edit->hasSelectedText());
}

// ---- the name-reading popup ---------------------------------------------------

void sendPreedit(QWidget *target, const QString &preedit)
{
    QTextCharFormat format;
    format.setFontUnderline(true);
    QInputMethodEvent event(preedit, {{QInputMethodEvent::TextFormat, 0, int(preedit.size()), QVariant(format)}});
    QCoreApplication::sendEvent(target, &event);
}

TEST_F(NmAdSchTest, aReadingTypedIntoTheNameEntryOffersItsKanjiUnderTheEntry)
{
    // Offscreen nothing is activated: the popup takes this window for the active one.
    TTntNameDic::ActiveWindowProbe = [this] { return static_cast<QWidget *>(window); };
    auto *combo = window->findChild<TNMDComboBox *>(QStringLiteral("nmcbxName"));
    ASSERT_NE(combo, nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    combo->setFocus();
    // The reading the entry reports on its way to the popup (the popup itself
    // may be gone already: see below).
    QByteArray reported;
    const auto report = combo->OnConvertNeed;
    combo->OnConvertNeed = [&](QObject *Sender, TNameDicKind Kind, bool Show, const QByteArray &Value) {
        if (Show)
            reported = Value;
        report(Sender, Kind, Show, Value);
    };
    sendPreedit(combo, QStringLiteral("よしだ"));
    QCoreApplication::processEvents(); // the reading settles in a queued call
    combo->OnConvertNeed = report;
    TNameDicLink *link = window->NameDictionary();
    EXPECT_EQ(reported, Cp932::encode(QStringLiteral("ﾖｼﾀﾞ")));

    // The offscreen platform hands the focus to a window as it shows, which
    // closes the popup at once (the entry was left); the entry's own report
    // stands in for the settled reading, and a fresh popup comes.
    combo->OnConvertNeed(combo, TNameDicKind::nkLineage, true, Cp932::encode(QStringLiteral("ﾖｼﾀﾞ")));
    ASSERT_NE(link->Popup(), nullptr);
    ASSERT_TRUE(link->Popup()->isVisible());
    EXPECT_EQ(link->Popup()->Reading, Cp932::encode(QStringLiteral("ﾖｼﾀﾞ")));
    EXPECT_GE(link->Popup()->Grid()->rowCount(), 1);
    EXPECT_EQ(link->Popup()->pos(), combo->mapToGlobal(QPoint(0, combo->height())));
    saveScreenshot(link->Popup(), QStringLiteral("NameAdrsSearch-namePopup"));
    // The entry's keys go to the popup: down to the first name, Enter takes it.
    quint32 key = 40;
    bool used = false;
    combo->OnConvertKeyDown(combo, key, used);
    EXPECT_TRUE(used);
    key = 13;
    combo->OnConvertKeyDown(combo, key, used);
    QTRY_COMPARE(link->Popup(), nullptr);
    EXPECT_TRUE(window->NameText().startsWith(QStringLiteral("吉田"))) << window->NameText().toStdString();
    TTntNameDic::ActiveWindowProbe = nullptr;
}

} // namespace

// ---- the regions in use ---------------------------------------------------------

namespace {

TEST_F(NmAdSchTest, aRegionTakenIntoUseAppearsAndTheChosenAddressStays)
{
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13206")});
    UseArea[1] = true;
    window->RefreshAreaSettings();
    QComboBox *areas = find<QComboBox>("cbxArea");
    ASSERT_EQ(areas->count(), 2);
    EXPECT_EQ(areas->itemText(0), QStringLiteral("北海道・東北"));
    EXPECT_EQ(areas->currentData().toInt(), 3);
    ASSERT_EQ(find<QListWidget>("lbxCity")->selectedItems().size(), 1);
    EXPECT_EQ(find<QListWidget>("lbxCity")->selectedItems().front()->data(Qt::UserRole).toString(), QStringLiteral("13206"));
}

} // namespace

// ---- the export file ----------------------------------------------------------

namespace {

TEST_F(NmAdSchTest, theLastExportFileIsOfferedFirstAndKeptWithoutTheFileDialog)
{
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("hits.csv"));
    int chosen = 0;
    window->ExportFileChooser = [&](const QString &) { ++chosen; return file; };
    boxes.enqueue(IDYES);
    setName(QStringLiteral("見本"));
    ASSERT_TRUE(run("bbtnFileExport"));
    EXPECT_EQ(chosen, 1);

    boxes.enqueue(IDYES);
    boxes.enqueue(IDNO);  // keep the file
    boxes.enqueue(IDYES); // and write it anew
    setName(QStringLiteral("見本試験"));
    ASSERT_TRUE(run("bbtnFileExport"));
    EXPECT_EQ(chosen, 1);
    const QList<TMessageBoxRequest> &shown = boxes.shown();
    EXPECT_EQ(shown.at(shown.size() - 3).text,
              QDir::toNativeSeparators(file) + QStringLiteral("  \r\nへ出力します  \r\n\r\n出力先を変更しますか？  "));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count('\n'), 6); // the header and the five 見本試験

    // Cancel at the question: nothing runs.
    boxes.enqueue(IDYES);
    boxes.enqueue(IDCANCEL);
    find<QPushButton>("bbtnFileExport")->click();
    EXPECT_FALSE(window->Running());
}

TEST_F(NmAdSchTest, aKeptExportFileWhoseFolderHasGoneIsProposedInTheDataFolder)
{
    {
        QTemporaryDir gone;
        QString first = gone.filePath(QStringLiteral("hits.csv"));
        window->ExportFileChooser = [&](const QString &) { return first; };
        boxes.enqueue(IDYES);
        setName(QStringLiteral("見本"));
        ASSERT_TRUE(run("bbtnFileExport"));
    }
    QString proposed;
    window->ExportFileChooser = [&](const QString &proposal) { proposed = proposal; return QString(); };
    boxes.enqueue(IDYES);
    const int shown = boxes.count();
    find<QPushButton>("bbtnFileExport")->click();
    EXPECT_EQ(boxes.count(), shown + 1) << "no question about a file that cannot be written";
    EXPECT_EQ(proposed, DataPath + QStringLiteral("検索結果"));
}

} // namespace

// ---- export of the selected rows and the export columns ---------------------------

namespace {

// Ctrl-clicks the rows of the result list, as a user picks them.
void pickRows(QTableView *list, std::initializer_list<int> rows)
{
    list->clearSelection();
    for (int row : rows)
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualRect(list->model()->index(row, 1)).center());
}

QList<QByteArray> fileLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = f.readAll().split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.pop_back();
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

// Runs Script on the column dialog once it is shown modally over the window.
void onItemDialog(TNameAdrsSearch *window, std::function<void(TExportItemSelect *)> Script)
{
    QTimer::singleShot(0, window, [window, Script] {
        auto *dialog = window->findChild<TExportItemSelect *>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->isVisible());
        Script(dialog);
    });
}

void press(QWidget *dialog, const char *name)
{
    auto *button = dialog->findChild<QPushButton *>(QLatin1String(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

QListWidget *itemList(QWidget *dialog)
{
    return dialog->findChild<QListWidget *>(QStringLiteral("lvItem"));
}

// Ticks only the columns of the given captions.
void tickOnly(QListWidget *list, const QStringList &captions)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(captions.contains(list->item(i)->text()) ? Qt::Checked : Qt::Unchecked);
}

TEST_F(NmAdSchTest, theSelectedRowsAreWrittenWithEveryColumnOfTheirFullRecords)
{
    ASSERT_TRUE(search(QStringLiteral("見本")));
    pickRows(find<QTableView>("lvResult"), {3, 1});
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("chosen.csv"));
    window->ExportFileChooser = [&](const QString &) { return file; };
    boxes.enqueue(IDYES);
    find<QPushButton>("sbtnFileExport")->click();
    EXPECT_EQ(boxes.shown().at(boxes.count() - 2).text, QStringLiteral("2 件のデータを  \r\nCSV形式でテキストファイルに出力します  \r\nよろしいですか？  "));
    EXPECT_EQ(boxes.last().text, QStringLiteral("2 件のデータを出力しました  "));
    EXPECT_EQ(window->StatusText(7), QStringLiteral(" 件数： 2"));
    EXPECT_EQ(window->StatusText(8), QStringLiteral("出力完了"));
    const QList<QByteArray> lines = fileLines(file);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(Cp932::encode(u"電話番号,代表電話,FAX番号,郵便番号")));
    // In row order, numbers as the list shows them; the second listing is a
    // FAX, the fourth an ordinary number.
    EXPECT_TRUE(lines[1].startsWith(",," + cell(1, 1).toLatin1() + ',')) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(Cp932::encode(u"見本試験2")));
    EXPECT_TRUE(lines[1].contains(Cp932::encode(u",個人,2003年04月")));
    EXPECT_TRUE(lines[2].startsWith(cell(3, 1).toLatin1() + ",,"));
    EXPECT_TRUE(lines[2].contains(Cp932::encode(u"見本試験4")));
}

TEST_F(NmAdSchTest, withNoRowSelectedNothingIsAskedOrWritten)
{
    ASSERT_TRUE(search(QStringLiteral("見本")));
    find<QTableView>("lvResult")->clearSelection();
    bool asked = false;
    window->ExportFileChooser = [&](const QString &) { asked = true; return QString(); };
    const int shown = boxes.count();
    find<QPushButton>("sbtnFileExport")->click();
    EXPECT_EQ(boxes.count(), shown);
    EXPECT_FALSE(asked);
}

TEST_F(NmAdSchTest, theColumnDialogsOrderAndTicksGoIntoTheNextExportAndTheSettingsAtOnce)
{
    onItemDialog(window, [](TExportItemSelect *dialog) {
        QListWidget *list = itemList(dialog);
        saveScreenshot(dialog, QStringLiteral("ExportItemSelect"));
        tickOnly(list, {QStringLiteral("電話番号"), QStringLiteral("名前")});
        list->setCurrentRow(12); // 名前
        press(dialog, "bbtnTop");
        EXPECT_EQ(list->currentRow(), 0);
        press(dialog, "btnOk");
    });
    find<QPushButton>("sbtnExportItemSelect")->click();
    const TMemIniFile ini(SettingsFileName());
    EXPECT_EQ(ini.ReadString(QStringLiteral("NAMEADRS SEARCH"), QStringLiteral("ExportItemIndex"), QString()),
              QStringLiteral("12,0,1,2,3,4,5,6,7,8,9,10,11,13,14"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("NAMEADRS SEARCH"), QStringLiteral("ExportItemExport"), QString()),
              QStringLiteral("1,1,0,0,0,0,0,0,0,0,0,0,0,0,0"));

    ASSERT_TRUE(search(QStringLiteral("見本")));
    pickRows(find<QTableView>("lvResult"), {0});
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("two.csv"));
    window->ExportFileChooser = [&](const QString &) { return file; };
    boxes.enqueue(IDYES);
    find<QPushButton>("sbtnFileExport")->click();
    const QList<QByteArray> lines = fileLines(file);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], Cp932::encode(u"名前,電話番号"));
    EXPECT_EQ(lines[1], Cp932::encode(u"見本試験1,") + cell(0, 1).toLatin1());
    EXPECT_TRUE(cell(0, 1).remove(u'-') == QStringLiteral("0330000001"));
}

TEST_F(NmAdSchTest, onlyTheMainNumberColumnWritesNoLineForOtherKinds)
{
    onItemDialog(window, [](TExportItemSelect *dialog) {
        tickOnly(itemList(dialog), {QStringLiteral("代表電話")});
        press(dialog, "btnOk");
    });
    find<QPushButton>("sbtnExportItemSelect")->click();
    ASSERT_TRUE(search(QStringLiteral("見本")));
    pickRows(find<QTableView>("lvResult"), {0, 1, 2});
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("main.csv"));
    window->ExportFileChooser = [&](const QString &) { return file; };
    boxes.enqueue(IDYES);
    find<QPushButton>("sbtnFileExport")->click();
    EXPECT_EQ(boxes.last().text, QStringLiteral("0 件のデータを出力しました  "));
    EXPECT_EQ(fileLines(file), QList<QByteArray>{Cp932::encode(u"代表電話")});
}

TEST_F(NmAdSchTest, theSelectedRowsAppendedToAFileGoWithoutAHeader)
{
    ASSERT_TRUE(search(QStringLiteral("見本")));
    pickRows(find<QTableView>("lvResult"), {0});
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("kept.csv"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kept\r\n");
    }
    window->ExportFileChooser = [&](const QString &) { return file; };
    boxes.enqueue(IDYES);
    boxes.enqueue(IDNO); // append
    find<QPushButton>("sbtnFileExport")->click();
    const QList<QByteArray> lines = fileLines(file);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "kept");
    EXPECT_TRUE(lines[1].startsWith(cell(0, 1).toLatin1()));
}

TEST_F(NmAdSchTest, aFileThatCannotBeWrittenIsNamedToTheUser)
{
    ASSERT_TRUE(search(QStringLiteral("見本")));
    pickRows(find<QTableView>("lvResult"), {0});
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("folder.csv"));
    ASSERT_TRUE(QDir().mkpath(file)); // a folder where the file should be
    window->ExportFileChooser = [&](const QString &) { return file; };
    boxes.enqueue(IDYES);
    find<QPushButton>("sbtnFileExport")->click();
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("ファイルに出力できませんでした  \r\n")));
    EXPECT_TRUE(boxes.last().text.contains(QDir::toNativeSeparators(file)));
    EXPECT_EQ(window->StatusText(8), QStringLiteral(" エラー"));
}

// A disk that fills while the hits are written: the window names the full
// disk in the words every writer uses, and the file stays as it was.
class NmAdSchFullDiskTest : public NmAdSchTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NmAdSchFullDiskTest, namesTheFullDiskAndKeepsTheFile)
{
    const bool append = GetParam();
    ASSERT_TRUE(search(QStringLiteral("見本")));
    pickRows(find<QTableView>("lvResult"), {0, 1, 2});
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("kept.csv"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kept\r\n");
    }
    window->ExportFileChooser = [&](const QString &) { return file; };
    boxes.enqueue(IDYES);
    boxes.enqueue(append ? IDNO : IDYES); // add to the file, or replace it
    {
        const ScopedFailingDisk full(out.path(), TDiskFault::DiskFull);
        find<QPushButton>("sbtnFileExport")->click();
    }
    const QString told = boxes.last().text;
    EXPECT_TRUE(told.startsWith(QStringLiteral("ファイルに出力できませんでした  \r\n"))) << qPrintable(told);
    EXPECT_TRUE(told.contains(QStringLiteral("ディスクの空き容量が足りません。"))) << qPrintable(told);
    EXPECT_EQ(window->StatusText(8), QStringLiteral(" エラー"));
    EXPECT_EQ(fileLines(file), QList<QByteArray>{"kept"});
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept.csv")});
}

INSTANTIATE_TEST_SUITE_P(Ways, NmAdSchFullDiskTest, ::testing::Values(false, true),
                         [](const auto &info) { return std::string(info.param ? "appended" : "replaced"); });

// ---- the column dialog on its own ---------------------------------------------

class ExportItemSelectTest : public ::testing::Test {
protected:
    ExportItemSelectTest() { dialog.SetItems(DefaultExportColumns()); }
    QStringList captions()
    {
        QStringList texts;
        for (int i = 0; i < itemList(&dialog)->count(); ++i)
            texts << itemList(&dialog)->item(i)->text();
        return texts;
    }
    ScriptedMessageBoxes boxes;
    TExportItemSelect dialog;
};

TEST_F(ExportItemSelectTest, theMoveButtonsCarryTheFocusedRowAndKeepItFocused)
{
    QListWidget *list = itemList(&dialog);
    EXPECT_EQ(list->currentRow(), 0);
    press(&dialog, "bbtnDown");
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(captions().mid(0, 2), (QStringList{QStringLiteral("代表電話"), QStringLiteral("電話番号")}));
    press(&dialog, "bbtnBottom");
    EXPECT_EQ(list->currentRow(), 14);
    EXPECT_EQ(captions().back(), QStringLiteral("電話番号"));
    press(&dialog, "bbtnDown"); // already at the bottom
    EXPECT_EQ(list->currentRow(), 14);
    press(&dialog, "bbtnUp");
    EXPECT_EQ(captions().at(13), QStringLiteral("電話番号"));
    list->item(2)->setCheckState(Qt::Unchecked);
    press(&dialog, "bbtnReSort");
    EXPECT_EQ(captions(), ([] {
                  QStringList all;
                  for (const THitColumn &c : HitColumnCatalogue)
                      all << QString::fromUtf16(c.Caption);
                  return all;
              }()));
    const TExportColumns columns = dialog.GetItems();
    EXPECT_FALSE(std::find_if(columns.begin(), columns.end(), [](const TExportColumn &c) { return c.Item == 3; })->Exported)
        << "the check stays with its column (郵便番号 was row 2)";
    press(&dialog, "bbtnAll");
    for (const TExportColumn &c : dialog.GetItems())
        EXPECT_TRUE(c.Exported);
}

TEST_F(ExportItemSelectTest, okWithNothingTickedIsRefusedAndADoubleClickTicks)
{
    QListWidget *list = itemList(&dialog);
    tickOnly(list, {});
    press(&dialog, "btnOk");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("出力する項目は１つ以上選択してください  "));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    // A person's double-click: the first click, then the second as a double-click.
    const QPoint at = list->visualItemRect(list->item(4)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(list->item(4)->checkState(), Qt::Checked);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(boxes.count(), 1);
}

} // namespace

// Another program on the data folder remembers a search while this window is
// open: this window's next search keeps it in the file, behind its own.
TEST_F(NmAdSchTest, aSearchAnotherProgramRememberedMeanwhileStaysInTheHistory)
{
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13206")});
    ASSERT_TRUE(search(QStringLiteral("見本花子")));
    TSearchHistoryEntry other;
    other.Name = Cp932::encode(QStringLiteral("見本試験"));
    std::vector<TSearchHistoryEntry> theirs{other};
    {
        QFile file(SearchHistoryFileName());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        bool damaged = false;
        const std::vector<TSearchHistoryEntry> read =
            ParseSearchHistory(file.readAll(), HisCount, [](int) { return true; }, &damaged);
        ASSERT_FALSE(damaged);
        theirs.insert(theirs.end(), read.begin(), read.end());
    }
    ASSERT_TRUE(WriteSearchHistoryFile(SearchHistoryFileName(), other, theirs, nullptr));

    ASSERT_TRUE(search(QStringLiteral("見本")));
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")),
              (QStringList{QStringLiteral("見本"), QStringLiteral("見本花子"), QStringLiteral("見本試験")}));
    delete window;
    window = new TNameAdrsSearch;
    window->show();
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")),
              (QStringList{QStringLiteral("見本"), QStringLiteral("見本花子"), QStringLiteral("見本試験")}));
}

// The file damaged by another hand while this window is open is not written
// over by the next search: it is kept aside whole and named first.
TEST_F(NmAdSchTest, aHistoryFileDamagedSinceTheWindowReadItIsKeptAsideBeforeTheNextSearchIsSaved)
{
    RecordedUnreadableNotices notices;
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13206")});
    ASSERT_TRUE(search(QStringLiteral("見本花子")));
    QByteArray damaged;
    {
        QFile file(SearchHistoryFileName());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        damaged = file.readAll().chopped(1);
    }
    bool cut = false;
    (void)ParseSearchHistory(damaged, HisCount, [](int) { return true; }, &cut);
    ASSERT_TRUE(cut) << "the bytes stand for a damaged file";
    {
        QFile file(SearchHistoryFileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(damaged), damaged.size());
    }
    ASSERT_TRUE(search(QStringLiteral("見本")));
    const QStringList copies = keptAsideCopies(SearchHistoryFileName());
    ASSERT_EQ(copies.size(), 1);
    QFile copy(copies[0]);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);
    ASSERT_EQ(notices.told().size(), 1);
    EXPECT_EQ(notices.told()[0].keptAs, copies[0]);
}

// The search history file as another program changes it: its searches
// (the current conditions apart) read, Change applied, and written back
// with the file's current conditions, or with the first search where
// FirstIsCurrent.
static void rewriteSearchHistory(const std::function<void(std::vector<TSearchHistoryEntry> &)> &Change, bool FirstIsCurrent)
{
    QFile file(SearchHistoryFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    bool damaged = false;
    bool apart = false;
    std::vector<TSearchHistoryEntry> read =
        ParseSearchHistory(file.readAll(), HisCount, [](int) { return true; }, &damaged, &apart);
    file.close();
    ASSERT_FALSE(damaged);
    const TSearchHistoryEntry current = read.front();
    read.erase(read.begin(), read.begin() + (apart ? 1 : 0));
    Change(read);
    ASSERT_TRUE(WriteSearchHistoryFile(SearchHistoryFileName(), FirstIsCurrent ? read.front() : current, read, nullptr));
}

// Another program deletes a search both hold: this window's next search,
// another one, does not bring it back; one this window runs again does.
TEST_F(NmAdSchTest, aSearchAnotherProgramDeletedStaysDeletedUnlessThisWindowRunsItAgain)
{
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13206")});
    ASSERT_TRUE(search(QStringLiteral("見本花子")));
    ASSERT_TRUE(search(QStringLiteral("見本")));
    const auto deleteInTheFile = [](const QString &name) {
        rewriteSearchHistory(
            [&](std::vector<TSearchHistoryEntry> &list) {
                std::erase_if(list, [&](const TSearchHistoryEntry &e) { return e.Name == Cp932::encode(name); });
            },
            false);
    };
    deleteInTheFile(QStringLiteral("見本花子"));
    ASSERT_TRUE(search(QStringLiteral("見本太郎")));
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")), (QStringList{QStringLiteral("見本太郎"), QStringLiteral("見本")}));

    deleteInTheFile(QStringLiteral("見本"));
    ASSERT_TRUE(search(QStringLiteral("見本"))); // run again here: it stays
    delete window;
    window = new TNameAdrsSearch;
    window->show();
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")), (QStringList{QStringLiteral("見本"), QStringLiteral("見本太郎")}));
}

// A save that failed (a full disk) leaves what it would have written as this
// window's only where written: a search another program remembered, then
// deleted, does not come back with this window's next save.
TEST_F(NmAdSchTest, aSearchAnotherProgramDeletedAfterAFailedSaveStaysDeleted)
{
    choose(find<QListWidget>("lbxCity"), {QStringLiteral("13206")});
    ASSERT_TRUE(search(QStringLiteral("見本花子")));
    const auto rewrite = [](const std::function<void(std::vector<TSearchHistoryEntry> &)> &change) {
        rewriteSearchHistory(change, true);
    };
    TSearchHistoryEntry other;
    other.Name = Cp932::encode(QStringLiteral("見本試験"));
    rewrite([&](std::vector<TSearchHistoryEntry> &list) { list.insert(list.begin(), other); });
    {
        const ScopedFailingDisk full(QFileInfo(SearchHistoryFileName()).absolutePath(), TDiskFault::DiskFull);
        ASSERT_TRUE(search(QStringLiteral("見本")));
    }
    ASSERT_GE(boxes.count(), 1) << "the failed save is told";
    rewrite([&](std::vector<TSearchHistoryEntry> &list) {
        std::erase_if(list, [&](const TSearchHistoryEntry &e) { return e.Name == other.Name; });
    });
    ASSERT_TRUE(search(QStringLiteral("見本太郎")));
    EXPECT_EQ(comboItems(find<QComboBox>("nmcbxName")),
              (QStringList{QStringLiteral("見本太郎"), QStringLiteral("見本"), QStringLiteral("見本花子")}));
}
