// Items a user inserts on the face of a postcard or an envelope, the way the
// user goes: a record typed into the record form, a sender typed into the
// sender window, then 挿入 -> 差出人情報, a 400 x 300 picture, a QR code and a
// figure, printed through the print wizard to a PDF file and read back as a
// sorting machine reads the bars. And the question printing asks when the
// user has moved an item over the bars.
#include "PrintedInk.h"
#include "InsertItems.h"
#include "UserRoad.h"
#include "editors/ItemCommands.h"
#include "editors/PageView.h"
#include "items/BarRect.h"
#include "items/SenderRect.h"
#include "support/PostBars.h"
#include "support/RowName.h"
#include "support/Screenshot.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTest>

#include <cmath>
#include <vector>

namespace {

constexpr int kDpi = 300;
constexpr double kClearMm = 2.0;

class InsertedItemsRoad : public UserRoadFixture
{
protected:
    // A person typed into the record form and selected in the list.
    void enterRecord()
    {
        ASSERT_NO_FATAL_FAILURE(typeRecord(TokyoPerson()));
        selectRows({0});
    }

    // The record typed, the editor of Action opened on Paper with a sender
    // (in its detailed frames when Detail) and the four items inserted: each
    // went in, or the user heard that no free place holds it.
    void insertOnANewPiece(const char *Action, TPrintEditorKind Kind, int Paper, bool Detail, TPrintEditor *&Editor,
                           QList<const TDrawRect *> &Added)
    {
        ASSERT_NO_FATAL_FAILURE(enterRecord());
        Editor = openEditor(Action, Kind, Paper);
        ASSERT_NE(Editor, nullptr);
        ASSERT_NO_FATAL_FAILURE(enterSender(*Editor, false));
        if (Detail) {
            ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*Editor));
        }
        Added = insertItems(*Editor);
        int toldNoRoom = 0;
        for (const TMessageBoxRequest &box : boxes.shown())
            toldNoRoom += box.text.contains(QStringLiteral("を置ける場所がありません")) ? 1 : 0;
        EXPECT_EQ(Added.size() + toldNoRoom, 4) << "an item neither inserted nor refused aloud";
    }

    // Item stands clear of the other items Added and of the addressee's
    // name, address, postcode and bars, on its piece.
    static void expectClearOfTheOthers(const TLayoutDocument &Doc, const QList<const TDrawRect *> &Added,
                                       const TDrawRect &Item)
    {
        const QRectF laid = laidMm(Item);
        for (const TDrawRect *other : Added)
            if (other != &Item) {
                EXPECT_FALSE(laid.intersects(laidMm(*other))) << "over inserted kind " << int(other->GetKind());
            }
        for (size_t i = 0; i < Doc.Items.size(); ++i) {
            const TDrawRect &frame = *Doc.Items[i];
            const TDrawRectKind kind = frame.GetKind();
            if (!frame.IsVisible() || !Doc.OnPrintedSide(i) ||
                (kind != TDrawRectKind::RecipientName && kind != TDrawRectKind::RecipientAddress &&
                 kind != TDrawRectKind::RecipientPostcode && kind != TDrawRectKind::Barcode))
                continue;
            EXPECT_FALSE(laid.intersects(ItemMm(frame))) << "over the addressee's frame of kind " << int(kind);
        }
    }

    // 挿入 -> 差出人情報, イラスト (a 400 x 300 picture), QRコード, 図形, in
    // this order; the items each inserted (none when it found no place).
    QList<const TDrawRect *> insertItems(TPrintEditor &Editor) { return insertFourItems(Editor, out); }

    // The questions about the bars the last run asked.
    QStringList barQuestions() const
    {
        QStringList asked;
        for (const TMessageBoxRequest &box : boxes.shown())
            if (box.text.contains(QStringLiteral("バーコード")))
                asked << box.text;
        return asked;
    }

    // Where an item is laid, in millimetres: a sender block's whole block.
    static QRectF laidMm(const TDrawRect &Item)
    {
        if (const auto *block = dynamic_cast<const TSenderRect *>(&Item)) {
            const TPageRect r = block->GetBlockRect();
            const double d = 25.4 / 96;
            return QRectF(QPointF(r.Left * d, r.Top * d), QPointF(r.Right * d, r.Bottom * d));
        }
        return ItemMm(Item);
    }

    static const TDrawRect *barcodeOf(TPrintEditor &Editor)
    {
        for (const auto &item : Editor.Document().Items)
            if (item->GetKind() == TDrawRectKind::Barcode && item->IsVisible())
                return item.get();
        return nullptr;
    }

    // The page's bars read back, and whether anything else inked the 2 mm
    // round them.
    void expectBarsReadWithNothingAround(const QImage &Page, const TDrawRect &Bars, const QString &Expected)
    {
        const QRect ink = InkAround(Page, ItemMm(Bars), kDpi);
        ASSERT_FALSE(ink.isEmpty()) << "no bars printed";
        const TReadPostBars read = readPostBars(barsInImage(Page, ink));
        EXPECT_TRUE(read.Valid) << read.Error.toStdString();
        EXPECT_EQ(read.Text, Expected);
        // A dot of rasterising allowed.
        const int ring = int(std::lround(kClearMm / 25.4 * kDpi)) - 1;
        EXPECT_EQ(inkIn(Page, ink.adjusted(-ring, -ring, ring, ring)) - inkIn(Page, ink), 0)
            << "ink within 2 mm of the bars";
    }

    QTemporaryDir out;
};

