#include "core/ConvAdrsPos.h"
#include "core/ConvKykbn.h"

#include "core/AdrsSel.h"
#include "core/AdrsDicClass.h"
#include "core/BkupDat.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "DataFolderBooks.h"
#include "platform/Cp932.h"
#include "support/DataFolders.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include "widgets/RecordRun.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct TelCase
{
    const char *before;
    const char *after;
};
class OldTelNumber : public ::testing::TestWithParam<TelCase>
{
};
TEST_P(OldTelNumber, becomesItsNewForm)
{
    EXPECT_EQ(ConvertOldTel(QString::fromLatin1(GetParam().before), QDate(2014, 4, 1)),
              QString::fromLatin1(GetParam().after));
}
INSTANTIATE_TEST_SUITE_P(
    Rules, OldTelNumber,
    ::testing::Values(TelCase{"0101234567", "09011234567"},  // 010 -> 090, 1, the rest from the fourth
                      TelCase{"0801234567", "09081234567"},  // 080 as well
                      TelCase{"0501234567", "07051234567"},  // 050 -> 070, 5, the rest
                      TelCase{"0601234567", "07061234567"},  // 060 as well
                      TelCase{"0311234567", "0311234567"},   // 10 characters beginning 031 stay
                      TelCase{"0612345678", "0612345678"},   // 10 characters beginning 06 stay
                      TelCase{"061234567", "0661234567"},    // 9 characters beginning 06 get 066
                      TelCase{"09012345678", "09012345678"}, // 11 characters: rule A does not apply
                      TelCase{"0720123456", "0728123456"},   // rule B
                      TelCase{"031-123-4567", "031-123-4567"}, // hyphenated: 12 characters, stays
                      TelCase{" 0101234567 ", "09011234567"},  // trimmed first
                      TelCase{"1234567", "1234567"},           // not beginning with 0
                      TelCase{"010", "010"},                    // under 4 characters
                      TelCase{"", ""}));

TEST(OldTelNumber, ruleBAppliesOnlyFromTheYear2000)
{
    EXPECT_EQ(ConvertTelRuleB("0720123456", QDate(1999, 12, 31)), QStringLiteral("0720123456"));
    EXPECT_EQ(ConvertTelRuleB("0720123456", QDate(2000, 1, 1)), QStringLiteral("0728123456"));
}

TEST(ConvertedAddress, keepsTheOldThirdPartWhenItIsTheTail)
{
    const TAdrsSplit s = SplitConvertedAddress(QStringLiteral("新町１丁目２番　ＡＢＣビル"), QStringLiteral("ａｂｃビル"));
    EXPECT_EQ(s.Adrs2, QStringLiteral("新町１丁目２番　"));
    EXPECT_EQ(s.Adrs3, QStringLiteral("ａｂｃビル"));
}

TEST(ConvertedAddress, cutsTheSecondPartAtACharacterBoundaryWithin100Bytes)
{
    // 49 double-byte characters and one ASCII letter: 99 bytes; the next
    // double-byte character would straddle byte 100.
    const QString text = QString(49, QChar(u'町')) + QLatin1Char('a') + QStringLiteral("丁目");
    const TAdrsSplit s = SplitConvertedAddress(text, QString());
    EXPECT_EQ(Cp932::byteLength(s.Adrs2), 99);
    EXPECT_EQ(s.Adrs2 + s.Adrs3, text);
    EXPECT_EQ(s.Adrs3, QStringLiteral("丁目"));
}

TAdrsFields sampleFields()
{
    return {QStringLiteral("東京都"), QStringLiteral("旧村"), QStringLiteral("本町１"), QString(),
            QStringLiteral("1000001"), QString(), QString()};
}

TEST(RecordAddress, withoutMergerDataOnlyTheKnownPostcodeChanges)
{
    TAdrsFields f = sampleFields();
    TAdrsConversion c;
    QString asked;
    c.Lookup = [&asked](const QString &full) -> std::optional<TAddressLookup> {
        asked = full;
        return TAddressLookup{"1000005", "13101", "ﾄｳｷｮｳﾄ", "ﾁﾖﾀﾞｸ", "ﾎﾝﾏﾁ"};
    };
    EXPECT_TRUE(ConvertRecordAddress(f, c));
    EXPECT_EQ(asked, QStringLiteral("東京都旧村本町１"));
    TAdrsFields expected = sampleFields();
    expected.Pos = "1000005";
    EXPECT_EQ(f, expected); // the address, its code and reading stay
}

