// The name-reading popup over the built name library and the name data of
// the committed excerpt (seven given names read ヨシコ, four surnames read
// ヨシダ, two given names read ヨシエ ...).

#include "directory/TntNMDic.h"

#include "platform/Cp932.h"
#include "widgets/TntNMDEdit.h"

#include "support/DicProgramFolder.h"
#include "support/Screenshot.h"

#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

constexpr quint32 kEnter = 13, kPageUp = 33, kPageDown = 34, kLeft = 37, kUp = 38, kRight = 39, kDown = 40;

class TntNMDicTest : public ::testing::Test
{
protected:
    TntNMDicTest()
    {
        popup = new TTntNameDic(&form);
        popup->SetFolders(AppPath, AppPath + QStringLiteral("Dic/"));
        popup->Initialize();
        // Offscreen no window is ever active: the test says which one is.
        TTntNameDic::ActiveWindowProbe = [this]() -> QWidget * { return activeWindow; };
    }
    ~TntNMDicTest() override { TTntNameDic::ActiveWindowProbe = nullptr; }
    // Fills the popup with the candidates of Reading; their number.
    int fill(const QString &reading, TNameDicKind kind)
    {
        popup->SetNameKind(kind);
        popup->Reading = Cp932::encode(reading);
        const int count = popup->CountCandidates(popup->Reading, kind == TNameDicKind::nkFirst);
        if (count > 0) {
            EXPECT_TRUE(popup->FillCandidates(count));
        }
        return count;
    }
    QString cell(int column, int row) const
    {
        const QTableWidgetItem *item = popup->Grid()->item(row, column);
        return item ? item->text() : QString();
    }

    TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
    QWidget form;
    QWidget *activeWindow = &form;
    QPointer<TTntNameDic> popup;
};

TEST_F(TntNMDicTest, sevenNamesOfOneReadingFillTwoRowsOfSixColumns)
{
    ASSERT_EQ(fill(QStringLiteral("よしこ"), TNameDicKind::nkFirst), 7);
    EXPECT_EQ(popup->Grid()->rowCount(), 2);
    EXPECT_EQ(popup->Grid()->columnCount(), 6);
    EXPECT_EQ(cell(0, 0), QStringLiteral("ﾖｼｺ"));
    EXPECT_TRUE(cell(0, 1).isEmpty());
    EXPECT_FALSE(cell(2, 1).isEmpty());
    EXPECT_TRUE(cell(3, 1).isEmpty());
    EXPECT_EQ(popup->SelectedRow(), -1);
}

TEST_F(TntNMDicTest, twoReadingsOfTwoNamesEachFillTwoRowsOfThreeColumns)
{
    // ヨシイ: 吉井 and 芳井 as surnames; ヨシダ has four, so look up ヨシイ.
    ASSERT_EQ(fill(QStringLiteral("ヨシイ"), TNameDicKind::nkLineage), 2);
    EXPECT_EQ(popup->Grid()->rowCount(), 1);
    EXPECT_EQ(popup->Grid()->columnCount(), 3);
}

struct TKeyStep {
    quint32 key;
    bool consumed;
    int column;
    int row;
};

struct TKeyCase {
    const char *name;
    std::vector<TKeyStep> steps;
};

class TntNMDicKeyTest : public TntNMDicTest, public ::testing::WithParamInterface<TKeyCase>
{
};

