#include "core/Env.h"
#include "dialogs/PrtFiles.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <utility>

#include <gtest/gtest.h>

namespace {

QByteArray inverted(const QByteArray &s)
{
    QByteArray out = s;
    for (char &c : out)
        c = static_cast<char>(c ^ 0xFF);
    return out;
}

QByteArray printData(const QByteArray &signature, int header, const QByteArray &jpeg, qint32 length = -1)
{
    QByteArray b = inverted(signature);
    b.append(QByteArray(4 + header, '\0'));
    char len[4];
    qToLittleEndian<qint32>(length < 0 ? static_cast<qint32>(jpeg.size()) : length, len);
    b.append(len, 4);
    b.append(jpeg);
    return b;
}

class PrintDataFiles : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString saved = LabelPath;
    QString savedDesign = DesignPath;
    void SetUp() override
    {
        LabelPath = dir.path() + QStringLiteral("/Label/");
        DesignPath = dir.path() + QStringLiteral("/Design/");
        QDir().mkpath(LabelPath);
        QDir().mkpath(DesignPath);
    }
    void TearDown() override
    {
        LabelPath = saved;
        DesignPath = savedDesign;
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(PrintDataFiles, ListsOnlyFilesWithTheKindsSignatureSorted)
{
    write(LabelPath + QStringLiteral("b住所.gpa"), printData("Murven Label File", 28, {}));
    write(LabelPath + QStringLiteral("A名簿.gpa"), printData("Murven Label File", 28, {}));
    write(LabelPath + QStringLiteral("card.gpa"), printData("Murven Card File", 28, {}));
    write(LabelPath + QStringLiteral("short.gpa"), "\x01");
    write(LabelPath + QStringLiteral("other.txt"), printData("Murven Label File", 28, {}));
    QStringList titles;
    for (const auto &e : ListPrintDataFiles(1))
        titles.append(e.Title);
    EXPECT_EQ(titles, (QStringList{QStringLiteral("A名簿"), QStringLiteral("b住所")}));
    EXPECT_TRUE(ListPrintDataFiles(7).isEmpty());
}

TEST_F(PrintDataFiles, ThumbnailLengthIsBoundedByTheFile)
{
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG");
    const TDocKindInfo design = *DocKindInfo(3);
    const QString good = DesignPath + QStringLiteral("good.gpd");
    write(good, printData(design.Signature, 32, jpeg));
    EXPECT_EQ(ReadThumbnail(good, design).size(), QSize(20, 10));
    const QString huge = DesignPath + QStringLiteral("huge.gpd");
    write(huge, printData(design.Signature, 32, jpeg, 0x7FFFFFFF));
    EXPECT_TRUE(ReadThumbnail(huge, design).isNull());
    const QString cut = DesignPath + QStringLiteral("cut.gpd");
    write(cut, printData(design.Signature, 32, {}).left(20));
    EXPECT_TRUE(ReadThumbnail(cut, design).isNull());
}

// A save cut short leaves the old file under its aside name beside (or
// instead of) it. The list puts the folder right first: the copy is never an
// entry of its own, and a file it stands in for is back under its own title.
TEST_F(PrintDataFiles, ASaveCutShortIsPutRightBeforeListing)
{
    const QByteArray label = printData("Murven Label File", 28, {});
    const QString nenga = LabelPath + QStringLiteral("年賀.gpa");
    const QString shochu = LabelPath + QStringLiteral("暑中.gpa");
    write(nenga, label + "old");
    ASSERT_TRUE(QFile::rename(nenga, SafeReplaceBackupPath(nenga)));
    write(shochu, label + "old");
    ASSERT_TRUE(QFile::rename(shochu, SafeReplaceBackupPath(shochu)));
    write(shochu, label + "new");
    QStringList titles;
    for (const TPrintDataEntry &e : ListPrintDataFiles(1))
        titles << e.Title;
    titles.sort();
    QStringList expected{QStringLiteral("年賀"), QStringLiteral("暑中")};
    expected.sort();
    EXPECT_EQ(titles, expected);
    QFile kept(shochu);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll().endsWith("new"));
    EXPECT_EQ(QDir(LabelPath).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// Titles that begin with "$$" are the user's layouts like any other: listing
// the folder neither deletes them nor puts them in place of their namesakes.
TEST_F(PrintDataFiles, TitlesBeginningWithDollarsAreListedAndKept)
{
    const QByteArray label = printData("Murven Label File", 28, {});
    write(LabelPath + QStringLiteral("$$年賀.gpa"), label + "dollars");
    write(LabelPath + QStringLiteral("年賀.gpa"), label + "plain");
    write(LabelPath + QStringLiteral("$$暑中.gpa"), label + "alone");
    QStringList titles;
    for (const TPrintDataEntry &e : ListPrintDataFiles(1))
        titles << e.Title;
    titles.sort();
    QStringList expected{QStringLiteral("$$年賀"), QStringLiteral("年賀"), QStringLiteral("$$暑中")};
    expected.sort();
    EXPECT_EQ(titles, expected);
    for (const auto &[title, tail] : {std::pair{QStringLiteral("$$年賀"), QByteArray("dollars")},
                                      std::pair{QStringLiteral("年賀"), QByteArray("plain")},
                                      std::pair{QStringLiteral("$$暑中"), QByteArray("alone")}}) {
        QFile f(LabelPath + title + QStringLiteral(".gpa"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << title.toStdString();
        EXPECT_TRUE(f.readAll().endsWith(tail)) << title.toStdString();
    }
    EXPECT_FALSE(QFile::exists(LabelPath + QStringLiteral("暑中.gpa")));
}

TEST(PrintDataTitles, CutNeverSplitsACharacter)
{
    // 99 single bytes and a double-byte character: 101 bytes, cut to 99.
    const QString title = QString(99, QLatin1Char('a')) + QStringLiteral("字");
    EXPECT_EQ(Cp932::encode(NormalizeTitle(title)).size(), 99);
    EXPECT_EQ(NormalizeTitle(QStringLiteral("  名簿  ")), QStringLiteral("名簿"));
}

// Only the ASCII blanks around a title go: an ideographic space is part of
// the name the user gave and the file keeps it.
TEST(PrintDataTitles, TrimKeepsTheIdeographicSpace)
{
    EXPECT_EQ(NormalizeTitle(QStringLiteral(" \u3000年賀\u3000 ")), QStringLiteral("\u3000年賀\u3000"));
}

TEST(PrintDataTitles, ForbiddenCharactersAreNamed)
{
    for (const QChar c : QStringLiteral("\\/:;*?\"<>|"))
        EXPECT_TRUE(HasForbiddenTitleChar(QStringLiteral("a") + c)) << int(c.unicode());
    EXPECT_FALSE(HasForbiddenTitleChar(QStringLiteral("年賀状（2026）")));
    EXPECT_EQ(ForbiddenTitleMessage(),
              QStringLiteral("ファイル名には次の文字は使えません\n   \\ / : ; * ? \" < > | "));
}

struct RenameCase
{
    const char *name;
    const char *oldTitle;
    const char *newTitle;
    TRenameCheck expected;
};

TEST(PrintDataTitles, RenameRules)
{
    const QStringList titles{QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("開いている")};
    const RenameCase cases[] = {
        {"SameTitle", "Alpha", "Alpha", TRenameCheck::rcUnchanged},
        {"Empty", "Alpha", "", TRenameCheck::rcUnchanged},
        {"CaseOfItself", "Alpha", "ALPHA", TRenameCheck::rcOk},
        {"OtherEntry", "Alpha", "beta", TRenameCheck::rcDuplicate},
        {"Forbidden", "Alpha", "a/b", TRenameCheck::rcForbidden},
        {"OpenDocument", "開いている", "新しい", TRenameCheck::rcOpenDocument},
        {"NewTitle", "Beta", "Gamma", TRenameCheck::rcOk},
    };
    for (const RenameCase &c : cases)
        EXPECT_EQ(CheckRename(QString::fromUtf8(c.oldTitle), QString::fromUtf8(c.newTitle), QStringLiteral("開いている"),
                              titles),
                  c.expected)
            << c.name;
}

} // namespace
