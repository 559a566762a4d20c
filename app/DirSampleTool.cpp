// Writes the sample directory data set (synthetic listings, see
// directory/SampleDir.h) into a disc-like folder:
//   murven-dirsample <wqdic.db> <wqname.db> <output folder> [listings per region] [seed] [region]
#include "directory/SampleDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4 || args.size() > 7) {
        std::fprintf(stderr, "usage: murven-dirsample <wqdic.db> <wqname.db> <output folder> [listings per region] "
                             "[seed] [region 1-7]\n");
        return 2;
    }
    TSampleDirectoryOptions options;
    options.DicFile = args.at(1);
    options.NameFile = args.at(2);
    options.OutputFolder = args.at(3);
    bool ok = true;
    if (args.size() > 4)
        options.ListingsPerRegion = args.at(4).toInt(&ok);
    if (ok && args.size() > 5)
        options.Seed = args.at(5).toUInt(&ok);
    if (ok && args.size() > 6)
        options.OnlyRegion = args.at(6).toInt(&ok);
    if (!ok || options.ListingsPerRegion < 1 || options.OnlyRegion < 0 || options.OnlyRegion > 7) {
        std::fprintf(stderr, "murven-dirsample: a count, seed or region is not a valid number\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    QString error;
    long long written = 0;
    if (!GenerateSampleDirectory(options, &error, &written)) {
        std::fprintf(stderr, "murven-dirsample: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s: %lld synthetic listings in %lld ms\n", qPrintable(options.OutputFolder), written,
                static_cast<long long>(timer.elapsed()));
    return 0;
}
