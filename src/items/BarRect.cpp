#include "items/BarRect.h"

#include "platform/Cp932.h"
#include "util/SubUnit.h"

#include <QBrush>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QStringView>
#include <QTransform>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>

namespace {

// 7612 / 325: a bar height times this is the barcode's length, as the
// stored layouts computed it.
constexpr long double LengthFactor = 23.4215384615L;
// The code holds twenty characters; a letter takes two of them.
constexpr int CodeCharacters = 20;
// The code characters between the start and the stop code: twenty and the
// check character.
constexpr int CodeLength = CodeCharacters + 1;
// Start code, three bars a code character, stop code.
constexpr int BarCount = 2 + 3 * CodeLength + 2;

// ---- Address number ----------------------------------------------------------

// The working copies of an address: an address is short, so they stay on
// the stack and take a character without a string being grown.
using TChars = QVarLengthArray<QChar, 96>;

QStringView viewOf(const TChars &S)
{
    return QStringView(S.constData(), S.size());
}

bool isCodeLetter(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

bool isCodeDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The value of a kanji digit 〇 to 九; -1 for anything else.
int kanjiDigit(QChar c)
{
    switch (c.unicode()) {
    case u'〇': return 0;
    case u'一': return 1;
    case u'二': return 2;
    case u'三': return 3;
    case u'四': return 4;
    case u'五': return 5;
    case u'六': return 6;
    case u'七': return 7;
    case u'八': return 8;
    case u'九': return 9;
    default: return -1;
    }
}

// The place a kanji numeral 十, 百 or 千 stands for; 0 for anything else.
int kanjiUnit(QChar c)
{
    return c == u'十' ? 10 : c == u'百' ? 100 : c == u'千' ? 1000 : 0;
}

bool isKanjiNumeral(QChar c)
{
    return kanjiDigit(c) >= 0 || kanjiUnit(c) != 0;
}

void appendNumber(TChars &Out, qint64 Value)
{
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), Value).ptr;
    for (const char *p = digits.data(); p != end; ++p)
        Out.append(QLatin1Char(*p));
}

// A kanji numeral run such as "二十三", "百一" or "五〇一" onto Out in digits.
void appendKanjiNumber(QStringView Run, TChars &Out)
{
    const bool positional = std::none_of(Run.begin(), Run.end(), [](QChar c) { return kanjiUnit(c) != 0; });
    if (positional) { // "五〇一" reads digit by digit, however long it is
        for (QChar c : Run)
            Out.append(QChar(u'0' + kanjiDigit(c)));
        return;
    }
    qint64 total = 0;
    qint64 digits = -1; // a digit read and not yet placed
    for (QChar c : Run) {
        const int unit = kanjiUnit(c);
        if (unit == 0) {
            digits = kanjiDigit(c);
        } else {
            total += (digits < 0 ? 1 : digits) * unit;
            digits = -1;
        }
    }
    appendNumber(Out, total + (digits < 0 ? 0 : digits));
}

// Whether a kanji numeral run reads as one number: digit by digit ("五〇一"),
// or with 千, 百 and 十 each at most once and in that order, one digit before
// each and at the end ("二百五十八", "二千〇三"). "十三三", "五八五十八" and
// "十二十二" are two numbers written without a blank between.
bool isOneKanjiNumber(QStringView Run)
{
    int lastUnit = 10000;
    bool units = false;
    bool digitsInARow = false;
    QChar before;
    for (QChar c : Run) {
        const int unit = kanjiUnit(c);
        if (unit == 0) {
            if (kanjiDigit(before) > 0)
                digitsInARow = true;
        } else {
            if (unit >= lastUnit)
                return false;
            lastUnit = unit;
            units = true;
        }
        before = c;
    }
    return !(units && digitsInARow);
}

// The length of the word at Pos before which kanji numerals are a number:
// "丁目", "番地", "地割", "丁", "番", "号", "線", "の", "ノ" (the longer word
// first where two start alike); 0 where none starts.
qsizetype markerLength(QStringView S, qsizetype Pos)
{
    if (Pos >= S.size())
        return 0;
    const QChar next = Pos + 1 < S.size() ? S[Pos + 1] : QChar();
    switch (S[Pos].unicode()) {
    case u'丁': return next == u'目' ? 2 : 1;
    case u'番': return next == u'地' ? 2 : 1;
    case u'地': return next == u'割' ? 2 : 0;
    case u'号':
    case u'線':
    case u'の':
    case u'ノ': return 1;
    default: return 0;
    }
}

// A one-character marker "丁", "番", "の" or "ノ" at Pos followed by another
// ideograph that is neither a numeral nor a marker: the numeral before it
// may be part of a place's name, as in the towns 八丁堀, 四番町 and 三ノ輪.
// This only tells where the number starts, while the town is looked for and
// where none is found; from the number on, a numeral before a marker is
// always a number ("四番館" is 4).
bool namesAPlace(QStringView S, qsizetype Pos)
{
    if (markerLength(S, Pos) != 1 || S[Pos] == u'号' || S[Pos] == u'線' || Pos + 1 >= S.size())
        return false;
    const QChar next = S[Pos + 1];
    return next.script() == QChar::Script_Han && !isKanjiNumeral(next) && markerLength(S, Pos + 1) == 0;
}

bool isDirection(QChar c)
{
    return c == u'東' || c == u'西' || c == u'南' || c == u'北';
}

// Whether the name that starts at Pos of S, two characters of it or more,
// is also written right before Start (blanks between allowed): the digits
// from Start to Pos then stand between a town and a building named after it
// ("条南町96条南町荘", "東34条北40東34条北ハイツ").
bool sameNameAround(QStringView S, qsizetype Start, qsizetype Pos)
{
    QStringView before = S.first(Start);
    while (before.endsWith(u' '))
        before.chop(1);
    const QStringView after = S.sliced(Pos);
    for (qsizetype n = 2; n <= std::min(before.size(), after.size()); ++n)
        if (before.endsWith(after.first(n)))
            return true;
    return false;
}

