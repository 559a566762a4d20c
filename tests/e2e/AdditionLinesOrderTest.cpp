// The additional lines of a label stand in the order the user sets them in
// 書式 → 付加情報 (項目１ first), whatever their items: set in an order that
// is not the items' own (E-Mail1 before a keyword, a text of the user's own
// before TEL), each line on the layout the print run merges every record
// into reads after the line set before it, rows top down and each left to
// right.
#include "UserRoad.h"
#include "editors/AdditionPlace.h"
#include "items/AdditionRect.h"
#include "support/RowName.h"

#include <algorithm>

namespace {

// A line of the dialog: the id of the item its list offers, 0 for the
// user's own text.
constexpr int kTel = 3, kMail = 9, kKeyword = 11, kOwn = 0;

struct OrderCase {
    const char *name;
    int paper;
    bool detail;
    std::vector<int> ids; // 項目１ to 項目４
};

const OrderCase kCases[] = {
    {"sheet12", 14, false, {kMail, kKeyword, kOwn, kTel}},
    // The keyword set before E-Mail1 reads first, as set.
    {"sheet10", 16, false, {kKeyword, kMail, kTel, kOwn}},
    // Each line placed where it alone is largest, TEL (set last) found
    // room read before the text of the user's own.
    {"sheet24", 20, false, {kMail, kKeyword, kOwn, kTel}},
    // Each line where it alone is largest puts the long lines in the few
    // long rooms, wherever they read: the lines set before them take room
    // read earlier, smaller where they must, never below readable.
    {"sheet12TelFirst", 14, false, {kTel, kOwn, kKeyword, kMail}},
    {"sheet12Turned", 15, false, {kKeyword, kMail, kTel, kOwn}},
    {"sheet12TurnedDetailed", 15, true, {kMail, kKeyword, kOwn, kTel}},
    {"sheet10Detailed", 16, true, {kMail, kKeyword, kOwn, kTel}},
    {"sheet21", 18, false, {kTel, kOwn, kKeyword, kMail}},
    {"sheet24Turned", 21, false, {kOwn, kTel, kMail, kKeyword}},
};

const QString kOwnText = QStringLiteral("喪中欠礼");

// Whether A is read before B on a piece (boxes in the piece's own
// orientation): rows top down, each left to right, or columns right to
// left, each top down.
bool readsBefore(const QRectF &A, const QRectF &B, bool Rows)
{
    if (Rows) {
        const bool sameRow = A.center().y() > B.top() && A.center().y() < B.bottom();
        return sameRow ? A.left() < B.left() : A.center().y() < B.center().y();
    }
    const bool sameColumn = A.center().x() > B.left() && A.center().x() < B.right();
    return sameColumn ? A.top() < B.top() : A.center().x() > B.center().x();
}

class AdditionLinesOrder : public UserRoadFixture, public ::testing::WithParamInterface<OrderCase>
{
public:
    // 書式 → 付加情報 with the case's items set from 項目１ down, then OK.
    static void setLines(TPrintEditor &Editor, const std::vector<int> &Ids)
    {
        Editor.ExecDialog = [Ids](QDialog &Dialog) {
            Dialog.show();
            for (size_t i = 0; i < Ids.size(); ++i) {
                const QByteArray n = QByteArray::number(int(i) + 1);
                press(&Dialog, QByteArray("ckbAddition" + n).constData());
                if (Ids[i] == kOwn) {
                    typeIn(&Dialog, QByteArray("cbxAddition" + n).constData(), kOwnText);
                    continue;
                }
                auto *items = Dialog.findChild<QComboBox *>(QStringLiteral("cbxAddition") + QString::fromLatin1(n));
                EXPECT_NE(items, nullptr);
                if (items)
                    items->setCurrentIndex(items->findData(Ids[i]));
            }
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
    }
};

TEST_P(AdditionLinesOrder, linesReadInTheOrderTheyAreSet)
{
    const OrderCase &c = GetParam();
    TPrintEditor *editor = openLabelEditor({c.name, c.paper, c.detail});
    ASSERT_NE(editor, nullptr);
    setLines(*editor, c.ids);
    const TLayoutDocument &doc = editor->Document();
    const bool rows = doc.HorizontalWriting();
    // Where each line stands on the page.
    std::vector<QRectF> boxes;
    for (const int id : c.ids) {
        const auto line = std::find_if(doc.Items.begin(), doc.Items.end(), [id](const auto &Item) {
            const auto *add = dynamic_cast<const TAdditionRect *>(Item.get());
            return add && add->IsVisible() && add->GetAddKind() == id && (id != kOwn || add->GetContent() == kOwnText);
        });
        ASSERT_NE(line, doc.Items.end()) << id;
        const TPageRect r = (*line)->GetRect();
        boxes.push_back(QRectF(QPointF(r.Left, r.Top), QPointF(r.Right, r.Bottom)));
    }
    for (size_t k = 0; k + 1 < boxes.size(); ++k)
        EXPECT_TRUE(readsBefore(boxes[k], boxes[k + 1], rows))
            << "項目" << k + 1 << " (" << c.ids[k] << ") is read after 項目" << k + 2 << " (" << c.ids[k + 1] << ")";
}

INSTANTIATE_TEST_SUITE_P(Sheets, AdditionLinesOrder, ::testing::ValuesIn(kCases), rowName);

// The same on the paper: a record typed into the record form, whose texts
// reach the boxes the lines were given, printed through the wizard. A line
// the record's text leaves no room in its own box moves for the print, and
// it moves to room read after the line set before it: the lines' first
// words, read back from the PDF, come in the order set.
struct PrintedOrderCase {
    const char *name;
    SheetCase sheet;
    bool company;
    std::vector<int> ids;
};

const PrintedOrderCase kPrintedCases[] = {
    {"sheet12", {"sheet12", 14, false}, false, {kKeyword, kMail, kTel, kOwn}},
    {"sheet24Detailed", {"sheet24Detailed", 20, true}, false, {kTel, kOwn, kKeyword, kMail}},
    {"sheet10Company", {"sheet10", 16, false}, true, {kOwn, kTel, kMail, kKeyword}},
};

class PrintedLinesOrder : public PdfRoadFixture, public ::testing::WithParamInterface<PrintedOrderCase>
{
};

TEST_P(PrintedLinesOrder, linesPrintInTheOrderTheyAreSet)
{
    if (stopped())
        return;
    const PrintedOrderCase &c = GetParam();
    TTypedRecord record = LongCompanyPerson();
    if (!c.company) {
        record = TokyoPerson();
        record.Tel = QStringLiteral("03-3581-0101");
        record.EMail1 = QStringLiteral("yamada.taro@example.ne.jp");
        record.Keyword1 = QStringLiteral("同窓会");
    }
    ASSERT_NO_FATAL_FAILURE(typeRecord(record));
    selectRows({0});
    TPrintEditor *editor = openLabelEditor(c.sheet);
    ASSERT_NE(editor, nullptr);
    AdditionLinesOrder::setLines(*editor, c.ids);
    ASSERT_TRUE(runPrintWizard(*editor));
    const std::vector<TPdfWord> words = pdfWords(firstLabel(*editor));
    std::vector<QRectF> firsts;
    for (const int id : c.ids) {
        const QString first = id == kTel ? QStringLiteral("TEL")
                              : id == kMail ? QStringLiteral("E-Mail1")
                              : id == kKeyword ? QStringLiteral("キーワード１")
                                               : kOwnText;
        const auto word = std::find_if(words.begin(), words.end(), [&](const TPdfWord &W) { return W.Text == first; });
        ASSERT_NE(word, words.end()) << qPrintable(first) << " is not on the label";
        firsts.push_back(word->Box);
    }
    for (size_t k = 0; k + 1 < firsts.size(); ++k)
        EXPECT_TRUE(readsBefore(firsts[k], firsts[k + 1], true)) << "項目" << k + 1 << " prints after 項目" << k + 2;
}

INSTANTIATE_TEST_SUITE_P(Sheets, PrintedLinesOrder, ::testing::ValuesIn(kPrintedCases), rowName);

// The order gives way where keeping it would leave a line out: on the
// turned 24-sheet label a company's long lines leave room for all four
// lines only with the mail address out of its order, and all four print.
TEST_F(PrintedLinesOrder, noLineIsLeftOutToKeepTheOrder)
{
    if (stopped())
        return;
    ASSERT_NO_FATAL_FAILURE(typeRecord(LongCompanyPerson()));
    selectRows({0});
    TPrintEditor *editor = openLabelEditor({"sheet24Turned", 21, false});
    ASSERT_NE(editor, nullptr);
    AdditionLinesOrder::setLines(*editor, {kMail, kKeyword, kOwn, kTel});
    EXPECT_TRUE(LeftOutAdditionLines(editor->Document()).empty());
}

} // namespace
