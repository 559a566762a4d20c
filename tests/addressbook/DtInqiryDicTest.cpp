// The record form's dictionary buttons over the real dictionary libraries and
// the data of the committed excerpts; the dialog is answered as a person
// would, by its decide button, once it is up.

#include "DtInqiryFixture.h"

#include "core/AppSub.h"
#include "core/Env.h"
#include "core/Wqarea17Wrapper.h"
#include "directory/DicSch.h"
#include "directory/TntNMDic.h"
#include "platform/Cp932.h"

#include "support/DicProgramFolder.h"
#include "widgets/NMDEdit.h"
#include "widgets/TntNMDEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QInputMethodEvent>
#include <QTextCharFormat>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

class RecordFormDicTest : public RecordFormTest
{
protected:
    // Presses 決定 of the dictionary dialog once it is shown.
    void decideWhenShown()
    {
        dicAnswer = [](TDicSearch &dialog) {
            dialog.show();
            dialog.findChild<QPushButton *>(QStringLiteral("btnDecision"))->click();
            return dialog.result();
        };
    }
    QString text(const char *name) const { return edit(QLatin1String(name))->text(); }

    TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
};

TEST_F(RecordFormDicTest, theDictionaryButtonsAreEnabled)
{
    openNew();
    for (const char *name : {"bbtnTelSch", "bbtnPosSch", "bbtnAdrsSearch"})
        EXPECT_TRUE(child<QAbstractButton>(QLatin1String(name))->isEnabled()) << name;
}

// A new record opens the search once, on its telephone page (the number
// first). The postcode search opens only when asked for: a postcode typed
// that reaches several towns, left with Tab or with Enter (which goes on to
// its 検索 button), opens nothing; Enter on that button does.
TEST_F(RecordFormDicTest, onlyTheNewRecordOpensTheSearchByItselfAndOnItsTelephonePage)
{
    QList<int> pages;
    dicAnswer = [&pages](TDicSearch &dialog) {
        pages << dialog.ResultKind;
        return 2;
    };
    openNew();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_EQ(pages, QList<int>{drkPhone});

    QLineEdit *postcode = edit(QStringLiteral("edtPos"));
    QTest::mouseClick(postcode, Qt::LeftButton);
    QTest::keyClicks(postcode, QStringLiteral("259"));
    QTest::keyClick(postcode, Qt::Key_Tab);
    QTest::mouseClick(postcode, Qt::LeftButton);
    QTest::keyClick(postcode, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(QStringLiteral("bbtnPosSch")));
    EXPECT_EQ(pages, QList<int>{drkPhone});

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(pages, (QList<int>{drkPhone, drkPostcode}));
}

TEST_F(RecordFormDicTest, aRealPostcodeFillsPrefectureCityAndTownWithReadings)
{
    openNew();
    setText(QStringLiteral("edtPos"), QStringLiteral("2500011"));
    decideWhenShown();
    click(QStringLiteral("bbtnPosSch"));
    EXPECT_EQ(text("edtPos"), QStringLiteral("250-0011"));
    EXPECT_EQ(text("edtTdfkn"), QStringLiteral("神奈川県"));
    EXPECT_EQ(text("edtAdrs1"), QStringLiteral("小田原市"));
    EXPECT_EQ(text("edtAdrs2"), QStringLiteral("栄町"));
    EXPECT_EQ(text("edtAdrsKana"), QStringLiteral("ｶﾅｶﾞﾜｹﾝｵﾀﾞﾜﾗｼｻｶｴﾁｮｳ"));
    EXPECT_EQ(text("edtJisCode"), QStringLiteral("14206"));
}

TEST_F(RecordFormDicTest, anAddressThatGoesOnFromTheFoundOneIsKept)
{
    openNew();
    setText(QStringLiteral("edtTdfkn"), QStringLiteral("神奈川県"));
    setText(QStringLiteral("edtAdrs1"), QStringLiteral("小田原市"));
    setText(QStringLiteral("edtAdrs2"), QStringLiteral("栄町一丁目"));
    setText(QStringLiteral("edtAdrs3"), QStringLiteral("1-1"));
    setText(QStringLiteral("edtPos"), QStringLiteral("250-0011"));
    decideWhenShown();
    click(QStringLiteral("bbtnPosSch"));
    EXPECT_EQ(text("edtAdrs2"), QStringLiteral("栄町一丁目"));
    EXPECT_EQ(text("edtAdrs3"), QStringLiteral("1-1"));
    EXPECT_EQ(text("edtAdrsKana"), QStringLiteral("ｶﾅｶﾞﾜｹﾝｵﾀﾞﾜﾗｼｻｶｴﾁｮｳ"));
}

