#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

class QWidget;

// Return as a person presses it in a window: on the control that has the
// focus, and again wherever the focus went, until the window acts.

// Brings the page that holds Control to the front (tab pages) and puts the
// focus on it, as the user does with the mouse or Tab; fails when it cannot
// take the focus (hidden or disabled).
::testing::AssertionResult FocusControl(QWidget *Control);

// Presses Return on Start, then, for each name of Stops, checks that the
// focus moved to the control of that name and presses Return there. The
// failure names the step where the focus stood elsewhere.
::testing::AssertionResult ReturnAlong(QWidget *Start, const QStringList &Stops);

// Every push and tool button of the window that a person can put the focus
// on, focused and Return pressed, one button at a time on a fresh window
// from Make: the buttons whose click that Return gave, by the name of the
// button focused. Each button's own click handlers are disconnected before
// the key is pressed, so nothing a click starts (a file dialog, a print run)
// gets in the way; what the test sees is which button the key reached.
using TWindowMaker = std::function<std::shared_ptr<QWidget>()>;
[[nodiscard]] QList<std::pair<QString, QStringList>> ButtonsPressedByReturn(const TWindowMaker &Make);

// Shows a window as the program does and waits until it is the active one.
::testing::AssertionResult ShowActive(QWidget *Window);
