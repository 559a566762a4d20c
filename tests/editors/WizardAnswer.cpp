#include "WizardAnswer.h"

#include "dialogs/LytPrt.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

int WizardAnswer::operator()(QDialog &Dialog, ScriptedMessageBoxes &Boxes)
{
    auto *wizard = dynamic_cast<TLayoutPrintDialog *>(&Dialog);
    EXPECT_NE(wizard, nullptr);
    if (!wizard)
        return QDialog::Rejected;
    Shown = true;
    wizard->Prepare();
    if (wizard->CurrentPage() == 0) {
        Dialog.findChild<QRadioButton *>(QLatin1String(Range))->setChecked(true);
        Dialog.findChild<QRadioButton *>(QLatin1String(Limit))->setChecked(true);
        DataCount = Dialog.findChild<QLabel *>(QStringLiteral("lblDataNum"))->text();
        PrintList = wizard->PrintRecNos;
        if (CancelAfterData)
            return QDialog::Rejected;
        Dialog.findChild<QPushButton *>(QStringLiteral("btnNext"))->click();
        if (wizard->CurrentPage() != 1)
            return QDialog::Rejected;
    }
    if (Fill)
        Fill(Dialog);
    if (Preview) {
        Dialog.findChild<QPushButton *>(QStringLiteral("btnPreview2"))->click();
        PrintList = wizard->PrintRecNos;
        return Dialog.result();
    }
    Boxes.enqueue(IDYES);
    Dialog.findChild<QPushButton *>(QStringLiteral("btnPrint"))->click();
    PrintList = wizard->PrintRecNos;
    return Dialog.result();
}

void typeInto(QDialog &Dialog, const char *Edit, const QString &Text)
{
    auto *edit = Dialog.findChild<QLineEdit *>(QLatin1String(Edit));
    ASSERT_NE(edit, nullptr) << Edit;
    edit->setText(Text);
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(edit, &out);
}
