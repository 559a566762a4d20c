#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QWidget;

// One check for newer program files on the update server: fetch the
// description (an XML document naming the files, their versions, sizes and
// times), compare it with the installed files, download what is newer into
// DataRoot + "update/" together with the update program, describe the
// download in updateinfo.dat and start the update program.
//
// The server is [UPDATE PARAMETER] Domain ("host" or "host:port", port 443 by
// default) with the request paths Path + "murven19/" and App, asked over
// HTTPS only: a server whose certificate the system does not trust is not
// answered. Without a host nothing is asked. Every call is synchronous: it
// runs its own event loop until the answer is complete, the transfer stalls
// longer than TimeoutMs, or the connection fails. Every answer is bounded in
// size.
//
// What is downloaded runs as the user, so the update program is started
// only when the description names the SHA-256 of the update program
// (element updatersha256 of the root) and of every file downloaded (element
// sha256 of each file), and every download matches its value. A description
// without them still offers the download, which is then left in the update
// folder for the user, but never started.

// The installed files have no version resource here: the program's own
// version is compiled in and the others are listed in the version manifest
// AppPath + "Murven19.ver" (section FILES, key = path below the program
// folder with '/', value = dotted version).
[[nodiscard]] QString ManifestFileName();
// The version of a file below the program folder ("" when not known).
[[nodiscard]] QString InstalledFileVersion(const QString &RelativePath);

// True when A is a newer dotted version than B: at most four parts each,
// compared as numbers from the first; missing or unreadable parts count 0
// ("1.2.10" > "1.2.9", "1.2" == "1.2.0.0").
[[nodiscard]] bool IsNewerVersion(const QString &A, const QString &B);

// A dlfile is written into the update folder only when it is a bare file
// name: not empty, no separator, not "." or "..", no control character.
[[nodiscard]] bool IsBareFileName(const QString &Name);

// A file's name is taken only when it is one line of updateinfo.dat and names
// a file below the program folder: no control character, not absolute, no
// ".." part. It may name a sub-folder ("lib/a.so").
[[nodiscard]] bool IsProgramRelativeName(const QString &Name);

// An installation the system's package manager owns: its program folder
// cannot be written, or lies in the system's own tree (/usr but not
// /usr/local). Its files are replaced by the package manager alone.
[[nodiscard]] bool IsPackageManagedInstallation(const QString &ProgramFolder, bool Writable);

struct TUpdateFile {
    QString Name;
    QString JpName;
    QString Path; // below the program folder, with '/' at the end, or empty
    QString Version;
    qint64 Size = 0;
    QDateTime DateTime;
    bool Restart = false;
    QString DlFile;
    QString DlParam;
    QByteArray Sha256; // 32 bytes; empty when the description names none
    bool ToUpdate = false;
    bool Downloaded = false;
};

// Result codes of a check (ErrorCode).
enum TUpdateCode : int {
    ucSuccess = 0,
    ucNothingToUpdate = 1000,
    ucTimeout = 1501,
    ucHostNotFound = 1502,
    ucCannotConnect = 1503,
    ucNotTrusted = 1504, // no TLS, or a certificate the system does not trust
    ucNetworkOther = 1600, // plus Qt's network error number; an HTTP status other than 2xx is stored as it is
    ucNoXml = 2000,
    ucRootNotUpdate = 2001,
    ucNoApp = 2002,
    ucWrongApp = 2003,
    ucCountNotInteger = 2005,
    ucCountMismatch = 2006,
    ucNoDlPath = 2007,
    ucEmptyDlPath = 2008,
    ucNoName = 2101,
    ucNoSize = 2102,
    ucSizeNotInteger = 2103,
    ucNoDateTime = 2104,
    ucBadDateTime = 2105,
    ucNoDlFile = 2106,
    ucNoDlParam = 2107,
    ucDlFileNotBare = 2108, // a dlfile that is no bare file name, or names a file already taken
    ucNameNotBare = 2109, // a name with a control character, or one that leaves the program folder
    ucSizeTooLarge = 2110, // a file larger than TUpdateDialog::MaxDownloadBytes
    ucBadSha256 = 2111,    // a SHA-256 that is not 64 hexadecimal digits
    ucHashMismatch = 3000, // a download whose SHA-256 is not the one the description names
};


// Whether an update server is configured ([UPDATE PARAMETER] Domain): without
// one no check can run, and none is offered.
[[nodiscard]] bool UpdateConfigured();
// What the program says when a check is asked for without a server.
[[nodiscard]] QString UpdateNotConfiguredText();

class TUpdateDialog
{
public:
    TUpdateDialog();

    // There is a host to ask (the platform has no other test of the line).
    [[nodiscard]] bool CheckInternet();
    // Fetches and reads the description. False on a connection failure, an
    // HTTP status other than 2xx, or an unusable description (kept in
    // upderr.dat); ErrorCode and ErrorText tell which.
    [[nodiscard]] bool GetUpdateInfo();
    // Marks the entries newer than the installed files; true when any is.
    [[nodiscard]] bool HasNewerFiles();
    // Whether the description names the SHA-256 of the update program and of
    // every marked entry: only then may the update program be started.
    [[nodiscard]] bool CanStartUpdater() const;
    // Downloads every marked entry and the update program, each checked
    // against its size and, when named, its SHA-256 (a partial or different
    // file is deleted), then writes updateinfo.dat.
    [[nodiscard]] bool DownloadUpdateFiles();
    // Starts the update program: 0 started (or finished), 1 failed or not
    // allowed (CanStartUpdater false, or the downloads were not all checked).
    [[nodiscard]] int RunUpdater();

    // Reads a description into the entries; returns its code.
    [[nodiscard]] int Parse(const QByteArray &Answer);

    int ErrorCode = 0;
    QString ErrorText;
    bool Restart = false;
    QString InfoDate;
    QString DlPath;
    QByteArray UpdaterSha256; // 32 bytes; empty when the description names none
    QList<TUpdateFile> Files;
    int TimeoutMs = 10000;
    // The largest file the check downloads, and the largest update program.
    qint64 MaxDownloadBytes = qint64(512) * 1024 * 1024;
    qint64 MaxUpdaterBytes = qint64(64) * 1024 * 1024;

    [[nodiscard]] static QString UpdateFolder(); // DataRoot + "update/"

private:
    struct TAnswer {
        bool Ok = false;
        int Code = 0;
        QByteArray Body;
    };
    [[nodiscard]] TAnswer Get(const QString &Path, const std::function<bool(const QByteArray &)> &Sink);
    // ExpectedSize < 0: any size up to Limit. An empty Sha256 checks none.
    [[nodiscard]] bool Download(const QString &Path, const QString &FileName, qint64 ExpectedSize, qint64 Limit,
                                const QByteArray &Sha256);
    [[nodiscard]] bool WriteUpdateInfo();
    void WriteErrorFile(int Code, const QByteArray &Answer);

    bool m_fetched = false;
    bool m_checkedDownloads = false; // every download matched a named SHA-256
};

// The whole check as the settings dialog (Manual: a message for every
// outcome) or the first show of the main list (silent until the question)
// runs it, with Owner as owner of the messages. True when the update program
// was started and the program must end for it.
[[nodiscard]] bool RunUpdateCheck(QWidget *Owner, bool Manual);
