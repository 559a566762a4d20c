#include "core/DicFrame.h"

#include "core/AdrsDicClass.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/DicFakeLibrary.h"
#include "core/KanaAdrsDicClass.h"
#include "core/KykbnDicClass.h"
#include "core/PosDicClass.h"
#include "platform/dic/DicApi.h"
#include "platform/dic/store/DicSchema.h"
#include "util/MsgBoxPos.h"

#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

const QString kLibraryDir = QStringLiteral(MURVEN_WQHYP_DIR);

TEST(DicLibrary, usesFromSeveralThreadsAtOnceCountRightAndEndUnloaded)
{
    ScriptedMessageBoxes boxes;
    TDicLibrary lib(QStringLiteral("Wqhyp.dll"), {QStringLiteral("GetHyphen")}, 11, 12);
    std::atomic<int> unheld{0};
    std::atomic<int> loads{0};
    const auto use = [&](int times) {
        for (int i = 0; i < times; ++i) {
            if (lib.Load(kLibraryDir, [&loads] { ++loads; }) != 0 || lib.Symbol("GetHyphen") == nullptr)
                ++unheld;
            lib.Free();
        }
    };
    // First with the library held throughout (the counting alone), then
    // loaded and unloaded by whichever thread comes first and last.
    for (const bool held : {true, false}) {
        if (held) {
            ASSERT_EQ(lib.Load(kLibraryDir), 0);
        }
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t)
            threads.emplace_back(use, held ? 20000 : 500);
        for (std::thread &thread : threads)
            thread.join();
        EXPECT_EQ(lib.UserCount(), held ? 1 : 0);
        if (held)
            lib.Free();
    }
    EXPECT_EQ(unheld, 0);
    EXPECT_GE(loads, 2);
    EXPECT_EQ(lib.UserCount(), 0);
    EXPECT_FALSE(lib.IsLoaded());
}

TEST(DicLibrary, aCallInProgressKeepsTheLibraryThroughTheLastFree)
{
    TDicLibrary lib(QStringLiteral("Wqhyp.dll"), {QStringLiteral("GetHyphen")}, 11, 12);
    int unloads = 0;
    const auto onUnloaded = [&unloads] { ++unloads; };
    ASSERT_EQ(lib.Load(kLibraryDir), 0);
    {
        const TDicLibrary::TCall call = lib.Call(onUnloaded);
        ASSERT_TRUE(call);
        EXPECT_EQ(call.Symbol(0), lib.Symbol("GetHyphen"));
        EXPECT_EQ(lib.UserCount(), 2);
        lib.Free(onUnloaded); // the loader's last use, while the call runs
        EXPECT_TRUE(lib.IsLoaded());
        EXPECT_NE(call.Symbol(0), nullptr);
        EXPECT_EQ(unloads, 0);
    }
    // The call's release was the last use: it unloads as Free would.
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(lib.UserCount(), 0);
    EXPECT_EQ(unloads, 1);
}

TEST(DicLibrary, aCallNeverLoadsTheLibraryNorCountsAUse)
{
    TDicLibrary lib(QStringLiteral("Wqhyp.dll"), {QStringLiteral("GetHyphen")}, 11, 12);
    const TDicLibrary::TCall call = lib.Call();
    EXPECT_FALSE(call);
    EXPECT_EQ(call.Symbol(0), nullptr);
    EXPECT_TRUE(call.Symbols().empty());
    EXPECT_EQ(lib.UserCount(), 0);
    EXPECT_FALSE(lib.IsLoaded());
}

