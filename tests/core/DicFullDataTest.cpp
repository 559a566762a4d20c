// The search classes over our real dictionary libraries and the full data
// built from the fetched packages, for the places whose answers depend on the
// whole data: Tokyo's islands, former towns, towns read with numbers, Kyoto's
// street indications and towns of several postcodes, long office names.
// Skipped when the build has no full data.

#include "core/AdrsDicClass.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/KanaAdrsDicClass.h"
#include "core/KykbnDicClass.h"
#include "core/PosDicClass.h"
#include "platform/Cp932.h"
#include "platform/dic/DicApi.h"

#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

#include <gtest/gtest.h>

namespace {

const QString kLibs = QStringLiteral(MURVEN_DIC_LIB_DIR);
const QString kData = QStringLiteral(MURVEN_DIC_FULL_DIR);

QString text(const char *field, std::size_t size)
{
    return Cp932::decode(DicFieldText(field, size));
}
template <std::size_t N>
QString text(const char (&field)[N])
{
    return text(field, N);
}

void skipWithoutFullData()
{
    if (!QFileInfo::exists(kData + QLatin1String(DicDataFileName)))
        GTEST_SKIP() << "no full dictionary data in " << kData.toStdString()
                     << " (the target murven_dic_data builds it from the packages in .deps/dic-sources)";
}

// --- telephone areas -------------------------------------------------------

struct TAreaCase {
    const char *Phone;
    const char16_t *FirstCity; // prefecture + city, as the area list names it
};
class DicFullAreaTest : public ::testing::TestWithParam<TAreaCase>
{
protected:
    void SetUp() override { skipWithoutFullData(); }
};

TEST_P(DicFullAreaTest, areaListsTheMunicipalityOfItsPlaceFirst)
{
    TKykbnSearch search(kLibs, kData);
    ASSERT_EQ(search.SearchPrefix(QString::fromLatin1(GetParam().Phone)), 0);
    ASSERT_GT(search.GetCityCount(), 0);
    EXPECT_EQ(text(search.GetCity(0)->Name), QString::fromUtf16(GetParam().FirstCity));
}

INSTANTIATE_TEST_SUITE_P(
    Places, DicFullAreaTest,
    ::testing::Values(
        // Islands, named by their island; the area of 伊豆大島 serves three more.
        TAreaCase{"0499221234", u"東京都大島町"}, TAreaCase{"0499421234", u"東京都三宅島三宅村"},
        TAreaCase{"0499621234", u"東京都八丈島八丈町"}, TAreaCase{"0980821234", u"沖縄県石垣市"},
        TAreaCase{"0980721234", u"沖縄県宮古島市"}, TAreaCase{"0997221234", u"鹿児島県西之表市"},
        // Former towns, some of which the geocoder puts in no or the wrong prefecture.
        TAreaCase{"0229221234", u"宮城県大崎市"}, TAreaCase{"0288221234", u"栃木県日光市"},
        TAreaCase{"0256721234", u"新潟県新潟市西蒲区"}, TAreaCase{"0595221234", u"三重県伊賀市"},
        TAreaCase{"0747221234", u"奈良県五條市"}, TAreaCase{"0826621234", u"広島県山県郡北広島町"},
        TAreaCase{"0747521234", u"奈良県吉野郡下市町"}, TAreaCase{"0946221234", u"福岡県朝倉市"}));

// --- island municipalities, with and without their island -----------------

struct TIslandCase {
    const char16_t *Text;
    const char *CityCode;
    const char16_t *Town; // empty: the text names the city alone
};
class DicFullIslandTest : public ::testing::TestWithParam<TIslandCase>
{
protected:
    void SetUp() override { skipWithoutFullData(); }
};

TEST_P(DicFullIslandTest, addressSearchFindsTheIslandMunicipality)
{
    const TIslandCase &c = GetParam();
    TAdrsSearch search(kLibs, kData);
    ASSERT_EQ(search.SearchAddress(QString::fromUtf16(c.Text)), 0);
    ASSERT_EQ(search.GetCityCount(), 1);
    EXPECT_EQ(DicFieldText(search.GetCity(0)->CityCode), QByteArray(c.CityCode));
}

TEST_P(DicFullIslandTest, oneAddressConversionFindsTheIslandMunicipality)
{
    const TIslandCase &c = GetParam();
    TContinualAdrsSearch search(kLibs, kData);
    const QString town = QString::fromUtf16(c.Town);
    ASSERT_EQ(search.Search(QString::fromUtf16(c.Text)), town.isEmpty() ? DicCityOnly : DicOk);
    EXPECT_EQ(DicFieldText(search.GetAddress(false)->CityCode), QByteArray(c.CityCode));
    EXPECT_EQ(text(search.GetAddress(false)->Town), town);
}

INSTANTIATE_TEST_SUITE_P(Writings, DicFullIslandTest,
                         ::testing::Values(TIslandCase{u"東京都八丈町大賀郷", "134015", u"大賀郷"},
                                           TIslandCase{u"東京都八丈島八丈町大賀郷", "134015", u"大賀郷"},
                                           TIslandCase{u"八丈町大賀郷", "134015", u"大賀郷"},
                                           TIslandCase{u"東京都三宅村", "133817", u""},
                                           TIslandCase{u"東京都三宅島三宅村", "133817", u""}));

// --- readings written with numbers -----------------------------------------

class DicFullReadingTest : public ::testing::Test
{
protected:
    void SetUp() override { skipWithoutFullData(); }
};

// 岩見沢市's 条 towns: the source reads 一条東 as "1ｼﾞｮｳﾋｶﾞｼ".
TEST_F(DicFullReadingTest, townReadOnlyWithDigitsGetsItsKanaReading)
{
    TAdrsSearch search(kLibs, kData);
    ASSERT_EQ(search.SearchAddress(QStringLiteral("北海道岩見沢市一条東")), 0);
    ASSERT_EQ(search.SearchTown(0, 0), 0);
    ASSERT_GT(search.GetTownCount(), 0);
    EXPECT_EQ(text(search.GetTown(0)->Town), QStringLiteral("一条東"));
    EXPECT_EQ(text(search.GetTown(0)->TownKana), QStringLiteral("ｲﾁｼﾞｮｳﾋｶﾞｼ"));
}

TEST_F(DicFullReadingTest, kanaListHeadsTownsReadWithNumbersInReadingOrder)
{
    TKanaAdrsSearch search(kLibs, kData);
    ASSERT_EQ(search.SearchTdfkn(TKanaAdrsSearch::AllRegions), 0);
    ASSERT_EQ(search.SearchCity(1, search.GetTdfkn(0)->CityCount), 0);
    int count = 0;
    for (int i = 0; i < search.GetCityCount(); ++i) {
        if (QByteArray(search.GetCity(i)->CityCode) == "01210") // 岩見沢市
            count = search.GetCity(i)->OhazaCount;
    }
    ASSERT_GT(count, 0);
    ASSERT_EQ(search.SearchOhaza(QStringLiteral("01210"), count, false), 0);
    int ichijo = -1;
    int jujo = -1;
    for (int i = 0; i < search.GetOhazaCount(); ++i) {
        const TWqk1adOhaza *ohaza = search.GetOhaza(i);
        const QString name = text(ohaza->Name);
        EXPECT_NE(ohaza->Head[0], '\0') << name.toStdString();
        if (name == QStringLiteral("一条東")) {
            ichijo = i;
            EXPECT_EQ(Cp932::decode(QByteArray(ohaza->Head, 2)), QStringLiteral("い"));
        }
        if (name == QStringLiteral("十条東"))
            jujo = i;
    }
    ASSERT_GE(ichijo, 0);
    ASSERT_GE(jujo, 0);
    EXPECT_LT(ichijo, jujo); // ｲﾁｼﾞｮｳ before ｼﾞｭｳｼﾞｮｳ
}

// --- one address or none ----------------------------------------------------

struct TConversionCase {
    const char16_t *Text;
    int Answer;
    const char16_t *Town; // the town answered; empty for none
    const char *Postcode; // the town's, when one is answered
};
class DicFullConversionTest : public ::testing::TestWithParam<TConversionCase>
{
protected:
    void SetUp() override { skipWithoutFullData(); }
};

TEST_P(DicFullConversionTest, answersOneTownOrNone)
{
    const TConversionCase &c = GetParam();
    TContinualAdrsSearch search(kLibs, kData);
    ASSERT_EQ(search.Search(QString::fromUtf16(c.Text)), c.Answer);
    if (c.Answer == DicNotFound)
        return;
    const TDicAdrsShortResult *address = search.GetAddress(false);
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(text(address->Town), QString::fromUtf16(c.Town));
    if (c.Answer == DicOk) {
        EXPECT_EQ(DicFieldText(address->Postcode).replace('-', ""), QByteArray(c.Postcode));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DicFullConversionTest,
    ::testing::Values(
        // 材木町 has three postcodes in 下京区 that the text does not tell apart.
        TConversionCase{u"京都府京都市下京区材木町", DicNotFound, u"", ""},
        TConversionCase{u"京都市下京区材木町１２３", DicNotFound, u"", ""},
        // The street indication is passed over to the town after it.
        TConversionCase{u"京都市中京区烏丸通三条上る場之町", DicOk, u"場之町", "6048172"},
        TConversionCase{u"京都市中京区烏丸通三条上ル場之町", DicOk, u"場之町", "6048172"},
        TConversionCase{u"京都市中京区烏丸通三条あがる場之町６００", DicOk, u"場之町", "6048172"},
        TConversionCase{u"京都市中京区三条通烏丸西入御倉町", DicOk, u"御倉町", "6048166"},
        TConversionCase{u"京都市中京区三条通烏丸西入ル御倉町", DicOk, u"御倉町", "6048166"},
        TConversionCase{u"京都市中京区三条烏丸にしいる御倉町", DicOk, u"御倉町", "6048166"},
        // 烏丸 is a town of 下京区, but here the start of a street name.
        TConversionCase{u"京都市下京区烏丸通七条上る", DicCityOnly, u"", ""},
        TConversionCase{u"京都市下京区烏丸通七条下ル", DicCityOnly, u"", ""},
        TConversionCase{u"京都市下京区烏丸", DicOk, u"烏丸", "6008175"}));

class DicFullStreetListTest : public ::testing::Test
{
protected:
    void SetUp() override { skipWithoutFullData(); }
};

TEST_F(DicFullStreetListTest, addressSearchListsTheTownAfterTheStreetIndication)
{
    TAdrsSearch search(kLibs, kData);
    ASSERT_EQ(search.SearchAddress(QStringLiteral("京都府京都市中京区烏丸通三条上る場之町")), 0);
    ASSERT_EQ(search.GetCityCount(), 1);
    ASSERT_EQ(search.SearchTown(0, 0), 0);
    ASSERT_EQ(search.GetTownCount(), 1);
    EXPECT_EQ(text(search.GetTown(0)->Town), QStringLiteral("場之町"));
}

TEST_F(DicFullStreetListTest, addressSearchNeverListsATownByTheStartOfAStreetName)
{
    // Nothing after the street indication: the ward's whole list, as for
    // the ward alone, not the town 烏丸.
    TAdrsSearch ward(kLibs, kData);
    ASSERT_EQ(ward.SearchAddress(QStringLiteral("京都市下京区")), 0);
    ASSERT_EQ(ward.SearchTown(0, 0), 0);
    TAdrsSearch search(kLibs, kData);
    ASSERT_EQ(search.SearchAddress(QStringLiteral("京都市下京区烏丸通七条上る")), 0);
    ASSERT_EQ(search.SearchTown(0, 0), 0);
    EXPECT_EQ(search.GetTownCount(), ward.GetTownCount());
}

// --- long large-office names ------------------------------------------------

class DicFullLargeOfficeTest : public ::testing::Test
{
protected:
    void SetUp() override { skipWithoutFullData(); }
};

// Every office whose name is longer than the result's field is cut on a
// character and ends in "…"; its reading field stays empty (the public data
// has none).
TEST_F(DicFullLargeOfficeTest, longNamesAreCutWithAVisibleMark)
{
    sqlite3 *db = nullptr;
    const QByteArray path = (kData + QLatin1String(DicDataFileName)).toLocal8Bit();
    ASSERT_EQ(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT postcode, office FROM town WHERE kind = 1 AND length(office) > 60", -1,
                                 &st, nullptr),
              SQLITE_OK);
    std::vector<std::pair<QString, QString>> offices;
    while (sqlite3_step(st) == SQLITE_ROW)
        offices.emplace_back(QString::fromLatin1(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))),
                             Cp932::decode(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, 1)),
                                                      sqlite3_column_bytes(st, 1))));
    sqlite3_finalize(st);
    sqlite3_close(db);
    ASSERT_GT(offices.size(), 100U);

    TPosSearch search(kLibs, kData);
    for (const auto &[postcode, name] : offices) {
        SCOPED_TRACE(postcode.toStdString());
        ASSERT_EQ(search.SearchPostcode(postcode), 0);
        ASSERT_EQ(search.SearchTown(0, 1), 0);
        bool seen = false;
        for (int i = 0; i < search.GetLargeCount() && !seen; ++i) {
            const TDicAdrsResult *result = search.GetAddress(i, false);
            ASSERT_NE(result, nullptr);
            const QString shown = text(result->Large);
            if (!shown.endsWith(u'…') || !name.startsWith(shown.chopped(1).trimmed()))
                continue;
            seen = true;
            EXPECT_LE(DicFieldText(result->Large).size(), 60);
            EXPECT_TRUE(text(result->LargeKana).isEmpty());
        }
        EXPECT_TRUE(seen) << name.toStdString();
    }
}

} // namespace
