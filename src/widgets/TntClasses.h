#pragma once

#include "platform/Exception.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class TAnsiStrings;
class TAnsiStringsForWideStringsAdapter;
class TTntStrings;

// Misuse of a string list: bad index, changing a sorted list by position, a
// duplicate where none is allowed.
MURVEN_DECLARE_EXCEPTION(EStringListError, Exception);

// Encoding of a list file, as the first bytes show it.
enum class TTextCharSet : std::uint8_t {
    tcsAnsi = 0,         // no mark: Shift-JIS
    tcsUtf16 = 1,        // FF FE, UTF-16 little-endian
    tcsUtf16Swapped = 2, // FE FF, UTF-16 big-endian
    tcsUtf8 = 3,         // EF BB BF
};

// How a sorted list treats a string it already holds.
enum class TDuplicates : std::uint8_t {
    dupIgnore = 0, // keep the existing one, add nothing
    dupAccept = 1, // add it before the existing equal ones
    dupError = 2,  // raise EStringListError
};

using TTntNotifyEvent = std::function<void(TTntStrings *)>;

// Reads at most 3 bytes from the current position: after FF FE, FE FF or
// EF BB BF the stream stays behind the mark; otherwise (fewer than 2 bytes
// left included) the result is tcsAnsi and the position is unchanged.
[[nodiscard]] TTextCharSet DetectCharacterSet(QIODevice &stream);

// Abstract list of wide strings, each with an untyped object pointer the list
// does not own (callers also keep small integers there). A subclass provides
// storage through Get, GetCount, Clear, Delete and Insert and may override the
// rest. Text form: CR LF after every item; reading splits at CR, LF or CR LF.
// Name=value items are read through IndexOfName, Names and Values. Files are
// written as UTF-16LE with FF FE and read in any of the four TTextCharSet
// forms. AnsiStrings() presents the same list as Shift-JIS byte strings.
class TTntStrings
{
public:
    TTntStrings();
    virtual ~TTntStrings();
    TTntStrings(const TTntStrings &) = delete;
    TTntStrings &operator=(const TTntStrings &) = delete;

    // Storage.
    [[nodiscard]] virtual QString Get(int index) const = 0;
    [[nodiscard]] virtual int GetCount() const = 0;
    [[nodiscard]] virtual void *GetObject(int index) const;
    virtual void Put(int index, const QString &s);
    virtual void PutObject(int index, void *object);
    [[nodiscard]] virtual int GetCapacity() const;
    virtual void SetCapacity(int capacity);
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Insert(int index, const QString &s) = 0;
    virtual void InsertObject(int index, const QString &s, void *object);

    [[nodiscard]] int Count() const { return GetCount(); }
    [[nodiscard]] QString Strings(int index) const { return Get(index); }
    [[nodiscard]] void *Objects(int index) const { return GetObject(index); }

    // Adding and searching.
    virtual int Add(const QString &s);
    virtual int AddObject(const QString &s, void *object);
    virtual void AddStrings(const TTntStrings &strings);
    virtual void AddStrings(const TAnsiStrings &strings);
    virtual void Assign(const TTntStrings &source);
    virtual void Assign(const TAnsiStrings &source);
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    [[nodiscard]] virtual int IndexOf(const QString &s) const;
    [[nodiscard]] virtual int IndexOfName(const QString &name) const;
    [[nodiscard]] virtual int IndexOfObject(const void *object) const;
    // Locale-aware (Japanese) comparison, case-insensitive here: < 0, 0, > 0.
    [[nodiscard]] virtual int CompareStrings(const QString &s1, const QString &s2) const;

    // Name=value items.
    [[nodiscard]] QChar NameValueSeparator() const { return QLatin1Char('='); }
    [[nodiscard]] QString Names(int index) const;
    [[nodiscard]] QString Values(const QString &name) const;
    // An empty value deletes the item; a new name is appended.
    void SetValues(const QString &name, const QString &value);

    // Text form.
    [[nodiscard]] virtual QString GetTextStr() const;
    virtual void SetTextStr(const QString &text);
    [[nodiscard]] QString Text() const { return GetTextStr(); }
    virtual void SetText(const QString &text);

