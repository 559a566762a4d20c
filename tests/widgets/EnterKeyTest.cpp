// Return and Enter on a focused button of a window that lets its buttons
// take them: the focused button is pressed once, in a plain window and in a
// dialog, whatever its default button; a field keeps sending Return to the
// dialog's default button as before.

#include "support/RowName.h"
#include "widgets/EnterKey.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

#include <gtest/gtest.h>

namespace {

enum class Window { Plain, Dialog };
enum class Focus { PushButton, AutoDefaultButton, ToolButton, Field };

struct EnterCase {
    const char *name;
    Window window;
    Focus focus;
    Qt::Key key;
    bool repeated;     // the key held down: a repeat of the press
    int focusedClicks; // clicks of the focused button
    int defaultClicks; // clicks of the dialog's default button (OK)
};

void PrintTo(const EnterCase &c, std::ostream *os)
{
    *os << c.name;
}

class FocusedButtonEnter : public ::testing::TestWithParam<EnterCase>
{
};

TEST_P(FocusedButtonEnter, pressesTheFocusedButtonOnce)
{
    const EnterCase &c = GetParam();
    std::unique_ptr<QWidget> window;
    if (c.window == Window::Dialog)
        window = std::make_unique<QDialog>();
    else
        window = std::make_unique<QWidget>();
    auto *layout = new QHBoxLayout(window.get());
    auto *field = new QLineEdit(window.get());
    auto *push = new QPushButton(QStringLiteral("追加"), window.get());
    push->setAutoDefault(c.focus == Focus::AutoDefaultButton);
    auto *tool = new QToolButton(window.get());
    tool->setText(QStringLiteral("検索"));
    tool->setFocusPolicy(Qt::StrongFocus);
    auto *ok = new QPushButton(QStringLiteral("OK"), window.get());
    ok->setDefault(true);
    for (QWidget *w : {static_cast<QWidget *>(field), static_cast<QWidget *>(push), static_cast<QWidget *>(tool),
                       static_cast<QWidget *>(ok)})
        layout->addWidget(w);
    PressFocusedButtonOnEnter(window.get());
    PressFocusedButtonOnEnter(window.get()); // a second call changes nothing
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    QWidget *focused = c.focus == Focus::Field ? static_cast<QWidget *>(field)
                       : c.focus == Focus::ToolButton ? static_cast<QWidget *>(tool)
                                                      : static_cast<QWidget *>(push);
    focused->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), focused);
    QSignalSpy focusedSpy(qobject_cast<QAbstractButton *>(focused) ? focused : push, SIGNAL(clicked(bool)));
    QSignalSpy defaultSpy(ok, &QPushButton::clicked);
    QTest::keyEvent(QTest::Press, focused, c.key, Qt::NoModifier);
    if (c.repeated) {
        QKeyEvent again(QEvent::KeyPress, c.key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(focused, &again);
    }
    QTest::keyEvent(QTest::Release, focused, c.key, Qt::NoModifier);
    if (c.focus != Focus::Field) {
        EXPECT_EQ(focusedSpy.count(), c.focusedClicks);
    }
    EXPECT_EQ(defaultSpy.count(), c.defaultClicks);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, FocusedButtonEnter,
    ::testing::Values(
        EnterCase{"plainWindowButton", Window::Plain, Focus::PushButton, Qt::Key_Return, false, 1, 0},
        EnterCase{"plainWindowToolButton", Window::Plain, Focus::ToolButton, Qt::Key_Return, false, 1, 0},
        EnterCase{"plainWindowKeypadEnter", Window::Plain, Focus::PushButton, Qt::Key_Enter, false, 1, 0},
        EnterCase{"dialogButtonNotTheDefault", Window::Dialog, Focus::PushButton, Qt::Key_Return, false, 1, 0},
        EnterCase{"dialogToolButton", Window::Dialog, Focus::ToolButton, Qt::Key_Return, false, 1, 0},
        EnterCase{"dialogAutoDefaultButtonOnce", Window::Dialog, Focus::AutoDefaultButton, Qt::Key_Return, false, 1, 0},
        EnterCase{"heldDownPressesOnce", Window::Plain, Focus::PushButton, Qt::Key_Return, true, 1, 0},
        EnterCase{"dialogFieldReachesTheDefault", Window::Dialog, Focus::Field, Qt::Key_Return, false, 0, 1},
        EnterCase{"plainWindowFieldPressesNothing", Window::Plain, Focus::Field, Qt::Key_Return, false, 0, 0}),
    rowName);

// A button that cannot be pressed is not: a disabled one cannot hold the
// focus, so Return goes where it would go without it.
TEST(FocusedButtonEnter, aButtonDisabledUnderTheFocusIsNotPressed)
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *button = new QPushButton(QStringLiteral("出力"), &window);
    layout->addWidget(button);
    layout->addWidget(new QLineEdit(&window));
    PressFocusedButtonOnEnter(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    button->setFocus(Qt::TabFocusReason);
    button->setEnabled(false);
    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 0);
}

} // namespace
