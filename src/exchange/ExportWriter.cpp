#include "exchange/ExportWriter.h"

#include "core/OwnFiles.h"
#include "exchange/CsvFields.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/Table.h"
#include "util/StrFunc.h"

#include <QFile>
#include <QHash>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int TExportLayout::ColumnCount() const
{
    return int(std::count_if(m_items.cbegin(), m_items.cend(), [](const auto &item) { return item.Column != 0; }));
}

void TExportLayout::renumber()
{
    int column = 0;
    for (TExportLayoutItem &item : m_items) {
        if (item.Column != 0)
            item.Column = ++column;
    }
}

bool TExportLayout::Set(int Row, int Item)
{
    if (IsFull())
        return false;
    Row = qBound(0, Row, Count());
    // The new column takes the number of the head it lands on, or follows
    // the column above it; the renumbering then moves the rest along.
    int column = 1;
    if (Row < Count() && m_items[Row].Column != 0) {
        column = m_items[Row].Column;
    } else {
        for (int r = Row - 1; r >= 0; --r) {
            if (m_items[r].Column != 0) {
                column = m_items[r].Column + 1;
                break;
            }
        }
    }
    m_items.insert(Row, TExportLayoutItem{column, Item});
    renumber();
    return true;
}

bool TExportLayout::Join(int Row, int Item)
{
    if (IsFull())
        return false;
    if (IsEmpty())
        return Set(0, Item);
    const int after = Row >= Count() ? Count() - 1 : qMax(Row, 0);
    m_items.insert(after + 1, TExportLayoutItem{0, Item});
    return true;
}

void TExportLayout::SetAll()
{
    m_items.clear();
    for (int i = 0; i < ExportItemCount; ++i)
        m_items << TExportLayoutItem{i + 1, i};
}

void TExportLayout::Delete(int Row)
{
    if (IsEmpty())
        return;
    if (Row < 0 || Row >= Count())
        Row = Count() - 1;
    const TExportLayoutItem removed = m_items.takeAt(Row);
    if (removed.Column != 0 && Row < Count() && m_items[Row].Column == 0)
        m_items[Row].Column = removed.Column;
    renumber();
}

bool TExportLayout::CanMoveUp(int Row) const
{
    if (Row <= 0 || Row >= Count())
        return false;
    return !(Row == 1 && m_items[1].Column == 0);
}

bool TExportLayout::CanMoveDown(int Row) const
{
    return Row >= 0 && Row < Count() - 1;
}

int TExportLayout::MoveUp(int Row)
{
    if (Row <= 0)
        return 0;
    if (Row >= Count())
        return Count() - 1 >= 0 ? Count() - 1 : 0;
    // A joined item in row 1 would end up in front of every column.
    if (Row == 1 && m_items[1].Column == 0)
        return Row;
    m_items.swapItemsAt(Row, Row - 1);
    renumber();
    return Row - 1;
}

int TExportLayout::MoveDown(int Row)
{
    if (Row < 0 || Row >= Count())
        return Row;
    if (Row == Count() - 1)
        return Row + 1;
    m_items.swapItemsAt(Row, Row + 1);
    if (m_items[0].Column == 0)
        m_items[0].Column = 1;
    renumber();
    return Row + 1;
}

QStringList TExportLayout::ToKeys() const
{
    QStringList keys;
    for (const TExportLayoutItem &item : m_items) {
        if (item.Column != 0 || keys.isEmpty())
            keys << QString::number(item.Item);
        else
            keys.last() += u',' + QString::number(item.Item);
    }
    return keys;
}

void TExportLayout::FromKeys(const QStringList &Keys)
{
    m_items.clear();
    for (const QString &key : Keys) {
        if (key.isEmpty())
            break;
        bool head = true;
        for (const QString &part : key.split(u',')) {
            bool ok = false;
            const int item = part.trimmed().toInt(&ok);
            if (!ok || item < 0 || item >= ExportItemCount || IsFull())
                continue;
            m_items << TExportLayoutItem{head ? 1 : 0, item};
            head = false;
        }
    }
    renumber();
}

QStringList TExportLayout::Fields() const
{
    QStringList names;
    for (const TExportLayoutItem &item : m_items) {
        for (const QString &name : ExportItemFields(item.Item)) {
            if (!names.contains(name))
                names << name;
        }
    }
    return names;
}

