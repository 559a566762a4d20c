#pragma once

#include "dialogs/PrtList.h"

#include <QList>
#include <QPoint>

#include <functional>

class QDialog;
class QPrinter;
class QWidget;

// The editors' side of the print dialogs: the print wizard for the address
// side, labels and cards, the design print dialog for the design editor.
// This unit speaks to the dialogs in plain values so that the editors'
// layout types and the dialogs' own stay apart.

// What the editor tells the dialog of its layout.
struct TWizardSetup
{
    bool Design = false;          // the design print dialog, no records
    int LayoutKind = 0;           // 0 postcard, 1 envelope, 2 label, 3 card
    bool UseAddressData = true;   // false: the records' page is never shown
    int ItemsPerSheet = 1;        // cells of the sheet
    TContentRect Content;         // 96 per inch from the paper's corner
    int BarsFromEdge = -1;        // 0.1 mm; the bars from the piece's edge, -1 without bars
    // Reopened from the editor's preview: the wizard comes back on the page
    // and with the copies it was left with.
    bool RestorePageAndCopies = false;
    // The run is asked for its preview: the last button shows it, and asks
    // nothing of printing.
    bool ForPreview = false;
    // What of the run's records (with its prints per record) prints short
    // of a readable size, told before printing; none: nothing is measured.
    std::function<QString(const QList<qint32> &RecNos, int PrintsPerRecord)> SizeReport;
};

// What the user chose; read only after the dialog closed with OK.
struct TWizardAnswer
{
    QList<qint32> RecNos;     // the records, in list order
    QPoint Offset;            // 0.1 mm, +x right, +y down
    int Flap = 0;             // envelopes: flap length in 0.1 mm
    bool Reverse = false;     // envelopes: printed upside down
    int LabelStart = 1;       // first cell, 1-based
    int LabelCount = 1;       // prints per record
    int Copies = 1;
    bool LimitedPrinter = false;
    bool Preview = false;     // closed through a preview button
    bool PrinterChanged = false;
};

// The seams the editors keep for modal steps: running a dialog and the
// printer set-up dialog.
struct TWizardSeams
{
    std::function<int(QDialog &)> Exec;
    std::function<bool(QPrinter &)> PrinterSetup;
};

// Shows the dialog for Setup over Owner on Printer; true when the user
// confirmed printing or a preview. Rows and Marks feed the records' page.
// The printer's own copy count is left at 1: the editors' print loop makes
// the copies itself, in whole runs.
[[nodiscard]] bool RunPrintWizard(QWidget *Owner, const TWizardSetup &Setup, const TPrintRowSource &Rows,
                                  TPrintMarkSource &Marks, QPrinter &Printer, const TWizardSeams &Seams,
                                  TWizardAnswer &Answer);
