// Return in the import, export and list-print windows, pressed where a
// person presses it. Enter walks each window's fields as the window lays
// down; where the walk reaches the button that acts (出力, 印刷, OK), Return
// there does what the button does; and any focused button takes Return
// itself. No field of these windows swallows Return without a trace.

#include "ExportWindowFixture.h"
#include "core/Env.h"
#include "exchange/ConstIn.h"
#include "exchange/FExpPw.h"
#include "exchange/FImport.h"
#include "exchange/ListPrt.h"
#include "exchange/ListPrtPreview.h"
#include "exchange/MExport.h"
#include "exchange/SetOrdVw.h"
#include "support/ReturnWalk.h"
#include "support/RowName.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

// The six named records in the main list, and the windows over them.
class ExchangeWindows : public ExportWindowFixture
{
public:
    using BookFixture::boxes;
    using BookFixture::list;
    using ExportWindowFixture::written;

    void SetUp() override
    {
        BookFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(openNamedBookForExport());
        target = DataPath + QStringLiteral("out/export.txt");
        RegisterMarkExport();
        m_listPrintOpener = ListPrintOpener;
        RegisterListPrint();
    }
    void TearDown() override
    {
        // Closed first, as the user closes them: a field left by the focus
        // does its work while its window still stands.
        QList<QPointer<QWidget>> windows{FileExport, MarkExport};
        for (TListPrint *w : list->findChildren<TListPrint *>())
            windows << w;
        for (const QPointer<QWidget> &w : windows)
            if (w)
                w->close();
        settle();
        for (const QPointer<QWidget> &w : windows)
            delete w.data();
        TFileExport::SaveDialogOverride = nullptr;
        FileExportOpener = nullptr;
        MarkExportOpener = nullptr;
        ListPrintOpener = m_listPrintOpener;
        BookFixture::TearDown();
    }
    // A window closed by its run is gone once its deletion ran.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // The export window with the names as its one column, plain text.
    std::shared_ptr<QWidget> exportWindow()
    {
        settle();
        delete FileExport;
        action("actExportFile")->trigger();
        TFileExport &w = *FileExport;
        w.rbNormal->click();
        w.sgDest->selectRow(0);
        w.sgSrc->selectRow(eiName);
        w.SetItem();
        return {FileExport, [](QWidget *) {}};
    }
    std::shared_ptr<QWidget> markWindow()
    {
        settle();
        delete MarkExport;
        action("actMarkExport")->trigger();
        return {MarkExport, [](QWidget *) {}};
    }
    // The list print on one of its pages (0 to 3), as its page button shows it.
    std::shared_ptr<QWidget> listPrint(int page)
    {
        settle();
        for (TListPrint *w : list->findChildren<TListPrint *>())
            delete w;
        action("actListPrint")->trigger();
        auto *w = list->findChild<TListPrint *>();
        const char *buttons[] = {"sbtnContents", "sbtnFormat", "sbtnLines", "sbtnRange"};
        w->findChild<QAbstractButton *>(QLatin1String(buttons[page]))->click();
        return {w, [](QWidget *) {}};
    }

    // The import window with a file of names and telephones loaded.
    std::shared_ptr<QWidget> importWindow()
    {
        const QString path = DataPath + QStringLiteral("in.csv");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Cp932::encode(QStringLiteral("名前,電話\r\n山田,0312345678\r\n")));
        file.close();
        auto window = std::make_shared<TFileImport>(nullptr);
        EXPECT_TRUE(window->LoadFile(path));
        return window;
    }

    // The preview the list print opens with its button.
    std::shared_ptr<QWidget> preview()
    {
        auto *w = static_cast<TListPrint *>(listPrint(0).get());
        w->findChild<QAbstractButton *>(QStringLiteral("btnPreview"))->click();
        return {w->Preview(), [](QWidget *) {}};
    }

private:
    TListPrintOpener m_listPrintOpener;
};

