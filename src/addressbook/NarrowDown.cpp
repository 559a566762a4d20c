// The filter's record test and the two filter files (Search.lst, Search.ptn).
// The dialog that edits filters is in AdrsSch.cpp.

#include "addressbook/AdrsSch.h"

#include <algorithm>

#include "core/AppSub.h"
#include "core/Inquiry.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/SharedIni.h"
#include "platform/Table.h"
#include "platform/TextLines.h"
#include "platform/UnreadableFile.h"
#include "platform/WriteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace {

// Length of the character starting at i (a lead byte with a byte behind it
// makes two).
inline qsizetype CharLength(QByteArrayView s, qsizetype i)
{
    return Cp932::isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// Whether pos starts a character, scanning from the start of the text.
bool IsCharBoundary(QByteArrayView s, qsizetype pos)
{
    qsizetype i = 0;
    while (i < pos)
        i += CharLength(s, i);
    return i == pos;
}

// The first occurrence of value in text that starts on a character, -1 when
// none. Candidates come from a plain byte search; one forward scan of the
// character starts checks them, so the whole search stays linear.
qsizetype IndexOfOnBoundary(QByteArrayView text, QByteArrayView value)
{
    qsizetype from = 0;
    qsizetype boundary = 0;
    for (;;) {
        const qsizetype at = text.indexOf(value, from);
        if (at < 0)
            return -1;
        while (boundary < at)
            boundary += CharLength(text, boundary);
        if (boundary == at)
            return at;
        from = boundary;
    }
}

enum class TTest : std::uint8_t {
    Skip,      // leaves the running result as it is
    Text,      // Shift-JIS bytes of one field
    Address,   // Tdfkn, Adrs1, Adrs2, Adrs3 trimmed and joined
    Name,      // decoded text ("@" form or plain)
    TelDiv,    // 代表電話
    PrivCorp,  // 個人会社区分
    Symbol,    // シンボルマーク
    Month,     // PubDate in yyyymm
};

// The field a text condition on each item reads (the address reads four).
constexpr std::array<const char *, 32> ItemFields = {
    "CustomCode", "Tel",      "TelDiv",   "Fax",      "PubDate",  "Portable1", "Portable2", "Pos",
    "Tdfkn",      "PrivCorp", "CorpKanji", "Dptmnt",  "Post",     "NameKanji", "URL",       "EMail1",
    "EMail2",     "Joint1",   "Joint2",   "Joint3",   "Joint4",   "Joint5",    "Keyword1",  "Keyword2",
    "Keyword3",   "Keyword4", "Keyword5", "Keyword6", "Keyword7", "Keyword8",  "Note",      "SymbolMark",
};

constexpr int ItemTelDiv = 2;
constexpr int ItemAddress = 8;
constexpr int ItemPrivCorp = 9;
constexpr int ItemSymbolMark = 31;

bool IsNameItem(int item)
{
    return item == 13 || (item >= 17 && item <= 21);
}

// Reads a decimal integer as the record form writes PubDate: an optional sign
// and digits only, within 32 bits.
bool ParseInteger(QByteArrayView s, qint64 &value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i == s.size())
        return false;
    qint64 v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
        if (v > 0x80000000LL)
            return false;
    }
    value = negative ? -v : v;
    return value >= -0x80000000LL && value <= 0x7FFFFFFFLL;
}

} // namespace

struct TNarrowDownMatcher::Impl {
    struct TPrepared {
        TTest Test = TTest::Skip;
        qint32 Match = -1;
        bool Negate = false;
        qint32 Value1 = 0;
        qint32 Value2 = 0;
        QByteArray Value;     // bytes compared (text, address, mark)
        QString WideValue;    // decoded value of a name condition
        std::array<TField *, 4> Fields{};
    };

    bool TestItem(const TPrepared &p, bool &result) const;
    bool TestText(const TPrepared &p, QByteArrayView text) const;
    static bool TestWide(const TPrepared &p, QStringView text);

