// murven-wordfile: writes a default word list (.mtd input history) from a
// UTF-8 text file with one word per line, first line = most recent entry.
// Used by the build to make the word files the installation ships.
//
// .mtd layout (little-endian): int32 N, then per entry uint8 8 + L, float64
// date (days since 1899-12-30), L bytes of CP932 text each XOR 0xFF.
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {

// 2014-01-01 00:00: a fixed date keeps the shipped files identical between builds.
constexpr double kShippedDate = 41640.0;
constexpr int kMaxStoredText = 255 - 8;

void appendLittleEndian(QByteArray &out, const void *value, size_t size)
{
    // Debian targets are little-endian; the layout is too.
    out.append(static_cast<const char *>(value), static_cast<qsizetype>(size));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fputs("Usage: murven-wordfile WORDS.txt OUTPUT.mtd\n"
                   "Writes the words of WORDS.txt (UTF-8, one a line) as a word list file.\n",
                   stderr);
        return 2;
    }
    QFile in(args.at(0));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "murven-wordfile: cannot read %s\n", qPrintable(args.at(0)));
        return 1;
    }
    QList<QByteArray> words;
    for (const QString &line : QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'))) {
        const QString word = line.trimmed();
        if (!word.isEmpty())
            words.append(Cp932::truncated(Cp932::encode(word), kMaxStoredText));
    }
    QByteArray out;
    const qint32 count = static_cast<qint32>(words.size());
    appendLittleEndian(out, &count, sizeof count);
    for (const QByteArray &word : words) {
        out.append(static_cast<char>(8 + word.size()));
        appendLittleEndian(out, &kShippedDate, sizeof kShippedDate);
        for (const char c : word)
            out.append(static_cast<char>(c ^ 0xFF));
    }
    QFile file(args.at(1));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(out) != out.size()) {
        std::fprintf(stderr, "murven-wordfile: cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}
