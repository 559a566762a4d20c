#pragma once

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

// Fixtures of item streams are written in the tests as hexadecimal text
// ("03 00 00 00 9E"), spaces and line breaks ignored.
inline QByteArray hexBytes(const char *Hex)
{
    return QByteArray::fromHex(QByteArray(Hex).replace(' ', "").replace('\n', ""));
}

// Compares two byte strings and names the first differing byte.
inline ::testing::AssertionResult sameBytes(const QByteArray &Actual, const QByteArray &Expected)
{
    const qsizetype n = qMin(Actual.size(), Expected.size());
    for (qsizetype i = 0; i < n; ++i)
        if (Actual[i] != Expected[i])
            return ::testing::AssertionFailure()
                   << "first difference at byte " << i << ": got " << QByteArray(1, Actual[i]).toHex().constData()
                   << ", expected " << QByteArray(1, Expected[i]).toHex().constData() << " (got "
                   << Actual.toHex(' ').constData() << ")";
    if (Actual.size() != Expected.size())
        return ::testing::AssertionFailure() << "lengths differ: got " << Actual.size() << ", expected "
                                             << Expected.size() << " (got " << Actual.toHex(' ').constData() << ")";
    return ::testing::AssertionSuccess();
}
