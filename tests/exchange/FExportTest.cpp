#include "ExportWindowFixture.h"
#include "core/Env.h"
#include "exchange/FExport.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/Screenshot.h"
#include "support/OtherHandle.h"
#include "support/SaveFaultCases.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <functional>

namespace {

QByteArray sj(const char *utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

// A book of six records (names 名0 .. 名5, honorific 様) shown in the main
// list, and the export window over it with its file dialog answered.
class FileExportTest : public ExportWindowFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(openNamedBookForExport());
        target = DataPath + QStringLiteral("out/export.txt");
    }
    void TearDown() override
    {
        if (FileExport)
            delete FileExport;
        TFileExport::SaveDialogOverride = nullptr;
        FileExportOpener = nullptr;
        BookFixture::TearDown();
    }
    TFileExport &window()
    {
        if (!FileExport)
            action("actExportFile")->trigger();
        return *FileExport;
    }
    // Puts catalogue item Item at the end of the layout as a new column.
    void setItem(int item)
    {
        window().sgDest->selectRow(window().Layout().Count());
        window().sgSrc->selectRow(item);
        window().SetItem();
    }
    // Types a range end and confirms it with Enter.
    void typeRange(QLineEdit *edit, int value)
    {
        edit->setText(QString::number(value));
        QTest::keyClick(edit, Qt::Key_Return);
    }
};

TEST_F(FileExportTest, theFileMenuCommandOpensTheWindowOnce)
{
    ASSERT_TRUE(action("actExportFile")->isEnabled());
    action("actExportFile")->trigger();
    TFileExport *first = FileExport;
    ASSERT_NE(first, nullptr);
    action("actExportFile")->trigger();
    EXPECT_EQ(FileExport, first);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("テキストファイルの出力"));
}

TEST_F(FileExportTest, freshSettingsGiveTheDefaults)
{
    TFileExport &w = window();
    EXPECT_TRUE(w.Layout().IsEmpty());
    EXPECT_EQ(w.sgDest->rowCount(), 1);
    EXPECT_EQ(w.sgSrc->rowCount(), ExportItemCount);
    EXPECT_EQ(w.DataSelect(), 0);
    EXPECT_TRUE(w.rbList->isChecked());
    EXPECT_TRUE(w.rbEncrypt->isChecked());
    EXPECT_TRUE(w.chkOutHeader->isChecked());
    EXPECT_FALSE(w.chkBindDblQuote->isChecked());
    for (QCheckBox *box : {w.chkEditHyphen, w.chkEditTel, w.chkEditFax, w.chkEditPos, w.chkEditPortable1,
                           w.chkEditPortable2})
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_FALSE(w.btnExport->isEnabled());
    EXPECT_FALSE(w.bbtnDelete->isEnabled());
}

TEST_F(FileExportTest, theLayoutGridShowsColumnNumbersAndCaptions)
{
    setItem(eiName);
    window().sgDest->selectRow(0);
    window().sgSrc->selectRow(eiHonor);
    window().JoinItem();
    EXPECT_EQ(window().sgDest->rowCount(), 3);
    EXPECT_EQ(window().sgDest->item(0, 0)->text(), QStringLiteral("  1"));
    EXPECT_EQ(window().sgDest->item(1, 0)->text(), QString());
    EXPECT_EQ(window().sgDest->item(1, 1)->text(), QStringLiteral("敬称"));
}

TEST_F(FileExportTest, aRangeOfThreeToFiveCountsThreeRows)
{
    TFileExport &w = window();
    w.rbRange->click();
    typeRange(w.edtRangeBegin, 3);
    typeRange(w.edtRangeEnd, 5);
    EXPECT_EQ(w.BeginPos(), 3);
    EXPECT_EQ(w.EndPos(), 5);
    EXPECT_EQ(w.OutputCount(), 3);
    EXPECT_EQ(w.lblDataCount->text(), QStringLiteral("3 件"));
}

TEST_F(FileExportTest, anExportWritesTheChosenRowsAndSaysSo)
{
    window().rbNormal->click();
    setItem(eiName);
    setItem(eiHonor);
    window().rbRange->click();
    typeRange(window().edtRangeBegin, 2);
    typeRange(window().edtRangeEnd, 3);
    window().btnExportClick();
    EXPECT_EQ(written(), sj("名前,敬称\r\n名1,様\r\n名2,様\r\n"));
    ASSERT_GT(boxes.count(), 0);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("テキストファイルの出力が完了しました")));
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("出力件数 : 2 件")));
    (void)saveScreenshot(&window(), QStringLiteral("FileExport"));
}

