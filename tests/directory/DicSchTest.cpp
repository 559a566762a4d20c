// The dictionary search dialog over the real dictionary libraries and the
// data of the committed excerpt (小田原市 and its area code 0465 among them).

#include "directory/DicSch.h"

#include "core/Env.h"
#include "core/Main.h"
#include "core/Wqarea17Wrapper.h"
#include "core/WqhypWrapper.h"
#include "platform/IniFile.h"
#include "platform/Cp932.h"

#include "support/DicProgramFolder.h"
#include "support/Screenshot.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstring>

namespace {

const QColor kDarkRed(128, 0, 0);

class DicSchTest : public ::testing::Test
{
protected:
    DicSchTest()
    {
        UseArea.fill(false);
        AreaOnDisk.fill(false);
        DataRoot = home.settingsRoot() + QLatin1Char('/');
        QDir().mkpath(DataRoot);
    }
    ~DicSchTest() override { SetWqarea17ForTesting(nullptr); }

    template <class T>
    T *find(const char *name)
    {
        T *w = dialog.findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString prompt(const char *name) { return find<QLabel>(name)->text(); }
    QColor promptColor(const char *name) { return find<QLabel>(name)->palette().color(QPalette::WindowText); }
    // Types text into a tab's edit and presses its search button.
    void typeAndSearch(int tab, const char *edit, const char *button, const QString &text)
    {
        find<QTabWidget>("pgctlDicType")->setCurrentIndex(tab);
        find<QLineEdit>(edit)->setText(text);
        find<QToolButton>(button)->click();
    }
    // Picks a row of a tab's 表示カナ combo (0 shows every town).
    static void pickKanaRow(QComboBox *kana, int row)
    {
        kana->setCurrentIndex(row);
        emit kana->activated(row);
    }

    ScopedHome home;
    TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
    ScriptedMessageBoxes boxes;
    TDicSearch dialog;
};

TEST_F(DicSchTest, anEmptyPostcodeOpensItsTabWithoutSearching)
{
    dialog.SetSearchOptions(15, true, false);
    EXPECT_EQ(dialog.StartSearch(1, QString()), 0);
    EXPECT_EQ(find<QTabWidget>("pgctlDicType")->currentIndex(), 1);
    EXPECT_EQ(dialog.ResultKind, drkPostcode);
    EXPECT_EQ(find<QTreeWidget>("lvPosCity")->topLevelItemCount(), 0);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(DicSchTest, aRealPostcodeDecidesPrefectureCityAndTownWithReadings)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(1, QStringLiteral("〒250-0011")), 0);
    EXPECT_EQ(find<QLineEdit>("edtPosSch")->text(), QStringLiteral("250-0011"));
    ASSERT_EQ(find<QTreeWidget>("lvPosTown")->topLevelItemCount(), 1);
    EXPECT_EQ(find<QTreeWidget>("lvPosTown")->topLevelItem(0)->text(0), QStringLiteral("250-0011"));
    QTest::keyClick(find<QTreeWidget>("lvPosTown"), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), 1);
    TDicSearchResult r;
    dialog.GetResult(r);
    EXPECT_EQ(Cp932::decode(r.Prefecture), QStringLiteral("神奈川県"));
    EXPECT_EQ(Cp932::decode(r.City), QStringLiteral("小田原市"));
    EXPECT_EQ(Cp932::decode(r.Town), QStringLiteral("栄町"));
    EXPECT_EQ(Cp932::decode(r.AddressKana), QStringLiteral("ｶﾅｶﾞﾜｹﾝｵﾀﾞﾜﾗｼｻｶｴﾁｮｳ"));
    EXPECT_EQ(r.Postcode, QByteArray("250-0011"));
    EXPECT_EQ(r.CityCode, QByteArray("14206"));
    EXPECT_TRUE(r.Private);
}

TEST_F(DicSchTest, anAddressListsItsCityAsPrefectureAndCity)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(2, QStringLiteral("小田原市栄町")), 0);
    QTreeWidget *cities = find<QTreeWidget>("lvAdrsCity");
    ASSERT_GE(cities->topLevelItemCount(), 1);
    EXPECT_EQ(cities->topLevelItem(0)->text(0), QStringLiteral("神奈川県小田原市"));
    EXPECT_GE(find<QTreeWidget>("lvAdrsTown")->topLevelItemCount(), 1);
    EXPECT_EQ(prompt("lblAdrsSch"), QStringLiteral("住所検索結果から住所を選択してください。"));
}