using WalkCase = TReturnWalk<ExchangeWindows>;

class ReturnWalks : public TReturnWalks<ExchangeWindows>
{
};

TEST_P(ReturnWalks, asTheWindowLaysDown)
{
    walk();
}

using X = ExchangeWindows;

std::shared_ptr<QWidget> listPrint(X &f, int page)
{
    return f.listPrint(page);
}

// The list print asked before it printed anything; the answer is No.
std::shared_ptr<QWidget> listPrintAnsweredNo(X &f, int page)
{
    f.boxes.enqueue(IDNO);
    return f.listPrint(page);
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, ReturnWalks,
    ::testing::Values(
        // テキストファイルの出力: 携帯番号２ leads to 出力, which writes the file.
        WalkCase{"exportLastOption", [](X &f) { return f.exportWindow(); }, "chkEditPortable2", nullptr, {"btnExport"},
                 [](X &f, QWidget &) {
                     if (f.written().isEmpty())
                         return ::testing::AssertionFailure() << "nothing was written";
                     return Told(u"テキストファイルの出力が完了しました")(f, *FileExport);
                 }},
        WalkCase{"exportAllRows", [](X &f) { return f.exportWindow(); }, "rbAll", nullptr, {},
                 FocusMovedTo("chkOutHeader")},
        // マークファイルの出力: the data choice leads to 出力, which says why
        // no mark file can be written here.
        WalkCase{"markExport", [](X &f) { return f.markWindow(); }, "rbAll", nullptr, {"btnExport"},
                 [](X &f, QWidget &) {
                     if (f.boxes.count() == 0)
                         return ::testing::AssertionFailure() << "出力 said nothing";
                     return ::testing::AssertionSuccess();
                 }},
        // 一覧表印刷, page by page.
        WalkCase{"listTemplateType", [](X &f) { return listPrint(f, 0); }, "cbxTemplateType", nullptr, {},
                 FocusMovedTo("cbxTemplateName")},
        WalkCase{"listPrefectures", [](X &f) { return listPrint(f, 0); }, "chkIgnoreTdfkn", nullptr, {},
                 FocusMovedTo("edtTitle")},
        WalkCase{"listTitle", [](X &f) { return listPrint(f, 0); }, "edtTitle", u"名簿", {},
                 FocusMovedTo("cbxTitlePosX")},
        WalkCase{"listTitlePlace", [](X &f) { return listPrint(f, 0); }, "cbxTitlePosX", nullptr, {},
                 FocusMovedTo("chkViewDate")},
        WalkCase{"listDate", [](X &f) { return listPrint(f, 0); }, "dtpViewDate", nullptr, {},
                 FocusMovedTo("cbxDatePosX")},
        WalkCase{"listDatePlace", [](X &f) { return listPrint(f, 0); }, "cbxDatePosX", nullptr, {"cbxDatePosY"},
                 FocusMovedTo("chkViewPage")},
        WalkCase{"listPageForm", [](X &f) { return listPrint(f, 0); }, "cbxPageType", nullptr, {"cbxPagePosX"},
                 FocusMovedTo("cbxPagePosY")},
        WalkCase{"listFace", [](X &f) { return listPrint(f, 1); }, "lbxFontName", nullptr, {"cbxFontSize", "chkBold"},
                 FocusMovedTo("chkItalic")},
        WalkCase{"listRows", [](X &f) { return listPrint(f, 1); }, "cbxRows", nullptr, {},
                 FocusMovedTo("edtOffsetX")},
        WalkCase{"listLeftMargin", [](X &f) { return listPrint(f, 1); }, "edtOffsetX", nullptr, {},
                 FocusMovedTo("edtOffsetY")},
        WalkCase{"listTopMarginTurnsThePage", [](X &f) { return listPrint(f, 1); }, "edtOffsetY", nullptr, {},
                 FocusMovedTo("dgLineType")},
        WalkCase{"listLineType", [](X &f) { return listPrint(f, 2); }, "dgLineType", nullptr, {},
                 FocusMovedTo("edtInterval")},
        WalkCase{"listInterval", [](X &f) { return listPrint(f, 2); }, "edtInterval", nullptr, {},
                 FocusMovedTo("lbxColor")},
        WalkCase{"listAllRows", [](X &f) { return listPrint(f, 3); }, "rbAll", nullptr, {},
                 FocusMovedTo("bbtnPrinter")},
        // The copies lead to 印刷, which asks before it prints.
        WalkCase{"listCopies", [](X &f) { return listPrintAnsweredNo(f, 3); }, "edtCopies", nullptr, {"btnPrint"},
                 Told(u"アドレス帳の一覧表を印刷します")},
        WalkCase{"previewZoom", [](X &f) { return f.preview(); }, "cbxZoom", nullptr, {"btnClose"},
                 [](X &f, QWidget &) {
                     const TListPrintPreview *preview = f.list->findChild<TListPrint *>()->Preview();
                     if (preview && preview->isVisible())
                         return ::testing::AssertionFailure() << "the preview stays open";
                     return ::testing::AssertionSuccess();
                 }},
        // テキストファイルの取り込み: the last option leads to 取り込み, which
        // asks before it imports (the answer is No).
        WalkCase{"importLastOption", [](X &f) { f.boxes.enqueue(IDNO); return f.importWindow(); }, "chkSetCorp",
                 nullptr, {"btnImport"},
                 [](X &f, QWidget &) {
                     if (f.boxes.count() == 0)
                         return ::testing::AssertionFailure() << "取り込み asked nothing";
                     return ::testing::AssertionSuccess();
                 }},
        // The import's small dialogs.
        WalkCase{"constant", [](X &) { return std::shared_ptr<QWidget>(std::make_shared<TConstantInput>(nullptr, 20)); },
                 "edtConst", u"東京支店", {"btnOk"},
                 DialogAcceptedAnd([](QWidget &w) {
                     if (static_cast<TConstantInput &>(w).Text() != QStringLiteral("東京支店"))
                         return ::testing::AssertionFailure() << "the constant typed is lost";
                     return ::testing::AssertionSuccess();
                 })}),
    rowName);

