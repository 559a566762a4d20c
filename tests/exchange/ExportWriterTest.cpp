#include "addressbook/TableBook.h"
#include "core/AppSub.h"
#include "core/Env.h"
#include "core/WqhypWrapper.h"
#include "exchange/ExportWriter.h"
#include "exchange/ImportFile.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace {

QByteArray sj(const char *utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

// The layout as "column:item" pairs, e.g. "1:21 0:23 2:3".
std::string show(const TExportLayout &layout)
{
    std::string text;
    for (const TExportLayoutItem &item : layout.Items())
        text += (text.empty() ? "" : " ") + std::to_string(item.Column) + ":" + std::to_string(item.Item);
    return text;
}

TExportLayout layoutOf(const QStringList &keys)
{
    TExportLayout layout;
    layout.FromKeys(keys);
    return layout;
}

struct EditCase {
    const char *name;
    QStringList keys; // starting layout
    std::function<int(TExportLayout &)> edit;
    const char *expected;
};

std::vector<EditCase> editCases()
{
    return {
        {"setOnEmptyRowAppendsAColumn", {"21", "3"}, [](auto &l) { return int(l.Set(2, 9)); }, "1:21 2:3 3:9"},
        {"setOnAHeadPushesTheColumnsAlong", {"21", "3"}, [](auto &l) { return int(l.Set(1, 9)); }, "1:21 2:9 3:3"},
        {"setInsideAColumnTakesTheJoinedItemsAfterIt", {"21,23,2"},
         [](auto &l) { return int(l.Set(2, 9)); }, "1:21 0:23 2:9 0:2"},
        {"joinAfterTheRow", {"21", "3"}, [](auto &l) { return int(l.Join(0, 23)); }, "1:21 0:23 2:3"},
        {"joinOnEmptyRowJoinsTheLastColumn", {"21", "3"}, [](auto &l) { return int(l.Join(2, 23)); },
         "1:21 2:3 0:23"},
        {"deletingAHeadMakesTheJoinedItemTheHead", {"21,23", "3"}, [](auto &l) { l.Delete(0); return 0; },
         "1:23 2:3"},
        {"deletingOnEmptyRowTakesTheLastItem", {"21", "3"}, [](auto &l) { l.Delete(2); return 0; }, "1:21"},
        {"upOnAJoinedItemInRowOneDoesNothing", {"21,23"}, [](auto &l) { return l.MoveUp(1); }, "1:21 0:23"},
        {"upSwapsTwoColumns", {"21", "3"}, [](auto &l) { return l.MoveUp(1); }, "1:3 2:21"},
        {"downOnAHeadWithAJoinedNextMakesItTheHead", {"21,23", "3"},
         [](auto &l) { return l.MoveDown(0); }, "1:23 2:21 3:3"},
        {"downOnTheLastItemOnlyMovesTheSelection", {"21", "3"}, [](auto &l) { return l.MoveDown(1); }, "1:21 2:3"},
        {"keysWithAForeignPartKeepTheRest", {"21,x,23", "99", "3"}, [](auto &) { return 0; }, "1:21 0:23 2:3"},
    };
}

class ExportLayoutEdit : public ::testing::TestWithParam<EditCase>
{
};

TEST_P(ExportLayoutEdit, editsTheLayout)
{
    TExportLayout layout = layoutOf(GetParam().keys);
    (void)GetParam().edit(layout);
    EXPECT_EQ(show(layout), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Layout, ExportLayoutEdit, ::testing::ValuesIn(editCases()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ExportLayout, theHundredAndFirstItemIsRefused)
{
    TExportLayout layout;
    for (int i = 0; i < TExportLayout::MaxItems; ++i)
        ASSERT_TRUE(layout.Set(layout.Count(), i % ExportItemCount));
    EXPECT_FALSE(layout.Set(0, 1));
    EXPECT_FALSE(layout.Join(0, 1));
    EXPECT_EQ(layout.Count(), TExportLayout::MaxItems);
}

TEST(ExportLayout, keysRoundTrip)
{
    const QStringList keys{QStringLiteral("21,23"), QStringLiteral("3"), QStringLiteral("55,56,0")};
    EXPECT_EQ(layoutOf(keys).ToKeys(), keys);
}

TEST(ExportLayout, allSetIsEveryItemInItsOwnColumn)
{
    TExportLayout layout;
    layout.SetAll();
    ASSERT_EQ(layout.Count(), ExportItemCount);
    EXPECT_EQ(layout.ColumnCount(), ExportItemCount);
    EXPECT_EQ(layout.Items().last(), (TExportLayoutItem{ExportItemCount, ExportItemCount - 1}));
}

// A device that takes Limit bytes and refuses the rest, as a full disk does.
class FullDevice : public QIODevice
{
public:
    explicit FullDevice(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 len) override
    {
        if (m_written + len > m_limit) {
            setErrorString(QStringLiteral("デバイスに空き領域がありません"));
            return -1;
        }
        m_written += len;
        return len;
    }

private:
    qint64 m_limit;
    qint64 m_written = 0;
};

class ExportWriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        book.add({{"NameKanji", EncodeUnicodeField(u"山田")}, {"Honor", sj("様")}, {"Tel", sj("0312345678")},
                  {"Note", sj("a \"b\",c")}});
        book.add({{"NameKanji", EncodeUnicodeField(u"鈴木")}, {"Honor", sj("殿")}});
        records = {{1, 0}, {2, 1}};
    }
    QByteArray write(const QStringList &keys, const TExportOptions &options, const std::function<bool()> &next = {})
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        result = WriteExportRows(buffer, book.table, records, layoutOf(keys), context, options,
                                 ExportItemCatalogue(), next);
        return buffer.data();
    }

    Book book;
    TRunRecords records;
    TExportContext context;
    TExportRunResult result;
};

