#include "PaperFixture.h"

namespace {

class EditorPaper : public PaperDialogFixture
{
protected:
    // A user label sheet (id 1, with its grid) and a user postcard (id 2).
    void writeUserFormats()
    {
        TCustomFormats user;
        TCustomFormat label;
        label.Format = catalogue().Records.at(firstOf(TPaperKind::Label));
        const TLabelGrid grid{2100, 2970, 1, 1, 100, 100, 0, 0};
        user.add(label, &grid);
        TCustomFormat card;
        card.Format = catalogue().Records.at(0);
        user.add(card);
        QString error;
        ASSERT_TRUE(user.save(CustomFormatsPath(), &error));
    }
};

} // namespace

TEST_F(EditorPaper, catalogueRecordComesWithItsGrid)
{
    TLayoutFormat f;
    TLabelGrid g;
    QString error;
    const int index = firstOf(TPaperKind::Label);
    ASSERT_TRUE(ReadPaperFormat(index, TPaperEditor::Label, f, g, &error));
    EXPECT_EQ(f, catalogue().Records.at(index));
    EXPECT_EQ(g, catalogue().gridOf(f));
}

TEST_F(EditorPaper, singlePieceHasAnEmptyGrid)
{
    TLayoutFormat f;
    TLabelGrid g{1, 1, 1, 1, 1, 1, 1, 1};
    ASSERT_TRUE(ReadPaperFormat(0, TPaperEditor::AddressSide, f, g, nullptr));
    EXPECT_EQ(g, TLabelGrid{});
}

TEST_F(EditorPaper, userSheetComesWithItsOwnGrid)
{
    writeUserFormats();
    TLayoutFormat f;
    TLabelGrid g;
    ASSERT_TRUE(ReadPaperFormat(-1, TPaperEditor::Label, f, g, nullptr));
    EXPECT_EQ(g.Columns, 1);
    EXPECT_EQ(g.LeftMargin, 100);
}

TEST_F(EditorPaper, userFormatOfAnotherKindIsNotFound)
{
    writeUserFormats();
    TLayoutFormat f;
    TLabelGrid g;
    QString error = QStringLiteral("x");
    EXPECT_FALSE(ReadPaperFormat(-1, TPaperEditor::AddressSide, f, g, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(ReadPaperFormat(-2, TPaperEditor::AddressSide, f, g, &error));
    EXPECT_FALSE(ReadPaperFormat(-2, TPaperEditor::Card, f, g, &error));
}

TEST_F(EditorPaper, deletedUserFormatIsNotFound)
{
    TLayoutFormat f;
    TLabelGrid g;
    EXPECT_FALSE(ReadPaperFormat(-5, TPaperEditor::Label, f, g, nullptr));
}

TEST_F(EditorPaper, foreignCatalogueIsReportedAsMissingWithTheFileNamed)
{
    const QString common = useOwnProgramFolder();
    writeFile(common + QStringLiteral("Lyt.fmt"), QByteArray(200, 'x'));
    TLayoutFormat f;
    TLabelGrid g;
    QString error;
    EXPECT_FALSE(ReadPaperFormat(0, TPaperEditor::AddressSide, f, g, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("用紙情報ファイルが見つかりません  \r\n"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(common + QStringLiteral("Lyt.fmt")))) << error.toStdString();
    TDesignFormat d;
    EXPECT_FALSE(ReadDesignFormat(0, d, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("用紙情報ファイルが見つかりません  \r\n"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(common + QStringLiteral("Dsn.fmt")))) << error.toStdString();
}

TEST_F(EditorPaper, aDamagedUserFormatFileIsNamed)
{
    writeUserFormats();
    QFile file(CustomFormatsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() - 1));
    file.close();
    TLayoutFormat f;
    TLabelGrid g;
    QString error;
    EXPECT_FALSE(ReadPaperFormat(-1, TPaperEditor::Label, f, g, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(CustomFormatsPath()))) << error.toStdString();
}

TEST_F(EditorPaper, designRecordIsReadByPosition)
{
    TDesignFormat d;
    ASSERT_TRUE(ReadDesignFormat(1, d, nullptr));
    EXPECT_NE(d.Landscape, 0);
    EXPECT_FALSE(ReadDesignFormat(10000, d, nullptr));
}
