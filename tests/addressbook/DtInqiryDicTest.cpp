// The record form's dictionary buttons over the real dictionary libraries and
// the data of the committed excerpts; the dialog is answered as a person
// would, by its decide button, once it is up.

#include "DtInqiryFixture.h"

#include "directory/DicSch.h"
#include "platform/Cp932.h"

#include "support/DicProgramFolder.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

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
    openNew();
    list->findChild<QComboBox *>(QStringLiteral("cbxGroup"))->setCurrentIndex(1); // 未指定のみ: not record 5
    QCoreApplication::processEvents();
    ASSERT_EQ(list->IndexOfRecNo(5), -1);
    setText(QStringLiteral("edtTel"), QStringLiteral("0311110005"));
    boxes.enqueue(IDYES);
    click(QStringLiteral("bbtnTelSch"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("アドレス帳情報照会"));
    EXPECT_EQ(text("nmedtNameKanji"), QStringLiteral("名前5"));
}

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

} // namespace
