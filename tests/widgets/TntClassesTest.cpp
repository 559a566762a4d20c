#include "platform/Cp932.h"
#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"
#include "widgets/TntClasses.h"
#include "widgets/TntSystem.h"

#include <QBuffer>
#include <QDir>
#include <QRandomGenerator>
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

// Counts the events a list fires.
struct EventLog {
    int changing = 0;
    int changed = 0;
    void attach(TTntStringList &list)
    {
        list.SetOnChanging([this](TTntStrings *) { ++changing; });
        list.SetOnChange([this](TTntStrings *) { ++changed; });
    }
};

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
                         ::testing::Values(LoadCase{"utf16le-bom.txt", tcsUtf16, kFixtureLines},
                                           LoadCase{"utf16be-bom.txt", tcsUtf16Swapped, kFixtureLines},
                                           LoadCase{"utf8-bom.txt", tcsUtf8, kFixtureLines},
                                           LoadCase{"cp932.txt", tcsAnsi, kFixtureLines},
                                           LoadCase{"one-byte.txt", tcsAnsi, {QStringLiteral("A")}},
                                           LoadCase{"empty.txt", tcsAnsi, {}}));

struct DetectCase { QByteArray head; TTextCharSet charSet; qint64 positionAfter; };

class DetectCharacterSetOnStream : public ::testing::TestWithParam<DetectCase> {};

TEST_P(DetectCharacterSetOnStream, leavesTheStreamBehindAMarkOnly)
{
    QByteArray data = GetParam().head;
    QBuffer buffer(&data);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    EXPECT_EQ(DetectCharacterSet(buffer), GetParam().charSet);
    EXPECT_EQ(buffer.pos(), GetParam().positionAfter);
}

INSTANTIATE_TEST_SUITE_P(Table, DetectCharacterSetOnStream,
                         ::testing::Values(DetectCase{"\xFF\xFE", tcsUtf16, 2},
                                           DetectCase{"\xFE\xFF\x00", tcsUtf16Swapped, 2},
                                           DetectCase{"\xEF\xBB\xBF", tcsUtf8, 3}, DetectCase{"\xEF\xBB", tcsAnsi, 0},
                                           DetectCase{"\xFF", tcsAnsi, 0}, DetectCase{"", tcsAnsi, 0},
                                           DetectCase{"ab", tcsAnsi, 0}));

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

TEST(ListStreams, withoutAMarkTheRestIsUtf16AnOddLastByteIsDroppedAndAClosedStreamRaises)
{
    QByteArray data = utf16le(QStringLiteral("あ\r\nb")) + "\x41";
    QBuffer buffer(&data);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    TTntStringList list;
    list.LoadFromStreamWithBom(buffer, false);
    EXPECT_EQ(items(list), (QStringList{QStringLiteral("あ"), QStringLiteral("b")}));
    QByteArray oneUnitByte("\xFF\xFE\x41", 3);
    QBuffer shortBuffer(&oneUnitByte);
    ASSERT_TRUE(shortBuffer.open(QIODevice::ReadOnly));
    list.LoadFromStream(shortBuffer);
    EXPECT_EQ(list.Count(), 0);
    QBuffer out;
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    list.Add(QStringLiteral("x"));
    list.SaveToStreamWithBom(out, false);
    EXPECT_EQ(out.data(), utf16le(QStringLiteral("x\r\n")));
    QBuffer closed; // a stream that can be neither read nor written
    EXPECT_THROW(list.LoadFromStream(closed), EReadError);
    EXPECT_THROW(list.SaveToStream(closed), EWriteError);
    EXPECT_EQ(list.Count(), 1);
}

// ---- Text form ---------------------------------------------------------------------

struct SplitCase { const char16_t *text; QStringList items; };

class TextForm : public ::testing::TestWithParam<SplitCase> {};

