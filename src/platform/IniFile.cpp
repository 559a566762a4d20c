#include "platform/IniFile.h"

#include "platform/Cp932.h"
#include "platform/OncePerFile.h"
#include "platform/SafeFile.h"
#include "platform/TextLines.h"
#include "platform/UnreadableFile.h"
#include "platform/Utf8.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <utility>

namespace {

TOncePerFileNotice<TSettingsNotSavedNotice> g_notSavedNotice;

void tellNotSaved(const QString &fileName, const QString &reason)
{
    const std::optional<TSettingsNotSavedNotice> notice = g_notSavedNotice.First(fileName);
    if (!notice)
        return;
    qWarning("murven19: settings file %s not written: %s", qPrintable(fileName), qPrintable(reason));
    if (*notice)
        AfterFileLocks([tell = *notice, fileName, reason] { tell(fileName, reason); });
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// No settings file the program writes comes near this; a larger one is not
// read into memory at all.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// Every byte a single character or a lead byte followed by a trail byte.
bool isWellFormedCp932(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF))
            continue;
        if (!Cp932::isLeadByte(b) || i + 1 >= bytes.size() || !Cp932::isTrailByte(static_cast<unsigned char>(bytes[i + 1])))
            return false;
        ++i;
    }
    return true;
}

// The first line of every file the program writes: the file says itself
// that it is UTF-8, so that one damaged byte makes one damaged entry and
// never turns the whole file into code page 932, and it carries the CRC-32
// of every byte after the line's own 32 (its line end on), so that a file
// that is exactly as written is told from one a byte of which changed into
// another valid one (a key renamed, a line end made a letter). Older readers
// take it for the comment it is.
constexpr QByteArrayView kEncodingMark = "; encoding=UTF-8";
constexpr QByteArrayView kSumMark = "; encoding=UTF-8; crc32=";
constexpr qsizetype kSumDigits = 8;
constexpr qsizetype kSummedMarkSize = 24 + kSumDigits;

// How many bytes two texts of one length differ in.
qsizetype differingBytes(QByteArrayView a, QByteArrayView b)
{
    qsizetype differing = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        differing += a[i] != b[i] ? 1 : 0;
    return differing;
}

// The mark as the previous versions wrote it (without the sum), also with
// one of its bytes damaged (its line end too: the byte that took the CR's
// place stays on the line).
bool isEncodingMark(QByteArrayView raw)
{
    // Blanks around it are no damage; a byte of it made a blank or a control
    // character is.
    for (const QByteArrayView line : {raw, TrimBlanks(raw)}) {
        if (line.size() == kEncodingMark.size() + 1 && line.startsWith(kEncodingMark))
            return true;
        if (line.size() == kEncodingMark.size() && differingBytes(line, kEncodingMark) <= 1)
            return true;
    }
    return false;
}

// CRC-32 as ZIP and PNG use it (reflected, polynomial 0xEDB88320).
struct TCrcTable {
    std::array<quint32, 256> entry{};
    // The entry whose top byte is the index: that byte tells which entry a
    // step took, so a step can be undone.
    std::array<quint8, 256> byTopByte{};
    TCrcTable()
    {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entry[i] = c;
            byTopByte[c >> 24] = quint8(i);
        }
    }
};

const TCrcTable &crcTable()
{
    static const TCrcTable table;
    return table;
}

quint32 crc32(QByteArrayView bytes)
{
    const TCrcTable &t = crcTable();
    quint32 c = 0xFFFFFFFFu;
    for (const char b : bytes)
        c = t.entry[(c ^ quint8(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// One byte of a summed text that is not as it was written.
struct TChangedByte {
    qsizetype at;
    quint8 change; // the written byte is the byte read XOR this
};

// Where one changed byte lies in a text of the length it was written with,
// from the difference of its CRC to the written one: a byte changed by E at
// a place K bytes before the end leaves the difference that the CRC
// register holding table entry E has after K zero bytes. The difference is
// walked back one zero byte at a time until it is a table entry. Nothing
// when no place or more than one place explains it (more than one byte
// changed, or a text edited by hand).
std::optional<TChangedByte> changedByte(QByteArrayView bytes, quint32 difference)
{
    const TCrcTable &t = crcTable();
    std::optional<TChangedByte> found;
    quint32 r = difference;
    for (qsizetype k = 0; k < bytes.size(); ++k) {
        const quint8 e = t.byTopByte[r >> 24];
        if (e != 0 && t.entry[e] == r) {
            if (found)
                return std::nullopt;
            found = TChangedByte{bytes.size() - 1 - k, e};
        }
        // Undo one zero byte: r was (entry[e] ^ (previous >> 8)).
        r = (((r ^ t.entry[e]) & 0x00FFFFFFu) << 8) | e;
    }
    return found;
}

enum class TLineEnd : std::uint8_t {
    None,
    CrLf,
    Cr,
    Lf,
};

struct TByteLine {
    QByteArrayView bytes;
    qsizetype start;      // in the text it was cut from
    qsizetype endLength;  // bytes of its line end
    TLineEnd end;
};

// Lines as SplitLines() takes them, with where each lies and how it ends:
// a lone CR or LF tells a line end or a character damage made.
QList<TByteLine> linesWithEnds(QByteArrayView text)
{
    QList<TByteLine> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype stop = start;
        while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n')
            ++stop;
        TLineEnd end = TLineEnd::None;
        if (stop + 1 < text.size() && text[stop] == '\r' && text[stop + 1] == '\n')
            end = TLineEnd::CrLf;
        else if (stop < text.size())
            end = text[stop] == '\r' ? TLineEnd::Cr : TLineEnd::Lf;
        const qsizetype endLength = end == TLineEnd::None ? 0 : end == TLineEnd::CrLf ? 2 : 1;
        lines.append(TByteLine{text.sliced(start, stop - start), start, endLength, end});
        start = stop + endLength;
    }
    return lines;
}

bool isCp932(QByteArrayView bytes)
{
    return isWellFormedCp932(bytes) && !Cp932::decode(bytes).contains(QChar::ReplacementCharacter);
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) < 0x80; });
}

