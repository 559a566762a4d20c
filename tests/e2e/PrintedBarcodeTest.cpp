// The customer barcode the way a user meets it: a record typed into the
// record form, printed through the print wizard as a postcard to a PDF file,
// and the bars of the printed page read back as a sorting machine reads them.
#include "PrintedInk.h"
#include "UserRoad.h"
#include "items/BarRect.h"
#include "support/PostBars.h"
#include "support/RowName.h"

#include <QAction>
#include <QCheckBox>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

class PrintedBarcode : public DictionaryRoadFixture
{
protected:
    // The bars are read back from the page pdftoppm renders.
    void SetUp() override
    {
        DictionaryRoadFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            GTEST_SKIP() << "pdftoppm is not installed";
    }

    // The bars read back from the postcard printed for a record typed into
    // the record form with Postcode, the prefecture Tdfkn and the address
    // lines Adrs1 and Adrs2.
    // Arrange, when given, sets the editor up before the print.
    QString printedBars(const QString &Postcode, const QString &Tdfkn, const QString &Adrs1, const QString &Adrs2,
                        const std::function<void(TPrintEditor &)> &Arrange = {})
    {
        typeRecord(
            {.Name = QStringLiteral("山田 太郎"), .Pos = Postcode, .Tdfkn = Tdfkn, .Adrs1 = Adrs1, .Adrs2 = Adrs2});
        if (HasFatalFailure())
            return {};
        selectRows({0});

        TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
        EXPECT_NE(editor, nullptr);
        if (!editor)
            return {};
        if (Arrange)
            Arrange(*editor);
        EXPECT_TRUE(runPrintWizard(*editor));

        constexpr int dpi = 600;
        const QList<QImage> pages = renderPdf(pdfFile(), dpi);
        EXPECT_EQ(pages.size(), 1);
        const TBarcodeRect *bar = nullptr;
        for (const auto &item : editor->Document().Items)
            if (auto *b = dynamic_cast<const TBarcodeRect *>(item.get()))
                bar = b;
        EXPECT_NE(bar, nullptr);
        if (pages.size() != 1 || !bar)
            return {};
        const TPageRect r = bar->GetRect();
        auto d = [](int px) { return PageToDots(TPagePx(px), dpi); };
        const QRect area =
            QRect(QPoint(d(r.Left), d(r.Top)), QPoint(d(r.Right) - 1, d(r.Bottom) - 1)).adjusted(-8, -8, 8, 8);
        const TReadPostBars read = readPostBars(barsInImage(pages[0], area));
        EXPECT_TRUE(read.Valid) << qPrintable(read.Error);
        return read.Text;
    }
};

// The address written in kanji numerals, with the town's name again in the
// building's on the second line: the bars carry the block, lot and house
// numbers and the room, not the room alone.
TEST_F(PrintedBarcode, kanjiNumberedAddressWithTheTownInItsBuildingReadsWhole)
{
    EXPECT_EQ(printedBars(QStringLiteral("1000013"), QStringLiteral("東京都"), QStringLiteral("千代田区霞が関一丁目二番三号"),
                          QStringLiteral("霞が関コーポ五〇一号室")),
              QLatin1String("10000131-2-3-501"));
}

// The town written in another common form (ヶ for が) than the dictionary's,
// and the dictionary's form only in the building after the number: the town
// is not taken from the building, the number before it stays in the bars.
TEST_F(PrintedBarcode, townWrittenOtherwiseKeepsTheNumberBeforeABuildingOfTheTownsName)
{
    EXPECT_EQ(printedBars(QStringLiteral("1000013"), QStringLiteral("東京都"), QStringLiteral("千代田区霞ヶ関3-2-5"),
                          QStringLiteral("霞が関ビル12階")),
              QLatin1String("10000133-2-5-12"));
}

// The second address line left out of the detailed frames (書式 → 詳細,
// 住所２ unticked): the bars carry the numbers the piece shows, not the
// floor of a building it does not print; the automatic set, where the box
// is not offered, prints the line and its number again.
TEST_F(PrintedBarcode, aLineTheLayoutLeavesOutLeavesTheBarsToo)
{
    TPrintEditor *arranged = nullptr;
    EXPECT_EQ(printedBars(QStringLiteral("1000013"), QStringLiteral("東京都"), QStringLiteral("千代田区霞ヶ関3-2-5"),
                          QStringLiteral("霞が関ビル12階"),
                          [&arranged](TPrintEditor &Editor) {
                              arranged = &Editor;
                              switchToDetailedFrames(Editor);
                              clickInLayoutDetail(Editor, "ckbAddress2");
                          }),
              QLatin1String("10000133-2-5"));
    ASSERT_NE(arranged, nullptr);
    clickInLayoutDetail(*arranged, "ckbAuto");
    ASSERT_FALSE(arranged->Document().Detail);
    EXPECT_TRUE(runPrintWizard(*arranged));
    const QString text = readPdfText().remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_TRUE(text.normalized(QString::NormalizationForm_KC).contains(QStringLiteral("霞が関ビル12"))) << qPrintable(text);
}

