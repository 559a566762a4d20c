#include "DicFixture.h"

#include "DicKana.h"
#include "DicSchema.h"
#include "DicText.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <variant>

std::string sj(const QString &text)
{
    return Cp932::encode(text).toStdString();
}

std::string padded(const std::string &text, std::size_t size)
{
    std::string result = text.substr(0, size);
    result.resize(size, '\0');
    return result;
}

namespace {

struct TFixturePref {
    int no;
    const char *name;
    const char *kana;
    int region;
};

struct TFixtureCity {
    const char *code5;
    const char *code6;
    int pref;
    const char *name;
    const char *kana;
};

const TFixturePref kPrefs[] = {
    {13, "東京都", "ﾄｳｷｮｳﾄ", 1},
    {14, "神奈川県", "ｶﾅｶﾞﾜｹﾝ", 1},
    {34, "広島県", "ﾋﾛｼﾏｹﾝ", 4},
};

const TFixtureCity kCities[] = {
    {"13101", "131016", 13, "千代田区", "ﾁﾖﾀﾞｸ"},         {"13206", "132063", 13, "府中市", "ﾌﾁｭｳｼ"},
    {"14101", "141011", 14, "横浜市鶴見区", "ﾖｺﾊﾏｼﾂﾙﾐｸ"}, {"14102", "141020", 14, "横浜市神奈川区", "ﾖｺﾊﾏｼｶﾅｶﾞﾜｸ"},
    {"14206", "142069", 14, "小田原市", "ｵﾀﾞﾜﾗｼ"},       {"34208", "342084", 34, "府中市", "ﾌﾁｭｳｼ"},
};

const TFixtureTown kTowns[] = {
    {"13101", "1000000", "", ""},
    {"13101", "1000001", "千代田", "ﾁﾖﾀﾞ"},
    {"13101", "1000003", "一ツ橋", "ﾋﾄﾂﾊﾞｼ"},
    {"13101", "1010003", "一ツ橋", "ﾋﾄﾂﾊﾞｼ"},
    {"13101", "1000004", "大手町", "ｵｵﾃﾏﾁ"},
    {"13101", "1000013", "霞が関", "ｶｽﾐｶﾞｾｷ"},
    {"13101", "1000014", "永田町", "ﾅｶﾞﾀﾁｮｳ"},
    {"13101", "1006210", "丸の内パシフィックセンチュリープレイス丸の内１０階",
     "ﾏﾙﾉｳﾁﾊﾟｼﾌｨｯｸｾﾝﾁｭﾘｰﾌﾟﾚｲｽﾏﾙﾉｳﾁ10ｶｲ"},
    {"13101", "1006150", "永田町", "ﾅｶﾞﾀﾁｮｳ", "株式会社　エヌ・ティ・ティ・ドコモ", "２丁目１１－１"},
    {"13101", "1006051", "霞が関", "ｶｽﾐｶﾞｾｷ", "株式会社　ＪＴＢ法人東京　霞が関営業部", "３－２－５霞が関ビル２３階"},
    {"13206", "1830000", "", ""},
    {"13206", "1830001", "浅間町", "ｾﾝｹﾞﾝﾁｮｳ"},
    {"34208", "7293201", "斗升町", "ﾄﾏｽﾁｮｳ"},
    {"14101", "2300000", "", ""},
    {"14101", "2300001", "矢向", "ﾔｺｳ"},
    {"14102", "2210000", "", ""},
    {"14102", "2210001", "西寺尾", "ﾆｼﾃﾗｵ"},
    {"14206", "2500000", "", ""},
    {"14206", "2500001", "扇町", "ｵｳｷﾞﾁｮｳ"},       {"14206", "2500002", "寿町", "ｺﾄﾌﾞｷﾁｮｳ"},
    {"14206", "2500003", "東町", "ﾋｶﾞｼﾁｮｳ"},       {"14206", "2500004", "浜町", "ﾊﾏﾁｮｳ"},
    {"14206", "2500005", "中町", "ﾅｶﾁｮｳ"},         {"14206", "2500011", "栄町", "ｻｶｴﾁｮｳ"},
    {"14206", "2500012", "本町", "ﾎﾝﾁｮｳ"},         {"14206", "2500013", "南町", "ﾐﾅﾐﾁｮｳ"},
    {"14206", "2500014", "城内", "ｼﾞｮｳﾅｲ"},        {"14206", "2500021", "早川", "ﾊﾔｶﾜ"},
    {"14206", "2500022", "石橋", "ｲｼﾊﾞｼ"},         {"14206", "2500023", "米神", "ｺﾒｶﾐ"},
    {"14206", "2500024", "根府川", "ﾈﾌﾞｶﾜ"},       {"14206", "2500025", "江之浦", "ｴﾉｳﾗ"},
    {"14206", "2500031", "入生田", "ｲﾘｭｳﾀﾞ"},      {"14206", "2500032", "風祭", "ｶｻﾞﾏﾂﾘ"},
    {"14206", "2500033", "水之尾", "ﾐｽﾞﾉｵ"},       {"14206", "2500034", "板橋", "ｲﾀﾊﾞｼ"},
    {"14206", "2500035", "南板橋", "ﾐﾅﾐｲﾀﾊﾞｼ"},    {"14206", "2500041", "池上", "ｲｹｶﾞﾐ"},
    {"14206", "2500042", "荻窪", "ｵｷﾞｸﾎﾞ"},        {"14206", "2500043", "谷津", "ﾔﾂ"},
    {"14206", "2500044", "緑", "ﾐﾄﾞﾘ"},           {"14206", "2500045", "城山", "ｼﾛﾔﾏ"},
    {"14206", "2500046", "十字", "ｼﾞｭｳｼﾞ"},        {"14206", "2500051", "北ノ窪", "ｷﾀﾉｸﾎﾞ"},
    {"14206", "2500052", "府川", "ﾌｶﾜ"},           {"14206", "2500053", "穴部", "ｱﾅﾍﾞ"},
    {"14206", "2500054", "多古", "ﾀｺ"},           {"14206", "2500055", "久野", "ｸﾉ"},
    {"14206", "2500056", "井細田", "ｲｻｲﾀﾞ"},       {"14206", "2500201", "曽我大沢", "ｿｶﾞｵｵｻﾜ"},
    {"14206", "2500202", "上曽我", "ｶﾐｿｶﾞ"},       {"14206", "2500203", "曽我岸", "ｿｶﾞｷｼ"},
    {"14206", "2500204", "曽我谷津", "ｿｶﾞﾔﾂ"},     {"14206", "2500205", "曽我別所", "ｿｶﾞﾍﾞｯｼｮ"},
    {"14206", "2500206", "曽我原", "ｿｶﾞﾊﾗ"},       {"14206", "2500207", "曽我光海", "ｿｶﾞｺｳﾐ"},
    {"14206", "2500208", "下大井", "ｼﾓｵｵｲ"},       {"14206", "2500211", "鬼柳", "ｵﾆﾔﾅｷﾞ"},
    {"14206", "2500212", "西大友", "ﾆｼｵｵﾄﾞﾓ"},     {"14206", "2500213", "東大友", "ﾋｶﾞｼｵｵﾄﾞﾓ"},
    {"14206", "2500214", "永塚", "ﾅｶﾞﾂｶ"},         {"14206", "2500215", "千代", "ﾁﾖ"},
};

struct TRow {
    std::string code5;
    int kind = 0;
    int serial = 0;
    std::string postcode, name, kana, office, street;
    int seq = 0;
};

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
}

