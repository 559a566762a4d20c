// Dictionary look-ups over the full data file built at set-up, through the
// search classes the windows use: a postcode and an address text each, from
// search to finished address record, averaged over 10,000 random real
// postcodes and addresses; and the worst first open (library load plus data
// file open) of each dictionary library.

#include "BenchSupport.h"

#include "core/AdrsDicClass.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/KanaAdrsDicClass.h"
#include "core/KykbnDicClass.h"
#include "core/PosDicClass.h"
#include "core/WqmtadWrapper.h"
#include "platform/Cp932.h"
#include "platform/dic/DicApi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

const QString kProgram = QStringLiteral(MURVEN_BENCH_PROGRAM_DIR);
const QString kData = kProgram + QStringLiteral("Dic/");
constexpr int kSamples = 10000;

struct TSample {
    QString postcode;
    QString address;
};

// Random real postcodes and the address texts of their rows (towns only:
// a large office's row names its street, not a town to type).
std::vector<TSample> sampleRows()
{
    sqlite3 *db = nullptr;
    const QByteArray path = (kData + QLatin1String(DicDataFileName)).toLocal8Bit();
    std::vector<TSample> all;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT t.postcode, p.name, c.name, t.name FROM town t JOIN city c ON c.code5 = t.code5 "
                           "JOIN pref p ON p.no = c.pref WHERE t.kind = 0",
                           -1, &st, nullptr);
        auto blob = [st](int col) {
            return Cp932::decode(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, col)),
                                            sqlite3_column_bytes(st, col)));
        };
        while (sqlite3_step(st) == SQLITE_ROW) {
            all.push_back({QString::fromLatin1(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))),
                           blob(1) + blob(2) + blob(3)});
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    std::mt19937 random(20261206);
    std::shuffle(all.begin(), all.end(), random);
    if (all.size() > kSamples)
        all.resize(kSamples);
    return all;
}

template <class TWork>
double averageMs(const std::vector<TSample> &samples, TWork work)
{
    QElapsedTimer timer;
    timer.start();
    for (const TSample &sample : samples)
        work(sample);
    return double(timer.nsecsElapsed()) / 1e6 / double(samples.size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!QFileInfo::exists(kData + QLatin1String(DicDataFileName))) {
        std::fprintf(stderr, "bench_dic: no dictionary data in %s (the set-up builds it)\n", qPrintable(kData));
        return 1;
    }
    if (LoadWqmtad(kProgram) != 0)
        return 1;

    // Each library is its own copy of the data reader: its first call opens
    // the data file, so load + first call is what a window waits for.
    double worstOpen = 0;
    auto open = [&](auto &&makeAndCall) {
        QElapsedTimer timer;
        timer.start();
        makeAndCall();
        worstOpen = std::max(worstOpen, double(timer.nsecsElapsed()) / 1e6);
    };
    open([] { (void)TPosSearch(kProgram, kData).SearchPostcode(QStringLiteral("1000001")); });
    open([] { (void)TAdrsSearch(kProgram, kData).SearchAddress(QStringLiteral("東京都千代田区")); });
    open([] { (void)TKykbnSearch(kProgram, kData).SearchPrefix(QStringLiteral("0312345678")); });
    open([] { (void)TKanaAdrsSearch(kProgram, kData).SearchTdfkn(TKanaAdrsSearch::AllRegions); });
    open([] { (void)TContinualAdrsSearch(kProgram, kData).Search(QStringLiteral("東京都千代田区千代田")); });

    const std::vector<TSample> samples = sampleRows();
    TPosSearch pos(kProgram, kData);
    int misses = 0;
    const double postcodeMs = averageMs(samples, [&](const TSample &sample) {
        if (pos.SearchPostcode(sample.postcode) != 0 || pos.SearchTown(0, 0) != 0 || !pos.GetAddress(0, true))
            ++misses;
    });
    TAdrsSearch adrs(kProgram, kData);
    const double addressMs = averageMs(samples, [&](const TSample &sample) {
        if (adrs.SearchAddress(sample.address) != 0 || adrs.SearchTown(0, 0) != 0 || !adrs.GetAddress(0, true))
            ++misses;
    });
    if (misses > 0)
        std::fprintf(stderr, "bench_dic: %d of %zu look-ups found nothing\n", misses, 2 * samples.size());

    report("postcode_lookup_ms", postcodeMs, "ms", 1);
    report("address_lookup_ms", addressMs, "ms", 1);
    report("dictionary_open_ms", worstOpen, "ms", 50);
    FreeWqmtad();
    return 0;
}
