#include "core/BkupDat.h"

#include "core/DBInfo.h"
#include "core/Env.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/SqlCipher.h"
#include "platform/WriteError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStorageInfo>

#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sqlcipher/sqlite3.h>

namespace {

std::function<bool(const QString &)> &copyFailureHook()
{
    static std::function<bool(const QString &)> hook;
    return hook;
}

int &copyFailureErrno()
{
    static int code = ENOSPC;
    return code;
}

std::function<bool(const QString &)> &letterCaseProbe()
{
    static std::function<bool(const QString &)> probe;
    return probe;
}

// A copy's temporary beside its target: "." + the target's name +
// ".copying-" + eight hex digits.
QString copyTemporaryName(const QString &fileName, quint32 number)
{
    return QStringLiteral(".") + fileName + QStringLiteral(".copying-%1").arg(number, 8, 16, QLatin1Char('0'));
}

// Removes the temporaries killed copies left in the folder (plain files of
// exactly that name form only: nothing of the user's). Only a run that ended
// before leaves them, so each folder is swept once a run.
void sweepCopyTemporaries(const QString &folder)
{
    static QMutex lock;
    static QSet<QString> swept;
    {
        const QMutexLocker locked(&lock);
        if (swept.contains(folder))
            return;
        swept.insert(folder);
    }
    const QStringList left =
        QDir(folder).entryList({QStringLiteral(".*.copying-*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : left) {
        const QString path = folder + QLatin1Char('/') + name;
        struct stat st {};
        if (!IsCopyTemporary(name) || ::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (::unlink(QFile::encodeName(path).constData()) != 0)
            qWarning("The temporary %s of a copy cannot be removed", qPrintable(QDir::toNativeSeparators(path)));
    }
}

bool isTableFile(const QString &name)
{
    return name.endsWith(QStringLiteral(".DB"), Qt::CaseInsensitive);
}

QString withSlash(const QString &path)
{
    return Folders::includeTrailingPathDelimiter(path);
}

bool syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

QString writeError(const QString &path, int err, TWriteTarget target)
{
    return QStringLiteral("ファイル %1 を書き込めません。%2").arg(QDir::toNativeSeparators(path), WriteErrorReason(err, target));
}

// A line of a row's cause for each failure, in the order met.
void addCause(QString *cause, const QString &line)
{
    if (cause == nullptr || line.isEmpty())
        return;
    if (!cause->isEmpty())
        *cause += QLatin1Char('\n');
    *cause += line;
}

} // namespace

QString FileNotWrittenReason(const QString &path, int systemErrno, bool inFolder)
{
    return writeError(path, systemErrno, inFolder ? TWriteTarget::Folder : TWriteTarget::File);
}

QString FolderNotMadeReason(const QString &folder, int systemErrno)
{
    return QStringLiteral("フォルダー %1 を作成できません。%2")
        .arg(QDir::toNativeSeparators(folder), WriteErrorReason(systemErrno, TWriteTarget::Folder));
}

QString CopyResultMark(int code)
{
    if (code == CopyResult::Done)
        return QStringLiteral("○");
    if (code == CopyResult::Partly)
        return QStringLiteral("△");
    if (code == CopyResult::Kept)
        return QStringLiteral("－");
    return QStringLiteral("×");
}

QString CopyResultReason(int code)
{
    switch (code) {
    case CopyResult::Partly: return QStringLiteral("一部失敗");
    case CopyResult::Kept: return QStringLiteral("復元対象外");
    case CopyResult::Failed: return QStringLiteral("コピー失敗");
    case CopyResult::NoFolder: return QStringLiteral("フォルダーの作成に失敗");
    default: return {};
    }
}

const QStringList &AdrsTableFiles()
{
    static const QStringList names = [] {
        // The family of a table with its index files: the secondary index
        // numbers 02..0A and G0..GB, each as .X (index) and .Y (its data).
        const QStringList ext = {QStringLiteral("02"), QStringLiteral("03"), QStringLiteral("04"),
                                 QStringLiteral("06"), QStringLiteral("08"), QStringLiteral("09"),
                                 QStringLiteral("0A")};
        QStringList n = {QStringLiteral("Adrs.DB"), QStringLiteral("Adrs.MB"), QStringLiteral("Adrs.PX")};
        for (const QChar letter : {QLatin1Char('X'), QLatin1Char('Y')}) {
            for (const QString &e : ext)
                n << QStringLiteral("Adrs.") + letter + e;
            for (int g = 0; g < 12; ++g)
                n << QStringLiteral("Adrs.") + letter + QLatin1Char('G') + QString::number(g, 16).toUpper();
        }
        return n;
    }();
    return names;
}

const QStringList &SenderTableFiles()
{
    static const QStringList names = {QStringLiteral("Sender.DB"), QStringLiteral("Sender.PX")};
    return names;
}

const QStringList &HistoryFiles()
{
    static const QStringList names = {QStringLiteral("Dptmnt.mtd"),   QStringLiteral("Post.mtd"),
                                      QStringLiteral("Honor.mtd"),    QStringLiteral("Keyword1.mtd"),
                                      QStringLiteral("Keyword2.mtd"), QStringLiteral("Keyword3.mtd")};
    return names;
}

const QStringList &DataFolderFiles()
{
    static const QStringList names = {QStringLiteral("Search.ptn"), QStringLiteral("LPCustom.tpl"),
                                      QStringLiteral("CstmL.fmt"), QStringLiteral("Sender.ini")};
    return names;
}

const QList<TLayoutKind> &LayoutKinds()
{
    static const QList<TLayoutKind> kinds = {
        {QStringLiteral("Layout/"), QStringLiteral("*.gpl"), QStringLiteral("宛名ファイル")},
        {QStringLiteral("Label/"), QStringLiteral("*.gpa"), QStringLiteral("ラベルファイル")},
        {QStringLiteral("Card/"), QStringLiteral("*.gpc"), QStringLiteral("名刺ファイル")},
        {QStringLiteral("Design/"), QStringLiteral("*.gpd"), QStringLiteral("文面ファイル")},
    };
    return kinds;
}

QString DataFileLabel(const QString &fileName)
{
    static const QList<std::pair<QString, QString>> fixed = {
        {QStringLiteral("Dptmnt.mtd"), QStringLiteral("部署ファイル")},
        {QStringLiteral("Post.mtd"), QStringLiteral("役職ファイル")},
        {QStringLiteral("Honor.mtd"), QStringLiteral("敬称ファイル")},
        {QStringLiteral("Search.ptn"), QStringLiteral("絞り込み条件パターンファイル")},
        {QStringLiteral("LPCustom.tpl"), QStringLiteral("一覧表カスタムテンプレートファイル")},
        {QStringLiteral("CstmL.fmt"), QStringLiteral("印刷系カスタム用紙ファイル")},
        {QStringLiteral("Sender.ini"), QStringLiteral("差出人情報ファイル")},
    };
    for (const auto &[name, label] : fixed) {
        if (name == fileName)
            return label;
    }
    // Keyword1..3.mtd hold the inputs of keywords 6..8: named by their captions.
    for (int k = 1; k <= 3; ++k) {
        if (fileName == QStringLiteral("Keyword%1.mtd").arg(k)) {
            QString caption = KeywordNames[5 + k];
            if (caption.isEmpty())
                caption = QStringLiteral("キーワード") + QChar(u'０' + 5 + k);
            return caption + QStringLiteral("ファイル");
        }
    }
    return fileName;
}

bool IsCopyTemporary(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.copying-[0-9a-f]{8}$"));
    return pattern.match(name).hasMatch();
}

bool TableIsWhole(const QString &path, QString *findings)
{
    QString dummy;
    QString &found = findings ? *findings : dummy;
    // A writer's commit is waited for from the first read of the schema on.
    sqlite3 *db = SqlCipher::open(path, TablePassword, false, &found, 3000);
    if (!db)
        return false;
    QStringList rows;
    int rc = SQLITE_ROW;
    {
        SqlCipher::Statement st(db, "PRAGMA quick_check;");
        if (!st.valid()) {
            rc = SQLITE_ERROR;
        } else {
            while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                rows << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        }
    }
    // A page the engine cannot even decrypt ends the check with an error.
    if (rc != SQLITE_DONE)
        rows << SqlCipher::lastError(db);
    SqlCipher::close(db);
    const bool whole = rc == SQLITE_DONE && rows == QStringList{QStringLiteral("ok")};
    found = whole ? QString() : rows.join(QLatin1Char('\n'));
    return whole;
}

void SetDataFileCopyFailure(std::function<bool(const QString &from)> hook, int systemErrno)
{
    copyFailureHook() = std::move(hook);
    copyFailureErrno() = systemErrno;
}

bool CopyDataFile(const QString &from, const QString &to, QString *error, TTableCopy mode, bool *damaged)
{
    QString dummy;
    QString &err = error ? *error : dummy;
    if (damaged)
        *damaged = false;
    const bool checked = mode == TTableCopy::WholeOnly && isTableFile(from);
    // The copy takes the old file's place by a rename, which the folder
    // allows whatever the file's own setting: a file set read-only stays.
    if (const int code = ReadOnlyFileError(to)) {
        err = writeError(to, code, TWriteTarget::File);
        return false;
    }
    const QFileInfo target(to);
    sweepCopyTemporaries(target.absolutePath());
    const QString tmp =
        target.absolutePath() + QLatin1Char('/') + copyTemporaryName(target.fileName(), QRandomGenerator::global()->generate());
    const QByteArray tmpName = QFile::encodeName(tmp);
    const bool injected = copyFailureHook() && copyFailureHook()(from);
    // A refusal of the folder (its rights, a read-only disk) shows as the
    // copy's file is made, anything else while it is written.
    const int injectedErrno = copyFailureErrno();
    if (injected && (injectedErrno == EACCES || injectedErrno == EPERM || injectedErrno == EROFS)) {
        err = writeError(to, injectedErrno, TWriteTarget::Folder);
        return false;
    }
    const int fd = ::open(tmpName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        err = writeError(to, errno, TWriteTarget::Folder);
        return false;
    }
    int writeErrno = 0;
    // The copy's bytes are the file's; only its rename into place is the folder's.
    TWriteTarget writeTarget = TWriteTarget::File;
    off_t written = 0;
    auto sink = [&](const char *data, qint64 size) {
        const off_t start = written;
        written += size;
        while (size > 0) {
            const ssize_t n = ::write(fd, data, size_t(size));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                writeErrno = errno;
                return false;
            }
            data += n;
            size -= n;
        }
        // The disk writes the copy while the next piece is read, so the
        // final sync finds little left to do.
        (void)::sync_file_range(fd, start, written - start, SYNC_FILE_RANGE_WRITE);
        return true;
    };
    bool ok = true;
    if (injected) {
        writeErrno = injectedErrno;
        ok = false;
    } else if (isTableFile(from)) {
        ok = SqlCipher::readConsistent(from, TablePassword, sink, &err);
        // A read that fails before a byte is written may be a file that is
        // no table at all: damaged as far as the copy is concerned.
        if (!ok && checked && writeErrno == 0 && !TableIsWhole(from) && damaged)
            *damaged = true;
    } else {
        QFile in(from);
        if (!in.open(QIODevice::ReadOnly)) {
            err = QStringLiteral("ファイル %1 を読み込めません。%2").arg(from, in.errorString());
            ok = false;
        }
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        while (ok) {
            const qint64 n = in.read(buffer.data(), buffer.size());
            if (n < 0) {
                err = QStringLiteral("ファイル %1 を読み込めません。%2").arg(from, in.errorString());
                ok = false;
            } else if (n == 0) {
                break;
            } else {
                ok = sink(buffer.constData(), n);
            }
        }
    }
    if (ok && ::fdatasync(fd) != 0) {
        writeErrno = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        writeErrno = errno;
        ok = false;
    }
    // The copy is checked where it lies, before it replaces anything: what
    // was read is what is judged, so the table is read whole once only.
    if (ok && checked) {
        QString findings;
        if (!TableIsWhole(tmp, &findings)) {
            err = QStringLiteral("ファイル %1 が壊れています。%2").arg(QDir::toNativeSeparators(from), findings);
            if (damaged)
                *damaged = true;
            ok = false;
        }
    }
    if (ok && std::rename(tmpName.constData(), QFile::encodeName(to).constData()) != 0) {
        writeErrno = errno;
        writeTarget = TWriteTarget::Folder;
        ok = false;
    }
    if (!ok) {
        if (writeErrno != 0)
            err = writeError(to, writeErrno, writeTarget);
        ::unlink(tmpName.constData());
        return false;
    }
    (void)syncFolder(target.absolutePath());
    return true;
}

QList<std::pair<QString, QString>> PresentFiles(const QString &folder, const QStringList &names)
{
    QList<std::pair<QString, QString>> present;
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (entries.contains(name)) {
            present.append({name, name});
            continue;
        }
        for (const QString &e : entries) {
            if (e.compare(name, Qt::CaseInsensitive) == 0) {
                present.append({name, e});
                break;
            }
        }
    }
    return present;
}

int CopyFolder(const QString &src, const QString &dest, const QStringList &names, QString *error, TTableCopy mode,
               bool *damaged)
{
    if (!Folders::makePrivatePath(dest)) {
        if (error)
            *error = FolderNotMadeReason(dest, errno);
        return CopyResult::NoFolder;
    }
    bool any = false;
    for (const auto &[listed, onDisk] : PresentFiles(src, names)) {
        if (!CopyDataFile(withSlash(src) + onDisk, withSlash(dest) + listed, error, mode, damaged)) {
            // Half a table family is no copy. Before the first file is
            // replaced an earlier copy is still whole and stays; after it,
            // no file of the family is left (new and old do not mix).
            if (any) {
                for (const auto &[name, there] : PresentFiles(dest, names)) {
                    Q_UNUSED(name);
                    if (!QFile::remove(withSlash(dest) + there))
                        qWarning("The part copy %s cannot be removed", qPrintable(QDir::toNativeSeparators(dest + there)));
                }
            }
            return CopyResult::Failed;
        }
        any = true;
    }
    return CopyResult::Done;
}

int CopyMatchingFiles(const QString &src, const QString &dest, const QStringList &masks, QString *cause)
{
    int found = 0;
    int copied = 0;
    for (const QString &mask : masks) {
        const QStringList matches = QDir(src).entryList({mask}, QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : matches) {
            if (found == 0 && !Folders::makePrivatePath(dest)) {
                addCause(cause, FolderNotMadeReason(dest, errno));
                return CopyResult::NoFolder;
            }
            ++found;
            QString error;
            if (CopyDataFile(withSlash(src) + name, withSlash(dest) + name, &error))
                ++copied;
            else
                addCause(cause, error);
        }
    }
    if (found == 0)
        return CopyResult::Nothing;
    if (copied == found)
        return CopyResult::Done;
    return copied > 0 ? CopyResult::Partly : CopyResult::Failed;
}

qint64 ClusterRounded(qint64 size, qint64 cluster)
{
    if (cluster <= 0)
        return size;
    return (size + cluster - 1) / cluster * cluster;
}

void ReadFreeSpace(const QString &dest, TBackupSpace &space)
{
    QString existing = QDir::cleanPath(dest);
    while (!existing.isEmpty() && !QFileInfo(existing).isDir()) {
        const QString up = QFileInfo(existing).path();
        if (up == existing)
            break;
        existing = up;
    }
    QStorageInfo storage(existing);
    space.FreeKnown = !existing.isEmpty() && storage.isValid() && storage.isReady() && storage.bytesFree() >= 0;
    space.FreeSize = space.FreeKnown ? storage.bytesFree() : 0;
    space.ClusterSize = space.FreeKnown && storage.blockSize() > 0 ? storage.blockSize() : 0;
}

namespace {

qint64 filesSize(const QString &folder, const QStringList &namesOrMasks, qint64 cluster)
{
    qint64 sum = 0;
    const QDir dir(folder);
    for (const QString &n : namesOrMasks) {
        const QFileInfoList files = dir.entryInfoList({n}, QDir::Files | QDir::Hidden | QDir::System);
        for (const QFileInfo &f : files)
            sum += ClusterRounded(f.size(), cluster);
    }
    return sum;
}

} // namespace

qint64 BackupNeedSize(const QString &src, const QStringList &bookFolders, qint64 cluster)
{
    const QString s = withSlash(src);
    qint64 need = 0;
    QStringList bookFiles = AdrsTableFiles();
    bookFiles << GroupDataFile;
    for (const QString &folder : bookFolders)
        need += filesSize(s + QStringLiteral("Adrs/") + folder, bookFiles, cluster);
    need += filesSize(s + QStringLiteral("Adrs/"), {QStringLiteral("AdrsMng.ini")}, cluster);
    need += filesSize(s + QStringLiteral("Other/"), SenderTableFiles(), cluster);
    for (const TLayoutKind &kind : LayoutKinds())
        need += filesSize(s + kind.Folder, {kind.Mask}, cluster);
    need += filesSize(s + QStringLiteral("History/"), HistoryFiles(), cluster);
    need += filesSize(s, DataFolderFiles(), cluster);
    return need;
}

QString FormatKiloBytes(qint64 bytes, bool known)
{
    if (!known)
        return QStringLiteral("--- ");
    const qint64 kb = (bytes + 1023) / 1024;
    QString digits = QString::number(kb);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits + QLatin1Char(' ');
}

namespace {

// The path as the file system names it: canonical where it exists, else the
// canonical folder above it with the rest appended.
QString resolvedPath(const QString &path)
{
    QString p = QDir::cleanPath(QDir(path).absolutePath());
    QStringList rest;
    while (!QFileInfo::exists(p)) {
        const QFileInfo fi(p);
        if (fi.path() == p)
            break;
        rest.prepend(fi.fileName());
        p = fi.path();
    }
    QString canonical = QFileInfo(p).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = p;
    for (const QString &part : std::as_const(rest))
        canonical = withSlash(canonical) + part;
    return withSlash(canonical);
}

} // namespace

TBackupDestError CheckBackupDestination(const QString &src, const QString &dest)
{
    const QString s = resolvedPath(src);
    const QString d = resolvedPath(dest);
    if (s == d)
        return TBackupDestError::SameAsSource;
    QStringList copiedFolders = {QStringLiteral("Adrs/"), QStringLiteral("Other/"), QStringLiteral("History/")};
    for (const TLayoutKind &kind : LayoutKinds())
        copiedFolders << kind.Folder;
    for (const QString &folder : std::as_const(copiedFolders)) {
        if (d.startsWith(resolvedPath(s + folder)))
            return TBackupDestError::InsideCopied;
    }
    return TBackupDestError::None;
}

QString BackupFolderName()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd HHmmss"));
}

