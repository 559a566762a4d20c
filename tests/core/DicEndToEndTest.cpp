// The search classes over our real dictionary libraries and the data file
// built from the committed excerpt of the postcode and municipality data.

#include "core/AdrsDicClass.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/KanaAdrsDicClass.h"
#include "core/KykbnDicClass.h"
#include "core/PosDicClass.h"
#include "core/WqhypWrapper.h"
#include "core/WqmtadWrapper.h"
#include "platform/Cp932.h"
#include "platform/dic/DicApi.h"
#include "util/StrFunc.h"

#include "support/ScriptedMessageBoxes.h"

#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

const QString kLibs = QStringLiteral(MURVEN_DIC_LIB_DIR);
const QString kData = QStringLiteral(MURVEN_DIC_EXCERPT_DIR);

QString text(const char *field)
{
    return Cp932::decode(QByteArray(field));
}

TEST(DicEndToEnd, postcodeGivesPrefectureCityAndTownWithReadings)
{
    TPosSearch search(kLibs, kData);
    QString formatted;
    ASSERT_EQ(search.SearchPostcode(QStringLiteral("250-0011"), &formatted), 0);
    EXPECT_EQ(formatted, QStringLiteral("250-0011"));
    ASSERT_EQ(search.GetCityCount(), 1);
    ASSERT_EQ(search.SearchTown(0, 0), 0);
    ASSERT_EQ(search.GetTownCount(), 1);
    const TDicAdrsResult *result = search.GetAddress(0, true);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(QByteArray(result->Postcode), QByteArray("250-0011"));
    EXPECT_EQ(text(result->Pref), QStringLiteral("神奈川県"));
    EXPECT_EQ(text(result->PrefKana), QStringLiteral("ｶﾅｶﾞﾜｹﾝ"));
    EXPECT_EQ(text(result->City), QStringLiteral("小田原市"));
    EXPECT_EQ(text(result->CityKana), QStringLiteral("ｵﾀﾞﾜﾗｼ"));
    EXPECT_EQ(text(result->Town), QStringLiteral("栄町"));
    EXPECT_EQ(text(result->TownKana), QStringLiteral("ｻｶｴﾁｮｳ"));
    EXPECT_EQ(QByteArray(result->CityCode, 6), QByteArray("142069"));
    EXPECT_EQ(result->Latitude, 0); // no coordinates in the public data
}

TEST(DicEndToEnd, largeOfficePostcodeGivesTheOffice)
{
    TPosSearch search(kLibs, kData);
    ASSERT_EQ(search.SearchPostcode(QStringLiteral("1028102")), 0);
    ASSERT_EQ(search.SearchTown(0, 1), 0);
    const TDicAdrsResult *result = search.GetAddress(0, true);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(text(result->Large), QStringLiteral("古久根建設　株式会社"));
    EXPECT_EQ(text(result->Town), QStringLiteral("飯田橋"));
    EXPECT_EQ(text(result->City), QStringLiteral("千代田区"));
}

TEST(DicEndToEnd, addressTextFindsTheCityAndItsTown)
{
    TAdrsSearch search(kLibs, kData);
    ASSERT_EQ(search.SearchAddress(QStringLiteral("神奈川県小田原市栄町2-1")), 0);
    ASSERT_EQ(search.GetCityCount(), 1);
    ASSERT_EQ(search.SearchTown(0, 0), 0);
    ASSERT_GE(search.GetTownCount(), 1);
    const TDicAdrsResult *result = search.GetAddress(0, true);
    EXPECT_EQ(text(result->Town), QStringLiteral("栄町"));
    EXPECT_EQ(QByteArray(result->Postcode), QByteArray("250-0011"));
    EXPECT_EQ(search.SearchAddress(QStringLiteral("架空県架空市")), 8);
}

// An address as people write it: the cities the address search lists (in
// code order, '|' between), the town it finds in each, and what the
// one-address conversion answers (for 0 the one city and the town).
struct WrittenAddress {
    const char *text;
    const char *cities;
    const char *town; // "" when the text names none
    int conversion;
};

