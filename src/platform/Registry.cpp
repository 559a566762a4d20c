#include "platform/Registry.h"

#include "platform/Folders.h"
#include "platform/SafeFile.h"
#include "platform/TextLines.h"
#include "platform/UnreadableFile.h"
#include "platform/Utf8.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

namespace {

const QLatin1String kHeader("Windows Registry Editor Version 5.00");
const QLatin1String kOldHeader("REGEDIT4");

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool startsWithPath(const QStringList &path, const QStringList &prefix)
{
    if (path.size() < prefix.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (!sameName(path[i], prefix[i]))
            return false;
    }
    return true;
}

bool samePath(const QStringList &a, const QStringList &b)
{
    return a.size() == b.size() && startsWithPath(a, b);
}

QStringList splitKeyPath(const QString &path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

QString rootName(TRootKey root)
{
    return root == TRootKey::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE") : QStringLiteral("HKEY_CURRENT_USER");
}

// Only \\ and \" are escapes of the format; a backslash before anything else
// is taken as itself.
QString quote(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

// A string holding a line break cannot stand between quotes on one line; it
// is written as the registry editor writes such a string, "hex(1):" and the
// UTF-16LE bytes with the closing zero, wrapped with a trailing backslash.
bool needsHexForm(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

QString hexForm(const QString &name, const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    bytes.append(2, '\0'); // the closing zero
    QString out = name + QStringLiteral("=hex(1):");
    qsizetype column = out.size();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const bool last = i == bytes.size() - 1;
        const QString item = QStringLiteral("%1").arg(quint8(bytes[i]), 2, 16, QLatin1Char('0')) +
                             (last ? QString() : QStringLiteral(","));
        if (column + item.size() > 76) {
            out += QStringLiteral("\\\r\n  ");
            column = 2;
        }
        out += item;
        column += item.size();
    }
    return out;
}

// The text of "hex(1):" data (comma-separated bytes, UTF-16LE, the closing
// zero dropped); null when the data is damaged.
std::optional<QString> parseHexString(QStringView data)
{
    QByteArray bytes;
    if (!data.trimmed().isEmpty()) {
        for (const QStringView item : data.split(QLatin1Char(','))) {
            bool ok = false;
            const QStringView digits = item.trimmed();
            const uint value = digits.toUInt(&ok, 16);
            if (!ok || digits.size() > 2)
                return std::nullopt;
            bytes.append(char(value));
        }
    }
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8)));
    if (text.endsWith(QChar(u'\0')))
        text.chop(1);
    return text;
}

struct Quoted {
    QString text;
    qsizetype end; // index after the closing quote
};

// text[pos] is the opening quote.
std::optional<Quoted> unquote(const QString &text, qsizetype pos)
{
    QString out;
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"'))
            return Quoted{out, i + 1};
        if (c == QLatin1Char('\\') && i + 1 < text.size() &&
            (text[i + 1] == QLatin1Char('\\') || text[i + 1] == QLatin1Char('"'))) {
            out += text[++i];
            continue;
        }
        out += c;
    }
    return std::nullopt; // no closing quote: a damaged line
}

enum class Kind {
    String,
    Dword,
    Other, // a value of a type this layer does not read (hex:, hex(2):, qword: ...)
    Raw,   // not a value at all: a comment, a deletion, a damaged line
};

struct Entry {
    Kind kind = Kind::Raw;
    QString name; // empty: the default value "@"
    QString text;
    quint32 dword = 0;
    QStringList lines; // the lines as read, for Other and Raw
    bool damaged = false; // Raw: a value line whose name was read but not its data
};

struct Section {
    QString header;     // text between the brackets, as read or made
    bool keyed = false; // false for "[-...]" deletions and headers naming no root
    QString root;
    QStringList path;
    std::vector<Entry> entries;
};

// No registry file the program writes comes near this; a larger one is not
// read into memory.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// Why the bytes cannot be taken as the user's registry file; empty when they
// can. Written back, text that is not UTF-8 would lose its bytes, and text
// without the header is no registry file at all. An empty file (or one of
// blanks only) holds no keys and loses nothing.
QString unreadableReason(QByteArrayView bytes)
{
    if (bytes.contains('\0'))
        return QStringLiteral("binary content");
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    // A file that stops inside a character lost its end: read on, the cut
    // bytes would be saved back as replacement characters.
    const std::optional<QString> text = Utf8::decode(bytes, Utf8::TEnd::Whole);
    if (!text)
        return QStringLiteral("not UTF-8");
    for (const QString &line : SplitLines(*text)) {
        const QString trimmed = TrimBlanks(line);
        if (trimmed.isEmpty())
            continue;
        return trimmed == kHeader || trimmed == kOldHeader ? QString() : QStringLiteral("no registry header");
    }
    return QString();
}

