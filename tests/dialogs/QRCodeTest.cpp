#include "SenderFixture.h"
#include "dialogs/QRCode.h"
#include "items/BarRect.h"
#include "support/Screenshot.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"
#include "platform/Cp932.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

template <typename T> T *child(QWidget &W, const char *Name)
{
    return W.findChild<T *>(QLatin1String(Name));
}

void type(QWidget &W, const char *Name, const QString &Text)
{
    child<QLineEdit>(W, Name)->setText(Text);
}

struct KindCase {
    const char *name;
    const char *kindButton;
    const char *carrierButton;
    TQRKind expected;
};

class QRKindMapping : public ::testing::TestWithParam<KindCase>
{
};

TEST_P(QRKindMapping, applyTakesTheKindFromTheButtons)
{
    TQRCodeSettingDialog dialog(nullptr);
    dialog.SetQRCode(TQRCodeRect());
    child<QRadioButton>(dialog, GetParam().kindButton)->click();
    child<QRadioButton>(dialog, GetParam().carrierButton)->click();
    dialog.btnRefreshClick();
    EXPECT_EQ(dialog.PreviewItem().GetQRKind(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Buttons, QRKindMapping,
                         ::testing::Values(KindCase{"text", "rbText", "rbDocomo", TQRKind::Text},
                                           KindCase{"textIgnoresTheCarrier", "rbText", "rbSoftBank", TQRKind::Text},
                                           KindCase{"phoneDocomo", "rbAddress", "rbDocomo", TQRKind::PhoneDocomo},
                                           KindCase{"phoneSoftBank", "rbAddress", "rbSoftBank", TQRKind::PhoneSoftBank},
                                           KindCase{"mailDocomo", "rbMail", "rbDocomo", TQRKind::MailDocomo},
                                           KindCase{"mailSoftBank", "rbMail", "rbSoftBank", TQRKind::MailSoftBank}),
                         rowName);

struct SlotCase {
    const char *name;
    const char *first, *second;   // typed into the two fields
    const char *slot0, *slot1;    // what the item holds after apply
    bool phone;
};

class QRSlots : public ::testing::TestWithParam<SlotCase>
{
};

// The item starts with both slots filled, so a stale value would show.
TEST_P(QRSlots, applyFillsTheSlotsFromTheFieldsAndClearsEmptiedOnes)
{
    const SlotCase &c = GetParam();
    TQRCodeRect item;
    item.SetQRKind(TQRKind::PhoneDocomo);
    item.SetName(QStringLiteral("山田"));
    for (int i = 0; i < 2; ++i) {
        item.SetTel(i, QStringLiteral("0120000000"));
        item.SetMail(i, QStringLiteral("old@example.jp"));
    }
    TQRCodeSettingDialog dialog(nullptr);
    dialog.SetQRCode(item);
    type(dialog, c.phone ? "edTel1" : "edMail1", QString::fromUtf8(c.first));
    type(dialog, c.phone ? "edTel2" : "edMail2", QString::fromUtf8(c.second));
    dialog.btnRefreshClick();
    const TQRCodeRect &out = dialog.PreviewItem();
    EXPECT_EQ(c.phone ? out.GetTel(0) : out.GetMail(0), QString::fromUtf8(c.slot0));
    EXPECT_EQ(c.phone ? out.GetTel(1) : out.GetMail(1), QString::fromUtf8(c.slot1));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, QRSlots,
    ::testing::Values(SlotCase{"telephoneKeepsDigitsOnly", "03-1234-5678", "", "0312345678", "", true},
                      SlotCase{"secondTelephoneAloneMovesToTheFirst", "", "090-1111-2222", "09011112222", "", true},
                      SlotCase{"bothTelephones", "03-1234-5678", "09011112222", "0312345678", "09011112222", true},
                      SlotCase{"emptiedTelephonesClearBothSlots", "", "", "", "", true},
                      SlotCase{"secondMailAloneMovesToTheFirst", "", "b@example.jp", "b@example.jp", "", false},
                      SlotCase{"emptiedMailsClearBothSlots", "", "", "", "", false}),
    rowName);

TEST(QRCodeDialog, opensASoftBankMailOnTheMailPage)
{
    TQRCodeRect item;
    item.SetQRKind(TQRKind::MailSoftBank);
    item.SetMailTo(QStringLiteral("to@example.jp"));
    TQRCodeSettingDialog dialog(nullptr);
    dialog.SetQRCode(item);
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbMail")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbSoftBank")->isChecked());
    EXPECT_EQ(child<QStackedWidget>(dialog, "pgcKind")->currentWidget()->objectName(), QStringLiteral("tbsMail"));
    EXPECT_EQ(child<QLineEdit>(dialog, "edMailTo")->text(), QStringLiteral("to@example.jp"));
}

