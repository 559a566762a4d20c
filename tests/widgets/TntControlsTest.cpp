#include "platform/Cp932.h"
#include "widgets/TntControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray sjis(const char16_t *text) { return Cp932::encode(QString::fromUtf16(text)); }

// ---- Synced strings -------------------------------------------------------------

struct SetSyncedCase {
    const char *name;
    const char16_t *wide;      // wide value before
    QByteArray ansi;           // byte side before
    const char16_t *value;     // value set
    QList<QByteArray> setAnsi; // calls of the byte setter, in order
    const char16_t *wideAfter;
};

void PrintTo(const SetSyncedCase &c, std::ostream *os) { *os << c.name; }

class SetSyncedWideStringCases : public ::testing::TestWithParam<SetSyncedCase> {};

TEST_P(SetSyncedWideStringCases, callsTheByteSetterOnlyForARealChange)
{
    const SetSyncedCase &c = GetParam();
    QString wide = QString::fromUtf16(c.wide);
    QList<QByteArray> calls;
    SetSyncedWideString(QString::fromUtf16(c.value), wide, c.ansi, [&](const QByteArray &bytes) { calls << bytes; });
    EXPECT_EQ(calls, c.setAnsi);
    EXPECT_EQ(wide, QString::fromUtf16(c.wideAfter));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetSyncedWideStringCases,
    ::testing::Values(
        SetSyncedCase{"sameValue", u"住所", sjis(u"住所"), u"住所", {}, u"住所"},
        SetSyncedCase{"sameLossyValue", u"𠮷", "?", u"𠮷", {}, u"𠮷"},
        SetSyncedCase{"plainChange", u"住所", sjis(u"住所"), u"氏名", {sjis(u"氏名")}, u"氏名"},
        // "é" and "𠮷" both become "?": without the empty step nobody would
        // notice the change on the byte side.
        SetSyncedCase{"lossyOverSameBytes", u"𠮷", "?", u"é", {"", "?"}, u"é"},
        SetSyncedCase{"lossyOverOtherBytes", u"abc", "abc", u"é", {"?"}, u"é"},
        // The byte side was changed to "xyz" by someone else; setting the old
        // wide text again is a change.
        SetSyncedCase{"bytesChangedElsewhere", u"abc", "xyz", u"abc", {"abc"}, u"abc"},
        SetSyncedCase{"bytesChangedToTheValue", u"abc", "xyz", u"xyz", {}, u"xyz"},
        SetSyncedCase{"representableOverLossy", u"é", "?", u"?", {"?"}, u"?"},
        SetSyncedCase{"toEmpty", u"𠮷", "?", u"", {""}, u""}),
    [](const ::testing::TestParamInfo<SetSyncedCase> &info) { return std::string(info.param.name); });

struct GetSyncedCase {
    const char *name;
    const char16_t *wide;
    QByteArray ansi;
    const char16_t *expected;
};

void PrintTo(const GetSyncedCase &c, std::ostream *os) { *os << c.name; }

class GetSyncedWideStringCases : public ::testing::TestWithParam<GetSyncedCase> {};

TEST_P(GetSyncedWideStringCases, keepsTheWideTextUntilTheBytesDisagree)
{
    const GetSyncedCase &c = GetParam();
    QString wide = QString::fromUtf16(c.wide);
    EXPECT_EQ(GetSyncedWideString(wide, c.ansi), QString::fromUtf16(c.expected));
    EXPECT_EQ(wide, QString::fromUtf16(c.expected)); // taken over for good
}

INSTANTIATE_TEST_SUITE_P(
    Table, GetSyncedWideStringCases,
    ::testing::Values(GetSyncedCase{"lossyWideStays", u"𠮷é", "??", u"𠮷é"},
                      GetSyncedCase{"changedBytesWin", u"𠮷", sjis(u"ピルカノス"), u"ピルカノス"},
                      GetSyncedCase{"emptyWideTakesBytes", u"", sjis(u"①ｶﾅ～"), u"①ｶﾅ～"},
                      GetSyncedCase{"emptiedBytesWin", u"住所", "", u""}),
    [](const ::testing::TestParamInfo<GetSyncedCase> &info) { return std::string(info.param.name); });

// ---- Wide text of the widget kinds ---------------------------------------------

struct TextKind {
    const char *name;
    std::function<QWidget *(QWidget *parent)> make;
    const char *changeSignal; // null: the kind has no change signal
};

void PrintTo(const TextKind &c, std::ostream *os) { *os << c.name; }

const QString kWideSample = QStringLiteral("住所録𠮷é①");

class WideTextOfKind : public ::testing::TestWithParam<TextKind> {};

TEST_P(WideTextOfKind, setsAndReadsTheWideTextAndIgnoresAnEqualText)
{
    QWidget parent;
    QWidget *widget = GetParam().make(&parent);
    std::unique_ptr<QSignalSpy> spy;
    if (GetParam().changeSignal)
        spy = std::make_unique<QSignalSpy>(widget, GetParam().changeSignal);

    SetWideText(widget, kWideSample);
    EXPECT_EQ(GetWideText(widget), kWideSample);
    EXPECT_EQ(GetStoredWideText(widget, QStringLiteral("default")), kWideSample);
    const qsizetype notified = spy ? spy->count() : 0;
    if (spy) {
        EXPECT_EQ(notified, 1);
    }

    SetWideText(widget, kWideSample);
    if (spy) {
        EXPECT_EQ(spy->count(), notified) << "an equal text must not notify";
    }
}

template <typename T> QWidget *makeChild(QWidget *parent) { return new T(parent); }

