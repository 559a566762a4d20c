#include "support/RowName.h"
#include "widgets/TntStdCtrls.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// ---- edit ------------------------------------------------------------------------

TEST(TntEdit, settingSameTextFiresNothingAndNewTextFiresOnce)
{
    TTntEdit edit;
    edit.SetText(QStringLiteral("山田"));
    QStringList seen;
    edit.OnChange = [&](QObject *sender) { seen << static_cast<TTntEdit *>(sender)->GetText(); };
    edit.SetText(QStringLiteral("山田"));
    EXPECT_TRUE(seen.isEmpty());
    edit.SetText(QStringLiteral("𠮷野家"));
    EXPECT_EQ(seen, QStringList{QStringLiteral("𠮷野家")}); // no empty step in between
    EXPECT_EQ(edit.GetText(), QStringLiteral("𠮷野家"));
}

struct PasswordCase { const char *name; char16_t passwordChar; char ansi; };

class TntEditPasswordChar : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(TntEditPasswordChar, showsWideCharacterKeepsAnsiFormAndZeroEchoesAgain)
{
    const QString style = QStringLiteral("QLineEdit { color: blue; }");
    const QChar shown(GetParam().passwordChar);
    TTntEdit edit;
    edit.setStyleSheet(style);
    edit.SetText(QStringLiteral("pass"));
    edit.SetPasswordChar(QChar(u'\u2605')); // replaced by the next one
    edit.SetPasswordChar(shown);
    EXPECT_EQ(edit.echoMode(), QLineEdit::Password);
    EXPECT_EQ(edit.displayText(), QString(4, shown));
    EXPECT_EQ(edit.AnsiPasswordChar(), GetParam().ansi);
    EXPECT_EQ(edit.GetText(), QStringLiteral("pass"));
    edit.SetPasswordChar(QChar());
    EXPECT_EQ(edit.echoMode(), QLineEdit::Normal);
    EXPECT_EQ(edit.displayText(), QStringLiteral("pass"));
    EXPECT_EQ(edit.styleSheet().trimmed(), style); // the owner's rules stay
}

INSTANTIATE_TEST_SUITE_P(Table, TntEditPasswordChar,
                         ::testing::Values(PasswordCase{"hash", u'#', '#'}, PasswordCase{"lastLatin1Kept", u'\u00FF', '\xFF'},
                                           PasswordCase{"firstAbove255", u'\u0100', '*'},
                                           PasswordCase{"blackCircle", u'\u25CF', '*'}),
                         rowName);

TEST(TntEdit, selectionCountsUtf16UnitsAndClampsToTheText)
{
    TTntEdit edit;
    edit.SetText(QStringLiteral("𠮷野家"));
    edit.SetSelStart(2);
    edit.SetSelLength(99);
    EXPECT_EQ(edit.GetSelStart(), 2);
    EXPECT_EQ(edit.GetSelText(), QStringLiteral("野家"));
}

// ---- combo: item list -----------------------------------------------------------

const QStringList kFruit = {"Apple", "Apricot", "Banana", "Blueberry", QStringLiteral("いちご")};

std::unique_ptr<TTntComboBox> comboWith(const QStringList &items, TComboBoxStyle style = TComboBoxStyle::csDropDown)
{
    auto combo = std::make_unique<TTntComboBox>();
    combo->SetStyle(style);
    for (const QString &item : items)
        combo->Items().Add(item);
    return combo;
}

TEST(TntComboBoxStrings, itemsAndObjectsLiveInTheCombo)
{
    auto combo = comboWith(kFruit);
    int first = 1;
    int second = 2;
    combo->AddItem(QStringLiteral("𠮷"), &first);
    TTntComboBoxStrings &items = combo->Items();
    ASSERT_EQ(items.Count(), 6);
    EXPECT_EQ(items.Get(5), QStringLiteral("𠮷"));
    EXPECT_EQ(items.Objects(5), &first);
    items.PutObject(0, &second);
    items.Put(0, "Avocado");
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Avocado"));
    EXPECT_EQ(items.Objects(0), &second); // a new text keeps the object
    items.Insert(1, "Akebi");
    EXPECT_EQ(combo->itemText(1), QStringLiteral("Akebi"));
    items.Delete(1);
    EXPECT_EQ(items.Get(1), QStringLiteral("Apricot"));
    EXPECT_EQ(items.IndexOf("BANANA"), 2); // exact search ignores case
    EXPECT_EQ(items.IndexOf("Banan"), -1);
    EXPECT_EQ(items.IndexOf(QStringLiteral("いちご")), 4);
}

