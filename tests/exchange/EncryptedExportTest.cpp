#include "addressbook/BookFixture.h"
#include "core/AppSub.h"
#include "exchange/FExpPw.h"
#include "exchange/FExport.h"
#include "exchange/Zvkcrtpup.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <zip.h>

namespace {

const QByteArray kText = Cp932::encode(u"名前,電話番号\r\n山田,03-1234-5678\r\n");
const QString kPassword = QStringLiteral("Secret12");

// The entry read back through libzip with Password; empty when refused.
std::optional<QByteArray> readWithLibzip(const QString &archive, const char *entry, const QString &password)
{
    int error = 0;
    zip_t *za = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &error);
    if (!za)
        return std::nullopt;
    std::optional<QByteArray> result;
    if (zip_file_t *file = zip_fopen_encrypted(za, entry, 0, password.toUtf8().constData())) {
        QByteArray bytes(kText.size() + 100, '\0');
        const zip_int64_t read = zip_fread(file, bytes.data(), zip_uint64_t(bytes.size()));
        if (zip_fclose(file) == 0 && read >= 0)
            result = bytes.left(qsizetype(read));
    }
    zip_discard(za);
    return result;
}

// 7-Zip's exit code and what it printed of the entry.
std::pair<int, QByteArray> readWith7z(const QString &archive, const QString &password)
{
    QProcess process;
    process.start(QStringLiteral("7z"), {QStringLiteral("x"), QStringLiteral("-so"), QStringLiteral("-p") + password,
                                         archive});
    if (!process.waitForFinished(30000))
        return {-1, {}};
    return {process.exitCode(), process.readAllStandardOutput()};
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

class EncryptedArchive : public ::testing::Test
{
protected:
    QString target() const { return dir.filePath(QStringLiteral("out.zip")); }
    QTemporaryDir dir;
};

TEST_F(EncryptedArchive, opensWithThePasswordThroughLibzip)
{
    ASSERT_TRUE(CreateEncryptedExport(target(), QStringLiteral("out.txt"), kText, kPassword, nullptr));
    EXPECT_EQ(readWithLibzip(target(), "out.txt", kPassword), kText);
}

TEST_F(EncryptedArchive, refusesAWrongPasswordThroughLibzip)
{
    ASSERT_TRUE(CreateEncryptedExport(target(), QStringLiteral("out.txt"), kText, kPassword, nullptr));
    EXPECT_EQ(readWithLibzip(target(), "out.txt", QStringLiteral("secret12")), std::nullopt);
}

TEST_F(EncryptedArchive, opensWithThePasswordThrough7Zip)
{
    ASSERT_TRUE(CreateEncryptedExport(target(), QStringLiteral("out.txt"), kText, kPassword, nullptr));
    const auto [code, text] = readWith7z(target(), kPassword);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(text, kText);
}

TEST_F(EncryptedArchive, refusesAWrongPasswordThrough7Zip)
{
    ASSERT_TRUE(CreateEncryptedExport(target(), QStringLiteral("out.txt"), kText, kPassword, nullptr));
    const auto [code, text] = readWith7z(target(), QStringLiteral("Wrong123"));
    EXPECT_NE(code, 0);
    EXPECT_NE(text, kText);
}

TEST_F(EncryptedArchive, leavesOnlyTheArchiveInTheFolder)
{
    ASSERT_TRUE(CreateEncryptedExport(target(), QStringLiteral("out.txt"), kText, kPassword, nullptr));
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("out.zip")});
    QFile archive(target());
    ASSERT_TRUE(archive.open(QIODevice::ReadOnly));
    EXPECT_FALSE(archive.readAll().contains(Cp932::encode(u"山田")));
}

TEST_F(EncryptedArchive, aFailedWriteIsReportedAndLeavesNothing)
{
    SafeFile::setFailureHook([](SafeFile::Step step) { return step == SafeFile::Step::RenameTemporary; });
    QString error;
    const bool written = CreateEncryptedExport(target(), QStringLiteral("out.txt"), kText, kPassword, &error);
    SafeFile::setFailureHook({});
    EXPECT_FALSE(written);
    EXPECT_TRUE(error.startsWith(QStringLiteral("暗号化出力に失敗しました")));
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());
}

