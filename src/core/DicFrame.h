#pragma once

#include <QFunctionPointer>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

class QLibrary;

// The file name on this system of a dictionary library known by its family
// name ("Wqhyp.dll" -> "libwqhyp.so"); unknown names come back unchanged.
[[nodiscard]] QString DicLibraryFileName(const QString &LibraryName);

// One dictionary library reached through unit functions: loaded by its first
// user and freed by its last. Load shows the application's error box and
// returns the library's own load or entry-point code on failure; every Load
// (even a failed one) is matched by one Free. A new library of this kind is
// one static TDicLibrary with its name, its entry points and its two codes.
//
// Safe to use from several threads (the directory search calls from its
// worker thread): the user count, the handle and the entry points are kept
// under one lock, and a thread that calls an entry point holds a use of its
// own, so no other thread's Free unloads the library under the call.
class TDicLibrary
{
public:
    // How the error boxes are worded: the library's name as caption, or the
    // program's caption with the library named in the text.
    enum TMessageStyle { msLibraryCaption, msProgramCaption };

    TDicLibrary(QString LibraryName, QStringList EntryPoints, int LoadErrorCode, int EntryErrorCode,
                TMessageStyle Style = msLibraryCaption);
    ~TDicLibrary();
    TDicLibrary(const TDicLibrary &) = delete;
    TDicLibrary &operator=(const TDicLibrary &) = delete;

    // Raises the user count; while the library is held a further user gets
    // 0 at once. Otherwise loads Folder + the library's file (Folder ends with
    // '/'), then looks up every entry point. Returns 0, LoadErrorCode or
    // EntryErrorCode (the use released again for both: the next user tries to
    // load it again). OnLoaded runs, under the library's lock, only when this
    // call really loaded the library; the error box shows after the lock is
    // released.
    [[nodiscard]] int Load(const QString &Folder, const std::function<void()> &OnLoaded = {});
    // Releases one use; the last one unloads the library and runs OnUnloaded
    // under the library's lock.
    void Free(const std::function<void()> &OnUnloaded = {});

    [[nodiscard]] bool IsLoaded() const;
    [[nodiscard]] int UserCount() const;
    // Address of an entry point of the loaded library; nullptr when not loaded
    // or not one of the entry points.
    [[nodiscard]] QFunctionPointer Symbol(const char *Name) const;
    // Every entry point's address in the order given; empty when not loaded.
    [[nodiscard]] std::vector<QFunctionPointer> Symbols() const;

    [[nodiscard]] const QString &LibraryName() const { return m_name; }

private:
    QString m_name;
    QStringList m_entryPoints;
    int m_loadErrorCode;
    int m_entryErrorCode;
    TMessageStyle m_style;
    mutable std::mutex m_mutex; // guards the three below
    int m_userCount = 0;
    std::unique_ptr<QLibrary> m_library;
    std::vector<QFunctionPointer> m_addresses; // in the order of m_entryPoints
};

// A dictionary library held by one search object for its whole life: the
// constructor loads Folder + the library's file and looks up every entry
// point in order; a failure calls Raise with the message (Raise must throw),
// so no half-made object results.
class TDicClassLibrary
{
public:
    using TRaise = std::function<void(const QString &Message)>;

    TDicClassLibrary(const QString &LibraryName, const QStringList &EntryPoints, const QString &Folder,
                     const TRaise &Raise);
    ~TDicClassLibrary();
    TDicClassLibrary(const TDicClassLibrary &) = delete;
    TDicClassLibrary &operator=(const TDicClassLibrary &) = delete;

    // The address of entry point Index (in the order given).
    [[nodiscard]] QFunctionPointer Symbol(int Index) const { return m_addresses.at(static_cast<std::size_t>(Index)); }

private:
    std::unique_ptr<QLibrary> m_library;
    std::vector<QFunctionPointer> m_addresses;
};

// An entry point's address that converts to the type of the function
// pointer it initialises.
struct TDicEntryAddress {
    QFunctionPointer Address;
    template <class F> operator F() const { return reinterpret_cast<F>(Address); }
};

// Loads a search class's library from Folder and fills its table of entry
// points: TFunctions is an aggregate of one function pointer per name, in
// the order of EntryPoints. A failure raises TError with the message.
template <class TError, class TFunctions, std::size_t N>
[[nodiscard]] std::unique_ptr<TDicClassLibrary> LoadDicClassLibrary(const QString &LibraryName,
                                                                    const char *const (&EntryPoints)[N],
                                                                    const QString &Folder, TFunctions &Functions)
{
    static_assert(sizeof(TFunctions) == N * sizeof(QFunctionPointer), "one function pointer per entry point");
    QStringList names;
    for (const char *name : EntryPoints)
        names << QString::fromLatin1(name);
    auto library = std::make_unique<TDicClassLibrary>(LibraryName, names, Folder,
                                                      [](const QString &message) { throw TError(message); });
    Functions = [&library]<std::size_t... I>(std::index_sequence<I...>) {
        return TFunctions{TDicEntryAddress{library->Symbol(static_cast<int>(I))}...};
    }(std::make_index_sequence<N>{});
    return library;
}

// Entry Index of a search class's result list; nullptr outside a non-empty
// list. Reading an empty list raises TError with EmptyMessage.
template <class TError, class T>
[[nodiscard]] const T *DicListEntry(const std::vector<T> &List, int Index, const QString &EmptyMessage)
{
    if (List.empty())
        throw TError(EmptyMessage);
    if (Index < 0 || static_cast<std::size_t>(Index) >= List.size())
        return nullptr;
    return &List[static_cast<std::size_t>(Index)];
}

// "<Entry> (<LibraryName>) Call Error\r\nRC = <Code>": the text of the
// exception a search class raises when an entry point answers a code the
// operation does not accept.
[[nodiscard]] QString DicCallErrorText(const QString &Entry, const QString &LibraryName, int Code);

// A search class's folder: the program folder when empty, else Folder with
// a trailing '/'.
[[nodiscard]] QString DicClassFolder(const QString &Folder);
