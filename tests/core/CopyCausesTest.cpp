// The backup and restore wizards keep the marks and reasons of their result
// list as short as they are ("×", "コピー失敗"); what failed and why (a file
// set read-only, a full disk, a folder that cannot be made) is the row's tip,
// which the user reads by pointing at the row. A file the user set read-only
// stays as it was.
#include "core/BkupDat.h"
#include "core/RestDat.h"

#include "WizardFixture.h"
#include "core/Env.h"
#include "support/FailingDisk.h"
#include "support/FileHelpers.h"
#include "support/OrdinaryUser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLineEdit>
#include <QToolTip>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

namespace {

const QString kReadOnly = QStringLiteral("ファイルが読み取り専用のため、書き込めません。");
const QString kFull = QStringLiteral("ディスクの空き容量が足りません。");

struct TShownRow {
    QString Mark;
    QString Reason;
    QString Tip;
};

// The row of the result list whose first cell is Label, with the tip the
// list shows when the pointer rests on it.
TShownRow shownRow(QWidget &Wizard, const QString &Label)
{
    auto *list = Wizard.findChild<QTreeWidget *>(QStringLiteral("lvResult"));
    EXPECT_NE(list, nullptr);
    if (!list)
        return {};
    Wizard.show();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = list->topLevelItem(i);
        if (row->text(0) != Label)
            continue;
        list->scrollToItem(row);
        const QPoint at = list->visualItemRect(row).center();
        QHelpEvent hover(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(list->viewport(), &hover);
        const QString tip = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        return {row->text(1), row->text(2), tip};
    }
    ADD_FAILURE() << "no row " << qPrintable(Label);
    return {};
}

void setReadOnly(const QString &File)
{
    ASSERT_EQ(::chmod(QFile::encodeName(File).constData(), 0444), 0) << qPrintable(File);
}

// What stands in the way of a copy into a folder.
enum class TFault {
    ReadOnlyFile,      // the file there set read-only by its user
    FullDisk,          // the disk holding the folder has no room left
    FileInFolderPlace, // a file where the copy's folder should be
};

class CopyCauses : public WizardFixture
{
protected:
    // The data folder as a user has it: the book 家族, a postcard layout, a
    // history and a filter pattern.
    void SetUp() override
    {
        WizardFixture::SetUp();
        QDir().mkpath(DataPath + QStringLiteral("Layout"));
        QDir().mkpath(HistoryPath);
        writeBytes(DataPath + QStringLiteral("Layout/年賀状.gpl"), "layout");
        writeBytes(HistoryPath + QStringLiteral("Post.mtd"), "部長\r\n");
        writeBytes(DataPath + QStringLiteral("Search.ptn"), "pattern");
    }
    // Puts the fault in place for Target (a file under Folder) and gives what
    // undoes it at the end of the run; the run goes as an ordinary user for
    // a read-only file (the tests may run as root, whom no mode binds).
    std::shared_ptr<void> fault(TFault Fault, const QString &Folder, const QString &Target)
    {
        switch (Fault) {
        case TFault::ReadOnlyFile: {
            setReadOnly(Target);
            auto user = std::make_shared<ScopedOrdinaryUser>(QStringList{home.root()});
            EXPECT_TRUE(user->Bound());
            return user;
        }
        case TFault::FullDisk:
            return std::make_shared<ScopedFailingDisk>(Folder, TDiskFault::DiskFull);
        case TFault::FileInFolderPlace: {
            const QString folder = QFileInfo(Target).absolutePath();
            EXPECT_TRUE(QDir(folder).removeRecursively());
            writeBytes(folder, "not a folder");
            return {};
        }
        }
        return {};
    }
    // The book written anew, with other records.
    static void rewriteBook()
    {
        ASSERT_TRUE(QDir(AdrsPath + QStringLiteral("Book1")).removeRecursively());
        WriteMarkedBook(AdrsPath + QStringLiteral("Book1"), "later", 5);
    }
    // The backup wizard run into the backup folder, every question answered yes.
    void backUpTo(TBackupData &Wizard, ScriptedMessageBoxes &Boxes) const
    {
        Wizard.findChild<QLineEdit *>(QStringLiteral("edtDest"))->setText(backup);
        Wizard.btnNextClick();
        Boxes.enqueue(IDYES); // back up
        if (!QFileInfo(backup).isDir())
            Boxes.enqueue(IDYES); // make the folder
        Wizard.btnBackupClick();
        ASSERT_EQ(Wizard.Page(), 2);
    }
    // The restore wizard run from the backup folder into the data folder.
    void restoreFrom(TRestoreData &Wizard, ScriptedMessageBoxes &Boxes) const
    {
        Wizard.findChild<QLineEdit *>(QStringLiteral("edtSrc"))->setText(backup);
        Wizard.btnNextClick();
        ASSERT_EQ(Wizard.Page(), 1);
        Boxes.enqueue(IDYES);
        Wizard.btnRestoreClick();
        ASSERT_EQ(Wizard.Page(), 2);
    }
    static QString inWay(TFault Fault, const QString &Target)
    {
        return Fault == TFault::FileInFolderPlace ? QFileInfo(Target).absolutePath() : Target;
    }