struct FaceCase {
    const char *name;
    int paper;
    bool detail;
};

class InsertedItemsOnAFace : public InsertedItemsRoad, public ::testing::WithParamInterface<FaceCase>
{
};

// The items land beside the address and print there; the bars read back
// whole, 2 mm clear of every one of them, and no question was needed.
TEST_P(InsertedItemsOnAFace, printWithTheBarsReadableAndClear)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    TPrintEditor *editor = nullptr;
    QList<const TDrawRect *> added;
    ASSERT_NO_FATAL_FAILURE(insertOnANewPiece("actLayoutPrint", TPrintEditorKind::AddressSide, GetParam().paper,
                                              GetParam().detail, editor, added));
    // The face holds at least the picture.
    ASSERT_GE(added.size(), 1);
    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    EXPECT_TRUE(barQuestions().isEmpty()) << qPrintable(barQuestions().join(u'\n'));

    const QList<QImage> pages = renderPdf(pdfFile(), kDpi);
    ASSERT_EQ(pages.size(), 1);
    saveScreenshot(pages[0], QStringLiteral("inserted_items_") + QString::fromLatin1(GetParam().name));
    const TDrawRect *bars = barcodeOf(*editor);
    ASSERT_NE(bars, nullptr);
    expectBarsReadWithNothingAround(pages[0], *bars, QStringLiteral("10000141-7-1"));
    // Every item inserted prints: a block of text made smaller to fit a free
    // place still shows its lines.
    for (const TDrawRect *item : added)
        EXPECT_GT(inkIn(pages[0], MmToDots(laidMm(*item), kDpi)), 100) << int(item->GetKind()) << " printed nothing";
    // Each item clear of the others, of the addressee's frames and of the
    // piece's unprintable edge (5 mm).
    const TLayoutDocument &doc = editor->Document();
    const QSizeF piece(doc.Format.Width / 10.0, doc.Format.Height / 10.0);
    for (const TDrawRect *item : added) {
        const QRectF laid = laidMm(*item);
        SCOPED_TRACE("item kind " + std::to_string(int(item->GetKind())));
        EXPECT_GE(laid.left(), 5.0 - 0.3);
        EXPECT_GE(laid.top(), 5.0 - 0.3);
        EXPECT_LE(laid.right(), piece.width() - 5.0 + 0.3);
        EXPECT_LE(laid.bottom(), piece.height() - 5.0 + 0.3);
        expectClearOfTheOthers(doc, added, *item);
    }
}

// The faces of 長形３号 (both frame sets, and lying), a postcard and 角形２号.
// A company's sender block inserted on the face prints its lines where it
// stands, read back from the PDF's text within the block; where the face has
// no place for a block whose lines can be read, the user is told so.
TEST_P(InsertedItemsOnAFace, aCompanySendersBlockPrintsItsLines)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    ASSERT_NO_FATAL_FAILURE(enterRecord());
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, GetParam().paper);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(enterSender(*editor, true));
    if (GetParam().detail) {
        ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    }
    const size_t before = editor->Document().Items.size();
    editor->findChild<QAction *>(QStringLiteral("actInsertSender"))->trigger();
    if (editor->Document().Items.size() == before) {
        ASSERT_GT(boxes.count(), 0);
        EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("差出人情報を置ける場所がありません")))
            << qPrintable(boxes.last().text);
        return;
    }
    const QRectF block = laidMm(*editor->Document().Items.back());
    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    const double pt = 72.0 / 25.4;
    QString text;
    for (const TPdfWord &word : pdfWords(QRectF(block.topLeft() * pt, block.size() * pt)))
        text += word.Text;
    // Lines standing side by side down the block may read interleaved:
    // each character of each line is looked for.
    for (const QString &line : {QStringLiteral("株式会社ピクス"), QStringLiteral("営業部"), QStringLiteral("佐藤")})
        for (const QChar c : line)
            EXPECT_TRUE(text.contains(c)) << qPrintable(line) << " not printed in the block (" << block.width()
                                          << " x " << block.height() << " mm): " << qPrintable(text);
}