TEST_F(RecordFormDicTest, aPostcodeWithLettersFillsNothing)
{
    openNew();
    setText(QStringLiteral("edtPos"), QStringLiteral("25a-0011"));
    dicAnswer = [](TDicSearch &dialog) {
        dialog.findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
        return dialog.result();
    };
    click(QStringLiteral("bbtnPosSch"));
    EXPECT_TRUE(text("edtTdfkn").isEmpty());
    EXPECT_TRUE(text("edtAdrs1").isEmpty());
}

// The large offices of the public data have no readings: taking one into
// the form keeps the reading typed for that same name, and drops a reading
// typed for another name, which would be stale.
class RecordFormLargeOfficeReading : public RecordFormDicTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(RecordFormLargeOfficeReading, isKeptOnlyForTheSameName)
{
    const bool sameName = GetParam();
    openNew();
    click(QStringLiteral("sbtnCorp"));
    setText(QStringLiteral("nmedtCorpKanji"), sameName ? QStringLiteral("古久根建設　株式会社") : QStringLiteral("別の会社"));
    setText(QStringLiteral("edtCorpKana"), QStringLiteral("ｺｸﾈｹﾝｾﾂ"));
    setText(QStringLiteral("edtPos"), QStringLiteral("1028102"));
    dicAnswer = [](TDicSearch &dialog) {
        dialog.show();
        dialog.findChild<QRadioButton *>(QStringLiteral("rbPosViewOhguchi"))->click();
        auto *offices = dialog.findChild<QTreeWidget *>(QStringLiteral("lvPosTown"));
        offices->setCurrentItem(offices->topLevelItem(0));
        dialog.findChild<QPushButton *>(QStringLiteral("btnDecision"))->click();
        return dialog.result();
    };
    click(QStringLiteral("bbtnPosSch"));
    EXPECT_EQ(text("nmedtCorpKanji"), QStringLiteral("古久根建設　株式会社"));
    EXPECT_EQ(text("edtCorpKana"), sameName ? QStringLiteral("ｺｸﾈｹﾝｾﾂ") : QString());
}

INSTANTIATE_TEST_SUITE_P(Names, RecordFormLargeOfficeReading, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "sameName" : "otherName"; });

// Retyping the surname of a name whose reading is filled in leaves that
// reading alone: the name edit writes its reading into the reading edit
// only while that edit is empty, or for a given name.
struct TRetypeCase {
    const char *name;
    const char16_t *kana;     // the reading edit before
    int selectFrom, selectTo; // the part of "山田　太郎" retyped
    const char16_t *typed, *converted;
    TNameDicKind kind;
    const char16_t *kanaAfter;
};

class RecordFormRetypedName : public RecordFormDicTest, public ::testing::WithParamInterface<TRetypeCase>
{
};

TEST_P(RecordFormRetypedName, theReadingEditTakesTheReadingOnlyWhenItMay)
{
    const TRetypeCase &c = GetParam();
    openRow(0);
    auto *name = form->findChild<TTntNMDEdit *>(QStringLiteral("nmedtNameKanji"));
    ASSERT_NE(name, nullptr);
    name->setText(QStringLiteral("山田　太郎"));
    setText(QStringLiteral("nmedtNameKana"), QString::fromUtf16(c.kana));
    name->setSelection(c.selectFrom, c.selectTo - c.selectFrom);
    const auto preedit = [name](const QString &text, bool converted) {
        QTextCharFormat format;
        format.setFontUnderline(true);
        if (converted)
            format.setBackground(Qt::darkBlue);
        QInputMethodEvent event(text, {{QInputMethodEvent::TextFormat, 0, int(text.size()), QVariant(format)}});
        QCoreApplication::sendEvent(name, &event);
    };
    preedit(QString::fromUtf16(c.typed), false);
    // As the edit reports the reading once the input method has drawn it.
    name->OnConvertNeed(name, c.kind, true, ConvertReadingToHalfKana(QString::fromUtf16(c.typed)));
    preedit(QString::fromUtf16(c.converted), true);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf16(c.converted));
    QCoreApplication::sendEvent(name, &commit);
    EXPECT_EQ(text("nmedtNameKana"), QString::fromUtf16(c.kanaAfter));
}

