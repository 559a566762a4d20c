// murven-papercat: turns the authored paper catalogue (UTF-8 text in
// millimetres) into the files of the program folder's Common/ folder:
// Lyt.fmt, Dsn.fmt and the background pictures in Format/. Refuses a
// catalogue that breaks a rule saved layouts rely on, naming the line.
#include "dialogs/PaperCatalogue.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

namespace {

// Enough for a sharp preview and a legible print of the thin box lines.
constexpr int kPictureDpi = 150;

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "murven-papercat: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // Pictures are painted without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fputs("Usage: murven-papercat CATALOGUE.txt COMMON-FOLDER\n"
                   "Writes Lyt.fmt, Dsn.fmt and Format/*.bmp into COMMON-FOLDER.\n",
                   stderr);
        return 2;
    }
    QFile in(args.at(0));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "murven-papercat: cannot read %s\n", qPrintable(args.at(0)));
        return 1;
    }
    TPaperSource source;
    QString error;
    if (!PaperCatalogue::parse(QString::fromUtf8(in.readAll()), source, &error)) {
        std::fprintf(stderr, "%s:%s\n", qPrintable(args.at(0)), qPrintable(error));
        return 1;
    }
    const QDir out(args.at(1));
    if (!QDir().mkpath(out.filePath(QStringLiteral("Format")))) {
        std::fprintf(stderr, "murven-papercat: cannot make %s\n", qPrintable(out.filePath(QStringLiteral("Format"))));
        return 1;
    }
    if (!writeAll(out.filePath(QStringLiteral("Lyt.fmt")), source.Layouts.toBytes()) ||
        !writeAll(out.filePath(QStringLiteral("Dsn.fmt")), source.Designs.toBytes()))
        return 1;
    for (const TPaperPicture &picture : source.Pictures) {
        const QString path = out.filePath(QStringLiteral("Format/") + picture.File);
        // Eight bits per pixel: the pictures hold a handful of colours.
        const QImage image = PaperCatalogue::renderPicture(picture, kPictureDpi)
                                 .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        if (!image.save(path, "BMP")) {
            std::fprintf(stderr, "murven-papercat: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
