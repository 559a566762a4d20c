#include "addressbook/BookFixture.h"
#include "addressbook/TableBook.h"
#include "core/Env.h"
#include "exchange/ListPrt.h"
#include "exchange/ListPrtText.h"
#include "platform/IniFile.h"
#include "support/FileHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

namespace {

class ListPrintWindowTest : public BookFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        DMMurven19->CreateDatabase();
        DMMurven19->Connect();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        table.BeginBatch();
        for (int i = 1; i <= 250; ++i)
            appendRecord(table, {{"CustomCode", Cp932::encode(QStringLiteral("C%1").arg(i, 4, 10, QLatin1Char('0')))}});
        table.EndBatch();
        saved = ListPrintOpener;
        RegisterListPrint();
    }
    void TearDown() override
    {
        delete window.data();
        ListPrintOpener = saved;
        BookFixture::TearDown();
    }
    TListPrint *open()
    {
        openList();
        QAction *command = action("actListPrint");
        EXPECT_NE(command, nullptr);
        EXPECT_TRUE(command->isEnabled());
        command->trigger();
        window = list->findChild<TListPrint *>();
        return window;
    }
    // Selects the source row of item and sets it at the end of the columns.
    static void setItem(TListPrint *w, int item)
    {
        for (int row = 0; row < w->lbxSrc->count(); ++row)
            if (w->lbxSrc->item(row)->data(Qt::UserRole).toInt() == item)
                w->lbxSrc->setCurrentRow(row);
        ASSERT_EQ(w->lbxSrc->currentItem()->data(Qt::UserRole).toInt(), item);
        w->lbxDest->setCurrentRow(w->lbxDest->count() - 1);
        w->bbtnSet->click();
    }
    TListPrintOpener saved;
    QPointer<TListPrint> window;
};

} // namespace

TEST_F(ListPrintWindowTest, theMainListCommandOpensOneWindow)
{
    TListPrint *first = open();
    ASSERT_NE(first, nullptr);
    action("actListPrint")->trigger();
    EXPECT_EQ(list->findChildren<TListPrint *>().size(), 1);
    // Every item stands in one of the two lists; the blank in the source list always.
    int blanks = 0;
    for (const TListPrintColumn &c : first->ColumnEditor().Columns())
        blanks += c.ItemNo == 0 ? 1 : 0;
    EXPECT_EQ(first->lbxSrc->count() + first->lbxDest->count() - 1 - blanks, 45);
}

TEST_F(ListPrintWindowTest, columnsAreAddedOnceMovedAndPrintWaitsForThem)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->rbAll->setChecked(true);
    w->bbtnAllDelete->click();
    EXPECT_FALSE(w->btnPrint->isEnabled());
    EXPECT_FALSE(w->btnSave->isEnabled());
    for (int item : {3, 0, 0, 1})
        setItem(w, item);
    // 顧客コード has left the source list; the blank stays and stands twice.
    ASSERT_EQ(w->lbxDest->count(), 5);
    EXPECT_EQ(w->lbxSrc->count(), 43);
    EXPECT_EQ(w->CollectLayout().Columns.back().ItemNo, 1);
    w->lbxDest->setCurrentRow(3);
    EXPECT_FALSE(w->bbtnDown->isEnabled());
    w->bbtnUp->click();
    EXPECT_EQ(w->CollectLayout().Columns[2].ItemNo, 1);
    EXPECT_EQ(w->lbxDest->currentRow(), 2);
    EXPECT_TRUE(w->btnPrint->isEnabled());
}

TEST_F(ListPrintWindowTest, aRangeAndTheRowsPerPageGiveTheSheetCount)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->rbRange->setChecked(true);
    w->edtRangeBegin->setValue(5);
    w->edtRangeEnd->setValue(20);
    EXPECT_EQ(w->DataCount(), 16);
    w->edtRangeBegin->setValue(30);
    EXPECT_EQ(w->edtRangeEnd->value(), 30);
    const int one = w->RecordsPerPage();
    w->cbxRows->setCurrentIndex(2);
    w->UpdatePageCapacity();
    EXPECT_LT(w->RecordsPerPage(), one);
    w->rbAll->setChecked(true);
    EXPECT_EQ(w->PageCount(), ListPageCount(250, w->RecordsPerPage()));
    EXPECT_EQ(w->lblPaperCount->text(), QStringLiteral("%1 枚").arg(w->PageCount()));
}

TEST_F(ListPrintWindowTest, printingToPdfWritesTheCountedPagesAndKeepsTheSettings)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    const QString pdf = DataPath + QStringLiteral("list.pdf");
    w->PrinterInfo().SelectPdf(pdf);
    w->rbAll->setChecked(true);
    w->bbtnAllDelete->click();
    for (int item : {1, 3})
        setItem(w, item);
    w->UpdatePageCapacity();
    const int pages = w->PageCount();
    ASSERT_GT(pages, 1);
    EXPECT_TRUE(w->PrintList());
    const QString text = QString::fromLatin1(fileBytes(pdf));
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))), pages);
    const TMemIniFile ini(SettingsFileName());
    EXPECT_EQ(ini.ReadString(QStringLiteral("LIST PRINT LAYOUT"), QStringLiteral("ItemNo"), {}), QStringLiteral("1,3"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("LIST PRINT"), QStringLiteral("DataSelect"), -1), 2);
    EXPECT_TRUE(QFile::exists(DataRoot + QStringLiteral("LstPrint.pi")));
}

TEST_F(ListPrintWindowTest, aPageTooSmallForOneRecordRefusesToPrint)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(DataPath + QStringLiteral("none.pdf"));
    w->PrinterInfo().Printer().setPageSize(QPageSize(QPageSize::A7));
    w->rbAll->setChecked(true);
    setItem(w, 3);
    w->cbxFontSize->setCurrentIndex(23);
    w->cbxRows->setCurrentIndex(2);
    w->edtOffsetY->setText(QStringLiteral("50"));
    emit w->edtOffsetY->editingFinished();
    EXPECT_EQ(w->edtOffsetY->text(), QStringLiteral("50.0"));
    EXPECT_FALSE(w->PrintList());
    EXPECT_LE(w->RecordsPerPage(), 0);
    EXPECT_FALSE(QFile::exists(DataPath + QStringLiteral("none.pdf")));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, ListPrintNoRoomMessage);
}

TEST_F(ListPrintWindowTest, selectedRowsAreTakenInListOrderAndARangeIsCutToTheList)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    selectRows({2, 7, 40});
    w->rbAll->setChecked(true);
    w->rbList->setChecked(true);
    EXPECT_EQ(w->DataCount(), 3);
    const std::vector<qint32> selected = TakeListPrintRecords(*list, 0, 0, 0);
    EXPECT_EQ(selected, (std::vector<qint32>{list->GetRowRecNo(2), list->GetRowRecNo(7), list->GetRowRecNo(40)}));
    EXPECT_EQ(TakeListPrintRecords(*list, 1, 249, 300).size(), 2U);
    EXPECT_TRUE(TakeListPrintRecords(*list, 1, 0, 0).empty());
    EXPECT_EQ(TakeListPrintRecords(*list, 2, 0, 0).size(), 250U);
}
