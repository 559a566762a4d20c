// The telephone tab's look-up in the open address book: the table layer's
// Tel, Fax, Portable1 and Portable2 indexes in that order, exact numbers
// only, the question before showing a record, and the list page of several.

#include "directory/DicSch.h"

#include "core/DBInfo.h"
#include "core/Env.h"
#include "platform/Table.h"

#include "support/DataFolders.h"
#include "support/DicProgramFolder.h"
#include "support/Screenshot.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TBookRecord {
    const char *field; // the number's field
    const char *number;
    bool person;
    const char *name; // UTF-8
};

// RecNo 1..8 in this order. Numbers next to each other in index order
// surround the searched ones, so a look-up that stops or starts one record
// off shows.
const TBookRecord kRecords[] = {
    {"Tel", "0465111111", true, "一郎"},          // 1
    {"Tel", "04651111112", true, "一郎の隣"},     // 2: the number above plus a digit
    {"Fax", "0465888888", false, "小田原商事"},   // 3
    {"Fax", "0465888888", false, "箱根物産"},     // 4
    {"Portable1", "09011112222", true, "三郎"},   // 5
    {"Portable2", "08033334444", true, "四郎"},   // 6
    {"Tel", "0465999999", true, "五郎"},          // 7
    {"Fax", "0465999999", false, "同番の会社"},   // 8: a Tel hit comes first
};

class DicSchBookTest : public ::testing::Test
{
protected:
    DicSchBookTest()
    {
        UseArea.fill(false);
        QDir().mkpath(DataRoot);
        QDir().mkpath(AdrsPath + QStringLiteral("Book1"));
        DMMurven19 = new TDMMurven19;
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        EXPECT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        for (const TBookRecord &r : kRecords) {
            table.Append();
            table.FieldByName(QLatin1String(r.field)).SetAsBytes(r.number);
            table.FieldByName(QStringLiteral("PrivCorp")).SetAsBoolean(r.person);
            const QString name = QString::fromUtf8(r.name);
            if (r.person) {
                table.FieldByName(QStringLiteral("NameKanji")).SetAsString(name);
            } else {
                table.FieldByName(QStringLiteral("CorpKanji")).SetAsString(name);
                table.FieldByName(QStringLiteral("NameKanji")).SetAsString(QStringLiteral("担当"));
            }
            table.Post();
        }
        table.SetIndexName(QStringLiteral("Pos"));
        dialog = std::make_unique<TDicSearch>();
        dialog->SetSearchOptions(15, true, false);
    }
    ~DicSchBookTest() override
    {
        dialog.reset();
        FreeDataModule();
    }

    template <class T>
    T *find(const char *name)
    {
        T *w = dialog->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool onListPage() { return find<QStackedWidget>("pgctlDicSch")->currentWidget()->objectName() == "tabstTelList"; }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
    ScriptedMessageBoxes boxes;
    std::unique_ptr<TDicSearch> dialog;
};

const QString kQuestion = QStringLiteral("アドレス帳の中に該当するデータが見つかりました  \r\n"
                                         "このデータを照会しますか？  \r\n\r\n"
                                         "照会しない場合はDVDを検索します  \r\n\r\n"
                                         "キャンセルすると検索を中止します  ");

struct TFoundCase {
    const char *name;
    const char *typed;
    qint32 recNo;
};

class DicSchBookFound : public DicSchBookTest, public ::testing::WithParamInterface<TFoundCase>
{
};

TEST_P(DicSchBookFound, aNumberOfOneRecordAsksThenDecidesThatRecord)
{
    boxes.enqueue(IDYES);
    EXPECT_EQ(dialog->StartSearch(0, QString::fromLatin1(GetParam().typed)), 1);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kQuestion);
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONQUESTION | MB_YESNOCANCEL));
    EXPECT_EQ(dialog->ResultKind, drkBookRecord);
    EXPECT_EQ(dialog->GetFoundRecNo(), GetParam().recNo);
}

INSTANTIATE_TEST_SUITE_P(Indexes, DicSchBookFound,
                         ::testing::Values(TFoundCase{"tel", "0465111111", 1},
                                           TFoundCase{"telTypedWithHyphens", "0465-11-1111", 1},
                                           TFoundCase{"elevenDigitTel", "04651111112", 2},
                                           TFoundCase{"portable1", "090-1111-2222", 5},
                                           TFoundCase{"portable2", "08033334444", 6},
                                           TFoundCase{"telBeforeFaxOfAnother", "0465999999", 7}),
                         [](const auto &info) { return std::string(info.param.name); });

