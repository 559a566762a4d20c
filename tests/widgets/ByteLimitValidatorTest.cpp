#include "platform/Cp932.h"
#include "support/KeyInput.h"
#include "support/RowName.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

namespace {

std::unique_ptr<TTntEdit> limitedEdit(int maxBytes, const QString &text = {})
{
    auto edit = std::make_unique<TTntEdit>();
    edit->SetText(text);
    edit->SetMaxLengthBytes(maxBytes);
    return edit;
}

// ---- typing --------------------------------------------------------------------

struct TypingCase { const char *name; int maxBytes; const char16_t *typed; const char16_t *expected; };

class TypingUnderByteLimit : public ::testing::TestWithParam<TypingCase> {};

TEST_P(TypingUnderByteLimit, refusesCharactersThatDoNotFitWhole)
{
    auto edit = limitedEdit(GetParam().maxBytes);
    TypeCharacters(edit.get(), QString::fromUtf16(GetParam().typed));
    EXPECT_EQ(edit->GetText(), QString::fromUtf16(GetParam().expected));
    EXPECT_LE(Cp932::byteLength(edit->GetText()), GetParam().maxBytes > 0 ? GetParam().maxBytes : 1 << 20);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypingUnderByteLimit,
    ::testing::Values(
        TypingCase{"kanaAfterAscii", 5, u"abあい", u"abあ"},             // 4 bytes, い would make 6
        TypingCase{"singleByteStillFitsAfterRefusal", 5, u"abあいc", u"abあc"},
        TypingCase{"halfWidthKanaIsOneByte", 5, u"ｱｲｳｴｵｶ", u"ｱｲｳｴｵ"},
        TypingCase{"doubleByteNeverHalved", 3, u"aaあ", u"aa"},
        // Names in the 25-byte reading field, made of characters at the ends
        // of the lead-byte ranges: exactly 25 bytes fit, one more is refused.
        TypingCase{"nameOfExactlyTheLimit", 25, u"櫻欅檜漾珱髜黑◆燹≒　ｱｲｳｴ", u"櫻欅檜漾珱髜黑◆燹≒　ｱｲｳ"},
        TypingCase{"lastPairOneByteShort", 24, u"ｱ櫻欅檜漾珱髜黑◆燹≒　櫻ｲ", u"ｱ櫻欅檜漾珱髜黑◆燹≒　ｲ"},
        TypingCase{"zeroMeansNoLimit", 0, u"abcdefghあいうえお", u"abcdefghあいうえお"}),
    rowName);

TEST(ByteLimitValidator, refusedKeyInTheMiddleKeepsTextAndFiresNoChange)
{
    auto edit = limitedEdit(4, QStringLiteral("abあ"));
    edit->setCursorPosition(1);
    int changes = 0;
    edit->OnChange = [&](QObject *) { ++changes; };
    QSignalSpy spy(edit.get(), &QLineEdit::textChanged);
    QTest::keyClicks(edit.get(), QStringLiteral("x"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("abあ"));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(spy.count(), 0);
}

// ---- pasting -------------------------------------------------------------------

struct PasteCase {
    const char *name; int maxBytes; const char16_t *before; int caret, selected;
    const char16_t *pasted, *expected; int expectedCaret;
};

class PasteUnderByteLimit : public ::testing::TestWithParam<PasteCase> {};

TEST_P(PasteUnderByteLimit, cutsAtLastWholeCharacterThatFits)
{
    const PasteCase &c = GetParam();
    auto edit = limitedEdit(c.maxBytes, QString::fromUtf16(c.before));
    edit->setSelection(c.caret, c.selected);
    QSignalSpy spy(edit.get(), &QLineEdit::textChanged);
    edit->insert(QString::fromUtf16(c.pasted));
    EXPECT_EQ(edit->GetText(), QString::fromUtf16(c.expected));
    EXPECT_EQ(spy.count(), c.expected == std::u16string_view(c.before) ? 0 : 1);
    EXPECT_EQ(edit->cursorPosition(), c.expectedCaret);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PasteUnderByteLimit,
    ::testing::Values(
        PasteCase{"atEnd", 5, u"ab", 2, 0, u"あいう", u"abあ", 3},
        PasteCase{"atStartKeepsOldText", 5, u"ab", 0, 0, u"あいう", u"あab", 1},
        PasteCase{"oddRoomLeavesByteUnused", 5, u"abc", 3, 0, u"あい", u"abcあ", 4},
        PasteCase{"noRoomChangesNothing", 4, u"abc", 3, 0, u"あい", u"abc", 3},
        PasteCase{"selectionFreesItsBytes", 4, u"abcd", 1, 2, u"あい", u"aあd", 2},
        PasteCase{"nameCutBeforeTheLastPair", 25, u"", 0, 0, u"ｱｲ櫻欅檜漾珱髜黑◆燹≒　櫻", u"ｱｲ櫻欅檜漾珱髜黑◆燹≒　", 13}),
    rowName);

TEST(ByteLimitValidator, clipboardPasteIsCutLikeInsert)
{
    auto edit = limitedEdit(6, QStringLiteral("ab"));
    edit->setCursorPosition(2);
    QGuiApplication::clipboard()->setText(QStringLiteral("あいう"));
    edit->paste();
    EXPECT_EQ(edit->GetText(), QStringLiteral("abあい"));
}

// ---- program text and changed limits -------------------------------------------

TEST(ByteLimitValidator, programTextIsCutToTheLimit)
{
    auto edit = limitedEdit(5);
    edit->SetText(QStringLiteral("abあいう"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("abあ"));
}

TEST(ByteLimitValidator, loweredLimitKeepsLongerTextEditableButRefusesGrowth)
{
    auto edit = limitedEdit(10, QStringLiteral("あいうえ")); // 8 bytes
    edit->SetMaxLengthBytes(4);
    EXPECT_EQ(edit->GetText(), QStringLiteral("あいうえ"));
    QTest::keyClick(edit.get(), Qt::Key_Backspace);
    EXPECT_EQ(edit->GetText(), QStringLiteral("あいう"));
    QTest::keyClicks(edit.get(), QStringLiteral("x"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("あいう"));
    edit->setSelection(2, 1); // a character for one of the same width: no growth
    TypeCharacters(edit.get(), QStringLiteral("櫻"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("あい櫻"));
    edit->SetMaxLengthBytes(0); // no limit
    QTest::keyClicks(edit.get(), QStringLiteral("cd"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("あい櫻cd"));
}

TEST(ByteLimitValidator, cutToLimitKeepsWholeCharactersOfTextHeldBeforeTheLimit)
{
    auto edit = limitedEdit(10, QStringLiteral("aあいうえ")); // 9 bytes
    edit->SetMaxLengthBytes(4);
    edit->CutToMaxLengthBytes(); // byte 4 is the lead byte of い
    EXPECT_EQ(edit->GetText(), QStringLiteral("aあ"));
    edit->SetMaxLengthBytes(0);
    edit->SetText(QStringLiteral("あいうえ"));
    edit->CutToMaxLengthBytes();
    EXPECT_EQ(edit->GetText(), QStringLiteral("あいうえ"));
}

// ---- characters code page 932 lacks -------------------------------------------

const QString kRefused = QStringLiteral("この文字は保存できません: ");

struct InputRoute { const char *name; void (*enter)(QWidget *widget, const QString &text); };

const InputRoute kRoutes[] = {
    {"typed", TypeCharacters}, {"inputMethod", CommitThroughInputMethod}, {"pasted", PasteText}};

class UnstorableInput : public ::testing::TestWithParam<InputRoute> {};

TEST_P(UnstorableInput, isLeftOutAndTheHintNamesTheCharacters)
{
    auto edit = limitedEdit(100, QStringLiteral("東京"));
    edit->show();
    edit->setCursorPosition(1);
    QSignalSpy spy(edit.get(), &QLineEdit::textChanged);
    GetParam().enter(edit.get(), QStringLiteral("a𠮷😀€b"));
    // What can be stored goes in; typed one by one, each refusal names its
    // character and the last one stays.
    const bool typed = GetParam().enter == TypeCharacters;
    EXPECT_EQ(edit->GetText(), QStringLiteral("東ab京"));
    EXPECT_EQ(spy.count(), typed ? 2 : 1);
    const QString named = typed ? QStringLiteral("€") : QStringLiteral("𠮷 😀 €");
    EXPECT_EQ(ShownInputRefusedHint(), kRefused + named);
}

INSTANTIATE_TEST_SUITE_P(Routes, UnstorableInput, ::testing::ValuesIn(kRoutes), rowName);

TEST(ByteLimitValidator, aRefusedCharacterThatShowsNothingIsNamedByItsCode)
{
    auto edit = limitedEdit(100);
    edit->show();
    PasteText(edit.get(), QStringLiteral("a\u00A0b"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("ab"));
    EXPECT_EQ(ShownInputRefusedHint(), kRefused + QStringLiteral("(U+00A0)"));
}

TEST(ByteLimitValidator, programTextIsTakenAsItStandsAndTypingGoesOn)
{
    auto edit = limitedEdit(100);
    edit->show();
    edit->SetText(QStringLiteral("東京𠮷"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("東京𠮷"));
    EXPECT_TRUE(ShownInputRefusedHint().isEmpty());
    TypeCharacters(edit.get(), QStringLiteral("都"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("東京𠮷都"));
}

TEST(ByteLimitValidator, numberFieldsTakeFullWidthDigitsAndHyphensAsHalfWidth)
{
    auto edit = limitedEdit(13);
    edit->SetHalfWidthNumbers(true);
    TypeCharacters(edit.get(), QStringLiteral("０３－１２３４ー５６７８"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("03-1234-5678"));
    edit->SetText(QString());
    // 13 characters: 26 bytes full-width, 13 half-width.
    PasteText(edit.get(), QStringLiteral("０９０‐１２３４−５６７８"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("090-1234-5678"));
    edit->SetText(QStringLiteral("０３―１２"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("03-12"));
}

// ---- what the user meant ----------------------------------------------------------

TEST(ByteLimitValidator, loneSurrogatesApartAreNamedEachByItsCode)
{
    auto edit = limitedEdit(100);
    edit->show();
    PasteText(edit.get(), QStringLiteral("x") + QChar(0xD842) + QStringLiteral("y") + QChar(0xDFB7));
    EXPECT_EQ(edit->GetText(), QStringLiteral("xy"));
    EXPECT_EQ(ShownInputRefusedHint(), kRefused + QStringLiteral("(U+D842) (U+DFB7)"));
}

TEST(ByteLimitValidator, theHintLeavesWhenTheFocusLeavesItsField)
{
    QWidget window;
    auto *edit = new TTntEdit(&window);
    auto *other = new TTntEdit(&window);
    edit->SetMaxLengthBytes(10);
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    PasteText(edit, QStringLiteral("😀"));
    ASSERT_FALSE(ShownInputRefusedHint().isEmpty());
    other->setFocus();
    EXPECT_TRUE(ShownInputRefusedHint().isEmpty());
}

struct CutCase { const char *name; int limit; bool units; const char16_t *before; const char16_t *pasted;
                 const char16_t *expected; const char16_t *hint; };

const CutCase kCuts[] = {
    {"bytesNameTheCutEnd", 6, false, u"ab", u"あいう", u"abあい",
     u"この欄には半角6文字（全角3文字）までしか入りません。入らなかった部分: う"},
    {"unitsKeepASurrogatePairWhole", 3, true, u"山田", u"𠮷", u"山田",
     u"この欄には3文字までしか入りません。入らなかった部分: 𠮷"},
    {"unitsCutAfterTheLastWholeCharacter", 3, true, u"山", u"田𠮷子", u"山田",
     u"この欄には3文字までしか入りません。入らなかった部分: 𠮷子"},
};

class PasteBeyondTheLimit : public ::testing::TestWithParam<CutCase> {};

TEST_P(PasteBeyondTheLimit, goesInAsFarAsItFitsAndTheHintTellsTheCut)
{
    const CutCase &c = GetParam();
    auto edit = std::make_unique<TTntEdit>();
    edit->SetText(QString::fromUtf16(c.before));
    if (c.units)
        edit->SetMaxLengthUnits(c.limit);
    else
        edit->SetMaxLengthBytes(c.limit);
    edit->show();
    edit->setCursorPosition(int(edit->GetText().size()));
    PasteText(edit.get(), QString::fromUtf16(c.pasted));
    EXPECT_EQ(edit->GetText(), QString::fromUtf16(c.expected));
    EXPECT_EQ(ShownInputRefusedHint(), QString::fromUtf16(c.hint));
}

INSTANTIATE_TEST_SUITE_P(Cases, PasteBeyondTheLimit, ::testing::ValuesIn(kCuts), rowName);

TEST(ByteLimitValidator, aNameLimitTakesAnyCharacterAndTypedOverflowIsRefusedWhole)
{
    auto edit = std::make_unique<TTntEdit>();
    edit->SetMaxLengthUnits(3);
    edit->show();
    TypeCharacters(edit.get(), QStringLiteral("😀田𠮷"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("😀田"));
    EXPECT_EQ(ShownInputRefusedHint(), QStringLiteral("この欄には3文字までしか入りません。入らなかった部分: 𠮷"));
}

// Typing on past a full field: every key refused since the hint came up is
// named, so the user sees all that did not go in; a key that goes in again
// starts afresh.
TEST(ByteLimitValidator, theHintNamesEveryKeyTheFullFieldRefused)
{
    auto edit = limitedEdit(32);
    edit->show();
    TypeCharacters(edit.get(), QStringLiteral("京都市上京区堀川通寺之内上る4丁目天神北町"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("京都市上京区堀川通寺之内上る4丁"));
    EXPECT_TRUE(ShownInputRefusedHint().endsWith(QStringLiteral("入らなかった部分: 目天神北町")))
        << qPrintable(ShownInputRefusedHint());
    QTest::keyClick(edit.get(), Qt::Key_Backspace);
    TypeCharacters(edit.get(), QStringLiteral("目北"));
    EXPECT_TRUE(ShownInputRefusedHint().endsWith(QStringLiteral("入らなかった部分: 北")))
        << qPrintable(ShownInputRefusedHint());
    // The hint lets a click through to the field it stands over.
    ASSERT_NE(ShownInputHintWidget(), nullptr);
    EXPECT_TRUE(ShownInputHintWidget()->windowFlags().testFlag(Qt::WindowTransparentForInput));
}

TEST(ByteLimitValidator, programTextLongerThanTheLimitIsShownWholeAndMayOnlyShrink)
{
    auto edit = std::make_unique<TTntEdit>();
    edit->SetMaxLengthUnits(3);
    edit->show();
    edit->setText(QStringLiteral("長い名前です"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("長い名前です"));
    TypeCharacters(edit.get(), QStringLiteral("ね"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("長い名前です"));
    QTest::keyClick(edit.get(), Qt::Key_Backspace);
    EXPECT_EQ(edit->GetText(), QStringLiteral("長い名前で"));
}

struct PhoneCase { const char *name; const char16_t *entered; const char16_t *expected; const char16_t *leftOut; };

const PhoneCase kPhones[] = {
    {"areaCodeInFullWidthParentheses", u"０１１（２３１）４１１１", u"011-231-4111", u""},
    {"leadingParenthesisIsDropped", u"(03)1234-5678", u"03-1234-5678", u""},
    {"lettersAreLeftOutAndNamed", u"abc", u"", u"a b c"},
    {"blanksAreLeftOut", u"03 1234", u"031234", u"(U+0020)"},
};

class PhoneNumberInput : public ::testing::TestWithParam<PhoneCase> {};

TEST_P(PhoneNumberInput, takesDigitsAndHyphensOnly)
{
    const PhoneCase &c = GetParam();
    QStringList leftOut;
    EXPECT_EQ(PhoneNumberText(QString::fromUtf16(c.entered), &leftOut), QString::fromUtf16(c.expected));
    QStringList named;
    for (const QString &one : leftOut)
        named << (one == QStringLiteral(" ") ? QStringLiteral("(U+0020)") : one);
    EXPECT_EQ(named.join(QLatin1Char(' ')), QString::fromUtf16(c.leftOut));
}

INSTANTIATE_TEST_SUITE_P(Cases, PhoneNumberInput, ::testing::ValuesIn(kPhones), rowName);

TEST(ByteLimitValidator, aPhoneEditRefusesLettersWithAHint)
{
    auto edit = limitedEdit(13);
    edit->SetHalfWidthNumbers(true);
    edit->SetPhoneNumber(true);
    edit->show();
    TypeCharacters(edit.get(), QStringLiteral("03a"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("03"));
    EXPECT_EQ(ShownInputRefusedHint(), QStringLiteral("この欄には数字とハイフンだけが入ります: a"));
    edit->SetText(QString());
    PasteText(edit.get(), QStringLiteral("０１１（２３１）４１１１"));
    EXPECT_EQ(edit->GetText(), QStringLiteral("011-231-4111"));
}

struct KanaCase { const char *name; const char16_t *typed; const char16_t *stored; };

const KanaCase kKanas[] = {
    {"hiragana", u"やまだ", u"ﾔﾏﾀﾞ"},
    {"fullWidthKatakana", u"ヤマダ", u"ﾔﾏﾀﾞ"},
    {"halfWidthStays", u"ﾔﾏﾀﾞ", u"ﾔﾏﾀﾞ"},
    {"longVowelAndVu", u"ヴォーカル", u"ｳﾞｫｰｶﾙ"},
};

class HalfWidthKanaInput : public ::testing::TestWithParam<KanaCase> {};

TEST_P(HalfWidthKanaInput, entersReadingsInHalfWidthKatakana)
{
    auto edit = limitedEdit(100);
    edit->SetHalfWidthKana(true);
    edit->show();
    CommitThroughInputMethod(edit.get(), QString::fromUtf16(GetParam().typed));
    EXPECT_EQ(edit->GetText(), QString::fromUtf16(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(Cases, HalfWidthKanaInput, ::testing::ValuesIn(kKanas), rowName);

} // namespace
