#include "core/Env.h"

QString AppPath;
QString DataRoot;
QString DataPath;
QString AdrsPath;
QString OtherPath;
QString HistoryPath;
QString LayoutPath;
QString LabelPath;
QString CardPath;
QString DesignPath;

void SetDataPath(const QString &Folder)
{
    DataPath = Folder;
    AdrsPath = DataPath + QStringLiteral("Adrs/");
    OtherPath = DataPath + QStringLiteral("Other/");
    HistoryPath = DataPath + QStringLiteral("History/");
    LayoutPath = DataPath + QStringLiteral("Layout/");
    LabelPath = DataPath + QStringLiteral("Label/");
    CardPath = DataPath + QStringLiteral("Card/");
    DesignPath = DataPath + QStringLiteral("Design/");
}

QStringList SearchAreaList;
std::array<bool, AreaCount + 1> UseArea{};
std::array<bool, AreaCount + 1> AreaOnDisk{};
std::array<QString, AreaCount + 1> AreaDiskFolder;

bool FirstRun = false;
QString UpdateDomain;
QString UpdatePath;
QString UpdateApp;
QString SearchDataPath;
bool SearchDriveExtend = false;
bool EnableVicinage = false;
bool EnableAllKind = false;
bool DataPathChanged = false;
QString UnavailableDataPath;
QString AdrsName;
bool MustSelectAdrs = false;
int HisCount = 10;
bool AddressChangeData = true;
bool AddressFormClose = true;
bool AddressConfirmation = true;
bool AddressOutOfTarget = true;
bool AddressSameNum = true;
bool ViewBGPaint = true;
int ViewBGColor = 0xDFFFEF;
int CooperateMap = 2;
int CooperateMapSearchKind = 0;
int CooperateRoot = 0;
bool UpdateCheck = true;
QString StartupPassword;

QString SettingsFileName()
{
    return DataRoot + QStringLiteral("Murven19.ini");
}

std::array<QString, KeywordCount + 1> KeywordNames;
std::array<int, KeywordCount + 1> KeywordModes{0, 6, 6, 6, 6, 6, 6, 6, 6};
