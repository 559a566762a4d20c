// A telephone number on a label's additional line the way a user gets there:
// the program started with its hyphenation library (from the program folder,
// as the start-up loads it), a number typed into the record form with its
// hyphens, the label editor's 書式 → 付加情報 with 項目1 = TEL, printed through
// the print wizard to a PDF file and read back with pdftotext. The record
// form keeps the digits alone; the print shows the number hyphenated again.
#include "UserRoad.h"
#include "core/WqhypWrapper.h"

namespace {

struct TelCase {
    const char *name;
    const char16_t *typed;
    const char16_t *printed;
};

class PrintedTelLine : public PdfDictionaryRoadFixture, public ::testing::WithParamInterface<TelCase>
{
protected:
    void SetUp() override
    {
        PdfDictionaryRoadFixture::SetUp();
        if (stopped())
            return;
        ASSERT_EQ(LoadWqhyp(AppPath, AppPath + QStringLiteral("Dic/")), 0);
        loaded = true;
    }
    void TearDown() override
    {
        if (loaded)
            FreeWqhyp();
        PdfDictionaryRoadFixture::TearDown();
    }

    bool loaded = false;
};

// The number reads on the label as the number hyphenated after its area
// code, whether its exchange is one in service or not.
TEST_P(PrintedTelLine, printsHyphenated)
{
    TTypedRecord person = TokyoPerson();
    person.Tel = QString::fromUtf16(GetParam().typed);
    ASSERT_NO_FATAL_FAILURE(typeRecord(person));
    selectRows({0});
    TPrintEditor *editor = openEditor("actLabelPrint", TPrintEditorKind::Label, 18); // 21 to a sheet; // 12 to a sheet
    ASSERT_NE(editor, nullptr);
    editor->ExecDialog = [](QDialog &Dialog) {
        Dialog.show();
        chooseAdditionItem(Dialog, 1, QStringLiteral("TEL"));
        press(&Dialog, "btnOK");
        return Dialog.result();
    };
    editor->findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
    ASSERT_TRUE(runPrintWizard(*editor));
    QString text;
    for (const TPdfWord &w : pdfWords(firstLabel(*editor)))
        text += w.Text + u' ';
    ASSERT_TRUE(text.contains(QStringLiteral("TEL"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QString::fromUtf16(GetParam().printed))) << qPrintable(text);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, PrintedTelLine,
    ::testing::Values(TelCase{"exchangeInService", u"03-1234-5678", u"03-1234-5678"},
                      TelCase{"exchangeNotInService", u"011-123-4567", u"011-123-4567"},
                      TelCase{"typedWithoutHyphens", u"0111234567", u"011-123-4567"}),
    [](const auto &Info) { return std::string(Info.param.name); });

} // namespace
