// Every window that keeps its place opens again where the user closed it,
// start after start: opened from the main list, closed, opened again three
// times. Run here on the offscreen platform, and again on an X server with a
// window manager that frames the windows with a title bar, where a window's
// frame is known only once the manager has framed it.
#include "UserRoad.h"
#include "addressbook/AdrsCopy.h"
#include "dialogs/Sender.h"
#include "directory/NmAdSch.h"
#include "exchange/FImport.h"
#include "exchange/ListPrtPreview.h"
#include "exchange/MExport.h"
#include "support/RowName.h"
#include "support/WindowManagerRun.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

#include <functional>
#include <vector>

namespace {

class StoredPlace;

struct PlaceCase {
    const char *name;
    // Opens the window as the user does; the window, shown.
    std::function<QWidget *(StoredPlace &)> open;
    // Closes it as the user does.
    std::function<void(StoredPlace &, QWidget *)> close;
};

class StoredPlace : public UserRoadFixture, public ::testing::WithParamInterface<PlaceCase>
{
public:
    // The window the command opened, among the program's windows.
    template <typename Window>
    static Window *shownWindow()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *window = qobject_cast<Window *>(w); window && window->isVisible())
                return window;
        return nullptr;
    }
    void SetUp() override
    {
        UserRoadFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        // The windows that work on the list's records open on one.
        ASSERT_NO_FATAL_FAILURE(enterPerson(QStringLiteral("山田 太郎")));
    }
    void command(const char *Name) { action(Name)->trigger(); }
    void reopenList()
    {
        list->close();
        list.reset();
        openList();
    }
    TAddressList *mainList() const { return list.get(); }
};

TEST_P(StoredPlace, opensWhereItWasClosed)
{
    if (UnderWindowManager()) {
        ASSERT_TRUE(WaitForWindowManager()) << "no window manager frames the windows";
    }
    const PlaceCase &c = GetParam();
    std::vector<QPoint> corners;
    for (int start = 0; start < 4; ++start) {
        QWidget *window = c.open(*this);
        ASSERT_NE(window, nullptr) << "start " << start;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        ASSERT_TRUE(QTest::qWaitFor([window] { return !window->windowHandle()->frameMargins().isNull(); }));
        QTest::qWait(50); // the window system's last word on where it stands
        const QPoint corner = window->frameGeometry().topLeft();
        corners.push_back(corner);
        const QPointer<QWidget> open(window);
        c.close(*this, window);
        ASSERT_TRUE(QTest::qWaitFor([&open] { return !open || !open->isVisible(); }));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (start > 0) {
            EXPECT_EQ(corner, corners.front()) << "start " << start << " opened at " << corner.x() << ","
                                               << corner.y() << ", the first at " << corners.front().x() << ","
                                               << corners.front().y();
        }
    }
}

void closeWindow(StoredPlace &, QWidget *Window)
{
    Window->close();
}

INSTANTIATE_TEST_SUITE_P(
    Windows, StoredPlace,
    ::testing::Values(
        PlaceCase{"mainList", [](StoredPlace &t) -> QWidget * { return t.mainList(); },
                  [](StoredPlace &t, QWidget *) { t.reopenList(); }},
        PlaceCase{"recordForm",
                  [](StoredPlace &t) -> QWidget * {
                      t.command("actNumerSearch");
                      return DataInquiry;
                  },
                  [](StoredPlace &, QWidget *) {
                      DataInquiry->SetSkipConfirm(true);
                      DataInquiry->close();
                  }},
        PlaceCase{"textImport",
                  [](StoredPlace &t) -> QWidget * {
                      auto *window = new TFileImport(t.mainList());
                      window->setAttribute(Qt::WA_DeleteOnClose);
                      window->show();
                      return window;
                  },
                  [](StoredPlace &, QWidget *Window) { static_cast<QDialog *>(Window)->reject(); }},
        PlaceCase{"textExport",
                  [](StoredPlace &t) -> QWidget * {
                      t.command("actExportFile");
                      return StoredPlace::shownWindow<TFileExport>();
                  },
                  closeWindow},
        PlaceCase{"markExport",
                  [](StoredPlace &t) -> QWidget * {
                      const TRowWindowOpener kept = MarkExportOpener;
                      RegisterMarkExport();
                      t.command("actMarkExport");
                      MarkExportOpener = kept;
                      return StoredPlace::shownWindow<TMarkExport>();
                  },
                  closeWindow},
        PlaceCase{"listPrint",
                  [](StoredPlace &t) -> QWidget * {
                      t.command("actListPrint");
                      return StoredPlace::shownWindow<TListPrint>();
                  },
                  closeWindow},
        PlaceCase{"listPreview",
                  [](StoredPlace &t) -> QWidget * {
                      t.command("actListPrint");
                      auto *print = StoredPlace::shownWindow<TListPrint>();
                      if (!print)
                          return nullptr;
                      print->rbAll->setChecked(true);
                      print->btnPreview->click();
                      return print->Preview();
                  },
                  [](StoredPlace &, QWidget *Window) {
                      Window->close();
                      if (auto *print = StoredPlace::shownWindow<TListPrint>())
                          print->close();
                  }},
        PlaceCase{"copyToABook",
                  [](StoredPlace &t) -> QWidget * {
                      t.command("actAdrsCopy");
                      return StoredPlace::shownWindow<TAddressCopy>();
                  },
                  closeWindow},
        PlaceCase{"senderRecords",
                  [](StoredPlace &t) -> QWidget * {
                      if (!DMMurven19->OpenSender())
                          return nullptr;
                      auto *window = new TSenderForm(t.mainList());
                      window->setAttribute(Qt::WA_DeleteOnClose);
                      window->show();
                      return window;
                  },
                  [](StoredPlace &, QWidget *Window) {
                      static_cast<QDialog *>(Window)->reject();
                      DMMurven19->CloseSender();
                  }},
        PlaceCase{"nameAndAddressSearch",
                  [](StoredPlace &t) -> QWidget * {
                      t.command("actNameAdrsSearch");
                      return NameAdrsSearchWindow;
                  },
                  closeWindow}),
    rowName);

// The same windows on a desktop's window system.
TEST(StoredPlaceUnderAWindowManager, opensWhereItWasClosed)
{
    if (UnderWindowManager()) {
        GTEST_SKIP() << "the child runs the cases themselves";
    }
    const TWindowManagerRun run = RunUnderWindowManager(QStringLiteral("Windows/StoredPlace.*"));
    if (!run.Ran) {
        GTEST_SKIP() << run.SkipReason.toStdString();
    }
    EXPECT_EQ(run.ExitCode, 0) << run.Output.toStdString();
    EXPECT_TRUE(run.Output.contains(QStringLiteral("[  PASSED  ] 10 tests"))) << run.Output.toStdString();
}

} // namespace
