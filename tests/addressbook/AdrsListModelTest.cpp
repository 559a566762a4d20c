#include "addressbook/AdrsListModel.h"
#include "TableBook.h"

#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "core/WqhypWrapper.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessageBoxes.h"
#include "util/SubUnit.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>
#include <random>
#include <vector>

namespace {

QVariant sj(const char *utf8) { return Cp932::encode(QString::fromUtf8(utf8)); }

// Only the columns with these ids shown, in this order.
void showOnly(TAddressListModel &model, const std::vector<int> &ids)
{
    for (TColumnRecord &record : model.ColumnRecords())
        record.Shown = std::find(ids.begin(), ids.end(), record.Index) != ids.end();
    model.BuildColumns(QFontMetrics(QApplication::font()));
}

using TFound = TAddressListModel::TWordSearchResult;

// The result of a word search from Start and its row.
std::pair<TFound, int> findWord(const TAddressListModel &model, const char16_t *word, int start)
{
    int row = -2;
    const TFound found = model.FindWord(QString::fromUtf16(word), start, row);
    return {found, row};
}

std::vector<qint32> rowsOf(const TAddressListModel &model) { return model.Rows(); }

// ---- Row walk: orders, groups, filter, kept record --------------------------

// Records 1..4: telephone, name reading, keyword 1 (case folded in its
// index, empty sorts first) and group.
class ListRows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        book.add({{"Tel", sj("0312345678")}, {"NameKana", sj("ﾔﾏﾀﾞ")}, {"Keyword1", sj("b")}, {"Group", 0}});
        book.add({{"Tel", sj("0120000000")}, {"NameKana", sj("ｱｵｷ")}, {"Keyword1", sj("A")}, {"Group", 1}});
        book.add({{"Tel", sj("0900000000")}, {"NameKana", sj("ｻﾄｳ")}, {"Group", 2}});
        book.add({{"Tel", sj("0312345678")}, {"NameKana", sj("ｶﾄｳ")}, {"Keyword1", sj("c")}, {"Group", 1}});
        model.SetTable(&book.table);
    }

    Book book;
    TAddressListModel model;
};

struct OrderCase {
    int sortType;
    bool ascending;
    std::vector<qint32> rows;
};

class ListOrders : public ListRows, public ::testing::WithParamInterface<OrderCase>
{
};

