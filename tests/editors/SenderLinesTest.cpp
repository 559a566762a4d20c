#include "EditorsFixture.h"
#include "FakeHost.h"
#include "editors/LabelForm.h"
#include "editors/PrintLoop.h"
#include "items/AdditionRect.h"
#include "platform/Cp932.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>

namespace {

// A sender with three contact lines (telephone, mail, web) and a fourth left
// empty; no line is marked for the sender block's printing.
TSenderData contactSender()
{
    TSenderData s;
    s.RecNo = 7;
    s.Name = QStringLiteral("差出 太郎");
    s.Head = {QStringLiteral("TEL"), QStringLiteral("E-Mail"), QStringLiteral("URL"), QString()};
    s.Addition = {QStringLiteral("0312345678"), QStringLiteral("taro@example.jp"), QStringLiteral("https://example.jp/"),
                  QString()};
    return s;
}

std::vector<TAdditionRect *> additionLines(TLayoutDocument &Document)
{
    std::vector<TAdditionRect *> lines;
    for (auto &item : Document.Items)
        if (auto *a = dynamic_cast<TAdditionRect *>(item.get()))
            lines.push_back(a);
    return lines;
}

// A card (the label editor printing the sender) whose four additional lines
// were set to the sender's contact lines 1 to 4 in the dialog.
class SenderContactLines : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TAddressText sender;
        sender.NameKanji = QStringLiteral("差出 太郎");
        host.Sender = sender;
        host.Contacts = contactSender();
        TLabelGrid grid;
        form.SetLayout(24, catalogueFormat(24, &grid), grid);
        form.SetCardMode(true);
        form.ExecDialog = [](QDialog &D) {
            for (int i = 1; i <= 4; ++i) {
                D.findChild<QCheckBox *>(QStringLiteral("ckbAddition%1").arg(i))->setChecked(true);
                auto *combo = D.findChild<QComboBox *>(QStringLiteral("cbxAddition%1").arg(i));
                combo->setCurrentIndex(combo->findText(QStringLiteral("連絡先") + QChar(u'０' + i)));
            }
            return int(QDialog::Accepted);
        };
        form.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
        lines = additionLines(form.Document());
    }

    // The ink a run of one card leaves in the line's box.
    int printedInk(const TAdditionRect &Line)
    {
        TLayoutDocument &d = form.Document();
        TPrintLoop loop(d, [this](qint32) { return host.Sender; });
        QList<QImage> pages;
        QString error;
        EXPECT_TRUE(loop.RunToImages({kDpi, kDpi}, {0}, {}, pages, &error)) << qPrintable(error);
        if (pages.isEmpty())
            return -1;
        const QRect cell = d.CellRect(0);
        const TPageRect r = Line.GetRect();
        auto dots = [](qint32 Px) { return PageToDots(TPagePx(Px), kDpi); };
        const QPoint origin(TenthMmToDots(TTenthMm(cell.left()), kDpi), TenthMmToDots(TTenthMm(cell.top()), kDpi));
        return inkIn(pages.first(),
                     QRect(origin + QPoint(dots(r.Left), dots(r.Top)), origin + QPoint(dots(r.Right), dots(r.Bottom))));
    }

    static constexpr int kDpi = 150;
    SampleBook book;
    FakeHost host{book.table};
    TLabelForm form{nullptr, host};
    std::vector<TAdditionRect *> lines;
};

TEST_F(SenderContactLines, mergeTheSendersContactLinesAsTheSenderBlockWritesThem)
{
    ASSERT_EQ(lines.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lines[size_t(i)]->GetAddKind(), 19 + i);
    // The telephone goes full-width (hyphenated where the area codes are
    // known); mail and web addresses stay half-width as typed.
    EXPECT_EQ(lines[0]->GetCaption(), QStringLiteral("ＴＥＬ"));
    EXPECT_EQ(QString(lines[0]->GetContent()).remove(QChar(u'－')), QStringLiteral("０３１２３４５６７８"));
    EXPECT_EQ(lines[1]->GetCaption(), QStringLiteral("E-Mail"));
    EXPECT_EQ(lines[1]->GetContent(), QStringLiteral("taro@example.jp"));
    EXPECT_EQ(lines[2]->GetCaption(), QStringLiteral("URL"));
    EXPECT_EQ(lines[2]->GetContent(), QStringLiteral("https://example.jp/"));
    EXPECT_TRUE(lines[3]->GetCaption().isEmpty());
    EXPECT_TRUE(lines[3]->GetContent().isEmpty());
}

TEST_F(SenderContactLines, printTheSendersValuesOnTheCard)
{
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_GT(printedInk(*lines[0]), 20);
    EXPECT_GT(printedInk(*lines[1]), 20);
    EXPECT_EQ(printedInk(*lines[3]), 0);
}

TEST_F(SenderContactLines, senderWithoutContactLinesPrintsEmptyLinesNotTheLastSenders)
{
    ASSERT_EQ(lines.size(), 4u);
    ASSERT_FALSE(lines[0]->GetContent().isEmpty());
    TSenderData other;
    other.RecNo = 8;
    other.Name = QStringLiteral("別の 差出人");
    host.Contacts = other;
    // The run merges the sender again: the lines take the new sender's
    // (empty) contact lines.
    EXPECT_EQ(printedInk(*lines[0]), 0);
    EXPECT_EQ(printedInk(*lines[1]), 0);
    for (TAdditionRect *line : lines) {
        EXPECT_TRUE(line->GetCaption().isEmpty());
        EXPECT_TRUE(line->GetContent().isEmpty());
    }
}

TEST_F(SenderContactLines, noSenderRecordLeavesTheLinesEmpty)
{
    host.Contacts.reset();
    form.MergeCurrentRecord();
    for (TAdditionRect *line : lines)
        EXPECT_TRUE(line->GetContent().isEmpty());
}

// The merge itself: a layout whose printed sender cannot be read, or has
// none set, never keeps the contact lines merged before.
TEST(SenderContactMerge, unsetPrintedSenderEmptiesLinesMergedBefore)
{
    TLayoutDocument layout;
    loadLayout(layout, 24, TLayoutKind::Card);
    auto line = std::make_unique<TAdditionRect>();
    line->SetAddKind(19);
    TAdditionRect *added = line.get();
    layout.Items.push_back(std::move(line));
    layout.ItemRoles.push_back(-1);
    layout.PrintedSender = [] { return std::optional<TSenderData>(contactSender()); };
    MergeRecord(layout, nullptr, nullptr);
    ASSERT_FALSE(added->GetContent().isEmpty());
    layout.PrintedSender = nullptr;
    MergeRecord(layout, nullptr, nullptr);
    EXPECT_TRUE(added->GetCaption().isEmpty());
    EXPECT_TRUE(added->GetContent().isEmpty());
}

} // namespace
