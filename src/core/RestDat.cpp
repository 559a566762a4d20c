#include "core/RestDat.h"

#include "core/AdrsSel.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/Environment.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/SharedIni.h"
#include "platform/SqlCipher.h"
#include "platform/Table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <algorithm>
#include <optional>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The book list removes folders of this prefix at the next start and never
// lists them: the right name for a book on its way in or out.
const QString RestorePrefix = QStringLiteral(".deleting-restore-");
const QString AdrsMngName = QStringLiteral("AdrsMng.ini");
const QString CustomPapersName = QStringLiteral("CstmL.fmt");
// The head of the custom paper list: its signature ("Murven Custom
// FormatFile", each byte XOR 0xFF), then the last id given as a
// little-endian 32-bit number. Only the paper dialogs read the rest.
constexpr qsizetype CustomPapersLastIdAt = 24;
constexpr qsizetype CustomPapersHead = CustomPapersLastIdAt + 4;
constexpr qint64 MaxCustomPapersSize = 64 * 1024 * 1024;
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
    // Another program's commit on the file is waited for, not taken for a
    // file that does not open.
    sqlite3 *db = SqlCipher::open(path, TablePassword, false, &error, 3000);
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

// Removes a hidden folder of a restore: the files and links straight in it
// (a link goes as a link, never followed), then the folder. Only a restore
// puts files there; anything else (a folder of the user's that could not be
// moved back into the book) keeps the folder where it is: false then.
bool removeRestoreFolder(const QString &folder)
{
    const QFileInfo info(QDir::cleanPath(folder));
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isSymLink() || !info.isDir())
        return false; // not made by a restore
    const QFileInfoList entries =
        QDir(info.filePath()).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink() || entry.isFile())
            (void)QFile::remove(entry.filePath());
    }
    const bool gone = QDir().rmdir(info.filePath());
    if (!gone)
        qWarning("The folder %s left by a restore cannot be removed", qPrintable(QDir::toNativeSeparators(folder)));
    return gone;
}

// Why a source is refused: its tables that are damaged or no tables of
// this program, one line each.
QString unusableMessage(const QStringList &shown)
{
    return QStringLiteral("復元元フォルダーのデータファイルが壊れているか、このプログラムのデータファイルではありません  \r\n") +
           shown.join(QStringLiteral("  \r\n")) + QStringLiteral("  ");
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

// The last id given of a custom paper list; nothing when the bytes do not
// begin like one.
std::optional<qint32> customPapersLastId(QByteArrayView bytes)
{
    static const QByteArray signature = [] {
        QByteArray text("Murven Custom FormatFile");
        for (char &c : text)
            c = char(c ^ 0xFF);
        return text;
    }();
    if (bytes.size() < CustomPapersHead || !bytes.startsWith(signature))
        return std::nullopt;
    const qint32 id = qFromLittleEndian<qint32>(bytes.data() + CustomPapersLastIdAt);
    if (id < 0)
        return std::nullopt;
    return id;
}

} // namespace

bool RestoreCustomPapers(const QString &from, const QString &to, QString *error)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("ファイル %1 を読み込めません。%2").arg(QDir::toNativeSeparators(from), in.errorString());
        return false;
    }
    if (in.size() > MaxCustomPapersSize) {
        if (error)
            *error = QStringLiteral("ファイル %1 が大きすぎます").arg(QDir::toNativeSeparators(from));
        return false;
    }
    QByteArray bytes = in.readAll();
    const std::optional<qint32> restored = customPapersLastId(bytes);
    if (!restored) {
        if (error)
            *error = QStringLiteral("ファイル %1 は用紙情報ファイルではないか、壊れています").arg(QDir::toNativeSeparators(from));
        return false;
    }
    // The destination as its readers find it: a list a killed save left
    // under its aside name counts with its ids.
    RecoverSafeReplace(to);
    std::optional<qint32> given;
    QFile current(to);
    if (current.open(QIODevice::ReadOnly))
        given = customPapersLastId(current.read(CustomPapersHead));
    current.close();
    if (!given || *given <= *restored)
        return CopyDataFile(from, to, error);
    qToLittleEndian<qint32>(*given, bytes.data() + CustomPapersLastIdAt);
    return SafeReplaceFile(to, bytes, error);
}

