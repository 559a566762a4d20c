// The link windows of the record form answer F1 with their manual pages.

#include "core/PDFHelp.h"
#include "links/QRMap.h"
#include "links/WebSch.h"
#include "LinkFakes.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>

#include <gtest/gtest.h>

namespace {

class LinkHelpContexts : public ::testing::Test
{
protected:
    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    TFakeLinkWorld world;
    ScriptedMessageBoxes boxes;

    void SetUp() override { QDir().mkpath(DataRoot); }
};

TEST_F(LinkHelpContexts, webSearchAndTheMapCodeAnswerWithTheirPages)
{
    TWebSearch search;
    EXPECT_EQ(HelpContextOf(&search), 42);
    EXPECT_EQ(HelpContextOf(search.findChild<QComboBox *>(QStringLiteral("cbxEngine"))), 42);
    TQRCodeMap code;
    EXPECT_EQ(HelpContextOf(&code), 43);
}

} // namespace
