// Sender blocks in several editors open at once, after the user changes the
// senders in 差出人の編集 from one of them: the envelope editor (長形３号)
// and the postcard's design editor, each with a block inserted for the
// sender 自宅. Each block is read as the editor shows it: the text its items
// draw.
#include "EditorsFixture.h"
#include "FakeHost.h"
#include "SenderBook.h"
#include "dialogs/SenderData.h"
#include "editors/DesignForm.h"
#include "editors/LayoutForm.h"
#include "items/SenderRect.h"
#include "platform/IniFile.h"
#include "support/KeyInput.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <functional>

namespace {

// What Block's shown items draw, blanks and width forms evened out.
QString shownText(const TSenderRect &Block)
{
    QString text;
    for (const TMetaRect *item : Block.ShownItems())
        for (const TTextOp *op : item->GetMetafile().TextOps())
            text += op->Text;
    text = text.normalized(QString::NormalizationForm_KC);
    text.remove(u' ');
    return text;
}

std::vector<TSenderRect *> blocksOf(TPrintEditor &Editor)
{
    std::vector<TSenderRect *> blocks;
    for (const auto &item : Editor.Document().Items)
        if (auto *block = dynamic_cast<TSenderRect *>(item.get()))
            blocks.push_back(block);
    return blocks;
}

// Types Text into the window's edit Name over what it holds, one key a
// character, then leaves the edit.
void retype(QDialog &Dialog, const char *Name, const QString &Text)
{
    auto *edit = Dialog.findChild<QLineEdit *>(QLatin1String(Name));
    ASSERT_NE(edit, nullptr) << Name;
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    TypeCharacters(edit, Text);
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(edit, &out);
}

void click(QDialog &Dialog, const char *Name)
{
    auto *button = Dialog.findChild<QAbstractButton *>(QLatin1String(Name));
    ASSERT_NE(button, nullptr) << Name;
    QTest::mouseClick(button, Qt::LeftButton);
}

// 差出人の編集 opened from Editor's menu; Edit is what the user does in it
// before 選択.
void inSenderWindow(TPrintEditor &Editor, const std::function<void(QDialog &)> &Edit)
{
    Editor.ExecDialog = [Edit](QDialog &Dialog) {
        Dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
        Edit(Dialog);
        click(Dialog, "btnChoice");
        return Dialog.result();
    };
    Editor.findChild<QAction *>(QStringLiteral("actSender"))->trigger();
}

class SenderBlocks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A second 自宅, as a sender table kept from before titles had to
        // differ holds: the blocks of 自宅 show the first of them.
        TSenderData other;
        other.Title = QStringLiteral("自宅");
        other.Name = QStringLiteral("別人 次郎");
        other.SelectInfo = 1;
        other.Pos = QStringLiteral("5300001");
        other.Tdfkn = QStringLiteral("大阪府");
        other.Adrs1 = QStringLiteral("大阪市北区梅田");
        ASSERT_TRUE(DMMurven19->OpenSender());
        SenderBook::add(7, other);
        DMMurven19->CloseSender();

        TLabelGrid grid;
        envelope.SetLayout(2, catalogueFormat(2, &grid), grid);
        design.SetLayout(0, catalogueFormat(0, &grid), grid);
        for (TPrintEditor *editor : editors()) {
            editor->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
            const size_t before = blocksOf(*editor).size();
            editor->findChild<QAction *>(QStringLiteral("actInsertSender"))->trigger();
            ASSERT_EQ(blocksOf(*editor).size(), before + 1)
                << qPrintable(editor->objectName() + (boxes.count() ? boxes.last().text : QString()));
            ASSERT_EQ(blocksOf(*editor).back()->GetSenderTitle(), QStringLiteral("自宅"));
            ASSERT_TRUE(shownText(*blocksOf(*editor).back()).contains(QStringLiteral("差出太郎")));
        }
    }

    std::array<TPrintEditor *, 2> editors() { return {&envelope, &design}; }

    ScriptedMessageBoxes boxes;
    SenderBook senders;
    SampleBook book;
    FakeHost envelopeHost{book.table}, designHost{book.table};
    TLayoutForm envelope{nullptr, envelopeHost};
    TDesignForm design{nullptr, designHost};
};

// The sender changed from one editor's 差出人の編集: its title, its name or
// both. The block of the editor left open beside it shows the sender as it
// is now, at once and after it merges again (another record shown), and
// names the sender by the title it has now.
struct ChangeCase {
    const char *name;
    bool fromDesign;   // the design editor opens the window, else the envelope editor
    const char16_t *title; // typed over 自宅, or nothing
    const char16_t *person; // typed over 差出 太郎, or nothing
};

