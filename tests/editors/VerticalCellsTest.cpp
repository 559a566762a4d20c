// A character outside the BMP (𠮷, a surrogate pair) takes one cell like
// any other: a name holding it prints its characters where the same name
// with 吉 prints them. Names entered as the record form stores them (or a
// sender's, or a free text typed in), printed through the wizard to a PDF,
// and the characters' places along the line measured.
#include "PrintedInk.h"
#include "editors/DesignForm.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"
#include "items/SenderRect.h"
#include "items/WordRect.h"
#include "support/RowName.h"

#include <QCheckBox>

namespace {

enum class TWhere { PostcardName, PostcardJoint, LabelName, CardName, SenderBlock, FreeText };

struct CellCase {
    const char *name;
    TWhere where;
};

class VerticalCells : public PrintedInkFixture, public ::testing::TestWithParam<CellCase>
{
protected:
    static constexpr int kRender = 300;

    // The characters' places along the vertical line of the one item shown
    // when the layout prints Text: (top, bottom) of each, in mm.
    QList<std::pair<double, double>> printed(const QString &Text)
    {
        std::unique_ptr<TPrintEditor> editor;
        qint32 rec = 1;
        int paper = 0;
        switch (GetParam().where) {
        case TWhere::PostcardName:
            rec = AddRecord(Text, QStringLiteral("千代田区永田町"));
            editor = std::make_unique<TLayoutForm>(nullptr, host);
            break;
        case TWhere::PostcardJoint:
            rec = AddRecord(QStringLiteral("山田 一"), QStringLiteral("千代田区永田町"), {}, {Text});
            editor = std::make_unique<TLayoutForm>(nullptr, host);
            break;
        case TWhere::LabelName:
            rec = AddRecord(Text, QStringLiteral("千代田区永田町"));
            editor = std::make_unique<TLabelForm>(nullptr, host);
            paper = 17;
            break;
        case TWhere::CardName: {
            rec = AddRecord(Text, QStringLiteral("千代田区永田町"));
            auto card = std::make_unique<TLabelForm>(nullptr, host);
            card->SetCardMode(true);
            editor = std::move(card);
            host.Sender = host.ReadRecord(rec);
            paper = 26;
            break;
        }
        case TWhere::SenderBlock:
        case TWhere::FreeText:
            editor = std::make_unique<TDesignForm>(nullptr, host);
            break;
        }
        TLabelGrid grid;
        editor->SetLayout(paper, catalogueFormat(paper, &grid), grid);
        TLayoutDocument &d = editor->Document();
        for (auto &item : d.Items)
            item->SetVisible(false);
        TDrawRect *shown = nullptr;
        if (GetParam().where == TWhere::SenderBlock) {
            d.FindSender = [Text](const QString &) {
                TSenderData data;
                data.Name = Text;
                return std::optional<TSenderData>(data);
            };
            auto block = std::make_unique<TSenderRect>();
            block->SetRect({150, 40, 230, 500});
            block->SetHorizontal(false);
            // As the insert menu makes it: its parts laid out in the block.
            block->ResetChildRect(-1);
            shown = block.get();
            (void)editor->InsertItem(std::move(block));
        } else if (GetParam().where == TWhere::FreeText) {
            auto word = std::make_unique<TWordRect>();
            word->SetRect({150, 40, 230, 500});
            word->SetHorizontal(false);
            word->SetLineCount(1);
            word->SetLine(0, Text);
            shown = word.get();
            (void)editor->InsertItem(std::move(word));
        } else {
            // The name's frame (the joint names stand beside the name in it).
            for (auto &item : d.Items)
                if (item->GetKind() == TDrawRectKind::RecipientName)
                    shown = item.get();
        }
        EXPECT_NE(shown, nullptr);
        if (!shown)
            return {};
        shown->SetVisible(true);
        EXPECT_FALSE(d.HorizontalWriting() && GetParam().where != TWhere::SenderBlock &&
                     GetParam().where != TWhere::FreeText);
        const QImage page = PrintThroughWizard(*editor, rec, 300, kRender);
        EXPECT_FALSE(page.isNull());
        const QRect cell = d.CellRect(0);
        // A sender block's name stands in its name part.
        const TDrawRect &measured = GetParam().where == TWhere::SenderBlock
                                        ? static_cast<const TDrawRect &>(static_cast<TSenderRect *>(shown)->NameRect())
                                        : *shown;
        QRectF area = ItemMm(measured).translated(cell.left() / 10.0, cell.top() / 10.0);
        if (GetParam().where == TWhere::PostcardJoint) {
            // The joint name's column: the leftmost of the frame's lines.
            const auto columns = InkRuns(page, kRender, MmToDots(area, kRender), false);
            EXPECT_EQ(columns.size(), 2);
            if (columns.isEmpty())
                return {};
            area.setLeft(columns.first().first);
            area.setRight(columns.first().second);
        }
        return InkRuns(page, kRender, MmToDots(area, kRender), true);
    }
};

TEST_P(VerticalCells, aCharacterOutsideTheBmpTakesOneCell)
{
    const auto wide = printed(QStringLiteral("髙橋 𠮷郎"));
    const auto plain = printed(QStringLiteral("髙橋 吉郎"));
    ASSERT_FALSE(plain.isEmpty());
    ASSERT_EQ(wide.size(), plain.size()) << "characters printed";
    // Where a cell follows 𠮷, everything after it moves on by a cell.
    for (qsizetype i = 0; i < plain.size(); ++i)
        EXPECT_NEAR(wide[i].first, plain[i].first, 0.6) << "character " << i;
}

INSTANTIATE_TEST_SUITE_P(Vertical, VerticalCells,
                         ::testing::Values(CellCase{"postcardName", TWhere::PostcardName},
                                           CellCase{"postcardJointName", TWhere::PostcardJoint},
                                           CellCase{"labelName", TWhere::LabelName},
                                           CellCase{"cardName", TWhere::CardName},
                                           CellCase{"senderBlockName", TWhere::SenderBlock},
                                           CellCase{"freeText", TWhere::FreeText}),
                         rowName);

} // namespace