TRestoreSourceCheck CheckRestoreSource(const QString &src)
{
    TRestoreSourceCheck check;
    const QString s = withSlash(src);
    const QString adrs = s + QStringLiteral("Adrs/");
    const QStringList folders = QDir(adrs).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    QStringList shown;
    for (const QString &folder : folders) {
        if (folder.startsWith(QLatin1Char('.')))
            continue; // a deletion or restore in progress: no book
        const auto tables = PresentFiles(adrs + folder, {QStringLiteral("Adrs.DB")});
        if (tables.isEmpty())
            continue;
        const QString path = adrs + folder + QLatin1Char('/') + tables.first().second;
        // Every page is read: a table whose first pages open may be damaged
        // further on, and restoring it would replace a good book.
        if (tableOpens(path) && TableIsWhole(path)) {
            check.Books << folder;
        } else {
            check.Unusable << path;
            shown << QStringLiteral("アドレス帳： ") + folder + QStringLiteral("（") + QDir::toNativeSeparators(path) +
                         QStringLiteral("）");
        }
    }
    check.Books.sort();
    const auto sender = PresentFiles(s + QStringLiteral("Other/"), {QStringLiteral("Sender.DB")});
    const QString senderPath = sender.isEmpty() ? QString() : s + QStringLiteral("Other/") + sender.first().second;
    if (!sender.isEmpty() && !(tableOpens(senderPath) && TableIsWhole(senderPath))) {
        check.Unusable << senderPath;
        shown << QStringLiteral("差出人ファイル（") + QDir::toNativeSeparators(senderPath) + QStringLiteral("）");
    }
    if (!check.Unusable.isEmpty()) {
        check.Problem = unusableMessage(shown);
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
        (void)removeRestoreFolder(withSlash(folder) + name);
}

namespace {

// A folder put together beside the one it is to replace, not yet exchanged.
struct TStagedFolder
{
    QString Temporary; // the hidden folder beside Dest
    QString Dest;      // clean path, no trailing delimiter
    QString Parent;
    QStringList Restored;
    bool DestExists = false;
};

// The first half of RestoreFolder: the restored files and the destination's
// own plain files copied into a hidden folder beside it. 1, 9 or 8 as
// RestoreFolder (nothing left behind), else 0 with staged filled. *damaged:
// a copied table is damaged.
int stageFolder(const QString &srcFolder, const QString &destFolder, const QStringList &names, QString *error,
                TStagedFolder &staged, bool *damaged)
{
    const QString src = withSlash(srcFolder);
    const QString dest = QDir::cleanPath(destFolder);
    // A file that an earlier version's save, killed between its two renames,
    // left under its aside name is put back first, in both folders: copied
    // under that name it would get a new time, and no reader would take it
    // for the file again.
    RecoverSafeReplacesIn(src, QString());
    const auto present = PresentFiles(src, names);
    if (present.isEmpty())
        return CopyResult::Nothing;
    const QString parent = QFileInfo(dest).path();
    if (!Folders::makePrivatePath(parent)) {
        if (error)
            *error = FolderNotMadeReason(parent, errno);
        return CopyResult::NoFolder;
    }
    if (QFileInfo(dest).isSymLink()) {
        // The book's folder is a link: restoring through it would change a
        // folder the data folder does not hold.
        if (error)
            *error = QStringLiteral("フォルダー %1 はリンクのため、復元できません").arg(QDir::toNativeSeparators(dest));
        return CopyResult::Failed;
    }
    const QString tmp = withSlash(parent) + RestorePrefix +
                        QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    // A file of the book its user set read-only is not replaced by the
    // exchange of the folders: the book stays as it is, and says why.
    for (const auto &[listed, there] : PresentFiles(dest, names)) {
        Q_UNUSED(listed);
        if (const int code = ReadOnlyFileError(dest + QLatin1Char('/') + there)) {
            if (error)
                *error = FileNotWrittenReason(dest + QLatin1Char('/') + there, code);
            return CopyResult::Failed;
        }
    }
    if (::mkdir(QFile::encodeName(tmp).constData(), 0700) != 0) {
        if (error)
            *error = FolderNotMadeReason(tmp, errno);
        return CopyResult::NoFolder;
    }
    QStringList restored;
    for (const auto &[listed, onDisk] : present) {
        Q_UNUSED(onDisk);
        restored << listed;
    }
    bool ok = true;
    const bool exists = QFileInfo(dest).isDir();
    // What the backup lacks stays: the folder's other files come along as
    // copies (its folders and links follow after the exchange, moved).
    if (exists) {
        RecoverSafeReplacesIn(dest, QString());
        // Plain files only: a pipe or device is moved like a folder.
        const QStringList own = QDir(dest).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
        for (const QString &name : own) {
            if (!ok)
                break;
            if (isJournal(name) || IsCopyTemporary(name) || containsName(restored, name))
                continue;
            const QString kept = dest + QLatin1Char('/') + name;
            ok = CopyDataFile(kept, tmp + QLatin1Char('/') + name, error);
            // It stays as the user set it (read-only, shared with others).
            struct stat st {};
            if (ok && ::stat(QFile::encodeName(kept).constData(), &st) == 0)
                (void)::chmod(QFile::encodeName(tmp + QLatin1Char('/') + name).constData(), st.st_mode & 07777);
        }
    }
    // Each table is checked as it is copied, where it will live: a table
    // damaged in the backup or on its way is never put in place of the book.
    for (const auto &[listed, onDisk] : present) {
        if (!ok)
            break;
        ok = CopyDataFile(src + onDisk, tmp + QLatin1Char('/') + listed, error, TTableCopy::WholeOnly, damaged);
    }
    if (!ok) {
        (void)removeRestoreFolder(tmp);
        return CopyResult::Failed;
    }
    syncFolder(tmp);
    staged = {tmp, dest, parent, restored, exists};
    return CopyResult::Done;
}

// The second half: the staged folder takes the destination's place in one
// step (or, where the file system cannot exchange folders, file by file).
int commitFolder(const TStagedFolder &staged, QString *replaced, QString *error)
{
    const QString &tmp = staged.Temporary;
    const QString &dest = staged.Dest;
    const QByteArray tmpName = QFile::encodeName(tmp);
    const QByteArray destName = QFile::encodeName(dest);
    if (!staged.DestExists) {
        // Only into the empty place it was staged for: a folder another
        // program made there meanwhile (a new book of that name) is kept.
        if (!RenameNoReplace(tmp, dest)) {
            if (error)
                *error = FileNotWrittenReason(dest, errno, true);
            (void)removeRestoreFolder(tmp);
            return CopyResult::Failed;
        }
        syncFolder(staged.Parent);
        return CopyResult::Done;
    }
    if (::renameat2(AT_FDCWD, tmpName.constData(), AT_FDCWD, destName.constData(), RENAME_EXCHANGE) == 0) {
        syncFolder(staged.Parent);
        // tmp is now the old folder: what was not copied (folders, links,
        // anything but plain files) moves into the restored one, a rename
        // each, nothing followed.
        const QFileInfoList left =
            QDir(tmp).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : left) {
            if (entry.isFile() && !entry.isSymLink())
                continue;
            const QString to = dest + QLatin1Char('/') + entry.fileName();
            if (containsName(staged.Restored, entry.fileName()) || QFileInfo::exists(to) || QFileInfo(to).isSymLink())
                continue;
            if (!RenameNoReplace(entry.filePath(), to))
                qWarning("%s stays in %s", qPrintable(entry.fileName()), qPrintable(QDir::toNativeSeparators(tmp)));
        }
        syncFolder(dest);
        syncFolder(tmp);
        if (replaced)
            *replaced = tmp; // the caller removes it once the restore is reported
        else
            (void)removeRestoreFolder(tmp);
        return CopyResult::Done;
    }
    // A file system that cannot exchange two folders: each file is replaced
    // alone (each table old or new, never half).
    bool ok = true;
    for (const QString &name : staged.Restored) {
        const QString target = dest + QLatin1Char('/') + name;
        for (const QString &other : QDir(dest).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (other != name && other.compare(name, Qt::CaseInsensitive) == 0 && !settleJournal(dest + QLatin1Char('/') + other))
                ok = false;
        }
        if (!ok || !settleJournal(target)) {
            ok = false;
            if (error)
                *error = QStringLiteral("ファイル %1 の書きかけの変更を戻せません。").arg(QDir::toNativeSeparators(target));
            break;
        }
        if (std::rename(QFile::encodeName(tmp + QLatin1Char('/') + name).constData(),
                        QFile::encodeName(target).constData()) != 0) {
            ok = false;
            if (error)
                *error = FileNotWrittenReason(target, errno, true);
            break;
        }
    }
    syncFolder(dest);
    (void)removeRestoreFolder(tmp);
    return ok ? CopyResult::Done : CopyResult::Failed;
}

} // namespace

