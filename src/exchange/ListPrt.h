#pragma once

#include "exchange/ListPrtEdit.h"
#include "exchange/ListPrtPaint.h"
#include "exchange/ListPrtPreview.h"
#include "exchange/ListPrtPrinter.h"

#include <QListWidget>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QToolButton;
class TAddressList;


// The data colours' list: a row dragged onto another row changes places with
// it (press, move past the drag distance, release over the other row).
class TListColorBox : public QListWidget
{
    Q_OBJECT
public:
    using QListWidget::QListWidget;
signals:
    void swapRequested(int from, int to);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_dragRow = -1;
    QPoint m_pressAt;
    bool m_dragging = false;
};

// "一覧表の印刷": lays out the main list's rows as a table and prints it.
// Non-modal, one at a time, owned by the main list; frees itself when closed.
// Four pages ("印刷内容", "書式", "罫線・色", "範囲・プリンター"); the
// editing rules live in ListPrtEdit, the page in ListPrtPaint.
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
    [[nodiscard]] const TListColumnEditor &ColumnEditor() const { return m_columns; }
    [[nodiscard]] const TListRules &Rules() const { return m_rules; }
    [[nodiscard]] const TListPrintTemplates &StandardTemplates() const { return m_standard; }
    [[nodiscard]] const TListPrintTemplates &CustomTemplates() const { return m_custom; }
    [[nodiscard]] TListPrintPreview *Preview() const { return m_preview; }
    // The layout and columns as the controls show them.
    [[nodiscard]] TListPrintJob CollectLayout() const;
    // The record numbers the print would take now, in the list's order.
    [[nodiscard]] std::vector<qint32> TakeRecords() const;
    // The cell texts of one record, nullopt when it is gone.
    [[nodiscard]] std::optional<QStringList> FetchRow(const TListPrintJob &job, qint32 recNo) const;

    void UpdatePageCapacity();
    // The format page's sample and its character-set label for a font's
    // character set: 0 Latin ("欧文"), 128 Japanese ("日本語"); any other
    // set leaves both as they are.
    void ShowFontSample(int Charset);
    void RecountData();
    // Called by the main list after it rebuilt its rows or renamed its keywords.
    Q_INVOKABLE void UpdateDataRange();
    Q_INVOKABLE void UpdateKeywordNames();
    // Called by the main list after its shown columns or its group names changed.
    Q_INVOKABLE void UpdateListLayoutTemplate();
    Q_INVOKABLE void RefreshOpenListPreview() { RefreshListPreview(); }
    void RefreshListPreview();
    void ShowPage(int page);
    // Prints the data range; false when nothing was printed. The message of
    // a refusal or failure is shown to the user.
    bool PrintList();
    [[nodiscard]] bool SaveSettings();

    // Page buttons
    QToolButton *sbtnContents = nullptr;
    QToolButton *sbtnFormat = nullptr;
    QToolButton *sbtnLines = nullptr;
    QToolButton *sbtnRange = nullptr;
    QStackedWidget *pgcPages = nullptr;
    // 印刷内容
    QComboBox *cbxTemplateType = nullptr;
    QComboBox *cbxTemplateName = nullptr;
    QPushButton *btnTemplateSave = nullptr;
    QPushButton *btnTemplateDelete = nullptr;
    QListWidget *lbxSrc = nullptr;
    QListWidget *lbxDest = nullptr;
    QPushButton *bbtnSet = nullptr;
    QPushButton *bbtnDelete = nullptr;
    QPushButton *bbtnAllDelete = nullptr;
    QPushButton *bbtnUp = nullptr;
    QPushButton *bbtnDown = nullptr;
    QSpinBox *edtSize = nullptr;
    QComboBox *cbxAlign = nullptr;
    QCheckBox *chkIgnoreTdfkn = nullptr;
    QLineEdit *edtTitle = nullptr;
    QComboBox *cbxTitlePosX = nullptr;
    QCheckBox *chkViewDate = nullptr;
    QDateEdit *dtpViewDate = nullptr;
    QComboBox *cbxDatePosX = nullptr;
    QComboBox *cbxDatePosY = nullptr;
    QCheckBox *chkViewPage = nullptr;
    QComboBox *cbxPageType = nullptr;
    QComboBox *cbxPagePosX = nullptr;
    QComboBox *cbxPagePosY = nullptr;
    // 書式
    QListWidget *lbxFontName = nullptr;
    QComboBox *cbxFontSize = nullptr;
    void updateFontSample();
    QCheckBox *chkBold = nullptr;
    QCheckBox *chkItalic = nullptr;
    QComboBox *cbxRows = nullptr;
    QLineEdit *edtOffsetX = nullptr;
    QLineEdit *edtOffsetY = nullptr;
    QLabel *pnlCharset = nullptr;
    QLabel *pnlSample = nullptr;
    // 罫線・色
    std::array<QToolButton *, 9> sbtnLine{}; // Top, HorzCenter, Bottom, Left, VertCenter, Right, None, Outer, Inner
    QWidget *pnlLinePreview = nullptr;
    QListWidget *dgLineType = nullptr;
    QSpinBox *edtInterval = nullptr;
    QLabel *pnlHeaderColor = nullptr;
    QPushButton *bbtnHeaderColor = nullptr;
    QPushButton *bbtnClearHeaderColor = nullptr;
    TListColorBox *lbxColor = nullptr;
    QPushButton *bbtnDataColor = nullptr;
    QPushButton *bbtnDeleteDataColor = nullptr;
    // 範囲・プリンター
    QRadioButton *rbList = nullptr;
    QRadioButton *rbRange = nullptr;
    QRadioButton *rbAll = nullptr;
    QSpinBox *edtRangeBegin = nullptr;
    QSpinBox *edtRangeEnd = nullptr;
    QLabel *lblPrinter = nullptr;
    QLabel *lblPaper = nullptr;
    QLabel *lblOrientation = nullptr;
    QPushButton *bbtnPrinter = nullptr;
    QSpinBox *edtCopies = nullptr;
    QLabel *lblLineCount = nullptr;
    QLabel *lblPaperCount = nullptr;
    QLabel *lblDataCount = nullptr;
    // Commands
    QPushButton *btnPreview = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnPrint = nullptr;
    QPushButton *btnClose = nullptr;

    // The colour dialog; replaced by tests. Reads and writes the custom
    // colours of the given settings object.
    std::function<std::optional<QColor>(QWidget *, const QColor &)> ChooseColor;
    // The save dialog that names the PDF file when the PDF target has none:
    // the file chosen, empty when cancelled. Replaced by tests.
    std::function<QString(QWidget *, const QString &suggested)> ChoosePdfFile;
    // The printer dialog of the 設定 button on the printer it is given:
    // true when accepted. Replaced by tests.
    std::function<bool(QPrinter &)> ExecPrinterDialog;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildContentsPage();
    QWidget *buildFormatPage();
    QWidget *buildLinesPage();
    QWidget *buildRangePage();
    void connectControls();
    void showSettings();
    void showColumns(int destRow = 0);
    void showColumnDetails();
    void updateButtons();
    void columnsChanged();
    void setClicked();
    void deleteClicked();
    void allDeleteClicked();
    void moveClicked(int step);
    void lineClicked(int tag);
    void showLineButtons();
    void paintLinePreview();
    void setColorClicked(int tag);
    void deleteColorClicked(int tag);
    void showHeaderColor(bool exists, TColor color);
    void showDataColors(int select);
    void marginLeft(QLineEdit *edit, int &remembered);
    // A margin typed is taken (on leaving the field and on Enter).
    void leftMarginTaken();
    void topMarginTaken();
    void choosePrinter();
    // Asks for the PDF's file; false when the user cancelled.
    [[nodiscard]] bool choosePdfFile();
    // The copies typed, as leaving the box takes them: true when a number
    // above the range was refused (and the user told so).
    bool copiesLeft();
    void showPaperCount();
    void showPrinter();
    [[nodiscard]] int dataSelect() const;
    // Templates
    void loadTemplates();
    void fillTemplateTypes(int select);
    void templateTypeClicked();
    void fillTemplateNames();
    void templateNameClicked();
    void saveTemplate();
    void deleteTemplate();
    [[nodiscard]] int builtInCount() const { return m_hasPreviousLayout ? 2 : 1; }
    [[nodiscard]] int userTemplateCount() const
    {
        return static_cast<int>(m_custom.size()) - builtInCount();
    }
    void saveCustomTemplates();
    // The columns at their items' default widths, fitted to the paper and
    // page the window shows and to the texts of the main list's rows (read
    // once for a set of items): narrowed to the page, widened where texts
    // need more and the page has room (widen).
    [[nodiscard]] TListPrintColumns fitToPage(TListPrintColumns columns, bool widen = true) const;
    // The built-in "アドレス帳一覧のレイアウト": the main list's shown columns,
    // fitted to the page.
    [[nodiscard]] TListPrintColumns listLayoutColumns() const;
    // Whether the custom template at index is a built-in whose widths the
    // window fits: the first layout always, the last layout while its
    // widths were never set by hand.
    [[nodiscard]] bool fittedTemplate(int index) const;
    // Whether the columns shown are such a built-in, applied and unedited.
    [[nodiscard]] bool columnsFitted() const;
    // Whether widths read from a settings file that does not say are the
    // window's own: the items' defaults, or what the window fits them to on
    // this page (with or without the widening an earlier version lacked).
    [[nodiscard]] bool widthsOfTheWindow(const TListPrintColumns &columns) const;
    // After the page changed (paper, letters, margins, edge rules): the
    // fitted built-ins are fitted anew, and applied again when applied and
    // unedited.
    void refitListLayoutTemplate();
    // The cell texts of the records that are still there, in order.
    [[nodiscard]] std::vector<QStringList> fetchRows(const TListPrintJob &job, const std::vector<qint32> &records) const;
    void togglePreview();
    void printClicked();

    TAddressList *m_list;
    std::vector<TListPrintItem> m_items;
    TListPrintSettings m_settings;
    std::unique_ptr<TListPrinterInfo> m_printer;
    // The PDF file was chosen for the next run (the dialogs ask before they
    // name a file that is there): it may replace that file once.
    bool m_pdfFileChosen = false;
    TListColumnEditor m_columns;
    TListRules m_rules;
    std::vector<TColor> m_colors;
    TColor m_headerColor = 0xFFFFFF;
    bool m_headerColorExists = false;
    TListPrintTemplates m_standard;
    TListPrintTemplates m_custom;
    bool m_hasPreviousLayout = false;
    // "前回のレイアウト" holds widths the window fitted, none set by hand: it
    // follows the page as the first layout does.
    bool m_previousFitted = false;
    // The texts of the main list's shown rows the columns were last fitted
    // to, by the items (and IgnoreTdfkn, last) they were read for.
    mutable std::map<std::vector<int>, std::vector<QStringList>> m_fitRows;
    // LPCustom.tpl could not be read nor moved aside: it is never written over.
    bool m_customFileBlocked = false;
    // The user's templates as the window last read or saved them: a save
    // puts only what changed since into the file.
    TListPrintTemplates m_customBase;
    int m_templateTypeIndex = -1;
    int m_templateNameIndex = -1;
    QPointer<TListPrintPreview> m_preview;
    int m_offsetX = 0;
    int m_offsetY = 0;
    int m_recordsPerPage = 0;
    int m_dataCount = 0;
    int m_pageCount = 0;
    bool m_showing = false;
    // The user picked a face in the font list (not the stand-in shown for a
    // saved face this machine lacks).
    bool m_fontChosen = false;
    QPoint m_dragFrom;
    bool m_dragging = false;
};

// Opens the window over the main list, or brings the open one forward.
TListPrint *ShowListPrint(TAddressList *list);
// Hands the opener to the main list's list-print command.
void RegisterListPrint();
