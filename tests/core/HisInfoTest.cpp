#include "core/HisInfo.h"

#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/UnreadableNotices.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>

#include <sys/stat.h>

namespace {

QByteArray sjis(const char *utf8) { return Cp932::encode(QString::fromUtf8(utf8)); }

class HistoryFile : public ::testing::Test
{
protected:
    QString path(const QString &name = QStringLiteral("Post.mtd")) const { return m_dir.path() + "/" + name; }
    // The texts of History, first first.
    static QList<QByteArray> textsOf(const THistoryData &History)
    {
        QList<QByteArray> texts;
        for (int i = 0; i < History.GetCount(); ++i)
            texts << History.GetText(i);
        return texts;
    }
    QTemporaryDir m_dir;
};

} // namespace

// What the user typed is private: a history and the folders made for it are
// the user's alone, whatever the mask.
TEST_F(HistoryFile, aNewHistoryAndItsFoldersAreTheUsersAlone)
{
    const mode_t savedMask = ::umask(022);
    {
        THistoryData history(path("History/sub/Dptmnt.mtd"), true, 100);
        history.Add(sjis("営業部"));
        (void)history.Save();
    }
    ::umask(savedMask);
    EXPECT_EQ(fileMode(path("History")), 0700);
    EXPECT_EQ(fileMode(path("History/sub")), 0700);
    EXPECT_EQ(fileMode(path("History/sub/Dptmnt.mtd")), 0600);
}

TEST_F(HistoryFile, missingFileIsCreatedEmptyWhenAskedElseRaisesAndAnEmptyFileIsAnEmptyList)
{
    THistoryData history(path("sub/Dptmnt.mtd"), true, 100);
    EXPECT_EQ(fileBytes(path("sub/Dptmnt.mtd")), QByteArray(4, '\0'));
    EXPECT_FALSE(history.IsLoaded());
    try {
        THistoryData missing(path(), false, 50);
        ADD_FAILURE() << "no exception";
    } catch (const EInOutError &e) {
        EXPECT_EQ(e.Message(), path() + "\r\nファイルが見つかりません");
    }
    writeBytes(path(), QByteArray());
    THistoryData empty(path(), false, 50);
    EXPECT_TRUE(empty.Load());
    EXPECT_EQ(empty.GetCount(), 0);
    empty.Add("x");
    empty.Clear();
    ASSERT_TRUE(empty.Save());
    EXPECT_EQ(fileBytes(path()), QByteArray(4, '\0'));
    EXPECT_THROW(THistoryData(path(), true, 256), ERangeError);
    EXPECT_THROW(THistoryData(path(), true, -1), ERangeError);
}

TEST_F(HistoryFile, textRecordHoldsLengthDateAndInvertedBytes)
{
    THistoryData history(path(), true, 50);
    ASSERT_TRUE(history.Load());
    const double before = DateTimeToHistoryWhen(QDateTime::currentDateTime());
    history.Add("abc", 0.0);
    const double after = DateTimeToHistoryWhen(QDateTime::currentDateTime());
    ASSERT_TRUE(history.Save());

    const QByteArray bytes = fileBytes(path());
    ASSERT_EQ(bytes.size(), 4 + 1 + 8 + 3);
    EXPECT_EQ(bytes.left(4), QByteArray::fromHex("01000000"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 0x0B);
    double when = 0.0;
    std::memcpy(&when, bytes.constData() + 5, 8); // the test machine is little-endian
    EXPECT_GE(when, before);
    EXPECT_LE(when, after);
    EXPECT_EQ(bytes.mid(13), QByteArray::fromHex("9E9D9C"));
}

TEST_F(HistoryFile, roundTripKeepsBytesAndDatesAndTrimsTexts)
{
    THistoryData history(path(), true, 100);
    ASSERT_TRUE(history.Load());
    history.Add(sjis("営業部"), 45000.25);
    history.Add("Sales", 44000.5);
    ASSERT_TRUE(history.Save());
    const QByteArray first = fileBytes(path());

    THistoryData again(path(), false, 100);
    ASSERT_TRUE(again.Load());
    ASSERT_EQ(again.GetCount(), 2);
    EXPECT_EQ(again.GetText(0), sjis("営業部"));
    EXPECT_EQ(again.GetWhen(1), 44000.5);
    ASSERT_TRUE(again.Save());
    EXPECT_EQ(fileBytes(path()), first);
    again.Add("  lead and trail \t", 1.0);
    ASSERT_TRUE(again.Save());
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.GetText(2), QByteArray("lead and trail"));
}

