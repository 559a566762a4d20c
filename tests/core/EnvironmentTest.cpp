#include "core/Environment.h"

#include "core/Env.h"
#include "core/Main.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/Screenshot.h"
#include "support/SaveFaultCases.h"
#include "util/SubUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

namespace {

// ---- The rules of a data folder ---------------------------------------------

TVolumeState localVolume(const QString &)
{
    return {true, false, false};
}

struct FolderCase {
    const char *name;
    QString text;
    TVolumeState volume;
    TDataFolderError error;
    QString folder;
};

std::ostream &operator<<(std::ostream &out, const FolderCase &c)
{
    return out << c.name;
}

class DataFolderRules : public ::testing::TestWithParam<FolderCase>
{
};

TEST_P(DataFolderRules, decideWhetherAFolderMayHoldTheData)
{
    const FolderCase &c = GetParam();
    const TDataFolderCheck check = CheckDataFolder(c.text, [&](const QString &) { return c.volume; });
    EXPECT_EQ(check.Error, c.error);
    EXPECT_EQ(check.Folder, c.folder);
}

const TVolumeState kLocal{true, false, false};

INSTANTIATE_TEST_SUITE_P(
    Folders, DataFolderRules,
    ::testing::Values(
        FolderCase{"emptyIsRefused", QStringLiteral("   "), kLocal, TDataFolderError::Empty, {}},
        FolderCase{"relativePathIsInvalid", QStringLiteral("data/books"), kLocal, TDataFolderError::Invalid, {}},
        FolderCase{"windowsDriveIsInvalid", QStringLiteral("D:\\Data"), kLocal, TDataFolderError::Invalid, {}},
        FolderCase{"networkPathNotationIsInvalid", QStringLiteral("\\\\server\\share"), kLocal,
                   TDataFolderError::Invalid, {}},
        FolderCase{"controlCharacterIsInvalid", QStringLiteral("/home/a\tb"), kLocal, TDataFolderError::Invalid, {}},
        FolderCase{"unmountedVolumeIsInvalid", QStringLiteral("/media/usb/data"), TVolumeState{false, false, false},
                   TDataFolderError::Invalid, {}},
        FolderCase{"networkFileSystemIsRefused", QStringLiteral("/mnt/nfs/data"), TVolumeState{true, true, false},
                   TDataFolderError::NotLocal, {}},
        FolderCase{"readOnlyVolumeIsRefused", QStringLiteral("/media/cdrom/data"), TVolumeState{true, false, true},
                   TDataFolderError::ReadOnly, {}},
        FolderCase{"localFolderGetsItsDelimiter", QStringLiteral(" /home/user/Data "), kLocal, TDataFolderError::None,
                   QStringLiteral("/home/user/Data/")},
        FolderCase{"dotsAreResolved", QStringLiteral("/home/user/x/../Data/."), kLocal, TDataFolderError::None,
                   QStringLiteral("/home/user/Data/")},
        FolderCase{"letterCaseIsKept", QStringLiteral("/HOME/Data/"), kLocal, TDataFolderError::None,
                   QStringLiteral("/HOME/Data/")},
        FolderCase{"twoHundredWithDelimiterFits", QLatin1Char('/') + QString(198, QLatin1Char('a')), kLocal,
                   TDataFolderError::None, QLatin1Char('/') + QString(198, QLatin1Char('a')) + QLatin1Char('/')},
        // The start-up would not take a longer one and fall back to the default folder.
        FolderCase{"twoHundredAndOneWithDelimiterIsInvalid", QLatin1Char('/') + QString(199, QLatin1Char('a')), kLocal,
                   TDataFolderError::Invalid, {}}),
    [](const ::testing::TestParamInfo<FolderCase> &info) { return std::string(info.param.name); });

TEST(SystemVolume, aMissingFolderIsJudgedByTheVolumeOfItsParent)
{
    QTemporaryDir dir;
    const TVolumeState state = SystemVolumeState(dir.path() + QStringLiteral("/not/yet/there"));
    EXPECT_TRUE(state.Found);
    EXPECT_FALSE(state.ReadOnly);
}

TEST(RecentFolders, aChosenFolderMovesToTheFront)
{
    const QStringList list = {QStringLiteral("/a/"), QStringLiteral("/b/"), QStringLiteral("/c/")};
    EXPECT_EQ(PushRecentFolder(list, QStringLiteral("/c/")),
              (QStringList{QStringLiteral("/c/"), QStringLiteral("/a/"), QStringLiteral("/b/")}));
    EXPECT_EQ(PushRecentFolder(list, QStringLiteral("/d/")).first(), QStringLiteral("/d/"));
}

TEST(RecentFolders, foldersInAnotherLetterCaseAreTwoEntries)
{
    EXPECT_EQ(PushRecentFolder({QStringLiteral("/data/")}, QStringLiteral("/Data/")).size(), 2);
}

// ---- The dialog ---------------------------------------------------------------

class SettingsDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        QDir().mkpath(DataPath);
        m_previousProbe = SetVolumeProbe(localVolume);
        SearchAreaList = {AreaKeyNames[2], AreaKeyNames[3]};
        UseArea = {};
        UseArea[2] = true;
        HisCount = 10;
        AdrsName = QStringLiteral("仕事");
        UnavailableDataPath.clear();
        AddressChangeData = AddressFormClose = AddressConfirmation = AddressOutOfTarget = true;
        ViewBGPaint = true;
        ViewBGColor = 0xDFFFEF;
        CooperateMap = 2;
        CooperateRoot = 0;
        UpdateCheck = true;
        UpdateDomain = QStringLiteral("updates.example.jp"); // a check can run
        writeSetting(QStringLiteral("BASE"), QStringLiteral("DataPath"), DataPath);
    }
    void TearDown() override
    {
        dialog.reset();
        SetVolumeProbe(m_previousProbe);
        SearchAreaList.clear();
        UseArea = m_savedUseArea;
        HisCount = m_savedHisCount;
        AdrsName = m_savedAdrsName;
        UpdateCheck = m_savedUpdateCheck;
        UpdateDomain = m_savedUpdateDomain;
        UnavailableDataPath.clear();
    }

    static void writeSetting(const QString &section, const QString &key, const QString &value)
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteString(section, key, value);
        ASSERT_TRUE(ini.UpdateFile());
    }
    static QString setting(const QString &section, const QString &key)
    {
        return TMemIniFile(SettingsFileName()).ReadString(section, key, QStringLiteral("<none>"));
    }
    static QByteArray settingsBytes()
    {
        QFile file(SettingsFileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void open()
    {
        dialog = std::make_unique<TEnvironment>();
        dialog->CloseChildWindows = [this] {
            ++closeCalls;
            return allowClose;
        };
        dialog->SaveListSettings = [this] { ++saveCalls; };
        dialog->show();
        dialog->activateWindow();
        (void)QTest::qWaitForWindowActive(dialog.get());
    }
    template <class T> T *child(const char *name) const { return dialog->findChild<T *>(QLatin1String(name)); }
    void typeFolder(const QString &text) const { child<QComboBox>("cbxDataPath")->setEditText(text); }
    void pressSet() const { QTest::mouseClick(child<QPushButton>("btnSet"), Qt::LeftButton); }

    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    ScriptedMessageBoxes boxes;
    std::unique_ptr<TEnvironment> dialog;
    int closeCalls = 0;
    int saveCalls = 0;
    bool allowClose = true;

private:
    TVolumeProbe m_previousProbe;
    const std::array<bool, AreaCount + 1> m_savedUseArea = UseArea;
    const int m_savedHisCount = HisCount;
    const QString m_savedAdrsName = AdrsName;
    const bool m_savedUpdateCheck = UpdateCheck;
    const QString m_savedUpdateDomain = UpdateDomain;
};

TEST_F(SettingsDialog, onlyInstalledRegionsCanBeChosen)
{
    open();
    for (int page = 0; page < 6; ++page) {
        dialog->ShowPage(page);
        EXPECT_FALSE(saveScreenshot(dialog.get(), QStringLiteral("Environment-page%1").arg(page)).isEmpty());
    }
    dialog->ShowPage(0);
    EXPECT_FALSE(child<QCheckBox>("chkArea1")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>("chkArea2")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("chkArea3")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("chkArea3")->isChecked());
}

TEST_F(SettingsDialog, showsTheDataFolderWithoutItsDelimiter)
{
    open();
    EXPECT_EQ(child<QComboBox>("cbxDataPath")->currentText(), DataPath.chopped(1));
}

TEST_F(SettingsDialog, noRegionChosenIsRefusedAndNothingIsWritten)
{
    const QByteArray before = settingsBytes();
    open();
    child<QCheckBox>("chkArea2")->setChecked(false);
    pressSet();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("検索対象地域を１つ以上指定してください  "));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(settingsBytes(), before);
}

