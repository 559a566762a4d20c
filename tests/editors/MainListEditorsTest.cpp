#include "EditorsFixture.h"
#include "addressbook/BookFixture.h"
#include "editors/LabelForm.h"
#include "editors/EditorHost.h"
#include "editors/LayoutForm.h"
#include "editors/PageView.h"
#include "editors/PrintEditors.h"
#include "items/NameRect.h"
#include "platform/Table.h"
#include "support/OtherHandle.h"
#include "WizardAnswer.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPrintPreviewWidget>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

namespace {

// The main list over a book of three addressees with the editors registered.
class MainListEditors : public BookFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        // Print marks: none, 「除外」, 「印刷」.
        const int marks[] = {0, 2, 1};
        int i = 0;
        for (const char16_t *name : {u"山田 太郎", u"佐藤 花子", u"鈴木 一郎"}) {
            table.Append();
            table.FieldByName(QStringLiteral("PrintTarget")).SetAsInteger(marks[i++]);
            table.FieldByName(QStringLiteral("NameKanji")).SetAsString(QString::fromUtf16(name));
            table.FieldByName(QStringLiteral("PrivCorp")).SetAsBoolean(true);
            table.FieldByName(QStringLiteral("Pos")).SetAsString(QStringLiteral("1000014"));
            table.FieldByName(QStringLiteral("Adrs1")).SetAsString(QStringLiteral("千代田区永田町"));
            table.Post();
        }
        table.FlushBuffers();
        DMMurven19->CloseAdrs();
        saved = PrintEditorOpener;
        RegisterPrintEditors();
        ShowEditorStartMenu = false;
        openList();
    }
    void TearDown() override
    {
        list.reset();
        PrintEditorOpener = saved;
        ShowEditorStartMenu = true;
        BookFixture::TearDown();
    }

    template <class Form>
    Form *editor(TPrintEditorKind Kind) const
    {
        return dynamic_cast<Form *>(list->PrintEditor(Kind));
    }

    TPrintEditorOpener saved;
};