// Three digits typed reach 中郡二宮町 first, which has only its city-wide
// entry under 259, and then 足柄上郡中井町 with its towns: the user is shown
// those towns, not a "nothing found" over a list of cities.
TEST_F(DicSchTest, threeDigitsShowTheTownsOfTheFirstCityThatHasAny)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(1, QString()), 0);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QLineEdit *edit = find<QLineEdit>("edtPosSch");
    ASSERT_EQ(QApplication::focusWidget(), edit);
    QTest::keyClicks(edit, QStringLiteral("259"));
    QTest::keyClick(edit, Qt::Key_Return);

    QTreeWidget *cities = find<QTreeWidget>("lvPosCity");
    ASSERT_EQ(cities->topLevelItemCount(), 2);
    EXPECT_EQ(cities->topLevelItem(0)->text(0), QStringLiteral("神奈川県中郡二宮町"));
    ASSERT_NE(cities->currentItem(), nullptr);
    EXPECT_EQ(cities->currentItem()->text(0), QStringLiteral("神奈川県足柄上郡中井町"));
    EXPECT_EQ(prompt("lblPosSch"), QStringLiteral("郵便番号検索結果から住所を選択してください。"));
    EXPECT_NE(promptColor("lblPosSch"), kDarkRed);
    QTreeWidget *towns = find<QTreeWidget>("lvPosTown");
    ASSERT_GT(towns->topLevelItemCount(), 1);
    for (int row = 0; row < towns->topLevelItemCount(); ++row)
        EXPECT_TRUE(towns->topLevelItem(row)->text(0).startsWith(QStringLiteral("259-"))) << row;

    // The town shown is the one taken.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), 1);
    TDicSearchResult r;
    dialog.GetResult(r);
    EXPECT_EQ(Cp932::decode(r.Town), towns->topLevelItem(0)->text(2));
    EXPECT_EQ(Cp932::decode(r.City), QStringLiteral("足柄上郡中井町"));
}

struct TBadInput {
    int tab;
    const char *edit;
    const char *button;
    const char *label;
    const char *text;   // UTF-8
    const char *prompt; // UTF-8
    bool darkRed;
};

class DicSchBadInputTest : public DicSchTest, public ::testing::WithParamInterface<TBadInput>
{
};

TEST_P(DicSchBadInputTest, badInputIsNamedInThePromptAndNothingIsListed)
{
    const TBadInput &c = GetParam();
    dialog.SetSearchOptions(15, false, false);
    typeAndSearch(c.tab, c.edit, c.button, QString::fromUtf8(c.text));
    EXPECT_EQ(prompt(c.label), QString::fromUtf8(c.prompt));
    EXPECT_EQ(promptColor(c.label) == kDarkRed, c.darkRed);
    for (const char *list : {"lvTelCity", "lvPosCity", "lvAdrsCity"})
        EXPECT_EQ(find<QTreeWidget>(list)->topLevelItemCount(), 0) << list;
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(find<QLineEdit>(c.edit)->text(), QString::fromUtf8(c.text)); // kept for correction
}

constexpr const char *kOnlyDigits = "半角の数字とハイフン以外は無効です。";
INSTANTIATE_TEST_SUITE_P(
    Inputs, DicSchBadInputTest,
    ::testing::Values(
        TBadInput{1, "edtPosSch", "bbtnPosSch", "lblPosSch", "25a0011", kOnlyDigits, true},
        TBadInput{1, "edtPosSch", "bbtnPosSch", "lblPosSch", "２５００", kOnlyDigits, true},
        TBadInput{1, "edtPosSch", "bbtnPosSch", "lblPosSch", "---", "ハイフンのみは無効です。", true},
        TBadInput{1, "edtPosSch", "bbtnPosSch", "lblPosSch", "25000111", "入力した郵便番号に誤りがあります。", true},
        TBadInput{1, "edtPosSch", "bbtnPosSch", "lblPosSch", "9999999", "該当する住所は見つかりませんでした。", true},
        TBadInput{1, "edtPosSch", "bbtnPosSch", "lblPosSch", "  ", "検索する郵便番号を入力してください。", false},
        TBadInput{2, "edtAdrsSch", "bbtnAdrsSch", "lblAdrsSch", " 　 ", "検索する住所を入力してください。", false},
        TBadInput{0, "edtTelSch", "bbtnTelSch", "lblTelSch", "0465-ab", kOnlyDigits, true},
        TBadInput{0, "edtTelSch", "bbtnTelSch", "lblTelSch", "0465123456789", "入力した局番に誤りがあります。",
                  true}));

TEST_F(DicSchTest, aNumberOutsideTheDirectoryFallsToTheAreaCodes)
{
    dialog.SetSearchOptions(15, false, false);
    ASSERT_EQ(dialog.StartSearch(0, QStringLiteral("0465-12-3456")), 0);
    EXPECT_EQ(dialog.ResultKind, drkPhone);
    EXPECT_GE(find<QTreeWidget>("lvTelCity")->topLevelItemCount(), 1);
    EXPECT_GE(find<QTreeWidget>("lvTelTown")->topLevelItemCount(), 1);
    EXPECT_EQ(prompt("lblTelSch"),
              QStringLiteral("該当するデータは見つかりませんでした。局番検索結果から住所を選択してください。"));
}

