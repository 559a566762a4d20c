// The label editor's page shows what the paper gets: a person at a company
// with a long address, department and title, with a telephone number, a
// mail address and a keyword typed into the record form, on the 44-sheet
// label, the editor's 書式 → 付加情報 with TEL, E-Mail1, キーワード１ and a
// text of the user's own. The label has no room for the lines beside this
// addressee: the print leaves them out, and the editor's page, drawn into a
// PDF as it draws onto the screen, does not show them over the name either,
// nor their empty frames, nor does a click there pick a line it does not
// show; the wizard told before printing how many lines it leaves out, and on how
// many labels, named as labels beside its own count of sheets. On the
// turned label's detailed frames, and in a name frame made too thin for a
// company's lines, it names the part that prints smaller.
#include "UserRoad.h"
#include "editors/AdditionPlace.h"
#include "editors/PageView.h"
#include "items/AdditionRect.h"
#include "items/MetaRect.h"

#include <QComboBox>
#include <QPageSize>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

namespace {

class LabelShortfalls : public PdfRoadFixture
{
protected:
    void SetUp() override
    {
        PdfRoadFixture::SetUp();
        if (stopped())
            return;
        const TTypedRecord r = LongCompanyPerson();
        ASSERT_NO_FATAL_FAILURE(typeRecord(r));
        selectRows({0});
        editor = openEditor("actLabelPrint", TPrintEditorKind::Label, 22);
        ASSERT_NE(editor, nullptr);
        showFourAdditionLines(*editor, QStringLiteral("会員番号 ABC-12345"));
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    }

    // The pieces of the four lines found among Words.
    static QStringList linesIn(const std::vector<TPdfWord> &Words)
    {
        QStringList found;
        for (const QString &piece : {QStringLiteral("TEL"), QStringLiteral("hasegawa@"), QStringLiteral("ゴールド会員"),
                                     QStringLiteral("ABC-12345")})
            if (std::any_of(Words.begin(), Words.end(), [&piece](const TPdfWord &W) { return W.Text.contains(piece); }))
                found << piece;
        return found;
    }

    // What the page does not show: the additional lines the print leaves
    // out, and the bars, which the 44-sheet label is too small to print.
    std::vector<int> unseenItems() const
    {
        std::vector<int> out = LeftOutAdditionLines(editor->Document());
        const auto &items = editor->Document().Items;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i]->GetKind() == TDrawRectKind::Barcode)
                out.push_back(int(i));
        return out;
    }

    TPrintEditor *editor = nullptr;
};

TEST_F(LabelShortfalls, pageShowsTheLinesThePrintKeeps)
{
    ASSERT_TRUE(runPrintWizard(*editor));
    const std::vector<TPdfWord> paper = pdfWords(firstLabel(*editor));
    ASSERT_TRUE(std::any_of(paper.begin(), paper.end(),
                            [](const TPdfWord &W) { return W.Text.contains(QStringLiteral("北一条")); }));
    const QStringList printed = linesIn(paper);
    // The addressee takes the whole label: at least a line has no room.
    ASSERT_LT(printed.size(), 4) << qPrintable(printed.join(u' '));

    ASSERT_NO_FATAL_FAILURE(drawPageIntoPdf(*editor));
    const std::vector<TPdfWord> screen = pdfWords(QRectF(0, 0, 10000, 10000));
    ASSERT_TRUE(std::any_of(screen.begin(), screen.end(),
                            [](const TPdfWord &W) { return W.Text.contains(QStringLiteral("北一条")); }));
    EXPECT_EQ(linesIn(screen).join(u' ').toStdString(), printed.join(u' ').toStdString());
}

// The run prints one label: every count the wizard gives before printing
// says labels (its 用紙枚数 counts sheets), the lines left out among them.
TEST_F(LabelShortfalls, wizardCountsTheLabelsItLeavesLinesOff)
{
    ASSERT_TRUE(runPrintWizard(*editor));
    const int missing = 4 - int(linesIn(pdfWords(firstLabel(*editor))).size());
    ASSERT_GT(missing, 0);
    QString told;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(QStringLiteral("1.8mm")))
            told = box.text;
    EXPECT_TRUE(told.contains(QStringLiteral("付加情報 %1 行を省きます（ラベル 1 枚）").arg(missing))) << qPrintable(told);
    EXPECT_FALSE(told.contains(QRegularExpression(QStringLiteral("（\\d+ 枚）")))) << qPrintable(told);
}

