#include "support/Screenshot.h"
#include "widgets/ExTrackBar.h"
#include "widgets/LimitedScrollBox.h"
#include "widgets/PaintPanel.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeySequence>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

// ---- TPaintPanel: image placement --------------------------------------------

// Every image pixel carries its own coordinates (red = x, green = y) and a full
// blue, which the lime panel face never has.
QImage coordinateImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x, y, 255));
    return image;
}

struct PlacementCase {
    const char *name;
    QSize image, panel;
    bool center;
    int frame;    // border width around the picture (no bevels)
    QPoint origin; // where image pixel (0, 0) lands, in panel coordinates
};

void PrintTo(const PlacementCase &c, std::ostream *os) { *os << c.name; }

// Test names from the rows' own names.
template <class Case>
std::string rowName(const ::testing::TestParamInfo<Case> &info)
{
    return info.param.name;
}

class PaintPanelPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PaintPanelPlacement, showsTheImageUnscaledAtTheExpectedOffset)
{
    const PlacementCase &c = GetParam();
    TPaintPanel panel;
    panel.SetBevelOuter(TPaintPanel::bvNone);
    panel.SetBorderWidth(c.frame);
    panel.SetColor(clLime);
    panel.SetCenter(c.center);
    panel.resize(c.panel);
    const QImage source = coordinateImage(c.image.width(), c.image.height());
    panel.SetImage(&source);

    const QImage shot = panel.grab().toImage();
    const QRect inner = panel.rect().adjusted(c.frame, c.frame, -c.frame, -c.frame);
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QPoint at = QPoint(x, y) - c.origin;
            const bool onImage = inner.contains(x, y) && QRect(QPoint(), c.image).contains(at);
            const QRgb want = onImage ? qRgb(at.x(), at.y(), 255) : qRgb(0, 255, 0);
            ASSERT_EQ(shot.pixel(x, y) & 0xFFFFFF, want & 0xFFFFFF) << "first difference at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PaintPanelPlacement,
    ::testing::Values(PlacementCase{"topLeftPartOfALargeImage", {40, 30}, {20, 10}, false, 0, {0, 0}},
                      PlacementCase{"smallImageAtTopLeft", {6, 4}, {20, 10}, false, 0, {0, 0}},
                      PlacementCase{"middleOfALargeImage", {40, 30}, {20, 10}, true, 0, {-10, -10}},
                      // (41 - 20) / 2 = 10 and (31 - 10) / 2 = 10: odd differences truncate
                      PlacementCase{"middleOfAnOddLargeImage", {41, 31}, {20, 10}, true, 0, {-10, -10}},
                      // (10 - 21) / 2 = -5, not -6: toward zero
                      PlacementCase{"smallImageInTheMiddle", {10, 6}, {21, 17}, true, 0, {5, 5}},
                      PlacementCase{"clippedToTheInnerRectangle", {40, 30}, {24, 14}, false, 2, {2, 2}},
                      PlacementCase{"centredOnTheInnerRectangle", {40, 30}, {24, 14}, true, 2, {2 - 10, 2 - 10}}),
    rowName<PlacementCase>);

// ---- TPaintPanel: frame and order -------------------------------------------