TEST_F(SettingsDialog, anEmptyFolderIsRefused)
{
    open();
    typeFolder(QString());
    pressSet();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("フォルダーを指定してください  "));
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONINFORMATION));
}

TEST_F(SettingsDialog, aNetworkFolderIsRefused)
{
    SetVolumeProbe([](const QString &) { return TVolumeState{true, true, false}; });
    open();
    typeFolder(home.path() + QStringLiteral("/nfs"));
    pressSet();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("ハードディスクドライブか  \r\nリムーバブルドライブを指定してください  "));
}

TEST_F(SettingsDialog, aMissingFolderIsMadeOnlyWhenTheUserAgrees)
{
    const QString folder = home.path() + QStringLiteral("/new/Books");
    open();
    typeFolder(folder);
    boxes.enqueue(IDNO);
    pressSet();
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(boxes.last().flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(closeCalls, 0);

    boxes.enqueue(IDYES);
    pressSet();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->Changes().DataPath);
    EXPECT_EQ(setting(QStringLiteral("BASE"), QStringLiteral("DataPath")), folder + QLatin1Char('/'));
    EXPECT_EQ(setting(QStringLiteral("BASE"), QStringLiteral("AdrsName")), QStringLiteral("アドレス"));
    EXPECT_EQ(DataPath, folder + QLatin1Char('/'));
    EXPECT_EQ(AdrsPath, folder + QStringLiteral("/Adrs/"));
    EXPECT_EQ(closeCalls, 1);
    EXPECT_EQ(saveCalls, 1);
}

