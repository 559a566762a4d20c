#include "addressbook/AdrsCopy.h"

#include "BookFixture.h"
#include "support/OrdinaryUser.h"
#include "support/RowName.h"
#include "addressbook/AdrsListModel.h"
#include "core/AppSub.h"
#include "core/Inquiry.h"
#include "widgets/RecordRun.h"
#include "widgets/TntComCtrls.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// One record as the tests write and read it.
struct Rec {
    QString Name;
    QByteArray Tel;
    QByteArray Fax;
    QByteArray Code;
    int Group = 0;
};

const QDateTime kAdded(QDate(2020, 4, 1), QTime(9, 30, 15, 250));
const QDateTime kUpdated(QDate(2021, 5, 2), QTime(10, 0, 0, 500));

// Source book "元帳" (open in the main list, rows in registration order).
const QList<Rec> kSource = {
    {QStringLiteral("佐藤 一郎"), "0312345678", "0312345679", "C001", 2},
    {QStringLiteral("鈴木 花子"), "0611112222", "", "", 0},
    {QStringLiteral("高橋 次郎"), "", "0522223333", "C003", 5},
};
// Target book "写し": shares 佐藤's telephone (not his fax) and 高橋's code.
const QList<Rec> kTarget = {
    {QStringLiteral("別人"), "0312345678", "0999999999", "X1", 0},
    {QStringLiteral("旧 高橋"), "0400000000", "", "C003", 1},
};

void writeRecords(TTable &table, const QList<Rec> &records)
{
    for (const Rec &r : records) {
        table.Append();
        table.FieldByName(QStringLiteral("NameKanji")).SetAsBytes(EncodeUnicodeField(r.Name));
        table.FieldByName(QStringLiteral("Tel")).SetAsBytes(r.Tel);
        table.FieldByName(QStringLiteral("Fax")).SetAsBytes(r.Fax);
        table.FieldByName(QStringLiteral("CustomCode")).SetAsBytes(r.Code);
        table.FieldByName(QStringLiteral("Group")).SetAsInteger(r.Group);
        table.FieldByName(QStringLiteral("Note")).SetAsBytes("memo of " + r.Tel);
        table.FieldByName(QStringLiteral("AddDateTime")).SetAsDateTime(kAdded);
        table.FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(kUpdated);
        table.Post();
    }
}

std::unique_ptr<TTable> bookTable(const QString &folder, bool exclusive = false)
{
    auto table = std::make_unique<TTable>();
    table->SetTableName(AdrsPath + folder + QStringLiteral("/Adrs.DB"));
    table->SetPassword(TablePassword);
    table->SetFieldDefs(AdrsFieldDefs);
    table->SetIndexDefs(AdrsIndexDefs);
    table->SetExclusive(exclusive);
    return table;
}

// The first lines of a copy's closing box after its heading.
QString countLines(int target, int added)
{
    return QStringLiteral("対象件数 : \t%1 件  \r\n登録件数 : \t%2 件  ").arg(target).arg(added);
}

// Fails the post of the records named, as a full disk would.
class TFailingCopy : public TAddressCopy
{
public:
    TFailingCopy(QWidget *owner, QStringList failing) : TAddressCopy(owner), m_failing(std::move(failing)) {}

protected:
    void PostTarget(TTable &target) override
    {
        const QString name = DecodeUnicodeField(target.FieldByName(QStringLiteral("NameKanji")).AsBytes());
        if (m_failing.contains(name))
            throw ETableError(QStringLiteral("disk full"));
        TAddressCopy::PostTarget(target);
    }

private:
    QStringList m_failing;
};

// A data folder with the open book "元帳", the target "写し" and a book
// deleted in this run, the main list on "元帳" and the copy window over it.
class AddressCopyWindow : public BookFixture
{
protected:
    AddressCopyWindow()
        : BookFixture({{QStringLiteral("元帳"), QStringLiteral("Book1"), AdrsStateUnchanged},
                       {QStringLiteral("写し"), QStringLiteral("Book2"), AdrsStateUnchanged},
                       {QStringLiteral("消した帳"), QStringLiteral("Book3"), AdrsStateDeleted}})
    {
    }

    void SetUp() override
    {
        BookFixture::SetUp();
        for (const auto &[folder, records] : {qMakePair(QStringLiteral("Book1"), kSource),
                                               qMakePair(QStringLiteral("Book2"), kTarget)}) {
            auto table = bookTable(folder);
            ASSERT_TRUE(table->CreateTable());
            table->Open();
            writeRecords(*table, records);
            table->Close();
        }
    }

