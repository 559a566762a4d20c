#include "links/MapPrograms.h"

#include "core/Env.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"

#include <QFileInfo>
#include <QWidget>

#include <algorithm>

namespace {

const ILinkRegistry &registry()
{
    return *LinkServices().Registry;
}

QString readTrimmed(TRootKey Root, const QString &Key, const QString &Name)
{
    return registry().ReadString(Root, Key, Name).value_or(QString()).trimmed();
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

QString withDelimiter(const QString &Folder)
{
    if (Folder.isEmpty() || isSeparator(Folder.back()))
        return Folder;
    return Folder + QLatin1Char('/');
}

bool folderExists(const QString &Folder)
{
    return !Folder.isEmpty() && QFileInfo(Folder).isDir();
}

bool fileExists(const QString &File)
{
    return !File.isEmpty() && QFileInfo(File).isFile();
}

// The choice of the atlas Z and GrandMap launchers between position (0) and
// address (1).
qint32 launcherMode(const TMapSearchParams &Params)
{
    const bool zero = Params.Latitude == 0 || Params.Longitude == 0;
    if (Params.Mode == 0 && zero && !Params.Address.isEmpty())
        return 1;
    if (Params.Mode == 1 && Params.Address.isEmpty() && !zero)
        return 0;
    return Params.Mode;
}

TCommand makeCommand(const QString &Program, bool Quoted, const QStringList &Arguments, const QString &WorkDir = {})
{
    return {Program, Arguments, JoinCommandLine(Program, Quoted, Arguments), WorkDir};
}

const QString kAtlasMateKeys[] = {QStringLiteral("SOFTWARE\\SSY\\AtlasMate95\\5.0\\program"),
                                  QStringLiteral("SOFTWARE\\SSY\\AtlasMate95\\4.0\\program")};

struct TProAtlasWVersion
{
    int Version;
    const char *Key;
};
const TProAtlasWVersion kProAtlasWVersions[] = {
    {5, "Alps_Mapping_K.K.\\PROATLASSV"},
    {4, "ALPS\\PROATLASSV"},
    {3, "ALPS\\PROATLASW3"},
    {2, "ALPS\\PROATLASW2"},
    {1, "ALPS\\PROATLAS"},
};

const QString kMappleKey = QStringLiteral("Software\\Super Mapple\\Version 1.0.1R\\Mapple\\App");

} // namespace

// ---- Detection
// -----------------------------------------------------------------

bool IsAtlasMateInstalled(QString *WorkFolder)
{
    for (const QString &key : kAtlasMateKeys) {
        const QString exe = readTrimmed(HKEY_LOCAL_MACHINE, key, QStringLiteral("exe"));
        if (exe.isEmpty())
            continue;
        const qsizetype cut = std::max(exe.lastIndexOf(QLatin1Char('\\')), exe.lastIndexOf(QLatin1Char('/')));
        const QChar separator = cut >= 0 ? exe[cut] : QLatin1Char('/');
        if (WorkFolder)
            *WorkFolder = exe.left(cut + 1) + QStringLiteral("dtmp") + separator;
        return true;
    }
    for (const auto &[root, label] : LinkServices().Volumes->Volumes()) {
        if (label.trimmed().toLower() == QStringLiteral("atlasmate")) {
            if (WorkFolder)
                *WorkFolder = withDelimiter(root) + QStringLiteral("dtmp/");
            return true;
        }
    }
    return false;
}

bool IsProAtlasInstalled()
{
    for (const char *name : {"Rdw70", "Rdw60", "Rdw50", "Rdw40", "Rdw30"}) {
        const QString key = QStringLiteral("SOFTWARE\\ALPS\\") + QLatin1String(name);
        if (registry().KeyExists(HKEY_LOCAL_MACHINE, key) && !registry().SubKeys(HKEY_LOCAL_MACHINE, key).isEmpty())
            return true;
    }
    return false;
}

bool IsProAtlasWInstalled(TProAtlasWInstall *Install)
{
    for (const TProAtlasWVersion &v : kProAtlasWVersions) {
        const QString key = QStringLiteral("SOFTWARE\\") + QLatin1String(v.Key);
        const QString install = readTrimmed(HKEY_LOCAL_MACHINE, key, QStringLiteral("installpath"));
        const QString app = readTrimmed(HKEY_LOCAL_MACHINE, key, QStringLiteral("AppPath"));
        if (folderExists(install) && fileExists(app)) {
            if (Install)
                *Install = {v.Version, withDelimiter(install), app};
            return true;
        }
    }
    return false;
}

bool IsMapFanInstalled()
{
    QStringList names = registry().SubKeys(HKEY_LOCAL_MACHINE,
                                           QStringLiteral("SOFTWARE\\Increment P Corporation\\MapFan"));
    names.sort();
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        bool ok = false;
        const double version = it->trimmed().toDouble(&ok); // always the C locale's point
        if (ok && version >= 4.0)
            return true;
    }
    return false;
}

