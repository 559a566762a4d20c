#pragma once

// TWqareaReader: read-only access to one region's directory data file
// (WqareaSchema.h). One reader per call of an entry point, so the program's
// window and its search thread never share a connection.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// One listing row, Shift-JIS texts as stored.
struct TWqareaListing {
    std::int64_t Key = 0;
    std::string Phone;
    int PhoneKind = 0;
    std::string Name;
    std::string NameKana;
    std::string Postcode;
    std::string Pref;
    std::string City;
    std::string Address2a;
    std::string Address2b;
    std::string Address2c;
    std::string PrefKana;
    std::string CityKana;
    std::string Address2aKana;
    std::string Address2bKana;
    std::string Address2cKana;
    std::string CityCode;
    std::string TownCode;
    int ListingKind = 0;
    int CorporateForm = 0;
    std::string FirstMonth;
    std::int64_t Latitude = 0;
    std::int64_t Longitude = 0;
};

// What an area search selects; every field already checked by the caller.
struct TWqareaFilter {
    std::string CityPrefix;   // 2 digits (prefecture) or 5 digits (city)
    std::string OazaNumber;   // with a 5-digit city: 3 characters, or empty
    int Category = 2;         // 0 persons (listing kind 99), 1 companies, 2 both
    unsigned Kinds = 0xF;     // bit n: phone kind n
    std::string MonthFrom;    // "yyyymm" or empty (open)
    std::string MonthTo;
    int CorporateForm = 0;    // 0 any
    int MatchKind = 0;        // 0 prefix, 1 contains, 2 suffix, 3 exact
    std::string NameKey;      // DicNormalizeKey of the name; empty matches all
};

// Whether name (Shift-JIS) matches the filter's name text. Matches start on
// character boundaries only, so a trail byte and the next lead byte never
// pass for a character of the text.
[[nodiscard]] bool WqareaNameMatches(const TWqareaFilter &filter, const std::string &name);

class TWqareaReader {
public:
    enum class TScan { Done, Stopped, Failed };
    // Called with each matching row in key order; false ends the scan.
    using TRowVisitor = std::function<bool(const TWqareaListing &)>;
    // Called after every 1000 rows read; false ends the scan (Stopped).
    using TProgress = std::function<bool()>;

    static constexpr int ProgressRows = 1000;

    TWqareaReader() = default;
    ~TWqareaReader();
    TWqareaReader(const TWqareaReader &) = delete;
    TWqareaReader &operator=(const TWqareaReader &) = delete;

    // Opens folder + dba17am read-only; false when the file is missing,
    // holds no listing table or is of a format this reader does not know
    // (WqareaFileFormat).
    [[nodiscard]] bool open(const std::string &folder);
    [[nodiscard]] int format() const { return m_format; }

    // The rows of filter with a key above afterKey, in key order.
    [[nodiscard]] TScan scan(const TWqareaFilter &filter, std::int64_t afterKey, const TRowVisitor &visit,
                             const TProgress &progress);
    // Up to max rows with this number, in key order; nullopt on a read failure.
    [[nodiscard]] std::optional<std::vector<TWqareaListing>> byPhone(const std::string &phone, int max);
    // The row of key; nullopt when there is none or on a read failure.
    [[nodiscard]] std::optional<TWqareaListing> byKey(std::int64_t key);

private:
    sqlite3 *m_db = nullptr;
    int m_format = 0;
};

