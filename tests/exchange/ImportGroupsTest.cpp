#include "core/GrpEdt.h"
#include "exchange/ImportConv.h"
#include "exchange/ImportGroups.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

QByteArray sj(const char16_t *text)
{
    return Cp932::encode(QString::fromUtf16(text));
}

using TLoss = TImportGroups::TLoss;

// The book's names: the defaults, with Named in their places.
QStringList bookNames(const std::vector<std::pair<int, const char16_t *>> &Named)
{
    QStringList names{QStringLiteral("指定なし")};
    for (int i = 1; i <= GroupCount; ++i)
        names << DefaultGroupName(i);
    for (const auto &[place, name] : Named)
        names[place] = QString::fromUtf16(name);
    return names;
}

std::vector<std::pair<int, const char16_t *>> namedUpTo(int Last)
{
    static const char16_t *const names[] = {u"家族", u"親戚", u"友人", u"仕事", u"学校",
                                            u"近所", u"趣味", u"旧友", u"顧客", u"取引先"};
    std::vector<std::pair<int, const char16_t *>> named;
    for (int i = 1; i <= Last; ++i)
        named.emplace_back(i, names[i - 1]);
    return named;
}

struct PlaceCase {
    const char *name;
    std::vector<std::pair<int, const char16_t *>> named; // the book's own names
    std::vector<int> used;                               // groups records are in
    std::vector<const char16_t *> file;                  // the file's values, noted first
    QByteArray value;
    int group;  // the group the placed value names for the conversion (lost: none)
    TLoss loss;
    const char16_t *groupName; // the name of that group afterwards (nullptr: not checked)
};

void PrintTo(const PlaceCase &c, std::ostream *os)
{
    *os << c.name;
}

class ImportGroupPlace : public ::testing::TestWithParam<PlaceCase>
{
};

