#include "platform/Cp932.h"
#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"
#include "widgets/TntClasses.h"
#include "widgets/TntSystem.h"

#include <QDir>
#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

const QStringList kFixtureLines = {QStringLiteral("住所録"), QStringLiteral("ABC"), QStringLiteral("①ｶﾅ～")};

QString fixture(const char *name)
{
    return TestEnvironment::dataFolder() + QStringLiteral("/stringlist/") + QLatin1String(name);
}

QStringList items(const TTntStrings &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.Strings(i);
    return out;
}

void addAll(TTntStrings &list, const QStringList &strings)
{
    for (const QString &s : strings)
        list.Add(s);
}

QByteArray utf16le(const QString &text) { return QStringEncoder(QStringEncoder::Utf16LE).encode(text); }

void *tag(quintptr value) { return reinterpret_cast<void *>(value); }

template <typename Call>
QString listError(Call call)
{
    try {
        call();
    } catch (const EStringListError &e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

// ---- Files and encodings ---------------------------------------------------------

struct LoadCase { const char *file; TTextCharSet charSet; QStringList lines; };

class LoadFromFile : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadFromFile, detectsTheEncodingFromTheFirstBytes)
{
    TTntStringList list;
    list.Add(QStringLiteral("old"));
    list.LoadFromFile(fixture(GetParam().file));
    EXPECT_EQ(list.LoadedCharSet(), GetParam().charSet);
    EXPECT_EQ(items(list), GetParam().lines);
}

using enum TTextCharSet;

INSTANTIATE_TEST_SUITE_P(Fixtures, LoadFromFile,
                         ::testing::Values(LoadCase{"utf16be-bom.txt", tcsUtf16Swapped, kFixtureLines},
                                           LoadCase{"utf8-bom.txt", tcsUtf8, kFixtureLines},
                                           LoadCase{"cp932.txt", tcsAnsi, kFixtureLines},
                                           LoadCase{"one-byte.txt", tcsAnsi, {QStringLiteral("A")}}));

class ListFiles : public ::testing::Test
{
protected:
    QString path(const char *name) const { return QDir(home.root()).filePath(QLatin1String(name)); }
    ScopedHome home;
};

TEST_F(ListFiles, savesUtf16LittleEndianWithAMarkWhateverWasLoadedAndReadsItBack)
{
    TTntStringList list;
    list.SaveToFile(path("empty.txt"));
    EXPECT_EQ(fileBytes(path("empty.txt")), QByteArray("\xFF\xFE"));
    list.LoadFromFile(fixture("utf8-bom.txt"));
    list.Add(QStringLiteral("𠮷"));
    list.SaveToFile(path("out.txt"));
    EXPECT_TRUE(sameBytes(QByteArray("\xFF\xFE") + utf16le(QStringLiteral("住所録\r\nABC\r\n①ｶﾅ～\r\n𠮷\r\n")),
                          fileBytes(path("out.txt"))));
    TTntStringList again;
    again.LoadFromFile(path("out.txt"));
    EXPECT_EQ(items(again), items(list));
}

TEST_F(ListFiles, failedLoadsRaiseAndLeaveTheListAlone)
{
    TTntStringList list;
    list.Add(QStringLiteral("kept"));
    EXPECT_THROW(list.LoadFromFile(path("missing.txt")), EFOpenError);
    list.SaveToFile(path("locked.txt"));
    {
        TTntFileStream writer(path("locked.txt"), fmOpenReadWrite | fmShareExclusive);
        EXPECT_THROW(list.LoadFromFile(path("locked.txt")), EFOpenError);
        EXPECT_THROW(list.SaveToFile(path("locked.txt")), EFCreateError);
    }
    EXPECT_EQ(items(list), QStringList{QStringLiteral("kept")});
}

class SortedList : public ::testing::Test
{
protected:
    SortedList() { list.SetSorted(true); }
    TTntStringList list;
};

// ---- Sorting and searching --------------------------------------------------------------

TEST_F(SortedList, addsInOrderIgnoresADuplicateOrRaisesWhenRefusingAndRefusesPositionalChanges)
{
    addAll(list, {"さくら", "あお", "Beta", "alpha"});
    EXPECT_EQ(items(list), (QStringList{"alpha", "Beta", "あお", "さくら"}));
    EXPECT_EQ(listError([&] { list.Insert(0, QStringLiteral("x")); }),
              QStringLiteral("Operation not allowed on sorted list"));
    EXPECT_EQ(list.Add(QStringLiteral("BETA")), 1); // case-insensitive by default: the existing index
    EXPECT_EQ(list.Count(), 4);
    list.SetDuplicates(TDuplicates::dupError);
    EXPECT_EQ(listError([&] { list.Add(QStringLiteral("ALPHA")); }),
              QStringLiteral("String list does not allow duplicates"));
    EXPECT_EQ(list.Count(), 4);
}

// Sorted lists search by bisection, unsorted ones item by item: both fold case
// over the whole alphabet, full-width letters too, and a sorted list keeps the
// letters in alphabetical order, not in the code order that puts "Z" before "a".
TEST(StringListCase, foldsEveryLetterOfBothWidthsInSortedAndUnsortedLists)
{
    for (const bool sorted : {false, true}) {
        TTntStringList list;
        list.SetSorted(sorted);
        for (const char16_t upper : {u'Ａ', u'A'})
            for (int c = 25; c >= 0; --c)
                list.Add(QString(QChar(char16_t(upper + c))));
        ASSERT_EQ(list.Count(), 52);
        for (const auto &[upper, lower] : {std::pair{u'A', u'a'}, std::pair{u'Ａ', u'ａ'}}) {
            for (int c = 0; c < 26; ++c) {
                const QString up(QChar(char16_t(upper + c))), low(QChar(char16_t(lower + c)));
                const int at = list.IndexOf(up);
                EXPECT_GE(at, 0) << up.toStdString();
                EXPECT_EQ(list.IndexOf(low), at) << low.toStdString() << " sorted " << sorted;
                if (sorted && c > 0) {
                    EXPECT_LT(list.IndexOf(QString(QChar(char16_t(lower + c - 1)))), at) << low.toStdString();
                }
            }
        }
        if (sorted) {
            EXPECT_EQ(list.Add(QStringLiteral("ｑ")), list.IndexOf(QStringLiteral("Ｑ"))); // no second item
        }
        list.SetCaseSensitive(true);
        EXPECT_EQ(list.IndexOf(QStringLiteral("q")), -1) << sorted;
        EXPECT_EQ(list.IndexOf(QStringLiteral("ｑ")), -1) << sorted;
        EXPECT_GE(list.IndexOf(QStringLiteral("Ｑ")), 0) << sorted;
    }
}

// ---- Copies and the byte-string view ---------------------------------------------------

TEST(AnsiAdapter, presentsTheItemsAsShiftJis)
{
    TTntStringList list;
    list.AddObject(QStringLiteral("①ｶﾅ"), tag(5));
    TAnsiStrings &ansi = *list.AnsiStrings();
    EXPECT_EQ(ansi.Count(), 1);
    EXPECT_EQ(ansi.Strings(0), QByteArray("\x87\x40\xB6\xC5"));
    EXPECT_EQ(ansi.Objects(0), tag(5));
    ansi.Put(0, Cp932::encode(u"住所"));
    ansi.Insert(0, QByteArray("\x82\xA0"));
    ansi.Add("z");
    EXPECT_EQ(items(list), (QStringList{"あ", "住所", "z"}));
    EXPECT_EQ(list.Objects(1), tag(5));
    EXPECT_EQ(ansi.GetTextStr(), Cp932::encode(u"あ\r\n住所\r\nz\r\n"));
}

} // namespace
