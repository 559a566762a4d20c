#include "support/Screenshot.h"
#include "widgets/TntActnList.h"
#include "widgets/TntControls.h"
#include "widgets/TntMenus.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kCaption = QStringLiteral("開く(&O)...");
const QString kHint = QStringLiteral("開く|別のアドレス帳を開きます");

std::unique_ptr<TTntAction> makeOpenAction()
{
    auto action = std::make_unique<TTntAction>();
    action->setObjectName(QStringLiteral("actOpen"));
    action->SetCaption(kCaption);
    action->SetHint(kHint);
    return action;
}

// ---- TTntAction -----------------------------------------------------------------------

TEST(TntAction, hintSetsToolTipAndStatusTipWithOneNotification)
{
    TTntAction action;
    QSignalSpy changed(&action, &QAction::changed);
    action.SetHint(QStringLiteral("削除|選択しているデータを削除します 𠮷"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(action.toolTip(), QStringLiteral("削除"));
    EXPECT_EQ(action.statusTip(), QStringLiteral("選択しているデータを削除します 𠮷"));
    EXPECT_EQ(action.Hint(), QStringLiteral("削除|選択しているデータを削除します 𠮷"));

    action.SetHint(action.Hint());
    action.SetCaption(QStringLiteral("削除(&D)"));
    action.SetCaption(QStringLiteral("削除(&D)"));
    EXPECT_EQ(changed.count(), 2) << "only the first caption was a change";
}

TEST(TntAction, newCaptionAndHintAreHandedOutOnlyWhileBeingSet)
{
    TTntAction action;
    QStringList seen;
    QObject::connect(&action, &QAction::changed, [&] {
        seen << GetNewActionCaption(&action, QStringLiteral("既定")) << GetNewActionHint(&action, QStringLiteral("既定"));
    });
    action.SetCaption(QStringLiteral("照会(&I)..."));
    action.SetHint(QStringLiteral("照会|照会します"));
    EXPECT_EQ(seen, QStringList({QStringLiteral("照会(&I)..."), QStringLiteral("既定"), QStringLiteral("既定"),
                                 QStringLiteral("照会|照会します")}));
    EXPECT_EQ(GetNewActionCaption(&action, QStringLiteral("既定")), QStringLiteral("既定"));
    QAction plain;
    EXPECT_EQ(GetNewActionCaption(&plain, QStringLiteral("既定")), QStringLiteral("既定"));
    EXPECT_EQ(GetNewActionHint(nullptr, QStringLiteral("既定")), QStringLiteral("既定"));
}

// ---- Linking a control ----------------------------------------------------------------

struct CopyCase {
    const char *name;
    bool checkDefaults;
    const char16_t *controlText;
    const char16_t *controlHint;
    bool captionCopied;
    bool hintCopied;
};

void PrintTo(const CopyCase &c, std::ostream *os) { *os << c.name; }

class LinkCopies : public ::testing::TestWithParam<CopyCase> {};

TEST_P(LinkCopies, captionAndHintUnlessLimitedToDefaultsAndTheControlHasItsOwn)
{
    const CopyCase &c = GetParam();
    const auto action = makeOpenAction();
    QPushButton button(QString::fromUtf16(c.controlText));
    button.setObjectName(QStringLiteral("btnOpen"));
    SetWideHint(&button, QString::fromUtf16(c.controlHint));
    TTntControlActionLink::Link(&button, action.get(), c.checkDefaults);
    EXPECT_EQ(GetWideText(&button), c.captionCopied ? kCaption : QString::fromUtf16(c.controlText));
    EXPECT_EQ(GetWideHint(&button), c.hintCopied ? kHint : QString::fromUtf16(c.controlHint));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinkCopies,
    ::testing::Values(CopyCase{"notLimited", false, u"独自", u"独自|独自の説明", true, true},
                      CopyCase{"limitedOwnTextAndHint", true, u"独自", u"独自|独自の説明", false, false},
                      CopyCase{"limitedEmptyTextAndHint", true, u"", u"", true, true},
                      // Still showing its component name: not a text of its own.
                      CopyCase{"limitedTextIsTheName", true, u"btnOpen", u"独自", true, false}),
    [](const ::testing::TestParamInfo<CopyCase> &info) { return std::string(info.param.name); });

TEST(ControlActionLink, captionAndHintFollowTheActionWhileTheControlShowsThem)
{
    const auto action = makeOpenAction();
    QWidget form;
    auto *button = new QPushButton(&form);
    auto *label = new QLabel(&form);
    TTntControlActionLink::Link(button, action.get());
    TTntControlActionLink *labelLink = TTntControlActionLink::Link(label, action.get());
    EXPECT_TRUE(labelLink->IsCaptionLinked());
    EXPECT_FALSE(IsWideHintStored(button));

    // The program gives the label a text and a hint of its own.
    label->setText(QStringLiteral("ラベル"));
    SetWideHint(label, QStringLiteral("ラベル|ラベルの説明"));
    EXPECT_FALSE(labelLink->IsCaptionLinked());
    EXPECT_TRUE(IsWideHintStored(label));

    action->SetCaption(QStringLiteral("別を開く(&B)"));
    action->SetHint(QStringLiteral("別|別を開きます é"));
    EXPECT_EQ(GetWideText(button), QStringLiteral("別を開く(&B)"));
    EXPECT_EQ(button->statusTip(), QStringLiteral("別を開きます é"));
    EXPECT_EQ(GetWideText(label), QStringLiteral("ラベル"));
    EXPECT_EQ(GetWideHint(label), QStringLiteral("ラベル|ラベルの説明"));
}

TEST(ControlActionLink, enabledVisibleAndCheckedFollowTheAction)
{
    const auto action = makeOpenAction();
    QWidget form;
    auto *button = new QPushButton(&form);
    TTntControlActionLink::Link(button, action.get());
    action->setEnabled(false);
    EXPECT_FALSE(button->isEnabled());
    action->setEnabled(true);
    EXPECT_TRUE(button->isEnabled());
    action->setVisible(false);
    EXPECT_TRUE(button->isHidden());
    action->setVisible(true);
    EXPECT_FALSE(button->isHidden());
    action->setCheckable(true);
    action->setChecked(true);
    ASSERT_TRUE(button->isCheckable());
    EXPECT_TRUE(button->isChecked());
}

TEST(ControlActionLink, limitedToDefaultsKeepsAControlDisabledOnPurpose)
{
    const auto action = makeOpenAction();
    QLineEdit kept, taken;
    kept.setEnabled(false);
    taken.setEnabled(false);
    TTntControlActionLink::Link(&kept, action.get(), true);
    TTntControlActionLink::Link(&taken, action.get(), false);
    EXPECT_FALSE(kept.isEnabled());
    EXPECT_TRUE(taken.isEnabled());
}

TEST(ControlActionLink, clickingTheButtonTriggersTheAction)
{
    const auto action = makeOpenAction();
    QPushButton button;
    TTntControlActionLink::Link(&button, action.get());
    QSignalSpy triggered(action.get(), &QAction::triggered);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(triggered.count(), 1);
}

TEST(ControlActionLink, isGoneWithItsActionOrWhenReplaced)
{
    auto first = makeOpenAction();
    TTntAction second;
    QLineEdit edit;
    TTntControlActionLink::Link(&edit, first.get());
    ASSERT_NE(TTntControlActionLink::Find(&edit), nullptr);

    TTntControlActionLink::Link(&edit, &second);
    EXPECT_EQ(TTntControlActionLink::Find(&edit)->Action(), &second);
    first->SetCaption(QStringLiteral("古い"));
    EXPECT_NE(edit.text(), QStringLiteral("古い"));

    TTntControlActionLink::Link(&edit, first.get());
    first.reset();
    EXPECT_EQ(TTntControlActionLink::Find(&edit), nullptr);
    EXPECT_TRUE(IsWideHintStored(&edit));
    EXPECT_EQ(TTntControlActionLink::Link(&edit, nullptr), nullptr);
}

// ---- Menu texts --------------------------------------------------------------------------

struct StripCase {
    const char16_t *caption;
    const char16_t *stripped;
};

void PrintTo(const StripCase &c, std::ostream *os) { *os << QString::fromUtf16(c.caption).toStdString(); }

class StripHotkey : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripHotkey, removesTheMarksAndJapaneseHotkeyGroups)
{
    EXPECT_EQ(WideStripHotkey(QString::fromUtf16(GetParam().caption)), QString::fromUtf16(GetParam().stripped));
}

INSTANTIATE_TEST_SUITE_P(Table, StripHotkey,
                         ::testing::Values(StripCase{u"開く(&O)...", u"開く..."}, StripCase{u"&File", u"File"},
                                           StripCase{u"ピルカノス2014の終了(&X)", u"ピルカノス2014の終了"},
                                           StripCase{u"A&&B", u"AB"}, StripCase{u"(&O)", u""},
                                           StripCase{u"x(&O", u"x(O"}, StripCase{u"a(&)b", u"a()b"},
                                           StripCase{u"（&O）", u"（O）"}, StripCase{u"&", u""},
                                           StripCase{u"", u""}, StripCase{u"(&A)(&B)", u""}));

struct SameCaptionCase {
    const char16_t *a;
    const char16_t *b;
    bool sameIgnoringCase;
    bool sameWithCase;
};

void PrintTo(const SameCaptionCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.a).toStdString() << " / " << QString::fromUtf16(c.b).toStdString();
}