class DicAddressWritings : public ::testing::TestWithParam<WrittenAddress>
{
};

TEST_P(DicAddressWritings, findTheTownOrNameEveryCityTheyFit)
{
    const WrittenAddress &c = GetParam();
    const QString address = QString::fromUtf8(c.text);
    const QStringList cities = QString::fromUtf8(c.cities).split(u'|');
    const QString town = QString::fromUtf8(c.town);

    TAdrsSearch search(kLibs, kData);
    ASSERT_EQ(search.SearchAddress(address), 0);
    QStringList found;
    for (int i = 0; i < search.GetCityCount(); ++i)
        found << text(search.GetCity(i)->City);
    EXPECT_EQ(found, cities);
    for (int i = 0; i < search.GetCityCount() && !town.isEmpty(); ++i) {
        ASSERT_EQ(search.SearchTown(i, 0), 0) << i;
        ASSERT_EQ(search.GetTownCount(), 1) << i;
        EXPECT_EQ(text(search.GetTown(0)->Town), town) << i;
    }

    TContinualAdrsSearch conversion(kLibs, kData);
    ASSERT_EQ(conversion.Search(address), c.conversion);
    const TDicAdrsShortResult *result = conversion.GetAddress(false);
    EXPECT_EQ(text(result->City), c.conversion == 0 ? cities.front() : QString());
    EXPECT_EQ(text(result->Town), c.conversion == 0 ? town : QString());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DicAddressWritings,
    ::testing::Values(
        // The county left out, 大字 or 字 before the town.
        WrittenAddress{"中井町比奈窪", "足柄上郡中井町", "比奈窪", 0},
        WrittenAddress{"神奈川県足柄上郡中井町大字比奈窪５６", "足柄上郡中井町", "比奈窪", 0},
        WrittenAddress{"中井町字境別所", "足柄上郡中井町", "境別所", 0},
        // A designated city without its ward: the ward whose town it is.
        WrittenAddress{"京都市御旅町", "京都市下京区", "御旅町", 0},
        // Numbers in half-width, full-width and kanji numerals alike.
        WrittenAddress{"旭川市永山北4条", "旭川市", "永山北４条", 0},
        WrittenAddress{"旭川市永山北四条２丁目", "旭川市", "永山北４条", 0},
        WrittenAddress{"札幌市中央区南１０条西", "札幌市中央区", "南十条西", 0},
        WrittenAddress{"札幌市中央区北20条西", "札幌市中央区", "北二十条西", 0},
        // Several cities fit alike: all are listed, the conversion names none.
        WrittenAddress{"京都市西魚屋町", "京都市中京区|京都市下京区", "西魚屋町", 8},
        WrittenAddress{"府中市", "府中市|府中市", "", 8},
        // A two-character town after its county, in two prefectures: named
        // alone it names both; its town or its prefecture decides.
        WrittenAddress{"森町", "茅部郡森町|周智郡森町", "", 8},
        WrittenAddress{"森町赤井川", "茅部郡森町", "赤井川", 0},
        WrittenAddress{"森町橘", "周智郡森町", "橘", 0},
        WrittenAddress{"静岡県森町森", "周智郡森町", "森", 0},
        WrittenAddress{"北海道森町本町", "茅部郡森町", "本町", 0}));

// Every full-width digit of a dictionary name (the floors of 大手町ＪＡビル:
// digit 0 in the tenth) reads as the same digit typed half- or full-width.
class DicFullWidthDigits : public ::testing::TestWithParam<int>
{
};

