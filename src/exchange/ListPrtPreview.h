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
    std::function<std::vector<qint32>()> Records;
    std::function<std::optional<QStringList>(const TListPrintJob &, qint32)> Fetch;
    std::function<int()> PerPage;
    TListPrinterInfo *Printer = nullptr;
};

// The zooms of the preview: 0 the whole paper, then fixed percentages.
inline constexpr std::array<int, 8> ListPreviewZooms{0, 200, 175, 150, 125, 100, 75, 50};

// "印刷プレビュー": the list print's pages one at a time, painted by the
// same painter as the paper into a display list of the whole paper at the
// printer's resolution (so the text is laid out with the printer's metrics),
// then played onto the screen through a scale.
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
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void renderPage();
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
    QPoint m_dragStart;
    bool m_dragging = false;
};