    std::vector<TPrepared> Items;
    bool MatchAll = true;
    mutable QByteArray Joined; // the address of the current record, reused
};

TNarrowDownMatcher::TNarrowDownMatcher(const TNarrowDownCondition &Condition, TTable &Table)
    : d(std::make_unique<Impl>())
{
    d->MatchAll = Condition.MatchAll;
    d->Items.reserve(size_t(Condition.Items.size()));
    for (const TNarrowDownItem &item : Condition.Items) {
        Impl::TPrepared p;
        p.Match = item.Match;
        p.Negate = item.Negate;
        p.Value1 = item.Value1;
        p.Value2 = item.Value2;
        const bool knownItem = item.Item >= 0 && item.Item < int(ItemFields.size());
        if (item.Kind == 0 && knownItem && item.Item != ItemTelDiv && item.Item != ItemPrivCorp) {
            if (!item.Value.isEmpty() && (item.Match < 0 || item.Match > 2)) {
                p.Test = TTest::Skip;
            } else if (item.Item == ItemAddress) {
                p.Test = TTest::Address;
                const char *names[] = {"Tdfkn", "Adrs1", "Adrs2", "Adrs3"};
                for (size_t i = 0; i < 4; ++i)
                    p.Fields[i] = Table.FindField(QLatin1String(names[i]));
                p.Value = item.Value;
            } else if (IsNameItem(item.Item)) {
                p.Test = TTest::Name;
                p.Fields[0] = Table.FindField(QLatin1String(ItemFields[size_t(item.Item)]));
                p.WideValue = DecodeUnicodeField(item.Value);
            } else {
                p.Test = TTest::Text;
                p.Fields[0] = Table.FindField(QLatin1String(ItemFields[size_t(item.Item)]));
                p.Value = item.Value;
            }
        } else if (item.Kind == 1 && item.Item == ItemTelDiv) {
            p.Test = TTest::TelDiv;
            p.Fields[0] = Table.FindField(QStringLiteral("TelDiv"));
        } else if (item.Kind == 1 && item.Item == ItemPrivCorp) {
            p.Test = TTest::PrivCorp;
            p.Fields[0] = Table.FindField(QStringLiteral("PrivCorp"));
        } else if (item.Kind == 1 && item.Item == ItemSymbolMark) {
            p.Test = TTest::Symbol;
            p.Fields[0] = Table.FindField(QStringLiteral("SymbolMark"));
            // An index without a mark can equal no record's text; a value
            // that is no CP932 text at all makes the test fail always.
            if (item.Value1 >= 0 && item.Value1 < int(SymbolMarks.size()))
                p.Value = Cp932::encode(SymbolMarks[size_t(item.Value1)]);
            else
                p.Value = QByteArrayLiteral("\x01");
        } else if (item.Kind == 11) {
            p.Test = TTest::Month;
            p.Fields[0] = Table.FindField(QStringLiteral("PubDate"));
        }
        // An item whose fields this table lacks tests nothing.
        if (p.Test != TTest::Skip && p.Test != TTest::Address && p.Fields[0] == nullptr)
            p.Test = TTest::Skip;
        d->Items.push_back(std::move(p));
    }
    // The items are joined by one operator and have no side effects, so the
    // order they are tested in cannot change the outcome; the cheap ones go
    // first, and a record they decide is never decoded or joined.
    const auto cost = [](TTest test) {
        switch (test) {
        case TTest::Text:
            return 1;
        case TTest::Address:
            return 2;
        case TTest::Name:
            return 3;
        default:
            return 0;
        }
    };
    std::stable_sort(d->Items.begin(), d->Items.end(),
                     [&cost](const Impl::TPrepared &a, const Impl::TPrepared &b) { return cost(a.Test) < cost(b.Test); });
}

TNarrowDownMatcher::~TNarrowDownMatcher() = default;

QStringList TNarrowDownMatcher::FieldNames() const
{
    QStringList names;
    for (const Impl::TPrepared &p : d->Items) {
        for (const TField *field : p.Fields) {
            if (field && !names.contains(field->FieldName()))
                names << field->FieldName();
        }
    }
    return names;
}