const Entry &requireValue(const Entry *entry, const QString &name, Kind kind)
{
    if (!entry)
        throw ERegistryException(QStringLiteral("Failed to get data for '%1'").arg(name));
    if (entry->kind != kind)
        throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
    return *entry;
}

} // namespace

// The parsed file. Every line survives a read and a write: what is not a
// section, a string or a dword is kept as the lines it came from.
class TRegistry::Document
{
public:
    static Document parse(const QByteArray &bytes);
    [[nodiscard]] QByteArray serialize() const;

    [[nodiscard]] bool keyExists(const QString &root, const QStringList &path) const;
    [[nodiscard]] QStringList keyNames(const QString &root, const QStringList &path) const;
    [[nodiscard]] QStringList valueNames(const QString &root, const QStringList &path) const;
    [[nodiscard]] const Entry *findValue(const QString &root, const QStringList &path, const QString &name) const;
    [[nodiscard]] bool valueDamaged(const QString &root, const QStringList &path, const QString &name) const;

    Section &sectionForWriting(const QString &root, const QStringList &path);
    void setValue(const QString &root, const QStringList &path, Entry entry);
    bool removeKey(const QString &root, const QStringList &path);
    bool removeValue(const QString &root, const QStringList &path, const QString &name);

private:
    [[nodiscard]] bool isKey(const Section &s, const QString &root, const QStringList &path) const
    {
        return s.keyed && sameName(s.root, root) && samePath(s.path, path);
    }
    static Entry parseEntry(const QString &line, const QStringList &lines);

    QStringList m_preamble; // lines before the first section
    std::vector<Section> m_sections;
};

Entry TRegistry::Document::parseEntry(const QString &line, const QStringList &lines)
{
    Entry raw;
    raw.lines = lines;

    Entry e;
    qsizetype pos = 0;
    if (line.startsWith(QLatin1Char('@'))) {
        pos = 1;
    } else if (line.startsWith(QLatin1Char('"'))) {
        const auto name = unquote(line, 0);
        if (!name)
            return raw;
        e.name = name->text;
        pos = name->end;
    } else {
        return raw;
    }
    // From here a line that is not taken stays a damaged value of this name.
    raw.name = e.name;
    raw.damaged = true;
    while (pos < line.size() && line[pos].unicode() <= 0x20)
        ++pos;
    if (pos >= line.size() || line[pos] != QLatin1Char('='))
        return raw;
    ++pos;
    while (pos < line.size() && line[pos].unicode() <= 0x20)
        ++pos;
    const QStringView data = QStringView(line).sliced(pos);

    if (data.startsWith(QLatin1Char('"'))) {
        const auto text = unquote(line, pos);
        if (!text || text->end != line.size())
            return raw;
        e.kind = Kind::String;
        e.text = text->text;
        return e;
    }
    if (data.startsWith(QLatin1String("hex(1):"), Qt::CaseInsensitive)) {
        const auto text = parseHexString(data.sliced(7));
        if (!text)
            return raw;
        e.kind = Kind::String;
        e.text = *text;
        return e;
    }
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QStringView digits = data.sliced(6);
        bool ok = false;
        const uint value = digits.toUInt(&ok, 16);
        static const QRegularExpression hexOnly(QStringLiteral("^[0-9A-Fa-f]{1,8}$"));
        if (!ok || !hexOnly.match(digits).hasMatch())
            return raw;
        e.kind = Kind::Dword;
        e.dword = value;
        return e;
    }
    static const QRegularExpression typed(QStringLiteral("^[A-Za-z][A-Za-z0-9]*(\\([0-9A-Fa-f]+\\))?:"));
    if (typed.match(data).hasMatch()) {
        e.kind = Kind::Other;
        e.lines = lines;
        return e;
    }
    return raw;
}

