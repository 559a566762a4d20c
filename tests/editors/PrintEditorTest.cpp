#include "editors/PrintEditor.h"
#include "EditorsFixture.h"
#include "FakeHost.h"
#include "editors/PageView.h"
#include "items/PrtInfo.h"
#include "core/AdrsSel.h"
#include "core/OwnFiles.h"
#include "core/PdfOutFile.h"
#include "platform/SafeFile.h"
#include "support/FailingDisk.h"
#include "support/FileHelpers.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"
#include "support/Screenshot.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QPrintPreviewDialog>
#include <QPrintDialog>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsView>
#include <QProgressDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <vector>

namespace {

class PrintEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TLabelGrid grid;
        const TLayoutFormat format = catalogueFormat(0, &grid);
        editor.SetLayout(0, format, grid);
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }

    QImage page() { return editor.PageView()->grab().toImage(); }
    // The name item's frame on the page view.
    QRect nameOnScreen()
    {
        const TScreenRect r = editor.Document().Items[2]->GetDispRect();
        return QRect(TPageView::Margin + r.Left, TPageView::Margin + r.Top, r.width(), r.height());
    }
    QAction *action(const char *Name) { return editor.findChild<QAction *>(QLatin1String(Name)); }

    SampleBook book;
    FakeHost host{book.table};
    TPrintEditor editor{TLayoutKind::AddressSide, host, nullptr};
};

TEST_F(PrintEditorTest, pageShowsTheCurrentRecordMerged)
{
    const QImage shown = page();
    saveScreenshot(shown, QStringLiteral("editors_page_view"));
    EXPECT_GT(inkIn(shown, nameOnScreen().adjusted(2, 2, -2, -2)), 50);
}

TEST_F(PrintEditorTest, currentRecordGoneMergesAsEmpty)
{
    host.Current = 99;
    editor.MergeCurrentRecord();
    EXPECT_EQ(inkIn(page(), nameOnScreen().adjusted(2, 2, -2, -2)), 0);
}

TEST_F(PrintEditorTest, dragMovesTheItemAndUndoPutsItBack)
{
    TPageView *view = editor.PageView();
    const TPageRect before = editor.Document().Items[2]->GetRect();
    const QPoint start = nameOnScreen().center();
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    QTest::mouseMove(view, start + QPoint(20, 10));
    QTest::mouseRelease(view, Qt::LeftButton, {}, start + QPoint(20, 10));
    const TPageRect moved = editor.Document().Items[2]->GetRect();
    EXPECT_EQ(view->Selected(), 2);
    EXPECT_EQ(moved.Left - before.Left, 20);
    EXPECT_EQ(moved.Top - before.Top, 10);
    EXPECT_EQ(moved.width(), before.width());
    ASSERT_TRUE(action("actUndo")->isEnabled());
    action("actUndo")->trigger();
    EXPECT_EQ(editor.Document().Items[2]->GetRect(), before);
    action("actRedo")->trigger();
    EXPECT_EQ(editor.Document().Items[2]->GetRect(), moved);
}

TEST_F(PrintEditorTest, dragOnTheRightEdgeResizes)
{
    TPageView *view = editor.PageView();
    const TPageRect before = editor.Document().Items[2]->GetRect();
    const QRect onScreen = nameOnScreen();
    const QPoint start(onScreen.right(), onScreen.center().y());
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    QTest::mouseMove(view, start + QPoint(15, 0));
    QTest::mouseRelease(view, Qt::LeftButton, {}, start + QPoint(15, 0));
    const TPageRect after = editor.Document().Items[2]->GetRect();
    EXPECT_EQ(after.Left, before.Left);
    EXPECT_EQ(after.width(), before.width() + 15);
}

// A command while the mouse holds an item ends the drag first: an undo then
// undoes that very move, and the mouse, still held, moves nothing more.
TEST_F(PrintEditorTest, undoMidDragEndsTheDragAndUndoesItsMove)
{
    TPageView *view = editor.PageView();
    // An earlier move of the name, recorded for undo.
    const QPoint nameAt = nameOnScreen().center();
    QTest::mousePress(view, Qt::LeftButton, {}, nameAt);
    QTest::mouseMove(view, nameAt + QPoint(20, 10));
    QTest::mouseRelease(view, Qt::LeftButton, {}, nameAt + QPoint(20, 10));
    const TPageRect nameMoved = editor.Document().Items[2]->GetRect();
    // The postcode is held and moved when Ctrl+Z is pressed.
    const TScreenRect r = editor.Document().Items[0]->GetDispRect();
    const QPoint postcodeAt(TPageView::Margin + (r.Left + r.Right) / 2, TPageView::Margin + (r.Top + r.Bottom) / 2);
    const TPageRect postcodeBefore = editor.Document().Items[0]->GetRect();
    QTest::mousePress(view, Qt::LeftButton, {}, postcodeAt);
    QTest::mouseMove(view, postcodeAt + QPoint(12, 6));
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(view->IsDragging());
    EXPECT_EQ(editor.Document().Items[0]->GetRect(), postcodeBefore);
    EXPECT_EQ(editor.Document().Items[2]->GetRect(), nameMoved);
    QTest::mouseMove(view, postcodeAt + QPoint(30, 30));
    QTest::mouseRelease(view, Qt::LeftButton, {}, postcodeAt + QPoint(30, 30));
    EXPECT_EQ(editor.Document().Items[0]->GetRect(), postcodeBefore);
    EXPECT_EQ(editor.Document().Items[2]->GetRect(), nameMoved);
}

