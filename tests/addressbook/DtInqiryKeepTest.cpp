// The record form keeps what a record holds: fields the user did not touch
// are written back as they were read (or not at all), a stored value is shown
// whole, and input the fields cannot take is left out with a word.
#include "DtInqiryFixture.h"

#include "core/AppSub.h"
#include "platform/Colors.h"
#include "platform/Cp932.h"
#include "support/KeyInput.h"
#include "support/RowName.h"
#include "support/Screenshot.h"
#include "util/MsgBoxPos.h"
#include "widgets/ByteLimitValidator.h"

#include <QTabWidget>
#include <QToolButton>

namespace {

const QString kPendingShown = QStringLiteral(
    "照会中のデータが変更されています  \r\n\r\nアドレス帳に保存する場合は「はい」  \r\n破棄する場合は「いいえ」  "
    "\r\n中止する場合は「キャンセル」  \r\n\r\nを押してください  ");

// A field of record 2 as another program, an older version or a copy wrote
// it: its stored bytes, or an integer.
struct StoredCase {
    const char *name;
    const char *Field;
    QByteArray Bytes;
    int Integer = -1; // >= 0: an integer field
};

void PrintTo(const StoredCase &c, std::ostream *os) { *os << c.name; }

QByteArray sjis(const char16_t *text) { return Cp932::encode(QString::fromUtf16(text)); }

const StoredCase kStored[] = {
    {"plainNameOf19Characters", "NameKanji", sjis(u"寿限無寿限無五劫の擦り切れ海砂利水魚の")},
    {"plainJointNameOf13Characters", "Joint1", sjis(u"長久命の長助長久命の長助や")},
    {"companyNameOf120Bytes", "CorpKanji", sjis(u"株式会社").repeated(15)},
    {"loneLeadByteAtTheEnd", "Adrs1", QByteArray("\x93\x8c\x8b\x9e\x82", 5)},
    {"byte0x80", "Adrs2", QByteArray("A\x80" "B", 3)},
    {"bytesFDtoFF", "Keyword1", QByteArray("\xfd\xfe\xff", 3)},
    {"trailingFullWidthBlanks", "Adrs3", sjis(u"３階　　")},
    {"blankLinesInTheLinks", "ExtLink", QByteArray("http://a.jp/\r\n\r\nhttp://b.jp/\r\n")},
    {"markNotInTheList", "SymbolMark", sjis(u"◎")},
    {"telDivOtherThan0And3", "TelDiv", {}, 1},
    {"groupAboveTheCount", "Group", {}, 12},
};

class RecordFormKeeps : public RecordFormTest, public ::testing::WithParamInterface<StoredCase>
{
protected:
    void SetUp() override
    {
        RecordFormTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(writeStored());
        list->RefreshList(true, true, false);
    }

    void writeStored() const
    {
        TTable &table = *DMMurven19->AdrsTable();
        table.SetIndexName(QString());
        ASSERT_TRUE(table.FindKey({QVariant(2)}));
        table.Edit();
        if (GetParam().Integer >= 0)
            table.FieldByName(QLatin1String(GetParam().Field)).SetAsInteger(GetParam().Integer);
        else
            table.FieldByName(QLatin1String(GetParam().Field)).SetAsBytes(GetParam().Bytes);
        table.Post();
    }
    QByteArray storedValue() const
    {
        TTable &table = *DMMurven19->AdrsTable();
        table.SetIndexName(QString());
        EXPECT_TRUE(table.FindKey({QVariant(2)}));
        TField &field = table.FieldByName(QLatin1String(GetParam().Field));
        return GetParam().Integer >= 0 ? QByteArray::number(field.AsInteger()) : field.AsBytes();
    }
};

TEST_P(RecordFormKeeps, anUntouchedFieldSurvivesAChangeOfTheTelephoneNumber)
{
    const QByteArray before = storedValue();
    openRow(1);
    QLineEdit *tel = edit(QStringLiteral("edtTel"));
    tel->setFocus();
    tel->selectAll();
    TypeCharacters(tel, QStringLiteral("0399998888"));
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(stored(2, "Tel"), QByteArray("0399998888"));
    EXPECT_EQ(storedValue(), before);
}

TEST_P(RecordFormKeeps, aRecordWrittenElsewhereRaisesNoQuestionWithoutAnEdit)
{
    openRow(1);
    EXPECT_FALSE(form->IsChanged());
    child<QToolButton>(QStringLiteral("sbtnNext"))->click();
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(form->GetCurrentRecNo(), 3);
}

TEST_P(RecordFormKeeps, answeringYesAfterAnotherEditLeavesTheFieldAsItWas)
{
    const QByteArray before = storedValue();
    const QByteArray stamp = stored(2, "UpdDateTime");
    openRow(1);
    QLineEdit *keyword = edit(QStringLiteral("edtKeyword5"));
    keyword->setFocus();
    TypeCharacters(keyword, QStringLiteral("済"));
    boxes.enqueue(IDYES);
    child<QToolButton>(QStringLiteral("sbtnNext"))->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kPendingShown);
    EXPECT_EQ(stored(2, "Keyword5"), sjis(u"済"));
    EXPECT_NE(stored(2, "UpdDateTime"), stamp);
    EXPECT_EQ(storedValue(), before);
}

