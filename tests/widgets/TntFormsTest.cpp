#include "widgets/TntControls.h"
#include "widgets/TntForms.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// ---- Title ------------------------------------------------------------------------

TEST(TntApplicationTitle, setBeforeTheMainWindowIsShownWhenItAppears)
{
    TTntApplication *app = TntApplication();
    ASSERT_EQ(app->MainWindow(), nullptr) << "no main window may be left over from another test";
    app->SetTitle(QStringLiteral("ピルカノス2014"));
    EXPECT_EQ(app->Title(), QStringLiteral("ピルカノス2014"));

    // A dialog (the start-up password, say) is not the main window.
    QDialog password;
    password.show();
    EXPECT_EQ(app->MainWindow(), nullptr);
    EXPECT_NE(password.windowTitle(), QStringLiteral("ピルカノス2014"));
    password.close();

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("仮"));
    window.show();
    EXPECT_EQ(app->MainWindow(), &window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ピルカノス2014"));

    // From now on the title is the window's; a second top-level window does not take it over.
    app->SetTitle(QStringLiteral("住所録 𠮷"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("住所録 𠮷"));
    QWidget other;
    other.show();
    EXPECT_EQ(app->MainWindow(), &window);
}

// ---- Hint -------------------------------------------------------------------------

// A window with a hinted panel holding a hinted button and a label without a hint.
struct HintWindow {
    QWidget window;
    QWidget *panel;
    QPushButton *button;
    QLabel *label;
    QWidget *outside;

    HintWindow()
    {
        auto *layout = new QVBoxLayout(&window);
        panel = new QWidget(&window);
        panel->setObjectName(QStringLiteral("pnlTop"));
        panel->setMinimumSize(200, 120);
        auto *inner = new QVBoxLayout(panel);
        button = new QPushButton(QStringLiteral("開く"), panel);
        button->setObjectName(QStringLiteral("btnOpen"));
        label = new QLabel(QStringLiteral("ラベル"), panel);
        inner->addWidget(button);
        inner->addWidget(label);
        outside = new QLabel(QStringLiteral("外"), &window);
        layout->addWidget(panel);
        layout->addWidget(outside);
        SetWideHint(panel, QStringLiteral("枠|枠の説明"));
        SetWideHint(button, QStringLiteral("開く|別のアドレス帳を開きます 𠮷"));
        window.resize(240, 200);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

void moveTo(QWidget *widget)
{
    QTest::mouseMove(widget, widget->rect().center());
    QCoreApplication::processEvents();
}

TEST(TntApplicationHint, followsTheLongHintOfTheControlUnderTheMouse)
{
    TTntApplication *app = TntApplication();
    int notified = 0;
    app->OnHint = [&] { ++notified; };
    HintWindow w;

    moveTo(w.button);
    EXPECT_EQ(app->Hint(), QStringLiteral("別のアドレス帳を開きます 𠮷"));
    EXPECT_GT(notified, 0);

    // No hint of its own: the panel's.
    moveTo(w.label);
    EXPECT_EQ(app->Hint(), QStringLiteral("枠の説明"));

    // Nothing hinted around it.
    moveTo(w.outside);
    EXPECT_EQ(app->Hint(), QString());

    app->OnHint = nullptr;
}

TEST(TntApplicationHint, takesTheLongHintOfTheMenuItemUnderTheMouse)
{
    TTntApplication *app = TntApplication();
    QWidget window;
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QMenu menu(&window);
    QAction *open = menu.addAction(QStringLiteral("開く(&O)..."));
    open->setStatusTip(QStringLiteral("別のアドレス帳を開きます"));
    menu.addAction(QStringLiteral("閉じる"));
    menu.popup(window.mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    QTest::mouseMove(&menu, menu.actionGeometry(open).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(app->Hint(), QStringLiteral("別のアドレス帳を開きます"));
    menu.close();
}

} // namespace