// Another layout opened mid-drag: the mouse still held reaches no item of
// the old layout nor of the new one.
TEST_F(PrintEditorTest, layoutOpenedMidDragTakesNoMoreMouseMoves)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.gpl"));
    editor.Document().Items.pop_back();
    ASSERT_TRUE(editor.SaveFile(path));
    TLabelGrid grid;
    editor.SetLayout(0, catalogueFormat(0, &grid), grid);
    TPageView *view = editor.PageView();
    const QPoint start = nameOnScreen().center();
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    QTest::mouseMove(view, start + QPoint(20, 10));
    editor.ExecFileDialog = [&path](bool) { return path; };
    // The drag ended by the shortcut is a change: it is dropped when asked.
    ScriptedMessageBoxes boxes;
    boxes.enqueue(IDNO);
    QTest::keyClick(&editor, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(editor.FileName(), path);
    std::vector<TPageRect> opened;
    for (const auto &item : editor.Document().Items)
        opened.push_back(item->GetRect());
    QTest::mouseMove(view, start + QPoint(40, 30));
    QTest::mouseRelease(view, Qt::LeftButton, {}, start + QPoint(40, 30));
    std::vector<TPageRect> after;
    for (const auto &item : editor.Document().Items)
        after.push_back(item->GetRect());
    EXPECT_EQ(after, opened);
    EXPECT_FALSE(editor.UndoList().CanUndo());
}

// An item is dragged no farther than a saved layout keeps it.
TEST_F(PrintEditorTest, dragStopsAtTheBoundsOfAStoredItem)
{
    TPageView *view = editor.PageView();
    const QPoint start = nameOnScreen().center();
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    QTest::mouseMove(view, start + QPoint(-4 * MaxPaperPagePx, 0));
    QTest::mouseRelease(view, Qt::LeftButton, {}, start + QPoint(-4 * MaxPaperPagePx, 0));
    EXPECT_TRUE(IsItemRectInBounds(editor.Document().Items[2]->GetRect()));
}

TEST_F(PrintEditorTest, zoomDoublesThePage)
{
    const QSize at100 = editor.PageView()->sizeHint();
    editor.PageView()->SetZoom(2.0);
    const QSize at200 = editor.PageView()->sizeHint();
    EXPECT_NEAR(at200.width() - 2 * TPageView::Margin, 2 * (at100.width() - 2 * TPageView::Margin), 2);
}

TEST_F(PrintEditorTest, printSelectedPrintsTheSelectedRecordsToPdf)
{
    QTemporaryDir out;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("selected.pdf")));
    printer.setResolution(300);
    host.Selected = {1, 3};
    QString error;
    ASSERT_TRUE(editor.PrintSelected(printer, &error)) << qPrintable(error);
    QFile file(printer.outputFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count("/Type /Page\n"), 2);
}

TEST_F(PrintEditorTest, wizardCopiesAreHonoured)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("copies.pdf"));
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(pdf);
    editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {1};
        Request.Options.Copies = 3;
        return true;
    };
    action("actPrint")->trigger();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count("/Type /Page\n"), 3);
}

// The book cannot be read when the run reaches its record: the run stops
// and says why, rather than printing a blank piece and passing for done.
TEST_F(PrintEditorTest, aRecordThatCannotBeReadStopsTheRunWithItsReason)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("unread.pdf"));
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(pdf);
    editor.PrintWizard = [this](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {1, 2};
        book.table.Close();
        return true;
    };
    action("actPrint")->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("印刷するデータを読み込めませんでした")))
        << qPrintable(boxes.last().text);
}