bool IsMapFanNetAvailable()
{
    return false;
}

bool IsMapFanPlannerAvailable()
{
    return false;
}

bool IsMappleInstalled(int *Version)
{
    const QString kick = withDelimiter(AppPath) + QStringLiteral("MappleKick.exe");
    IProcessRunner &runner = *LinkServices().Processes;
    if (fileExists(kick)) {
        const std::optional<int> installed = runner.Run(makeCommand(kick, false, {QStringLiteral("-I")}, AppPath));
        if (installed == 0) {
            const std::optional<int> code = runner.Run(makeCommand(kick, false, {QStringLiteral("-V")}, AppPath));
            if (Version)
                *Version = int(quint32(code.value_or(0)) / 100u);
            return true;
        }
    }
    if (registry().KeyExists(HKEY_CURRENT_USER, kMappleKey)) {
        QString folder
            = registry().ReadString(HKEY_CURRENT_USER, kMappleKey, QStringLiteral("Path")).value_or(QString());
        if (folderExists(folder))
            folder = withDelimiter(folder);
        if (fileExists(folder + QStringLiteral("Mapple.exe"))) {
            if (Version)
                *Version = 1;
            return true;
        }
    }
    return false;
}

// ---- Command-line programs
// ---------------------------------------------------------

std::optional<TCommand> AtlasZCommand(const TMapSearchParams &Params)
{
    const QString start = readTrimmed(HKEY_CURRENT_USER, QStringLiteral("Software\\Qor\\AtlasZ\\InstallInfo"),
                                      QStringLiteral("Directory"));
    if (start.isEmpty())
        return std::nullopt;
    // The registry value is the start of the command line: a program path,
    // perhaps quoted, perhaps with arguments of its own.
    const QStringList own = CommandLineArguments(start);
    const QStringList added = {QString::number(quint32(Params.Longitude) / 100u),
                               QString::number(quint32(Params.Latitude) / 100u),
                               QStringLiteral("0"),
                               QStringLiteral("0"),
                               QStringLiteral("0"),
                               QStringLiteral("0"),
                               QStringLiteral("2"),
                               QString::number(launcherMode(Params)),
                               Params.Address};
    TCommand command{CommandLineProgram(start), own + added, JoinCommandLine(start, false, added), QString()};
    return command;
}