bool TNarrowDownMatcher::Impl::TestText(const TPrepared &p, QByteArrayView text) const
{
    const QByteArrayView value(p.Value);
    if (value.isEmpty())
        return text.isEmpty();
    switch (p.Match) {
    case 0:
        return text.startsWith(value);
    case 1:
        return IndexOfOnBoundary(text, value) >= 0;
    default: {
        // The tail must equal the value and start on a character, so "\" never
        // matches the trail byte of "ソ" (83 5C).
        if (text.size() < value.size() || !text.endsWith(value))
            return false;
        return IsCharBoundary(text, text.size() - value.size());
    }
    }
}

bool TNarrowDownMatcher::Impl::TestWide(const TPrepared &p, QStringView text)
{
    if (p.WideValue.isEmpty())
        return text.isEmpty();
    switch (p.Match) {
    case 0:
        return text.startsWith(p.WideValue);
    case 1:
        return text.contains(p.WideValue);
    default:
        return text.endsWith(p.WideValue);
    }
}

// False when the item tests nothing; else its outcome in result.
bool TNarrowDownMatcher::Impl::TestItem(const TPrepared &p, bool &result) const
{
    switch (p.Test) {
    case TTest::Skip:
        return false;
    case TTest::Text: {
        const QByteArrayView bytes = p.Fields[0]->AsBytesView();
        result = TestText(p, TrimBlanks(bytes));
        return true;
    }
    case TTest::Address: {
        Joined.resize(0);
        for (TField *field : p.Fields) {
            if (field != nullptr) {
                const QByteArrayView bytes = field->AsBytesView();
                Joined.append(TrimBlanks(bytes));
            }
        }
        result = TestText(p, Joined);
        return true;
    }
    case TTest::Name: {
        const QByteArrayView bytes = p.Fields[0]->AsBytesView();
        const QByteArrayView stored = TrimBlanks(bytes);
        if (stored.isEmpty()) {
            result = TestWide(p, {});
        } else {
            const QString text = DecodeUnicodeField(stored);
            result = TestWide(p, TrimBlanksView(text));
        }
        return true;
    }
    case TTest::TelDiv:
        result = p.Fields[0]->AsInteger() == 3 ? p.Value1 == 0 : p.Value1 == 1;
        break;
    case TTest::PrivCorp:
        result = p.Fields[0]->AsBoolean() ? p.Value1 == 0 : p.Value1 == 1;
        break;
    case TTest::Symbol:
        result = p.Fields[0]->AsBytesView() == p.Value;
        break;
    case TTest::Month: {
        const QByteArrayView bytes = p.Fields[0]->AsBytesView();
        qint64 month = 0;
        result = ParseInteger(TrimBlanks(bytes), month) && p.Value1 <= month && month <= p.Value2;
        return true;
    }
    }
    if (p.Negate)
        result = !result;
    return true;
}

bool TNarrowDownMatcher::Matches() const
{
    if (d->Items.empty())
        return true;
    for (const Impl::TPrepared &p : d->Items) {
        bool result = d->MatchAll;
        if (d->TestItem(p, result) && result != d->MatchAll)
            return result;
    }
    return d->MatchAll;
}

// ---------------------------------------------------------------------------
// Search.lst and Search.ptn, little-endian:
//   condition = uint8 N, N items, uint8 MatchAll
//   item      = uint8 Item, uint8 Kind,
//               kind 0: int32 L, L bytes of Value (none when L <= 0)
//               kind 1: int32 Value1
//               kind 11: int32 Value1, int32 Value2
//               other kinds: nothing
//               int8 Match (-1 = 0xFF), uint8 Negate
//   Search.ptn = uint8 P, P times: uint8 name length, name, condition

namespace {

// A cursor over a whole file's bytes; every read fails once the bytes run out.
class TByteReader
{
public:
    explicit TByteReader(QByteArrayView bytes) : m_bytes(bytes) {}

