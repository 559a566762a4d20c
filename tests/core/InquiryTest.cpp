#include "core/Inquiry.h"
#include "core/WqhypWrapper.h"
#include "platform/Cp932.h"

#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ShortString, cutsToItsWidthWithoutSplittingACharacter)
{
    TShortString<5> s;
    s = Cp932::encode(u"abあい"); // 61 62 | 82 A0 | 82 A2
    EXPECT_EQ(s.Bytes(), Cp932::encode(u"abあ"));
    // 75 bytes hold fifteen units of the "@" form.
    TAddressData record;
    record.NameKanji = EncodeUnicodeField(QString(16, QChar(u'亜')));
    EXPECT_EQ(DecodeUnicodeField(record.NameKanji.Bytes()), QString(15, QChar(u'亜')));
}

// An open book in a temporary data folder.
class ReadRecord : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(AdrsPath + QStringLiteral("Book"));
        dm.CreateAdrsTable(QStringLiteral("Book"));
        ASSERT_TRUE(dm.OpenAdrs());
    }
    void TearDown() override { SetWqhypForTesting(nullptr); }

    TTable &table() { return *dm.AdrsTable(); }
    void set(const char *name, const QByteArray &bytes) { table().FieldByName(QLatin1String(name)).SetAsBytes(bytes); }
    int appendRecord()
    {
        PostAndFlush(table());
        return table().FieldByName(QStringLiteral("RecNo")).AsInteger();
    }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    ScriptedMessageBoxes boxes;
    TDMMurven19 dm;
};

TEST_F(ReadRecord, missingRecordNumberIsReportedAndKeepsTheRecord)
{
    TAddressData record;
    record.RecNo = 99;
    record.Note = QStringList{QStringLiteral("kept")};
    const TAddressData before = record;
    EXPECT_FALSE(ReadAddressData(table(), 12345, record, nullptr));
    EXPECT_EQ(record, before);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳が読み出せませんでした  "));
}

TEST_F(ReadRecord, writtenRecordReadsBackEqualButForWhatTheWriterKeeps)
{
    TAddressData written;
    written.Group = 4;
    written.Tel = QByteArrayLiteral("0312345678");
    written.TelDiv = 3;
    written.Adrs2 = Cp932::encode(QStringLiteral("千代田１－１"));
    written.NameKanji = EncodeUnicodeField(u"山田太郎");
    written.PrivCorp = true;
    written.JointPrint3 = true;
    written.Keyword8 = QByteArrayLiteral("k8");
    written.SymbolColor = 0x7FDF3F;
    written.Note = QStringList{QStringLiteral("一行目"), QStringLiteral("二行目")};
    // Kept by the table's writers, not taken from the record.
    written.RecNo = 777;
    written.CodeMain = 5;
    written.AddDateTime = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6));

    table().Append();
    WriteAddressData(table(), written);
    const int recNo = appendRecord();

    TAddressData read;
    ASSERT_TRUE(ReadAddressData(table(), recNo, read, nullptr));
    EXPECT_EQ(read.RecNo, recNo);
    EXPECT_EQ(read.CodeMain, 0);
    EXPECT_FALSE(read.AddDateTime.isValid());
    read.RecNo = written.RecNo;
    read.CodeMain = written.CodeMain;
    read.AddDateTime = written.AddDateTime;
    EXPECT_EQ(read, written);
}

TEST_F(ReadRecord, emptyMemosGiveNoListsAndFilledOnesGiveOneItemPerLine)
{
    table().Append();
    const int empty = appendRecord();
    table().Append();
    set("Note", Cp932::encode(u"一行目\r\n二行目"));
    set("ExtLink", QByteArray("file:///home/a.pdf"));
    const int filled = appendRecord();

    TAddressData record;
    record.Note = QStringList{QStringLiteral("old")};
    ASSERT_TRUE(ReadAddressData(table(), empty, record, nullptr));
    EXPECT_FALSE(record.Note.has_value());
    EXPECT_FALSE(record.ExtLink.has_value());

    ASSERT_TRUE(ReadAddressData(table(), filled, record, nullptr));
    ASSERT_TRUE(record.Note.has_value());
    EXPECT_EQ(*record.Note, (QStringList{QStringLiteral("一行目"), QStringLiteral("二行目")}));
    ASSERT_TRUE(record.ExtLink.has_value());
    EXPECT_EQ(*record.ExtLink, QStringList{QStringLiteral("file:///home/a.pdf")});
}

