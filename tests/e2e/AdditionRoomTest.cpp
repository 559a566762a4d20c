// The additional lines print wherever a label has room for them, the way a
// user gets there: four records typed into the record form (a private person
// in Kyoto with a telephone number, a mail address and a keyword; a person in
// Shibuya with a telephone number; a person with four joint names and a
// telephone number; a person at a company with a company name of twelve
// characters, a long department, a title of eight characters, a telephone
// number, a mail address and a keyword), the label editor's 書式 → 付加情報
// with TEL, E-Mail1, キーワード１ and a text of the user's own, printed through
// the wizard to a PDF file on every sheet of labels, upright and turned, in
// both frame sets. Read back with pdftotext: every additional line printed
// stands at least 1.8 mm high and over no other text; a line missing from a
// label had no room anywhere on it (measured on the PDF: no blank strip as
// long as the line's text at 1.8 mm, 3 mm along the lines and 1 mm across
// them clear of the label's words, 2 mm clear of the bars); the wizard named
// every line it left out before printing. On an upright label written
// across, the lines printed below the addressee stand top to bottom in their
// order.
#include "UserRoad.h"
#include "editors/AdditionPlace.h"
#include "items/AdditionRect.h"
#include "items/MetaRect.h"
#include "items/PosRect.h"
#include "support/RowName.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kFreeText = QStringLiteral("新年会ご案内在中");

// What the wizard last said of the additional lines (付加情報) it leaves
// out; empty where it said nothing of them.
QString toldOfTheLines(const ScriptedMessageBoxes &Boxes)
{
    QString told;
    for (const TMessageBoxRequest &box : Boxes.shown())
        if (box.text.contains(QStringLiteral("付加情報")))
            told = box.text;
    return told;
}

// One label's record and the pieces of its four lines: each line's value (a
// line without a value prints nothing), and the name the wizard gives it.
struct TLabelRecord {
    TTypedRecord Typed;
    QString Family;
};

std::vector<TLabelRecord> testerRecords()
{
    std::vector<TLabelRecord> out;
    TTypedRecord kyoto;
    kyoto.Name = QStringLiteral("鈴木 一郎");
    kyoto.Pos = QStringLiteral("6048571");
    kyoto.Tdfkn = QStringLiteral("京都府");
    kyoto.Adrs1 = QStringLiteral("京都市中京区寺町通御池上る上本能寺前町４８８");
    kyoto.Tel = QStringLiteral("075-222-3111");
    kyoto.EMail1 = QStringLiteral("suzuki.ichiro@example.ne.jp");
    kyoto.Keyword1 = QStringLiteral("同窓会");
    out.push_back({kyoto, QStringLiteral("鈴木")});
    TTypedRecord shibuya;
    shibuya.Name = QStringLiteral("佐藤 花子");
    shibuya.Pos = QStringLiteral("1500002");
    shibuya.Tdfkn = QStringLiteral("東京都");
    shibuya.Adrs1 = QStringLiteral("渋谷区渋谷二丁目２１番１号");
    shibuya.Tel = QStringLiteral("03-5468-1234");
    out.push_back({shibuya, QStringLiteral("佐藤")});
    TTypedRecord joint;
    joint.Name = QStringLiteral("田中 誠");
    joint.Joints = {QStringLiteral("恵子"), QStringLiteral("翔太"), QStringLiteral("美咲"), QStringLiteral("大輝")};
    joint.Pos = QStringLiteral("5300001");
    joint.Tdfkn = QStringLiteral("大阪府");
    joint.Adrs1 = QStringLiteral("大阪市北区梅田三丁目１番３号");
    joint.Tel = QStringLiteral("06-6345-6789");
    out.push_back({joint, QStringLiteral("田中")});
    TTypedRecord company;
    company.Name = QStringLiteral("高橋 健一");
    company.Corp = QStringLiteral("株式会社東西南北総合商事");
    company.Dptmnt = QStringLiteral("海外事業本部　欧州営業部　第三課");
    company.Post = QStringLiteral("執行役員営業部長");
    company.Pos = QStringLiteral("2200012");
    company.Tdfkn = QStringLiteral("神奈川県");
    company.Adrs1 = QStringLiteral("横浜市西区みなとみらい二丁目２番１号");
    company.Tel = QStringLiteral("045-222-1111");
    company.EMail1 = QStringLiteral("k.takahashi@tozai-shoji.co.jp");
    company.Keyword1 = QStringLiteral("取引先");
    out.push_back({company, QStringLiteral("高橋")});
    return out;
}

// A line as the label prints it: its words and the name the wizard knows it by.
struct TLineText {
    QString Name;
    QString Text; // empty: the record has no value for it
};

