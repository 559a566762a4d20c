// 付加情報 on labels the way a user gets there: a person whose telephone
// number was typed into the record form, the label editor's 書式 → 付加情報
// with 項目1 = TEL and 項目2 a text of the user's own typed in, printed
// through the print wizard to a PDF file. The first label read back with
// pdftotext: both lines print, none of their words over another word, and on
// the turned label at a size a person reads (6 points and more).
#include "UserRoad.h"
#include "editors/AdditionPlace.h"
#include "support/RowName.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

struct RoadCase : SheetCase {
    bool four = false; // 項目3 and 項目4 too: the free text again and 携帯
};

// Every sheet of labels, with four lines where Four.
std::vector<RoadCase> everyLabelSheet(bool Four)
{
    std::vector<RoadCase> out;
    for (const SheetCase &sheet : kEveryLabelSheet)
        out.push_back({sheet, Four});
    return out;
}

class AdditionLinesRoad : public PdfRoadFixture, public ::testing::WithParamInterface<RoadCase>
{
protected:
    void SetUp() override
    {
        PdfRoadFixture::SetUp();
        if (stopped())
            return;
        ASSERT_NO_FATAL_FAILURE(enterRecords(QStringLiteral("03-1234-5678")));
        selectRows({0});
        editor = openLabelEditor(GetParam());
        ASSERT_NE(editor, nullptr);
        editor->ExecDialog = [four = GetParam().four](QDialog &Dialog) {
            Dialog.show();
            chooseAdditionItem(Dialog, 1, QStringLiteral("TEL"));
            press(&Dialog, "ckbAddition2");
            typeIn(&Dialog, "cbxAddition2", QStringLiteral("会員番号 ABC-12345"));
            if (four) {
                press(&Dialog, "ckbAddition3");
                typeIn(&Dialog, "cbxAddition3", QStringLiteral("会員番号 ABC-67890"));
                press(&Dialog, "ckbAddition4");
                typeIn(&Dialog, "cbxAddition4", QStringLiteral("会員番号 ABC-24680"));
            }
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        editor->findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
        ASSERT_TRUE(runPrintWizard(*editor));
        words = pdfWords(firstLabel(*editor));
        ASSERT_FALSE(words.empty());
    }

    // The words of the additional lines.
    std::vector<TPdfWord> lineWords() const
    {
        std::vector<TPdfWord> out;
        for (const TPdfWord &w : words)
            if (w.Text.contains(QStringLiteral("TEL")) || w.Text.contains(QStringLiteral("1234")) ||
                w.Text.contains(QStringLiteral("会員番号")) || w.Text.contains(QStringLiteral("ABC")))
                out.push_back(w);
        return out;
    }

    // Whether the wizard told before printing that it leaves lines out.
    bool toldLeftOut() const
    {
        for (const TMessageBoxRequest &box : boxes.shown())
            if (box.text.contains(QStringLiteral("付加情報")))
                return true;
        return false;
    }

    // The first label's text in the order it is printed: pdftotext reads
    // the columns of a label lying on its side across the sheet's rows,
    // one character of each column after another.
    QString allText() const
    {
        const QRectF area = firstLabel(*editor);
        QString text = QString::fromUtf8(pdfToText(
            {QStringLiteral("-raw"), QStringLiteral("-x"), QString::number(int(area.x())), QStringLiteral("-y"),
             QString::number(int(area.y())), QStringLiteral("-W"), QString::number(int(std::ceil(area.width()))),
             QStringLiteral("-H"), QString::number(int(std::ceil(area.height())))}));
        text.remove(QRegularExpression(QStringLiteral("\\s")));
        return text;
    }

    TPrintEditor *editor = nullptr;
    std::vector<TPdfWord> words;
};

// Each line prints, or the wizard told before printing that it leaves
// lines out (the addressee keeps its size, a line without room is left out).
TEST_P(AdditionLinesRoad, bothLinesPrint)
{
    const QString text = allText();
    const bool told = toldLeftOut();
    for (const QString &piece : {QStringLiteral("TEL"), QStringLiteral("0312345678"), QStringLiteral("会員番号"),
                                 QStringLiteral("ABC-12345")})
        EXPECT_TRUE(text.contains(piece) || told) << qPrintable(piece) << " not in " << qPrintable(text);
}

// On the wide label: the lines' words stand clear of every other word (on
// the turned one poppler's boxes of the characters set across an address
// column reach into their neighbours whatever is printed).
TEST_P(AdditionLinesRoad, linesPrintOverNoOtherWord)
{
    if (!editor->Document().HorizontalWriting())
        GTEST_SKIP() << "vertical writing";
    const std::vector<TPdfWord> lines = lineWords();
    if (lines.empty()) {
        EXPECT_TRUE(toldLeftOut()) << "no line printed, and the wizard did not tell";
        return;
    }
    for (const TPdfWord &line : lines)
        for (const TPdfWord &other : words) {
            const bool ofTheLines =
                std::any_of(lines.begin(), lines.end(), [&other](const TPdfWord &L) { return L.Box == other.Box; });
            if (ofTheLines)
                continue;
            const QRectF common = line.Box.intersected(other.Box);
            EXPECT_FALSE(common.width() > 0.01 && common.height() > 0.01)
                << qPrintable(line.Text) << " over " << qPrintable(other.Text);
        }
}

// Each line's characters stand at least 6 points high across their line (a
// turned label lies on its side on the sheet: its columns run along the
// sheet's rows, so across them is up the page as well). The 44-sheet label
// scales the size the user chose with its paper, as every frame's text, to
// below 6 points (the largest size gives 6): the lines are never made
// smaller than that to find room.
TEST_P(AdditionLinesRoad, linesPrintAtAReadableSize)
{
    const double chosenMm = AdditionLineHeight(editor->Document()) * 25.4 / 96;
    const double leastMm = std::min(6.0 / 72 * 25.4, chosenMm);
    const std::vector<TPdfWord> lines = lineWords();
    if (lines.empty()) {
        EXPECT_TRUE(toldLeftOut()) << "no line printed, and the wizard did not tell";
        return;
    }
    for (const TPdfWord &line : lines) {
        const double across = line.Box.height() * 25.4 / 72;
        EXPECT_GE(across, leastMm - 0.05) << qPrintable(line.Text) << " " << across << " mm";
    }
}

// Every label of the catalogue, wide and turned, in both frame sets.
INSTANTIATE_TEST_SUITE_P(Labels, AdditionLinesRoad, ::testing::ValuesIn(everyLabelSheet(false)), rowName);

// Four lines on every label.
INSTANTIATE_TEST_SUITE_P(FourLines, AdditionLinesRoad, ::testing::ValuesIn(everyLabelSheet(true)), rowName);

} // namespace
