#pragma once

#include "core/DicResult.h"
#include "platform/Exception.h"
#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class TDicClassLibrary;

// Bad input and reading an empty result of TKykbnSearch.
MURVEN_DECLARE_EXCEPTION(EKykbnSearchError, Exception);
// Load, entry-point and call errors of the telephone-prefix library (Wqtel.dll).
MURVEN_DECLARE_EXCEPTION(EWQTelError, EKykbnSearchError);

// The entry points of the telephone-prefix library, in the order they are
// looked up.
struct TWqtelFunctions {
    TWQTLPrefix Prefix;
    TWQTLCity2 City2;
    TWQTLTown2First Town2First;
    TWQTLTown2Close Town2Close;
    TWQTLTown2Next Town2Next;
    TWQTLTown2Prev Town2Prev;
};

// Telephone number to the cities of its area code (at most 20), then the
// towns of one of them (fetched in blocks of 20), then one address record
// with the number in hyphenated form (optionally completed by the detail
// library). The object holds the library for its whole life; every town
// search is closed before SearchTown returns.
class TKykbnSearch
{
public:
    // Loads Wqtel.dll from LibFolder; an empty folder means the program folder.
    // Raises EWQTelError when the library or an entry point is missing.
    // The library is shared with every other search object using that file
    // (SharedDicLibrary), on any thread. A data file in DataFolder that cannot
    // be used is named to the user (WarnIfDicDataUnusable).
    TKykbnSearch(const QString &LibFolder, const QString &DataFolder);
    // Uses the given entry points instead of loading the library.
    TKykbnSearch(const TWqtelFunctions &Functions, const QString &LibFolder, const QString &DataFolder);
    ~TKykbnSearch();
    TKykbnSearch(const TKykbnSearch &) = delete;
    TKykbnSearch &operator=(const TKykbnSearch &) = delete;

    // The cities of the area code of Phone (its ASCII digits alone are
    // searched). 0 found; 4 and 8 as the library answers (the lists are then
    // empty). On 0 PhoneOut, when given, receives the digits hyphenated by the
    // hyphenation library (the digits as they are when it cannot). Raises
    // EKykbnSearchError when Phone has no digit, EWQTelError on other codes.
    [[nodiscard]] int SearchPrefix(const QString &Phone, QString *PhoneOut = nullptr);
    // The towns of city CityIndex. The current city again answers as the
    // library did for it (0 with the list standing, or 8 with it empty)
    // without a library call; 8 when the city has no towns, 4 for an index
    // outside the city list. Raises EWQTelError on any other status; the town
    // list is then empty and the next call asks the library again.
    [[nodiscard]] int SearchTown(int CityIndex);

    [[nodiscard]] int GetCityCount() const { return static_cast<int>(m_cities.size()); }
    [[nodiscard]] int GetTownCount() const { return static_cast<int>(m_towns.size()); }
    // Entry I of a list; nullptr outside a non-empty list. An empty list
    // raises EKykbnSearchError.
    [[nodiscard]] const TWqtelCity *GetCity(int I) const;
    [[nodiscard]] const TWqtelTown *GetTown(int I) const;

    // The address of town TownIndex of the current city (-1: the city alone)
    // with the searched number hyphenated. With Detail (and TownIndex >= 0)
    // the detail library completes readings, texts and coordinates. nullptr
    // when there is no current city or TownIndex lies outside the town list.
    [[nodiscard]] const TDicTelAdrsResult *GetAddress(int TownIndex, bool Detail);

    [[nodiscard]] const QString &LibFolder() const { return m_libFolder; }
    [[nodiscard]] const QString &DataFolder() const { return m_dataFolder; }

private:
    [[noreturn]] static void raiseCallError(const char *Entry, int Code);
    [[nodiscard]] QByteArray hyphenatedPhone() const;
    // Fills the empty town list of City from the library: 0 or 8.
    [[nodiscard]] int searchTowns(const TWqtelCity &City);

    QString m_libFolder;
    QString m_dataFolder;
    std::unique_ptr<TDicClassLibrary> m_library;
    TWqtelFunctions m_functions{};
    std::vector<TWqtelCity> m_cities;
    std::vector<TWqtelTown> m_towns;
    TDicTelAdrsResult m_result{};
    QByteArray m_phone; // ASCII digits, as sent
    int m_cityIndex = -1;
    int m_townAnswer = -1; // SearchTown's answer for the current city; -1 before one
};
