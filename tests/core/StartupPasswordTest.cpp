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

struct StateCase {
    const char *name;
    QString stored;
    TStoredPassword state;
};

class StoredState : public ::testing::TestWithParam<StateCase>
{
};

// A value the installation cannot have written asks for a password no entry
// matches; only an empty value or one of dropped characters asks nothing.
TEST_P(StoredState, failsClosedOnWhatTheInstallationCannotHaveWritten)
{
    const StateCase &c = GetParam();
    EXPECT_EQ(StoredPasswordState(c.stored), c.state);
    const QString derived = DerivePassword(c.stored);
    EXPECT_EQ(PasswordMatches(c.stored, derived), c.state == TStoredPassword::Set);
    EXPECT_FALSE(PasswordMatches(c.stored, QString())) << "an empty entry never opens";
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredState,
    ::testing::Values(StateCase{"empty", QString(), TStoredPassword::None},
                      StateCase{"onlyDroppedCharacters", ScramblePassword(QStringLiteral("+-")), TStoredPassword::None},
                      StateCase{"wholeGroups", ScramblePassword(QStringLiteral("abc")), TStoredPassword::Set},
                      StateCase{"partialGroupAfterWholeOnes",
                                ScramblePassword(QStringLiteral("ab")) + QStringLiteral("Q7"), TStoredPassword::Damaged},
                      StateCase{"lessThanOneGroup", QStringLiteral("Q7K"), TStoredPassword::Damaged},
                      StateCase{"characterOutsideTheAlphabet",
                                ScramblePassword(QStringLiteral("ab")) + QStringLiteral("zz!!"), TStoredPassword::Damaged},
                      StateCase{"lowerCaseOfTheAlphabet", ScramblePassword(QStringLiteral("ab")).toLower(),
                                TStoredPassword::Damaged},
                      StateCase{"notAStringAtAll", UnreadableStoredPassword(), TStoredPassword::Damaged}),
    [](const ::testing::TestParamInfo<StateCase> &info) { return std::string(info.param.name); });

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