TEST_F(PrintEditorTest, cancelledWizardPrintsNothing)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("none.pdf"));
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(pdf);
    bool dialogShown = false;
    editor.PrintWizard = [](QPrinter &, TPrintRequest &) { return false; };
    editor.ExecPrintDialog = [&](QPrinter &) { return dialogShown = true; };
    action("actPrint")->trigger();
    EXPECT_FALSE(dialogShown);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PrintEditorTest, printerWithoutOutputAsksForTheFile)
{
    // The file named is kept with the kind's printer settings.
    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    QDir().mkpath(DataRoot);
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("asked.pdf"));
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(QString());
    editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {2};
        return true;
    };
    editor.ExecPrintDialog = [&](QPrinter &Printer) {
        Printer.setOutputFileName(pdf);
        return true;
    };
    action("actPrint")->trigger();
    EXPECT_TRUE(QFile::exists(pdf));
}

// The kind's printer as a backend that has it installed reads it back.
class TKeptPrinterBackend final : public TPrinterBackend
{
public:
    QStringList Printers() const override { return {QStringLiteral("Kept Printer"), QStringLiteral("Default")}; }
    QString DefaultPrinter() const override { return QStringLiteral("Default"); }
    QList<TPaperInfo> Papers(const QString &) const override { return {}; }
    TPrinterSettings Apply(const TPrinterSettings &S) const override { return S; }
    TPrinterCaps Caps(const TPrinterSettings &) const override { return {}; }
};

// A run to a PDF file keeps the printer the user chose for the kind: the
// file's name is added, the printer is not dropped for none.
TEST_F(PrintEditorTest, aPdfRunKeepsTheKindsPrinter)
{
    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    QDir().mkpath(DataRoot);
    const TKeptPrinterBackend backend;
    {
        TPrinterInfo chosen(DataRoot + QStringLiteral("Layout.pi"), backend);
        chosen.AssignPrinter(0);
        ASSERT_TRUE(chosen.Save());
    }
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("kept.pdf"));
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(QString());
    editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {2};
        return true;
    };
    editor.ExecPrintDialog = [&](QPrinter &Printer) {
        Printer.setOutputFileName(pdf);
        return true;
    };
    action("actPrint")->trigger();
    const TPrinterInfo saved(DataRoot + QStringLiteral("Layout.pi"), backend);
    EXPECT_EQ(saved.Settings().PrinterName, QStringLiteral("Kept Printer"));
    EXPECT_EQ(saved.Settings().OutputFile, pdf);
}

TEST_F(PrintEditorTest, previewShowsOnePagePerRecordOfTheWizard)
{
    editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {1, 2, 3};
        return true;
    };
    int pages = -1;
    editor.ExecPreview = [&](QDialog &Dialog) {
        auto *preview = Dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        pages = preview->pageCount();
    };
    action("actPreview")->trigger();
    EXPECT_EQ(pages, 3);
}

// The preview of a run to a PDF file shows its pages and leaves the file.
TEST_F(PrintEditorTest, previewOfAPdfRunShowsItsPagesAndLeavesTheFile)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("shown.pdf"));
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        ASSERT_EQ(old.write("the earlier run"), 15);
    }
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(pdf);
    editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {1, 2};
        Request.Preview = true;
        return true;
    };
    int pages = -1;
    editor.ExecPreview = [&](QDialog &Dialog) {
        auto *preview = Dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        pages = preview->pageCount();
    };
    ScriptedMessageBoxes boxes;
    action("actPrint")->trigger();
    EXPECT_EQ(pages, 2);
    EXPECT_TRUE(boxes.shown().isEmpty());
    QFile kept(pdf);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "the earlier run");
}

// The preview's print button takes the user back to the wizard, which is
// told to restore its page and copies; what it answers then is printed.
TEST_F(PrintEditorTest, previewGoesBackToTheWizardAndPrintsItsNewAnswer)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("back.pdf"));
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(pdf);
    QList<bool> restored;
    editor.PrintWizard = [&](QPrinter &, TPrintRequest &Request) {
        restored.append(Request.RestorePageAndCopies);
        Request.RecNos = restored.size() == 1 ? QList<qint32>{1} : QList<qint32>{2, 3};
        Request.Options.Copies = restored.size() == 1 ? 1 : 2;
        Request.Preview = restored.size() == 1;
        return true;
    };
    int previews = 0;
    editor.ExecPreview = [&](QDialog &Dialog) {
        ++previews;
        auto *back = Dialog.findChild<QAction *>(QStringLiteral("actPreviewPrint"));
        ASSERT_NE(back, nullptr);
        back->trigger();
    };
    action("actPrint")->trigger();
    EXPECT_EQ(restored, (QList<bool>{false, true}));
    EXPECT_EQ(previews, 1);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // Two records, two copies each.
    EXPECT_EQ(file.readAll().count("/Type /Page\n"), 4);
}

