#include "dialogs/ItemDlgSub.h"
#include "dialogs/UpDown.h"
#include "items/RectFrame.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

constexpr TColor kBlue = 0xFF0000;
constexpr TColor kGreen = 0x00FF00;

TColorDialogRunner answering(std::optional<QColor> Answer)
{
    return [Answer](const QColor &, QList<QColor> &) { return Answer; };
}

TEST(ItemDlgSub, aChosenColourIsShownOnTheSwatchAndHandedBack)
{
    QWidget page;
    TColorSwatch swatch(&page);
    const std::optional<TColor> c = ChooseSwatchColor(answering(ColorToQColor(kBlue)), &swatch, false);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(*c, kBlue);
    EXPECT_EQ(swatch.Color(), kBlue);
}

TEST(ItemDlgSub, aCancelledColourDialogLeavesTheSwatch)
{
    QWidget page;
    TColorSwatch swatch(&page);
    swatch.SetColor(kGreen);
    EXPECT_FALSE(ChooseSwatchColor(answering(std::nullopt), &swatch, false).has_value());
    EXPECT_EQ(swatch.Color(), kGreen);
}

struct FrameColorCase {
    const char *name;
    int tag;
    bool chosen;
    TColor lineSwatch, backSwatch, lineColour, backColour;
};

class FrameColour : public ::testing::TestWithParam<FrameColorCase>
{};

TEST_P(FrameColour, goesToTheSwatchAndTheFrameColourOfItsButton)
{
    const FrameColorCase &c = GetParam();
    QWidget page;
    TColorSwatch line(&page), back(&page);
    TRectFrame frame;
    frame.SetFrameColor(kGreen);
    frame.SetBackColor(kGreen);
    line.SetColor(kGreen);
    back.SetColor(kGreen);
    const bool chosen = ChooseFrameColor(answering(c.chosen ? std::optional<QColor>(ColorToQColor(kBlue)) : std::nullopt),
                                         frame, c.tag, &line, &back);
    EXPECT_EQ(chosen, c.chosen);
    EXPECT_EQ(line.Color(), c.lineSwatch);
    EXPECT_EQ(back.Color(), c.backSwatch);
    EXPECT_EQ(frame.GetFrameColor(), c.lineColour);
    EXPECT_EQ(frame.GetBackColor(), c.backColour);
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameColour,
                         ::testing::Values(FrameColorCase{"lineButton", 0, true, kBlue, kGreen, kBlue, kGreen},
                                           FrameColorCase{"backButton", 1, true, kGreen, kBlue, kGreen, kBlue},
                                           FrameColorCase{"cancelled", 0, false, kGreen, kGreen, kGreen, kGreen}),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(ItemDlgSub, theFrameListsChosenGoIntoTheFrameAndNoChoiceCountsAsTheFirst)
{
    QWidget page;
    QComboBox *count = nullptr, *corner = nullptr, *width = nullptr;
    NewFrameLists(&page, count, corner, width);
    ASSERT_EQ(page.findChild<QComboBox *>(QStringLiteral("cbxLineCount")), count);
    ASSERT_EQ(page.findChild<QComboBox *>(QStringLiteral("cbxCorner")), corner);
    ASSERT_EQ(page.findChild<QComboBox *>(QStringLiteral("cbxLineWidth")), width);
    TRectFrame frame;
    count->setCurrentIndex(1);
    corner->setCurrentIndex(-1);
    width->setCurrentIndex(2);
    ApplyFrameLists(frame, count, corner, width);
    EXPECT_EQ(frame.GetLineCount(), 1);
    EXPECT_EQ(frame.GetCorner(), 0);
    EXPECT_EQ(frame.GetLineWidth(), 2);
}

TEST(ItemDlgSub, theAngleEditTakesThreeDigitsUpTo359)
{
    QWidget page;
    QLineEdit *edit = nullptr;
    TUpDown *upDown = nullptr;
    NewAngleEdit(&page, edit, upDown);
    EXPECT_EQ(edit->objectName(), QStringLiteral("edAngle"));
    EXPECT_EQ(upDown->objectName(), QStringLiteral("udAngle"));
    EXPECT_EQ(edit->maxLength(), 3);
    EXPECT_EQ(upDown->Min(), 0);
    EXPECT_EQ(upDown->Max(), 359);
}

TEST(ItemDlgSub, aTabPageIsNamedAndAddedAfterTheOthers)
{
    QTabWidget tabs;
    tabs.addTab(new QWidget, QStringLiteral("A"));
    QWidget *page = AddTabPage(&tabs, "tbsFrame", QStringLiteral("飾り枠"));
    ASSERT_EQ(tabs.count(), 2);
    EXPECT_EQ(tabs.widget(1), page);
    EXPECT_EQ(tabs.tabText(1), QStringLiteral("飾り枠"));
    EXPECT_EQ(page->objectName(), QStringLiteral("tbsFrame"));
}

} // namespace
