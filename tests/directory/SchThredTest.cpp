#include "core/Env.h"
#include "core/Wqarea17Wrapper.h"
#include "directory/SchArea.h"
#include "directory/SchThred.h"
#include "directory/WqareaWriter.h"
#include "platform/Cp932.h"
#include "platform/dic/wqarea17/WqareaSchema.h"

#include "support/DataFolders.h"
#include "support/DicProgramFolder.h"
#include "support/FailingDisk.h"
#include "support/OrdinaryUser.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

// The search worker over two kinds of library: the real one over a made-up
// region (5 listings in 千代田区, 45 in 中央区), and a scripted one whose
// conditions name how many hits they hold and which can be made to stop in
// any call, after any number of hits, as a user's stop would.

namespace {

std::string sj(const QString &text)
{
    return Cp932::encode(text).toStdString();
}

// ---- the scripted library -------------------------------------------------

int g_calls = 0;
int g_stopOnCall = 0;     // the call (1-based) in which the user stops; 0 never
int g_stopAfterHits = 0;  // hits that call returns before it sees the stop
std::atomic<bool> g_spinning{false};
std::atomic<bool> g_spinUntilStopped{false};

int holds(const TAreaSearchCondition &c)
{
    return std::atoi(c.AddressKey);
}

// Hits carry their condition and ordinal in the record key: 1000 * (the
// condition's size) + ordinal, so the tests can compare sequences.
int scriptedArea(TAreaSearchCondition *c, TAreaSearchHit *hits, std::int32_t *count, TAreaSearchPosition *position,
                 std::int32_t, TAreaSearchCallback callback)
{
    ++g_calls;
    if (c->Continue == 0)
        position->Words[0] = 0;
    int next = position->Words[0];
    const int total = holds(*c);
    int room = c->BlockSize;
    if (g_spinUntilStopped) {
        g_spinning = true;
        while (callback(0, 0) != 0)
            QThread::yieldCurrentThread();
        return 100;
    }
    if (g_calls == g_stopOnCall) {
        SearchStopFlag = true;
        room = std::min(room, g_stopAfterHits);
    }
    int n = 0;
    while (n < room && next < total) {
        hits[n].RecordKey = 1000 * total + next + 1;
        ++n;
        ++next;
    }
    *count = n;
    position->Words[0] = next;
    position->EndFlag = next >= total ? 1 : 0;
    if (callback(0, n) == 0)
        return 100;
    return n == 0 ? 1 : 0;
}

int scriptedCount(TAreaSearchCondition *c, std::int32_t *count, std::int32_t, TAreaSearchCallback callback)
{
    ++g_calls;
    if (g_calls == g_stopOnCall)
        SearchStopFlag = true;
    *count = callback(0, 0) == 0 ? holds(*c) / 2 : holds(*c);
    return SearchStopFlag ? 100 : (*count > 0 ? 0 : 1);
}

std::vector<TAreaSearchCondition> scriptedConditions(const std::vector<int> &sizes, int block = 20)
{
    std::vector<TAreaSearchCondition> result;
    for (int size : sizes) {
        TAreaSearchCondition c{};
        std::snprintf(c.AddressKey, sizeof c.AddressKey, "%d", size);
        c.BlockSize = block;
        c.Category = 2;
        c.PhoneKinds = 15;
        c.Always1 = 1;
        result.push_back(c);
    }
    return result;
}

struct Shown {
    int code;
    int pageNo;
    bool first;
    bool last;
    std::vector<int> keys;
    bool operator==(const Shown &) const = default;
};

void PrintTo(const Shown &s, std::ostream *os)
{
    *os << "code " << s.code << " page " << s.pageNo << (s.first ? " first" : "") << (s.last ? " last" : "")
        << " hits " << s.keys.size();
    if (!s.keys.empty())
        *os << " [" << s.keys.front() << ".." << s.keys.back() << "]";
}

// Drives a worker on the test's own thread: each call runs at once and its
// signal is caught here.
class Driver {
public:
    explicit Driver(const std::vector<TAreaSearchCondition> &conditions)
    {
        QObject::connect(&worker, &TSearchThread::SearchDone, [this](const TSearchPage &page) {
            Shown s{page.Code, page.PageNo, page.FirstPage, page.LastPage, {}};
            for (const TAreaSearchHit &h : page.Hits)
                s.keys.push_back(h.RecordKey);
            shown = s;
        });
        QObject::connect(&worker, &TSearchThread::CountDone, [this](const TSearchCount &c) { counted = c; });
        worker.SetConditions(conditions);
    }
    Shown page(TSearchMove move)
    {
        SearchStopFlag = false;
        worker.SearchPage(move);
        return *shown;
    }
    // Every page to the last, as an uninterrupted user would see them.
    std::vector<Shown> walk()
    {
        std::vector<Shown> pages{page(TSearchMove::New)};
        while (!pages.back().last && pages.back().code == 0 && pages.size() < 50)
            pages.push_back(page(TSearchMove::Next));
        return pages;
    }

