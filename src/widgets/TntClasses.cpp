#include "widgets/TntClasses.h"

#include "platform/TextLines.h"

#include "widgets/TntSystem.h"

#include <QCollator>
#include <QIODevice>
#include <QLocale>
#include <QtEndian>

#include <algorithm>

namespace {

const QString kListIndexError = QStringLiteral("List index out of bounds (%1)");
const QString kListCapacityError = QStringLiteral("List capacity out of bounds (%1)");
const QString kSortedListError = QStringLiteral("Operation not allowed on sorted list");
const QString kDuplicateString = QStringLiteral("String list does not allow duplicates");

QCollator makeCollator(Qt::CaseSensitivity sensitivity)
{
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setCaseSensitivity(sensitivity);
    return collator;
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

// Japanese collation. The collator treats hiragana and katakana, and full and
// half width forms, as equal, yet to the user they are different texts (a
// sorted list without duplicates must be able to hold both "ア" and "ｱ"), so
// such ties are broken by UTF-16 order (after case folding when case does not
// count). That keeps the order total.
int compareJapanese(const QString &s1, const QString &s2, bool caseSensitive)
{
    thread_local const QCollator sensitive = makeCollator(Qt::CaseSensitive);
    thread_local const QCollator insensitive = makeCollator(Qt::CaseInsensitive);
    const int result = (caseSensitive ? sensitive : insensitive).compare(s1, s2);
    if (result != 0)
        return sign(result);
    return sign(QString::compare(s1, s2, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive));
}

// Everything from the current position to the end; a device that delivers
// less than its size promises is a read error, never a shorter text.
QByteArray readRest(QIODevice &stream)
{
    if (!stream.isReadable())
        throw EReadError(QStringLiteral("Stream read error"));
    if (stream.isSequential())
        return stream.readAll();
    const qint64 remaining = stream.size() - stream.pos();
    if (remaining <= 0)
        return QByteArray();
    QByteArray data = stream.read(remaining);
    if (data.size() != remaining)
        throw EReadError(QStringLiteral("Stream read error"));
    return data;
}

void writeAll(QIODevice &stream, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (stream.write(bytes) != bytes.size())
        throw EWriteError(QStringLiteral("Stream write error"));
}

// Runs body between BeginUpdate and EndUpdate, ending the update on failure too.
template <typename List, typename Body>
void inUpdate(List &list, Body body)
{
    list.BeginUpdate();
    try {
        body();
    } catch (...) {
        list.EndUpdate();
        throw;
    }
    list.EndUpdate();
}

} // namespace

TTextCharSet DetectCharacterSet(QIODevice &stream)
{
    const QByteArray head = stream.peek(3);
    if (head.size() >= 2) {
        if (head.startsWith("\xFF\xFE")) {
            stream.skip(2);
            return TTextCharSet::tcsUtf16;
        }
        if (head.startsWith("\xFE\xFF")) {
            stream.skip(2);
            return TTextCharSet::tcsUtf16Swapped;
        }
    }
    if (head == "\xEF\xBB\xBF") {
        stream.skip(3);
        return TTextCharSet::tcsUtf8;
    }
    return TTextCharSet::tcsAnsi;
}

// ---- TTntStrings -----------------------------------------------------------------

TTntStrings::TTntStrings()
    : m_ansiStrings(std::make_unique<TAnsiStringsForWideStringsAdapter>(*this, CP_ACP))
{
}

TTntStrings::~TTntStrings() = default;

void TTntStrings::FreeAnsiStrings()
{
    m_ansiStrings.reset();
}

void *TTntStrings::GetObject(int) const
{
    return nullptr;
}

void TTntStrings::Put(int index, const QString &s)
{
    inUpdate(*this, [&] {
        void *object = GetObject(index);
        Delete(index);
        InsertObject(index, s, object);
    });
}

void TTntStrings::PutObject(int, void *) {}

int TTntStrings::GetCapacity() const
{
    return GetCount();
}

void TTntStrings::SetCapacity(int) {}

void TTntStrings::InsertObject(int index, const QString &s, void *object)
{
    Insert(index, s);
    PutObject(index, object);
}

int TTntStrings::Add(const QString &s)
{
    const int index = GetCount();
    Insert(index, s);
    return index;
}

int TTntStrings::AddObject(const QString &s, void *object)
{
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

void TTntStrings::AddStrings(const TTntStrings &strings)
{
    inUpdate(*this, [&] {
        const int count = strings.GetCount();
        for (int i = 0; i < count; ++i)
            AddObject(strings.Get(i), strings.GetObject(i));
    });
}

void TTntStrings::AddStrings(const TAnsiStrings &strings)
{
    inUpdate(*this, [&] {
        const int count = strings.GetCount();
        for (int i = 0; i < count; ++i)
            AddObject(AnsiToWideCp(strings.Get(i), CP_ACP), strings.GetObject(i));
    });
}

void TTntStrings::Assign(const TTntStrings &source)
{
    if (&source == this)
        return;
    inUpdate(*this, [&] {
        Clear();
        AddStrings(source);
    });
}

void TTntStrings::Assign(const TAnsiStrings &source)
{
    if (&source == m_ansiStrings.get())
        return;
    inUpdate(*this, [&] {
        Clear();
        AddStrings(source);
    });
}

void TTntStrings::Exchange(int index1, int index2)
{
    inUpdate(*this, [&] {
        const QString s1 = Get(index1);
        void *const o1 = GetObject(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s1);
        PutObject(index2, o1);
    });
}

void TTntStrings::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    inUpdate(*this, [&] {
        const QString s = Get(curIndex);
        void *const object = GetObject(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, object);
    });
}

int TTntStrings::IndexOf(const QString &s) const
{
    const int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (CompareStrings(Get(i), s) == 0)
            return i;
    return -1;
}

int TTntStrings::IndexOfName(const QString &name) const
{
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        const QString item = Get(i);
        const qsizetype separator = item.indexOf(NameValueSeparator());
        if (separator >= 0 && CompareStrings(item.left(separator), name) == 0)
            return i;
    }
    return -1;
}

