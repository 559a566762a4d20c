#include "platform/IniFile.h"

#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/RowName.h"
#include "support/TestEnvironment.h"
#include "support/UnreadableNotices.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {

// The stored form after its first line, which must be the encoding line
// with the sum of what follows it.
QByteArray afterEncodingLine(const QByteArray &bytes)
{
    const QByteArray prefix = "; encoding=UTF-8; crc32=";
    EXPECT_TRUE(bytes.startsWith(prefix)) << bytes.left(40).constData();
    bool hex = false;
    (void)bytes.mid(prefix.size(), 8).toUInt(&hex, 16);
    EXPECT_TRUE(hex) << bytes.left(40).constData();
    return bytes.mid(prefix.size() + 8);
}

class IniFileTest : public ::testing::Test
{
protected:
    QString path() const { return home.root() + QStringLiteral("/Murven19.ini"); }
    ScopedHome home;
};

// ---- Loading: what a file's bytes become ------------------------------------------

struct LoadCase {
    const char *name;
    const char *bytes; // nullptr: no file
    QStringList lines; // GetStrings() after loading
};

class IniFileLoad : public IniFileTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(IniFileLoad, keepsOnlySectionsAndKeyLines)
{
    if (GetParam().bytes)
        writeBytes(path(), GetParam().bytes);
    // Damaged lines are told; the telling is another test's.
    const TDamagedEntriesNotice previous = SetDamagedEntriesNotice([](const QString &, const QString &, const QStringList &) {});
    EXPECT_EQ(TMemIniFile(path()).GetStrings(), GetParam().lines);
    SetDamagedEntriesNotice(previous);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniFileLoad,
    ::testing::Values(
        LoadCase{"missingFileIsEmpty", nullptr, {}},
        LoadCase{"commentsBlankLinesAndStrayTextIgnored",
                 "; comment\r\norphan=before any section\r\nno equals sign\r\n\r\n  [ BASE ]  \r\n   ; indented\r\n"
                 "\t\r\njust words\r\n=no name\r\n  key one  =  a = b , c  \r\nlist=1,2,3\r\nlast=x",
                 {"[BASE]", "key one=a = b , c", "list=1,2,3", "last=x"}},
        // Line ends of one kind all through, as an editor saves them.
        LoadCase{"lfOrCrLineEnds", "[A]\nk=1\nm=2\n\n[B]\rx=3\r", {"[A]", "k=1", "m=2", "", "[B]", "x=3"}},
        // A lone LF among CR LF is a line end (a line added by hand); after a
        // lone CR, the LF changed or dropped glued the next line to it: that
        // line is left out (and named).
        LoadCase{"loneLineEndAmongCrLf", "[A]\r\nk=1\r\nm=2-\nn=3\ro=4\r\np=5\r\n", {"[A]", "k=1", "m=2-", "n=3", "p=5"}},
        LoadCase{"firstOfDuplicateKeysWinsAndRepeatedSectionContinues",
                 "[A]\r\nk=first\r\nK=second\r\n[B]\r\nx=1\r\n[a]\r\nk=third\r\nn=4\r\n",
                 {"[A]", "k=first", "n=4", "", "[B]", "x=1"}},
        LoadCase{"byteOrderMarkSkipped", "\xEF\xBB\xBF[BASE]\r\nAdrsName=\xE5\xAE\xB6\r\n", {"[BASE]", "AdrsName=家"}}),
    rowName);

// ---- Saving: the bytes an edit leaves ---------------------------------------------

struct SaveCase {
    const char *name;
    const char *before; // nullptr: no file
    std::function<void(TMemIniFile &)> edit;
    QByteArray after;
};

class IniFileSave : public IniFileTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(IniFileSave, writesUtf8CrLfLinesInStoredOrder)
{
    if (GetParam().before)
        writeBytes(path(), GetParam().before);
    TMemIniFile ini(path());
    GetParam().edit(ini);
    ASSERT_TRUE(ini.UpdateFile());
    // Every file with content starts with the line that names its encoding.
    if (GetParam().after.isEmpty())
        EXPECT_TRUE(sameBytes(QByteArray(), fileBytes(path())));
    else
        EXPECT_TRUE(sameBytes("\r\n" + GetParam().after, afterEncodingLine(fileBytes(path()))));
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniFileSave,
    ::testing::Values(
        SaveCase{"blankLineBetweenSectionsBoolsAsOneAndZero", nullptr,
                 [](TMemIniFile &ini) {
                     ini.WriteString("BASE", "AdrsName", QStringLiteral("アドレス"));
                     ini.WriteInteger("BASE", "Use1", 1);
                     ini.WriteBool("VIEW", "BGPaint", false);
                     ini.WriteBool("VIEW", "BGShow", true);
                 },
                 "[BASE]\r\nAdrsName=\xE3\x82\xA2\xE3\x83\x89\xE3\x83\xAC\xE3\x82\xB9\r\nUse1=1\r\n"
                 "\r\n[VIEW]\r\nBGPaint=0\r\nBGShow=1\r\n"},
        // The existing spelling stays; no second key appears.
        SaveCase{"keyOfOtherCaseIsTheSameKey", "[Base]\r\nAdrsName=book\r\n",
                 [](TMemIniFile &ini) { ini.WriteString("BASE", "adrsname", "other"); },
                 "[Base]\r\nAdrsName=other\r\n"},
        SaveCase{"newKeysAndSectionsGoToTheEnd", "[B]\r\nz=1\r\na=2\r\n\r\n[A]\r\nm=3\r\n",
                 [](TMemIniFile &ini) {
                     ini.WriteString("B", "b", "4"); ini.WriteString("C", "c", "5"); ini.WriteString("A", "a", "6");
                 },
                 "[B]\r\nz=1\r\na=2\r\nb=4\r\n\r\n[A]\r\nm=3\r\na=6\r\n\r\n[C]\r\nc=5\r\n"},
        SaveCase{"deleteKeyAndEraseSectionIgnoreCase", "[A]\r\nk=1\r\nm=2\r\n[B]\r\nx=1\r\n",
                 [](TMemIniFile &ini) { ini.DeleteKey("a", "K"); ini.DeleteKey("absent", "k"); ini.EraseSection("b"); },
                 "[A]\r\nm=2\r\n"},
        SaveCase{"setStringsReplacesWholeContent", "[OLD]\r\nk=1\r\n",
                 [](TMemIniFile &ini) { ini.SetStrings({"[NEW]", "a = 1", "", "[Other]"}); },
                 "[NEW]\r\na=1\r\n\r\n[Other]\r\n"},
        SaveCase{"clearedContentWritesEmptyFile", "[A]\r\nk=v\r\n", [](TMemIniFile &ini) { ini.Clear(); }, ""}),
    rowName);

TEST_F(IniFileTest, roundTripIsByteForByte)
{
    {
        TMemIniFile ini(path());
        ini.WriteString("BASE", "DataPath", QStringLiteral("/home/u/データ/"));
        ini.WriteString("ADRS LIST", "Columns", "1,2,,3");
        ini.WriteString("ADRS LIST", "Formula", "a=b=c");
        ini.WriteString("ADRS LIST", "Empty", QString());
        ini.WriteString("EMPTY SECTION", "x", "1");
        ini.DeleteKey("EMPTY SECTION", "x");
        ini.WriteFloat("ZOOM", "Rate", 0.1);
        ini.WriteInteger("VIEW", "BGColor", 0xDFFFEF);
        ini.WriteString(QStringLiteral("住所録"), QStringLiteral("①㈱～"), QStringLiteral("　全角の空白　"));
        ASSERT_TRUE(ini.UpdateFile());
    }
    const QByteArray first = fileBytes(path());
    ASSERT_TRUE(TMemIniFile(path()).UpdateFile());
    EXPECT_TRUE(sameBytes(first, fileBytes(path())));
}