std::vector<TLineText> linesOf(const TTypedRecord &R)
{
    auto with = [](const QString &Caption, const QString &Value) {
        return Value.isEmpty() ? QString() : Caption + QLatin1Char(' ') + Value;
    };
    return {{QStringLiteral("TEL"), with(QStringLiteral("TEL"), R.Tel)},
            {QStringLiteral("E-Mail1"), with(QStringLiteral("E-Mail1"), R.EMail1)},
            {QStringLiteral("キーワード１"), with(QStringLiteral("キーワード１"), R.Keyword1)},
            {QStringLiteral("「%1」").arg(kFreeText), kFreeText}};
}

// The length of Text at 1 mm of character height: a full-width character
// is a square, a digit or sign half of one and a Latin letter about 0.6.
double emsOf(const QString &Text)
{
    double ems = 0;
    for (const QChar c : Text)
        ems += c.unicode() >= 0x80 ? 1.0 : c.isLetter() ? 0.62 : 0.5;
    return ems;
}

class AdditionRoom : public PdfRoadFixture, public ::testing::WithParamInterface<SheetCase>
{
protected:
    void SetUp() override
    {
        PdfRoadFixture::SetUp();
        if (stopped())
            return;
        records = testerRecords();
        for (const TLabelRecord &r : records)
            ASSERT_NO_FATAL_FAILURE(typeRecord(r.Typed));
        selectRows({0, 1, 2, 3});
        editor = openLabelEditor(GetParam());
        ASSERT_NE(editor, nullptr);
        showFourAdditionLines(*editor, kFreeText);
        ASSERT_TRUE(runPrintWizard(*editor));
        told = toldOfTheLines(boxes);
        const std::vector<TPdfWord> words = pdfWords(QRectF(0, 0, 595, 842));
        for (size_t cell = 0; cell < records.size(); ++cell) {
            for (const TPdfWord &w : words)
                if (cellArea(int(cell)).contains(w.Box.center()))
                    labels[cell].push_back(w);
            runs[cell] = runsOf(labels[cell]);
        }
    }

    std::vector<TPdfWord> runsOf(std::vector<TPdfWord> Words) const { return LabelRuns(std::move(Words), onItsSide()); }

    // Label Cell of the sheet in points.
    QRectF cellArea(int Cell) const { return LabelCellInPoints(editor->Document(), Cell); }
    bool onItsSide() const { return LabelOnItsSide(editor->Document()); }
    // Whether the label is written across and stands upright: it reads as
    // an address, the lines after the name where the layout put them.
    bool readsAfterTheName() const { return !onItsSide() && editor->Document().HorizontalWriting(); }
    // Whether the additional lines run across the sheet.
    bool linesAcross() const
    {
        for (const auto &item : editor->Document().Items)
            if (const auto *line = dynamic_cast<const TAdditionRect *>(item.get()); line && line->IsVisible())
                return line->IsHorizontal() != onItsSide();
        return !onItsSide();
    }
    // The frames of label Cell that print other than text (the barcode,
    // with its blank), and the postcode's, on the sheet in points.
    std::vector<QRectF> solidFrames(int Cell) const
    {
        std::vector<QRectF> out;
        const TLayoutDocument &doc = editor->Document();
        const QRectF cell = cellArea(Cell);
        const double pt = 72.0 / 96.0, mm = 72.0 / 25.4;
        for (size_t i = 0; i < doc.Items.size(); ++i) {
            const TDrawRect &item = *doc.Items[i];
            if (!item.IsVisible() || !doc.OnPrintedSide(i) ||
                (dynamic_cast<const TMetaRect *>(&item) && !dynamic_cast<const TPosRect *>(&item)))
                continue;
            const TPageRect r = item.GetRect();
            QRectF frame = onItsSide() ? QRectF(cell.right() - r.Bottom * pt, cell.y() + r.Left * pt,
                                                r.height() * pt, r.width() * pt)
                                       : QRectF(cell.x() + r.Left * pt, cell.y() + r.Top * pt, r.width() * pt,
                                                r.height() * pt);
            // The bars keep 2 mm of blank round them.
            if (item.GetKind() == TDrawRectKind::Barcode)
                frame.adjust(-2 * mm, -2 * mm, 2 * mm, 2 * mm);
            out.push_back(frame);
        }
        return out;
    }

