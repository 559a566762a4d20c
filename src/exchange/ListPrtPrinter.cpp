#include "exchange/ListPrtPrinter.h"

#include "platform/IniFile.h"
#include "util/SubUnit.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

const QString kSection = QStringLiteral("PRINTER INFO");

// The PDF target's unprintable border, like a usual office printer's.
constexpr double kPdfMarginMM = 5.0;

void preparePdf(QPrinter &printer)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(TListPrinterInfo::PdfResolution);
    printer.setFullPage(false);
    printer.setPageMargins(QMarginsF(kPdfMarginMM, kPdfMarginMM, kPdfMarginMM, kPdfMarginMM),
                           QPageLayout::Millimeter);
}

} // namespace

const QString TListPrinterInfo::PdfDevice = QStringLiteral("PDF");

TListPrinterInfo::TListPrinterInfo(const QString &fileName)
    : m_fileName(fileName), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    takeDefault();
    if (fileName.isEmpty() || !QFileInfo::exists(fileName))
        return;
    const TMemIniFile ini(fileName);
    const QString device = ini.ReadString(kSection, QStringLiteral("Device"), {});
    if (device == PdfDevice) {
        preparePdf(*m_printer);
        m_printer->setOutputFileName(ini.ReadString(kSection, QStringLiteral("OutputFile"), {}));
    } else if (!device.isEmpty()) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(device);
        if (!info.isNull())
            m_printer->setPrinterName(device);
    }
    const QString paper = ini.ReadString(kSection, QStringLiteral("Paper"), {});
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const auto pageId = static_cast<QPageSize::PageSizeId>(id);
        if (QPageSize::key(pageId) == paper) {
            m_printer->setPageSize(QPageSize(pageId));
            break;
        }
    }
    m_printer->setPageOrientation(ini.ReadInteger(kSection, QStringLiteral("Orientation"), 1) == 2
                                      ? QPageLayout::Landscape
                                      : QPageLayout::Portrait);
    SetCopies(ini.ReadInteger(kSection, QStringLiteral("Copies"), 1));
}

TListPrinterInfo::~TListPrinterInfo() = default;

void TListPrinterInfo::takeDefault()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty()) {
        preparePdf(*m_printer);
        m_printer->setPageSize(QPageSize(QPageSize::A4));
    } else {
        m_printer->setPrinterName(info.printerName());
    }
}

void TListPrinterInfo::AssignCurrentPrinter(const QPrinter &chosen)
{
    if (chosen.outputFormat() == QPrinter::PdfFormat) {
        preparePdf(*m_printer);
        m_printer->setOutputFileName(chosen.outputFileName());
    } else {
        m_printer->setOutputFormat(QPrinter::NativeFormat);
        m_printer->setPrinterName(chosen.printerName());
    }
    m_printer->setPageSize(chosen.pageLayout().pageSize());
    m_printer->setPageOrientation(chosen.pageLayout().orientation());
    m_printer->setCopyCount(chosen.copyCount());
}

void TListPrinterInfo::SelectPdf(const QString &fileName)
{
    preparePdf(*m_printer);
    m_printer->setOutputFileName(fileName);
}

bool TListPrinterInfo::Save(QString *error) const
{
    TMemIniFile ini(m_fileName);
    ini.EraseSection(kSection);
    ini.WriteString(kSection, QStringLiteral("Device"), DeviceName());
    ini.WriteString(kSection, QStringLiteral("Paper"), QPageSize::key(m_printer->pageLayout().pageSize().id()));
    ini.WriteInteger(kSection, QStringLiteral("Orientation"), GetOrientation());
    ini.WriteInteger(kSection, QStringLiteral("Copies"), GetCopies());
    if (IsPdf())
        ini.WriteString(kSection, QStringLiteral("OutputFile"), m_printer->outputFileName());
    return ini.UpdateFile(error);
}

QString TListPrinterInfo::DeviceName() const
{
    return IsPdf() ? PdfDevice : m_printer->printerName();
}

bool TListPrinterInfo::IsPdf() const
{
    return m_printer->outputFormat() == QPrinter::PdfFormat;
}

int TListPrinterInfo::DpiX() const
{
    return m_printer->logicalDpiX();
}

int TListPrinterInfo::DpiY() const
{
    return m_printer->logicalDpiY();
}

QSize TListPrinterInfo::PhysicalSize() const
{
    return m_printer->paperRect(QPrinter::DevicePixel).toRect().size();
}

QPoint TListPrinterInfo::PhysicalOffset() const
{
    const QRectF page = m_printer->pageRect(QPrinter::DevicePixel);
    const QRectF paper = m_printer->paperRect(QPrinter::DevicePixel);
    return (page.topLeft() - paper.topLeft()).toPoint();
}

QSize TListPrinterInfo::PrintableSize() const
{
    // The painter's device size: what a painter on the printer may use.
    return {m_printer->width(), m_printer->height()};
}

QString TListPrinterInfo::GetPaperName() const
{
    return m_printer->pageLayout().pageSize().name();
}

QSize TListPrinterInfo::GetPaperSize() const
{
    const QSize physical = PhysicalSize();
    return {static_cast<int>(RoundHalfAway(physical.width() / ScaleX())),
            static_cast<int>(RoundHalfAway(physical.height() / ScaleY()))};
}

QPoint TListPrinterInfo::TenthMMToDevice(QPoint tenthMM) const
{
    return {static_cast<int>(RoundHalfAway(static_cast<long double>(tenthMM.x()) / 254 * DpiX())),
            static_cast<int>(RoundHalfAway(static_cast<long double>(tenthMM.y()) / 254 * DpiY()))};
}

int TListPrinterInfo::PointsToDevice(int points) const
{
    return static_cast<int>(RoundHalfAway(static_cast<long double>(points) * DpiY() / 72));
}

int TListPrinterInfo::GetOrientation() const
{
    return m_printer->pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
}

int TListPrinterInfo::GetCopies() const
{
    return m_printer->copyCount();
}

void TListPrinterInfo::SetCopies(int copies)
{
    m_printer->setCopyCount(std::clamp(copies, 1, 100));
}
