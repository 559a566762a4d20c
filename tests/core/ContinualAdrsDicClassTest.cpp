#include "core/ContinualAdrsDicClass.h"

#include "core/DicFakeLibrary.h"
#include "core/WqmtadWrapper.h"
#include "platform/Cp932.h"
#include "support/ScriptedMessageBoxes.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

namespace
{

using namespace DicFake;

// What the fake WQZsCnv.dll answers and what it saw.
struct FakeWqzscnv {
    int code = 0;
    int calls = 0;
    QByteArray text;
    QByteArray folder;
    bool resultZeroed = false;
    TWqzscnvResult result{};
};
FakeWqzscnv fake;

int fakeAdrs(const char *text, TWqzscnvResult *result, const char *folder)
{
    ++fake.calls;
    fake.text = text;
    fake.folder = folder;
    fake.resultZeroed = allZero(result, sizeof *result);
    *result = fake.result;
    return fake.code;
}

const TWqzscnvFunctions kFunctions{&fakeAdrs};

int detailCalls = 0;
QByteArray detailCode;
int fakeWqmtAdrs(const char *code, TWqmtadDetail *detail, const char *)
{
    ++detailCalls;
    detailCode = code;
    detail->Latitude = 512;
    detail->Longitude = 128;
    std::memcpy(detail->Postcode, "1000001", 7);
    SetDicField(detail->Pref, Cp932::encode(u"東京都"));
    SetDicField(detail->City, Cp932::encode(u"千代田区"));
    SetDicField(detail->Oaza, Cp932::encode(u"千代田"));
    SetDicField(detail->OazaKana, Cp932::encode(u"ﾁﾖﾀﾞ"));
    return 0;
}

TWqzscnvResult tokyoResult()
{
    TWqzscnvResult result{};
    SetDicField(result.CityCode, "131016", true);
    SetDicField(result.Postcode, "1000001 ");
    SetDicField(result.PrefKana, Cp932::encode(u"ﾄｳｷｮｳﾄ"));
    SetDicField(result.Pref, Cp932::encode(u"東京都"));
    SetDicField(result.CityKana, Cp932::encode(u"ﾁﾖﾀﾞｸ"));
    SetDicField(result.City, Cp932::encode(u"千代田区"));
    SetDicField(result.TownKana, Cp932::encode(u"ﾁﾖﾀﾞ "));
    SetDicField(result.Town, Cp932::encode(u"　千代田"));
    SetDicField(result.TownCode, "0010001", true);
    return result;
}

class ContinualAdrsSearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fake = FakeWqzscnv{};
        fake.result = tokyoResult();
        detailCalls = 0;
        SetWqmtadForTesting(&fakeWqmtAdrs);
    }
    void TearDown() override { SetWqmtadForTesting(nullptr); }

    TContinualAdrsSearch search{kFunctions, QStringLiteral("/lib/"), QStringLiteral("/dic/")};
};

TEST_F(ContinualAdrsSearch, sendsTheTrimmedTextAndReturnsTheAcceptedCodesOnly)
{
    for (const QString &text : {QString(), QStringLiteral(" \t\r\n")})
        EXPECT_EQ(messageOf<EContinualAdrsSearchError>([&] { (void)search.Search(text); }),
                  QStringLiteral("検索住所が未入力です"));
    EXPECT_EQ(fake.calls, 0);
    EXPECT_EQ(search.Search(QStringLiteral("\t 東京都千代田区千代田1 ")), 0);
    EXPECT_EQ(fake.text, Cp932::encode(u"東京都千代田区千代田1"));
    EXPECT_EQ(fake.folder, QByteArray("/dic/"));
    EXPECT_TRUE(fake.resultZeroed);
    for (const int code : {1, 4, 8, 2, -1}) {
        fake.code = code;
        if (code == 2 || code == -1)
            EXPECT_EQ(messageOf<EWQZsCnvErro>([&] { (void)search.Search(QStringLiteral("東京都")); }),
                      QStringLiteral("WQZSCAdrs (WQZsCnv.dll) Call Error\r\nRC = ") + QString::number(code));
        else
            EXPECT_EQ(search.Search(QStringLiteral("東京都")), code);
    }
}

TEST(ContinualAdrsSearchDetailLibrary, aMissingDetailLibraryIsTriedOncePerObject)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir empty;
    fake = FakeWqzscnv{};
    fake.result = tokyoResult();
    {
        TContinualAdrsSearch search(kFunctions, empty.path(), QStringLiteral("/dic/"));
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(search.Search(QStringLiteral("東京都千代田区千代田")), 0);
            const TDicAdrsShortResult *result = search.GetAddress(true);
            EXPECT_EQ(DicFieldText(result->Town), Cp932::encode(u"千代田")); // the library's result stands
            EXPECT_EQ(result->Latitude, 0);
        }
    }
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, QStringLiteral("Wqmtad.dll LoadLibrary Error"));
}

} // namespace
