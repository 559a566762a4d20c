#pragma once

#include "platform/Exception.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringView>

#include <cstdint>

class QFontMetrics;
class QPainter;
class QWidget;

// The lowest level of the wide-text widget layer: platform flags, conversions
// between UTF-16 and byte encodings (UTF-7 included), file handles opened from
// wide names with emulated share modes, system error texts and wide text
// output on a painter. Everything above calls these instead of the platform.

// Failures of the layer: decoding errors ("Invalid UTF7") and internal errors.
MURVEN_DECLARE_EXCEPTION(ETntGeneralError, Exception);
MURVEN_DECLARE_EXCEPTION(ETntInternalError, Exception);
// A file could not be created / opened; the message names the full path and
// the system's reason.
MURVEN_DECLARE_EXCEPTION(EFCreateError, Exception);
MURVEN_DECLARE_EXCEPTION(EFOpenError, Exception);
// A stream delivered fewer bytes than asked for, or took fewer than given.
MURVEN_DECLARE_EXCEPTION(EReadError, Exception);
MURVEN_DECLARE_EXCEPTION(EWriteError, Exception);

// Only the wide branch of every call exists here, so the platform always
// counts as a Unicode one of the newer generation.
inline constexpr bool IsUnicodePlatform = true;
inline constexpr bool IsXpOrLater = true;
// The program's byte text is Shift-JIS whatever the process locale says; code
// page 0 in any conversion below means this one.
inline constexpr std::uint32_t DefaultCodePage = 932;

inline constexpr std::uint32_t CP_ACP = 0;
inline constexpr std::uint32_t CP_UTF7 = 65000;
inline constexpr std::uint32_t CP_UTF8 = 65001;

// ---- Conversions -----------------------------------------------------------

// Byte text in the given code page to UTF-16. 0 and 932: Shift-JIS (Cp932);
// 65001: UTF-8; 65000: UTF-7 (Utf7ToWide, may raise ETntGeneralError); others
// through the ICU converter "windows-<cp>" (or "cp<cp>", "ibm-<cp>"). An
// unknown code page gives an empty result. Embedded zero bytes are converted
// like any other byte.
[[nodiscard]] QString AnsiToWideCp(const QByteArray &s, std::uint32_t codePage);
// UTF-16 to byte text, same code pages; characters the code page lacks become '?'.
[[nodiscard]] QByteArray WideToAnsiCp(const QString &ws, std::uint32_t codePage);

// UTF-7 (RFC 2152). Directly written: letters, digits, '(),-./:? (set D), the
// optional direct set O !"#$%&*;<=>@[]^_`{|}, tab, CR, LF and space. "+" is
// written "+-"; everything else goes into "+<base64 of the UTF-16 units>" runs,
// closed by "-" only when the next character is a base64 character or "-".
[[nodiscard]] QByteArray WideToUtf7(QStringView ws);
// Raises ETntGeneralError("Invalid UTF7") on a byte above 127 outside a run,
// an empty run ("+" not followed by base64 or "-"), a run too short for one
// unit, or leftover non-zero bits at the end of a run.
[[nodiscard]] QString Utf7ToWide(QByteArrayView s);

// Swaps the two bytes of every UTF-16 unit in place, up to the first zero unit.
void SwapUtf16ByteOrder(char16_t *buffer);

// ---- Window text and path names --------------------------------------------

// Sets the caption of a window, or the text of a child control that has a
// "text" property. False for a null widget.
bool WideSetWindowText(QWidget *window, const QString &text);

// The absolute, cleaned form of a path (relative names against the current
// folder; symbolic links are not resolved), stored with the W convention:
// when it fits into bufferLength units (terminating zero included) the text and
// a zero are stored and its length (without the zero) is returned, and
// *filePart (if given) points at the last path component in the buffer (null
// when the path ends in "/"). When it does not fit, the required length
// including the zero is returned, buffer[0] is set to zero (if bufferLength > 0)
// and *filePart is null. An empty name gives 0.
std::uint32_t WideGetFullPathName(const QString &fileName, std::uint32_t bufferLength, char16_t *buffer,
                                  char16_t **filePart);
// The full path of a file name (through WideGetFullPathName; paths longer than
// 260 units are not cut off).
[[nodiscard]] QString WideExpandFileName(const QString &fileName);

// ---- Text drawing ------------------------------------------------------------

enum TDrawTextFlag : unsigned {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
};

