// The printer each kind of layout keeps from one run to the next: the
// printer the user chose in the print dialogs' set-up, kept in the kind's
// ".pi" file. The page itself always follows the layout's sheet.
#include "editors/PrintEditor.h"

#include "core/Env.h"
#include "core/OwnFiles.h"
#include "core/PdfOutFile.h"
#include "items/PrtInfo.h"
#include "util/MsgBoxPos.h"

#include <QPageLayout>
#include <QPrinter>

QString TPrintEditor::PrinterFile() const
{
    switch (m_document.Kind) {
    case TLayoutKind::AddressSide: return DataRoot + QStringLiteral("Layout.pi");
    case TLayoutKind::Label: return DataRoot + QStringLiteral("Label.pi");
    case TLayoutKind::Card: return DataRoot + QStringLiteral("Card.pi");
    case TLayoutKind::Design: break;
    }
    return DataRoot + QStringLiteral("Design.pi");
}

void TPrintEditor::LoadPrinter(QPrinter &Printer) const
{
    const TQtPrinterBackend backend;
    const TPrinterInfo info(PrinterFile(), backend);
    TQtPrinterBackend::Configure(Printer, info.Settings());
    // The print loop makes the copies itself, in whole runs.
    Printer.setCopyCount(1);
}

void TPrintEditor::SavePrinter(const QPrinter &Printer)
{
    const TQtPrinterBackend backend;
    TPrinterInfo info(PrinterFile(), backend);
    TPrinterSettings settings;
    // The PDF target is no printer of the system: the printer the file
    // names stays the kind's printer (none named: the default one). Its file
    // is kept while a printer of the system is chosen.
    settings.PrinterName =
        Printer.outputFormat() == QPrinter::NativeFormat ? Printer.printerName() : info.FilePrinterName();
    settings.OutputFile = Printer.outputFormat() == QPrinter::PdfFormat && !Printer.outputFileName().isEmpty()
                              ? Printer.outputFileName()
                              : info.Settings().OutputFile;
    settings.Orientation = Printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    settings.Resolution = Printer.resolution();
    info.AssignSettings(settings);
    QString error;
    if (!info.Save(&error))
        ShowMessageBoxAt(this, QStringLiteral("プリンタの設定を保存できませんでした  \n") + error, ProductCaption(),
                         MB_OK | MB_ICONWARNING, mbpCenterOnOwner, 0, 0);
}

bool TPrintEditor::RunPrintDialog(QPrinter &Printer)
{
    if (!ExecPrintDialog)
        return false;
    bool propose = false;
    // The print run's dialog and the wizard's printer set-up both come here:
    // one of the program's own files, or a read-only one, is refused before
    // anything keeps it, and the dialog asks again, offering the last file
    // printed to.
    for (;;) {
        propose = Printer.outputFormat() == QPrinter::PdfFormat && Printer.outputFileName().isEmpty();
        if (propose) {
            const TQtPrinterBackend backend;
            const QString kept = TPrinterInfo(PrinterFile(), backend).Settings().OutputFile;
            if (!kept.isEmpty())
                Printer.setOutputFileName(kept);
        }
        // An earlier PDF that a killed run left aside is back under its
        // name, so that the dialog asks before it is replaced.
        if (Printer.outputFormat() == QPrinter::PdfFormat)
            RecoverPdfOutFile(Printer.outputFileName());
        if (!ExecPrintDialog(Printer))
            break;
        const QString refusal =
            Printer.outputFormat() == QPrinter::PdfFormat ? PdfTargetRefusal(Printer.outputFileName()) : QString();
        if (refusal.isEmpty()) {
            m_pdfFileSpent = false;
            return true;
        }
        Printer.setOutputFileName(QString());
        Printer.setOutputFormat(QPrinter::PdfFormat);
        ShowMessageBoxAt(this, refusal, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    }
    // The proposal was no choice: the next run asks again.
    if (propose && !Printer.outputFileName().isEmpty()) {
        Printer.setOutputFileName(QString());
        Printer.setOutputFormat(QPrinter::PdfFormat);
    }
    return false;
}