namespace {

const QString kBackupSection = QStringLiteral("BACKUP");
const QString kLastFolderKey = QStringLiteral("LastFolder");

// The folder a path names, without its trailing delimiter.
QString folderOf(const QString &path)
{
    return QDir::cleanPath(path);
}

// Whether folder is base or lies under it, as the file system names them.
bool isWithin(const QString &folder, const QString &base)
{
    return resolvedPath(folder).startsWith(resolvedPath(base));
}

} // namespace

QString ProposedBackupFolder(const QString &dataPath, const QString &lastBackup, const QString &settingsRoot)
{
    QStringList bases;
    if (!lastBackup.trimmed().isEmpty())
        bases << QFileInfo(folderOf(lastBackup)).path();
    if (!settingsRoot.trimmed().isEmpty())
        bases << withSlash(settingsRoot) + QStringLiteral("Backup");
    // The data folder's parent is never inside it.
    bases << QFileInfo(folderOf(dataPath)).path();
    QString base = bases.constLast();
    for (const QString &candidate : std::as_const(bases)) {
        if (!isWithin(candidate, dataPath)) {
            base = candidate;
            break;
        }
    }
    return withSlash(base) + BackupFolderName() + QLatin1Char('/');
}

QString ProposedRestoreFolder(const QString &dataPath, const QString &lastBackup)
{
    if (lastBackup.trimmed().isEmpty() || !QFileInfo(lastBackup).isDir() ||
        resolvedPath(lastBackup) == resolvedPath(dataPath))
        return {};
    return withSlash(folderOf(lastBackup));
}

