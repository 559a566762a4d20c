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
