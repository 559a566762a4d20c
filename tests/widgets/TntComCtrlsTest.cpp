#include "platform/Cp932.h"
#include "widgets/TntComCtrls.h"
#include "widgets/TntSystem.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Collects the tester's complaints (it reports through qWarning).
class ModelTesterLog
{
public:
    ModelTesterLog() { s_messages.clear(), m_previous = qInstallMessageHandler(&ModelTesterLog::handler); }
    ~ModelTesterLog() { qInstallMessageHandler(m_previous); }
    ModelTesterLog(const ModelTesterLog &) = delete;
    ModelTesterLog &operator=(const ModelTesterLog &) = delete;
    static QStringList messages() { return s_messages; }

private:
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            s_messages.append(message);
    }
    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

QStringList cells(const TTntCustomListView &view, int row)
{
    QStringList texts;
    for (int column = 0; column < view.model()->columnCount(); ++column)
        texts.append(view.model()->index(row, column).data().toString());
    return texts;
}

QStringList captions(const TTntCustomListView &view)
{
    QStringList texts;
    for (int i = 0; i < view.Items().Count(); ++i)
        texts.append(view.Items().GetItem(i)->Caption());
    return texts;
}

void addColumns(TTntCustomListView &view, const QStringList &titles, int width = 80)
{
    for (const QString &title : titles) {
        TTntListColumn *column = view.Columns().Add();
        column->SetCaption(title);
        column->SetWidth(width);
    }
}