    // Whether label Cell has a blank strip Length long and Thick wide
    // (points) along the lines' direction, 2.2 mm inside its edges (a
    // line's blank to the edge and its own margin), 3 mm
    // along the lines and 1 mm across them clear of every word, and clear of
    // the solid frames.
    bool hasRoom(int Cell, double Length, double Thick) const
    {
        constexpr double step = 72.0 / 25.4 / 4; // a quarter millimetre
        const double mm = 72.0 / 25.4;
        const QRectF area = cellArea(Cell).adjusted(2.2 * mm, 2.2 * mm, -2.2 * mm, -2.2 * mm);
        const int w = int(area.width() / step), h = int(area.height() / step);
        std::vector<QRectF> blocked = solidFrames(Cell);
        const double gapAlong = 3 * mm, gapAcross = 1 * mm;
        for (const TPdfWord &word : labels[Cell])
            blocked.push_back(linesAcross() ? word.Box.adjusted(-gapAlong, -gapAcross, gapAlong, gapAcross)
                                            : word.Box.adjusted(-gapAcross, -gapAlong, gapAcross, gapAlong));
        std::vector<char> free(size_t(w * h), 1);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRectF c(area.x() + x * step, area.y() + y * step, step, step);
                free[size_t(y * w + x)] = std::none_of(blocked.begin(), blocked.end(),
                                                       [&c](const QRectF &B) { return B.intersects(c); });
            }
        const bool across = linesAcross();
        const int along = int(std::ceil(Length / step)), thick = int(std::ceil(Thick / step));
        // Free cells in a run from each cell on along the lines.
        std::vector<int> run(size_t(w * h), 0);
        for (int y = h - 1; y >= 0; --y)
            for (int x = w - 1; x >= 0; --x) {
                const size_t at = size_t(y * w + x);
                const int next = across ? (x + 1 < w ? run[at + 1] : 0) : (y + 1 < h ? run[at + size_t(w)] : 0);
                run[at] = free[at] ? next + 1 : 0;
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int k = 0;
                while (k < thick && (across ? y + k < h && run[size_t((y + k) * w + x)] >= along
                                            : x + k < w && run[size_t(y * w + x + k)] >= along))
                    ++k;
                if (k == thick)
                    return true;
            }
        return false;
    }

    QString textOf(int Cell) const
    {
        QStringList out;
        for (const TPdfWord &w : runs[Cell])
            out << QStringLiteral("%1[%2,%3 %4x%5]").arg(w.Text).arg(w.Box.x(), 0, 'f', 1).arg(w.Box.y(), 0, 'f', 1)
                       .arg(w.Box.width(), 0, 'f', 1).arg(w.Box.height(), 0, 'f', 1);
        return out.join(u' ');
    }

    // Whether a word printed is Part of a line: the record keeps a
    // telephone number without its hyphens.
    static bool same(const QString &Word, const QString &Part)
    {
        return QString(Word).remove(QLatin1Char('-')) == QString(Part).remove(QLatin1Char('-'));
    }

    // The words of label Cell that belong to Line.
    std::vector<TPdfWord> wordsOf(int Cell, const TLineText &Line) const
    {
        std::vector<TPdfWord> out;
        const QStringList parts = Line.Text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const TPdfWord &w : runs[Cell])
            if (std::any_of(parts.begin(), parts.end(), [&w](const QString &P) { return same(w.Text, P); }))
                out.push_back(w);
        return out;
    }
    // Whether Box is the box of a word of label Cell that belongs to one of
    // Record's lines.
    bool ofALine(int Cell, const TTypedRecord &Record, const QRectF &Box) const
    {
        const std::vector<TLineText> lines = linesOf(Record);
        return std::any_of(lines.begin(), lines.end(), [&](const TLineText &L) {
            const std::vector<TPdfWord> of = wordsOf(Cell, L);
            return std::any_of(of.begin(), of.end(), [&Box](const TPdfWord &O) { return O.Box == Box; });
        });
    }
    // How far boxes A and B share their extent on Axis (more than nothing:
    // level with each other there), and the blank between them on it.
    static double shared(const QRectF &A, const QRectF &B, Qt::Orientation Axis)
    {
        return Axis == Qt::Horizontal ? std::min(A.right(), B.right()) - std::max(A.left(), B.left())
                                      : std::min(A.bottom(), B.bottom()) - std::max(A.top(), B.top());
    }
    static double blank(const QRectF &A, const QRectF &B, Qt::Orientation Axis)
    {
        return Axis == Qt::Horizontal ? std::max(B.left() - A.right(), A.left() - B.right())
                                      : std::max(B.top() - A.bottom(), A.top() - B.bottom());
    }
    // Whether label Cell printed Line whole.
    bool printed(int Cell, const TLineText &Line) const
    {
        const QStringList parts = Line.Text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        return std::all_of(parts.begin(), parts.end(), [&](const QString &P) {
            return std::any_of(runs[Cell].begin(), runs[Cell].end(), [&P](const TPdfWord &W) { return same(W.Text, P); });
        });
    }

    TPrintEditor *editor = nullptr;
    std::vector<TLabelRecord> records;
    std::vector<TPdfWord> labels[4];
    // The same words joined into runs (runsOf).
    std::vector<TPdfWord> runs[4];
    QString told;
};

