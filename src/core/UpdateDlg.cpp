#include "core/UpdateDlg.h"

#include "core/Env.h"
#include "core/VersionInfo.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"
#include "util/WaitCursor.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>
#include <cctype>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kProductWord = QStringLiteral("Murven19");
const QString kUpdaterName = QStringLiteral("updateapp.exe");

QString joinedProgramVersion()
{
    const std::array<int, 4> v = ProgramVersion();
    return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
}

std::array<qint64, 4> versionParts(const QString &text)
{
    std::array<qint64, 4> parts{};
    const QStringList pieces = text.trimmed().split(QLatin1Char('.'));
    for (int i = 0; i < 4 && i < pieces.size(); ++i) {
        bool ok = false;
        const qint64 value = pieces[i].trimmed().toLongLong(&ok);
        parts[size_t(i)] = ok ? value : 0;
    }
    return parts;
}

// "yyyy?MM?dd?hh?mm?ss": fixed character positions, any separators.
QDateTime parseDateTime(const QString &text)
{
    if (text.size() < 19)
        return {};
    auto number = [&](int from, int length, bool &ok) {
        bool one = false;
        const int value = text.mid(from, length).toInt(&one);
        ok = ok && one;
        return value;
    };
    bool ok = true;
    const QDate date(number(0, 4, ok), number(5, 2, ok), number(8, 2, ok));
    const QTime time(number(11, 2, ok), number(14, 2, ok), number(17, 2, ok));
    if (!ok || !date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

// A SHA-256 as the description writes it: 64 hexadecimal digits, either case.
bool readSha256(const QString &text, QByteArray &out)
{
    const QString t = text.trimmed();
    const auto hexDigit = [](QChar c) { return c.unicode() < 0x80 && std::isxdigit(c.unicode()) != 0; };
    if (t.size() != 64 || !std::all_of(t.cbegin(), t.cend(), hexDigit))
        return false;
    out = QByteArray::fromHex(t.toLatin1());
    return out.size() == 32;
}

// The SHA-256 of a file as it lies on disk now (empty when it cannot be read).
QByteArray fileSha256(const QString &Name)
{
    QFile file(Name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result();
}

// What is downloaded into the update folder is started: only the user may
// reach it. A folder left open to others by an earlier run or by hand is
// closed again; one that is a link or another user's is refused.
bool closeUpFolder(const QString &Folder)
{
    const QByteArray path = QFile::encodeName(QDir::cleanPath(Folder));
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) == 0)
        return true;
    return ::chmod(path.constData(), 0700) == 0;
}

QString childText(const QHash<QString, QString> &fields, const QString &name, bool *present)
{
    const auto it = fields.constFind(name);
    if (present)
        *present = it != fields.cend();
    return it == fields.cend() ? QString() : *it;
}

} // namespace

QString ManifestFileName()
{
    return AppPath + QStringLiteral("Murven19.ver");
}

QString InstalledFileVersion(const QString &RelativePath)
{
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (RelativePath == program)
        return joinedProgramVersion();
    const TMemIniFile manifest(ManifestFileName());
    return manifest.ReadString(QStringLiteral("FILES"), RelativePath, QString());
}

bool IsNewerVersion(const QString &A, const QString &B)
{
    return versionParts(A) > versionParts(B);
}

bool IsBareFileName(const QString &Name)
{
    if (Name.isEmpty() || Name == QLatin1String(".") || Name == QLatin1String(".."))
        return false;
    return std::none_of(Name.cbegin(), Name.cend(), [](QChar c) {
        return c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7F;
    });
}

bool IsProgramRelativeName(const QString &Name)
{
    if (Name.startsWith(QLatin1Char('/')) || Name.startsWith(QLatin1Char('\\')))
        return false;
    if (std::any_of(Name.cbegin(), Name.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }))
        return false;
    const QStringList parts = Name.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    return std::none_of(parts.cbegin(), parts.cend(), [](const QString &part) { return part == QLatin1String(".."); });
}

