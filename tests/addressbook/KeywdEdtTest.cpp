#include "addressbook/KeywdEdt.h"

#include "addressbook/AdrsListModel.h"

#include "core/Env.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/FileHelpers.h"
#include "support/KeyInput.h"
#include "support/ScriptedMessageBoxes.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

class KeywordEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedPath = DataPath;
        m_savedNames = KeywordNames;
        m_savedModes = KeywordModes;
        DataPath = m_dir.path() + QStringLiteral("/");
        for (int n = 1; n <= KeywordCount; ++n) {
            KeywordNames[static_cast<std::size_t>(n)] = QStringLiteral("キーワード") + QChar(0xFF10 + n);
            KeywordModes[static_cast<std::size_t>(n)] = 6;
        }
        KeywordModes[3] = 8;
        KeywordModes[8] = 1;
    }
    void TearDown() override
    {
        m_dialog.reset();
        DataPath = m_savedPath;
        KeywordNames = m_savedNames;
        KeywordModes = m_savedModes;
    }
    void open()
    {
        m_dialog = std::make_unique<TKeywordEdit>();
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    TTntEdit *edit(int n) const { return m_dialog->findChild<TTntEdit *>(QStringLiteral("edtKeyword%1").arg(n)); }
    QComboBox *combo(int n) const { return m_dialog->findChild<QComboBox *>(QStringLiteral("cbxKeyword%1").arg(n)); }
    void click(const char *name) const
    {
        QTest::mouseClick(m_dialog->findChild<QPushButton *>(name), Qt::LeftButton);
    }
    // Replaces an edit's text the way a user does: select all, type.
    static void retype(TTntEdit *e, const QString &text)
    {
        e->setFocus();
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_Delete);
        TypeCharacters(e, text);
    }
    QString iniFile() const { return DataPath + QStringLiteral("AdrsList.ini"); }

    QTemporaryDir m_dir;
    QString m_savedPath;
    std::array<QString, KeywordCount + 1> m_savedNames;
    std::array<int, KeywordCount + 1> m_savedModes;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<TKeywordEdit> m_dialog;
};

TEST_F(KeywordEditTest, blankCaptionIsRefusedNamingItsRowInFullWidth)
{
    open();
    retype(edit(3), QStringLiteral("   "));
    click("btnOk");
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("キーワード項目３が未入力です  "));
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit(3));
    EXPECT_EQ(KeywordNames[3], QStringLiteral("キーワード３"));
    EXPECT_FALSE(QFile::exists(iniFile()));
}

TEST_F(KeywordEditTest, changingOnlyAModeWritesTheFileAndReportsModesChanged)
{
    open();
    combo(5)->setFocus();
    QTest::keyClick(combo(5), Qt::Key_Down); // 全角ひらがな -> 全角カタカナ
    click("btnOk");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_dialog->ModesChanged());
    EXPECT_FALSE(m_dialog->NamesChanged());
    EXPECT_EQ(KeywordModes[5], 8);
    const TMemIniFile ini(iniFile());
    EXPECT_EQ(ini.ReadSection("KEYWORD").size(), 16);
    EXPECT_EQ(ini.ReadInteger("KEYWORD", "Mode5", 0), 8);
    EXPECT_EQ(ini.ReadInteger("KEYWORD", "Mode8", 0), 1);
}

TEST_F(KeywordEditTest, aSettingsFileThatCannotBeWrittenIsReportedAndTheDialogKeepsTheInput)
{
    ASSERT_TRUE(QDir().mkpath(iniFile())); // a folder where the file belongs
    open();
    retype(edit(2), QStringLiteral(" 趣味 "));
    click("btnOk");
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(m_boxes.last().text.startsWith(QStringLiteral("キーワード項目の設定をファイルに保存できませんでした  \r\n") +
                                               QDir::toNativeSeparators(iniFile())))
        << qPrintable(m_boxes.last().text);
    EXPECT_EQ(m_boxes.last().flags, 0x10u);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(edit(2)->GetText(), QStringLiteral(" 趣味 "));
    EXPECT_EQ(KeywordNames[2], QStringLiteral("キーワード２")) << "the program keeps what the file holds";

    ASSERT_TRUE(QDir(iniFile()).removeRecursively());
    click("btnOk");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_dialog->NamesChanged());
    EXPECT_FALSE(m_dialog->ModesChanged());
    EXPECT_EQ(KeywordNames[2], QStringLiteral("趣味")) << "stored trimmed";
    EXPECT_EQ(TMemIniFile(iniFile()).ReadString("KEYWORD", "Name2", ""), QStringLiteral("趣味"));
}

