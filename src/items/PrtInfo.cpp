#include "items/PrtInfo.h"

#include "items/ItemStream.h"
#include "platform/SafeFile.h"
#include "platform/UnreadableFile.h"
#include "util/SubUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

const QByteArray Magic("MVPI");
constexpr qsizetype MaxFileBytes = 64 * 1024;

int roundi(long double v)
{
    return int(RoundHalfAway(v));
}

QSize tenthMm(const QPageSize &Size)
{
    const QSizeF mm = Size.size(QPageSize::Millimeter);
    return {roundi(mm.width() * 10.0L), roundi(mm.height() * 10.0L)};
}

} // namespace

// ---- TQtPrinterBackend -------------------------------------------------------------

QStringList TQtPrinterBackend::Printers() const
{
    return QPrinterInfo::availablePrinterNames();
}

QString TQtPrinterBackend::DefaultPrinter() const
{
    return QPrinterInfo::defaultPrinterName();
}

QList<TPaperInfo> TQtPrinterBackend::Papers(const QString &Printer) const
{
    QList<TPaperInfo> papers;
    const QPrinterInfo info = QPrinterInfo::printerInfo(Printer);
    for (const QPageSize &size : info.supportedPageSizes())
        papers.append({qint32(size.id()) + 1, size.name(), tenthMm(size)});
    if (info.supportsCustomPageSizes())
        papers.append({CustomPaperId, QStringLiteral("ユーザー定義サイズ"), {}});
    return papers;
}

TPrinterSettings TQtPrinterBackend::Apply(const TPrinterSettings &Settings) const
{
    TPrinterSettings kept = Settings;
    if (Settings.PaperId == CustomPaperId) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(Settings.PrinterName);
        const QSize min = tenthMm(info.minimumPhysicalPageSize()), max = tenthMm(info.maximumPhysicalPageSize());
        const QSize s = Settings.CustomSize;
        if (!info.supportsCustomPageSizes()
            || (max.isValid() && (s.width() < min.width() || s.height() < min.height() || s.width() > max.width()
                                  || s.height() > max.height())))
            kept.CustomSize = {};
    }
    return kept;
}