    // The main list on the open book, and the copy window (made by failing
    // instead when it names records whose post fails).
    void openWindows(const QStringList &failing = {})
    {
        ASSERT_NO_FATAL_FAILURE(openList());
        ASSERT_EQ(list->GetRowCount(), int(kSource.size()));
        if (failing.isEmpty())
            ShowAddressCopy(list.get());
        else
            (new TFailingCopy(list.get(), failing))->show();
        copy = AddressCopy;
        ASSERT_TRUE(copy);
    }

    template <typename T> T *child(const char *name) const
    {
        T *w = copy->findChild<T *>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    void check(const char *name, bool on = true) const { child<QAbstractButton>(name)->setChecked(on); }
    void chooseTarget() const { child<TTntListView>("lvAdrs")->Items().GetItem(0)->SetSelected(true); }
    void select(const QList<int> &rows) const
    {
        selectRows(rows);
        copy->UpdateDataRange();
    }
    // Chooses the target, presses コピー and answers the questions.
    void runCopy(const QList<int> &answers = {IDYES})
    {
        chooseTarget();
        for (int answer : answers)
            boxes.enqueue(answer);
        child<QPushButton>("btnCopy")->click();
    }
    // The names in the target book, in record order.
    static QStringList targetNames()
    {
        QStringList names;
        auto table = bookTable(QStringLiteral("Book2"));
        table->Open();
        for (table->First(); !table->Eof(); table->Next())
            names << DecodeUnicodeField(table->FieldByName(QStringLiteral("NameKanji")).AsBytes());
        return names;
    }
    // Record recNo of a book, every field but its number.
    static TAddressData stored(const QString &folder, qint32 recNo)
    {
        auto table = bookTable(folder);
        table->Open();
        TAddressData data;
        EXPECT_TRUE(ReadAddressData(*table, recNo, data, nullptr)) << recNo;
        data.RecNo = 0;
        return data;
    }
    static QString counts(int target, int added) { return countLines(target, added); }

    QPointer<TAddressCopy> copy;
};

const QStringList kTargetNames{QStringLiteral("別人"), QStringLiteral("旧 高橋")};

TEST_F(AddressCopyWindow, offersOnlyOtherLiveBooksAndAsksForOneBeforeCopying)
{
    openWindows();
    TTntListView *books = child<TTntListView>("lvAdrs");
    ASSERT_EQ(books->Items().Count(), 1);
    EXPECT_EQ(books->Items().GetItem(0)->Caption(), QStringLiteral("写し"));
    child<QPushButton>("btnCopy")->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("コピー先のアドレス帳を選択してください  "));
    EXPECT_EQ(targetNames(), kTargetNames);
}

TEST_F(AddressCopyWindow, copiesTheSelectedRowsFieldForFieldAndReportsTheCount)
{
    openWindows();
    select({0, 1});
    EXPECT_EQ(child<QLabel>("lblDataCount")->text(), QStringLiteral("2 件"));
    runCopy();
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳のコピーが完了しました  \r\n\r\n") + counts(2, 2));

    ASSERT_EQ(targetNames().size(), 4);
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(stored(QStringLiteral("Book2"), 3 + i) == stored(QStringLiteral("Book1"), 1 + i)) << i;
}

TEST_F(AddressCopyWindow, copiesEveryShownRowWithNewDatesWhenAskedTo)
{
    openWindows();
    check("rbAll");
    check("chkSameAddDateTime", false);
    EXPECT_FALSE(child<QCheckBox>("chkSameUpdDateTime")->isEnabled());
    EXPECT_EQ(copy->CopyCount(), 3);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);

    runCopy();
    // 高橋's code is in the target and the default is not to overwrite.
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳のコピーが完了しました  \r\n\r\n") + counts(3, 2)
                                     + QStringLiteral("\r\n未処理件数 : \t1 件  "));
    auto table = bookTable(QStringLiteral("Book2"));
    table->Open();
    EXPECT_EQ(table->RecordCount(), 4);
    table->Last();
    const QDateTime added = table->FieldByName(QStringLiteral("AddDateTime")).AsDateTime();
    EXPECT_GE(added, before);
    EXPECT_EQ(added.time().msec(), 0);
    EXPECT_EQ(table->FieldByName(QStringLiteral("UpdDateTime")).AsDateTime(), added) << "one stamp for both";
}

