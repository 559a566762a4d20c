#include "support/RowName.h"
#include "widgets/RangeControls.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A window as the range's users are: it filters the edits' events and hands
// them to the range first.
class RangeHost : public QWidget
{
public:
    RangeHost()
    {
        Range.Create(this, this, false);
        Range.Changed = [this] { ++Changes; };
    }
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Range.FilterEvent(Watched, Event))
            return true;
        return QWidget::eventFilter(Watched, Event);
    }
    // Sends Key to an edit as a key press; true when the range used it up.
    bool press(QLineEdit *Edit, int Key)
    {
        QKeyEvent event(QEvent::KeyPress, Key, Qt::NoModifier);
        return Range.FilterEvent(Edit, &event);
    }
    void focus(QLineEdit *Edit, QEvent::Type Type)
    {
        QFocusEvent event(Type);
        (void)Range.FilterEvent(Edit, &event);
    }
    TRowRange Range;
    int Changes = 0;
};

struct InitCase { const char *name; int rows, begin, end, wantBegin, wantEnd; };
class RowRangeInit : public ::testing::TestWithParam<InitCase> {};

TEST_P(RowRangeInit, keepsStoredPositionsInsideTheRowsOnly)
{
    const InitCase &c = GetParam();
    RangeHost host;
    host.Range.Init(c.rows, c.begin, c.end);
    EXPECT_EQ(host.Range.BeginPos(), c.wantBegin);
    EXPECT_EQ(host.Range.EndPos(), c.wantEnd);
    EXPECT_EQ(host.Range.BeginEdit->text(), QString::number(c.wantBegin));
    EXPECT_EQ(host.Range.EndEdit->text(), QString::number(c.wantEnd));
}

INSTANTIATE_TEST_SUITE_P(Cases, RowRangeInit,
                         ::testing::Values(InitCase{"storedInside", 10, 3, 7, 3, 7},
                                           InitCase{"nothingStored", 10, 0, 0, 1, 10},
                                           InitCase{"beginPastRows", 10, 12, 5, 1, 5},
                                           InitCase{"beginAfterEnd", 10, 8, 4, 1, 4},
                                           InitCase{"emptyList", 0, 3, 3, 0, 0}),
                         rowName);

TEST(RowRange, resetsToTheWholeListOnlyWhenTheRowCountChanged)
{
    RangeHost host;
    host.Range.Init(10, 3, 7);
    EXPECT_FALSE(host.Range.Reset(10));
    EXPECT_EQ(host.Range.BeginPos(), 3);
    EXPECT_TRUE(host.Range.Reset(4));
    EXPECT_EQ(host.Range.BeginPos(), 1);
    EXPECT_EQ(host.Range.EndPos(), 4);
    EXPECT_EQ(host.Range.Count(), 4);
}

TEST(RowRange, oneEndPushesTheOtherRatherThanPassingIt)
{
    RangeHost host;
    host.Range.Init(10, 3, 5);
    host.Range.SetValue(true, 8);
    EXPECT_EQ(host.Range.EndPos(), 8);
    host.Range.SetValue(false, 2);
    EXPECT_EQ(host.Range.BeginPos(), 2);
    EXPECT_EQ(host.Changes, 2);
}

struct KeyCase { const char *name; int key, want; };
class RowRangeKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(RowRangeKeys, stepTheEndWithinTheRows)
{
    RangeHost host;
    host.Range.Init(30, 1, 30);
    host.Range.SetValue(false, 15);
    EXPECT_TRUE(host.press(host.Range.EndEdit, GetParam().key));
    EXPECT_EQ(host.Range.EndPos(), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Cases, RowRangeKeys,
                         ::testing::Values(KeyCase{"up", Qt::Key_Up, 16}, KeyCase{"down", Qt::Key_Down, 14},
                                           KeyCase{"pageUp", Qt::Key_PageUp, 25},
                                           KeyCase{"pageDown", Qt::Key_PageDown, 5}),
                         rowName);

TEST(RowRange, stepsStopAtTheListBounds)
{
    RangeHost host;
    host.Range.Init(5, 2, 4);
    host.Range.Step(true, -10);
    host.Range.Step(false, 10);
    EXPECT_EQ(host.Range.BeginPos(), 1);
    EXPECT_EQ(host.Range.EndPos(), 5);
}

TEST(RowRange, enterTakesAChangedNumberAndPassesOnAnUnchangedOne)
{
    RangeHost host;
    host.Range.Init(10, 1, 10);
    host.focus(host.Range.BeginEdit, QEvent::FocusIn);
    host.Range.BeginEdit->setText(QStringLiteral("4"));
    EXPECT_TRUE(host.press(host.Range.BeginEdit, Qt::Key_Return));
    EXPECT_EQ(host.Range.BeginPos(), 4);
    // The window moves the focus on when the number stands as it was.
    EXPECT_FALSE(host.press(host.Range.BeginEdit, Qt::Key_Return));
}

struct TypedCase { const char *name; const char *text; };
class RowRangeRefused : public ::testing::TestWithParam<TypedCase> {};

TEST_P(RowRangeRefused, givesBackTheNumberTheEditHadOnEntry)
{
    RangeHost host;
    host.Range.Init(10, 3, 7);
    host.focus(host.Range.BeginEdit, QEvent::FocusIn);
    host.Range.BeginEdit->setText(QString::fromUtf8(GetParam().text));
    host.focus(host.Range.BeginEdit, QEvent::FocusOut);
    EXPECT_EQ(host.Range.BeginPos(), 3);
    EXPECT_EQ(host.Range.BeginEdit->text(), QStringLiteral("3"));
}

INSTANTIATE_TEST_SUITE_P(Cases, RowRangeRefused,
                         ::testing::Values(TypedCase{"letters", "abc"}, TypedCase{"empty", ""},
                                           TypedCase{"zero", "0"}, TypedCase{"pastRows", "11"},
                                           TypedCase{"signed", "+5"}),
                         rowName);

TEST(RowRange, refusedNumberAfterTheListShrankStaysInsideTheRows)
{
    RangeHost host;
    host.Range.Init(10, 8, 9);
    host.focus(host.Range.BeginEdit, QEvent::FocusIn);
    (void)host.Range.Reset(5);
    host.Range.BeginEdit->setText(QStringLiteral("x"));
    host.focus(host.Range.BeginEdit, QEvent::FocusOut);
    EXPECT_EQ(host.Range.BeginPos(), 5);
    EXPECT_EQ(host.Range.EndPos(), 5);
}

TEST(RowRange, upDownButtonsStepTheirEnd)
{
    RangeHost host;
    host.Range.Init(10, 3, 7);
    host.Range.BeginUp->click();
    host.Range.EndDown->click();
    EXPECT_EQ(host.Range.BeginPos(), 4);
    EXPECT_EQ(host.Range.EndPos(), 6);
}

TEST(RowRange, controlsFollowTheRangeChoice)
{
    RangeHost host;
    host.Range.SetEnabled(false);
    EXPECT_FALSE(host.Range.BeginEdit->isEnabled());
    EXPECT_FALSE(host.Range.EndUp->isEnabled());
    host.Range.SetEnabled(true);
    EXPECT_TRUE(host.Range.EndEdit->isEnabled());
    EXPECT_TRUE(host.Range.BeginDown->isEnabled());
}

} // namespace
