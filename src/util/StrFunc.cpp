#include "util/StrFunc.h"

#include "platform/Cp932.h"
#include "platform/TextLines.h"

#include <unicode/parseerr.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>

namespace {

// ---- Tables -----------------------------------------------------------------

constexpr const char16_t *kPrefectureNames[PrefectureCount] = {
    u"北海道", u"青森県", u"岩手県", u"宮城県", u"秋田県", u"山形県", u"福島県", u"茨城県",
    u"栃木県", u"群馬県", u"埼玉県", u"千葉県", u"東京都", u"神奈川県", u"新潟県", u"富山県",
    u"石川県", u"福井県", u"山梨県", u"長野県", u"岐阜県", u"静岡県", u"愛知県", u"三重県",
    u"滋賀県", u"京都府", u"大阪府", u"兵庫県", u"奈良県", u"和歌山県", u"鳥取県", u"島根県",
    u"岡山県", u"広島県", u"山口県", u"徳島県", u"香川県", u"愛媛県", u"高知県", u"福岡県",
    u"佐賀県", u"長崎県", u"熊本県", u"大分県", u"宮崎県", u"鹿児島県", u"沖縄県",
};

constexpr const char16_t *kPrefectureReadings[PrefectureCount] = {
    u"ﾎﾂｶｲﾄﾞｳ", u"ｱｵﾓﾘｹﾝ", u"ｲﾜﾃｹﾝ",   u"ﾐﾔｷﾞｹﾝ",   u"ｱｷﾀｹﾝ",   u"ﾔﾏｶﾞﾀｹﾝ", u"ﾌｸｼﾏｹﾝ",
    u"ｲﾊﾞﾗｷｹﾝ", u"ﾄﾁｷﾞｹﾝ", u"ｸﾞﾝﾏｹﾝ",  u"ｻｲﾀﾏｹﾝ",   u"ﾁﾊﾞｹﾝ",   u"ﾄｳｷﾖｳﾄ",  u"ｶﾅｶﾞﾜｹﾝ",
    u"ﾆｲｶﾞﾀｹﾝ", u"ﾄﾔﾏｹﾝ",  u"ｲｼｶﾜｹﾝ",  u"ﾌｸｲｹﾝ",    u"ﾔﾏﾅｼｹﾝ",  u"ﾅｶﾞﾉｹﾝ",  u"ｷﾞﾌｹﾝ",
    u"ｼｽﾞｵｶｹﾝ", u"ｱｲﾁｹﾝ",  u"ﾐｴｹﾝ",    u"ｼｶﾞｹﾝ",    u"ｷﾖｳﾄﾌ",   u"ｵｵｻｶﾌ",   u"ﾋﾖｳｺﾞｹﾝ",
    u"ﾅﾗｹﾝ",    u"ﾜｶﾔﾏｹﾝ", u"ﾄﾂﾄﾘｹﾝ",  u"ｼﾏﾈｹﾝ",    u"ｵｶﾔﾏｹﾝ",  u"ﾋﾛｼﾏｹﾝ",  u"ﾔﾏｸﾞﾁｹﾝ",
    u"ﾄｸｼﾏｹﾝ",  u"ｶｶﾞﾜｹﾝ", u"ｴﾋﾒｹﾝ",   u"ｺｳﾁｹﾝ",    u"ﾌｸｵｶｹﾝ",  u"ｻｶﾞｹﾝ",   u"ﾅｶﾞｻｷｹﾝ",
    u"ｸﾏﾓﾄｹﾝ",  u"ｵｵｲﾀｹﾝ", u"ﾐﾔｻﾞｷｹﾝ", u"ｶｺﾞｼﾏｹﾝ", u"ｵｷﾅﾜｹﾝ",
};

struct CompanyTypeText {
    const char16_t *fullName;
    char16_t letter; // the one-letter abbreviation
};

constexpr CompanyTypeText kCompanyTypes[CompanyTypeCount] = {
    {u"株式会社", u'株'}, {u"有限会社", u'有'}, {u"合資会社", u'資'},
    {u"合名会社", u'名'}, {u"相互会社", u'相'}, {u"財団法人", u'財'},
    {u"社団法人", u'社'}, {u"宗教法人", u'宗'}, {u"学校法人", u'学'},
};

QList<QByteArray> encodeAll(const char16_t *const *texts, int count)
{
    QList<QByteArray> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i)
        out.append(Cp932::encode(QStringView(texts[i])));
    return out;
}