TEST_P(DicFullWidthDigits, nameTheTownTypedInEitherWidth)
{
    const QString half = QString::number(GetParam() == 0 ? 10 : GetParam());
    QString full;
    for (const QChar c : half)
        full += QChar(c.unicode() - u'0' + 0xFF10);
    const QString town = QStringLiteral("大手町ＪＡビル") + full + u'階';
    for (const QString &digits : {half, full}) {
        const QString address = QStringLiteral("東京都千代田区大手町ＪＡビル") + digits + u'階';
        SCOPED_TRACE(address.toStdString());
        TAdrsSearch search(kLibs, kData);
        ASSERT_EQ(search.SearchAddress(address), 0);
        ASSERT_EQ(search.GetCityCount(), 1);
        ASSERT_EQ(search.SearchTown(0, 0), 0);
        ASSERT_EQ(search.GetTownCount(), 1);
        EXPECT_EQ(text(search.GetTown(0)->Town), town);

        TContinualAdrsSearch conversion(kLibs, kData);
        ASSERT_EQ(conversion.Search(address), 0);
        EXPECT_EQ(text(conversion.GetAddress(false)->Town), town);
    }
}

INSTANTIATE_TEST_SUITE_P(Digits, DicFullWidthDigits, ::testing::Range(0, 10));

TEST(DicEndToEnd, telephoneNumberGivesItsAreaCitiesAndTowns)
{
    ScriptedMessageBoxes boxes;
    TKykbnSearch search(kLibs, kData);
    QString hyphenated;
    ASSERT_EQ(search.SearchPrefix(QStringLiteral("0465-12-3456"), &hyphenated), 0);
    EXPECT_EQ(hyphenated, QStringLiteral("0465-12-3456"));
    ASSERT_EQ(search.GetCityCount(), 1);
    ASSERT_EQ(search.SearchTown(0), 0);
    EXPECT_GT(search.GetTownCount(), 20); // more than one block
    const TDicTelAdrsResult *result = search.GetAddress(1, true);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(QByteArray(result->Phone), QByteArray("0465-12-3456"));
    EXPECT_EQ(text(result->City), QStringLiteral("小田原市"));
    EXPECT_EQ(text(result->CityKana), QStringLiteral("ｵﾀﾞﾜﾗｼ")); // from the detail library
    EXPECT_EQ(search.SearchPrefix(QStringLiteral("090-1234-5678")), 8);
    EXPECT_EQ(boxes.count(), 0);
}

// Search objects of every kind made, used and destroyed on eight threads at
// once: each shares its library's one handle, so no object's end unloads
// the library under another's call, and each answers as it would alone.
TEST(DicEndToEnd, searchObjectsOnEightThreadsAtOnceAnswerAsAlone)
{
    ScriptedMessageBoxes boxes;
    const std::function<bool()> uses[] = {
        [] {
            TAdrsSearch search(kLibs, kData);
            return search.SearchAddress(QStringLiteral("神奈川県小田原市栄町")) == 0 && search.GetCityCount() == 1
                   && search.SearchTown(0, 0) == 0 && text(search.GetAddress(0, false)->Town) == QStringLiteral("栄町");
        },
        [] {
            TPosSearch search(kLibs, kData);
            return search.SearchPostcode(QStringLiteral("2500011")) == 0 && search.SearchTown(0, 0) == 0
                   && text(search.GetAddress(0, true)->CityKana) == QStringLiteral("ｵﾀﾞﾜﾗｼ");
        },
        [] {
            TKykbnSearch search(kLibs, kData);
            QString hyphenated;
            return search.SearchPrefix(QStringLiteral("0465123456"), &hyphenated) == 0
                   && hyphenated == QStringLiteral("0465-12-3456") && search.SearchTown(0) == 0;
        },
        [] {
            TKanaAdrsSearch search(kLibs, kData);
            return search.SearchTdfkn(TKanaAdrsSearch::AllRegions) == 0 && search.GetTdfknCount() == 47;
        },
        [] {
            TContinualAdrsSearch search(kLibs, kData);
            return search.Search(QStringLiteral("神奈川県小田原市栄町")) == 0
                   && QByteArray(search.GetAddress(true)->CityCode, 6) == "142069";
        },
    };
    constexpr int kThreads = 8;
    constexpr int kRounds = 25;
    std::atomic<int> wrong{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                if (!uses[static_cast<std::size_t>(t + i) % std::size(uses)]())
                    ++wrong;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::cout << kThreads * kRounds << " searches on " << kThreads << " threads: " << ms << " ms\n";
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(boxes.count(), 0);
}

// The data built from the excerpt, which every build has, and the full data
// built from the fetched packages, which a build without them lacks.
class DicEndToEndData : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        m_data = QString::fromUtf8(GetParam());
        if (!QFileInfo::exists(m_data + QLatin1String(DicDataFileName)))
            GTEST_SKIP() << "no dictionary data in " << m_data.toStdString()
                         << " (the target murven_dic_data builds it from the packages in .deps/dic-sources)";
    }

    QString m_data;
};