// A file's text as lines, with the lines that could not be read.
struct TFileText {
    QStringList lines;
    QList<bool> damaged; // per line
    QString reason;      // set when the file as a whole is no text we can take
    // Read by the rules of what the program writes: a file of its own (with
    // the encoding line) that is not known to be exactly as written.
    bool strict = false;
    // The program's own file (with the sum) is not as it wrote it: the user
    // is told and a copy kept, even when every entry reads.
    bool notAsWritten = false;
    // The line in which the one byte the sum located was put back as written.
    qsizetype restoredLine = -1;
};

// The mark at the start of a file, and where the text after it begins.
struct TMark {
    bool marked = false;
    // The line is the one with the sum (its digits may be unreadable).
    bool summed = false;
    std::optional<quint32> sum;
    // The line is exactly as the program writes it.
    bool exact = false;
    qsizetype bodyStart = 0;
};

std::optional<quint32> hexSum(QByteArrayView digits)
{
    if (digits.size() != kSumDigits ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isxdigit(quint8(c)) != 0; }))
        return std::nullopt;
    return QByteArray(digits.data(), digits.size()).toUInt(nullptr, 16);
}

// One byte taken out of `longer` gives `shorter`.
bool oneByteLonger(QByteArrayView longer, QByteArrayView shorter)
{
    if (longer.size() != shorter.size() + 1)
        return false;
    qsizetype i = 0;
    while (i < shorter.size() && longer[i] == shorter[i])
        ++i;
    return longer.sliced(i + 1) == shorter.sliced(i);
}

// A line of no text: bytes neither encoding reads, or control characters
// (a tab aside) that no editor types.
bool isNoText(QByteArrayView line)
{
    const bool control = std::any_of(line.begin(), line.end(), [](char c) {
        const quint8 u = quint8(c);
        return (u < 0x20 && u != '\t') || u == 0x7F;
    });
    return control || (!Utf8::isWellFormed(line) && !isCp932(line));
}

// The mark line damaged past reading as one: a line end put into it, or a
// run of bad bytes over it. What then stands before the first section is
// the mark's remains (the words it is made of, or bytes that are no text),
// not a comment a user wrote. Where the text after those remains begins.
std::optional<qsizetype> damagedMarkEnd(const QList<TByteLine> &lines)
{
    std::optional<qsizetype> end;
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), 2); ++i) {
        const QByteArrayView line = lines[i].bytes;
        if (line.startsWith('['))
            break;
        if (line.contains("crc32") || line.contains("coding") || line.contains("UTF-8") || isNoText(line))
            end = lines[i].start + line.size() + lines[i].endLength;
    }
    return end;
}

