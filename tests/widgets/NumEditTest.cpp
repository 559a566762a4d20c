#include "widgets/NumEdit.h"

#include <QApplication>
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
                         ::testing::Values(LeaveCase{0, 100, u"１２", 50}, // full-width digits
                                           LeaveCase{0, 100, u"101", 100}, LeaveCase{60, 100, u"59", 60},
                                           LeaveCase{0, 100, u"99999999999999999999999", 100}));

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
                         ::testing::Values(StepCase{50, Qt::Key_Down, 49}, StepCase{95, Qt::Key_PageUp, 100},
                                           StepCase{0, Qt::Key_Down, 0}));

TEST(NumEdit, numOnlyAcceptsOnlyAsciiDigits)
{
    TNumEdit edit;
    edit.SetNumOnly(true);
    QTest::keyClicks(&edit, QStringLiteral("1a2-3"));
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QStringLiteral("４"), Qt::NoModifier);
    edit.insert(QStringLiteral("4x5"));
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
}

} // namespace
