#include "widgets/TntComCtrls.h"
#include "widgets/TntSystem.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// What QAbstractItemModelTester complained of (it reports through qWarning).
QStringList g_warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_warnings.append(message);
}

QStringList cells(const TTntCustomListView &view, int row)
{
    QStringList texts;
    for (int column = 0; column < view.model()->columnCount(); ++column)
        texts.append(view.model()->index(row, column).data().toString());
    return texts;
}

// Columns of the given titles, 80 pixels wide, then one item per caption.
void fill(TTntCustomListView &view, const QStringList &titles, const QStringList &items = {})
{
    for (const QString &title : titles) {
        TTntListColumn *column = view.Columns().Add();
        column->SetCaption(title);
        column->SetWidth(80);
    }
    for (const QString &caption : items)
        view.Items().Add()->SetCaption(caption);
}

// Tests of one list view.
class TntListView : public ::testing::Test
{
protected:
    TTntListView view;
};

// ---- Item model ----------------------------------------------------------------

TEST_F(TntListView, passesTheModelTesterThroughItemAndColumnChanges)
{
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    fill(view, {"A", "B"}, {"う", "あ", "い"});
    for (int i = 0; i < 3; ++i)
        view.Items().GetItem(i)->SubItems().Add(QStringLiteral("副"));
    view.Items().Insert(1)->SetCaption(QStringLiteral("え"));
    view.Items().GetItem(0)->SetSelected(true);
    view.AlphaSort();
    view.Items().Delete(2);
    view.Columns().Add()->SetCaption(QStringLiteral("C"));
    view.Columns().GetItem(1)->SetAlignment(TAlignment::taRightJustify);
    view.Columns().Delete(0);
    view.Columns().Clear();
    view.Items().Clear();
    qInstallMessageHandler(previous);
    EXPECT_TRUE(g_warnings.isEmpty()) << g_warnings.join(u'\n').toStdString();
}

TEST_F(TntListView, showsCaptionInColumnZeroAndSubItemsAfterIt)
{
    fill(view, {"名前", "電話", "備考"}, {"𠮷田"});
    TTntListItem *item = view.Items().GetItem(0);
    item->SubItems().Add(QStringLiteral("03-1234"));
    // A row with fewer sub-items than columns shows empty cells.
    EXPECT_EQ(cells(view, 0), (QStringList{"𠮷田", "03-1234", QString()}));
    item->SubItems().Put(0, QStringLiteral("06-9999"));
    EXPECT_EQ(cells(view, 0)[1], QStringLiteral("06-9999"));
}

TEST_F(TntListView, reportsEachItemChangeAsARowChangeAndHoldsThemDuringAnUpdate)
{
    fill(view, {"A", "B"}, {"", ""});
    QList<int> changedRows;
    QObject::connect(view.model(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex &from, const QModelIndex &) { changedRows.append(from.row()); });
    TTntListItem *second = view.Items().GetItem(1);
    second->SubItems().Add(QStringLiteral("x"));
    second->SetCaption(QStringLiteral("y"));
    second->SetCaption(QStringLiteral("y")); // same text: nothing
    EXPECT_EQ(changedRows, (QList<int>{1, 1}));
    changedRows.clear();
    view.Items().BeginUpdate();
    view.Items().GetItem(0)->SetCaption(QStringLiteral("a"));
    second->SetCaption(QStringLiteral("b"));
    EXPECT_TRUE(changedRows.isEmpty());
    view.Items().EndUpdate();
    EXPECT_EQ(changedRows, QList<int>{0});
}

// ---- Columns -------------------------------------------------------------------

TEST_F(TntListView, rebuildingTheColumnsKeepsTheSelectedRows)
{
    fill(view, {"A", "B"}, {"0", "1", "2", "3", "4"});
    view.Items().GetItem(1)->SetSelected(true);
    view.Items().GetItem(3)->SetSelected(true);
    view.Columns().Clear();
    fill(view, {"X", "Y", "Z"});
    EXPECT_EQ(view.SelCount(), 2);
    EXPECT_TRUE(view.selectionModel()->isRowSelected(3, QModelIndex())); // every column, new ones too
    EXPECT_EQ(view.header()->count(), 3);
}

TEST_F(TntListView, badIndexesRaiseListError)
{
    fill(view, {"A"}, {"x"});
    EXPECT_THROW((void)view.Columns().GetItem(1), EListError);
    EXPECT_THROW(view.Items().Insert(3), EListError);
}

// ---- Items -----------------------------------------------------------------------

TEST_F(TntListView, selectedAndFocusedMirrorTheSelectionModel)
{
    fill(view, {"A"}, {"0", "1", "2", "3"});
    TTntListItem *item = view.Items().GetItem(2);
    item->SetFocused(true);
    EXPECT_EQ(view.GetItemFocused(), item);
    EXPECT_EQ(view.SelCount(), 0); // focus alone selects nothing
    item->SetSelected(true);
    view.Items().GetItem(3)->SetSelected(true);
    EXPECT_TRUE(item->Selected());
    EXPECT_EQ(view.SelCount(), 2);
    EXPECT_EQ(view.GetSelected(), item);
    item->SetSelected(false);
    EXPECT_EQ(view.GetSelected(), view.Items().GetItem(3));
    view.SetSelected(nullptr);
    EXPECT_EQ(view.SelCount(), 0);
}

// ---- List view -------------------------------------------------------------------

TEST_F(TntListView, captionIsEditedOnlyWhenWritableAndAllowedAndTheEditedEventHasTheLastWord)
{
    fill(view, {"A"}, {"旧"});
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QModelIndex cell = view.model()->index(0, 0);
    view.edit(cell);
    EXPECT_EQ(view.findChild<QLineEdit *>(), nullptr); // read-only by default
    view.SetReadOnly(false);
    bool allow = false;
    view.OnEditing = [&](QObject *, TTntListItem *, bool &allowEdit) { allowEdit = allow; };
    view.edit(cell);
    EXPECT_EQ(view.findChild<QLineEdit *>(), nullptr);
    allow = true;
    view.OnEdited = [](QObject *, TTntListItem *, QString &s) { s += QStringLiteral("様"); };
    view.edit(cell);
    auto *editor = view.findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("髙橋"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the delegate commits through a queued call
    EXPECT_EQ(view.Items().GetItem(0)->Caption(), QStringLiteral("髙橋様"));
}

// "<row>+" or "<row>-" for each OnSelectItem, "-1-" for a deselection of all rows.
void logSelections(TTntCustomListView &view, QStringList &events)
{
    view.OnSelectItem = [&events](QObject *, TTntListItem *item, bool selected) {
        events.append(QStringLiteral("%1%2").arg(item ? item->Index() : -1).arg(QChar(selected ? u'+' : u'-')));
    };
}

TEST_F(TntListView, reportsSelectionChangesPerItemInNormalMode)
{
    fill(view, {"A"}, {"0", "1", "2"});
    QStringList events;
    logSelections(view, events);
    view.Items().GetItem(0)->SetSelected(true);
    view.selectionModel()->select(QItemSelection(view.model()->index(1, 0), view.model()->index(2, 0)),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(events, (QStringList{"0+", "0-", "1+", "2+"}));
    events.clear();
    view.Items().Delete(1); // removing a row is no selection change
    EXPECT_TRUE(events.isEmpty());
}

} // namespace
