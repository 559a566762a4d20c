#include "core/Main.h"

#include "core/Env.h"
#include "core/StartupPassword.h"
#include "directory/HdiRW.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/SafeFile.h"
#include "platform/UnreadableFile.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WriteFailure.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMetaObject>
#include <QThread>

const std::array<QString, 8> AreaKeyNames = {
    QString(),
    QStringLiteral("Hokkaido Tohoku"),
    QStringLiteral("Kanto"),
    QStringLiteral("Tokyo"),
    QStringLiteral("Cyubu"),
    QStringLiteral("Kinki"),
    QStringLiteral("Cyugoku Shikoku"),
    QStringLiteral("Kyusyu Okinawa"),
};

const std::array<QString, 8> AreaCaptions = {
    QString(),
    QStringLiteral("北海道・東北"),
    QStringLiteral("関東"),
    QStringLiteral("東京都"),
    QStringLiteral("中部"),
    QStringLiteral("近畿"),
    QStringLiteral("中国・四国"),
    QStringLiteral("九州・沖縄"),
};

const std::array<QString, 8> AreaSubFolders = {
    QString(),
    QStringLiteral("Dt01/"),
    QStringLiteral("Dt02/"),
    QStringLiteral("Dt03/"),
    QStringLiteral("Dt04/"),
    QStringLiteral("Dt05/"),
    QStringLiteral("Dt06/"),
    QStringLiteral("Dt07/"),
};

QString AreaCopyFolderName(int Area)
{
    return QStringLiteral(".Dt%1.copying/").arg(Area, 2, 10, QLatin1Char('0'));
}

void RemoveAreaCopyLeftovers(const QString &Root)
{
    if (Root.isEmpty())
        return;
    for (int area = 1; area < int(AreaSubFolders.size()); ++area) {
        const QString partial = QDir::cleanPath(QDir(Root).filePath(AreaCopyFolderName(area)));
        if (!DeleteFolderTree(partial, false))
            qWarning("The partial copy %s cannot be removed", qPrintable(QDir::toNativeSeparators(partial)));
    }
}

const QString MachineKeyName = QStringLiteral("SOFTWARE\\Qor\\Murven\\19.0");
const QString SearchAreaKeyName = QStringLiteral("SOFTWARE\\Qor\\Murven\\19.0\\SearchArea");

const QString NotInstalledMessage =
    QStringLiteral("インストールが正常に行なわれていないようです  \r\n再セットアップしてください  ");

namespace {

// Longest data folder accepted from the settings file, trailing '/' included.

const QString kDefaultAdrsName = QStringLiteral("アドレス");
// No update server is published: without a configured host no check runs.
const QString kDefaultUpdateDomain;

const QString kBase = QStringLiteral("BASE");
const QString kHidden = QStringLiteral("HIDDEN PARAMETER");
const QString kUpdateParameter = QStringLiteral("UPDATE PARAMETER");
const QString kOperation = QStringLiteral("OPERATION");
const QString kAddress = QStringLiteral("ADDRESS");
const QString kView = QStringLiteral("VIEW");
const QString kCooperate = QStringLiteral("COOPERATE");
const QString kUpdate = QStringLiteral("UPDATE");

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool isInstalled(int area)
{
    return SearchAreaList.contains(AreaKeyNames[area], Qt::CaseInsensitive);
}

// Ranges are tested as unsigned numbers, so negative values fall back too.
int inRange(int value, unsigned maximum, int fallback)
{
    return static_cast<unsigned>(value) > maximum ? fallback : value;
}

// The synthetic sample directory installed with the program
// (<program folder>/Sample/Murven19/Dt01 ...) stands in for the data disc
// when no disc or other source is set: empty when it is not installed.
QString installedSampleDisc()
{
    const QString sample = AppPath + QStringLiteral("Sample");
    return isFolder(sample + QStringLiteral("/Murven19")) ? sample : QString();
}

void informApplication(const QString &text)
{
    ShowMessageBoxAt(nullptr, text, ProductCaption(), MB_ICONINFORMATION, mbpSystem, 0, 0);
}

} // namespace

QString MakeDataRoot(const QString &ProgramFolder)
{
    if (!qEnvironmentVariableIsEmpty("MURVEN_SETTINGS_ROOT")) {
        const QString root = Folders::settingsRoot();
        return Folders::makePrivatePath(root) ? root : ProgramFolder;
    }
    const QString common = GetCommonAppDataFolder();
    if (common.isEmpty() || common == QStringLiteral("/"))
        return ProgramFolder;
    // A fresh account may not have its data folder yet; it is the user's own.
    (void)Folders::makePrivatePath(common);
    const QString pyx = common + QStringLiteral("Pyx");
    if (!CreateFolderForEveryone(pyx))
        return ProgramFolder;
    const QString root = pyx + QStringLiteral("/Murven19/");
    if (!CreateFolderForEveryone(Folders::excludeTrailingPathDelimiter(root)))
        return ProgramFolder;
    return root;
}

