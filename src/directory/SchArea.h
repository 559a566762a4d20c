#pragma once

#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <atomic>

class QWidget;

// The directory regions as the search sees them, the texts that go into a
// search condition, and the catalogue of the columns a hit can show or
// export. Every condition the window builds passes through here, so nothing
// reaches the directory library unchecked.

// Where a region's data lies: its hard-disk copy when it is installed, else
// the data disc's "Murven19/" folder; '/' at the end. Regions 1..7.
[[nodiscard]] QString AreaDataFolder(int Area);
// The dictionary folder the library is given: the program folder + "Dic/".
[[nodiscard]] QString AreaDicFolder();

// Whether the region's data folder is there. When it is not, the user is told
// (the hard-disk copy is missing, or the data disc is to be inserted) and the
// answer is false; no call into the library may follow.
[[nodiscard]] bool CheckAreaData(int Area, QWidget *Owner);

// Whether the region's data file is one this program reads. A missing or
// foreign file, and one of a newer format, is named to the user (the answer
// is false) and no search may start over it. CheckAreaData first.
[[nodiscard]] bool CheckAreaDataFile(int Area, QWidget *Owner);

// The name as a condition takes it: characters without a Shift-JIS form are
// dropped one by one, then every byte that is neither part of a double-byte
// character, nor 32..127, nor half-width kana (161..223); the result is cut
// to 34 bytes at a character boundary.
constexpr int AreaNameMaxBytes = 34;
[[nodiscard]] QByteArray FilterNameText(const QString &Name);

// The first-listing months of a condition, "yyyymm" each: the earlier one at
// MonthFrom, the later at MonthTo. A from-year of 0 leaves both empty.
void SetConditionMonths(TAreaSearchCondition &Condition, int FromYear, int FromMonth, int ToYear, int ToMonth);

// Copies a folder into a 256-byte field of a condition or request; false
// when it does not fit (255 bytes and the terminating zero).
[[nodiscard]] bool SetFolderField(char (&Field)[256], const QString &Folder);

// One column a hit can show or export. NeedsRecord: the value comes from the
// full record (one single-record fetch per hit), not from the hit itself.
struct THitColumn {
    const char16_t *Caption;
    bool NeedsRecord;
};
constexpr int HitColumnCount = 15;
extern const std::array<THitColumn, HitColumnCount> HitColumnCatalogue;

// The stop request of the running directory call. Written by the window's
// thread, read by the worker and by the library's callback while it runs;
// the window clears it before it queues a run.
extern std::atomic<bool> SearchStopFlag;

// The callback every area search and count hands to the library: 0 (stop)
// once SearchStopFlag is set, else -1.
int AreaSearchCallback(std::int32_t Reserved, std::int32_t Progress);

// Library answers the search relies on.
constexpr int AreaResultBlock = 0;
constexpr int AreaResultNoMore = 1;
constexpr int AreaResultStopped = 100;
constexpr int AreaResultNotLoaded = 103;
// Every area call passes this limit.
constexpr int AreaSearchLimit = 10000;
