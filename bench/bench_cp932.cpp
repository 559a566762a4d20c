// CP932 conversion of address-book text: our codec against the bare ICU
// converter doing the same work in the same run. The codec adds the
// look-alike mapping and the per-character fallback, which must cost nothing
// on text that converts cleanly.
#include "BenchSupport.h"
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QStringEncoder>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList lines;
    const QStringList names = {QStringLiteral("山田太郎"), QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ"), QStringLiteral("㈱髙橋商事"),
                               QStringLiteral("東京都千代田区丸の内１－２－３"), QStringLiteral("03-1234-5678")};
    for (int i = 0; i < 100000; ++i)
        lines << names[i % names.size()] + QString::number(i);

    qsizetype sink = 0;
    const auto ours = [&] {
        for (const QString &l : lines)
            sink += Cp932::decode(Cp932::encode(l)).size();
    };
    // The bare converters are opened once, as a caller converting many
    // lines would.
    QStringEncoder e("windows-31j", QStringConverter::Flag::Stateless);
    QStringDecoder d("windows-31j", QStringConverter::Flag::Stateless);
    const auto bare = [&] {
        for (const QString &l : lines)
            sink += QString(d.decode(QByteArray(e.encode(l)))).size();
    };
    // In turns: a machine busy for a while slows both sides, not the one
    // that happened to run then.
    const std::vector<double> best = bestOfEachMs(5, {ours, bare});
    std::printf("cp932 round trip of 100000 lines: codec %.1f ms, bare ICU %.1f ms (%lld)\n", best[0], best[1],
                static_cast<long long>(sink));
    report("cp932_roundtrip_ratio", best[0] / best[1], "ratio", 1.2);
    return 0;
}
