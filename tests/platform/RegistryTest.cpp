#include "platform/Registry.h"

#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

const QByteArray kMachine = "Windows Registry Editor Version 5.00\r\n"
                            "\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qor\\Murven\\19.0]\r\n"
                            "\"Type\"=\"ab+-cd\\\\ef\\\"\"\r\n"
                            "\"Version\"=dword:0000002A\r\n"
                            "@=\"default\"\r\n"
                            "\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qor\\Murven\\19.0\\SearchArea\\Kanto]\r\n"
                            "\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qor\\Murven\\19.0\\SearchArea\\Tokyo]\r\n"
                            "\"Path\"=\"D:\\\\Dt03\"\r\n"
                            "\r\n"
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

TEST_F(RegistryTest, machineSearchAreaListsRegionSubKeys)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly(kProduct + QStringLiteral("\\SearchArea")));
    EXPECT_EQ(reg.GetKeyNames(), (QStringList{"Kanto", "Tokyo", "Kyusyu Okinawa"}));
    EXPECT_TRUE(reg.GetValueNames().isEmpty());
}

TEST_F(RegistryTest, machineValuesReadAsStringDwordAndDefault)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly(kProduct));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Type")), QStringLiteral("ab+-cd\\ef\""));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("version")), 42);
    EXPECT_TRUE(reg.ReadBool(QStringLiteral("Version")));
    EXPECT_EQ(reg.ReadString(QString()), QStringLiteral("default"));
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"Type", "Version", ""}));
}

TEST_F(RegistryTest, missingValueAndWrongTypeRaise)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly(kProduct));
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("Missing")));
    try {
        (void)reg.ReadString(QStringLiteral("Missing"));
        FAIL() << "no exception";
    } catch (const ERegistryException &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("'Missing'"))) << e.what();
    }
    EXPECT_THROW((void)reg.ReadInteger(QStringLiteral("Type")), ERegistryException);
    EXPECT_THROW((void)reg.ReadString(QStringLiteral("Version")), ERegistryException);
    EXPECT_THROW((void)reg.ReadBool(QStringLiteral("Type")), ERegistryException);
}

TEST_F(RegistryTest, readingWithoutOpenKeyRaises)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("Type")));
    EXPECT_THROW((void)reg.ReadString(QStringLiteral("Type")), ERegistryException);
    EXPECT_TRUE(reg.GetKeyNames().isEmpty());
}

TEST_F(RegistryTest, machineRootRefusesEveryWrite)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.OpenKey(kProduct + QStringLiteral("\\New"), true));
    ASSERT_TRUE(reg.OpenKey(kProduct, false));
    EXPECT_THROW(reg.WriteString(QStringLiteral("Type"), QStringLiteral("x")), ERegistryException);
    EXPECT_THROW(reg.WriteInteger(QStringLiteral("Version"), 1), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue(QStringLiteral("Type")));
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("SearchArea")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Type")), QStringLiteral("ab+-cd\\ef\""));
    EXPECT_TRUE(sameBytes(kMachine, fileBytes(home.machineRegistry())));
}

TEST_F(RegistryTest, sectionsOfOtherRootsAreNotSeen)
{
    TRegistry machine(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(machine.KeyExists(QStringLiteral("Software\\Other")));
    TRegistry user(HKEY_CURRENT_USER);
    EXPECT_FALSE(user.KeyExists(kProduct));
}

TEST_F(RegistryTest, keyPathsIgnoreCaseAndAreRelativeToOpenKey)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.OpenKeyReadOnly(QStringLiteral("SOFTWARE\\Qor\\Missing")));
    EXPECT_EQ(reg.CurrentPath(), QString());
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("software\\QOR\\murven\\19.0")));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("software\\QOR\\murven\\19.0"));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("searcharea\\KANTO")));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("\\SOFTWARE\\Qor")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("SOFTWARE\\Qor"))); // relative: below 19.0
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("SearchArea")));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("software\\QOR\\murven\\19.0\\SearchArea"));
    EXPECT_FALSE(reg.OpenKeyReadOnly(QStringLiteral("Nowhere")));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("software\\QOR\\murven\\19.0\\SearchArea")); // unchanged
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), QString());
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("SOFTWARE\\Qor")));
}

TEST_F(RegistryTest, missingFileIsEmptyRegistry)
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
}

TEST_F(RegistryTest, userKeyIsCreatedOnlyWithCanCreate)
{
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("Software\\Pyx"), false));
    EXPECT_FALSE(QFile::exists(home.userRegistry()));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Pyx"), true));
    EXPECT_TRUE(sameBytes("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Pyx]\r\n\r\n",
                          userFile()));
}

TEST_F(RegistryTest, userFileIsWrittenInRegFormatAndRoundTrips)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Map"), true));
        reg.WriteString(QStringLiteral("Folder"), QStringLiteral("C:\\Map \"Pro\""));
        reg.WriteInteger(QStringLiteral("Level"), 42);
        reg.WriteInteger(QStringLiteral("Negative"), -1);
        reg.WriteString(QString(), QStringLiteral("地図"));
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("Sub"), true));
        reg.WriteString(QStringLiteral("x"), QString());
    }
    const QByteArray expected = "Windows Registry Editor Version 5.00\r\n\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Map]\r\n"
                                "\"Folder\"=\"C:\\\\Map \\\"Pro\\\"\"\r\n"
                                "\"Level\"=dword:0000002a\r\n"
                                "\"Negative\"=dword:ffffffff\r\n"
                                "@=\"\xE5\x9C\xB0\xE5\x9B\xB3\"\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Map\\Sub]\r\n"
                                "\"x\"=\"\"\r\n"
                                "\r\n";
    ASSERT_TRUE(sameBytes(expected, userFile()));

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("software\\map"), false));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Folder")), QStringLiteral("C:\\Map \"Pro\""));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Negative")), -1);
    reg.WriteInteger(QStringLiteral("LEVEL"), 42); // same value, other spelling: same file
    EXPECT_TRUE(sameBytes(expected, userFile()));
}

