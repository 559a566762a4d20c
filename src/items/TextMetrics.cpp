#include "items/TextMetrics.h"

#include "items/CodePointTable.h"
#include "items/FontFaces.h"
#include "items/RecentFaces.h"
#include "platform/Cp932.h"
#include "util/SubUnit.h"

#include <QHash>
#include <QMutex>
#include <QRawFont>

#include <unicode/uchar.h>

#include <cmath>

namespace {

char32_t codePointAt(QStringView Text, qsizetype i, int *units)
{
    const QChar c = Text[i];
    if (c.isHighSurrogate() && i + 1 < Text.size() && Text[i + 1].isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, Text[i + 1]);
    }
    *units = 1;
    return c.unicode();
}

// The design metrics of one face and style, read once at its em size.
struct TDesignFace {
    QRawFont raw;
    double unitsPerEm = 1000;
    double ascentDescent = 1000; // in design units
    // Design advances by code point, filled as texts are measured: asking
    // the font again loads each glyph again, and the same few hundred
    // characters are measured for every record of a print run. Guarded by
    // advanceMutex.
    TCodePointTable<double> advances;
};

QMutex advanceMutex;

const TDesignFace &designFace(const QString &Face, quint8 Style)
{
    thread_local TRecentFaces<const TDesignFace> recent;
    if (const TDesignFace *known = recent.Find(Face, Style))
        return *known;
    static QMutex mutex;
    // Faces live for the program's run, so the references handed out stay.
    static QHash<QString, TDesignFace *> cache;
    const QString key = (Face.startsWith(QLatin1Char('@')) ? Face.mid(1) : Face) + QChar(u'\x1F') + QChar(Style & 3);
    QMutexLocker lock(&mutex);
    TDesignFace *face = cache.value(key);
    if (!face) {
        face = new TDesignFace;
        face->raw = LoadRawFont(Face, 1000, Style);
        if (face->raw.isValid()) {
            face->unitsPerEm = face->raw.unitsPerEm();
            face->raw.setPixelSize(face->unitsPerEm);
            face->ascentDescent = face->raw.ascent() + face->raw.descent();
        }
        cache.insert(key, face);
    }
    return *recent.Remember(face, Face, Style);
}

// A measure rounded half away from zero to whole pixels, as RoundHalfAway
// rounds it: std::round is exact on a double, so the long double arithmetic
// is only needed outside the int range (thousands of characters are measured
// for every record printed).
int roundedPixels(double Value)
{
    if (std::abs(Value) < 2147483647.0)
        return static_cast<int>(std::round(Value));
    return static_cast<int>(RoundHalfAway(Value));
}

} // namespace

bool IsFullWidthChar(char32_t C)
{
    if (C < 0x80)
        return false;
    if (C <= 0xFFFF) {
        const QString s{QChar(char16_t(C))};
        if (Cp932::canEncode(s))
            return Cp932::encode(s).size() == 2;
    }
    const int w = u_getIntPropertyValue(UChar32(C), UCHAR_EAST_ASIAN_WIDTH);
    return w == U_EA_FULLWIDTH || w == U_EA_WIDE || w == U_EA_AMBIGUOUS;
}

namespace {
bool uprightInVertical(char32_t C)
{
    if (C <= 0xFFFF) {
        const QString s{QChar(char16_t(C))};
        if (Cp932::canEncode(s))
            return Cp932::encode(s).size() == 2;
    }
    const int vo = u_getIntPropertyValue(UChar32(C), UCHAR_VERTICAL_ORIENTATION);
    return vo != U_VO_ROTATED;
}
} // namespace

bool IsUprightInVertical(char32_t C)
{
    if (C < 0x80)
        return false;
    // Every character of every vertical line asks.
    return AskedOnce<uprightInVertical>(C);
}

int TTextMetrics::width(const TCanvasFont &Font, QStringView Text) const
{
    int sum = 0;
    for (int a : advances(Font, Text))
        sum += a;
    return sum;
}

int TTextMetrics::fitCount(const TCanvasFont &Font, QStringView Text, int MaxWidth) const
{
    const QList<int> adv = advances(Font, Text);
    int sum = 0;
    int fit = 0;
    for (qsizetype i = 0; i < adv.size();) {
        const int units = (Text[i].isHighSurrogate() && i + 1 < Text.size()) ? 2 : 1;
        int a = adv[i];
        if (units == 2)
            a += adv[i + 1];
        if (sum + a > MaxWidth)
            break;
        sum += a;
        i += units;
        fit = int(i);
    }
    return fit;
}

QList<int> TFixedTextMetrics::advances(const TCanvasFont &Font, QStringView Text) const
{
    const int em = int(emSize(Font));
    QList<int> out(Text.size(), 0);
    for (qsizetype i = 0; i < Text.size();) {
        int units = 1;
        const char32_t c = codePointAt(Text, i, &units);
        const int natural = IsJoiningMark(c) ? 0 : IsFullWidthChar(c) ? em : em / 2;
        out[i] = Font.WidthRatio == 1.0 ? natural : int(RoundHalfAway(natural * Font.WidthRatio));
        i += units;
    }
    return out;
}