TEST(EncryptedTargetName, anExtensionBecomesZip)
{
    EXPECT_EQ(EncryptedTargetName(QStringLiteral("/d/アドレス帳.exe")), QStringLiteral("/d/アドレス帳.zip"));
    EXPECT_EQ(EncryptedTargetName(QStringLiteral("/d/data")), QStringLiteral("/d/data.zip"));
    // Only the last extension goes: a name with a dot in it keeps the rest.
    EXPECT_EQ(EncryptedTargetName(QStringLiteral("/d/顧客.2026.csv")), QStringLiteral("/d/顧客.2026.zip"));
}

struct PasswordCase {
    const char *name;
    const char16_t *first;
    const char16_t *second;
    TExportPasswordProblem problem;
};

class ExportPasswordRules : public ::testing::TestWithParam<PasswordCase>
{
};

TEST_P(ExportPasswordRules, judgesThePassword)
{
    EXPECT_EQ(CheckExportPassword(QString::fromUtf16(GetParam().first), QString::fromUtf16(GetParam().second)),
              GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Password, ExportPasswordRules,
    ::testing::Values(PasswordCase{"sevenRefused", u"abc1234", u"abc1234", TExportPasswordProblem::Length},
                      PasswordCase{"eightAccepted", u"abc12345", u"abc12345", TExportPasswordProblem::None},
                      PasswordCase{"sixteenAccepted", u"abcdefgh12345678", u"abcdefgh12345678",
                                   TExportPasswordProblem::None},
                      PasswordCase{"seventeenRefused", u"abcdefgh123456789", u"abcdefgh123456789",
                                   TExportPasswordProblem::Length},
                      PasswordCase{"fullWidthDigitRefused", u"abc1234５", u"abc1234５",
                                   TExportPasswordProblem::Characters},
                      PasswordCase{"symbolRefused", u"abc-12345", u"abc-12345", TExportPasswordProblem::Characters},
                      PasswordCase{"firstEmpty", u"", u"abc12345", TExportPasswordProblem::FirstEmpty},
                      PasswordCase{"secondEmpty", u"abc12345", u"", TExportPasswordProblem::SecondEmpty},
                      PasswordCase{"caseCountsInTheConfirmation", u"Abc12345", u"abc12345",
                                   TExportPasswordProblem::Mismatch}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RememberedPassword, isWrittenForTheOwnerAloneAndReadBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FExport.pwd"));
    ASSERT_TRUE(SaveRememberedPassword(path, kPassword, nullptr));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(LoadRememberedPassword(path), kPassword);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains(kPassword.toLatin1()));
}

// A remembered file that had become readable by others is replaced without
// the new password ever lying in a file others may read.
TEST(RememberedPassword, theNewPasswordNeverLiesInAFileOthersMayRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FExport.pwd"));
    ASSERT_TRUE(SaveRememberedPassword(path, QStringLiteral("Older123"), nullptr));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QStringList exposed;
    SafeFile::setFailureHook([&](SafeFile::Step step) {
        if (step == SafeFile::Step::SyncTemporary) {
            for (const QFileInfo &entry : QDir(dir.path()).entryInfoList(QDir::Files | QDir::Hidden)) {
                if (entry.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther))
                    exposed << entry.fileName();
            }
        }
        return false;
    });
    const bool saved = SaveRememberedPassword(path, kPassword, nullptr);
    SafeFile::setFailureHook({});
    EXPECT_TRUE(saved);
    EXPECT_TRUE(exposed.isEmpty()) << qPrintable(exposed.join(u' '));
    EXPECT_EQ(LoadRememberedPassword(path), kPassword);
}

