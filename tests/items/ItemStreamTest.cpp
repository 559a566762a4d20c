#include "StreamBytes.h"
#include "items/ItemStream.h"
#include "support/RowName.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(ItemStreamTest, writesByteTextAsLengthAndInvertedBytes)
{
    TItemWriter w;
    w.writeXorString(u"abc");
    EXPECT_TRUE(sameBytes(w.bytes(), hexBytes("03 00 00 00 9E 9D 9C")));
}

TEST(ItemStreamTest, writesByteTextOfJapaneseInShiftJis)
{
    TItemWriter w;
    w.writeXorString(u"明朝"); // 96 BE 92 A9 in Shift-JIS
    EXPECT_TRUE(sameBytes(w.bytes(), hexBytes("04 00 00 00 69 41 6D 56")));
}

TEST(ItemStreamTest, writesWideTextAsUnitCountAndInvertedUnits)
{
    TItemWriter w;
    w.writeXorWideString(u"a髙"); // U+0061 U+9AD9
    EXPECT_TRUE(sameBytes(w.bytes(), hexBytes("02 00 00 00 9E FF 26 65")));
}

TEST(ItemStreamTest, writesEmptyTextAsZeroLengthAlone)
{
    TItemWriter w;
    w.writeXorString(u"");
    w.writeXorWideString(u"");
    EXPECT_TRUE(sameBytes(w.bytes(), hexBytes("00000000 00000000")));
}

TEST(ItemStreamTest, writesIntegersLittleEndian)
{
    TItemWriter w;
    w.writeInt32(-2);
    w.writeByte(7);
    EXPECT_TRUE(sameBytes(w.bytes(), hexBytes("FE FF FF FF 07")));
}

TEST(ItemStreamTest, readsBackWhatItWrote)
{
    TItemWriter w;
    w.writeInt32(123456);
    w.writeXorString(u"ＭＳ 明朝");
    w.writeXorWideString(u"髙橋①");
    w.writeFlag(true);
    w.writeDouble(0.7);
    TItemReader r(w.bytes(), {});
    EXPECT_EQ(r.readInt32(), 123456);
    EXPECT_EQ(r.readXorString(), QString::fromUtf16(u"ＭＳ 明朝"));
    EXPECT_EQ(r.readXorWideString(), QString::fromUtf16(u"髙橋①"));
    EXPECT_TRUE(r.readFlag());
    EXPECT_EQ(r.readDouble(), 0.7);
    EXPECT_TRUE(r.atEnd());
}

TEST(ItemStreamTest, keepsTheVersionOfItsOwnContext)
{
    const QByteArray none;
    TItemReader old(none, {200});
    TItemReader current(none, {});
    EXPECT_FALSE(old.hasVersion(201));
    EXPECT_TRUE(old.hasVersion(200));
    EXPECT_EQ(current.fileVersion(), DrawRectVersion);
}

// Damaged streams: every read that would go beyond the bytes given, or a
// stored length that is negative or larger than what remains, is a format
// error and leaves nothing half-read behind.
struct DamageCase {
    const char *name;
    const char *hex;
    std::function<void(TItemReader &)> read;
};

class DamagedItemStreamTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedItemStreamTest, throwsFormatError)
{
    const QByteArray bytes = hexBytes(GetParam().hex);
    TItemReader r(bytes, {});
    EXPECT_THROW(GetParam().read(r), EItemFormatError);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedItemStreamTest,
    ::testing::Values(
        DamageCase{"shortInteger", "01 02 03", [](TItemReader &r) { (void)r.readInt32(); }},
        DamageCase{"emptyByte", "", [](TItemReader &r) { (void)r.readByte(); }},
        DamageCase{"textLongerThanRest", "04 00 00 00 9E 9D 9C", [](TItemReader &r) { (void)r.readXorString(); }},
        DamageCase{"negativeTextLength", "FF FF FF FF", [](TItemReader &r) { (void)r.readXorString(); }},
        // A length near 2 GB must be refused before anything is allocated.
        DamageCase{"hugeTextLength", "FF FF FF 7F 00", [](TItemReader &r) { (void)r.readXorBytes(); }},
        DamageCase{"wideTextOddRest", "02 00 00 00 9E FF 26", [](TItemReader &r) { (void)r.readXorWideString(); }},
        DamageCase{"hugeWideCount", "00 00 00 40", [](TItemReader &r) { (void)r.readXorWideString(); }},
        DamageCase{"countAboveLimit", "06 00 00 00", [](TItemReader &r) { (void)r.readCount(5, "count"); }},
        DamageCase{"negativeCount", "FF FF FF FF", [](TItemReader &r) { (void)r.readCount(5, "count"); }},
        DamageCase{"shortDouble", "00 00 00 00", [](TItemReader &r) { (void)r.readDouble(); }}),
    rowName);

TEST(ItemStreamTest, failedTextReadLeavesThePositionAtTheLength)
{
    const QByteArray bytes = hexBytes("09 00 00 00 9E");
    TItemReader r(bytes, {});
    EXPECT_THROW((void)r.readXorString(), EItemFormatError);
    EXPECT_EQ(r.position(), 0);
}

} // namespace
