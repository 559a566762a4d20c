#include "core/HisInfo.h"

#include "platform/Cp932.h"
#include "platform/Folders.h"
#include "platform/SafeFile.h"
#include "platform/SharedIni.h"
#include "platform/UnreadableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString msgNotFound() { return QStringLiteral("ファイルが見つかりません"); }
QString msgBadSize() { return QStringLiteral("項目サイズには1～255の値を指定してください"); }
QString msgWriteFailed() { return QStringLiteral("データが書き込めませんでした"); }
QString msgIndex() { return QStringLiteral("Indexが範囲外です"); }

const QDate HistoryEpoch(1899, 12, 30);
constexpr double MsecsPerDay = 86400000.0;

// The day numbers of the years 1 to 9999; anything beyond (NaN and the
// infinities included) is no date a history ever wrote.
const double FirstHistoryDay = static_cast<double>(HistoryEpoch.daysTo(QDate(1, 1, 1)));
const double EndHistoryDay = static_cast<double>(HistoryEpoch.daysTo(QDate(9999, 12, 31)) + 1);

bool isHistoryDay(double when)
{
    return when >= FirstHistoryDay && when < EndHistoryDay; // false for NaN
}

// Bytes of code 32 and below are removed at both ends (trail bytes of CP932
// are 0x40 and above, so no character is cut).
QByteArray trimmedControls(QByteArray text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

double DateTimeToHistoryWhen(const QDateTime &dateTime)
{
    const QDateTime local = dateTime.toLocalTime();
    const qint64 days = HistoryEpoch.daysTo(local.date());
    return static_cast<double>(days) + local.time().msecsSinceStartOfDay() / MsecsPerDay;
}

QDateTime HistoryWhenToDateTime(double when)
{
    if (!isHistoryDay(when))
        return {};
    const double wholeDays = std::floor(when);
    const auto msecs = static_cast<int>(std::lround((when - wholeDays) * MsecsPerDay));
    const QDate date = HistoryEpoch.addDays(static_cast<qint64>(wholeDays));
    return QDateTime(date, QTime(0, 0)).addMSecs(msecs);
}

THistoryData::THistoryData(const QString &fileName, bool createIfMissing, int maxLength)
    : m_fileName(fileName), m_maxLength(maxLength)
{
    if (maxLength < 0 || maxLength > 255)
        throw ERangeError(m_fileName + CrLf + msgBadSize());
    RecoverSafeReplace(m_fileName);
    if (!QFileInfo::exists(m_fileName)) {
        if (!createIfMissing)
            throw EInOutError(m_fileName + CrLf + msgNotFound());
        (void)Folders::makePrivatePath(QFileInfo(m_fileName).absolutePath());
        const QByteArray empty(4, '\0');
        QString reason;
        if (!SafeReplaceFile(m_fileName, empty, &reason))
            throw EHistoryDataError(m_fileName + CrLf + msgWriteFailed() + CrLf + reason);
    }
}

bool THistoryData::Load()
{
    m_items.emplace();
    m_unreadable = false;
    m_keptAside.clear();
    RecoverSafeReplace(m_fileName);
    // A folder in the file's place holds no history; saving fails on it.
    if (!QFileInfo(m_fileName).isFile())
        return true;
    QFile file(m_fileName);
    QString reason;
    std::vector<THistoryEntry> items;
    if (!file.open(QIODevice::ReadOnly))
        reason = QStringLiteral("cannot open: ") + file.errorString();
    else if (file.size() > 0 && !readEntries(file, items))
        reason = QStringLiteral("damaged or cut short");
    if (reason.isEmpty()) {
        *m_items = std::move(items);
        m_base = *m_items;
        return true;
    }
    // Never written over with a shorter list: the whole file stays as it was
    // beside its place, and the list starts empty.
    file.close();
    m_unreadable = true;
    m_base.clear();
    m_keptAside = KeepUnreadableFileAside(m_fileName, reason);
    return false;
}

bool THistoryData::readEntries(QFile &file, std::vector<THistoryEntry> &items)
{
    const auto readExactly = [&file](char *target, qint64 size) { return file.read(target, size) == size; };

    char countBytes[4];
    if (!readExactly(countBytes, 4))
        return false;
    const qint32 count = qFromLittleEndian<qint32>(countBytes);
    if (count < 0)
        return false;
    // A record takes at least 9 bytes: never reserve more than the file can hold.
    items.reserve(static_cast<size_t>(std::min<qint64>(count, file.size() / 9)));

    for (qint32 i = 0; i < count; ++i) {
        char lengthByte = 0;
        if (!readExactly(&lengthByte, 1))
            return false;
        const int length = (static_cast<unsigned char>(lengthByte) - 8) & 0xFF;
        char whenBytes[8];
        if (!readExactly(whenBytes, 8))
            return false;
        const quint64 whenBits = qFromLittleEndian<quint64>(whenBytes);
        double when = 0.0;
        std::memcpy(&when, &whenBits, sizeof when);
        if (!isHistoryDay(when))
            return false;
        QByteArray text(length, '\0');
        if (length > 0 && !readExactly(text.data(), length))
            return false;
        for (char &c : text)
            c = static_cast<char>(c ^ 0xFF);
        items.push_back(THistoryEntry{when, trimmedControls(std::move(text))});
    }
    // Bytes after the last entry: not a file this program wrote.
    char extra = 0;
    return file.read(&extra, 1) == 0;
}

QByteArray THistoryData::Serialize() const
{
    QByteArray bytes;
    const auto count = static_cast<qint32>(m_items ? m_items->size() : 0);
    char countBytes[4];
    qToLittleEndian<qint32>(count, countBytes);
    bytes.append(countBytes, 4);
    if (!m_items)
        return bytes;
    for (const THistoryEntry &entry : *m_items) {
        // Insert bounds every text to 247 bytes, so the length byte cannot wrap.
        const auto length = static_cast<int>(std::min<qsizetype>(entry.Text.size(), StoredTextLimit));
        bytes.append(static_cast<char>(8 + length));
        quint64 whenBits = 0;
        std::memcpy(&whenBits, &entry.When, sizeof whenBits);
        char whenBytes[8];
        qToLittleEndian<quint64>(whenBits, whenBytes);
        bytes.append(whenBytes, 8);
        for (int i = 0; i < length; ++i)
            bytes.append(static_cast<char>(entry.Text[i] ^ 0xFF));
    }
    return bytes;
}

bool THistoryData::Save()
{
    if (!m_items)
        return false;
    // A damaged file that could not be moved aside is never written over.
    if (m_unreadable && m_keptAside.isEmpty() && QFileInfo(m_fileName).isFile())
        throw EHistoryDataError(m_fileName + CrLf + msgWriteFailed());
    (void)Folders::makePrivatePath(QFileInfo(m_fileName).absolutePath());
    // The cause follows on a line of its own, so the user knows what to mend.
    QString reason;
    TFileLock lock(m_fileName);
    if (!lock.Acquire(SharedFileWaitMs, &reason))
        throw EHistoryDataError(m_fileName + CrLf + msgWriteFailed() + CrLf + reason);
    // Each text as the file gives it back (cut to its stored length, blanks
    // and control characters at its ends gone): the merge then matches the
    // file's texts with this list's, and the list holds what the file holds.
    std::vector<THistoryEntry> merged;
    merged.reserve(m_items->size());
    // Two texts the file stores alike ("営業部 " put first where the list
    // held "営業部") are one text: the first, the newer, stays.
    for (const THistoryEntry &entry : *m_items) {
        QByteArray text = trimmedControls(entry.Text.left(StoredTextLimit));
        if (std::none_of(merged.begin(), merged.end(), [&](const THistoryEntry &e) { return e.Text == text; }))
            merged.push_back(THistoryEntry{entry.When, std::move(text)});
    }
    if (QFileInfo(m_fileName).isFile() && !(m_unreadable && m_keptAside.isEmpty())) {
        QFile file(m_fileName);
        std::vector<THistoryEntry> now;
        QString damage;
        if (!file.open(QIODevice::ReadOnly))
            damage = QStringLiteral("cannot open: ") + file.errorString();
        else if (file.size() > 0 && !readEntries(file, now))
            damage = QStringLiteral("damaged or cut short");
        file.close();
        // Damaged by another hand since it was read: kept aside whole and
        // named, as at reading, before this list takes its place; one that
        // cannot be moved stays as it is.
        if (!damage.isEmpty() && KeepUnreadableFileAside(m_fileName, damage).isEmpty())
            throw EHistoryDataError(m_fileName + CrLf + msgWriteFailed());
        if (damage.isEmpty()) {
            // A text used again has a new time: one this program left as it
            // read it and the other deleted goes.
            MergeRecentEntryChanges(
                now, m_base, merged, [](const THistoryEntry &a, const THistoryEntry &b) { return a.Text == b.Text; },
                [](const THistoryEntry &a, const THistoryEntry &b) { return a.When == b.When; });
            merged = std::move(now);
        }
    }
    std::swap(*m_items, merged);
    if (!SafeReplaceFile(m_fileName, Serialize(), &reason)) {
        std::swap(*m_items, merged);
        throw EHistoryDataError(m_fileName + CrLf + msgWriteFailed() + CrLf + reason);
    }
    m_base = *m_items;
    return true;
}

void THistoryData::Unload() { m_items.reset(); }

void THistoryData::checkIndex(int index, int count) const
{
    if (index < 0 || index > count)
        throw EHistoryDataError(msgIndex());
}

QByteArray THistoryData::CutText(QByteArrayView text) const
{
    return Cp932::truncated(text, std::min(m_maxLength, StoredTextLimit));
}

int THistoryData::Add(const QByteArray &text, double when)
{
    const int index = GetCount();
    Insert(index, text, when);
    return index;
}

void THistoryData::Insert(int index, const QByteArray &text, double when)
{
    if (!m_items)
        m_items.emplace();
    checkIndex(index, GetCount());
    if (when == 0.0)
        when = DateTimeToHistoryWhen(QDateTime::currentDateTime());
    m_items->insert(m_items->begin() + index, THistoryEntry{when, CutText(text)});
}

void THistoryData::Delete(int index)
{
    checkIndex(index, GetCount() - 1);
    m_items->erase(m_items->begin() + index);
}

void THistoryData::Clear()
{
    for (int i = GetCount() - 1; i >= 0; --i)
        Delete(i);
}

int THistoryData::IndexOf(QByteArrayView text) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (QByteArrayView((*m_items)[static_cast<size_t>(i)].Text) == text)
            return i;
    }
    return -1;
}

QByteArray THistoryData::GetText(int index) const
{
    checkIndex(index, GetCount() - 1);
    return (*m_items)[static_cast<size_t>(index)].Text;
}

double THistoryData::GetWhen(int index) const
{
    checkIndex(index, GetCount() - 1);
    return (*m_items)[static_cast<size_t>(index)].When;
}

int THistoryData::GetCount() const { return m_items ? static_cast<int>(m_items->size()) : 0; }

bool PutHistoryFirst(THistoryData &history, const QByteArray &text)
{
    const QByteArray stored = trimmedControls(history.CutText(text));
    if (stored.isEmpty())
        return false;
    const int index = history.IndexOf(stored);
    if (index == 0)
        return false;
    if (index > 0)
        history.Delete(index);
    history.Insert(0, stored, 0.0);
    return history.Save();
}