TEST_F(AddressCopyWindow, rangeEndTypedBelowTheStartPullsTheStartDown)
{
    openWindows();
    QApplication::setActiveWindow(copy);
    ASSERT_TRUE(QTest::qWaitForWindowActive(copy));
    check("rbRange");
    QLineEdit *begin = child<QLineEdit>("edtRangeBegin");
    QLineEdit *end = child<QLineEdit>("edtRangeEnd");
    begin->setFocus();
    QTest::keyClick(begin, Qt::Key_Up); // 2
    QTest::keyClick(begin, Qt::Key_PageUp); // clamped to 3
    EXPECT_EQ(copy->BeginRange().Position, 3);
    end->setFocus();
    end->setText(QStringLiteral("2"));
    QTest::keyClick(end, Qt::Key_Return);
    EXPECT_TRUE(end->hasFocus());
    EXPECT_EQ(copy->BeginRange().Position, 2);
    EXPECT_EQ(copy->EndRange().Position, 2);
    EXPECT_EQ(copy->CopyCount(), 1);
}

struct NumberCase {
    const char *Label;
    QList<const char *> Boxes; // checked number boxes
    bool NotAdd;                // rbNotAdd, else rbNewAdd
    bool AnyItem;               // rbOr, else rbAnd
    int Added;                  // of rows 0 (佐藤) and 1 (鈴木)
    bool Twin = false;          // the target also holds 佐藤's telephone and fax, after 別人
};

class SameNumberRule : public AddressCopyWindow, public ::testing::WithParamInterface<NumberCase>
{
};

TEST_P(SameNumberRule, decidesWhetherARecordWithAKnownNumberIsCopied)
{
    const NumberCase &c = GetParam();
    if (c.Twin) {
        auto table = bookTable(QStringLiteral("Book2"));
        table->Open();
        writeRecords(*table, {{QStringLiteral("双子"), kSource[0].Tel, kSource[0].Fax, "X2", 0}});
    }
    openWindows();
    for (const char *box : c.Boxes)
        check(box);
    check(c.NotAdd ? "rbNotAdd" : "rbNewAdd");
    check(c.AnyItem ? "rbOr" : "rbAnd");
    EXPECT_EQ(child<QRadioButton>("rbAnd")->isEnabled(), c.Boxes.size() > 1);
    EXPECT_EQ(child<QRadioButton>("rbNotAdd")->isEnabled(), !c.Boxes.isEmpty());
    select({0, 1});

    runCopy();
    QString expected = QStringLiteral("アドレス帳のコピーが完了しました  \r\n\r\n") + counts(2, c.Added);
    if (c.Added < 2)
        expected += QStringLiteral("\r\n未処理件数 : \t%1 件  ").arg(2 - c.Added);
    EXPECT_EQ(boxes.last().text, expected);
    EXPECT_EQ(targetNames().size(), kTarget.size() + c.Twin + c.Added);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SameNumberRule,
    ::testing::Values(NumberCase{"telSkipped", {"chkTel"}, true, false, 1},
                      NumberCase{"telAddedAsNew", {"chkTel"}, false, false, 2},
                      NumberCase{"allItemsNeedTheFaxToo", {"chkTel", "chkFax"}, true, false, 2},
                      NumberCase{"allItemsFoundPastARecordWithOnlyTheTelephone", {"chkTel", "chkFax"}, true, false, 1,
                                 true},
                      NumberCase{"anyItemIsEnough", {"chkTel", "chkFax"}, true, true, 1},
                      NumberCase{"emptySourceNumbersNeverMatch", {"chkPortable1"}, true, false, 2}),
    [](const ::testing::TestParamInfo<NumberCase> &info) { return std::string(info.param.Label); });

// The overwritten record takes every field of the source, so what the
// source leaves empty (telephone, keyword, colour, flags) is emptied.
TEST_F(AddressCopyWindow, overwritesTheRecordWithTheSameCustomerCodeOnlyAfterTheWarning)
{
    {
        auto table = bookTable(QStringLiteral("Book2"));
        table->Open();
        ASSERT_TRUE(table->FindKey({QVariant(2)}));
        table->Edit();
        table->FieldByName(QStringLiteral("Keyword1")).SetAsBytes("old");
        table->FieldByName(QStringLiteral("SymbolColor")).SetAsInteger(5);
        table->FieldByName(QStringLiteral("PrivCorp")).SetAsBoolean(true);
        table->FieldByName(QStringLiteral("ExtLink")).SetAsBytes("http://old/");
        table->Post();
    }
    openWindows();
    check("rbDestUpdate");
    select({2});

    runCopy({IDYES, IDNO});
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().flags, 0x134u);
    EXPECT_EQ(targetNames(), kTargetNames);
    EXPECT_TRUE(copy);

    boxes.clear();
    runCopy({IDYES, IDYES});
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳のコピーが完了しました  \r\n\r\n") + counts(1, 0)
                                     + QStringLiteral("\r\n上書き件数 : \t1 件  "));
    ASSERT_EQ(targetNames().size(), 2);
    EXPECT_TRUE(stored(QStringLiteral("Book2"), 2) == stored(QStringLiteral("Book1"), 3));
}