    // Bulk changes: events are held back until the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();

    // Files and streams. File errors raise EFOpenError / EFCreateError, short
    // reads and writes EReadError / EWriteError.
    virtual void LoadFromFile(const QString &fileName);
    virtual void LoadFromStream(QIODevice &stream);
    virtual void SaveToFile(const QString &fileName);
    virtual void SaveToStream(QIODevice &stream);
    // withBom: detect the encoding from a mark; without, the rest of the stream
    // is UTF-16LE.
    virtual void LoadFromStreamWithBom(QIODevice &stream, bool withBom);
    // withBom: write FF FE first. The text always goes out as UTF-16LE.
    virtual void SaveToStreamWithBom(QIODevice &stream, bool withBom);
    // The encoding LoadFromFile found last (tcsUtf16 until then).
    [[nodiscard]] TTextCharSet LoadedCharSet() const { return m_loadedCharSet; }

    [[nodiscard]] TAnsiStrings *AnsiStrings() const;
    void SetAnsiStrings(const TAnsiStrings &value);

protected:
    virtual void SetUpdateState(bool updating);
    [[noreturn]] void Error(const QString &message, int data) const;
    [[noreturn]] void Error(const QString &message) const;
    // Frees the adapter early (list destructors do, before releasing items).
    void FreeAnsiStrings();

private:
    std::unique_ptr<TAnsiStringsForWideStringsAdapter> m_ansiStrings;
    TTextCharSet m_loadedCharSet = TTextCharSet::tcsUtf16;
    int m_updateCount = 0;
};

class TTntStringList;
// Compares the items at two indexes of the list: < 0, 0, > 0.
using TTntStringListSortCompare = std::function<int(TTntStringList &, int, int)>;

// The program's general-purpose wide string list: a contiguous item array
// grown in steps (by 4 up to 8 items, by 16 up to 64, then by a quarter),
// optionally kept sorted (bisection search, duplicates ignored, accepted or
// refused), comparing case-insensitively unless CaseSensitive. OnChanging and
// OnChange fire around every change outside BeginUpdate/EndUpdate; destroying
// a list never fires them.
class TTntStringList : public TTntStrings
{
public:
    TTntStringList();
    ~TTntStringList() override;

    [[nodiscard]] QString Get(int index) const override;
    [[nodiscard]] int GetCount() const override { return m_count; }
    [[nodiscard]] void *GetObject(int index) const override;
    void Put(int index, const QString &s) override;
    void PutObject(int index, void *object) override;
    [[nodiscard]] int GetCapacity() const override { return static_cast<int>(m_items.size()); }
    // Raises EStringListError when capacity < Count.
    void SetCapacity(int capacity) override;
    int Add(const QString &s) override;
    int AddObject(const QString &s, void *object) override;
    void Clear() override;
    void Delete(int index) override;
    void Exchange(int index1, int index2) override;
    [[nodiscard]] int IndexOf(const QString &s) const override;
    [[nodiscard]] int IndexOfName(const QString &name) const override;
    void Insert(int index, const QString &s) override;
    void InsertObject(int index, const QString &s, void *object) override;
    [[nodiscard]] int CompareStrings(const QString &s1, const QString &s2) const override;

    // Bisection over a sorted list: true when an equal item exists; index is
    // where it is (the first equal one with dupAccept) or where s would go.
    virtual bool Find(const QString &s, int &index) const;
    // Sorts with CompareStrings; no-op on a Sorted list or one of fewer than
    // two items.
    virtual void Sort();
    virtual void CustomSort(const TTntStringListSortCompare &compare);

    [[nodiscard]] bool Sorted() const { return m_sorted; }
    // Turning it on sorts the list first.
    void SetSorted(bool sorted);
    [[nodiscard]] TDuplicates Duplicates() const { return m_duplicates; }
    void SetDuplicates(TDuplicates duplicates) { m_duplicates = duplicates; }
    [[nodiscard]] bool CaseSensitive() const { return m_caseSensitive; }
    // A sorted list is sorted again under the new comparison.
    void SetCaseSensitive(bool caseSensitive);

