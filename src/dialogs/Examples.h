#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// The example-sentence library of the text editing dialog: Index.rbf in the
// Text folder of the program's Common folder lists the categories (one line
// each: name and file, comma-text fields), each category file holds its
// examples (a count, then per example a line count and its lines, the first
// being the heading). All files are Shift-JIS.

// Splits a line by comma-text rules: fields separated by commas or blanks;
// a field holding commas or blanks is enclosed in double quotes, a quote
// inside written twice.
[[nodiscard]] QStringList SplitCommaText(const QString &Line);
// The inverse, for writing.
[[nodiscard]] QString JoinCommaText(const QStringList &Fields);

struct TExampleCategory
{
    QString Name;
    QString File; // relative to the Common folder; empty when the line had none
};

// Categories from the top until the end or the first blank line. A line
// without a file keeps its place (its file is empty), so the categories
// stay parallel to the list the user sees.
[[nodiscard]] QList<TExampleCategory> ParseExampleIndex(QByteArrayView Bytes);

struct TExample
{
    QString Heading;
    QString Text; // all its lines, the heading included
};

// The examples of a category file. Counts are bounded by the lines present:
// a count beyond them takes what is there. Nothing (and Ok false) when the
// first count is not a number.
[[nodiscard]] QList<TExample> ParseExampleFile(QByteArrayView Bytes, bool *Ok = nullptr);

// The library form of a category's examples, and of the index.
[[nodiscard]] QByteArray WriteExampleFile(const QList<QStringList> &Examples);
[[nodiscard]] QByteArray WriteExampleIndex(const QList<TExampleCategory> &Categories);