INSTANTIATE_TEST_SUITE_P(Stored, RecordFormKeeps, ::testing::ValuesIn(kStored), rowName);

} // namespace

TEST_F(RecordFormTest, aLongStoredNameAndCompanyNameAreShownWhole)
{
    const QString name = QStringLiteral("寿限無寿限無五劫の擦り切れ海砂利水魚の");
    const QString company = QStringLiteral("株式会社").repeated(15);
    writeField(2, "NameKanji", name);
    writeField(2, "CorpKanji", company);
    list->RefreshList(true, true, false);
    openRow(1);
    EXPECT_EQ(edit(QStringLiteral("nmedtNameKanji"))->text(), name);
    EXPECT_EQ(edit(QStringLiteral("nmedtCorpKanji"))->text(), company);
}

TEST_F(RecordFormTest, aLongPlainNameEditedStaysWholeInPlainShiftJis)
{
    const QString name = QStringLiteral("寿限無寿限無五劫の擦り切れ海砂利水魚の");
    writeField(2, "NameKanji", name);
    list->RefreshList(true, true, false);
    openRow(1);
    QLineEdit *kanji = edit(QStringLiteral("nmedtNameKanji"));
    kanji->setFocus();
    kanji->end(false);
    QTest::keyClick(kanji, Qt::Key_Backspace);
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(stored(2, "NameKanji"), Cp932::encode(name.chopped(1)));
}

TEST_F(RecordFormTest, aChangeOfALongCompanyNamePastTheRecordWidthIsSavedWhole)
{
    const QString company = QStringLiteral("株式会社").repeated(15);
    writeField(2, "CorpKanji", company);
    list->RefreshList(true, true, false);
    openRow(1);
    click(QStringLiteral("sbtnCorp"));
    QLineEdit *corp = edit(QStringLiteral("nmedtCorpKanji"));
    corp->setFocus();
    corp->end(false);
    QTest::keyClick(corp, Qt::Key_Backspace);
    EXPECT_TRUE(form->IsChanged()) << "the change lies past the record's 112 bytes";
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(stored(2, "CorpKanji"), Cp932::encode(company.chopped(1)));
}

namespace {

struct InputRoute {
    const char *name;
    void (*enter)(QWidget *widget, const QString &text);
};

const InputRoute kRoutes[] = {
    {"typed", TypeCharacters}, {"inputMethod", CommitThroughInputMethod}, {"pasted", PasteText}};

class NameEditLastCharacter : public RecordFormTest, public ::testing::WithParamInterface<InputRoute>
{
};

TEST_P(NameEditLastCharacter, outsideTheBmpIsRefusedWholeWithTheHint)
{
    openNew();
    for (const auto &[control, room] : {std::pair{"nmedtNameKanji", 15}, std::pair{"nmedtJoint1", 11}}) {
        QLineEdit *name = edit(QString::fromLatin1(control));
        child<QTabWidget>(QStringLiteral("pgcInquiry"))->setCurrentIndex(control[5] == 'J' ? 1 : 0);
        name->setFocus();
        const QString held(room - 1, QChar(u'田'));
        name->setText(held);
        name->end(false);
        GetParam().enter(name, QStringLiteral("𠮷"));
        EXPECT_EQ(name->text(), held) << control;
        EXPECT_EQ(ShownInputRefusedHint(),
                  QStringLiteral("この欄には%1文字までしか入りません。入らなかった部分: 𠮷").arg(room))
            << control;
    }
    click(QStringLiteral("btnAdd"));
    const QByteArray stored = this->stored(lastRecNo(), "NameKanji");
    EXPECT_EQ(stored, EncodeUnicodeField(QString(14, QChar(u'田'))));
    EXPECT_FALSE(stored.contains("@D842"));
}

INSTANTIATE_TEST_SUITE_P(Routes, NameEditLastCharacter, ::testing::ValuesIn(kRoutes), rowName);

} // namespace

