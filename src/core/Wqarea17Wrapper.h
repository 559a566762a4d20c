#pragma once

#include "platform/dic/DicApi.h"

#include <QString>

#include <cstdint>

// The telephone-directory library (Wqarea17.dll, here libwqarea17.so)
// through unit functions. The directory search loads it once per window and
// once per search thread; the last Free unloads it. Codes: 0 done, 101 not
// loadable, 102 entry point missing (both after the program's error box),
// 103 called while not loaded; any other code is the library's. Before each
// call the two folders inside the request or condition are trimmed and given
// a trailing '/'. Safe from any thread: each call holds a use of the library
// for its length, so another thread's last FreeWqarea17 never unloads it
// under the call; a thread loads it before its calls to be sure to find it
// (LoadWqarea17 before, FreeWqarea17 after).

// The entry points in the order they are looked up.
struct TWqarea17Functions {
    Twqarea_tel Tel = nullptr;
    Twqarea_tel_one TelOne = nullptr;
    Twqarea_area Area = nullptr;
    Twqarea_area_count AreaCount = nullptr;
    Twqarea_area_fax AreaFax = nullptr;
    Twqarea_area_count_fax AreaCountFax = nullptr;
    Tpup_tel_mask TelMask = nullptr;
};

[[nodiscard]] int LoadWqarea17(const QString &DllFolder);
void FreeWqarea17();

// wqarea_tel: Result (4704 bytes) zero-filled and Count 0 first.
[[nodiscard]] int CallWqareaTel(TTelSearchCondition &Request, void *Result, std::int32_t &Count);
// wqarea_tel_one(0, Request, Result, Key): Result zero-filled first.
[[nodiscard]] int CallWqareaTelOne(TTelSearchCondition &Request, TTelRecord &Result, std::int32_t Key);
// wqarea_area: Page (Condition.BlockSize hits) zero-filled and Count 0 first.
[[nodiscard]] int CallWqareaArea(TAreaSearchCondition &Condition, TAreaSearchHit *Page, std::int32_t &Count,
                                 TAreaSearchPosition &Position, std::int32_t Limit, TAreaSearchCallback Callback);
// wqarea_area_count: Count 0 first.
[[nodiscard]] int CallWqareaAreaCount(TAreaSearchCondition &Condition, std::int32_t &Count, std::int32_t Limit,
                                      TAreaSearchCallback Callback);

// Makes the calls go to Functions as if the library were loaded (nullptr
// returns to the real library), so callers can be tested without it.
void SetWqarea17ForTesting(const TWqarea17Functions *Functions);