// Each record's 連名主 as the file holds it: the name itself for an owner
// that is the record's own name (0), else the joint name it points to.
class JointOwnerExportTest : public FileExportTest
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        // Record i is owned by joint name i (by its own name for 0); joint
        // name k of record i is 連k-i.
        ASSERT_NO_FATAL_FAILURE(openNamedBookForExport([](TTable &table, int i) {
            for (int k = 1; k <= 5; ++k)
                table.FieldByName(QStringLiteral("Joint%1").arg(k))
                    .SetAsBytes(EncodeUnicodeField(QStringLiteral("連%1-%2").arg(k).arg(i)));
            table.FieldByName(QStringLiteral("JointOwner")).SetAsInteger(i);
        }));
        target = DataPath + QStringLiteral("out/owners.txt");
    }
};

TEST_F(JointOwnerExportTest, writesTheOwnersNameTheNameItselfForTheRecordsOwn)
{
    window().rbNormal->click();
    setItem(eiName);
    setItem(eiJointOwner);
    window().rbAll->click();
    window().btnExportClick();
    QByteArray expected = sj("名前,連名主\r\n");
    for (int i = 0; i < 6; ++i)
        expected += Cp932::encode(QStringLiteral("名%1,").arg(i) +
                                  (i == 0 ? QStringLiteral("名0") : QStringLiteral("連%1-%1").arg(i))) +
                    "\r\n";
    EXPECT_EQ(written(), expected) << written().toStdString();
}

TEST_F(FileExportTest, appendingAddsASecondHeaderAfterTheOldLines)
{
    window().rbNormal->click();
    setItem(eiHonor);
    window().rbAll->click();
    window().btnExportClick();
    // Second run: keep the target (No), then append (No).
    boxes.enqueue(IDYES);
    boxes.enqueue(IDNO);
    boxes.enqueue(IDNO);
    window().btnExportClick();
    const QByteArray once = sj("敬称\r\n") + sj("様\r\n").repeated(6);
    EXPECT_EQ(written(), once + once);
}

TEST_F(FileExportTest, aFailedWriteIsReportedAndNeverCalledDone)
{
    window().rbNormal->click();
    setItem(eiName);
    window().rbAll->click();
    SafeFile::setFailureHook([](SafeFile::Step step) { return step == SafeFile::Step::RenameTemporary; });
    window().btnExportClick();
    SafeFile::setFailureHook({});
    ASSERT_GT(boxes.count(), 0);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("ファイルに出力できませんでした")));
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_FALSE(box.text.contains(QStringLiteral("完了しました")));
    EXPECT_FALSE(QFile::exists(target));
}

// An export the disk refuses names the cause to mend.
class ExportDiskFault : public FileExportTest, public ::testing::WithParamInterface<SaveFaultCase> {};

TEST_P(ExportDiskFault, isReportedWithItsCause)
{
    window().rbNormal->click();
    setItem(eiName);
    window().rbAll->click();
    {
        const ScopedSaveFault fault(GetParam());
        window().btnExportClick();
    }
    ASSERT_GT(boxes.count(), 0);
    const QString shown = boxes.last().text;
    EXPECT_TRUE(shown.startsWith(QStringLiteral("ファイルに出力できませんでした  \r\n") + target)) << qPrintable(shown);
    EXPECT_TRUE(shown.contains(QString::fromUtf16(GetParam().cause))) << qPrintable(shown);
    EXPECT_FALSE(QFile::exists(target));
}

INSTANTIATE_TEST_SUITE_P(Causes, ExportDiskFault, SaveFaultCases(), SaveFaultName);

TEST_F(FileExportTest, aUsersDollarFileBesideTheTargetIsNeitherTakenNorTouched)
{
    // A file of the user's that looks like the old copies of a killed save.
    ASSERT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
    const QString users = QFileInfo(target).absolutePath() + QStringLiteral("/$$") + QFileInfo(target).fileName();
    {
        QFile mine(users);
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        mine.write("the user's own\r\n");
    }
    window().rbNormal->click();
    setItem(eiHonor);
    window().rbAll->click();
    window().btnExportClick();
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_FALSE(box.text.startsWith(QStringLiteral("既にあるファイルを指定しました")));
    EXPECT_EQ(written(), sj("敬称\r\n") + sj("様\r\n").repeated(6));
    QFile mine(users);
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), "the user's own\r\n");
}

// ---- Every record deleted while the export asks ------------------------------------

struct NoneLeftExportCase {
    const char *name;
    const char *before; // the target's bytes before the run; nullptr: no file
    int keep;           // the answer to the question of a file there: IDYES replaces, IDNO appends
};

