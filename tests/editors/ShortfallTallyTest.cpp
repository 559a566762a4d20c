#include "editors/PrintedSizes.h"

#include <gtest/gtest.h>

namespace {

// Records whose ticked joint names stay off: the wizard names their
// addressees up to ten and counts the rest, and counts every piece.
struct JointTallyCase {
    const char *name;
    int records;
    const char *expected;
};

class JointTally : public ::testing::TestWithParam<JointTallyCase> {};

TEST_P(JointTally, namesTheAddresseesAndCountsTheirPieces)
{
    TShortfallTally tally;
    for (int i = 1; i <= GetParam().records; ++i) {
        TSizeShortfalls record;
        record.LeftOutJoints = i; // one or more joint names: one record
        record.JointsOf = QStringLiteral("宛先%1").arg(i);
        tally.Add(record, 2);
        tally.Add(TSizeShortfalls{}, 2); // a record that prints all its names
    }
    EXPECT_EQ(tally.Report(true).toStdString(), std::string(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JointTally,
    ::testing::Values(
        JointTallyCase{"none", 0, ""},
        JointTallyCase{"one", 1, "1 件の宛先の連名を省きます（ラベル 2 枚）：宛先1"},
        JointTallyCase{"tenAllNamed", 10,
                       "10 件の宛先の連名を省きます（ラベル 20 枚）：宛先1、宛先2、宛先3、宛先4、宛先5、宛先6、宛先7、"
                       "宛先8、宛先9、宛先10"},
        JointTallyCase{"elevenOneCounted", 11,
                       "11 件の宛先の連名を省きます（ラベル 22 枚）：宛先1、宛先2、宛先3、宛先4、宛先5、宛先6、宛先7、"
                       "宛先8、宛先9、宛先10 ほか 1 件"}),
    [](const auto &Info) { return std::string(Info.param.name); });

} // namespace
