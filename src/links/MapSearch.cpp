#include "links/MapSearch.h"

#include "util/SubUnit.h"

#include <QStringList>

const std::array<QString, MapProgramCount> MapProgramNames = {
    QStringLiteral("AtlasMate4/5"),
    QStringLiteral("プロアトラス2002"),
    QStringLiteral("プロアトラスＷ～Ｗ３/SV～SV7"),
    QStringLiteral("電子アトラスＺⅡ～５"),
    QStringLiteral("QorNAVI"),
    QStringLiteral("MapFanⅣ/Ⅴ"),
    QStringLiteral("MapFan.net"),
    QStringLiteral("MapFan PLANNER1/2"),
    QStringLiteral("スーパーマップル・デジタル Ver.1～14"),
    QStringLiteral("グランマップ東京都全域版"),
};

const std::array<QString, MapProgramCount> MapMissingMessages = {
    QStringLiteral("AtlasMate4/5のどちらのCD-ROMも見つかりません  "),
    QStringLiteral("プロアトラス2002がインストールされていません  "),
    QStringLiteral("プロアトラスＷ～Ｗ３/SV～SV7のいずれもインストールされていません  "),
    QStringLiteral("電子アトラスＺⅡ～５のいずれもインストールされていません  "),
    QStringLiteral("QorNAVIがインストールされていません  "),
    QStringLiteral("MapFanⅣ/Ⅴのどちらもインストールされていません  "),
    QStringLiteral("MapFan.netがインストールされていません  "),
    QStringLiteral("MapFan PLANNER1/2がインストールされていません  "),
    QStringLiteral("スーパーマップル・デジタル "
                   "Ver.1～14のいずれもインストールされていません  "),
    QStringLiteral("グランマップがインストールされていません  "),
};

const std::array<QString, 2> RouteProgramNames = {
    QStringLiteral("駅すぱあと"),
    QStringLiteral("乗換案内"),
};

QString MapButtonHint(int Kind)
{
    const int k = (Kind >= 0 && Kind < MapProgramCount) ? Kind : 2;
    return QStringLiteral("地図表示\r\n") + MapProgramNames[size_t(k)];
}

QString RouteButtonHint(int Kind)
{
    const int k = (Kind == 1) ? 1 : 0;
    return QStringLiteral("路線検索\r\n") + RouteProgramNames[size_t(k)];
}

TMapFixUp FixUpMapMode(qint32 &Mode, bool PositionPresent, const QString &Text, bool AddressUnsupported)
{
    if (Mode == 0) {
        if (PositionPresent)
            return TMapFixUp::ByPosition;
        if (!Text.isEmpty()) {
            Mode = 1;
            return TMapFixUp::ByAddress;
        }
        return TMapFixUp::NothingForPosition;
    }
    if (!Text.isEmpty())
        return TMapFixUp::ByAddress;
    if (PositionPresent) {
        Mode = 0;
        return TMapFixUp::ByPosition;
    }
    return AddressUnsupported ? TMapFixUp::AddressUnsupported : TMapFixUp::NothingForAddress;
}

TArcMsParts ArcMsParts(qint32 Value)
{
    const auto v = quint32(Value);
    return {v / 3600000u, (v % 3600000u) / 60000u, (v % 60000u) / 1000u, v % 1000u};
}

qint32 FromArcMsParts(const TArcMsParts &Parts)
{
    return qint32(Parts.Degrees * 3600000u + Parts.Minutes * 60000u + Parts.Seconds * 1000u + Parts.Milliseconds);
}

qint32 ToMapFanUnits(qint32 Value)
{
    return qint32(RoundHalfAway(static_cast<long double>(qint64(Value) * 256) / 1000.0L));
}

qint32 FromMapFanUnits(qint32 Units)
{
    return qint32(RoundHalfAway(static_cast<long double>(qint64(Units) * 1000) / 256.0L));
}

QString ProAtlasPositionText(qint32 Value)
{
    if (Value == 0)
        return {};
    const auto v = quint32(Value);
    return QString::asprintf("%u/%.2u/%.5u", v / 3600000u, (v % 3600000u) / 60000u, v % 60000u);
}

qint32 ProAtlasPositionValue(const QString &Text)
{
    const QStringList parts = Text.split(QLatin1Char('/'));
    if (parts.size() < 3)
        return 0;
    const qint64 a = parts[0].trimmed().toLongLong();
    const qint64 b = parts[1].trimmed().toLongLong();
    const qint64 c = parts[2].trimmed().toLongLong();
    return qint32(60000 * (a * 60 + b) + c);
}

namespace {

QString angleText(qint32 Value)
{
    const TArcMsParts p = ArcMsParts(Value);
    return QString::asprintf("%u度%02u分%02u.%03u秒", p.Degrees, p.Minutes, p.Seconds, p.Milliseconds);
}

} // namespace

QString MapCornerText(const QString &Corner, qint32 Latitude, qint32 Longitude)
{
    return Corner + QStringLiteral(" 北緯 : ") + angleText(Latitude) + QStringLiteral("  東経 : ")
           + angleText(Longitude) + QStringLiteral("\r\n");
}
