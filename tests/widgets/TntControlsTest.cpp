#include "platform/Cp932.h"
#include "support/RowName.h"
#include "widgets/TntControls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using namespace Qt::StringLiterals;

// ---- Synced strings -------------------------------------------------------------

// wide, ansi: both sides before; value: the value set; setAnsi: calls of the byte setter, in order.
struct SetSyncedCase { const char *name; QString wide; QByteArray ansi; QString value; QList<QByteArray> setAnsi; };
class SetSyncedWideStringCases : public ::testing::TestWithParam<SetSyncedCase> {};

TEST_P(SetSyncedWideStringCases, callsTheByteSetterOnlyForARealChange)
{
    const SetSyncedCase &c = GetParam();
    QString wide = c.wide;
    QList<QByteArray> calls;
    SetSyncedWideString(c.value, wide, c.ansi, [&](const QByteArray &bytes) { calls << bytes; });
    EXPECT_EQ(calls, c.setAnsi);
    EXPECT_EQ(wide, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetSyncedWideStringCases,
    ::testing::ValuesIn(std::vector<SetSyncedCase>{
        {"sameLossyValue", u"𠮷"_s, "?", u"𠮷"_s, {}},
        // "é" and "𠮷" both become "?": without the empty step nobody would
        // notice the change on the byte side.
        {"lossyOverSameBytes", u"𠮷"_s, "?", u"é"_s, {"", "?"}},
        // The byte side was changed to "xyz" by someone else; setting the old
        // wide text again is a change.
        {"bytesChangedElsewhere", u"abc"_s, "xyz", u"abc"_s, {"abc"}},
        {"toEmpty", u"𠮷"_s, "?", {}, {""}}}),
    rowName);

struct GetSyncedCase { const char *name; QString wide; QByteArray ansi; QString expected; };
class GetSyncedWideStringCases : public ::testing::TestWithParam<GetSyncedCase> {};

TEST_P(GetSyncedWideStringCases, keepsTheWideTextUntilTheBytesDisagree)
{
    QString wide = GetParam().wide;
    EXPECT_EQ(GetSyncedWideString(wide, GetParam().ansi), GetParam().expected);
    EXPECT_EQ(wide, GetParam().expected); // taken over for good
}

INSTANTIATE_TEST_SUITE_P(Table, GetSyncedWideStringCases,
                         ::testing::ValuesIn(std::vector<GetSyncedCase>{
                             {"lossyWideStays", u"𠮷é"_s, "??", u"𠮷é"_s},
                             {"changedBytesWin", u"𠮷"_s, Cp932::encode(u"ピルカノス"), u"ピルカノス"_s},
                             {"emptiedBytesWin", u"住所"_s, "", {}}}),
                         rowName);

// ---- Wide text of the widget kinds ---------------------------------------------

const QString kWideSample = u"住所録𠮷é①"_s;

// changeSignal null: the kind has no change signal.
struct TextKind { const char *name; std::function<QWidget *(QWidget *parent)> make; const char *changeSignal; };
class WideTextOfKind : public ::testing::TestWithParam<TextKind> {};

TEST_P(WideTextOfKind, setsAndReadsTheWideTextAndNotifiesOnlyForAChange)
{
    QWidget parent;
    QWidget *widget = GetParam().make(&parent);
    std::unique_ptr<QSignalSpy> spy;
    if (GetParam().changeSignal)
        spy = std::make_unique<QSignalSpy>(widget, GetParam().changeSignal);
    SetWideText(widget, kWideSample);
    EXPECT_EQ(GetWideText(widget), kWideSample);
    EXPECT_EQ(GetStoredWideText(widget, u"default"_s), kWideSample);
    SetWideText(widget, kWideSample); // an equal text must not notify
    EXPECT_EQ(spy ? spy->count() : 1, 1);
}

template <typename T> QWidget *makeChild(QWidget *parent) { return new T(parent); }
QWidget *makeCombo(QWidget *parent, bool editable) // a drop-down list holds the sample as its second item
{
    auto *combo = new QComboBox(parent);
    combo->setEditable(editable);
    if (!editable)
        combo->addItems({u"一"_s, kWideSample});
    return combo;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WideTextOfKind,
    ::testing::ValuesIn(std::vector<TextKind>{
        {"lineEdit", makeChild<QLineEdit>, SIGNAL(textChanged(QString))},
        {"editableCombo", [](QWidget *p) { return makeCombo(p, true); }, SIGNAL(editTextChanged(QString))},
        {"dropDownList", [](QWidget *p) { return makeCombo(p, false); }, SIGNAL(currentTextChanged(QString))},
        {"label", makeChild<QLabel>, nullptr}, {"plainTextEdit", makeChild<QPlainTextEdit>, SIGNAL(textChanged())},
        {"topLevelWindow", [](QWidget *p) { return new QWidget(p, Qt::Window); },
         SIGNAL(windowTitleChanged(QString))}}),
    rowName);

TEST(WideText, dropDownListKeepsItsItemWhenNoItemHasTheText)
{
    QComboBox combo;
    combo.addItems({u"一"_s, u"二"_s});
    combo.setCurrentIndex(1);
    SetWideText(&combo, u"三"_s);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(GetWideText(&combo), u"二"_s);
}

TEST(WideText, storedTextOfAWidgetWithoutTextFallsBackToTheDefault)
{
    QWidget parent;
    auto *plain = new QWidget(&parent);
    EXPECT_EQ(GetStoredWideText(plain, u"既定"_s), u"既定"_s);
    SetStoredWideText(plain, QString());
    EXPECT_EQ(GetStoredWideText(plain, u"既定"_s), QString());
}

// ---- Hints ---------------------------------------------------------------------------

struct HintCase { QString hint, shortHint, longHint; };
class HintParts : public ::testing::TestWithParam<HintCase> {};

TEST_P(HintParts, splitAtTheFirstBarIntoToolTipAndStatusTip)
{
    const HintCase &c = GetParam();
    EXPECT_EQ(WideGetShortHint(c.hint), c.shortHint);
    EXPECT_EQ(WideGetLongHint(c.hint), c.longHint);
    QLineEdit edit;
    SetWideHint(&edit, c.hint);
    EXPECT_EQ(edit.toolTip(), c.shortHint);
    EXPECT_EQ(edit.statusTip(), c.longHint);
    EXPECT_EQ(GetWideHint(&edit), c.hint);
}

INSTANTIATE_TEST_SUITE_P(Table, HintParts,
                         ::testing::ValuesIn(std::vector<HintCase>{
                             {u"開く|別のアドレス帳を開きます"_s, u"開く"_s, u"別のアドレス帳を開きます"_s},
                             {u"全体"_s, u"全体"_s, u"全体"_s}, {u"短い|"_s, u"短い"_s, {}},
                             {u"a|b|c"_s, u"a"_s, u"b|c"_s}}));

TEST(WideHint, isRebuiltFromTheTipsWhenTheyWereChangedDirectly)
{
    QLineEdit edit;
    SetWideHint(&edit, u"短い|長い"_s);
    edit.setToolTip(u"別"_s);
    EXPECT_EQ(GetWideHint(&edit), u"別|長い"_s);
    QLabel label;
    label.setToolTip(u"ツールチップだけ"_s);
    EXPECT_EQ(GetWideHint(&label), u"ツールチップだけ|"_s);
    EXPECT_EQ(WideGetLongHint(GetWideHint(&label)), QString());
}

TEST(WideHint, comesFromTheNearestParentWithAHint)
{
    QWidget window;
    auto *panel = new QWidget(&window);
    auto *edit = new QLineEdit(panel);
    SetWideHint(&window, u"窓|窓の説明"_s);
    SetWideHint(panel, u"枠|枠の説明"_s);
    EXPECT_EQ(WideGetHint(edit), u"枠|枠の説明"_s);
    SetWideHint(edit, u"欄"_s);
    EXPECT_EQ(WideGetHint(edit), u"欄"_s);
}

} // namespace
