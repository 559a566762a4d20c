#include "platform/Cp932.h"
#include "support/Screenshot.h"
#include "util/StrFunc.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/NMDEdit.h"
#include "widgets/TntNMDEdit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFormLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>
#include <QTextCharFormat>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

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

struct Need {
    TNameDicKind kind;
    bool show;
    QByteArray value;
    bool operator==(const Need &) const = default;
};

void PrintTo(const Need &n, std::ostream *os)
{
    *os << (n.kind == TNameDicKind::nkFirst ? "first " : "lineage ") << (n.show ? "show " : "hide ")
        << Cp932::decode(n.value).toStdString();
}

// A window with a name edit, its reading edit and one more edit to move to.
template <class TEdit, class TAssociate = QLineEdit> struct Form {
    std::vector<Need> needs; // first: the edit reports into it while the window goes
    QWidget window;
    TEdit *edit = new TEdit;
    TAssociate *associate = new TAssociate;
    QLineEdit *other = new QLineEdit;

    Form()
    {
        auto *layout = new QFormLayout(&window);
        layout->addRow(QStringLiteral("氏名"), edit);
        layout->addRow(QStringLiteral("フリガナ"), associate);
        layout->addRow(QStringLiteral("会社名"), other);
        edit->SetAssociate(associate);
        edit->OnConvertNeed = [this](QObject *, TNameDicKind kind, bool show, const QByteArray &value) {
            needs.push_back({kind, show, value});
        };
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }
    // Delivers the queued settle calls and returns what fired since last time.
    std::vector<Need> fired()
    {
        QCoreApplication::processEvents();
        return std::exchange(needs, {});
    }
};

// ---- Reading conversion -------------------------------------------------------------

struct ReadingCase { const char16_t *reading; const char16_t *halfKana; };
class ReadingConversion : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(ReadingConversion, givesHalfWidthKatakanaBytes)
{
    EXPECT_EQ(ConvertReadingToHalfKana(QString::fromUtf16(GetParam().reading)), sjis(GetParam().halfKana));
}

INSTANTIATE_TEST_SUITE_P(Readings, ReadingConversion,
                         ::testing::Values(ReadingCase{u"やまだ", u"ﾔﾏﾀﾞ"}, ReadingCase{u"ヴぁいおりん", u"ｳﾞｧｲｵﾘﾝ"},
                                           ReadingCase{u"ぱーてぃー、。", u"ﾊﾟｰﾃｨｰ､｡"},
                                           ReadingCase{u"ガッコウ", u"ｶﾞｯｺｳ"}, ReadingCase{u"かn", u"ｶn"},
                                           ReadingCase{u"ｋａＢ１", u"kaB1"}, ReadingCase{u"山ゐ", u"山ゐ"}));

TEST(ReadingTables, everyHiraganaWithAHalfWidthFormBecomesTheSameSyllable)
{
    for (char16_t c = u'ぁ'; c <= u'ん'; ++c) {
        if (c == u'ゎ' || c == u'ゐ' || c == u'ゑ')
            continue; // no half-width katakana exists for these
        const QByteArray half = ConvertReadingToHalfKana(QString(QChar(c)));
        for (char byte : half)
            EXPECT_GE(static_cast<unsigned char>(byte), 0xA1) << QString(QChar(c)).toStdString();
        EXPECT_EQ(Cp932::decode(ToFullWidth(half)), QString(QChar(c + 0x60))) << QString(QChar(c)).toStdString();
    }
}

// ---- Romaji rule --------------------------------------------------------------------

struct RomajiCase { const char16_t *reading; bool pending; TRomajiStep step; };
class Romaji : public ::testing::TestWithParam<RomajiCase> {};

TEST_P(Romaji, decidesWhetherTheReadingIsSettled)
{
    EXPECT_EQ(TReadingCapture::RomajiStep(sjis(GetParam().reading), GetParam().pending), GetParam().step)
        << QString::fromUtf16(GetParam().reading).toStdString() << (GetParam().pending ? " pending" : "");
}

