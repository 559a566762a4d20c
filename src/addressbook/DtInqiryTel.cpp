#include "addressbook/DtInqiryTel.h"

#include "platform/Cp932.h"
#include "util/StrFunc.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

QByteArray field(const char *text, std::size_t size)
{
    return QByteArray(text, static_cast<qsizetype>(strnlen(text, size))).trimmed();
}

qint32 thousandths(std::uint32_t value)
{
    // Rounded half away from zero; the value is never negative.
    const std::int64_t scaled = (static_cast<std::int64_t>(value) * 1000 + 128) / 256;
    return static_cast<qint32>(std::min<std::int64_t>(scaled, std::numeric_limits<qint32>::max()));
}

} // namespace

TAddressData AddressFromTelRecord(const TTelRecord &r)
{
    // The form is cleared before a directory record fills it, so what the
    // listing does not give keeps the new records' defaults.
    TAddressData d = NewAddressData();
    const QByteArray phone = field(r.Phone, sizeof r.Phone);
    if (r.PhoneKind != 1)
        d.Tel = phone;
    if (r.PhoneKind == 1 || r.PhoneKind == 2)
        d.Fax = phone;
    d.TelDiv = r.PhoneKind == 3 ? 3 : 0;
    d.PubDate = field(r.FirstMonth, sizeof r.FirstMonth);
    d.Pos = field(r.Postcode, sizeof r.Postcode);
    d.Tdfkn = field(r.Pref, sizeof r.Pref);
    d.Adrs1 = field(r.City, sizeof r.City);
    const QByteArray street = field(r.Address2a, sizeof r.Address2a) + field(r.Address2b, sizeof r.Address2b);
    const QByteArray building = field(r.Address2c, sizeof r.Address2c);
    // The three parts may hold more than 住所２: the building then goes to
    // 住所３, where it fits whole, rather than being cut off unseen.
    if (street.size() + building.size() <= d.Adrs2.MaxBytes) {
        d.Adrs2 = street + building;
    } else {
        d.Adrs2 = street;
        d.Adrs3 = building;
    }
    d.AdrsKana = field(r.PrefKana, sizeof r.PrefKana) + field(r.CityKana, sizeof r.CityKana)
                 + field(r.Address2aKana, sizeof r.Address2aKana) + field(r.Address2bKana, sizeof r.Address2bKana)
                 + field(r.Address2cKana, sizeof r.Address2cKana);
    const QByteArray codes = field(r.Codes, sizeof r.Codes);
    d.JisCode = codes.left(5);
    d.KajoCode = codes.mid(5, 6);
    d.Latitude = thousandths(r.Latitude);
    d.Longitude = thousandths(r.Longitude);
    const QByteArray name = field(r.Name, sizeof r.Name);
    const QByteArray kana = field(r.NameKana, sizeof r.NameKana);
    d.PrivCorp = r.ListingKind == 99;
    if (d.PrivCorp) {
        d.NameKanji = name;
        d.NameKana = kana;
    } else {
        d.CorpKanji = Cp932::encode(CorpKanjiFromTelRecord(r));
        d.CorpKana = kana;
    }
    return d;
}

QString CorpKanjiFromTelRecord(const TTelRecord &r)
{
    if (r.ListingKind == 99)
        return QString();
    const QByteArray name = field(r.Name, sizeof r.Name);
    const QString listed = Cp932::decode(Cp932::truncated(name, CorpKanjiColumnBytes));
    const QString expanded = ExpandCompanyTypeW(listed);
    return Cp932::byteLength(expanded) <= CorpKanjiColumnBytes ? expanded : listed;
}
