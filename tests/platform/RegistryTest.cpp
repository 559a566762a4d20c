#include "platform/Registry.h"

#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"
#include "support/UnreadableNotices.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <ostream>

namespace {

const QByteArray kMachine = "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qor\\Murven\\19.0]\r\n"
                            "\"Type\"=\"ab+-cd\\\\ef\\\"\"\r\n"
                            "\"Version\"=dword:0000002A\r\n"
                            "@=\"default\"\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qor\\Murven\\19.0\\SearchArea\\Kanto]\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qor\\Murven\\19.0\\SearchArea\\Tokyo]\r\n"
                            "\"Path\"=\"D:\\\\Dt03\"\r\n\r\n"
                            // only a deeper key names this region; its own key is implied
                            "[hkey_local_machine\\software\\qor\\murven\\19.0\\searcharea\\Kyusyu Okinawa\\Detail]\r\n"
                            "\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                            "\"X\"=\"not the machine's\"\r\n";

const QString kProduct = QStringLiteral("SOFTWARE\\Qor\\Murven\\19.0");

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { writeBytes(home.machineRegistry(), kMachine); }
    QByteArray userFile() const { return fileBytes(home.userRegistry()); }
    ScopedHome home;
};

TEST_F(RegistryTest, machineFileGivesSubKeysAndValuesOfItsOwnRootOnly)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly(kProduct));
    EXPECT_EQ(reg.ReadString("Type"), "ab+-cd\\ef\"");
    EXPECT_EQ(reg.ReadInteger("version"), 42);
    EXPECT_TRUE(reg.ReadBool("Version"));
    EXPECT_EQ(reg.ReadString(QString()), "default");
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"Type", "Version", ""}));
    ASSERT_TRUE(reg.OpenKeyReadOnly("SearchArea"));
    EXPECT_EQ(reg.GetKeyNames(), (QStringList{"Kanto", "Tokyo", "Kyusyu Okinawa"}));
    EXPECT_TRUE(reg.GetValueNames().isEmpty());
    EXPECT_FALSE(reg.KeyExists("\\Software\\Other"));
    EXPECT_FALSE(TRegistry(HKEY_CURRENT_USER).KeyExists(kProduct));
}

TEST_F(RegistryTest, missingValueWrongTypeAndNoOpenKeyRaise)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.ValueExists("Type"));
    EXPECT_THROW((void)reg.ReadString("Type"), ERegistryException);
    EXPECT_TRUE(reg.GetKeyNames().isEmpty());
    ASSERT_TRUE(reg.OpenKeyReadOnly(kProduct));
    EXPECT_FALSE(reg.ValueExists("Missing"));
    try {
        (void)reg.ReadString("Missing");
        FAIL() << "no exception";
    } catch (const ERegistryException &e) {
        EXPECT_TRUE(e.Message().contains("'Missing'")) << e.what();
    }
    EXPECT_THROW((void)reg.ReadInteger("Type"), ERegistryException);
    EXPECT_THROW((void)reg.ReadString("Version"), ERegistryException);
    EXPECT_THROW((void)reg.ReadBool("Type"), ERegistryException);
}

TEST_F(RegistryTest, machineRootAndReadOnlyOpenedKeysRefuseEveryWrite)
{
    TRegistry machine(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(machine.OpenKey(kProduct + "\\New", true));
    ASSERT_TRUE(machine.OpenKey(kProduct, false));
    EXPECT_THROW(machine.WriteString("Type", "x"), ERegistryException);
    EXPECT_THROW(machine.WriteInteger("Version", 1), ERegistryException);
    EXPECT_FALSE(machine.DeleteValue("Type"));
    EXPECT_FALSE(machine.DeleteKey("SearchArea"));
    EXPECT_EQ(machine.ReadString("Type"), "ab+-cd\\ef\"");
    EXPECT_TRUE(sameBytes(kMachine, fileBytes(home.machineRegistry())));

    TRegistry user;
    ASSERT_TRUE(user.OpenKey("K", true));
    ASSERT_TRUE(user.OpenKeyReadOnly("\\K"));
    EXPECT_THROW(user.WriteString("a", "1"), ERegistryException);
    EXPECT_FALSE(user.DeleteValue("a"));
    user.CloseKey();
    EXPECT_THROW(user.WriteInteger("a", 1), ERegistryException);
}

TEST_F(RegistryTest, keyPathsIgnoreCaseAndAreRelativeToOpenKey)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly("software\\QOR\\murven\\19.0"));
    EXPECT_TRUE(reg.KeyExists("searcharea\\KANTO"));
    EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\Qor"));
    EXPECT_FALSE(reg.KeyExists("SOFTWARE\\Qor")); // relative: below 19.0
    EXPECT_FALSE(reg.OpenKeyReadOnly("Nowhere"));
    EXPECT_EQ(reg.CurrentPath(), "software\\QOR\\murven\\19.0"); // unchanged
}

