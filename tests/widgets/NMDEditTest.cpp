#include "platform/Cp932.h"
#include "support/RowName.h"
#include "util/StrFunc.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/NMDEdit.h"
#include "widgets/TntNMDEdit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFormLayout>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextCharFormat>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using namespace Qt::StringLiterals;
constexpr auto kLineage = TNameDicKind::nkLineage, kFirst = TNameDicKind::nkFirst;
constexpr auto kKanji = TInputKind::itKanji, kKana = TInputKind::itKana;

QByteArray sjis(const char16_t *text) { return Cp932::encode(QString::fromUtf16(text)); }

// ---- The input method, scripted ----------------------------------------------------

// Unconverted input is underlined; a converted clause is highlighted.
void sendPreedit(QWidget *target, const QString &preedit, bool converted = false, const QString &commit = {})
{
    QTextCharFormat format;
    format.setFontUnderline(true);
    if (converted)
        format.setBackground(Qt::darkBlue);
    QInputMethodEvent event(preedit, {{QInputMethodEvent::TextFormat, 0, int(preedit.size()), QVariant(format)}});
    event.setCommitString(commit);
    QCoreApplication::sendEvent(target, &event);
}

void sendCommit(QWidget *target, const QString &commit)
{
    QInputMethodEvent event;
    event.setCommitString(commit);
    QCoreApplication::sendEvent(target, &event);
}

// Types the unconverted preedits one by one, converts to kanji and commits.
void compose(QWidget *target, const QStringList &typed, const QString &kanji)
{
    for (const QString &preedit : typed)
        sendPreedit(target, preedit);
    sendPreedit(target, kanji, true);
    sendCommit(target, kanji);
}

struct Need { TNameDicKind kind; bool show; QByteArray value; bool operator==(const Need &) const = default; };
using Needs = std::vector<Need>;

void PrintTo(const Need &n, std::ostream *os)
{
    *os << (n.kind == kFirst ? "first " : "lineage ") << n.show << ' ' << Cp932::decode(n.value).toStdString();
}

TConvertNeedEvent recordInto(Needs &needs)
{
    return [&needs](QObject *, TNameDicKind kind, bool show, const QByteArray &v) { needs.push_back({kind, show, v}); };
}

// A window with a name edit, its reading edit and one more edit to move to.
template <class TEdit, class TAssociate = QLineEdit> struct Form {
    Needs needs; // first: the edit reports into it while the window goes
    QWidget window;
    TEdit *edit = new TEdit;
    TAssociate *associate = new TAssociate;
    QLineEdit *other = new QLineEdit;

    Form()
    {
        auto *layout = new QFormLayout(&window);
        layout->addRow(u"氏名"_s, edit);
        layout->addRow(u"フリガナ"_s, associate);
        layout->addRow(u"会社名"_s, other);
        edit->SetAssociate(associate);
        edit->OnConvertNeed = recordInto(needs);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }
    // Delivers the queued settle calls and returns what fired since last time.
    Needs fired()
    {
        QCoreApplication::processEvents();
        return std::exchange(needs, {});
    }
};

// ---- Reading conversion and the romaji rule --------------------------------------------

class ReadingConversion : public ::testing::TestWithParam<std::pair<QString, const char16_t *>> {};

TEST_P(ReadingConversion, givesHalfWidthKatakanaBytes)
{
    EXPECT_EQ(ConvertReadingToHalfKana(GetParam().first), sjis(GetParam().second));
}

INSTANTIATE_TEST_SUITE_P(Readings, ReadingConversion,
                         ::testing::ValuesIn(std::vector<std::pair<QString, const char16_t *>>{
                             {u"ヴぁいおりん"_s, u"ｳﾞｧｲｵﾘﾝ"}, {u"ぱーてぃー、。"_s, u"ﾊﾟｰﾃｨｰ､｡"},
                             {u"ｋａＢ１"_s, u"kaB1"}, {u"山ゐ"_s, u"山ゐ"}}));