bool IsPackageManagedInstallation(const QString &ProgramFolder, bool Writable)
{
    if (!Writable)
        return true;
    const QString folder = QDir::cleanPath(ProgramFolder) + QLatin1Char('/');
    return folder.startsWith(QLatin1String("/usr/")) && !folder.startsWith(QLatin1String("/usr/local/"));
}

TUpdateDialog::TUpdateDialog() = default;

QString TUpdateDialog::UpdateFolder()
{
    return DataRoot + QStringLiteral("update/");
}

bool UpdateConfigured()
{
    return !UpdateDomain.trimmed().isEmpty();
}

QString UpdateNotConfiguredText()
{
    return QStringLiteral("アップデートの確認先が設定されていないため  \r\nアップデートの確認はおこなえません  ");
}

bool TUpdateDialog::CheckInternet()
{
    if (UpdateConfigured())
        return true;
    ErrorText = UpdateNotConfiguredText();
    return false;
}

TUpdateDialog::TAnswer TUpdateDialog::Get(const QString &Path, const std::function<bool(const QByteArray &)> &Sink)
{
    TAnswer answer;
    const QString host = UpdateDomain.trimmed();
    // Only HTTPS with the system's certificate checks: what is downloaded is run.
    const QUrl url(QStringLiteral("https://") + host + Path);
    if (host.isEmpty() || !url.isValid() || url.host().isEmpty()) {
        answer.Code = ucCannotConnect;
        return answer;
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, kProductWord);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // The time-out counts from the last byte received, so a slow but
    // moving download goes on while a silent server is given up.
    request.setTransferTimeout(TimeoutMs);
    QSslConfiguration tls = request.sslConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    request.setSslConfiguration(tls);
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    bool sinkFailed = false;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        const QByteArray piece = reply->readAll();
        if (!sinkFailed && !Sink(piece)) {
            sinkFailed = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!sinkFailed && reply->bytesAvailable() > 0 && !Sink(reply->readAll()))
        sinkFailed = true;

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    switch (reply->error()) {
    case QNetworkReply::NoError:
        break;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        answer.Code = sinkFailed ? ucNetworkOther : ucTimeout;
        break;
    case QNetworkReply::HostNotFoundError:
        answer.Code = ucHostNotFound;
        break;
    case QNetworkReply::ConnectionRefusedError:
        answer.Code = ucCannotConnect;
        break;
    case QNetworkReply::SslHandshakeFailedError:
        answer.Code = ucNotTrusted;
        break;
    default:
        // A reply with a status is an answer of the server, judged below.
        answer.Code = status > 0 ? 0 : ucNetworkOther + int(reply->error());
        break;
    }
    if (answer.Code == 0 && (status < 200 || status > 299))
        answer.Code = status > 0 ? status : ucNetworkOther;
    if (answer.Code == 0 && sinkFailed)
        answer.Code = ucNetworkOther;
    answer.Ok = answer.Code == 0;
    reply->deleteLater();
    return answer;
}

bool TUpdateDialog::GetUpdateInfo()
{
    m_fetched = false;
    Files.clear();
    Restart = false;
    const QString path = (UpdatePath + kProductWord).toLower() + QLatin1Char('/');
    QByteArray body;
    constexpr qsizetype kMaxDescription = 4 * 1024 * 1024;
    const TAnswer answer = Get(path, [&](const QByteArray &piece) {
        body += piece;
        return body.size() <= kMaxDescription; // a description is never that large
    });
    if (!answer.Ok) {
        ErrorCode = answer.Code;
        ErrorText = answer.Code >= 100 && answer.Code <= 599
                        ? QStringLiteral("サーバーから正しい応答がありませんでした  ")
                        : QStringLiteral("接続できませんでした  ");
        return false;
    }
    ErrorCode = Parse(body);
    if (ErrorCode != ucSuccess && ErrorCode != ucNothingToUpdate) {
        WriteErrorFile(ErrorCode, body);
        ErrorText = QStringLiteral("アップデート情報が正しくありません  ");
        Files.clear();
        return false;
    }
    m_fetched = true;
    return true;
}