TEST_F(DicSchTest, switchingToLargeOfficesAndBackLeavesThreeColumns)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(1, QStringLiteral("250-0011")), 0);
    QTreeWidget *towns = find<QTreeWidget>("lvPosTown");
    find<QRadioButton>("rbPosViewOhguchi")->click();
    EXPECT_EQ(towns->columnCount(), 4);
    find<QRadioButton>("rbPosViewTown")->click();
    EXPECT_EQ(towns->columnCount(), 3);
    EXPECT_EQ(towns->columnWidth(2), 380);
}

TEST_F(DicSchTest, decidingOnAnEmptyTownListDoesNothing)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(1, QString()), 0);
    find<QPushButton>("btnDecision")->click();
    EXPECT_EQ(dialog.result(), 0);
}

TEST_F(DicSchTest, theKanaFilterKeepsOnlyTheRowsOfItsSyllabaryRow)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(1, QStringLiteral("250")), 0);
    QTreeWidget *towns = find<QTreeWidget>("lvPosTown");
    const int all = towns->topLevelItemCount();
    ASSERT_GT(all, 1);
    QComboBox *kana = find<QComboBox>("cbxPosViewKana");
    int filtered = 0;
    for (int row = 1; row <= 10; ++row) {
        pickKanaRow(kana, row);
        filtered += towns->topLevelItemCount();
    }
    EXPECT_LE(filtered, all);
    pickKanaRow(kana, 0);
    EXPECT_EQ(towns->topLevelItemCount(), all);
    saveScreenshot(&dialog, QStringLiteral("DicSearch"));
}

// The area-code search lists a number's towns with the same kana rows as the
// postcode search: every town but the city-wide row passes one filter.
TEST_F(DicSchTest, theTelephoneTabsTownsCarryTheirKanaRows)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(0, QStringLiteral("0465-12-3456")), 0);
    QTreeWidget *towns = find<QTreeWidget>("lvTelTown");
    const int all = towns->topLevelItemCount();
    ASSERT_GT(all, 2);
    const QString hiragana = QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん");
    int marked = 0;
    for (int row = 0; row < all; ++row) {
        const QString mark = towns->topLevelItem(row)->text(1);
        if (mark.isEmpty())
            continue;
        EXPECT_TRUE(mark.size() == 1 && hiragana.contains(mark)) << row << ": " << mark.toStdString();
        ++marked;
    }
    EXPECT_GT(marked, 0);
    QComboBox *kana = find<QComboBox>("cbxTelViewKana");
    int filtered = 0;
    for (int filter = 1; filter <= 10; ++filter) {
        pickKanaRow(kana, filter);
        filtered += towns->topLevelItemCount();
    }
    EXPECT_GE(filtered, all - 1);
    EXPECT_LE(filtered, all);
}

// The rows a kana filter leaves are not the dictionary's first towns:
// deciding one must give that row's town, for every row of every filter, on
// the postcode tab and on the telephone tab alike.
struct TFilteredTownCase {
    const char *name;
    int kind;
    const char16_t *text;
    const char *towns;
    const char *kana;
};
class DicSchFilteredTownTest : public DicSchTest, public ::testing::WithParamInterface<TFilteredTownCase>
{
};

TEST_P(DicSchFilteredTownTest, aRowOfAFilteredListDecidesItsOwnTown)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(GetParam().kind, QString::fromUtf16(GetParam().text)), 0);
    QTreeWidget *towns = find<QTreeWidget>(GetParam().towns);
    QComboBox *kana = find<QComboBox>(GetParam().kana);
    int decided = 0;
    for (int filter = 2; filter <= 10; ++filter) {
        pickKanaRow(kana, filter);
        for (int row = 0; row < towns->topLevelItemCount(); ++row) {
            QTreeWidgetItem *item = towns->topLevelItem(row);
            towns->setCurrentItem(item);
            find<QPushButton>("btnDecision")->click();
            TDicSearchResult r;
            dialog.GetResult(r);
            SCOPED_TRACE(item->text(2).toStdString());
            EXPECT_EQ(Cp932::decode(r.Town), item->text(2));
            EXPECT_EQ(QString::fromLatin1(r.Postcode), item->text(0));
            ++decided;
        }
    }
    EXPECT_GT(decided, 1);
}

