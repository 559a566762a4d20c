// Three postcards printed from the main list through the print wizard to a
// PDF file, while another program on the same book changes every address
// after the first card has printed. The cards still to print carry the
// address the book holds when they print, not the one it held when the run
// began: the run reads each piece's record just before it prints it. Read
// back with pdftotext.
#include "UserRoad.h"
#include "platform/Cp932.h"

#include <QProgressDialog>
#include <QRegularExpression>
#include <QTimer>

namespace {

class PrintRunReadsChangedRecord : public PdfRoadFixture
{
};

TEST_F(PrintRunReadsChangedRecord, cardsPrintedAfterAnotherProgramChangesTheBookCarryTheChange)
{
    if (stopped())
        return;
    for (const QString &name : {QStringLiteral("山田 太郎"), QStringLiteral("佐藤 花子"), QStringLiteral("鈴木 一郎")}) {
        TTypedRecord r = TokyoPerson();
        r.Name = name;
        ASSERT_NO_FATAL_FAILURE(typeRecord(r));
    }
    selectRows({0, 1, 2});
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);

    // Another program's write, once the run has printed its first card.
    const QString moved = QStringLiteral("大阪市北区中之島一丁目");
    const QByteArray sql =
        "UPDATE Data SET Adrs1 = X'" + Cp932::encode(moved).toHex() + "';";
    bool written = false;
    QTimer other;
    other.setInterval(0);
    QObject::connect(&other, &QTimer::timeout, [&] {
        auto *progress = editor->findChild<QProgressDialog *>(QStringLiteral("PrintProgress"));
        if (written || !progress || progress->value() < 1)
            return;
        written = true;
        alterBook(sql.constData());
    });
    other.start();
    ASSERT_TRUE(runPrintWizard(*editor));
    other.stop();
    ASSERT_TRUE(written) << "the run showed no progress";

    // Columns of vertical writing: read without blanks and line ends.
    const QString text = readPdfText().remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_EQ(text.count(QStringLiteral("中之島")), 2) << qPrintable(text);
    EXPECT_EQ(text.count(QStringLiteral("永田町")), 1) << qPrintable(text);
}

} // namespace