TEST_F(AddressCopyWindow, numberMatchWinsOverCustomerCodeOverwrite)
{
    // 佐藤 shares the telephone of "別人"; give 別人 佐藤's code as well.
    {
        auto table = bookTable(QStringLiteral("Book2"));
        table->Open();
        table->First();
        table->Edit();
        table->FieldByName(QStringLiteral("CustomCode")).SetAsBytes("C001");
        table->Post();
    }
    openWindows();
    check("chkTel");
    check("rbNotAdd");
    check("rbDestUpdate");
    select({0});

    runCopy({IDYES, IDYES});
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳のコピーが完了しました  \r\n\r\n") + counts(1, 0)
                                     + QStringLiteral("\r\n未処理件数 : \t1 件  "));
    EXPECT_EQ(targetNames(), kTargetNames);
}

TEST_F(AddressCopyWindow, stopsAtTheTargetBooksLimitKeepingWhatWasCopied)
{
    {
        auto table = bookTable(QStringLiteral("Book2"));
        table->Open();
        table->BeginBatch();
        for (int i = table->RecordCount(); i < 99999; ++i) {
            table->Append();
            table->FieldByName(QStringLiteral("Group")).SetAsInteger(0);
            table->Post();
        }
        table->EndBatch();
    }
    openWindows();
    check("rbAll");

    runCopy();
    ASSERT_EQ(boxes.count(), 3);
    EXPECT_EQ(boxes.shown()[1].text, QStringLiteral("最大登録件数10万件に達しました  \r\nこれ以上登録できません  "));
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳のコピーを中止しました  \r\n\r\n") + counts(3, 1)
                                     + QStringLiteral("\r\n中止で残った件数 : \t2 件  "));
    auto table = bookTable(QStringLiteral("Book2"));
    table->Open();
    EXPECT_EQ(table->RecordCount(), 100000);
}

TEST_F(AddressCopyWindow, targetHeldElsewhereCopiesNothingAndKeepsTheWindow)
{
    openWindows();
    auto holder = bookTable(QStringLiteral("Book2"), true);
    holder->Open();
    check("rbAll");

    runCopy();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳ファイルがオープンできませんでした（サブ）  "));
    EXPECT_EQ(AddressCopy, copy.data());
    holder->Close();
    EXPECT_EQ(targetNames(), kTargetNames);
}

TEST_F(AddressCopyWindow, readOnlyTargetFileCopiesNothing)
{
    const QString file = AdrsPath + QStringLiteral("Book2/Adrs.DB");
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    {
        // The file's mode binds an ordinary user only (the tests may run as root).
        const ScopedOrdinaryUser user;
        ASSERT_TRUE(user.Bound());
        openWindows();
        check("rbAll");
        runCopy();
    }
    EXPECT_EQ(boxes.last().text, QStringLiteral("コピー先のアドレス帳「写し」は書き込みできません  \r\n"
                                                "データはコピーされませんでした  "));
    EXPECT_EQ(boxes.last().flags, 0x10u);
    EXPECT_EQ(targetNames(), kTargetNames);
}

TEST_F(AddressCopyWindow, failedPostIsCancelledAndNamedWhileTheOthersAreCopied)
{
    openWindows({kSource[1].Name});
    check("rbAll");
    check("rbDestUpdate");

    runCopy({IDYES, IDYES});
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("アドレス帳のコピー中にコピーできないデータがありました  \r\n\r\n") + counts(3, 1)
                  + QStringLiteral("\r\n上書き件数 : \t1 件  \r\nコピーできなかった件数 : \t1 件  "
                                   "\r\n\r\nコピーできなかったデータ :  \r\nNo.2  鈴木 花子  0611112222"));
    EXPECT_EQ(boxes.last().flags, 0x30u);
    // 佐藤 appended, 高橋 overwritten, nothing of 鈴木.
    EXPECT_EQ(targetNames(),
              (QStringList{QStringLiteral("別人"), kSource[2].Name, kSource[0].Name}));
}

