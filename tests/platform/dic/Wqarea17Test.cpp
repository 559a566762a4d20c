#include "DicFixture.h"
#include "platform/dic/wqarea17/WqareaSchema.h"

#include <QDir>

#include <sqlcipher/sqlite3.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

// libwqarea17.so as the program loads it, over a made-up directory: 6
// listings in 千代田区 (13101), 45 in 中央区 (13102), 3 in 横浜市鶴見区 (14101)
// and 2500 unnamed ones in 大阪市北区 (27127) to drive the progress callback.

namespace {

std::string sj(const char16_t *text)
{
    return Cp932::encode(QStringView(text)).toStdString();
}

struct Row { int key; const char *phone; int phoneKind; const char16_t *name; const char *cityCode; const char *townCode;
             int listingKind; int form; const char *month; };

const Row kRows[] = {
    {101, "0311110001", 0, u"山田架空太郎", "13101", "001001", 99, 0, "201501"},
    {102, "0311110002", 3, u"架空商事株式会社", "13101", "001002", 1, 1, "201803"},
    {103, "0311110003", 1, u"架空商事", "13101", "002001", 1, 1, "201803"},
    {104, "0311110004", 2, u"試験山田", "13101", "002005", 99, 0, "202206"},
    {105, "0311110005", 0, u"有限会社ダミー山田", "13101", "003001", 1, 2, "199912"},
    {109, "0311110009", 0, u"アイ商店", "13101", "004001", 1, 0, "201201"}, // ア = 83 41: a trail byte 'A'
    {106, "0451110006", 0, u"山田架空花子", "14101", "001001", 99, 0, "201001"},
    {107, "0451110007", 0, u"架空運輸株式会社", "14101", "001002", 1, 1, "202301"},
    {108, "0451110007", 1, u"架空運輸株式会社", "14101", "001002", 1, 1, "202301"},
};

const char16_t *prefOf(const std::string &city)
{
    return city.starts_with("13") ? u"東京都" : city.starts_with("14") ? u"神奈川県" : u"大阪府";
}

const char16_t *cityOf(const std::string &city)
{
    return city == "13101" ? u"千代田区" : city == "13102" ? u"中央区" : city == "14101" ? u"横浜市鶴見区" : u"大阪市北区";
}

// The first data format: no name head, no name indexes, no meta table.
constexpr const char *kFormat1Sql = R"sql(
CREATE TABLE listing(key INTEGER PRIMARY KEY, phone TEXT, phone_kind INTEGER, name BLOB, name_kana BLOB,
                     postcode TEXT, pref BLOB, city BLOB, address2a BLOB, address2b BLOB, address2c BLOB,
                     pref_kana BLOB, city_kana BLOB, address2a_kana BLOB, address2b_kana BLOB,
                     address2c_kana BLOB, city_code TEXT, town_code TEXT, listing_kind INTEGER,
                     corporate_form INTEGER, first_month TEXT, latitude INTEGER, longitude INTEGER);
CREATE INDEX listing_pref ON listing(substr(city_code, 1, 2));
CREATE INDEX listing_city ON listing(city_code);
CREATE INDEX listing_oaza ON listing(city_code, substr(town_code, 1, 3));
CREATE INDEX listing_phone ON listing(phone);
)sql";

