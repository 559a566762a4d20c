// Labels stay readable with the additional lines on, the way a user gets
// there: a person at a company with a long address, company, department and
// title, a neighbour with a short one, a person printed with three joint
// names (連名) and one printed with five, each with a telephone number, a
// mail address and a keyword typed into the record form; the label editor's
// 書式 → 付加情報 with TEL, E-Mail1, キーワード１ and a text of the user's
// own; the records printed through the print wizard to a PDF file, once per
// sheet (12 and 44 to the sheet, wide and turned, and the simple frames of
// the 21- and 24-sheet labels) and frame set. Read back with pdftotext: each
// word is given to the frame it stands in, and its characters measured
// across their line (down a column, characters squeezed along it keep their
// size across). On the 12-sheet, and in the simple frames of the 21-, 24-
// and 44-sheet labels, every word of the addressee (address, company,
// department, title, name) stands at least 1.8 mm high, and so does an
// address down a turned label's column; in the 44-sheet's detailed frames
// only a part the wizard named before printing as smaller may be, and never
// a person's name, joint names among them, or a turned label's address; an
// additional line prints at that height or not at all, and the wizard said
// how many lines it leaves out, on how many labels.
#include "UserRoad.h"
#include "items/AddressRect.h"
#include "items/CorpRect.h"
#include "editors/PrintedSizes.h"
#include "items/MetaRect.h"
#include "items/NameRect.h"
#include "items/PosRect.h"
#include "support/RowName.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kFreeText = QStringLiteral("会員番号 ABC-12345");

class ReadableLabels : public PdfRoadFixture, public ::testing::WithParamInterface<SheetCase>
{
protected:
    void SetUp() override
    {
        PdfRoadFixture::SetUp();
        if (stopped())
            return;
        const TTypedRecord long_ = LongCompanyPerson();
        ASSERT_NO_FATAL_FAILURE(typeRecord(long_));
        TTypedRecord short_ = TokyoPerson();
        short_.Tel = QStringLiteral("03-1234-5678");
        short_.EMail1 = QStringLiteral("yamada@example.jp");
        short_.Keyword1 = QStringLiteral("友人");
        ASSERT_NO_FATAL_FAILURE(typeRecord(short_));
        TTypedRecord joint = TokyoPerson();
        joint.Name = QStringLiteral("長谷川 五郎左衛門");
        joint.Joints = {QStringLiteral("由美子"), QStringLiteral("健太郎"), QStringLiteral("さくら")};
        joint.Tel = QStringLiteral("03-1111-2222");
        joint.EMail1 = QStringLiteral("hasegawa@example.jp");
        joint.Keyword1 = QStringLiteral("友人");
        ASSERT_NO_FATAL_FAILURE(typeRecord(joint));
        TTypedRecord family = joint;
        family.Name = QStringLiteral("鈴木 一郎");
        family.Joints = kFamily;
        ASSERT_NO_FATAL_FAILURE(typeRecord(family));
        selectRows({0, 1, 2, 3});
        editor = openLabelEditor(GetParam());
        ASSERT_NE(editor, nullptr);
        showFourAdditionLines(*editor, kFreeText);
        ASSERT_TRUE(runPrintWizard(*editor));
        // pdftotext's crop keeps the words it meets: each label takes the
        // words whose middle stands on it.
        const std::vector<TPdfWord> words = pdfWords(QRectF(0, 0, 595, 842));
        for (int cell = 0; cell < kLabels; ++cell) {
            const QRectF area = cellArea(cell);
            for (const TPdfWord &w : words)
                if (area.contains(w.Box.center()))
                    labels[cell].push_back(w);
            ASSERT_FALSE(labels[cell].empty()) << "label " << cell;
            read[cell] = QString::fromUtf8(pdfToText(crop(area) << QStringLiteral("-raw")));
            read[cell].remove(QRegularExpression(QStringLiteral("\\s")));
        }
    }

    static constexpr int kLabels = 4;
    // The joint names of a family printed with all five: on the 44-sheet
    // labels one under the other they would stand below the least height.
    inline static const QStringList kFamily{QStringLiteral("花子"), QStringLiteral("健太郎"),
                                            QStringLiteral("由美子"), QStringLiteral("さくら"),
                                            QStringLiteral("大輔")};

    // Label Cell of the sheet in points.
    QRectF cellArea(int Cell) const
    {
        const double pt = 72.0 / 254.0;
        const QRect r = editor->Document().CellRect(Cell);
        return QRectF(r.x() * pt, r.y() * pt, r.width() * pt, r.height() * pt);
    }
    static QStringList crop(const QRectF &Area)
    {
        return {QStringLiteral("-x"), QString::number(int(Area.x())),          QStringLiteral("-y"),
                QString::number(int(Area.y())), QStringLiteral("-W"), QString::number(int(std::ceil(Area.width()))),
                QStringLiteral("-H"), QString::number(int(std::ceil(Area.height())))};
    }

