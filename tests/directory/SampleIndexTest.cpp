#include "core/Env.h"
#include "core/Wqarea17Wrapper.h"
#include "directory/SampleDir.h"
#include "directory/SchArea.h"
#include "directory/SchThred.h"
#include "platform/Cp932.h"
#include "platform/dic/wqarea17/WqareaSchema.h"
#include "support/DicProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

// The name index of the data format must find exactly what reading every
// listing of the address key finds: the generated sample is searched once as
// written and once as a first-format file (the same rows, read without the
// index), for many names, and both answers must be the same keys in the same
// order, block after block.

namespace {

const QString kDic = QStringLiteral(MURVEN_DIC_LIB_DIR "Dic/wqdic.db");
const QString kNames = QStringLiteral(MURVEN_DIC_LIB_DIR "Dic/wqname.db");

struct TRow {
    QByteArray Name;
    std::string CityCode;
    std::string TownCode;
};

class SampleIndexTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QFile::exists(kDic) || !QFile::exists(kNames))
            return;
        s_dir = new QTemporaryDir;
        TSampleDirectoryOptions o;
        o.DicFile = kDic;
        o.NameFile = kNames;
        o.OutputFolder = s_dir->path();
        o.ListingsPerRegion = 4000;
        o.Seed = 11;
        o.OnlyRegion = 3;
        QString error;
        ASSERT_TRUE(GenerateSampleDirectory(o, &error)) << error.toStdString();
        s_indexed = s_dir->filePath(QStringLiteral("Murven19/Dt03/"));
        s_plain = s_dir->filePath(QStringLiteral("plain/"));
        ASSERT_TRUE(QDir().mkpath(s_plain));
        ASSERT_TRUE(QFile::copy(s_indexed + QString::fromLatin1(WqareaDataFileName),
                                s_plain + QString::fromLatin1(WqareaDataFileName)));
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(s_plain + QString::fromLatin1(WqareaDataFileName)).constData(), &db),
                  SQLITE_OK);
        // Read as the first format: no name head used.
        EXPECT_EQ(sqlite3_exec(db, "UPDATE meta SET value = '1' WHERE key = 'format'", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_stmt *s = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT name, city_code, town_code FROM listing ORDER BY key", -1, &s, nullptr),
                  SQLITE_OK);
        while (sqlite3_step(s) == SQLITE_ROW)
            s_rows.push_back({QByteArray(static_cast<const char *>(sqlite3_column_blob(s, 0)), sqlite3_column_bytes(s, 0)),
                              reinterpret_cast<const char *>(sqlite3_column_text(s, 1)),
                              reinterpret_cast<const char *>(sqlite3_column_text(s, 2))});
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
        s_rows.clear();
    }
    void SetUp() override
    {
        if (s_dir == nullptr)
            GTEST_SKIP() << "no built dictionary or name data";
        ASSERT_EQ(LoadWqarea17(AppPath), 0);
    }
    void TearDown() override
    {
        if (s_dir != nullptr)
            FreeWqarea17();
    }

    // Every hit's key of the condition, block after block; the block ends
    // noted as -1 so that the blocks' cut must agree as well.
    static std::vector<std::int32_t> keys(const QString &folder, const QByteArray &name, int match,
                                          const std::string &key, int category = 2)
    {
        TAreaSearchCondition c{};
        std::memcpy(c.Name, name.constData(), std::min<std::size_t>(static_cast<std::size_t>(name.size()), 35));
        std::strcpy(c.AddressKey, key.c_str());
        c.Category = category;
        c.PhoneKinds = 15;
        c.MatchKind = match;
        c.Always1 = 1;
        c.BlockSize = 20;
        EXPECT_TRUE(SetFolderField(c.DataFolder, folder));
        TAreaSearchPosition position{};
        std::vector<TAreaSearchHit> block(20);
        std::vector<std::int32_t> result;
        for (int guard = 0; guard < 200; ++guard) {
            std::int32_t count = 0;
            const int code = CallWqareaArea(c, block.data(), count, position, 10000, nullptr);
            if (code == 1)
                break;
            EXPECT_EQ(code, 0);
            if (code != 0)
                break;
            for (int i = 0; i < count; ++i)
                result.push_back(block[static_cast<std::size_t>(i)].RecordKey);
            result.push_back(-1);
            if (position.EndFlag != 0)
                break;
            c.Continue = 1;
        }
        return result;
    }

    // The first n characters of a Shift-JIS text.
    static QByteArray chars(const QByteArray &text, int n)
    {
        qsizetype end = 0;
        for (int i = 0; i < n && end < text.size(); ++i)
            end += Cp932::isLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1;
        return text.left(end);
    }

    void expectSame(const QByteArray &name, int match, const std::string &key, int category = 2)
    {
        const std::vector<std::int32_t> indexed = keys(s_indexed, name, match, key, category);
        const std::vector<std::int32_t> plain = keys(s_plain, name, match, key, category);
        EXPECT_EQ(indexed, plain) << Cp932::decode(name).toStdString() << " match " << match << " key " << key;
        ++m_compared;
        m_hits += plain.empty() ? 0 : 1;
    }

    TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
    int m_compared = 0;
    int m_hits = 0;
    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_indexed;
    static inline QString s_plain;
    static inline std::vector<TRow> s_rows;
};

