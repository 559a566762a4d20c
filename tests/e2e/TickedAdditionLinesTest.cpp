// The additional lines of labels as the user ticks them in 書式 → 付加情報:
// TEL, E-Mail1, キーワード１ and a text of the user's own, on private persons
// typed into the record form, printed through the wizard to a PDF file and
// each label's words read back with pdftotext in reading order.
#include "UserRoad.h"
#include "dialogs/LblFmt.h"

#include <algorithm>

namespace {

const QString kFreeText = QStringLiteral("謹賀新年");

std::vector<TTypedRecord> persons()
{
    TTypedRecord tokyo = TokyoPerson();
    tokyo.Tel = QStringLiteral("03-3581-0101");
    tokyo.EMail1 = QStringLiteral("yamada.taro@example.ne.jp");
    tokyo.Keyword1 = QStringLiteral("親戚");
    TTypedRecord kyoto;
    kyoto.Name = QStringLiteral("鈴木 一郎");
    kyoto.Pos = QStringLiteral("6020056");
    kyoto.Tdfkn = QStringLiteral("京都府");
    kyoto.Adrs1 = QStringLiteral("京都市下京区新町4条下がる");
    kyoto.Adrs2 = QStringLiteral("北舟橋町650");
    kyoto.Tel = QStringLiteral("075-351-2468");
    kyoto.EMail1 = QStringLiteral("suzuki.ichiro@example.ne.jp");
    kyoto.Keyword1 = QStringLiteral("同窓会");
    return {tokyo, kyoto};
}

// The text a label prints for each of the four lines, in the dialog's
// order (a telephone number without its hyphens).
QStringList lineTexts(const TTypedRecord &R)
{
    return {QString(R.Tel).remove(QLatin1Char('-')), R.EMail1, R.Keyword1, kFreeText};
}

class TickedAdditionLines : public PdfRoadFixture
{
protected:
    void SetUp() override
    {
        PdfRoadFixture::SetUp();
        if (stopped())
            return;
        // The paper dialog reads the catalogue the build writes beside the
        // libraries.
        QFile::link(QStringLiteral(MURVEN_DIC_LIB_DIR "Common"), AppPath + QStringLiteral("Common"));
        records = persons();
        for (const TTypedRecord &r : records)
            ASSERT_NO_FATAL_FAILURE(typeRecord(r));
        selectRows({0, 1});
    }

    // 書式 → 付加情報 with the box of line Line clicked, then OK.
    static void clickAdditionLine(TPrintEditor &Editor, int Line)
    {
        Editor.ExecDialog = [Line](QDialog &Dialog) {
            Dialog.show();
            press(&Dialog, QByteArray("ckbAddition" + QByteArray::number(Line)).constData());
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
    }

    // ファイル → Command (新規作成, 用紙の変更) with 用紙方向 Turned (横) or
    // upright (縦) chosen, then OK.
    static void choosePaper(TPrintEditor &Editor, const char *Command, bool Turned)
    {
        Editor.ExecDialog = [Turned](QDialog &Dialog) {
            EXPECT_NE(dynamic_cast<TNewLabelDialog *>(&Dialog), nullptr);
            Dialog.show();
            press(&Dialog, Turned ? "rbLblH" : "rbLblV");
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QLatin1String(Command))->trigger();
    }

    // Per label, the four lines' texts in the order the label reads them
    // (those it prints).
    std::vector<QStringList> printedLines(TPrintEditor &Editor)
    {
        const TLayoutDocument &doc = Editor.Document();
        const std::vector<TPdfWord> words = pdfWords(QRectF(0, 0, 595, 842));
        std::vector<QStringList> out;
        for (size_t cell = 0; cell < records.size(); ++cell) {
            const QRectF area = LabelCellInPoints(doc, int(cell));
            std::vector<TPdfWord> label;
            for (const TPdfWord &w : words)
                if (area.contains(w.Box.center()))
                    label.push_back(w);
            const QStringList wanted = lineTexts(records[cell]);
            QStringList read;
            for (const TPdfWord &w : LabelRuns(label, LabelOnItsSide(doc)))
                if (wanted.contains(w.Text))
                    read << w.Text;
            out.push_back(read);
        }
        return out;
    }

    std::vector<TTypedRecord> records;
};

// A line unticked, the sheet turned through 用紙の変更 (the 12-sheet label
// made upright, then 横), and the line ticked again: each label prints the
// lines a layout made new on the turned sheet prints, the line ticked again
// among them, written the way the turned label is.
TEST_F(TickedAdditionLines, aLineHiddenWhileThePaperTurnedPrintsOnceTickedAgain)
{
    if (stopped())
        return;
    TPrintEditor *editor = openLabelEditor({"sheet12", 14, false});
    ASSERT_NE(editor, nullptr);
    showFourAdditionLines(*editor, kFreeText);
    clickAdditionLine(*editor, 1); // TEL hidden
    choosePaper(*editor, "actChangePaper", true);
    ASSERT_EQ(editor->Document().FormatIndex, 15);
    clickAdditionLine(*editor, 1); // TEL shown again
    ASSERT_TRUE(runPrintWizard(*editor));
    const std::vector<QStringList> changed = printedLines(*editor);

    boxes.clear();
    boxes.enqueue(IDNO); // the changed layout is not saved
    choosePaper(*editor, "actNew", true);
    ASSERT_EQ(editor->Document().FormatIndex, 15);
    showFourAdditionLines(*editor, kFreeText);
    ASSERT_TRUE(runPrintWizard(*editor));
    const std::vector<QStringList> made = printedLines(*editor);

    for (size_t cell = 0; cell < records.size(); ++cell) {
        const QString tel = lineTexts(records[cell]).first();
        EXPECT_EQ(changed[cell].contains(tel), made[cell].contains(tel))
            << "label " << cell << ": " << qPrintable(changed[cell].join(u'、')) << " against made new "
            << qPrintable(made[cell].join(u'、'));
    }
}

} // namespace