    TSearchThread worker;
    std::optional<Shown> shown;
    std::optional<TSearchCount> counted;
};

class ScriptedThreadTest : public ::testing::Test {
protected:
    ScriptedThreadTest()
    {
        TWqarea17Functions f;
        f.Area = scriptedArea;
        f.AreaCount = scriptedCount;
        SetWqarea17ForTesting(&f);
        g_calls = 0;
        g_stopOnCall = 0;
        g_stopAfterHits = 0;
        g_spinUntilStopped = false;
        g_spinning = false;
        SearchStopFlag = false;
    }
    ~ScriptedThreadTest() override
    {
        SetWqarea17ForTesting(nullptr);
        SearchStopFlag = false;
    }
};

std::vector<int> range(int total, int from, int to)
{
    std::vector<int> keys;
    for (int i = from; i <= to; ++i)
        keys.push_back(1000 * total + i);
    return keys;
}

TEST_F(ScriptedThreadTest, hitsOfSeveralConditionsFlowIntoOnePageSequence)
{
    Driver d(scriptedConditions({5, 45}));
    const std::vector<Shown> pages = d.walk();
    std::vector<int> first = range(5, 1, 5);
    const std::vector<int> rest = range(45, 1, 15);
    first.insert(first.end(), rest.begin(), rest.end());
    const std::vector<Shown> expected{{0, 1, true, false, first},
                                      {0, 2, false, false, range(45, 16, 35)},
                                      {0, 3, false, true, range(45, 36, 45)}};
    EXPECT_EQ(pages, expected);
}

TEST_F(ScriptedThreadTest, priorThenNextIsServedFromTheCache)
{
    Driver d(scriptedConditions({5, 45}));
    (void)d.page(TSearchMove::New);
    const Shown second = d.page(TSearchMove::Next);
    const int calls = g_calls;
    EXPECT_EQ(d.page(TSearchMove::Prior).pageNo, 1);
    EXPECT_EQ(d.page(TSearchMove::Next), second);
    EXPECT_EQ(g_calls, calls);
}

TEST_F(ScriptedThreadTest, aSearchWithoutHitsEndsWithNothingAndAnEmptyPage)
{
    Driver d(scriptedConditions({0, 0}));
    const Shown s = d.page(TSearchMove::New);
    EXPECT_EQ(s.code, 1);
    EXPECT_TRUE(s.keys.empty());
    EXPECT_TRUE(s.last);
}

TEST_F(ScriptedThreadTest, theLastPageIsKnownOnlyOnceEveryConditionIsRead)
{
    // 20 hits fill page 1 exactly: whether page 2 exists needs the next condition.
    Driver d(scriptedConditions({20, 0}));
    const Shown s = d.page(TSearchMove::New);
    EXPECT_TRUE(s.last);
    EXPECT_EQ(s.keys.size(), 20U);
    EXPECT_EQ(g_calls, 2); // the first condition's last block, the second's nothing
}

TEST_F(ScriptedThreadTest, aStopInTheLookAheadShowsTheCurrentPageNotTheNextOnesHits)
{
    Driver d(scriptedConditions({60}));
    g_stopOnCall = 2; // call 1 fills page 1; call 2 looks ahead
    g_stopAfterHits = 7;
    const Shown s = d.page(TSearchMove::New);
    EXPECT_EQ(s.code, 100);
    EXPECT_EQ(s.pageNo, 1);
    EXPECT_EQ(s.keys, range(60, 1, 20));
}

struct StopCase { const char *label; std::vector<int> sizes; int stopOnCall; int hitsBeforeStop; int pagesBefore; };
void PrintTo(const StopCase &c, std::ostream *os) { *os << c.label; }
class StopAndAgainTest : public ScriptedThreadTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopAndAgainTest, againAfterAStopGivesExactlyTheUninterruptedPages)
{
    const StopCase &p = GetParam();
    const std::vector<Shown> uninterrupted = Driver(scriptedConditions(p.sizes)).walk();

