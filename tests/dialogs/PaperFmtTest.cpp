#include "dialogs/PaperFmt.h"
#include "items/BarRect.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <functional>
#include <limits>

namespace {

TLayoutFormat sampleFormat(TPaperKind kind, const QString &name, int direction, int grid)
{
    TLayoutFormat f;
    f.Kind = static_cast<std::uint8_t>(kind);
    f.Category = PaperFmt::shortString(QStringLiteral("ラベル"), TLayoutFormat::CategoryCapacity);
    f.Name = PaperFmt::shortString(name, TLayoutFormat::NameCapacity);
    f.Direction = direction;
    f.Width = 864;
    f.Height = 423;
    f.Background = "PostV.bmp";
    f.Simple.Count = 4;
    for (int i = 0; i < 4; ++i)
        f.Simple.Rects[static_cast<size_t>(i)] = {i, i + 10, i + 100, i + 40};
    f.Detail.Count = 13;
    for (int i = 0; i < 13; ++i)
        f.Detail.Rects[static_cast<size_t>(i)] = {-i, 2 * i, 3 * i + 20, 4 * i + 20};
    f.Reserved[0] = 7;
    f.Reserved[143] = 9;
    f.GridIndex = grid;
    return f;
}

TLabelGrid sampleGrid(int seed)
{
    return {2100, 2970, 2, 6 + seed, 186, 216, seed, 0};
}

TLayoutCatalogue sampleCatalogue()
{
    TLayoutCatalogue c;
    c.Records = {sampleFormat(TPaperKind::Postcard, QStringLiteral("通常はがき"), 0, 0),
                 sampleFormat(TPaperKind::Label, QStringLiteral("Ａ４　１２面"), 0, 1),
                 sampleFormat(TPaperKind::Label, QStringLiteral("Ａ４　１２面"), 1, 2)};
    c.Grids = {sampleGrid(0), sampleGrid(1)};
    return c;
}

TCustomFormats sampleCustom()
{
    TCustomFormats c;
    TCustomFormat a;
    a.BaseIndex = 1;
    a.Format = sampleFormat(TPaperKind::Label, QStringLiteral("わたしのラベル"), 0, 0);
    a.Landscape = 1;
    const TLabelGrid g1 = sampleGrid(3);
    c.add(a, &g1);
    TCustomFormat b;
    b.Format = sampleFormat(TPaperKind::Postcard, QStringLiteral("小さいはがき"), 1, 0);
    c.add(b);
    return c;
}

TDesignCatalogue sampleDesign()
{
    TDesignCatalogue d;
    TDesignFormat a;
    a.Kind = 1;
    a.Name = PaperFmt::shortString(QStringLiteral("Ａ４"), TDesignFormat::NameCapacity);
    a.Width = 2100;
    a.Height = 2970;
    TDesignFormat b = a;
    b.Landscape = 1;
    std::swap(b.Width, b.Height);
    d.Records = {a, b};
    return d;
}

std::string firstDifference(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i])
            return "bytes differ first at offset " + std::to_string(i);
    if (a.size() != b.size())
        return "sizes differ: " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    return {};
}

template <typename File>
void expectByteRoundTrip(const File &original)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.fmt"));
    QString error;
    ASSERT_TRUE(original.save(path, &error)) << error.toStdString();
    File read;
    ASSERT_TRUE(read.load(path, &error)) << error.toStdString();
    const QString again = dir.filePath(QStringLiteral("y.fmt"));
    ASSERT_TRUE(read.save(again, &error)) << error.toStdString();
    QFile a(path), b(again);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(firstDifference(a.readAll(), b.readAll()), "");
}

} // namespace

