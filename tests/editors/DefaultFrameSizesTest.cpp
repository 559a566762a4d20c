// The default frames print their texts at sizes a person reads: on every
// paper of the catalogue the detailed frame set prints each text of a record
// no smaller than the simple set of the same paper does; a short second
// address line keeps the size of the town line above it; and a company
// addressee's title stands beside the name at the department's size.
// Records go through the merge as a print run merges them; the sizes are
// read from the items' recordings at a printer's resolution (what the
// printer plays 1:1), and a rendered postcard and label sheet show that
// the ink has that height.
#include "PrintedInk.h"
#include "PrintedTexts.h"
#include "editors/PrintLoop.h"
#include "support/RowName.h"
#include "support/Screenshot.h"

#include <QPainter>

#include <cmath>
#include <limits>
#include <optional>
#include <tuple>
#include <vector>

namespace {

constexpr int kDpi = 600;
// Character heights count as the same within a tenth of a millimetre: a
// frame edge falls on a 96-dpi pixel of its paper, which moves a fitted
// height by a few printer dots.
constexpr double kSame = 0.1;

struct RecordCase {
    const char *name;
    const char16_t *person;
    const char16_t *town;     // after the prefecture
    const char16_t *block;    // 住所２
    const char16_t *building; // 住所３
    int joints;
    const char16_t *company = u"";
    const char16_t *department = u"";
    const char16_t *title = u"";
};

const RecordCase kRecords[] = {
    {"shortAddress", u"山田 太郎", u"千代田区永田町", u"一丁目７番１号", u"", 0},
    {"oneJointName", u"山田 太郎", u"千代田区永田町", u"一丁目７番１号", u"", 1},
    {"twoJointNames", u"山田 太郎", u"千代田区永田町", u"一丁目７番１号", u"", 2},
    {"fiveJointNames", u"山田 太郎", u"千代田区永田町", u"一丁目７番１号", u"", 5},
    {"building", u"山田 太郎", u"千代田区永田町", u"一丁目７番１号", u"メゾン桜１０１号室", 0},
    {"longAddress", u"佐々木 由美子", u"札幌市中央区北一条西", u"二丁目１２番地３４号",
     u"グランドハイツ札幌北一条１２３４号室", 0},
    {"company", u"山田 太郎", u"大阪市北区梅田", u"三丁目１番３号", u"ピクスビル５階", 0, u"株式会社ピクス",
     u"営業部", u"部長"},
    {"longCompany", u"山田 太郎", u"大阪市北区梅田", u"三丁目１番３号", u"ピクスビル５階", 0,
     u"株式会社日本総合物産ホールディングス", u"第一営業本部　海外事業部", u"課長"},
    {"longTitle", u"山田 太郎", u"大阪市北区梅田", u"三丁目１番３号", u"ピクスビル５階", 0, u"株式会社ピクス", u"",
     u"代表取締役社長"},
};

TAddressText recordOf(const RecordCase &C)
{
    TAddressText r;
    r.Pos = QStringLiteral("1000014");
    r.Tdfkn = QStringLiteral("東京都");
    r.Adrs1 = QString::fromUtf16(C.town);
    r.Adrs2 = QString::fromUtf16(C.block);
    r.Adrs3 = QString::fromUtf16(C.building);
    r.NameKanji = QString::fromUtf16(C.person);
    const char16_t *given[] = {u"花子", u"一郎", u"美咲", u"健太", u"さくら"};
    for (int i = 0; i < C.joints; ++i) {
        r.Joint[size_t(i)] = QString::fromUtf16(given[i]);
        r.JointPrints[size_t(i)] = true;
    }
    r.JointPrint = C.joints > 0;
    r.CorpKanji = QString::fromUtf16(C.company);
    r.Dptmnt = QString::fromUtf16(C.department);
    r.Post = QString::fromUtf16(C.title);
    r.PrivCorp = r.CorpKanji.isEmpty();
    return r;
}

TAddressText sender()
{
    TAddressText r;
    r.Pos = QStringLiteral("1050011");
    r.Tdfkn = QStringLiteral("東京都");
    r.Adrs1 = QStringLiteral("港区芝公園");
    r.Adrs2 = QStringLiteral("四丁目２番８号");
    r.NameKanji = QStringLiteral("差出 一郎");
    return r;
}

// Papers of the catalogue by their record number.
constexpr int kPapers = 27;

TLayoutKind kindOf(int Paper)
{
    return Paper < 14 ? TLayoutKind::AddressSide : Paper < 24 ? TLayoutKind::Label : TLayoutKind::Card;
}

// A new layout of the paper with one of its frame sets, laid out for a
// 600-dpi printer.
void prepare(TLayoutDocument &D, int Paper, bool Detail)
{
    D.Kind = kindOf(Paper);
    D.FormatIndex = Paper;
    D.Format = catalogueFormat(Paper, &D.Grid);
    D.Detail = Detail;
    D.BuildDefaultItems();
    D.SetReferenceDevice(TReferenceDevice::printer({kDpi, kDpi}));
}

TPrintedTexts printed(int Paper, bool Detail, const RecordCase &C)
{
    TLayoutDocument d;
    prepare(d, Paper, Detail);
    const TAddressText s = sender();
    return PrintedTexts(d, recordOf(C), &s);
}

std::string paperName(int Paper)
{
    return "paper" + std::to_string(Paper);
}

// ---- The detailed set prints no smaller than the simple set -------------------------------------

// Where a paper's detailed set has no room for a text at the simple set's
// size, the floor it keeps instead and why. The simple set's name frame
// lends all its room to whatever the record fills; the detailed set's
// frames keep theirs whatever the record leaves empty.
struct Allowance {
    double share = 1.0;    // of the simple set's height
    double readable = 0.0; // mm
    const char *why = nullptr;
};

std::optional<Allowance> allowanceOf(int Paper, TPrintedField Field, const RecordCase &C)
{
    if (Paper == 7)
        return Allowance{0.65, 0.0, "the turned 長形４号 is 90 mm tall for eight rows of frames"};
    // The smaller labels give each text of the name block a line of its own
    // (or set the department lower, at the far end of the company's line),
    // so that no text shares a line with one it does not follow: their text
    // reads in its order when read back from the PDF.
    const bool nameLines = Field == TPrintedField::Name || Field == TPrintedField::Joint;
    const bool blockLines = Field == TPrintedField::Block || Field == TPrintedField::Building;
    if (Paper == 14 && ((nameLines && C.joints > 0) || blockLines))
        return Allowance{0.75, 0.0,
                         "the 12-sheet label stands its company, department and long title on lines of their own: "
                         "its second address frame is 9.4 mm high, its name frame 8.6 mm"};
    if (Paper == 20 && blockLines)
        return Allowance{0.7, 0.0,
                         "the 24-sheet label gives its company and department lines of their own: its second "
                         "address frame is 7.2 mm high"};
    // The 44-sheet labels give company, department and an eight-character
    // title room for a line each at the least readable height; the address
    // and name frames give up what that takes. Their simple name frame, as
    // tall (wide) as a company's three lines above the name need at that
    // height, lends its room to a company of fewer lines and to joint names;
    // the detailed name frame holds two lines (columns) of names at the least
    // height, a name with four or five joint names three to a line.
    const bool companyLines =
        Field == TPrintedField::Company || Field == TPrintedField::Department || Field == TPrintedField::Post;
    if ((Paper == 22 || Paper == 23) && (companyLines || (nameLines && C.joints > 0)))
        return Allowance{0.0, LeastTextMm,
                         "the 44-sheet label's detailed frames keep a company's lines and the joint names at the "
                         "least height; its simple name frame lends the room of the lines a record leaves empty"};
    // The wide 21- and 24-sheet labels' and the turned 24-sheet label's
    // simple name frame likewise holds a company's three lines at the least
    // height above the name; a company of fewer lines and joint names take
    // that room. The detailed set keeps the company's lines at the least
    // height and the joint names at three quarters.
    if ((Paper == 18 || Paper == 20 || Paper == 21) && companyLines)
        return Allowance{0.0, LeastTextMm,
                         "the label's detailed frames keep a company's lines at the least height; its simple name "
                         "frame lends the room of the lines a record leaves empty"};
    if ((Paper == 18 || Paper == 20 || Paper == 21) && nameLines && C.joints > 0)
        return Allowance{0.75, 0.0,
                         "the label's simple name frame, high enough for a company's three lines, lends their room "
                         "to the joint names"};
    if (Paper == 22 && Field == TPrintedField::Name)
        return Allowance{0.9, 0.0, "the 44-sheet label's name line starts after a title frame of eight characters"};
    if (Paper == 22 && blockLines)
        return Allowance{0.0, LeastTextMm,
                         "the 44-sheet label gives its company and department a line each across the label: its "
                         "second address frame is 6.4 mm high"};
    if (Paper == 23 && (Field == TPrintedField::Town || blockLines))
        return Allowance{0.8, 0.0,
                         "the turned 44-sheet label is 25.4 mm across: beside a column for the company and one for "
                         "the department and the title, its address columns are 4.5 and 4.6 mm wide"};
    if ((Paper == 19 || Paper == 21) && blockLines && QStringView(C.building).size() > 12)
        return Allowance{0.0, LeastTextMm,
                         "the turned 21- and 24-sheet labels' simple address frame, narrowing a long building line, "
                         "takes the blank beside its column instead; the detailed frames hold it unnarrowed"};
    if (Paper == 17 && nameLines && C.joints == 5)
        return Allowance{0.9, 0.0,
                         "six names stand two to a line on the turned 10-sheet label, fitted along its detailed name "
                         "frame of 56 mm beside the simple set's 72 mm"};
    const bool horizontalPostal = Paper < 14 && (Paper == 1 || (Paper >= 2 && (Paper - 2) % 3 != 0));
    if (Field == TPrintedField::Joint && C.joints == 5 && horizontalPostal)
        return Allowance{0.0, 2.0, "five joint names share a joint frame between the name and the barcode"};
    return std::nullopt;
}

class DetailedSetSizes : public ::testing::TestWithParam<std::tuple<int, RecordCase>>
{
};

TEST_P(DetailedSetSizes, printEveryTextNoSmallerThanTheSimpleSet)
{
    const auto &[paper, record] = GetParam();
    const TPrintedTexts simple = printed(paper, false, record);
    const TPrintedTexts detail = printed(paper, true, record);
    ASSERT_FALSE(simple.empty());
    for (const auto &[key, s] : simple) {
        SCOPED_TRACE(testing::Message() << fieldName(key.first) << " " << key.second);
        const auto d = detail.find(key);
        ASSERT_NE(d, detail.end()) << "the detailed set leaves it out";
        if (const auto allowed = allowanceOf(paper, key.first, record)) {
            const double floor = std::min(s.Em, std::max(s.Em * allowed->share, allowed->readable));
            EXPECT_GE(d->second.Em, floor - kSame)
                << allowed->why << ": " << d->second.Em << " mm beside " << s.Em << " mm";
            continue;
        }
        EXPECT_GE(d->second.Em, s.Em - kSame) << "detailed " << d->second.Em << " mm, simple " << s.Em << " mm";
    }
}

std::string sizeCaseName(const ::testing::TestParamInfo<DetailedSetSizes::ParamType> &Info)
{
    return paperName(std::get<0>(Info.param)) + "_" + std::get<1>(Info.param).name;
}

INSTANTIATE_TEST_SUITE_P(EveryPaper, DetailedSetSizes,
                         ::testing::Combine(::testing::Range(0, kPapers), ::testing::ValuesIn(kRecords)),
                         sizeCaseName);

// ---- The second address line keeps the town line's size --------------------------------------

class BlockLine : public ::testing::TestWithParam<int>
{
};

// 一丁目７番１号 alone in the second address frame: it fits the frame at the
// size the town line prints at, so it prints at that size.
TEST_P(BlockLine, shortBlockLinePrintsAtTheTownLinesSize)
{
    const TPrintedTexts texts = printed(GetParam(), true, kRecords[0]);
    const auto town = texts.find({TPrintedField::Town, 0});
    const auto block = texts.find({TPrintedField::Block, 0});
    ASSERT_NE(town, texts.end());
    ASSERT_NE(block, texts.end());
    EXPECT_GE(block->second.Em, town->second.Em - kSame)
        << "block line " << block->second.Em << " mm under a town line of " << town->second.Em << " mm";
}

INSTANTIATE_TEST_SUITE_P(EveryPaper, BlockLine, ::testing::Range(0, kPapers),
                         [](const auto &Info) { return paperName(Info.param); });

// A building line too long to share its line with the block number shrinks
// alone: the block number above it keeps the height the frame gives two
// lines.
TEST(BlockLine, longBuildingLineShrinksAloneUnderTheBlockNumber)
{
    for (const int paper : {1, 3, 9}) {
        SCOPED_TRACE(paperName(paper));
        const TPrintedTexts texts = printed(paper, true, kRecords[5]);
        const auto block = texts.find({TPrintedField::Block, 0});
        const auto building = texts.find({TPrintedField::Building, 0});
        ASSERT_NE(block, texts.end());
        ASSERT_NE(building, texts.end());
        EXPECT_LT(block->second.Box.bottom(), building->second.Box.top() + kSame) << "two lines";
        EXPECT_GT(block->second.Em, building->second.Em * 1.2)
            << "block line " << block->second.Em << " mm over a building line of " << building->second.Em << " mm";
    }
}

// ---- A company's lines at a readable size on the smallest labels -----------------------------

// The name block of a person at a company as people have it: a company of
// twelve characters, a department of two or three parts, a title of eight.
// Each prints in the detailed set of the 44-sheet labels at the least height
// a person reads or larger, its characters at their own width: the wide
// label has a line across it for the department of three parts, the turned
// one, 25.4 mm across, a column shared with the title for one of two.
struct NameBlockCase {
    int paper;
    const char16_t *department;
};

class ReadableNameBlock : public ::testing::TestWithParam<NameBlockCase>
{
};

TEST_P(ReadableNameBlock, companyDepartmentAndTitlePrintAtTheLeastHeightUnnarrowed)
{
    RecordCase typical = kRecords[6];
    typical.company = u"株式会社ピクスシステムズ";
    typical.department = GetParam().department;
    typical.title = u"代表取締役副社長";
    TLayoutDocument d;
    prepare(d, GetParam().paper, true);
    const TAddressText s = sender();
    const TPrintedTexts texts = PrintedTexts(d, recordOf(typical), &s);
    for (const auto field : {TPrintedField::Company, TPrintedField::Department, TPrintedField::Post}) {
        SCOPED_TRACE(fieldName(field));
        const auto text = texts.find({field, 0});
        ASSERT_NE(text, texts.end());
        // The printer's dots round the least height up by less than a dot.
        EXPECT_GE(text->second.Em, LeastTextMm - 0.01) << text->second.Em << " mm";
    }
    for (size_t i = 0; i < d.Items.size(); ++i)
        if (const auto *c = dynamic_cast<const TCorpRect *>(d.Items[i].get()); c && c->IsVisible()) {
            EXPECT_FALSE(c->IsSqueezed()) << "item " << i << " narrowed: " << qPrintable(c->GetText());
        }
}

INSTANTIATE_TEST_SUITE_P(Labels44, ReadableNameBlock,
                         ::testing::Values(NameBlockCase{22, u"第一営業本部　東日本営業部　第二営業課"},
                                           NameBlockCase{23, u"第一営業本部　海外事業部"}),
                         [](const auto &Info) { return paperName(Info.param.paper); });

// ---- The title beside the name --------------------------------------------------------------

// The distance between two boxes (0 when they touch or overlap).
double gap(const QRectF &A, const QRectF &B)
{
    const double dx = std::max({0.0, B.left() - A.right(), A.left() - B.right()});
    const double dy = std::max({0.0, B.top() - A.bottom(), A.top() - B.bottom()});
    return std::hypot(dx, dy);
}

class TitleSize : public ::testing::TestWithParam<std::tuple<int, bool>>
{
protected:
    // How far the title stands off the name, or off the department it
    // belongs to, beyond one character of the larger of the two.
    static double offBeyondACharacter(const TPrintedTexts &Texts)
    {
        const TPrintedText &title = Texts.at({TPrintedField::Post, 0});
        double nearest = std::numeric_limits<double>::max();
        for (const auto field : {TPrintedField::Name, TPrintedField::Department})
            if (const auto other = Texts.find({field, 0}); other != Texts.end())
                nearest = std::min(nearest, gap(title.Box, other->second.Box) - std::max(title.Em, other->second.Em));
        return nearest;
    }
};

// 部長 with its department and name: beside the name, at the share of the
// name's size the department takes (three fifths), not half of it.
TEST_P(TitleSize, shortTitleStandsBesideTheNameAtTheDepartmentsShare)
{
    const auto &[paper, detail] = GetParam();
    const TPrintedTexts texts = printed(paper, detail, kRecords[6]);
    ASSERT_TRUE(texts.count({TPrintedField::Post, 0}));
    ASSERT_TRUE(texts.count({TPrintedField::Name, 0}));
    EXPECT_LE(offBeyondACharacter(texts), 0.0);
    const double title = texts.at({TPrintedField::Post, 0}).Em;
    const double name = texts.at({TPrintedField::Name, 0}).Em;
    EXPECT_GE(title, name * 0.6 - kSame) << "title " << title << " mm beside a name of " << name << " mm";
}

// 代表取締役社長, too long for the name's line, stands on a line of its own
// next to the name's.
TEST_P(TitleSize, longTitleStandsNextToTheName)
{
    const auto &[paper, detail] = GetParam();
    const TPrintedTexts texts = printed(paper, detail, kRecords[8]);
    ASSERT_TRUE(texts.count({TPrintedField::Post, 0}));
    ASSERT_TRUE(texts.count({TPrintedField::Name, 0}));
    EXPECT_LE(offBeyondACharacter(texts), 0.0);
}

INSTANTIATE_TEST_SUITE_P(EveryPaper, TitleSize, ::testing::Combine(::testing::Range(0, kPapers), ::testing::Bool()),
                         [](const auto &Info) {
                             return paperName(std::get<0>(Info.param)) +
                                    (std::get<1>(Info.param) ? "_detailed" : "_simple");
                         });

// ---- What the paper shows -------------------------------------------------------------------------

// The ink of a printed page inside a box (mm on the piece), in mm.
QRectF inkIn(const QImage &Page, QRectF Box, QPointF PieceOrigin)
{
    const QRect dots = MmToDots(Box.translated(PieceOrigin), kDpi);
    const QRectF ink = InkBox(Page, kDpi, dots);
    return ink.translated(-PieceOrigin);
}

struct PageCase {
    const char *name;
    int paper;
    int record;
};

class PrintedPage : public ::testing::TestWithParam<PageCase>
{
};

// The detailed set drawn onto a page as the print run draws it: the name's
// and the block line's ink stands as high as the recording says (the
// characters' ink fills most of their em), and the page is kept to look at.
TEST_P(PrintedPage, inkOfTheDetailedSetHasTheMeasuredHeight)
{
    const PageCase &c = GetParam();
    TLayoutDocument d;
    prepare(d, c.paper, true);
    QList<TAddressText> records;
    for (const RecordCase &r : kRecords)
        records.append(recordOf(r));
    // The sheet filled record after record (a label sheet's every cell).
    QList<qint32> numbers;
    for (int i = 0; i < d.CellsPerSheet(); ++i)
        numbers.append(i == 0 ? c.record + 1 : i % int(records.size()) + 1);
    TPrintLoop loop(d, TRecordSource([&records](qint32 RecNo) -> std::optional<TAddressText> {
        return records.value(RecNo - 1);
    }));
    loop.Sender = sender();
    QList<QImage> pages;
    QString error;
    ASSERT_TRUE(loop.RunToImages({kDpi, kDpi}, numbers, {}, pages, &error)) << qPrintable(error);
    ASSERT_FALSE(pages.isEmpty());
    saveScreenshot(pages.first(), QStringLiteral("editors_detailed_frames_%1").arg(QLatin1String(c.name)));

    // The first cell's record, measured in its recordings.
    const TPrintedTexts texts = printed(c.paper, true, kRecords[c.record]);
    const QPointF origin = d.CellRect(0).topLeft() / 10.0;
    for (const auto field : {TPrintedField::Name, TPrintedField::Block}) {
        SCOPED_TRACE(fieldName(field));
        const auto text = texts.find({field, 0});
        ASSERT_NE(text, texts.end());
        const QRectF ink = inkIn(pages.first(), text->second.Box, origin);
        ASSERT_FALSE(ink.isEmpty());
        const double across = d.HorizontalWriting() ? ink.height() : ink.width();
        EXPECT_GT(across, text->second.Em * 0.75) << "ink " << across << " mm for " << text->second.Em << " mm";
        EXPECT_LT(across, text->second.Em + kSame) << "ink " << across << " mm for " << text->second.Em << " mm";
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, PrintedPage,
                         ::testing::Values(PageCase{"verticalPostcard", 0, 1}, PageCase{"horizontalPostcard", 1, 4},
                                           PageCase{"label44", 22, 1}),
                         rowName);

// ---- A company addressee's name keeps together ------------------------------------------------

// Under its company lines the name takes the size the block leaves it; on
// the papers whose name frame holds the company lines (the simple set) and
// writes down a column, its characters stand together at that size, not
// spread down the whole column with a name's length between them.
class CompanyNameTogether : public ::testing::TestWithParam<int>
{
};

TEST_P(CompanyNameTogether, keepsItsCharactersTogetherAtItsSize)
{
    RecordCase company = kRecords[6];
    company.person = u"長谷川 太郎";
    const TPrintedTexts texts = printed(GetParam(), false, company);
    const auto name = texts.find({TPrintedField::Name, 0});
    ASSERT_NE(name, texts.end());
    ASSERT_NE(texts.find({TPrintedField::Company, 0}), texts.end());
    const TPrintedText &text = name->second;
    if (text.Box.width() > text.Box.height())
        GTEST_SKIP() << "a name written across is spread along its line";
    const double along = text.Box.height();
    // Five characters and the blank after the family name, each at most a
    // character and a half.
    EXPECT_LE(along, 6 * 1.5 * text.Em) << along << " mm for characters of " << text.Em << " mm";
}

INSTANTIATE_TEST_SUITE_P(Papers, CompanyNameTogether, ::testing::Range(0, 24), // the cards print no addressee
                         [](const ::testing::TestParamInfo<int> &Info) { return paperName(Info.param); });

} // namespace