    g_calls = 0;
    Driver d(scriptedConditions(p.sizes));
    int stops = 0;
    // A stopped page keeps its number and at most one page of hits; the user
    // then asks for the same page again.
    auto show = [&](TSearchMove move) {
        Shown s = d.page(move);
        while (s.code == 100) {
            ++stops;
            EXPECT_LE(s.keys.size(), 20U);
            const int pageNo = s.pageNo;
            s = d.page(TSearchMove::Again);
            EXPECT_EQ(s.pageNo, pageNo);
        }
        return s;
    };
    std::vector<Shown> pages{show(TSearchMove::New)};
    while (static_cast<int>(pages.size()) < p.pagesBefore && !pages.back().last)
        pages.push_back(show(TSearchMove::Next));
    g_stopOnCall = g_calls + p.stopOnCall;
    g_stopAfterHits = p.hitsBeforeStop;
    if (p.pagesBefore == 0) {
        g_calls = 0;
        d.worker.SetConditions(scriptedConditions(p.sizes));
        g_stopOnCall = p.stopOnCall;
        pages = {show(TSearchMove::New)};
    }
    while (!pages.back().last && pages.size() < 50)
        pages.push_back(show(TSearchMove::Next));
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(pages, uninterrupted);
}

INSTANTIATE_TEST_SUITE_P(
    Stops, StopAndAgainTest,
    ::testing::Values(StopCase{"inTheFirstBlockBeforeAnyHit", {5, 45}, 1, 0, 0},
                      StopCase{"inTheFirstBlockAfterSomeHits", {5, 45}, 1, 3, 0},
                      StopCase{"inTheSecondBlockOfTheFirstPage", {5, 45}, 2, 9, 0},
                      StopCase{"inTheSecondPagesFirstBlock", {5, 45}, 1, 4, 1},
                      StopCase{"inTheLookAheadBlockOfTheFirstPage", {60}, 2, 7, 0},
                      StopCase{"inTheLookAheadBlockOfTheSecondPage", {60}, 1, 7, 1},
                      StopCase{"inTheLastShortBlock", {5, 45}, 3, 2, 0},
                      StopCase{"onAConditionBoundary", {20, 20, 7}, 2, 0, 0}));

TEST_F(ScriptedThreadTest, aCountStoppedMidwayReportsTheStopAndWhatWasCounted)
{
    Driver d({});
    g_stopOnCall = 2;
    d.worker.CountHits(scriptedConditions({5, 40, 10}));
    ASSERT_TRUE(d.counted);
    EXPECT_EQ(d.counted->Code, 100);
    EXPECT_EQ(d.counted->Count, 5 + 20 + 5); // every later call is ended through the callback too
    EXPECT_EQ(g_calls, 3);
}

TEST_F(ScriptedThreadTest, aCountLeavesThePagesReadSoFar)
{
    Driver d(scriptedConditions({5, 45}));
    (void)d.page(TSearchMove::New);
    d.worker.CountHits(scriptedConditions({5, 45}));
    EXPECT_EQ(d.counted->Count, 50);
    EXPECT_EQ(d.page(TSearchMove::Next).keys, range(45, 16, 35));
}

// ---- export of every hit ---------------------------------------------------

int g_unreadableKey = 0; // the record key whose full record the library does not give

int scriptedTelOne(std::int32_t, TTelSearchCondition *, TTelRecord *record, std::int32_t key)
{
    if (key == g_unreadableKey)
        return 1;
    std::snprintf(record->Phone, sizeof record->Phone, "0312%06d", key % 1000000);
    record->ListingKind = 99;
    return 0;
}