QWidget *makeDropDownList(QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->addItems({QStringLiteral("一"), kWideSample});
    return combo;
}

QWidget *makeEditableCombo(QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setEditable(true);
    return combo;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WideTextOfKind,
    ::testing::Values(TextKind{"lineEdit", makeChild<QLineEdit>, SIGNAL(textChanged(QString))},
                      TextKind{"editableCombo", makeEditableCombo, SIGNAL(editTextChanged(QString))},
                      TextKind{"dropDownList", makeDropDownList, SIGNAL(currentTextChanged(QString))},
                      TextKind{"pushButton", makeChild<QPushButton>, nullptr},
                      TextKind{"checkBox", makeChild<QCheckBox>, nullptr},
                      TextKind{"label", makeChild<QLabel>, nullptr},
                      TextKind{"groupBox", makeChild<QGroupBox>, nullptr},
                      TextKind{"textEdit", makeChild<QTextEdit>, SIGNAL(textChanged())},
                      TextKind{"plainTextEdit", makeChild<QPlainTextEdit>, SIGNAL(textChanged())},
                      TextKind{"topLevelWindow", [](QWidget *parent) { return new QWidget(parent, Qt::Window); },
                               SIGNAL(windowTitleChanged(QString))},
                      TextKind{"plainChild", makeChild<QWidget>, nullptr}),
    [](const ::testing::TestParamInfo<TextKind> &info) { return std::string(info.param.name); });

TEST(WideText, dropDownListKeepsItsItemWhenNoItemHasTheText)
{
    QComboBox combo;
    combo.addItems({QStringLiteral("一"), QStringLiteral("二")});
    combo.setCurrentIndex(1);
    SetWideText(&combo, QStringLiteral("三"));
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(GetWideText(&combo), QStringLiteral("二"));
}

TEST(WideText, storedTextOfAWidgetWithoutTextFallsBackToTheDefault)
{
    QWidget parent;
    auto *plain = new QWidget(&parent);
    EXPECT_EQ(GetStoredWideText(plain, QStringLiteral("既定")), QStringLiteral("既定"));
    SetStoredWideText(plain, QString());
    EXPECT_EQ(GetStoredWideText(plain, QStringLiteral("既定")), QString());
    EXPECT_EQ(GetWideText(nullptr), QString());
    EXPECT_EQ(GetStoredWideText(nullptr, QStringLiteral("既定")), QStringLiteral("既定"));
}

// ---- Hints ---------------------------------------------------------------------------

struct HintCase {
    const char16_t *hint;
    const char16_t *shortHint;
    const char16_t *longHint;
};

void PrintTo(const HintCase &c, std::ostream *os) { *os << QString::fromUtf16(c.hint).toStdString(); }

class HintParts : public ::testing::TestWithParam<HintCase> {};

TEST_P(HintParts, splitAtTheFirstBarIntoToolTipAndStatusTip)
{
    const HintCase &c = GetParam();
    const QString hint = QString::fromUtf16(c.hint);
    EXPECT_EQ(WideGetShortHint(hint), QString::fromUtf16(c.shortHint));
    EXPECT_EQ(WideGetLongHint(hint), QString::fromUtf16(c.longHint));

    QLineEdit edit;
    SetWideHint(&edit, hint);
    EXPECT_EQ(edit.toolTip(), QString::fromUtf16(c.shortHint));
    EXPECT_EQ(edit.statusTip(), QString::fromUtf16(c.longHint));
    EXPECT_EQ(GetWideHint(&edit), hint);
}

INSTANTIATE_TEST_SUITE_P(Table, HintParts,
                         ::testing::Values(HintCase{u"開く|別のアドレス帳を開きます", u"開く", u"別のアドレス帳を開きます"},
                                           HintCase{u"全体", u"全体", u"全体"}, HintCase{u"", u"", u""},
                                           HintCase{u"|長い", u"", u"長い"}, HintCase{u"短い|", u"短い", u""},
                                           HintCase{u"a|b|c", u"a", u"b|c"}, HintCase{u"𠮷|é", u"𠮷", u"é"}));

TEST(WideHint, isRebuiltFromTheTipsWhenTheyWereChangedDirectly)
{
    QLineEdit edit;
    SetWideHint(&edit, QStringLiteral("短い|長い"));
    edit.setToolTip(QStringLiteral("別"));
    EXPECT_EQ(GetWideHint(&edit), QStringLiteral("別|長い"));

    QLabel label;
    label.setToolTip(QStringLiteral("ツールチップだけ"));
    EXPECT_EQ(GetWideHint(&label), QStringLiteral("ツールチップだけ|"));
    EXPECT_EQ(WideGetLongHint(GetWideHint(&label)), QString());
}

TEST(WideHint, comesFromTheNearestParentWithAHint)
{
    QWidget window;
    auto *panel = new QWidget(&window);
    auto *edit = new QLineEdit(panel);
    EXPECT_EQ(WideGetHint(edit), QString());
    SetWideHint(&window, QStringLiteral("窓|窓の説明"));
    EXPECT_EQ(WideGetHint(edit), QStringLiteral("窓|窓の説明"));
    SetWideHint(panel, QStringLiteral("枠|枠の説明"));
    EXPECT_EQ(WideGetHint(edit), QStringLiteral("枠|枠の説明"));
    SetWideHint(edit, QStringLiteral("欄"));
    EXPECT_EQ(WideGetHint(edit), QStringLiteral("欄"));
    EXPECT_EQ(WideGetHint(nullptr), QString());
}

} // namespace