// The town's numeral written in digits ("北1条西" for the dictionary's
// "北一条西"), as most Sapporo addresses are: the bars carry what follows
// the town, not the town's own numeral as well.
TEST_F(PrintedBarcode, townsNumeralWrittenInDigitsIsNotPartOfTheNumber)
{
    EXPECT_EQ(printedBars(QStringLiteral("0600001"), QStringLiteral("北海道"),
                          QStringLiteral("札幌市中央区北1条西2丁目1-1"), {}),
              QLatin1String("06000012-1-1"));
}

// Towns whose number is easily mistaken: a town named by numerals alone
// with a number that starts like it, and Kyoto towns behind a street
// designation that holds a block number of its own.
struct TownNumberCase {
    const char *name;
    const char16_t *postcode;
    const char16_t *tdfkn;
    const char16_t *adrs1;
    const char16_t *adrs2;
    const char *bars;
};

class PrintedBarcodeTown : public PrintedBarcode, public ::testing::WithParamInterface<TownNumberCase>
{
};

TEST_P(PrintedBarcodeTown, barsCarryTheNumberAfterTheTown)
{
    const TownNumberCase &c = GetParam();
    EXPECT_EQ(printedBars(QString::fromUtf16(c.postcode), QString::fromUtf16(c.tdfkn), QString::fromUtf16(c.adrs1),
                          QString::fromUtf16(c.adrs2)),
              QLatin1String(c.bars));
}

INSTANTIATE_TEST_SUITE_P(
    Towns, PrintedBarcodeTown,
    ::testing::Values(
        TownNumberCase{"numeralTownBeforeFullWidthDigits", u"8380228", u"福岡県", u"朝倉郡筑前町二２５８", u"",
                       "8380228258"},
        TownNumberCase{"numeralTownWithItsValueOnTheNextLine", u"9503354", u"新潟県", u"新潟市北区十二", u"十二番地",
                       "950335412"},
        TownNumberCase{"kyotoBlockNumberBeforeTheTown", u"6020087", u"京都府", u"京都市上京区堀川通寺之内上る",
                       u"4丁目天神北町1番地の1", "60200871-1"},
        TownNumberCase{"kyotoBlockNumberInKanji", u"6008002", u"京都府", u"京都市下京区四条通寺町東入",
                       u"二丁目御旅町３５", "600800235"}),
    rowName);

// One address (霞が関 1-2-3, room 501) written the ways people write it:
// each takes the same road to the same bars.
struct SpellingCase {
    const char *name;
    const char16_t *adrs1;
    const char16_t *adrs2;
};

class PrintedBarcodeSpelling : public PrintedBarcode, public ::testing::WithParamInterface<SpellingCase>
{
};

TEST_P(PrintedBarcodeSpelling, readsTheSameNumber)
{
    EXPECT_EQ(printedBars(QStringLiteral("1000013"), QStringLiteral("東京都"), QString::fromUtf16(GetParam().adrs1),
                          QString::fromUtf16(GetParam().adrs2)),
              QLatin1String("10000131-2-3-501"));
}

INSTANTIATE_TEST_SUITE_P(
    OneAddress, PrintedBarcodeSpelling,
    ::testing::Values(SpellingCase{"digitsAndHyphens", u"千代田区霞が関1-2-3", u"霞が関コーポ501号室"},
                      SpellingCase{"fullWidthDigits", u"千代田区霞が関１－２－３", u"霞が関コーポ５０１号室"},
                      SpellingCase{"kanjiChomeDigitsAfter", u"千代田区霞が関一丁目2番3号", u"霞が関コーポ501号室"},
                      SpellingCase{"longVowelMarksForHyphens", u"千代田区霞が関1ー2ー3", u"霞が関コーポ501"},
                      SpellingCase{"numberSplitOverTheLines", u"千代田区霞が関1丁目", u"2番3号 霞が関コーポ501号室"},
                      SpellingCase{"townInAnotherFormAndItsBuilding", u"千代田区霞ヶ関1-2-3", u"霞が関コーポ501号室"}),
    rowName);

} // namespace

