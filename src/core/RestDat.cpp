#include "core/RestDat.h"

#include "core/AdrsSel.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/SqlCipher.h"
#include "platform/Table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The book list removes folders of this prefix at the next start and never
// lists them: the right name for a book on its way in or out.
const QString RestorePrefix = QStringLiteral(".deleting-restore-");
const QString AdrsMngName = QStringLiteral("AdrsMng.ini");
constexpr qint64 MaxSettingsFileSize = 16 * 1024 * 1024;

QString withSlash(const QString &path)
{
    return Folders::includeTrailingPathDelimiter(path);
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

bool containsName(const QStringList &names, const QString &name)
{
    return std::any_of(names.cbegin(), names.cend(),
                       [&name](const QString &n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
}

bool isJournal(const QString &name)
{
    return name.endsWith(QStringLiteral("-journal")) || name.endsWith(QStringLiteral("-wal")) ||
           name.endsWith(QStringLiteral("-shm"));
}

// A table file that opens with the program's key and holds its definitions.
bool tableOpens(const QString &path)
{
    QString error;
    sqlite3 *db = SqlCipher::open(path, TablePassword, false, &error);
    if (!db)
        return false;
    const bool ok = SqlCipher::exec(db, "SELECT count(*) FROM FieldDefs; SELECT count(*) FROM IndexDefs;");
    SqlCipher::close(db);
    return ok;
}

// The book list's settings file: text with at least one section, as the
// program writes it. A damaged one is not restored (the destination keeps
// its own order).
bool settingsFileReadable(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > MaxSettingsFileSize)
        return false;
    const QByteArray bytes = f.readAll();
    if (bytes.contains('\0'))
        return false;
    const QList<QByteArray> lines = bytes.split('\n');
    return std::any_of(lines.cbegin(), lines.cend(), [](const QByteArray &l) {
        const QByteArray t = l.trimmed();
        return t.size() >= 2 && t.startsWith('[') && t.endsWith(']');
    });
}

void removeTree(const QString &folder)
{
    if (!QDir(folder).removeRecursively())
        qWarning("The folder %s left by a restore cannot be removed", qPrintable(QDir::toNativeSeparators(folder)));
}

// Lets a journal of an interrupted write be rolled back into its table
// before the table is replaced beside it; false when it stays.
bool settleJournal(const QString &table)
{
    if (!QFileInfo::exists(table + QStringLiteral("-journal")))
        return true;
    sqlite3 *db = SqlCipher::open(table, TablePassword, false, nullptr);
    SqlCipher::close(db);
    return !QFileInfo::exists(table + QStringLiteral("-journal"));
}

} // namespace

TRestoreSourceCheck CheckRestoreSource(const QString &src)
{
    TRestoreSourceCheck check;
    const QString s = withSlash(src);
    const QString adrs = s + QStringLiteral("Adrs/");
    const QStringList folders = QDir(adrs).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &folder : folders) {
        if (folder.startsWith(QLatin1Char('.')))
            continue; // a deletion or restore in progress: no book
        const auto tables = PresentFiles(adrs + folder, {QStringLiteral("Adrs.DB")});
        if (tables.isEmpty())
            continue;
        const QString path = adrs + folder + QLatin1Char('/') + tables.first().second;
        if (tableOpens(path))
            check.Books << folder;
        else
            check.Unusable << path;
    }
    check.Books.sort();
    const auto sender = PresentFiles(s + QStringLiteral("Other/"), {QStringLiteral("Sender.DB")});
    if (!sender.isEmpty() && !tableOpens(s + QStringLiteral("Other/") + sender.first().second))
        check.Unusable << s + QStringLiteral("Other/") + sender.first().second;
    if (!check.Unusable.isEmpty()) {
        QStringList shown;
        for (const QString &p : std::as_const(check.Unusable))
            shown << QDir::toNativeSeparators(p);
        check.Problem = QStringLiteral("復元元フォルダーのデータファイルが壊れているか、このプログラムのデータファイルではありません  \r\n") +
                        shown.join(QStringLiteral("  \r\n")) + QStringLiteral("  ");
        return check;
    }
    if (RestoreNeedSize(src, check.Books, 0) == 0)
        check.Problem = QStringLiteral("復元元フォルダーには復元するデータがありません  ");
    return check;
}