int TTntStrings::IndexOfObject(const void *object) const
{
    const int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

int TTntStrings::CompareStrings(const QString &s1, const QString &s2) const
{
    return compareJapanese(s1, s2, false);
}

QString TTntStrings::Names(int index) const
{
    const QString item = Get(index);
    const qsizetype separator = item.indexOf(NameValueSeparator());
    return separator >= 0 ? item.left(separator) : QString();
}

QString TTntStrings::Values(const QString &name) const
{
    const int index = IndexOfName(name);
    if (index < 0)
        return QString();
    const QString item = Get(index);
    return item.mid(item.indexOf(NameValueSeparator()) + 1);
}

void TTntStrings::SetValues(const QString &name, const QString &value)
{
    int index = IndexOfName(name);
    if (!value.isEmpty()) {
        if (index < 0)
            index = Add(QString());
        Put(index, name + NameValueSeparator() + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

QString TTntStrings::GetTextStr() const
{
    QString text;
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        text += Get(i);
        text += QLatin1String("\r\n");
    }
    return text;
}

void TTntStrings::SetTextStr(const QString &text)
{
    inUpdate(*this, [&] {
        Clear();
        for (const QString &item : SplitLines(text))
            Add(item);
    });
}

void TTntStrings::SetText(const QString &text)
{
    SetTextStr(text);
}

void TTntStrings::BeginUpdate()
{
    if (m_updateCount == 0)
        SetUpdateState(true);
    ++m_updateCount;
}

void TTntStrings::EndUpdate()
{
    if (m_updateCount <= 0)
        return;
    --m_updateCount;
    if (m_updateCount == 0)
        SetUpdateState(false);
}

void TTntStrings::SetUpdateState(bool) {}

void TTntStrings::Error(const QString &message, int data) const
{
    throw EStringListError(message.arg(data));
}

void TTntStrings::Error(const QString &message) const
{
    throw EStringListError(message);
}

void TTntStrings::LoadFromFile(const QString &fileName)
{
    TTntFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    m_loadedCharSet = DetectCharacterSet(stream);
    stream.seek(0);
    LoadFromStream(stream);
}

void TTntStrings::LoadFromStream(QIODevice &stream)
{
    LoadFromStreamWithBom(stream, true);
}

void TTntStrings::LoadFromStreamWithBom(QIODevice &stream, bool withBom)
{
    inUpdate(*this, [&] {
        const TTextCharSet charSet = withBom ? DetectCharacterSet(stream) : TTextCharSet::tcsUtf16;
        const QByteArray bytes = readRest(stream);
        QString text;
        switch (charSet) {
        case TTextCharSet::tcsUtf16:
        case TTextCharSet::tcsUtf16Swapped: {
            // An odd last byte is not part of the text.
            const qsizetype units = bytes.size() / 2;
            text.resize(units);
            char16_t *out = reinterpret_cast<char16_t *>(text.data());
            const auto *in = reinterpret_cast<const uchar *>(bytes.constData());
            for (qsizetype i = 0; i < units; ++i)
                out[i] = charSet == TTextCharSet::tcsUtf16 ? qFromLittleEndian<quint16>(in + 2 * i)
                                                           : qFromBigEndian<quint16>(in + 2 * i);
            break;
        }
        case TTextCharSet::tcsUtf8:
            text = AnsiToWideCp(bytes, CP_UTF8);
            break;
        case TTextCharSet::tcsAnsi:
            text = AnsiToWideCp(bytes, CP_ACP);
            break;
        }
        SetTextStr(text);
    });
}

void TTntStrings::SaveToFile(const QString &fileName)
{
    TTntFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
    if (!stream.flush())
        throw EWriteError(QStringLiteral("Stream write error"));
}

void TTntStrings::SaveToStream(QIODevice &stream)
{
    SaveToStreamWithBom(stream, true);
}

void TTntStrings::SaveToStreamWithBom(QIODevice &stream, bool withBom)
{
    const QString text = GetTextStr();
    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    if (withBom)
        bytes.append("\xFF\xFE", 2);
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        bytes.append(static_cast<char>(unit & 0xFF));
        bytes.append(static_cast<char>(unit >> 8));
    }
    writeAll(stream, bytes);
}

TAnsiStrings *TTntStrings::AnsiStrings() const
{
    return m_ansiStrings.get();
}

void TTntStrings::SetAnsiStrings(const TAnsiStrings &value)
{
    m_ansiStrings->Assign(value);
}

// ---- TTntStringList ----------------------------------------------------------------

TTntStringList::TTntStringList() = default;

TTntStringList::~TTntStringList()
{
    m_onChange = nullptr;
    m_onChanging = nullptr;
    FreeAnsiStrings();
    m_items.clear();
    m_count = 0;
}

void TTntStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= m_count)
        Error(kListIndexError, index);
}