TEST(RecordAddress, addressTheDictionaryDoesNotKnowStaysUnchanged)
{
    TAdrsFields f = sampleFields();
    TAdrsConversion c;
    c.Lookup = [](const QString &) { return std::optional<TAddressLookup>(); };
    EXPECT_FALSE(ConvertRecordAddress(f, c));
    EXPECT_EQ(f, sampleFields());
}

TEST(RecordAddress, largeOfficePostcodeIsKept)
{
    TAdrsFields f = sampleFields();
    TAdrsConversion c;
    c.Lookup = [](const QString &) { return std::optional<TAddressLookup>(TAddressLookup{"1000005", {}, {}, {}, {}}); };
    c.LargeOffice = [](const QString &pos) { return pos == "1000001"; };
    EXPECT_FALSE(ConvertRecordAddress(f, c));
    EXPECT_EQ(f.Pos, QStringLiteral("1000001"));
}

TEST(RecordAddress, anotherPostcodeOfTheFoundTownIsKept)
{
    TAdrsFields f = sampleFields();
    TAdrsConversion c;
    c.Lookup = [](const QString &) {
        return std::optional<TAddressLookup>(TAddressLookup{"1000005", "131016", {}, {}, {}, "0010000"});
    };
    QString askedTown;
    c.OfTown = [&askedTown](const QString &pos, const TAddressLookup &town) {
        askedTown = town.TownCode;
        return pos == "1000001";
    };
    EXPECT_FALSE(ConvertRecordAddress(f, c));
    EXPECT_EQ(f.Pos, QStringLiteral("1000001"));
    EXPECT_EQ(askedTown, QStringLiteral("0010000"));
}

TEST(RecordAddress, mergedAddressIsSplitAndTakesItsCodeAndReading)
{
    TAdrsFields f = sampleFields();
    TAdrsConversion c;
    c.Merger = [](const QString &) {
        return std::optional<TMergedAddress>(
            TMergedAddress{"東京都", "新市", "本町１", "東京都新市本町１"});
    };
    c.Lookup = [](const QString &full) -> std::optional<TAddressLookup> {
        if (full != QStringLiteral("東京都新市本町１"))
            return std::nullopt;
        return TAddressLookup{"1000005", "13999", "ﾄｳｷｮｳﾄ", "ｼﾝｼ", "ﾎﾝﾏﾁ"};
    };
    EXPECT_TRUE(ConvertRecordAddress(f, c));
    EXPECT_EQ(f.Adrs1, QStringLiteral("新市"));
    EXPECT_EQ(f.Adrs2, QStringLiteral("本町１"));
    EXPECT_EQ(f.JisCode, QStringLiteral("13999"));
    EXPECT_EQ(f.AdrsKana, QStringLiteral("ﾄｳｷｮｳﾄｼﾝｼﾎﾝﾏﾁ"));
    EXPECT_EQ(f.Pos, QStringLiteral("1000005"));
}

// Only the first 184 bytes go to the look-up; the rest of a long address
// must come back after the converted part.
TEST(RecordAddress, aLongMergedAddressKeepsItsTailBeyondTheBytesSent)
{
    TAdrsFields f = sampleFields();
    f.Adrs2 = QStringLiteral("本町１") + QString(44, QChar(u'番'));         // 94 bytes
    f.Adrs3 = QString(45, QChar(u'館')) + QStringLiteral("ＥＮＤ");         // 96 bytes
    const QString oldPart = QStringLiteral("東京都旧村");
    QString sent;
    TAdrsConversion c;
    c.Merger = [&](const QString &full) {
        sent = full;
        const QString rest = full.mid(oldPart.size());
        return std::optional<TMergedAddress>(TMergedAddress{"東京都", "新市", rest, "東京都新市" + rest});
    };
    const QString before = f.Adrs2 + f.Adrs3;
    EXPECT_TRUE(ConvertRecordAddress(f, c));
    EXPECT_EQ(Cp932::byteLength(sent), 184);
    EXPECT_EQ(f.Adrs1, QStringLiteral("新市"));
    EXPECT_EQ(f.Adrs2 + f.Adrs3, before);
    EXPECT_TRUE(f.Adrs3.endsWith(QStringLiteral("ＥＮＤ")));
}

