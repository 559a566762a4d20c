#include "ExportWindowFixture.h"
#include "core/Env.h"
#include "exchange/MExport.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/Screenshot.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The made-up map program's mesh: the position spread over the mesh's parts,
// so every part of the record is exercised.
TAtlasMesh meshOf(qint32 latitude, qint32 longitude)
{
    return TAtlasMesh{quint16(latitude % 60000 + 1), quint8(latitude % 251), quint8(longitude % 251),
                      quint32(latitude), quint32(longitude)};
}

// A book of six private records 名0 .. 名5 in the main list; the even ones
// carry a position (latitude 128000000 + i, longitude 503000000 + i). The
// mark export window is opened through the main list's command, its file
// dialog answered with target and the map program's library replaced by a
// made-up mesh conversion.
class MarkExportTest : public ExportWindowFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(openBookOfSix([](TTable &table, int i) {
            table.FieldByName(QStringLiteral("PrivCorp")).SetAsBoolean(true);
            table.FieldByName(QStringLiteral("NameKanji")).SetAsBytes(EncodeUnicodeField(QStringLiteral("名%1").arg(i)));
            table.FieldByName(QStringLiteral("Latitude")).SetAsInteger(i % 2 == 0 ? 128000000 + i : 0);
            table.FieldByName(QStringLiteral("Longitude")).SetAsInteger(i % 2 == 0 ? 503000000 + i : 0);
        }));
        RegisterMarkExport();
        target = DataPath + QStringLiteral("marks/Mark01.mri");
        TMarkExport::SaveDialogOverride = [this](const QString &start, int &filter) {
            dialogStart = start;
            filter = 1;
            return target;
        };
        TMarkExport::WriterOverride = [] {
            return std::make_unique<TAtlasMarkWriter>(
                [](qint32 latitude, qint32 longitude) { return std::optional(meshOf(latitude, longitude)); });
        };
    }
    void TearDown() override
    {
        if (MarkExport)
            delete MarkExport;
        TMarkExport::SaveDialogOverride = nullptr;
        TMarkExport::WriterOverride = nullptr;
        MarkExportOpener = nullptr;
        SafeFile::setFailureHook({});
        BookFixture::TearDown();
    }
    TMarkExport &window()
    {
        if (!MarkExport)
            action("actMarkExport")->trigger();
        return *MarkExport;
    }
    // A window closed by a successful run is gone once its deletion ran.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    static TAtlasMark mark(int i)
    {
        return {meshOf(128000000 + i, 503000000 + i), Cp932::encode(QStringLiteral("名%1").arg(i))};
    }
    static QList<TAtlasMark> evenMarks() { return {mark(0), mark(2), mark(4)}; }
    void exportAll()
    {
        window().rbAll->click();
        QTest::mouseClick(window().btnExport, Qt::LeftButton);
        settle();
    }

    QString dialogStart;
};

TEST_F(MarkExportTest, theFileMenuCommandOpensTheWindowOnce)
{
    ASSERT_TRUE(action("actMarkExport")->isEnabled());
    action("actMarkExport")->trigger();
    TMarkExport *first = MarkExport;
    ASSERT_NE(first, nullptr);
    action("actMarkExport")->trigger();
    EXPECT_EQ(MarkExport, first);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("マークファイルの出力"));
}

TEST_F(MarkExportTest, allRowsWriteAMarkFileThatReadsBackAsTheirMarks)
{
    exportAll();
    const std::optional<QList<TAtlasMark>> marks = ReadAtlasMarkFile(written());
    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(*marks, evenMarks());
    EXPECT_EQ(dialogStart, QDir(DataPath).filePath(QStringLiteral("Mark01.mri")));
}

TEST_F(MarkExportTest, theQuestionCountsOnlyRecordsWithAPositionAndTheEndBothCounts)
{
    exportAll();
    ASSERT_GE(boxes.count(), 2);
    EXPECT_EQ(boxes.shown().first().text, MarkQuestion(3));
    EXPECT_EQ(boxes.last().text, MarkDoneMessage(6, 3));
}

TEST_F(MarkExportTest, aSuccessfulRunClosesTheWindowAndTheNextOneShowsItsChoices)
{
    window().rbRange->click();
    window().edtRangeBegin->setText(QStringLiteral("2"));
    QTest::keyClick(window().edtRangeBegin, Qt::Key_Return);
    QTest::mouseClick(window().btnExport, Qt::LeftButton);
    settle();
    EXPECT_EQ(MarkExport, nullptr);
    TMarkExport &again = window();
    EXPECT_TRUE(again.rbRange->isChecked());
    EXPECT_EQ(again.BeginPos(), 2);
    EXPECT_EQ(again.File(), target);
    const TMemIniFile ini(SettingsFileName());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("MARK EXPORT"), QStringLiteral("DataSelect"), -1), 1);
    EXPECT_EQ(ini.ReadString(QStringLiteral("MARK EXPORT"), QStringLiteral("File"), QString()), target);
}