constexpr auto S = TRomajiStep::Settle, W = TRomajiStep::Wait, P = TRomajiStep::Pending;
INSTANTIATE_TEST_SUITE_P(
    Rule, Romaji,
    ::testing::Values(RomajiCase{u"k", false, P}, RomajiCase{u"ｶ", false, S}, RomajiCase{u"ｶk", false, P},
                      RomajiCase{u"k", true, P}, RomajiCase{u"ｶ", true, S}, RomajiCase{u"sh", true, W},
                      RomajiCase{u"ch", true, W}, RomajiCase{u"wh", true, W}, RomajiCase{u"hh", true, W},
                      RomajiCase{u"hhh", true, S}, RomajiCase{u"ｱh", true, S}, RomajiCase{u"lt", true, W},
                      RomajiCase{u"tt", true, W}, RomajiCase{u"ttt", true, S}, RomajiCase{u"ｱt", true, S},
                      RomajiCase{u"ky", true, W}, RomajiCase{u"ay", true, S}, RomajiCase{u"yy", true, W},
                      RomajiCase{u"yyy", true, S}, RomajiCase{u"kk", true, W}, RomajiCase{u"kkk", true, S},
                      RomajiCase{u"ks", true, S}, RomajiCase{u"kｯ", true, S}, RomajiCase{u"ｧｧ", true, W}));

// ---- Typing through the input method --------------------------------------------------

struct TypingCase {
    const char *name;
    std::vector<std::pair<const char16_t *, const char16_t *>> steps; // preedit, reading settled (or null)
};
void PrintTo(const TypingCase &c, std::ostream *os) { *os << c.name; }
class Typing : public ::testing::TestWithParam<TypingCase> {};

