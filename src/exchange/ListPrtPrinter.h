#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <memory>

class QPrinter;
class TPrinterInfo;

// Printer settings of one kind of document, kept in a ".pi" file: the
// printer, its paper and orientation and the number of copies. The printer
// behind it is a QPrinter: a CUPS printer, or the PDF target, which counts as
// a printer so that printing works on a machine without any.
//
// The list print's printer: one QPrinter it prints through, its settings
// kept by the items' printer settings (TPrinterInfo) in their file form;
// the PDF target stands in the printer list under the name "PDF". A file of
// the earlier INI form (section "PRINTER INFO": Device, Paper as a QPageSize
// key, Orientation, Copies, OutputFile) is still read.
class TListPrinterInfo
{
public:
    // The device name of the PDF target.
    static const QString PdfDevice;
    // Dots per inch of the PDF target.
    static constexpr int PdfResolution = 600;

    // Loads the file when it exists (an unreadable one is kept aside by the
    // settings layer), else takes the default printer, or the PDF target when
    // no printer is installed.
    explicit TListPrinterInfo(const QString &fileName);
    ~TListPrinterInfo();
    TListPrinterInfo(const TListPrinterInfo &) = delete;
    TListPrinterInfo &operator=(const TListPrinterInfo &) = delete;

    [[nodiscard]] const QString &FileName() const { return m_fileName; }
    // The printer with the kept settings; paint on it to print.
    [[nodiscard]] QPrinter &Printer() { return *m_printer; }
    [[nodiscard]] const QPrinter &Printer() const { return *m_printer; }

    // Takes over a printer the user just chose, with its settings.
    void AssignCurrentPrinter(const QPrinter &chosen);
    // Switches to the PDF target writing to fileName.
    void SelectPdf(const QString &fileName);
    // The file the PDF target writes to, kept while another printer is
    // chosen; a file of the earlier INI form gives its OutputFile. The ".pi"
    // file has no place for it: its owner keeps it in its own settings.
    [[nodiscard]] const QString &OutputFile() const { return m_outputFile; }
    void SetOutputFile(const QString &fileName);
    // The PDF target is chosen and knows no file to write to yet.
    [[nodiscard]] bool NeedsOutputFile() const;
    [[nodiscard]] bool Save(QString *error = nullptr) const;

    [[nodiscard]] QString DeviceName() const;
    [[nodiscard]] bool IsPdf() const;
    [[nodiscard]] int DpiX() const;
    [[nodiscard]] int DpiY() const;
    [[nodiscard]] double ScaleX() const { return DpiX() / 96.0; }
    [[nodiscard]] double ScaleY() const { return DpiY() / 96.0; }
    // Physical page size and the offset of the printable area, in printer pixels.
    [[nodiscard]] QSize PhysicalSize() const;
    [[nodiscard]] QPoint PhysicalOffset() const;
    // The printable area's size in printer pixels.
    [[nodiscard]] QSize PrintableSize() const;
    [[nodiscard]] QString GetPaperName() const;
    // 1 when the printer lists no paper at all, else 0 (the printer stays in use).
    [[nodiscard]] int PaperError() const;
    // The paper in 96-dpi units.
    [[nodiscard]] QSize GetPaperSize() const;
    [[nodiscard]] QPoint TenthMMToDevice(QPoint tenthMM) const;
    [[nodiscard]] int PointsToDevice(int points) const;
    [[nodiscard]] int GetOrientation() const; // 2 landscape, else 1
    [[nodiscard]] int GetCopies() const;
    void SetCopies(int copies);

    // The items' settings behind this printer.
    [[nodiscard]] const TPrinterInfo &Settings() const { return *m_info; }

private:
    void applySettings();
    QString m_fileName;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<TPrinterInfo> m_info;
    QString m_outputFile;
    // The file names a printer that is not installed now (in either form):
    // the default printer stands in, and the file is kept as it is until the
    // user chooses a printer.
    bool m_standIn = false;
};