// Every postcard and envelope face of the catalogue, in both frame sets.
std::vector<FaceCase> everyFace()
{
    static const char *const names[] = {
        "postcardVertical",     "postcardVerticalDetail",  "postcardHorizontal", "postcardHorizontalDetail",
        "naga3Vertical",        "naga3VerticalDetail",     "naga3Horizontal",    "naga3HorizontalDetail",
        "naga3Lying",           "naga3LyingDetail",        "naga4Vertical",      "naga4VerticalDetail",
        "naga4Horizontal",      "naga4HorizontalDetail",   "naga4Lying",         "naga4LyingDetail",
        "you2Vertical",         "you2VerticalDetail",      "you2Horizontal",     "you2HorizontalDetail",
        "you2Lying",            "you2LyingDetail",         "kaku2Vertical",      "kaku2VerticalDetail",
        "kaku2Horizontal",      "kaku2HorizontalDetail",   "kaku2Lying",         "kaku2LyingDetail"};
    std::vector<FaceCase> cases;
    for (int paper = 0; paper <= 13; ++paper)
        for (const bool detail : {false, true})
            cases.push_back({names[paper * 2 + (detail ? 1 : 0)], paper, detail});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Faces, InsertedItemsOnAFace, ::testing::ValuesIn(everyFace()), rowName);

// The same items inserted on the first label of every label sheet, both
// frame sets: each inserted, or the user hears that no free place holds it,
// and each inserted one prints on its label, clear of the others and of the
// addressee's frames.
class InsertedItemsOnALabel : public InsertedItemsRoad, public ::testing::WithParamInterface<FaceCase>
{
};

TEST_P(InsertedItemsOnALabel, printOnTheirLabel)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    TPrintEditor *editor = nullptr;
    QList<const TDrawRect *> added;
    ASSERT_NO_FATAL_FAILURE(insertOnANewPiece("actLabelPrint", TPrintEditorKind::Label, GetParam().paper,
                                              GetParam().detail, editor, added));
    if (added.isEmpty())
        return;
    ASSERT_TRUE(runPrintWizard(*editor));
    const QList<QImage> pages = renderPdf(pdfFile(), kDpi);
    ASSERT_EQ(pages.size(), 1);
    saveScreenshot(pages[0], QStringLiteral("inserted_label_items_") + QString::fromLatin1(GetParam().name));
    const TLayoutDocument &doc = editor->Document();
    const QRect cell = doc.CellRect(0); // 0.1 mm
    const QPointF at(cell.left() / 10.0, cell.top() / 10.0);
    const QSizeF piece(doc.Format.Width / 10.0, doc.Format.Height / 10.0);
    // A label used upright stands turned on the sheet: (x, y) of the piece
    // lands at (cell width - y, x).
    const bool turned = cell.width() != doc.Format.Width && cell.width() == doc.Format.Height;
    auto onSheet = [&](const QRectF &Laid) {
        return turned ? QRectF(QPointF(at.x() + piece.height() - Laid.bottom(), at.y() + Laid.left()),
                               QSizeF(Laid.height(), Laid.width()))
                      : Laid.translated(at);
    };
    for (const TDrawRect *item : added) {
        const QRectF laid = laidMm(*item);
        SCOPED_TRACE("item kind " + std::to_string(int(item->GetKind())));
        EXPECT_GT(inkIn(pages[0], MmToDots(onSheet(laid), kDpi)), 100) << "printed nothing";
        EXPECT_GE(laid.left(), 0.0);
        EXPECT_GE(laid.top(), 0.0);
        EXPECT_LE(laid.right(), piece.width());
        EXPECT_LE(laid.bottom(), piece.height());
        expectClearOfTheOthers(doc, added, *item);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Labels, InsertedItemsOnALabel,
    ::testing::Values(FaceCase{"sheet12", 14, false}, FaceCase{"sheet12Detail", 14, true},
                      FaceCase{"sheet12Turned", 15, false}, FaceCase{"sheet12TurnedDetail", 15, true},
                      FaceCase{"sheet10", 16, false}, FaceCase{"sheet10Detail", 16, true},
                      FaceCase{"sheet10Turned", 17, false}, FaceCase{"sheet10TurnedDetail", 17, true},
                      FaceCase{"sheet21", 18, false}, FaceCase{"sheet21Detail", 18, true},
                      FaceCase{"sheet21Turned", 19, false}, FaceCase{"sheet21TurnedDetail", 19, true},
                      FaceCase{"sheet24", 20, false}, FaceCase{"sheet24Detail", 20, true},
                      FaceCase{"sheet24Turned", 21, false}, FaceCase{"sheet24TurnedDetail", 21, true},
                      FaceCase{"sheet44", 22, false}, FaceCase{"sheet44Detail", 22, true},
                      FaceCase{"sheet44Turned", 23, false}, FaceCase{"sheet44TurnedDetail", 23, true}),
    rowName);