TEST_P(AdditionRoom, linesPrintWhereThereIsRoomAndTheWizardNamesTheRest)
{
    const double mm = 72.0 / 25.4;
    int missing = 0, labelsShort = 0;
    QStringList leftOut;
    for (int cell = 0; cell < 4; ++cell) {
        const TLabelRecord &record = records[size_t(cell)];
        QString all;
        for (const TPdfWord &w : runs[cell])
            all += w.Text;
        ASSERT_TRUE(all.contains(record.Family))
            << "label " << cell << " does not carry " << qPrintable(record.Family) << ": " << qPrintable(textOf(cell));
        bool isShort = false;
        // On an upright label written across: the foot of the addressee's
        // words (every word but the lines'), and the top of the line
        // printed last, which the next one is to stand below.
        double foot = cellArea(cell).top();
        for (const TPdfWord &w : runs[cell])
            if (!ofALine(cell, record.Typed, w.Box))
                foot = std::max(foot, w.Box.bottom());
        double lastTop = -1;
        for (const TLineText &line : linesOf(record.Typed)) {
            if (line.Text.isEmpty())
                continue;
            if (printed(cell, line)) {
                // Below the name, after the lines before it.
                const std::vector<TPdfWord> words = wordsOf(cell, line);
                const double top = words.empty() ? 0 : words.front().Box.top();
                if (readsAfterTheName() && top > foot) {
                    EXPECT_GT(top, lastTop) << "label " << cell << ": " << qPrintable(line.Name)
                                            << " above a line before it: " << qPrintable(textOf(cell));
                    lastTop = top;
                }
                // Readable, and over no other text of the label.
                for (const TPdfWord &w : wordsOf(cell, line)) {
                    const double size = (linesAcross() ? w.Box.height() : w.Box.width()) / mm;
                    EXPECT_GE(size, LeastTextMm - 0.05)
                        << "label " << cell << ": " << qPrintable(w.Text) << " " << size << " mm";
                    for (const TPdfWord &other : runs[cell]) {
                        const QStringList parts = line.Text.split(QLatin1Char(' '));
                        if (std::any_of(parts.begin(), parts.end(),
                                        [&other](const QString &P) { return same(other.Text, P); }))
                            continue;
                        const QRectF common = w.Box.intersected(other.Box);
                        EXPECT_FALSE(common.width() > 0.3 && common.height() > 0.3)
                            << "label " << cell << ": " << qPrintable(w.Text) << " over " << qPrintable(other.Text);
                        // Level with a text of the addressee or the
                        // postcode, it keeps 3 mm from it along the line,
                        // so that the two read apart, and 1 mm across.
                        if (ofALine(cell, record.Typed, other.Box))
                            continue;
                        const Qt::Orientation along = linesAcross() ? Qt::Horizontal : Qt::Vertical;
                        const Qt::Orientation across = linesAcross() ? Qt::Vertical : Qt::Horizontal;
                        const bool level = shared(w.Box, other.Box, across) > 0.3;
                        const double gap = blank(w.Box, other.Box, along);
                        EXPECT_FALSE(level && gap < 2.9 * mm)
                            << "label " << cell << ": " << qPrintable(w.Text) << " reads on from " << qPrintable(other.Text)
                            << ", " << gap / mm << " mm along its line";
                        // Beside it across the line, 1 mm from it.
                        const bool beside = shared(w.Box, other.Box, along) > 0.3;
                        const double apart = blank(w.Box, other.Box, across);
                        EXPECT_FALSE(beside && apart < 0.95 * mm)
                            << "label " << cell << ": " << qPrintable(w.Text) << " crowds " << qPrintable(other.Text) << ", "
                            << apart / mm << " mm across its line";
                    }
                }
                continue;
            }
            ++missing;
            isShort = true;
            if (!leftOut.contains(line.Name))
                leftOut << line.Name;
            // The line at the least height, a tenth longer than reckoned,
            // with half a millimetre more along it and nearly a millimetre
            // more across for the places' whole screen pixels and the faces
            // reaching past their cells: wherever the label is free for it,
            // among the addressee's texts too (a private person's blank
            // company frames, beside the postcode or a short address line).
            const double length = (emsOf(line.Text) * LeastTextMm * 1.1 + 0.5) * mm;
            EXPECT_FALSE(hasRoom(cell, length, (1.9 + 0.9) * mm))
                << "label " << cell << " leaves out " << qPrintable(line.Name) << " though it has room for it: "
                << qPrintable(textOf(cell));
        }
        labelsShort += isShort ? 1 : 0;
    }
    if (missing == 0) {
        EXPECT_FALSE(told.contains(QStringLiteral("付加情報"))) << qPrintable(told);
        return;
    }
    EXPECT_TRUE(told.contains(QStringLiteral("付加情報 %1 行を省きます（ラベル %2 枚）").arg(missing).arg(labelsShort)))
        << missing << " lines missing on " << labelsShort << " labels; the wizard said: " << qPrintable(told);
    // The wizard names each line it leaves out, and none it prints.
    const QString named = told.section(QStringLiteral("行を省きます"), 1).section(QLatin1Char('\n'), 0, 0);
    for (const TLineText &line : linesOf(records[3].Typed)) {
        EXPECT_EQ(named.contains(line.Name), leftOut.contains(line.Name))
            << qPrintable(line.Name) << "; the wizard said: " << qPrintable(told);
    }
}