// Whether the digits of S ending at Pos are part of a street's name, as
// kanji numerals there are: one or two digits before 条 ("4条", "７条", the
// street 四条 written in digits, "新町4条下る", "北1条西"), before 筋目 (the
// side streets a Kyoto designation counts, "2筋目"), or between two
// directions before the block ("南1西2", 南一条西 written short). Digits
// before anything else are a number: "4-5", "3 東入", "12番地", and a lot
// typed right before a building's or a place's name ("123山田荘", "2棟",
// "34地先", "485条里荘"), as where a town is not found. So are digits
// before a name that is written right before them too: a street is not
// named twice around a number, a town and its building are ("条南町96条南町荘").
bool digitsInAName(QStringView S, qsizetype Pos)
{
    if (Pos >= S.size())
        return false;
    qsizetype start = Pos;
    while (start > 0 && isCodeDigit(S[start - 1]))
        --start;
    if (Pos - start > 2)
        return false;
    const QChar next = S[Pos];
    bool inAName = false;
    if (next == u'条' || next == u'條')
        inAName = true;
    else if (next == u'筋')
        inAName = Pos + 1 < S.size() && S[Pos + 1] == u'目';
    else
        inAName = isDirection(next) && start > 0 && isDirection(S[start - 1]) && Pos + 1 < S.size()
                  && isCodeDigit(S[Pos + 1]);
    return inAName && !sameNameAround(S, start, Pos);
}

// Where the first number of S starts: digits that are no part of a name
// (see digitsInAName), or kanji numerals before a marker that does not name
// a place (see namesAPlace); S.size() if none.
qsizetype firstNumberIn(QStringView S)
{
    for (qsizetype i = 0; i < S.size();) {
        const QChar c = S[i];
        if (isCodeDigit(c)) {
            qsizetype j = i + 1;
            while (j < S.size() && isCodeDigit(S[j]))
                ++j;
            if (!digitsInAName(S, j))
                return i;
            i = j;
            continue;
        }
        if (!isKanjiNumeral(c)) {
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (j < S.size() && isKanjiNumeral(S[j]))
            ++j;
        if (markerLength(S, j) > 0 && !namesAPlace(S, j))
            return i;
        i = j;
    }
    return S.size();
}

// The dashes people write between the numbers of an address, besides the
// ASCII hyphen and the full-width one (whose plain form is that hyphen): the
// prolonged sound mark, the hyphen, the figure dash, the en and em dashes,
// the horizontal bar and the minus sign.
bool isDashOf(char16_t c)
{
    return c == u'ー' || c == u'‐' || c == u'‒' || c == u'−' || c == u'―' || c == u'–' || c == u'—';
}

// Stands for a character whose compatibility form is not known here.
constexpr char16_t NotPlain = 0xFFFF;

// The compatibility form of the characters addresses are mostly written in,
// where it is one character that no neighbour combines with: ASCII, kana,
// the common ideographs and the dashes stay as they are, full-width ASCII
// and the ideographic space become their half-width selves. NotPlain for
// the rest, whose text has to be normalised as a whole.
char16_t plainForm(char16_t c)
{
    if (c < 0x80 || (c >= 0x3001 && c <= 0x3007) || (c >= 0x3041 && c <= 0x3096) || (c >= 0x30A1 && c <= 0x30FE)
        || (c >= 0x4E00 && c <= 0x9FFF) || c == 0x2010 || (c >= 0x2012 && c <= 0x2015) || c == 0x2212)
        return c;
    if (c >= 0xFF01 && c <= 0xFF5E) // full-width ASCII
        return char16_t(c - 0xFEE0);
    if (c == 0x3000)
        return u' ';
    return NotPlain;
}

// Full-width digits, letters and hyphens to half width, letters in capitals,
// every blank a single space. Packed drops "&", "/", "・" and ".": they are
// not separators, "A&B" is the two letters "AB" of a building name.
class TNarrowed
{
public:
    TNarrowed(TChars &Out, bool Packed) : m_out(Out), m_packed(Packed) {}

    void add(const QString &S)
    {
        const qsizetype start = m_out.size();
        const bool lastSpace = m_lastSpace;
        for (QChar c : S) {
            const char16_t plain = plainForm(c.unicode());
            if (plain == NotPlain) {
                // Neighbours may combine ("ｶﾞ" is "ガ"): start over with
                // the text normalised as a whole.
                m_out.resize(start);
                m_lastSpace = lastSpace;
                for (QChar n : S.normalized(QString::NormalizationForm_KC))
                    addNormalized(n);
                return;
            }
            addPlain(plain);
        }
    }

private:
    // A character of the plain forms above: ASCII, kana, ideographs and
    // dashes, among which only ASCII has blanks and small letters.
    void addPlain(char16_t c)
    {
        if (c == u' ' || (c >= 0x09 && c <= 0x0D)) {
            addSpace();
            return;
        }
        m_lastSpace = false;
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - (u'a' - u'A'));
        else if (isDashOf(c))
            c = u'-';
        else if (m_packed && (c == u'&' || c == u'/' || c == u'・' || c == u'.'))
            return;
        m_out.append(QChar(c));
    }

    void addSpace()
    {
        // Blanks in a row are one blank; a dropped character between two
        // blanks still parts them, as it did before it was dropped.
        if (!m_lastSpace)
            m_out.append(u' ');
        m_lastSpace = true;
    }

    // A character of a text normalised as a whole: any character at all.
    void addNormalized(QChar c)
    {
        if (c.isSpace()) {
            addSpace();
            return;
        }
        m_lastSpace = false;
        if (isDashOf(c.unicode()) || c == u'－')
            c = u'-';
        c = c.toUpper();
        if (m_packed && (c == u'&' || c == u'/' || c == u'・' || c == u'.'))
            return;
        m_out.append(c);
    }

    TChars &m_out;
    bool m_packed;
    bool m_lastSpace = false;
};

// ---- The town in the address ---------------------------------------------------

enum class TNumeralKind : quint8 { None, Digit, Kanji };

TNumeralKind numeralKind(QChar c)
{
    return isCodeDigit(c) ? TNumeralKind::Digit : isKanjiNumeral(c) ? TNumeralKind::Kanji : TNumeralKind::None;
}

// Whether a number starts at Pos of S: a digit, or kanji numerals before a
// marker that does not name a place (see namesAPlace).
bool numberStartsAt(QStringView S, qsizetype Pos)
{
    if (Pos >= S.size())
        return false;
    if (isCodeDigit(S[Pos]))
        return true;
    qsizetype j = Pos;
    while (j < S.size() && isKanjiNumeral(S[j]))
        ++j;
    return j > Pos && markerLength(S, j) > 0 && !namesAPlace(S, j);
}

// Whether the address number follows Pos of S, blanks between allowed.
bool numberFollows(QStringView S, qsizetype Pos)
{
    while (Pos < S.size() && S[Pos] == u' ')
        ++Pos;
    return numberStartsAt(S, Pos);
}

// Whether a way of a Kyoto street designation ends right before Pos of S:
// up or down the street (上る, 下ル, 上がる) or into a side street (東入,
// 西入る, 南入).
bool wayEndsBefore(QStringView S, qsizetype Pos)
{
    static constexpr std::array<QStringView, 14> ways{u"上る", u"上ル", u"下る", u"下ル", u"上がる", u"下がる", u"上ガル",
                                                      u"下ガル", u"東入", u"西入", u"南入", u"北入", u"入る", u"入ル"};
    const QStringView before = S.first(Pos);
    return std::any_of(ways.begin(), ways.end(), [before](QStringView w) { return before.endsWith(w); });
}