qint64 RestoreNeedSize(const QString &src, const QStringList &books, qint64 cluster)
{
    return BackupNeedSize(src, books, cluster);
}

void RemoveRestoreLeftovers(const QString &folder)
{
    const QStringList left =
        QDir(folder).entryList({RestorePrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : left)
        removeTree(withSlash(folder) + name);
}

int RestoreFolder(const QString &srcFolder, const QString &destFolder, const QStringList &names, QString *error)
{
    const QString src = withSlash(srcFolder);
    const QString dest = QDir::cleanPath(destFolder);
    const auto present = PresentFiles(src, names);
    if (present.isEmpty())
        return CopyResult::Nothing;
    const QString parent = QFileInfo(dest).path();
    if (!Folders::makePrivatePath(parent))
        return CopyResult::NoFolder;
    const QString tmp = withSlash(parent) + RestorePrefix +
                        QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    if (!QDir().mkdir(tmp)) {
        if (error)
            *error = QStringLiteral("フォルダー %1 を作成できません").arg(tmp);
        return CopyResult::NoFolder;
    }
    QStringList restored;
    for (const auto &[listed, onDisk] : present) {
        Q_UNUSED(onDisk);
        restored << listed;
    }
    bool ok = true;
    const bool exists = QFileInfo(dest).isDir();
    // What the backup lacks stays: the folder's other files come along.
    if (exists) {
        const QStringList own = QDir(dest).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : own) {
            if (!ok)
                break;
            if (isJournal(name) || name.startsWith(QLatin1Char('.')) || containsName(restored, name))
                continue;
            ok = CopyDataFile(dest + QLatin1Char('/') + name, tmp + QLatin1Char('/') + name, error);
        }
    }
    for (const auto &[listed, onDisk] : present) {
        if (!ok)
            break;
        ok = CopyDataFile(src + onDisk, tmp + QLatin1Char('/') + listed, error);
    }
    if (!ok) {
        removeTree(tmp);
        return CopyResult::Failed;
    }
    syncFolder(tmp);
    const QByteArray tmpName = QFile::encodeName(tmp);
    const QByteArray destName = QFile::encodeName(dest);
    if (!exists) {
        if (std::rename(tmpName.constData(), destName.constData()) != 0) {
            removeTree(tmp);
            return CopyResult::Failed;
        }
        syncFolder(parent);
        return CopyResult::Done;
    }
    if (::renameat2(AT_FDCWD, tmpName.constData(), AT_FDCWD, destName.constData(), RENAME_EXCHANGE) == 0) {
        syncFolder(parent);
        removeTree(tmp); // now the old folder
        return CopyResult::Done;
    }
    // A file system that cannot exchange two folders: each file is replaced
    // alone (each table old or new, never half).
    for (const QString &name : std::as_const(restored)) {
        const QString target = dest + QLatin1Char('/') + name;
        for (const QString &other : QDir(dest).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (other != name && other.compare(name, Qt::CaseInsensitive) == 0 && !settleJournal(dest + QLatin1Char('/') + other))
                ok = false;
        }
        if (!ok || !settleJournal(target) ||
            std::rename(QFile::encodeName(tmp + QLatin1Char('/') + name).constData(),
                        QFile::encodeName(target).constData()) != 0) {
            ok = false;
            break;
        }
    }
    syncFolder(dest);
    removeTree(tmp);
    return ok ? CopyResult::Done : CopyResult::Failed;
}

