#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>

class QPainter;

// Character sets a face is listed under, with the values the layout files store.
enum TFontCharset : int {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    SHIFTJIS_CHARSET = 128,
};

// Font style bits as layout items store them.
enum TFontStyleBit : unsigned char {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};

// A font as the layouts describe one: face, character set, size in points,
// style bits and the rotation of its base line. A face beginning with "@" is
// the vertical form of the face behind it (upright Japanese glyphs, turned
// Latin ones); escapement and orientation are tenths of a degree,
// counter-clockwise. Drawing code turns it into a QFont with toQFont() and
// applies the rotation itself.
class TFont
{
public:
    QString Name = QStringLiteral("ＭＳ 明朝");
    int Charset = SHIFTJIS_CHARSET;
    int Size = 10;
    unsigned char Style = 0;
    int Escapement = 0;
    int Orientation = 0;
    QColor Color = Qt::black;

    bool isVertical() const { return Name.startsWith(QLatin1Char('@')); }
    // The face without the vertical marker.
    QString baseName() const { return isVertical() ? Name.mid(1) : Name; }
    QFont toQFont() const;

    bool operator==(const TFont &) const = default;
};

// Face names of Windows systems that layouts and settings carry, mapped
// onto the Japanese faces installed here. Called once at start; harmless twice.
void InstallFontSubstitutions();

// Makes the first installed Japanese Gothic face the font of every window,
// at the platform's default size, and installs the substitutions above.
// Left to the platform, the face would follow the locale: under C.UTF-8 a
// Latin face, with each kana and kanji taken from whichever Japanese face
// has it, so rows grow uneven and faces mix within a word. Called once at
// start, before the first window. Returns the face, empty when none of them
// is installed (then the platform's font stays, with a warning).
QString SetApplicationFont();

bool SetFontAttributes(TFont *Font, int Charset, const QString &Name, int Size, int StyleBits);
bool SetFontAttributes(QFont *Font, int Charset, const QString &Name, int Size, int StyleBits);
unsigned char FontStyleToBits(const TFont &Font);
unsigned char FontStyleToBits(const QFont &Font);

// One face of ListFontNames with the character set it is listed under.
struct TFontFace {
    QString name;
    int charset = ANSI_CHARSET;
};

// Appends the installed scalable faces whose names do not begin with "@":
// Japanese faces under SHIFTJIS_CHARSET, other Latin faces under
// ANSI_CHARSET, symbol faces under SYMBOL_CHARSET only when asked for. Each
// face is listed once. Strings is not cleared first.
void ListFontNames(QList<TFontFace> &Strings, bool FixedPitchOnly, bool WithSymbolCharset);

// What a font choice shows for a face's character set: the sample text and
// the character-set caption ("Pyx Corp." / "欧文" for ANSI_CHARSET,
// "ピルカノス2014" / "日本語" for SHIFTJIS_CHARSET); both empty for a set it
// does not name, which leaves the shown ones as they are.
struct TFontSample {
    QString Text;
    QString Charset;
};
[[nodiscard]] TFontSample FontSampleOf(int Charset);

void SetFontVertical(TFont &Font);
void SetFontHorizontal(TFont &Font);
void RotateFont180(TFont &Font);

// Narrows or widens the painter's font so its average character width is
// Trunc(natural width * Ratio + 0.5); Ratio 0 or 1 gives the natural width.
void SetFontWidthRatio(QPainter &Canvas, double Ratio);
