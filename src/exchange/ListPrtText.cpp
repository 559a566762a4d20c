#include "exchange/ListPrtText.h"

#include "addressbook/AdrsList.h"
#include "core/AppSub.h"
#include "core/WqhypWrapper.h"
#include "platform/Cp932.h"
#include "platform/Table.h"
#include "platform/TextLines.h"
#include "util/StrFunc.h"
#include "widgets/RecordRun.h"

#include <algorithm>
#include <unordered_map>

namespace {

// The table's fields by name, looked up once per print instead of once per
// cell (a name lookup walks the table's 67 fields).
class TFields
{
public:
    explicit TFields(TTable &table) : m_table(table) {}
    TField &operator()(const char *name)
    {
        auto at = m_cache.find(name);
        if (at == m_cache.end())
            at = m_cache.emplace(name, &m_table.FieldByName(QString::fromLatin1(name))).first;
        return *at->second;
    }

private:
    TTable &m_table;
    std::unordered_map<const char *, TField *> m_cache;
};

constexpr const char *kJoints[] = {"Joint1", "Joint2", "Joint3", "Joint4", "Joint5"};
constexpr const char *kKeywords[] = {"Keyword1", "Keyword2", "Keyword3", "Keyword4",
                                     "Keyword5", "Keyword6", "Keyword7", "Keyword8"};

QString plain(TFields &table, const char *name)
{
    return Cp932::decode(TrimBlanks(table(name).AsBytesView()));
}

QString wide(TFields &table, const char *name)
{
    return TrimBlanks(DecodeUnicodeField(table(name).AsBytesView()));
}

QString phone(TFields &table, const char *name, const QString &dataFolder)
{
    const QByteArrayView number = TrimBlanks(table(name).AsBytesView());
    if (number.isEmpty())
        return {};
    return Cp932::decode(HyphenatePhoneNumber(number.toByteArray(), dataFolder));
}

QString stamp(TFields &table, const char *name, const char *format)
{
    const QDateTime value = table(name).AsDateTime();
    return value.isValid() ? value.toString(QString::fromLatin1(format)) : QString();
}

QString cellText(TFields &table, int item, const TListPrintLayout &layout, const std::array<QString, 11> &groups,
                 const QString &dataFolder)
{
    switch (item) {
    case 2: {
        const int group = table("Group").AsInteger();
        return group >= 1 && group <= 10 ? groups[static_cast<std::size_t>(group)] : QString();
    }
    case 3:
        return plain(table, "CustomCode");
    case 4:
        return phone(table, "Tel", dataFolder);
    case 5:
        return table("TelDiv").AsInteger() == 3 ? QStringLiteral("○") : QString();
    case 6:
        return phone(table, "Fax", dataFolder);
    case 7: {
        const QString date = plain(table, "PubDate");
        return date.isEmpty() ? date : date.left(4) + QLatin1Char('/') + date.mid(4, 2);
    }
    case 8:
        return phone(table, "Portable1", dataFolder);
    case 9:
        return phone(table, "Portable2", dataFolder);
    case 10: {
        const QString pos = plain(table, "Pos");
        return pos.size() == 5 || pos.size() == 7 ? pos.left(3) + QLatin1Char('-') + pos.mid(3) : pos;
    }
    case 11: {
        QString text = layout.IgnoreTdfkn ? QString() : plain(table, "Tdfkn");
        // Lines the user kept apart never run two numbers together.
        for (const char *line : {"Adrs1", "Adrs2", "Adrs3"})
            text = JoinAddressLines(text, plain(table, line));
        return text;
    }
    case 12:
        return plain(table, "AdrsKana");
    case 13:
        return plain(table, "JisCode");
    case 14:
        return table("PrivCorp").AsBoolean() ? QStringLiteral("個人")
                                                                          : QStringLiteral("会社");
    case 15:
        return plain(table, "CorpKanji");
    case 16:
        return plain(table, "CorpKana");
    case 17:
        return plain(table, "Dptmnt");
    case 18:
        return plain(table, "Post");
    case 19:
        return wide(table, "NameKanji");
    case 20:
        return plain(table, "NameKana");
    case 21:
        return plain(table, "URL");
    case 22:
        return plain(table, "EMail1");
    case 23:
        return plain(table, "EMail2");
    case 37:
        // One row per record: each line break of the note, CR LF or one
        // another writer left as LF or CR, prints as one blank.
        return SplitMemoLines(table("Note").AsString()).join(QLatin1Char(' '));
    case 38:
        return plain(table, "SymbolMark");
    case 39:
        return stamp(table, "AddDateTime", "yyyy/MM/dd HH:mm:ss");
    case 40:
        return stamp(table, "AddDateTime", "yyyy/MM/dd");
    case 41:
        return stamp(table, "AddDateTime", "HH:mm:ss");
    case 42:
        return stamp(table, "UpdDateTime", "yyyy/MM/dd HH:mm:ss");
    case 43:
        return stamp(table, "UpdDateTime", "yyyy/MM/dd");
    case 44:
        return stamp(table, "UpdDateTime", "HH:mm:ss");
    default:
        break;
    }
    if (item >= 24 && item <= 28)
        return wide(table, kJoints[item - 24]);
    if (item >= 29 && item <= 36)
        return Cp932::decode(
            TrimBlanks(table(kKeywords[item - 29]).AsBytesView()));
    return {}; // 0, 1 and numbers outside the catalogue
}

} // namespace

