#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The conditions of one directory search as the search window remembers
// them: the current conditions and the name history, kept in NmAd.shc in
// the data folder.
//
// NmAd.shc (little-endian, rewritten whole): a 32-bit entry count (at least
// 1), then per entry the name (a length byte and 34 bytes), match kind,
// category, phone-kind mask and corporate form (32 bits each), the months
// from and to (a length byte and 8 bytes each), block size, region, key count
// n and key level (32 bits each), then n keys of a length byte and level
// bytes each. The first entry is the current conditions, the others the
// history after it. The history's front is normally the current conditions
// and is not written twice; when the user deleted them from the history, the
// first entry is written twice, which keeps them out of the history when the
// file is read again.

struct TSearchHistoryEntry {
    QByteArray Name;          // Shift-JIS, at most SearchHistoryNameBytes
    int MatchKind = 0;        // 0 prefix, 1 fuzzy, 2 suffix, 3 exact
    int Category = 2;         // 0 persons, 1 corporations, 2 both
    int PhoneKinds = 0;       // bit mask; 0 means all four kinds
    int CorporateForm = 0;
    QByteArray MonthFrom;     // "yyyymm" or empty
    QByteArray MonthTo;
    int BlockSize = 20;
    int KeyLevel = 0;         // 2, 5 or 8; 0 without keys
    int Region = 0;           // 1..7; 0 without keys
    QStringList Keys;         // prefecture, city or oaza codes of KeyLevel characters
};

constexpr int SearchHistoryNameBytes = 34;
constexpr int SearchHistoryMonthBytes = 8;

// Equal conditions: names, months and keys compared without regard to
// letter case, every number equal.
[[nodiscard]] bool SameSearchConditions(const TSearchHistoryEntry &A, const TSearchHistoryEntry &B);

// Puts Entry at the front of History: an equal entry moves there, otherwise
// a copy goes there and the entries beyond HisCount are dropped. Nothing is
// kept with HisCount below 1.
void RememberSearch(std::vector<TSearchHistoryEntry> &History, const TSearchHistoryEntry &Entry, int HisCount);

// The entries of a file's bytes: the current conditions first, then the
// history entries that follow them, read while fewer than HisCount history
// entries have been read (the current conditions always). *CurrentApart
// (when given) is set when the file keeps the current conditions out of the
// history (written twice); otherwise they are the history's front entry. An
// entry whose region is not in use (RegionInUse false) keeps its other
// conditions without region and keys; an entry without keys is kept as it
// is. The entries before a damaged one (cut short, or a length, level or key
// out of its range) are returned and Damaged set.
[[nodiscard]] std::vector<TSearchHistoryEntry> ParseSearchHistory(QByteArrayView Bytes, int HisCount,
                                                                  const std::function<bool(int)> &RegionInUse,
                                                                  bool *Damaged, bool *CurrentApart = nullptr);
// The file's bytes: Current first, then the history without an entry equal
// to Current at its front (that one is Current itself). When the history is
// kept (HistoryKept) and its front is not Current, Current is written twice.
[[nodiscard]] QByteArray SearchHistoryBytes(const TSearchHistoryEntry &Current,
                                            const std::vector<TSearchHistoryEntry> &History,
                                            bool HistoryKept = true);

// The file as the window reads it at creation. A missing file gives no
// entry. A file that is there but damaged gives the entries before the
// damage and is first kept aside and named to the user
// (platform/UnreadableFile.h); when it could not be moved, *Blocked is set
// and the window must not write over it.
[[nodiscard]] std::vector<TSearchHistoryEntry> ReadSearchHistoryFile(const QString &Path, int HisCount,
                                                                     const std::function<bool(int)> &RegionInUse,
                                                                     bool *Blocked, bool *CurrentApart = nullptr);
// Replaces the file safely; false with *Error when it could not be written.
[[nodiscard]] bool WriteSearchHistoryFile(const QString &Path, const TSearchHistoryEntry &Current,
                                          const std::vector<TSearchHistoryEntry> &History, QString *Error,
                                          bool HistoryKept = true);

// DataPath + "NmAd.shc".
[[nodiscard]] QString SearchHistoryFileName();
