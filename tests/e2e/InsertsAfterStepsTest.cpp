// What the user's next steps do to a layout, the way the user goes: a record
// typed into the record form, a sender typed into the sender window, items
// put in through 挿入 and 文字の挿入, then 書式 → 詳細 (the detailed frame
// set), ファイル → 用紙の変更 and 文章の編集 (a free text turned to 横書き);
// ファイル → 新規作成 on one paper after another; a postcard of the user's
// own height. Each piece printed once through the print wizard to a PDF file
// and read back.
#include "PrintedInk.h"
#include "InsertItems.h"
#include "UserRoad.h"
#include "dialogs/CstmLyt.h"
#include "dialogs/DsnPrt.h"
#include "dialogs/LytFmt.h"
#include "editors/ItemCommands.h"
#include "editors/ItemPlace.h"
#include "editors/PageView.h"
#include "items/CorpRect.h"
#include "items/WordRect.h"
#include "support/PostBars.h"
#include "support/Screenshot.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr int kDpi = 300;
constexpr double kMmPerPx = 25.4 / 96;
// The PDF's points in a millimetre.
constexpr double kPt = 72.0 / 25.4;
// The blank an item keeps round it, and a sheet's unprintable edge, in mm.
constexpr double kClearMm = 2.0, kEdgeMm = 5.0;

QRectF mmOf(const TPageRect &R)
{
    return QRectF(QPointF(R.Left * kMmPerPx, R.Top * kMmPerPx), QPointF(R.Right * kMmPerPx, R.Bottom * kMmPerPx));
}

std::string text(const QRectF &R)
{
    return QStringLiteral("(%1, %2)-(%3, %4) mm")
        .arg(R.left(), 0, 'f', 1)
        .arg(R.top(), 0, 'f', 1)
        .arg(R.right(), 0, 'f', 1)
        .arg(R.bottom(), 0, 'f', 1)
        .toStdString();
}

class InsertsAfterSteps : public UserRoadFixture
{
protected:
    void SetUp() override
    {
        UserRoadFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        // The paper dialogs read the catalogue the build writes beside the
        // libraries.
        QFile::link(QStringLiteral(MURVEN_DIC_LIB_DIR "Common"), AppPath + QStringLiteral("Common"));
        ASSERT_NO_FATAL_FAILURE(typeRecord(TokyoPerson()));
        selectRows({0});
    }

    // The paper dialog's envelope categories, in the catalogue's order.
    enum TPaper { Postcard = -1, Naga = 0, Kaku = 2 };
    // ファイル → Command (新規作成 or 用紙の変更) with the paper chosen in
    // the paper dialog: 通常はがき 縦書き, or the first envelope of a
    // category (長形３号, 角形２号) upright and written down.
    static void choosePaper(TPrintEditor &Editor, const char *Command, TPaper Paper)
    {
        Editor.ExecDialog = [Paper](QDialog &Dialog) {
            EXPECT_NE(dynamic_cast<TNewLayoutDialog *>(&Dialog), nullptr);
            Dialog.show();
            const bool envelope = Paper != Postcard;
            auto *kind = Dialog.findChild<QComboBox *>(QStringLiteral("cbxPaperKind"));
            kind->setCurrentIndex(envelope ? 1 : 0);
            emit kind->activated(envelope ? 1 : 0);
            if (envelope) {
                auto *category = Dialog.findChild<QComboBox *>(QStringLiteral("cbxEnvCategory"));
                category->setCurrentIndex(int(Paper));
                emit category->activated(int(Paper));
            }
            Dialog.findChild<QListWidget *>(QLatin1String(envelope ? "lbEnvelope" : "lbPostcard"))->setCurrentRow(0);
            if (envelope) {
                press(&Dialog, "rbEnvCardV");
                press(&Dialog, "rbEnvWordV");
            } else {
                press(&Dialog, "rbPostCardV");
            }
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QLatin1String(Command))->trigger();
    }

    // 挿入 → 差出人情報, イラスト (a 400 x 300 picture), QRコード, 図形, and
    // 文字 → 文字の挿入, in this order; the items inserted.
    QList<const TDrawRect *> insertItems(TPrintEditor &Editor)
    {
        QList<const TDrawRect *> added = insertFourItems(Editor, out);
        Editor.ExecDialog = [](QDialog &D) {
            typeIn(&D, "memWords", QStringLiteral("謹賀新年"));
            press(&D, "btnOK");
            return D.result();
        };
        insertByCommand(Editor, "actInsertWord", added);
        return added;
    }

