// The encrypted export's password dialog takes Return as 設定, its default
// button: from either field or the check box, with the password typed into
// both fields; with a confirmation that differs it says so, as 設定 does, and
// stays open.
#include "exchange/FExpPw.h"
#include "support/KeyInput.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <utility>

#include <gtest/gtest.h>

namespace {

struct PasswordCase {
    const char *name;
    const char16_t *confirmation;
    const char *control; // where Return is pressed
    bool accepted;
};

class PasswordReturn : public ::testing::TestWithParam<PasswordCase>
{
protected:
    ScriptedMessageBoxes boxes;
};

TEST_P(PasswordReturn, setsItAsTheSetButtonDoes)
{
    const PasswordCase &c = GetParam();
    TFileExportPassword dialog(nullptr);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const std::pair<QLineEdit *, const char16_t *> typed[] = {{dialog.medtPassword1, u"Secret12"},
                                                               {dialog.medtPassword2, c.confirmation}};
    for (const auto &[field, text] : typed) {
        field->setFocus(Qt::TabFocusReason);
        field->clear();
        TypeCharacters(field, QString::fromUtf16(text));
    }
    auto *control = dialog.findChild<QWidget *>(QLatin1String(c.control));
    ASSERT_NE(control, nullptr);
    control->setFocus(Qt::TabFocusReason);
    boxes.enqueue(IDOK);
    QTest::keyClick(control, Qt::Key_Return);
    EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted);
    EXPECT_EQ(dialog.isVisible(), !c.accepted);
    if (c.accepted) {
        EXPECT_EQ(dialog.Password(), QStringLiteral("Secret12"));
        EXPECT_EQ(boxes.count(), 0);
    } else {
        EXPECT_EQ(boxes.count(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ExportPassword, PasswordReturn,
    ::testing::Values(PasswordCase{"inTheConfirmation", u"Secret12", "medtPassword2", true},
                      PasswordCase{"inThePassword", u"Secret12", "medtPassword1", true},
                      PasswordCase{"onTheCheckBox", u"Secret12", "chkSavePassword", true},
                      PasswordCase{"confirmationDiffers", u"Secret13", "medtPassword2", false},
                      PasswordCase{"caseDiffers", u"secret12", "medtPassword2", false}),
    rowName);

// A focused キャンセル takes Return itself.
TEST(PasswordReturnOnCancel, cancels)
{
    TFileExportPassword dialog(nullptr);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto *cancel = dialog.findChild<QPushButton *>(QStringLiteral("btnCancel"));
    cancel->setFocus(Qt::TabFocusReason);
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
