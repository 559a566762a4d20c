#include "core/Env.h"
#include "core/Main.h"
#include "core/PDFHelp.h"
#include "directory/ChgDisc.h"
#include "directory/HDDInst.h"
#include "directory/HdiRW.h"
#include "directory/SampleDir.h"

#include "support/FailingDisk.h"
#include "support/Screenshot.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QStorageInfo>
#include <QTabWidget>
#include <QTreeWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

// Installing directory regions from a data disc (a folder here) into the
// settings root, and removing them again.

namespace {

struct SizeCase { int area; std::int64_t cluster; std::int64_t bytes; };
class AreaDiskSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(AreaDiskSizeTest, roundsEachFileUpToWholeClusters)
{
    EXPECT_EQ(AreaDiskSize(GetParam().area, GetParam().cluster), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Sizes, AreaDiskSizeTest,
                         ::testing::Values(SizeCase{3, 0, 120236032}, SizeCase{3, 65536, 120586240},
                                           SizeCase{0, 4096, 0}));

TEST(InstallSpace, exactlyTenMegabytesBeyondTheNeedIsRefusedOneByteMoreIsAccepted)
{
    const std::int64_t need = 5000000;
    EXPECT_FALSE(InstallSpaceSuffices(need + InstallSpareBytes, need));
    EXPECT_TRUE(InstallSpaceSuffices(need + InstallSpareBytes + 1, need));
}

class InstallTest : public ::testing::Test {
protected:
    InstallTest()
        : m_keptList(SearchAreaList), m_keptOnDisk(AreaOnDisk), m_keptFolder(AreaDiskFolder), m_keptPath(SearchDataPath)
    {
        DataRoot = home.settingsRoot() + QLatin1Char('/');
        QDir().mkpath(DataRoot);
        SearchAreaList = {AreaKeyNames[1], AreaKeyNames[3], AreaKeyNames[7]};
        AreaOnDisk.fill(false);
        SearchDataPath = disc.path();
        for (int area : {1, 3, 7})
            writeDiscRegion(area);
    }
    ~InstallTest() override
    {
        SearchAreaList = m_keptList;
        AreaOnDisk = m_keptOnDisk;
        AreaDiskFolder = m_keptFolder;
        SearchDataPath = m_keptPath;
    }
    void writeDiscRegion(int area, const char *skip = nullptr)
    {
        const QString folder = disc.filePath(QStringLiteral("Murven19/Dt%1/").arg(area, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(QDir().mkpath(folder));
        for (const char *name : AreaDataFileNames) {
            if (skip != nullptr && std::strcmp(name, skip) == 0) {
                QFile::remove(folder + QString::fromLatin1(name));
                continue;
            }
            QFile f(folder + QString::fromLatin1(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(100, char('0' + area)));
            f.close();
            f.setPermissions(QFile::ReadOwner); // as on a disc
        }
    }
    QString installed(int area) const
    {
        return DataRoot + QStringLiteral("Dt%1/").arg(area, 2, 10, QLatin1Char('0'));
    }

    ScopedHome home;
    QTemporaryDir disc;
    ScriptedMessageBoxes boxes;

private:
    QStringList m_keptList;
    std::array<bool, AreaCount + 1> m_keptOnDisk;
    std::array<QString, AreaCount + 1> m_keptFolder;
    QString m_keptPath;
};

TEST_F(InstallTest, aCopiedRegionHoldsItsSevenFilesWritable)
{
    QString error;
    ASSERT_TRUE(CopyAreaData(3, disc.path(), DataRoot, &error)) << error.toStdString();
    for (const char *name : AreaDataFileNames) {
        const QFileInfo file(installed(3) + QString::fromLatin1(name));
        EXPECT_TRUE(file.isFile()) << name;
        EXPECT_TRUE(file.isWritable()) << name;
    }
}

TEST_F(InstallTest, aFailedCopyDeletesOnlyThatRegionsCopy)
{
    ASSERT_TRUE(CopyAreaData(1, disc.path(), DataRoot, nullptr));
    writeDiscRegion(3, "dba17ti2");
    QString error;
    EXPECT_FALSE(CopyAreaData(3, disc.path(), DataRoot, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("dba17ti2")));
    EXPECT_FALSE(QFileInfo::exists(installed(3)));
    EXPECT_TRUE(QFileInfo(installed(1) + QStringLiteral("dba17am")).isFile());
}

TEST_F(InstallTest, uninstallMarksARegionNotInstalledOnlyWhenItsFolderIsGone)
{
    AreaOnDisk[3] = true;
    AreaDiskFolder[3] = DataRoot;
    ASSERT_TRUE(CopyAreaData(3, disc.path(), DataRoot, nullptr));
    EXPECT_TRUE(UninstallArea(3));
    EXPECT_FALSE(AreaOnDisk[3]);
    // A "folder" that is a file cannot be taken away as a folder: the region stays installed.
    AreaOnDisk[7] = true;
    AreaDiskFolder[7] = DataRoot;
    QFile blocker(installed(7).chopped(1));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(UninstallArea(7));
    EXPECT_TRUE(AreaOnDisk[7]);
}

TEST_F(InstallTest, uninstallRemovesThePartialCopyOfAKilledInstallationToo)
{
    AreaOnDisk[3] = true;
    AreaDiskFolder[3] = DataRoot;
    ASSERT_TRUE(CopyAreaData(3, disc.path(), DataRoot, nullptr));
    ASSERT_TRUE(QDir().mkpath(DataRoot + QStringLiteral(".Dt07.copying")));
    EXPECT_TRUE(UninstallArea(3));
    EXPECT_FALSE(QFileInfo::exists(DataRoot + QStringLiteral(".Dt07.copying")));
}

TEST_F(InstallTest, theInstallationFileRecordsARegionInTheSettingsRootWithoutAPath)
{
    AreaOnDisk[3] = true;
    AreaDiskFolder[3] = DataRoot;
    ASSERT_TRUE(SaveInstalledAreas());
    HdiFileRecord record;
    record.FileName = DataRoot + QStringLiteral("Murven19.hdi");
    record.Signature = QByteArrayLiteral("Murven19");
    ASSERT_EQ(ReadHdiFile(record), 0);
    EXPECT_EQ(record.Slots[2].PathLength, 0);
    EXPECT_EQ(record.Slots[0].PathLength, -1);
}

TEST_F(InstallTest, removingTheLastInstalledRegionDeletesTheInstallationFile)
{
    AreaOnDisk[3] = true;
    AreaDiskFolder[3] = DataRoot;
    ASSERT_TRUE(SaveInstalledAreas());
    AreaOnDisk[3] = false;
    ASSERT_TRUE(SaveInstalledAreas());
    EXPECT_FALSE(QFileInfo::exists(DataRoot + QStringLiteral("Murven19.hdi")));
}

// ---- the dialog ------------------------------------------------------------

class InstallDialogTest : public InstallTest {
protected:
    void tick(const char *list, int row)
    {
        dialog.findChild<QTreeWidget *>(QLatin1String(list))->topLevelItem(row)->setCheckState(0, Qt::Checked);
    }
    void press(const char *button) { dialog.findChild<QPushButton *>(QLatin1String(button))->click(); }
    THDDInstall dialog;
};

TEST_F(InstallDialogTest, offersTheAvailableRegionsNotYetInstalled)
{
    EXPECT_EQ(dialog.findChild<QTreeWidget *>(QStringLiteral("bbtnInstallList"))->topLevelItemCount(), 3);
    EXPECT_FALSE(dialog.findChild<QPushButton *>(QStringLiteral("bbtnUninstall"))->isEnabled());
}

TEST_F(InstallDialogTest, bothListsShowTheRegionAndItsSizeInColumnsOfTheirOwn)
{
    for (const char *name : {"bbtnInstallList", "bbtnUninstallList"}) {
        const QTreeWidget *list = dialog.findChild<QTreeWidget *>(QLatin1String(name));
        ASSERT_NE(list, nullptr) << name;
        ASSERT_EQ(list->columnCount(), 2) << name;
        EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("地域")) << name;
        EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("必要容量")) << name;
        EXPECT_FALSE(list->rootIsDecorated()) << name;
    }
    const QTreeWidget *list = dialog.findChild<QTreeWidget *>(QStringLiteral("bbtnInstallList"));
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const QTreeWidgetItem *tokyo = list->topLevelItem(1);
    EXPECT_EQ(tokyo->text(0), QStringLiteral("東京都"));
    const QStorageInfo storage(DataRoot);
    const std::int64_t cluster = storage.isValid() ? storage.blockSize() : 0;
    const QString size = QLocale(QLocale::Japanese).toString(
        static_cast<double>(AreaDiskSize(3, cluster)) / 1024.0 / 1024.0, 'f', 2);
    EXPECT_EQ(tokyo->text(1), size + QStringLiteral(" MB"));
    EXPECT_TRUE(tokyo->textAlignment(1) & Qt::AlignRight);
    EXPECT_EQ(tokyo->checkState(0), Qt::Unchecked);
}

TEST_F(InstallDialogTest, tooLittleFreeSpaceRefusesTheInstallation)
{
    dialog.FreeSpace = [] { return std::int64_t{1000}; };
    tick("bbtnInstallList", 1);
    press("bbtnInstall");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("空き容量が足りません  \r\n\r\n※作業領域として10MBほど余分に必要です  "));
    EXPECT_FALSE(AreaOnDisk[3]);
}

TEST_F(InstallDialogTest, installsTheTickedRegionsAndNamesThoseThatFailed)
{
    dialog.FreeSpace = [] { return std::int64_t{100} * 1024 * 1024 * 1024; };
    writeDiscRegion(7, "dba17am");
    tick("bbtnInstallList", 1); // 東京都
    tick("bbtnInstallList", 2); // 九州・沖縄, whose disc copy lacks a file
    boxes.enqueue(IDYES);
    press("bbtnInstall");
    EXPECT_TRUE(AreaOnDisk[3]);
    EXPECT_FALSE(AreaOnDisk[7]);
    EXPECT_EQ(boxes.last().text, QStringLiteral("電話帳データのインストールが完了しました  \r\n\r\n"
                                                "以下の地域はインストールできませんでした  \r\n　　九州・沖縄  "));
    EXPECT_TRUE(QFileInfo::exists(DataRoot + QStringLiteral("Murven19.hdi")));
    EXPECT_EQ(dialog.findChild<QTreeWidget *>(QStringLiteral("bbtnUninstallList"))->topLevelItemCount(), 1);
}

// A disk that fills during the copy: the region that failed says why at
// once, in the words every writer uses, and the report names it as not
// installed; nothing of its copy is left.
TEST_F(InstallDialogTest, aFullDiskNamesTheCauseOfTheRegionThatFailed)
{
    dialog.FreeSpace = [] { return std::int64_t{100} * 1024 * 1024 * 1024; };
    tick("bbtnInstallList", 1); // 東京都
    boxes.enqueue(IDYES);
    {
        const ScopedFailingDisk full(DataRoot, TDiskFault::DiskFull);
        press("bbtnInstall");
    }
    EXPECT_FALSE(AreaOnDisk[3]);
    EXPECT_FALSE(QFileInfo::exists(installed(3)));
    ASSERT_EQ(boxes.count(), 3);
    const QString told = boxes.shown().at(1).text;
    EXPECT_TRUE(told.startsWith(QStringLiteral("東京都版のデータをインストールできませんでした  \r\n"))) << qPrintable(told);
    EXPECT_TRUE(told.contains(QStringLiteral("ディスクの空き容量が足りません。"))) << qPrintable(told);
    EXPECT_EQ(boxes.last().text, QStringLiteral("電話帳データのインストールを中止しました  "));
    EXPECT_EQ(QDir(DataRoot).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
}

TEST_F(InstallDialogTest, cancellingTheDiscPromptInstallsNothing)
{
    dialog.FreeSpace = [] { return std::int64_t{100} * 1024 * 1024 * 1024; };
    SearchDataPath = home.settingsRoot() + QStringLiteral("/nowhere");
    int asked = 0;
    dialog.AskForDisc = [&] { ++asked; return QString(); };
    tick("bbtnInstallList", 0);
    boxes.enqueue(IDYES);
    press("bbtnInstall");
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(AreaOnDisk[1]);
    EXPECT_FALSE(QFileInfo::exists(DataRoot + QStringLiteral("Murven19.hdi")));
}

// ---- the copy: progress, cancel, never a partial region ----------------------------

// Copies in one-byte pieces, so a copy can be watched and cancelled in the middle.
class SmallPieces {
public:
    SmallPieces() : m_kept(AreaCopyPieceBytes) { AreaCopyPieceBytes = 1; }
    ~SmallPieces() { AreaCopyPieceBytes = m_kept; }

private:
    std::int64_t m_kept;
};

TEST_F(InstallTest, theRegionFolderAppearsOnlyOnceEveryFileIsComplete)
{
    SmallPieces pieces;
    std::int64_t last = 0;
    std::int64_t total = 0;
    bool seenEarly = false;
    ASSERT_TRUE(CopyAreaData(3, disc.path(), DataRoot, nullptr, [&](std::int64_t done, std::int64_t all) {
        EXPECT_GT(done, last);
        last = done;
        total = all;
        seenEarly = seenEarly || QFileInfo::exists(installed(3));
        return true;
    }));
    EXPECT_FALSE(seenEarly);
    EXPECT_EQ(total, 700);
    EXPECT_EQ(last, total);
    EXPECT_TRUE(QFileInfo(installed(3) + QStringLiteral("dba17tm")).isFile());
    EXPECT_EQ(QDir(DataRoot).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Dt03")})
        << "no temporary folder is left";
}

TEST_F(InstallTest, aCancelledCopyLeavesNothingOfTheRegion)
{
    SmallPieces pieces;
    QString error;
    EXPECT_FALSE(CopyAreaData(3, disc.path(), DataRoot, &error,
                              [](std::int64_t done, std::int64_t) { return done < 350; }));
    EXPECT_EQ(error, QStringLiteral("中止しました"));
    EXPECT_FALSE(QFileInfo::exists(installed(3)));
    EXPECT_TRUE(QDir(DataRoot).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(InstallTest, theLeftoversOfACopyKilledBeforeAreReplacedByAWholeCopy)
{
    // A region folder with one file and a temporary folder, as a killed run may leave them.
    ASSERT_TRUE(QDir().mkpath(installed(3)));
    ASSERT_TRUE(QDir().mkpath(DataRoot + QStringLiteral(".Dt03.copying")));
    QFile stale(installed(3) + QStringLiteral("dba17am"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("stale");
    stale.close();
    QString error;
    ASSERT_TRUE(CopyAreaData(3, disc.path(), DataRoot, &error)) << error.toStdString();
    for (const char *name : AreaDataFileNames)
        EXPECT_EQ(QFileInfo(installed(3) + QString::fromLatin1(name)).size(), 100) << name;
    EXPECT_FALSE(QFileInfo::exists(DataRoot + QStringLiteral(".Dt03.copying")));
}

TEST_F(InstallDialogTest, eachRegionIsCopiedUnderAProgressWindowWhoseCancelEndsOnlyThatRegion)
{
    SmallPieces pieces;
    dialog.FreeSpace = [] { return std::int64_t{100} * 1024 * 1024 * 1024; };
    dialog.show();
    tick("bbtnInstallList", 1); // 東京都
    tick("bbtnInstallList", 2); // 九州・沖縄
    boxes.enqueue(IDYES);
    QString title;
    bool modal = false;
    QTimer::singleShot(0, &dialog, [&] {
        QProgressDialog *progress = dialog.CopyProgress();
        ASSERT_NE(progress, nullptr);
        title = progress->windowTitle();
        modal = progress->isModal();
        saveScreenshot(progress, QStringLiteral("HDDInstall-progress"));
        progress->cancel();
    });
    press("bbtnInstall");
    EXPECT_EQ(title, QStringLiteral("東京都版のデータをインストール中．．．"));
    EXPECT_TRUE(modal);
    EXPECT_FALSE(AreaOnDisk[3]);
    EXPECT_FALSE(QFileInfo::exists(installed(3)));
    EXPECT_TRUE(AreaOnDisk[7]);
    EXPECT_EQ(boxes.last().text, QStringLiteral("電話帳データのインストールが完了しました  \r\n\r\n"
                                                "以下の地域はインストールできませんでした  \r\n　　東京都  "));
    EXPECT_EQ(dialog.CopyProgress(), nullptr);
    saveScreenshot(&dialog, QStringLiteral("HDDInstall-afterInstall"));
}

TEST_F(InstallDialogTest, cancellingTheOnlyRegionReportsTheInstallationStoppedAndWritesNoFile)
{
    SmallPieces pieces;
    dialog.FreeSpace = [] { return std::int64_t{100} * 1024 * 1024 * 1024; };
    tick("bbtnInstallList", 1);
    boxes.enqueue(IDYES);
    QTimer::singleShot(0, &dialog, [&] {
        if (QProgressDialog *progress = dialog.CopyProgress())
            progress->cancel();
    });
    press("bbtnInstall");
    EXPECT_FALSE(AreaOnDisk[3]);
    // The question and the report: a cancel needs no word of its own.
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text, QStringLiteral("電話帳データのインストールを中止しました  "));
    EXPECT_FALSE(QFileInfo::exists(DataRoot + QStringLiteral("Murven19.hdi")));
    EXPECT_EQ(dialog.findChild<QTreeWidget *>(QStringLiteral("bbtnInstallList"))->topLevelItemCount(), 3);
}

TEST_F(InstallDialogTest, aDoubleClickTicksARowAndTheSizesFollow)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTreeWidget *list = dialog.findChild<QTreeWidget *>(QStringLiteral("bbtnInstallList"));
    const QPoint at = list->visualItemRect(list->topLevelItem(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    const QString none = QStringLiteral("0.00");
    EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Checked);
    EXPECT_NE(dialog.NeedText(), none);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(dialog.NeedText(), none);
}

TEST_F(InstallTest, withEveryRegionInstalledTheInstallPageIsEmptyAndRemovingTheLastDeletesTheFile)
{
    for (int area : {1, 3, 7}) {
        ASSERT_TRUE(CopyAreaData(area, disc.path(), DataRoot, nullptr));
        AreaOnDisk[static_cast<std::size_t>(area)] = true;
        AreaDiskFolder[static_cast<std::size_t>(area)] = DataRoot;
    }
    ASSERT_TRUE(SaveInstalledAreas());
    THDDInstall dialog;
    auto list = [&](const char *name) { return dialog.findChild<QTreeWidget *>(QLatin1String(name)); };
    EXPECT_EQ(list("bbtnInstallList")->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.findChild<QPushButton *>(QStringLiteral("bbtnInstall"))->isEnabled());
    ASSERT_EQ(list("bbtnUninstallList")->topLevelItemCount(), 3);
    for (int row = 0; row < 3; ++row)
        list("bbtnUninstallList")->topLevelItem(row)->setCheckState(0, Qt::Checked);
    boxes.enqueue(IDYES);
    dialog.findChild<QPushButton *>(QStringLiteral("bbtnUninstall"))->click();
    EXPECT_EQ(boxes.last().text, QStringLiteral("電話帳データのアンインストールが完了しました  \r\n\r\n"));
    EXPECT_FALSE(QFileInfo::exists(DataRoot + QStringLiteral("Murven19.hdi")));
    EXPECT_FALSE(QFileInfo::exists(installed(3)));
    EXPECT_EQ(list("bbtnInstallList")->topLevelItemCount(), 3);
    EXPECT_FALSE(dialog.findChild<QPushButton *>(QStringLiteral("bbtnUninstall"))->isEnabled());
}

TEST(ChangeDisc, aTypedFolderIsTheChosenDrive)
{
    TChangeDisc prompt;
    prompt.SetDrive(QStringLiteral("/media/sample-disc"));
    prompt.findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
    EXPECT_EQ(prompt.Drive(), QStringLiteral("/media/sample-disc"));
}

TEST_F(InstallDialogTest, theManualPageFollowsTheTabShown)
{
    auto *tabs = dialog.findChild<QTabWidget *>(QStringLiteral("pgctlInstall"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(HelpContextOf(&dialog), 3);
    tabs->setCurrentIndex(1);
    EXPECT_EQ(HelpContextOf(&dialog), 4);
    EXPECT_EQ(HelpContextOf(dialog.findChild<QTreeWidget *>(QStringLiteral("bbtnUninstallList"))), 4);
    tabs->setCurrentIndex(0);
    EXPECT_EQ(HelpContextOf(&dialog), 3);
}

} // namespace