TMark readMark(QByteArrayView bytes)
{
    TMark mark;
    const QList<TByteLine> lines = linesWithEnds(bytes.first(std::min<qsizetype>(bytes.size(), 256)));
    if (lines.isEmpty())
        return mark;
    const QByteArrayView first = lines.front().bytes;
    const qsizetype digitsAt = first.size() - kSumDigits;
    // The sum line one byte short or long: a byte of its text dropped or put in.
    if (first.size() != kSummedMarkSize && digitsAt > 0 &&
        (oneByteLonger(first.first(digitsAt), kSumMark) || oneByteLonger(kSumMark, first.first(digitsAt)))) {
        mark.marked = mark.summed = true;
        mark.sum = hexSum(first.sliced(digitsAt));
        // The sum covers the line end on.
        mark.bodyStart = lines.front().start + first.size();
        return mark;
    }
    // The sum's place is fixed, so bytes changed anywhere in the line (a
    // line end made of one included) leave the sum where it is read. No
    // line but this one is that like it.
    if (bytes.size() >= kSummedMarkSize && differingBytes(bytes.first(kSumMark.size()), kSumMark) <= 6) {
        mark.marked = mark.summed = true;
        mark.bodyStart = kSummedMarkSize;
        mark.sum = hexSum(bytes.sliced(kSumMark.size(), kSumDigits));
        // The program writes the sum's digits in lower case: one made upper
        // case reads as the same sum, yet the file is not as written.
        const QByteArrayView digits = bytes.sliced(kSumMark.size(), kSumDigits);
        mark.exact = bytes.startsWith(kSumMark) && std::all_of(digits.begin(), digits.end(), [](char c) {
                         return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
                     });
        return mark;
    }
    if (first.startsWith(kSumMark) && first.size() == kSummedMarkSize - 1) {
        mark.marked = mark.summed = true; // a digit dropped: the sum is not known
    } else if (isEncodingMark(first)) {
        mark.marked = true;
    }
    if (mark.marked) {
        mark.bodyStart = lines.front().start + first.size() + lines.front().endLength;
        // A line end put in after the encoding words leaves the sum's own on
        // the next line.
        if (lines.size() > 1 && lines[1].bytes.contains("crc32")) {
            mark.summed = true;
            mark.bodyStart = lines[1].start + lines[1].bytes.size() + lines[1].endLength;
        }
    } else if (const std::optional<qsizetype> end = damagedMarkEnd(lines)) {
        mark.marked = mark.summed = true;
        mark.bodyStart = *end;
    }
    return mark;
}

// The written sum's text damaged in one digit: the rest is as written.
bool sumDigitDamaged(QByteArrayView digits, quint32 computed)
{
    const QByteArray expected = QByteArray::number(computed, 16).rightJustified(kSumDigits, '0');
    if (digits.size() != kSumDigits)
        return false;
    qsizetype differing = 0;
    for (qsizetype i = 0; i < kSumDigits; ++i)
        differing += std::tolower(quint8(digits[i])) != expected[i] ? 1 : 0;
    return differing <= 1;
}

// No settings file comes near this; a larger one is not searched for the
// byte the sum tells.
constexpr qsizetype kMaxRepairSize = 1024 * 1024;

// The text as written where one byte of it changed, was dropped or was put
// in, and where that byte lies in it: the sum tells. The CRC register after
// each prefix is walked forward; the register each suffix needs to end in
// the written sum is walked backward (a step undone by the table entry its
// top byte names). A byte dropped at p is the one byte that takes the
// register after the prefix to the one the rest needs; a byte put in at p
// is one whose prefix already gives what the rest after it needs. Nothing
// when no repair, or more than one text, explains the sum.
struct TRepair {
    QByteArray written;
    qsizetype at;
};

std::optional<TRepair> repairOneByte(QByteArrayView text, quint32 writtenSum)
{
    if (text.size() > kMaxRepairSize)
        return std::nullopt;
    const TCrcTable &t = crcTable();
    const qsizetype n = text.size();
    std::vector<quint32> after(size_t(n) + 1);
    after[0] = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < n; ++i)
        after[size_t(i) + 1] = t.entry[(after[size_t(i)] ^ quint8(text[i])) & 0xFF] ^ (after[size_t(i)] >> 8);
    std::vector<quint32> needed(size_t(n) + 1);
    needed[size_t(n)] = writtenSum ^ 0xFFFFFFFFu;
    for (qsizetype i = n - 1; i >= 0; --i) {
        const quint32 next = needed[size_t(i) + 1];
        const quint8 e = t.byTopByte[next >> 24];
        needed[size_t(i)] = ((next ^ t.entry[e]) << 8) | quint8(e ^ quint8(text[i]));
    }

    QList<TRepair> found;
    const auto add = [&](QByteArray written, qsizetype at) {
        // Only a text the program can have written, and a text once.
        if (!Utf8::isWellFormed(written))
            return;
        for (const TRepair &r : found) {
            if (r.written == written)
                return;
        }
        found.append(TRepair{std::move(written), at});
    };
    if (const std::optional<TChangedByte> changed = changedByte(text, writtenSum ^ crc32(text))) {
        QByteArray written = text.toByteArray();
        written[changed->at] = char(quint8(written[changed->at]) ^ changed->change);
        add(std::move(written), changed->at);
    }
    for (qsizetype p = 0; p <= n && found.size() < 2; ++p) {
        const quint32 need = needed[size_t(p)];
        const quint8 e = t.byTopByte[need >> 24];
        if ((t.entry[e] ^ (after[size_t(p)] >> 8)) == need) {
            QByteArray written = text.toByteArray();
            written.insert(p, char(quint8(e ^ quint8(after[size_t(p)]))));
            add(std::move(written), p);
        }
        if (p < n && after[size_t(p)] == needed[size_t(p) + 1]) {
            QByteArray written = text.toByteArray();
            written.remove(p, 1);
            add(std::move(written), std::min(p, n - 2));
        }
    }
    if (found.size() != 1)
        return std::nullopt;
    return found.front();
}