// ---- Code page 932 scanning ---------------------------------------------------

// Byte length of the character starting at i (a lone lead byte at the end
// counts as one character, as Cp932::isLeadByteAt sees it).
qsizetype charLength(QByteArrayView text, qsizetype i)
{
    return (Cp932::isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
}

// Offset of the first occurrence of sub in text that starts on a character,
// or -1. text must itself start on a character.
qsizetype indexOfChar(QByteArrayView text, QByteArrayView sub)
{
    if (sub.isEmpty())
        return -1;
    for (qsizetype i = 0; i + sub.size() <= text.size(); i += charLength(text, i)) {
        if (text.sliced(i, sub.size()) == sub)
            return i;
    }
    return -1;
}

bool splitByTable(QByteArrayView address, const QList<QByteArray> &names, QByteArray &prefecture,
                  QByteArray &rest)
{
    for (const QByteArray &name : names) {
        if (address.startsWith(name)) {
            prefecture = name;
            rest = address.sliced(name.size()).toByteArray();
            return true;
        }
    }
    prefecture.clear();
    rest = address.toByteArray();
    return false;
}

// ---- Width mapping --------------------------------------------------------------

// ICU's width transliterators, completed to the mapping of a Japanese system:
// a half-width voiced or semi-voiced mark that does not combine with the
// letter before it becomes the spacing full-width mark ゛ ゜ (not the
// combining U+3099/U+309A, which code page 932 lacks), and ゛ ゜ turn into
// ﾞ ﾟ. The half-width direction leaves alone the few characters whose
// half-width form code page 932 does not hold (→ ← ↑ ↓ │ ■ ○ ￣ ￤), so the
// byte and the wide routines agree and no character turns into '?'.
constexpr const char16_t *kToFullWidthRules = u"::Halfwidth-Fullwidth; \\u3099 > \\u309B; \\u309A > \\u309C;";
constexpr const char16_t *kToHalfWidthRules =
    u":: [^\\u2190-\\u2193\\u2502\\u25A0\\u25CB\\uFFE3\\uFFE4] ;"
    u" \\u309B > \\uFF9E; \\u309C > \\uFF9F; ::Fullwidth-Halfwidth;";

enum class Width { Full, Half };

// A transliterator is not meant to be used by two threads at once, so each
// thread builds its own on first use and keeps it. nullptr when ICU cannot
// build it (missing data): the mapping then fails and leaves text unchanged.
const icu::Transliterator *widthTransliterator(Width width)
{
    struct Slot {
        bool tried = false;
        std::unique_ptr<icu::Transliterator> transliterator;
    };
    thread_local Slot perThread[2];
    Slot &slot = perThread[width == Width::Full ? 0 : 1];
    if (!slot.tried) {
        slot.tried = true;
        UErrorCode status = U_ZERO_ERROR;
        UParseError parseError{};
        const icu::UnicodeString rules(width == Width::Full ? kToFullWidthRules : kToHalfWidthRules);
        slot.transliterator.reset(icu::Transliterator::createFromRules(
            width == Width::Full ? u"murven-fullwidth" : u"murven-halfwidth", rules, UTRANS_FORWARD,
            parseError, status));
        if (U_FAILURE(status))
            slot.transliterator.reset();
    }
    return slot.transliterator.get();
}

// The mapped text, or a null QString when the mapping is not available.
QString mapWidth(QStringView text, Width width)
{
    if (text.isEmpty())
        return text.toString();
    const icu::Transliterator *transliterator = widthTransliterator(width);
    if (transliterator == nullptr)
        return {};
    icu::UnicodeString buffer(reinterpret_cast<const UChar *>(text.utf16()), static_cast<int32_t>(text.size()));
    transliterator->transliterate(buffer);
    if (buffer.isBogus())
        return {};
    return QString(reinterpret_cast<const QChar *>(buffer.getBuffer()), buffer.length());
}

QString mapWidthW(QStringView text, Width width)
{
    QString mapped = mapWidth(text, width);
    return mapped.isNull() ? text.toString() : mapped;
}

// True when bytes are code page 932 text the decoder can take whole: every
// lead byte has a trail byte, no byte lies outside the code page (0x80, 0xA0,
// 0xFD to 0xFF), and no double-byte code is unassigned (those decode to
// U+FFFD, which the code page lacks).
bool isCodePageText(QByteArrayView bytes, QStringView decoded)
{
    for (qsizetype i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (Cp932::isLeadByte(c)) {
            if (i + 1 >= bytes.size() || !Cp932::isTrailByte(static_cast<unsigned char>(bytes[i + 1])))
                return false;
            i += 2;
        } else {
            if (c == 0x80 || c == 0xA0 || c >= 0xFD)
                return false;
            ++i;
        }
    }
    return !decoded.contains(QChar::ReplacementCharacter);
}

QByteArray mapWidthAnsi(QByteArrayView bytes, Width width)
{
    const QString text = Cp932::decode(bytes);
    // Text that is not code page 932 would not survive the way back: it is
    // handed back untouched.
    if (!isCodePageText(bytes, text))
        return bytes.toByteArray();
    const QString mapped = mapWidth(text, width);
    // Unchanged text keeps its exact bytes (duplicate codes of the NEC and IBM
    // rows would otherwise come back in their other spelling).
    if (mapped.isNull() || mapped == text)
        return bytes.toByteArray();
    return Cp932::encode(mapped);
}

// ---- Replacement loop -------------------------------------------------------------

// While entry occurs in text, its first occurrence is replaced. The search
// starts from the front each time, so an occurrence that a replacement brings
// together is replaced as well. No table entry occurs in its own replacement.
void replaceEach(QString &text, QStringView entry, QStringView replacement)
{
    if (entry.isEmpty())
        return;
    for (qsizetype p = text.indexOf(entry); p >= 0; p = text.indexOf(entry))
        text.replace(p, entry.size(), replacement.data(), replacement.size());
}

void stripEnclosingQuotes(QByteArray &part)
{
    // The closing quote 0x22 can never be a trail byte, so the last byte is a
    // character of its own.
    if (part.size() >= 2 && part.startsWith('"') && part.endsWith('"'))
        part = part.sliced(1, part.size() - 2);
}

} // namespace

