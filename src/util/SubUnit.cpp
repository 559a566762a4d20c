#include "util/SubUnit.h"

#include "platform/Folders.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::array<QString, MaxDriveCount> DriveList;
int DriveCount = 0;

// ---- Measurements and placement ----------------------------------------------

qint64 RoundHalfAway(long double Value)
{
    if (std::isnan(Value))
        return 0;
    const long double r = Value >= 0 ? Value + 0.5L : Value - 0.5L;
    // 2^63 is exact in long double; a cast beyond the range is undefined.
    constexpr long double limit = 9223372036854775808.0L;
    if (r >= limit)
        return std::numeric_limits<qint64>::max();
    if (r < -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(r); // the cast truncates toward zero
}

int ScreenLogicalDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

int ScaleForDpi(int Value, bool ToScreen)
{
    return ScaleForDpi(Value, ToScreen, ScreenLogicalDpi());
}

int ScaleForDpi(int Value, bool ToScreen, int ScreenDpi)
{
    if (ScreenDpi <= 0)
        ScreenDpi = 96;
    const qint64 multiplier = ToScreen ? ScreenDpi : 96;
    const qint64 divisor = ToScreen ? 96 : ScreenDpi;
    // Exact in 64-bit integers, so the design base gives every value back
    // unchanged; a remainder of half the divisor or more rounds away from zero.
    const qint64 product = Value * multiplier;
    qint64 scaled = product / divisor; // truncated toward zero
    const qint64 remainder = product % divisor;
    if (2 * std::abs(remainder) >= divisor)
        scaled += product < 0 ? -1 : 1;
    return static_cast<int>(std::clamp<qint64>(scaled, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QPoint CenterFormPosition(const QSize &formSize, const QRect *ownerFrame, const QRect &workArea)
{
    const int w = formSize.width();
    const int h = formSize.height();
    // Right and bottom as exclusive edges (x + width), like a window rectangle.
    const int areaRight = workArea.x() + workArea.width();
    const int areaBottom = workArea.y() + workArea.height();
    int left;
    int top;
    if (ownerFrame) {
        left = ownerFrame->x() + (ownerFrame->width() - w) / 2;
        top = ownerFrame->y() + (ownerFrame->height() - h) / 2;
    } else {
        left = workArea.x() + (workArea.width() - w) / 2;
        top = workArea.y() + (workArea.height() - h) / 2;
    }
    // High edge first, then the low edge: a form larger than the area keeps
    // its top-left corner (caption and system menu) inside.
    if (left + w > areaRight)
        left = areaRight - w;
    if (top + h > areaBottom)
        top = areaBottom - h;
    if (left < workArea.x())
        left = workArea.x();
    if (top < workArea.y())
        top = workArea.y();
    return {left, top};
}

void CenterFormOnOwner(QWidget *Form, QWidget *Owner)
{
    if (!Form)
        return;
    QWidget *ownerWindow = Owner ? Owner->window() : nullptr;
    QScreen *screen = ownerWindow ? ownerWindow->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect workArea = screen->availableGeometry();
    // A form not shown yet has no size of its own unless it was given one:
    // take its layout's size first, or it is centred as a default-sized box.
    if (!Form->isVisible() && !Form->testAttribute(Qt::WA_Resized))
        Form->adjustSize();
    QRect ownerFrame;
    if (ownerWindow)
        ownerFrame = ownerWindow->frameGeometry();
    // For a window, move() places the outer frame and keeps the size.
    Form->move(CenterFormPosition(Form->frameGeometry().size(), ownerWindow ? &ownerFrame : nullptr, workArea));
}

// ---- Folders --------------------------------------------------------------------

namespace {

// The path without trailing '/' ("/" itself stays).
QByteArray nativePath(const QString &folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return QFile::encodeName(path);
}

bool isFolderAt(const char *path)
{
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// Gives the owner read, write and search rights on a folder (never a link),
// so what is inside can be listed and removed.
void openUpFolder(int parentFd, const char *name, mode_t mode)
{
    if ((mode & S_IRWXU) != S_IRWXU)
        ::fchmodat(parentFd, name, (mode & 07777) | S_IRWXU, 0);
}

// Removes what lies inside the open folder dirFd (entries are addressed
// relative to it, so a link swapped in for a folder is never walked into).
// Returns whether the folder is empty afterwards.
bool clearFolder(int dirFd, bool keepFiles)
{
    const int listFd = ::dup(dirFd);
    if (listFd < 0)
        return false;
    DIR *dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return false;
    }
    QList<QByteArray> names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);

    bool empty = true;
    for (const QByteArray &name : std::as_const(names)) {
        struct stat st {};
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                empty = false;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            openUpFolder(dirFd, name.constData(), st.st_mode);
            const int subFd = ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (subFd < 0) {
                empty = false;
                continue;
            }
            const bool subEmpty = clearFolder(subFd, keepFiles);
            ::close(subFd);
            if (!subEmpty || ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) != 0)
                empty = false;
            continue;
        }
        // Files, links (the link itself), pipes, sockets.
        if (keepFiles) {
            empty = false;
            continue;
        }
        if (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
            ::fchmodat(dirFd, name.constData(), (st.st_mode & 07777) | S_IWUSR, 0);
        if (::unlinkat(dirFd, name.constData(), 0) != 0 && errno != ENOENT)
            empty = false;
    }
    return empty;
}

} // namespace

QString GetCommonAppDataFolder()
{
    return Folders::includeTrailingPathDelimiter(Folders::appDataFolder());
}

bool CreateFolderForEveryone(const QString &Folder)
{
    if (Folder.isEmpty())
        return false;
    const QByteArray path = nativePath(Folder);
    struct stat st {};
    if (::stat(path.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    if (::mkdir(path.constData(), 0700) != 0)
        return errno == EEXIST && isFolderAt(path.constData());
    // The umask may have taken bits away; the owner needs all three.
    ::chmod(path.constData(), 0700);
    return true;
}

bool DeleteFolderTree(const QString &Folder, bool KeepFiles)
{
    if (Folder.isEmpty())
        return false;
    const QByteArray path = nativePath(Folder);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISLNK(st.st_mode)) {
        // A link standing for the folder: remove the link, not what it points to.
        if (KeepFiles)
            return false;
        return ::unlink(path.constData()) == 0;
    }
    if (!S_ISDIR(st.st_mode))
        return false;
    openUpFolder(AT_FDCWD, path.constData(), st.st_mode);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool empty = clearFolder(fd, KeepFiles);
    ::close(fd);
    return empty && ::rmdir(path.constData()) == 0;
}

// ---- Mount points ----------------------------------------------------------------

namespace {

// Local disk file systems. fuseblk is ntfs-3g and similar block-device FUSE drivers.
const QStringList &fixedTypes()
{
    static const QStringList types{
        QStringLiteral("ext2"),  QStringLiteral("ext3"),    QStringLiteral("ext4"),    QStringLiteral("xfs"),
        QStringLiteral("btrfs"), QStringLiteral("f2fs"),    QStringLiteral("jfs"),     QStringLiteral("reiserfs"),
        QStringLiteral("zfs"),   QStringLiteral("vfat"),    QStringLiteral("msdos"),   QStringLiteral("exfat"),
        QStringLiteral("ntfs"),  QStringLiteral("ntfs3"),   QStringLiteral("fuseblk"), QStringLiteral("hfsplus"),
    };
    return types;
}

const QStringList &cdRomTypes()
{
    static const QStringList types{QStringLiteral("iso9660"), QStringLiteral("udf")};
    return types;
}

const QStringList &remoteTypes()
{
    static const QStringList types{
        QStringLiteral("nfs"),   QStringLiteral("nfs4"),       QStringLiteral("cifs"), QStringLiteral("smb3"),
        QStringLiteral("smbfs"), QStringLiteral("sshfs"),      QStringLiteral("fuse.sshfs"),
        QStringLiteral("9p"),    QStringLiteral("ceph"),       QStringLiteral("afs"),
    };
    return types;
}

// System trees whose mounts are no places for the user's data.
bool isSystemMountPoint(const QString &mountPoint)
{
    for (const char *tree : {"/proc", "/sys", "/dev", "/boot", "/run"}) {
        const QString t = QString::fromLatin1(tree);
        if (mountPoint == t || mountPoint.startsWith(t + QLatin1Char('/'))) {
            // Desktop automounts live below /run/media.
            return !mountPoint.startsWith(QStringLiteral("/run/media/"));
        }
    }
    return false;
}

// A mount-table field with its octal escapes (\040 space, \011 tab, \012
// newline, \134 backslash) decoded; the bytes are in the file-name encoding.
QString decodeMountField(const QString &field)
{
    const QByteArray raw = field.toUtf8();
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size()) {
            const QByteArray digits = raw.mid(i + 1, 3);
            bool ok = digits.size() == 3;
            for (char c : digits)
                ok = ok && c >= '0' && c <= '7';
            if (ok) {
                out.append(static_cast<char>(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(raw[i]);
    }
    return QFile::decodeName(out);
}

QString withTrailingSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString readSysFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).trimmed();
}

bool systemIsRemovableDevice(const QString &device)
{
    if (!device.startsWith(QStringLiteral("/dev/")))
        return false;
    // /dev/disk/by-uuid/... and /dev/mapper/... are links to the kernel's name.
    const QString real = QFileInfo(device).canonicalFilePath();
    if (real.isEmpty())
        return false;
    const QString sysPath =
        QFileInfo(QStringLiteral("/sys/class/block/") + QFileInfo(real).fileName()).canonicalFilePath();
    if (sysPath.isEmpty())
        return false;
    // A partition's removable flag is its disk's, one folder up.
    QString disk = sysPath;
    if (QFileInfo::exists(sysPath + QStringLiteral("/partition")))
        disk = QFileInfo(sysPath).path();
    return readSysFile(disk + QStringLiteral("/removable")) == QLatin1String("1");
}

} // namespace

TDriveProbe TDriveProbe::system()
{
    return {systemIsRemovableDevice, [](const QString &mountPoint) { return QFileInfo(mountPoint).isDir(); }};
}

QStringList DrivesFromMountTable(const QString &mountTable, quint8 Kinds, const TDriveProbe &probe)
{
    struct Mount {
        QString device;
        QString type;
    };
    // Keyed by mount point; a later line for the same point hides the earlier.
    QHash<QString, Mount> mounts;
    const QStringList lines = mountTable.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    for (const QString &line : lines) {
        const QStringList fields = line.trimmed().split(blanks, Qt::SkipEmptyParts);
        if (fields.size() < 3)
            continue;
        mounts.insert(decodeMountField(fields[1]), Mount{decodeMountField(fields[0]), fields[2]});
    }

    QStringList result;
    for (auto it = mounts.cbegin(); it != mounts.cend(); ++it) {
        const QString &point = it.key();
        const Mount &m = it.value();
        if (!point.startsWith(QLatin1Char('/')) || isSystemMountPoint(point))
            continue;
        quint8 kind = 0;
        if (point == QLatin1String("/")) {
            // The root is the system disk, in a container often an overlay.
            if (fixedTypes().contains(m.type) || m.type == QLatin1String("overlay"))
                kind = dkFixed;
        } else if (fixedTypes().contains(m.type)) {
            if (!(probe.isRemovableDevice && probe.isRemovableDevice(m.device)))
                kind = dkFixed;
        } else if (cdRomTypes().contains(m.type)) {
            kind = dkCdRom;
        } else if (remoteTypes().contains(m.type)) {
            kind = dkRemote;
        }
        if (!(kind & Kinds))
            continue;
        if (probe.isFolder && !probe.isFolder(point))
            continue;
        result.append(withTrailingSlash(point));
    }
    std::sort(result.begin(), result.end());
    if (result.size() > MaxDriveCount)
        result.resize(MaxDriveCount);
    return result;
}

bool IsRemoteFileSystemType(const QString &Type)
{
    return remoteTypes().contains(Type) || Type.startsWith(QStringLiteral("fuse.sshfs"));
}

void ListDrives(quint8 Kinds)
{
    QStringList drives;
    if (Kinds != 0) {
        QFile table(QStringLiteral("/proc/self/mounts"));
        if (table.open(QIODevice::ReadOnly))
            drives = DrivesFromMountTable(QString::fromUtf8(table.readAll()), Kinds, TDriveProbe::system());
    }
    DriveCount = static_cast<int>(drives.size());
    for (int i = 0; i < MaxDriveCount; ++i)
        DriveList[static_cast<size_t>(i)] = i < DriveCount ? drives[i] : QString();
}

// ---- Folder browser ----------------------------------------------------------------

QString BrowseStartFolder(const QString &Folder, bool DefaultToProgramDir)
{
    if (!Folder.isEmpty() && QFileInfo(Folder).isDir())
        return Folder;
    if (DefaultToProgramDir)
        return Folders::programFolder();
    return {};
}

bool BrowseForFolder(QString &Folder, QWidget *OwnerWnd, const QString &Title, bool DefaultToProgramDir,
                     bool ShowEditBox)
{
    QFileDialog dialog(OwnerWnd, Title, BrowseStartFolder(Folder, DefaultToProgramDir));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    // Qt's own dialog, so the edit box and the new-folder button follow
    // ShowEditBox, and a typed path is accepted only when the folder exists.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!ShowEditBox) {
        dialog.setOption(QFileDialog::ReadOnly, true); // no new folders
        for (const char *name : {"fileNameEdit", "fileNameLabel"}) {
            if (QWidget *w = dialog.findChild<QWidget *>(QString::fromLatin1(name)))
                w->hide();
        }
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return false;
    const QFileInfo info(chosen.first());
    if (!info.isDir())
        return false;
    Folder = info.absoluteFilePath();
    return true;
}

// ---- Starting programs -----------------------------------------------------------------

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Index of the first blank outside double quotes after the leading blanks,
// or the line's length.
qsizetype programEnd(const QString &line, qsizetype start)
{
    bool quoted = false;
    for (qsizetype i = start; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && isBlank(line[i]))
            return i;
    }
    return line.size();
}

qsizetype programStart(const QString &line)
{
    qsizetype i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    return i;
}

// The program as a path the child can run: a path with a '/' is taken from
// our own current folder (the child starts elsewhere), a bare name is looked
// up on the PATH. Empty when not found.
QString resolveProgram(const QString &program)
{
    if (program.isEmpty())
        return {};
    if (program.contains(QLatin1Char('/')))
        return QFileInfo(program).absoluteFilePath();
    return QStandardPaths::findExecutable(program);
}

// Why the program could not be started, checked before the start because the
// process object reports every failure alike.
quint32 startCheck(const QString &resolved)
{
    if (resolved.isEmpty())
        return seFileNotFound;
    const QByteArray path = QFile::encodeName(resolved);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return errno == EACCES ? seAccessDenied : seFileNotFound;
    if (S_ISDIR(st.st_mode) || ::access(path.constData(), X_OK) != 0)
        return seAccessDenied;
    return 0;
}

struct TStartResult {
    quint32 error = 0;      // TStartError, 0 when started
    quint32 exitCode = 0;   // when waited for
};

enum class TWait { None, ProcessingEvents, Blocking };

// Starts program with arguments in workDir (when not empty) and waits as asked.
// The child gets no input; a program waited for shares our output channels.
TStartResult startProgram(const QString &program, const QStringList &arguments, const QString &workDir, TWait wait)
{
    const QString resolved = resolveProgram(program);
    if (const quint32 error = startCheck(resolved))
        return {error, 0};
    QProcess process;
    process.setProgram(resolved);
    process.setArguments(arguments);
    if (!workDir.isEmpty())
        process.setWorkingDirectory(workDir);
    process.setStandardInputFile(QProcess::nullDevice());
    if (wait == TWait::None)
        return {process.startDetached() ? 0u : quint32(seStartFailed), 0};
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(-1))
        return {seStartFailed, 0};
    if (wait == TWait::Blocking) {
        process.waitForFinished(-1);
    } else {
        while (process.state() != QProcess::NotRunning) {
            if (!process.waitForFinished(100))
                QCoreApplication::processEvents();
        }
    }
    // A program ended by a signal reports 128 + the signal, as shells do.
    const auto code = static_cast<quint32>(process.exitCode());
    return {0, process.exitStatus() == QProcess::CrashExit ? 128 + code : code};
}

QString existingFolder(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? QFileInfo(folder).absoluteFilePath() : QString();
}

// A file the system can run itself: executable for us and a program (ELF)
// or a script with "#!"; a document that merely carries the x bit (as every
// file on a FAT stick does) goes to its handler instead.
bool isRunnableFile(const QFileInfo &info)
{
    if (!info.isFile() || ::access(QFile::encodeName(info.absoluteFilePath()).constData(), X_OK) != 0)
        return false;
    QFile f(info.absoluteFilePath());
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(4);
    return head.startsWith("#!") || head == QByteArray("\x7f" "ELF");
}

// The folder part of a path including its trailing '/'; empty without one.
QString folderPart(const QString &fileName)
{
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : fileName.left(slash + 1);
}

bool looksLikeUrl(const QString &name)
{
    // At least two letters before the colon, so "c:..." is no scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(name).hasMatch();
}

} // namespace

