#pragma once

#include "support/ReturnKey.h"

#include <QString>

#include <concepts>
#include <functional>
#include <memory>
#include <ostream>
#include <type_traits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

class QWidget;
class ScriptedMessageBoxes;

// The Return tests of a subsystem's windows as tables: a row names a window
// made over the test's fixture, and either the walk a person makes in it
// with Return (TReturnWalk) or only the window, whose every focused button
// must take Return itself (TButtonsRow). A subsystem's test file holds its
// fixture, its rows and one TEST_P a table:
//
//   using WalkCase = TReturnWalk<MyWindows>;
//   class ReturnWalks : public TReturnWalks<MyWindows> {};
//   TEST_P(ReturnWalks, toTheActionAndDoesIt) { walk(); }
//   INSTANTIATE_TEST_SUITE_P(Mine, ReturnWalks, ::testing::Values(WalkCase{...}), rowName);

// The child of Window of that object name (nullptr when there is none).
QWidget *ControlNamed(QWidget &Window, const char *Name);

// Types Text into the focused control as a person does, over what a line
// edit held (selected first, as a click into a filled field and Ctrl+A do).
void TypeOver(QWidget *Control, const QString &Text);

// A step of a row (the window's maker, the check at the end) that may use the
// fixture or not: a function of the fixture and Args, or of Args alone. Not
// explicit, so that a row names its steps bare.
template <typename Fixture, typename Result, typename... Args>
class TFixtureStep
{
public:
    template <typename F>
        requires(!std::same_as<std::remove_cvref_t<F>, TFixtureStep> && std::invocable<F &, Fixture &, Args...>)
    TFixtureStep(F step)
        : m_step(std::move(step))
    {
    }
    template <typename F>
        requires(!std::same_as<std::remove_cvref_t<F>, TFixtureStep> && !std::invocable<F &, Fixture &, Args...> &&
                 std::invocable<F &, Args...>)
    TFixtureStep(F step)
        : m_step([step = std::move(step)](Fixture &, Args... args) mutable {
            return step(std::forward<Args>(args)...);
        })
    {
    }

    Result operator()(Fixture &fixture, Args... args) const { return m_step(fixture, std::forward<Args>(args)...); }

private:
    std::function<Result(Fixture &, Args...)> m_step;
};

// The window of a row, made afresh for each use.
template <typename Fixture>
using TRowWindow = TFixtureStep<Fixture, std::shared_ptr<QWidget>>;

// What the user sees in the end, checked on the window.
template <typename Fixture>
using TRowCheck = TFixtureStep<Fixture, ::testing::AssertionResult, QWidget &>;

// A walk with Return: the user stands on a control, types there, presses
// Return, and again at each stop the focus reaches, as the window lays down.
template <typename Fixture>
struct TReturnWalk {
    const char *name;
    TRowWindow<Fixture> make;
    const char *control;             // where the user stands
    const char16_t *typed;           // what the user types there first (nullptr: nothing)
    std::vector<const char *> stops; // where each further Return is pressed
    TRowCheck<Fixture> done;         // what the user sees in the end
};

template <typename Fixture>
void PrintTo(const TReturnWalk<Fixture> &row, std::ostream *os)
{
    *os << row.name;
}

// The walks of a table over the fixture's windows.
template <typename Fixture>
class TReturnWalks : public Fixture, public ::testing::WithParamInterface<TReturnWalk<Fixture>>
{
protected:
    // Walks the row: the window shown and active, the focus put on the
    // control, Pick done there (a row chosen in a list, where the window
    // needs one), the text typed over what the control held, Return pressed
    // along the stops; then the row's check.
    void walk(const std::function<void(QWidget *control)> &Pick = {})
    {
        const TReturnWalk<Fixture> &row = this->GetParam();
        Fixture &fixture = *this;
        const std::shared_ptr<QWidget> window = row.make(fixture);
        ASSERT_TRUE(ShowActive(window.get()));
        QWidget *control = ControlNamed(*window, row.control);
        ASSERT_TRUE(FocusControl(control)) << row.control;
        if (Pick)
            Pick(control);
        if (row.typed)
            TypeOver(control, QString::fromUtf16(row.typed));
        QStringList stops;
        for (const char *stop : row.stops)
            stops << QLatin1String(stop);
        ASSERT_TRUE(ReturnAlong(control, stops));
        EXPECT_TRUE(row.done(fixture, *window));
    }
};

// A window whose focusable buttons each take Return themselves.
template <typename Fixture>
struct TButtonsRow {
    const char *name;
    TRowWindow<Fixture> make;
};

template <typename Fixture>
void PrintTo(const TButtonsRow<Fixture> &row, std::ostream *os)
{
    *os << row.name;
}

template <typename Fixture>
class TReturnOnAButton : public Fixture, public ::testing::WithParamInterface<TButtonsRow<Fixture>>
{
protected:
    // Each focusable button of the row's window, focused on a fresh window
    // and Return pressed: that button alone is clicked.
    void pressEachButton()
    {
        Fixture &fixture = *this;
        const auto pressed = ButtonsPressedByReturn([this, &fixture] { return this->GetParam().make(fixture); });
        ASSERT_FALSE(pressed.isEmpty());
        for (const auto &[button, clicked] : pressed)
            EXPECT_EQ(clicked.join(QStringLiteral(", ")).toStdString(), button.toStdString());
    }
};

// The checks rows end with.

// The dialog closed with OK (accepted), not cancelled nor still open.
::testing::AssertionResult DialogAccepted(QWidget &Window);

// The dialog accepted, and Then (a check of the window) true of it after.
template <typename Then>
auto DialogAcceptedAnd(Then then)
{
    return [then](QWidget &Window) -> ::testing::AssertionResult {
        ::testing::AssertionResult accepted = DialogAccepted(Window);
        if (!accepted)
            return accepted;
        return then(Window);
    };
}

// The last Return moved the focus on to the control of that name, in a
// window still open.
[[nodiscard]] std::function<::testing::AssertionResult(QWidget &)> FocusMovedTo(const char *Name);

// A message box whose text begins with Start was shown among Boxes.
::testing::AssertionResult BoxShown(const ScriptedMessageBoxes &Boxes, const QString &Start);

// The same, over the message boxes of the row's fixture (its `boxes`).
inline auto Told(const char16_t *Start)
{
    return [Start](auto &fixture, QWidget &) -> ::testing::AssertionResult {
        return BoxShown(fixture.boxes, QString::fromUtf16(Start));
    };
}