class ScriptedExportTest : public ScriptedThreadTest {
protected:
    ScriptedExportTest()
    {
        TWqarea17Functions f;
        f.Area = scriptedArea;
        f.AreaCount = scriptedCount;
        f.TelOne = scriptedTelOne;
        SetWqarea17ForTesting(&f);
        g_unreadableKey = 0;
        QObject::connect(&worker, &TSearchThread::ExportDone, [this](const TExportResult &r) { result = r; });
    }
    TExportResult exportTo(const QString &file, std::vector<int> sizes, bool append, bool header)
    {
        TExportRequest request;
        request.FileName = file;
        request.Append = append;
        request.Header = header;
        result.reset();
        worker.ExportFile(scriptedConditions(sizes), request);
        return result.value_or(TExportResult{-99, 0, 0, {}});
    }
    static QList<QByteArray> lines(const QString &file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> all = f.readAll().split('\n');
        if (!all.isEmpty() && all.back().isEmpty())
            all.pop_back();
        return all;
    }
    TSearchThread worker;
    std::optional<TExportResult> result;
    QTemporaryDir dir;
};

TEST_F(ScriptedExportTest, aNewFileGetsTheHeaderThenOneLinePerHit)
{
    const QString file = dir.filePath(QStringLiteral("hits.csv"));
    const TExportResult r = exportTo(file, {5, 30}, false, true);
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Lines, 35);
    const QList<QByteArray> written = lines(file);
    ASSERT_EQ(written.size(), 36);
    EXPECT_TRUE(written.front().startsWith(Cp932::encode(u"電話番号,代表電話")));
    EXPECT_TRUE(written.back().endsWith("\r"));
}

TEST_F(ScriptedExportTest, appendingKeepsTheFileAndWritesNoHeader)
{
    const QString file = dir.filePath(QStringLiteral("hits.csv"));
    (void)exportTo(file, {5}, false, true);
    const TExportResult r = exportTo(file, {3}, true, false);
    EXPECT_EQ(r.Lines, 3);
    EXPECT_EQ(lines(file).size(), 1 + 5 + 3);
}

TEST_F(ScriptedExportTest, appendingToAFileWhoseLastLineIsOpenStartsOnALineOfItsOwn)
{
    const QString file = dir.filePath(QStringLiteral("hits.csv"));
    const QByteArray before = Cp932::encode(u"電話番号,名前\r\n03-1234-5678,山田");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(before), before.size());
    }
    const TExportResult r = exportTo(file, {3}, true, false);
    EXPECT_EQ(r.Code, 0);
    const QList<QByteArray> written = lines(file);
    ASSERT_EQ(written.size(), 2 + 3);
    EXPECT_EQ(written[1], Cp932::encode(u"03-1234-5678,山田\r"));
}

// Lines of Shift-JIS added to a text of another encoding would be unreadable
// in it, and the file could not be read as one text any more.
class ExportAppendForeignTest : public ScriptedExportTest, public ::testing::WithParamInterface<QByteArray> {};

TEST_P(ExportAppendForeignTest, isRefusedAndLeavesTheFileAsItWas)
{
    const QString file = dir.filePath(QStringLiteral("other.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(GetParam()), GetParam().size());
    }
    const TExportResult r = exportTo(file, {3}, true, false);
    EXPECT_EQ(r.Code, ExportFileFailed);
    EXPECT_FALSE(r.FileError.isEmpty());
    EXPECT_EQ(g_calls, 0);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ExportAppendForeignTest,
    ::testing::Values(QByteArray("\xEF\xBB\xBFname,tel\r\n"),                    // UTF-8 with its mark
                      QByteArray("\xFF\xFEn\0a\0m\0e\0\r\0\n\0", 14),          // UTF-16
                      QByteArray("PK\x03\x04\x14\0\0\0\x08\0", 10)));             // not text at all

// A file its user set read-only, replaced or appended to: refused before a
// hit is searched, with the cause every writer gives, and left as it was.
class ExportReadOnlyTest : public ScriptedExportTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ExportReadOnlyTest, isRefusedWithTheCauseAndLeftAsItWas)
{
    const QString file = dir.filePath(QStringLiteral("hits.csv"));
    const QByteArray before = Cp932::encode(u"電話番号,名前\r\n03-1234-5678,山田\r\n");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(before), before.size());
    }
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    TExportResult r;
    {
        const ScopedOrdinaryUser user({dir.path()});
        ASSERT_TRUE(user.Bound());
        r = exportTo(file, {3}, GetParam(), !GetParam());
    }
    EXPECT_EQ(r.Code, ExportFileFailed);
    EXPECT_TRUE(r.FileError.startsWith(QStringLiteral("ファイルが読み取り専用のため、書き込めません。")))
        << qPrintable(r.FileError);
    EXPECT_EQ(g_calls, 0);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("hits.csv")});
}

