#pragma once

#include "dialogs/PrtList.h"
#include "dialogs/PrtSub.h"

#include <QDialog>
#include <QPoint>

#include <functional>

class QCheckBox;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollBar;
class TCountField;

// "文面印刷": the one-page print dialog of the design editor (no address
// records): print shift, copies, the picture compatibility switch, the
// printer and the printable-area warning. Settings (DESIGN PRINT) are read
// at creation and written only when printing is confirmed.
class TDesignPrintDialog : public QDialog
{
    Q_OBJECT

public:
    TDesignPrintDialog(QWidget *Owner, QPrinter &Printer);

    // An empty rectangle means nothing to check.
    void SetContentRect(const TContentRect &Rect);
    [[nodiscard]] QPoint GetOffset() const;
    [[nodiscard]] bool GetLimitedPrinter() const;
    [[nodiscard]] int GetCopies() const;
    [[nodiscard]] bool RangeWarningShown() const;

    bool PrinterChanged = false;
    // Opened for the editor's preview: 印刷 becomes プレビュー and asks
    // nothing of printing.
    void SetForPreview(bool Preview);
    std::function<bool(QPrinter &, QWidget *)> RunPrinterSetup;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void UpdateOffsetPreview();
    void CopiesChanged();
    void ShowPrinter();
    void PrintClick();

    QPrinter &m_printer;
    TShiftControls m_shift;
    TCountField *edCopy = nullptr;
    QLabel *lblCopy = nullptr;
    QLabel *pnlPrinter = nullptr;
    QLabel *pnlPaperSize = nullptr;
    QLabel *pnlOriental = nullptr;
    QPushButton *bbtnPrinters = nullptr;
    QCheckBox *ckbLimitedPrinter = nullptr;
    QLabel *lblRangeInfo = nullptr;
    QPushButton *btnPrint = nullptr;
    QPushButton *btnCancel = nullptr;
    TContentRect m_content;
    bool m_forPreview = false;
};
