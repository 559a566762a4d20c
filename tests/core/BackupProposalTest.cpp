#include "core/BkupDat.h"
#include "core/RestDat.h"

#include "WizardFixture.h"
#include "core/AdrsSel.h"
#include "core/Env.h"
#include "DataFolderBooks.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"
#include "util/MsgBoxPos.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The folder a proposal puts its dated folder in.
QString baseOf(const QString &proposal)
{
    static const QRegularExpression dated(QStringLiteral("^(.*/)\\d{8} \\d{6}/$"));
    const QRegularExpressionMatch m = dated.match(proposal);
    return m.hasMatch() ? m.captured(1) : QStringLiteral("(not dated) ") + proposal;
}

struct ProposalCase {
    const char *name;
    const char *lastBackup;   // relative to the home, "" none
    const char *settingsRoot; // relative to the home
    const char *base;         // expected, relative to the home ("" the home: beside the data folder)
};

void PrintTo(const ProposalCase &c, std::ostream *os)
{
    *os << c.name;
}

class BackupProposal : public ::testing::TestWithParam<ProposalCase>
{
protected:
    ScopedHome home;
    QString at(const char *relative) const
    {
        return *relative ? home.root() + QLatin1Char('/') + QString::fromUtf8(relative) : QString();
    }
};

// The data folder is <home>/data/ in every case.
TEST_P(BackupProposal, isNeverInsideTheDataFolder)
{
    const ProposalCase &c = GetParam();
    const QString data = home.root() + QStringLiteral("/data/");
    QDir().mkpath(data);
    const QString proposal = ProposedBackupFolder(data, at(c.lastBackup), at(c.settingsRoot));
    EXPECT_EQ(baseOf(proposal), home.root() + QLatin1Char('/') + QString::fromUtf8(c.base));
    EXPECT_FALSE(proposal.startsWith(data));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, BackupProposal,
    ::testing::Values(ProposalCase{"firstBackupGoesToTheSettingsRoot", "", "root/", "root/Backup/"},
                      ProposalCase{"besideTheLastBackup", "usb/20140101 090000/", "root/", "usb/"},
                      ProposalCase{"lastBackupWithoutDelimiter", "usb/20140101 090000", "root/", "usb/"},
                      ProposalCase{"lastBackupInsideTheDataFolderIsPassedOver", "data/20140101 090000/", "root/",
                                   "root/Backup/"},
                      ProposalCase{"settingsRootIsTheDataFolder", "", "data/", ""},
                      ProposalCase{"settingsRootInsideTheDataFolder", "", "data/settings/", ""}),
    [](const auto &info) { return std::string(info.param.name); });

// The wizards as a user meets them: a backup, then the restore proposes
// that backup and goes on with it; the next backup goes beside it.
using BackupThenRestore = WizardFixture;

TEST_F(BackupThenRestore, theRestoreProposesTheLastBackupAndTheNextBackupGoesBesideIt)
{
    {
        TRestoreData restore;
        EXPECT_TRUE(child<QLineEdit>(restore, "edtSrc")->text().isEmpty()) << "no backup yet, never the data folder";
    }
    QString made;
    {
        TBackupData backup;
        made = child<QLineEdit>(backup, "edtDest")->text();
        child<QPushButton>(backup, "btnNext")->click();
        ASSERT_EQ(backup.Page(), 1);
        boxes.enqueue(IDYES); // back up
        boxes.enqueue(IDYES); // make the folder
        child<QPushButton>(backup, "btnBackup")->click();
        ASSERT_EQ(backup.Page(), 2);
    }
    EXPECT_TRUE(QFileInfo::exists(made + "Adrs/Book1/Adrs.DB"));
    EXPECT_EQ(LastBackupFolder(), made);

    TRestoreData restore;
    EXPECT_EQ(child<QLineEdit>(restore, "edtSrc")->text(), made);
    boxes.clear();
    child<QPushButton>(restore, "btnNext")->click();
    EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());
    EXPECT_EQ(restore.Page(), 1) << "the proposal is taken as it stands";

    TBackupData next;
    EXPECT_EQ(QFileInfo(QDir::cleanPath(child<QLineEdit>(next, "edtDest")->text())).path(),
              QFileInfo(QDir::cleanPath(made)).path());
}

TEST_F(BackupThenRestore, aLastBackupThatIsGoneIsNotProposed)
{
    ASSERT_TRUE(RememberBackupFolder(home.root() + "/usb/20140101 090000/"));
    TRestoreData restore;
    EXPECT_TRUE(child<QLineEdit>(restore, "edtSrc")->text().isEmpty());
}

} // namespace