TEST(DicLibrary, missingFileShowsTheLoadBoxAndLeavesNoUseBehind)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir empty;
    TDicLibrary lib(QStringLiteral("Wqhyp.dll"), {QStringLiteral("GetHyphen")}, 11, 12);
    EXPECT_EQ(lib.Load(empty.path() + u'/'), 11);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Wqhyp.dll\r\nDLLのロードに失敗しました"));
    EXPECT_EQ(lib.UserCount(), 0);
    // The next user really loads it instead of being told it is shared.
    EXPECT_EQ(lib.Load(kLibraryDir), 0);
    EXPECT_TRUE(lib.IsLoaded());
    EXPECT_EQ(lib.UserCount(), 1);
    lib.Free();
    lib.Free(); // one too many does not go below zero
    EXPECT_EQ(lib.UserCount(), 0);
    EXPECT_FALSE(lib.IsLoaded());
}

TEST(DicLibrary, missingEntryPointShowsItsNameAndReleasesTheUse)
{
    ScriptedMessageBoxes boxes;
    TDicLibrary lib(QStringLiteral("Wqhyp.dll"), {QStringLiteral("GetHyphen"), QStringLiteral("NoSuchEntry")}, 11, 12);
    EXPECT_EQ(lib.Load(kLibraryDir), 12);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("NoSuchEntry\r\n関数の割り当てに失敗しました"));
    EXPECT_EQ(lib.UserCount(), 0);
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(lib.Symbol("GetHyphen"), nullptr);
}

// Each search class raises its library's own error when the library is
// missing or lacks the first of its entry points.
struct ClassLoadCase {
    const char *library;
    const char *file;
    const char *firstEntry;
    std::function<QString(const QString &folder)> load; // the message raised
};

class DicClassLoad : public ::testing::TestWithParam<ClassLoadCase> {};

TEST_P(DicClassLoad, raisesTheLoadAndEntryPointTexts)
{
    QTemporaryDir dir;
    const ClassLoadCase &c = GetParam();
    EXPECT_EQ(c.load(dir.path()), QString::fromLatin1(c.library) + QStringLiteral(" LoadLibrary Error\r\nDLLのロードに失敗しました"));
    ASSERT_TRUE(QFile::copy(kLibraryDir + QStringLiteral("libwqhyp.so"), dir.filePath(QString::fromLatin1(c.file))));
    EXPECT_EQ(c.load(dir.path()), QStringLiteral("%1 (%2) GetProcAddress Error\r\n関数の割り当てに失敗しました")
                                      .arg(QString::fromLatin1(c.firstEntry), QString::fromLatin1(c.library)));
}

template <class Search, class E> QString loadError(const QString &folder)
{
    return DicFake::raised<E>([&] { return Search(folder, QString()), 0; });
}

INSTANTIATE_TEST_SUITE_P(
    Classes, DicClassLoad,
    ::testing::Values(ClassLoadCase{"Wqzs.dll", "libwqzs.so", "WQZsJisCount", loadError<TAdrsSearch, EWQZsError>},
                      ClassLoadCase{"Wqzplst.dll", "libwqzplst.so", "WQZPLSTFirst", loadError<TPosSearch, EWqzplstError>},
                      ClassLoadCase{"Wqtel.dll", "libwqtel.so", "WQTLPrefix", loadError<TKykbnSearch, EWQTelError>},
                      ClassLoadCase{"Wqk1ad.dll", "libwqk1ad.so", "WQK1ADTdfkn", loadError<TKanaAdrsSearch, EWQK1ADError>},
                      ClassLoadCase{"WQZsCnv.dll", "libwqzscnv.so", "WQZSCAdrs",
                                    loadError<TContinualAdrsSearch, EWQZsCnvErro>}));

// A dictionary data file the libraries cannot use, and the reason the user
// is given for it.
struct UnusableDataCase {
    const char *name;
    std::function<void(const QString &folder)> make; // writes Dic/wqdic.db into folder, or nothing
    QString reason;
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The excerpt's data file with another format number in its meta table.
void writeFormat(const QString &folder, int format)
{
    const QString path = folder + QLatin1String(DicDataFileName);
    ASSERT_TRUE(QFile::copy(QStringLiteral(MURVEN_DIC_EXCERPT_DIR) + QLatin1String(DicDataFileName), path));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const QByteArray sql = QByteArray("UPDATE meta SET value = '") + QByteArray::number(format) + "' WHERE key = 'format'";
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK);
}

