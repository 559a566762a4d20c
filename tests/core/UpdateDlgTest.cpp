#include "core/UpdateDlg.h"

#include "core/Env.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include <sys/stat.h>

namespace {

// The tests' self-made certificate for 127.0.0.1 and its key.
QSslCertificate testCertificate()
{
    QFile file(TestEnvironment::dataFolder() + QStringLiteral("/tls/localhost.crt"));
    return file.open(QIODevice::ReadOnly) ? QSslCertificate(file.readAll()) : QSslCertificate();
}

QSslKey testKey()
{
    QFile file(TestEnvironment::dataFolder() + QStringLiteral("/tls/localhost.key"));
    return file.open(QIODevice::ReadOnly) ? QSslKey(file.readAll(), QSsl::Rsa) : QSslKey();
}

// An HTTPS server on 127.0.0.1 with the test certificate, answering each
// path with a canned reply.
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
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(testCertificate());
        tls.setPrivateKey(testKey());
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        m_server.setSslConfiguration(tls);
        m_server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
        // A connection is pending once its handshake is done.
        QObject::connect(&m_server, &QTcpServer::pendingConnectionAvailable, &m_server, [this] {
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

    QSslServer m_server;
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

QByteArray sha256Of(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray sha256Element(const QByteArray &bytes)
{
    return "<sha256>" + sha256Of(bytes) + "</sha256>";
}

// The default dlpath with the update program's SHA-256 beside it.
QByteArray vouchedDlPath(const QByteArray &updater)
{
    return "<dlpath>/dl/</dlpath><updatersha256>" + sha256Of(updater) + "</updatersha256>";
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
        ParseCase{"nameInAFolderOfThePath", description("1", fileElement("Lyt.fmt", "<path>Common/</path>")), ucSuccess},
        // Every download is bounded: the size named is the most that is taken.
        ParseCase{"sizeAtTheLimit", description("1", fileElement("a.so", {}, "a.bin", "536870912")), ucSuccess},
        ParseCase{"sizePastTheLimit", description("1", fileElement("a.so", {}, "a.bin", "536870913")), ucSizeTooLarge},
        ParseCase{"sha256Named", description("1", fileElement("a.so", sha256Element("x"))), ucSuccess},
        ParseCase{"sha256OneDigitShort", description("1", fileElement("a.so", "<sha256>" + sha256Of("x").left(63) + "</sha256>")),
                  ucBadSha256},
        ParseCase{"sha256NotHexadecimal",
                  description("1", fileElement("a.so", "<sha256>" + QByteArray(64, 'g') + "</sha256>")), ucBadSha256},
        ParseCase{"updaterSha256Named", description("1", fileElement("a.so"), vouchedDlPath("x")), ucSuccess},
        ParseCase{"updaterSha256Broken",
                  description("1", fileElement("a.so"), "<dlpath>/dl/</dlpath><updatersha256>12</updatersha256>"),
                  ucBadSha256}),
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
        // The system trusts the test certificate for the test's while.
        systemTls = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = systemTls;
        trusting.addCaCertificates(QList<QSslCertificate>{testCertificate()});
        QSslConfiguration::setDefaultConfiguration(trusting);
        QDir().mkpath(DataRoot);
        m_saved = {AppPath, UpdateDomain, UpdatePath, UpdateApp};
        AppPath = program.path() + QLatin1Char('/');
        UpdateDomain = server.host();
        UpdatePath = QStringLiteral("/check/");
        UpdateApp = QStringLiteral("/app/");
        ASSERT_FALSE(testCertificate().isNull());
    }
    void TearDown() override
    {
        QSslConfiguration::setDefaultConfiguration(systemTls);
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

    QSslConfiguration systemTls; // the trust the system has without the test certificate

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

TEST_F(UpdateCheck, aServerWhoseCertificateIsNotTrustedIsNotAsked)
{
    QSslConfiguration::setDefaultConfiguration(systemTls);
    serve(description("0", {}));
    TUpdateDialog update;
    EXPECT_FALSE(update.GetUpdateInfo());
    EXPECT_EQ(update.ErrorCode, ucNotTrusted);
    EXPECT_TRUE(server.requested.isEmpty());
}

// Whoever answers in plain HTTP is not taken for the update server.
TEST_F(UpdateCheck, aPlainHttpAnswerIsRefused)
{
    QTcpServer plain;
    ASSERT_TRUE(plain.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    const QByteArray body = description("1", fileElement("a.so", {}, "a.bin", "5"));
    QObject::connect(&plain, &QTcpServer::newConnection, &plain, [&] {
        while (QTcpSocket *socket = plain.nextPendingConnection()) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
                          "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        }
    });
    UpdateDomain = QStringLiteral("127.0.0.1:%1").arg(plain.serverPort());
    TUpdateDialog update;
    EXPECT_FALSE(update.GetUpdateInfo());
    EXPECT_EQ(update.ErrorCode, ucNotTrusted);
    EXPECT_TRUE(update.Files.isEmpty());
}

TEST_F(UpdateCheck, aDownloadWhoseSha256DiffersFailsAndLeavesNoFile)
{
    serve(description("1", fileElement("a.so", sha256Element("12345"), "a.bin", "5")));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12346"});
    server.replies.insert(QStringLiteral("/app/"), {200, "x"});
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    ASSERT_TRUE(update.HasNewerFiles());
    EXPECT_FALSE(update.DownloadUpdateFiles());
    EXPECT_EQ(update.ErrorCode, ucHashMismatch);
    EXPECT_FALSE(QFileInfo::exists(updateFile(QStringLiteral("a.bin"))));
    EXPECT_EQ(update.RunUpdater(), 1);
}

// The update program's size is named nowhere: its download stops at the limit.
class UpdaterLimit : public UpdateCheck, public ::testing::WithParamInterface<int> {};

TEST_P(UpdaterLimit, isKeptUpToTheLimitAndRefusedPastIt)
{
    serve(description("1", fileElement("a.so", {}, "a.bin", "5")));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/app/"), {200, QByteArray(GetParam(), 'x')});
    TUpdateDialog update;
    update.MaxUpdaterBytes = 100;
    ASSERT_TRUE(update.GetUpdateInfo());
    ASSERT_TRUE(update.HasNewerFiles());
    EXPECT_EQ(update.DownloadUpdateFiles(), GetParam() <= 100);
    EXPECT_EQ(QFileInfo::exists(updateFile(QStringLiteral("updateapp.exe"))), GetParam() <= 100);
}

INSTANTIATE_TEST_SUITE_P(Sizes, UpdaterLimit, ::testing::Values(100, 101));

// ---- The check as the windows run it ------------------------------------------

// The update program leaves a mark in its working folder when it runs.
const QByteArray kMarkingUpdater = "#!/bin/sh\necho ran > ran.txt\n";

TEST_F(UpdateCheck, anUpdateWhoseDownloadsAllMatchTheirSha256StartsTheUpdateProgram)
{
    serve(description("1", fileElement("a.so", sha256Element("12345"), "a.bin", "5"), vouchedDlPath(kMarkingUpdater)));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/app/"), {200, kMarkingUpdater});
    boxes.enqueue(IDYES);
    EXPECT_FALSE(RunUpdateCheck(nullptr, true)); // no restart asked: the program goes on
    EXPECT_EQ(readAll(updateFile(QStringLiteral("ran.txt"))), QByteArray("ran\n"));
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_FALSE(box.text.contains(QStringLiteral("起動できませんでした"))) << box.text.toStdString();
}

struct UnvouchedCase {
    const char *label;
    bool fileSha256;
    QByteArray updaterSha256; // the value the description names for the update program
};
void PrintTo(const UnvouchedCase &c, std::ostream *os) { *os << c.label; }
class UnvouchedUpdate : public UpdateCheck, public ::testing::WithParamInterface<UnvouchedCase> {};

// Offered for download, never started.
TEST_P(UnvouchedUpdate, isDownloadedButItsProgramNeverStarts)
{
    const QByteArray dlpath = GetParam().updaterSha256.isEmpty()
                                  ? QByteArray("<dlpath>/dl/</dlpath>")
                                  : "<dlpath>/dl/</dlpath><updatersha256>" + GetParam().updaterSha256 + "</updatersha256>";
    serve(description("1", fileElement("a.so", GetParam().fileSha256 ? sha256Element("12345") : QByteArray(), "a.bin", "5"),
                      dlpath));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/app/"), {200, kMarkingUpdater});
    boxes.enqueue(IDYES);
    EXPECT_FALSE(RunUpdateCheck(nullptr, true));
    EXPECT_FALSE(QFileInfo::exists(updateFile(QStringLiteral("ran.txt"))));
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, UnvouchedUpdate,
    ::testing::Values(UnvouchedCase{"noValues", false, {}},
                      UnvouchedCase{"onlyTheFilesValue", true, {}},
                      UnvouchedCase{"onlyTheUpdatersValue", false, sha256Of(kMarkingUpdater)},
                      UnvouchedCase{"anUpdaterOfOtherBytes", true, sha256Of("#!/bin/sh\n")}),
    [](const auto &info) { return std::string(info.param.label); });

TEST_F(UpdateCheck, withoutSha256TheDownloadIsLeftInTheUpdateFolderAndNamed)
{
    serve(description("1", fileElement("a.so", {}, "a.bin", "5")));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/app/"), {200, kMarkingUpdater});
    boxes.enqueue(IDYES);
    EXPECT_FALSE(RunUpdateCheck(nullptr, true));
    EXPECT_EQ(readAll(updateFile(QStringLiteral("a.bin"))), QByteArray("12345"));
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.shown()[0].text.contains(QStringLiteral("ダウンロードしますか")));
    EXPECT_TRUE(boxes.last().text.contains(TUpdateDialog::UpdateFolder()));
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("起動しません")));
}


TEST_F(UpdateCheck, withoutAHostTheAutomaticCheckIsSilent)
{
    UpdateDomain.clear();
    EXPECT_FALSE(RunUpdateCheck(nullptr, false));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_TRUE(server.requested.isEmpty());
}

// Nothing was tried, so nothing failed to connect: one clear message.
TEST_F(UpdateCheck, withoutAHostTheManualCheckSaysOnlyThatNoServerIsSet)
{
    UpdateDomain.clear();
    EXPECT_FALSE(RunUpdateCheck(nullptr, true));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("アップデートの確認先が設定されていないため  \r\nアップデートの確認はおこなえません  "));
    EXPECT_FALSE(boxes.last().text.contains(QStringLiteral("接続")));
    EXPECT_TRUE(server.requested.isEmpty());
}

// ---- What is started is what the description vouched for ----------------------

// A file of the download replaced in the update folder after it was checked
// (by another program of the user's, say): the update program is not started.
struct ReplacedCase {
    const char *name;
    const char *File;
};
class ReplacedDownload : public UpdateCheck, public ::testing::WithParamInterface<ReplacedCase> {};

TEST_P(ReplacedDownload, stopsTheUpdateProgramFromStarting)
{
    serve(description("1", fileElement("a.so", sha256Element("12345"), "a.bin", "5"), vouchedDlPath(kMarkingUpdater)));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/app/"), {200, kMarkingUpdater});
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    ASSERT_TRUE(update.HasNewerFiles());
    ASSERT_TRUE(update.DownloadUpdateFiles());
    {
        QFile replaced(updateFile(QLatin1String(GetParam().File)));
        ASSERT_TRUE(replaced.open(QIODevice::WriteOnly | QIODevice::Truncate));
        replaced.write("#!/bin/sh\necho other > ran.txt\n");
    }
    EXPECT_EQ(update.RunUpdater(), 1);
    EXPECT_EQ(update.ErrorCode, ucHashMismatch);
    EXPECT_FALSE(QFileInfo::exists(updateFile(QStringLiteral("ran.txt"))));
}

INSTANTIATE_TEST_SUITE_P(Files, ReplacedDownload,
                         ::testing::Values(ReplacedCase{"theUpdateProgram", "updateapp.exe"},
                                           ReplacedCase{"aDownloadedFile", "a.bin"}),
                         [](const auto &info) { return std::string(info.param.name); });

// The same download left untouched still starts (the check above is no
// blanket refusal).
TEST_F(UpdateCheck, anUntouchedDownloadStartsTheUpdateProgram)
{
    serve(description("1", fileElement("a.so", sha256Element("12345"), "a.bin", "5"), vouchedDlPath(kMarkingUpdater)));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/app/"), {200, kMarkingUpdater});
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    ASSERT_TRUE(update.HasNewerFiles());
    ASSERT_TRUE(update.DownloadUpdateFiles());
    EXPECT_EQ(update.RunUpdater(), 0);
    EXPECT_EQ(readAll(updateFile(QStringLiteral("ran.txt"))), QByteArray("ran\n"));
}

// An update folder that exists with rights open to others (made by hand or
// by an older version) is closed to the user before anything is written.
class OpenUpdateFolder : public UpdateCheck, public ::testing::WithParamInterface<int> {};

TEST_P(OpenUpdateFolder, isClosedToTheUserBeforeTheDownload)
{
    const QString folder = TUpdateDialog::UpdateFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), mode_t(GetParam())), 0);
    serve(description("1", fileElement("a.so", sha256Element("12345"), "a.bin", "5"), vouchedDlPath(kMarkingUpdater)));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/app/"), {200, kMarkingUpdater});
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    ASSERT_TRUE(update.HasNewerFiles());
    ASSERT_TRUE(update.DownloadUpdateFiles());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

INSTANTIATE_TEST_SUITE_P(Modes, OpenUpdateFolder, ::testing::Values(0777, 0755, 0710, 0700),
                         [](const auto &info) { return "mode" + std::to_string(info.param); });

// An update folder that is a link may lead anywhere: nothing is downloaded.
TEST_F(UpdateCheck, anUpdateFolderThatIsALinkIsRefused)
{
    QTemporaryDir elsewhere;
    const QString folder = QDir::cleanPath(TUpdateDialog::UpdateFolder());
    QDir().mkpath(QFileInfo(folder).path());
    ASSERT_TRUE(QFile::link(elsewhere.path(), folder));
    serve(description("1", fileElement("a.so", sha256Element("12345"), "a.bin", "5"), vouchedDlPath(kMarkingUpdater)));
    server.replies.insert(QStringLiteral("/dl/p1/"), {200, "12345"});
    server.replies.insert(QStringLiteral("/app/"), {200, kMarkingUpdater});
    TUpdateDialog update;
    ASSERT_TRUE(update.GetUpdateInfo());
    ASSERT_TRUE(update.HasNewerFiles());
    EXPECT_FALSE(update.DownloadUpdateFiles());
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    QFile::remove(folder);
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
