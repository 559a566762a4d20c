#include "core/DicResult.h"
#include "core/WqmtadWrapper.h"
#include "platform/Cp932.h"

#include "support/ScriptedMessageBoxes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

QByteArray sjis(const char *utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

TEST(DicResult, postcodesOfSevenAndFiveGetAHyphenOthersStayAsTheyAre)
{
    EXPECT_EQ(FormatDicPostcode(" 1000001 "), QByteArray("100-0001"));
    EXPECT_EQ(FormatDicPostcode("10000"), QByteArray("100-00"));
    EXPECT_EQ(FormatDicPostcode("100000"), QByteArray("100000"));
    EXPECT_EQ(FormatDicPostcode(""), QByteArray());
}

TEST(DicResult, fieldsAreTrimmedCutAtACharacterAndCodesFilledExactly)
{
    TDicAdrsResult result{};
    std::memset(&result, 'x', sizeof result);
    SetDicField(result.Pref, sjis("　神奈川県 ")); // 10 bytes: only 4 characters fit before the NUL
    EXPECT_EQ(QByteArray(result.Pref), sjis("神奈川県"));
    SetDicField(result.CityCode, "131016", true);
    EXPECT_EQ(QByteArray(result.CityCode, 6), QByteArray("131016"));
    EXPECT_EQ(result.TownCode[0], 'x'); // nothing written past the field
    EXPECT_EQ(DicFieldText(result.CityCode), QByteArray("131016"));
}

TEST(DicResult, detailCodeIsElevenDigitsAndCoordinatesRoundHalvesAwayFromZero)
{
    EXPECT_EQ(DicDetailCode("131016", "0000100"), QByteArray("13101600001"));
    EXPECT_EQ(DicDetailCode("", "0012300"), QByteArray("00123000000"));
    EXPECT_EQ(DicDetailToMilliseconds(1), 4); // 3.906
    EXPECT_EQ(DicDetailToMilliseconds(-1), -4);
    // 35° 41' 22.4" in 1/256 arc-second does not overflow on the way.
    EXPECT_EQ(DicDetailToMilliseconds(32893747), 128491199);
}

QByteArray g_lastCode;

int fakeDetail(const char *code, TWqmtadDetail *detail, const char *)
{
    g_lastCode = code;
    if (g_lastCode != "13101600001")
        return 8;
    detail->Latitude = 256 * 128491;
    detail->Longitude = -512;
    std::memcpy(detail->Postcode, "1000001", 7);
    const QByteArray oaza = sjis("千代田"), aza = sjis("一丁目"), kana = "\xC1\xD6\xC0\xDE"; // ﾁﾖﾀﾞ
    std::memcpy(detail->Oaza, oaza.constData(), static_cast<std::size_t>(oaza.size()));
    std::memcpy(detail->Aza, aza.constData(), static_cast<std::size_t>(aza.size()));
    std::memcpy(detail->OazaKana, kana.constData(), static_cast<std::size_t>(kana.size()));
    return 0;
}

TEST(DicResult, detailCompletionOverwritesTextsOnlyWhenAskedButAlwaysCoordinates)
{
    SetWqmtadForTesting(fakeDetail);
    TDicAdrsShortResult result{};
    SetDicField(result.CityCode, "131016", true);
    SetDicField(result.TownCode, "0000100", true);
    SetDicField(result.Town, "old");
    ASSERT_EQ(CompleteDicDetail(result, QStringLiteral("/dic/"), false), 0);
    EXPECT_EQ(QByteArray(result.Town), QByteArray("old"));
    EXPECT_EQ(result.Latitude, 128491000);
    EXPECT_EQ(result.Longitude, -2000);
    ASSERT_EQ(CompleteDicDetail(result, QStringLiteral("/dic/"), true), 0);
    EXPECT_EQ(QByteArray(result.Town), sjis("千代田一丁目"));
    EXPECT_EQ(QByteArray(result.TownKana), QByteArray("\xC1\xD6\xC0\xDE"));
    EXPECT_EQ(QByteArray(result.Postcode), QByteArray("100-0001"));
    // A miss keeps what the lists gave.
    SetDicField(result.TownCode, "0000200", true);
    EXPECT_EQ(CompleteDicDetail(result, QStringLiteral("/dic/"), true), 8);
    EXPECT_EQ(g_lastCode, QByteArray("13101600002"));
    EXPECT_EQ(QByteArray(result.Town), sjis("千代田一丁目"));
    SetWqmtadForTesting(nullptr);
}

TEST(Wqmtad, notLoadedAnswers103AndLoadsNeedMatchingFrees)
{
    ScriptedMessageBoxes boxes;
    TWqmtadDetail detail{};
    EXPECT_EQ(CallWqMTAdrs("13101600001", detail, QString()), 103);
    QTemporaryDir empty;
    EXPECT_EQ(LoadWqmtad(empty.path() + u'/'), 101);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Wqmtad.dll\r\nDLLのロードに失敗しました"));
    EXPECT_EQ(CallWqMTAdrs("13101600001", detail, QString()), 103);
}

} // namespace
