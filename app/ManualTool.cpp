// Builds the manual Murven19.pdf from its source text at build time, one
// section per page, each section on the page its help context opens, and
// writes beside it the list of pages ("page<TAB>context<TAB>title" lines,
// context "-" for pages not reached by one) for the tests.
//
// Usage: murven-manual <source.txt> <output.pdf> <output.pages>

#include "core/PDFHelp.h"
#include "util/PrintFonts.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QMap>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextStream>

#include <cstdio>

namespace {

struct Section {
    int context = -1; // -1: a page of its own
    QString title;
    QString html;
};

int fail(const QString &message)
{
    std::fprintf(stderr, "murven-manual: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    // No display at build time.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return fail(QStringLiteral("usage: murven-manual <source.txt> <output.pdf> <output.pages>"));

    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read ") + args[1]);
    const QStringList lines = QString::fromUtf8(source.readAll()).split(QLatin1Char('\n'));

    QMap<int, Section> pages; // page number from 1
    const QRegularExpression heading(QStringLiteral("^=== (page|context) (\\d+)\\s*$"));
    const QRegularExpression title(QStringLiteral("<h1>(.*?)</h1>"));
    int current = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (line.startsWith(QLatin1Char('#')) && current == 0)
            continue;
        const QRegularExpressionMatch m = heading.match(line);
        if (m.hasMatch()) {
            const int number = m.captured(2).toInt();
            Section section;
            if (m.captured(1) == QLatin1String("context")) {
                section.context = number;
                current = ManualPageIndex(number, true, ManualPageOffset) + 1;
            } else {
                current = number;
            }
            if (current < 1 || pages.contains(current))
                return fail(QStringLiteral("line %1: page %2 given twice").arg(i + 1).arg(current));
            pages.insert(current, section);
            continue;
        }
        if (current > 0)
            pages[current].html += line + QLatin1Char('\n');
    }
    if (pages.isEmpty())
        return fail(QStringLiteral("no sections in ") + args[1]);

    QPdfWriter writer(args[2]);
    writer.setTitle(QStringLiteral("ピルカノス2014 操作ガイド"));
    writer.setCreator(QStringLiteral("ピルカノス2014"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    writer.setResolution(300);
    // The manual's text copies as the characters shown (一 not ⼀).
    for (const QString &file : PreparePrintFonts())
        std::fprintf(stderr, "murven-manual: %s printed as installed\n", qPrintable(file));
    QPainter painter;
    if (!painter.begin(&writer))
        return fail(QStringLiteral("cannot write ") + args[2]);
    const QRectF area = writer.pageLayout().paintRectPixels(writer.resolution());
    const QRectF body(0, 0, area.width(), area.height() * 0.94);

    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(10.5);

    QString index;
    const int last = pages.lastKey();
    for (int page = 1; page <= last; ++page) {
        if (page > 1)
            writer.newPage();
        const Section section = pages.value(page);
        QString html = section.html;
        if (html.trimmed().isEmpty())
            html = QStringLiteral("<p align=\"center\"><br><br>（このページは白紙です）</p>");
        QTextDocument document;
        document.documentLayout()->setPaintDevice(&writer);
        document.setDefaultFont(font);
        document.setDefaultStyleSheet(QStringLiteral("h1 { color: #1f4e79; } h2 { color: #2e75b6; } "
                                                     "th { background-color: #dde8f3; }"));
        document.setPageSize(QSizeF(body.width(), 1e9));
        document.setHtml(html);
        if (document.size().height() > body.height())
            return fail(QStringLiteral("page %1 does not fit on one page").arg(page));
        document.drawContents(&painter, body);
        // The page number at the foot.
        painter.save();
        QFont small = font;
        small.setPointSizeF(9);
        painter.setFont(small);
        painter.drawText(QRectF(0, body.height(), area.width(), area.height() - body.height()),
                         Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("- %1 -").arg(page));
        painter.restore();

        const QString name = title.match(html).captured(1);
        index += QStringLiteral("%1\t%2\t%3\n")
                     .arg(page)
                     .arg(section.context >= 0 ? QString::number(section.context) : QStringLiteral("-"))
                     .arg(name);
    }
    if (!painter.end())
        return fail(QStringLiteral("cannot finish ") + args[2]);

    QSaveFile pagesFile(args[3]);
    if (!pagesFile.open(QIODevice::WriteOnly) || pagesFile.write(index.toUtf8()) < 0 || !pagesFile.commit())
        return fail(QStringLiteral("cannot write ") + args[3]);
    return 0;
}
