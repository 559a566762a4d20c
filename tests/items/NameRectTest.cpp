#include "StreamBytes.h"
#include "TextItemSupport.h"
#include "items/NameRect.h"
#include "support/RowName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// A private name with joint names, each with the honorific "様".
std::unique_ptr<TNameRect> privateName(bool Horizontal, const QString &Name, const QStringList &Joints)
{
    auto n = std::make_unique<TNameRect>();
    n->SetNameKind(1);
    n->SetHorizontal(Horizontal);
    n->SetName(Name);
    n->SetHonor(u(u"様"));
    n->SetJointCount(int(Joints.size()));
    for (int i = 0; i < Joints.size(); ++i) {
        n->SetJointName(i, Joints[i]);
        n->SetJointHonor(i, u(u"様"));
    }
    return n;
}

// ---- Private layout -------------------------------------------------------------------

// 100 x 300 vertical: 292 along, 92 across, -40. K 40, s 7 spread to 16 by
// the spare length; the given-name column starts at 2 x 56 + 20 = 132.
TEST(NameRectTest, jointGivenNameStartsInTheColumnOfTheMainGivenName)
{
    auto n = privateName(false, u(u"山田 太郎"), {u(u"花子")});
    layOut(*n, {0, 0, 100, 300});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 4);
    EXPECT_EQ(ops[0]->Text, u(u"山田 太郎"));
    EXPECT_EQ(ops[0]->Advances, (QList<int>{56, 56, 20, 56, 56}));
    // The joint name is a given name alone: its family column stays empty.
    EXPECT_EQ(ops[2]->Text, u(u" 花子"));
    EXPECT_EQ(ops[2]->Advances, (QList<int>{132, 56, 56}));
    // Two columns: the main name's right edge at 4 + (92 + 5) / 2 + 40, the
    // joint one a pitch of 45 to its left.
    EXPECT_EQ(ops[0]->Origin, QPoint(92, 4));
    EXPECT_EQ(ops[2]->Origin, QPoint(47, 4));
    // Honorifics after the given-name column: 132 + 2 x 56 - 7 + 13.
    EXPECT_EQ(ops[1]->Origin, QPoint(92, 4 + 250));
    EXPECT_EQ(ops[3]->Origin, QPoint(47, 4 + 250));
}

TEST(NameRectTest, turnedNameIsDrawnFromTheMirroredPointsWithTheHonorificBeforeThem)
{
    auto n = privateName(false, u(u"山田 太郎"), {u(u"花子")});
    n->SetRotate180(true);
    layOut(*n, {0, 0, 100, 300});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 4);
    EXPECT_EQ(ops[0]->Origin, QPoint(100 - 92, 300 - 4));
    EXPECT_EQ(ops[0]->Font.Escapement, 900);
    EXPECT_EQ(ops[1]->Origin, QPoint(100 - 92, 300 - 4 - 250));
    EXPECT_EQ(ops[2]->Origin, QPoint(100 - 47, 300 - 4));
}

struct AlignCase {
    const char *name;
    quint8 align;
    QList<int> joint;
};

class NameAlignTest : public ::testing::TestWithParam<AlignCase> {};

// 100 x 400 without spreading: K 40, s 7; the given-name column starts at
// 114 and is 4 x 40 + 3 x 7 = 181 long; a two-character given name is 87.
TEST_P(NameAlignTest, placesAShorterGivenNameInTheColumn)
{
    auto n = privateName(false, u(u"山田 太郎兵衛"), {u(u"花子")});
    n->SetCharSpace(false);
    n->SetNameAlign(GetParam().align);
    layOut(*n, {0, 0, 100, 400});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 4);
    EXPECT_EQ(ops[2]->Advances, GetParam().joint);
}

INSTANTIATE_TEST_SUITE_P(Aligns, NameAlignTest,
                         ::testing::Values(AlignCase{"spreadOverTheColumn", 0, {114, 141, 141}},
                                           AlignCase{"start", 1, {114, 47, 47}},
                                           AlignCase{"end", 2, {114 + 94, 47, 47}},
                                           AlignCase{"centre", 3, {114 + 47, 47, 47}}),
                         rowName);