std::optional<TCommand> QorNaviCommand(const TMapSearchParams &Params)
{
    const QString folder = readTrimmed(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Qor\\QmapNet\\PC"),
                                       QStringLiteral("InstallPath"));
    if (!folderExists(folder))
        return std::nullopt;
    const QString program = withDelimiter(folder) + QStringLiteral("bin/QorNavi.exe");
    if (!fileExists(program))
        return std::nullopt;
    const bool both = Params.Latitude != 0 && Params.Longitude != 0;
    bool byPosition = false;
    if (Params.Mode == 0)
        byPosition = both || Params.Address.isEmpty();
    else if (Params.Mode == 1)
        byPosition = Params.Address.isEmpty() && IsValidPosition(Params.Latitude, Params.Longitude);
    else
        return std::nullopt;
    QStringList arguments;
    if (byPosition) {
        const QString seconds = QString::asprintf("%.2f/%.2f", double(Params.Longitude) / 1000.0,
                                                  double(Params.Latitude) / 1000.0);
        arguments = {QStringLiteral("1"), QStringLiteral("tokyo"), QStringLiteral("second"), seconds,
                     QStringLiteral("g"), QStringLiteral("1"),     QStringLiteral("0")};
    } else {
        arguments = {QStringLiteral("3"), Params.Address, QStringLiteral("g"), QStringLiteral("1"),
                     QStringLiteral("0")};
    }
    return makeCommand(program, true, arguments);
}

std::optional<TCommand> GrandMapCommand(const TMapSearchParams &Params)
{
    const QString key = QStringLiteral("SOFTWARE\\MapNet\\GrandMap");
    if (!registry().KeyExists(HKEY_LOCAL_MACHINE, key))
        return std::nullopt;
    const QString folder = withDelimiter(readTrimmed(HKEY_LOCAL_MACHINE, key, QStringLiteral("Install Directory")));
    const QString program = folder + QStringLiteral("GrandMap.exe");
    auto degrees = [](qint32 v) { return QString::asprintf("%.6f", double(quint32(v)) / 60.0 / 60.0 / 1000.0); };
    QStringList arguments;
    if (launcherMode(Params) == 0)
        arguments = {QStringLiteral("/M"), degrees(Params.Latitude), degrees(Params.Longitude), QStringLiteral("2500")};
    else
        arguments = {QStringLiteral("/A"), Params.Address, QStringLiteral("2500")};
    // GrandMap looks for its data beside itself: it starts in its own folder.
    return makeCommand(program, true, arguments, folder);
}

bool ShowAtlasZMap(const TMapSearchParams &Params)
{
    const std::optional<TCommand> command = AtlasZCommand(Params);
    if (!command)
        return false;
    LinkServices().Processes->Start(*command); // a failed start is not reported
    return true;
}

bool ShowQorNaviMap(const TMapSearchParams &Params)
{
    const std::optional<TCommand> command = QorNaviCommand(Params);
    if (!command)
        return false;
    LinkServices().Processes->Start(*command);
    return true;
}

bool ShowGrandMap(const TMapSearchParams &Params)
{
    const std::optional<TCommand> command = GrandMapCommand(Params);
    if (!command)
        return false;
    LinkServices().Processes->Start(*command);
    return true;
}

TCommand MappleKickCommand(const QString &ProgramFolder, qint32 Mode, qint32 Latitude, qint32 Longitude,
                           const QString &Address)
{
    const bool coordinates = Latitude != 0 && Longitude != 0;
    const QStringList coordinateTail = {QStringLiteral("/LAT=") + QString::number(quint32(Latitude)),
                                        QStringLiteral("/LON=") + QString::number(quint32(Longitude))};
    const QStringList addressTail = {QStringLiteral("/ADDRESS=") + Address};
    QStringList tail;
    if (Mode == 0)
        tail = coordinates ? coordinateTail : (!Address.isEmpty() ? addressTail : QStringList());
    else
        tail = !Address.isEmpty() ? addressTail : (coordinates ? coordinateTail : QStringList());
    return makeCommand(withDelimiter(ProgramFolder) + QStringLiteral("MappleKick.exe"), false, tail, ProgramFolder);
}

// ---- Views
// -----------------------------------------------------------------------

