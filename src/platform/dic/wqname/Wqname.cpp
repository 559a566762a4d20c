// libwqname99a.so: the kanji spellings of surnames and given names whose
// reading starts with a typed reading, from Dic/wqname.db (store/NameSchema.h).
// The reading itself comes first, then the longer readings in code order
// (the syllabary's order for half-width katakana), and within one reading the
// most common spelling first. Count and list stop at the same cap, so a
// caller that sizes its buffer by the count gets exactly that many.

#include "DicEntry.h"
#include "DicKana.h"
#include "DicSqlite.h"
#include "NameSchema.h"

#include <sqlcipher/sqlite3.h>

#include <type_traits>
#include <vector>

namespace {

struct TCandidate {
    std::string reading;
    std::string kanji;
};

// The candidates of a reading of one kind, at most WqnameMaxCandidates.
// DicOk with at least one; DicWrongInput for a bad argument; DicNotFound for
// none or no data file.
int candidates(int kind, const char *readingArg, const char *folderArg, std::vector<TCandidate> &out)
{
    std::string_view reading;
    std::string_view folder;
    if (!DicTextArg(readingArg, WqnameMaxReading, reading) || reading.empty()
        || !DicTextArg(folderArg, DicMaxFolder, folder))
        return DicWrongInput;
    const std::string key = DicNameReading(reading);
    if (key.size() > static_cast<std::size_t>(DicNameFieldBytes))
        return DicNotFound; // no stored reading is longer
    const TDicDatabase db = DicOpenReadOnly(std::string(folder) + DicNameFileName);
    if (!db)
        return DicNotFound;
    // Every stored reading that starts with key lies in [key, key + 0xFF):
    // 0xFF is no byte of Shift-JIS.
    const TDicStatement st = DicPrepare(db.get(),
                                        "SELECT reading, kanji FROM name WHERE kind = ?1 AND reading >= ?2 "
                                        "AND reading < ?3 ORDER BY reading <> ?2, reading, cost, kanji LIMIT ?4");
    if (!st)
        return DicNotFound;
    const std::string upper = key + '\xFF';
    sqlite3_bind_int(st.get(), 1, kind);
    sqlite3_bind_blob(st.get(), 2, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(st.get(), 3, upper.data(), static_cast<int>(upper.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(st.get(), 4, WqnameMaxCandidates);
    while (sqlite3_step(st.get()) == SQLITE_ROW)
        out.push_back({DicColumnBytes(st.get(), 0), DicColumnBytes(st.get(), 1)});
    return out.empty() ? DicNotFound : DicOk;
}

int countOf(int kind, const char *reading, std::int32_t *count, const char *folder)
{
    return DicGuard([&] {
        if (!count)
            return DicWrongInput;
        *count = 0;
        std::vector<TCandidate> found;
        const int rc = candidates(kind, reading, folder, found);
        if (rc == DicOk)
            *count = static_cast<std::int32_t>(found.size());
        return rc;
    });
}

// Fills count entries: the first count candidates, the rest zero-filled.
int listOf(int kind, const char *reading, TWqnameEntry *entries, std::int32_t count, const char *folder)
{
    return DicGuard([&] {
        if (!entries || count <= 0)
            return DicWrongInput;
        std::vector<TCandidate> found;
        const int rc = candidates(kind, reading, folder, found);
        if (rc != DicOk)
            return rc;
        for (std::int32_t i = 0; i < count; ++i) {
            TWqnameEntry &entry = entries[i];
            std::memset(&entry, 0, sizeof entry);
            if (static_cast<std::size_t>(i) < found.size()) {
                DicSetField(entry.Reading, sizeof entry.Reading, found[static_cast<std::size_t>(i)].reading, false);
                DicSetField(entry.Kanji, sizeof entry.Kanji, found[static_cast<std::size_t>(i)].kanji, false);
            }
        }
        return DicOk;
    });
}

constexpr int kSurname = 0;
constexpr int kGivenName = 1;

} // namespace

DIC_EXPORT int WQNMSeiCount(const char *reading, std::int32_t /*reserved*/, std::int32_t *count, const char *folder)
{
    return countOf(kSurname, reading, count, folder);
}

DIC_EXPORT int WQNMMeiCount(const char *reading, std::int32_t /*reserved*/, std::int32_t *count, const char *folder)
{
    return countOf(kGivenName, reading, count, folder);
}

DIC_EXPORT int WQNMSeiList(const char *reading, std::int32_t /*reserved*/, TWqnameEntry *entries, std::int32_t count,
                           const char *folder)
{
    return listOf(kSurname, reading, entries, count, folder);
}

DIC_EXPORT int WQNMMeiList(const char *reading, std::int32_t /*reserved*/, TWqnameEntry *entries, std::int32_t count,
                           const char *folder)
{
    return listOf(kGivenName, reading, entries, count, folder);
}

static_assert(std::is_same_v<decltype(&WQNMSeiCount), TWQNMCount>);
static_assert(std::is_same_v<decltype(&WQNMMeiCount), TWQNMCount>);
static_assert(std::is_same_v<decltype(&WQNMSeiList), TWQNMList>);
static_assert(std::is_same_v<decltype(&WQNMMeiList), TWQNMList>);