TEST_F(MarkExportTest, answeringNoToOverwriteAppendsTheNewMarks)
{
    exportAll();
    // Keep the file (No), then append (No): the defaults.
    exportAll();
    const std::optional<QList<TAtlasMark>> marks = ReadAtlasMarkFile(written());
    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(*marks, evenMarks() + evenMarks());
}

TEST_F(MarkExportTest, aUsersDollarFileBesideTheTargetIsNeitherTakenNorTouched)
{
    exportAll();
    const QByteArray first = fileBytes(target);
    // The user keeps a copy named like the old copies of a killed save.
    const QString users = QFileInfo(target).absolutePath() + QStringLiteral("/$$") + QFileInfo(target).fileName();
    ASSERT_TRUE(QFile::rename(target, users));
    boxes.clear();
    exportAll();
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_FALSE(box.text.startsWith(QStringLiteral("既にあるファイルを指定しました")));
    EXPECT_EQ(ReadAtlasMarkFile(written()), std::optional(evenMarks()));
    EXPECT_EQ(fileBytes(users), first);
}

TEST_F(MarkExportTest, aNameShiftJisCannotHoldIsToldNotWrittenAsQuestionMarksUnseen)
{
    // 𠮷 has no Shift-JIS form: the mark file can only hold "?" for it.
    ASSERT_TRUE(DMMurven19->OpenAdrs());
    TTable &table = *DMMurven19->AdrsTable();
    ASSERT_TRUE(FindRunRecord(table, 1));
    table.Edit();
    table.FieldByName(QStringLiteral("NameKanji")).SetAsBytes(EncodeUnicodeField(u"𠮷田"));
    table.Post();
    DMMurven19->CloseAdrs();
    exportAll();
    ASSERT_GE(boxes.count(), 2);
    const TMessageBoxRequest &done = boxes.last();
    EXPECT_TRUE(done.text.startsWith(QStringLiteral("マークファイルの出力が完了しました")));
    EXPECT_TRUE(done.text.contains(QStringLiteral("「?」で出力したデータ : 1 件"))) << qPrintable(done.text);
    EXPECT_EQ(done.flags & 0xF0u, unsigned(MB_ICONWARNING));
}

// The map program refuses the positions off its map: the run says how many
// it refused, so they are not taken for records without a position.
TEST_F(MarkExportTest, marksTheMapProgramRefusedAreToldInTheEndMessage)
{
    TMarkExport::WriterOverride = [] {
        return std::make_unique<TAtlasMarkWriter>([](qint32 latitude, qint32 longitude) {
            return latitude == 128000002 ? std::nullopt : std::optional(meshOf(latitude, longitude));
        });
    };
    exportAll();
    EXPECT_EQ(ReadAtlasMarkFile(written()), std::optional(QList<TAtlasMark>{mark(0), mark(4)}));
    const TMessageBoxRequest &done = boxes.last();
    EXPECT_TRUE(done.text.startsWith(MarkDoneMessage(6, 2))) << qPrintable(done.text);
    EXPECT_TRUE(done.text.contains(QStringLiteral("地図ソフトが受け付けなかったデータ : 1 件"))) << qPrintable(done.text);
    EXPECT_EQ(done.flags & 0xF0u, unsigned(MB_ICONWARNING));
}

TEST_F(MarkExportTest, whenEveryMarkIsRefusedTheEndMessageSaysTheFileIsUnchanged)
{
    exportAll();
    const QByteArray before = written();
    TMarkExport::WriterOverride = [] {
        return std::make_unique<TAtlasMarkWriter>([](qint32, qint32) { return std::optional<TAtlasMesh>(); });
    };
    boxes.clear();
    boxes.enqueue(IDYES); // the question
    boxes.enqueue(IDNO);  // keep the file
    boxes.enqueue(IDYES); // overwrite
    exportAll();
    EXPECT_EQ(written(), before);
    const TMessageBoxRequest &done = boxes.last();
    EXPECT_TRUE(done.text.contains(QStringLiteral("地図ソフトが受け付けなかったデータ : 3 件"))) << qPrintable(done.text);
    EXPECT_TRUE(done.text.contains(QStringLiteral("マークファイルは変更していません"))) << qPrintable(done.text);
    EXPECT_EQ(done.flags & 0xF0u, unsigned(MB_ICONWARNING));
}