TEST_F(ExportWriterTest, joinedItemsShareAColumnAndTheHeaderNamesThemWithAPlus)
{
    EXPECT_EQ(write({"21,23"}, {}), sj("名前＋敬称\r\n山田様\r\n鈴木殿\r\n"));
    EXPECT_EQ(result.Written, 2);
}

TEST_F(ExportWriterTest, withoutTheHeaderOptionOnlyRecordLines)
{
    TExportOptions options;
    options.OutHeader = false;
    EXPECT_EQ(write({"21", "23"}, options), sj("山田,様\r\n鈴木,殿\r\n"));
}

TEST_F(ExportWriterTest, quotesEncloseEachColumnAndDoubleInnerQuotes)
{
    TExportOptions options;
    options.OutHeader = false;
    options.BindDblQuote = true;
    records = {{1, 0}};
    EXPECT_EQ(write({"21,23", "55"}, options), sj("\"山田様\",\"a \"\"b\"\",c\"\r\n"));
}

TEST_F(ExportWriterTest, aValueWithACommaOrAQuoteIsEnclosedWithoutTheQuoteOption)
{
    TExportOptions options;
    options.OutHeader = false;
    records = {{1, 0}};
    EXPECT_EQ(write({"21,23", "55"}, options), sj("山田様,\"a \"\"b\"\",c\"\r\n"));
}

TEST_F(ExportWriterTest, plainHeaderNamesStayUnquotedWithTheQuoteOption)
{
    TExportOptions options;
    options.BindDblQuote = true;
    records = {};
    EXPECT_EQ(write({"21", "23"}, options), sj("名前,敬称\r\n"));
}

// Keyword captions from an older settings file, typed before the keyword
// dialog refused them: the header keeps one column per column of the lines,
// written by the rule of the lines, and names the keyword's column by a name
// no other column has.
struct LegacyCaptionCase {
    const char *name;
    const char16_t *caption;
    const char16_t *header; // keyword 1 joined to the name, then the honorific
};

void PrintTo(const LegacyCaptionCase &c, std::ostream *os)
{
    *os << c.name;
}