    // Each of Added (as it stands on the printed side) 5 mm inside the
    // piece and 2 mm clear of everything else the side prints.
    static void expectClear(const TLayoutDocument &Doc, const QList<const TDrawRect *> &Added, const char *Step)
    {
        SCOPED_TRACE(Step);
        const QSizeF piece(Doc.Format.Width / 10.0, Doc.Format.Height / 10.0);
        for (const TDrawRect *item : Added) {
            const QRectF ink = mmOf(InkRect(*item));
            SCOPED_TRACE(ItemName(*item).toStdString() + " at " + text(ink));
            // The piece is laid out in whole page pixels: its far edges may
            // stand up to half a pixel off the paper's.
            EXPECT_GE(std::min({ink.left(), ink.top(), piece.width() - ink.right(), piece.height() - ink.bottom()}),
                      kEdgeMm - kMmPerPx / 2);
            for (size_t i = 0; i < Doc.Items.size(); ++i) {
                const TDrawRect &other = *Doc.Items[i];
                if (&other == item || !other.IsVisible() || !Doc.OnPrintedSide(i) || InkRect(other).isEmpty())
                    continue;
                const QRectF o = mmOf(InkRect(other));
                const double dx = std::max(o.left() - ink.right(), ink.left() - o.right());
                const double dy = std::max(o.top() - ink.bottom(), ink.top() - o.bottom());
                EXPECT_GE(std::max(dx, dy), kClearMm) << "by " << ItemName(other).toStdString() << " at " << text(o);
            }
        }
    }

    // The address-side editor on the catalogue's Paper, shown on the screen;
    // null where it is not.
    TPrintEditor *openShownEditor(int Paper)
    {
        TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, Paper);
        if (!editor)
            return nullptr;
        editor->show();
        const bool exposed = QTest::qWaitForWindowExposed(editor);
        EXPECT_TRUE(exposed) << "the editor was never shown";
        return exposed ? editor : nullptr;
    }

    // Where the editor's page shows the middle of Item.
    static QPoint centreOnScreen(const TDrawRect &Item)
    {
        const TScreenRect r = Item.GetDispRect();
        return QPoint(TPageView::Margin + (r.Left + r.Right) / 2, TPageView::Margin + (r.Top + r.Bottom) / 2);
    }

    // The mouse dragged on the editor's page from From to To, by way of the
    // point halfway.
    static void drag(TPrintEditor &Editor, QPoint From, QPoint To)
    {
        QTest::mousePress(Editor.PageView(), Qt::LeftButton, {}, From);
        QTest::mouseMove(Editor.PageView(), (From + To) / 2);
        QTest::mouseMove(Editor.PageView(), To);
        QTest::mouseRelease(Editor.PageView(), Qt::LeftButton, {}, To);
    }

    // The page of Doc's piece in the PDF, in points.
    static QRectF pageInPoints(const TLayoutDocument &Doc)
    {
        return QRectF(0, 0, Doc.Format.Width / 10.0 * kPt, Doc.Format.Height / 10.0 * kPt);
    }

    // The texts of the boxes shown that hold Words.
    QStringList shownWith(const QString &Words) const
    {
        QStringList asked;
        for (const TMessageBoxRequest &box : boxes.shown())
            if (box.text.contains(Words))
                asked << box.text;
        return asked;
    }
    // The questions the print command asked about what lies over what.
    QStringList questions() const { return shownWith(QStringLiteral("重なっています")); }

    QTemporaryDir out;
};