TEST_F(RecordFormTest, aPasteKeepsWhatCanBeStoredAndTheHintNamesTheRestUntilTheFieldIsLeft)
{
    openNew();
    QLineEdit *adrs1 = edit(QStringLiteral("edtAdrs1"));
    adrs1->setFocus();
    PasteText(adrs1, QStringLiteral("東京𠮷😀ä区"));
    EXPECT_EQ(adrs1->text(), QStringLiteral("東京区"));
    EXPECT_EQ(ShownInputRefusedHint(), QStringLiteral("この文字は保存できません: 𠮷 😀 ä"));
    EXPECT_FALSE(saveScreenshot(ShownInputHintWidget(), QStringLiteral("RecordFormInputHint")).isEmpty());
    edit(QStringLiteral("edtAdrs2"))->setFocus();
    EXPECT_TRUE(ShownInputRefusedHint().isEmpty());
}

TEST_F(RecordFormTest, aPasteTooLongForTheTelephoneTellsTheCut)
{
    openNew();
    QLineEdit *tel = edit(QStringLiteral("edtTel"));
    tel->setFocus();
    PasteText(tel, QStringLiteral("０１１（２３１）４１１１"));
    EXPECT_EQ(tel->text(), QStringLiteral("011-231-4111"));
    tel->setText(QString());
    PasteText(tel, QStringLiteral("0120-123-456-789"));
    EXPECT_EQ(tel->text(), QStringLiteral("0120-123-456-"));
    EXPECT_EQ(ShownInputRefusedHint(),
              QStringLiteral("この欄には半角13文字（全角6文字）までしか入りません。入らなかった部分: 789"));
}

namespace {

class NumberFieldLetters : public RecordFormTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(NumberFieldLetters, areRefusedWithTheHint)
{
    openNew();
    QLineEdit *number = edit(QString::fromLatin1(GetParam()));
    number->setFocus();
    TypeCharacters(number, QStringLiteral("06abc"));
    EXPECT_EQ(number->text(), QStringLiteral("06"));
    EXPECT_EQ(ShownInputRefusedHint(), QStringLiteral("この欄には数字とハイフンだけが入ります: c"));
}

INSTANTIATE_TEST_SUITE_P(Fields, NumberFieldLetters,
                         ::testing::Values("edtTel", "edtFax", "edtPortable1", "edtPortable2"),
                         [](const auto &info) { return std::string(info.param); });

struct ReadingCase {
    const char *Control;
    const char *Field;
};

class ReadingField : public RecordFormTest, public ::testing::WithParamInterface<ReadingCase>
{
};

TEST_P(ReadingField, storesHalfWidthKatakanaWhateverKanaIsTyped)
{
    openNew();
    click(QStringLiteral("sbtnCorp"));
    QLineEdit *reading = edit(QString::fromLatin1(GetParam().Control));
    reading->setFocus();
    CommitThroughInputMethod(reading, QStringLiteral("やまだ"));
    CommitThroughInputMethod(reading, QStringLiteral("タロウ"));
    EXPECT_EQ(reading->text(), QStringLiteral("ﾔﾏﾀﾞﾀﾛｳ"));
    click(QStringLiteral("btnAdd"));
    EXPECT_EQ(stored(lastRecNo(), GetParam().Field), Cp932::encode(QStringLiteral("ﾔﾏﾀﾞﾀﾛｳ")));
}

INSTANTIATE_TEST_SUITE_P(Fields, ReadingField,
                         ::testing::Values(ReadingCase{"edtAdrsKana", "AdrsKana"},
                                           ReadingCase{"edtCorpKana", "CorpKana"},
                                           ReadingCase{"nmedtNameKana", "NameKana"}),
                         [](const auto &info) { return std::string(info.param.Field); });

class ReadOnlyField : public RecordFormTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(ReadOnlyField, looksReadOnly)
{
    openNew();
    QLineEdit *field = edit(QString::fromLatin1(GetParam()));
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_EQ(field->palette().color(QPalette::Base), ColorToQColor(clBtnFace));
    EXPECT_NE(edit(QStringLiteral("edtTel"))->palette().color(QPalette::Base), ColorToQColor(clBtnFace));
}

INSTANTIATE_TEST_SUITE_P(Fields, ReadOnlyField,
                         ::testing::Values("edtPubDate", "edtJisCode", "edtAddDateTime", "edtUpdDateTime"),
                         [](const auto &info) { return std::string(info.param); });

} // namespace