struct TPrefecturePostcode {
    int Pref;
    const char *Postcode;
    const char16_t *City;
    const char16_t *CityKana;
};

// Postcodes of the prefectures whose readings hold small kana, and of two
// without, in municipalities the excerpt has.
constexpr TPrefecturePostcode kPrefecturePostcodes[] = {
    {1, "0600001", u"札幌市中央区", u"ｻｯﾎﾟﾛｼﾁｭｳｵｳｸ"},
    {13, "1000001", u"千代田区", u"ﾁﾖﾀﾞｸ"},
    {14, "2300001", u"横浜市鶴見区", u"ﾖｺﾊﾏｼﾂﾙﾐｸ"},
    {26, "6100301", u"綴喜郡井手町", u"ﾂﾂﾞｷｸﾞﾝｲﾃﾞﾁｮｳ"},
    {28, "6751101", u"加古郡稲美町", u"ｶｺｸﾞﾝｲﾅﾐﾁｮｳ"},
    {31, "6894101", u"西伯郡伯耆町", u"ｻｲﾊｸｸﾞﾝﾎｳｷﾁｮｳ"},
    {34, "7220431", u"府中市", u"ﾌﾁｭｳｼ"},
};

// The result splits the city entry's reading after the prefecture by the
// program's table of prefecture readings, which has no small kana: each
// prefecture must come out whole.
TEST_P(DicEndToEndData, postcodeResultSplitsEveryPrefectureFromItsCity)
{
    TPosSearch search(kLibs, m_data);
    for (const TPrefecturePostcode &c : kPrefecturePostcodes) {
        SCOPED_TRACE(c.Postcode);
        ASSERT_EQ(search.SearchPostcode(QString::fromLatin1(c.Postcode)), 0);
        ASSERT_EQ(search.GetCityCount(), 1);
        ASSERT_EQ(search.SearchTown(0, 0), 0);
        const TDicAdrsResult *result = search.GetAddress(-1, false);
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(DicFieldText(result->Pref), PrefectureNamesAnsi().at(c.Pref - 1));
        EXPECT_EQ(DicFieldText(result->PrefKana), PrefectureReadings().at(c.Pref - 1));
        EXPECT_EQ(text(result->City), QString::fromUtf16(c.City));
        EXPECT_EQ(text(result->CityKana), QString::fromUtf16(c.CityKana));
    }

    // Every prefecture: the first town of its first city, found through the
    // kana and address lists, searched by its postcode, keeps the
    // prefecture's name and reading, and its city reading starts after them.
    TKanaAdrsSearch kana(kLibs, m_data);
    TAdrsSearch address(kLibs, m_data);
    ASSERT_EQ(kana.SearchTdfkn(TKanaAdrsSearch::AllRegions), 0);
    int checked = 0;
    for (int p = 0; p < kana.GetTdfknCount(); ++p) {
        const TWqk1adPref *pref = kana.GetTdfkn(p);
        const QByteArray prefKana = PrefectureReadings().at(pref->Number - 1);
        SCOPED_TRACE(PrefectureNamesAnsi().at(pref->Number - 1).toStdString());
        ASSERT_EQ(kana.SearchCity(pref->Number, pref->CityCount), 0);
        QByteArray postcode;
        for (int i = 0; i < kana.GetCityCount() && postcode.isEmpty(); ++i) {
            const QString place = text(PrefectureNamesAnsi().at(pref->Number - 1).constData()) + text(kana.GetCity(i)->Name);
            if (address.SearchAddress(place) == 0 && address.GetCityCount() == 1 && address.SearchTown(0, 0) == 0
                && address.GetTownCount() > 0)
                postcode = DicFieldText(address.GetTown(0)->Postcode);
        }
        if (postcode.isEmpty())
            continue; // a prefecture without towns in this data
        ASSERT_EQ(search.SearchPostcode(QString::fromLatin1(postcode)), 0) << postcode.constData();
        ASSERT_EQ(search.SearchTown(0, 0), 0);
        const TDicAdrsResult *result = search.GetAddress(-1, false);
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(DicFieldText(result->Pref), PrefectureNamesAnsi().at(pref->Number - 1));
        EXPECT_EQ(DicFieldText(result->PrefKana), prefKana);
        // The city reading, small kana as big ones, must not begin with the
        // whole prefecture reading (a city may begin like it: 鹿児島市).
        QString cityKana = text(result->CityKana);
        for (QChar &c : cityKana) {
            const int small = QStringView(u"ｧｨｩｪｫｬｭｮｯ").indexOf(c);
            if (small >= 0)
                c = QStringView(u"ｱｲｳｴｵﾔﾕﾖﾂ")[small];
        }
        EXPECT_FALSE(cityKana.startsWith(text(prefKana.constData()))) << postcode.constData();
        ++checked;
    }
    EXPECT_EQ(checked, 47);
}