int RestoreFolder(const QString &srcFolder, const QString &destFolder, const QStringList &names, QString *error,
                  QString *replaced)
{
    TStagedFolder staged;
    const int r = stageFolder(srcFolder, destFolder, names, error, staged, nullptr);
    return r == CopyResult::Done ? commitFolder(staged, replaced, error) : r;
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
    if (!RestoreBooks())
        return false;
    RestoreOthers();
    QString error;
    if (!WritePendingRenamings(&error))
        BookResults.append({QStringLiteral("アドレス帳管理ファイル"), CopyResult::Failed, error});
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
        const bool taken = QFileInfo::exists(adrs + candidate) || containsName(m_targets, candidate) ||
                           RenameTo.contains(candidate) ||
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

QString TRestoreRun::MatchFolder(const QString &book)
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
        return QFileInfo::exists(adrs + book) || containsName(m_targets, book) ? NewFreeFolder(book) : book;
    }
    if (!QFileInfo::exists(adrs + book) && !containsName(m_targets, book))
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

QString TRestoreRun::TargetFolder(const QString &book)
{
    // The books are all copied before any takes its folder: a folder chosen
    // for an earlier book of this run counts as taken though it is not made yet.
    QString target = MatchFolder(book);
    if (containsName(m_targets, target))
        target = NewFreeFolder(book);
    m_targets << target;
    return target;
}

