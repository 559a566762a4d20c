#include "core/ContinualAdrsDicClass.h"

#include "core/DicFakeLibrary.h"
#include "platform/Cp932.h"
#include "support/ScriptedMessageBoxes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

using namespace DicFake;

// What the fake WQZsCnv.dll answers and what it saw.
struct FakeWqzscnv {
    int code = 0;
    int calls = 0;
    QByteArray text;
};
FakeWqzscnv fake;

int fakeAdrs(const char *text, TWqzscnvResult *result, const char *)
{
    ++fake.calls;
    fake.text = text;
    SetDicField(result->CityCode, "131016", true);
    SetDicField(result->Town, Cp932::encode(u"　千代田"));
    SetDicField(result->TownCode, "0010001", true);
    return fake.code;
}

const TWqzscnvFunctions kFunctions{&fakeAdrs};

class ContinualAdrsSearch : public ::testing::Test
{
protected:
    void SetUp() override { fake = FakeWqzscnv{}; }

    ScriptedMessageBoxes boxes;
    QTemporaryDir empty; // no detail library
    TContinualAdrsSearch search{kFunctions, empty.path(), QStringLiteral("/dic/")};
};

TEST_F(ContinualAdrsSearch, sendsTheTrimmedTextAndReturnsTheAcceptedCodesOnly)
{
    for (const QString &text : {QString(), QStringLiteral(" \t\r\n")})
        EXPECT_EQ(raised<EContinualAdrsSearchError>([&] { return search.Search(text); }),
                  QStringLiteral("検索住所が未入力です"));
    EXPECT_EQ(fake.calls, 0);
    EXPECT_EQ(search.Search(QStringLiteral("\t 東京都千代田区千代田1 ")), 0);
    EXPECT_EQ(fake.text, Cp932::encode(u"東京都千代田区千代田1"));
    for (const int code : {1, 4, 8, 2, -1}) {
        fake.code = code;
        if (code == 2 || code == -1)
            EXPECT_EQ(raised<EWQZsCnvErro>([&] { return search.Search(QStringLiteral("東京都")); }),
                      QStringLiteral("WQZSCAdrs (WQZsCnv.dll) Call Error\r\nRC = ") + QString::number(code));
        else
            EXPECT_EQ(search.Search(QStringLiteral("東京都")), code);
    }
}

TEST_F(ContinualAdrsSearch, aMissingDetailLibraryIsTriedOncePerObjectAndKeepsTheResult)
{
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(search.Search(QStringLiteral("東京都千代田区千代田")), 0);
        const TDicAdrsShortResult *result = search.GetAddress(true);
        EXPECT_EQ(DicFieldText(result->Town), Cp932::encode(u"千代田"));
        EXPECT_EQ(result->Latitude, 0);
    }
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, QStringLiteral("Wqmtad.dll LoadLibrary Error"));
}

} // namespace