// Whether S holds from From to To (the first number on) the end of a Kyoto
// street designation, whose numbers only count the streets passed (2筋目) or
// the blocks (四丁目): "2筋目東入ル", "二丁目南側", "一丁目西入三筋目上る",
// "二筋目白川筋西入二丁目南側", "4条上ル2筋目東入". A way is taken (before it or
// inside it), every numeral counts streets or blocks or names a street
// ("三条", "4条"), and it ends with a way, a side (南側), 丁目 or 筋目, blanks
// after it allowed. A number of lots or houses ("3-2-5", "12番地") is none.
bool streetDesignation(QStringView S, qsizetype From, qsizetype To)
{
    qsizetype end = To;
    while (end > From && S[end - 1] == u' ')
        --end;
    if (end == From)
        return false;
    const QStringView tail = S.first(end);
    if (!wayEndsBefore(S, end) && !tail.endsWith(u'側') && !tail.endsWith(u"丁目") && !tail.endsWith(u"筋目"))
        return false;
    qsizetype way = From;
    while (way > 0 && S[way - 1] == u' ')
        --way;
    bool wayTaken = wayEndsBefore(S, way);
    for (qsizetype i = From; i < end;) {
        const QChar c = S[i];
        const TNumeralKind kind = numeralKind(c);
        if (kind != TNumeralKind::None) {
            qsizetype j = i + 1;
            while (j < end && numeralKind(S[j]) == kind)
                ++j;
            const QStringView after = S.sliced(j);
            if (after.startsWith(u"丁目") || after.startsWith(u"筋目"))
                i = j + 2;
            else if (kind == TNumeralKind::Kanji ? markerLength(S, j) == 0 : digitsInAName(S, j))
                i = j;
            else
                return false;
            continue;
        }
        if (c == u'-' || isCodeLetter(c))
            return false;
        ++i;
        wayTaken = wayTaken || wayEndsBefore(S, i);
    }
    return wayTaken;
}

// The character a town's name is compared by: people write one sound of a
// name in several ways, as Japan Post reads them alike (市之町 typed 市ノ町,
// 霞ヶ関 for 霞が関, 山之元町 for 山ノ元町), and some ideographs in their
// old forms (櫻畠 for 桜畠). Each writing is one character, so a folded text
// keeps the places of the text it was folded from.
char16_t townFold(char16_t c)
{
    switch (c) {
    case u'之':
    case u'の':
    case u'乃': return u'ノ';
    case u'ヶ':
    case u'が':
    case u'ガ':
    case u'ヵ':
    case u'个': return u'ケ';
    case u'龜': return u'亀';
    case u'櫻': return u'桜';
    case u'澤': return u'沢';
    case u'濱': return u'浜';
    case u'邊':
    case u'邉': return u'辺';
    case u'嶋':
    case u'嶌': return u'島';
    case u'髙': return u'高';
    case u'﨑': return u'崎';
    case u'條': return u'条';
    case u'廣': return u'広';
    case u'國': return u'国';
    case u'藏': return u'蔵';
    case u'槇': return u'槙';
    case u'瀨': return u'瀬';
    default: return c;
    }
}

void foldForTown(TChars &S)
{
    for (QChar &c : S)
        c = QChar(townFold(c.unicode()));
}

// A text cut into the pieces a town is compared by: a run of numerals of one
// kind with its value, or one other character. Blanks part runs and are no
// pieces. Comparing numerals by value finds a town the dictionary writes in
// kanji numerals written in digits ("北1条西" for "北一条西", "二十四軒2条"
// for "二十四軒二条", "１２" for "十二"), and only as whole numerals: the
// "2" of "二" is not the first digit of "2258".
class TPieces
{
public:
    explicit TPieces(QStringView S) : m_text(S)
    {
        for (qsizetype i = 0; i < S.size();) {
            const TNumeralKind kind = numeralKind(S[i]);
            if (S[i] == u' ') {
                ++i;
                continue;
            }
            qsizetype j = i + 1;
            TPiece piece{i, i + 1, m_values.size(), m_values.size()};
            if (kind != TNumeralKind::None) {
                while (j < S.size() && numeralKind(S[j]) == kind)
                    ++j;
                if (kind == TNumeralKind::Digit)
                    m_values.append(S.data() + i, j - i);
                else if (isOneKanjiNumber(S.mid(i, j - i)))
                    appendKanjiNumber(S.mid(i, j - i), m_values);
                else // two numbers run together: no value that a town's could be
                    m_values.append(u'-');
                // "〇五" and "05" are 5, as "五" is.
                qsizetype first = piece.ValueFrom;
                while (first + 1 < m_values.size() && m_values[first] == u'0')
                    ++first;
                m_values.erase(m_values.begin() + piece.ValueFrom, m_values.begin() + first);
                piece.End = j;
                piece.ValueTo = m_values.size();
            }
            m_pieces.append(piece);
            i = j;
        }
    }

    qsizetype size() const { return m_pieces.size(); }
    qsizetype start(qsizetype I) const { return m_pieces[I].Start; }
    qsizetype end(qsizetype I) const { return m_pieces[I].End; }
    bool isNumeral(qsizetype I) const { return m_pieces[I].ValueTo > m_pieces[I].ValueFrom; }
    bool allNumerals() const
    {
        return std::all_of(m_pieces.begin(), m_pieces.end(), [](const TPiece &p) { return p.ValueTo > p.ValueFrom; });
    }

    bool same(qsizetype I, const TPieces &Other, qsizetype J) const
    {
        const TPiece &a = m_pieces[I];
        const TPiece &b = Other.m_pieces[J];
        if (isNumeral(I) != Other.isNumeral(J))
            return false;
        if (!isNumeral(I))
            return m_text[a.Start] == Other.m_text[b.Start];
        return QStringView(m_values.constData() + a.ValueFrom, a.ValueTo - a.ValueFrom)
               == QStringView(Other.m_values.constData() + b.ValueFrom, b.ValueTo - b.ValueFrom);
    }

private:
    struct TPiece {
        qsizetype Start; // in the text
        qsizetype End;
        qsizetype ValueFrom; // the numeral's value in m_values, empty for a character
        qsizetype ValueTo;
    };
    QStringView m_text;
    QVarLengthArray<TPiece, 96> m_pieces;
    TChars m_values;
};

// Where a town stands in the address: [Start, End) of the narrowed text.
struct TMention {
    qsizetype Start;
    qsizetype End;
};

