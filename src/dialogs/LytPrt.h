#pragma once

#include "dialogs/LayoutKind.h"
#include "dialogs/PrtList.h"
#include "dialogs/PrtSub.h"

#include <QDialog>
#include <QList>
#include <QPoint>

#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStackedWidget;
class TCountField;
class TUpDown;

// "宛名印刷" ("ラベル印刷", "名刺印刷"): the two-page print wizard of the
// address-side and the label and card editors. Page one picks the records
// (the shown one, the selected rows, a range of list positions or all rows,
// each filtered by the records' print marks); page two the print shift,
// copies, envelope flap, first label cell and prints per record, with the
// printer and a warning when the content leaves the printable area or the
// customer barcode's bars stand nearer an edge of the postcard or envelope
// than Japan Post reads them (asked again before printing). It prints
// nothing: after OK the editor reads PrintRecNos and the getters.
// Settings persist per layout kind in the settings file.
//
// The editor: construct, SetUseAddressData, SetLayoutKind, SetItemsPerSheet,
// SetContentRect, SetBarsFromEdge, optionally RestorePageAndCopies, exec.
class TLayoutPrintDialog : public QDialog
{
    Q_OBJECT

public:
    // Rows and Marks must outlive the dialog; Printer is the one the editor
    // prints with (its copies and page are read and set here).
    TLayoutPrintDialog(QWidget *Owner, const TPrintRowSource &Rows, TPrintMarkSource &Marks, QPrinter &Printer);
    ~TLayoutPrintDialog() override;

    void SetUseAddressData(bool Use);
    void SetLayoutKind(TLayoutKind Kind);
    void SetItemsPerSheet(int Count);
    void SetContentRect(const TContentRect &Rect);
    // The least distance of the customer barcode's bars from an edge of the
    // postcard or envelope in 0.1 mm; negative when no barcode prints.
    // Nearer than BarsEdgeMin, the print page shows a warning and printing
    // asks whether to go on.
    void SetBarsFromEdge(int TenthMm);
    static constexpr int BarsEdgeMin = 100;
    // Opened for the editor's preview: 印刷 becomes プレビュー and closes the
    // dialog for the preview without the questions before printing (the
    // preview's own print button brings the dialog back to print).
    void SetForPreview(bool Preview);

    [[nodiscard]] QPoint GetOffset() const; // 0.1 mm, +x right, +y down
    [[nodiscard]] int GetFlap() const;
    [[nodiscard]] bool GetReverse() const;
    [[nodiscard]] int GetLabelStart() const;
    [[nodiscard]] int GetLabelCount() const;
    [[nodiscard]] bool GetLimitedPrinter() const;
    [[nodiscard]] int GetCopies() const;

    // Results, and the editor's switch for reopening from its preview.
    QList<qint32> PrintRecNos;
    bool PreviewRequested = false;
    bool PrinterChanged = false;
    bool RestorePageAndCopies = false;

    // The printer set-up (the platform dialog unless a test replaces it).
    std::function<bool(QPrinter &, QWidget *)> RunPrinterSetup;
    // What of the records chosen (each printed PrintsPerRecord times: its
    // prints per record on every copy) the layout prints short of a
    // readable size, one line each, or empty; asked when 印刷 is pressed,
    // and printing asks whether to go on.
    std::function<QString(const QList<qint32> &RecNos, int PrintsPerRecord)> SizeReport;

    // Shown when exec starts; public for tests that drive it without exec.
    void Prepare();
    [[nodiscard]] int CurrentPage() const;
    [[nodiscard]] bool RangeWarningShown() const;
    [[nodiscard]] bool BarsWarningShown() const;

protected:
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    [[nodiscard]] QString Section() const;
    void LoadSettings();
    void LoadPageAndCopies();
    void SaveSettings();
    void UpdateRecordCount();
    void UpdateSheetCount();
    void UpdateOffsetPreview();
    void ShowBounds();
    void RangeArrow(bool IsEnd);
    void LeaveBound(bool IsEnd);
    void LeaveFlap();
    void ShowPrinter();
    void CopiesChanged();
    void NextClick();
    void PreviewClick();
    void PrintClick();
    void PrintersClick();
    [[nodiscard]] bool RefuseEmptyList();
    [[nodiscard]] bool BarsNearEdge() const;

    const TPrintRowSource &m_rows;
    TPrintMarkSource &m_marks;
    QPrinter &m_printer;

    QStackedWidget *pgcWizard = nullptr;
    std::array<QRadioButton *, 4> rbRange{}; // rbViewData, rbSelect, rbRange, rbAll
    std::array<QRadioButton *, 3> rbLimit{}; // rbNone, rbPrint, rbExcept
    QLineEdit *edStartRange = nullptr;
    QLineEdit *edEndRange = nullptr;
    TUpDown *udStartRange = nullptr;
    TUpDown *udEndRange = nullptr;
    QLabel *lblDataNum = nullptr;
    QPushButton *btnPreview1 = nullptr;
    QPushButton *btnNext = nullptr;
    QPushButton *btnCancel1 = nullptr;

    TShiftControls m_shift;
    TCountField *edCopy = nullptr;
    QLabel *lblCopy = nullptr;
    QGroupBox *gbxEnvelope = nullptr;
    QLineEdit *edFlap = nullptr;
    TUpDown *udFlap = nullptr;
    QCheckBox *ckbReverse = nullptr;
    QGroupBox *gbxLabel = nullptr;
    TCountField *edLabelStart = nullptr;
    TCountField *edLabelCount = nullptr;
    QLabel *lblCopyStart = nullptr;
    QLabel *pnlPrinter = nullptr;
    QLabel *pnlPaperSize = nullptr;
    QLabel *pnlOrientation = nullptr;
    QPushButton *bbtnPrinters = nullptr;
    QLabel *lblRangeInfo = nullptr;
    QLabel *lblBarcodeInfo = nullptr;
    QCheckBox *ckbLimitedPrinter = nullptr;
    QPushButton *btnPreview2 = nullptr;
    QPushButton *btnBack = nullptr;
    QPushButton *btnPrint = nullptr;
    QPushButton *btnCancel2 = nullptr;

    bool m_useAddressData = true;
    TLayoutKind m_kind = TLayoutKind::lkPostcard;
    bool m_sheetMode = false;
    int m_itemsPerSheet = 1;
    int m_rangeKind = -1;
    int m_limitKind = 0;
    TRangeBounds m_bounds;
    TContentRect m_content;
    int m_barsFromEdge = -1;
    bool m_forPreview = false;
    bool m_prepared = false;
};