TEST_F(MainListEditors, printCommandsAreEnabled)
{
    for (const char *name : {"actLayoutPrint", "actLabelPrint", "actCardPrint", "actDesignPrint"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
}

TEST_F(MainListEditors, layoutCommandOpensTheAddressSideEditor)
{
    action("actLayoutPrint")->trigger();
    auto *form = editor<TLayoutForm>(TPrintEditorKind::AddressSide);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    action("actLayoutPrint")->trigger();
    EXPECT_EQ(editor<TLayoutForm>(TPrintEditorKind::AddressSide), form);
}

TEST_F(MainListEditors, cardCommandReopensTheLabelWindowInCardMode)
{
    action("actLabelPrint")->trigger();
    QPointer<TLabelForm> label = editor<TLabelForm>(TPrintEditorKind::Label);
    ASSERT_TRUE(label);
    action("actCardPrint")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(label.isNull());
    auto *card = editor<TLabelForm>(TPrintEditorKind::Card);
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(card->IsCardMode());
}

TEST_F(MainListEditors, selectingAnotherRowMergesItIntoTheLayout)
{
    action("actLayoutPrint")->trigger();
    auto *form = editor<TLayoutForm>(TPrintEditorKind::AddressSide);
    ASSERT_NE(form, nullptr);
    TLabelGrid grid;
    form->SetLayout(0, catalogueFormat(0, &grid), grid);
    const int row = list->IndexOfRecNo(2);
    list->SelectRow(row, true, true);
    QString name;
    for (auto &item : form->Document().Items)
        if (auto *n = dynamic_cast<TNameRect *>(item.get()); n && !n->IsSender())
            name = n->GetName();
    EXPECT_EQ(name, QStringLiteral("佐藤 花子"));
}

// An editor holding unsaved edits asks before the list closes it; its
// キャンセル keeps it open and stops the list's step, whatever asked.
TEST_F(MainListEditors, cancelledSaveQuestionRefusesTheListsClosingOfTheEditor)
{
    action("actLayoutPrint")->trigger();
    auto *form = editor<TLayoutForm>(TPrintEditorKind::AddressSide);
    ASSERT_NE(form, nullptr);
    TLabelGrid grid;
    form->SetLayout(0, catalogueFormat(0, &grid), grid);
    form->PageView()->SetSelected(2);
    form->CopySelected();
    ASSERT_TRUE(form->Paste());
    boxes.clear();

    boxes.enqueue(IDCANCEL);
    EXPECT_FALSE(list->CloseChildWindows());
    boxes.enqueue(IDCANCEL);
    action("actLabelPrint")->trigger();
    EXPECT_EQ(list->PrintEditor(TPrintEditorKind::Label), nullptr);
    boxes.enqueue(IDCANCEL);
    list->reject();
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(boxes.count(), 3);
    EXPECT_EQ(editor<TLayoutForm>(TPrintEditorKind::AddressSide), form);
    EXPECT_TRUE(form->isVisible());

    boxes.enqueue(IDNO);
    EXPECT_TRUE(list->CloseChildWindows());
    EXPECT_EQ(list->PrintEditor(TPrintEditorKind::AddressSide), nullptr);
}

TEST_F(MainListEditors, selectingAnotherRowLeavesTheLayoutUnchanged)
{
    action("actLayoutPrint")->trigger();
    auto *form = editor<TLayoutForm>(TPrintEditorKind::AddressSide);
    ASSERT_NE(form, nullptr);
    boxes.clear();
    list->SelectRow(list->IndexOfRecNo(2), true, true);
    EXPECT_FALSE(form->IsChanged());
    EXPECT_TRUE(list->CloseChildWindows());
    EXPECT_EQ(boxes.count(), 0);
}

// The address-side editor on the vertical postcard printing to a PDF file,
// its wizard answered by Answer.
class MainListPrint : public MainListEditors
{
protected:
    TLayoutForm *openLayout()
    {
        action("actLayoutPrint")->trigger();
        auto *form = editor<TLayoutForm>(TPrintEditorKind::AddressSide);
        if (!form)
            return nullptr;
        TLabelGrid grid;
        form->SetLayout(0, catalogueFormat(0, &grid), grid);
        form->Printer().setOutputFormat(QPrinter::PdfFormat);
        form->Printer().setOutputFileName(out.filePath(QStringLiteral("list.pdf")));
        form->ExecDialog = [this](QDialog &Dialog) { return answer(Dialog, boxes); };
        return form;
    }
    int printedPages()
    {
        QFile file(out.filePath(QStringLiteral("list.pdf")));
        return file.open(QIODevice::ReadOnly) ? int(file.readAll().count("/Type /Page\n")) : 0;
    }

    QTemporaryDir out;
    WizardAnswer answer;
};

TEST_F(MainListPrint, wizardPrintsTheSelectedRows)
{
    TLayoutForm *form = openLayout();
    ASSERT_NE(form, nullptr);
    selectRows({0, 2});
    form->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    EXPECT_TRUE(answer.Shown);
    EXPECT_EQ(answer.DataCount, QStringLiteral("2 件"));
    EXPECT_EQ(printedPages(), 2);
}

// Closing the main list, or asking it for another editor, while an editor
// prints would close the editor under its run: both wait for the run.
TEST_F(MainListPrint, listClosedMidRunKeepsThePrintingEditorAndItsRun)
{
    TLayoutForm *form = openLayout();
    ASSERT_NE(form, nullptr);
    QPointer<TLayoutForm> alive(form);
    selectRows({0, 1, 2});
    bool listShown = false;
    QTimer::singleShot(0, list.get(), [&] {
        action("actLabelPrint")->trigger();
        list->reject();
        listShown = list->isVisible();
    });
    form->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(listShown);
    ASSERT_FALSE(alive.isNull());
    EXPECT_EQ(list->PrintEditor(TPrintEditorKind::AddressSide), form);
    EXPECT_EQ(printedPages(), 3);
    // The label command that could not close the printing editor says why.
    QStringList said;
    for (const TMessageBoxRequest &box : boxes.shown())
        said << box.text;
    EXPECT_TRUE(said.contains(QStringLiteral("印刷中のため実行できません"))) << qPrintable(said.join(u'\n'));
}

struct MarkCase
{
    const char *Limit;
    int Pages;
};

class MainListMarks : public MainListPrint, public ::testing::WithParamInterface<MarkCase>
{
};

TEST_P(MainListMarks, allRowsAreFilteredByTheRecordsMarks)
{
    TLayoutForm *form = openLayout();
    ASSERT_NE(form, nullptr);
    selectRows({0});
    answer.Range = "rbAll";
    answer.Limit = GetParam().Limit;
    form->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    EXPECT_EQ(printedPages(), GetParam().Pages);
}

INSTANTIATE_TEST_SUITE_P(MainListEditors, MainListMarks,
                         ::testing::Values(MarkCase{"rbNone", 3}, MarkCase{"rbPrint", 1}, MarkCase{"rbExcept", 2}));

TEST_F(MainListPrint, printRunReadsRecordsWithoutMovingTheListsCursor)
{
    TTable &shared = *DMMurven19->AdrsTable();
    ASSERT_TRUE(shared.Locate(QStringLiteral("RecNo"), {2}));
    const auto source = MainListHost().PrintRecordSource();
    const std::optional<TAddressText> third = source(3);
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(third->NameKanji, QStringLiteral("鈴木 一郎"));
    EXPECT_FALSE(source(99).has_value());
    EXPECT_EQ(shared.FieldByName(QStringLiteral("RecNo")).AsInteger(), 2);
}

// With no book open a record of a run cannot be read: the run is told so
// (and stops) rather than printing it empty; record 0 (the design's and the
// sender's runs) is no record and reads as none.
TEST(MainListHostRun, withoutABookARecordCannotBeRead)
{
    ASSERT_EQ(DMMurven19, nullptr);
    const auto source = MainListHost().PrintRecordSource();
    EXPECT_THROW((void)source(1), ETableError);
    EXPECT_FALSE(source(0).has_value());
}

// The wizard takes which records print; their texts are read by the run,
// after the wizard's question: what another program saves while the question
// waits is what prints, and a record it deleted meanwhile prints no name.
TEST_F(MainListPrint, whatAnotherProgramSavesWhileTheWizardAsksIsWhatPrints)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    TLayoutForm *form = openLayout();
    ASSERT_NE(form, nullptr);
    selectRows({0, 1, 2});
    QString refused = QStringLiteral("the question was not asked");
    boxes.whileShown([&refused](const TMessageBoxRequest &Box) {
        if (!Box.text.startsWith(QStringLiteral("宛名レイアウトを印刷します")))
            return;
        try {
            OtherHandle handle(*DMMurven19->AdrsTable());
            TTable &other = handle.table;
            refused = QStringLiteral("a record is missing");
            if (!other.FindKey({QVariant(1)}))
                return;
            other.Edit();
            other.FieldByName(QStringLiteral("NameKanji")).SetAsString(QStringLiteral("改名 花子"));
            other.Post();
            if (!other.FindKey({QVariant(3)}))
                return;
            other.Delete();
            refused.clear();
        } catch (const ETableError &e) {
            refused = e.Message();
        }
    });
    form->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    ASSERT_TRUE(answer.Shown);
    EXPECT_EQ(refused, QString());
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                                  out.filePath(QStringLiteral("list.pdf")), QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    // The names stand in columns: read without the blanks and line ends.
    const QString text =
        QString::fromUtf8(pdftotext.readAllStandardOutput()).remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_TRUE(text.contains(QStringLiteral("改名花子"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("佐藤花子"))) << qPrintable(text);
    EXPECT_FALSE(text.contains(QStringLiteral("山田太郎"))) << qPrintable(text);
    EXPECT_FALSE(text.contains(QStringLiteral("鈴木一郎"))) << qPrintable(text);
}

// The one record chosen, deleted by another program while the question
// waits: nothing is left to print, and the editor says so; no blank
// postcard goes to the printer, no PDF is written.
TEST_F(MainListPrint, aRunWhoseRecordAnotherProgramDeletedPrintsNothingAndSaysSo)
{
    TLayoutForm *form = openLayout();
    ASSERT_NE(form, nullptr);
    selectRows({2});
    QString refused = QStringLiteral("the question was not asked");
    boxes.whileShown([&refused](const TMessageBoxRequest &Box) {
        if (!Box.text.startsWith(QStringLiteral("宛名レイアウトを印刷します")))
            return;
        try {
            OtherHandle handle(*DMMurven19->AdrsTable());
            TTable &other = handle.table;
            refused = QStringLiteral("the record is missing");
            if (!other.FindKey({QVariant(3)}))
                return;
            other.Delete();
            refused.clear();
        } catch (const ETableError &e) {
            refused = e.Message();
        }
    });
    form->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    ASSERT_TRUE(answer.Shown);
    EXPECT_EQ(refused, QString());
    ASSERT_GT(boxes.count(), 0);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("印刷するデータがありません"))) << qPrintable(boxes.last().text);
    EXPECT_FALSE(QFileInfo::exists(out.filePath(QStringLiteral("list.pdf"))));
}

