#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Our own view of a railway station index, the part of a route program's
// station data the route searches need: the stations nearest a point, the
// lines through a station and the stations whose kana reading begins with a
// prefix. The route programs' own station data is closed; whatever reads it
// implements IStationIndex, and tests use TMemoryStationIndex over a fixture.
//
// Positions are thousandths of an arc-second in the Tokyo datum, as in the
// records; distances are metres.

struct TStation
{
    qint32 Latitude = 0;
    qint32 Longitude = 0;
    QString KickCode; // the code the route program is started with
    QString Name;
    QString Kana;     // half-width katakana, as the route program's keys are
    qint32 Through = 0; // serial number, the key of the station's lines
    QStringList Lines;
};

struct TNearStation
{
    TStation Station;
    qint32 Distance = 0;  // metres from the searched point
    qint32 Direction = 0; // 1 北 .. 8 北西 (StationDirection)
};

class IStationIndex
{
public:
    virtual ~IStationIndex() = default;
    // At most Max stations within RadiusMetres of the point, nearest first.
    [[nodiscard]] virtual std::vector<TNearStation> Nearest(qint32 Latitude, qint32 Longitude, qint32 RadiusMetres,
                                                          int Max) const = 0;
    // The lines through the station with that serial number; nullopt when
    // there is no such station.
    [[nodiscard]] virtual std::optional<QStringList> LinesOf(qint32 Through) const = 0;
    // Stations whose kana reading begins with Prefix, in the index's order
    // (reading, then serial number); none for an empty prefix.
    [[nodiscard]] virtual std::vector<TStation> ByKanaPrefix(const QString &Prefix) const = 0;
};

// An index held in memory, searched by brute force (a few thousand stations
// at most).
class TMemoryStationIndex : public IStationIndex
{
public:
    explicit TMemoryStationIndex(std::vector<TStation> Stations);
    [[nodiscard]] std::vector<TNearStation> Nearest(qint32 Latitude, qint32 Longitude, qint32 RadiusMetres,
                                                  int Max) const override;
    [[nodiscard]] std::optional<QStringList> LinesOf(qint32 Through) const override;
    [[nodiscard]] std::vector<TStation> ByKanaPrefix(const QString &Prefix) const override;

private:
    std::vector<TStation> m_stations;
};

// Metres per thousandth of an arc-second of latitude.
inline constexpr double MetresPerArcMs = 0.03086419753;

// The distance between two points in metres, rounded half away from zero.
// North-south differences count MetresPerArcMs each; east-west ones are
// shortened by the cosine of the mean latitude, as meridians converge
// (without it distances in Japan come out 20 to 25 per cent too long).
[[nodiscard]] qint32 StationDistance(qint32 Latitude1, qint32 Longitude1, qint32 Latitude2, qint32 Longitude2);

// The direction of point 2 seen from point 1: 1 北, 2 北東, 3 東, 4 南東,
// 5 南, 6 南西, 7 西, 8 北西; 0 when both points are the same. The
// differences are signed, so a station to the south reads 南.
[[nodiscard]] int StationDirection(qint32 Latitude1, qint32 Longitude1, qint32 Latitude2, qint32 Longitude2);
// The same rule on the angles themselves: c the angle from north (0-180°),
// s the signed angle east of the north-south line (positive east). A
// boundary angle belongs to the sector before it, so 22.5° is still 北.
[[nodiscard]] int DirectionOfAngles(double CDegrees, double SDegrees);
// "北" .. "北西" for 1-8, empty for any other code.
[[nodiscard]] QString DirectionName(int Direction);
