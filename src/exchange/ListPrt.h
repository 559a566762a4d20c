#pragma once

#include "exchange/ListPrtPaint.h"
#include "exchange/ListPrtPrinter.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTreeWidget;
class TAddressList;

// "一覧表の印刷": lays out the main list's rows as a table and prints it.
// Non-modal, one at a time, owned by the main list; frees itself when closed.
class TListPrint : public QWidget
{
    Q_OBJECT
public:
    explicit TListPrint(TAddressList *list);
    ~TListPrint() override;

    [[nodiscard]] TListPrinterInfo &PrinterInfo() { return *m_printer; }
    [[nodiscard]] int RecordsPerPage() const { return m_recordsPerPage; }
    [[nodiscard]] int DataCount() const { return m_dataCount; }
    [[nodiscard]] int PageCount() const { return m_pageCount; }
    // The layout and columns as the controls show them.
    [[nodiscard]] TListPrintJob CollectLayout() const;

    void UpdatePageCapacity();
    void RecountData();
    void UpdateDataRange();
    // Prints the data range; false when nothing was printed. The message of
    // a refusal or failure is shown to the user.
    bool PrintList();
    [[nodiscard]] bool SaveSettings();

    QLineEdit *edtTitle = nullptr;
    QCheckBox *chkViewDate = nullptr;
    QCheckBox *chkViewPage = nullptr;
    QComboBox *cbxPageType = nullptr;
    QListWidget *lbxItems = nullptr;
    QTreeWidget *lvColumns = nullptr;
    QPushButton *btnItemAdd = nullptr;
    QPushButton *btnItemDelete = nullptr;
    QPushButton *btnItemAllClear = nullptr;
    QPushButton *btnUp = nullptr;
    QPushButton *btnDown = nullptr;
    QComboBox *cbxFontSize = nullptr;
    QComboBox *cbxRows = nullptr;
    QLineEdit *edtOffsetX = nullptr;
    QLineEdit *edtOffsetY = nullptr;
    QRadioButton *rbList = nullptr;
    QRadioButton *rbRange = nullptr;
    QRadioButton *rbAll = nullptr;
    QSpinBox *edtRangeBegin = nullptr;
    QSpinBox *edtRangeEnd = nullptr;
    QLabel *lblPrinter = nullptr;
    QPushButton *btnPrinter = nullptr;
    QSpinBox *edtCopies = nullptr;
    QLabel *lblLineCount = nullptr;
    QLabel *lblPaperCount = nullptr;
    QLabel *lblDataCount = nullptr;
    QPushButton *btnSaveSetting = nullptr;
    QPushButton *btnPrint = nullptr;
    QPushButton *btnClose = nullptr;

private:
    void buildControls();
    void showSettings();
    void fillColumns(const TListPrintColumns &columns);
    [[nodiscard]] TListPrintColumns columns() const;
    void updateButtons();
    void addItem();
    void moveColumn(int step);
    void marginLeft(QLineEdit *edit, int &remembered);
    void choosePrinter();
    [[nodiscard]] int dataSelect() const;

    TAddressList *m_list;
    std::vector<TListPrintItem> m_items;
    TListPrintSettings m_settings;
    std::unique_ptr<TListPrinterInfo> m_printer;
    int m_offsetX = 0;
    int m_offsetY = 0;
    int m_recordsPerPage = 0;
    int m_dataCount = 0;
    int m_pageCount = 0;
};

// Opens the window over the main list, or brings the open one forward.
TListPrint *ShowListPrint(TAddressList *list);
// Hands the opener to the main list's list-print command.
void RegisterListPrint();