INSTANTIATE_TEST_SUITE_P(Tabs, DicSchFilteredTownTest,
                         ::testing::Values(TFilteredTownCase{"postcode", 1, u"250", "lvPosTown", "cbxPosViewKana"},
                                           TFilteredTownCase{"telephone", 0, u"0465-12-3456", "lvTelTown",
                                                             "cbxTelViewKana"}),
                         [](const auto &info) { return std::string(info.param.name); });

struct TWheelCase {
    int from;
    int delta; // positive: wheel turned up
    int to;
};
class DicSchWheelTest : public DicSchTest, public ::testing::WithParamInterface<TWheelCase>
{
};

TEST_P(DicSchWheelTest, theWheelOverATabTurnsTheTabsRound)
{
    dialog.SetSearchOptions(15, true, false);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *tabs = find<QTabWidget>("pgctlDicType");
    tabs->setCurrentIndex(GetParam().from);
    QTabBar *bar = tabs->tabBar();
    const QPointF at = bar->tabRect(1).center();
    QWheelEvent wheel(at, bar->mapToGlobal(at), QPoint(), QPoint(0, GetParam().delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    EXPECT_TRUE(wheel.isAccepted());
    EXPECT_EQ(tabs->currentIndex(), GetParam().to);
    EXPECT_EQ(dialog.ResultKind, GetParam().to);
    static constexpr int help[] = {24, 26, 27};
    EXPECT_EQ(dialog.property("HelpContext").toInt(), help[GetParam().to]);
}

INSTANTIATE_TEST_SUITE_P(Turns, DicSchWheelTest,
                         ::testing::Values(TWheelCase{0, -120, 1}, TWheelCase{1, -120, 2}, TWheelCase{2, -120, 0},
                                           TWheelCase{0, 120, 2}, TWheelCase{2, 120, 1}, TWheelCase{1, 120, 0},
                                           TWheelCase{0, -240, 2}, TWheelCase{0, -60, 0}));

TEST_F(DicSchTest, theWheelPassesOverATabTheCallerHid)
{
    dialog.SetSearchOptions(5, false, false); // no address tab
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *tabs = find<QTabWidget>("pgctlDicType");
    tabs->setCurrentIndex(1);
    QTabBar *bar = tabs->tabBar();
    const QPointF at = bar->tabRect(1).center();
    QWheelEvent wheel(at, bar->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    EXPECT_EQ(tabs->currentIndex(), 0);
}

struct TKeepCase {
    const char *list;
    bool onRow; // control-click on the selected row, else a click below the rows
};
class DicSchKeepSelection : public DicSchTest, public ::testing::WithParamInterface<TKeepCase>
{
};

TEST_P(DicSchKeepSelection, aListWithRowsKeepsASelectedRowWhereverItIsClicked)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(1, QStringLiteral("2500011")), 0);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTreeWidget *list = find<QTreeWidget>(GetParam().list);
    ASSERT_GE(list->topLevelItemCount(), 1);
    ASSERT_EQ(list->selectedItems().size(), 1);
    QTreeWidgetItem *selected = list->selectedItems().front();
    const QPoint at = GetParam().onRow ? list->visualItemRect(selected).center()
                                       : QPoint(4, list->viewport()->height() - 4);
    ASSERT_TRUE(GetParam().onRow || list->itemAt(at) == nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, GetParam().onRow ? Qt::ControlModifier : Qt::NoModifier, at);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().front(), selected);
}

INSTANTIATE_TEST_SUITE_P(Lists, DicSchKeepSelection,
                         ::testing::Values(TKeepCase{"lvPosCity", false}, TKeepCase{"lvPosTown", false},
                                           TKeepCase{"lvPosCity", true}, TKeepCase{"lvPosTown", true}));

struct TEnterCase {
    const char *pressedIn;
    const char *focused;
};
class DicSchEnterTest : public DicSchTest, public ::testing::WithParamInterface<TEnterCase>
{
};

TEST_P(DicSchEnterTest, enterMovesOnToTheNextStepAndIsConsumed)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(1, QStringLiteral("2500011")), 0);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QWidget *from = find<QWidget>(GetParam().pressedIn);
    from->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(from, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(dialog.focusWidget(), find<QWidget>(GetParam().focused));
    EXPECT_EQ(dialog.result(), 0);
}

INSTANTIATE_TEST_SUITE_P(Controls, DicSchEnterTest,
                         ::testing::Values(TEnterCase{"lvPosCity", "lvPosTown"},
                                           TEnterCase{"rbPosViewTown", "cbxPosViewKana"},
                                           TEnterCase{"rbPosViewOhguchi", "cbxPosViewKana"},
                                           TEnterCase{"cbxPosViewKana", "lvPosTown"}));

