#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TTable;
class TField;

// One condition of the address filter. Item is the row of WordFilterItems
// (core/Inquiry.h) naming the field; Kind 0 text, 1 choice, 11 month range.
// Value is the text of a text condition as stored bytes (Shift-JIS, or the
// "@" form for the name items 13 and 17..21), empty = the field must be
// blank. Value1 is the choice index or the first month (yyyymm), Value2 the
// last month. Match 0 prefix, 1 contains, 2 suffix for a text condition
// with a Value, else -1. Negate inverts a choice condition.
struct TNarrowDownItem {
    qint32 Item = 0;
    qint32 Kind = 0;
    QByteArray Value;
    qint32 Value1 = 0;
    qint32 Value2 = 0;
    qint32 Match = -1;
    bool Negate = false;

    friend bool operator==(const TNarrowDownItem &, const TNarrowDownItem &) = default;
};

// The filter of the main list: up to ten items that must all hold
// (MatchAll) or of which one must hold. No items = no filter; the cleared
// state is no items and MatchAll true.
struct TNarrowDownCondition {
    QList<TNarrowDownItem> Items;
    bool MatchAll = true;

    void Clear()
    {
        Items.clear();
        MatchAll = true;
    }
    [[nodiscard]] bool IsEmpty() const { return Items.isEmpty(); }
    friend bool operator==(const TNarrowDownCondition &, const TNarrowDownCondition &) = default;
};

constexpr int MaxNarrowDownItems = 10;

// The filter's record test, prepared once per walk: the fields the items
// read are looked up when it is made, so testing a record costs only the
// reads and comparisons. Tests the table's current record; the view group
// is the list's own test. Name items compare decoded text, so a name stored
// as plain Shift-JIS and the same name in the "@" form match.
class TNarrowDownMatcher
{
public:
    TNarrowDownMatcher(const TNarrowDownCondition &Condition, TTable &Table);
    ~TNarrowDownMatcher();
    TNarrowDownMatcher(const TNarrowDownMatcher &) = delete;
    TNarrowDownMatcher &operator=(const TNarrowDownMatcher &) = delete;

    [[nodiscard]] bool Matches() const;
    // The fields the test reads, so a walk can have them read with its order.
    [[nodiscard]] QStringList FieldNames() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Search.lst (the filter in force, in the data folder). Read: a missing file
// gives the cleared condition and false. A file that is there but cannot be
// read (cut short, longer than its condition, not openable) gives the same,
// and is first kept aside and named to the user (platform/UnreadableFile.h).
// Write: with no items the file is deleted; false when it could not be
// written (the caller shows the message, with the cause in *Error when there
// is one: a file set read-only is neither replaced nor deleted), and when a
// damaged file that could not be moved aside is still in its place.
[[nodiscard]] bool ReadSearchList(const QString &Path, TNarrowDownCondition &Condition);
[[nodiscard]] bool WriteSearchList(const QString &Path, const TNarrowDownCondition &Condition,
                                   QString *Error = nullptr);

// Search.ptn (named filters, in the data folder). Read and write as for
// Search.lst: a damaged file gives no patterns at all (every pattern stays in
// the copy kept aside), never the ones before the damage.
struct TSearchPattern {
    QByteArray Name; // Shift-JIS, at most 30 bytes
    TNarrowDownCondition Condition;
};
constexpr int MaxSearchPatterns = 255; // the file counts them in one byte
[[nodiscard]] QList<TSearchPattern> ReadSearchPatterns(const QString &Path);
[[nodiscard]] bool WriteSearchPatterns(const QString &Path, const QList<TSearchPattern> &Patterns,
                                       QString *Error = nullptr);
// Saves the patterns when another program may save them too: under the
// file's lock the patterns changed from `Base` (what the dialog read or last
// saved) to `Mine` go into what the file holds now (MergeEntryChanges, by
// name), so a pattern another program saved meanwhile stays; `Saved` gets
// what the file then holds. A file damaged since is kept aside and named
// first; false (the file as it was) when it cannot be moved, when the
// patterns would be more than the file can count, or when the write fails.
[[nodiscard]] bool SaveSearchPatternChanges(const QString &Path, const QList<TSearchPattern> &Base,
                                            const QList<TSearchPattern> &Mine, QList<TSearchPattern> &Saved,
                                            QString *Error = nullptr);

// The filter dialog ("絞り込み"): edits a copy of the filter in force.
class TAddressSearch : public QDialog
{
    Q_OBJECT
public:
    explicit TAddressSearch(QWidget *Owner);
    ~TAddressSearch() override;

    void SetCondition(const TNarrowDownCondition &Condition);
    void GetCondition(TNarrowDownCondition &Condition) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
