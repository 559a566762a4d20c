#include "widgets/TntSystem.h"

#include "platform/Cp932.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMetaProperty>
#include <QPainter>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QWidget>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- Code pages --------------------------------------------------------------

std::optional<QStringConverter::Encoding> builtinEncoding(std::uint32_t codePage)
{
    switch (codePage) {
    case CP_UTF8:
        return QStringConverter::Utf8;
    default:
        return std::nullopt;
    }
}

// ICU knows the Windows code pages as "windows-<cp>", a few DOS and EBCDIC
// ones only as "cp<cp>" or "ibm-<cp>".
template <typename Converter>
Converter converterFor(std::uint32_t codePage)
{
    for (const char *pattern : {"windows-%1", "cp%1", "ibm-%1"}) {
        const QByteArray name = QString::fromLatin1(pattern).arg(codePage).toLatin1();
        Converter converter(name.constData());
        if (converter.isValid())
            return converter;
    }
    return Converter();
}

// ICU writes its substitution byte 0x1A for characters a code page lacks;
// the system conversion without a default character writes '?'.
QByteArray encodeWithQuestionMarks(QStringEncoder &encoder, const QString &ws)
{
    QByteArray bytes = encoder.encode(ws);
    if (!bytes.contains('\x1A'))
        return bytes;
    if (!ws.contains(QChar(0x1A))) {
        bytes.replace('\x1A', '?');
        return bytes;
    }
    // A real U+001A in the text: tell the two apart character by character.
    QByteArray out;
    for (qsizetype i = 0; i < ws.size(); ++i) {
        const qsizetype length = ws[i].isHighSurrogate() && i + 1 < ws.size() ? 2 : 1;
        const QString character = ws.mid(i, length);
        QByteArray piece = encoder.encode(character);
        if (piece == "\x1A" && character != QChar(0x1A))
            piece = "?";
        out += piece;
        i += length - 1;
    }
    return out;
}

// ---- UTF-7 ---------------------------------------------------------------------

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<signed char, 128> makeBase64Values()
{
    std::array<signed char, 128> values{};
    for (auto &v : values)
        v = -1;
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kBase64[i])] = static_cast<signed char>(i);
    return values;
}
constexpr std::array<signed char, 128> kBase64Values = makeBase64Values();

int base64Value(char16_t c)
{
    return c < 128 ? kBase64Values[c] : -1;
}

bool isDirectUtf7(char16_t c)
{
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
        return true;
    // Set D, set O, then tab, LF, CR and space.
    static constexpr char16_t kOthers[] = u"'(),-./:?!\"#$%&*;<=>@[]^_`{|}\t\n\r ";
    for (const char16_t *p = kOthers; *p; ++p)
        if (*p == c)
            return true;
    return false;
}

[[noreturn]] void invalidUtf7()
{
    throw ETntGeneralError(QStringLiteral("Invalid UTF7"));
}

// ---- Files ---------------------------------------------------------------------

// Closes fd keeping the errno of the failure that made us give up on it.
int failWith(int fd, int error)
{
    if (fd >= 0)
        ::close(fd);
    errno = error;
    return -1;
}

QString fileStreamMessage(const QString &pattern, const QString &fileName, int error)
{
    return pattern.arg(WideExpandFileName(fileName), WideSysErrorMessage(error));
}

} // namespace

// ---- Conversions -----------------------------------------------------------------

QString AnsiToWideCp(const QByteArray &s, std::uint32_t codePage)
{
    if (s.isEmpty())
        return QString();
    if (codePage == CP_ACP || codePage == DefaultCodePage)
        return Cp932::decode(s);
    if (codePage == CP_UTF7)
        return Utf7ToWide(s);
    if (const auto builtin = builtinEncoding(codePage)) {
        QStringDecoder decoder(*builtin, QStringConverter::Flag::Stateless);
        return decoder.decode(s);
    }
    auto decoder = converterFor<QStringDecoder>(codePage);
    if (!decoder.isValid())
        return QString();
    return decoder.decode(s);
}

