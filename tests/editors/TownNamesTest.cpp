#include "DicSources.h"
#include "EditorsFixture.h"
#include "core/AddressText.h"
#include "editors/PrintLoop.h"
#include "editors/TownNames.h"
#include "items/BarRect.h"
#include "support/PostBars.h"
#include "support/RowName.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QJsonDocument>
#include <QPrinter>
#include <QRegularExpression>

#include <array>

namespace {

struct TownCase
{
    const char16_t *Postcode;
    const char16_t *Address;
    const char *Data; // the barcode's characters
    const char16_t *Town; // the dictionary's town of the postcode
};

class CustomerBarcodeTowns : public ::testing::TestWithParam<TownCase>
{
protected:
    TTownNameLookup towns = DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
};

// Town names holding kanji numerals: the number starts after the town.
TEST_P(CustomerBarcodeTowns, townNumeralsAreNotTheAddressNumber)
{
    const TownCase &c = GetParam();
    const QString postcode = QString::fromUtf16(c.Postcode);
    const QStringList names = towns(postcode).Towns;
    EXPECT_TRUE(names.contains(QString::fromUtf16(c.Town))) << names.join(u',').toStdString();
    EXPECT_EQ(CustomerBarcodeData(postcode, QString::fromUtf16(c.Address), names), QLatin1String(c.Data));
}

// The postcard's barcode item, merged from a record, shows the same code.
TEST_P(CustomerBarcodeTowns, mergedPostcardCarriesTheCode)
{
    const TownCase &c = GetParam();
    TLayoutDocument layout;
    loadLayout(layout, 0, TLayoutKind::AddressSide);
    layout.TownNames = towns;
    TAddressText record;
    record.Pos = QString::fromUtf16(c.Postcode);
    record.Adrs1 = QString::fromUtf16(c.Address);
    record.NameKanji = QStringLiteral("山田 太郎");
    MergeRecord(layout, &record, nullptr);
    const TBarcodeRect *bar = nullptr;
    for (const auto &item : layout.Items)
        if (auto *b = dynamic_cast<const TBarcodeRect *>(item.get()))
            bar = b;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Bars(), EncodeCustomerBarcode(QLatin1String(c.Data)));
}

INSTANTIATE_TEST_SUITE_P(
    Editors, CustomerBarcodeTowns,
    ::testing::Values(TownCase{u"1020082", u"千代田区一番町５番地", "10200825", u"一番町"},
                      TownCase{u"1020075", u"千代田区三番町２番地３", "10200752-3", u"三番町"},
                      TownCase{u"1020084", u"千代田区二番町１２番地の４", "102008412-4", u"二番町"}));

// The house number a user types into address line 2 belongs to the code.
TEST(CustomerBarcodeTownNames, houseNumberInAddressLineTwoJoinsTheCode)
{
    TLayoutDocument layout;
    loadLayout(layout, 0, TLayoutKind::AddressSide);
    layout.TownNames = DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
    TAddressData record;
    record.Pos = Cp932::encode(QStringLiteral("1020082"));
    record.Adrs1 = Cp932::encode(QStringLiteral("千代田区一番町"));
    record.Adrs2 = Cp932::encode(QStringLiteral("5番地"));
    record.NameKanji = Cp932::encode(QStringLiteral("山田 太郎"));
    record.PrivCorp = true;
    const TAddressText text = AddressTextOf(record);
    MergeRecord(layout, &text, nullptr);
    const TBarcodeRect *bar = nullptr;
    for (const auto &item : layout.Items)
        if (auto *b = dynamic_cast<const TBarcodeRect *>(item.get()))
            bar = b;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Bars(), EncodeCustomerBarcode(QStringLiteral("10200825")));
}

TEST(CustomerBarcodeTownNames, unknownPostcodeHasNoTowns)
{
    const TTownNameLookup towns =
        DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
    EXPECT_TRUE(towns(QStringLiteral("9999999")).Towns.isEmpty());
    EXPECT_TRUE(towns(QStringLiteral("12")).Towns.isEmpty());
}

// The barcode reads a postcode typed in full-width digits as the same code;
// its town names must be found the same way, or the town's numeral is
// taken for the address number.
TEST(CustomerBarcodeTownNames, fullWidthPostcodeFindsTheSameTowns)
{
    const TTownNameLookup towns =
        DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
    const QString wide = QStringLiteral("１０２－００８２");
    EXPECT_EQ(towns(wide).Towns, towns(QStringLiteral("102-0082")).Towns);
    EXPECT_EQ(CustomerBarcodeData(wide, QStringLiteral("千代田区一番町５番地"), towns(wide)), QLatin1String("10200825"));
}

TEST(CustomerBarcodeTownNames, missingDictionaryGivesNoTowns)
{
    QTemporaryDir empty;
    const TTownNameLookup towns = DictionaryTownNames(empty.path() + u'/', empty.path() + u'/');
    EXPECT_TRUE(towns(QStringLiteral("1020082")).Towns.isEmpty());
}

