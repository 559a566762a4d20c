#include "platform/IniFile.h"

#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

#include <limits>

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    QString path() const { return home.root() + QStringLiteral("/Murven19.ini"); }
    ScopedHome home;
};

TEST_F(IniFileTest, missingFileGivesEmptyContentAndDefaults)
{
    TMemIniFile ini(path());
    EXPECT_TRUE(ini.ReadSections().isEmpty());
    EXPECT_EQ(ini.ReadString(QStringLiteral("BASE"), QStringLiteral("AdrsName"), QStringLiteral("アドレス")),
              QStringLiteral("アドレス"));
    EXPECT_EQ(ini.FileName(), path());
}

TEST_F(IniFileTest, writesUtf8WithCrLfAndBlankLineBetweenSections)
{
    TMemIniFile ini(path());
    ini.WriteString(QStringLiteral("BASE"), QStringLiteral("AdrsName"), QStringLiteral("アドレス"));
    ini.WriteInteger(QStringLiteral("BASE"), QStringLiteral("Use1"), 1);
    ini.WriteBool(QStringLiteral("VIEW"), QStringLiteral("BGPaint"), false);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_TRUE(sameBytes("[BASE]\r\nAdrsName=\xE3\x82\xA2\xE3\x83\x89\xE3\x83\xAC\xE3\x82\xB9\r\nUse1=1\r\n"
                          "\r\n[VIEW]\r\nBGPaint=0\r\n",
                          fileBytes(path())));
}

TEST_F(IniFileTest, roundTripIsByteForByte)
{
    {
        TMemIniFile ini(path());
        ini.WriteString(QStringLiteral("BASE"), QStringLiteral("DataPath"), QStringLiteral("/home/u/データ/"));
        ini.WriteString(QStringLiteral("ADRS LIST"), QStringLiteral("Columns"), QStringLiteral("1,2,,3"));
        ini.WriteString(QStringLiteral("ADRS LIST"), QStringLiteral("Formula"), QStringLiteral("a=b=c"));
        ini.WriteString(QStringLiteral("ADRS LIST"), QStringLiteral("Empty"), QString());
        ini.WriteString(QStringLiteral("EMPTY SECTION"), QStringLiteral("x"), QStringLiteral("1"));
        ini.DeleteKey(QStringLiteral("EMPTY SECTION"), QStringLiteral("x"));
        ini.WriteFloat(QStringLiteral("ZOOM"), QStringLiteral("Rate"), 0.1);
        ini.WriteInteger(QStringLiteral("VIEW"), QStringLiteral("BGColor"), 0xDFFFEF);
        ini.WriteString(QStringLiteral("住所録"), QStringLiteral("①㈱～"), QStringLiteral("　全角の空白　"));
        ASSERT_TRUE(ini.UpdateFile());
    }
    const QByteArray first = fileBytes(path());
    {
        TMemIniFile ini(path());
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_TRUE(sameBytes(first, fileBytes(path())));
}

TEST_F(IniFileTest, emptyContentWritesEmptyFile)
{
    writeBytes(path(), "[A]\r\nk=v\r\n");
    TMemIniFile ini(path());
    ini.Clear();
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_TRUE(fileBytes(path()).isEmpty());
}

TEST_F(IniFileTest, sectionAndKeyNamesIgnoreLetterCase)
{
    writeBytes(path(), "[Base]\r\nAdrsName=book\r\n");
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadString(QStringLiteral("BASE"), QStringLiteral("ADRSNAME"), QString()), QStringLiteral("book"));
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("base")));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("bAsE"), QStringLiteral("adrsname")));

    ini.WriteString(QStringLiteral("BASE"), QStringLiteral("adrsname"), QStringLiteral("other"));
    // The existing spelling stays; no second key appears.
    EXPECT_EQ(ini.GetStrings(), (QStringList{QStringLiteral("[Base]"), QStringLiteral("AdrsName=other")}));
}