TEST_F(SettingsDialog, aFolderThatCannotBeMadeIsReported)
{
    QFile file(home.path() + QStringLiteral("/plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    open();
    typeFolder(home.path() + QStringLiteral("/plain/Books"));
    boxes.enqueue(IDYES);
    pressSet();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text, QStringLiteral("フォルダーが作成できませんでした  "));
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONERROR));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsDialog, theSameFolderIsNoChangeAndClosesNothing)
{
    const QString before = DataPath;
    open();
    pressSet();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->Changes().DataPath);
    EXPECT_EQ(closeCalls, 0);
    EXPECT_EQ(DataPath, before);
    EXPECT_EQ(setting(QStringLiteral("BASE"), QStringLiteral("AdrsName")), QStringLiteral("仕事"));
}

TEST_F(SettingsDialog, theSameFolderInAnotherLetterCaseIsAnotherFolder)
{
    const QString upper = home.path() + QStringLiteral("/DATA");
    open();
    typeFolder(upper);
    boxes.enqueue(IDYES);
    pressSet();
    EXPECT_TRUE(dialog->Changes().DataPath);
    EXPECT_EQ(DataPath, upper + QLatin1Char('/'));
}

TEST_F(SettingsDialog, windowsThatRefuseToCloseKeepTheOldFolderAndWriteNothing)
{
    const QByteArray before = settingsBytes();
    const QString old = DataPath;
    allowClose = false;
    open();
    typeFolder(home.path());
    pressSet();
    EXPECT_EQ(closeCalls, 1);
    EXPECT_EQ(saveCalls, 0);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(DataPath, old);
    EXPECT_EQ(settingsBytes(), before);
}

TEST_F(SettingsDialog, aSettingsFileThatCannotBeWrittenIsReportedAndTheRunKeepsItsValues)
{
    open();
    child<QCheckBox>("chkUpdate")->setChecked(false);
    // A folder in the settings file's place makes the replace fail.
    QFile::remove(SettingsFileName());
    QDir().mkpath(SettingsFileName() + QStringLiteral("/x"));
    pressSet();
    EXPECT_TRUE(UpdateCheck);
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_GE(boxes.count(), 1);
    EXPECT_EQ(boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONERROR));
}