TEST_F(MarkExportTest, aReadOnlyMarkFileIsRefusedAndLeftAsItWas)
{
    exportAll();
    const QByteArray before = written();
    ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner));
    boxes.clear();
    boxes.enqueue(IDYES); // the question
    boxes.enqueue(IDNO);  // keep the file
    boxes.enqueue(IDYES); // overwrite, if asked
    exportAll();
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(written(), before);
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_FALSE(box.text.contains(QStringLiteral("完了しました")));
}

TEST_F(MarkExportTest, answeringYesToOverwriteLeavesOnlyTheNewMarks)
{
    exportAll();
    boxes.enqueue(IDYES); // the question
    boxes.enqueue(IDNO);  // keep the file
    boxes.enqueue(IDYES); // overwrite
    exportAll();
    EXPECT_EQ(ReadAtlasMarkFile(written()), std::optional(evenMarks()));
}

TEST_F(MarkExportTest, aRefusedWriteLeavesTheOldFileWholeAndTheWindowOpen)
{
    exportAll();
    const QByteArray before = written();
    ASSERT_EQ(before.size(), 3 * AtlasMarkRecordSize);
    SafeFile::setFailureHook([](SafeFile::Step step) { return step == SafeFile::Step::RenameTemporary; });
    boxes.clear();
    exportAll();
    SafeFile::setFailureHook({});
    EXPECT_EQ(written(), before);
    ASSERT_GT(boxes.count(), 0);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("マークファイルに出力できませんでした")));
    EXPECT_EQ(boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONERROR));
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_FALSE(box.text.contains(QStringLiteral("完了しました")));
    EXPECT_NE(MarkExport, nullptr);
}

TEST_F(MarkExportTest, withoutTheMapProgramTheUserIsToldBeforeBeingAskedAnything)
{
    TMarkExport::WriterOverride = nullptr;
    exportAll();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("地図ソフトがインストールされていません")));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_NE(MarkExport, nullptr);
}

TEST_F(MarkExportTest, rowsWithoutAPositionGiveTheMessageOfTheDataSelection)
{
    list->SelectRow(1, true, true);
    window().rbList->click();
    ASSERT_EQ(window().OutputCount(), 1);
    QTest::mouseClick(window().btnExport, Qt::LeftButton);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, MarkNothingMessage(0));
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(MarkExportTest, aNameWithoutExtensionBecomesAMarkFile)
{
    target = DataPath + QStringLiteral("marks/Mark02");
    exportAll();
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral(".mri")));
}

TEST_F(MarkExportTest, cancellingTheFileChoiceWritesNothingAndKeepsTheWindow)
{
    TMarkExport::SaveDialogOverride = [](const QString &, int &) { return QString(); };
    exportAll();
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_NE(MarkExport, nullptr);
}

struct StoredChoice {
    const char *name;
    int stored;
    int shown;
};

class MarkExportSettings : public MarkExportTest, public ::testing::WithParamInterface<StoredChoice>
{
};

TEST_P(MarkExportSettings, theStoredDataSelectionIsShownWhenValid)
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(QStringLiteral("MARK EXPORT"), QStringLiteral("DataSelect"), GetParam().stored);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(window().DataSelect(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Marks, MarkExportSettings,
                         ::testing::Values(StoredChoice{"range", 1, 1}, StoredChoice{"all", 2, 2},
                                           StoredChoice{"threeReadsAsSelected", 3, 0},
                                           StoredChoice{"negativeReadsAsSelected", -1, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(MarkExportTest, theExportButtonFollowsTheCount)
{
    list->SelectRow(0, true, true);
    window().rbList->click();
    EXPECT_TRUE(window().btnExport->isEnabled());
    window().rbRange->click();
    EXPECT_EQ(window().OutputCount(), 6);
    EXPECT_EQ(window().lblDataCount->text(), QStringLiteral("6 件"));
    (void)saveScreenshot(&window(), QStringLiteral("MarkExport"));
}

} // namespace

namespace {

TEST_F(MarkExportTest, aRebuiltListUpdatesTheCount)
{
    window().rbAll->click();
    ASSERT_EQ(window().OutputCount(), 6);
    list->SelectRow(0, true, true);
    boxes.enqueue(IDYES);
    action("actDelete")->trigger();
    ASSERT_EQ(list->GetRowCount(), 5);
    EXPECT_EQ(window().OutputCount(), 5);
    EXPECT_EQ(window().lblDataCount->text(), QStringLiteral("5 件"));
}

TEST_F(MarkExportTest, theMainListClosesItWithItsOtherWindows)
{
    (void)window();
    EXPECT_TRUE(list->CloseChildWindows());
    settle();
    EXPECT_EQ(MarkExport, nullptr);
}

} // namespace