int TUpdateDialog::Parse(const QByteArray &Answer)
{
    Files.clear();
    InfoDate.clear();
    DlPath.clear();
    UpdaterSha256.clear();
    if (!Answer.contains("<?xml"))
        return ucNoXml;
    QXmlStreamReader xml(Answer);
    if (!xml.readNextStartElement())
        return ucNoXml;
    if (xml.name() != QLatin1String("update"))
        return ucRootNotUpdate;

    // The root's children: texts of the simple ones, and each file's fields.
    QHash<QString, QString> root;
    QList<QHash<QString, QString>> files;
    while (xml.readNextStartElement()) {
        const QString name = xml.name().toString();
        if (name.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
            QHash<QString, QString> fields;
            while (xml.readNextStartElement()) {
                const QString field = xml.name().toString();
                fields.insert(field, xml.readElementText(QXmlStreamReader::IncludeChildElements));
            }
            files << fields;
        } else if (name == QLatin1String("info")) {
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("date"))
                    InfoDate = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                else
                    xml.skipCurrentElement();
            }
        } else if (!root.contains(name)) {
            root.insert(name, xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        return ucNoXml;

    bool present = false;
    const QString app = childText(root, QStringLiteral("app"), &present);
    if (!present)
        return ucNoApp;
    if (app.trimmed().compare(kProductWord, Qt::CaseInsensitive) != 0)
        return ucWrongApp;
    const QString countText = childText(root, QStringLiteral("count"), &present);
    int count = 0;
    if (present) {
        bool ok = false;
        count = countText.trimmed().toInt(&ok);
        if (!ok || count < 0)
            return ucCountNotInteger;
    }
    if (count == 0)
        return ucNothingToUpdate;
    if (files.size() != count)
        return ucCountMismatch;
    DlPath = childText(root, QStringLiteral("dlpath"), &present);
    if (!present)
        return ucNoDlPath;
    if (DlPath.trimmed().isEmpty())
        return ucEmptyDlPath;
    DlPath = DlPath.trimmed();
    const QString updaterSha256 = childText(root, QStringLiteral("updatersha256"), &present);
    if (present && !readSha256(updaterSha256, UpdaterSha256))
        return ucBadSha256;

    for (const QHash<QString, QString> &fields : std::as_const(files)) {
        TUpdateFile file;
        file.Name = childText(fields, QStringLiteral("name"), &present).trimmed();
        if (!present)
            return ucNoName;
        // One line of updateinfo.dat, and a file below the program folder.
        if (!IsProgramRelativeName(file.Name))
            return ucNameNotBare;
        file.JpName = childText(fields, QStringLiteral("jpname"), nullptr).left(128);
        file.Path = childText(fields, QStringLiteral("path"), nullptr).trimmed();
        file.Version = childText(fields, QStringLiteral("version"), nullptr).trimmed().left(24);
        const QString size = childText(fields, QStringLiteral("size"), &present);
        if (!present)
            return ucNoSize;
        bool ok = false;
        file.Size = size.trimmed().toLongLong(&ok);
        if (!ok || file.Size < 0)
            return ucSizeNotInteger;
        if (file.Size > MaxDownloadBytes)
            return ucSizeTooLarge;
        const QString dateTime = childText(fields, QStringLiteral("datetime"), &present);
        if (!present)
            return ucNoDateTime;
        file.DateTime = parseDateTime(dateTime.trimmed());
        if (!file.DateTime.isValid())
            return ucBadDateTime;
        file.Restart = childText(fields, QStringLiteral("restart"), nullptr).trimmed() == QLatin1String("1");
        file.DlFile = childText(fields, QStringLiteral("dlfile"), &present).trimmed();
        if (!present)
            return ucNoDlFile;
        if (!IsBareFileName(file.DlFile))
            return ucDlFileNotBare;
        // One file per download: a second of the same name, or one named as
        // a file the check writes itself, would replace one already checked.
        static const QStringList ownFiles = {kUpdaterName, QStringLiteral("updateinfo.dat"),
                                             QStringLiteral("upderr.dat"), QStringLiteral("runapp.log")};
        if (ownFiles.contains(file.DlFile)
            || std::any_of(Files.cbegin(), Files.cend(),
                           [&](const TUpdateFile &earlier) { return earlier.DlFile == file.DlFile; }))
            return ucDlFileNotBare;
        file.DlParam = childText(fields, QStringLiteral("dlparam"), &present).trimmed();
        if (!present)
            return ucNoDlParam;
        const QString sha256 = childText(fields, QStringLiteral("sha256"), &present);
        if (present && !readSha256(sha256, file.Sha256))
            return ucBadSha256;
        Files << file;
    }
    return ucSuccess;
}

void TUpdateDialog::WriteErrorFile(int Code, const QByteArray &Answer)
{
    if (!Folders::makePrivatePath(UpdateFolder()))
        return;
    QSaveFile file(UpdateFolder() + QStringLiteral("upderr.dat"));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write("----------\r\n" + QByteArray::number(Code) + "\r\n----------\r\n\r\n");
    file.write(Answer);
    (void)file.commit(); // a record for the maintainer; the check has failed either way
}

bool TUpdateDialog::HasNewerFiles()
{
    Restart = false;
    bool any = false;
    if (ErrorCode == ucNothingToUpdate)
        return false;
    for (TUpdateFile &file : Files) {
        const QString relative = file.Path + file.Name;
        const QString local = AppPath + relative;
        file.ToUpdate = false;
        if (!file.Version.isEmpty() && IsNewerVersion(file.Version, InstalledFileVersion(relative)))
            file.ToUpdate = true;
        if (!file.ToUpdate) {
            const QFileInfo info(local);
            // A missing file counts as infinitely old.
            file.ToUpdate = !info.exists() || file.DateTime > info.lastModified();
        }
        if (file.ToUpdate) {
            any = true;
            Restart = Restart || file.Restart;
        }
    }
    return any;
}

bool TUpdateDialog::Download(const QString &Path, const QString &FileName, qint64 ExpectedSize, qint64 Limit,
                             const QByteArray &Sha256)
{
    const QString target = UpdateFolder() + FileName;
    QFile::remove(target);
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    qint64 written = 0;
    const qint64 most = ExpectedSize >= 0 ? std::min(ExpectedSize, Limit) : Limit;
    const TAnswer answer = Get(Path, [&](const QByteArray &piece) {
        written += piece.size();
        if (written > most)
            return false;
        return file.write(piece) == piece.size();
    });
    const bool flushed = file.flush();
    file.close();
    const bool complete = answer.Ok && flushed && (ExpectedSize < 0 ? written > 0 : written == ExpectedSize);
    // The file as it was written, not the bytes as they came.
    const bool matches = Sha256.isEmpty() || (complete && fileSha256(target) == Sha256);
    if (!complete || !matches) {
        // Never leave a partial or foreign file for the update program to take.
        QFile::remove(target);
        ErrorCode = !matches && complete ? ucHashMismatch : answer.Ok ? ucNetworkOther : answer.Code;
        return false;
    }
    return true;
}

bool TUpdateDialog::CanStartUpdater() const
{
    return !UpdaterSha256.isEmpty() && std::all_of(Files.cbegin(), Files.cend(), [](const TUpdateFile &file) {
               return !file.ToUpdate || !file.Sha256.isEmpty();
           });
}

bool TUpdateDialog::DownloadUpdateFiles()
{
    m_checkedDownloads = false;
    if (!Folders::makePrivatePath(UpdateFolder()) || !closeUpFolder(UpdateFolder()))
        return false;
    for (TUpdateFile &file : Files) {
        if (!file.ToUpdate)
            continue;
        if (!IsBareFileName(file.DlFile) ||
            !Download(DlPath + file.DlParam + QLatin1Char('/'), file.DlFile, file.Size, MaxDownloadBytes, file.Sha256))
            return false;
        file.Downloaded = true;
    }
    if (!Download(UpdateApp, kUpdaterName, -1, MaxUpdaterBytes, UpdaterSha256))
        return false;
    // Each download was compared with the value it was given: when every one
    // had a value, what lies in the folder is what the description names.
    m_checkedDownloads = CanStartUpdater();
    QFile::setPermissions(UpdateFolder() + kUpdaterName,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return WriteUpdateInfo();
}

bool TUpdateDialog::WriteUpdateInfo()
{
    // Written line by line so the update program always finds the same
    // layout: UTF-8, CRLF, sections APP and FILE1.. in entry order.
    const QString name = UpdateFolder() + QStringLiteral("updateinfo.dat");
    QFile::remove(name);
    QByteArray text;
    auto line = [&text](const QString &s) { text += s.toUtf8() + "\r\n"; };
    line(QStringLiteral("[APP]"));
    line(QStringLiteral("Name=") + ProductCaption());
    line(QStringLiteral("Exe=") + QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    line(QStringLiteral("Ident=") + kProductWord.toLower());
    line(QStringLiteral("Run=") + (Restart ? QLatin1Char('1') : QLatin1Char('0')));
    int number = 0;
    for (const TUpdateFile &file : std::as_const(Files)) {
        if (!file.Downloaded)
            continue;
        line(QString());
        line(QStringLiteral("[FILE%1]").arg(++number));
        line(QStringLiteral("Name=") + file.Name);
        line(QStringLiteral("Size=") + QString::number(file.Size));
        line(QStringLiteral("DateTime=") + file.DateTime.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
        line(QStringLiteral("DLFile=") + file.DlFile);
    }
    QSaveFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

int TUpdateDialog::RunUpdater()
{
    const QString program = UpdateFolder() + kUpdaterName;
    // A program whose bytes no SHA-256 of the description vouched for is never started.
    if (!m_checkedDownloads)
        return 1;
    // What is started is what lies in the folder now: every file is hashed
    // again right before the start, in a folder only the user can reach.
    const bool intact = closeUpFolder(UpdateFolder()) && fileSha256(program) == UpdaterSha256
                        && std::all_of(Files.cbegin(), Files.cend(), [](const TUpdateFile &file) {
                               return !file.Downloaded || fileSha256(UpdateFolder() + file.DlFile) == file.Sha256;
                           });
    if (!intact) {
        ErrorCode = ucHashMismatch;
        return 1;
    }
    int code = 0;
    if (Restart) {
        if (!QProcess::startDetached(program, {QStringLiteral("-auto")}, UpdateFolder()))
            code = 2; // ERROR_FILE_NOT_FOUND, as the system would name a start that failed
    } else {
        QProcess process;
        process.setWorkingDirectory(UpdateFolder());
        process.start(program, {QStringLiteral("-auto")});
        if (!process.waitForStarted()) {
            code = 2;
        } else {
            QEventLoop loop;
            QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
            if (process.state() != QProcess::NotRunning)
                loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
    }
    if (code != 0) {
        QSaveFile log(UpdateFolder() + QStringLiteral("runapp.log"));
        if (log.open(QIODevice::WriteOnly)) {
            log.write(QByteArray::number(code) + "\r\n");
            (void)log.commit();
        }
        return 1;
    }
    return 0;
}

bool RunUpdateCheck(QWidget *Owner, bool Manual)
{
    auto show = [Owner](const QString &text, unsigned flags) {
        return ShowMessageBoxAt(Owner, text, ProductCaption(), flags, mbpCenterOnOwner, 0, 0);
    };
    TUpdateDialog update;
    {
        std::unique_ptr<TWaitCursor> wait = Manual ? std::make_unique<TWaitCursor>() : nullptr;
        if (!update.CheckInternet()) {
            // Nothing configured: nothing was tried, so no connection failed.
            if (Manual)
                show(update.ErrorText, MB_ICONINFORMATION);
            return false;
        }
        if (!update.GetUpdateInfo()) {
            if (Manual)
                show(QStringLiteral("アップデートの確認がおこなえません  \r\n\r\n") + update.ErrorText +
                         QStringLiteral("(") + QString::number(update.ErrorCode) + QStringLiteral(")  ") +
                         QStringLiteral("\r\n\r\n") + QStringLiteral("次の内容を確認をしてみてください  ") +
                         QStringLiteral("\r\n") + QStringLiteral("・インターネットに接続できる状態か  ") +
                         QStringLiteral("\r\n") + QStringLiteral("・セキュリティソフトなどで接続の制限をかけていないか  "),
                     MB_ICONINFORMATION);
            return false;
        }
        if (!update.HasNewerFiles()) {
            if (Manual)
                show(QStringLiteral("最新のプログラムを使用しています  "), MB_ICONINFORMATION);
            return false;
        }
    }
    // Files installed by the system's package manager are replaced by it alone.
    if (IsPackageManagedInstallation(AppPath, QFileInfo(AppPath).isWritable())) {
        show(QStringLiteral("最新のアップデートが公開されています  \r\n\r\n"
                            "このプログラムはシステムのパッケージ管理でインストールされています  \r\n"
                            "アップデートはパッケージ管理ソフトから適用してください  "),
             MB_ICONINFORMATION);
        return false;
    }
    // Without the values that vouch for the downloads, they are only offered.
    const bool startable = update.CanStartUpdater();
    QString question;
    if (startable) {
        question = QStringLiteral("最新のアップデートが見つかりました  \r\nこのアップデートを適用してもよろしいですか？  \r\n\r\n");
        if (update.Restart)
            question += QStringLiteral("※自動的にアプリケーションが再起動されます  \r\n\r\n");
        question += QStringLiteral("※アップデートの途中で、管理者のパスワードを  \r\n　たずねられることがあります  ");
    } else {
        question = QStringLiteral("最新のアップデートが見つかりました  \r\nアップデートファイルをダウンロードしますか？  \r\n\r\n"
                                  "※アップデート情報にファイルを確かめる値（SHA-256）がないため  \r\n"
                                  "　アップデートは自動では適用されません  ");
    }
    if (show(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    {
        TWaitCursor wait;
        if (!update.DownloadUpdateFiles()) {
            show(QStringLiteral("アップデートファイルがダウンロードできませんでした  \r\n接続先が混み合っている可能性があります  "
                                "\r\n\r\nしばらくしてからお試しいただくか  \r\nラクシオのWebサイトから直接ダウンロードしてください  "),
                 MB_ICONWARNING);
            return false;
        }
    }
    if (!startable) {
        show(QStringLiteral("アップデートファイルを次のフォルダーにダウンロードしました  \r\n") +
                 QDir::toNativeSeparators(TUpdateDialog::UpdateFolder()) +
                 QStringLiteral("  \r\n\r\nファイルを確かめる値（SHA-256）がないため  \r\n"
                                "アップデートプログラムは起動しません  "),
             MB_ICONINFORMATION);
        return false;
    }
    if (Owner)
        Owner->setEnabled(false);
    const int result = update.RunUpdater();
    if (Owner) {
        Owner->setEnabled(true);
        Owner->activateWindow();
    }
    if (result == 1) {
        show(QStringLiteral("アップデートプログラムが起動できませんでした  \r\n\r\n再度アップデートの確認をお試しいただくか  "
                            "\r\nラクシオのWebサイトから直接ダウンロードしてください  "),
             MB_ICONERROR);
        return false;
    }
    return result == 0 && update.Restart;
}