// Items put in clear of everything on 長形３号 stay clear after 書式 → 詳細
// switches the frame set, after 用紙の変更 to 角形２号, and after their free text is
// turned from 縦書き to 横書き: each is placed anew where the step left it
// over a frame. Printed, nothing else inks the 2 mm round any of them, and
// printing asks nothing.
TEST_F(InsertsAfterSteps, insertedItemsStayClearThroughTheNextSteps)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 2);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(enterSender(*editor, false));
    const QList<const TDrawRect *> added = insertItems(*editor);
    ASSERT_EQ(added.size(), 5) << "an item found no place: " << qPrintable(boxes.last().text);
    const TLayoutDocument &doc = editor->Document();
    ASSERT_NO_FATAL_FAILURE(expectClear(doc, added, "inserted"));

    ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    expectClear(doc, added, "書式 → 詳細");

    choosePaper(*editor, "actChangePaper", Kaku);
    ASSERT_EQ(doc.FormatIndex, 11);
    expectClear(doc, added, "用紙の変更");

    const auto *word = dynamic_cast<const TWordRect *>(added.back());
    ASSERT_NE(word, nullptr);
    ASSERT_FALSE(word->IsHorizontal());
    for (size_t i = 0; i < doc.Items.size(); ++i)
        if (doc.Items[i].get() == word)
            editor->PageView()->SetSelected(int(i));
    editor->ExecDialog = [](QDialog &D) {
        press(&D, "rbHorizontal");
        press(&D, "btnOK");
        return D.result();
    };
    editor->findChild<QAction *>(QStringLiteral("actWordEdit"))->trigger();
    ASSERT_TRUE(word->IsHorizontal());
    expectClear(doc, added, "文章の編集");

    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    EXPECT_TRUE(questions().isEmpty()) << qPrintable(questions().join(u'\n'));
    const QList<QImage> pages = renderPdf(pdfFile(), kDpi);
    ASSERT_EQ(pages.size(), 1);
    // A dot of rasterising allowed each side of the 2 mm.
    const int ring = int(std::lround(kClearMm / 25.4 * kDpi)) - 1;
    for (const TDrawRect *item : added) {
        const QRect ink = MmToDots(mmOf(InkRect(*item)), kDpi).adjusted(-1, -1, 1, 1);
        EXPECT_GT(inkIn(pages[0], ink), 100) << ItemName(*item).toStdString() << " printed nothing";
        EXPECT_EQ(inkIn(pages[0], ink.adjusted(-ring, -ring, ring, ring)) - inkIn(pages[0], ink), 0)
            << "ink within 2 mm of " << ItemName(*item).toStdString() << " at " << text(mmOf(InkRect(*item)));
    }
    saveScreenshot(pages[0], QStringLiteral("inserts_after_steps"));
}

// An item the user drags over the address with the mouse: printing names
// the frame and the item and asks first; いいえ prints nothing.
TEST_F(InsertsAfterSteps, printingAsksAboutAnItemUnderTheAddress)
{
    TPrintEditor *editor = openShownEditor(2);
    ASSERT_NE(editor, nullptr);
    editor->ExecDialog = [](QDialog &D) {
        QTest::keyClicks(D.findChild<QPlainTextEdit *>(QStringLiteral("memText")), QStringLiteral("https://example.jp/"));
        D.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        return D.result();
    };
    editor->findChild<QAction *>(QStringLiteral("actInsertQRCode"))->trigger();
    const TLayoutDocument &doc = editor->Document();
    ASSERT_EQ(doc.Items.back()->GetKind(), TDrawRectKind::QRCode);
    const TDrawRect *address = nullptr;
    for (size_t i = 0; i < doc.Items.size(); ++i)
        if (doc.Items[i]->GetKind() == TDrawRectKind::RecipientAddress && doc.OnPrintedSide(i))
            address = doc.Items[i].get();
    ASSERT_NE(address, nullptr);
    drag(*editor, centreOnScreen(*doc.Items.back()), centreOnScreen(*address));
    ASSERT_TRUE(mmOf(doc.Items.back()->GetRect()).intersects(mmOf(address->GetRect()))) << "the drag missed";

    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    const QStringList asked = questions();
    ASSERT_EQ(asked.size(), 1) << qPrintable(asked.join(u'\n'));
    EXPECT_TRUE(asked[0].contains(QStringLiteral("住所とQRコード"))) << qPrintable(asked[0]);
    EXPECT_EQ(boxes.last().flags & 0xF0, unsigned(MB_ICONWARNING));
    EXPECT_FALSE(QFile::exists(pdfFile())) << "printed without a yes";
}

// 差出人情報 before any sender is registered: the user is told, and no block
// goes in to print empty on every piece.
TEST_F(InsertsAfterSteps, aSenderBlockWithoutASenderIsRefusedAloud)
{
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    const size_t before = editor->Document().Items.size();
    boxes.clear();
    editor->findChild<QAction *>(QStringLiteral("actInsertSender"))->trigger();
    EXPECT_EQ(editor->Document().Items.size(), before);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("差出人が登録されていない"))) << qPrintable(boxes.last().text);
}

