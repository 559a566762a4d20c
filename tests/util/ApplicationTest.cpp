#include "util/Application.h"

#include "platform/Exception.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

struct EscapeCase { const char *name; std::function<void()> raise; QString message; };

class EscapingException : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapingException, isReportedAndTheProgramGoesOn)
{
    ASSERT_NE(dynamic_cast<TApplication *>(QCoreApplication::instance()), nullptr);
    ScriptedMessageBoxes boxes;
    QWidget window;
    auto *button = new QPushButton(QStringLiteral("OK"), &window);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] {
        if (++clicks == 1)
            GetParam().raise();
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, GetParam().message);
    EXPECT_EQ(boxes.last().caption, ProductCaption());
    EXPECT_EQ(boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONERROR));

    // The window and the event loop carry on: the next click and a queued call both arrive.
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    bool queued = false;
    QTimer::singleShot(0, &window, [&] { queued = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return queued; }, 5000));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(boxes.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EscapingException,
    ::testing::Values(EscapeCase{"ProgramOwn", [] { throw EOSError(QStringLiteral("ディスクがいっぱいです")); },
                                 QStringLiteral("ディスクがいっぱいです")},
                      EscapeCase{"Standard", [] { throw std::runtime_error("vector too long"); },
                                 QStringLiteral("vector too long")}),
    rowName);

} // namespace
