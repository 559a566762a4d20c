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

} // namespace
