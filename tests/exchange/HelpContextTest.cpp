// The import, export and list-print windows answer F1 with their manual
// pages; the list print's page follows the page the user shows.

#include "ExportWindowFixture.h"
#include "core/PDFHelp.h"
#include "exchange/FExpPw.h"
#include "exchange/FExport.h"
#include "exchange/ListPrt.h"
#include "exchange/MExport.h"

#include <QAction>
#include <QPointer>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class ExchangeHelpContexts : public ExportWindowFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(openBookOfSix([](TTable &, int) {}));
        RegisterFileExport();
        RegisterMarkExport();
        savedListPrint = ListPrintOpener;
        RegisterListPrint();
    }
    void TearDown() override
    {
        delete FileExport;
        delete MarkExport;
        delete listPrint.data();
        FileExportOpener = nullptr;
        MarkExportOpener = nullptr;
        ListPrintOpener = savedListPrint;
        BookFixture::TearDown();
    }

    TListPrintOpener savedListPrint;
    QPointer<TListPrint> listPrint;
};

TEST_F(ExchangeHelpContexts, theExportWindowsOfTheFileMenuAnswerWithTheirPages)
{
    action("actExportFile")->trigger();
    ASSERT_NE(FileExport, nullptr);
    EXPECT_EQ(HelpContextOf(FileExport), 59);
    EXPECT_EQ(HelpContextOf(FileExport->sgDest), 59);
    action("actMarkExport")->trigger();
    ASSERT_NE(MarkExport, nullptr);
    EXPECT_EQ(HelpContextOf(MarkExport), 62);
    TFileExportPassword password(nullptr);
    EXPECT_EQ(HelpContextOf(&password), 61);
}

TEST_F(ExchangeHelpContexts, theListPrintPageButtonsTurnTheManualPage)
{
    action("actListPrint")->trigger();
    listPrint = list->findChild<TListPrint *>();
    ASSERT_NE(listPrint, nullptr);
    EXPECT_EQ(HelpContextOf(listPrint), 124);
    const std::pair<QToolButton *, int> pages[] = {{listPrint->sbtnFormat, 126},
                                                   {listPrint->sbtnLines, 127},
                                                   {listPrint->sbtnRange, 128},
                                                   {listPrint->sbtnContents, 124}};
    for (const auto &[button, context] : pages) {
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(HelpContextOf(listPrint), context) << button->objectName().toStdString();
        // A control of the page shown asks for the same page.
        EXPECT_EQ(HelpContextOf(listPrint->pgcPages->currentWidget()), context);
    }
}

} // namespace
