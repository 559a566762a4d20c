// murven-nameconv <Noun.name.csv> <output file>
// Builds the name data file; prints a one-line summary, or the reason for
// failing with exit code 1.

#include "NameConvert.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: murven-nameconv <Noun.name.csv> <output file>\n");
        return 1;
    }
    QString error;
    TNameConvertStats stats;
    if (!BuildNameDictionary(args.at(1), args.at(2), &error, &stats)) {
        std::fprintf(stderr, "murven-nameconv: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s: %d surnames, %d given names (%d too long, %d not Shift-JIS, %d repeated)\n", qPrintable(args.at(2)),
                stats.Surnames, stats.GivenNames, stats.TooLong, stats.Unencodable, stats.Duplicates);
    return 0;
}
