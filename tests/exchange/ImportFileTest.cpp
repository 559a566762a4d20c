#include "exchange/ImportFile.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray sj(const char *utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

struct LinesCase {
    const char *name;
    QByteArray bytes;
    QList<QByteArray> lines;
};

void PrintTo(const LinesCase &c, std::ostream *os)
{
    *os << c.name;
}

class ImportFileLines : public ::testing::TestWithParam<LinesCase>
{
};

TEST_P(ImportFileLines, splitsAsWritten)
{
    TImportFile file;
    file.SetBytes(GetParam().bytes);
    QList<QByteArray> lines;
    for (const auto &line : file.Lines())
        lines.append(line.Bytes);
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, ImportFileLines,
    ::testing::Values(LinesCase{"crlfEndsLines", "a,b\r\nc,d\r\n", {"a,b", "c,d"}},
                      LinesCase{"lfAccepted", "a\nb\n", {"a", "b"}},
                      LinesCase{"crOnlyAccepted", "a\rb\r", {"a", "b"}},
                      LinesCase{"lastLineWithoutBreak", "a\r\nb", {"a", "b"}},
                      LinesCase{"emptyLinesKept", "a\r\n\r\nb\r\n", {"a", "", "b"}},
                      LinesCase{"byteOrderMarkDropped", "\xEF\xBB\xBF" "a\r\n", {"a"}},
                      LinesCase{"ctrlZEndsTheText", "a\r\nb\r\n\x1A", {"a", "b"}},
                      LinesCase{"textAfterCtrlZIgnored", "a\r\n\x1Agarbage\r\n", {"a"}},
                      LinesCase{"emptyFileNoLines", "", {}},
                      LinesCase{"headerOnly", sj("名前,電話\r\n"), {sj("名前,電話")}}),
    [](const auto &info) { return std::string(info.param.name); });

struct ValidityCase {
    const char *name;
    QByteArray line;
    bool valid;
};

void PrintTo(const ValidityCase &c, std::ostream *os)
{
    *os << c.name;
}

class ShiftJisValidity : public ::testing::TestWithParam<ValidityCase>
{
};

TEST_P(ShiftJisValidity, decidedPerLine)
{
    EXPECT_EQ(IsValidShiftJisLine(GetParam().line), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Reader, ShiftJisValidity,
                         ::testing::Values(ValidityCase{"ascii", "abc,123", true},
                                           ValidityCase{"kanji", sj("東京都,①㈱"), true},
                                           ValidityCase{"halfWidthKana", sj("ｱｲｳ"), true},
                                           ValidityCase{"loneLeadByteAtEnd", QByteArray("abc\x82"), false},
                                           ValidityCase{"leadWithoutTrail", QByteArray("\x82\x20x"), false},
                                           ValidityCase{"utf8Text", QString::fromUtf8("テスト").toUtf8(), false},
                                           ValidityCase{"nulByte", QByteArray("a\0b", 3), false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ImportFile, utf8FileIsRecognised)
{
    TImportFile file;
    file.SetBytes(QString::fromUtf8("データ,テスト\r\nあいう,メモ\r\n").toUtf8());
    EXPECT_TRUE(file.LooksLikeUtf8());
    EXPECT_EQ(file.InvalidLineCount(), 2);
}

TEST(ImportFile, utf8ThatReadsAsShiftJisIsRecognisedToo)
{
    TImportFile file;
    file.SetBytes(QString::fromUtf8("名前,住所\r\n山田,東京都\r\n").toUtf8());
    EXPECT_EQ(file.InvalidLineCount(), 0);
    EXPECT_TRUE(file.LooksLikeUtf8());
}

TEST(ImportFile, shiftJisFileIsNotTakenForUtf8)
{
    TImportFile file;
    file.SetBytes(sj("名前,住所\r\n山田,東京都\r\n"));
    EXPECT_FALSE(file.LooksLikeUtf8());
    EXPECT_EQ(file.InvalidLineCount(), 0);
}

TEST(ImportFile, binaryLinesAreInvalid)
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    TImportFile file;
    file.SetBytes(bytes);
    EXPECT_GT(file.InvalidLineCount(), 0);
}

TEST(ImportFile, loadReadsTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.csv"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(sj("a,b\r\n山田,1\r\n"));
    out.close();
    TImportFile file;
    QString error;
    ASSERT_TRUE(file.Load(path, &error));
    EXPECT_EQ(file.LineCount(), 2);
}

// The limit on both sides: the last size read and the first refused.
class ImportFileSize : public ::testing::TestWithParam<int> {};

TEST_P(ImportFileSize, isReadUpToTheLimitAndRefusedPastIt)
{
    const qint64 kept = TImportFile::MaxFileBytes;
    TImportFile::MaxFileBytes = 100;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.csv"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QByteArray(GetParam() - 2, 'a') + "\r\n");
    out.close();
    TImportFile file;
    QString error;
    const bool loaded = file.Load(path, &error);
    TImportFile::MaxFileBytes = kept;
    EXPECT_EQ(loaded, GetParam() <= 100);
    EXPECT_EQ(error.startsWith(QStringLiteral("ファイルが大きすぎます")), GetParam() > 100);
    EXPECT_EQ(file.LineCount(), GetParam() <= 100 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Limit, ImportFileSize, ::testing::Values(100, 101));

TEST(ImportFile, missingFileReportsReason)
{
    TImportFile file;
    QString error;
    EXPECT_FALSE(file.Load(QStringLiteral("/nonexistent/in.csv"), &error));
    EXPECT_FALSE(error.isEmpty());
}

struct CountCase {
    const char *name;
    QByteArray line;
    int commas;
};

void PrintTo(const CountCase &c, std::ostream *os)
{
    *os << c.name;
}

class CsvFieldCount : public ::testing::TestWithParam<CountCase>
{
};

TEST_P(CsvFieldCount, countsCommasOutsideQuotes)
{
    EXPECT_EQ(CountCsvFields(GetParam().line), GetParam().commas);
}

INSTANTIATE_TEST_SUITE_P(Reader, CsvFieldCount,
                         ::testing::Values(CountCase{"plain", "a,b,c", 2}, CountCase{"empty", "", 0},
                                           CountCase{"quotedCommaNotCounted", "\"a,b\",c", 1},
                                           CountCase{"quoteLeftOpen", "\"a,b,c", 0},
                                           // Trail bytes 0x5C of 表 and ソ are no delimiters.
                                           CountCase{"doubleByteNeverSplits", sj("表,ソ"), 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CsvSplit, quotesRemovedCommasKeptAndDoubledQuotesHalved)
{
    const QList<QByteArray> parts = SplitCsvLine("\"a,b\",c,\"d\"\"e\"", 3, true);
    EXPECT_EQ(parts, (QList<QByteArray>{"a,b", "c", "d\"e"}));
}

TEST(CsvSplit, quotesKeptForTheSample)
{
    const QList<QByteArray> parts = SplitCsvLine("\"電話\",b", 2, false);
    EXPECT_EQ(parts[0], QByteArray("\"電話\""));
}

} // namespace
