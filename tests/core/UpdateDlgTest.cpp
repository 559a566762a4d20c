#include "core/UpdateDlg.h"

#include "core/Env.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

// An HTTP server on 127.0.0.1 answering each path with a canned reply.
class CannedServer
{
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        bool silent = false;     // accepts the request and never answers
        qint64 declaredLength = -1; // Content-Length other than the body's (closes early)
    };

    CannedServer()
    {
        m_server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                    *buffer += socket->readAll();
                    const qsizetype end = buffer->indexOf("\r\n\r\n");
                    if (end < 0)
                        return;
                    const QByteArray path = buffer->split(' ').value(1);
                    buffer->clear();
                    requested << QString::fromLatin1(path);
                    answer(socket, replies.value(QString::fromLatin1(path), Reply{404, "not found"}));
                });
            }
        });
    }

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }

    QHash<QString, Reply> replies;
    QStringList requested;

private:
    static void answer(QTcpSocket *socket, const Reply &reply)
    {
        if (reply.silent)
            return;
        const qint64 length = reply.declaredLength >= 0 ? reply.declaredLength : reply.body.size();
        socket->write("HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\nContent-Length: " +
                      QByteArray::number(length) + "\r\nConnection: close\r\n\r\n" + reply.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
};

QByteArray fileElement(const QByteArray &name, const QByteArray &extra = {}, const QByteArray &dlfile = "new.bin",
                       const QByteArray &size = "5", const QByteArray &dlparam = "p1")
{
    return "<file><name>" + name + "</name><size>" + size + "</size><datetime>2030/01/02 03:04:05</datetime>"
           "<dlfile>" + dlfile + "</dlfile><dlparam>" + dlparam + "</dlparam>" + extra + "</file>";
}

QByteArray description(const QByteArray &count, const QByteArray &files, const QByteArray &dlpath = "<dlpath>/dl/</dlpath>")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<update><app>Murven19</app><info><date>2030-01-02</date></info>"
           "<count>" + count + "</count>" + dlpath + files + "</update>";
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// ---- Pure rules --------------------------------------------------------------

struct VersionCase {
    const char *a;
    const char *b;
    bool newer;
};

class VersionOrder : public ::testing::TestWithParam<VersionCase>
{
};

TEST_P(VersionOrder, comparesDottedPartsAsNumbers)
{
    EXPECT_EQ(IsNewerVersion(QString::fromLatin1(GetParam().a), QString::fromLatin1(GetParam().b)), GetParam().newer)
        << GetParam().a << " vs " << GetParam().b;
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionOrder,
                         ::testing::Values(VersionCase{"1.2.10", "1.2.9", true}, VersionCase{"1.2.9", "1.2.10", false},
                                           VersionCase{"1.2", "1.2.0.0", false}, VersionCase{"1.2.0.0", "1.2", false},
                                           VersionCase{"19.0.0.1", "19.0", true}, VersionCase{"2", "", true},
                                           VersionCase{"1.x.3", "1.0.2", true}, VersionCase{"1.2.3.4.9", "1.2.3.4", false}));

struct NameCase {
    const char *name;
    bool bare;
};

class DownloadNames : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(DownloadNames, onlyBareFileNamesAreWritten)
{
    EXPECT_EQ(IsBareFileName(QString::fromUtf8(GetParam().name)), GetParam().bare) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, DownloadNames,
                         ::testing::Values(NameCase{"update.bin", true}, NameCase{"更新.dat", true},
                                           NameCase{"", false}, NameCase{".", false}, NameCase{"..", false},
                                           NameCase{"../evil", false}, NameCase{"a/b", false},
                                           NameCase{"..\\evil", false}, NameCase{"/etc/passwd", false},
                                           NameCase{"a\nb", false}));

struct InstallCase {
    const char *folder;
    bool writable;
    bool packaged;
};

class Installations : public ::testing::TestWithParam<InstallCase>
{
};

TEST_P(Installations, packagesAreUpdatedByThePackageManager)
{
    EXPECT_EQ(IsPackageManagedInstallation(QString::fromLatin1(GetParam().folder), GetParam().writable),
              GetParam().packaged)
        << GetParam().folder;
}

INSTANTIATE_TEST_SUITE_P(Folders, Installations,
                         ::testing::Values(InstallCase{"/usr/share/murven19/", true, true},
                                           InstallCase{"/usr/lib/murven19", true, true},
                                           InstallCase{"/usr/local/share/murven19/", true, false},
                                           InstallCase{"/opt/murven19/", true, false},
                                           InstallCase{"/opt/murven19/", false, true},
                                           InstallCase{"/home/u/murven/", true, false},
                                           InstallCase{"/usrx/murven/", true, false}));

// ---- The description --------------------------------------------------------

struct ParseCase {
    const char *name;
    QByteArray answer;
    int code;
};

std::ostream &operator<<(std::ostream &out, const ParseCase &c)
{
    return out << c.name;
}

class DescriptionCodes : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(DescriptionCodes, eachFaultHasItsCode)
{
    TUpdateDialog update;
    EXPECT_EQ(update.Parse(GetParam().answer), GetParam().code);
}

const QByteArray kHead = "<?xml version=\"1.0\"?>";

INSTANTIATE_TEST_SUITE_P(
    Codes, DescriptionCodes,
    ::testing::Values(
        ParseCase{"valid", description("1", fileElement("a.so")), ucSuccess},
        ParseCase{"htmlErrorPage", "<html><body>Error</body></html>", ucNoXml},
        ParseCase{"empty", "", ucNoXml},
        ParseCase{"brokenXml", kHead + "<update><app>Murven19</app>", ucNoXml},
        ParseCase{"wrongRoot", kHead + "<updates/>", ucRootNotUpdate},
        ParseCase{"noApp", kHead + "<update><count>0</count></update>", ucNoApp},
        ParseCase{"otherApp", kHead + "<update><app>Other</app></update>", ucWrongApp},
        ParseCase{"appInOtherCase", kHead + "<update><app>MURVEN19</app><count>0</count></update>", ucNothingToUpdate},
        ParseCase{"noCount", kHead + "<update><app>Murven19</app></update>", ucNothingToUpdate},
        ParseCase{"countNotNumber", description("two", fileElement("a")), ucCountNotInteger},
        ParseCase{"countTwoThreeFiles", description("2", fileElement("a") + fileElement("b") + fileElement("c")),
                  ucCountMismatch},
        ParseCase{"countTwoOneFile", description("2", fileElement("a")), ucCountMismatch},
        ParseCase{"noDlPath", description("1", fileElement("a"), ""), ucNoDlPath},
        ParseCase{"emptyDlPath", description("1", fileElement("a"), "<dlpath> </dlpath>"), ucEmptyDlPath},
        ParseCase{"fileWithoutName",
                  description("1", "<file><size>1</size><datetime>2030/01/02 03:04:05</datetime></file>"), ucNoName},
        ParseCase{"fileWithoutSize", description("1", "<file><name>a</name></file>"), ucNoSize},
        ParseCase{"sizeNotNumber", description("1", fileElement("a", {}, "n.bin", "big")), ucSizeNotInteger},
        ParseCase{"fileWithoutDateTime", description("1", "<file><name>a</name><size>1</size></file>"), ucNoDateTime},
        ParseCase{"badDateTime",
                  description("1", "<file><name>a</name><size>1</size><datetime>2030/13/40 03:04:05</datetime></file>"),
                  ucBadDateTime},
        ParseCase{"fileWithoutDlFile",
                  description("1", "<file><name>a</name><size>1</size><datetime>2030/01/02 03:04:05</datetime></file>"),
                  ucNoDlFile},
        ParseCase{"fileWithoutDlParam",
                  description("1", "<file><name>a</name><size>1</size><datetime>2030-01-02T03:04:05</datetime>"
                                   "<dlfile>x</dlfile></file>"),
                  ucNoDlParam},
        ParseCase{"traversalInDlFile", description("1", fileElement("a", {}, "../../evil")), ucDlFileNotBare},
        // The name goes into updateinfo.dat as one line, and the folder is the
        // path element's: a line break would write keys of its own there.
        ParseCase{"lineBreakInName", description("1", fileElement("a.so&#13;&#10;DLFile=../../x")), ucNameNotBare},
        ParseCase{"rawLineBreakInName", description("1", fileElement("a.so\n[FILE2]")), ucNameNotBare},
        ParseCase{"traversalInName", description("1", fileElement("../../../bin/sh")), ucNameNotBare},
        // Each download keeps its own file: a second one of the same name, or
        // one named as the update program or the files the check writes,
        // would replace a file already checked against its size.
        ParseCase{"twoFilesOneDownloadName",
                  description("2", fileElement("a.so", {}, "x.bin") + fileElement("b.so", {}, "x.bin")), ucDlFileNotBare},
        ParseCase{"downloadNamedAsTheUpdater", description("1", fileElement("a.so", {}, "updateapp.exe")), ucDlFileNotBare},
        ParseCase{"downloadNamedAsTheUpdateInfo", description("1", fileElement("a.so", {}, "updateinfo.dat")),
                  ucDlFileNotBare},
        ParseCase{"downloadNamesDifferingInCase",
                  description("2", fileElement("a.so", {}, "x.bin") + fileElement("b.so", {}, "X.bin")), ucSuccess},
        ParseCase{"nameInAFolderOfThePath", description("1", fileElement("Lyt.fmt", "<path>Common/</path>")), ucSuccess}),
    [](const ::testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

TEST(Description, restartIsSetOnlyByTheTextOne)
{
    TUpdateDialog update;
    ASSERT_EQ(update.Parse(description("3", fileElement("a", "<restart>true</restart>", "a.bin") +
                                                fileElement("b", "<restart>1</restart>", "b.bin") +
                                                fileElement("c", {}, "c.bin"))),
              ucSuccess);
    EXPECT_FALSE(update.Files[0].Restart);
    EXPECT_TRUE(update.Files[1].Restart);
    EXPECT_FALSE(update.Files[2].Restart);
    EXPECT_EQ(update.InfoDate, QStringLiteral("2030-01-02"));
    EXPECT_EQ(update.Files[0].DateTime, QDateTime(QDate(2030, 1, 2), QTime(3, 4, 5)));
}

// ---- Against the local server -----------------------------------------------

class UpdateCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        m_saved = {AppPath, UpdateDomain, UpdatePath, UpdateApp};
        AppPath = program.path() + QLatin1Char('/');
        UpdateDomain = server.host();
        UpdatePath = QStringLiteral("/check/");
        UpdateApp = QStringLiteral("/app/");
    }
    void TearDown() override
    {
        AppPath = m_saved[0];
        UpdateDomain = m_saved[1];
        UpdatePath = m_saved[2];
        UpdateApp = m_saved[3];
    }
    void serve(const QByteArray &body) { server.replies.insert(QStringLiteral("/check/murven19/"), {200, body}); }
    static QString updateFile(const QString &name) { return TUpdateDialog::UpdateFolder() + name; }

    QTemporaryDir home;
    QTemporaryDir program;
    ScopedDataFolders folders{home.path()};
    CannedServer server;
    ScriptedMessageBoxes boxes;

private:
    std::array<QString, 4> m_saved;
};

TEST_F(UpdateCheck, asksTheProductPathInLowerCase)
{
    serve(description("0", {}));
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    EXPECT_EQ(server.requested, QStringList{QStringLiteral("/check/murven19/")});
    EXPECT_FALSE(update.HasNewerFiles());
}

TEST_F(UpdateCheck, aNotFoundAnswerIsAFailureNotUpToDate)
{
    TUpdateDialog update;
    EXPECT_FALSE(update.GetUpdateInfo());
    EXPECT_EQ(update.ErrorCode, 404);
    EXPECT_FALSE(QFileInfo::exists(updateFile(QStringLiteral("upderr.dat"))));
}

TEST_F(UpdateCheck, aServerErrorWithAValidLookingBodyIsAFailure)
{
    server.replies.insert(QStringLiteral("/check/murven19/"), {500, description("0", {})});
    TUpdateDialog update;
    EXPECT_FALSE(update.GetUpdateInfo());
    EXPECT_EQ(update.ErrorCode, 500);
}

TEST_F(UpdateCheck, aServerThatNeverAnswersTimesOut)
{
    server.replies.insert(QStringLiteral("/check/murven19/"), {200, {}, true});
    TUpdateDialog update;
    update.TimeoutMs = 300;
    EXPECT_FALSE(update.GetUpdateInfo());
    EXPECT_EQ(update.ErrorCode, ucTimeout);
    EXPECT_EQ(update.ErrorText, QStringLiteral("接続できませんでした  "));
}

TEST_F(UpdateCheck, aClosedPortCannotConnect)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    UpdateDomain = QStringLiteral("127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    TUpdateDialog update;
    EXPECT_FALSE(update.GetUpdateInfo());
    EXPECT_EQ(update.ErrorCode, ucCannotConnect);
}

TEST_F(UpdateCheck, anUnusableDescriptionIsKeptByteForByteAndFails)
{
    const QByteArray body = description("2", fileElement("a") + fileElement("b") + fileElement("c"));
    serve(body);
    TUpdateDialog update;
    EXPECT_FALSE(update.GetUpdateInfo());
    EXPECT_EQ(update.ErrorCode, ucCountMismatch);
    EXPECT_EQ(readAll(updateFile(QStringLiteral("upderr.dat"))),
              QByteArray("----------\r\n2006\r\n----------\r\n\r\n") + body);
}

TEST_F(UpdateCheck, aListedFileMissingFromTheProgramFolderIsNewer)
{
    serve(description("1", fileElement("lib/missing.so")));
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    EXPECT_TRUE(update.HasNewerFiles());
}

TEST_F(UpdateCheck, anOlderServerFileIsNotNewerThanTheInstalledOne)
{
    QFile installed(AppPath + QStringLiteral("a.so"));
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.close();
    // The server's file is from 2030; the installed one is from now: set
    // the server's file to an old date instead.
    serve(description("1", "<file><name>a.so</name><size>5</size><datetime>2001/01/01 00:00:00</datetime>"
                           "<dlfile>n.bin</dlfile><dlparam>p</dlparam></file>"));
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    EXPECT_FALSE(update.HasNewerFiles());
}

TEST_F(UpdateCheck, aNewerVersionThanTheManifestMarksTheFile)
{
    QFile installed(AppPath + QStringLiteral("a.so"));
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.close();
    TMemIniFile manifest(ManifestFileName());
    manifest.WriteString(QStringLiteral("FILES"), QStringLiteral("a.so"), QStringLiteral("1.2.9"));
    ASSERT_TRUE(manifest.UpdateFile());
    auto entry = [](const char *version) {
        return QByteArray("<file><name>a.so</name><version>") + version +
               "</version><size>5</size><datetime>2001/01/01 00:00:00</datetime>"
               "<dlfile>n.bin</dlfile><dlparam>p</dlparam><restart>1</restart></file>";
    };
    serve(description("1", entry("1.2.10")));
    TUpdateDialog newer;
    ASSERT_TRUE(newer.GetUpdateInfo());
    EXPECT_TRUE(newer.HasNewerFiles());
    EXPECT_TRUE(newer.Restart);
    serve(description("1", entry("1.2.9.0")));
    TUpdateDialog same;
    ASSERT_TRUE(same.GetUpdateInfo());
    EXPECT_FALSE(same.HasNewerFiles());
    EXPECT_FALSE(same.Restart);
}

TEST_F(UpdateCheck, downloadsWriteTheFilesAndUpdateInfoByteForByte)
{
    serve(description("2", fileElement("a.so", "<restart>1</restart>", "a.bin", "5") +
                               fileElement("b.so", {}, "b.bin", "3", "p2")));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/dl/p2/"), {200, "678"});
    server.replies.insert(QStringLiteral("/app/"), {200, "#!/bin/sh\n"});
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    ASSERT_TRUE(update.HasNewerFiles());
    ASSERT_TRUE(update.DownloadUpdateFiles());
    EXPECT_EQ(readAll(updateFile(QStringLiteral("a.bin"))), QByteArray("12345"));
    EXPECT_EQ(readAll(updateFile(QStringLiteral("b.bin"))), QByteArray("678"));
    EXPECT_EQ(readAll(updateFile(QStringLiteral("updateapp.exe"))), QByteArray("#!/bin/sh\n"));
    const QByteArray exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8();
    EXPECT_EQ(readAll(updateFile(QStringLiteral("updateinfo.dat"))),
              QByteArray("[APP]\r\nName=ピルカノス2014\r\nExe=") + exe +
                  "\r\nIdent=murven19\r\nRun=1\r\n"
                  "\r\n[FILE1]\r\nName=a.so\r\nSize=5\r\nDateTime=2030/01/02 03:04:05\r\nDLFile=a.bin\r\n"
                  "\r\n[FILE2]\r\nName=b.so\r\nSize=3\r\nDateTime=2030/01/02 03:04:05\r\nDLFile=b.bin\r\n");
}

TEST_F(UpdateCheck, aDownloadOfTheWrongSizeFailsAndLeavesNoFile)
{
    serve(description("1", fileElement("a.so", {}, "a.bin", "9")));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/app/"), {200, "x"});
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    ASSERT_TRUE(update.HasNewerFiles());
    EXPECT_FALSE(update.DownloadUpdateFiles());
    EXPECT_FALSE(QFileInfo::exists(updateFile(QStringLiteral("a.bin"))));
    EXPECT_FALSE(QFileInfo::exists(updateFile(QStringLiteral("updateinfo.dat"))));
}

TEST_F(UpdateCheck, aDownloadCutShortIsDeleted)
{
    serve(description("1", fileElement("a.so", {}, "a.bin", "9")));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345", false, 9});
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    ASSERT_TRUE(update.HasNewerFiles());
    EXPECT_FALSE(update.DownloadUpdateFiles());
    EXPECT_FALSE(QFileInfo::exists(updateFile(QStringLiteral("a.bin"))));
}

TEST_F(UpdateCheck, aMissingUpdateProgramFailsTheDownload)
{
    serve(description("1", fileElement("a.so", {}, "a.bin", "5")));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    ASSERT_TRUE(update.HasNewerFiles());
    EXPECT_FALSE(update.DownloadUpdateFiles());
    EXPECT_FALSE(QFileInfo::exists(updateFile(QStringLiteral("updateapp.exe"))));
}

TEST_F(UpdateCheck, aTraversingDlFileWritesNothingOutsideTheUpdateFolder)
{
    serve(description("1", fileElement("a.so", {}, "../evil.bin", "5")));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    TUpdateDialog update;
    EXPECT_FALSE(update.GetUpdateInfo());
    EXPECT_EQ(update.ErrorCode, ucDlFileNotBare);
    EXPECT_FALSE(update.HasNewerFiles());
    EXPECT_FALSE(QFileInfo::exists(DataRoot + QStringLiteral("evil.bin")));
    EXPECT_FALSE(server.requested.contains(QStringLiteral("/dl/p1/")));
}

TEST_F(UpdateCheck, aNameThatWouldAddLinesToUpdateInfoDownloadsNothing)
{
    serve(description("1", fileElement("a.so&#10;[FILE2]&#10;Name=../../.profile", {}, "a.bin", "5")));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/app/"), {200, "x"});
    TUpdateDialog update;
    EXPECT_FALSE(update.GetUpdateInfo());
    EXPECT_EQ(update.ErrorCode, ucNameNotBare);
    EXPECT_FALSE(update.HasNewerFiles());
    EXPECT_FALSE(server.requested.contains(QStringLiteral("/dl/p1/")));
    EXPECT_FALSE(QFileInfo::exists(updateFile(QStringLiteral("updateinfo.dat"))));
}

// ---- The check as the windows run it ------------------------------------------

TEST_F(UpdateCheck, withoutAHostTheAutomaticCheckIsSilent)
{
    UpdateDomain.clear();
    EXPECT_FALSE(RunUpdateCheck(nullptr, false));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_TRUE(server.requested.isEmpty());
}

TEST_F(UpdateCheck, withoutAHostTheManualCheckSaysTheServerCannotBeReached)
{
    UpdateDomain.clear();
    EXPECT_FALSE(RunUpdateCheck(nullptr, true));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("接続できませんでした")));
}

