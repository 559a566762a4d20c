#pragma once

#include "links/LinkServices.h"
#include "links/MapSearch.h"

#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QWidget;

// Finding the outside map programs, starting the command-line ones, and the
// one launch protocol every caller (record form, route searches) runs for the
// chosen kind. Everything outside goes through LinkServices(), so a machine
// without these programs (any machine here) finds none of them.

// ---- Detection
// -----------------------------------------------------------------

// AtlasMate 5, then 4 in the machine registry ("exe" not blank), else a
// mounted volume labelled "atlasmate" (any case, blanks around ignored).
// WorkFolder gets the program's or the disc's "dtmp" folder.
[[nodiscard]] bool IsAtlasMateInstalled(QString *WorkFolder = nullptr);
// One of the ProAtlas 2002 keys (Rdw70 down to Rdw30) with a sub-key.
[[nodiscard]] bool IsProAtlasInstalled();
struct TProAtlasWInstall
{
    int Version = 0; // 1 W, 2 W2, 3 W3, 4 SV, 5 SV2
    QString InstallPath;
    QString AppPath;
};
// The newest version whose install folder and program file exist.
[[nodiscard]] bool IsProAtlasWInstalled(TProAtlasWInstall *Install = nullptr);
// A MapFan sub-key whose name reads as a version of 4.0 or later.
[[nodiscard]] bool IsMapFanInstalled();
// These two talk to the programs' own cooperation objects, which exist only
// where those programs are installed; none can be reached here.
[[nodiscard]] bool IsMapFanNetAvailable();
[[nodiscard]] bool IsMapFanPlannerAvailable();
// "MappleKick.exe -I" in the program folder (then "-V" for the version), else
// the version-1 registry key naming a folder that holds Mapple.exe.
[[nodiscard]] bool IsMappleInstalled(int *Version = nullptr);

// ---- Command-line programs
// ---------------------------------------------------------

// The command each launcher starts; nullopt when the program is not installed
// (or, for QorNavi, the mode is neither 0 nor 1).
[[nodiscard]] std::optional<TCommand> AtlasZCommand(const TMapSearchParams &Params);
[[nodiscard]] std::optional<TCommand> QorNaviCommand(const TMapSearchParams &Params);
[[nodiscard]] std::optional<TCommand> GrandMapCommand(const TMapSearchParams &Params);
// Starts the program without waiting; false when it is not installed.
bool ShowAtlasZMap(const TMapSearchParams &Params);
bool ShowQorNaviMap(const TMapSearchParams &Params);
bool ShowGrandMap(const TMapSearchParams &Params);

// The Super Mapple starter (version 2 and later) with the tail for the view's
// fixed-up request: coordinates, the address as one argument, or nothing.
[[nodiscard]] TCommand MappleKickCommand(const QString &ProgramFolder, qint32 Mode, qint32 Latitude, qint32 Longitude,
                                         const QString &Address);

// ---- Views
// -----------------------------------------------------------------------

// What a view keeps of the request after its SetSearchParams.
struct TMapViewRequest
{
    qint32 Mode = 0;
    qint32 Latitude = 0;
    qint32 Longitude = 0;
    QString Text; // the address, or the telephone number for AtlasMate
    qint32 ResultLatitude = 0;
    qint32 ResultLongitude = 0;
};

// SetSearchParams of each view: the kind's own copy of the request and the
// answer. Version is the installed program's version where it matters
// (ProAtlas W 1-5, Super Mapple 1-14), else unused.
[[nodiscard]] TMapFixUp MapViewSetSearchParams(TMapProgramKind Kind, const TMapSearchParams &Params, int Version,
                                               TMapViewRequest &Request);

// ---- What the views decide for themselves
// ----------------------------------------

// ProAtlas 2002: what one map area of the control offers for the request
// (a smaller scale is a more detailed map).
struct TAreaProbe
{
    bool AddressFound = false;
    qint32 AddressScale = 0;
    qint32 AddressLatitude = 0;
    qint32 AddressLongitude = 0;
    bool IncludesPosition = false;
    qint32 PositionScale = 0;
};
struct TAreaChoice
{
    int Area = 0;
    bool Found = false; // else area 0 at its own centre
    qint32 Scale = 0;
    qint32 Latitude = 0;
    qint32 Longitude = 0;
};
// The most detailed area for the address and for the position (on a tie the
// earlier area stays); mode 1 prefers the address, mode 0 the position.
[[nodiscard]] TAreaChoice ChooseProAtlasArea(const std::vector<TAreaProbe> &Areas, qint32 Mode, qint32 Latitude,
                                             qint32 Longitude);

