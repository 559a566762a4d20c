#include "items/TextShaper.h"

#include "items/CodePointTable.h"
#include "items/FontFaces.h"
#include "items/RecentFaces.h"
#include "util/PdfText.h"

#include <QHash>
#include <QMutex>
#include <QVarLengthArray>
#include <QRawFont>

#include <algorithm>
#include <cstring>
#include <optional>

#include <hb.h>
#include <unicode/uchar.h>

namespace {

// Where the base line lies in an em box whose top is at 0: the ideographic
// em box of Japanese faces reaches 0.88 em above the base line.
constexpr double kIdeographicAscent = 0.88;

// How much narrower than its em a full-width blank inside a horizontal line
// is drawn. A PDF reader takes a blank of a whole character or more for the
// gap between two columns of text and reads the two halves of the line apart
// ("第一営業本部　東日本営業部" split round the name printed below it); a
// tenth less keeps them one line, and no eye tells the difference.
constexpr double kWideBlankNarrowing = 0.1;

hb_blob_t *referenceTable(hb_face_t *, hb_tag_t tag, void *userData)
{
    const auto *raw = static_cast<const QRawFont *>(userData);
    if (tag == 0)
        return hb_blob_get_empty();
    const char name[4] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag)};
    const QByteArray data = raw->fontTable(name);
    if (data.isEmpty())
        return hb_blob_get_empty();
    return hb_blob_create(data.constData(), static_cast<unsigned>(data.size()), HB_MEMORY_MODE_DUPLICATE, nullptr,
                          nullptr);
}

// The face at one size, as the glyph runs draw it, with what each text
// asks of it: the share of the line above the base line, and the design
// advances of upright glyphs found so far.
struct TSizedFace {
    QRawFont raw;
    double ascentShare = 0.88;
    QHash<quint32, double> advances;
};

// One HarfBuzz font per face and style, built from the face's tables and
// kept for the program's run.
struct TShapingFace {
    QRawFont raw; // owns the tables the HarfBuzz face reads
    hb_font_t *font = nullptr;
    QString postScriptName; // the name a PDF gives the face's font
    // The face at the sizes asked for: resizing a raw font builds a new
    // font engine whose glyphs all load again, and a print run asks for the
    // same few sizes record after record. Guarded by sizedMutex; emptied
    // when it grows past kSizedFaces (fitted texts take many sizes over a
    // long session).
    QHash<quint64, TSizedFace> sized;
    // The glyph of each character found so far, upright and with the
    // vertical substitutions. Guarded by glyphMutex.
    TCodePointTable<quint32> plainGlyphs;
    TCodePointTable<quint32> verticalGlyphs;
};

QMutex sizedMutex;
constexpr qsizetype kSizedFaces = 64;

quint64 sizeKey(double EmSize)
{
    quint64 bits = 0;
    static_assert(sizeof bits == sizeof EmSize);
    std::memcpy(&bits, &EmSize, sizeof bits);
    return bits;
}


TShapingFace *shapingFace(const QString &Face, int StyleBits)
{
    thread_local TRecentFaces<TShapingFace> recent;
    if (TShapingFace *known = recent.Find(Face, StyleBits))
        return known;
    const auto remember = [&](TShapingFace *Found) { return recent.Remember(Found, Face, StyleBits); };
    static QMutex mutex;
    static QHash<QString, TShapingFace *> cache;
    const QString family = ResolveFontFace(Face).family;
    const QString key = family + QChar(u'\x1F') + QChar(StyleBits & 3);
    QMutexLocker lock(&mutex);
    if (TShapingFace *f = cache.value(key))
        return remember(f);
    auto *f = new TShapingFace;
    f->raw = LoadRawFont(Face, 100, StyleBits);
    if (f->raw.isValid()) {
        f->postScriptName = PostScriptName(f->raw);
        hb_face_t *face = hb_face_create_for_tables(referenceTable, &f->raw, nullptr);
        hb_face_set_upem(face, static_cast<unsigned>(f->raw.unitsPerEm()));
        f->font = hb_font_create(face);
        hb_face_destroy(face);
    }
    cache.insert(key, f);
    return remember(f);
}

bool surrogatePairAt(QStringView Text, qsizetype i)
{
    return Text[i].isHighSurrogate() && i + 1 < Text.size() && Text[i + 1].isLowSurrogate();
}

