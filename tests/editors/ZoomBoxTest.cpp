// The toolbar's zoom box shows the zoom the page is drawn at, whichever way
// the user zoomed: the keys, the menu 表示, or a step picked in the box.
#include "EditorsFixture.h"
#include "FakeHost.h"
#include "editors/PageView.h"
#include "editors/PrintEditor.h"
#include "support/RowName.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <cmath>
#include <functional>

namespace {

class ZoomBox : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TLabelGrid grid;
        editor.SetLayout(0, catalogueFormat(0, &grid), grid);
        editor.show();
        editor.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
        box = editor.findChild<QComboBox *>(QStringLiteral("cbxZoom"));
        ASSERT_NE(box, nullptr);
    }

    // What the box shows, and the page's zoom as a whole percent.
    QString shown() const { return box->currentText(); }
    QString pageZoom() const { return QStringLiteral("%1%").arg(std::lround(editor.PageView()->Zoom() * 100)); }

    // 表示 opened from the menu bar with its access key, an entry chosen with its own.
    void fromViewMenu(Qt::Key Entry)
    {
        QTest::keyClick(&editor, Qt::Key_V, Qt::AltModifier);
        auto *view = editor.findChild<QMenu *>(QStringLiteral("mnuView"));
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([view] { return view->isVisible(); }));
        QTest::keyClick(view, Entry);
        ASSERT_TRUE(QTest::qWaitFor([view] { return !view->isVisible(); }));
    }

    // A step of the box's list picked with the mouse.
    void pick(const QString &Step)
    {
        const int index = box->findText(Step);
        ASSERT_GE(index, 0) << Step.toStdString();
        box->showPopup();
        QAbstractItemView *list = box->view();
        ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }));
        const QRect row = list->visualRect(list->model()->index(index, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        ASSERT_TRUE(QTest::qWaitFor([list] { return !list->isVisible(); }));
    }

    SampleBook book;
    FakeHost host{book.table};
    TPrintEditor editor{TLayoutKind::AddressSide, host, nullptr};
    QComboBox *box = nullptr;
};

struct ZoomCase {
    const char *name;
    std::function<void(ZoomBox &)> zoom;
    const char16_t *expected; // what the box shows, the page's zoom too
};

class ZoomWays : public ZoomBox, public ::testing::WithParamInterface<ZoomCase>
{
public:
    void keys(Qt::Key Key, int Times)
    {
        for (int i = 0; i < Times; ++i)
            QTest::keyClick(&editor, Key, Qt::ControlModifier);
    }
    // Text typed over the box's text, and Return.
    void type(const QString &Text)
    {
        box->setFocus();
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), Text);
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    }
    using ZoomBox::fromViewMenu;
    using ZoomBox::pick;
};

TEST_P(ZoomWays, boxShowsTheZoomOfThePage)
{
    ASSERT_EQ(shown(), QStringLiteral("100%"));
    GetParam().zoom(*this);
    EXPECT_EQ(pageZoom(), QString::fromUtf16(GetParam().expected));
    EXPECT_EQ(shown(), QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Editor, ZoomWays,
    ::testing::Values(
        // 縮小 and 拡大 go by a quarter, between the box's steps.
        ZoomCase{"outByCtrlMinus", [](ZoomBox &t) { static_cast<ZoomWays &>(t).keys(Qt::Key_Minus, 1); }, u"80%"},
        ZoomCase{"inByCtrlPlus", [](ZoomBox &t) { static_cast<ZoomWays &>(t).keys(Qt::Key_Plus, 1); }, u"125%"},
        ZoomCase{"outTwiceByKeys", [](ZoomBox &t) { static_cast<ZoomWays &>(t).keys(Qt::Key_Minus, 2); }, u"64%"},
        ZoomCase{"outByTheViewMenu", [](ZoomBox &t) { static_cast<ZoomWays &>(t).fromViewMenu(Qt::Key_O); }, u"80%"},
        ZoomCase{"inByTheViewMenu", [](ZoomBox &t) { static_cast<ZoomWays &>(t).fromViewMenu(Qt::Key_I); }, u"125%"},
        ZoomCase{"stepPickedInTheBox", [](ZoomBox &t) { static_cast<ZoomWays &>(t).pick(QStringLiteral("150%")); },
                 u"150%"},
        // Out and in again is 100%, a step of the list again.
        ZoomCase{"outAndInAgain",
                 [](ZoomBox &t) {
                     auto &w = static_cast<ZoomWays &>(t);
                     w.keys(Qt::Key_Minus, 3);
                     w.keys(Qt::Key_Plus, 3);
                 },
                 u"100%"},
        // A step picked after zooming by a quarter.
        ZoomCase{"stepPickedAfterKeys",
                 [](ZoomBox &t) {
                     auto &w = static_cast<ZoomWays &>(t);
                     w.keys(Qt::Key_Minus, 1);
                     w.pick(QStringLiteral("50%"));
                 },
                 u"50%"},
        // A zoom typed is taken, a step or not; a text that is no zoom
        // leaves the zoom in force; a typed zoom beyond the limits is the limit.
        ZoomCase{"typedStep", [](ZoomBox &t) { static_cast<ZoomWays &>(t).type(QStringLiteral("50")); }, u"50%"},
        ZoomCase{"typedBetweenSteps", [](ZoomBox &t) { static_cast<ZoomWays &>(t).type(QStringLiteral("60%")); },
                 u"60%"},
        ZoomCase{"typedNoZoom", [](ZoomBox &t) { static_cast<ZoomWays &>(t).type(QStringLiteral("abc")); }, u"100%"},
        ZoomCase{"typedAboveTheLargest", [](ZoomBox &t) { static_cast<ZoomWays &>(t).type(QStringLiteral("900")); },
                 u"400%"},
        // The limits: 25% and 400%, and no step beyond them.
        ZoomCase{"smallestZoom", [](ZoomBox &t) { static_cast<ZoomWays &>(t).keys(Qt::Key_Minus, 7); }, u"25%"},
        ZoomCase{"oneStepAboveTheSmallest", [](ZoomBox &t) { static_cast<ZoomWays &>(t).keys(Qt::Key_Minus, 6); },
                 u"26%"},
        ZoomCase{"largestZoom", [](ZoomBox &t) { static_cast<ZoomWays &>(t).keys(Qt::Key_Plus, 7); }, u"400%"},
        ZoomCase{"oneStepBelowTheLargest", [](ZoomBox &t) { static_cast<ZoomWays &>(t).keys(Qt::Key_Plus, 6); },
                 u"381%"}),
    rowName);

// The box marks the step in its list once the page is at one again, so the
// list opens at it.
TEST_F(ZoomBox, backAtAStepTheListMarksIt)
{
    QTest::keyClick(&editor, Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(&editor, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(box->currentIndex(), box->findText(QStringLiteral("100%")));
}

// Between the steps none of them is marked.
TEST_F(ZoomBox, betweenTheStepsNoneIsMarked)
{
    QTest::keyClick(&editor, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(box->currentIndex(), -1);
}

} // namespace