// 新規作成 → 長形３号 (its data format looked at and kept), then 新規作成 →
// 通常はがき 縦書き: the postcard takes
// the digits alone into its seven boxes (and the sender's), not the
// envelope's "〒" and hyphen; on every page of the run.
TEST_F(InsertsAfterSteps, aNewPostcardAfterAnEnvelopeWritesTheDigitsIntoItsBoxes)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    ASSERT_NO_FATAL_FAILURE(typeRecord(TokyoPerson()));
    selectRows({0, 1});
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(enterSender(*editor, false));
    choosePaper(*editor, "actNew", Naga);
    ASSERT_EQ(editor->Document().FormatIndex, 2);
    // 書式 → 書式 looked at and closed with OK: the envelope's own marks.
    editor->ExecDialog = [](QDialog &D) {
        D.show();
        EXPECT_TRUE(D.findChild<QRadioButton *>(QStringLiteral("rbPosHyphen"))->isChecked());
        EXPECT_TRUE(D.findChild<QRadioButton *>(QStringLiteral("rbSendPosMark"))->isChecked());
        press(&D, "btnOK");
        return D.result();
    };
    editor->findChild<QAction *>(QStringLiteral("actDataFormat"))->trigger();
    // The envelope's layout is not saved.
    boxes.enqueue(IDNO);
    choosePaper(*editor, "actNew", Postcard);
    ASSERT_EQ(editor->Document().FormatIndex, 0);
    ASSERT_TRUE(runPrintWizard(*editor));
    // The digits stand one in each box, apart.
    const QString printed = readPdfText().remove(u' ');
    EXPECT_EQ(printed.count(QStringLiteral("1000014")), 2) << qPrintable(printed);
    EXPECT_EQ(printed.count(QStringLiteral("0600001")), 2) << qPrintable(printed);
    EXPECT_FALSE(printed.contains(QStringLiteral("100-0014"))) << qPrintable(printed);
    EXPECT_FALSE(printed.contains(QChar(u'〒'))) << qPrintable(printed);
}

// ---- A free text after the user's next step ------------------------------

// The greeting whose end a text turned through its settings printed cut at
// the card's edge.
const QString kGreeting = QStringLiteral("本年もどうぞよろしくお願い申し上げます");

class PlacedText : public InsertsAfterSteps
{
protected:
    // What the print command asked after the wizard, before it printed.
    QStringList editorQuestions() const { return shownWith(QStringLiteral("印刷してよろしいですか")); }

    // 文字 → 文字の挿入 with Text typed, then OK; the text inserted (null
    // when none was).
    const TWordRect *insertText(TPrintEditor &Editor, const QString &Text)
    {
        QList<const TDrawRect *> added;
        Editor.ExecDialog = [Text](QDialog &D) {
            typeIn(&D, "memWords", Text);
            press(&D, "btnOK");
            return D.result();
        };
        insertByCommand(Editor, "actInsertWord", added);
        return added.isEmpty() ? nullptr : dynamic_cast<const TWordRect *>(added.first());
    }

    // A double click on Item, whose 文章の表示設定 the user turns to 横書き.
    static void turnThroughSettings(TPrintEditor &Editor, const TDrawRect &Item)
    {
        bool opened = false;
        Editor.ExecDialog = [&opened](QDialog &D) {
            opened = D.objectName() == QStringLiteral("WordSettingDialog");
            press(&D, "rbHorizontal");
            press(&D, "btnOK");
            return D.result();
        };
        QTest::mouseDClick(Editor.PageView(), Qt::LeftButton, {}, centreOnScreen(Item));
        ASSERT_TRUE(opened) << "the double click opened no settings";
    }

    // The words of Text the PDF prints, each at least Edge mm inside the
    // page of Doc's piece; all of Text is printed.
    void expectPrintedInside(const TLayoutDocument &Doc, const QString &Text, double Edge)
    {
        const QRectF page = pageInPoints(Doc);
        QString printed;
        for (const TPdfWord &w : pdfWords(page)) {
            if (std::any_of(w.Text.cbegin(), w.Text.cend(), [&Text](QChar C) { return !Text.contains(C); }))
                continue;
            printed += w.Text;
            const double blank = std::min({w.Box.left(), w.Box.top(), page.width() - w.Box.right(),
                                           page.height() - w.Box.bottom()}) / kPt;
            // A little of the glyphs' side bearings allowed.
            EXPECT_GE(blank, Edge - 0.2) << qPrintable(w.Text) << " printed " << blank << " mm from the edge";
        }
        EXPECT_EQ(printed, Text);
    }