TEST(NameRectTest, threeHorizontalLinesCentreTheMiddleOneAPitchApart)
{
    auto n = privateName(true, u(u"山田 太郎"), {u(u"花子"), u(u"次郎")});
    n->SetShowHonor(false);
    layOut(*n, {0, 0, 300, 150});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 3);
    EXPECT_EQ(ops[1]->Origin.y(), 4 + (142 - 40) / 2);
    EXPECT_EQ(ops[0]->Origin.y(), ops[1]->Origin.y() - 45);
    EXPECT_EQ(ops[2]->Origin.y(), ops[1]->Origin.y() + 45);
}

// 400 x 60 horizontal: two lines shrink to -24 (K 24, s 4 spread to 55);
// the given-name column starts at 170, the honorific at 332.
TEST(NameRectTest, noteOnALineWithAnHonorificFollowsTheHonorificInsteadOfCoveringIt)
{
    auto n = privateName(true, u(u"山田 太郎"), {u(u"花子")});
    n->SetNote(u(u"幹事"));
    n->SetJointHonor(0, QString());
    n->SetJointNote(0, u(u"会計"));
    layOut(*n, {0, 0, 400, 60});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 5); // name, honorific, joint name, two notes
    const TTextOp &honor = *ops[1];
    const TTextOp &mainNote = *ops[3];
    const TTextOp &jointNote = *ops[4];
    EXPECT_EQ(honor.Origin, QPoint(4 + 332, 4));
    EXPECT_EQ(mainNote.Text, u(u"幹事"));
    EXPECT_GE(mainNote.Origin.x(), honor.Origin.x() + 24);
    // Two thirds of the name height, centred across its line.
    EXPECT_EQ(mainNote.Font.Height, -16);
    EXPECT_EQ(mainNote.Origin, QPoint(4 + 356 + 4, 4 + 4));
    // Without an honorific the note follows the given-name column.
    EXPECT_EQ(jointNote.Origin, QPoint(4 + 170 + 48 + 55 + 4, 31 + 4));
}

TEST(NameRectTest, nameKindZeroPrintsNameAndHonorificOnly)
{
    auto n = privateName(false, u(u"山田 太郎"), {u(u"花子")});
    n->SetNameKind(0);
    n->SetNote(u(u"幹事"));
    layOut(*n, {0, 0, 100, 300});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0]->Text, u(u"山田 太郎"));
    EXPECT_EQ(ops[1]->Text, u(u"様"));
}

// 40 x 74 vertical: 66 along, 32 across. Two lines fit across at -15, but
// along the long name with its honorific would need -6, below the least
// height (7 dots at 96 dpi): the name and its joint name keep -7, squeezed
// along their columns, and end inside the box.
TEST(NameRectTest, nameTooLongForItsColumnKeepsTheLeastHeightSqueezedAlongIt)
{
    auto n = privateName(false, u(u"長谷川 五郎左衛門"), {u(u"由美子")});
    layOut(*n, {0, 0, 40, 74});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 4);
    for (const TTextOp *op : ops) {
        EXPECT_EQ(op->Font.Height, -7) << qPrintable(op->Text);
        EXPECT_LT(op->Font.WidthRatio, 1.0) << qPrintable(op->Text);
        int along = 0;
        for (const int a : op->Advances)
            along += a;
        EXPECT_LE(op->Origin.y() + along, 4 + 66) << qPrintable(op->Text);
    }
    // Narrowed to three quarters of their width or more: readable, and
    // not named before printing.
    EXPECT_GT(n->Narrowest(), LeastWidthRatio);
    EXPECT_LT(n->Narrowest(), 1.0);
    EXPECT_FALSE(n->IsSqueezed());
}

