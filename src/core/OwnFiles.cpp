#include "core/OwnFiles.h"

#include "core/AdrsSel.h"
#include "core/BkupDat.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "platform/Folders.h"
#include "platform/Table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sys/stat.h>

namespace {

// A path as the file system resolves it: the folder through its links, the
// whole with letter case folded (a table is found whatever its case, and a
// stick formatted FAT folds it anyway).
QString pathKey(const QString &Path)
{
    const QFileInfo info(Path);
    QString folder = info.absolutePath();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (!canonical.isEmpty())
        folder = canonical;
    return (QDir::cleanPath(folder) + QLatin1Char('/') + info.fileName()).toCaseFolded();
}

QString folderKey(const QString &Folder)
{
    const QString canonical = QFileInfo(Folder).canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? QFileInfo(Folder).absoluteFilePath() : canonical).toCaseFolded();
}

struct TIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
};

// The file itself, whatever name or link reaches it.
bool identity(const QString &Path, TIdentity &Out)
{
    struct stat st {};
    if (::stat(QFile::encodeName(Path).constData(), &st) != 0)
        return false;
    Out = {st.st_dev, st.st_ino};
    return true;
}

// The data folder's files the program writes beside those a backup takes:
// the list's settings (keyword captions and modes), the list's filter, the
// directory search's history and the import's log of refused lines.
const QStringList &ownDataFiles()
{
    static const QStringList names = {QStringLiteral("AdrsList.ini"), QStringLiteral("Search.lst"),
                                      QStringLiteral("NmAd.shc"), QStringLiteral("InError.txt")};
    return names;
}

// Folders whose whole content is the program's: the import's safety copies
// of the books and the downloaded updates.
QStringList ownFolders()
{
    QStringList folders;
    if (!DataPath.isEmpty())
        folders << DataPath + QStringLiteral("backup.imp");
    if (!DataRoot.isEmpty())
        folders << DataRoot + QStringLiteral("update");
    return folders;
}

// The print data (layouts) in their folders of the data folder, by their
// kind's extension.
bool isLayoutFile(const QString &Path)
{
    if (DataPath.isEmpty())
        return false;
    const QString folder = folderKey(QFileInfo(Path).absolutePath());
    for (const TLayoutKind &kind : LayoutKinds()) {
        if (folder == folderKey(DataPath + kind.Folder) &&
            QFileInfo(Path).fileName().toCaseFolded().endsWith(kind.Mask.mid(1).toCaseFolded()))
            return true;
    }
    return false;
}

QStringList programFiles()
{
    QStringList files;
    auto add = [&files](const QString &Folder, const QStringList &Names) {
        if (Folder.isEmpty())
            return;
        for (const QString &name : Names)
            files << QDir(Folder).filePath(name);
    };
    QStringList bookFiles = AdrsTableFiles();
    bookFiles << GroupDataFile;
    if (!AdrsPath.isEmpty()) {
        for (const TAdrsFolderInfo &book : std::as_const(AdrsFolderList)) {
            if (!book.Folder.isEmpty())
                add(AdrsPath + book.Folder, bookFiles);
        }
        files << AdrsMngFileName() << AdrsOpFileName();
    }
    // The open tables, wherever they were opened from.
    if (DMMurven19) {
        for (const TTable *table : {DMMurven19->AdrsTable(), DMMurven19->AdrsSubTable()}) {
            if (table && !table->TableName().isEmpty())
                add(QFileInfo(table->TableName()).absolutePath(), bookFiles);
        }
        for (const TTable *table : {DMMurven19->SenderTable(), DMMurven19->SenderSubTable()}) {
            if (table && !table->TableName().isEmpty())
                add(QFileInfo(table->TableName()).absolutePath(), SenderTableFiles());
        }
    }
    add(OtherPath, SenderTableFiles());
    add(HistoryPath, HistoryFiles());
    add(DataPath, DataFolderFiles());
    add(DataPath, ownDataFiles());
    for (const QString &registry : {Folders::userRegistryFile(), Folders::machineRegistryFile()}) {
        if (!registry.isEmpty())
            files << registry;
    }
    return files;
}

bool isProgramFileAt(const QString &Path)
{
    const QString key = pathKey(Path);
    // The settings root holds nothing but the program's settings files.
    if (!DataRoot.isEmpty() && folderKey(QFileInfo(Path).absolutePath()) == folderKey(DataRoot))
        return true;
    for (const QString &folder : ownFolders()) {
        if (key.startsWith(folderKey(folder) + QLatin1Char('/')))
            return true;
    }
    if (isLayoutFile(Path))
        return true;
    TIdentity target;
    const bool exists = identity(Path, target);
    for (const QString &file : programFiles()) {
        if (pathKey(file) == key)
            return true;
        TIdentity own;
        if (exists && identity(file, own) && own.Device == target.Device && own.Inode == target.Inode)
            return true;
    }
    return false;
}

// The path and every file its links lead to: a write through a link lands
// on the file at its end, and a link whose file is not there yet creates it
// there. A file of the settings root or a layout reached through a link is
// as much the program's as under its own name.
bool isProgramFile(const QString &Path)
{
    // Each step resolves its folder's links itself (pathKey); links of
    // links are followed as far as the system itself follows them.
    QString at = QFileInfo(Path).absoluteFilePath();
    for (int hop = 0; hop <= 40; ++hop) {
        if (isProgramFileAt(at))
            return true;
        const QFileInfo info(at);
        if (!info.isSymLink())
            return false;
        const QString next = info.symLinkTarget();
        if (next.isEmpty() || next == at)
            return false;
        at = next;
    }
    return false;
}

} // namespace

QString ProgramFileRefusal(const QString &Path)
{
    if (Path.isEmpty() || !isProgramFile(Path))
        return {};
    return QStringLiteral("プログラムが使用しているファイルには出力できません  \r\n") + QDir::toNativeSeparators(Path) +
           QStringLiteral("  ");
}