    // Editor's piece printed through the wizard, which asks nothing before
    // it prints: the PDF prints the whole greeting 5 mm inside the page.
    void expectGreetingPrintedUnasked(TPrintEditor &Editor)
    {
        boxes.clear();
        ASSERT_TRUE(runPrintWizard(Editor));
        EXPECT_TRUE(editorQuestions().isEmpty()) << qPrintable(editorQuestions().join(u'\n'));
        ASSERT_TRUE(QFile::exists(pdfFile()));
        expectPrintedInside(Editor.Document(), kGreeting, kEdgeMm);
    }
};

// 文章の表示設定 → 横書き on a free text (its double click): the text is
// placed anew as 文章の編集 places it, on the card 5 mm inside its edge and
// clear of the rest; printed whole, and nothing asked.
TEST_F(PlacedText, aTextTurnedThroughItsSettingsIsPlacedAnew)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    TPrintEditor *editor = openShownEditor(0);
    ASSERT_NE(editor, nullptr);
    const TWordRect *word = insertText(*editor, kGreeting);
    ASSERT_NE(word, nullptr);
    ASSERT_FALSE(word->IsHorizontal());
    ASSERT_NO_FATAL_FAILURE(turnThroughSettings(*editor, *word));
    ASSERT_TRUE(word->IsHorizontal());
    expectClear(editor->Document(), {word}, "文章の表示設定");

    expectGreetingPrintedUnasked(*editor);
}

// A text turned to 横書き on 長形３号, then 用紙の変更 to a postcard: the
// text stands 5 mm inside the card's edge and clear of the rest, and prints
// whole there.
TEST_F(PlacedText, aTurnedTextKeepsTheEdgeAfterAChangeOfPaper)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    TPrintEditor *editor = openShownEditor(2);
    ASSERT_NE(editor, nullptr);
    const TWordRect *word = insertText(*editor, kGreeting);
    ASSERT_NE(word, nullptr);
    ASSERT_NO_FATAL_FAILURE(turnThroughSettings(*editor, *word));
    ASSERT_TRUE(word->IsHorizontal());
    choosePaper(*editor, "actChangePaper", Postcard);
    ASSERT_EQ(editor->Document().FormatIndex, 0);
    expectClear(editor->Document(), {word}, "用紙の変更");

    expectGreetingPrintedUnasked(*editor);
}

// A text the user drags onto the card's edge with the mouse stays there;
// printing names it and asks first, and いいえ prints nothing.
TEST_F(PlacedText, printingAsksAboutATextAtTheCardsEdge)
{
    TPrintEditor *editor = openShownEditor(0);
    ASSERT_NE(editor, nullptr);
    const TWordRect *word = insertText(*editor, QStringLiteral("謹賀新年"));
    ASSERT_NE(word, nullptr);
    const TScreenRect r = word->GetDispRect();
    const QPoint start = centreOnScreen(*word);
    // Dragged into the stamp's corner, 1 mm from the card's top and left
    // edges, clear of the frames.
    const int mm = int(std::lround(1.0 / kMmPerPx * (r.Right - r.Left) / word->GetRect().width()));
    const QPoint end = start - QPoint(r.Left - mm, r.Top - mm);
    drag(*editor, start, end);
    ASSERT_LT(word->GetRect().Left * kMmPerPx, kEdgeMm) << "the drag missed";
    ASSERT_LT(word->GetRect().Top * kMmPerPx, kEdgeMm) << "the drag missed";

    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    const QStringList asked = editorQuestions();
    ASSERT_EQ(asked.size(), 1) << qPrintable(asked.join(u'\n'));
    EXPECT_TRUE(asked[0].contains(QStringLiteral("端の余白（用紙の端から 5mm）にかかっています（文字）"))) << qPrintable(asked[0]);
    EXPECT_FALSE(QFile::exists(pdfFile())) << "printed without a yes";
}