struct PasteCut {
    const char *name;
    const char16_t *pasted;
    int bytes; // what stays after leaving the edit
};
void PrintTo(const PasteCut &c, std::ostream *os) { *os << c.name; }
class PastedCaption : public KeywordEditTest, public ::testing::WithParamInterface<PasteCut>
{
};

TEST_P(PastedCaption, isCutToTwelveBytesWithoutSplittingACharacter)
{
    open();
    TTntEdit *e = edit(4);
    e->setFocus();
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->setText(QString::fromUtf16(GetParam().pasted));
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), combo(4));
    const QByteArray stored = Cp932::encode(e->GetText());
    EXPECT_EQ(stored.size(), GetParam().bytes);
    EXPECT_TRUE(Cp932::encode(QString::fromUtf16(GetParam().pasted)).startsWith(stored));
}

INSTANTIATE_TEST_SUITE_P(
    Table, PastedCaption,
    ::testing::Values(PasteCut{"thirteenBytesEndingDoubleByte", u"abcdefghijkあ", 11},
                      PasteCut{"thirteenBytesEndingSingleByte", u"abcdefghijあx", 12},
                      PasteCut{"twelveBytesStay", u"abcdefghijkl", 12}),
    [](const ::testing::TestParamInfo<PasteCut> &info) { return std::string(info.param.name); });

} // namespace

// Two damaged bytes in one caption of the file the dialog wrote (one the
// sum would put back): the main window's reading keeps the other seven
// captions, names the damaged one and the kept copy to the user, and the
// next OK writes no other text.
TEST_F(KeywordEditTest, aDamagedByteInOneCaptionLosesThatCaptionAlone)
{
    open();
    for (int n = 1; n <= KeywordCount; ++n)
        retype(edit(n), QStringLiteral("趣味%1").arg(n));
    click("btnOk");
    ASSERT_EQ(m_dialog->result(), QDialog::Accepted);
    m_dialog.reset();

    QByteArray bytes = fileBytes(iniFile());
    const qsizetype at = bytes.indexOf("Name5=");
    ASSERT_GE(at, 0);
    bytes[at + 7] = 'X'; // the second and third bytes of 趣 (E8 B6 A3)
    bytes[at + 8] = 'Y';
    writeBytes(iniFile(), bytes);

    TAddressListModel model;
    model.LoadListSettings(iniFile());
    for (int n = 1; n <= KeywordCount; ++n)
        EXPECT_EQ(KeywordNames[size_t(n)], n == 5 ? QStringLiteral("キーワード５") : QStringLiteral("趣味%1").arg(n));
    ASSERT_EQ(m_boxes.count(), 1);
    const QStringList copies = QDir(m_dir.path()).entryList({"AdrsList.ini.damaged-*"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    const QString copy = DataPath + copies[0];
    EXPECT_TRUE(sameBytes(bytes, fileBytes(copy)));
    for (const QString &named : {QDir::toNativeSeparators(iniFile()), QDir::toNativeSeparators(copy),
                                 QStringLiteral("[KEYWORD] Name5")})
        EXPECT_TRUE(m_boxes.last().text.contains(named)) << qPrintable(m_boxes.last().text);

    open();
    click("btnOk");
    ASSERT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_boxes.count(), 1);
    model.LoadListSettings(iniFile());
    for (int n = 1; n <= KeywordCount; ++n)
        EXPECT_EQ(KeywordNames[size_t(n)], n == 5 ? QStringLiteral("キーワード５") : QStringLiteral("趣味%1").arg(n));
    EXPECT_TRUE(sameBytes(bytes, fileBytes(copy)));
}
