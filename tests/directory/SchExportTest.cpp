#include "directory/SchExport.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

// The comma-separated lines of directory hits.

namespace {

QByteArray sj(const char16_t *text)
{
    return Cp932::encode(QString::fromUtf16(text));
}

TAreaSearchHit hit(int kind, const char16_t *name = u"見本商事")
{
    TAreaSearchHit h{};
    std::strcpy(h.Phone, "03-1111-2222");
    h.PhoneKind = kind;
    h.RecordKey = 7;
    const QByteArray n = sj(name), a = sj(u"東京都千代田区丸の内");
    std::memcpy(h.Name, n.constData(), static_cast<std::size_t>(n.size()));
    std::memcpy(h.Address, a.constData(), static_cast<std::size_t>(a.size()));
    std::strcpy(h.FirstMonth, "199907");
    return h;
}

TExportColumns only(const std::vector<int> &items)
{
    TExportColumns c = DefaultExportColumns();
    for (TExportColumn &column : c)
        column.Exported = false;
    int i = 0;
    for (int item : items)
        c[static_cast<std::size_t>(i++)] = {item, true};
    for (int row = 0, next = i; row < 15; ++row)
        if (std::find(items.begin(), items.end(), row) == items.end())
            c[static_cast<std::size_t>(next++)] = {row, false};
    return c;
}

struct PhoneCase { const char *label; int kind; std::vector<int> columns; const char16_t *line; };
void PrintTo(const PhoneCase &c, std::ostream *os) { *os << c.label; }
class ExportPhoneTest : public ::testing::TestWithParam<PhoneCase> {};

TEST_P(ExportPhoneTest, phoneColumnsFollowTheKind)
{
    EXPECT_EQ(BuildHitLine(hit(GetParam().kind), std::nullopt, only(GetParam().columns)), sj(GetParam().line));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ExportPhoneTest,
    ::testing::Values(PhoneCase{"ordinary", 0, {0, 1, 2}, u"03-1111-2222,,"},
                      PhoneCase{"faxOnly", 1, {0, 1, 2}, u",,03-1111-2222"},
                      PhoneCase{"phoneAndFax", 2, {0, 1, 2}, u"03-1111-2222,,03-1111-2222"},
                      PhoneCase{"mainNumber", 3, {0, 1, 2}, u"03-1111-2222,代表,"},
                      PhoneCase{"mainColumnAloneIsEmptyForAnOrdinaryNumber", 0, {1}, u""},
                      PhoneCase{"mainColumnAloneForAMainNumber", 3, {1}, u"代表"}));

TEST(ExportLine, aHitAloneSplitsItsAddressAndFillsBothNameColumns)
{
    EXPECT_EQ(BuildHitLine(hit(0), std::nullopt, only({5, 6, 10, 12, 14, 3})),
              sj(u"東京都,千代田区丸の内,見本商事,見本商事,1999年07月,"));
}

TEST(ExportLine, aFullRecordFillsThePersonOrCompanyColumns)
{
    TTelRecord r{};
    std::strcpy(r.Phone, "03-1111-2222");
    std::strcpy(r.Postcode, "1000005");
    const QByteArray name = sj(u"見本太郎");
    std::memcpy(r.Name, name.constData(), static_cast<std::size_t>(name.size()));
    std::strcpy(r.NameKana, "\xD0\xCE\xDD");
    std::strcpy(r.Codes, "13101001001");
    r.ListingKind = 99;
    std::strcpy(r.FirstMonth, "201012");
    const TExportColumns columns = only({3, 8, 9, 10, 11, 12, 13, 14});
    EXPECT_EQ(BuildHitLine(hit(0), r, columns),
              QByteArray("100-0005,13101,,,\xD0\xCE\xDD,") + sj(u"見本太郎,個人,2010年12月"));
    r.ListingKind = 1;
    EXPECT_EQ(BuildHitLine(hit(0), r, columns),
              QByteArray("100-0005,13101,\xD0\xCE\xDD,") + sj(u"見本太郎,,,会社,2010年12月"));
}

struct QuoteCase { const char *label; const char16_t *name; const char16_t *line; };
void PrintTo(const QuoteCase &c, std::ostream *os) { *os << c.label; }
class ExportQuoteTest : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(ExportQuoteTest, aNameStaysOneFieldAsItWas)
{
    EXPECT_EQ(BuildHitLine(hit(0, GetParam().name), std::nullopt, only({10, 0})), sj(GetParam().line));
}

INSTANTIATE_TEST_SUITE_P(
    Names, ExportQuoteTest,
    ::testing::Values(QuoteCase{"plain", u"見本商事", u"見本商事,03-1111-2222"},
                      QuoteCase{"commaAndQuotes", u"見本,\"架空\"商事", u"\"見本,\"\"架空\"\"商事\",03-1111-2222"},
                      QuoteCase{"quotesWithoutComma", u"\"架空\"商事", u"\"\"\"架空\"\"商事\",03-1111-2222"}));

TEST(ExportLine, theHeaderNamesTheExportedColumnsInOrder)
{
    EXPECT_EQ(BuildHeaderLine(only({12, 0, 14})), sj(u"名前,電話番号,初期掲載年月"));
}

struct SettingsCase { const char *label; const char *items; const char *flags; TExportColumns expected; };
void PrintTo(const SettingsCase &c, std::ostream *os) { *os << c.label; }
class ExportSettingsTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(ExportSettingsTest, readsTheStoredColumnsOrFallsBack)
{
    EXPECT_EQ(ParseExportColumns(QString::fromLatin1(GetParam().items), QString::fromLatin1(GetParam().flags)),
              GetParam().expected);
}

TExportColumns reversedWithFirstOff()
{
    TExportColumns c;
    for (int i = 0; i < 15; ++i)
        c[static_cast<std::size_t>(i)] = {14 - i, i != 0};
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ExportSettingsTest,
    ::testing::Values(
        SettingsCase{"storedOrderAndFlags", "14,13,12,11,10,9,8,7,6,5,4,3,2,1,0", "0,1,1,1,1,1,1,1,1,1,1,1,1,1,1",
                     reversedWithFirstOff()},
        SettingsCase{"fourteenItemsFallBackToCatalogueOrder", "1,2,3,4,5,6,7,8,9,10,11,12,13,14", "",
                     DefaultExportColumns()},
        SettingsCase{"aRepeatedItemFallsBack", "0,0,2,3,4,5,6,7,8,9,10,11,12,13,14", "", DefaultExportColumns()},
        SettingsCase{"emptySettingsExportEverything", "", "", DefaultExportColumns()}));

TEST(ExportSettings, writtenTextReadsBackTheSame)
{
    const TExportColumns c = reversedWithFirstOff();
    EXPECT_EQ(ParseExportColumns(ExportItemsText(c), ExportFlagsText(c)), c);
}

} // namespace
