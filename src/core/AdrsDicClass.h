#pragma once

#include "core/DicResult.h"
#include "platform/Exception.h"
#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class TDicClassLibrary;

// Bad input and reading an empty result of TAdrsSearch.
MURVEN_DECLARE_EXCEPTION(EAdrsSearchError, Exception);
// Load, entry-point and call errors of the address library (Wqzs.dll).
MURVEN_DECLARE_EXCEPTION(EWQZsError, EAdrsSearchError);

// The entry points of the address library, in the order they are looked up.
struct TWqzsFunctions {
    TWQZsJisCount JisCount;
    TWQZsJisList JisList;
    TWQZsTownCount TownCount;
    TWQZsTownList TownList;
    TWQZsLargeCount LargeCount;
    TWQZsLargeList LargeList;
};

// Address text to the cities it names, then the towns or large offices of
// one of them, then one address record (optionally completed by the detail
// library). The object holds the library for its whole life; the lists and
// the result record stay valid until the next search or address call.
class TAdrsSearch
{
public:
    // Loads Wqzs.dll from LibFolder; an empty folder means the program folder.
    // Raises EWQZsError when the library or an entry point is missing.
    TAdrsSearch(const QString &LibFolder, const QString &DataFolder);
    // Uses the given entry points instead of loading the library.
    TAdrsSearch(const TWqzsFunctions &Functions, const QString &LibFolder, const QString &DataFolder);
    ~TAdrsSearch();
    TAdrsSearch(const TAdrsSearch &) = delete;
    TAdrsSearch &operator=(const TAdrsSearch &) = delete;

    // Cities matching Text (trimmed, full-width, at most 254 bytes of
    // Shift-JIS). 0 found; 4 and 8 as the library answers (the lists are then
    // empty). Raises EAdrsSearchError on an empty text, EWQZsError on any
    // other code.
    [[nodiscard]] int SearchAddress(const QString &Text);
    // Towns (Kind 0) or large offices (any other Kind) of city CityIndex.
    // The current city and kind again return 0 without a library call. 4 for
    // an index outside the city list; 4 and 8 as the count call answers.
    [[nodiscard]] int SearchTown(int CityIndex, int Kind);

    [[nodiscard]] int GetCityCount() const { return static_cast<int>(m_cities.size()); }
    [[nodiscard]] int GetTownCount() const { return static_cast<int>(m_towns.size()); }
    [[nodiscard]] int GetLargeCount() const { return static_cast<int>(m_larges.size()); }
    // Entry I of a list; nullptr outside a non-empty list. An empty list
    // raises EAdrsSearchError.
    [[nodiscard]] const TWqzsCity *GetCity(int I) const;
    [[nodiscard]] const TWqzsTown *GetTown(int I) const;
    [[nodiscard]] const TDicLarge *GetLarge(int I) const;

    // The address of town (or large office) Index of the current city; -1
    // gives the city alone. With Detail (and Index >= 0) the detail library
    // completes it: texts only for a town, coordinates for both kinds.
    // nullptr for an index outside a non-empty list.
    [[nodiscard]] const TDicAdrsResult *GetAddress(int Index, bool Detail);

    [[nodiscard]] const QString &LibFolder() const { return m_libFolder; }
    [[nodiscard]] const QString &DataFolder() const { return m_dataFolder; }

private:
    [[noreturn]] static void raiseCallError(const char *Entry, int Code);
    void clearLists();

    QString m_libFolder;
    QString m_dataFolder;
    std::unique_ptr<TDicClassLibrary> m_library;
    TWqzsFunctions m_functions{};
    std::vector<TWqzsCity> m_cities;
    std::vector<TWqzsTown> m_towns;
    std::vector<TDicLarge> m_larges;
    TDicAdrsResult m_result{};
    QByteArray m_text; // Shift-JIS, as sent
    int m_cityIndex = -1;
    int m_kind = -1;
};