TEST_F(IniFileTest, namesIgnoreLetterCaseAndAnEmptyValueIsNoDefault)
{
    writeBytes(path(), "[Base]\r\nAdrsName=book\r\nk=\r\n");
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadString("BASE", "ADRSNAME", QString()), QStringLiteral("book"));
    EXPECT_TRUE(ini.SectionExists("base"));
    EXPECT_TRUE(ini.ValueExists("bAsE", "adrsname"));
    EXPECT_EQ(ini.ReadSection("BASE"), (QStringList{"AdrsName", "k"}));
    EXPECT_EQ(ini.ReadString("base", "K", "def"), QString());
    EXPECT_EQ(ini.ReadInteger("base", "K", 7), 7);
}

TEST_F(IniFileTest, codePage932FileIsReadAndRewrittenAsUtf8)
{
    QFile::copy(TestEnvironment::dataFolder() + QStringLiteral("/ini/cp932.ini"), path());
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    TMemIniFile ini(path());
    const QString section = QStringLiteral("住所録 設定");
    EXPECT_EQ(ini.ReadSections(), (QStringList{"BASE", section}));
    EXPECT_EQ(ini.ReadString("BASE", "AdrsName", QString()), QStringLiteral("お客様①"));
    // 0x5C trail bytes (ソ, 表, 能) are no path delimiters and no line ends.
    EXPECT_EQ(ini.ReadString("BASE", "DataPath", QString()), QStringLiteral("C:\\ピルカノス\\データ\\"));
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("表示項目"), QString()), QStringLiteral("ソ連～表,能力"));
    // Ideographic spaces are text, not blanks to trim.
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("　全角空白　"), QString()), QStringLiteral("　値　"));

    ASSERT_TRUE(ini.UpdateFile());
    const QByteArray rewritten = fileBytes(path());
    EXPECT_TRUE(afterEncodingLine(rewritten).startsWith("\r\n[BASE]\r\nAdrsName=\xE3\x81\x8A")) << rewritten.left(50).toHex(' ').constData();
    EXPECT_EQ(TMemIniFile(path()).GetStrings(), ini.GetStrings());
}

// ---- Numbers ----------------------------------------------------------------------

struct IntegerCase {
    const char *text;
    int expected; // with default -7
};

void PrintTo(const IntegerCase &c, std::ostream *os) { *os << '"' << c.text << '"'; }
class IniFileInteger : public IniFileTest, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(IniFileInteger, readsDecimalAndHexOrGivesDefault)
{
    TMemIniFile ini(path());
    ini.SetStrings({"[N]", QStringLiteral("v=") + QString::fromUtf8(GetParam().text)});
    EXPECT_EQ(ini.ReadInteger("N", "v", -7), GetParam().expected);
}

constexpr int kMin = std::numeric_limits<int>::min();
const IntegerCase kIntegers[] = {
    {"-42", -42}, {"+5", 5}, {"$1f", 31}, {"0X1f", 31}, {"-$10", -16}, {"$FFFFFFFF", -1}, {"0x80000000", kMin},
    {"2147483647", std::numeric_limits<int>::max()}, {"-2147483648", kMin},
    // outside the 32-bit range, at the ends of 64 bits and beyond, where a
    // magnitude that wraps around would come back small
    {"2147483648", -7}, {"-2147483649", -7}, {"$100000000", -7}, {"9223372036854775808", -7},
    {"-9223372036854775809", -7}, {"18446744073709551617", -7}, {"0x10000000000000001", -7},
    // not integers; the last but one has full-width digits
    {"", -7}, {"$", -7}, {"0x", -7}, {"1F", -7}, {"1.5", -7}, {"12abc", -7}, {"１２", -7}, {"--1", -7}};

INSTANTIATE_TEST_SUITE_P(Table, IniFileInteger, ::testing::ValuesIn(kIntegers));

struct BoolCase {
    const char *text; // nullptr: key missing
    bool defaultValue;
    bool expected;
};

void PrintTo(const BoolCase &c, std::ostream *os)
{
    *os << (c.text ? c.text : "<missing>") << " default " << c.defaultValue;
}

class IniFileBool : public IniFileTest, public ::testing::WithParamInterface<BoolCase> {};

TEST_P(IniFileBool, nonZeroIntegerIsTrueOtherwiseDefault)
{
    TMemIniFile ini(path());
    if (GetParam().text)
        ini.WriteString("B", "v", QString::fromUtf8(GetParam().text));
    EXPECT_EQ(ini.ReadBool("B", "v", GetParam().defaultValue), GetParam().expected);
}

const BoolCase kBools[] = {{"0", true, false}, {"-1", false, true}, {"$0", true, false}, {"true", false, false},
                           {"", true, true}, {nullptr, true, true}};

INSTANTIATE_TEST_SUITE_P(Table, IniFileBool, ::testing::ValuesIn(kBools));

TEST_F(IniFileTest, floatsUseCNotationWhateverTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TMemIniFile ini(path());
    ini.WriteFloat("F", "a", 1.5);
    ini.WriteFloat("F", "b", 0.1);
    ini.WriteString("F", "comma", "1,5");
    ini.WriteString("F", "grouped", "1,000.5");
    ini.WriteString("F", "exp", " 2.5e3 ");
    QLocale::setDefault(saved);

    EXPECT_EQ(ini.ReadString("F", "a", QString()), QStringLiteral("1.5"));
    EXPECT_EQ(ini.ReadFloat("F", "b", 9.0), 0.1);
    EXPECT_EQ(ini.ReadFloat("F", "comma", 9.0), 9.0);
    EXPECT_EQ(ini.ReadFloat("F", "grouped", 9.0), 9.0);
    EXPECT_EQ(ini.ReadFloat("F", "exp", 9.0), 2500.0);
    EXPECT_EQ(ini.ReadFloat("F", "missing", 9.0), 9.0);
}

// ---- Blanks at the ends ------------------------------------------------------------

class IniFileExactText : public IniFileTest, public ::testing::WithParamInterface<const char16_t *> {};

// The text as a section name, a key and a value, written and read back from the file.
TEST_P(IniFileExactText, readsBackAsWritten)
{
    const QString text = QString::fromUtf16(GetParam());
    {
        TMemIniFile ini(path());
        ini.WriteString(text, text, text);
        ini.WriteString(text, QStringLiteral("after"), QStringLiteral("x"));
        ASSERT_TRUE(ini.UpdateFile());
    }
    const TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadSections(), QStringList{text});
    EXPECT_EQ(ini.ReadSection(text), (QStringList{text, QStringLiteral("after")}));
    EXPECT_EQ(ini.ReadString(text, text, QStringLiteral("<missing>")), text);
    EXPECT_FALSE(ini.Unreadable());
}

INSTANTIATE_TEST_SUITE_P(Table, IniFileExactText,
                         ::testing::Values(u" X", u"X ", u"  two  ", u"\tTab", u"end\t", u"\"quoted\"", u"\"\"",
                                           u"\" open", u"a \"b\" c", u"　全角　", u"; not a comment ",
                                           u"a=b", u"=lead", u"\"x=y\"", u";comment-like", u"[section-like]",
                                           u"[open"));

TEST_F(IniFileTest, blanksAroundOlderValuesAreStillNoPartOfThem)
{
    writeBytes(path(), "[ BASE ]\r\n  AdrsName =  book  \r\nquoted= \"  kept  \" \r\n");
    const TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadString("BASE", "AdrsName", QString()), QStringLiteral("book"));
    EXPECT_EQ(ini.ReadString("BASE", "quoted", QString()), QStringLiteral("  kept  "));
}

// ---- Unreadable files -------------------------------------------------------------

// Records what the program would tell the user.
class IniFileNotice : public IniFileTest
{
protected:
    struct Told {
        QString file;
        QString keptAs;
    };
    void SetUp() override
    {
        m_previous = SetUnreadableFileNotice(
            [this](const QString &file, const QString &keptAs, const QString &) { m_told.append({file, keptAs}); });
    }
    void TearDown() override { SetUnreadableFileNotice(m_previous); }
    // The files beside path() other than path() itself.
    QStringList keptCopies() const
    {
        return QDir(home.root()).entryList({QStringLiteral("Murven19.ini.unreadable-*")}, QDir::Files);
    }

    QList<Told> m_told;
    TUnreadableFileNotice m_previous;
};