// Two copies print every label twice: the wizard counts the lines it leaves
// out, and the labels that lack them, over every copy the run prints, as
// the sheet count beside the copies does.
TEST_P(AdditionRoom, theWizardCountsTheLinesLeftOutOnEveryCopy)
{
    static const QRegularExpression count(QStringLiteral("付加情報 (\\d+) 行を省きます（ラベル (\\d+) 枚）"));
    const QRegularExpressionMatch once = count.match(told);
    if (!once.hasMatch())
        return; // every line prints on this sheet
    boxes.clear();
    WizardAnswer answer;
    answer.Fill = [](QDialog &Dialog) { typeInto(Dialog, "edCopy", QStringLiteral("2")); };
    editor->ExecDialog = [this, &answer](QDialog &Dialog) { return answer(Dialog, boxes); };
    editor->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    ASSERT_TRUE(answer.Shown);
    QString twice;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(QStringLiteral("付加情報")))
            twice = box.text;
    // The run printed its labels twice, each copy on a sheet of its own
    // (pdftotext ends each page with a form feed).
    ASSERT_EQ(readPdfText().count(QLatin1Char('\f')), 2);
    const QRegularExpressionMatch match = count.match(twice);
    ASSERT_TRUE(match.hasMatch()) << qPrintable(twice);
    EXPECT_EQ(match.captured(1).toInt(), 2 * once.captured(1).toInt()) << qPrintable(twice);
    EXPECT_EQ(match.captured(2).toInt(), 2 * once.captured(2).toInt()) << qPrintable(twice);
}