class FileExportNoneLeft : public FileExportTest, public ::testing::WithParamInterface<NoneLeftExportCase>
{
};

// Another program deletes every record while the export's question waits:
// no header alone replaces, joins or makes the target, and the user hears
// that nothing was exported instead of that the export is done.
TEST_P(FileExportNoneLeft, writesNothingAndSaysSo)
{
    const NoneLeftExportCase &c = GetParam();
    if (c.before) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        ASSERT_EQ(old.write(c.before), qint64(qstrlen(c.before)));
    }
    window().rbNormal->click();
    setItem(eiName);
    setItem(eiHonor);
    window().rbAll->click();
    QList<qint32> rows;
    for (int row = 0; row < list->GetRowCount(); ++row)
        rows << list->GetRowRecNo(row);
    ASSERT_EQ(rows.size(), 6);
    QString refused = QStringLiteral("the question was not asked");
    boxes.whileShown([&](const TMessageBoxRequest &box) {
        if (!box.text.startsWith(QStringLiteral("アドレス帳のデータをファイルに出力します")))
            return;
        try {
            OtherHandle handle(*DMMurven19->AdrsTable());
            for (const qint32 recNo : rows) {
                if (!handle.table.FindKey({QVariant(recNo)})) {
                    refused = QStringLiteral("no record %1").arg(recNo);
                    return;
                }
                handle.table.Delete();
            }
            refused.clear();
        } catch (const ETableError &e) {
            refused = e.Message();
        }
    });
    boxes.enqueue(IDYES);
    if (c.before)
        boxes.enqueue(c.keep);
    window().btnExportClick();
    EXPECT_EQ(refused, QString());
    ASSERT_GT(boxes.count(), 0);
    EXPECT_EQ(boxes.last().text, QStringLiteral("出力するデータがありません  \r\nファイルには何も書き込んでいません  "));
    if (c.before) {
        EXPECT_EQ(written(), QByteArray(c.before));
    } else {
        EXPECT_FALSE(QFileInfo::exists(target));
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FileExportNoneLeft,
                         ::testing::Values(NoneLeftExportCase{"newFile", nullptr, 0},
                                           NoneLeftExportCase{"fileReplaced", "last month\r\n", IDYES},
                                           NoneLeftExportCase{"fileAppendedTo", "last month\r\n", IDNO}),
                         [](const auto &info) { return std::string(info.param.name); });

// A file its owner made read-only is not replaced behind that protection.
TEST_F(FileExportTest, aReadOnlyTargetIsRefusedAndLeftAsItWas)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("keep\r\n");
    }
    ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner));
    window().rbNormal->click();
    setItem(eiHonor);
    window().rbAll->click();
    boxes.enqueue(IDYES); // export
    boxes.enqueue(IDYES); // overwrite, if asked
    window().btnExportClick();
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(written(), "keep\r\n");
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_FALSE(box.text.contains(QStringLiteral("完了しました")));
}

// The files the program keeps for itself, chosen as the export's target.
struct OwnFileCase {
    const char *label;
    std::function<QString()> path;
};
void PrintTo(const OwnFileCase &c, std::ostream *os) { *os << c.label; }
class OwnFileExportTest : public FileExportTest, public ::testing::WithParamInterface<OwnFileCase> {};

TEST_P(OwnFileExportTest, isRefusedAndLeftAsItWas)
{
    writeSenders({QStringLiteral("自宅")});
    target = GetParam().path();
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    window().rbNormal->click();
    setItem(eiHonor);
    window().rbAll->click();
    boxes.enqueue(IDYES); // export
    boxes.enqueue(IDYES); // overwrite, if asked
    window().btnExportClick();
    EXPECT_EQ(written(), before);
    ASSERT_GT(boxes.count(), 0);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("プログラムが使用しているファイルには出力できません")));
}

INSTANTIATE_TEST_SUITE_P(
    Files, OwnFileExportTest,
    ::testing::Values(OwnFileCase{"openBookTable", [] { return DMMurven19->AdrsTable()->TableName(); }},
                      OwnFileCase{"senderTable", [] { return OtherPath + QStringLiteral("Sender.DB"); }},
                      OwnFileCase{"settingsFile", [] { return SettingsFileName(); }}),
    [](const auto &info) { return std::string(info.param.label); });

TEST_F(FileExportTest, anEmptyLayoutAsksForItems)
{
    window().btnExportClick();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("出力する項目をセットしてください  "));
}