struct ContentCase {
    const char *name;
    QByteArray bytes;
    bool unreadable;
};

class IniFileContent : public IniFileNotice, public ::testing::WithParamInterface<ContentCase> {};

TEST_P(IniFileContent, unreadableFileIsKeptAsideAndToldOnce)
{
    writeBytes(path(), GetParam().bytes);
    TMemIniFile ini(path());
    EXPECT_EQ(ini.Unreadable(), GetParam().unreadable);
    if (!GetParam().unreadable) {
        EXPECT_TRUE(m_told.isEmpty());
        EXPECT_TRUE(keptCopies().isEmpty());
        return;
    }
    EXPECT_TRUE(ini.GetStrings().isEmpty()) << "defaults, not part of the damaged file";
    ASSERT_EQ(keptCopies().size(), 1);
    const QString copy = home.root() + QLatin1Char('/') + keptCopies().first();
    EXPECT_EQ(ini.KeptAsidePath(), copy);
    EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(copy)));
    ASSERT_EQ(m_told.size(), 1);
    EXPECT_EQ(m_told[0].file, path());
    EXPECT_EQ(m_told[0].keptAs, copy);

    ini.WriteString("BASE", "DataPath", "/data/");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(copy))) << "the copy is never written";
    EXPECT_EQ(TMemIniFile(path()).ReadString("BASE", "DataPath", QString()), "/data/");
    EXPECT_EQ(m_told.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniFileContent,
    ::testing::Values(
        ContentCase{"binary", QByteArray("PK\3\4\0\0\x14\0k=v\0\r\n", 14), true},
        ContentCase{"neitherUtf8NorCp932", "[BASE]\r\nk=\xFF\xFE\x80\r\n", true},
        ContentCase{"textWithoutSection", "DataPath=/home/u/books\r\n", true},
        // Cut short to nothing: every setting is gone.
        ContentCase{"empty", "", true},
        ContentCase{"blanks", " \r\n\r\n", true},
        ContentCase{"theEncodingLineAlone", "; encoding=UTF-8\r\n", true},
        ContentCase{"codePage932", "[BASE]\r\nAdrsName=\x83\x5C\x83\x74\x83\x67\r\n", false},
        ContentCase{"sectionOnly", "[BASE]\r\n", false}),
    rowName);

TEST_F(IniFileNotice, aFolderInTheFilesPlaceIsNoUnreadableFile)
{
    ASSERT_TRUE(QDir().mkpath(path()));
    const TMemIniFile ini(path());
    EXPECT_FALSE(ini.Unreadable());
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_TRUE(m_told.isEmpty());
}

