#include "addressbook/BatchChg.h"

#include "BookFixture.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/Inquiry.h"
#include "widgets/TntStdCtrls.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/FileHelpers.h"
#include "support/KeyInput.h"
#include "support/UnreadableNotices.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <ostream>

namespace {

const QDateTime kOldStamp(QDate(2020, 1, 1), QTime(9, 0));

// One record of the test book: RecNo = position + 1.
struct SeedRecord {
    int group;
    const char16_t *tdfkn;
    const char16_t *adrs1;
    const char16_t *jis;
    const char16_t *kajo;
    const char16_t *keyword1;
    const char16_t *mark;
};
const SeedRecord kSeed[] = {
    {2, u"東京都", u"千代田区", u"", u"", u"古い", u"●"},
    {0, u"", u"", u"99999", u"999999", u"", u""},
    {5, u"大阪府", u"謎市", u"27100", u"271000", u"残す", u"★"},
    {1, u"東京都", u"千代田区", u"13101", u"001000", u"", u"●"},
    {3, u"エラー県", u"", u"11111", u"111111", u"そのまま", u""},
};
constexpr int kRecords = 5;

// The address library as the batch change sees it: Tokyo is found, the
// "エラー" prefecture makes the library fail, anything else is not found.
int fakeWqzscnv(const char *text, TWqzscnvResult *result, const char *)
{
    const QString address = Cp932::decode(QByteArray(text));
    if (address.startsWith(QStringLiteral("エラー")))
        return 99;
    if (!address.startsWith(QStringLiteral("東京都")))
        return 8;
    *result = TWqzscnvResult{};
    std::memcpy(result->CityCode, "131016", 6);
    std::memcpy(result->TownCode, "0010001", 7);
    return 0;
}

// A click on a check box or radio button's indicator, where a person clicks.
void clickButton(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// A book of five records, two senders, and the main list window on it.
class BatchChange : public BookFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        writeBook();
        ASSERT_NO_FATAL_FAILURE(openList());
        ASSERT_EQ(list->GetRowCount(), kRecords);
    }

    void TearDown() override
    {
        BatchChangeFormHook = nullptr;
        dialog.reset();
        BookFixture::TearDown();
    }

    static void writeBook()
    {
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        for (const SeedRecord &r : kSeed) {
            table.Append();
            table.FieldByName(QStringLiteral("Group")).SetAsInteger(r.group);
            table.FieldByName(QStringLiteral("Tdfkn")).SetAsString(QString::fromUtf16(r.tdfkn));
            table.FieldByName(QStringLiteral("Adrs1")).SetAsString(QString::fromUtf16(r.adrs1));
            table.FieldByName(QStringLiteral("JisCode")).SetAsString(QString::fromUtf16(r.jis));
            table.FieldByName(QStringLiteral("KajoCode")).SetAsString(QString::fromUtf16(r.kajo));
            table.FieldByName(QStringLiteral("Keyword1")).SetAsString(QString::fromUtf16(r.keyword1));
            table.FieldByName(QStringLiteral("SymbolMark")).SetAsString(QString::fromUtf16(r.mark));
            table.FieldByName(QStringLiteral("NameKanji")).SetAsString(QStringLiteral("名前"));
            table.FieldByName(QStringLiteral("AddDateTime")).SetAsDateTime(kOldStamp);
            table.FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(kOldStamp);
            table.Post();
        }
        DMMurven19->CloseAdrs();
        writeSenders({QStringLiteral("差出人1"), QStringLiteral("差出人2")});
    }

    static void deleteElsewhere(int recNo)
    {
        TTable other;
        openElsewhere(other);
        ASSERT_TRUE(other.FindKey({QVariant(recNo)}));
        other.Delete();
    }

    // Selects exactly the rows of these records.
    void selectRecords(const QList<int> &recNos)
    {
        QList<int> rows;
        for (const int recNo : recNos)
            rows << list->IndexOfRecNo(recNo);
        selectRows(rows);
        ASSERT_EQ(list->GetSelCount(), recNos.size());
    }