// MapFan IV/V opens at the most detailed of the scales its map offers (bit
// 18 + index of the mask); -1 when it offers none.
[[nodiscard]] int MapFanOpeningScale(quint32 Mask);

// ProAtlas W: versions 1 and 2 hand the position back as text, later ones as
// numbers.
[[nodiscard]] std::pair<qint32, qint32> ProAtlasWResult(int Version, const QString &LatitudeText,
                                                        const QString &LongitudeText, qint32 Latitude,
                                                        qint32 Longitude);

// AtlasMate's map position ("mesh"); empty when all parts are 0.
struct TAtlasMesh
{
    quint16 Word = 0;
    quint8 Byte1 = 0;
    quint8 Byte2 = 0;
    quint32 Long1 = 0;
    quint32 Long2 = 0;
    [[nodiscard]] bool IsEmpty() const { return !Word && !Byte1 && !Byte2 && !Long1 && !Long2; }
    bool operator==(const TAtlasMesh &) const = default;
};
// The mesh in the answer of AtlasMate's telephone look-up: characters 1-4,
// 5-6 and 7-8 hexadecimal, then eight decimal digits at offsets 10 and 18.
[[nodiscard]] TAtlasMesh ParseAtlasPhoneAnswer(const QByteArray &Answer);

// One map view as the launch protocol drives it. A view that is never
// visible takes the caller only as the owner of its messages; a visible one
// centres itself on it.
class IMapView
{
public:
    virtual ~IMapView() = default;
    virtual void SetProgramDir(const QString &Folder) = 0;
    virtual void SetParentWnd(QWidget *Caller) = 0;
    virtual void CenterOnOwner(QWidget *Caller, int HelpContext) = 0;
    [[nodiscard]] virtual TMapFixUp SetSearchParams(const TMapSearchParams &Params) = 0;
    virtual int ShowModal() = 0;
    // Latitude, longitude the user left the map at.
    [[nodiscard]] virtual std::pair<qint32, qint32> GetResult() const = 0;
};

// The programs of this machine: their tests, their views and launchers.
class IMapPrograms
{
public:
    virtual ~IMapPrograms() = default;
    [[nodiscard]] virtual bool IsInstalled(TMapProgramKind Kind) = 0;
    // Null when no view of that kind can be made.
    [[nodiscard]] virtual std::unique_ptr<IMapView> CreateView(TMapProgramKind Kind, QWidget *Caller) = 0;
    // Kinds 3, 4 and 9: false when the program is not installed.
    virtual bool Launch(TMapProgramKind Kind, const TMapSearchParams &Params) = 0;
};

// The real set: the detection and launchers above; the map views themselves
// (ActiveX controls and automation servers of the outside programs) exist
// on no machine this program runs on, so no view is ever made.
class TPlatformMapPrograms : public IMapPrograms
{
public:
    [[nodiscard]] bool IsInstalled(TMapProgramKind Kind) override;
    [[nodiscard]] std::unique_ptr<IMapView> CreateView(TMapProgramKind Kind, QWidget *Caller) override;
    bool Launch(TMapProgramKind Kind, const TMapSearchParams &Params) override;
};

// The set in use (the platform's unless a test put another in place).
[[nodiscard]] IMapPrograms &MapPrograms();
class TScopedMapPrograms
{
public:
    explicit TScopedMapPrograms(IMapPrograms &Programs);
    ~TScopedMapPrograms();
    TScopedMapPrograms(const TScopedMapPrograms &) = delete;
    TScopedMapPrograms &operator=(const TScopedMapPrograms &) = delete;

private:
    IMapPrograms *m_previous;
};

enum class TMapLinkResult {
    Missing,       // the program's message was shown
    NothingToShow, // AtlasMate without position and telephone: asked for the
                   // number
    Shown,         // a view ran (its position, if any, is in Params)
    Started,       // a command-line program was started
};

// The launch protocol: test, create, set up, show, copy the position back
// into Params (kinds 0, 1, 2, 5, 8). CheckNothingToShow: the record form's
// AtlasMate rule (ask for the telephone number instead of an empty map).
TMapLinkResult RunMapLink(TMapProgramKind Kind, TMapSearchParams &Params, QWidget *Caller, IMapPrograms &Programs,
                          const QString &ProgramFolder, bool CheckNothingToShow);