    bool onItsSide() const
    {
        const TLayoutDocument &doc = editor->Document();
        const QRect cell = doc.CellRect(0);
        return cell.width() != doc.PieceSize().width() && cell.width() == doc.PieceSize().height();
    }

    // The addressee's frame a word of label Cell stands in, with the part
    // the wizard names it by; none for the postcode, the additional lines
    // and what else stands outside the addressee's frames.
    struct TFrame {
        const TMetaRect *Item = nullptr;
        QString Part;
        bool Postcode = false;
    };
    TFrame frameOf(int Cell, const TPdfWord &W) const
    {
        const TLayoutDocument &doc = editor->Document();
        const QRectF cell = cellArea(Cell);
        const double pt = 72.0 / 96.0; // page pixels to points
        for (size_t i = 0; i < doc.Items.size(); ++i) {
            const auto *item = dynamic_cast<const TMetaRect *>(doc.Items[i].get());
            if (!item || !item->IsVisible())
                continue;
            const TPageRect r = item->GetRect();
            // A turned label lies on its side on the sheet, its top edge
            // down the cell's right edge.
            const QRectF box = onItsSide() ? QRectF(cell.right() - r.Bottom * pt, cell.y() + r.Left * pt,
                                                    r.height() * pt, r.width() * pt)
                                           : QRectF(cell.x() + r.Left * pt, cell.y() + r.Top * pt, r.width() * pt,
                                                    r.height() * pt);
            if (!box.contains(W.Box.center()))
                continue;
            if (dynamic_cast<const TPosRect *>(item))
                return {item, {}, true};
            const QString part = AddresseePartOf(doc, i);
            if (!part.isEmpty())
                return {item, part};
        }
        return {};
    }

    // The additional lines label Cell prints of its record's four.
    int linesPrinted(int Cell) const
    {
        const QString keyword = Cell == 0 ? QStringLiteral("ゴールド会員") : QStringLiteral("友人");
        int printed = 0;
        for (const QString &piece : {QStringLiteral("TEL"), QStringLiteral("@"), keyword, QStringLiteral("ABC-12345")})
            printed += read[Cell].contains(piece) ? 1 : 0;
        return printed;
    }

    TPrintEditor *editor = nullptr;
    std::vector<TPdfWord> labels[kLabels];
    // Each label's text as pdftotext -raw reads it, blanks left out.
    QString read[kLabels];
};

// The size of W's characters in millimetres across their line, as
// pdftotext boxes them: the box's height for a line running across the
// sheet, its width for one running up or down it (an upright character's
// box down a column is as wide as the character is high, and characters
// squeezed along the column keep that).
double sizeMm(const TPdfWord &W, bool RunsAcross)
{
    return (RunsAcross ? W.Box.height() : W.Box.width()) * 25.4 / 72;
}