// Where the address number starts in S (narrowed, blanks single, its first
// number at FirstNumber): the end of the town, or 0 when no town is found.
//
// The town is the one of its mentions the number follows. A city may hold
// its town's name ("中央区中央1-1"), and a building may be named after its
// town ("霞が関コーポ" after "霞が関一丁目二番三号", "霞が関ビル" after a town
// written "霞ヶ関3-2-5"): so the town is its last mention before the first
// number. But the town may come after a street designation that holds
// numbers of its own ("堀川通寺之内上る4丁目天神北町1番地の1",
// "室町三条上る2筋目東入ル六角猪熊町337番地" in Kyoto), whose street may bear
// the town's name ("新町通四条東入2丁目新町35"), and the town's own name may
// hold a numeral ("上ル3筋目東入ル 六丁目933番地"): a mention right after
// such a designation, which the number follows at once, is the town.
// A building's name after the number is neither ("霞ヶ関3-2-5 霞が関ビル12階",
// "霞ヶ関3-2-5 霞が関101号室"), nor a town that is a block number itself met
// again in the number ("三丁目3丁目2番5号").
qsizetype townEndIn(QStringView S, qsizetype FirstNumber, const QStringList &TownNames)
{
    if (TownNames.isEmpty())
        return 0;
    // The town is looked for in the writings people use for it; blanks do
    // not count when it is looked for by its letters.
    TChars folded(S.begin(), S.end());
    foldForTown(folded);
    // People write "第" before a numbered part the dictionary writes without
    // it ("杉名畑第44地割" for "杉名畑４４地割"): for such a town it counts as
    // a blank.
    TChars foldedOrdinal(folded);
    for (qsizetype i = 0; i + 1 < foldedOrdinal.size(); ++i)
        if (foldedOrdinal[i] == u'第' && numeralKind(foldedOrdinal[i + 1]) != TNumeralKind::None)
            foldedOrdinal[i] = u' ';
    struct TPacked {
        TChars Text;
        QVarLengthArray<qsizetype, 96> Origin;
    };
    auto packedOf = [](const TChars &F) {
        TPacked p;
        for (qsizetype i = 0; i < F.size(); ++i)
            if (F[i] != u' ') {
                p.Text.append(F[i]);
                p.Origin.append(i);
            }
        return p;
    };
    // Read a second way only where a 第 was typed so.
    const bool ordinalTyped = foldedOrdinal != folded;
    const TPacked asWritten = packedOf(folded);
    const TPacked withoutOrdinal = ordinalTyped ? packedOf(foldedOrdinal) : TPacked{};
    const TPieces piecesAsWritten(viewOf(folded));
    const std::optional<TPieces> piecesWithoutOrdinal =
        ordinalTyped ? std::optional<TPieces>(TPieces(viewOf(foldedOrdinal))) : std::nullopt;
    qsizetype beforeEnd = 0;
    std::optional<TMention> after;
    for (const QString &town : TownNames) {
        TChars t;
        TNarrowed(t, true).add(town);
        t.erase(std::remove(t.begin(), t.end(), QChar(u' ')), t.end());
        foldForTown(t);
        if (t.isEmpty())
            continue;
        const QStringView name = viewOf(t);
        const bool asTyped = !ordinalTyped || name.contains(u'第');
        const TChars &packed = asTyped ? asWritten.Text : withoutOrdinal.Text;
        const auto &origin = asTyped ? asWritten.Origin : withoutOrdinal.Origin;
        const TPieces &pieces = asTyped ? piecesAsWritten : *piecesWithoutOrdinal;
        const TPieces townPieces(name);
        QVarLengthArray<TMention, 8> found;
        // Written as the dictionary writes it. Such a mention may end inside
        // a run of numerals: the number may follow the town's own numeral
        // without a blank ("浦臼第１12番地", "十二十二番地"). It starts where a
        // numeral starts, though: the "十三" of "二十三番地" is no town.
        for (qsizetype at = viewOf(packed).indexOf(name); at >= 0; at = viewOf(packed).indexOf(name, at + 1)) {
            const qsizetype start = origin[at];
            const TNumeralKind kind = numeralKind(S[start]);
            if (kind != TNumeralKind::None && start > 0 && numeralKind(S[start - 1]) == kind)
                continue;
            found.append({start, origin[at + name.size() - 1] + 1});
        }
        // Its numerals written otherwise, compared by value.
        for (qsizetype i = 0; i + townPieces.size() <= pieces.size(); ++i) {
            qsizetype k = 0;
            while (k < townPieces.size() && pieces.same(i + k, townPieces, k))
                ++k;
            if (k == townPieces.size())
                found.append({pieces.start(i), pieces.end(i + k - 1)});
        }
        if (found.isEmpty())
            continue;
        std::sort(found.begin(), found.end(), [](const TMention &a, const TMention &b) {
            return a.Start != b.Start ? a.Start < b.Start : a.End < b.End;
        });
        // A town named by numerals alone ("十二") met again where a number
        // starts is that number: "十二 12番地" and "十二　十二番地" are lot 12
        // of the town 十二.
        const bool numerals = townPieces.allNumerals();
        for (qsizetype m = 0; m < found.size(); ++m) {
            const TMention &mention = found[m];
            if (m > 0 && numerals && found[m].Start != found[0].Start && numberStartsAt(S, mention.Start))
                continue;
            // A mention right after digits is a building named after the
            // town, the number before it ("本町123本町荘").
            if (mention.Start > 0 && isCodeDigit(S[mention.Start - 1]))
                continue;
            // A town may start with the first number itself ("八丁目").
            if (mention.Start <= FirstNumber) {
                beforeEnd = std::max(beforeEnd, mention.End);
            } else if (streetDesignation(S, FirstNumber, mention.Start) && numberFollows(S, mention.End)) {
                if (!after || mention.Start < after->Start
                    || (mention.Start == after->Start && mention.End > after->End))
                    after = mention;
            }
        }
    }
    if (after)
        return after->End;
    return beforeEnd;
}