    bool U8(quint8 &v)
    {
        if (m_pos + 1 > m_bytes.size())
            return false;
        v = static_cast<quint8>(m_bytes[m_pos++]);
        return true;
    }
    bool I32(qint32 &v)
    {
        if (m_pos + 4 > m_bytes.size())
            return false;
        quint32 u = 0;
        for (int i = 3; i >= 0; --i)
            u = (u << 8) | static_cast<quint8>(m_bytes[m_pos + i]);
        m_pos += 4;
        v = static_cast<qint32>(u);
        return true;
    }
    // Bounded by what the file holds, so a damaged length never allocates more.
    bool Bytes(qint64 n, QByteArray &v)
    {
        if (n < 0 || m_pos + n > m_bytes.size())
            return false;
        v = m_bytes.sliced(m_pos, n).toByteArray();
        m_pos += n;
        return true;
    }

    // Every byte read: a file longer than what it describes is not one this
    // program wrote.
    [[nodiscard]] bool AtEnd() const { return m_pos == m_bytes.size(); }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

void PutI32(QByteArray &out, qint32 v)
{
    const auto u = static_cast<quint32>(v);
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((u >> (8 * i)) & 0xFF));
}

bool ReadCondition(TByteReader &in, TNarrowDownCondition &c)
{
    c.Clear();
    quint8 count = 0;
    if (!in.U8(count))
        return false;
    for (int i = 0; i < count; ++i) {
        TNarrowDownItem item;
        quint8 code = 0;
        quint8 kind = 0;
        if (!in.U8(code) || !in.U8(kind))
            return false;
        item.Item = code;
        item.Kind = kind;
        if (kind == 0) {
            qint32 length = 0;
            if (!in.I32(length))
                return false;
            if (length > 0 && !in.Bytes(length, item.Value))
                return false;
        } else if (kind == 1) {
            if (!in.I32(item.Value1))
                return false;
        } else if (kind == 11) {
            if (!in.I32(item.Value1) || !in.I32(item.Value2))
                return false;
        }
        quint8 match = 0;
        quint8 negate = 0;
        if (!in.U8(match) || !in.U8(negate))
            return false;
        item.Match = static_cast<qint8>(match);
        item.Negate = negate != 0;
        c.Items.append(item);
    }
    quint8 matchAll = 0;
    if (!in.U8(matchAll))
        return false;
    c.MatchAll = matchAll != 0;
    return true;
}

// False when the condition does not fit the one-byte item count.
bool PutCondition(QByteArray &out, const TNarrowDownCondition &c)
{
    if (c.Items.size() > 255)
        return false;
    out.append(static_cast<char>(c.Items.size()));
    for (const TNarrowDownItem &item : c.Items) {
        out.append(static_cast<char>(item.Item & 0xFF));
        out.append(static_cast<char>(item.Kind & 0xFF));
        switch (item.Kind & 0xFF) {
        case 0:
            PutI32(out, qint32(item.Value.size()));
            out.append(item.Value);
            break;
        case 1:
            PutI32(out, item.Value1);
            break;
        case 11:
            PutI32(out, item.Value1);
            PutI32(out, item.Value2);
            break;
        default:
            break;
        }
        out.append(static_cast<char>(static_cast<qint8>(item.Match)));
        out.append(static_cast<char>(item.Negate ? 1 : 0));
    }
    out.append(static_cast<char>(c.MatchAll ? 1 : 0));
    return true;
}

// No filter file comes near this; a larger one is not read into memory.
constexpr qint64 MaxFilterFileSize = 16 * 1024 * 1024;

enum class TFileRead : std::uint8_t {
    Missing,    // no file (a folder in its place counts as none)
    Read,       // bytes holds the whole file
    Unreadable, // reason says why
};

TFileRead ReadWholeFile(const QString &path, QByteArray &bytes, QString &reason)
{
    RecoverSafeReplace(path);
    if (!QFileInfo(path).isFile())
        return TFileRead::Missing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("cannot open: ") + file.errorString();
        return TFileRead::Unreadable;
    }
    if (file.size() > MaxFilterFileSize) {
        reason = QStringLiteral("too large");
        return TFileRead::Unreadable;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = QStringLiteral("cannot read: ") + file.errorString();
        return TFileRead::Unreadable;
    }
    return TFileRead::Read;
}

