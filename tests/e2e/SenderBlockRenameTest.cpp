// A sender block on 長形３号 after the user changes the senders in
// 差出人の編集: the sender renamed (名称 差出人1 → 自宅, 選択), and the sender
// deleted. The block names its sender by title, as the layout file keeps it;
// renamed, the block follows it and prints it; deleted, printing asks before
// it prints the block empty. Each run printed through the print wizard to a
// PDF file and read back.
#include "UserRoad.h"
#include "editors/ItemPlace.h"
#include "items/MetaRect.h"
#include "items/SenderRect.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <limits>

namespace {

class SenderBlockRename : public PdfRoadFixture
{
protected:
    void SetUp() override
    {
        PdfRoadFixture::SetUp();
        if (stopped())
            return;
        ASSERT_NO_FATAL_FAILURE(typeRecord(TokyoPerson()));
        selectRows({0});
        editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 2);
        ASSERT_NE(editor, nullptr);
        // 佐藤 一郎, typed into the first sender (差出人1) and chosen.
        ASSERT_NO_FATAL_FAILURE(enterSender(*editor, false));
    }

    // 挿入 → 差出人情報: the block inserted.
    const TSenderRect *insertBlock()
    {
        const size_t before = editor->Document().Items.size();
        editor->findChild<QAction *>(QStringLiteral("actInsertSender"))->trigger();
        if (editor->Document().Items.size() != before + 1)
            return nullptr;
        return dynamic_cast<const TSenderRect *>(editor->Document().Items.back().get());
    }

    // 差出人の編集, where Edit does what the user does before 選択.
    void inSenderWindow(const std::function<void(QDialog &)> &Edit)
    {
        editor->ExecDialog = [Edit](QDialog &Dialog) {
            Dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
            Edit(Dialog);
            press(&Dialog, "btnChoice");
            return Dialog.result();
        };
        editor->findChild<QAction *>(QStringLiteral("actSender"))->trigger();
    }

    // The shown sender's 名称 replaced by Title, typed.
    static void retitle(QDialog &Dialog, const QString &Title)
    {
        auto *title = Dialog.findChild<QLineEdit *>(QStringLiteral("edTitle"));
        ASSERT_NE(title, nullptr);
        title->setFocus();
        QTest::keyClick(title, Qt::Key_A, Qt::ControlModifier);
        typeIn(&Dialog, "edTitle", Title);
    }

    // What the PDF prints inside Block, blanks left out.
    QString printedIn(const TSenderRect &Block) const
    {
        const TPageRect r = InkRect(Block);
        constexpr double kPt = 72.0 / 96.0;
        const QRectF area(QPointF(r.Left * kPt, r.Top * kPt), QPointF(r.Right * kPt, r.Bottom * kPt));
        const TLayoutFormat &paper = editor->Document().Format;
        QString text;
        for (const TPdfWord &w : pdfWords(QRectF(0, 0, paper.Width * 72.0 / 254, paper.Height * 72.0 / 254)))
            if (area.contains(w.Box.center()))
                text += w.Text;
        return text;
    }

    // The print command run to the PDF file (an earlier one removed); the
    // questions about the block's sender it asked.
    QStringList printAsking()
    {
        QFile::remove(pdfFile());
        boxes.clear();
        EXPECT_TRUE(runPrintWizard(*editor));
        QStringList asked;
        for (const TMessageBoxRequest &box : boxes.shown())
            if (box.text.contains(QStringLiteral("差出人情報の差出人")))
                asked << box.text;
        return asked;
    }

    TPrintEditor *editor = nullptr;
};

TEST_F(SenderBlockRename, aBlockFollowsItsSenderThroughARename)
{
    if (stopped())
        return;
    const TSenderRect *block = insertBlock();
    ASSERT_NE(block, nullptr) << qPrintable(boxes.count() ? boxes.last().text : QString());
    ASSERT_EQ(block->GetSenderTitle(), QStringLiteral("差出人1"));
    EXPECT_TRUE(printAsking().isEmpty());
    EXPECT_TRUE(printedIn(*block).contains(QStringLiteral("佐藤一郎"))) << qPrintable(printedIn(*block));

    ASSERT_NO_FATAL_FAILURE(inSenderWindow([](QDialog &D) { retitle(D, QStringLiteral("自宅")); }));
    EXPECT_EQ(block->GetSenderTitle(), QStringLiteral("自宅"));
    const QStringList asked = printAsking();
    EXPECT_TRUE(asked.isEmpty()) << qPrintable(asked.join(u'\n'));
    ASSERT_TRUE(QFile::exists(pdfFile()));
    const QString printed = printedIn(*block);
    EXPECT_TRUE(printed.contains(QStringLiteral("佐藤一郎"))) << qPrintable(printed);
    EXPECT_TRUE(printed.contains(QStringLiteral("札幌市中央区"))) << qPrintable(printed);
    // The step is the layout's own: undone, the block names the old title.
    editor->findChild<QAction *>(QStringLiteral("actUndo"))->trigger();
    EXPECT_EQ(dynamic_cast<const TSenderRect &>(*editor->Document().Items.back()).GetSenderTitle(),
              QStringLiteral("差出人1"));
}