// A settings file the disk refuses is reported with the cause to mend; the
// dialog stays with what was chosen.
class SettingsDiskFault : public SettingsDialog, public ::testing::WithParamInterface<SaveFaultCase> {};

TEST_P(SettingsDiskFault, isReportedWithItsCause)
{
    open();
    child<QCheckBox>("chkUpdate")->setChecked(false);
    {
        const ScopedSaveFault fault(GetParam());
        pressSet();
    }
    EXPECT_TRUE(UpdateCheck);
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(boxes.count(), 1);
    const QString shown = boxes.last().text;
    EXPECT_TRUE(shown.startsWith(QStringLiteral("環境設定をファイルに保存できませんでした  \r\n"))) << qPrintable(shown);
    EXPECT_TRUE(shown.contains(QString::fromUtf16(GetParam().cause))) << qPrintable(shown);
    EXPECT_FALSE(child<QCheckBox>("chkUpdate")->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Causes, SettingsDiskFault, SaveFaultCases(), SaveFaultName);

// The chosen disc drive is written as the mount point it is, whatever its
// name holds (a volume label with " [" in it becomes part of the mount
// point), and this run searches it from now on, not only the next one.
TEST_F(SettingsDialog, theChosenDiscDriveIsWrittenExactlyAndTakenAtOnce)
{
    const auto savedList = DriveList;
    const int savedCount = DriveCount;
    const QString savedSearch = SearchDataPath;
    const QString chosen = home.path() + QStringLiteral("/media/Disc [2024]");
    DriveList = {};
    DriveList[0] = home.path() + QStringLiteral("/media/Other/");
    DriveList[1] = chosen + QLatin1Char('/');
    DriveCount = 2;
    SearchDataPath = home.path() + QStringLiteral("/media/Other");
    open();
    auto *drives = child<QComboBox>("cbxDrive");
    ASSERT_EQ(drives->count(), 2);
    drives->setCurrentIndex(1);
    pressSet();
    const QString written = setting(QStringLiteral("BASE"), QStringLiteral("DVD"));
    const QString taken = SearchDataPath;
    DriveList = savedList;
    DriveCount = savedCount;
    SearchDataPath = savedSearch;
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(written.toStdString(), chosen.toStdString());
    EXPECT_EQ(taken.toStdString(), chosen.toStdString());
}

// The hard-disk installation is reached from the first page whenever the
// caller hands in its window, with the settings dialog as the owner.
TEST_F(SettingsDialog, theInstallButtonOpensTheInstallationWindowOverTheDialog)
{
    dialog = std::make_unique<TEnvironment>();
    QWidget *owner = nullptr;
    dialog->HddInstall = [&](QWidget *Owner) { owner = Owner; };
    dialog->show();
    auto *install = child<QPushButton>("bbtnHDDInstall");
    ASSERT_NE(install, nullptr);
    ASSERT_TRUE(install->isEnabled());
    QTest::mouseClick(install, Qt::LeftButton);
    EXPECT_EQ(owner, dialog.get());
}

TEST_F(SettingsDialog, withoutAnInstallationWindowTheButtonStaysDisabled)
{
    open();
    EXPECT_FALSE(child<QPushButton>("bbtnHDDInstall")->isEnabled());
}

TEST_F(SettingsDialog, cancelWritesOnlyThePageAndTheRecentFolders)
{
    open();
    child<QCheckBox>("chkUpdate")->setChecked(false);
    dialog->ShowPage(3);
    QTest::mouseClick(child<QPushButton>("btnCancel"), Qt::LeftButton);
    EXPECT_EQ(setting(QStringLiteral("UPDATE"), QStringLiteral("UpdateCheck")), QStringLiteral("<none>"));
    EXPECT_EQ(setting(QStringLiteral("ENVIRONMENT"), QStringLiteral("InitTab")), QStringLiteral("3"));
    EXPECT_TRUE(UpdateCheck);
}

TEST_F(SettingsDialog, reopensAtThePageShownLast)
{
    writeSetting(QStringLiteral("ENVIRONMENT"), QStringLiteral("InitTab"), QStringLiteral("4"));
    open();
    EXPECT_EQ(dialog->HelpContext(), 8);
    writeSetting(QStringLiteral("ENVIRONMENT"), QStringLiteral("InitTab"), QStringLiteral("6"));
    open();
    EXPECT_EQ(dialog->HelpContext(), 2);
}

TEST_F(SettingsDialog, theRecentFolderListKeepsFiveAndDropsTheOldest)
{
    for (int i = 1; i <= 5; ++i)
        writeSetting(QStringLiteral("ENVIRONMENT"), QStringLiteral("DataPath%1").arg(i),
                     home.path() + QStringLiteral("/old%1/").arg(i));
    const QString sixth = home.path() + QStringLiteral("/sixth");
    QDir().mkpath(sixth);
    open();
    EXPECT_EQ(child<QComboBox>("cbxDataPath")->count(), 5);
    typeFolder(sixth);
    pressSet();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(setting(QStringLiteral("ENVIRONMENT"), QStringLiteral("DataPath1")), sixth + QLatin1Char('/'));
    EXPECT_EQ(setting(QStringLiteral("ENVIRONMENT"), QStringLiteral("DataPath5")), home.path() + QStringLiteral("/old4/"));
}

TEST_F(SettingsDialog, disabledSaveOptionsKeepAndSaveTheirStates)
{
    AddressConfirmation = true;
    AddressOutOfTarget = false;
    open();
    child<QCheckBox>("chkChangeData")->setChecked(false);
    child<QCheckBox>("chkFormClose")->setChecked(false);
    EXPECT_FALSE(child<QCheckBox>("chkConfirmation")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("chkOutOfTarget")->isEnabled());
    pressSet();
    EXPECT_EQ(setting(QStringLiteral("ADDRESS"), QStringLiteral("Confirmation")), QStringLiteral("1"));
    EXPECT_EQ(setting(QStringLiteral("ADDRESS"), QStringLiteral("OutOfTarget")), QStringLiteral("0"));
    EXPECT_FALSE(AddressChangeData);
}

struct HisCountCase {
    const char *name;
    QString typed;
    QString shown;
};

class HistoryCountEdit : public SettingsDialog, public ::testing::WithParamInterface<HisCountCase>
{
};

TEST_P(HistoryCountEdit, leavingTheEditKeepsOnlyACountFromZeroToThirty)
{
    open();
    dialog->ShowPage(1);
    auto *edit = child<QLineEdit>("edtHisCount");
    edit->setFocus();
    edit->setText(GetParam().typed);
    ASSERT_TRUE(edit->hasFocus());
    child<QCheckBox>("chkViewSplash")->setFocus();
    EXPECT_EQ(edit->text(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Counts, HistoryCountEdit,
                         ::testing::Values(HisCountCase{"zeroIsAccepted", QStringLiteral("0"), QStringLiteral("0")},
                                           HisCountCase{"thirtyIsAccepted", QStringLiteral("30"), QStringLiteral("30")},
                                           HisCountCase{"emptyShowsTheOldValue", QString(), QStringLiteral("10")},
                                           HisCountCase{"thirtyOneShowsTheOldValue", QStringLiteral("31"),
                                                        QStringLiteral("10")},
                                           HisCountCase{"signShowsTheOldValue", QStringLiteral("-1"),
                                                        QStringLiteral("10")},
                                           HisCountCase{"fullWidthDigitsShowTheOldValue", QStringLiteral("１２"),
                                                        QStringLiteral("10")}),
                         [](const ::testing::TestParamInfo<HisCountCase> &info) { return std::string(info.param.name); });

TEST_F(SettingsDialog, pageKeysMoveTheHistoryCountByTenWithinTheRange)
{
    open();
    dialog->ShowPage(1);
    auto *edit = child<QLineEdit>("edtHisCount");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_PageUp);
    EXPECT_EQ(edit->text(), QStringLiteral("20"));
    QTest::keyClick(edit, Qt::Key_PageUp);
    EXPECT_EQ(edit->text(), QStringLiteral("30"));
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), QStringLiteral("30"));
    pressSet();
    EXPECT_TRUE(dialog->Changes().HisCount);
    EXPECT_EQ(HisCount, 30);
}