TEST_F(ReadRecord, textsAreTrimmedCutAndTelephoneNumbersHyphenated)
{
    SetWqhypForTesting([](const char *number, char *output, const char *, const TWqhypTime *) {
        if (QByteArray(number) != "0312345678")
            return 8;
        std::strcpy(output, " 03-1234-5678");
        return 0;
    });
    // 60 two-byte characters: 120 bytes, cut to the record's 112.
    const QByteArray corp = Cp932::encode(QString(60, QChar(u'社')));
    const QDateTime added(QDate(2014, 4, 1), QTime(9, 30, 15));
    table().Append();
    set("Tel", QByteArray("0312345678 "));
    set("Fax", QByteArray("  "));
    set("CorpKanji", corp);
    set("NameKanji", EncodeUnicodeField(u"髙橋"));
    set("Adrs2", QByteArray("  ") + Cp932::encode(u"千代田区　") + QByteArray(" "));
    table().FieldByName(QStringLiteral("JointPrint4")).SetAsBoolean(true);
    table().FieldByName(QStringLiteral("AddDateTime")).SetAsDateTime(added);
    const int recNo = appendRecord();

    TAddressData record;
    ASSERT_TRUE(ReadAddressData(table(), recNo, record, nullptr));
    EXPECT_EQ(record.Tel.Bytes(), QByteArray("03-1234-5678"));
    EXPECT_TRUE(record.Fax.IsEmpty());
    EXPECT_EQ(record.CorpKanji.Bytes(), corp.left(112));
    EXPECT_EQ(DecodeUnicodeField(record.NameKanji.Bytes()), QStringLiteral("髙橋"));
    // An ideographic space (81 40) is part of the value.
    EXPECT_EQ(record.Adrs2.Bytes(), Cp932::encode(u"千代田区　"));
    EXPECT_TRUE(record.JointPrint4);
    EXPECT_FALSE(record.JointPrint5);
    EXPECT_EQ(record.AddDateTime, added);
    EXPECT_FALSE(record.UpdDateTime.isValid());
}

// ---- the storable check of every writer ----------------------------------------

struct StorableCase {
    const char *name;
    // Wide texts by field, as a window holds them.
    std::vector<std::pair<const char *, const char16_t *>> typed;
    QByteArray adrs2;              // bytes the record itself holds
    QStringList note;
    const char *field;             // named field, nullptr: everything is stored
    const char16_t *caption;
    const char16_t *characters;
};

void PrintTo(const StorableCase &c, std::ostream *os) { *os << c.name; }

class StorableCheck : public ::testing::TestWithParam<StorableCase> {};

TEST_P(StorableCheck, namesTheFirstFieldThatWouldLoseACharacter)
{
    const StorableCase &c = GetParam();
    TAddressData record;
    record.Adrs2 = c.adrs2;
    if (!c.note.isEmpty())
        record.Note = c.note;
    const auto found = FindUnstorableField(record, [&c](QLatin1StringView field) -> std::optional<QString> {
        for (const auto &[name, text] : c.typed) {
            if (field == QLatin1StringView(name))
                return QString::fromUtf16(text);
        }
        return std::nullopt;
    });
    if (!c.field) {
        EXPECT_FALSE(found.has_value()) << found->FieldName.toStdString();
        return;
    }
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->FieldName, QLatin1String(c.field));
    EXPECT_EQ(found->Caption, QString::fromUtf16(c.caption));
    EXPECT_EQ(found->Characters, QString::fromUtf16(c.characters));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, StorableCheck,
    ::testing::Values(
        StorableCase{"address", {{"Adrs1", u"東京都𠮷野"}}, {}, {}, "Adrs1", u"住所１", u"𠮷"},
        StorableCase{"firstInTableOrder", {{"Keyword8", u"😀"}, {"Tel", u"03€"}}, {}, {}, "Tel", u"電話番号", u"€"},
        StorableCase{"charactersListedOnce", {{"Post", u"♥課長♥😀"}}, {}, {}, "Post", u"役職", u"♥😀"},
        StorableCase{"namesTakeAnything", {{"NameKanji", u"𠮷田"}, {"Joint5", u"😀"}}, {}, {}, nullptr, u"", u""},
        StorableCase{"memoOfTheRecord", {}, {}, {QStringLiteral("一行目"), QStringLiteral("😀")}, "Note", u"備考", u"😀"},
        StorableCase{"damagedBytesOfTheRecord", {}, "\x82\xA0\xFD", {}, "Adrs2", u"住所２", u"\uFFFD"},
        StorableCase{"typedTextOverridesTheRecord", {{"Adrs2", u"大手町"}}, "\xFD", {}, nullptr, u"", u""},
        StorableCase{"leadByteRangeEnds", {{"Adrs3", u"櫻欅檜黑①～−"}}, {}, {}, nullptr, u"", u""}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
