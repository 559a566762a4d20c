#pragma once

#include "items/DrawRect.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class QByteArray;
class QPrinter;

// The page size a printer setting names: a size id of the printer's list,
// or the user-defined size in 0.1 mm.
inline constexpr qint32 CustomPaperId = 256;
// The longest side a user-defined size may have (0.1 mm): 5.08 m, the
// longest page a PDF holds; longer ones overflow the page in device pixels.
inline constexpr int MaxCustomPaperLength = 50800;

struct TPaperInfo {
    qint32 Id = 0;       // QPageSize::PageSizeId + 1, or CustomPaperId
    QString Name;
    QSize Size;          // 0.1 mm, portrait
};

// What one kind of document remembers of its printer.
struct TPrinterSettings {
    QString PrinterName;
    qint32 PaperId = 0; // 0: the printer's default paper
    QSize CustomSize;   // 0.1 mm, with CustomPaperId
    quint8 Orientation = 1; // 1 portrait, 2 landscape
    qint32 Copies = 1;
    qint32 Resolution = 0; // dots per inch; 0: the printer's own
    // The file the last print to PDF of this kind went to, proposed again
    // for the next one; kept while another printer is chosen.
    QString OutputFile;
    bool operator==(const TPrinterSettings &) const = default;
};

// The sheet as the printer reports it for a setting, in its dots.
struct TPrinterCaps {
    TDeviceDpi Dpi{600, 600};
    QSize Physical;        // the whole sheet
    QPoint PhysicalOffset; // unprintable left and top margins
    QSize Page;            // the printable area
};

// The printers of the system as the printing code sees them; the program
// runs on QPrinter and QPrinterInfo (CUPS and PDF), tests on a fake.
class TPrinterBackend
{
public:
    virtual ~TPrinterBackend() = default;
    [[nodiscard]] virtual QStringList Printers() const = 0;
    [[nodiscard]] virtual QString DefaultPrinter() const = 0;
    // The papers the printer lists, in its order; CustomPaperId among them
    // when it takes user-defined sizes.
    [[nodiscard]] virtual QList<TPaperInfo> Papers(const QString &Printer) const = 0;
    // The settings as the driver keeps them (a size it cannot print is dropped).
    [[nodiscard]] virtual TPrinterSettings Apply(const TPrinterSettings &Settings) const = 0;
    [[nodiscard]] virtual TPrinterCaps Caps(const TPrinterSettings &Settings) const = 0;
};

// The backend of the installed printers.
class TQtPrinterBackend final : public TPrinterBackend
{
public:
    QStringList Printers() const override;
    QString DefaultPrinter() const override;
    QList<TPaperInfo> Papers(const QString &Printer) const override;
    TPrinterSettings Apply(const TPrinterSettings &Settings) const override;
    TPrinterCaps Caps(const TPrinterSettings &Settings) const override;
    // Sets a printer up as the settings say (a PDF printer keeps its output).
    static void Configure(QPrinter &Printer, const TPrinterSettings &Settings);
};

// The printer and settings one kind of document remembers from one run to
// the next, in its ".pi" file of the settings folder: "MVPI", format
// version, then the printer's full name, paper id, custom size, orientation,
// copies and resolution, and, when one is known, the PDF output file (a
// file without it reads as having none). A missing file, or a printer no
// longer installed, selects the default printer; no message. The file of a
// printer not installed is not overwritten by the stand-in. A foreign, short
// or damaged file is kept aside and named to the user like every settings
// file (platform/UnreadableFile.h) and the default printer is used; when it
// could not be moved, Save refuses to write over it. A user size beyond
// MaxCustomPaperLength is dropped.
class TPrinterInfo
{
public:
    static constexpr quint32 FileVersion = 1;

    // True for a file in a form its owner reads itself (an earlier version's):
    // such a file is left where it is for the owner.
    using TOtherForm = std::function<bool(const QByteArray &Bytes)>;

    TPrinterInfo(QString FileName, const TPrinterBackend &Backend, TOtherForm OtherForm = {});

    void LoadFromFile();
    // False with the reason when the file cannot be written; the old file is kept.
    [[nodiscard]] bool Save(QString *Error = nullptr) const;
    // Index into the backend's printers; -1 the default printer, with its defaults.
    void AssignPrinter(int Index);
    void AssignSettings(const TPrinterSettings &Settings);

    const TPrinterSettings &Settings() const { return m_settings; }
    const TPrinterCaps &Caps() const { return m_caps; }
    const QString &FileName() const { return m_fileName; }
    // The file names a printer not installed now: the default printer stands
    // in and Save leaves the file as it is.
    [[nodiscard]] bool KeepsFile() const { return m_keepFile; }
    // The printer the file named when it was read, installed or not (empty
    // without a readable file).
    [[nodiscard]] const QString &FilePrinterName() const { return m_filePrinter; }

    // The printable area in 96-dpi units, moved in by (X, Y).
    [[nodiscard]] QRect GetPrintableRect(int X, int Y) const;
    // The sheet in 96-dpi units.
    [[nodiscard]] QPoint GetPaperSize() const;
    [[nodiscard]] QPoint TenthMMToDevice(QPoint P) const;
    [[nodiscard]] int PointsToDevice(int Value) const;
    quint8 GetOrientation() const { return m_settings.Orientation; }
    qint32 GetCopies() const { return m_settings.Copies; }
    void SetCopies(qint32 Value);
    // ErrorCode 1 when the printer lists no paper; an unlisted paper becomes the first.
    void GetPaperName(int &ErrorCode, QString &PaperName);

    // The layout's paper: the listed id, else the first paper of exactly
    // Width x Height (0.1 mm), else a user size when the printer takes one
    // and keeps it; the orientation always.
    void SelectPaper(qint32 PaperId, quint8 Orientation, int Width, int Height);
    void GetPrinterPaperInfo(QString &DeviceName, QString &PaperName, quint8 &Orientation) const;

private:
    // The settings the driver keeps for Settings, without touching the file's fate.
    void apply(const TPrinterSettings &Settings);

    double scaleX() const { return m_caps.Dpi.x / 96.0; }
    double scaleY() const { return m_caps.Dpi.y / 96.0; }

    QString m_fileName;
    const TPrinterBackend &m_backend;
    TPrinterSettings m_settings;
    TPrinterCaps m_caps;
    // The file names a printer that is not installed now: the default printer
    // stands in for this session, and Save keeps the file as it is until the
    // owner assigns a printer or settings.
    bool m_keepFile = false;
    QString m_filePrinter;
    // A damaged file could not be moved aside: Save never writes over it.
    bool m_blocked = false;
    TOtherForm m_otherForm;
};