// The user drags an inserted QR code onto the bars with the mouse: printing
// names it and asks first. いいえ prints nothing; はい prints as laid out.
class ItemMovedOverTheBars : public InsertedItemsRoad
{
protected:
    void SetUp() override
    {
        InsertedItemsRoad::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_NO_FATAL_FAILURE(enterRecord());
        editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 2);
        ASSERT_NE(editor, nullptr);
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    }

    // Drags item Index by the mouse until its middle lies on the middle of
    // the bars.
    void dragOntoTheBars(int Index)
    {
        const TDrawRect &item = *editor->Document().Items[size_t(Index)];
        const TDrawRect *bars = barcodeOf(*editor);
        ASSERT_NE(bars, nullptr);
        const TScreenRect from = item.GetDispRect(), to = bars->GetDispRect();
        const QPoint start(TPageView::Margin + (from.Left + from.Right) / 2,
                           TPageView::Margin + (from.Top + from.Bottom) / 2);
        const QPoint end(TPageView::Margin + (to.Left + to.Right) / 2, TPageView::Margin + (to.Top + to.Bottom) / 2);
        TPageView *view = editor->PageView();
        QTest::mousePress(view, Qt::LeftButton, {}, start);
        QTest::mouseMove(view, (start + end) / 2);
        QTest::mouseMove(view, end);
        QTest::mouseRelease(view, Qt::LeftButton, {}, end);
        const TPageRect r = item.GetRect(), b = bars->GetRect();
        ASSERT_TRUE(QRect(r.Left, r.Top, r.width(), r.height()).intersects(QRect(b.Left, b.Top, b.width(), b.height())))
            << "the drag did not reach the bars";
    }

    // 挿入 -> QRコード, an address typed as its text.
    void insertQRCode()
    {
        editor->ExecDialog = [](QDialog &D) {
            auto *memo = D.findChild<QPlainTextEdit *>(QStringLiteral("memText"));
            QTest::keyClicks(memo, QStringLiteral("https://example.jp/"));
            D.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
            return D.result();
        };
        editor->findChild<QAction *>(QStringLiteral("actInsertQRCode"))->trigger();
    }

    TPrintEditor *editor = nullptr;
};

TEST_F(ItemMovedOverTheBars, printingAsksFirstAndNoPrintsNothing)
{
    insertQRCode();
    ASSERT_EQ(editor->Document().Items.back()->GetKind(), TDrawRectKind::QRCode);
    ASSERT_NO_FATAL_FAILURE(dragOntoTheBars(int(editor->Document().Items.size()) - 1));
    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    const QStringList asked = barQuestions();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("QRコード"))) << qPrintable(asked[0]);
    EXPECT_EQ(boxes.last().flags & MB_TYPEMASK, unsigned(MB_YESNO));
    EXPECT_FALSE(QFile::exists(pdfFile())) << "printed without a yes";
}

TEST_F(ItemMovedOverTheBars, yesPrintsAsLaidOut)
{
    insertQRCode();
    ASSERT_NO_FATAL_FAILURE(dragOntoTheBars(int(editor->Document().Items.size()) - 1));
    boxes.clear();
    // The wizard's own question, then the one about the bars.
    boxes.enqueue(IDYES);
    ASSERT_TRUE(runPrintWizard(*editor));
    EXPECT_EQ(barQuestions().size(), 1);
    EXPECT_TRUE(QFile::exists(pdfFile()));
}