    std::map<int, TAddressData> readAll() const
    {
        std::map<int, TAddressData> records;
        TTable &table = *DMMurven19->AdrsTable();
        table.SetIndexName(QString());
        for (int recNo = 1; recNo <= kRecords; ++recNo) {
            TAddressData data;
            if (table.FindKey({QVariant(recNo)}) && ReadAddressData(table, recNo, data, nullptr))
                records[recNo] = data;
        }
        return records;
    }

    void openDialog()
    {
        dialog = std::make_unique<TBatchChange>(list.get());
        dialog->SetAdrsSearchFactory([] {
            return std::make_unique<TContinualAdrsSearch>(TWqzscnvFunctions{&fakeWqzscnv}, QString(), QString());
        });
        dialog->show();
    }
    template <class T>
    T *child(const QString &name) const
    {
        T *widget = dialog->findChild<T *>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    void check(const QString &name) { clickButton(child<QCheckBox>(name)); }
    void start() { QTest::mouseClick(child<QPushButton>(QStringLiteral("btnStart")), Qt::LeftButton); }

    // Every record equals its state before except where edit says.
    void expectOnly(const std::map<int, TAddressData> &before, const std::map<int, TAddressData> &after,
                    const std::function<void(int RecNo, TAddressData &)> &edit)
    {
        for (const auto &[recNo, old] : before) {
            ASSERT_TRUE(after.count(recNo)) << recNo;
            TAddressData expected = old;
            edit(recNo, expected);
            TAddressData actual = after.at(recNo);
            if (expected.UpdDateTime != old.UpdDateTime) {
                EXPECT_GE(actual.UpdDateTime, m_started.addSecs(-1)) << "RecNo " << recNo;
                EXPECT_EQ(actual.UpdDateTime.time().msec(), 0) << "stamped to the second, RecNo " << recNo;
                actual.UpdDateTime = expected.UpdDateTime;
            }
            EXPECT_TRUE(actual == expected) << "RecNo " << recNo;
        }
    }
    void markStart() { m_started = QDateTime::currentDateTime(); }

    std::unique_ptr<TBatchChange> dialog;

private:
    QDateTime m_started;
};

TEST_F(BatchChange, colourButtonTakesThePickedColourAndKeepsTheCustomColoursInCstmClrIni)
{
    {
        TMemIniFile ini(DataRoot + QStringLiteral("CstmClr.ini"));
        ini.WriteString(QStringLiteral("COMMON"), QStringLiteral("3"), QStringLiteral("FF0000")); // blue
        ASSERT_TRUE(ini.UpdateFile());
    }
    openDialog();
    check(QStringLiteral("chkSymbolColor"));
    QColor offered;
    QColor custom3;
    QTimer::singleShot(0, dialog.get(), [&] {
        auto *picker = dialog->findChild<QColorDialog *>(QStringLiteral("ColorDialog"));
        ASSERT_NE(picker, nullptr);
        offered = picker->currentColor();
        custom3 = QColorDialog::customColor(3);
        QColorDialog::setCustomColor(5, QColor(0x12, 0x34, 0x56));
        picker->setCurrentColor(QColor(10, 20, 30));
        picker->accept();
    });
    QTest::mouseClick(child<QPushButton>(QStringLiteral("bbtnSymbolColor")), Qt::LeftButton);

    EXPECT_EQ(offered, QColor(63, 223, 127));
    EXPECT_EQ(custom3, QColor(0, 0, 255));
    EXPECT_EQ(dialog->SymbolColor(), 10 | (20 << 8) | (30 << 16));
    EXPECT_EQ(child<QFrame>(QStringLiteral("pnlSymbolColor"))->palette().color(QPalette::Window), QColor(10, 20, 30));
    const TMemIniFile ini(DataRoot + QStringLiteral("CstmClr.ini"));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("COMMON")).size(), 16);
    EXPECT_EQ(ini.ReadString(QStringLiteral("COMMON"), QStringLiteral("3"), QString()), QStringLiteral("FF0000"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("COMMON"), QStringLiteral("5"), QString()), QStringLiteral("563412"));
}

