#include "addressbook/TableBook.h"
#include "core/AppSub.h"
#include "core/Inquiry.h"
#include "exchange/ImportConv.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <QVariant>

#include <functional>
#include <string>
#include <vector>

namespace {

QByteArray sj(const char *utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

using TRowTexts = std::vector<std::pair<int, const char *>>;

TImportValues valuesOf(const TRowTexts &rows)
{
    TImportValues values;
    for (const auto &[row, text] : rows)
        values[row - 1] = sj(text);
    return values;
}

const QDateTime kNow(QDate(2014, 6, 1), QTime(10, 20, 30, 456));

// Counts the completion's searches and answers with one fixed place.
class FakeLookup : public TImportAddressLookup
{
public:
    std::optional<TImportFoundAddress> Find(const QByteArray &text) override
    {
        ++calls;
        lastText = text;
        if (!answer)
            return std::nullopt;
        return TImportFoundAddress{"163-8001", "13104", "000000", 128441000, 503169000};
    }
    int calls = 0;
    bool answer = true;
    QByteArray lastText;
};

TImportContext contextWith(TImportAddressLookup *lookup = nullptr, TImportOptions options = {})
{
    TImportContext context;
    context.Options = options;
    context.GroupNames = {QStringLiteral("指定なし"), QStringLiteral("家族"), QStringLiteral("仕事")};
    context.Senders = {{QStringLiteral("自宅"), 7}, {QStringLiteral("会社"), 9}};
    context.Now = kNow;
    context.Lookup = lookup;
    return context;
}

// One field of the add record as a value the table compares with.
QVariant recordField(const TAddressData &r, const std::string &name)
{
    static const std::map<std::string, std::function<QVariant(const TAddressData &)>> fields = {
        {"Group", [](auto &r) { return QVariant(r.Group); }},
        {"CustomCode", [](auto &r) { return QVariant(r.CustomCode.Bytes()); }},
        {"Tel", [](auto &r) { return QVariant(r.Tel.Bytes()); }},
        {"TelDiv", [](auto &r) { return QVariant(r.TelDiv); }},
        {"Fax", [](auto &r) { return QVariant(r.Fax.Bytes()); }},
        {"PubDate", [](auto &r) { return QVariant(r.PubDate.Bytes()); }},
        {"Portable1", [](auto &r) { return QVariant(r.Portable1.Bytes()); }},
        {"Pos", [](auto &r) { return QVariant(r.Pos.Bytes()); }},
        {"Tdfkn", [](auto &r) { return QVariant(r.Tdfkn.Bytes()); }},
        {"Adrs1", [](auto &r) { return QVariant(r.Adrs1.Bytes()); }},
        {"Adrs2", [](auto &r) { return QVariant(r.Adrs2.Bytes()); }},
        {"Adrs3", [](auto &r) { return QVariant(r.Adrs3.Bytes()); }},
        {"JisCode", [](auto &r) { return QVariant(r.JisCode.Bytes()); }},
        {"KajoCode", [](auto &r) { return QVariant(r.KajoCode.Bytes()); }},
        {"Latitude", [](auto &r) { return QVariant(r.Latitude); }},
        {"Longitude", [](auto &r) { return QVariant(r.Longitude); }},
        {"PrivCorp", [](auto &r) { return QVariant(r.PrivCorp); }},
        {"NameKanji", [](auto &r) { return QVariant(r.NameKanji.Bytes()); }},
        {"IgnoreName", [](auto &r) { return QVariant(r.IgnoreName); }},
        {"Joint1", [](auto &r) { return QVariant(r.Joint1.Bytes()); }},
        {"JointHonor1", [](auto &r) { return QVariant(r.JointHonor1.Bytes()); }},
        {"JointHonor2", [](auto &r) { return QVariant(r.JointHonor2.Bytes()); }},
        {"JointPrint1", [](auto &r) { return QVariant(r.JointPrint1); }},
        {"JointPrint2", [](auto &r) { return QVariant(r.JointPrint2); }},
        {"JointOwner", [](auto &r) { return QVariant(r.JointOwner); }},
        {"JointPrint", [](auto &r) { return QVariant(r.JointPrint); }},
        {"PrintTarget", [](auto &r) { return QVariant(r.PrintTarget); }},
        {"Sender", [](auto &r) { return QVariant(r.Sender); }},
        {"Keyword1", [](auto &r) { return QVariant(r.Keyword1.Bytes()); }},
        {"Note", [](auto &r) { return QVariant(r.Note ? r.Note->join(u'|') : QStringLiteral("<none>")); }},
        {"SymbolMark", [](auto &r) { return QVariant(r.SymbolMark.Bytes()); }},
        {"SymbolColor", [](auto &r) { return QVariant(r.SymbolColor); }},
        {"AddDateTime", [](auto &r) { return QVariant(r.AddDateTime); }},
        {"UpdDateTime", [](auto &r) { return QVariant(r.UpdDateTime); }},
    };
    return fields.at(name)(r);
}

QVariant bytes(const char *utf8)
{
    return QVariant(sj(utf8));
}

struct AddCase {
    const char *name;
    TRowTexts rows;
    const char *field;
    QVariant expected;
    TImportOptions options = {};
};

void PrintTo(const AddCase &c, std::ostream *os)
{
    *os << c.name;
}

const QString k40Bytes = QStringLiteral("新宿区西新宿二丁目８番１号都庁第一本庁舎");

std::vector<AddCase> addCases()
{
    const QVariant now = QVariant(TruncMilliseconds(kNow));
    return {
        {"noRowsGiveGroupZero", {}, "Group", 0},
        {"noRowsGivePrivatePerson", {}, "PrivCorp", true},
        {"noRowsGiveDefaultColour", {}, "SymbolColor", 0x7FDF3F},
        {"noRowsStampTheCurrentTime", {}, "AddDateTime", now},
        {"noRowsStampUpdateTime", {}, "UpdDateTime", now},
        {"groupNameFound", {{irGroup, " 仕事 "}}, "Group", 2},
        {"unknownGroupGivesZero", {{irGroup, "遊び"}}, "Group", 0},
        {"customCodeTrimmedAndCut", {{irCustomCode, " ABCDEFGHIJKLMNOPQRSTUVWXYZ "}}, "CustomCode",
         bytes("ABCDEFGHIJKLMNOPQRST")},
        {"phoneHyphensDropped", {{irTel, "03-1234-5678"}}, "Tel", bytes("0312345678")},
        {"phoneFullWidthDigitsConverted", {{irTel, "０３－１２３４－５６７８"}}, "Tel", bytes("0312345678")},
        {"oldMobileRenumbered", {{irTel, "030-123-4567"}}, "Tel", bytes("09031234567")},
        {"oldPagerRenumbered", {{irFax, "0601234567"}}, "Fax", bytes("07061234567")},
        {"osakaSevenDigitsRenumbered", {{irTel, "06-123-4567"}}, "Tel", bytes("0661234567")},
        {"osakaEightDigitsKept", {{irTel, "06-1234-5678"}}, "Tel", bytes("0612345678")},
        {"area0720Renumbered", {{irTel, "0720-12-3456"}}, "Tel", bytes("0728123456")},
        {"mobileNotRenumbered", {{irPortable1, "030-123-4567"}}, "Portable1", bytes("0301234567")},
        {"representativeWord", {{irTelDiv, "代表電話"}}, "TelDiv", 3},
        {"otherRepresentativeWordGivesZero", {{irTelDiv, "はい"}}, "TelDiv", 0},
        {"pubDateKeepsEightDigits", {{irPubDate, "2014/06/01 1"}}, "PubDate", bytes("20140601")},
        {"postcodeDigitsAlone", {{irPos, "163-8001"}}, "Pos", bytes("1638001")},
        {"fullWidthPostcodeEmptyWithoutCompletion", {{irPos, "１６３－８００１"}}, "Pos", bytes("")},
        {"prefectureSplitOff", {{irAdrs1, "東京都新宿区"}}, "Tdfkn", bytes("東京都")},
        {"addressWithoutPrefecture", {{irAdrs1, "新宿区西新宿"}}, "Adrs1", bytes("新宿区西新宿")},
        {"adrs1CutAt32Bytes",
         {{irAdrs1, "東京都新宿区西新宿二丁目８番１号都庁第一本庁舎"}, {irAdrs2, "ビル"}},
         "Adrs1",
         bytes("新宿区西新宿二丁目８番１号都庁第")},
        {"adrs1OverflowComesFirstInAdrs2",
         {{irAdrs1, "東京都新宿区西新宿二丁目８番１号都庁第一本庁舎"}, {irAdrs2, "ビル"}},
         "Adrs2",
         bytes("一本庁舎ビル")},
        {"leadByteAtCutKeepsOneByteLessAndBlank", {{irAdrs1, "A新宿区西新宿二丁目８番１号都庁第一"}}, "Adrs1",
         bytes("A新宿区西新宿二丁目８番１号都庁 ")},
        {"leadByteAtCutMovesCharacterOn", {{irAdrs1, "A新宿区西新宿二丁目８番１号都庁第一"}}, "Adrs2",
         bytes("第一")},
        {"adrs2OverflowGoesToAdrs3", {{irAdrs2, "あいうえおかきくけこあいうえおかきくけこあいうえおかきくけこあいうえおかきくけこあいうえおかきくけこわ"}, {irAdrs3, "X"}}, "Adrs3", bytes("わX")},
        {"adrs3CutAt116Bytes", {{irAdrs3, "あいうえおかきくけこあいうえおかきくけこあいうえおかきくけこあいうえおかきくけこあいうえおかきくけこあいうえおかきくけこ"}}, "Adrs3", bytes("あいうえおかきくけこあいうえおかきくけこあいうえおかきくけこあいうえおかきくけこあいうえおかきくけこあいうえおかきく")},
        {"latitudeWhole", {{irLatitude, "128441000"}}, "Latitude", 128441000},
        {"latitudeNegative", {{irLatitude, "-12345"}}, "Latitude", -12345},
        {"latitudeZeroWithBlanks", {{irLatitude, " 0 "}}, "Latitude", 0},
        {"latitudeOverLongGivesZero", {{irLatitude, "35.68950000001"}}, "Latitude", 0},
        {"latitudePast32BitsGivesZero", {{irLatitude, "2147483648"}}, "Latitude", 0},
        {"companyWord", {{irPrivCorp, "法人"}}, "PrivCorp", false},
        {"unknownClassIsPrivate", {{irPrivCorp, "団体"}}, "PrivCorp", true},
        {"setCorpMakesCompany", {{irCorpKanji, "ピルカ商事"}}, "PrivCorp", false, {false, true, 0, true}},
        {"setCorpWithNameKeepsPersonForNoNameType",
         {{irCorpKanji, "ピルカ商事"}, {irName, "山田"}},
         "PrivCorp",
         true,
         {false, true, 1, true}},
        {"setCorpNoNameTypeMakesCompany", {{irCorpKanji, "ピルカ商事"}}, "PrivCorp", false, {false, true, 1, true}},
        {"priorityClassWins",
         {{irCorpKanji, "ピルカ商事"}, {irPrivCorp, "個人"}},
         "PrivCorp",
         true,
         {false, true, 0, true}},
        {"withoutPriorityCompanyRuleWins",
         {{irCorpKanji, "ピルカ商事"}, {irPrivCorp, "個人"}},
         "PrivCorp",
         false,
         {false, true, 0, false}},
        {"nameStoredInWideForm", {{irName, "AB"}}, "NameKanji", QVariant(QByteArray("@0041@0042"))},
        {"nameOfTwentyKeptWholeInShiftJis",
         {{irName, "あいうえおかきくけこさしすせそたちつてと"}},
         "NameKanji",
         bytes("あいうえおかきくけこさしすせそたちつてと")},
        {"ignoreNameWord", {{irIgnoreName, "未印刷"}}, "IgnoreName", true},
        {"jointHonorWithoutNameEmpty", {{irJointHonor1, "様"}}, "JointHonor1", bytes("")},
        {"jointHonorWithName", {{irJoint1, "花子"}, {irJointHonor1, " 様 "}}, "JointHonor1", bytes("様")},
        {"jointPrintWithoutNameFalse", {{irJointPrint1, "印刷"}}, "JointPrint1", false},
        {"jointPrintWithName", {{irJoint1 + 1, "太郎"}, {irJointPrint1 + 1, "1"}}, "JointPrint2", true},
        {"jointOwnerByName", {{irJoint1 + 1, "太郎"}, {irJointOwner, "太郎"}}, "JointOwner", 2},
        {"jointOwnerByWord", {{irJointOwner, "連名３"}}, "JointOwner", 3},
        {"jointOwnerByDigit", {{irJointOwner, "4"}}, "JointOwner", 4},
        {"jointOwnerHalfWidthWordNoMatch", {{irJointOwner, "連名2"}}, "JointOwner", 0},
        {"jointOwnerHalfWidthWordIsJointName",
         {{irJoint1 + 1, "連名2"}, {irJointOwner, "連名2"}},
         "JointOwner",
         2},
        {"jointOwnerTheNameItself", {{irName, "太郎"}, {irJoint1, "太郎"}, {irJointOwner, "太郎"}}, "JointOwner", 0},
        {"jointPrintWord", {{irJointPrint, "印刷"}}, "JointPrint", true},
        {"printTargetExcluded", {{irPrintTarget, "印刷除外"}}, "PrintTarget", 2},
        {"printTargetNoneWordInAddIsZero", {{irPrintTarget, "指定なし"}}, "PrintTarget", 0},
        {"senderByTitle", {{irSender, "会社"}}, "Sender", 9},
        {"unknownSenderZero", {{irSender, "実家"}}, "Sender", 0},
        {"keywordUntrimmed", {{irKeyword1, " 趣味 "}}, "Keyword1", bytes(" 趣味 ")},
        {"memoTabsMakeLines", {{irNote, "a\t\tb\t"}}, "Note", QStringLiteral("a||b")},
        {"emptyMemoHasNoLines", {{irNote, "  "}}, "Note", QStringLiteral("<none>")},
        {"knownSymbolMark", {{irSymbolMark, "★"}}, "SymbolMark", bytes("★")},
        {"unknownSymbolMarkEmpty", {{irSymbolMark, "☆"}}, "SymbolMark", bytes("")},
        {"hexColour", {{irSymbolColor, "FF0000"}}, "SymbolColor", 0xFF0000},
        {"colourWithNumberSignDefault", {{irSymbolColor, "#FF0000"}}, "SymbolColor", 0x7FDF3F},
        {"colourWithZerosPastEightDigits", {{irSymbolColor, "000000FF0000"}}, "SymbolColor", 0xFF0000},
        {"dateWithSixDigitsGivesNow", {{irAddDate, "2014/3/5"}}, "AddDateTime", now},
        {"dateWithShortTimeIsMidnight",
         {{irAddDate, "2014/03/05"}, {irAddTime, "9:05"}},
         "AddDateTime",
         QVariant(QDateTime(QDate(2014, 3, 5), QTime(0, 0)))},
        {"dateAndTime",
         {{irAddDate, "20140305"}, {irAddTime, "09:05:07"}},
         "AddDateTime",
         QVariant(QDateTime(QDate(2014, 3, 5), QTime(9, 5, 7)))},
        {"invalidDateGivesNow", {{irAddDate, "20140231"}}, "AddDateTime", now},
    };
}

class AddConversion : public ::testing::TestWithParam<AddCase>
{
};

TEST_P(AddConversion, fieldTakesItsValue)
{
    const AddCase &c = GetParam();
    TAddressData record;
    ConvertImportValuesToRecord(valuesOf(c.rows), contextWith(nullptr, c.options), record);
    EXPECT_EQ(recordField(record, c.field), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, AddConversion, ::testing::ValuesIn(addCases()),
                         [](const auto &info) { return std::string(info.param.name); });

// A group value as the export writes it, for group names a settings file
// can hold: it names that group, in add and in update mode.
struct GroupValueCase {
    const char *name;
    QByteArray value;
    int group;
};

void PrintTo(const GroupValueCase &c, std::ostream *os)
{
    *os << c.name;
}

class GroupValue : public ::testing::TestWithParam<GroupValueCase>
{
protected:
    static TImportContext context()
    {
        TImportContext c = contextWith();
        c.GroupNames = {QStringLiteral("指定なし"), QStringLiteral("指定なし"), QStringLiteral(" 友人 "),
                        QStringLiteral("友人"),     QStringLiteral("友人,知人"), QStringLiteral("\"VIP\""),
                        QStringLiteral("〜①髙"),   QStringLiteral(" ")};
        return c;
    }
};

TEST_P(GroupValue, namesItsGroupWhenAdded)
{
    TImportValues values;
    values[irGroup - 1] = GetParam().value;
    TAddressData record;
    ConvertImportValuesToRecord(values, context(), record);
    EXPECT_EQ(record.Group, GetParam().group);
}

TEST_P(GroupValue, namesItsGroupWhenUpdated)
{
    Book book;
    book.add({{"Group", 9}});
    book.table.First();
    TImportValues values;
    values[irGroup - 1] = GetParam().value;
    TImportAssigned assigned{};
    assigned[irGroup - 1] = true;
    book.table.Edit();
    (void)ApplyImportValuesToTable(values, assigned, context(), book.table);
    book.table.Post();
    EXPECT_EQ(book.table.FieldByName(QStringLiteral("Group")).AsInteger(), GetParam().group);
}

INSTANTIATE_TEST_SUITE_P(
    Names, GroupValue,
    ::testing::Values(GroupValueCase{"groupNamedAsNoGroup", sj("指定なし"), 1},
                      GroupValueCase{"nameWithBlanksAtItsEnds", sj(" 友人 "), 2},
                      GroupValueCase{"nameAlikeOnceTrimmed", sj("友人"), 3},
                      GroupValueCase{"trimmedValueOfATypedFile", sj("  友人"), 3},
                      GroupValueCase{"nameWithAComma", sj("友人,知人"), 4},
                      GroupValueCase{"nameWithQuotes", sj("\"VIP\""), 5},
                      // The export writes U+301C as the code page's U+FF5E.
                      GroupValueCase{"nameAsTheCodePageWritesIt", sj("～①髙"), 6},
                      GroupValueCase{"blankName", sj(" "), 7},
                      GroupValueCase{"emptyValueIsNoGroup", QByteArray(), 0}),
    [](const auto &info) { return std::string(info.param.name); });

// Without a group of that name "指定なし" is still no group.
TEST(ImportConversion, noGroupWordWithoutSuchAGroupIsNoGroup)
{
    TImportValues values;
    values[irGroup - 1] = sj("指定なし");
    TAddressData record;
    ConvertImportValuesToRecord(values, contextWith(), record);
    EXPECT_EQ(record.Group, 0);
}

TEST(ImportConversion, decimalLatitudeRejectsTheLine)
{
    TAddressData record;
    EXPECT_THROW(ConvertImportValuesToRecord(valuesOf({{irLatitude, "35.6895"}}), contextWith(), record),
                 EImportValueError);
}

TEST(ImportConversion, completionFillsMissingPostcodeAndCodes)
{
    FakeLookup lookup;
    TAddressData record;
    ConvertImportValuesToRecord(valuesOf({{irAdrs1, "東京都新宿区西新宿"}, {irPos, "１６３－８００１"}}),
                                contextWith(&lookup), record);
    EXPECT_EQ(lookup.calls, 1);
    EXPECT_EQ(lookup.lastText, sj("東京都新宿区西新宿"));
    EXPECT_EQ(record.Pos.Bytes(), QByteArray("1638001"));
    EXPECT_EQ(record.JisCode.Bytes(), QByteArray("13104"));
    EXPECT_EQ(record.KajoCode.Bytes(), QByteArray("000000"));
    EXPECT_EQ(record.Latitude, 128441000);
}

TEST(ImportConversion, completionNotAskedWhenNothingMissing)
{
    FakeLookup lookup;
    TAddressData record;
    ConvertImportValuesToRecord(valuesOf({{irAdrs1, "東京都新宿区"},
                                          {irPos, "1638001"},
                                          {irJisCode, "13104"},
                                          {irLatitude, "1"},
                                          {irLongitude, "2"}}),
                                contextWith(&lookup), record);
    EXPECT_EQ(lookup.calls, 0);
}

TEST(ImportConversion, completionNotAskedWithoutAddress)
{
    FakeLookup lookup;
    TAddressData record;
    ConvertImportValuesToRecord(valuesOf({}), contextWith(&lookup), record);
    EXPECT_EQ(lookup.calls, 0);
}

TEST(ImportConversion, completionOffByOption)
{
    FakeLookup lookup;
    TAddressData record;
    ConvertImportValuesToRecord(valuesOf({{irAdrs1, "東京都新宿区"}}), contextWith(&lookup, {true, false, 0, true}),
                                record);
    EXPECT_EQ(lookup.calls, 0);
}

TEST(ImportConversion, completionKeepsGivenPosition)
{
    FakeLookup lookup;
    TAddressData record;
    ConvertImportValuesToRecord(valuesOf({{irAdrs1, "東京都新宿区"}, {irPos, "1000001"}, {irJisCode, "13101"}}),
                                contextWith(&lookup), record);
    EXPECT_EQ(lookup.calls, 1);
    EXPECT_EQ(record.Pos.Bytes(), QByteArray("1000001"));
    EXPECT_EQ(record.JisCode.Bytes(), QByteArray("13101"));
    EXPECT_EQ(record.Longitude, 503169000);
}

TEST(ImportConversion, failedLookupKeepsValues)
{
    FakeLookup lookup;
    lookup.answer = false;
    TAddressData record;
    ConvertImportValuesToRecord(valuesOf({{irAdrs1, "東京都新宿区"}, {irPos, "163"}}), contextWith(&lookup), record);
    EXPECT_EQ(record.Pos.Bytes(), QByteArray("163"));
}

TEST(ImportConversion, widthCutNeverSplitsACharacter)
{
    // Every cut of a mixed text at every width ends on a character boundary
    // and keeps every byte.
    const QByteArray text = sj("aあbいうcえ");
    for (int width = 1; width < text.size(); ++width) {
        const TWidthCut c = CutAtWidth(text, width);
        EXPECT_LE(c.Head.size(), width);
        EXPECT_FALSE(Cp932::decode(c.Head).contains(QChar(0xFFFD))) << width;
        const QByteArray joined = c.Head.endsWith(' ') && c.Head.size() == width ? c.Head.chopped(1) + c.Rest
                                                                                  : c.Head + c.Rest;
        EXPECT_EQ(joined, text) << width;
    }
}

// ---- Names at the limits of their fields -------------------------------------
//
// A name field holds 15 (joint 11) characters in the "@" form; a longer name
// goes in plain Shift-JIS, up to 75 (55) bytes, as the record form stores it.

struct NameCase {
    const char *name;
    int row;
    const char *field;
    int characters;     // the name typed: this many characters of Pattern
    const char16_t *pattern;
    int kept;           // characters stored
    bool wideForm;      // in the "@" form, else plain Shift-JIS
};

void PrintTo(const NameCase &c, std::ostream *os)
{
    *os << c.name;
}

QString nameOf(const NameCase &c, int characters)
{
    QString text;
    const QString pattern = QString::fromUtf16(c.pattern);
    while (text.size() < characters)
        text += pattern;
    return text.left(characters);
}

const char16_t kKana[] = u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわ";
const char16_t kAtSign[] = u"@あいうえおかきくけこさしすせそたちつてと";

class NameLimits : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(NameLimits, nameIsStoredAsTheRecordFormStoresIt)
{
    const NameCase &c = GetParam();
    TImportValues values;
    values[c.row - 1] = Cp932::encode(nameOf(c, c.characters));
    TAddressData record;
    ConvertImportValuesToRecord(values, contextWith(), record);
    const QString kept = nameOf(c, c.kept);
    const QByteArray expected = c.wideForm ? EncodeUnicodeField(kept) : Cp932::encode(kept);
    const QByteArray stored = recordField(record, c.field).toByteArray();
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(DecodeUnicodeField(stored), kept);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, NameLimits,
    ::testing::Values(NameCase{"fifteenCharactersWide", irName, "NameKanji", 15, kKana, 15, true},
                      NameCase{"sixteenCharactersPlain", irName, "NameKanji", 16, kKana, 16, false},
                      NameCase{"thirtySevenCharactersPlain", irName, "NameKanji", 37, kKana, 37, false},
                      NameCase{"thirtyEightCutToThirtySeven", irName, "NameKanji", 38, kKana, 37, false},
                      NameCase{"elevenJointCharactersWide", irJoint1, "Joint1", 11, kKana, 11, true},
                      NameCase{"twelveJointCharactersPlain", irJoint1, "Joint1", 12, kKana, 12, false},
                      NameCase{"twentySevenJointCharactersPlain", irJoint1, "Joint1", 27, kKana, 27, false},
                      NameCase{"twentyEightJointCutToTwentySeven", irJoint1, "Joint1", 28, kKana, 27, false},
                      NameCase{"leadingAtSignCutInWideForm", irName, "NameKanji", 20, kAtSign, 15, true}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Update mode --------------------------------------------------------------

struct UpdateCase {
    const char *name;
    TRecordValues stored;
    TRowTexts rows; // these rows are the assigned ones
    const char *field;
    QVariant expected;
    bool changed;
};

void PrintTo(const UpdateCase &c, std::ostream *os)
{
    *os << c.name;
}

std::vector<UpdateCase> updateCases()
{
    return {
        {"emptyGroupClears", {{"Group", 2}}, {{irGroup, ""}}, "Group", 0, true},
        {"unknownGroupUnchanged", {{"Group", 2}}, {{irGroup, "遊び"}}, "Group", 2, false},
        {"sameValueIsNoChange", {{"Tel", QByteArray("0312345678")}}, {{irTel, "03-1234-5678"}}, "Tel",
         QByteArray("0312345678"), false},
        {"phoneRenumbered", {}, {{irTel, "030-123-4567"}}, "Tel", QByteArray("09031234567"), true},
        {"shortPubDateUnchanged", {{"PubDate", QByteArray("201001")}}, {{irPubDate, "2014"}}, "PubDate",
         QByteArray("201001"), false},
        {"invalidPubDateUnchanged", {{"PubDate", QByteArray("201001")}}, {{irPubDate, "201413"}}, "PubDate",
         QByteArray("201001"), false},
        {"validPubDateTakesSixDigits", {}, {{irPubDate, "2014/06/15"}}, "PubDate", QByteArray("201406"), true},
        {"privateWordInUpdate", {{"PrivCorp", false}}, {{irPrivCorp, "個人"}}, "PrivCorp", true, true},
        {"unknownClassUnchanged", {{"PrivCorp", false}}, {{irPrivCorp, ""}}, "PrivCorp", false, false},
        {"printNameWordClearsIgnore", {{"IgnoreName", true}}, {{irIgnoreName, "印刷する"}}, "IgnoreName", false, true},
        {"unknownIgnoreWordUnchanged", {{"IgnoreName", true}}, {{irIgnoreName, "はい"}}, "IgnoreName", true, false},
        {"noneWordClearsPrintTarget", {{"PrintTarget", 2}}, {{irPrintTarget, "指定なし"}}, "PrintTarget", 0, true},
        {"emptyJointPrintClears", {{"JointPrint", true}}, {{irJointPrint, ""}}, "JointPrint", false, true},
        {"companyWordInUpdate", {{"PrivCorp", true}}, {{irPrivCorp, "法人"}}, "PrivCorp", false, true},
        {"telDivOtherWordGivesZero", {{"TelDiv", 3}}, {{irTelDiv, "はい"}}, "TelDiv", 0, true},
        {"unknownSenderUnchanged", {{"Sender", 9}}, {{irSender, "実家"}}, "Sender", 9, false},
        {"knownSenderByTitle", {}, {{irSender, "自宅"}}, "Sender", 7, true},
        {"keywordTrimmedInUpdate", {}, {{irKeyword1, " 趣味 "}}, "Keyword1", sj("趣味"), true},
        {"nameWrittenWide", {}, {{irName, " 山田 "}}, "NameKanji", EncodeUnicodeField(u"山田"), true},
        {"longNameWrittenInShiftJis", {}, {{irName, "あいうえおかきくけこさしすせそた"}}, "NameKanji",
         sj("あいうえおかきくけこさしすせそた"), true},
        {"longNameAsStoredIsNoChange",
         {{"NameKanji", sj("あいうえおかきくけこさしすせそた")}},
         {{irName, "あいうえおかきくけこさしすせそた"}},
         "NameKanji",
         sj("あいうえおかきくけこさしすせそた"),
         false},
        {"longJointWrittenInShiftJis", {}, {{irJoint1, "あいうえおかきくけこさし"}}, "Joint1",
         sj("あいうえおかきくけこさし"), true},
        {"jointPrintOfNamedJoint",
         {{"Joint1", EncodeUnicodeField(u"花子")}},
         {{irJointPrint1, "印刷"}},
         "JointPrint1",
         true,
         true},
        {"jointPrintOfUnnamedJointStaysOff", {}, {{irJointPrint1, "印刷"}}, "JointPrint1", false, false},
        {"colourDefaultWhenNotHex", {{"SymbolColor", 5}}, {{irSymbolColor, "赤"}}, "SymbolColor", 0x7FDF3F, true},
        {"colourWithZerosPastEightDigits", {{"SymbolColor", 5}}, {{irSymbolColor, "0000000000FF"}}, "SymbolColor",
         0xFF, true},
        {"emptyPrintTargetUnchanged", {{"PrintTarget", 2}}, {{irPrintTarget, ""}}, "PrintTarget", 2, false},
        {"emptySenderClears", {{"Sender", 9}}, {{irSender, ""}}, "Sender", 0, true},
        {"emptySymbolMarkClears", {{"SymbolMark", sj("★")}}, {{irSymbolMark, ""}}, "SymbolMark", QByteArray(), true},
        {"overflowGoesBeforeUnassignedAdrs2",
         {{"Adrs2", sj("古い住所")}},
         {{irAdrs1, "東京都新宿区西新宿二丁目８番１号都庁第一本庁舎"}},
         "Adrs2",
         sj("一本庁舎古い住所"),
         true},
        {"overflowIntoEmptyUnassignedAdrs2",
         {},
         {{irAdrs1, "東京都新宿区西新宿二丁目８番１号都庁第一本庁舎"}},
         "Adrs2",
         sj("一本庁舎"),
         true},
        {"overflowOfAdrs2GoesBeforeUnassignedAdrs3",
         {{"Adrs3", sj("ビル")}},
         {{irAdrs2, "あいうえおかきくけこあいうえおかきくけこあいうえおかきくけこあいうえおかきくけこあいうえおかきくけこわ"}},
         "Adrs3",
         sj("わビル"),
         true},
        {"noOverflowKeepsUnassignedAdrs2",
         {{"Adrs2", sj("古い住所")}},
         {{irAdrs1, "東京都新宿区"}},
         "Adrs2",
         sj("古い住所"),
         true},
        {"noOverflowKeepsUnassignedAdrs3", {{"Adrs3", sj("ビル")}}, {{irAdrs2, "西新宿"}}, "Adrs3", sj("ビル"), true},
        {"jointCleanupClearsHonor", {{"JointHonor3", sj("様")}}, {}, "JointHonor3", QByteArray(), true},
        {"jointHonorWritten", {{"Joint1", EncodeUnicodeField(u"花子")}}, {{irJointHonor1, "様"}}, "JointHonor1",
         sj("様"), true},
        {"jointOwnerByStoredName", {{"Joint2", EncodeUnicodeField(u"太郎")}}, {{irJointOwner, "太郎"}}, "JointOwner",
         2, true},
        {"jointOwnerNoMatchUnchanged", {{"JointOwner", 1}}, {{irJointOwner, "次郎"}}, "JointOwner", 1, false},
        {"memoWrittenWithLineBreaks", {}, {{irNote, "a\tb"}}, "Note", QByteArray("a\r\nb"), true},
        {"sameMemoNoChange", {{"Note", QByteArray("a\r\nb")}}, {{irNote, "a\tb"}}, "Note", QByteArray("a\r\nb"), false},
        {"addDateNeedsBothRows", {}, {{irAddDate, "20140305"}}, "AddDateTime", QVariant(QDateTime()), false},
        {"addDateBothRows",
         {},
         {{irAddDate, "20140305"}, {irAddTime, "090507"}},
         "AddDateTime",
         QVariant(QDateTime(QDate(2014, 3, 5), QTime(9, 5, 7))),
         true},
    };
}

class UpdateConversion : public ::testing::TestWithParam<UpdateCase>
{
};

TEST_P(UpdateConversion, fieldTakesItsValue)
{
    const UpdateCase &c = GetParam();
    Book book;
    TRecordValues stored = c.stored;
    // Booleans and integers start from stored values, as records written by
    // the program have them.
    for (const char *name : {"Group", "PrivCorp", "PrintTarget", "Sender", "JointOwner", "JointPrint1",
                             "JointPrint2", "JointPrint3", "JointPrint4", "JointPrint5", "SymbolColor"}) {
        const bool given = std::any_of(stored.begin(), stored.end(),
                                       [&](const auto &p) { return std::string(p.first) == name; });
        if (!given)
            stored.push_back({name, std::string(name).starts_with("Joint") && std::string(name) != "JointOwner"
                                        ? QVariant(false)
                                        : QVariant(std::string(name) == "PrivCorp" ? QVariant(false) : QVariant(0))});
    }
    book.add(stored);
    book.table.First();
    TImportAssigned assigned{};
    for (const auto &[row, text] : c.rows)
        assigned[row - 1] = true;
    book.table.Edit();
    const bool changed = ApplyImportValuesToTable(valuesOf(c.rows), assigned, contextWith(), book.table);
    book.table.Post();
    EXPECT_EQ(changed, c.changed);
    TField &field = book.table.FieldByName(QString::fromLatin1(c.field));
    switch (c.expected.typeId()) {
    case QMetaType::QByteArray: EXPECT_EQ(field.AsBytes(), c.expected.toByteArray()); break;
    case QMetaType::Bool: EXPECT_EQ(field.AsBoolean(), c.expected.toBool()); break;
    case QMetaType::QDateTime: EXPECT_EQ(field.AsDateTime(), c.expected.toDateTime()); break;
    default: EXPECT_EQ(field.AsInteger(), c.expected.toInt());
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, UpdateConversion, ::testing::ValuesIn(updateCases()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ImportConversion, updateStampsOnlyAChangedRecord)
{
    Book book;
    book.add({{"Tel", QByteArray("0312345678")}});
    book.table.First();
    TImportAssigned assigned{};
    assigned[irTel - 1] = true;
    book.table.Edit();
    EXPECT_TRUE(ApplyImportValuesToTable(valuesOf({{irTel, "0311112222"}}), assigned, contextWith(), book.table));
    book.table.Post();
    EXPECT_EQ(book.table.FieldByName(QStringLiteral("UpdDateTime")).AsDateTime(), TruncMilliseconds(kNow));
}

TEST(ImportConversion, updateRejectsDecimalLongitude)
{
    Book book;
    book.add({{"Longitude", 5}});
    book.table.First();
    TImportAssigned assigned{};
    assigned[irLongitude - 1] = true;
    book.table.Edit();
    EXPECT_THROW((void)ApplyImportValuesToTable(valuesOf({{irLongitude, "139.69"}}), assigned, contextWith(),
                                                book.table),
                 EImportValueError);
    book.table.Cancel();
}

} // namespace