// The preview's own print button (the printer on its toolbar) leads back to
// the wizard as the editor's print does, so that its questions (bars near an
// edge, items over the bars) are asked and the run prints the editor's way;
// no print dialog of the preview's own opens and prints past them.
TEST_F(PrintEditorTest, thePreviewsOwnPrintButtonGoesBackToTheWizard)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("own.pdf"));
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(pdf);
    QList<bool> restored;
    editor.PrintWizard = [&](QPrinter &, TPrintRequest &Request) {
        restored.append(Request.RestorePageAndCopies);
        Request.RecNos = {1};
        Request.Preview = restored.size() == 1;
        return true;
    };
    bool ownDialog = false;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&ownDialog] {
        if (auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget())) {
            ownDialog = true;
            dialog->reject();
        }
    });
    editor.ExecPreview = [&](QDialog &Dialog) {
        QAction *print = nullptr;
        for (QToolBar *bar : Dialog.findChildren<QToolBar *>())
            for (QAction *a : bar->actions())
                if (a->isVisible() && a->text() == QCoreApplication::translate("QPrintPreviewDialog", "Print"))
                    print = a;
        ASSERT_NE(print, nullptr) << "the preview shows no printer button";
        watch.start();
        print->trigger();
        watch.stop();
    };
    action("actPreview")->trigger();
    EXPECT_FALSE(ownDialog) << "the preview opened a print dialog of its own";
    EXPECT_EQ(restored, (QList<bool>{false, true}));
    EXPECT_TRUE(QFile::exists(pdf));
}

struct PreviewCloseCase {
    const char *name;
    bool back;        // the preview's print button is pressed
    bool cancelAgain; // the reopened wizard is cancelled
    int wizardRuns;
    bool printed;
};

class PreviewClose : public PrintEditorTest, public ::testing::WithParamInterface<PreviewCloseCase>
{
};

TEST_P(PreviewClose, printsOnlyWhatTheReopenedWizardConfirms)
{
    const PreviewCloseCase &c = GetParam();
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("closed.pdf"));
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(pdf);
    int runs = 0;
    editor.PrintWizard = [&](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {1};
        return ++runs == 1 || !c.cancelAgain;
    };
    editor.ExecPreview = [&](QDialog &Dialog) {
        if (c.back)
            Dialog.findChild<QAction *>(QStringLiteral("actPreviewPrint"))->trigger();
    };
    action("actPreview")->trigger();
    EXPECT_EQ(runs, c.wizardRuns);
    EXPECT_EQ(QFile::exists(pdf), c.printed);
}

INSTANTIATE_TEST_SUITE_P(Cases, PreviewClose,
                         ::testing::Values(PreviewCloseCase{"closedPrintsNothing", false, false, 1, false},
                                           PreviewCloseCase{"backAndCancelledPrintsNothing", true, true, 2, false},
                                           PreviewCloseCase{"backAndConfirmedPrints", true, false, 2, true}),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST_F(PrintEditorTest, previewThatCannotBeDrawnIsReported)
{
    ScriptedMessageBoxes boxes;
    editor.PrintWizard = [](QPrinter &, TPrintRequest &) { return true; }; // no records
    editor.ExecPreview = [](QDialog &Dialog) {
        auto *preview = Dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        preview->updatePreview();
    };
    action("actPreview")->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("印刷するデータが選択されていません"));
    EXPECT_NE(boxes.last().flags & MB_ICONERROR, 0u);
}

// The preview asks for its pages while its own buttons can be clicked: a
// double click on its orientation button during a drawing is held back like
// the editor's input, never drawing a second run inside the first.
TEST_F(PrintEditorTest, previewButtonsWaitWhileThePreviewDraws)
{
    editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {1, 2, 3};
        return true;
    };
    int draws = 0;
    bool clicked = false;
    editor.ExecPreview = [&](QDialog &Dialog) {
        auto *preview = Dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        QAction *landscape = nullptr;
        for (QAction *a : Dialog.findChildren<QAction *>())
            if (a->objectName() == QLatin1String("landscapeAction") || a->text().contains(QLatin1String("Landscape")))
                landscape = a;
        ASSERT_NE(landscape, nullptr);
        QWidget *button = nullptr;
        for (QToolBar *bar : Dialog.findChildren<QToolBar *>())
            if (QWidget *w = bar->widgetForAction(landscape))
                button = w;
        ASSERT_NE(button, nullptr);
        Dialog.resize(1200, 800);
        Dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
        ASSERT_TRUE(button->isVisible());
        QObject::connect(static_cast<QPrintPreviewDialog *>(&Dialog), &QPrintPreviewDialog::paintRequested, &Dialog,
                         [&draws] { ++draws; });
        // The double click as the window system hands it to the button.
        QTimer::singleShot(0, &Dialog, [&] {
            const QPointF at = QRectF(button->rect()).center();
            const QPointF global = button->mapToGlobal(at);
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
                const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
                QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
                QApplication::sendEvent(button, &event);
            }
            clicked = true;
        });
        preview->updatePreview();
        Dialog.close();
    };
    action("actPreview")->trigger();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(draws, 1);
}