// Custom colours a failed write left zeros in: the colour dialog offers the
// colours the file still holds, the user is told once which file it was and
// where its copy is kept, and the colours chosen are written over it.
TEST_F(BatchChange, damagedCustomColoursAreKeptAsideAndTheDialogOffersTheDefaults)
{
    const QString file = DataRoot + QStringLiteral("CstmClr.ini");
    const QByteArray damaged("[COMMON]\r\n3=FF0000\r\n\0\0\0\0", 24);
    writeBytes(file, damaged);
    openDialog();
    check(QStringLiteral("chkSymbolColor"));
    QColor custom3;
    QTimer::singleShot(0, dialog.get(), [&] {
        auto *picker = dialog->findChild<QColorDialog *>(QStringLiteral("ColorDialog"));
        ASSERT_NE(picker, nullptr);
        custom3 = QColorDialog::customColor(3);
        picker->accept();
    });
    QTest::mouseClick(child<QPushButton>(QStringLiteral("bbtnSymbolColor")), Qt::LeftButton);

    EXPECT_EQ(custom3, QColor(0, 0, 255));
    ASSERT_EQ(boxes.count(), 1);
    const QStringList copies =
        QDir(DataRoot).entryList({QStringLiteral("CstmClr.ini.damaged-*")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QDir::toNativeSeparators(DataRoot + copies.first())))
        << qPrintable(boxes.last().text);
    QFile copy(DataRoot + copies.first());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);
    const TMemIniFile ini(file);
    EXPECT_FALSE(ini.Unreadable());
    EXPECT_EQ(ini.ReadSection(QStringLiteral("COMMON")).size(), 16);
}

TEST_F(BatchChange, groupNoneEmptiesTheGroupOfSelectedRecordsAndStampsOnlyThoseItMoved)
{
    selectRecords({1, 2, 3});
    const auto before = readAll();
    QSignalSpy changed(list.get(), &TAddressList::RecordsChanged);
    openDialog();
    check(QStringLiteral("chkGroup"));
    markStart();
    start();

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(boxes.count(), 1); // the question alone: success is not announced
    EXPECT_EQ(boxes.last().flags, 0x24u);
    expectOnly(before, readAll(), [](int recNo, TAddressData &d) {
        if (recNo == 1 || recNo == 3) {
            d.Group = 0;
            d.UpdDateTime = QDateTime(); // stamped now
        }
    });
    ASSERT_EQ(changed.count(), 1);
    // One entry per selected row; the unchanged row's entry stays 0.
    EXPECT_EQ(changed.first().first().value<QList<qint32>>(), (QList<qint32>{1, 0, 3}));
}

TEST_F(BatchChange, keywordsAreStoredTrimmedAndAnEmptyEditClearsThem)
{
    selectRecords({1, 2, 3});
    const auto before = readAll();
    openDialog();
    check(QStringLiteral("chkKeyword1"));
    check(QStringLiteral("chkKeyword2"));
    TypeCharacters(child<QLineEdit>(QStringLiteral("edtKeyword2")), QStringLiteral("  新規 "));
    markStart();
    start();

    expectOnly(before, readAll(), [](int recNo, TAddressData &d) {
        if (recNo > 3)
            return;
        d.Keyword2 = Cp932::encode(QStringLiteral("新規"));
        d.Keyword1 = QByteArray();
        d.UpdDateTime = QDateTime();
    });
}

// One field of the table, set through its controls.
struct FieldCase {
    const char *name;
    std::function<void(TBatchChange &)> choose; // after the check box is checked
    const char *checkBox;
    std::function<void(TAddressData &)> expect;
};

class BatchChangeField : public BatchChange, public ::testing::WithParamInterface<FieldCase>
{
};