QByteArray WideToAnsiCp(const QString &ws, std::uint32_t codePage)
{
    if (ws.isEmpty())
        return QByteArray();
    if (codePage == CP_ACP || codePage == DefaultCodePage)
        return Cp932::encode(ws);
    if (codePage == CP_UTF7)
        return WideToUtf7(ws);
    if (const auto builtin = builtinEncoding(codePage)) {
        QStringEncoder encoder(*builtin, QStringConverter::Flag::Stateless);
        return encoder.encode(ws);
    }
    auto encoder = converterFor<QStringEncoder>(codePage);
    if (!encoder.isValid())
        return QByteArray();
    return encodeWithQuestionMarks(encoder, ws);
}

QByteArray WideToUtf7(QStringView ws)
{
    QByteArray out;
    out.reserve(ws.size() * 3);
    bool inRun = false;
    quint32 bits = 0; // pending bits, right-aligned
    int bitCount = 0;

    const auto closeRun = [&](qsizetype next) {
        if (bitCount > 0) {
            out.append(kBase64[(bits << (6 - bitCount)) & 0x3F]);
            bits = 0;
            bitCount = 0;
        }
        // "-" only where the following byte would otherwise be read as part
        // of the run (a base64 character) or swallowed as its terminator.
        if (next < ws.size()) {
            const char16_t c = ws[next].unicode();
            if (c == u'-' || base64Value(c) >= 0)
                out.append('-');
        }
        inRun = false;
    };

    for (qsizetype i = 0; i < ws.size(); ++i) {
        const char16_t c = ws[i].unicode();
        if (c == u'+' || isDirectUtf7(c)) {
            if (inRun)
                closeRun(i);
            if (c == u'+')
                out.append("+-");
            else
                out.append(static_cast<char>(c));
            continue;
        }
        if (!inRun) {
            out.append('+');
            inRun = true;
        }
        bits = (bits << 16) | c;
        bitCount += 16;
        while (bitCount >= 6) {
            bitCount -= 6;
            out.append(kBase64[(bits >> bitCount) & 0x3F]);
        }
        bits &= (1u << bitCount) - 1;
    }
    if (inRun)
        closeRun(ws.size());
    return out;
}

QString Utf7ToWide(QByteArrayView s)
{
    QString out;
    out.reserve(s.size());
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const auto byte = static_cast<unsigned char>(s[i]);
        if (byte > 127)
            invalidUtf7();
        if (byte != '+') {
            out.append(QChar(char16_t(byte)));
            ++i;
            continue;
        }
        ++i; // past "+"
        if (i < n && s[i] == '-') {
            out.append(QLatin1Char('+'));
            ++i;
            continue;
        }
        quint32 bits = 0;
        int bitCount = 0;
        bool producedUnit = false;
        while (i < n) {
            const auto c = static_cast<unsigned char>(s[i]);
            const int value = c < 128 ? kBase64Values[c] : -1;
            if (value < 0)
                break;
            bits = (bits << 6) | static_cast<quint32>(value);
            bitCount += 6;
            if (bitCount >= 16) {
                bitCount -= 16;
                out.append(QChar(char16_t((bits >> bitCount) & 0xFFFF)));
                producedUnit = true;
            }
            bits &= (1u << bitCount) - 1;
            ++i;
        }
        if (!producedUnit || bits != 0)
            invalidUtf7();
        if (i < n && s[i] == '-')
            ++i; // the run's terminator is not text
    }
    return out;
}

void SwapUtf16ByteOrder(char16_t *buffer)
{
    if (!buffer)
        return;
    for (char16_t *p = buffer; *p; ++p)
        *p = char16_t((*p >> 8) | (*p << 8));
}

// ---- Window text and path names ----------------------------------------------------

bool WideSetWindowText(QWidget *window, const QString &text)
{
    if (!window)
        return false;
    if (!window->isWindow()) {
        const QMetaObject *meta = window->metaObject();
        const int index = meta->indexOfProperty("text");
        if (index >= 0 && meta->property(index).isWritable())
            return window->setProperty("text", text);
    }
    window->setWindowTitle(text);
    return true;
}