void LoadSearchAreas(const THdiReader &ReadHdi)
{
    RemoveAreaCopyLeftovers(DataRoot);
    {
        TRegistry registry(HKEY_LOCAL_MACHINE);
        if (registry.OpenKeyReadOnly(SearchAreaKeyName))
            SearchAreaList = registry.GetKeyNames();
    }
    for (int i = 1; i <= AreaCount; ++i) {
        AreaOnDisk[i] = false;
        AreaDiskFolder[i].clear();
    }

    HdiFileRecord record;
    record.FileName = DataRoot + QStringLiteral("Murven19.hdi");
    record.Signature = QByteArrayLiteral("Murven19");
    const int rc = ReadHdi ? ReadHdi(record) : 1;
    // A damaged file, or one of another program, is never left for the next
    // installation to write over: it is kept aside and named to the user.
    if (rc != 0 && rc != 1)
        (void)KeepUnreadableFileAside(record.FileName, QStringLiteral("installation file code %1").arg(rc));

    if (rc == 0) {
        for (int i = 1; i <= AreaCount; ++i) {
            const THdiSlot &slot = record.Slots[static_cast<size_t>(i - 1)];
            if (!isInstalled(i) || slot.PathLength < 0)
                continue;
            AreaOnDisk[i] = true;
            // Paths are file-system names, stored in the file system's encoding.
            const QString folder = QFile::decodeName(slot.Path);
            AreaDiskFolder[i] = slot.PathLength > 0 && isFolder(folder)
                                    ? Folders::includeTrailingPathDelimiter(folder)
                                    : DataRoot;
        }
        QString missing;
        for (int i = 1; i <= AreaCount; ++i) {
            if (!AreaOnDisk[i] || isFolder(AreaDiskFolder[i] + AreaSubFolders[i]))
                continue;
            missing += QStringLiteral("\r\n") + AreaCaptions[i] + QStringLiteral("  ");
            AreaOnDisk[i] = false;
            AreaDiskFolder[i].clear();
        }
        if (!missing.isEmpty())
            informApplication(QStringLiteral("HDDインストールした以下の地域の電話帳データが  \r\n"
                                             "HDD内に見つかりません  \r\n")
                              + missing + QStringLiteral("  ") + QStringLiteral("\r\n\r\n")
                              + QStringLiteral("DVD-ROMを検索するようにします  "));
    } else if (rc == 4) {
        informApplication(QStringLiteral("別のソフトウェアのHDDインストール情報が見つかりました  \r\n"
                                         "HDDインストールしなおす必要が必要があります  "));
    } else if (rc != 1) {
        informApplication(QStringLiteral("HDDインストール情報が正しくありません    \r\n"
                                         "HDDインストールしなおす必要が必要があります  \r\nRC = ")
                          + QString::number(rc) + QStringLiteral("  "));
    }
}