TEST(RecordAddress, emptyAddressIsNotLookedUp)
{
    TAdrsFields f;
    TAdrsConversion c;
    bool asked = false;
    c.Lookup = [&asked](const QString &) {
        asked = true;
        return std::optional<TAddressLookup>();
    };
    EXPECT_FALSE(ConvertRecordAddress(f, c));
    EXPECT_FALSE(asked);
}

// The open book of the data module, as the main list holds it.
class TableConversion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteMarkedBook(AdrsPath + "Book1", "a", 3); // Tel 0312345678: stays
        {
            TTable t;
            t.SetTableName(AdrsPath + "Book1/Adrs.DB");
            t.SetPassword(TablePassword);
            t.Open();
            t.Append();
            t.FieldByName("Tel").SetAsString("0101234567");
            t.FieldByName("Portable2").SetAsString("0501234567");
            t.Post();
            t.Close();
        }
        WriteSenderTable(OtherPath, 1);
        {
            TTable t;
            t.SetTableName(OtherPath + "Sender.DB");
            t.SetPassword(TablePassword);
            t.Open();
            t.First();
            t.Edit();
            t.FieldByName("Fax").SetAsString("061234567");
            t.Post();
            t.Close();
        }
        AdrsFolderList = {{"家族", "Book1", AdrsStateUnchanged}};
        AdrsFolderIndex = 0;
        DMMurven19 = new TDMMurven19;
        DMMurven19->CreateAdrsTable("Book1");
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        DMMurven19->CreateSenderTable();
    }
    void TearDown() override
    {
        FreeDataModule();
        SetDataFileCopyFailure({});
        AdrsFolderList.clear();
        AdrsFolderIndex = -1;
    }
    static QString field(const QString &table, int recNo, const char *name)
    {
        TTable t;
        t.SetTableName(table);
        t.SetPassword(TablePassword);
        t.Open();
        t.First();
        for (int i = 1; i < recNo; ++i)
            t.Next();
        return t.FieldByName(QString::fromLatin1(name)).AsString();
    }

    ScopedHome home;
    ScriptedMessageBoxes boxes;
    ScopedDataFolders folders{home.root()};
};

TEST_F(TableConversion, areaCodesOfBookAndSendersAreConvertedAndCounted)
{
    TConversionCounts counts;
    QString error;
    ASSERT_TRUE(ConvertAreaCodes(nullptr, counts, &error)) << qPrintable(error);
    EXPECT_EQ(counts.Processed, 5);
    EXPECT_EQ(counts.Converted, 2);
    EXPECT_EQ(field(AdrsPath + "Book1/Adrs.DB", 4, "Tel"), QStringLiteral("09011234567"));
    EXPECT_EQ(field(AdrsPath + "Book1/Adrs.DB", 4, "Portable2"), QStringLiteral("07051234567"));
    EXPECT_EQ(field(AdrsPath + "Book1/Adrs.DB", 1, "Tel"), QStringLiteral("0312345678"));
    EXPECT_EQ(field(OtherPath + "Sender.DB", 1, "Fax"), QStringLiteral("0661234567"));
    EXPECT_TRUE(QFileInfo::exists(DataPath + "backup.kyk/Adrs/家族/Adrs.DB"));
    EXPECT_TRUE(QFileInfo::exists(DataPath + "backup.kyk/Other/Sender.DB"));
    EXPECT_EQ(ConversionReport(QStringLiteral("局番変換が完了しました"), counts),
              QStringLiteral("局番変換が完了しました  \r\n\r\n  処理件数 = 5 件  \r\n  変換件数 = 2 件  "));
}

