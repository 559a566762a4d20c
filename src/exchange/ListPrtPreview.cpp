#include "exchange/ListPrtPreview.h"

#include "core/Env.h"
#include "exchange/ListPrtPrinter.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WindowFit.h"
#include "widgets/EnterKey.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStringList>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSizePolicy>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("LIST PRINT PREVIEW");

int halfAway(double value)
{
    return static_cast<int>(RoundHalfAway(static_cast<long double>(value)));
}

class TImage : public QWidget
{
public:
    TImage(std::function<void()> paint, QWidget *parent) : QWidget(parent), m_paint(std::move(paint)) {}

protected:
    void paintEvent(QPaintEvent *) override { m_paint(); }

private:
    std::function<void()> m_paint;
};

} // namespace

TListPrintPreview::TListPrintPreview(TListPreviewSource source, QWidget *owner)
    : QWidget(owner, Qt::Window), m_source(std::move(source))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ListPrintPreview"));
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    setProperty("HelpContext", 99);
    setMinimumSize(520, 260);
    auto *top = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    auto tool = [&](QToolButton *&b, const char *name, const QString &text, const QString &hint, int page) {
        b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setToolTip(hint);
        bar->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, page] {
            ShowPreviewPage(page == 0 ? 1 : page == 1 ? m_pageNo - 1 : page == 2 ? m_pageNo + 1 : m_pageCount);
        });
    };
    tool(sbtnFirst, "sbtnFirst", QStringLiteral("|◀"), QStringLiteral("先頭のデータ"), 0);
    tool(sbtnPrev, "sbtnPrev", QStringLiteral("◀"), QStringLiteral("１つ前のデータ"), 1);
    tool(sbtnNext, "sbtnNext", QStringLiteral("▶"), QStringLiteral("次のデータ"), 2);
    tool(sbtnLast, "sbtnLast", QStringLiteral("▶|"), QStringLiteral("最後のデータ"), 3);
    lblPage = new QLabel(this);
    lblPage->setObjectName(QStringLiteral("lblPage"));
    lblPageCount = new QLabel(this);
    lblPageCount->setObjectName(QStringLiteral("lblPageCount"));
    bar->addWidget(lblPage);
    bar->addWidget(new QLabel(QStringLiteral("/"), this));
    bar->addWidget(lblPageCount);
    bar->addStretch();
    bar->addWidget(new QLabel(QStringLiteral("倍率："), this));
    cbxZoom = new QComboBox(this);
    cbxZoom->setObjectName(QStringLiteral("cbxZoom"));
    cbxZoom->addItem(QStringLiteral("用紙全体"));
    for (std::size_t i = 1; i < ListPreviewZooms.size(); ++i)
        cbxZoom->addItem(QString::number(ListPreviewZooms[i]) + QStringLiteral("%"));
    bar->addWidget(cbxZoom);
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    bar->addWidget(btnClose);
    top->addLayout(bar);
    sbxPreview = new QScrollArea(this);
    sbxPreview->setObjectName(QStringLiteral("sbxPreview"));
    sbxPreview->setWidgetResizable(false);
    sbxPreview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *canvas = new QWidget;
    pnlImage = new TImage([this] { paintImage(); }, canvas);
    pnlImage->setObjectName(QStringLiteral("pnlImage"));
    pnlImage->setCursor(Qt::OpenHandCursor);
    pnlImage->setContextMenuPolicy(Qt::CustomContextMenu);
    pnlImage->installEventFilter(this);
    sbxPreview->setWidget(canvas);
    sbxPreview->viewport()->installEventFilter(this);
    top->addWidget(sbxPreview, 1);
    auto *status = new QHBoxLayout;
    lblCutColumns = new QLabel(this);
    lblCutColumns->setObjectName(QStringLiteral("lblCutColumns"));
    lblCutColumns->setStyleSheet(QStringLiteral("color: #C00000;"));
    // A long list of names gives way to the zoom; the tooltip holds it whole.
    lblCutColumns->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status->addWidget(lblCutColumns, 1);
    lblZoom = new QLabel(QStringLiteral("  表示： 100%"), this);
    lblZoom->setObjectName(QStringLiteral("lblZoom"));
    // The zoom's panel of the status line is 90 wide at 96 dpi.
    lblZoom->setMinimumWidth(ScaleForDpi(90, true));
    status->addWidget(lblZoom);
    top->addLayout(status);

    {
        const TMemIniFile ini(SettingsFileName());
        const QRect screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->availableGeometry() : QRect();
        const int width = ini.ReadInteger(kSection, QStringLiteral("Width"), 960);
        const int height = ini.ReadInteger(kSection, QStringLiteral("Height"), 720);
        const int screenW = ScaleForDpi(screen.width(), false);
        const int screenH = ScaleForDpi(screen.height(), false);
        const int left = ini.ReadInteger(kSection, QStringLiteral("Left"), (screenW - width) / 2);
        const int topPos = ini.ReadInteger(kSection, QStringLiteral("Top"), (screenH - height) / 2);
        resize(ScaleForDpi(width, true), ScaleForDpi(height, true));
        PlaceWindowFrameAt(this, QPoint(ScaleForDpi(std::max(0, left), true), ScaleForDpi(std::max(0, topPos), true)));
        m_zoom = ini.ReadInteger(kSection, QStringLiteral("Zoom"), 0);
        if (m_zoom < 0 || m_zoom > 7)
            m_zoom = 0;
    }
    cbxZoom->setCurrentIndex(m_zoom);
    connect(cbxZoom, &QComboBox::activated, this, [this](int index) { SetZoom(index); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    // Enter in the zoom box leads to 閉じる, and Return there closes.
    cbxZoom->installEventFilter(this);
    PressFocusedButtonOnEnter(this);
    connect(pnlImage, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu menu(this);
        QMenu *zoom = menu.addMenu(QStringLiteral("倍率"));
        for (int i = 0; i < cbxZoom->count(); ++i) {
            QAction *entry = zoom->addAction(cbxZoom->itemText(i));
            entry->setCheckable(true);
            entry->setChecked(i == m_zoom);
            connect(entry, &QAction::triggered, this, [this, i] {
                cbxZoom->setCurrentIndex(i);
                SetZoom(i);
            });
        }
        menu.exec(pnlImage->mapToGlobal(at));
    });
    RefreshListPreview();
}

