#pragma once

#include <QString>
#include <QStringList>

#include <array>

// Program-wide settings and locations, set once at start-up (the folders
// and regions before the main controller exists, the rest when it loads the
// settings) and read everywhere; the settings dialog and the restore change
// them later. Folders end with '/'.

// Locations.
extern QString AppPath;     // the program folder
extern QString DataRoot;    // the settings root (Murven19.ini, Murven19.hdi ...)
extern QString DataPath;    // the data folder
extern QString AdrsPath;    // DataPath + "Adrs/": one folder per address book
extern QString OtherPath;   // DataPath + "Other/": the sender table
extern QString HistoryPath; // DataPath + "History/": the input histories
extern QString LayoutPath;  // DataPath + "Layout/"
extern QString LabelPath;   // DataPath + "Label/"
extern QString CardPath;    // DataPath + "Card/"
extern QString DesignPath;  // DataPath + "Design/"
// Makes Folder the data folder and points the folders under it there.
void SetDataPath(const QString &Folder);

// Directory regions (index 1..7; index 0 unused).
constexpr int AreaCount = 7;
extern QStringList SearchAreaList; // installed region key names (from the machine key)
extern std::array<bool, AreaCount + 1> UseArea;
extern std::array<bool, AreaCount + 1> AreaOnDisk;
extern std::array<QString, AreaCount + 1> AreaDiskFolder;

// Settings of Murven19.ini.
extern bool FirstRun;
extern QString UpdateDomain;
extern QString UpdatePath;
extern QString UpdateApp;
extern QString SearchDataPath;
extern bool SearchDriveExtend;
extern bool EnableVicinage;
extern bool EnableAllKind;
extern bool DataPathChanged;
// The data folder the settings name when it was not there at this start (a
// drive not mounted), with '/' at the end; empty otherwise. DataPath is then
// the default for this run only: the setting stays and is tried again at the
// next start.
extern QString UnavailableDataPath;
extern QString AdrsName;
extern bool MustSelectAdrs;
extern int HisCount;
extern bool AddressChangeData;
extern bool AddressFormClose;
extern bool AddressConfirmation;
extern bool AddressOutOfTarget;
extern bool AddressSameNum;
extern bool ViewBGPaint;
extern int ViewBGColor;
extern int CooperateMap;
extern int CooperateMapSearchKind;
extern int CooperateRoot;
extern bool UpdateCheck;
extern QString StartupPassword; // the stored (scrambled) form only

// Keyword captions and input modes, index 1..8 (0 unused): loaded by the
// main list window from AdrsList.ini, written by the keyword dialog, read by
// every window that names or edits the keyword fields. Modes are the
// input-method modes 1 off, 5 full-width alphanumeric, 6 hiragana, 7
// half-width katakana, 8 full-width katakana.
constexpr int KeywordCount = 8;
extern std::array<QString, KeywordCount + 1> KeywordNames;
extern std::array<int, KeywordCount + 1> KeywordModes;

// The settings file of the program: DataRoot + "Murven19.ini".
QString SettingsFileName();
