#pragma once

#include "core/DicResult.h"
#include "platform/Exception.h"
#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

#include <memory>

class TDicClassLibrary;

// Bad input of TContinualAdrsSearch.
MURVEN_DECLARE_EXCEPTION(EContinualAdrsSearchError, Exception);
// Load, entry-point and call errors of the address conversion library
// (WQZsCnv.dll). The name is the system's own.
MURVEN_DECLARE_EXCEPTION(EWQZsCnvErro, EContinualAdrsSearchError);

// The entry point of the address conversion library.
struct TWqzscnvFunctions {
    TWQZSCAdrs Adrs;
};

// One free address text to one normalised address, for conversions of many
// records in a row: the record is built once per search (again only when
// details are asked for the first time), and the detail library, once
// loaded, is kept until the object is destroyed.
class TContinualAdrsSearch
{
public:
    // Loads WQZsCnv.dll from LibFolder; an empty folder means the program
    // folder. Raises EWQZsCnvErro when the library or its entry point is missing.
    // The library is shared with every other search object using that file
    // (SharedDicLibrary), on any thread. A data file in DataFolder that cannot
    // be used is named to the user (WarnIfDicDataUnusable).
    TContinualAdrsSearch(const QString &LibFolder, const QString &DataFolder);
    // Uses the given entry point instead of loading the library.
    TContinualAdrsSearch(const TWqzscnvFunctions &Functions, const QString &LibFolder, const QString &DataFolder);
    ~TContinualAdrsSearch();
    TContinualAdrsSearch(const TContinualAdrsSearch &) = delete;
    TContinualAdrsSearch &operator=(const TContinualAdrsSearch &) = delete;

    // Converts Text (trimmed). 0 found, 1 the city alone, 4 and 8 as the
    // library answers; 8 also for a text that fits several cities alike
    // (one address or none, never a guess: TAdrsSearch lists them). Raises
    // EContinualAdrsSearchError on an empty text, EWQZsCnvErro on any other
    // code.
    [[nodiscard]] int Search(const QString &Text);
    // The record of the last search; with Detail completed by the detail
    // library. A record already built (with details, when they are asked
    // for) is returned as it stands without a library call.
    [[nodiscard]] const TDicAdrsShortResult *GetAddress(bool Detail);

    [[nodiscard]] const QString &LibFolder() const { return m_libFolder; }
    [[nodiscard]] const QString &DataFolder() const { return m_dataFolder; }

private:
    QString m_libFolder;
    QString m_dataFolder;
    std::unique_ptr<TDicClassLibrary> m_library;
    TWqzscnvFunctions m_functions{};
    TWqzscnvResult m_found{};
    bool m_built = false;
    bool m_builtWithDetail = false;
    QByteArray m_text; // Shift-JIS, as sent
    TDicAdrsShortResult m_result{};
    bool m_wqmtadTried = false; // the detail library is loaded at most once
    bool m_holdsWqmtad = false; // and released by the destructor when loaded
};