TRegistry::Document TRegistry::Document::parse(const QByteArray &bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    const QStringList lines = SplitLines(QString::fromUtf8(data));

    // A binary value runs over lines ending with a backslash; no other value
    // type does, so a damaged string never swallows the line after it.
    static const QRegularExpression binaryStart(
        QStringLiteral("^(@|\"(?:[^\"\\\\]|\\\\.)*\")\\s*=\\s*hex"), QRegularExpression::CaseInsensitiveOption);

    Document doc;
    bool headerSeen = false;
    Section *current = nullptr;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = TrimBlanks(lines[i]);
        if (line.isEmpty())
            continue;
        if (!headerSeen && !current && doc.m_preamble.isEmpty() && (line == kHeader || line == kOldHeader)) {
            headerSeen = true;
            continue;
        }
        if (line.size() >= 2 && line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            Section s;
            s.header = line.sliced(1, line.size() - 2);
            QStringList parts = splitKeyPath(s.header);
            s.keyed = !s.header.startsWith(QLatin1Char('-')) && !parts.isEmpty() &&
                      parts.first().startsWith(QLatin1String("HKEY_"), Qt::CaseInsensitive);
            if (s.keyed) {
                s.root = parts.takeFirst();
                s.path = parts;
            }
            doc.m_sections.push_back(std::move(s));
            current = &doc.m_sections.back();
            continue;
        }

        QStringList entryLines{lines[i]};
        QString joined = line;
        if (binaryStart.match(line).hasMatch()) {
            while (joined.endsWith(QLatin1Char('\\')) && i + 1 < lines.size()) {
                ++i;
                entryLines << lines[i];
                joined = joined.chopped(1) + TrimBlanks(lines[i]);
            }
        }
        if (!current) {
            doc.m_preamble << entryLines;
            continue;
        }
        current->entries.push_back(parseEntry(joined, entryLines));
    }
    return doc;
}

