#include "core/InputPW.h"

#include "core/Env.h"
#include "core/StartupPassword.h"
#include "support/ScriptedMessageBoxes.h"
#include "widgets/TntStdCtrls.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kEnterPassword = QStringLiteral("パスワードを入力してください  ");
const QString kWrongPassword = QStringLiteral("パスワードが違います  \r\n正しいパスワードを入力してください  ");
const QString kAbandon = QStringLiteral("ピルカノス2014 の起動を中止します  \r\nよろしいですか？  ");

class InputPWTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = StartupPassword;
        StartupPassword = ScramblePassword(QStringLiteral("Pass567890123456")); // the longest, 16
        dialog.open();
    }
    void TearDown() override { StartupPassword = m_saved; }

    TTntEdit *entry() { return dialog.findChild<TTntEdit *>(QStringLiteral("medtPassword")); }
    void click(const char *name)
    {
        dialog.findChild<QPushButton *>(QString::fromLatin1(name))->click();
    }

    ScriptedMessageBoxes boxes;
    TInputPassword dialog;
    QString m_saved;
};

// A damaged stored value refuses every entry, even the one derived from its
// whole groups, and says why.
TEST_F(InputPWTest, aDamagedStoredPasswordRefusesEveryEntry)
{
    StartupPassword = ScramblePassword(QStringLiteral("abc")) + QStringLiteral("Q7");
    for (const QString &typed : {QStringLiteral("abc"), QStringLiteral("x")}) {
        QTest::keyClicks(entry(), typed);
        click("btnOk");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(entry()->text().isEmpty());
    }
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("壊れている"))) << boxes.last().text.toStdString();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

// Empty and wrong entries are refused with their message, the dialog stays
// and a wrong entry is cleared; the right one, typed to the limit and beyond,
// ends the dialog.
TEST_F(InputPWTest, onlyTheRightEntryEndsTheDialog)
{
    EXPECT_EQ(entry()->GetPasswordChar(), QLatin1Char('*'));
    click("btnOk");
    QTest::keyClicks(entry(), QStringLiteral("pass567890123456")); // differs in letter case only
    click("btnOk");
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown()[0].text, kEnterPassword);
    EXPECT_EQ(boxes.last().text, kWrongPassword);
    EXPECT_TRUE(entry()->text().isEmpty());
    EXPECT_TRUE(dialog.isVisible());

    QTest::keyClicks(entry(), QStringLiteral("Pass5678901234567")); // the 17th character is not taken
    click("btnOk");
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

struct CancelCase {
    const char *name;
    int answer;
    bool staysOpen;
    bool escape;
};

class InputPWCancel : public InputPWTest, public ::testing::WithParamInterface<CancelCase>
{
};

TEST_P(InputPWCancel, cancelOrEscapeAsksWhetherToAbandonStartUp)
{
    boxes.enqueue(GetParam().answer);
    if (GetParam().escape)
        QTest::keyClick(entry(), Qt::Key_Escape);
    else
        click("btnCancel");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kAbandon);
    EXPECT_EQ(dialog.isVisible(), GetParam().staysOpen);
}

INSTANTIATE_TEST_SUITE_P(Answers, InputPWCancel,
                         ::testing::Values(CancelCase{"NoKeepsThePrompt", IDNO, true, false},
                                           CancelCase{"EscapeYes", IDYES, false, true}),
                         [](const ::testing::TestParamInfo<CancelCase> &info) { return std::string(info.param.name); });

} // namespace
