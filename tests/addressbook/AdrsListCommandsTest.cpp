// The main list's commands that open the record form, the batch change and
// the copy window, and what they do with the list afterwards.

#include "DtInqiryFixture.h"

#include "addressbook/AdrsCopy.h"
#include "addressbook/BatchChg.h"
#include "core/Env.h"
#include "core/Environment.h"
#include "directory/NmAdSch.h"

#include <QComboBox>
#include <QPushButton>
#include <QToolButton>

#include <QTest>
#include <QScopeGuard>
#include <QTimer>

namespace {

using ListCommandsTest = RecordFormTest;

TEST_F(ListCommandsTest, inquiryOpensTheFormOnTheOneSelectedRowAndNavigatesTheList)
{
    list->SelectRow(1, true, false);
    list->SelectRow(3, false, false);
    action("actInquiry")->trigger();
    form = DataInquiry;
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(list->GetSelCount(), 1);
    EXPECT_EQ(list->InquiryRow(), list->GetFirstSelected());
    EXPECT_EQ(form->NavigationSource(), 1);
    EXPECT_EQ(form->GetCurrentRecNo(), list->GetRowRecNo(list->InquiryRow()));
    // Asking again for the same row only brings the form forward.
    TDataInquiry *same = DataInquiry;
    action("actInquiry")->trigger();
    EXPECT_EQ(DataInquiry, same);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ListCommandsTest, deletingTheShownRecordClosesTheFormWithoutAsking)
{
    list->SelectRow(2, true, false);
    action("actInquiry")->trigger();
    form = DataInquiry;
    ASSERT_NE(form, nullptr);
    setText(QStringLiteral("edtURL"), QStringLiteral("http://example.jp/")); // an edit pending
    boxes.enqueue(IDYES); // the delete question only
    action("actDelete")->trigger();
    flushDeletes();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(DataInquiry, nullptr);
    EXPECT_EQ(list->GetRowCount(), kBookRows - 1);
}

TEST_F(ListCommandsTest, batchChangeClosesTheFormAndReselectsTheFirstRow)
{
    list->SelectRow(2, true, false);
    action("actInquiry")->trigger();
    ASSERT_NE(DataInquiry, nullptr);
    list->SelectRow(1, true, false);
    list->SelectRow(4, false, false);
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TBatchChange *>(QApplication::activeModalWidget());
        ran = dialog != nullptr;
        if (dialog)
            dialog->reject();
    });
    action("actBatchChange")->trigger();
    flushDeletes();
    EXPECT_TRUE(ran);
    EXPECT_EQ(DataInquiry, nullptr);
}

// An update that ends the program closes the list as any close does: the
// record form with an edit pending is asked first, and Cancel keeps both.
TEST_F(ListCommandsTest, anUpdateThatEndsTheProgramAsksThePendingRecordFirst)
{
    list->SelectRow(2, true, false);
    action("actInquiry")->trigger();
    form = DataInquiry;
    ASSERT_NE(form, nullptr);
    setText(QStringLiteral("edtURL"), QStringLiteral("http://example.jp/")); // an edit pending
    // A server is set: the settings offer the check.
    const QString savedDomain = UpdateDomain;
    UpdateDomain = QStringLiteral("updates.example.jp");
    const auto restore = qScopeGuard([&] { UpdateDomain = savedDomain; });
    bool updated = false;
    QTimer::singleShot(0, [&] {
        auto *settings = qobject_cast<TEnvironment *>(QApplication::activeModalWidget());
        if (!settings)
            return;
        settings->UpdateRun = [&](QWidget *) {
            updated = true;
            return true; // the update program has started and waits for this run to end
        };
        settings->findChild<QPushButton *>(QStringLiteral("bbtnUpdate"))->click();
    });
    boxes.enqueue(IDCANCEL);
    action("actEnvironment")->trigger();
    ASSERT_TRUE(updated);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("照会中のデータが変更されています"))) << boxes.last().text.toStdString();
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(DataInquiry, form.data());
}

// Another map program chosen in the settings: the open record form's map
// button names it at once.
TEST_F(ListCommandsTest, theOpenRecordFormTakesOverANewMapProgram)
{
    const int keptMap = CooperateMap;
    CooperateMap = 2;
    list->SelectRow(0, true, false);
    action("actInquiry")->trigger();
    form = DataInquiry;
    ASSERT_NE(form, nullptr);
    auto *map = form->findChild<QToolButton *>(QStringLiteral("bbtnMap"));
    ASSERT_NE(map, nullptr);
    const QString before = map->toolTip();
    QTimer::singleShot(0, [] {
        auto *settings = qobject_cast<TEnvironment *>(QApplication::activeModalWidget());
        if (!settings)
            return;
        settings->findChild<QComboBox *>(QStringLiteral("cbxMapSoft"))->setCurrentIndex(5);
        settings->findChild<QPushButton *>(QStringLiteral("btnSet"))->click();
    });
    action("actEnvironment")->trigger();
    const int chosen = CooperateMap;
    CooperateMap = keptMap;
    EXPECT_EQ(chosen, 5);
    EXPECT_NE(map->toolTip(), before);
    EXPECT_TRUE(map->toolTip().contains(QStringLiteral("MapFan"))) << map->toolTip().toStdString();
}

TEST_F(ListCommandsTest, theSettingsDialogReachesTheHardDiskInstallation)
{
    bool enabled = false;
    QTimer::singleShot(0, [&] {
        auto *settings = qobject_cast<TEnvironment *>(QApplication::activeModalWidget());
        if (!settings)
            return;
        enabled = settings->findChild<QPushButton *>(QStringLiteral("bbtnHDDInstall"))->isEnabled();
        settings->reject();
    });
    action("actEnvironment")->trigger();
    EXPECT_TRUE(enabled);
}

TEST_F(ListCommandsTest, copyWindowIsOneAndClosesWithTheList)
{
    list->SelectRow(0, true, false);
    action("actAdrsCopy")->trigger();
    ASSERT_NE(AddressCopy, nullptr);
    TAddressCopy *first = AddressCopy;
    action("actAdrsCopy")->trigger();
    EXPECT_EQ(AddressCopy, first);
    EXPECT_TRUE(list->CloseChildWindows());
    flushDeletes();
    EXPECT_EQ(AddressCopy, nullptr);
}

TEST_F(ListCommandsTest, directorySearchClosesWithTheOtherChildWindows)
{
    action("actNameAdrsSearch")->trigger();
    ASSERT_NE(NameAdrsSearchWindow, nullptr);
    ASSERT_TRUE(NameAdrsSearchWindow->isVisible());
    EXPECT_TRUE(list->CloseChildWindows());
    EXPECT_FALSE(NameAdrsSearchWindow && NameAdrsSearchWindow->isVisible());
}

// The list runs modally for the program's whole life; the record form is a
// window of its own beside it and must take the user's clicks.
TEST_F(ListCommandsTest, recordFormTakesClicksWhileTheListRunsModally)
{
    bool company = false;
    QTimer::singleShot(0, [&] {
        form = new TDataInquiry;
        form->StartNewRecord();
        form->show();
        if (QTest::qWaitForWindowExposed(form)) {
            auto *corp = child<QAbstractButton>(QStringLiteral("sbtnCorp"));
            const QPoint at = corp->mapTo(form, corp->rect().center());
            QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, at);
            company = corp->isChecked();
        }
        list->reject();
    });
    list->hide(); // shown again by exec, as the program shows it: modally
    list->exec();
    EXPECT_TRUE(company);
}

} // namespace