TMapFixUp MapViewSetSearchParams(TMapProgramKind Kind, const TMapSearchParams &Params, int Version,
                                 TMapViewRequest &Request)
{
    Request.Mode = Params.Mode;
    Request.Latitude = Params.Latitude;
    Request.Longitude = Params.Longitude;
    Request.Text = Kind == TMapProgramKind::AtlasMate ? Params.Phone : Params.Address;
    Request.ResultLatitude = Params.Latitude;
    Request.ResultLongitude = Params.Longitude;

    switch (Kind) {
    case TMapProgramKind::ProAtlasW: {
        // Versions 1 and 2 take positions as text; 0 is the empty text, so a
        // position is present when neither value is 0.
        const bool present = Params.Latitude != 0 && Params.Longitude != 0;
        if (Request.Mode == 1 && Version == 1)
            Request.Text.clear();
        return FixUpMapMode(Request.Mode, present, Request.Text, Version == 1);
    }
    case TMapProgramKind::Mapple: {
        const bool present = Params.Latitude != 0 && Params.Longitude != 0;
        if (Request.Mode == 1 && Version < 4)
            Request.Text.clear();
        return FixUpMapMode(Request.Mode, present, Request.Text, Version == 1);
    }
    default:
        return FixUpMapMode(Request.Mode, IsValidPosition(Params.Latitude, Params.Longitude), Request.Text);
    }
}

TAreaChoice ChooseProAtlasArea(const std::vector<TAreaProbe> &Areas, qint32 Mode, qint32 Latitude, qint32 Longitude)
{
    std::optional<TAreaChoice> byAddress;
    std::optional<TAreaChoice> byPosition;
    for (int i = 0; i < int(Areas.size()); ++i) {
        const TAreaProbe &a = Areas[size_t(i)];
        if (a.AddressFound && (!byAddress || a.AddressScale < byAddress->Scale))
            byAddress = TAreaChoice{i, true, a.AddressScale, a.AddressLatitude, a.AddressLongitude};
        if (a.IncludesPosition && (!byPosition || a.PositionScale < byPosition->Scale))
            byPosition = TAreaChoice{i, true, a.PositionScale, Latitude, Longitude};
    }
    const std::optional<TAreaChoice> &first = Mode == 1 ? byAddress : byPosition;
    const std::optional<TAreaChoice> &second = Mode == 1 ? byPosition : byAddress;
    if (first)
        return *first;
    if (second)
        return *second;
    return {};
}

int MapFanOpeningScale(quint32 Mask)
{
    for (int index = 11; index >= 0; --index)
        if (Mask & (0x40000u << index))
            return index;
    return -1;
}

std::pair<qint32, qint32> ProAtlasWResult(int Version, const QString &LatitudeText, const QString &LongitudeText,
                                          qint32 Latitude, qint32 Longitude)
{
    if (Version <= 2)
        return {ProAtlasPositionValue(LatitudeText), ProAtlasPositionValue(LongitudeText)};
    return {Latitude, Longitude};
}

TAtlasMesh ParseAtlasPhoneAnswer(const QByteArray &Answer)
{
    auto field = [&Answer](qsizetype from, qsizetype length, int base) {
        return Answer.mid(from, length).trimmed().toULong(nullptr, base);
    };
    TAtlasMesh mesh;
    mesh.Word = quint16(field(0, 4, 16));
    mesh.Byte1 = quint8(field(4, 2, 16));
    mesh.Byte2 = quint8(field(6, 2, 16));
    mesh.Long1 = quint32(field(10, 8, 10));
    mesh.Long2 = quint32(field(18, 8, 10));
    return mesh;
}

bool TPlatformMapPrograms::IsInstalled(TMapProgramKind Kind)
{
    switch (Kind) {
    case TMapProgramKind::AtlasMate:
        return IsAtlasMateInstalled();
    case TMapProgramKind::ProAtlas2002:
        return IsProAtlasInstalled();
    case TMapProgramKind::ProAtlasW:
        return IsProAtlasWInstalled();
    case TMapProgramKind::MapFan:
        return IsMapFanInstalled();
    case TMapProgramKind::MapFanNet:
        return IsMapFanNetAvailable();
    case TMapProgramKind::MapFanPlanner:
        return IsMapFanPlannerAvailable();
    case TMapProgramKind::Mapple:
        return IsMappleInstalled();
    case TMapProgramKind::AtlasZ:
    case TMapProgramKind::QorNavi:
    case TMapProgramKind::GrandMap:
        return true; // their launchers test for themselves
    }
    return false;
}

