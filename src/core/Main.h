#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <functional>

struct HdiFileRecord;

// ---- Settings and folders --------------------------------------------------

// The directory regions, index 1..7 (index 0 unused): the key names under the
// machine key's SearchArea, the captions the user sees and the sub-folder of
// each region's data.
extern const std::array<QString, 8> AreaKeyNames;
extern const std::array<QString, 8> AreaCaptions;
extern const std::array<QString, 8> AreaSubFolders;

// The hidden folder a region's copy is put together in under the root it is
// installed into, beside the region's own folder: ".DtNN.copying/". No region
// reads it; it takes the region's name only when complete.
[[nodiscard]] QString AreaCopyFolderName(int Area);
// Removes the partial copies a killed installation left under Root (only the
// folders of that name; a link of that name goes as a link).
void RemoveAreaCopyLeftovers(const QString &Root);

// The machine key of the installation and its region sub-key.
extern const QString MachineKeyName;    // SOFTWARE\Qor\Murven\19.0
extern const QString SearchAreaKeyName; // MachineKeyName + \SearchArea

// The warning of a start without any installed region.
extern const QString NotInstalledMessage;

// Reads the hard-disk installation file into the record (ReadHdiFile's codes).
using THdiReader = std::function<int(HdiFileRecord &)>;

// The settings root: the application-data folder + "Pyx/Murven19/" (each level
// made when missing, private to the user), or the settings root the
// environment names; AppPath when it cannot be made. Ends with '/'.
[[nodiscard]] QString MakeDataRoot(const QString &ProgramFolder);

// Fills SearchAreaList from the machine key and the region slots AreaOnDisk
// and AreaDiskFolder from DataRoot + "Murven19.hdi" (removing the partial
// copies of an installation killed before); reports regions whose
// data went missing, and unreadable installation files (a damaged one, or
// one of another program, is first kept aside and named to the user, so no
// installation writes over it).
void LoadSearchAreas(const THdiReader &ReadHdi);

// Fills every setting of Env.h from DataRoot + "Murven19.ini" and the machine
// key; creates the data folder when missing. A configured data folder that is
// not there leaves the setting alone and uses the default folder for this run
// (UnavailableDataPath). Needs SearchAreaList and the region slots
// (LoadSearchAreas) first.
void LoadSettings();

// [OPERATION] ViewSplash of the settings file (default true).
[[nodiscard]] bool ReadViewSplash();

// The longest data folder the settings keep, its trailing '/' included: a
// longer one is not taken at the start.
constexpr int MaxDataPathLength = 200;

// Writes [BASE] DataPath; false when the settings file could not be written
// (Error: the reason).
[[nodiscard]] bool SaveDataPath(QString *Error = nullptr);
// SaveDataPath, telling the user which file could not be written and why.
void SaveDataPathOrReport();

// Makes HistoryPath and copies the default word files (Post.mtd, Honor.mtd)
// from AppPath + "Common/History/" into it when they are missing there.
void EnsureWordFiles();

// ---- Start-up ---------------------------------------------------------------

// The message the main controller posts itself at the end of its creation.
constexpr int WM_STARTUP = 0x8100;

// The parts the start-up runs, in the order they run. Every entry is called
// by TStartup; the program wires the real ones, tests record the order.
// Entries marked optional may stay empty.
struct TStartupParts {
    // True when another instance holds the lock (it was brought forward).
    std::function<bool()> checkPreviousInstance;
    std::function<void()> setWindowMarker;
    std::function<void()> applicationSettings; // optional: title and hints
    std::function<void()> makeFolders;         // AppPath and DataRoot
    std::function<void()> loadSearchAreas;
    std::function<void(const QString &Text, unsigned Flags)> showMessage;
    std::function<bool()> readViewSplash;
    std::function<void()> showSplash;
    std::function<bool()> splashActive; // while true the main form waits
    std::function<void()> loadSettings;
    std::function<void()> createManual; // optional
    std::function<void()> loadWqhyp;    // optional
    std::function<void()> createDataModule;
    // True when the password was entered; called only when one is set.
    std::function<bool()> askPassword;
    std::function<void()> saveDataPath;
    std::function<void()> ensureWordFiles;
    std::function<void()> scanAddressBooks;
    std::function<QStringList()> addressBookNames; // Name of each AdrsFolderList entry
    std::function<void()> showAddressList;        // modal
    std::function<void()> cancelAddressList;      // sets the list window's modal result to Cancel
    std::function<void()> closeManual;            // optional
    std::function<void()> freeItemCopyStream;     // optional
    std::function<void()> freeDataModule;
    std::function<void()> freeWqhyp;          // optional
    std::function<void()> freeManual;         // optional
    std::function<void()> freeAdrsFolderList; // optional
    std::function<void()> removeWindowMarker;
    std::function<void()> releaseLock;
};

// The hidden main controller: loads the settings and owns the data module
// while the program runs; its queued start-up call asks for the password,
// scans the address books and runs the main list window; closing it ends the
// run. Never shown.
class TMainForm : public QObject
{
    Q_OBJECT

public:
    explicit TMainForm(const TStartupParts &Parts, QObject *parent = nullptr);
    ~TMainForm() override;

    // Loads the settings, creates the data module, waits for the splash to
    // go and queues StartupMessage.
    void FormCreate();
    // The start-up call (WM_STARTUP).
    void StartupMessage();

    // Asks the main form to close: refused while the main list window runs
    // (that window is told to cancel instead); otherwise the form closes and
    // OnClosed runs.
    bool Close();
    [[nodiscard]] bool FormCloseQuery();
    [[nodiscard]] bool Closed() const { return m_closed; }
    [[nodiscard]] bool AddressListRunning() const { return m_addressListRunning; }

    // Runs when the form has closed (the start-up ends its message loop).
    std::function<void()> OnClosed;

private:
    void FormClose();
    void FormDestroy();

    const TStartupParts &m_parts;
    bool m_dataModuleCreated = false;
    bool m_addressListRunning = false;
    bool m_closed = false;
};

// The program from the instance lock to its release. Run returns the
// process's exit code: 0 for a normal end and for a second start, 1 when no
// region is installed.
class TStartup
{
public:
    explicit TStartup(TStartupParts Parts);
    [[nodiscard]] int Run();

private:
    TStartupParts m_parts;
};
