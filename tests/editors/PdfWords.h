#pragma once

// The words pdftotext -bbox finds in a PDF, each with its box in points,
// and a label's words set in the label's own millimetres.
#include "editors/LayoutDoc.h"

#include <QProcess>
#include <QRectF>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <vector>

struct TWord {
    QString Text;
    QRectF Box;
};

inline std::vector<TWord> pdfWords(const QString &Pdf)
{
    QProcess run;
    run.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
              {QStringLiteral("-bbox"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), Pdf, QStringLiteral("-")});
    std::vector<TWord> words;
    if (!run.waitForFinished(30000))
        return words;
    QXmlStreamReader xml(run.readAllStandardOutput());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"word")
            continue;
        const auto a = xml.attributes();
        const QPointF from(a.value(QStringLiteral("xMin")).toDouble(), a.value(QStringLiteral("yMin")).toDouble());
        const QPointF to(a.value(QStringLiteral("xMax")).toDouble(), a.value(QStringLiteral("yMax")).toDouble());
        words.push_back({xml.readElementText(), QRectF(from, to)});
    }
    return words;
}

// The words on Document's first label, their boxes in millimetres from the
// label's own top-left corner: a turned label lies on its side on the
// sheet, its top edge down the cell's right edge.
inline std::vector<TWord> firstLabelWords(const TLayoutDocument &Document, const QString &Pdf)
{
    const double mm = 25.4 / 72;
    const QRect c = Document.CellRect(0); // 0.1 mm
    const QRectF cell(c.x() / 10.0, c.y() / 10.0, c.width() / 10.0, c.height() / 10.0);
    const bool onItsSide = c.width() != Document.PieceSize().width();
    std::vector<TWord> out;
    for (const TWord &w : pdfWords(Pdf)) {
        const QRectF b(w.Box.x() * mm, w.Box.y() * mm, w.Box.width() * mm, w.Box.height() * mm);
        if (!cell.contains(b.center()))
            continue;
        out.push_back({w.Text, onItsSide ? QRectF(b.top() - cell.top(), cell.right() - b.right(), b.height(), b.width())
                                         : b.translated(-cell.topLeft())});
    }
    return out;
}