INSTANTIATE_TEST_SUITE_P(
    Names, RecordFormRetypedName,
    ::testing::Values(TRetypeCase{"surnameOfAFilledReading", u"ﾔﾏﾀﾞ ﾀﾛｳ", 0, 2, u"やまだ", u"山多", TNameDicKind::nkLineage,
                                  u"ﾔﾏﾀﾞ ﾀﾛｳ"},
                      TRetypeCase{"surnameOfAnEmptyReading", u"", 0, 2, u"やまだ", u"山多", TNameDicKind::nkLineage,
                                  u"ﾔﾏﾀﾞ"},
                      TRetypeCase{"givenName", u"ﾔﾏﾀﾞ ", 3, 5, u"たろう", u"太朗", TNameDicKind::nkFirst,
                                  u"ﾔﾏﾀﾞ ﾀﾛｳ"}),
    [](const auto &info) { return std::string(info.param.name); });

// The dictionary knows no positions (it answers 0): a look-up that keeps
// the typed address keeps the position the record has for it (picked on a
// map), and one that puts another address in drops the old address's.
struct TPositionCase {
    const char *name;
    const char16_t *town; // the stored 住所２
    bool kept;
};

class RecordFormPositionAfterLookup : public RecordFormDicTest, public ::testing::WithParamInterface<TPositionCase>
{
};

TEST_P(RecordFormPositionAfterLookup, thePositionGoesOnlyWithTheAddress)
{
    const TPositionCase &c = GetParam();
    writeField(2, "Tdfkn", QStringLiteral("神奈川県"));
    writeField(2, "Adrs1", QStringLiteral("小田原市"));
    writeField(2, "Adrs2", QString::fromUtf16(c.town));
    writeField(2, "Pos", QStringLiteral("2500011"));
    writeField(2, "Latitude", 126000123);
    writeField(2, "Longitude", 503000456);
    openRow(1);
    ASSERT_EQ(text("nmedtNameKanji"), QStringLiteral("名前2"));
    decideWhenShown();
    click(QStringLiteral("bbtnPosSch"));
    ASSERT_EQ(text("edtAdrs2") == QString::fromUtf16(c.town), c.kept);
    click(QStringLiteral("btnUpdate"));
    TTable &table = *DMMurven19->AdrsTable();
    table.SetIndexName(QString());
    ASSERT_TRUE(table.FindKey({QVariant(2)}));
    EXPECT_EQ(table.FieldByName(QStringLiteral("Latitude")).AsInteger(), c.kept ? 126000123 : 0);
    EXPECT_EQ(table.FieldByName(QStringLiteral("Longitude")).AsInteger(), c.kept ? 503000456 : 0);
}

INSTANTIATE_TEST_SUITE_P(Addresses, RecordFormPositionAfterLookup,
                         ::testing::Values(TPositionCase{"addressKept", u"栄町一丁目１－１", true},
                                           TPositionCase{"addressReplaced", u"本町", false}),
                         [](const auto &info) { return std::string(info.param.name); });

// The name popup offers spellings of what was being typed into the shown
// record: when the form moves on to another record the popup goes with it,
// so a key or click meant for it never writes into the next record.
TEST_F(RecordFormDicTest, theNamePopupGoesWhenTheFormShowsAnotherRecord)
{
    openRow(0);
    // Offscreen no window is active: the form counts as the active one.
    struct TActiveForm {
        explicit TActiveForm(QPointer<TDataInquiry> &f)
        {
            TTntNameDic::ActiveWindowProbe = [&f] { return static_cast<QWidget *>(f.data()); };
        }
        ~TActiveForm() { TTntNameDic::ActiveWindowProbe = nullptr; }
    } active(form);
    auto *name = form->findChild<TTntNMDEdit *>(QStringLiteral("nmedtNameKanji"));
    ASSERT_NE(name, nullptr);
    name->OnConvertNeed(name, TNameDicKind::nkLineage, true, Cp932::encode(u"ﾖｼﾀﾞ"));
    auto *popup = form->findChild<TTntNameDic *>();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->isVisible());
    quint32 key = 40; // Down: the first spelling is selected
    bool used = false;
    name->OnConvertKeyDown(name, key, used);
    ASSERT_TRUE(used);

    click(QStringLiteral("sbtnNext"));
    ASSERT_EQ(text("nmedtNameKanji"), QStringLiteral("名前2"));
    key = 13; // Enter, for the popup if it were still there
    used = false;
    name->OnConvertKeyDown(name, key, used);
    QCoreApplication::processEvents();
    EXPECT_FALSE(used);
    EXPECT_EQ(text("nmedtNameKanji"), QStringLiteral("名前2"));
    EXPECT_TRUE(form->findChild<TTntNameDic *>() == nullptr || !form->findChild<TTntNameDic *>()->isVisible());
}

