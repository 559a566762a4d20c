#include "exchange/ListPrtPrinter.h"

#include "items/PrtInfo.h"
#include "platform/IniFile.h"
#include "util/SubUnit.h"

#include <QFile>

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

namespace {

// The installed printers and, after them, the PDF target, which counts as a
// printer so that the list prints on a machine without any.
class TListPrinterBackend final : public TPrinterBackend
{
public:
    QStringList Printers() const override { return m_qt.Printers() << TListPrinterInfo::PdfDevice; }
    QString DefaultPrinter() const override
    {
        const QString name = m_qt.DefaultPrinter();
        return name.isEmpty() ? TListPrinterInfo::PdfDevice : name;
    }
    QList<TPaperInfo> Papers(const QString &printer) const override
    {
        if (printer != TListPrinterInfo::PdfDevice)
            return m_qt.Papers(printer);
        QList<TPaperInfo> papers;
        for (int id = 0; id < QPageSize::LastPageSize; ++id) {
            const QPageSize size(static_cast<QPageSize::PageSizeId>(id));
            if (size.id() == QPageSize::Custom)
                continue;
            const QSizeF mm = size.size(QPageSize::Millimeter);
            papers.append({id + 1, size.name(),
                           QSize(static_cast<int>(RoundHalfAway(mm.width() * 10.0L)),
                                 static_cast<int>(RoundHalfAway(mm.height() * 10.0L)))});
        }
        papers.append({CustomPaperId, QStringLiteral("ユーザー定義サイズ"), {}});
        return papers;
    }
    TPrinterSettings Apply(const TPrinterSettings &settings) const override
    {
        return settings.PrinterName == TListPrinterInfo::PdfDevice ? settings : m_qt.Apply(settings);
    }
    TPrinterCaps Caps(const TPrinterSettings &settings) const override
    {
        if (settings.PrinterName != TListPrinterInfo::PdfDevice)
            return m_qt.Caps(settings);
        QPrinter printer(QPrinter::HighResolution);
        preparePdf(printer);
        TQtPrinterBackend::Configure(printer, settings);
        TPrinterCaps caps;
        caps.Dpi = {printer.logicalDpiX(), printer.logicalDpiY()};
        const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
        const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
        caps.Physical = paper.size();
        caps.PhysicalOffset = page.topLeft() - paper.topLeft();
        caps.Page = page.size();
        return caps;
    }

private:
    TQtPrinterBackend m_qt;
};

const TListPrinterBackend &listBackend()
{
    static const TListPrinterBackend backend;
    return backend;
}

// The settings the printer holds now, in the items' form.
TPrinterSettings settingsOf(const QPrinter &printer, const QString &device)
{
    TPrinterSettings s;
    s.PrinterName = device;
    const QPageSize size = printer.pageLayout().pageSize();
    if (size.id() == QPageSize::Custom) {
        s.PaperId = CustomPaperId;
        const QSizeF mm = size.size(QPageSize::Millimeter);
        s.CustomSize = QSize(static_cast<int>(RoundHalfAway(mm.width() * 10.0L)),
                             static_cast<int>(RoundHalfAway(mm.height() * 10.0L)));
    } else {
        s.PaperId = static_cast<qint32>(size.id()) + 1;
    }
    s.Orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    s.Copies = std::clamp(printer.copyCount(), 1, 100);
    return s;
}

// An earlier form of the file: an INI text with section "PRINTER INFO".
bool isIniForm(const QByteArray &bytes)
{
    return bytes.left(64).trimmed().startsWith('[');
}

bool readIniForm(const QString &fileName, TPrinterSettings &settings, QString &outputFile)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024)
        return false;
    if (!isIniForm(file.read(64)))
        return false;
    file.close();
    const TMemIniFile ini(fileName);
    const QString device = ini.ReadString(kSection, QStringLiteral("Device"), {});
    if (device.isEmpty())
        return false;
    settings.PrinterName = device;
    const QString paper = ini.ReadString(kSection, QStringLiteral("Paper"), {});
    for (int id = 0; id <= QPageSize::LastPageSize; ++id)
        if (QPageSize::key(static_cast<QPageSize::PageSizeId>(id)) == paper) {
            settings.PaperId = id + 1;
            break;
        }
    settings.Orientation = ini.ReadInteger(kSection, QStringLiteral("Orientation"), 1) == 2 ? 2 : 1;
    settings.Copies = std::clamp(ini.ReadInteger(kSection, QStringLiteral("Copies"), 1), 1, 100);
    outputFile = ini.ReadString(kSection, QStringLiteral("OutputFile"), {});
    return true;
}

} // namespace

TListPrinterInfo::TListPrinterInfo(const QString &fileName)
    : m_fileName(fileName), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      m_info(std::make_unique<TPrinterInfo>(fileName, listBackend(), isIniForm))
{
    // The file of an earlier version is read and written anew on the next save.
    m_standIn = m_info->KeepsFile();
    TPrinterSettings legacy;
    if (!fileName.isEmpty() && readIniForm(fileName, legacy, m_outputFile)) {
        if (listBackend().Printers().contains(legacy.PrinterName))
            m_info->AssignSettings(legacy);
        else
            m_standIn = true;
    }
    applySettings();
}

TListPrinterInfo::~TListPrinterInfo() = default;

void TListPrinterInfo::applySettings()
{
    const TPrinterSettings &s = m_info->Settings();
    if (s.PrinterName == PdfDevice) {
        preparePdf(*m_printer);
        m_printer->setOutputFileName(m_outputFile);
        if (s.PaperId == 0)
            m_printer->setPageSize(QPageSize(QPageSize::A4));
    } else {
        m_printer->setOutputFormat(QPrinter::NativeFormat);
    }
    TQtPrinterBackend::Configure(*m_printer, s);
}

void TListPrinterInfo::AssignCurrentPrinter(const QPrinter &chosen)
{
    const bool pdf = chosen.outputFormat() == QPrinter::PdfFormat;
    if (pdf)
        m_outputFile = chosen.outputFileName();
    m_info->AssignSettings(settingsOf(chosen, pdf ? PdfDevice : chosen.printerName()));
    m_standIn = false;
    applySettings();
}

void TListPrinterInfo::SelectPdf(const QString &fileName)
{
    m_outputFile = fileName;
    TPrinterSettings s = settingsOf(*m_printer, PdfDevice);
    m_info->AssignSettings(s);
    m_standIn = false;
    applySettings();
}

void TListPrinterInfo::SetOutputFile(const QString &fileName)
{
    m_outputFile = fileName;
    if (IsPdf())
        m_printer->setOutputFileName(fileName);
}

bool TListPrinterInfo::NeedsOutputFile() const
{
    return IsPdf() && m_printer->outputFileName().isEmpty();
}

bool TListPrinterInfo::Save(QString *error) const
{
    // The printer the file names may come back; printing on the stand-in
    // does not choose it.
    if (m_standIn)
        return true;
    // What the printer holds now: the window and the print dialog set it.
    m_info->AssignSettings(settingsOf(*m_printer, DeviceName()));
    return m_info->Save(error);
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

int TListPrinterInfo::PaperError() const
{
    return listBackend().Papers(DeviceName()).isEmpty() ? 1 : 0;
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
