// Addressees on labels printed with the detailed frames, the way a user gets
// there: the records typed into the record form (a person at a company with a
// department and a title too long for the name's line, a company addressed as
// itself, a person with a joint name), the label editor switched to the
// detailed frames through 書式 → 詳細, printed through the print wizard to a
// PDF file. The first label is read back as a person meets it: the words
// pdftotext finds on it, read line by line (no word printed over another),
// and the page rendered (no ink within 2 mm of the bars).
#include "PrintedInk.h"
#include "UserRoad.h"
#include "items/BarRect.h"
#include "support/RowName.h"

#include <QStandardPaths>

#include <algorithm>

namespace {

struct LabelCase {
    const char *name;
    int paper;
};

QString readingOrder(std::vector<TPdfWord> Words, bool Turned);

class LabelNameBlock : public UserRoadFixture, public ::testing::WithParamInterface<LabelCase>
{
protected:
    // The first label the editor printed, read as a person reads it.
    QString firstLabelText(TPrintEditor &Editor) const
    {
        return readingOrder(pdfWords(firstLabel(Editor)), !Editor.Document().HorizontalWriting());
    }

    // A company record typed into a new record form and added: Name empty
    // addresses the company itself.
    void enterCompany(const QString &Name, const QString &Department, const QString &Title)
    {
        typeRecord({.Name = Name,
                    .Corp = QStringLiteral("株式会社ピクス"),
                    .Dptmnt = Department,
                    .Post = Title,
                    .Pos = QStringLiteral("1000014"),
                    .Tdfkn = QStringLiteral("東京都"),
                    .Adrs1 = QStringLiteral("千代田区永田町一丁目７番１号")});
    }

    // Prints the record of Row on the first label of the paper, with the
    // detailed frames; the editor, or null.
    TPrintEditor *printFirstLabel(int Row)
    {
        selectRows({Row});
        TPrintEditor *editor = openEditor("actLabelPrint", TPrintEditorKind::Label, GetParam().paper);
        EXPECT_NE(editor, nullptr);
        if (!editor)
            return nullptr;
        switchToDetailedFrames(*editor);
        EXPECT_TRUE(runPrintWizard(*editor));
        return editor;
    }