TEST(ReadingTables, everyHiraganaAndKatakanaWithAHalfWidthFormBecomesTheSameSyllable)
{
    for (char16_t c = u'ぁ'; c <= u'ん'; ++c) {
        if (c == u'ゎ' || c == u'ゐ' || c == u'ゑ')
            continue; // no half-width katakana exists for these
        const QByteArray half = ConvertReadingToHalfKana(QString(QChar(c)));
        for (char byte : half)
            EXPECT_GE(static_cast<unsigned char>(byte), 0xA1) << QString(QChar(c)).toStdString();
        EXPECT_EQ(Cp932::decode(ToFullWidth(half)), QString(QChar(c + 0x60))) << QString(QChar(c)).toStdString();
        EXPECT_EQ(ConvertReadingToHalfKana(QString(QChar(c + 0x60))), half); // the katakana the same
    }
}

struct RomajiCase { const char16_t *reading; bool pending; TRomajiStep step; };
class Romaji : public ::testing::TestWithParam<RomajiCase> {};

TEST_P(Romaji, decidesWhetherTheReadingIsSettled)
{
    EXPECT_EQ(TReadingCapture::RomajiStep(sjis(GetParam().reading), GetParam().pending), GetParam().step)
        << QString::fromUtf16(GetParam().reading).toStdString() << (GetParam().pending ? " pending" : "");
}

constexpr auto S = TRomajiStep::Settle, W = TRomajiStep::Wait, P = TRomajiStep::Pending;
INSTANTIATE_TEST_SUITE_P(Rule, Romaji, ::testing::ValuesIn(std::vector<RomajiCase>{
    {u"k", false, P}, {u"ｶ", false, S}, {u"ｶk", false, P}, {u"k", true, P}, {u"ｶ", true, S}, {u"sh", true, W},
    {u"ch", true, W}, {u"wh", true, W}, {u"hh", true, W}, {u"hhh", true, S}, {u"ｱh", true, S}, {u"lt", true, W},
    {u"tt", true, W}, {u"ttt", true, S}, {u"ｱt", true, S}, {u"ky", true, W}, {u"ay", true, S}, {u"yy", true, W},
    {u"yyy", true, S}, {u"kk", true, W}, {u"kkk", true, S}, {u"ks", true, S}, {u"kｯ", true, S}, {u"ｧｧ", true, W},
    // the ends of the kana that settle at once: ｬ (AC) to ﾟ (DF); ｫ (AB) before them waits when doubled
    {u"ｫｫ", true, W}, {u"ｬｬ", true, S}, {u"ﾟﾟ", true, S}}));

// ---- Typing through the input method --------------------------------------------------

// Steps: preedit, reading settled (empty: none).
struct TypingCase { const char *name; std::vector<std::pair<QString, QByteArray>> steps; };
class Typing : public ::testing::TestWithParam<TypingCase> {};