// The run reads the book through a handle of its own; when that handle
// cannot be opened (here the book's file is gone from its folder while the
// list still holds it open), the run is refused with the cause: nothing is
// printed, no PDF is written, and the program goes on.
TEST_F(MainListPrint, aRunWhoseOwnHandleCannotBeOpenedIsRefusedWithTheCause)
{
    TLayoutForm *form = openLayout();
    ASSERT_NE(form, nullptr);
    selectRows({0});
    const QString book = DMMurven19->AdrsTable()->TableName();
    const QString away = book + QStringLiteral(".away");
    boxes.whileShown([&](const TMessageBoxRequest &Box) {
        if (Box.text.startsWith(QStringLiteral("宛名レイアウトを印刷します"))) {
            EXPECT_TRUE(QFile::rename(book, away));
        }
    });
    form->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    const bool back = QFile::rename(away, book);
    ASSERT_TRUE(answer.Shown);
    EXPECT_TRUE(back);
    ASSERT_GT(boxes.count(), 0);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("印刷するデータを読み込めませんでした\r\n"
                                                           "印刷用に住所録を開けませんでした\r\n")))
        << qPrintable(boxes.last().text);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("見つかりません"))) << qPrintable(boxes.last().text);
    EXPECT_FALSE(QFileInfo::exists(out.filePath(QStringLiteral("list.pdf"))));
    EXPECT_TRUE(form->isVisible());
}