// Calls OnPaint for every paint event its widget gets.
class PaintWatch final : public QObject
{
public:
    std::function<void()> OnPaint;

protected:
    bool eventFilter(QObject *, QEvent *Event) override
    {
        if (Event->type() == QEvent::Paint)
            OnPaint();
        return false;
    }
};

// The preview's page view is not painted while its pages are drawn again:
// the printer frees the pages it shows when a drawing begins, and the
// drawing's progress lets paint events through (painting a freed page
// crashed the program).
TEST_F(PrintEditorTest, previewPageViewIsNotPaintedWhileItsPagesAreDrawnAgain)
{
    editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {1, 2, 3};
        return true;
    };
    int paintedWhileDrawing = 0;
    int paintedAfter = 0;
    editor.ExecPreview = [&](QDialog &Dialog) {
        auto *preview = Dialog.findChild<QPrintPreviewWidget *>();
        auto *view = Dialog.findChild<QGraphicsView *>();
        ASSERT_NE(preview, nullptr);
        ASSERT_NE(view, nullptr);
        Dialog.resize(900, 900);
        Dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
        preview->updatePreview();
        QCoreApplication::processEvents();
        const auto drawing = [this] { return editor.findChild<QProgressDialog *>(QStringLiteral("PrintProgress")); };
        PaintWatch watch;
        watch.OnPaint = [&] { ++(drawing() ? paintedWhileDrawing : paintedAfter); };
        view->viewport()->installEventFilter(&watch);
        // The view asks to be painted whenever events are handled.
        QTimer nudge;
        QObject::connect(&nudge, &QTimer::timeout, view->viewport(), [view] { view->viewport()->update(); });
        nudge.start(0);
        preview->setOrientation(QPageLayout::Landscape);
        nudge.stop();
        QCoreApplication::processEvents();
        view->viewport()->removeEventFilter(&watch);
        Dialog.close();
    };
    action("actPreview")->trigger();
    EXPECT_EQ(paintedWhileDrawing, 0);
    EXPECT_GT(paintedAfter, 0);
}

// A PDF the disk cannot take (a full disk) ends the run with the write
// error, never as printed.
TEST_F(PrintEditorTest, pdfThatCannotBeWrittenIsReportedNotPrinted)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no full device";
    ScriptedMessageBoxes boxes;
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(QStringLiteral("/dev/full"));
    editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {1, 2};
        return true;
    };
    action("actPrint")->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("印刷データを書き込めませんでした")))
        << qPrintable(boxes.last().text);
    EXPECT_NE(boxes.last().flags & MB_ICONERROR, 0u);
}

// The run serves the event loop between pieces (its progress and cancel):
// what the main list asks of the editor meanwhile must not reach the pieces
// still to be drawn, nor end the editor under the run.
class PrintEditorRun : public PrintEditorTest
{
protected:
    void SetUp() override
    {
        PrintEditorTest::SetUp();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("run.pdf")));
        printer.setResolution(300);
    }

    QTemporaryDir out;
    QPrinter printer{QPrinter::HighResolution};
};

TEST_F(PrintEditorRun, listMovingToAnotherRecordMidRunLeavesThePrintedCopiesAlone)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    host.Current = 1;
    // The user clicks another row of the list while the first copy prints.
    QTimer::singleShot(0, &editor, [this] {
        host.Current = 3;
        editor.MergeCurrentRecord();
    });
    TPrintOptions options;
    options.Copies = 2;
    QString error;
    ASSERT_TRUE(editor.PrintRecords(printer, {1}, options, &error)) << qPrintable(error);
    const QList<QImage> pages = renderPdf(printer.outputFileName(), 100);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0] == pages[1]) << "the second copy is not the first record's";
}