// The lines of the text whole, in one encoding.
TFileText wholeText(const QList<TByteLine> &lines, bool cp932)
{
    TFileText result;
    for (const TByteLine &line : lines) {
        result.lines << (cp932 ? Cp932::decode(line.bytes) : QString::fromUtf8(line.bytes));
        result.damaged << false;
    }
    return result;
}

// The sum of the content the lines hold, written as the program writes it.
using TContentSum = std::function<quint32(const QStringList &lines)>;

// How a file is read:
// - The program's own file (the line "; encoding=UTF-8; crc32=..."): one
//   whose sum holds is read whole as UTF-8. One whose content, read as UTF-8
//   or as code page 932 and written again as the program writes it, has the
//   sum is a save by hand that changed nothing but the form (line ends, a
//   byte-order mark, comments, blank lines): read whole, no damage. Where the
//   sum tells the one byte changed, dropped or put in, the text as written is
//   read and the user told which entry was not as written. Any other file of
//   its own is not as written (damage, or an edit by hand): the user is told
//   and a copy kept, and its lines are read by the rules below.
// - Line by line (those, the previous version's file with the encoding line
//   alone, older files): one with the encoding line is UTF-8 while any of
//   its lines beyond ASCII reads as UTF-8, one without it UTF-8 unless the
//   lines only code page 932 reads outnumber those UTF-8 reads, so that no
//   damaged line decides the encoding of the others. A line not of that encoding (or holding a zero
//   byte) is damaged alone; so, among CR LF line ends, is the line after a
//   lone CR (a line end changed or dropped glues it to the line before); a
//   lone LF is a line end. A file without the encoding line whose lines
//   beyond ASCII are none of them of either encoding is no text at all.
TFileText decodeFile(QByteArray bytes, const TContentSum &contentSum)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const TMark mark = readMark(bytes);
    const QByteArrayView body = QByteArrayView(bytes).sliced(mark.bodyStart);
    const QList<TByteLine> lines = linesWithEnds(body);

    const quint32 sum = mark.summed ? crc32(body) : 0;
    const bool holds = mark.sum && *mark.sum == sum;
    if (holds || (mark.exact && sumDigitDamaged(QByteArrayView(bytes).sliced(kSumMark.size(), kSumDigits), sum))) {
        TFileText result = wholeText(lines, false);
        // A damaged mark line changes no entry, yet the file is not as written.
        result.notAsWritten = !mark.exact || !holds;
        return result;
    }
    if (mark.sum) {
        if (const std::optional<TRepair> repair = repairOneByte(body, *mark.sum)) {
            const QList<TByteLine> written = linesWithEnds(repair->written);
            TFileText result = wholeText(written, false);
            result.notAsWritten = true;
            for (qsizetype i = 0; i < written.size(); ++i) {
                if (repair->at >= written[i].start && repair->at < written[i].start + written[i].bytes.size() + written[i].endLength)
                    result.restoredLine = i;
            }
            return result;
        }
        for (const bool cp932 : {false, true}) {
            if (!(cp932 ? isCp932(body) : Utf8::isWellFormed(body)))
                continue;
            TFileText result = wholeText(lines, cp932);
            if (contentSum(result.lines) == *mark.sum) {
                // Saved again by hand with nothing but its form changed (line
                // ends, blanks, comments, code page 932): every entry reads as
                // written, yet a line end cut or a blank line put in by damage
                // looks the same, so the user is told all the same.
                result.notAsWritten = true;
                return result;
            }
        }
    }

    TFileText result;
    result.strict = mark.marked;
    result.notAsWritten = mark.summed;
    qsizetype utf8Lines = 0;  // UTF-8, whether code page 932 reads them too or not
    qsizetype cp932Lines = 0; // code page 932 only
    qsizetype otherLines = 0;
    for (const TByteLine &line : lines) {
        if (isAscii(line.bytes))
            continue;
        const bool utf8 = Utf8::isWellFormed(line.bytes);
        const bool cp932 = isCp932(line.bytes);
        utf8Lines += utf8 ? 1 : 0;
        cp932Lines += cp932 && !utf8 ? 1 : 0;
        otherLines += !utf8 && !cp932 ? 1 : 0;
    }
    if (!mark.marked && otherLines > 0 && utf8Lines == 0 && cp932Lines == 0) {
        result.reason = QStringLiteral("neither UTF-8 nor code page 932");
        return result;
    }
    // A file that says it is UTF-8 is UTF-8 while any of its lines is: a few
    // damaged lines never outvote it (a hand save in code page 932 leaves
    // none).
    const bool cp932 = mark.marked ? cp932Lines > 0 && utf8Lines == 0 : cp932Lines > utf8Lines;
    for (const TByteLine &line : lines) {
        result.lines << (cp932 ? Cp932::decode(line.bytes) : QString::fromUtf8(line.bytes));
        result.damaged << ((cp932 ? !isCp932(line.bytes) : !Utf8::isWellFormed(line.bytes)) || line.bytes.contains('\0'));
    }
    const bool crLf =
        std::any_of(lines.cbegin(), lines.cend(), [](const TByteLine &l) { return l.end == TLineEnd::CrLf; });
    for (qsizetype i = 0; crLf && i + 1 < lines.size(); ++i) {
        if (lines[i].end == TLineEnd::Cr)
            result.damaged[i + 1] = true;
    }
    // A damaged line loses what it held even where it names no entry (a
    // comment, a line whose '=' went): the file is not as written.
    for (qsizetype i = 0; i < lines.size(); ++i)
        result.notAsWritten = result.notAsWritten || result.damaged[i] || isNoText(lines[i].bytes);
    return result;
}

