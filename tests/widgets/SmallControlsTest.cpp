#include "support/RowName.h"
#include "widgets/ExTrackBar.h"
#include "widgets/LimitedScrollBox.h"
#include "widgets/PaintPanel.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using P = TPaintPanel;
constexpr auto H = Qt::Horizontal, V = Qt::Vertical;

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

// ---- TPaintPanel ---------------------------------------------------------------

// frame: border width around the picture (no bevels); origin: where image pixel (0, 0) lands.
struct PlacementCase { const char *name; QSize image, panel; bool center; int frame; QPoint origin; };
class PaintPanelPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PaintPanelPlacement, showsTheImageUnscaledAtTheExpectedOffset)
{
    const PlacementCase &c = GetParam();
    P panel;
    panel.SetBevelOuter(P::bvNone);
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
    ::testing::Values(// (41 - 20) / 2 = 10 and (31 - 10) / 2 = 10: odd differences truncate
                      PlacementCase{"middleOfAnOddLargeImage", {41, 31}, {20, 10}, true, 0, {-10, -10}},
                      // (10 - 21) / 2 = -5, not -6: toward zero
                      PlacementCase{"smallImageInTheMiddle", {10, 6}, {21, 17}, true, 0, {5, 5}},
                      PlacementCase{"clippedToTheInnerRectangle", {40, 30}, {24, 14}, false, 2, {2, 2}}),
    rowName);

TEST(PaintPanel, paintsBevelsBorderImageThenOnPaintInsideTheFrame)
{
    P panel;
    panel.SetColor(clLime);
    panel.SetBevelOuter(P::bvRaised);
    panel.SetBevelWidth(2);
    panel.SetBorderWidth(3);
    panel.SetBevelInner(P::bvLowered);
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
    EXPECT_EQ(shot.pixel(5, 15), dark);             // lowered: dark top-left
    EXPECT_EQ(shot.pixel(24, 15), light);           // lowered: light bottom-right
    EXPECT_EQ(shot.pixel(7, 7), qRgb(255, 0, 0));   // OnPaint drew over the image
    EXPECT_EQ(shot.pixel(10, 7), qRgb(3, 0, 255));  // image pixel (3, 0)
}

// Image 30 x 20 on a panel of 100 x 80.
// ---- TExTrackBar ---------------------------------------------------------------

void sendMouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// A bar 0..100 (line 1, page 10) that counts OnChanged and OnMouseDown.
struct TrackBar {
    TExTrackBar bar;
    int changed = 0, mouseDowns = 0;

    explicit TrackBar(int value = 10, Qt::Orientation orientation = H)
        : bar(orientation)
    {
        bar.setRange(0, 100);
        bar.setPageStep(10);
        bar.setValue(value);
        bar.resize(orientation == V ? QSize(30, 300) : QSize(300, 30));
        bar.OnChanged = [this](QObject *sender) {
            EXPECT_EQ(sender, &bar);
            ++changed;
        };
        bar.OnMouseDown = [this](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++mouseDowns; };
    }
};

class ExTrackBarDrag : public ::testing::TestWithParam<Qt::Orientation> {};

// Dragging toward the right, or down on a vertical bar (minimum at the top), raises the value.
TEST_P(ExTrackBarDrag, firesOnChangedOnceWhenTheDraggedThumbIsReleased)
{
    TrackBar t(10, GetParam());
    const QPoint step = GetParam() == V ? QPoint(0, 20) : QPoint(20, 0);
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

INSTANTIATE_TEST_SUITE_P(Orientations, ExTrackBarDrag, ::testing::Values(H, V),
                         [](const auto &i) { return std::string(i.param == V ? "vertical" : "horizontal"); });

// ---- TLimitedScrollBox -----------------------------------------------------------

// A box 200 x 100 over a page 180 x 1000 with an edit at the top and one far
// below; returns the scroll position after tabbing from the top edit.
template <class Box>
struct Page {
    QWidget window;
    Box *box = new Box(&window);
    QWidget *page = new QWidget;
    QLineEdit *top = new QLineEdit(page), *bottom = new QLineEdit(page);

    Page()
    {
        page->resize(180, 1000);
        top->setGeometry(10, 10, 100, 24);
        bottom->setGeometry(10, 900, 100, 24);
        box->setWidget(page);
        box->setGeometry(0, 0, 200, 100);
        window.resize(200, 100);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        top->setFocus();
        QTest::keyClick(top, Qt::Key_Tab);
        EXPECT_EQ(window.focusWidget(), bottom);
    }
    int scroll() const { return box->verticalScrollBar()->value(); }
};

TEST(LimitedScrollBox, tabbingIntoAChildOutOfViewLeavesTheScrollPosition)
{
    ASSERT_GT(Page<QScrollArea>().scroll(), 0); // the same page in a plain scroll area scrolls
    Page<TLimitedScrollBox> limited;
    EXPECT_EQ(limited.scroll(), 0);
}

} // namespace