TEST_P(BatchChangeField, writesTheChosenValueToSelectedRecordsOnly)
{
    selectRecords({2, 4});
    const auto before = readAll();
    openDialog();
    check(QString::fromLatin1(GetParam().checkBox));
    if (GetParam().choose)
        GetParam().choose(*dialog);
    markStart();
    start();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    expectOnly(before, readAll(), [&](int recNo, TAddressData &d) {
        if (recNo != 2 && recNo != 4)
            return;
        const TAddressData old = d;
        GetParam().expect(d);
        if (!(d == old))
            d.UpdDateTime = QDateTime();
    });
}

void clickRadio(TBatchChange &dialog, const char *name)
{
    clickButton(dialog.findChild<QRadioButton *>(QString::fromLatin1(name)));
}
void chooseItem(TBatchChange &dialog, const char *name, int index)
{
    dialog.findChild<QComboBox *>(QString::fromLatin1(name))->setCurrentIndex(index);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BatchChangeField,
    ::testing::Values(
        FieldCase{"company", [](TBatchChange &w) { clickRadio(w, "rbCorp"); }, "chkPrivCorp",
                  [](TAddressData &d) { d.PrivCorp = false; }},
        FieldCase{"secondSender", [](TBatchChange &w) { chooseItem(w, "cbxSender", 2); }, "chkSender",
                  [](TAddressData &d) { d.Sender = 20; }},
        FieldCase{"markStar", [](TBatchChange &w) { chooseItem(w, "cbxSymbolMark", 6); }, "chkSymbolMark",
                  [](TAddressData &d) { d.SymbolMark = Cp932::encode(QStringLiteral("★")); }}),
    [](const ::testing::TestParamInfo<FieldCase> &info) { return std::string(info.param.name); });

// City codes come from the address and stay when it is not found; where the
// address library fails, that record keeps everything and the others go on.
TEST_F(BatchChange, cityCodesComeFromTheAddressAndAFailingSearchLeavesOnlyThatRecord)
{
    selectRecords({1, 2, 3, 4, 5});
    const auto before = readAll();
    openDialog();
    check(QStringLiteral("chkGetJisCode"));
    check(QStringLiteral("chkGroup"));
    markStart();
    start();

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->LastRun().Changed, (QList<qint32>{1, 2, 3, 4}));
    EXPECT_EQ(dialog->LastRun().Failed, QList<qint32>{5});
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().flags, 0x10u);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("4件のデータを変更しました")));
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("No.5")));
    expectOnly(before, readAll(), [](int recNo, TAddressData &d) {
        if (recNo == 5)
            return; // neither its group nor anything else was written
        d.Group = 0;
        d.UpdDateTime = QDateTime();
        if (recNo == 1) { // found: the codes as the fields hold them
            d.JisCode = QByteArray("13101");
            d.KajoCode = QByteArray("001000");
        } else if (recNo == 2) { // no address: the codes go
            d.JisCode = QByteArray();
            d.KajoCode = QByteArray();
        }
        // 3 is not found and keeps its codes; 4 already holds them.
    });
}

// A record whose codes are already those its address gives is not written:
// it keeps its update stamp and is not counted as changed, while the record
// next to it in the same run takes its new codes.
TEST_F(BatchChange, cityCodesARecordAlreadyHoldsLeaveThatRecordUntouched)
{
    selectRecords({1, 4});
    const auto before = readAll();
    QSignalSpy changed(list.get(), &TAddressList::RecordsChanged);
    openDialog();
    check(QStringLiteral("chkGetJisCode"));
    markStart();
    start();

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->LastRun().Changed, QList<qint32>{1});
    EXPECT_TRUE(dialog->LastRun().Failed.isEmpty());
    expectOnly(before, readAll(), [](int recNo, TAddressData &d) {
        if (recNo != 1)
            return;
        d.JisCode = QByteArray("13101");
        d.KajoCode = QByteArray("001000");
        d.UpdDateTime = QDateTime();
    });
    EXPECT_EQ(readAll().at(4).UpdDateTime, kOldStamp);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_FALSE(changed.first().first().value<QList<qint32>>().contains(4));
}