void LoadSettings()
{
    FirstRun = !QFileInfo::exists(SettingsFileName());
    {
        // The program always writes this file with content; an empty one is damaged.
        const TMemIniFile ini(SettingsFileName());

        UpdateDomain = ini.ReadString(kUpdateParameter, QStringLiteral("Domain"), kDefaultUpdateDomain);
        UpdatePath = ini.ReadString(kUpdateParameter, QStringLiteral("Path"), QStringLiteral("/check/"));
        UpdateApp = ini.ReadString(kUpdateParameter, QStringLiteral("App"), QStringLiteral("/app/"));

        const QString hiddenPath = ini.ReadString(kHidden, QStringLiteral("Path"), QString());
        SearchDataPath.clear();
        if (isFolder(hiddenPath))
            SearchDataPath = Folders::excludeTrailingPathDelimiter(hiddenPath);

        SearchDriveExtend = ini.ReadBool(kHidden, QStringLiteral("SearchDriveExtend"), false);
        EnableVicinage = ini.ReadBool(kHidden, QStringLiteral("EnableVicinage"), false);
        EnableAllKind = ini.ReadBool(kHidden, QStringLiteral("EnableAllKind"), false);

        ListDrives(SearchDriveExtend ? (dkCdRom | dkRemote) : dkCdRom);

        bool anyOnDisk = false;
        for (int i = 1; i <= AreaCount; ++i)
            anyOnDisk = anyOnDisk || AreaOnDisk[i];
        const QString sample = installedSampleDisc();
        if (SearchDataPath.isEmpty() && !anyOnDisk && DriveCount == 0 && sample.isEmpty())
            ShowMessageBoxAt(nullptr,
                             QStringLiteral("使用可能な DVD-ROM ドライブが検出できませんでした  \r\n"
                                            "DVD-ROM を使用した検索は利用できません  "),
                             ProductCaption(), MB_ICONINFORMATION, mbpSystem, 0, 0);

        if (SearchDataPath.isEmpty()) {
            const QString dvd = ini.ReadString(kBase, QStringLiteral("DVD"), QString());
            const QString disc = !dvd.isEmpty() ? dvd : DriveCount > 0 ? DriveList[0] : sample;
            SearchDataPath = Folders::excludeTrailingPathDelimiter(disc);
        }

        bool anyInUse = false;
        for (int i = 1; i <= AreaCount; ++i) {
            const bool installed = isInstalled(i);
            UseArea[i] = ini.ReadBool(kBase, QStringLiteral("Use%1").arg(i), installed) && installed;
            anyInUse = anyInUse || UseArea[i];
        }
        if (!anyInUse)
            for (int i = 1; i <= AreaCount; ++i)
                UseArea[i] = isInstalled(i);

        DataPathChanged = false;
        UnavailableDataPath.clear();
        const QString configured = ini.ReadString(kBase, QStringLiteral("DataPath"), QString());
        if (configured.isEmpty()
            || Folders::includeTrailingPathDelimiter(configured).size() > MaxDataPathLength) {
            DataPath = DataRoot + QStringLiteral("Data/");
            DataPathChanged = true;
        } else if (!isFolder(configured)) {
            // Most likely a drive not mounted: the books there are not lost,
            // so the setting keeps pointing at them.
            UnavailableDataPath = Folders::includeTrailingPathDelimiter(configured);
            DataPath = DataRoot + QStringLiteral("Data/");
            DataPathChanged = true;
        } else {
            DataPath = Folders::includeTrailingPathDelimiter(configured);
        }
        if (!isFolder(DataPath))
            (void)Folders::makePrivatePath(DataPath);

        MustSelectAdrs = false;
        if (DataPathChanged) {
            AdrsName = kDefaultAdrsName;
            MustSelectAdrs = true;
        } else {
            AdrsName = ini.ReadString(kBase, QStringLiteral("AdrsName"), QString());
            if (AdrsName.isEmpty()) {
                AdrsName = kDefaultAdrsName;
                MustSelectAdrs = true;
            }
        }

        SetDataPath(DataPath);

        HisCount = inRange(ini.ReadInteger(kOperation, QStringLiteral("HisCount"), 10), 30, 10);
        AddressChangeData = ini.ReadBool(kAddress, QStringLiteral("ChangeData"), true);
        AddressFormClose = ini.ReadBool(kAddress, QStringLiteral("FormClose"), true);
        AddressConfirmation = ini.ReadBool(kAddress, QStringLiteral("Confirmation"), true);
        AddressOutOfTarget = ini.ReadBool(kAddress, QStringLiteral("OutOfTarget"), true);
        AddressSameNum = ini.ReadBool(kAddress, QStringLiteral("SameNum"), true);
        ViewBGPaint = ini.ReadBool(kView, QStringLiteral("BGPaint"), true);
        ViewBGColor = ini.ReadInteger(kView, QStringLiteral("BGColor"), 0xDFFFEF);
        CooperateMap = inRange(ini.ReadInteger(kCooperate, QStringLiteral("Map"), 2), 9, 2);
        CooperateMapSearchKind = inRange(ini.ReadInteger(kCooperate, QStringLiteral("MapSearchKind"), 0), 1, 0);
        CooperateRoot = inRange(ini.ReadInteger(kCooperate, QStringLiteral("Root"), 0), 1, 0);
        UpdateCheck = ini.ReadBool(kUpdate, QStringLiteral("UpdateCheck"), true);
    }

    StartupPassword.clear();
    TRegistry registry(HKEY_LOCAL_MACHINE);
    if (registry.OpenKeyReadOnly(MachineKeyName)) {
        if (registry.ValueDamaged(QStringLiteral("Type"))) {
            // A line that cannot be read is a damaged password, never none at all.
            StartupPassword = UnreadableStoredPassword();
        } else if (registry.ValueExists(QStringLiteral("Type"))) {
            try {
                StartupPassword = registry.ReadString(QStringLiteral("Type"));
            } catch (const ERegistryException &) {
                // A value of another type is a damaged one: the start asks and nothing matches.
                StartupPassword = UnreadableStoredPassword();
            }
        }
    }
}

bool ReadViewSplash()
{
    // The first reader of the settings file at start-up: it keeps a damaged one aside.
    const TMemIniFile ini(SettingsFileName());
    return ini.ReadBool(kOperation, QStringLiteral("ViewSplash"), true);
}

bool SaveDataPath(QString *Error)
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteString(kBase, QStringLiteral("DataPath"), DataPath);
    return ini.UpdateFile(Error);
}