// The editor's page shows the record as the label prints it: a line the
// record moves into the room its texts leave stands there on the page too,
// not over the addressee at its place in the layout.
TEST_P(AdditionRoom, pageShowsEachLineWhereThePrintPutsIt)
{
    ASSERT_NO_FATAL_FAILURE(drawPageIntoPdf(*editor));
    const std::vector<TPdfWord> page = pdfWords(QRectF(0, 0, 10000, 10000));
    QString all;
    for (const TPdfWord &w : page)
        all += w.Text;
    // Down a column pdftotext gives the characters one by one.
    ASSERT_TRUE(std::any_of(records.begin(), records.end(), [&all](const TLabelRecord &R) {
        return std::all_of(R.Family.begin(), R.Family.end(), [&all](QChar C) { return all.contains(C); });
    })) << qPrintable(all);
    for (size_t a = 0; a < page.size(); ++a)
        for (size_t b = a + 1; b < page.size(); ++b) {
            const QRectF common = page[a].Box.intersected(page[b].Box);
            const double least = std::min(page[a].Box.width() * page[a].Box.height(),
                                          page[b].Box.width() * page[b].Box.height());
            EXPECT_FALSE(common.width() * common.height() > 0.3 * least)
                << qPrintable(page[a].Text) << " over " << qPrintable(page[b].Text) << " on the page";
        }
    // A click where the page shows a moved line picks that line.
    std::vector<std::pair<int, QPoint>> moved;
    editor->PageView()->repaint();
    for (const TPageView::TMovedLine &line : editor->PageView()->MovedLines()) {
        const TScreenRect &r = line.Shown;
        moved.push_back({int(line.Index), QPoint(TPageView::Margin + r.Left + r.width() / 2,
                                                 TPageView::Margin + r.Top + r.height() / 2)});
    }
    for (const auto &[line, at] : moved) {
        QTest::mouseClick(editor->PageView(), Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(editor->PageView()->Selected(), line) << "a click on line " << line << " where the page shows it";
    }
}

// A line the page shows moved into free room goes, dragged from there, with
// the pointer: dropped a little further on, it stands there on the page and
// in the layout (its box moved from where the page showed it, not from its
// place in the layout under the addressee), and one undo puts it back.
TEST_P(AdditionRoom, aMovedLineDraggedFromWhereThePageShowsItGoesWithThePointer)
{
    TPageView *view = editor->PageView();
    int line = -1;
    TPageRect home, shown;
    TScreenRect shownOnScreen;
    // The page shows the list's current record: the first one that moves a
    // line away from its own box.
    for (int row = 0; row < int(records.size()) && line < 0; ++row) {
        list->SelectRow(row, true, false);
        view->repaint();
        for (const TPageView::TMovedLine &moved : view->MovedLines()) {
            line = int(moved.Index);
            home = editor->Document().Items[moved.Index]->GetRect();
            shown = moved.Page;
            shownOnScreen = moved.Shown;
            break;
        }
    }
    if (line < 0)
        return; // no record moves a line on this sheet
    const QPoint start(TPageView::Margin + shownOnScreen.Left + shownOnScreen.width() / 2,
                       TPageView::Margin + shownOnScreen.Top + shownOnScreen.height() / 2);
    // A few pixels along the line, deeper into the room it was given: a
    // row starts at its room's left, a column at its top.
    const bool across = static_cast<const TMetaRect &>(*editor->Document().Items[size_t(line)]).IsHorizontal();
    const QPoint step = across ? QPoint(4, 0) : QPoint(0, 4);
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    QTest::mouseMove(view, start + step / 4);
    QTest::mouseMove(view, start + step);
    QTest::mouseRelease(view, Qt::LeftButton, {}, start + step);
    ASSERT_EQ(view->Selected(), line);
    const int dx = int(std::lround(step.x() / view->Zoom())), dy = int(std::lround(step.y() / view->Zoom()));
    const TPageRect dropped{shown.Left + dx, shown.Top + dy, shown.Right + dx, shown.Bottom + dy};
    const TPageRect now = editor->Document().Items[size_t(line)]->GetRect();
    EXPECT_EQ(now.Left, dropped.Left) << "dragged from its place in the layout, " << home.Left << "," << home.Top
                                      << ", not from where the page showed it, " << shown.Left << "," << shown.Top;
    EXPECT_EQ(now.Top, dropped.Top);
    {
        view->repaint();
        TPageRect onPage = editor->Document().Items[size_t(line)]->GetRect();
        for (const TPageView::TMovedLine &moved : view->MovedLines())
            if (int(moved.Index) == line)
                onPage = moved.Page;
        EXPECT_TRUE(onPage.Left == dropped.Left && onPage.Top == dropped.Top)
            << "the page shows the line at " << onPage.Left << "," << onPage.Top << ", dropped at " << dropped.Left
            << "," << dropped.Top;
    }
    editor->findChild<QAction *>(QStringLiteral("actUndo"))->trigger();
    const TPageRect back = editor->Document().Items[size_t(line)]->GetRect();
    EXPECT_TRUE(back.Left == home.Left && back.Top == home.Top && back.Right == home.Right &&
                back.Bottom == home.Bottom)
        << "undo puts the line back in its own box";
}

INSTANTIATE_TEST_SUITE_P(Sheets, AdditionRoom, ::testing::ValuesIn(kEveryLabelSheet), rowName);

// One private person typed into the record form with a telephone number, a
// mail address and a keyword, printed on Sheet with the four lines: the
// words of the first label, the words of Line among them, and what the
// wizard said of the lines.
class FreeRoomLines : public PdfRoadFixture
{
protected:
    void printPerson(const SheetCase &Sheet)
    {
        TTypedRecord person = TokyoPerson();
        person.Tel = QStringLiteral("03-3581-0101");
        person.EMail1 = QStringLiteral("yamada.taro@example.ne.jp");
        person.Keyword1 = QStringLiteral("同窓会");
        printRecord(Sheet, person);
    }
    void printRecord(const SheetCase &Sheet, const TTypedRecord &Record)
    {
        ASSERT_NO_FATAL_FAILURE(typeRecord(Record));
        selectRows({0});
        editor = openLabelEditor(Sheet);
        ASSERT_NE(editor, nullptr);
        showFourAdditionLines(*editor, kFreeText);
        ASSERT_TRUE(runPrintWizard(*editor));
        told = toldOfTheLines(boxes);
        words = pdfWords(firstLabel(*editor));
    }
    // The box of the first word containing Piece; empty where none does.
    QRectF boxOf(const QString &Piece) const
    {
        for (const TPdfWord &w : words)
            if (w.Text.contains(Piece))
                return w.Box;
        return {};
    }

    // The first label's customer barcode frame on the sheet, in points.
    QRectF barsOnSheet() const
    {
        const QRectF label = firstLabel(*editor);
        for (const auto &item : editor->Document().Items)
            if (item->IsVisible() && item->GetKind() == TDrawRectKind::Barcode) {
                const TPageRect r = item->GetRect();
                constexpr double kPt = 72.0 / 96.0;
                return QRectF(label.x() + r.Left * kPt, label.y() + r.Top * kPt, r.width() * kPt, r.height() * kPt);
            }
        return {};
    }

    // Line (its name for the wizard, and its words: the caption and the
    // value, a telephone number without its hyphens) printed on the first
    // label at the least height or more, 3 mm along its line and 1 mm across
    // it from every other word, 2 mm from the bars, and the wizard did not
    // name it.
    void expectPrintedClear(const QString &Name, const QStringList &Parts) const
    {
        constexpr double kMm = 72.0 / 25.4;
        const auto ofTheLine = [&Parts](const TPdfWord &W) {
            return std::any_of(Parts.begin(), Parts.end(), [&W](const QString &P) {
                return QString(P).remove(QLatin1Char('-')) == QString(W.Text).remove(QLatin1Char('-'));
            });
        };
        std::vector<TPdfWord> own;
        std::copy_if(words.begin(), words.end(), std::back_inserter(own), ofTheLine);
        ASSERT_EQ(own.size(), size_t(Parts.size())) << qPrintable(Name) << " is left out; the wizard said: " << qPrintable(told);
        EXPECT_FALSE(told.contains(Name)) << qPrintable(told);
        const QRectF bars = barsOnSheet().adjusted(-2 * kMm, -2 * kMm, 2 * kMm, 2 * kMm);
        for (const TPdfWord &w : own) {
            EXPECT_GE(w.Box.height() / kMm, LeastTextMm - 0.05) << qPrintable(w.Text);
            const QRectF common = w.Box.intersected(bars);
            EXPECT_FALSE(common.width() > 0.1 && common.height() > 0.1) << qPrintable(w.Text) << " within 2 mm of the bars";
            for (const TPdfWord &other : words) {
                if (ofTheLine(other))
                    continue;
                const double level = std::min(w.Box.bottom(), other.Box.bottom()) - std::max(w.Box.top(), other.Box.top());
                const double beside = std::min(w.Box.right(), other.Box.right()) - std::max(w.Box.left(), other.Box.left());
                const double along = std::max(other.Box.left() - w.Box.right(), w.Box.left() - other.Box.right());
                const double across = std::max(other.Box.top() - w.Box.bottom(), w.Box.top() - other.Box.bottom());
                EXPECT_FALSE(level > 0.3 && along < 2.9 * kMm)
                    << qPrintable(w.Text) << " reads on from " << qPrintable(other.Text) << ", " << along / kMm << " mm";
                EXPECT_FALSE(beside > 0.3 && across < 0.95 * kMm)
                    << qPrintable(w.Text) << " crowds " << qPrintable(other.Text) << ", " << across / kMm << " mm";
            }
        }
    }

    TPrintEditor *editor = nullptr;
    std::vector<TPdfWord> words;
    QString told;
};

// The detailed frames' company and department stand blank for a private
// person: the band between the address and the name is free, and the
// first line asked for, the telephone number, prints there at a readable
// size rather than being left out.
TEST_F(FreeRoomLines, privatePersonsTelephoneTakesTheBlankCompanyBand)
{
    if (stopped())
        return;
    ASSERT_NO_FATAL_FAILURE(printPerson({"sheet12Detailed", 14, true}));
    const QRectF address = boxOf(QStringLiteral("永田町")), name = boxOf(QStringLiteral("山"));
    ASSERT_FALSE(address.isEmpty());
    ASSERT_FALSE(name.isEmpty());
    const QRectF tel = boxOf(QStringLiteral("TEL")).united(boxOf(QStringLiteral("3581")));
    ASSERT_FALSE(boxOf(QStringLiteral("TEL")).isEmpty()) << "TEL is left out; the wizard said: " << qPrintable(told);
    EXPECT_GT(tel.top(), address.bottom());
    EXPECT_LT(tel.bottom(), name.top());
    EXPECT_GE(tel.height() / (72.0 / 25.4), LeastTextMm - 0.05);
    EXPECT_FALSE(told.contains(QStringLiteral("TEL"))) << qPrintable(told);
}

// A company person on the 10-sheet label's detailed frames: the company
// lines fill the band above the name, and the band between the name and
// the bars' blank (about 4 mm) is the room left. The mail address, the
// first line without room by the address, prints there at a readable size,
// 1 mm clear of the name and 2 mm clear of the bars, rather than being left
// out: the blank its box keeps round its text counts in the bars' blank.
TEST_F(FreeRoomLines, mailAddressTakesTheBandBetweenTheNameAndTheBars)
{
    if (stopped())
        return;
    ASSERT_NO_FATAL_FAILURE(printRecord({"sheet10Detailed", 16, true}, LongCompanyPerson()));
    constexpr double kMm = 72.0 / 25.4;
    const QRectF name = boxOf(QStringLiteral("長谷川")), bars = barsOnSheet();
    ASSERT_FALSE(name.isEmpty());
    ASSERT_FALSE(bars.isEmpty());
    const QRectF mail = boxOf(QStringLiteral("hasegawa@"));
    ASSERT_FALSE(mail.isEmpty()) << "E-Mail1 is left out; the wizard said: " << qPrintable(told);
    const QRectF line = mail.united(boxOf(QStringLiteral("E-Mail1")));
    EXPECT_GE((line.top() - name.bottom()) / kMm, 0.95);
    EXPECT_GE((bars.top() - line.bottom()) / kMm, 2.0);
    EXPECT_GE(mail.height() / kMm, LeastTextMm - 0.05);
    EXPECT_FALSE(told.contains(QStringLiteral("E-Mail1"))) << qPrintable(told);
}

// The 21-sheet label's simple frames leave the postcode's row free after
// it, and a row between it and the address. The lines read in the order
// they are set: the telephone number, set first, prints on the postcode's
// row, 3 mm or more after it, so that the two read apart; the mail address,
// set next, on a row of its own after it, above the address, where the
// name leaves it no room below; both at a readable size, neither named.
TEST_F(FreeRoomLines, linesSetFirstTakeTheRowsReadFirst)
{
    if (stopped())
        return;
    ASSERT_NO_FATAL_FAILURE(printPerson({"sheet21", 18, false}));
    constexpr double kMm = 72.0 / 25.4;
    const QRectF postcode = boxOf(QStringLiteral("100-0014"));
    const QRectF tel = boxOf(QStringLiteral("TEL"));
    const QRectF mail = boxOf(QStringLiteral("yamada.taro@"));
    const QRectF address = boxOf(QStringLiteral("永田町"));
    ASSERT_FALSE(postcode.isEmpty());
    ASSERT_FALSE(tel.isEmpty()) << "TEL is left out; the wizard said: " << qPrintable(told);
    ASSERT_FALSE(mail.isEmpty()) << "E-Mail1 is left out; the wizard said: " << qPrintable(told);
    EXPECT_GT(std::min(tel.bottom(), postcode.bottom()) - std::max(tel.top(), postcode.top()), 0.0);
    EXPECT_GE((tel.left() - postcode.right()) / kMm, 2.9);
    const QRectF caption = boxOf(QStringLiteral("E-Mail1"));
    EXPECT_GE(caption.top(), std::max(tel.bottom(), postcode.bottom()));
    EXPECT_LE(mail.bottom(), address.top());
    EXPECT_GE(mail.height() / kMm, LeastTextMm - 0.05);
    EXPECT_GE(tel.height() / kMm, LeastTextMm - 0.05);
    EXPECT_FALSE(told.contains(QStringLiteral("付加情報"))) << qPrintable(told);
}

// A private person with a second address line, on the 24-sheet label's
// simple frames: the lines placed before the text of the user's own block
// only their printed words and the blank every text keeps, not their whole
// boxes, so the text still finds its room beside them, and each of the four
// lines prints at a readable size, 3 mm along its line and 1 mm across it
// from every other word and 2 mm from the bars, and the wizard names none.
TEST_F(FreeRoomLines, everyLineTakesTheRoomBesideTheLinesBeforeIt)
{
    if (stopped())
        return;
    TTypedRecord person;
    person.Name = QStringLiteral("田中 誠");
    person.Pos = QStringLiteral("5300001");
    person.Tdfkn = QStringLiteral("大阪府");
    person.Adrs1 = QStringLiteral("大阪市北区梅田三丁目１番３号");
    person.Adrs2 = QStringLiteral("梅田ハイツ５０２号室");
    person.Tel = QStringLiteral("06-6345-6789");
    person.EMail1 = QStringLiteral("tanaka.makoto@example.ne.jp");
    person.Keyword1 = QStringLiteral("ゴルフ");
    ASSERT_NO_FATAL_FAILURE(printRecord({"sheet24", 20, false}, person));
    expectPrintedClear(QStringLiteral("TEL"), {QStringLiteral("TEL"), person.Tel});
    expectPrintedClear(QStringLiteral("E-Mail1"), {QStringLiteral("E-Mail1"), person.EMail1});
    expectPrintedClear(QStringLiteral("キーワード１"), {QStringLiteral("キーワード１"), person.Keyword1});
    expectPrintedClear(QStringLiteral("「%1」").arg(kFreeText), {kFreeText});
    EXPECT_FALSE(told.contains(QStringLiteral("付加情報"))) << qPrintable(told);
}

} // namespace
