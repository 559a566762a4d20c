#include "core/DicFrame.h"

#include "core/AdrsDicClass.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/DicFakeLibrary.h"
#include "core/KanaAdrsDicClass.h"
#include "core/KykbnDicClass.h"
#include "core/PosDicClass.h"

#include "support/ScriptedMessageBoxes.h"

#include <QFile>
#include <QTemporaryDir>

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

} // namespace