TListPrintPreview::~TListPrintPreview()
{
    if (m_everShown)
        saveSettings();
}

void TListPrintPreview::showEvent(QShowEvent *event)
{
    m_everShown = true;
    QWidget::showEvent(event);
}

void TListPrintPreview::saveSettings() const
{
    TMemIniFile ini(SettingsFileName());
    const QRect bounds = normalGeometry().isValid() ? normalGeometry() : geometry();
    // Placed by its frame's corner, as it is read back.
    WriteWindowCorner(ini, kSection, this);
    ini.WriteInteger(kSection, QStringLiteral("Width"), ScaleForDpi(bounds.width(), false));
    ini.WriteInteger(kSection, QStringLiteral("Height"), ScaleForDpi(bounds.height(), false));
    ini.WriteInteger(kSection, QStringLiteral("Zoom"), std::max(0, m_appliedZoom));
    ini.UpdateFileOrTellOnce(); // a lost window place loses no data
}

void TListPrintPreview::closeEvent(QCloseEvent *event)
{
    emit closing();
    QWidget::closeEvent(event);
}

void TListPrintPreview::RefreshListPreview()
{
    m_shown = false;
    m_appliedZoom = -1;
    const TListPrinterInfo &printer = *m_source.Printer;
    m_paper = printer.PhysicalSize();
    m_paper96 = printer.GetPaperSize();
    m_printable = QRect(printer.PhysicalOffset(), printer.PrintableSize());
    // Page 1 (none without a record), as the book holds the records now.
    m_pageNo = 1;
    renderPage();
    updatePageButtons();
    m_shown = true;
    sizeImage();
    pnlImage->update();
    closeWhenNoneLeft();
}

void TListPrintPreview::ShowPreviewPage(int page)
{
    if (m_pageCount == 0)
        return;
    m_pageNo = std::clamp(page, 1, m_pageCount);
    // The page count is counted again: records deleted meanwhile may have
    // taken pages away, and the page asked for is then the last one left.
    renderPage();
    updatePageButtons();
    pnlImage->update();
    closeWhenNoneLeft();
}

void TListPrintPreview::closeWhenNoneLeft()
{
    if (!m_noneLeft || m_closing || !isVisible())
        return;
    m_closing = true;
    // As the print says it, and no page of headings alone stays on screen.
    ShowMessageBoxAt(this, ListPrintNoDataMessage, ProductCaption(), MB_OK | MB_ICONINFORMATION, mbpCenterOnOwner,
                     0, 0);
    close();
}

void TListPrintPreview::updatePageButtons()
{
    sbtnFirst->setEnabled(m_pageNo > 1);
    sbtnPrev->setEnabled(m_pageNo > 1);
    sbtnNext->setEnabled(m_pageNo < m_pageCount);
    sbtnLast->setEnabled(m_pageNo < m_pageCount);
    lblPage->setText(QString::number(m_pageNo));
    lblPageCount->setText(QString::number(m_pageCount));
}

