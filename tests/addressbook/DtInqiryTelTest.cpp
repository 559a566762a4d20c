#include "addressbook/DtInqiryTel.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <cstring>

// The record a directory listing fills in the record form.

namespace {

TTelRecord listing(int phoneKind, int listingKind, const char16_t *name)
{
    TTelRecord r{};
    std::strcpy(r.Phone, "03-1234-5678");
    r.PhoneKind = phoneKind;
    std::strcpy(r.Postcode, "1000001");
    const QByteArray n = Cp932::encode(QString::fromUtf16(name));
    std::memcpy(r.Name, n.constData(), static_cast<std::size_t>(n.size()));
    std::strcpy(r.NameKana, "\xB6\xB8\xB3"); // ｶｸｳ
    const QByteArray pref = Cp932::encode(u"東京都");
    std::memcpy(r.Pref, pref.constData(), static_cast<std::size_t>(pref.size()));
    const QByteArray a = Cp932::encode(u"丸の内"), b = Cp932::encode(u"１丁目"), c = Cp932::encode(u"架空ビル");
    std::memcpy(r.Address2a, a.constData(), static_cast<std::size_t>(a.size()));
    std::memcpy(r.Address2b, b.constData(), static_cast<std::size_t>(b.size()));
    std::memcpy(r.Address2c, c.constData(), static_cast<std::size_t>(c.size()));
    std::strcpy(r.Codes, "13101001001");
    r.ListingKind = listingKind;
    std::strcpy(r.FirstMonth, "200304");
    return r;
}

struct KindCase { const char *label; int kind; const char *tel; const char *fax; int telDiv; };
void PrintTo(const KindCase &c, std::ostream *os) { *os << c.label; }
class TelRecordKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(TelRecordKindTest, theNumberGoesWhereItsKindSays)
{
    const TAddressData d = AddressFromTelRecord(listing(GetParam().kind, 99, u"見本太郎"));
    EXPECT_EQ(d.Tel.Bytes(), QByteArray(GetParam().tel));
    EXPECT_EQ(d.Fax.Bytes(), QByteArray(GetParam().fax));
    EXPECT_EQ(d.TelDiv, GetParam().telDiv);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TelRecordKindTest,
                         ::testing::Values(KindCase{"ordinary", 0, "03-1234-5678", "", 0},
                                           KindCase{"faxOnly", 1, "", "03-1234-5678", 0},
                                           KindCase{"phoneAndFaxFillsBoth", 2, "03-1234-5678", "03-1234-5678", 0},
                                           KindCase{"mainNumber", 3, "03-1234-5678", "", 3}));

TEST(TelRecordFill, aPersonFillsTheNameAndLeavesTheCompanyEmpty)
{
    const TAddressData d = AddressFromTelRecord(listing(0, 99, u"見本太郎"));
    EXPECT_TRUE(d.PrivCorp);
    EXPECT_EQ(Cp932::decode(d.NameKanji.Bytes()), QStringLiteral("見本太郎"));
    EXPECT_EQ(d.NameKana.Bytes(), QByteArray("\xB6\xB8\xB3"));
    EXPECT_TRUE(d.CorpKanji.IsEmpty());
}

TEST(TelRecordFill, aCompanyHasItsAbbreviatedFormWrittenOut)
{
    const TAddressData d = AddressFromTelRecord(listing(0, 1, u"(株)架空商事"));
    EXPECT_FALSE(d.PrivCorp);
    EXPECT_EQ(Cp932::decode(d.CorpKanji.Bytes()), QStringLiteral("株式会社架空商事"));
    EXPECT_TRUE(d.NameKanji.IsEmpty());
}

TEST(TelRecordFill, theAddressPartsCodesAndMonthAreTakenApart)
{
    const TAddressData d = AddressFromTelRecord(listing(0, 99, u"見本太郎"));
    EXPECT_EQ(Cp932::decode(d.Adrs2.Bytes()), QStringLiteral("丸の内１丁目架空ビル"));
    EXPECT_EQ(d.JisCode.Bytes(), QByteArray("13101"));
    EXPECT_EQ(d.KajoCode.Bytes(), QByteArray("001001"));
    EXPECT_EQ(d.PubDate.Bytes(), QByteArray("200304"));
    EXPECT_EQ(d.Pos.Bytes(), QByteArray("1000001"));
}

struct PositionCase { std::uint32_t stored; qint32 thousandths; };
class TelRecordPositionTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(TelRecordPositionTest, convertsWithoutOverflowAndRoundsHalfUp)
{
    TTelRecord r = listing(0, 99, u"見本");
    r.Latitude = GetParam().stored;
    r.Longitude = GetParam().stored;
    const TAddressData d = AddressFromTelRecord(r);
    EXPECT_EQ(d.Latitude, GetParam().thousandths);
    EXPECT_EQ(d.Longitude, GetParam().thousandths);
}

INSTANTIATE_TEST_SUITE_P(Positions, TelRecordPositionTest,
                         ::testing::Values(PositionCase{0, 0}, PositionCase{1, 4}, PositionCase{128, 500},
                                           // 35°41' north: the product 32400906240 needs 64 bits.
                                           PositionCase{32400906, 126566039},
                                           PositionCase{139U * 3600 * 256, 139 * 3600 * 1000}));

} // namespace

