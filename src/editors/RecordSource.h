#pragma once

#include "core/AddressText.h"

#include <QList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

class TTable;

// Reads the records of a run by number, as text; an empty result for a
// record the book no longer holds (it merges as empty). Never shows a box;
// a book that cannot be read raises ETableError, which stops a run with its
// message.
//
// A run takes its records a batch at a time (ReadMany): a source over a
// book reads a whole batch under one read of the file, so a long run does
// not take and give back the file's lock once a record, and no record of a
// batch comes from another state of the book than its neighbours.
class TRecordSource
{
public:
    using TRead = std::function<std::optional<TAddressText>(qint32 RecNo)>;
    // Calls its argument inside one read of the book.
    using THold = std::function<void(const std::function<void()> &Read)>;
    // The book's version: a number that changes whenever another handle
    // writes the book (TTable::DataVersion).
    using TVersion = std::function<qint64()>;
    // Whether the book's file may have been written since it was last asked
    // (TFileWrites): a look far cheaper than asking the book its version.
    using TWritten = std::function<bool()>;

    TRecordSource() = default;
    // Any reader of one record; without Hold each record is read on its own.
    template <typename F>
        requires(!std::is_same_v<std::remove_cvref_t<F>, TRecordSource> &&
                 std::is_invocable_r_v<std::optional<TAddressText>, F &, qint32>)
    TRecordSource(F Read, THold Hold = {}, TVersion Version = {}, TWritten Written = {})
        : m_read(std::move(Read)), m_hold(std::move(Hold)), m_version(std::move(Version)),
          m_written(std::move(Written))
    {}

    // True when its batches may be read on another thread while the run
    // paints: a handle nothing else uses, whose version tells whether the
    // book changed since a batch was read (the run then reads it again). A
    // source over a shared handle (the main list's) is read where the run
    // runs.
    [[nodiscard]] bool ReadsAhead() const { return bool(m_version); }
    // The book's version now; 0 for a source without one, -1 when the book
    // cannot tell. A run asks it before every piece: while the book's file
    // shows no write since the version was last read, that one is still the
    // book's, and the book (its lock, held by a batch being read ahead) is
    // not asked.
    [[nodiscard]] qint64 Version() const;

    explicit operator bool() const { return bool(m_read); }
    std::optional<TAddressText> operator()(qint32 RecNo) const;
    // The records in the order given; an error of any stops the batch.
    // Version, when given, receives the book's version they were read at.
    [[nodiscard]] QList<std::optional<TAddressText>> ReadMany(const QList<qint32> &RecNos,
                                                               qint64 *Version = nullptr) const;

private:
    TRead m_read;
    THold m_hold;
    TVersion m_version;
    TWritten m_written;
    // The version last read and whether it still holds: any write seen
    // (counted) from just before it was read on forgets it.
    struct TKnownVersion {
        std::mutex Lock;
        quint64 Writes = 0;
        std::optional<qint64> Value;
        // Under Lock: counts a write the file shows and forgets the version.
        void NoteWrites(const TWritten &Written);
    };
    std::shared_ptr<TKnownVersion> m_known = std::make_shared<TKnownVersion>();
    // A run asks the version before each piece while a worker may be
    // reading a batch ahead: the source's handle is used by one thread at a
    // time (a batch's read asks the version itself, on its own thread).
    std::shared_ptr<std::recursive_mutex> m_use = std::make_shared<std::recursive_mutex>();
};

// The records of an open address table, read quietly by RecNo and decoded
// once (AddressTextOf); a batch under one read of the file.
[[nodiscard]] TRecordSource TableRecordSource(TTable &Table);
// The same over a handle of the run's own, which lives as long as the
// source; nothing else uses it, so a run reads its batches ahead, and reads
// a batch again when the book changed since it was read ahead.
[[nodiscard]] TRecordSource TableRecordSource(std::shared_ptr<TTable> Table);