// 300 x 36 horizontal: 28 across hold four lines at -6 only, below the
// least height (7 dots at 96 dpi), and two at -13: the names go two to a
// line, the first joint name beside the main name, the next two under them.
TEST(NameRectTest, jointNamesBelowTheLeastHeightOneUnderTheOtherGoTwoToALine)
{
    auto n = privateName(true, u(u"山田 太郎"), {u(u"花子"), u(u"一郎"), u(u"美咲")});
    layOut(*n, {0, 0, 300, 36});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 8); // each name with its honorific
    for (const TTextOp *op : ops)
        EXPECT_EQ(op->Font.Height, -13) << qPrintable(op->Text);
    EXPECT_EQ(ops[2]->Origin.y(), ops[0]->Origin.y());
    EXPECT_GT(ops[2]->Origin.x(), ops[1]->Origin.x()); // after the main name's honorific
    EXPECT_EQ(ops[4]->Origin, QPoint(ops[0]->Origin.x(), ops[0]->Origin.y() + 13 + 13 / 8));
    EXPECT_EQ(ops[6]->Origin, QPoint(ops[2]->Origin.x(), ops[4]->Origin.y()));
}

// 300 x 26 horizontal: 18 across hold three lines at -5 only, below the
// least height (7 dots at 96 dpi), and two at -8: six names go three to a
// line, the main name and the first two joint names on the first.
TEST(NameRectTest, sixNamesBelowTheLeastHeightTwoToALineGoThreeToALine)
{
    auto n = privateName(true, u(u"山田 太郎"), {u(u"花子"), u(u"一郎"), u(u"美咲"), u(u"健太"), u(u"さくら")});
    layOut(*n, {0, 0, 300, 26});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 12); // each name with its honorific
    for (const TTextOp *op : ops)
        EXPECT_EQ(op->Font.Height, -8) << qPrintable(op->Text);
    for (const int first : {2, 4}) {
        EXPECT_EQ(ops[first]->Origin.y(), ops[0]->Origin.y());
        EXPECT_GT(ops[first]->Origin.x(), ops[first - 1]->Origin.x()); // after the honorific before it
    }
    EXPECT_EQ(ops[6]->Origin, QPoint(ops[0]->Origin.x(), ops[0]->Origin.y() + 8 + 8 / 8));
    EXPECT_EQ(ops[8]->Origin, QPoint(ops[2]->Origin.x(), ops[6]->Origin.y()));
    EXPECT_EQ(ops[10]->Origin, QPoint(ops[4]->Origin.x(), ops[6]->Origin.y()));
}

// 70 x 26 horizontal: two lines at -8 across 18. Two thirds of that, -5,
// is below the least height (7 dots at 96 dpi): the notes keep -7, and the
// lines, too long along at those heights, keep the least height with their
// characters narrowed rather than shrinking below it.
TEST(NameRectTest, noteKeepsTheLeastHeightNarrowedWithItsLine)
{
    auto n = privateName(true, u(u"山田 太郎"), {u(u"花子")});
    n->SetNote(u(u"（幹事）"));
    n->SetJointNote(0, u(u"（会計）"));
    layOut(*n, {0, 0, 70, 26});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 6); // two names, their honorifics and notes
    for (const TTextOp *op : ops) {
        EXPECT_LE(op->Font.Height, -7) << qPrintable(op->Text);
        int along = 0;
        for (const int a : op->Advances)
            along += a;
        EXPECT_LE(op->Origin.x() + along, 70 - 4) << qPrintable(op->Text);
    }
    EXPECT_EQ(ops[4]->Text, u(u"（幹事）"));
    EXPECT_EQ(ops[4]->Font.Height, -7);
    EXPECT_GE(ops[4]->Origin.x(), ops[1]->Origin.x() + 7); // after the honorific
    EXPECT_LT(ops[4]->Font.WidthRatio, 1.0);
    // Narrowed to three quarters of their width or more: readable, and
    // not named before printing.
    EXPECT_GT(n->Narrowest(), LeastWidthRatio);
    EXPECT_LT(n->Narrowest(), 1.0);
    EXPECT_FALSE(n->IsSqueezed());
}

TEST(NameRectTest, longHonorificIsNarrowedToThreeQuarters)
{
    auto n = privateName(false, u(u"山田 太郎"), {});
    n->SetHonor(u(u"ご家族様"));
    layOut(*n, {0, 0, 100, 400}); // no shrinking: the name stays at -40
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[1]->Font.WidthRatio, 0.75);
    EXPECT_EQ(ops[1]->Advances.value(0), 30);
}

