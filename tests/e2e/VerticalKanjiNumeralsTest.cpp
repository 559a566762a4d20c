// A postcard written down with 書式 → 書式 → 数字を漢数字に変換する ticked: an
// address typed with full-width digits (１９番地, ３丁目２０４号) prints every
// digit as a kanji numeral, a number of two or three digits whole, as the
// PDF's reader reads it (pdftotext).
#include "UserRoad.h"
#include "dialogs/DataFormat.h"

#include <QCheckBox>
#include <QRegularExpression>

namespace {

class VerticalKanjiNumerals : public PdfRoadFixture
{
};

TEST_F(VerticalKanjiNumerals, everyDigitOfAManyDigitNumberPrintsAsAKanjiNumeral)
{
    if (stopped())
        return;
    TTypedRecord r = TokyoPerson();
    r.Adrs1 = QStringLiteral("千代田区永田町１９番地");
    r.Adrs2 = QStringLiteral("２０４号");
    ASSERT_NO_FATAL_FAILURE(typeRecord(r));
    selectRows({0});
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    ASSERT_FALSE(editor->Document().HorizontalWriting());
    editor->ExecDialog = [](QDialog &D) {
        auto *kanji = D.findChild<QCheckBox *>(QStringLiteral("ckbChineseNumeral"));
        EXPECT_NE(kanji, nullptr);
        if (kanji && !kanji->isChecked())
            press(&D, "ckbChineseNumeral");
        press(&D, "btnOK");
        return D.result();
    };
    editor->findChild<QAction *>(QStringLiteral("actDataFormat"))->trigger();
    ASSERT_TRUE(editor->Document().DataFormat && editor->Document().DataFormat->KanjiNumerals);
    ASSERT_TRUE(runPrintWizard(*editor));

    // Columns of vertical writing: read without blanks and line ends.
    const QString text = readPdfText().remove(QRegularExpression(QStringLiteral("\\s")));
    // No digit is left in the address (the postcode prints in its boxes apart).
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[〇一二三四五六七八九十百][０-９0-9]|[０-９0-9](番地|号)"))))
        << qPrintable(text);
    // Either way of writing the number in kanji reads it whole.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("(一九|十九)番地")))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("(二〇四|二百四|二百〇四)号")))) << qPrintable(text);
}

} // namespace
