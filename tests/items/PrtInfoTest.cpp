#include "items/PrtInfo.h"
#include "items/ItemStream.h"

#include "items/ItemStream.h"
#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/RowName.h"
#include "support/UnreadableNotices.h"

#include <QFile>
#include <algorithm>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Printers as a test sets them up: names, papers, whether a user size is
// kept, and the sheet every setting reports.
class TFakeBackend final : public TPrinterBackend
{
public:
    QStringList printers{QStringLiteral("Office"), QStringLiteral("Label Printer With A Rather Long Queue Name")};
    QList<TPaperInfo> papers{{9, QStringLiteral("A4"), {2100, 2970}},
                             {50, QStringLiteral("はがき"), {1000, 1480}},
                             {CustomPaperId, QStringLiteral("ユーザー定義サイズ"), {}}};
    bool keepsCustom = true;
    TPrinterCaps caps{{600, 600}, {5100, 7000}, {100, 100}, {4900, 6800}};

    QStringList Printers() const override { return printers; }
    QString DefaultPrinter() const override { return printers.value(0); }
    QList<TPaperInfo> Papers(const QString &) const override { return papers; }
    TPrinterSettings Apply(const TPrinterSettings &S) const override
    {
        TPrinterSettings kept = S;
        if (!keepsCustom && S.PaperId == CustomPaperId)
            kept.CustomSize = {};
        return kept;
    }
    TPrinterCaps Caps(const TPrinterSettings &) const override { return caps; }
};

class PrinterInfoTest : public testing::Test {
protected:
    QString file() const { return dir.filePath(QStringLiteral("Layout.pi")); }
    QTemporaryDir dir;
    TFakeBackend backend;
};

TEST_F(PrinterInfoTest, aMissingFileSelectsTheDefaultPrinterSilently)
{
    RecordedUnreadableNotices notices;
    TPrinterInfo missing(file(), backend);
    EXPECT_EQ(missing.Settings().PrinterName, QStringLiteral("Office"));
    EXPECT_TRUE(notices.told().isEmpty());
    EXPECT_TRUE(missing.Save());
}

// The stored form of settings, as Save writes it.
QByteArray storedSettings(quint32 version, const QString &printer, qint32 paperId, QSize custom)
{
    TItemWriter w;
    w.writeBytes("MVPI");
    w.writeUInt32(version);
    w.writeXorWideString(printer);
    w.writeInt32(paperId);
    w.writeInt32(custom.width());
    w.writeInt32(custom.height());
    w.writeByte(2);
    w.writeInt32(3);
    w.writeInt32(300);
    return w.bytes();
}

struct DamagedCase {
    const char *name;
    QByteArray bytes;
};

class PrinterInfoDamaged : public PrinterInfoTest, public testing::WithParamInterface<DamagedCase> {};

TEST_P(PrinterInfoDamaged, isKeptAsideAndNamedNotOverwrittenWithTheDefaults)
{
    const QByteArray damaged = GetParam().bytes;
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(damaged);
    f.close();
    RecordedUnreadableNotices notices;
    TPrinterInfo info(file(), backend);
    TPrinterSettings defaults;
    defaults.PrinterName = QStringLiteral("Office");
    EXPECT_EQ(info.Settings(), defaults);
    ASSERT_EQ(notices.told().size(), 1);
    EXPECT_EQ(notices.told().first().file, file());
    const QStringList copies = keptAsideCopies(file());
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(notices.told().first().keptAs, copies.first());

    QString error;
    EXPECT_TRUE(info.Save(&error)) << error.toStdString();
    EXPECT_TRUE(sameBytes(damaged, fileBytes(copies.first())));
}

const QByteArray kGood = storedSettings(TPrinterInfo::FileVersion, QStringLiteral("Office"), 9, {});

