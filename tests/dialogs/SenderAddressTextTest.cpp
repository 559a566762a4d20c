#include "SenderFixture.h"

namespace {

struct SenderKindCase {
    const char *name;
    qint32 selectInfo;
    bool company;
};

class SenderAddressTextKind : public SenderFixture, public ::testing::WithParamInterface<SenderKindCase>
{
};

// The sender as the editors merge it: its names stored in the "@" form come
// back as typed, and only the company kind prints as a company.
TEST_P(SenderAddressTextKind, decodesTheNameAndTakesTheKind)
{
    TSenderData sender = titled(QStringLiteral("自宅"));
    sender.Name = QStringLiteral("佐藤 一郎");
    sender.Corp = QStringLiteral("株式会社ピクス");
    sender.Tdfkn = QStringLiteral("北海道");
    sender.SelectInfo = GetParam().selectInfo;
    addSender(1, sender);
    ASSERT_TRUE(table().FieldByName(QStringLiteral("Name")).AsBytes().startsWith('@'));
    const std::optional<TSenderData> read = FindSenderByRecNo(table(), 1);
    ASSERT_TRUE(read.has_value());
    const TAddressText text = SenderAddressText(*read);
    EXPECT_EQ(text.NameKanji, QStringLiteral("佐藤 一郎"));
    EXPECT_EQ(text.CorpKanji, QStringLiteral("株式会社ピクス"));
    EXPECT_EQ(text.Tdfkn, QStringLiteral("北海道"));
    EXPECT_EQ(text.IsCompany(), GetParam().company);
}

INSTANTIATE_TEST_SUITE_P(SenderData, SenderAddressTextKind,
                         ::testing::Values(SenderKindCase{"neither", 0, false}, SenderKindCase{"jointNames", 1, false},
                                           SenderKindCase{"company", 2, true}),
                         [](const ::testing::TestParamInfo<SenderKindCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