// Stopping the run keeps what was converted, leaves the rest and the sender
// records alone, and the counts and the report say it stopped.
TEST_F(TableConversion, areaCodeConversionStoppedByTheUserSaysSoAndLeavesTheRest)
{
    const int showAfter = TRecordRun::ShowAfterMs;
    const int serveEvery = TRecordRun::ServeEveryMs;
    TRecordRun::ShowAfterMs = 0;
    TRecordRun::ServeEveryMs = 0;
    std::function<void()> pressCancel = [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *progress = qobject_cast<QProgressDialog *>(w);
            if (progress && progress->objectName() == QStringLiteral("RecordRunProgress") && progress->isVisible()) {
                QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
                return;
            }
        }
        QTimer::singleShot(0, pressCancel);
    };
    QTimer::singleShot(0, pressCancel);
    TConversionCounts counts;
    QString error;
    const bool ok = ConvertAreaCodes(nullptr, counts, &error);
    TRecordRun::ShowAfterMs = showAfter;
    TRecordRun::ServeEveryMs = serveEvery;
    ASSERT_TRUE(ok) << qPrintable(error);
    EXPECT_TRUE(counts.Cancelled);
    EXPECT_GE(counts.Processed, 1);
    EXPECT_LT(counts.Processed, 4);
    EXPECT_EQ(field(AdrsPath + "Book1/Adrs.DB", 4, "Tel"), QStringLiteral("0101234567"));
    EXPECT_EQ(field(OtherPath + "Sender.DB", 1, "Fax"), QStringLiteral("061234567"));
}

TEST_F(TableConversion, areaCodeConversionStopsWhenTheSafetyCopyFails)
{
    const QByteArray before = fileBytes(AdrsPath + "Book1/Adrs.DB");
    SetDataFileCopyFailure([](const QString &) { return true; });
    TConversionCounts counts;
    QString error;
    EXPECT_FALSE(ConvertAreaCodes(nullptr, counts, &error));
    EXPECT_TRUE(sameBytes(before, fileBytes(AdrsPath + "Book1/Adrs.DB")));
}

TEST_F(TableConversion, addressConversionWithoutDictionaryDataChangesNothingAndSaysSo)
{
    const QString nowhere = home.root() + "/noprogram/";
    TConversionCounts counts;
    bool noDictionary = false;
    QString error;
    ASSERT_TRUE(ConvertAddresses(nullptr, nowhere, nowhere + "Dic/", counts, &noDictionary, &error))
        << qPrintable(error);
    EXPECT_TRUE(noDictionary);
    EXPECT_EQ(counts.Converted, 0);
    EXPECT_EQ(counts.Processed, 4);
    EXPECT_TRUE(QFileInfo::exists(DataPath + "backup.cap/Adrs/家族/Adrs.DB"));
    EXPECT_FALSE(QFileInfo::exists(DataPath + "backup.cap/Other"));
}

TEST_F(TableConversion, postcodeOfAnAddressTheShippedDictionaryKnowsIsPutRight)
{
    const QString libs = QStringLiteral(MURVEN_DIC_LIB_DIR);
    const QString data = QStringLiteral(MURVEN_DIC_EXCERPT_DIR);
    TTable &t = *DMMurven19->AdrsTable();
    auto add = [&t](const QString &pref, const QString &city, const QString &rest, const QString &pos) {
        t.Append();
        t.FieldByName("Tdfkn").SetAsString(pref);
        t.FieldByName("Adrs1").SetAsString(city);
        t.FieldByName("Adrs2").SetAsString(rest);
        t.FieldByName("Pos").SetAsString(pos);
        t.Post();
    };
    add("神奈川県", "足柄上郡中井町", "比奈窪５６", "0000000");
    add("架空県", "架空市", "本町１", "1111111");
    // The postcode the dictionary lists for the town, read through the
    // postcode search (a route of its own).
    TAdrsSearch towns(libs, data);
    ASSERT_EQ(towns.SearchAddress("神奈川県足柄上郡中井町比奈窪"), 0);
    ASSERT_EQ(towns.SearchTown(0, 0), 0);
    const QString expected =
        QString::fromLatin1(towns.GetTown(0)->Postcode, qstrnlen(towns.GetTown(0)->Postcode, sizeof towns.GetTown(0)->Postcode))
            .remove('-').trimmed();

    TConversionCounts counts;
    bool noDictionary = true;
    QString error;
    ASSERT_TRUE(ConvertAddresses(nullptr, libs, data, counts, &noDictionary, &error)) << qPrintable(error);
    EXPECT_FALSE(noDictionary);
    EXPECT_EQ(counts.Converted, 1);
    EXPECT_EQ(field(AdrsPath + "Book1/Adrs.DB", 5, "Pos"), expected);
    EXPECT_EQ(field(AdrsPath + "Book1/Adrs.DB", 5, "Adrs2"), QStringLiteral("比奈窪５６"));
    EXPECT_EQ(field(AdrsPath + "Book1/Adrs.DB", 6, "Pos"), QStringLiteral("1111111"));

    // A second run finds nothing left to put right.
    TConversionCounts again;
    ASSERT_TRUE(ConvertAddresses(nullptr, libs, data, again, &noDictionary, &error));
    EXPECT_EQ(again.Converted, 0);
}

