#include "directory/SchHist.h"

#include "core/Env.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/UnreadableFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

// No history file comes near this; a larger one is not read into memory.
constexpr qint64 MaxHistoryFileSize = 16 * 1024 * 1024;

class TReader {
public:
    explicit TReader(QByteArrayView Bytes) : m_bytes(Bytes) {}
    bool Int(int &Value)
    {
        if (m_bytes.size() - m_pos < 4)
            return false;
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<std::uint8_t>(m_bytes[m_pos + i]);
        Value = static_cast<std::int32_t>(v);
        m_pos += 4;
        return true;
    }
    // A length byte and Capacity bytes; false when cut short or the length
    // is beyond the capacity.
    bool Short(int Capacity, QByteArray &Value)
    {
        if (m_bytes.size() - m_pos < Capacity + 1)
            return false;
        const int length = static_cast<std::uint8_t>(m_bytes[m_pos]);
        if (length > Capacity)
            return false;
        Value = m_bytes.sliced(m_pos + 1, length).toByteArray();
        m_pos += Capacity + 1;
        return true;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

void putInt(QByteArray &Out, int Value)
{
    const auto v = static_cast<std::uint32_t>(Value);
    for (int i = 0; i < 4; ++i)
        Out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void putShort(QByteArray &Out, QByteArrayView Value, int Capacity)
{
    // Never half a character: a name read back must decode as it was typed.
    const auto length = static_cast<int>(Cp932::boundaryAtOrBefore(Value, Capacity));
    Out.append(static_cast<char>(length));
    Out.append(Value.first(length));
    Out.append(QByteArray(Capacity - length, '\0'));
}

bool isKey(const QByteArray &Key, int Level)
{
    if (Key.size() != Level)
        return false;
    for (const char c : Key)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')))
            return false;
    return true;
}

// One entry; false when it is damaged.
bool readEntry(TReader &In, TSearchHistoryEntry &Entry)
{
    int keyCount = 0;
    if (!In.Short(SearchHistoryNameBytes, Entry.Name) || !In.Int(Entry.MatchKind) || !In.Int(Entry.Category)
        || !In.Int(Entry.PhoneKinds) || !In.Int(Entry.CorporateForm)
        || !In.Short(SearchHistoryMonthBytes, Entry.MonthFrom) || !In.Short(SearchHistoryMonthBytes, Entry.MonthTo)
        || !In.Int(Entry.BlockSize) || !In.Int(Entry.Region) || !In.Int(keyCount) || !In.Int(Entry.KeyLevel))
        return false;
    if (keyCount < 0)
        return false;
    if (keyCount == 0) {
        // Conditions without an address are still conditions: kept, so that
        // nothing after them is lost.
        Entry.KeyLevel = 0;
        return true;
    }
    if (Entry.KeyLevel != 2 && Entry.KeyLevel != 5 && Entry.KeyLevel != 8)
        return false;
    for (int i = 0; i < keyCount; ++i) {
        QByteArray key;
        if (!In.Short(Entry.KeyLevel, key) || !isKey(key, Entry.KeyLevel))
            return false;
        Entry.Keys << QString::fromLatin1(key);
    }
    return true;
}

// Shift-JIS texts equal but for the case of their letters. Walked by
// characters: a trail byte may be an ASCII letter's byte ("ア" 83 41, "ヂ"
// 83 61), and folding it would make two names one.
bool sameIgnoringCase(const QByteArray &A, const QByteArray &B)
{
    if (A.size() != B.size())
        return false;
    for (qsizetype i = 0; i < A.size(); ++i) {
        const auto a = static_cast<unsigned char>(A[i]);
        const auto b = static_cast<unsigned char>(B[i]);
        if (Cp932::isLeadByte(a) && i + 1 < A.size()) {
            if (a != b || A[i + 1] != B[i + 1])
                return false;
            ++i;
            continue;
        }
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 0x20) : c; };
        if (lower(a) != lower(b))
            return false;
    }
    return true;
}

} // namespace