QString CommandLineProgram(const QString &CommandLine)
{
    const qsizetype start = programStart(CommandLine);
    QString program = CommandLine.mid(start, programEnd(CommandLine, start) - start);
    program.remove(QLatin1Char('"'));
    return program;
}

QStringList CommandLineArguments(const QString &CommandLine)
{
    const qsizetype end = programEnd(CommandLine, programStart(CommandLine));
    return QProcess::splitCommand(CommandLine.mid(end));
}

quint32 RunProcessAndWait(const QString &CommandLine, const QString &WorkDir, bool NoWait, quint16 ShowCmd)
{
    // The window system places and shows the new program's windows; there is
    // no portable way to ask it for minimised, maximised or hidden.
    Q_UNUSED(ShowCmd)
    const QString program = CommandLineProgram(CommandLine);
    QString dir = WorkDir.trimmed();
    if (dir.isEmpty())
        dir = folderPart(program);
    const TStartResult r = startProgram(program, CommandLineArguments(CommandLine), existingFolder(dir),
                                        NoWait ? TWait::None : TWait::ProcessingEvents);
    if (r.error)
        return r.error;
    return NoWait ? 0 : r.exitCode;
}

quint32 ShellExecuteAndWait(const QString &FileName, const QString &Params, const QString &WorkDir, bool NoWait,
                            quint16 ShowCmd)
{
    Q_UNUSED(ShowCmd) // as in RunProcessAndWait
    QString dir = WorkDir.trimmed();
    if (dir.isEmpty())
        dir = folderPart(FileName);
    dir = existingFolder(dir);
    const TWait wait = NoWait ? TWait::None : TWait::Blocking;

    const QFileInfo info(FileName);
    const bool exists = !FileName.isEmpty() && info.exists();
    const bool url = !exists && looksLikeUrl(FileName);
    if (!url) {
        QString program;
        if (exists && isRunnableFile(info))
            program = info.absoluteFilePath();
        else if (!exists && !FileName.contains(QLatin1Char('/')))
            program = QStandardPaths::findExecutable(FileName);
        if (!program.isEmpty()) {
            // A program's own exit code is no failure of the opening.
            return startProgram(program, QProcess::splitCommand(Params), dir, wait).error;
        }
        if (!exists)
            return seFileNotFound;
    }

    // Documents, folders and URLs go to the desktop's handler.
    const QString target = url ? FileName : info.absoluteFilePath();
    QString opener = qEnvironmentVariable("MURVEN_OPENER");
    if (opener.isEmpty())
        opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        const QUrl link = url ? QUrl(FileName) : QUrl::fromLocalFile(target);
        return QDesktopServices::openUrl(link) ? 0 : quint32(seStartFailed);
    }
    const TStartResult r = startProgram(opener, {target}, dir, wait);
    return r.error ? r.error : r.exitCode;
}

// ---- Operating system --------------------------------------------------------------------

QString GetWindowsEditionName(quint32 ProductType)
{
    switch (ProductType) {
    case 1: return QStringLiteral("Ultimate");
    case 2: return QStringLiteral("Home Basic");
    case 3: return QStringLiteral("Home Premium");
    case 4: return QStringLiteral("Enterprise");
    case 5: return QStringLiteral("Home Basic N");
    case 6: return QStringLiteral("Business");
    case 11: return QStringLiteral("Starter");
    case 16: return QStringLiteral("Business N");
    case 26: return QStringLiteral("Home Premium N");
    case 27: return QStringLiteral("Enterprise N");
    case 28: return QStringLiteral("Ultimate N");
    case 47: return QStringLiteral("Starter N");
    case 48: return QStringLiteral("Professional");
    case 49: return QStringLiteral("Professional N");
    default: return {};
    }
}