TEST_P(DicEndToEndData, telephoneAreaListsItsOwnMunicipalityFirst)
{
    ScriptedMessageBoxes boxes;
    TKykbnSearch search(kLibs, m_data);
    const std::pair<const char *, const char16_t *> cases[] = {
        {"0260-12-3456", u"長野県下伊那郡阿南町"}, // the geocoder's place is the municipality's whole name
        {"0859-72-3456", u"鳥取県日野郡日野町"},   // the former town 根雨 (伯耆町 has only 根雨原)
    };
    for (const auto &[number, city] : cases) {
        ASSERT_EQ(search.SearchPrefix(QString::fromLatin1(number)), 0) << number;
        ASSERT_GE(search.GetCityCount(), 1) << number;
        EXPECT_EQ(text(search.GetCity(0)->Name), QString::fromUtf16(city)) << number;
    }
    EXPECT_EQ(boxes.count(), 0);
}

TEST_P(DicEndToEndData, kanaOazaListsTownsOnceWithoutBuildingFloors)
{
    TKanaAdrsSearch search(kLibs, m_data);
    auto oazaNames = [&](int pref, const char *code) {
        QStringList names;
        EXPECT_EQ(search.SearchCity(pref, 200), 0);
        for (int i = 0; i < search.GetCityCount(); ++i) {
            if (QByteArray(search.GetCity(i)->CityCode) != code)
                continue;
            EXPECT_EQ(search.SearchOhaza(QString::fromLatin1(code), search.GetCity(i)->OhazaCount, true), 0);
            EXPECT_EQ(search.GetOhazaCount(), search.GetCity(i)->OhazaCount);
            for (int o = 0; o < search.GetOhazaCount(); ++o)
                names << text(search.GetOhaza(o)->Name);
        }
        return names;
    };
    // 千代田区: each town once; no floor ("大手町ＪＡビル１０階") and no
    // building named after its town ("大手町ＪＡビル") stands as a town.
    const QStringList chiyoda = oazaNames(13, "13101");
    ASSERT_GT(chiyoda.size(), 50);
    EXPECT_EQ(QSet<QString>(chiyoda.begin(), chiyoda.end()).size(), chiyoda.size());
    for (const QString &name : chiyoda) {
        EXPECT_FALSE(name.endsWith(u'階')) << name.toStdString();
        for (const QString &other : chiyoda)
            EXPECT_FALSE(name != other && name.startsWith(other)) << name.toStdString();
    }
    EXPECT_TRUE(chiyoda.contains(QStringLiteral("大手町")));
    EXPECT_TRUE(chiyoda.contains(QStringLiteral("丸の内")));
    // 大府市 has two towns 北崎町 (ｷﾀｻｷﾏﾁ and ｷﾀｻｷﾁｮｳ).
    EXPECT_EQ(oazaNames(23, "23223").count(QStringLiteral("北崎町")), 2);
}