// Punctuation and mathematical signs whose vertical orientation is to be
// turned with the column.
bool turnsByProperties(char32_t C)
{
    const int vo = u_getIntPropertyValue(UChar32(C), UCHAR_VERTICAL_ORIENTATION);
    if (vo != U_VO_ROTATED && vo != U_VO_TRANSFORMED_ROTATED)
        return false;
    switch (u_charType(UChar32(C))) {
    case U_DASH_PUNCTUATION:
    case U_START_PUNCTUATION:
    case U_END_PUNCTUATION:
    case U_CONNECTOR_PUNCTUATION:
    case U_OTHER_PUNCTUATION:
    case U_INITIAL_PUNCTUATION:
    case U_FINAL_PUNCTUATION:
    case U_MATH_SYMBOL:
        return true;
    default:
        return false;
    }
}

bool turnsInVertical(char32_t C)
{
    // Every upright character without a vertical form of its own asks (each
    // kanji of a column).
    return AskedOnce<turnsByProperties>(C);
}

// The installed Japanese faces a character is taken from when the face
// itself lacks it (IPAex has no "𠮷", for one): the other faces of its row
// of the face table, then the Noto faces.
QStringList fallbackFamilies(const QString &Face)
{
    const QString primary = ResolveFontFace(Face).family;
    QStringList out;
    QStringList candidates = FaceCandidates(Face);
    candidates << QStringLiteral("Noto Serif CJK JP") << QStringLiteral("Noto Sans CJK JP");
    for (const QString &family : candidates)
        if (family != primary && !out.contains(family) && ResolveFontFace(family).family == family)
            out.append(family);
    return out;
}

} // namespace

namespace {

// The glyphs of one text, one per code point: on the stack for any text a
// layout draws in one piece.
using TGlyphs = QVarLengthArray<quint32, 64>;
using TCodes = QVarLengthArray<char32_t, 64>;

// The glyphs of Text as one string; Vertical also applies the vertical
// substitutions (only those: no ligatures or contextual forms, so each
// character keeps one glyph of its own).
QList<quint32> shapeGlyphs(TShapingFace *f, QStringView Text, bool Vertical)
{
    QList<quint32> plain = f->raw.glyphIndexesForString(Text.toString());
    // A variation selector picks the form of the character before it from
    // the face's variation sequences, and a combining mark composes with it;
    // only the shaping reads those.
    bool selector = false;
    for (qsizetype i = 0; i < Text.size() && !selector; i += surrogatePairAt(Text, i) ? 2 : 1)
        selector = IsJoiningMark(surrogatePairAt(Text, i) ? QChar::surrogateToUcs4(Text[i], Text[i + 1])
                                                                : char32_t(Text[i].unicode()));
    if ((!Vertical && !selector) || !f->font || Text.isEmpty())
        return plain;
    // Only the vertical substitutions: no ligatures or contextual forms, so
    // each character keeps one glyph of its own.
    hb_buffer_t *buffer = hb_buffer_create();
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t *>(Text.utf16()), int(Text.size()), 0,
                        int(Text.size()));
    hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
    hb_buffer_set_script(buffer, HB_SCRIPT_HAN);
    hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
    hb_feature_t features[6];
    const char *spec[] = {"-liga", "-clig", "-calt", "-kern", "vert", "vrt2"};
    const int featureCount = Vertical ? 6 : 4;
    for (int i = 0; i < featureCount; ++i)
        hb_feature_from_string(spec[i], -1, &features[i]);
    hb_shape(f->font, buffer, features, unsigned(featureCount));
    unsigned count = 0;
    const hb_glyph_info_t *info = hb_buffer_get_glyph_infos(buffer, &count);
    // Glyph per UTF-16 index of the cluster it came from.
    QHash<quint32, quint32> byCluster;
    for (unsigned i = 0; i < count; ++i)
        if (!byCluster.contains(info[i].cluster))
            byCluster.insert(info[i].cluster, info[i].codepoint);
    hb_buffer_destroy(buffer);
    QList<quint32> out;
    qsizetype g = 0;
    for (qsizetype i = 0; i < Text.size(); i += surrogatePairAt(Text, i) ? 2 : 1, ++g)
        out.append(byCluster.value(quint32(i), g < plain.size() ? plain[g] : 0));
    return out;
}