    void SetUp() override
    {
        UserRoadFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            GTEST_SKIP() << "poppler-utils are not installed";
        // Rows 0 and 1: a person at a company with a department and a title
        // too long for the name's line; the company addressed as itself, to
        // a department with a title.
        ASSERT_NO_FATAL_FAILURE(enterCompany(QStringLiteral("山田 太郎"), QStringLiteral("第一営業本部　東日本営業部"),
                                             QStringLiteral("代表取締役社長")));
        ASSERT_NO_FATAL_FAILURE(
            enterCompany({}, QStringLiteral("研究開発センター　第三研究室"), QStringLiteral("所長")));
        // Row 2: a person with a joint name beside the name: two lines that
        // fill the name's frame down to its foot, above the bars.
        TTypedRecord person = TokyoPerson();
        person.Joints = {QStringLiteral("花子")};
        ASSERT_NO_FATAL_FAILURE(typeRecord(person));
    }
};

// The label's text as a person reads it from the words pdftotext finds:
// horizontal writing row after row from the top, each from the left;
// vertical writing column after column from the right, each from the top. A
// turned label stands on the sheet a quarter turned (its left edge along the
// sheet's top), so its words are turned back first.
QString readingOrder(std::vector<TPdfWord> Words, bool Turned)
{
    for (TPdfWord &w : Words)
        if (Turned)
            w.Box = QRectF(QPointF(w.Box.top(), -w.Box.right()), QPointF(w.Box.bottom(), -w.Box.left()));
    // Lines: words whose middles fall within a line's extent across it.
    struct TLine {
        double from, to;
        std::vector<TPdfWord> words;
    };
    std::vector<TLine> lines;
    for (const TPdfWord &w : Words) {
        const double from = Turned ? w.Box.left() : w.Box.top();
        const double to = Turned ? w.Box.right() : w.Box.bottom();
        const double middle = (from + to) / 2;
        auto line = std::find_if(lines.begin(), lines.end(),
                                 [middle](const TLine &L) { return middle >= L.from && middle <= L.to; });
        if (line == lines.end()) {
            lines.push_back({from, to, {w}});
        } else {
            line->from = std::min(line->from, from);
            line->to = std::max(line->to, to);
            line->words.push_back(w);
        }
    }
    // Rows from the top; columns from the right.
    std::sort(lines.begin(), lines.end(),
              [Turned](const TLine &A, const TLine &B) { return Turned ? A.from > B.from : A.from < B.from; });
    QString text;
    for (TLine &line : lines) {
        std::sort(line.words.begin(), line.words.end(), [Turned](const TPdfWord &A, const TPdfWord &B) {
            return Turned ? A.Box.top() < B.Box.top() : A.Box.left() < B.Box.left();
        });
        for (const TPdfWord &w : line.words)
            text += w.Text;
    }
    return text;
}

// Whether the pieces of Expected stand in Text one after another; the
// failure names the first one that does not.
::testing::AssertionResult readsInOrder(const QString &Text, const QStringList &Expected)
{
    qsizetype at = 0;
    for (const QString &piece : Expected) {
        const qsizetype found = Text.indexOf(piece, at);
        if (found < 0)
            return ::testing::AssertionFailure()
                   << qPrintable(piece)
                   << (Text.indexOf(piece) < 0 ? " is missing" : " comes too early") << ": " << qPrintable(Text);
        at = found + piece.size();
    }
    return ::testing::AssertionSuccess();
}

TEST_P(LabelNameBlock, personAtACompanyReadsCompanyDepartmentTitleName)
{
    TPrintEditor *editor = printFirstLabel(0);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(readsInOrder(firstLabelText(*editor),
                             {QStringLiteral("株式会社ピクス"), QStringLiteral("第一営業本部"),
                              QStringLiteral("東日本営業部"), QStringLiteral("代表取締役社長"), QStringLiteral("山田"),
                              QStringLiteral("太郎")}));
}

TEST_P(LabelNameBlock, companyItselfReadsCompanyDepartmentTitleHonorific)
{
    TPrintEditor *editor = printFirstLabel(1);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(readsInOrder(firstLabelText(*editor),
                             {QStringLiteral("株式会社ピクス"), QStringLiteral("研究開発センター"),
                              QStringLiteral("第三研究室"), QStringLiteral("所長御中")}));
}

// The words of a horizontal label (in vertical writing poppler's boxes of
// digits set across a column reach into their neighbours' whatever is
// printed).
TEST_P(LabelNameBlock, noWordPrintsOverAnother)
{
    TPrintEditor *editor = printFirstLabel(0);
    ASSERT_NE(editor, nullptr);
    if (!editor->Document().HorizontalWriting())
        GTEST_SKIP() << "vertical writing";
    const std::vector<TPdfWord> words = pdfWords(firstLabel(*editor));
    ASSERT_GE(words.size(), 6u);
    // A hundredth of a point: boxes that only touch.
    for (size_t a = 0; a < words.size(); ++a)
        for (size_t b = a + 1; b < words.size(); ++b) {
            const QRectF common = words[a].Box.intersected(words[b].Box);
            EXPECT_FALSE(common.width() > 0.01 && common.height() > 0.01)
                << qPrintable(words[a].Text) << " and " << qPrintable(words[b].Text) << " overlap by "
                << common.width() << " x " << common.height() << " pt";
        }
}

TEST_P(LabelNameBlock, nothingPrintsWithinTwoMillimetresOfTheBars)
{
    TPrintEditor *editor = printFirstLabel(2);
    ASSERT_NE(editor, nullptr);
    const TLayoutDocument &doc = editor->Document();
    const TDrawRect *bar = nullptr;
    for (const auto &item : doc.Items)
        if (item->GetKind() == TDrawRectKind::Barcode && item->IsVisible())
            bar = item.get();
    if (!bar)
        GTEST_SKIP() << "the paper is too small for the bars";
    constexpr int dpi = 300;
    const QList<QImage> pages = renderPdf(pdfFile(), dpi);
    ASSERT_EQ(pages.size(), 1);
    // The bars where the first label's barcode lies on the sheet: a turned
    // label lies on its side in its cell, its top edge down the cell's right.
    const QRectF cell(QPointF(doc.CellRect(0).topLeft()) / 10.0, QSizeF(doc.CellRect(0).size()) / 10.0);
    const QRectF laid = ItemMm(*bar);
    const bool onItsSide = doc.CellRect(0).width() != doc.PieceSize().width();
    const QRectF onSheet = onItsSide ? QRectF(QPointF(cell.right() - laid.bottom(), cell.top() + laid.left()),
                                              QPointF(cell.right() - laid.top(), cell.top() + laid.right()))
                                     : laid.translated(cell.topLeft());
    const QImage &page = pages[0];
    const QRect bars = InkAround(page, onSheet, dpi);
    ASSERT_FALSE(bars.isEmpty()) << "no bars printed";
    // The nearest ink of anything else, looked for up to 3 mm away.
    const int reach = int(std::lround(3.0 / 25.4 * dpi));
    int nearest = reach + 1;
    for (int y = bars.top() - reach; y <= bars.bottom() + reach; ++y)
        for (int x = bars.left() - reach; x <= bars.right() + reach; ++x)
            if (!bars.contains(x, y) && page.rect().contains(x, y) && isInk(page.pixel(x, y)))
                nearest = std::min(nearest, std::max({bars.top() - y, y - bars.bottom(), bars.left() - x,
                                                      x - bars.right()}));
    // A dot of rasterising allowed.
    EXPECT_GE((nearest + 1) * 25.4 / dpi, 2.0) << "ink " << nearest * 25.4 / dpi << " mm from the bars";
}

INSTANTIATE_TEST_SUITE_P(DetailedFrames, LabelNameBlock,
                         ::testing::Values(LabelCase{"sheet12", 14}, LabelCase{"sheet12Turned", 15},
                                           LabelCase{"sheet10", 16}, LabelCase{"sheet10Turned", 17},
                                           LabelCase{"sheet21", 18}, LabelCase{"sheet21Turned", 19},
                                           LabelCase{"sheet24", 20}, LabelCase{"sheet24Turned", 21},
                                           LabelCase{"sheet44", 22}, LabelCase{"sheet44Turned", 23}),
                         rowName);

} // namespace