bool TRestoreRun::RestoreBooks()
{
    const QString s = SrcFolder + QStringLiteral("Adrs/");
    const QString d = DestFolder + QStringLiteral("Adrs/");
    const int total = int(SourceBooks.size()) + 2;
    int done = 0;
    QStringList bookFiles = AdrsTableFiles();
    bookFiles << GroupDataFile;
    m_targets.clear();

    // Every book and the sender table are first copied beside their folders,
    // each table checked once as it is copied; only when no table is damaged
    // does any of them take its folder's place. A damaged table refuses the
    // whole restore with nothing written, as a damaged backup is refused
    // before it is chosen.
    struct TStep
    {
        QString Label;
        int Code = CopyResult::Nothing;
        TStagedFolder Staged;
        bool Group = false; // the source holds group names
        QString Cause;      // why it was not restored
    };
    QList<TStep> steps;
    QStringList shown;
    auto stage = [&shown](TStep &step, const QString &from, const QString &to, const QStringList &names,
                          const QString &damagedLabel) {
        bool damaged = false;
        step.Code = stageFolder(from, to, names, &step.Cause, step.Staged, &damaged);
        if (damaged)
            shown << damagedLabel + QStringLiteral("（") + QDir::toNativeSeparators(from) + QStringLiteral("）");
    };
    for (const QString &book : std::as_const(SourceBooks)) {
        const QString from = s + book + QLatin1Char('/');
        TStep step;
        step.Label = book;
        stage(step, from, d + TargetFolder(book), bookFiles, QStringLiteral("アドレス帳： ") + book);
        step.Group = QFileInfo::exists(from + GroupDataFile);
        steps << step;
        if (Progress)
            Progress(++done, total);
    }
    TStep sender;
    stage(sender, SrcFolder + QStringLiteral("Other/"), DestFolder + QStringLiteral("Other/"), SenderTableFiles(),
          QStringLiteral("差出人ファイル"));
    if (!shown.isEmpty()) {
        for (const TStep &step : std::as_const(steps) + QList<TStep>{sender}) {
            if (step.Code == CopyResult::Done)
                (void)removeRestoreFolder(step.Staged.Temporary);
        }
        Problem = unusableMessage(shown);
        return false;
    }

    auto commit = [this](TStep &step) {
        if (step.Code != CopyResult::Done)
            return;
        QString replaced;
        step.Code = commitFolder(step.Staged, &replaced, &step.Cause);
        if (!replaced.isEmpty())
            m_replaced << replaced;
    };
    for (TStep &step : steps) {
        commit(step);
        const QString cause = step.Code == CopyResult::Done ? QString() : step.Cause;
        if (step.Code != CopyResult::Nothing)
            BookResults.append({QStringLiteral("アドレス帳： ") + step.Label, step.Code, cause});
        if (step.Group)
            BookResults.append({QStringLiteral("グループ名： ") + step.Label,
                                step.Code == CopyResult::Nothing ? CopyResult::Done : step.Code, cause});
    }
    const QString mngLabel = QStringLiteral("アドレス帳管理ファイル");
    if (!Folders::makePrivatePath(d)) {
        const int code = errno;
        BookResults.append({mngLabel, CopyResult::NoFolder, FolderNotMadeReason(d, code)});
    } else if (QFileInfo::exists(s + AdrsMngName)) {
        QString cause;
        if (!settingsFileReadable(s + AdrsMngName))
            cause = QStringLiteral("ファイル %1 を読み込めません。").arg(QDir::toNativeSeparators(s + AdrsMngName));
        const bool ok = cause.isEmpty() && CopyDataFile(s + AdrsMngName, d + AdrsMngName, &cause);
        BookResults.append({mngLabel, ok ? CopyResult::Done : CopyResult::Failed, ok ? QString() : cause});
    }
    commit(sender);
    // Shown as the backup shows it: a backup without a sender table has
    // nothing to restore there, and the destination's table stays.
    BookResults.append({QStringLiteral("差出人ファイル"), sender.Code == CopyResult::Nothing ? CopyResult::Done : sender.Code,
                        sender.Code == CopyResult::Done || sender.Code == CopyResult::Nothing ? QString() : sender.Cause});
    if (Progress)
        Progress(++done, total);
    return true;
}