// The data in format 1, or in the format of this build with its meta row
// saying formatMark (the reader's own version unless a test says otherwise).
void writeData(const std::string &path, int format, const char *formatMark = nullptr)
{
    const bool current = format != 1;
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, current ? WqareaSchemaSql : "", nullptr, nullptr, nullptr), SQLITE_OK);
    if (current) {
        const std::string mark = formatMark ? formatMark : std::to_string(WqareaSchemaVersion);
        ASSERT_EQ(sqlite3_exec(db, ("INSERT INTO meta VALUES('format', '" + mark + "')").c_str(), nullptr, nullptr,
                               nullptr),
                  SQLITE_OK);
    }
    ASSERT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    if (!current) {
        ASSERT_EQ(sqlite3_exec(db, kFormat1Sql, nullptr, nullptr, nullptr), SQLITE_OK);
    }
    sqlite3_stmt *insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 current ? "INSERT INTO listing VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
                                           "?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24)"
                                         : "INSERT INTO listing VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
                                           "?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23)",
                                 -1, &insert, nullptr),
              SQLITE_OK);
    auto blob = [&](int column, const std::string &bytes) {
        sqlite3_bind_blob(insert, column, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    };
    auto add = [&](const Row &r, const std::string &name) {
        sqlite3_reset(insert);
        sqlite3_bind_int(insert, 1, r.key);
        sqlite3_bind_text(insert, 2, r.phone, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, r.phoneKind);
        blob(4, name);
        blob(5, sj(u"ｶｸｳ"));
        sqlite3_bind_text(insert, 6, "1000001", -1, SQLITE_STATIC);
        blob(7, sj(prefOf(r.cityCode)));
        blob(8, sj(cityOf(r.cityCode)));
        blob(9, sj(u"千代田"));
        blob(10, sj(u"１丁目２－３"));
        // 120 bytes: the joined address overflows a hit's 106-byte field.
        blob(11, sj(u"架空ビルディング第一号館の十階にある仮の会議室の奥の部屋の窓際の席の右側の机の引き出しの中の小箱の底の手紙"));
        blob(12, sj(u"ﾄｳｷｮｳﾄ"));
        blob(13, sj(u"ﾁﾖﾀﾞｸ"));
        blob(14, sj(u"ﾁﾖﾀﾞ"));
        blob(15, std::string());
        blob(16, std::string());
        sqlite3_bind_text(insert, 17, r.cityCode, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 18, r.townCode, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 19, r.listingKind);
        sqlite3_bind_int(insert, 20, r.form);
        sqlite3_bind_text(insert, 21, r.month, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 22, 35 * 3600 * 256 + 1);
        sqlite3_bind_int64(insert, 23, 139 * 3600 * 256 + 2);
        if (current) {
            blob(24, WqareaNameHeadOf(name));
        }
        ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
    };
    for (const Row &r : kRows)
        add(r, sj(r.name));
    for (int i = 1; i <= 45; ++i)
        add(Row{i, "0322220000", 0, nullptr, "13102", "001001", 99, 0, "202001"}, sj(u"見本一郎") + std::to_string(i));
    for (int i = 0; i < 2500; ++i)
        add(Row{1000 + i, "0666660000", 0, nullptr, "27127", "001001", 1, 0, "202001"}, sj(u"見本"));
    sqlite3_finalize(insert);
    ASSERT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    if (current) {
        ASSERT_EQ(sqlite3_exec(db, WqareaIndexSql, nullptr, nullptr, nullptr), SQLITE_OK);
    }
    sqlite3_close(db);
}

struct Api { Twqarea_tel tel; Twqarea_tel_one telOne; Twqarea_area area; Twqarea_area_count count;
             Twqarea_area_fax areaFax; Twqarea_area_count_fax countFax; Tpup_tel_mask mask; };

int callbackCalls = 0;
int callbackStopAt = 0; // the call (1-based) that answers 0; 0 never
int countingCallback(std::int32_t, std::int32_t)
{
    ++callbackCalls;
    return callbackCalls == callbackStopAt ? 0 : -1;
}