// The address number of Address onto Out; see AddressNumberOf.
void appendAddressNumber(const QString &Address, const QStringList &TownNames, TChars &Out)
{
    TChars s;
    TNarrowed(s, true).add(Address);

    // What the dictionary names as the town may hold numerals of its own
    // ("三田", "十二ケ村", "北一条西"); the number starts after it.
    const qsizetype firstNumber = firstNumberIn(viewOf(s));
    const qsizetype from = townEndIn(viewOf(s), firstNumber, TownNames);
    const QStringView rest = viewOf(s).mid(from);
    // Without the town, a numeral before the first number belongs to a
    // place's name ("四番町", "八丁堀").
    const qsizetype numbersFrom = from > 0 ? 0 : firstNumber;

    // Kanji numerals are a number only before a marker ("十一丁目",
    // "百一番地", "五〇一号室", "四番館"); anywhere else they are text like
    // any other ideograph ("三井ビル", and "四" at the end of "十五番の四").
    TChars converted;
    for (qsizetype i = 0; i < rest.size();) {
        if (isKanjiNumeral(rest[i])) {
            qsizetype j = i + 1;
            while (j < rest.size() && isKanjiNumeral(rest[j]))
                ++j;
            if (i >= numbersFrom && markerLength(rest, j) > 0)
                appendKanjiNumber(rest.mid(i, j - i), converted);
            else
                converted.append(rest.data() + i, j - i);
            i = j;
        } else if (i < numbersFrom && numbersFrom < rest.size() && isCodeDigit(rest[i])) {
            // Without the town, digits before the first number are part of
            // a name, as kanji numerals there are ("新町4条下る" as
            // "新町四条下る"): they part the text and are no number. Where
            // no number follows ("123地先"), they are the number.
            converted.append(u'・');
            ++i;
        } else {
            converted.append(rest[i++]);
        }
    }

    // Digits, "-" and single letters are kept; everything else, two or more
    // letters in a row and a floor "F" after a number separate.
    TChars out;
    auto separate = [&out] {
        if (!out.isEmpty() && out.back() != u'-')
            out.append(u'-');
    };
    const QStringView text = viewOf(converted);
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (isCodeDigit(c)) {
            out.append(c);
            ++i;
        } else if (isCodeLetter(c)) {
            qsizetype j = i;
            while (j < text.size() && isCodeLetter(text[j]))
                ++j;
            const bool floor = c == u'F' && j == i + 1 && i > 0 && isCodeDigit(text[i - 1]);
            if (j == i + 1 && !floor)
                out.append(c);
            else
                separate();
            i = j;
        } else {
            separate();
            ++i;
        }
    }
    // A letter joins its neighbours without hyphens ("5-B604" is "5B604").
    const qsizetype start = Out.size();
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i] == u'-'
            && ((i > 0 && isCodeLetter(out[i - 1])) || (i + 1 < out.size() && isCodeLetter(out[i + 1]))))
            continue;
        Out.append(out[i]);
    }
    while (Out.size() > start && Out.back() == u'-')
        Out.removeLast();
}

// The code characters of Data (see CustomerBarcodeCodes) into Codes; false
// when Data is refused.
bool codesOf(QStringView Data, std::array<quint8, CodeLength> &Codes)
{
    if (Data.isEmpty())
        return false;
    int count = 0;
    for (QChar c : Data) {
        // A digit or the hyphen is one code, a letter a control code and one.
        std::array<quint8, 2> pair{};
        int size = 2;
        if (isCodeDigit(c)) {
            pair[0] = quint8(c.unicode() - u'0');
            size = 1;
        } else if (c == u'-') {
            pair[0] = PostHyphen;
            size = 1;
        } else if (c >= u'A' && c <= u'J') {
            pair = {PostCC1, quint8(c.unicode() - u'A')};
        } else if (c >= u'K' && c <= u'T') {
            pair = {PostCC2, quint8(c.unicode() - u'K')};
        } else if (c >= u'U' && c <= u'Z') {
            pair = {PostCC3, quint8(c.unicode() - u'U')};
        } else {
            return false;
        }
        // Past the twentieth place nothing is kept; a letter whose control
        // code takes the twentieth keeps that control code alone.
        for (int k = 0; k < size; ++k)
            if (count < CodeCharacters)
                Codes[size_t(count++)] = pair[size_t(k)];
    }
    while (count < CodeCharacters)
        Codes[size_t(count++)] = PostCC4;
    // The check character makes the sum of all values a multiple of 19.
    int sum = 0;
    for (int i = 0; i < CodeCharacters; ++i)
        sum += Codes[size_t(i)];
    Codes[CodeCharacters] = quint8((19 - sum % 19) % 19);
    return true;
}

// The bars of Data into Bars, in place so that a list used before keeps its
// room; Bars is emptied when Data is refused.
void encodeInto(QStringView Data, QList<TPostBar> &Bars)
{
    std::array<quint8, CodeLength> codes{};
    if (!codesOf(Data, codes)) {
        Bars.clear();
        return;
    }
    constexpr TPostBar L = TPostBar::Long, A = TPostBar::Ascender, D = TPostBar::Descender, T = TPostBar::Tracker;
    // Three bars a character, by value: the digits 0 to 9, the hyphen and
    // the control codes CC1 to CC8.
    static constexpr std::array<std::array<TPostBar, 3>, 19> patterns{{
        {L, T, T}, {L, L, T}, {L, D, A}, {D, L, A}, {L, A, D}, {L, T, L}, {D, A, L}, {A, L, D}, {A, D, L}, {T, L, L},
        {T, L, T}, {D, A, T}, {D, T, A}, {A, D, T}, {T, D, A}, {A, T, D}, {T, A, D}, {T, T, L}, {L, L, L},
    }};
    Bars.resize(BarCount);
    TPostBar *bar = Bars.data();
    *bar++ = L;
    *bar++ = D;
    for (quint8 code : codes)
        bar = std::copy(patterns[code].begin(), patterns[code].end(), bar);
    *bar++ = D;
    *bar = L;
}

// The page rectangle moved as far as its screen rectangle moved from Was to
// Now (the size kept); nothing at zoom 0.
std::optional<TPageRect> movedWithScreen(const TPageRect &Page, const TScreenRect &Was, const TScreenRect &Now,
                                         double Zoom)
{
    if (Zoom == 0.0)
        return std::nullopt;
    const auto dx = qint32(RoundHalfAway((Now.Left - Was.Left) / static_cast<long double>(Zoom)));
    const auto dy = qint32(RoundHalfAway((Now.Top - Was.Top) / static_cast<long double>(Zoom)));
    return TPageRect{Page.Left + dx, Page.Top + dy, Page.Right + dx, Page.Bottom + dy};
}

} // namespace

QString AddressNumberOf(const QString &Address, const QStringList &TownNames)
{
    TChars number;
    appendAddressNumber(Address, TownNames, number);
    return QString(number.constData(), number.size());
}