// A text the user drags to 2 mm of 長形３号's foot stays there; 用紙の変更 to
// a postcard, which is shorter, moves it onto the card up to 5 mm inside its
// edge, not to the edge itself. Printed (the user answering はい to what is
// asked about what it stands over), nothing is asked about the edge and the
// text prints whole 5 mm inside the card.
TEST_F(PlacedText, aTextMovedOntoAShorterPaperStopsAtThePrintersEdge)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    TPrintEditor *editor = openShownEditor(2);
    ASSERT_NE(editor, nullptr);
    const QString greeting = QStringLiteral("謹賀新年");
    const TWordRect *word = insertText(*editor, greeting);
    ASSERT_NE(word, nullptr);
    const TScreenRect r = word->GetDispRect();
    const double scale = double(r.Right - r.Left) / word->GetRect().width();
    const int foot = int(std::lround((editor->Document().Format.Height / 10.0 - 2.0) / kMmPerPx));
    const QPoint start = centreOnScreen(*word);
    const QPoint end = start + QPoint(0, int(std::lround((foot - word->GetRect().Bottom) * scale)));
    drag(*editor, start, end);
    ASSERT_GT(word->GetRect().Bottom * kMmPerPx, editor->Document().Format.Height / 10.0 - kEdgeMm) << "the drag missed";

    choosePaper(*editor, "actChangePaper", Postcard);
    const TLayoutDocument &doc = editor->Document();
    ASSERT_EQ(doc.FormatIndex, 0);
    const QRectF moved = mmOf(word->GetRect());
    EXPECT_GE(doc.Format.Height / 10.0 - moved.bottom(), kEdgeMm - kMmPerPx / 2) << text(moved);
    EXPECT_GE(std::min(moved.left(), moved.top()), kEdgeMm - kMmPerPx / 2) << text(moved);

    boxes.clear();
    for (int i = 0; i < 4; ++i)
        boxes.enqueue(IDYES);
    ASSERT_TRUE(runPrintWizard(*editor));
    for (const QString &asked : editorQuestions())
        EXPECT_FALSE(asked.contains(QStringLiteral("端の余白"))) << qPrintable(asked);
    ASSERT_TRUE(QFile::exists(pdfFile()));
    expectPrintedInside(doc, greeting, kEdgeMm);
}

// Items inserted while 会社名, 部署 and 役職 are unticked in 書式 → 詳細 (the
// detailed frames of 角形２号) land where those frames stand; ticked again,
// the frames take their place back and the items go elsewhere, as after the
// other steps. A company's record then prints its company lines with no
// inserted item over them, and nothing is asked.
TEST_F(PlacedText, itemsInsertedUnderHiddenFramesMakeWayWhenTheFramesComeBack)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    TTypedRecord company = LongCompanyPerson();
    ASSERT_NO_FATAL_FAILURE(typeRecord(company));
    selectRows({1});
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 11);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(enterSender(*editor, false));
    ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    auto toggleCompanyLines = [editor] {
        editor->ExecDialog = [](QDialog &Dialog) {
            Dialog.show();
            for (const char *box : {"ckbCorp", "ckbDptmnt", "ckbPost"})
                press(&Dialog, box);
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        editor->findChild<QAction *>(QStringLiteral("actLayoutDetail"))->trigger();
    };
    const TLayoutDocument &doc = editor->Document();
    QList<const TDrawRect *> companyFrames;
    for (size_t i = 0; i < doc.Items.size(); ++i)
        if (const auto *c = dynamic_cast<const TCorpRect *>(doc.Items[i].get());
            c && !c->IsSender() && doc.OnPrintedSide(i))
            companyFrames << doc.Items[i].get();
    ASSERT_FALSE(companyFrames.isEmpty());
    toggleCompanyLines();
    auto shown = [](const TDrawRect *F) { return F->IsVisible(); };
    ASSERT_TRUE(std::none_of(companyFrames.cbegin(), companyFrames.cend(), shown));
    const QList<const TDrawRect *> added = insertItems(*editor);
    ASSERT_EQ(added.size(), 5);
    // Where the company lines would print, something was put.
    const bool under = std::any_of(added.cbegin(), added.cend(), [&](const TDrawRect *Item) {
        return std::any_of(companyFrames.cbegin(), companyFrames.cend(), [Item](const TDrawRect *F) {
            return mmOf(InkRect(*Item)).intersects(mmOf(F->GetRect()));
        });
    });
    ASSERT_TRUE(under) << "no item went where the hidden frames stand";
    toggleCompanyLines();
    ASSERT_TRUE(std::all_of(companyFrames.cbegin(), companyFrames.cend(), shown));
    expectClear(doc, added, "詳細");

    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    EXPECT_TRUE(questions().isEmpty()) << qPrintable(questions().join(u'\n'));
    ASSERT_TRUE(QFile::exists(pdfFile()));
    // The words printed in the company's frames: every character of its
    // lines, none under an inserted item.
    QString printed;
    for (const TPdfWord &w : pdfWords(pageInPoints(doc))) {
        const QRectF mm(w.Box.topLeft() / kPt, w.Box.bottomRight() / kPt);
        if (std::none_of(companyFrames.cbegin(), companyFrames.cend(),
                         [&mm](const TDrawRect *F) { return mmOf(F->GetRect()).contains(mm.center()); }))
            continue;
        printed += w.Text;
        for (const TDrawRect *item : added)
            EXPECT_FALSE(mmOf(InkRect(*item)).intersects(mm))
                << qPrintable(w.Text) << " under " << ItemName(*item).toStdString();
    }
    QString wanted = company.Corp + company.Dptmnt + company.Post;
    wanted.remove(QChar(0x3000));
    for (const QChar c : wanted)
        EXPECT_GE(printed.count(c), wanted.count(c))
            << qPrintable(QString(c)) << " missing from " << qPrintable(printed);
}

