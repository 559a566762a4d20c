#pragma once

#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class QLibrary;

// One kanji spelling the name library offers for a reading: both Shift-JIS,
// the reading in half-width katakana.
struct TNameCandidate {
    QByteArray Reading;
    QByteArray Kanji;
};

// The entry points of the name library, in the order they are looked up.
struct TWqnameFunctions {
    TWQNMCount SeiCount = nullptr;
    TWQNMCount MeiCount = nullptr;
    TWQNMList SeiList = nullptr;
    TWQNMList MeiList = nullptr;
};

// The name library (WqName99a.dll, here libwqname99a.so) as the name-reading
// popup uses it: loaded quietly (a missing library or entry point leaves the
// popup without candidates, so it never shows), asked for the number of
// candidates of a reading and then for the list. Its 12-byte fields are read
// up to their first NUL or their end, whichever comes first.
class TNameDicLibrary
{
public:
    TNameDicLibrary();
    ~TNameDicLibrary();
    TNameDicLibrary(const TNameDicLibrary &) = delete;
    TNameDicLibrary &operator=(const TNameDicLibrary &) = delete;

    // Loads the library from DllFolder (ends with '/'); false, and nothing
    // held, when it or one of its entry points is missing.
    bool Load(const QString &DllFolder);
    // Uses Functions instead of a loaded library (tests).
    void UseFunctions(const TWqnameFunctions &Functions);
    void Free();
    [[nodiscard]] bool IsLoaded() const { return m_functions.SeiCount != nullptr; }

    // The number of candidates of Reading (Shift-JIS kana); 0 when there is
    // none or the library is not loaded. The library's code is not looked at.
    [[nodiscard]] int Count(const QByteArray &Reading, bool GivenName, const QString &DicFolder) const;
    // The first Count candidates of Reading into Out; the library's code
    // (103 when not loaded). Out is empty unless the code is 0.
    [[nodiscard]] int List(const QByteArray &Reading, bool GivenName, int Count, const QString &DicFolder,
                           std::vector<TNameCandidate> &Out) const;

    // The candidates of Count library entries; an entry with an empty kanji
    // field stops the list.
    [[nodiscard]] static std::vector<TNameCandidate> ReadEntries(const TWqnameEntry *Entries, int Count);

private:
    std::unique_ptr<QLibrary> m_library;
    TWqnameFunctions m_functions{};
};
