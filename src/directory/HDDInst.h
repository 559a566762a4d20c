#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class QTreeWidget;
class QPushButton;
class QTabWidget;

// Hard-disk installation of directory regions: copying a region's seven
// files from the data disc into the settings root, removing installed
// regions again, and the installation file that records them.

// The sizes of a region's seven files on the data disc, in the order of
// AreaDataFileNames (SampleDir.h); regions 1..7.
extern const std::array<std::array<std::int64_t, 7>, 8> AreaFileSizes;
// The disk space a region takes: each file rounded up to whole clusters
// (plain sizes with a cluster size of 0).
[[nodiscard]] std::int64_t AreaDiskSize(int Area, std::int64_t ClusterSize);
// Space kept free beyond the data: the copy works through the file system.
constexpr std::int64_t InstallSpareBytes = 10 * 1024 * 1024;
// Whether Free bytes leave more than the spare once Need more bytes are taken.
[[nodiscard]] bool InstallSpaceSuffices(std::int64_t Free, std::int64_t Need);

// Told the bytes copied so far and the bytes to copy after each piece of a
// region's copy; false cancels the copy.
using TAreaCopyProgress = std::function<bool(std::int64_t Done, std::int64_t Total)>;
// The size of one piece (a test makes it small to cancel in the middle).
extern std::int64_t AreaCopyPieceBytes;

// Copies the region's seven files from DiscRoot + "Murven19/DtNN/" into
// TargetRoot + "DtNN/", made writable. The files go into a temporary folder
// beside it first, each checked to hold all of its source's bytes, and the
// folder takes its name only when every file is complete: a region folder
// never holds a partial copy, whatever stops the copy. On a failure or a
// cancel the partial copy is deleted again (and only it) and Error says
// which file failed, or that the copy was cancelled.
[[nodiscard]] bool CopyAreaData(int Area, const QString &DiscRoot, const QString &TargetRoot, QString *Error,
                                const TAreaCopyProgress &Progress = {});
// Deletes an installed region's folder; the region is marked not installed
// only when its folder is really gone. True when it is.
[[nodiscard]] bool UninstallArea(int Area);
// Writes DataRoot + "Murven19.hdi" from the installed regions that the
// machine registry offers, or deletes the file when none is installed. False
// with the cause in *Error when the file could not be written.
[[nodiscard]] bool SaveInstalledAreas(QString *Error = nullptr);

// Whether Root holds the data disc's folder of at least one region.
[[nodiscard]] bool IsDataDiscRoot(const QString &Root);

// The installation dialog: two pages, regions to install and regions to
// remove, with the space they take and the space free.
class THDDInstall : public QDialog {
    Q_OBJECT
public:
    explicit THDDInstall(QWidget *Parent = nullptr);

    // The free bytes of the settings root's drive; replaced by tests.
    std::function<std::int64_t()> FreeSpace;
    // Asks for the data disc when SearchDataPath does not hold it: the
    // disc-prompt dialog by default; empty when cancelled.
    std::function<QString()> AskForDisc;

    void RefreshLists();
    // The progress window of the region being copied; null between copies.
    [[nodiscard]] class QProgressDialog *CopyProgress() const { return m_progress; }
    [[nodiscard]] QString NeedText() const;
    [[nodiscard]] QString FreeText() const;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void updateSizes();
    void install();
    void uninstall();
    // The common end of an installation or removal: the installation file
    // saved, the lists refreshed, and the user told which regions were missed.
    void finishWork(bool Any, const QStringList &Missed, const QString &Work, QTreeWidget *List);

    std::int64_t m_cluster = 0;
    class QProgressDialog *m_progress = nullptr;
    QTabWidget *pgctl = nullptr;
    // Two columns: "地域" and "必要容量" (right-aligned), a check box per row.
    QTreeWidget *lvInstall = nullptr;
    QTreeWidget *lvUninstall = nullptr;
    QLabel *lblNeed = nullptr;
    QLabel *lblRemove = nullptr;
    QLabel *lblFree = nullptr;
    QPushButton *bbtnInstall = nullptr;
    QPushButton *bbtnUninstall = nullptr;
};
