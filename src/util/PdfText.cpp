#include "util/PdfText.h"

#include <QPainter>
#include <QSet>
#include <QtGlobal>

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

namespace {

thread_local TPdfGlyphTexts *g_current = nullptr;
// The device the PDF is painted on.
thread_local const QPaintDevice *g_device = nullptr;

// A face numbers its glyphs in 16 bits.
constexpr size_t kGlyphNumbers = 0x10000;

} // namespace

void TPdfGlyphTexts::Note(const QRawFont &Font, const QString &Face, const QList<quint32> &Glyphs,
                          const QStringList &Texts)
{
    if (Glyphs.isEmpty())
        return;
    // The runs of a face mostly carry the name noted last.
    if (!m_last || Face != m_lastName) {
        auto it = m_faces.find(Face);
        if (it == m_faces.end())
            it = m_faces.insert(Face, TFace{Font, {}, {}, std::vector<bool>(kGlyphNumbers)});
        m_last = &*it;
        m_lastName = Face;
    }
    std::vector<bool> &noted = m_last->Noted;
    for (qsizetype i = 0; i < Glyphs.size(); ++i) {
        const quint32 glyph = Glyphs[i];
        if (glyph == 0)
            continue;
        if (glyph < noted.size()) {
            if (noted[glyph])
                continue;
            noted[glyph] = true;
        } else if (m_last->Texts.contains(glyph)) {
            continue;
        }
        m_last->Order.append(glyph);
        m_last->Texts.insert(glyph, Texts.value(i));
    }
}

TPdfGlyphTexts *TPdfGlyphTexts::Current(const QPainter &Painter)
{
    return g_current && Painter.device() == g_device ? g_current : nullptr;
}

TPdfGlyphTexts::TScope::TScope(TPdfGlyphTexts &Texts, const QPaintDevice &Device)
    : m_previous(g_current), m_previousDevice(g_device)
{
    g_current = &Texts;
    g_device = &Device;
}

TPdfGlyphTexts::TScope::~TScope()
{
    g_current = m_previous;
    g_device = m_previousDevice;
}

QString PostScriptName(const QRawFont &Font)
{
    const QByteArray name = Font.fontTable("name");
    auto u16 = [&name](qsizetype at) -> quint32 {
        if (at < 0 || at + 2 > name.size())
            return 0;
        return (quint32(quint8(name[at])) << 8) | quint8(name[at + 1]);
    };
    const quint32 count = u16(2);
    const qsizetype strings = u16(4);
    QString mac;
    for (quint32 i = 0; i < count && 6 + 12 * qsizetype(i + 1) <= name.size(); ++i) {
        const qsizetype record = 6 + 12 * qsizetype(i);
        if (u16(record + 6) != 6)
            continue;
        const quint32 platform = u16(record);
        const qsizetype length = u16(record + 8);
        const qsizetype at = strings + u16(record + 10);
        if (at + length > name.size())
            continue;
        if (platform == 3 || platform == 0) {
            QString out;
            for (qsizetype k = 0; k + 1 < length; k += 2)
                out.append(QChar(char16_t(u16(at + k))));
            return out;
        }
        if (platform == 1 && mac.isEmpty())
            mac = QString::fromLatin1(name.constData() + at, length);
    }
    return mac;
}

namespace {

// A reader of the PDF that Qt's writer has just written: one cross-reference
// table, plain dictionaries, the fonts' maps and CID sets as plain streams.
// Every read stays within the bytes; what it cannot read makes it give up.
class TPdfReader
{
public:
    explicit TPdfReader(const QByteArray &Pdf) : d(Pdf) {}

    // Reads the last cross-reference table and its trailer.
    bool open(QString *Why);

    // The dictionary of object Number as its keys and their values' bytes.
    using TDict = QHash<QByteArray, QByteArray>;
    std::optional<TDict> dict(int Number, qsizetype *After = nullptr) const;
    // The data of stream object Number (without a filter).
    std::optional<QByteArray> stream(int Number) const;