TEST(CustomerBarcodeTownNames, postcardWithoutARecordShowsNoBars)
{
    TLayoutDocument layout;
    loadLayout(layout, 0, TLayoutKind::AddressSide);
    MergeRecord(layout, nullptr, nullptr);
    for (const auto &item : layout.Items) {
        if (auto *b = dynamic_cast<const TBarcodeRect *>(item.get())) {
            EXPECT_TRUE(b->Bars().isEmpty());
        }
    }
}

// ---- Large offices ---------------------------------------------------------------

// A large office's own postcode has no town row in the dictionary; the town
// its office row names is still the town, so its numeral is no number.
TEST(CustomerBarcodeTownNames, largeOfficePostcodeGivesTheTownItLiesIn)
{
    const TTownNameLookup towns =
        DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
    const TPostcodeTowns office = towns(QStringLiteral("1028015"));
    EXPECT_TRUE(office.Towns.contains(QStringLiteral("一番町"))) << office.Towns.join(u',').toStdString();
    EXPECT_TRUE(office.OwnNumber);
    EXPECT_EQ(AddressNumberOf(QStringLiteral("千代田区一番町２１"), office.Towns), QLatin1String("21"));
}

TEST(CustomerBarcodeTownNames, townPostcodeIsNoOwnNumber)
{
    const TTownNameLookup towns =
        DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
    EXPECT_FALSE(towns(QStringLiteral("1020082")).OwnNumber);
}

// ---- Representative numbers ---------------------------------------------------------

struct RepresentativeCase {
    const char *name;
    const char16_t *postcode;
    bool representative;
};

class RepresentativeNumber : public ::testing::TestWithParam<RepresentativeCase>
{
protected:
    TTownNameLookup towns = DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
};

TEST_P(RepresentativeNumber, isTheCitysNumberForThePlacesWithoutATown)
{
    EXPECT_EQ(towns(QString::fromUtf16(GetParam().postcode)).Representative, GetParam().representative);
}

INSTANTIATE_TEST_SUITE_P(
    Editors, RepresentativeNumber,
    ::testing::Values(RepresentativeCase{"wardsNumber", u"1000000", true},
                      RepresentativeCase{"villagesNumberBesideItsTowns", u"0190800", true},
                      RepresentativeCase{"numberSharedByTwoTowns", u"2590100", true},
                      // A village with one number for all of it names no town either.
                      RepresentativeCase{"villageWithOneNumber", u"4010320", false},
                      RepresentativeCase{"townsNumber", u"1000013", false},
                      RepresentativeCase{"largeOfficesNumber", u"1028015", false}),
    rowName);

// A record with the representative number prints no barcode; the village
// with one number for all of it prints its code.
TEST(CustomerBarcodeTownNames, representativeNumberPrintsNoBars)
{
    TLayoutDocument layout;
    loadLayout(layout, 0, TLayoutKind::AddressSide);
    layout.TownNames = DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
    auto barsFor = [&layout](const QString &Postcode, const QString &Address) {
        TAddressText record;
        record.Pos = Postcode;
        record.Adrs1 = Address;
        record.NameKanji = QStringLiteral("山田 太郎");
        MergeRecord(layout, &record, nullptr);
        for (const auto &item : layout.Items)
            if (auto *b = dynamic_cast<const TBarcodeRect *>(item.get()))
                return b->Bars();
        ADD_FAILURE() << "no barcode item";
        return QList<TPostBar>();
    };
    EXPECT_TRUE(barsFor(QStringLiteral("1000000"), QStringLiteral("千代田区霞が関1-3-2")).isEmpty());
    EXPECT_EQ(barsFor(QStringLiteral("4010320"), QStringLiteral("南都留郡鳴沢村1234")),
              EncodeCustomerBarcode(QStringLiteral("40103201234")));
}

// A large office's own postcode is the whole code: nothing of the address
// follows it, so no numeral of its town can slip in.
TEST(CustomerBarcodeTownNames, largeOfficeCodeCarriesThePostcodeAlone)
{
    const TTownNameLookup towns =
        DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
    const QString postcode = QStringLiteral("1028015");
    EXPECT_EQ(CustomerBarcodeData(postcode, QStringLiteral("東京都千代田区一番町２１"), towns(postcode)),
              QLatin1String("1028015"));
}

// Every large office of the source packages whose town's name holds a kanji
// numeral, through the dictionary the build made of them: the look-up gives
// the office's town, the code is the postcode alone, and the number is that
// of the street part read after the town alone: neither the prefecture and
// city before it nor the office's other towns move it.
TEST(CustomerBarcodeTownNames, everyLargeOfficeOfTheSourceWithANumeralInItsTown)
{
    REQUIRE_FULL_DICTIONARY();
    const TTownNameLookup towns =
        DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_FULL_DIR));
    static const QRegularExpression numeral(QStringLiteral("[〇一二三四五六七八九十百千]"));
    int checked = 0;
    QStringList wrong;
    for (const TDicSourceRow &row : dicSourceRows(nullptr)) {
        if (!row.Office || !row.Town.contains(numeral))
            continue;
        const TPostcodeTowns found = towns(row.Postcode);
        const QString address = row.Prefecture + row.City + row.Town + row.Street;
        QStringList faults;
        if (!found.Towns.contains(row.Town))
            faults << QStringLiteral("towns ") + found.Towns.join(u',');
        if (!found.OwnNumber)
            faults << QStringLiteral("no own number");
        const QString code = CustomerBarcodeData(row.Postcode, address, found);
        if (code != row.Postcode)
            faults << QStringLiteral("code ") + code;
        const QString number = AddressNumberOf(address, found.Towns);
        if (number != AddressNumberOf(row.Town + row.Street, {row.Town}))
            faults << QStringLiteral("number ") + number;
        if (!faults.isEmpty())
            wrong << row.Postcode + u' ' + address + QStringLiteral(": ") + faults.join(QStringLiteral("; "));
        ++checked;
    }
    EXPECT_GT(checked, 1000);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.size() << " of " << checked << ":\n"
                                 << qPrintable(wrong.mid(0, 20).join(u'\n'));
}

