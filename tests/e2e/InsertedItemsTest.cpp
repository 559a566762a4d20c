// Items a user inserts on the face of a postcard or an envelope, the way the
// user goes: a record typed into the record form, a sender typed into the
// sender window, then 挿入 -> 差出人情報, a 400 x 300 picture, a QR code and a
// figure, printed through the print wizard to a PDF file and read back as a
// sorting machine reads the bars. And the question printing asks when the
// user has moved an item over the bars.
#include "PrintedInk.h"
#include "UserRoad.h"
#include "editors/ItemCommands.h"
#include "editors/PageView.h"
#include "items/BarRect.h"
#include "support/PostBars.h"
#include "support/RowName.h"
#include "support/Screenshot.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

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

    // 挿入 -> 差出人情報, イラスト (a 400 x 300 picture), QRコード, 図形, in
    // this order; the items each inserted (none when it found no place).
    QList<const TDrawRect *> insertItems(TPrintEditor &Editor)
    {
        QList<const TDrawRect *> added;
        auto insert = [&Editor, &added](const char *Command) {
            const size_t before = Editor.Document().Items.size();
            Editor.findChild<QAction *>(QLatin1String(Command))->trigger();
            if (Editor.Document().Items.size() == before + 1)
                added << Editor.Document().Items.back().get();
        };
        insert("actInsertSender");

        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(QColor(0, 90, 0));
        const QString picture = out.filePath(QStringLiteral("photo.bmp"));
        EXPECT_TRUE(image.save(picture));
        Editor.findChild<TItemCommands *>()->ChooseImageFile = [picture] { return picture; };
        insert("actInsertIllust");

        Editor.ExecDialog = [](QDialog &D) {
            auto *memo = D.findChild<QPlainTextEdit *>(QStringLiteral("memText"));
            memo->setFocus();
            QTest::keyClicks(memo, QStringLiteral("https://example.jp/murven"));
            D.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
            return D.result();
        };
        insert("actInsertQRCode");

        Editor.ExecDialog = [](QDialog &D) {
            D.accept();
            return D.result();
        };
        insert("actInsertFigure");
        return added;
    }

    // The questions about the bars the last run asked.
    QStringList barQuestions() const
    {
        QStringList asked;
        for (const TMessageBoxRequest &box : boxes.shown())
            if (box.text.contains(QStringLiteral("バーコード")))
                asked << box.text;
        return asked;
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
    ASSERT_NO_FATAL_FAILURE(enterRecord());
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, GetParam().paper);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(enterSender(*editor, false));
    if (GetParam().detail) {
        ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    }
    const QList<const TDrawRect *> added = insertItems(*editor);
    ASSERT_EQ(added.size(), 4) << "the face has room for all four";
    ASSERT_TRUE(runPrintWizard(*editor));
    EXPECT_TRUE(barQuestions().isEmpty()) << qPrintable(barQuestions().join(u'\n'));

    const QList<QImage> pages = renderPdf(pdfFile(), kDpi);
    ASSERT_EQ(pages.size(), 1);
    saveScreenshot(pages[0], QStringLiteral("inserted_items_") + QString::fromLatin1(GetParam().name));
    const TDrawRect *bars = barcodeOf(*editor);
    ASSERT_NE(bars, nullptr);
    expectBarsReadWithNothingAround(pages[0], *bars, QStringLiteral("10000141-7-1"));
    for (const TDrawRect *item : added)
        EXPECT_GT(inkIn(pages[0], MmToDots(ItemMm(*item), kDpi)), 100) << int(item->GetKind()) << " printed nothing";
}

// The faces of 長形３号 (both frame sets, and lying), a postcard and 角形２号.
INSTANTIATE_TEST_SUITE_P(Faces, InsertedItemsOnAFace,
                         ::testing::Values(FaceCase{"naga3Vertical", 2, false}, FaceCase{"naga3VerticalDetail", 2, true},
                                           FaceCase{"naga3Lying", 4, false},
                                           FaceCase{"postcardHorizontalDetail", 1, true},
                                           FaceCase{"kaku2Vertical", 11, false}),
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

} // namespace
