#include "platform/IniFile.h"

#include "platform/Cp932.h"
#include "platform/OncePerFile.h"
#include "platform/SafeFile.h"
#include "platform/TextLines.h"
#include "platform/UnreadableFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
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
        (*notice)(fileName, reason);
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
// never turns the whole file into code page 932. Older readers take it for
// the comment it is.
constexpr QByteArrayView kEncodingMark = "; encoding=UTF-8";

// The mark, also with one of its bytes damaged (its line end too: the byte
// that took the CR's place stays on the line).
bool isEncodingMark(QByteArrayView line)
{
    line = TrimBlanks(line);
    if (line.size() == kEncodingMark.size() + 1 && line.startsWith(kEncodingMark))
        return true;
    if (line.size() != kEncodingMark.size())
        return false;
    int differing = 0;
    for (qsizetype i = 0; i < line.size(); ++i)
        differing += line[i] != kEncodingMark[i] ? 1 : 0;
    return differing <= 1;
}

// A file's text as lines, with the lines that could not be read.
struct TFileText {
    QStringList lines;
    QList<bool> damaged; // per line; only a marked file has damaged lines
    QString reason;      // set when the file as a whole is no text we can take
};

// A marked file is UTF-8 line by line: a line that is not (or holds a zero
// byte) is damaged alone, decoded with replacement characters only so that
// it can be named. Unmarked files are of earlier versions: UTF-8, or else
// code page 932 (CP932 text with Japanese in it is practically never valid
// UTF-8).
TFileText decodeFile(QByteArray bytes)
{
    TFileText result;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QList<QByteArray> byteLines = SplitLines(QByteArrayView(bytes));
    if (!byteLines.isEmpty() && isEncodingMark(byteLines.front())) {
        for (qsizetype i = 1; i < byteLines.size(); ++i) {
            QStringDecoder utf8(QStringConverter::Utf8);
            result.lines << utf8.decode(byteLines[i]);
            result.damaged << (utf8.hasError() || byteLines[i].contains('\0'));
        }
        return result;
    }
    if (bytes.contains('\0')) {
        result.reason = QStringLiteral("binary content");
        return result;
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        if (!isWellFormedCp932(bytes)) {
            result.reason = QStringLiteral("neither UTF-8 nor code page 932");
            return result;
        }
        text = Cp932::decode(bytes);
    }
    result.lines = SplitLines(text);
    return result;
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

TMemIniFile::TMemIniFile(const QString &fileName, TIniContent content)
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
        const TFileText text = decodeFile(bytes);
        const bool anySection = std::any_of(text.lines.cbegin(), text.lines.cend(), [&](const QString &line) {
            return isSectionLine(TrimBlanksView(line));
        });
        const bool anyText = std::any_of(text.lines.cbegin(), text.lines.cend(),
                                         [](const QString &line) { return !TrimBlanksView(line).isEmpty(); });
        if (!text.reason.isEmpty())
            reason = text.reason;
        else if (!anySection && (content == TIniContent::Required || anyText))
            reason = bytes.isEmpty() ? QStringLiteral("empty") : QStringLiteral("no settings in it");
        else
            parseLines(text.lines, text.damaged, !text.damaged.isEmpty());
        if (reason.isEmpty() && !m_damaged.isEmpty()) {
            // Kept before anything can be written over the file.
            m_damagedCopy = KeepDamagedFileCopy(fileName, bytes, m_damaged);
            if (m_damagedCopy.isEmpty())
                m_writeRefused = true;
        }
    }
    if (reason.isEmpty())
        return;
    file.close();
    m_damaged.clear();
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
    parseLines(lines, {}, false);
}

void TMemIniFile::parseLines(const QStringList &lines, const QList<bool> &damaged, bool marked)
{
    Clear();
    Section *current = nullptr;
    // The name of a section whose own line is damaged: its keys belong to no
    // section that can be told, so they are left out and named.
    QString damagedSection;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = TrimBlanks(lines[i]);
        // A damaged comment loses no setting. The program writes none after
        // its encoding line: in its file a comment is a line damage made one.
        if (line.isEmpty() || (!marked && line.startsWith(QLatin1Char(';'))))
            continue;
        // The program writes no line but a section or a "key=value" whose
        // name is in quotes where it would read as a comment or section: in
        // its file, any other was changed by damage, though it reads as text
        // (a bracket, a line end or an '=' turned into another character).
        // A key of no name (never read) is a section line's bracket turned
        // into '=' only where the line still ends as a section line does.
        bool sound = isSectionLine(line);
        if (const qsizetype at = nameEnd(line); !sound && at >= 0) {
            const QStringView raw = TrimBlanksView(QStringView(line).first(at));
            sound = raw.isEmpty() ? !line.endsWith(QLatin1Char(']'))
                                  : raw.startsWith(QLatin1Char('"')) ||
                                        (!raw.startsWith(QLatin1Char(';')) && !raw.startsWith(QLatin1Char('[')));
        }
        const bool bad = (i < damaged.size() && damaged[i]) || (marked && !sound);
        // A damaged byte may be a section line's own bracket or line end:
        // such a line still ends the section before it, whose keys the next
        // ones must never join.
        const bool damagedBracket = bad && !isSectionLine(line) &&
                                    (line.startsWith(QLatin1Char('[')) || line.endsWith(QLatin1Char(']')));
        if (isSectionLine(line) || damagedBracket) {
            const qsizetype from = line.startsWith(QLatin1Char('[')) ? 1 : 0;
            const qsizetype to = line.endsWith(QLatin1Char(']')) ? line.size() - 1 : line.size();
            const QString name = unstored(QStringView(line).sliced(from, to - from));
            if (bad) {
                current = nullptr;
                damagedSection = name;
                m_damaged << QLatin1Char('[') + name + QLatin1Char(']');
                continue;
            }
            damagedSection.clear();
            // A section written twice continues the first one.
            current = &sectionForWriting(name);
            continue;
        }
        const QString sectionName = current ? current->name : damagedSection;
        const qsizetype eq = nameEnd(line);
        if (bad && (current || !damagedSection.isEmpty())) {
            // Its reader uses the default until the key is written again.
            m_damaged << entryName(sectionName, eq < 0 ? line : unstored(QStringView(line).first(eq)));
            continue;
        }
        // Text before any section, and lines that are no "key=value", carry no setting.
        if (!current || eq < 0) {
            if (!damagedSection.isEmpty())
                m_damaged << entryName(damagedSection, eq < 0 ? line : unstored(QStringView(line).first(eq)));
            continue;
        }
        const QString name = unstored(QStringView(line).first(eq));
        if (name.isEmpty())
            continue;
        // Of a key written twice the first counts; the later ones could never be read.
        const bool known = std::any_of(current->keys.cbegin(), current->keys.cend(),
                                       [&](const Key &k) { return sameName(k.name, name); });
        if (!known)
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
    const QStringList lines = GetStrings();
    // Nothing to say about the encoding of an empty file.
    QByteArray bytes = lines.isEmpty() ? QByteArray() : kEncodingMark.toByteArray() + "\r\n";
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return SafeReplaceFile(m_fileName, bytes, error);
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