TEST_F(FileExportTest, aSuccessfulRunStoresTheLayoutForTheNextWindow)
{
    window().rbNormal->click();
    setItem(eiName);
    window().sgDest->selectRow(0);
    window().sgSrc->selectRow(eiHonor);
    window().JoinItem();
    setItem(eiTel);
    window().rbAll->click();
    window().btnExportClick();
    delete FileExport;
    TFileExport &again = window();
    EXPECT_EQ(again.Layout().ToKeys(), (QStringList{QStringLiteral("21,23"), QStringLiteral("3")}));
    EXPECT_EQ(again.DataSelect(), 2);
    EXPECT_EQ(again.FileNormal(), target);
}

TEST_F(FileExportTest, newKeywordNamesReachTheCatalogueAndTheLayout)
{
    setItem(eiKeyword1);
    const QString saved = KeywordNames[1];
    KeywordNames[1] = QStringLiteral("趣味");
    NotifyRowWindows("UpdateKeywordNames");
    KeywordNames[1] = saved;
    EXPECT_EQ(window().sgSrc->item(eiKeyword1, 0)->text(), QStringLiteral("趣味"));
    EXPECT_EQ(window().sgDest->item(0, 1)->text(), QStringLiteral("趣味"));
}

} // namespace

namespace {

// Two books, 名0 .. 名5 in the first and 別0 .. 別2 in the second.
class TwoBookExportTest : public FileExportTest
{
protected:
    // The main list closed, and opened again on a second book.
    void openSecondBook()
    {
        delete FileExport;
        list.reset();
        ASSERT_TRUE(QDir().mkpath(AdrsPath + QStringLiteral("Book2")));
        AdrsFolderList.append({QStringLiteral("二冊目"), QStringLiteral("Book2"), AdrsStateUnchanged});
        AdrsFolderIndex = 1;
        AdrsName = AdrsFolderList[1].Name;
        DMMurven19->CreateAdrsTable(QStringLiteral("Book2"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        for (int i = 0; i < 3; ++i) {
            table.Append();
            table.FieldByName(QStringLiteral("NameKanji")).SetAsBytes(EncodeUnicodeField(QStringLiteral("別%1").arg(i)));
            table.FieldByName(QStringLiteral("Honor")).SetAsBytes(Cp932::encode(QStringLiteral("殿")));
            table.Post();
        }
        DMMurven19->CloseAdrs();
        openList();
    }
};

} // namespace

// The second book's export offered the first book's file and appended to it
// (いいえ twice): the completion names the file it went to and how many
// records it held before, the header line not counted.
TEST_F(TwoBookExportTest, anExportAppendedToTheFirstBooksFileSaysWhereAndHowManyItHeld)
{
    window().rbNormal->click();
    setItem(eiName);
    setItem(eiHonor);
    window().rbAll->click();
    window().btnExportClick();
    const QByteArray first = written();
    ASSERT_EQ(first.count('\n'), 7);

    ASSERT_NO_FATAL_FAILURE(openSecondBook());
    // The run's question, then keep the offered file (いいえ), then append (いいえ).
    TFileExport::SaveDialogOverride = [](const QString &, int &) {
        ADD_FAILURE() << "the offered file was kept: no file dialog";
        return QString();
    };
    boxes.enqueue(IDYES);
    boxes.enqueue(IDNO);
    boxes.enqueue(IDNO);
    window().btnExportClick();
    EXPECT_EQ(written(), first + sj("名前,敬称\r\n別0,殿\r\n別1,殿\r\n別2,殿\r\n"));
    ASSERT_GT(boxes.count(), 0);
    const QString done = boxes.last().text;
    EXPECT_TRUE(done.startsWith(QStringLiteral("テキストファイルの出力が完了しました"))) << qPrintable(done);
    EXPECT_TRUE(done.contains(QStringLiteral("出力件数 : 3 件"))) << qPrintable(done);
    EXPECT_TRUE(done.contains(target + QStringLiteral("  \r\nに追加しました（追加前のデータ : 6 件）")))
        << qPrintable(done);
}

// A file replaced, not appended to, says nothing of appending.
TEST_F(FileExportTest, anExportThatReplacedTheFileSaysNothingOfAppending)
{
    window().rbNormal->click();
    setItem(eiHonor);
    window().btnExportClick();
    boxes.enqueue(IDYES);
    boxes.enqueue(IDNO);
    boxes.enqueue(IDYES);
    window().btnExportClick();
    ASSERT_GT(boxes.count(), 0);
    EXPECT_FALSE(boxes.last().text.contains(QStringLiteral("追加"))) << qPrintable(boxes.last().text);
}
