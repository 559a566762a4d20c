// The additional lines of a label whose paper the user turns, the way a user
// gets there: private persons and company persons typed into the record form
// with a telephone number, a mail address and a keyword, the label editor made
// new on a sheet, 書式 → 付加情報 with TEL, E-Mail1, キーワード１ and 謹賀新年,
// then ファイル → 用紙の変更 with the other 用紙方向 of the same sheet, printed
// through the wizard to a PDF file and read back with pdftotext. Each label
// prints the same lines as the same layout made new on the turned paper (whose
// left-out lines AdditionRoom proves had no room), and the wizard counts the
// lines the PDF lacks.
#include "UserRoad.h"
#include "dialogs/LblFmt.h"
#include "support/RowName.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kFreeText = QStringLiteral("謹賀新年");

std::vector<TTypedRecord> mailing()
{
    TTypedRecord kyoto;
    kyoto.Name = QStringLiteral("鈴木 一郎");
    kyoto.Pos = QStringLiteral("6020056");
    kyoto.Tdfkn = QStringLiteral("京都府");
    kyoto.Adrs1 = QStringLiteral("京都市下京区新町4条下がる");
    kyoto.Adrs2 = QStringLiteral("北舟橋町650");
    kyoto.Tel = QStringLiteral("075-351-2468");
    kyoto.EMail1 = QStringLiteral("suzuki.ichiro@example.ne.jp");
    kyoto.Keyword1 = QStringLiteral("同窓会");
    TTypedRecord company;
    company.Name = QStringLiteral("高橋 健一");
    company.Corp = QStringLiteral("株式会社東西南北総合商事");
    company.Dptmnt = QStringLiteral("海外事業本部　欧州営業部");
    company.Post = QStringLiteral("部長");
    company.Pos = QStringLiteral("2200012");
    company.Tdfkn = QStringLiteral("神奈川県");
    company.Adrs1 = QStringLiteral("横浜市西区みなとみらい二丁目２番１号");
    company.Tel = QStringLiteral("045-222-1111");
    company.EMail1 = QStringLiteral("k.takahashi@tozai-shoji.co.jp");
    company.Keyword1 = QStringLiteral("取引先");
    TTypedRecord tokyo = TokyoPerson();
    tokyo.Tel = QStringLiteral("03-3581-0101");
    tokyo.EMail1 = QStringLiteral("yamada.taro@example.ne.jp");
    tokyo.Keyword1 = QStringLiteral("親戚");
    TTypedRecord small;
    small.Name = QStringLiteral("中村 真一");
    small.Corp = QStringLiteral("株式会社ピクス");
    small.Dptmnt = QStringLiteral("営業部");
    small.Pos = QStringLiteral("5300001");
    small.Tdfkn = QStringLiteral("大阪府");
    small.Adrs1 = QStringLiteral("大阪市北区梅田三丁目１番３号");
    small.Tel = QStringLiteral("06-6345-6789");
    small.EMail1 = QStringLiteral("nakamura@pics.example.jp");
    small.Keyword1 = QStringLiteral("顧客");
    return {kyoto, company, tokyo, small};
}

// A line's words as a label prints them (a telephone number without its
// hyphens), and the name the wizard knows it by.
struct TLineText {
    QString Name;
    QStringList Parts;
};

std::vector<TLineText> linesOf(const TTypedRecord &R)
{
    return {{QStringLiteral("TEL"), {QStringLiteral("TEL"), QString(R.Tel).remove(QLatin1Char('-'))}},
            {QStringLiteral("E-Mail1"), {QStringLiteral("E-Mail1"), R.EMail1}},
            {QStringLiteral("キーワード１"), {QStringLiteral("キーワード１"), R.Keyword1}},
            {QStringLiteral("「%1」").arg(kFreeText), {kFreeText}}};
}

// What one run printed: per label, the names of the lines it printed; and
// the wizard's count of the lines it leaves out and of the labels lacking
// them (-1: it named none).
struct TRun {
    std::vector<QStringList> Printed;
    int ToldLines = -1;
    int ToldLabels = -1;
};