void TRestoreRun::RestoreOthers()
{
    for (const TLayoutKind &kind : LayoutKinds()) {
        QString cause;
        const int r = CopyMatchingFiles(SrcFolder + kind.Folder, DestFolder + kind.Folder, {kind.Mask}, &cause);
        if (r != CopyResult::Nothing)
            LayoutResults.append({kind.Label, r, cause});
    }
    const QString historyPath = DestFolder + QStringLiteral("History/");
    const bool historyFolder = Folders::makePrivatePath(historyPath);
    const QString historyCause = historyFolder ? QString() : FolderNotMadeReason(historyPath, errno);
    for (const QString &name : HistoryFiles()) {
        const QString from = SrcFolder + QStringLiteral("History/") + name;
        if (!QFileInfo::exists(from))
            continue;
        if (!historyFolder) {
            OtherResults.append({DataFileLabel(name), CopyResult::NoFolder, historyCause});
            continue;
        }
        QString cause;
        const bool ok = CopyDataFile(from, historyPath + name, &cause);
        OtherResults.append({DataFileLabel(name), ok ? CopyResult::Done : CopyResult::Failed, ok ? QString() : cause});
    }
    for (const QString &name : DataFolderFiles()) {
        if (!QFileInfo::exists(SrcFolder + name))
            continue;
        // The default sender belongs to the installation using the folder:
        // it is not restored, and the result says so in the row the backup
        // showed it in.
        if (name == QStringLiteral("Sender.ini")) {
            OtherResults.append({DataFileLabel(name), CopyResult::Kept});
            continue;
        }
        QString cause;
        // A program with the folder open may be saving the file: its save of
        // the copy it read must not follow the restore.
        TFileLock lock(DestFolder + name);
        const bool ok = lock.Acquire(SharedFileWaitMs, &cause) &&
                        (name == CustomPapersName ? RestoreCustomPapers(SrcFolder + name, DestFolder + name, &cause)
                                                  : CopyDataFile(SrcFolder + name, DestFolder + name, &cause));
        OtherResults.append({DataFileLabel(name), ok ? CopyResult::Done : CopyResult::Failed, ok ? QString() : cause});
    }
    if (Progress)
        Progress(int(SourceBooks.size()) + 2, int(SourceBooks.size()) + 2);
}

QStringList TRestoreRun::RemoveReplacedFolders()
{
    QStringList kept;
    for (const QString &folder : std::as_const(m_replaced)) {
        if (!removeRestoreFolder(folder))
            kept << folder;
    }
    m_replaced.clear();
    return kept;
}

bool TRestoreRun::WritePendingRenamings(QString *error)
{
    if (RenameFrom.size() == m_keptRenamings)
        return true;
    TMemIniFile ini(DestFolder + QStringLiteral("Adrs/AdrsOp.ini"));
    ini.EraseSection(QStringLiteral("RENAME"));
    ini.WriteInteger(QStringLiteral("RENAME"), QStringLiteral("Count"), int(RenameFrom.size()));
    for (qsizetype i = 0; i < RenameFrom.size(); ++i)
        ini.WriteString(QStringLiteral("RENAME"), QString::number(i + 1), RenameFrom[i] + QLatin1Char('/') + RenameTo[i]);
    return ini.UpdateFile(error);
}

// --- the wizard ---------------------------------------------------------------

#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/CheckedCaption.h"
#include "widgets/EnterKey.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The folder as the file system names it, with '/' (names compare exactly).
QString canonicalFolder(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return withSlash(c.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : c);
}

} // namespace

void CloseDataModuleTables()
{
    if (!DMMurven19)
        return;
    while (DMMurven19->AdrsOpenCount() > 0)
        DMMurven19->CloseAdrs();
    while (DMMurven19->SenderOpenCount() > 0)
        DMMurven19->CloseSender();
    if (DMMurven19->AdrsSubTable())
        DMMurven19->CloseAdrsSub();
    if (DMMurven19->SenderSubTable())
        DMMurven19->CloseSenderSub();
}

