// A new user's first list: two records typed into the record form, the list
// print opened from the main list and printed as it is offered, on the A4
// sheet it is offered on, and the sheet read back with `pdftotext -layout`.
#include "UserRoad.h"
#include "exchange/ListPrtLayout.h"
#include "exchange/ListPrtPaint.h"
#include "platform/Cp932.h"
#include "platform/Folders.h"
#include "util/PrintFonts.h"

#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <map>

namespace {

class ListPrintFirstLayout : public UserRoadFixture
{
protected:
    // Every row of the list printed to the PDF through 印刷, the question
    // to print answered yes and the report taken.
    void printAll(TListPrint *Window)
    {
        Window->PrinterInfo().SelectPdf(pdfFile());
        press(Window, "rbAll");
        boxes.enqueue(IDYES);
        boxes.enqueue(IDOK);
        press(Window, "btnPrint");
    }
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
    printAll(window);
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
    printAll(window);
    delete window.data();

    const QString sheet = readPdfText({QStringLiteral("-layout")});
    for (const QString &line : {QStringLiteral("J1ビル"), QStringLiteral("203号室")}) {
        const qsizetype at = sheet.indexOf(line);
        ASSERT_GT(at, 0) << line.toStdString() << " not in:\n" << sheet.toStdString();
        EXPECT_TRUE(sheet.at(at - 1).isSpace()) << "runs on from the line before it:\n" << sheet.toStdString();
    }
}

// The list print's own templates as the installation lays them down: their
// install rule run into an empty prefix, the program folder taken where the
// program installed in <prefix>/bin finds it, and 一覧表の印刷 opened from the
// main list. Under オリジナル it offers every template authored for the
// program, in order; each, chosen with the keyboard, takes its columns and
// prints them on the A4 sheet offered without a question of cut columns,
// each header and the typed texts of its columns whole.
TEST_F(ListPrintFirstLayout, theInstalledProgramOffersItsOwnTemplatesUnderOriginalAndPrintsThem)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    (void)PreparePrintFonts();
    QTemporaryDir prefix;
    QProcess install;
    install.start(QStringLiteral(MURVEN_CMAKE_COMMAND),
                  {QStringLiteral("-DCMAKE_INSTALL_PREFIX=") + prefix.path(),
                   QStringLiteral("-DCMAKE_INSTALL_COMPONENT=list_templates"), QStringLiteral("-P"),
                   QStringLiteral(MURVEN_APP_INSTALL_SCRIPT)});
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    QFile source(QStringLiteral(MURVEN_LIST_TEMPLATES_SOURCE));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    TListPrintTemplates authored;
    ASSERT_EQ(ReadTemplateBytes(Cp932::encode(QString::fromUtf8(source.readAll())), authored), TTemplateRead::Read);
    ASSERT_FALSE(authored.empty());
    ASSERT_LE(authored.size(), 10U);

    // A full address with its building, as most users' addresses are: every
    // address column prints it whole.
    ASSERT_NO_FATAL_FAILURE(enterRecords(QStringLiteral("0335810101"), QStringLiteral("花子"),
                                         QStringLiteral("山田 太郎"), QStringLiteral("ピクス永田町ビル１０階")));
    const QString keptFolder = AppPath;
    const QByteArray keptVariable = qgetenv("MURVEN_PROGRAM_DIR");
    qputenv("MURVEN_PROGRAM_DIR", QDir(prefix.path()).filePath(QStringLiteral("share/murven19")).toLocal8Bit());
    AppPath = Folders::programFolder();
    action("actListPrint")->trigger();
    AppPath = keptFolder;
    qputenv("MURVEN_PROGRAM_DIR", keptVariable);
    QPointer<TListPrint> window = list->findChild<TListPrint *>();
    ASSERT_NE(window, nullptr);

    // The type box offers オリジナル above カスタム, which it opens on.
    ASSERT_EQ(window->cbxTemplateType->itemText(0), QStringLiteral("オリジナル"));
    window->cbxTemplateType->setFocus();
    QTest::keyClick(window->cbxTemplateType, Qt::Key_Home);
    ASSERT_EQ(window->cbxTemplateType->currentText(), QStringLiteral("オリジナル"));
    QStringList offered;
    for (int i = 0; i < window->cbxTemplateName->count(); ++i)
        offered << window->cbxTemplateName->itemText(i);
    QStringList names;
    for (const TListPrintTemplate &t : authored)
        names << t.Name;
    ASSERT_EQ(offered.join(u'、').toStdString(), names.join(u'、').toStdString());

    const std::vector<TListPrintItem> items = MakeListPrintItems({});
    // The typed texts a column of these items prints.
    const std::map<int, QString> typed{{4, QStringLiteral("0335810101")}, {11, QStringLiteral("東京都千代田区永田町一丁目７番１号ピクス永田町ビル１０階")},
                                       {15, QStringLiteral("株式会社ピクス")}, {17, QStringLiteral("営業部")},
                                       {19, QStringLiteral("山田 太郎")},    {24, QStringLiteral("花子")}};
    for (std::size_t t = 0; t < authored.size(); ++t) {
        SCOPED_TRACE(authored[t].Name.toStdString());
        if (t > 0)
            QTest::keyClick(window->cbxTemplateName, Qt::Key_Down);
        ASSERT_EQ(window->cbxTemplateName->currentText(), authored[t].Name);
        ASSERT_EQ(window->ColumnEditor().Columns(), authored[t].Columns);
        ASSERT_EQ(window->lbxDest->count(), static_cast<int>(authored[t].Columns.size()) + 1);

        QFile::remove(pdfFile());
        const qsizetype shownBefore = boxes.shown().size();
        printAll(window);
        ASSERT_EQ(boxes.shown().size(), shownBefore + 2) << "a question of cut columns was asked";
        const QString sheet = readPdfText({QStringLiteral("-layout")});
        for (const TListPrintColumn &c : authored[t].Columns) {
            if (c.ItemNo == 0)
                continue;
            const QString caption = ListPrintHeaderCaption(items, c.ItemNo).trimmed();
            EXPECT_TRUE(sheet.contains(caption)) << caption.toStdString() << " not in:\n" << sheet.toStdString();
            if (const auto text = typed.find(c.ItemNo); text != typed.end()) {
                EXPECT_TRUE(sheet.contains(text->second)) << text->second.toStdString() << " not in:\n"
                                                          << sheet.toStdString();
            }
        }
    }
    delete window.data();
}