// Where the damaged file cannot be moved, it stays and no update goes over it.
TEST_F(IniFileNotice, aDamagedFileThatCannotBeMovedIsNeverWrittenOver)
{
    const QByteArray damaged = "DataPath=/home/u/books\r\n";
    writeBytes(path(), damaged);
    RefusedMovesAside refused;
    TMemIniFile ini(path());
    EXPECT_TRUE(ini.Unreadable());
    EXPECT_TRUE(ini.KeptAsidePath().isEmpty());
    ini.WriteString("BASE", "DataPath", "/data/");
    QString error;
    EXPECT_FALSE(ini.UpdateFile(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(sameBytes(damaged, fileBytes(path())));
    ASSERT_EQ(m_told.size(), 1);
    EXPECT_TRUE(m_told[0].keptAs.isEmpty());
}

// Random bytes and damaged copies of a real file: loading never fails hard,
// and what is not loaded is kept byte for byte.
TEST_F(IniFileNotice, garbageNeverCrashesTheReaderAndIsKeptWhole)
{
    const QByteArray valid = "[BASE]\r\nDataPath=/home/u/データ/\r\nAdrsName=\" 顧客 \"\r\n\r\n[ADRS LIST]\r\nLeft=10\r\n";
    // Damaged lines of a file read are told too, and a copy kept.
    const TDamagedEntriesNotice previous = SetDamagedEntriesNotice([](const QString &, const QString &, const QStringList &) {});
    QRandomGenerator random(20240501);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        if (round % 3 == 0) {
            bytes.resize(random.bounded(0, 400));
            for (char &c : bytes)
                c = char(random.bounded(256));
        } else {
            bytes = valid.left(random.bounded(valid.size() + 1));
            for (int flips = random.bounded(4); flips > 0 && !bytes.isEmpty(); --flips)
                bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        }
        writeBytes(path(), bytes);
        const TMemIniFile ini(path());
        (void)ini.ReadString("BASE", "DataPath", QString());
        (void)ini.ReadInteger("ADRS LIST", "Left", 0);
        if (ini.Unreadable()) {
            ASSERT_FALSE(ini.KeptAsidePath().isEmpty()) << "round " << round;
            ASSERT_TRUE(sameBytes(bytes, fileBytes(ini.KeptAsidePath()))) << "round " << round;
            ASSERT_FALSE(QFileInfo::exists(path()));
            ASSERT_TRUE(QFile::remove(ini.KeptAsidePath()));
        } else {
            ASSERT_TRUE(sameBytes(bytes, fileBytes(path()))) << "round " << round;
            if (!ini.DamagedCopyPath().isEmpty()) {
                ASSERT_TRUE(sameBytes(bytes, fileBytes(ini.DamagedCopyPath()))) << "round " << round;
                ASSERT_TRUE(QFile::remove(ini.DamagedCopyPath()));
            }
        }
    }
    SetDamagedEntriesNotice(previous);
}

// ---- Damaged entries of a file the program wrote -----------------------------------

class IniFileDamage : public IniFileTest
{
protected:
    struct Told {
        QString file;
        QString keptAs;
        QStringList entries;
    };
    void SetUp() override
    {
        m_previous = SetDamagedEntriesNotice([this](const QString &file, const QString &keptAs,
                                                    const QStringList &entries) { m_told.append({file, keptAs, entries}); });
    }
    void TearDown() override { SetDamagedEntriesNotice(m_previous); }
    // The file as the program writes it: three group names and a book name.
    QByteArray written() const
    {
        TMemIniFile ini(path());
        for (int i = 1; i <= 3; ++i)
            ini.WriteString("GROUP", QStringLiteral("Group%1").arg(i), QStringLiteral("友人%1").arg(i));
        ini.WriteString("BASE", "AdrsName", QStringLiteral("お客様"));
        EXPECT_TRUE(ini.UpdateFile());
        return fileBytes(path());
    }
    QStringList copies() const
    {
        return QDir(home.root()).entryList({QStringLiteral("Murven19.ini.damaged-*")}, QDir::Files);
    }

    QList<Told> m_told;
    TDamagedEntriesNotice m_previous;
    // Damage past the entries (to the encoding line) makes unreadable files.
    RecordedUnreadableNotices m_unreadable;
};

struct DamageCase {
    const char *name;
    const char *near;    // the damaged bytes are those after this text
    QByteArray bytes;    // written over them
    QStringList entries; // named as damaged
    QStringList restored; // named as read with the value written
};

class IniFileDamagedEntry : public IniFileDamage, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(IniFileDamagedEntry, aloneKeepsItsDefaultWhileTheOthersAreReadAndACopyIsKept)
{
    QByteArray bytes = written();
    const qsizetype at = bytes.indexOf(GetParam().near);
    ASSERT_GE(at, 0);
    bytes.replace(at + qstrlen(GetParam().near), GetParam().bytes.size(), GetParam().bytes);
    writeBytes(path(), bytes);

    TMemIniFile ini(path());
    EXPECT_EQ(ini.DamagedEntries(), GetParam().entries);
    EXPECT_EQ(ini.RestoredEntries(), GetParam().restored);
    EXPECT_TRUE(ini.NotAsWritten());
    const auto expected = [&](const QString &key, const QString &value) {
        const bool lost = std::any_of(GetParam().entries.cbegin(), GetParam().entries.cend(),
                                      [&](const QString &e) { return e.endsWith("] " + key); });
        return lost ? QStringLiteral("default") : value;
    };
    for (int i = 1; i <= 3; ++i) {
        const QString key = QStringLiteral("Group%1").arg(i);
        EXPECT_EQ(ini.ReadString("GROUP", key, "default"), expected(key, QStringLiteral("友人%1").arg(i)));
    }
    EXPECT_EQ(ini.ReadString("BASE", "AdrsName", "default"), expected("AdrsName", QStringLiteral("お客様")));
    // Told whenever the file is not as written, even when every entry reads.
    ASSERT_EQ(copies().size(), 1);
    const QString copy = home.root() + QLatin1Char('/') + copies().first();
    EXPECT_EQ(ini.DamagedCopyPath(), copy);
    EXPECT_TRUE(sameBytes(bytes, fileBytes(copy)));
    EXPECT_TRUE(sameBytes(bytes, fileBytes(path()))) << "reading changes nothing";
    ASSERT_EQ(m_told.size(), 1);
    EXPECT_EQ(m_told[0].file, path());
    EXPECT_EQ(m_told[0].keptAs, copy);
    QStringList told = GetParam().entries;
    for (const QString &entry : GetParam().restored)
        told << entry + QStringLiteral("（プログラムが書いた値で読み込みました）");
    EXPECT_EQ(m_told[0].entries, told);

    // Every reader of the same damage meets the copy already kept.
    EXPECT_EQ(TMemIniFile(path()).DamagedCopyPath(), copy);
    EXPECT_EQ(copies().size(), 1);
    EXPECT_EQ(m_told.size(), 1);

    ASSERT_TRUE(ini.UpdateFile());
    const TMemIniFile again(path());
    EXPECT_FALSE(again.NotAsWritten());
    EXPECT_EQ(again.GetStrings(), ini.GetStrings()) << "nothing of the damage is written back";
    EXPECT_TRUE(afterEncodingLine(fileBytes(path())).startsWith("\r\n[GROUP]\r\n"));
    EXPECT_TRUE(sameBytes(bytes, fileBytes(copy))) << "the copy is never written";
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniFileDamagedEntry,
    ::testing::Values(
        // 友 is E5 8F 8B: two of its bytes made letters, or zeros; the sum
        // locates no one byte.
        DamageCase{"twoBytesInsideAName", "Group2=\xE5", "AB", {"[GROUP] Group2"}, {}},
        DamageCase{"zeroBytesInAName", "Group3=\xE5\x8F\x8B\xE4", QByteArray(2, '\0'), {"[GROUP] Group3"}, {}},
        // Its keys belong to no section that can be told.
        DamageCase{"sectionLine", "\r\n\r\n[B", "\xC2\xC2", {"[BE]", "[BE] AdrsName"}, {}},
        // One byte the sum locates: put back as written, and said so.
        DamageCase{"oneByteInsideAName", "Group2=\xE5", "A", {}, {"[GROUP] Group2"}},
        DamageCase{"oneByteOfASectionLine", "\r\n\r\n[", "\xC2", {}, {"[BASE]"}},
        DamageCase{"encodingLineItself", "; encoding=", "V", {}, {}},
        // A run of bad bytes over the mark line leaves no mark to read.
        DamageCase{"runOverTheMarkLine", "; enc", "\x06=7\x18\xFB\xD6*E\xF9\xAE\xE8", {}, {}},
        DamageCase{"runOfLettersOverTheMarkLine", "; enc", "gXNYZvy{F-", {}, {}}),
    rowName);

// Damage the sum cannot locate that changes the form alone: the mark split
// by a line end, the sum's digits in upper case, the last line end cut, a
// blank line put in. Every entry reads as written, and the file is told as
// not as written, with a copy; cut to nothing, it is kept aside.
TEST_F(IniFileDamage, formDamageNoSumLocatesIsToldWithEveryEntryRead)
{
    const QByteArray valid = written();
    const qsizetype digits = valid.indexOf("crc32=") + 6;
    QByteArray upper = valid;
    for (qsizetype i = digits; i < digits + 8; ++i)
        upper[i] = char(std::toupper(quint8(upper[i])));
    QList<std::pair<const char *, QByteArray>> cases{
        {"lineEndInTheEncodingWords", QByteArray(valid).insert(4, '\n')},
        {"lineEndAfterTheEncodingWords", QByteArray(valid).insert(16, '\n')},
        {"lineEndBeforeTheSum", QByteArray(valid).insert(17, '\r')},
        {"lastLineEndCut", valid.chopped(2)},
        {"blankLinePutIn", QByteArray(valid).replace("[BASE]", "\r\n[BASE]")}};
    if (upper != valid)
        cases.append({"sumInUpperCase", upper});
    for (const auto &[name, bytes] : cases) {
        m_told.clear();
        for (const QString &copy : copies())
            QFile::remove(home.root() + QLatin1Char('/') + copy);
        writeBytes(path(), bytes);
        const TMemIniFile ini(path());
        EXPECT_TRUE(ini.NotAsWritten()) << name;
        EXPECT_EQ(m_told.size(), 1) << name;
        EXPECT_EQ(copies().size(), 1) << name;
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(ini.ReadString("GROUP", QStringLiteral("Group%1").arg(i), "default"), QStringLiteral("友人%1").arg(i)) << name;
        EXPECT_EQ(ini.ReadString("BASE", "AdrsName", "default"), QStringLiteral("お客様")) << name;
    }
}

TEST_F(IniFileDamage, aDamagedFileOfWhichNoCopyCanBeKeptIsNeverWrittenOver)
{
    QByteArray bytes = written();
    // Two bytes of 友: no one byte the sum can locate.
    bytes[bytes.indexOf("Group1=") + 8] = 'A';
    bytes[bytes.indexOf("Group1=") + 9] = 'B';
    writeBytes(path(), bytes);
    RefusedMovesAside refused;
    TMemIniFile ini(path());
    EXPECT_EQ(ini.DamagedEntries(), QStringList{"[GROUP] Group1"});
    EXPECT_TRUE(ini.DamagedCopyPath().isEmpty());
    ASSERT_EQ(m_told.size(), 1);
    EXPECT_TRUE(m_told[0].keptAs.isEmpty());
    ini.WriteString("GROUP", "Group1", "new");
    QString error;
    EXPECT_FALSE(ini.UpdateFile(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(sameBytes(bytes, fileBytes(path())));
}

// Random damage to a file the program wrote: the reader never fails hard,
// never changes the file, and keeps a copy of every damage it leaves out.
TEST_F(IniFileDamage, randomDamageIsReadEntryByEntryOrKeptWhole)
{
    const QByteArray valid = written();
    QRandomGenerator random(20240506);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes = valid;
        for (int flips = 1 + random.bounded(3); flips > 0; --flips)
            bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        writeBytes(path(), bytes);
        const TMemIniFile ini(path());
        if (ini.Unreadable()) {
            ASSERT_TRUE(sameBytes(bytes, fileBytes(ini.KeptAsidePath()))) << "round " << round;
            ASSERT_TRUE(QFile::remove(ini.KeptAsidePath()));
            continue;
        }
        ASSERT_TRUE(sameBytes(bytes, fileBytes(path()))) << "round " << round;
        // Any damage to the program's file is told, and a copy kept.
        ASSERT_EQ(bytes != valid, ini.NotAsWritten()) << "round " << round << bytes.toHex(' ').constData();
        ASSERT_EQ(ini.NotAsWritten(), !ini.DamagedCopyPath().isEmpty()) << "round " << round;
        if (!ini.DamagedCopyPath().isEmpty()) {
            ASSERT_TRUE(sameBytes(bytes, fileBytes(ini.DamagedCopyPath()))) << "round " << round;
            ASSERT_TRUE(QFile::remove(ini.DamagedCopyPath()));
        }
        // An undamaged name reads as it was written, never as other text.
        for (int i = 1; i <= 3; ++i) {
            const QString name = ini.ReadString("GROUP", QStringLiteral("Group%1").arg(i), QString());
            ASSERT_FALSE(name.contains(QChar(0xFFFD))) << "round " << round;
        }
    }
}

// A damaged byte where a section's own line begins: the line can no longer be
// told for a section, yet the keys under it must neither vanish untold nor
// join the section before it.
TEST_F(IniFileDamage, aFirstSectionWhoseBracketIsDamagedLosesNoKeyUntold)
{
    QByteArray bytes = written();
    const qsizetype at = bytes.indexOf("[GROUP]");
    ASSERT_GE(at, 0);
    bytes[at] = '\xC2';
    writeBytes(path(), bytes);

    TMemIniFile ini(path());
    if (ini.ReadString("GROUP", "Group1", "default") == "default") {
        EXPECT_FALSE(ini.DamagedEntries().isEmpty()) << "group names left out without a word";
        EXPECT_FALSE(ini.DamagedCopyPath().isEmpty()) << "no copy kept of what was left out";
    }
    ini.WriteString("BASE", "AdrsName", QStringLiteral("別の本"));
    (void)ini.UpdateFile();
    const bool copyHoldsThem = !ini.DamagedCopyPath().isEmpty() && sameBytes(bytes, fileBytes(ini.DamagedCopyPath()));
    EXPECT_TRUE(TMemIniFile(path()).ReadString("GROUP", "Group1", QString()) == QStringLiteral("友人1") || copyHoldsThem)
        << "the group names are gone from the file and from any copy";
}

TEST_F(IniFileDamage, keysOfASectionWhoseBracketIsDamagedNeverJoinTheSectionBefore)
{
    QByteArray bytes = written();
    const qsizetype at = bytes.indexOf("[BASE]");
    ASSERT_GE(at, 0);
    bytes[at] = '\xC2';
    writeBytes(path(), bytes);

    const TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadSection("GROUP"), (QStringList{"Group1", "Group2", "Group3"}))
        << "a book name read as a group name";
}

// A byte that shapes the file (a section line's brackets and line end, the
// blank line before it, a key line's '=') turned into any other byte, ASCII
// too: every entry still reads under its own section or is named as
// damaged with a copy kept, and none joins another section.
TEST_F(IniFileDamage, anyByteInTheFilesFrameLosesOrMovesNoEntryUntold)
{
    const QByteArray valid = written();
    const qsizetype base = valid.indexOf("\r\n\r\n[BASE]\r\n");
    const qsizetype equals = valid.indexOf("Group2=") + 6;
    ASSERT_GE(base, 0);
    QList<qsizetype> places{equals};
    // Not the line end before a key: a letter there is one of its name.
    for (const qsizetype at : {0, 1, 2, 3, 4, 9, 10})
        places << base + at;
    const QStringList groups{"Group1", "Group2", "Group3"};
    // No copies: hundreds of them would each be synced to the disk.
    RefusedMovesAside noCopies;
    qsizetype told = 0;
    for (const qsizetype at : places) {
        for (int byte = 0; byte < 256; ++byte) {
            if (char(byte) == valid[at])
                continue;
            QByteArray bytes = valid;
            bytes[at] = char(byte);
            // A new file: one cut to nothing and written again is flushed at once.
            QFile::remove(path());
            writeBytes(path(), bytes);
            const TMemIniFile ini(path());
            const QString where = QStringLiteral("byte %1 (%2) made 0x%3")
                                      .arg(at)
                                      .arg(QLatin1String(valid.mid(at, 1).toHex()))
                                      .arg(QLatin1String(bytes.mid(at, 1).toHex()));
            // The sum locates the one changed byte: the file reads as written,
            // and the user is told it was not as written.
            ASSERT_FALSE(ini.Unreadable()) << qPrintable(where);
            for (int i = 1; i <= 3; ++i)
                EXPECT_EQ(ini.ReadString("GROUP", groups[i - 1], QString()), QStringLiteral("友人%1").arg(i)) << qPrintable(where);
            EXPECT_EQ(ini.ReadSection("GROUP"), groups) << qPrintable(where);
            EXPECT_EQ(ini.ReadString("BASE", "AdrsName", QString()), QStringLiteral("お客様")) << qPrintable(where);
            EXPECT_TRUE(ini.DamagedEntries().isEmpty()) << qPrintable(where);
            EXPECT_TRUE(ini.NotAsWritten()) << qPrintable(where);
            EXPECT_EQ(m_told.size(), ++told) << qPrintable(where);
        }
    }
}

// The line end after the encoding line damaged: the file is still the
// program's UTF-8, never text of code page 932.
TEST_F(IniFileDamage, aDamagedLineEndAfterTheEncodingLineNeverReadsTheFileAsCodePage932)
{
    {
        TMemIniFile ini(path());
        ini.WriteString("GROUP", "Group1", QStringLiteral("友人1"));
        ASSERT_TRUE(ini.UpdateFile());
    }
    QByteArray bytes = fileBytes(path());
    const qsizetype lineEnd = bytes.indexOf("\r\n");
    ASSERT_EQ(afterEncodingLine(bytes).left(2), "\r\n");
    bytes[lineEnd] = '\xB0';
    writeBytes(path(), bytes);

    TMemIniFile ini(path());
    const QString name = ini.ReadString("GROUP", "Group1", "default");
    EXPECT_TRUE(name == QStringLiteral("友人1") || name == "default") << qPrintable(name);
    (void)ini.UpdateFile();
    const QString after = TMemIniFile(path()).ReadString("GROUP", "Group1", "default");
    EXPECT_TRUE(after == QStringLiteral("友人1") || after == "default") << "written back as other text";
}

// ---- One changed byte anywhere in the files the program writes ----------------------

struct Entry {
    QString section;
    QString key;
    QString value;
};

// The program's own files as it writes them: a book's group names, the book
// order and the main settings.
QList<Entry> groupNames()
{
    const QStringList names{"友人", "仕事", "家族", "個人用アドレス帳", "ゴルフ仲間", "PTA", "取引先 A", "年賀状",
                            "ｶﾅ名簿", "親戚①"};
    QList<Entry> entries;
    for (int i = 0; i < names.size(); ++i)
        entries.append({"GROUP", QStringLiteral("Group%1").arg(i + 1), names[i]});
    return entries;
}

QList<Entry> bookOrder()
{
    return {{"SORT", "1", "アドレス"}, {"SORT", "2", "仕事用"}, {"SORT", "3", "Book 2"}, {"SORT", "4", "個人用"}};
}

QList<Entry> mainSettings()
{
    QList<Entry> entries{{"UPDATE PARAMETER", "Domain", "update.example.jp"},
                         {"BASE", "DataPath", "/home/user/データ/"},
                         {"BASE", "AdrsName", "個人用アドレス帳"}};
    for (int i = 1; i <= 7; ++i)
        entries.append({"BASE", QStringLiteral("Use%1").arg(i), i % 3 ? "1" : "0"});
    entries += QList<Entry>{{"OPERATION", "HisCount", "10"},  {"OPERATION", "ViewSplash", "1"},
                            {"ADDRESS", "ChangeData", "1"},   {"ADDRESS", "SameNum", "0"},
                            {"VIEW", "BGPaint", "1"},         {"VIEW", "BGColor", "14680047"},
                            {"COOPERATE", "Map", "2"},        {"UPDATE", "UpdateCheck", "1"},
                            {"ADRS LIST", "Left", "120"},     {"ADRS LIST", "Columns", "1,2,,3"}};
    return entries;
}

class IniFileOneByte : public IniFileDamage
{
protected:
    // The entry is among those named damaged (under its section, or under
    // the name its damaged section line gave).
    static bool isNamed(const QStringList &named, const Entry &e)
    {
        return std::any_of(named.cbegin(), named.cend(), [&](const QString &n) {
            return n.endsWith(QStringLiteral("] ") + e.key, Qt::CaseInsensitive);
        });
    }
    // A new file each time: a file cut to nothing and written again is
    // flushed to the disk at once, which thousands of files cannot wait for.
    void writeAnew(const QByteArray &bytes) const
    {
        QFile::remove(path());
        writeBytes(path(), bytes);
    }
    QByteArray written(const QList<Entry> &entries) const
    {
        TMemIniFile ini(path());
        for (const Entry &e : entries)
            ini.WriteString(e.section, e.key, e.value);
        EXPECT_TRUE(ini.UpdateFile());
        return fileBytes(path());
    }
    // The entries that read otherwise than written although no damage was
    // named at all, and those whose own damage was not named (another
    // entry's was). A file set aside whole is told whole.
    struct Misread {
        int silent = 0;
        int unnamed = 0;
    };
    Misread readBack(const QByteArray &bytes, const QList<Entry> &entries) const
    {
        writeAnew(bytes);
        const TMemIniFile ini(path());
        Misread misread;
        if (ini.Unreadable())
            return misread;
        const QStringList named = ini.DamagedEntries();
        for (const Entry &e : entries) {
            if (ini.ReadString(e.section, e.key, QStringLiteral("\x01")) == e.value)
                continue;
            if (named.isEmpty())
                ++misread.silent;
            else if (!isNamed(named, e))
                ++misread.unnamed;
        }
        return misread;
    }
    // Each byte of the file at `from` onwards changed into each of `values`.
    Misread everyPlace(const QByteArray &valid, const QList<Entry> &entries, const QList<int> &values,
                       qsizetype from = 0, qsizetype to = -1) const
    {
        Misread total;
        for (qsizetype at = from; at < (to < 0 ? valid.size() : to); ++at) {
            for (const int value : values) {
                if (char(value) == valid[at])
                    continue;
                QByteArray bytes = valid;
                bytes[at] = char(value);
                const Misread one = readBack(bytes, entries);
                EXPECT_EQ(one.silent + one.unnamed, 0)
                    << "byte " << at << " (0x" << valid.mid(at, 1).toHex().constData() << ") made 0x"
                    << bytes.mid(at, 1).toHex().constData() << ": " << one.silent << " misread untold, "
                    << one.unnamed << " misread with another entry named";
                total.silent += one.silent;
                total.unnamed += one.unnamed;
            }
        }
        return total;
    }
    // No copy is kept, so that thousands of damaged files take no disk syncs;
    // the copies are another test's.
    RefusedMovesAside m_noCopies;
};

// Bytes a damage makes: the line ends, the brackets, '=' and ';' of the
// frame, letters and digits that make another name, and bytes beyond ASCII
// that cut a character or make another.
QList<int> damagingBytes()
{
    return {0x00, 0x09, 0x0A, 0x0D, 0x20, '"', '0', '3', ';', '=', 'A', 'G', 'a', '[', ']',
            0x80, 0x8F, 0xA0, 0xB0, 0xC2, 0xE3, 0xE5, 0xEF, 0xFF};
}

struct OneByteCase {
    const char *name;
    QList<Entry> (*entries)();
};

class IniFileOneByteChange : public IniFileOneByte, public ::testing::WithParamInterface<OneByteCase> {};

TEST_P(IniFileOneByteChange, readsEveryEntryAsWrittenOrNamesItsDamage)
{
    const QList<Entry> entries = GetParam().entries();
    const QByteArray valid = written(entries);
    const Misread misread = everyPlace(valid, entries, damagingBytes());
    EXPECT_EQ(misread.silent, 0);
    EXPECT_EQ(misread.unnamed, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, IniFileOneByteChange,
                         ::testing::Values(OneByteCase{"groupNames", groupNames}, OneByteCase{"bookOrder", bookOrder},
                                           OneByteCase{"mainSettings", mainSettings}),
                         rowName);

// A byte of the encoding line (its line end too) made one beyond ASCII (no
// character, the lead of a two-byte one, a trail byte): the Japanese entries
// still read as written, or their damage is named.
TEST_F(IniFileOneByte, anEncodingLineByteMadeOneBeyondAsciiLeavesTheJapaneseEntriesAsWritten)
{
    const QList<Entry> entries = groupNames();
    const QByteArray valid = written(entries);
    const qsizetype lineEnd = valid.indexOf("\r\n") + 2;
    for (const int value : {0xFF, 0xC2, 0x8F}) {
        for (qsizetype at = 0; at < lineEnd; ++at) {
            QByteArray bytes = valid;
            bytes[at] = char(value);
            writeAnew(bytes);
            const TMemIniFile ini(path());
            ASSERT_FALSE(ini.Unreadable()) << "byte " << at << " made " << value;
            for (const Entry &e : entries) {
                const QString read = ini.ReadString(e.section, e.key, QString());
                EXPECT_TRUE(read == e.value || ini.DamagedEntries().contains("[GROUP] " + e.key))
                    << "byte " << at << " made " << value << ": " << qPrintable(read);
            }
        }
    }
}

// Files without the sum: the previous versions' files (UTF-8, with or
// without the encoding line) and the original program's (code page 932).
// Each keeps every entry but the one a changed byte lies in.
struct OlderCase {
    const char *name;
    QByteArray head;   // what the file starts with
    bool cp932;
};

class IniFileOlderFile : public IniFileOneByte, public ::testing::WithParamInterface<OlderCase> {};

TEST_P(IniFileOlderFile, keepsItsOtherEntriesAfterOneChangedByteInAName)
{
    const QList<Entry> entries = groupNames();
    QByteArray valid = GetParam().head + "[GROUP]\r\n";
    for (const Entry &e : entries)
        valid += (e.key + QLatin1Char('=') + e.value).toUtf8() + "\r\n";
    if (GetParam().cp932)
        valid = Cp932::encode(QString::fromUtf8(valid));
    ASSERT_EQ(readBack(valid, entries).silent, 0);
    ASSERT_TRUE(m_told.isEmpty()) << "the file as written is no damage";
    // Every byte of every name (the bytes beyond ASCII), into the bytes that damage.
    for (qsizetype at = 0; at < valid.size(); ++at) {
        if (quint8(valid[at]) < 0x80)
            continue;
        for (const int value : damagingBytes()) {
            if (char(value) == valid[at] || value == '\r' || value == '\n')
                continue;
            QByteArray bytes = valid;
            bytes[at] = char(value);
            writeAnew(bytes);
            const TMemIniFile ini(path());
            ASSERT_FALSE(ini.Unreadable()) << "byte " << at << " made " << value;
            int otherwise = 0;
            for (const Entry &e : entries) {
                const QString read = ini.ReadString(e.section, e.key, QString());
                if (read == e.value)
                    continue;
                ++otherwise;
                EXPECT_TRUE(ini.DamagedEntries().contains("[GROUP] " + e.key) || !read.contains(QChar::ReplacementCharacter))
                    << "byte " << at << " made " << value << ": " << qPrintable(read);
            }
            // Only the entry the byte lies in; a text that cannot be read is named.
            EXPECT_LE(otherwise, 1) << "byte " << at << " made " << value;
            EXPECT_LE(ini.DamagedEntries().size(), 1) << "byte " << at << " made " << value;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, IniFileOlderFile,
                         ::testing::Values(OlderCase{"utf8WithoutEncodingLine", "", false},
                                           OlderCase{"utf8WithTheEncodingLineAlone", "; encoding=UTF-8\r\n", false},
                                           OlderCase{"codePage932", "", true}),
                         rowName);

// A file edited by hand reads as the user wrote it, and is told, as it is no
// longer as written: one saved again with nothing but its form changed (code
// page 932 with its encoding line kept, LF line ends, a comment, a byte-order
// mark, no last line end) as much as any other edit, since damage can change
// the form alone too (a last line end cut, a blank line put in).
struct HandEditCase {
    const char *name;
    QByteArray (*edit)(const QByteArray &);
    QString group3; // what group 3 then reads
    bool told;
};

class IniFileHandEdit : public IniFileOneByte, public ::testing::WithParamInterface<HandEditCase> {};

TEST_P(IniFileHandEdit, readsAsTheUserWroteIt)
{
    const QList<Entry> entries = groupNames();
    writeAnew(GetParam().edit(written(entries)));
    const TMemIniFile ini(path());
    EXPECT_FALSE(ini.Unreadable());
    EXPECT_TRUE(ini.DamagedEntries().isEmpty()) << qPrintable(ini.DamagedEntries().join(", "));
    EXPECT_EQ(ini.NotAsWritten(), GetParam().told);
    EXPECT_EQ(m_told.size(), GetParam().told ? 1 : 0);
    for (const Entry &e : entries)
        EXPECT_EQ(ini.ReadString(e.section, e.key, QString()), e.key == "Group3" ? GetParam().group3 : e.value);
}

QByteArray typedAnew(const QByteArray &b)
{
    return QByteArray(b).replace("Group3=\xE5\xAE\xB6\xE6\x97\x8F", "Group3=\xE8\xA6\xAA\xE6\x88\x9A\xE4\xB8\x80\xE5\x90\x8C");
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniFileHandEdit,
    ::testing::Values(
        HandEditCase{"savedInCodePage932", [](const QByteArray &b) { return Cp932::encode(QString::fromUtf8(b)); },
                     QStringLiteral("家族"), true},
        HandEditCase{"savedWithLfLineEnds", [](const QByteArray &b) { return QByteArray(b).replace("\r\n", "\n"); },
                     QStringLiteral("家族"), true},
        HandEditCase{"commentAdded",
                     [](const QByteArray &b) {
                         return QByteArray(b).replace("Group3=", "; \xE5\xAE\xB6\xE6\x97\x8F\r\nGroup3=");
                     },
                     QStringLiteral("家族"), true},
        HandEditCase{"byteOrderMarkAndNoLastLineEnd",
                     [](const QByteArray &b) { return "\xEF\xBB\xBF" + b.chopped(2); }, QStringLiteral("家族"), true},
        HandEditCase{"valueTypedAnew", typedAnew, QStringLiteral("親戚一同"), true},
        // The good line after a line added with a bare LF keeps its value.
        HandEditCase{"lineAddedWithABareLf",
                     [](const QByteArray &b) { return QByteArray(b).replace("Group3=", "Memo=x\nGroup3="); },
                     QStringLiteral("家族"), true},
        HandEditCase{"valueTypedAnewAndSavedInCodePage932",
                     [](const QByteArray &b) { return Cp932::encode(QString::fromUtf8(typedAnew(b))); },
                     QStringLiteral("親戚一同"), true}),
    rowName);

// A file of the previous version (the encoding line without a sum), whose
// section line a changed line end made into another section's: the program
// writes no section with a bracket in its name, so its keys are named.
TEST_F(IniFileOneByte, aSectionLineEndMadeABracketInAFileWithoutTheSumNamesItsKeys)
{
    const QList<Entry> entries = groupNames();
    QByteArray valid = "; encoding=UTF-8\r\n[GROUP]\r\n";
    for (const Entry &e : entries)
        valid += (e.key + QLatin1Char('=') + e.value).toUtf8() + "\r\n";
    const qsizetype section = valid.indexOf("[GROUP]");
    // The CR after it made ']', the LF before it made '[', a key renamed into another.
    for (const auto &[at, value] : {std::pair{section + 7, ']'}, std::pair{section - 1, '['}}) {
        QByteArray bytes = valid;
        bytes[at] = value;
        const Misread misread = readBack(bytes, entries);
        EXPECT_EQ(misread.silent + misread.unnamed, 0) << bytes.left(40).constData();
    }
    QByteArray renamed = valid;
    renamed[renamed.indexOf("Group2=") + 5] = '3';
    EXPECT_EQ(readBack(renamed, entries).silent, 0);
}

// ---- Failures ---------------------------------------------------------------------

TEST_F(IniFileTest, failedUpdateReportsAndLeavesOldFileAndAnInterruptedReplaceIsRecovered)
{
    writeBytes(path(), "[A]\r\nk=old\r\n");
    TMemIniFile ini(path());
    ini.WriteString("A", "k", "new");
    SafeFile::setFailureHook([](SafeFile::Step s) { return s == SafeFile::Step::WriteTemporary; });
    QString error;
    const bool ok = ini.UpdateFile(&error);
    SafeFile::setFailureHook({});
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path()), "[A]\r\nk=old\r\n");
    EXPECT_FALSE(TMemIniFile(home.root()).UpdateFile()); // a folder in the file's place

    QFile::rename(path(), SafeReplaceBackupPath(path()));
    EXPECT_EQ(TMemIniFile(path()).ReadString("A", "k", QString()), QStringLiteral("old"));
    EXPECT_EQ(fileBytes(path()), "[A]\r\nk=old\r\n");
}


// A line break inside a value (a file's name may hold one) would end its
// line: the rest would read as another line, even as another key. Such a
// save is refused and the file stays as it was.
TEST_F(IniFileTest, aValueWithALineBreakIsNeverWrittenToReadAsAnotherEntry)
{
    {
        TMemIniFile ini(path());
        ini.WriteString("BASE", "DataPath", "/home/u/");
        ASSERT_TRUE(ini.UpdateFile());
    }
    const QByteArray before = fileBytes(path());
    for (const QString &value : {QStringLiteral("/home/u/a\nb/"), QStringLiteral("a\r\nDataPath=/tmp/x"),
                                 QStringLiteral("a\rb"), QStringLiteral("a\n")}) {
        TMemIniFile ini(path());
        ini.WriteString("EXPORT", "File", value);
        QString error;
        const bool saved = ini.UpdateFile(&error);
        const TMemIniFile read(path());
        EXPECT_EQ(read.ReadString("BASE", "DataPath", QString()), "/home/u/") << qPrintable(value);
        if (saved) {
            ADD_FAILURE() << "saved, reads back as " << qPrintable(read.ReadString("EXPORT", "File", QString()));
            continue;
        }
        EXPECT_TRUE(error.contains("[EXPORT] File")) << qPrintable(error);
        EXPECT_EQ(fileBytes(path()), before);
    }
}

// A file the program wrote, saved again by hand in code page 932 with its
// encoding line kept, whose only text beyond ASCII is one name (a book order
// of one Japanese book, the settings' book name): read whole, no damage.
TEST_F(IniFileOneByte, aFileWithOneJapaneseLineSavedByHandInCodePage932ReadsWhole)
{
    const QList<QList<Entry>> files{
        {{"SORT", "1", QStringLiteral("個人用アドレス帳")}, {"SORT", "2", "Book 2"}},
        {{"BASE", "DataPath", "/home/user/data/"}, {"BASE", "AdrsName", QStringLiteral("個人用")}, {"BASE", "Use1", "1"}}};
    for (const QList<Entry> &entries : files) {
        writeAnew(Cp932::encode(QString::fromUtf8(written(entries))));
        const TMemIniFile ini(path());
        EXPECT_FALSE(ini.Unreadable());
        EXPECT_TRUE(ini.DamagedEntries().isEmpty()) << qPrintable(ini.DamagedEntries().join(", "));
        for (const Entry &e : entries)
            EXPECT_EQ(ini.ReadString(e.section, e.key, QString()), e.value);
        QFile::remove(path());
    }
    // Told as changed outside the program, with nothing named.
    EXPECT_EQ(m_told.size(), files.size());
}

// One byte of a character lost or one put in (a byte dropped or doubled on
// the way), the only text beyond ASCII being one Japanese name: what is left
// of it may be code page 932 as well, but it is no hand save in that
// encoding; the name reads as written or its damage is named, never as other
// characters untold.
TEST_F(IniFileOneByte, aByteLostOrAddedInTheOneJapaneseLineIsNeverReadAsAnotherNameUntold)
{
    const QList<QList<Entry>> files{
        {{"SORT", "1", QStringLiteral("個人用アドレス帳")}, {"SORT", "2", "Book 2"}},
        {{"BASE", "DataPath", "/home/user/data/"}, {"BASE", "AdrsName", QStringLiteral("山田太郎")}, {"BASE", "Use1", "1"}}};
    for (const QList<Entry> &entries : files) {
        QFile::remove(path());
        const QByteArray valid = written(entries);
        for (qsizetype at = 0; at < valid.size(); ++at) {
            if (quint8(valid[at]) < 0x80)
                continue;
            QByteArray bytes = valid;
            bytes.remove(at, 1);
            const Misread one = readBack(bytes, entries);
            EXPECT_EQ(one.silent + one.unnamed, 0)
                << "byte " << at << " (0x" << valid.mid(at, 1).toHex().constData() << ") lost: " << one.silent
                << " misread untold, " << one.unnamed << " misread with another entry named";
            for (const char extra : {'\x81', '\xB0', '\xE3'}) {
                QByteArray longer = valid;
                longer.insert(at, extra);
                const Misread added = readBack(longer, entries);
                EXPECT_EQ(added.silent + added.unnamed, 0) << "byte 0x" << QByteArray(1, extra).toHex().constData()
                                                           << " put in before byte " << at;
            }
        }
    }
}

} // namespace

namespace {

// ---- The names 友人1..10, each of which code page 932 reads as well -------------

QList<Entry> friendNames()
{
    QList<Entry> entries;
    for (int i = 1; i <= 10; ++i)
        entries.append({"GROUP", QStringLiteral("Group%1").arg(i), QStringLiteral("友人%1").arg(i)});
    return entries;
}

// A file of the previous version (the encoding line without the sum): one
// damaged byte of the encoding line leaves it the encoding line. Every name
// reads as written (none as code page 932, none reset), and the file is still
// read by the rules of the program's own: a name a second damage made into
// another's is named, not read as that one.
TEST_F(IniFileOneByte, aPreviousVersionsEncodingLineWithOneDamagedByteIsStillTheEncodingLine)
{
    const QList<Entry> entries = friendNames();
    QByteArray valid = "; encoding=UTF-8\r\n[GROUP]\r\n";
    for (const Entry &e : entries)
        valid += (e.key + QLatin1Char('=') + e.value).toUtf8() + "\r\n";
    const qsizetype lineEnd = valid.indexOf("\r\n");
    for (qsizetype at = 0; at < lineEnd + 2; ++at) {
        for (const char value : {'\xFF', '\xC2', '\x8F', 'X', ' ', '\0'}) {
            QByteArray bytes = valid;
            bytes[at] = value;
            const QString where = QStringLiteral("byte %1 made 0x%2").arg(at).arg(quint8(value), 2, 16, QLatin1Char('0'));
            if (at < lineEnd) {
                writeAnew(bytes);
                const TMemIniFile ini(path());
                ASSERT_FALSE(ini.Unreadable()) << qPrintable(where);
                for (const Entry &e : entries)
                    EXPECT_EQ(ini.ReadString(e.section, e.key, QString()), e.value) << qPrintable(where);
            } else {
                const Misread line = readBack(bytes, entries);
                EXPECT_EQ(line.silent + line.unnamed, 0) << qPrintable(where);
            }
            // Group2's key made Group3's by a second damaged byte: told, and
            // neither read as the other's name.
            writeAnew(QByteArray(bytes).replace("Group2=", "Group3="));
            const TMemIniFile renamed(path());
            EXPECT_FALSE(renamed.DamagedEntries().isEmpty()) << qPrintable(where) << ", Group2 renamed";
            EXPECT_NE(renamed.ReadString("GROUP", "Group3", QString()), QStringLiteral("友人2")) << qPrintable(where);
        }
    }
}

// The line end after the sum line (and a section line's) changed into any
// byte, dropped, or a byte put in: the sum locates it, every name reads as
// written and none is named damaged; the user is told the file was not as
// written.
TEST_F(IniFileOneByte, aLineEndAfterTheSumLineChangedIsLocatedAndNoNameIsReset)
{
    const QList<Entry> entries = friendNames();
    const QByteArray valid = written(entries);
    const qsizetype cr = valid.indexOf("\r\n");
    const qsizetype section = valid.indexOf("[GROUP]\r\n") + 7;
    QList<QByteArray> damaged;
    for (const qsizetype at : {cr, cr + 1, section, section + 1}) {
        for (int value = 0; value < 256; ++value) {
            if (char(value) != valid[at])
                damaged << QByteArray(valid).replace(at, 1, QByteArray(1, char(value)));
        }
        damaged << QByteArray(valid).remove(at, 1) << QByteArray(valid).insert(at, 'X')
                << QByteArray(valid).insert(at, '\xE5');
    }
    for (const QByteArray &bytes : damaged) {
        writeAnew(bytes);
        const TMemIniFile ini(path());
        const QString where = QString::fromLatin1(bytes.left(45).toHex(' '));
        ASSERT_FALSE(ini.Unreadable()) << qPrintable(where);
        EXPECT_TRUE(ini.DamagedEntries().isEmpty()) << qPrintable(where) << ": " << qPrintable(ini.DamagedEntries().join(", "));
        EXPECT_TRUE(ini.NotAsWritten()) << qPrintable(where);
        for (const Entry &e : entries)
            EXPECT_EQ(ini.ReadString(e.section, e.key, QString()), e.value) << qPrintable(where);
    }
}

// Damage the sum cannot put right, and edits: the names the damage did not
// reach read as written (never as other text), the damaged ones are named
// or no longer in the file, and the user is always told.
struct BeyondOneByteCase {
    const char *name;
    QByteArray (*change)(const QByteArray &);
    QList<int> lost;      // groups named damaged or no longer in the file
    QStringList restored; // entries put back to the value written
};

class IniFileBeyondOneByte : public IniFileOneByte, public ::testing::WithParamInterface<BeyondOneByteCase> {};

TEST_P(IniFileBeyondOneByte, readsUntouchedNamesAsWrittenAndTells)
{
    const QList<Entry> entries = friendNames();
    writeAnew(GetParam().change(written(entries)));
    const TMemIniFile ini(path());
    ASSERT_FALSE(ini.Unreadable());
    EXPECT_TRUE(ini.NotAsWritten());
    EXPECT_EQ(m_told.size(), 1);
    EXPECT_EQ(ini.RestoredEntries(), GetParam().restored);
    for (int i = 1; i <= 10; ++i) {
        const Entry &e = entries[i - 1];
        if (!GetParam().lost.contains(i)) {
            EXPECT_EQ(ini.ReadString(e.section, e.key, QString()), e.value) << qPrintable(e.key);
            EXPECT_FALSE(isNamed(ini.DamagedEntries(), e)) << qPrintable(e.key);
        } else {
            EXPECT_TRUE(isNamed(ini.DamagedEntries(), e) || !ini.ValueExists(e.section, e.key)) << qPrintable(e.key);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniFileBeyondOneByte,
    ::testing::Values(
        // 友 is E5 8F 8B, 人 E4 BA BA.
        BeyondOneByteCase{"twoBytesOfOneName",
                          [](const QByteArray &b) { return QByteArray(b).replace("=\xE5\x8F\x8B\xE4\xBA\xBA" "3", "=\xE5\xFF\x8B\xE4\x41\xBA" "3"); },
                          {3}, {}},
        BeyondOneByteCase{"aRunOfBadBytesOverTwoNames",
                          [](const QByteArray &b) { return QByteArray(b).replace("\xBA" "5\r\nGroup6=\xE5", "\xFF\xFE\xFD\xFC\x80\x81\x82\x83\x84\x85\x86\x87\xE5"); },
                          {5, 6}, {}},
        BeyondOneByteCase{"cutAtALineEnd", [](const QByteArray &b) { return b.left(b.indexOf("Group5=")); },
                          {5, 6, 7, 8, 9, 10}, {}},
        // One byte dropped or put in: the sum tells which, and the written text is read.
        BeyondOneByteCase{"theGOfTheSectionDropped",
                          [](const QByteArray &b) { return QByteArray(b).replace("[GROUP]", "[ROUP]"); }, {}, {"[GROUP]"}},
        BeyondOneByteCase{"anAsciiByteAddedInsideACharacter",
                          [](const QByteArray &b) { return QByteArray(b).replace("=\xE5\x8F\x8B\xE4\xBA\xBA" "4", "=\xE5\x8F" "A\x8B\xE4\xBA\xBA" "4"); },
                          {}, {"[GROUP] Group4"}},
        // A one-character edit by hand reads as written, and is said to.
        BeyondOneByteCase{"oneDigitEditedByHand",
                          [](const QByteArray &b) { return QByteArray(b).replace("\xBA" "7\r", "\xBA" "8\r"); }, {}, {"[GROUP] Group7"}}),
    rowName);

} // namespace