INSTANTIATE_TEST_SUITE_P(Ways, ExportReadOnlyTest, ::testing::Values(false, true),
                         [](const auto &info) { return std::string(info.param ? "appended" : "replaced"); });

// The file size limit of the process makes writes fail part way, as a full
// disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t Bytes)
    {
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_kept);
        rlimit limit = m_kept;
        limit.rlim_cur = Bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_kept);
        std::signal(SIGXFSZ, m_signal);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_kept{};
    void (*m_signal)(int) = nullptr;
};

QByteArray contentsOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

struct TFailedWriteCase {
    const char *label;
    bool append;
};
void PrintTo(const TFailedWriteCase &c, std::ostream *os) { *os << c.label; }
class ExportWriteFailureTest : public ScriptedExportTest, public ::testing::WithParamInterface<TFailedWriteCase> {};

TEST_P(ExportWriteFailureTest, leavesTheFileAsItWasBeforeTheExport)
{
    const QString file = dir.filePath(QStringLiteral("hits.csv"));
    const QByteArray before = Cp932::encode(u"電話番号,名前\r\n03-1234-5678,山田\r\n");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(before), before.size());
    }
    TExportResult r;
    {
        const FileSizeLimit limit(2048);
        r = exportTo(file, {300}, GetParam().append, !GetParam().append);
    }
    EXPECT_EQ(r.Code, ExportFileFailed);
    EXPECT_FALSE(r.FileError.isEmpty());
    EXPECT_EQ(r.Lines, 0);
    EXPECT_EQ(contentsOf(file), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // nothing left beside it
}

INSTANTIATE_TEST_SUITE_P(Modes, ExportWriteFailureTest,
                         ::testing::Values(TFailedWriteCase{"overwrite", false}, TFailedWriteCase{"append", true}));

// A disk that fills while the hits are written (the file's first lines, or
// the lines kept at the end): the cause reads as every writer gives it.
struct TFullDiskCase {
    const char *label;
    bool append;
    int hits; // 300 lines outgrow the first piece written before the end
};
void PrintTo(const TFullDiskCase &c, std::ostream *os) { *os << c.label; }
class ExportFullDiskTest : public ScriptedExportTest, public ::testing::WithParamInterface<TFullDiskCase> {};

TEST_P(ExportFullDiskTest, namesTheFullDiskAndLeavesTheFileAsItWas)
{
    const QString file = dir.filePath(QStringLiteral("hits.csv"));
    const QByteArray before = Cp932::encode(u"電話番号,名前\r\n03-1234-5678,山田\r\n");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(before), before.size());
    }
    TExportResult r;
    {
        const ScopedFailingDisk full(dir.path(), TDiskFault::DiskFull);
        r = exportTo(file, {GetParam().hits}, GetParam().append, !GetParam().append);
    }
    EXPECT_EQ(r.Code, ExportFileFailed);
    EXPECT_TRUE(r.FileError.startsWith(QStringLiteral("ディスクの空き容量が足りません。"))) << qPrintable(r.FileError);
    EXPECT_EQ(r.Lines, 0);
    EXPECT_EQ(contentsOf(file), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("hits.csv")});
}