void TQtPrinterBackend::Configure(QPrinter &Printer, const TPrinterSettings &Settings)
{
    if (Printer.outputFormat() == QPrinter::NativeFormat && !Settings.PrinterName.isEmpty())
        Printer.setPrinterName(Settings.PrinterName);
    if (Settings.PaperId == CustomPaperId && Settings.CustomSize.isValid())
        Printer.setPageSize(QPageSize(QSizeF(Settings.CustomSize) / 10.0, QPageSize::Millimeter));
    else if (Settings.PaperId > 0 && Settings.PaperId <= int(QPageSize::LastPageSize) + 1)
        Printer.setPageSize(QPageSize(QPageSize::PageSizeId(Settings.PaperId - 1)));
    Printer.setPageOrientation(Settings.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    Printer.setCopyCount(std::max(1, Settings.Copies));
    if (Settings.Resolution > 0)
        Printer.setResolution(Settings.Resolution);
}

TPrinterCaps TQtPrinterBackend::Caps(const TPrinterSettings &Settings) const
{
    QPrinter printer(QPrinter::HighResolution);
    Configure(printer, Settings);
    TPrinterCaps caps;
    caps.Dpi = {printer.logicalDpiX(), printer.logicalDpiY()};
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    caps.Physical = paper.size();
    caps.PhysicalOffset = page.topLeft() - paper.topLeft();
    caps.Page = page.size();
    return caps;
}

// ---- TPrinterInfo ----------------------------------------------------------------

TPrinterInfo::TPrinterInfo(QString FileName, const TPrinterBackend &Backend, TOtherForm OtherForm)
    : m_fileName(std::move(FileName)), m_backend(Backend), m_otherForm(std::move(OtherForm))
{
    LoadFromFile();
}

void TPrinterInfo::AssignPrinter(int Index)
{
    const QStringList printers = m_backend.Printers();
    TPrinterSettings s;
    s.PrinterName = Index >= 0 && Index < printers.size() ? printers.at(Index) : m_backend.DefaultPrinter();
    AssignSettings(s);
}

void TPrinterInfo::AssignSettings(const TPrinterSettings &Settings)
{
    apply(Settings);
    m_keepFile = false;
}

void TPrinterInfo::apply(const TPrinterSettings &Settings)
{
    TPrinterSettings bounded = Settings;
    const QSize s = Settings.CustomSize;
    if (s != QSize() && (s.width() <= 0 || s.height() <= 0 || s.width() > MaxCustomPaperLength ||
                        s.height() > MaxCustomPaperLength))
        bounded.CustomSize = {};
    m_settings = m_backend.Apply(bounded);
    m_caps = m_backend.Caps(m_settings);
}

void TPrinterInfo::LoadFromFile()
{
    m_keepFile = false;
    m_blocked = false;
    m_filePrinter.clear();
    // An earlier version's save killed between its renames left the file under its aside name.
    RecoverSafeReplace(m_fileName);
    if (!QFileInfo(m_fileName).isFile()) {
        AssignPrinter(-1);
        return;
    }
    QString reason;
    QFile file(m_fileName);
    QByteArray bytes;
    if (!file.open(QIODevice::ReadOnly))
        reason = QStringLiteral("cannot open: ") + file.errorString();
    else if (file.size() > MaxFileBytes)
        reason = QStringLiteral("too large");
    else
        bytes = file.readAll();
    file.close();
    if (reason.isEmpty() && m_otherForm && !bytes.startsWith(Magic) && m_otherForm(bytes)) {
        AssignPrinter(-1);
        return;
    }
    if (reason.isEmpty()) {
        try {
            if (!bytes.startsWith(Magic))
                throw EItemFormatError(QStringLiteral("not a printer settings file"));
            TItemReader r(QByteArrayView(bytes).sliced(Magic.size()), {});
            if (r.readUInt32() != FileVersion)
                throw EItemFormatError(QStringLiteral("another format version"));
            TPrinterSettings s;
            s.PrinterName = r.readXorWideString();
            s.PaperId = r.readInt32();
            const qint32 w = r.readInt32(), h = r.readInt32();
            s.CustomSize = QSize(w, h);
            s.Orientation = r.readByte() == 2 ? 2 : 1;
            s.Copies = std::clamp(r.readInt32(), 1, 9999);
            s.Resolution = std::clamp(r.readInt32(), 0, 9600);
            if (!r.atEnd())
                s.OutputFile = r.readXorWideString();
            m_filePrinter = s.PrinterName;
            // The full name is kept, so long printer names come back too.
            if (!m_backend.Printers().contains(s.PrinterName)) {
                AssignPrinter(-1);
                // The stand-in prints to PDF where the kept printer would not:
                // it proposes the kept file.
                m_settings.OutputFile = s.OutputFile;
                m_keepFile = true;
                return;
            }
            AssignSettings(s);
            return;
        } catch (const EItemFormatError &) {
            reason = QStringLiteral("damaged or cut short");
        }
    }
    // Never overwritten with the defaults: kept aside and named to the user.
    AssignPrinter(-1);
    m_blocked = KeepUnreadableFileAside(m_fileName, reason).isEmpty();
}

bool TPrinterInfo::Save(QString *Error) const
{
    if (m_keepFile)
        return true;
    if (m_blocked) {
        if (Error)
            *Error = QStringLiteral("読み込めなかったプリンタ設定ファイルを上書きしないため  \r\n") +
                     QDir::toNativeSeparators(m_fileName);
        return false;
    }
    TItemWriter w;
    w.writeBytes(Magic);
    w.writeUInt32(FileVersion);
    w.writeXorWideString(m_settings.PrinterName);
    w.writeInt32(m_settings.PaperId);
    w.writeInt32(m_settings.CustomSize.isValid() ? m_settings.CustomSize.width() : 0);
    w.writeInt32(m_settings.CustomSize.isValid() ? m_settings.CustomSize.height() : 0);
    w.writeByte(m_settings.Orientation);
    w.writeInt32(m_settings.Copies);
    w.writeInt32(m_settings.Resolution);
    if (!m_settings.OutputFile.isEmpty())
        w.writeXorWideString(m_settings.OutputFile);
    return SafeReplaceFile(m_fileName, w.bytes(), Error);
}

QRect TPrinterInfo::GetPrintableRect(int X, int Y) const
{
    const int rightMargin = m_caps.Physical.width() - m_caps.Page.width() - m_caps.PhysicalOffset.x();
    const int bottomMargin = m_caps.Physical.height() - m_caps.Page.height() - m_caps.PhysicalOffset.y();
    const int left = roundi(m_caps.PhysicalOffset.x() / scaleX()) + X;
    const int top = roundi(m_caps.PhysicalOffset.y() / scaleY()) + Y;
    const int width = roundi((m_caps.Physical.width() - rightMargin) / scaleX()) - X;
    const int height = roundi((m_caps.Physical.height() - bottomMargin) / scaleY()) - Y;
    return QRect(left, top, width, height);
}

QPoint TPrinterInfo::GetPaperSize() const
{
    return {roundi(m_caps.Physical.width() / scaleX()), roundi(m_caps.Physical.height() / scaleY())};
}

QPoint TPrinterInfo::TenthMMToDevice(QPoint P) const
{
    return {roundi(P.x() / 254.0L * m_caps.Dpi.x), roundi(P.y() / 254.0L * m_caps.Dpi.y)};
}

int TPrinterInfo::PointsToDevice(int Value) const
{
    return int(qint64(Value) * m_caps.Dpi.y / 72);
}

void TPrinterInfo::SetCopies(qint32 Value)
{
    if (Value != m_settings.Copies && Value > 0) {
        TPrinterSettings s = m_settings;
        s.Copies = Value;
        apply(s);
    }
}

void TPrinterInfo::GetPaperName(int &ErrorCode, QString &PaperName)
{
    ErrorCode = 0;
    PaperName.clear();
    const QList<TPaperInfo> papers = m_backend.Papers(m_settings.PrinterName);
    if (papers.isEmpty()) {
        ErrorCode = 1;
        return;
    }
    for (const TPaperInfo &p : papers)
        if (p.Id == m_settings.PaperId) {
            PaperName = p.Name;
            return;
        }
    PaperName = papers.first().Name;
    TPrinterSettings s = m_settings;
    s.PaperId = papers.first().Id;
    apply(s);
}

void TPrinterInfo::SelectPaper(qint32 PaperId, quint8 Orientation, int Width, int Height)
{
    TPrinterSettings s = m_settings;
    s.Orientation = Orientation == 2 ? 2 : 1;
    const QList<TPaperInfo> papers = m_backend.Papers(s.PrinterName);
    bool custom = false;
    auto listed = [&papers](qint32 Id) {
        return std::any_of(papers.cbegin(), papers.cend(), [Id](const TPaperInfo &p) { return p.Id == Id; });
    };
    if (!papers.isEmpty()) {
        const auto same = std::find_if(papers.cbegin(), papers.cend(), [&](const TPaperInfo &p) {
            return p.Id != CustomPaperId && p.Size == QSize(Width, Height);
        });
        if (PaperId != 0 && listed(PaperId)) {
            s.PaperId = PaperId;
            s.CustomSize = {};
        } else if (same != papers.cend()) {
            s.PaperId = same->Id;
            s.CustomSize = {};
        } else if (listed(CustomPaperId)) {
            s.PaperId = CustomPaperId;
            s.CustomSize = QSize(Width, Height);
            custom = true;
        }
    }
    apply(s);
    // A driver that does not keep the user size prints on its first paper.
    if (custom && m_settings.CustomSize != QSize(Width, Height)) {
        s.PaperId = papers.first().Id;
        s.CustomSize = {};
        apply(s);
    }
}

void TPrinterInfo::GetPrinterPaperInfo(QString &DeviceName, QString &PaperName, quint8 &Orientation) const
{
    DeviceName.clear();
    PaperName.clear();
    Orientation = m_settings.Orientation;
    const QList<TPaperInfo> papers = m_backend.Papers(m_settings.PrinterName);
    if (papers.isEmpty())
        return;
    DeviceName = m_settings.PrinterName.trimmed();
    for (const TPaperInfo &p : papers)
        if (p.Id == m_settings.PaperId)
            PaperName = p.Name.trimmed();
}
