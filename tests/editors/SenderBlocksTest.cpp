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
#include "support/KeyInput.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

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

// A data folder of its own whose sender table is still empty, with the
// data module a start of the program makes; Restart frees it and makes it
// anew, as quitting and starting again does.
class FreshSenderTable
{
public:
    FreshSenderTable()
    {
        for (const QString &folder : {DataRoot, DataPath, OtherPath, HistoryPath})
            QDir().mkpath(folder);
        start();
    }
    ~FreshSenderTable()
    {
        FreeDataModule();
        DefaultSenderNo = 0;
    }
    void restart()
    {
        FreeDataModule();
        start();
    }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};

private:
    static void start()
    {
        DefaultSenderNo = 0;
        DMMurven19 = new TDMMurven19;
        DMMurven19->CreateSenderTable();
    }
};

// Sender.ini as the file holds it: its lines, blanks left out.
QStringList senderIniLines()
{
    QFile file(SenderIniFileName());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (QString line : QString::fromLatin1(file.readAll()).split(u'\n')) {
        line = line.trimmed();
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

// What the window shows of the sender it shows: title, name, telephone
// digits, postcode digits and address, one string.
QString shownSender(QDialog &Dialog)
{
    QStringList fields;
    for (const char *name : {"edTitle", "edName", "edTel", "edPos", "edTdfkn", "edAdrs1", "edAdrs2"}) {
        const auto *edit = Dialog.findChild<QLineEdit *>(QLatin1String(name));
        fields << (edit ? edit->text().remove(u'-') : QStringLiteral("?"));
    }
    return fields.join(u'|');
}

// A second sender added in 差出人の編集 (新規, its fields typed, 選択) is
// in the window when it opens again and after a restart, Sender.ini holds
// its number as the last one given, and a block inserted for it after the
// restart shows it.
TEST(SecondSender, typedInTheWindowSurvivesReopeningAndARestart)
{
    ScriptedMessageBoxes boxes;
    FreshSenderTable data;
    SampleBook book;
    const QString typed = QStringLiteral("差出人2|鈴木 次郎|0612345678|5300001|大阪府|大阪市北区梅田|3-1-3")
                              .remove(u'-');
    {
        FakeHost host{book.table};
        TLayoutForm envelope{nullptr, host};
        TLabelGrid grid;
        envelope.SetLayout(2, catalogueFormat(2, &grid), grid);
        envelope.show();
        ASSERT_NO_FATAL_FAILURE(inSenderWindow(envelope, [](QDialog &D) {
            click(D, "bbtnNew");
            retype(D, "edName", QStringLiteral("鈴木 次郎"));
            retype(D, "edTel", QStringLiteral("0612345678"));
            retype(D, "edPos", QStringLiteral("5300001"));
            retype(D, "edTdfkn", QStringLiteral("大阪府"));
            retype(D, "edAdrs1", QStringLiteral("大阪市北区梅田"));
            retype(D, "edAdrs2", QStringLiteral("3-1-3"));
        }));
        EXPECT_EQ(host.SenderNo(), 2);
        const QStringList ini = senderIniLines();
        EXPECT_TRUE(ini.contains(QStringLiteral("[SENDER]"))) << qPrintable(ini.join(u'\n'));
        EXPECT_TRUE(ini.contains(QStringLiteral("LastNo=2"))) << qPrintable(ini.join(u'\n'));
        EXPECT_TRUE(ini.contains(QStringLiteral("Default=1"))) << qPrintable(ini.join(u'\n'));

        // Opened again: the chosen sender is shown as typed.
        QString count, shown;
        envelope.ExecDialog = [&count, &shown](QDialog &D) {
            D.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&D));
            count = D.findChild<QLabel *>(QStringLiteral("lblCount"))->text();
            shown = shownSender(D);
            click(D, "btnClose");
            return D.result();
        };
        envelope.findChild<QAction *>(QStringLiteral("actSender"))->trigger();
        EXPECT_EQ(count, QStringLiteral("/ 2"));
        EXPECT_EQ(shown, typed) << qPrintable(shown);
    }

    data.restart();
    FakeHost host{book.table};
    TLayoutForm envelope{nullptr, host};
    TLabelGrid grid;
    envelope.SetLayout(2, catalogueFormat(2, &grid), grid);
    envelope.show();
    QString count, first, second;
    ASSERT_NO_FATAL_FAILURE(inSenderWindow(envelope, [&](QDialog &D) {
        count = D.findChild<QLabel *>(QStringLiteral("lblCount"))->text();
        first = shownSender(D);
        click(D, "sbtnLast");
        second = shownSender(D);
    }));
    EXPECT_EQ(count, QStringLiteral("/ 2"));
    EXPECT_TRUE(first.startsWith(QStringLiteral("差出人1|"))) << qPrintable(first);
    EXPECT_EQ(second, typed) << qPrintable(second);
    ASSERT_EQ(host.SenderNo(), 2);
    envelope.findChild<QAction *>(QStringLiteral("actInsertSender"))->trigger();
    ASSERT_EQ(blocksOf(envelope).size(), 1u);
    EXPECT_EQ(blocksOf(envelope).back()->GetSenderTitle(), QStringLiteral("差出人2"));
    const QString shownInBlock = shownText(*blocksOf(envelope).back());
    EXPECT_TRUE(shownInBlock.contains(QStringLiteral("鈴木次郎"))) << qPrintable(shownInBlock);
    EXPECT_TRUE(shownInBlock.contains(QStringLiteral("大阪市北区梅田"))) << qPrintable(shownInBlock);
}

} // namespace