TEST_P(Typing, settlesTheReadingOnlyOnceTheLettersMakeAKana)
{
    Form<TNMDEdit> form;
    for (const auto &[preedit, settled] : GetParam().steps) {
        sendPreedit(form.edit, preedit);
        EXPECT_EQ(form.fired(), (settled.isEmpty() ? Needs{} : Needs{{kLineage, true, settled}}))
            << preedit.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Romaji, Typing,
    ::testing::ValuesIn(std::vector<TypingCase>{
        {"ka", {{u"k"_s, {}}, {u"か"_s, sjis(u"ｶ")}}},
        {"shi", {{u"s"_s, {}}, {u"sh"_s, {}}, {u"し"_s, sjis(u"ｼ")}}},
        {"kkk", {{u"k"_s, {}}, {u"kk"_s, {}}, {u"kkk"_s, "kkk"}}},
        {"kana", {{u"か"_s, sjis(u"ｶ")}, {u"かn"_s, {}}, {u"かな"_s, sjis(u"ｶﾅ")}}},
        // 29 bytes is the longest reading looked up.
        {"longestReading", {{QString(29, u'あ'), QByteArray(29, '\xB1')}, {QString(30, u'あ'), {}}}}}),
    rowName);

TEST(NMDEdit, convertingYamadaAppendsItsReadingAtTheCommit)
{
    Form<TNMDEdit> form;
    for (const QString &preedit : {u"y"_s, u"や"_s, u"やm"_s, u"やま"_s, u"やまd"_s, u"やまだ"_s})
        sendPreedit(form.edit, preedit);
    EXPECT_EQ(form.fired().back(), (Need{kLineage, true, sjis(u"ﾔﾏﾀﾞ")}));
    // After the conversion the reading is kept but no longer shown.
    sendPreedit(form.edit, u"山田"_s, true);
    EXPECT_EQ(form.fired(), (Needs{{kLineage, false, sjis(u"ﾔﾏﾀﾞ")}}));
    sendCommit(form.edit, u"山田"_s);
    EXPECT_EQ(form.fired(), (Needs{{kLineage, false, {}}}));
    EXPECT_EQ(form.edit->text(), u"山田"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞ"_s);
}

// A composition after a name and a blank looks up a given name.
struct KindCase { QString text; int caret; TNameDicKind kind; };
class CompositionKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(CompositionKind, dependsOnTheTextBeforeTheCaret)
{
    Form<TNMDEdit> form;
    form.edit->setText(GetParam().text);
    form.edit->setCursorPosition(GetParam().caret);
    sendPreedit(form.edit, u"か"_s);
    EXPECT_EQ(form.fired(), (Needs{{GetParam().kind, true, sjis(u"ｶ")}}));
}

INSTANTIATE_TEST_SUITE_P(Texts, CompositionKind,
                         ::testing::Values(KindCase{u"山田"_s, 2, kFirst}, KindCase{u"山田　"_s, 3, kFirst},
                                           KindCase{u"山田"_s, 0, kLineage}, KindCase{u"　"_s, 1, kLineage}));

TEST(NMDEdit, clearingTheKanjiClearsTheReadingButClearingAReadingEditDoesNot)
{
    Form<TNMDEdit> form;
    form.edit->setText(u"山田"_s);
    form.associate->setText(u"ﾔﾏﾀﾞ"_s);
    form.edit->clear();
    EXPECT_EQ(form.associate->text(), QString());

    form.edit->SetInputType(kKana);
    form.edit->setText(u"ﾔﾏﾀﾞ"_s);
    form.associate->setText(u"山田"_s);
    form.edit->clear();
    EXPECT_EQ(form.associate->text(), u"山田"_s);
}

// Unconverted preedits, then the result (converted first when asked) committed.
struct CommitCase {
    const char *name; TInputKind type; QString text, reading; bool selectAll;
    QStringList typed; bool convert; QString commit, textAfter, readingAfter;
};
class Commit : public ::testing::TestWithParam<CommitCase> {};

TEST_P(Commit, appendsTheSingleByteReadingOfTheResult)
{
    const CommitCase &c = GetParam();
    Form<TNMDEdit> form;
    form.edit->SetInputType(c.type);
    form.edit->setText(c.text);
    form.associate->setText(c.reading);
    if (c.selectAll)
        form.edit->selectAll();
    for (const QString &preedit : c.typed)
        sendPreedit(form.edit, preedit);
    if (c.convert)
        sendPreedit(form.edit, c.commit, true);
    sendCommit(form.edit, c.commit);
    EXPECT_EQ(form.edit->text(), c.textAfter);
    EXPECT_EQ(form.associate->text(), c.readingAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Results, Commit,
    ::testing::ValuesIn(std::vector<CommitCase>{
        {"katakana", kKanji, {}, {}, false, {u"やまだ"_s}, true, u"ヤマダ"_s, u"ヤマダ"_s, u"ﾔﾏﾀﾞ"_s},
        {"kanji", kKanji, {}, {}, false, {u"すずき"_s}, true, u"鈴木"_s, u"鈴木"_s, u"ｽｽﾞｷ"_s},
        {"noHalfWidthKanaDropped", kKanji, {}, {}, false, {u"ゐど"_s}, false, u"ゐど"_s, u"ゐど"_s, u"ﾄﾞ"_s},
        {"givenNameAfterABlank", kKanji, u"山田　"_s, u"ﾔﾏﾀﾞ "_s, false, {u"た"_s, u"たろう"_s}, true, u"太郎"_s,
         u"山田　太郎"_s, u"ﾔﾏﾀﾞ ﾀﾛｳ"_s},
        // A selection of the whole text is a new name: its reading replaces the old one.
        {"overTheWholeText", kKanji, u"山田"_s, u"ﾔﾏﾀﾞ"_s, true, {u"か"_s, u"かわ"_s}, true, u"川"_s, u"川"_s, u"ｶﾜ"_s},
        {"cancelled", kKanji, u"山田"_s, u"ﾔﾏﾀﾞ"_s, false, {u"た"_s}, false, {}, u"山田"_s, u"ﾔﾏﾀﾞ"_s},
        {"ideographicSpace", kKanji, u"山田"_s, u"ﾔﾏﾀﾞ"_s, false, {}, false, u"　"_s, u"山田　"_s, u"ﾔﾏﾀﾞ "_s},
        {"spaceInAReadingEdit", kKana, u"山田"_s, u"ﾔﾏﾀﾞ"_s, false, {}, false, u"　"_s, u"山田　"_s, u"ﾔﾏﾀﾞ"_s}}),
    rowName);

TEST(NMDEdit, commitThatOpensTheNextPreeditEndsTheComposition)
{
    Form<TNMDEdit> form;
    sendPreedit(form.edit, u"やまだ"_s);
    sendPreedit(form.edit, u"山田"_s, true);
    sendPreedit(form.edit, u"t"_s, false, u"山田"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞ"_s);
    compose(form.edit, {u"た"_s, u"たろう"_s}, u"太郎"_s);
    EXPECT_EQ(form.edit->text(), u"山田太郎"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞﾀﾛｳ"_s);
}

// The settle call is still queued when the focus goes: it must not show the stale reading.
TEST(NMDEdit, settledReadingIsNotShownOnceTheFocusHasLeft)
{
    Form<TNMDEdit> form;
    sendPreedit(form.edit, u"か"_s);
    form.other->setFocus();
    EXPECT_EQ(form.fired(), (Needs{{kLineage, false, {}}}));
}

TEST(NMDEdit, destructionHidesTheCandidatesAndADestroyedAssociateIsForgotten)
{
    Needs needs;
    {
        TNMDEdit edit;
        edit.OnConvertNeed = recordInto(needs);
    }
    EXPECT_EQ(needs, (Needs{{kLineage, false, {}}}));

    Form<TNMDEdit> form;
    delete form.associate;
    EXPECT_EQ(form.edit->Associate(), nullptr);
    compose(form.edit, {u"やまだ"_s}, u"山田"_s);
    EXPECT_EQ(form.edit->text(), u"山田"_s);
}

TEST(NMDEdit, readingIsCutToTheAssociatesCharacterAndByteLimits)
{
    Form<TNMDEdit> form;
    form.associate->setMaxLength(2);
    compose(form.edit, {u"やまだ"_s}, u"山田"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏ"_s);

    form.edit->clear();
    form.associate->setMaxLength(32767);
    form.associate->setValidator(new TByteLimitValidator(3, form.associate));
    compose(form.edit, {u"やまだ"_s}, u"山田"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀ"_s);
}

// ---- Navigation keys while composing ----------------------------------------------------

class NavigationKey : public ::testing::TestWithParam<std::pair<Qt::Key, quint32>> {};

TEST_P(NavigationKey, goesToTheOwnerWhileComposingAndIsSwallowedOnRequest)
{
    Form<TNMDComboBox> form;
    form.edit->addItems({u"山田"_s, u"佐藤"_s, u"鈴木"_s});
    form.edit->setCurrentIndex(1);
    std::vector<quint32> keys;
    form.edit->OnConvertKeyDown = [&](QObject *sender, quint32 &key, bool &result) {
        EXPECT_EQ(sender, form.edit);
        keys.push_back(key);
        result = true;
    };
    QTest::keyClick(form.edit, GetParam().first);
    EXPECT_TRUE(keys.empty()); // not composing: the key is the combo box's own

    form.edit->setCurrentIndex(1);
    sendPreedit(form.edit, u"や"_s);
    QTest::keyClick(form.edit, GetParam().first);
    EXPECT_EQ(keys, std::vector<quint32>{GetParam().second});
    EXPECT_EQ(form.edit->currentIndex(), 1); // swallowed: no item step
}

INSTANTIATE_TEST_SUITE_P(Keys, NavigationKey,
                         ::testing::Values(std::pair{Qt::Key_Enter, 13U}, std::pair{Qt::Key_Down, 40U}));

// ---- InsertName ---------------------------------------------------------------------------

TEST(NMDEdit, insertNameReplacesTheSelectionInBothEditsAndPutsTheCaretAtTheEnd)
{
    Form<TNMDEdit> form;
    form.edit->setText(u"山田一郎"_s);
    form.associate->setText(u"ﾔﾏﾀﾞ"_s);
    form.edit->setSelection(2, 2);
    form.edit->InsertName(sjis(u"太郎"), sjis(u"ﾀﾛｳ"), false);
    EXPECT_EQ(form.edit->text(), u"山田太郎"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞﾀﾛｳ"_s);
    EXPECT_EQ(form.edit->cursorPosition(), 4);
}

// ---- Byte positions ------------------------------------------------------------------------

TEST(NMDEdit, byteSelectionCountsTheBytesOfTheShiftJisText)
{
    TNMDEdit edit;
    edit.setText(u"山田abｶﾅ"_s);
    edit.setSelection(1, 2);
    EXPECT_EQ(edit.XPSelStart(), 2);
    EXPECT_EQ(edit.XPSelLength(), 3);
    edit.SetXPSelStart(0);
    edit.SetXPSelLength(8);
    EXPECT_EQ(edit.selectedText(), u"山田abｶﾅ"_s);
}

// ---- The other two controls ---------------------------------------------------------------

TEST(NMDComboBox, capturesTheReadingInItsEditPartAndOpeningItsListIsNoLeaving)
{
    Form<TNMDComboBox> form;
    compose(form.edit, {u"や"_s, u"やまだ"_s}, u"山田"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞ"_s);
    form.edit->addItems({u"山田"_s, u"佐藤"_s});
    form.fired();
    form.edit->showPopup();
    ASSERT_TRUE(form.edit->view()->isVisible());
    EXPECT_TRUE(form.fired().empty());
    form.edit->hidePopup();
    form.other->setFocus();
    EXPECT_EQ(form.fired(), (Needs{{kLineage, false, {}}}));
}

TEST(TntNMDEdit, capturesTheReadingIntoAWideEditWithItsByteLimit)
{
    Form<TTntNMDEdit, TTntEdit> form;
    form.edit->setObjectName(u"edtName"_s);
    form.associate->setObjectName(u"edtKana"_s);
    EXPECT_EQ(form.edit->Associate(), form.associate);
    compose(form.edit, {u"やまだ"_s}, u"山田"_s);
    sendCommit(form.edit, u"　"_s);
    compose(form.edit, {u"たろう"_s}, u"太郎"_s);
    EXPECT_EQ(form.associate->GetText(), u"ﾔﾏﾀﾞ ﾀﾛｳ"_s);
    form.edit->SetText(QString());
    EXPECT_EQ(form.associate->GetText(), QString());
    form.associate->SetMaxLengthBytes(6);
    compose(form.edit, {u"たかはし"_s}, u"髙橋"_s);
    EXPECT_EQ(form.edit->GetText(), u"髙橋"_s);
    EXPECT_EQ(form.associate->GetText(), u"ﾀｶﾊｼ"_s);
    compose(form.edit, {u"まさみち"_s}, u"正道"_s);
    EXPECT_EQ(form.associate->GetText(), u"ﾀｶﾊｼﾏｻ"_s);
}

} // namespace