// Asked for details, a result keeps the very row its list showed: the floor
// of a large building keeps its postcode and name, as does each postcode of
// a town with several (the detail library answers the row of the town code,
// and every row has a code of its own). Only the rows of 大手町 are compared:
// each detail completion loads the detail library afresh.
template <class TSearch>
void expectDetailsKeepEveryListedRow(TSearch &search)
{
    QSet<QByteArray> codes;
    int compared = 0;
    for (int i = 0; i < search.GetTownCount(); ++i) {
        const auto *town = search.GetTown(i);
        if (!text(town->Town).startsWith(QStringLiteral("大手町")))
            continue;
        ++compared;
        const auto *result = search.GetAddress(i, true);
        ASSERT_NE(result, nullptr);
        SCOPED_TRACE(text(town->Town).toStdString());
        EXPECT_EQ(QByteArray(result->Postcode), FormatDicPostcode(DicFieldText(town->Postcode)));
        EXPECT_EQ(text(result->Town), text(town->Town));
        codes.insert(DicFieldText(result->TownCode));
    }
    EXPECT_GT(compared, 30);
    EXPECT_EQ(codes.size(), compared);
}

TEST_P(DicEndToEndData, detailsKeepTheFloorsOfALargeBuildingAndEveryPostcodeOfATown)
{
    ScriptedMessageBoxes boxes;
    TAdrsSearch address(kLibs, m_data);
    ASSERT_EQ(address.SearchAddress(QStringLiteral("東京都千代田区")), 0);
    ASSERT_EQ(address.SearchTown(0, 0), 0);
    expectDetailsKeepEveryListedRow(address);

    TKykbnSearch telephone(kLibs, m_data);
    ASSERT_EQ(telephone.SearchPrefix(QStringLiteral("03-3211-1111")), 0);
    int chiyoda = -1;
    for (int i = 0; i < telephone.GetCityCount(); ++i) {
        if (QByteArray(telephone.GetCity(i)->CityCode, 6) == "131016")
            chiyoda = i;
    }
    ASSERT_GE(chiyoda, 0);
    ASSERT_EQ(telephone.SearchTown(chiyoda), 0);
    expectDetailsKeepEveryListedRow(telephone);

    // One postcode at a time: a floor and the town it lies in, both
    // postcodes of 一ツ橋 and of 柴田郡川崎町's 前川 (town, postcode of its
    // leading row). The leading row keeps the code oaza number + "0000".
    TPosSearch postcode(kLibs, m_data);
    const std::tuple<const char *, const char16_t *, const char *> rows[] = {
        {"100-0004", u"大手町", "100-0004"}, {"100-6810", u"大手町ＪＡビル１０階", "100-0004"},
        {"100-0003", u"一ツ橋", "100-0003"}, {"101-0003", u"一ツ橋", "100-0003"},
        {"989-0901", u"前川", "989-0901"},   {"989-1501", u"前川", "989-0901"},
    };
    QMap<QByteArray, QByteArray> codeOf;
    for (const auto &[code, town, lead] : rows) {
        SCOPED_TRACE(code);
        ASSERT_EQ(postcode.SearchPostcode(QString::fromLatin1(code)), 0);
        ASSERT_EQ(postcode.SearchTown(0, 0), 0);
        const TDicAdrsResult *result = postcode.GetAddress(0, true);
        EXPECT_EQ(QByteArray(result->Postcode), QByteArray(code));
        EXPECT_EQ(text(result->Town), QString::fromUtf16(town));
        const QByteArray townCode(result->TownCode, 7);
        codeOf.insert(code, townCode);
        if (QByteArray(code) == lead) {
            EXPECT_EQ(townCode.mid(3), "0000");
        } else {
            EXPECT_EQ(townCode.left(3), codeOf.value(lead).left(3));
            EXPECT_NE(townCode, codeOf.value(lead));
        }
    }

    TContinualAdrsSearch conversion(kLibs, m_data);
    ASSERT_EQ(conversion.Search(QStringLiteral("東京都千代田区大手町ＪＡビル１０階")), 0);
    const TDicAdrsShortResult *converted = conversion.GetAddress(true);
    EXPECT_EQ(QByteArray(converted->Postcode), QByteArray("100-6810"));
    EXPECT_EQ(text(converted->Town), QStringLiteral("大手町ＪＡビル１０階"));
    EXPECT_EQ(QByteArray(converted->TownCode, 7), codeOf.value("100-6810"));
    EXPECT_EQ(boxes.count(), 0);
}