TEST_F(SampleIndexTest, prefixesAndExactNamesFindTheSameListingsWithAndWithoutTheIndex)
{
    ASSERT_GT(s_rows.size(), 1000U);
    std::set<QByteArray> tried;
    for (std::size_t i = 0; i < s_rows.size(); i += 61) {
        const TRow &row = s_rows[i];
        const std::string oaza = row.CityCode + row.TownCode.substr(0, 3);
        for (const std::string &key : {std::string("13"), row.CityCode, oaza}) {
            for (int n = 1; n <= 3; ++n) {
                const QByteArray prefix = chars(row.Name, n);
                if (tried.insert(QByteArray::fromStdString(key) + '|' + prefix).second)
                    expectSame(prefix, 0, key);
            }
            expectSame(row.Name, 3, key);
            expectSame(row.Name, 0, key, 0);
        }
    }
    EXPECT_GT(m_compared, 300);
    EXPECT_GT(m_hits, m_compared / 2); // most of the names asked for are there
}

TEST_F(SampleIndexTest, namesWithBlanksAndOtherWidthsFindTheSameListings)
{
    const QByteArray blank = Cp932::encode(QStringLiteral("　"));
    for (std::size_t i = 0; i < s_rows.size(); i += 257) {
        const TRow &row = s_rows[i];
        const QByteArray first = chars(row.Name, 1);
        const QByteArray rest = row.Name.mid(first.size());
        // A blank typed inside the name, at its start or a double-byte one.
        for (const QByteArray &name : {first + ' ' + rest, ' ' + row.Name, first + blank + rest,
                                       first + blank + chars(rest, 1)}) {
            expectSame(name, 0, "13");
            expectSame(name, 3, "13");
        }
        // The name in full width and half width where it has such characters,
        // and in the "@" form of a wide text: none of them is folded, by
        // either way.
        const QString text = Cp932::decode(row.Name);
        expectSame(Cp932::encode(text.normalized(QString::NormalizationForm_KC)), 0, row.CityCode);
        QString wide;
        for (const QChar ch : text)
            wide += QStringLiteral("@%1").arg(ch.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        expectSame(wide.toLatin1().left(34), 0, row.CityCode);
    }
    for (const char *name : {"A", "1", "\xB1", "\xB1\xB2", "\x83\x50", "\x83\x96", "\x83\x96\x8E\x52"}) // ｱ ｱｲ ケ ヶ ヶ山
        for (int match : {0, 3})
            expectSame(name, match, "13");
}

// ---- a stop inside the real library ---------------------------------------

using TAreaEntry = int (*)(TAreaSearchCondition *, TAreaSearchHit *, std::int32_t *, TAreaSearchPosition *,
                           std::int32_t, TAreaSearchCallback);
TAreaEntry g_realArea = nullptr;
int g_areaCalls = 0;
int g_stopInCall = 0;   // the call in which the user stops; 0 never
int g_asksBeforeStop = 0; // the library's questions that call answers "go on" first
int g_asks = 0;

int stoppingCallback(std::int32_t, std::int32_t)
{
    if (++g_asks <= g_asksBeforeStop)
        return -1;
    SearchStopFlag = true;
    return 0;
}

int areaStoppedOnce(TAreaSearchCondition *c, TAreaSearchHit *hits, std::int32_t *count, TAreaSearchPosition *position,
                    std::int32_t limit, TAreaSearchCallback callback)
{
    if (++g_areaCalls == g_stopInCall) {
        g_asks = 0;
        return g_realArea(c, hits, count, position, limit, stoppingCallback);
    }
    return g_realArea(c, hits, count, position, limit, callback);
}

struct TPage {
    int PageNo = 0;
    bool Last = false;
    std::vector<std::int32_t> Keys;
    bool operator==(const TPage &) const = default;
};

// The pages of a walk from the first to the last, each as finally shown: a
// stopped page is run again (as the window's repeat button does) until it
// comes whole.
std::vector<TPage> walkPages(const std::vector<TAreaSearchCondition> &conditions, int *stops)
{
    TSearchThread worker;
    std::optional<TSearchPage> shown;
    QObject::connect(&worker, &TSearchThread::SearchDone, [&](const TSearchPage &page) { shown = page; });
    worker.SetConditions(conditions);
    std::vector<TPage> pages;
    TSearchMove move = TSearchMove::New;
    for (int guard = 0; guard < 200; ++guard) {
        SearchStopFlag = false;
        worker.SearchPage(move);
        if (!shown)
            break;
        if (shown->Code == 100) {
            ++*stops;
            move = TSearchMove::Again;
            continue;
        }
        if (shown->Code != 0)
            break;
        TPage page{shown->PageNo, shown->LastPage, {}};
        for (const TAreaSearchHit &h : shown->Hits)
            page.Keys.push_back(h.RecordKey);
        pages.push_back(page);
        if (shown->LastPage)
            break;
        move = TSearchMove::Next;
    }
    return pages;
}

TEST_F(SampleIndexTest, aStopInsideTheLibraryThenAgainGivesTheUninterruptedPages)
{
    QLibrary library(QStringLiteral(MURVEN_DIC_LIB_DIR "libwqarea17.so"));
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    g_realArea = reinterpret_cast<TAreaEntry>(library.resolve("wqarea_area"));
    ASSERT_NE(g_realArea, nullptr);
    // A character in few names: the library reads more than a thousand
    // listings for a block and is asked in the middle of it.
    std::map<QByteArray, int> names;
    for (const TRow &row : s_rows) {
        std::set<QByteArray> seen;
        for (qsizetype i = 0; i < row.Name.size();) {
            const QByteArray ch = chars(row.Name.mid(i), 1);
            seen.insert(ch);
            i += ch.size();
        }
        for (const QByteArray &ch : seen)
            ++names[ch];
    }
    QByteArray rare;
    for (const auto &[ch, n] : names)
        if (ch.size() == 2 && n >= 45 && n * 60 <= static_cast<int>(s_rows.size()) && (rare.isEmpty() || n > names[rare]))
            rare = ch;
    ASSERT_FALSE(rare.isEmpty());

    std::vector<TAreaSearchCondition> conditions;
    for (const char *key : {"13", "13"}) { // the same key twice: pages run across conditions
        TAreaSearchCondition c{};
        std::memcpy(c.Name, rare.constData(), static_cast<std::size_t>(rare.size()));
        std::strcpy(c.AddressKey, key);
        c.Category = 2;
        c.PhoneKinds = 15;
        c.MatchKind = 1;
        c.Always1 = 1;
        c.BlockSize = 20;
        ASSERT_TRUE(SetFolderField(c.DataFolder, s_indexed));
        conditions.push_back(c);
    }
    TWqarea17Functions f;
    f.Area = areaStoppedOnce;
    SetWqarea17ForTesting(&f);
    struct TBack {
        ~TBack() { SetWqarea17ForTesting(nullptr); }
    } back;
    g_stopInCall = 0;
    int stops = 0;
    const std::vector<TPage> uninterrupted = walkPages(conditions, &stops);
    ASSERT_GE(uninterrupted.size(), 3U);
    int stoppedInside = 0;
    for (int call = 1; call <= 6; ++call) {
        for (int asks : {0, 1, 2}) {
            g_areaCalls = 0;
            g_stopInCall = call;
            g_asksBeforeStop = asks;
            g_asks = 0;
            stops = 0;
            EXPECT_EQ(walkPages(conditions, &stops), uninterrupted) << "stop in call " << call << " after " << asks;
            // A call that ends before it is asked that often is not stopped.
            EXPECT_EQ(stops, g_asks > asks ? 1 : 0) << "stop in call " << call << " after " << asks;
            stoppedInside += asks > 0 && g_asks > asks ? 1 : 0;
        }
    }
    EXPECT_GT(stoppedInside, 0); // some stops came after listings were read in the call
}

} // namespace
