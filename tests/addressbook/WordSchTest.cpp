#include "addressbook/WordSch.h"

#include "support/KeyInput.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

class WordSearchTest : public ::testing::Test
{
protected:
    void open(const QString &word)
    {
        m_dialog = std::make_unique<TWordSearch>();
        m_dialog->SetWord(word);
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    TTntEdit *edit() const { return m_dialog->findChild<TTntEdit *>("edtWord"); }
    QPushButton *button(const char *name) const { return m_dialog->findChild<QPushButton *>(name); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    std::unique_ptr<TWordSearch> m_dialog;
};

struct Typed {
    const char *name;
    const char16_t *typed;
    const char16_t *word;
};
void PrintTo(const Typed &t, std::ostream *os) { *os << t.name; }
class TypedWord : public WordSearchTest, public ::testing::WithParamInterface<Typed>
{
};

TEST_P(TypedWord, searchGivesTheWordTrimmedAtBothEndsOnly)
{
    open(QStringLiteral("old"));
    // Typing replaces the selected kept word.
    TypeCharacters(edit(), QString::fromUtf16(GetParam().typed));
    click("btnSearch");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog->GetWord(), QString::fromUtf16(GetParam().word));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypedWord,
    ::testing::Values(Typed{"blanksAtBothEnds", u"  山田 太郎  ", u"山田 太郎"},
                      // the ideographic space is part of a Japanese word
                      Typed{"ideographicSpaceStays", u"\u3000東京\u3000", u"\u3000東京\u3000"}),
    [](const ::testing::TestParamInfo<Typed> &info) { return std::string(info.param.name); });

TEST_F(WordSearchTest, clearEmptiesTheWordAndAccepts)
{
    open(QStringLiteral("山田"));
    click("btnClear");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_dialog->GetWord().isEmpty());
}

// ---- The characters a stored text must hold --------------------------------------

struct NeedsCase {
    const char *name;
    const char16_t *word;
    const char16_t *added; // characters the format adds
    QByteArray bytes;
    bool wide;             // the bytes may be the names' wide form
    bool may;
};
void PrintTo(const NeedsCase &c, std::ostream *os) { *os << c.name; }

class WordNeeds : public ::testing::TestWithParam<NeedsCase>
{
};

TEST_P(WordNeeds, refuseOnlyBytesWithoutACharacterTheTextCannotGetElsewhere)
{
    const TWordBytes word{QStringView(GetParam().word)};
    const TWordBytes::TNeeds needs = word.Needs(QStringView(GetParam().added));
    EXPECT_EQ(GetParam().wide ? needs.InWide(GetParam().bytes) : needs.In({GetParam().bytes}), GetParam().may);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WordNeeds,
    ::testing::Values(NeedsCase{"bothCharactersStored", u"山田", u"", QByteArray("\x8E\x52\x93\x63"), false, true},
                      NeedsCase{"secondCharacterMissing", u"山田", u"", QByteArray("\x8E\x52"), false, false},
                      NeedsCase{"emptyFieldHoldsNothing", u"山", u"", QByteArray(), false, false},
                      NeedsCase{"hyphenComesFromTheFormat", u"3-4", u"-", QByteArray("34"), false, true},
                      NeedsCase{"digitStillNeeded", u"3-4", u"-", QByteArray("35"), false, false},
                      NeedsCase{"allAddedNeedsNoBytes", u"03-1", u"0123456789-", QByteArray(), false, true},
                      NeedsCase{"wideFormUpperCase", u"髙", u"", QByteArray("@9AD9"), true, true},
                      NeedsCase{"wideFormLowerCase", u"髙", u"", QByteArray("@9ad9"), true, true},
                      NeedsCase{"wideFormOfAnotherCharacter", u"髙", u"", QByteArray("@9AD8"), true, false}),
    [](const ::testing::TestParamInfo<NeedsCase> &info) { return std::string(info.param.name); });

TEST(WordNeedsNone, onlyWhenTheFormatCanAddEveryCharacter)
{
    const TWordBytes word(u"03-12");
    EXPECT_TRUE(word.Needs(u"0123456789-").None());
    EXPECT_FALSE(word.Needs(u"0123456789").None());
}

} // namespace