namespace {

// Address part 2 of a listing holds up to 37 + 37 + 81 bytes, 住所２ 100:
// what does not fit is never cut off unseen.
TEST(TelRecordFill, anAddressLongerThanAddressTwoKeepsItsBuildingInAddressThree)
{
    TTelRecord r = listing(0, 99, u"見本太郎");
    const QByteArray a = Cp932::encode(u"大字架空村字長野原新田東町"), b = Cp932::encode(u"１２３丁目４５６番地７８９号");
    const QByteArray c = Cp932::encode(u"架空中央第一ビルディング本館東棟北側二十三階二三〇一号室");
    ASSERT_GT(a.size() + b.size() + c.size(), 100);
    std::memset(r.Address2a, 0, sizeof r.Address2a);
    std::memset(r.Address2b, 0, sizeof r.Address2b);
    std::memset(r.Address2c, 0, sizeof r.Address2c);
    std::memcpy(r.Address2a, a.constData(), static_cast<std::size_t>(a.size()));
    std::memcpy(r.Address2b, b.constData(), static_cast<std::size_t>(b.size()));
    std::memcpy(r.Address2c, c.constData(), static_cast<std::size_t>(c.size()));
    const TAddressData d = AddressFromTelRecord(r);
    EXPECT_EQ(d.Adrs2.Bytes(), a + b);
    EXPECT_EQ(d.Adrs3.Bytes(), c);
}

TEST(TelRecordFill, anAddressThatFitsStaysWholeInAddressTwo)
{
    const TAddressData d = AddressFromTelRecord(listing(0, 99, u"見本太郎"));
    EXPECT_EQ(Cp932::decode(d.Adrs2.Bytes()), QStringLiteral("丸の内１丁目架空ビル"));
    EXPECT_TRUE(d.Adrs3.IsEmpty());
}

} // namespace