TEST_F(RegistryTest, missingFilesAreEmptyAndOnlyCanCreateMakesTheUserFile)
{
    QFile::remove(home.machineRegistry());
    for (TRootKey root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        TRegistry reg(root);
        EXPECT_FALSE(reg.KeyExists(kProduct));
        EXPECT_FALSE(reg.OpenKey(kProduct, false));
        EXPECT_FALSE(reg.OpenKeyReadOnly(kProduct));
        EXPECT_TRUE(reg.GetKeyNames().isEmpty());
    }
    EXPECT_FALSE(QFile::exists(home.userRegistry()));
    ASSERT_TRUE(TRegistry().OpenKey("Software\\Pyx", true));
    EXPECT_TRUE(sameBytes("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Pyx]\r\n\r\n",
                          userFile()));
}

TEST_F(RegistryTest, userFileIsWrittenInRegFormatAndRoundTrips)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Map", true));
        reg.WriteString("Folder", "C:\\Map \"Pro\"");
        reg.WriteInteger("Level", 42);
        reg.WriteInteger("Negative", -1);
        reg.WriteString(QString(), QStringLiteral("地図"));
        ASSERT_TRUE(reg.OpenKey("Sub", true));
        reg.WriteString("x", QString());
    }
    const QByteArray expected = "Windows Registry Editor Version 5.00\r\n\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Map]\r\n"
                                "\"Folder\"=\"C:\\\\Map \\\"Pro\\\"\"\r\n"
                                "\"Level\"=dword:0000002a\r\n"
                                "\"Negative\"=dword:ffffffff\r\n"
                                "@=\"\xE5\x9C\xB0\xE5\x9B\xB3\"\r\n\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Map\\Sub]\r\n"
                                "\"x\"=\"\"\r\n\r\n";
    ASSERT_TRUE(sameBytes(expected, userFile()));

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("software\\map", false));
    EXPECT_EQ(reg.ReadString("Folder"), "C:\\Map \"Pro\"");
    EXPECT_EQ(reg.ReadInteger("Negative"), -1);
    reg.WriteInteger("LEVEL", 42); // same value, other spelling: same file
    EXPECT_TRUE(sameBytes(expected, userFile()));
}

class RegistryEscapes : public RegistryTest, public ::testing::WithParamInterface<const char16_t *> {};

TEST_P(RegistryEscapes, stringSurvivesWriteAndRead)
{
    const QString text = QString::fromUtf16(GetParam());
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Esc", true));
        reg.WriteString(text, text); // names are escaped the same way
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Esc"));
    EXPECT_EQ(reg.GetValueNames(), QStringList{text});
    EXPECT_EQ(reg.ReadString(text), text);
}

INSTANTIATE_TEST_SUITE_P(Table, RegistryEscapes,
                         ::testing::Values(u"C:\\Program Files\\", u"\\\"", u"\"", u"  blanks  ", u"ピルカノス①～"));

// Values holding line breaks: every kind of break, at the ends, alone, and
// long enough to be continued over several lines.
class RegistryLineBreaks : public RegistryTest, public ::testing::WithParamInterface<const char16_t *> {};

