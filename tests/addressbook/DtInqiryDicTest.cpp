// The record form's dictionary buttons over the real dictionary libraries and
// the data of the committed excerpts; the dialog is answered as a person
// would, by its decide button, once it is up.

#include "DtInqiryFixture.h"

#include "directory/DicSch.h"
#include "platform/Cp932.h"

#include "support/DicProgramFolder.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class RecordFormDicTest : public RecordFormTest
{
protected:
    // Presses 決定 of the dictionary dialog as soon as it is shown.
    static void decideWhenShown()
    {
        QTimer::singleShot(0, [] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *dialog = qobject_cast<TDicSearch *>(w); dialog && dialog->isVisible()) {
                    dialog->findChild<QPushButton *>(QStringLiteral("btnDecision"))->click();
                    return;
                }
            }
            decideWhenShown();
        });
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
    QTimer::singleShot(0, [] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<TDicSearch *>(w); dialog && dialog->isVisible())
                dialog->findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
        }
    });
    click(QStringLiteral("bbtnPosSch"));
    EXPECT_TRUE(text("edtTdfkn").isEmpty());
    EXPECT_TRUE(text("edtAdrs1").isEmpty());
}

} // namespace
