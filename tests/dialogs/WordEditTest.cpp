#include "core/Env.h"
#include "dialogs/WordEdit.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/Screenshot.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray sjis(const char *utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

struct SplitCase
{
    const char *line;
    QStringList fields;
};

TEST(CommaText, SplitsLikeThePlatform)
{
    const SplitCase cases[] = {
        {"年賀,Text/Nenga.rbf", {QStringLiteral("年賀"), QStringLiteral("Text/Nenga.rbf")}},
        {"年賀 Text/Nenga.rbf", {QStringLiteral("年賀"), QStringLiteral("Text/Nenga.rbf")}},
        {"\"a, b\",c", {QStringLiteral("a, b"), QStringLiteral("c")}},
        {"\"say \"\"hi\"\"\",x", {QStringLiteral("say \"hi\""), QStringLiteral("x")}},
        {"a,,b", {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {"  lone  ", {QStringLiteral("lone")}},
    };
    for (const SplitCase &c : cases)
        EXPECT_EQ(SplitCommaText(QString::fromUtf8(c.line)), c.fields) << c.line;
}

TEST(CommaText, JoinedFieldsSplitBack)
{
    const QStringList fields{QStringLiteral("暑中・残暑 見舞い"), QStringLiteral("a,\"b\""), QStringLiteral("c")};
    EXPECT_EQ(SplitCommaText(JoinCommaText(fields)), fields);
}

TEST(ExampleIndex, FirstBlankLineEndsTheIndex)
{
    const auto c = ParseExampleIndex(sjis("年賀,Text/A.rbf\r\n   \r\n転居,Text/B.rbf\r\n"));
    ASSERT_EQ(c.size(), 1);
    EXPECT_EQ(c[0].Name, QStringLiteral("年賀"));
}

TEST(ExampleIndex, LineWithoutFileKeepsItsPlace)
{
    const auto c = ParseExampleIndex(sjis("年賀\n転居,Text/B.rbf\n"));
    ASSERT_EQ(c.size(), 2);
    EXPECT_TRUE(c[0].File.isEmpty());
    EXPECT_EQ(c[1].File, QStringLiteral("Text/B.rbf"));
}

TEST(ExampleFile, ReadsHeadingsAndTexts)
{
    bool ok = false;
    const auto e = ParseExampleFile(sjis("2\r\n1\r\n謹賀新年\r\n3\r\n暑中お見舞い\r\n一\r\n二\r\n"), &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(e.size(), 2);
    EXPECT_EQ(e[0].Heading, QStringLiteral("謹賀新年"));
    EXPECT_EQ(e[0].Text, QStringLiteral("謹賀新年"));
    EXPECT_EQ(e[1].Text, QStringLiteral("暑中お見舞い\n一\n二"));
}

TEST(ExampleFile, CountsAreBoundedByTheLinesPresent)
{
    bool ok = false;
    const auto e = ParseExampleFile(sjis("1000000\n99\nただ一行\n"), &ok);
    ASSERT_EQ(e.size(), 1);
    EXPECT_EQ(e[0].Text, QStringLiteral("ただ一行"));
    EXPECT_TRUE(ParseExampleFile(sjis("x\n1\na\n"), &ok).isEmpty());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(ParseExampleFile(QByteArray(), &ok).isEmpty());
}

// The library the build writes from the authored greetings.
TEST(ShippedExamples, EveryCategoryHasItsGreetings)
{
    const QString common = QStringLiteral(MURVEN_PAPER_BUILD_DIR "/");
    QFile index(common + QStringLiteral("Text/Index.rbf"));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const auto categories = ParseExampleIndex(index.readAll());
    QStringList names;
    for (const auto &c : categories) {
        names.append(c.Name);
        QFile f(common + c.File);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(c.File);
        bool ok = false;
        const auto examples = ParseExampleFile(f.readAll(), &ok);
        EXPECT_TRUE(ok);
        EXPECT_GE(examples.size(), 5) << qPrintable(c.Name);
        for (const auto &e : examples)
            EXPECT_FALSE(e.Heading.trimmed().isEmpty());
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("年賀"), QStringLiteral("寒中見舞い"), QStringLiteral("暑中・残暑見舞い"),
                                  QStringLiteral("喪中欠礼"), QStringLiteral("転居"), QStringLiteral("結婚・出産報告")}));
}

class WordEdit : public ::testing::Test
{
protected:
    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    QString savedApp = AppPath;
    ScriptedMessageBoxes boxes;
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        AppPath = QStringLiteral(MURVEN_PAPER_BUILD_DIR "/../");
    }
    void TearDown() override { AppPath = savedApp; }
};

