#include "core/AppSub.h"

#include "platform/Cp932.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <ctime>

namespace {

// The "@" form of a stored field and the text it stands for; `encoded`
// when writing the text gives that form again.
struct UnicodeFieldCase {
    const char *name;
    QByteArray stored;
    QString text;
    bool encoded = false;
};

class UnicodeField : public ::testing::TestWithParam<UnicodeFieldCase>
{
};

TEST_P(UnicodeField, readsEitherFormAndWritesOneUpperCaseGroupPerUtf16Unit)
{
    EXPECT_EQ(DecodeUnicodeField(GetParam().stored), GetParam().text);
    if (GetParam().encoded) {
        EXPECT_EQ(EncodeUnicodeField(GetParam().text), GetParam().stored);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnicodeField,
    ::testing::Values(
        UnicodeFieldCase{"hexLettersUpperCase", "@9AD9@FF76", QStringLiteral("髙ｶ"), true},
        // U+20BB7 (𠮷) is a surrogate pair: two groups.
        UnicodeFieldCase{"surrogatePair", "@D842@DFB7@91CE@5BB6", QString::fromUcs4(U"𠮷野家"), true},
        UnicodeFieldCase{"atSignItself", "@0040", QStringLiteral("@"), true},
        // The wide form only when the whole value is well formed: older
        // records keep plain names that merely begin with "@".
        UnicodeFieldCase{"groupCutShortIsPlainText", "@3042@00", QStringLiteral("@3042@00")},
        UnicodeFieldCase{"shortOfOneGroupIsPlainText", "@304", QStringLiteral("@304")},
        UnicodeFieldCase{"twoLettersArePlainText", "@ab", QStringLiteral("@ab")},
        UnicodeFieldCase{"oneDigitIsPlainText", "@1", QStringLiteral("@1")},
        UnicodeFieldCase{"lowerCaseHexWordIsPlainText", "@cafe", QStringLiteral("@cafe")},
        UnicodeFieldCase{"loneSurrogateIsPlainText", "@D842@0041", QStringLiteral("@D842@0041")},
        UnicodeFieldCase{"plainShiftJis", Cp932::encode(u"山田太郎"), QStringLiteral("山田太郎")},
        // A user who typed a value starting with "@" gets it back as typed.
        UnicodeFieldCase{"nonHexGroupIsPlainText", "@home", QStringLiteral("@home")},
        UnicodeFieldCase{"laterNonHexGroupIsPlainText", "@3042@00G1", QStringLiteral("@3042@00G1")},
        UnicodeFieldCase{"plainShiftJisAfterAt", QByteArray("@") + Cp932::encode(u"東京都"), QStringLiteral("@東京都")}),
    [](const auto &info) { return std::string(info.param.name); });

// A name and the form its field keeps it in: the "@" form while it fits,
// then plain Shift-JIS while that fits; a name neither holds is given back
// longer than the field by EncodeNameField (the record form refuses it) and
// cut to the field by FitNameField (the import takes what fits).
struct NameFieldCase {
    const char *name;
    QString text;
    qsizetype width;
    bool wideForm;  // kept in the "@" form, else plain
    qsizetype kept; // UTF-16 units FitNameField keeps
};

class NameField : public ::testing::TestWithParam<NameFieldCase>
{
};

QString kanaOf(qsizetype n)
{
    QString text;
    while (text.size() < n)
        text += QStringLiteral("あいうえおかきくけこ");
    return text.left(n);
}

TEST_P(NameField, keepsTheNameInTheFormThatHoldsIt)
{
    const NameFieldCase &c = GetParam();
    // A name neither form holds whole comes back in the "@" form, too long.
    const bool whole = c.kept == c.text.size();
    const QByteArray stored = EncodeNameField(c.text, c.width);
    EXPECT_EQ(stored, c.wideForm || !whole ? EncodeUnicodeField(c.text) : Cp932::encode(c.text));
    EXPECT_EQ(stored.size() <= c.width, whole);
    const QString kept = c.text.left(c.kept);
    const QByteArray fitted = FitNameField(c.text, c.width);
    EXPECT_LE(fitted.size(), c.width);
    EXPECT_EQ(fitted, c.wideForm ? EncodeUnicodeField(kept) : Cp932::encode(kept));
    EXPECT_EQ(DecodeUnicodeField(fitted), kept);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, NameField,
    ::testing::Values(NameFieldCase{"emptyName", QString(), 75, true, 0},
                      NameFieldCase{"fifteenInTheWideForm", kanaOf(15), 75, true, 15},
                      NameFieldCase{"sixteenPlain", kanaOf(16), 75, false, 16},
                      NameFieldCase{"thirtySevenPlain", kanaOf(37), 75, false, 37},
                      NameFieldCase{"thirtyEightTooLong", kanaOf(38), 75, false, 37},
                      NameFieldCase{"elevenJointInTheWideForm", kanaOf(11), 55, true, 11},
                      NameFieldCase{"twelveJointPlain", kanaOf(12), 55, false, 12},
                      NameFieldCase{"twentySevenJointPlain", kanaOf(27), 55, false, 27},
                      NameFieldCase{"twentyEightJointTooLong", kanaOf(28), 55, false, 27},
                      // Half-width kana take one byte each in plain Shift-JIS.
                      NameFieldCase{"seventyFiveHalfWidthKana", QString(75, QChar(0xFF71)), 75, false, 75},
                      // A name starting with "@" would read back as the "@" form.
                      NameFieldCase{"leadingAtSignStaysWide", QStringLiteral("@") + kanaOf(19), 75, true, 15},
                      NameFieldCase{"outsideShiftJisStaysWide", kanaOf(19) + QString::fromUcs4(U"𠮷"), 75, true, 15},
                      // The cut never keeps the first half of a pair.
                      NameFieldCase{"pairAtTheCutGoesWhole", kanaOf(14) + QString::fromUcs4(U"𠮷") + kanaOf(4), 75,
                                    true, 14}),
    [](const auto &info) { return std::string(info.param.name); });

struct CopyCase {
    const char *name;
    QByteArray source;
    qsizetype n;
    QByteArray expected;
};

class CopyMbcsLeftTest : public ::testing::TestWithParam<CopyCase>
{
};

TEST_P(CopyMbcsLeftTest, neverSplitsADoubleByteCharacter)
{
    EXPECT_EQ(CopyMbcsLeft(GetParam().source, GetParam().n), GetParam().expected);
}

// "ABCDEFGHIJKLMNOPQRS" is 19 bytes, so "あ" occupies bytes 20 and 21.
const QByteArray nineteen = "ABCDEFGHIJKLMNOPQRS";
const QByteArray a = Cp932::encode(u"あ");
// "ソ" is 83 5C: its trail byte looks like an ASCII backslash.
const QByteArray so = Cp932::encode(u"ソソ");

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyMbcsLeftTest,
    ::testing::Values(CopyCase{"leadByteAtTheCutDropsIt", nineteen + a + "X", 20, nineteen},
                      CopyCase{"cutAfterAWholeCharacter", nineteen + a + "X", 21, nineteen + a},
                      // Byte 2 is a trail byte (0x5C) and stays.
                      CopyCase{"trailByteAtTheCutKept", so, 2, so.left(2)},
                      CopyCase{"secondLeadByteDropped", so, 3, so.left(2)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TruncMilliseconds, dropsTheMillisecondsOnTheSameDay)
{
    const QDateTime stamp(QDate(2013, 12, 31), QTime(23, 59, 59, 999));
    const QDateTime cut = TruncMilliseconds(stamp);
    EXPECT_EQ(cut, QDateTime(QDate(2013, 12, 31), QTime(23, 59, 59)));
    EXPECT_FALSE(TruncMilliseconds(QDateTime()).isValid());
}

// An instant (UTC milliseconds) seen in a zone: the stamp is the same
// instant without its milliseconds, in the same zone, whatever the reading.
// In the hour a change from summer time repeats, a reading names two
// instants; the stamp must stay on the pass it was taken in.
struct StampCase {
    const char *name;
    const char *zone;
    qint64 utcMs;
};
void PrintTo(const StampCase &c, std::ostream *os) { *os << c.name; }

qint64 utc(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

const QList<StampCase> kStampCases = {
    {"newYorkFirstPassOfTheRepeatedHour", "America/New_York", utc(2023, 11, 5, 5, 30, 0, 500)},
    {"newYorkSecondPassOfTheRepeatedHour", "America/New_York", utc(2023, 11, 5, 6, 30, 0, 500)},
    {"berlinFirstPassOfTheRepeatedHour", "Europe/Berlin", utc(2023, 10, 29, 0, 30, 59, 999)},
    {"berlinSecondPassOfTheRepeatedHour", "Europe/Berlin", utc(2023, 10, 29, 1, 30, 59, 999)},
    {"lordHoweHalfHourShiftRepeated", "Australia/Lord_Howe", utc(2023, 4, 1, 14, 45, 1, 1)},
    {"tokyoWithoutSummerTime", "Asia/Tokyo", utc(2014, 3, 31, 14, 59, 58, 123)},
    {"beforeNineteenSeventy", "Asia/Tokyo", utc(1969, 12, 31, 23, 59, 59, 250)},
};

class TimeStamp : public ::testing::TestWithParam<StampCase>
{
};

TEST_P(TimeStamp, cutsTheMillisecondsOffTheInstantInAZone)
{
    const QTimeZone zone(GetParam().zone);
    ASSERT_TRUE(zone.isValid()) << GetParam().zone;
    const qint64 ms = GetParam().utcMs;
    const qint64 whole = ms - (((ms % 1000) + 1000) % 1000);
    const QDateTime cut = TruncMilliseconds(QDateTime::fromMSecsSinceEpoch(ms, zone));
    EXPECT_EQ(cut.toMSecsSinceEpoch(), whole);
    EXPECT_EQ(cut.timeZone(), zone);
    EXPECT_EQ(cut.time().msec(), 0);
}

// The same in the process's own local time, the zone the program stamps in.
TEST_P(TimeStamp, cutsTheMillisecondsOffTheInstantInLocalTime)
{
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", GetParam().zone);
    tzset();
    const qint64 ms = GetParam().utcMs;
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    const QDateTime cut = TruncMilliseconds(local);
    const qint64 got = cut.toMSecsSinceEpoch();
    const Qt::TimeSpec spec = cut.timeSpec();
    const int offset = local.offsetFromUtc();
    qputenv("TZ", saved);
    tzset();
    EXPECT_EQ(offset, QTimeZone(GetParam().zone).offsetFromUtc(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC)))
        << "the local zone is the one under test";
    EXPECT_EQ(got, ms - (((ms % 1000) + 1000) % 1000));
    EXPECT_EQ(spec, Qt::LocalTime);
}

INSTANTIATE_TEST_SUITE_P(Zones, TimeStamp, ::testing::ValuesIn(kStampCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CurrentTimeStamp, isNowInLocalTimeToTheSecond)
{
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    const QDateTime stamp = CurrentTimeStamp();
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    EXPECT_EQ(stamp.timeSpec(), Qt::LocalTime);
    EXPECT_EQ(stamp.time().msec(), 0);
    EXPECT_GE(stamp.toMSecsSinceEpoch(), before - before % 1000);
    EXPECT_LE(stamp.toMSecsSinceEpoch(), after);
}

} // namespace
