// The text import of a 100,000-line Shift-JIS file (add mode: names, kana,
// addresses, telephone numbers) into an empty book, from reading the file to
// the committed run, against the table layer's bare batch append of the same
// records (already converted, no run, no file) into another empty book in the
// same run; and the import's peak memory.
#include "BenchSupport.h"
#include "core/DBInfo.h"
#include "core/Inquiry.h"
#include "exchange/ImportFile.h"
#include "exchange/ImportRun.h"
#include "exchange/ImportSlots.h"
#include "platform/Cp932.h"
#include "platform/Table.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

namespace {

constexpr int kLines = 100000;

const char16_t *const kFamily[] = {u"山田", u"鈴木", u"佐藤", u"高橋", u"田中", u"渡辺", u"伊藤", u"中村"};
const char16_t *const kGiven[] = {u"太郎", u"花子", u"一郎", u"美咲", u"健", u"由美"};
const char16_t *const kFamilyKana[] = {u"ﾔﾏﾀﾞ", u"ｽｽﾞｷ", u"ｻﾄｳ", u"ﾀｶﾊｼ", u"ﾀﾅｶ", u"ﾜﾀﾅﾍﾞ", u"ｲﾄｳ", u"ﾅｶﾑﾗ"};
const char16_t *const kPlace[] = {u"東京都新宿区西新宿", u"大阪府大阪市北区梅田", u"北海道札幌市中央区北一条西",
                                  u"福岡県福岡市博多区博多駅前", u"愛知県名古屋市中区栄"};

QByteArray makeFile()
{
    QByteArray bytes = Cp932::encode(u"名前,名前カナ,郵便番号,住所,住所２,電話番号,携帯電話\r\n");
    bytes.reserve(kLines * 110);
    for (int i = 0; i < kLines; ++i) {
        const QString line = QStringLiteral("%1%2,%3,%4-%5,%6%7丁目%8番%9号,%10ビル%11階,0%12-%13-%14,090-%15-%16\r\n")
                                 .arg(QStringView(kFamily[i % 8]), QStringView(kGiven[i % 6]))
                                 .arg(QStringView(kFamilyKana[i % 8]))
                                 .arg(100 + i % 900)
                                 .arg(i % 10000, 4, 10, QLatin1Char('0'))
                                 .arg(QStringView(kPlace[i % 5]))
                                 .arg(1 + i % 9)
                                 .arg(1 + i % 30)
                                 .arg(1 + i % 20)
                                 .arg(QStringView(kFamily[(i / 8) % 8]))
                                 .arg(1 + i % 12)
                                 .arg(3 + i % 6)
                                 .arg(1000 + i % 9000)
                                 .arg(i % 10000, 4, 10, QLatin1Char('0'))
                                 .arg(1000 + (i * 7) % 9000)
                                 .arg(i % 10000, 4, 10, QLatin1Char('0'));
        bytes += Cp932::encode(line);
    }
    return bytes;
}

std::unique_ptr<TTable> emptyBook(const QString &path)
{
    auto table = std::make_unique<TTable>();
    table->SetTableName(path);
    table->SetPassword(TablePassword);
    table->SetFieldDefs(AdrsFieldDefs);
    table->SetIndexDefs(AdrsIndexDefs);
    if (!table->CreateTable())
        qFatal("cannot create the book");
    table->Open();
    return table;
}

double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.csv"));
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(makeFile()) < 0)
            qFatal("cannot write the file");
    }
    const TImportContext context = [] {
        TImportContext c;
        c.Options.NotAutoSupplement = true;
        c.Now = QDateTime::currentDateTime();
        c.GroupNames = {QStringLiteral("指定なし")};
        return c;
    }();

    // The import, from the file on disk to the committed run.
    QElapsedTimer timer;
    timer.start();
    TImportFile file;
    QString error;
    if (!file.Load(path, &error))
        qFatal("cannot read the file");
    TImportAssignment assignment;
    const QByteArray first = file.Lines().first().Bytes;
    assignment.SetSamples(SplitCsvLine(first, CountCsvFields(first) + 1, false));
    assignment.AutoAssign(ImportFieldList());
    auto imported = emptyBook(dir.filePath(QStringLiteral("import.DB")));
    TImportRunOptions options;
    options.SkipFirst = true;
    TImportRun run(*imported, file, assignment, options, context, dir.filePath(QStringLiteral("InError.txt")));
    const TImportRunReport result = run.Run(nullptr);
    const double importMs = double(timer.nsecsElapsed()) / 1e6;
    const double memory = peakMegabytes();
    if (!result.Committed || result.StoredCount != kLines)
        qFatal("the import stored %d of %d records", result.StoredCount, kLines);
    // "--digest": a hash of every stored field but the times of the run, to
    // compare what two builds store from the same generated file.
    if (QCoreApplication::arguments().contains(QStringLiteral("--digest"))) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        int fields = 0;
        for (imported->First(); !imported->Eof(); imported->Next())
            for (int f = 0; f < imported->FieldCount(); ++f) {
                const TField &field = imported->Fields(f);
                const QString name = field.FieldName();
                if (name.contains(QLatin1String("Date")) || name.contains(QLatin1String("Time")))
                    continue;
                hash.addData(field.AsBytes());
                hash.addData(QByteArrayView("\x1f", 1));
                ++fields;
            }
        std::printf("digest %s over %d fields of %d records\n", hash.result().toHex().constData(), fields,
                    imported->RecordCount());
    }

    // The same records, converted beforehand, appended by the table alone.
    std::vector<TAddressData> records(kLines);
    for (int i = 0; i < kLines; ++i) {
        const QByteArray &line = file.Lines()[i + 1].Bytes;
        ConvertImportValuesToRecord(assignment.Values(SplitCsvLine(line, CountCsvFields(first) + 1, true)), context,
                                    records[size_t(i)]);
    }
    auto bare = emptyBook(dir.filePath(QStringLiteral("bare.DB")));
    timer.restart();
    bare->BeginBatch();
    for (const TAddressData &record : records) {
        bare->Append();
        WriteAddressData(*bare, record);
        bare->Post();
    }
    bare->EndBatch();
    const double bareMs = double(timer.nsecsElapsed()) / 1e6;

    std::printf("import %.0f ms, bare append %.0f ms\n", importMs, bareMs);
    report("import_ratio", importMs / bareMs, "ratio", 3);
    report("import_memory_mb", memory, "MB", 200);
    return 0;
}