struct TSnapshotCase {
    const char *name;
    bool outOfTarget;
    bool existingRecord;
    bool asks;
};

class RecordFormFilledSnapshot : public RecordFormDicTest, public ::testing::WithParamInterface<TSnapshotCase>
{
};

TEST_P(RecordFormFilledSnapshot, aFormFilledFromTheDictionaryCountsAsChangedOnlyAsTheSettingSays)
{
    const TSnapshotCase &c = GetParam();
    AddressOutOfTarget = c.outOfTarget;
    if (c.existingRecord)
        openRow(1);
    else
        openNew();
    setText(QStringLiteral("edtPos"), QStringLiteral("2500011"));
    decideWhenShown();
    click(QStringLiteral("bbtnPosSch"));
    ASSERT_EQ(text("edtTdfkn"), QStringLiteral("神奈川県"));
    boxes.clear();
    boxes.enqueue(IDNO);
    form->close();
    EXPECT_EQ(boxes.count(), c.asks ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Settings, RecordFormFilledSnapshot,
                         ::testing::Values(TSnapshotCase{"newRecordWithTheSetting", true, false, false},
                                           TSnapshotCase{"newRecordWithoutTheSetting", false, false, true},
                                           TSnapshotCase{"shownRecordWithTheSetting", true, true, true}),
                         [](const auto &info) { return std::string(info.param.name); });

struct TSourceCase {
    const char *name;
    const char *button;
    std::vector<std::pair<const char *, const char *>> typed; // edit, text
    const char *focused;
};

class RecordFormSearchSource : public RecordFormDicTest, public ::testing::WithParamInterface<TSourceCase>
{
};

TEST_P(RecordFormSearchSource, theEditThatGaveTheTextTakesTheFocusWithTheCaretAtItsEnd)
{
    const TSourceCase &c = GetParam();
    openNew();
    for (const auto &[name, value] : c.typed) {
        setText(QLatin1String(name), QString::fromUtf8(value));
        edit(QLatin1String(name))->setCursorPosition(0);
    }
    QString searched;
    dicAnswer = [&searched](TDicSearch &dialog) {
        const int tab = dialog.findChild<QTabWidget *>(QStringLiteral("pgctlDicType"))->currentIndex();
        static const char *const edits[] = {"edtTelSch", "edtPosSch", "edtAdrsSch"};
        searched = dialog.findChild<QLineEdit *>(QLatin1String(edits[tab]))->text();
        return 2;
    };
    click(QLatin1String(c.button));
    QLineEdit *focused = edit(QLatin1String(c.focused));
    EXPECT_EQ(form->focusWidget(), focused);
    EXPECT_EQ(focused->cursorPosition(), focused->text().size());
    EXPECT_FALSE(searched.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, RecordFormSearchSource,
    ::testing::Values(TSourceCase{"telephoneFirst", "bbtnTelSch", {{"edtTel", "0465"}, {"edtFax", "0466"}}, "edtTel"},
                      TSourceCase{"faxWhenNoTelephone", "bbtnTelSch", {{"edtFax", "0466"}, {"edtPortable2", "090"}}, "edtFax"},
                      TSourceCase{"portable2Last", "bbtnTelSch", {{"edtPortable2", "090"}}, "edtPortable2"},
                      TSourceCase{"postcode", "bbtnPosSch", {{"edtPos", "250"}}, "edtPos"},
                      TSourceCase{"addressFromAnyPart", "bbtnAdrsSearch", {{"edtAdrs2", "栄町"}}, "edtTdfkn"}),
    [](const auto &info) { return std::string(info.param.name); });

// What the dictionary dialog showed when the form opened it.
struct TShownDialog {
    int tab = -1;
    QString number;
    bool saveBoxShown = false;
    bool saveBoxChecked = false;
};

class RecordFormNewRecordSearch : public RecordFormDicTest
{
protected:
    void recordShownDialogs()
    {
        dicAnswer = [this](TDicSearch &dialog) {
            TShownDialog seen;
            seen.tab = dialog.findChild<QTabWidget *>(QStringLiteral("pgctlDicType"))->currentIndex();
            seen.number = dialog.findChild<QLineEdit *>(QStringLiteral("edtTelSch"))->text();
            const auto *save = dialog.findChild<QCheckBox *>(QStringLiteral("chkSaveTel"));
            seen.saveBoxShown = !save->isHidden();
            seen.saveBoxChecked = save->isChecked();
            shownDialogs.push_back(seen);
            return 2;
        };
    }
    std::vector<TShownDialog> shownDialogs;
};

TEST_F(RecordFormNewRecordSearch, aFreshNewRecordOpensTheEmptyTelephonePageWithTheSaveBox)
{
    recordShownDialogs();
    openNew();
    ASSERT_EQ(shownDialogs.size(), 1u);
    EXPECT_EQ(shownDialogs[0].tab, 0);
    EXPECT_TRUE(shownDialogs[0].number.isEmpty());
    EXPECT_TRUE(shownDialogs[0].saveBoxShown);
    EXPECT_FALSE(shownDialogs[0].saveBoxChecked);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("アドレス帳情報登録"));
}

TEST_F(RecordFormNewRecordSearch, theNewRecordButtonOpensTheTelephonePageToo)
{
    recordShownDialogs();
    openRow(1);
    ASSERT_TRUE(shownDialogs.empty()); // a shown record opens no search
    click(QStringLiteral("bbtnNew"));
    ASSERT_EQ(shownDialogs.size(), 1u);
    EXPECT_EQ(shownDialogs[0].tab, 0);
    EXPECT_TRUE(shownDialogs[0].saveBoxShown);
    EXPECT_TRUE(text("nmedtNameKanji").isEmpty());
}

TEST_F(RecordFormNewRecordSearch, theListsNumberSearchCommandOpensTheFormOnTheTelephonePage)
{
    recordShownDialogs();
    list->findChild<QAction *>(QStringLiteral("actNumerSearch"))->trigger();
    form = DataInquiry;
    ASSERT_NE(form, nullptr);
    QTRY_COMPARE(shownDialogs.size(), 1u);
    EXPECT_EQ(shownDialogs[0].tab, 0);
    EXPECT_TRUE(shownDialogs[0].saveBoxShown);
    // The command again on the shown form starts another new record.
    list->findChild<QAction *>(QStringLiteral("actNumerSearch"))->trigger();
    EXPECT_EQ(shownDialogs.size(), 2u);
}

TEST_F(RecordFormNewRecordSearch, theKeptAreaCodeIsOfferedWhenTheBoxWasLeftChecked)
{
    QFile kept(DataRoot + QStringLiteral("Kykbn.dat"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write("[KYKBN]\r\nSave=1\r\nTel=0465\r\n");
    kept.close();
    recordShownDialogs();
    openNew();
    ASSERT_EQ(shownDialogs.size(), 1u);
    EXPECT_EQ(shownDialogs[0].number, QStringLiteral("0465"));
    EXPECT_TRUE(shownDialogs[0].saveBoxChecked);
}

TEST_F(RecordFormNewRecordSearch, theDictionaryButtonsDoNotOfferTheSaveBox)
{
    openNew();
    recordShownDialogs();
    click(QStringLiteral("bbtnTelSch"));
    ASSERT_EQ(shownDialogs.size(), 1u);
    EXPECT_FALSE(shownDialogs[0].saveBoxShown);
}

TEST_F(RecordFormNewRecordSearch, aNumberDecidedOnTheNewRecordPageFillsTheForm)
{
    dicAnswer = [](TDicSearch &dialog) {
        dialog.show();
        dialog.findChild<QLineEdit *>(QStringLiteral("edtTelSch"))->setText(QStringLiteral("0465-23-0000"));
        dialog.findChild<QToolButton *>(QStringLiteral("bbtnTelSch"))->click();
        dialog.findChild<QPushButton *>(QStringLiteral("btnDecision"))->click();
        return dialog.result();
    };
    openNew();
    EXPECT_EQ(text("edtTdfkn"), QStringLiteral("神奈川県"));
    EXPECT_EQ(text("edtAdrs1"), QStringLiteral("小田原市"));
    EXPECT_FALSE(text("edtTel").isEmpty());
}

// The book's records carry 0311110000 + RecNo as their telephone number.
struct TBookNumberCase {
    const char *name;
    const char *field; // where record 4's number is written, "Tel" keeps it
    const char *edit;  // the form's edit the number is typed into
};

class RecordFormBookNumber : public RecordFormDicTest, public ::testing::WithParamInterface<TBookNumberCase>
{
};

TEST_P(RecordFormBookNumber, aNumberOfABookRecordShowsThatRecordInsteadOfFillingTheForm)
{
    const TBookNumberCase &c = GetParam();
    if (QLatin1String(c.field) != QLatin1String("Tel")) {
        writeField(4, "Tel", QString());
        writeField(4, c.field, QStringLiteral("0465770004"));
    }
    const QString number = QLatin1String(c.field) == QLatin1String("Tel") ? QStringLiteral("0311110004")
                                                                         : QStringLiteral("0465-77-0004");
    openNew();
    const int dialogsBefore = dicShown;
    setText(QLatin1String(c.edit), number);
    boxes.enqueue(IDYES);
    click(QStringLiteral("bbtnTelSch"));
    EXPECT_EQ(dicShown, dialogsBefore); // one record decides without the dialog
    EXPECT_EQ(form->windowTitle(), QStringLiteral("アドレス帳情報照会"));
    EXPECT_EQ(text("nmedtNameKanji"), QStringLiteral("名前4"));
    EXPECT_EQ(position(), QStringLiteral("4 / 5"));
    EXPECT_EQ(list->InquiryRow(), 3);
    EXPECT_TRUE(text("edtTdfkn").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Fields, RecordFormBookNumber,
                         ::testing::Values(TBookNumberCase{"tel", "Tel", "edtTel"},
                                           TBookNumberCase{"fax", "Fax", "edtFax"},
                                           TBookNumberCase{"portable1", "Portable1", "edtPortable1"},
                                           TBookNumberCase{"portable2", "Portable2", "edtPortable2"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecordFormDicTest, aBookRecordTheListDoesNotShowIsReadByItsNumber)
{
    writeField(5, "Group", 3);
    list->findChild<QComboBox *>(QStringLiteral("cbxGroup"))->setCurrentIndex(1); // 未指定のみ: not record 5
    QCoreApplication::processEvents();
    ASSERT_EQ(list->IndexOfRecNo(5), -1);
    openRow(1); // the list marks the row the form shows
    ASSERT_EQ(list->InquiryRow(), 1);
    setText(QStringLiteral("edtTel"), QStringLiteral("0311110005"));
    boxes.enqueue(IDYES);
    click(QStringLiteral("bbtnTelSch"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("アドレス帳情報照会"));
    EXPECT_EQ(text("nmedtNameKanji"), QStringLiteral("名前5"));
    EXPECT_EQ(list->InquiryRow(), -1);
    EXPECT_EQ(position(), QStringLiteral("--- / 4"));
}

// 市町村コード取得 over the real one-address conversion: the codes of the
// address as the form holds it; nothing to search clears them; an address
// the dictionary cannot place leaves them as they were.
struct TJisCodeCase {
    const char *name;
    const char16_t *pref, *city, *town;
    const char *jisBefore;
    const char *jis;  // after the click
    bool kajoFilled;  // the town code comes with it
};

class RecordFormJisCode : public RecordFormDicTest, public ::testing::WithParamInterface<TJisCodeCase>
{
};

TEST_P(RecordFormJisCode, theButtonTakesTheCodesOfTheTypedAddress)
{
    const TJisCodeCase &c = GetParam();
    openNew();
    setText(QStringLiteral("edtTdfkn"), QString::fromUtf16(c.pref));
    setText(QStringLiteral("edtAdrs1"), QString::fromUtf16(c.city));
    setText(QStringLiteral("edtAdrs2"), QString::fromUtf16(c.town));
    setText(QStringLiteral("edtJisCode"), QLatin1String(c.jisBefore));
    auto *kajo = child<QLabel>(QStringLiteral("lblKajoCode"));
    kajo->setText(QStringLiteral("999999"));
    ASSERT_TRUE(child<QAbstractButton>(QStringLiteral("bbtnGetJisCode"))->isEnabled());
    click(QStringLiteral("bbtnGetJisCode"));
    EXPECT_EQ(text("edtJisCode"), QLatin1String(c.jis));
    if (c.kajoFilled) {
        EXPECT_EQ(kajo->text().size(), 6);
        EXPECT_NE(kajo->text(), QStringLiteral("999999"));
    } else {
        EXPECT_EQ(kajo->text(), QLatin1String(*c.jis ? "999999" : ""));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, RecordFormJisCode,
    ::testing::Values(TJisCodeCase{"knownTown", u"神奈川県", u"小田原市", u"栄町一丁目１－１", "", "14206", true},
                      TJisCodeCase{"nothingTyped", u"", u"", u"", "14206", "", false},
                      TJisCodeCase{"unknownPlaceKeepsTheCodes", u"架空県", u"架空市", u"本町", "14206", "14206", false}),
    [](const auto &info) { return std::string(info.param.name); });

// What the user typed into the form before searching a number that a book
// record holds is not dropped for that record unasked: the pending-edit
// question comes first, and its キャンセル keeps the typing.
struct TTypedBeforeCase {
    const char *name;
    bool existingRecord; // editing a shown record rather than a new one
    int answer;          // to the pending-edit question
    bool recordShown;    // record 2 ends up shown
    bool saved = false;  // the typing was saved first
};

class RecordFormTypedBeforeBookNumber : public RecordFormDicTest, public ::testing::WithParamInterface<TTypedBeforeCase>
{
};

TEST_P(RecordFormTypedBeforeBookNumber, thePendingEditQuestionComesBeforeTheFoundRecord)
{
    const TTypedBeforeCase &c = GetParam();
    if (c.existingRecord)
        openRow(0);
    else
        openNew();
    setText(QStringLiteral("edtAdrs3"), QStringLiteral("入力中の住所"));
    setText(QStringLiteral("edtTel"), QStringLiteral("0311110002"));
    boxes.clear();
    boxes.enqueue(IDYES);   // show the book's record
    boxes.enqueue(c.answer); // and what was typed?
    click(QStringLiteral("bbtnTelSch"));
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(text("nmedtNameKanji") == QStringLiteral("名前2"), c.recordShown);
    EXPECT_EQ(text("edtAdrs3") == QStringLiteral("入力中の住所"), !c.recordShown);
    EXPECT_EQ(bookCount(), kBookRows + (c.saved && !c.existingRecord ? 1 : 0));
    if (c.saved && c.existingRecord) {
        EXPECT_EQ(Cp932::decode(stored(1, "Adrs3")), QStringLiteral("入力中の住所"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RecordFormTypedBeforeBookNumber,
    ::testing::Values(TTypedBeforeCase{"newRecordCancelled", false, IDCANCEL, false},
                      TTypedBeforeCase{"newRecordDiscarded", false, IDNO, true},
                      TTypedBeforeCase{"shownRecordCancelled", true, IDCANCEL, false},
                      TTypedBeforeCase{"shownRecordDiscarded", true, IDNO, true},
                      TTypedBeforeCase{"newRecordSaved", false, IDYES, true, true},
                      TTypedBeforeCase{"shownRecordSaved", true, IDYES, true, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecordFormDicTest, cancellingTheBookQuestionLeavesTheFormAsItWas)
{
    openNew();
    setText(QStringLiteral("edtTel"), QStringLiteral("0311110002"));
    boxes.enqueue(IDCANCEL);
    click(QStringLiteral("bbtnTelSch"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("アドレス帳情報登録"));
    EXPECT_TRUE(text("nmedtNameKanji").isEmpty());
    EXPECT_EQ(text("edtTel"), QStringLiteral("0311110002"));
}

// ---- A directory listing decided at once (one hit) ----

struct TOneListing {
    static inline TTelRecord record{};
    static int tel(TTelSearchCondition *, void *result, std::int32_t *count)
    {
        std::memcpy(result, &record, sizeof record);
        *count = 1;
        return 0;
    }
};

struct TListingCase {
    const char *name;
    int phoneKind;
    int listingKind;
    bool tel, fax, mainNumber;
    bool company;
};

class RecordFormListing : public RecordFormDicTest, public ::testing::WithParamInterface<TListingCase>
{
protected:
    void SetUp() override
    {
        RecordFormDicTest::SetUp();
        m_useArea = UseArea;
        UseArea.fill(true);
        functions.Tel = &TOneListing::tel;
        SetWqarea17ForTesting(&functions);
    }
    void TearDown() override
    {
        SetWqarea17ForTesting(nullptr);
        UseArea = m_useArea;
        RecordFormDicTest::TearDown();
    }
    static void copy(char *field, std::size_t size, const QString &text)
    {
        const QByteArray bytes = Cp932::encode(text);
        std::memcpy(field, bytes.constData(), std::min<std::size_t>(size, static_cast<std::size_t>(bytes.size())));
    }
    TWqarea17Functions functions{};

private:
    decltype(UseArea) m_useArea{};
};

TEST_P(RecordFormListing, aListingFillsTheNumberByItsKindAndTheNameByItsListing)
{
    const TListingCase &c = GetParam();
    TTelRecord &r = TOneListing::record;
    r = TTelRecord{};
    copy(r.Phone, sizeof r.Phone, QStringLiteral("0465230001"));
    r.PhoneKind = c.phoneKind;
    r.ListingKind = c.listingKind;
    copy(r.Name, sizeof r.Name, c.company ? QStringLiteral("(株)小田原商事") : QStringLiteral("山田太郎"));
    copy(r.NameKana, sizeof r.NameKana, QStringLiteral("ﾔﾏﾀﾞ"));
    copy(r.Pref, sizeof r.Pref, QStringLiteral("神奈川県"));
    copy(r.City, sizeof r.City, QStringLiteral("小田原市"));
    copy(r.Address2a, sizeof r.Address2a, QStringLiteral("栄町"));
    copy(r.FirstMonth, sizeof r.FirstMonth, QStringLiteral("201404"));
    openNew();
    const int dialogsBefore = dicShown;
    // Typed where neither 電話 nor FAX is: what they show comes from the listing.
    setText(QStringLiteral("edtPortable1"), QStringLiteral("0465230001"));
    click(QStringLiteral("bbtnTelSch"));
    EXPECT_EQ(dicShown, dialogsBefore); // one listing decides without the dialog
    EXPECT_EQ(text("edtTel").isEmpty(), !c.tel);
    EXPECT_EQ(text("edtFax").isEmpty(), !c.fax);
    EXPECT_EQ(child<QAbstractButton>(QStringLiteral("chkMainNumber"))->isChecked(), c.mainNumber);
    EXPECT_EQ(text("edtTdfkn"), QStringLiteral("神奈川県"));
    EXPECT_EQ(text("edtAdrs2"), QStringLiteral("栄町"));
    EXPECT_EQ(text("edtPubDate"), QStringLiteral(" 2014年04月"));
    EXPECT_EQ(child<QAbstractButton>(QStringLiteral("sbtnCorp"))->isChecked(), c.company);
    if (c.company) {
        EXPECT_EQ(text("nmedtCorpKanji"), QStringLiteral("株式会社小田原商事"));
        EXPECT_TRUE(text("nmedtNameKanji").isEmpty());
    } else {
        EXPECT_EQ(text("nmedtNameKanji"), QStringLiteral("山田太郎"));
        EXPECT_EQ(text("nmedtNameKana"), QStringLiteral("ﾔﾏﾀﾞ"));
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, RecordFormListing,
                         ::testing::Values(TListingCase{"telephone", 0, 99, true, false, false, false},
                                           TListingCase{"faxOnly", 1, 99, false, true, false, false},
                                           TListingCase{"telephoneAndFax", 2, 99, true, true, false, false},
                                           TListingCase{"mainNumber", 3, 1, true, false, true, true},
                                           TListingCase{"company", 0, 1, true, false, false, true}),
                         [](const auto &info) { return std::string(info.param.name); });

// A listing whose name the directory holds in the "@" form (a character
// code page 932 lacks) reaches the form as that name, not with "?" in its
// place: a person's name is stored so, a company's is refused at the save.
struct TWideNameCase {
    const char *name;
    int listingKind;
    const char16_t *stored; // the listing's name, written in the "@" form
    const char *edit;
    const char16_t *shown;
};

class RecordFormWideListing : public RecordFormListing
{
};

TEST_F(RecordFormWideListing, aNameInTheAtFormKeepsItsCharacters)
{
    const TWideNameCase cases[] = {
        {"person", 99, u"𠮷田太郎", "nmedtNameKanji", u"𠮷田太郎"},
        {"company", 1, u"(株)𠮷野家", "nmedtCorpKanji", u"株式会社𠮷野家"},
    };
    for (const TWideNameCase &c : cases) {
        SCOPED_TRACE(c.name);
        TTelRecord &r = TOneListing::record;
        r = TTelRecord{};
        copy(r.Phone, sizeof r.Phone, QStringLiteral("0465230001"));
        r.ListingKind = c.listingKind;
        const QByteArray wide = EncodeUnicodeField(QString::fromUtf16(c.stored));
        ASSERT_LE(wide.size(), qsizetype(sizeof r.Name));
        std::memcpy(r.Name, wide.constData(), static_cast<std::size_t>(wide.size()));
        copy(r.Pref, sizeof r.Pref, QStringLiteral("神奈川県"));
        openNew();
        setText(QStringLiteral("edtTel"), QStringLiteral("0465230001"));
        click(QStringLiteral("bbtnTelSch"));
        EXPECT_EQ(text(c.edit), QString::fromUtf16(c.shown));
        form->SetSkipConfirm(true);
        form->close();
        flushDeletes();
    }
}

} // namespace
