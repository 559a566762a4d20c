#include "dialogs/DsnPrt.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DesignPrint : public ::testing::Test
{
protected:
    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    QPrinter printer{QPrinter::HighResolution};
    ScriptedMessageBoxes boxes;
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        printer.setOutputFormat(QPrinter::PdfFormat);
    }
    void storeCopies(int copies)
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteInteger(QStringLiteral("DESIGN PRINT"), QStringLiteral("Copy"), copies);
        ASSERT_TRUE(ini.UpdateFile());
    }
};

TEST_F(DesignPrint, StoredCopiesOutsideTheRangeOpenAsOne)
{
    for (const int stored : {0, 5000}) {
        storeCopies(stored);
        TDesignPrintDialog d(nullptr, printer);
        EXPECT_EQ(d.GetCopies(), 1) << stored;
    }
    storeCopies(7);
    TDesignPrintDialog d(nullptr, printer);
    EXPECT_EQ(d.GetCopies(), 7);
    EXPECT_EQ(printer.copyCount(), 7);
    EXPECT_EQ(d.findChild<QLabel *>(QStringLiteral("lblCopy"))->text(), QStringLiteral("7 枚"));
}

TEST_F(DesignPrint, EmptyContentNeverWarns)
{
    TDesignPrintDialog d(nullptr, printer);
    d.SetContentRect({});
    d.findChild<QScrollBar *>(QStringLiteral("scbHorz"))->setValue(0);
    EXPECT_FALSE(d.RangeWarningShown());
    d.SetContentRect({100, 100, 300, 300});
    EXPECT_TRUE(d.RangeWarningShown()); // shifted 50 mm left off the page
    d.findChild<QScrollBar *>(QStringLiteral("scbHorz"))->setValue(500);
    EXPECT_FALSE(d.RangeWarningShown());
    EXPECT_EQ(d.findChild<QLabel *>(QStringLiteral("lblHorz"))->text(), QStringLiteral("左："));
    saveScreenshot(&d, QStringLiteral("DesignPrintDialog"));
}

TEST_F(DesignPrint, PrinterChangeKeepsTheCopies)
{
    storeCopies(2);
    TDesignPrintDialog d(nullptr, printer);
    d.RunPrinterSetup = [](QPrinter &p, QWidget *) {
        p.setCopyCount(9);
        return true;
    };
    d.findChild<QPushButton *>(QStringLiteral("bbtnPrinters"))->click();
    EXPECT_TRUE(d.PrinterChanged);
    EXPECT_EQ(d.GetCopies(), 2);
}

TEST_F(DesignPrint, SettingsAreWrittenOnlyWhenPrintingIsConfirmed)
{
    {
        TDesignPrintDialog d(nullptr, printer);
        d.findChild<QScrollBar *>(QStringLiteral("scbVert"))->setValue(620);
        boxes.enqueue(IDNO);
        d.findChild<QPushButton *>(QStringLiteral("btnPrint"))->click();
        EXPECT_EQ(boxes.last().text, QStringLiteral("文面デザインを印刷します  \nよろしいですか？"));
        EXPECT_FALSE(TMemIniFile(SettingsFileName()).ValueExists(QStringLiteral("DESIGN PRINT"), QStringLiteral("OffsetY")));
        boxes.enqueue(IDYES);
        d.findChild<QPushButton *>(QStringLiteral("btnPrint"))->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.GetOffset(), QPoint(0, 120));
    }
    TDesignPrintDialog again(nullptr, printer);
    EXPECT_EQ(again.GetOffset(), QPoint(0, 120));
}

} // namespace
