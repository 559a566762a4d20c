#include "core/InputPW.h"

#include "core/Env.h"
#include "core/StartupPassword.h"
#include "support/ScriptedMessageBoxes.h"
#include "widgets/TntStdCtrls.h"

#include <QLabel>
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
        StartupPassword = ScramblePassword(QStringLiteral("Pass1"));
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

TEST_F(InputPWTest, componentsCarryTheirNamesAndTexts)
{
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("起動時パスワードの入力"));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("lblMsg1"))->text(), QStringLiteral("ピルカノス2014"));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("lblMsg2"))->text(),
              QStringLiteral("を起動するためのパスワードを入力してください"));
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("btnOk"));
    auto *cancel = dialog.findChild<QPushButton *>(QStringLiteral("btnCancel"));
    ASSERT_TRUE(ok && cancel && entry());
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(cancel->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(entry()->GetMaxLength(), 16);
    EXPECT_EQ(entry()->GetPasswordChar(), QLatin1Char('*'));
    EXPECT_FALSE(entry()->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(InputPWTest, emptyEntryAsksForThePasswordAndStays)
{
    click("btnOk");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kEnterPassword);
    EXPECT_EQ(boxes.last().flags, 0x40u);
    EXPECT_EQ(boxes.last().mode, 0);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(InputPWTest, wrongEntryIsReportedAndCleared)
{
    QTest::keyClicks(entry(), QStringLiteral("pass1")); // differs in letter case only
    click("btnOk");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kWrongPassword);
    EXPECT_EQ(boxes.last().flags, 0x40u);
    EXPECT_TRUE(entry()->text().isEmpty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(InputPWTest, rightEntryEndsWithOkWithoutAsking)
{
    QTest::keyClicks(entry(), QStringLiteral("Pass1"));
    click("btnOk");
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

struct CancelCase {
    const char *name;
    int answer;
    bool staysOpen;
};

void PrintTo(const CancelCase &c, std::ostream *os)
{
    *os << c.name;
}

class InputPWCancel : public InputPWTest, public ::testing::WithParamInterface<CancelCase>
{
};

TEST_P(InputPWCancel, cancelAsksWhetherToAbandonStartUp)
{
    boxes.enqueue(GetParam().answer);
    click("btnCancel");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kAbandon);
    EXPECT_EQ(boxes.last().flags, 0x24u);
    EXPECT_EQ(dialog.isVisible(), GetParam().staysOpen);
    if (!GetParam().staysOpen) {
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
}

TEST_P(InputPWCancel, escapeAsksLikeCancel)
{
    boxes.enqueue(GetParam().answer);
    QTest::keyClick(entry(), Qt::Key_Escape);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kAbandon);
    EXPECT_EQ(dialog.isVisible(), GetParam().staysOpen);
}

INSTANTIATE_TEST_SUITE_P(Answers, InputPWCancel,
                         ::testing::Values(CancelCase{"NoKeepsThePrompt", IDNO, true},
                                           CancelCase{"YesEndsIt", IDYES, false}),
                         [](const ::testing::TestParamInfo<CancelCase> &info) { return std::string(info.param.name); });

} // namespace