// A character whose glyph may depend on its neighbours: marks (a sound
// mark composed with its kana), variation selectors and joiners.
bool joinsNeighbours(char32_t C)
{
    // Below the first combining mark nothing joins: asked of every character.
    if (C < 0x300)
        return false;
    const QChar::Category c = QChar::category(C);
    return c == QChar::Mark_NonSpacing || c == QChar::Mark_SpacingCombining || c == QChar::Mark_Enclosing
        || (C >= 0xFE00 && C <= 0xFE0F) || (C >= 0xE0100 && C <= 0xE01EF) || C == 0x200D;
}

QMutex glyphMutex;

// What a glyph stands for, as the glyph runs keep it. A single character
// (nearly every glyph) shares one string per character instead of making
// one for every glyph of every record printed.
QString clusterText(QStringView Cluster)
{
    if (Cluster.size() != 1)
        return Cluster.toString();
    thread_local TCodePointTable<QString, 0x10000> known;
    const char16_t c = Cluster.front().unicode();
    const QString *at = known.Find(c);
    if (!at) {
        // Bounded: a long session meets many characters.
        if (known.Size() >= 8192)
            known.Clear();
        known.Insert(c, Cluster.toString());
        at = known.Find(c);
    }
    return *at;
}

} // namespace

namespace {

// The glyphs of Codes (the code points of a text holding no marks or
// selectors) from the face's table of those found so far, the missing ones
// shaped and kept. glyphMutex is held.
void lookUpGlyphs(TShapingFace *f, const TCodes &Codes, bool Vertical, TGlyphs &Out)
{
    TCodePointTable<quint32> &known = Vertical ? f->verticalGlyphs : f->plainGlyphs;
    Out.resize(Codes.size());
    bool complete = true;
    for (qsizetype i = 0; i < Codes.size(); ++i) {
        const quint32 *at = known.Find(Codes[i]);
        complete = complete && at;
        Out[i] = at ? *at : 0;
    }
    if (complete)
        return;
    QString missing;
    QList<char32_t> missingCodes;
    for (const char32_t c : Codes)
        if (!known.Find(c) && !missingCodes.contains(c)) {
            missingCodes.append(c);
            missing.append(QString::fromUcs4(&c, 1));
        }
    const QList<quint32> found = shapeGlyphs(f, missing, Vertical);
    for (qsizetype i = 0; i < missingCodes.size(); ++i)
        known.Insert(missingCodes[i], found.value(i));
    for (qsizetype i = 0; i < Codes.size(); ++i) {
        const quint32 *at = known.Find(Codes[i]);
        Out[i] = at ? *at : 0;
    }
}

// The glyph of each code point of Text, plain into Plain and, with Forms,
// with the vertical substitutions too: one walk over the text and one lock
// for both. Each character's glyph is kept once found: with ligatures and
// contextual forms off it does not depend on the text around it, unless the
// text holds marks or selectors, which are shaped whole every time.
void glyphsOf(TShapingFace *f, QStringView Text, TGlyphs &Plain, TGlyphs *Forms)
{
    TCodes codes;
    for (qsizetype i = 0; i < Text.size(); i += surrogatePairAt(Text, i) ? 2 : 1) {
        const char32_t c = surrogatePairAt(Text, i) ? QChar::surrogateToUcs4(Text[i], Text[i + 1]) : Text[i].unicode();
        if (joinsNeighbours(c) || (!surrogatePairAt(Text, i) && Text[i].isSurrogate())) {
            const QList<quint32> plain = shapeGlyphs(f, Text, false);
            Plain.clear();
            Plain.append(plain.constData(), plain.size());
            if (Forms) {
                const QList<quint32> forms = shapeGlyphs(f, Text, true);
                Forms->clear();
                Forms->append(forms.constData(), forms.size());
            }
            return;
        }
        codes.append(c);
    }
    QMutexLocker lock(&glyphMutex);
    lookUpGlyphs(f, codes, false, Plain);
    if (Forms)
        lookUpGlyphs(f, codes, true, *Forms);
}

// The face at EmSize, made the first time a text asks for it. sizedMutex
// is held.
TSizedFace &sizedFace(TShapingFace *f, double EmSize)
{
    const quint64 size = sizeKey(EmSize);
    auto sized = f->sized.find(size);
    if (sized != f->sized.end())
        return *sized;
    if (f->sized.size() >= kSizedFaces)
        f->sized.clear();
    TSizedFace face;
    face.raw = f->raw;
    face.raw.setPixelSize(EmSize);
    const double ascent = face.raw.ascent();
    const double descent = face.raw.descent();
    if (ascent + descent > 0)
        face.ascentShare = ascent / (ascent + descent);
    return *f->sized.insert(size, face);
}

} // namespace