// Search.lst as a whole: one condition and nothing after it.
bool ParseSearchList(QByteArrayView bytes, TNarrowDownCondition &condition)
{
    TByteReader in(bytes);
    return ReadCondition(in, condition) && in.AtEnd();
}

// Search.ptn as a whole: the count, that many patterns, nothing after them.
bool ParseSearchPatterns(QByteArrayView bytes, QList<TSearchPattern> &patterns)
{
    TByteReader in(bytes);
    quint8 count = 0;
    if (!in.U8(count))
        return false;
    for (int i = 0; i < count; ++i) {
        TSearchPattern pattern;
        quint8 length = 0;
        if (!in.U8(length) || !in.Bytes(length, pattern.Name) || !ReadCondition(in, pattern.Condition))
            return false;
        patterns.append(pattern);
    }
    return in.AtEnd();
}

// Reads a filter file with its parser. A file that is there but cannot be
// read is kept aside and the user told (false, the caller uses its
// defaults); a missing file is false too, silently.
template <typename T, typename Parse>
bool ReadFilterFile(const QString &path, T &value, Parse parse)
{
    value = T();
    QByteArray bytes;
    QString reason;
    switch (ReadWholeFile(path, bytes, reason)) {
    case TFileRead::Missing:
        return false;
    case TFileRead::Read:
        if (parse(bytes, value))
            return true;
        reason = QStringLiteral("damaged or cut short");
        break;
    case TFileRead::Unreadable:
        break;
    }
    value = T();
    (void)KeepUnreadableFileAside(path, reason);
    return false;
}

// A file damaged since it was read (another hand, a bad sector) is kept
// aside whole and named, as at reading, before a save writes; one that
// cannot be moved stays in place, and writing over it (or deleting it) is
// refused with the reason.
template <typename T, typename Parse>
bool DamagedFileInTheWay(const QString &path, Parse parse, QString *error)
{
    QByteArray bytes;
    QString reason;
    T value;
    switch (ReadWholeFile(path, bytes, reason)) {
    case TFileRead::Missing:
        return false;
    case TFileRead::Read:
        if (parse(bytes, value))
            return false;
        reason = QStringLiteral("damaged or cut short");
        break;
    case TFileRead::Unreadable:
        break;
    }
    if (!KeepUnreadableFileAside(path, reason).isEmpty())
        return false;
    if (error)
        *error = QStringLiteral("読み込めなかったファイルを上書きしないため  \r\n") + QDir::toNativeSeparators(path);
    return true;
}

// Writes the bytes, or deletes the file when there is nothing to keep. A
// file its user set read-only is kept either way.
bool ReplaceOrRemove(const QString &path, const QByteArray *bytes, QString *error)
{
    if (bytes == nullptr) {
        RecoverSafeReplace(path);
        if (!QFile::exists(path))
            return true;
        // Removing a name is the folder's business, but a file set read-only
        // is meant to stay as it is.
        TWriteTarget target = TWriteTarget::File;
        int code = ReadOnlyFileError(path);
        if (code == 0) {
            if (::unlink(QFile::encodeName(path).constData()) == 0)
                return true;
            code = errno;
            target = TWriteTarget::Folder;
        }
        if (error)
            *error = WriteErrorReason(code, target);
        return false;
    }
    return SafeReplaceFile(path, *bytes, error);
}

} // namespace

bool ReadSearchList(const QString &Path, TNarrowDownCondition &Condition)
{
    return ReadFilterFile(Path, Condition, ParseSearchList);
}

