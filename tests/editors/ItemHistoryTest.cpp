#include "EditorsFixture.h"
#include "FakeHost.h"
#include "SenderBook.h"
#include "editors/DesignForm.h"
#include "editors/ItemCommands.h"
#include "editors/LayoutForm.h"
#include "editors/PageView.h"
#include "editors/PrintData.h"
#include "items/BackImage.h"
#include "items/FigureRect.h"
#include "items/IllustRect.h"
#include "items/SenderRect.h"
#include "support/RowName.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <optional>

namespace {

// Every item of the layout as the print-data file holds it (its class,
// frame role and stream), in drawing order: equal lists are equal layouts.
QList<QByteArray> itemsOf(const TLayoutDocument &D)
{
    QList<QByteArray> out;
    for (size_t i = 0; i < D.Items.size(); ++i)
        out << EncodeItemRecord(*D.Items[i], i < D.ItemRoles.size() ? D.ItemRoles[i] : -1);
    return out;
}

class ItemHistory : public ::testing::Test
{
public:
    void SetUp() override
    {
        TLabelGrid grid;
        editor.SetLayout(0, catalogueFormat(0, &grid), grid);
        frames = int(editor.Document().Items.size());
        commands = editor.findChild<TItemCommands *>();
        ASSERT_NE(commands, nullptr);
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }
    QAction *action(const char *Name) { return editor.findChild<QAction *>(QLatin1String(Name)); }
    void addFigure(TFigureRect::Kind Kind, std::optional<TPageRect> Rect = std::nullopt)
    {
        editor.ExecDialog = [Kind](QDialog &D) {
            auto *kind = D.findChild<QComboBox *>(QStringLiteral("cbxFigureKind"));
            kind->setCurrentIndex(int(Kind));
            emit kind->activated(int(Kind));
            return int(QDialog::Accepted);
        };
        action("actInsertFigure")->trigger();
        if (Rect)
            editor.Document().Items.back()->SetRect(*Rect);
    }

