// One-line edits and what the user inserts into them: a line break or a tab
// becomes a blank between words, any other control character stays out, by
// whatever road the text comes (paste, drop, input method), in every kind of
// edit the windows place.
#include "support/KeyInput.h"
#include "support/RowName.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/NMDEdit.h"
#include "widgets/NumEdit.h"
#include "widgets/OneLineEdits.h"
#include "widgets/TntNMDEdit.h"
#include "widgets/TntStdCtrls.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QDialog>
#include <QIntValidator>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// ---- the rule ---------------------------------------------------------------------

struct RuleCase {
    const char *name;
    const char16_t *text;
    const char16_t *expected;
    const char16_t *leftOut; // joined
};

class OneLineRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(OneLineRule, makesPastedTextOneLine)
{
    QStringList leftOut;
    EXPECT_EQ(OneLineText(QString::fromUtf16(GetParam().text), &leftOut), QString::fromUtf16(GetParam().expected));
    EXPECT_EQ(leftOut.join(QString()), QString::fromUtf16(GetParam().leftOut));
}

INSTANTIATE_TEST_SUITE_P(
    Table, OneLineRule,
    ::testing::Values(
        RuleCase{"plainTextStays", u"東京都 千代田区", u"東京都 千代田区", u""},
        RuleCase{"emptyStays", u"", u"", u""},
        RuleCase{"crLfBetweenWordsIsOneBlank", u"東京都\r\n千代田区", u"東京都 千代田区", u""},
        RuleCase{"lineFeedAlone", u"a\nb", u"a b", u""},
        RuleCase{"carriageReturnAlone", u"a\rb", u"a b", u""},
        RuleCase{"runOfEmptyLinesIsOneBlank", u"a\r\n\r\n\n\rb", u"a b", u""},
        RuleCase{"tabIsABreak", u"a\tb", u"a b", u""},
        RuleCase{"verticalTabAndFormFeed", u"a\vb\fc", u"a b c", u""},
        RuleCase{"unicodeLineAndParagraphSeparators", u"a\u2028b\u2029c\u0085d", u"a b c d", u""},
        RuleCase{"breakAtTheEndOfACopiedLineGoes", u"山田太郎\r\n", u"山田太郎", u""},
        RuleCase{"breakAtTheStartGoes", u"\n\t山田", u"山田", u""},
        RuleCase{"breaksAloneLeaveNothing", u"\r\n\r\n", u"", u""},
        RuleCase{"blanksAroundABreakStay", u"a \n b", u"a   b", u""},
        RuleCase{"bellLeftOut", u"a\ab", u"ab", u"\a"},
        RuleCase{"endOfFileMarkLeftOut", u"a\x1A", u"a", u"\x1A"},
        RuleCase{"deleteAndC1LeftOutOnceEach", u"a\x7F\x80\x7F" u"b\x9F", u"ab", u"\x7F\x80\x9F"},
        RuleCase{"controlInsideARunOfBreaksKeepsOneBlank", u"a\r\a\nb", u"a b", u"\a"},
        RuleCase{"controlBeforeTheFirstWordLeavesNoBlank", u"\a\nb", u"b", u"\a"},
        RuleCase{"surrogatePairsStay", u"𠮷\n😀", u"𠮷 😀", u""},
        RuleCase{"noBreakSpaceIsNoControl", u"a\u00A0b", u"a\u00A0b", u""}),
    rowName);

TEST(OneLineRule, aNulInsideTheTextIsLeftOut)
{
    QStringList leftOut;
    EXPECT_EQ(OneLineText(QStringLiteral("a") + QChar(0) + QStringLiteral("\nb"), &leftOut), QStringLiteral("a b"));
    EXPECT_EQ(leftOut, QStringList{QString(QChar(0))});
}

// ---- every kind of edit, every road ------------------------------------------------

// An edit of one kind inside a shown window, and the line edit the user types in.
struct Placed {
    std::unique_ptr<QDialog> window;
    QLineEdit *edit = nullptr;
};

using Maker = std::function<QWidget *(QWidget *)>;

struct KindCase {
    const char *name;
    Maker make;
};

QLineEdit *typingPart(QWidget *w)
{
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->lineEdit();
    return qobject_cast<QLineEdit *>(w);
}

Placed place(const Maker &make)
{
    Placed placed;
    placed.window = std::make_unique<QDialog>();
    auto *layout = new QVBoxLayout(placed.window.get());
    QWidget *w = make(placed.window.get());
    layout->addWidget(w);
    placed.window->show();
    placed.edit = typingPart(w);
    placed.edit->setFocus();
    return placed;
}

const KindCase kKinds[] = {
    {"tntEditWithoutLimit", [](QWidget *p) { return new TTntEdit(p); }},
    {"tntEditWithByteLimit",
     [](QWidget *p) {
         auto *e = new TTntEdit(p);
         e->SetMaxLengthBytes(40);
         return e;
     }},
    {"tntEditWithUnitLimit",
     [](QWidget *p) {
         auto *e = new TTntEdit(p);
         e->SetMaxLengthUnits(20);
         return e;
     }},
    {"tntEditWhoseLimitWasTakenAway",
     [](QWidget *p) {
         auto *e = new TTntEdit(p);
         e->SetMaxLengthBytes(40);
         e->SetMaxLengthBytes(0);
         return e;
     }},
    {"nameEditOfWideText", [](QWidget *p) { return new TTntNMDEdit(p); }},
    {"nameEdit", [](QWidget *p) { return new TNMDEdit(p); }},
    {"nameComboBox", [](QWidget *p) { return new TNMDComboBox(p); }},
    {"tntComboBox", [](QWidget *p) { return new TTntComboBox(p); }},
    {"tntComboBoxMadeEditableAgain",
     [](QWidget *p) {
         auto *c = new TTntComboBox(p);
         c->SetStyle(TComboBoxStyle::csDropDownList);
         c->SetStyle(TComboBoxStyle::csDropDown);
         return c;
     }},
    {"numberEdit", [](QWidget *p) { return new TNumEdit(p); }},
    {"numberEditNoLongerDigitsOnly",
     [](QWidget *p) {
         auto *e = new TNumEdit(p);
         e->SetNumOnly(true);
         e->SetNumOnly(false);
         return e;
     }},
    {"plainEditWithAByteLimit",
     [](QWidget *p) {
         auto *e = new QLineEdit(p);
         e->setValidator(new TByteLimitValidator(40, e));
         return e;
     }},
    // The plain edits and combo boxes of the dialogs, kept on one line by
    // the application (the test main installs it as the program does).
    {"plainEdit", [](QWidget *p) { return new QLineEdit(p); }},
    {"plainEditableComboBox",
     [](QWidget *p) {
         auto *c = new QComboBox(p);
         c->setEditable(true);
         return c;
     }},
};

