#pragma once

#include "platform/Exception.h"
#include "platform/dic/DicApi.h"

#include <QString>

#include <memory>
#include <vector>

class TDicClassLibrary;

// Bad input and reading an empty result of TKanaAdrsSearch.
MURVEN_DECLARE_EXCEPTION(EKanaAdrsSearchError, Exception);
// Load, entry-point and call errors of the kana address library (Wqk1ad.dll).
MURVEN_DECLARE_EXCEPTION(EWQK1ADError, EKanaAdrsSearchError);

// The entry points of the kana address library, in the order they are
// looked up (WQK1ADAzaAll is required but never called).
struct TWqk1adFunctions {
    TWQK1ADTdfkn Tdfkn;
    TWQK1ADTdfknPart TdfknPart;
    TWQK1ADCityAll CityAll;
    TWQK1ADOhazaAll OhazaAll;
    TWQK1ADOhazaAll_Chome OhazaAll_Chome;
    TWQK1ADAzaAll AzaAll;
};

// The prefectures (all, or those of one region), the cities of a prefecture
// and the oazas of a city, each with the first kana of its reading, for the
// directory search window's address lists. The caller passes the capacities
// the previous list's entries give (city count, oaza count). The object holds
// the library for its whole life.
class TKanaAdrsSearch
{
public:
    // The region that asks for all 47 prefectures.
    static constexpr int AllRegions = 99;

    // Loads Wqk1ad.dll from LibFolder; an empty folder means the program
    // folder. Raises EWQK1ADError when the library or an entry point is missing.
    // The library is shared with every other search object using that file
    // (SharedDicLibrary), on any thread. A data file in DataFolder that cannot
    // be used is named to the user (WarnIfDicDataUnusable).
    TKanaAdrsSearch(const QString &LibFolder, const QString &DataFolder);
    // Uses the given entry points instead of loading the library.
    TKanaAdrsSearch(const TWqk1adFunctions &Functions, const QString &LibFolder, const QString &DataFolder);
    ~TKanaAdrsSearch();
    TKanaAdrsSearch(const TKanaAdrsSearch &) = delete;
    TKanaAdrsSearch &operator=(const TKanaAdrsSearch &) = delete;

    // The prefectures of Region 0..5, or all of them for AllRegions; empties
    // the city and oaza lists. 0 found, 8 none (the list is then empty).
    // Raises EKanaAdrsSearchError for another region, EWQK1ADError on other codes.
    [[nodiscard]] int SearchTdfkn(int Region);
    // The cities of prefecture 1..47 in a list of Capacity entries; empties
    // the oaza list. Codes and errors as SearchTdfkn.
    [[nodiscard]] int SearchCity(int Prefecture, int Capacity);
    // The oazas of the five-digit CityCode in a list of Capacity entries, the
    // chome-level ones too when WithChome. Codes and errors as SearchTdfkn.
    [[nodiscard]] int SearchOhaza(const QString &CityCode, int Capacity, bool WithChome);

    [[nodiscard]] int GetTdfknCount() const { return static_cast<int>(m_prefectures.size()); }
    [[nodiscard]] int GetCityCount() const { return static_cast<int>(m_cities.size()); }
    [[nodiscard]] int GetOhazaCount() const { return static_cast<int>(m_oazas.size()); }
    // Entry I of a list; nullptr outside a non-empty list. An empty list
    // raises EKanaAdrsSearchError.
    [[nodiscard]] const TWqk1adPref *GetTdfkn(int I) const;
    [[nodiscard]] const TWqk1adCity *GetCity(int I) const;
    [[nodiscard]] const TWqk1adOhaza *GetOhaza(int I) const;

    [[nodiscard]] const QString &LibFolder() const { return m_libFolder; }
    [[nodiscard]] const QString &DataFolder() const { return m_dataFolder; }

private:
    [[noreturn]] static void raiseCallError(const char *Entry, int Code);

    QString m_libFolder;
    QString m_dataFolder;
    std::unique_ptr<TDicClassLibrary> m_library;
    TWqk1adFunctions m_functions{};
    std::vector<TWqk1adPref> m_prefectures;
    std::vector<TWqk1adCity> m_cities;
    std::vector<TWqk1adOhaza> m_oazas;
};
