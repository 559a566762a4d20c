#include "core/QtJapanese.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QLocale>
#include <QPageSize>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Under a system without a Japanese locale (the C locale of a container,
// which formats the 7th of December 2026 as "7 Dec 2026").
class QtJapanese : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(m_saved); }

private:
    const QLocale m_saved;
};

QString dateEditText()
{
    const QDateEdit edit(QDate(2026, 12, 7));
    return edit.text();
}

TEST_F(QtJapanese, dateEditsShowTheJapaneseDate)
{
    ASSERT_EQ(dateEditText(), QStringLiteral("7 Dec 2026"));
    const TQtJapanese japanese(QtTranslationsFolder());
    EXPECT_EQ(dateEditText(), QStringLiteral("2026/12/07"));
}

struct QtTextCase {
    const char *name;
    const char *context;
    const char *source;
    const char16_t *japanese;
};

class QtTexts : public QtJapanese, public ::testing::WithParamInterface<QtTextCase>
{};

TEST_P(QtTexts, areJapanese)
{
    const QtTextCase &c = GetParam();
    const TQtJapanese japanese(QtTranslationsFolder());
    ASSERT_TRUE(japanese.Loaded()) << qPrintable(japanese.Error());
    EXPECT_EQ(QCoreApplication::translate(c.context, c.source), QString::fromUtf16(c.japanese));
}

INSTANTIATE_TEST_SUITE_P(Table, QtTexts,
                         ::testing::Values(QtTextCase{"printDialogTitle", "QPrintDialog", "Print", u"印刷"},
                                           QtTextCase{"fileDialogOpenButton", "QFileDialog", "&Open", u"開く(&O)"},
                                           QtTextCase{"fileDialogSaveButton", "QFileDialog", "&Save", u"保存(&S)"}),
                         [](const ::testing::TestParamInfo<QtTextCase> &info) { return std::string(info.param.name); });

TEST_F(QtJapanese, paperNamesOfThePrintDialogAreJapanese)
{
    ASSERT_EQ(QPageSize(QPageSize::Postcard).name(), QStringLiteral("Postcard"));
    const TQtJapanese japanese(QtTranslationsFolder());
    EXPECT_EQ(QPageSize(QPageSize::Postcard).name(), QStringLiteral("ポストカード"));
}

// Without the catalogue the formats are Japanese all the same; Qt's texts
// stay English and the reason names the catalogue and the folder.
TEST_F(QtJapanese, missingCatalogueIsNamedAndLeavesTheFormatsJapanese)
{
    QTemporaryDir empty;
    const TQtJapanese japanese(empty.path());
    EXPECT_FALSE(japanese.Loaded());
    EXPECT_TRUE(japanese.Error().contains(QStringLiteral("qtbase_ja.qm")));
    EXPECT_TRUE(japanese.Error().contains(QDir::toNativeSeparators(empty.path())));
    EXPECT_EQ(dateEditText(), QStringLiteral("2026/12/07"));
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Print"));
}

TEST_F(QtJapanese, endingUndoesTheTextsAndTheLocale)
{
    {
        const TQtJapanese japanese(QtTranslationsFolder());
        ASSERT_TRUE(japanese.Loaded());
    }
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Print"));
    EXPECT_EQ(dateEditText(), QStringLiteral("7 Dec 2026"));
}

} // namespace
