#include "core/StartupPassword.h"

#include "support/RowName.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun runTool(const QStringList &arguments, const QByteArray &input)
{
    QProcess tool;
    tool.start(QStringLiteral(MURVEN_PASSWORD_TOOL), arguments);
    EXPECT_TRUE(tool.waitForStarted(10000));
    tool.write(input);
    tool.closeWriteChannel();
    EXPECT_TRUE(tool.waitForFinished(10000));
    return {tool.exitCode(), tool.readAllStandardOutput(), tool.readAllStandardError()};
}

struct ToolCase {
    const char *name;
    QStringList arguments;
    QByteArray input;
    int exitCode;
    QString printed; // the stored form expected on the output; null: nothing
};

class PasswordTool : public ::testing::TestWithParam<ToolCase>
{
};

TEST_P(PasswordTool, printsTheStoredFormOfThePasswordItIsGiven)
{
    const ToolCase &c = GetParam();
    const ToolRun run = runTool(c.arguments, c.input);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
    EXPECT_EQ(run.out, c.printed.isNull() ? QByteArray() : c.printed.toUtf8() + '\n');
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, PasswordTool,
    ::testing::Values(
        ToolCase{"fromStandardInput", {}, "Secret12\n", 0, ScramblePassword(QStringLiteral("Secret12"))},
        ToolCase{"fromALineWrittenOnWindows", {}, "Secret12\r\n", 0, ScramblePassword(QStringLiteral("Secret12"))},
        ToolCase{"fromStandardInputWithoutNewLine", {}, "パスワード", 0, ScramblePassword(QStringLiteral("パスワード"))},
        ToolCase{"fromTheCommandLine", {QStringLiteral("abc")}, "ignored\n", 0, ScramblePassword(QStringLiteral("abc"))},
        ToolCase{"emptyInputIsRefused", {}, "", 1, QString()},
        ToolCase{"droppedCharactersAreRefused", {}, "a+b\n", 1, QString()},
        ToolCase{"twoArgumentsAreAMistake", {QStringLiteral("a"), QStringLiteral("b")}, "", 2, QString()}),
    rowName);

TEST(PasswordToolHelp, namesStandardInputAsTheWayToGiveThePassword)
{
    const ToolRun run = runTool({QStringLiteral("--help")}, QByteArray());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("[PASSWORD]")) << run.out.constData();
    EXPECT_TRUE(run.out.contains("standard")) << run.out.constData();
    EXPECT_TRUE(run.out.contains("input")) << run.out.constData();
}

} // namespace