bool TRestoreRun::Run()
{
    Problem.clear();
    BookResults.clear();
    LayoutResults.clear();
    OtherResults.clear();
    const QStringList open = TTable::OpenFilesUnder(DestFolder);
    if (!open.isEmpty()) {
        Problem = QStringLiteral("復元先のデータファイルが使用中のため、復元できません  \r\n") +
                  QDir::toNativeSeparators(open.first()) + QStringLiteral("  ");
        return false;
    }
    RemoveRestoreLeftovers(DestFolder);
    RemoveRestoreLeftovers(DestFolder + QStringLiteral("Adrs/"));
    ReadPendingOperations();
    RestoreBooks();
    RestoreOthers();
    if (!WritePendingRenamings())
        BookResults.append({QStringLiteral("アドレス帳管理ファイル"), CopyResult::Failed});
    return true;
}

void TRestoreRun::ReadPendingOperations()
{
    RenameFrom.clear();
    RenameTo.clear();
    m_deleteList.clear();
    const QString adrs = DestFolder + QStringLiteral("Adrs/");
    if (!QFileInfo::exists(adrs + QStringLiteral("AdrsOp.ini")))
        return;
    // A damaged file is kept aside and the user told; the restore goes on
    // as if there were no pending operations.
    TMemIniFile ini(adrs + QStringLiteral("AdrsOp.ini"));
    const int renames = ini.ReadInteger(QStringLiteral("RENAME"), QStringLiteral("Count"), 0);
    for (int i = 1; i <= renames; ++i) {
        const QString entry = ini.ReadString(QStringLiteral("RENAME"), QString::number(i), QString());
        if (entry.isEmpty())
            continue;
        const qsizetype slash = entry.indexOf(QLatin1Char('/'));
        RenameFrom << (slash < 0 ? entry : entry.left(slash));
        RenameTo << (slash < 0 ? QString() : entry.mid(slash + 1));
    }
    m_keptRenamings = RenameFrom.size();
    const int deletes = ini.ReadInteger(QStringLiteral("DELETE"), QStringLiteral("Count"), 0);
    for (int i = 1; i <= deletes; ++i) {
        const QString folder = ini.ReadString(QStringLiteral("DELETE"), QString::number(i), QString());
        if (!folder.isEmpty() && QFileInfo::exists(adrs + folder))
            m_deleteList.prepend(folder);
    }
}

QString TRestoreRun::NewFreeFolder(const QString &book)
{
    const QString adrs = DestFolder + QStringLiteral("Adrs/");
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1（%2）").arg(book).arg(n);
        const bool taken = QFileInfo::exists(adrs + candidate) || RenameTo.contains(candidate) ||
                           RenameFrom.contains(candidate) || m_deleteList.contains(candidate) ||
                           std::any_of(AdrsFolderList.cbegin(), AdrsFolderList.cend(), [&](const TAdrsFolderInfo &b) {
                               return Reopen && b.Folder == candidate;
                           });
        if (!taken) {
            RenameFrom << candidate;
            RenameTo << book;
            return candidate;
        }
    }
}

QString TRestoreRun::TargetFolder(const QString &book)
{
    const QString adrs = DestFolder + QStringLiteral("Adrs/");
    if (Reopen) {
        // A book whose deletion is pending has no name any more: its folder
        // is about to go, and nothing is restored into it.
        for (const TAdrsFolderInfo &b : std::as_const(AdrsFolderList)) {
            if (b.State != AdrsStateDeleted && b.Name == book)
                return b.Folder;
        }
        const bool held = std::any_of(AdrsFolderList.cbegin(), AdrsFolderList.cend(),
                                      [&book](const TAdrsFolderInfo &b) { return b.Folder == book; });
        if (held || m_deleteList.contains(book))
            return NewFreeFolder(book);
        return book;
    }
    QString target = book;
    bool found = false;
    for (qsizetype i = RenameTo.size() - 1; i >= 0; --i) {
        if (!RenameTo[i].isEmpty() && RenameTo[i] == target) {
            target = RenameFrom[i];
            found = true;
        }
    }
    if (found) {
        if (!m_deleteList.contains(target))
            return target;
        return QFileInfo::exists(adrs + book) ? NewFreeFolder(book) : book;
    }
    if (!QFileInfo::exists(adrs + book))
        return book;
    if (m_deleteList.contains(book))
        return NewFreeFolder(book);
    QString name = book;
    for (qsizetype i = 0; i < RenameFrom.size(); ++i) {
        if (RenameFrom[i] == name && !RenameTo[i].isEmpty())
            name = RenameTo[i];
    }
    return name != book ? NewFreeFolder(book) : book;
}