INSTANTIATE_TEST_SUITE_P(
    Files, PrinterInfoDamaged,
    testing::Values(DamagedCase{"shorterThanTheSignature", "MVP"},
                    // A DEVMODE record as other programs keep it.
                    DamagedCase{"foreign",
                                QByteArray::fromHex("9c000000") + QByteArray("Office").leftJustified(156, '\0')},
                    DamagedCase{"anotherVersion", storedSettings(2, QStringLiteral("Office"), 9, {})},
                    DamagedCase{"cutInTheLastNumber", kGood.chopped(2)},
                    DamagedCase{"largerThanASettingsFile", kGood + QByteArray(64 * 1024, '\0')}),
    rowName);

TEST_F(PrinterInfoTest, aDamagedFileThatCannotBeMovedIsNeverWrittenOver)
{
    const QByteArray damaged = kGood.chopped(2);
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(damaged);
    f.close();
    RecordedUnreadableNotices notices;
    RefusedMovesAside refused;
    TPrinterInfo info(file(), backend);
    EXPECT_EQ(info.Settings().PrinterName, QStringLiteral("Office"));
    info.AssignPrinter(1);
    QString error;
    EXPECT_FALSE(info.Save(&error));
    EXPECT_TRUE(error.contains(file())) << error.toStdString();
    EXPECT_TRUE(sameBytes(damaged, fileBytes(file())));
}

TEST_F(PrinterInfoTest, settingsSetAsideByAKilledSaveComeBack)
{
    TPrinterSettings chosen;
    chosen.PrinterName = backend.printers.at(1);
    chosen.PaperId = 50;
    {
        TPrinterInfo info(file(), backend);
        info.AssignSettings(chosen);
        ASSERT_TRUE(info.Save());
    }
    // Killed between the two renames of the next save.
    ASSERT_TRUE(QFile::rename(file(), SafeReplaceBackupPath(file())));
    TPrinterInfo info(file(), backend);
    EXPECT_EQ(info.Settings().PrinterName, chosen.PrinterName);
    EXPECT_EQ(info.Settings().PaperId, 50);
}

// A user size is taken up to the longest page a PDF holds, on both sides.
struct CustomSizeCase {
    const char *name;
    QSize stored;
    QSize kept;
};

class PrinterInfoCustomSize : public PrinterInfoTest, public testing::WithParamInterface<CustomSizeCase> {};