// ---- Damaged files ------------------------------------------------------------------

namespace {

// The stored form of entries, written out here: int32 count, then per entry
// 8 + L, the date as a little-endian double and the text XOR 0xFF.
QByteArray historyBytes(const QList<std::pair<double, QByteArray>> &entries)
{
    QByteArray bytes;
    const auto putLe = [&bytes](quint64 value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.append(char((value >> (8 * i)) & 0xFF));
    };
    putLe(quint64(entries.size()), 4);
    for (const auto &[when, text] : entries) {
        bytes.append(char(8 + text.size()));
        quint64 bits = 0;
        std::memcpy(&bits, &when, sizeof bits);
        putLe(bits, 8);
        for (const char c : text)
            bytes.append(char(c ^ 0xFF));
    }
    return bytes;
}

const QByteArray kTwoEntries = historyBytes({{1.0, "one"}, {2.0, "two"}});

struct DamagedHistory {
    const char *name;
    QByteArray bytes;
};
void PrintTo(const DamagedHistory &c, std::ostream *os) { *os << c.name; }

class HistoryDamage : public HistoryFile, public ::testing::WithParamInterface<DamagedHistory>
{
protected:
    RecordedUnreadableNotices notices;
};

} // namespace

// Never the entries before the damage written over the rest: the whole file
// is kept aside and named once, the list starts empty, and the next save
// makes a new file beside the untouched copy.
TEST_P(HistoryDamage, isKeptAsideWholeAndTheListStartsEmpty)
{
    writeBytes(path(), GetParam().bytes);
    THistoryData history(path(), false, 100);
    EXPECT_FALSE(history.Load());
    EXPECT_TRUE(history.Unreadable());
    EXPECT_TRUE(history.IsLoaded());
    EXPECT_EQ(history.GetCount(), 0);
    const QStringList copies = keptAsideCopies(path());
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(history.KeptAsidePath(), copies[0]);
    EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(copies[0])));
    ASSERT_EQ(notices.told().size(), 1);
    EXPECT_EQ(notices.told()[0].file, path());
    EXPECT_EQ(notices.told()[0].keptAs, copies[0]);

    ASSERT_TRUE(PutHistoryFirst(history, "new"));
    EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(copies[0]))) << "the copy is never written";
    THistoryData again(path(), false, 100);
    ASSERT_TRUE(again.Load());
    ASSERT_EQ(again.GetCount(), 1);
    EXPECT_EQ(again.GetText(0), QByteArray("new"));
    EXPECT_EQ(notices.told().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HistoryDamage,
    ::testing::Values(DamagedHistory{"cutInTheLastText", kTwoEntries.chopped(1)},
                      DamagedHistory{"cutInTheCount", QByteArray::fromHex("010000")},
                      DamagedHistory{"negativeCount", QByteArray::fromHex("FFFFFFFF")},
                      // counts no file of that size can hold: nothing is allocated for them
                      DamagedHistory{"hugeCount", QByteArray::fromHex("FFFFFF7F")},
                      DamagedHistory{"textRunsPastTheEnd", QByteArray::fromHex("01000000FF000000000000F03F")},
                      DamagedHistory{"bytesAfterTheLastEntry", kTwoEntries + "x"},
                      DamagedHistory{"dateNaN", historyBytes({{1.0, "one"}, {std::nan(""), "two"}})},
                      DamagedHistory{"dateMinusInfinity",
                                     historyBytes({{-std::numeric_limits<double>::infinity(), "one"}})},
                      // the day after 9999-12-31
                      DamagedHistory{"dateAfter9999", historyBytes({{1.0, "one"}, {2958466.0, "two"}})}),
    [](const ::testing::TestParamInfo<DamagedHistory> &info) { return std::string(info.param.name); });