QString CustomerBarcodeData(const QString &Postcode, const QString &Address, const QStringList &TownNames)
{
    TChars narrowedPostcode;
    TNarrowed(narrowedPostcode, false).add(Postcode);
    TChars code;
    for (QChar c : narrowedPostcode)
        if (isCodeDigit(c))
            code.append(c);
    if (code.size() != 7)
        return {};
    TChars number;
    appendAddressNumber(Address, TownNames, number);
    int used = 7;
    // Cut at the twentieth code character as it falls: a hyphen there is
    // part of the code, and so is a letter whose control code falls there
    // (the bars then keep the control code alone).
    for (QChar c : number) {
        const int cost = isCodeLetter(c) ? 2 : 1;
        if (used + cost > CodeCharacters) {
            if (used < CodeCharacters)
                code.append(c);
            break;
        }
        code.append(c);
        used += cost;
    }
    return QString(code.constData(), code.size());
}

QString CustomerBarcodeData(const QString &Postcode, const QString &Address, const TPostcodeTowns &Towns)
{
    // A representative number does not tell the town: no customer barcode
    // is given for it.
    if (Towns.Representative)
        return {};
    // A large office's or a post-office box's own postcode names the
    // addressee by itself: its code carries the postcode alone.
    if (Towns.OwnNumber)
        return CustomerBarcodeData(Postcode, QString(), QStringList());
    return CustomerBarcodeData(Postcode, Address, Towns.Towns);
}

QList<quint8> CustomerBarcodeCodes(const QString &Data)
{
    std::array<quint8, CodeLength> codes{};
    if (!codesOf(Data, codes))
        return {};
    return QList<quint8>(codes.begin(), codes.end());
}

QList<TPostBar> EncodeCustomerBarcode(const QString &Data)
{
    QList<TPostBar> bars;
    encodeInto(Data, bars);
    return bars;
}

qint32 BarcodeBarHeight(int SizeIndex)
{
    return qint32(RoundHalfAway(BarcodePoints.at(std::clamp(SizeIndex, 0, 3)) * 96.0L / 72.0L));
}

qint32 BarcodeLength(int SizeIndex)
{
    return qint32(RoundHalfAway(BarcodeBarHeight(SizeIndex) * LengthFactor));
}

bool BarcodeSizeForLength(int Length, int &SizeIndex)
{
    bool result = false;
    for (int i = 0; i < int(BarcodePoints.size()); ++i) {
        const long double h = BarcodeBarHeight(i);
        const auto needed = static_cast<qint64>(std::ceil(h / 96.0L * 254.0L * LengthFactor));
        if (needed >= Length)
            break;
        SizeIndex = i;
        result = true;
    }
    return result;
}

// ---- TBarcodeRect ------------------------------------------------------------

TItemCursor TBarcodeRect::GetCursor(int, int) const
{
    return TItemCursor::Default;
}

void TBarcodeRect::Assign(const TDrawRect &Source)
{
    if (const auto *other = dynamic_cast<const TBarcodeRect *>(&Source)) {
        m_sizeIndex = other->m_sizeIndex;
        m_horizontal = other->m_horizontal;
    }
    TDrawRect::Assign(Source);
}

void TBarcodeRect::SetRect(const TPageRect &R)
{
    TPageRect r = R;
    if (!m_keepRect) {
        const qint32 h = BarcodeBarHeight(m_sizeIndex);
        const qint32 l = BarcodeLength(m_sizeIndex);
        r.Right = r.Left + (m_horizontal ? l : h);
        r.Bottom = r.Top + (m_horizontal ? h : l);
    }
    m_keepRect = false;
    TDrawRect::SetRect(r);
}

void TBarcodeRect::SetDispRect(const TScreenRect &R)
{
    const std::optional<TPageRect> moved = movedWithScreen(m_rect, m_dispRect, R, m_zoom);
    if (!moved)
        return;
    m_keepRect = true;
    SetRect(*moved);
}

void TBarcodeRect::SetBarSize(int Index)
{
    Index = std::clamp(Index, 0, 3);
    if (Index == m_sizeIndex)
        return;
    m_sizeIndex = Index;
    const qint32 h = BarcodeBarHeight(Index);
    const qint32 l = BarcodeLength(Index);
    const qint32 w = m_horizontal ? l : h;
    const qint32 hh = m_horizontal ? h : l;
    const qint32 top = m_rect.Top + (m_rect.height() - hh) / 2;
    const qint32 left = m_rect.Left + (m_rect.width() - w) / 2;
    m_keepRect = true;
    SetRect({left, top, left + w, top + hh});
}

void TBarcodeRect::RenderCustomerBarcode(const QString &Postcode, const QString &Address, const TTownNameLookup &Towns)
{
    const TPostcodeTowns towns = Towns ? Towns(Postcode) : TPostcodeTowns();
    encodeInto(CustomerBarcodeData(Postcode, Address, towns), m_bars);
}

void TBarcodeRect::Rotate180()
{
    QList<TPostBar> turned;
    turned.reserve(m_bars.size());
    for (auto it = m_bars.crbegin(); it != m_bars.crend(); ++it) {
        // Upside down an ascender reaches below the tracker.
        const auto b = quint8(*it);
        turned.append(TPostBar(((b & 1) << 1) | ((b & 2) >> 1)));
    }
    m_bars = turned;
}

void TBarcodeRect::drawBars(QPainter &Canvas, double Left, double Top, double Width, double Height) const
{
    if (m_bars.isEmpty())
        return;
    // Japan Post proportions: bars and gaps of equal width.
    const double along = m_horizontal ? Width : Height;
    const double across = m_horizontal ? Height : Width;
    const double module = along / double(2 * m_bars.size() - 1);
    if (module <= 0 || across <= 0)
        return;
    // The bars are drawn in a frame of one module along the code and one
    // third of it across, where each bar is a rectangle of whole units, and
    // all in one fill: a PDF page then holds short integers and one fill
    // operator for the code instead of long fractions and one per bar.
    // A vertical code is the horizontal one turned clockwise, so its upper
    // edge lies right: across runs from the right edge leftwards.
    // The tracker is the middle third of a long bar, ascenders and
    // descenders two thirds: where each kind of bar starts across the code
    // and how far it reaches, by its value.
    static constexpr std::array<double, 4> starts{1, 0, 1, 0};
    static constexpr std::array<double, 4> spans{1, 2, 2, 3};
    QVarLengthArray<QRectF, BarCount> bars(m_bars.size());
    QRectF *bar = bars.data();
    double at = 0;
    for (TPostBar b : m_bars) {
        const auto k = size_t(b);
        *bar++ = m_horizontal ? QRectF(at, starts[k], 1, spans[k]) : QRectF(starts[k], at, spans[k], 1);
        at += 2;
    }
    // Only the transform, pen and brush change, and they are given back
    // one by one: saving and restoring the whole painter would write every
    // part of its state out again on a PDF page, for every code printed.
    const QTransform before = Canvas.transform();
    const QPen pen = Canvas.pen();
    const QBrush brush = Canvas.brush();
    QTransform frame = before;
    if (m_horizontal) {
        frame.translate(Left, Top);
        frame.scale(module, across / 3.0);
    } else {
        frame.translate(Left + Width, Top);
        frame.scale(-across / 3.0, module);
    }
    Canvas.setTransform(frame);
    Canvas.setPen(Qt::NoPen);
    Canvas.setBrush(Qt::black);
    Canvas.drawRects(bars.constData(), int(bars.size()));
    Canvas.setTransform(before);
    Canvas.setPen(pen);
    Canvas.setBrush(brush);
}