bool WriteSearchList(const QString &Path, const TNarrowDownCondition &Condition, QString *Error)
{
    // Another program with the same data folder may save its filter at the
    // same moment: one save at a time.
    TFileLock lock(Path);
    if (!lock.Acquire(SharedFileWaitMs, Error))
        return false;
    if (DamagedFileInTheWay<TNarrowDownCondition>(Path, ParseSearchList, Error))
        return false;
    if (Condition.Items.isEmpty())
        return ReplaceOrRemove(Path, nullptr, Error);
    QByteArray bytes;
    if (!PutCondition(bytes, Condition))
        return false;
    return ReplaceOrRemove(Path, &bytes, Error);
}

QList<TSearchPattern> ReadSearchPatterns(const QString &Path)
{
    QList<TSearchPattern> patterns;
    (void)ReadFilterFile(Path, patterns, ParseSearchPatterns);
    return patterns;
}

namespace {

// Writes the patterns (or removes the file when there are none); the
// caller holds the file's lock.
bool PutSearchPatterns(const QString &path, const QList<TSearchPattern> &patterns, QString *error)
{
    if (patterns.size() > MaxSearchPatterns)
        return false;
    if (patterns.isEmpty())
        return ReplaceOrRemove(path, nullptr, error);
    QByteArray bytes;
    bytes.append(static_cast<char>(patterns.size()));
    for (const TSearchPattern &pattern : patterns) {
        const QByteArray name = Cp932::truncated(pattern.Name, 255);
        bytes.append(static_cast<char>(name.size()));
        bytes.append(name);
        if (!PutCondition(bytes, pattern.Condition))
            return false;
    }
    return ReplaceOrRemove(path, &bytes, error);
}

} // namespace

bool WriteSearchPatterns(const QString &Path, const QList<TSearchPattern> &Patterns, QString *Error)
{
    TFileLock lock(Path);
    if (!lock.Acquire(SharedFileWaitMs, Error))
        return false;
    if (DamagedFileInTheWay<QList<TSearchPattern>>(Path, ParseSearchPatterns, Error))
        return false;
    return PutSearchPatterns(Path, Patterns, Error);
}

bool SaveSearchPatternChanges(const QString &Path, const QList<TSearchPattern> &Base,
                              const QList<TSearchPattern> &Mine, QList<TSearchPattern> &Saved, QString *Error)
{
    // Held until the file is replaced: no other program reads the patterns
    // between this read and this write.
    TFileLock lock(Path);
    if (!lock.Acquire(SharedFileWaitMs, Error))
        return false;
    QList<TSearchPattern> current;
    QByteArray bytes;
    QString reason;
    bool damaged = false;
    switch (ReadWholeFile(Path, bytes, reason)) {
    case TFileRead::Missing:
        break;
    case TFileRead::Read:
        damaged = !ParseSearchPatterns(bytes, current);
        reason = QStringLiteral("damaged or cut short");
        break;
    case TFileRead::Unreadable:
        damaged = true;
        break;
    }
    // A file damaged since this writer read it is kept aside whole, and what
    // the writer read stands for it; one that cannot be moved stays as it is.
    if (damaged) {
        if (KeepUnreadableFileAside(Path, reason).isEmpty()) {
            if (Error)
                *Error = QStringLiteral("読み込めなかったファイルを上書きしないため  \r\n") + QDir::toNativeSeparators(Path);
            return false;
        }
        current = Base;
    }
    MergeEntryChanges(
        current, Base, Mine, [](const TSearchPattern &a, const TSearchPattern &b) { return a.Name == b.Name; },
        [](const TSearchPattern &a, const TSearchPattern &b) { return a.Condition == b.Condition; });
    if (current.size() > MaxSearchPatterns) {
        if (Error)
            *Error = QStringLiteral("ほかの画面かほかのプログラムで保存されたパターンと合わせると%1件を超えるため")
                         .arg(MaxSearchPatterns);
        return false;
    }
    if (!PutSearchPatterns(Path, current, Error))
        return false;
    Saved = std::move(current);
    return true;
}