TEST_P(Typing, settlesTheReadingOnlyOnceTheLettersMakeAKana)
{
    Form<TNMDEdit> form;
    for (const auto &[preedit, settled] : GetParam().steps) {
        sendPreedit(form.edit, QString::fromUtf16(preedit));
        const std::vector<Need> expected =
            settled ? std::vector<Need>{{TNameDicKind::nkLineage, true, sjis(settled)}} : std::vector<Need>{};
        EXPECT_EQ(form.fired(), expected) << QString::fromUtf16(preedit).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Romaji, Typing,
    ::testing::Values(TypingCase{"ka", {{u"k", nullptr}, {u"か", u"ｶ"}}},
                      TypingCase{"shi", {{u"s", nullptr}, {u"sh", nullptr}, {u"し", u"ｼ"}}},
                      TypingCase{"kkk", {{u"k", nullptr}, {u"kk", nullptr}, {u"kkk", u"kkk"}}},
                      TypingCase{"kana", {{u"か", u"ｶ"}, {u"かn", nullptr}, {u"かな", u"ｶﾅ"}}},
                      TypingCase{"fullWidthLetters", {{u"ｋ", nullptr}, {u"か", u"ｶ"}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(NMDEdit, convertingYamadaAppendsItsReadingAtTheCommit)
{
    Form<TNMDEdit> form;
    for (const QString &preedit : {u"y"_s, u"や"_s, u"やm"_s, u"やま"_s, u"やまd"_s, u"やまだ"_s})
        sendPreedit(form.edit, preedit);
    EXPECT_EQ(form.fired().back(), (Need{TNameDicKind::nkLineage, true, sjis(u"ﾔﾏﾀﾞ")}));
    // After the conversion the reading is kept but no longer shown.
    sendPreedit(form.edit, u"山田"_s, true);
    EXPECT_EQ(form.fired(), (std::vector<Need>{{TNameDicKind::nkLineage, false, sjis(u"ﾔﾏﾀﾞ")}}));
    sendCommit(form.edit, u"山田"_s);
    EXPECT_EQ(form.fired(), (std::vector<Need>{{TNameDicKind::nkLineage, false, {}}}));
    EXPECT_EQ(form.edit->text(), u"山田"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞ"_s);
}

TEST(NMDEdit, givenNameAfterTheFamilyNameIsAppendedAndLookedUpAsFirstName)
{
    Form<TNMDEdit> form;
    form.edit->setText(u"山田　"_s);
    form.associate->setText(u"ﾔﾏﾀﾞ "_s);
    sendPreedit(form.edit, u"た"_s);
    EXPECT_EQ(form.fired(), (std::vector<Need>{{TNameDicKind::nkFirst, true, sjis(u"ﾀ")}}));
    compose(form.edit, {u"たろう"_s}, u"太郎"_s);
    EXPECT_EQ(form.edit->text(), u"山田　太郎"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞ ﾀﾛｳ"_s);
}

struct KindCase { const char16_t *text; int caret; TNameDicKind kind; };
class CompositionKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(CompositionKind, dependsOnTheTextBeforeTheCaret)
{
    Form<TNMDEdit> form;
    form.edit->setText(QString::fromUtf16(GetParam().text));
    form.edit->setCursorPosition(GetParam().caret);
    sendPreedit(form.edit, u"か"_s);
    const std::vector<Need> fired = form.fired();
    ASSERT_EQ(fired.size(), 1U);
    EXPECT_EQ(fired[0].kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Texts, CompositionKind,
                         ::testing::Values(KindCase{u"", 0, TNameDicKind::nkLineage},
                                           KindCase{u"山田", 2, TNameDicKind::nkFirst},
                                           KindCase{u"山田", 0, TNameDicKind::nkLineage},
                                           KindCase{u"  ", 2, TNameDicKind::nkLineage},
                                           KindCase{u"　", 1, TNameDicKind::nkLineage}));

TEST(NMDEdit, typingOverTheWholeTextReplacesTheReading)
{
    Form<TNMDEdit> form;
    form.edit->setText(u"山田"_s);
    form.associate->setText(u"ﾔﾏﾀﾞ"_s);
    form.edit->selectAll();
    compose(form.edit, {u"か"_s, u"かわ"_s}, u"川"_s);
    EXPECT_EQ(form.edit->text(), u"川"_s);
    EXPECT_EQ(form.associate->text(), u"ｶﾜ"_s);
}

TEST(NMDEdit, clearingTheKanjiClearsTheReadingButClearingAReadingEditDoesNot)
{
    Form<TNMDEdit> form;
    form.edit->setText(u"山田"_s);
    form.associate->setText(u"ﾔﾏﾀﾞ"_s);
    form.edit->clear();
    EXPECT_EQ(form.associate->text(), QString());

    form.edit->SetInputType(TInputKind::itKana);
    form.edit->setText(u"ﾔﾏﾀﾞ"_s);
    form.associate->setText(u"山田"_s);
    form.edit->clear();
    EXPECT_EQ(form.associate->text(), u"山田"_s);
}

TEST(NMDEdit, cancelledCompositionLeavesBothTexts)
{
    Form<TNMDEdit> form;
    form.edit->setText(u"山田"_s);
    form.associate->setText(u"ﾔﾏﾀﾞ"_s);
    sendPreedit(form.edit, u"た"_s);
    EXPECT_EQ(form.fired().size(), 1U);
    sendCommit(form.edit, QString());
    EXPECT_EQ(form.fired(), (std::vector<Need>{{TNameDicKind::nkFirst, false, {}}}));
    EXPECT_EQ(form.edit->text(), u"山田"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞ"_s);
}

struct CommitCase { const char16_t *typed; bool convert; const char16_t *commit; const char16_t *reading; };
class Commit : public ::testing::TestWithParam<CommitCase> {};

TEST_P(Commit, appendsTheSingleByteReadingOfTheResult)
{
    Form<TNMDEdit> form;
    sendPreedit(form.edit, QString::fromUtf16(GetParam().typed));
    if (GetParam().convert)
        sendPreedit(form.edit, QString::fromUtf16(GetParam().commit), true);
    sendCommit(form.edit, QString::fromUtf16(GetParam().commit));
    EXPECT_EQ(form.associate->text(), QString::fromUtf16(GetParam().reading));
}

INSTANTIATE_TEST_SUITE_P(Results, Commit,
                         ::testing::Values(CommitCase{u"やまだ", false, u"やまだ", u"ﾔﾏﾀﾞ"},
                                           CommitCase{u"やまだ", true, u"ヤマダ", u"ﾔﾏﾀﾞ"},
                                           CommitCase{u"すずき", true, u"鈴木", u"ｽｽﾞｷ"},
                                           CommitCase{u"ゐど", false, u"ゐど", u"ﾄﾞ"}));

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

struct SpaceCase { const char16_t *blank; TInputKind type; const char16_t *reading; };
class Space : public ::testing::TestWithParam<SpaceCase> {};

TEST_P(Space, typedThroughTheInputMethodIsMirroredIntoTheReading)
{
    Form<TNMDEdit> form;
    form.edit->SetInputType(GetParam().type);
    form.edit->setText(u"山田"_s);
    form.associate->setText(u"ﾔﾏﾀﾞ"_s);
    sendCommit(form.edit, QString::fromUtf16(GetParam().blank));
    EXPECT_EQ(form.associate->text(), QString::fromUtf16(GetParam().reading));
}

INSTANTIATE_TEST_SUITE_P(Blanks, Space,
                         ::testing::Values(SpaceCase{u" ", TInputKind::itKanji, u"ﾔﾏﾀﾞ "},
                                           SpaceCase{u"　", TInputKind::itKanji, u"ﾔﾏﾀﾞ "},
                                           SpaceCase{u"　", TInputKind::itKana, u"ﾔﾏﾀﾞ"}));

TEST(NMDEdit, readingLongerThan29BytesIsNotLookedUp)
{
    Form<TNMDEdit> form;
    sendPreedit(form.edit, QString(29, QChar(u'あ')));
    EXPECT_EQ(form.fired().size(), 1U);
    sendPreedit(form.edit, QString(30, QChar(u'あ')));
    EXPECT_TRUE(form.fired().empty());
}

TEST(NMDEdit, settledReadingIsNotShownOnceTheFocusHasLeft)
{
    Form<TNMDEdit> form;
    sendPreedit(form.edit, u"か"_s);
    form.other->setFocus();
    EXPECT_EQ(form.fired(), (std::vector<Need>{{TNameDicKind::nkLineage, false, {}}}));
}

TEST(NMDEdit, destructionHidesTheCandidates)
{
    std::vector<Need> needs;
    {
        TNMDEdit edit;
        edit.OnConvertNeed = [&](QObject *, TNameDicKind kind, bool show, const QByteArray &value) {
            needs.push_back({kind, show, value});
        };
    }
    EXPECT_EQ(needs, (std::vector<Need>{{TNameDicKind::nkLineage, false, {}}}));
}

TEST(NMDEdit, destroyedAssociateIsForgotten)
{
    Form<TNMDEdit> form;
    delete form.associate;
    EXPECT_EQ(form.edit->Associate(), nullptr);
    compose(form.edit, {u"やまだ"_s}, u"山田"_s);
    EXPECT_EQ(form.edit->text(), u"山田"_s);
}

// ---- Limits of the associate ----------------------------------------------------------

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

struct KeyCase { Qt::Key key; quint32 vk; };
class NavigationKey : public ::testing::TestWithParam<KeyCase> {};

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
    QTest::keyClick(form.edit, GetParam().key);
    EXPECT_TRUE(keys.empty()); // not composing: the key is the combo box's own

    form.edit->setCurrentIndex(1);
    sendPreedit(form.edit, u"や"_s);
    QTest::keyClick(form.edit, GetParam().key);
    EXPECT_EQ(keys, std::vector<quint32>{GetParam().vk});
    EXPECT_EQ(form.edit->currentIndex(), 1); // swallowed: no item step
}

INSTANTIATE_TEST_SUITE_P(Keys, NavigationKey,
                         ::testing::Values(KeyCase{Qt::Key_Return, 13}, KeyCase{Qt::Key_Enter, 13},
                                           KeyCase{Qt::Key_PageUp, 33}, KeyCase{Qt::Key_PageDown, 34},
                                           KeyCase{Qt::Key_Left, 37}, KeyCase{Qt::Key_Up, 38},
                                           KeyCase{Qt::Key_Right, 39}, KeyCase{Qt::Key_Down, 40}));

TEST(NMDEdit, navigationKeyNotSwallowedReachesTheEdit)
{
    Form<TNMDEdit> form;
    int returns = 0;
    QObject::connect(form.edit, &QLineEdit::returnPressed, [&] { ++returns; });
    bool swallow = true;
    form.edit->OnConvertKeyDown = [&](QObject *, quint32 &, bool &result) { result = swallow; };
    sendPreedit(form.edit, u"や"_s);
    QTest::keyClick(form.edit, Qt::Key_Return);
    EXPECT_EQ(returns, 0);
    swallow = false;
    QTest::keyClick(form.edit, Qt::Key_Return);
    EXPECT_EQ(returns, 1);
}

// ---- InsertName ---------------------------------------------------------------------------

struct InsertCase {
    const char *name;
    TInputKind type;
    const char16_t *text;
    int selStart, selLength;
    const char16_t *reading;
    const char16_t *kanji, *kana;
    bool noSeparator;
    const char16_t *textAfter, *readingAfter;
};
void PrintTo(const InsertCase &c, std::ostream *os) { *os << c.name; }
class InsertName : public ::testing::TestWithParam<InsertCase> {};

TEST_P(InsertName, putsTheNameIntoBothEdits)
{
    const InsertCase &c = GetParam();
    Form<TNMDEdit> form;
    form.edit->SetInputType(c.type);
    form.edit->setText(QString::fromUtf16(c.text));
    form.associate->setText(QString::fromUtf16(c.reading));
    form.edit->setSelection(c.selStart, c.selLength);
    form.edit->InsertName(sjis(c.kanji), sjis(c.kana), c.noSeparator);
    EXPECT_EQ(form.edit->text(), QString::fromUtf16(c.textAfter));
    EXPECT_EQ(form.associate->text(), QString::fromUtf16(c.readingAfter));
    EXPECT_EQ(form.edit->cursorPosition(), form.edit->text().size());
}

INSTANTIATE_TEST_SUITE_P(
    Names, InsertName,
    ::testing::Values(
        InsertCase{"familyNameAtTheStart", TInputKind::itKanji, u"", 0, 0, u"", u"山田", u"ﾔﾏﾀﾞ", false,
                   u"山田　", u"ﾔﾏﾀﾞ "},
        InsertCase{"noSeparator", TInputKind::itKanji, u"", 0, 0, u"", u"山田", u"ﾔﾏﾀﾞ", true, u"山田", u"ﾔﾏﾀﾞ"},
        InsertCase{"givenNameAfterTheFamilyName", TInputKind::itKanji, u"山田　", 3, 0, u"ﾔﾏﾀﾞ ", u"太郎", u"ﾀﾛｳ",
                   false, u"山田　太郎", u"ﾔﾏﾀﾞ ﾀﾛｳ"},
        InsertCase{"givenNameBeforeTheFamilyName", TInputKind::itKanji, u"山田", 0, 0, u"ﾔﾏﾀﾞ", u"太郎", u"ﾀﾛｳ",
                   true, u"太郎山田", u"ﾔﾏﾀﾞﾀﾛｳ"},
        InsertCase{"wholeTextSelected", TInputKind::itKanji, u"佐藤", 0, 2, u"ｻﾄｳ", u"山田", u"ﾔﾏﾀﾞ", false,
                   u"山田　", u"ﾔﾏﾀﾞ "},
        InsertCase{"partOfTheTextSelected", TInputKind::itKanji, u"山田一郎", 2, 2, u"ﾔﾏﾀﾞ", u"太郎", u"ﾀﾛｳ",
                   false, u"山田太郎", u"ﾔﾏﾀﾞﾀﾛｳ"},
        InsertCase{"readingEdit", TInputKind::itKana, u"", 0, 0, u"", u"山田", u"ﾔﾏﾀﾞ", false, u"ﾔﾏﾀﾞ ",
                   u"山田　"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(NMDEdit, insertNameDropsTheOpenCompositionAndKeepsToTheMaximumLength)
{
    Form<TNMDEdit> form;
    form.edit->setMaxLength(2);
    sendPreedit(form.edit, u"やま"_s);
    form.edit->InsertName(sjis(u"山田"), sjis(u"ﾔﾏﾀﾞ"), false);
    EXPECT_EQ(form.edit->text(), u"山田"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞ "_s);
    // The next preedit starts a new composition after the inserted name.
    sendPreedit(form.edit, u"た"_s);
    EXPECT_EQ(form.fired().back().kind, TNameDicKind::nkFirst);
}

// ---- Byte positions ------------------------------------------------------------------------

struct XPCase { int selStart, selLength; int xpStart, xpLength; };
class XPSelection : public ::testing::TestWithParam<XPCase> {};

TEST_P(XPSelection, countsBytesOfTheShiftJisText)
{
    const XPCase &c = GetParam();
    TNMDEdit edit;
    edit.setText(u"山田abｶﾅ"_s);
    edit.setSelection(c.selStart, c.selLength);
    EXPECT_EQ(edit.XPSelStart(), c.xpStart);
    EXPECT_EQ(edit.XPSelLength(), c.xpLength);

    edit.SetXPSelStart(c.xpStart);
    edit.SetXPSelLength(c.xpLength);
    EXPECT_EQ(edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition(), c.selStart);
    EXPECT_EQ(edit.selectionLength(), c.selLength);
}

INSTANTIATE_TEST_SUITE_P(Positions, XPSelection,
                         ::testing::Values(XPCase{2, 0, 4, 0}, XPCase{0, 0, 0, 0}, XPCase{1, 2, 2, 3},
                                           XPCase{3, 3, 5, 3}, XPCase{0, 6, 0, 8}));

TEST(NMDEdit, byteSetterInsideADoubleByteCharacterTakesTheWholeCharacter)
{
    TNMDComboBox combo;
    combo.setEditText(u"山田ab"_s);
    combo.SetXPSelStart(1);
    EXPECT_EQ(combo.lineEdit()->cursorPosition(), 1);
    combo.SetXPSelLength(99);
    EXPECT_EQ(combo.lineEdit()->selectedText(), u"田ab"_s);
    EXPECT_EQ(combo.XPSelLength(), 4);
}

// ---- The other two controls ---------------------------------------------------------------

TEST(NMDComboBox, capturesTheReadingInItsEditPart)
{
    Form<TNMDComboBox> form;
    compose(form.edit, {u"や"_s, u"やまだ"_s}, u"山田"_s);
    EXPECT_EQ(form.edit->currentText(), u"山田"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞ"_s);
    form.edit->InsertName(sjis(u"太郎"), sjis(u"ﾀﾛｳ"), false);
    EXPECT_EQ(form.edit->currentText(), u"山田太郎"_s);
    EXPECT_EQ(form.associate->text(), u"ﾔﾏﾀﾞﾀﾛｳ"_s);
}

TEST(NMDComboBox, openingItsListIsNoLeaving)
{
    Form<TNMDComboBox> form;
    form.edit->addItems({u"山田"_s, u"佐藤"_s});
    form.edit->showPopup();
    ASSERT_TRUE(form.edit->view()->isVisible());
    EXPECT_TRUE(form.fired().empty());
    form.edit->hidePopup();
    form.other->setFocus();
    EXPECT_EQ(form.fired(), (std::vector<Need>{{TNameDicKind::nkLineage, false, {}}}));
}

TEST(TntNMDEdit, capturesTheReadingIntoAWideEditWithItsByteLimit)
{
    Form<TTntNMDEdit, TTntEdit> form;
    EXPECT_EQ(form.edit->Associate(), form.associate);
    form.associate->SetMaxLengthBytes(6);
    compose(form.edit, {u"たかはし"_s}, u"髙橋"_s);
    EXPECT_EQ(form.edit->GetText(), u"髙橋"_s);
    EXPECT_EQ(form.associate->GetText(), u"ﾀｶﾊｼ"_s);
    compose(form.edit, {u"まさみち"_s}, u"正道"_s);
    EXPECT_EQ(form.associate->GetText(), u"ﾀｶﾊｼﾏｻ"_s);
    form.edit->SetText(QString());
    EXPECT_EQ(form.associate->GetText(), QString());
}

TEST(NMDEdit, screenshotOfNameAndReading)
{
    Form<TTntNMDEdit, TTntEdit> form;
    form.edit->setObjectName(u"edtName"_s);
    form.associate->setObjectName(u"edtKana"_s);
    compose(form.edit, {u"やまだ"_s}, u"山田"_s);
    sendCommit(form.edit, u"　"_s);
    compose(form.edit, {u"たろう"_s}, u"太郎"_s);
    form.window.resize(320, form.window.sizeHint().height());
    EXPECT_EQ(form.associate->GetText(), u"ﾔﾏﾀﾞ ﾀﾛｳ"_s);
    EXPECT_FALSE(saveScreenshot(&form.window, u"NMDEdit"_s).isEmpty());
}

} // namespace