TEST(TntComboBoxStrings, badIndexReadsEmptyButRaisesForOtherOperationsAndRefusedItems)
{
    auto combo = comboWith(kFruit);
    EXPECT_EQ(combo->Items().Get(-1), QString());
    EXPECT_EQ(combo->Items().Get(99), QString());
    EXPECT_THROW((void)combo->Items().GetObject(99), EStringListError);
    EXPECT_THROW(combo->Items().Delete(5), EStringListError);
    EXPECT_THROW(combo->Items().Put(-1, "x"), EStringListError);
    EXPECT_THROW(combo->Items().Insert(6, "c"), EOutOfResources);
    combo->setMaxCount(5);
    EXPECT_THROW(combo->Items().Add("c"), EOutOfResources);
    EXPECT_EQ(combo->Items().Count(), 5);
}

TEST(TntComboBoxStrings, addingChoosesNoneAndClearingKeepsTheTextWithoutChangeEvent)
{
    TTntComboBox combo;
    combo.SetText(QStringLiteral("自由入力"));
    combo.Items().Add(QStringLiteral("配偶者"));
    combo.Items().Add(QStringLiteral("子"));
    EXPECT_EQ(combo.GetItemIndex(), -1);
    EXPECT_EQ(combo.GetText(), QStringLiteral("自由入力"));
    combo.SetItemIndex(1);
    combo.SetText(QStringLiteral("子供"));
    int changes = 0;
    combo.OnChange = [&](QObject *) { ++changes; };
    combo.Items().Clear();
    EXPECT_EQ(combo.Items().Count(), 0);
    EXPECT_EQ(combo.GetText(), QStringLiteral("子供"));
    EXPECT_EQ(changes, 0);
}

// ---- combo: text, index, style --------------------------------------------------

TEST(TntComboBox, itemIndexAndDropDownListTextChooseAnItemWithoutEvents)
{
    auto combo = comboWith(kFruit, TComboBoxStyle::csDropDownList);
    int events = 0;
    combo->OnClick = combo->OnSelect = combo->OnChange = [&](QObject *) { ++events; };
    combo->SetItemIndex(2);
    EXPECT_EQ(combo->GetText(), QStringLiteral("Banana"));
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->GetItemIndex(), -1);
    combo->SetText(QStringLiteral("いちご"));
    EXPECT_EQ(combo->GetItemIndex(), 4);
    EXPECT_EQ(combo->GetText(), QStringLiteral("いちご"));
    combo->SetText("Cherry"); // no such item
    EXPECT_EQ(combo->GetItemIndex(), -1);
    EXPECT_EQ(combo->GetText(), QString());
    EXPECT_EQ(events, 0);
}

TEST(TntComboBox, changingStyleKeepsItemsSelectionAndText)
{
    auto combo = comboWith(kFruit);
    combo->SetItemIndex(4);
    for (TComboBoxStyle style : {TComboBoxStyle::csDropDownList, TComboBoxStyle::csDropDown}) {
        combo->SetStyle(style);
        EXPECT_EQ(combo->GetStyle(), style);
        EXPECT_EQ(combo->isEditable(), style == TComboBoxStyle::csDropDown);
        EXPECT_EQ(combo->Items().Count(), 5);
        EXPECT_EQ(combo->GetItemIndex(), 4);
        EXPECT_EQ(combo->GetText(), QStringLiteral("いちご"));
    }
    EXPECT_EQ(combo->lineEdit()->completer(), nullptr);
}

TEST(TntComboBox, userSelectionSetsTextThenFiresClickThenSelect)
{
    auto combo = comboWith(kFruit, TComboBoxStyle::csDropDownList);
    combo->SetItemIndex(0);
    QStringList events;
    combo->OnClick = [&](QObject *) { events << QStringLiteral("Click:") + combo->GetText(); };
    combo->OnSelect = [&](QObject *) { events << QStringLiteral("Select:") + combo->GetText(); };
    QTest::keyClick(combo.get(), Qt::Key_Down);
    EXPECT_EQ(events, (QStringList{"Click:Apricot", "Select:Apricot"}));
}