QString LastBackupFolder()
{
    const TMemIniFile ini(SettingsFileName());
    return ini.ReadString(kBackupSection, kLastFolderKey, {});
}

bool RememberBackupFolder(const QString &folder, QString *error)
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteString(kBackupSection, kLastFolderKey, folder);
    return ini.UpdateFile(error);
}

bool TBackupOutcome::AllDone() const
{
    const TCopyRows rows = AllRows();
    return std::all_of(rows.cbegin(), rows.cend(), [](const TCopyRow &r) { return r.Code == CopyResult::Done; });
}

TBackupOutcome RunBackup(const QString &src, const QString &dest, const QList<TBackupBook> &books,
                         const TCopyProgress &progress)
{
    const QString s = withSlash(src);
    const QString d = withSlash(dest);
    TBackupOutcome out;
    const int total = int(books.size()) + 3;
    int done = 0;
    auto step = [&] {
        if (progress)
            progress(++done, total);
    };

    // A table that fails its check is not copied: the destination may hold an
    // older backup of it that is still good. The copy itself is checked, before
    // it replaces anything, so each table is read whole once.
    auto copyTables = [&out](const QString &from, const QString &to, const QStringList &names,
                             const QString &label) -> TCopyRow {
        bool damaged = false;
        QString cause;
        const int r = CopyFolder(from, to, names, &cause, TTableCopy::WholeOnly, &damaged);
        if (damaged)
            out.Damaged << label;
        return {label, r, r == CopyResult::Done ? QString() : cause};
    };
    // One file copied into a folder made first: done, or failed with its cause.
    auto copyFile = [](const QString &label, const QString &from, const QString &to) -> TCopyRow {
        const QString folder = QFileInfo(to).absolutePath();
        if (!Folders::makePrivatePath(folder))
            return {label, CopyResult::Failed, FolderNotMadeReason(folder, errno)};
        QString cause;
        if (!CopyDataFile(from, to, &cause))
            return {label, CopyResult::Failed, cause};
        return {label, CopyResult::Done};
    };
    for (const TBackupBook &book : books) {
        const QString from = s + QStringLiteral("Adrs/") + book.Folder + QLatin1Char('/');
        const QString to = d + QStringLiteral("Adrs/") + book.Folder + QLatin1Char('/');
        const QString label = QStringLiteral("アドレス帳： ") + book.Name;
        // A listed book without its table has nothing that could count as copied.
        TCopyRow tables{label, CopyResult::Failed,
                        QStringLiteral("ファイル %1 が見つかりません。")
                            .arg(QDir::toNativeSeparators(from + AdrsTableFiles().first()))};
        if (!PresentFiles(from, {AdrsTableFiles().first()}).isEmpty())
            tables = copyTables(from, to, AdrsTableFiles(), label);
        out.BookResults.append(tables);
        const QString groupLabel = QStringLiteral("グループ名： ") + book.Name;
        if (tables.Code == CopyResult::NoFolder) {
            out.BookResults.append({groupLabel, CopyResult::NoFolder, tables.Cause});
        } else if (RecoverSafeReplace(from + GroupDataFile), QFileInfo::exists(from + GroupDataFile)) {
            // The group names go along even when the table could not.
            out.BookResults.append(copyFile(groupLabel, from + GroupDataFile, to + GroupDataFile));
        }
        step();
    }
    const QString mngLabel = QStringLiteral("アドレス帳管理ファイル");
    if (!Folders::makePrivatePath(d + QStringLiteral("Adrs/"))) {
        const int code = errno;
        out.BookResults.append({mngLabel, CopyResult::NoFolder, FolderNotMadeReason(d + QStringLiteral("Adrs/"), code)});
    } else if (RecoverSafeReplace(s + QStringLiteral("Adrs/AdrsMng.ini")),
               QFileInfo::exists(s + QStringLiteral("Adrs/AdrsMng.ini"))) {
        out.BookResults.append(
            copyFile(mngLabel, s + QStringLiteral("Adrs/AdrsMng.ini"), d + QStringLiteral("Adrs/AdrsMng.ini")));
    }
    const QString senderLabel = QStringLiteral("差出人ファイル");
    out.BookResults.append(
        copyTables(s + QStringLiteral("Other/"), d + QStringLiteral("Other/"), SenderTableFiles(), senderLabel));
    step();

    for (const TLayoutKind &kind : LayoutKinds()) {
        // An earlier version's save killed between its renames left a layout under its aside
        // name: it is put back first, or the backup would miss it.
        if (kind.Mask.startsWith(QLatin1Char('*')))
            RecoverSafeReplacesIn(s + kind.Folder, kind.Mask.mid(1));
        QString cause;
        const int r = CopyMatchingFiles(s + kind.Folder, d + kind.Folder, {kind.Mask}, &cause);
        if (r != CopyResult::Nothing)
            out.LayoutResults.append({kind.Label, r, cause});
    }
    step();

    const QString historyPath = d + QStringLiteral("History/");
    const bool historyFolder = Folders::makePrivatePath(historyPath);
    const QString historyCause = historyFolder ? QString() : FolderNotMadeReason(historyPath, errno);
    for (const QString &name : HistoryFiles()) {
        const QString from = s + QStringLiteral("History/") + name;
        RecoverSafeReplace(from);
        if (!QFileInfo::exists(from))
            continue;
        if (historyFolder)
            out.OtherResults.append(copyFile(DataFileLabel(name), from, historyPath + name));
        else
            out.OtherResults.append({DataFileLabel(name), CopyResult::NoFolder, historyCause});
    }
    for (const QString &name : DataFolderFiles()) {
        RecoverSafeReplace(s + name);
        if (!QFileInfo::exists(s + name))
            continue;
        out.OtherResults.append(copyFile(DataFileLabel(name), s + name, d + name));
    }
    step();
    return out;
}