int TFixedTextMetrics::lineHeight(const TCanvasFont &Font) const
{
    return int(emSize(Font));
}

double TFixedTextMetrics::emSize(const TCanvasFont &Font) const
{
    return std::abs(double(Font.Height));
}

namespace {

// Hands Take(i, pixels) the advance of each code point of Text starting at
// UTF-16 unit i, from the advances the face already knows; false, having
// stopped there, at the first character not measured yet. advanceMutex is
// held.
template <typename TTake>
bool knownAdvances(const TDesignFace &Face, const TCanvasFont &Font, double Scale, QStringView Text, TTake &&Take)
{
    const double ratio = Font.WidthRatio > 0 ? Font.WidthRatio : 1.0;
    for (qsizetype i = 0; i < Text.size();) {
        int units = 1;
        const char32_t c = codePointAt(Text, i, &units);
        const double *at = Face.advances.Find(c);
        if (!at)
            return false;
        Take(i, roundedPixels((IsJoiningMark(c) ? 0.0 : *at * Scale) * ratio));
        i += units;
    }
    return true;
}

// Asks the font for the characters of Text not measured yet, in one call: a
// glyph's design advance does not depend on its neighbours. advanceMutex is
// held.
void measureMissing(TDesignFace &Face, QStringView Text)
{
    QString missing;
    QList<char32_t> missingCodes;
    for (qsizetype i = 0; i < Text.size();) {
        int units = 1;
        const char32_t c = codePointAt(Text, i, &units);
        if (!Face.advances.Find(c) && !missingCodes.contains(c)) {
            missing.append(Text.mid(i, units));
            missingCodes.append(c);
        }
        i += units;
    }
    // glyphIndexesForString gives one glyph per code point.
    const QList<quint32> glyphs = Face.raw.glyphIndexesForString(missing);
    const QList<QPointF> design = Face.raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    for (qsizetype g = 0; g < missingCodes.size() && g < design.size(); ++g)
        Face.advances.Insert(missingCodes[g], design[g].x());
}

} // namespace

QList<int> TDesignTextMetrics::advances(const TCanvasFont &Font, QStringView Text) const
{
    const TDesignFace &face = designFace(Font.Face, Font.Style);
    const double scale = emSize(Font) / face.unitsPerEm;
    QList<int> out(Text.size(), 0);
    if (!face.raw.isValid())
        return out;
    QMutexLocker lock(&advanceMutex);
    // Each character is looked up once: the characters of a print run are
    // measured before long, and the text is then walked no more.
    const auto take = [&out](qsizetype i, int Pixels) { out[i] = Pixels; };
    if (knownAdvances(face, Font, scale, Text, take))
        return out;
    measureMissing(const_cast<TDesignFace &>(face), Text);
    (void)knownAdvances(face, Font, scale, Text, take);
    return out;
}

int TDesignTextMetrics::width(const TCanvasFont &Font, QStringView Text) const
{
    const TDesignFace &face = designFace(Font.Face, Font.Style);
    if (!face.raw.isValid())
        return 0;
    const double scale = emSize(Font) / face.unitsPerEm;
    QMutexLocker lock(&advanceMutex);
    int sum = 0;
    const auto add = [&sum](qsizetype, int Pixels) { sum += Pixels; };
    if (knownAdvances(face, Font, scale, Text, add))
        return sum;
    sum = 0;
    measureMissing(const_cast<TDesignFace &>(face), Text);
    (void)knownAdvances(face, Font, scale, Text, add);
    return sum;
}

int TDesignTextMetrics::lineHeight(const TCanvasFont &Font) const
{
    // The em box: the height of "一" in a Japanese face, whatever line gap
    // the face's own ascent and descent leave around it.
    return roundedPixels(emSize(Font));
}

double TDesignTextMetrics::emSize(const TCanvasFont &Font) const
{
    if (Font.Height <= 0)
        return -double(Font.Height);
    const TDesignFace &face = designFace(Font.Face, Font.Style);
    return Font.Height * face.unitsPerEm / face.ascentDescent;
}

void SplitAtWidth(const TTextMetrics &Metrics, const TCanvasFont &Font, QString &Text, int MaxWidth, QString &Rest)
{
    if (Text.isEmpty()) {
        Rest.clear();
        return;
    }
    const int fit = Metrics.fitCount(Font, Text, MaxWidth);
    Rest = Text.mid(fit);
    Text.truncate(fit);
}

int CellCount(QStringView Text)
{
    int cells = 0;
    for (qsizetype i = 0; i < Text.size();) {
        int units = 1;
        const char32_t c = codePointAt(Text, i, &units);
        if (!IsJoiningMark(c) || i == 0)
            ++cells;
        i += units;
    }
    return cells;
}

QList<int> CellAdvances(QStringView Text, int Step)
{
    QList<int> out(Text.size(), 0);
    for (qsizetype i = 0; i < Text.size();) {
        int units = 1;
        const char32_t c = codePointAt(Text, i, &units);
        if (!IsJoiningMark(c) || i == 0)
            out[i] = Step;
        i += units;
    }
    return out;
}