class Wqarea17Test : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<QTemporaryDir>();
        s_folder = s_dir->path().toStdString() + "/";
        writeData(s_folder + WqareaDataFileName, WqareaSchemaVersion);
        s_format1Folder = s_folder + "format1/";
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(s_format1Folder)));
        writeData(s_format1Folder + WqareaDataFileName, 1);
        s_library = std::make_unique<TDicLibrary>("wqarea17");
        TDicLibrary &l = *s_library;
        s_api = {l.fn<Twqarea_tel>("wqarea_tel"), l.fn<Twqarea_tel_one>("wqarea_tel_one"),
                 l.fn<Twqarea_area>("wqarea_area"), l.fn<Twqarea_area_count>("wqarea_area_count"),
                 l.fn<Twqarea_area_fax>("wqarea_area_fax"), l.fn<Twqarea_area_count_fax>("wqarea_area_count_fax"),
                 l.fn<Tpup_tel_mask>("pup_tel_mask")};
    }
    static void TearDownTestSuite()
    {
        s_library.reset();
        s_dir.reset();
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_api.tel && s_api.telOne && s_api.area && s_api.count && s_api.areaFax && s_api.countFax
                    && s_api.mask);
        callbackCalls = 0;
        callbackStopAt = 0;
    }

    static TAreaSearchCondition condition(const char *key, const char16_t *name = u"", int matchKind = 0)
    {
        TAreaSearchCondition c{};
        std::strcpy(c.Name, sj(name).c_str());
        std::strcpy(c.AddressKey, key);
        c.Category = 2;
        c.PhoneKinds = 15;
        c.Always1 = 1;
        c.MatchKind = matchKind;
        c.BlockSize = 200;
        std::strcpy(c.DataFolder, s_folder.c_str());
        return c;
    }
    static TAreaSearchPosition freshPosition()
    {
        TAreaSearchPosition p{};
        p.Words[9] = -1;
        p.EndFlag = -1;
        return p;
    }
    static TTelSearchCondition request(const char *phone)
    {
        TTelSearchCondition r{};
        std::strcpy(r.Phone, phone);
        r.Always1 = 1;
        std::strcpy(r.DataFolder, s_folder.c_str());
        return r;
    }
    // The record keys of one call with room for 200 hits.
    static std::vector<int> keysOf(TAreaSearchCondition c, int &code, bool fax = false)
    {
        std::vector<TAreaSearchHit> hits(200);
        std::int32_t count = -1;
        TAreaSearchPosition position = freshPosition();
        code = (fax ? s_api.areaFax : s_api.area)(&c, hits.data(), &count, &position, 10000, countingCallback);
        std::vector<int> keys;
        for (int i = 0; i < count; ++i)
            keys.push_back(hits[i].RecordKey);
        return keys;
    }

    static inline std::unique_ptr<QTemporaryDir> s_dir;
    static inline std::string s_folder;
    static inline std::string s_format1Folder;
    static inline std::unique_ptr<TDicLibrary> s_library;
    static inline Api s_api;
};

// ---- what a condition selects --------------------------------------------

struct SelectCase { const char *label; const char *key; const char16_t *name; int matchKind; int category; int kinds;
                    const char *from; const char *to; int form; bool fax; std::vector<int> keys; };