void SetLetterCaseProbe(std::function<bool(const QString &dest)> probe)
{
    letterCaseProbe() = std::move(probe);
}

bool FoldsLetterCase(const QString &dest)
{
    if (letterCaseProbe())
        return letterCaseProbe()(dest);
    // A name of small letters is made and looked up in capitals: a file
    // system that folds case finds it. A folder not made yet lies on the file
    // system of the nearest folder above it.
    QString existing = QDir::cleanPath(QDir(dest).absolutePath());
    while (!QFileInfo(existing).isDir()) {
        const QString up = QFileInfo(existing).path();
        if (up == existing)
            return false;
        existing = up;
    }
    const QString folder = withSlash(existing);
    const QString probe = QStringLiteral(".murven-case-%1")
                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    const QByteArray made = QFile::encodeName(folder + probe);
    const int fd = ::open(made.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    struct stat st {};
    const bool folds = ::lstat(QFile::encodeName(folder + probe.toUpper()).constData(), &st) == 0;
    ::unlink(made.constData());
    return folds;
}

QStringList BackupCaseClashes(const QString &src, const QString &dest, const QList<TBackupBook> &books)
{
    if (!FoldsLetterCase(dest))
        return {};
    QStringList clashes;
    auto collect = [&clashes](const QStringList &names) {
        for (qsizetype i = 0; i < names.size(); ++i) {
            for (qsizetype j = i + 1; j < names.size(); ++j) {
                if (names[i] != names[j] && names[i].compare(names[j], Qt::CaseInsensitive) == 0)
                    clashes << names[i] + QStringLiteral(" / ") + names[j];
            }
        }
    };
    QStringList folders;
    for (const TBackupBook &book : books)
        folders << book.Folder;
    collect(folders);
    const QString s = withSlash(src);
    for (const TLayoutKind &kind : LayoutKinds())
        collect(QDir(s + kind.Folder).entryList({kind.Mask}, QDir::Files | QDir::Hidden | QDir::System));
    return clashes;
}

bool MakeSafetyCopy(const QString &safetyFolder, const TBackupBook &book, bool withBook, bool withSender,
                    QString *error)
{
    const QString root = withSlash(DataPath + safetyFolder);
    if (withBook) {
        const int r = CopyFolder(AdrsPath + book.Folder + QLatin1Char('/'),
                                 root + QStringLiteral("Adrs/") + book.Name + QLatin1Char('/'), AdrsTableFiles(), error);
        if (r != CopyResult::Done)
            return false;
    }
    if (withSender) {
        const int r = CopyFolder(OtherPath, root + QStringLiteral("Other/"), SenderTableFiles(), error);
        if (r != CopyResult::Done)
            return false;
    }
    return true;
}

// --- the wizard ---------------------------------------------------------------

#include "core/AdrsSel.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/EnterKey.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString WizardCaption = QStringLiteral("ピルカノス2014");
const QString SizeNote = QStringLiteral("※必要サイズは環境によって誤差がでますので、目安として参考にしてください");

} // namespace