// ---- Tables -----------------------------------------------------------------------

const QStringList &PrefectureNames()
{
    static const QStringList names = [] {
        QStringList out;
        for (const char16_t *name : kPrefectureNames)
            out.append(QString::fromUtf16(name));
        return out;
    }();
    return names;
}

const QList<QByteArray> &PrefectureNamesAnsi()
{
    static const QList<QByteArray> names = encodeAll(kPrefectureNames, PrefectureCount);
    return names;
}

const QList<QByteArray> &PrefectureReadings()
{
    static const QList<QByteArray> readings = encodeAll(kPrefectureReadings, PrefectureCount);
    return readings;
}

const QList<TCompanyType> &CompanyTypes()
{
    static const QList<TCompanyType> types = [] {
        QList<TCompanyType> out;
        for (const CompanyTypeText &type : kCompanyTypes) {
            const QString letter(QChar(type.letter));
            out.append({QString::fromUtf16(type.fullName), u'（' + letter + u'）', u'(' + letter + u')'});
        }
        return out;
    }();
    return types;
}

const QStringList &CompanySpellings()
{
    static const QStringList spellings = [] {
        QStringList out;
        for (const CompanyTypeText &type : kCompanyTypes) {
            const QString x(QChar(type.letter));
            out << u'（' + x + u'）' << u'（' + x << x + u'）' << u'(' + x + u')' << u'(' + x << x + u')';
        }
        return out;
    }();
    return spellings;
}

const QString &FullWidthDigits()
{
    static const QString digits = QString::fromUtf16(u"０１２３４５６７８９");
    return digits;
}

const QString &KanjiDigits()
{
    static const QString digits = QString::fromUtf16(u"〇一二三四五六七八九");
    return digits;
}

const QString &Dashes()
{
    static const QString dashes = QString::fromUtf16(u"\uFF0D\u2015\u2010");
    return dashes;
}

const QString &DashReplacements()
{
    static const QString replacements = QString::fromUtf16(u"\u30FC\u306E");
    return replacements;
}

// ---- Byte routines ------------------------------------------------------------------

QByteArray FilterNumberChars(QByteArrayView S, int Kinds)
{
    QByteArray out;
    for (qsizetype i = 0; i < S.size(); i += charLength(S, i)) {
        if (charLength(S, i) != 1)
            continue;
        const char c = S[i];
        if (((Kinds & nckDigits) && c >= '0' && c <= '9') || ((Kinds & nckHyphen) && c == '-')
            || ((Kinds & nckPeriod) && c == '.'))
            out.append(c);
    }
    return out;
}