// A Shift-JIS BLOB column value (std::string values are bound as TEXT).
struct TBlob {
    std::string bytes;
};

void insert(sqlite3 *db, const char *sql, const std::vector<std::variant<int, std::string, TBlob>> &values)
{
    sqlite3_stmt *statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    int i = 1;
    for (const auto &value : values) {
        if (const int *n = std::get_if<int>(&value))
            sqlite3_bind_int(statement, i++, *n);
        else if (const std::string *text = std::get_if<std::string>(&value))
            sqlite3_bind_text(statement, i++, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_blob(statement, i++, std::get<TBlob>(value).bytes.data(),
                              static_cast<int>(std::get<TBlob>(value).bytes.size()), SQLITE_TRANSIENT);
    }
    EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE) << sqlite3_errmsg(db);
    sqlite3_finalize(statement);
}

// Serials as the converter gives them: per city, distinct town names by
// reading then name, from 1; a large office takes its town's serial.
std::vector<TRow> rowsOf(const std::vector<TFixtureTown> &towns)
{
    std::vector<TRow> rows;
    std::map<std::string, std::set<std::pair<std::string, std::string>>> names;
    for (const TFixtureTown &t : towns) {
        TRow row{t.code5, *t.office ? 1 : 0, 0, t.postcode, sj(QString::fromUtf8(t.name)),
                 sj(QString::fromUtf8(t.kana)), sj(QString::fromUtf8(t.office)), sj(QString::fromUtf8(t.street))};
        if (row.kind == 0 && !row.name.empty())
            names[row.code5].insert({row.kana, row.name});
        rows.push_back(std::move(row));
    }
    for (TRow &row : rows) {
        const auto &set = names[row.code5];
        int serial = 1;
        for (const auto &entry : set) {
            if (entry.second == row.name)
                row.serial = serial;
            ++serial;
        }
    }
    std::sort(rows.begin(), rows.end(), [](const TRow &a, const TRow &b) {
        return std::tie(a.code5, a.kind, a.serial, a.postcode) < std::tie(b.code5, b.kind, b.serial, b.postcode);
    });
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const TRow &before = rows[i - 1];
        if (rows[i].kind == 0 && before.kind == 0 && rows[i].code5 == before.code5 && rows[i].serial == before.serial)
            rows[i].seq = before.seq + 1;
    }
    return rows;
}

} // namespace

