#include "links/LinkUrl.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

TEST(MapLinkUrl, encodesABlankAsPlusAndKanjiAsShiftJisGroups)
{
    EXPECT_EQ(MapLinkUrl(QStringLiteral("東京都 港区")),
              MapLinkHost + QByteArrayLiteral("/link.cgi?W=D&ZM=11&ADDR=%93%8C%8B%9E%93%73+%8D%60%8B%E6"));
}

TEST(MapLinkUrl, trimsTheAddressAndKeepsSafeCharacters)
{
    EXPECT_EQ(MapLinkUrl(QStringLiteral("  1-2.3*a@b_Z  ")),
              MapLinkHost + QByteArrayLiteral("/link.cgi?W=D&ZM=11&ADDR=1-2.3*a@b_Z"));
}

struct SjisCase
{
    const char *name;
    const char *text;
    const char *encoded;
};

class SjisQueryTest : public ::testing::TestWithParam<SjisCase>
{
};

TEST_P(SjisQueryTest, encodesByteByByte)
{
    EXPECT_EQ(EncodeSjisQuery(QString::fromUtf8(GetParam().text)), QByteArray(GetParam().encoded));
}

INSTANTIATE_TEST_SUITE_P(Bytes, SjisQueryTest,
                         ::testing::Values(SjisCase{"blankBecomesPlus", "a b", "a+b"},
                                           SjisCase{"plusAndAmpersandAreEscaped", "a+b&c", "a%2Bb%26c"},
                                           SjisCase{"trailByteLikeALetterIsEscaped", "都", "%93%73"},
                                           SjisCase{"trailByteLikeABackslashIsEscaped", "表", "%95%5C"},
                                           SjisCase{"halfWidthKanaIsOneGroup", "ｱ", "%B1"},
                                           SjisCase{"percentIsEscaped", "100%", "100%25"}),
                         [](const auto &info) { return std::string(info.param.name); });

struct EngineCase
{
    int engine;
    const char *url;
};

class WebSearchUrlTest : public ::testing::TestWithParam<EngineCase>
{
};

// "a b" and one kanji: the Shift-JIS engines give a plus sign and two groups,
// Infoseek three UTF-8 groups per character and one for the blank.
TEST_P(WebSearchUrlTest, buildsTheEnginesUrlByteForByte)
{
    EXPECT_EQ(WebSearchUrl(GetParam().engine, QStringLiteral(" a b東 ")), QByteArray(GetParam().url));
}

INSTANTIATE_TEST_SUITE_P(Engines, WebSearchUrlTest,
                         ::testing::Values(EngineCase{0, "https://search.goo.ne.jp/"
                                                         "web.jsp?from=murven&PT=murven&IE=SJIS&MT=a+b%93%8C"},
                                           EngineCase{1, "https://search.yahoo.co.jp/search?ei=SJIS&p=a+b%93%8C"},
                                           EngineCase{2, "https://www.excite.co.jp/"
                                                         "search.gw?target=combined&look=excite_jp&lang=jp&search="
                                                         "a+b%93%8C"},
                                           EngineCase{3, "https://search.www.infoseek.co.jp/"
                                                         "Web?col=OW&svx=101102&qt=%61%20%62%E6%9D%B1"},
                                           EngineCase{4, "https://search.fresheye.com/?kw=a+b%93%8C"}));

TEST(WebSearchEngines, listsTheFiveNamesInOrder)
{
    QStringList names;
    for (const TWebSearchEngine &engine : WebSearchEngines())
        names << engine.Name;
    EXPECT_EQ(names, (QStringList{"goo", "Yahoo! JAPAN", "Excite", "インフォシーク", "フレッシュアイ"}));
}

} // namespace
