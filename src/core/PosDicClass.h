#pragma once

#include "core/DicTownLists.h"
#include "platform/Exception.h"
#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

#include <memory>

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
// object closes it at the next search and when it is destroyed. SearchTown
// answers 8 when the city has no town (or large office); GetAddress splits
// the city entry's combined reading and name after the prefecture.
class TPosSearch : public TDicTownLists<TWqzplstCity, TWqzplstTown, EPosSearchError>
{
public:
    // Loads Wqzplst.dll from LibFolder; an empty folder means the program
    // folder. Raises EWqzplstError when the library or an entry point is
    // missing.
    // The library is shared with every other search object using that file
    // (SharedDicLibrary), on any thread. A data file in DataFolder that cannot
    // be used is named to the user (WarnIfDicDataUnusable).
    TPosSearch(const QString &LibFolder, const QString &DataFolder);
    // Uses the given entry points instead of loading the library.
    TPosSearch(const TWqzplstFunctions &Functions, const QString &LibFolder, const QString &DataFolder);
    ~TPosSearch() override;

    // Cities of the ASCII digits of Postcode. 0 found (FormattedOut, when
    // given, receives the digits as a postcode, "123-4567"); 4 and 8 as the
    // library answers (the lists are then empty). Raises EPosSearchError when
    // there is no digit, EWqzplstError on any other code.
    [[nodiscard]] int SearchPostcode(const QString &Postcode, QString *FormattedOut = nullptr);

private:
    [[nodiscard]] int searchTowns(const TWqzplstCity &City, bool Large) override;
    void setCityFields(const TWqzplstCity &City, TDicAdrsResult &Result) const override;
    [[noreturn]] static void raiseCallError(const char *Entry, int Code);
    void closeList();

    std::unique_ptr<TDicClassLibrary> m_library;
    TWqzplstFunctions m_functions{};
    void *m_handle = nullptr; // the open postcode list
    QByteArray m_digits;
};