// The keys of a user, each to whatever has the focus: a postcode typed and
// searched with Return, the arrow down the city list, Return to its towns,
// the arrow down one town, and Return takes that town without a search.
TEST_F(DicSchTest, returnInTheResultListTakesTheChosenTown)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(1, QString()), 0);
    QString chosenTown, chosenPostcode;
    int searches = 0;
    QObject::connect(find<QToolButton>("bbtnPosSch"), &QToolButton::clicked, &dialog, [&] { ++searches; });
    QTimer::singleShot(0, &dialog, [&] {
        const auto press = [](Qt::Key key) {
            QWidget *focused = QApplication::focusWidget();
            ASSERT_NE(focused, nullptr);
            QTest::keyClick(focused, key);
        };
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("250"));
        press(Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), find<QTreeWidget>("lvPosCity"));
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QTreeWidget *towns = find<QTreeWidget>("lvPosTown");
        ASSERT_EQ(QApplication::focusWidget(), towns);
        ASSERT_GT(towns->topLevelItemCount(), 1);
        press(Qt::Key_Down);
        ASSERT_NE(towns->currentItem(), nullptr);
        chosenTown = towns->currentItem()->text(2);
        chosenPostcode = towns->currentItem()->text(0);
        press(Qt::Key_Return);
        if (dialog.isVisible())
            dialog.done(2);
    });
    const int shown = dialog.ShowModal();
    EXPECT_EQ(searches, 1) << "Return in the list searched again";
    ASSERT_EQ(shown, 1) << "Return in the list took no town";
    TDicSearchResult r;
    dialog.GetResult(r);
    EXPECT_EQ(Cp932::decode(r.Town), chosenTown);
    EXPECT_EQ(QString::fromLatin1(r.Postcode), chosenPostcode);
}

TEST_F(DicSchTest, escapeCancelsTheShownDialog)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(1, QString()), 0);
    QTimer::singleShot(0, &dialog, [this] { QTest::keyClick(find<QLineEdit>("edtPosSch"), Qt::Key_Escape); });
    EXPECT_EQ(dialog.ShowModal(), 2);
}

TEST_F(DicSchTest, decidingAShownDialogAnswersOne)
{
    dialog.SetSearchOptions(15, true, false);
    ASSERT_EQ(dialog.StartSearch(1, QStringLiteral("2500011")), 0);
    QTimer::singleShot(0, &dialog, [this] { QTest::keyClick(find<QTreeWidget>("lvPosTown"), Qt::Key_Return); });
    EXPECT_EQ(dialog.ShowModal(), 1);
}

struct TSaveCase {
    const char *name;
    bool checked;
    const char *typed;
    bool written;
    bool save;
    const char *tel;
};
class DicSchSaveAreaCode : public DicSchTest, public ::testing::WithParamInterface<TSaveCase>
{
protected:
    DicSchSaveAreaCode() { EXPECT_EQ(LoadWqhyp(AppPath, AppPath + QStringLiteral("Dic/")), 0); }
    ~DicSchSaveAreaCode() override { FreeWqhyp(); }
};

TEST_P(DicSchSaveAreaCode, aFoundNumberKeepsItsAreaCodeOnlyWhenTheBoxIsChecked)
{
    const TSaveCase &c = GetParam();
    dialog.SetSearchOptions(15, false, true);
    find<QCheckBox>("chkSaveTel")->setChecked(c.checked);
    (void)dialog.StartSearch(0, QString::fromLatin1(c.typed));
    const QString path = DataRoot + QStringLiteral("Kykbn.dat");
    ASSERT_EQ(QFile::exists(path), c.written);
    EXPECT_EQ(boxes.count(), 0);
    if (!c.written)
        return;
    const TMemIniFile ini(path);
    EXPECT_EQ(ini.ReadBool(QStringLiteral("KYKBN"), QStringLiteral("Save"), !c.save), c.save);
    EXPECT_EQ(ini.ReadString(QStringLiteral("KYKBN"), QStringLiteral("Tel"), QStringLiteral("?")),
              QString::fromLatin1(c.tel));
}