class RegistryEscapes : public RegistryTest, public ::testing::WithParamInterface<const char16_t *>
{
};

TEST_P(RegistryEscapes, stringSurvivesWriteAndRead)
{
    const QString text = QString::fromUtf16(GetParam());
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Esc"), true));
        reg.WriteString(text, text); // names are escaped the same way
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("Software\\Esc")));
    EXPECT_EQ(reg.GetValueNames(), QStringList{text});
    EXPECT_EQ(reg.ReadString(text), text);
}

INSTANTIATE_TEST_SUITE_P(Table, RegistryEscapes,
                         ::testing::Values(u"C:\\Program Files\\", u"say \"hi\"", u"\\\\server\\share", u"\\\"",
                                           u"\"", u"a=b,c", u"  blanks  ", u"ピルカノス①～"));

TEST_F(RegistryTest, damagedAndUnknownLinesAreIgnoredButKept)
{
    const QByteArray original = "Windows Registry Editor Version 5.00\r\n"
                                "\r\n"
                                "; written by the map program's installer\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Map]\r\n"
                                "\"Folder\"=\"C:\\\\Map\"\r\n"
                                "\"Broken\"=\"no closing quote\r\n"
                                "\"Count\"=dword:zz\r\n"
                                "\"Expand\"=hex(2):25,00,50,00,\\\r\n"
                                "  41,00,00,00\r\n"
                                "garbage line\r\n"
                                "\"Level\"=dword:00000003\r\n"
                                "\r\n"
                                "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
                                "\r\n";
    writeBytes(home.userRegistry(), original);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Map"), false));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Folder")), QStringLiteral("C:\\Map"));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Level")), 3);
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("Broken")));
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("Count")));
    EXPECT_TRUE(reg.ValueExists(QStringLiteral("Expand")));
    EXPECT_THROW((void)reg.ReadString(QStringLiteral("Expand")), ERegistryException);
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"Folder", "Expand", "Level"}));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\Software\\Gone")));

    reg.WriteString(QStringLiteral("Folder"), QStringLiteral("D:\\Map"));
    QByteArray expected = original;
    expected.replace("C:\\\\Map", "D:\\\\Map");
    EXPECT_TRUE(sameBytes(expected, userFile()));
}

TEST_F(RegistryTest, deleteKeyTakesSubKeysAlong)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("A\\B\\C"), true));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\A\\D"), true));
    reg.CloseKey();
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("A\\Missing")));
    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("a\\b")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("A\\B")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("A\\B\\C")));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("A\\D")));
    EXPECT_FALSE(TRegistry().KeyExists(QStringLiteral("A\\B\\C"))); // gone from the file too
}

TEST_F(RegistryTest, deleteValueRemovesOnlyThatValue)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("K"), true));
    reg.WriteString(QStringLiteral("a"), QStringLiteral("1"));
    reg.WriteInteger(QStringLiteral("b"), 2);
    EXPECT_TRUE(reg.DeleteValue(QStringLiteral("A")));
    EXPECT_FALSE(reg.DeleteValue(QStringLiteral("A")));
    TRegistry fresh;
    ASSERT_TRUE(fresh.OpenKeyReadOnly(QStringLiteral("K")));
    EXPECT_EQ(fresh.GetValueNames(), QStringList{"b"});
}

TEST_F(RegistryTest, twoObjectsDoNotLoseEachOthersWrites)
{
    TRegistry first;
    TRegistry second;
    ASSERT_TRUE(first.OpenKey(QStringLiteral("K"), true));
    ASSERT_TRUE(second.OpenKey(QStringLiteral("K"), true));
    first.WriteString(QStringLiteral("a"), QStringLiteral("1"));
    second.WriteString(QStringLiteral("b"), QStringLiteral("2"));
    TRegistry third;
    ASSERT_TRUE(third.OpenKeyReadOnly(QStringLiteral("K")));
    EXPECT_EQ(third.GetValueNames(), (QStringList{"a", "b"}));
}

TEST_F(RegistryTest, readOnlyOpenedUserKeyRefusesWrites)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("K"), true));
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("\\K")));
    EXPECT_THROW(reg.WriteString(QStringLiteral("a"), QStringLiteral("1")), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue(QStringLiteral("a")));
    reg.CloseKey();
    EXPECT_THROW(reg.WriteInteger(QStringLiteral("a"), 1), ERegistryException);
}

TEST_F(RegistryTest, failedSaveRaisesAndKeepsTheFile)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("K"), true));
    reg.WriteString(QStringLiteral("a"), QStringLiteral("old"));
    const QByteArray before = userFile();
    SafeFile::setFailureHook([](SafeFile::Step s) { return s == SafeFile::Step::RenameTemporary; });
    EXPECT_THROW(reg.WriteString(QStringLiteral("a"), QStringLiteral("new")), ERegistryException);
    SafeFile::setFailureHook({});
    EXPECT_EQ(reg.ReadString(QStringLiteral("a")), QStringLiteral("old"));
    EXPECT_TRUE(sameBytes(before, userFile()));
}

TEST_F(RegistryTest, userFileIsRecoveredFromInterruptedReplace)
{
    writeBytes(SafeReplaceBackupPath(home.userRegistry()),
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"kept\"\r\n\r\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("K")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("a")), QStringLiteral("kept"));
}

} // namespace