TEST(PaintPanel, paintsBevelsBorderImageThenOnPaintInsideTheFrame)
{
    TPaintPanel panel;
    panel.SetColor(clLime);
    panel.SetBevelOuter(TPaintPanel::bvRaised);
    panel.SetBevelWidth(2);
    panel.SetBorderWidth(3);
    panel.SetBevelInner(TPaintPanel::bvLowered);
    panel.resize(30, 30);
    const QImage source = coordinateImage(30, 30);
    panel.SetImage(&source);
    QRect painted;
    panel.OnPaint = [&](QObject *sender, QPainter &canvas, const QRect &rect) {
        EXPECT_EQ(sender, &panel);
        painted = rect;
        canvas.fillRect(QRect(rect.topLeft(), QSize(2, 2)), Qt::red);
    };

    const QImage shot = panel.grab().toImage();
    const QRgb light = panel.palette().color(QPalette::Light).rgb();
    const QRgb dark = panel.palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(painted, QRect(7, 7, 16, 16)); // 2 + 3 + 2 on each side
    EXPECT_EQ(shot.pixel(0, 0), light);      // raised: light top-left
    EXPECT_EQ(shot.pixel(1, 15), light);
    EXPECT_EQ(shot.pixel(29, 29), dark);     // raised: dark bottom-right
    EXPECT_EQ(shot.pixel(28, 15), dark);
    EXPECT_EQ(shot.pixel(2, 15), qRgb(0, 255, 0)); // border in the panel colour
    EXPECT_EQ(shot.pixel(4, 4), qRgb(0, 255, 0));
    EXPECT_EQ(shot.pixel(5, 15), dark);      // lowered: dark top-left
    EXPECT_EQ(shot.pixel(24, 15), light);    // lowered: light bottom-right
    EXPECT_EQ(shot.pixel(7, 7), qRgb(255, 0, 0));   // OnPaint drew over the image
    EXPECT_EQ(shot.pixel(10, 7), qRgb(3, 0, 255));  // image pixel (3, 0)
}

class PaintPanelCaption : public ::testing::TestWithParam<Qt::AlignmentFlag> {};