struct TListRowReader::TImpl {
    TTable &Table;
    TFields Fields;
    const TListPrintJob &Job;
    const std::array<QString, 11> &Groups;
    QString DataFolder;
    std::optional<TTableRead> Hold{};
    int Held = 0;
    TImpl(TTable &table, const TListPrintJob &job, const std::array<QString, 11> &groups, const QString &dataFolder)
        : Table(table), Fields(table), Job(job), Groups(groups), DataFolder(dataFolder)
    {}
};

namespace {
// Records found under one read of the book; the lock is held for a moment
// only, so another program saving waits little.
constexpr int kHeldRecords = 128;
} // namespace

TListRowReader::TListRowReader(TTable &table, const TListPrintJob &job, const std::array<QString, 11> &groupNames,
                               const QString &dataFolder)
    : d(std::make_unique<TImpl>(table, job, groupNames, dataFolder))
{
}

std::optional<QStringList> TListRowReader::Fetch(qint32 RecNo)
{
    if (!d->Hold || d->Held >= kHeldRecords) {
        d->Hold.reset();
        d->Hold.emplace(d->Table);
        d->Held = 0;
    }
    ++d->Held;
    if (!FindRunRecord(d->Table, RecNo))
        return std::nullopt;
    return Read();
}

void TListRowReader::Release()
{
    d->Hold.reset();
}

TListRowReader::~TListRowReader() = default;

QStringList TListRowReader::Read()
{
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(d->Job.Columns.size()));
    for (const TListPrintColumn &column : d->Job.Columns)
        texts << cellText(d->Fields, column.ItemNo, d->Job.Layout, d->Groups, d->DataFolder);
    return texts;
}

QStringList ListPrintRowTexts(TTable &table, const TListPrintJob &job, const std::array<QString, 11> &groupNames,
                              const QString &dataFolder)
{
    return TListRowReader(table, job, groupNames, dataFolder).Read();
}

std::vector<qint32> TakeListPrintRecords(const TAddressList &list, int dataSelect, int beginPos, int endPos)
{
    std::vector<qint32> records;
    const int rows = list.GetRowCount();
    int first = 0;
    int last = rows - 1;
    if (dataSelect == 1) {
        first = std::max(0, beginPos - 1);
        last = std::min(rows - 1, endPos - 1);
        if (beginPos < 1)
            return records;
    }
    for (int row = first; row <= last; ++row) {
        if (dataSelect == 0 && !list.IsRowSelected(row))
            continue;
        records.push_back(list.GetRowRecNo(row));
    }
    return records;
}

std::vector<qint32> ListPrintRecordsLeft(TTable &table, const std::vector<qint32> &records)
{
    // The record numbers come in their order: a sorted list to look in.
    std::vector<qint32> held;
    table.ForEachRecord({}, [&held](qint64 recNo, const QByteArrayView *) { held.push_back(static_cast<qint32>(recNo)); });
    std::vector<qint32> left;
    left.reserve(records.size());
    for (const qint32 recNo : records)
        if (std::binary_search(held.begin(), held.end(), recNo))
            left.push_back(recNo);
    return left;
}

std::optional<int> ParseListPrintMargin(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    QString digitsAndPoint;
    for (const QChar c : trimmed)
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.'))
            digitsAndPoint += c;
    if (digitsAndPoint != trimmed || !std::any_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    // The field holds at most 4 characters: "50.0".
    constexpr int maxLength = 4;
    QString form = trimmed;
    const qsizetype point = form.indexOf(QLatin1Char('.'));
    if (point >= 0) {
        if (form.indexOf(QLatin1Char('.'), point + 1) >= 0)
            return std::nullopt;
        if (point == form.size() - 1) {
            if (form.size() > maxLength - 1)
                return std::nullopt;
            form += QLatin1Char('0');
        } else if (form.size() - point - 1 > 1) {
            return std::nullopt;
        }
    } else {
        if (form.size() > maxLength - 2)
            return std::nullopt;
        form += QStringLiteral(".0");
    }
    form.remove(QLatin1Char('.'));
    bool ok = false;
    const int tenths = form.toInt(&ok);
    if (!ok || tenths < 0 || tenths > 500)
        return std::nullopt;
    return tenths;
}

QString ListPrintMarginText(int tenths)
{
    return QString::asprintf("%.1f", tenths / 10.0);
}
