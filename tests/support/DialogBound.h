#pragma once

#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

class QTimer;
class QWidget;

// A time bound on every dialog a test waits on. Tests answer a modal dialog
// (or a menu run modally) from a timer or from the window's own seams; when
// the answer never comes (the code under test showed another dialog, or a
// nested one the answering step itself waits in) the dialog's event loop
// would run for ever. Installed once by the shared test main, this watches
// the modal window while a test runs: one that stands unanswered for
// BoundMs of event-loop time fails the test, naming the window, and is
// closed, so the test goes on to its end and reports. After a first
// failure each further unanswered dialog of that test is closed at once.
// A progress dialog waits on its run, not on an answer, and is left alone.
class DialogBound : public ::testing::EmptyTestEventListener
{
public:
    static constexpr int BoundMs = 10'000;
    static constexpr int TickMs = 50;

    DialogBound();
    ~DialogBound() override;

    void OnTestStart(const ::testing::TestInfo &Test) override;
    void OnTestEnd(const ::testing::TestInfo &Test) override;

private:
    void tick();

    std::unique_ptr<QTimer> m_timer;
    QPointer<QWidget> m_watched;
    int m_waitedMs = 0;
    bool m_expired = false;
};