// Draws the first `count` units of text (-1: up to the first zero unit) into
// rect with the painter's font and pen, formatted by the DT_* flags: "&x"
// underlines x and "&&" is "&" unless DT_NOPREFIX; DT_VCENTER and DT_BOTTOM
// only apply to DT_SINGLELINE; without DT_SINGLELINE CR, LF and CR LF break
// lines. The text is clipped to rect. With DT_CALCRECT nothing is drawn and
// rect keeps its top-left corner and takes the size of the text (wrapped at
// rect's width with DT_WORDBREAK). Returns the height of the text.
int WideDrawText(QPainter &painter, const QString &text, int count, QRect &rect, unsigned format);

// Draws text with (x, y) as the top-left corner of its cell (baseline at
// y + ascent) and returns the new pen X. When the painter's layout direction
// is right-to-left, x first moves right by the text width plus 1 and the text
// is drawn right-to-left, ending at that point. Returns x (after that move) +
// text width; an inactive painter draws nothing and returns x unchanged.
int WideCanvasTextOut(QPainter &painter, int x, int y, const QString &text);
// Advance width and line height (ascent + descent) of the text in the font.
[[nodiscard]] QSize WideCanvasTextExtent(const QFontMetrics &metrics, const QString &text);
[[nodiscard]] QSize WideCanvasTextExtent(const QPainter &painter, const QString &text);
[[nodiscard]] int WideCanvasTextWidth(const QPainter &painter, const QString &text);
[[nodiscard]] int WideCanvasTextHeight(const QPainter &painter, const QString &text);

// ---- Files -----------------------------------------------------------------

// Access, share and disposition values of WideCreateFile.
inline constexpr std::uint32_t GENERIC_READ = 0x80000000u;
inline constexpr std::uint32_t GENERIC_WRITE = 0x40000000u;
inline constexpr std::uint32_t FILE_SHARE_READ = 0x1;
inline constexpr std::uint32_t FILE_SHARE_WRITE = 0x2;
inline constexpr std::uint32_t CREATE_NEW = 1;
inline constexpr std::uint32_t CREATE_ALWAYS = 2;
inline constexpr std::uint32_t OPEN_EXISTING = 3;
inline constexpr std::uint32_t OPEN_ALWAYS = 4;
inline constexpr std::uint32_t TRUNCATE_EXISTING = 5;

// Open modes of WideFileOpen and TTntFileStream: access in the low two bits,
// sharing in bits 4..7; fmCreate makes a new (or emptied) file.
inline constexpr std::uint16_t fmOpenRead = 0x0000;
inline constexpr std::uint16_t fmOpenWrite = 0x0001;
inline constexpr std::uint16_t fmOpenReadWrite = 0x0002;
inline constexpr std::uint16_t fmShareCompat = 0x0000;
inline constexpr std::uint16_t fmShareExclusive = 0x0010;
inline constexpr std::uint16_t fmShareDenyWrite = 0x0020;
inline constexpr std::uint16_t fmShareDenyRead = 0x0030;
inline constexpr std::uint16_t fmShareDenyNone = 0x0040;
inline constexpr std::uint16_t fmCreate = 0xFFFF;

// Opens a file and returns its POSIX descriptor, or -1 with errno set.
// Windows share modes are approximated with a non-blocking flock(2) on the
// descriptor (advisory: it only keeps out other openers going through here):
//   - no sharing, any write access, or a disposition that creates or empties
//     the file: exclusive lock;
//   - read access sharing reading only ("deny write"): shared lock, so other
//     such readers get in but writers and exclusive openers do not;
//   - read access that lets others write: no lock.
// A conflict fails with errno EWOULDBLOCK (the sharing violation). Emptying
// happens only after the lock is held, so a refused creator never truncates a
// file someone else has open. Directories are refused (EISDIR).
int WideCreateFile(const QString &fileName, std::uint32_t access, std::uint32_t share, std::uint32_t disposition);
// Create always, read and write, no sharing.
int WideFileCreate(const QString &fileName);
// Open existing. Access from mode & 3: 0 read, 1 write, 2 read and write;
// sharing from (mode & 0xF0) >> 4: 0 and 1 none, 2 read, 3 write, 4 both.
// Other values fail with EINVAL.
int WideFileOpen(const QString &fileName, std::uint16_t mode);

// The system's text for an errno value, trimmed; a code without a text gives
// "Unspecified error (<code>) from system.".
[[nodiscard]] QString WideSysErrorMessage(int code);
// Returns value; raises EOSError with the text of the current errno when it is 0.
qint64 CheckNonZero(qint64 value);

// A file opened from a wide name through WideFileCreate (mode fmCreate) or
// WideFileOpen (any other mode); the descriptor, and with it the share lock,
// is released when the stream is destroyed. Failures raise EFCreateError /
// EFOpenError naming the expanded file name and the system's reason.
class TTntFileStream : public QFile
{
    Q_OBJECT
public:
    TTntFileStream(const QString &fileName, std::uint16_t mode);
    ~TTntFileStream() override;
};