TEST_F(WordEdit, AppendToBlanksReplacesWithoutLeadingBreak)
{
    TWordEditDialog d(nullptr);
    d.ShowExamples(true);
    d.LoadExampleIndex();
    ASSERT_EQ(boxes.count(), 0);
    auto *classes = d.findChild<QListWidget *>(QStringLiteral("lbClass"));
    EXPECT_EQ(classes->item(0)->text(), QStringLiteral("1: 年賀"));
    d.SetLines({QStringLiteral("   ")});
    d.findChild<QPushButton *>(QStringLiteral("bbtnAppend"))->click();
    const QStringList lines = d.GetLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("謹賀新年"));
    saveScreenshot(&d, QStringLiteral("WordEditDialog"));
}

TEST_F(WordEdit, AppendAddsALineBreakAndRewriteReplaces)
{
    TWordEditDialog d(nullptr);
    d.LoadExampleIndex();
    d.findChild<QListWidget *>(QStringLiteral("lbClass"))->setCurrentRow(4);
    d.SetLines({QStringLiteral(" 前の文 ")});
    d.findChild<QPushButton *>(QStringLiteral("bbtnAppend"))->click();
    EXPECT_EQ(d.GetLines().value(0), QStringLiteral("前の文"));
    EXPECT_EQ(d.GetLines().value(1), QStringLiteral("転居のお知らせ"));
    d.findChild<QPushButton *>(QStringLiteral("bbtnRewrite"))->click();
    EXPECT_EQ(d.GetLines().value(0), QStringLiteral("転居のお知らせ"));
}

// A letter's lines are indented with the ideographic space; appending an
// example trims only the ASCII blanks around the user's text, never that
// indentation.
TEST_F(WordEdit, AppendKeepsTheIdeographicIndentOfTheText)
{
    TWordEditDialog d(nullptr);
    d.LoadExampleIndex();
    d.findChild<QListWidget *>(QStringLiteral("lbClass"))->setCurrentRow(4);
    d.SetLines({QStringLiteral("\u3000拝啓"), QStringLiteral("\u3000本文です\u3000")});
    d.findChild<QPushButton *>(QStringLiteral("bbtnAppend"))->click();
    EXPECT_EQ(d.GetLines().value(0), QStringLiteral("\u3000拝啓"));
    EXPECT_EQ(d.GetLines().value(1), QStringLiteral("\u3000本文です\u3000"));
    EXPECT_EQ(d.GetLines().value(2), QStringLiteral("転居のお知らせ"));
}

TEST_F(WordEdit, MissingIndexIsReportedAndTextStaysEditable)
{
    AppPath = home.path() + QStringLiteral("/nowhere/");
    TWordEditDialog d(nullptr);
    d.LoadExampleIndex();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("例分ファイルが見つかりません"));
    d.SetLines({QStringLiteral("自由な文")});
    EXPECT_EQ(d.GetLines(), QStringList{QStringLiteral("自由な文")});
}

TEST_F(WordEdit, DirectionAndExamplePanelAreKept)
{
    {
        TWordEditDialog d(nullptr);
        d.SetDirection(1);
        EXPECT_EQ(d.GetDirection(), 1);
        EXPECT_TRUE(d.findChild<QRadioButton *>(QStringLiteral("rbHorizontal"))->isChecked());
        d.ShowExamples(true);
        d.reject();
    }
    EXPECT_EQ(TMemIniFile(SettingsFileName()).ReadInteger(QStringLiteral("WORDEDIT"), QStringLiteral("Example"), -1), 1);
    TWordEditDialog again(nullptr);
    EXPECT_TRUE(again.ExamplesShown());
}

} // namespace
