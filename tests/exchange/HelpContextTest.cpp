// F1 in the import, export and list-print windows opens the manual at the
// page about them: the page the viewer is asked to open carries the heading
// the manual's contents give the window. The list print's page follows the
// page of settings the user shows.

#include "ExportWindowFixture.h"
#include "exchange/ConstIn.h"
#include "exchange/FExpPw.h"
#include "exchange/FExport.h"
#include "exchange/FImport.h"
#include "exchange/ListPrt.h"
#include "exchange/ListPrtPreview.h"
#include "exchange/MExport.h"
#include "exchange/SetOrdVw.h"
#include "support/ManualF1.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

class ExchangeWindows : public ExportWindowFixture
{
public:
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
        made.reset();
        delete FileExport;
        delete MarkExport;
        delete listPrint.data();
        FileExportOpener = nullptr;
        MarkExportOpener = nullptr;
        ListPrintOpener = savedListPrint;
        BookFixture::TearDown();
    }
    TListPrint *openListPrint()
    {
        action("actListPrint")->trigger();
        listPrint = list->findChild<TListPrint *>();
        return listPrint;
    }

    // The window a case makes, kept until the case ends.
    QWidget *keep(std::unique_ptr<QWidget> window)
    {
        made = std::move(window);
        return made.get();
    }
    QWidget *fileExport()
    {
        action("actExportFile")->trigger();
        return FileExport;
    }
    QWidget *markExport()
    {
        action("actMarkExport")->trigger();
        return MarkExport;
    }

    TListPrintOpener savedListPrint;
    QPointer<TListPrint> listPrint;
    std::unique_ptr<QWidget> made;
    ManualF1 manual;
};

struct WindowPage {
    const char *name;
    std::function<QWidget *(ExchangeWindows &)> window; // F1 where it puts the focus
    const char16_t *heading;                            // as the manual's contents name the page
};

class ExchangeManualPages : public ExchangeWindows, public ::testing::WithParamInterface<WindowPage>
{
};

TEST_P(ExchangeManualPages, f1OpensThePageAboutTheWindow)
{
    QWidget *window = GetParam().window(*this);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(manual.HeadingOpenedByF1In(window), ManualF1::AsRead(GetParam().heading));
}

using E = ExchangeWindows;

INSTANTIATE_TEST_SUITE_P(
    Windows, ExchangeManualPages,
    ::testing::Values(
        WindowPage{"fileImport", [](E &f) { return f.keep(std::make_unique<TFileImport>(nullptr)); },
                   u"テキストファイルの取り込み"},
        WindowPage{"constantInput",
                   [](E &f) { return f.keep(std::make_unique<TConstantInput>(nullptr, 20)); },
                   u"取り込み － 項目の設定"},
        WindowPage{"setOrderView",
                   [](E &f) {
                       return f.keep(std::make_unique<TSetOrderView>(nullptr, QStringList{QStringLiteral("名前")}));
                   },
                   u"取り込み － 項目の設定"},
        WindowPage{"fileExport", [](E &f) { return f.fileExport(); }, u"テキストファイルの出力"},
        WindowPage{"exportPassword",
                   [](E &f) { return f.keep(std::make_unique<TFileExportPassword>(nullptr)); },
                   u"自己復元パスワードの入力"},
        WindowPage{"markExport", [](E &f) { return f.markExport(); }, u"マークファイルの出力"}),
    [](const ::testing::TestParamInfo<WindowPage> &info) { return std::string(info.param.name); });

TEST_F(ExchangeWindows, theImportsAssignmentHasAPageOfItsOwn)
{
    TFileImport window(nullptr);
    // The assignment is open once a file is read.
    const QString file = DataPath + QStringLiteral("in.csv");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(Cp932::encode(QStringLiteral("名前,電話\r\n山田,03\r\n")));
    }
    ASSERT_TRUE(window.LoadFile(file));
    EXPECT_EQ(manual.HeadingOpenedByF1(window.sgDest), ManualF1::AsRead(u"取り込み － 項目の設定"));
    EXPECT_EQ(manual.HeadingOpenedByF1(window.findChild<QRadioButton *>(QStringLiteral("rbImportAdd"))),
              ManualF1::AsRead(u"テキストファイルの取り込み"));
}

TEST_F(ExchangeWindows, theListPrintPageButtonsTurnTheManualPage)
{
    TListPrint *print = openListPrint();
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(manual.HeadingOpenedByF1In(print), ManualF1::AsRead(u"一覧表の印刷 － 印刷内容"));
    const std::pair<QToolButton *, const char16_t *> pages[] = {{print->sbtnFormat, u"一覧表の印刷 － 書式"},
                                                                {print->sbtnLines, u"一覧表の印刷 － 罫線・色"},
                                                                {print->sbtnRange, u"一覧表の印刷 － 範囲・プリンター"},
                                                                {print->sbtnContents, u"一覧表の印刷 － 印刷内容"}};
    for (const auto &[button, heading] : pages) {
        QTest::mouseClick(button, Qt::LeftButton);
        // F1 where the page puts the focus, as the user goes on there.
        EXPECT_EQ(manual.HeadingOpenedByF1(QApplication::focusWidget()), ManualF1::AsRead(heading))
            << button->objectName().toStdString();
    }
}

TEST_F(ExchangeWindows, theListPrintsPreviewOpensThePageAboutPreviews)
{
    TListPrint *print = openListPrint();
    ASSERT_NE(print, nullptr);
    print->PrinterInfo().SelectPdf(DataPath + QStringLiteral("p.pdf"));
    print->rbAll->setChecked(true);
    print->btnPreview->click();
    ASSERT_NE(print->Preview(), nullptr);
    EXPECT_EQ(manual.HeadingOpenedByF1In(print->Preview()), ManualF1::AsRead(u"表示メニューと印刷プレビュー"));
}

} // namespace
