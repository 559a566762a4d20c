#include "dialogs/LytDtl.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/Screenshot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

template <typename T> T *child(QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class LayoutDetail : public ::testing::Test
{
protected:
    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    void SetUp() override { QDir().mkpath(DataRoot); }
    void storePage(int page)
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteInteger(QStringLiteral("PRINTFORM"), QStringLiteral("Detail"), page);
        ASSERT_TRUE(ini.UpdateFile());
    }
};

TEST_F(LayoutDetail, StoredPageOutsideThePagesOpensTheFirst)
{
    for (const int stored : {7, -1}) {
        storePage(stored);
        TLayoutDetailDialog dialog(nullptr);
        EXPECT_EQ(child<QTabWidget>(dialog, "pgcDetail")->currentIndex(), 0) << stored;
    }
}

TEST_F(LayoutDetail, PageShownIsRememberedWhateverTheAnswer)
{
    {
        TLayoutDetailDialog dialog(nullptr);
        child<QTabWidget>(dialog, "pgcDetail")->setCurrentIndex(2);
        dialog.reject();
    }
    TLayoutDetailDialog again(nullptr);
    EXPECT_EQ(child<QTabWidget>(again, "pgcDetail")->currentIndex(), 2);
}

TEST_F(LayoutDetail, AutomaticLayoutDisablesEveryVisibilityBox)
{
    TLayoutDetailDialog dialog(nullptr);
    dialog.SetDataSide(0);
    dialog.SetDetailedFrames(false);
    EXPECT_FALSE(child<QCheckBox>(dialog, "ckbName")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(dialog, "ckbAddition4")->isEnabled());
    EXPECT_TRUE(child<QComboBox>(dialog, "cbxCorpRatio")->isEnabled());
    EXPECT_FALSE(dialog.DetailedFrames);
}

TEST_F(LayoutDetail, DetailedFramesFollowTheDataSide)
{
    TLayoutDetailDialog dialog(nullptr);
    dialog.SetDataSide(2);
    dialog.SetDetailedFrames(true);
    EXPECT_FALSE(child<QCheckBox>(dialog, "ckbName")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>(dialog, "ckbS_Name")->isEnabled());
    EXPECT_FALSE(child<QComboBox>(dialog, "cbxCorpRatio")->isEnabled());
    dialog.SetDataSide(1);
    EXPECT_TRUE(child<QCheckBox>(dialog, "ckbName")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(dialog, "ckbAddition1")->isEnabled());
    child<QCheckBox>(dialog, "ckbAuto")->setChecked(true);
    EXPECT_FALSE(dialog.DetailedFrames);
}

TEST_F(LayoutDetail, OutOfRangeAlignmentOpensCentredAndIsWrittenAsThree)
{
    TLayoutDetailDialog dialog(nullptr);
    TDataFormat f;
    f.NameAlign = 9;
    f.SendNameAlign = 1;
    f.NameSize = 4;
    f.CorpRatio = 2;
    f.SendSeries = 1;
    dialog.SetDetail(f);
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbCenter")->isChecked());
    TDataFormat out;
    out.DefHonor = "x";
    dialog.GetDetail(out);
    EXPECT_EQ(out.NameAlign, 3);
    EXPECT_EQ(out.SendNameAlign, 1);
    EXPECT_EQ(out.NameSize, 4);
    EXPECT_EQ(out.CorpRatio, 2);
    EXPECT_EQ(out.SendSeries, 1);
    EXPECT_EQ(out.DefHonor, QByteArray("x")); // outside its bytes
    saveScreenshot(&dialog, QStringLiteral("LayoutDetailDialog"));
}

TEST_F(LayoutDetail, DetailRoundTripKeepsBytesSixtyToHundred)
{
    TDataFormat f;
    ApplyNewLayoutDefaults(f, TDataFormatEditor::dfeLabel, false);
    f.CorpBreak = true;
    f.SendNameAlign = 2;
    TLayoutDetailDialog dialog(nullptr);
    dialog.SetDetail(f);
    TDataFormat out;
    dialog.GetDetail(out);
    EXPECT_EQ(WriteDataFormat(out).mid(60, 41), WriteDataFormat(f).mid(60, 41));
}

TEST_F(LayoutDetail, KindsDisableTheirSide)
{
    TLayoutDetailDialog label(nullptr);
    label.SetLayoutKind(TLayoutKind::lkLabel);
    EXPECT_FALSE(child<QSlider>(label, "tbrSendName")->isEnabled());
    EXPECT_FALSE(child<QRadioButton>(label, "rbS_Left")->isEnabled());
    EXPECT_TRUE(child<QSlider>(label, "tbrAddition")->isEnabled());
    TLayoutDetailDialog postcard(nullptr);
    postcard.SetLayoutKind(TLayoutKind::lkPostcard);
    EXPECT_FALSE(child<QSlider>(postcard, "tbrAddition")->isEnabled());
    EXPECT_TRUE(child<QSlider>(postcard, "tbrSendName")->isEnabled());
    TLayoutDetailDialog design(nullptr);
    design.SetDesignMode(true);
    EXPECT_FALSE(child<QSlider>(design, "tbrName")->isEnabled());
    EXPECT_FALSE(child<QRadioButton>(design, "rbEqual")->isEnabled());
}

TEST_F(LayoutDetail, VisibilityPairsReadBackWhatWasSet)
{
    TLayoutDetailDialog dialog(nullptr);
    dialog.SetAddressVisible(1, true);
    dialog.SetAddressVisible(7, true);
    dialog.SetAdditionVisible(9, true);
    dialog.SetSenderPostVisible(true);
    EXPECT_TRUE(child<QCheckBox>(dialog, "ckbAddress2")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(dialog, "ckbAddress3")->isChecked());
    EXPECT_FALSE(dialog.GetAddressVisible(0));
    EXPECT_TRUE(dialog.GetAdditionVisible(3));
    EXPECT_TRUE(dialog.GetSenderPostVisible());
}

struct TrackCase
{
    int x;
    int step;
};

TEST(TrackStep, PressOnTheChannelPicksTheStepUnderIt)
{
    // channel 10..110, five steps 25 apart
    for (const TrackCase c : {TrackCase{0, 1}, TrackCase{10, 1}, TrackCase{60, 3}, TrackCase{120, 5},
                              TrackCase{110, 5}, TrackCase{47, 2}, TrackCase{48, 3}, TrackCase{22, 1}, TrackCase{23, 2}})
        EXPECT_EQ(TrackStepAt(c.x, 10, 110, 5), c.step) << c.x;
}

} // namespace