void PrintTo(const SelectCase &c, std::ostream *os) { *os << c.label; }
class Wqarea17SelectTest : public Wqarea17Test, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(Wqarea17SelectTest, returnsTheMatchingListingsInKeyOrder)
{
    const SelectCase &p = GetParam();
    TAreaSearchCondition c = condition(p.key, p.name, p.matchKind);
    c.Category = p.category;
    c.PhoneKinds = p.kinds;
    std::strcpy(c.MonthFrom, p.from);
    std::strcpy(c.MonthTo, p.to);
    c.CorporateForm = p.form;
    // Data of the first format (no name index) gives the same answers.
    for (const std::string &folder : {s_folder, s_format1Folder}) {
        std::strcpy(c.DataFolder, folder.c_str());
        int code = -1;
        EXPECT_EQ(keysOf(c, code, p.fax), p.keys) << folder;
        EXPECT_EQ(code, p.keys.empty() ? 1 : 0) << folder;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Wqarea17SelectTest,
    ::testing::Values(
        SelectCase{"prefix", "13101", u"山田", 0, 2, 15, "", "", 0, false, {101}},
        SelectCase{"prefixOneCharacter", "13101", u"架", 0, 2, 15, "", "", 0, false, {102, 103}},
        SelectCase{"prefixLongerThanTheHead", "13101", u"架空商事株", 0, 2, 15, "", "", 0, false, {102}},
        SelectCase{"prefixWithinAPrefecture", "14", u"架空運輸", 0, 2, 15, "", "", 0, false, {107, 108}},
        SelectCase{"prefixWithinAnOaza", "13101002", u"試験", 0, 2, 15, "", "", 0, false, {104}},
        SelectCase{"exactOneCharacterIsNoPrefix", "13101", u"架", 3, 2, 15, "", "", 0, false, {}},
        SelectCase{"prefixWithATrailByteLetter", "13101", u"アイ", 0, 2, 15, "", "", 0, false, {109}},
        SelectCase{"contains", "13101", u"山田", 1, 2, 15, "", "", 0, false, {101, 104, 105}},
        SelectCase{"suffix", "13101", u"山田", 2, 2, 15, "", "", 0, false, {104, 105}},
        SelectCase{"exact", "13101", u"架空商事", 3, 2, 15, "", "", 0, false, {103}},
        SelectCase{"wideSpaceIgnored", "13101", u"山田　架空", 0, 2, 15, "", "", 0, false, {101}},
        SelectCase{"trailByteIsNoCharacter", "13101", u"A", 1, 2, 15, "", "", 0, false, {}},
        SelectCase{"emptyNameAll", "13101", u"", 0, 2, 15, "", "", 0, false, {101, 102, 103, 104, 105, 109}},
        SelectCase{"prefecture", "14", u"", 0, 2, 15, "", "", 0, false, {106, 107, 108}},
        SelectCase{"oaza", "13101001", u"", 0, 2, 15, "", "", 0, false, {101, 102}},
        SelectCase{"unknownCity", "13199", u"", 0, 2, 15, "", "", 0, false, {}},
        SelectCase{"persons", "13101", u"", 0, 0, 15, "", "", 0, false, {101, 104}},
        SelectCase{"companies", "13101", u"", 0, 1, 15, "", "", 0, false, {102, 103, 105, 109}},
        SelectCase{"fax", "13101", u"", 0, 2, 2, "", "", 0, false, {103}},
        SelectCase{"phoneAndFax", "13101", u"", 0, 2, 4, "", "", 0, false, {104}},
        SelectCase{"mainNumber", "13101", u"", 0, 2, 8, "", "", 0, false, {102}},
        SelectCase{"faxEntryAllKinds", "13101", u"", 0, 2, 15, "", "", 0, true, {103, 104}},
        SelectCase{"faxEntryOrdinaryOnly", "13101", u"", 0, 2, 1, "", "", 0, true, {}},
        SelectCase{"oneMonth", "13101", u"", 0, 2, 15, "201803", "201803", 0, false, {102, 103}},
        SelectCase{"toMonth", "13101", u"", 0, 2, 15, "", "199912", 0, false, {105}},
        SelectCase{"kabushiki", "13101", u"", 0, 1, 15, "", "", 1, false, {102, 103}}));

// ---- pages, limit, callback, count ----------------------------------------

TEST_F(Wqarea17Test, pagesOfTwentyOverFortyFiveHitsEndOnlyOnTheLast)
{
    TAreaSearchCondition c = condition("13102");
    c.BlockSize = 20;
    TAreaSearchPosition position = freshPosition();
    std::vector<TAreaSearchHit> hits(20);
    int next = 1;
    for (const int expected : {20, 20, 5}) {
        std::int32_t count = -1;
        ASSERT_EQ(s_api.area(&c, hits.data(), &count, &position, 10000, countingCallback), 0);
        ASSERT_EQ(count, expected);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(hits[i].RecordKey, next++);
        EXPECT_EQ(position.EndFlag != 0, expected == 5);
        c.Continue = 1;
    }
    std::int32_t count = -1;
    EXPECT_EQ(s_api.area(&c, hits.data(), &count, &position, 10000, countingCallback), 1);
    EXPECT_EQ(count, 0);
    EXPECT_NE(position.EndFlag, 0);
}

TEST_F(Wqarea17Test, limitEndsTheConditionAfterThatManyHits)
{
    TAreaSearchCondition c = condition("13102");
    c.BlockSize = 20;
    TAreaSearchPosition position = freshPosition();
    std::vector<TAreaSearchHit> hits(20);
    std::int32_t count = -1;
    ASSERT_EQ(s_api.area(&c, hits.data(), &count, &position, 30, nullptr), 0);
    EXPECT_EQ(position.EndFlag, 0);
    c.Continue = 1;
    ASSERT_EQ(s_api.area(&c, hits.data(), &count, &position, 30, nullptr), 0);
    EXPECT_EQ(count, 10);
    EXPECT_NE(position.EndFlag, 0);
}

TEST_F(Wqarea17Test, hitCarriesNumberKindNameAndAddressCutOnACharacter)
{
    TAreaSearchCondition c = condition("13101", u"架空商事株式会社", 3);
    std::vector<TAreaSearchHit> hits(1);
    std::int32_t count = 0;
    TAreaSearchPosition position = freshPosition();
    c.BlockSize = 1;
    ASSERT_EQ(s_api.area(&c, hits.data(), &count, &position, 10000, nullptr), 0);
    ASSERT_EQ(count, 1);
    const TAreaSearchHit &hit = hits[0];
    EXPECT_STREQ(hit.Phone, "0311110002");
    EXPECT_EQ(hit.PhoneKind, 3);
    EXPECT_EQ(hit.RecordKey, 102);
    EXPECT_EQ(std::string(hit.Name), sj(u"架空商事株式会社"));
    EXPECT_STREQ(hit.FirstMonth, "201803");
    const std::string address(hit.Address, strnlen(hit.Address, sizeof hit.Address));
    EXPECT_EQ(address.size(), 104u) << "105 bytes would split a character";
    EXPECT_TRUE(address.starts_with(sj(u"東京都千代田区千代田１丁目２－３架空")));
    EXPECT_FALSE(Cp932::decode(QByteArray::fromStdString(address)).contains(QChar(0xFFFD)));
}

TEST_F(Wqarea17Test, callbackAnsweringZeroStopsWithHundred)
{
    callbackStopAt = 1;
    int code = -1;
    EXPECT_TRUE(keysOf(condition("13101"), code).empty());
    EXPECT_EQ(code, 100);
}

TEST_F(Wqarea17Test, callbackIsAskedEveryThousandListingsRead)
{
    // A suffix cannot use the name index: 2500 listings read, none matching,
    // asked at the start, after 1000 and 2000.
    int code = -1;
    EXPECT_TRUE(keysOf(condition("27127", u"該当なし", 2), code).empty());
    EXPECT_EQ(code, 1);
    EXPECT_EQ(callbackCalls, 3);

    callbackCalls = 0;
    callbackStopAt = 2;
    std::int32_t count = -1;
    TAreaSearchCondition c = condition("27127", u"該当なし", 2);
    EXPECT_EQ(s_api.count(&c, &count, 10000, countingCallback), 100);
    EXPECT_EQ(count, 0);
}

struct IndexCase { const char *label; const char16_t *name; int matchKind; int hits; int callbacks; };
void PrintTo(const IndexCase &c, std::ostream *os) { *os << c.label; }
class Wqarea17NameIndexTest : public Wqarea17Test, public ::testing::WithParamInterface<IndexCase> {};

// The 2500 listings of 27127 are all named 見本: a prefix or exact name of
// two characters or more reads only the listings with its head (the
// callback asked once, at the start); the others read the whole key.
TEST_P(Wqarea17NameIndexTest, readsOnlyTheListingsOfTheNameHead)
{
    const IndexCase &p = GetParam();
    std::int32_t count = -1;
    TAreaSearchCondition c = condition("27", p.name, p.matchKind);
    EXPECT_EQ(s_api.count(&c, &count, 10000, countingCallback), p.hits > 0 ? 0 : 1);
    EXPECT_EQ(count, p.hits);
    EXPECT_EQ(callbackCalls, p.callbacks);
}

INSTANTIATE_TEST_SUITE_P(Cases, Wqarea17NameIndexTest,
                         ::testing::Values(IndexCase{"prefixNobodyHas", u"該当なし", 0, 0, 1},
                                           IndexCase{"exactNobodyHas", u"該当なし", 3, 0, 1},
                                           IndexCase{"prefixOfEveryone", u"見本", 0, 2500, 3},
                                           IndexCase{"sameHeadLongerName", u"見本帳", 0, 0, 3},
                                           IndexCase{"oneCharacterReadsAll", u"該", 0, 0, 3},
                                           IndexCase{"containsReadsAll", u"該当なし", 1, 0, 3}));

TEST_F(Wqarea17Test, nameHeadIsTheFirstTwoCharactersWithoutBlanks)
{
    EXPECT_EQ(WqareaNameHeadOf(sj(u"山田架空太郎")), sj(u"山田"));
    EXPECT_EQ(WqareaNameHeadOf(sj(u"　山 田架空")), sj(u"山田"));
    EXPECT_EQ(WqareaNameHeadOf(sj(u"ｶｸｳ")), sj(u"ｶｸ"));
    EXPECT_EQ(WqareaNameHeadOf(sj(u"ｶ山田")), sj(u"ｶ山"));
    EXPECT_EQ(WqareaNameHeadOf(sj(u"山")), sj(u"山"));
    EXPECT_EQ(WqareaNameHeadOf(std::string()), std::string());
    EXPECT_EQ(WqareaNameHeadOf(std::string("\x8e")), std::string("\x8e")) << "a lone lead byte is one character";
}

TEST_F(Wqarea17Test, dataOfAnUnknownFormatIsRefusedWithEight)
{
    for (const char *mark : {"3", "two", ""}) {
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString() + "/";
        writeData(folder + WqareaDataFileName, WqareaSchemaVersion, mark);
        TAreaSearchCondition c = condition("13101", u"山田");
        std::strcpy(c.DataFolder, folder.c_str());
        int code = -1;
        EXPECT_TRUE(keysOf(c, code).empty()) << mark;
        EXPECT_EQ(code, 8) << mark;
        std::int32_t count = -1;
        EXPECT_EQ(s_api.count(&c, &count, 10000, nullptr), 8) << mark;
        TTelSearchCondition r = request("0311110002");
        std::strcpy(r.DataFolder, folder.c_str());
        TTelRecord record{};
        EXPECT_EQ(s_api.telOne(0, &r, &record, 102), 8) << mark;
    }
}

TEST_F(Wqarea17Test, countCountsUpToTheLimit)
{
    TAreaSearchCondition c = condition("13");
    std::int32_t count = -1;
    EXPECT_EQ(s_api.count(&c, &count, 10000, countingCallback), 0);
    EXPECT_EQ(count, 51);
    EXPECT_EQ(s_api.count(&c, &count, 10, countingCallback), 0);
    EXPECT_EQ(count, 10);
    c = condition("13101");
    EXPECT_EQ(s_api.countFax(&c, &count, 10000, nullptr), 0);
    EXPECT_EQ(count, 2);
    c = condition("13101", u"該当なし", 3);
    EXPECT_EQ(s_api.count(&c, &count, 10000, nullptr), 1);
    EXPECT_EQ(count, 0);
}

// ---- single records --------------------------------------------------------

TEST_F(Wqarea17Test, telOneFillsTheWholeRecord)
{
    TTelSearchCondition r = request("0311110002");
    TTelRecord record;
    std::memset(&record, 0x55, sizeof record);
    ASSERT_EQ(s_api.telOne(0, &r, &record, 102), 0);
    EXPECT_EQ(std::string(record.Phone, 14), std::string("0311110002\0\0\0\0", 14));
    EXPECT_EQ(record.PhoneKind, 3);
    EXPECT_STREQ(record.Postcode, "1000001");
    EXPECT_EQ(std::string(record.Name), sj(u"架空商事株式会社"));
    EXPECT_EQ(std::string(record.NameKana), sj(u"ｶｸｳ"));
    EXPECT_EQ(std::string(record.Pref), sj(u"東京都"));
    EXPECT_EQ(std::string(record.City), sj(u"千代田区"));
    EXPECT_EQ(std::string(record.Address2a), sj(u"千代田"));
    EXPECT_EQ(std::string(record.Address2b), sj(u"１丁目２－３"));
    EXPECT_EQ(strnlen(record.Address2c, sizeof record.Address2c), 80u); // cut on a character, NUL kept
    EXPECT_EQ(std::string(record.PrefKana), sj(u"ﾄｳｷｮｳﾄ"));
    EXPECT_EQ(std::string(record.Codes, 16), std::string("13101001002\0\0\0\0\0", 16));
    EXPECT_EQ(record.ListingKind, 1);
    EXPECT_STREQ(record.FirstMonth, "201803");
    EXPECT_EQ(record.Latitude, 35u * 3600 * 256 + 1);
    EXPECT_EQ(record.Longitude, 139u * 3600 * 256 + 2);
    EXPECT_EQ(std::string(record.Reserved1, 6), std::string(6, '\0'));
}

TEST_F(Wqarea17Test, telOneNeedsTheKeyAndItsNumber)
{
    TTelRecord record{};
    TTelSearchCondition r = request("0311110001");
    EXPECT_EQ(s_api.telOne(0, &r, &record, 102), 8);
    EXPECT_EQ(s_api.telOne(0, &r, &record, 99999), 8);
    r = request("");
    EXPECT_EQ(s_api.telOne(0, &r, &record, 102), 0);
    EXPECT_STREQ(record.Phone, "0311110002");
}

TEST_F(Wqarea17Test, telListsEveryListingOfTheNumber)
{
    std::vector<TTelRecord> records(8);
    TTelSearchCondition r = request("0451110007");
    std::int32_t count = -1;
    ASSERT_EQ(s_api.tel(&r, records.data(), &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(records[0].PhoneKind, 0);
    EXPECT_EQ(records[1].PhoneKind, 1);
    EXPECT_EQ(std::string(records[2].Phone, 14), std::string(14, '\0'));
    r = request("0451119999");
    EXPECT_EQ(s_api.tel(&r, records.data(), &count), 8);
    EXPECT_EQ(count, 0);
}

struct MaskCase { const char *in; int code; const char *out; };
void PrintTo(const MaskCase &c, std::ostream *os) { *os << c.in; }
class Wqarea17MaskTest : public Wqarea17Test, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(Wqarea17MaskTest, hidesTheLastFourDigits)
{
    char out[16];
    std::memset(out, 'x', sizeof out);
    ASSERT_EQ(s_api.mask(GetParam().in, out), GetParam().code);
    if (GetParam().code == 0) {
        EXPECT_EQ(std::string(out, 16), std::string(GetParam().out) + std::string(16 - std::strlen(GetParam().out), '\0'));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Wqarea17MaskTest,
                         ::testing::Values(MaskCase{"0312345678", 0, "031234****"}, MaskCase{"123", 0, "***"},
                                           MaskCase{"123456789012345", 0, "12345678901****"},
                                           MaskCase{"1234567890123456", 4, ""}, MaskCase{"03-1234", 4, ""},
                                           MaskCase{"", 4, ""}));

// ---- wrong input and missing data -----------------------------------------

struct BadCase { const char *label; void (*spoil)(TAreaSearchCondition &); };
void PrintTo(const BadCase &c, std::ostream *os) { *os << c.label; }
class Wqarea17BadConditionTest : public Wqarea17Test, public ::testing::WithParamInterface<BadCase> {};

TEST_P(Wqarea17BadConditionTest, isRefusedWithFour)
{
    TAreaSearchCondition c = condition("13101");
    GetParam().spoil(c);
    int code = -1;
    EXPECT_TRUE(keysOf(c, code).empty());
    EXPECT_EQ(code, 4);
    std::int32_t count = -1;
    if (c.BlockSize >= 1 && c.BlockSize <= 200) { // the count does not page
        EXPECT_EQ(s_api.count(&c, &count, 10000, nullptr), 4);
    }
    EXPECT_EQ(callbackCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Wqarea17BadConditionTest,
    ::testing::Values(BadCase{"threeDigitKey", [](TAreaSearchCondition &c) { std::strcpy(c.AddressKey, "131"); }},
                      BadCase{"letterInCity", [](TAreaSearchCondition &c) { std::strcpy(c.AddressKey, "1310A"); }},
                      BadCase{"blockZero", [](TAreaSearchCondition &c) { c.BlockSize = 0; }},
                      BadCase{"block201", [](TAreaSearchCondition &c) { c.BlockSize = 201; }},
                      BadCase{"kind16", [](TAreaSearchCondition &c) { c.PhoneKinds = 16; }},
                      BadCase{"form8", [](TAreaSearchCondition &c) { c.CorporateForm = 8; }},
                      BadCase{"noFolder", [](TAreaSearchCondition &c) { c.DataFolder[0] = 0; }}));

TEST_F(Wqarea17Test, nullPointersAndLimitZeroAreRefused)
{
    TAreaSearchCondition c = condition("13101");
    TAreaSearchHit hit{};
    TAreaSearchPosition position = freshPosition();
    std::int32_t count = 0;
    EXPECT_EQ(s_api.area(nullptr, &hit, &count, &position, 10000, nullptr), 4);
    EXPECT_EQ(s_api.area(&c, nullptr, &count, &position, 10000, nullptr), 4);
    EXPECT_EQ(s_api.area(&c, &hit, nullptr, &position, 10000, nullptr), 4);
    EXPECT_EQ(s_api.area(&c, &hit, &count, nullptr, 10000, nullptr), 4);
    EXPECT_EQ(s_api.area(&c, &hit, &count, &position, 0, nullptr), 4);
    EXPECT_EQ(s_api.count(&c, nullptr, 10000, nullptr), 4);
    std::vector<TTelRecord> records(8);
    TTelRecord &record = records[0];
    TTelSearchCondition r = request("03-1111-0002");
    EXPECT_EQ(s_api.telOne(0, &r, &record, 102), 4);
    EXPECT_EQ(s_api.tel(&r, records.data(), &count), 4);
    r = request("0311110002");
    EXPECT_EQ(s_api.telOne(0, &r, &record, 0), 4);
    EXPECT_EQ(s_api.telOne(0, nullptr, &record, 102), 4);
    EXPECT_EQ(s_api.tel(&r, nullptr, &count), 4);
    EXPECT_EQ(s_api.mask(nullptr, record.Phone), 4);
}

TEST_F(Wqarea17Test, missingDataFileAnswersEight)
{
    QTemporaryDir empty;
    const std::string folder = empty.path().toStdString() + "/";
    TAreaSearchCondition c = condition("13101");
    std::strcpy(c.DataFolder, folder.c_str());
    int code = -1;
    EXPECT_TRUE(keysOf(c, code).empty());
    EXPECT_EQ(code, 8);
    std::int32_t count = -1;
    EXPECT_EQ(s_api.count(&c, &count, 10000, nullptr), 8);
    TTelSearchCondition r = request("0311110002");
    std::strcpy(r.DataFolder, folder.c_str());
    std::vector<TTelRecord> records(8);
    EXPECT_EQ(s_api.telOne(0, &r, records.data(), 102), 8);
    EXPECT_EQ(s_api.tel(&r, records.data(), &count), 8);
}

} // namespace