TEST_P(PrinterInfoCustomSize, isBoundedWhenRead)
{
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(storedSettings(TPrinterInfo::FileVersion, QStringLiteral("Office"), CustomPaperId, GetParam().stored));
    f.close();
    const TPrinterInfo info(file(), backend);
    EXPECT_EQ(info.Settings().CustomSize, GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PrinterInfoCustomSize,
    testing::Values(CustomSizeCase{"longestTaken", {1000, MaxCustomPaperLength}, {1000, MaxCustomPaperLength}},
                    CustomSizeCase{"longerDropped", {1000, MaxCustomPaperLength + 1}, {}},
                    CustomSizeCase{"eightKilometresDropped", {80'000'000, 2970}, {}},
                    CustomSizeCase{"smallestTaken", {1, 1}, {1, 1}},
                    CustomSizeCase{"emptyDropped", {0, 1480}, {}}),
    rowName);

TEST_F(PrinterInfoTest, savedSettingsComeBackEvenForLongPrinterNames)
{
    {
        TPrinterInfo info(file(), backend);
        TPrinterSettings s;
        s.PrinterName = backend.printers.at(1);
        s.PaperId = 50;
        s.Orientation = 2;
        s.Copies = 3;
        s.Resolution = 300;
        info.AssignSettings(s);
        QString error;
        ASSERT_TRUE(info.Save(&error)) << error.toStdString();
    }
    TPrinterInfo back(file(), backend);
    EXPECT_EQ(back.Settings().PrinterName, backend.printers.at(1));
    EXPECT_EQ(back.Settings().PaperId, 50);
    EXPECT_EQ(back.GetOrientation(), 2);
    EXPECT_EQ(back.GetCopies(), 3);
    EXPECT_EQ(back.Settings().Resolution, 300);
    backend.printers.removeAt(1); // the printer is gone
    TPrinterInfo gone(file(), backend);
    EXPECT_EQ(gone.Settings().PrinterName, QStringLiteral("Office"));
    EXPECT_EQ(gone.Settings().PaperId, 0);
}

// The PDF file of the kind round-trips byte for byte; a file written
// without one (as before the file was kept) reads as naming none, and a
// printer gone since keeps the file proposed.
TEST_F(PrinterInfoTest, thePdfOutputFileIsKeptWithTheSettings)
{
    TPrinterSettings s;
    s.PrinterName = QStringLiteral("Office");
    s.OutputFile = QStringLiteral("/home/利用者/宛名 2014.pdf");
    QByteArray written;
    {
        TPrinterInfo info(file(), backend);
        info.AssignSettings(s);
        ASSERT_TRUE(info.Save());
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        written = f.readAll();
    }
    {
        TPrinterInfo back(file(), backend);
        EXPECT_EQ(back.Settings().OutputFile, s.OutputFile);
        back.AssignSettings(back.Settings());
        ASSERT_TRUE(back.Save());
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray again = f.readAll();
        const auto differ = std::mismatch(written.cbegin(), written.cend(), again.cbegin(), again.cend());
        EXPECT_EQ(again, written) << "first differing byte " << (differ.first - written.cbegin());
    }
    backend.printers.removeFirst(); // Office is gone: the default stands in
    EXPECT_EQ(TPrinterInfo(file(), backend).Settings().OutputFile, s.OutputFile);

    // A file as written before the output file was kept: nothing after the resolution.
    TItemWriter w;
    w.writeBytes(QByteArrayLiteral("MVPI"));
    w.writeUInt32(TPrinterInfo::FileVersion);
    w.writeXorWideString(backend.printers.first());
    for (qint32 value : {9, 0, 0})
        w.writeInt32(value);
    w.writeByte(1);
    w.writeInt32(1);
    w.writeInt32(0);
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(w.bytes());
    f.close();
    const TPrinterInfo earlier(file(), backend);
    EXPECT_EQ(earlier.Settings().PaperId, 9);
    EXPECT_TRUE(earlier.Settings().OutputFile.isEmpty());
}

// A printer switched off or not yet found at start prints on the default
// printer for the session, but the file keeps the user's printer and paper
// for when it is back; a printer the user then chooses replaces them.
TEST_F(PrinterInfoTest, aPrinterNotFoundAtStartIsNotForgottenWhenTheSettingsAreSaved)
{
    TPrinterSettings chosen;
    chosen.PrinterName = backend.printers.at(1);
    chosen.PaperId = 50;
    chosen.Orientation = 2;
    {
        TPrinterInfo info(file(), backend);
        info.AssignSettings(chosen);
        ASSERT_TRUE(info.Save());
    }
    const QString gone = backend.printers.takeAt(1);
    {
        TPrinterInfo info(file(), backend);
        EXPECT_EQ(info.Settings().PrinterName, QStringLiteral("Office"));
        info.SelectPaper(9, 1, 2100, 2970); // printing on the default printer
        QString error;
        EXPECT_TRUE(info.Save(&error)) << error.toStdString();
    }
    backend.printers.append(gone);
    {
        TPrinterInfo info(file(), backend);
        EXPECT_EQ(info.Settings().PrinterName, chosen.PrinterName);
        EXPECT_EQ(info.Settings().PaperId, 50);
        EXPECT_EQ(info.GetOrientation(), 2);
        TPrinterSettings other;
        other.PrinterName = QStringLiteral("Office");
        other.PaperId = 9;
        backend.printers.removeAt(1);
        TPrinterInfo fallback(file(), backend);
        fallback.AssignSettings(other);
        ASSERT_TRUE(fallback.Save());
    }
    TPrinterInfo info(file(), backend);
    EXPECT_EQ(info.Settings().PaperId, 9);
}

TEST_F(PrinterInfoTest, selectPaperPrefersTheListedIdThenTheNamedSizeThenAUserSize)
{
    TPrinterInfo info(file(), backend);
    info.SelectPaper(9, 2, 1000, 1480);
    EXPECT_EQ(info.Settings().PaperId, 9);
    EXPECT_EQ(info.GetOrientation(), 2);
    info.SelectPaper(77, 1, 1000, 1480); // not listed: the paper of that size
    EXPECT_EQ(info.Settings().PaperId, 50);
    info.SelectPaper(0, 1, 1200, 2350);
    EXPECT_EQ(info.Settings().PaperId, CustomPaperId);
    EXPECT_EQ(info.Settings().CustomSize, QSize(1200, 2350));
    backend.keepsCustom = false;
    info.SelectPaper(0, 1, 1200, 2350);
    EXPECT_EQ(info.Settings().PaperId, 9); // the first listed paper
    backend.papers.removeLast();
    info.SelectPaper(50, 1, 0, 0);
    info.SelectPaper(0, 2, 1200, 2350); // no such paper, no user sizes: only the orientation
    EXPECT_EQ(info.Settings().PaperId, 50);
    EXPECT_EQ(info.GetOrientation(), 2);
}

TEST_F(PrinterInfoTest, printableRectAndConversionsInScreenUnits)
{
    TPrinterInfo info(file(), backend);
    const QRect r = info.GetPrintableRect(0, 0);
    EXPECT_EQ(r.left(), 16);
    EXPECT_EQ(r.width(), 800);
    EXPECT_EQ(info.GetPaperSize(), QPoint(816, 1120));
    EXPECT_EQ(info.TenthMMToDevice(QPoint(254, 127)), QPoint(600, 300));
    EXPECT_EQ(info.PointsToDevice(12), 100);
}

TEST_F(PrinterInfoTest, paperNamesAndTheDialogsReport)
{
    TPrinterInfo info(file(), backend);
    int error = -1;
    QString name;
    info.GetPaperName(error, name);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(name, QStringLiteral("A4"));
    EXPECT_EQ(info.Settings().PaperId, 9);
    QString device, paper;
    quint8 orientation = 0;
    info.GetPrinterPaperInfo(device, paper, orientation);
    EXPECT_EQ(device, QStringLiteral("Office"));
    EXPECT_EQ(paper, QStringLiteral("A4"));
    EXPECT_EQ(orientation, 1);
    backend.papers.clear();
    info.GetPaperName(error, name);
    EXPECT_EQ(error, 1);
}

TEST_F(PrinterInfoTest, aRealPdfTakesThePostcardSizeAndOrientation)
{
    const QString pdf = dir.filePath(QStringLiteral("card.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        TPrinterSettings s;
        s.PaperId = CustomPaperId;
        s.CustomSize = QSize(1000, 1480);
        s.Orientation = 2;
        TQtPrinterBackend::Configure(printer, s);
        QPainter p(&printer);
        p.drawText(100, 100, QStringLiteral("x"));
    }
    // 148 x 100 mm on its side: 419.53 x 283.46 points, landscape (wider than high).
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (!pdfinfo.isEmpty()) {
        QProcess proc;
        proc.start(pdfinfo, {pdf});
        ASSERT_TRUE(proc.waitForFinished(20000));
        const QString out = QString::fromUtf8(proc.readAllStandardOutput());
        const auto m = QRegularExpression(QStringLiteral(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)")).match(out);
        ASSERT_TRUE(m.hasMatch()) << out.toStdString();
        EXPECT_NEAR(m.captured(1).toDouble(), 419.53, 1.0);
        EXPECT_NEAR(m.captured(2).toDouble(), 283.46, 1.0);
        return;
    }
    // Without poppler the page box is read from the file itself.
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(f.readAll());
    const QRegularExpression box(QStringLiteral(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])"));
    const auto m = box.match(text);
    ASSERT_TRUE(m.hasMatch());
    // The writer gives the box in whole points.
    EXPECT_NEAR(m.captured(1).toDouble(), 419.53, 1.0);
    EXPECT_NEAR(m.captured(2).toDouble(), 283.46, 1.0);
}

} // namespace