TRestoreData::TRestoreData(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("復元"));
    setProperty("HelpContext", 39);
    auto *layout = new QVBoxLayout(this);
    pages = new QStackedWidget(this);
    layout->addWidget(pages);

    auto *page1 = new QWidget(pages);
    auto *g1 = new QGridLayout(page1);
    g1->addWidget(new QLabel(QStringLiteral("復元元のフォルダー："), page1), 0, 0, 1, 2);
    edtSrc = new QLineEdit(page1);
    edtSrc->setObjectName(QStringLiteral("edtSrc"));
    edtSrc->setMaxLength(200);
    // The last backup, never the data folder the restore would refuse.
    edtSrc->setText(ProposedRestoreFolder(DataPath, LastBackupFolder()));
    g1->addWidget(edtSrc, 1, 0);
    bbtnBrowseSrc = MakeWizardButton(page1, "bbtnBrowseSrc", QStringLiteral("参照..."));
    g1->addWidget(bbtnBrowseSrc, 1, 1);
    rbNowDataPath = new QRadioButton(QStringLiteral("現在のデータ保存フォルダーに上書きする"), page1);
    rbNowDataPath->setObjectName(QStringLiteral("rbNowDataPath"));
    rbNowDataPath->setChecked(true);
    g1->addWidget(rbNowDataPath, 2, 0, 1, 2);
    rbSelectDataPath = new QRadioButton(QStringLiteral("フォルダーを指定する"), page1);
    rbSelectDataPath->setObjectName(QStringLiteral("rbSelectDataPath"));
    g1->addWidget(rbSelectDataPath, 3, 0, 1, 2);
    edtDest = new QLineEdit(page1);
    edtDest->setObjectName(QStringLiteral("edtDest"));
    edtDest->setMaxLength(200);
    edtDest->setText(DataPath);
    g1->addWidget(edtDest, 4, 0);
    bbtnBrowseDest = MakeWizardButton(page1, "bbtnBrowseDest", QStringLiteral("参照..."));
    g1->addWidget(bbtnBrowseDest, 4, 1);
    pages->addWidget(page1);

    auto *page2 = new QWidget(pages);
    auto *g2 = new QGridLayout(page2);
    g2->addWidget(new QLabel(QStringLiteral("復元元："), page2), 0, 0);
    pnlConfirmationSrc = MakeWizardPanel(page2, "pnlConfirmationSrc");
    g2->addWidget(pnlConfirmationSrc, 0, 1);
    g2->addWidget(new QLabel(QStringLiteral("復元先："), page2), 1, 0);
    pnlConfirmationDest = MakeWizardPanel(page2, "pnlConfirmationDest");
    g2->addWidget(pnlConfirmationDest, 1, 1);
    g2->addWidget(new QLabel(QStringLiteral("必要サイズ (KB)："), page2), 2, 0);
    pnlNeedSize = MakeWizardPanel(page2, "pnlNeedSize");
    g2->addWidget(pnlNeedSize, 2, 1);
    g2->addWidget(new QLabel(QStringLiteral("空き容量 (KB)："), page2), 3, 0);
    pnlFreeSize = MakeWizardPanel(page2, "pnlFreeSize");
    g2->addWidget(pnlFreeSize, 3, 1);
    g2->addWidget(new QLabel(QStringLiteral("※必要サイズは環境によって誤差がでますので、目安として参考にしてください"), page2),
                  4, 0, 1, 2);
    pgbCopy = new QProgressBar(page2);
    pgbCopy->setObjectName(QStringLiteral("pgbCopy"));
    pgbCopy->setValue(0);
    g2->addWidget(pgbCopy, 5, 0, 1, 2);
    pages->addWidget(page2);

    auto *page3 = new QWidget(pages);
    auto *v3 = new QVBoxLayout(page3);
    v3->addWidget(new QLabel(QStringLiteral("復元が完了しました"), page3));
    lvResult = CreateResultList(page3);
    v3->addWidget(lvResult);
    chkChangeDataPath = new QCheckBox(QStringLiteral("データ保存フォルダーを復元したフォルダーに変更する"), page3);
    chkChangeDataPath->setObjectName(QStringLiteral("chkChangeDataPath"));
    v3->addWidget(chkChangeDataPath);
    pages->addWidget(page3);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    btnPrior = MakeWizardButton(this, "btnPrior", QStringLiteral("< 戻る"));
    btnNext = MakeWizardButton(this, "btnNext", QStringLiteral("次へ >"));
    btnRestore = MakeWizardButton(this, "btnRestore", QStringLiteral("復元"));
    btnCancel = MakeWizardButton(this, "btnCancel", QStringLiteral("キャンセル"));
    btnClose = MakeWizardButton(this, "btnClose", QStringLiteral("閉じる"));
    for (QPushButton *b : {btnPrior, btnNext, btnRestore, btnCancel, btnClose})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    btnPrior->setEnabled(false);
    btnRestore->setEnabled(false);
    btnClose->hide();

    connect(rbNowDataPath, &QRadioButton::toggled, this, [this] { UpdateDestChoice(); });
    connect(chkChangeDataPath, &QCheckBox::toggled, this, [this] { PaintCheckedCaption(chkChangeDataPath); });
    connect(btnNext, &QPushButton::clicked, this, [this] { btnNextClick(); });
    connect(btnPrior, &QPushButton::clicked, this, [this] { btnPriorClick(); });
    connect(btnRestore, &QPushButton::clicked, this, [this] { btnRestoreClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    for (auto [button, edit, title] :
         {std::tuple{bbtnBrowseSrc, edtSrc, QStringLiteral("復元する元のデータフォルダー")},
          std::tuple{bbtnBrowseDest, edtDest, QStringLiteral("復元する先のデータフォルダー")}}) {
        connect(button, &QPushButton::clicked, this, [this, edit, title] {
            QString folder;
            {
                TWaitCursor wait;
                const QString typed = edit->text().trimmed();
                folder = QFileInfo(typed).isDir() ? typed : DataRoot;
            }
            if (BrowseForFolder(folder, this, title + QStringLiteral("を指定してください"), false, true)) {
                edit->setText(folder);
                edit->setCursorPosition(int(folder.size()));
                edit->setFocus();
            }
        });
    }
    for (QWidget *w : std::initializer_list<QWidget *>{edtSrc, edtDest, rbNowDataPath, rbSelectDataPath})
        w->installEventFilter(this);
    UpdateDestChoice();
}

bool TRestoreData::eventFilter(QObject *watched, QEvent *event)
{
    if (!IsEnterKeyPress(event))
        return QDialog::eventFilter(watched, event);
    // Enter moves on through the folders to the next step.
    if (watched == edtSrc) {
        if (edtSrc->text().trimmed().isEmpty())
            bbtnBrowseSrc->setFocus();
        else if (rbNowDataPath->isChecked())
            rbNowDataPath->setFocus();
        else
            rbSelectDataPath->setFocus();
    } else if (watched == rbNowDataPath) {
        btnNext->setFocus();
    } else if (watched == rbSelectDataPath) {
        edtDest->setFocus();
        edtDest->setCursorPosition(int(edtDest->text().size()));
    } else if (watched == edtDest) {
        if (edtDest->text().trimmed().isEmpty())
            bbtnBrowseDest->setFocus();
        else
            btnNext->setFocus();
    } else {
        return QDialog::eventFilter(watched, event);
    }
    return true;
}

void TRestoreData::UpdateDestChoice()
{
    const bool select = rbSelectDataPath->isChecked();
    PaintCheckedCaption(rbNowDataPath);
    PaintCheckedCaption(rbSelectDataPath);
    edtDest->setEnabled(select);
    bbtnBrowseDest->setEnabled(select);
}

int TRestoreData::Page() const
{
    return pages->currentIndex();
}

bool TRestoreData::GetChangeDataPath() const
{
    return chkChangeDataPath->isChecked();
}

int TRestoreData::Inform(const QString &text, unsigned flags)
{
    return WizardInform(this, text, flags);
}

void TRestoreData::btnNextClick()
{
    const QString s = withSlash(edtSrc->text().trimmed());
    auto stayOn = [](QLineEdit *edit) {
        edit->setCursorPosition(int(edit->text().size()));
        edit->setFocus();
    };
    if (!QFileInfo(s).isDir()) {
        Inform(QStringLiteral("復元元フォルダーが見つかりません  "));
        stayOn(edtSrc);
        return;
    }
    if (canonicalFolder(s) == canonicalFolder(DataPath)) {
        Inform(QStringLiteral("復元元に現在使用しているデータ保存フォルダーを指定しています  "));
        stayOn(edtSrc);
        return;
    }
    const QString d = rbNowDataPath->isChecked() ? DataPath : withSlash(edtDest->text().trimmed());
    if (canonicalFolder(d) == canonicalFolder(s)) {
        Inform(QStringLiteral("復元元と復元先で同じフォルダーを指定しています  "));
        stayOn(edtDest);
        return;
    }
    if (canonicalFolder(d).startsWith(canonicalFolder(s))) {
        Inform(QStringLiteral("復元元フォルダーの中は復元先に指定できません  "));
        stayOn(edtDest);
        return;
    }
    SrcFolder = s;
    DestFolder = d;
    TRestoreSourceCheck check;
    {
        TWaitCursor wait;
        check = CheckRestoreSource(s);
    }
    if (!check.Problem.isEmpty()) {
        Inform(check.Problem);
        return;
    }
    SourceBooks = check.Books;
    pnlConfirmationSrc->setText(s);
    pnlConfirmationDest->setText(d);
    ReadFreeSpace(d, Space);
    Space.NeedSize = RestoreNeedSize(s, SourceBooks, Space.ClusterSize);
    pnlNeedSize->setText(FormatKiloBytes(Space.NeedSize));
    pnlFreeSize->setText(FormatKiloBytes(Space.FreeSize, Space.FreeKnown));
    btnPrior->setEnabled(true);
    btnNext->setEnabled(false);
    btnRestore->setEnabled(true);
    pages->setCurrentIndex(1);
    btnRestore->setFocus();
}

void TRestoreData::btnPriorClick()
{
    btnPrior->setEnabled(false);
    btnNext->setEnabled(true);
    btnRestore->setEnabled(false);
    pages->setCurrentIndex(0);
    edtSrc->setCursorPosition(int(edtSrc->text().size()));
    edtSrc->setFocus();
}

void TRestoreData::btnRestoreClick()
{
    if (!Space.Enough()) {
        Inform(QStringLiteral("空き容量が足りません  "));
        btnPrior->setFocus();
        return;
    }
    if (Inform(QStringLiteral("バックアップデータの復元を行います  \r\nよろしいですか？  "), 0x124) != IDYES)
        return;
    if (!EnsureWizardFolder(this, DestFolder, QStringLiteral("復元先")))
        return;
    if (CloseChildWindows && !CloseChildWindows())
        return;
    repaint();
    const bool live = canonicalFolder(DestFolder) == canonicalFolder(DataPath);
    // Every table of the data module under the destination is closed before
    // a file there is replaced.
    if (live || canonicalFolder(DataPath).startsWith(canonicalFolder(DestFolder))) {
        if (CloseTables)
            CloseTables();
        else
            CloseDataModuleTables();
        TablesClosed = true;
    }
    TRestoreRun run;
    run.SrcFolder = SrcFolder;
    run.DestFolder = DestFolder;
    run.SourceBooks = SourceBooks;
    run.Reopen = live && SourceBooks.contains(AdrsName);
    run.Progress = [this](int done, int total) {
        pgbCopy->setMaximum(total);
        pgbCopy->setValue(done);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    bool ran = false;
    {
        TWaitCursor wait;
        ran = run.Run();
    }
    if (!ran) {
        Inform(run.Problem, 0x10);
        return;
    }
    Results = run.AllRows();
    FillResultList(lvResult, Results);
    // Offered only for a folder the settings dialog would take as the data
    // folder (absolute, not too long, on a local writable volume): another
    // could not be the data folder at the next start.
    const bool offered = !live && CheckDataFolder(DestFolder, {}).Error == TDataFolderError::None;
    chkChangeDataPath->setChecked(offered);
    chkChangeDataPath->setEnabled(offered);
    PaintCheckedCaption(chkChangeDataPath);
    btnPrior->setEnabled(false);
    btnRestore->setEnabled(false);
    btnCancel->hide();
    btnClose->show();
    pages->setCurrentIndex(2);
    btnClose->setFocus();
    // The folders the books replaced were kept until now, the outcome shown.
    const QStringList kept = run.RemoveReplacedFolders();
    if (!kept.isEmpty()) {
        QStringList shown;
        for (const QString &folder : kept)
            shown << QDir::toNativeSeparators(folder);
        Inform(QStringLiteral("復元前のフォルダーに移せなかったものが残っています  \r\n") +
                   shown.join(QStringLiteral("  \r\n")) + QStringLiteral("  "),
               0x30);
    }
}

void TRestoreData::btnCloseClick()
{
    if (chkChangeDataPath->isChecked()) {
        // The settings file first: the data folder in memory moves only when
        // the file says the same, so the next start finds the folder in use.
        const QString folder = CheckDataFolder(DestFolder, {}).Folder;
        TMemIniFile ini(SettingsFileName());
        ini.WriteString(QStringLiteral("BASE"), QStringLiteral("DataPath"), folder);
        QString error;
        if (ini.UpdateFile(&error)) {
            SetDataPath(folder);
            // A run on the stand-in folder no longer keeps the missing one.
            UnavailableDataPath.clear();
        } else {
            Inform(QStringLiteral("設定ファイルに書き込めませんでした  \r\n") + error +
                       QStringLiteral("  \r\nデータ保存フォルダーは変更しません  "),
                   0x10);
            chkChangeDataPath->setChecked(false);
        }
    }
    accept();
}