TEST_P(ImportGroupPlace, givesTheValueItsGroupOrTheReason)
{
    const PlaceCase &c = GetParam();
    TImportGroups groups(bookNames(c.named));
    for (const char16_t *value : c.file)
        (void)groups.NoteFileValue(sj(value));
    for (int group : c.used)
        groups.NoteUsed(group);
    const TImportGroups::TPlacing placing = groups.Place(c.value);
    EXPECT_EQ(placing.Loss, c.loss);
    // A value that cannot have its group names none: an add gives no group,
    // an update keeps the record's.
    EXPECT_EQ(ImportGroupIndex(placing.Value, groups.Names()), c.loss == TLoss::None ? c.group : -1);
    if (c.groupName) {
        EXPECT_EQ(groups.Names().value(c.group), QString::fromUtf16(c.groupName));
    }
    EXPECT_EQ(groups.Changed(), placing.Taken != 0);
    if (c.loss == TLoss::None)
        return;
    EXPECT_EQ(groups.Names(), bookNames(c.named)) << "a name that cannot be added changes no group";
    EXPECT_FALSE(placing.Name.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Values, ImportGroupPlace,
    ::testing::Values(
        PlaceCase{"nameOfTheBookKeepsItsGroup", {{3, u"友人"}}, {}, {}, sj(u"友人"), 3, TLoss::None, u"友人"},
        PlaceCase{"newNameTakesTheFirstPlace", {}, {}, {}, sj(u"友人"), 1, TLoss::None, u"友人"},
        PlaceCase{"placeARecordIsInIsNotFree", {}, {1, 2}, {}, sj(u"友人"), 3, TLoss::None, u"友人"},
        PlaceCase{"placeTheUserNamedIsNotFree", {{1, u"家族"}}, {}, {}, sj(u"友人"), 2, TLoss::None, u"友人"},
        PlaceCase{"defaultNameTheFileNamesIsNotFree", {}, {}, {u"グループ１", u"友人"}, sj(u"友人"), 2,
                  TLoss::None, u"友人"},
        PlaceCase{"defaultNameTheFileNamesKeepsItsGroup", {}, {}, {u"グループ１"}, sj(u"グループ１"), 1,
                  TLoss::None, u"グループ１"},
        PlaceCase{"lastFreePlace", namedUpTo(9), {}, {}, sj(u"同僚"), 10, TLoss::None, u"同僚"},
        PlaceCase{"noFreePlace", namedUpTo(10), {}, {}, sj(u"同僚"), 0, TLoss::NoPlace, nullptr},
        PlaceCase{"noFreePlaceWhenTheLastIsUsed", namedUpTo(9), {10}, {}, sj(u"同僚"), 0, TLoss::NoPlace, nullptr},
        PlaceCase{"tenFullWidthCharactersFit", {}, {}, {}, sj(u"あいうえおかきくけこ"), 1, TLoss::None,
                  u"あいうえおかきくけこ"},
        PlaceCase{"twentyOneBytesAreTooLong", {}, {}, {}, sj(u"あいうえおかきくけこa"), 0, TLoss::TooLong, nullptr},
        PlaceCase{"twentyHalfWidthCharactersFit", {}, {}, {}, QByteArray("abcdefghijklmnopqrst"), 1, TLoss::None,
                  u"abcdefghijklmnopqrst"},
        PlaceCase{"twentyOneHalfWidthAreTooLong", {}, {}, {}, QByteArray("abcdefghijklmnopqrstu"), 0, TLoss::TooLong,
                  nullptr},
        PlaceCase{"blanksAroundTheNameGo", {}, {}, {}, sj(u"  友人 "), 1, TLoss::None, u"友人"},
        PlaceCase{"ideographicBlanksAroundTheBooksNameGo", {{3, u"友人"}}, {}, {}, sj(u"\u3000友人\u3000"), 3,
                  TLoss::None, u"友人"},
        PlaceCase{"ideographicBlanksAroundANewNameGo", {}, {}, {}, sj(u"友人\u3000"), 1, TLoss::None, u"友人"},
        PlaceCase{"ideographicBlanksAloneAreNoGroup", {}, {}, {}, sj(u"\u3000\u3000"), 0, TLoss::None, nullptr},
        PlaceCase{"wordOfNoGroupBetweenIdeographicBlanksIsNoGroup", {}, {}, {}, sj(u"\u3000指定なし\u3000"), 0,
                  TLoss::None, nullptr},
        PlaceCase{"commaRefused", {}, {}, {}, sj(u"友人,知人"), 0, TLoss::BadCharacter, nullptr},
        PlaceCase{"doubleQuoteRefused", {}, {}, {}, sj(u"\"VIP\""), 0, TLoss::BadCharacter, nullptr},
        PlaceCase{"tabInsideRefused", {}, {}, {}, sj(u"友\t人"), 0, TLoss::BadCharacter, nullptr},
        PlaceCase{"emptyValueIsNoGroup", {}, {}, {}, QByteArray(), 0, TLoss::None, nullptr},
        PlaceCase{"blankValueIsNoGroup", {}, {}, {}, QByteArray("  "), 0, TLoss::None, nullptr},
        PlaceCase{"wordOfNoGroupIsNoGroup", {}, {}, {}, sj(u"指定なし"), 0, TLoss::None, nullptr},
        // 纊 has two codes; Windows writes FA 5C, an older file may hold ED 40.
        PlaceCase{"otherCodeOfTheSameCharacterKeepsItsGroup", {{2, u"纊"}}, {}, {}, QByteArray("\xED\x40"), 2,
                  TLoss::None, u"纊"},
        // The export writes a name as it is stored: letter case and width
        // tell names apart, as the group-name editor does.
        PlaceCase{"otherWidthIsAnotherName", {{1, u"ABC"}}, {}, {}, sj(u"ＡＢＣ"), 2, TLoss::None, u"ＡＢＣ"},
        PlaceCase{"otherCaseIsAnotherName", {{1, u"ABC"}}, {}, {}, QByteArray("abc"), 2, TLoss::None, u"abc"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ImportGroups, linesNamingTheSameNewGroupShareItsPlace)
{
    TImportGroups groups(bookNames({}));
    const TImportGroups::TPlacing first = groups.Place(sj(u"友人"));
    const TImportGroups::TPlacing second = groups.Place(sj(u" 友人"));
    EXPECT_EQ(first.Taken, 1);
    EXPECT_EQ(second.Taken, 0) << "the second line takes no place of its own";
    EXPECT_EQ(ImportGroupIndex(second.Value, groups.Names()), 1);
    EXPECT_EQ(groups.Added(), QStringList{QStringLiteral("友人")});
}

TEST(ImportGroups, placeOfALineNotStoredIsFreeAgain)
{
    TImportGroups groups(bookNames({}));
    const TImportGroups::TPlacing refused = groups.Place(sj(u"友人"));
    ASSERT_EQ(refused.Taken, 1);
    groups.Release(refused.Taken);
    EXPECT_FALSE(groups.Changed());
    EXPECT_EQ(groups.Names(), bookNames({}));
    EXPECT_EQ(groups.Place(sj(u"取引先")).Taken, 1);
    EXPECT_EQ(groups.Added(), QStringList{QStringLiteral("取引先")});
}

TEST(ImportGroups, addedNamesInTheOrderOfTheirPlaces)
{
    TImportGroups groups(bookNames({{2, u"家族"}}));
    (void)groups.Place(sj(u"友人"));
    (void)groups.Place(sj(u"取引先"));
    (void)groups.Place(sj(u"家族"));
    EXPECT_EQ(groups.Added(), (QStringList{QStringLiteral("友人"), QStringLiteral("取引先")}));
    EXPECT_EQ(groups.Names().value(1), QStringLiteral("友人"));
    EXPECT_EQ(groups.Names().value(3), QStringLiteral("取引先"));
}

// A caller that knows only some of the book's names: the others are the
// defaults, which a value can name.
TEST(ImportGroups, missingNamesAreTheDefaults)
{
    TImportGroups groups({QStringLiteral("指定なし"), QStringLiteral("家族")});
    ASSERT_EQ(groups.Names().size(), GroupCount + 1);
    EXPECT_EQ(groups.Names().value(10), DefaultGroupName(10));
    EXPECT_FALSE(groups.NoteFileValue(Cp932::encode(DefaultGroupName(10))));
    EXPECT_TRUE(groups.NoteFileValue(sj(u"友人")));
}

} // namespace
