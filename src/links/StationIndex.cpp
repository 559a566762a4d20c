#include "links/StationIndex.h"

#include "util/SubUnit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kArcMsPerDegree = 3600000.0;

} // namespace

TMemoryStationIndex::TMemoryStationIndex(std::vector<TStation> Stations)
    : m_stations(std::move(Stations))
{
    std::stable_sort(m_stations.begin(), m_stations.end(), [](const TStation &a, const TStation &b) {
        return a.Kana != b.Kana ? a.Kana < b.Kana : a.Through < b.Through;
    });
}

std::vector<TNearStation> TMemoryStationIndex::Nearest(qint32 Latitude, qint32 Longitude, qint32 RadiusMetres,
                                                       int Max) const
{
    std::vector<TNearStation> found;
    for (const TStation &s : m_stations) {
        const qint32 distance = StationDistance(Latitude, Longitude, s.Latitude, s.Longitude);
        if (distance <= RadiusMetres)
            found.push_back({s, distance, StationDirection(Latitude, Longitude, s.Latitude, s.Longitude)});
    }
    std::stable_sort(found.begin(), found.end(), [](const TNearStation &a, const TNearStation &b) {
        return a.Distance != b.Distance ? a.Distance < b.Distance : a.Station.Through < b.Station.Through;
    });
    if (Max >= 0 && found.size() > size_t(Max))
        found.resize(size_t(Max));
    return found;
}

std::optional<QStringList> TMemoryStationIndex::LinesOf(qint32 Through) const
{
    for (const TStation &s : m_stations)
        if (s.Through == Through)
            return s.Lines;
    return std::nullopt;
}

std::vector<TStation> TMemoryStationIndex::ByKanaPrefix(const QString &Prefix) const
{
    std::vector<TStation> found;
    if (Prefix.isEmpty())
        return found;
    for (const TStation &s : m_stations)
        if (s.Kana.startsWith(Prefix))
            found.push_back(s);
    return found;
}

qint32 StationDistance(qint32 Latitude1, qint32 Longitude1, qint32 Latitude2, qint32 Longitude2)
{
    const double meanLatitude = (double(Latitude1) + double(Latitude2)) / 2.0 / kArcMsPerDegree;
    const double north = (double(Latitude2) - double(Latitude1)) * MetresPerArcMs;
    const double east = (double(Longitude2) - double(Longitude1)) * MetresPerArcMs
                        * std::cos(meanLatitude * std::numbers::pi / 180.0);
    return qint32(RoundHalfAway(std::sqrt(north * north + east * east)));
}

int DirectionOfAngles(double CDegrees, double SDegrees)
{
    const bool east = SDegrees > 0;
    if (CDegrees >= 0 && CDegrees <= 22.5)
        return 1;
    if (CDegrees > 22.5 && CDegrees <= 67.5)
        return east ? 2 : 8;
    if (CDegrees > 67.5 && CDegrees <= 112.5)
        return east ? 3 : 7;
    if (CDegrees > 112.5 && CDegrees <= 157.5)
        return east ? 4 : 6;
    if (CDegrees > 157.5 && CDegrees <= 180)
        return 5;
    return 0;
}

int StationDirection(qint32 Latitude1, qint32 Longitude1, qint32 Latitude2, qint32 Longitude2)
{
    // Signed differences: taken as unsigned, a station a little to the south
    // wrapped round to a huge northward difference.
    const double d0 = double(Latitude2) - double(Latitude1);
    const double d1 = double(Longitude2) - double(Longitude1);
    const double r = std::sqrt(d0 * d0 + d1 * d1);
    if (r == 0)
        return 0;
    const double toDegrees = 180.0 / std::numbers::pi;
    const double s = std::asin(std::clamp(d1 / r, -1.0, 1.0)) * toDegrees;
    const double c = std::acos(std::clamp(d0 / r, -1.0, 1.0)) * toDegrees;
    return DirectionOfAngles(c, s);
}

QString DirectionName(int Direction)
{
    static const char16_t *const names[] = {u"北", u"北東", u"東", u"南東", u"南", u"南西", u"西", u"北西"};
    if (Direction < 1 || Direction > 8)
        return {};
    return QString::fromUtf16(names[Direction - 1]);
}
