#include "ExportWindowFixture.h"
#include "core/Env.h"
#include "exchange/ExportItems.h"
#include "exchange/FExport.h"
#include "exchange/FImport.h"
#include "exchange/ImportConv.h"
#include "platform/Cp932.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTest>

namespace {

// Finds nothing: the import adds the records as the file gives them.
class NoAddress : public TImportAddressLookup
{
public:
    std::optional<TImportFoundAddress> Find(const QByteArray &) override { return std::nullopt; }
};

// A file written by the export window, with its header line, is loaded in
// the import window the way a user does it: the path typed and Enter.
class ImportExportedFileTest : public ExportWindowFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(openNamedBookForExport());
        target = DataPath + QStringLiteral("exported.txt");
        TFileImport::LookupOverride = &noAddress;
    }
    void TearDown() override
    {
        if (FileExport)
            delete FileExport;
        TFileExport::SaveDialogOverride = nullptr;
        TFileImport::LookupOverride = nullptr;
        FileExportOpener = nullptr;
        BookFixture::TearDown();
    }
    // Exports every shown row with the given catalogue items as columns.
    void exportItems(std::initializer_list<int> items, bool header)
    {
        action("actExportFile")->trigger();
        ASSERT_NE(FileExport, nullptr);
        TFileExport &w = *FileExport;
        w.rbNormal->click();
        for (int item : items) {
            w.sgDest->selectRow(w.Layout().Count());
            w.sgSrc->selectRow(item);
            w.SetItem();
        }
        w.chkOutHeader->setChecked(header);
        w.rbAll->click();
        w.btnExportClick();
        ASSERT_TRUE(QFile::exists(target));
    }
    static void load(TFileImport &window, const QString &path)
    {
        window.edtFile->setText(path);
        QTest::keyClick(window.edtFile, Qt::Key_Return);
    }
    static QString cell(const TFileImport &window, int row, int slot)
    {
        return window.sgDest->item(row - 1, slot)->text();
    }

    NoAddress noAddress;
};

TEST_F(ImportExportedFileTest, anExportedFileWithItsHeaderIsAssignedWhenLoaded)
{
    // The record number has no row in the import (it only matches an update).
    ASSERT_NO_FATAL_FAILURE(exportItems({eiRecNo, eiName, eiHonor}, true));
    TFileImport window(nullptr);
    ASSERT_FALSE(window.chkSkipRecord->isChecked());
    const int shownBefore = boxes.count();
    load(window, target);
    ASSERT_TRUE(window.FileLoaded());
    EXPECT_EQ(boxes.count(), shownBefore) << "assigned without the 一括セット question";
    EXPECT_EQ(cell(window, irName, 1), QStringLiteral("名前"));
    EXPECT_EQ(cell(window, irHonor, 1), QStringLiteral("敬称"));
    EXPECT_EQ(window.Assignment().Slot(irHonor, 1).Column, 2);
    EXPECT_TRUE(window.chkSkipRecord->isChecked()) << "the header line is no record";
    EXPECT_TRUE(window.bbtnAllClear->isEnabled());

    // Imported as it stands, the six records come back with their names.
    boxes.enqueue(IDYES);
    window.btnImport->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    TTable &table = *DMMurven19->AdrsTable();
    EXPECT_EQ(table.RecordCount(), 12);
    table.Last();
    EXPECT_EQ(DecodeUnicodeField(table.FieldByName(QStringLiteral("NameKanji")).AsBytes()), QStringLiteral("名5"));
}

TEST_F(ImportExportedFileTest, anExportedFileWithoutItsHeaderWaitsForTheUser)
{
    ASSERT_NO_FATAL_FAILURE(exportItems({eiName, eiHonor}, false));
    TFileImport window(nullptr);
    load(window, target);
    ASSERT_TRUE(window.FileLoaded());
    EXPECT_FALSE(window.Assignment().AnyAssigned());
    EXPECT_FALSE(window.chkSkipRecord->isChecked());
}