TEST_F(PrintEditorRun, closingTheEditorMidRunIsRefusedUntilTheRunEnds)
{
    ScriptedMessageBoxes boxes;
    bool closed = true;
    bool visibleAfterClose = false;
    QTimer::singleShot(0, &editor, [&] {
        closed = editor.close();
        visibleAfterClose = editor.isVisible();
    });
    TPrintOptions options;
    options.Copies = 3;
    QString error;
    ASSERT_TRUE(editor.PrintRecords(printer, {1, 2}, options, &error)) << qPrintable(error);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(visibleAfterClose);
    // The close may have come from the main list: the refusal is said.
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("印刷中のため実行できません"));
    // Once the run is over the editor closes as before, without a word.
    EXPECT_TRUE(editor.close());
    EXPECT_EQ(boxes.count(), 1);
}

// Before the progress shows (it waits a moment) the window still looks
// usable: a drag or a shortcut then must not change the layout being printed.
TEST_F(PrintEditorRun, inputToTheEditorMidRunDoesNotChangeTheLayout)
{
    const TPageRect before = editor.Document().Items[2]->GetRect();
    bool dialogShown = false;
    editor.ExecDialog = [&](QDialog &) {
        dialogShown = true;
        return int(QDialog::Rejected);
    };
    QTimer::singleShot(0, &editor, [this] {
        TPageView *view = editor.PageView();
        const TScreenRect r = editor.Document().Items[2]->GetDispRect();
        const QPoint start(TPageView::Margin + (r.Left + r.Right) / 2, TPageView::Margin + (r.Top + r.Bottom) / 2);
        QTest::mousePress(view, Qt::LeftButton, {}, start);
        QTest::mouseMove(view, start + QPoint(20, 10));
        QTest::mouseRelease(view, Qt::LeftButton, {}, start + QPoint(20, 10));
        QTest::keyClick(&editor, Qt::Key_N, Qt::ControlModifier);
    });
    TPrintOptions options;
    options.Copies = 2;
    QString error;
    ASSERT_TRUE(editor.PrintRecords(printer, {1}, options, &error)) << qPrintable(error);
    EXPECT_EQ(editor.Document().Items[2]->GetRect(), before);
    EXPECT_FALSE(dialogShown);
    EXPECT_FALSE(editor.UndoList().CanUndo());
}

} // namespace

namespace {

// The editor's runs to a PDF file, in a temporary home whose data folder
// holds the program's files.
class PrintEditorPdfFile : public PrintEditorTest
{
protected:
    void SetUp() override
    {
        PrintEditorTest::SetUp();
        for (const QString &file : {settingsFile(), senderTable(), bookTable()}) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
            writeBytes(file, "the program's own");
        }
        AdrsFolderList = {{QStringLiteral("家族"), QStringLiteral("家族"), AdrsStateUnchanged}};
        editor.Printer().setOutputFormat(QPrinter::PdfFormat);
        editor.Printer().setOutputFileName(QString());
        editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
            Request.RecNos = {1, 2};
            return true;
        };
    }
    void TearDown() override { AdrsFolderList.clear(); }

public:
    static QString settingsFile() { return DataRoot + QStringLiteral("Murven19.ini"); }
    static QString senderTable() { return OtherPath + QStringLiteral("Sender.DB"); }
    static QString bookTable() { return AdrsPath + QStringLiteral("家族/Adrs.DB"); }
    // A link beside the settings root to the settings file: a PDF written
    // through it would land on the settings.
    static QString settingsLink()
    {
        const QString link = QDir::cleanPath(DataRoot + QStringLiteral("../settings-link.pdf"));
        if (!QFileInfo(link).isSymLink())
            (void)QFile::link(settingsFile(), link);
        return link;
    }

    // A PDF the user set read-only beside the settings root.
    static QString readOnlyPdf()
    {
        const QString file = QDir::cleanPath(DataRoot + QStringLiteral("../読み取り専用.pdf"));
        if (!QFileInfo::exists(file)) {
            writeBytes(file, "the program's own");
            QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        }
        return file;
    }

