#include "core/PdfOutFile.h"

#include "support/FileHelpers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <ostream>
#include <string>

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

// Whatever the amendment does to the painted bytes (an update appended, as
// the text layer's is, a change inside, a shorter file), the file put in
// place holds exactly the amended bytes.
TEST_F(PdfOutFileTest, theFilePutInPlaceHoldsExactlyTheAmendedBytes)
{
    const QByteArray painted = "%PDF-1.4 painted\n" + QByteArray(70000, 'x') + "\n%%EOF\n";
    const std::pair<const char *, std::function<void(QByteArray &)>> cases[] = {
        {"appended", [](QByteArray &B) { B += "1 0 obj\n<< >>\nendobj\n%%EOF\n"; }},
        {"changed inside, longer", [](QByteArray &B) { B.replace(20, 3, "yyyyyy"); }},
        {"shorter", [](QByteArray &B) { B.remove(10, 60000); }},
        {"first byte, same size", [](QByteArray &B) { B[0] = '#'; }},
    };
    for (const auto &[name, step] : cases) {
        SCOPED_TRACE(name);
        TPdfOutFile out(pdf());
        QString error;
        ASSERT_TRUE(out.Begin(&error)) << qPrintable(error);
        paint(out, painted);
        ASSERT_TRUE(out.Amend(step, &error)) << qPrintable(error);
        QByteArray expected = painted;
        step(expected);
        ASSERT_TRUE(out.Commit(&error)) << qPrintable(error);
        EXPECT_EQ(fileBytes(pdf()), expected);
    }
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

// Beside the PDF the user names, a hidden file of the shape an earlier
// version's killed run left (".<name>." and six letters) is removed only when
// it is what such a run leaves: nothing, or a PDF cut before its trailer. A
// whole PDF of that shape is a copy the user keeps (".list.pdf.backup").
struct LegacyLeftoverCase {
    const char *name;
    const char *entry;
    QByteArray bytes;
    bool removed;
};

void PrintTo(const LegacyLeftoverCase &c, std::ostream *os)
{
    *os << c.name;
}

class PdfOutLegacyLeftover : public PdfOutFileTest, public ::testing::WithParamInterface<LegacyLeftoverCase>
{
};

TEST_P(PdfOutLegacyLeftover, onlyAKilledRunsLeftoverIsSweptBeforeTheRun)
{
    const LegacyLeftoverCase &c = GetParam();
    writeBytes(pdf(), "%PDF-1.4 the earlier list\n%%EOF\n");
    const QString beside = dir.filePath(QString::fromLatin1(c.entry));
    writeBytes(beside, c.bytes);
    {
        QFile old(beside);
        ASSERT_TRUE(old.open(QIODevice::ReadWrite));
        ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    TPdfOutFile out(pdf());
    QString error;
    ASSERT_TRUE(out.Begin(&error)) << qPrintable(error);
    EXPECT_EQ(QFile::exists(beside), !c.removed);
    if (!c.removed) {
        EXPECT_EQ(fileBytes(beside), c.bytes) << "the user's copy stays as it was";
    }
    EXPECT_EQ(fileBytes(pdf()), "%PDF-1.4 the earlier list\n%%EOF\n");
}

INSTANTIATE_TEST_SUITE_P(
    Sweep, PdfOutLegacyLeftover,
    ::testing::Values(LegacyLeftoverCase{"emptyLeftoverGoes", ".list.pdf.aB3xZ9", QByteArray(), true},
                      LegacyLeftoverCase{"cutLeftoverGoes", ".list.pdf.k2Lm0Q", "%PDF-1.4 painted until kil", true},
                      LegacyLeftoverCase{"usersWholeCopyStays", ".list.pdf.backup",
                                         "%PDF-1.4 the user's own copy\n%%EOF\n", false},
                      LegacyLeftoverCase{"usersWholeCopyWithDigitsStays", ".list.pdf.v2copy",
                                         "%PDF-1.7 kept\n%%EOF\n", false}),
    [](const ::testing::TestParamInfo<LegacyLeftoverCase> &Info) { return std::string(Info.param.name); });

} // namespace
