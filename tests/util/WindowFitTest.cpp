#include "util/WindowFit.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QRect kArea(0, 30, 1000, 700); // a panel of 30 pixels above

struct FitCase {
    const char *name;
    QRect frame;
    QSize minimum;
    bool keepPosition;
    QRect expected;
};

class FrameFit : public ::testing::TestWithParam<FitCase>
{};

TEST_P(FrameFit, liesInsideTheAreaAsFarAsItsMinimumAllows)
{
    const FitCase &c = GetParam();
    EXPECT_EQ(FitFrameIntoArea(c.frame, c.minimum, kArea, c.keepPosition), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrameFit,
    ::testing::Values(
        FitCase{"fittingFrameStays", {100, 100, 400, 300}, {}, false, {100, 100, 400, 300}},
        FitCase{"exactlyTheAreaStays", {0, 30, 1000, 700}, {}, false, {0, 30, 1000, 700}},
        FitCase{"onePixelTooHighShrinks", {0, 30, 400, 701}, {}, false, {0, 30, 400, 700}},
        FitCase{"tallEditorShrinksToTheArea", {100, 100, 640, 1000}, {200, 200}, false, {100, 30, 640, 700}},
        FitCase{"wideFrameShrinksToTheArea", {-50, 40, 1400, 300}, {}, false, {0, 40, 1000, 300}},
        FitCase{"neverBelowItsMinimum", {0, 30, 400, 900}, {300, 800}, false, {0, 30, 400, 800}},
        FitCase{"beyondTheRightEdgeMovesBack", {800, 100, 400, 300}, {}, false, {600, 100, 400, 300}},
        FitCase{"behindThePanelMovesDown", {10, 0, 400, 300}, {}, false, {10, 30, 400, 300}},
        FitCase{"unplacedFrameOnlyShrinks", {0, 0, 640, 1000}, {}, true, {0, 0, 640, 700}}),
    [](const ::testing::TestParamInfo<FitCase> &info) { return std::string(info.param.name); });

TEST(FrameFit, noAreaLeavesTheFrame)
{
    EXPECT_EQ(FitFrameIntoArea({5, 5, 3000, 3000}, {}, QRect(), false), QRect(5, 5, 3000, 3000));
}

// A window the program sized and placed beyond the screen opens inside it.
TEST(WindowFit, windowShownBeyondTheScreenOpensInsideIt)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QDialog dialog;
    dialog.resize(area.width() / 2, area.height() + 400);
    dialog.move(area.right() - 100, area.top() + 50);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(area.contains(dialog.frameGeometry())) << dialog.frameGeometry().x() << ","
                                                         << dialog.frameGeometry().y() << " "
                                                         << dialog.frameGeometry().width() << "x"
                                                         << dialog.frameGeometry().height();
    EXPECT_EQ(dialog.width(), area.width() / 2);
}

// A window larger than the screen that the program did not place is centred
// inside it, with room left for the title bar the window system adds.
TEST(WindowFit, largeUnplacedWindowOpensInsideTheScreenWithRoomForItsTitleBar)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    window.resize(area.width() + 300, area.height() + 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(area.contains(window.frameGeometry()));
    EXPECT_LE(window.height(), area.height() - 24);
    // A small one stays where the window system puts it.
    QWidget small;
    small.resize(area.width() / 3, area.height() / 3);
    small.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&small));
    EXPECT_FALSE(small.testAttribute(Qt::WA_Moved));
}

} // namespace
