// The data format's 数字を漢数字に変換する and 「－」を「の」に変換する the way a
// user meets them: addresses typed into the record form as people type them
// (half-width, full-width, both in one lot, a building named with a letter
// and a digit), both boxes ticked in 書式 of the label editor, the sheet
// printed through the print wizard to a PDF file and each label read back
// with pdftotext. Every address converts alike, whatever width it was typed
// in.
#include "UserRoad.h"

namespace {

struct Typed {
    const char16_t *adrs1;
    const char16_t *adrs2;
};

const Typed kTyped[] = {
    {u"大阪市北区梅田3丁目80-25", u"J1ビル2-B"},
    {u"札幌市中央区北一条西2-1", u""},
    {u"大阪市北区梅田", u"2-4-9梅田ビル 1203"},
    {u"千代田区永田町９－４－２１", u"２０３号室"},
    {u"千代田区永田町１５-25−２２", u""},
};

// What the labels print between them; a building's name keeps its number.
const char16_t *const kPrinted[] = {u"三丁目八〇の二五", u"J1ビル二のB", u"北一条西二の一",
                                    u"二の四の九梅田ビル", u"一二〇三", u"永田町九の四の二一",
                                    u"二〇三号室", u"永田町一五の二五の二二"};

// What no label may print any longer: the numbers as they were typed.
const char16_t *const kUnconverted[] = {u"80-25", u"2-B", u"2-1", u"2-4-9", u"1203", u"９－４", u"25−"};

class TickedNumerals : public PdfRoadFixture
{
};

TEST_F(TickedNumerals, everyWidthTypedPrintsInKanjiWithの)
{
    if (stopped())
        return;
    QList<int> rows;
    for (const Typed &t : kTyped) {
        TTypedRecord person = TokyoPerson();
        person.Adrs1 = QString::fromUtf16(t.adrs1);
        person.Adrs2 = QString::fromUtf16(t.adrs2);
        ASSERT_NO_FATAL_FAILURE(typeRecord(person));
        rows << int(rows.size());
    }
    selectRows(rows);
    TPrintEditor *editor = openEditor("actLabelPrint", TPrintEditorKind::Label, 14);
    ASSERT_NE(editor, nullptr);
    editor->ExecDialog = [](QDialog &Dialog) {
        Dialog.show();
        press(&Dialog, "ckbChineseNumeral");
        press(&Dialog, "ckbConnect");
        press(&Dialog, "btnOK");
        return Dialog.result();
    };
    editor->findChild<QAction *>(QStringLiteral("actDataFormat"))->trigger();
    ASSERT_TRUE(runPrintWizard(*editor));

    // Each label's words joined, blanks and line ends left out: a line the
    // frame breaks reads on.
    QStringList labels;
    for (int cell = 0; cell < int(std::size(kTyped)); ++cell) {
        QString text;
        for (const TPdfWord &w : pdfWords(LabelCellInPoints(editor->Document(), cell)))
            text += w.Text;
        labels << text;
    }
    const QString all = labels.join(u'|');
    for (const char16_t *printed : kPrinted)
        EXPECT_TRUE(all.contains(QString::fromUtf16(printed)))
            << QString::fromUtf16(printed).toStdString() << " not in " << all.toStdString();
    for (const char16_t *typed : kUnconverted)
        EXPECT_FALSE(all.contains(QString::fromUtf16(typed)))
            << QString::fromUtf16(typed).toStdString() << " in " << all.toStdString();
}

} // namespace
