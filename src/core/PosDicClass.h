#pragma once

#include "core/DicResult.h"
#include "platform/Exception.h"
#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class TDicClassLibrary;

// Bad input and reading an empty result of TPosSearch.
MURVEN_DECLARE_EXCEPTION(EPosSearchError, Exception);
// Load, entry-point and call errors of the postcode library (Wqzplst.dll).
MURVEN_DECLARE_EXCEPTION(EWqzplstError, EPosSearchError);

// The entry points of the postcode library, in the order they are looked up.
struct TWqzplstFunctions {
    TWQZPLSTFirst First;
    TWQZPLSTCityList CityList;
    TWQZPLSTTownList TownList;
    TWQZPLSTLgTownList LgTownList;
    TWQZPLSTClose Close;
    TWQZPLSTPost Post;
};

// Postcode to the cities it covers, then the towns or large offices of one
// of them, then one address record (optionally completed by the detail
// library). The library keeps a postcode list open between the calls; the
// object closes it at the next search and when it is destroyed.
class TPosSearch
{
public:
    // Loads Wqzplst.dll from LibFolder; an empty folder means the program
    // folder. Raises EWqzplstError when the library or an entry point is
    // missing.
    TPosSearch(const QString &LibFolder, const QString &DataFolder);
    // Uses the given entry points instead of loading the library.
    TPosSearch(const TWqzplstFunctions &Functions, const QString &LibFolder, const QString &DataFolder);
    ~TPosSearch();
    TPosSearch(const TPosSearch &) = delete;
    TPosSearch &operator=(const TPosSearch &) = delete;

    // Cities of the ASCII digits of Postcode. 0 found (FormattedOut, when
    // given, receives the digits as a postcode, "123-4567"); 4 and 8 as the
    // library answers (the lists are then empty). Raises EPosSearchError when
    // there is no digit, EWqzplstError on any other code.
    [[nodiscard]] int SearchPostcode(const QString &Postcode, QString *FormattedOut = nullptr);
    // Towns (Kind 0) or large offices (any other Kind) of city CityIndex.
    // The current city and kind again return 0 without a library call; 8 when
    // the city has none; 4 for an index outside the city list.
    [[nodiscard]] int SearchTown(int CityIndex, int Kind);

    [[nodiscard]] int GetCityCount() const { return static_cast<int>(m_cities.size()); }
    [[nodiscard]] int GetTownCount() const { return static_cast<int>(m_towns.size()); }
    [[nodiscard]] int GetLargeCount() const { return static_cast<int>(m_larges.size()); }
    // Entry I of a list; nullptr outside a non-empty list. An empty list
    // raises EPosSearchError.
    [[nodiscard]] const TWqzplstCity *GetCity(int I) const;
    [[nodiscard]] const TWqzplstTown *GetTown(int I) const;
    [[nodiscard]] const TDicLarge *GetLarge(int I) const;

    // The address of town (or large office) Index of the current city; -1
    // gives the city alone. The city entry's combined reading and name are
    // split after the prefecture. With Detail (and Index >= 0) the detail
    // library completes it: texts only for a town, coordinates for both kinds.
    // nullptr for an index outside a non-empty list.
    [[nodiscard]] const TDicAdrsResult *GetAddress(int Index, bool Detail);

    [[nodiscard]] const QString &LibFolder() const { return m_libFolder; }
    [[nodiscard]] const QString &DataFolder() const { return m_dataFolder; }

private:
    [[noreturn]] static void raiseCallError(const char *Entry, int Code);
    void closeList();
    void clearLists();

    QString m_libFolder;
    QString m_dataFolder;
    std::unique_ptr<TDicClassLibrary> m_library;
    TWqzplstFunctions m_functions{};
    void *m_handle = nullptr; // the open postcode list
    std::vector<TWqzplstCity> m_cities;
    std::vector<TWqzplstTown> m_towns;
    std::vector<TDicLarge> m_larges;
    TDicAdrsResult m_result{};
    QByteArray m_digits;
    int m_cityIndex = -1;
    int m_kind = -1;
};
