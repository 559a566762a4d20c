#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QString>
#include <QStringList>

#include <vector>

class QPaintDevice;
class QPainter;

// The text a printed PDF gives back for its glyphs.
//
// Qt's PDF writer gives each embedded font a ToUnicode map that it makes by
// reading the face's character map backwards over the BMP only: a glyph no
// code point of the BMP reaches copies out as nothing (the vertical forms of
// ー, ゃ or ＝, an ideograph beyond the BMP such as 𠮷, a kana composed with
// its sound mark), and a glyph that another code point reaches first copies
// out as that one (the vertical comma as ︑). The writer numbers each font's
// glyphs in the order they are first drawn. So a run that writes a PDF
// notes, face by face, every glyph it draws with the text the glyph stands
// for, in drawing order; once the file is written, AmendPdfText gives each
// font's map those texts, and copying or searching the PDF gives what was
// printed.
class TPdfGlyphTexts
{
public:
    // What one face drew: its glyphs in the order first drawn (glyph 0, the
    // missing glyph, is never numbered) and the text of each.
    struct TFace {
        QRawFont Font;
        QList<quint32> Order;
        QHash<quint32, QString> Texts;
        // By glyph number: noted already. Every glyph drawn asks, the same
        // few hundred over and over: a bit answers sooner than the hash.
        std::vector<bool> Noted;
    };

    // Glyphs of Font drawn in this order; Face is the face's PostScript
    // name, the name the PDF gives its font. Texts[i] is the text Glyphs[i]
    // stands for (missing or empty when not known: the glyph is still
    // counted). A glyph keeps the text it was first drawn for.
    void Note(const QRawFont &Font, const QString &Face, const QList<quint32> &Glyphs, const QStringList &Texts);

    [[nodiscard]] const QHash<QString, TFace> &Faces() const { return m_faces; }

    // The notes of the PDF Painter writes, or null when it paints anything
    // else: drawing code notes its glyphs only then. A window repainted
    // while a run prints (its progress lets events through) draws what the
    // PDF may not hold; noted, its glyphs would no longer match the fonts
    // the PDF embeds and the whole map would stay as written.
    [[nodiscard]] static TPdfGlyphTexts *Current(const QPainter &Painter);

    // Makes Texts the current notes of this thread for what is painted on
    // Device while it lives.
    class TScope
    {
    public:
        TScope(TPdfGlyphTexts &Texts, const QPaintDevice &Device);
        ~TScope();
        TScope(const TScope &) = delete;
        TScope &operator=(const TScope &) = delete;

    private:
        TPdfGlyphTexts *m_previous;
        const QPaintDevice *m_previousDevice;
    };

private:
    QHash<QString, TFace> m_faces;
    // The face noted last: runs of one face follow each other.
    QString m_lastName;
    TFace *m_last = nullptr;
};

// The PostScript name of Font's face (name 6 of its name table), which Qt's
// PDF writer gives the face's font; empty when the face has none.
[[nodiscard]] QString PostScriptName(const QRawFont &Font);

// What amending a PDF's text did.
struct TPdfTextAmendment {
    int Amended = 0;      // fonts whose map now gives the noted texts
    QStringList Skipped;  // fonts left as written, each with the reason
};

// Gives the ToUnicode map of every font of Pdf (a file just written by Qt's
// PDF writer) that Texts noted the text of its glyphs, appending the new
// maps as an update of the file; the bytes already written stay as they
// are. A font whose glyphs do not match the notes (the file is not the
// one the notes were taken for) keeps its map and is named in Skipped; Pdf
// is left unchanged when its structure cannot be read.
[[nodiscard]] TPdfTextAmendment AmendPdfText(QByteArray &Pdf, const TPdfGlyphTexts &Texts);

// AmendPdfText for the file of a print run: a font it leaves as written is
// named in the program's log (the file itself is whole either way).
void AmendPrintedText(QByteArray &Pdf, const TPdfGlyphTexts &Texts);