// A remembered password its user set read-only is neither opened up nor
// replaced: the save names the cause.
TEST(RememberedPassword, aFileSetReadOnlyKeepsItsPasswordAndItsMode)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FExport.pwd"));
    ASSERT_TRUE(SaveRememberedPassword(path, QStringLiteral("Older123"), nullptr));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
    QString error;
    bool saved = true;
    {
        const ScopedOrdinaryUser user({dir.path()});
        ASSERT_TRUE(user.Bound());
        saved = SaveRememberedPassword(path, kPassword, &error);
    }
    EXPECT_FALSE(saved);
    EXPECT_TRUE(error.startsWith(QStringLiteral("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(error);
    EXPECT_EQ(LoadRememberedPassword(path), QStringLiteral("Older123"));
    EXPECT_EQ(fileMode(path), 0400);
}

TEST(RememberedPassword, aDamagedFileIsNotTrusted)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FExport.pwd"));
    for (const QByteArray &bytes : {QByteArray("\x09\x00\x00\x00\x9e", 5), QByteArray("\x01\x00\x00\x00\xd2", 5),
                                    QByteArray("\xff\xff\xff\xff", 4), QByteArray("\x01", 1)}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        EXPECT_EQ(LoadRememberedPassword(path), std::nullopt) << bytes.toHex().toStdString();
    }
}

// The window's encrypted output over a book of two records.
class EncryptedExportWindow : public BookFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        DMMurven19->CreateDatabase();
        DMMurven19->Connect();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        for (const char16_t *name : {u"山田", u"鈴木"}) {
            DMMurven19->AdrsTable()->Append();
            DMMurven19->AdrsTable()->FieldByName(QStringLiteral("NameKanji")).SetAsBytes(EncodeUnicodeField(name));
            DMMurven19->AdrsTable()->Post();
        }
        DMMurven19->CloseAdrs();
        openList();
        TFileExport::SaveDialogOverride = [this](const QString &, int &) { return chosen; };
        TFileExport::PasswordOverride = [](QWidget *) { return kPassword; };
    }
    void TearDown() override
    {
        delete FileExport;
        TFileExport::SaveDialogOverride = nullptr;
        TFileExport::PasswordOverride = nullptr;
        BookFixture::TearDown();
    }
    QString chosen;
};

TEST_F(EncryptedExportWindow, writesTheArchiveAndNoPlainText)
{
    const QString folder = DataPath + QStringLiteral("enc");
    chosen = folder + QStringLiteral("/アドレス帳.exe");
    TFileExport *w = ShowFileExport(list.get());
    w->sgSrc->selectRow(eiName);
    w->SetItem();
    w->rbAll->click();
    ASSERT_TRUE(w->rbEncrypt->isChecked());
    w->btnExportClick();
    const QString archive = folder + QStringLiteral("/アドレス帳.zip");
    EXPECT_EQ(w->FileEncrypt(), archive);
    EXPECT_EQ(readWithLibzip(archive, "アドレス帳.txt", kPassword), Cp932::encode(u"名前\r\n山田\r\n鈴木\r\n"));
    EXPECT_EQ(folderEntries(folder), QStringList{QStringLiteral("アドレス帳.zip")});
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("テキストファイルの出力が完了しました")));
}

TEST_F(EncryptedExportWindow, aStoredExeTargetBecomesAZip)
{
    const QString old = DataPath + QStringLiteral("old.exe");
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteString(QStringLiteral("FILE EXPORT"), QStringLiteral("FileEncrypt"), old);
        ini.WriteString(QStringLiteral("FILE EXPORT"), QStringLiteral("Layout1"), QStringLiteral("21"));
        ASSERT_TRUE(ini.UpdateFile());
    }
    TFileExport *w = ShowFileExport(list.get());
    w->rbAll->click();
    boxes.enqueue(IDYES); // export
    boxes.enqueue(IDNO);  // keep the target
    w->btnExportClick();
    EXPECT_EQ(w->FileEncrypt(), DataPath + QStringLiteral("old.zip"));
    EXPECT_TRUE(QFile::exists(DataPath + QStringLiteral("old.zip")));
}

TEST_F(EncryptedExportWindow, aUsersDollarArchiveBesideTheTargetIsNeitherTakenNorTouched)
{
    const QString archive = DataPath + QStringLiteral("enc/a.zip");
    ASSERT_TRUE(QDir().mkpath(DataPath + QStringLiteral("enc")));
    {
        // The user's own file, named like the old copies of a killed save.
        QFile mine(DataPath + QStringLiteral("enc/$$a.zip"));
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        mine.write("the archive sent last week");
    }
    chosen = archive;
    TFileExport *w = ShowFileExport(list.get());
    w->sgSrc->selectRow(eiName);
    w->SetItem();
    w->rbAll->click();
    boxes.enqueue(IDYES); // export
    w->btnExportClick();
    EXPECT_TRUE(QFile::exists(archive));
    QFile mine(DataPath + QStringLiteral("enc/$$a.zip"));
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), "the archive sent last week");
}

