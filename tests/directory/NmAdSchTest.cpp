#include "core/Env.h"
#include "directory/NmAdSch.h"
#include "directory/WqareaWriter.h"
#include "platform/Cp932.h"
#include "platform/dic/wqarea17/WqareaSchema.h"

#include "support/DicProgramFolder.h"
#include "support/Screenshot.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

// The directory search window over the real directory library, the address
// dictionary excerpt and a made-up 東京都 region on a "disc": 5 listings in
// 13101 and 45 in 13206, all named 見本.

namespace {

class NmAdSchTest : public ::testing::Test {
protected:
    NmAdSchTest() : m_keptUse(UseArea), m_keptOnDisk(AreaOnDisk), m_keptPath(SearchDataPath)
    {
        UseArea.fill(false);
        UseArea[3] = true;
        AreaOnDisk.fill(false);
        DataRoot = home.settingsRoot() + QLatin1Char('/');
        QDir().mkpath(DataRoot);
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
    bool search(const QString &name)
    {
        find<QLineEdit>("nmedtName")->setText(name);
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
    find<QLineEdit>("nmedtName")->setText(QStringLiteral("  "));
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
    find<QLineEdit>("nmedtName")->setText(QStringLiteral("見本"));
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
    find<QLineEdit>("nmedtName")->setText(QStringLiteral("見本"));
    find<QPushButton>("bbtnSearch")->click();
    EXPECT_FALSE(window->Running());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("ピルカノス2014のDVD-ROMを入れてください  "));
}

TEST_F(NmAdSchTest, aCountAsksFirstAndReportsTheTotal)
{
    boxes.enqueue(IDYES);
    find<QLineEdit>("nmedtName")->setText(QStringLiteral("見本"));
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
    find<QLineEdit>("nmedtName")->setText(QStringLiteral("見本"));
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
    find<QLineEdit>("nmedtName")->setText(QStringLiteral("見本"));
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
    find<QLineEdit>("nmedtName")->setText(QStringLiteral("見本"));
    ASSERT_TRUE(run("bbtnFileExport"));
    find<QTableView>("lvResult")->setColumnWidth(3, 222);
    const int shown = boxes.count();
    delete window;
    EXPECT_EQ(boxes.count(), shown); // the settings were written
    window = new TNameAdrsSearch;
    QString proposed;
    window->ExportFileChooser = [&](const QString &proposal) { proposed = proposal; return QString(); };
    boxes.enqueue(IDYES);
    find<QLineEdit>("nmedtName")->setText(QStringLiteral("見本"));
    find<QPushButton>("bbtnFileExport")->click();
    EXPECT_EQ(proposed, file);
    EXPECT_EQ(find<QTableView>("lvResult")->columnWidth(3), 222 * window->logicalDpiX() / 96);
}

} // namespace
