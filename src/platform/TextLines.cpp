#include "platform/TextLines.h"

namespace {

QString owned(QStringView v) { return v.toString(); }
QByteArray owned(QByteArrayView v) { return v.toByteArray(); }

template <typename Lines, typename View>
Lines splitLines(View text)
{
    Lines lines;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype start = i;
        while (i < n && text[i] != '\r' && text[i] != '\n')
            ++i;
        lines.append(owned(text.sliced(start, i - start)));
        if (i < n && text[i] == '\r')
            ++i;
        if (i < n && text[i] == '\n')
            ++i;
    }
    return lines;
}

} // namespace

QStringList SplitLines(QStringView text)
{
    return splitLines<QStringList>(text);
}

QList<QByteArray> SplitLines(QByteArrayView text)
{
    return splitLines<QList<QByteArray>>(text);
}

QStringList SplitMemoLines(QStringView text)
{
    QStringList lines = SplitLines(text);
    if (text.endsWith(u'\n') || text.endsWith(u'\r'))
        lines.append(QString());
    return lines;
}

QString TrimBlanks(QStringView text)
{
    return TrimBlanksView(text).toString();
}

QStringView TrimBlanksView(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

QByteArrayView TrimBlanks(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}