namespace {

// Where every postcard's and envelope's default frames print the customer
// barcode, measured on the printed PDF of records typed into the record form
// (a person with a joint name and a building line, a company with its
// department and title) with a sender at a company: Japan Post reads the
// bars only 10 mm and more inside the face, off the postmark area (70 x 35
// mm in the stamp's corner, both ways round), with 2 mm clear all round.
struct PlaceCase {
    int Paper;
    bool Detail;
};

class PrintedBarcodePlace : public PrintedBarcode, public ::testing::WithParamInterface<PlaceCase>
{
};

constexpr double kEdgeMm = 10.0;
constexpr double kClearMm = 2.0;

TEST_P(PrintedBarcodePlace, barsPrintInsideTheReadableFaceWithNothingWithinTwoMillimetres)
{
    ASSERT_NO_FATAL_FAILURE(enterRecords({}, QStringLiteral("花子"), QStringLiteral("山田 太郎"),
                                         QStringLiteral("永田町ハイツ五〇一号室")));
    selectRows({0, 1});
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, GetParam().Paper);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(enterSender(*editor, true));
    if (GetParam().Detail) {
        ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    }
    ASSERT_TRUE(runPrintWizard(*editor));

    constexpr int dpi = 300;
    const QList<QImage> pages = renderPdf(pdfFile(), dpi);
    ASSERT_EQ(pages.size(), 2);
    const TLayoutDocument &doc = editor->Document();
    ASSERT_TRUE(doc.Format.PaperKind() == TPaperKind::Postcard || doc.Format.PaperKind() == TPaperKind::Envelope);
    const TDrawRect *bar = nullptr;
    for (const auto &item : doc.Items)
        if (item->GetKind() == TDrawRectKind::Barcode && item->IsVisible())
            bar = item.get();
    ASSERT_NE(bar, nullptr);
    auto dots = [](double Mm) { return int(std::lround(Mm / 25.4 * dpi)); };
    auto mm = [](int Dots) { return Dots * 25.4 / dpi; };
    const QSizeF face(doc.Format.Width / 10.0, doc.Format.Height / 10.0);
    const TPageRect r = bar->GetRect();
    const QRectF laid(QPointF(r.Left * 25.4 / 96, r.Top * 25.4 / 96), QPointF(r.Right * 25.4 / 96, r.Bottom * 25.4 / 96));
    for (qsizetype p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(QStringLiteral("page %1").arg(p + 1).toStdString());
        const QImage &page = pages[p];
        ASSERT_NEAR(mm(page.width()), face.width(), 1.0) << "the page is the face, upright as laid out";
        ASSERT_NEAR(mm(page.height()), face.height(), 1.0);
        const QRect ink = InkAround(page, laid, dpi);
        ASSERT_FALSE(ink.isEmpty()) << "no bars printed";
        const TReadPostBars read = readPostBars(barsInImage(page, ink));
        EXPECT_TRUE(read.Valid) << read.Error.toStdString();
        const QRectF bars(QPointF(mm(ink.left()), mm(ink.top())), QPointF(mm(ink.right() + 1), mm(ink.bottom() + 1)));
        const QString where = QStringLiteral("bars (%1, %2)-(%3, %4) mm")
                                  .arg(bars.left(), 0, 'f', 1)
                                  .arg(bars.top(), 0, 'f', 1)
                                  .arg(bars.right(), 0, 'f', 1)
                                  .arg(bars.bottom(), 0, 'f', 1);
        for (double edge : {bars.left(), bars.top(), face.width() - bars.right(), face.height() - bars.bottom()})
            EXPECT_GE(edge, kEdgeMm + kClearMm) << where.toStdString();
        const bool upright = face.height() >= face.width();
        const QRectF clear = bars.adjusted(-kClearMm, -kClearMm, kClearMm, kClearMm);
        for (const QSizeF area : {QSizeF(70, 35), QSizeF(35, 70)}) {
            const QRectF stamp(QPointF(upright ? 0 : face.width() - area.width(), 0), area);
            EXPECT_FALSE(clear.intersects(stamp)) << where.toStdString() << " in the postmark area";
        }
        // Nothing else inked within 2 mm of the bars (a dot of rasterising
        // allowed).
        const int ring = dots(kClearMm) - 1;
        const QRect around = ink.adjusted(-ring, -ring, ring, ring);
        EXPECT_EQ(inkIn(page, around) - inkIn(page, ink), 0) << where.toStdString();
    }
}

std::vector<PlaceCase> postalPapers()
{
    std::vector<PlaceCase> cases;
    for (int paper = 0; paper <= 13; ++paper)
        for (bool detail : {false, true})
            cases.push_back({paper, detail});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryPostalPaper, PrintedBarcodePlace, ::testing::ValuesIn(postalPapers()),
                         paperRowName);

} // namespace