TEST_P(RegistryLineBreaks, stringReadsBackExactly)
{
    const QString text = QString::fromUtf16(GetParam());
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Notes", true));
        reg.WriteString("Note", text);
        reg.WriteString("After", "next");
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Notes"));
    EXPECT_EQ(reg.ReadString("Note"), text);
    EXPECT_EQ(reg.ReadString("After"), QStringLiteral("next"));
}

INSTANTIATE_TEST_SUITE_P(Table, RegistryLineBreaks,
                         ::testing::Values(u"one\r\ntwo", u"lf\nonly", u"cr\ronly", u"\r\n", u"\ntrailing\n",
                                           u"東京都\r\n千代田区\r\n\r\n丸の内１－１－１ ビル\r\n"
                                           u"long enough to be continued over more than one line of the file"));

TEST_F(RegistryTest, stringWithALineBreakIsWrittenAsTheRegistryEditorDoes)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Notes", true));
        reg.WriteString("Note", QStringLiteral("A\r\nB"));
    }
    EXPECT_TRUE(userFile().contains("\r\n\"Note\"=hex(1):41,00,0d,00,0a,00,42,00,00,00\r\n"))
        << userFile().constData();
}

// A line that names a value but whose data cannot be read is told apart
// from a value that is not there; its last setting decides.
TEST_F(RegistryTest, aValueLineThatCannotBeReadIsToldApartFromAMissingValue)
{
    writeBytes(home.userRegistry(), "Windows Registry Editor Version 5.00\r\n\r\n"
                                    "[HKEY_CURRENT_USER\\Software\\Map]\r\n"
                                    "\"Folder\"=\"C:\\\\Map\"\r\n"
                                    "\"Broken\"=\"no closing quote\r\n"
                                    "\"Count\"=dword:zz\r\n"
                                    "\"Fixed\"=dword:zz\r\n"
                                    "\"Fixed\"=dword:00000002\r\n"
                                    "\"Spoilt\"=dword:00000002\r\n"
                                    "\"Spoilt\"=unquoted\r\n"
                                    "garbage line\r\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Map", false));
    EXPECT_FALSE(reg.ValueDamaged("Folder"));
    EXPECT_TRUE(reg.ValueDamaged("Broken"));
    EXPECT_TRUE(reg.ValueDamaged("count"));
    EXPECT_FALSE(reg.ValueDamaged("Fixed"));
    EXPECT_EQ(reg.ReadInteger("Fixed"), 2);
    EXPECT_TRUE(reg.ValueDamaged("Spoilt"));
    EXPECT_FALSE(reg.ValueDamaged("Missing"));
    EXPECT_FALSE(reg.ValueDamaged("garbage line"));
}

TEST_F(RegistryTest, damagedAndUnknownLinesAreIgnoredButKept)
{
    const QByteArray original = "Windows Registry Editor Version 5.00\r\n\r\n"
                                "; written by the map program's installer\r\n\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Map]\r\n"
                                "\"Folder\"=\"C:\\\\Map\"\r\n"
                                "\"Broken\"=\"no closing quote\r\n"
                                "\"Count\"=dword:zz\r\n"
                                "\"Long\"=dword:000000001\r\n" // nine digits: no dword
                                "\"Big\"=dword:100000000\r\n"
                                "\"Expand\"=hex(2):25,00,50,00,\\\r\n"
                                "  41,00,00,00\r\n"
                                "garbage line\r\n"
                                "\"Level\"=dword:00000003\r\n\r\n"
                                "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n\r\n";
    writeBytes(home.userRegistry(), original);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Map", false));
    EXPECT_EQ(reg.ReadString("Folder"), "C:\\Map");
    EXPECT_EQ(reg.ReadInteger("Level"), 3);
    EXPECT_FALSE(reg.ValueExists("Broken"));
    EXPECT_FALSE(reg.ValueExists("Count"));
    EXPECT_FALSE(reg.ValueExists("Long"));
    EXPECT_FALSE(reg.ValueExists("Big"));
    EXPECT_TRUE(reg.ValueExists("Expand"));
    EXPECT_THROW((void)reg.ReadString("Expand"), ERegistryException);
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"Folder", "Expand", "Level"}));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Gone"));

    reg.WriteString("Folder", "D:\\Map");
    QByteArray expected = original;
    expected.replace("C:\\\\Map", "D:\\\\Map");
    EXPECT_TRUE(sameBytes(expected, userFile()));
}