// A building of its own postcodes (one for each floor, listed under the town
// its name starts with) in an address written the usual way, with the block
// number between the town and the building: the floor's postcode is one the
// dictionary gives that very town, and is kept; another town's is put right.
TEST_F(TableConversion, aFloorPostcodeOfTheAddressedTownIsKept)
{
    const QString libs = QStringLiteral(MURVEN_DIC_LIB_DIR);
    const QString data = QStringLiteral(MURVEN_DIC_FULL_DIR);
    if (!QFileInfo::exists(data + QLatin1String(DicDataFileName)))
        GTEST_SKIP() << "no full dictionary data in " << data.toStdString();
    TTable &t = *DMMurven19->AdrsTable();
    auto add = [&t](const QString &rest, const QString &building, const QString &pos) {
        t.Append();
        t.FieldByName("Tdfkn").SetAsString(QStringLiteral("東京都"));
        t.FieldByName("Adrs1").SetAsString(QStringLiteral("新宿区"));
        t.FieldByName("Adrs2").SetAsString(rest);
        t.FieldByName("Adrs3").SetAsString(building);
        t.FieldByName("Pos").SetAsString(pos);
        t.Post();
    };
    add(QStringLiteral("西新宿８－１７－１"), QStringLiteral("住友不動産新宿グランドタワー１０階"), "1606110");
    add(QStringLiteral("西新宿８－１７－１"), QStringLiteral("住友不動産新宿グランドタワー"), "1606190");
    add(QStringLiteral("西新宿２－６－１"), QString(), "1600022"); // 新宿's postcode: wrong for 西新宿

    TConversionCounts counts;
    bool noDictionary = true;
    QString error;
    ASSERT_TRUE(ConvertAddresses(nullptr, libs, data, counts, &noDictionary, &error)) << qPrintable(error);
    ASSERT_FALSE(noDictionary);
    EXPECT_EQ(field(AdrsPath + "Book1/Adrs.DB", 5, "Pos"), QStringLiteral("1606110"));
    EXPECT_EQ(field(AdrsPath + "Book1/Adrs.DB", 6, "Pos"), QStringLiteral("1606190"));
    EXPECT_EQ(field(AdrsPath + "Book1/Adrs.DB", 7, "Pos"), QStringLiteral("1600023"));
    EXPECT_EQ(counts.Converted, 1);
}

TEST_F(TableConversion, postcodeConversionKeepsTheStoredBytesOfTheOtherAddressFields)
{
    const QString libs = QStringLiteral(MURVEN_DIC_LIB_DIR);
    const QString data = QStringLiteral(MURVEN_DIC_EXCERPT_DIR);
    // 纊 as an NEC-selected IBM extension (0xED40) and ≒ from the NEC row 13
    // (0x8790): code page 932 reads each back as a character it writes with
    // another code.
    const QByteArray third = QByteArrayLiteral("\xED\x40\x87\x90");
    TTable &t = *DMMurven19->AdrsTable();
    t.Append();
    t.FieldByName("Tdfkn").SetAsString("神奈川県");
    t.FieldByName("Adrs1").SetAsString("足柄上郡中井町");
    t.FieldByName("Adrs2").SetAsString("比奈窪５６");
    t.FieldByName("Adrs3").SetAsBytes(third);
    t.FieldByName("Pos").SetAsString("0000000");
    t.Post();
    ASSERT_EQ(t.FieldByName("Adrs3").AsBytes(), third);

    TConversionCounts counts;
    bool noDictionary = true;
    QString error;
    ASSERT_TRUE(ConvertAddresses(nullptr, libs, data, counts, &noDictionary, &error)) << qPrintable(error);
    ASSERT_EQ(counts.Converted, 1);

    TTable check;
    check.SetTableName(AdrsPath + "Book1/Adrs.DB");
    check.SetPassword(TablePassword);
    check.Open();
    check.Last();
    EXPECT_NE(check.FieldByName("Pos").AsString(), QStringLiteral("0000000"));
    EXPECT_EQ(check.FieldByName("Adrs3").AsBytes().toHex(), third.toHex());
}

} // namespace
