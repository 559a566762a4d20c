#include "core/NameDicClass.h"
#include "platform/Cp932.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

const QString kLibDir = QStringLiteral(MURVEN_DIC_LIB_DIR);
const QString kExcerpt = QStringLiteral(MURVEN_DIC_EXCERPT_DIR);

TEST(NameDicClassTest, aFullFieldIsReadToItsEndAndNoFurther)
{
    TWqnameEntry entries[2];
    std::memcpy(entries[0].Reading, "\xD6\xBC\xDB\xB3\xB1\xB2\xB3\xB4\xB5\xB6\xB7\xB8", 12);
    std::memcpy(entries[0].Kanji, "\x8B\x67\x8E\x71\x8B\x67\x8E\x71\x8B\x67\x8E\x71", 12);
    std::memset(&entries[1], 'Z', sizeof entries[1]); // what follows must not leak in
    const std::vector<TNameCandidate> read = TNameDicLibrary::ReadEntries(entries, 1);
    ASSERT_EQ(read.size(), 1U);
    EXPECT_EQ(read[0].Reading.size(), 12);
    EXPECT_EQ(read[0].Kanji, QByteArray("\x8B\x67\x8E\x71\x8B\x67\x8E\x71\x8B\x67\x8E\x71", 12));
}

TEST(NameDicClassTest, anEntryWithoutKanjiEndsTheList)
{
    TWqnameEntry entries[3]{};
    std::memcpy(entries[0].Reading, "\xD6\xBC", 2);
    std::memcpy(entries[0].Kanji, "\x8B\x60", 2);
    std::memcpy(entries[2].Kanji, "\x8B\x60", 2);
    EXPECT_EQ(TNameDicLibrary::ReadEntries(entries, 3).size(), 1U);
}

TEST(NameDicClassTest, aMissingLibraryLoadsQuietlyAsNoCandidates)
{
    QTemporaryDir empty;
    TNameDicLibrary library;
    EXPECT_FALSE(library.Load(empty.path() + QLatin1Char('/')));
    EXPECT_EQ(library.Count(Cp932::encode(u"ヨシ"), true, kExcerpt), 0);
    std::vector<TNameCandidate> out;
    EXPECT_EQ(library.List(Cp932::encode(u"ヨシ"), true, 5, kExcerpt, out), 103);
}

TEST(NameDicClassTest, theBuiltLibraryListsAsManyCandidatesAsItCounts)
{
    TNameDicLibrary library;
    ASSERT_TRUE(library.Load(kLibDir));
    const int count = library.Count(Cp932::encode(u"よしこ"), true, kExcerpt);
    ASSERT_EQ(count, 7);
    std::vector<TNameCandidate> out;
    ASSERT_EQ(library.List(Cp932::encode(u"よしこ"), true, count, kExcerpt, out), 0);
    ASSERT_EQ(out.size(), 7U);
    EXPECT_EQ(out[0].Reading, Cp932::encode(u"ﾖｼｺ"));
}

} // namespace