TEST(QRCodeDialog, textKindDisablesTheCarrier)
{
    TQRCodeSettingDialog dialog(nullptr);
    dialog.SetQRCode(TQRCodeRect());
    EXPECT_FALSE(child<QRadioButton>(dialog, "rbDocomo")->isEnabled());
    child<QRadioButton>(dialog, "rbAddress")->click();
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbDocomo")->isEnabled());
}

TEST(QRCodeDialog, withoutSendersTheListShowsNoneAndTheButtonIsOff)
{
    TQRCodeSettingDialog dialog(nullptr);
    auto *list = child<QComboBox>(dialog, "cbxSender");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->itemText(0), QStringLiteral("なし"));
    EXPECT_FALSE(child<QPushButton>(dialog, "btnSender")->isEnabled());
}

TEST(QRCodeDialog, enterInTheSizeEditConfirms)
{
    TQRCodeSettingDialog dialog(nullptr);
    dialog.SetQRCode(TQRCodeRect());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    child<QPlainTextEdit>(dialog, "memText")->setPlainText(QStringLiteral("こんにちは"));
    auto *size = child<QSpinBox>(dialog, "udSize");
    size->setValue(4);
    size->setFocus();
    QTest::keyClick(size, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.PreviewItem().GetCellPitch(), 4);
    EXPECT_EQ(dialog.PreviewItem().GetText(), QStringLiteral("こんにちは"));
}

TEST(QRCodeDialog, enterInAContentEditOnlyMovesOn)
{
    TQRCodeRect item;
    item.SetQRKind(TQRKind::PhoneDocomo);
    TQRCodeSettingDialog dialog(nullptr);
    dialog.SetQRCode(item);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *kana = child<QLineEdit>(dialog, "edKana");
    kana->setFocus();
    QTest::keyClick(kana, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(QApplication::focusWidget(), kana);
}

TEST(QRCodeDialog, previewShowsTheCode)
{
    TQRCodeRect item;
    item.SetText(QStringLiteral("https://example.jp/"));
    item.SetCellPitch(3);
    TQRCodeSettingDialog dialog(nullptr);
    dialog.SetQRCode(item);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.btnRefreshClick();
    const QImage shot = child<QWidget>(dialog, "pbxPreview")->grab().toImage();
    int dark = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            dark += qGray(shot.pixel(x, y)) < 100 ? 1 : 0;
    EXPECT_GT(dark, 100);
    saveScreenshot(&dialog, QStringLiteral("QRCodeSettingDialog"));
}

// Typed as one committed text, as an input method hands it over.
void commit(QWidget *W, const QString &Text)
{
    W->setFocus();
    QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, Text);
    QCoreApplication::sendEvent(W, &typed);
}

class QRCodeTyping : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dialog.SetQRCode(item);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    ScriptedMessageBoxes boxes;
    TQRCodeRect item;
    TQRCodeSettingDialog dialog{nullptr};
};

// The code is made of the Shift-JIS bytes: a character Shift-JIS lacks would
// be encoded (and stored) as "?". It is refused where it is typed.
TEST_F(QRCodeTyping, theTextRefusesACharacterShiftJisLacks)
{
    auto *text = child<QPlainTextEdit>(dialog, "memText");
    text->setFocus();
    QInputMethodEvent committed;
    committed.setCommitString(QStringLiteral("𠮷野家"));
    QCoreApplication::sendEvent(text, &committed);
    EXPECT_EQ(text->toPlainText(), QStringLiteral("野家"));
    child<QPushButton>(dialog, "btnOK")->click();
    EXPECT_TRUE(Cp932::canEncode(dialog.PreviewItem().GetText()));
}

TEST_F(QRCodeTyping, theNameRefusesACharacterShiftJisLacks)
{
    child<QRadioButton>(dialog, "rbAddress")->click();
    auto *name = child<QLineEdit>(dialog, "edName");
    commit(name, QStringLiteral("𠮷田 太郎"));
    EXPECT_EQ(name->text(), QStringLiteral("田 太郎"));
    child<QPushButton>(dialog, "btnOK")->click();
    EXPECT_TRUE(Cp932::canEncode(dialog.PreviewItem().GetName()));
}