TEST_F(IniFileTest, newKeysAndSectionsGoToTheEnd)
{
    writeBytes(path(), "[B]\r\nz=1\r\na=2\r\n\r\n[A]\r\nm=3\r\n");
    TMemIniFile ini(path());
    ini.WriteString(QStringLiteral("B"), QStringLiteral("b"), QStringLiteral("4"));
    ini.WriteString(QStringLiteral("C"), QStringLiteral("c"), QStringLiteral("5"));
    ini.WriteString(QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("6"));
    EXPECT_EQ(ini.ReadSections(), (QStringList{"B", "A", "C"}));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("B")), (QStringList{"z", "a", "b"}));
    EXPECT_EQ(ini.ReadSectionValues(QStringLiteral("A")), (QStringList{"m=3", "a=6"}));
}

TEST_F(IniFileTest, loadIgnoresCommentsBlankLinesAndStrayText)
{
    writeBytes(path(), "; comment\r\n"
                "orphan=before any section\r\n"
                "no equals sign\r\n"
                "\r\n"
                "  [ BASE ]  \r\n"
                "   ; indented comment\r\n"
                "\t\r\n"
                "just words\r\n"
                "=no name\r\n"
                "  key one  =  a = b , c  \r\n"
                "list=1,2,3\n"
                "last=x\r");
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadSections(), QStringList{"BASE"});
    EXPECT_EQ(ini.ReadSectionValues(QStringLiteral("BASE")),
              (QStringList{"key one=a = b , c", "list=1,2,3", "last=x"}));
}

TEST_F(IniFileTest, firstOfDuplicateKeysWinsAndRepeatedSectionContinues)
{
    writeBytes(path(), "[A]\r\nk=first\r\nK=second\r\n[B]\r\nx=1\r\n[a]\r\nk=third\r\nn=4\r\n");
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("k"), QString()), QStringLiteral("first"));
    EXPECT_EQ(ini.ReadSections(), (QStringList{"A", "B"}));
    EXPECT_EQ(ini.ReadSectionValues(QStringLiteral("A")), (QStringList{"k=first", "n=4"}));
}

TEST_F(IniFileTest, existingEmptyValueIsNotTheDefault)
{
    writeBytes(path(), "[A]\r\nk=\r\n");
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("def")), QString());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("A"), QStringLiteral("k"), 7), 7);
}

TEST_F(IniFileTest, byteOrderMarkIsSkipped)
{
    writeBytes(path(), "\xEF\xBB\xBF[BASE]\r\nAdrsName=\xE5\xAE\xB6\r\n");
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadSections(), QStringList{"BASE"});
    EXPECT_EQ(ini.ReadString(QStringLiteral("BASE"), QStringLiteral("AdrsName"), QString()), QStringLiteral("家"));
}

TEST_F(IniFileTest, codePage932FileIsReadAndRewrittenAsUtf8)
{
    QFile::copy(TestEnvironment::dataFolder() + QStringLiteral("/ini/cp932.ini"), path());
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    TMemIniFile ini(path());
    const QString section = QStringLiteral("住所録 設定");
    EXPECT_EQ(ini.ReadSections(), (QStringList{QStringLiteral("BASE"), section}));
    EXPECT_EQ(ini.ReadString(QStringLiteral("BASE"), QStringLiteral("AdrsName"), QString()),
              QStringLiteral("お客様①"));
    // 0x5C trail bytes (ソ, 表, 能) are no path delimiters and no line ends.
    EXPECT_EQ(ini.ReadString(QStringLiteral("BASE"), QStringLiteral("DataPath"), QString()),
              QStringLiteral("C:\\ピルカノス\\データ\\"));
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("表示項目"), QString()), QStringLiteral("ソ連～表,能力"));
    // Ideographic spaces are text, not blanks to trim.
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("　全角空白　"), QString()), QStringLiteral("　値　"));

    ASSERT_TRUE(ini.UpdateFile());
    const QByteArray rewritten = fileBytes(path());
    EXPECT_TRUE(rewritten.startsWith("[BASE]\r\nAdrsName=\xE3\x81\x8A")) << rewritten.left(20).toHex(' ').constData();
    TMemIniFile again(path());
    EXPECT_EQ(again.GetStrings(), ini.GetStrings());
}