INSTANTIATE_TEST_SUITE_P(Box, DicSchSaveAreaCode,
                         ::testing::Values(TSaveCase{"checked", true, "0465230000", true, true, "0465"},
                                           TSaveCase{"unchecked", false, "0465230000", true, false, ""},
                                           TSaveCase{"refusedInput", true, "0465-ab", false, false, ""}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DicSchTest, theKeptAreaCodeWaitsInTheEmptyTelephonePage)
{
    {
        TMemIniFile ini(DataRoot + QStringLiteral("Kykbn.dat"));
        ini.WriteBool(QStringLiteral("KYKBN"), QStringLiteral("Save"), true);
        ini.WriteString(QStringLiteral("KYKBN"), QStringLiteral("Tel"), QStringLiteral("0465"));
        ASSERT_TRUE(ini.UpdateFile());
    }
    dialog.SetSearchOptions(15, true, true);
    EXPECT_EQ(dialog.StartSearch(0, QString()), 0);
    EXPECT_EQ(find<QLineEdit>("edtTelSch")->text(), QStringLiteral("0465"));
    EXPECT_EQ(find<QLineEdit>("edtTelSch")->cursorPosition(), 4);
    EXPECT_TRUE(find<QCheckBox>("chkSaveTel")->isChecked());
    EXPECT_EQ(find<QTreeWidget>("lvTelCity")->topLevelItemCount(), 0); // nothing searched yet
}

struct TPostcodeCase {
    const char *stored;
    const char *shown;
};
class PostcodeCaptionTest : public ::testing::TestWithParam<TPostcodeCase>
{
};
TEST_P(PostcodeCaptionTest, fiveAndSevenCharactersGetAHyphenOthersStay)
{
    EXPECT_EQ(TDicSearch::PostcodeCaption(GetParam().stored), QString::fromLatin1(GetParam().shown));
}
INSTANTIATE_TEST_SUITE_P(Lengths, PostcodeCaptionTest,
                         ::testing::Values(TPostcodeCase{"25000", "250-00"}, TPostcodeCase{"2500011", "250-0011"},
                                           TPostcodeCase{"2500", "2500"}, TPostcodeCase{"250001", "250001"},
                                           TPostcodeCase{"", ""}));

struct TKanaCase {
    const char *reading; // UTF-8 half-width
    int filter;
    bool passes;
};
class KanaFilterTest : public ::testing::TestWithParam<TKanaCase>
{
};
TEST_P(KanaFilterTest, aRowPassesByTheFirstKanaOfItsReading)
{
    EXPECT_EQ(TDicSearch::PassesKanaFilter(Cp932::encode(QString::fromUtf8(GetParam().reading)), GetParam().filter),
              GetParam().passes);
}
INSTANTIATE_TEST_SUITE_P(Rows, KanaFilterTest,
                         ::testing::Values(TKanaCase{"ﾜｶﾊﾞ", 10, true}, TKanaCase{"ｦ", 10, false},
                                           TKanaCase{"ﾝ", 10, false}, TKanaCase{"Aﾁｮｳ", 0, true},
                                           TKanaCase{"Aﾁｮｳ", 1, false}, TKanaCase{"ｶ", 2, true},
                                           TKanaCase{"ｺ", 2, true}, TKanaCase{"ｻ", 2, false},
                                           TKanaCase{"ﾖ", 8, true}, TKanaCase{"", 1, false}));

TEST(KanaMarkTest, theFirstKanaIsShownAsHiraganaAndAnythingElseAsItself)
{
    EXPECT_EQ(TDicSearch::KanaMark(Cp932::encode(u"ｱｶﾞ")), QStringLiteral("あ"));
    EXPECT_EQ(TDicSearch::KanaMark(Cp932::encode(u"ﾝ")), QStringLiteral("ん"));
    EXPECT_EQ(TDicSearch::KanaMark(Cp932::encode(u"Aﾁ")), QStringLiteral("A"));
}

// ---- The telephone directory, answered by a made-up directory library ----

struct TFakeDirectory {
    static inline int calls = 0;
    static inline std::vector<QString> folders; // the data folder of each call
    static inline std::vector<std::pair<int, std::vector<TTelRecord>>> answers; // per call: code, records
    static inline std::int32_t reportedCount = -1;                           // overrides the count when >= 0
    static int tel(TTelSearchCondition *request, void *result, std::int32_t *count)
    {
        folders.push_back(QString::fromLocal8Bit(request->DataFolder));
        const auto &[code, records] = answers.at(static_cast<std::size_t>(std::min<int>(calls, int(answers.size()) - 1)));
        ++calls;
        std::memcpy(result, records.data(), records.size() * sizeof(TTelRecord));
        *count = reportedCount >= 0 ? reportedCount : static_cast<std::int32_t>(records.size());
        return code;
    }
};

TTelRecord listing(const char *phone, const QString &name, int kind)
{
    TTelRecord r{};
    std::memcpy(r.Phone, phone, std::min(std::strlen(phone), sizeof r.Phone));
    const QByteArray n = Cp932::encode(name);
    std::memcpy(r.Name, n.constData(), static_cast<std::size_t>(n.size()));
    std::memcpy(r.Postcode, "2500011", 7);
    std::memcpy(r.Codes, "14206001000000", 14);
    r.ListingKind = kind;
    r.Latitude = 256;
    return r;
}

class DicSchDirectoryTest : public DicSchTest
{
protected:
    DicSchDirectoryTest()
    {
        TFakeDirectory::calls = 0;
        TFakeDirectory::folders.clear();
        TFakeDirectory::reportedCount = -1;
        functions.Tel = &TFakeDirectory::tel;
        SetWqarea17ForTesting(&functions);
        UseArea.fill(true);
        dialog.SetSearchOptions(15, false, false);
    }
    TWqarea17Functions functions{};
};

TEST_F(DicSchDirectoryTest, aRegionAnsweringNothingFallsThroughToTheAreaCodes)
{
    TFakeDirectory::answers = {{0, {}}};
    ASSERT_EQ(dialog.StartSearch(0, QStringLiteral("0465123456")), 0);
    EXPECT_EQ(dialog.ResultKind, drkPhone);
    EXPECT_EQ(find<QStackedWidget>("pgctlDicSch")->currentWidget()->objectName(), QStringLiteral("tabstSearch"));
    EXPECT_GE(find<QTreeWidget>("lvTelCity")->topLevelItemCount(), 1);
}

TEST_F(DicSchDirectoryTest, secondDigitFourSearchesTokyoKantoAndChubuInTurn)
{
    TFakeDirectory::answers = {{8, {}}, {8, {}}, {0, {listing("0465123456", QStringLiteral("山田太郎"), 99)}}};
    ASSERT_EQ(dialog.StartSearch(0, QStringLiteral("0465123456")), 1);
    EXPECT_EQ(TFakeDirectory::calls, 3);
    EXPECT_EQ(dialog.ResultKind, drkDirectory);
    TDicSearchResult r;
    dialog.GetResult(r);
    EXPECT_EQ(Cp932::decode(r.Name), QStringLiteral("山田太郎"));
    EXPECT_EQ(r.Postcode, QByteArray("250-0011"));
    EXPECT_EQ(r.CityCode, QByteArray("14206"));
    EXPECT_EQ(r.TownCode, QByteArray("001000"));
    EXPECT_EQ(r.Latitude, 1000);
    EXPECT_TRUE(r.Private);
}

TEST_F(DicSchDirectoryTest, severalListingsOpenTheListPageAndACompanyNameIsSpelledOut)
{
    TFakeDirectory::answers = {{0,
                                {listing("0465123456", QStringLiteral("(株)小田原商事"), 1),
                                 listing("0465123456", QStringLiteral("@5C0F@65E5"), 1)}}};
    ASSERT_EQ(dialog.StartSearch(0, QStringLiteral("0465123456")), 0);
    QTreeWidget *list = find<QTreeWidget>("lvTelList");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("小日"));
    EXPECT_FALSE(find<QPushButton>("btnPrior")->isHidden());
    list->setCurrentItem(list->topLevelItem(0));
    find<QPushButton>("btnDecision")->click();
    ASSERT_EQ(dialog.result(), 1);
    TDicSearchResult r;
    dialog.GetResult(r);
    EXPECT_EQ(Cp932::decode(r.Name), QStringLiteral("株式会社小田原商事"));
    EXPECT_FALSE(r.Private);
    EXPECT_EQ(dialog.GetFoundRecNo(), -1);
}