// The cities of every prefecture and the oaza of every city come in reading
// order: each heading (the first kana as hiragana) in one run, the runs in
// the order of the syllabary, readings without kana first.
TEST_P(DicEndToEndData, kanaHeadingsRunContiguouslyInReadingOrder)
{
    TKanaAdrsSearch search(kLibs, m_data);
    ASSERT_EQ(search.SearchTdfkn(TKanaAdrsSearch::AllRegions), 0);
    std::vector<std::pair<QByteArray, int>> cities; // code, oaza count
    for (int p = 0; p < search.GetTdfknCount(); ++p) {
        const TWqk1adPref *pref = search.GetTdfkn(p);
        if (pref->CityCount == 0)
            continue;
        ASSERT_EQ(search.SearchCity(pref->Number, pref->CityCount), 0);
        QByteArray previous;
        for (int i = 0; i < search.GetCityCount(); ++i) {
            cities.emplace_back(QByteArray(search.GetCity(i)->CityCode), search.GetCity(i)->OhazaCount);
            const QByteArray head(search.GetCity(i)->Head, 2);
            EXPECT_LE(previous, head) << search.GetCity(i)->CityCode << " " << text(search.GetCity(i)->Name).toStdString();
            previous = head;
        }
    }
    for (const auto &[code, count] : cities) {
        if (count == 0)
            continue;
        ASSERT_EQ(search.SearchOhaza(QString::fromLatin1(code), count, true), 0) << code.toStdString();
        QByteArray previous;
        for (int o = 0; o < search.GetOhazaCount(); ++o) {
            // Shift-JIS orders the hiragana as the syllabary does.
            const QByteArray head(search.GetOhaza(o)->Head, 2);
            const QByteArray key = head.startsWith('\0') ? QByteArray() : head;
            EXPECT_LE(previous, key) << code.toStdString() << " " << text(search.GetOhaza(o)->Name).toStdString();
            previous = key;
        }
    }
}

// The full data alone has the municipalities that former towns joined.
class DicEndToEndFullData : public DicEndToEndData
{
};

// A telephone area named after a former town lists the municipality the
// town is part of now first, before others whose names hold the place.
TEST_P(DicEndToEndFullData, telephoneAreaOfAFormerTownListsItsMunicipalityFirst)
{
    ScriptedMessageBoxes boxes;
    TKykbnSearch search(kLibs, m_data);
    const std::pair<const char *, const char16_t *> cases[] = {
        {"0187-62-3456", u"秋田県大仙市"}, // 大曲
        {"0197-22-3456", u"岩手県奥州市"}, // 水沢
    };
    for (const auto &[number, city] : cases) {
        ASSERT_EQ(search.SearchPrefix(QString::fromLatin1(number)), 0) << number;
        ASSERT_GE(search.GetCityCount(), 1) << number;
        EXPECT_EQ(text(search.GetCity(0)->Name), QString::fromUtf16(city)) << number;
    }
    EXPECT_EQ(boxes.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Data, DicEndToEndFullData, ::testing::Values(MURVEN_DIC_FULL_DIR),
                         [](const ::testing::TestParamInfo<const char *> &) { return std::string("Full"); });

INSTANTIATE_TEST_SUITE_P(Data, DicEndToEndData,
                         ::testing::Values(MURVEN_DIC_EXCERPT_DIR, MURVEN_DIC_FULL_DIR),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.index == 0 ? "Excerpt" : "Full");
                         });

} // namespace