    const QString backup = home.root() + QStringLiteral("/usb/backup/");
};

struct TBackupCauseCase {
    const char *name;
    const char *target; // in the backup folder
    TFault fault;
    const char16_t *row;
    const char16_t *cells; // mark|reason
    const char16_t *cause; // in the tip, beside the file's or folder's name
};

void PrintTo(const TBackupCauseCase &c, std::ostream *os) { *os << c.name; }

class BackupCauses : public CopyCauses, public ::testing::WithParamInterface<TBackupCauseCase>
{
};

TEST_P(BackupCauses, showTheRowAsBeforeWithItsCauseAsTheTipAndKeepTheFile)
{
    const TBackupCauseCase &c = GetParam();
    {
        TBackupData first;
        ASSERT_NO_FATAL_FAILURE(backUpTo(first, boxes));
    }
    // The data changed since: a backup now would write every file anew.
    ASSERT_NO_FATAL_FAILURE(rewriteBook());
    writeBytes(DataPath + QStringLiteral("Layout/年賀状.gpl"), "layout, later");
    writeBytes(HistoryPath + QStringLiteral("Post.mtd"), "部長\r\n課長\r\n");
    writeBytes(DataPath + QStringLiteral("Search.ptn"), "pattern, later");

    const QString target = backup + QString::fromUtf8(c.target);
    TBackupData wizard;
    QByteArray before;
    {
        const std::shared_ptr<void> inTheWay = fault(c.fault, backup, target);
        ASSERT_FALSE(HasFailure());
        before = fileBytes(inWay(c.fault, target));
        ASSERT_NO_FATAL_FAILURE(backUpTo(wizard, boxes));
    }
    const TShownRow row = shownRow(wizard, QString::fromUtf16(c.row));
    EXPECT_EQ(row.Mark + QLatin1Char('|') + row.Reason, QString::fromUtf16(c.cells));
    EXPECT_TRUE(row.Tip.contains(QString::fromUtf16(c.cause))) << qPrintable(row.Tip);
    EXPECT_TRUE(row.Tip.contains(QDir::toNativeSeparators(inWay(c.fault, target)))) << qPrintable(row.Tip);
    EXPECT_TRUE(sameBytes(before, fileBytes(inWay(c.fault, target))));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BackupCauses,
    ::testing::Values(
        TBackupCauseCase{"readOnlyBookTable", "Adrs/Book1/Adrs.DB", TFault::ReadOnlyFile, u"アドレス帳： 家族",
                         u"×|コピー失敗", u"ファイルが読み取り専用のため、書き込めません。"},
        TBackupCauseCase{"readOnlyLayout", "Layout/年賀状.gpl", TFault::ReadOnlyFile, u"宛名ファイル", u"×|コピー失敗",
                         u"ファイルが読み取り専用のため、書き込めません。"},
        TBackupCauseCase{"readOnlyHistory", "History/Post.mtd", TFault::ReadOnlyFile, u"役職ファイル", u"×|コピー失敗",
                         u"ファイルが読み取り専用のため、書き込めません。"},
        TBackupCauseCase{"readOnlySettingsFile", "Search.ptn", TFault::ReadOnlyFile, u"絞り込み条件パターンファイル",
                         u"×|コピー失敗", u"ファイルが読み取り専用のため、書き込めません。"},
        TBackupCauseCase{"fullDiskBookTable", "Adrs/Book1/Adrs.DB", TFault::FullDisk, u"アドレス帳： 家族",
                         u"×|コピー失敗", u"ディスクの空き容量が足りません。"},
        TBackupCauseCase{"fullDiskLayout", "Layout/年賀状.gpl", TFault::FullDisk, u"宛名ファイル", u"×|コピー失敗",
                         u"ディスクの空き容量が足りません。"},
        TBackupCauseCase{"fullDiskSettingsFile", "Search.ptn", TFault::FullDisk, u"絞り込み条件パターンファイル",
                         u"×|コピー失敗", u"ディスクの空き容量が足りません。"},
        TBackupCauseCase{"fileInTheHistoryFolder", "History/Post.mtd", TFault::FileInFolderPlace, u"役職ファイル",
                         u"×|フォルダーの作成に失敗", u"を作成できません。"},
        TBackupCauseCase{"fileInTheLayoutFolder", "Layout/年賀状.gpl", TFault::FileInFolderPlace, u"宛名ファイル",
                         u"×|フォルダーの作成に失敗", u"を作成できません。"}),
    [](const ::testing::TestParamInfo<TBackupCauseCase> &info) { return std::string(info.param.name); });

TEST_F(CopyCauses, aBackupDoneShowsNoTip)
{
    TBackupData wizard;
    ASSERT_NO_FATAL_FAILURE(backUpTo(wizard, boxes));
    for (const char16_t *label : {u"アドレス帳： 家族", u"宛名ファイル", u"役職ファイル"}) {
        const TShownRow row = shownRow(wizard, QString::fromUtf16(label));
        EXPECT_EQ(row.Mark, QStringLiteral("○"));
        EXPECT_EQ(row.Tip, QString()) << qPrintable(QString::fromUtf16(label));
    }
}

// ---- the restore, into the data folder ---------------------------------------

struct TRestoreCauseCase {
    const char *name;
    const char *target; // in the data folder
    const char16_t *row;
};

void PrintTo(const TRestoreCauseCase &c, std::ostream *os) { *os << c.name; }

class RestoreCauses : public CopyCauses, public ::testing::WithParamInterface<TRestoreCauseCase>
{
};

TEST_P(RestoreCauses, keepAFileSetReadOnlyAndNameItAsTheRowsTip)
{
    {
        TBackupData first;
        ASSERT_NO_FATAL_FAILURE(backUpTo(first, boxes));
    }
    // The data changed since the backup; the user set one file read-only.
    ASSERT_NO_FATAL_FAILURE(rewriteBook());
    writeBytes(DataPath + QStringLiteral("Layout/年賀状.gpl"), "layout, later");
    writeBytes(DataPath + QStringLiteral("Search.ptn"), "pattern, later");
    const QString target = DataPath + QString::fromUtf8(GetParam().target);
    const QByteArray before = fileBytes(target);
    TRestoreData wizard;
    {
        const std::shared_ptr<void> inTheWay = fault(TFault::ReadOnlyFile, DataPath, target);
        ASSERT_FALSE(HasFailure());
        ASSERT_NO_FATAL_FAILURE(restoreFrom(wizard, boxes));
    }
    const TShownRow row = shownRow(wizard, QString::fromUtf16(GetParam().row));
    EXPECT_EQ(row.Mark + QLatin1Char('|') + row.Reason, QStringLiteral("×|コピー失敗"));
    EXPECT_TRUE(row.Tip.contains(kReadOnly)) << qPrintable(row.Tip);
    EXPECT_TRUE(row.Tip.contains(QDir::toNativeSeparators(target))) << qPrintable(row.Tip);
    EXPECT_TRUE(sameBytes(before, fileBytes(target)));
    EXPECT_EQ(fileMode(target), 0444);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RestoreCauses,
    ::testing::Values(TRestoreCauseCase{"bookTable", "Adrs/Book1/Adrs.DB", u"アドレス帳： Book1"},
                      TRestoreCauseCase{"layout", "Layout/年賀状.gpl", u"宛名ファイル"},
                      TRestoreCauseCase{"settingsFile", "Search.ptn", u"絞り込み条件パターンファイル"}),
    [](const ::testing::TestParamInfo<TRestoreCauseCase> &info) { return std::string(info.param.name); });

// A file of the book's folder that the backup lacks stays in the folder, and
// stays as its user set it.
TEST_F(CopyCauses, restoreKeepsTheModeOfAFileTheBackupLacks)
{
    {
        TBackupData first;
        ASSERT_NO_FATAL_FAILURE(backUpTo(first, boxes));
    }
    const QString note = AdrsPath + QStringLiteral("Book1/メモ.txt");
    writeBytes(note, "memo");
    setReadOnly(note);
    TRestoreData wizard;
    ASSERT_NO_FATAL_FAILURE(restoreFrom(wizard, boxes));
    EXPECT_EQ(shownRow(wizard, QStringLiteral("アドレス帳： Book1")).Mark, QStringLiteral("○"));
    EXPECT_EQ(fileBytes(note), QByteArray("memo"));
    EXPECT_EQ(fileMode(note), 0444);
}

} // namespace