void TRestoreRun::RestoreBooks()
{
    const QString s = SrcFolder + QStringLiteral("Adrs/");
    const QString d = DestFolder + QStringLiteral("Adrs/");
    const int total = int(SourceBooks.size()) + 2;
    int done = 0;
    QStringList bookFiles = AdrsTableFiles();
    bookFiles << GroupFileName;
    for (const QString &book : std::as_const(SourceBooks)) {
        const QString target = TargetFolder(book);
        const QString from = s + book + QLatin1Char('/');
        const int r = RestoreFolder(from, d + target, bookFiles);
        if (r != CopyResult::Nothing)
            BookResults.append({QStringLiteral("アドレス帳： ") + book, r});
        if (QFileInfo::exists(from + GroupFileName))
            BookResults.append({QStringLiteral("グループ名： ") + book, r == CopyResult::Nothing ? CopyResult::Done : r});
        if (Progress)
            Progress(++done, total);
    }
    if (!Folders::makePrivatePath(d)) {
        BookResults.append({QStringLiteral("アドレス帳管理ファイル"), CopyResult::NoFolder});
    } else if (QFileInfo::exists(s + AdrsMngName)) {
        const bool ok = settingsFileReadable(s + AdrsMngName) && CopyDataFile(s + AdrsMngName, d + AdrsMngName);
        BookResults.append({QStringLiteral("アドレス帳管理ファイル"), ok ? CopyResult::Done : CopyResult::Failed});
    }
    const int r = RestoreFolder(SrcFolder + QStringLiteral("Other/"), DestFolder + QStringLiteral("Other/"),
                                SenderTableFiles());
    if (r != CopyResult::Nothing)
        BookResults.append({QStringLiteral("差出人ファイル"), r});
    if (Progress)
        Progress(++done, total);
}

void TRestoreRun::RestoreOthers()
{
    for (const TLayoutKind &kind : LayoutKinds()) {
        const int r = CopyMatchingFiles(SrcFolder + kind.Folder, DestFolder + kind.Folder, {kind.Mask});
        if (r != CopyResult::Nothing)
            LayoutResults.append({kind.Label, r});
    }
    const bool historyFolder = Folders::makePrivatePath(DestFolder + QStringLiteral("History/"));
    for (const QString &name : HistoryFiles()) {
        const QString from = SrcFolder + QStringLiteral("History/") + name;
        if (!QFileInfo::exists(from))
            continue;
        int r = CopyResult::NoFolder;
        if (historyFolder)
            r = CopyDataFile(from, DestFolder + QStringLiteral("History/") + name) ? CopyResult::Done : CopyResult::Failed;
        OtherResults.append({DataFileLabel(name), r});
    }
    for (const QString &name : DataFolderFiles()) {
        // The default sender belongs to the installation using the folder.
        if (name == QStringLiteral("Sender.ini") || !QFileInfo::exists(SrcFolder + name))
            continue;
        OtherResults.append({DataFileLabel(name),
                             CopyDataFile(SrcFolder + name, DestFolder + name) ? CopyResult::Done : CopyResult::Failed});
    }
    if (Progress)
        Progress(int(SourceBooks.size()) + 2, int(SourceBooks.size()) + 2);
}

bool TRestoreRun::WritePendingRenamings()
{
    if (RenameFrom.size() == m_keptRenamings)
        return true;
    TMemIniFile ini(DestFolder + QStringLiteral("Adrs/AdrsOp.ini"));
    ini.EraseSection(QStringLiteral("RENAME"));
    ini.WriteInteger(QStringLiteral("RENAME"), QStringLiteral("Count"), int(RenameFrom.size()));
    for (qsizetype i = 0; i < RenameFrom.size(); ++i)
        ini.WriteString(QStringLiteral("RENAME"), QString::number(i + 1), RenameFrom[i] + QLatin1Char('/') + RenameTo[i]);
    return ini.UpdateFile();
}