struct IntegerCase {
    const char *text;
    int expected; // with default -7
};

void PrintTo(const IntegerCase &c, std::ostream *os) { *os << '"' << c.text << '"'; }

class IniFileInteger : public IniFileTest, public ::testing::WithParamInterface<IntegerCase>
{
};

TEST_P(IniFileInteger, readsDecimalAndHexOrGivesDefault)
{
    TMemIniFile ini(path());
    ini.SetStrings({QStringLiteral("[N]"), QStringLiteral("v=") + QString::fromUtf8(GetParam().text)});
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("N"), QStringLiteral("v"), -7), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniFileInteger,
    ::testing::Values(IntegerCase{"42", 42}, IntegerCase{"-42", -42}, IntegerCase{"+5", 5}, IntegerCase{"007", 7},
                      IntegerCase{"$1F", 31}, IntegerCase{"$1f", 31}, IntegerCase{"0x1F", 31},
                      IntegerCase{"0X1f", 31}, IntegerCase{"-$10", -16}, IntegerCase{"$DFFFEF", 0xDFFFEF},
                      IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"0x80000000", std::numeric_limits<int>::min()},
                      IntegerCase{"2147483647", std::numeric_limits<int>::max()},
                      IntegerCase{"-2147483648", std::numeric_limits<int>::min()},
                      // outside the 32-bit range, and far outside 64 bits
                      IntegerCase{"2147483648", -7}, IntegerCase{"-2147483649", -7}, IntegerCase{"$100000000", -7},
                      IntegerCase{"99999999999999999999", -7}, IntegerCase{"0x1FFFFFFFFFFFFFFFF", -7},
                      // not integers
                      IntegerCase{"", -7}, IntegerCase{"$", -7}, IntegerCase{"0x", -7}, IntegerCase{"-", -7},
                      IntegerCase{"1F", -7}, IntegerCase{"x1F", -7}, IntegerCase{"1.5", -7}, IntegerCase{"1 2", -7},
                      IntegerCase{"12abc", -7}, IntegerCase{"true", -7}, IntegerCase{"$G1", -7},
                      IntegerCase{"１２", -7} /* full-width digits */, IntegerCase{"--1", -7}));

struct BoolCase {
    const char *text; // nullptr: key missing
    bool defaultValue;
    bool expected;
};

class IniFileBool : public IniFileTest, public ::testing::WithParamInterface<BoolCase>
{
};

