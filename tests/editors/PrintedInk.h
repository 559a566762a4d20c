#pragma once

// Measuring what a print run put on paper: an editor over a sample book
// printing through its own print wizard to a PDF file, the PDF rendered
// back by poppler, and the ink found on the page in millimetres.
#include "EditorsFixture.h"
#include "FakeHost.h"
#include "core/AppSub.h"
#include "WizardAnswer.h"
#include "dialogs/DsnPrt.h"
#include "editors/PrintEditor.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRectF>
#include <QTemporaryDir>

#include <algorithm>

// The bounding box of the ink of Page inside Area (dots; the whole page
// when empty), in millimetres from the page's top-left corner at Dpi.
inline QRectF InkBox(const QImage &Page, int Dpi, QRect Area = {})
{
    const QImage rgb = Page.convertToFormat(QImage::Format_RGB32);
    const QRect r = Area.isEmpty() ? rgb.rect() : Area.intersected(rgb.rect());
    int left = r.right() + 1, top = r.bottom() + 1, right = -1, bottom = -1;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            if (isInk(line[x])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    if (right < 0)
        return {};
    const double d = 25.4 / Dpi;
    return QRectF(QPointF(left * d, top * d), QPointF((right + 1) * d, (bottom + 1) * d));
}

// Millimetres on the page to dots at Dpi.
inline QRect MmToDots(const QRectF &Mm, int Dpi)
{
    auto d = [Dpi](double v) { return int(std::lround(v / 25.4 * Dpi)); };
    return QRect(QPoint(d(Mm.left()), d(Mm.top())), QPoint(d(Mm.right()) - 1, d(Mm.bottom()) - 1));
}

// The bounding box, in dots at Dpi, of the ink of Page within half a
// millimetre of LaidMm (millimetres from the page's top-left corner): what
// an item laid there printed, the bars of a barcode item.
inline QRect InkAround(const QImage &Page, const QRectF &LaidMm, int Dpi)
{
    auto dots = [Dpi](double Mm) { return int(std::lround(Mm / 25.4 * Dpi)); };
    const QRect search(QPoint(dots(LaidMm.left() - 0.5), dots(LaidMm.top() - 0.5)),
                       QPoint(dots(LaidMm.right() + 0.5), dots(LaidMm.bottom() + 0.5)));
    QRect ink;
    for (int y = search.top(); y <= search.bottom(); ++y)
        for (int x = search.left(); x <= search.right(); ++x)
            if (Page.rect().contains(x, y) && isInk(Page.pixel(x, y)))
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// An item's rectangle on its piece in millimetres.
inline QRectF ItemMm(const TDrawRect &Item)
{
    const TPageRect r = Item.GetRect();
    const double d = 25.4 / 96;
    return QRectF(QPointF(r.Left * d, r.Top * d), QPointF(r.Right * d, r.Bottom * d));
}

// The runs of ink of Area along one axis (Down: rows, else columns), as
// (start, end) in millimetres: where the characters of a line of text
// stand along it, or where the lines stand across them.
inline QList<std::pair<double, double>> InkRuns(const QImage &Page, int Dpi, const QRect &Area, bool Down)
{
    const QImage rgb = Page.convertToFormat(QImage::Format_RGB32);
    const QRect r = Area.intersected(rgb.rect());
    const int count = Down ? r.height() : r.width();
    QList<bool> inked(count, false);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            if (isInk(line[x]))
                inked[Down ? y - r.top() : x - r.left()] = true;
    }
    QList<std::pair<double, double>> runs;
    const double d = 25.4 / Dpi;
    const int origin = Down ? r.top() : r.left();
    for (int i = 0; i < count;) {
        if (!inked[i]) {
            ++i;
            continue;
        }
        int j = i;
        while (j < count && inked[j])
            ++j;
        runs.append({(origin + i) * d, (origin + j) * d});
        i = j;
    }
    return runs;
}

// An editor over a sample book (records 1 to 3, persons) that prints to a
// PDF file through its print wizard.
class PrintedInkFixture
{
public:
    PrintedInkFixture() { QDir().mkpath(DataRoot); }

    // Appends a record as the record form stores it: the names in their
    // wide form, the other texts in Shift-JIS; a Corp makes it a company
    // (Dptmnt and Post its department and the person's post there).
    qint32 AddRecord(const QString &Name, const QString &Adrs1, const QString &Corp = {},
                     const QStringList &Joints = {}, const QString &Dptmnt = {}, const QString &Post = {})
    {
        TTable &t = book.table;
        t.Append();
        t.FieldByName(QStringLiteral("Pos")).SetAsBytes(Cp932::encode(QStringLiteral("1000014")));
        t.FieldByName(QStringLiteral("Tdfkn")).SetAsBytes(Cp932::encode(QStringLiteral("東京都")));
        t.FieldByName(QStringLiteral("Adrs1")).SetAsBytes(Cp932::encode(Adrs1));
        t.FieldByName(QStringLiteral("NameKanji")).SetAsBytes(EncodeUnicodeField(Name));
        t.FieldByName(QStringLiteral("PrivCorp")).SetAsBoolean(Corp.isEmpty());
        if (!Corp.isEmpty())
            t.FieldByName(QStringLiteral("CorpKanji")).SetAsBytes(Cp932::encode(Corp));
        if (!Dptmnt.isEmpty())
            t.FieldByName(QStringLiteral("Dptmnt")).SetAsBytes(Cp932::encode(Dptmnt));
        if (!Post.isEmpty())
            t.FieldByName(QStringLiteral("Post")).SetAsBytes(Cp932::encode(Post));
        for (int i = 0; i < Joints.size() && i < 5; ++i) {
            t.FieldByName(QStringLiteral("Joint%1").arg(i + 1)).SetAsBytes(EncodeUnicodeField(Joints[i]));
            t.FieldByName(QStringLiteral("JointPrint%1").arg(i + 1)).SetAsBoolean(true);
        }
        if (!Joints.isEmpty())
            t.FieldByName(QStringLiteral("JointPrint")).SetAsBoolean(true);
        t.Post();
        return ++m_records;
    }

    // Prints the record RecNo (the sender's card when the layout merges the
    // sender) through the wizard at Dpi and renders the first page back at
    // RenderDpi; a null image when nothing was printed.
    QImage PrintThroughWizard(TPrintEditor &Editor, qint32 RecNo, int Dpi, int RenderDpi)
    {
        const QString pdf = out.filePath(QStringLiteral("run%1.pdf").arg(++m_runs));
        Editor.Printer().setOutputFormat(QPrinter::PdfFormat);
        Editor.Printer().setOutputFileName(pdf);
        Editor.Printer().setResolution(Dpi);
        host.Rows.RecNos.clear();
        for (qint32 r = 1; r <= m_records; ++r)
            host.Rows.RecNos.append(r);
        host.Rows.SelectedRows = {int(RecNo) - 1};
        WizardAnswer answer;
        const auto exec = Editor.ExecDialog;
        Editor.ExecDialog = [this, &answer](QDialog &Dialog) {
            // The design's print dialog is confirmed as it stands.
            if (dynamic_cast<TDesignPrintDialog *>(&Dialog)) {
                Dialog.accept();
                return Dialog.result();
            }
            return answer(Dialog, boxes);
        };
        // Each run's print dialog: the user confirms the file it offers.
        Editor.ExecPrintDialog = [pdf](QPrinter &Printer) {
            Printer.setOutputFileName(pdf);
            return true;
        };
        Editor.findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
        Editor.ExecDialog = exec;
        // The run drew at the printer's resolution.
        EXPECT_EQ(Editor.Printer().resolution(), Dpi);
        return renderPdf(pdf, RenderDpi).value(0);
    }

    // The first page of the editor's print preview (印刷プレビュー) of the
    // record RecNo, the printer at Dpi, as the preview window shows it
    // whole: the page cut out of the window, and its resolution in dots
    // per inch (from the paper's width).
    QImage PreviewThroughWizard(TPrintEditor &Editor, qint32 RecNo, int Dpi, int &ShownDpi)
    {
        Editor.Printer().setResolution(Dpi);
        host.Rows.RecNos.clear();
        for (qint32 r = 1; r <= m_records; ++r)
            host.Rows.RecNos.append(r);
        host.Rows.SelectedRows = {int(RecNo) - 1};
        WizardAnswer answer;
        answer.Preview = true;
        const auto exec = Editor.ExecDialog;
        Editor.ExecDialog = [this, &answer](QDialog &Dialog) {
            if (dynamic_cast<TDesignPrintDialog *>(&Dialog)) {
                Dialog.accept();
                return Dialog.result();
            }
            return answer(Dialog, boxes);
        };
        QImage shot;
        Editor.ExecPreview = [&shot](QDialog &Dialog) {
            auto *preview = Dialog.findChild<QPrintPreviewWidget *>();
            ASSERT_NE(preview, nullptr);
            Dialog.resize(900, 1200);
            Dialog.show();
            preview->setViewMode(QPrintPreviewWidget::SinglePageView);
            preview->setZoomMode(QPrintPreviewWidget::FitInView);
            preview->updatePreview();
            QCoreApplication::processEvents();
            shot = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        Editor.findChild<QAction *>(QStringLiteral("actPreview"))->trigger();
        Editor.ExecDialog = exec;
        // The page is the white of the window.
        int left = shot.width(), top = shot.height(), right = -1, bottom = -1;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixel(x, y) == qRgb(255, 255, 255)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        if (right < 0)
            return {};
        const QImage page = shot.copy(QRect(QPoint(left, top), QPoint(right, bottom)));
        const QSize sheet = Editor.Document().SheetSize();
        ShownDpi = int(std::lround(page.width() / (sheet.width() / 254.0)));
        return page;
    }

    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    ScriptedMessageBoxes boxes;
    SampleBook book;
    FakeHost host{book.table};
    QTemporaryDir out;

private:
    qint32 m_records = 3;
    int m_runs = 0;
};