// A source record whose bytes are not Shift-JIS text (damaged on disk or by
// an old writer) is not carried into the other book; the result names it.
TEST_F(AddressCopyWindow, recordWithDamagedBytesIsCopiedWithTheOthersAndNothingIsNamed)
{
    {
        auto table = bookTable(QStringLiteral("Book1"));
        table->Open();
        ASSERT_TRUE(table->FindKey({QVariant(2)}));
        table->Edit();
        table->FieldByName(QStringLiteral("Adrs1")).SetAsBytes(QByteArray("\x82\xA0\xFD"));
        table->Post();
        table->Close();
    }
    openWindows();
    check("rbAll");
    runCopy({IDYES});
    EXPECT_FALSE(boxes.last().text.contains(QStringLiteral("コピーできなかったデータ"))) << boxes.last().text.toStdString();
    EXPECT_TRUE(targetNames().contains(kSource[1].Name));
    EXPECT_TRUE(targetNames().contains(kSource[0].Name));
}

// The copy's progress shows at once and its cancel is pressed once the run
// has come to record Done; the closing box counts what was copied and what
// the cancel left.
struct CancelCase {
    const char *name;
    bool vanishedFirst; // 佐藤 deleted from the book behind the list's back
    int done;           // records passed when the cancel comes
    QString counts;
};

class CancelledCopy : public AddressCopyWindow, public ::testing::WithParamInterface<CancelCase>
{
protected:
    void TearDown() override
    {
        TRecordRun::ShowAfterMs = m_showAfter;
        TRecordRun::ServeEveryMs = m_serveEvery;
        AddressCopyWindow::TearDown();
    }

private:
    const int m_showAfter = TRecordRun::ShowAfterMs;
    const int m_serveEvery = TRecordRun::ServeEveryMs;
};

TEST_P(CancelledCopy, countsWhatWasCopiedAndWhatWasLeft)
{
    const CancelCase &c = GetParam();
    openWindows();
    check("rbAll");
    if (c.vanishedFirst) {
        TTable other;
        openElsewhere(other);
        ASSERT_TRUE(other.FindKey({QVariant(1)}));
        other.Delete();
    }
    TRecordRun::ShowAfterMs = TRecordRun::ServeEveryMs = 0;
    bool pressed = false;
    std::function<void()> pressCancel = [&] {
        auto *progress = copy->findChild<QProgressDialog *>(QStringLiteral("RecordRunProgress"));
        if (!progress || !progress->isVisible() || progress->value() < c.done) {
            QTimer::singleShot(0, pressCancel);
            return;
        }
        QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
        pressed = true;
    };
    QTimer::singleShot(0, pressCancel);
    runCopy();

    EXPECT_TRUE(pressed);
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳のコピーを中止しました  \r\n\r\n") + c.counts)
        << qPrintable(boxes.last().text);
}

INSTANTIATE_TEST_SUITE_P(
    Copy, CancelledCopy,
    ::testing::Values(CancelCase{"afterTheFirstRecord", false, 1, countLines(3, 1) + QStringLiteral("\r\n中止で残った件数 : \t2 件  ")},
                      CancelCase{"afterTheSecondRecord", false, 2, countLines(3, 2) + QStringLiteral("\r\n中止で残った件数 : \t1 件  ")},
                      CancelCase{"afterARecordGoneFromTheBook", true, 2,
                                 countLines(3, 1) + QStringLiteral("\r\nコピーできなかった件数 : \t1 件  \r\n中止で残った件数 : \t1 件  ")
                                     + QStringLiteral("\r\n\r\nコピーできなかったデータ :  \r\nNo.1  （削除されたデータ）")}),
    rowName);

// The window's bar follows a run of any length to its end, but is moved a
// hundredth at a time: each setting asks the style whether to paint again,
// which over ten thousand records costs more than the copying around it.
struct BarCase {
    const char *name;
    int records; // in the source book, all copied
    int maxSettings;
};

class CopyProgressBar : public AddressCopyWindow, public ::testing::WithParamInterface<BarCase>
{
};

