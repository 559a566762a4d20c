#pragma once

#include "links/MapPrograms.h"
#include "links/NoriMain.h"
#include "links/StationIndex.h"

#include <QString>

#include <memory>

class QWidget;

// Finding the two outside route programs and opening the chosen one from a
// record: Ekispert through its station library in the program folder,
// Norikae Annai through its automation servers. IRoutePrograms is the seam:
// tests put fakes in its place, the platform's set finds what this machine
// has (the programs are Windows programs, so it finds none).

enum class TRouteProgramKind {
    Ekispert = 0,
    Norikae = 1,
};

// The station library as it loads: the code of the library convention (0
// loaded, 100 the file is missing, 101 it cannot be loaded) and the index.
struct TExpertStationLibrary
{
    int Code = 100;
    std::unique_ptr<IStationIndex> Index;
};
inline constexpr int LibraryLoaded = 0;
inline constexpr int LibraryMissing = 100;
inline constexpr int LibraryUnloadable = 101;

class IRoutePrograms
{
public:
    virtual ~IRoutePrograms() = default;
    // The library in DllFolder, its data in DicFolder.
    [[nodiscard]] virtual TExpertStationLibrary OpenExpertStations(const QString &DllFolder,
                                                                   const QString &DicFolder) = 0;
    // Null when the server is not registered.
    [[nodiscard]] virtual std::unique_ptr<IRailServ> CreateRailServ() = 0;
    [[nodiscard]] virtual std::unique_ptr<INorikaeAnnai> CreateNorikaeAnnai() = 0;
};

// The real set: Wqstinf.dll is a Windows library, so one that is present
// cannot be loaded (101) and a missing one is 100; the automation servers
// exist on no machine this program runs on.
class TPlatformRoutePrograms : public IRoutePrograms
{
public:
    [[nodiscard]] TExpertStationLibrary OpenExpertStations(const QString &DllFolder, const QString &DicFolder) override;
    [[nodiscard]] std::unique_ptr<IRailServ> CreateRailServ() override;
    [[nodiscard]] std::unique_ptr<INorikaeAnnai> CreateNorikaeAnnai() override;
};

[[nodiscard]] IRoutePrograms &RoutePrograms();
class TScopedRoutePrograms
{
public:
    explicit TScopedRoutePrograms(IRoutePrograms &Programs);
    ~TScopedRoutePrograms();
    TScopedRoutePrograms(const TScopedRoutePrograms &) = delete;
    TScopedRoutePrograms &operator=(const TScopedRoutePrograms &) = delete;

private:
    IRoutePrograms *m_previous;
};

// The messages of a missing or broken route program.
inline const QString ExpertMissingMessage = QStringLiteral("駅すぱあとがインストールされていません  ");
inline const QString ExpertLibraryLoadMessage = QStringLiteral("Wqstinf.dll\r\nDLLのロードに失敗しました");
inline const QString ExpertLibraryLoadCaption = QStringLiteral("Wqstinf.dll LoadLibrary Error");
inline const QString NorikaeMissingMessage = QStringLiteral("乗換案内がインストールされていません  ");

enum class TRouteLinkResult {
    Missing, // the program's message was shown
    Failed,  // it is there but its library would not load (message shown)
    Ready,   // the program answered; its front end may open
};

// The Ekispert station library of the program in DllFolder for its front
// end; nullptr after the message of a missing or broken library on Caller.
[[nodiscard]] std::unique_ptr<IStationIndex> OpenExpertLibrary(QWidget *Caller, IRoutePrograms &Programs,
                                                               const QString &DllFolder, const QString &DicFolder);
// The Norikae Annai rail server when the program answers with its data
// path; nullptr after the message that it is not installed.
[[nodiscard]] std::unique_ptr<IRailServ> OpenRailServ(QWidget *Caller, IRoutePrograms &Programs);

// What the record form's route button does before the front end opens: the
// program of Kind is looked for and, when missing or broken, reported on
// Caller. Latitude and Longitude are the record's (thousandths of an
// arc-second); the Ekispert front end takes them in its own unit.
TRouteLinkResult RunRouteLink(TRouteProgramKind Kind, QWidget *Caller, IRoutePrograms &Programs,
                              const QString &ProgramFolder);

// The point the Ekispert front end searches from: the record's position in
// 1/256 arc-second when its latitude is not 0 and its longitude above 0,
// else (0, 0).
[[nodiscard]] std::pair<qint32, qint32> ExpertPointOf(qint32 Latitude, qint32 Longitude);

// The map button of both front ends: the station's position (thousandths of
// an arc-second; the Ekispert front end converts its own unit back first) is
// shown by position in the map program of Kind through the common launch
// protocol; nothing is taken back.
TMapLinkResult ShowStationOnMap(TMapProgramKind Kind, qint32 Latitude, qint32 Longitude, QWidget *Caller,
                                IMapPrograms &Programs, const QString &ProgramFolder);
