#pragma once

#include "core/DicTownLists.h"
#include "platform/Exception.h"
#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

#include <memory>

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
// SearchTown answers 4 and 8 as the library's count call does.
class TAdrsSearch : public TDicTownLists<TWqzsCity, TWqzsTown, EAdrsSearchError>
{
public:
    // Loads Wqzs.dll from LibFolder; an empty folder means the program folder.
    // Raises EWQZsError when the library or an entry point is missing.
    // The library is shared with every other search object using that file
    // (SharedDicLibrary), on any thread. A data file in DataFolder that cannot
    // be used is named to the user (WarnIfDicDataUnusable).
    TAdrsSearch(const QString &LibFolder, const QString &DataFolder);
    // Uses the given entry points instead of loading the library.
    TAdrsSearch(const TWqzsFunctions &Functions, const QString &LibFolder, const QString &DataFolder);
    ~TAdrsSearch() override;

    // Cities matching Text (trimmed, full-width, at most 254 bytes of
    // Shift-JIS). 0 found; 4 and 8 as the library answers (the lists are then
    // empty). Raises EAdrsSearchError on an empty text, EWQZsError on any
    // other code.
    [[nodiscard]] int SearchAddress(const QString &Text);

private:
    [[nodiscard]] int searchTowns(const TWqzsCity &City, bool Large) override;
    void setCityFields(const TWqzsCity &City, TDicAdrsResult &Result) const override;
    [[noreturn]] static void raiseCallError(const char *Entry, int Code);

    std::unique_ptr<TDicClassLibrary> m_library;
    TWqzsFunctions m_functions{};
    QByteArray m_text; // Shift-JIS, as sent
};
