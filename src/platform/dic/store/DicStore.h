#pragma once

// TDicStore: the read-only view of one dictionary data file (<folder>wqdic.db)
// shared by every call of a dictionary library. Opened once per folder per
// process and kept until the library is unloaded; prefectures and cities are
// held in memory, towns, areas and places are read through prepared
// statements. Rows are copied out, so a result outlives the next query.
// Every text is Shift-JIS as stored (see DicSchema.h). Thread-safe.
//
// Failures of the SQLite library while reading throw EDicStoreError; the
// libraries' entry points turn it into "not found".

#include "DicSqlite.h"

#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

#pragma GCC visibility push(hidden)

class EDicStoreError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct TDicPrefRow {
    int no = 0;
    std::string name;
    std::string kana;
    int region = 0;
    int cityCount = 0;
    std::string key; // DicNormalizeKey(name)
};

struct TDicCityRow {
    std::string code5;
    std::string code6;
    int pref = 0;
    std::string name;
    std::string kana;
    std::string head;
    int sort = 0;
    int ohazaCount = 0;
    std::string key;
};

struct TDicTownRow {
    int serial = 0;
    int kind = 0; // 0 town, 1 large office
    std::string postcode;
    std::string name;
    std::string kana;
    std::string office;
    std::string officeKana;
    std::string street;
    std::string key;
    int seq = 0; // the row's number within its town (kind 0), 0 for its leading row
};

// The cities having postcodes that start with some digits, with the number
// of such town and large-office rows.
struct TDicPostcodeCity {
    const TDicCityRow *city = nullptr;
    int towns = 0;
    int larges = 0;
};

// Why a data file cannot be used.
enum class TDicDataProblem {
    none,
    missing,     // no file at all
    unreadable,  // not a data file, damaged, or not readable
    otherFormat, // a data file of another format (format says which)
};

struct TDicDataCheck {
    TDicDataProblem problem = TDicDataProblem::none;
    int format = 0; // the file's format number when it names one
};

struct TDicArea {
    std::string areaCode;                   // "0465"
    std::vector<const TDicCityRow *> cities; // the place's cities, the likeliest first
};

class TDicStore
{
public:
    // The store of the data folder (ending with '/'), opened at the first
    // call; nullptr when the file is missing, unreadable or of another format.
    [[nodiscard]] static std::shared_ptr<TDicStore> forFolder(std::string_view folder);
    // Whether the data file of the folder can be used, and if not why: it is
    // opened and read as forFolder reads it, then closed again.
    [[nodiscard]] static TDicDataCheck check(std::string_view folder);

    ~TDicStore();
    TDicStore(const TDicStore &) = delete;
    TDicStore &operator=(const TDicStore &) = delete;

    // Prefectures 1..47 in number order; cities in JIS code order.
    [[nodiscard]] const std::vector<TDicPrefRow> &prefs() const { return m_prefs; }
    [[nodiscard]] const std::vector<TDicCityRow> &cities() const { return m_cities; }
    [[nodiscard]] const TDicPrefRow *pref(int no) const;
    [[nodiscard]] const TDicCityRow *city(std::string_view code5) const;
    // The city of a six-digit code whose check digit matches too.
    [[nodiscard]] const TDicCityRow *cityOfCode6(std::string_view code6) const;

    // The city's rows of one kind in serial, seq order. The last few
    // cities asked for are kept, as a count call is followed by a list call
    // for the same city.
    [[nodiscard]] std::shared_ptr<const std::vector<TDicTownRow>> towns(std::string_view code5, int kind) const;
    // The same, restricted to postcodes starting with prefix.
    [[nodiscard]] std::vector<TDicTownRow> townsOfPostcode(std::string_view code5, int kind,
                                                           std::string_view prefix) const;
    [[nodiscard]] std::vector<TDicPostcodeCity> citiesOfPostcode(std::string_view prefix) const;
    // Row seq of a town (kind 0); row 0 leads: the town's own name, never a
    // building's.
    [[nodiscard]] std::optional<TDicTownRow> town(std::string_view code5, int serial, int seq) const;
    [[nodiscard]] int townCount(std::string_view code5, int kind) const;
    // The area of the five digits after the leading 0 of a number.
    [[nodiscard]] std::optional<TDicArea> area(std::string_view prefix5) const;

private:
    explicit TDicStore(TDicDatabase db);
    // The store of the folder's file; nullptr with the reason in Check.
    [[nodiscard]] static std::shared_ptr<TDicStore> open(std::string_view folder, TDicDataCheck &Check);
    // Reads the tables; false with the reason in Check.
    [[nodiscard]] bool load(TDicDataCheck &Check);
    TDicStatement prepare(const char *sql);
    std::vector<TDicTownRow> readTowns(sqlite3_stmt *statement) const;

    TDicDatabase m_db; // declared first: closed after the statements
    std::vector<TDicPrefRow> m_prefs;
    std::vector<TDicCityRow> m_cities;
    mutable std::mutex m_mutex; // guards the statements
    TDicStatement m_towns;
    TDicStatement m_townsOfPostcode;
    TDicStatement m_citiesOfPostcode;
    TDicStatement m_town;
    TDicStatement m_townCount;
    TDicStatement m_area;
    TDicStatement m_placeCities;
    struct TCachedTowns {
        std::string code5;
        int kind = 0;
        std::shared_ptr<const std::vector<TDicTownRow>> rows;
    };
    mutable std::vector<TCachedTowns> m_recentTowns; // most recent first
};

#pragma GCC visibility pop
