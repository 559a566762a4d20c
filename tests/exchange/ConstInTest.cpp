// The constant of an import slot: Enter in the edit leads to OK (to Cancel
// while it is empty), and Return there closes the dialog as that button does.

#include "exchange/ConstIn.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct ConstantCase {
    const char *name;
    const char *typed;
    const char *buttonReached;
    int result;
};

class ConstantInput : public ::testing::TestWithParam<ConstantCase>
{
};

TEST_P(ConstantInput, returnWhereEnterLedClosesAsThatButton)
{
    TConstantInput dialog(nullptr, 20);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }));
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("edtConst"));
    edit->setFocus();
    QTest::keyClicks(edit, QString::fromUtf8(GetParam().typed));
    QTest::keyClick(edit, Qt::Key_Return);
    QWidget *reached = QApplication::focusWidget();
    ASSERT_EQ(reached->objectName(), QString::fromLatin1(GetParam().buttonReached));
    QTest::keyClick(reached, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), GetParam().result);
    EXPECT_EQ(dialog.Text(), QString::fromUtf8(GetParam().typed).trimmed());
}

INSTANTIATE_TEST_SUITE_P(Values, ConstantInput,
                         ::testing::Values(ConstantCase{"typed", "20240101", "btnOk", QDialog::Accepted},
                                           ConstantCase{"blankOnly", "  ", "btnCancel", QDialog::Rejected},
                                           ConstantCase{"empty", "", "btnCancel", QDialog::Rejected}),
                         [](const ::testing::TestParamInfo<ConstantCase> &info) { return std::string(info.param.name); });

TEST(ConstantInputButtons, okIsTheDefaultButtonNotTheDateStamp)
{
    TConstantInput dialog(nullptr, 20);
    dialog.show();
    EXPECT_TRUE(dialog.findChild<QPushButton *>(QStringLiteral("btnOk"))->isDefault());
    EXPECT_FALSE(dialog.findChild<QPushButton *>(QStringLiteral("btnDate"))->isDefault());
}

} // namespace