namespace {

// Fills a fixed-width listing field to the brim (no terminator).
template <std::size_t N>
void fill(char (&field)[N], const QByteArray &bytes)
{
    ASSERT_LE(static_cast<std::size_t>(bytes.size()), N);
    std::memset(field, 0, N);
    std::memcpy(field, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QByteArray kanji(int count)
{
    return Cp932::encode(QString(count, QChar(u'架')));
}

// The company name column holds 120 bytes, the record's copy 112: the name is
// shown and stored whole up to the column, its company forms written out
// only where the whole name still fits.
struct CompanyCase {
    const char *label;
    QByteArray listed;
    QByteArray shown; // what the form shows and stores
};
void PrintTo(const CompanyCase &c, std::ostream *os) { *os << c.label; }
class TelRecordCompanyTest : public ::testing::TestWithParam<CompanyCase> {};

TEST_P(TelRecordCompanyTest, theNameIsKeptWholeUpToTheColumnAndCutOnlyBetweenCharacters)
{
    TTelRecord r = listing(0, 1, u"");
    fill(r.Name, GetParam().listed);
    const QString whole = CorpKanjiFromTelRecord(r);
    EXPECT_EQ(Cp932::encode(whole), GetParam().shown);
    const TAddressData d = AddressFromTelRecord(r);
    EXPECT_EQ(d.CorpKanji.Bytes(), Cp932::truncated(GetParam().shown, 112));
    EXPECT_EQ(Cp932::encode(Cp932::decode(d.CorpKanji.Bytes())), d.CorpKanji.Bytes()) << "no half character";
}

INSTANTIATE_TEST_SUITE_P(
    Names, TelRecordCompanyTest,
    ::testing::Values(
        CompanyCase{"expandedAndShort", Cp932::encode(u"(株)") + kanji(4), Cp932::encode(u"株式会社") + kanji(4)},
        // 4 + 106 listed, 8 + 106 written out: past the record's 112, within the column.
        CompanyCase{"expandedPastTheRecordButWithinTheColumn", Cp932::encode(u"(株)") + kanji(53),
                    Cp932::encode(u"株式会社") + kanji(53)},
        // 4 + 114 listed would be 122 written out: kept as listed.
        CompanyCase{"expandedPastTheColumnStaysAsListed", Cp932::encode(u"(株)") + kanji(57),
                    Cp932::encode(u"(株)") + kanji(57)},
        // A letter first puts a character across the record's 112th byte.
        CompanyCase{"oddLengthCutBeforeTheCharacterAcrossTheLimit", Cp932::encode(u"(株)A") + kanji(52),
                    Cp932::encode(u"株式会社A") + kanji(52)},
        CompanyCase{"aFullListingNameWithoutForms", QByteArray("A") + kanji(59), QByteArray("A") + kanji(59)}));

TEST(TelRecordFill, aPersonsListingGivesNoCompanyName)
{
    EXPECT_TRUE(CorpKanjiFromTelRecord(listing(0, 99, u"(株)見本")).isEmpty());
}

TEST(TelRecordFill, theReadingsAreCutToTheirFieldsBetweenCharacters)
{
    TTelRecord r = listing(0, 99, u"見本太郎");
    // 24 half-width kana then a double-byte character across the 25th byte.
    fill(r.NameKana, QByteArray(24, '\xB1') + Cp932::encode(u"ー") + QByteArray(10, '\xB2'));
    // Address reading parts of 10, 26, 38, 34 and 34 bytes, full: 142 bytes
    // for a field of 100, with a double-byte character across its 100th byte.
    fill(r.PrefKana, QByteArray(10, '\xB3'));
    fill(r.CityKana, QByteArray(26, '\xB4'));
    fill(r.Address2aKana, QByteArray(38, '\xB5'));
    fill(r.Address2bKana, QByteArray(25, '\xB6') + Cp932::encode(u"ー") + QByteArray(7, '\xB7'));
    fill(r.Address2cKana, QByteArray(34, '\xB8'));
    const TAddressData d = AddressFromTelRecord(r);
    EXPECT_EQ(d.NameKana.Bytes(), QByteArray(24, '\xB1'));
    EXPECT_EQ(d.AdrsKana.Bytes(), QByteArray(10, '\xB3') + QByteArray(26, '\xB4') + QByteArray(38, '\xB5')
                                      + QByteArray(25, '\xB6'));
    // A company keeps all 62 bytes of its reading: its field holds 80.
    TTelRecord c = listing(0, 1, u"見本");
    fill(c.NameKana, QByteArray(62, '\xB9'));
    EXPECT_EQ(AddressFromTelRecord(c).CorpKana.Bytes(), QByteArray(62, '\xB9'));
}

} // namespace