TEST_P(CopyProgressBar, movesForwardAHundredthAtATimeAndEndsAtTheLastRecord)
{
    const BarCase &c = GetParam();
    {
        auto table = bookTable(QStringLiteral("Book1"));
        table->Open();
        QList<Rec> more;
        for (int i = int(kSource.size()); i < c.records; ++i)
            more << Rec{QStringLiteral("追加 %1").arg(i), QByteArray::number(5000000000LL + i), "", "", 0};
        table->BeginBatch();
        writeRecords(*table, more);
        table->EndBatch();
    }
    ASSERT_NO_FATAL_FAILURE(openList());
    ShowAddressCopy(list.get());
    copy = AddressCopy;
    ASSERT_TRUE(copy);
    check("rbAll");
    check("rbNewAdd");
    ASSERT_EQ(copy->CopyCount(), c.records);
    QList<int> settings;
    auto *bar = child<QProgressBar>("pgbarAdrsCopy");
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&settings](int value) {
        if (value > 0)
            settings << value;
    });

    runCopy();

    EXPECT_EQ(copy ? copy->AddedCount() : -1, c.records - 1) << "高橋's code is in the target";
    ASSERT_FALSE(settings.isEmpty());
    EXPECT_EQ(settings.last(), c.records);
    EXPECT_LE(settings.size(), c.maxSettings);
    EXPECT_LE(settings.first(), std::max(1, c.records / 100));
    EXPECT_TRUE(std::is_sorted(settings.cbegin(), settings.cend()));
}

INSTANTIATE_TEST_SUITE_P(Copy, CopyProgressBar,
                         ::testing::Values(BarCase{"fewRecordsEach", 3, 3}, BarCase{"hundredRecordsEach", 100, 100},
                                           BarCase{"hundredAndOneRecords", 101, 101},
                                           BarCase{"manyRecordsAHundredthAtATime", 2500, 101}),
                         rowName);

// Into a book that holds its 100,000 records, a record that would only
// overwrite its customer code's record, or be skipped, still goes through:
// only a record the copy adds meets the limit.
struct FullBookCase {
    const char *name;
    bool overwrite; // rbDestUpdate, else rbNotUpdate
    QList<int> rows;
    QString result;
    int limitBoxes;
};

class CopyIntoAFullBook : public AddressCopyWindow, public ::testing::WithParamInterface<FullBookCase>
{
};

TEST_P(CopyIntoAFullBook, countsTheLimitOnlyForRecordsItAdds)
{
    const FullBookCase &c = GetParam();
    {
        auto table = bookTable(QStringLiteral("Book2"));
        table->Open();
        table->BeginBatch();
        for (int i = table->RecordCount(); i < 100000; ++i) {
            table->Append();
            table->FieldByName(QStringLiteral("Group")).SetAsInteger(0);
            table->Post();
        }
        table->EndBatch();
    }
    openWindows();
    check(c.overwrite ? "rbDestUpdate" : "rbNotUpdate");
    select(c.rows);

    runCopy(c.overwrite ? QList<int>{IDYES, IDYES} : QList<int>{IDYES});
    const int limits = int(std::count_if(boxes.shown().cbegin(), boxes.shown().cend(), [](const auto &box) {
        return box.text.startsWith(QStringLiteral("最大登録件数10万件に達しました"));
    }));
    EXPECT_EQ(limits, c.limitBoxes);
    EXPECT_EQ(boxes.last().text, c.result);
    auto table = bookTable(QStringLiteral("Book2"));
    table->Open();
    EXPECT_EQ(table->RecordCount(), 100000);
    if (c.overwrite && c.rows == QList<int>{2}) {
        EXPECT_TRUE(stored(QStringLiteral("Book2"), 2) == stored(QStringLiteral("Book1"), 3));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Copy, CopyIntoAFullBook,
    ::testing::Values(
        FullBookCase{"anOverwriteGoesThrough", true, {2},
                     QStringLiteral("アドレス帳のコピーが完了しました  \r\n\r\n") + countLines(1, 0)
                         + QStringLiteral("\r\n上書き件数 : \t1 件  "),
                     0},
        FullBookCase{"aSkipGoesThrough", false, {2},
                     QStringLiteral("アドレス帳のコピーが完了しました  \r\n\r\n") + countLines(1, 0)
                         + QStringLiteral("\r\n未処理件数 : \t1 件  "),
                     0},
        FullBookCase{"anAdditionStopsTheRun", true, {0, 2},
                     QStringLiteral("アドレス帳のコピーを中止しました  \r\n\r\n") + countLines(2, 0)
                         + QStringLiteral("\r\n中止で残った件数 : \t2 件  "),
                     1}),
    rowName);

} // namespace