class LegacyCaption : public ExportWriterTest, public ::testing::WithParamInterface<LegacyCaptionCase>
{
};

TEST_P(LegacyCaption, headerHasAsManyColumnsAsTheLines)
{
    const auto saved = KeywordNames;
    KeywordNames[1] = QString::fromUtf16(GetParam().caption);
    records = {{1, 0}};
    const QByteArray written = write({"21,47", "23"}, {});
    KeywordNames = saved;
    const QList<QByteArray> lines = written.split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], Cp932::encode(QString::fromUtf16(GetParam().header)) + '\r');
    EXPECT_EQ(CountCsvFields(lines[0]), CountCsvFields(lines[1]));
}

INSTANTIATE_TEST_SUITE_P(
    Captions, LegacyCaption,
    ::testing::Values(LegacyCaptionCase{"plainCaptionUnquoted", u"趣味", u"名前＋趣味,敬称"},
                      LegacyCaptionCase{"commaQuotesItsColumn", u"趣味,特技", u"\"名前＋趣味,特技\",敬称"},
                      LegacyCaptionCase{"doubleQuoteDoubledInAQuotedColumn", u"\"趣味", u"\"名前＋\"\"趣味\",敬称"},
                      LegacyCaptionCase{"blanksLeftOut", u" 趣 味 ", u"名前＋趣味,敬称"},
                      LegacyCaptionCase{"blankCaptionWrittenAsTheFixedName", u"　", u"名前＋キーワード１,敬称"},
                      LegacyCaptionCase{"captionOfAnotherItemWrittenAsTheFixedName", u"敬 称",
                                        u"名前＋キーワード１,敬称"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ExportWriterTest, hyphenationFollowsTheSwitches)
{
    SetWqhypForTesting([](const char *number, char *output, const char *, const TWqhypTime *) {
        const QByteArray out = QByteArray(number).insert(2, '-').insert(7, '-');
        std::memcpy(output, out.constData(), size_t(out.size() + 1));
        return 0;
    });
    TExportOptions options;
    options.OutHeader = false;
    records = {{1, 0}};
    const QByteArray on = write({"3"}, options);
    context.Format.EditTel = false;
    const QByteArray off = write({"3"}, options);
    SetWqhypForTesting(nullptr);
    EXPECT_EQ(on, "03-1234-5678\r\n");
    EXPECT_EQ(off, "0312345678\r\n");
}

TEST_F(ExportWriterTest, aRecordGoneFromTheTableIsSkipped)
{
    records = {{1, 0}, {7, 1}, {2, 2}};
    TExportOptions options;
    options.OutHeader = false;
    EXPECT_EQ(write({"21"}, options), sj("山田\r\n鈴木\r\n"));
    EXPECT_EQ(result.Written, 2);
}

TEST_F(ExportWriterTest, stoppingAfterTheFirstRecordCancels)
{
    TExportOptions options;
    options.OutHeader = false;
    EXPECT_EQ(write({"21"}, options, [] { return false; }), sj("山田\r\n"));
    EXPECT_TRUE(result.Cancelled);
}

TEST_F(ExportWriterTest, aRefusedWriteIsReportedWithTheDevicesReason)
{
    FullDevice device(20);
    const TExportRunResult r = WriteExportRows(device, book.table, records, layoutOf({"21", "23"}), context, {},
                                               ExportItemCatalogue());
    EXPECT_EQ(r.Written, 1);
    EXPECT_TRUE(r.Failure.contains(QStringLiteral("空き領域")));
}

TEST_F(ExportWriterTest, aNameWithACharacterShiftJisLacksIsCountedNotDroppedUnseen)
{
    // "𠮷" has no Shift-JIS form: the line carries "?" and the run says so.
    book.add({{"NameKanji", EncodeUnicodeField(u"𠮷田")}, {"Honor", sj("様")}});
    records = {{1, 0}, {2, 1}, {3, 2}};
    TExportOptions options;
    options.OutHeader = false;
    EXPECT_EQ(write({"21"}, options), sj("山田\r\n鈴木\r\n?田\r\n"));
    EXPECT_EQ(result.Written, 3);
    EXPECT_EQ(result.LossyLines, 1);
}

TEST_F(ExportWriterTest, namesShiftJisHoldsLeaveNoLossyLine)
{
    TExportOptions options;
    options.OutHeader = false;
    EXPECT_EQ(write({"21", "23"}, options), sj("山田,様\r\n鈴木,殿\r\n"));
    EXPECT_EQ(result.LossyLines, 0);
}

TEST_F(ExportWriterTest, aTypedQuestionMarkBesideALookAlikeIsNoLoss)
{
    // The "?" was typed, and the wave dash goes out as the tilde that looks
    // like it: the line holds a "?" byte, but nothing was lost.
    book.add({{"NameKanji", EncodeUnicodeField(u"山田?〜")}, {"Honor", sj("様")}});
    records = {{3, 0}};
    TExportOptions options;
    options.OutHeader = false;
    EXPECT_EQ(write({"21"}, options), sj("山田?～\r\n"));
    EXPECT_EQ(result.LossyLines, 0);
}

TEST(SaveExportFile, appendKeepsTheOldContentInFront)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    ASSERT_TRUE(SaveExportFile(path, false, "a\r\n", nullptr));
    ASSERT_TRUE(SaveExportFile(path, true, "b\r\n", nullptr));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "a\r\nb\r\n");
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The folder is the user's: a file of theirs named like the target with "$$"
// before it is neither deleted nor taken for an old copy of the target.
TEST(SaveExportFile, aUsersDollarFileBesideTheTargetIsLeftAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    const QString users = dir.filePath(QStringLiteral("$$list.csv"));
    QFile mine(users);
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    ASSERT_EQ(mine.write("the user's own\r\n"), 16);
    mine.close();
    ASSERT_TRUE(SaveExportFile(path, true, "new\r\n", nullptr));
    EXPECT_EQ(contentOf(path), "new\r\n");
    ASSERT_TRUE(SaveExportFile(path, false, "newer\r\n", nullptr));
    EXPECT_EQ(contentOf(path), "newer\r\n");
    EXPECT_EQ(contentOf(users), "the user's own\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// A save killed between its renames left the old export only under its
// aside name: appending keeps its lines, and the copy is not deleted unread.
TEST(SaveExportFile, appendAfterAKilledSaveKeepsTheOldLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    ASSERT_TRUE(SaveExportFile(path, false, "old\r\n", nullptr));
    ASSERT_TRUE(QFile::rename(path, SafeReplaceBackupPath(path)));
    ASSERT_TRUE(SaveExportFile(path, true, "new\r\n", nullptr));
    EXPECT_EQ(contentOf(path), "old\r\nnew\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// Runs in the child only: writes "new" over the export named by the
// variable and holds still before the step it names, where the parent kills it.
constexpr char kKilledExportVariable[] = "MURVEN_KILLED_EXPORT";

TEST(SaveExportFileKillChild, holdsStillBeforeItsStep)
{
    const QStringList task = qEnvironmentVariable(kKilledExportVariable).split(u'|');
    if (task.size() != 2)
        GTEST_SKIP() << "runs as the child of the kill trial";
    const int holdAt = task[1].toInt();
    SafeFile::setFailureHook([holdAt](SafeFile::Step step) {
        if (int(step) == holdAt) {
            std::printf("HELD\n");
            std::fflush(stdout);
            QThread::sleep(30);
        }
        return false;
    });
    (void)SaveExportFile(task[0], false, "new\r\n", nullptr);
    std::printf("HELD\n");
    std::fflush(stdout);
}

// An export killed at any step of its replace leaves the earlier export in
// place, whole, until the new one takes its name; a later look finds one of
// the two, never none.
TEST(SaveExportFile, killedAtAnyStepLeavesTheEarlierFileInPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    const int steps = int(SafeFile::Step::SyncFolder) + 1;
    for (int step = 0; step <= steps; ++step) {
        ASSERT_TRUE(SaveExportFile(path, false, "old\r\n", nullptr));
        QProcess child;
        StartTestChild(child, QStringLiteral("SaveExportFileKillChild.*"),
                       {{kKilledExportVariable, path + u'|' + QString::number(step)}});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray output;
        QElapsedTimer clock;
        clock.start();
        // A loaded machine may start the child slower than one wait: only its
        // end or the time limit stops the wait for its word.
        while (!output.contains("HELD") && clock.elapsed() < 20000) {
            (void)child.waitForReadyRead(1000);
            output += child.readAllStandardOutput();
            if (child.state() == QProcess::NotRunning)
                break;
        }
        (void)KillRunningChild(child);
        child.waitForFinished(10000);
        ASSERT_TRUE(output.contains("HELD")) << "step " << step;
        const QByteArray expected = step > int(SafeFile::Step::RenameTemporary) ? "new\r\n" : "old\r\n";
        EXPECT_EQ(contentOf(path), expected) << "killed before step " << step;
    }
}

struct AppendCase {
    const char *name;
    QByteArray old;
    QByteArray expected;
};

class SaveExportAppend : public ::testing::TestWithParam<AppendCase>
{
};

// Appended lines start on a line of their own, whatever the old file's end.
TEST_P(SaveExportAppend, startsTheNewLinesOnALineOfTheirOwn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(GetParam().old);
    }
    ASSERT_TRUE(SaveExportFile(path, true, "b\r\n", nullptr));
    EXPECT_EQ(contentOf(path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Append, SaveExportAppend,
    ::testing::Values(AppendCase{"empty", "", "b\r\n"}, AppendCase{"endedByCrLf", "a\r\n", "a\r\nb\r\n"},
                      AppendCase{"endedByLf", "a\n", "a\nb\r\n"}, AppendCase{"endedByCr", "a\r", "a\r\nb\r\n"},
                      AppendCase{"lastLineWithoutEnd", "a\r\nz", "a\r\nz\r\nb\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SaveExportFile, aFailedReplaceIsReportedAndLeavesTheFileAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    ASSERT_TRUE(SaveExportFile(path, false, "old\r\n", nullptr));
    SafeFile::setFailureHook([](SafeFile::Step step) { return step == SafeFile::Step::RenameTemporary; });
    QString error;
    const bool saved = SaveExportFile(path, false, "new\r\n", &error);
    SafeFile::setFailureHook({});
    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "old\r\n");
}

} // namespace

namespace {

// The lines come in the order of the rows whichever way the records are
// read: one by one (few of many), or in one pass in record-number order.
struct OrderCase {
    const char *name;
    int bookSize;
    QList<qint32> recNos;
    const char *expected;
};

class ExportRowOrder : public ::testing::TestWithParam<OrderCase>
{
};

TEST_P(ExportRowOrder, linesFollowTheRowsAndSkipGoneRecords)
{
    Book book;
    for (int i = 1; i <= GetParam().bookSize; ++i)
        book.add({{"CustomCode", QByteArray::number(i)}});
    TRunRecords records;
    for (const qint32 recNo : GetParam().recNos)
        records << TRunRecord{recNo, -1};
    TExportLayout layout;
    layout.FromKeys({QStringLiteral("2")});
    TExportOptions options;
    options.OutHeader = false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const TExportRunResult result = WriteExportRows(buffer, book.table, records, layout, {}, options, {});
    EXPECT_EQ(buffer.data(), QByteArray(GetParam().expected));
    EXPECT_EQ(result.Written, buffer.data().count('\n'));
}

// The export reads the book once, whichever way it takes the records: the
// count that chooses the way reads the whole order, and the walk or the
// search after it must not read it again. The book comes as the list
// leaves it (walked in another order), and the export window names the
// layout's fields for the walk just before the run, as it does.
TEST_P(ExportRowOrder, readsTheBookOnce)
{
    Book book;
    for (int i = 1; i <= GetParam().bookSize; ++i)
        book.add({{"CustomCode", QByteArray::number(100 - i)}});
    TRunRecords records;
    for (const qint32 recNo : GetParam().recNos)
        records << TRunRecord{recNo, -1};
    TExportLayout layout;
    layout.FromKeys({QStringLiteral("2")});
    book.table.SetIndexName(QStringLiteral("CustomCode"));
    book.table.First();
    book.table.SetWalkFields(layout.Fields());
    TExportOptions options;
    options.OutHeader = false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const int before = book.table.OrderReads();
    const TExportRunResult result = WriteExportRows(buffer, book.table, records, layout, {}, options, {});
    EXPECT_EQ(book.table.OrderReads() - before, 1);
    EXPECT_GT(result.Written, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Writer, ExportRowOrder,
    ::testing::Values(OrderCase{"fewRecordsFoundOneByOne", 40, {30, 5, 99}, "30\r\n5\r\n"},
                      OrderCase{"ascendingRowsInOnePass", 5, {1, 2, 4, 9}, "1\r\n2\r\n4\r\n"},
                      OrderCase{"ascendingWithAGoneRecordFirst", 5, {0, 3, 5}, "3\r\n5\r\n"},
                      OrderCase{"anyOrderInOnePass", 5, {4, 1, 9, 3, 2, 5}, "4\r\n1\r\n3\r\n2\r\n5\r\n"},
                      OrderCase{"aRowListedTwiceWrittenTwice", 3, {2, 1, 2}, "2\r\n1\r\n2\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace {

// What an export may find at its target that is no file to write: each is
// refused at once (a named pipe would hold the window until some program
// wrote to it), whether the lines are appended or replace it.
struct NonFileCase {
    const char *name;
    bool append;
    bool pipe; // else a folder
};

class SaveExportNonFile : public ::testing::TestWithParam<NonFileCase>
{
};

TEST_P(SaveExportNonFile, isRefusedWithoutBeingOpened)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    if (GetParam().pipe)
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        ASSERT_TRUE(QDir().mkpath(path));
    QString error;
    EXPECT_FALSE(SaveExportFile(path, GetParam().append, "new\r\n", &error));
    EXPECT_EQ(error, NonRegularExportTargetMessage(path));
    EXPECT_EQ(QFileInfo(path).isDir(), !GetParam().pipe);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("list.csv")});
}

INSTANTIATE_TEST_SUITE_P(Targets, SaveExportNonFile,
                         ::testing::Values(NonFileCase{"appendToANamedPipe", true, true},
                                           NonFileCase{"replaceANamedPipe", false, true},
                                           NonFileCase{"appendToAFolder", true, false}),
                         [](const auto &info) { return std::string(info.param.name); });

// The old file is read whole to be written again with the new lines: the
// largest taken is ExportAppendTargetMax bytes, one more is refused before
// it is read (and left as it was).
struct AppendBoundCase {
    const char *name;
    qint64 size;
    bool taken;
};

class SaveExportAppendBound : public ::testing::TestWithParam<AppendBoundCase>
{
};

TEST_P(SaveExportAppendBound, takesTheLargestFileAndRefusesOneByteMore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(GetParam().size)); // sparse: no time spent writing it
    }
    QString error;
    EXPECT_EQ(SaveExportFile(path, true, "b\r\n", &error), GetParam().taken) << qPrintable(error);
    if (GetParam().taken) {
        EXPECT_EQ(QFileInfo(path).size(), GetParam().size + 2 + 3); // a line end after the old content
    } else {
        EXPECT_EQ(error, AppendTargetTooLargeMessage(path));
        EXPECT_EQ(QFileInfo(path).size(), GetParam().size);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SaveExportAppendBound,
                         ::testing::Values(AppendBoundCase{"largestTaken", ExportAppendTargetMax, true},
                                           AppendBoundCase{"oneByteMoreRefused", ExportAppendTargetMax + 1, false}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