void SaveDataPathOrReport()
{
    QString error;
    if (!SaveDataPath(&error))
        ShowWriteFailure(nullptr, QStringLiteral("データ保存フォルダーの設定"), SettingsFileName(), error);
}

void EnsureWordFiles()
{
    if (!isFolder(HistoryPath))
        (void)Folders::makePrivatePath(HistoryPath);
    for (const QString &name : {QStringLiteral("Post.mtd"), QStringLiteral("Honor.mtd")}) {
        const QString target = HistoryPath + name;
        // A history set aside by an earlier version's save killed between its
        // renames is the user's: back first, or the defaults would take its
        // place.
        RecoverSafeReplace(target);
        if (QFileInfo::exists(target))
            continue;
        // Copied byte for byte into a file of the user's own: a plain file copy
        // would hand on the installed file's access for everyone.
        QFile source(AppPath + QStringLiteral("Common/History/") + name);
        if (source.open(QIODevice::ReadOnly))
            (void)SafeReplaceFile(target, source.readAll()); // failures ignored
    }
}

// ---- TMainForm --------------------------------------------------------------------

namespace {

void callIfSet(const std::function<void()> &part)
{
    if (part)
        part();
}

} // namespace

TMainForm::TMainForm(const TStartupParts &Parts, QObject *parent)
    : QObject(parent)
    , m_parts(Parts)
{
    setObjectName(QStringLiteral("MainForm"));
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::FormCreate()
{
    m_parts.loadSettings();
    callIfSet(m_parts.createManual);
    callIfSet(m_parts.loadWqhyp);
    m_parts.createDataModule();
    m_dataModuleCreated = true;
    while (m_parts.splashActive && m_parts.splashActive()) {
        QThread::msleep(1);
        QCoreApplication::processEvents();
    }
    QMetaObject::invokeMethod(this, &TMainForm::StartupMessage, Qt::QueuedConnection);
}

void TMainForm::StartupMessage()
{
    if (m_closed)
        return;
    if (StoredPasswordState(StartupPassword) != TStoredPassword::None && !m_parts.askPassword()) {
        Close();
        return;
    }
    // A configured folder that is only missing for now stays in the settings.
    if (DataPathChanged && UnavailableDataPath.isEmpty())
        m_parts.saveDataPath();
    m_parts.ensureWordFiles();
    m_parts.scanAddressBooks();

    const QStringList names = m_parts.addressBookNames();
    if (!names.contains(AdrsName, Qt::CaseSensitive)) {
        AdrsName = kDefaultAdrsName;
        MustSelectAdrs = true;
    }
    if (names.isEmpty())
        MustSelectAdrs = true;

    m_addressListRunning = true;
    m_parts.showAddressList();
    m_addressListRunning = false;
    Close();
}

bool TMainForm::FormCloseQuery()
{
    if (m_addressListRunning) {
        callIfSet(m_parts.cancelAddressList);
        return false;
    }
    return true;
}

bool TMainForm::Close()
{
    if (m_closed)
        return true;
    if (!FormCloseQuery())
        return false;
    FormClose();
    m_closed = true;
    if (OnClosed)
        OnClosed();
    return true;
}

void TMainForm::FormClose()
{
    if (!m_parts.closeManual)
        return;
    QGuiApplication *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (gui)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_parts.closeManual();
    if (gui)
        QGuiApplication::restoreOverrideCursor();
}

void TMainForm::FormDestroy()
{
    callIfSet(m_parts.freeItemCopyStream);
    if (m_dataModuleCreated) {
        m_parts.freeDataModule();
        m_dataModuleCreated = false;
    }
    callIfSet(m_parts.freeWqhyp);
    callIfSet(m_parts.freeManual);
    callIfSet(m_parts.freeAdrsFolderList);
}

// ---- TStartup -----------------------------------------------------------------------

TStartup::TStartup(TStartupParts Parts)
    : m_parts(std::move(Parts))
{
}

int TStartup::Run()
{
    if (m_parts.checkPreviousInstance())
        return 0;
    m_parts.setWindowMarker();
    callIfSet(m_parts.applicationSettings);
    m_parts.makeFolders();

    SearchAreaList.clear();
    m_parts.loadSearchAreas();
    int rc = 0;
    if (SearchAreaList.isEmpty()) {
        m_parts.showMessage(NotInstalledMessage, MB_ICONWARNING);
        rc = 1;
    } else {
        if (m_parts.readViewSplash())
            m_parts.showSplash();
        QEventLoop loop;
        TMainForm mainForm(m_parts);
        mainForm.OnClosed = [&loop] { loop.quit(); };
        mainForm.FormCreate();
        if (!mainForm.Closed())
            loop.exec();
    }
    SearchAreaList.clear();
    m_parts.removeWindowMarker();
    m_parts.releaseLock();
    return rc;
}