TEST_P(ListOrders, walkTheSortIndexInTheChosenDirection)
{
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SortType = GetParam().sortType;
    model.SortDir = GetParam().ascending;
    model.ReloadRows(-1);
    EXPECT_EQ(rowsOf(model), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    SortTypes, ListOrders,
    ::testing::Values(OrderCase{0, true, {1, 2, 3, 4}}, OrderCase{0, false, {4, 3, 2, 1}},
                      // equal numbers in record order, reversed when descending
                      OrderCase{2, true, {2, 1, 4, 3}}, OrderCase{2, false, {3, 4, 1, 2}},
                      // a sort type outside the table walks in record order
                      OrderCase{15, true, {1, 2, 3, 4}}));

TEST_F(ListRows, recordTestOnTheCurrentRecordAppliesGroupThenFilter)
{
    ASSERT_TRUE(book.table.FindKey({QVariant(4)}));
    model.ViewGroup = 2;
    EXPECT_TRUE(model.MatchesConditions());
    TNarrowDownItem item;
    item.Item = 1; // 電話番号
    item.Value = "09";
    item.Match = 0;
    model.Condition.Items << item;
    EXPECT_FALSE(model.MatchesConditions());
    model.FilterDisabled = true;
    EXPECT_TRUE(model.MatchesConditions());
    model.ViewGroup = 1;
    EXPECT_FALSE(model.MatchesConditions());
}

// ---- AdrsList.ini -------------------------------------------------------------

class ListSettings : public ::testing::Test
{
protected:
    void SetUp() override { m_saved = {KeywordNames, KeywordModes}; }
    void TearDown() override
    {
        KeywordNames = m_saved.first;
        KeywordModes = m_saved.second;
    }

    QString write(const QStringList &lines)
    {
        const QString path = dir.filePath(QStringLiteral("AdrsList.ini"));
        TMemIniFile ini(path);
        ini.SetStrings(lines);
        EXPECT_TRUE(ini.UpdateFile());
        return path;
    }
    static QString list(int count, const QString &value)
    {
        QStringList parts;
        for (int i = 0; i < count; ++i)
            parts << (value.isEmpty() ? QString::number(count - 1 - i) : value);
        return parts.join(u',');
    }

    QTemporaryDir dir;

private:
    std::pair<decltype(KeywordNames), decltype(KeywordModes)> m_saved;
};

TEST_F(ListSettings, roundTripKeepsColumnsGroupAndOrder)
{
    TAddressListModel model;
    model.SetScreenDpi(144);
    model.LoadListSettings(dir.filePath(QStringLiteral("missing.ini")));
    EXPECT_EQ(model.ColumnRecords()[0].Width, 84) << "56 px at 96 dpi";
    std::swap(model.ColumnRecords()[0], model.ColumnRecords()[42]);
    model.ColumnRecords()[5].Shown = !model.ColumnRecords()[5].Shown;
    model.ColumnRecords()[3].Width = 150;
    model.ViewGroup = 7;
    model.SortType = 12;
    model.SortDir = false;
    const QString path = dir.filePath(QStringLiteral("AdrsList.ini"));
    ASSERT_TRUE(model.SaveListSettings(path));
    EXPECT_EQ(TMemIniFile(path).ReadString(QStringLiteral("HEADER"), QStringLiteral("HeaderWidth"), {}).split(u',')[3],
              QStringLiteral("100"));

    TAddressListModel again;
    again.SetScreenDpi(144);
    again.LoadListSettings(path);
    EXPECT_EQ(again.ColumnRecords(), model.ColumnRecords());
    EXPECT_EQ(again.ColumnRecords()[0].DefIndex, 42);
    EXPECT_EQ(again.ViewGroup, 7);
    EXPECT_EQ(again.SortType, 12);
    EXPECT_FALSE(again.SortDir);

    TAddressListModel at96;
    at96.SetScreenDpi(96);
    at96.LoadListSettings(path);
    EXPECT_EQ(at96.ColumnRecords()[3].Width, 100);
}

// A HeaderIndex that is not the 43 column ids each exactly once.
struct BadHeaderIndexCase {
    const char *name;
    std::function<QString()> ids;
};
void PrintTo(const BadHeaderIndexCase &c, std::ostream *os) { *os << c.name; }

class BadHeaderIndex : public ListSettings, public ::testing::WithParamInterface<BadHeaderIndexCase>
{
};

TEST_P(BadHeaderIndex, resetsAllThreeListsToTheDefaults)
{
    TAddressListModel model;
    model.SetScreenDpi(96);
    model.LoadListSettings(write({QStringLiteral("[HEADER]"),
                                  QStringLiteral("HeaderIndex=") + GetParam().ids(),
                                  QStringLiteral("HeaderWidth=") + list(43, QStringLiteral("10")),
                                  QStringLiteral("HeaderView=") + list(43, QStringLiteral("1"))}));
    TAddressListModel defaults;
    defaults.SetScreenDpi(96);
    defaults.LoadListSettings(dir.filePath(QStringLiteral("missing.ini")));
    EXPECT_EQ(model.ColumnRecords(), defaults.ColumnRecords());
    EXPECT_EQ(model.ColumnRecords()[10].Width, 232);
    EXPECT_TRUE(model.ColumnRecords()[10].Shown);
    EXPECT_FALSE(model.ColumnRecords()[2].Shown);
}

// Each list is the reversed catalogue with one fault.
QString damaged(int at, const QString &value)
{
    QStringList ids;
    for (int id = ListColumnCount - 1; id >= 0; --id)
        ids << QString::number(id);
    ids[at] = value;
    return ids.join(u',');
}

INSTANTIATE_TEST_SUITE_P(
    HeaderIndex, BadHeaderIndex,
    ::testing::Values(BadHeaderIndexCase{"fortyTwoEntries", [] { return damaged(0, {}).mid(1); }},
                      BadHeaderIndexCase{"repeatedId", [] { return damaged(0, QStringLiteral("41")); }},
                      BadHeaderIndexCase{"idOutsideTheCatalogue", [] { return damaged(5, QStringLiteral("43")); }}),
    [](const ::testing::TestParamInfo<BadHeaderIndexCase> &info) { return std::string(info.param.name); });

TEST_F(ListSettings, badWidthsOrFlagsFallBackToEachColumnsOwnDefaults)
{
    TAddressListModel model;
    model.SetScreenDpi(96);
    model.LoadListSettings(write({QStringLiteral("[HEADER]"),
                                  QStringLiteral("HeaderIndex=") + list(43, {}), // reversed catalogue
                                  QStringLiteral("HeaderWidth=") + list(43, QStringLiteral("x")),
                                  QStringLiteral("HeaderView=") + list(43, QStringLiteral("1"))}));
    EXPECT_EQ(model.ColumnRecords()[0].Index, 42);
    EXPECT_FALSE(model.ColumnRecords()[0].Shown);   // flags reset with the widths
    EXPECT_EQ(model.ColumnRecords()[42].Width, 56); // No.
    EXPECT_TRUE(model.ColumnRecords()[42].Shown);
}

TEST_F(ListSettings, outOfRangeValuesTakeTheirDefaults)
{
    TAddressListModel model;
    model.LoadListSettings(write({QStringLiteral("[KEYWORD]"), QStringLiteral("Name1=取引区分"),
                                  QStringLiteral("Name2="), QStringLiteral("Mode1=8"), QStringLiteral("Mode2=4"),
                                  QStringLiteral("Mode3=1"), QStringLiteral("Mode4=0"), QStringLiteral("[GROUP]"),
                                  QStringLiteral("ViewGroup=-1"), QStringLiteral("[SORT]"),
                                  QStringLiteral("SortType=15"), QStringLiteral("SortDir=0")}));
    EXPECT_EQ(KeywordNames[1], QStringLiteral("取引区分"));
    EXPECT_EQ(KeywordNames[2], QStringLiteral("キーワード２"));
    EXPECT_EQ(KeywordModes[1], 8);
    EXPECT_EQ(KeywordModes[2], 6);
    EXPECT_EQ(KeywordModes[3], 1);
    EXPECT_EQ(model.ViewGroup, 0);
    EXPECT_EQ(model.SortType, 0);
    EXPECT_FALSE(model.SortDir);
    model.LoadListSettings(write({QStringLiteral("[GROUP]"), QStringLiteral("ViewGroup=12")}));
    EXPECT_EQ(model.ViewGroup, 0);
    EXPECT_TRUE(model.SortDir);
}

// A list settings file that cannot be read (garbage, or emptied) is kept
// aside and named once; the defaults written at exit never replace it.
class DamagedListSettings : public ListSettings, public ::testing::WithParamInterface<QByteArray>
{
};

TEST_P(DamagedListSettings, areKeptAsideAndNotOverwrittenAtExit)
{
    ScriptedMessageBoxes boxes;
    const QString path = dir.filePath(QStringLiteral("AdrsList.ini"));
    writeBytes(path, GetParam());
    TAddressListModel model;
    model.LoadListSettings(path);
    EXPECT_EQ(model.SortType, 0);
    const QStringList copies = QDir(dir.path()).entryList({QStringLiteral("AdrsList.ini.unreadable-*")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QDir::toNativeSeparators(path)));
    ASSERT_TRUE(model.SaveListSettings(path));
    EXPECT_TRUE(sameBytes(GetParam(), fileBytes(dir.filePath(copies.first()))));
    EXPECT_EQ(boxes.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Contents, DamagedListSettings,
                         ::testing::Values(QByteArray(), QByteArray("\x93\xFF\xFE[HEADER]\r\n"),
                                           QByteArray("HeaderIndex=0,1,2\r\n")));

// ---- Cell texts ---------------------------------------------------------------

struct CellCase {
    const char *name;
    TRecordValues record;
    int columnId;
    QString text;
};

class CellTexts : public ::testing::TestWithParam<CellCase>
{
};

TEST_P(CellTexts, formatTheRecordAsTheColumnShowsIt)
{
    GroupNames[3] = QStringLiteral("取引先");
    Book book;
    book.add(GetParam().record);
    TAddressListModel model;
    model.SetTable(&book.table);
    ASSERT_TRUE(book.table.FindKey({QVariant(1)}));
    EXPECT_EQ(model.FormatCell(GetParam().columnId, 6), GetParam().text);
}

const QDateTime kStamp(QDate(2014, 4, 1), QTime(9, 5, 7));

INSTANTIATE_TEST_SUITE_P(
    Columns, CellTexts,
    ::testing::Values(
        CellCase{"rowNumber", {}, 0, QStringLiteral("7")},
        CellCase{"groupName", {{"Group", 3}}, 1, QStringLiteral("取引先")},
        CellCase{"phoneUnhyphenatedWithoutLibrary", {{"Tel", sj("0312345678 ")}}, 3, QStringLiteral("0312345678")},
        CellCase{"pubDate", {{"PubDate", sj("201404")}}, 6, QStringLiteral("2014年04月")},
        CellCase{"postcodeSeven", {{"Pos", sj("1234567")}}, 9, QStringLiteral("123-4567")},
        CellCase{"postcodeThree", {{"Pos", sj("123")}}, 9, QStringLiteral("123")},
        CellCase{"address",
                 {{"Tdfkn", sj("東京都")}, {"Adrs1", sj("千代田区 ")}, {"Adrs2", sj("丸の内1-1")}, {"Adrs3", sj(" ビル")}},
                 10,
                 QStringLiteral("東京都千代田区丸の内1-1ビル")},
        CellCase{"symbol", {{"SymbolMark", sj("●")}, {"SymbolColor", 255}}, 36, QStringLiteral("●,$000000FF")},
        CellCase{"updatedTime", {{"UpdDateTime", kStamp}}, 42, QStringLiteral("09:05:07")},
        CellCase{"unknownColumn", {{"Tel", sj("03")}}, 43, QString()}),
    [](const ::testing::TestParamInfo<CellCase> &info) { return std::string(info.param.name); });

extern "C" int fakeHyphen(const char *number, char *output, const char *, const TWqhypTime *)
{
    if (std::strcmp(number, "0312345678") != 0)
        return WqhypNotFound;
    std::strcpy(output, "03-1234-5678");
    return WqhypOk;
}

TEST(CellTextsWithLibrary, phoneColumnsAreHyphenated)
{
    SetWqhypForTesting(&fakeHyphen);
    Book book;
    book.add({{"Tel", sj("0312345678")}, {"Portable2", sj("0312345678")}, {"Fax", sj("0399")}});
    TAddressListModel model;
    model.SetTable(&book.table);
    ASSERT_TRUE(book.table.FindKey({QVariant(1)}));
    EXPECT_EQ(model.FormatCell(3, 0), QStringLiteral("03-1234-5678"));
    EXPECT_EQ(model.FormatCell(8, 0), QStringLiteral("03-1234-5678"));
    EXPECT_EQ(model.FormatCell(5, 0), QStringLiteral("0399"));
    SetWqhypForTesting(nullptr);
}

TEST(CellTextsInTheView, symbolShowsItsMarkInItsColourAndCellsAlignAsTheCatalogue)
{
    Book book;
    book.add({{"SymbolMark", sj("★")}, {"SymbolColor", 0x00FF00}});
    book.add({});
    TAddressListModel model;
    model.SetTable(&book.table);
    model.ColumnRecords()[36].Shown = true;
    model.BuildColumns(QFontMetrics(QApplication::font()));
    model.ReloadRows(-1);
    const int column = int(model.ShownColumns().indexOf(36));
    ASSERT_GE(column, 0);
    EXPECT_EQ(model.index(0, column).data().toString(), QStringLiteral("★"));
    EXPECT_EQ(model.index(0, column).data(TAddressListModel::SymbolColorRole).value<QColor>(), QColor(0, 255, 0));
    EXPECT_FALSE(model.index(1, column).data(TAddressListModel::SymbolColorRole).value<QColor>().isValid());
}

// ---- Word search ------------------------------------------------------------------

struct WordCase {
    const char *name;
    TRecordValues record;
    int columnId;
    const char16_t *word;
    bool found;
};

void PrintTo(const WordCase &c, std::ostream *os) { *os << c.name; }

class WordInCell : public ::testing::TestWithParam<WordCase>
{
};

// The record sits between two blank ones; only its column is shown, and
// the search finds the word exactly where the cell shows it.
TEST_P(WordInCell, isFoundAsTheCellShowsIt)
{
    GroupNames[2] = QStringLiteral("家族");
    GroupNames[3] = QStringLiteral("取引先");
    SetWqhypForTesting(&fakeHyphen);
    Book book;
    book.add({});
    book.add(GetParam().record);
    book.add({});
    TAddressListModel model;
    model.SetTable(&book.table);
    showOnly(model, {GetParam().columnId});
    model.ReloadRows(-1);
    const auto [found, row] = findWord(model, GetParam().word, 2);
    SetWqhypForTesting(nullptr);
    if (GetParam().found)
        EXPECT_EQ(std::make_pair(found, row), std::make_pair(TFound::Found, 1));
    else
        EXPECT_EQ(found, TFound::NotFound);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, WordInCell,
    ::testing::Values(
        WordCase{"pubDateYearAndMonth", {{"PubDate", sj("201404")}}, 6, u"4年04月", true},
        WordCase{"postcodeHyphen", {{"Pos", sj("1234567")}}, 9, u"3-45", true},
        WordCase{"hyphenatedPhone", {{"Tel", sj("0312345678")}}, 3, u"03-1234", true},
        WordCase{"addressAcrossItsFields", {{"Adrs1", sj("千代田区")}, {"Adrs2", sj("丸の内")}}, 10, u"区丸", true},
        // A room number on its own line stays apart from the house number.
        WordCase{"roomNumberApartFromTheHouseNumber", {{"Adrs1", sj("神宮前９－４－２１")}, {"Adrs2", sj("２０３号室")}},
                 10, u"２１　２０３", true},
        WordCase{"houseAndRoomNumberNeverOneNumber", {{"Adrs1", sj("神宮前９－４－２１")}, {"Adrs2", sj("２０３号室")}},
                 10, u"２１２０３", false},
        WordCase{"wideName", {{"Joint2", QByteArray("@9AD9@6A4B")}}, 23, u"髙橋", true},
        // The wide form is written in upper-case digits: a plain name that
        // looks like lower-case ones is shown, and found, as stored.
        WordCase{"plainNameLikeSmallDigits", {{"Joint2", QByteArray("@cafe")}}, 23, u"@cafe", true},
        WordCase{"necCodeOfACharacter", {{"Keyword1", QByteArray("\x87\x9A")}}, 27, u"∵", true},
        WordCase{"symbolIsNeverSearched", {{"SymbolMark", sj("●")}, {"SymbolColor", 255}}, 36, u"●", false},
        WordCase{"trailByteIsNoLetter", {{"Keyword1", sj("ア")}}, 27, u"A", false},
        WordCase{"caseCounts", {{"Keyword1", sj("abc")}}, 27, u"ABC", false},
        // Trail byte 0xFC, the last one a pair can end with: the IBM
        // extension code of 髙, 珱 and 滌.
        WordCase{"trailFcIbmExtension", {{"Keyword1", QByteArray("\x93\x8C\xFB\xFC")}}, 27, u"髙", true},
        WordCase{"trailFcLevelTwo", {{"Keyword1", QByteArray("\xE0\xFC\x8B\xCA")}}, 27, u"珱玉", true},
        WordCase{"trailFcAfterLeadNinetyF", {{"Keyword1", QByteArray("\x9F\xFC")}}, 27, u"滌", true},
        WordCase{"trailFcInAPlainName", {{"NameKanji", QByteArray("\xFB\xFC\x8B\xB4")}}, 17, u"髙橋", true},
        // The same two bytes across two neighbouring characters: 驎髜,
        // 謂髜 and 亜髜 hold FB FC, E0 FC and 9F FC, none of the three.
        WordCase{"fbFcAcrossNeighbours", {{"Keyword1", QByteArray("\xFB\xFB\xFC\x40")}}, 27, u"髙", false},
        WordCase{"e0FcAcrossNeighbours", {{"Keyword1", QByteArray("\x88\xE0\xFC\x40")}}, 27, u"珱", false},
        WordCase{"nineFFcAcrossNeighbours", {{"Keyword1", QByteArray("\x88\x9F\xFC\x40")}}, 27, u"滌", false},
        // Columns whose texts are few and fixed: found in what they show,
        // and a word none of them holds is passed over without reading.
        WordCase{"partOfAGroupName", {{"Group", 3}}, 1, u"引先", true},
        WordCase{"groupNameOfAnotherGroup", {{"Group", 2}}, 1, u"取引先", false},
        WordCase{"mainNumberWord", {{"TelDiv", 3}}, 4, u"代表", true},
        WordCase{"mainNumberWordOfAnOrdinaryNumber", {{"TelDiv", 0}}, 4, u"代", false},
        WordCase{"personWord", {{"PrivCorp", true}}, 12, u"個人", true},
        WordCase{"neitherPersonNorCompany", {{"PrivCorp", true}}, 12, u"法人", false},
        WordCase{"rowNumber", {}, 0, u"2", true},
        WordCase{"stampDateAndTime", {{"UpdDateTime", kStamp}}, 40, u"04/01 09", true},
        WordCase{"lettersInAStamp", {{"UpdDateTime", kStamp}}, 40, u"年", false}),
    [](const ::testing::TestParamInfo<WordCase> &info) { return std::string(info.param.name); });

int hyphenCalls = 0;
extern "C" int countedHyphen(const char *number, char *output, const char *folder, const TWqhypTime *time)
{
    ++hyphenCalls;
    return fakeHyphen(number, output, folder, time);
}

struct PhoneWordCase {
    const char *name;
    const char16_t *word;
    bool asksLibrary;
    TFound found;
};
void PrintTo(const PhoneWordCase &c, std::ostream *os) { *os << c.name; }

class WordInPhones : public ::testing::TestWithParam<PhoneWordCase>
{
};

// The hyphenation library is asked only for a word a hyphenated number can
// hold: for any other a search of a large book would call it for every
// number it has.
TEST_P(WordInPhones, asksTheLibraryOnlyForAWordANumberCanHold)
{
    SetWqhypForTesting(&countedHyphen);
    Book book;
    book.add({{"Tel", sj("0312345678")}, {"Fax", sj("0399")}, {"Portable1", sj("09012345678")}});
    book.add({{"Tel", sj("0312345678")}, {"NameKanji", sj("山田")}});
    TAddressListModel model;
    model.SetTable(&book.table);
    showOnly(model, {3, 5, 7, 17});
    model.ReloadRows(-1);
    hyphenCalls = 0;
    const auto [found, row] = findWord(model, GetParam().word, 0);
    SetWqhypForTesting(nullptr);
    EXPECT_EQ(hyphenCalls > 0, GetParam().asksLibrary) << hyphenCalls;
    EXPECT_EQ(found, GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Words, WordInPhones,
    ::testing::Values(PhoneWordCase{"nameInAnotherColumn", u"山田", false, TFound::Found},
                      PhoneWordCase{"wordNoNumberHolds", u"該当なし", false, TFound::NotFound},
                      PhoneWordCase{"digitsAfterALetter", u"a03", false, TFound::NotFound},
                      PhoneWordCase{"hyphenatedDigits", u"3-1234", true, TFound::Found},
                      PhoneWordCase{"digitsNoNumberHolds", u"777", true, TFound::NotFound}),
    [](const ::testing::TestParamInfo<PhoneWordCase> &info) { return std::string(info.param.name); });

// More rows than the cache keeps; the word in keyword 1 of two records.
class WordSearchRows : public ::testing::Test
{
protected:
    static constexpr int kRows = TAddressListModel::CachedRowLimit + 40;
    static constexpr int kFar = TAddressListModel::CachedRowLimit + 20; // row of the second hit

    void SetUp() override
    {
        book.addKeywords(kRows, "k%1");
        for (const qint32 recNo : {4, kFar + 1}) {
            ASSERT_TRUE(book.table.FindKey({QVariant(recNo)}));
            book.table.Edit();
            book.table.FieldByName(QStringLiteral("Keyword1")).SetAsString(QStringLiteral("目印"));
            book.table.Post();
        }
        model.SetTable(&book.table);
        showOnly(model, {0, 27});
        model.ReloadRows(-1);
    }

    Book book;
    TAddressListModel model;
};

TEST_F(WordSearchRows, findsTheNextRowPastTheCacheBoundAndWraps)
{
    EXPECT_EQ(findWord(model, u"目印", 0), std::make_pair(TFound::Found, 3));
    EXPECT_EQ(findWord(model, u"目印", 4), std::make_pair(TFound::Found, kFar));
    EXPECT_EQ(findWord(model, u"目印", kFar + 1), std::make_pair(TFound::Found, 3)) << "wrapped";
    EXPECT_EQ(findWord(model, u"目印", kRows), std::make_pair(TFound::Found, 3)) << "past the last row: row 0";
    EXPECT_EQ(findWord(model, u"目印なし", 5).first, TFound::NotFound);
}

TEST_F(WordSearchRows, descendingOrderIsSearchedInTheListsOrderAndLeavesTheCellsRight)
{
    model.SortDir = false;
    model.ReloadRows(-1);
    EXPECT_EQ(findWord(model, u"目印", 0), std::make_pair(TFound::Found, kRows - kFar - 1));
    EXPECT_EQ(findWord(model, u"目印", kRows - kFar), std::make_pair(TFound::Found, kRows - 4));
    EXPECT_EQ(findWord(model, u"k1", kRows - 3), std::make_pair(TFound::Found, kRows - 1)) << "k1, not k10";
    EXPECT_EQ(model.index(0, 1).data().toString(), QStringLiteral("k%1").arg(kRows));
    EXPECT_EQ(model.index(kRows - 1, 1).data().toString(), QStringLiteral("k1"));
}

TEST_F(WordSearchRows, aRecordGoneBeforeAnyHitFailsTheSearchAtItsRow)
{
    ASSERT_TRUE(book.table.FindKey({QVariant(2)}));
    book.table.Delete();
    EXPECT_EQ(findWord(model, u"目印", 0), std::make_pair(TFound::ReadFailed, 1));
    EXPECT_EQ(findWord(model, u"目印", 2), std::make_pair(TFound::Found, 3));
    EXPECT_EQ(findWord(model, u"k3", kFar), std::make_pair(TFound::ReadFailed, 1)) << "wrapped to it";
}

// Five records; the word in the first shown column (custom code) or the
// last (note) of one row, shown as stored or only in the shown form.
struct PlaceCase {
    const char *name;
    int hitRow;
    const char *field;
    QVariant value;
    const char16_t *word;
    int start;
};
void PrintTo(const PlaceCase &c, std::ostream *os) { *os << c.name; }

class WordPlaces : public ::testing::TestWithParam<PlaceCase>
{
};

TEST_P(WordPlaces, areFoundFromTheStartRowRoundToTheOneBefore)
{
    SetWqhypForTesting(&fakeHyphen);
    Book book;
    for (int row = 0; row < 5; ++row) {
        if (row == GetParam().hitRow)
            book.add({{GetParam().field, GetParam().value}, {"Tel", sj("0312345678")}});
        else
            book.add({{"CustomCode", sj("C0")}, {"Tel", sj("0312345678")}, {"Note", sj("メモ")}});
    }
    TAddressListModel model;
    model.SetTable(&book.table);
    showOnly(model, {2, 3, 9, 35});
    model.ReloadRows(-1);
    const auto found = findWord(model, GetParam().word, GetParam().start);
    SetWqhypForTesting(nullptr);
    EXPECT_EQ(found, std::make_pair(TFound::Found, GetParam().hitRow));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WordPlaces,
    ::testing::Values(PlaceCase{"firstColumnOfTheFirstRow", 0, "CustomCode", sj("目印"), u"目印", 0},
                      PlaceCase{"lastColumnOfTheLastRow", 4, "Note", sj("目印"), u"目印", 0},
                      PlaceCase{"theStartRowItself", 2, "Note", sj("目印"), u"目印", 2},
                      PlaceCase{"wrappedFromTheLastRowToTheFirst", 0, "Note", sj("目印"), u"目印", 4},
                      PlaceCase{"wrappedToTheRowBeforeTheStart", 1, "CustomCode", sj("目印"), u"目印", 2},
                      PlaceCase{"pastTheLastRowIsTheFirst", 0, "CustomCode", sj("目印"), u"目印", 5},
                      // Shown only as the cells show them: the hyphen of
                      // the postcode is in no stored byte.
                      PlaceCase{"acrossThePostcodeHyphenOfTheLastRow", 4, "Pos", sj("1234567"), u"123-4", 0},
                      PlaceCase{"acrossThePostcodeHyphenWrapped", 1, "Pos", sj("1234567"), u"3-45", 3},
                      PlaceCase{"wordEndingInTheNoteOfTheFirstRow", 0, "Note", sj("年賀状の目印"), u"の目印", 1}),
    [](const ::testing::TestParamInfo<PlaceCase> &info) { return std::string(info.param.name); });

// Every row's keyword holds the word's first character, so every row is
// one to format: past a few of them the search reads the fields with the
// order instead, and still answers the rows in the list's order.
class WordInManyRows : public ::testing::Test
{
protected:
    static constexpr int kRows = 400;

    void SetUp() override
    {
        book.addKeywords(kRows, "目%1");
        for (const qint32 recNo : {kHit + 1, 3}) {
            ASSERT_TRUE(book.table.FindKey({QVariant(recNo)}));
            book.table.Edit();
            book.table.FieldByName(QStringLiteral("Keyword1")).SetAsString(QStringLiteral("目印"));
            book.table.Post();
        }
        model.SetTable(&book.table);
        showOnly(model, {27});
        model.ReloadRows(-1);
    }

    static constexpr int kHit = 350; // row of the far hit; row 2 holds the near one
    Book book;
    TAddressListModel model;
};

TEST_F(WordInManyRows, aHitFarBehindManyRowsToFormatIsFound)
{
    EXPECT_EQ(findWord(model, u"目印", 3), std::make_pair(TFound::Found, kHit));
}

TEST_F(WordInManyRows, aHitBeforeTheStartIsFoundRoundTheEnd)
{
    EXPECT_EQ(findWord(model, u"目印", kHit + 1), std::make_pair(TFound::Found, 2));
}

TEST_F(WordInManyRows, aWordInNoRowIsNotFound)
{
    EXPECT_EQ(findWord(model, u"目印なし", 0).first, TFound::NotFound);
}

TEST_F(WordInManyRows, aRecordGoneAmongThemFailsTheSearchAtItsRow)
{
    ASSERT_TRUE(book.table.FindKey({QVariant(300)}));
    book.table.Delete();
    EXPECT_EQ(findWord(model, u"目印", 3), std::make_pair(TFound::ReadFailed, 299));
}

// Many records whose stored bytes hold every character of the word but
// whose cells do not show it, then the one that does: the search makes the
// cells' texts of all of them, as the list shows them.
struct ManyCandidatesCase {
    const char *name;
    TRecordValues decoy;
    TRecordValues hit;
    int columnId;
    const char16_t *word;
};
void PrintTo(const ManyCandidatesCase &c, std::ostream *os) { *os << c.name; }

class WordBehindManyCandidates : public ::testing::TestWithParam<ManyCandidatesCase>
{
};

TEST_P(WordBehindManyCandidates, isFoundInTheTextTheCellShows)
{
    constexpr int kDecoys = 150;
    Book book;
    for (int i = 0; i < kDecoys; ++i)
        book.add(GetParam().decoy);
    book.add(GetParam().hit);
    TAddressListModel model;
    model.SetTable(&book.table);
    showOnly(model, {GetParam().columnId});
    model.ReloadRows(-1);
    EXPECT_EQ(findWord(model, GetParam().word, 0), std::make_pair(TFound::Found, kDecoys));
    EXPECT_EQ(findWord(model, GetParam().word, kDecoys + 1), std::make_pair(TFound::Found, kDecoys)) << "wrapped";
}

INSTANTIATE_TEST_SUITE_P(
    Columns, WordBehindManyCandidates,
    ::testing::Values(
        ManyCandidatesCase{"postcodeAcrossItsHyphen", {{"Pos", sj("5431234")}}, {{"Pos", sj("1234567")}}, 9, u"3-45"},
        ManyCandidatesCase{"pubDateYearAndMonth", {{"PubDate", sj("200412")}}, {{"PubDate", sj("201404")}}, 6,
                           u"4年04"},
        ManyCandidatesCase{"addressAcrossItsLines", {{"Adrs1", sj("丸の内千代田区")}},
                           {{"Adrs1", sj("千代田区")}, {"Adrs2", sj("丸の内")}}, 10, u"区丸"},
        ManyCandidatesCase{"wideName", {{"Joint2", QByteArray("@6A4B@9AD9")}}, {{"Joint2", QByteArray("@9AD9@6A4B")}},
                           23, u"髙橋"},
        ManyCandidatesCase{"numberAsStoredWithoutTheLibrary", {{"Tel", sj("0312349999")}},
                           {{"Tel", sj("0399991234")}}, 3, u"9991"},
        ManyCandidatesCase{"keyword", {{"Keyword1", sj("印目")}}, {{"Keyword1", sj("目印")}}, 27, u"目印"}),
    [](const ::testing::TestParamInfo<ManyCandidatesCase> &info) { return std::string(info.param.name); });

// ---- Word search against the shown cells ------------------------------------

// A book of short texts made of few characters in every field a column
// shows, so that a word is in no row, in a few or in most. Each search must
// answer the row a look at the shown cells from the start row round would:
// the first whose shown text holds the word.
struct ShownOrder {
    const char *name;
    int sortType;
    bool ascending;
    int viewGroup;
};
void PrintTo(const ShownOrder &c, std::ostream *os) { *os << c.name; }

class WordSearchAsShown : public ::testing::TestWithParam<ShownOrder>
{
protected:
    static constexpr int kRecords = 300;

    void SetUp() override
    {
        m_savedGroups = GroupNames;
        GroupNames[1] = QStringLiteral("家族");
        GroupNames[2] = QStringLiteral("取引先");
        GroupNames[3] = QStringLiteral("友人1");
        SetWqhypForTesting(&fakeHyphen);
        std::mt19937 random(20141208);
        const auto pick = [&random](int n) { return int(random() % unsigned(n)); };
        static const char16_t *const pieces[] = {u"ア", u"ｱ", u"a", u"A", u"Ａ", u"1", u"１", u"-", u"－", u"東",
                                                 u"京", u" ", u"　", u"年", u"月", u"/", u":", u"0", u"3", u"個"};
        const auto text = [&](int most) {
            QString t;
            for (int n = pick(most + 1); n > 0; --n)
                t += QString::fromUtf16(pieces[pick(int(std::size(pieces)))]);
            return t;
        };
        const auto digits = [&](int n, bool wide) {
            QString t;
            for (int k = 0; k < n; ++k)
                t += QChar((wide ? 0xFF10 : u'0') + pick(10));
            return t;
        };
        const auto bytes = [](const QString &t) { return QVariant(Cp932::encode(t)); };
        const auto phone = [&] {
            switch (pick(4)) {
            case 0: return bytes(QStringLiteral("0312345678")); // hyphenated by the library
            case 1: return bytes(digits(10, false));
            case 2: return bytes(digits(4, true));
            default: return QVariant(QByteArray());
            }
        };
        const auto name = [&] {
            // Now and then a character Shift-JIS lacks: the wide form.
            const QString t = text(4);
            return pick(4) == 0 ? QVariant(EncodeUnicodeField(t + QStringLiteral("𠮷"))) : bytes(t);
        };
        const QDateTime base(QDate(2014, 3, 30), QTime(1, 59, 58));
        book.table.BeginBatch();
        for (int r = 0; r < kRecords; ++r) {
            TRecordValues v{{"Group", pick(4)},
                            {"TelDiv", pick(4)},
                            {"PrivCorp", pick(2) == 0},
                            {"Tel", phone()},
                            {"Fax", phone()},
                            {"Portable1", phone()},
                            {"Portable2", phone()},
                            {"PubDate", pick(3) ? bytes(QStringLiteral("20") + digits(4, false)) : bytes(text(3))},
                            {"Pos", bytes(digits(std::array{7, 5, 3, 0}[size_t(pick(4))], false))},
                            {"Tdfkn", bytes(text(2))},
                            {"Adrs1", bytes(text(3) + digits(pick(2), pick(2) == 0))},
                            {"Adrs2", bytes(digits(pick(2), pick(2) == 0) + text(3))},
                            {"Adrs3", bytes(text(3))},
                            {"NameKanji", name()}};
            for (const char *field : {"CustomCode", "AdrsKana", "CorpKanji", "CorpKana", "Dptmnt", "Post", "NameKana",
                                      "URL", "EMail1", "EMail2", "Keyword1", "Keyword2", "Keyword3", "Keyword4",
                                      "Keyword5", "Keyword6", "Keyword7", "Keyword8", "Note"})
                v.emplace_back(field, bytes(text(4)));
            for (const char *field : {"Joint1", "Joint2", "Joint3", "Joint4", "Joint5"})
                v.emplace_back(field, name());
            if (pick(3))
                v.emplace_back("AddDateTime", base.addSecs(pick(100000) - 50000));
            if (pick(3))
                v.emplace_back("UpdDateTime", base.addSecs(pick(100000)));
            book.add(v);
        }
        book.table.EndBatch();

        model.SetTable(&book.table);
        std::vector<int> ids;
        for (int id = 0; id < ListColumnCount; ++id) {
            if (id != 36) // the mark is drawn, not searched
                ids.push_back(id);
        }
        showOnly(model, ids);
        model.SortType = GetParam().sortType;
        model.SortDir = GetParam().ascending;
        model.ViewGroup = GetParam().viewGroup;
        model.ReloadRows(-1);
        for (int row = 0; row < model.RowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model.columnCount(); ++column)
                cells << model.index(row, column).data().toString();
            m_shown.push_back(cells);
        }
    }

    void TearDown() override
    {
        SetWqhypForTesting(nullptr);
        GroupNames = m_savedGroups;
    }

    // The row a look at the shown cells answers.
    [[nodiscard]] std::pair<TFound, int> lookedAt(const QString &word, int start) const
    {
        const int rows = int(m_shown.size());
        for (int k = 0; k < rows; ++k) {
            const int row = (start + k) % rows;
            for (const QString &cell : m_shown[size_t(row)]) {
                if (cell.contains(word))
                    return {TFound::Found, row};
            }
        }
        return {TFound::NotFound, -1};
    }

    Book book;
    TAddressListModel model;
    std::vector<QStringList> m_shown;
    std::array<QString, GroupCount + 1> m_savedGroups;
};

TEST_P(WordSearchAsShown, answersTheFirstRowWhoseShownCellsHoldTheWord)
{
    ASSERT_GT(model.RowCount(), 20);
    QStringList words{QStringLiteral("代表"), QStringLiteral("個人"), QStringLiteral("会社"), QStringLiteral("家族"),
                      QStringLiteral("友人1"), QStringLiteral("03-1234"), QStringLiteral("-5678"),
                      QStringLiteral("年0"), QStringLiteral("月"), QStringLiteral("/0"), QStringLiteral(":5"),
                      QStringLiteral(" 0"), QStringLiteral("　"), QStringLiteral("𠮷"), QStringLiteral("1-"),
                      QStringLiteral("99"), QStringLiteral("2014/03/30 0"), QStringLiteral("無い語")};
    // Pieces of shown cells, in every column, wherever they start.
    std::mt19937 random(7);
    const int rows = model.RowCount();
    const int columns = model.columnCount();
    for (int k = 0; k < 400 && words.size() < 140; ++k) {
        const QString &cell = m_shown[size_t(random() % unsigned(rows))][int(random() % unsigned(columns))];
        if (cell.isEmpty())
            continue;
        const int at = int(random() % unsigned(cell.size()));
        const QString word = cell.mid(at, 1 + int(random() % 4u));
        if (!word.front().isLowSurrogate() && !word.back().isHighSurrogate() && !words.contains(word))
            words << word;
    }
    // Rare words of common characters across what a cell's format adds (the
    // postcode's and the number's hyphens, the year and month, the space
    // between address lines): most rows' bytes hold their characters.
    const QList<int> shownIds = model.ShownColumns();
    for (int k = 0; k < 2000 && words.size() < 200; ++k) {
        const int column = int(random() % unsigned(columns));
        const int id = model.ColumnRecords()[size_t(shownIds[column])].Index;
        if (id != 3 && id != 6 && id != 9 && id != 10)
            continue;
        const QString &cell = m_shown[size_t(random() % unsigned(rows))][column];
        const qsizetype added = cell.indexOf(QRegularExpression(QStringLiteral("[-年月") + QChar(0x3000) + u']'));
        if (added < 0)
            continue;
        const QString word = cell.mid(std::max<qsizetype>(0, added - 2), 5);
        if (!words.contains(word))
            words << word;
    }
    int checked = 0;
    for (const QString &word : std::as_const(words)) {
        for (const int start : {0, rows / 3, rows - 1}) {
            int row = -2;
            const TFound found = model.FindWord(word, start, row);
            const auto expected = lookedAt(word, start);
            ASSERT_EQ(std::make_pair(found, found == TFound::NotFound ? -1 : row), expected)
                << "word \"" << word.toStdString() << "\" from row " << start;
            ++checked;
        }
    }
    EXPECT_GT(checked, 300);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, WordSearchAsShown,
    ::testing::Values(ShownOrder{"recordOrder", 0, true, 0}, ShownOrder{"recordOrderDescending", 0, false, 0},
                      ShownOrder{"byTelephone", 2, true, 0}, ShownOrder{"byTelephoneDescendingOneGroup", 2, false, 3}),
    [](const ::testing::TestParamInfo<ShownOrder> &info) { return std::string(info.param.name); });

// ---- Row text cache ---------------------------------------------------------------

TEST(RowTextCache, scrollingFarAndBackShowsTheSameTextsWithinTheBound)
{
    constexpr int rows = TAddressListModel::CachedRowLimit * 2 + 10;
    Book book;
    book.addKeywords(rows, "言葉%1");
    TAddressListModel model;
    model.SetTable(&book.table);
    showOnly(model, {0, 27});
    for (const bool ascending : {true, false}) {
        model.SortDir = ascending;
        model.ReloadRows(-1);
        const auto check = [&](int row) {
            const int recNo = ascending ? row + 1 : rows - row;
            EXPECT_EQ(model.index(row, 0).data().toString(), QString::number(row + 1));
            EXPECT_EQ(model.index(row, 1).data().toString(), QStringLiteral("言葉%1").arg(recNo));
        };
        for (int row = 0; row < rows; ++row)
            check(row);
        EXPECT_EQ(model.CachedRowCount(), TAddressListModel::CachedRowLimit);
        for (int row = rows - 1; row >= 0; --row)
            check(row);
        EXPECT_EQ(model.CachedRowCount(), TAddressListModel::CachedRowLimit);
    }
}

// ---- Duplicate display ----------------------------------------------------------

struct DupCase {
    const char *name;
    std::vector<TRecordValues> records;
    int item1, item2, viewGroup;
    std::vector<qint32> rows;
};

class DuplicateDisplay : public ::testing::TestWithParam<DupCase>
{
};

TEST_P(DuplicateDisplay, showsBlocksOfEqualKeysInKeyThenRecordOrder)
{
    Book book;
    for (const TRecordValues &record : GetParam().records)
        book.add(record);
    TAddressListModel model;
    model.SetTable(&book.table);
    model.SortType = 2;
    model.SortDir = false; // ignored by the duplicate display
    model.DupItem1 = GetParam().item1;
    model.DupItem2 = GetParam().item2;
    model.ViewGroup = GetParam().viewGroup;
    model.ReloadRows(-1);
    EXPECT_EQ(rowsOf(model), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DuplicateDisplay,
    ::testing::Values(
        DupCase{"blankKeyNeverShown", {{{"Tel", sj("0311")}}, {{"Tel", sj("0311")}}, {}}, 1, 0, 0, {1, 2}},
        DupCase{"keysCompareByteForByte",
                {{{"CorpKanji", sj("abc")}}, {{"CorpKanji", sj("ABC")}}, {{"CorpKanji", sj("ABC ")}}}, 3, 0, 0, {}},
        DupCase{"sameAddressDifferentNames",
                {{{"Adrs2", sj("本町1")}, {"NameKanji", sj("佐藤")}}, {{"Adrs2", sj("本町1")}, {"NameKanji", sj("田中")}}},
                2, 4, 0, {}},
        DupCase{"addressJoinsItsFourFields",
                {{{"Tdfkn", sj("東京都")}, {"Adrs1", sj("港区")}}, {{"Adrs2", sj("東京都港区")}}}, 2, 0, 0, {1, 2}},
        DupCase{"emptyFirstKeyWithEqualSecondKey",
                {{{"CorpKanji", sj("山田商事")}}, {{"CorpKanji", sj("山田商事")}}, {}}, 1, 3, 0, {1, 2}},
        DupCase{"plainAndWideNamesRepeatEachOther",
                {{{"NameKanji", sj("佐藤　花子")}}, {{"NameKanji", EncodeUnicodeField(u"佐藤　花子")}}, {{"NameKanji", sj("佐藤")}}},
                4, 0, 0, {1, 2}},
        DupCase{"recordsWithoutGroup",
                {{{"Tel", sj("03")}, {"Group", 1}}, {{"Tel", sj("03")}}, {{"Tel", sj("03")}}}, 1, 0, 1, {2, 3}}),
    [](const ::testing::TestParamInfo<DupCase> &info) { return std::string(info.param.name); });

} // namespace