TEST_P(IniFileBool, nonZeroIntegerIsTrueOtherwiseDefault)
{
    TMemIniFile ini(path());
    if (GetParam().text)
        ini.WriteString(QStringLiteral("B"), QStringLiteral("v"), QString::fromUtf8(GetParam().text));
    EXPECT_EQ(ini.ReadBool(QStringLiteral("B"), QStringLiteral("v"), GetParam().defaultValue), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, IniFileBool,
                         ::testing::Values(BoolCase{"1", false, true}, BoolCase{"0", true, false},
                                           BoolCase{"-1", false, true}, BoolCase{"2", false, true},
                                           BoolCase{"$0", true, false}, BoolCase{"true", false, false},
                                           BoolCase{"false", true, true}, BoolCase{"", true, true},
                                           BoolCase{nullptr, true, true}, BoolCase{nullptr, false, false}));

TEST_F(IniFileTest, boolsAreWrittenAsOneAndZero)
{
    TMemIniFile ini(path());
    ini.WriteBool(QStringLiteral("B"), QStringLiteral("on"), true);
    ini.WriteBool(QStringLiteral("B"), QStringLiteral("off"), false);
    EXPECT_EQ(ini.ReadSectionValues(QStringLiteral("B")), (QStringList{"on=1", "off=0"}));
}

TEST_F(IniFileTest, floatsUseCNotationWhateverTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TMemIniFile ini(path());
    ini.WriteFloat(QStringLiteral("F"), QStringLiteral("a"), 1.5);
    ini.WriteFloat(QStringLiteral("F"), QStringLiteral("b"), 0.1);
    ini.WriteString(QStringLiteral("F"), QStringLiteral("comma"), QStringLiteral("1,5"));
    ini.WriteString(QStringLiteral("F"), QStringLiteral("grouped"), QStringLiteral("1,000.5"));
    ini.WriteString(QStringLiteral("F"), QStringLiteral("exp"), QStringLiteral(" 2.5e3 "));
    QLocale::setDefault(saved);

    EXPECT_EQ(ini.ReadString(QStringLiteral("F"), QStringLiteral("a"), QString()), QStringLiteral("1.5"));
    EXPECT_EQ(ini.ReadFloat(QStringLiteral("F"), QStringLiteral("b"), 9.0), 0.1);
    EXPECT_EQ(ini.ReadFloat(QStringLiteral("F"), QStringLiteral("comma"), 9.0), 9.0);
    EXPECT_EQ(ini.ReadFloat(QStringLiteral("F"), QStringLiteral("grouped"), 9.0), 9.0);
    EXPECT_EQ(ini.ReadFloat(QStringLiteral("F"), QStringLiteral("exp"), 9.0), 2500.0);
    EXPECT_EQ(ini.ReadFloat(QStringLiteral("F"), QStringLiteral("missing"), 9.0), 9.0);
}

TEST_F(IniFileTest, deleteKeyAndEraseSection)
{
    writeBytes(path(), "[A]\r\nk=1\r\nm=2\r\n[B]\r\nx=1\r\n");
    TMemIniFile ini(path());
    ini.DeleteKey(QStringLiteral("a"), QStringLiteral("K"));
    ini.DeleteKey(QStringLiteral("absent"), QStringLiteral("k"));
    ini.EraseSection(QStringLiteral("b"));
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("A"), QStringLiteral("k")));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("B")));
    EXPECT_EQ(ini.GetStrings(), (QStringList{"[A]", "m=2"}));
}

TEST_F(IniFileTest, setStringsReplacesWholeContent)
{
    writeBytes(path(), "[OLD]\r\nk=1\r\n");
    TMemIniFile ini(path());
    ini.SetStrings({QStringLiteral("[NEW]"), QStringLiteral("a = 1"), QString(), QStringLiteral("[Other]")});
    EXPECT_EQ(ini.GetStrings(), (QStringList{"[NEW]", "a=1", "", "[Other]"}));
}

TEST_F(IniFileTest, failedUpdateLeavesOldFile)
{
    writeBytes(path(), "[A]\r\nk=old\r\n");
    TMemIniFile ini(path());
    ini.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("new"));
    SafeFile::setFailureHook([](SafeFile::Step s) { return s == SafeFile::Step::WriteTemporary; });
    QString error;
    const bool ok = ini.UpdateFile(&error);
    SafeFile::setFailureHook({});
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path()), "[A]\r\nk=old\r\n");
}

TEST_F(IniFileTest, updateIntoDirectoryFails)
{
    TMemIniFile ini(home.root());
    ini.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_FALSE(ini.UpdateFile());
}

TEST_F(IniFileTest, loadRecoversFromInterruptedReplace)
{
    writeBytes(SafeReplaceBackupPath(path()), "[A]\r\nk=saved\r\n");
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("k"), QString()), QStringLiteral("saved"));
    EXPECT_EQ(fileBytes(path()), "[A]\r\nk=saved\r\n");
}

} // namespace
