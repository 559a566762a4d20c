#pragma once

#include "exchange/ListPrtDisplay.h"
#include "exchange/ListPrtPaint.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QScrollArea;
class QToolButton;
class QPushButton;
class TListPrinterInfo;

// What the preview reads from the list-print window, each time it renders.
struct TListPreviewSource {
    std::function<TListPrintJob()> Job;
    // The records the window's choice takes, in the list's order.
    std::function<std::vector<qint32>()> Records;
    // Those of the records the book still holds, in their order; without
    // it every record counts as there.
    std::function<std::vector<qint32>(const std::vector<qint32> &)> Left;
    std::function<std::optional<QStringList>(const TListPrintJob &, qint32)> Fetch;
    // Calls its argument inside one read of the book, so that the records
    // counted and the page's rows come from one state of it; without it the
    // reads are made one by one.
    std::function<void(const std::function<void()> &)> Hold;
    std::function<int()> PerPage;
    TListPrinterInfo *Printer = nullptr;
};

// The zooms of the preview: 0 the whole paper, then fixed percentages.
inline constexpr std::array<int, 8> ListPreviewZooms{0, 200, 175, 150, 125, 100, 75, 50};

// "印刷プレビュー": the list print's pages one at a time, painted by the
// same painter as the paper into a display list of the whole paper at the
// printer's resolution (so the text is laid out with the printer's metrics),
// then played onto the screen through a scale.
//
// Each page is read from the book as it is shown, as the print would print
// it then: the records another program deleted since the list was taken are
// left out, the rows after them move up with their numbers, and the page
// count counts the pages the rows left fill. With none left the preview
// says so and closes (NoneLeft() tells its owner before it is shown).
class TListPrintPreview : public QWidget
{
    Q_OBJECT
public:
    TListPrintPreview(TListPreviewSource source, QWidget *owner);
    ~TListPrintPreview() override;

    // Renders page 1 again from the window's current settings.
    void RefreshListPreview();
    void ShowPreviewPage(int page);
    void SetZoom(int index);

    [[nodiscard]] int PreviewPageNo() const { return m_pageNo; }
    [[nodiscard]] int PreviewPageCount() const { return m_pageCount; }
    // The window's choice took records and the book holds none of them.
    [[nodiscard]] bool NoneLeft() const { return m_noneLeft; }
    // The shown page, in printer pixels of the whole paper.
    [[nodiscard]] const TListDisplayList &PreviewPage() const { return *m_page; }
    [[nodiscard]] QRect PrintableRect() const { return m_printable; }
    [[nodiscard]] double Scale() const { return m_scale; }

    QToolButton *sbtnFirst = nullptr;
    QToolButton *sbtnPrev = nullptr;
    QToolButton *sbtnNext = nullptr;
    QToolButton *sbtnLast = nullptr;
    QLabel *lblPage = nullptr;
    QLabel *lblPageCount = nullptr;
    QComboBox *cbxZoom = nullptr;
    QPushButton *btnClose = nullptr;
    QScrollArea *sbxPreview = nullptr;
    QWidget *pnlImage = nullptr;
    QLabel *lblZoom = nullptr;
    // Names the columns the paper cannot hold whole; empty when all fit.
    QLabel *lblCutColumns = nullptr;

signals:
    void closing();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void renderPage();
    // After a page was read: with none left, says so and closes.
    void closeWhenNoneLeft();
    void updatePageButtons();
    void sizeImage();
    void paintImage();
    void saveSettings() const;

    TListPreviewSource m_source;
    std::unique_ptr<TListDisplayList> m_page;
    QSize m_paper;       // printer pixels
    QSize m_paper96;     // 96-dpi units
    QRect m_printable;   // printer pixels
    int m_pageNo = 0;
    int m_pageCount = 0;
    int m_zoom = 0;
    int m_appliedZoom = -1;
    double m_scale = 1.0;
    bool m_shown = false;
    bool m_noneLeft = false;
    bool m_closing = false;
    bool m_everShown = false; // a preview never shown keeps no place
    QPoint m_dragStart;
    bool m_dragging = false;
};