// Several listings of the directory under one number, typed into the
// telephone tab and searched: the choice list labels each as the directory
// lists it, a private person 個人 and a company 会社, in the directory's order.
TEST_F(DicSchDirectoryTest, severalListingsOfOneNumberAreLabelledPersonOrCompanyAsListed)
{
    TFakeDirectory::answers = {{0,
                                {listing("0465123456", QStringLiteral("見本商事"), 1),
                                 listing("0465123456", QStringLiteral("見本一郎"), 99),
                                 listing("0465123456", QStringLiteral("見本工業"), 2)}}};
    dialog.show();
    typeAndSearch(0, "edtTelSch", "bbtnTelSch", QStringLiteral("0465-12-3456"));
    QTreeWidget *list = find<QTreeWidget>("lvTelList");
    ASSERT_EQ(list->topLevelItemCount(), 3);
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0) + QLatin1Char(' ') + list->topLevelItem(i)->text(1);
    EXPECT_EQ(rows, (QStringList{QStringLiteral("会社 見本商事"), QStringLiteral("個人 見本一郎"),
                                 QStringLiteral("会社 見本工業")}));
}

TEST_F(DicSchDirectoryTest, aHitCountBeyondEightIsHeldToTheEightRecords)
{
    std::vector<TTelRecord> eight(8, listing("0465123456", QStringLiteral("山田"), 99));
    TFakeDirectory::answers = {{0, eight}};
    TFakeDirectory::reportedCount = 5000;
    ASSERT_EQ(dialog.StartSearch(0, QStringLiteral("0465123456")), 0);
    EXPECT_EQ(find<QTreeWidget>("lvTelList")->topLevelItemCount(), 8);
}