QByteArray BuildExportHeader(const TExportLayout &Layout, const QStringList &Captions)
{
    static const QByteArray joined = Cp932::encode(u"＋");
    const QList<QByteArray> names = ExportHeaderNames(Captions);
    // A column is quoted by the rule of the lines (CsvField) only where its
    // name needs it, so a header of plain names stays as it always was.
    QByteArray header;
    QByteArray column;
    bool first = true;
    for (const TExportLayoutItem &item : Layout.Items()) {
        if (!first) {
            if (item.Column != 0) {
                header += CsvField(column, false);
                header += ',';
                column.clear();
            } else {
                column += joined;
            }
        }
        first = false;
        column += names.value(item.Item);
    }
    if (!first)
        header += CsvField(column, false);
    return header;
}

QString BuildExportLine(const TExportLayout &Layout, TTable &Table, const TExportContext &Context, bool Quote)
{
    QByteArray line;
    AppendExportLine(Layout, TExportItemReader(Table), Context, Quote, line);
    return Cp932::decode(line);
}

void AppendExportLine(const TExportLayout &Layout, const TExportItemReader &Reader, const TExportContext &Context,
                      bool Quote, QByteArray &Out)
{
    Reader.BeginRecord();
    qsizetype column = Out.size();
    bool open = false;
    for (const TExportLayoutItem &item : Layout.Items()) {
        if (item.Column != 0 && open) {
            WriteCsvFieldInPlace(Out, column, Quote);
            Out += ',';
            column = Out.size();
        }
        open = true;
        Reader.AppendBytes(item.Item, Context, Out);
    }
    if (open)
        WriteCsvFieldInPlace(Out, column, Quote);
}

namespace {

// Bytes already ended by CR LF.
bool writeBytes(QIODevice &out, const QByteArray &bytes, QString *error)
{
    if (out.write(bytes) != bytes.size()) {
        *error = QStringLiteral("出力ファイルに書き込めませんでした  \r\n") + out.errorString();
        return false;
    }
    return true;
}

} // namespace

TExportRunResult WriteExportRows(QIODevice &Out, TTable &Table, const TRunRecords &Records,
                                 const TExportLayout &Layout, const TExportContext &Context,
                                 const TExportOptions &Options, const QStringList &Captions,
                                 const std::function<bool()> &Next)
{
    TExportRunResult result;
    if (Options.OutHeader && !writeBytes(Out, BuildExportHeader(Layout, Captions) + "\r\n", &result.Failure))
        return result;
    const TExportItemReader reader(Table);
    auto line = [&] {
        QByteArray bytes;
        bytes.reserve(512);
        const int lossy = reader.LossyNames();
        AppendExportLine(Layout, reader, Context, Options.BindDblQuote, bytes);
        if (reader.LossyNames() != lossy)
            ++result.LossyLines;
        bytes += "\r\n";
        return bytes;
    };

    // The order and fields of the walk are set before the count: the count
    // reads the whole order with the fields, and the walk below (or the
    // search by number, which takes the same order) uses what it read
    // instead of reading the whole table a second time.
    Table.SetIndexName(QString());
    QStringList fields = Layout.Fields();
    if (!fields.contains(QStringLiteral("RecNo")))
        fields << QStringLiteral("RecNo");
    Table.SetWalkFields(fields);

    if (qsizetype(Records.size()) * 8 < Table.RecordCount()) {
        for (const TRunRecord &record : Records) {
            if (FindRunRecord(Table, record.RecNo)) {
                if (!writeBytes(Out, line(), &result.Failure))
                    return result;
                ++result.Written;
            }
            if (Next && !Next()) {
                result.Cancelled = true;
                break;
            }
        }
        return result;
    }

    TField &recNo = Table.FieldByName(QStringLiteral("RecNo"));

    // Rows in record-number order (a list in registration order): the walk
    // meets them in the order they are written.
    const bool ascending = std::is_sorted(Records.cbegin(), Records.cend(), [](const auto &a, const auto &b) {
        return a.RecNo <= b.RecNo;
    });
    if (ascending) {
        qsizetype next = 0;
        for (Table.First(); !Table.Eof() && next < Records.size(); Table.Next()) {
            const qint32 current = recNo.AsInteger();
            while (next < Records.size() && Records[next].RecNo < current) {
                ++next; // gone from the table
                if (Next && !Next()) {
                    result.Cancelled = true;
                    return result;
                }
            }
            if (next >= Records.size() || Records[next].RecNo != current)
                continue;
            if (!writeBytes(Out, line(), &result.Failure))
                return result;
            ++result.Written;
            ++next;
            if (Next && !Next()) {
                result.Cancelled = true;
                return result;
            }
        }
        return result;
    }

    // Any other order: each record's line lands at its place(s) in Records.
    QHash<qint32, QList<int>> places;
    places.reserve(Records.size());
    for (int i = 0; i < Records.size(); ++i)
        places[Records[i].RecNo] << i;
    std::vector<QByteArray> lines(size_t(Records.size()));
    std::vector<bool> found(size_t(Records.size()), false);
    for (Table.First(); !Table.Eof(); Table.Next()) {
        const auto it = places.constFind(recNo.AsInteger());
        if (it == places.cend())
            continue;
        const QByteArray text = line();
        for (const int place : *it) {
            lines[size_t(place)] = text;
            found[size_t(place)] = true;
            if (Next && !Next()) {
                result.Cancelled = true;
                break;
            }
        }
        if (result.Cancelled)
            break;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!found[i])
            continue;
        if (!writeBytes(Out, lines[i], &result.Failure))
            return result;
        ++result.Written;
    }
    return result;
}