TEST_F(HistoryFile, theLastDayOf9999AndAnEmptyFileAreReadable)
{
    RecordedUnreadableNotices notices;
    writeBytes(path(), historyBytes({{2958465.5, "last"}}));
    THistoryData history(path(), false, 100);
    ASSERT_TRUE(history.Load());
    EXPECT_EQ(history.GetText(0), QByteArray("last"));
    writeBytes(path(), QByteArray());
    EXPECT_TRUE(history.Load());
    EXPECT_EQ(history.GetCount(), 0);
    EXPECT_TRUE(notices.told().isEmpty());
    EXPECT_TRUE(keptAsideCopies(path()).isEmpty());
}

// Random bytes and damaged copies of a real file: loading never fails hard,
// what is not loaded is kept byte for byte, and what loads stays as it was.
TEST_F(HistoryFile, garbageNeverCrashesTheReaderAndIsKeptWhole)
{
    RecordedUnreadableNotices notices;
    const QByteArray valid = historyBytes({{45000.25, sjis("営業部")}, {45001.5, "Sales"}, {1.0, sjis("総務")}});
    EXPECT_TRUE(garbageIsReadOrKeptWhole(path(), valid, 20240502, [this] {
        THistoryData history(path(), false, 100);
        return !history.Load() && history.GetCount() == 0;
    }));
}

// Where the damaged file cannot be moved, it stays and no save writes over it.
TEST_F(HistoryFile, aDamagedFileThatCannotBeMovedIsNeverWrittenOver)
{
    RecordedUnreadableNotices notices;
    const QByteArray damaged = kTwoEntries.chopped(2);
    writeBytes(path(), damaged);
    THistoryData history(path(), false, 100);
    {
        RefusedMovesAside refused;
        EXPECT_FALSE(history.Load());
    }
    EXPECT_TRUE(history.Unreadable());
    EXPECT_TRUE(history.KeptAsidePath().isEmpty());
    history.Add("new");
    EXPECT_THROW(history.Save(), EHistoryDataError);
    EXPECT_TRUE(sameBytes(damaged, fileBytes(path())));
    ASSERT_EQ(notices.told().size(), 1);
    EXPECT_TRUE(notices.told()[0].keptAs.isEmpty());
}

TEST_F(HistoryFile, failedSaveRaisesNamingTheCauseAndLeavesTheOldFile)
{
    THistoryData history(path(), true, 100);
    ASSERT_TRUE(history.Load());
    history.Add("kept", 1.0);
    ASSERT_TRUE(history.Save());
    const QByteArray old = fileBytes(path());

    history.Add("lost", 2.0);
    // The folder refuses the new file as one the user may not write does.
    SafeFile::setFailureHook([](SafeFile::Step step) { return step == SafeFile::Step::CreateTemporary; }, EACCES);
    try {
        history.Save();
        ADD_FAILURE() << "no exception";
    } catch (const EHistoryDataError &e) {
        EXPECT_TRUE(e.Message().startsWith(path() + "\r\nデータが書き込めませんでした\r\n"
                                                    "ファイルのあるフォルダーに書き込む権限がありません。"))
            << qPrintable(e.Message());
    }
    SafeFile::setFailureHook({});
    RecoverSafeReplace(path());
    EXPECT_EQ(fileBytes(path()), old);
}

struct CutCase {
    const char *name;
    int maxLength;
    QByteArray text;
    QByteArray expected;
};

void PrintTo(const CutCase &c, std::ostream *os) { *os << c.name; }

class HistoryCut : public HistoryFile, public ::testing::WithParamInterface<CutCase>
{
};