INSTANTIATE_TEST_SUITE_P(Modes, ExportFullDiskTest,
                         ::testing::Values(TFullDiskCase{"replacedAtTheEnd", false, 3},
                                           TFullDiskCase{"replacedOnTheWay", false, 3000},
                                           TFullDiskCase{"appendedAtTheEnd", true, 3},
                                           TFullDiskCase{"appendedOnTheWay", true, 3000}));

// A line made from the hit alone would leave the columns of the record empty
// as if the listing had none.
TEST_F(ScriptedExportTest, aHitWhoseRecordCannotBeReadStopsTheExportAndKeepsTheOldFile)
{
    const QString file = dir.filePath(QStringLiteral("hits.csv"));
    const QByteArray before = Cp932::encode(u"電話番号,名前\r\n03-1234-5678,山田\r\n");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(before), before.size());
    }
    g_unreadableKey = 30000 + 25;
    const TExportResult r = exportTo(file, {30}, false, true);
    EXPECT_EQ(r.Code, ExportRecordFailed);
    EXPECT_EQ(r.Lines, 0);
    EXPECT_TRUE(r.FileError.startsWith(QStringLiteral("電話帳のデータが読めませんでした")));
    EXPECT_EQ(contentsOf(file), before);
}

TEST_F(ScriptedExportTest, aFileOfTheProgramIsRefusedAndLeftAsItWas)
{
    const ScopedDataFolders folders{dir.path()};
    const QString sender = OtherPath + QStringLiteral("Sender.DB");
    ASSERT_TRUE(QDir().mkpath(OtherPath));
    {
        QFile f(sender);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("table");
    }
    const TExportResult r = exportTo(sender, {5}, false, true);
    EXPECT_EQ(r.Code, ExportFileFailed);
    EXPECT_TRUE(r.FileError.startsWith(QStringLiteral("プログラムが使用しているファイルには出力できません")));
    EXPECT_EQ(g_calls, 0);
    EXPECT_EQ(contentsOf(sender), "table");
}

TEST_F(ScriptedExportTest, aFileThatCannotBeOpenedIsReportedAndNothingIsRead)
{
    const TExportResult r = exportTo(dir.path(), {5}, false, true); // a folder, not a file
    EXPECT_EQ(r.Code, ExportFileFailed);
    EXPECT_FALSE(r.FileError.isEmpty());
    EXPECT_EQ(g_calls, 0);
}

TEST_F(ScriptedExportTest, aStoppedExportKeepsTheLinesAlreadyWritten)
{
    const QString file = dir.filePath(QStringLiteral("hits.csv"));
    g_stopOnCall = 2;
    g_stopAfterHits = 3;
    const TExportResult r = exportTo(file, {45}, false, false);
    EXPECT_EQ(r.Code, 100);
    EXPECT_EQ(r.Lines, 23);
    EXPECT_EQ(lines(file).size(), 23);
}

TEST_F(ScriptedExportTest, anExportWithoutHitsSaysSo)
{
    const TExportResult r = exportTo(dir.filePath(QStringLiteral("none.csv")), {0}, false, true);
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Lines, 0);
}

// ---- on a real thread ------------------------------------------------------

TEST_F(ScriptedThreadTest, aStopEndsARunningSearchOnTheWorkerThread)
{
    g_spinUntilStopped = true;
    TSearchThreadHost host;
    QSignalSpy done(&host, &TSearchThreadHost::SearchDone);
    host.Search(scriptedConditions({50}));
    EXPECT_TRUE(host.Busy());
    for (int i = 0; i < 500 && !g_spinning; ++i)
        QThread::msleep(2);
    ASSERT_TRUE(g_spinning);
    host.Stop();
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(done.at(0).at(0).value<TSearchPage>().Code, 100);
    EXPECT_FALSE(host.Busy());
}

TEST_F(ScriptedThreadTest, closingWhileASearchRunsStopsAndWaitsForTheWorker)
{
    g_spinUntilStopped = true;
    {
        TSearchThreadHost host;
        host.Search(scriptedConditions({50}));
        for (int i = 0; i < 500 && !g_spinning; ++i)
            QThread::msleep(2);
        ASSERT_TRUE(g_spinning);
    }
    SUCCEED(); // reaching here means the destructor stopped and joined the worker
}