QString TTntStringList::Get(int index) const
{
    CheckIndex(index);
    return m_items[index].FString;
}

void *TTntStringList::GetObject(int index) const
{
    CheckIndex(index);
    return m_items[index].FObject;
}

void TTntStringList::Put(int index, const QString &s)
{
    if (m_sorted)
        Error(kSortedListError);
    CheckIndex(index);
    Changing();
    m_items[index].FString = s;
    Changed();
}

void TTntStringList::PutObject(int index, void *object)
{
    CheckIndex(index);
    Changing();
    m_items[index].FObject = object;
    Changed();
}

void TTntStringList::SetCapacity(int capacity)
{
    // Fewer slots than items would drop live items.
    if (capacity < m_count)
        Error(kListCapacityError, capacity);
    m_items.resize(static_cast<size_t>(capacity));
}

void TTntStringList::Grow()
{
    const int capacity = GetCapacity();
    const int delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    SetCapacity(capacity + delta);
}

int TTntStringList::Add(const QString &s)
{
    return AddObject(s, nullptr);
}

int TTntStringList::AddObject(const QString &s, void *object)
{
    int index = m_count;
    if (m_sorted && Find(s, index)) {
        switch (m_duplicates) {
        case TDuplicates::dupIgnore:
            return index;
        case TDuplicates::dupError:
            Error(kDuplicateString);
        case TDuplicates::dupAccept:
            break;
        }
    }
    InsertItem(index, s, object);
    return index;
}

void TTntStringList::Insert(int index, const QString &s)
{
    InsertObject(index, s, nullptr);
}