protected:
    QString pdf() const { return out.filePath(QStringLiteral("縦書き.pdf")); }
    QStringList outEntries() const
    {
        return QDir(out.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    // The print dialog: the user names `file` (empty: cancels) each time.
    void answerPrintDialog(const QString &file) { answerPrintDialogs({file}, file); }
    // The print dialog: the user names the files in turn, then `then`.
    void answerPrintDialogs(const QStringList &files, const QString &then = QString())
    {
        editor.ExecPrintDialog = [this, queue = QStringList(files), then](QPrinter &Printer) mutable {
            offered << Printer.outputFileName();
            offeredExisted << QFileInfo::exists(Printer.outputFileName());
            const QString file = queue.isEmpty() ? then : queue.takeFirst();
            if (file.isEmpty())
                return false;
            Printer.setOutputFileName(file);
            return true;
        };
    }
    void print() { action("actPrint")->trigger(); }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    ScriptedMessageBoxes boxes;
    QTemporaryDir out;
    QStringList offered;
    QList<bool> offeredExisted;
};

// The horizontal postcards printed after the vertical ones: the second run
// shows the print dialog again, offering the first file, and the vertical
// postcards stay when the user does not agree to replace them.
TEST_F(PrintEditorPdfFile, aSecondRunAsksForItsFileAgainAndCancellingKeepsTheFirstPdf)
{
    answerPrintDialog(pdf());
    print();
    ASSERT_EQ(boxes.count(), 0) << qPrintable(boxes.last().text);
    const QByteArray first = fileBytes(pdf());
    ASSERT_TRUE(first.startsWith("%PDF"));

    answerPrintDialog(QString());
    print();
    ASSERT_EQ(offered.size(), 2) << "the second run shows the print dialog";
    EXPECT_EQ(offered.last(), pdf());
    EXPECT_TRUE(sameBytes(first, fileBytes(pdf())));
}

// Copies asked for in the print dialog print the run that many times over
// the wizard's copies.
TEST_F(PrintEditorPdfFile, copiesOfThePrintDialogRepeatTheRun)
{
    editor.ExecPrintDialog = [this](QPrinter &Printer) {
        Printer.setOutputFileName(pdf());
        Printer.setCopyCount(3);
        return true;
    };
    print();
    ASSERT_EQ(boxes.count(), 0) << qPrintable(boxes.last().text);
    const QByteArray bytes = fileBytes(pdf());
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 6);
    EXPECT_EQ(editor.Printer().copyCount(), 1);
}

TEST_F(PrintEditorPdfFile, aSecondRunToAnotherFileLeavesTheFirstPdf)
{
    answerPrintDialog(pdf());
    print();
    const QByteArray first = fileBytes(pdf());
    const QString second = out.filePath(QStringLiteral("横書き.pdf"));
    answerPrintDialog(second);
    print();
    EXPECT_TRUE(sameBytes(first, fileBytes(pdf())));
    EXPECT_TRUE(fileBytes(second).startsWith("%PDF"));
    EXPECT_EQ(outEntries(), (QStringList{QStringLiteral("横書き.pdf"), QStringLiteral("縦書き.pdf")}));
}

struct OwnFileCase {
    const char *name;
    QString (*path)();
};
void PrintTo(const OwnFileCase &c, std::ostream *os) { *os << c.name; }

class PrintEditorOwnFile : public PrintEditorPdfFile, public ::testing::WithParamInterface<OwnFileCase> {};

TEST_P(PrintEditorOwnFile, isRefusedWithTheExportsMessageAndLeftAsItWas)
{
    const QString target = GetParam().path();
    answerPrintDialogs({target});
    print();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, PdfTargetRefusal(target));
    EXPECT_EQ(fileBytes(target), "the program's own");
}

// After a refused file the dialog asks again in the same run, offering the
// last PDF printed to, not the refused name; the run then prints there.
TEST_P(PrintEditorOwnFile, theDialogAsksAgainOfferingTheLastGoodFile)
{
    answerPrintDialog(pdf());
    print();
    ASSERT_EQ(boxes.count(), 0) << qPrintable(boxes.last().text);
    const QString second = out.filePath(QStringLiteral("二回目.pdf"));
    answerPrintDialogs({GetParam().path(), second});
    print();
    ASSERT_EQ(boxes.count(), 1);
    ASSERT_EQ(offered.size(), 3);
    EXPECT_EQ(offered.last(), pdf());
    EXPECT_TRUE(fileBytes(second).startsWith("%PDF"));
    EXPECT_EQ(fileBytes(GetParam().path()), "the program's own");
}

