#include "core/PdfOutFile.h"

#include "support/FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The file of a print run to PDF, written the way the PDF engine writes it:
// by the name the run is given.

namespace {

class PdfOutFileTest : public ::testing::Test
{
protected:
    QString pdf() const { return dir.filePath(QStringLiteral("list.pdf")); }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    // The engine's part: the run's bytes under the name it was given.
    static void paint(const TPdfOutFile &Out, const QByteArray &Bytes)
    {
        QFile engine(Out.WritePath());
        ASSERT_TRUE(engine.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(Out.WritePath());
        ASSERT_EQ(engine.write(Bytes), Bytes.size());
    }

    QTemporaryDir dir;
};

TEST_F(PdfOutFileTest, anAmendedPdfIsPutInPlaceAsAmended)
{
    writeBytes(pdf(), "%PDF-1.4 the earlier list\n%%EOF\n");
    TPdfOutFile out(pdf());
    QString error;
    ASSERT_TRUE(out.Begin(&error)) << qPrintable(error);
    paint(out, "%PDF-1.4 painted\n%%EOF\n");
    ASSERT_TRUE(out.Amend([](QByteArray &Bytes) { Bytes.replace("painted", "painted, then amended"); }, &error))
        << qPrintable(error);
    EXPECT_EQ(fileBytes(pdf()), "%PDF-1.4 the earlier list\n%%EOF\n") << "nothing is in place before the commit";
    ASSERT_TRUE(out.Commit(&error)) << qPrintable(error);
    EXPECT_EQ(fileBytes(pdf()), "%PDF-1.4 painted, then amended\n%%EOF\n");
    EXPECT_EQ(entries(), QStringList{QStringLiteral("list.pdf")});
}

// The engine keeps a full disk to itself: a file cut before its trailer
// is no PDF to replace the earlier one with.
TEST_F(PdfOutFileTest, aPdfCutBeforeItsTrailerLeavesTheEarlierOneAndNothingElse)
{
    writeBytes(pdf(), "%PDF-1.4 the earlier list\n%%EOF\n");
    TPdfOutFile out(pdf());
    ASSERT_TRUE(out.Begin(nullptr));
    paint(out, "%PDF-1.4 painted until the disk was ful");
    QString error;
    EXPECT_FALSE(out.Commit(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(pdf()), "%PDF-1.4 the earlier list\n%%EOF\n");
    EXPECT_EQ(entries(), QStringList{QStringLiteral("list.pdf")});
}

} // namespace