QList<quint32> GlyphsForText(const QString &Face, int StyleBits, QStringView Text, bool Vertical)
{
    TShapingFace *f = shapingFace(Face, StyleBits);
    if (!f->raw.isValid())
        return {};
    TGlyphs plain;
    TGlyphs forms;
    glyphsOf(f, Text, plain, Vertical ? &forms : nullptr);
    const TGlyphs &out = Vertical ? forms : plain;
    return QList<quint32>(out.cbegin(), out.cend());
}

void THarfBuzzShaper::shapeInto(const TCanvasFont &Font, QStringView Text, const QList<int> &Advances,
                                int CellHeight, double EmSize, const QTransform &TextFrame,
                                std::vector<TGlyphRun> &Runs) const
{
    TShapingFace *f = shapingFace(Font.Face, Font.Style);
    if (!f->raw.isValid() || Text.isEmpty() || EmSize <= 0) {
        Runs.clear();
        return;
    }
    QMutexLocker lock(&sizedMutex);
    TSizedFace &sized = sizedFace(f, EmSize);
    const QRawFont &raw = sized.raw;
    const double ratio = Font.WidthRatio > 0 ? Font.WidthRatio : 1.0;
    const bool vertical = Font.isVertical();
    TGlyphs plain;
    TGlyphs vertForms;
    glyphsOf(f, Text, plain, vertical ? &vertForms : nullptr);
    const TGlyphs &forms = vertical ? vertForms : plain;

    // The frames of the two orientations, each made when a run of its own
    // first opens. Upright glyphs are turned back a quarter against the base
    // line: in that frame u runs across the column and v along it.
    std::optional<QTransform> alongFrame;
    std::optional<QTransform> uprightFrame;
    const auto frameFor = [&](bool Upright) -> const QTransform & {
        std::optional<QTransform> &frame = Upright ? uprightFrame : alongFrame;
        if (!frame)
            frame = Upright ? QTransform::fromScale(1, ratio) * QTransform().rotate(-90) * TextFrame
                            : QTransform::fromScale(ratio, 1) * TextFrame;
        return *frame;
    };

    // Characters the face lacks are drawn from another face. The runs keep
    // the order of the text, so that a PDF's text reads as printed: a glyph
    // joins the last run while that run is of its face (the face's own: an
    // empty family) and orientation; otherwise it opens a new one.
    // Families are told by their index in families, the face's own by -1.
    const QStringList families = plain.contains(0u) ? fallbackFamilies(Font.Face) : QStringList();
    struct TOpenRun {
        bool Upright = false;
        int Family = -1;
    };
    TOpenRun last;
    struct TFallbackFace {
        QRawFont Font;
        QString Face;
    };
    QHash<int, TFallbackFace> fallbackFaces;
    // The runs filled so far: Runs[0, used).
    std::size_t used = 0;
    // Room for the glyphs still to come, so that a run grows once.
    qsizetype remaining = plain.size();
    auto runFor = [&](int Family, bool Upright) -> TGlyphRun & {
        if (used > 0 && last.Upright == Upright && last.Family == Family)
            return Runs[used - 1];
        if (used == Runs.size())
            Runs.emplace_back();
        TGlyphRun &run = Runs[used++];
        run.Glyphs.clear();
        run.Positions.clear();
        run.Texts.clear();
        run.Transform = frameFor(Upright);
        if (Family < 0) {
            run.Font = raw;
            run.Face = f->postScriptName;
        } else {
            auto face = fallbackFaces.find(Family);
            if (face == fallbackFaces.end()) {
                const TShapingFace *other = shapingFace(families[Family], Font.Style);
                QRawFont resized = other->raw;
                resized.setPixelSize(EmSize);
                face = fallbackFaces.insert(Family, TFallbackFace{resized, other->postScriptName});
            }
            run.Font = face->Font;
            run.Face = face->Face;
        }
        run.Glyphs.reserve(remaining);
        run.Positions.reserve(remaining);
        run.Texts.reserve(remaining);
        last = {Upright, Family};
        return run;
    };

    double offset = 0;
    qsizetype g = 0;
    for (qsizetype i = 0; i < Text.size(); ++g) {
        const bool pair = surrogatePairAt(Text, i);
        const char32_t c = pair ? QChar::surrogateToUcs4(Text[i], Text[i + 1]) : Text[i].unicode();
        const double adv = Advances.value(i) + (pair ? Advances.value(i + 1) : 0);
        if (g >= plain.size())
            break;
        // Its character was drawn in the form it selects or composes.
        if (IsJoiningMark(c)) {
            offset += adv;
            i += pair ? 2 : 1;
            continue;
        }
        // What the glyph stands for: its character and the marks that
        // follow it, which it is drawn composed with.
        qsizetype clusterEnd = i + (pair ? 2 : 1);
        while (clusterEnd < Text.size()) {
            const bool nextPair = surrogatePairAt(Text, clusterEnd);
            if (!IsJoiningMark(nextPair ? QChar::surrogateToUcs4(Text[clusterEnd], Text[clusterEnd + 1])
                                        : char32_t(Text[clusterEnd].unicode())))
                break;
            clusterEnd += nextPair ? 2 : 1;
        }
        QString cluster = clusterText(Text.sliced(i, clusterEnd - i));
        const quint32 plainGlyph = plain[g];
        const quint32 formGlyph = g < forms.size() ? forms[g] : plainGlyph;
        // A full-width dash or other mark that vertical writing turns ("－",
        // "：") stands upright only in the vertical form the face gives it;
        // without one it is turned with the column, in the same cell. Letters
        // (Greek, Cyrillic) stay upright as Japanese vertical text sets them.
        bool standing = vertical && IsUprightInVertical(c);
        if (standing && plainGlyph != 0 && formGlyph == plainGlyph && turnsInVertical(c))
            standing = false;
        // A space has nothing to turn: it stays in the upright run it falls
        // in, in its own cell, instead of breaking the column into runs of
        // their own (each a change of transform on a printed page).
        if (vertical && !standing && c == U' ' && plainGlyph != 0 && used > 0 && last.Upright &&
            last.Family < 0)
            standing = true;
        quint32 glyph = standing ? formGlyph : plainGlyph;
        int fallback = -1;
        if (plainGlyph == 0 && c > 0x20) {
            const QStringView one = Text.mid(i, pair ? 2 : 1);
            for (int k = 0; k < families.size(); ++k) {
                const quint32 found = GlyphsForText(families[k], Font.Style, one, standing).value(0);
                if (found != 0) {
                    glyph = found;
                    fallback = k;
                    break;
                }
            }
        }
        remaining = plain.size() - g;
        TGlyphRun *target = &runFor(fallback, standing);
        if (standing) {
            double glyphAdvance = 0;
            if (fallback < 0) {
                auto known = sized.advances.constFind(glyph);
                if (known == sized.advances.cend())
                    known = sized.advances.insert(
                        glyph, raw.advancesForGlyphIndexes(QList<quint32>{glyph}, QRawFont::UseDesignMetrics).value(0).x());
                glyphAdvance = *known;
            } else {
                glyphAdvance =
                    target->Font.advancesForGlyphIndexes(QList<quint32>{glyph}, QRawFont::UseDesignMetrics).value(0).x();
            }
            const double u = -CellHeight / 2.0 - glyphAdvance / 2.0;
            // The glyph's em box (narrowed along the column by the width
            // ratio) starts where its cell starts: a wider advance spaces the
            // characters out, it does not move a glyph into the space after it.
            const double v = offset + kIdeographicAscent * EmSize * ratio;
            target->Glyphs.append(glyph);
            target->Texts.append(std::move(cluster));
            target->Positions.append(QPointF(u, v / ratio));
        } else {
            const QRawFont &font = target->Font;
            const double share =
                fallback < 0 ? sized.ascentShare
                                 : (font.ascent() + font.descent() > 0 ? font.ascent() / (font.ascent() + font.descent())
                                                                       : 0.88);
            target->Glyphs.append(glyph);
            target->Texts.append(std::move(cluster));
            target->Positions.append(QPointF(offset / ratio, CellHeight * share));
        }
        offset += adv;
        if (c == U'\u3000' && !vertical && adv > 0)
            offset -= std::min(double(adv), EmSize * ratio) * kWideBlankNarrowing;
        i += pair ? 2 : 1;
    }
    Runs.erase(Runs.begin() + std::ptrdiff_t(used), Runs.end());
}