    [[nodiscard]] int objectCount() const { return int(m_offsets.size()); }
    // The numbers of the objects whose bytes hold Word, in order: one pass
    // over the file instead of reading every object (a page's objects
    // outnumber the fonts a thousand to one).
    [[nodiscard]] QList<int> objectsHolding(QByteArrayView Word) const;
    [[nodiscard]] qsizetype startXref() const { return m_startXref; }
    [[nodiscard]] const QByteArray &trailer() const { return m_trailer; }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
    static bool isDelimiter(char c)
    {
        return isSpace(c) || c == '/' || c == '<' || c == '>' || c == '[' || c == ']' || c == '(' || c == ')'
               || c == '{' || c == '}' || c == '%';
    }
    qsizetype skipSpace(qsizetype at) const;
    // The end of the value that starts at At, or -1.
    qsizetype valueEnd(qsizetype at, int depth = 0) const;
    std::optional<qint64> integerAt(qsizetype &at) const;
    std::optional<TDict> dictAt(qsizetype at, qsizetype *After) const;

    const QByteArray &d;
    QList<qsizetype> m_offsets; // by object number; -1 when free
    qsizetype m_startXref = -1;
    QByteArray m_trailer;
};

qsizetype TPdfReader::skipSpace(qsizetype at) const
{
    while (at < d.size()) {
        if (isSpace(d[at])) {
            ++at;
        } else if (d[at] == '%') {
            while (at < d.size() && d[at] != '\n' && d[at] != '\r')
                ++at;
        } else {
            break;
        }
    }
    return at;
}

QList<int> TPdfReader::objectsHolding(QByteArrayView Word) const
{
    // Where each object begins, in the file's order.
    std::vector<std::pair<qsizetype, int>> starts;
    starts.reserve(size_t(m_offsets.size()));
    for (int number = 1; number < m_offsets.size(); ++number)
        if (m_offsets[number] >= 0)
            starts.emplace_back(m_offsets[number], number);
    std::sort(starts.begin(), starts.end());
    QList<int> numbers;
    for (qsizetype at = d.indexOf(Word); at >= 0; at = d.indexOf(Word, at + Word.size())) {
        auto it = std::upper_bound(starts.begin(), starts.end(), std::pair<qsizetype, int>(at, INT_MAX));
        if (it == starts.begin())
            continue;
        numbers.append(std::prev(it)->second);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::optional<qint64> TPdfReader::integerAt(qsizetype &at) const
{
    qsizetype i = at;
    qint64 value = 0;
    while (i < d.size() && d[i] >= '0' && d[i] <= '9' && i - at < 12)
        value = value * 10 + (d[i++] - '0');
    if (i == at || (i < d.size() && !isDelimiter(d[i])))
        return std::nullopt;
    at = i;
    return value;
}

qsizetype TPdfReader::valueEnd(qsizetype at, int depth) const
{
    // Qt's dictionaries nest a level or two; a deeper one is no file of it.
    if (at >= d.size() || depth > 16)
        return -1;
    const char c = d[at];
    if (c == '/') {
        ++at;
        while (at < d.size() && !isDelimiter(d[at]))
            ++at;
        return at;
    }
    if (c == '(') {
        int open = 0;
        for (; at < d.size(); ++at) {
            if (d[at] == '\\') {
                ++at;
            } else if (d[at] == '(') {
                ++open;
            } else if (d[at] == ')' && --open == 0) {
                return at + 1;
            }
        }
        return -1;
    }
    if (c == '<' && at + 1 < d.size() && d[at + 1] == '<') {
        at = skipSpace(at + 2);
        while (at + 1 < d.size() && !(d[at] == '>' && d[at + 1] == '>')) {
            at = valueEnd(at, depth + 1);
            if (at < 0)
                return -1;
            at = skipSpace(at);
        }
        return at + 1 < d.size() ? at + 2 : -1;
    }
    if (c == '<') {
        const qsizetype end = d.indexOf('>', at);
        return end < 0 ? -1 : end + 1;
    }
    if (c == '[') {
        at = skipSpace(at + 1);
        while (at < d.size() && d[at] != ']') {
            at = valueEnd(at, depth + 1);
            if (at < 0)
                return -1;
            at = skipSpace(at);
        }
        return at < d.size() ? at + 1 : -1;
    }
    if (c == ']' || c == '>' || c == ')' || c == '{' || c == '}')
        return -1;
    // A number, a keyword, or a reference "number generation R".
    qsizetype end = at;
    while (end < d.size() && !isDelimiter(d[end]))
        ++end;
    qsizetype probe = at;
    if (integerAt(probe)) {
        qsizetype next = skipSpace(probe);
        if (integerAt(next)) {
            next = skipSpace(next);
            if (next < d.size() && d[next] == 'R' && (next + 1 == d.size() || isDelimiter(d[next + 1])))
                return next + 1;
        }
    }
    return end == at ? -1 : end;
}

std::optional<TPdfReader::TDict> TPdfReader::dictAt(qsizetype at, qsizetype *After) const
{
    at = skipSpace(at);
    if (at + 1 >= d.size() || d[at] != '<' || d[at + 1] != '<')
        return std::nullopt;
    at = skipSpace(at + 2);
    TDict out;
    while (at + 1 < d.size() && !(d[at] == '>' && d[at + 1] == '>')) {
        if (d[at] != '/')
            return std::nullopt;
        const qsizetype keyEnd = valueEnd(at);
        if (keyEnd < 0)
            return std::nullopt;
        const QByteArray key = d.mid(at + 1, keyEnd - at - 1);
        const qsizetype valueStart = skipSpace(keyEnd);
        const qsizetype end = valueEnd(valueStart);
        if (end < 0)
            return std::nullopt;
        out.insert(key, d.mid(valueStart, end - valueStart));
        at = skipSpace(end);
    }
    if (at + 1 >= d.size())
        return std::nullopt;
    if (After)
        *After = at + 2;
    return out;
}

bool TPdfReader::open(QString *Why)
{
    auto fail = [Why](const char *reason) {
        *Why = QString::fromLatin1(reason);
        return false;
    };
    const qsizetype tail = d.lastIndexOf("startxref");
    if (tail < 0 || d.size() - tail > 1024)
        return fail("no cross-reference position");
    qsizetype at = skipSpace(tail + 9);
    const std::optional<qint64> xref = integerAt(at);
    if (!xref || *xref <= 0 || *xref >= tail)
        return fail("cross-reference position outside the file");
    m_startXref = *xref;
    at = *xref;
    if (d.mid(at, 4) != "xref")
        return fail("no cross-reference table");
    at = skipSpace(at + 4);
    // Sections of "first count" and count entries of 20 bytes each.
    while (at < tail && d[at] >= '0' && d[at] <= '9') {
        const std::optional<qint64> first = integerAt(at);
        at = skipSpace(at);
        const std::optional<qint64> count = integerAt(at);
        if (!first || !count || *count > (tail - at) / 20 || *first > 10000000)
            return fail("damaged cross-reference table");
        // The end of line after the count: one or two characters.
        while (at < d.size() && (d[at] == ' ' || d[at] == '\r' || d[at] == '\n'))
            ++at;
        if (m_offsets.size() < *first + *count)
            m_offsets.resize(*first + *count, -1);
        for (qint64 i = 0; i < *count; ++i, at += 20) {
            qsizetype p = at;
            const std::optional<qint64> offset = integerAt(p);
            if (!offset || at + 18 > d.size())
                return fail("damaged cross-reference entry");
            m_offsets[*first + i] = d[at + 17] == 'n' && *offset < tail ? qsizetype(*offset) : -1;
        }
        at = skipSpace(at);
    }
    if (d.mid(at, 7) != "trailer")
        return fail("no trailer");
    qsizetype after = 0;
    const std::optional<TDict> trailer = dictAt(at + 7, &after);
    if (!trailer || !trailer->contains("Root") || !trailer->contains("Size"))
        return fail("damaged trailer");
    // An earlier update would hold objects this table does not list.
    if (trailer->contains("Prev") || trailer->contains("XRefStm") || trailer->contains("Encrypt"))
        return fail("the file was written in more than one part");
    m_trailer = d.mid(at + 7, after - at - 7);
    return true;
}

std::optional<TPdfReader::TDict> TPdfReader::dict(int Number, qsizetype *After) const
{
    if (Number <= 0 || Number >= m_offsets.size() || m_offsets[Number] < 0)
        return std::nullopt;
    qsizetype at = skipSpace(m_offsets[Number]);
    const std::optional<qint64> number = integerAt(at);
    at = skipSpace(at);
    const std::optional<qint64> generation = integerAt(at);
    at = skipSpace(at);
    if (!number || *number != Number || !generation || d.mid(at, 3) != "obj")
        return std::nullopt;
    return dictAt(at + 3, After);
}

// The object number of a reference value ("12 0 R"), or of the first
// reference of an array ("[12 0 R]").
int referenceOf(const QByteArray &Value)
{
    QByteArray v = Value.trimmed();
    if (v.startsWith('['))
        v = v.mid(1).trimmed();
    const QList<QByteArray> parts = v.simplified().split(' ');
    if (parts.size() < 3 || !parts[2].startsWith('R'))
        return -1;
    bool ok = false;
    const int number = parts[0].toInt(&ok);
    return ok ? number : -1;
}

std::optional<QByteArray> TPdfReader::stream(int Number) const
{
    qsizetype at = 0;
    const std::optional<TDict> head = dict(Number, &at);
    if (!head || head->contains("Filter"))
        return std::nullopt;
    bool ok = false;
    qint64 length = head->value("Length").trimmed().toLongLong(&ok);
    if (!ok) {
        // An indirect length: the object holds the number.
        const int lengthObject = referenceOf(head->value("Length"));
        if (lengthObject <= 0 || lengthObject >= m_offsets.size() || m_offsets[lengthObject] < 0)
            return std::nullopt;
        qsizetype p = skipSpace(m_offsets[lengthObject]);
        (void)integerAt(p);
        p = skipSpace(p);
        (void)integerAt(p);
        p = skipSpace(p);
        if (d.mid(p, 3) != "obj")
            return std::nullopt;
        p = skipSpace(p + 3);
        const std::optional<qint64> value = integerAt(p);
        if (!value)
            return std::nullopt;
        length = *value;
    }
    at = skipSpace(at);
    if (d.mid(at, 6) != "stream")
        return std::nullopt;
    at += 6;
    if (at < d.size() && d[at] == '\r')
        ++at;
    if (at < d.size() && d[at] == '\n')
        ++at;
    if (length < 0 || at + length > d.size())
        return std::nullopt;
    return d.mid(at, length);
}

// The UTF-16 text of a hexadecimal string's digits ("30FC", "D842DFB7").
QString hexText(QByteArrayView Hex)
{
    QString out;
    for (qsizetype i = 0; i + 4 <= Hex.size(); i += 4) {
        bool ok = false;
        const uint unit = QByteArray(Hex.data() + i, 4).toUInt(&ok, 16);
        if (!ok)
            return {};
        out.append(QChar(char16_t(unit)));
    }
    return out;
}

// The CID to text entries of a ToUnicode map: bfchar lines "<cid> <text>",
// bfrange lines "<first> <last> <text>" (the last unit counting up) or
// "<first> <last> [<text> ...]".
std::optional<QHash<int, QString>> readToUnicode(const QByteArray &CMap)
{
    QHash<int, QString> out;
    QList<QByteArray> tokens;
    // Hex strings, brackets and keywords; the header's names and
    // dictionaries are read over.
    for (qsizetype i = 0; i < CMap.size();) {
        const char c = CMap[i];
        if (c == '<' && i + 1 < CMap.size() && CMap[i + 1] != '<') {
            const qsizetype end = CMap.indexOf('>', i);
            if (end < 0)
                return std::nullopt;
            tokens << CMap.mid(i, end - i + 1);
            i = end + 1;
        } else if (c == '[' || c == ']') {
            tokens << QByteArray(1, c);
            ++i;
        } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            ++i;
        } else {
            qsizetype end = i;
            while (end < CMap.size() && CMap[end] != ' ' && CMap[end] != '\n' && CMap[end] != '\r'
                   && CMap[end] != '\t' && CMap[end] != '[' && CMap[end] != ']'
                   && !(CMap[end] == '<' && end > i))
                ++end;
            tokens << CMap.mid(i, end - i);
            i = end;
        }
    }
    auto code = [](const QByteArray &Token) -> int {
        if (!Token.startsWith('<') || Token.size() < 3)
            return -1;
        bool ok = false;
        const int v = Token.mid(1, Token.size() - 2).toInt(&ok, 16);
        return ok ? v : -1;
    };
    auto text = [](const QByteArray &Token) {
        return hexText(QByteArrayView(Token).sliced(1, Token.size() - 2));
    };
    enum class TIn { None, Char, Range } in = TIn::None;
    for (qsizetype i = 0; i < tokens.size();) {
        const QByteArray &t = tokens[i];
        if (t == "beginbfchar") {
            in = TIn::Char;
            ++i;
        } else if (t == "beginbfrange") {
            in = TIn::Range;
            ++i;
        } else if (t == "endbfchar" || t == "endbfrange") {
            in = TIn::None;
            ++i;
        } else if (in == TIn::Char && i + 1 < tokens.size()) {
            const int cid = code(t);
            if (cid < 0 || !tokens[i + 1].startsWith('<'))
                return std::nullopt;
            out.insert(cid, text(tokens[i + 1]));
            i += 2;
        } else if (in == TIn::Range && i + 2 < tokens.size()) {
            const int first = code(t), last = code(tokens[i + 1]);
            if (first < 0 || last < first || last > 0xFFFF)
                return std::nullopt;
            if (tokens[i + 2] == "[") {
                i += 3;
                for (int cid = first; cid <= last; ++cid, ++i) {
                    if (i >= tokens.size() || !tokens[i].startsWith('<'))
                        return std::nullopt;
                    out.insert(cid, text(tokens[i]));
                }
                if (i >= tokens.size() || tokens[i] != "]")
                    return std::nullopt;
                ++i;
            } else {
                QString start = text(tokens[i + 2]);
                if (start.isEmpty())
                    return std::nullopt;
                for (int cid = first; cid <= last; ++cid) {
                    out.insert(cid, start);
                    start.back() = QChar(char16_t(start.back().unicode() + 1));
                }
                i += 3;
            }
        } else {
            ++i;
        }
    }
    return out;
}

QByteArray hex4(uint Value)
{
    return QByteArray::number(Value, 16).toUpper().rightJustified(4, '0');
}

// A ToUnicode map of single CIDs (two bytes, as Qt's fonts are encoded).
QByteArray writeToUnicode(const QList<std::pair<int, QString>> &Entries)
{
    QByteArray out = "/CIDInit /ProcSet findresource begin\n"
                     "12 dict begin\n"
                     "begincmap\n"
                     "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                     "/CMapName /Adobe-Identity-UCS def\n"
                     "/CMapType 2 def\n"
                     "1 begincodespacerange\n"
                     "<0000> <FFFF>\n"
                     "endcodespacerange\n";
    // At most 100 entries to a block.
    for (qsizetype block = 0; block < Entries.size(); block += 100) {
        const qsizetype end = std::min<qsizetype>(block + 100, Entries.size());
        out += QByteArray::number(end - block) + " beginbfchar\n";
        for (qsizetype i = block; i < end; ++i) {
            out += '<' + hex4(uint(Entries[i].first)) + "> <";
            for (const QChar unit : Entries[i].second)
                out += hex4(unit.unicode());
            out += ">\n";
        }
        out += "endbfchar\n";
    }
    out += "endcmap\n"
           "CMapName currentdict /CMap defineresource pop\n"
           "end\n"
           "end\n";
    return out;
}

// How many CIDs a font has: its CID set marks the first n bits.
int cidCount(const QByteArray &Set)
{
    int n = 0;
    for (const char byte : Set)
        for (int bit = 7; bit >= 0; --bit) {
            if (!(quint8(byte) & (1 << bit)))
                return n;
            ++n;
        }
    return n;
}

// The glyph of a text of one character in Font (0 when it has none).
quint32 glyphOf(const QRawFont &Font, const QString &Text)
{
    const QList<quint32> glyphs = Font.glyphIndexesForString(Text);
    return glyphs.size() == 1 ? glyphs.first() : 0;
}

// The new map of one font, or the reason it keeps its own.
std::optional<QByteArray> amendedMap(const TPdfGlyphTexts::TFace &Face, const QHash<int, QString> &Written,
                                     int Count, QString *Why)
{
    // The glyph of each CID the writer named: the glyph its character has.
    QHash<int, quint32> glyphOfCid;
    QSet<quint32> named;
    for (auto it = Written.cbegin(); it != Written.cend(); ++it) {
        if (it.key() <= 0 || it.key() >= Count || it.value().isEmpty())
            continue;
        const quint32 glyph = glyphOf(Face.Font, it.value());
        if (glyph == 0) {
            *Why = QStringLiteral("character %1 has no glyph").arg(it.value());
            return std::nullopt;
        }
        glyphOfCid.insert(it.key(), glyph);
        named.insert(glyph);
    }
    // The CIDs the writer left unnamed are the glyphs no BMP character
    // reaches, numbered in the order they were first drawn.
    QList<quint32> unnamed;
    for (const quint32 glyph : Face.Order)
        if (!named.contains(glyph))
            unnamed.append(glyph);
    qsizetype next = 0;
    for (int cid = 1; cid < Count; ++cid)
        if (!glyphOfCid.contains(cid)) {
            if (next >= unnamed.size())
                break;
            glyphOfCid.insert(cid, unnamed[next++]);
        }
    if (glyphOfCid.size() != Count - 1 || next != unnamed.size()) {
        *Why = QStringLiteral("%1 glyphs written, %2 noted without a character").arg(Count - 1).arg(unnamed.size());
        return std::nullopt;
    }
    QList<std::pair<int, QString>> entries;
    entries.reserve(Count);
    for (int cid = 1; cid < Count; ++cid) {
        QString text = Face.Texts.value(glyphOfCid.value(cid));
        if (text.isEmpty())
            text = Written.value(cid);
        if (!text.isEmpty())
            entries.append({cid, text});
    }
    return writeToUnicode(entries);
}

} // namespace

TPdfTextAmendment AmendPdfText(QByteArray &Pdf, const TPdfGlyphTexts &Texts)
{
    TPdfTextAmendment result;
    if (Texts.Faces().isEmpty())
        return result;
    TPdfReader reader(Pdf);
    QString why;
    if (!reader.open(&why)) {
        result.Skipped << QStringLiteral("PDF: ") + why;
        return result;
    }
    // The replaced maps, by the object number of the map.
    QList<std::pair<int, QByteArray>> maps;
    for (const int number : reader.objectsHolding("/Type0")) {
        const std::optional<TPdfReader::TDict> font = reader.dict(number);
        if (!font || font->value("Type") != "/Font" || font->value("Subtype") != "/Type0")
            continue;
        QString name = QString::fromLatin1(font->value("BaseFont").mid(1));
        // A subset's name carries a tag of six capitals and a plus sign.
        if (name.size() > 7 && name[6] == QLatin1Char('+'))
            name = name.mid(7);
        const auto face = Texts.Faces().constFind(name);
        if (face == Texts.Faces().cend())
            continue;
        auto skip = [&result, &name](const QString &Reason) { result.Skipped << name + QStringLiteral(": ") + Reason; };
        const int toUnicode = referenceOf(font->value("ToUnicode"));
        const std::optional<TPdfReader::TDict> cidFont = reader.dict(referenceOf(font->value("DescendantFonts")));
        const std::optional<TPdfReader::TDict> descriptor =
            cidFont ? reader.dict(referenceOf(cidFont->value("FontDescriptor"))) : std::nullopt;
        const std::optional<QByteArray> cidSet =
            descriptor ? reader.stream(referenceOf(descriptor->value("CIDSet"))) : std::nullopt;
        const std::optional<QByteArray> written = reader.stream(toUnicode);
        if (!cidSet || !written) {
            skip(QStringLiteral("its glyph set or map cannot be read"));
            continue;
        }
        const std::optional<QHash<int, QString>> entries = readToUnicode(*written);
        if (!entries) {
            skip(QStringLiteral("its map cannot be read"));
            continue;
        }
        const std::optional<QByteArray> amended = amendedMap(*face, *entries, cidCount(*cidSet), &why);
        if (!amended) {
            skip(why);
            continue;
        }
        maps.append({toUnicode, *amended});
    }
    if (maps.isEmpty())
        return result;
    // An update appended to the file: the new maps under their objects'
    // numbers, their cross-reference section, and a trailer pointing back
    // to the table the writer wrote.
    std::sort(maps.begin(), maps.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QByteArray update;
    if (!Pdf.endsWith('\n'))
        update += '\n';
    QList<qsizetype> offsets;
    for (const auto &[number, map] : maps) {
        offsets.append(Pdf.size() + update.size());
        update += QByteArray::number(number) + " 0 obj\n<< /Length " + QByteArray::number(map.size())
                  + " >>\nstream\n" + map + "\nendstream\nendobj\n";
    }
    const qsizetype xref = Pdf.size() + update.size();
    update += "xref\n";
    for (qsizetype i = 0; i < maps.size(); ++i) {
        update += QByteArray::number(maps[i].first) + " 1\n";
        update += QByteArray::number(offsets[i]).rightJustified(10, '0') + " 00000 n \n";
    }
    QByteArray trailer = reader.trailer().trimmed();
    trailer.chop(2); // the closing ">>"
    update += "trailer\n" + trailer + "/Prev " + QByteArray::number(reader.startXref()) + "\n>>\nstartxref\n"
              + QByteArray::number(xref) + "\n%%EOF\n";
    Pdf += update;
    result.Amended = int(maps.size());
    return result;
}

void AmendPrintedText(QByteArray &Pdf, const TPdfGlyphTexts &Texts)
{
    const TPdfTextAmendment amendment = AmendPdfText(Pdf, Texts);
    for (const QString &skipped : amendment.Skipped)
        qWarning("murven19: the PDF's text of %s stays as written", qPrintable(skipped));
}
