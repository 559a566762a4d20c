#pragma once

#include "links/StationIndex.h"

#include <vector>

// Made-up stations around a made-up centre at 35° N, 139.5° E (thousandths
// of an arc-second). At 35° one kilometre is 32,400 northwards and 39,553
// eastwards.
namespace fixture {

inline constexpr qint32 kCentreLat = 126000000;
inline constexpr qint32 kCentreLon = 502200000;
inline constexpr qint32 kKmNorth = 32400;
inline constexpr qint32 kKmEast = 39553;

inline std::vector<TStation> Stations()
{
    return {
        {kCentreLat + kKmNorth, kCentreLon, QStringLiteral("100001"), QStringLiteral("みどり台"),
         QStringLiteral("ﾐﾄﾞﾘﾀﾞｲ"), 11, {QStringLiteral("架空本線")}},
        {kCentreLat, kCentreLon + 2 * kKmEast, QStringLiteral("100002"), QStringLiteral("さくら町"),
         QStringLiteral("ｻｸﾗﾁｮｳ"), 12, {QStringLiteral("架空本線"), QStringLiteral("空想線")}},
        {kCentreLat - 3 * kKmNorth, kCentreLon, QStringLiteral("100003"), QStringLiteral("あおば"),
         QStringLiteral("ｱｵﾊﾞ"), 13, {QStringLiteral("空想線")}},
        {kCentreLat, kCentreLon - 5 * kKmEast, QStringLiteral("100004"), QStringLiteral("かえで橋"),
         QStringLiteral("ｶｴﾃﾞﾊﾞｼ"), 14, {QStringLiteral("夢見電鉄")}},
        {kCentreLat + 20 * kKmNorth, kCentreLon, QStringLiteral("100005"), QStringLiteral("さくら台"),
         QStringLiteral("ｻｸﾗﾀﾞｲ"), 15, {QStringLiteral("夢見電鉄")}},
        {kCentreLat + 6 * kKmNorth, kCentreLon + 6 * kKmEast, QStringLiteral("100006"), QStringLiteral("わかば"),
         QStringLiteral("ﾜｶﾊﾞ"), 16, {}},
        {kCentreLat + 30 * kKmNorth, kCentreLon, QStringLiteral("100007"), QStringLiteral("いずみ野"),
         QStringLiteral("ｲｽﾞﾐﾉ"), 17, {QStringLiteral("架空本線")}},
    };
}

} // namespace fixture