// A line's box dragged smaller than any text it can hold: the line is not
// lost without a word. It takes free room like any line without room in
// its own box and prints readably there, or the wizard counts and names it
// among the lines left out, as the PDF shows them.
TEST_F(LabelShortfalls, aLineShrunkBelowAnyTextPrintsElsewhereOrIsTold)
{
    TLabelGrid grid;
    editor->SetLayout(14, catalogueFormat(14, &grid), grid);
    showFourAdditionLines(*editor, QStringLiteral("会員番号 ABC-12345"));
    bool shrunk = false;
    for (const auto &item : editor->Document().Items)
        if (auto *line = dynamic_cast<TAdditionRect *>(item.get()); line && AdditionLineName(*line) == u"TEL") {
            TPageRect r = line->GetRect();
            r.Right = r.Left + 3;
            r.Bottom = r.Top + 3;
            line->SetRect(r);
            shrunk = true;
        }
    ASSERT_TRUE(shrunk);
    ASSERT_TRUE(runPrintWizard(*editor));
    const std::vector<TPdfWord> paper = pdfWords(firstLabel(*editor));
    const QStringList printed = linesIn(paper);
    QString told;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(QStringLiteral("付加情報")))
            told = box.text;
    if (printed.contains(QStringLiteral("TEL"))) {
        for (const TPdfWord &w : paper) {
            if (w.Text.contains(QStringLiteral("TEL"))) {
                EXPECT_GE(w.Box.height() * 25.4 / 72, LeastTextMm - 0.05);
            }
        }
    } else {
        EXPECT_TRUE(told.contains(QStringLiteral("TEL"))) << qPrintable(told);
    }
    const int missing = 4 - int(printed.size());
    if (missing > 0) {
        EXPECT_TRUE(told.contains(QStringLiteral("付加情報 %1 行を省きます").arg(missing)))
            << qPrintable(printed.join(u' ')) << " printed; the wizard said: " << qPrintable(told);
    } else {
        EXPECT_FALSE(told.contains(QStringLiteral("行を省きます"))) << qPrintable(told);
    }
}

// The turned 44-sheet label's detailed frames: the department of three
// parts shares its column with the title and keeps the least height
// narrowed along it to no less than two thirds of its width, which reads;
// the company and the title, with columns of their own, print whole. The
// wizard names none of them.
TEST_F(LabelShortfalls, wizardNamesNoPartNarrowedToTwoThirdsOrMore)
{
    TLabelGrid grid;
    editor->SetLayout(23, catalogueFormat(23, &grid), grid);
    ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    ASSERT_TRUE(runPrintWizard(*editor));
    QString told;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(QStringLiteral("1.8mm")))
            told = box.text;
    for (const QString &part : {QStringLiteral("会社名"), QStringLiteral("部署名"), QStringLiteral("役職")})
        EXPECT_FALSE(told.contains(part)) << qPrintable(told);
}

// The simple set stands the company's lines in the name's frame. The
// catalogue's labels give it room for them all at 1.8 mm; a user's name
// frame made as thin as the 24-sheet label's once was (8.4 mm) is not, and
// takes the blank below it instead: the wizard names a line only where it
// prints smaller, by its own part, as the PDF shows it.
TEST_F(LabelShortfalls, wizardNamesTheCompanyLinesOfTheNameFrameByTheirParts)
{
    TLabelGrid grid;
    editor->SetLayout(20, catalogueFormat(20, &grid), grid);
    ASSERT_FALSE(editor->Document().Detail);
    bool thinned = false;
    for (const auto &item : editor->Document().Items)
        if (item->GetKind() == TDrawRectKind::RecipientName) {
            TPageRect r = item->GetRect();
            r.Bottom = r.Top + qint32(std::lround(8.4 / 25.4 * 96));
            item->SetRect(r);
            thinned = true;
        }
    ASSERT_TRUE(thinned);
    ASSERT_TRUE(runPrintWizard(*editor));
    QString told;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(QStringLiteral("1.8mm")))
            told = box.text;
    const std::vector<TPdfWord> words = pdfWords(firstLabel(*editor));
    int smallParts = 0;
    const std::pair<QString, QString> parts[] = {{QStringLiteral("会社名"), QStringLiteral("物産")},
                                                 {QStringLiteral("部署名"), QStringLiteral("営業")},
                                                 {QStringLiteral("役職"), QStringLiteral("取締役")}};
    for (const auto &[part, piece] : parts) {
        double least = 1e9;
        for (const TPdfWord &w : words)
            if (w.Text.contains(piece))
                least = std::min(least, w.Box.height() * 25.4 / 72);
        ASSERT_LT(least, 1e9) << qPrintable(piece) << " is not printed";
        const bool small = least < LeastTextMm - 0.05;
        smallParts += small ? 1 : 0;
        EXPECT_EQ(told.contains(part + QStringLiteral("が 1.8mm より小さい文字で印刷されます")), small)
            << qPrintable(part) << " prints at " << least << " mm; the wizard said: " << qPrintable(told);
    }
    // The blank the thin frame leaves below it (the 24-sheet label prints no
    // bars) is lent to its lines: none prints small.
    EXPECT_EQ(smallParts, 0);
}