QByteArray RemoveSpaces(QStringView S)
{
    QString text;
    text.reserve(S.size());
    for (QChar c : S) {
        if (c != u' ' && c != QChar(0x3000))
            text.append(c);
    }
    return Cp932::encode(text);
}

QString CaptionKey(QStringView S)
{
    return ToHalfWidthW(TrimBlanks(Cp932::decode(RemoveSpaces(S)))).toCaseFolded();
}

QByteArray ReverseMbcsString(QByteArrayView S)
{
    QByteArray out(S.size(), Qt::Uninitialized);
    qsizetype end = S.size();
    for (qsizetype i = 0; i < S.size();) {
        const qsizetype len = charLength(S, i);
        end -= len;
        std::copy_n(S.data() + i, len, out.data() + end);
        i += len;
    }
    return out;
}

void SplitFields(QList<QByteArray> &Parts, int Mode, int Width, QByteArrayView Delimiter)
{
    if (Parts.isEmpty())
        return;
    const QByteArray text = Parts[0];
    for (QByteArray &part : Parts)
        part.clear();
    const qsizetype high = Parts.size() - 1;

    switch (Mode) {
    case smWidth: {
        const qsizetype width = std::max(Width, 0);
        if (text.size() <= width || high < 1) {
            Parts[0] = text;
        } else if (width > 0 && Cp932::isLeadByteAt(text, width - 1)) {
            Parts[0] = text.first(width - 1) + ' ';
            Parts[1] = text.sliced(width - 1);
        } else {
            Parts[0] = text.first(width);
            Parts[1] = text.sliced(width);
        }
        break;
    }
    case smDelimiter: {
        QByteArrayView rest(text);
        qsizetype i = 0;
        for (qsizetype p; i < high && (p = indexOfChar(rest, Delimiter)) >= 0; ++i) {
            Parts[i] = rest.first(p).toByteArray();
            rest = rest.sliced(p + Delimiter.size());
        }
        Parts[i] = rest.toByteArray();
        break;
    }
    case smCsv:
    case smCsvQuoted: {
        QByteArrayView rest(text);
        QByteArray pending;
        bool inQuote = false;
        qsizetype i = 0;
        for (qsizetype p; i < high && (p = indexOfChar(rest, Delimiter)) >= 0;) {
            const QByteArrayView chunk = rest.first(p);
            const bool oddQuotes = CountOccurrences(chunk, "\"") % 2 != 0;
            rest = rest.sliced(p + Delimiter.size());
            // Outside quotes an odd count opens a quoted field, inside it
            // closes it; an open field runs on over the delimiter.
            if (inQuote != oddQuotes) {
                inQuote = true;
                pending += chunk;
                pending += Delimiter;
                continue;
            }
            inQuote = false;
            Parts[i++] = pending + chunk.toByteArray();
            pending.clear();
        }
        Parts[i] = pending + rest.toByteArray();
        if (Mode == smCsv) {
            for (QByteArray &part : Parts)
                stripEnclosingQuotes(part);
        }
        break;
    }
    default:
        break;
    }
}

int CountOccurrences(QByteArrayView S, QByteArrayView Sub)
{
    int count = 0;
    for (qsizetype p; (p = indexOfChar(S, Sub)) >= 0; S = S.sliced(p + charLength(S, p)))
        ++count;
    return count;
}

bool SplitPrefecture(QByteArrayView Address, QByteArray &Prefecture, QByteArray &Rest)
{
    return splitByTable(Address, PrefectureNamesAnsi(), Prefecture, Rest);
}

bool SplitPrefectureKana(QByteArrayView Address, QByteArray &Prefecture, QByteArray &Rest)
{
    return splitByTable(Address, PrefectureReadings(), Prefecture, Rest);
}

QByteArray ToFullWidth(QByteArrayView S)
{
    return mapWidthAnsi(S, Width::Full);
}

QByteArray ToHalfWidth(QByteArrayView S)
{
    return mapWidthAnsi(S, Width::Half);
}

// ---- Wide routines -------------------------------------------------------------------

QString ToFullWidthW(QStringView S)
{
    return mapWidthW(S, Width::Full);
}

