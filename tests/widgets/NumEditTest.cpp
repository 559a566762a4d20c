#include "support/Screenshot.h"
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

// ---- leaving the edit ----------------------------------------------------------

struct LeaveCase {
    const char *name;
    int min;
    int max;
    const char16_t *typed;
    int expected;
};

void PrintTo(const LeaveCase &c, std::ostream *os) { *os << c.name; }

class NumEditLeaving : public ::testing::TestWithParam<LeaveCase> {};

TEST_P(NumEditLeaving, restoresOrClampsWithoutComplaint)
{
    const LeaveCase &c = GetParam();
    auto edit = rangedEdit(c.min, c.max, 50);
    edit->setText(QString::fromUtf16(c.typed));
    leave(*edit);
    EXPECT_EQ(edit->GetPosition(), c.expected);
    EXPECT_EQ(edit->text(), QString::number(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumEditLeaving,
    ::testing::Values(LeaveCase{"emptyRestores", 0, 100, u"", 50},
                      LeaveCase{"lettersRestore", 0, 100, u"abc", 50},
                      LeaveCase{"digitsWithLetterRestore", 0, 100, u"12a", 50},
                      LeaveCase{"fullWidthDigitsRestore", 0, 100, u"１２", 50},
                      LeaveCase{"negativeRestores", 0, 100, u"-5", 50},
                      LeaveCase{"negativeRestoresEvenInNegativeRange", -10, 100, u"-5", 50},
                      LeaveCase{"aboveMaxClamped", 0, 100, u"150", 100},
                      LeaveCase{"belowMinClamped", 60, 100, u"7", 60},
                      LeaveCase{"hugeNumberClampedToMax", 0, 100, u"99999999999999999999999", 100},
                      LeaveCase{"inRangeTaken", 0, 100, u"7", 7},
                      LeaveCase{"zeroTaken", 0, 100, u"0", 0},
                      LeaveCase{"blanksAroundIgnored", 0, 100, u" 42 ", 42},
                      LeaveCase{"leadingZerosNormalised", 0, 100, u"007", 7}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(NumEdit, withoutRangeLeavingKeepsTheText)
{
    TNumEdit edit;
    edit.setText(QStringLiteral("abc"));
    leave(edit);
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
}

// ---- step keys -----------------------------------------------------------------

struct StepCase {
    const char *name;
    int start;
    Qt::Key key;
    int expected;
};

void PrintTo(const StepCase &c, std::ostream *os) { *os << c.name; }

class NumEditStepKeys : public ::testing::TestWithParam<StepCase> {};

TEST_P(NumEditStepKeys, stepAndClampToRange)
{
    auto edit = rangedEdit(0, 100, GetParam().start);
    QTest::keyClick(edit.get(), GetParam().key);
    EXPECT_EQ(edit->GetPosition(), GetParam().expected);
    EXPECT_EQ(edit->text(), QString::number(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Table, NumEditStepKeys,
                         ::testing::Values(StepCase{"upByOne", 50, Qt::Key_Up, 51},
                                           StepCase{"downByOne", 50, Qt::Key_Down, 49},
                                           StepCase{"pageUpByTen", 50, Qt::Key_PageUp, 60},
                                           StepCase{"pageDownByTen", 50, Qt::Key_PageDown, 40},
                                           StepCase{"pageUpStopsAtMax", 95, Qt::Key_PageUp, 100},
                                           StepCase{"pageDownStopsAtMin", 5, Qt::Key_PageDown, 0},
                                           StepCase{"upAtMaxStays", 100, Qt::Key_Up, 100},
                                           StepCase{"downAtMinStays", 0, Qt::Key_Down, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(NumEdit, stepStartsFromTypedNumberAndConsumesTheKey)
{
    auto edit = rangedEdit(0, 100, 50);
    edit->setText(QStringLiteral("30"));
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(edit.get(), &up);
    EXPECT_TRUE(up.isAccepted());
    EXPECT_EQ(edit->GetPosition(), 31);
}

TEST(NumEdit, positionChangeFiresOncePerRealChange)
{
    auto edit = rangedEdit(0, 100, 99);
    int changes = 0;
    edit->OnPositionChange = [&](QObject *) { ++changes; };
    QTest::keyClick(edit.get(), Qt::Key_Up);   // 100
    QTest::keyClick(edit.get(), Qt::Key_Up);   // still 100
    edit->setText(QStringLiteral("abc"));
    leave(*edit);                              // restored 100
    edit->SetPosition(20);
    EXPECT_EQ(changes, 2);
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

// ---- digits only and alignment -------------------------------------------------

TEST(NumEdit, numOnlyAcceptsOnlyAsciiDigits)
{
    TNumEdit edit;
    edit.SetNumOnly(true);
    QTest::keyClicks(&edit, QStringLiteral("1a2-3"));
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QStringLiteral("４"), Qt::NoModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
    edit.insert(QStringLiteral("4x5"));
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
    QGuiApplication::clipboard()->setText(QStringLiteral("45"));
    edit.paste();
    EXPECT_EQ(edit.text(), QStringLiteral("12345"));
    edit.SetNumOnly(false);
    QTest::keyClicks(&edit, QStringLiteral("a"));
    EXPECT_EQ(edit.text(), QStringLiteral("12345a"));
}

struct AlignmentCase {
    TAlignment alignment;
    Qt::Alignment horizontal;
};

class NumEditAlignment : public ::testing::TestWithParam<AlignmentCase> {};

TEST_P(NumEditAlignment, mapsToQtAlignment)
{
    TNumEdit edit;
    edit.SetAlignment(GetParam().alignment);
    EXPECT_EQ(edit.GetAlignment(), GetParam().alignment);
    EXPECT_EQ(edit.alignment() & Qt::AlignHorizontal_Mask, GetParam().horizontal);
}

INSTANTIATE_TEST_SUITE_P(Table, NumEditAlignment,
                         ::testing::Values(AlignmentCase{TAlignment::taLeftJustify, Qt::AlignLeft},
                                           AlignmentCase{TAlignment::taRightJustify, Qt::AlignRight},
                                           AlignmentCase{TAlignment::taCenter, Qt::AlignHCenter}));

TEST(NumEdit, screenshotRightAligned)
{
    auto edit = rangedEdit(0, 9999, 1234);
    edit->setObjectName(QStringLiteral("edtSize"));
    edit->SetAlignment(TAlignment::taRightJustify);
    edit->SetNumOnly(true);
    edit->resize(80, edit->sizeHint().height());
    EXPECT_FALSE(saveScreenshot(edit.get(), QStringLiteral("NumEdit")).isEmpty());
}

} // namespace