// One sheet printed, every rule read off it: the addressee keeps a readable
// size beside the lines (a long line goes on to a second line, or keeps the
// least height narrowed, down a column squeezed along it as the wizard told
// before printing); an additional
// line prints at the least height or not at all; what prints smaller in the
// 44-sheet's detailed frames (a frame too small across for a company's
// lines) was named before printing, and a person's name never does; the
// wizard counted the lines it left out, and the labels, as the PDF lacks
// them; the short record leaves room for a line on the 12-sheet label and
// in the simple frames of the 21- and 24-sheet labels and the turned
// 44-sheet label.
TEST_P(ReadableLabels, printsReadablyAndTellsWhatItLeavesOut)
{
    QString told;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(QStringLiteral("1.8mm")))
            told = box.text;
    const bool sheet12 = GetParam().paper == 14 || GetParam().paper == 15;
    // The simple sets of every sheet hold the whole addressee at the least
    // height: the smaller labels' name frame has room across for a
    // company's three lines above the name.
    const bool wholeAddressee = sheet12 || !GetParam().detail;
    int addressWords = 0, nameWords = 0, squeezedWords = 0;
    for (int cell = 0; cell < kLabels; ++cell)
        for (const TPdfWord &w : labels[cell]) {
            const TFrame frame = frameOf(cell, w);
            if (frame.Postcode)
                continue;
            // Written across the label, a line runs across the sheet unless
            // the label lies on its side; a turned label's additional lines
            // are written down it.
            const bool written = frame.Item ? frame.Item->IsHorizontal() : !onItsSide();
            // Digits set across a column stand as high as the column's
            // characters along it, however narrow.
            static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
            const bool acrossColumn = !written && digits.match(w.Text).hasMatch();
            const double mm = sizeMm(w, (written != onItsSide()) != acrossColumn);
            const bool readable = mm >= LeastTextMm - 0.05;
            if (frame.Part.isEmpty()) {
                EXPECT_TRUE(readable) << "line, label " << cell << ": " << qPrintable(w.Text) << " " << mm << " mm";
                continue;
            }
            const bool address = frame.Part == QStringLiteral("住所");
            addressWords += address ? 1 : 0;
            // The short record and the joint names are a person's name alone.
            const bool person = cell > 0 && frame.Part == QStringLiteral("氏名");
            // An address written down a turned label's column keeps the
            // least size across it, its characters squeezed along the
            // column where it is too long.
            const bool columnAddress = address && onItsSide() && !written;
            nameWords += person ? 1 : 0;
            // The simple sets stand the company's lines in the name's frame:
            // the wizard names a line there by its own part.
            QString part = frame.Part;
            if (part == QStringLiteral("氏名") && cell == 0) {
                const TTypedRecord r = LongCompanyPerson();
                const QString word = QString(w.Text).remove(QChar(0x3000));
                part = r.Corp.contains(word)                         ? QStringLiteral("会社名")
                       : QString(r.Dptmnt).remove(QChar(0x3000)).contains(word) ? QStringLiteral("部署名")
                       : r.Post.contains(word)                       ? QStringLiteral("役職")
                                                                     : part;
            }
            const bool toldSmall = told.contains(part + QStringLiteral("が 1.8mm より小さい文字で印刷されます"));
            // A character squeezed along its column below two thirds of its
            // width was told as narrowed, or its frame as printing smaller
            // still elsewhere.
            const double alongMm = sizeMm(w, written == onItsSide());
            if (readable && !written && !acrossColumn && CellCount(w.Text) == 1 &&
                alongMm < (LeastWidthRatio - 0.02) * mm) {
                ++squeezedWords;
                EXPECT_TRUE(told.contains(frame.Part + QStringLiteral("は 1.8mm の文字の幅を詰めて印刷します")) ||
                            toldSmall)
                    << qPrintable(frame.Part) << ", label " << cell << ": " << qPrintable(w.Text) << " " << alongMm
                    << " mm along, the wizard said: " << qPrintable(told);
            }
            if (readable)
                continue;
            EXPECT_TRUE(!wholeAddressee && !person && !columnAddress && toldSmall)
                << qPrintable(frame.Part) << ", label " << cell << ": " << qPrintable(w.Text) << " " << mm
                << " mm, the wizard said: " << qPrintable(told);
        }
    EXPECT_GE(addressWords, 3);
    EXPECT_GE(nameWords, 2);
    // The turned 12-sheet's detailed frames lend the long department the
    // blank beside its column: it goes on to a second column rather than
    // narrowing below two thirds of its width.
    if (GetParam().paper == 15 && GetParam().detail) {
        EXPECT_EQ(squeezedWords, 0);
    }
    // The turned 44-sheet holds the long address at the least height
    // squeezed down its columns to no less than two thirds of its width:
    // readable, and not named.
    if (GetParam().paper == 23) {
        EXPECT_FALSE(told.contains(QStringLiteral("住所は"))) << qPrintable(told);
    }
    for (const QString &joint : {QStringLiteral("由美子"), QStringLiteral("健太郎"), QStringLiteral("さくら")})
        EXPECT_TRUE(read[2].contains(joint)) << qPrintable(joint) << " is not printed: " << qPrintable(read[2]);
    for (const QString &joint : kFamily)
        EXPECT_TRUE(read[3].contains(joint)) << qPrintable(joint) << " is not printed: " << qPrintable(read[3]);
    int missing = 0;
    for (int cell = 0; cell < kLabels; ++cell)
        missing += 4 - linesPrinted(cell);
    int labelsShort = 0;
    for (int cell = 0; cell < kLabels; ++cell)
        labelsShort += linesPrinted(cell) < 4 ? 1 : 0;
    // The wide 44-sheet label has no room for a readable line beside a whole
    // addressee; the turned one keeps a column at its left edge, the 21- and
    // 24-sheet labels room under or beside the name.
    const bool keepsRoom = GetParam().paper == 23 || (GetParam().paper >= 18 && GetParam().paper <= 21);
    if (GetParam().paper == 14 || (keepsRoom && !GetParam().detail)) {
        EXPECT_GE(linesPrinted(1), 1) << "the short record prints no additional line";
    }
    if (missing == 0) {
        EXPECT_FALSE(told.contains(QStringLiteral("付加情報"))) << qPrintable(told);
    } else {
        EXPECT_TRUE(told.contains(QStringLiteral("付加情報 %1 行を省きます（ラベル %2 枚）").arg(missing).arg(labelsShort)))
            << missing << " lines missing on " << labelsShort << " labels; the wizard said: " << qPrintable(told);
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, ReadableLabels,
                         ::testing::Values(SheetCase{"sheet12", 14, false}, SheetCase{"sheet12Detailed", 14, true},
                                           SheetCase{"sheet12Turned", 15, false},
                                           SheetCase{"sheet12TurnedDetailed", 15, true},
                                           SheetCase{"sheet44", 22, false}, SheetCase{"sheet44Detailed", 22, true},
                                           SheetCase{"sheet44Turned", 23, false},
                                           SheetCase{"sheet44TurnedDetailed", 23, true},
                                           SheetCase{"sheet21", 18, false}, SheetCase{"sheet21Turned", 19, false},
                                           SheetCase{"sheet24", 20, false}, SheetCase{"sheet24Turned", 21, false}),
                         rowName);

} // namespace