TEST_F(DicSchDirectoryTest, aSingleDigitAsksNoRegion)
{
    TFakeDirectory::answers = {{0, {listing("0", QStringLiteral("山田"), 99)}}};
    (void)dialog.StartSearch(0, QStringLiteral("0"));
    EXPECT_EQ(TFakeDirectory::calls, 0);
}

TEST_F(DicSchDirectoryTest, aFoundListingClearsAnEarlierInputMessageAndShowsItsNumber)
{
    typeAndSearch(0, "edtTelSch", "bbtnTelSch", QStringLiteral("0465-ab"));
    ASSERT_EQ(promptColor("lblTelSch"), kDarkRed);
    TFakeDirectory::answers = {{0, {listing("0465123456", QStringLiteral("山田"), 99), listing("0465123456", QStringLiteral("田中"), 99)}}};
    typeAndSearch(0, "edtTelSch", "bbtnTelSch", QStringLiteral("0465-12-3456"));
    EXPECT_EQ(prompt("lblTelSch"), QStringLiteral("検索する電話番号を入力してください。"));
    EXPECT_NE(promptColor("lblTelSch"), kDarkRed);
    EXPECT_EQ(find<QLineEdit>("edtTelSch")->text(), QStringLiteral("0465123456"));
    EXPECT_EQ(find<QLabel>("lblTelList1")->text(), QStringLiteral("電話帳データに複数のデータが見つかりました。"));
    EXPECT_TRUE(find<QLabel>("pnlSchKey")->isHidden()); // no book field named
}

TEST_F(DicSchDirectoryTest, aListedButWithheldNumberSaysSoAboveTheAreaCodes)
{
    TFakeDirectory::answers = {{2, {}}};
    ASSERT_EQ(dialog.StartSearch(0, QStringLiteral("0465123456")), 0);
    EXPECT_EQ(dialog.ResultKind, drkPhone);
    EXPECT_EQ(prompt("lblTelSch"),
              QStringLiteral("該当するデータは表示できません。局番検索結果から住所を選択してください。"));
}

TEST_F(DicSchDirectoryTest, aRegionOnTheHardDiskIsReadFromItsFolderThere)
{
    const QString kept = AreaDiskFolder[3];
    AreaOnDisk[3] = true;
    AreaDiskFolder[3] = QStringLiteral("/hd/Murven/");
    TFakeDirectory::answers = {{8, {}}};
    (void)dialog.StartSearch(0, QStringLiteral("0312345678"));
    AreaDiskFolder[3] = kept;
    EXPECT_EQ(TFakeDirectory::folders, std::vector<QString>{QStringLiteral("/hd/Murven/") + AreaSubFolders[3]});
}

struct TRegionCase {
    const char *number;
    std::vector<int> inUse; // empty: every region
    std::vector<int> asked; // in order
};
class DicSchRegionTest : public DicSchDirectoryTest, public ::testing::WithParamInterface<TRegionCase>
{
};

TEST_P(DicSchRegionTest, theSecondDigitChoosesTheRegionsInUseInTheirOrder)
{
    const TRegionCase &c = GetParam();
    if (!c.inUse.empty()) {
        UseArea.fill(false);
        for (int region : c.inUse)
            UseArea[static_cast<std::size_t>(region)] = true;
    }
    TFakeDirectory::answers = {{8, {}}};
    // The start-up keeps the disc's folder without its trailing '/'.
    const QString kept = SearchDataPath;
    SearchDataPath = QStringLiteral("/media/disc");
    (void)dialog.StartSearch(0, QString::fromLatin1(c.number));
    SearchDataPath = kept;
    std::vector<QString> expected;
    for (int region : c.asked)
        expected.push_back(QStringLiteral("/media/disc/Murven19/") + AreaSubFolders[static_cast<std::size_t>(region)]);
    EXPECT_EQ(TFakeDirectory::folders, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Digits, DicSchRegionTest,
    ::testing::Values(TRegionCase{"0112345678", {}, {1}}, TRegionCase{"0212345678", {}, {2, 4, 1}},
                      TRegionCase{"0312345678", {}, {3}}, TRegionCase{"0465123456", {}, {3, 2, 4}},
                      TRegionCase{"0465123456", {2}, {2}}, TRegionCase{"0512345678", {}, {4, 5}},
                      TRegionCase{"0612345678", {}, {5}}, TRegionCase{"0712345678", {}, {5, 4}},
                      TRegionCase{"0812345678", {}, {6}}, TRegionCase{"0912345678", {}, {7}},
                      TRegionCase{"0012345678", {}, {}}, TRegionCase{"0465123456", {1, 5, 6, 7}, {}}));

} // namespace