// The page as the screen shows it: where a line the print leaves out lies,
// or the bars the label cannot print, no dotted frame is drawn over the
// addressee. Their edges are looked at where no other frame runs, for the
// frames' grey.
TEST_F(LabelShortfalls, pageShowsNoFrameOfWhatItDoesNotPrint)
{
    TPageView *view = editor->PageView();
    ASSERT_NE(view, nullptr);
    ASSERT_FALSE(editor->Document().BarcodeFitsPaper());
    const std::vector<int> leftOut = unseenItems();
    ASSERT_GT(leftOut.size(), 1u);
    const QImage page = view->grab().toImage();
    const auto &items = editor->Document().Items;
    const auto frameOf = [](const TDrawRect &Item) {
        const TScreenRect r = Item.GetDispRect();
        return QRect(TPageView::Margin + r.Left, TPageView::Margin + r.Top, r.width() - 1, r.height() - 1);
    };
    const auto edgePixels = [](const QRect &Frame) {
        std::set<std::pair<int, int>> out;
        for (int x = Frame.left(); x <= Frame.left() + Frame.width(); ++x)
            out.insert({x, Frame.top()}), out.insert({x, Frame.top() + Frame.height()});
        for (int y = Frame.top(); y <= Frame.top() + Frame.height(); ++y)
            out.insert({Frame.left(), y}), out.insert({Frame.left() + Frame.width(), y});
        return out;
    };
    std::set<std::pair<int, int>> others;
    for (size_t i = 0; i < items.size(); ++i)
        if (std::find(leftOut.begin(), leftOut.end(), int(i)) == leftOut.end()) {
            const auto edge = edgePixels(frameOf(*items[i]));
            others.insert(edge.begin(), edge.end());
        }
    // A line the record moves into free room has its frame where it shows.
    for (const TPageView::TMovedLine &moved : view->MovedLines()) {
        const TScreenRect &r = moved.Shown;
        const auto edge = edgePixels(
            QRect(TPageView::Margin + r.Left, TPageView::Margin + r.Top, r.width() - 1, r.height() - 1));
        others.insert(edge.begin(), edge.end());
    }
    const QRgb frameGrey = qRgb(160, 160, 160);
    for (const int line : leftOut) {
        int looked = 0, grey = 0;
        for (const auto &[x, y] : edgePixels(frameOf(*items[size_t(line)]))) {
            if (others.count({x, y}) || !page.rect().contains(x, y))
                continue;
            ++looked;
            grey += page.pixel(x, y) == frameGrey ? 1 : 0;
        }
        ASSERT_GT(looked, 20) << "line " << line;
        // A dotted frame greys every other pixel or so; text drawn there may
        // happen on the grey in a pixel or two.
        EXPECT_LT(grey * 20, looked) << "line " << line << ": " << grey << " of " << looked << " pixels frame grey";
    }
}

// A click where a line left out or the bars would lie does not pick them:
// the page shows nothing there to pick.
TEST_F(LabelShortfalls, clickDoesNotPickWhatThePageDoesNotPrint)
{
    TPageView *view = editor->PageView();
    ASSERT_NE(view, nullptr);
    const std::vector<int> leftOut = unseenItems();
    ASSERT_GT(leftOut.size(), 1u);
    for (const int line : leftOut) {
        const TScreenRect r = editor->Document().Items[size_t(line)]->GetDispRect();
        const QPoint at(TPageView::Margin + r.Left + r.width() / 2, TPageView::Margin + r.Top + r.height() / 2);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_NE(view->Selected(), line);
    }
}

} // namespace