void TBarcodeRect::Draw(QPainter &Canvas, int X, int Y)
{
    drawBars(Canvas, m_dispRect.Left + X, m_dispRect.Top + Y, m_dispRect.width(), m_dispRect.height());
}

void TBarcodeRect::Print(QPainter &Canvas, int X, int Y)
{
    drawBars(Canvas, m_printRect.Left + X, m_printRect.Top + Y, m_printRect.width(), m_printRect.height());
}

void TBarcodeRect::LoadFromStream(TItemReader &Stream)
{
    // The stored rectangle is taken as it stands: the size fields follow it.
    m_keepRect = true;
    TDrawRect::LoadFromStream(Stream);
    m_keepRect = false;
    if (!Stream.hasVersion(200))
        SetVisible(Stream.readFlag());
    const quint8 size = Stream.readByte();
    // A size outside the table is damage; the nearest size keeps the item usable.
    m_sizeIndex = std::min<int>(size, 3);
    m_horizontal = Stream.readFlag();
}

void TBarcodeRect::SaveToStream(TItemWriter &Stream) const
{
    TDrawRect::SaveToStream(Stream);
    Stream.writeByte(quint8(m_sizeIndex));
    Stream.writeFlag(m_horizontal);
}

// ---- QR code -----------------------------------------------------------------

QString EscapeQRField(const QString &S, bool IsName)
{
    QString r = S;
    r.replace(u'\\', QStringLiteral("\\\\"));
    r.replace(u':', QStringLiteral("\\:"));
    r.replace(u';', QStringLiteral("\\;"));
    if (IsName)
        r.replace(u',', QStringLiteral("\\,"));
    return r;
}

TItemCursor TQRCodeRect::GetCursor(int, int) const
{
    return TItemCursor::Default;
}

void TQRCodeRect::Assign(const TDrawRect &Source)
{
    TDrawRect::Assign(Source);
    if (const auto *o = dynamic_cast<const TQRCodeRect *>(&Source)) {
        m_cellPitch = o->m_cellPitch;
        m_darkColor = o->m_darkColor;
        m_lightColor = o->m_lightColor;
        m_kind = o->m_kind;
        m_text = o->m_text;
        m_name = o->m_name;
        m_kana = o->m_kana;
        m_tel = o->m_tel;
        m_mail = o->m_mail;
        m_memo = o->m_memo;
        m_mailTo = o->m_mailTo;
        m_subject = o->m_subject;
        m_body = o->m_body;
    }
    m_modules.clear();
    m_valid = false;
}

void TQRCodeRect::SetRect(const TPageRect &R)
{
    TPageRect r = R;
    if (!m_keepRect) {
        r.Right = r.Left + m_rect.width();
        r.Bottom = r.Top + m_rect.height();
    }
    m_keepRect = false;
    TDrawRect::SetRect(r);
}

void TQRCodeRect::SetDispRect(const TScreenRect &R)
{
    const std::optional<TPageRect> moved = movedWithScreen(m_rect, m_dispRect, R, m_zoom);
    if (!moved)
        return;
    m_keepRect = true;
    SetRect(*moved);
}

void TQRCodeRect::SetQRKind(TQRKind Value)
{
    if (quint8(Value) > quint8(TQRKind::MailSoftBank) || Value == m_kind)
        return;
    m_kind = Value;
    m_valid = false;
}

void TQRCodeRect::SetCellPitch(qint32 Value)
{
    Value = std::clamp(Value, MinCellPitch, MaxCellPitch);
    if (Value == m_cellPitch)
        return;
    m_cellPitch = Value;
    m_valid = false;
}

void TQRCodeRect::SetDarkColor(TColor Value)
{
    if (Value != m_darkColor) {
        m_darkColor = Value;
        m_valid = false;
    }
}

void TQRCodeRect::SetLightColor(TColor Value)
{
    if (Value != m_lightColor) {
        m_lightColor = Value;
        m_valid = false;
    }
}

void TQRCodeRect::SetTurned(bool Value)
{
    if (Value != m_turned) {
        m_turned = Value;
        m_valid = false;
    }
}

void TQRCodeRect::SetText(const QString &Value)
{
    if (Value == m_text)
        return;
    m_text = Value;
    if (m_kind == TQRKind::Text)
        m_valid = false;
}

void TQRCodeRect::setPhoneField(QString &Field, const QString &Value)
{
    if (Value == Field)
        return;
    Field = Value;
    if (m_kind == TQRKind::PhoneDocomo || m_kind == TQRKind::PhoneSoftBank)
        m_valid = false;
}

void TQRCodeRect::setMailField(QString &Field, const QString &Value)
{
    if (Value == Field)
        return;
    Field = Value;
    if (m_kind == TQRKind::MailDocomo || m_kind == TQRKind::MailSoftBank)
        m_valid = false;
}

void TQRCodeRect::SetName(const QString &Value) { setPhoneField(m_name, Value); }
void TQRCodeRect::SetKana(const QString &Value) { setPhoneField(m_kana, Value); }
void TQRCodeRect::SetTel(int Index, const QString &Value) { setPhoneField(m_tel.at(Index & 1), Value); }
void TQRCodeRect::SetMail(int Index, const QString &Value) { setPhoneField(m_mail.at(Index & 1), Value); }
void TQRCodeRect::SetMemo(const QString &Value) { setPhoneField(m_memo, Value); }
void TQRCodeRect::SetMailTo(const QString &Value) { setMailField(m_mailTo, Value); }
void TQRCodeRect::SetSubject(const QString &Value) { setMailField(m_subject, Value); }
void TQRCodeRect::SetBody(const QString &Value) { setMailField(m_body, Value); }

