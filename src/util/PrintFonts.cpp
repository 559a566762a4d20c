#include "util/PrintFonts.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QList>
#include <QSet>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace {

// Big-endian reads and writes, bounded by the data: out of range reads 0.
quint32 u16(const QByteArray &d, qint64 at)
{
    if (at < 0 || at + 2 > d.size())
        return 0;
    return (quint32(quint8(d[at])) << 8) | quint8(d[at + 1]);
}

quint32 u32(const QByteArray &d, qint64 at)
{
    if (at < 0 || at + 4 > d.size())
        return 0;
    return (u16(d, at) << 16) | u16(d, at + 2);
}

void put16(QByteArray &d, qint64 at, quint32 v)
{
    d[at] = char((v >> 8) & 0xFF);
    d[at + 1] = char(v & 0xFF);
}

void put32(QByteArray &d, qint64 at, quint32 v)
{
    put16(d, at, v >> 16);
    put16(d, at + 2, v & 0xFFFF);
}

bool fits(const QByteArray &d, qint64 at, qint64 length)
{
    return at >= 0 && length >= 0 && at + length <= d.size();
}

// Characters Japanese text is written with: when one of them shares its
// glyph with other code points, it is the one the glyph stands for.
bool isTextCharacter(quint32 c)
{
    return (c >= 0x20 && c <= 0x7E) || (c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF)
           || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// One Unicode character map: format 4 (BMP segments) or 12 (groups).
struct Subtable {
    qint64 at = 0;
    quint32 format = 0;
};

// The start of every face: one for a font file, each of a collection's.
QList<qint64> faceOffsets(const QByteArray &d)
{
    if (d.startsWith("ttcf")) {
        const quint32 count = u32(d, 8);
        if (count == 0 || count > 1000 || !fits(d, 12, qint64(count) * 4))
            return {};
        QList<qint64> faces;
        for (quint32 i = 0; i < count; ++i)
            faces << u32(d, 12 + 4 * qint64(i));
        return faces;
    }
    const quint32 version = u32(d, 0);
    if (version == 0x00010000 || version == 0x4F54544F /* OTTO */ || version == 0x74727565 /* true */)
        return {0};
    return {};
}

QList<Subtable> unicodeSubtables(const QByteArray &d)
{
    QList<Subtable> found;
    QSet<qint64> seen;
    const QList<qint64> faces = faceOffsets(d);
    for (const qint64 face : faces) {
        const quint32 tables = u16(d, face + 4);
        if (!fits(d, face + 12, qint64(tables) * 16))
            continue;
        for (quint32 t = 0; t < tables; ++t) {
            const qint64 record = face + 12 + 16 * qint64(t);
            if (d.mid(record, 4) != "cmap")
                continue;
            const qint64 cmap = u32(d, record + 8);
            const quint32 maps = u16(d, cmap + 2);
            if (!fits(d, cmap + 4, qint64(maps) * 8))
                break;
            int ofFace = 0;
            for (quint32 m = 0; m < maps && ofFace < kMaxUnicodeMapsPerFace; ++m) {
                const quint32 platform = u16(d, cmap + 4 + 8 * m);
                const quint32 encoding = u16(d, cmap + 6 + 8 * m);
                const qint64 at = cmap + u32(d, cmap + 8 + 8 * m);
                const bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
                if (!unicode || seen.contains(at) || !fits(d, at, 8))
                    continue;
                const quint32 format = u16(d, at);
                if (format != 4 && format != 12)
                    continue;
                if (found.size() >= kMaxUnicodeMapsPerFile)
                    return found;
                seen.insert(at);
                found << Subtable{at, format};
                ++ofFace;
            }
            // A face has one character map table.
            break;
        }
    }
    return found;
}

// Code point and glyph pairs, in the order the map lists them (rising codes).
using Mappings = std::vector<std::pair<quint32, quint32>>;

// A map never holds more than every code point once: a damaged one that
// claims more is read no further.
constexpr std::size_t kMaxMappings = 0x110000;

// Format 4: segCountX2 at +6, then endCode[], pad, startCode[], idDelta[], idRangeOffset[].
struct Format4 {
    qint64 ends, starts, deltas, ranges;
    quint32 segments;
};

bool format4(const QByteArray &d, qint64 at, Format4 &f)
{
    f.segments = u16(d, at + 6) / 2;
    f.ends = at + 14;
    f.starts = f.ends + 2 * qint64(f.segments) + 2;
    f.deltas = f.starts + 2 * qint64(f.segments);
    f.ranges = f.deltas + 2 * qint64(f.segments);
    return f.segments > 0 && fits(d, f.ranges, 2 * qint64(f.segments));
}

quint32 glyph4(const QByteArray &d, const Format4 &f, quint32 i, quint32 c)
{
    const quint32 range = u16(d, f.ranges + 2 * i);
    const quint32 delta = u16(d, f.deltas + 2 * i);
    if (range == 0)
        return (c + delta) & 0xFFFF;
    const quint32 g = u16(d, f.ranges + 2 * i + range + 2 * (c - u16(d, f.starts + 2 * i)));
    return g == 0 ? 0 : (g + delta) & 0xFFFF;
}

void read4(const QByteArray &d, qint64 at, Mappings &map)
{
    Format4 f{};
    if (!format4(d, at, f))
        return;
    for (quint32 i = 0; i < f.segments; ++i) {
        const quint32 start = u16(d, f.starts + 2 * i);
        const quint32 end = u16(d, f.ends + 2 * i);
        for (quint32 c = start; c <= end && c != 0xFFFF && map.size() < kMaxMappings; ++c)
            if (const quint32 g = glyph4(d, f, i, c))
                map.emplace_back(c, g);
    }
}

bool drop4(QByteArray &d, qint64 at, quint32 c)
{
    Format4 f{};
    if (!format4(d, at, f))
        return false;
    // Segments are sorted by their end codes: the first ending at or after c.
    quint32 low = 0, high = f.segments;
    while (low < high) {
        const quint32 mid = (low + high) / 2;
        if (u16(d, f.ends + 2 * mid) < c)
            low = mid + 1;
        else
            high = mid;
    }
    if (low >= f.segments)
        return false;
    const quint32 i = low;
    const quint32 start = u16(d, f.starts + 2 * i);
    const quint32 end = u16(d, f.ends + 2 * i);
    if (c < start || c > end)
        return false;
    const quint32 range = u16(d, f.ranges + 2 * i);
    if (range != 0) {
        const qint64 entry = f.ranges + 2 * i + range + 2 * (c - start);
        if (!fits(d, entry, 2))
            return false;
        put16(d, entry, 0);
    } else if (start == end) {
        put16(d, f.deltas + 2 * i, (0x10000 - c) & 0xFFFF); // maps to glyph 0, "missing"
    } else if (c == start) {
        put16(d, f.starts + 2 * i, start + 1);
    } else if (c == end) {
        put16(d, f.ends + 2 * i, end - 1);
    } else {
        return false; // inside a run of glyphs: cannot be cut out in place
    }
    return true;
}

// Format 12: nGroups at +12, then groups of start, end, start glyph.
void read12(const QByteArray &d, qint64 at, Mappings &map)
{
    const quint32 groups = u32(d, at + 12);
    if (!fits(d, at + 16, qint64(groups) * 12))
        return;
    for (quint32 i = 0; i < groups; ++i) {
        const qint64 g = at + 16 + 12 * qint64(i);
        const quint32 start = u32(d, g), end = std::min<quint32>(u32(d, g + 4), 0x10FFFF), glyph = u32(d, g + 8);
        for (quint32 c = start; c <= end && glyph && map.size() < kMaxMappings; ++c)
            map.emplace_back(c, glyph + (c - start));
    }
}

bool drop12(QByteArray &d, qint64 at, quint32 c)
{
    const quint32 groups = u32(d, at + 12);
    if (!fits(d, at + 16, qint64(groups) * 12))
        return false;
    // Groups are sorted by their codes: the first ending at or after c.
    quint32 low = 0, high = groups;
    while (low < high) {
        const quint32 mid = (low + high) / 2;
        if (u32(d, at + 16 + 12 * qint64(mid) + 4) < c)
            low = mid + 1;
        else
            high = mid;
    }
    if (low >= groups)
        return false;
    const qint64 g = at + 16 + 12 * qint64(low);
    const quint32 start = u32(d, g), end = u32(d, g + 4);
    if (c < start || c > end)
        return false;
    if (start == end) {
        put32(d, g + 8, 0); // glyph 0, "missing"
    } else if (c == start) {
        put32(d, g, start + 1);
        put32(d, g + 8, u32(d, g + 8) + 1);
    } else if (c == end) {
        put32(d, g + 4, end - 1);
    } else {
        return false; // inside a run of glyphs: cannot be cut out in place
    }
    return true;
}

} // namespace

