#include "editors/PrintWizard.h"

#include "dialogs/DsnPrt.h"
#include "dialogs/LytPrt.h"

#include <QPrinter>

namespace {

int execDialog(const TWizardSeams &Seams, QDialog &Dialog)
{
    return Seams.Exec ? Seams.Exec(Dialog) : Dialog.exec();
}

} // namespace

bool RunPrintWizard(QWidget *Owner, const TWizardSetup &Setup, const TPrintRowSource &Rows, TPrintMarkSource &Marks,
                    QPrinter &Printer, const TWizardSeams &Seams, TWizardAnswer &Answer)
{
    Answer = TWizardAnswer{};
    const auto setup = [&Seams](QPrinter &P, QWidget *W) {
        return Seams.PrinterSetup ? Seams.PrinterSetup(P) : RunPrinterSetupDialog(P, W);
    };
    bool accepted = false;
    if (Setup.Design) {
        TDesignPrintDialog dialog(Owner, Printer);
        dialog.RunPrinterSetup = setup;
        dialog.SetContentRect(Setup.Content);
        dialog.SetForPreview(Setup.ForPreview);
        accepted = execDialog(Seams, dialog) == QDialog::Accepted;
        Answer.PrinterChanged = dialog.PrinterChanged;
        if (accepted) {
            Answer.Offset = dialog.GetOffset();
            Answer.Copies = dialog.GetCopies();
            Answer.LimitedPrinter = dialog.GetLimitedPrinter();
        }
    } else {
        TLayoutPrintDialog dialog(Owner, Rows, Marks, Printer);
        dialog.RunPrinterSetup = setup;
        dialog.SetUseAddressData(Setup.UseAddressData);
        dialog.SetLayoutKind(static_cast<TLayoutKind>(std::clamp(Setup.LayoutKind, 0, 3)));
        dialog.SetItemsPerSheet(Setup.ItemsPerSheet);
        dialog.SetContentRect(Setup.Content);
        dialog.SetBarsFromEdge(Setup.BarsFromEdge);
        dialog.SizeReport = Setup.SizeReport;
        dialog.RestorePageAndCopies = Setup.RestorePageAndCopies;
        dialog.SetForPreview(Setup.ForPreview);
        accepted = execDialog(Seams, dialog) == QDialog::Accepted;
        Answer.PrinterChanged = dialog.PrinterChanged;
        if (accepted) {
            Answer.RecNos = dialog.PrintRecNos;
            Answer.Offset = dialog.GetOffset();
            if (Setup.LayoutKind == int(TLayoutKind::lkEnvelope)) {
                Answer.Flap = dialog.GetFlap();
                Answer.Reverse = dialog.GetReverse();
            }
            Answer.LabelStart = dialog.GetLabelStart();
            Answer.LabelCount = dialog.GetLabelCount();
            Answer.Copies = dialog.GetCopies();
            Answer.LimitedPrinter = dialog.GetLimitedPrinter();
            Answer.Preview = dialog.PreviewRequested;
        }
    }
    Printer.setCopyCount(1);
    return accepted;
}
