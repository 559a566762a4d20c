#include "addressbook/WordSch.h"

#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

// Types text character by character, as keys carrying their text.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

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

TEST_F(WordSearchTest, showsTheKeptWordSelectedWithCaretAtEnd)
{
    open(QStringLiteral("山田"));
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("一覧内のワード検索"));
    EXPECT_NE(m_dialog->findChild<QLabel *>("lblMsg3"), nullptr);
    EXPECT_EQ(edit()->GetText(), QStringLiteral("山田"));
    EXPECT_EQ(edit()->selectedText(), QStringLiteral("山田"));
    EXPECT_EQ(edit()->cursorPosition(), 2);
    EXPECT_EQ(QApplication::focusWidget(), edit());
}

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
    typeText(edit(), QString::fromUtf16(GetParam().typed));
    click("btnSearch");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog->GetWord(), QString::fromUtf16(GetParam().word));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypedWord,
    ::testing::Values(Typed{"blanksAtBothEnds", u"  山田 太郎  ", u"山田 太郎"},
                      Typed{"innerBlanksStay", u"a  b", u"a  b"},
                      Typed{"onlyBlanksGiveNothing", u"   ", u""},
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

TEST_F(WordSearchTest, enterInTheEditMovesToSearchWithoutClosing)
{
    open(QStringLiteral("山田"));
    QTest::keyClick(edit(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), button("btnSearch"));
    EXPECT_TRUE(m_dialog->isVisible());
    QTest::keyClick(button("btnSearch"), Qt::Key_Return);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog->GetWord(), QStringLiteral("山田"));
}

} // namespace