QPushButton *MakeWizardButton(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QLabel *MakeWizardPanel(QWidget *parent, const char *name)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFrameShape(QFrame::StyledPanel);
    return l;
}

QPushButton *AddMaintenanceButtons(QDialog *dialog, QBoxLayout *layout, const char *name, const QString &text,
                                   QPushButton *&close)
{
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *action = MakeWizardButton(dialog, name, text);
    close = MakeWizardButton(dialog, "btnClose", QStringLiteral("閉じる"));
    buttons->addWidget(action);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::reject);
    return action;
}

int WizardInform(QWidget *parent, const QString &text, unsigned flags)
{
    return ShowMessageBoxAt(parent, text, WizardCaption, flags, 0, 0, 0);
}

bool EnsureWizardFolder(QWidget *parent, const QString &folder, const QString &place)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (WizardInform(parent, place + QStringLiteral("フォルダーが見つかりません  \r\n作成してもよろしいですか？  "), 0x24) != IDYES)
        return false;
    if (!Folders::makePrivatePath(folder)) {
        WizardInform(parent, place + QStringLiteral("フォルダーが作成できませんでした  "), 0x40);
        return false;
    }
    return true;
}

QTreeWidget *CreateResultList(QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(QStringLiteral("lvResult"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("ファイル"), QStringLiteral("成否"), QStringLiteral("要因")});
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    return list;
}

