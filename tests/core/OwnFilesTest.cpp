#include "core/OwnFiles.h"

#include "core/AdrsSel.h"
#include "core/Env.h"
#include "support/DataFolders.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

// Which files an export may write: a data folder with the listed book 家族
// and an unlisted folder 旧 beside it, the sender table, a history and the
// settings file. Each target is reached as a user would name it: its own
// path, another letter case, a folder link, a file link, a hard link.

namespace {

struct TargetCase {
    const char *label;
    const char *target; // under the temporary home
    bool refused;
};
void PrintTo(const TargetCase &c, std::ostream *os) { *os << c.label; }

class ProgramFileTest : public ::testing::TestWithParam<TargetCase>
{
protected:
    void SetUp() override
    {
        for (const char *file : {"root/Murven19.ini", "root/Label.pi", "out/export.csv", "data/Other/Sender.DB", "data/Adrs/家族/Adrs.DB",
                                 "data/Adrs/家族/Group.dat", "data/Adrs/旧/Adrs.DB", "data/History/Post.mtd",
                                 "data/Sender.ini", "data/AdrsList.ini", "data/Search.lst", "data/NmAd.shc",
                                 "data/backup.imp/Adrs/家族/Adrs.DB", "data/Layout/年賀.gpl"})
            write(path(file));
        ASSERT_TRUE(QDir().mkpath(path("out")));
        ASSERT_TRUE(QFile::link(path("data/Adrs/家族"), path("out/folderLink")));
        ASSERT_TRUE(QFile::link(path("data/Other/Sender.DB"), path("out/fileLink.csv")));
        // Links to the settings root's files, to a layout, a link to a link,
        // and a link whose file is not there yet.
        ASSERT_TRUE(QFile::link(path("root/Murven19.ini"), path("out/settingsLink.pdf")));
        ASSERT_TRUE(QFile::link(path("root/Label.pi"), path("out/printerLink.pdf")));
        ASSERT_TRUE(QFile::link(path("data/Layout/年賀.gpl"), path("out/layoutLink.pdf")));
        ASSERT_TRUE(QFile::link(path("out/settingsLink.pdf"), path("out/linkToALink.pdf")));
        ASSERT_TRUE(QFile::link(path("root/LstPrint.pi"), path("out/danglingLink.pdf")));
        ASSERT_TRUE(QFile::link(path("out/export.csv"), path("out/linkToAnOrdinaryFile.pdf")));
        ASSERT_EQ(::link(QFile::encodeName(path("data/Adrs/家族/Adrs.DB")).constData(),
                         QFile::encodeName(path("out/hardLink.csv")).constData()),
                  0);
        AdrsFolderList = {{QStringLiteral("家族"), QStringLiteral("家族"), AdrsStateUnchanged}};
    }
    void TearDown() override { AdrsFolderList.clear(); }

    QString path(const char *relative) const { return home.root() + u'/' + QString::fromUtf8(relative); }
    static void write(const QString &file)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kept");
    }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
};

TEST_P(ProgramFileTest, isRefusedOnlyWhenTheProgramKeepsIt)
{
    const QString refusal = ProgramFileRefusal(path(GetParam().target));
    EXPECT_EQ(!refusal.isEmpty(), GetParam().refused) << qPrintable(refusal);
    if (GetParam().refused) {
        EXPECT_TRUE(refusal.contains(path(GetParam().target)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, ProgramFileTest,
    ::testing::Values(TargetCase{"settingsFile", "root/Murven19.ini", true},
                      TargetCase{"newFileInTheSettingsRoot", "root/export.csv", true},
                      TargetCase{"senderTable", "data/Other/Sender.DB", true},
                      TargetCase{"listedBookTable", "data/Adrs/家族/Adrs.DB", true},
                      TargetCase{"listedBookTableNotYetMade", "data/Adrs/家族/Adrs.PX", true},
                      TargetCase{"listedBookGroups", "data/Adrs/家族/Group.dat", true},
                      TargetCase{"tableInOtherLetterCase", "data/Adrs/家族/adrs.db", true},
                      TargetCase{"tableThroughAFolderLink", "out/folderLink/Adrs.DB", true},
                      TargetCase{"linkToTheSenderTable", "out/fileLink.csv", true},
                      TargetCase{"hardLinkToTheTable", "out/hardLink.csv", true},
                      TargetCase{"linkToTheSettingsFile", "out/settingsLink.pdf", true},
                      TargetCase{"linkToAPrinterSettingsFile", "out/printerLink.pdf", true},
                      TargetCase{"linkToALayout", "out/layoutLink.pdf", true},
                      TargetCase{"linkToALinkToTheSettingsFile", "out/linkToALink.pdf", true},
                      TargetCase{"linkToASettingsFileNotYetMade", "out/danglingLink.pdf", true},
                      TargetCase{"linkToAnOrdinaryFile", "out/linkToAnOrdinaryFile.pdf", false},
                      TargetCase{"history", "data/History/Post.mtd", true},
                      TargetCase{"dataFolderSettings", "data/Sender.ini", true},
                      TargetCase{"bookList", "data/Adrs/AdrsMng.ini", true},
                      TargetCase{"listSettings", "data/AdrsList.ini", true},
                      TargetCase{"listFilter", "data/Search.lst", true},
                      TargetCase{"directorySearchHistory", "data/NmAd.shc", true},
                      TargetCase{"importLog", "data/InError.txt", true},
                      TargetCase{"importSafetyCopyOfABook", "data/backup.imp/Adrs/家族/Adrs.DB", true},
                      TargetCase{"newFileAmongTheImportSafetyCopies", "data/backup.imp/export.csv", true},
                      TargetCase{"layoutFile", "data/Layout/年賀.gpl", true},
                      TargetCase{"designFileInOtherLetterCase", "data/Design/挨拶.GPD", true},
                      TargetCase{"downloadedUpdate", "root/update/setup.bin", true},
                      TargetCase{"textBesideTheLayouts", "data/Layout/notes.txt", false},
                      TargetCase{"exportInTheDataFolder", "data/アドレス帳.txt", false},
                      TargetCase{"tableOfAFolderNoBookIsIn", "data/Adrs/旧/Adrs.DB", false},
                      TargetCase{"textBesideTheSenderTable", "data/Other/Sender.csv", false},
                      TargetCase{"ordinaryFileElsewhere", "out/export.csv", false}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(ProgramFile, theUserRegistryIsRefused)
{
    ScopedHome home;
    EXPECT_FALSE(ProgramFileRefusal(home.userRegistry()).isEmpty());
}

} // namespace
