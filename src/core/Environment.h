#pragma once

#include <QColor>
#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

// ---- Data folder rules -------------------------------------------------------

// What the settings dialog asks the system about the volume that would hold
// a data folder (the folder itself need not exist yet).
struct TVolumeState {
    bool Found = false;    // a mounted volume holds the path (or its nearest existing parent)
    bool Remote = false;   // a network file system (nfs, cifs, sshfs ...)
    bool ReadOnly = false; // mounted read-only
};
using TVolumeProbe = std::function<TVolumeState(const QString &Path)>;
[[nodiscard]] TVolumeState SystemVolumeState(const QString &Path);
// Test seam: the probe the dialog uses (an empty function restores the
// system's); returns the previous one.
TVolumeProbe SetVolumeProbe(TVolumeProbe Probe);

enum class TDataFolderError {
    None,
    Empty,    // "フォルダーを指定してください  "
    Invalid,  // not an absolute path, too long, or on no mounted volume
    NotLocal, // on a network file system
    ReadOnly, // on a read-only volume
};
struct TDataFolderCheck {
    TDataFolderError Error = TDataFolderError::None;
    QString Folder; // cleaned, absolute, with '/' at the end
};
// The rules a typed data folder must pass before it is asked to exist: an
// absolute path (at most 200 characters with its trailing '/', the longest
// the start-up accepts) on a mounted, writable, local volume. Letter case
// is kept: "/Data" and "/data" are two folders.
[[nodiscard]] TDataFolderCheck CheckDataFolder(const QString &Text, const TVolumeProbe &Probe);

// The recent data folders, most recent first: Folder put first (moved from
// its place when it is there; folders compare exactly).
[[nodiscard]] QStringList PushRecentFolder(QStringList List, const QString &Folder);
constexpr int RecentFolderCount = 5;

// The sixteen custom colours of the colour dialogs, DataRoot + "CstmClr.ini"
// (section COMMON, keys "0".."15", six hexadecimal digits BBGGRR).
[[nodiscard]] QString CustomColorFileName();
// The colour dialog ("ColorDialog") started on Initial with the custom colours
// of Ini, 15 pixels right and below Parent's corner inside the work area. On
// OK the custom colours go back into Ini (the caller writes the file) and the
// choice is returned; nothing when cancelled.
class TMemIniFile;
[[nodiscard]] std::optional<QColor> ChooseCustomColor(QWidget *Parent, const QColor &Initial, TMemIniFile &Ini);

// ---- The dialog ---------------------------------------------------------------

// What a confirmed settings dialog changed, for the caller to reload.
struct TEnvironmentChanges {
    bool Areas = false;
    bool DataPath = false;
    bool HisCount = false;
    bool ListColor = false; // BGPaint or BGColor
    bool Cooperate = false; // Map or Root
};

// "環境設定": the program-wide settings in six pages. btnSet checks the
// entries, writes the settings file and takes the values into the
// program-wide variables; Cancel writes nothing but the page shown last and
// the recent data folders. A changed data folder first asks the caller to
// close its other windows and keep its list settings (the two hooks).
class TEnvironment : public QDialog
{
    Q_OBJECT

public:
    explicit TEnvironment(QWidget *Owner = nullptr);

    // Set by the main list window before exec().
    std::function<bool()> CloseChildWindows;   // false keeps the dialog open, nothing written
    std::function<void()> SaveListSettings;    // into the old data folder
    std::function<void(QWidget *)> HddInstall; // the hard-disk installation window
    std::function<bool(QWidget *)> UpdateRun;  // the update check; true when the program must restart

    [[nodiscard]] const TEnvironmentChanges &Changes() const { return m_changes; }
    [[nodiscard]] bool Restart() const { return m_restart; }
    [[nodiscard]] const QStringList &RecentFolders() const { return m_recent; }
    [[nodiscard]] int HelpContext() const;

    void btnSetClick();
    void ShowPage(int Index);
    void done(int Result) override;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void showEvent(QShowEvent *Event) override;

private:
    QWidget *CreateBasePage();
    QWidget *CreateOperationPage();
    QWidget *CreateAddressPage();
    QWidget *CreateViewPage();
    QWidget *CreateCooperatePage();
    QWidget *CreateUpdatePage();
    void FillDrives(bool Rescan);
    void UpdateAddressChecks();
    void UpdateColorButtons();
    void FillMapSearchKind();
    void ApplyHisCountText();
    void StepHisCount(int Delta);
    void ChooseColor();
    void BrowseDataPath();
    void UpdateCheckClick();
    void Fail(const QString &Text, QWidget *Focus, unsigned Flags);
    [[nodiscard]] bool WriteRecentFolders();

    QTreeWidget *tvEnv = nullptr;
    QStackedWidget *pgctlEnv = nullptr;
    std::array<QCheckBox *, 8> chkArea{};
    QComboBox *cbxDrive = nullptr;
    QComboBox *cbxDataPath = nullptr;
    QCheckBox *chkViewSplash = nullptr;
    QLineEdit *edtHisCount = nullptr;
    QCheckBox *chkChangeData = nullptr;
    QCheckBox *chkFormClose = nullptr;
    QCheckBox *chkConfirmation = nullptr;
    QCheckBox *chkOutOfTarget = nullptr;
    QCheckBox *chkSameNum = nullptr;
    QCheckBox *chkBGPaint = nullptr;
    QFrame *pnlBGColor = nullptr;
    QPushButton *bbtnBGColor = nullptr;
    QPushButton *bbtnResetColor = nullptr;
    QComboBox *cbxMapSoft = nullptr;
    QComboBox *cbxMapSearchKind = nullptr;
    QComboBox *cbxRootSoft = nullptr;
    QCheckBox *chkUpdate = nullptr;
    QPushButton *btnSet = nullptr;
    QPushButton *btnCancel = nullptr;

    QString m_initialDataPath; // as shown at creation, no trailing '/'
    QStringList m_recent;
    int m_hisCount = 0;        // the position of the history count
    int m_page = 0;
    int m_color = 0;
    bool m_restart = false;
    TEnvironmentChanges m_changes;
};