class DicSchBookMissed : public DicSchBookTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(DicSchBookMissed, aNumberNoRecordHoldsExactlyAsksNothing)
{
    (void)dialog->StartSearch(0, QString::fromLatin1(GetParam()));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_NE(dialog->ResultKind, drkBookRecord);
    EXPECT_EQ(dialog->GetFoundRecNo(), -1);
}

INSTANTIATE_TEST_SUITE_P(Numbers, DicSchBookMissed,
                         ::testing::Values("046511111",      // a stored number's beginning
                                           "046511111123",   // a stored eleven digits and more
                                           "0465111110",     // just below a stored number
                                           "0999999999",     // beyond every stored number
                                           "0123"));

TEST_F(DicSchBookTest, twoRecordsWithTheNumberAsFaxOpenTheListPageNamedFax)
{
    boxes.enqueue(IDYES);
    ASSERT_EQ(dialog->StartSearch(0, QStringLiteral("0465888888")), 0);
    ASSERT_TRUE(onListPage());
    EXPECT_EQ(find<QLabel>("pnlSchKey")->text(), QStringLiteral("FAX"));
    EXPECT_FALSE(find<QLabel>("pnlSchKey")->isHidden());
    EXPECT_EQ(find<QLabel>("pnlSchTel")->text(), QStringLiteral("0465888888"));
    EXPECT_EQ(find<QLabel>("lblTelList1")->text(), QStringLiteral("アドレス帳に複数のデータが見つかりました。"));
    QTreeWidget *list = find<QTreeWidget>("lvTelList");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("会社"));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("小田原商事"));
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("担当"));
    saveScreenshot(dialog.get(), QStringLiteral("DicSearchList"));
    list->setCurrentItem(list->topLevelItem(1));
    QTest::keyClick(list, Qt::Key_Return); // Enter goes to 決定 ...
    EXPECT_EQ(dialog->result(), 0);
    QTest::keyClick(find<QPushButton>("btnDecision"), Qt::Key_Return); // ... and presses it
    EXPECT_EQ(dialog->result(), 1);
    EXPECT_EQ(dialog->GetFoundRecNo(), 4);
}

TEST_F(DicSchBookTest, goingBackFromTheListPageReturnsToTheTelephoneTab)
{
    dialog->ListHelpContext = 31;
    boxes.enqueue(IDYES);
    ASSERT_EQ(dialog->StartSearch(0, QStringLiteral("0465888888")), 0);
    EXPECT_EQ(dialog->property("HelpContext").toInt(), 31);
    find<QPushButton>("btnPrior")->click();
    EXPECT_FALSE(onListPage());
    EXPECT_TRUE(find<QPushButton>("btnPrior")->isHidden());
    EXPECT_EQ(dialog->ResultKind, drkPhone);
    EXPECT_EQ(dialog->property("HelpContext").toInt(), 24);
}

TEST_F(DicSchBookTest, cancelAtTheQuestionStopsTheSearch)
{
    boxes.enqueue(IDCANCEL);
    EXPECT_EQ(dialog->StartSearch(0, QStringLiteral("0465111111")), 9);
    EXPECT_EQ(find<QTreeWidget>("lvTelCity")->topLevelItemCount(), 0);
}

TEST_F(DicSchBookTest, noAtTheQuestionSearchesOnToTheAreaCodes)
{
    boxes.enqueue(IDNO);
    EXPECT_EQ(dialog->StartSearch(0, QStringLiteral("0465111111")), 0);
    EXPECT_EQ(dialog->ResultKind, drkPhone);
    EXPECT_GE(find<QTreeWidget>("lvTelCity")->topLevelItemCount(), 1);
}

TEST_F(DicSchBookTest, theLookUpGivesTheTableItsIndexBack)
{
    boxes.enqueue(IDYES);
    (void)dialog->StartSearch(0, QStringLiteral("09011112222"));
    EXPECT_EQ(DMMurven19->AdrsTable()->IndexName(), QStringLiteral("Pos"));
}

TEST_F(DicSchBookTest, withoutBookLookUpTheBookIsNotAsked)
{
    dialog->SetSearchOptions(13, false, false);
    (void)dialog->StartSearch(0, QStringLiteral("0465111111"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(dialog->GetFoundRecNo(), -1);
}

} // namespace