TEST_F(UpdateCheck, theManualCheckReportsAFailedAnswerWithItsCode)
{
    EXPECT_FALSE(RunUpdateCheck(nullptr, true));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("アップデートの確認がおこなえません  ")));
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("(404)")));
    EXPECT_FALSE(boxes.last().text.contains(QStringLiteral("最新のプログラム")));
}

TEST_F(UpdateCheck, theAutomaticCheckStaysSilentWhenNothingIsNewer)
{
    serve(description("0", {}));
    EXPECT_FALSE(RunUpdateCheck(nullptr, false));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(UpdateCheck, theManualCheckSaysUpToDateOnlyForAValidDescription)
{
    serve(description("0", {}));
    EXPECT_FALSE(RunUpdateCheck(nullptr, true));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("最新のプログラムを使用しています  "));
}

TEST_F(UpdateCheck, declinedUpdateDownloadsNothing)
{
    serve(description("1", fileElement("a.so", {}, "a.bin", "5")));
    boxes.enqueue(IDNO);
    EXPECT_FALSE(RunUpdateCheck(nullptr, false));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_FALSE(boxes.last().text.contains(QStringLiteral("UAC")));
    EXPECT_FALSE(server.requested.contains(QStringLiteral("/dl/p1/")));
}

TEST_F(UpdateCheck, aPackageManagedInstallationPointsToThePackageManager)
{
    serve(description("1", fileElement("a.so", {}, "a.bin", "5")));
    QFile::setPermissions(program.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (QFileInfo(program.path()).isWritable())
        GTEST_SKIP() << "the test runs with rights that ignore folder permissions";
    EXPECT_FALSE(RunUpdateCheck(nullptr, true));
    QFile::setPermissions(program.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("パッケージ管理")));
}

} // namespace
