#include "StreamBytes.h"
#include "items/BarRect.h"
#include "support/PostBars.h"
#include "support/RowName.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <zint.h>

#include <array>
#include <memory>
#include <random>

namespace {

// ---- Address number ----------------------------------------------------------

struct AddressCase {
    const char *postcode;
    const char *address;
    const char *town;
    const char *expected;
};

class CustomerBarcodeDataTest : public testing::TestWithParam<AddressCase> {};

TEST_P(CustomerBarcodeDataTest, joinsThePostcodeAndTheAddressNumber)
{
    const auto &c = GetParam();
    const QStringList towns = *c.town ? QStringList{QString::fromUtf8(c.town)} : QStringList();
    EXPECT_EQ(CustomerBarcodeData(QString::fromUtf8(c.postcode), QString::fromUtf8(c.address), towns),
              QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CustomerBarcodeDataTest,
    testing::Values(
        AddressCase{"9813205", "宮城県仙台市泉区 紫山 3-1-4", "紫山", "98132053-1-4"},
        AddressCase{"0283623", "岩手県紫波郡矢巾町大字煙山 第3地割14番地2", "大字煙山", "02836233-14-2"},
        // Full width digits, kanji numerals before 丁目 and 番地/号/の all separate.
        AddressCase{"1000001", "千代田区千代田１丁目２番３号", "千代田", "10000011-2-3"},
        AddressCase{"1080073", "港区三田二丁目十五番", "三田", "10800732-15"},
        // Kanji numerals before no marker are text: "四" ending "十五番の四".
        AddressCase{"1080073", "港区三田二丁目十五番の四", "三田", "10800732-15"},
        // Without the dictionary a kanji town name stays text, not a number.
        AddressCase{"1080073", "港区三田2-15-4", "", "10800732-15-4"},
        // A numeral inside the town name is cut with the town.
        AddressCase{"0600042", "札幌市中央区大通西十二丁目3", "大通西", "060004212-3"},
        // Two or more letters in a row name a building, not a number.
        AddressCase{"1234567", "どこか町5番地 ＡＢビル", "どこか町", "12345675"},
        // Twenty code characters at most, a letter counting two.
        AddressCase{"1234567", "某町1234-5678-9012-3456", "某町", "12345671234-5678-901"},
        AddressCase{"123456", "某町1-2", "某町", ""},
        // A postcode typed with a digit too many is no postcode either.
        AddressCase{"123-45678", "某町1-2", "某町", ""},
        // A letter at the cut whose control code takes the last place stays:
        // the bars keep its control code alone.
        AddressCase{"1234567", "某町1234-5678-90A", "某町", "12345671234-5678-90A"},
        AddressCase{"1234567", "某町1234-5678-901A", "某町", "12345671234-5678-901"},
        AddressCase{"１２３－４５６７", "某町1-2", "某町", "12345671-2"},
        // Japan Post's own examples: "&", "/", "・" and "." are dropped so the
        // letters around them meet; a single letter joins the number without
        // a hyphen; a floor "F" after a number ends it.
        AddressCase{"2730102", "千葉県鎌ケ谷市右京塚東3丁目-20-5 郵便・A&bコーポB604号", "右京塚", "27301023-20-5B604"},
        AddressCase{"3170055", "茨城県日立市宮田町6丁目7-14 ABCビル2F", "宮田町", "31700556-7-14-2"},
        AddressCase{"6230011", "京都府綾部市青野町出口 6-7 LプラザB 106", "青野町", "62300116-7LB106"},
        AddressCase{"1830044", "東京都府中市日鋼町1番地1号 Jタワー5F", "日鋼町", "18300441-1J5"},
        AddressCase{"1000013", "東京都千代田区霞が関1丁目3番2号 郵便プラザ503室", "霞が関", "10000131-3-2-503"},
        AddressCase{"2630023", "千葉県千葉市稲毛区緑町3丁目30-8 郵便ビル403号", "緑町", "26300233-30-8-403"},
        AddressCase{"0600906", "北海道札幌市東区北六条東4丁目 郵便センター6号館", "北六条東", "06009064-6"},
        AddressCase{"5900016", "大阪府堺市堺区中田出井町四丁目六番十九号", "中田出井町", "59000164-6-19"},
        AddressCase{"0270203", "岩手県宮古市大字津軽石第二十一地割大淵川480", "大字津軽石", "027020321-480"},
        // Cut at the twentieth character, a hyphen there stays.
        AddressCase{"0640804", "北海道札幌市中央区南四条西29丁目1524-23 第2郵便ハウス501", "南四条西", "064080429-1524-23-2-"},
        // Without the dictionary, town names such as 四番町 and 八丁堀 are
        // names, not numbers; a building 一番館 neither.
        AddressCase{"1020081", "東京都千代田区四番町5-6", "", "10200815-6"},
        AddressCase{"1040032", "東京都中央区八丁堀3-1-1", "", "10400323-1-1"},
        AddressCase{"9800811", "宮城県仙台市青葉区一番町4-1-1", "", "98008114-1-1"},
        // After the number a numeral before "番" is a number, in a
        // building's name too.
        AddressCase{"1234567", "某町2丁目3番5号 一番館101", "某町", "12345672-3-5-1-101"},
        // Every hyphen look-alike, "の" and "ノ" separate.
        AddressCase{"1234567", "某町1‐2―3ｰ4−5－6", "某町", "12345671-2-3-4-5-6"},
        AddressCase{"1234567", "某町1‒2‑3﹣4–5—6", "某町", "12345671-2-3-4-5-6"},
        AddressCase{"1234567", "某町１の２ノ３", "某町", "12345671-2-3"},
        // A building named after its town does not move the start of the number.
        AddressCase{"5410053", "大阪府大阪市中央区本町3-6-4 本町ガーデンシティ10F", "本町", "54100533-6-4-10"},
        AddressCase{"5410053", "大阪府大阪市中央区本町三丁目6番4号本町ガーデンシティ", "本町", "54100533-6-4"},
        // Kanji numerals of a building name are part of the name.
        AddressCase{"1234567", "某町1番地 三井ビル2F", "某町", "12345671-2"},
        AddressCase{"1234567", "某町2丁目3番5号 五輪ハイツ101", "某町", "12345672-3-5-101"},
        AddressCase{"1234567", "某町青梅十一丁目六番地一号 郵便タワー601", "某町", "123456711-6-1-601"},
        AddressCase{"1234567", "某町十五番地の四ＡＢＣマンション", "某町", "123456715"},
        AddressCase{"1234567", "某町十五番地の四Ａ棟", "某町", "123456715A"},
        AddressCase{"1234567", "某町十五番地の四　郵便ハイツ", "某町", "123456715"},
        AddressCase{"1234567", "某町十五番地の4　郵便ハイツ", "某町", "123456715-4"},
        // Kanji numerals between dashes are text: the dashes join nothing.
        AddressCase{"1234567", "某町一‐二―三−四–五—六ー七", "某町", "1234567"},
        // "・", "/" and "." between two letters make them a building's name.
        AddressCase{"1234567", "某町3-5 A・Bハイツ102", "某町", "12345673-5-102"},
        AddressCase{"1234567", "某町3-5 A/Bハイツ102", "某町", "12345673-5-102"},
        AddressCase{"1234567", "某町3-5 A.Bハイツ102", "某町", "12345673-5-102"},
        // Half-width kana beside full-width digits: the digits still count.
        AddressCase{"1234567", "某町１丁目２番 ｶﾞｰﾃﾞﾝ３０１", "某町", "12345671-2-301"}));

// ---- Kanji numerals and the town -------------------------------------------------

struct NumberCase {
    const char *name;
    const char16_t *address;
    const char16_t *town; // the dictionary's town of the postcode, empty when it has none
    const char *number;
};

class AddressNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(AddressNumberTest, readsTheNumberAfterTheTown)
{
    const NumberCase &c = GetParam();
    const QStringList towns = *c.town ? QStringList{QString::fromUtf16(c.town)} : QStringList();
    EXPECT_EQ(AddressNumberOf(QString::fromUtf16(c.address), towns), QLatin1String(c.number));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressNumberTest,
    testing::Values(
        // The town's name again in a building's: the number written in kanji
        // numerals starts before it, so the town is its first mention.
        NumberCase{"kanjiNumberBeforeTheTownsBuilding", u"東京都千代田区霞が関一丁目二番三号霞が関コーポ五〇一号室",
                   u"霞が関", "1-2-3-501"},
        NumberCase{"kanjiNumberBeforeAHeightsOfTheTownsName", u"東京都千代田区千代田一丁目一番一号千代田ハイツ三〇二号室",
                   u"千代田", "1-1-1-302"},
        NumberCase{"kanjiNumberBeforeAGardenOfTheTownsName", u"大阪府大阪市中央区本町三丁目六番四号本町ガーデン五〇一号室",
                   u"本町", "3-6-4-501"},
        // A city holding the town's name: the town is its last mention
        // before the number.
        NumberCase{"cityHoldingTheTownsNameDigits", u"東京都中央区中央1-1", u"中央", "1-1"},
        NumberCase{"cityHoldingTheTownsNameKanji", u"東京都中央区中央一丁目一番", u"中央", "1-1"},
        // "第" before a 地割 the dictionary writes without it.
        NumberCase{"ordinalBeforeTheTownsChiwariDigits", u"岩手県和賀郡西和賀町杉名畑第44地割10番地3",
                   u"杉名畑４４地割", "10-3"},
        NumberCase{"ordinalBeforeTheTownsChiwariKanji", u"岩手県和賀郡西和賀町杉名畑第四十四地割十番地",
                   u"杉名畑４４地割", "10"},
        NumberCase{"numeralBeforeBanInABuilding", u"東京都世田谷区某町2-36-17 ハイツ四番館７Ｆ", u"某町", "2-36-17-4-7"},
        NumberCase{"numeralBeforeGokanInABuilding", u"某町4丁目 郵便センター六号館", u"某町", "4-6"},
        NumberCase{"numeralBeforeSen", u"北海道旭川市某町東四線十二号", u"某町", "4-12"},
        NumberCase{"hyakuIchiBanchi", u"某町百一番地", u"某町", "101"},
        NumberCase{"thousands", u"某町千二百三番地", u"某町", "1203"},
        NumberCase{"thousandsWithAZero", u"某町二千〇三番地", u"某町", "2003"},
        NumberCase{"tenAlone", u"某町十番地", u"某町", "10"},
        NumberCase{"tensAndOnes", u"某町九十九番", u"某町", "99"},
        NumberCase{"zeroWrittenAsAKanjiDigit", u"某町二〇三号", u"某町", "203"},
        NumberCase{"numeralBeforeNo", u"某町十五の三番地", u"某町", "15-3"},
        NumberCase{"numeralBeforeKatakanaNo", u"某町二十ノ八号", u"某町", "20-8"},
        NumberCase{"banchiAndBanAlike", u"某町5番6", u"某町", "5-6"},
        NumberCase{"chouWithoutMe", u"某町四丁六番", u"某町", "4-6"},
        // Kanji numerals followed by anything else are text.
        NumberCase{"numeralAtTheEnd", u"某町五番地の三", u"某町", "5"},
        NumberCase{"numeralBeforeADigit", u"某町三1-2", u"某町", "1-2"},
        NumberCase{"numeralBeforeALetter", u"某町1-2 三A棟", u"某町", "1-2A"},
        NumberCase{"numeralBeforeABlank", u"某町1-2 五〇一 号室", u"某町", "1-2"},
        // Towns holding numerals, as the dictionary names them, are passed
        // over before the number is read.
        NumberCase{"townSanNoWa", u"東京都台東区三ノ輪二丁目三番", u"三ノ輪", "2-3"},
        NumberCase{"townHatchoubori", u"東京都中央区八丁堀三丁目一番", u"八丁堀", "3-1"},
        NumberCase{"townIchibanchou", u"東京都千代田区一番町十番地", u"一番町", "10"},
        NumberCase{"townYonbanchou", u"東京都千代田区四番町五番地", u"四番町", "5"},
        NumberCase{"townRokubanchou", u"東京都千代田区六番町七番地", u"六番町", "7"},
        NumberCase{"townNinomiya", u"茨城県つくば市二の宮一丁目二番", u"二の宮", "1-2"},
        NumberCase{"townTookamachi", u"山形県山形市十日町一丁目二番", u"十日町", "1-2"},
        NumberCase{"townMita", u"東京都港区三田二丁目十五番", u"三田", "2-15"},
        // Without the dictionary's town, a numeral before a marker and
        // another ideograph names the place; the number starts after it.
        NumberCase{"noTownSanNoWa", u"東京都台東区三ノ輪2-3-4", u"", "2-3-4"},
        NumberCase{"noTownNinomiya", u"茨城県つくば市二の宮1-2-3", u"", "1-2-3"},
        NumberCase{"noTownKanjiNumber", u"東京都千代田区霞が関一丁目二番三号", u"", "1-2-3"},
        // After the number such a name in a building's name is read as the
        // numbers it holds, as every numeral before a marker is.
        NumberCase{"townNameInABuildingAfterTheNumber", u"某町1-2 四番町ハイツ101", u"某町", "1-2-4-101"},
        // The town written otherwise than the dictionary writes it: its name
        // met only in a building after the number is not the town.
        NumberCase{"townWrittenOtherwiseBeforeABuildingOfItsName", u"東京都千代田区霞ヶ関3-2-5 霞が関ビル12階",
                   u"霞が関", "3-2-5-12"},
        // A town whose name starts with the number's numerals.
        NumberCase{"townStartingWithANumber", u"某市八丁目5番地", u"八丁目", "5"},
        // The town's kanji numerals written in digits, half or full width.
        NumberCase{"townsNumeralInDigits", u"北海道札幌市中央区北1条西2丁目1-3", u"北一条西", "2-1-3"},
        NumberCase{"townsNumeralInFullWidthDigits", u"北海道札幌市中央区北１条西２丁目１－３", u"北一条西", "2-1-3"},
        NumberCase{"townsTensInDigits", u"北海道札幌市中央区南10条西1丁目", u"南十条西", "1"},
        NumberCase{"townStartingWithANumeralInDigits", u"宮城県仙台市青葉区1番町1-2-3", u"一番町", "1-2-3"},
        // Part of the town's numerals in kanji and part in digits, as the
        // town's name keeps its own and the 条 is written in digits.
        NumberCase{"townsNumeralsHalfInDigits", u"北海道札幌市西区二十四軒2条5丁目1-1", u"二十四軒二条", "5-1-1"},
        NumberCase{"townsNumeralsHalfInFullWidthDigits", u"北海道札幌市西区二十四軒２条５丁目１－１", u"二十四軒二条",
                   "5-1-1"},
        NumberCase{"townsFirstNumeralInDigitsOnly", u"北海道札幌市西区24軒二条5丁目1-1", u"二十四軒二条", "5-1-1"},
        // A town named by numerals alone: the number after it starts with
        // the same numeral, or is the town's numeral itself.
        NumberCase{"numeralTownBeforeFullWidthDigits", u"福岡県朝倉郡筑前町二２５８", u"二", "258"},
        NumberCase{"numeralTownBeforeDigitsStartingAlike", u"新潟県新潟市北区十二1234番地", u"十二", "1234"},
        NumberCase{"numeralTownBeforeItsValueInDigits", u"新潟県新潟市北区十二 12番地", u"十二", "12"},
        NumberCase{"numeralTownBeforeItsValueInKanji", u"新潟県新潟市北区十二　十二番地", u"十二", "12"},
        NumberCase{"numeralTownBeforeItsValueInKanjiWithoutABlank", u"新潟県新潟市北区十二十二番地", u"十二", "12"},
        NumberCase{"numeralTownBeforeKanjiStartingAlike", u"福岡県朝倉郡筑前町二　二百五十八番地", u"二", "258"},
        NumberCase{"numeralTownBeforeKanjiStartingAlikeWithoutABlank", u"福岡県朝倉郡筑前町二二百五十八番地", u"二",
                   "258"},
        NumberCase{"digitNumeralTownBeforeItsValue", u"岐阜県本巣市七五三753-1", u"七五三", "753-1"},
        NumberCase{"digitNumeralTownBeforeItsValueInKanji", u"山梨県西八代郡市川三郷町五八五八番地", u"五八", "58"},
        NumberCase{"numeralTownEndingAnotherNumber", u"青森県五所川原市十三二十三番地", u"十三", "23"},
        NumberCase{"numeralTownRepeatedAfterAName", u"青森県五所川原市十三 字古中道 十三番地", u"十三", "13"},
        // A town ending in a digit, the number right after it.
        NumberCase{"townEndingInADigitBeforeTheNumber", u"北海道樺戸郡浦臼町浦臼第１12番地", u"浦臼第１", "12"},
        // Kyoto's street designations put a block number before the town.
        NumberCase{"kyotoStreetWithItsChomeInDigits", u"京都府京都市上京区堀川通寺之内上る4丁目天神北町1番地の1",
                   u"天神北町", "1-1"},
        NumberCase{"kyotoStreetWithItsChomeInKanji", u"京都府京都市上京区堀川通寺之内上る四丁目天神北町1番地の1",
                   u"天神北町", "1-1"},
        NumberCase{"kyotoStreetEastward", u"京都府京都市下京区四条通寺町東入2丁目御旅町35", u"御旅町", "35"},
        NumberCase{"kyotoTownAndNumberParted", u"京都市下京区四条通寺町東入２丁目御旅町　三十五番地", u"御旅町", "35"},
        // A building named after the town, the number right after its name:
        // a whole number stands before it, not a street's block number.
        NumberCase{"buildingOfTheTownsNameBeforeItsRoom", u"東京都千代田区霞ヶ関3-2-5 霞が関101号室", u"霞が関",
                   "3-2-5-101"}),
    rowName);

// A postcode may list several towns, one of them naming the building after
// the number: the town is the one before the number.
TEST(AddressNumberTownsTest, buildingNamedAfterAnotherTownOfThePostcode)
{
    EXPECT_EQ(AddressNumberOf(QStringLiteral("大阪府某市本町1-2-3 中央ハイツ101"),
                              {QStringLiteral("中央"), QStringLiteral("本町")}),
              QLatin1String("1-2-3-101"));
}

// A town written another way than the dictionary writes it (上二ノ宮町 for
// 上二之宮町), or missing from the postcode's towns, where the number is then
// read without the town. A Kyoto street's numeral in
// digits, of either width, is part of the street's name there too, as in
// kanji: each writing gives the number the kanji writing gives.
TEST(AddressNumberTownsTest, streetNumeralInDigitsStaysOutWhereTheTownIsNotFound)
{
    const QStringList towns[] = {{QStringLiteral("上二之宮町")}, {}};
    const QString designations[] = {QStringLiteral("東洞院通四条上ル二筋目東入"), QStringLiteral("新町四条下がる"),
                                    QStringLiteral("河原町通り七条下ル"), QStringLiteral("四条通東洞院東入")};
    const QString numbers[] = {QStringLiteral("329-28"), QStringLiteral("３２９－２８"), QStringLiteral(" 650")};
    auto inDigits = [](QString S, bool Wide) {
        static const QString kanji = QStringLiteral("〇一二三四五六七八九");
        for (QChar &c : S)
            if (const qsizetype d = kanji.indexOf(c); d >= 0)
                c = QChar(char16_t((Wide ? u'０' : u'0') + d));
        return S;
    };
    for (const QStringList &known : towns)
        for (const QString &designation : designations)
            for (const QString &number : numbers) {
                const QString town = QStringLiteral("上二ノ宮町");
                const QString kanji = QStringLiteral("京都市下京区") + designation + town + number;
                const QString expected = AddressNumberOf(kanji, known);
                ASSERT_FALSE(expected.isEmpty()) << qPrintable(kanji);
                for (const bool wide : {false, true}) {
                    // The street's numerals in digits, the town as typed.
                    const QString digits = QStringLiteral("京都市下京区") + inDigits(designation, wide) + town + number;
                    EXPECT_EQ(AddressNumberOf(digits, known), expected)
                        << qPrintable(digits) << " against " << qPrintable(kanji);
                }
            }
    // Digits before an ideograph with no number after them are the number.
    EXPECT_EQ(AddressNumberOf(QStringLiteral("北海道某郡某町123地先"), {}), QLatin1String("123"));
}

// A lot number written right before a building named after the town: the
// town is the one before the number, as where a blank parts them.
TEST(AddressNumberTownsTest, lotRightBeforeABuildingNamedAfterTheTown)
{
    EXPECT_EQ(AddressNumberOf(QStringLiteral("北海道某郡某町本町123本町荘"), {QStringLiteral("本町")}),
              QLatin1String("123"));
    EXPECT_EQ(AddressNumberOf(QStringLiteral("大阪府某市中央5中央ビル201号室"), {QStringLiteral("中央")}),
              AddressNumberOf(QStringLiteral("大阪府某市中央5 中央ビル201号室"), {QStringLiteral("中央")}));
    EXPECT_EQ(AddressNumberOf(QStringLiteral("大阪府某市中央５中央ビル"), {QStringLiteral("中央")}), QLatin1String("5"));
}

// The lot typed right before a name, where the town is not where it is
// looked for: written otherwise than the dictionary writes it, not among the
// postcode's towns, or named again by a building after a place name or a
// second building. Digits before an ideograph are a street's name only
// before 条 or 筋; the town is found in the writings people use for it, so a
// street designation's counts stay out of the number.
struct TownsCase {
    const char *name;
    const char16_t *address;
    std::array<const char16_t *, 2> towns; // the postcode's towns, null past the last
    const char *number;
};

class AddressNumberTownsTable : public testing::TestWithParam<TownsCase> {};

TEST_P(AddressNumberTownsTable, readsTheLotWhereverTheTownIsFound)
{
    const TownsCase &c = GetParam();
    QStringList towns;
    for (const char16_t *town : c.towns)
        if (town)
            towns << QString::fromUtf16(town);
    EXPECT_EQ(AddressNumberOf(QString::fromUtf16(c.address), towns).toStdString(), c.number);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressNumberTownsTable,
    testing::Values(
        TownsCase{"oldFormOfTheTown", u"山口県山口市櫻畠2棟202号", {u"桜畠"}, "2-202"},
        TownsCase{"oldFormNotFound", u"山口県山口市櫻畠2棟202号", {u"湯田温泉"}, "2-202"},
        TownsCase{"anotherTownsPostcode", u"秋田県横手市本町123山田荘201", {u"駅前町", u"大町"}, "123-201"},
        TownsCase{"anotherTownsPostcodeBanchi", u"秋田県横手市本町123番地 山田荘201", {u"駅前町"}, "123-201"},
        TownsCase{"anotherTownsPostcodeBlank", u"秋田県横手市本町123 山田荘201", {u"駅前町"}, "123-201"},
        TownsCase{"anotherTownsPostcodeHyphen", u"秋田県横手市本町123-4山田荘201", {u"駅前町"}, "123-4-201"},
        TownsCase{"lotBeforeATownStartingWithJou", u"秋田県横手市条里485条里荘302", {u"駅前町"}, "485-302"},
        TownsCase{"lotBetweenDirections", u"秋田県南秋田郡大潟村北305北荘902", {u"東"}, "305-902"},
        TownsCase{"lotBeforeATownStartingWithSuji", u"京都府京都市上京区河原町通り５条下がる 筋違橋町２８６筋違橋町ビル",
                  {u"筋違橋町"}, "286"},
        TownsCase{"chisakiBeforeABuildingOfTheTown", u"長野県松本市中央34地先 中央ハイツ104", {u"中央"}, "34-104"},
        // A letter joins its neighbours without hyphens, as "5-B604" is "5B604".
        TownsCase{"variantTownBeforeALetterRoom",
                  u"京都府京都市下京区新町通四条下る中ノ町７３１中ノ町コーポ / サンハイムＤ－２００８",
                  {u"中之町"},
                  "731D2008"},
        TownsCase{"secondBuildingOfTheTown", u"京都府京都市東山区大和大路通四条下る西橘町909西橘町ハイツ　西橘町ビル１０Ｆ",
                  {u"西橘町"}, "909-10"},
        TownsCase{"variantNoAfterAChome", u"京都府京都市下京区東洞院通4条上ル2丁目上二ノ宮町329-28", {u"上二之宮町"},
                  "329-28"},
        TownsCase{"variantNoAfterADigitStreet", u"京都府京都市左京区大宮3条下がる　北白川山之元町８２北白川山之元町ビル",
                  {u"北白川山ノ元町"}, "82"},
        // The lot between the town and a building named after it, the town's
        // name one a street could bear: the digits are the lot, found town or
        // not, and the building's own numbers follow.
        TownsCase{"lotBetweenATownOfDirectionsAndItsBuildings",
                  u"北海道標津郡中標津町東３４条北40東３４条北ハイツ東３４条北ビル15Ｆ", {u"東３４条北"}, "40-34-34-15"},
        TownsCase{"lotBeforeTheBuildingsOfATownStartingWithJou", u"大阪府泉大津市条南町９８条南町ハイツ 条南町ビル18F",
                  {u"条南町"}, "98-18"},
        TownsCase{"lotBeforeTheBuildingOfAJouTownNotFound", u"新潟県三条市条南町20条南町コーポ / サンハイムＭ－７０２",
                  {u"荒町"}, "20M702"},
        TownsCase{"variantKeAfterAChome", u"京都府京都市中京区某通四条上る二丁目鍵ヶ辻町35", {u"鍵ケ辻町"}, "35"},
        TownsCase{"variantGaAfterAChomeInDigits", u"京都府京都市中京区某通三条下る2丁目鍵が辻町 ３５番地", {u"鍵ケ辻町"},
                  "35"},
        // Still a street's name: digits before 条 and 筋 where no town is
        // found, and between two directions (南一条西 written short).
        TownsCase{"shortStreetOfDirections", u"北海道札幌市中央区南1西2丁目3-4", {u"南一条西"}, "2-3-4"},
        TownsCase{"streetInDigitsNoTown", u"京都府京都市下京区新町4条下がる2筋目東入 650", {}, "650"}),
    rowName);

TEST(CustomerBarcodeTest, representativeNumberGetsNoCode)
{
    const QString address = QStringLiteral("東京都千代田区霞が関1-3-2");
    EXPECT_TRUE(CustomerBarcodeData(QStringLiteral("1000000"), address, TPostcodeTowns{{}, false, true}).isEmpty());
    EXPECT_EQ(CustomerBarcodeData(QStringLiteral("1000013"), address, TPostcodeTowns{{QStringLiteral("霞が関")}, false, false}),
              QLatin1String("10000131-3-2"));
    TBarcodeRect item;
    item.RenderCustomerBarcode(QStringLiteral("1000000"), address,
                               [](const QString &) { return TPostcodeTowns{{}, false, true}; });
    EXPECT_TRUE(item.Bars().isEmpty());
}

TEST(CustomerBarcodeTest, encodesSixtySevenBarsWithStartAndStopCodes)
{
    const QList<TPostBar> bars = EncodeCustomerBarcode(QStringLiteral("98132053-1-4"));
    ASSERT_EQ(bars.size(), 67);
    // Start code: long bar, descender; stop code: descender, long bar.
    EXPECT_EQ(bars.at(0), TPostBar::Long);
    EXPECT_EQ(bars.at(1), TPostBar::Descender);
    EXPECT_EQ(bars.at(65), TPostBar::Descender);
    EXPECT_EQ(bars.at(66), TPostBar::Long);
}

TEST(CustomerBarcodeTest, refusedDataGivesNoBars)
{
    EXPECT_TRUE(EncodeCustomerBarcode(QString()).isEmpty());
    EXPECT_TRUE(EncodeCustomerBarcode(QStringLiteral("12#4")).isEmpty());
}

// ---- Japan Post's worked examples -------------------------------------------------

// The address as Japan Post splits it (town and what follows), and the code
// characters its manual gives, read back from the bars.
struct ManualCase {
    const char *name;
    const char16_t *postcode;
    const char16_t *address;
    const char16_t *town;
    bool ownNumber;
    const char *bars; // the twenty characters without the CC4 filling
    int check;        // the check character's value (CC1 to CC8 are 11 to 18), -1 where the manual gives none
};

class JapanPostManual : public testing::TestWithParam<ManualCase> {};

TEST_P(JapanPostManual, barsCarryTheAddressNumberOfTheManual)
{
    const ManualCase &c = GetParam();
    const TPostcodeTowns towns{*c.town ? QStringList{QString::fromUtf16(c.town)} : QStringList(), c.ownNumber};
    const TReadPostBars read = readPostBars(EncodeCustomerBarcode(
        CustomerBarcodeData(QString::fromUtf16(c.postcode), QString::fromUtf16(c.address), towns)));
    ASSERT_TRUE(read.Valid) << qPrintable(read.Error);
    EXPECT_EQ(read.Text, QLatin1String(c.bars));
    if (c.check >= 0) {
        EXPECT_EQ(read.Check, c.check);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, JapanPostManual,
    testing::Values(
        ManualCase{"kasumigasekiWithItsCheckDigit", u"100-0013", u"東京都千代田区霞が関1丁目3番2号 郵便プラザ503室",
                   u"霞が関", false, "10000131-3-2-503", 9},
        ManualCase{"buildingNumberAfterTheTown", u"263-0023", u"千葉市稲毛区緑町3丁目30-8　郵便ビル403号", u"緑町",
                   false, "26300233-30-8-403", 5},
        ManualCase{"subdivisionNamesBeforeTheNumber", u"014-0113", u"秋田県大仙市堀見内　南田茂木　添60-1", u"堀見内",
                   false, "014011360-1", 18},
        ManualCase{"floorMarkAtTheEnd", u"110-0016", u"東京都台東区台東5-6-3　ABCビル10F", u"台東", false,
                   "11000165-6-3-10", 9},
        ManualCase{"chomeOfASplitTownLowNumbers", u"060-0906", u"北海道札幌市東区北六条東4丁目　郵便センター6号館",
                   u"北六条東", false, "06009064-6", 9},
        ManualCase{"chomeOfASplitTownHighNumbers", u"065-0006", u"北海道札幌市東区北六条東8丁目　郵便センター10号館",
                   u"北六条東", false, "06500068-10", 9},
        ManualCase{"placeNameBeforeTheNumber", u"407-0033", u"山梨県韮崎市龍岡町下條南割　韮崎400", u"龍岡町下條南割",
                   false, "4070033400", 10},
        ManualCase{"ampersandAndDotDroppedLetterJoinsTheNumber", u"273-0102",
                   u"千葉県鎌ケ谷市右京塚　東3丁目-20-5　郵便・A&bコーポB604号", u"右京塚", false, "27301023-20-5<CC1>1604",
                   0},
        ManualCase{"kanjiNumeralsBeforeMarkers", u"198-0036", u"東京都青梅市河辺町十一丁目六番地一号　郵便タワー601",
                   u"河辺町", false, "198003611-6-1-601", 18},
        ManualCase{"kanjiNumeralsBeforeChiwari", u"027-0203", u"岩手県宮古市大字津軽石第二十一地割大淵川480", u"津軽石",
                   false, "027020321-480", 15},
        ManualCase{"kanjiNumeralsBeforeChou", u"590-0016", u"大阪府堺市堺区中田出井町四丁六番十九号", u"中田出井町", false,
                   "59000164-6-19", 12},
        ManualCase{"kanjiNumeralBeforeSen", u"080-0831", u"北海道帯広市稲田町南七線　西28", u"稲田町南", false,
                   "08008317-28", 17},
        ManualCase{"floorMarkEndsTheNumber", u"317-0055", u"茨城県日立市宮田町6丁目7-14　ABCビル2F", u"宮田町", false,
                   "31700556-7-14-2", 11},
        ManualCase{"floorMarkBetweenNumbers", u"650-0046", u"神戸市中央区港島中町9丁目7-6　郵便シティA棟1F1号",
                   u"港島中町", false, "65000469-7-6<CC1>01-1", 5},
        ManualCase{"lettersJoinedAcrossAName", u"623-0011", u"京都府綾部市青野町綾部6-7　LプラザB106", u"青野町", false,
                   "62300116-7<CC2>1<CC1>1106", 4},
        ManualCase{"cutAtTheTwentiethCharacterKeepsTheHyphen", u"064-0804",
                   u"札幌市中央区南四条西29丁目1524-23　第2郵便ハウス501", u"南四条西", false, "064080429-1524-23-2-", 3},
        ManualCase{"letterAtTheTwentiethKeepsItsControlCode", u"910-0067", u"福井県福井市新田塚3丁目80-25　J1ビル2-B",
                   u"新田塚", false, "91000673-80-25<CC1>91-2<CC1>", 9},
        ManualCase{"largeOfficeOwnNumberCarriesThePostcodeAlone", u"100-8792", u"東京都千代田区大手町2-3-1", u"大手町",
                   true, "1008792", -1},
        ManualCase{"postOfficeBoxNumberFollowsTheSharedPostcode", u"980-8691", u"宮城県仙台市青葉区 仙台中央郵便局私書箱第215号",
                   u"", false, "9808691215", -1}),
    rowName);

// The check character of every code is the one that makes the sum of all
// values a multiple of 19, and the bars are those of a second encoder
// (zint) wherever that encoder takes the data.
TEST(CustomerBarcodeTest, barsMatchASecondEncoderForEveryKindOfCharacter)
{
    std::mt19937 random(20261207);
    const QString alphabet = QStringLiteral("0123456789-ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    int compared = 0;
    for (int i = 0; i < 400; ++i) {
        QString data;
        for (int d = 0; d < 7; ++d)
            data += QChar(u'0' + int(random() % 10));
        int used = 7;
        while (true) {
            const QChar c = alphabet.at(int(random() % alphabet.size()));
            const int cost = c.isLetter() ? 2 : 1;
            if (used + cost > 20)
                break;
            data += c;
            used += cost;
        }
        std::unique_ptr<zint_symbol, void (*)(zint_symbol *)> symbol(ZBarcode_Create(), ZBarcode_Delete);
        ASSERT_TRUE(symbol);
        symbol->symbology = BARCODE_JAPANPOST;
        const QByteArray bytes = data.toLatin1();
        ASSERT_LT(ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(bytes.constData()),
                                  int(bytes.size())),
                  ZINT_ERROR)
            << bytes.constData();
        auto set = [&](int row, int column) { return (symbol->encoded_data[row][column / 8] >> (column % 8)) & 1; };
        QList<TPostBar> expected;
        for (int column = 0; column < symbol->width; column += 2)
            expected.append(TPostBar((set(0, column) ? 1 : 0) | (set(2, column) ? 2 : 0)));
        EXPECT_EQ(EncodeCustomerBarcode(data), expected) << bytes.constData();
        EXPECT_TRUE(readPostBars(expected).Valid) << bytes.constData();
        ++compared;
    }
    EXPECT_EQ(compared, 400);
}

TEST(CustomerBarcodeTest, aLetterPastTheLastPlaceLeavesNoControlCode)
{
    const TReadPostBars read = readPostBars(EncodeCustomerBarcode(QStringLiteral("12345671234-5678-901A")));
    ASSERT_TRUE(read.Valid) << qPrintable(read.Error);
    EXPECT_EQ(read.Text, QLatin1String("12345671234-5678-901"));
}

TEST(CustomerBarcodeTest, shortDataIsFilledWithTheFillControlCode)
{
    const QList<quint8> codes = CustomerBarcodeCodes(QStringLiteral("1234567"));
    ASSERT_EQ(codes.size(), 21);
    for (int i = 7; i < 20; ++i)
        EXPECT_EQ(codes.at(i), PostCC4) << i;
}

// ---- Sizes -----------------------------------------------------------------------

TEST(BarcodeSizeTest, sizeTableGivesHeightsAndLengths)
{
    const int heights[] = {11, 12, 13, 15};
    const int lengths[] = {258, 281, 304, 351};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(BarcodeBarHeight(i), heights[i]) << i;
        EXPECT_EQ(BarcodeLength(i), lengths[i]) << i;
    }
}

struct FitCase {
    int length;
    bool fits;
    int size;
};
class BarcodeFitTest : public testing::TestWithParam<FitCase> {};

TEST_P(BarcodeFitTest, choosesTheLargestBarShorterThanTheRoom)
{
    int size = -1;
    EXPECT_EQ(BarcodeSizeForLength(GetParam().length, size), GetParam().fits);
    EXPECT_EQ(size, GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Cases, BarcodeFitTest,
                         testing::Values(FitCase{682, false, -1}, FitCase{683, true, 0}, FitCase{744, true, 0},
                                         FitCase{745, true, 1}, FitCase{930, true, 2}, FitCase{931, true, 3}));

// ---- The item ----------------------------------------------------------------------

TEST(BarcodeRectTest, setRectImposesTheSizeOfTheTable)
{
    TBarcodeRect item;
    item.SetRect({10, 20, 500, 500});
    EXPECT_EQ(item.GetRect(), (TPageRect{10, 20, 268, 31}));
    item.SetHorizontal(false);
    item.SetRect({10, 20, 0, 0});
    EXPECT_EQ(item.GetRect(), (TPageRect{10, 20, 21, 278}));
}

TEST(BarcodeRectTest, setBarSizeKeepsTheCentre)
{
    TBarcodeRect item;
    item.SetRect({100, 100, 358, 111});
    item.SetBarSize(0);
    EXPECT_EQ(item.GetRect(), (TPageRect{100, 100, 358, 111}));
    item.SetBarSize(3);
    EXPECT_EQ(item.GetRect(), (TPageRect{54, 98, 405, 113}));
}

TEST(BarcodeRectTest, draggingTheScreenRectangleMovesWithoutResizing)
{
    TBarcodeRect item;
    item.SetRect({100, 100, 0, 0});
    item.SetZoom(2);
    TScreenRect r = item.GetDispRect();
    item.SetDispRect({r.Left + 10, r.Top + 10, r.Right + 30, r.Bottom + 40});
    EXPECT_EQ(item.GetRect(), (TPageRect{105, 105, 363, 116}));
    EXPECT_EQ(item.GetCursor(r.Left + 12, r.Top + 12), TItemCursor::Default);
}

TEST(BarcodeRectTest, assignCopiesSizeAndOrientation)
{
    TBarcodeRect a, b;
    a.SetHorizontal(false);
    a.SetBarSize(2);
    b.Assign(a);
    EXPECT_EQ(b.GetSizeIndex(), 2);
    EXPECT_FALSE(b.IsHorizontal());
    EXPECT_EQ(b.GetRect(), a.GetRect());
}

TEST(BarcodeRectTest, rotateTwiceGivesTheSameBars)
{
    TBarcodeRect item;
    item.RenderCustomerBarcode(QStringLiteral("9813205"), QStringLiteral("泉区紫山3-1-4"),
                               [](const QString &) { return TPostcodeTowns{{QStringLiteral("紫山")}, false}; });
    const QList<TPostBar> bars = item.Bars();
    ASSERT_EQ(bars.size(), 67);
    item.Rotate180();
    EXPECT_NE(item.Bars(), bars);
    EXPECT_EQ(item.Bars().at(1), TPostBar::Ascender); // the stop code's descender, upside down
    item.Rotate180();
    EXPECT_EQ(item.Bars(), bars);
}

// Counts the dark runs along the middle line of the image.
int countBars(const QImage &Image)
{
    int runs = 0;
    bool dark = false;
    const int y = Image.height() / 2;
    for (int x = 0; x < Image.width(); ++x) {
        const bool d = qGray(Image.pixel(x, y)) < 128;
        if (d && !dark)
            ++runs;
        dark = d;
    }
    return runs;
}

TEST(BarcodeRectTest, drawsEveryBarAcrossTheTracker)
{
    TBarcodeRect item;
    item.SetBarSize(3);
    item.SetRect({0, 0, 0, 0});
    item.SetZoom(4); // 1404 pixels: 133 modules of about 10.5 pixels
    item.RenderCustomerBarcode(QStringLiteral("0283623"), QStringLiteral("大字煙山 第3地割14番地2"), {});
    QImage image(item.GetDispRect().width(), item.GetDispRect().height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    item.Draw(p, 0, 0);
    p.end();
    EXPECT_EQ(countBars(image), 67);
}

TEST(BarcodeRectTest, streamWritesSizeAndOrientationAfterTheBase)
{
    TBarcodeRect item;
    item.SetHorizontal(false);
    item.SetRect({1, 2, 0, 0});
    item.SetBarSize(1);
    TItemWriter w;
    item.SaveToStream(w);
    // rect (1,2)-(13,283) after centring the 12 x 281 bar of size 1 on 11 x 258, visible, size 1, vertical
    TPageRect r = item.GetRect();
    EXPECT_EQ(r.width(), 12);
    EXPECT_EQ(r.height(), 281);
    TItemWriter expected;
    expected.writeInt32(r.Left);
    expected.writeInt32(r.Top);
    expected.writeInt32(r.Right);
    expected.writeInt32(r.Bottom);
    expected.writeBytes(hexBytes("01 01 00"));
    EXPECT_TRUE(sameBytes(w.bytes(), expected.bytes()));

    TBarcodeRect back;
    TItemReader reader(w.bytes(), {});
    back.LoadFromStream(reader);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(back.GetRect(), r);
    EXPECT_EQ(back.GetSizeIndex(), 1);
    EXPECT_FALSE(back.IsHorizontal());
}

TEST(BarcodeRectTest, oldStreamsCarryAVisibilityByteAndLargeSizesAreClamped)
{
    const QByteArray v150 = hexBytes("0A000000 14000000 16010000 1F000000 00 09 01");
    TBarcodeRect item;
    TItemReader reader(v150, {150});
    item.LoadFromStream(reader);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_FALSE(item.IsVisible());
    EXPECT_EQ(item.GetSizeIndex(), 3);
    EXPECT_EQ(item.GetRect(), (TPageRect{10, 20, 278, 31}));
}

TEST(BarcodeRectTest, shortStreamIsRefused)
{
    TBarcodeRect item;
    const QByteArray stored = hexBytes("0A000000 14000000 16010000 1F000000 01 02");
    TItemReader reader(stored, {});
    EXPECT_THROW(item.LoadFromStream(reader), EItemFormatError);
}

} // namespace
