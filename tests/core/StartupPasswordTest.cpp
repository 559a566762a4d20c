#include "core/StartupPassword.h"

#include <gtest/gtest.h>

namespace {

class PasswordRoundTrip : public ::testing::TestWithParam<const char16_t *>
{
};

TEST_P(PasswordRoundTrip, derivesThePasswordItWasScrambledFromAndHidesIt)
{
    const QString plain = QString::fromUtf16(GetParam());
    const QString stored = ScramblePassword(plain);
    EXPECT_EQ(stored.size(), plain.size() * 4);
    EXPECT_EQ(DerivePassword(stored), plain);
    for (const QChar c : QStringLiteral("+-*/\"\\"))
        EXPECT_FALSE(stored.contains(c)) << qPrintable(stored);
    if (plain.size() >= 2) {
        EXPECT_FALSE(stored.contains(plain));
    }
}

INSTANTIATE_TEST_SUITE_P(Passwords, PasswordRoundTrip,
                         ::testing::Values(u"a", u"パスワード", u"\U0002000B\u3042", u"0123456789ABCDEF"));

struct DeriveCase {
    const char *name;
    QString stored;
    QString expected;
};

class DeriveTable : public ::testing::TestWithParam<DeriveCase>
{
};

TEST_P(DeriveTable, derivesTheExpectedPassword)
{
    EXPECT_EQ(DerivePassword(GetParam().stored), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, DeriveTable,
    ::testing::Values(DeriveCase{"threeCharacters", QStringLiteral("Q7K"), QString()},
                      DeriveCase{"partialGroupIgnored", ScramblePassword(QStringLiteral("ab")) + QStringLiteral("Q7"),
                                 QStringLiteral("ab")},
                      DeriveCase{"foreignGroupYieldsNothing",
                                 ScramblePassword(QStringLiteral("ab")) + QStringLiteral("zz!!"), QStringLiteral("ab")},
                      DeriveCase{"operatorsDropped", ScramblePassword(QStringLiteral("a+b-c*d/e")),
                                 QStringLiteral("abcde")},
                      DeriveCase{"onlyOperators", ScramblePassword(QStringLiteral("+-*/")), QString()}),
    [](const ::testing::TestParamInfo<DeriveCase> &info) { return std::string(info.param.name); });

TEST(StartupPassword, equalCharactersAtDifferentPlacesAreStoredDifferently)
{
    const QString stored = ScramblePassword(QStringLiteral("aaaa"));
    EXPECT_NE(stored.mid(0, 4), stored.mid(4, 4));
    EXPECT_NE(stored.mid(4, 4), stored.mid(8, 4));
}

TEST(StartupPassword, operatorsMakeAPasswordUnstorable)
{
    EXPECT_TRUE(IsStorablePassword(QStringLiteral("abc123")));
    for (const char *bad : {"a+b", "a-b", "a*b", "a/b"})
        EXPECT_FALSE(IsStorablePassword(QString::fromLatin1(bad))) << bad;
}

} // namespace
