#pragma once

#include <QRect>
#include <QString>

#include <array>
#include <cstdint>

// The record handed to every map view or launcher and filled back by it.
// Positions are thousandths of an arc-second in the Tokyo datum; a position
// counts only when both values are above 0 (one degree is 3,600,000).
struct TMapSearchParams
{
    qint32 Mode = 0; // 0 by position, 1 by address (AtlasMate: by telephone)
    qint32 Latitude = 0;
    qint32 Longitude = 0;
    QString Phone;   // digits only
    QString Address; // prefecture and address parts, trimmed, joined
    QString Reserved;
    bool HookExit = false;
    qint32 MapClass = 0;
    qint32 Zoom = 0;
    QRect CallerBounds;
};

// The map program of [COOPERATE] Map. A new program is one more kind here,
// one row of MapProgramNames and MapMissingMessages, and its branch in
// RunMapLink (MapPrograms.h).
enum class TMapProgramKind {
    AtlasMate = 0,
    ProAtlas2002 = 1,
    ProAtlasW = 2,
    AtlasZ = 3,
    QorNavi = 4,
    MapFan = 5,
    MapFanNet = 6,
    MapFanPlanner = 7,
    Mapple = 8,
    GrandMap = 9,
};
inline constexpr int MapProgramCount = 10;

extern const std::array<QString, MapProgramCount> MapProgramNames;
// Shown (information icon, centred on the caller) when the program is missing.
extern const std::array<QString, MapProgramCount> MapMissingMessages;
extern const std::array<QString, 2> RouteProgramNames;

// The hint texts of the record form's map and route buttons.
[[nodiscard]] QString MapButtonHint(int Kind);
[[nodiscard]] QString RouteButtonHint(int Kind);

[[nodiscard]] constexpr bool IsValidPosition(qint32 Latitude, qint32 Longitude)
{
    return Latitude > 0 && Longitude > 0;
}

// What a view's SetSearchParams answers.
enum class TMapFixUp {
    ByPosition = 0,
    ByAddress = 1,
    NothingForPosition = 2,
    NothingForAddress = 3,
    AddressUnsupported = 4,
};

// The common choice between position and address: Mode is changed in place
// when the other one has to stand in. Text is the address (the telephone
// number for AtlasMate). With AddressUnsupported (an old program version) a
// request by address without a position answers 4 instead of 3.
[[nodiscard]] TMapFixUp FixUpMapMode(qint32 &Mode, bool PositionPresent, const QString &Text,
                                     bool AddressUnsupported = false);

// A position split as the map programs take it, in unsigned 32-bit arithmetic.
struct TArcMsParts
{
    quint32 Degrees = 0;
    quint32 Minutes = 0;
    quint32 Seconds = 0;
    quint32 Milliseconds = 0;
};
[[nodiscard]] TArcMsParts ArcMsParts(qint32 Value);
[[nodiscard]] qint32 FromArcMsParts(const TArcMsParts &Parts);

// 1/256 arc-second, the unit of the MapFan programs and the route search:
// the product is formed in 64 bits, the quotient in floating point, rounded
// half away from zero.
[[nodiscard]] qint32 ToMapFanUnits(qint32 Value);
[[nodiscard]] qint32 FromMapFanUnits(qint32 Units);

// ProAtlas W/W2 position text: degrees "/" minutes (two digits) "/" the
// thousandths within the minute (five digits); 0 is the empty text.
[[nodiscard]] QString ProAtlasPositionText(qint32 Value);
// Back from that text; a text without both slashes gives 0.
[[nodiscard]] qint32 ProAtlasPositionValue(const QString &Text);

// One corner line of a copied map: "左上 北緯 : 35度41分22.005秒  東経 : ...".
// Seconds and milliseconds are written as %02d.%03d, so 22 s 5 ms reads
// 22.005 and not 22.5.
[[nodiscard]] QString MapCornerText(const QString &Corner, qint32 Latitude, qint32 Longitude);