    // A sender block is made for a sender registered.
    SenderBook senders;
    SampleBook book;
    FakeHost host{book.table};
    TLayoutForm editor{nullptr, host};
    TItemCommands *commands = nullptr;
    int frames = 0;
};

// Each insert command of the menu 挿入 is one step: undone, the layout is
// as before to the byte; redone, the item is back as it was inserted.
struct InsertCase {
    const char *name;
    std::function<void(ItemHistory &, QTemporaryDir &)> insert;
    int paper = 0; // the catalogue's paper the item is inserted on
};

class InsertHistory : public ItemHistory, public ::testing::WithParamInterface<InsertCase>
{
};

TEST_P(InsertHistory, anInsertedItemIsUndoneAndRedone)
{
    QTemporaryDir dir;
    if (GetParam().paper != 0) {
        TLabelGrid grid;
        editor.SetLayout(GetParam().paper, catalogueFormat(GetParam().paper, &grid), grid);
    }
    const QList<QByteArray> before = itemsOf(editor.Document());
    GetParam().insert(*this, dir);
    const QList<QByteArray> after = itemsOf(editor.Document());
    ASSERT_EQ(after.size(), before.size() + 1);
    ASSERT_TRUE(action("actUndo")->isEnabled());
    action("actUndo")->trigger();
    EXPECT_EQ(itemsOf(editor.Document()), before);
    EXPECT_EQ(editor.PageView()->Selected(), -1);
    ASSERT_TRUE(action("actRedo")->isEnabled());
    action("actRedo")->trigger();
    EXPECT_EQ(itemsOf(editor.Document()), after);
    EXPECT_EQ(editor.PageView()->Selected(), int(after.size()) - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Items, InsertHistory,
    ::testing::Values(
        InsertCase{"figure",
                   [](ItemHistory &T, QTemporaryDir &) { T.addFigure(TFigureRect::Ellipse); }},
        InsertCase{"qrCode",
                   [](ItemHistory &T, QTemporaryDir &) {
                       T.editor.ExecDialog = [](QDialog &D) {
                           D.findChild<QPlainTextEdit *>(QStringLiteral("memText"))
                               ->setPlainText(QStringLiteral("https://example.jp/"));
                           D.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
                           return D.result();
                       };
                       T.action("actInsertQRCode")->trigger();
                   }},
        InsertCase{"picture",
                   [](ItemHistory &T, QTemporaryDir &Dir) {
                       QImage image(40, 24, QImage::Format_RGB32);
                       image.fill(Qt::darkGreen);
                       const QString file = Dir.filePath(QStringLiteral("leaf.bmp"));
                       ASSERT_TRUE(image.save(file));
                       T.commands->ChooseImageFile = [file] { return file; };
                       T.action("actInsertIllust")->trigger();
                   }},
        // 角形２号: the vertical postcard's face has no place for a block
        // whose lines can be read.
        InsertCase{"senderBlock", [](ItemHistory &T, QTemporaryDir &) { T.action("actInsertSender")->trigger(); },
                   11},
        InsertCase{"paste",
                   [](ItemHistory &T, QTemporaryDir &) {
                       T.editor.PageView()->SetSelected(0);
                       T.action("actCopy")->trigger();
                       T.editor.PageView()->SetSelected(-1);
                       T.action("actPaste")->trigger();
                   }}),
    rowName);

TEST_F(ItemHistory, insertingKeepsTheStepsBeforeIt)
{
    addFigure(TFigureRect::Ellipse, TPageRect{10, 10, 60, 60});
    addFigure(TFigureRect::Rectangle, TPageRect{70, 10, 120, 60});
    EXPECT_EQ(editor.UndoList().GetCount(), 2);
    action("actUndo")->trigger();
    action("actUndo")->trigger();
    EXPECT_EQ(int(editor.Document().Items.size()), frames);
}

TEST_F(ItemHistory, deletingTheSelectedItemIsUndoneInItsPlace)
{
    addFigure(TFigureRect::Ellipse, TPageRect{10, 10, 60, 60});
    addFigure(TFigureRect::Rectangle, TPageRect{70, 10, 120, 60});
    const QList<QByteArray> before = itemsOf(editor.Document());
    editor.PageView()->SetSelected(frames);
    ASSERT_TRUE(action("actDelete")->isEnabled());
    QTest::keyClick(&editor, Qt::Key_Delete);
    ASSERT_EQ(int(editor.Document().Items.size()), frames + 1);
    EXPECT_EQ(dynamic_cast<TFigureRect &>(*editor.Document().Items.back()).GetFigureKind(), TFigureRect::Rectangle);
    const QList<QByteArray> deleted = itemsOf(editor.Document());
    action("actUndo")->trigger();
    EXPECT_EQ(itemsOf(editor.Document()), before);
    EXPECT_EQ(editor.PageView()->Selected(), frames);
    action("actRedo")->trigger();
    EXPECT_EQ(itemsOf(editor.Document()), deleted);
}

TEST_F(ItemHistory, theFramesOfThePaperAreNotDeleted)
{
    editor.PageView()->SetSelected(0);
    EXPECT_FALSE(action("actDelete")->isEnabled());
    EXPECT_FALSE(editor.DeleteItem(0));
    EXPECT_EQ(int(editor.Document().Items.size()), frames);
}

TEST_F(ItemHistory, changedSettingsAreUndoneAndRedone)
{
    addFigure(TFigureRect::Diamond, TPageRect{10, 10, 60, 60});
    const QList<QByteArray> before = itemsOf(editor.Document());
    editor.ExecDialog = [](QDialog &D) {
        auto *kind = D.findChild<QComboBox *>(QStringLiteral("cbxFigureKind"));
        kind->setCurrentIndex(3);
        emit kind->activated(3);
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(commands->EditItem(frames));
    const QList<QByteArray> after = itemsOf(editor.Document());
    ASSERT_NE(after, before);
    // The insertion stays in the history under the change.
    EXPECT_EQ(editor.UndoList().GetCount(), 2);
    action("actUndo")->trigger();
    EXPECT_EQ(itemsOf(editor.Document()), before);
    action("actRedo")->trigger();
    EXPECT_EQ(itemsOf(editor.Document()), after);
}

// Each command of 重なり順 and where the selected item goes.
struct OrderCase {
    const char *name;
    const char *action;
    int from; // offset from the first added item
    int to;
};

class OrderHistory : public ItemHistory, public ::testing::WithParamInterface<OrderCase>
{
};

TEST_P(OrderHistory, drawingOrderChangesAreUndone)
{
    addFigure(TFigureRect::Ellipse, TPageRect{10, 10, 60, 60});
    addFigure(TFigureRect::Rectangle, TPageRect{20, 20, 70, 70});
    addFigure(TFigureRect::Diamond, TPageRect{30, 30, 80, 80});
    const QList<QByteArray> before = itemsOf(editor.Document());
    const int from = GetParam().from < 0 ? 0 : frames + GetParam().from;
    editor.PageView()->SetSelected(from);
    ASSERT_TRUE(action(GetParam().action)->isEnabled());
    action(GetParam().action)->trigger();
    const int to = GetParam().to < 0 ? int(before.size()) - 1 : GetParam().to == 99 ? 0 : frames + GetParam().to;
    const QList<QByteArray> after = itemsOf(editor.Document());
    EXPECT_EQ(after.value(to), before.value(from));
    EXPECT_EQ(editor.PageView()->Selected(), to);
    action("actUndo")->trigger();
    EXPECT_EQ(itemsOf(editor.Document()), before);
    EXPECT_EQ(editor.PageView()->Selected(), from);
    action("actRedo")->trigger();
    EXPECT_EQ(itemsOf(editor.Document()), after);
}

INSTANTIATE_TEST_SUITE_P(Commands, OrderHistory,
                         ::testing::Values(OrderCase{"toFront", "actBringToFront", 0, -1},
                                           OrderCase{"forward", "actBringForward", 0, 1},
                                           OrderCase{"backward", "actSendBackward", 2, 1},
                                           OrderCase{"toBack", "actSendToBack", 1, 99},
                                           // A frame of the paper carries its role along.
                                           OrderCase{"frameToFront", "actBringToFront", -1, -1}),
                         rowName);

TEST_F(ItemHistory, theTopItemCannotGoFurtherUp)
{
    addFigure(TFigureRect::Ellipse, TPageRect{10, 10, 60, 60});
    editor.PageView()->SetSelected(frames);
    EXPECT_FALSE(action("actBringToFront")->isEnabled());
    EXPECT_FALSE(action("actBringForward")->isEnabled());
    EXPECT_TRUE(action("actSendBackward")->isEnabled());
    editor.PageView()->SetSelected(0);
    EXPECT_FALSE(action("actSendToBack")->isEnabled());
}

TEST(DesignBackgroundHistory, theBackgroundIsUndoneAndRedone)
{
    SampleBook book;
    FakeHost host{book.table};
    TDesignForm editor{nullptr, host};
    TLabelGrid grid;
    editor.SetLayout(0, catalogueFormat(0, &grid), grid);
    editor.ExecDialog = [](QDialog &D) {
        D.findChild<QRadioButton *>(QStringLiteral("rbColor"))->click();
        D.accept();
        return D.result();
    };
    editor.findChild<QAction *>(QStringLiteral("actBackImage"))->trigger();
    ASSERT_EQ(editor.Document().Background.GetKind(), TBackImage::Colour);
    EXPECT_TRUE(editor.IsChanged());
    editor.findChild<QAction *>(QStringLiteral("actUndo"))->trigger();
    EXPECT_NE(editor.Document().Background.GetKind(), TBackImage::Colour);
    editor.findChild<QAction *>(QStringLiteral("actRedo"))->trigger();
    EXPECT_EQ(editor.Document().Background.GetKind(), TBackImage::Colour);
}

} // namespace