void TTntStringList::InsertObject(int index, const QString &s, void *object)
{
    if (m_sorted)
        Error(kSortedListError);
    if (index < 0 || index > m_count)
        Error(kListIndexError, index);
    InsertItem(index, s, object);
}

void TTntStringList::InsertItem(int index, const QString &s, void *object)
{
    Changing();
    if (m_count == GetCapacity())
        Grow();
    auto at = m_items.begin() + index;
    std::move_backward(at, m_items.begin() + m_count, m_items.begin() + m_count + 1);
    at->FString = s;
    at->FObject = object;
    ++m_count;
    Changed();
}

void TTntStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    std::move(m_items.begin() + index + 1, m_items.begin() + m_count, m_items.begin() + index);
    --m_count;
    m_items[m_count] = TStringItem();
    Changed();
}

void TTntStringList::Clear()
{
    if (m_count == 0)
        return;
    Changing();
    m_items.clear();
    m_items.shrink_to_fit();
    m_count = 0;
    Changed();
}

void TTntStringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    ExchangeItems(index1, index2);
    Changed();
}

void TTntStringList::ExchangeItems(int index1, int index2)
{
    std::swap(m_items[index1], m_items[index2]);
}

int TTntStringList::IndexOf(const QString &s) const
{
    if (!m_sorted)
        return TTntStrings::IndexOf(s);
    int index = -1;
    return Find(s, index) ? index : -1;
}

int TTntStringList::IndexOfName(const QString &name) const
{
    if (!m_sorted)
        return TTntStrings::IndexOfName(name);
    const QString key = name + NameValueSeparator();
    int index = -1;
    (void)Find(key, index);
    if (index >= 0 && index < m_count && CompareStrings(m_items[index].FString.left(key.size()), key) == 0)
        return index;
    return -1;
}

int TTntStringList::CompareStrings(const QString &s1, const QString &s2) const
{
    return compareJapanese(s1, s2, m_caseSensitive);
}

bool TTntStringList::Find(const QString &s, int &index) const
{
    bool found = false;
    int l = 0;
    int h = m_count - 1;
    while (l <= h) {
        const int i = (l + h) / 2;
        const int c = CompareStrings(m_items[i].FString, s);
        if (c < 0) {
            l = i + 1;
        } else {
            h = i - 1;
            if (c == 0) {
                found = true;
                if (m_duplicates != TDuplicates::dupAccept)
                    l = i;
            }
        }
    }
    index = l;
    return found;
}

void TTntStringList::Sort()
{
    CustomSort([](TTntStringList &list, int index1, int index2) {
        return list.CompareStrings(list.m_items[index1].FString, list.m_items[index2].FString);
    });
}

void TTntStringList::CustomSort(const TTntStringListSortCompare &compare)
{
    if (m_sorted || m_count < 2)
        return;
    Changing();
    QuickSort(0, m_count - 1, compare);
    Changed();
}