QString ToHalfWidthW(QStringView S)
{
    return mapWidthW(S, Width::Half);
}

QString RemovePrefectureNamesW(QStringView S)
{
    QString text = S.toString();
    for (const QString &name : PrefectureNames())
        replaceEach(text, name, {});
    return text;
}

QString ExpandCompanyTypeW(QStringView S)
{
    QString text = S.toString();
    const QStringList &spellings = CompanySpellings();
    for (qsizetype i = 0; i < spellings.size(); ++i)
        replaceEach(text, spellings[i], CompanyTypes()[i / 6].FullName);
    return text;
}

QString AbbreviateCompanyTypeW(QStringView S, bool FullWidthParens)
{
    QString text = S.toString();
    for (const TCompanyType &type : CompanyTypes())
        replaceEach(text, type.FullName, FullWidthParens ? type.FullWidthAbbreviation : type.HalfWidthAbbreviation);
    return text;
}

namespace {

bool isDigitOfEitherWidth(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９');
}

bool isLatinLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'Ａ' && u <= u'Ｚ') ||
           (u >= u'ａ' && u <= u'ｚ');
}


// The prolonged sound mark, of either width: a hyphen only where it stands
// between two numbers ("２ー４"); elsewhere it lengthens a kana ("センター").
bool isSoundMark(QChar c)
{
    return c == QChar(0x30FC) || c == QChar(0xFF70);
}

} // namespace

QString DigitsToKanjiW(QStringView S)
{
    QString text;
    text.reserve(S.size());
    for (qsizetype i = 0; i < S.size();) {
        if (!isDigitOfEitherWidth(S[i])) {
            text.append(S[i++]);
            continue;
        }
        qsizetype j = i;
        while (j < S.size() && isDigitOfEitherWidth(S[j]))
            ++j;
        // A number written against a Latin letter belongs to a name or a
        // code ("J1ビル", "B2F"): spelled in kanji it would no longer be the
        // name the building or the room goes by.
        const bool named = (i > 0 && isLatinLetter(S[i - 1])) || (j < S.size() && isLatinLetter(S[j]));
        for (; i < j; ++i) {
            const char16_t c = S[i].unicode();
            text.append(named ? S[i] : KanjiDigits()[c >= u'０' ? c - u'０' : c - u'0']);
        }
    }
    return text;
}

QString ReplaceDashesW(QStringView S, int Kind)
{
    QString text = S.toString();
    if (Kind != 0 && Kind != 1)
        return text;
    const QChar replacement = DashReplacements()[Kind];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool betweenNumbers = i > 0 && i + 1 < text.size() && IsAddressNumeral(text[i - 1]) &&
                                    IsAddressNumeral(text[i + 1]);
        if (IsAddressDash(text[i]) || (isSoundMark(text[i]) && betweenNumbers))
            text[i] = replacement;
    }
    return text;
}

bool IsAddressNumeral(QChar c)
{
    static const QString orders = QStringLiteral("十百千");
    return (c >= u'0' && c <= u'9') || FullWidthDigits().contains(c) || KanjiDigits().contains(c) ||
           orders.contains(c);
}

bool AddressNumbersMeet(QStringView Before, QStringView After)
{
    if (Before.isEmpty() || After.isEmpty() || !IsAddressNumeral(Before.back()))
        return false;
    // A Latin letter of either width after a number reads as part of it
    // too ("80-25" and "J1ビル" as 25J1).
    const char16_t c = After.front().unicode();
    const bool latin = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'Ａ' && c <= u'Ｚ') ||
                       (c >= u'ａ' && c <= u'ｚ');
    return latin || IsAddressNumeral(After.front());
}

QString JoinAddressLines(const QString &First, const QString &Second, bool Apart)
{
    const bool blank = !First.isEmpty() && !Second.isEmpty() && (Apart || AddressNumbersMeet(First, Second));
    return blank ? First + QChar(0x3000) + Second : First + Second;
}

bool IsAddressDash(QChar c)
{
    switch (c.unicode()) {
    case u'-':
    case 0x2010: // ‐
    case 0x2011: // non-breaking hyphen
    case 0x2012: // ‒
    case 0x2013: // –
    case 0x2014: // —
    case 0x2015: // ―
    case 0x2212: // −
    case 0xFE63: // small hyphen-minus
    case 0xFF0D: // －
        return true;
    default:
        return false;
    }
}