enum class Road { Paste, Drop, InputMethod };

struct RoadCase {
    const char *name;
    Road road;
};

const RoadCase kRoads[] = {{"paste", Road::Paste}, {"drop", Road::Drop}, {"inputMethod", Road::InputMethod}};

void insert(QLineEdit *edit, Road road, const QString &text)
{
    switch (road) {
    case Road::Paste: PasteText(edit, text); break;
    case Road::Drop: DropText(edit, text); break;
    case Road::InputMethod: CommitThroughInputMethod(edit, text); break;
    }
}

class OneLineEdit : public ::testing::TestWithParam<std::tuple<KindCase, RoadCase>>
{
protected:
    void SetUp() override { placed = place(std::get<0>(GetParam()).make); }
    Road road() const { return std::get<1>(GetParam()).road; }
    Placed placed;
};

TEST_P(OneLineEdit, takesALineBreakAsABlank)
{
    insert(placed.edit, road(), QStringLiteral("東京都\r\n千代田区\n"));
    EXPECT_EQ(placed.edit->text(), QStringLiteral("東京都 千代田区"));
}

TEST_P(OneLineEdit, leavesOtherControlCharactersOutAndNamesThem)
{
    insert(placed.edit, road(), QStringLiteral("鍵\a錠"));
    EXPECT_EQ(placed.edit->text(), QStringLiteral("鍵錠"));
    EXPECT_EQ(ShownInputRefusedHint(), QStringLiteral("この文字は保存できません: (U+0007)"));
}

TEST_P(OneLineEdit, refusesTextOfControlCharactersAloneAndKeepsItsOwn)
{
    placed.edit->insert(QStringLiteral("山田"));
    insert(placed.edit, road(), QStringLiteral("\x1A"));
    EXPECT_EQ(placed.edit->text(), QStringLiteral("山田"));
}

TEST_P(OneLineEdit, typingGoesOnAfterTheBreak)
{
    insert(placed.edit, road(), QStringLiteral("a\r\n"));
    placed.edit->end(false);
    TypeCharacters(placed.edit, QStringLiteral("b"));
    EXPECT_EQ(placed.edit->text(), QStringLiteral("ab"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, OneLineEdit, ::testing::Combine(::testing::ValuesIn(kKinds), ::testing::ValuesIn(kRoads)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

// ---- what the program sets, and edits with a rule of their own -------------------

TEST(OneLineEdits, textTheProgramSetsIsShownAsItStands)
{
    Placed placed = place([](QWidget *p) { return new TTntEdit(p); });
    placed.edit->setText(QStringLiteral("a\nb"));
    EXPECT_EQ(placed.edit->text(), QStringLiteral("a\nb"));
}

TEST(OneLineEdits, anEditWithAValidatorOfItsOwnKeepsIt)
{
    Placed placed = place([](QWidget *p) {
        auto *e = new QLineEdit(p);
        e->setValidator(new QIntValidator(0, 999, e));
        return e;
    });
    EXPECT_NE(qobject_cast<const QIntValidator *>(placed.edit->validator()), nullptr);
    PasteText(placed.edit, QStringLiteral("12\n"));
    EXPECT_EQ(placed.edit->text(), QString());
}

TEST(OneLineEdits, aPlainEditWhoseValidatorWasTakenAwayIsKeptOnOneLineWhenTheUserComesBack)
{
    Placed placed = place([](QWidget *p) { return new QLineEdit(p); });
    placed.edit->setValidator(nullptr);
    placed.window->setFocus();
    placed.edit->setFocus();
    QTest::keyClick(placed.edit, Qt::Key_End);
    PasteText(placed.edit, QStringLiteral("a\nb"));
    EXPECT_EQ(placed.edit->text(), QStringLiteral("a b"));
}

TEST(OneLineEdits, theCtrlVKeyPastesOnOneLine)
{
    Placed placed = place([](QWidget *p) { return new QLineEdit(p); });
    QGuiApplication::clipboard()->setText(QStringLiteral("千代田区\r\n永田町\r\n"));
    QTest::keyClick(placed.edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(placed.edit->text(), QStringLiteral("千代田区 永田町"));
}

// The limits count what goes in: the blank, not the two bytes of CR LF.
TEST(OneLineEdits, theByteLimitCountsTheBlank)
{
    Placed placed = place([](QWidget *p) {
        auto *e = new TTntEdit(p);
        e->SetMaxLengthBytes(5);
        return e;
    });
    PasteText(placed.edit, QStringLiteral("ab\r\ncd"));
    EXPECT_EQ(placed.edit->text(), QStringLiteral("ab cd"));
}

} // namespace