// A long honorific after a name narrowed to keep the least height is set at
// three quarters of that again: below two thirds of its width, which the
// item says, for the print run to name.
TEST(NameRectTest, longHonorificAfterANarrowedNameIsNamedBelowTwoThirds)
{
    auto n = privateName(false, u(u"長谷川 五郎左衛門"), {});
    n->SetHonor(u(u"ご家族様"));
    layOut(*n, {0, 0, 40, 74});
    const auto ops = textOps(*n);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_LT(ops[1]->Font.WidthRatio, LeastWidthRatio);
    EXPECT_TRUE(n->IsSqueezed()) << n->Narrowest();
}

// A long honorific after a name narrowed to fit its line, the line shorter
// and shorter: three quarters of the name's width where that keeps half of
// its own, else half (ちゃん stood at 0.46 after a name at 0.62), and never
// narrower than the name, its end inside the frame; the item names what
// stands below two thirds. The lengths take the name above two thirds,
// between half and two thirds, and below half.
TEST(NameRectTest, longHonorificKeepsHalfItsWidthOrTheNames)
{
    bool between = false, belowHalf = false;
    for (const int length : {120, 96, 84, 74, 66, 60, 56, 52, 48, 44, 40, 36}) {
        SCOPED_TRACE(length);
        auto n = privateName(false, u(u"長谷川 五郎左衛門"), {});
        n->SetHonor(u(u"ちゃん"));
        layOut(*n, {0, 0, 40, length});
        const auto ops = textOps(*n);
        ASSERT_EQ(ops.size(), 2);
        const double name = ops[0]->Font.WidthRatio, honor = ops[1]->Font.WidthRatio;
        between = between || (name > 0.5 && name * 0.75 < 0.5);
        belowHalf = belowHalf || name < 0.5;
        EXPECT_NEAR(honor, std::max(name * 0.75, std::min(name, 0.5)), 0.01) << "name at " << name;
        int along = 0;
        for (const int a : ops[1]->Advances)
            along += a;
        EXPECT_LE(ops[1]->Origin.y() + along, length - 4) << "the honorific runs out of its frame";
        EXPECT_EQ(n->IsSqueezed(), std::min(name, honor) < LeastWidthRatio - 0.02);
    }
    EXPECT_TRUE(between) << "no name narrowed between half and two thirds of its width";
    EXPECT_TRUE(belowHalf) << "no name narrowed below half of its width";
}

// ---- Setters --------------------------------------------------------------------------

struct SetNameCase {
    const char *name;
    const char16_t *text;
    bool asIs;
    const char16_t *stored;
};

class SetNameTest : public ::testing::TestWithParam<SetNameCase> {};

