#include "util/WindowFit.h"

#include "support/WindowManagerRun.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

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
// inside it (the room for a title bar is the table's ClientPlacement).
TEST(WindowFit, largeUnplacedWindowOpensInsideTheScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    window.resize(area.width() + 300, area.height() + 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(area.contains(window.frameGeometry()));
    EXPECT_LE(window.height(), area.height());
    // A small one stays where the window system puts it.
    QWidget small;
    small.resize(area.width() / 3, area.height() / 3);
    small.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&small));
    EXPECT_FALSE(small.testAttribute(Qt::WA_Moved));
}

// ---- Placing a client with the window system's frame around it -------------

// Openbox's frame on Xvfb: a title bar of 20 pixels, a border of 1 and a
// handle of 5 at the bottom; a screen of 1280 x 1000 without panels.
const QMargins kOpenbox(1, 20, 1, 5);
const QRect kScreen(0, 0, 1280, 1000);

struct PlaceCase {
    const char *name;
    QRect client;
    QSize minimum;
    TWindowPlace place;
    std::optional<QRect> anchor;
    QRect expectedClient;
};

class ClientPlacement : public ::testing::TestWithParam<PlaceCase>
{};

TEST_P(ClientPlacement, putsTheWholeFrameInsideTheScreen)
{
    const PlaceCase &c = GetParam();
    const QRect placed = PlaceClientInArea(c.client, kOpenbox, c.minimum, kScreen, c.place, c.anchor);
    EXPECT_EQ(placed, c.expectedClient);
    if (c.place != TWindowPlace::WindowSystem && c.minimum.height() + 25 <= kScreen.height()) {
        EXPECT_TRUE(kScreen.contains(placed.marginsAdded(kOpenbox)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClientPlacement,
    ::testing::Values(
        // An editor 990 high centred: 975 of client, its frame exactly the screen's height.
        PlaceCase{"tallEditorKeepsItsStatusBarOnScreen", {0, 0, 900, 990}, {}, TWindowPlace::Centred, {},
                  {190, 20, 900, 975}},
        PlaceCase{"clientAtTheTopGetsRoomForItsTitleBar", {100, 0, 600, 400}, {}, TWindowPlace::Own, {},
                  {100, 20, 600, 400}},
        PlaceCase{"clientPastTheBottomMovesUpWithItsHandle", {100, 800, 600, 400}, {}, TWindowPlace::Own, {},
                  {100, 595, 600, 400}},
        PlaceCase{"dialogOpensCentredOverTheMainList", {0, 0, 300, 200}, {}, TWindowPlace::OverAnchor,
                  QRect(100, 100, 802, 625), {351, 320, 300, 200}},
        PlaceCase{"dialogOverAListAtTheRightEdgeStaysInside", {0, 0, 300, 200}, {}, TWindowPlace::OverAnchor,
                  QRect(1100, 100, 400, 300), {979, 157, 300, 200}},
        PlaceCase{"windowSystemsWindowIsOnlyShrunk", {50, 40, 600, 1200}, {}, TWindowPlace::WindowSystem, {},
                  {50, 40, 600, 975}},
        PlaceCase{"aMinimumTallerThanTheScreenKeepsTheTitleBarOnScreen", {0, 0, 600, 1200}, {600, 1100},
                  TWindowPlace::Centred, {}, {340, 20, 600, 1100}}),
    [](const ::testing::TestParamInfo<PlaceCase> &info) { return std::string(info.param.name); });

// A dialog whose owner is not on screen (an editor still opening) opens over
// the main list, not at the screen's left edge.
TEST(WindowFit, aDialogWhoseOwnerIsNotShownOpensOverTheMainList)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    main.setGeometry(area.left() + area.width() / 2, area.top() + area.height() / 4, area.width() / 3,
                     area.height() / 2);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    SetPlacementAnchor(&main);
    QWidget owner; // created, never shown
    QDialog dialog(&owner);
    dialog.resize(200, 120);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    SetPlacementAnchor(nullptr);
    const QPoint offset = dialog.frameGeometry().center() - main.frameGeometry().center();
    EXPECT_LE(std::abs(offset.x()), 40) << offset.x();
    EXPECT_LE(std::abs(offset.y()), 40) << offset.y();
    EXPECT_TRUE(area.contains(dialog.frameGeometry()));
}

// ---- A window opening again where it was closed ----------------------------

// A dialog whose size its layout settles as it is shown (as the import
// window's does) placed by its frame's corner, shown, closed, its corner read
// back once it is hidden (as the windows store it) and placed there again, at
// each of four starts.
struct ReopenCase {
    const char *name;
    QPoint corner;
    int height;     // of its content
    bool fitsWhere; // it fits where it was placed
};

class Reopened : public ::testing::TestWithParam<ReopenCase>
{
};

TEST_P(Reopened, opensWhereItWasClosedAtEachStart)
{
    if (UnderWindowManager()) {
        ASSERT_TRUE(WaitForWindowManager()) << "no window manager frames the windows";
    }
    const ReopenCase &c = GetParam();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QPoint corner = c.corner;
    std::vector<QPoint> corners;
    for (int start = 0; start < 4; ++start) {
        QDialog dialog;
        auto *content = new QWidget;
        content->setMinimumSize(400, c.height);
        (new QVBoxLayout(&dialog))->addWidget(content);
        PlaceWindowFrameAt(&dialog, corner);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        ASSERT_TRUE(QTest::qWaitFor([&dialog] { return !dialog.windowHandle()->frameMargins().isNull(); }));
        QTest::qWait(50); // the window system's last word on where it stands
        const QRect shown = dialog.frameGeometry();
        EXPECT_TRUE(area.contains(shown)) << "start " << start;
        dialog.close();
        corner = WindowFrameTopLeft(&dialog);
        EXPECT_EQ(corner, shown.topLeft()) << "start " << start << ": stored " << corner.x() << "," << corner.y()
                                           << ", shown at " << shown.x() << "," << shown.y();
        corners.push_back(corner);
    }
    for (size_t i = 1; i < corners.size(); ++i) {
        EXPECT_EQ(corners[i], corners[0]) << "start " << i << " moved from " << corners[0].x() << ","
                                          << corners[0].y() << " to " << corners[i].x() << "," << corners[i].y();
    }
    if (c.fitsWhere) {
        EXPECT_EQ(corners[0], c.corner) << "opened at " << corners[0].x() << "," << corners[0].y();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, Reopened,
    ::testing::Values(ReopenCase{"short", {100, 157}, 200, true},
                      // Its frame ends below the screen where it was left: moved up once, then kept.
                      ReopenCase{"tallerThanTheRoomBelowIt", {100, 157}, 640, false},
                      ReopenCase{"atTheTopLeft", {0, 0}, 200, true}),
    [](const ::testing::TestParamInfo<ReopenCase> &info) { return std::string(info.param.name); });

// The same on a desktop: an X server with a window manager that frames the
// windows with a title bar, which the window system knows of only once it has
// framed a window.
TEST(ReopenedUnderAWindowManager, opensWhereItWasClosedAtEachStart)
{
    if (UnderWindowManager()) {
        GTEST_SKIP() << "the child runs the cases themselves";
    }
    const TWindowManagerRun run = RunUnderWindowManager(QStringLiteral("Windows/Reopened.*"));
    if (!run.Ran) {
        GTEST_SKIP() << run.SkipReason.toStdString();
    }
    EXPECT_EQ(run.ExitCode, 0) << run.Output.toStdString();
    EXPECT_TRUE(run.Output.contains(QStringLiteral("[  PASSED  ] 3 tests"))) << run.Output.toStdString();
}

} // namespace