TEST(PaperFmtRecords, layoutFormatEncodesToItsFixedOffsets)
{
    const QByteArray b = PaperFmt::encode(sampleFormat(TPaperKind::Label, QStringLiteral("Ａ４"), 1, 5));
    ASSERT_EQ(b.size(), 656);
    EXPECT_EQ(static_cast<unsigned char>(b[0]), 2);
    EXPECT_EQ(static_cast<unsigned char>(b[22]), 4); // "Ａ４" is two double-byte characters
    EXPECT_EQ(static_cast<unsigned char>(b[56]), 1);
    EXPECT_EQ(static_cast<unsigned char>(b[60]), 864 & 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(b[61]), 864 >> 8);
    EXPECT_EQ(static_cast<unsigned char>(b[68]), 9);
    EXPECT_EQ(static_cast<unsigned char>(b[84]), 4);
    EXPECT_EQ(static_cast<unsigned char>(b[296]), 13);
    EXPECT_EQ(static_cast<unsigned char>(b[508]), 7);
    EXPECT_EQ(static_cast<unsigned char>(b[652]), 5);
}

TEST(PaperFmtRecords, gridAndDesignAndCustomHaveTheirSizes)
{
    EXPECT_EQ(PaperFmt::encode(sampleGrid(0)).size(), 32);
    EXPECT_EQ(PaperFmt::encode(sampleDesign().Records.first()).size(), 92);
    EXPECT_EQ(PaperFmt::encode(sampleCustom().Records.first()).size(), 668);
    const QByteArray d = PaperFmt::encode(sampleDesign().Records.at(1));
    EXPECT_EQ(static_cast<unsigned char>(d[32]), 4);
    EXPECT_EQ(static_cast<unsigned char>(d[64]), 1);
}

TEST(PaperFmtRecords, longNameIsCutAtACharacterBoundary)
{
    const QByteArray cut = PaperFmt::shortString(QString(20, QChar(0x3042)), 31); // 40 bytes of あ
    EXPECT_EQ(cut.size(), 30);
}

TEST(PaperFmtFiles, layoutCatalogueRoundTripsByteForByte) { expectByteRoundTrip(sampleCatalogue()); }
TEST(PaperFmtFiles, customFormatsRoundTripByteForByte) { expectByteRoundTrip(sampleCustom()); }
TEST(PaperFmtFiles, designCatalogueRoundTripsByteForByte) { expectByteRoundTrip(sampleDesign()); }

TEST(PaperFmtFiles, readRecordsEqualTheWrittenOnes)
{
    TLayoutCatalogue read;
    QString error;
    ASSERT_TRUE(read.fromBytes(sampleCatalogue().toBytes(), &error)) << error.toStdString();
    EXPECT_EQ(read.Records, sampleCatalogue().Records);
    EXPECT_EQ(read.Grids, sampleCatalogue().Grids);
}