// An owner-data list of `rows` rows whose OnData records every row asked for.
struct OwnerDataList {
    explicit OwnerDataList(int rows)
    {
        addColumns(view, {QStringLiteral("No."), QStringLiteral("名前"), QStringLiteral("住所")});
        view.SetOwnerData(true);
        view.OnData = [this](QObject *, TTntListItem *item) {
            fetched.append(item->Index());
            item->SetCaption(QString::number(item->Index() + 1));
            item->SubItems().Add(QStringLiteral("氏名%1").arg(item->Index()));
            item->SubItems().Add(QStringLiteral("東京都"));
        };
        view.resize(400, 300);
        view.SetItemCount(rows);
    }
    void show()
    {
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    void paint() { view.viewport()->grab(); }
    [[nodiscard]] int visibleRowCapacity() const
    {
        return view.viewport()->height() / view.visualRect(view.model()->index(0, 0)).height() + 2;
    }

    TTntListView view;
    QList<int> fetched;
};

// ---- Item model ----------------------------------------------------------------

TEST(TntListViewModel, passesTheModelTesterThroughItemAndColumnChanges)
{
    ModelTesterLog log;
    TTntListView view;
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    addColumns(view, {QStringLiteral("A"), QStringLiteral("B")});
    for (const QString &caption : {QStringLiteral("う"), QStringLiteral("あ"), QStringLiteral("い")}) {
        TTntListItem *item = view.Items().Add();
        item->SetCaption(caption);
        item->SubItems().Add(caption + caption);
    }
    view.Items().Insert(1)->SetCaption(QStringLiteral("え"));
    view.Items().GetItem(0)->SetSelected(true);
    view.AlphaSort();
    view.Items().Delete(2);
    view.Columns().Add()->SetCaption(QStringLiteral("C"));
    view.Columns().GetItem(1)->SetAlignment(TAlignment::taRightJustify);
    view.Columns().Delete(0);
    view.Columns().Clear();
    view.Items().Clear();
    view.SetOwnerData(true);
    QStringList rows; // the owner's data
    for (int i = 0; i < 50; ++i)
        rows.append(QString::number(i));
    view.OnData = [&rows](QObject *, TTntListItem *item) { item->SetCaption(rows.value(item->Index())); };
    view.SetItemCount(50);
    view.Refresh();
    view.Items().Delete(10); // the rows behind keep their texts ...
    rows.removeAt(10);       // ... which the owner then gives for their new indexes
    view.SetItemCount(5);
    EXPECT_TRUE(ModelTesterLog::messages().isEmpty()) << ModelTesterLog::messages().join(u'\n').toStdString();
}

TEST(TntListViewModel, showsCaptionInColumnZeroAndSubItemsAfterIt)
{
    TTntListView view;
    addColumns(view, {QStringLiteral("名前"), QStringLiteral("電話"), QStringLiteral("備考")});
    TTntListItem *item = view.Items().Add();
    item->SetCaption(QStringLiteral("𠮷田"));
    item->SubItems().Add(QStringLiteral("03-1234"));
    // A row with fewer sub-items than columns shows empty cells.
    EXPECT_EQ(cells(view, 0), (QStringList{QStringLiteral("𠮷田"), QStringLiteral("03-1234"), QString()}));
    item->SubItems().Put(0, QStringLiteral("06-9999"));
    EXPECT_EQ(cells(view, 0)[1], QStringLiteral("06-9999"));
}

TEST(TntListViewModel, reportsEachItemChangeAsARowChangeAndHoldsThemDuringAnUpdate)
{
    TTntListView view;
    addColumns(view, {QStringLiteral("A"), QStringLiteral("B")});
    view.Items().Add();
    view.Items().Add();
    QList<int> changedRows;
    QObject::connect(view.model(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex &from, const QModelIndex &) { changedRows.append(from.row()); });
    view.Items().GetItem(1)->SubItems().Add(QStringLiteral("x"));
    view.Items().GetItem(1)->SetCaption(QStringLiteral("y"));
    view.Items().GetItem(1)->SetCaption(QStringLiteral("y")); // same text: nothing
    EXPECT_EQ(changedRows, (QList<int>{1, 1}));
    changedRows.clear();
    view.Items().BeginUpdate();
    view.Items().GetItem(0)->SetCaption(QStringLiteral("a"));
    view.Items().GetItem(1)->SetCaption(QStringLiteral("b"));
    EXPECT_TRUE(changedRows.isEmpty());
    view.Items().EndUpdate();
    EXPECT_EQ(changedRows, QList<int>{0});
}

TEST(TntListViewModel, alignsHeaderAndCellsLikeTheirColumn)
{
    TTntListView view;
    addColumns(view, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    view.Columns().GetItem(1)->SetAlignment(TAlignment::taRightJustify);
    view.Columns().GetItem(2)->SetAlignment(TAlignment::taCenter);
    view.Items().Add();
    const QAbstractItemModel &model = *view.model();
    const auto horizontal = [](const QVariant &v) { return Qt::Alignment(v.toInt()) & Qt::AlignHorizontal_Mask; };
    EXPECT_EQ(horizontal(model.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole)), Qt::AlignLeft);
    EXPECT_EQ(horizontal(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole)), Qt::AlignRight);
    EXPECT_EQ(horizontal(model.index(0, 2).data(Qt::TextAlignmentRole)), Qt::AlignHCenter);
}

// ---- Columns -------------------------------------------------------------------

TEST(TntListColumn, keepsAWideCaptionWhenItsOwnByteFormIsWrittenBack)
{
    TTntListView view;
    TTntListColumn *column = view.Columns().Add();
    column->SetCaption(QStringLiteral("𠮷野"));         // 𠮷 has no CP932 form
    column->SetAnsiCaption(column->AnsiCaption());   // "?野" back: same bytes
    EXPECT_EQ(column->Caption(), QStringLiteral("𠮷野"));
    EXPECT_EQ(view.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("𠮷野"));
    column->SetAnsiCaption(Cp932::encode(u"住所"));
    EXPECT_EQ(column->Caption(), QStringLiteral("住所"));
    EXPECT_EQ(view.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("住所"));
}

TEST(TntListColumn, assignCopiesCaptionWidthAndAlignment)
{
    TTntListView view;
    TTntListColumn *source = view.Columns().Add();
    source->SetCaption(QStringLiteral("ＦＡＸ①"));
    source->SetWidth(123);
    source->SetAlignment(TAlignment::taCenter);
    TTntListColumn *target = view.Columns().Add();
    target->Assign(*source);
    EXPECT_EQ(target->Caption(), QStringLiteral("ＦＡＸ①"));
    EXPECT_EQ(target->Width(), 123);
    EXPECT_EQ(view.header()->sectionSize(1), 123);
    EXPECT_EQ(target->Alignment(), TAlignment::taCenter);
}

