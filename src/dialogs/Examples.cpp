#include "dialogs/Examples.h"

#include "platform/Cp932.h"

namespace {

QStringList linesOf(QByteArrayView Bytes)
{
    QStringList lines = Cp932::decode(Bytes).split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    // A final line break ends the last line, it does not start another.
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char(',') || (c.unicode() > 0 && c.unicode() <= 0x20);
}

} // namespace

QStringList SplitCommaText(const QString &Line)
{
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = Line.size();
    const auto skipBlanks = [&] {
        while (i < n && Line[i].unicode() > 0 && Line[i].unicode() <= 0x20)
            ++i;
    };
    skipBlanks();
    while (i < n) {
        QString field;
        if (Line[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (Line[i] == QLatin1Char('"')) {
                    if (i + 1 < n && Line[i + 1] == QLatin1Char('"')) {
                        field.append(QLatin1Char('"'));
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.append(Line[i++]);
            }
            while (i < n && !isSeparator(Line[i]))
                field.append(Line[i++]);
        } else {
            while (i < n && !isSeparator(Line[i]))
                field.append(Line[i++]);
        }
        fields.append(field);
        skipBlanks();
        if (i < n && Line[i] == QLatin1Char(',')) {
            ++i;
            skipBlanks();
            if (i >= n)
                fields.append(QString());
        }
    }
    return fields;
}

QString JoinCommaText(const QStringList &Fields)
{
    QStringList out;
    for (const QString &f : Fields) {
        bool quote = f.isEmpty();
        for (const QChar c : f)
            if (isSeparator(c) || c == QLatin1Char('"'))
                quote = true;
        if (quote) {
            QString q = f;
            q.replace(QLatin1String("\""), QLatin1String("\"\""));
            out.append(QLatin1Char('"') + q + QLatin1Char('"'));
        } else {
            out.append(f);
        }
    }
    return out.join(QLatin1Char(','));
}

QList<TExampleCategory> ParseExampleIndex(QByteArrayView Bytes)
{
    QList<TExampleCategory> categories;
    for (const QString &line : linesOf(Bytes)) {
        if (line.trimmed().isEmpty())
            break;
        const QStringList fields = SplitCommaText(line);
        TExampleCategory c;
        c.Name = fields.value(0);
        c.File = fields.value(1);
        categories.append(c);
    }
    return categories;
}

QList<TExample> ParseExampleFile(QByteArrayView Bytes, bool *Ok)
{
    QList<TExample> examples;
    const QStringList lines = linesOf(Bytes);
    bool ok = false;
    const int count = lines.value(0).trimmed().toInt(&ok);
    if (Ok)
        *Ok = ok;
    if (!ok)
        return examples;
    qsizetype pos = 1;
    for (int e = 0; e < count && pos < lines.size(); ++e) {
        bool lineOk = false;
        const int lineCount = lines[pos++].trimmed().toInt(&lineOk);
        if (!lineOk || lineCount < 0) {
            if (Ok)
                *Ok = false;
            break;
        }
        const QStringList text = lines.mid(pos, std::min<qsizetype>(lineCount, lines.size() - pos));
        pos += text.size();
        examples.append({text.value(0), text.join(QLatin1Char('\n'))});
    }
    return examples;
}

QByteArray WriteExampleFile(const QList<QStringList> &Examples)
{
    QStringList out;
    out.append(QString::number(Examples.size()));
    for (const QStringList &e : Examples) {
        out.append(QString::number(e.size()));
        out.append(e);
    }
    return Cp932::encode(out.join(QLatin1String("\r\n")) + QLatin1String("\r\n"));
}

QByteArray WriteExampleIndex(const QList<TExampleCategory> &Categories)
{
    QStringList out;
    for (const TExampleCategory &c : Categories)
        out.append(JoinCommaText({c.Name, c.File}));
    return Cp932::encode(out.join(QLatin1String("\r\n")) + QLatin1String("\r\n"));
}
