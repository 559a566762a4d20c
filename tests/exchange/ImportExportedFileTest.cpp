#include "ExportWindowFixture.h"
#include "core/Env.h"
#include "exchange/ExportItems.h"
#include "exchange/FExport.h"
#include "exchange/FImport.h"
#include "exchange/ImportConv.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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

} // namespace