TEST_F(RegistryTest, deleteKeyTakesSubKeysAlong)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("A\\B\\C", true));
    ASSERT_TRUE(reg.OpenKey("\\A\\D", true));
    reg.CloseKey();
    EXPECT_FALSE(reg.DeleteKey("A\\Missing"));
    EXPECT_TRUE(reg.DeleteKey("a\\b"));
    EXPECT_FALSE(reg.KeyExists("A\\B"));
    EXPECT_FALSE(reg.KeyExists("A\\B\\C"));
    EXPECT_TRUE(reg.KeyExists("A\\D"));
    EXPECT_FALSE(TRegistry().KeyExists("A\\B\\C")); // gone from the file too
}

TEST_F(RegistryTest, twoObjectsKeepEachOthersWritesAndDeleteValueTakesOnlyOne)
{
    TRegistry first;
    TRegistry second;
    ASSERT_TRUE(first.OpenKey("K", true));
    ASSERT_TRUE(second.OpenKey("K", true));
    first.WriteString("a", "1");
    second.WriteInteger("b", 2); // over a file that first has changed
    EXPECT_TRUE(first.DeleteValue("A")); // over a file that second has changed
    EXPECT_FALSE(first.DeleteValue("A"));
    TRegistry third;
    ASSERT_TRUE(third.OpenKeyReadOnly("K"));
    EXPECT_EQ(third.GetValueNames(), QStringList{"b"});
}

TEST_F(RegistryTest, failedSaveRaisesAndKeepsTheFileAndAnInterruptedReplaceIsRecovered)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("K", true));
    reg.WriteString("a", "old");
    const QByteArray before = userFile();
    SafeFile::setFailureHook([](SafeFile::Step s) { return s == SafeFile::Step::RenameTemporary; });
    EXPECT_THROW(reg.WriteString("a", "new"), ERegistryException);
    SafeFile::setFailureHook({});
    EXPECT_EQ(reg.ReadString("a"), QStringLiteral("old"));
    EXPECT_TRUE(sameBytes(before, userFile()));

    QFile::rename(home.userRegistry(), SafeReplaceBackupPath(home.userRegistry()));
    TRegistry recovered;
    ASSERT_TRUE(recovered.OpenKeyReadOnly("K"));
    EXPECT_EQ(recovered.ReadString("a"), QStringLiteral("old"));
}

// ---- Unreadable user files ----------------------------------------------------------

struct UserFileCase {
    const char *name;
    QByteArray bytes;
    bool unreadable;
};
void PrintTo(const UserFileCase &c, std::ostream *os) { *os << c.name; }

class UserFileContent : public RegistryTest, public ::testing::WithParamInterface<UserFileCase>
{
protected:
    RecordedUnreadableNotices notices;
};

// A user's file that cannot be read as a whole is kept aside and named once,
// its keys start empty, and the next write makes a new file beside the
// untouched copy. A readable one is taken as it is.
TEST_P(UserFileContent, unreadableFileIsKeptAsideAndToldOnce)
{
    writeBytes(home.userRegistry(), GetParam().bytes);
    TRegistry reg;
    const bool found = reg.KeyExists("Software\\Map");
    const QStringList copies = keptAsideCopies(home.userRegistry());
    if (!GetParam().unreadable) {
        EXPECT_TRUE(copies.isEmpty());
        EXPECT_TRUE(notices.told().isEmpty());
        EXPECT_TRUE(sameBytes(GetParam().bytes, userFile()));
        return;
    }
    EXPECT_FALSE(found);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(copies[0])));
    ASSERT_EQ(notices.told().size(), 1);
    EXPECT_EQ(notices.told()[0].file, home.userRegistry());
    EXPECT_EQ(notices.told()[0].keptAs, copies[0]);

    ASSERT_TRUE(reg.OpenKey("Software\\Map", true));
    reg.WriteString("Folder", "D:\\Map");
    EXPECT_EQ(TRegistry().KeyExists("Software\\Map"), true);
    EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(copies[0]))) << "the copy is never written";
    EXPECT_EQ(notices.told().size(), 1);
}