TEST(TntListColumns, rebuildingTheColumnsKeepsTheSelectedRows)
{
    TTntListView view;
    addColumns(view, {QStringLiteral("A"), QStringLiteral("B")});
    for (int i = 0; i < 5; ++i)
        view.Items().Add()->SetCaption(QString::number(i));
    view.Items().GetItem(1)->SetSelected(true);
    view.Items().GetItem(3)->SetSelected(true);
    view.Columns().Clear();
    addColumns(view, {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")});
    EXPECT_EQ(view.SelCount(), 2);
    EXPECT_TRUE(view.selectionModel()->isRowSelected(3, QModelIndex())); // every column, new ones too
    EXPECT_EQ(view.header()->count(), 3);
}

TEST(TntListColumns, raisesOnAnIndexOutsideTheColumns)
{
    TTntListView view;
    view.Columns().Add();
    EXPECT_THROW((void)view.Columns().GetItem(1), EListError);
    EXPECT_THROW((void)view.GetColumnFromIndex(-1), EListError);
    EXPECT_THROW(view.Columns().Delete(1), EListError);
}

// ---- Items -----------------------------------------------------------------------

struct TTaggedItem : TTntListItem {
    using TTntListItem::TTntListItem;
};
struct TForeignItem : TListItem {};

TEST(TntListItems, createsItemsOfTheClassTheEventChooses)
{
    TTntListView view;
    view.OnCreateItemClass = [](QObject *, TListItemClass &itemClass) {
        itemClass = [](TTntListItems &owner) { return new TTaggedItem(owner); };
    };
    EXPECT_NE(dynamic_cast<TTaggedItem *>(view.Items().Add()), nullptr);
}

TEST(TntListItems, refusesAnItemClassOutsideTheWideFamily)
{
    TTntListView view;
    view.OnCreateItemClass = [](QObject *, TListItemClass &itemClass) {
        itemClass = [](TTntListItems &) { return new TForeignItem; };
    };
    try {
        view.Items().Add();
        FAIL() << "no exception";
    } catch (const ETntInternalError &e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Internal Error: OnCreateItemClass.ItemClass must inherit from TTntListItem."));
    }
    EXPECT_EQ(view.Items().Count(), 0);
    EXPECT_EQ(view.model()->rowCount(), 0);
}

TEST(TntListItems, refusesForeignItemsForOwnerDataRowsToo)
{
    OwnerDataList list(10);
    list.view.OnCreateItemClass = [](QObject *, TListItemClass &itemClass) {
        itemClass = [](TTntListItems &) { return new TForeignItem; };
    };
    EXPECT_THROW((void)list.view.Items().GetItem(0), ETntInternalError);
}

TEST(TntListItems, raisesOnBadIndexesAndOnAddingToAnOwnerDataList)
{
    TTntListView view;
    view.Items().Add();
    EXPECT_THROW((void)view.Items().GetItem(1), EListError);
    EXPECT_THROW(view.Items().Insert(3), EListError);
    EXPECT_THROW(view.Items().Delete(-1), EListError);
    view.SetOwnerData(true);
    EXPECT_THROW(view.Items().Add(), EListError);
}

TEST(TntListItem, assignCopiesTextsDataAndStateButKeepsSubItemsWhenTheSourceHasNone)
{
    TTntListView view;
    int payload = 0;
    TTntListItem *source = view.Items().Add();
    source->SetCaption(QStringLiteral("한국어"));
    source->SetData(&payload);
    source->SetImageIndex(4);
    source->SetChecked(true);
    TTntListItem *target = view.Items().Add();
    target->SubItems().Add(QStringLiteral("残る"));
    target->Assign(*source);
    EXPECT_EQ(target->Caption(), QStringLiteral("한국어"));
    EXPECT_EQ(target->Data(), &payload);
    EXPECT_EQ(target->ImageIndex(), 4);
    EXPECT_TRUE(target->Checked());
    EXPECT_EQ(target->SubItems().Text(), QStringLiteral("残る\r\n"));
    source->SubItems().Add(QStringLiteral("新"));
    target->Assign(*source);
    EXPECT_EQ(target->SubItems().Text(), QStringLiteral("新\r\n"));
    EXPECT_EQ(cells(view, 1)[0], QStringLiteral("한국어"));
}

TEST(TntListItem, selectedAndFocusedMirrorTheSelectionModel)
{
    TTntListView view;
    addColumns(view, {QStringLiteral("A")});
    for (int i = 0; i < 4; ++i)
        view.Items().Add();
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
    view.SetItemFocused(nullptr);
    EXPECT_EQ(view.GetItemFocused(), nullptr);
}

TEST(TntListView, alphaSortOrdersByWideCaptionsThatShareOneByteForm)
{
    TTntListView view;
    addColumns(view, {QStringLiteral("A")});
    // All three are "??" in CP932; only the wide texts can order them.
    for (const QString &caption : {QStringLiteral("하나"), QStringLiteral("가다"), QStringLiteral("나무")})
        view.Items().Add()->SetCaption(caption);
    TTntListItem *selected = view.Items().GetItem(0);
    selected->SetSelected(true);
    ASSERT_TRUE(view.AlphaSort());
    EXPECT_EQ(captions(view), (QStringList{QStringLiteral("가다"), QStringLiteral("나무"), QStringLiteral("하나")}));
    EXPECT_EQ(view.GetSelected(), selected); // the selection moved with its item
    EXPECT_EQ(selected->Index(), 2);
}

TEST(TntListView, sortsWithTheCompareEventAndItsParameter)
{
    TTntListView view;
    for (const QString &caption : {QStringLiteral("bb"), QStringLiteral("a"), QStringLiteral("ccc")})
        view.Items().Add()->SetCaption(caption);
    qintptr seen = 0;
    view.OnCompare = [&](QObject *, TTntListItem *a, TTntListItem *b, qintptr data, int &compare) {
        seen = data;
        compare = int(b->Caption().size() - a->Caption().size()); // longest first
    };
    ASSERT_TRUE(view.CustomSort(TLVCompare(), 77));
    EXPECT_EQ(seen, 77);
    EXPECT_EQ(captions(view), (QStringList{QStringLiteral("ccc"), QStringLiteral("bb"), QStringLiteral("a")}));
    view.CustomSort([](TTntListItem *a, TTntListItem *b, qintptr) { return a->Caption().compare(b->Caption()); },
                    0);
    EXPECT_EQ(captions(view), (QStringList{QStringLiteral("a"), QStringLiteral("bb"), QStringLiteral("ccc")}));
    view.SetOwnerData(true);
    EXPECT_FALSE(view.AlphaSort());
}

TEST(TntListView, copySelectionAddsCaptionAndDataOfEachSelectedItem)
{
    TTntListView source;
    TTntListView destination;
    int first = 1;
    int third = 3;
    source.AddItem(QStringLiteral("一"), &first);
    source.AddItem(QStringLiteral("二"), nullptr);
    source.AddItem(QStringLiteral("𠀋"), &third);
    source.Items().GetItem(0)->SetSelected(true);
    source.Items().GetItem(2)->SetSelected(true);
    source.CopySelection(destination);
    EXPECT_EQ(captions(destination), (QStringList{QStringLiteral("一"), QStringLiteral("𠀋")}));
    EXPECT_EQ(destination.Items().GetItem(1)->Data(), &third);
}

TEST(TntListView, editedEventMayChangeTheNewCaption)
{
    TTntListView view;
    addColumns(view, {QStringLiteral("A")});
    view.Items().Add()->SetCaption(QStringLiteral("旧"));
    view.SetReadOnly(false);
    view.OnEdited = [](QObject *, TTntListItem *, QString &s) { s += QStringLiteral("様"); };
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.edit(view.model()->index(0, 0));
    auto *editor = view.findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("髙橋"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the delegate commits through a queued call
    EXPECT_EQ(view.Items().GetItem(0)->Caption(), QStringLiteral("髙橋様"));
}

TEST(TntListView, editingEventMayRefuseAndReadOnlyListsNeverEdit)
{
    TTntListView view;
    addColumns(view, {QStringLiteral("A")});
    view.Items().Add();
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.edit(view.model()->index(0, 0));
    EXPECT_EQ(view.findChild<QLineEdit *>(), nullptr);
    view.SetReadOnly(false);
    view.OnEditing = [](QObject *, TTntListItem *, bool &allowEdit) { allowEdit = false; };
    view.edit(view.model()->index(0, 0));
    EXPECT_EQ(view.findChild<QLineEdit *>(), nullptr);
}

TEST(TntListView, checkboxesShowAndSetTheCheckedState)
{
    TTntListView view;
    view.Items().Add()->SetChecked(true);
    EXPECT_FALSE(view.model()->index(0, 0).data(Qt::CheckStateRole).isValid());
    view.SetCheckboxes(true);
    EXPECT_EQ(view.model()->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    view.model()->setData(view.model()->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_FALSE(view.Items().GetItem(0)->Checked());
}

TEST(TntListView, reportsSelectionChangesPerItemInNormalMode)
{
    TTntListView view;
    addColumns(view, {QStringLiteral("A")});
    for (int i = 0; i < 3; ++i)
        view.Items().Add();
    QStringList events;
    view.OnSelectItem = [&](QObject *, TTntListItem *item, bool selected) {
        events.append(QStringLiteral("%1%2").arg(item->Index()).arg(selected ? QStringLiteral("+") : QStringLiteral("-")));
    };
    view.Items().GetItem(0)->SetSelected(true);
    view.selectionModel()->select(QItemSelection(view.model()->index(1, 0), view.model()->index(2, 0)),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(events, (QStringList{QStringLiteral("0+"), QStringLiteral("0-"), QStringLiteral("1+"),
                                   QStringLiteral("2+")}));
    events.clear();
    view.Items().Delete(1); // removing a row is no selection change
    EXPECT_TRUE(events.isEmpty());
}

// ---- Owner data ------------------------------------------------------------------

TEST(TntListViewOwnerData, settingTheRowCountAsksForNoRow)
{
    OwnerDataList list(100000);
    EXPECT_EQ(list.view.Items().Count(), 100000);
    EXPECT_EQ(list.view.model()->rowCount(), 100000);
    EXPECT_TRUE(list.fetched.isEmpty());
}

TEST(TntListViewOwnerData, fetchesOnlyTheVisibleRowsOnceUntilRefresh)
{
    OwnerDataList list(100000);
    list.show();
    list.paint();
    const int capacity = list.visibleRowCapacity();
    ASSERT_FALSE(list.fetched.isEmpty());
    EXPECT_LE(list.fetched.size(), capacity);
    EXPECT_EQ(QSet<int>(list.fetched.begin(), list.fetched.end()).size(), list.fetched.size()); // each once
    EXPECT_EQ(cells(list.view, 0), (QStringList{QStringLiteral("1"), QStringLiteral("氏名0"), QStringLiteral("東京都")}));

    list.fetched.clear();
    list.paint(); // repainting uses the cached texts
    EXPECT_TRUE(list.fetched.isEmpty());

    list.view.scrollTo(list.view.model()->index(50000, 0), QAbstractItemView::PositionAtTop);
    list.paint();
    ASSERT_FALSE(list.fetched.isEmpty());
    EXPECT_LE(list.fetched.size(), capacity);
    for (int row : list.fetched)
        EXPECT_TRUE(row >= 50000 - capacity && row <= 50000 + capacity) << row;

    list.fetched.clear();
    list.view.Refresh();
    list.paint();
    EXPECT_FALSE(list.fetched.isEmpty());
    EXPECT_LE(list.fetched.size(), capacity);
}

TEST(TntListViewOwnerData, changingTheCountDropsTheCachedTexts)
{
    OwnerDataList list(10);
    (void)cells(list.view, 3);
    list.fetched.clear();
    (void)cells(list.view, 3);
    EXPECT_TRUE(list.fetched.isEmpty());
    list.view.SetItemCount(20);
    (void)cells(list.view, 3);
    EXPECT_EQ(list.fetched, QList<int>{3});
}

TEST(TntListViewOwnerData, itemsOfRowsAreTheTemporaryItemFilledForThatRow)
{
    OwnerDataList list(1000);
    TTntListItem *item = list.view.Items().GetItem(7);
    EXPECT_EQ(item->Index(), 7);
    EXPECT_EQ(item->SubItems().Get(0), QStringLiteral("氏名7"));
    EXPECT_EQ(list.view.Items().GetItem(8), item); // one item, refilled
    EXPECT_EQ(item->Caption(), QStringLiteral("9"));
    item->SetSelected(true);
    EXPECT_TRUE(list.view.selectionModel()->isRowSelected(8, QModelIndex()));
    EXPECT_EQ(list.view.GetSelected()->Index(), 8);
}

TEST(TntListViewOwnerData, reportsSingleRowsRangesAndDeselectingAll)
{
    OwnerDataList list(1000);
    list.show();
    QStringList events;
    list.view.OnSelectItem = [&](QObject *, TTntListItem *item, bool selected) {
        events.append(QStringLiteral("%1%2").arg(item ? item->Index() : -1).arg(selected ? QStringLiteral("+") : QStringLiteral("-")));
    };
    list.view.OnDataStateChange = [&](QObject *, int from, int to, bool oldSelected, bool newSelected) {
        events.append(QStringLiteral("%1..%2 %3>%4").arg(from).arg(to).arg(oldSelected).arg(newSelected));
    };
    QWidget *viewport = list.view.viewport();
    const auto rowPoint = [&](int row) { return list.view.visualRect(list.view.model()->index(row, 1)).center(); };
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowPoint(2));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, rowPoint(5));
    EXPECT_EQ(events, (QStringList{QStringLiteral("2+"), QStringLiteral("3..5 0>1")}));
    events.clear();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowPoint(4)); // plain click: the others go
    EXPECT_EQ(events, (QStringList{QStringLiteral("-1-"), QStringLiteral("4+")}));
    events.clear();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, rowPoint(4));
    EXPECT_EQ(events, QStringList{QStringLiteral("4-")});
}

TEST(TntListViewOwnerData, typeAheadAsksTheOwnerWithTheWideTextTyped)
{
    OwnerDataList list(1000);
    list.show();
    list.view.Items().GetItem(10)->SetFocused(true);
    QStringList asked;
    QList<int> starts;
    list.view.OnDataFind = [&](QObject *, TItemFind find, const QString &text, const QPoint &, void *, int start,
                               TSearchDirection, bool wrap, int &index) {
        EXPECT_EQ(find, TItemFind::ifPartialString);
        EXPECT_TRUE(wrap);
        asked.append(text);
        starts.append(start);
        index = 500;
    };
    for (const QString &typed : {QStringLiteral("あ"), QStringLiteral("い")}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, typed);
        QApplication::sendEvent(&list.view, &press);
    }
    EXPECT_EQ(asked, (QStringList{QStringLiteral("あ"), QStringLiteral("あい")}));
    EXPECT_EQ(starts, (QList<int>{11, 500})); // a new search starts behind the focus
    EXPECT_EQ(list.view.GetItemFocused()->Index(), 500);
    EXPECT_EQ(list.view.SelCount(), 1);
}

TEST(TntListViewOwnerData, topItemIsTheFirstRowOnTheScreen)
{
    OwnerDataList list(1000);
    list.show();
    EXPECT_EQ(list.view.GetTopItem()->Index(), 0);
    list.view.scrollTo(list.view.model()->index(300, 0), QAbstractItemView::PositionAtTop);
    EXPECT_EQ(list.view.GetTopItem()->Index(), 300);
    list.view.SetItemCount(0);
    EXPECT_EQ(list.view.GetTopItem(), nullptr);
}

} // namespace
