#include "editors/RecordSource.h"

#include "core/Inquiry.h"
#include "platform/FileWrites.h"
#include "platform/Table.h"

QList<std::optional<TAddressText>> TRecordSource::ReadMany(const QList<qint32> &RecNos, qint64 *Version) const
{
    QList<std::optional<TAddressText>> records;
    records.reserve(RecNos.size());
    auto readAll = [&] {
        // Inside the read: the version of the state the records come from.
        if (Version)
            *Version = this->Version();
        for (const qint32 recNo : RecNos)
            records.append(m_read ? m_read(recNo) : std::nullopt);
    };
    const std::lock_guard lock(*m_use);
    if (m_hold)
        m_hold(readAll);
    else
        readAll();
    return records;
}

void TRecordSource::TKnownVersion::NoteWrites(const TWritten &Written)
{
    if (Written()) {
        ++Writes;
        Value.reset();
    }
}

qint64 TRecordSource::Version() const
{
    if (!m_version)
        return 0;
    if (m_written) {
        const std::lock_guard known(m_known->Lock);
        m_known->NoteWrites(m_written);
        if (m_known->Value)
            return *m_known->Value;
    }
    const std::lock_guard lock(*m_use);
    if (!m_written)
        return m_version();
    quint64 before = 0;
    {
        const std::lock_guard known(m_known->Lock);
        m_known->NoteWrites(m_written);
        before = m_known->Writes;
    }
    // A write another program finishes while the book is asked is noticed
    // after it: the version read is kept only when none came meanwhile.
    const qint64 now = m_version();
    const std::lock_guard known(m_known->Lock);
    m_known->NoteWrites(m_written);
    if (now >= 0 && m_known->Writes == before)
        m_known->Value = now;
    return now;
}

std::optional<TAddressText> TRecordSource::operator()(qint32 RecNo) const
{
    const std::lock_guard lock(*m_use);
    return m_read(RecNo);
}

namespace {

std::optional<TAddressText> readRecord(TTable &Table, qint32 RecNo)
{
    TAddressData data;
    // Record 0 is no record (the design's and the sender's runs).
    if (RecNo <= 0)
        return std::nullopt;
    if (!Table.Active())
        throw ETableError(QStringLiteral("住所録が開かれていません"));
    if (!FindAddressData(Table, RecNo, data))
        return std::nullopt;
    return AddressTextOf(data);
}

void holdRead(TTable &Table, const std::function<void()> &Read)
{
    const TTableRead read(Table);
    Read();
}

} // namespace

TRecordSource TableRecordSource(TTable &Table)
{
    return TRecordSource([&Table](qint32 RecNo) { return readRecord(Table, RecNo); },
                         [&Table](const std::function<void()> &Read) { holdRead(Table, Read); });
}

TRecordSource TableRecordSource(std::shared_ptr<TTable> Table)
{
    // Watched from before the version is first read: no write after that
    // read goes unnoticed.
    auto writes = std::make_shared<TFileWrites>(Table->TableName());
    return TRecordSource([Table](qint32 RecNo) { return readRecord(*Table, RecNo); },
                         [Table](const std::function<void()> &Read) { holdRead(*Table, Read); },
                         [Table] { return Table->DataVersion(); }, [writes] { return writes->WrittenSince(); });
}
