#include "core/InfoDlg.h"

#include "core/Env.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class InfoDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        m_savedUpdateCheck = UpdateCheck;
        m_savedDomain = UpdateDomain;
        UpdateDomain = QStringLiteral("updates.example.jp"); // a check can run
    }
    void TearDown() override
    {
        UpdateCheck = m_savedUpdateCheck;
        UpdateDomain = m_savedDomain;
    }

    // Runs the greeting, unticking the named boxes before pressing OK.
    void runUnticking(const QStringList &boxes)
    {
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<TInfoDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            for (const QString &name : boxes)
                dialog->findChild<QCheckBox *>(name)->setChecked(false);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
        });
        ShowInfoDialog(nullptr);
    }

    QTemporaryDir m_dir;
    ScopedDataFolders m_folders{m_dir.path()};
    ScriptedMessageBoxes m_boxes;
    bool m_savedUpdateCheck = true;
    QString m_savedDomain;
};

TEST_F(InfoDialogTest, greetsWithTheProductNameAndTicksUpdateFromTheSetting)
{
    UpdateCheck = false;
    TInfoDialog dialog;
    dialog.show();
    EXPECT_FALSE(saveScreenshot(&dialog, QStringLiteral("InfoDialog")).isEmpty());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ピルカノス2014"));
    EXPECT_TRUE(dialog.findChild<QLabel *>(QStringLiteral("lblInfo1"))->text().startsWith(QStringLiteral("ピルカノス2014 をお買い上げ")));
    EXPECT_TRUE(dialog.GetShowInfo());
    EXPECT_FALSE(dialog.GetUpdateCheck());
}

TEST_F(InfoDialogTest, untickingShowInfoStoresInfoOffForTheNextStart)
{
    UpdateCheck = true;
    runUnticking({QStringLiteral("ckbInfo")});
    const TMemIniFile ini(SettingsFileName());
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("BASE"), QStringLiteral("Info"), true));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("UPDATE"), QStringLiteral("UpdateCheck"), false));
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(InfoDialogTest, untickingUpdateSwitchesTheAutomaticCheckOff)
{
    UpdateCheck = true;
    runUnticking({QStringLiteral("ckbUpdate")});
    EXPECT_FALSE(UpdateCheck);
    const TMemIniFile ini(SettingsFileName());
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("UPDATE"), QStringLiteral("UpdateCheck"), true));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("BASE"), QStringLiteral("Info"), false));
}

TEST_F(InfoDialogTest, aSettingsFileThatCannotBeWrittenIsReported)
{
    QDir(DataRoot).removeRecursively(); // the folder is gone: nothing can be written
    runUnticking({});
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONERROR));
}

// At the first start without an update server the greeting offers no
// check (none could run) and the stored choice is left as it was.
TEST_F(InfoDialogTest, withoutAnUpdateServerTheGreetingOffersNoCheck)
{
    UpdateDomain.clear();
    UpdateCheck = true;
    {
        TInfoDialog dialog;
        dialog.show();
        saveScreenshot(&dialog, QStringLiteral("InfoDialog_noUpdateServer"));
        for (const char *name : {"ckbUpdate", "lblUpdate1", "lblUpdate2"})
            EXPECT_FALSE(dialog.findChild<QWidget *>(QLatin1String(name))->isVisible()) << name;
        EXPECT_FALSE(dialog.GetUpdateCheck());
    }
    runUnticking({});
    EXPECT_TRUE(UpdateCheck);
    EXPECT_EQ(m_boxes.count(), 0);
}

} // namespace