TEST_P(PaintPanelCaption, expandsTabsAlignsTheLineAndCentresItOnTheHeightOfW)
{
    TPaintPanel panel;
    panel.SetBevelOuter(TPaintPanel::bvNone);
    panel.SetColor(clWhite);
    panel.SetAlignment(GetParam());
    panel.SetCaption(QStringLiteral("\tW\nsecond line"));
    panel.resize(200, 60);

    const QImage shot = panel.grab().toImage();
    QRect ink;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if ((shot.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                ink |= QRect(x, y, 1, 1);
    const QFontMetrics metrics(panel.font());
    const int tab = 8 * metrics.averageCharWidth();
    const int lineWidth = tab + metrics.horizontalAdvance(QLatin1Char('W'));
    const int lineLeft = GetParam() == Qt::AlignLeft    ? 0
                         : GetParam() == Qt::AlignRight ? 200 - lineWidth
                                                        : (200 - lineWidth) / 2;
    const int lineTop = (60 - metrics.height()) / 2;
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.left(), lineLeft + tab, 2); // only the W is ink
    EXPECT_GE(ink.top(), lineTop);
    EXPECT_LT(ink.bottom(), lineTop + metrics.height()); // one line, nothing below
}

INSTANTIATE_TEST_SUITE_P(Alignments, PaintPanelCaption,
                         ::testing::Values(Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight),
                         [](const auto &info) {
                             return std::string(info.param == Qt::AlignLeft    ? "left"
                                                : info.param == Qt::AlignRight ? "right"
                                                                               : "centre");
                         });

// ---- TPaintPanel: image ownership and size rule ------------------------------

TEST(PaintPanel, assigningNothingFreesTheImageAndReadingCreatesAnEmptyOne)
{
    TPaintPanel panel;
    panel.resize(50, 40);
    const QImage source = coordinateImage(30, 20);
    panel.SetImage(&source);
    int w = 0, h = 0;
    ASSERT_TRUE(panel.CanAutoSize(w, h));
    EXPECT_EQ(QSize(w, h), QSize(32, 22));

    panel.SetImage(nullptr);
    w = 50, h = 40;
    EXPECT_FALSE(panel.CanAutoSize(w, h)); // no image: refused, size untouched
    EXPECT_EQ(QSize(w, h), QSize(50, 40));

    EXPECT_TRUE(panel.Image().isNull());
    EXPECT_TRUE(panel.CanAutoSize(w, h)); // an empty image: just the frame
    EXPECT_EQ(QSize(w, h), QSize(2, 2));
}

TEST(PaintPanel, keepsItsOwnCopyOfTheAssignedImage)
{
    TPaintPanel panel;
    QImage source = coordinateImage(4, 4);
    panel.SetImage(&source);
    source.fill(Qt::black);
    EXPECT_EQ(panel.Image().pixel(3, 2), qRgb(3, 2, 255));
}

struct AutoSizeCase {
    const char *name;
    TPaintPanel::TBevelCut outer, inner;
    int bevelWidth, borderWidth;
    TPaintPanel::TAlign align;
    QSize expected; // image 30 x 20 on a panel of 100 x 80
};

void PrintTo(const AutoSizeCase &c, std::ostream *os) { *os << c.name; }

class PaintPanelAutoSize : public ::testing::TestWithParam<AutoSizeCase> {};

TEST_P(PaintPanelAutoSize, addsTwiceEachBevelAndTheBorderOnTheFreeSides)
{
    const AutoSizeCase &c = GetParam();
    TPaintPanel panel;
    panel.SetBevelOuter(c.outer);
    panel.SetBevelInner(c.inner);
    panel.SetBevelWidth(c.bevelWidth);
    panel.SetBorderWidth(c.borderWidth);
    panel.SetAlign(c.align);
    panel.resize(100, 80);
    const QImage source = coordinateImage(30, 20);
    panel.SetImage(&source);
    EXPECT_EQ(panel.size(), QSize(100, 80)); // AutoSize is off

    panel.SetAutoSize(true);
    EXPECT_EQ(panel.size(), c.expected);
}

using P = TPaintPanel;
INSTANTIATE_TEST_SUITE_P(
    Table, PaintPanelAutoSize,
    ::testing::Values(AutoSizeCase{"noFrame", P::bvNone, P::bvNone, 1, 0, P::alNone, {30, 20}},
                      AutoSizeCase{"defaultRaisedBevel", P::bvRaised, P::bvNone, 1, 0, P::alNone, {32, 22}},
                      AutoSizeCase{"twoBevelsAndBorder", P::bvRaised, P::bvLowered, 3, 4, P::alNone, {50, 40}},
                      AutoSizeCase{"innerBevelOnly", P::bvNone, P::bvLowered, 2, 1, P::alNone, {36, 26}},
                      AutoSizeCase{"alignedTopKeepsWidth", P::bvRaised, P::bvNone, 1, 0, P::alTop, {100, 22}},
                      AutoSizeCase{"alignedBottomKeepsWidth", P::bvNone, P::bvNone, 1, 2, P::alBottom, {100, 24}},
                      AutoSizeCase{"alignedLeftKeepsHeight", P::bvRaised, P::bvNone, 1, 0, P::alLeft, {32, 80}},
                      AutoSizeCase{"alignedRightKeepsHeight", P::bvNone, P::bvNone, 1, 2, P::alRight, {34, 80}},
                      AutoSizeCase{"clientKeepsBoth", P::bvRaised, P::bvNone, 1, 0, P::alClient, {100, 80}}),
    rowName<AutoSizeCase>);

TEST(PaintPanel, takesTheNewImageSizeAtOnceOnlyForAnImageWithArea)
{
    TPaintPanel panel;
    panel.SetAutoSize(true);
    panel.resize(100, 80);
    const QImage empty(0, 10, QImage::Format_RGB32);
    panel.SetImage(&empty);
    EXPECT_EQ(panel.size(), QSize(100, 80));

    const QImage source = coordinateImage(30, 20);
    panel.SetImage(&source);
    EXPECT_EQ(panel.size(), QSize(32, 22));
    panel.Image() = coordinateImage(10, 5);
    panel.ImageChanged();
    EXPECT_EQ(panel.size(), QSize(12, 7));
}

// ---- TPaintPanel: keys in a dialog ----------------------------------------------

TEST(PaintPanel, getsTheArrowKeysBeforeTheWindowsShortcutsButNotEscape)
{
    QDialog dialog;
    auto *panel = new TPaintPanel(&dialog);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(panel);
    auto *left = new QAction(&dialog);
    left->setShortcut(Qt::Key_Left);
    dialog.addAction(left);
    int shortcutHits = 0;
    QObject::connect(left, &QAction::triggered, [&] { ++shortcutHits; });
    QList<int> keys;
    panel->OnKeyDown = [&](QObject *, int &key, Qt::KeyboardModifiers) { keys.append(key); };
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    panel->setFocus();

    QTest::keyClick(panel, Qt::Key_Left);
    QTest::keyClick(panel, Qt::Key_Down);
    EXPECT_EQ(shortcutHits, 0);
    EXPECT_EQ(keys, (QList<int>{Qt::Key_Left, Qt::Key_Down}));

    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

// ---- TExTrackBar ---------------------------------------------------------------------

void sendMouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

struct TrackBar {
    TExTrackBar bar{Qt::Horizontal};
    int changed = 0;
    int mouseDowns = 0;
    QPoint mouseDownAt;

    explicit TrackBar(int value = 10)
    {
        bar.setRange(0, 100);
        bar.setSingleStep(1);
        bar.setPageStep(10);
        bar.setValue(value);
        bar.resize(300, 30);
        bar.OnChanged = [this](QObject *sender) {
            EXPECT_EQ(sender, &bar);
            ++changed;
        };
        bar.OnMouseDown = [this](QObject *, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
            EXPECT_EQ(button, Qt::LeftButton);
            ++mouseDowns;
            mouseDownAt = {x, y};
        };
    }
};

class ExTrackBarDrag : public ::testing::TestWithParam<Qt::Orientation> {};

// Dragging toward the right, or down on a vertical bar, raises the value.
TEST_P(ExTrackBarDrag, firesOnChangedOnceWhenTheDraggedThumbIsReleased)
{
    TrackBar t;
    t.bar.setOrientation(GetParam());
    if (GetParam() == Qt::Vertical)
        t.bar.resize(30, 300);
    const QPoint step = GetParam() == Qt::Vertical ? QPoint(0, 20) : QPoint(20, 0);
    const QPoint start = t.bar.ThumbRect().center();
    sendMouse(&t.bar, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= 5; ++i)
        sendMouse(&t.bar, QEvent::MouseMove, start + i * step, Qt::NoButton, Qt::LeftButton);
    EXPECT_GT(t.bar.value(), 10);
    EXPECT_EQ(t.changed, 0);
    sendMouse(&t.bar, QEvent::MouseButtonRelease, start + 5 * step, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(t.changed, 1);
    EXPECT_EQ(t.mouseDowns, 0); // a press on the thumb is the bar's own
}

INSTANTIATE_TEST_SUITE_P(Orientations, ExTrackBarDrag, ::testing::Values(Qt::Horizontal, Qt::Vertical),
                         [](const auto &info) {
                             return std::string(info.param == Qt::Vertical ? "vertical" : "horizontal");
                         });

TEST(ExTrackBar, clickBesideTheThumbNeitherPagesNorChangesButReportsThePress)
{
    QWidget window;
    TrackBar t;
    t.bar.setParent(&window);
    const QPoint beside(t.bar.ThumbRect().right() + 60, 15);
    QTest::mouseClick(&t.bar, Qt::LeftButton, Qt::NoModifier, beside);
    EXPECT_EQ(t.bar.value(), 10);
    EXPECT_EQ(t.changed, 0);
    EXPECT_EQ(t.mouseDowns, 1);
    EXPECT_EQ(t.mouseDownAt, beside);
    EXPECT_EQ(window.focusWidget(), &t.bar);
}

TEST(ExTrackBar, programmaticChangesFireNoOnChanged)
{
    TrackBar t;
    t.bar.setValue(70);
    t.bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(t.changed, 0);
}

TEST(ExTrackBar, wheelChangeFiresOnChanged)
{
    TrackBar t(50);
    const QPoint at(5, 15);
    QWheelEvent wheel(at, t.bar.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&t.bar, &wheel);
    EXPECT_NE(t.bar.value(), 50);
    EXPECT_EQ(t.changed, 1);
}

TEST(ExTrackBar, verticalBarHasItsMinimumAtTheTop)
{
    TrackBar t(0);
    t.bar.setOrientation(Qt::Vertical);
    t.bar.resize(30, 300);
    EXPECT_LT(t.bar.ThumbRect().center().y(), 150);
    TExTrackBar built(Qt::Vertical);
    built.resize(30, 300);
    EXPECT_LT(built.ThumbRect().center().y(), 150);
}

struct KeyCase {
    Qt::Orientation orientation;
    bool downIsLeft;
    Qt::Key key;
    int expected; // from 50, line 1, page 10, range 0..100
};

std::string describe(const KeyCase &c)
{
    return std::string(c.orientation == Qt::Vertical ? "vertical" : "horizontal") + (c.downIsLeft ? "DownIsLeft" : "")
           + QKeySequence(c.key).toString().toStdString();
}

void PrintTo(const KeyCase &c, std::ostream *os) { *os << describe(c); }
std::string keyCaseName(const ::testing::TestParamInfo<KeyCase> &info) { return describe(info.param); }

class ExTrackBarKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ExTrackBarKeys, movesLikeThePlatformBarAndFiresOnChangedAtTheKeyRelease)
{
    const KeyCase &c = GetParam();
    TrackBar t(50);
    t.bar.setOrientation(c.orientation);
    t.bar.SetDownIsLeft(c.downIsLeft);
    QTest::keyPress(&t.bar, c.key);
    EXPECT_EQ(t.bar.value(), c.expected);
    EXPECT_EQ(t.changed, 0);
    QTest::keyRelease(&t.bar, c.key);
    EXPECT_EQ(t.changed, 1);
}

constexpr auto H = Qt::Horizontal;
constexpr auto V = Qt::Vertical;
INSTANTIATE_TEST_SUITE_P(
    Table, ExTrackBarKeys,
    ::testing::Values(KeyCase{H, false, Qt::Key_Left, 49}, KeyCase{H, false, Qt::Key_Right, 51},
                      KeyCase{H, false, Qt::Key_Up, 49}, KeyCase{H, false, Qt::Key_Down, 51},
                      KeyCase{H, false, Qt::Key_PageUp, 40}, KeyCase{H, false, Qt::Key_PageDown, 60},
                      KeyCase{H, false, Qt::Key_Home, 0}, KeyCase{H, false, Qt::Key_End, 100},
                      KeyCase{H, true, Qt::Key_Left, 49}, KeyCase{H, true, Qt::Key_Right, 51},
                      KeyCase{H, true, Qt::Key_Up, 51}, KeyCase{H, true, Qt::Key_Down, 49},
                      KeyCase{H, true, Qt::Key_PageUp, 60}, KeyCase{H, true, Qt::Key_PageDown, 40},
                      KeyCase{V, false, Qt::Key_Up, 49}, KeyCase{V, false, Qt::Key_Down, 51},
                      KeyCase{V, false, Qt::Key_Left, 49}, KeyCase{V, false, Qt::Key_Right, 51},
                      KeyCase{V, true, Qt::Key_Up, 49}, KeyCase{V, true, Qt::Key_Down, 51},
                      KeyCase{V, true, Qt::Key_Left, 51}, KeyCase{V, true, Qt::Key_Right, 49},
                      KeyCase{V, true, Qt::Key_PageUp, 40}, KeyCase{V, true, Qt::Key_PageDown, 60}),
    keyCaseName);

TEST(ExTrackBar, heldKeyFiresOnChangedOnlyAtTheFinalRelease)
{
    TrackBar t(50);
    QTest::keyPress(&t.bar, Qt::Key_Right);
    QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(&t.bar, &repeatUp);
    QTest::keyPress(&t.bar, Qt::Key_Right);
    QTest::keyRelease(&t.bar, Qt::Key_Right);
    EXPECT_EQ(t.bar.value(), 52);
    EXPECT_EQ(t.changed, 1);
}

// ---- TLimitedScrollBox -----------------------------------------------------------------

// A box 200 x 100 over a page 180 x 1000 with an edit at the top and one far below.
template <class Box>
struct Page {
    QWidget window;
    Box *box = new Box(&window);
    QLineEdit *top = new QLineEdit;
    QLineEdit *bottom = new QLineEdit;

    Page()
    {
        auto *page = new QWidget;
        page->resize(180, 1000);
        top->setParent(page);
        top->setGeometry(10, 10, 100, 24);
        bottom->setParent(page);
        bottom->setGeometry(10, 900, 100, 24);
        box->setWidget(page);
        box->setGeometry(0, 0, 200, 100);
        window.resize(200, 100);
        window.show();
    }
    int scroll() const { return box->verticalScrollBar()->value(); }
};

TEST(LimitedScrollBox, tabbingIntoAChildOutOfViewLeavesTheScrollPosition)
{
    Page<QScrollArea> plain; // the same page in a plain scroll area scrolls
    ASSERT_TRUE(QTest::qWaitForWindowActive(&plain.window));
    plain.top->setFocus();
    QTest::keyClick(plain.top, Qt::Key_Tab);
    ASSERT_EQ(plain.window.focusWidget(), plain.bottom);
    ASSERT_GT(plain.scroll(), 0);

    Page<TLimitedScrollBox> limited;
    ASSERT_TRUE(QTest::qWaitForWindowActive(&limited.window));
    limited.top->setFocus();
    QTest::keyClick(limited.top, Qt::Key_Tab);
    EXPECT_EQ(limited.window.focusWidget(), limited.bottom);
    EXPECT_EQ(limited.scroll(), 0);

    limited.box->verticalScrollBar()->setValue(limited.box->verticalScrollBar()->maximum());
    const int end = limited.scroll();
    QTest::keyClick(limited.bottom, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(limited.window.focusWidget(), limited.top);
    EXPECT_EQ(limited.scroll(), end);

    limited.box->ensureWidgetVisible(limited.top); // the window may still scroll it
    EXPECT_EQ(limited.scroll(), 0);
}

// ---- Screenshots -------------------------------------------------------------------------

TEST(SmallControlsScreenshot, panelWithBevelsImageAndCaptionAndTrackBar)
{
    TPaintPanel panel;
    panel.SetBevelOuter(TPaintPanel::bvRaised);
    panel.SetBevelInner(TPaintPanel::bvLowered);
    panel.SetBevelWidth(2);
    panel.SetBorderWidth(3);
    panel.SetCenter(true);
    panel.SetCaption(QStringLiteral("プレビュー\t100%"));
    QImage picture(300, 200, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), QColor(250, 250, 240));
    painter.setPen(QPen(Qt::darkBlue, 3));
    painter.drawEllipse(picture.rect().center(), 40, 30);
    painter.end();
    panel.SetImage(&picture);
    panel.resize(180, 120);
    EXPECT_FALSE(saveScreenshot(&panel, QStringLiteral("PaintPanel")).isEmpty());

    TExTrackBar bar;
    bar.setRange(0, 20);
    bar.setValue(7);
    bar.setTickPosition(QSlider::TicksBelow);
    bar.resize(200, 36);
    EXPECT_FALSE(saveScreenshot(&bar, QStringLiteral("ExTrackBar")).isEmpty());
}

} // namespace