// The printer set-up of the print wizard names the file the same way: one
// of the program's own, or a read-only one, is refused there too as it is
// named, asked again, and never becomes
// the file the kind offers from then on.
TEST_P(PrintEditorOwnFile, aFileNamedInTheWizardsSetUpIsRefusedAndNotKept)
{
    answerPrintDialog(pdf());
    print();
    ASSERT_EQ(boxes.count(), 0) << qPrintable(boxes.last().text);
    // Another editor of the kind, with the wizard as the user meets it: the
    // set-up button, the program's file named, asked again and cancelled,
    // then the wizard left.
    TLabelGrid grid;
    TPrintEditor second{TLayoutKind::AddressSide, host, nullptr};
    second.SetLayout(0, catalogueFormat(0, &grid), grid);
    int asked = 0;
    second.ExecPrintDialog = [&](QPrinter &Printer) {
        if (++asked > 1)
            return false;
        Printer.setOutputFormat(QPrinter::PdfFormat);
        Printer.setOutputFileName(GetParam().path());
        return true;
    };
    bool clicked = false;
    second.ExecDialog = [&](QDialog &Dialog) {
        if (auto *setUp = Dialog.findChild<QPushButton *>(QStringLiteral("bbtnPrinters"))) {
            setUp->click();
            clicked = true;
        }
        return int(QDialog::Rejected);
    };
    second.findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    ASSERT_TRUE(clicked);
    EXPECT_EQ(asked, 2);
    QStringList told;
    for (const auto &box : boxes.shown())
        told << box.text;
    EXPECT_EQ(told.count(PdfTargetRefusal(GetParam().path())), 1) << qPrintable(told.join(u'|'));
    const TQtPrinterBackend backend;
    EXPECT_EQ(TPrinterInfo(DataRoot + QStringLiteral("Layout.pi"), backend).Settings().OutputFile, pdf());
    EXPECT_NE(second.Printer().outputFileName(), GetParam().path());
}

INSTANTIATE_TEST_SUITE_P(Files, PrintEditorOwnFile,
                         ::testing::Values(OwnFileCase{"settingsFile", &PrintEditorPdfFile::settingsFile},
                                           OwnFileCase{"senderTable", &PrintEditorPdfFile::senderTable},
                                           OwnFileCase{"bookTable", &PrintEditorPdfFile::bookTable},
                                           OwnFileCase{"settingsLink", &PrintEditorPdfFile::settingsLink},
                                           OwnFileCase{"readOnlyPdf", &PrintEditorPdfFile::readOnlyPdf}),
                         [](const auto &info) { return std::string(info.param.name); });

// A run killed between setting the earlier PDF aside and putting the new
// one in place hid the earlier PDF: the next run finds it back under its
// name (so the print dialog asks before replacing it), and it stays when
// the user cancels.
TEST_F(PrintEditorPdfFile, theEarlierPdfHiddenByAKilledRunIsBackBeforeTheNextRunAsks)
{
    answerPrintDialog(pdf());
    print();
    const QByteArray vertical = fileBytes(pdf());
    ASSERT_TRUE(vertical.startsWith("%PDF"));
    // The next run killed between its renames.
    ASSERT_TRUE(QFile::rename(pdf(), SafeReplaceBackupPath(pdf())));

    answerPrintDialog(QString());
    print();
    ASSERT_EQ(offeredExisted.size(), 2);
    EXPECT_TRUE(offeredExisted.last()) << "the dialog saw no file to ask about";
    EXPECT_TRUE(sameBytes(vertical, fileBytes(pdf())));
    EXPECT_EQ(outEntries(), QStringList{QStringLiteral("縦書き.pdf")});
}

// The disk fills during a run to an existing PDF: the run says so and the
// earlier PDF stays as it was, with nothing left beside it.
TEST_F(PrintEditorPdfFile, aPdfTheDiskCannotHoldIsReportedAndTheEarlierPdfStays)
{
    writeBytes(pdf(), "%PDF-1.4 the vertical postcards %%EOF");
    answerPrintDialog(pdf());
    {
        ScopedFullDisk full(4 * 1024);
        print();
    }
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("印刷データを書き込めませんでした")))
        << qPrintable(boxes.last().text);
    EXPECT_EQ(fileBytes(pdf()), "%PDF-1.4 the vertical postcards %%EOF");
    EXPECT_EQ(outEntries(), QStringList{QStringLiteral("縦書き.pdf")});
}

// The PDF engine keeps a full disk to itself: the run names the full disk,
// as every other writer does, and the earlier PDF stays.
TEST_F(PrintEditorPdfFile, aPdfOnAFullDiskNamesTheFullDiskAndTheEarlierPdfStays)
{
    writeBytes(pdf(), "%PDF-1.4 the vertical postcards %%EOF");
    answerPrintDialog(pdf());
    {
        const ScopedFailingDisk full(out.path(), TDiskFault::DiskFull);
        print();
    }
    ASSERT_EQ(boxes.count(), 1);
    const QString shown = boxes.last().text;
    EXPECT_TRUE(shown.startsWith(QStringLiteral("印刷データを書き込めませんでした\r\n") + pdf())) << qPrintable(shown);
    EXPECT_TRUE(shown.contains(QStringLiteral("ディスクの空き容量が足りません。"))) << qPrintable(shown);
    EXPECT_EQ(fileBytes(pdf()), "%PDF-1.4 the vertical postcards %%EOF");
    EXPECT_EQ(outEntries(), QStringList{QStringLiteral("縦書き.pdf")});
}

} // namespace