// ---- A printed run ------------------------------------------------------------------

// Records typed with their address over three lines, printed to a PDF as a
// postcard run; each page's barcode is read back from its bars as poppler
// renders them.
struct PrintedCase {
    const char *name;
    const char16_t *postcode;
    const char16_t *prefecture;
    std::array<const char16_t *, 3> lines;
    const char *code; // Japan Post's characters, without the CC4 filling
};

class PrintedBarcode : public ::testing::TestWithParam<PrintedCase> {};

TEST_P(PrintedBarcode, barsOfThePrintedPageReadAsJapanPostsCode)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    const PrintedCase &c = GetParam();
    SampleBook book;
    book.table.Append();
    auto set = [&book](const char *Field, const char16_t *Text) {
        book.table.FieldByName(QString::fromLatin1(Field)).SetAsBytes(Cp932::encode(QString::fromUtf16(Text)));
    };
    set("Pos", c.postcode);
    set("Tdfkn", c.prefecture);
    set("Adrs1", c.lines[0]);
    set("Adrs2", c.lines[1]);
    set("Adrs3", c.lines[2]);
    set("NameKanji", u"山田 太郎");
    book.table.FieldByName(QStringLiteral("PrivCorp")).SetAsBoolean(true);
    book.table.Post();

    TLayoutDocument layout;
    loadLayout(layout, 0, TLayoutKind::AddressSide);
    layout.TownNames = DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("run.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(600);
    printer.setFullPage(true);
    SetupPrinterPage(printer, layout);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QString error;
    ASSERT_TRUE(loop.Run(printer, {1, 4}, {}, &error)) << qPrintable(error);
    constexpr int dpi = 600;
    const QList<QImage> pages = renderPdf(pdf, dpi);
    ASSERT_EQ(pages.size(), 2);
    const TBarcodeRect *bar = nullptr;
    for (const auto &item : layout.Items)
        if (auto *b = dynamic_cast<const TBarcodeRect *>(item.get()))
            bar = b;
    ASSERT_NE(bar, nullptr);
    const TPageRect r = bar->GetRect();
    auto d = [](int px) { return PageToDots(TPagePx(px), dpi); };
    const QRect area = QRect(QPoint(d(r.Left), d(r.Top)), QPoint(d(r.Right) - 1, d(r.Bottom) - 1)).adjusted(-8, -8, 8, 8);
    // The first page is a record of the book's own, the second the one typed here.
    const TReadPostBars first = readPostBars(barsInImage(pages[0], area));
    EXPECT_TRUE(first.Valid) << qPrintable(first.Error);
    const TReadPostBars read = readPostBars(barsInImage(pages[1], area));
    ASSERT_TRUE(read.Valid) << qPrintable(read.Error);
    EXPECT_EQ(read.Text, QLatin1String(c.code));
}

INSTANTIATE_TEST_SUITE_P(
    Editors, PrintedBarcode,
    ::testing::Values(
        PrintedCase{"roomNumberOnTheNextLine", u"6560544", u"兵庫県", {u"南あわじ市阿万下町", u"９－４－２１", u"２０３号室"},
                    "65605449-4-21-203"},
        PrintedCase{"letterWhoseControlCodeTakesTheLastPlace", u"9100067", u"福井県",
                    {u"福井市新田塚3丁目80-25", u"J1ビル2-B", u""}, "91000673-80-25<CC1>91-2<CC1>"},
        PrintedCase{"buildingOnTheNextLine", u"1000013", u"東京都", {u"千代田区霞が関1丁目3番2号", u"郵便プラザ503室", u""},
                    "10000131-3-2-503"},
        PrintedCase{"townWithANumeral", u"1020082", u"東京都", {u"千代田区一番町５番地", u"", u""}, "10200825"},
        PrintedCase{"kanjiNumeralsAndTheTownInTheBuildingOnTheNextLine", u"1000013", u"東京都",
                    {u"千代田区霞が関一丁目二番三号", u"霞が関コーポ五〇一号室", u""}, "10000131-2-3-501"},
        PrintedCase{"largeOfficeOwnPostcode", u"1028015", u"東京都", {u"千代田区一番町２１", u"", u""}, "1028015"}),
    rowName);

} // namespace