TEST_P(SetNameTest, normalisesTheSeparatorUnlessKeptAsIs)
{
    TNameRect n;
    n.SetNameAsIs(GetParam().asIs);
    n.SetName(u(GetParam().text));
    EXPECT_EQ(n.GetName(), u(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(Names, SetNameTest,
                         ::testing::Values(SetNameCase{"fullWidthSpaceBecomesHalfWidth", u"山田　太郎", false, u"山田 太郎"},
                                           SetNameCase{"keptAsIs", u"山田　太郎", true, u"山田　太郎"},
                                           SetNameCase{"givenNameAloneGetsASpaceInFront", u"花子", false, u" 花子"},
                                           SetNameCase{"halfWidthSpaceKept", u"山田 太 郎", false, u"山田 太 郎"}),
                         rowName);

TEST(NameRectTest, jointNameBeyondTheLastEntryChangesNothing)
{
    TNameRect n;
    n.SetJointCount(1);
    n.SetJointName(1, u(u"花子"));
    n.SetJointName(-1, u(u"花子"));
    EXPECT_EQ(n.GetJointCount(), 1);
    EXPECT_TRUE(n.GetJointName(0).isEmpty());
    n.SetJointCount(99);
    EXPECT_EQ(n.GetJointCount(), TNameRect::MaxJointNames);
}

// Merging the same name again keeps the layout, so every other change must
// lay the item out again by itself: after each change below and the same
// name set once more, the drawn texts are those of the changed item.
struct RelayoutCase {
    const char *name;
    std::function<void(TNameRect &)> change;
    QStringList texts;
};
class NameRelayoutTest : public ::testing::TestWithParam<RelayoutCase> {};

TEST_P(NameRelayoutTest, changeWithTheSameNameLaysTheItemOutAgain)
{
    auto n = privateName(false, u(u"山田 太郎"), {u(u"花子")});
    layOut(*n, {0, 0, 100, 300});
    ASSERT_EQ(textOps(*n).size(), 4);
    GetParam().change(*n);
    n->SetName(u(u"山田 太郎"));
    n->Rebuild(false);
    QStringList texts;
    for (const TTextOp *op : textOps(*n))
        texts << op->Text;
    EXPECT_EQ(texts, GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, NameRelayoutTest,
    ::testing::Values(
        RelayoutCase{"NothingKeepsTheLayout", [](TNameRect &) {},
                     {u(u"山田 太郎"), u(u"様"), u(u" 花子"), u(u"様")}},
        RelayoutCase{"FewerJointNames", [](TNameRect &n) { n.SetJointCount(0); }, {u(u"山田 太郎"), u(u"様")}},
        RelayoutCase{"OtherJointName", [](TNameRect &n) { n.SetJointName(0, u(u"一郎")); },
                     {u(u"山田 太郎"), u(u"様"), u(u" 一郎"), u(u"様")}},
        RelayoutCase{"HonorificHidden", [](TNameRect &n) { n.SetShowHonor(false); }, {u(u"山田 太郎"), u(u" 花子")}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(NameRectTest, senderNameInABlockTakesTheRecipientSize)
{
    TNameRect n;
    n.SetSender(true);
    n.RescaleFont(TTenthMm(1480));
    EXPECT_EQ(n.GetBaseHeight(), -29);
    n.SetInBlock(true);
    n.RescaleFont(TTenthMm(1480));
    EXPECT_EQ(n.GetBaseHeight(), -40);
}

// ---- Company layout -------------------------------------------------------------------

struct TitleCase {
    const char *name;
    const char16_t *title;
    QPoint titleAt;
    qint32 titleHeight;
    QPoint nameAt;
    qint32 nameHeight;
};

class CompanyTitleTest : public ::testing::TestWithParam<TitleCase> {};

// 300 x 120 horizontal: 292 along, 112 across, the company line at 0.7 and
// the title at 0.5 of the name's height.
TEST_P(CompanyTitleTest, shortTitleStandsBeforeTheNameAndALongOneIsTheLastCompanyLine)
{
    TNameRect n;
    n.SetNameKind(2);
    n.SetHorizontal(true);
    n.SetCorp(u(u"山田商事株式会社"));
    n.SetPost(u(GetParam().title));
    n.SetName(u(u"山田 太郎"));
    layOut(n, {0, 0, 300, 120});
    const auto ops = textOps(n);
    ASSERT_EQ(ops.size(), 3);
    EXPECT_EQ(ops[1]->Text, u(GetParam().title));
    EXPECT_EQ(ops[1]->Origin, GetParam().titleAt);
    EXPECT_EQ(ops[1]->Font.Height, GetParam().titleHeight);
    EXPECT_EQ(ops[2]->Origin, GetParam().nameAt);
    EXPECT_EQ(ops[2]->Font.Height, GetParam().nameHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, CompanyTitleTest,
    ::testing::Values(
        // Six characters: the name line needs room for the title, so the name
        // shrinks to -34; the title (-17) is centred across the name line and
        // the name starts half a character after it: 4 + 6 x 17 + 17.
        TitleCase{"sixCharactersBeforeTheName", u"営業企画部長", {4, 67}, -17, {123, 59}, -34},
        // Seven characters: a company line of its own at -20, no indent, a
        // quarter less a sixteenth of a character below the company line;
        // the name starts half a character in.
        TitleCase{"sevenCharactersOnALineOfItsOwn", u"代表取締役社長", {4, 48}, -20, {24, 70}, -40}),
    rowName);

TEST(NameRectTest, companyWithoutCompanyLinesStartsTheNameAtTheMargin)
{
    TNameRect n;
    n.SetNameKind(2);
    n.SetHorizontal(true);
    n.SetName(u(u"山田 太郎"));
    layOut(n, {0, 0, 300, 120});
    const auto ops = textOps(n);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Origin.x(), 4);
}

// A company record's name kept as typed with a full-width space between
// its parts (長谷川　太郎左衛門), under a company line: in every frame size
// that holds it, vertical and horizontal, whether the name stays whole or
// breaks at its space, each part prints once and the company line prints.
class CompanyNameAsTyped : public ::testing::TestWithParam<bool>
{
};

TEST_P(CompanyNameAsTyped, printsEachPartOnceAndKeepsTheCompanyLine)
{
    const bool horizontal = GetParam();
    int laidOut = 0;
    int broken = 0;
    for (int along = 80; along <= 480; along += 8) {
        for (int across = 40; across <= 200; across += 16) {
            TNameRect n;
            n.SetNameKind(2);
            n.SetHorizontal(horizontal);
            n.SetCorpBreak(true);
            n.SetCorp(u(u"株式会社ピクス"));
            n.SetNameAsIs(true);
            n.SetName(u(u"長谷川　太郎左衛門"));
            n.SetHonor(u(u"様"));
            n.SetShowHonor(true);
            layOut(n, horizontal ? TPageRect{0, 0, along, across} : TPageRect{0, 0, across, along});
            const auto ops = textOps(n);
            if (ops.isEmpty())
                continue; // nothing fits a frame that small
            ++laidOut;
            QString all;
            int nameOps = 0;
            for (const TTextOp *op : ops) {
                all += op->Text;
                if (op->Text.contains(u(u"長谷川")) || op->Text.contains(u(u"太郎左衛門")))
                    ++nameOps;
            }
            broken += nameOps > 1 ? 1 : 0;
            const std::string at = std::to_string(along) + " x " + std::to_string(across) + ": " + all.toStdString();
            EXPECT_EQ(all.count(u(u"長谷川")), 1) << at;
            EXPECT_EQ(all.count(u(u"太郎左衛門")), 1) << at;
            EXPECT_EQ(all.count(u(u"株式会社ピクス")), 1) << at;
        }
    }
    EXPECT_GT(laidOut, 100);
    EXPECT_GT(broken, 0) << "no frame broke the name at its space";
}

INSTANTIATE_TEST_SUITE_P(Directions, CompanyNameAsTyped, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &Info) {
                             return std::string(Info.param ? "horizontal" : "vertical");
                         });

// ---- Stream -----------------------------------------------------------------------------

struct NameStreamCase {
    const char *name;
    qint32 version;
    QByteArray bytes;
    bool showHonor;
    qint32 level;
};

class NameStreamTest : public ::testing::TestWithParam<NameStreamCase> {};

TEST_P(NameStreamTest, readsTheHonorificFlagAndLevelOfItsVersion)
{
    TItemReader r(GetParam().bytes, {GetParam().version});
    TNameRect n;
    n.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(n.IsShowHonor(), GetParam().showHonor);
    EXPECT_EQ(n.GetSizeLevel(), GetParam().level);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, NameStreamTest,
    ::testing::Values(NameStreamCase{"v199", 199, hexBytes(kItemRect) + hexBytes(kItemFont) + hexBytes("00"), true, 3},
                      NameStreamCase{"v200", 200, hexBytes(kItemRect) + hexBytes(kItemFont) + hexBytes("00 00 00"),
                                     false, 3},
                      NameStreamCase{"v500", 500,
                                     hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) + hexBytes("00 00 01 05000000"),
                                     true, 5},
                      NameStreamCase{"v600", 600,
                                     hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) +
                                         hexBytes("00000000 00 00 00 01000000"),
                                     false, 1}),
    rowName);

TEST(NameStreamTest, roundTripsByteForByte)
{
    const QByteArray bytes =
        hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) + hexBytes("00000000 01 00 00 04000000");
    TItemReader r(bytes, {});
    TNameRect n;
    n.LoadFromStream(r);
    TItemWriter w;
    n.SaveToStream(w);
    EXPECT_TRUE(sameBytes(w.bytes(), bytes));
}

} // namespace
