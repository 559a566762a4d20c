#pragma once

#include "PaperFixture.h"
#include "core/DBInfo.h"
#include "support/DataFolders.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QPrinter>

// The editors' dialogs as the editors open them: the paper catalogues of the
// build, data folders of the test's own with the sender table open, and a
// printer that writes a PDF file.
class EditorDialogsFixture : public PaperDialogFixture
{
public:
    void SetUp() override
    {
        PaperDialogFixture::SetUp();
        for (const QString &folder : {DataRoot, DataPath, OtherPath, HistoryPath})
            QDir().mkpath(folder);
        DMMurven19 = new TDMMurven19;
        DMMurven19->CreateSenderTable();
        ASSERT_TRUE(DMMurven19->OpenSender());
        printer.setOutputFormat(QPrinter::PdfFormat);
    }
    void TearDown() override
    {
        FreeDataModule();
        PaperDialogFixture::TearDown();
    }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    QPrinter printer{QPrinter::HighResolution};
};