void FillResultList(QTreeWidget *list, const TCopyRows &rows)
{
    list->clear();
    for (const TCopyRow &row : rows) {
        auto *item = new QTreeWidgetItem(list, {row.Label, CopyResultMark(row.Code), CopyResultReason(row.Code)});
        // The mark and the reason stay as short as the list shows them; what
        // failed and why is the row's tip.
        if (!row.Cause.isEmpty()) {
            for (int column = 0; column < list->columnCount(); ++column)
                item->setToolTip(column, row.Cause);
        }
    }
}

TBackupData::TBackupData(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("バックアップ"));
    setProperty("HelpContext", 38);
    SrcFolder = DataPath;
    auto *layout = new QVBoxLayout(this);
    pages = new QStackedWidget(this);
    layout->addWidget(pages);

    auto *page1 = new QWidget(pages);
    auto *g1 = new QGridLayout(page1);
    g1->addWidget(new QLabel(QStringLiteral("保存先のフォルダー："), page1), 0, 0, 1, 2);
    edtDest = new QLineEdit(page1);
    edtDest->setObjectName(QStringLiteral("edtDest"));
    edtDest->setMaxLength(200);
    // Never a folder inside the data folder: a backup there is lost with it.
    edtDest->setText(ProposedBackupFolder(DataPath, LastBackupFolder(), DataRoot));
    g1->addWidget(edtDest, 1, 0);
    bbtnBrowseDest = MakeWizardButton(page1, "bbtnBrowseDest", QStringLiteral("参照..."));
    g1->addWidget(bbtnBrowseDest, 1, 1);
    pages->addWidget(page1);

    auto *page2 = new QWidget(pages);
    auto *g2 = new QGridLayout(page2);
    g2->addWidget(new QLabel(QStringLiteral("保存先："), page2), 0, 0);
    pnlConfirmationDest = MakeWizardPanel(page2, "pnlConfirmationDest");
    g2->addWidget(pnlConfirmationDest, 0, 1);
    g2->addWidget(new QLabel(QStringLiteral("必要サイズ (KB)："), page2), 1, 0);
    pnlNeedSize = MakeWizardPanel(page2, "pnlNeedSize");
    g2->addWidget(pnlNeedSize, 1, 1);
    g2->addWidget(new QLabel(QStringLiteral("空き容量 (KB)："), page2), 2, 0);
    pnlFreeSize = MakeWizardPanel(page2, "pnlFreeSize");
    g2->addWidget(pnlFreeSize, 2, 1);
    g2->addWidget(new QLabel(SizeNote, page2), 3, 0, 1, 2);
    pgbCopy = new QProgressBar(page2);
    pgbCopy->setObjectName(QStringLiteral("pgbCopy"));
    pgbCopy->setValue(0);
    g2->addWidget(pgbCopy, 4, 0, 1, 2);
    pages->addWidget(page2);

    auto *page3 = new QWidget(pages);
    auto *v3 = new QVBoxLayout(page3);
    v3->addWidget(new QLabel(QStringLiteral("バックアップが完了しました"), page3));
    lvResult = CreateResultList(page3);
    v3->addWidget(lvResult);
    pages->addWidget(page3);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    btnPrior = MakeWizardButton(this, "btnPrior", QStringLiteral("< 戻る"));
    btnNext = MakeWizardButton(this, "btnNext", QStringLiteral("次へ >"));
    btnBackup = MakeWizardButton(this, "btnBackup", QStringLiteral("バックアップ"));
    btnCancel = MakeWizardButton(this, "btnCancel", QStringLiteral("キャンセル"));
    btnClose = MakeWizardButton(this, "btnClose", QStringLiteral("閉じる"));
    for (QPushButton *b : {btnPrior, btnNext, btnBackup, btnCancel, btnClose})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    btnPrior->setEnabled(false);
    btnBackup->setEnabled(false);
    btnClose->hide();

    connect(btnNext, &QPushButton::clicked, this, [this] { btnNextClick(); });
    connect(btnPrior, &QPushButton::clicked, this, [this] { btnPriorClick(); });
    connect(btnBackup, &QPushButton::clicked, this, [this] { btnBackupClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    edtDest->installEventFilter(this);
    connect(bbtnBrowseDest, &QPushButton::clicked, this, [this] {
        QString folder;
        {
            TWaitCursor wait;
            const QString typed = edtDest->text().trimmed();
            folder = QFileInfo(typed).isDir() ? typed : DataRoot;
        }
        if (BrowseForFolder(folder, this, QStringLiteral("保存先のフォルダーを指定してください"), false, true)) {
            edtDest->setText(folder);
            edtDest->setCursorPosition(int(folder.size()));
            edtDest->setFocus();
        }
    });
}

bool TBackupData::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the folder edit moves on instead of pressing a button.
    if (watched == edtDest && IsEnterKeyPress(event)) {
        if (edtDest->text().trimmed().isEmpty())
            bbtnBrowseDest->setFocus();
        else
            btnNext->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

int TBackupData::Page() const
{
    return pages->currentIndex();
}

int TBackupData::Inform(const QString &text, unsigned flags)
{
    return WizardInform(this, text, flags);
}

void TBackupData::CheckBackupSpace()
{
    QStringList folders;
    for (const TAdrsFolderInfo &book : std::as_const(AdrsFolderList)) {
        if (book.State != AdrsStateDeleted)
            folders << book.Folder;
    }
    ReadFreeSpace(DestFolder, Space);
    Space.NeedSize = BackupNeedSize(SrcFolder, folders, Space.ClusterSize);
    pnlNeedSize->setText(FormatKiloBytes(Space.NeedSize));
    pnlFreeSize->setText(FormatKiloBytes(Space.FreeSize, Space.FreeKnown));
}

void TBackupData::btnNextClick()
{
    const QString d = Folders::includeTrailingPathDelimiter(edtDest->text().trimmed());
    switch (CheckBackupDestination(SrcFolder, d)) {
    case TBackupDestError::SameAsSource:
        Inform(QStringLiteral("現在使用しているデータ保存フォルダーを指定しています  "));
        edtDest->setCursorPosition(int(edtDest->text().size()));
        edtDest->setFocus();
        return;
    case TBackupDestError::InsideCopied:
        Inform(QStringLiteral("バックアップするフォルダーの中は保存先に指定できません  "));
        edtDest->setCursorPosition(int(edtDest->text().size()));
        edtDest->setFocus();
        return;
    case TBackupDestError::None: break;
    }
    DestFolder = d;
    pnlConfirmationDest->setText(d);
    CheckBackupSpace();
    btnPrior->setEnabled(true);
    btnNext->setEnabled(false);
    btnBackup->setEnabled(true);
    pages->setCurrentIndex(1);
    btnBackup->setFocus();
}

void TBackupData::btnPriorClick()
{
    btnPrior->setEnabled(false);
    btnNext->setEnabled(true);
    btnBackup->setEnabled(false);
    pages->setCurrentIndex(0);
    edtDest->setCursorPosition(int(edtDest->text().size()));
    edtDest->setFocus();
}

void TBackupData::btnBackupClick()
{
    if (!Space.Enough()) {
        Inform(QStringLiteral("空き容量が足りません  "));
        btnPrior->setFocus();
        return;
    }
    QList<TBackupBook> books;
    for (const TAdrsFolderInfo &book : std::as_const(AdrsFolderList))
        books.append({book.Name.isEmpty() ? book.Folder : book.Name, book.Folder});
    const QStringList clashes = BackupCaseClashes(SrcFolder, DestFolder, books);
    if (!clashes.isEmpty()) {
        Inform(QStringLiteral("保存先のフォルダーでは英字の大文字と小文字が区別されないため、  \r\n"
                              "次の名前を別々に保存できません  \r\n") +
                   clashes.join(QStringLiteral("  \r\n")) + QStringLiteral("  "),
               0x30);
        btnPrior->setFocus();
        return;
    }
    if (Inform(QStringLiteral("データのバックアップを行います  \r\nよろしいですか？  "), 0x124) != IDYES)
        return;
    if (!EnsureWizardFolder(this, DestFolder, QStringLiteral("保存先")))
        return;
    repaint();
    {
        TWaitCursor wait;
        Outcome = RunBackup(SrcFolder, DestFolder, books, [this](int done, int total) {
            pgbCopy->setMaximum(total);
            pgbCopy->setValue(done);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    }
    FillResultList(lvResult, Outcome.AllRows());
    // The restore proposes this folder, the next backup one beside it.
    QString error;
    if (!RememberBackupFolder(DestFolder, &error))
        Inform(QStringLiteral("バックアップ先のフォルダーを設定ファイルに記録できませんでした  \r\n%1  ").arg(error),
               0x30);
    btnPrior->setEnabled(false);
    btnBackup->setEnabled(false);
    btnCancel->hide();
    btnClose->show();
    pages->setCurrentIndex(2);
    btnClose->setFocus();
    if (!Outcome.Damaged.isEmpty()) {
        Inform(QStringLiteral("次のデータファイルは壊れているため、バックアップしませんでした  \r\n") +
                   Outcome.Damaged.join(QStringLiteral("  \r\n")) +
                   QStringLiteral("  \r\n\r\n以前に取ったバックアップがあれば、削除せずに残しておいてください  "),
               0x30);
    }
}