TEST_F(BatchChange, aMissingAddressLibraryChangesNothing)
{
    selectRecords({1, 2});
    const auto before = readAll();
    openDialog();
    dialog->SetAdrsSearchFactory([]() -> std::unique_ptr<TContinualAdrsSearch> {
        throw EWQZsCnvErro(QStringLiteral("WQZsCnv.dll がロードできません"));
    });
    check(QStringLiteral("chkGetJisCode"));
    check(QStringLiteral("chkGroup"));
    start();

    EXPECT_NE(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().flags, 0x10u);
    EXPECT_TRUE(readAll() == before);
}

TEST_F(BatchChange, answeringNoChangesNothingAndKeepsTheDialogOpen)
{
    selectRecords({1, 2});
    const auto before = readAll();
    openDialog();
    check(QStringLiteral("chkGroup"));
    boxes.enqueue(IDNO);
    start();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(boxes.last().text, QStringLiteral("一覧で選択したデータを、設定した内容で変更します  \r\nよろしいですか？  "));
    EXPECT_TRUE(readAll() == before);
}

// Enter walks the fields to 開始, the default button; Return there starts.
TEST_F(BatchChange, returnOnTheStartButtonWhereEnterLeadsStarts)
{
    selectRecords({1, 2});
    openDialog();
    check(QStringLiteral("chkGroup"));
    auto *startButton = child<QPushButton>(QStringLiteral("btnStart"));
    EXPECT_TRUE(startButton->isDefault());
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == dialog.get(); }));
    startButton->setFocus(Qt::TabFocusReason);
    boxes.enqueue(IDNO);
    QTest::keyClick(startButton, Qt::Key_Return);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("一覧で選択したデータを、設定した内容で変更します  \r\nよろしいですか？  "));
}

// Another table object deletes record 3 after the rows were selected.
TEST_F(BatchChange, aRecordGoneSinceTheSelectionIsListedAndTheOthersAreStillChanged)
{
    selectRecords({1, 3, 4});
    deleteElsewhere(3);
    auto before = readAll();
    QList<int> toldRows;
    BatchChangeFormHook = [&](int Row, const TAddressData &, const TBatchChangeFlags &) { toldRows << Row; };
    openDialog();
    check(QStringLiteral("chkSymbolColor"));
    QSignalSpy changed(list.get(), &TAddressList::RecordsChanged);
    markStart();
    start();

    ASSERT_EQ(boxes.count(), 2) << "the question and one closing box";
    EXPECT_EQ(boxes.last().text, QStringLiteral("選択した3件のうち、2件のデータを変更しました  \r\n"
                                                "次の1件のデータは削除されていたため変更していません  \r\n"
                                                "No.3  （削除されたデータ）  "));
    EXPECT_EQ(dialog->LastRun().Vanished, QList<qint32>{3});
    EXPECT_EQ(dialog->LastRun().Changed, (QList<qint32>{1, 4}));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(toldRows, (QList<int>{list->IndexOfRecNo(1), list->IndexOfRecNo(4)}));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.first().first().value<QList<qint32>>(), (QList<qint32>{1, 0, 4}));
    expectOnly(before, readAll(), [](int recNo, TAddressData &d) {
        if (recNo == 1 || recNo == 4) {
            d.SymbolColor = 8380223;
            d.UpdDateTime = QDateTime();
        }
    });
}

// A run where the table refuses: one record (a trigger), or the whole run
// (another writer holds the lock: one wait, not one per record). Only what
// reached the file counts as changed, and the record form hears only of that.
struct RefusedRunCase {
    const char *name;
    bool locked; // else record 3 is refused
    QList<qint32> changed;
    QList<qint32> failed;
    const char *reason; // in the message after the records, or nullptr
};
void PrintTo(const RefusedRunCase &c, std::ostream *os) { *os << c.name; }

class RefusedBatchChange : public BatchChange, public ::testing::WithParamInterface<RefusedRunCase>
{
};

