#include "support/RowName.h"
#include "widgets/TntActnList.h"
#include "widgets/TntControls.h"
#include "widgets/TntMenus.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace Qt::StringLiterals;

const QString kCaption = u"開く(&O)..."_s;
const QString kHint = u"開く|別のアドレス帳を開きます"_s;

std::unique_ptr<TTntAction> makeOpenAction()
{
    auto action = std::make_unique<TTntAction>();
    action->setObjectName(u"actOpen"_s);
    action->SetCaption(kCaption);
    action->SetHint(kHint);
    return action;
}

// ---- TTntAction -----------------------------------------------------------------------

TEST(TntAction, hintSetsToolTipAndStatusTipWithOneNotification)
{
    TTntAction action;
    QSignalSpy changed(&action, &QAction::changed);
    action.SetHint(u"削除|選択しているデータを削除します 𠮷"_s);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(action.toolTip(), u"削除"_s);
    EXPECT_EQ(action.statusTip(), u"選択しているデータを削除します 𠮷"_s);
    EXPECT_EQ(action.Hint(), u"削除|選択しているデータを削除します 𠮷"_s);
}

// ---- Linking a control ----------------------------------------------------------------

struct CopyCase {
    const char *name;
    bool checkDefaults;
    QString controlText, controlHint;
    bool captionCopied, hintCopied;
};
class LinkCopies : public ::testing::TestWithParam<CopyCase> {};

TEST_P(LinkCopies, captionAndHintUnlessLimitedToDefaultsAndTheControlHasItsOwn)
{
    const CopyCase &c = GetParam();
    const auto action = makeOpenAction();
    QPushButton button(c.controlText);
    button.setObjectName(u"btnOpen"_s);
    SetWideHint(&button, c.controlHint);
    TTntControlActionLink::Link(&button, action.get(), c.checkDefaults);
    EXPECT_EQ(GetWideText(&button), c.captionCopied ? kCaption : c.controlText);
    EXPECT_EQ(GetWideHint(&button), c.hintCopied ? kHint : c.controlHint);
}

INSTANTIATE_TEST_SUITE_P(Table, LinkCopies,
                         ::testing::ValuesIn(std::vector<CopyCase>{
                             {"notLimited", false, u"独自"_s, u"独自|独自の説明"_s, true, true},
                             {"limitedOwnTextAndHint", true, u"独自"_s, u"独自|独自の説明"_s, false, false},
                             {"limitedEmptyTextAndHint", true, {}, {}, true, true},
                             // Still showing its component name: not a text of its own.
                             {"limitedTextIsTheName", true, u"btnOpen"_s, u"独自"_s, true, false}}),
                         rowName);

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
    label->setText(u"ラベル"_s);
    SetWideHint(label, u"ラベル|ラベルの説明"_s);
    EXPECT_FALSE(labelLink->IsCaptionLinked());
    EXPECT_TRUE(IsWideHintStored(label));

    action->SetCaption(u"別を開く(&B)"_s);
    action->SetHint(u"別|別を開きます é"_s);
    EXPECT_EQ(GetWideText(button), u"別を開く(&B)"_s);
    EXPECT_EQ(button->statusTip(), u"別を開きます é"_s);
    EXPECT_EQ(GetWideText(label), u"ラベル"_s);
    EXPECT_EQ(GetWideHint(label), u"ラベル|ラベルの説明"_s);
}

TEST(ControlActionLink, stateFollowsTheActionUnlessDisabledOnPurposeAndAClickTriggersIt)
{
    const auto action = makeOpenAction();
    QWidget form;
    auto *button = new QPushButton(&form);
    auto *kept = new QLineEdit(&form);
    button->setEnabled(false);
    kept->setEnabled(false);
    TTntControlActionLink::Link(button, action.get());
    TTntControlActionLink::Link(kept, action.get(), true); // limited to defaults: keeps its own state
    EXPECT_TRUE(button->isEnabled());
    EXPECT_FALSE(kept->isEnabled());

    action->setEnabled(false);
    EXPECT_FALSE(button->isEnabled());
    action->setVisible(false);
    EXPECT_TRUE(button->isHidden());
    action->setVisible(true);
    action->setEnabled(true);
    EXPECT_FALSE(button->isHidden());
    action->setCheckable(true);
    action->setChecked(true);
    ASSERT_TRUE(button->isCheckable());
    EXPECT_TRUE(button->isChecked());

    QSignalSpy triggered(action.get(), &QAction::triggered);
    QTest::mouseClick(button, Qt::LeftButton);
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
    first->SetCaption(u"古い"_s);
    EXPECT_NE(edit.text(), u"古い"_s);

    TTntControlActionLink::Link(&edit, first.get());
    first.reset();
    EXPECT_EQ(TTntControlActionLink::Find(&edit), nullptr);
    EXPECT_TRUE(IsWideHintStored(&edit));
    EXPECT_EQ(TTntControlActionLink::Link(&edit, nullptr), nullptr);
}

// ---- Menu texts --------------------------------------------------------------------------

TEST(MenuNativeText, showsTheShortcutAfterATabExceptOnTopLevelItems)
{
    const QKeySequence keys(Qt::ALT | Qt::SHIFT | Qt::CTRL | Qt::Key_O);
    EXPECT_EQ(MenuItemNativeText(kCaption, keys, false, false), kCaption + u"\tShift+Ctrl+Alt+O"_s);
    EXPECT_EQ(MenuItemNativeText(kCaption, keys, false, true), kCaption) << "top-level item of a main menu";
    EXPECT_EQ(MenuItemNativeText(kCaption, keys, true, false), kCaption) << "item with a sub-menu";
}

} // namespace