int CountExportRecords(QByteArrayView Content, QByteArrayView Header)
{
    int records = 0;
    qsizetype start = 0;
    while (start < Content.size()) {
        qsizetype end = start;
        while (end < Content.size() && Content[end] != '\r' && Content[end] != '\n')
            ++end;
        const QByteArrayView line = Content.sliced(start, end - start);
        if (!line.isEmpty() && (Header.isEmpty() || line != Header))
            ++records;
        if (end < Content.size() && Content[end] == '\r' && end + 1 < Content.size() && Content[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return records;
}

bool SaveExportFile(const QString &Path, bool Append, const QByteArray &Bytes, QString *Error,
                    const QByteArray &Header, int *RecordsBefore)
{
    if (RecordsBefore)
        *RecordsBefore = 0;
    const auto refuse = [Error](const QString &Message) {
        if (Error)
            *Error = Message;
        return false;
    };
    if (const QString refusal = ProgramFileRefusal(Path); !refusal.isEmpty())
        return refuse(refusal);
    // Asked before anything opens it: opening a named pipe waits for a writer.
    if (IsNonRegularExportTarget(Path))
        return refuse(NonRegularExportTargetMessage(Path));
    // An earlier version's save killed half-way left the old file under its aside name, which
    // no name of the user's matches; it is put back first, or the lines are
    // appended to nothing and this save deletes the copy.
    RecoverSafeReplace(Path);
    QByteArray content;
    if (Append && QFileInfo::exists(Path)) {
        const auto unreadable = [&refuse](const QString &Reason) {
            return refuse(QStringLiteral("追加先のファイルが読めませんでした  \r\n") + Reason);
        };
        // Without waiting, and only a regular file (what is there now, not
        // what was there when it was asked).
        const int fd = ::open(QFile::encodeName(Path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return unreadable(qt_error_string(errno));
        QFile old;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return refuse(NonRegularExportTargetMessage(Path));
        }
        if (!old.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return unreadable(old.errorString());
        }
        // The old content and the new lines are held in memory together.
        if (old.size() > ExportAppendTargetMax)
            return refuse(AppendTargetTooLargeMessage(Path));
        content = old.read(ExportAppendTargetMax + 1);
        if (old.error() != QFileDevice::NoError)
            return unreadable(old.errorString());
        if (content.size() > ExportAppendTargetMax)
            return refuse(AppendTargetTooLargeMessage(Path));
        if (RecordsBefore)
            *RecordsBefore = CountExportRecords(content, Header);
    }
    // Old lines whose last one has no line end: the new lines still start
    // on a line of their own instead of running into it.
    if (content.endsWith('\r'))
        content += '\n';
    else if (!content.isEmpty() && !content.endsWith('\n'))
        content += "\r\n";
    content += Bytes;
    return SafeReplaceFile(Path, content, Error);
}

bool IsNonRegularExportTarget(const QString &Path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(Path).constData(), &st) == 0 && !S_ISREG(st.st_mode);
}

QString NonRegularExportTargetMessage(const QString &Path)
{
    return QStringLiteral("通常のファイルではないため出力できません  \r\n") + Path + QStringLiteral("  ");
}

QString AppendTargetTooLargeMessage(const QString &Path)
{
    return QStringLiteral("追加先のファイルが大きすぎるため追加できません  \r\n") + Path + QStringLiteral("  ");
}

bool IsReadOnlyExportTarget(const QString &Path)
{
    const QFileInfo info(Path);
    return info.exists() && (!(info.permissions() & QFileDevice::WriteOwner) || ReadOnlyFileError(Path) != 0);
}

QString ReadOnlyExportTargetMessage(const QString &Path)
{
    return QStringLiteral("読み取り専用のファイルには出力できません  \r\n") + Path + QStringLiteral("  ");
}