std::uint32_t WideGetFullPathName(const QString &fileName, std::uint32_t bufferLength, char16_t *buffer,
                                  char16_t **filePart)
{
    if (filePart)
        *filePart = nullptr;
    if (fileName.isEmpty())
        return 0;
    const QString full = QDir::cleanPath(QDir::current().absoluteFilePath(fileName));
    const auto length = static_cast<std::uint32_t>(full.size());
    if (!buffer || length + 1 > bufferLength) {
        if (buffer && bufferLength > 0)
            buffer[0] = 0;
        return length + 1;
    }
    std::memcpy(buffer, full.utf16(), length * sizeof(char16_t));
    buffer[length] = 0;
    if (filePart) {
        const qsizetype slash = full.lastIndexOf(QLatin1Char('/'));
        if (slash + 1 < full.size())
            *filePart = buffer + slash + 1;
    }
    return length;
}

QString WideExpandFileName(const QString &fileName)
{
    std::vector<char16_t> buffer(260);
    std::uint32_t length =
        WideGetFullPathName(fileName, static_cast<std::uint32_t>(buffer.size()), buffer.data(), nullptr);
    if (length >= buffer.size()) {
        // Longer than the usual buffer: the answer is the size it needs.
        buffer.resize(length);
        length = WideGetFullPathName(fileName, length, buffer.data(), nullptr);
    }
    return QString::fromUtf16(buffer.data(), length);
}

// ---- Text drawing ------------------------------------------------------------------

int WideDrawText(QPainter &painter, const QString &text, int count, QRect &rect, unsigned format)
{
    QString shown = text;
    if (count < 0) {
        const qsizetype zero = shown.indexOf(QChar(0));
        if (zero >= 0)
            shown.truncate(zero);
    } else {
        shown.truncate(count);
    }

    int flags = 0;
    if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else
        flags |= Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
        if (format & DT_BOTTOM)
            flags |= Qt::AlignBottom;
        else if (format & DT_VCENTER)
            flags |= Qt::AlignVCenter;
        else
            flags |= Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (format & DT_WORDBREAK)
            flags |= Qt::TextWordWrap;
        // CR LF and a lone CR break lines like LF.
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;

    if (format & DT_CALCRECT) {
        const int calcFlags = (flags & ~(Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask)) | Qt::AlignLeft |
                              Qt::AlignTop;
        const QRect wrapArea(rect.topLeft(), QSize(rect.width(), QWIDGETSIZE_MAX));
        const QRect bounds = painter.fontMetrics().boundingRect(wrapArea, calcFlags, shown);
        rect = QRect(rect.topLeft(), bounds.size());
        return bounds.height();
    }
    QRect drawn;
    painter.drawText(rect, flags, shown, &drawn);
    return drawn.height();
}

int WideCanvasTextOut(QPainter &painter, int x, int y, const QString &text)
{
    if (!painter.isActive())
        return x;
    const QFontMetrics metrics = painter.fontMetrics();
    const int width = metrics.horizontalAdvance(text);
    const int baseline = y + metrics.ascent();
    if (painter.layoutDirection() == Qt::RightToLeft) {
        // The reference point of a right-to-left cell is its right edge; the
        // painter's layout direction makes the text run right to left.
        x += width + 1;
        painter.drawText(QRect(x - width, y, width, metrics.height()),
                         Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                         text);
    } else {
        painter.drawText(QPoint(x, baseline), text);
    }
    return x + width;
}