void TListPrintPreview::renderPage()
{
    const TListPrintJob job = m_source.Job();
    const TListPageMetrics metrics = MeasureListPage(job.Layout, *m_source.Printer);
    const int perPage = m_source.PerPage();
    // The page's records as the print would print them now: the records
    // the book still holds fill the pages in the list's order, numbered on
    // without a gap, and only the pages they fill are counted. They are
    // counted and the page's rows read under one read of the book.
    std::vector<QStringList> rows;
    int firstNumber = 1;
    const auto read = [&] {
        const std::vector<qint32> taken = m_source.Records();
        const std::vector<qint32> left = m_source.Left ? m_source.Left(taken) : taken;
        m_noneLeft = !taken.empty() && left.empty();
        m_pageCount = ListPageCount(static_cast<int>(left.size()), perPage);
        m_pageNo = m_pageCount > 0 ? std::clamp(m_pageNo, 1, m_pageCount) : 0;
        if (m_pageNo == 0)
            return;
        const std::size_t first = static_cast<std::size_t>(m_pageNo - 1) * static_cast<std::size_t>(perPage);
        firstNumber = static_cast<int>(first) + 1;
        // A record gone between the count and its reading (a source that
        // does not hold the book) gives its row to the next one.
        for (std::size_t i = first; i < left.size() && rows.size() < static_cast<std::size_t>(perPage); ++i)
            if (auto texts = m_source.Fetch(job, left[i]))
                rows.push_back(std::move(*texts));
    };
    if (m_source.Hold)
        m_source.Hold(read);
    else
        read();
    m_page = std::make_unique<TListDisplayList>(m_paper, m_source.Printer->DpiX(), m_source.Printer->DpiY());
    // The columns the sheet cannot hold, and the texts this page clips.
    QStringList told;
    if (const QString columns = ListPrintColumnFitText(job, ListPrintColumnFit(job, metrics), QStringLiteral("　"));
        !columns.isEmpty())
        told << columns;
    if (const QString cells = ListPrintCutCellsText(
            job, ListPrintCutCells(job, metrics, m_page.get(), rows, firstNumber), QStringLiteral("、"));
        !cells.isEmpty())
        told << QStringLiteral("途中で切れる文字（このページ）：") + cells;
    lblCutColumns->setText(told.join(QStringLiteral("　")));
    lblCutColumns->setToolTip(lblCutColumns->text());
    QPainter painter(m_page.get());
    if (job.Columns.empty()) {
        // With no columns only the heading texts are shown.
        TListPrintJob headings = job;
        PaintListPreviewPage(painter, headings, metrics, m_printable, {}, m_pageNo, m_pageCount, firstNumber);
    } else {
        PaintListPreviewPage(painter, job, metrics, m_printable, rows, m_pageNo, m_pageCount, firstNumber);
    }
}

void TListPrintPreview::SetZoom(int index)
{
    if (index < 0 || index > 7 || index == m_zoom)
        return;
    m_zoom = index;
    sbxPreview->horizontalScrollBar()->setValue(0);
    sbxPreview->verticalScrollBar()->setValue(0);
    sizeImage();
}

void TListPrintPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    sizeImage();
}

void TListPrintPreview::sizeImage()
{
    if (!m_shown)
        return;
    const QSize view = sbxPreview->viewport()->size();
    const bool computed = m_appliedZoom == 0 || m_appliedZoom != m_zoom;
    if (computed) {
        m_appliedZoom = m_zoom;
        m_scale = m_zoom == 0 ? ListPreviewFitScale(m_paper96, view)
                              : ListPreviewZooms[static_cast<std::size_t>(m_zoom)] / 100.0;
        pnlImage->resize(halfAway(m_paper96.width() * m_scale), halfAway(m_paper96.height() * m_scale));
        lblZoom->setText(QString::asprintf("  表示： %d%%", halfAway(m_scale * 100)));
    }
    const int left = std::max(20, halfAway((view.width() - pnlImage->width()) / 2.0));
    const int top = std::max(20, halfAway((view.height() - pnlImage->height()) / 2.0));
    pnlImage->move(left, top);
    sbxPreview->widget()->resize(left + pnlImage->width() + 20, top + pnlImage->height() + 20);
    sbxPreview->horizontalScrollBar()->setValue(0);
    sbxPreview->verticalScrollBar()->setValue(0);
}

void TListPrintPreview::paintImage()
{
    QPainter p(pnlImage);
    p.fillRect(pnlImage->rect(), Qt::white);
    if (!m_paper.isEmpty() && m_page) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(pnlImage->width() / static_cast<double>(m_paper.width()),
                pnlImage->height() / static_cast<double>(m_paper.height()));
        m_page->Play(p);
        p.restore();
    }
    p.setPen(QColor(128, 128, 128));
    p.drawRect(pnlImage->rect().adjusted(0, 0, -1, -1));
}

bool TListPrintPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cbxZoom && IsEnterKeyPress(event)) {
        btnClose->setFocus(Qt::TabFocusReason);
        return true;
    }
    // Every resize of the view fits the whole paper anew.
    if (watched == sbxPreview->viewport() && event->type() == QEvent::Resize)
        sizeImage();
    if (watched == pnlImage) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton) {
                m_dragStart = mouse->globalPosition().toPoint();
                m_dragging = true;
                pnlImage->setCursor(Qt::ClosedHandCursor);
            }
            sbxPreview->setFocus();
            break;
        case QEvent::MouseMove:
            if (m_dragging) {
                // The page follows the hand.
                const QPoint now = mouse->globalPosition().toPoint();
                QScrollBar *h = sbxPreview->horizontalScrollBar();
                QScrollBar *v = sbxPreview->verticalScrollBar();
                h->setValue(h->value() + m_dragStart.x() - now.x());
                v->setValue(v->value() + m_dragStart.y() - now.y());
                m_dragStart = now;
            }
            break;
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            pnlImage->setCursor(Qt::OpenHandCursor);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