TEST(PaperFmtFiles, missingFileIsNotAnErrorButLoadsNothing)
{
    QTemporaryDir dir;
    TLayoutCatalogue c = sampleCatalogue();
    QString error = QStringLiteral("x");
    EXPECT_FALSE(c.load(dir.filePath(QStringLiteral("none.fmt")), &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(c.Records.isEmpty());
}

// ---- Refusal of short, damaged and foreign files --------------------------------

struct DamageCase {
    const char *name;
    std::function<void(QByteArray &)> damage;
};

void PrintTo(const DamageCase &c, std::ostream *os) { *os << c.name; }

void putInt(QByteArray &b, int at, std::int32_t v) { std::memcpy(b.data() + at, &v, 4); }

class LayoutCatalogueDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(LayoutCatalogueDamage, isRefusedWithAReasonAndNothingRead)
{
    QByteArray bytes = sampleCatalogue().toBytes();
    GetParam().damage(bytes);
    TLayoutCatalogue c = sampleCatalogue();
    QString error;
    EXPECT_FALSE(c.fromBytes(bytes, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(c.Records.isEmpty());
    EXPECT_TRUE(c.Grids.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutCatalogueDamage,
    testing::Values(
        DamageCase{"empty", [](QByteArray &b) { b.clear(); }},
        DamageCase{"signatureOnly", [](QByteArray &b) { b.truncate(24); }},
        DamageCase{"foreignSignature", [](QByteArray &b) { b[3] = 'x'; }},
        DamageCase{"customSignature",
                   [](QByteArray &b) {
                       const char *s = "Murven Custom FormatFile";
                       for (int i = 0; i < 24; ++i)
                           b[i] = static_cast<char>(s[i] ^ 0xFF);
                   }},
        DamageCase{"cutInsideARecord", [](QByteArray &b) { b.truncate(36 + 656 + 100); }},
        DamageCase{"cutInsideTheGrids", [](QByteArray &b) { b.chop(4); }},
        DamageCase{"trailingBytes", [](QByteArray &b) { b.append("zz"); }},
        DamageCase{"countLargerThanFile", [](QByteArray &b) { putInt(b, 24, 1000000); }},
        DamageCase{"negativeCount", [](QByteArray &b) { putInt(b, 24, -1); }},
        DamageCase{"gridOffsetWrong", [](QByteArray &b) { putInt(b, 28, 40); }},
        DamageCase{"gridCountLargerThanFile", [](QByteArray &b) { putInt(b, 32, 3); }},
        DamageCase{"frameCountFourteen", [](QByteArray &b) { putInt(b, 36 + 84, 14); }},
        DamageCase{"negativeFrameCount", [](QByteArray &b) { putInt(b, 36 + 296, -1); }},
        DamageCase{"nameLongerThanItsField", [](QByteArray &b) { b[36 + 22] = 31; }},
        DamageCase{"categoryLongerThanItsField", [](QByteArray &b) { b[36 + 1] = 21; }},
        DamageCase{"backgroundLongerThanItsField", [](QByteArray &b) { b[36 + 68] = 16; }},
        DamageCase{"unknownKind", [](QByteArray &b) { b[36] = 4; }},
        DamageCase{"gridIndexBeyondTable", [](QByteArray &b) { putInt(b, 36 + 656 + 652, 3); }},
        DamageCase{"zeroWidth", [](QByteArray &b) { putInt(b, 36 + 60, 0); }},
        DamageCase{"paperLongerThanTheLargest", [](QByteArray &b) { putInt(b, 36 + 64, MaxPaperTenthMm + 1); }},
        DamageCase{"frameInsideOut", [](QByteArray &b) { putInt(b, 36 + 88, 500); }},
        DamageCase{"frameBeyondTheLargestPaper", [](QByteArray &b) { putInt(b, 36 + 88 + 8, 100000); }},
        DamageCase{"gridOf65536Columns", [](QByteArray &b) { putInt(b, int(b.size()) - 32 + 8, 65536); }},
        DamageCase{"gridOf46340Rows", [](QByteArray &b) { putInt(b, int(b.size()) - 32 + 12, 46340); }},
        DamageCase{"gridSheetBeyondTheLargest", [](QByteArray &b) { putInt(b, int(b.size()) - 32, 100000); }},
        DamageCase{"gridNegativeMargin", [](QByteArray &b) { putInt(b, int(b.size()) - 32 + 16, -1); }}),
    [](const auto &info) { return std::string(info.param.name); });

class CustomFormatsDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(CustomFormatsDamage, isRefusedWithAReasonAndNothingRead)
{
    QByteArray bytes = sampleCustom().toBytes();
    GetParam().damage(bytes);
    TCustomFormats c = sampleCustom();
    QString error;
    EXPECT_FALSE(c.fromBytes(bytes, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(c.Records.isEmpty());
    EXPECT_EQ(c.LastId, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CustomFormatsDamage,
    testing::Values(DamageCase{"headerCut", [](QByteArray &b) { b.truncate(30); }},
                    DamageCase{"layoutSignature",
                               [](QByteArray &b) {
                                   const char *s = "Murven Layout FormatFile";
                                   for (int i = 0; i < 24; ++i)
                                       b[i] = static_cast<char>(s[i] ^ 0xFF);
                               }},
                    DamageCase{"countLargerThanFile", [](QByteArray &b) { putInt(b, 28, 3); }},
                    DamageCase{"gridOffsetWrong", [](QByteArray &b) { putInt(b, 32, 0); }},
                    DamageCase{"idAboveLastGiven", [](QByteArray &b) { putInt(b, 24, 1); }},
                    DamageCase{"repeatedId", [](QByteArray &b) { putInt(b, 40 + 668, 1); }},
                    DamageCase{"zeroId", [](QByteArray &b) { putInt(b, 40, 0); }},
                    DamageCase{"negativeLastIdWithoutFormats",
                               [](QByteArray &b) {
                                   b.truncate(40);
                                   putInt(b, 24, -5);
                                   putInt(b, 28, 0);
                                   putInt(b, 32, 40);
                                   putInt(b, 36, 0);
                               }},
                    DamageCase{"gridIndexBeyondTable", [](QByteArray &b) { putInt(b, 40 + 8 + 652, 2); }},
                    DamageCase{"landscapeByteNotAFlag", [](QByteArray &b) { b[40 + 664] = 2; }},
                    DamageCase{"lastRecordCut", [](QByteArray &b) { b.truncate(40 + 668 + 600); }},
                    DamageCase{"gridColumnsBeyondTheLimit",
                               [](QByteArray &b) { putInt(b, int(b.size()) - 32 + 8, PaperFmt::MaxGridCells + 1); }},
                    DamageCase{"gridGapBeyondTheLargestPaper",
                               [](QByteArray &b) { putInt(b, int(b.size()) - 32 + 24, MaxPaperTenthMm + 1); }}),
    [](const auto &info) { return std::string(info.param.name); });

class DesignCatalogueDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(DesignCatalogueDamage, isRefusedWithAReasonAndNothingRead)
{
    QByteArray bytes = sampleDesign().toBytes();
    GetParam().damage(bytes);
    TDesignCatalogue c = sampleDesign();
    QString error;
    EXPECT_FALSE(c.fromBytes(bytes, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(c.Records.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, DesignCatalogueDamage,
                         testing::Values(DamageCase{"cut", [](QByteArray &b) { b.chop(1); }},
                                         DamageCase{"countTooLarge", [](QByteArray &b) { putInt(b, 24, 3); }},
                                         DamageCase{"foreign", [](QByteArray &b) { b[0] = 0; }},
                                         DamageCase{"nameTooLong", [](QByteArray &b) { b[36 + 32] = 32; }},
                                         DamageCase{"unknownKind", [](QByteArray &b) { b[36] = 2; }},
                                         DamageCase{"widthBeyondTheLargest",
                                                    [](QByteArray &b) { putInt(b, 36 + 68, MaxPaperTenthMm + 1); }}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PaperFmtFiles, unreadableFileOnDiscIsRefusedAndLeftAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lyt.fmt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a catalogue");
    f.close();
    TLayoutCatalogue c;
    QString error;
    EXPECT_FALSE(c.load(path, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("not a catalogue"));
}

// ---- Cell positions -------------------------------------------------------------

struct CellCase {
    const char *name;
    int direction, column, row;
    QPoint expected;
};
void PrintTo(const CellCase &c, std::ostream *os) { *os << c.name; }

class CellPosition : public testing::TestWithParam<CellCase> {};

TEST_P(CellPosition, followsMarginsPiecePitchAndGaps)
{
    TLayoutFormat f;
    f.Direction = GetParam().direction;
    f.Width = 864;
    f.Height = 423;
    const TLabelGrid g{2100, 2970, 2, 6, 186, 216, 30, 5};
    EXPECT_EQ(PaperFmt::cellOrigin(f, g, GetParam().column, GetParam().row), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CellPosition,
    testing::Values(CellCase{"firstCellAtTheMargins", 0, 0, 0, {186, 216}},
                    CellCase{"secondColumnStepsByWidthAndGap", 0, 1, 0, {186 + 864 + 30, 216}},
                    CellCase{"thirdRowStepsByHeightAndGap", 0, 0, 2, {186, 216 + 2 * (423 + 5)}},
                    CellCase{"landscapeColumnsStepByPieceHeight", 1, 1, 0, {186 + 423 + 30, 216}},
                    CellCase{"landscapeRowsStepByPieceWidth", 2, 0, 1, {186, 216 + 864 + 5}}),
    [](const auto &info) { return std::string(info.param.name); });

// Whatever grid a caller hands, a far cell lies far away: it never wraps
// round onto the sheet.
TEST(CellPosition, aFarCellDoesNotOverflow)
{
    TLayoutFormat f;
    f.Width = MaxPaperTenthMm;
    f.Height = MaxPaperTenthMm;
    const TLabelGrid g{0, 0, 200001, 200001, 0, 0, MaxPaperTenthMm, MaxPaperTenthMm};
    const QPoint far = PaperFmt::cellOrigin(f, g, 200000, 200000);
    EXPECT_EQ(far.x(), std::numeric_limits<int>::max());
    EXPECT_EQ(far.y(), std::numeric_limits<int>::max());
}

// Each bound of a grid, tested on both sides.
struct GridBoundCase {
    const char *name;
    TLabelGrid grid;
    bool valid;
};
void PrintTo(const GridBoundCase &c, std::ostream *os) { *os << c.name; }

class GridBounds : public testing::TestWithParam<GridBoundCase> {};

TEST_P(GridBounds, keepTheSheetCellsMarginsAndGapsOnTheLargestPaper)
{
    EXPECT_EQ(PaperFmt::validGrid(GetParam().grid), GetParam().valid);
}

constexpr std::int32_t kP = MaxPaperTenthMm;
constexpr std::int32_t kC = PaperFmt::MaxGridCells;

INSTANTIATE_TEST_SUITE_P(
    Cases, GridBounds,
    testing::Values(GridBoundCase{"noGrid", {}, true},
                    GridBoundCase{"everyValueAtItsLimit", {kP, kP, kC, kC, kP, kP, kP, kP}, true},
                    GridBoundCase{"sheetWidthBeyond", {kP + 1, kP, 1, 1, 0, 0, 0, 0}, false},
                    GridBoundCase{"sheetHeightBeyond", {kP, kP + 1, 1, 1, 0, 0, 0, 0}, false},
                    GridBoundCase{"columnsBeyond", {kP, kP, kC + 1, 1, 0, 0, 0, 0}, false},
                    GridBoundCase{"rowsBeyond", {kP, kP, 1, kC + 1, 0, 0, 0, 0}, false},
                    GridBoundCase{"negativeColumns", {kP, kP, -1, 1, 0, 0, 0, 0}, false},
                    GridBoundCase{"marginBeyond", {kP, kP, 1, 1, kP + 1, 0, 0, 0}, false},
                    GridBoundCase{"negativeTopMargin", {kP, kP, 1, 1, 0, -1, 0, 0}, false},
                    GridBoundCase{"gapBeyond", {kP, kP, 1, 1, 0, 0, 0, kP + 1}, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CellPosition, landscapeCellIsThePieceTurned)
{
    TLayoutFormat f;
    f.Direction = 1;
    f.Width = 423;
    f.Height = 864;
    const TLabelGrid g{2100, 2970, 2, 6, 186, 216, 0, 0};
    EXPECT_EQ(PaperFmt::cellRect(f, g, 1, 5), QRect(186 + 864, 216 + 5 * 423, 864, 423));
}

// ---- User formats -----------------------------------------------------------------

TEST(CustomFormats, idsNeverComeBackAfterDeletion)
{
    TCustomFormats c;
    const auto first = c.add({});
    const auto second = c.add({});
    ASSERT_TRUE(c.remove(second));
    const auto third = c.add({});
    EXPECT_GT(third, second);
    EXPECT_NE(third, first);
    ASSERT_TRUE(c.remove(first));
    ASSERT_TRUE(c.remove(third));
    EXPECT_GT(c.add({}), third);
}

TEST(CustomFormats, lastIdGivenSurvivesSavingWithFewerFormats)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CstmL.fmt"));
    TCustomFormats c;
    TCustomFormat one;
    one.Format = sampleFormat(TPaperKind::Postcard, QStringLiteral("小"), 0, 0);
    c.add(one);
    c.add(one);
    c.remove(2);
    QString error;
    ASSERT_TRUE(c.save(path, &error));
    TCustomFormats read;
    ASSERT_TRUE(read.load(path, &error)) << error.toStdString();
    EXPECT_EQ(read.add({}), 3);
}

TEST(CustomFormats, deletingTheSheetOwningGridTwoOfThreeRenumbersTheLater)
{
    TCustomFormats c;
    TLabelGrid g1 = sampleGrid(1), g2 = sampleGrid(2), g3 = sampleGrid(3);
    const auto a = c.add({}, &g1), b = c.add({}, &g2), d = c.add({}, &g3);
    ASSERT_TRUE(c.remove(b));
    ASSERT_EQ(c.Grids.size(), 2);
    EXPECT_EQ(c.Records.at(c.indexOfId(a)).Format.GridIndex, 1);
    EXPECT_EQ(c.Records.at(c.indexOfId(d)).Format.GridIndex, 2);
    EXPECT_EQ(c.gridOf(c.Records.at(c.indexOfId(d))), g3);
}

// Layouts may still name a deleted format by its id: the file keeps the last
// id given even when its last format goes, so no new format takes the id.
TEST(CustomFormats, deletingTheLastFormatKeepsTheLastIdGiven)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CstmL.fmt"));
    TCustomFormats c;
    c.add({});
    c.add({});
    QString error;
    ASSERT_TRUE(c.save(path, &error));
    ASSERT_TRUE(c.remove(1));
    ASSERT_TRUE(c.remove(2));
    ASSERT_TRUE(c.save(path, &error)) << error.toStdString();
    TCustomFormats read;
    ASSERT_TRUE(read.load(path, &error)) << error.toStdString();
    EXPECT_TRUE(read.Records.isEmpty());
    EXPECT_EQ(read.add({}), 3);
}

// Ids run up to the largest 32-bit number and never wrap round.
TEST(CustomFormats, theLargestIdIsGivenOnceAndThenNoneMore)
{
    TCustomFormats c;
    TCustomFormat one;
    one.Format = sampleFormat(TPaperKind::Postcard, QStringLiteral("小"), 0, 0);
    c.LastId = std::numeric_limits<std::int32_t>::max() - 1;
    EXPECT_EQ(c.add(one), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(c.add(one), 0);
    EXPECT_EQ(c.Records.size(), 1);
    EXPECT_EQ(c.LastId, std::numeric_limits<std::int32_t>::max());
    QString error;
    TCustomFormats read;
    ASSERT_TRUE(read.fromBytes(c.toBytes(), &error)) << error.toStdString();
    EXPECT_EQ(read.add(one), 0);
    EXPECT_EQ(read.Records.size(), 1);
}

TEST(CustomFormats, nameIsUsedOnlyWithinItsKind)
{
    const TCustomFormats c = sampleCustom();
    const QByteArray name = PaperFmt::shortString(QStringLiteral("わたしのラベル"), 30);
    EXPECT_TRUE(c.isNameUsed(name, TPaperKind::Label));
    EXPECT_FALSE(c.isNameUsed(name, TPaperKind::Card));
}

// ---- Listing and barcode fit ---------------------------------------------------------

TEST(PaperListing, namesStopAtTheNextCategory)
{
    QList<TLayoutFormat> r;
    auto add = [&](const char *category, const char *name) {
        TLayoutFormat f;
        f.Kind = 1;
        f.Category = category;
        f.Name = name;
        r.append(f);
    };
    add("A", "x");
    add("A", "x");
    add("A", "y");
    add("B", "z");
    const auto categories = ListCategories(r, TPaperKind::Envelope);
    ASSERT_EQ(categories.size(), 2);
    EXPECT_EQ(categories.at(1).First, 3);
    const auto names = ListNames(r, 0);
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names.at(1).First, 2);
}

struct BarcodeCase {
    int length;
    bool fits;
    int size;
};
class BarcodeFit : public testing::TestWithParam<BarcodeCase> {};

TEST_P(BarcodeFit, choosesTheLargestBarShorterThanTheRoom)
{
    int size = -1;
    EXPECT_EQ(BarcodeSizeForLength(GetParam().length, size), GetParam().fits);
    EXPECT_EQ(size, GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Cases, BarcodeFit,
                         testing::Values(BarcodeCase{682, false, -1}, BarcodeCase{683, true, 0},
                                         BarcodeCase{930, true, 2}, BarcodeCase{931, true, 3},
                                         BarcodeCase{2350, true, 3}));
