// 数字を漢数字に変換する and 「－」を「の」に変換する as the merge applies them to
// every address a piece prints: the addressee's and the sender's frames (a
// postcard written down, a label written across) and a sender block written
// down, with its contact line. The addresses come as people type them:
// half-width, full-width, both in one number, a building named with a letter
// and a digit. Every digit of a house or room number turns, each digit of a
// number of several digits (only a building's name keeps the digit written
// against its letter, "J1ビル"), and the dashes between numbers read "の".
#include "EditorsFixture.h"
#include "dialogs/DataFormat.h"
#include "dialogs/SenderData.h"
#include "dialogs/SndCmp.h"
#include "items/AdditionRect.h"
#include "items/AddressRect.h"
#include "items/SenderRect.h"
#include "support/RowName.h"

#include <QRegularExpression>

#include <vector>

namespace {

struct NumeralCase {
    const char *name;
    const char16_t *adrs1;
    const char16_t *adrs2;
    // What the address reads, compatible forms folded (a sender's address
    // is widened) and blanks left out.
    std::vector<const char16_t *> reads;
};

const NumeralCase kCases[] = {
    {"halfWidthNumbersAndABuildingsName", u"大阪市北区梅田3丁目80-25", u"J1ビル2-B",
     {u"梅田三丁目八〇の二五", u"J1ビル二のB"}},
    {"halfWidthBlockAfterAKanjiNumber", u"札幌市中央区北一条西2-1", u"", {u"北一条西二の一"}},
    {"halfWidthNumbersBeforeTheBuildingAndItsRoom", u"大阪市北区梅田", u"2-4-9梅田ビル 1203",
     {u"梅田二の四の九梅田ビル", u"ビル一二〇三"}},
    {"fullWidthNumberOfTwoDigits", u"千代田区永田町１９番地", u"", {u"永田町一九番地"}},
    {"kanjiBlockAndAFullWidthRoom", u"千代田区永田町九の四の二一", u"２０３号室", {u"九の四の二一", u"二〇三号室"}},
    {"widthsMixedInOneNumber", u"千代田区永田町１5-2５−２２", u"", {u"永田町一五の二五の二二"}},
};

// Text without its blanks, compatible forms folded.
QString comparable(const QString &Text)
{
    return Text.normalized(QString::NormalizationForm_KC).remove(QRegularExpression(QStringLiteral("\\s")));
}

// The digits of Text left as typed: every one but those of a number
// written against a Latin letter.
QString digitsLeft(const QString &Text)
{
    static const QRegularExpression named(
        QStringLiteral("[A-Za-zＡ-Ｚａ-ｚ][0-9０-９]+|[0-9０-９]+[A-Za-zＡ-Ｚａ-ｚ]"));
    static const QRegularExpression digit(QStringLiteral("[0-9０-９]"));
    QString rest = Text;
    rest.remove(named);
    QString out;
    for (const QRegularExpressionMatch &m : digit.globalMatch(rest))
        out += m.captured();
    return out;
}

// Text converted: no digit left, a dash between numbers read "の" (a dash
// elsewhere, between the letter and the number of "2-B", as well), and every
// piece of the case read.
void expectConverted(const QString &Text, const NumeralCase &Case, const char *Where)
{
    SCOPED_TRACE(Where);
    EXPECT_TRUE(digitsLeft(Text).isEmpty()) << "digits " << qPrintable(digitsLeft(Text)) << " left in "
                                            << qPrintable(Text);
    static const QRegularExpression dashBetweenNumbers(
        QStringLiteral("[0-9０-９〇一二三四五六七八九十][-－−‐ー―][0-9０-９〇一二三四五六七八九十]"));
    EXPECT_FALSE(Text.contains(dashBetweenNumbers)) << qPrintable(Text);
    const QString read = comparable(Text);
    for (const char16_t *piece : Case.reads)
        EXPECT_TRUE(read.contains(comparable(QString::fromUtf16(piece))))
            << qPrintable(QString::fromUtf16(piece)) << " not in " << qPrintable(Text);
}

TDataFormat kanjiWithの()
{
    TDataFormat format;
    format.KanjiNumerals = true;
    format.HyphenToNo = true;
    return format;
}

class AddressNumerals : public ::testing::TestWithParam<NumeralCase>
{
protected:
    // The addressee's or the sender's address lines Document prints, one
    // after another.
    static QString addressOf(const TLayoutDocument &Document, bool Sender)
    {
        QString out;
        for (const auto &item : Document.Items)
            if (const auto *a = dynamic_cast<const TAddressRect *>(item.get()); a && a->IsSender() == Sender)
                for (int line = 0; line < 3; ++line)
                    out += a->GetAddressLine(line) + QChar(u'\n');
        return out;
    }