// Numbers pasted or typed full-width reach the code as their digits, not
// dropped (or cut at half their length by the byte limit).
TEST_F(QRCodeTyping, aFullWidthTelephoneReachesTheCodeAsDigits)
{
    child<QRadioButton>(dialog, "rbAddress")->click();
    commit(child<QLineEdit>(dialog, "edTel1"), QStringLiteral("０９０－１２３４－５６７８"));
    child<QPushButton>(dialog, "btnOK")->click();
    EXPECT_EQ(dialog.PreviewItem().GetTel(0), QStringLiteral("09012345678"));
}

// A text no QR code holds would print as an empty square: OK says so and
// keeps the dialog open.
TEST_F(QRCodeTyping, aTextTooLongForAnyCodeIsRefusedWithAWord)
{
    child<QPlainTextEdit>(dialog, "memText")->setPlainText(QString(2000, QChar(0x6F22)));
    child<QPushButton>(dialog, "btnOK")->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(boxes.count(), 1);
    child<QPlainTextEdit>(dialog, "memText")->setPlainText(QStringLiteral("漢字"));
    child<QPushButton>(dialog, "btnOK")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

class QRFromSender : public SenderFixture
{
protected:
    // A sender 自宅 registered whose name holds 𠮷, which Shift-JIS lacks,
    // and the dialog set to a docomo phone-book code (not shown).
    std::unique_ptr<TQRCodeSettingDialog> dialogBesideASenderShiftJisLacks()
    {
        TSenderData d = titled(QStringLiteral("自宅"));
        d.Name = QStringLiteral("𠮷田 太郎");
        addSender(1, d);
        TQRCodeRect item;
        item.SetQRKind(TQRKind::PhoneDocomo);
        auto dialog = std::make_unique<TQRCodeSettingDialog>(nullptr);
        dialog->SetQRCode(item);
        return dialog;
    }
};

TEST_F(QRFromSender, takesNameTelephoneMobileAndMailOfTheChosenSender)
{
    TSenderData d = titled(QStringLiteral("自宅"));
    d.Name = QStringLiteral("山田 太郎");
    d.Tel = QStringLiteral("0312345678");
    d.Head = {QStringLiteral("携帯"), QStringLiteral("E-Mail"), QStringLiteral("携帯"), QStringLiteral("E-Mail")};
    d.Addition = {QStringLiteral("090-1111-2222"), QStringLiteral("a@example.jp"), QStringLiteral("08033334444"),
                  QStringLiteral("b@example.jp")};
    addSender(1, d);
    TQRCodeSettingDialog dialog(nullptr);
    dialog.SetQRCode(TQRCodeRect());
    ASSERT_EQ(child<QComboBox>(dialog, "cbxSender")->itemText(0), QStringLiteral("自宅"));
    child<QPushButton>(dialog, "btnSender")->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "edName")->text(), QStringLiteral("山田 太郎"));
    EXPECT_EQ(child<QLineEdit>(dialog, "edTel1")->text(), QStringLiteral("0312345678"));
    EXPECT_EQ(child<QLineEdit>(dialog, "edTel2")->text(), QStringLiteral("09011112222"));
    EXPECT_EQ(child<QLineEdit>(dialog, "edMail1")->text(), QStringLiteral("a@example.jp"));
    EXPECT_EQ(child<QLineEdit>(dialog, "edMail2")->text(), QStringLiteral("b@example.jp"));
}

// A sender's name may hold any character; the code holds Shift-JIS only.
// Taken into the dialog, such a name is named on OK instead of going into
// the code as "?".
TEST_F(QRFromSender, aSenderNameShiftJisLacksIsNamedOnOkNotEncodedAsQuestionMark)
{
    ScriptedMessageBoxes boxes;
    const std::unique_ptr<TQRCodeSettingDialog> owned = dialogBesideASenderShiftJisLacks();
    TQRCodeSettingDialog &dialog = *owned;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    child<QPushButton>(dialog, "btnSender")->click();
    child<QPushButton>(dialog, "btnOK")->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("𠮷"))) << qPrintable(boxes.last().text);
}

// 更新 with such a name says the same, rather than drawing a code without it.
TEST_F(QRFromSender, aSenderNameShiftJisLacksIsNamedOnRefresh)
{
    ScriptedMessageBoxes boxes;
    const std::unique_ptr<TQRCodeSettingDialog> owned = dialogBesideASenderShiftJisLacks();
    TQRCodeSettingDialog &dialog = *owned;
    child<QPushButton>(dialog, "btnSender")->click();
    child<QPushButton>(dialog, "btnRefresh")->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("𠮷"))) << qPrintable(boxes.last().text);
    EXPECT_TRUE(dialog.PreviewItem().GetName().isEmpty()) << "the code was drawn without the character";
}

} // namespace
