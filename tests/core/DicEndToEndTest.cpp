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

#include "support/ScriptedMessageBoxes.h"

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

TEST(DicEndToEnd, oneAddressIsNormalisedWithItsDetail)
{
    TContinualAdrsSearch search(kLibs, kData);
    ASSERT_EQ(search.Search(QStringLiteral("小田原市栄町２丁目")), 0);
    const TDicAdrsShortResult *result = search.GetAddress(true);
    EXPECT_EQ(text(result->Pref), QStringLiteral("神奈川県"));
    EXPECT_EQ(text(result->Town), QStringLiteral("栄町"));
    EXPECT_EQ(QByteArray(result->TownCode, 7).left(3).toInt() > 0, true);
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
        WrittenAddress{"府中市", "府中市|府中市", "", 8}));

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

TEST(DicEndToEnd, kanaListsGoFromPrefectureToOaza)
{
    TKanaAdrsSearch search(kLibs, kData);
    ASSERT_EQ(search.SearchTdfkn(TKanaAdrsSearch::AllRegions), 0);
    ASSERT_EQ(search.GetTdfknCount(), 47);
    const TWqk1adPref *kanagawa = search.GetTdfkn(13);
    EXPECT_EQ(kanagawa->Number, 14);
    ASSERT_EQ(search.SearchCity(14, kanagawa->CityCount), 0);
    int odawara = -1;
    for (int i = 0; i < search.GetCityCount(); ++i) {
        if (QByteArray(search.GetCity(i)->CityCode) == "14206")
            odawara = i;
    }
    ASSERT_GE(odawara, 0);
    EXPECT_EQ(text(search.GetCity(odawara)->Name), QStringLiteral("小田原市"));
    ASSERT_EQ(search.SearchOhaza(QStringLiteral("14206"), search.GetCity(odawara)->OhazaCount, true), 0);
    EXPECT_EQ(QByteArray(search.GetOhaza(0)->Code, 8), QByteArray("14206001"));
}

} // namespace
