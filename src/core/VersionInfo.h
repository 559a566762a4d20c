#pragma once

#include <QByteArrayView>
#include <QDialog>
#include <QString>

#include <array>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// The about box: the program's version (compiled in from the build), the
// system it runs on, the memory available (refreshed every second from
// /proc/meminfo) and links to the publisher's pages, opened by the desktop.

// The running program's version as major, minor, release, build.
[[nodiscard]] std::array<int, 4> ProgramVersion();
// "Version 19.0" or, with a release number, "Version 19.0.5"; the build
// number is never shown.
[[nodiscard]] QString FormatVersionLabel(const std::array<int, 4> &Version);

// Available and total physical memory in KB.
struct TMemoryStatus {
    qint64 AvailableKB = 0;
    qint64 TotalKB = 0;
};
// Reads MemAvailable and MemTotal (kB) out of the text of /proc/meminfo;
// nothing when either is missing or the total is 0.
[[nodiscard]] std::optional<TMemoryStatus> ParseMemInfo(QByteArrayView Text);
[[nodiscard]] std::optional<TMemoryStatus> ReadMemoryStatus();
// "利用可能なメモリ:  1,234 / 5,678 (KB)".
[[nodiscard]] QString FormatMemoryLabel(const TMemoryStatus &Status);
// "[21.7 %]".
[[nodiscard]] QString FormatMemoryPercent(const TMemoryStatus &Status);
// The system's name and version with the kernel's in brackets.
[[nodiscard]] QString OperatingSystemLabel();

// The publisher's home page and the product's page.
extern const QString PublisherUrl;
extern const QString ProductUrl;

class TVersionInfo : public QDialog
{
    Q_OBJECT

public:
    explicit TVersionInfo(QWidget *Owner = nullptr);

    // Refreshes the memory label, bar and percentage (each timer tick).
    void tmrMemoryTimer();

private:
    QLabel *lblVersion = nullptr;
    QLabel *lblMemory = nullptr;
    QProgressBar *pbMemory = nullptr;
    QLabel *lblPercent = nullptr;
    QTimer *tmrMemory = nullptr;
    QPushButton *btnOK = nullptr;
};