// What the program writes after the sum line's own text: a line end, then
// each line in UTF-8 with its line end.
QByteArray storedBody(const QStringList &lines)
{
    QByteArray body;
    for (const QString &line : lines)
        body += "\r\n" + line.toUtf8();
    body += "\r\n";
    return body;
}

// How a user is shown an entry: its section and key.
QString entryName(const QString &section, const QString &key)
{
    return QLatin1Char('[') + section + QStringLiteral("] ") + key;
}

// Blanks and control characters around a name or value are not part of it
// on reading (older files have "key = value"); such an end is kept by quotes.
bool needsQuotes(QStringView text)
{
    if (text.isEmpty())
        return false;
    if (text.front().unicode() <= 0x20 || text.back().unicode() <= 0x20)
        return true;
    return text.size() >= 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"');
}

QString stored(const QString &text)
{
    return needsQuotes(text) ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

// A key name with '=' in it, or one that would make its line a comment or a
// section, is written in quotes so the line reads back as that name.
QString storedName(const QString &name)
{
    if (name.contains(QLatin1Char('=')) || name.startsWith(QLatin1Char(';')) || name.startsWith(QLatin1Char('[')))
        return QLatin1Char('"') + name + QLatin1Char('"');
    return stored(name);
}

// Where a key line's name ends: the first '=' outside a quoted name; for a
// line that has none such (older files), the first '='.
qsizetype nameEnd(QStringView line)
{
    const qsizetype first = line.indexOf(QLatin1Char('='));
    for (qsizetype eq = first; eq >= 0; eq = line.indexOf(QLatin1Char('='), eq + 1)) {
        const QStringView name = TrimBlanksView(line.first(eq));
        if (!name.startsWith(QLatin1Char('"')) || (name.size() >= 2 && name.endsWith(QLatin1Char('"'))))
            return eq;
    }
    return first;
}

// The name or value a stored text stands for: blanks around it dropped, then
// one pair of enclosing quotes taken off.
QString unstored(QStringView text)
{
    const QStringView trimmed = TrimBlanksView(text);
    if (trimmed.size() >= 2 && trimmed.front() == QLatin1Char('"') && trimmed.back() == QLatin1Char('"'))
        return trimmed.sliced(1, trimmed.size() - 2).toString();
    return trimmed.toString();
}

bool isSectionLine(QStringView line)
{
    return line.size() >= 2 && line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'));
}

int decimalDigit(QChar c)
{
    const char16_t u = c.unicode();
    return u >= u'0' && u <= u'9' ? u - u'0' : -1;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

std::optional<int> parseInteger(const QString &value)
{
    const QString text = TrimBlanks(value);
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == QLatin1Char('0') &&
               (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;

    // The magnitude grows in 64 bits and stops as soon as it leaves the 32-bit range.
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = base == 16 ? hexDigit(text[i]) : decimalDigit(text[i]);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * quint64(base) + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    // Hexadecimal is a bit pattern: "$FFFFFFFF" is -1, as a colour or flag word is written.
    const quint32 bits = negative ? quint32(0u - quint32(magnitude)) : quint32(magnitude);
    return int(bits);
}

} // namespace

TMemIniFile::TMemIniFile(const QString &fileName)
    : m_fileName(fileName)
{
    RecoverSafeReplace(fileName);
    // A folder in the file's place holds no settings; writing fails on it.
    if (!QFileInfo(fileName).isFile())
        return;
    QFile file(fileName);
    QString reason;
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("cannot open: ") + file.errorString();
    } else if (file.size() > kMaxFileSize) {
        reason = QStringLiteral("too large");
    } else {
        const QByteArray bytes = file.readAll();
        // The sum of a content as this program writes it.
        const TContentSum contentSum = [](const QStringList &lines) {
            TMemIniFile content{QString()};
            content.SetStrings(lines);
            return crc32(storedBody(content.GetStrings()));
        };
        const TFileText text = decodeFile(bytes, contentSum);
        if (!text.reason.isEmpty())
            reason = text.reason;
        else
            parseLines(text.lines, text.damaged, text.strict, text.restoredLine);
        // A section whose line is damaged is one too: its keys are named.
        // The program never writes a file without a section: one empty or
        // blank (cut short to nothing) or with the encoding line alone lost
        // its settings.
        if (reason.isEmpty() && m_sections.empty() && m_damaged.isEmpty())
            reason = bytes.isEmpty() ? QStringLiteral("empty") : QStringLiteral("no settings in it");
        m_notAsWritten = reason.isEmpty() && (text.notAsWritten || !m_damaged.isEmpty());
        if (m_notAsWritten) {
            // Kept before anything can be written over the file.
            QStringList told = m_damaged;
            for (const QString &entry : std::as_const(m_restored))
                told << entry + RestoredEntrySuffix();
            m_damagedCopy = KeepDamagedFileCopy(fileName, bytes, told);
            if (m_damagedCopy.isEmpty())
                m_writeRefused = true;
        }
    }
    if (reason.isEmpty())
        return;
    file.close();
    m_damaged.clear();
    m_restored.clear();
    m_notAsWritten = false;
    Clear();
    m_unreadable = true;
    m_keptAside = KeepUnreadableFileAside(fileName, reason);
    m_writeRefused = m_keptAside.isEmpty();
}

const TMemIniFile::Section *TMemIniFile::findSection(const QString &name) const
{
    for (const Section &s : m_sections) {
        if (sameName(s.name, name))
            return &s;
    }
    return nullptr;
}

TMemIniFile::Section *TMemIniFile::findSection(const QString &name)
{
    return const_cast<Section *>(std::as_const(*this).findSection(name));
}

const TMemIniFile::Key *TMemIniFile::findKey(const QString &section, const QString &ident) const
{
    const Section *s = findSection(section);
    if (!s)
        return nullptr;
    for (const Key &k : s->keys) {
        if (sameName(k.name, ident))
            return &k;
    }
    return nullptr;
}

TMemIniFile::Section &TMemIniFile::sectionForWriting(const QString &name)
{
    if (Section *s = findSection(name))
        return *s;
    m_sections.push_back(Section{name, {}});
    return m_sections.back();
}

QString TMemIniFile::ReadString(const QString &section, const QString &ident, const QString &defaultValue) const
{
    const Key *k = findKey(section, ident);
    return k ? k->value : defaultValue;
}

void TMemIniFile::WriteString(const QString &section, const QString &ident, const QString &value)
{
    Section &s = sectionForWriting(section);
    for (Key &k : s.keys) {
        if (sameName(k.name, ident)) {
            k.value = value;
            return;
        }
    }
    s.keys.push_back(Key{ident, value});
}

int TMemIniFile::ReadInteger(const QString &section, const QString &ident, int defaultValue) const
{
    const Key *k = findKey(section, ident);
    if (!k)
        return defaultValue;
    return parseInteger(k->value).value_or(defaultValue);
}

void TMemIniFile::WriteInteger(const QString &section, const QString &ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

bool TMemIniFile::ReadBool(const QString &section, const QString &ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TMemIniFile::WriteBool(const QString &section, const QString &ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

double TMemIniFile::ReadFloat(const QString &section, const QString &ident, double defaultValue) const
{
    const Key *k = findKey(section, ident);
    if (!k)
        return defaultValue;
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(TrimBlanks(k->value), &ok);
    return ok ? value : defaultValue;
}

void TMemIniFile::WriteFloat(const QString &section, const QString &ident, double value)
{
    // The shortest text that reads back as the same double.
    WriteString(section, ident, QString::number(value, 'g', QLocale::FloatingPointShortest));
}

QStringList TMemIniFile::ReadSection(const QString &section) const
{
    QStringList names;
    if (const Section *s = findSection(section)) {
        for (const Key &k : s->keys)
            names << k.name;
    }
    return names;
}

QStringList TMemIniFile::ReadSections() const
{
    QStringList names;
    for (const Section &s : m_sections)
        names << s.name;
    return names;
}

QStringList TMemIniFile::ReadSectionValues(const QString &section) const
{
    QStringList lines;
    if (const Section *s = findSection(section)) {
        for (const Key &k : s->keys)
            lines << k.name + QLatin1Char('=') + k.value;
    }
    return lines;
}

bool TMemIniFile::SectionExists(const QString &section) const
{
    return findSection(section) != nullptr;
}

bool TMemIniFile::ValueExists(const QString &section, const QString &ident) const
{
    return findKey(section, ident) != nullptr;
}

void TMemIniFile::DeleteKey(const QString &section, const QString &ident)
{
    if (Section *s = findSection(section)) {
        std::erase_if(s->keys, [&](const Key &k) { return sameName(k.name, ident); });
    }
}

void TMemIniFile::EraseSection(const QString &section)
{
    std::erase_if(m_sections, [&](const Section &s) { return sameName(s.name, section); });
}

void TMemIniFile::Clear()
{
    m_sections.clear();
}

QStringList TMemIniFile::GetStrings() const
{
    QStringList lines;
    for (const Section &s : m_sections) {
        if (!lines.isEmpty())
            lines << QString();
        lines << QLatin1Char('[') + stored(s.name) + QLatin1Char(']');
        for (const Key &k : s.keys)
            lines << storedName(k.name) + QLatin1Char('=') + stored(k.value);
    }
    return lines;
}

void TMemIniFile::SetStrings(const QStringList &lines)
{
    parseLines(lines, {}, false, -1);
}

void TMemIniFile::parseLines(const QStringList &lines, const QList<bool> &damaged, bool strict, qsizetype restoredLine)
{
    Clear();
    Section *current = nullptr;
    // The name of a section whose own line is damaged: its keys belong to no
    // section that can be told, so they are left out and named.
    std::optional<QString> damagedSection;
    // Keys met twice in the program's own file ("section\nkey"): which of
    // them is the written one cannot be told, so none is read.
    QSet<QString> twice;
    const auto keyId = [](const QString &section, const QString &key) {
        return section.toCaseFolded() + QLatin1Char('\n') + key.toCaseFolded();
    };
    QSet<QString> seenSections;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = TrimBlanks(lines[i]);
        const bool flagged = i < damaged.size() && damaged[i];
        // A comment loses no setting, and one a user added by hand is no
        // damage; a line the sum found changed is, whatever it now begins with.
        if (line.isEmpty() && flagged && !lines[i].isEmpty() && current) {
            // Bytes that are no text (zeros a failed write left) in a section
            // hold no entry, yet the file is not as written: it is named by
            // its line. Before any section they leave a file of no settings.
            m_damaged << entryName(current->name, QStringLiteral("%1 行目").arg(i + 1));
            continue;
        }
        if (line.isEmpty() || (line.startsWith(QLatin1Char(';')) && !(strict && flagged)))
            continue;
        // The program writes no line but a section or a "key=value" whose
        // name is in quotes where it would read as a comment or section: in
        // its file, any other was changed by damage, though it reads as text
        // (a bracket, a line end or an '=' turned into another character).
        // A key of no name (never read) is a section line's bracket turned
        // into '=' only where the line still ends as a section line does.
        const qsizetype eq = nameEnd(line);
        bool sound = isSectionLine(line);
        if (!sound && eq >= 0) {
            const QStringView raw = TrimBlanksView(QStringView(line).first(eq));
            sound = raw.isEmpty() ? !line.endsWith(QLatin1Char(']'))
                                  : raw.startsWith(QLatin1Char('"')) ||
                                        (!raw.startsWith(QLatin1Char(';')) && !raw.startsWith(QLatin1Char('[')));
        }
        // Nor does it write a section name with a bracket of its own
        // ("[GROUP]]" is a line end made a bracket), nor a section twice.
        if (strict && sound && isSectionLine(line)) {
            const QStringView inner = QStringView(line).sliced(1, line.size() - 2);
            sound = !inner.contains(QLatin1Char('[')) && !inner.contains(QLatin1Char(']')) &&
                    !seenSections.contains(unstored(inner).toCaseFolded());
        }
        const bool bad = flagged || (strict && !sound);
        // A damaged byte may be a section line's own bracket or line end:
        // such a line still ends the section before it, whose keys the next
        // ones must never join. A key line a damaged byte made end in ']'
        // is no section line.
        const bool keyLine = eq > 0 && !TrimBlanksView(QStringView(line).first(eq)).isEmpty();
        const bool damagedBracket = bad && !isSectionLine(line) &&
                                    (line.startsWith(QLatin1Char('[')) || (line.endsWith(QLatin1Char(']')) && !keyLine));
        if (isSectionLine(line) || damagedBracket) {
            const qsizetype from = line.startsWith(QLatin1Char('[')) ? 1 : 0;
            const qsizetype to = line.endsWith(QLatin1Char(']')) ? line.size() - 1 : line.size();
            QString name = unstored(QStringView(line).sliced(from, to - from));
            seenSections.insert(name.toCaseFolded());
            if (bad) {
                // Named by the longest text between brackets: "[GROUP]]" and
                // "X[GROUP]" are the section GROUP.
                QString longest;
                for (const QString &part : name.split(QRegularExpression(QStringLiteral("[\\[\\]]"))))
                    longest = part.size() > longest.size() ? part : longest;
                // A byte that is no character names nothing.
                name = longest.remove(QChar::ReplacementCharacter);
                current = nullptr;
                damagedSection = name;
                m_damaged << QLatin1Char('[') + name + QLatin1Char(']');
                continue;
            }
            damagedSection.reset();
            // A section written twice continues the first one.
            current = &sectionForWriting(name);
            if (i == restoredLine)
                m_restored << QLatin1Char('[') + current->name + QLatin1Char(']');
            continue;
        }
        const QString sectionName = current ? current->name : damagedSection.value_or(QString());
        if (bad && (current || damagedSection)) {
            // Its reader uses the default until the key is written again.
            m_damaged << entryName(sectionName, eq < 0 ? line : unstored(QStringView(line).first(eq)));
            continue;
        }
        // Text before any section, and lines that are no "key=value", carry no setting.
        if (!current || eq < 0) {
            if (damagedSection)
                m_damaged << entryName(*damagedSection, eq < 0 ? line : unstored(QStringView(line).first(eq)));
            continue;
        }
        const QString name = unstored(QStringView(line).first(eq));
        if (name.isEmpty())
            continue;
        if (i == restoredLine)
            m_restored << entryName(current->name, name);
        const auto known = std::find_if(current->keys.begin(), current->keys.end(),
                                        [&](const Key &k) { return sameName(k.name, name); });
        if (strict && (known != current->keys.end() || twice.contains(keyId(current->name, name)))) {
            // One of the two is a damaged name; both are left out.
            if (!twice.contains(keyId(current->name, name)))
                m_damaged << entryName(current->name, name);
            twice.insert(keyId(current->name, name));
            if (known != current->keys.end())
                current->keys.erase(known);
            continue;
        }
        // Of a key written twice the first counts; the later ones could never be read.
        if (known == current->keys.end())
            current->keys.push_back(Key{name, unstored(QStringView(line).sliced(eq + 1))});
    }
}

bool TMemIniFile::UpdateFile(QString *error) const
{
    if (m_writeRefused && QFileInfo(m_fileName).isFile()) {
        if (error)
            *error = m_unreadable
                         ? QStringLiteral("The file could not be read and could not be moved aside; it was not overwritten")
                         : QStringLiteral("Entries of the file could not be read and no copy of it could be kept; "
                                          "it was not overwritten");
        return false;
    }
    // A line break in a name or value would end its line: what follows it
    // would read as another line, even as another key ("DataPath=..." in the
    // name of a file chosen). No quoting keeps it: the file is not written.
    const auto breaksLine = [](const QString &text) {
        return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    };
    for (const Section &s : m_sections) {
        const auto k = std::find_if(s.keys.cbegin(), s.keys.cend(),
                                    [&](const Key &key) { return breaksLine(key.name) || breaksLine(key.value); });
        if (breaksLine(s.name) || k != s.keys.cend()) {
            if (error)
                *error = QStringLiteral("改行を含む設定は保存できないため、ファイルは変更していません。（詳細：%1）")
                             .arg(entryName(s.name, k != s.keys.cend() ? k->name : QString()).simplified());
            return false;
        }
    }
    const QStringList lines = GetStrings();
    // Nothing to say about the encoding of an empty file.
    if (lines.isEmpty())
        return SafeReplaceFile(m_fileName, QByteArray(), error);
    const QByteArray body = storedBody(lines);
    const QByteArray sum = QByteArray::number(crc32(body), 16).rightJustified(kSumDigits, '0');
    return SafeReplaceFile(m_fileName, kSumMark.toByteArray() + sum + body, error);
}

void TMemIniFile::UpdateFileOrTellOnce() const
{
    // Refused by UpdateFile, and named by the reader that met the file.
    if (m_writeRefused && QFileInfo(m_fileName).isFile())
        return;
    QString reason;
    if (!UpdateFile(&reason))
        tellNotSaved(m_fileName, reason);
}

TSettingsNotSavedNotice SetSettingsNotSavedNotice(TSettingsNotSavedNotice notice)
{
    return g_notSavedNotice.Set(std::move(notice));
}

QString RestoredEntrySuffix() { return QStringLiteral("（プログラムが書いた値で読み込みました）"); }
