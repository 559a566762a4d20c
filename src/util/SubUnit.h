#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <functional>

class QWidget;

// Free routines shared by every part of the program: rounding of measurements,
// DPI scaling, placing a form over its owner, folder and mount-point routines,
// starting other programs and waiting for them, and the edition name of the
// operating system. Nothing here keeps state between calls except DriveList.

// ---- Measurements and placement --------------------------------------------

// Rounds halves away from zero (2.5 -> 3, -2.5 -> -3, 2.4999 -> 2). Used for
// the conversions between 0.1 mm, points and pixels. NaN gives 0; values
// beyond the 64-bit range are clamped to it.
qint64 RoundHalfAway(long double Value);

// Converts between design pixels (96 dpi) and screen pixels: ToScreen true
// Value * dpi / 96, false Value * 96 / dpi, rounded half away from zero, so
// negative values scale like positive ones and 96 dpi is the identity (a
// window at a negative position or a stored width keeps its value through any
// number of sessions). Results beyond the int range are clamped to it. The
// first form uses the primary screen's logical dpi; a dpi of 0 or less counts
// as 96.
int ScaleForDpi(int Value, bool ToScreen);
int ScaleForDpi(int Value, bool ToScreen, int ScreenDpi);
// The primary screen's logical dots per inch, rounded; 96 without a screen.
int ScreenLogicalDpi();

// Top-left of a form's outer frame of formSize centred over ownerFrame (or,
// without an owner, over workArea), kept inside workArea: when the form would
// cross the right or bottom edge it is moved back; then, so its top-left stays
// reachable when it is larger than the area, it is moved to the left or top
// edge if it lies beyond it. Centring divides toward zero.
QPoint CenterFormPosition(const QSize &formSize, const QRect *ownerFrame, const QRect &workArea);

// Moves Form (a top-level widget, normally not yet shown) to the position
// above, measured on frame geometries. The work area is the available
// geometry of Owner's screen, or of the primary screen without an owner.
void CenterFormOnOwner(QWidget *Form, QWidget *Owner);

// ---- Folders -----------------------------------------------------------------

// The application-data folder the settings root lies below, with a trailing '/'.
QString GetCommonAppDataFolder();

// Creates the single folder Folder (its parent must exist) with mode 0700, so
// the settings root stays private to the user. True when it exists as a folder
// already or was created; false on failure.
[[nodiscard]] bool CreateFolderForEveryone(const QString &Folder);

// Deletes Folder with everything in it. Write permission is given back to
// read-only files and folders first; symbolic links are removed themselves and
// never followed. With KeepFiles only the sub-folders that hold no files
// (directly or below) go, and Folder only when nothing was left in it.
// Returns true when Folder no longer exists afterwards (a missing Folder
// counts as gone); false when it, or anything in it, could not be removed, or
// when it is not a folder.
[[nodiscard]] bool DeleteFolderTree(const QString &Folder, bool KeepFiles);

// ---- Mount points (the drives of this system) -------------------------------

// Kinds bits of ListDrives.
enum TDriveKind : quint8 {
    dkFixed = 1,  // local disk file systems (and "/" on an overlay)
    dkCdRom = 2,  // optical discs: iso9660, udf
    dkRemote = 4, // network file systems: nfs, cifs, sshfs, 9p ...
};

inline constexpr int MaxDriveCount = 26;

// Mount points found by the last ListDrives call, sorted, each with a trailing
// '/'; entries from DriveCount on are empty. Program-wide.
extern std::array<QString, MaxDriveCount> DriveList;
extern int DriveCount;

// What ListDrives asks the system about a mount. Tests hand in fixed answers.
struct TDriveProbe {
    // The block device behind a mount (as the mount table names it) is
    // removable media: such mounts are not fixed drives.
    std::function<bool(const QString &device)> isRemovableDevice;
    // The mount point is a folder (bind mounts of single files are skipped).
    std::function<bool(const QString &mountPoint)> isFolder;

    static TDriveProbe system();
};

// The mount points of the given kinds in a mount table in the format of
// /proc/self/mounts (octal escapes such as \040 decoded), sorted, at most 26,
// each with a trailing '/'. When a mount point occurs more than once the last
// mount, the one that is visible, decides its kind.
QStringList DrivesFromMountTable(const QString &mountTable, quint8 Kinds, const TDriveProbe &probe);

// A file-system type of the mount table that lives on another machine
// (nfs, cifs, sshfs ...): ListDrives' dkRemote kind.
[[nodiscard]] bool IsRemoteFileSystemType(const QString &Type);

// Rebuilds DriveList and DriveCount from /proc/self/mounts. Kinds 0 empties
// the list.
void ListDrives(quint8 Kinds);

// ---- Folder browser ------------------------------------------------------------

// The folder a folder browser starts in: Folder when it is an existing folder,
// else the program folder when DefaultToProgramDir, else empty (no start).
QString BrowseStartFolder(const QString &Folder, bool DefaultToProgramDir);

// Lets the user choose an existing folder. ShowEditBox adds the path edit and
// allows making new folders. On OK, Folder receives the chosen path and the
// result is true; false on cancel.
[[nodiscard]] bool BrowseForFolder(QString &Folder, QWidget *OwnerWnd, const QString &Title,
                                   bool DefaultToProgramDir, bool ShowEditBox);

// ---- Starting programs -----------------------------------------------------------

// Show commands of the calls below. The window system decides how a started
// program's window appears, so they are accepted and have no effect here.
enum TShowCmd : quint16 {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
    SW_SHOWDEFAULT = 10,
};

// Error codes of the calls below when a program cannot be started (errno
// values): the program does not exist, it may not be run, anything else.
enum TStartError : quint32 {
    seFileNotFound = 2,
    seAccessDenied = 13,
    seStartFailed = 1,
};

// The program part of a command line: everything up to the first blank (space
// or tab) outside double quotes, with the quotes removed; the whole line when
// there is no such blank.
QString CommandLineProgram(const QString &CommandLine);
// The arguments after the program part, split with double-quote quoting.
QStringList CommandLineArguments(const QString &CommandLine);

// Starts CommandLine. The working folder is the trimmed WorkDir, or when that
// is empty the folder of the program path; it is used only when it exists.
// Unless NoWait, waits for the program's end in 100 ms steps, processing the
// application's events in between, and returns its exit code (128 + signal
// when it was killed by a signal); with NoWait returns 0 at once. When the
// program cannot be started returns a TStartError code.
[[nodiscard]] quint32 RunProcessAndWait(const QString &CommandLine, const QString &WorkDir, bool NoWait,
                                        quint16 ShowCmd);

// Opens FileName: an executable file (or a program found on the PATH) runs
// with Params; any other file, a folder or a URL goes to the desktop's handler
// (the program named by MURVEN_OPENER, else xdg-open, each given the file as
// its only argument, else the desktop services), Params unused. The working
// folder is the trimmed WorkDir, or the folder part of FileName. Unless
// NoWait, waits without limit for the started program's end (blocking the user
// interface). Returns 0 on success; a TStartError code when nothing could be
// started, or the handler's non-zero exit status when it failed to open.
[[nodiscard]] quint32 ShellExecuteAndWait(const QString &FileName, const QString &Params, const QString &WorkDir,
                                          bool NoWait, quint16 ShowCmd);

// ---- Operating system ------------------------------------------------------------

// The edition name for a Windows product-type value ("Ultimate", "Home Basic",
// ... "Professional N"); empty for any other value.
QString GetWindowsEditionName(quint32 ProductType);