// ---- A focused button takes Return itself ------------------------------------

using ButtonsCase = TButtonsRow<ExchangeWindows>;

class ReturnOnAButton : public TReturnOnAButton<ExchangeWindows>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    pressEachButton();
}

template <typename Dialog>
std::shared_ptr<QWidget> plain(X &)
{
    return std::make_shared<Dialog>(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, ReturnOnAButton,
    ::testing::Values(ButtonsCase{"export", [](X &f) { return f.exportWindow(); }},
                      ButtonsCase{"markExport", [](X &f) { return f.markWindow(); }},
                      ButtonsCase{"listContents", [](X &f) { return listPrint(f, 0); }},
                      ButtonsCase{"listFormat", [](X &f) { return listPrint(f, 1); }},
                      ButtonsCase{"listLines", [](X &f) { return listPrint(f, 2); }},
                      ButtonsCase{"listRange", [](X &f) { return listPrint(f, 3); }},
                      ButtonsCase{"listPreview", [](X &f) { return f.preview(); }},
                      ButtonsCase{"import", plain<TFileImport>},
                      ButtonsCase{"importLoaded", [](X &f) { return f.importWindow(); }},
                      ButtonsCase{"constant",
                                  [](X &) { return std::shared_ptr<QWidget>(std::make_shared<TConstantInput>(nullptr, 20)); }},
                      ButtonsCase{"exportPassword", plain<TFileExportPassword>},
                      ButtonsCase{"columnOrder",
                                  [](X &) {
                                      return std::shared_ptr<QWidget>(std::make_shared<TSetOrderView>(
                                          nullptr, QStringList{QStringLiteral("氏名"), QStringLiteral("住所")}));
                                  }}),
    rowName);

} // namespace