namespace {

// One record typed into the record form, shown in the label editor on
// Paper with the four additional lines (TEL, E-Mail1, キーワード１, FreeText).
class OneRecordLabels : public PdfRoadFixture
{
protected:
    TPrintEditor *labelsFor(const TTypedRecord &Record, int Paper, const QString &FreeText)
    {
        typeRecord(Record);
        selectRows({0});
        TPrintEditor *editor = openEditor("actLabelPrint", TPrintEditorKind::Label, Paper);
        if (editor)
            showFourAdditionLines(*editor, FreeText);
        return editor;
    }
};

// The page decides which additional lines the record shown keeps as the
// print decides it: a record whose mail address just fits its line at the
// printer's resolution, on the 21-sheet label.
TEST_F(OneRecordLabels, pageKeepsTheLinesThePrintKeeps)
{
    if (stopped())
        return;
    TTypedRecord r;
    r.Name = QStringLiteral("林 一");
    r.Tdfkn = QStringLiteral("東京都");
    r.Adrs1 = QStringLiteral("港区１－２");
    r.Tel = QStringLiteral("011-123-4567");
    r.EMail1 = QStringLiteral("hasegawa.goroemon@example.co.jp");
    r.Keyword1 = QStringLiteral("ゴールド会員");
    TPrintEditor *editor = labelsFor(r, 18, QStringLiteral("会員番号 ABC-12345"));
    ASSERT_NE(editor, nullptr);
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    const auto linesIn = [](const std::vector<TPdfWord> &Words) {
        QStringList found;
        for (const QString &piece : {QStringLiteral("TEL"), QStringLiteral("hasegawa.goroemon@"),
                                     QStringLiteral("ゴールド会員"), QStringLiteral("ABC-12345")})
            if (std::any_of(Words.begin(), Words.end(), [&piece](const TPdfWord &W) { return W.Text.contains(piece); }))
                found << piece;
        return found;
    };
    ASSERT_TRUE(runPrintWizard(*editor));
    const QStringList printed = linesIn(pdfWords(firstLabel(*editor)));
    ASSERT_FALSE(printed.isEmpty());
    ASSERT_NO_FATAL_FAILURE(drawPageIntoPdf(*editor));
    EXPECT_EQ(linesIn(pdfWords(QRectF(0, 0, 10000, 10000))).join(u' ').toStdString(), printed.join(u' ').toStdString());
}

// A family at a flat, on the 12-sheet label's detailed frames: the user
// drags the telephone line's box level with the building that ends the
// address, a millimetre after it. The line printed there would read as
// part of the address (「…２０１号室 TEL 045…」): it keeps 3 mm from any
// text it stands level with, elsewhere on the label, or is left out and
// named before printing.
TEST_F(OneRecordLabels, telephoneLineKeepsClearOfTheTextBesideIt)
{
    if (stopped())
        return;
    TTypedRecord r;
    r.Name = QStringLiteral("鈴木 健一郎");
    r.Pos = QStringLiteral("2310023");
    r.Tdfkn = QStringLiteral("神奈川県");
    r.Adrs1 = QStringLiteral("横浜市中区山下町１２－３");
    r.Adrs2 = QStringLiteral("コーポ山下２０１号室");
    r.Tel = QStringLiteral("045-123-4567");
    TPrintEditor *editor = labelsFor(r, 14, QStringLiteral("お歳暮リスト2026"));
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    const double pt = 72.0 / 25.4, px = 96.0 / 25.4;
    ASSERT_TRUE(runPrintWizard(*editor));
    const QRectF label = firstLabel(*editor);
    QRectF building;
    for (const TPdfWord &w : pdfWords(label))
        if (w.Text.contains(QStringLiteral("号室")))
            building = w.Box;
    ASSERT_FALSE(building.isEmpty());
    bool dragged = false;
    for (const auto &item : editor->Document().Items)
        if (auto *line = dynamic_cast<TAdditionRect *>(item.get()); line && AdditionLineName(*line) == u"TEL") {
            const double left = (building.right() - label.left()) / pt + 1.0;
            const double top = (building.top() - label.top()) / pt - 0.6;
            line->SetRect({qint32(std::lround(left * px)), qint32(std::lround(top * px)),
                           qint32(std::lround((label.width() / pt - 1.5) * px)),
                           qint32(std::lround((top + building.height() / pt + 1.2) * px))});
            dragged = true;
        }
    ASSERT_TRUE(dragged);
    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    const std::vector<TPdfWord> words = pdfWords(label);
    int checked = 0;
    for (const TPdfWord &w : words) {
        if (!w.Text.contains(QStringLiteral("TEL")) && !w.Text.contains(QStringLiteral("4567")))
            continue;
        ++checked;
        for (const TPdfWord &other : words) {
            if (other.Text.contains(QStringLiteral("TEL")) || other.Text.contains(QStringLiteral("045")))
                continue;
            const double level = std::min(w.Box.bottom(), other.Box.bottom()) - std::max(w.Box.top(), other.Box.top());
            const double gap = std::max(other.Box.left() - w.Box.right(), w.Box.left() - other.Box.right());
            EXPECT_FALSE(level > 0.3 && gap < 2.9 * pt)
                << qPrintable(w.Text) << " reads on from " << qPrintable(other.Text) << ", " << gap / pt << " mm";
        }
    }
    if (checked == 0) {
        bool told = false;
        for (const TMessageBoxRequest &box : boxes.shown())
            told = told || box.text.contains(QStringLiteral("TEL"));
        EXPECT_TRUE(told) << "TEL is neither printed nor named";
    }
}

} // namespace