// A frame of the address moved by the user counts as an inserted item does.
TEST_F(ItemMovedOverTheBars, aFrameMovedOntoTheBarsIsNamed)
{
    const TLayoutDocument &d = editor->Document();
    int name = -1;
    for (size_t i = 0; i < d.Items.size(); ++i)
        if (d.Items[i]->GetKind() == TDrawRectKind::RecipientName && d.OnPrintedSide(i))
            name = int(i);
    ASSERT_GE(name, 0);
    ASSERT_NO_FATAL_FAILURE(dragOntoTheBars(name));
    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    const QStringList asked = barQuestions();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("氏名"))) << qPrintable(asked[0]);
}

// Frames standing where their set puts them are no user's doing: the
// detailed 12面 label, whose name frame ends where its bars begin, prints
// without the question.
TEST_F(InsertedItemsRoad, framesWhereTheSetPutsThemPrintWithoutAQuestion)
{
    ASSERT_NO_FATAL_FAILURE(enterRecord());
    TPrintEditor *editor = openEditor("actLabelPrint", TPrintEditorKind::Label, 14);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    EXPECT_TRUE(barQuestions().isEmpty()) << qPrintable(barQuestions().join(u'\n'));
    EXPECT_TRUE(QFile::exists(pdfFile()));
}

// A family's sender block: the sender with five joint names, each with a
// note (a child's age), typed into the sender window and inserted on a
// face, where the names stand at the least readable height. Read back from
// the PDF, each note stands that high too (narrowed along its line with its
// name where the line is too long), not at two thirds of its name's height.
class FamilySenderBlock : public InsertedItemsRoad, public ::testing::WithParamInterface<FaceCase>
{
};

TEST_P(FamilySenderBlock, printsTheNotesAtTheLeastHeight)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    ASSERT_NO_FATAL_FAILURE(enterRecord());
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, GetParam().paper);
    ASSERT_NE(editor, nullptr);
    enterSenderWith(*editor, [](QDialog &Dialog) {
        press(&Dialog, "ckbHome");
        const char16_t *joints[] = {u"春子", u"健太郎", u"由美子", u"さくら", u"大輔"};
        const char16_t *notes[] = {u"（妻）", u"（１２才）", u"（１０才）", u"（７才）", u"（３才）"};
        for (int i = 0; i < 5; ++i) {
            const QByteArray n = QByteArray::number(i + 1);
            typeIn(&Dialog, QByteArray("edJoint" + n).constData(), QString::fromUtf16(joints[i]));
            typeIn(&Dialog, QByteArray("edNote" + n).constData(), QString::fromUtf16(notes[i]));
            auto *print = Dialog.findChild<QToolButton *>(QString::fromLatin1("sbtnJointPrint" + n));
            EXPECT_NE(print, nullptr);
            if (print && !print->isChecked())
                press(&Dialog, QByteArray("sbtnJointPrint" + n).constData());
        }
    });
    const size_t before = editor->Document().Items.size();
    editor->findChild<QAction *>(QStringLiteral("actInsertSender"))->trigger();
    ASSERT_EQ(editor->Document().Items.size(), before + 1) << "no place for the block";
    const auto *block = dynamic_cast<const TSenderRect *>(editor->Document().Items.back().get());
    ASSERT_NE(block, nullptr);
    const QRectF area = laidMm(*block);
    ASSERT_TRUE(runPrintWizard(*editor));
    const double pt = 72.0 / 25.4;
    int notes = 0;
    for (const TPdfWord &word : pdfWords(QRectF(area.topLeft() * pt, area.size() * pt))) {
        if (!word.Text.contains(u'才') && !word.Text.contains(u'妻'))
            continue;
        ++notes;
        // Across its line: a line written across is as high as its
        // characters, a column as wide.
        const double mm = (block->GetHorizontal() ? word.Box.height() : word.Box.width()) / pt;
        EXPECT_GE(mm, LeastTextMm - 0.05) << qPrintable(word.Text) << " " << mm << " mm";
    }
    EXPECT_EQ(notes, 5);
}

INSTANTIATE_TEST_SUITE_P(Faces, FamilySenderBlock,
                         ::testing::Values(FaceCase{"postcardHorizontal", 1, false},
                                           FaceCase{"naga3Vertical", 2, false}),
                         rowName);

} // namespace
