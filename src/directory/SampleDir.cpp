#include "directory/SampleDir.h"

#include "directory/WqareaWriter.h"
#include "platform/Cp932.h"
#include "platform/dic/wqarea17/WqareaSchema.h"

#include <QDir>
#include <QFile>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

const char *const AreaDataFileNames[7] = {"dba17ai1", "dba17ai2", "dba17ai3", "dba17am",
                                          "dba17ti1", "dba17ti2", "dba17tm"};

namespace {

struct TTown {
    std::string CityCode;
    std::string TownCode;
    std::string Postcode;
    std::string Pref, PrefKana, City, CityKana, Town, TownKana;
    std::string AreaCode;
};

struct TName {
    std::string Kanji;
    std::string Kana;
};

struct TCorporateForm {
    const char16_t *Name;
    const char16_t *Kana;
};
// Index = the corporate form number of the data file.
const TCorporateForm kForms[] = {{u"", u""},
                                 {u"株式会社", u"ｶﾌﾞｼｷｶﾞｲｼｬ"},
                                 {u"有限会社", u"ﾕｳｹﾞﾝｶﾞｲｼｬ"},
                                 {u"合資会社", u"ｺﾞｳｼｶﾞｲｼｬ"},
                                 {u"合名会社", u"ｺﾞｳﾒｲｶﾞｲｼｬ"},
                                 {u"相互会社", u"ｿｳｺﾞｶﾞｲｼｬ"},
                                 {u"財団法人", u"ｻﾞｲﾀﾞﾝﾎｳｼﾞﾝ"},
                                 {u"社団法人", u"ｼｬﾀﾞﾝﾎｳｼﾞﾝ"}};

const std::pair<const char16_t *, const char16_t *> kTradeWords[] = {
    {u"建設", u"ｹﾝｾﾂ"},   {u"商事", u"ｼｮｳｼﾞ"},     {u"工業", u"ｺｳｷﾞｮｳ"}, {u"商店", u"ｼｮｳﾃﾝ"},
    {u"電機", u"ﾃﾞﾝｷ"},   {u"運輸", u"ｳﾝﾕ"},       {u"不動産", u"ﾌﾄﾞｳｻﾝ"}, {u"食品", u"ｼｮｸﾋﾝ"},
    {u"印刷", u"ｲﾝｻﾂ"},   {u"設計事務所", u"ｾｯｹｲｼﾞﾑｼｮ"}, {u"歯科医院", u"ｼｶｲｲﾝ"}, {u"薬局", u"ﾔｯｷｮｸ"},
    {u"製作所", u"ｾｲｻｸｼｮ"}, {u"産業", u"ｻﾝｷﾞｮｳ"},   {u"興業", u"ｺｳｷﾞｮｳ"}, {u"技研", u"ｷﾞｹﾝ"}};

const char16_t *const kChomeKana[] = {u"ｲｯﾁｮｳﾒ", u"ﾆﾁｮｳﾒ", u"ｻﾝﾁｮｳﾒ", u"ﾖﾝﾁｮｳﾒ", u"ｺﾞﾁｮｳﾒ"};

std::string sj(QStringView text)
{
    return Cp932::encode(text).toStdString();
}

std::string blobAt(sqlite3_stmt *s, int column)
{
    const void *data = sqlite3_column_blob(s, column);
    return data == nullptr ? std::string()
                           : std::string(static_cast<const char *>(data),
                                         static_cast<std::size_t>(sqlite3_column_bytes(s, column)));
}

std::string textAt(sqlite3_stmt *s, int column)
{
    const unsigned char *data = sqlite3_column_text(s, column);
    return data == nullptr ? std::string() : std::string(reinterpret_cast<const char *>(data));
}

// The oaza number of a town serial: "001".."999", then "A00".."Z99".
std::string oazaNumber(int serial)
{
    char buffer[32];
    serial = std::clamp(serial, 1, 3599);
    if (serial <= 999)
        std::snprintf(buffer, sizeof buffer, "%03d", serial);
    else
        std::snprintf(buffer, sizeof buffer, "%c%02d", 'A' + (serial - 1000) / 100, (serial - 1000) % 100);
    return buffer;
}

class TSource {
public:
    ~TSource()
    {
        if (m_db != nullptr)
            sqlite3_close(m_db);
    }
    bool open(const QString &file)
    {
        return sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    }
    template <class F>
    bool each(const char *sql, F &&row)
    {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr) != SQLITE_OK)
            return false;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW)
            row(s);
        sqlite3_finalize(s);
        return rc == SQLITE_DONE;
    }

private:
    sqlite3 *m_db = nullptr;
};

// Regions of the data set from the dictionary's six regions: 関東 without
// 東京都, which is a region of its own.
int areaOf(int pref, int dicRegion)
{
    if (pref == 13)
        return 3;
    static const int map[] = {1, 2, 4, 5, 6, 7};
    return dicRegion >= 0 && dicRegion < 6 ? map[dicRegion] : 0;
}