class SameCaption : public ::testing::TestWithParam<SameCaptionCase> {};

TEST_P(SameCaption, comparesTheCaptionsWithoutHotkeys)
{
    const SameCaptionCase &c = GetParam();
    EXPECT_EQ(WideSameCaption(QString::fromUtf16(c.a), QString::fromUtf16(c.b)), c.sameIgnoringCase);
    EXPECT_EQ(WideSameCaption(QString::fromUtf16(c.a), QString::fromUtf16(c.b), Qt::CaseSensitive), c.sameWithCase);
}

INSTANTIATE_TEST_SUITE_P(Table, SameCaption,
                         ::testing::Values(SameCaptionCase{u"&Open", u"O&pen", true, true},
                                           SameCaptionCase{u"開く(&O)", u"開く", true, true},
                                           SameCaptionCase{u"open", u"&Open", true, false},
                                           SameCaptionCase{u"ｆｉｌｅ", u"ＦＩＬＥ", true, false},
                                           SameCaptionCase{u"開く", u"閉じる", false, false}));

struct ShortCutCase {
    QKeyCombination shortCut;
    const char *text;
};

void PrintTo(const ShortCutCase &c, std::ostream *os) { *os << c.text; }

class ShortCutText : public ::testing::TestWithParam<ShortCutCase> {};

