#include "EditorsFixture.h"
#include "addressbook/BookFixture.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"
#include "editors/PrintEditors.h"
#include "items/NameRect.h"

#include <QPointer>
#include <QPrinter>

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
        for (const char16_t *name : {u"山田 太郎", u"佐藤 花子", u"鈴木 一郎"}) {
            table.Append();
            table.FieldByName(QStringLiteral("NameKanji")).SetAsString(QString::fromUtf16(name));
            table.FieldByName(QStringLiteral("Pos")).SetAsString(QStringLiteral("1000014"));
            table.FieldByName(QStringLiteral("Adrs1")).SetAsString(QStringLiteral("千代田区永田町"));
            table.Post();
        }
        table.FlushBuffers();
        DMMurven19->CloseAdrs();
        saved = PrintEditorOpener;
        RegisterPrintEditors();
        openList();
    }
    void TearDown() override
    {
        list.reset();
        PrintEditorOpener = saved;
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

TEST_F(MainListEditors, editorPrintsTheSelectedRowsToPdf)
{
    action("actLayoutPrint")->trigger();
    auto *form = editor<TLayoutForm>(TPrintEditorKind::AddressSide);
    ASSERT_NE(form, nullptr);
    TLabelGrid grid;
    form->SetLayout(0, catalogueFormat(0, &grid), grid);
    selectRows({0, 2});
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("list.pdf"));
    form->ExecPrintDialog = [&](QPrinter &Printer) {
        Printer.setOutputFormat(QPrinter::PdfFormat);
        Printer.setOutputFileName(pdf);
        return true;
    };
    form->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count("/Type /Page\n"), 2);
}

} // namespace
