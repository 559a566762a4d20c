#include "core/WqhypWrapper.h"

#include "support/ScriptedMessageBoxes.h"

#include <QLibrary>
#include <QTemporaryDir>

#include <array>
#include <cstring>

#include <gtest/gtest.h>

namespace {

const QString kLibraryDir = QStringLiteral(MURVEN_WQHYP_DIR);
const QString kWithoutEntryDir = QStringLiteral(MURVEN_WQHYP_WITHOUT_ENTRY_DIR);

// Loads the real library for one test and releases it again.
class LoadedWqhyp
{
public:
    LoadedWqhyp() { code = LoadWqhyp(kLibraryDir, QStringLiteral("/dic/")); }
    ~LoadedWqhyp() { FreeWqhyp(); }
    int code = -1;
};

// What the injected GetHyphen saw and answers.
struct FakeCall {
    int calls = 0;
    QByteArray number;
    QByteArray folder;
    int code = 0;
    QByteArray output; // copied into the 14-byte buffer, at most 14 bytes
};
FakeCall fake;

int fakeGetHyphen(const char *number, char *output, const char *folder, const TWqhypTime *)
{
    ++fake.calls;
    fake.number = number;
    fake.folder = folder;
    std::memcpy(output, fake.output.constData(), static_cast<std::size_t>(qMin(fake.output.size(), 14)));
    return fake.code;
}

class WqhypInjected : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fake = FakeCall{};
        SetWqhypForTesting(&fakeGetHyphen);
    }
    void TearDown() override { SetWqhypForTesting(nullptr); }
};

TEST(Wqhyp, missingLibraryGives11WithItsBox)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir empty;
    EXPECT_EQ(LoadWqhyp(empty.path() + u'/', QString()), 11);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Wqhyp.dll\r\nDLLのロードに失敗しました"));
    QByteArray number("0312345678");
    EXPECT_EQ(CallWqhypGetHyphen(number, QString()), 13);
    EXPECT_EQ(number, QByteArray("0312345678"));
    EXPECT_EQ(HyphenatePhoneNumber(" 0312345678  "), QByteArray("0312345678")); // not loaded: only trimmed
    FreeWqhyp();
}

TEST(Wqhyp, libraryWithoutGetHyphenGives12WithItsBox)
{
    ScriptedMessageBoxes boxes;
    EXPECT_EQ(LoadWqhyp(kWithoutEntryDir, QString()), 12);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("GetHyphen\r\n関数の割り当てに失敗しました"));
    EXPECT_FALSE(WqhypLoaded());
    QByteArray number("0312345678");
    EXPECT_EQ(CallWqhypGetHyphen(number, QString()), 13);
}

struct GoldenCase {
    const char *input;
    const char *hyphenated;
};

class WqhypGolden : public ::testing::TestWithParam<GoldenCase>
{
};

TEST_P(WqhypGolden, realLibraryHyphenatesLikeTheNationalForm)
{
    LoadedWqhyp loaded;
    ASSERT_EQ(loaded.code, 0);
    EXPECT_EQ(HyphenatePhoneNumber(GetParam().input), QByteArray(GetParam().hyphenated));
}

INSTANTIATE_TEST_SUITE_P(
    Table, WqhypGolden,
    ::testing::Values(GoldenCase{"0120123456", "0120-123-456"}, GoldenCase{"  0312-34-5678 ", "03-1234-5678"},
                      // an area code in service before an exchange that is not
                      GoldenCase{"0111234567", "011-123-4567"},
                      // a digit short for its area code: no hyphens where a
                      // digit would be lost
                      GoldenCase{"050123456", "050123456"},
                      // not a valid number: the trimmed input
                      GoldenCase{" 12 ", "12"}, GoldenCase{"03(1234)5678", "03(1234)5678"}));

// The entry point itself, called directly: wrong input is refused and the
// output is never written past its 14 bytes.
struct EntryCase {
    const char *number;
    int code;
    const char *output;
};

class WqhypEntry : public ::testing::TestWithParam<EntryCase>
{
};

TEST_P(WqhypEntry, answersWithinItsFourteenBytes)
{
    QLibrary lib(kLibraryDir + QStringLiteral("libwqhyp.so"));
    ASSERT_TRUE(lib.load()) << qPrintable(lib.errorString());
    auto getHyphen = reinterpret_cast<TGetHyphenFn>(lib.resolve("GetHyphen"));
    ASSERT_NE(getHyphen, nullptr);
    std::array<char, 32> buffer{};
    buffer.fill('\x7F');
    const TWqhypTime time{};
    EXPECT_EQ(getHyphen(GetParam().number, buffer.data(), "/dic/", &time), GetParam().code);
    if (GetParam().code == 0)
        EXPECT_STREQ(buffer.data(), GetParam().output);
    else
        EXPECT_EQ(buffer[0], '\x7F');
    for (std::size_t i = WqhypOutputSize; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], '\x7F') << "byte " << i;
    lib.unload();
}

INSTANTIATE_TEST_SUITE_P(Table, WqhypEntry,
                         ::testing::Values(EntryCase{"09012345678", 0, "090-1234-5678"}, EntryCase{"", 4, ""},
                                           EntryCase{"0312345678901234567890123456789012", 4, ""},
                                           EntryCase{"031234567890", 8, ""}));

TEST_F(WqhypInjected, theLibraryGetsTheTrimmedNumberAndOnlyCodeZeroChangesIt)
{
    EXPECT_EQ(HyphenatePhoneNumber("   "), QByteArray());
    EXPECT_EQ(fake.calls, 0); // an empty number never reaches the library
    fake.output = " 03-1234-5678";
    EXPECT_EQ(HyphenatePhoneNumber("  0312345678  ", QStringLiteral("/data/")), QByteArray("03-1234-5678"));
    EXPECT_EQ(fake.number, QByteArray("0312345678"));
    EXPECT_EQ(fake.folder, QByteArray("/data/"));
    fake.code = 8;
    EXPECT_EQ(HyphenatePhoneNumber(" 0312345678 "), QByteArray("0312345678"));
    EXPECT_EQ(fake.calls, 2);
}

TEST_F(WqhypInjected, fullOutputWithoutNulIsTakenAsFourteenBytes)
{
    fake.output = "01234567890123456789";
    QByteArray number("1");
    EXPECT_EQ(CallWqhypGetHyphen(number, QString()), 0);
    EXPECT_EQ(number, QByteArray("01234567890123"));
}

} // namespace