QSize WideCanvasTextExtent(const QFontMetrics &metrics, const QString &text)
{
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

QSize WideCanvasTextExtent(const QPainter &painter, const QString &text)
{
    return WideCanvasTextExtent(painter.fontMetrics(), text);
}

int WideCanvasTextWidth(const QPainter &painter, const QString &text)
{
    return WideCanvasTextExtent(painter, text).width();
}

int WideCanvasTextHeight(const QPainter &painter, const QString &text)
{
    return WideCanvasTextExtent(painter, text).height();
}

// ---- Files -----------------------------------------------------------------------

int WideCreateFile(const QString &fileName, std::uint32_t access, std::uint32_t share, std::uint32_t disposition)
{
    int flags = O_CLOEXEC;
    const bool reads = access & GENERIC_READ;
    const bool writes = access & GENERIC_WRITE;
    flags |= writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;

    bool truncate = false;
    switch (disposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT;
        truncate = true;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        truncate = true;
        break;
    default:
        errno = EINVAL;
        return -1;
    }
    if (truncate && !writes)
        return failWith(-1, EACCES);

    const QByteArray path = QFile::encodeName(fileName);
    // A file this program makes is the user's alone.
    const int fd = ::open(path.constData(), flags, 0600);
    if (fd < 0)
        return -1;

    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return failWith(fd, errno);
    if (S_ISDIR(info.st_mode))
        return failWith(fd, EISDIR);

    int lock = 0;
    if (share == 0 || writes || truncate || disposition == CREATE_NEW)
        lock = LOCK_EX;
    else if (share == FILE_SHARE_READ)
        lock = LOCK_SH;
    if (lock != 0 && ::flock(fd, lock | LOCK_NB) != 0)
        return failWith(fd, errno);

    if (truncate && ::ftruncate(fd, 0) != 0)
        return failWith(fd, errno);
    return fd;
}

int WideFileCreate(const QString &fileName)
{
    return WideCreateFile(fileName, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
}

int WideFileOpen(const QString &fileName, std::uint16_t mode)
{
    static constexpr std::uint32_t kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    static constexpr std::uint32_t kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE};
    const unsigned accessIndex = mode & 3;
    const unsigned shareIndex = (mode & 0xF0) >> 4;
    if (accessIndex >= std::size(kAccess) || shareIndex >= std::size(kShare)) {
        errno = EINVAL;
        return -1;
    }
    return WideCreateFile(fileName, kAccess[accessIndex], kShare[shareIndex], OPEN_EXISTING);
}

QString WideSysErrorMessage(int code)
{
    // A code glibc has no name for is one it only has the generic
    // "Unknown error N" text for.
    if (code != 0 && ::strerrorname_np(code) == nullptr)
        return QStringLiteral("Unspecified error (%1) from %2.").arg(code).arg(QStringLiteral("system"));
    char buffer[256] = {};
    // The GNU strerror_r may return a static string instead of filling buffer.
    const char *text = ::strerror_r(code, buffer, sizeof buffer);
    const QString message = QString::fromLocal8Bit(text ? text : buffer).trimmed();
    if (message.isEmpty())
        return QStringLiteral("Unspecified error (%1) from %2.").arg(code).arg(QStringLiteral("system"));
    return message;
}

qint64 CheckNonZero(qint64 value)
{
    if (value == 0) {
        const int error = errno;
        throw EOSError(error != 0 ? WideSysErrorMessage(error) : QStringLiteral("A call to an OS function failed"));
    }
    return value;
}

// ---- TTntFileStream ----------------------------------------------------------------

TTntFileStream::TTntFileStream(const QString &fileName, std::uint16_t mode)
{
    QIODevice::OpenMode openMode;
    int fd = -1;
    if (mode == fmCreate) {
        fd = WideFileCreate(fileName);
        if (fd < 0) {
            const int error = errno;
            throw EFCreateError(
                fileStreamMessage(QStringLiteral("Cannot create file \"%1\". %2"), fileName, error));
        }
        openMode = QIODevice::ReadWrite;
    } else {
        fd = WideFileOpen(fileName, mode);
        if (fd < 0) {
            const int error = errno;
            throw EFOpenError(fileStreamMessage(QStringLiteral("Cannot open file \"%1\". %2"), fileName, error));
        }
        switch (mode & 3) {
        case 0:
            openMode = QIODevice::ReadOnly;
            break;
        case 1:
            openMode = QIODevice::WriteOnly;
            break;
        default:
            openMode = QIODevice::ReadWrite;
            break;
        }
    }
    setFileName(fileName);
    if (!QFile::open(fd, openMode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        const QString pattern = mode == fmCreate ? QStringLiteral("Cannot create file \"%1\". %2")
                                                 : QStringLiteral("Cannot open file \"%1\". %2");
        const QString message = pattern.arg(WideExpandFileName(fileName), errorString());
        if (mode == fmCreate)
            throw EFCreateError(message);
        throw EFOpenError(message);
    }
}

TTntFileStream::~TTntFileStream() = default;