TEST_F(SettingsDialog, enterMovesThroughTheFieldsWithoutSaving)
{
    const QByteArray before = settingsBytes();
    open();
    dialog->ShowPage(2);
    auto *changeData = child<QCheckBox>("chkChangeData");
    changeData->setFocus();
    QTest::keyClick(changeData, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(QApplication::focusWidget(), changeData);
    dialog->ShowPage(5);
    auto *update = child<QCheckBox>("chkUpdate");
    update->setFocus();
    QTest::keyClick(update, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), child<QPushButton>("btnSet"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(settingsBytes(), before);
}

TEST_F(SettingsDialog, theListColourFlagFollowsColourAndSwitch)
{
    open();
    QTest::mouseClick(child<QPushButton>("bbtnResetColor"), Qt::LeftButton);
    pressSet();
    EXPECT_FALSE(dialog->Changes().ListColor); // the colour was the reset colour already
    ViewBGColor = 0x123456;
    open();
    QTest::mouseClick(child<QPushButton>("bbtnResetColor"), Qt::LeftButton);
    pressSet();
    EXPECT_TRUE(dialog->Changes().ListColor);
    EXPECT_EQ(ViewBGColor, 0xDFFFEF);
    EXPECT_EQ(setting(QStringLiteral("VIEW"), QStringLiteral("BGColor")), QString::number(0xDFFFEF));
}

TEST_F(SettingsDialog, theSearchMethodsFollowTheMapProgram)
{
    open();
    auto *map = child<QComboBox>("cbxMapSoft");
    auto *kind = child<QComboBox>("cbxMapSearchKind");
    map->setCurrentIndex(0);
    EXPECT_EQ(kind->itemText(1), QStringLiteral("電話番号を優先"));
    map->setCurrentIndex(4);
    EXPECT_EQ(kind->itemText(1), QStringLiteral("住所を優先"));
    pressSet();
    EXPECT_TRUE(dialog->Changes().Cooperate);
    EXPECT_EQ(CooperateMap, 4);
}

// A run on the default folder because the configured one was not mounted
// keeps the configured folder and book when the user changes other settings.
TEST_F(SettingsDialog, aRunOnTheStandInFolderKeepsTheConfiguredFolder)
{
    const QString configured = QStringLiteral("/media/usb/Books/");
    writeSetting(QStringLiteral("BASE"), QStringLiteral("DataPath"), configured);
    writeSetting(QStringLiteral("BASE"), QStringLiteral("AdrsName"), QStringLiteral("家族"));
    UnavailableDataPath = configured;
    open();
    child<QCheckBox>("chkUpdate")->setChecked(false);
    pressSet();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(setting(QStringLiteral("BASE"), QStringLiteral("DataPath")), configured);
    EXPECT_EQ(setting(QStringLiteral("BASE"), QStringLiteral("AdrsName")), QStringLiteral("家族"));
    EXPECT_EQ(setting(QStringLiteral("UPDATE"), QStringLiteral("UpdateCheck")), QStringLiteral("0"));
}

// Without an update server no check can run: the page offers none, says
// why, and keeps the stored choice for when a server is set.
TEST_F(SettingsDialog, withoutAnUpdateServerNoCheckIsOfferedAndTheStoredChoiceStays)
{
    UpdateDomain.clear();
    open();
    dialog->ShowPage(5);
    auto *update = child<QCheckBox>("chkUpdate");
    EXPECT_FALSE(update->isEnabled());
    EXPECT_FALSE(update->isChecked());
    EXPECT_FALSE(child<QPushButton>("bbtnUpdate")->isEnabled());
    EXPECT_TRUE(child<QLabel>("lblUpdateNone")->text().contains(QStringLiteral("設定されていない")));
    saveScreenshot(dialog.get(), QStringLiteral("SettingsDialog_noUpdateServer"));
    pressSet();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(UpdateCheck);
    EXPECT_EQ(setting(QStringLiteral("UPDATE"), QStringLiteral("UpdateCheck")), QStringLiteral("1"));
    EXPECT_EQ(boxes.count(), 0);
}

} // namespace