TEST_P(HistoryCut, insertCutsAtCharacterBoundary)
{
    const CutCase &c = GetParam();
    THistoryData history(path(), true, c.maxLength);
    ASSERT_TRUE(history.Load());
    history.Add(c.text, 1.0);
    EXPECT_EQ(history.GetText(0), c.expected);
    ASSERT_TRUE(history.Save());
    ASSERT_TRUE(history.Load());
    EXPECT_EQ(history.GetText(0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, HistoryCut,
    ::testing::Values(
        // byte 10 (index 9) is the lead byte of "あ": only 9 bytes stay
        CutCase{"leadByteAtTenKeepsNine", 10, QByteArray("abcdefghi") + sjis("あ") + "k", "abcdefghi"},
        CutCase{"doubleByteEndingAtTen", 10, sjis("あいうえおか"), sjis("あいうえお")},
        // the length byte holds at most 247 text bytes, whatever MaxLength says
        CutCase{"maxLength255CutsTo247", 255, QByteArray(300, 'x'), QByteArray(247, 'x')},
        CutCase{"maxLength255DoubleByteAtLimit", 255, QByteArray(246, 'x') + sjis("あ"), QByteArray(246, 'x')}),
    [](const ::testing::TestParamInfo<CutCase> &info) { return std::string(info.param.name); });

TEST_F(HistoryFile, puttingATextFirstMovesItWithoutDuplicateAndSavesOnlyOnAChange)
{
    THistoryData history(path(), true, 10);
    ASSERT_TRUE(history.Load());
    for (const char *text : {"one", "One", "three"})
        history.Add(text, 1.0);
    EXPECT_EQ(history.IndexOf("One"), 1); // bytes compare with their case
    EXPECT_FALSE(PutHistoryFirst(history, "one"));
    EXPECT_FALSE(PutHistoryFirst(history, ""));
    EXPECT_EQ(fileBytes(path()), QByteArray(4, '\0')); // still the file as created
    EXPECT_TRUE(PutHistoryFirst(history, "three"));
    ASSERT_EQ(history.GetCount(), 3);
    EXPECT_EQ(history.GetText(1), QByteArray("one"));
    EXPECT_NE(history.GetWhen(0), 1.0);
    // An overlong text is found again in its cut form, already first.
    EXPECT_TRUE(PutHistoryFirst(history, "abcdefghijXYZ"));
    EXPECT_FALSE(PutHistoryFirst(history, "abcdefghijQQQ"));
    EXPECT_EQ(history.GetCount(), 4);

    THistoryData saved(path(), false, 10);
    ASSERT_TRUE(saved.Load());
    EXPECT_EQ(saved.GetText(0), QByteArray("abcdefghij"));
    EXPECT_EQ(saved.GetText(1), QByteArray("three"));
}

TEST(HistoryWhen, daysCountFromEndOf1899InLocalTime)
{
    EXPECT_EQ(DateTimeToHistoryWhen(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    EXPECT_EQ(DateTimeToHistoryWhen(QDateTime(QDate(1900, 1, 1), QTime(18, 0))), 2.75);
    const QDateTime moment(QDate(2024, 2, 29), QTime(13, 30, 15));
    EXPECT_EQ(HistoryWhenToDateTime(DateTimeToHistoryWhen(moment)), moment);
    EXPECT_EQ(HistoryWhenToDateTime(-693593.0), QDateTime(QDate(1, 1, 1), QTime(0, 0)));
    EXPECT_EQ(HistoryWhenToDateTime(2958465.5), QDateTime(QDate(9999, 12, 31), QTime(12, 0)));
}

// Two programs on one data folder, each with the history as it read it: a
// text either puts first stays, and a text one deletes stays deleted.
TEST_F(HistoryFile, twoProgramsSavingFromCopiesReadBeforeKeepEachOthersTexts)
{
    {
        THistoryData start(path(), true, 40);
        ASSERT_TRUE(start.Load());
        start.Add(sjis("古い"), 1.0);
        start.Add(sjis("残す"), 1.0);
        ASSERT_TRUE(start.Save());
    }
    THistoryData first(path(), false, 40), second(path(), false, 40);
    ASSERT_TRUE(first.Load());
    ASSERT_TRUE(second.Load());
    EXPECT_TRUE(PutHistoryFirst(first, sjis("東京都")));
    second.Delete(second.IndexOf(sjis("古い")));
    EXPECT_TRUE(PutHistoryFirst(second, sjis("大阪府")));

    THistoryData read(path(), false, 40);
    ASSERT_TRUE(read.Load());
    EXPECT_EQ(textsOf(read), QList<QByteArray>({sjis("大阪府"), sjis("残す"), sjis("東京都")}));
    ASSERT_EQ(second.GetCount(), 3) << "the saver's list is what it wrote";

    EXPECT_TRUE(PutHistoryFirst(first, sjis("残す")));
    ASSERT_TRUE(read.Load());
    EXPECT_EQ(read.IndexOf(sjis("古い")), -1) << "deleted by the other program, not brought back";
    EXPECT_EQ(read.GetCount(), 3);
}

// A file damaged by another hand after this list was read is not written
// over by the next save: it is kept aside whole and named, as at reading;
// where it cannot be moved the save refuses and the file stays.
TEST_F(HistoryFile, aFileDamagedSinceTheReadIsKeptAsideBeforeTheSaveWritesOverIt)
{
    RecordedUnreadableNotices notices;
    writeBytes(path(), kTwoEntries);
    THistoryData history(path(), false, 100);
    ASSERT_TRUE(history.Load());
    const QByteArray damaged = kTwoEntries.chopped(1);
    writeBytes(path(), damaged);
    {
        RefusedMovesAside refused;
        EXPECT_THROW(PutHistoryFirst(history, "new"), EHistoryDataError);
    }
    EXPECT_TRUE(sameBytes(damaged, fileBytes(path()))) << "not written over where it could not be moved";
    ASSERT_TRUE(history.Save());
    const QStringList copies = keptAsideCopies(path());
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(sameBytes(damaged, fileBytes(copies[0])));
    ASSERT_EQ(notices.told().size(), 1) << "told once, when first met";
    EXPECT_EQ(notices.told()[0].file, path());
    THistoryData again(path(), false, 100);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.GetCount(), 3);
}

// A text kept with blanks or control characters at its ends (an imported
// field "営業部 ") is read back without them: the next save must take the
// file's "営業部" for that very text, neither another program's nor one to
// drop, so it keeps its place in the list and is there once.
TEST_F(HistoryFile, aTextSavedWithBlanksAtItsEndsKeepsItsPlaceAtTheNextSave)
{
    THistoryData history(path(), true, 100);
    ASSERT_TRUE(history.Load());
    history.Add(sjis("経理"), 1.0);
    history.Insert(0, sjis("総務"), 2.0);
    history.Insert(0, sjis("営業部") + " \t", 3.0);
    ASSERT_TRUE(history.Save());
    EXPECT_TRUE(PutHistoryFirst(history, sjis("人事")));

    const QList<QByteArray> expected{sjis("人事"), sjis("営業部"), sjis("総務"), sjis("経理")};
    THistoryData read(path(), false, 100);
    ASSERT_TRUE(read.Load());
    EXPECT_EQ(textsOf(read), expected);
    EXPECT_EQ(textsOf(history), expected) << "the list holds what the file holds";
}

// An imported field "営業部 " put first while the list already holds
// "営業部": the file stores both alike, and keeps that text once, newest first.
TEST_F(HistoryFile, aTextPutFirstWithBlanksWhereTheListHoldsItIsSavedOnceAtTheFront)
{
    THistoryData history(path(), true, 100);
    ASSERT_TRUE(history.Load());
    history.Add(sjis("総務"), 1.0);
    history.Add(sjis("営業部"), 1.0);
    ASSERT_TRUE(history.Save());
    history.Insert(0, sjis("営業部") + "  ", 5.0);
    ASSERT_TRUE(history.Save());

    THistoryData read(path(), false, 100);
    ASSERT_TRUE(read.Load());
    EXPECT_EQ(textsOf(read), QList<QByteArray>({sjis("営業部"), sjis("総務")}));
    EXPECT_EQ(read.GetWhen(0), 5.0);
    EXPECT_EQ(history.GetCount(), 2) << "the list holds what the file holds";
}