// Keyword captions kept from an older settings file: the file the export
// window writes is assigned on loading with each keyword column in its own
// keyword's row, the cell showing the name the header gives it.
struct CaptionCase {
    const char *name;
    const char16_t *second;   // keyword 2
    const char16_t *eighth;   // keyword 8
    const char16_t *shown[2]; // the cells of their rows
};

void PrintTo(const CaptionCase &c, std::ostream *os)
{
    *os << c.name;
}

class ImportExportedCaptions : public ImportExportedFileTest, public ::testing::WithParamInterface<CaptionCase>
{
};

TEST_P(ImportExportedCaptions, keywordColumnsGoToTheirOwnRows)
{
    const auto saved = KeywordNames;
    KeywordNames[2] = QString::fromUtf16(GetParam().second);
    KeywordNames[8] = QString::fromUtf16(GetParam().eighth);
    ASSERT_NO_FATAL_FAILURE(exportItems({eiName, eiKeyword1 + 7, eiKeyword1 + 1}, true));
    TFileImport window(nullptr);
    KeywordNames = saved;
    load(window, target);
    ASSERT_TRUE(window.FileLoaded());
    EXPECT_EQ(window.Assignment().Slot(irName, 1).Column, 0);
    EXPECT_EQ(window.Assignment().Slot(irKeyword1 + 1, 1).Column, 2);
    EXPECT_EQ(window.Assignment().Slot(irKeyword1 + 7, 1).Column, 1);
    EXPECT_EQ(cell(window, irKeyword1 + 1, 1), QString::fromUtf16(GetParam().shown[0]));
    EXPECT_EQ(cell(window, irKeyword1 + 7, 1), QString::fromUtf16(GetParam().shown[1]));
}

INSTANTIATE_TEST_SUITE_P(
    Captions, ImportExportedCaptions,
    ::testing::Values(CaptionCase{"plainCaptions", u"趣味", u"特技", {u"趣味", u"特技"}},
                      CaptionCase{"quotedCaptionAndItsUnquotedTwin", u"\"q\"", u"q", {u"\"q\"", u"q"}},
                      CaptionCase{"captionWithAComma", u"趣味,特技", u"特技", {u"趣味,特技", u"特技"}},
                      CaptionCase{"captionOfAnotherItem", u"名前", u"q", {u"キーワード２", u"q"}},
                      CaptionCase{"sameCaptionTwice", u"q", u"q", {u"q", u"キーワード８"}}),
    [](const auto &info) { return std::string(info.param.name); });

// A keyword caption kept from an older settings file that is the name of an
// item after the keywords (備考): the keyword's column is written under its
// fixed name, so a file without that column has no column of the keyword's,
// and the notes come back as notes, not in the keyword.
TEST_F(ImportExportedFileTest, aKeywordCaptionedAsTheNoteLeavesAnExportedNoteColumnToTheNotes)
{
    const auto saved = KeywordNames;
    const auto restore = qScopeGuard([&saved] { KeywordNames = saved; });
    KeywordNames[1] = QStringLiteral("備考");
    TTable &table = *DMMurven19->AdrsTable();
    // A note longer than a keyword holds.
    const QString note = QStringLiteral("長い備考").repeated(20);
    for (table.First(); !table.Eof(); table.Next()) {
        table.Edit();
        table.FieldByName(QStringLiteral("Note")).SetAsBytes(Cp932::encode(note));
        table.Post();
    }
    ASSERT_NO_FATAL_FAILURE(exportItems({eiName, eiNote}, true));
    TFileImport window(nullptr);
    load(window, target);
    ASSERT_TRUE(window.FileLoaded());
    EXPECT_EQ(window.Assignment().Slot(irNote, 1).Column, 1);
    EXPECT_FALSE(window.Assignment().IsAssigned(irKeyword1));

    boxes.enqueue(IDYES);
    window.btnImport->click();
    ASSERT_EQ(window.result(), QDialog::Accepted);
    ASSERT_EQ(table.RecordCount(), 12);
    table.Last();
    EXPECT_EQ(Cp932::decode(table.FieldByName(QStringLiteral("Note")).AsBytes()), note);
    EXPECT_EQ(Cp932::decode(table.FieldByName(QStringLiteral("Keyword1")).AsBytes()).trimmed(), QString());
}

} // namespace
