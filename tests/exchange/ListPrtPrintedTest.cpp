// The list print as a user meets it: the window opened from the main list
// on a book with records, printed to a PDF, and the paper read back through
// `pdftotext -layout`, as a person reads the sheet.
#include "addressbook/AdrsListView.h"
#include "addressbook/BookFixture.h"
#include "addressbook/TableBook.h"
#include "core/AppSub.h"
#include "core/Env.h"
#include "core/Inquiry.h"
#include "exchange/ListPrt.h"
#include "exchange/ListPrtPreview.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/FileHelpers.h"
#include "support/OtherHandle.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <map>

namespace {

const QString kQuestion = QStringLiteral("アドレス帳の一覧表を印刷します  \r\nよろしいですか？  ");

// One record as stored: the name in its wide form, the address in four parts.
struct TPerson {
    QString Name;
    QString Tdfkn;
    QString Adrs1;
    QString Adrs2;
};

class ListPrintPrintedTest : public BookFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        DMMurven19->CreateDatabase();
        DMMurven19->Connect();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        saved = ListPrintOpener;
        RegisterListPrint();
    }
    void TearDown() override
    {
        delete window.data();
        ListPrintOpener = saved;
        BookFixture::TearDown();
    }

    static void addPeople(const std::vector<TPerson> &people)
    {
        TTable &table = *DMMurven19->AdrsTable();
        table.BeginBatch();
        for (const TPerson &p : people)
            appendRecord(table, {{"NameKanji", EncodeUnicodeField(p.Name)},
                                 {"Tdfkn", Cp932::encode(p.Tdfkn)},
                                 {"Adrs1", Cp932::encode(p.Adrs1)},
                                 {"Adrs2", Cp932::encode(p.Adrs2)}});
        table.EndBatch();
    }

    // The window opened by the main list's command, printing every shown row
    // into the PDF on A4 of the given orientation.
    TListPrint *open(QPageLayout::Orientation orientation = QPageLayout::Portrait)
    {
        openList();
        action("actListPrint")->trigger();
        window = list->findChild<TListPrint *>();
        if (window.isNull())
            return nullptr;
        window->PrinterInfo().SelectPdf(pdf());
        window->PrinterInfo().Printer().setPageSize(QPageSize(QPageSize::A4));
        window->PrinterInfo().Printer().setPageOrientation(orientation);
        window->rbAll->click();
        return window;
    }

    // Sets item at the end of the chosen columns, as wide as given.
    static void setItem(TListPrint *w, int item, int width)
    {
        for (int row = 0; row < w->lbxSrc->count(); ++row)
            if (w->lbxSrc->item(row)->data(Qt::UserRole).toInt() == item)
                w->lbxSrc->setCurrentRow(row);
        ASSERT_EQ(w->lbxSrc->currentItem()->data(Qt::UserRole).toInt(), item);
        w->lbxDest->setCurrentRow(w->lbxDest->count() - 1);
        w->bbtnSet->click();
        w->lbxDest->setCurrentRow(w->lbxDest->count() - 2);
        w->edtSize->setValue(width);
    }

    QString pdf() const { return DataPath + QStringLiteral("list.pdf"); }

    // The PDF's text laid out as on the sheet.
    QString sheet() const
    {
        QProcess run;
        run.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf(),
                   QStringLiteral("-")});
        EXPECT_TRUE(run.waitForFinished(120000));
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        return QString::fromUtf8(run.readAllStandardOutput());
    }

    // A book two pages long for the columns No. (4), name (16) and address
    // (24), every shown row chosen: each record's name by its number, and
    // the list's records in its order.
    TListPrint *openTwoPages(std::map<qint32, QString> &names, std::vector<qint32> &rows)
    {
        const auto nameOf = [](int i) { return QStringLiteral("利用者%1").arg(i, 3, 10, QLatin1Char('0')); };
        addPeople({{nameOf(1), QStringLiteral("東京都"), QStringLiteral("港区芝1"), {}}});
        TListPrint *w = open();
        if (w == nullptr)
            return nullptr;
        w->bbtnAllDelete->click();
        setItem(w, 1, 4);
        setItem(w, 19, 16);
        setItem(w, 11, 24);
        w->UpdatePageCapacity();
        const int perPage = w->RecordsPerPage();
        if (perPage < 3)
            return nullptr;
        std::vector<TPerson> more;
        for (int i = 2; i <= perPage + 3; ++i)
            more.push_back({nameOf(i), QStringLiteral("東京都"), QStringLiteral("港区芝%1").arg(i), {}});
        addPeople(more);
        list->RefreshList(false, true, true);
        w->rbAll->click();
        for (int i = 1; i <= perPage + 3; ++i)
            names[i] = nameOf(i);
        for (int row = 0; row < list->GetRowCount(); ++row)
            rows.push_back(list->GetRowRecNo(row));
        return w;
    }

    // A book of records for the columns No. (4), name (16) and address
    // (24), every shown row chosen: count(records a page holds) records,
    // each record's name by its number, and the list's records in its order.
    TListPrint *openRecords(const std::function<int(int)> &count, std::map<qint32, QString> &names,
                            std::vector<qint32> &rows)
    {
        const auto nameOf = [](int i) { return QStringLiteral("利用者%1").arg(i, 3, 10, QLatin1Char('0')); };
        const auto person = [&nameOf](int i) {
            return TPerson{nameOf(i), QStringLiteral("東京都"), QStringLiteral("港区芝%1").arg(i), {}};
        };
        addPeople({person(1)});
        TListPrint *w = open();
        if (w == nullptr)
            return nullptr;
        w->bbtnAllDelete->click();
        setItem(w, 1, 4);
        setItem(w, 19, 16);
        setItem(w, 11, 24);
        w->UpdatePageCapacity();
        std::vector<TPerson> more;
        for (int i = 2; i <= count(w->RecordsPerPage()); ++i)
            more.push_back(person(i));
        addPeople(more);
        list->RefreshList(false, true, true);
        w->rbAll->click();
        for (int i = 1; i <= count(w->RecordsPerPage()); ++i)
            names[i] = nameOf(i);
        for (int row = 0; row < list->GetRowCount(); ++row)
            rows.push_back(list->GetRowRecNo(row));
        return w;
    }

    // The files of the data folder, hidden ones too.
    static QStringList dataFiles()
    {
        return QDir(DataPath).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    // The sheet's pages, without the empty tail pdftotext leaves.
    QStringList pages() const
    {
        QStringList all = sheet().split(QLatin1Char('\f'));
        while (!all.isEmpty() && all.last().trimmed().isEmpty())
            all.removeLast();
        return all;
    }

    // As another program deletes records, on a handle of its own. The reason
    // when the book refused.
    static QString deleteElsewhere(const std::vector<qint32> &deleted)
    {
        try {
            OtherHandle handle(*DMMurven19->AdrsTable());
            for (const qint32 recNo : deleted) {
                if (!handle.table.FindKey({QVariant(recNo)}))
                    return QStringLiteral("no record %1").arg(recNo);
                handle.table.Delete();
            }
        } catch (const ETableError &e) {
            return e.Message();
        }
        return {};
    }

    // As another program saves: one record renamed, another deleted, on a
    // handle of its own. The reason when the book refused either.
    static QString changeElsewhere(qint32 renamed, const QString &name, qint32 deleted)
    {
        try {
            OtherHandle handle(*DMMurven19->AdrsTable());
            TTable &other = handle.table;
            if (!other.FindKey({QVariant(renamed)}))
                return QStringLiteral("no record %1").arg(renamed);
            other.Edit();
            other.FieldByName(QStringLiteral("NameKanji")).SetAsBytes(EncodeUnicodeField(name));
            other.Post();
            if (!other.FindKey({QVariant(deleted)}))
                return QStringLiteral("no record %1").arg(deleted);
            other.Delete();
        } catch (const ETableError &e) {
            return e.Message();
        }
        return {};
    }

    TListPrintOpener saved;
    QPointer<TListPrint> window;
};

