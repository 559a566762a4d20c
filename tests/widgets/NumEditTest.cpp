#include "widgets/NumEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

void leave(TNumEdit &edit)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &out);
}

std::unique_ptr<TNumEdit> rangedEdit(int min, int max, int position)
{
    auto edit = std::make_unique<TNumEdit>();
    edit->SetRange(min, max);
    edit->SetPosition(position);
    return edit;
}

// ---- leaving the edit: from 50 -------------------------------------------------

struct LeaveCase { int min, max; const char16_t *typed; int expected; };

class NumEditLeaving : public ::testing::TestWithParam<LeaveCase> {};

TEST_P(NumEditLeaving, restoresOrClampsWithoutComplaint)
{
    const LeaveCase &c = GetParam();
    auto edit = rangedEdit(c.min, c.max, 50);
    edit->setText(QString::fromUtf16(c.typed));
    leave(*edit);
    EXPECT_EQ(edit->GetPosition(), c.expected) << QString::fromUtf16(c.typed).toStdString();
    EXPECT_EQ(edit->text(), QString::number(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Table, NumEditLeaving,
                         ::testing::Values(LeaveCase{0, 100, u"", 50}, LeaveCase{0, 100, u"12a", 50},
                                           LeaveCase{0, 100, u"１２", 50}, // full-width digits
                                           LeaveCase{-10, 100, u"-5", 50}, // no sign, even in a negative range
                                           LeaveCase{0, 100, u"101", 100}, LeaveCase{60, 100, u"59", 60},
                                           LeaveCase{0, 100, u"99999999999999999999999", 100},
                                           LeaveCase{0, 100, u"100", 100}, LeaveCase{0, 100, u"0", 0},
                                           LeaveCase{0, 100, u" 42 ", 42}, LeaveCase{0, 100, u"007", 7}));

TEST(NumEdit, withoutRangeLeavingKeepsTheText)
{
    TNumEdit edit;
    edit.setText(QStringLiteral("abc"));
    leave(edit);
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
}

// ---- step keys -----------------------------------------------------------------

struct StepCase { int start; Qt::Key key; int expected; };

class NumEditStepKeys : public ::testing::TestWithParam<StepCase> {};

TEST_P(NumEditStepKeys, stepAndClampToRange)
{
    auto edit = rangedEdit(0, 100, GetParam().start);
    QTest::keyClick(edit.get(), GetParam().key);
    EXPECT_EQ(edit->GetPosition(), GetParam().expected);
    EXPECT_EQ(edit->text(), QString::number(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Table, NumEditStepKeys,
                         ::testing::Values(StepCase{50, Qt::Key_Up, 51}, StepCase{50, Qt::Key_Down, 49},
                                           StepCase{50, Qt::Key_PageUp, 60}, StepCase{50, Qt::Key_PageDown, 40},
                                           StepCase{95, Qt::Key_PageUp, 100}, StepCase{5, Qt::Key_PageDown, 0},
                                           StepCase{100, Qt::Key_Up, 100}, StepCase{0, Qt::Key_Down, 0}));

TEST(NumEdit, stepStartsFromTheTypedNumberAndFiresOncePerRealChange)
{
    auto edit = rangedEdit(0, 100, 50);
    int changes = 0;
    edit->OnPositionChange = [&](QObject *) { ++changes; };
    edit->setText(QStringLiteral("98"));
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(edit.get(), &up);
    EXPECT_TRUE(up.isAccepted());
    EXPECT_EQ(edit->GetPosition(), 99); // the typed 98 counts first, then the step
    QTest::keyClick(edit.get(), Qt::Key_Up); // 100
    QTest::keyClick(edit.get(), Qt::Key_Up); // still 100
    edit->setText(QStringLiteral("abc"));
    leave(*edit); // restored 100
    edit->SetPosition(20);
    EXPECT_EQ(changes, 4); // 98, 99, 100, 20
}

TEST(NumEdit, setRangeClampsTheValueInForce)
{
    auto edit = rangedEdit(0, 100, 80);
    edit->SetRange(10, 50);
    EXPECT_EQ(edit->GetPosition(), 50);
    EXPECT_EQ(edit->text(), QStringLiteral("50"));
    edit->SetRange(30, 20); // reversed bounds
    EXPECT_EQ(edit->GetMin(), 20);
    EXPECT_EQ(edit->GetMax(), 30);
    EXPECT_EQ(edit->GetPosition(), 30);
}

TEST(NumEdit, numOnlyAcceptsOnlyAsciiDigits)
{
    TNumEdit edit;
    edit.SetNumOnly(true);
    QTest::keyClicks(&edit, QStringLiteral("1a2-3"));
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QStringLiteral("４"), Qt::NoModifier);
    edit.insert(QStringLiteral("4x5"));
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
    QGuiApplication::clipboard()->setText(QStringLiteral("45"));
    edit.paste();
    EXPECT_EQ(edit.text(), QStringLiteral("12345"));
    edit.SetNumOnly(false);
    QTest::keyClicks(&edit, QStringLiteral("a"));
    EXPECT_EQ(edit.text(), QStringLiteral("12345a"));
}

} // namespace