const QByteArray kMapKey = "[HKEY_CURRENT_USER\\Software\\Map]\r\n\"Folder\"=\"C:\\\\Map\"\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, UserFileContent,
    ::testing::Values(
        UserFileCase{"zeroByte", "Windows Registry Editor Version 5.00\r\n\r\n" + kMapKey + QByteArray(1, '\0'), true},
        UserFileCase{"notUtf8", "Windows Registry Editor Version 5.00\r\n\r\n" + kMapKey + "\"X\"=\"\x83\x5C\"\r\n",
                     true},
        UserFileCase{"cutInsideItsLastCharacter",
                     "Windows Registry Editor Version 5.00\r\n\r\n" + kMapKey + "\"X\"=\"\xE5\x9B", true},
        UserFileCase{"noHeader", kMapKey, true},
        UserFileCase{"headerAfterAKey", kMapKey + "Windows Registry Editor Version 5.00\r\n", true},
        UserFileCase{"empty", QByteArray(), false},
        UserFileCase{"blanksOnly", " \r\n\r\n", false},
        UserFileCase{"markAndHeader", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n" + kMapKey, false},
        UserFileCase{"oldHeader", "REGEDIT4\r\n\r\n" + kMapKey, false}),
    [](const ::testing::TestParamInfo<UserFileCase> &info) { return std::string(info.param.name); });

// Where the damaged file cannot be moved, it stays and no write goes over it.
TEST_F(RegistryTest, anUnreadableUserFileThatCannotBeMovedIsNeverWrittenOver)
{
    RecordedUnreadableNotices notices;
    const QByteArray damaged = kMapKey; // no header
    writeBytes(home.userRegistry(), damaged);
    RefusedMovesAside refused;
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("Software\\Map"));
    EXPECT_FALSE(reg.OpenKey("Software\\Map", true));
    ASSERT_TRUE(reg.OpenKey("\\", false));
    EXPECT_THROW(reg.WriteString("Folder", "D:\\Map"), ERegistryException);
    EXPECT_TRUE(sameBytes(damaged, userFile()));
    ASSERT_EQ(notices.told().size(), 1);
    EXPECT_TRUE(notices.told()[0].keptAs.isEmpty());
}

// The installation's file is never written, so nothing of it is moved.
TEST_F(RegistryTest, anUnreadableMachineFileStaysWhereItIs)
{
    RecordedUnreadableNotices notices;
    const QByteArray garbage("\x00\xFF garbage", 10);
    writeBytes(home.machineRegistry(), garbage);
    EXPECT_FALSE(TRegistry(HKEY_LOCAL_MACHINE).KeyExists(kProduct));
    EXPECT_TRUE(sameBytes(garbage, fileBytes(home.machineRegistry())));
    EXPECT_TRUE(keptAsideCopies(home.machineRegistry()).isEmpty());
    EXPECT_TRUE(notices.told().isEmpty());
}

// Random bytes and damaged copies of a real file: reading never fails hard,
// what is not read is kept byte for byte, and what reads stays as it was.
TEST_F(RegistryTest, garbageNeverCrashesTheReaderAndIsKeptWhole)
{
    RecordedUnreadableNotices notices;
    const QByteArray valid = "Windows Registry Editor Version 5.00\r\n\r\n" + kMapKey +
                             "\"Count\"=dword:0000002a\r\n\"Note\"=hex(1):41,00,0d,00,0a,00,42,00,00,00\r\n\r\n";
    EXPECT_TRUE(garbageIsReadOrKeptWhole(home.userRegistry(), valid, 20240504, [] {
        TRegistry reg;
        if (!reg.OpenKeyReadOnly("Software\\Map"))
            return true;
        for (const QString &name : reg.GetValueNames())
            (void)reg.ValueExists(name);
        return false;
    }));
}

} // namespace