bool hasPdfToText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

} // namespace

// A new user's first list: the main list's columns as offered, on the A4
// sheet offered. Every column fits, so nothing is named before printing, and
// every record's name is on the paper.
TEST_F(ListPrintPrintedTest, theFirstLayoutAsOfferedPrintsEveryColumnAndEveryName)
{
    if (!hasPdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    addPeople({{QStringLiteral("山田 太郎"), QStringLiteral("東京都"), QStringLiteral("千代田区永田町一丁目７番１号"), {}},
               {QStringLiteral("佐々木 美智子"), QStringLiteral("大阪府"), QStringLiteral("大阪市北区梅田三丁目１番３号"),
                QStringLiteral("梅田ビル５階")},
               {QStringLiteral("長谷川 一"), QStringLiteral("北海道"), QStringLiteral("札幌市中央区"), {}}});
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->cbxTemplateName->currentText(), QStringLiteral("アドレス帳一覧のレイアウト"));
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown().first().text, QStringLiteral("アドレス帳の一覧表を印刷します  \r\nよろしいですか？  "));
    const QString text = sheet();
    for (const QString &caption : {QStringLiteral("No."), QStringLiteral("グループ"), QStringLiteral("TEL"),
                                   QStringLiteral("代表"), QStringLiteral("住所"), QStringLiteral("会社名"),
                                   QStringLiteral("名前"), KeywordNames[1].isEmpty() ? QStringLiteral("キーワード１")
                                                                                       : KeywordNames[1]})
        EXPECT_TRUE(text.contains(caption)) << caption.toStdString() << "\n" << text.toStdString();
    for (const QString &name : {QStringLiteral("山田 太郎"), QStringLiteral("佐々木 美智子"), QStringLiteral("長谷川 一")})
        EXPECT_TRUE(text.contains(name)) << name.toStdString() << "\n" << text.toStdString();
    // The columns the new user has not filled in gave way: every address
    // is on the paper whole.
    for (const QString &address : {QStringLiteral("東京都千代田区永田町一丁目７番１号"),
                                   QStringLiteral("大阪府大阪市北区梅田三丁目１番３号梅田ビル５階"),
                                   QStringLiteral("北海道札幌市中央区")})
        EXPECT_TRUE(text.contains(address)) << address.toStdString() << "\n" << text.toStdString();
}