void TTntStringList::QuickSort(int l, int r, const TTntStringListSortCompare &compare)
{
    int i = 0;
    do {
        i = l;
        int j = r;
        // The pivot is followed by index through the exchanges.
        int p = (l + r) / 2;
        do {
            while (compare(*this, i, p) < 0)
                ++i;
            while (compare(*this, j, p) > 0)
                --j;
            if (i <= j) {
                ExchangeItems(i, j);
                if (p == i)
                    p = j;
                else if (p == j)
                    p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (l < j)
            QuickSort(l, j, compare);
        l = i;
    } while (i < r);
}

void TTntStringList::SetSorted(bool sorted)
{
    if (sorted == m_sorted)
        return;
    if (sorted)
        Sort();
    m_sorted = sorted;
}

void TTntStringList::SetCaseSensitive(bool caseSensitive)
{
    if (caseSensitive == m_caseSensitive)
        return;
    m_caseSensitive = caseSensitive;
    if (m_sorted) {
        // Sort() leaves a list marked sorted alone, yet its order was made
        // for the other comparison and Find depends on it.
        m_sorted = false;
        Sort();
        m_sorted = true;
    }
}

void TTntStringList::SetUpdateState(bool updating)
{
    m_updating = updating;
    if (updating)
        Changing();
    else
        Changed();
}

void TTntStringList::Changed()
{
    if (!m_updating && m_onChange)
        m_onChange(this);
}

void TTntStringList::Changing()
{
    if (!m_updating && m_onChanging)
        m_onChanging(this);
}

// ---- TAnsiStrings ----------------------------------------------------------------

int TAnsiStrings::Add(const QByteArray &s)
{
    const int index = GetCount();
    Insert(index, s);
    return index;
}

int TAnsiStrings::AddObject(const QByteArray &s, void *object)
{
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

void TAnsiStrings::InsertObject(int index, const QByteArray &s, void *object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TAnsiStrings::Assign(const TAnsiStrings &source)
{
    if (&source == this)
        return;
    inUpdate(*this, [&] {
        Clear();
        const int count = source.GetCount();
        for (int i = 0; i < count; ++i)
            AddObject(source.Get(i), source.GetObject(i));
    });
}

QByteArray TAnsiStrings::GetTextStr() const
{
    QByteArray text;
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        text += Get(i);
        text += "\r\n";
    }
    return text;
}

void TAnsiStrings::SetTextStr(const QByteArray &text)
{
    inUpdate(*this, [&] {
        Clear();
        for (const QByteArray &item : SplitLines(text))
            Add(item);
    });
}

void TAnsiStrings::BeginUpdate()
{
    if (m_updateCount == 0)
        SetUpdateState(true);
    ++m_updateCount;
}

void TAnsiStrings::EndUpdate()
{
    if (m_updateCount <= 0)
        return;
    --m_updateCount;
    if (m_updateCount == 0)
        SetUpdateState(false);
}

void TAnsiStrings::LoadFromStream(QIODevice &stream)
{
    LoadFromStreamEx(stream, CP_ACP);
}

void TAnsiStrings::SaveToStream(QIODevice &stream)
{
    SaveToStreamEx(stream, CP_ACP);
}

// ---- TAnsiStringsForWideStringsAdapter -------------------------------------------------

TAnsiStringsForWideStringsAdapter::TAnsiStringsForWideStringsAdapter(TTntStrings &wideStrings,
                                                                     std::uint32_t codePage)
    : m_wideStrings(wideStrings), m_codePage(codePage)
{
}

QByteArray TAnsiStringsForWideStringsAdapter::Get(int index) const
{
    return WideToAnsiCp(m_wideStrings.Get(index), m_codePage);
}

int TAnsiStringsForWideStringsAdapter::GetCount() const
{
    return m_wideStrings.GetCount();
}

void *TAnsiStringsForWideStringsAdapter::GetObject(int index) const
{
    return m_wideStrings.GetObject(index);
}

void TAnsiStringsForWideStringsAdapter::Put(int index, const QByteArray &s)
{
    m_wideStrings.Put(index, AnsiToWideCp(s, m_codePage));
}

void TAnsiStringsForWideStringsAdapter::PutObject(int index, void *object)
{
    m_wideStrings.PutObject(index, object);
}

void TAnsiStringsForWideStringsAdapter::Clear()
{
    m_wideStrings.Clear();
}

void TAnsiStringsForWideStringsAdapter::Delete(int index)
{
    m_wideStrings.Delete(index);
}

void TAnsiStringsForWideStringsAdapter::Insert(int index, const QByteArray &s)
{
    m_wideStrings.Insert(index, AnsiToWideCp(s, m_codePage));
}

void TAnsiStringsForWideStringsAdapter::SetUpdateState(bool updating)
{
    // Through the wide list's own counter, so an update already running
    // there is not cut short.
    if (updating)
        m_wideStrings.BeginUpdate();
    else
        m_wideStrings.EndUpdate();
}

void TAnsiStringsForWideStringsAdapter::LoadFromStreamEx(QIODevice &stream, std::uint32_t codePage)
{
    inUpdate(*this, [&] { m_wideStrings.SetTextStr(AnsiToWideCp(readRest(stream), codePage)); });
}

void TAnsiStringsForWideStringsAdapter::SaveToStreamEx(QIODevice &stream, std::uint32_t codePage)
{
    writeAll(stream, WideToAnsiCp(m_wideStrings.GetTextStr(), codePage));
}