class TurnedLabelLines : public PdfRoadFixture, public ::testing::WithParamInterface<SheetCase>
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
        records = mailing();
        for (const TTypedRecord &r : records)
            ASSERT_NO_FATAL_FAILURE(typeRecord(r));
        selectRows({0, 1, 2, 3});
    }

    // The sheet's paper in the other 用紙方向: the catalogue lists each
    // sheet upright, then turned.
    static int otherWay(int Paper) { return Paper % 2 == 0 ? Paper + 1 : Paper - 1; }

    // ファイル → Command (新規作成, 用紙の変更) with the sheet shown and
    // 用紙方向 Turned (横) or upright (縦) chosen, then OK.
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

    // The words of every label, each row's characters that touch one
    // another joined: pdftotext gives the characters of a column written
    // down a label lying on its side one by one.
    TRun readRun(TPrintEditor &Editor)
    {
        TRun run;
        for (const TMessageBoxRequest &box : boxes.shown()) {
            static const QRegularExpression count(QStringLiteral("付加情報 (\\d+) 行を省きます（ラベル (\\d+) 枚）"));
            if (const QRegularExpressionMatch m = count.match(box.text); m.hasMatch()) {
                run.ToldLines = m.captured(1).toInt();
                run.ToldLabels = m.captured(2).toInt();
            }
        }
        const TLayoutDocument &doc = Editor.Document();
        const std::vector<TPdfWord> words = pdfWords(QRectF(0, 0, 595, 842));
        for (size_t cell = 0; cell < records.size(); ++cell) {
            const QRectF area = LabelCellInPoints(doc, int(cell));
            std::vector<TPdfWord> label;
            for (const TPdfWord &w : words)
                if (area.contains(w.Box.center()))
                    label.push_back(w);
            QStringList runs;
            for (const TPdfWord &w : LabelRuns(label, LabelOnItsSide(doc)))
                runs << w.Text;
            QStringList printed;
            for (const TLineText &line : linesOf(records[cell]))
                if (std::all_of(line.Parts.begin(), line.Parts.end(),
                                [&runs](const QString &P) { return runs.contains(P); }))
                    printed << line.Name;
            run.Printed.push_back(printed);
        }
        return run;
    }

    // The wizard counts what the run's PDF lacks.
    void expectToldAsPrinted(const TRun &Run, const char *Route)
    {
        int missing = 0, labels = 0;
        for (const QStringList &printed : Run.Printed) {
            missing += 4 - int(printed.size());
            labels += printed.size() < 4 ? 1 : 0;
        }
        EXPECT_EQ(std::max(Run.ToldLines, 0), missing) << Route;
        EXPECT_EQ(std::max(Run.ToldLabels, 0), labels) << Route;
    }

    std::vector<TTypedRecord> records;
};

// Made new on the sheet the other way round, the four lines ticked, and
// the paper then turned to the sheet's own 用紙方向: every label prints the
// lines a layout made new on that paper prints (a private person on the
// turned 12-sheet label printed only 謹賀新年 beside 15 mm of blank: the lines
// stayed written across in their new columns).
TEST_P(TurnedLabelLines, aTurnedPaperPrintsTheLinesOfALayoutMadeOnIt)
{
    if (stopped())
        return;
    const SheetCase sheet = GetParam();
    const bool turned = sheet.paper % 2 == 1;
    TPrintEditor *editor = openLabelEditor({sheet.name, otherWay(sheet.paper), sheet.detail});
    ASSERT_NE(editor, nullptr);
    showFourAdditionLines(*editor, kFreeText);
    choosePaper(*editor, "actChangePaper", turned);
    ASSERT_EQ(editor->Document().FormatIndex, sheet.paper);
    ASSERT_EQ(editor->Document().Detail, sheet.detail);
    ASSERT_TRUE(runPrintWizard(*editor));
    const TRun changed = readRun(*editor);

    // The same lines on a layout made new on the sheet's paper.
    boxes.clear();
    boxes.enqueue(IDNO); // the changed layout is not saved
    choosePaper(*editor, "actNew", turned);
    ASSERT_EQ(boxes.count(), 1);
    ASSERT_TRUE(boxes.last().text.startsWith(QStringLiteral("レイアウトが変更されています")));
    ASSERT_EQ(editor->Document().FormatIndex, sheet.paper);
    if (editor->Document().Detail != sheet.detail) {
        ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    }
    showFourAdditionLines(*editor, kFreeText);
    ASSERT_TRUE(runPrintWizard(*editor));
    const TRun made = readRun(*editor);

    for (size_t cell = 0; cell < records.size(); ++cell)
        EXPECT_EQ(changed.Printed[cell].join(u'、'), made.Printed[cell].join(u'、'))
            << "label " << cell << " (" << qPrintable(records[cell].Name) << ") after 用紙の変更, against made new";
    expectToldAsPrinted(changed, "after 用紙の変更");
    expectToldAsPrinted(made, "made new");
}

INSTANTIATE_TEST_SUITE_P(Sheets, TurnedLabelLines, ::testing::ValuesIn(kEveryLabelSheet), rowName);

} // namespace