bool SameSearchConditions(const TSearchHistoryEntry &A, const TSearchHistoryEntry &B)
{
    auto same = [](const QByteArray &a, const QByteArray &b) { return sameIgnoringCase(a, b); };
    if (!same(A.Name, B.Name) || !same(A.MonthFrom, B.MonthFrom) || !same(A.MonthTo, B.MonthTo))
        return false;
    if (A.MatchKind != B.MatchKind || A.Category != B.Category || A.PhoneKinds != B.PhoneKinds
        || A.CorporateForm != B.CorporateForm || A.BlockSize != B.BlockSize || A.KeyLevel != B.KeyLevel
        || A.Region != B.Region || A.Keys.size() != B.Keys.size())
        return false;
    for (qsizetype i = 0; i < A.Keys.size(); ++i)
        if (A.Keys[i].compare(B.Keys[i], Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

void RememberSearch(std::vector<TSearchHistoryEntry> &History, const TSearchHistoryEntry &Entry, int HisCount)
{
    if (HisCount < 1) {
        History.clear();
        return;
    }
    const auto equal = std::find_if(History.begin(), History.end(),
                                    [&](const TSearchHistoryEntry &e) { return SameSearchConditions(e, Entry); });
    if (equal != History.end()) {
        std::rotate(History.begin(), equal, equal + 1);
        return;
    }
    History.insert(History.begin(), Entry);
    if (History.size() > static_cast<std::size_t>(HisCount))
        History.resize(static_cast<std::size_t>(HisCount));
}

std::vector<TSearchHistoryEntry> ParseSearchHistory(QByteArrayView Bytes, int HisCount,
                                                    const std::function<bool(int)> &RegionInUse, bool *Damaged,
                                                    bool *CurrentApart)
{
    std::vector<TSearchHistoryEntry> entries;
    bool damaged = false;
    bool apart = false;
    TReader in(Bytes);
    int count = 0;
    if (!in.Int(count) || count < 1) {
        damaged = true;
    } else {
        const int kept = std::max(HisCount, 0);
        int read = 0;
        // The history entries among those returned: all but the current
        // conditions when these stand apart.
        auto inHistory = [&] { return static_cast<int>(entries.size()) - (apart ? 1 : 0); };
        while (read < count && (entries.empty() || inHistory() < kept)) {
            TSearchHistoryEntry entry;
            if (!readEntry(in, entry)) {
                damaged = true;
                break;
            }
            ++read;
            if (entry.Region < 1 || entry.Region > AreaCount || !RegionInUse || !RegionInUse(entry.Region)) {
                entry.Region = 0;
                entry.KeyLevel = 0;
                entry.Keys.clear();
            }
            // The current conditions written twice: deleted from the history.
            if (read == 2 && SameSearchConditions(entry, entries.front())) {
                apart = true;
                continue;
            }
            entries.push_back(std::move(entry));
        }
    }
    if (Damaged != nullptr)
        *Damaged = damaged;
    if (CurrentApart != nullptr)
        *CurrentApart = apart;
    return entries;
}

QByteArray SearchHistoryBytes(const TSearchHistoryEntry &Current, const std::vector<TSearchHistoryEntry> &History,
                              bool HistoryKept)
{
    std::vector<const TSearchHistoryEntry *> entries{&Current};
    const bool atFront = !History.empty() && SameSearchConditions(History.front(), Current);
    if (HistoryKept && !atFront)
        entries.push_back(&Current);
    for (std::size_t i = 0; i < History.size(); ++i)
        if (i > 0 || !atFront)
            entries.push_back(&History[i]);
    QByteArray out;
    putInt(out, static_cast<int>(entries.size()));
    for (const TSearchHistoryEntry *e : entries) {
        putShort(out, e->Name, SearchHistoryNameBytes);
        putInt(out, e->MatchKind);
        putInt(out, e->Category);
        putInt(out, e->PhoneKinds);
        putInt(out, e->CorporateForm);
        putShort(out, e->MonthFrom, SearchHistoryMonthBytes);
        putShort(out, e->MonthTo, SearchHistoryMonthBytes);
        putInt(out, e->BlockSize);
        putInt(out, e->Region);
        const int level = e->Keys.isEmpty() ? 0 : e->KeyLevel;
        putInt(out, static_cast<int>(e->Keys.size()));
        putInt(out, level);
        for (const QString &key : e->Keys)
            putShort(out, key.toLatin1(), level);
    }
    return out;
}

std::vector<TSearchHistoryEntry> ReadSearchHistoryFile(const QString &Path, int HisCount,
                                                       const std::function<bool(int)> &RegionInUse, bool *Blocked,
                                                       bool *CurrentApart)
{
    if (Blocked != nullptr)
        *Blocked = false;
    if (CurrentApart != nullptr)
        *CurrentApart = false;
    RecoverSafeReplace(Path);
    if (!QFileInfo(Path).isFile())
        return {};
    QFile file(Path);
    QString reason;
    QByteArray bytes;
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("cannot open: ") + file.errorString();
    } else if (file.size() > MaxHistoryFileSize) {
        reason = QStringLiteral("too large");
    } else {
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            reason = QStringLiteral("cannot read: ") + file.errorString();
    }
    file.close();
    std::vector<TSearchHistoryEntry> entries;
    if (reason.isEmpty()) {
        bool damaged = false;
        entries = ParseSearchHistory(bytes, HisCount, RegionInUse, &damaged, CurrentApart);
        if (!damaged)
            return entries;
        reason = QStringLiteral("damaged or cut short");
    }
    // The entries after the damage stay in the copy kept aside.
    if (KeepUnreadableFileAside(Path, reason).isEmpty() && Blocked != nullptr)
        *Blocked = true;
    return entries;
}

bool WriteSearchHistoryFile(const QString &Path, const TSearchHistoryEntry &Current,
                            const std::vector<TSearchHistoryEntry> &History, QString *Error, bool HistoryKept)
{
    return SafeReplaceFile(Path, SearchHistoryBytes(Current, History, HistoryKept), Error);
}

QString SearchHistoryFileName()
{
    return DataPath + QStringLiteral("NmAd.shc");
}