class SenderChangedElsewhere : public SenderBlocks, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SenderChangedElsewhere, showsInTheOtherOpenEditorsBlock)
{
    const ChangeCase &c = GetParam();
    TPrintEditor &from = c.fromDesign ? static_cast<TPrintEditor &>(design) : envelope;
    TPrintEditor &other = c.fromDesign ? static_cast<TPrintEditor &>(envelope) : design;
    FakeHost &otherHost = c.fromDesign ? envelopeHost : designHost;
    const QString title = c.title ? QString::fromUtf16(c.title) : QStringLiteral("自宅");
    const QString person = c.person ? QString::fromUtf16(c.person) : QStringLiteral("差出 太郎");
    ASSERT_NO_FATAL_FAILURE(inSenderWindow(from, [&c](QDialog &D) {
        if (c.title)
            retype(D, "edTitle", QString::fromUtf16(c.title));
        if (c.person)
            retype(D, "edName", QString::fromUtf16(c.person));
    }));
    ASSERT_EQ(LoadSenderByRecNo(5)->Title, title) << "the window did not store the title";

    QString wanted = person;
    wanted.remove(u' ');
    for (const bool mergedAgain : {false, true}) {
        if (mergedAgain) {
            otherHost.Current = 2;
            other.MergeCurrentRecord();
        }
        for (TPrintEditor *editor : {&other, &from}) {
            const TSenderRect &block = *blocksOf(*editor).back();
            SCOPED_TRACE(std::string(editor == &from ? "the window's editor" : "the other editor") +
                         (mergedAgain ? ", merged again" : ""));
            EXPECT_EQ(block.GetSenderTitle(), title) << qPrintable(block.GetSenderTitle());
            const QString shown = shownText(block);
            EXPECT_TRUE(shown.contains(wanted)) << qPrintable(shown);
            EXPECT_TRUE(shown.contains(QStringLiteral("千代田区永田町"))) << qPrintable(shown);
            if (c.person) {
                EXPECT_FALSE(shown.contains(QStringLiteral("差出太郎"))) << qPrintable(shown);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, SenderChangedElsewhere,
    ::testing::Values(ChangeCase{"renamedFromTheEnvelope", false, u"実家", nullptr},
                      ChangeCase{"renamedFromTheDesign", true, u"実家", nullptr},
                      ChangeCase{"renamedAndNameChanged", false, u"実家", u"差出 一郎"},
                      ChangeCase{"nameChangedOnly", true, nullptr, u"差出 一郎"}),
    rowName);

// Two senders titled 自宅 (5 差出 太郎, 7 別人 次郎): one of them renamed in
// the window. The blocks keep showing the sender they showed (the first):
// they follow its rename and ignore the other's.
struct TwinCase {
    const char *name;
    int steps; // 次のデータ presses from the first sender to the one renamed
    const char16_t *blockTitle;
};

class TwinTitles : public SenderBlocks, public ::testing::WithParamInterface<TwinCase> {};

TEST_P(TwinTitles, aRenameMovesOnlyTheBlocksOfTheSenderRenamed)
{
    const TwinCase &c = GetParam();
    ASSERT_NO_FATAL_FAILURE(inSenderWindow(envelope, [&c](QDialog &D) {
        for (int i = 0; i < c.steps; ++i)
            click(D, "sbtnNext");
        retype(D, "edTitle", QStringLiteral("実家"));
    }));
    ASSERT_EQ(LoadSenderByTitle(QStringLiteral("実家"))->RecNo, c.steps == 0 ? 5 : 7)
        << "the window renamed another sender";
    designHost.Current = 2;
    design.MergeCurrentRecord();
    for (TPrintEditor *editor : editors()) {
        const TSenderRect &block = *blocksOf(*editor).back();
        SCOPED_TRACE(editor == &envelope ? "envelope" : "design");
        EXPECT_EQ(block.GetSenderTitle(), QString::fromUtf16(c.blockTitle)) << qPrintable(block.GetSenderTitle());
        const QString shown = shownText(block);
        EXPECT_TRUE(shown.contains(QStringLiteral("差出太郎"))) << qPrintable(shown);
        EXPECT_FALSE(shown.contains(QStringLiteral("別人次郎"))) << qPrintable(shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Renames, TwinTitles,
                         ::testing::Values(TwinCase{"theFirst", 0, u"実家"}, TwinCase{"theSecond", 2, u"自宅"}),
                         rowName);

} // namespace