// ---- combo: SelectItem and auto-complete ------------------------------------------

TEST(TntComboBox, selectItemChoosesTheFirstMatchAndSelectsTheCompletion)
{
    auto combo = comboWith(kFruit);
    int clicks = 0;
    combo->OnClick = [&](QObject *) { ++clicks; };
    EXPECT_FALSE(combo->SelectItem("Ap", true, true)); // unique only, and two items match
    EXPECT_FALSE(combo->SelectItem("Cherry", true, false));
    EXPECT_EQ(combo->GetItemIndex(), -1);
    ASSERT_TRUE(combo->SelectItem("bl", true, false));
    EXPECT_EQ(combo->GetItemIndex(), 3);
    EXPECT_EQ(combo->GetText(), QStringLiteral("blueberry"));
    EXPECT_EQ(combo->lineEdit()->selectedText(), QStringLiteral("ueberry"));
    EXPECT_EQ(clicks, 1);
    ASSERT_TRUE(combo->SelectItem("Apr", true, true));
    EXPECT_EQ(combo->GetItemIndex(), 1);
}

TEST(TntComboBox, editPartAutoCompletesTypedTextOnceSwitchedOn)
{
    auto combo = comboWith(kFruit);
    EXPECT_FALSE(combo->GetAutoComplete()); // the joint-owner combo relies on it being off
    combo->SetAutoComplete(true);
    int changes = 0;
    combo->OnChange = [&](QObject *) { ++changes; };
    QTest::keyClicks(combo->lineEdit(), "ban");
    EXPECT_EQ(combo->GetText(), QStringLiteral("banana"));
    EXPECT_EQ(combo->lineEdit()->selectedText(), QStringLiteral("ana"));
    EXPECT_EQ(combo->GetItemIndex(), 2);
    EXPECT_EQ(changes, 1); // "a" and "n" only confirm what the completion showed
    QTest::keyClicks(combo->lineEdit(), "x"); // no item: typed over the completion
    EXPECT_EQ(combo->GetText(), QStringLiteral("banx"));
}

// ---- combo: incremental search of the drop-down list ----------------------------

struct SearchKey { char key; qint64 atMs; int expectedIndex; }; // key '\b': Backspace
// events: OnClick and OnSelect of all keys, when checked.
struct SearchCase { const char *name; std::vector<SearchKey> keys; const char *events = nullptr; };

class DropDownListSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(DropDownListSearch, findsItemsByTypedPrefixWithinThePause)
{
    auto combo = comboWith(kFruit, TComboBoxStyle::csDropDownList);
    combo->SetAutoComplete(true);
    qint64 now = 0;
    combo->SetClock([&] { return now; });
    QStringList events;
    combo->OnClick = [&](QObject *) { events << QStringLiteral("Click:") + combo->GetText(); };
    combo->OnSelect = [&](QObject *) { events << QStringLiteral("Select"); };
    for (const SearchKey &k : GetParam().keys) {
        now = k.atMs;
        if (k.key == '\b')
            QTest::keyClick(combo.get(), Qt::Key_Backspace);
        else
            QTest::keyClick(combo.get(), k.key);
        EXPECT_EQ(combo->GetItemIndex(), k.expectedIndex) << "after '" << k.key << "' at " << k.atMs << " ms";
    }
    if (GetParam().events) {
        EXPECT_EQ(events.join(QStringLiteral(", ")), QString::fromUtf8(GetParam().events));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DropDownListSearch,
    ::testing::Values(
        SearchCase{"pauseRestartsSearch", {{'a', 1000, 0}, {'b', 2250, 2}}},
        SearchCase{"justUnderPauseContinues", {{'b', 1000, 2}, {'l', 2249, 3}}},
        SearchCase{"clickAndSelectOnlyOnChange", {{'a', 0, 0}, {'p', 100, 0}}, "Click:Apple, Select"}),
    rowName);

} // namespace
