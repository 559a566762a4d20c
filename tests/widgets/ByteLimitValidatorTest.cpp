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

TEST_P(UnstorableInput, isRefusedWholeAndTheHintNamesTheCharacters)
{
    auto edit = limitedEdit(100, QStringLiteral("東京"));
    edit->show();
    edit->setCursorPosition(1);
    QSignalSpy spy(edit.get(), &QLineEdit::textChanged);
    GetParam().enter(edit.get(), QStringLiteral("a𠮷😀€"));
    // Typed one by one, "a" goes in and each refusal names its character.
    const bool typed = GetParam().enter == TypeCharacters;
    EXPECT_EQ(edit->GetText(), typed ? QStringLiteral("東a京") : QStringLiteral("東京"));
    EXPECT_EQ(spy.count(), typed ? 1 : 0);
    const QString named = typed ? QStringLiteral("€") : QStringLiteral("𠮷😀€");
    EXPECT_EQ(ShownInputRefusedHint(), kRefused + named);
}

INSTANTIATE_TEST_SUITE_P(Routes, UnstorableInput, ::testing::ValuesIn(kRoutes), rowName);

TEST(ByteLimitValidator, aRefusedCharacterThatShowsNothingIsNamedByItsCode)
{
    auto edit = limitedEdit(100);
    edit->show();
    PasteText(edit.get(), QStringLiteral("a\u00A0b"));
    EXPECT_TRUE(edit->GetText().isEmpty());
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

} // namespace