QByteArray TRegistry::Document::serialize() const
{
    QString out = kHeader + QStringLiteral("\r\n\r\n");
    for (const QString &line : m_preamble)
        out += line + QStringLiteral("\r\n");
    if (!m_preamble.isEmpty())
        out += QStringLiteral("\r\n");
    for (const Section &s : m_sections) {
        out += QLatin1Char('[') + s.header + QStringLiteral("]\r\n");
        for (const Entry &e : s.entries) {
            const QString name = e.name.isEmpty() ? QStringLiteral("@") : quote(e.name);
            switch (e.kind) {
            case Kind::String:
                out += (needsHexForm(e.text) ? hexForm(name, e.text) : name + QLatin1Char('=') + quote(e.text)) +
                       QStringLiteral("\r\n");
                break;
            case Kind::Dword:
                out += name + QStringLiteral("=dword:") + QStringLiteral("%1").arg(e.dword, 8, 16, QLatin1Char('0')) +
                       QStringLiteral("\r\n");
                break;
            case Kind::Other:
            case Kind::Raw:
                for (const QString &line : e.lines)
                    out += line + QStringLiteral("\r\n");
                break;
            }
        }
        out += QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

// A key exists when a section names it or any key below it, as the registry
// editor makes the keys in between when it imports such a file.
bool TRegistry::Document::keyExists(const QString &root, const QStringList &path) const
{
    if (path.isEmpty())
        return true;
    return std::any_of(m_sections.cbegin(), m_sections.cend(), [&](const Section &s) {
        return s.keyed && sameName(s.root, root) && startsWithPath(s.path, path);
    });
}

QStringList TRegistry::Document::keyNames(const QString &root, const QStringList &path) const
{
    QStringList names;
    for (const Section &s : m_sections) {
        if (!s.keyed || !sameName(s.root, root) || s.path.size() <= path.size() || !startsWithPath(s.path, path))
            continue;
        const QString &child = s.path[path.size()];
        if (!names.contains(child, Qt::CaseInsensitive))
            names << child;
    }
    return names;
}

QStringList TRegistry::Document::valueNames(const QString &root, const QStringList &path) const
{
    QStringList names;
    for (const Section &s : m_sections) {
        if (!isKey(s, root, path))
            continue;
        for (const Entry &e : s.entries) {
            if (e.kind != Kind::Raw && !names.contains(e.name, Qt::CaseInsensitive))
                names << e.name;
        }
    }
    return names;
}

// A value set twice counts with its last setting, as an import applies them in turn.
const Entry *TRegistry::Document::findValue(const QString &root, const QStringList &path,
                                                                  const QString &name) const
{
    const Entry *found = nullptr;
    for (const Section &s : m_sections) {
        if (!isKey(s, root, path))
            continue;
        for (const Entry &e : s.entries) {
            if (e.kind != Kind::Raw && sameName(e.name, name))
                found = &e;
        }
    }
    return found;
}

// The last line naming the value could not be read: it counts over any
// readable one before it, as its last setting would.
bool TRegistry::Document::valueDamaged(const QString &root, const QStringList &path, const QString &name) const
{
    bool damaged = false;
    for (const Section &s : m_sections) {
        if (!isKey(s, root, path))
            continue;
        for (const Entry &e : s.entries) {
            if ((e.kind != Kind::Raw || e.damaged) && sameName(e.name, name))
                damaged = e.kind == Kind::Raw;
        }
    }
    return damaged;
}

Section &TRegistry::Document::sectionForWriting(const QString &root, const QStringList &path)
{
    for (auto it = m_sections.rbegin(); it != m_sections.rend(); ++it) {
        if (isKey(*it, root, path))
            return *it;
    }
    Section s;
    s.header = (QStringList{root} + path).join(QLatin1Char('\\'));
    s.keyed = true;
    s.root = root;
    s.path = path;
    m_sections.push_back(std::move(s));
    return m_sections.back();
}

void TRegistry::Document::setValue(const QString &root, const QStringList &path, Entry entry)
{
    if (auto *existing = const_cast<Entry *>(findValue(root, path, entry.name))) {
        entry.name = existing->name; // the spelling in the file stays
        *existing = std::move(entry);
        return;
    }
    sectionForWriting(root, path).entries.push_back(std::move(entry));
}

bool TRegistry::Document::removeKey(const QString &root, const QStringList &path)
{
    const auto removed = std::erase_if(m_sections, [&](const Section &s) {
        return s.keyed && sameName(s.root, root) && startsWithPath(s.path, path);
    });
    return removed > 0;
}

bool TRegistry::Document::removeValue(const QString &root, const QStringList &path, const QString &name)
{
    std::size_t removed = 0;
    for (Section &s : m_sections) {
        if (isKey(s, root, path))
            removed += std::erase_if(s.entries, [&](const Entry &e) {
                return e.kind != Kind::Raw && sameName(e.name, name);
            });
    }
    return removed > 0;
}

TRegistry::TRegistry(TRootKey root)
    : m_root(root),
      m_fileName(root == TRootKey::LocalMachine ? Folders::machineRegistryFile() : Folders::userRegistryFile()),
      m_document(std::make_unique<Document>())
{
    *m_document = load();
}

TRegistry::~TRegistry() = default;

TRegistry::Document TRegistry::load() const
{
    if (m_fileName.isEmpty())
        return Document();
    // The installation's file is only ever read, so nothing of it needs putting right.
    if (writable())
        RecoverSafeReplace(m_fileName);
    if (!QFileInfo(m_fileName).isFile())
        return Document();
    // The installation's file is never written, so whatever of it reads is
    // taken; the user's own is kept aside whole when it cannot be read.
    const QString reason = writable() ? unreadableFileReason() : QString();
    if (!reason.isEmpty()) {
        (void)KeepUnreadableFileAside(m_fileName, reason);
        return Document();
    }
    QFile file(m_fileName);
    return file.open(QIODevice::ReadOnly) ? Document::parse(file.readAll()) : Document();
}

QString TRegistry::unreadableFileReason() const
{
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot open: ") + file.errorString();
    if (file.size() > kMaxFileSize)
        return QStringLiteral("too large");
    return unreadableReason(file.readAll());
}

bool TRegistry::save(const Document &document, QString *error)
{
    if (m_fileName.isEmpty()) {
        *error = QStringLiteral("No file for the user's registry keys");
        return false;
    }
    // An unreadable file that could not be moved aside is never written over.
    if (QFileInfo(m_fileName).isFile() && !unreadableFileReason().isEmpty()) {
        *error = QStringLiteral("The file could not be read and could not be moved aside; it was not overwritten");
        return false;
    }
    (void)Folders::makePrivatePath(QFileInfo(m_fileName).absolutePath());
    if (!SafeReplaceFile(m_fileName, document.serialize(), error))
        return false;
    *m_document = document;
    return true;
}

bool TRegistry::writable() const
{
    return m_root != TRootKey::LocalMachine;
}

QStringList TRegistry::resolve(const QString &key) const
{
    const QStringList parts = splitKeyPath(key);
    if (key.startsWith(QLatin1Char('\\')) || !m_open)
        return parts;
    return m_currentPath + parts;
}

bool TRegistry::openKey(const QString &key, bool canCreate, bool readOnly)
{
    const QStringList path = resolve(key);
    const QString root = rootName(m_root);
    if (!m_document->keyExists(root, path)) {
        if (!canCreate || !writable())
            return false;
        // Fresh from the file, so a change another object saved meanwhile is kept.
        Document document = load();
        document.sectionForWriting(root, path);
        QString error;
        if (!save(document, &error))
            return false;
    }
    m_open = true;
    m_openReadOnly = readOnly || !writable();
    m_currentPath = path;
    return true;
}

bool TRegistry::OpenKey(const QString &key, bool canCreate)
{
    return openKey(key, canCreate, false);
}

bool TRegistry::OpenKeyReadOnly(const QString &key)
{
    return openKey(key, false, true);
}

void TRegistry::CloseKey()
{
    m_open = false;
    m_openReadOnly = false;
    m_currentPath.clear();
}

QString TRegistry::CurrentPath() const
{
    return m_open ? m_currentPath.join(QLatin1Char('\\')) : QString();
}

bool TRegistry::KeyExists(const QString &key) const
{
    return m_document->keyExists(rootName(m_root), resolve(key));
}

QStringList TRegistry::GetKeyNames() const
{
    return m_open ? m_document->keyNames(rootName(m_root), m_currentPath) : QStringList();
}

QStringList TRegistry::GetValueNames() const
{
    return m_open ? m_document->valueNames(rootName(m_root), m_currentPath) : QStringList();
}

bool TRegistry::ValueExists(const QString &name) const
{
    return m_open && m_document->findValue(rootName(m_root), m_currentPath, name) != nullptr;
}

bool TRegistry::ValueDamaged(const QString &name) const
{
    return m_open && m_document->valueDamaged(rootName(m_root), m_currentPath, name);
}

QString TRegistry::ReadString(const QString &name) const
{
    const Entry *entry = m_open ? m_document->findValue(rootName(m_root), m_currentPath, name) : nullptr;
    return requireValue(entry, name, Kind::String).text;
}

int TRegistry::ReadInteger(const QString &name) const
{
    const Entry *entry = m_open ? m_document->findValue(rootName(m_root), m_currentPath, name) : nullptr;
    return int(requireValue(entry, name, Kind::Dword).dword);
}

bool TRegistry::ReadBool(const QString &name) const
{
    return ReadInteger(name) != 0;
}

void TRegistry::writeValue(const QString &name, const std::function<void(Document &)> &change)
{
    if (!m_open)
        throw ERegistryException(QStringLiteral("Failed to set data for '%1': no key is open").arg(name));
    if (m_openReadOnly)
        throw ERegistryException(QStringLiteral("Failed to set data for '%1': the key is read-only").arg(name));
    // Fresh from the file, so a change another object saved meanwhile is kept.
    Document document = load();
    change(document);
    QString error;
    if (!save(document, &error))
        throw ERegistryException(QStringLiteral("Failed to set data for '%1': %2").arg(name, error));
}

void TRegistry::WriteString(const QString &name, const QString &value)
{
    writeValue(name, [&](Document &document) {
        document.setValue(rootName(m_root), m_currentPath, Entry{Kind::String, name, value, 0, {}});
    });
}

void TRegistry::WriteInteger(const QString &name, int value)
{
    writeValue(name, [&](Document &document) {
        document.setValue(rootName(m_root), m_currentPath, Entry{Kind::Dword, name, {}, quint32(value), {}});
    });
}

bool TRegistry::DeleteKey(const QString &key)
{
    const QStringList path = resolve(key);
    if (!writable() || path.isEmpty())
        return false;
    Document document = load();
    if (!document.removeKey(rootName(m_root), path))
        return false;
    QString error;
    return save(document, &error);
}

bool TRegistry::DeleteValue(const QString &name)
{
    if (!m_open || m_openReadOnly)
        return false;
    Document document = load();
    if (!document.removeValue(rootName(m_root), m_currentPath, name))
        return false;
    QString error;
    return save(document, &error);
}
