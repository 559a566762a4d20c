#include "core/AdrsDicClass.h"

#include "core/DicFakeLibrary.h"
#include "platform/Cp932.h"
#include "support/ScriptedMessageBoxes.h"

#include <QTemporaryDir>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace DicFake;

// What the fake library answers and the last text it was sent.
struct FakeWqzs {
    int countCode = 0, listCode = 0, townCountCode = 0, townListCode = 0;
    std::vector<std::string> calls;
    QByteArray text;
};
FakeWqzs fake;

// Two cities, three towns: the town 千代田 first.
int jisCount(const char *t, std::int32_t *n, const char *)
{
    fake.calls.push_back("WQZsJisCount");
    fake.text = t;
    *n = 2;
    return fake.countCode;
}
int jisList(const char *, TWqzsCity *, std::int32_t, const char *) { return fake.listCode; }
int townCount(const char *, const TWqzsCity *, std::int32_t *n, const char *)
{
    *n = 3;
    return fake.townCountCode;
}
int townList(const char *, const TWqzsCity *, TWqzsTown *t, std::int32_t, const char *)
{
    put(t[0].Town, sj("千代田"));
    return fake.townListCode;
}
int largeList(const char *x, const TWqzsCity *c, TWqzsTown *t, TDicLarge *, std::int32_t n, const char *f)
{
    return townList(x, c, t, n, f);
}
const TWqzsFunctions kFunctions{jisCount, jisList, townCount, townList, townCount, largeList};

class AdrsSearch : public ::testing::Test
{
protected:
    void SetUp() override { fake = FakeWqzs{}; }
    TAdrsSearch search{kFunctions, QStringLiteral("/lib"), QStringLiteral("/dic")};
};

TEST_F(AdrsSearch, sendsOnly254BytesOfALongerTextAndRefusesABlankOne)
{
    for (const QString &text : {QString(), QStringLiteral(" \t ")})
        EXPECT_EQ(raised<EAdrsSearchError>([&] { return search.SearchAddress(text); }),
                  QStringLiteral("検索住所が未入力です"));
    EXPECT_TRUE(fake.calls.empty());
    ASSERT_EQ(search.SearchAddress(QString(150, QChar(0x3042))), 0); // 300 bytes
    EXPECT_EQ(fake.text, sj("あ").repeated(127));
    // A tab keeps its one byte, so byte 254 is a lead byte: the cut falls before it.
    ASSERT_EQ(search.SearchAddress(QStringLiteral("x\t") + QString(150, QChar(0x3042))), 0);
    EXPECT_EQ(fake.text, sj("ｘ\t") + sj("あ").repeated(125));
}

// One library answer of a search and what the caller sees.
struct CodeCase {
    int kind;             // -1: SearchAddress; else SearchTown(0, kind)
    int countCode, listCode;
    int returned;         // when no error
    const char *error;    // the EWQZsError text, empty for none
};

class AdrsSearchCodes : public AdrsSearch, public ::testing::WithParamInterface<CodeCase>
{
};

TEST_P(AdrsSearchCodes, returnsAcceptedCodesAndRaisesOthersWithTheCallName)
{
    const CodeCase c = GetParam();
    if (c.kind >= 0) {
        ASSERT_EQ(search.SearchAddress(QStringLiteral("x")), 0);
        fake.townCountCode = c.countCode;
        fake.townListCode = c.listCode;
    } else {
        fake.countCode = c.countCode;
        fake.listCode = c.listCode;
    }
    int returned = -1;
    const auto call = [&] {
        return returned = c.kind >= 0 ? search.SearchTown(0, c.kind) : search.SearchAddress(QStringLiteral("x"));
    };
    EXPECT_EQ(raised<EWQZsError>(call), QString::fromUtf8(c.error));
    if (c.error[0] == 0) {
        EXPECT_EQ(returned, c.returned);
        EXPECT_EQ(c.kind >= 0 ? search.GetTownCount() : search.GetCityCount(), 0);
    }
    if (c.kind >= 0) {
        // Asked again: the same answer, never 0 with empty lists; after an
        // error the library is asked again.
        returned = -1;
        EXPECT_EQ(raised<EWQZsError>(call), QString::fromUtf8(c.error));
        EXPECT_EQ(returned, c.error[0] == 0 ? c.returned : -1);
        EXPECT_EQ(search.GetTownCount(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AdrsSearchCodes,
    ::testing::Values(CodeCase{-1, 8, 0, 8, ""}, CodeCase{-1, 3, 0, 0, "WQZsJisCount (Wqzs.dll) Call Error\r\nRC = 3"},
                      CodeCase{-1, 0, 8, 0, "WQZsJisList (Wqzs.dll) Call Error\r\nRC = 8"}, CodeCase{1, 8, 0, 8, ""},
                      CodeCase{0, 1, 0, 0, "WQZsTownCount (Wqzs.dll) Call Error\r\nRC = 1"},
                      CodeCase{1, 0, 3, 0, "WQZsLargeList (Wqzs.dll) Call Error\r\nRC = 3"}));

TEST_F(AdrsSearch, missingDetailLibraryShowsItsBoxAndKeepsTheListTexts)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir empty;
    TAdrsSearch other(kFunctions, empty.path(), QString());
    ASSERT_EQ(other.SearchAddress(QStringLiteral("x")), 0);
    ASSERT_EQ(other.SearchTown(0, 0), 0);
    EXPECT_STREQ(other.GetAddress(0, true)->Town, sj("千代田").constData());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Wqmtad.dll\r\nDLLのロードに失敗しました"));
}

} // namespace
