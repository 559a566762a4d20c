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
#include "support/KeyInput.h"
#include "support/ReturnKey.h"
#include "support/RowName.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

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

using Check = std::function<::testing::AssertionResult(ExchangeWindows &, QWidget &)>;

struct WalkCase {
    const char *name;
    std::function<std::shared_ptr<QWidget>(ExchangeWindows &)> make;
    const char *control;             // where the user stands
    const char16_t *typed;           // what the user types there first (nullptr: nothing)
    std::vector<const char *> stops; // where each further Return is pressed
    Check done;                      // what the user sees in the end
};

void PrintTo(const WalkCase &c, std::ostream *os)
{
    *os << c.name;
}

::testing::AssertionResult accepted(ExchangeWindows &, QWidget &window)
{
    auto &dialog = static_cast<QDialog &>(window);
    if (dialog.result() != QDialog::Accepted || dialog.isVisible())
        return ::testing::AssertionFailure() << "the dialog is " << (dialog.isVisible() ? "still open" : "cancelled");
    return ::testing::AssertionSuccess();
}

// The last Return moved the focus on to the control of that name, in a
// window still open.
Check movesTo(const char *name)
{
    return [name](ExchangeWindows &, QWidget &window) {
        QWidget *focused = QApplication::focusWidget();
        while (focused && focused->objectName().isEmpty())
            focused = focused->parentWidget();
        if (!window.isVisible())
            return ::testing::AssertionFailure() << "the window closed";
        if (!focused || focused->objectName() != QLatin1String(name))
            return ::testing::AssertionFailure()
                   << "the focus is on " << (focused ? focused->objectName().toStdString() : "nothing");
        return ::testing::AssertionSuccess();
    };
}

// A message box whose text begins so was shown.
Check told(const char16_t *text)
{
    return [text](ExchangeWindows &f, QWidget &) {
        const QString expected = QString::fromUtf16(text);
        for (const TMessageBoxRequest &box : f.boxes.shown())
            if (box.text.startsWith(expected))
                return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << f.boxes.count() << " boxes, none saying " << expected.toStdString();
    };
}

class ReturnWalks : public ExchangeWindows, public ::testing::WithParamInterface<WalkCase>
{
};

TEST_P(ReturnWalks, asTheWindowLaysDown)
{
    const WalkCase &c = GetParam();
    const std::shared_ptr<QWidget> window = c.make(*this);
    ASSERT_TRUE(ShowActive(window.get()));
    QWidget *control = window->findChild<QWidget *>(QLatin1String(c.control));
    ASSERT_TRUE(FocusControl(control)) << c.control;
    if (c.typed) {
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->selectAll();
        TypeCharacters(QApplication::focusWidget(), QString::fromUtf16(c.typed));
    }
    QStringList stops;
    for (const char *stop : c.stops)
        stops << QLatin1String(stop);
    ASSERT_TRUE(ReturnAlong(control, stops));
    EXPECT_TRUE(c.done(*this, *window));
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
                     return told(u"テキストファイルの出力が完了しました")(f, *FileExport);
                 }},
        WalkCase{"exportAllRows", [](X &f) { return f.exportWindow(); }, "rbAll", nullptr, {}, movesTo("chkOutHeader")},
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
                 movesTo("cbxTemplateName")},
        WalkCase{"listPrefectures", [](X &f) { return listPrint(f, 0); }, "chkIgnoreTdfkn", nullptr, {},
                 movesTo("edtTitle")},
        WalkCase{"listTitle", [](X &f) { return listPrint(f, 0); }, "edtTitle", u"名簿", {}, movesTo("cbxTitlePosX")},
        WalkCase{"listTitlePlace", [](X &f) { return listPrint(f, 0); }, "cbxTitlePosX", nullptr, {},
                 movesTo("chkViewDate")},
        WalkCase{"listDate", [](X &f) { return listPrint(f, 0); }, "dtpViewDate", nullptr, {}, movesTo("cbxDatePosX")},
        WalkCase{"listDatePlace", [](X &f) { return listPrint(f, 0); }, "cbxDatePosX", nullptr, {"cbxDatePosY"},
                 movesTo("chkViewPage")},
        WalkCase{"listPageForm", [](X &f) { return listPrint(f, 0); }, "cbxPageType", nullptr, {"cbxPagePosX"},
                 movesTo("cbxPagePosY")},
        WalkCase{"listFace", [](X &f) { return listPrint(f, 1); }, "lbxFontName", nullptr, {"cbxFontSize", "chkBold"},
                 movesTo("chkItalic")},
        WalkCase{"listRows", [](X &f) { return listPrint(f, 1); }, "cbxRows", nullptr, {}, movesTo("edtOffsetX")},
        WalkCase{"listLeftMargin", [](X &f) { return listPrint(f, 1); }, "edtOffsetX", nullptr, {},
                 movesTo("edtOffsetY")},
        WalkCase{"listTopMarginTurnsThePage", [](X &f) { return listPrint(f, 1); }, "edtOffsetY", nullptr, {},
                 movesTo("dgLineType")},
        WalkCase{"listLineType", [](X &f) { return listPrint(f, 2); }, "dgLineType", nullptr, {},
                 movesTo("edtInterval")},
        WalkCase{"listInterval", [](X &f) { return listPrint(f, 2); }, "edtInterval", nullptr, {}, movesTo("lbxColor")},
        WalkCase{"listAllRows", [](X &f) { return listPrint(f, 3); }, "rbAll", nullptr, {}, movesTo("bbtnPrinter")},
        // The copies lead to 印刷, which asks before it prints.
        WalkCase{"listCopies", [](X &f) { return listPrintAnsweredNo(f, 3); }, "edtCopies", nullptr, {"btnPrint"},
                 told(u"アドレス帳の一覧表を印刷します")},
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
                 [](X &f, QWidget &w) {
                     const auto r = accepted(f, w);
                     if (!r)
                         return r;
                     if (static_cast<TConstantInput &>(w).Text() != QStringLiteral("東京支店"))
                         return ::testing::AssertionFailure() << "the constant typed is lost";
                     return ::testing::AssertionSuccess();
                 }}),
    rowName);

// ---- A focused button takes Return itself ------------------------------------

struct ButtonsCase {
    const char *name;
    std::function<std::shared_ptr<QWidget>(ExchangeWindows &)> make;
};

void PrintTo(const ButtonsCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReturnOnAButton : public ExchangeWindows, public ::testing::WithParamInterface<ButtonsCase>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    const auto pressed = ButtonsPressedByReturn([this] { return GetParam().make(*this); });
    ASSERT_FALSE(pressed.isEmpty());
    for (const auto &[button, clicked] : pressed)
        EXPECT_EQ(clicked.join(QStringLiteral(", ")).toStdString(), button.toStdString());
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