TEST_P(RefusedBatchChange, countsOnlyWhatReachedTheFileAndTellsTheFormOfThat)
{
    const RefusedRunCase &c = GetParam();
    selectRecords({1, 3, 4});
    const auto before = readAll();
    TTable blocker;
    if (c.locked) {
        openElsewhere(blocker);
        blocker.BeginBatch(); // holds the write lock until EndBatch
    } else {
        alterBook("CREATE TRIGGER keep3 BEFORE UPDATE ON Data WHEN old.RecNo = 3 "
                  "BEGIN SELECT RAISE(ABORT, 'read-only'); END;");
    }
    QList<int> toldRows;
    BatchChangeFormHook = [&](int Row, const TAddressData &Data, const TBatchChangeFlags &Flags) {
        toldRows << Row;
        EXPECT_EQ(Data.Keyword1.Bytes(), Cp932::encode(QStringLiteral("新")));
        EXPECT_TRUE(Data.UpdDateTime.isValid());
        EXPECT_TRUE(Flags[biKeyword1]);
        EXPECT_FALSE(Flags[biGroup]);
    };
    openDialog();
    check(QStringLiteral("chkKeyword1"));
    TypeCharacters(child<QLineEdit>(QStringLiteral("edtKeyword1")), QStringLiteral("新"));
    markStart();
    QElapsedTimer clock;
    clock.start();
    start();
    const qint64 took = clock.elapsed();
    if (c.locked)
        blocker.EndBatch();

    EXPECT_LT(took, 6000) << "one wait for the lock, not one per record";
    EXPECT_EQ(dialog->LastRun().Changed, c.changed);
    EXPECT_EQ(dialog->LastRun().Failed, c.failed);
    QList<int> changedRows;
    for (const qint32 recNo : c.changed)
        changedRows << list->IndexOfRecNo(recNo);
    EXPECT_EQ(toldRows, changedRows);
    EXPECT_EQ(DMMurven19->AdrsTable()->State(), TTable::TState::dsBrowse);
    ASSERT_EQ(boxes.count(), 2);
    const QString text = boxes.last().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("選択した3件のうち、%1件のデータを変更しました  \r\n"
                                               "次の%2件のデータは変更できませんでした")
                                    .arg(c.changed.size())
                                    .arg(c.failed.size())))
        << qPrintable(text);
    TRunRecords failed;
    for (const qint32 recNo : c.failed)
        failed << TRunRecord{recNo, list->IndexOfRecNo(recNo)};
    EXPECT_TRUE(text.contains(list->RecordListText(failed))) << qPrintable(text);
    if (c.reason) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.reason))) << qPrintable(text);
    }
    expectOnly(before, readAll(), [&c](int recNo, TAddressData &d) {
        if (c.changed.contains(recNo)) {
            d.Keyword1 = Cp932::encode(QStringLiteral("新"));
            d.UpdDateTime = QDateTime();
        }
    });
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RefusedBatchChange,
    ::testing::Values(RefusedRunCase{"oneRecord", false, {1, 4}, {3}, nullptr},
                      RefusedRunCase{"lockedTable", true, {}, {1, 3, 4}, "使用中"}),
    [](const ::testing::TestParamInfo<RefusedRunCase> &info) { return std::string(info.param.name); });

// A keyword the edits would refuse, set past them, reaches no record: each is
// reported as not changed.
TEST_F(BatchChange, aKeywordShiftJisCannotHoldIsWrittenToNoRecordAndEachIsNamed)
{
    selectRecords({1, 3});
    const auto before = readAll();
    openDialog();
    check(QStringLiteral("chkKeyword1"));
    check(QStringLiteral("chkGroup"));
    auto *keyword = child<TTntEdit>(QStringLiteral("edtKeyword1"));
    TypeCharacters(keyword, QStringLiteral("新"));
    keyword->SetText(keyword->GetText() + QStringLiteral("𠮷"));
    start();

    EXPECT_EQ(dialog->LastRun().Failed, (QList<qint32>{1, 3}));
    EXPECT_TRUE(dialog->LastRun().Changed.isEmpty());
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("No.1  名前  \r\nNo.3  名前  ")))
        << qPrintable(boxes.last().text);
    EXPECT_TRUE(readAll() == before);
}

} // namespace