// Columns wider than the sheet: the question names the one cut at the
// sheet's edge apart from those not printed at all, and the paper agrees.
TEST_F(ListPrintPrintedTest, theQuestionNamesExactlyTheColumnCutAndTheColumnsLeftOut)
{
    if (!hasPdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    addPeople({{QStringLiteral("山田 太郎"), QStringLiteral("東京都"), QStringLiteral("千代田区永田町"), {}}});
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    // 住所 and 会社名 at their widths, then a 会社名 too wide for the rest
    // of an A4 sheet, then 名前 and 郵便番号 beyond it.
    ASSERT_NO_FATAL_FAILURE(setItem(w, 11, 50));
    ASSERT_NO_FATAL_FAILURE(setItem(w, 15, 200));
    ASSERT_NO_FATAL_FAILURE(setItem(w, 19, 14));
    ASSERT_NO_FATAL_FAILURE(setItem(w, 10, 8));
    boxes.enqueue(IDYES);
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 3);
    const QString warning = boxes.shown().first().text;
    EXPECT_TRUE(warning.contains(QStringLiteral("途中で切れる列：会社名  \r\n"))) << warning.toStdString();
    EXPECT_TRUE(warning.contains(QStringLiteral("印刷されない列：名前、郵便番号  \r\n"))) << warning.toStdString();
    EXPECT_FALSE(warning.contains(QStringLiteral("住所"))) << warning.toStdString();
    const QString text = sheet();
    EXPECT_TRUE(text.contains(QStringLiteral("会社名"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("名前"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("〒"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("山田"))) << text.toStdString();
}

// The date printed above the table reads as the window's date field shows it.
TEST_F(ListPrintPrintedTest, thePrintedDateReadsAsTheDateFieldShowsIt)
{
    if (!hasPdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    addPeople({{QStringLiteral("山田 太郎"), QStringLiteral("東京都"), QStringLiteral("千代田区永田町"), {}}});
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->dtpViewDate->setFocus();
    w->dtpViewDate->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(w->dtpViewDate, QStringLiteral("2026"));
    w->dtpViewDate->setSelectedSection(QDateTimeEdit::MonthSection);
    QTest::keyClicks(w->dtpViewDate, QStringLiteral("12"));
    w->dtpViewDate->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(w->dtpViewDate, QStringLiteral("07"));
    ASSERT_EQ(w->dtpViewDate->text(), QStringLiteral("2026/12/07"));
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    const QString text = sheet();
    EXPECT_TRUE(text.contains(QStringLiteral("2026/12/07"))) << text.toStdString();
}

// A thousand varied records on a layout that fits A4 landscape: the texts
// longer than their cells are clipped as the layout asks, and the user is
// told before printing how many records of which columns lose text.
TEST_F(ListPrintPrintedTest, textsLongerThanTheirCellsAreCountedBeforePrinting)
{
    if (!hasPdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    // Full-width characters only: each is two half-width columns wide, so
    // whether a text fits its column is plain from its length. Lengths stay
    // at least a character away from the column's width.
    const QStringList given{QStringLiteral("太郎"), QStringLiteral("美智子"), QStringLiteral("一"),
                            QStringLiteral("𠮷之助")};
    const QStringList family{QStringLiteral("山田"), QStringLiteral("佐々木"), QStringLiteral("長谷川"),
                             QStringLiteral("勅使河原")};
    const QStringList towns{QStringLiteral("千代田区永田町"), QStringLiteral("中央区日本橋本石町"),
                            QStringLiteral("港区芝公園"), QStringLiteral("札幌市中央区北一条西")};
    const QStringList rooms{QString(), QStringLiteral("第２郵便ハウス５０１"), QStringLiteral("１ー２ー３"),
                            QStringLiteral("グランドメゾン永田町ウエストタワー")};
    constexpr int nameWidth = 14;    // 7 full-width characters
    constexpr int addressWidth = 40; // 20 full-width characters
    std::vector<TPerson> people;
    int longNames = 0;
    int longAddresses = 0;
    for (int i = 0; i < 1000; ++i) {
        TPerson p;
        // A name of family, full-width blank and given name.
        p.Name = family[i % 4] + QStringLiteral("　") + given[(i / 4) % 4];
        p.Tdfkn = QStringLiteral("東京都");
        p.Adrs1 = towns[(i / 3) % 4];
        p.Adrs2 = rooms[(i / 7) % 4];
        people.push_back(p);
        longNames += 2 * static_cast<int>(p.Name.toUcs4().size()) > nameWidth ? 1 : 0;
        longAddresses += 2 * static_cast<int>((p.Tdfkn + p.Adrs1 + p.Adrs2).toUcs4().size()) > addressWidth ? 1 : 0;
    }
    ASSERT_GT(longNames, 0);
    ASSERT_GT(longAddresses, 0);
    addPeople(people);
    TListPrint *w = open(QPageLayout::Landscape);
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    ASSERT_NO_FATAL_FAILURE(setItem(w, 1, 5));
    ASSERT_NO_FATAL_FAILURE(setItem(w, 19, nameWidth));
    ASSERT_NO_FATAL_FAILURE(setItem(w, 11, addressWidth));
    boxes.enqueue(IDYES);
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 3);
    const QString warning = boxes.shown().first().text;
    EXPECT_FALSE(warning.contains(QStringLiteral("列："))) << "every column fits: " << warning.toStdString();
    EXPECT_TRUE(warning.contains(QStringLiteral("名前：%1件  \r\n").arg(longNames))) << warning.toStdString();
    EXPECT_TRUE(warning.contains(QStringLiteral("住所：%1件  \r\n").arg(longAddresses))) << warning.toStdString();
    EXPECT_FALSE(warning.contains(QStringLiteral("＜通番＞"))) << warning.toStdString();
    EXPECT_TRUE(warning.endsWith(QStringLiteral("このまま印刷しますか？  "))) << warning.toStdString();

    // The clipping stays: the room number of a long address is not printed.
    const QString text = sheet();
    EXPECT_TRUE(text.contains(QStringLiteral("東京都千代田区永田町"))) << text.left(2000).toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("グランドメゾン永田町ウエストタワー")));
}

// Refused at the question, nothing is printed.
TEST_F(ListPrintPrintedTest, refusingTheCutTextsQuestionPrintsNothing)
{
    addPeople({{QStringLiteral("勅使河原　美智子之助"), QStringLiteral("東京都"), QStringLiteral("千代田区永田町"), {}}});
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    ASSERT_NO_FATAL_FAILURE(setItem(w, 19, 8));
    boxes.enqueue(IDNO);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.shown().first().text.contains(QStringLiteral("名前：1件"))) << boxes.shown().first().text.toStdString();
    EXPECT_FALSE(QFile::exists(pdf()));
}

// The first layout, applied and unedited, fits the page as it is set: larger
// letters narrow it anew. Once the user changed a column, the columns are
// theirs and stay as they are.
TEST_F(ListPrintPrintedTest, theFirstLayoutFollowsLargerLettersUntilTheUserEditsIt)
{
    if (!hasPdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    addPeople({{QStringLiteral("佐々木 美智子"), QStringLiteral("大阪府"), QStringLiteral("堺市"), {}}});
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    const TListPrintColumns offered = w->ColumnEditor().Columns();
    w->cbxFontSize->setCurrentIndex(12 - 7); // 12 points
    const TListPrintColumns larger = w->ColumnEditor().Columns();
    ASSERT_EQ(larger.size(), offered.size());
    EXPECT_NE(larger, offered);
    for (std::size_t i = 0; i < larger.size(); ++i)
        EXPECT_LE(larger[i].ItemSize, offered[i].ItemSize) << i;
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown().first().text, QStringLiteral("アドレス帳の一覧表を印刷します  \r\nよろしいですか？  "));
    const QString text = sheet();
    EXPECT_TRUE(text.contains(QStringLiteral("佐々木 美智子"))) << text.toStdString();

    w->lbxDest->setCurrentRow(0);
    w->edtSize->setValue(larger[0].ItemSize + 1);
    const TListPrintColumns edited = w->ColumnEditor().Columns();
    ASSERT_NE(edited, larger);
    w->cbxFontSize->setCurrentIndex(10 - 7);
    EXPECT_EQ(w->ColumnEditor().Columns(), edited);
}

// A record added after the window opened, with a longer address: the first
// layout, still applied and unedited, is narrowed to the rows as they are
// when the print is asked for, and the sheet shows what the question told.
TEST_F(ListPrintPrintedTest, theFirstLayoutTakesRecordsAddedWhileTheWindowIsOpen)
{
    if (!hasPdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    addPeople({{QStringLiteral("山田 太郎"), QStringLiteral("東京都"), QStringLiteral("港区芝"), {}}});
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    addPeople({{QStringLiteral("佐々木 美智子"), QStringLiteral("大阪府"), QStringLiteral("大阪市北区梅田三丁目１番３号"),
                QStringLiteral("梅田ビル５階")}});
    list->RefreshList(false, true, true);
    ASSERT_EQ(list->GetRowCount(), 2);
    w->rbAll->click();
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown().first().text, QStringLiteral("アドレス帳の一覧表を印刷します  \r\nよろしいですか？  "));
    const QString text = sheet();
    EXPECT_TRUE(text.contains(QStringLiteral("大阪府大阪市北区梅田三丁目１番３号梅田ビル５階"))) << text.toStdString();
}

// While the question waits the book is free, and another program renames a
// record and deletes the last record of the first page: the sheet shows the
// new name, not the deleted record, and every other record; the next record
// moves up into the first page and the numbers run on without a gap.
TEST_F(ListPrintPrintedTest, whatAnotherProgramSavesWhileTheQuestionWaitsIsWhatPrints)
{
    if (!hasPdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    std::map<qint32, QString> names;
    std::vector<qint32> rows;
    TListPrint *w = openTwoPages(names, rows);
    ASSERT_NE(w, nullptr);
    const int perPage = w->RecordsPerPage();
    ASSERT_EQ(static_cast<int>(rows.size()), perPage + 3);
    ASSERT_EQ(w->DataCount(), perPage + 3);
    ASSERT_EQ(w->PageCount(), 2);
    const qint32 renamed = rows[1];
    const qint32 deleted = rows[static_cast<std::size_t>(perPage) - 1];
    const QString newName = QStringLiteral("改名済花子");
    QString refused = QStringLiteral("the question was not asked");
    boxes.whileShown([&](const TMessageBoxRequest &box) {
        if (box.text == kQuestion)
            refused = changeElsewhere(renamed, newName, deleted);
    });
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    EXPECT_EQ(refused, QString());
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown().first().text, kQuestion);
    EXPECT_EQ(boxes.last().text, QStringLiteral("一覧表の印刷が完了しました  "));

    const QString text = sheet();
    QStringList pages = text.split(QLatin1Char('\f'));
    while (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    ASSERT_EQ(pages.size(), 2) << text.toStdString();
    EXPECT_FALSE(text.contains(names[renamed])) << text.toStdString();
    EXPECT_FALSE(text.contains(names[deleted])) << text.toStdString();
    // The records left, in the list's order: the first page full, each
    // beside its number.
    int k = 0;
    for (const qint32 recNo : rows) {
        if (recNo == deleted)
            continue;
        const QString name = recNo == renamed ? newName : names[recNo];
        const QString &page = pages[k < perPage ? 0 : 1];
        const QRegularExpression line(
            QStringLiteral("^\\s*%1\\s+%2(\\s|$)").arg(k + 1).arg(QRegularExpression::escape(name)),
            QRegularExpression::MultilineOption);
        EXPECT_TRUE(line.match(page).hasMatch()) << (k + 1) << " " << name.toStdString() << " not in:\n"
                                                 << page.toStdString();
        ++k;
    }
    EXPECT_EQ(k, perPage + 2);
}

// The preview drawn again after another program saved shows the book as it
// is now: the new name, and not the record deleted.
TEST_F(ListPrintPrintedTest, aPreviewDrawnAfterAnotherProgramSavedShowsTheBookAsItIs)
{
    std::map<qint32, QString> names;
    std::vector<qint32> rows;
    TListPrint *w = openTwoPages(names, rows);
    ASSERT_NE(w, nullptr);
    w->btnPreview->click();
    TListPrintPreview *preview = w->Preview();
    ASSERT_NE(preview, nullptr);
    ASSERT_EQ(preview->PreviewPageCount(), 2);
    const auto texts = [preview] {
        QStringList shown;
        for (const TListDrawCall &call : preview->PreviewPage().Calls())
            if (call.Kind == TListDrawCall::TKind::Text)
                shown << call.Text;
        return shown.join(QLatin1Char('\n'));
    };
    const qint32 renamed = rows[1];
    const qint32 deleted = rows[2];
    ASSERT_TRUE(texts().contains(names[renamed]));
    ASSERT_TRUE(texts().contains(names[deleted]));
    const QString newName = QStringLiteral("改名済花子");
    ASSERT_EQ(changeElsewhere(renamed, newName, deleted), QString());
    preview->sbtnNext->click();
    preview->sbtnFirst->click();
    ASSERT_EQ(preview->PreviewPageNo(), 1);
    const QString shown = texts();
    EXPECT_TRUE(shown.contains(newName)) << shown.toStdString();
    EXPECT_FALSE(shown.contains(names[renamed])) << shown.toStdString();
    EXPECT_FALSE(shown.contains(names[deleted])) << shown.toStdString();
    for (const qint32 recNo : {rows[0], rows[3], rows[4]})
        EXPECT_TRUE(shown.contains(names[recNo])) << names[recNo].toStdString();
}

// The preview names, beside the columns, the texts its page clips.
TEST_F(ListPrintPrintedTest, thePreviewCountsTheTextsItsPageClips)
{
    addPeople({{QStringLiteral("勅使河原　美智子"), QStringLiteral("東京都"), QStringLiteral("港区芝"), {}},
               {QStringLiteral("山田　一"), QStringLiteral("東京都"), QStringLiteral("港区芝"), {}},
               {QStringLiteral("長谷川　美智子"), QStringLiteral("東京都"), QStringLiteral("港区芝"), {}}});
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    ASSERT_NO_FATAL_FAILURE(setItem(w, 19, 10));
    ASSERT_NO_FATAL_FAILURE(setItem(w, 11, 20));
    w->btnPreview->click();
    ASSERT_NE(w->Preview(), nullptr);
    EXPECT_EQ(w->Preview()->lblCutColumns->text(), QStringLiteral("途中で切れる文字（このページ）：名前：2件"));
    w->lbxDest->setCurrentRow(0);
    w->edtSize->setValue(16);
    EXPECT_EQ(w->Preview()->lblCutColumns->text(), QString());
}

// ---- Records deleted while the run prints ---------------------------------------

struct DeletedCase {
    const char *name;
    int pageType;          // the page number's form; 3 prints the count
    const char *pageText;  // what the first page's number reads
};

class ListPrintDeletedRecords : public ListPrintPrintedTest, public ::testing::WithParamInterface<DeletedCase>
{
};

// One record more than a page holds, and another program deletes five of
// them while the question waits: the rows left fill the first page, numbered
// 1 on without a gap, and no second page of headings alone follows; where
// the page number carries the count, it counts the one page printed.
TEST_P(ListPrintDeletedRecords, fiveDeletedWhileTheQuestionWaitsLeaveNoPageOfHeadingsAlone)
{
    if (!hasPdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    const DeletedCase &c = GetParam();
    std::map<qint32, QString> names;
    std::vector<qint32> rows;
    TListPrint *w = openRecords([](int perPage) { return perPage + 1; }, names, rows);
    ASSERT_NE(w, nullptr);
    const int perPage = w->RecordsPerPage();
    ASSERT_GE(perPage, 10);
    ASSERT_EQ(static_cast<int>(rows.size()), perPage + 1);
    ASSERT_EQ(w->PageCount(), 2);
    w->cbxPageType->setCurrentIndex(c.pageType);
    // The first, one in the middle, the last of the first page and the two
    // after it.
    const std::vector<qint32> deleted{rows[0], rows[static_cast<std::size_t>(perPage / 2)],
                                      rows[static_cast<std::size_t>(perPage - 1)],
                                      rows[static_cast<std::size_t>(perPage)], rows[1]};
    QString refused = QStringLiteral("the question was not asked");
    boxes.whileShown([&](const TMessageBoxRequest &box) {
        if (box.text == kQuestion)
            refused = deleteElsewhere(deleted);
    });
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    EXPECT_EQ(refused, QString());
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text, QStringLiteral("一覧表の印刷が完了しました  "));

    const QStringList sheets = pages();
    ASSERT_EQ(sheets.size(), 1) << sheet().toStdString();
    const QString &page = sheets.first();
    int k = 0;
    for (const qint32 recNo : rows) {
        if (std::find(deleted.begin(), deleted.end(), recNo) != deleted.end()) {
            EXPECT_FALSE(page.contains(names[recNo])) << names[recNo].toStdString();
            continue;
        }
        const QRegularExpression line(
            QStringLiteral("^\\s*%1\\s+%2(\\s|$)").arg(k + 1).arg(QRegularExpression::escape(names[recNo])),
            QRegularExpression::MultilineOption);
        EXPECT_TRUE(line.match(page).hasMatch()) << (k + 1) << " " << names[recNo].toStdString() << " not in:\n"
                                                 << page.toStdString();
        ++k;
    }
    EXPECT_EQ(k, perPage - 4);
    EXPECT_TRUE(page.contains(QString::fromUtf8(c.pageText))) << page.toStdString();
}

INSTANTIATE_TEST_SUITE_P(PageForms, ListPrintDeletedRecords,
                         ::testing::Values(DeletedCase{"pageNumberAlone", 0, "Page. 1"},
                                           DeletedCase{"pageNumberWithTheCount", 3, "Page. 1 / 1"},
                                           DeletedCase{"japaneseFormWithTheCount", 5, "1 / 1 ページ"}),
                         [](const auto &info) { return std::string(info.param.name); });

// Every record deleted by another program while the question waits: nothing
// is printed, the user is told so instead of that the print is done, and the
// earlier PDF of that name stays as it was, with nothing left beside it.
TEST_F(ListPrintPrintedTest, everyRecordDeletedWhileTheQuestionWaitsPrintsNothingAndSaysSo)
{
    std::map<qint32, QString> names;
    std::vector<qint32> rows;
    TListPrint *w = openRecords([](int) { return 3; }, names, rows);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(rows.size(), 3U);
    const QByteArray earlier("%PDF-1.4 last month's list\n%%EOF\n");
    writeBytes(pdf(), earlier);
    // The file is there: the user confirms it in the save dialog.
    w->ChoosePdfFile = [this](QWidget *, const QString &) { return pdf(); };
    const QStringList before = dataFiles();
    QString refused = QStringLiteral("the question was not asked");
    boxes.whileShown([&](const TMessageBoxRequest &box) {
        if (box.text == kQuestion)
            refused = deleteElsewhere(rows);
    });
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    EXPECT_EQ(refused, QString());
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown().first().text, kQuestion);
    EXPECT_EQ(boxes.last().text, QStringLiteral("印刷するデータがありません  "));
    EXPECT_EQ(fileBytes(pdf()), earlier);
    EXPECT_EQ(dataFiles(), before);
}

// ---- Records deleted before or while the preview is shown --------------------------

namespace {

// The rows a preview page shows, as a person reads them: each row's running
// number and name ("3 利用者004"), in the order they stand on the page.
QStringList previewRows(const TListPrintPreview &preview)
{
    std::map<int, std::vector<std::pair<double, QString>>> lines;
    for (const TListDrawCall &call : preview.PreviewPage().Calls())
        if (call.Kind == TListDrawCall::TKind::Text)
            lines[qRound(call.Rect.top())].emplace_back(call.Rect.left(), call.Text);
    QStringList rows;
    for (auto &[top, texts] : lines) {
        std::sort(texts.begin(), texts.end());
        bool number = false;
        (void)texts.front().second.toInt(&number);
        if (number && texts.size() >= 2 && texts[1].second.startsWith(QStringLiteral("利用者")))
            rows << texts[0].second + QLatin1Char(' ') + texts[1].second;
    }
    return rows;
}

// Every text the preview page draws.
QString previewText(const TListPrintPreview &preview)
{
    QStringList texts;
    for (const TListDrawCall &call : preview.PreviewPage().Calls())
        if (call.Kind == TListDrawCall::TKind::Text)
            texts << call.Text;
    return texts.join(QLatin1Char('\n'));
}

// The same rows of a printed page, read back with pdftotext.
QStringList printedRows(const QString &page)
{
    static const QRegularExpression row(QStringLiteral("^\\s*(\\d+)\\s+(利用者\\d+)(\\s|$)"),
                                        QRegularExpression::MultilineOption);
    QStringList rows;
    for (auto it = row.globalMatch(page); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        rows << m.captured(1) + QLatin1Char(' ') + m.captured(2);
    }
    return rows;
}

} // namespace

enum class DeletedWhen : std::uint8_t {
    BeforeOpening, // between the list's reading and the preview button
    WhileShown,    // while the user looks at the last page
};

struct PreviewDeletedCase {
    const char *name;
    std::function<int(int)> records;                // records, for the records a page holds
    std::function<std::vector<int>(int)> deleted;   // their 0-based rows deleted, likewise
    DeletedWhen when;
    int pageType;                                   // the page number's form; 3 and 5 print the count
};

class ListPrintPreviewDeleted : public ListPrintPrintedTest,
                                public ::testing::WithParamInterface<PreviewDeletedCase>
{
};

// Another program deletes records before the preview opens or while it is
// shown: paged with its own buttons, the preview shows the rows left filling
// the pages in the list's order, numbered on without a gap, the page count
// counts the pages they fill, and each page is the page the print prints.
TEST_P(ListPrintPreviewDeleted, theRowsLeftFillThePagesAsThePrintPrintsThem)
{
    const PreviewDeletedCase &c = GetParam();
    std::map<qint32, QString> names;
    std::vector<qint32> rows;
    TListPrint *w = openRecords(c.records, names, rows);
    ASSERT_NE(w, nullptr);
    const int perPage = w->RecordsPerPage();
    ASSERT_GE(perPage, 10);
    ASSERT_EQ(static_cast<int>(rows.size()), c.records(perPage));
    w->cbxPageType->setCurrentIndex(c.pageType);
    std::vector<qint32> deleted;
    for (const int row : c.deleted(perPage))
        deleted.push_back(rows[static_cast<std::size_t>(row)]);
    // What a person expects: the records left in the list's order, a page
    // full of them after another.
    QList<QStringList> expected;
    int k = 0;
    for (const qint32 recNo : rows) {
        if (std::find(deleted.begin(), deleted.end(), recNo) != deleted.end())
            continue;
        if (k % perPage == 0)
            expected << QStringList();
        expected.last() << QStringLiteral("%1 %2").arg(k + 1).arg(names[recNo]);
        ++k;
    }
    ASSERT_FALSE(expected.isEmpty());

    if (c.when == DeletedWhen::BeforeOpening) {
        ASSERT_EQ(deleteElsewhere(deleted), QString());
    }
    w->btnPreview->click();
    TListPrintPreview *preview = w->Preview();
    ASSERT_NE(preview, nullptr);
    if (c.when == DeletedWhen::WhileShown) {
        ASSERT_GE(preview->PreviewPageCount(), 2);
        QTest::mouseClick(preview->sbtnLast, Qt::LeftButton);
        ASSERT_EQ(preview->PreviewPageNo(), preview->PreviewPageCount());
        ASSERT_EQ(deleteElsewhere(deleted), QString());
        QTest::mouseClick(preview->sbtnFirst, Qt::LeftButton);
    }
    ASSERT_EQ(preview->PreviewPageNo(), 1);
    const int pageCount = static_cast<int>(expected.size());
    EXPECT_EQ(preview->lblPageCount->text(), QString::number(pageCount));
    QList<QStringList> shown;
    for (int page = 1;; ++page) {
        EXPECT_EQ(preview->lblPage->text(), QString::number(page));
        shown << previewRows(*preview);
        if (c.pageType >= 3) {
            EXPECT_TRUE(previewText(*preview).contains(ListPrintPageText(c.pageType, page, pageCount)))
                << previewText(*preview).toStdString();
        }
        if (!preview->sbtnNext->isEnabled() || page > pageCount)
            break;
        QTest::mouseClick(preview->sbtnNext, Qt::LeftButton);
    }
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(preview->sbtnLast->isEnabled());

    if (!hasPdfToText())
        return;
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    ASSERT_EQ(boxes.last().text, QStringLiteral("一覧表の印刷が完了しました  "));
    QList<QStringList> printed;
    for (const QString &page : pages())
        printed << printedRows(page);
    EXPECT_EQ(printed, shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListPrintPreviewDeleted,
    ::testing::Values(
        // The first row of each page: the later pages' rows move up.
        PreviewDeletedCase{"firstRowOfEachPageBeforeOpening", [](int p) { return 2 * p + 3; },
                           [](int p) { return std::vector<int>{0, p, 2 * p}; }, DeletedWhen::BeforeOpening, 0},
        // Rows across the first page's end while the last page is shown:
        // the third page goes, and the count says so.
        PreviewDeletedCase{"rowsAroundAPageEndWhileShown", [](int p) { return 2 * p + 2; },
                           [](int p) { return std::vector<int>{1, p / 2, p - 1, p}; }, DeletedWhen::WhileShown, 3},
        // A whole page's rows, the page count printed in Japanese.
        PreviewDeletedCase{"aWholePageWhileShown", [](int p) { return 2 * p + 1; },
                           [](int p) {
                               std::vector<int> rows;
                               for (int i = p; i < 2 * p; ++i)
                                   rows.push_back(i);
                               return rows;
                           },
                           DeletedWhen::WhileShown, 5},
        // The last row alone: one page fewer, no page of headings alone.
        PreviewDeletedCase{"theOneRowOfTheLastPageBeforeOpening", [](int p) { return p + 1; },
                           [](int p) { return std::vector<int>{p}; }, DeletedWhen::BeforeOpening, 3}),
    [](const auto &info) { return std::string(info.param.name); });

// The page a button would show has gone since the button was last set: the
// last page left is shown, and the buttons and the count follow.
TEST_F(ListPrintPrintedTest, aPageButtonWhosePageWentShowsTheLastPageLeft)
{
    std::map<qint32, QString> names;
    std::vector<qint32> rows;
    TListPrint *w = openRecords([](int perPage) { return perPage + 2; }, names, rows);
    ASSERT_NE(w, nullptr);
    w->btnPreview->click();
    TListPrintPreview *preview = w->Preview();
    ASSERT_NE(preview, nullptr);
    ASSERT_EQ(preview->PreviewPageCount(), 2);
    ASSERT_TRUE(preview->sbtnNext->isEnabled());
    ASSERT_EQ(deleteElsewhere({rows[0], rows[1], rows[2]}), QString());
    QTest::mouseClick(preview->sbtnNext, Qt::LeftButton);
    EXPECT_EQ(preview->PreviewPageNo(), 1);
    EXPECT_EQ(preview->lblPage->text(), QStringLiteral("1"));
    EXPECT_EQ(preview->lblPageCount->text(), QStringLiteral("1"));
    EXPECT_FALSE(preview->sbtnNext->isEnabled());
    EXPECT_FALSE(preview->sbtnLast->isEnabled());
    const QStringList shown = previewRows(*preview);
    ASSERT_EQ(shown.size(), static_cast<qsizetype>(rows.size()) - 3);
    EXPECT_EQ(shown.first(), QStringLiteral("1 ") + names[rows[3]]);
    EXPECT_EQ(shown.last(), QStringLiteral("%1 %2").arg(rows.size() - 3).arg(names[rows.back()]));
}

// ---- Every record deleted: no preview of an empty page --------------------------

struct NoneLeftCase {
    const char *name;
    // What the user does once every record is gone, with the preview open
    // (nullptr: the records go before the preview button is pressed).
    std::function<void(TListPrint &, TListPrintPreview &)> act;
};

class ListPrintPreviewNoneLeft : public ListPrintPrintedTest, public ::testing::WithParamInterface<NoneLeftCase>
{
};

// Every record chosen is deleted by another program: the user is told as the
// print tells it, and no preview of headings alone is opened or left open.
TEST_P(ListPrintPreviewNoneLeft, saysSoAndShowsNoEmptyPreview)
{
    const NoneLeftCase &c = GetParam();
    std::map<qint32, QString> names;
    std::vector<qint32> rows;
    TListPrint *w = openRecords([](int perPage) { return perPage + 3; }, names, rows);
    ASSERT_NE(w, nullptr);
    if (c.act) {
        w->btnPreview->click();
        ASSERT_NE(w->Preview(), nullptr);
        ASSERT_EQ(w->Preview()->PreviewPageCount(), 2);
    }
    ASSERT_EQ(deleteElsewhere(rows), QString());
    boxes.clear();
    boxes.enqueue(IDOK);
    if (c.act)
        c.act(*w, *w->Preview());
    else
        w->btnPreview->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, ListPrintNoDataMessage);
    EXPECT_EQ(w->Preview(), nullptr);
    EXPECT_EQ(w->btnPreview->text(), QStringLiteral("プレビューを開く"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListPrintPreviewNoneLeft,
    ::testing::Values(NoneLeftCase{"beforeThePreviewButton", nullptr},
                      NoneLeftCase{"whilePaging",
                                   [](TListPrint &, TListPrintPreview &p) {
                                       QTest::mouseClick(p.sbtnNext, Qt::LeftButton);
                                   }},
                      NoneLeftCase{"whenASettingChanges",
                                   [](TListPrint &w, TListPrintPreview &) { w.cbxRows->setCurrentIndex(1); }}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- The last layout on another page ---------------------------------------------

enum class LastLayout : std::uint8_t {
    Saved,          // saved by this version: the file says the widths were fitted
    EarlierVersion, // saved by a version that did not say
    EditedByHand,   // a width typed by the user before it was saved
};

struct LandscapeCase {
    const char *name;
    LastLayout last;
};

class ListPrintLastLayout : public ListPrintPrintedTest, public ::testing::WithParamInterface<LandscapeCase>
{
protected:
    // Fifteen addresses of 36 to 82 half-width characters.
    static std::vector<TPerson> fifteen()
    {
        const QStringList towns{QStringLiteral("千代田区永田町一丁目"), QStringLiteral("札幌市中央区北一条西二丁目"),
                                QStringLiteral("大阪市北区梅田三丁目"), QStringLiteral("名古屋市中区三の丸三丁目")};
        const QStringList rooms{QString(), QStringLiteral("第二郵便ハウス五〇一号室"),
                                QStringLiteral("グランドメゾン永田町ウエストタワー二十一階"), QStringLiteral("別館")};
        std::vector<TPerson> people;
        for (int i = 0; i < 15; ++i)
            people.push_back({QStringLiteral("顧客%1").arg(i + 1), QStringLiteral("東京都"), towns[i % 4],
                              QStringLiteral("%1番%2号").arg(i + 1).arg(i % 3 + 1) + rooms[(i / 2) % 4]});
        return people;
    }
    static QString addressOf(const TPerson &p) { return p.Tdfkn + p.Adrs1 + p.Adrs2; }
};

// After a restart the last layout is applied; the user turns the sheet to
// 横 in the window. Widths the window fitted follow the wide sheet, and every
// address prints whole; widths the user typed stay as they were.
TEST_P(ListPrintLastLayout, turnedToLandscapeAfterARestart)
{
    if (!hasPdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    const LandscapeCase &c = GetParam();
    const std::vector<TPerson> people = fifteen();
    addPeople(people);
    int longest = 0;
    for (const TPerson &p : people)
        longest = std::max(longest, ListPrintHalfWidthLength(addressOf(p)));

    // The first session: the first layout on portrait A4, saved.
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->cbxTemplateName->currentText(), QStringLiteral("アドレス帳一覧のレイアウト"));
    TListPrintColumns portrait = w->ColumnEditor().Columns();
    const auto address = std::find_if(portrait.begin(), portrait.end(),
                                      [](const TListPrintColumn &col) { return col.ItemNo == 11; });
    ASSERT_NE(address, portrait.end());
    // Portrait cuts the longer addresses.
    ASSERT_LT(address->ItemSize, longest);
    if (c.last == LastLayout::EditedByHand) {
        const auto at = static_cast<std::size_t>(address - portrait.begin());
        const int typed = address->ItemSize - 2;
        w->lbxDest->setCurrentRow(static_cast<int>(at));
        w->edtSize->setFocus();
        w->edtSize->selectAll();
        QTest::keyClicks(w->edtSize, QString::number(typed));
        QTest::keyClick(w->edtSize, Qt::Key_Tab);
        portrait = w->ColumnEditor().Columns();
        ASSERT_EQ(portrait[at].ItemSize, typed);
    }
    w->btnSave->click();
    ASSERT_EQ(boxes.count(), 0) << boxes.last().text.toStdString();
    // An earlier version narrowed the first layout only, and its settings
    // do not say that it did.
    TListPrintColumns earlier;
    if (c.last == LastLayout::EarlierVersion) {
        TListPrintJob job = w->CollectLayout();
        for (TListPrintColumn &col : job.Columns)
            col.ItemSize = job.Items[static_cast<std::size_t>(col.ItemNo)].Width;
        const TListPageMetrics m = MeasureListPage(job.Layout, w->PrinterInfo());
        std::vector<QStringList> texts;
        for (const qint32 recNo : w->TakeRecords())
            texts.push_back(w->FetchRow(job, recNo).value());
        earlier = FitListPrintColumns(job.Columns,
                                      ListPrintColumnRoom(job.Layout, m, static_cast<int>(job.Columns.size())),
                                      job.Items, ListPrintTextNeeds(job, m, texts, 1), false);
        ASSERT_NE(earlier, portrait);
    }
    delete window.data();
    if (c.last == LastLayout::EarlierVersion) {
        TMemIniFile ini(SettingsFileName());
        ASSERT_TRUE(ini.ValueExists(ListPrintLayoutSection, QStringLiteral("ItemSizeFitted")));
        ini.DeleteKey(ListPrintLayoutSection, QStringLiteral("ItemSizeFitted"));
        ini.WriteString(ListPrintLayoutSection, QStringLiteral("ItemSize"), JoinListPrintColumns(earlier).ItemSize);
        ASSERT_TRUE(ini.UpdateFile());
        portrait = earlier;
    }

    // The restart: a new window over the same settings.
    action("actListPrint")->trigger();
    window = list->findChild<TListPrint *>();
    ASSERT_FALSE(window.isNull());
    w = window;
    ASSERT_EQ(w->cbxTemplateName->currentText(), QStringLiteral("前回のレイアウト"));
    // The earlier version's widths are the window's: fitted anew to the
    // page as it is fitted now.
    if (c.last != LastLayout::EarlierVersion) {
        ASSERT_EQ(w->ColumnEditor().Columns(), portrait);
    }
    ASSERT_EQ(w->lblOrientation->text(), QStringLiteral("縦"));
    w->ExecPrinterDialog = [](QPrinter &chosen) {
        chosen.setPageOrientation(QPageLayout::Landscape);
        return true;
    };
    w->bbtnPrinter->click();
    ASSERT_EQ(w->lblOrientation->text(), QStringLiteral("横"));
    if (c.last == LastLayout::EditedByHand) {
        EXPECT_EQ(w->ColumnEditor().Columns(), portrait);
        return;
    }
    const TListPrintColumns landscape = w->ColumnEditor().Columns();
    ASSERT_EQ(landscape.size(), portrait.size());
    for (std::size_t i = 0; i < landscape.size(); ++i)
        EXPECT_EQ(landscape[i].ItemNo, portrait[i].ItemNo) << i;
    boxes.enqueue(IDYES);
    boxes.enqueue(IDOK);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 2) << boxes.shown().first().text.toStdString();
    ASSERT_EQ(boxes.shown().first().text, kQuestion) << boxes.shown().first().text.toStdString();
    const QString text = sheet();
    for (const TPerson &p : people)
        EXPECT_TRUE(text.contains(addressOf(p))) << addressOf(p).toStdString() << " not in:\n" << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Restart, ListPrintLastLayout,
                         ::testing::Values(LandscapeCase{"savedByThisVersion", LastLayout::Saved},
                                           LandscapeCase{"savedByAnEarlierVersion", LastLayout::EarlierVersion},
                                           LandscapeCase{"widthTypedByTheUser", LastLayout::EditedByHand}),
                         [](const auto &info) { return std::string(info.param.name); });
