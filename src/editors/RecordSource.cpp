#include "editors/RecordSource.h"

#include "core/Inquiry.h"
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

qint64 TRecordSource::Version() const
{
    if (!m_version)
        return 0;
    const std::lock_guard lock(*m_use);
    return m_version();
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
    return TRecordSource([Table](qint32 RecNo) { return readRecord(*Table, RecNo); },
                         [Table](const std::function<void()> &Read) { holdRead(*Table, Read); },
                         [Table] { return Table->DataVersion(); });
}
