// A new user's first list: two records typed into the record form, the list
// print opened from the main list and printed as it is offered, on the A4
// sheet it is offered on, and the sheet read back with `pdftotext -layout`.
#include "UserRoad.h"
#include "util/PrintFonts.h"

#include <QPageLayout>
#include <QPageSize>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>

namespace {

class ListPrintFirstLayout : public UserRoadFixture
{
};

} // namespace

TEST_F(ListPrintFirstLayout, printsEveryNameAndEveryAddressWholeWithoutAQuestionOfCutColumns)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    (void)PreparePrintFonts();
    ASSERT_NO_FATAL_FAILURE(enterRecords());
    action("actListPrint")->trigger();
    QPointer<TListPrint> window = list->findChild<TListPrint *>();
    ASSERT_NE(window, nullptr);
    const QPageLayout offered = window->PrinterInfo().Printer().pageLayout();
    EXPECT_EQ(offered.pageSize().id(), QPageSize::A4);
    EXPECT_EQ(offered.orientation(), QPageLayout::Portrait);
    window->PrinterInfo().SelectPdf(pdfFile());
    press(window, "rbAll");
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    press(window, "btnPrint");
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown().first().text, QStringLiteral("アドレス帳の一覧表を印刷します  \r\nよろしいですか？  "));
    delete window.data();

    QProcess run;
    run.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                           pdfFile(), QStringLiteral("-")});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QString sheet = QString::fromUtf8(run.readAllStandardOutput());
    for (const QString &typed : {QStringLiteral("山田 太郎"), QStringLiteral("株式会社ピクス"),
                                 QStringLiteral("東京都千代田区永田町一丁目７番１号"),
                                 QStringLiteral("大阪府大阪市北区梅田三丁目１番３号")})
        EXPECT_TRUE(sheet.contains(typed)) << typed.toStdString() << " not in:\n" << sheet.toStdString();
}

// The address lines a user keeps apart are printed in one cell: a house
// number on 住所２ and a building that starts with a half-width letter on
// 住所３ ("80-25" and "J1ビル") stay apart, or the sheet reads the house
// number 25J1; two numbers that meet stay apart too.
TEST_F(ListPrintFirstLayout, addressLinesKeptApartDoNotRunAHouseNumberIntoTheNextLine)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    (void)PreparePrintFonts();
    TTypedRecord building = TokyoPerson();
    building.Adrs1 = QStringLiteral("港区芝公園");
    building.Adrs2 = QStringLiteral("80-25");
    building.Adrs3 = QStringLiteral("J1ビル");
    ASSERT_NO_FATAL_FAILURE(typeRecord(building));
    TTypedRecord flat = TokyoPerson();
    flat.Name = QStringLiteral("佐藤 花子");
    flat.Adrs1 = QStringLiteral("港区芝");
    flat.Adrs2 = QStringLiteral("9-4-21");
    flat.Adrs3 = QStringLiteral("203号室");
    ASSERT_NO_FATAL_FAILURE(typeRecord(flat));
    action("actListPrint")->trigger();
    QPointer<TListPrint> window = list->findChild<TListPrint *>();
    ASSERT_NE(window, nullptr);
    window->PrinterInfo().SelectPdf(pdfFile());
    press(window, "rbAll");
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    press(window, "btnPrint");
    delete window.data();

    const QString sheet = readPdfText({QStringLiteral("-layout")});
    for (const QString &line : {QStringLiteral("J1ビル"), QStringLiteral("203号室")}) {
        const qsizetype at = sheet.indexOf(line);
        ASSERT_GT(at, 0) << line.toStdString() << " not in:\n" << sheet.toStdString();
        EXPECT_TRUE(sheet.at(at - 1).isSpace()) << "runs on from the line before it:\n" << sheet.toStdString();
    }
}