    // The case's address merged into the frames of the catalogue's paper
    // Paper as both the addressee's and the sender's.
    void mergeInto(int Paper, TLayoutKind Kind, const char *Where)
    {
        SCOPED_TRACE(Where);
        const NumeralCase &c = GetParam();
        TLayoutDocument document;
        loadLayout(document, Paper, Kind);
        document.DataFormat = std::make_shared<const TDataFormat>(kanjiWithの());
        TAddressText record;
        record.NameKanji = QStringLiteral("山田 太郎");
        record.Pos = QStringLiteral("1000014");
        record.Tdfkn = QStringLiteral("東京都");
        record.Adrs1 = QString::fromUtf16(c.adrs1);
        record.Adrs2 = QString::fromUtf16(c.adrs2);
        TAddressText sender = record;
        sender.NameKanji = QStringLiteral("差出 花子");
        MergeRecord(document, &record, &sender);
        const QString addressee = addressOf(document, false);
        ASSERT_FALSE(comparable(addressee).isEmpty());
        expectConverted(addressee, c, "addressee");
        const QString own = addressOf(document, true);
        if (!comparable(own).isEmpty())
            expectConverted(own, c, "sender's frames");
        senderFrames = senderFrames || !comparable(own).isEmpty();
    }

    bool senderFrames = false;
};

TEST_P(AddressNumerals, everyFrameOfTheMergePrintsNoDigitOfANumber)
{
    mergeInto(0, TLayoutKind::AddressSide, "postcard written down");
    mergeInto(14, TLayoutKind::Label, "12-sheet label written across");
    // The postcard prints the sender in frames of its own.
    EXPECT_TRUE(senderFrames);
}

TEST_P(AddressNumerals, aSenderBlockWrittenDownPrintsNoDigitOfANumber)
{
    const NumeralCase &c = GetParam();
    TSenderData sender;
    sender.Name = QStringLiteral("差出 花子");
    sender.SelectInfo = 1;
    sender.Pos = QStringLiteral("1000014");
    sender.Tdfkn = QStringLiteral("東京都");
    sender.Adrs1 = QString::fromUtf16(c.adrs1);
    sender.Adrs2 = QString::fromUtf16(c.adrs2);
    // A contact line naming a second home's address.
    sender.Head[0] = QStringLiteral("別宅");
    sender.Addition[0] = sender.Adrs1 + QChar(u' ') + sender.Adrs2;
    sender.AdditionPrint[0] = true;
    const TDataFormat format = kanjiWithの();
    for (const bool own : {true, false}) {
        TSenderRect block;
        block.SetPrivate(own);
        block.SetHorizontal(false);
        ComposeSenderBlock(block, &sender, &format, false);
        QString address;
        for (int line = 0; line < 3; ++line) {
            if (own)
                address += block.AddressRect().GetAddressLine(line) + QChar(u'\n');
            else if (const TAddressRect *a = block.GetCorpAddress(line))
                address += a->GetAddressLine(0) + QChar(u'\n');
        }
        expectConverted(address, c, own ? "private block" : "company block");
    }
    TAdditionRect contact;
    contact.SetAddKind(19);
    contact.SetHorizontal(false);
    ComposeSenderAddition(contact, &sender, format, true);
    ASSERT_FALSE(contact.GetContent().isEmpty());
    SCOPED_TRACE("contact line");
    EXPECT_TRUE(digitsLeft(contact.GetContent()).isEmpty()) << qPrintable(contact.GetContent());
}

INSTANTIATE_TEST_SUITE_P(Typed, AddressNumerals, ::testing::ValuesIn(kCases), rowName);

} // namespace
