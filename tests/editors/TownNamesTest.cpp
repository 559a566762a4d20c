#include "EditorsFixture.h"
#include "core/AddressText.h"
#include "editors/TownNames.h"
#include "items/BarRect.h"

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
    const QStringList names = towns(postcode);
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
    EXPECT_TRUE(towns(QStringLiteral("9999999")).isEmpty());
    EXPECT_TRUE(towns(QStringLiteral("12")).isEmpty());
}

// The barcode reads a postcode typed in full-width digits as the same code;
// its town names must be found the same way, or the town's numeral is
// taken for the address number.
TEST(CustomerBarcodeTownNames, fullWidthPostcodeFindsTheSameTowns)
{
    const TTownNameLookup towns =
        DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
    const QString wide = QStringLiteral("１０２－００８２");
    EXPECT_EQ(towns(wide), towns(QStringLiteral("102-0082")));
    EXPECT_EQ(CustomerBarcodeData(wide, QStringLiteral("千代田区一番町５番地"), towns(wide)), QLatin1String("10200825"));
}

TEST(CustomerBarcodeTownNames, missingDictionaryGivesNoTowns)
{
    QTemporaryDir empty;
    const TTownNameLookup towns = DictionaryTownNames(empty.path() + u'/', empty.path() + u'/');
    EXPECT_TRUE(towns(QStringLiteral("1020082")).isEmpty());
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

} // namespace