namespace {

// The customer barcode of an address label, a person with joint names
// typed into the record form, printed through the wizard on the label
// sheet: the bars keep 2 mm clear of every other text the label prints, the
// clear zone Japan Post reads them in once the label is on the envelope.
struct LabelCase {
    int Paper;
    bool Detail;
};

class PrintedLabelBarcode : public PrintedBarcode, public ::testing::WithParamInterface<LabelCase>
{
};

TEST_P(PrintedLabelBarcode, barsKeepTwoMillimetresFromTheLabelsTexts)
{
    TTypedRecord person = TokyoPerson();
    person.Joints = {QStringLiteral("花子"), QStringLiteral("一郎"), QStringLiteral("桜")};
    ASSERT_NO_FATAL_FAILURE(typeRecord(person));
    selectRows({0});

    TPrintEditor *editor = openEditor("actLabelPrint", TPrintEditorKind::Label, GetParam().Paper);
    ASSERT_NE(editor, nullptr);
    if (GetParam().Detail) {
        ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    }
    ASSERT_TRUE(runPrintWizard(*editor));

    constexpr int dpi = 300;
    const QList<QImage> pages = renderPdf(pdfFile(), dpi);
    ASSERT_EQ(pages.size(), 1);
    const QImage &page = pages[0];
    auto dots = [](double Mm) { return int(std::lround(Mm / 25.4 * dpi)); };
    auto mm = [](int Dots) { return Dots * 25.4 / dpi; };
    // The first label of the sheet (a label used upright stands turned on
    // it): the bars are the rows the most dark runs cross.
    TLabelGrid grid;
    (void)catalogueFormat(GetParam().Paper, &grid);
    ASSERT_GT(grid.Columns, 0);
    ASSERT_GT(grid.Rows, 0);
    const double cellWidth = (grid.SheetWidth - 2 * grid.LeftMargin - (grid.Columns - 1) * grid.GapX) / 10.0 / grid.Columns;
    const double cellHeight = (grid.SheetHeight - 2 * grid.TopMargin - (grid.Rows - 1) * grid.GapY) / 10.0 / grid.Rows;
    const QRect cell(QPoint(dots(grid.LeftMargin / 10.0), dots(grid.TopMargin / 10.0)),
                     QSize(dots(cellWidth), dots(cellHeight)));
    auto runsAcross = [&](int Y) {
        int runs = 0;
        bool inRun = false;
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const bool dark = isInk(page.pixel(x, Y));
            runs += dark && !inRun ? 1 : 0;
            inRun = dark;
        }
        return runs;
    };
    int middle = -1;
    for (int y = cell.top(); y <= cell.bottom() && middle < 0; ++y)
        if (runsAcross(y) >= 60)
            middle = y;
    ASSERT_GE(middle, 0) << "no bars on the first label";
    int left = cell.right(), right = cell.left();
    for (int x = cell.left(); x <= cell.right(); ++x)
        if (isInk(page.pixel(x, middle)))
            left = std::min(left, x), right = std::max(right, x);
    auto rowHasInk = [&](int Y) {
        for (int x = left; x <= right; ++x)
            if (isInk(page.pixel(x, Y)))
                return true;
        return false;
    };
    int top = middle, bottom = middle;
    while (top - 1 >= cell.top() && rowHasInk(top - 1) && middle - top < dots(4))
        --top;
    while (bottom + 1 <= cell.bottom() && rowHasInk(bottom + 1) && bottom - middle < dots(4))
        ++bottom;
    const QRect bars(QPoint(left, top), QPoint(right, bottom));
    EXPECT_EQ(barsInImage(page, bars).size(), 67) << "the bars found are the whole code";
    // The nearest ink of anything else, up to 3 mm away.
    int nearest = dots(3) + 1;
    for (int y = bars.top() - dots(3); y <= bars.bottom() + dots(3); ++y)
        for (int x = bars.left() - dots(3); x <= bars.right() + dots(3); ++x)
            if (!bars.contains(x, y) && page.rect().contains(x, y) && isInk(page.pixel(x, y)))
                nearest = std::min(nearest, std::max({bars.top() - y, y - bars.bottom(), bars.left() - x, x - bars.right()}));
    // A dot of rasterising allowed.
    EXPECT_GE(mm(nearest + 1), 2.0) << "bars " << mm(bars.left()) << "," << mm(bars.top()) << " - " << mm(bars.right())
                                    << "," << mm(bars.bottom()) << " mm";
}

INSTANTIATE_TEST_SUITE_P(AddressLabels, PrintedLabelBarcode,
                         ::testing::Values(LabelCase{14, false}, LabelCase{14, true}, LabelCase{15, false},
                                           LabelCase{15, true}, LabelCase{16, false}, LabelCase{16, true},
                                           LabelCase{17, false}, LabelCase{17, true}),
                         paperRowName);

} // namespace
