// Name candidates as the name-reading popup asks for them: the count and the
// list of the given names read ヨシ (the largest group of two kana, stopped
// at the cap) over the name data built from mecab-ipadic, through the
// library loaded from the program folder. The popup must follow each
// keystroke, so the whole look-up is measured, best of 50 runs.

#include "BenchSupport.h"

#include "core/NameDicClass.h"
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString program = QStringLiteral(MURVEN_BENCH_PROGRAM_DIR);
    const QString data = program + QStringLiteral("Dic/");
    if (!QFileInfo::exists(data + QLatin1String(DicNameFileName))) {
        std::fprintf(stderr, "bench_name: no %s (install mecab-ipadic and build)\n",
                     qPrintable(data + QLatin1String(DicNameFileName)));
        return 1;
    }
    TNameDicLibrary library;
    if (!library.Load(program)) {
        std::fprintf(stderr, "bench_name: the name library does not load from %s\n", qPrintable(program));
        return 1;
    }
    const QByteArray reading = Cp932::encode(u"ヨシ");
    std::size_t found = 0;
    const double ms = bestOfMs(50, [&] {
        std::vector<TNameCandidate> candidates;
        const int count = library.Count(reading, true, data);
        if (count > 0 && library.List(reading, true, count, data, candidates) == 0)
            found = candidates.size();
    });
    std::printf("bench_name: %zu candidates\n", found);
    report("name_candidates_ms", ms, "ms", 5);
    return found > 0 ? 0 : 1;
}