TEST_F(ScriptedThreadTest, runsQueuedOneAfterAnotherEachAnswerOnce)
{
    TSearchThreadHost host;
    QSignalSpy pages(&host, &TSearchThreadHost::SearchDone);
    QSignalSpy counts(&host, &TSearchThreadHost::CountDone);
    host.Search(scriptedConditions({5, 45}));
    ASSERT_TRUE(pages.wait(5000));
    host.MovePage(TSearchMove::Next);
    ASSERT_TRUE(pages.wait(5000));
    host.Count(scriptedConditions({5, 45}));
    ASSERT_TRUE(counts.wait(5000));
    EXPECT_EQ(pages.at(1).at(0).value<TSearchPage>().PageNo, 2);
    EXPECT_EQ(counts.at(0).at(0).value<TSearchCount>().Count, 50);
}

// ---- the real library over a made-up region ------------------------------

class RealLibraryThreadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        TWqareaWriter writer;
        ASSERT_TRUE(writer.Open(s_dir->filePath(QString::fromLatin1(WqareaDataFileName)))) << writer.Error().toStdString();
        std::int64_t key = 0;
        auto add = [&](const char *cityCode, const QString &name) {
            TWqareaListing l;
            l.Key = ++key;
            l.Phone = "03" + std::to_string(10000000 + key);
            l.Name = sj(name);
            l.Pref = sj(QStringLiteral("東京都"));
            l.CityCode = cityCode;
            l.TownCode = "001001";
            l.ListingKind = 99;
            l.FirstMonth = "201001";
            ASSERT_TRUE(writer.Add(l));
        };
        for (int i = 1; i <= 5; ++i)
            add("13101", QStringLiteral("見本試験%1").arg(i));
        for (int i = 1; i <= 45; ++i)
            add("13102", QStringLiteral("見本花子%1").arg(i));
        ASSERT_TRUE(writer.Finish()) << writer.Error().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    std::vector<TAreaSearchCondition> conditions(std::initializer_list<const char *> keys)
    {
        std::vector<TAreaSearchCondition> result;
        for (const char *key : keys) {
            TAreaSearchCondition c{};
            const QByteArray name = FilterNameText(QStringLiteral("見本"));
            std::memcpy(c.Name, name.constData(), static_cast<std::size_t>(name.size()));
            std::strcpy(c.AddressKey, key);
            c.Category = 2;
            c.PhoneKinds = 15;
            c.Always1 = 1;
            c.BlockSize = 20;
            EXPECT_TRUE(SetFolderField(c.DataFolder, s_dir->path()));
            result.push_back(c);
        }
        return result;
    }

    TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
    static inline QTemporaryDir *s_dir = nullptr;
};

TEST_F(RealLibraryThreadTest, pagesOfTwoCitiesComeInBlocksOfTwentyAndOnlyTheThirdIsLast)
{
    Driver d(conditions({"13101", "13102"}));
    const std::vector<Shown> pages = d.walk();
    ASSERT_EQ(pages.size(), 3U);
    std::vector<std::size_t> sizes;
    std::vector<bool> last;
    for (const Shown &s : pages) {
        sizes.push_back(s.keys.size());
        last.push_back(s.last);
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{20, 20, 10}));
    EXPECT_EQ(last, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(pages[0].keys.front(), 1);
    EXPECT_EQ(pages[2].keys.back(), 50);
}

TEST_F(RealLibraryThreadTest, priorThenNextCostsNoLibraryCall)
{
    Driver d(conditions({"13101", "13102"}));
    (void)d.page(TSearchMove::New);
    (void)d.page(TSearchMove::Next);
    const int calls = d.worker.LibraryCalls();
    (void)d.page(TSearchMove::Prior);
    (void)d.page(TSearchMove::Next);
    EXPECT_EQ(d.worker.LibraryCalls(), calls);
}

TEST_F(RealLibraryThreadTest, aPrefectureCountAddsItsConditions)
{
    Driver d({});
    d.worker.CountHits(conditions({"13101", "13102", "14"}));
    EXPECT_EQ(d.counted->Code, 0);
    EXPECT_EQ(d.counted->Count, 50);
}

} // namespace
