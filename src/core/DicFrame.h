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

// One dictionary library file shared by all its users in the process:
// loaded by its first user and freed by its last. The unit-function wrappers
// keep one each; the search classes share one per file (SharedDicLibrary).
// Load shows the application's error box and returns the library's own load
// or entry-point code on failure; every Load (even a failed one) is matched by
// one Free. A new library of this kind is one static TDicLibrary with its
// name, its entry points and its two codes.
//
// Safe to use from several threads (the directory search calls from its
// worker thread): the user count, the handle and the entry points are kept
// under one lock, and a thread that calls an entry point holds a use of its
// own for the call (Call), so no other thread's Free unloads the library
// under the call.
class TDicLibrary
{
public:
    // How the error boxes are worded: the library's name as caption, or the
    // program's caption with the library named in the text.
    enum TMessageStyle { msLibraryCaption, msProgramCaption };

    // A use of the library held for the length of one call: taken only while
    // the library is loaded (a call never loads it), released when the
    // object goes; the release that is the last use unloads the library and
    // runs OnUnloaded, as Free does.
    class TCall
    {
    public:
        TCall() = default;
        TCall(TCall &&Other) noexcept;
        TCall &operator=(TCall &&) = delete;
        ~TCall();

        // Whether a use is held (the library was loaded).
        [[nodiscard]] explicit operator bool() const { return m_library != nullptr; }
        // The address of entry point Index (in the order given); nullptr
        // when no use is held.
        [[nodiscard]] QFunctionPointer Symbol(std::size_t Index) const;
        // Every entry point's address in order; empty when no use is held.
        [[nodiscard]] const std::vector<QFunctionPointer> &Symbols() const;

    private:
        friend class TDicLibrary;
        TDicLibrary *m_library = nullptr;
        // The library's own list: unchanged while a use is held.
        const std::vector<QFunctionPointer> *m_addresses = nullptr;
        std::function<void()> m_onUnloaded;
    };

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
    // Load without the error box, for a caller that reports the failure its
    // own way; MissingEntry, when given, receives the entry point not found.
    [[nodiscard]] int LoadQuietly(const QString &Folder, QString *MissingEntry = nullptr,
                                  const std::function<void()> &OnLoaded = {});
    // Releases one use; the last one unloads the library and runs OnUnloaded
    // under the library's lock.
    void Free(const std::function<void()> &OnUnloaded = {});
    // A use for one call when the library is loaded (see TCall); OnUnloaded
    // runs when releasing that use unloads the library.
    [[nodiscard]] TCall Call(std::function<void()> OnUnloaded = {});

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

// The one TDicLibrary of the file Folder + the library's file, shared by every
// search object of the process that loads that file: one handle, one user
// count, so no object's release unloads the library under another object
// (on any thread). EntryPoints are those of its first user; the entry lives
// until the program ends.
[[nodiscard]] TDicLibrary &SharedDicLibrary(const QString &LibraryName, const QStringList &EntryPoints,
                                            const QString &Folder);

// A use of a shared dictionary library held by one search object for its
// whole life: the constructor takes a use of SharedDicLibrary (loading it
// when this is the first) and reads every entry point in order; a failure
// calls Raise with the message (Raise must throw), so no half-made object
// results. The destructor releases the use.
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
    TDicLibrary *m_library = nullptr;
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

// Says once per run of the program, through the program's message box, that
// the dictionary data file in DataFolder (ending with '/') cannot be used and
// why (missing, damaged or of another format): without it every look-up
// answers "not found". Nothing when the file can be used or when it was said
// already. Called from another thread, the box is shown by the main thread.
void WarnIfDicDataUnusable(const QString &DataFolder);
// Lets the next WarnIfDicDataUnusable speak again.
void ResetDicDataWarningForTesting();