TDicFixture::TDicFixture(const std::vector<TFixtureTown> &extraTowns, int format)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("data"));
    QDir(m_dir.path()).mkpath(QStringLiteral("empty"));
    m_folder = QDir(m_dir.path()).filePath(QStringLiteral("data/")).toStdString();
    m_emptyFolder = QDir(m_dir.path()).filePath(QStringLiteral("empty/")).toStdString();

    sqlite3 *db = nullptr;
    if (sqlite3_open((m_folder + DicDataFileName).c_str(), &db) != SQLITE_OK) {
        ADD_FAILURE() << "cannot write the data file";
        return;
    }
    exec(db, DicSchemaSql);
    exec(db, "BEGIN");
    insert(db, "INSERT INTO meta VALUES('format', ?)", {std::to_string(format)});

    std::vector<TFixtureTown> towns(std::begin(kTowns), std::end(kTowns));
    towns.insert(towns.end(), extraTowns.begin(), extraTowns.end());
    const std::vector<TRow> rows = rowsOf(towns);

    for (const TFixturePref &p : kPrefs) {
        const int cities = static_cast<int>(
            std::count_if(std::begin(kCities), std::end(kCities), [&](const TFixtureCity &c) { return c.pref == p.no; }));
        insert(db, "INSERT INTO pref VALUES(?, ?, ?, ?, ?)",
               {p.no, TBlob{sj(QString::fromUtf8(p.name))}, TBlob{sj(QString::fromUtf8(p.kana))}, p.region, cities});
    }
    for (const TFixtureCity &c : kCities) {
        std::set<int> serials;
        for (const TRow &row : rows) {
            if (row.code5 == c.code5 && row.kind == 0 && row.serial > 0)
                serials.insert(row.serial);
        }
        const std::string name = sj(QString::fromUtf8(c.name));
        const std::string kana = sj(QString::fromUtf8(c.kana));
        insert(db, "INSERT INTO city VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)",
               {std::string(c.code5), std::string(c.code6), c.pref, TBlob{name}, TBlob{kana}, TBlob{DicKanaHead(kana)},
                std::stoi(c.code5), static_cast<int>(serials.size()), TBlob{DicNormalizeKey(name)}});
    }
    int id = 0;
    for (const TRow &r : rows) {
        insert(db,
               "INSERT INTO town(id, code5, serial, seq, postcode, kind, name, kana, office, office_kana, street, key) "
               "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, x'', ?, ?)",
               {++id, r.code5, r.serial, r.seq, r.postcode, r.kind, TBlob{r.name}, TBlob{r.kana}, TBlob{r.office},
                TBlob{r.street}, TBlob{DicNormalizeKey(r.name)}});
    }
    insert(db, "INSERT INTO area VALUES('46512', '0465', 1)", {});
    insert(db, "INSERT INTO area VALUES('45123', '045', 2)", {});
    insert(db, "INSERT INTO area VALUES('99999', '099', 3)", {});
    insert(db, "INSERT INTO place VALUES(1, '小田原'), (2, '横浜'), (3, '日本')", {});
    insert(db, "INSERT INTO place_city VALUES(1, 0, '14206'), (2, 0, '14101'), (2, 1, '14102')", {});
    exec(db, "COMMIT");
    exec(db, DicIndexSql);
    sqlite3_close(db);
}

TDicLibrary::TDicLibrary(const char *name)
    : m_lib(QStringLiteral(MURVEN_DIC_LIB_DIR "lib%1.so").arg(QLatin1String(name)))
{
    EXPECT_TRUE(m_lib.load()) << m_lib.errorString().toStdString();
}