// A free text of size 自動 whose line is long for its box prints its
// characters under 1.8 mm: the wizard names it before it prints, and the
// PDF shows the size it named.
TEST_F(PlacedText, aFreeTextPrintedSmallIsNamedBeforePrinting)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    const QString line = kGreeting.repeated(4);
    ASSERT_NE(insertText(*editor, line), nullptr);

    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    const QString named = QStringLiteral("挿入した文字が 1.8mm より小さい文字で印刷されます（1 枚）");
    ASSERT_GE(boxes.count(), 1);
    EXPECT_TRUE(boxes.shown().first().text.contains(named)) << qPrintable(boxes.shown().first().text);
    // The user goes on: the characters print as small as the wizard said.
    ASSERT_TRUE(QFile::exists(pdfFile()));
    double tallest = 0;
    for (const TPdfWord &w : pdfWords(pageInPoints(editor->Document())))
        if (kGreeting.contains(w.Text.left(1)))
            tallest = std::max(tallest, std::min(w.Box.width(), w.Box.height()) / kPt);
    EXPECT_GT(tallest, 0.0) << "the text printed nothing";
    EXPECT_LT(tallest, 1.8);
}

// The same text on a card's design side, printed through its own print
// dialog (which goes through no records): asked before anything prints,
// with what the PDF then shows; a text of a readable size asks nothing.
TEST_F(PlacedText, aFreeTextPrintedSmallOnADesignIsNamedBeforePrinting)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    TPrintEditor *editor = openEditor("actDesignPrint", TPrintEditorKind::Design, 0);
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(insertText(*editor, kGreeting), nullptr);
    constexpr double kPt = 72.0 / 25.4;
    const TLayoutDocument &doc = editor->Document();
    // 印刷 with the design's print dialog answered 印刷, and every question
    // after it はい; what it asked about the sizes, and the smallest
    // character the PDF shows.
    auto print = [&](QString &Asked) {
        QFile::remove(pdfFile());
        boxes.clear();
        editor->ExecDialog = [](QDialog &Dialog) {
            EXPECT_NE(dynamic_cast<TDesignPrintDialog *>(&Dialog), nullptr);
            press(&Dialog, "btnPrint");
            return Dialog.result();
        };
        for (int i = 0; i < 4; ++i)
            boxes.enqueue(IDYES);
        editor->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
        for (const TMessageBoxRequest &box : boxes.shown())
            if (box.text.contains(QStringLiteral("1.8mm")))
                Asked += box.text;
        double smallest = std::numeric_limits<double>::max();
        for (const TPdfWord &w : pdfWords(QRectF(0, 0, doc.Format.Width / 10.0 * kPt, doc.Format.Height / 10.0 * kPt)))
            smallest = std::min(smallest, std::min(w.Box.width(), w.Box.height()) / kPt);
        return smallest;
    };
    QString asked;
    const double readable = print(asked);
    ASSERT_LT(readable, 100.0) << "nothing printed";
    ASSERT_GE(readable, LeastTextMm - 0.05) << "the greeting printed small by itself";
    EXPECT_TRUE(asked.isEmpty()) << qPrintable(asked);

    // A second text, long for the box it is given: its characters shrink.
    ASSERT_NE(insertText(*editor, QStringLiteral("謹んで新春のお慶びを申し上げます").repeated(4)), nullptr);
    asked.clear();
    const double small = print(asked);
    ASSERT_LT(small, LeastTextMm - 0.05);
    EXPECT_TRUE(asked.contains(QStringLiteral("挿入した文字が 1.8mm より小さい文字で印刷されます（1 枚）")))
        << "smallest " << small << " mm; asked: " << qPrintable(asked);
}

