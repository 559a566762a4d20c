#include "links/RoutePrograms.h"

#include "links/ExpMain.h"
#include "links/MapSearch.h"
#include "util/MsgBoxPos.h"

#include <QFileInfo>

namespace {

QString withDelimiter(const QString &Folder)
{
    if (Folder.isEmpty() || Folder.endsWith(QLatin1Char('/')) || Folder.endsWith(QLatin1Char('\\')))
        return Folder;
    return Folder + QLatin1Char('/');
}

IRoutePrograms *&programsInUse()
{
    static TPlatformRoutePrograms platform;
    static IRoutePrograms *inUse = &platform;
    return inUse;
}

} // namespace

TExpertStationLibrary TPlatformRoutePrograms::OpenExpertStations(const QString &DllFolder, const QString &)
{
    TExpertStationLibrary library;
    library.Code = QFileInfo(withDelimiter(DllFolder) + ExpertLibraryName).isFile() ? LibraryUnloadable
                                                                                   : LibraryMissing;
    return library;
}

std::unique_ptr<IRailServ> TPlatformRoutePrograms::CreateRailServ()
{
    return nullptr;
}

std::unique_ptr<INorikaeAnnai> TPlatformRoutePrograms::CreateNorikaeAnnai()
{
    return nullptr;
}

IRoutePrograms &RoutePrograms()
{
    return *programsInUse();
}

TScopedRoutePrograms::TScopedRoutePrograms(IRoutePrograms &Programs)
    : m_previous(programsInUse())
{
    programsInUse() = &Programs;
}

TScopedRoutePrograms::~TScopedRoutePrograms()
{
    programsInUse() = m_previous;
}

namespace {

void reportLibraryFailure(QWidget *Caller, int Code)
{
    if (Code == LibraryMissing)
        ShowMessageBoxAt(Caller, ExpertMissingMessage, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    else
        ShowMessageBoxAt(Caller, ExpertLibraryLoadMessage, ExpertLibraryLoadCaption, MB_ICONERROR, mbpCenterOnOwner, 0,
                         0);
}

} // namespace

std::unique_ptr<IStationIndex> OpenExpertLibrary(QWidget *Caller, IRoutePrograms &Programs, const QString &DllFolder,
                                                 const QString &DicFolder)
{
    TExpertStationLibrary library = Programs.OpenExpertStations(withDelimiter(DllFolder), DicFolder);
    if (library.Code == LibraryLoaded && library.Index)
        return std::move(library.Index);
    reportLibraryFailure(Caller, library.Code == LibraryLoaded ? LibraryUnloadable : library.Code);
    return nullptr;
}

std::unique_ptr<IRailServ> OpenRailServ(QWidget *Caller, IRoutePrograms &Programs)
{
    std::unique_ptr<IRailServ> server = Programs.CreateRailServ();
    if (server && InitRailServ(*server))
        return server;
    ShowMessageBoxAt(Caller, NorikaeMissingMessage, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    return nullptr;
}

TRouteLinkResult RunRouteLink(TRouteProgramKind Kind, QWidget *Caller, IRoutePrograms &Programs,
                              const QString &ProgramFolder)
{
    if (Kind == TRouteProgramKind::Ekispert) {
        const QString folder = withDelimiter(ProgramFolder);
        const TExpertStationLibrary library = Programs.OpenExpertStations(folder, folder + QStringLiteral("Dic/"));
        if (library.Code == LibraryLoaded && library.Index)
            return TRouteLinkResult::Ready;
        reportLibraryFailure(Caller, library.Code == LibraryLoaded ? LibraryUnloadable : library.Code);
        return library.Code == LibraryMissing ? TRouteLinkResult::Missing : TRouteLinkResult::Failed;
    }
    return OpenRailServ(Caller, Programs) ? TRouteLinkResult::Ready : TRouteLinkResult::Missing;
}

std::pair<qint32, qint32> ExpertPointOf(qint32 Latitude, qint32 Longitude)
{
    if (Latitude != 0 && Longitude > 0)
        return {ToMapFanUnits(Latitude), ToMapFanUnits(Longitude)};
    return {0, 0};
}

TMapLinkResult ShowStationOnMap(TMapProgramKind Kind, qint32 Latitude, qint32 Longitude, QWidget *Caller,
                                IMapPrograms &Programs, const QString &ProgramFolder)
{
    TMapSearchParams params;
    params.Mode = 0;
    params.Latitude = Latitude;
    params.Longitude = Longitude;
    return RunMapLink(Kind, params, Caller, Programs, ProgramFolder, false);
}
