#include "util/Font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace {

const QString kFallbackFace = QStringLiteral("ＭＳ 明朝");

void applyStyleBits(QFont &f, int bits)
{
    f.setBold(bits & fsBold);
    f.setItalic(bits & fsItalic);
    f.setUnderline(bits & fsUnderline);
    f.setStrikeOut(bits & fsStrikeOut);
}

// The Japanese Gothic faces installed with the program, in order of
// preference. A face with a Japanese name is listed under it when the locale
// is Japanese, and under its Latin name otherwise, so both are given.
const QStringList &gothicFaces()
{
    static const QStringList faces = {QStringLiteral("IPAexGothic"), QString::fromUtf16(u"IPAexゴシック"),
                                      QStringLiteral("Noto Sans CJK JP")};
    return faces;
}

} // namespace

void InstallFontSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList mincho = {QStringLiteral("IPAexMincho"), QString::fromUtf16(u"IPAex明朝"),
                                QStringLiteral("Noto Serif CJK JP")};
    const QStringList &gothic = gothicFaces();
    const QStringList mono = {QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAexGothic"),
                              QString::fromUtf16(u"IPAexゴシック")};
    for (const char16_t *face : {u"ＭＳ 明朝", u"ＭＳ Ｐ明朝", u"MS Mincho", u"MS PMincho", u"HG明朝E", u"HGP明朝E"})
        QFont::insertSubstitutions(QString::fromUtf16(face), mincho);
    for (const char16_t *face : {u"ＭＳ Ｐゴシック", u"MS PGothic", u"MS UI Gothic", u"メイリオ", u"Meiryo",
                                 u"Meiryo UI", u"HGゴシックE", u"HGPゴシックE"})
        QFont::insertSubstitutions(QString::fromUtf16(face), gothic);
    for (const char16_t *face : {u"ＭＳ ゴシック", u"MS Gothic"})
        QFont::insertSubstitutions(QString::fromUtf16(face), mono);
}

QString SetApplicationFont()
{
    InstallFontSubstitutions();
    // Looked up by the name the font database lists: a name it does not
    // list is left to fontconfig's matching, which follows the locale's
    // language and would bring the locale back in.
    const QStringList installed = QFontDatabase::families();
    for (const QString &face : gothicFaces()) {
        if (!installed.contains(face))
            continue;
        QFont font = QApplication::font(); // keeps the platform's size
        font.setFamily(face);
        QApplication::setFont(font);
        return face;
    }
    qWarning("murven19: none of the Japanese faces %s is installed; windows use the platform's font",
             qPrintable(gothicFaces().join(QStringLiteral(", "))));
    return {};
}

QFont TFont::toQFont() const
{
    InstallFontSubstitutions();
    QFont f(baseName());
    f.setPointSize(Size > 0 ? Size : 1);
    applyStyleBits(f, Style);
    return f;
}

bool SetFontAttributes(TFont *Font, int Charset, const QString &Name, int Size, int StyleBits)
{
    if (!Font)
        return false;
    Font->Charset = Charset;
    Font->Name = Name;
    Font->Size = Size;
    Font->Style = static_cast<unsigned char>(StyleBits & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
    return true;
}

bool SetFontAttributes(QFont *Font, int /*Charset*/, const QString &Name, int Size, int StyleBits)
{
    if (!Font)
        return false;
    InstallFontSubstitutions();
    Font->setFamily(Name.startsWith(QLatin1Char('@')) ? Name.mid(1) : Name);
    Font->setPointSize(Size > 0 ? Size : 1);
    applyStyleBits(*Font, StyleBits);
    return true;
}

unsigned char FontStyleToBits(const TFont &Font)
{
    return Font.Style & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
}

unsigned char FontStyleToBits(const QFont &Font)
{
    return static_cast<unsigned char>((Font.bold() ? fsBold : 0) | (Font.italic() ? fsItalic : 0)
                                      | (Font.underline() ? fsUnderline : 0) | (Font.strikeOut() ? fsStrikeOut : 0));
}

void ListFontNames(QList<TFontFace> &Strings, bool FixedPitchOnly, bool WithSymbolCharset)
{
    for (const QString &family : QFontDatabase::families()) {
        if (family.startsWith(QLatin1Char('@')) || !QFontDatabase::isScalable(family))
            continue;
        if (FixedPitchOnly && !QFontDatabase::isFixedPitch(family))
            continue;
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        int charset = -1;
        if (systems.contains(QFontDatabase::Japanese))
            charset = SHIFTJIS_CHARSET;
        else if (systems.contains(QFontDatabase::Latin))
            charset = ANSI_CHARSET;
        else if (WithSymbolCharset && systems.contains(QFontDatabase::Symbol))
            charset = SYMBOL_CHARSET;
        if (charset >= 0)
            Strings.append({family, charset});
    }
}

TFontSample FontSampleOf(int Charset)
{
    if (Charset == ANSI_CHARSET)
        return {QStringLiteral("Pyx Corp."), QStringLiteral("欧文")};
    if (Charset == SHIFTJIS_CHARSET)
        return {QStringLiteral("ピルカノス2014"), QStringLiteral("日本語")};
    return {};
}

void SetFontVertical(TFont &Font)
{
    for (int pass = 0; pass < 2; ++pass) {
        if (Font.Charset == SHIFTJIS_CHARSET && !Font.isVertical())
            Font.Name.prepend(QLatin1Char('@'));
        Font.Escapement = 2700;
        Font.Orientation = 2700;
        // A face always resolves to some installed font here; only a face
        // without a name cannot be made, and then the Mincho face is used.
        if (!Font.baseName().isEmpty())
            return;
        Font.Name = kFallbackFace;
    }
}

void SetFontHorizontal(TFont &Font)
{
    if (Font.isVertical())
        Font.Name.remove(0, 1);
    Font.Escapement = 0;
    Font.Orientation = 0;
    if (Font.Name.isEmpty())
        Font.Name = kFallbackFace;
}

void RotateFont180(TFont &Font)
{
    Font.Escapement = Font.Escapement < 1800 ? Font.Escapement + 1800 : Font.Escapement - 1800;
    Font.Orientation = Font.Escapement;
}

void SetFontWidthRatio(QPainter &Canvas, double Ratio)
{
    QFont f = Canvas.font();
    f.setStretch(100);
    if (Ratio != 0.0 && Ratio != 1.0) {
        const int natural = QFontMetrics(f, Canvas.device()).averageCharWidth();
        const int width = static_cast<int>(std::trunc(natural * Ratio + 0.5));
        if (natural > 0 && width > 0)
            f.setStretch(qBound(1, qRound(width * 100.0 / natural), 4000));
    }
    Canvas.setFont(f);
}