TEST_P(TextForm, endsItemsAtCrLfOrCrOrLfAndWritesCrLfAfterEach)
{
    TTntStringList list;
    list.Add(QStringLiteral("old"));
    list.SetTextStr(QString::fromUtf16(GetParam().text));
    EXPECT_EQ(items(list), GetParam().items);
    QString expectedText;
    for (const QString &item : GetParam().items)
        expectedText += item + QStringLiteral("\r\n");
    EXPECT_EQ(list.Text(), expectedText);
}

INSTANTIATE_TEST_SUITE_P(Table, TextForm,
                         ::testing::Values(SplitCase{u"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
                                           SplitCase{u"a\n\rb", {"a", "", "b"}}, SplitCase{u"a\n\nb", {"a", "", "b"}},
                                           SplitCase{u"", {}}, SplitCase{u"\r\n", {""}},
                                           SplitCase{u"a\r\n\r\n", {"a", ""}}, SplitCase{u"last", {"last"}}));

// ---- Positions, errors and events ------------------------------------------------------

class StringList : public ::testing::Test
{
protected:
    TTntStringList list;
    EventLog log;
};

class SortedList : public StringList
{
protected:
    SortedList() { list.SetSorted(true); }
};

TEST_F(StringList, insertAtCountAppendsAndBeyondRaisesTheIndexError)
{
    addAll(list, {"a", "b"});
    list.Insert(2, QStringLiteral("c"));
    EXPECT_EQ(items(list), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(listError([&] { list.Insert(4, QStringLiteral("d")); }), QStringLiteral("List index out of bounds (4)"));
    EXPECT_EQ(listError([&] { (void)list.Get(-1); }), QStringLiteral("List index out of bounds (-1)"));
    EXPECT_EQ(listError([&] { (void)list.GetObject(3); }), QStringLiteral("List index out of bounds (3)"));
    EXPECT_EQ(listError([&] { list.Delete(3); }), QStringLiteral("List index out of bounds (3)"));
    EXPECT_EQ(listError([&] { list.Exchange(5, -1); }), QStringLiteral("List index out of bounds (5)"));
    EXPECT_EQ(listError([&] { list.SetCapacity(2); }), QStringLiteral("List capacity out of bounds (2)"));
    EXPECT_EQ(items(list), (QStringList{"a", "b", "c"}));
}

TEST_F(StringList, deleteExchangeAndMoveCarryTheObjects)
{
    for (quintptr i = 0; i < 4; ++i)
        list.AddObject(QString::number(i), tag(i + 100));
    list.Exchange(0, 3);
    list.Delete(1);
    list.Move(0, 2);
    EXPECT_EQ(items(list), (QStringList{"2", "0", "3"}));
    EXPECT_EQ(list.Objects(0), tag(102));
    EXPECT_EQ(list.Objects(1), tag(100));
    EXPECT_EQ(list.IndexOfObject(tag(103)), 2);
}

TEST_F(StringList, eachChangeFiresChangingThenChanged)
{
    list.SetOnChanging([&](TTntStrings *sender) {
        EXPECT_EQ(sender, &list);
        EXPECT_EQ(log.changing, log.changed);
        ++log.changing;
    });
    list.SetOnChange([&](TTntStrings *) { ++log.changed; });
    list.Clear(); // nothing to clear: no events
    list.Add(QStringLiteral("a"));
    list.Put(0, QStringLiteral("b"));
    list.PutObject(0, tag(1));
    list.Delete(0);
    EXPECT_EQ(log.changing, 4);
    EXPECT_EQ(log.changed, 4);
}

TEST(StringListEvents, updatesHoldEventsBackUntilTheOutermostEndAndDestroyingFiresNone)
{
    EventLog log;
    int before = 0;
    {
        TTntStringList list;
        log.attach(list);
        list.BeginUpdate();
        list.BeginUpdate();
        list.Add(QStringLiteral("a"));
        list.EndUpdate();
        list.Add(QStringLiteral("b"));
        EXPECT_EQ(log.changed, 0);
        list.EndUpdate();
        EXPECT_EQ(log.changing, 0);
        EXPECT_EQ(log.changed, 1);
        list.SetTextStr(QStringLiteral("x\r\ny"));
        EXPECT_EQ(log.changed, 2);
        before = log.changing + log.changed;
    }
    EXPECT_EQ(log.changing + log.changed, before);
}

// ---- Sorting and searching --------------------------------------------------------------

TEST_F(SortedList, addsInOrderAndRefusesPositionalChanges)
{
    addAll(list, {"さくら", "あお", "かき", "Beta", "alpha"});
    EXPECT_EQ(items(list), (QStringList{"alpha", "Beta", "あお", "かき", "さくら"}));
    const QString sortedError = QStringLiteral("Operation not allowed on sorted list");
    EXPECT_EQ(listError([&] { list.Put(0, QStringLiteral("x")); }), sortedError);
    EXPECT_EQ(listError([&] { list.Insert(0, QStringLiteral("x")); }), sortedError);
    EXPECT_EQ(listError([&] { list.InsertObject(0, QStringLiteral("x"), nullptr); }), sortedError);
    list.PutObject(0, tag(7));
    EXPECT_EQ(list.Objects(0), tag(7));
}

TEST_F(SortedList, ignoresADuplicateSilentlyOrRaisesWhenRefusing)
{
    addAll(list, {"a", "b"});
    log.attach(list);
    EXPECT_EQ(list.Add(QStringLiteral("B")), 1); // case-insensitive by default: the existing index
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(log.changing + log.changed, 0);
    list.SetDuplicates(TDuplicates::dupError);
    EXPECT_EQ(listError([&] { list.Add(QStringLiteral("A")); }),
              QStringLiteral("String list does not allow duplicates"));
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(SortedList, anAcceptedDuplicateGoesBeforeTheEqualOnes)
{
    list.SetDuplicates(TDuplicates::dupAccept);
    list.AddObject(QStringLiteral("a"), tag(1));
    list.AddObject(QStringLiteral("c"), tag(9));
    list.AddObject(QStringLiteral("a"), tag(2));
    EXPECT_EQ(list.AddObject(QStringLiteral("A"), tag(3)), 0);
    EXPECT_EQ(list.Objects(0), tag(3));
    EXPECT_EQ(list.Objects(1), tag(2));
    EXPECT_EQ(list.Objects(2), tag(1));
    int index = -1;
    EXPECT_TRUE(list.Find(QStringLiteral("a"), index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(list.Find(QStringLiteral("b"), index));
    EXPECT_EQ(index, 3);
}

TEST_F(SortedList, kanaTypeAndWidthStayDistinct)
{
    addAll(list, {"ア", "あ", "ｱ", "ア"});
    EXPECT_EQ(list.Count(), 3);
    EXPECT_GE(list.IndexOf(QStringLiteral("ｱ")), 0);
}

TEST_F(SortedList, switchingCaseSensitivitySortsAgainAndSortingDoesNothing)
{
    list.SetDuplicates(TDuplicates::dupAccept);
    addAll(list, {"B", "a", "A", "b"});
    list.SetCaseSensitive(true);
    EXPECT_EQ(items(list), (QStringList{"a", "A", "b", "B"}));
    EXPECT_EQ(list.IndexOf(QStringLiteral("A")), 1);
    EXPECT_EQ(list.IndexOf(QStringLiteral("B")), 3);
    log.attach(list);
    list.Sort();
    list.CustomSort([](TTntStringList &, int, int) { return -1; });
    EXPECT_EQ(log.changing + log.changed, 0);
    EXPECT_EQ(items(list), (QStringList{"a", "A", "b", "B"}));
}

TEST_F(StringList, quicksortAgreesWithAStableReferenceAndMovesObjects)
{
    QRandomGenerator random(2014);
    const QString alphabet = QStringLiteral("aAbBあアｱか漢1-");
    QStringList originals;
    for (int i = 0; i < 400; ++i) {
        QString s;
        for (int n = random.bounded(1, 4); n > 0; --n)
            s += alphabet[random.bounded(alphabet.size())];
        originals << s;
        list.AddObject(s, tag(static_cast<quintptr>(i)));
    }
    log.attach(list);
    list.Sort();
    EXPECT_EQ(log.changing, 1);
    EXPECT_EQ(log.changed, 1);
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.Strings(i), originals[static_cast<int>(reinterpret_cast<quintptr>(list.Objects(i)))]);
        if (i > 0) {
            EXPECT_LE(list.CompareStrings(list.Strings(i - 1), list.Strings(i)), 0) << i;
        }
    }
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

TEST(NameValues, readsNameValueItemsInUnsortedAndSortedLists)
{
    for (const bool sorted : {false, true}) {
        TTntStringList list;
        list.SetSorted(sorted);
        addAll(list, {"Namex=1", "name=住所", "plain", "a=0"});
        EXPECT_EQ(list.Values(QStringLiteral("Name")), QStringLiteral("住所")) << sorted;
        EXPECT_EQ(list.Values(QStringLiteral("Namex")), QStringLiteral("1")) << sorted;
        EXPECT_EQ(list.Names(list.IndexOfName(QStringLiteral("NAME"))), QStringLiteral("name")) << sorted;
        EXPECT_EQ(list.IndexOfName(QStringLiteral("plain")), -1) << sorted;
        EXPECT_EQ(list.IndexOfName(QStringLiteral("Nam")), -1) << sorted;
        EXPECT_EQ(list.Names(list.IndexOf(QStringLiteral("plain"))), QString()) << sorted;
    }
}

TEST_F(StringList, settingAValueAddsReplacesOrWithAnEmptyValueDeletes)
{
    addAll(list, {"Namex=1", "name=住所", "plain"});
    list.SetValues(QStringLiteral("new"), QStringLiteral("v=w"));
    EXPECT_EQ(list.Values(QStringLiteral("new")), QStringLiteral("v=w"));
    list.SetValues(QStringLiteral("Namex"), QString());
    EXPECT_EQ(list.IndexOfName(QStringLiteral("Namex")), -1);
    EXPECT_EQ(list.Count(), 3);
}

// ---- Copies and the byte-string view ---------------------------------------------------

TEST(StringListCopies, assignAndAddStringsCopyStringsAndObjectsAlsoFromTheAnsiView)
{
    TTntStringList source;
    source.AddObject(QStringLiteral("一"), tag(1));
    source.AddObject(QStringLiteral("二"), tag(2));
    TTntStringList copy;
    copy.Add(QStringLiteral("gone"));
    copy.Assign(source);
    copy.AddStrings(copy);
    EXPECT_EQ(items(copy), (QStringList{"一", "二", "一", "二"}));
    EXPECT_EQ(copy.Objects(3), tag(2));
    TTntStringList target;
    target.Add(QStringLiteral("old"));
    target.SetAnsiStrings(*source.AnsiStrings());
    EXPECT_EQ(items(target), (QStringList{"一", "二"}));
    EXPECT_EQ(target.Objects(1), tag(2));
}

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
    ansi.Delete(2);
    EXPECT_EQ(ansi.GetTextStr(), Cp932::encode(u"あ\r\n住所\r\n"));
    ansi.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(AnsiAdapter, streamsTextInTheGivenCodePageWithoutAMark)
{
    TTntStringList list;
    EventLog log;
    log.attach(list);
    QByteArray utf8("あ\r\nb");
    QBuffer in(&utf8);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    list.AnsiStrings()->LoadFromStreamEx(in, CP_UTF8);
    EXPECT_EQ(items(list), (QStringList{"あ", "b"}));
    EXPECT_EQ(log.changed, 1); // one change for the whole load

    QBuffer out;
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    list.AnsiStrings()->SaveToStream(out);
    EXPECT_EQ(out.data(), QByteArray("\x82\xA0\r\nb\r\n"));
}

} // namespace