enum class GoneWhen : std::uint8_t {
    WizardAsks,     // while the wizard is open: before the preview draws
    PreviewRedraws, // while the preview is shown, before it draws its pages again
};

struct GonePreviewCase {
    const char *name;
    GoneWhen when;
};

class MainListPreviewNoneLeft : public MainListPrint, public ::testing::WithParamInterface<GonePreviewCase>
{
protected:
    // As another program deletes the records, on a handle of its own; the
    // reason when the book refused.
    static QString deleteElsewhere(const QList<qint32> &RecNos)
    {
        try {
            OtherHandle handle(*DMMurven19->AdrsTable());
            for (const qint32 recNo : RecNos) {
                if (!handle.table.FindKey({QVariant(recNo)}))
                    return QStringLiteral("no record %1").arg(recNo);
                handle.table.Delete();
            }
        } catch (const ETableError &e) {
            return e.Message();
        }
        return {};
    }
};

// Every record of a preview deleted by another program: the user is told as
// the print tells it, and no empty preview is shown or left on screen.
TEST_P(MainListPreviewNoneLeft, saysSoAndShowsNoEmptyPreview)
{
    const GonePreviewCase &c = GetParam();
    TLayoutForm *form = openLayout();
    ASSERT_NE(form, nullptr);
    selectRows({0, 1, 2});
    QString refused = QStringLiteral("not deleted");
    // The wizard took the records on its first page; they go before its
    // last button is pressed.
    if (c.when == GoneWhen::WizardAsks)
        answer.Fill = [&refused](QDialog &) { refused = deleteElsewhere({1, 2, 3}); };
    bool shown = false;
    int drawnPages = -1;
    int result = -1;
    form->ExecPreview = [&](QDialog &Dialog) {
        shown = true;
        auto *preview = Dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        if (c.when != GoneWhen::PreviewRedraws) {
            preview->updatePreview();
            return;
        }
        QAction *landscape = nullptr;
        for (QAction *a : Dialog.findChildren<QAction *>())
            if (a->objectName() == QLatin1String("landscapeAction") || a->text().contains(QLatin1String("Landscape")))
                landscape = a;
        ASSERT_NE(landscape, nullptr);
        // Shown with its pages; then the records go, and the user turns the
        // page, which draws the pages again.
        QObject::connect(preview, &QPrintPreviewWidget::previewChanged, &Dialog, [&, preview, landscape] {
            if (drawnPages >= 0)
                return;
            drawnPages = preview->pageCount();
            QTimer::singleShot(0, &Dialog, [&, landscape] {
                refused = deleteElsewhere({1, 2, 3});
                landscape->trigger();
            });
        });
        QTimer::singleShot(5000, &Dialog, [&Dialog] { Dialog.done(42); });
        Dialog.exec();
        result = Dialog.result();
    };
    form->findChild<QAction *>(QStringLiteral("actPreview"))->trigger();
    ASSERT_TRUE(answer.Shown);
    EXPECT_EQ(refused, QString());
    if (c.when == GoneWhen::WizardAsks) {
        EXPECT_FALSE(shown);
    } else {
        EXPECT_EQ(drawnPages, 3);
        // Closed by itself, not left open with no page.
        EXPECT_EQ(result, int(QDialog::Rejected));
    }
    ASSERT_GT(boxes.count(), 0);
    EXPECT_EQ(boxes.last().text, QStringLiteral("印刷するデータがありません"));
    EXPECT_FALSE(QFileInfo::exists(out.filePath(QStringLiteral("list.pdf"))));
}

INSTANTIATE_TEST_SUITE_P(MainListEditors, MainListPreviewNoneLeft,
                         ::testing::Values(GonePreviewCase{"whileTheWizardAsks", GoneWhen::WizardAsks},
                                           GonePreviewCase{"whileThePreviewIsShown", GoneWhen::PreviewRedraws}),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST_F(MainListPrint, countingTheMarksLeavesTheListsCursorAlone)
{
    TLayoutForm *form = openLayout();
    ASSERT_NE(form, nullptr);
    selectRows({0});
    TTable &shared = *DMMurven19->AdrsTable();
    ASSERT_TRUE(shared.Locate(QStringLiteral("RecNo"), {2}));
    answer.Range = "rbAll";
    answer.Limit = "rbExcept";
    answer.CancelAfterData = true;
    form->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    QList<qint32> printed = answer.PrintList;
    std::sort(printed.begin(), printed.end());
    EXPECT_EQ(printed, (QList<qint32>{1, 3}));
    EXPECT_EQ(shared.FieldByName(QStringLiteral("RecNo")).AsInteger(), 2);
    EXPECT_EQ(printedPages(), 0);
}

} // namespace