class DicDataWarning : public ::testing::TestWithParam<UnusableDataCase>
{
protected:
    void SetUp() override { ResetDicDataWarningForTesting(); }
    void TearDown() override { ResetDicDataWarningForTesting(); }
};

TEST_P(DicDataWarning, namesTheFileAndWhyOnceARun)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    GetParam().make(folder);
    const QString libs = QStringLiteral(MURVEN_DIC_LIB_DIR);
    {
        TContinualAdrsSearch search(libs, folder);
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("辞書データを使えないため")));
        EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("理由: ") + GetParam().reason))
            << boxes.last().text.toStdString();
        EXPECT_TRUE(boxes.last().text.contains(folder + QLatin1String(DicDataFileName)));
        EXPECT_EQ(boxes.last().caption, ProductCaption());
        EXPECT_EQ(boxes.last().flags & MB_ICONMASK, MB_ICONWARNING);
        // The search still answers, as the library can: nothing found.
        EXPECT_EQ(search.Search(QStringLiteral("神奈川県小田原市栄町")), DicNotFound);
    }
    // Every other search of the run, of any kind, goes on without a word.
    TAdrsSearch address(libs, folder);
    TPosSearch postcode(libs, folder);
    TKykbnSearch telephone(libs, folder);
    TKanaAdrsSearch kana(libs, folder);
    EXPECT_EQ(boxes.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DicDataWarning,
    ::testing::Values(
        UnusableDataCase{"Missing", [](const QString &) {}, QStringLiteral("辞書データのファイルがありません")},
        UnusableDataCase{"Garbage",
                         [](const QString &folder) {
                             writeFile(folder + QLatin1String(DicDataFileName), QByteArray(4096, '\x5A'));
                         },
                         QStringLiteral("辞書データのファイルが壊れているか、読み込めません")},
        UnusableDataCase{"Empty",
                         [](const QString &folder) { writeFile(folder + QLatin1String(DicDataFileName), {}); },
                         QStringLiteral("辞書データのファイルが壊れているか、読み込めません")},
        UnusableDataCase{"OldVersion", [](const QString &folder) { writeFormat(folder, DicSchemaVersion - 1); },
                         QStringLiteral("辞書データのファイルが古い形式です（形式 %1、このプログラムには形式 %2 が必要です）")
                             .arg(DicSchemaVersion - 1)
                             .arg(DicSchemaVersion)},
        UnusableDataCase{"NewerVersion", [](const QString &folder) { writeFormat(folder, DicSchemaVersion + 1); },
                         QStringLiteral("辞書データのファイルがこのプログラムより新しい形式です（形式 %1、このプログラムは形式 %2）")
                             .arg(DicSchemaVersion + 1)
                             .arg(DicSchemaVersion)}),
    [](const ::testing::TestParamInfo<UnusableDataCase> &info) { return std::string(info.param.name); });

TEST(DicDataWarning, usableDataSaysNothing)
{
    ResetDicDataWarningForTesting();
    ScriptedMessageBoxes boxes;
    TPosSearch search(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
    EXPECT_EQ(boxes.count(), 0);
}

// A search made on another thread has its box shown by the main thread.
TEST(DicDataWarning, aSearchOnAnotherThreadHasTheMainThreadShowTheBox)
{
    ResetDicDataWarningForTesting();
    ScriptedMessageBoxes boxes;
    QTemporaryDir empty;
    std::thread([&] { TKanaAdrsSearch search(QStringLiteral(MURVEN_DIC_LIB_DIR), empty.path()); }).join();
    EXPECT_EQ(boxes.count(), 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("辞書データのファイルがありません")));
    ResetDicDataWarningForTesting();
}

} // namespace
