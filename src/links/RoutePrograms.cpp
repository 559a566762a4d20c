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

TRouteLinkResult RunRouteLink(TRouteProgramKind Kind, QWidget *Caller, IRoutePrograms &Programs,
                              const QString &ProgramFolder)
{
    if (Kind == TRouteProgramKind::Ekispert) {
        const QString folder = withDelimiter(ProgramFolder);
        const TExpertStationLibrary library = Programs.OpenExpertStations(folder, folder + QStringLiteral("Dic/"));
        if (library.Code == LibraryLoaded && library.Index)
            return TRouteLinkResult::Ready;
        if (library.Code == LibraryMissing) {
            ShowMessageBoxAt(Caller, ExpertMissingMessage, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0,
                             0);
            return TRouteLinkResult::Missing;
        }
        ShowMessageBoxAt(Caller, ExpertLibraryLoadMessage, ExpertLibraryLoadCaption, MB_ICONERROR, mbpCenterOnOwner, 0,
                         0);
        return TRouteLinkResult::Failed;
    }
    const std::unique_ptr<IRailServ> server = Programs.CreateRailServ();
    if (server && InitRailServ(*server))
        return TRouteLinkResult::Ready;
    ShowMessageBoxAt(Caller, NorikaeMissingMessage, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    return TRouteLinkResult::Missing;
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