int UnaliasCharacterMaps(QByteArray &Data)
{
    const QList<Subtable> subtables = unicodeSubtables(Data);
    if (subtables.isEmpty())
        return -1;
    int removed = 0;
    for (const Subtable &s : subtables) {
        Mappings map;
        if (s.format == 4)
            read4(Data, s.at, map);
        else
            read12(Data, s.at, map);
        // The lowest text character of each glyph (glyph numbers are 16 bits).
        constexpr quint32 kNone = 0xFFFFFFFF;
        std::vector<quint32> textOf(0x10000, kNone);
        for (const auto &[code, glyph] : map)
            if (glyph < textOf.size() && isTextCharacter(code) && code < textOf[glyph])
                textOf[glyph] = code;
        // A glyph no text character shows stands for its own characters
        // (①, №, Ⅰ, ㍻): they keep it, or the face would print them from
        // another face.
        for (const auto &[code, glyph] : map) {
            if (glyph >= textOf.size() || textOf[glyph] == kNone || code >= textOf[glyph] || isTextCharacter(code))
                continue;
            if (s.format == 4 ? drop4(Data, s.at, code) : drop12(Data, s.at, code))
                ++removed;
        }
    }
    return removed;
}

namespace {

// The files of the installed faces of Family, through fontconfig.
QStringList fontFiles(const char *Family)
{
    QStringList files;
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(Family));
    FcObjectSet *objects = FcObjectSetBuild(FC_FILE, nullptr);
    if (FcFontSet *set = FcFontList(nullptr, pattern, objects)) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8 *file = nullptr;
            // One file under several names (the system's alternatives) is read once.
            if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
                files << QFileInfo(QFile::decodeName(reinterpret_cast<const char *>(file))).canonicalFilePath();
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return files;
}

} // namespace

QStringList PrintFontFiles()
{
    QStringList files;
    for (const char *family : {"IPAexGothic", "IPAexMincho", "Noto Sans Mono CJK JP"})
        for (const QString &file : fontFiles(family))
            if (file.startsWith(QLatin1Char('/')) && !files.contains(file))
                files << file;
    return files;
}

QStringList PreparePrintFonts()
{
    static bool done = false;
    if (done)
        return {};
    done = true;
    // The installed faces are listed first: a copy registered before them
    // would be replaced by the installed face of the same name.
    (void)QFontDatabase::families();
    QStringList failed;
    for (const QString &name : PrintFontFiles()) {
        QFile file(name);
        QByteArray data;
        if (file.open(QIODevice::ReadOnly))
            data = file.readAll();
        if (data.isEmpty() || UnaliasCharacterMaps(data) < 0 || QFontDatabase::addApplicationFontFromData(data) < 0)
            failed << name;
    }
    return failed;
}