    [[nodiscard]] const TTntNotifyEvent &OnChange() const { return m_onChange; }
    void SetOnChange(TTntNotifyEvent handler) { m_onChange = std::move(handler); }
    [[nodiscard]] const TTntNotifyEvent &OnChanging() const { return m_onChanging; }
    void SetOnChanging(TTntNotifyEvent handler) { m_onChanging = std::move(handler); }

protected:
    void SetUpdateState(bool updating) override;
    virtual void Changed();
    virtual void Changing();
    virtual void InsertItem(int index, const QString &s, void *object);

private:
    struct TStringItem {
        QString FString;
        void *FObject = nullptr;
    };

    void Grow();
    void CheckIndex(int index) const;
    void ExchangeItems(int index1, int index2);
    void QuickSort(int l, int r, const TTntStringListSortCompare &compare);

    // Slots 0..Count-1 hold the items; the vector's size is the capacity.
    std::vector<TStringItem> m_items;
    int m_count = 0;
    bool m_sorted = false;
    TDuplicates m_duplicates = TDuplicates::dupIgnore;
    bool m_caseSensitive = false;
    TTntNotifyEvent m_onChange;
    TTntNotifyEvent m_onChanging;
    bool m_updating = false;
};

// Abstract list of byte strings (Shift-JIS unless a code page says otherwise)
// with object pointers: the view that code working in byte text has of a
// list. Text form as in TTntStrings (CR LF after every item).
class TAnsiStrings
{
public:
    TAnsiStrings() = default;
    virtual ~TAnsiStrings() = default;
    TAnsiStrings(const TAnsiStrings &) = delete;
    TAnsiStrings &operator=(const TAnsiStrings &) = delete;

    [[nodiscard]] virtual QByteArray Get(int index) const = 0;
    [[nodiscard]] virtual int GetCount() const = 0;
    [[nodiscard]] virtual void *GetObject(int index) const = 0;
    virtual void Put(int index, const QByteArray &s) = 0;
    virtual void PutObject(int index, void *object) = 0;
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Insert(int index, const QByteArray &s) = 0;

    [[nodiscard]] int Count() const { return GetCount(); }
    [[nodiscard]] QByteArray Strings(int index) const { return Get(index); }
    [[nodiscard]] void *Objects(int index) const { return GetObject(index); }

    int Add(const QByteArray &s);
    int AddObject(const QByteArray &s, void *object);
    void InsertObject(int index, const QByteArray &s, void *object);
    // Clears this list and copies the items and objects of source.
    virtual void Assign(const TAnsiStrings &source);

    [[nodiscard]] virtual QByteArray GetTextStr() const;
    virtual void SetTextStr(const QByteArray &text);

    void BeginUpdate();
    void EndUpdate();

    // In the default code page (Shift-JIS).
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream);
    // All bytes from the position to the end in the code page (0 = default),
    // and the text written in it, without a byte-order mark.
    virtual void LoadFromStreamEx(QIODevice &stream, std::uint32_t codePage) = 0;
    virtual void SaveToStreamEx(QIODevice &stream, std::uint32_t codePage) = 0;

protected:
    virtual void SetUpdateState(bool updating) = 0;

private:
    int m_updateCount = 0;
};

// A byte-string view of a wide list: every operation goes to the wide list,
// text converted in the adapter's code page (0 = Shift-JIS). Owned by the wide
// list as its AnsiStrings.
class TAnsiStringsForWideStringsAdapter : public TAnsiStrings
{
public:
    explicit TAnsiStringsForWideStringsAdapter(TTntStrings &wideStrings, std::uint32_t codePage = 0);

    [[nodiscard]] QByteArray Get(int index) const override;
    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] void *GetObject(int index) const override;
    void Put(int index, const QByteArray &s) override;
    void PutObject(int index, void *object) override;
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const QByteArray &s) override;
    void LoadFromStreamEx(QIODevice &stream, std::uint32_t codePage) override;
    void SaveToStreamEx(QIODevice &stream, std::uint32_t codePage) override;

    [[nodiscard]] std::uint32_t CodePage() const { return m_codePage; }

protected:
    void SetUpdateState(bool updating) override;

private:
    TTntStrings &m_wideStrings;
    std::uint32_t m_codePage;
};