TEST_F(SenderBlockRename, aBlockWhoseSenderIsDeletedAsksBeforePrinting)
{
    if (stopped())
        return;
    // A second sender, 差出人2, made and chosen; the block names it.
    ASSERT_NO_FATAL_FAILURE(inSenderWindow([](QDialog &D) {
        press(&D, "bbtnNew");
        typeIn(&D, "edName", QStringLiteral("鈴木 次郎"));
    }));
    const TSenderRect *block = insertBlock();
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(block->GetSenderTitle(), QStringLiteral("差出人2"));
    // Deleted in the sender window (its question answered はい), 差出人1
    // chosen in its place.
    boxes.enqueue(IDYES);
    ASSERT_NO_FATAL_FAILURE(inSenderWindow([](QDialog &D) { press(&D, "bbtnDelete"); }));

    // Asked, the user stops: nothing is printed.
    QStringList asked = printAsking();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("「差出人2」"))) << qPrintable(asked[0]);
    EXPECT_EQ(boxes.last().flags & 0xF0, unsigned(MB_ICONWARNING));
    EXPECT_FALSE(QFile::exists(pdfFile())) << "printed without a yes";

    // Asked again, the user goes on: the piece prints, the block empty.
    boxes.enqueue(IDYES);
    boxes.enqueue(IDYES);
    asked = printAsking();
    EXPECT_EQ(asked.size(), 1);
    ASSERT_TRUE(QFile::exists(pdfFile()));
    EXPECT_TRUE(readPdfText().simplified().remove(u' ').contains(QStringLiteral("山田太郎")))
        << "the addressee did not print";
    EXPECT_TRUE(printedIn(*block).isEmpty()) << qPrintable(printedIn(*block));
}

// 挿入 → 差出人情報 of a company sender on a postcard written across: the
// block fits its lines into the room the card leaves, and prints some of
// them under 1.8 mm (its address at about 0.7 mm). Each text printed that
// small is named by the wizard before it prints, as a free text is, and
// none is named that prints at 1.8 mm or larger.
TEST_F(SenderBlockRename, aBlockPrintedSmallIsNamedBeforePrinting)
{
    if (stopped())
        return;
    editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 1);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(enterSender(*editor, true));
    const TSenderRect *block = insertBlock();
    ASSERT_NE(block, nullptr) << qPrintable(boxes.count() ? boxes.last().text : QString());
    boxes.clear();
    ASSERT_TRUE(runPrintWizard(*editor));
    QString told;
    for (const TMessageBoxRequest &box : boxes.shown())
        told += box.text;
    // The smallest text the block printed, as the PDF's reader measures it.
    const TPageRect r = InkRect(*block);
    constexpr double kPt = 72.0 / 96.0, kMm = 72.0 / 25.4;
    const QRectF area(QPointF(r.Left * kPt, r.Top * kPt), QPointF(r.Right * kPt, r.Bottom * kPt));
    double smallest = std::numeric_limits<double>::max();
    QString printed;
    for (const TPdfWord &w : pdfWords(QRectF(0, 0, 100 * kMm, 148 * kMm)))
        if (area.contains(w.Box.center())) {
            printed += w.Text;
            smallest = std::min(smallest, std::min(w.Box.width(), w.Box.height()) / kMm);
        }
    ASSERT_TRUE(printed.contains(QStringLiteral("株式会社ピクス"))) << qPrintable(printed);
    const bool named = told.contains(QStringLiteral("差出人情報が 1.8mm より小さい文字で印刷されます（1 枚）"));
    EXPECT_EQ(named, smallest < LeastTextMm - 0.05)
        << "smallest " << smallest << " mm in the block; the wizard said: " << qPrintable(told);
}

} // namespace
