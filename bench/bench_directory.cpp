// The directory search over a generated region of 1,000,000 synthetic
// listings (東京都), through the search worker and the directory library as
// the program runs them.
#include "BenchSupport.h"

#include "core/Env.h"
#include "directory/SampleDir.h"
#include "directory/SchArea.h"
#include "directory/SchThred.h"
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <cstring>
#include <optional>

namespace {

TAreaSearchCondition condition(const QString &folder, const char *key, const QString &name, int block,
                               int matchKind = 0)
{
    TAreaSearchCondition c{};
    const QByteArray n = FilterNameText(name);
    std::memcpy(c.Name, n.constData(), static_cast<std::size_t>(n.size()));
    std::strcpy(c.AddressKey, key);
    c.Category = 2;
    c.PhoneKinds = 15;
    c.Always1 = 1;
    c.MatchKind = matchKind;
    c.BlockSize = block;
    (void)SetFolderField(c.DataFolder, folder);
    return c;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    AppPath = QStringLiteral(MURVEN_BENCH_PROGRAM_DIR);
    QTemporaryDir disc;
    TSampleDirectoryOptions o;
    o.DicFile = AppPath + QStringLiteral("Dic/wqdic.db");
    o.NameFile = AppPath + QStringLiteral("Dic/wqname.db");
    o.OutputFolder = disc.path();
    o.ListingsPerRegion = 1000000;
    o.OnlyRegion = 3;
    QString error;
    QElapsedTimer made;
    made.start();
    if (!GenerateSampleDirectory(o, &error)) {
        std::fprintf(stderr, "bench_directory: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("generated 1000000 listings in %lld ms\n", static_cast<long long>(made.elapsed()));
    const QString folder = disc.path() + QStringLiteral("/Murven19/Dt03/");

    // First page of 20 hits of a name prefix within the prefecture.
    TSearchThread worker;
    std::optional<TSearchPage> page;
    QObject::connect(&worker, &TSearchThread::SearchDone, [&](const TSearchPage &p) { page = p; });
    const double first = bestOfMs(5, [&] {
        worker.SetConditions({condition(folder, "13", QStringLiteral("佐藤"), 20)});
        worker.SearchPage(TSearchMove::New);
    });
    std::printf("first page: code %d, %zu hits\n", page ? page->Code : -1, page ? page->Hits.size() : 0);
    report("directory_first_page_ms", first, "ms", 50);

    // Whole-prefecture count (the library counts at most 10000 per condition).
    std::optional<TSearchCount> count;
    QObject::connect(&worker, &TSearchThread::CountDone, [&](const TSearchCount &c) { count = c; });
    const double counted = bestOfMs(3, [&] { worker.CountHits({condition(folder, "13", QString(), 20)}); });
    std::printf("count: code %d, %d hits\n", count ? count->Code : -1, count ? count->Count : -1);
    report("directory_count_ms", counted, "ms", 300);

    // A stop given while a search reads the whole region for a name nobody
    // has: a suffix, which no name index serves.
    double worstStop = 0;
    for (int run = 0; run < 5; ++run) {
        TSearchThreadHost host;
        QEventLoop loop;
        QElapsedTimer stopTimer;
        QObject::connect(&host, &TSearchThreadHost::SearchDone, &loop, [&](const TSearchPage &) {
            worstStop = std::max(worstStop, double(stopTimer.nsecsElapsed()) / 1e6);
            loop.quit();
        });
        host.Search({condition(folder, "13", QStringLiteral("存在しない名前"), 20, 2)});
        QThread::msleep(30);
        stopTimer.start();
        host.Stop();
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    report("directory_stop_ms", worstStop, "ms", 100);
    return 0;
}