// ---- A postcard of the user's own height ------------------------------------

class OwnPostcardHeight : public InsertsAfterSteps, public ::testing::WithParamInterface<int>
{
protected:
    // ファイル → 用紙の変更: a postcard of the user's own, registered from
    // the one shown with the height typed (mm), and chosen.
    static void chooseOwnHeight(TPrintEditor &Editor, int Height)
    {
        Editor.ExecDialog = [Height](QDialog &Dialog) {
            auto *papers = dynamic_cast<TNewLayoutDialog *>(&Dialog);
            EXPECT_NE(papers, nullptr);
            if (!papers)
                return int(QDialog::Rejected);
            papers->ExecCustomFormat = [Height](TCustomLayoutFormatDialog &Custom) {
                Custom.show();
                typeIn(&Custom, "edName", QStringLiteral("特注はがき"));
                auto *height = Custom.findChild<QLineEdit *>(QStringLiteral("edPaperHeight"));
                EXPECT_NE(height, nullptr);
                if (height) {
                    height->setText(QString::number(Height));
                    emit height->editingFinished();
                }
                press(&Custom, "btnOK");
                return Custom.result();
            };
            Dialog.show();
            press(&Dialog, "bbtnPstAdd");
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QStringLiteral("actChangePaper"))->trigger();
    }
};

// The bars keep their size on a shorter card while its frames shrink: the
// sender's postcode, the name and the address keep 2 mm of blank round the
// printed bars, or printing asks before it prints.
TEST_P(OwnPostcardHeight, printedBarsKeepTwoMillimetresOrPrintingAsks)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(enterSender(*editor, false));
    ASSERT_NO_FATAL_FAILURE(chooseOwnHeight(*editor, GetParam()));
    ASSERT_EQ(editor->Document().Format.Height, GetParam() * 10);
    boxes.clear();
    // Asked, the user goes on, and the run is measured all the same.
    boxes.enqueue(IDYES);
    ASSERT_TRUE(runPrintWizard(*editor));
    const QList<QImage> pages = renderPdf(pdfFile(), kDpi);
    ASSERT_EQ(pages.size(), 1);
    const TDrawRect *bars = nullptr;
    for (const auto &item : editor->Document().Items)
        if (item->GetKind() == TDrawRectKind::Barcode && item->IsVisible())
            bars = item.get();
    ASSERT_NE(bars, nullptr);
    const QRect ink = InkAround(pages[0], ItemMm(*bars), kDpi);
    ASSERT_FALSE(ink.isEmpty()) << "no bars printed";
    EXPECT_EQ(barsInImage(pages[0], ink).size(), 67);
    // The nearest other ink, in whole dots of blank.
    int blank = 0;
    const int reach = int(std::lround(3.0 / 25.4 * kDpi));
    for (int d = 1; d <= reach && blank == 0; ++d)
        if (inkIn(pages[0], ink.adjusted(-d, -d, d, d)) > inkIn(pages[0], ink))
            blank = d - 1;
    const double blankMm = (blank == 0 ? reach : blank) * 25.4 / kDpi;
    const bool asked = std::any_of(boxes.shown().cbegin(), boxes.shown().cend(), [](const TMessageBoxRequest &B) {
        return B.text.contains(QStringLiteral("バーコードか、その周り2mm"));
    });
    // Where the paper leaves room the frames make way, and nothing is asked.
    EXPECT_GE(blankMm, kClearMm - 25.4 / kDpi) << (asked ? "asked" : "without a word");
    EXPECT_FALSE(asked);
}

INSTANTIATE_TEST_SUITE_P(Heights, OwnPostcardHeight, ::testing::Values(120, 100, 90),
                         [](const auto &Info) { return "height" + std::to_string(Info.param) + "mm"; });

} // namespace