// Plain draws from the generator's raw output, so the data set is the same
// on every standard library.
class TDraw {
public:
    explicit TDraw(std::uint32_t seed) : m_engine(seed) {}
    std::uint32_t below(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(m_engine() % n); }
    bool percent(std::uint32_t p) { return below(100) < p; }

private:
    std::mt19937 m_engine;
};

bool writeNote(const QString &file, int area, QString *error)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("cannot write %1: %2").arg(file, f.errorString());
        return false;
    }
    const QByteArray note = QByteArrayLiteral("Murven19 sample directory data: synthetic, no real listing.\nregion=")
                            + QByteArray::number(area) + QByteArrayLiteral("\nformat=")
                            + QByteArray::number(WqareaSchemaVersion) + '\n';
    if (f.write(note) != note.size() || !f.flush()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file, f.errorString());
        return false;
    }
    return true;
}

} // namespace

bool GenerateSampleDirectory(const TSampleDirectoryOptions &Options, QString *Error, long long *Written)
{
    QString ignored;
    QString &error = Error != nullptr ? *Error : ignored;
    TSource dic;
    TSource names;
    if (!dic.open(Options.DicFile)) {
        error = QStringLiteral("cannot open ") + Options.DicFile;
        return false;
    }
    if (!names.open(Options.NameFile)) {
        error = QStringLiteral("cannot open ") + Options.NameFile;
        return false;
    }

    // The area code of each municipality: the one most of its prefixes carry.
    std::map<std::string, std::string> areaCodes;
    {
        std::map<std::string, std::map<std::string, int>> votes;
        if (!dic.each("SELECT pc.code5, a.area_code FROM area a JOIN place_city pc ON pc.place = a.place",
                      [&](sqlite3_stmt *s) { ++votes[textAt(s, 0)][textAt(s, 1)]; })) {
            error = QStringLiteral("no area codes in ") + Options.DicFile;
            return false;
        }
        for (const auto &[city, codes] : votes)
            areaCodes[city] = std::max_element(codes.begin(), codes.end(), [](const auto &a, const auto &b) {
                                  return a.second < b.second;
                              })->first;
    }

    std::array<std::vector<TTown>, 8> towns;
    const bool read = dic.each(
        "SELECT t.code5, t.serial, t.postcode, p.name, p.kana, c.name, c.kana, t.name, t.kana, p.no, p.region "
        "FROM town t JOIN city c ON c.code5 = t.code5 JOIN pref p ON p.no = c.pref "
        "WHERE t.kind = 0 AND t.serial > 0 AND t.seq = 0 ORDER BY t.code5, t.serial",
        [&](sqlite3_stmt *s) {
            const int area = areaOf(sqlite3_column_int(s, 9), sqlite3_column_int(s, 10));
            if (area == 0)
                return;
            TTown t;
            t.CityCode = textAt(s, 0);
            t.TownCode = oazaNumber(sqlite3_column_int(s, 1)) + "001";
            t.Postcode = textAt(s, 2);
            t.Pref = blobAt(s, 3);
            t.PrefKana = blobAt(s, 4);
            t.City = blobAt(s, 5);
            t.CityKana = blobAt(s, 6);
            t.Town = blobAt(s, 7);
            t.TownKana = blobAt(s, 8);
            const auto code = areaCodes.find(t.CityCode);
            if (code == areaCodes.end())
                return; // no number could be made for it
            t.AreaCode = code->second;
            towns[static_cast<std::size_t>(area)].push_back(std::move(t));
        });
    if (!read) {
        error = QStringLiteral("cannot read the towns of ") + Options.DicFile;
        return false;
    }

    // The commoner names (lower cost) first; a few thousand of each kind.
    std::vector<TName> surnames, givenNames;
    const bool namesRead = names.each("SELECT kind, kanji, reading FROM name ORDER BY cost, kanji", [&](sqlite3_stmt *s) {
        std::vector<TName> &list = sqlite3_column_int(s, 0) == 0 ? surnames : givenNames;
        if (list.size() < 3000)
            list.push_back({blobAt(s, 1), blobAt(s, 2)});
    });
    if (!namesRead || surnames.empty() || givenNames.empty()) {
        error = QStringLiteral("no names in ") + Options.NameFile;
        return false;
    }

    long long written = 0;
    for (int area = 1; area <= 7; ++area) {
        if (Options.OnlyRegion != 0 && Options.OnlyRegion != area)
            continue;
        const std::vector<TTown> &list = towns[static_cast<std::size_t>(area)];
        if (list.empty()) {
            error = QStringLiteral("no towns for region %1").arg(area);
            return false;
        }
        const QString folder = Options.OutputFolder + QStringLiteral("/Murven19/Dt%1/").arg(area, 2, 10, QLatin1Char('0'));
        if (!QDir().mkpath(folder)) {
            error = QStringLiteral("cannot make ") + folder;
            return false;
        }
        TDraw draw(Options.Seed * 7919U + static_cast<std::uint32_t>(area));
        TWqareaWriter writer;
        if (!writer.Open(folder + QString::fromLatin1(WqareaDataFileName))) {
            error = writer.Error();
            return false;
        }
        const auto townCount = static_cast<long long>(list.size());
        const long long total = Options.ListingsPerRegion;
        std::int64_t key = 0;
        std::string lastPhone;
        for (long long i = 0; i < townCount; ++i) {
            const long long here = (i + 1) * total / townCount - i * total / townCount;
            const TTown &town = list[static_cast<std::size_t>(i)];
            std::vector<TWqareaListing> batch;
            for (long long n = 0; n < here; ++n) {
                TWqareaListing l;
                const TName &surname = surnames[draw.below(static_cast<std::uint32_t>(surnames.size()))];
                const bool person = draw.percent(70);
                if (person) {
                    const TName &given = givenNames[draw.below(static_cast<std::uint32_t>(givenNames.size()))];
                    l.Name = surname.Kanji + given.Kanji;
                    l.NameKana = surname.Kana + " " + given.Kana;
                    l.ListingKind = 99;
                    l.PhoneKind = draw.percent(8) ? 2 : 0;
                } else {
                    const auto &trade = kTradeWords[draw.below(std::size(kTradeWords))];
                    const std::uint32_t roll = draw.below(100);
                    l.CorporateForm = roll < 45 ? 1 : roll < 70 ? 2 : roll < 73 ? 3 : roll < 75 ? 4 : roll < 76 ? 5
                                      : roll < 79 ? 6 : roll < 82 ? 7 : 0;
                    const TCorporateForm &form = kForms[l.CorporateForm];
                    const bool formFirst = draw.percent(50);
                    const std::string formText = sj(form.Name), formKana = sj(form.Kana);
                    const std::string body = surname.Kanji + sj(trade.first), bodyKana = surname.Kana + sj(trade.second);
                    l.Name = formFirst ? formText + body : body + formText;
                    l.NameKana = formFirst ? formKana + bodyKana : bodyKana + formKana;
                    l.ListingKind = 1;
                    const std::uint32_t kind = draw.below(100);
                    l.PhoneKind = kind < 55 ? 0 : kind < 75 ? 1 : kind < 85 ? 2 : 3;
                }
                // A second listing of the same household or office now and then.
                if (!lastPhone.empty() && draw.percent(3)) {
                    l.Phone = lastPhone;
                } else {
                    std::string local = std::to_string(2 + draw.below(8));
                    while (town.AreaCode.size() + local.size() < 10)
                        local += static_cast<char>('0' + draw.below(10));
                    l.Phone = town.AreaCode + local;
                }
                lastPhone = l.Phone;
                l.Postcode = town.Postcode;
                l.Pref = town.Pref;
                l.PrefKana = town.PrefKana;
                l.City = town.City;
                l.CityKana = town.CityKana;
                l.Address2a = town.Town;
                l.Address2aKana = town.TownKana;
                // Some listings withhold their street number.
                if (!draw.percent(5)) {
                    const std::uint32_t chome = draw.below(5);
                    const QString street = QStringLiteral("%1丁目%2－%3")
                                               .arg(QChar(u'１' + static_cast<char16_t>(chome)))
                                               .arg(1 + draw.below(30))
                                               .arg(1 + draw.below(40));
                    l.Address2b = sj(street);
                    l.Address2bKana = sj(QString::fromUtf16(kChomeKana[chome]));
                }
                l.CityCode = town.CityCode;
                l.TownCode = town.TownCode;
                char month[32];
                std::snprintf(month, sizeof month, "%04u%02u", 1995 + draw.below(19), 1 + draw.below(12));
                l.FirstMonth = month;
                batch.push_back(std::move(l));
            }
            // Within a town the listings stand in reading order, as in a printed directory.
            std::stable_sort(batch.begin(), batch.end(),
                             [](const TWqareaListing &a, const TWqareaListing &b) { return a.NameKana < b.NameKana; });
            for (TWqareaListing &l : batch) {
                l.Key = ++key;
                if (!writer.Add(l)) {
                    error = writer.Error();
                    return false;
                }
            }
        }
        if (!writer.Finish()) {
            error = writer.Error();
            return false;
        }
        written += key;
        for (const char *name : AreaDataFileNames) {
            if (QString::fromLatin1(name) == QString::fromLatin1(WqareaDataFileName))
                continue;
            if (!writeNote(folder + QString::fromLatin1(name), area, &error))
                return false;
        }
    }
    if (Written != nullptr)
        *Written = written;
    return true;
}
