// murven-examples: writes the example-sentence library (Text/Index.rbf and a
// file per category, Shift-JIS) from the authored UTF-8 sources: index.txt
// lists "category<TAB>file" lines; each file holds examples separated by an
// empty line, the first line of each being its heading.
#include "dialogs/Examples.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace {

bool readText(const QString &path, QString &text)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "murven-examples: cannot read %s\n", qPrintable(path));
        return false;
    }
    text = QString::fromUtf8(in.readAll());
    text.remove(QLatin1Char('\r'));
    return true;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        std::fprintf(stderr, "murven-examples: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fputs("Usage: murven-examples SOURCE_DIR COMMON_DIR\n", stderr);
        return 2;
    }
    const QDir source(args.at(0));
    const QString textDir = args.at(1) + QStringLiteral("/Text");
    if (!QDir().mkpath(textDir)) {
        std::fprintf(stderr, "murven-examples: cannot make %s\n", qPrintable(textDir));
        return 1;
    }
    QString index;
    if (!readText(source.filePath(QStringLiteral("index.txt")), index))
        return 1;
    QList<TExampleCategory> categories;
    for (const QString &line : index.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        if (parts.size() != 2) {
            std::fprintf(stderr, "murven-examples: bad index line: %s\n", qPrintable(line));
            return 1;
        }
        QString text;
        if (!readText(source.filePath(parts[1]), text))
            return 1;
        QList<QStringList> examples;
        for (const QString &block : text.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
            const QStringList lines = block.trimmed().split(QLatin1Char('\n'));
            if (!lines.isEmpty() && !lines.first().isEmpty())
                examples.append(lines);
        }
        const QString name = QFileInfo(parts[1]).completeBaseName() + QStringLiteral(".rbf");
        if (!writeFile(textDir + QLatin1Char('/') + name, WriteExampleFile(examples)))
            return 1;
        categories.append({parts[0], QStringLiteral("Text/") + name});
    }
    return writeFile(textDir + QStringLiteral("/Index.rbf"), WriteExampleIndex(categories)) ? 0 : 1;
}