TEST_P(ShortCutText, putsShiftCtrlAltBeforeTheKeyName)
{
    EXPECT_EQ(WideShortCutToText(GetParam().shortCut), QString::fromLatin1(GetParam().text));
    EXPECT_EQ(WideShortCutToText(QKeySequence(GetParam().shortCut)), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShortCutText,
    ::testing::Values(ShortCutCase{Qt::CTRL | Qt::Key_I, "Ctrl+I"}, ShortCutCase{QKeyCombination(Qt::Key_Delete), "Del"},
                      ShortCutCase{QKeyCombination(Qt::Key_F3), "F3"},
                      ShortCutCase{Qt::CTRL | Qt::SHIFT | Qt::Key_F5, "Shift+Ctrl+F5"},
                      ShortCutCase{Qt::ALT | Qt::SHIFT | Qt::CTRL | Qt::Key_A, "Shift+Ctrl+Alt+A"},
                      ShortCutCase{Qt::ALT | Qt::Key_1, "Alt+1"},
                      ShortCutCase{QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_1), "Ctrl+1"},
                      ShortCutCase{QKeyCombination(Qt::CTRL, Qt::Key_Control), ""},
                      ShortCutCase{QKeyCombination(Qt::CTRL, Qt::Key(0)), ""}));

TEST(ShortCutText, ofAnEmptySequenceIsEmpty)
{
    EXPECT_EQ(WideShortCutToText(QKeySequence()), QString());
}

TEST(MenuNativeText, showsTheShortcutAfterATabExceptOnTopLevelItems)
{
    const QKeySequence ctrlO(Qt::CTRL | Qt::Key_O);
    EXPECT_EQ(MenuItemNativeText(kCaption, ctrlO, false, false), kCaption + QStringLiteral("\tCtrl+O"));
    EXPECT_EQ(MenuItemNativeText(kCaption, ctrlO, false, true), kCaption) << "top-level item of a main menu";
    EXPECT_EQ(MenuItemNativeText(kCaption, ctrlO, true, false), kCaption) << "item with a sub-menu";
    EXPECT_EQ(MenuItemNativeText(kCaption, QKeySequence(), false, false), kCaption);
}

TEST(MenuNativeText, ofAnActionDependsOnWhereItIsShown)
{
    QMainWindow window;
    TTntMenuItem *open = new TTntMenuItem(kCaption, &window);
    open->setShortcut(QKeySequence(Qt::Key_F5));
    QMenu *file = window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(open);
    window.menuBar()->addAction(open);
    EXPECT_EQ(MenuItemNativeText(open, file), kCaption + QStringLiteral("\tF5"));
    EXPECT_EQ(MenuItemNativeText(open, window.menuBar()), kCaption);
    EXPECT_EQ(MenuItemNativeText(file->menuAction(), file), QStringLiteral("ファイル(&F)"));
}

// ---- What a person sees ---------------------------------------------------------------

TEST(ActionScreenshot, buttonBoundToAnActionAndAMenuWithAShortcut)
{
    QMainWindow window;
    window.setObjectName(QStringLiteral("AddressList"));
    auto *open = new TTntAction(&window);
    open->setObjectName(QStringLiteral("actOpen"));
    open->SetCaption(kCaption);
    open->SetHint(kHint);
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    auto *inquiry = new TTntMenuItem(QStringLiteral("照会(&I)..."), &window);
    inquiry->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    QMenu *file = window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(open);
    file->addSeparator();
    file->addAction(inquiry);

    auto *central = new QWidget(&window);
    auto *layout = new QVBoxLayout(central);
    auto *button = new QPushButton(central);
    button->setObjectName(QStringLiteral("btnOpen"));
    TTntControlActionLink::Link(button, open, true);
    layout->addWidget(button);
    layout->addStretch();
    window.setCentralWidget(central);
    window.resize(260, 120);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(button->text(), kCaption);
    EXPECT_FALSE(saveScreenshot(&window, QStringLiteral("TntActionWindow")).isEmpty());

    file->popup(window.mapToGlobal(QPoint(0, window.menuBar()->height())));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    EXPECT_FALSE(saveScreenshot(file, QStringLiteral("TntActionMenu")).isEmpty());
    file->close();
}

} // namespace