TEST_P(TntNMDicKeyTest, keysMoveTheSelectionAsTheTableSays)
{
    // ヨシ: ten given names (rows 0 and 1), then ヨシイ (row 2, one name),
    // ヨシエ (row 3, two) and ヨシコ (rows 4 and 5).
    ASSERT_EQ(fill(QStringLiteral("ヨシ"), TNameDicKind::nkFirst), 20);
    int step = 0;
    for (const TKeyStep &s : GetParam().steps) {
        EXPECT_EQ(popup->ConvertKeyDown(s.key), s.consumed) << "step " << step;
        EXPECT_EQ(popup->SelectedColumn(), s.column) << "step " << step;
        EXPECT_EQ(popup->SelectedRow(), s.row) << "step " << step;
        ++step;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TntNMDicKeyTest,
    ::testing::Values(TKeyCase{"enterWithoutSelection", {{kEnter, false, 1, -1}}},
                      TKeyCase{"downSelectsTheFirst", {{kDown, true, 1, 0}}},
                      TKeyCase{"pageDownSelectsTheFirst", {{kPageDown, true, 1, 0}}},
                      TKeyCase{"upOnTheFirstRowDrops", {{kDown, true, 1, 0}, {kUp, true, 1, -1}, {kDown, true, 1, 0}}},
                      TKeyCase{"leftStopsAtColumnOne", {{kDown, true, 1, 0}, {kLeft, true, 1, 0}}},
                      TKeyCase{"rightStopsAtTheLastName",
                               {{kDown, true, 1, 0}, {kDown, true, 1, 1}, {kRight, true, 2, 1}, {kRight, true, 3, 1},
                                {kRight, true, 4, 1}, {kRight, true, 5, 1}, {kRight, true, 5, 1}}},
                      TKeyCase{"downOntoAShortRowLandsOnItsLastName",
                               {{kDown, true, 1, 0}, {kRight, true, 2, 0}, {kRight, true, 3, 0}, {kRight, true, 4, 0},
                                {kRight, true, 5, 0}, {kDown, true, 5, 1}, {kDown, true, 1, 2}, {kDown, true, 2, 3}}},
                      TKeyCase{"pageUpFromTheFirstRowDrops", {{kDown, true, 1, 0}, {kPageUp, true, 1, -1}}},
                      TKeyCase{"downStopsOnTheLastRow",
                               {{kDown, true, 1, 0}, {kDown, true, 1, 1}, {kDown, true, 1, 2}, {kDown, true, 1, 3},
                                {kDown, true, 1, 4}, {kDown, true, 1, 5}, {kDown, true, 1, 5}, {kPageDown, true, 1, 5}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TntNMDicTest, enterOnANameAnnouncesItOnlyAfterTheKey)
{
    ASSERT_EQ(fill(QStringLiteral("ヨシダ"), TNameDicKind::nkLineage), 4);
    QSignalSpy chosen(popup.data(), &TTntNameDic::NameChosen);
    ASSERT_TRUE(popup->ConvertKeyDown(kDown));
    ASSERT_TRUE(popup->ConvertKeyDown(kRight));
    ASSERT_TRUE(popup->ConvertKeyDown(kEnter));
    EXPECT_EQ(chosen.count(), 0); // queued: the owner hears it after the key
    ASSERT_TRUE(chosen.wait(1000));
    EXPECT_EQ(popup->ChosenName, Cp932::encode(cell(2, 0)));
    EXPECT_EQ(popup->Reading, Cp932::encode(u"ﾖｼﾀﾞ"));
}

TEST_F(TntNMDicTest, clickingTheOtherKindWithoutCandidatesEmptiesTheGrid)
{
    ASSERT_EQ(fill(QStringLiteral("ヨシダ"), TNameDicKind::nkLineage), 4);
    popup->show();
    saveScreenshot(popup, QStringLiteral("TntNameDic"));
    auto *given = popup->findChild<QRadioButton *>(QStringLiteral("rbFirst"));
    QTest::mouseClick(given, Qt::LeftButton);
    EXPECT_EQ(popup->Kind, TNameDicKind::nkFirst);
    EXPECT_TRUE(popup->Empty);
    EXPECT_EQ(popup->Grid()->rowCount(), 0);
    QTest::mouseClick(given, Qt::LeftButton); // already the kind: nothing
    EXPECT_TRUE(popup->Empty);
}

TEST_F(TntNMDicTest, thePopupNeverTakesTheFocus)
{
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(popup->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(popup->Grid()->focusPolicy(), Qt::NoFocus);
    // No composition can start on the grid: the edit under it keeps its own.
    EXPECT_FALSE(popup->Grid()->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST(TntNMDicLibraryTest, withoutTheLibraryNoCandidateIsCounted)
{
    QWidget form;
    QTemporaryDir empty;
    auto *popup = new TTntNameDic(&form);
    popup->SetFolders(empty.path() + QLatin1Char('/'), empty.path() + QLatin1Char('/'));
    popup->Initialize();
    EXPECT_EQ(popup->CountCandidates(Cp932::encode(u"ヨシ"), true), 0);
}

TEST_F(TntNMDicTest, theLinkWritesTheChosenNameIntoItsEdit)
{
    delete popup;
    auto *edit = new TTntNMDEdit(&form);
    TNameDicLink link(&form);
    link.Attach(edit, 0, false);
    edit->OnConvertNeed(edit, TNameDicKind::nkLineage, true, Cp932::encode(u"ﾖｼﾀﾞ"));
    ASSERT_NE(link.Popup(), nullptr);
    EXPECT_TRUE(link.Popup()->isVisible());
    quint32 key = kDown;
    bool used = false;
    edit->OnConvertKeyDown(edit, key, used);
    EXPECT_TRUE(used);
    key = kEnter;
    edit->OnConvertKeyDown(edit, key, used);
    QTRY_COMPARE(link.Popup(), nullptr);
    EXPECT_TRUE(edit->text().startsWith(QStringLiteral("吉田")));
}

struct TClickCase {
    const char *name;
    int column;
    int row;
    Qt::MouseButton button;
    bool doubleClick;
    int selectedColumn; // -1: nothing selected
    bool chosen;
};

class TntNMDicClickTest : public TntNMDicTest, public ::testing::WithParamInterface<TClickCase>
{
};

TEST_P(TntNMDicClickTest, onlyALeftClickOnANameSelectsItAndADoubleClickChoosesIt)
{
    const TClickCase &c = GetParam();
    // ヨシ: row 0 five given names; row 2 (ヨシイ) one.
    ASSERT_EQ(fill(QStringLiteral("ヨシ"), TNameDicKind::nkFirst), 20);
    ASSERT_TRUE(cell(2, 2).isEmpty());
    popup->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup.data()));
    QSignalSpy chosen(popup.data(), &TTntNameDic::NameChosen);
    QTableWidget *grid = popup->Grid();
    const QPoint at = grid->visualRect(grid->model()->index(c.row, c.column)).center();
    if (c.doubleClick)
        QTest::mouseDClick(grid->viewport(), c.button, {}, at);
    else
        QTest::mouseClick(grid->viewport(), c.button, {}, at);
    EXPECT_EQ(popup->SelectedColumn(), c.selectedColumn < 0 ? 1 : c.selectedColumn);
    EXPECT_EQ(popup->SelectedRow(), c.selectedColumn < 0 ? -1 : c.row);
    EXPECT_EQ(chosen.wait(c.chosen ? 1000 : 50), c.chosen);
    if (c.chosen) {
        EXPECT_EQ(popup->ChosenName, Cp932::encode(cell(c.column, c.row)));
    }
    EXPECT_FALSE(grid->hasFocus());
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, TntNMDicClickTest,
    ::testing::Values(TClickCase{"leftOnAName", 2, 0, Qt::LeftButton, false, 2, false},
                      TClickCase{"doubleOnAName", 3, 0, Qt::LeftButton, true, 3, true},
                      TClickCase{"leftOnTheReading", 0, 0, Qt::LeftButton, false, -1, false},
                      TClickCase{"leftOnAnEmptyCell", 2, 2, Qt::LeftButton, false, -1, false},
                      TClickCase{"rightOnAName", 2, 0, Qt::RightButton, false, -1, false},
                      TClickCase{"middleDoubleOnAName", 2, 0, Qt::MiddleButton, true, -1, false}),
    [](const auto &info) { return std::string(info.param.name); });

enum class TCloseRoute { closeButton, editStopsAsking, readingWithoutNames };

class TntNMDicLinkCloseTest : public TntNMDicTest, public ::testing::WithParamInterface<TCloseRoute>
{
};

TEST_P(TntNMDicLinkCloseTest, theLinkedPopupGoesAndLeavesTheEditAsItWas)
{
    delete popup;
    auto *edit = new TTntNMDEdit(&form);
    TNameDicLink link(&form);
    link.Attach(edit, 0, false);
    edit->OnConvertNeed(edit, TNameDicKind::nkLineage, true, Cp932::encode(u"ﾖｼﾀﾞ"));
    ASSERT_NE(link.Popup(), nullptr);
    ASSERT_TRUE(link.Popup()->isVisible());
    switch (GetParam()) {
    case TCloseRoute::closeButton:
        link.Popup()->findChild<QToolButton *>(QStringLiteral("sbtnClose"))->click();
        break;
    case TCloseRoute::editStopsAsking:
        edit->OnConvertNeed(edit, TNameDicKind::nkLineage, false, QByteArray());
        break;
    case TCloseRoute::readingWithoutNames:
        edit->OnConvertNeed(edit, TNameDicKind::nkLineage, true, Cp932::encode(u"ﾝﾝﾝﾝ"));
        break;
    }
    QTRY_COMPARE(link.Popup(), nullptr);
    EXPECT_TRUE(edit->text().isEmpty());
    // The next reading brings a new popup.
    edit->OnConvertNeed(edit, TNameDicKind::nkLineage, true, Cp932::encode(u"ﾖｼﾀﾞ"));
    EXPECT_NE(link.Popup(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Routes, TntNMDicLinkCloseTest,
                         ::testing::Values(TCloseRoute::closeButton, TCloseRoute::editStopsAsking,
                                           TCloseRoute::readingWithoutNames));

// Which window the program has active while the popup's timer looks.
enum class TActive { owner, none, other };

class TntNMDicTimerTest : public TntNMDicTest, public ::testing::WithParamInterface<TActive>
{
};

TEST_P(TntNMDicTimerTest, thePopupStaysOnlyWhileItsFormIsTheActiveWindow)
{
    QWidget other;
    ASSERT_EQ(fill(QStringLiteral("ヨシダ"), TNameDicKind::nkLineage), 4);
    popup->show();
    activeWindow = GetParam() == TActive::owner ? &form : GetParam() == TActive::none ? nullptr : &other;
    if (GetParam() == TActive::owner) {
        QTest::qWait(350); // three checks of the 100 ms timer
        EXPECT_FALSE(popup.isNull());
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(popup.isNull(), 2000);
    }
}

INSTANTIATE_TEST_SUITE_P(Active, TntNMDicTimerTest, ::testing::Values(TActive::owner, TActive::none, TActive::other));

TEST_F(TntNMDicTest, thePopupFollowsItsEditWhenTheFormMoves)
{
    delete popup;
    form.resize(400, 300);
    form.move(100, 100);
    auto *edit = new TTntNMDEdit(&form);
    edit->setGeometry(20, 40, 200, 24);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    TNameDicLink link(&form);
    link.Attach(edit, 0, false);
    edit->OnConvertNeed(edit, TNameDicKind::nkLineage, true, Cp932::encode(u"ﾖｼﾀﾞ"));
    ASSERT_NE(link.Popup(), nullptr);
    const QPoint under = edit->mapToGlobal(QPoint(0, edit->height()));
    EXPECT_EQ(link.Popup()->pos(), under);
    form.move(form.pos() + QPoint(60, 30));
    QTRY_COMPARE(edit->mapToGlobal(QPoint(0, edit->height())), under + QPoint(60, 30));
    QTRY_COMPARE(link.Popup()->pos(), under + QPoint(60, 30));
}

} // namespace