QString TQRCodeRect::BuildQRPayload() const
{
    const QString crlf = QStringLiteral("\r\n");
    QString d;
    auto part = [&d](const QString &Key, const QString &Field, const QString &Value, const QString &End) {
        if (!Field.isEmpty())
            d += Key + Value + End;
    };
    switch (m_kind) {
    case TQRKind::Text:
        d = m_text;
        break;
    case TQRKind::PhoneDocomo: {
        const QString sc = QStringLiteral(";");
        part(QStringLiteral("N:"), m_name, EscapeQRField(m_name, true), sc);
        part(QStringLiteral("SOUND:"), m_kana, EscapeQRField(m_kana, true), sc);
        for (const QString &t : m_tel)
            part(QStringLiteral("TEL:"), t, EscapeQRField(t, false), sc);
        for (const QString &m : m_mail)
            part(QStringLiteral("EMAIL:"), m, EscapeQRField(m, false), sc);
        part(QStringLiteral("NOTE:"), m_memo, EscapeQRField(m_memo, false), sc);
        if (!d.isEmpty())
            d = QStringLiteral("MECARD:") + d + sc;
        break;
    }
    case TQRKind::PhoneSoftBank:
        part(QStringLiteral("NAME1:"), m_name, m_name, crlf);
        part(QStringLiteral("NAME2:"), m_kana, m_kana, crlf);
        part(QStringLiteral("TEL1:"), m_tel[0], m_tel[0], crlf);
        part(m_tel[0].isEmpty() ? QStringLiteral("TEL1:") : QStringLiteral("TEL2:"), m_tel[1], m_tel[1], crlf);
        part(QStringLiteral("MAIL1:"), m_mail[0], m_mail[0], crlf);
        part(m_mail[0].isEmpty() ? QStringLiteral("MAIL1:") : QStringLiteral("MAIL2:"), m_mail[1], m_mail[1], crlf);
        if (!d.isEmpty())
            d = QStringLiteral("MEMORY:") + m_memo + crlf + d;
        break;
    case TQRKind::MailDocomo: {
        const QString sc = QStringLiteral(";");
        part(QStringLiteral("TO:"), m_mailTo, EscapeQRField(m_mailTo, false), sc);
        part(QStringLiteral("SUB:"), m_subject, EscapeQRField(m_subject, false), sc);
        part(QStringLiteral("BODY:"), m_body, EscapeQRField(m_body, false), sc);
        if (!d.isEmpty())
            d = QStringLiteral("MATMSG:") + d + sc;
        break;
    }
    case TQRKind::MailSoftBank:
        if (!m_mailTo.isEmpty()) {
            d = QStringLiteral("MAILTO:") + m_mailTo + crlf;
            part(QStringLiteral("BODY:"), m_body, m_body, crlf);
            part(QStringLiteral("SUBJECT:"), m_subject, m_subject, crlf);
        }
        break;
    }
    return d;
}

void TQRCodeRect::Rebuild(bool Force)
{
    if (Force || !m_valid)
        render();
}

void TQRCodeRect::render()
{
    m_modules.clear();
    const QByteArray data = Cp932::encode(BuildQRPayload());
    // Phones read kanji from Shift-JIS; Kanji mode packs those pairs.
    m_modules = QrEncodeModules(data, EQrMode::Kanji);
    // An empty code keeps the room of the smallest symbol.
    const int width = m_modules.isEmpty() ? 21 : int(m_modules.size());
    const qint32 side = (width + 2 * QuietZone) * m_cellPitch;
    TPageRect r{m_rect.Left, m_rect.Top, m_rect.Left + side, m_rect.Top + side};
    if (m_rect.width() != 0 && m_rect.height() != 0) {
        const qint32 dx = (m_rect.width() - side) / 2;
        const qint32 dy = (m_rect.height() - side) / 2;
        r = {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
    }
    m_keepRect = true;
    // Grown near the bounds' edge it stays inside them: a layout holding
    // it must save and open again.
    SetRect(MovedIntoItemBounds(r));
    m_valid = true;
}

void TQRCodeRect::drawModules(QPainter &Canvas, double Left, double Top, double Width, double Height) const
{
    Canvas.save();
    Canvas.setPen(Qt::NoPen);
    Canvas.fillRect(QRectF(Left, Top, Width, Height), ColorToQColor(m_lightColor));
    const int n = int(m_modules.size());
    if (n > 0) {
        const double mw = Width / (n + 2 * QuietZone);
        const double mh = Height / (n + 2 * QuietZone);
        Canvas.setBrush(ColorToQColor(m_darkColor));
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                // Turned for reversed printing: the last module comes first.
                const bool dark = m_turned ? m_modules[n - 1 - y][n - 1 - x] : m_modules[y][x];
                if (dark)
                    Canvas.drawRect(QRectF(Left + (x + QuietZone) * mw, Top + (y + QuietZone) * mh, mw, mh));
            }
    }
    Canvas.restore();
}

void TQRCodeRect::Draw(QPainter &Canvas, int X, int Y)
{
    Rebuild(false);
    drawModules(Canvas, m_dispRect.Left + X, m_dispRect.Top + Y, m_dispRect.width(), m_dispRect.height());
}

void TQRCodeRect::Print(QPainter &Canvas, int X, int Y)
{
    Rebuild(false);
    drawModules(Canvas, m_printRect.Left + X, m_printRect.Top + Y, m_printRect.width(), m_printRect.height());
}

void TQRCodeRect::LoadFromStream(TItemReader &Stream)
{
    m_keepRect = true;
    TDrawRect::LoadFromStream(Stream);
    m_keepRect = false;
    // A module size outside what the settings offer is damage; clamp it.
    m_cellPitch = std::clamp(Stream.readInt32(), MinCellPitch, MaxCellPitch);
    m_darkColor = Stream.readInt32();
    m_lightColor = Stream.readInt32();
    m_kind = TQRKind(std::min<quint8>(Stream.readByte(), quint8(TQRKind::MailSoftBank)));
    m_text = Stream.readXorString();
    m_name = Stream.readXorString();
    m_kana = Stream.readXorString();
    m_tel[0] = Stream.readXorString();
    m_tel[1] = Stream.readXorString();
    m_mail[0] = Stream.readXorString();
    m_mail[1] = Stream.readXorString();
    m_memo = Stream.readXorString();
    m_mailTo = Stream.readXorString();
    m_subject = Stream.readXorString();
    m_body = Stream.readXorString();
    m_turned = Stream.hasVersion(301) ? Stream.readFlag() : false;
    m_modules.clear();
    m_valid = false;
}

void TQRCodeRect::SaveToStream(TItemWriter &Stream) const
{
    TDrawRect::SaveToStream(Stream);
    Stream.writeInt32(m_cellPitch);
    Stream.writeInt32(m_darkColor);
    Stream.writeInt32(m_lightColor);
    Stream.writeByte(quint8(m_kind));
    for (const QString *s : {&m_text, &m_name, &m_kana, &m_tel[0], &m_tel[1], &m_mail[0], &m_mail[1], &m_memo,
                             &m_mailTo, &m_subject, &m_body})
        Stream.writeXorString(*s);
    Stream.writeFlag(m_turned);
}
