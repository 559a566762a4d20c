// The text export of 100,000 records (every one of the 63 items, header on,
// numbers hyphenated where the library is loaded) from the book into a text
// file, against the table layer's bare walk over the same records reading the
// same fields, and the same bytes written bare to a file and synced, in the
// same run.
//
// The export's file must be on the disk once it reports done, so it syncs
// the file and its folder; the time the disk takes for that changes with
// whatever else writes to it, while the walk alone never waits for the
// disk. The baseline pays the same sync with a bare write of the same
// bytes: what the ratio measures is the export's own cost above the walk
// and the write any durable save must do, not the disk's load.
#include "BenchSupport.h"
#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "exchange/ExportWriter.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/Table.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kRecords = 100000;

const char16_t *const kFamily[] = {u"山田", u"鈴木", u"佐藤", u"高橋", u"田中", u"渡辺", u"伊藤", u"中村"};
const char16_t *const kPlace[] = {u"新宿区西新宿", u"大阪市北区梅田", u"札幌市中央区北一条西", u"福岡市博多区博多駅前"};

void fill(TTable &table)
{
    const QDateTime stamp(QDate(2014, 4, 1), QTime(9, 0));
    auto text = [&table](const char *name, const QByteArray &bytes) {
        table.FieldByName(QLatin1StringView(name)).SetAsBytes(bytes);
    };
    table.BeginBatch();
    for (int i = 0; i < kRecords; ++i) {
        table.Append();
        text("CustomCode", "C" + QByteArray::number(i));
        text("Tel", "03" + QByteArray::number(10000000 + i));
        text("Fax", "06" + QByteArray::number(20000000 + i));
        text("Portable1", "090" + QByteArray::number(10000000 + i));
        text("PubDate", "201404");
        text("Pos", QByteArray::number(1000000 + i % 900000));
        text("Tdfkn", Cp932::encode(u"東京都"));
        text("Adrs1", Cp932::encode(QStringView(kPlace[i % 4])));
        text("Adrs2", Cp932::encode(QStringLiteral("%1丁目%2番").arg(1 + i % 9).arg(1 + i % 30)));
        text("CorpKanji", Cp932::encode(u"株式会社見本"));
        text("NameKanji", EncodeUnicodeField(QString::fromUtf16(kFamily[i % 8]) + QStringLiteral("太郎")));
        text("NameKana", Cp932::encode(u"ﾔﾏﾀﾞ ﾀﾛｳ"));
        text("Honor", Cp932::encode(u"様"));
        text("Joint1", EncodeUnicodeField(u"花子"));
        text("EMail1", "user" + QByteArray::number(i) + "@example.jp");
        text("Keyword1", Cp932::encode(u"取引先"));
        text("Note", Cp932::encode(u"一行目\r\n二行目"));
        table.FieldByName(QStringLiteral("Group")).SetAsInteger(i % 3);
        table.FieldByName(QStringLiteral("PrivCorp")).SetAsBoolean(i % 2 == 0);
        table.FieldByName(QStringLiteral("JointOwner")).SetAsInteger(i % 2);
        table.FieldByName(QStringLiteral("SymbolColor")).SetAsInteger(0x7FDF3F);
        table.FieldByName(QStringLiteral("AddDateTime")).SetAsDateTime(stamp);
        table.FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(stamp);
        table.Post();
    }
    table.EndBatch();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TTable table;
    table.SetTableName(dir.filePath(QStringLiteral("Adrs.DB")));
    table.SetPassword(TablePassword);
    table.SetFieldDefs(AdrsFieldDefs);
    table.SetIndexDefs(AdrsIndexDefs);
    if (!table.CreateTable())
        qFatal("cannot create the book");
    table.Open();
    fill(table);

    TExportLayout layout;
    layout.SetAll();
    const QStringList fields = layout.Fields();
    TExportContext context;
    context.GroupNames = {QStringLiteral("指定なし"), QStringLiteral("友人"), QStringLiteral("取引先")};
    const QStringList captions = ExportItemCatalogue();
    TRunRecords records;
    records.reserve(kRecords);
    for (int i = 1; i <= kRecords; ++i)
        records << TRunRecord{i, i - 1};
    const QString target = dir.filePath(QStringLiteral("out.txt"));

    // The export as a run does it: the records found by number, the lines
    // built in memory, the file put in place.
    int written = 0;
    QByteArray exported;
    double saveMs = 1e300;
    const auto exportRun = [&] {
        QElapsedTimer timer;
        timer.start();
        table.BeginBatch();
        table.SetWalkFields(fields);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const TExportRunResult result = WriteExportRows(buffer, table, records, layout, context, {}, captions);
        table.EndBatch();
        const qint64 saveStart = timer.nsecsElapsed();
        QString error;
        if (!result.Failure.isEmpty() || !SaveExportFile(target, false, buffer.data(), &error))
            qFatal("the export failed");
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        saveMs = std::min(saveMs, ms - double(saveStart) / 1e6);
        written = result.Written;
        exported = buffer.data();
        return ms;
    };

    // The bare walk: every record in order, the same fields read.
    qint64 sink = 0;
    const auto walk = [&] {
        QElapsedTimer timer;
        timer.start();
        table.SetIndexName(QString());
        table.SetWalkFields(fields);
        std::vector<TField *> read;
        for (const QString &name : fields)
            read.push_back(&table.FieldByName(name));
        for (table.First(); !table.Eof(); table.Next()) {
            for (TField *field : read) {
                switch (field->DataType()) {
                case TFieldType::ftString:
                case TFieldType::ftMemo: sink += field->AsBytesView().size(); break;
                case TFieldType::ftDateTime: sink += field->AsDateTime().isValid(); break;
                default: sink += field->AsInteger(); break;
                }
            }
        }
        return double(timer.nsecsElapsed()) / 1e6;
    };

    // The bare durable write: the export's bytes into a file of their own
    // beside it, the file and the folder synced, as a save that must be on
    // the disk once done does at the least.
    const QByteArray bareTarget = QFile::encodeName(dir.filePath(QStringLiteral("bare.txt")));
    const QByteArray folder = QFile::encodeName(dir.path());
    const auto bareWrite = [&] {
        QElapsedTimer timer;
        timer.start();
        const int fd = ::open(bareTarget.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0 || WriteAllTo(fd, exported.constData(), exported.size()) != 0 || ::fsync(fd) != 0 ||
            ::close(fd) != 0)
            qFatal("the bare write failed");
        const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0 || ::fsync(folderFd) != 0 || ::close(folderFd) != 0)
            qFatal("the bare write's folder sync failed");
        return double(timer.nsecsElapsed()) / 1e6;
    };

    // The three take turns, so a disk or machine busy for a while slows
    // them all. The walk is timed as a walk finds the table after a walk:
    // the first walk after an export finds it as the export's own walk left
    // it and is slower for that, which is no cost of the walk's.
    const auto walkAfterWalk = [&] {
        (void)walk();
        return walk();
    };
    const std::vector<double> best =
        bestOfEachMs(3, std::vector<std::function<double()>>{exportRun, bareWrite, walkAfterWalk});
    const double exportMs = best[0];
    const double writeMs = best[1];
    const double walkMs = best[2];
    if (written != kRecords)
        qFatal("the export wrote %d of %d records", written, kRecords);

    std::printf("export %.0f ms (%lld bytes; the save %.0f ms), bare walk %.0f ms (%lld), bare durable write %.0f ms\n",
                exportMs, static_cast<long long>(QFileInfo(target).size()), saveMs, walkMs,
                static_cast<long long>(sink), writeMs);
    report("export_ratio", exportMs / (walkMs + writeMs), "ratio", 3);
    return 0;
}