std::unique_ptr<IMapView> TPlatformMapPrograms::CreateView(TMapProgramKind, QWidget *)
{
    return nullptr;
}

bool TPlatformMapPrograms::Launch(TMapProgramKind Kind, const TMapSearchParams &Params)
{
    switch (Kind) {
    case TMapProgramKind::AtlasZ:
        return ShowAtlasZMap(Params);
    case TMapProgramKind::QorNavi:
        return ShowQorNaviMap(Params);
    case TMapProgramKind::GrandMap:
        return ShowGrandMap(Params);
    default:
        return false;
    }
}

namespace {

IMapPrograms *&programsInUse()
{
    static TPlatformMapPrograms platform;
    static IMapPrograms *inUse = &platform;
    return inUse;
}

} // namespace

IMapPrograms &MapPrograms()
{
    return *programsInUse();
}

TScopedMapPrograms::TScopedMapPrograms(IMapPrograms &Programs)
    : m_previous(programsInUse())
{
    programsInUse() = &Programs;
}

TScopedMapPrograms::~TScopedMapPrograms()
{
    programsInUse() = m_previous;
}

namespace {

void reportMissing(TMapProgramKind Kind, QWidget *Caller)
{
    ShowMessageBoxAt(Caller, MapMissingMessages[size_t(Kind)], ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner,
                     0, 0);
}

} // namespace

TMapLinkResult RunMapLink(TMapProgramKind Kind, TMapSearchParams &Params, QWidget *Caller, IMapPrograms &Programs,
                          const QString &ProgramFolder, bool CheckNothingToShow)
{
    using K = TMapProgramKind;
    if (Kind == K::AtlasZ || Kind == K::QorNavi || Kind == K::GrandMap) {
        if (Programs.Launch(Kind, Params))
            return TMapLinkResult::Started;
        reportMissing(Kind, Caller);
        return TMapLinkResult::Missing;
    }
    if (!Programs.IsInstalled(Kind)) {
        reportMissing(Kind, Caller);
        return TMapLinkResult::Missing;
    }
    if (Kind == K::ProAtlasW)
        Params.HookExit = true;
    if (Kind == K::Mapple) {
        Params.MapClass = -1;
        Params.Zoom = 300;
        Params.CallerBounds = Caller ? Caller->frameGeometry() : QRect();
    }
    std::unique_ptr<IMapView> view = Programs.CreateView(Kind, Caller);
    if (!view) {
        // Found by its traces, but its map cannot be driven from here.
        reportMissing(Kind, Caller);
        return TMapLinkResult::Missing;
    }
    switch (Kind) {
    case K::AtlasMate:
    case K::ProAtlasW:
        view->SetProgramDir(ProgramFolder);
        view->SetParentWnd(Caller);
        break;
    case K::ProAtlas2002:
    case K::MapFan:
        view->CenterOnOwner(Caller, 49);
        break;
    default:
        view->SetParentWnd(Caller);
        break;
    }
    const TMapFixUp answer = view->SetSearchParams(Params);
    if (Kind == K::AtlasMate && CheckNothingToShow
        && (answer == TMapFixUp::NothingForPosition || answer == TMapFixUp::NothingForAddress)) {
        ShowMessageBoxAt(Caller, QStringLiteral("電話番号を入力してください  "), ProductCaption(), MB_ICONINFORMATION,
                         mbpCenterOnOwner, 0, 0);
        return TMapLinkResult::NothingToShow;
    }
    view->ShowModal();
    if (Kind != K::MapFanNet && Kind != K::MapFanPlanner) {
        const auto [latitude, longitude] = view->GetResult();
        Params.Latitude = latitude;
        Params.Longitude = longitude;
    }
    return TMapLinkResult::Shown;
}
