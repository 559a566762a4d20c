#include "addressbook/TableBook.h"
#include "core/AppSub.h"
#include "core/Env.h"
#include "core/WqhypWrapper.h"
#include "exchange/ExportWriter.h"
#include "exchange/ImportFile.h"
#include "exchange/ImportRun.h"
#include "exchange/ImportSlots.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace {

QByteArray sj(const char *utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

// Hyphenates ten-digit numbers as 03-1234-5678, so the round trip also
// proves that the import reads hyphenated numbers back to their digits.
int fakeHyphen(const char *number, char *output, const char *, const TWqhypTime *)
{
    const QByteArray in(number);
    if (in.size() != 10 && in.size() != 11)
        return 1;
    const QByteArray out = in.left(in.size() - 8) + '-' + in.mid(in.size() - 8, 4) + '-' + in.right(4);
    std::memcpy(output, out.constData(), size_t(out.size() + 1));
    return 0;
}

// Every field the 63 items carry, in the forms the import stores (names in
// the "@" form, numbers as digits).
TRecordValues fullRecord(int n)
{
    const auto text = [n](const char *utf8) { return Cp932::encode(QString::fromUtf8(utf8).arg(n)); };
    return {
        {"Group", 1 + n % 2},
        {"CustomCode", text("C%1")},
        {"Tel", text("031234567%1")},
        {"TelDiv", n % 2 ? 3 : 0},
        {"Fax", text("066666777%1")},
        {"PubDate", text("20140%1")},
        {"Portable1", text("0901234567%1")},
        {"Portable2", text("0801234567%1")},
        {"Pos", text("100000%1")},
        {"Tdfkn", sj("東京都")},
        {"Adrs1", sj("千代田区千代田")},
        {"Adrs2", text("%1丁目")},
        {"Adrs3", text("ビル%1階")},
        {"AdrsKana", sj("ﾁﾖﾀﾞｸﾁﾖﾀﾞ")},
        {"JisCode", sj("13101")},
        {"PrivCorp", n % 2 == 0},
        {"CorpKanji", text("株式会社%1")},
        {"CorpKana", sj("ｶﾌﾞｼｷｶﾞｲｼｬ")},
        {"Dptmnt", sj("営業部")},
        {"Post", sj("部長")},
        {"NameKanji", EncodeUnicodeField(QStringLiteral("山田%1郎").arg(n))},
        {"NameKana", sj("ﾔﾏﾀﾞ")},
        {"Honor", sj("様")},
        {"IgnoreName", n % 2 == 1},
        {"URL", text("https://example.jp/%1")},
        {"EMail1", text("a%1@example.jp")},
        {"EMail2", text("b%1@example.jp")},
        {"Joint1", EncodeUnicodeField(u"花子")},
        {"Joint2", EncodeUnicodeField(u"次郎")},
        {"Joint3", EncodeUnicodeField(u"三郎")},
        {"Joint4", EncodeUnicodeField(u"四郎")},
        {"Joint5", EncodeUnicodeField(u"五郎")},
        {"JointHonor1", sj("様")},
        {"JointHonor2", sj("君")},
        {"JointHonor3", sj("殿")},
        {"JointHonor4", sj("様")},
        {"JointHonor5", sj("様")},
        {"JointOwner", n % 3},
        {"JointPrint", true},
        // The owner is always printed (the import keeps that rule).
        {"JointPrint1", n % 3 == 1 || n % 2 == 0},
        {"JointPrint2", true},
        {"JointPrint3", false},
        {"JointPrint4", true},
        {"JointPrint5", false},
        {"PrintTarget", n % 3},
        {"Sender", n % 2 ? 20 : 10},
        {"Keyword1", text("趣味%1")},
        {"Keyword2", sj("釣り,\"鮎\"")},
        {"Keyword3", sj("囲碁")},
        {"Keyword4", sj("将棋")},
        {"Keyword5", sj("登山")},
        {"Keyword6", sj("旅行")},
        {"Keyword7", sj("読書")},
        {"Keyword8", sj("料理")},
        // An empty first line, a tab inside a line, a tab at the start.
        {"Note", text(std::array{"\r\n二行目%1", "一行目%1\t字下げ\r\n二行目", "\t一行目%1\r\n二行目", "一行目%1"}[size_t(n - 1)])},
        {"ExtLink", sj("/home/a.txt\r\n/home/b.txt")},
        {"SymbolMark", sj("★")},
        {"SymbolColor", 0x00FF8040 + n},
        {"AddDateTime", QDateTime(QDate(2013, 12, 1 + n), QTime(8, 30, n))},
        {"UpdDateTime", QDateTime(QDate(2014, 1, 1 + n), QTime(9, 0, n))},
    };
}

// Keyword captions and group names a settings file can hold, the dialogs'
// refusals notwithstanding (kept from an older version).
struct NamesCase {
    const char *name;
    std::vector<std::pair<int, const char16_t *>> captions; // in place of the plain ones
    std::array<const char16_t *, 2> groups;                 // groups 1 and 2
};

void PrintTo(const NamesCase &c, std::ostream *os)
{
    *os << c.name;
}

class ExportRoundTrip : public ::testing::TestWithParam<NamesCase>
{
};

TEST_P(ExportRoundTrip, allItemsWithHeadersComeBackThroughTheAutomaticAssignment)
{
    // The user's keyword captions name the keyword columns on both sides.
    struct TRestore {
        decltype(KeywordNames) saved = KeywordNames;
        ~TRestore()
        {
            KeywordNames = saved;
            SetWqhypForTesting(nullptr);
        }
    } restore;
    const QStringList captions{QStringLiteral("趣味"), QStringLiteral("特技"), QStringLiteral("出身"),
                               QStringLiteral("血液型"), QStringLiteral("星座"), QStringLiteral("好物"),
                               QStringLiteral("嫌物"), QStringLiteral("その他")};
    for (int i = 0; i < 8; ++i)
        KeywordNames[size_t(i + 1)] = captions[i];
    for (const auto &[keyword, caption] : GetParam().captions)
        KeywordNames[size_t(keyword)] = QString::fromUtf16(caption);
    SetWqhypForTesting(&fakeHyphen);

    const QStringList groups{QStringLiteral("指定なし"), QString::fromUtf16(GetParam().groups[0]),
                             QString::fromUtf16(GetParam().groups[1])};
    const QList<QPair<QString, qint32>> senders{{QStringLiteral("自宅"), 10}, {QStringLiteral("本社"), 20}};

    Book source;
    TRunRecords records;
    for (int n = 1; n <= 4; ++n) {
        source.add(fullRecord(n));
        records << TRunRecord{n, n - 1};
    }
    TExportLayout layout;
    layout.SetAll();
    TExportContext exportContext;
    exportContext.GroupNames = groups;
    exportContext.Senders = senders;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const TExportRunResult written =
        WriteExportRows(buffer, source.table, records, layout, exportContext, {}, ExportItemCatalogue());
    ASSERT_TRUE(written.Failure.isEmpty());
    ASSERT_EQ(written.Written, 4);

    TImportFile file;
    file.SetBytes(buffer.data());
    const QByteArray header = file.Lines().value(0).Bytes;
    TImportAssignment assignment;
    assignment.SetSamples(SplitCsvLine(header, CountCsvFields(header) + 1, false));
    assignment.AutoAssign(ImportFieldList());
    TImportRunOptions options;
    options.SkipFirst = true;
    TImportContext importContext;
    importContext.Options.NotAutoSupplement = true;
    importContext.GroupNames = groups;
    importContext.Senders = senders;
    importContext.Now = QDateTime(QDate(2014, 6, 1), QTime(9, 0));
    Book target;
    QTemporaryDir logDir;
    TImportRun run(target.table, file, assignment, options, importContext, logDir.filePath(QStringLiteral("log")));
    const TImportRunReport report = run.Run(nullptr);

    ASSERT_EQ(report.StoredCount, 4) << report.Failure.toStdString();
    ASSERT_EQ(target.table.RecordCount(), 4);
    // Every field the export writes comes back; the update stamp is the
    // import's own (the import has no column for it).
    source.table.First();
    target.table.First();
    for (int n = 1; n <= 4; ++n, source.table.Next(), target.table.Next()) {
        for (int i = 0; i < source.table.FieldCount(); ++i) {
            const TField &field = source.table.Fields(i);
            if (field.FieldName() == QStringLiteral("UpdDateTime"))
                continue;
            const TField &back = target.table.FieldByName(field.FieldName());
            const std::string name = std::to_string(n) + " " + field.FieldName().toStdString() + "\n" +
                                     Cp932::decode(header).toStdString();
            switch (field.DataType()) {
            case TFieldType::ftDateTime: EXPECT_EQ(back.AsDateTime(), field.AsDateTime()) << name; break;
            case TFieldType::ftString:
            case TFieldType::ftMemo: EXPECT_EQ(back.AsBytes(), field.AsBytes()) << name; break;
            default: EXPECT_EQ(back.AsInteger(), field.AsInteger()) << name; break;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, ExportRoundTrip,
    ::testing::Values(
        NamesCase{"plainNames", {}, {u"友人", u"取引先"}},
        NamesCase{"captionsWithCommasAndQuotes", {{1, u"趣味,特技"}, {2, u"\"q\""}, {8, u"q"}}, {u"友人", u"取引先"}},
        NamesCase{"blankCaptions", {{3, u" "}, {4, u"　"}}, {u"友人", u"取引先"}},
        NamesCase{"captionsOfOtherItems", {{5, u"名前"}, {6, u"更新日付"}, {7, u"キーワード８"}, {8, u"電話"}},
                  {u"友人", u"取引先"}},
        NamesCase{"captionsAlikeOnceTheirBlanksAreGone", {{1, u"趣 味"}, {2, u"趣味"}}, {u"友人", u"取引先"}},
        NamesCase{"captionsInOtherWidthAndCase", {{1, u"tel"}, {2, u"ＴＥＬ"}}, {u"友人", u"取引先"}},
        // U+301C and U+FF5E are one character of the code page.
        NamesCase{"captionsAlikeInTheCodePage", {{1, u"ａ〜ｂ"}, {2, u"ａ～ｂ"}}, {u"〜①", u"取引先"}},
        NamesCase{"groupNamedAsNoGroup", {}, {u"指定なし", u"取引先"}},
        NamesCase{"groupNamesWithCommasQuotesAndBlanks", {}, {u"友人,知人", u" \"取引先\" "}},
        NamesCase{"groupNamesAlikeOnceTrimmed", {}, {u" 友人", u"友人"}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- A thousand records ------------------------------------------------------------
//
// Notes with empty lines anywhere (at the end, alone, several), blanks and
// tabs, links ending in an empty line, and groups of a book
// whose names a new book does not have: written by the export, read by the
// import into a new book, every field comes back in the same bytes and every
// record in a group of the same name.

// The lines of a note: any of them may be empty (the first, inner ones, the
// last, all of them), hold blanks alone, or a TAB.
QStringList memoLines(std::mt19937 &random)
{
    static const char16_t *const pieces[] = {u"一行目", u"メモ", u" 字下げ", u"a\tb", u"　全角空白", u"", u"末尾 ",
                                             u"～①髙", u"\t", u"  "};
    const auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    QStringList lines;
    const int count = pick(5);
    for (int i = 0; i < count; ++i)
        lines << QString::fromUtf16(pieces[pick(10)]);
    // Empty lines at the end (a note typed with breaks at its end).
    const int trailing = std::max(0, pick(5) - 2);
    for (int i = 0; i < trailing; ++i)
        lines << QString();
    return lines;
}

// The memo as the record writes it: its lines joined by CR LF.
QByteArray storedMemo(const QStringList &Lines)
{
    return Cp932::encode(Lines.join(QStringLiteral("\r\n")));
}

TEST(ExportRoundTripMany, everyFieldOfAThousandRecordsComesBackInItsBytes)
{
    struct TRestore {
        ~TRestore() { SetWqhypForTesting(nullptr); }
    } restore;
    SetWqhypForTesting(&fakeHyphen);
    // Eight groups named by the user, two left at their defaults.
    QStringList sourceGroups{QStringLiteral("指定なし")};
    for (const char16_t *name : {u"友人", u"取引先", u"家族", u"グループ４", u"ABC", u"ＡＢＣ", u"～①髙", u"旧友",
                                 u"グループ９", u"あいうえおかきくけこ"})
        sourceGroups << QString::fromUtf16(name);
    const QList<QPair<QString, qint32>> senders{{QStringLiteral("自宅"), 10}, {QStringLiteral("本社"), 20}};

    constexpr int count = 1000;
    std::mt19937 random(61);
    Book source;
    TRunRecords records;
    QList<QStringList> notes;
    source.table.BeginBatch();
    for (int n = 1; n <= count; ++n) {
        TRecordValues record = fullRecord(1 + n % 4);
        const QStringList note = memoLines(random);
        notes.append(note);
        const QStringList links = random() % 4 == 0 ? QStringList{QStringLiteral("/home/a.txt"), QString()}
                                                    : QStringList{};
        for (auto &[field, value] : record) {
            const QByteArrayView name(field);
            if (name == "Group")
                value = int(random() % 11);
            else if (name == "CustomCode")
                value = QByteArray("C") + QByteArray::number(n);
            else if (name == "Note")
                value = storedMemo(note);
            else if (name == "ExtLink")
                value = storedMemo(links);
        }
        source.add(record);
        records << TRunRecord{n, n - 1};
    }
    source.table.EndBatch();

    TExportLayout layout;
    layout.SetAll();
    TExportContext exportContext;
    exportContext.GroupNames = sourceGroups;
    exportContext.Senders = senders;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const TExportRunResult written =
        WriteExportRows(buffer, source.table, records, layout, exportContext, {}, ExportItemCatalogue());
    ASSERT_TRUE(written.Failure.isEmpty());
    ASSERT_EQ(written.Written, count);

    TImportFile file;
    file.SetBytes(buffer.data());
    const QByteArray header = file.Lines().value(0).Bytes;
    TImportAssignment assignment;
    assignment.SetSamples(SplitCsvLine(header, CountCsvFields(header) + 1, false));
    assignment.AutoAssign(ImportFieldList());
    TImportRunOptions options;
    options.SkipFirst = true;
    TImportContext importContext;
    importContext.Options.NotAutoSupplement = true;
    importContext.GroupNames = {QStringLiteral("指定なし")}; // a new book: the default names
    importContext.Senders = senders;
    importContext.Now = QDateTime(QDate(2014, 6, 1), QTime(9, 0));
    Book target;
    QTemporaryDir logDir;
    TImportRun run(target.table, file, assignment, options, importContext, logDir.filePath(QStringLiteral("log")));
    QStringList targetGroups;
    run.SaveGroupNames = [&targetGroups](const QStringList &Names, QString *) {
        targetGroups = Names;
        return true;
    };
    const TImportRunReport report = run.Run(nullptr);
    ASSERT_EQ(report.StoredCount, count) << report.Failure.toStdString();
    EXPECT_EQ(report.GroupLost, 0);
    EXPECT_FALSE(QFile::exists(logDir.filePath(QStringLiteral("log"))));
    ASSERT_EQ(targetGroups.size(), 11);

    int differing = 0;
    source.table.SetIndexName(QString());
    target.table.SetIndexName(QString());
    source.table.First();
    target.table.First();
    for (int n = 1; n <= count; ++n, source.table.Next(), target.table.Next()) {
        ASSERT_FALSE(target.table.Eof());
        for (int i = 0; i < source.table.FieldCount(); ++i) {
            const TField &field = source.table.Fields(i);
            const QString name = field.FieldName();
            if (name == QStringLiteral("UpdDateTime"))
                continue; // the import's own stamp
            const TField &back = target.table.FieldByName(name);
            std::string mine, theirs;
            if (name == QStringLiteral("Group")) {
                mine = sourceGroups.value(field.AsInteger()).toStdString();
                theirs = targetGroups.value(back.AsInteger()).toStdString();
            } else if (field.DataType() == TFieldType::ftDateTime) {
                mine = field.AsDateTime().toString(Qt::ISODateWithMs).toStdString();
                theirs = back.AsDateTime().toString(Qt::ISODateWithMs).toStdString();
            } else if (field.DataType() == TFieldType::ftString || field.DataType() == TFieldType::ftMemo) {
                mine = field.AsBytes().toHex(' ').toStdString();
                theirs = back.AsBytes().toHex(' ').toStdString();
            } else {
                mine = std::to_string(field.AsInteger());
                theirs = std::to_string(back.AsInteger());
            }
            if (mine != theirs && ++differing <= 20)
                ADD_FAILURE() << "record " << n << " " << name.toStdString() << ": " << mine << " came back as "
                              << theirs;
        }
        // The note reads back into the lines it had (a note of one empty line
        // is no note).
        const QStringList lines = SplitMemoLines(target.table.FieldByName(QStringLiteral("Note")).AsString());
        const QStringList &expected = notes[n - 1];
        EXPECT_EQ(lines, storedMemo(expected).isEmpty() ? QStringList() : expected) << "record " << n;
    }
    EXPECT_EQ(differing, 0);
}

} // namespace