// The settings root holds only the program's own files.
TEST_F(EncryptedExportWindow, anArchiveInTheSettingsRootIsRefused)
{
    chosen = DataRoot + QStringLiteral("Murven19.zip");
    TFileExport *w = ShowFileExport(list.get());
    w->sgSrc->selectRow(eiName);
    w->SetItem();
    w->rbAll->click();
    w->btnExportClick();
    EXPECT_FALSE(QFile::exists(chosen));
    ASSERT_GT(boxes.count(), 0);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("プログラムが使用しているファイルには出力できません")));
}

TEST_F(EncryptedArchive, aFileOfTheProgramIsRefusedByTheWriterItself)
{
    const ScopedDataFolders folders{dir.path()};
    const QString settings = SettingsFileName();
    ASSERT_TRUE(QDir().mkpath(DataRoot));
    QString error;
    EXPECT_FALSE(CreateEncryptedExport(settings, QStringLiteral("out.txt"), kText, kPassword, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("プログラムが使用しているファイルには出力できません")));
    EXPECT_FALSE(QFile::exists(settings));
}

TEST_F(EncryptedExportWindow, aReadOnlyArchiveIsNotReplaced)
{
    const QString archive = DataPath + QStringLiteral("enc/a.zip");
    ASSERT_TRUE(QDir().mkpath(DataPath + QStringLiteral("enc")));
    {
        QFile old(archive);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("kept");
    }
    ASSERT_TRUE(QFile::setPermissions(archive, QFileDevice::ReadOwner));
    chosen = archive;
    TFileExport *w = ShowFileExport(list.get());
    w->sgSrc->selectRow(eiName);
    w->SetItem();
    w->rbAll->click();
    boxes.enqueue(IDYES); // export
    boxes.enqueue(IDYES); // overwrite, if asked
    w->btnExportClick();
    QFile::setPermissions(archive, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile file(archive);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "kept");
}

TEST_F(EncryptedExportWindow, theDialogRemembersAndForgetsThePassword)
{
    {
        TFileExportPassword dialog(nullptr);
        dialog.medtPassword1->setText(kPassword);
        dialog.medtPassword2->setText(kPassword);
        dialog.chkSavePassword->setChecked(true);
        dialog.btnSetClick();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Password(), kPassword);
    }
    TFileExportPassword again(nullptr);
    EXPECT_EQ(again.medtPassword1->text(), kPassword);
    EXPECT_TRUE(again.chkSavePassword->isChecked());
    again.chkSavePassword->setChecked(false);
    again.btnSetClick();
    EXPECT_FALSE(QFile::exists(RememberedPasswordPath()));
}

TEST_F(EncryptedExportWindow, aPasswordFileLeftAsideByAnInterruptedSaveIsRememberedAndForgottenWhole)
{
    {
        TFileExportPassword dialog(nullptr);
        dialog.medtPassword1->setText(kPassword);
        dialog.medtPassword2->setText(kPassword);
        dialog.chkSavePassword->setChecked(true);
        dialog.btnSetClick();
    }
    // As a save killed between the two renames of its replace leaves it.
    const QString path = RememberedPasswordPath();
    ASSERT_TRUE(QFile::rename(path, SafeReplaceBackupPath(path)));
    TFileExportPassword again(nullptr);
    EXPECT_TRUE(again.chkSavePassword->isChecked());
    EXPECT_EQ(again.medtPassword1->text(), kPassword);
    again.chkSavePassword->setChecked(false);
    again.btnSetClick();
    // Forgetting leaves no copy of the password behind.
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QDir(QFileInfo(path).absolutePath())
                    .entryList({QStringLiteral(".$$*")}, QDir::Files | QDir::Hidden)
                    .isEmpty());
}

} // namespace
